#include "app/SignalBridge.h"

#include <QSocketNotifier>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace plok::app {

namespace {

volatile sig_atomic_t g_writeFd = -1;

extern "C" void OnSignal(int signal)
{
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signal);
    // Non-blocking: with the pipe full the signal is dropped, and there is already one waiting to be handled.
    [[maybe_unused]] const ssize_t written = write(g_writeFd, &byte, 1);
    errno = savedErrno;
}

} // namespace

SignalBridge::SignalBridge(std::initializer_list<int> caught)
{
    int fds[2];
    if (g_writeFd >= 0 || pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_read = fds[0];
    m_write = fds[1];
    g_writeFd = m_write;
    struct sigaction action
    { };
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : caught) {
        Previous previous {signal, {}};
        if (sigaction(signal, &action, &previous.action) == 0)
            m_previous.push_back(previous);
    }
}

SignalBridge::~SignalBridge()
{
    for (const Previous& previous : m_previous)
        sigaction(previous.signal, &previous.action, nullptr);
    delete m_notifier.data();
    if (m_read >= 0) {
        g_writeFd = -1;
        close(m_read);
        close(m_write);
    }
}

void SignalBridge::Deliver(QObject* context, std::function<void(int)> handler)
{
    if (m_read < 0)
        return;
    delete m_notifier.data();
    m_notifier = new QSocketNotifier(m_read, QSocketNotifier::Read, context);
    QObject::connect(m_notifier, &QSocketNotifier::activated, context, [fd = m_read, handler = std::move(handler)] {
        unsigned char byte = 0;
        while (read(fd, &byte, 1) == 1)
            handler(byte);
    });
}

} // namespace plok::app
