// An interrupted plok-cli leaves nothing behind, and lost standard output is a failure: the POSIX side, with signals,
// a FIFO that holds the run in the middle of its input, and /dev/full.
#include "support/Process.h"
#include "support/TempDir.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include <gtest/gtest.h>

using plok::test::FileCount;
using plok::test::Process;
using plok::test::TempDir;
using plok::test::WriteBytes;

namespace {

const std::string kCli = PLOK_CLI_PATH;
const std::string kSocial = "IR,1,13,1,1310001,,x,50605,00,03\r\nRE,1,1112,50605,a b,,,,,,,,,1001-1\r\nSJ,1,x\r\n";

class CliInterrupt : public testing::Test
{
protected:
    CliInterrupt() { std::filesystem::create_directory(dir / "out"); }
    std::string Path(const char* name) const { return (dir / name).string(); }
    std::string Out() const { return (dir / "out").string(); }

    TempDir dir;
};

/// True once the process `pid` holds a file open in `folder`: its output has begun.
bool WritesInto(long pid, const std::filesystem::path& folder)
{
    std::error_code ec;
    for (const auto& fd : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", ec)) {
        const std::string target = std::filesystem::read_symlink(fd.path(), ec).string();
        if (target.starts_with(folder.string() + "/"))
            return true;
    }
    return false;
}

TEST_F(CliInterrupt, AnInterruptedRunLeavesNothingBehind)
{
    struct Case
    {
        int signal;
        int status;
    };
    for (const Case c : {Case {SIGINT, 130}, Case {SIGTERM, 143}, Case {SIGHUP, 129}, Case {SIGKILL, -1}}) {
        SCOPED_TRACE(c.signal);
        std::filesystem::remove_all(dir / "out");
        std::filesystem::create_directory(dir / "out");
        std::filesystem::remove(dir / "pipe.UKE");
        ASSERT_EQ(::mkfifo(Path("pipe.UKE").c_str(), 0600), 0);
        Process cli(kCli, {"anonymize", "-o", Out(), Path("pipe.UKE")});
        // Half a file, and the pipe kept open: the run waits in the middle of its input.
        const int fd = ::open(Path("pipe.UKE").c_str(), O_WRONLY);
        ASSERT_GE(fd, 0);
        std::string half = "IR,1,13,1,1310001,,x,50605,00,03\r\n";
        while (half.size() < (1 << 20))
            half += "SI,1,123456789,1,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,\r\n";
        ASSERT_EQ(::write(fd, half.data(), half.size()), static_cast<ssize_t>(half.size()));
        for (int i = 0; i < 500 && !WritesInto(cli.pid(), dir / "out"); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_TRUE(WritesInto(cli.pid(), dir / "out"));
        cli.Signal(c.signal);
        const Process::Result r = cli.Wait();
        ::close(fd);
        if (c.status >= 0)
            EXPECT_EQ(r.status, c.status);
        else
            EXPECT_EQ(r.signal, SIGKILL);
        EXPECT_EQ(FileCount(dir / "out"), 0u);
    }
}

TEST_F(CliInterrupt, LostStandardOutputIsAFailure)
{
    WriteBytes(dir / "social.UKE", kSocial);
    const Process::Result r = Process(kCli, {"anonymize", "-o", Out(), Path("social.UKE")}, "/dev/full").Wait();
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "plok-cli: 標準出力に書き込めません。(ディスクの空き容量が足りません)\n");
    // The file itself was written; only its name could not be told.
    EXPECT_EQ(FileCount(dir / "out"), 1u);
    EXPECT_EQ(Process(kCli, {"--version"}, "/dev/full").Wait().status, 1);
}

} // namespace
