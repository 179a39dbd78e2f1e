#pragma once

#include "core/Errors.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace plok {

/// An open file that closes itself, with the path it was opened from for the texts of its failures. Every read of a
/// file in the program goes through this, so that no failure path can leave a file open. The system's own handle is a
/// file descriptor on POSIX systems and a HANDLE on Windows (core/posix/, core/win32/); -1 stands for none on both.
/// Files are always binary, and never inherited by a program this one starts.
class FileHandle
{
public:
    using Native = std::intptr_t;
    static constexpr Native kNone = -1;

    FileHandle() = default;
    /// Opens `path` for reading (others may read, write and rename it meanwhile); throws IoError.
    static FileHandle OpenForReading(const std::filesystem::path& path);
    /// Takes ownership of `native` (closed when the handle goes); `path`, a file or a folder as `kind` says, names it
    /// in failure texts.
    FileHandle(Native native, std::filesystem::path path, PathKind kind = PathKind::File);
    ~FileHandle();
    FileHandle(FileHandle&& other) noexcept;
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool IsOpen() const { return m_native != kNone; }
    Native native() const { return m_native; }
    const std::filesystem::path& path() const { return m_path; }

    /// Reads up to `size` bytes; 0 at the end of the file. Throws IoError.
    std::size_t Read(char* buf, std::size_t size);
    /// Calls `onChunk(std::string_view)` for every chunk up to the end of the file. Throws IoError.
    template<class OnChunk>
    void ReadChunks(OnChunk onChunk)
    {
        char buf[1 << 16];
        while (const std::size_t n = Read(buf, sizeof buf))
            onChunk(std::string_view(buf, n));
    }
    /// Tells the system the file will be read once from start to end (more read-ahead, pages dropped sooner). Only
    /// a hint: nothing fails when it is not taken.
    void AdviseSequential() const;
    /// The size of the file, or 0 when it cannot be told.
    std::size_t SizeHint() const;
    /// Writes all of `bytes`; throws IoError with "に書き込めません".
    void WriteAll(std::string_view bytes);
    /// Closes now and returns the system's error code of closing (0 when it succeeded or nothing was open).
    int Close();

private:
    Native m_native = kNone;
    std::filesystem::path m_path;
    PathKind m_kind = PathKind::File;
};

/// The whole content of the file `path`. Throws IoError.
std::string ReadAll(const std::filesystem::path& path);

} // namespace plok
