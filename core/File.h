#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace plok {

/// An open file descriptor that closes itself, with the path it was opened from for the texts of its failures. Every
/// read of a file in the program goes through this, so that no failure path can leave a descriptor open.
class FileHandle
{
public:
    FileHandle() = default;
    /// Opens `path` for reading; throws IoError.
    static FileHandle OpenForReading(const std::filesystem::path& path);
    /// Takes ownership of `fd` (closed when the handle goes); `path` names it in failure texts.
    FileHandle(int fd, std::filesystem::path path);
    ~FileHandle();
    FileHandle(FileHandle&& other) noexcept;
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool IsOpen() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
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
    /// The size from fstat, or 0 when it cannot be told.
    std::size_t SizeHint() const;
    /// Writes all of `bytes`; throws IoError with "に書き込めません".
    void WriteAll(std::string_view bytes);
    /// Closes now and returns the error of close (0 when it succeeded or nothing was open).
    int Close();

private:
    int m_fd = -1;
    std::filesystem::path m_path;
};

/// The whole content of the file `path`. Throws IoError.
std::string ReadAll(const std::filesystem::path& path);

} // namespace plok
