#include "core/File.h"

#include "core/Errors.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace plok {

FileHandle FileHandle::OpenForReading(const std::filesystem::path& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw MakeIoError(path.string(), "を開けません", errno);
    return FileHandle(fd, path);
}

FileHandle::FileHandle(int fd, std::filesystem::path path)
    : m_fd(fd)
    , m_path(std::move(path))
{ }

FileHandle::~FileHandle()
{
    Close();
}

FileHandle::FileHandle(FileHandle&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1))
    , m_path(std::move(other.m_path))
{ }

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept
{
    if (this != &other) {
        Close();
        m_fd = std::exchange(other.m_fd, -1);
        m_path = std::move(other.m_path);
    }
    return *this;
}

int FileHandle::Close()
{
    if (m_fd < 0)
        return 0;
    const int err = ::close(std::exchange(m_fd, -1)) != 0 ? errno : 0;
    // Linux closes the descriptor even when close reports EINTR; retrying could close someone else's.
    return err == EINTR ? 0 : err;
}

std::size_t FileHandle::Read(char* buf, std::size_t size)
{
    for (;;) {
        const ssize_t n = ::read(m_fd, buf, size);
        if (n >= 0)
            return static_cast<std::size_t>(n);
        if (errno != EINTR)
            throw MakeIoError(m_path.string(), "を読み込めません", errno);
    }
}

void FileHandle::AdviseSequential() const
{
    if (m_fd >= 0)
        ::posix_fadvise(m_fd, 0, 0, POSIX_FADV_SEQUENTIAL);
}

std::size_t FileHandle::SizeHint() const
{
    struct stat st
    { };
    return ::fstat(m_fd, &st) == 0 && st.st_size > 0 ? static_cast<std::size_t>(st.st_size) : 0;
}

void FileHandle::WriteAll(std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(m_fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw MakeIoError(m_path.string(), "に書き込めません", errno);
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

std::string ReadAll(const std::filesystem::path& path)
{
    FileHandle file = FileHandle::OpenForReading(path);
    // Read straight into the result: one copy of the file in memory, however large.
    std::string bytes(file.SizeHint() + 1, '\0');
    std::size_t used = 0;
    for (;;) {
        if (used == bytes.size())
            bytes.resize(bytes.size() * 2 + (std::size_t(1) << 16));
        const std::size_t n = file.Read(bytes.data() + used, bytes.size() - used);
        if (n == 0)
            break;
        used += n;
    }
    bytes.resize(used);
    return bytes;
}

} // namespace plok
