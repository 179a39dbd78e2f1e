#include "core/AtomicFile.h"

#include "core/Errors.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plok {

namespace {

// Write-back is started every few MiB so that the final fsync finds little left to do.
constexpr std::size_t kWriteBackStep = std::size_t(8) << 20;

mode_t CurrentUmask()
{
    // umask can only be read by setting it; put it straight back.
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

} // namespace

AtomicFile::AtomicFile(const std::filesystem::path& folder)
{
    std::string tmpl = (folder / ".plok-XXXXXX.tmp").string();
    m_fd = ::mkostemps(tmpl.data(), 4, O_CLOEXEC);
    if (m_fd < 0)
        throw MakeIoError(folder.string(), "に書き込めません", errno);
    m_temp = tmpl;
    // mkstemp makes the file private; an output should carry the usual permissions.
    ::fchmod(m_fd, 0666 & ~CurrentUmask());
    m_buf.reserve(kBufferSize);
}

AtomicFile::~AtomicFile()
{
    Discard();
}

void AtomicFile::Discard()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temp.empty()) {
        ::unlink(m_temp.c_str());
        m_temp.clear();
    }
}

void AtomicFile::Flush()
{
    const char* p = m_buf.data();
    std::size_t left = m_buf.size();
    while (left > 0) {
        const ssize_t n = ::write(m_fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int err = errno;
            const std::string name = m_temp.string();
            Discard();
            throw MakeIoError(name, "に書き込めません", err);
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    m_written += m_buf.size();
    m_buf.clear();
#ifdef __linux__
    if (m_written - m_synced >= kWriteBackStep) {
        // Only starts the write-back, without waiting; failures surface at the fsync in Commit.
        ::sync_file_range(
            m_fd, static_cast<off_t>(m_synced), static_cast<off_t>(m_written - m_synced), SYNC_FILE_RANGE_WRITE);
        m_synced = m_written;
    }
#endif
}

void AtomicFile::WriteSlow(std::string_view bytes)
{
    if (m_fd < 0)
        throw IoError("一時ファイルは既に閉じられています。");
    Flush();
    if (bytes.size() >= kBufferSize) {
        m_buf.assign(bytes);
        Flush();
        m_buf.reserve(kBufferSize);
        return;
    }
    m_buf.append(bytes);
}

void AtomicFile::Commit(const std::filesystem::path& target)
{
    if (m_fd < 0)
        throw IoError("一時ファイルは既に閉じられています。");
    Flush();
    // The new content must be on disk before the rename makes it the only copy.
    const int syncErr = ::fsync(m_fd) != 0 ? errno : 0;
    const int closeErr = ::close(m_fd) != 0 ? errno : 0;
    if (syncErr != 0 || closeErr != 0) {
        m_fd = -1;
        Discard();
        throw MakeIoError(target.string(), "に書き込めません", syncErr != 0 ? syncErr : closeErr);
    }
    m_fd = -1;
    if (::rename(m_temp.c_str(), target.c_str()) != 0) {
        const int err = errno;
        Discard();
        throw MakeIoError(target.string(), "を作成できません", err);
    }
    m_temp.clear();
    // Make the rename itself durable; a folder that cannot be synced still holds the complete file.
    const int dir
        = ::open(target.parent_path().empty() ? "." : target.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

} // namespace plok
