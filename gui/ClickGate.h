#pragma once

#include <chrono>

class QObject;
class QCoreApplication;

namespace plok::gui {

/// Puts a ClickGate over every window of `app`: each modal window shown or hidden starts its quiet time, and a mouse
/// press or double-click, or a press of Return, Enter or Space, that it holds back reaches no window. Returns the
/// filter, which `app` owns; deleting it takes the gate away.
QObject* InstallClickGate(QCoreApplication* app, std::chrono::milliseconds quiet);

} // namespace plok::gui
