#pragma once

#include "core/File.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace plok {

/// A file written without a name in its final folder and given its final name only when complete, so that a
/// failure never leaves a partial file and never destroys an existing one. Where the file system allows it the file
/// has no name at all until Commit (O_TMPFILE on Linux), so that not even a killed process leaves anything behind;
/// elsewhere it is a hidden temporary ".plok-XXXXXX.tmp" that Discard, the destructor and RemovePendingTempFiles
/// remove. Commit makes the content durable first (fsync; FlushFileBuffers on Windows), then renames the file over the
/// target in one step (rename; MoveFileExW with REPLACE_EXISTING and WRITE_THROUGH on Windows).
class AtomicFile
{
public:
    enum class Naming
    {
        Anonymous, // no name until Commit where the file system allows it, else a named temporary file
        Named, // always a named temporary file
    };

    /// Creates the file in `folder`; throws IoError.
    explicit AtomicFile(const std::filesystem::path& folder, Naming naming = Naming::Anonymous);
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
    /// Flushes, syncs and closes the file, then gives it the name `target` (an existing file there is replaced).
    /// Throws IoError; the file is then removed and `target` is untouched.
    void Commit(const std::filesystem::path& target);
    /// Removes the file now.
    void Discard();

    /// Flushes what was written and returns a path through which it can be read: the temporary file, or the process's
    /// own entry for an anonymous one. Valid until Commit or Discard. Throws IoError.
    std::filesystem::path ContentPath();
    /// True while the file has no name in its folder.
    bool IsAnonymous() const { return m_file.IsOpen() && m_temp.empty(); }

private:
    // Larger writes let the page cache take the data in larger pieces, which costs less system time per byte.
    static constexpr std::size_t kBufferSize = std::size_t(1) << 20;

    void WriteSlow(std::string_view bytes);
    void Flush();
    void StartWriteBack();
    void CreateNamed(const std::filesystem::path& folder);
    void Forget();

    std::filesystem::path m_folder;
    std::filesystem::path m_temp; // empty for an anonymous file
    int m_slot = -1; // this file's entry among the pending temporary files
    FileHandle m_file;
    std::string m_buf;
    std::size_t m_written = 0; // bytes handed to the kernel
    std::size_t m_synced = 0; // bytes whose write-back was started
};

/// Removes every temporary file an AtomicFile of this process has not committed or discarded yet. Async-signal-safe,
/// for a signal handler that ends the program. On Windows, where a console event runs its handler on a thread of its
/// own, no AtomicFile creates, renames or removes its file meanwhile.
void RemovePendingTempFiles() noexcept;

/// Makes an interruption remove the pending temporary files and end the program with the status a shell reports for
/// an interrupted command: SIGINT, SIGTERM and SIGHUP with 128 + the signal's number (130, 143, 129). On Windows the
/// same numbers stand for the console's events: Ctrl+C and Ctrl+Break end with 130, closing the console window,
/// logging off and shutting down with 129.
void RemoveTempFilesOnInterrupt();

} // namespace plok
