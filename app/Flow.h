#pragma once

#include "app/TfrmMain.h"
#include "core/Environment.h"
#include "present/Prompts.h"

#include <memory>

class QWidget;

/// The composition root: the one place that knows every window and hands them to each other.
namespace plok::app {

/// Gives the application its name ("プロク"), its icon, the UI font for boxes and dialogs, and Qt's Japanese
/// translations for the standard dialogs. Needs a running QApplication.
void PrepareApplication();

/// Brings `window` to the front as the user's active window, with the modal window over it when one is open.
void Activate(QWidget* window);

/// The desktop program's folders: the work folder and settings file of ResolveFolders for the executable's folder, and
/// the user's Downloads folder, else Documents, else none. Needs a running QApplication; throws plok::Error when a
/// folder cannot be created.
Environment DesktopEnvironment();

/// The main window. `prompts` must outlive it.
std::unique_ptr<TfrmMain> CreateMainWindow(const Environment& env, Prompts& prompts);

} // namespace plok::app
