#include "core/TextFile.h"

#include "core/AtomicFile.h"
#include "core/ByteScan.h"
#include "core/Cp932.h"
#include "core/File.h"

#include <algorithm>

namespace plok {

namespace {

std::u16string DecodeUtf16(std::string_view bytes, bool bigEndian)
{
    std::u16string out;
    out.reserve(bytes.size() / 2 + 1);
    std::size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        out += static_cast<char16_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
    }
    if (i < bytes.size())
        out += u'\uFFFD';
    return out;
}

} // namespace

TextEncoding DetectEncoding(std::string_view bytes)
{
    if (bytes.starts_with("\xEF\xBB\xBF"))
        return TextEncoding::Utf8;
    if (bytes.starts_with("\xFF\xFE"))
        return TextEncoding::Utf16Le;
    if (bytes.starts_with("\xFE\xFF"))
        return TextEncoding::Utf16Be;
    return TextEncoding::Cp932;
}

std::u16string DecodeText(std::string_view bytes)
{
    switch (DetectEncoding(bytes)) {
    case TextEncoding::Utf8:
        return FromUtf8(bytes.substr(3));
    case TextEncoding::Utf16Le:
        return DecodeUtf16(bytes.substr(2), false);
    case TextEncoding::Utf16Be:
        return DecodeUtf16(bytes.substr(2), true);
    case TextEncoding::Cp932:
        break;
    }
    return cp932::Decode(bytes);
}

std::vector<Line> SplitLines(std::u16string_view text)
{
    std::vector<Line> lines;
    std::size_t start = 0;
    const std::size_t n = text.size();
    while (start < n) {
        std::size_t end = start;
        while (end < n && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        lines.emplace_back(text.substr(start, end - start));
        if (end < n && text[end] == u'\r' && end + 1 < n && text[end + 1] == u'\n')
            ++end;
        start = end + 1;
    }
    return lines;
}

TextLines::TextLines(const std::filesystem::path& path)
    : TextLines(ReadAll(path))
{ }

TextLines::TextLines(std::string bytes)
    : m_bytes(std::move(bytes))
    , m_encoding(DetectEncoding(m_bytes))
{
    m_pos = m_encoding == TextEncoding::Cp932 ? 0 : m_encoding == TextEncoding::Utf8 ? 3 : 2;
}

bool TextLines::Next(Line& line)
{
    const std::size_t n = m_bytes.size();
    if (m_pos >= n)
        return false;
    const char* const data = m_bytes.data();
    const bool utf16 = m_encoding == TextEncoding::Utf16Le || m_encoding == TextEncoding::Utf16Be;
    std::size_t end = m_pos;
    std::size_t next = n;
    if (!utf16) {
        // Neither a UTF-8 continuation byte nor a code page 932 trail byte is ever CR or LF.
        end = static_cast<std::size_t>(detail::FindLineBreak(data + m_pos, data + n) - data);
        if (end < n)
            next = end + (data[end] == '\r' && end + 1 < n && data[end + 1] == '\n' ? 2 : 1);
    } else {
        const bool big = m_encoding == TextEncoding::Utf16Be;
        auto unit = [&](std::size_t i) {
            const auto a = static_cast<unsigned char>(data[i]);
            const auto b = static_cast<unsigned char>(data[i + 1]);
            return static_cast<char16_t>(big ? (a << 8) | b : (b << 8) | a);
        };
        while (end + 1 < n && unit(end) != u'\r' && unit(end) != u'\n')
            end += 2;
        if (end + 1 >= n)
            end = n;
        else
            next = end + (unit(end) == u'\r' && end + 3 < n && unit(end + 2) == u'\n' ? 4 : 2);
    }
    m_raw = std::string_view(data + m_pos, end - m_pos);
    m_lineEnded = end < n;
    m_pos = next;
    line.clear();
    switch (m_encoding) {
    case TextEncoding::Cp932:
        cp932::DecodeAppend(m_raw, line);
        break;
    case TextEncoding::Utf8:
        line = FromUtf8(m_raw);
        break;
    case TextEncoding::Utf16Le:
    case TextEncoding::Utf16Be:
        line = DecodeUtf16(m_raw, m_encoding == TextEncoding::Utf16Be);
        break;
    }
    return true;
}

std::optional<Line> ReadFirstLine(const std::filesystem::path& path, std::size_t maxBytes)
{
    FileHandle file = FileHandle::OpenForReading(path);
    std::string bytes;
    std::size_t chunk = std::size_t(1) << 12;
    for (;;) {
        const std::size_t want = std::min(chunk, maxBytes - std::min(maxBytes, bytes.size()));
        if (want == 0)
            break;
        const std::size_t had = bytes.size();
        bytes.resize(had + want);
        const std::size_t got = file.Read(bytes.data() + had, want);
        bytes.resize(had + got);
        if (got == 0)
            break;
        // A CR or LF byte may end the line; the decoder tells whether it really does (in UTF-16 it may be half of
        // another character). Chunks grow so that a long line is still read in linear time.
        if (bytes.find_first_of("\r\n", had) != std::string::npos) {
            TextLines probe(bytes);
            Line line;
            if (probe.Next(line) && probe.lineEnded())
                return line;
        }
        chunk *= 2;
    }
    TextLines lines(std::move(bytes));
    Line line;
    if (!lines.Next(line))
        return std::nullopt;
    return line;
}

bool HasLines(const std::filesystem::path& path)
{
    return ReadFirstLine(path, 4).has_value();
}

std::vector<Line> LoadLines(const std::filesystem::path& path)
{
    TextLines in(path);
    std::vector<Line> lines;
    Line line;
    while (in.Next(line))
        lines.push_back(line);
    return lines;
}

void WrtSet(const std::filesystem::path& file, const std::vector<Line>& lines)
{
    const std::filesystem::path folder = file.parent_path().empty() ? std::filesystem::path(".") : file.parent_path();
    AtomicFile out(folder);
    std::string bytes;
    for (const Line& line : lines) {
        bytes.clear();
        cp932::EncodeAppend(line, bytes);
        bytes += "\r\n";
        out.Write(bytes);
    }
    out.Commit(file);
}

} // namespace plok
