#pragma once

#include <QObject>
#include <filesystem>
#include <functional>
#include <string>

class QLocalServer;

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

/// The socket in `folder` through which a later start asks the running instance `name` to show itself.
std::filesystem::path ActivationSocket(const std::filesystem::path& folder, const std::string& name);

/// Asks the instance listening at `socket` to bring its main window to the front; waits at most a second. False when
/// nobody answered.
bool AskToActivate(const std::filesystem::path& socket);

/// Listens at `socket` for later starts that ask this instance to show itself, and calls `activate` for each. The
/// caller holds the instance lock, so a socket already there is a crashed instance's and is removed first.
class ActivationServer : public QObject
{
    Q_OBJECT

public:
    ActivationServer(const std::filesystem::path& socket, std::function<void()> activate, QObject* parent = nullptr);
    ~ActivationServer() override;

    bool IsListening() const;

private:
    QLocalServer* m_server;
    std::function<void()> m_activate;
};

} // namespace plok::app
