#pragma once

#include "core/ByteScan.h"
#include "core/Errors.h"
#include "core/File.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plok {

/// What a LineReader does with a CR that no LF follows (before the end of the file or its 0x1A).
enum class LoneCr
{
    Drop, // the program's line rule: the CR is dropped and the line goes on
    Refuse, // reading stops with LoneCrError: where lines end is unclear, and a job that must see every record refuses
};

/// A lone CR met by a LineReader that refuses them. `what()` names the line.
class LoneCrError : public Error
{
public:
    explicit LoneCrError(std::uint64_t line);
    /// The line, counted from 1 as the reader counts them (at LF), in which the CR stands.
    std::uint64_t line() const { return m_line; }

private:
    std::uint64_t m_line;
};

/// Reads a text file line by line as raw bytes, with the program's line rules: a line ends at LF; every CR is
/// dropped (a CR before LF ends nothing by itself), or, with LoneCr::Refuse, a CR not followed by LF stops the
/// reading; the byte 0x1A ends the file and nothing after it is read; a last line without a line end is still read,
/// and a final CR LF adds no empty line.
/// Memory stays at one buffer plus the longest line.
class LineReader
{
public:
    /// The bytes after every line view, up to this many, are readable (other lines' bytes or padding), so that a
    /// scan may read whole 64-byte blocks past a line's end and leave the excess out of its masks.
    static constexpr std::size_t kReadableAfterLine = 64;

    /// Opens `path`; throws IoError when it cannot be opened.
    explicit LineReader(const std::filesystem::path& path, LoneCr loneCr = LoneCr::Drop);
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    /// Sets `line` to the next line (without its line end and CR bytes); false at the end of the file. The view
    /// points into the reader and stays valid until the next call. Throws IoError when a read fails, and
    /// LoneCrError for a line with a lone CR when they are refused.
    bool Next(std::string_view& line) { return NextInBuffer(line) || NextSlow(line); }
    /// Next for the usual case only: the whole line is in the buffer and ends in LF or CR LF with no other CR.
    /// Returns false, having changed nothing, when it is not; the buffer is then kept as it is, so views of earlier
    /// lines stay valid until the next call of Next.
    bool NextInBuffer(std::string_view& line)
    {
        // The line breaks of the buffer are taken 64 bytes at a time as a bit mask, so a line costs a few steps
        // rather than a scan of its own.
        for (;;) {
            while (m_breaks == 0) {
                if (m_nextBlock >= m_end)
                    return false;
                m_block = m_nextBlock;
                m_breaks = detail::LineBreakMask64(m_buf.data() + m_block);
                if (m_end - m_block < 64)
                    m_breaks &= (std::uint64_t(1) << (m_end - m_block)) - 1;
                m_nextBlock += 64;
            }
            const std::size_t brk = m_block + static_cast<std::size_t>(__builtin_ctzll(m_breaks));
            if (brk < m_pos) {
                m_breaks &= m_breaks - 1; // the LF of a CR LF already taken, or a break the slow way passed
                continue;
            }
            const char* start = m_buf.data() + m_pos;
            if (m_buf[brk] == '\n') {
                m_breaks &= m_breaks - 1;
                line = std::string_view(start, brk - m_pos);
                m_crlf = false;
                m_pos = brk + 1;
                ++m_lines;
                return true;
            }
            if (brk + 1 < m_end && m_buf[brk + 1] == '\n') {
                m_breaks &= m_breaks - 1;
                if (brk + 1 < m_nextBlock)
                    m_breaks &= m_breaks - 1; // that LF
                line = std::string_view(start, brk - m_pos);
                m_crlf = true;
                m_pos = brk + 2;
                ++m_lines;
                return true;
            }
            return false; // a CR inside the line, or at the end of the buffer
        }
    }
    /// Takes the lines from here on for as long as each is whole in the buffer, ends in CR LF with no other CR and
    /// `take(line)` (the line without its line end) is true, and sets `run` to their bytes, line ends included, as
    /// they stand in the file (empty when it took none). When the line that ends the run is whole in the buffer and
    /// ends in CR LF with no other CR, but `take` refused it, returns true with `line` set to it, as Next would have;
    /// otherwise returns false, and Next gives that line. The views stay valid until the next call of Next. Lets a
    /// caller that copies most lines unchanged deal with them in one piece.
    template<class Take>
    bool TakeWhile(Take take, std::string_view& run, std::string_view& line)
    {
        const char* const buf = m_buf.data();
        std::size_t pos = m_pos;
        std::size_t block = m_block;
        std::size_t nextBlock = m_nextBlock;
        std::uint64_t breaks = m_breaks;
        std::uint64_t lines = 0;
        bool refused = false;
        for (;;) {
            while (breaks == 0 && nextBlock < m_end) {
                block = nextBlock;
                breaks = detail::LineBreakMask64(buf + block);
                if (m_end - block < 64)
                    breaks &= (std::uint64_t(1) << (m_end - block)) - 1;
                nextBlock += 64;
            }
            if (breaks == 0)
                break;
            const std::size_t brk = block + static_cast<std::size_t>(__builtin_ctzll(breaks));
            if (brk < pos) {
                breaks &= breaks - 1;
                continue;
            }
            if (buf[brk] != '\r' || brk + 1 >= m_end || buf[brk + 1] != '\n')
                break;
            breaks &= breaks - 1;
            if (brk + 1 < nextBlock)
                breaks &= breaks - 1; // that LF
            const std::string_view next(buf + pos, brk - pos);
            if (!take(next)) {
                run = std::string_view(buf + m_pos, pos - m_pos);
                line = next;
                m_crlf = true;
                refused = true;
                pos = brk + 2;
                ++lines;
                break;
            }
            pos = brk + 2;
            ++lines;
        }
        if (!refused)
            run = std::string_view(buf + m_pos, pos - m_pos);
        m_block = block;
        m_nextBlock = nextBlock;
        m_breaks = breaks;
        m_pos = pos;
        m_lines += lines;
        return refused;
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
    /// The file's first line without its line end (up to its first CR or LF), as far as the first read of the file
    /// holds it (64 KiB unless the file is shorter); nothing when the file holds no byte before its end or its 0x1A.
    /// Only before the first call of Next or TakeWhile, which then still give the first line: lets a caller look at
    /// the first line of a file it reads once.
    std::optional<std::string_view> FirstLine();
    /// True once the reading has met the byte 0x1A that ends the file.
    bool MetEndMark() const { return m_endMark; }
    /// The lines handed out so far: the number of the line last given, counted from 1.
    std::uint64_t LineNumber() const { return m_lines; }

private:
    bool Fill();
    bool NextSlow(std::string_view& line);
    void LoneCrFound() const;

    FileHandle m_file;
    LoneCr m_loneCr;
    std::uint64_t m_lines = 0; // lines handed out so far
    std::vector<char> m_buf; // 64 bytes longer than a fill, so that a mask can always be taken of a whole block
    std::size_t m_pos = 0;
    std::size_t m_end = 0;
    std::size_t m_block = 0; // where the block of m_breaks starts
    std::size_t m_nextBlock = 0;
    std::uint64_t m_breaks = 0; // CR and LF bytes of the block not yet taken
    bool m_eof = false;
    bool m_crlf = false;
    bool m_endMark = false;
    std::string m_scratch; // a line that spans two buffer fills or holds a CR inside
};

} // namespace plok
