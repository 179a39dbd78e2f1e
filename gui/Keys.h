#pragma once

class QWidget;

namespace plok::gui {

/// Makes the keys of `window` behave as on the desktop its users come from: no push button is a default button, so
/// that Enter in an edit field never presses one (and never closes a window with what was typed in it), and Enter or
/// keypad Enter on a focused push button presses it, as Space does; held down, it presses once. The mnemonics of the
/// captions ("閉じる(&C)") stay as Qt makes them.
void UseDesktopKeys(QWidget* window);

} // namespace plok::gui
