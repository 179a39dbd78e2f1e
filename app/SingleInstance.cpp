#include "app/SingleInstance.h"

#include <QStandardPaths>
#include <QtGlobal>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plok::app {

namespace {

void Silent(QtMsgType, const QMessageLogContext&, const QString&) { }

} // namespace

std::filesystem::path RuntimeFolder()
{
    if (const char* xdg = std::getenv("XDG_RUNTIME_DIR"); xdg && *xdg)
        return xdg;
    // Qt warns on stderr when it has to make up a runtime folder; a second instance must stay silent.
    const QtMessageHandler previous = qInstallMessageHandler(Silent);
    const QString qtRuntime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    qInstallMessageHandler(previous);
    if (!qtRuntime.isEmpty())
        return qtRuntime.toStdString();
    return "/tmp/plok-" + std::to_string(getuid());
}

SingleInstance::SingleInstance(const std::filesystem::path& folder, const std::string& name)
{
    // Only the /tmp fallback can be missing; it is created private, like a runtime folder.
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return;
    const std::filesystem::path lockFile = folder / (name + ".lock");
    // O_CLOEXEC: a program started from here (the browser) must not inherit the lock and outlive us with it.
    const int fd = open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return;
    }
    m_fd = fd;
}

SingleInstance::~SingleInstance()
{
    if (m_fd >= 0)
        close(m_fd);
}

} // namespace plok::app
