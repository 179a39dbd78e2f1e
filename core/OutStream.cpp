#include "core/OutStream.h"

namespace plok {

StdStreamBuf::StdStreamBuf(Stream stream)
{
    OpenStream(stream);
    setp(m_buf.data(), m_buf.data() + m_buf.size());
}

bool StdStreamBuf::Drain()
{
    const std::string_view bytes(pbase(), static_cast<std::size_t>(pptr() - pbase()));
    if (!bytes.empty() && m_error == 0)
        m_error = WriteOut(bytes);
    // What could not be written is dropped: the error is what the caller reports.
    setp(m_buf.data(), m_buf.data() + m_buf.size());
    return m_error == 0;
}

StdStreamBuf::int_type StdStreamBuf::overflow(int_type c)
{
    if (!Drain())
        return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

int StdStreamBuf::sync()
{
    return Drain() ? 0 : -1;
}

int StdStreamBuf::Close()
{
    Drain();
    if (const int err = CloseStream(); err != 0 && m_error == 0)
        m_error = err;
    return m_error;
}

} // namespace plok
