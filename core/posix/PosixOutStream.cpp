#include "core/OutStream.h"

#include <cerrno>
#include <unistd.h>

namespace plok {

void StdStreamBuf::OpenStream(Stream stream)
{
    m_native = stream == Stream::Out ? STDOUT_FILENO : STDERR_FILENO;
}

int StdStreamBuf::WriteOut(std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(static_cast<int>(m_native), bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

int StdStreamBuf::CloseStream()
{
    // Standard error stays open for whatever the runtime still has to say (a sanitizer's report).
    if (m_native != STDOUT_FILENO)
        return 0;
    // A file system may report a lost write only when the file is closed.
    const int err = ::close(static_cast<int>(m_native)) != 0 && errno != EINTR ? errno : 0;
    m_native = -1;
    return err;
}

} // namespace plok
