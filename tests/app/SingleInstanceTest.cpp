#include "app/SingleInstance.h"

#include "support/TempDir.h"

#include <QTest>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <optional>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

extern char** environ;

namespace plok::app {
namespace {

using test::TempDir;

TEST(SingleInstance, OneHolderPerFolderUntilItGoes)
{
    TempDir dir;
    std::optional<SingleInstance> first(std::in_place, dir.path(), "PlokMutex");
    EXPECT_TRUE(first->IsFirst());
    EXPECT_TRUE(std::filesystem::exists(dir / "PlokMutex.lock"));
    EXPECT_FALSE(SingleInstance(dir.path(), "PlokMutex").IsFirst());
    EXPECT_TRUE(SingleInstance(dir.path(), "Other").IsFirst());
    first.reset();
    EXPECT_TRUE(SingleInstance(dir.path(), "PlokMutex").IsFirst());
}

TEST(SingleInstance, LockThatCannotBeCreatedCountsAsTaken)
{
    TempDir dir;
    EXPECT_FALSE(SingleInstance(dir / "no" / "such" / "folder", "PlokMutex").IsFirst());
}

TEST(ActivationServer, ALaterStartBringsTheRunningInstanceForwardEvenAfterACrash)
{
    TempDir dir;
    const std::filesystem::path socket = ActivationSocket(dir.path(), "PlokMutex");
    EXPECT_FALSE(AskToActivate(socket));
    // What a crashed instance leaves behind.
    test::WriteBytes(socket, "");
    int activations = 0;
    const ActivationServer server(socket, [&] { ++activations; });
    ASSERT_TRUE(server.IsListening());
    bool asked = false;
    std::thread later([&] { asked = AskToActivate(socket); });
    QTRY_COMPARE(activations, 1);
    later.join();
    EXPECT_TRUE(asked);
}

// The real program, started as a user would: the guard must work before anything of Qt runs.
class ProgramStartTest : public ::testing::Test
{
protected:
    struct Started
    {
        pid_t pid = -1;
        std::filesystem::path stderrFile;
    };

    void TearDown() override
    {
        for (pid_t pid : m_running) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }

    /// Starts plok with the environment of this process, less the display variables, plus `extra`.
    Started Start(const std::vector<std::string>& extra)
    {
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e) {
            const std::string_view v(*e);
            bool dropped = false;
            for (std::string_view name : {"QT_QPA_PLATFORM=", "DISPLAY=", "WAYLAND_DISPLAY=", "XDG_RUNTIME_DIR="})
                dropped = dropped || v.starts_with(name);
            if (!dropped)
                env.emplace_back(v);
        }
        env.insert(env.end(), extra.begin(), extra.end());
        std::vector<char*> envp;
        for (std::string& s : env)
            envp.push_back(s.data());
        envp.push_back(nullptr);

        Started started;
        started.stderrFile = m_dir / ("stderr-" + std::to_string(++m_count));
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, started.stderrFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        std::string program = PLOK_APP_PATH;
        char* argv[] = {program.data(), nullptr};
        const int rc = posix_spawn(&started.pid, program.c_str(), &actions, nullptr, argv, envp.data());
        posix_spawn_file_actions_destroy(&actions);
        EXPECT_EQ(rc, 0) << std::strerror(rc);
        if (rc == 0)
            m_running.push_back(started.pid);
        return started;
    }

    /// The exit code of `pid` (128 + signal when killed), or nothing when it is still running after a generous
    /// wait that only guards against a hang.
    std::optional<int> WaitForExit(pid_t pid)
    {
        for (auto end = Deadline(); std::chrono::steady_clock::now() < end;) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                std::erase(m_running, pid);
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return std::nullopt;
    }

    /// True once `pid` holds the lock on `file`, read from the kernel's lock table so that looking never takes the
    /// lock away from the program; false when it ended or never got there.
    bool WaitForLockHeldBy(pid_t pid, const std::filesystem::path& file)
    {
        for (auto end = Deadline(); std::chrono::steady_clock::now() < end;) {
            if (HoldsLock(pid, file))
                return true;
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                std::erase(m_running, pid);
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    void Kill(pid_t pid)
    {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        std::erase(m_running, pid);
    }

    static bool HoldsLock(pid_t pid, const std::filesystem::path& file)
    {
        struct stat st
        { };
        if (stat(file.c_str(), &st) != 0)
            return false;
        const std::string inode = ":" + std::to_string(st.st_ino);
        std::ifstream locks("/proc/locks");
        std::string line;
        while (std::getline(locks, line)) {
            // "1: FLOCK  ADVISORY  WRITE 4242 00:2e:1234 0 EOF"; waiters are marked "->" and hold nothing.
            std::istringstream fields(line);
            std::string id, type, mode, access, owner, where;
            fields >> id >> type >> mode >> access >> owner >> where;
            if (type == "FLOCK" && owner == std::to_string(pid) && where.ends_with(inode))
                return true;
        }
        return false;
    }

    static std::chrono::steady_clock::time_point Deadline()
    {
        return std::chrono::steady_clock::now() + std::chrono::seconds(60);
    }

    TempDir m_dir;
    std::vector<pid_t> m_running;
    int m_count = 0;
};

TEST_F(ProgramStartTest, SecondStartEndsSilentlyAndACrashedFirstBlocksNothing)
{
    TempDir runtime;
    const std::vector<std::string> env = {"QT_QPA_PLATFORM=offscreen", "XDG_RUNTIME_DIR=" + runtime.path().string()};
    const std::filesystem::path lock = runtime / "PlokMutex.lock";

    const Started first = Start(env);
    ASSERT_TRUE(WaitForLockHeldBy(first.pid, lock)) << test::ReadBytes(first.stderrFile);

    const Started second = Start(env);
    EXPECT_EQ(WaitForExit(second.pid), 0);
    EXPECT_EQ(test::ReadBytes(second.stderrFile), "");
    EXPECT_TRUE(HoldsLock(first.pid, lock));

    Kill(first.pid);
    const Started third = Start(env);
    EXPECT_TRUE(WaitForLockHeldBy(third.pid, lock)) << test::ReadBytes(third.stderrFile);
}

TEST_F(ProgramStartTest, LockThatCannotBeCreatedEndsLikeASecondInstance)
{
    const Started started = Start({"QT_QPA_PLATFORM=offscreen", "XDG_RUNTIME_DIR=" + (m_dir / "no" / "such").string()});
    EXPECT_EQ(WaitForExit(started.pid), 0);
    EXPECT_EQ(test::ReadBytes(started.stderrFile), "");
}

TEST_F(ProgramStartTest, WithoutADisplayItSaysSoAndFails)
{
    TempDir runtime;
    const Started started = Start({"XDG_RUNTIME_DIR=" + runtime.path().string()});
    EXPECT_EQ(WaitForExit(started.pid), 1);
    const std::string message = test::ReadBytes(started.stderrFile);
    EXPECT_NE(message.find("ディスプレイ"), std::string::npos) << message;
    EXPECT_NE(message.find("display"), std::string::npos) << message;
}

} // namespace
} // namespace plok::app
