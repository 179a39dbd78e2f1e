#include "cli/Cli.h"

#include "core/Version.h"
#include "support/CliRun.h"
#include "support/TempDir.h"

#include <regex>
#include <sstream>

#include <gtest/gtest.h>

using plok::test::CliRun;
using plok::test::ReadBytes;
using plok::test::RunCli;
using plok::test::TempDir;
using plok::test::WriteBytes;

namespace {

class AnonymizeCommand : public testing::Test
{
protected:
    void SetUp() override
    {
        WriteBytes(in / "social.UKE", "IR,1,,,,,,50605,,\r\nRE,1,,,x\r\n");
        WriteBytes(in / "national.UKE", "IR,2,,,,,,50605,,\r\nRE,1,,,x\r\n");
        WriteBytes(in / "short.UKE", "IR,2,,,,,,50605,,\r\nRE,1\r\n");
    }
    std::string In(const char* name) const { return (in / name).string(); }

    TempDir in;
    TempDir out;
};

TEST_F(AnonymizeCommand, EachFileOnItsOwnAndOneLinePerResult)
{
    const std::string missing = In("missing.UKE");
    const CliRun r = RunCli(
        {"anonymize", "--out", out.path().string(), In("social.UKE"), In("short.UKE"), missing, In("national.UKE")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "50605_1.UKE\n50605_2.UKE\n");
    EXPECT_EQ(r.err,
        "plok-cli: " + In("short.UKE") + ": リストのインデックスが範囲を超えています (4)\n" + "plok-cli: " + missing
            + ": ファイルがありません。\n");
    EXPECT_TRUE(std::filesystem::exists(out / "50605_1.UKE"));
    EXPECT_TRUE(std::filesystem::exists(out / "50605_2.UKE"));
}

TEST_F(AnonymizeCommand, AllProducedIsStatusZero)
{
    const CliRun r = RunCli({"anonymize", "--out=" + out.path().string(), In("national.UKE")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "50605_2.UKE\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(ReadBytes(out / "50605_2.UKE").substr(0, 3), "IR,");
}

TEST_F(AnonymizeCommand, OutputFolderDefaultsToTheCurrentFolder)
{
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(out.path());
    const CliRun r = RunCli({"anonymize", In("social.UKE")});
    std::filesystem::current_path(previous);
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(std::filesystem::exists(out / "50605_1.UKE"));
}

TEST_F(AnonymizeCommand, MissingOutputFolderIsReportedOnce)
{
    const std::string folder = (out / "nowhere").string();
    const CliRun r = RunCli({"anonymize", "--out", folder, In("social.UKE"), In("national.UKE")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "plok-cli: " + folder + ": 出力フォルダがありません。\n");
}

TEST_F(AnonymizeCommand, DoubleDashEndsTheOptions)
{
    WriteBytes(out / "--odd.UKE", "IR,1,,,,,,50606,,\r\n");
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(out.path());
    const CliRun r = RunCli({"anonymize", "--", "--odd.UKE"});
    std::filesystem::current_path(previous);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "50606_1.UKE\n");
}

TEST_F(AnonymizeCommand, ANameStartingWithASlashIsAFileAsOnEverySystem)
{
    // On Windows too: "/o" is no option there, and a path from the drive's root is a file.
    for (const std::string name : {"/missing-plok.UKE", "/o"}) {
        SCOPED_TRACE(name);
        const CliRun r = RunCli({"anonymize", "--out", out.path().string(), name});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "plok-cli: " + name + ": ファイルがありません。\n");
    }
}

TEST(Cli, UsageErrorsExitWithTwoAndAUsageText)
{
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"frobnicate"},
        {"anonymize"},
        {"anonymize", "--out"},
        {"anonymize", "--bogus", "x.UKE"},
        {"anonymize", "-x", "x.UKE"},
        {"anonymize", "--audit=yes", "x.UKE"},
        {"audit", "x.UKE"},
        {"carte", "a.txt", "b.txt"},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(testing::PrintToString(args));
        const CliRun r = RunCli(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err.rfind("plok-cli: ", 0), 0u);
        EXPECT_NE(r.err.find("Usage: plok-cli"), std::string::npos);
    }
}

TEST(Cli, VersionAndHelpOnACommand)
{
    for (const char* flag : {"--version", "-V"}) {
        const CliRun r = RunCli({flag});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out.rfind("plok-cli ", 0), 0u);
        EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1);
    }
    const CliRun help = RunCli({"help", "strip-branch"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out, RunCli({"strip-branch", "--help"}).out);
    EXPECT_NE(help.out.find("--mode"), std::string::npos);
    EXPECT_EQ(RunCli({"help"}).out, RunCli({"--help"}).out);
    const CliRun unknown = RunCli({"help", "frobnicate"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("frobnicate"), std::string::npos);
}

TEST(Cli, HelpInJapaneseAndEnglish)
{
    for (const auto& args : std::vector<std::vector<std::string>> {{"--help"}, {"-h"}, {"anonymize", "--help"}}) {
        SCOPED_TRACE(testing::PrintToString(args));
        const CliRun r = RunCli(args);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
        EXPECT_NE(r.out.find("anonymize"), std::string::npos);
        EXPECT_NE(r.out.find("使い方"), std::string::npos);
        EXPECT_NE(r.out.find("Usage"), std::string::npos);
    }
    EXPECT_NE(RunCli({"anonymize", "--help"}).out.find("匿名化"), std::string::npos);
}

TEST(Cli, VersionPrintsTheProjectVersion)
{
    EXPECT_TRUE(std::regex_match(plok::kVersion, std::regex(R"(\d+(\.\d+){1,3})"))) << plok::kVersion;
    for (const char* flag : {"--version", "-V"}) {
        SCOPED_TRACE(flag);
        const CliRun r = RunCli({flag});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, std::string("plok-cli ") + plok::kVersion + "\n");
        EXPECT_EQ(r.err, "");
    }
    EXPECT_NE(RunCli({"--help"}).out.find("--version"), std::string::npos);
}

} // namespace
