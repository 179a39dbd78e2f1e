#pragma once

#include "present/Prompts.h"
#include "present/Wiring.h"

class QWidget;

namespace plok::gui {

/// Gives `window`, its .ui set up, the frame every window shares (SetUpFrame, at the wiring's design size, with its
/// close button) and connects its controls as `wiring` says, each handler through the guard: clicks and drops under
/// the busy cursor, the handler of its closing however it closes, a centred control kept in the middle as the window
/// grows. Then runs the wiring's `created` handler. Throws std::logic_error when the wiring names a control the
/// window does not have.
void SetUpWindow(QWidget* window, const WindowWiring& wiring, Prompts& prompts);

} // namespace plok::gui
