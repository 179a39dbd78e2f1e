#include "core/AtomicFile.h"
#include "core/Errors.h"
#include "core/FileNames.h"
#include "core/win32/Win32.h"

#include <array>
#include <atomic>
#include <cstdio>

namespace plok {

namespace {

/// The temporary files that exist right now. A console event's handler runs on a thread of its own: the lock keeps it
/// from running between a file's creation and its entry here, or between its rename and the entry's removal.
struct PendingSlot
{
    bool used = false;
    std::array<wchar_t, 4096> path {};
};
std::array<PendingSlot, 32> g_pending;
SRWLOCK g_lock = SRWLOCK_INIT;

class Locked
{
public:
    Locked() { ::AcquireSRWLockExclusive(&g_lock); }
    ~Locked() { ::ReleaseSRWLockExclusive(&g_lock); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;
};

/// Called with the lock held.
int Remember(const std::filesystem::path& path)
{
    const std::wstring& s = path.native();
    for (std::size_t i = 0; i < g_pending.size(); ++i) {
        PendingSlot& slot = g_pending[i];
        if (slot.used || s.size() >= slot.path.size())
            continue;
        s.copy(slot.path.data(), s.size());
        slot.path[s.size()] = L'\0';
        slot.used = true;
        return static_cast<int>(i);
    }
    return -1;
}

/// Called with the lock held.
void Release(int index)
{
    if (index >= 0)
        g_pending[static_cast<std::size_t>(index)].used = false;
}

/// Called with the lock held.
void RemoveAll()
{
    // A file still open is deleted once it is closed: when the process ends, at the latest.
    for (PendingSlot& slot : g_pending)
        if (slot.used)
            ::DeleteFileW(slot.path.data());
}

HANDLE Handle(const FileHandle& file)
{
    return reinterpret_cast<HANDLE>(file.native());
}

BOOL WINAPI OnConsoleEvent(DWORD event)
{
    UINT status = 0;
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        status = 130;
        break;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        status = 129;
        break;
    default:
        return FALSE;
    }
    // The lock is never given back: the process ends with it, and no other thread gets to create a file after this.
    ::AcquireSRWLockExclusive(&g_lock);
    RemoveAll();
    ::TerminateProcess(::GetCurrentProcess(), status);
    return TRUE;
}

/// A name no other file in the folder has a good chance of having: the process, the time and a counter.
std::wstring TempName(unsigned attempt)
{
    static std::atomic<unsigned> counter {0};
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    unsigned long long salt = (static_cast<unsigned long long>(::GetCurrentProcessId()) << 32)
        ^ static_cast<unsigned long long>(now.QuadPart) ^ (static_cast<unsigned long long>(counter++) << 20) ^ attempt;
    salt ^= salt >> 29;
    salt *= 0xBF58476D1CE4E5B9ull;
    salt ^= salt >> 32;
    wchar_t name[32];
    std::swprintf(name, 32, L".plok-%06llx.tmp", salt & 0xFFFFFFull);
    return name;
}

} // namespace

void RemovePendingTempFiles() noexcept
{
    const Locked lock;
    RemoveAll();
}

void RemoveTempFilesOnInterrupt()
{
    // A program started in a new process group has Ctrl+C turned off; it is plok-cli's to end.
    ::SetConsoleCtrlHandler(nullptr, FALSE);
    ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

AtomicFile::AtomicFile(const std::filesystem::path& folder, Naming)
    : m_folder(folder.empty() ? std::filesystem::path(".") : folder)
{
    // Windows has no files without a name: every AtomicFile is a hidden temporary file.
    CreateNamed(m_folder);
    m_buf.reserve(kBufferSize);
}

void AtomicFile::CreateNamed(const std::filesystem::path& folder)
{
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path candidate = folder / TempName(attempt);
        const Locked lock;
        // Readers may open it (an audit reads it before it gets its name), and the handler of a console event may
        // delete it while it is open. Not inherited by programs this one starts.
        const HANDLE h = ::CreateFileW(candidate.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
            CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            const DWORD err = ::GetLastError();
            if (err == ERROR_FILE_EXISTS || err == ERROR_ALREADY_EXISTS)
                continue;
            throw MakeIoError(PathUtf8(folder), "に書き込めません", static_cast<int>(err), PathKind::Folder);
        }
        m_temp = candidate;
        m_slot = Remember(m_temp);
        m_file = FileHandle(reinterpret_cast<FileHandle::Native>(h), folder, PathKind::Folder);
        return;
    }
    throw MakeIoError(PathUtf8(folder), "に書き込めません", ERROR_FILE_EXISTS, PathKind::Folder);
}

void AtomicFile::Forget()
{
    Release(m_slot);
    m_slot = -1;
    m_temp.clear();
}

void AtomicFile::Discard()
{
    const Locked lock;
    m_file.Close();
    if (!m_temp.empty())
        ::DeleteFileW(m_temp.c_str());
    Forget();
}

void AtomicFile::StartWriteBack()
{
    // Windows writes back on its own; FlushFileBuffers in Commit waits for the rest.
}

std::filesystem::path AtomicFile::ContentPath()
{
    if (!m_file.IsOpen())
        throw IoError("一時ファイルは既に閉じられています。");
    Flush();
    return m_temp;
}

void AtomicFile::Commit(const std::filesystem::path& target)
{
    if (!m_file.IsOpen())
        throw IoError("一時ファイルは既に閉じられています。");
    Flush();
    auto fail = [&](const char* what, DWORD err) {
        Discard();
        return MakeIoError(PathUtf8(target), what, static_cast<int>(err));
    };
    // The new content must be on disk before the rename makes it the only copy.
    if (!::FlushFileBuffers(Handle(m_file)))
        throw fail("に書き込めません", ::GetLastError());
    // The temporary file was hidden; the output must not be.
    FILE_BASIC_INFO info {};
    info.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    if (!::SetFileInformationByHandle(Handle(m_file), FileBasicInfo, &info, sizeof info))
        throw fail("に書き込めません", ::GetLastError());
    if (const int err = m_file.Close(); err != 0)
        throw fail("に書き込めません", static_cast<DWORD>(err));
    // A read-only file is one the user keeps: Windows refuses to replace it, and so does every Windows this runs on.
    if (const DWORD attributes = ::GetFileAttributesW(target.c_str());
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        throw fail("を作成できません", ERROR_ACCESS_DENIED);
    const Locked lock;
    if (!::MoveFileExW(m_temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD err = ::GetLastError();
        ::DeleteFileW(m_temp.c_str());
        Forget();
        throw MakeIoError(PathUtf8(target), "を作成できません", static_cast<int>(err));
    }
    Forget();
}

} // namespace plok
