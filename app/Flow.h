#pragma once

#include "claims/TfrmMain.h"
#include "core/Environment.h"
#include "core/Prompts.h"

#include <memory>

class QWidget;

/// The composition root: the one place that knows every window and hands them to each other.
namespace plok::app {

/// The desktop program's folders: the executable's folder as program folder, its user.ini as settings file, and the
/// user's Downloads folder, else Documents, else none. Needs a running QApplication.
Environment DesktopEnvironment();

/// Opens a fresh option window modally over `parent` and returns once it has closed.
void OpenOptionWindow(const Environment& env, Prompts& prompts, QWidget* parent);

/// The main window, its options button wired to the option window. `prompts` must outlive it.
std::unique_ptr<claims::TfrmMain> CreateMainWindow(const Environment& env, Prompts& prompts);

} // namespace plok::app
