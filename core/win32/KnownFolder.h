#pragma once

#include "core/win32/Win32.h"

#include <filesystem>
#include <shlobj.h>

namespace plok {

/// The user's known folder `id` (SHGetKnownFolderPath), or an empty path when the system cannot give it.
std::filesystem::path KnownFolder(REFKNOWNFOLDERID id);

} // namespace plok
