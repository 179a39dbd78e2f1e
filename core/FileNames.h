#pragma once

#include <filesystem>
#include <string>
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

/// Paths and text. A path is never built from or turned into a plain std::string directly: on Windows that goes
/// through the ANSI code page byte by byte and mangles every Japanese name. These are the only crossings.
///
/// The file-system path of a UTF-16 name: UTF-16 as it is on Windows, UTF-8 on POSIX systems.
std::filesystem::path ToPath(std::u16string_view name);
/// The path of a name given as UTF-8 (a command-line argument): on POSIX systems the bytes as they are, so that a name
/// that is no valid UTF-8 still names its file.
std::filesystem::path PathFromUtf8(std::string_view name);
/// A path as UTF-16 text for the user (a lone surrogate on Windows, invalid UTF-8 on POSIX becomes U+FFFD).
std::u16string PathText(const std::filesystem::path& path);
/// A path as UTF-8 text for messages.
std::string PathUtf8(const std::filesystem::path& path);

} // namespace plok
