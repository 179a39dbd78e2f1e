#include "app/SingleInstance.h"

#include <QLocalServer>
#include <QLocalSocket>
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

std::filesystem::path ActivationSocket(const std::filesystem::path& folder, const std::string& name)
{
    return folder / (name + ".sock");
}

namespace {

constexpr char kActivate[] = "activate\n";

} // namespace

bool AskToActivate(const std::filesystem::path& socket)
{
    QLocalSocket client;
    client.connectToServer(QString::fromStdString(socket.string()));
    if (!client.waitForConnected(1000))
        return false;
    client.write(kActivate);
    const bool sent = client.waitForBytesWritten(1000);
    client.disconnectFromServer();
    return sent;
}

ActivationServer::ActivationServer(const std::filesystem::path& socket, std::function<void()> activate, QObject* parent)
    : QObject(parent)
    , m_server(new QLocalServer(this))
    , m_activate(std::move(activate))
{
    const QString name = QString::fromStdString(socket.string());
    QLocalServer::removeServer(name);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(name))
        return;
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* client = m_server->nextPendingConnection()) {
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
            connect(client, &QLocalSocket::readyRead, this, [this, client] {
                if (client->readAll().contains('\n') && m_activate)
                    m_activate();
            });
        }
    });
}

ActivationServer::~ActivationServer() = default;

bool ActivationServer::IsListening() const
{
    return m_server->isListening();
}

} // namespace plok::app
