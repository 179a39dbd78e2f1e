#include "cli/Cli.h"
#include "core/Text.h"
#include "support/CliRun.h"
#include "support/TempDir.h"

#include <sstream>

#include <gtest/gtest.h>

using plok::test::CliRun;
using plok::test::FileCount;
using plok::test::ReadBytes;
using plok::test::RunCli;
using plok::test::TempDir;
using plok::test::WriteBytes;

namespace {

const std::string kSocialName = plok::ToUtf8(u"(50605提出_社保)RECEIPTC.uke");
const std::string kNationalName = plok::ToUtf8(u"(50606提出_国保)RECEIPTC.uke");

class StripBranchCommand : public testing::Test
{
protected:
    void SetUp() override
    {
        WriteBytes(in / "social.UKE", "IR,1,,,,,,50605,,\r\nRE,1,,,,,,,,,,,,A123 45-01,\"x\"\r\n");
        WriteBytes(in / "national.UKE", "IR,2,,,,,,50606,,\r\nRE,1,,,,,,,,,,,,9-9\r\n");
        WriteBytes(in / "short.UKE", "IR,2,,,,,,50606,,\r\nRE,1\r\n");
    }
    std::string In(const char* name) const { return (in / name).string(); }
    std::string Social() const { return ReadBytes(out / plok::PathFromUtf8(kSocialName)); }

    TempDir in;
    TempDir out;
};

TEST_F(StripBranchCommand, EachFileOnItsOwnWithSymbolModeByDefault)
{
    const std::string missing = In("missing.UKE");
    const CliRun r = RunCli(
        {"strip-branch", "--out", out.path().string(), In("social.UKE"), In("short.UKE"), missing, In("national.UKE")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, kSocialName + "\n" + kNationalName + "\n");
    EXPECT_EQ(r.err,
        "plok-cli: " + In("short.UKE") + ": リストのインデックスが範囲を超えています (13)\n" + "plok-cli: " + missing
            + ": ファイルがありません。\n");
    EXPECT_EQ(Social(), "IR,1,,,,,,50605,,\r\nRE,1,,,,,,,,,,,,A12345,\"x\"\r\n");
    EXPECT_EQ(ReadBytes(out / plok::PathFromUtf8(kNationalName)), "IR,2,,,,,,50606,,\r\nRE,1,,,,,,,,,,,,9\r\n");
    EXPECT_EQ(FileCount(out.path()), 2u);
}

TEST_F(StripBranchCommand, ModesAndPositions)
{
    struct Case
    {
        std::vector<std::string> options;
        std::string number;
    };
    const std::vector<Case> cases = {
        {{"--mode", "symbol"}, "A12345"},
        {{"--mode", "position", "--start", "2", "--end", "6"}, "123 4"},
        {{"--mode=position", "--start= 3 ", "--end=99"}, "23 45-01"},
        {{"--mode", "none"}, "A123 45-01"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.options));
        std::vector<std::string> args = {"strip-branch", "--out", out.path().string()};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.push_back(In("social.UKE"));
        const CliRun r = RunCli(args);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, kSocialName + "\n");
        EXPECT_EQ(r.err, "");
        // Only the number changes: it gains no quotes for its blank, and the other field keeps its own.
        EXPECT_EQ(Social(), "IR,1,,,,,,50605,,\r\nRE,1,,,,,,,,,,,," + c.number + ",\"x\"\r\n");
    }
}

TEST_F(StripBranchCommand, RangeWarningIsReportedForEachFile)
{
    struct Case
    {
        std::vector<std::string> options;
        std::string warning;
    };
    const std::vector<Case> cases = {
        {{"--mode", "position"}, "値が空欄です"},
        {{"--mode", "position", "--start", "2", "--end", " "}, "値が空欄です"},
        {{"--mode", "position", "--start", "0", "--end", "4"}, "正しい数字を入力して下さい"},
        {{"--mode", "position", "--start", "2", "--end", "４"}, "正しい数字を入力して下さい"},
        {{"--mode", "position", "--start", "-1", "--end", "4"}, "正しい数字を入力して下さい"},
        {{"--mode", "position", "--start", "6", "--end", "1"}, "開始位置には、終了位置より小さい数字を入力して下さい"},
    };
    const std::string missing = In("missing.UKE");
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.options));
        std::vector<std::string> args = {"strip-branch", "--out", out.path().string()};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.insert(args.end(), {In("social.UKE"), missing, In("short.UKE")});
        const CliRun r = RunCli(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err,
            "plok-cli: " + In("social.UKE") + ": " + c.warning + "\nplok-cli: " + missing
                + ": ファイルがありません。\nplok-cli: " + In("short.UKE") + ": " + c.warning + "\n");
        EXPECT_EQ(FileCount(out.path()), 0u);
    }
}

TEST_F(StripBranchCommand, UnknownModeIsAUsageError)
{
    for (const std::string mode : {"Symbol", "", "1"}) {
        SCOPED_TRACE(mode);
        const CliRun r = RunCli({"strip-branch", "--out", out.path().string(), "--mode", mode, In("social.UKE")});
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err.rfind("plok-cli: --mode: ", 0), 0u);
        EXPECT_NE(r.err.find("Usage: plok-cli strip-branch"), std::string::npos);
        EXPECT_EQ(FileCount(out.path()), 0u);
    }
}

TEST_F(StripBranchCommand, PositionsOutsidePositionModeAreAUsageError)
{
    const std::vector<std::vector<std::string>> cases = {
        {"--start", "2"},
        {"--mode", "none", "--end", "3"},
        {"--mode", "symbol", "--start", "1", "--end", "2"},
    };
    for (const auto& options : cases) {
        SCOPED_TRACE(testing::PrintToString(options));
        std::vector<std::string> args = {"strip-branch", "-o", out.path().string()};
        args.insert(args.end(), options.begin(), options.end());
        args.push_back(In("social.UKE"));
        const CliRun r = RunCli(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("--mode position"), std::string::npos);
        EXPECT_NE(r.err.find("Usage: plok-cli strip-branch"), std::string::npos);
        EXPECT_EQ(FileCount(out.path()), 0u);
    }
}

TEST(StripBranchCommandHelp, InJapaneseAndEnglish)
{
    const CliRun r = RunCli({"strip-branch", "--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    for (const char* text : {"使い方", "Usage: plok-cli strip-branch", "枝番", "branch number", "--mode", "--start"})
        EXPECT_NE(r.out.find(text), std::string::npos) << text;
    EXPECT_NE(RunCli({"--help"}).out.find("plok-cli strip-branch"), std::string::npos);
}

} // namespace
