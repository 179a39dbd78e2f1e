#pragma once

#include <filesystem>
#include <string>
#include <string_view>

/// The settings store: an INI file read and written on every call, nothing cached.
namespace plok {

/// Returns the value of `key` in `section` of `iniFile` (names compared ignoring ASCII case), trimmed of blanks,
/// without one pair of enclosing matching quotes, at most 2047 characters; `def` when the file, the section or
/// the key is missing. Only the first section of a name and its first line for the key count.
/// Throws IoError only when an existing file cannot be read.
std::u16string IFReadIniStr(const std::filesystem::path& iniFile, std::u16string_view section, std::u16string_view key,
    std::u16string_view def);

/// Sets `key` of `section` to `value`, creating the file, the section and the key as needed and keeping every
/// other line as it was: a new key goes after the last non-blank line of its section, a new section at the end.
/// The file keeps its encoding (UTF-8 or UTF-16 with a byte-order mark, else code page 932); a new file is code
/// page 932. A code page 932 file that would have to hold a character the code page lacks (𠮷, 😀, U+301C) is written
/// as UTF-16 LE with a byte-order mark instead, every line kept, so no value is ever stored as "?". The file is
/// replaced atomically. Throws IoError when the file cannot be read or
/// written, or when the section, key or value holds a line break (it would corrupt the file).
void IFWriteIniStr(const std::filesystem::path& iniFile, std::u16string_view section, std::u16string_view key,
    std::u16string_view value);

} // namespace plok
