#pragma once

#include <filesystem>
#include <string>

namespace plok::app {

/// The folder for per-session lock files: XDG_RUNTIME_DIR, else Qt's runtime location, else /tmp/plok-<uid>.
std::filesystem::path RuntimeFolder();

/// One running instance per user session. Holds an exclusive lock on "<name>.lock" in the runtime folder for as long
/// as the object lives; the kernel drops the lock when the process ends, however it ends, so a crashed instance never
/// blocks the next start.
class SingleInstance
{
public:
    /// Tries to take the lock "<name>.lock" in `folder` without waiting.
    SingleInstance(const std::filesystem::path& folder, const std::string& name);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    /// True when this process holds the lock; false when another instance holds it or the lock file could not be
    /// created.
    bool IsFirst() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

} // namespace plok::app
