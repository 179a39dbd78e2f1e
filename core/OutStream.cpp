#include "core/OutStream.h"

#include <cerrno>
#include <unistd.h>

namespace plok {

bool FdStreamBuf::Drain()
{
    const char* p = pbase();
    std::size_t left = static_cast<std::size_t>(pptr() - pbase());
    while (left > 0 && m_error == 0) {
        const ssize_t n = ::write(m_fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            m_error = errno;
            break;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    // What could not be written is dropped: the error is what the caller reports.
    setp(m_buf.data(), m_buf.data() + m_buf.size());
    return m_error == 0;
}

FdStreamBuf::int_type FdStreamBuf::overflow(int_type c)
{
    if (!Drain())
        return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

int FdStreamBuf::sync()
{
    return Drain() ? 0 : -1;
}

int FdStreamBuf::Close()
{
    Drain();
    if (m_fd >= 0) {
        // A file system may report a lost write only when the file is closed.
        if (::close(m_fd) != 0 && m_error == 0 && errno != EINTR)
            m_error = errno;
        m_fd = -1;
    }
    return m_error;
}

} // namespace plok
