#pragma once

#include <filesystem>
#include <string_view>

namespace plok {

/// True when `name`, built from file contents, is a plain name that stays inside its folder on every system the
/// files travel to: not empty, not "." or "..", no "..", no path separator or drive colon, no character that
/// Windows file names cannot hold (`<>:"|?*`, U+0000..U+001F), no lone surrogate, and no trailing dot or blank.
bool IsPlainFileName(std::u16string_view name);

/// True when a file exists at `path`: a folder does not count, a link counts when its target exists, the empty path
/// names nothing. Never throws.
bool FileExists(const std::filesystem::path& path);

/// True when `a` and `b` name the same existing file (through links and different spellings of one path alike).
/// Never throws.
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b);

/// The file-system path of a UTF-16 name (UTF-8 on this platform).
std::filesystem::path ToPath(std::u16string_view name);

} // namespace plok
