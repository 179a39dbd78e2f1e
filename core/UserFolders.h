#pragma once

#include <filesystem>

/// Where plok keeps what belongs to the user, as both programs find it: the desktop program (app/Folders.h) and
/// plok-cli, which has to find the desktop program's settings folder (the clinic key lives there) without Qt. The
/// system's part is in core/posix/ and core/win32/.
namespace plok {

/// The user's base folders as the session hands them over: HOME and the two XDG variables, empty when unset. On
/// Windows, the profile folder and the roaming and local application-data folders (USERPROFILE, APPDATA,
/// LOCALAPPDATA) stand in their places.
struct UserDirs
{
    std::filesystem::path home;
    std::filesystem::path configHome; // XDG_CONFIG_HOME
    std::filesystem::path dataHome; // XDG_DATA_HOME

    /// Read from this process's environment; without HOME, the home folder of the password database.
    static UserDirs FromEnvironment();
};

/// The name of the settings file.
inline constexpr char kSettingsFileName[] = "user.ini";

/// The settings file and whether the layout is portable. Portable when `executableFolder` holds a user.ini: the
/// settings stay beside the executable. Otherwise $XDG_CONFIG_HOME/plok/user.ini (default ~/.config; a relative XDG
/// value is ignored). Creates nothing. Throws plok::Error when the home folder is unknown.
struct SettingsPlace
{
    bool portable = false;
    std::filesystem::path settingsFile;
};
SettingsPlace FindSettings(const std::filesystem::path& executableFolder, const UserDirs& dirs);

/// $XDG_DATA_HOME/plok (default ~/.local/share/plok): the desktop program's work folder when it is not portable.
/// Throws plok::Error when the home folder is unknown.
std::filesystem::path DataFolder(const UserDirs& dirs);

/// Creates `folder` and every missing folder above it, each readable by the owner alone (0700; on Windows the folder
/// takes the permissions of the one above it). Throws plok::Error with a Japanese message naming `what` and the folder
/// when one cannot be created.
void CreatePrivateFolder(const char* what, const std::filesystem::path& folder);

/// The folder of the running program's executable; empty when the system cannot tell.
std::filesystem::path ExecutableFolder();

namespace detail {

/// Throws the Error of CreatePrivateFolder.
[[noreturn]] void CannotCreateFolder(const char* what, const std::filesystem::path& folder, int errnum);

} // namespace detail

} // namespace plok
