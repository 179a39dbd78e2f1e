#pragma once

class QWidget;

namespace plok::gui {

/// The font every window is drawn in: a Japanese UI font the program depends on, so that texts look and fit the same
/// on every desktop.
inline constexpr char kUiFontFamily[] = "Noto Sans CJK JP";

/// The layout tables of the windows are in pixels at 96 dpi: every font the .ui file of `window` gives in points
/// (the window's own and its controls') becomes the pixel size those points have at 96 dpi, so that texts keep their
/// size relative to the controls on any screen.
void UsePixelFonts(QWidget* window);

} // namespace plok::gui
