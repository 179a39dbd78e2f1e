#pragma once

#include "core/File.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace plok {

/// A file written under a temporary name in its final folder and renamed over its final name only when
/// complete, so that a failure never leaves a partial file and never destroys an existing one.
/// Destroying an uncommitted AtomicFile removes the temporary file.
class AtomicFile
{
public:
    /// Creates the temporary file in `folder`; throws IoError.
    explicit AtomicFile(const std::filesystem::path& folder);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    /// Buffered write; throws IoError.
    void Write(std::string_view bytes)
    {
        if (m_buf.size() + bytes.size() <= kBufferSize)
            m_buf.append(bytes);
        else
            WriteSlow(bytes);
    }
    /// Flushes, syncs and closes the file, then renames it to `target` (an existing file there is replaced).
    /// Throws IoError; the temporary file is then removed and `target` is untouched.
    void Commit(const std::filesystem::path& target);
    /// Removes the temporary file now.
    void Discard();

    const std::filesystem::path& tempPath() const { return m_temp; }

private:
    // Larger writes let the page cache take the data in larger pieces, which costs less system time per byte.
    static constexpr std::size_t kBufferSize = std::size_t(1) << 20;

    void WriteSlow(std::string_view bytes);
    void Flush();

    std::filesystem::path m_temp;
    FileHandle m_file;
    std::string m_buf;
    std::size_t m_written = 0; // bytes handed to the kernel
    std::size_t m_synced = 0; // bytes whose write-back was started
};

} // namespace plok
