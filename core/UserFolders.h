#pragma once

#include <filesystem>

/// Where plok keeps what belongs to the user, as every program finds it: both desktop programs and plok-cli, which
/// has to find the desktop program's settings folder (the clinic key lives there). The system's part is in
/// core/posix/ and core/win32/.
namespace plok {

/// The user's base folders as the session hands them over: HOME and the two XDG variables, empty when unset. On
/// Windows, the profile folder and the roaming and local application-data folders (USERPROFILE, APPDATA,
/// LOCALAPPDATA; the system's known folders when a variable is unset) stand in their places.
struct UserDirs
{
    std::filesystem::path home;
    std::filesystem::path configHome; // XDG_CONFIG_HOME, %APPDATA%
    std::filesystem::path dataHome; // XDG_DATA_HOME, %LOCALAPPDATA%

    /// Read from this process's environment; without HOME, the home folder of the password database.
    static UserDirs FromEnvironment();
};

/// The name of the settings file.
inline constexpr char kSettingsFileName[] = "user.ini";

/// The settings file and whether the layout is portable. Portable when `executableFolder` holds a user.ini: the
/// settings stay beside the executable. Otherwise `configHome`/plok/user.ini ($XDG_CONFIG_HOME, default ~/.config; a
/// relative value is ignored; %APPDATA% on Windows). Creates nothing. Throws plok::Error when the home folder is
/// unknown.
struct SettingsPlace
{
    bool portable = false;
    std::filesystem::path settingsFile;
};
SettingsPlace FindSettings(const std::filesystem::path& executableFolder, const UserDirs& dirs);

/// `dataHome`/plok ($XDG_DATA_HOME, default ~/.local/share; %LOCALAPPDATA% on Windows): the desktop program's work
/// folder when it is not portable. Throws plok::Error when the home folder is unknown.
std::filesystem::path DataFolder(const UserDirs& dirs);

/// Where the desktop program keeps its settings and where the jobs write their outputs before delivery.
struct Folders
{
    bool portable = false;
    std::filesystem::path workFolder;
    std::filesystem::path settingsFile;
};

/// Decides the desktop program's layout once, at start-up. Portable (FindSettings): settings and outputs stay beside
/// the executable. Otherwise the settings file of FindSettings and the work folder DataFolder, both folders created
/// private when missing (CreatePrivateFolder), since the work folder holds patient data until it is delivered.
/// Throws plok::Error with a Japanese message naming the folder when one cannot be created or the home folder is
/// unknown.
Folders ResolveFolders(const std::filesystem::path& executableFolder, const UserDirs& dirs);

/// Creates `folder` and every missing folder above it, each one the user alone may open: mode 0700 on POSIX systems;
/// on Windows a protected access list that grants the user and the system, nobody else. Folders that exist are left
/// as they are. Throws plok::Error "<what> "<folder>" を作成できません。(<reason>)" when one cannot be created or a
/// file stands in the way.
void CreatePrivateFolder(const char* what, const std::filesystem::path& folder);

/// The folder of the running program's executable; empty when the system cannot tell.
std::filesystem::path ExecutableFolder();

namespace detail {

/// Creates the one folder `folder`, whose parent exists, private (the system seam of CreatePrivateFolder): 0 when it
/// was created or was there already, else the system's error code.
int MakePrivateDirectory(const std::filesystem::path& folder);

} // namespace detail

} // namespace plok
