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
    const int fd = ::mkostemps(tmpl.data(), 4, O_CLOEXEC);
    if (fd < 0)
        throw MakeIoError(folder.string(), "に書き込めません", errno);
    m_temp = tmpl;
    m_file = FileHandle(fd, m_temp);
    // mkstemp makes the file private; an output should carry the usual permissions.
    ::fchmod(fd, 0666 & ~CurrentUmask());
    m_buf.reserve(kBufferSize);
}

AtomicFile::~AtomicFile()
{
    Discard();
}

void AtomicFile::Discard()
{
    m_file.Close();
    if (!m_temp.empty()) {
        ::unlink(m_temp.c_str());
        m_temp.clear();
    }
}

void AtomicFile::Flush()
{
    try {
        m_file.WriteAll(m_buf);
    } catch (const IoError&) {
        Discard();
        throw;
    }
    m_written += m_buf.size();
    m_buf.clear();
#ifdef __linux__
    if (m_written - m_synced >= kWriteBackStep) {
        // Only starts the write-back, without waiting; failures surface at the fsync in Commit.
        ::sync_file_range(
            m_file.fd(), static_cast<off_t>(m_synced), static_cast<off_t>(m_written - m_synced), SYNC_FILE_RANGE_WRITE);
        m_synced = m_written;
    }
#endif
}

void AtomicFile::WriteSlow(std::string_view bytes)
{
    if (!m_file.IsOpen())
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
    if (!m_file.IsOpen())
        throw IoError("一時ファイルは既に閉じられています。");
    Flush();
    // The new content must be on disk before the rename makes it the only copy.
    const int syncErr = ::fsync(m_file.fd()) != 0 ? errno : 0;
    const int closeErr = m_file.Close();
    if (syncErr != 0 || closeErr != 0) {
        Discard();
        throw MakeIoError(target.string(), "に書き込めません", syncErr != 0 ? syncErr : closeErr);
    }
    if (::rename(m_temp.c_str(), target.c_str()) != 0) {
        const int err = errno;
        Discard();
        throw MakeIoError(target.string(), "を作成できません", err);
    }
    m_temp.clear();
    // Make the rename itself durable; a folder that cannot be synced still holds the complete file.
    const std::filesystem::path folder = target.parent_path().empty() ? "." : target.parent_path();
    const FileHandle dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC), folder);
    if (dir.IsOpen())
        ::fsync(dir.fd());
}

} // namespace plok
