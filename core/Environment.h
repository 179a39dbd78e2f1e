#pragma once

#include <filesystem>

namespace plok {

/// The folders a window works with. The desktop program takes the folder of its executable and the desktop's user
/// folders; tests hand in temporary folders.
struct Environment
{
    std::filesystem::path programFolder; // where every job writes its output, home of user.ini
    std::filesystem::path settingsFile; // user.ini in the program folder
    std::filesystem::path downloads; // the user's Downloads folder, else Documents, else empty
};

} // namespace plok
