#pragma once

#include <filesystem>
#include <optional>

namespace plok {

/// Where the desktop program keeps its settings and where the jobs write their outputs before delivery.
struct Folders
{
    bool portable = false;
    std::filesystem::path workFolder;
    std::filesystem::path settingsFile;
};

/// The portable layout, the same on every system: when a user.ini stands in `executableFolder`, the settings are that
/// file and the outputs wait beside the executable. Nothing otherwise. Never throws.
std::optional<Folders> PortableFolders(const std::filesystem::path& executableFolder);

/// The installed layout: the settings are `settingsBase`/plok/user.ini and the work folder is `workBase`/plok. Both
/// folders are created private when missing (CreatePrivateFolder), since the work folder holds patient data until it
/// is delivered. Throws plok::Error as CreatePrivateFolder does.
Folders InstalledFolders(const std::filesystem::path& settingsBase, const std::filesystem::path& workBase);

/// Creates `folder` and every missing folder above it, each one the user alone may open: mode 0700 on POSIX systems;
/// on Windows a protected access list that grants the user and the system, nobody else. Folders that exist are left
/// as they are. Throws plok::Error "<what> "<folder>" を作成できません。(<reason>)" when one cannot be created or a
/// file stands in the way.
void CreatePrivateFolder(const char* what, const std::filesystem::path& folder);

namespace detail {

/// Creates the one folder `folder`, whose parent exists, private (the system seam of CreatePrivateFolder): 0 when it
/// was created or was there already, else the system's error code.
int MakePrivateDirectory(const std::filesystem::path& folder);

} // namespace detail

} // namespace plok
