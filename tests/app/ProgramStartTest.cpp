#include "core/Version.h"
#include "support/Concat.h"
#include "support/TempDir.h"

#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <optional>
#include <spawn.h>
#include <sstream>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

extern char** environ;

namespace plok::app {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::TempDir;

std::string Var(std::string_view name, const fs::path& value)
{
    return test::Concat(name, "=", value.string());
}

// The real program, started as a user would, from a copy in a folder of its own so that the test decides whether a
// user.ini stands beside it. HOME is a temporary folder and the XDG variables are unset.
class ProgramStartTest : public ::testing::Test
{
protected:
    struct Started
    {
        pid_t pid = -1;
        fs::path stdoutFile;
        fs::path stderrFile;
    };

    ProgramStartTest()
    {
        fs::create_directories(m_bin);
        fs::create_directories(m_home);
        fs::copy_file(PLOK_APP_PATH, m_program);
    }

    void TearDown() override
    {
        for (pid_t pid : m_running) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }

    /// Starts plok with `args` and the environment of this process, less the display, session and folder variables,
    /// plus HOME and `extra`.
    Started Start(const std::vector<std::string>& extra, std::vector<std::string> args = {})
    {
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e) {
            const std::string_view v(*e);
            bool dropped = false;
            for (std::string_view name : {"QT_QPA_PLATFORM=", "DISPLAY=", "WAYLAND_DISPLAY=", "XDG_RUNTIME_DIR=",
                     "HOME=", "XDG_CONFIG_HOME=", "XDG_DATA_HOME="})
                dropped = dropped || v.starts_with(name);
            if (!dropped)
                env.emplace_back(v);
        }
        bool homeGiven = false;
        for (const std::string& e : extra)
            homeGiven = homeGiven || e.starts_with("HOME=");
        if (!homeGiven)
            env.push_back(Var("HOME", m_home));
        env.insert(env.end(), extra.begin(), extra.end());
        std::vector<char*> envp;
        for (std::string& s : env)
            envp.push_back(s.data());
        envp.push_back(nullptr);

        Started started;
        ++m_count;
        started.stdoutFile = m_dir / test::Concat("stdout-", std::to_string(m_count));
        started.stderrFile = m_dir / test::Concat("stderr-", std::to_string(m_count));
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, started.stdoutFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, started.stderrFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        std::string program = m_program.string();
        std::vector<char*> argv {program.data()};
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        const int rc = posix_spawn(&started.pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        EXPECT_EQ(rc, 0) << std::strerror(rc);
        if (rc == 0)
            m_running.push_back(started.pid);
        return started;
    }

    /// A desktop start on the offscreen platform with a runtime folder of its own.
    Started StartDesktop(const std::vector<std::string>& extra = {})
    {
        std::vector<std::string> env = {"QT_QPA_PLATFORM=offscreen", Var("XDG_RUNTIME_DIR", m_runtime.path())};
        env.insert(env.end(), extra.begin(), extra.end());
        return Start(env);
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

    /// True once `ready()` holds while `pid` runs; false when it ended first or never got there.
    bool WaitWhileRunning(pid_t pid, const std::function<bool()>& ready)
    {
        for (auto end = Deadline(); std::chrono::steady_clock::now() < end;) {
            if (ready())
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

    /// True once `pid` holds the lock on `file`, read from the kernel's lock table so that looking never takes the
    /// lock away from the program.
    bool WaitForLockHeldBy(pid_t pid, const fs::path& file)
    {
        return WaitWhileRunning(pid, [&] { return HoldsLock(pid, file); });
    }

    void Kill(pid_t pid)
    {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        std::erase(m_running, pid);
    }

    static bool HoldsLock(pid_t pid, const fs::path& file)
    {
        struct stat st
        { };
        if (stat(file.c_str(), &st) != 0)
            return false;
        const std::string inode = test::Concat(":", std::to_string(st.st_ino));
        const std::string owner = std::to_string(pid);
        std::ifstream locks("/proc/locks");
        std::string line;
        while (std::getline(locks, line)) {
            // "1: FLOCK  ADVISORY  WRITE 4242 00:2e:1234 0 EOF"; waiters are marked "->" and hold nothing.
            std::istringstream fields(line);
            std::string id, type, mode, access, lockOwner, where;
            fields >> id >> type >> mode >> access >> lockOwner >> where;
            if (type == "FLOCK" && lockOwner == owner && where.ends_with(inode))
                return true;
        }
        return false;
    }

    static std::chrono::steady_clock::time_point Deadline()
    {
        return std::chrono::steady_clock::now() + std::chrono::seconds(60);
    }

    static fs::perms Perms(const fs::path& p) { return fs::status(p).permissions() & fs::perms::all; }

    TempDir m_dir;
    TempDir m_runtime;
    const fs::path m_bin = m_dir / "bin";
    const fs::path m_program = m_bin / "plok";
    const fs::path m_home = m_dir / "home";
    const fs::path m_lock = m_runtime / "PlokMutex.lock";
    std::vector<pid_t> m_running;
    int m_count = 0;
};

TEST_F(ProgramStartTest, SecondStartEndsSilentlyAndACrashedFirstBlocksNothing)
{
    const Started first = StartDesktop();
    ASSERT_TRUE(WaitForLockHeldBy(first.pid, m_lock)) << ReadBytes(first.stderrFile);

    const Started second = StartDesktop();
    EXPECT_EQ(WaitForExit(second.pid), 0);
    EXPECT_EQ(ReadBytes(second.stderrFile), "");
    EXPECT_TRUE(HoldsLock(first.pid, m_lock));

    Kill(first.pid);
    const Started third = StartDesktop();
    EXPECT_TRUE(WaitForLockHeldBy(third.pid, m_lock)) << ReadBytes(third.stderrFile);
}

TEST_F(ProgramStartTest, LockThatCannotBeCreatedEndsLikeASecondInstance)
{
    const Started started = Start({"QT_QPA_PLATFORM=offscreen", Var("XDG_RUNTIME_DIR", m_dir / "no" / "such")});
    EXPECT_EQ(WaitForExit(started.pid), 0);
    EXPECT_EQ(ReadBytes(started.stderrFile), "");
}

TEST_F(ProgramStartTest, WithoutADisplayItSaysSoAndFails)
{
    const Started started = Start({Var("XDG_RUNTIME_DIR", m_runtime.path())});
    EXPECT_EQ(WaitForExit(started.pid), 1);
    const std::string message = ReadBytes(started.stderrFile);
    EXPECT_NE(message.find("ディスプレイ"), std::string::npos) << message;
    EXPECT_NE(message.find("display"), std::string::npos) << message;
}

TEST_F(ProgramStartTest, VersionNeedsNoDisplay)
{
    const Started started = Start({}, {"--version"});
    EXPECT_EQ(WaitForExit(started.pid), 0);
    EXPECT_EQ(ReadBytes(started.stdoutFile), std::string("plok ") + kVersion + "\n");
    EXPECT_EQ(ReadBytes(started.stderrFile), "");
}

// SIGTERM is what a session logout sends: the main window closes as with its close button and saves its setting.
TEST_F(ProgramStartTest, InstalledLayoutKeepsSettingsAndOutputsInTheUsersFolders)
{
    const fs::path workFolder = m_home / ".local/share/plok";
    const fs::path settings = m_home / ".config/plok/user.ini";
    const Started started = StartDesktop();
    ASSERT_TRUE(WaitWhileRunning(started.pid, [&] { return fs::exists(workFolder); })) << ReadBytes(started.stderrFile);
    EXPECT_EQ(Perms(workFolder), fs::perms::owner_all);
    kill(started.pid, SIGTERM);
    EXPECT_EQ(WaitForExit(started.pid), 0) << ReadBytes(started.stderrFile);
    ASSERT_TRUE(fs::exists(settings));
    EXPECT_NE(ReadBytes(settings).find("CB1="), std::string::npos) << ReadBytes(settings);
    EXPECT_EQ(test::FileCount(m_bin), 1u) << "nothing beside the executable";
}

TEST_F(ProgramStartTest, PortableLayoutWhenAUserIniStandsBesideTheExecutable)
{
    test::WriteBytes(m_bin / "user.ini", "");
    const Started started = StartDesktop();
    // The signal handlers are in place before the lock is taken.
    ASSERT_TRUE(WaitForLockHeldBy(started.pid, m_lock)) << ReadBytes(started.stderrFile);
    kill(started.pid, SIGINT);
    EXPECT_EQ(WaitForExit(started.pid), 0) << ReadBytes(started.stderrFile);
    EXPECT_NE(ReadBytes(m_bin / "user.ini").find("CB1="), std::string::npos);
    EXPECT_EQ(test::FileCount(m_home), 0u);
}

TEST_F(ProgramStartTest, FolderThatCannotBeCreatedIsShownAndEndsTheProgram)
{
    const fs::path file = m_dir / "file";
    test::WriteBytes(file, "");
    const Started started = StartDesktop({Var("XDG_DATA_HOME", file)});
    // The error box stays up until it is closed; closing it ends the program with status 1.
    const auto shown = [&] { return ReadBytes(started.stderrFile).find("を作成できません") != std::string::npos; };
    ASSERT_TRUE(WaitWhileRunning(started.pid, shown)) << ReadBytes(started.stderrFile);
    EXPECT_NE(ReadBytes(started.stderrFile).find(test::Concat("作業フォルダ \"", (file / "plok").string(), "\"")),
        std::string::npos);
    kill(started.pid, SIGTERM);
    EXPECT_EQ(WaitForExit(started.pid), 1) << ReadBytes(started.stderrFile);
}

} // namespace
} // namespace plok::app
