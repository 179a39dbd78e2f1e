#pragma once

#include "core/Folders.h"

#include <filesystem>
#include <string>

namespace plok::app {

/// The user's base folders as the session hands them over: HOME and the two XDG variables, empty when unset.
struct UserDirs
{
    std::filesystem::path home;
    std::string configHome; // XDG_CONFIG_HOME
    std::string dataHome; // XDG_DATA_HOME

    /// Read from this process's environment; without HOME, the home folder of the password database.
    static UserDirs FromEnvironment();
};

/// Decides the layout once, at start-up: portable when `executableFolder` holds a user.ini (PortableFolders),
/// otherwise the settings are $XDG_CONFIG_HOME/plok/user.ini and the work folder is $XDG_DATA_HOME/plok (defaults
/// ~/.config and ~/.local/share; a relative XDG value is ignored), both created private (InstalledFolders).
/// Throws plok::Error with a Japanese message naming the folder when one cannot be created or the home folder is
/// unknown.
Folders ResolveFolders(const std::filesystem::path& executableFolder, const UserDirs& dirs);

/// The first page of the user manual: the installed one (share/doc/plok/manual beside the bin folder of
/// `executableFolder`), else the one in the source tree when the program runs from a build; empty when neither is
/// there.
std::filesystem::path FindManual(const std::filesystem::path& executableFolder);

} // namespace plok::app
