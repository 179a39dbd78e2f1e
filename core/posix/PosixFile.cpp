#include "core/Errors.h"
#include "core/File.h"
#include "core/FileNames.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace plok {

namespace {

int Fd(FileHandle::Native native)
{
    return static_cast<int>(native);
}

} // namespace

FileHandle FileHandle::OpenForReading(const std::filesystem::path& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw MakeIoError(PathUtf8(path), "を開けません", errno);
    return FileHandle(fd, path);
}

int FileHandle::Close()
{
    if (m_native == kNone)
        return 0;
    const int err = ::close(Fd(std::exchange(m_native, kNone))) != 0 ? errno : 0;
    // Linux closes the descriptor even when close reports EINTR; retrying could close someone else's.
    return err == EINTR ? 0 : err;
}

std::size_t FileHandle::Read(char* buf, std::size_t size)
{
    for (;;) {
        const ssize_t n = ::read(Fd(m_native), buf, size);
        if (n >= 0)
            return static_cast<std::size_t>(n);
        if (errno != EINTR)
            throw MakeIoError(PathUtf8(m_path), "を読み込めません", errno, m_kind);
    }
}

void FileHandle::AdviseSequential() const
{
    if (m_native != kNone)
        ::posix_fadvise(Fd(m_native), 0, 0, POSIX_FADV_SEQUENTIAL);
}

std::size_t FileHandle::SizeHint() const
{
    struct stat st
    { };
    return ::fstat(Fd(m_native), &st) == 0 && st.st_size > 0 ? static_cast<std::size_t>(st.st_size) : 0;
}

void FileHandle::WriteAll(std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(Fd(m_native), bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw MakeIoError(PathUtf8(m_path), "に書き込めません", errno, m_kind);
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

} // namespace plok
