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

/// A tab-separated record of 53 fields with the chart number, year-month 202406 and HbA1c `hba1c`.
std::string Record(std::string_view chart, std::string_view hba1c = "")
{
    std::string line(chart);
    for (int i = 1; i < 53; ++i) {
        line += '\t';
        if (i == 3)
            line += "202406";
        if (i == 22)
            line += hba1c;
    }
    return line + "\r\n";
}

class CarteCommand : public testing::Test
{
protected:
    void SetUp() override
    {
        WriteBytes(in / "ff.txt", "header\r\n" + Record("0012", "6") + Record(" 0012"));
        WriteBytes(in / "bad.txt", "header\r\n" + Record("1", "*"));
        WriteBytes(in / "empty.txt", "");
        WriteBytes(in / "plain.txt", "a b c\r\nd\te f 202406\r\n");
        WriteBytes(in / "short.txt", "a b c\r\nd e f\r\n");
    }
    std::string In(const char* name) const { return (in / name).string(); }

    TempDir in;
    TempDir out;
};

TEST_F(CarteCommand, ProducedFileNameOnStdout)
{
    for (const std::string& outOption : {std::string("--out"), std::string("--out=")}) {
        SCOPED_TRACE(outOption);
        std::vector<std::string> args = {"carte"};
        if (outOption == "--out") {
            args.push_back("--out");
            args.push_back(out.path().string());
        } else {
            args.push_back("--out=" + out.path().string());
        }
        args.push_back(In("ff.txt"));
        const CliRun r = RunCli(args);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out, "202406_carte.csv\n");
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(ReadBytes(out / "202406_carte.csv"),
            plok::cp932::Encode(u"カルテ番号,患者氏名,診療年月日,郵便番号,身長,体重,収縮期血圧,拡張期血圧,HbA1c,"
                                u"LDLコレステロール,尿酸,空列\r\n12,,20240601,,,,,,6.0,,\r\n"));
    }

    const CliRun r = RunCli({"export-csv", "--out", out.path().string(), In("plain.txt")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "202406_carte.csv\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(ReadBytes(out / "202406_carte.csv"), "a,b,c\r\nd,e,f,202406\r\n");
}

TEST_F(CarteCommand, WarningsAndFailuresGoToStderrWithStatusOne)
{
    struct Case
    {
        std::string command;
        std::string file;
        std::string message;
    };
    const std::string missing = In("missing.txt");
    const std::vector<Case> cases = {
        {"carte", missing, "ファイルがありません。"},
        {"carte", In("bad.txt"), "'*' は浮動小数点数ではありません"},
        {"carte", In("empty.txt"), "正しいFFファイルではありません。"},
        {"export-csv", In("empty.txt"), "正しいFFファイルではありません。"},
        {"export-csv", In("short.txt"), "リストのインデックスが範囲を超えています (3)"},
        {"export-csv", missing, "ファイル \"" + missing + "\" を開けません。(ファイルまたはフォルダがありません)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command + " " + c.file);
        const CliRun r = RunCli({c.command, "--out", out.path().string(), c.file});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "plok-cli: " + c.file + ": " + c.message + "\n");
        EXPECT_EQ(FileCount(out.path()), 0u);
    }
}

TEST_F(CarteCommand, OutputFolderDefaultsToTheCurrentFolderAndMustExist)
{
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(out.path());
    const CliRun here = RunCli({"carte", In("ff.txt")});
    std::filesystem::current_path(previous);
    EXPECT_EQ(here.status, 0);
    EXPECT_TRUE(std::filesystem::exists(out / "202406_carte.csv"));

    const std::string folder = (out / "nowhere").string();
    for (const char* command : {"carte", "export-csv"}) {
        SCOPED_TRACE(command);
        const CliRun r = RunCli({command, "--out", folder, In("ff.txt")});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "plok-cli: " + folder + ": 出力フォルダがありません。\n");
    }
}

TEST_F(CarteCommand, ExactlyOneFile)
{
    for (const char* command : {"carte", "export-csv"}) {
        for (const auto& files : {std::vector<std::string> {}, std::vector<std::string> {In("ff.txt"), In("ff.txt")}}) {
            SCOPED_TRACE(std::string(command) + " with " + std::to_string(files.size()) + " files");
            std::vector<std::string> args = {command, "--out", out.path().string()};
            args.insert(args.end(), files.begin(), files.end());
            const CliRun r = RunCli(args);
            EXPECT_EQ(r.status, 2);
            EXPECT_EQ(r.out, "");
            EXPECT_NE(r.err.find("Usage: plok-cli " + std::string(command) + " [--out DIR] FILE\n"), std::string::npos);
            EXPECT_EQ(FileCount(out.path()), 0u);
        }
    }
}

TEST(CarteCommandHelp, BothCommandsListedAndExplained)
{
    const CliRun main = RunCli({"--help"});
    EXPECT_NE(main.out.find("plok-cli carte [--out DIR] FILE\n"), std::string::npos);
    EXPECT_NE(main.out.find("plok-cli export-csv [--out DIR] FILE\n"), std::string::npos);
    for (const auto& [command, japanese] :
        {std::pair {"carte", "電カル連携ファイル"}, std::pair {"export-csv", "カンマ区切り"}}) {
        SCOPED_TRACE(command);
        const CliRun r = RunCli({command, "--help"});
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
        EXPECT_NE(r.out.find(japanese), std::string::npos);
        EXPECT_NE(r.out.find("Usage"), std::string::npos);
    }
}

} // namespace
