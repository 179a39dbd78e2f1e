#pragma once

#include <array>
#include <streambuf>

namespace plok {

/// A buffered output stream buffer over a file descriptor that remembers why writing failed, so that a program can
/// tell its user that its standard output was lost (a full disk, a closed pipe) instead of ending as if all was well.
class FdStreamBuf : public std::streambuf
{
public:
    explicit FdStreamBuf(int fd)
        : m_fd(fd)
    {
        setp(m_buf.data(), m_buf.data() + m_buf.size());
    }
    ~FdStreamBuf() override { sync(); }

    /// Writes what is buffered and closes the descriptor; returns the first error of any write or of the close (an
    /// errno value), 0 when everything reached the file.
    int Close();
    /// The first write error so far, 0 when none.
    int error() const { return m_error; }

protected:
    int_type overflow(int_type c) override;
    int sync() override;

private:
    bool Drain();

    int m_fd;
    int m_error = 0;
    std::array<char, 1 << 14> m_buf {};
};

} // namespace plok
