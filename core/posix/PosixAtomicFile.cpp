#include "core/AtomicFile.h"
#include "core/Errors.h"
#include "core/FileNames.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
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

/// The names of the temporary files that exist right now, readable from a signal handler: fixed storage, and a slot
/// is marked used only once its name is complete.
struct PendingSlot
{
    std::atomic<bool> used {false};
    char path[4096] = {};
};
std::array<PendingSlot, 32> g_pending;

int Remember(const std::filesystem::path& path)
{
    const std::string& s = path.native();
    if (s.size() >= sizeof(PendingSlot::path))
        return -1;
    for (std::size_t i = 0; i < g_pending.size(); ++i) {
        PendingSlot& slot = g_pending[i];
        if (slot.used.load(std::memory_order_acquire))
            continue;
        // The name is complete before the slot is published, so a handler never reads half of it.
        std::memcpy(slot.path, s.c_str(), s.size() + 1);
        slot.used.store(true, std::memory_order_release);
        return static_cast<int>(i);
    }
    return -1;
}

void Release(int index)
{
    if (index < 0)
        return;
    g_pending[static_cast<std::size_t>(index)].used.store(false, std::memory_order_release);
}

bool AnonymousFilesWork()
{
    // Naming an anonymous file goes through the process's own file table.
    static const bool procFd = ::access("/proc/self/fd", X_OK) == 0;
    return procFd;
}

int Fd(const FileHandle& file)
{
    return static_cast<int>(file.native());
}

std::filesystem::path ProcPath(const FileHandle& file)
{
    return "/proc/self/fd/" + std::to_string(Fd(file));
}

} // namespace

void RemovePendingTempFiles() noexcept
{
    for (PendingSlot& slot : g_pending)
        if (slot.used.load(std::memory_order_acquire))
            ::unlink(slot.path);
}

void RemoveTempFilesOnInterrupt()
{
    struct sigaction action
    { };
    action.sa_handler = [](int signal) {
        RemovePendingTempFiles();
        ::_exit(128 + signal);
    };
    ::sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

AtomicFile::AtomicFile(const std::filesystem::path& folder, Naming naming)
    : m_folder(folder.empty() ? std::filesystem::path(".") : folder)
{
#ifdef O_TMPFILE
    if (naming == Naming::Anonymous && AnonymousFilesWork()) {
        const int fd = ::open(m_folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (fd >= 0)
            m_file = FileHandle(fd, m_folder, PathKind::Folder);
        // Any failure other than a file system without anonymous files is reported by the named attempt below.
    }
#endif
    if (!m_file.IsOpen())
        CreateNamed(m_folder);
    m_buf.reserve(kBufferSize);
}

void AtomicFile::CreateNamed(const std::filesystem::path& folder)
{
    std::string tmpl = (folder / ".plok-XXXXXX.tmp").native();
    const int fd = ::mkostemps(tmpl.data(), 4, O_CLOEXEC);
    if (fd < 0)
        throw MakeIoError(PathUtf8(folder), "に書き込めません", errno, PathKind::Folder);
    m_temp = tmpl;
    m_slot = Remember(m_temp);
    m_file = FileHandle(fd, m_folder, PathKind::Folder);
    // mkstemp makes the file private; an output should carry the usual permissions.
    ::fchmod(fd, 0666 & ~CurrentUmask());
}

void AtomicFile::Forget()
{
    Release(m_slot);
    m_slot = -1;
    m_temp.clear();
}

void AtomicFile::Discard()
{
    m_file.Close();
    if (!m_temp.empty())
        ::unlink(m_temp.c_str());
    Forget();
}

void AtomicFile::StartWriteBack()
{
#ifdef __linux__
    if (m_written - m_synced >= kWriteBackStep) {
        // Only starts the write-back, without waiting; failures surface at the fsync in Commit.
        ::sync_file_range(
            Fd(m_file), static_cast<off_t>(m_synced), static_cast<off_t>(m_written - m_synced), SYNC_FILE_RANGE_WRITE);
        m_synced = m_written;
    }
#endif
}

std::filesystem::path AtomicFile::ContentPath()
{
    if (!m_file.IsOpen())
        throw IoError("一時ファイルは既に閉じられています。");
    Flush();
    return m_temp.empty() ? ProcPath(m_file) : m_temp;
}

void AtomicFile::Commit(const std::filesystem::path& target)
{
    if (!m_file.IsOpen())
        throw IoError("一時ファイルは既に閉じられています。");
    Flush();
    // The new content must be on disk before the rename makes it the only copy.
    if (::fsync(Fd(m_file)) != 0) {
        const int err = errno;
        Discard();
        throw MakeIoError(PathUtf8(target), "に書き込めません", err);
    }
    if (m_temp.empty()) {
        // An anonymous file gets a hidden name first: a link cannot replace an existing file, a rename can.
        for (int attempt = 0; attempt < 100 && m_temp.empty(); ++attempt) {
            char name[32];
            const unsigned long long salt = (static_cast<unsigned long long>(::getpid()) << 16)
                ^ static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(this))
                ^ static_cast<unsigned>(attempt);
            std::snprintf(name, sizeof name, ".plok-%06llx.tmp", salt & 0xFFFFFFull);
            const std::filesystem::path candidate = m_folder / name;
            m_slot = Remember(candidate);
            if (::linkat(AT_FDCWD, ProcPath(m_file).c_str(), AT_FDCWD, candidate.c_str(), AT_SYMLINK_FOLLOW) == 0) {
                m_temp = candidate;
                break;
            }
            const int err = errno;
            Release(m_slot);
            m_slot = -1;
            if (err != EEXIST) {
                Discard();
                throw MakeIoError(PathUtf8(target), "を作成できません", err);
            }
        }
        if (m_temp.empty()) {
            Discard();
            throw MakeIoError(PathUtf8(target), "を作成できません", EEXIST);
        }
    }
    if (const int err = m_file.Close(); err != 0) {
        Discard();
        throw MakeIoError(PathUtf8(target), "に書き込めません", err);
    }
    if (::rename(m_temp.c_str(), target.c_str()) != 0) {
        const int err = errno;
        Discard();
        throw MakeIoError(PathUtf8(target), "を作成できません", err);
    }
    Forget();
    // Make the rename itself durable; a folder that cannot be synced still holds the complete file.
    const FileHandle dir(::open(m_folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC), m_folder);
    if (dir.IsOpen())
        ::fsync(Fd(dir));
}

} // namespace plok
