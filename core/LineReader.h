#pragma once

#include "core/ByteScan.h"
#include "core/File.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace plok {

/// Reads a text file line by line as raw bytes, with the program's line rules: a line ends at LF; every CR is
/// dropped (a CR before LF ends nothing by itself); the byte 0x1A ends the file and nothing after it is read;
/// a last line without a line end is still read, and a final CR LF adds no empty line.
/// Memory stays at one buffer plus the longest line.
class LineReader
{
public:
    /// Opens `path`; throws IoError when it cannot be opened.
    explicit LineReader(const std::filesystem::path& path);
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    /// Sets `line` to the next line (without its line end and CR bytes); false at the end of the file. The view
    /// points into the reader and stays valid until the next call. Throws IoError when a read fails.
    bool Next(std::string_view& line)
    {
        // Inline for the usual case: the whole line is in the buffer and ends in LF or CR LF with no other CR.
        if (m_pos < m_end) {
            const char* start = m_buf.data() + m_pos;
            const char* end = m_buf.data() + m_end;
            const char* brk = detail::FindLineBreak(start, end);
            if (brk < end && (*brk == '\n' || (brk + 1 < end && brk[1] == '\n'))) {
                line = std::string_view(start, static_cast<std::size_t>(brk - start));
                m_crlf = *brk == '\r';
                m_pos = static_cast<std::size_t>(brk - m_buf.data()) + (m_crlf ? 2 : 1);
                return true;
            }
        }
        return NextSlow(line);
    }
    /// The line last returned followed by its CR LF, when those were exactly its bytes in the file; otherwise an
    /// empty view. Lets a caller that copies the line unchanged write it in one piece.
    std::string_view LastLineWithCrLf(std::string_view line) const
    {
        return m_crlf ? std::string_view(line.data(), line.size() + 2) : std::string_view();
    }
    /// The same, copied into `line`.
    bool Next(std::string& line);
    /// Closes the file early; further calls of Next return false.
    void Close();

private:
    bool Fill();
    bool NextSlow(std::string_view& line);

    FileHandle m_file;
    std::vector<char> m_buf;
    std::size_t m_pos = 0;
    std::size_t m_end = 0;
    bool m_eof = false;
    bool m_crlf = false;
    std::string m_scratch; // a line that spans two buffer fills or holds a CR inside
};

} // namespace plok
