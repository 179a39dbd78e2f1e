#pragma once

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace plok::test {

/// A program of ours started as its own process, its stdout and stderr captured (or stdout sent to a file).
class Process
{
public:
    struct Result
    {
        int status = -1; // the exit status; -1 when it did not exit normally
        int signal = 0; // the signal that ended it, if one did
        std::string out;
        std::string err;
    };

    /// Starts `program` with `args`; when `stdoutFile` is given, stdout goes there instead of being captured.
    Process(const std::string& program, const std::vector<std::string>& args, const std::string& stdoutFile = {})
    {
        int out[2];
        int err[2];
        if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe failed");
        m_pid = ::fork();
        if (m_pid < 0)
            throw std::runtime_error("fork failed");
        if (m_pid == 0) {
            int target = out[1];
            if (!stdoutFile.empty())
                target = ::open(stdoutFile.c_str(), O_WRONLY);
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
        m_out = out[0];
        m_err = err[0];
    }
    ~Process()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            Wait();
        }
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    pid_t pid() const { return m_pid; }
    void Signal(int signal) { ::kill(m_pid, signal); }

    /// Reads its output to the end and waits for it.
    Result Wait()
    {
        Result r;
        std::vector<pollfd> fds = {{m_out, POLLIN, 0}, {m_err, POLLIN, 0}};
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
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
        if (WIFEXITED(status))
            r.status = WEXITSTATUS(status);
        if (WIFSIGNALED(status))
            r.signal = WTERMSIG(status);
        return r;
    }

private:
    pid_t m_pid = -1;
    int m_out = -1;
    int m_err = -1;
};

} // namespace plok::test
