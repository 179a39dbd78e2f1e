#pragma once

#include "present/Prompts.h"

#include <QDialog>
#include <functional>

class QPushButton;

namespace plok::gui {

/// The title bar every window has: the system menu and the close box, no minimise or maximise box.
inline constexpr Qt::WindowFlags kTitleBar = Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;

/// Moves the top-level `window` so that its frame is centred on its screen. Windows call this as they are shown.
void CentreOnScreen(QWidget* window);

/// The frame every window shares, the main window as much as each child window: the fonts of its .ui file in pixels,
/// the desktop's keys, its design size with a sizable border that never shrinks below it (every control stays in
/// view), the standard close glyph on `closeButton` (when there is one), which closes the window, and centring on the
/// screen each time it is shown (not when it is restored), after which `onShow` runs through the guard.
void SetUpFrame(
    QWidget* window, QSize designSize, QPushButton* closeButton, Prompts& prompts, std::function<void()> onShow = {});

/// A child window: a dialog shown modally by DspSet and deleted once closed. A derived window sets up its .ui and its
/// presenter's wiring (SetUpWindow, gui/Wiring.h), which gives it the shared frame.
class ChildWindow : public QDialog
{
    Q_OBJECT

public:
    ~ChildWindow() override;

    /// Shows the window modally and returns true once it has closed (the window is gone by then).
    bool DspSet();

protected:
    /// The window deletes itself once closed: create it with new.
    explicit ChildWindow(QWidget* parent);
};

} // namespace plok::gui
