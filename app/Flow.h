#pragma once

#include "claims/TfrmMain.h"
#include "core/Environment.h"
#include "core/Prompts.h"

#include <memory>

class QWidget;

/// The composition root: the one place that knows every window and hands them to each other.
namespace plok::app {

/// The desktop program's folders: the work folder and settings file of ResolveFolders for the executable's folder, and
/// the user's Downloads folder, else Documents, else none. Needs a running QApplication; throws plok::Error when a
/// folder cannot be created.
Environment DesktopEnvironment();

/// Opens a fresh option window modally over `parent` and returns once it has closed.
void OpenOptionWindow(const Environment& env, Prompts& prompts, QWidget* parent);

/// The main window, its options button wired to the option window. `prompts` must outlive it.
std::unique_ptr<claims::TfrmMain> CreateMainWindow(const Environment& env, Prompts& prompts);

} // namespace plok::app
