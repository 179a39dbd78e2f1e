#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace plok::test {

/// What of a process is each system's own: starting one, its open files, its environment.
///
/// A program of ours started as its own process, its stdout and stderr captured (or stdout sent to a file). On
/// Windows it runs in a process group of its own, so that a console event can be sent to it alone.
/// (support/PosixProcess.cpp, support/Win32Process.cpp)
class Process
{
public:
    struct Result
    {
        int status = -1; // the exit status; -1 when it did not exit normally
        int signal = 0; // POSIX: the signal that ended it, if one did
        std::string out;
        std::string err;
    };

    struct Options
    {
        std::string stdoutFile; // stdout goes to this file instead of being captured
        bool stdoutClosed = false; // stdout is a pipe nobody reads: every write to it fails
    };

    /// Starts `program` with `args`.
    Process(const std::string& program, const std::vector<std::string>& args, const Options& options);
    Process(const std::string& program, const std::vector<std::string>& args, const std::string& stdoutFile = {})
        : Process(program, args, Options {stdoutFile})
    { }
    /// Ends it if it still runs.
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    long pid() const;
    /// POSIX: sends `signal`.
    void Signal(int signal);
    /// Windows: sends the console event CTRL_C_EVENT (0) or CTRL_BREAK_EVENT (1) to its process group; false when
    /// the system refused.
    bool ConsoleEvent(unsigned event);

    /// Reads its output to the end and waits for it.
    Result Wait();

private:
    struct Impl;
    std::unique_ptr<Impl> m;
};

/// The number of files (descriptors, on Windows handles) this process has open.
std::size_t OpenFileCount();

/// The value of the environment variable `name` of this process (UTF-8), nothing when it is unset.
std::optional<std::string> GetEnvironment(const std::string& name);
/// Sets the environment variable `name` of this process to `value` (UTF-8), or unsets it.
void SetEnvironment(const std::string& name, const std::optional<std::string>& value);

} // namespace plok::test
