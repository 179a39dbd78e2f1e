// An interrupted plok-cli leaves nothing behind, and lost standard output is a failure: the Windows side, with the
// console's Ctrl+C and Ctrl+Break sent to the program's process group, a named pipe that holds the run in the middle
// of its input, and a pipe nobody reads.
#include "support/Process.h"
#include "support/TempDir.h"

#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

using plok::test::FileCount;
using plok::test::Process;
using plok::test::TempDir;
using plok::test::WriteBytes;

namespace {

const std::string kCli = PLOK_CLI_PATH;
const std::string kSocial = "IR,1,13,1,1310001,,x,50605,00,03\r\nRE,1,1112,50605,a b,,,,,,,,,1001-1\r\nSJ,1,x\r\n";

bool UnderWine()
{
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
}

/// A console shared with the programs this test starts: console events reach only programs of the same console.
bool HaveConsole()
{
    return ::GetConsoleWindow() != nullptr || ::AllocConsole();
}

TEST(CliInterrupt, CtrlCAndCtrlBreakLeaveNothingBehind)
{
    // Started by ctest, wine gives the test no console, and a console it allocates delivers no events.
    if (UnderWine() && ::GetConsoleWindow() == nullptr)
        GTEST_SKIP() << "wine without a console delivers no console events";
    ASSERT_TRUE(HaveConsole());
    struct Case
    {
        DWORD event;
        const char* name;
    };
    for (const Case c : {Case {CTRL_C_EVENT, "Ctrl+C"}, Case {CTRL_BREAK_EVENT, "Ctrl+Break"}}) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        std::filesystem::create_directory(dir / "out");
        const std::wstring pipeName
            = L"\\\\.\\pipe\\plok-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(c.event);
        const HANDLE pipe = ::CreateNamedPipeW(
            pipeName.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 1 << 16, 1 << 16, 0, nullptr);
        ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
        Process cli(kCli, {"anonymize", "-o", (dir / "out").string(), std::string(pipeName.begin(), pipeName.end())});
        ASSERT_TRUE(::ConnectNamedPipe(pipe, nullptr) || ::GetLastError() == ERROR_PIPE_CONNECTED);
        // Half a file, and the pipe kept open: the run waits in the middle of its input.
        std::string half = "IR,1,13,1,1310001,,x,50605,00,03\r\n";
        while (half.size() < (1 << 20))
            half += "SI,1,123456789,1,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,\r\n";
        DWORD written = 0;
        ASSERT_TRUE(::WriteFile(pipe, half.data(), static_cast<DWORD>(half.size()), &written, nullptr));
        // Its hidden temporary file shows that the output has begun.
        for (int i = 0; i < 500 && FileCount(dir / "out") == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_EQ(FileCount(dir / "out"), 1u);
        ASSERT_TRUE(cli.ConsoleEvent(c.event));
        const HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(cli.pid()));
        ASSERT_NE(process, nullptr);
        const DWORD ended = ::WaitForSingleObject(process, 30000);
        ::CloseHandle(process);
        ASSERT_EQ(ended, WAIT_OBJECT_0) << "the event did not end the program";
        const Process::Result r = cli.Wait();
        ::CloseHandle(pipe);
        EXPECT_EQ(r.status, 130);
        EXPECT_EQ(FileCount(dir / "out"), 0u);
    }
}

TEST(CliInterrupt, LostStandardOutputIsAFailure)
{
    TempDir dir;
    std::filesystem::create_directory(dir / "out");
    WriteBytes(dir / "social.UKE", kSocial);
    Process::Options closed;
    closed.stdoutClosed = true;
    const Process::Result r
        = Process(kCli, {"anonymize", "-o", (dir / "out").string(), (dir / "social.UKE").string()}, closed).Wait();
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.starts_with("plok-cli: 標準出力に書き込めません。(")) << r.err;
    // The file itself was written; only its name could not be told.
    EXPECT_EQ(FileCount(dir / "out"), 1u);
    EXPECT_EQ(Process(kCli, {"--version"}, closed).Wait().status, 1);
}

} // namespace
