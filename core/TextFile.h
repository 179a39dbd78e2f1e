#pragma once

#include "core/Text.h"

#include <filesystem>
#include <vector>

namespace plok {

/// Loads a whole file into a line list: a byte-order mark selects UTF-8 or UTF-16 LE/BE, otherwise the bytes are
/// code page 932. Lines are cut at CR LF, LF and CR; a break at the very end adds no empty line. Throws IoError.
std::vector<Line> LoadLines(const std::filesystem::path& path);

/// Writes `lines` to `file` in code page 932, each followed by CR LF, with no byte-order mark and no 0x1A.
/// Characters the code page cannot hold are written as "?". The file is replaced atomically: on failure an
/// existing file keeps its content and no partial file is left. Throws IoError.
void WrtSet(const std::filesystem::path& file, const std::vector<Line>& lines);

} // namespace plok
