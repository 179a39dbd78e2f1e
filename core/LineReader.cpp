#include "core/LineReader.h"

#include <cstring>
#include <string>

namespace plok {

namespace {

constexpr std::size_t kBufferSize = 1 << 16;
constexpr std::size_t kBlockPadding = LineReader::kReadableAfterLine;
constexpr char kEndOfFile = 0x1A;

/// Appends `bytes` to `line` without its CR bytes. Returns the number of CR bytes dropped that were not the last
/// byte.
std::size_t AppendWithoutCr(std::string& line, const char* bytes, std::size_t len)
{
    const char* end = bytes + len;
    std::size_t inner = 0;
    for (;;) {
        const auto* cr = static_cast<const char*>(std::memchr(bytes, '\r', static_cast<std::size_t>(end - bytes)));
        if (!cr) {
            line.append(bytes, end);
            return inner;
        }
        line.append(bytes, cr);
        bytes = cr + 1;
        if (bytes != end)
            ++inner;
    }
}

} // namespace

LoneCrError::LoneCrError(std::uint64_t line)
    : Error(std::to_string(line) + "行目に、LF の続かない CR（改行の文字）があります。")
    , m_line(line)
{ }

LineReader::LineReader(const std::filesystem::path& path, LoneCr loneCr)
    : m_file(FileHandle::OpenForReading(path))
    , m_loneCr(loneCr)
{
    m_file.AdviseSequential();
    m_buf.resize(kBufferSize + kBlockPadding);
}

LineReader::~LineReader()
{
    Close();
}

void LineReader::Close()
{
    m_file.Close();
    m_eof = true;
    m_pos = m_end = m_nextBlock = 0;
    m_breaks = 0;
}

bool LineReader::Fill()
{
    if (m_eof)
        return false;
    const std::size_t n = m_file.Read(m_buf.data(), kBufferSize);
    if (n == 0) {
        m_eof = true;
        return false;
    }
    m_pos = 0;
    m_end = n;
    m_nextBlock = 0;
    m_breaks = 0;
    // Nothing after an end-of-file byte is ever read.
    if (const void* sub = std::memchr(m_buf.data(), kEndOfFile, m_end)) {
        m_end = static_cast<std::size_t>(static_cast<const char*>(sub) - m_buf.data());
        m_eof = true;
        m_endMark = true;
    }
    return m_end > 0 || !m_eof;
}

std::optional<std::string_view> LineReader::FirstLine()
{
    if (m_lines == 0 && m_end == 0)
        Fill();
    if (m_lines != 0 || m_end == 0)
        return std::nullopt;
    const std::string_view bytes(m_buf.data(), m_end);
    return bytes.substr(0, bytes.find_first_of("\r\n"));
}

bool LineReader::NextSlow(std::string_view& line)
{
    m_crlf = false;
    if (m_pos == m_end) {
        if (!Fill())
            return false;
        if (NextInBuffer(line))
            return true;
    }
    // A CR inside the line, or a line that goes on after this buffer: collect it without its CR bytes. A CR is
    // lone unless LF follows it, perhaps at the start of the next fill.
    m_scratch.clear();
    bool crAtEnd = false;
    while (m_pos < m_end || Fill()) {
        const char* start = m_buf.data() + m_pos;
        const std::size_t avail = m_end - m_pos;
        const auto* lf = static_cast<const char*>(std::memchr(start, '\n', avail));
        const std::size_t len = lf ? static_cast<std::size_t>(lf - start) : avail;
        const std::size_t innerCrs = AppendWithoutCr(m_scratch, start, len);
        if (innerCrs > 0 || (crAtEnd && len > 0))
            LoneCrFound();
        crAtEnd = len > 0 && start[len - 1] == '\r' && !lf;
        m_pos += lf ? len + 1 : len;
        if (lf)
            break;
    }
    if (crAtEnd)
        LoneCrFound();
    ++m_lines;
    const std::size_t size = m_scratch.size();
    m_scratch.append(kReadableAfterLine, '\0');
    line = std::string_view(m_scratch.data(), size);
    return true;
}

void LineReader::LoneCrFound() const
{
    if (m_loneCr == LoneCr::Refuse)
        throw LoneCrError(m_lines + 1);
}

bool LineReader::Next(std::string& line)
{
    std::string_view view;
    if (!Next(view)) {
        line.clear();
        return false;
    }
    line.assign(view);
    return true;
}

} // namespace plok
