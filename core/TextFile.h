#pragma once

#include "core/Text.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plok {

/// How a text file is encoded: a byte-order mark names UTF-8 or UTF-16; without one the bytes are code page 932.
enum class TextEncoding
{
    Cp932,
    Utf8,
    Utf16Le,
    Utf16Be,
};

/// The encoding the first bytes of a file name.
TextEncoding DetectEncoding(std::string_view bytes);
/// The text of a whole file's bytes, without its byte-order mark. Never throws.
std::u16string DecodeText(std::string_view bytes);
/// Cuts `text` into lines at CR LF, LF and CR; a break at the very end adds no empty line.
std::vector<Line> SplitLines(std::u16string_view text);

/// The lines of a whole file, decoded one at a time by the rules of LoadLines: memory holds the file's bytes once,
/// never its whole text.
class TextLines
{
public:
    /// Reads the file whole; throws IoError.
    explicit TextLines(const std::filesystem::path& path);
    /// The lines of a file's bytes.
    explicit TextLines(std::string bytes);

    TextEncoding encoding() const { return m_encoding; }
    /// Sets `line` to the next line's text; false after the last line.
    bool Next(Line& line);
    /// The bytes the line last returned was decoded from, without its line end. For a code page 932 file a line a
    /// caller leaves unchanged can be written back as these bytes, byte for byte.
    std::string_view raw() const { return m_raw; }
    /// True when the line last returned ended in a line break (rather than at the end of the bytes).
    bool lineEnded() const { return m_lineEnded; }

private:
    std::string m_bytes;
    std::size_t m_pos = 0;
    std::string_view m_raw;
    bool m_lineEnded = false;
    TextEncoding m_encoding = TextEncoding::Cp932;
};

/// The first line of the file `path` by the rules of LoadLines, reading no further than its line end or, when the
/// line is longer, its first `maxBytes` bytes (the line is then cut there). Nothing when the file holds no line.
/// Throws IoError.
std::optional<Line> ReadFirstLine(const std::filesystem::path& path, std::size_t maxBytes = SIZE_MAX);

/// True when the file `path` holds at least one line (anything besides a byte-order mark), reading at most its
/// first four bytes. Throws IoError.
bool HasLines(const std::filesystem::path& path);

/// Loads a whole file into a line list: a byte-order mark selects UTF-8 or UTF-16 LE/BE, otherwise the bytes are
/// code page 932. Lines are cut at CR LF, LF and CR; a break at the very end adds no empty line. Throws IoError.
std::vector<Line> LoadLines(const std::filesystem::path& path);

/// Writes `lines` to `file` in code page 932, each followed by CR LF, with no byte-order mark and no 0x1A.
/// Characters the code page cannot hold are written as "?". The file is replaced atomically: on failure an
/// existing file keeps its content and no partial file is left. Throws IoError.
void WrtSet(const std::filesystem::path& file, const std::vector<Line>& lines);

} // namespace plok
