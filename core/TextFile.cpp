#include "core/TextFile.h"

#include "core/AtomicFile.h"
#include "core/Cp932.h"
#include "core/Errors.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plok {

namespace {

std::string ReadWholeFile(const std::filesystem::path& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw MakeIoError(path.string(), "を開けません", errno);
    std::string bytes;
    struct stat st
    { };
    if (::fstat(fd, &st) == 0 && st.st_size > 0)
        bytes.reserve(static_cast<std::size_t>(st.st_size));
    char buf[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int err = errno;
            ::close(fd);
            throw MakeIoError(path.string(), "を読み込めません", err);
        }
        if (n == 0)
            break;
        bytes.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return bytes;
}

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

std::u16string DecodeWithBom(std::string_view bytes)
{
    if (bytes.starts_with("\xEF\xBB\xBF"))
        return FromUtf8(bytes.substr(3));
    if (bytes.starts_with("\xFF\xFE"))
        return DecodeUtf16(bytes.substr(2), false);
    if (bytes.starts_with("\xFE\xFF"))
        return DecodeUtf16(bytes.substr(2), true);
    return cp932::Decode(bytes);
}

} // namespace

std::vector<Line> LoadLines(const std::filesystem::path& path)
{
    const std::u16string text = DecodeWithBom(ReadWholeFile(path));
    std::vector<Line> lines;
    std::size_t start = 0;
    const std::size_t n = text.size();
    while (start < n) {
        std::size_t end = start;
        while (end < n && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        lines.emplace_back(text, start, end - start);
        if (end < n && text[end] == u'\r' && end + 1 < n && text[end + 1] == u'\n')
            ++end;
        start = end + 1;
    }
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
