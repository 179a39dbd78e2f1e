#include "support/Process.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <iterator>
#include <poll.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace plok::test {

struct Process::Impl
{
    pid_t pid = -1;
    int out = -1;
    int err = -1;
};

Process::Process(const std::string& program, const std::vector<std::string>& args, const Options& options)
    : m(std::make_unique<Impl>())
{
    int out[2];
    int err[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    m->pid = ::fork();
    if (m->pid < 0)
        throw std::runtime_error("fork failed");
    if (m->pid == 0) {
        int target = out[1];
        if (!options.stdoutFile.empty())
            target = ::open(options.stdoutFile.c_str(), O_WRONLY);
        if (options.stdoutClosed)
            ::close(out[0]);
        ::dup2(target, 1);
        ::dup2(err[1], 2);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    m->out = out[0];
    m->err = err[0];
    if (options.stdoutClosed) {
        ::close(m->out);
        m->out = -1;
    }
}

Process::~Process()
{
    if (m->pid > 0) {
        ::kill(m->pid, SIGKILL);
        Wait();
    }
}

long Process::pid() const
{
    return m->pid;
}

void Process::Signal(int signal)
{
    ::kill(m->pid, signal);
}

bool Process::ConsoleEvent(unsigned)
{
    throw std::logic_error("console events are Windows's");
}

Process::Result Process::Wait()
{
    Result r;
    std::vector<pollfd> fds = {{m->out, POLLIN, 0}, {m->err, POLLIN, 0}};
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        if (::poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR)
            break;
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            char buf[4096];
            const ssize_t n = ::read(fds[i].fd, buf, sizeof buf);
            if (n > 0) {
                (i == 0 ? r.out : r.err).append(buf, static_cast<std::size_t>(n));
            } else {
                ::close(fds[i].fd);
                fds[i].fd = -1;
            }
        }
    }
    m->out = m->err = -1;
    int status = 0;
    ::waitpid(m->pid, &status, 0);
    m->pid = -1;
    if (WIFEXITED(status))
        r.status = WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        r.signal = WTERMSIG(status);
    return r;
}

std::size_t OpenFileCount()
{
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}));
}

std::optional<std::string> GetEnvironment(const std::string& name)
{
    const char* value = std::getenv(name.c_str());
    return value ? std::optional<std::string>(value) : std::nullopt;
}

void SetEnvironment(const std::string& name, const std::optional<std::string>& value)
{
    if (value)
        ::setenv(name.c_str(), value->c_str(), 1);
    else
        ::unsetenv(name.c_str());
}

} // namespace plok::test
