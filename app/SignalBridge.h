#pragma once

#include <QPointer>
#include <csignal>
#include <functional>
#include <initializer_list>
#include <vector>

class QObject;
class QSocketNotifier;

namespace plok::app {

/// Turns SIGTERM and SIGINT (a session logout, Ctrl+C) into a call on the Qt event loop, so that the program closes
/// its windows the normal way, saving its settings, instead of being killed. Create it first thing in main, before Qt
/// exists: a signal that arrives before Deliver is kept and handed over once the event loop runs. One bridge at a
/// time; the destructor puts the previous handlers back.
class SignalBridge
{
public:
    explicit SignalBridge(std::initializer_list<int> caught);
    ~SignalBridge();
    SignalBridge(const SignalBridge&) = delete;
    SignalBridge& operator=(const SignalBridge&) = delete;

    /// From now on every caught signal calls `handler(signal)` on the event loop of `context`'s thread, while
    /// `context` lives. Needs a QCoreApplication.
    void Deliver(QObject* context, std::function<void(int)> handler);

    /// False when the bridge could not be set up; the signals then keep their previous handling.
    bool active() const { return !m_previous.empty(); }

private:
    struct Previous
    {
        int signal;
        struct sigaction action;
    };

    int m_read = -1;
    int m_write = -1;
    std::vector<Previous> m_previous;
    QPointer<QSocketNotifier> m_notifier;
};

} // namespace plok::app
