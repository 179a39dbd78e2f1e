// What plok-cli refuses, checked with the real program: nothing that is no claims file, no output replaced by another
// of the same call. (An interrupted run and lost standard output are each system's own: PosixInterruptTest.cpp,
// Win32InterruptTest.cpp.)
#include "support/Process.h"
#include "support/TempDir.h"

#include <algorithm>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

using plok::test::FileCount;
using plok::test::Process;
using plok::test::ReadBytes;
using plok::test::TempDir;
using plok::test::WriteBytes;

namespace {

const std::string kCli = PLOK_CLI_PATH;
const std::string kSocial = "IR,1,13,1,1310001,,x,50605,00,03\r\nRE,1,1112,50605,a b,,,,,,,,,1001-1\r\nSJ,1,x\r\n";

class CliRefusals : public testing::Test
{
protected:
    CliRefusals() { std::filesystem::create_directory(dir / "out"); }
    std::string Path(const char* name) const { return (dir / name).string(); }
    std::string Out() const { return (dir / "out").string(); }

    TempDir dir;
};

TEST_F(CliRefusals, NoClaimsFileIsRefusedAndTheNextFileStillRuns)
{
    WriteBytes(dir / "ff.txt", "ID\t氏名\t\t年月\r\n0001\t山田\t\t202406\r\n");
    WriteBytes(dir / "short.UKE", "IR\r\n");
    WriteBytes(dir / "empty.UKE", "");
    WriteBytes(dir / "social.UKE", kSocial);
    for (const char* command : {"anonymize", "strip-branch"}) {
        SCOPED_TRACE(command);
        std::filesystem::remove_all(dir / "out");
        std::filesystem::create_directory(dir / "out");
        const Process::Result r = Process(
            kCli, {command, "-o", Out(), Path("ff.txt"), Path("short.UKE"), Path("empty.UKE"), Path("social.UKE")})
                                      .Wait();
        EXPECT_EQ(r.status, 1);
        // Each refusal says what the file is, or what was missing.
        for (const auto& [name, says] :
            std::vector<std::pair<const char*, std::string>> {{"ff.txt", "レセ電データではありません（"},
                {"short.UKE", "先頭のレコード（IR）の審査支払機関"}, {"empty.UKE", "ファイルが空"}})
            EXPECT_NE(r.err.find("plok-cli: " + Path(name) + ": " + says), std::string::npos) << name << r.err;
        EXPECT_EQ(FileCount(dir / "out"), 1u);
        EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1);
    }
}

TEST_F(CliRefusals, ALoneCrIsRefusedNamingItsLineAndTheNextFileStillRuns)
{
    const std::string refused = "に、LF の続かない CR（改行の文字）があります。行の区切りを正しく読めないため、"
                                "このファイルは処理しませんでした。";
    std::string crOnly = kSocial;
    std::erase(crOnly, '\n');
    WriteBytes(dir / "cr.UKE", crOnly);
    WriteBytes(dir / "stray.UKE", "IR,1,13,1,1310001,,x,50605,00,03\r\nSY,1,,\rRE,2,1112,50605,a b\r\n");
    WriteBytes(dir / "social.UKE", kSocial);
    for (const std::vector<std::string>& command : {std::vector<std::string> {"anonymize"},
             std::vector<std::string> {"anonymize", "--audit"}, std::vector<std::string> {"strip-branch"}}) {
        SCOPED_TRACE(command.back());
        std::filesystem::remove_all(dir / "out");
        std::filesystem::create_directory(dir / "out");
        std::vector<std::string> args = command;
        args.insert(args.end(), {"-o", Out(), Path("cr.UKE"), Path("stray.UKE"), Path("social.UKE")});
        const Process::Result r = Process(kCli, args).Wait();
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("plok-cli: " + Path("cr.UKE") + ": 1行目" + refused), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("plok-cli: " + Path("stray.UKE") + ": 2行目" + refused), std::string::npos) << r.err;
        EXPECT_EQ(FileCount(dir / "out"), 1u);
        EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1);
    }
    // The audit reads both files by the same rule; what it cannot read proves nothing either way.
    const Process::Result audit = Process(kCli, {"audit", Path("stray.UKE"), Path("social.UKE")}).Wait();
    EXPECT_EQ(audit.status, 2);
    EXPECT_NE(audit.err.find("plok-cli: " + Path("stray.UKE") + ": 2行目" + refused), std::string::npos) << audit.err;
}

TEST_F(CliRefusals, AnOutputIsNeverReplacedByAnotherOfTheSameCall)
{
    WriteBytes(dir / "a.UKE", kSocial);
    WriteBytes(dir / "b.UKE", "IR,1,13,1,1310002,,y,50605,00,04\r\nRE,2,1112,50605,c,,,,,,,,,1002\r\n");
    for (const char* command : {"anonymize", "strip-branch"}) {
        SCOPED_TRACE(command);
        std::filesystem::remove_all(dir / "out");
        std::filesystem::create_directory(dir / "out");
        const Process::Result r
            = Process(kCli, {command, "--out=" + Out(), Path("a.UKE"), Path("b.UKE"), Path("a.UKE")}).Wait();
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1);
        // Both later inputs are refused, each naming the earlier input whose output it would have replaced.
        EXPECT_NE(r.err.find("plok-cli: " + Path("b.UKE") + ": "), std::string::npos);
        EXPECT_NE(r.err.find("先に処理した「" + Path("a.UKE") + "」"), std::string::npos);
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 2);
        ASSERT_EQ(FileCount(dir / "out"), 1u);
        // The first output stays: it is a's.
        const std::filesystem::path kept = std::filesystem::directory_iterator(dir / "out")->path();
        EXPECT_NE(ReadBytes(kept).find("RE,1,"), std::string::npos);
    }
}

} // namespace
