#include "core/Errors.h"
#include "core/File.h"
#include "core/FileNames.h"
#include "core/win32/Win32.h"

#include <algorithm>
#include <utility>

namespace plok {

namespace {

HANDLE Handle(FileHandle::Native native)
{
    return reinterpret_cast<HANDLE>(native);
}

/// Windows refuses to open a folder as a file with "access denied"; the user is better told that it is a folder.
DWORD OpenError(const std::filesystem::path& path)
{
    const DWORD err = ::GetLastError();
    if (err == ERROR_ACCESS_DENIED) {
        const DWORD attributes = ::GetFileAttributesW(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return ERROR_DIRECTORY_NOT_SUPPORTED;
    }
    return err;
}

} // namespace

FileHandle FileHandle::OpenForReading(const std::filesystem::path& path)
{
    // Sharing everything is what a POSIX open does: another program may keep the file open, and an output may
    // replace the very file being read.
    const HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        throw MakeIoError(PathUtf8(path), "を開けません", static_cast<int>(OpenError(path)));
    return FileHandle(reinterpret_cast<Native>(h), path);
}

int FileHandle::Close()
{
    if (m_native == kNone)
        return 0;
    return ::CloseHandle(Handle(std::exchange(m_native, kNone))) ? 0 : static_cast<int>(::GetLastError());
}

std::size_t FileHandle::Read(char* buf, std::size_t size)
{
    DWORD n = 0;
    const auto want = static_cast<DWORD>(std::min<std::size_t>(size, DWORD(1) << 30));
    if (!::ReadFile(Handle(m_native), buf, want, &n, nullptr)) {
        const DWORD err = ::GetLastError();
        if (err == ERROR_BROKEN_PIPE || err == ERROR_HANDLE_EOF)
            return 0;
        throw MakeIoError(PathUtf8(m_path), "を読み込めません", static_cast<int>(err), m_kind);
    }
    return n;
}

void FileHandle::AdviseSequential() const
{
    // Asked for when the file was opened (FILE_FLAG_SEQUENTIAL_SCAN).
}

std::size_t FileHandle::SizeHint() const
{
    LARGE_INTEGER size;
    return ::GetFileSizeEx(Handle(m_native), &size) && size.QuadPart > 0 ? static_cast<std::size_t>(size.QuadPart) : 0;
}

void FileHandle::WriteAll(std::string_view bytes)
{
    while (!bytes.empty()) {
        DWORD n = 0;
        const auto want = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), DWORD(1) << 30));
        if (!::WriteFile(Handle(m_native), bytes.data(), want, &n, nullptr))
            throw MakeIoError(PathUtf8(m_path), "に書き込めません", static_cast<int>(::GetLastError()), m_kind);
        bytes.remove_prefix(n);
    }
}

} // namespace plok
