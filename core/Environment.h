#pragma once

#include <filesystem>
#include <utility>

namespace plok {

/// The folders a window works with. The desktop program decides them once at start-up (ResolveFolders in
/// core/UserFolders.h); tests hand in temporary folders.
struct Environment
{
    std::filesystem::path programFolder; // the work folder: where every job writes its output until it is delivered
    std::filesystem::path settingsFile; // user.ini
    std::filesystem::path downloads; // the user's Downloads folder, else Documents, else empty
    std::filesystem::path manual = {}; // the first page of the user manual on this computer; empty when there is none
};

/// Where the result dialog delivers to: the user's Downloads folder, else the Documents folder (each empty when the
/// desktop has none), else nowhere.
inline std::filesystem::path DeliveryFolder(std::filesystem::path downloads, std::filesystem::path documents)
{
    return downloads.empty() ? std::move(documents) : std::move(downloads);
}

} // namespace plok
