#pragma once

#include <array>
#include <cstdint>
#include <streambuf>
#include <string>
#include <string_view>

namespace plok {

/// A buffered stream buffer over the program's standard output or standard error that remembers why writing failed,
/// so that a program can tell its user that its output was lost (a full disk, a closed pipe) instead of ending as if
/// all was well. Text goes in as UTF-8. On Windows a console is written in UTF-16 (WriteConsoleW), so that Japanese
/// shows whatever the console's code page; a file or a pipe gets the UTF-8 bytes unchanged (binary: no CR is added).
class StdStreamBuf : public std::streambuf
{
public:
    enum class Stream
    {
        Out,
        Err,
    };

    explicit StdStreamBuf(Stream stream);
    ~StdStreamBuf() override { sync(); }
    StdStreamBuf(const StdStreamBuf&) = delete;
    StdStreamBuf& operator=(const StdStreamBuf&) = delete;

    /// Writes what is buffered and closes the stream; returns the system's error code of the first failed write or of
    /// the close, 0 when everything reached its place.
    int Close();
    /// The first write error so far, 0 when none.
    int error() const { return m_error; }

protected:
    int_type overflow(int_type c) override;
    int sync() override;

private:
    bool Drain();
    // The system's side (core/posix/, core/win32/).
    void OpenStream(Stream stream);
    int WriteOut(std::string_view bytes);
    int CloseStream();

    std::intptr_t m_native = -1; // file descriptor or HANDLE
    bool m_console = false; // Windows: a console, written in UTF-16
    std::string m_carry; // Windows console: the first bytes of a character whose rest comes with the next write
    int m_error = 0;
    std::array<char, 1 << 14> m_buf {};
};

} // namespace plok
