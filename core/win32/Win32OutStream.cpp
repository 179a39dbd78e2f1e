#include "core/OutStream.h"
#include "core/Text.h"
#include "core/win32/Win32.h"

#include <algorithm>

namespace plok {

namespace {

/// The length of the longest start of `bytes` that ends with a whole UTF-8 sequence (or an invalid byte, which stays
/// in place to become U+FFFD); the rest is the start of a character whose other bytes are still to come.
std::size_t WholeCharacters(std::string_view bytes)
{
    const std::size_t n = bytes.size();
    for (std::size_t back = 1; back <= std::min<std::size_t>(3, n); ++back) {
        const auto b = static_cast<unsigned char>(bytes[n - back]);
        if ((b & 0xC0) == 0x80)
            continue; // a continuation byte: look further back for its lead
        const std::size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        return length > back ? n - back : n;
    }
    return n;
}

} // namespace

void StdStreamBuf::OpenStream(Stream stream)
{
    const HANDLE h = ::GetStdHandle(stream == Stream::Out ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    m_native = reinterpret_cast<std::intptr_t>(h);
    DWORD mode = 0;
    m_console = h != nullptr && h != INVALID_HANDLE_VALUE && ::GetConsoleMode(h, &mode);
}

int StdStreamBuf::WriteOut(std::string_view bytes)
{
    const auto h = reinterpret_cast<HANDLE>(m_native);
    if (h == nullptr || h == INVALID_HANDLE_VALUE)
        return ERROR_INVALID_HANDLE;
    if (!m_console) {
        while (!bytes.empty()) {
            DWORD n = 0;
            const auto want = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), DWORD(1) << 30));
            if (!::WriteFile(h, bytes.data(), want, &n, nullptr))
                return static_cast<int>(::GetLastError());
            bytes.remove_prefix(n);
        }
        return 0;
    }
    m_carry.append(bytes);
    const std::size_t whole = bytes.empty() ? m_carry.size() : WholeCharacters(m_carry);
    const std::u16string text = FromUtf8(std::string_view(m_carry).substr(0, whole));
    m_carry.erase(0, whole);
    std::size_t done = 0;
    while (done < text.size()) {
        DWORD n = 0;
        const auto want = static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 8192));
        if (!::WriteConsoleW(h, reinterpret_cast<const wchar_t*>(text.data() + done), want, &n, nullptr))
            return static_cast<int>(::GetLastError());
        done += n;
    }
    return 0;
}

int StdStreamBuf::CloseStream()
{
    // An unfinished character at the very end is written as what it is: not UTF-8.
    if (m_console && !m_carry.empty())
        return WriteOut({});
    return 0;
}

} // namespace plok
