#pragma once

#include "core/UserFolders.h"

#include <filesystem>

namespace plok::app {

using plok::UserDirs;

/// Where the desktop program keeps its settings and where the jobs write their outputs before delivery.
struct Folders
{
    bool portable = false;
    std::filesystem::path workFolder;
    std::filesystem::path settingsFile;
};

/// Decides the layout once, at start-up. Portable when `executableFolder` holds a user.ini: settings and outputs stay
/// beside the executable. Otherwise the settings are $XDG_CONFIG_HOME/plok/user.ini and the work folder is
/// $XDG_DATA_HOME/plok (defaults ~/.config and ~/.local/share; a relative XDG value is ignored). Both folders are
/// created private (0700) when missing, since the work folder holds patient data until it is delivered.
/// Throws plok::Error with a Japanese message naming the folder when one cannot be created or the home folder is
/// unknown.
Folders ResolveFolders(const std::filesystem::path& executableFolder, const UserDirs& dirs);

/// The first page of the user manual: the installed one (share/doc/plok/manual beside the bin folder of
/// `executableFolder`), else the one in the source tree when the program runs from a build; empty when neither is
/// there.
std::filesystem::path FindManual(const std::filesystem::path& executableFolder);

} // namespace plok::app
