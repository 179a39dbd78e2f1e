#include "cli/Cli.h"
#include "core/Cp932.h"
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

class ReplaceCommand : public testing::Test
{
protected:
    void SetUp() override
    {
        WriteBytes(in / "def.csv", plok::cp932::Encode(u"旧,新\r\n123,456\r\n"));
        WriteBytes(in / "data.txt", plok::cp932::Encode(u"1,0000000123,x0000000123\r\n2,旧\r\n"));
    }
    std::string In(const char* name) const { return (in / name).string(); }

    TempDir in;
    TempDir out;
};

TEST_F(ReplaceCommand, WritesTheReplacedCopy)
{
    for (const auto& definitions : {std::vector<std::string> {"--definitions", In("def.csv")},
             std::vector<std::string> {"--definitions=" + In("def.csv")}}) {
        std::vector<std::string> args = {"replace", "--out", out.path().string()};
        args.insert(args.end(), definitions.begin(), definitions.end());
        args.push_back(In("data.txt"));
        const CliRun r = RunCli(args);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, "dataR.txt\n");
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(ReadBytes(out / "dataR.txt"), plok::cp932::Encode(u"1,0000000456,x0000000456\r\n2,新\r\n"));
    }
}

TEST_F(ReplaceCommand, FailuresNameTheirFile)
{
    WriteBytes(in / "short.csv", "a,b\r\nc\r\n");
    WriteBytes(in / "short.txt", "1,0000000123\r\n\r\n");
    WriteBytes(in / "empty.txt", "");
    struct Case
    {
        std::string definitions;
        std::string file;
        std::string err;
    };
    const std::vector<Case> cases = {
        {In("none.csv"), In("data.txt"), In("none.csv") + ": 変更定義ファイルがファイルがありません。"},
        {In("short.csv"), In("data.txt"), In("short.csv") + ": リストのインデックスが範囲を超えています (1)"},
        {In("def.csv"), In("none.txt"), In("none.txt") + ": ファイルがありません。"},
        {In("def.csv"), In("short.txt"), In("short.txt") + ": リストのインデックスが範囲を超えています (1)"},
        {In("def.csv"), In("empty.txt"), In("empty.txt") + ": 正しいFFファイルではありません。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.err);
        const CliRun r = RunCli({"replace", "--out", out.path().string(), "--definitions", c.definitions, c.file});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "plok-cli: " + c.err + "\n");
        EXPECT_EQ(FileCount(out.path()), 0u);
    }
}

TEST_F(ReplaceCommand, UsageErrors)
{
    const std::vector<std::vector<std::string>> cases = {
        {"replace", In("data.txt")},
        {"replace", "--definitions", In("def.csv")},
        {"replace", "--definitions", In("def.csv"), In("data.txt"), In("data.txt")},
        {"replace", In("data.txt"), "--definitions"},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(testing::PrintToString(args));
        const CliRun r = RunCli(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("Usage: plok-cli replace"), std::string::npos);
    }
    EXPECT_NE(RunCli({"replace"}).err.find("--definitions"), std::string::npos);

    const CliRun help = RunCli({"replace", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("変更定義ファイル"), std::string::npos);
    EXPECT_NE(help.out.find("change-definition"), std::string::npos);
    EXPECT_NE(RunCli({"--help"}).out.find("plok-cli replace"), std::string::npos);
}

} // namespace
