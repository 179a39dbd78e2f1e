#include "tools/Replace.h"

#include "core/Cp932.h"
#include "core/Errors.h"
#include "core/FileNames.h"
#include "core/Text.h"
#include "support/Sjis.h"
#include "support/TempDir.h"
#include "tools/ChangeTable.h"

#include <gtest/gtest.h>

using plok::ListIndexError;
using plok::RunResult;
using plok::RunStatus;
using plok::test::FileCount;
using plok::test::ReadBytes;
using plok::test::Sjis;
using plok::test::TempDir;
using plok::test::WriteBytes;
using plok::tools::ChangeTable;
using plok::tools::Cnv;
using plok::tools::CsvSet;
using plok::tools::ReplacedFileName;

namespace {

using Pairs = std::vector<std::pair<std::u16string, std::u16string>>;

Pairs PairsOf(const ChangeTable& table)
{
    Pairs pairs;
    for (std::size_t i = 0; i < table.size(); ++i)
        pairs.emplace_back(table.mlsList()[i], table.mlsList2()[i]);
    return pairs;
}

class CsvSetTest : public testing::Test
{
protected:
    RunResult Load(std::string_view bytes)
    {
        WriteBytes(dir / "def.csv", bytes);
        counts.clear();
        return CsvSet(dir / "def.csv", table, [this](int n) { counts.push_back(n); });
    }

    TempDir dir;
    ChangeTable table;
    std::vector<int> counts;
};

TEST_F(CsvSetTest, PadsFromTheSecondLineAndReportsTheCount)
{
    const RunResult r = Load(Sjis({u"旧,新", u"123,456", u"ABCDEFGHIJK,9"}));
    EXPECT_EQ(r.status, RunStatus::Done);
    EXPECT_EQ(r.message, u"");
    EXPECT_EQ(
        PairsOf(table), (Pairs {{u"旧", u"新"}, {u"0000000123", u"0000000456"}, {u"ABCDEFGHIJK", u"0000000009"}}));
    EXPECT_EQ(counts, (std::vector<int> {1, 2, 3}));
}

TEST_F(CsvSetTest, ValueRules)
{
    struct Case
    {
        std::u16string line;
        std::u16string oldValue;
        std::u16string newValue;
    };
    const std::vector<Case> cases = {
        {u"12,34", u"0000000012", u"0000000034"},
        {u" 12 ,\t34\t", u"0000000012", u"0000000034"},
        {u",5", u"0000000000", u"0000000005"},
        {u"AB,x", u"00000000AB", u"000000000x"},
        {u"旧,新", u"000000000旧", u"000000000新"},
        {u"\"AB\",\"C D\"", u"00000000AB", u"0000000C D"},
        {u"\"1,2\",3", u"0000000001", u"0000000002"},
        {u"ABCDEFGHIJ,1234567890", u"ABCDEFGHIJ", u"1234567890"},
        {u"ABCDEFGHIJK, 123456789012 ", u"ABCDEFGHIJK", u"123456789012"},
        {u"1,2,3,4", u"0000000001", u"0000000002"},
        {u"　1,2", u"00000000　1", u"0000000002"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(plok::ToUtf8(c.line));
        Load(Sjis({u" 12 , 34 ", c.line}));
        EXPECT_EQ(PairsOf(table), (Pairs {{u"12", u"34"}, {c.oldValue, c.newValue}}));
    }
}

TEST_F(CsvSetTest, LineRules)
{
    struct Case
    {
        std::string bytes;
        Pairs pairs;
    };
    const std::vector<Case> cases = {
        {"", {}},
        {"\032a,b\r\n", {}},
        {"a,b\nc,d", {{u"a", u"b"}, {u"000000000c", u"000000000d"}}},
        {"a,b\r\nc,d\r\n\032e,f\r\n", {{u"a", u"b"}, {u"000000000c", u"000000000d"}}},
        {"a\r,b\r\r\n", {{u"a", u"b"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.bytes));
        EXPECT_EQ(Load(c.bytes).status, RunStatus::Done);
        EXPECT_EQ(PairsOf(table), c.pairs);
        EXPECT_EQ(counts.size(), c.pairs.size());
    }
}

TEST_F(CsvSetTest, LineWithoutCommaFailsAndKeepsWhatCameBefore)
{
    struct Case
    {
        std::string bytes;
        Pairs kept;
    };
    const std::vector<Case> cases = {
        {"alone\r\na,b\r\n", {}},
        {"a,b\r\n\r\nc,d\r\n", {{u"a", u"b"}}},
        {"a,b\r\nc,d\r\nno comma\r\ne,f\r\n", {{u"a", u"b"}, {u"000000000c", u"000000000d"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.bytes));
        try {
            Load(c.bytes);
            ADD_FAILURE() << "no failure";
        } catch (const ListIndexError& e) {
            EXPECT_EQ(e.index(), 1);
        }
        EXPECT_EQ(PairsOf(table), c.kept);
        std::vector<int> expectedCounts;
        for (std::size_t i = 1; i <= c.kept.size(); ++i)
            expectedCounts.push_back(static_cast<int>(i));
        EXPECT_EQ(counts, expectedCounts);
    }
}

TEST_F(CsvSetTest, ByteOrderMarkStaysInTheFirstOldValue)
{
    const std::string bom = "\xEF\xBB\xBF";
    Load(bom + Sjis({u"旧,新", u"1,2"}));
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table.mlsList()[0], plok::cp932::Decode(bom + plok::cp932::Encode(u"旧")));
    EXPECT_NE(table.mlsList()[0], u"旧");
    EXPECT_EQ(table.Find(u"旧"), -1);
    EXPECT_EQ(table.mlsList2()[0], u"新");
}

TEST_F(CsvSetTest, EveryLoadStartsFromAnEmptyTable)
{
    Load(Sjis({u"a,b", u"c,d"}));
    ASSERT_EQ(table.size(), 2u);
    Load(Sjis({u"x,y"}));
    EXPECT_EQ(PairsOf(table), (Pairs {{u"x", u"y"}}));
    EXPECT_EQ(table.Find(u"a"), -1);
    EXPECT_EQ(table.Find(u"x"), 0);

    for (const auto& missing : {dir / "none.csv", dir.path()}) {
        SCOPED_TRACE(missing.string());
        Load(Sjis({u"a,b"}));
        counts.clear();
        const RunResult r = CsvSet(missing, table, [this](int n) { counts.push_back(n); });
        EXPECT_EQ(r.status, RunStatus::MissingFile);
        EXPECT_EQ(r.message, u"変更定義ファイルがファイルがありません。");
        EXPECT_EQ(table.size(), 0u);
        EXPECT_EQ(table.Find(u"a"), -1);
        EXPECT_TRUE(counts.empty());
    }
}

TEST(ChangeTableFind, FirstPairOfTheSameLengthIgnoringCase)
{
    ChangeTable table;
    const std::vector<std::u16string> olds = {u"ß", u"SS", u"ss", u"abc", u"ａｂ", u"k1", u"ABC", u"x"};
    for (const auto& o : olds)
        table.Add(o, u"new " + o);
    struct Case
    {
        std::u16string key;
        int index;
    };
    const std::vector<Case> cases = {
        {u"ss", 1},
        {u"sS", 1},
        {u"ß", 0},
        {u"ẞ", 0},
        {u"abc", 3},
        {u"ABC", 3},
        {u"aBc", 3},
        {u"ab", -1},
        {u"abcd", -1},
        {u"ＡＢ", 4},
        {u"ａＢ", 4},
        {u"AB", -1},
        {u"\u212A1", 5},
        {u"K1", 5},
        {u"X", 7},
        {u"", -1},
        {u"y", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(plok::ToUtf8(c.key));
        EXPECT_EQ(table.Find(c.key), c.index);
    }
    table.Clear();
    EXPECT_EQ(table.Find(u"abc"), -1);
    EXPECT_EQ(table.size(), 0u);
}

TEST(ReplacedFileName, NameAfterTheLastSeparatorWithTxtMarked)
{
    const std::vector<std::pair<std::u16string, std::u16string>> cases = {
        {u"data.txt", u"dataR.txt"},
        {u"a.txt.txt", u"aR.txtR.txt"},
        {u"DATA.TXT", u"DATA.TXT"},
        {u"data.csv", u"data.csv"},
        {u"data.txtx", u"dataR.txtx"},
        {u"/home/u/in/data.txt", u"dataR.txt"},
        {u"C:\\work\\in\\data.txt", u"dataR.txt"},
        {u"d:data.txt", u"dataR.txt"},
        {u"dir/", u""},
    };
    for (const auto& [path, name] : cases) {
        SCOPED_TRACE(plok::ToUtf8(path));
        EXPECT_EQ(ReplacedFileName(path), name);
    }
}

class CnvTest : public testing::Test
{
protected:
    void SetUp() override
    {
        WriteBytes(in / "def.csv",
            Sjis({
                u"旧,新",
                u"123,456",
                u"abcdefghij,Z",
                u"123,999",
                u"ａｂ,全角",
                u"777,LONGERVALUE12",
                u"ABCDEFGHIJKL,1",
                u"AAAAAAAAAA,B",
            }));
        ASSERT_EQ(CsvSet(in / "def.csv", table).status, RunStatus::Done);
    }
    RunResult Run(std::string_view bytes, const std::string& name = "data.txt")
    {
        const std::filesystem::path source = in / plok::PathFromUtf8(name);
        // "x\\y.txt" is a name in a folder where the backslash separates folders.
        std::filesystem::create_directories(source.parent_path());
        WriteBytes(source, bytes);
        return Cnv(source, table, out.path());
    }

    TempDir in;
    TempDir out;
    ChangeTable table;
};

TEST_F(CnvTest, ReplacesTheKeyEverywhereOnItsLine)
{
    struct Case
    {
        std::u16string line;
        std::u16string expected;
    };
    const std::vector<Case> cases = {
        {u"1,0000000123,x0000000123", u"1,0000000456,x0000000456"},
        {u"1,123,0000000123", u"1,123,0000000123"},
        {u"0000000123,zz,0000000123", u"0000000123,zz,0000000123"},
        {u"1,旧,旧旧", u"1,新,新新"},
        {u"a,ABCDEFGHIJ,ABCDEFGHIJ", u"a,000000000Z,000000000Z"},
        {u"a,ABCDEFGHIJ,abcdefghij", u"a,000000000Z,abcdefghij"},
        {u"1,00000000ＡＢ,00000000ＡＢ", u"1,00000000全角,00000000全角"},
        {u"a,,0000000123", u"a,,0000000123"},
        {u"x,0000000123 0000000123", u"x,0000000456 0000000456"},
        {u"a,\"0000000123,x\",0000000123", u"a,\"0000000123,x\",0000000123"},
        {u"a,\"0000000123\",b0000000123", u"a,\"0000000456\",b0000000456"},
        {u"a,\" 0000000123 \",z", u"a,\" 0000000456 \",z"},
        {u"1,0000000777,0000000777", u"1,LONGERVALUE12,LONGERVALUE12"},
        {u"ABCDEFGHIJKL,ABCDEFGHIJKL", u"0000000001,0000000001"},
        {u"AAAAAAAAAAA,AAAAAAAAAA", u"000000000BA,000000000B"},
        {u"1,0000000456,0000000123", u"1,0000000456,0000000123"},
    };
    std::vector<std::u16string> input;
    std::string expected;
    for (const auto& c : cases) {
        input.push_back(c.line);
        expected += plok::cp932::Encode(c.expected) + "\r\n";
    }
    std::string bytes;
    for (const auto& line : input)
        bytes += plok::cp932::Encode(line) + "\r\n";

    WriteBytes(out / "dataR.txt", "earlier output");
    const RunResult r = Run(bytes);
    ASSERT_EQ(r.status, RunStatus::Done);
    EXPECT_EQ(r.fileName, u"dataR.txt");
    EXPECT_EQ(r.message, u"dataR.txtが作成されました");
    EXPECT_EQ(ReadBytes(out / "dataR.txt"), expected);
    EXPECT_EQ(FileCount(out.path()), 1u);
    EXPECT_EQ(ReadBytes(in / "data.txt"), bytes);
}

TEST_F(CnvTest, LinesLeftAloneKeepTheirBytes)
{
    // 0xED 0x40 is an NEC-selected IBM code: going through the code page would turn it into its IBM twin 0xFA 0x5C,
    // and an invalid byte would stay only as an escape.
    const std::string kept = "1,x,\xED\x40\x80";
    const std::string changed = "2,0000000123,\xED\x40";
    const RunResult r = Run(kept + "\r\n" + changed + "\r\n");
    ASSERT_TRUE(r.Done());
    EXPECT_EQ(ReadBytes(out / "dataR.txt"), kept + "\r\n" + "2,0000000456,\xFA\x5C\r\n");
}

TEST_F(CnvTest, LineBreaksAndByteOrderMarks)
{
    struct Case
    {
        std::string bytes;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"1,0000000123", "1,0000000456\r\n"},
        {"1,0000000123\n2,x\r3,y\r\n", "1,0000000456\r\n2,x\r\n3,y\r\n"},
        {"\xEF\xBB\xBF" + plok::ToUtf8(u"1,旧,ｶﾅ\r\n"), Sjis({u"1,新,ｶﾅ"})},
        {std::string {'\xFF', '\xFE', '1', 0, ',', 0, '\xE7', '\x65', '\r', 0, '\n', 0}, Sjis({u"1,新"})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.bytes));
        const RunResult r = Run(c.bytes);
        ASSERT_EQ(r.status, RunStatus::Done);
        EXPECT_EQ(ReadBytes(out / "dataR.txt"), c.expected);
    }
}

TEST_F(CnvTest, LineWithFewerThanTwoFieldsFailsAndWritesNothing)
{
    const std::vector<std::string> cases = {
        "1,0000000123\r\n\r\n2,x\r\n",
        "1,0000000123\r\n\r\n",
        "1,0000000123\n\n",
        "1,0000000123\r\n   \r\n",
        "1,0000000123\r\nalone\r\n",
        "\"a,b\"\r\n",
        "\r\n",
    };
    WriteBytes(out / "dataR.txt", "earlier output");
    for (const auto& bytes : cases) {
        SCOPED_TRACE(testing::PrintToString(bytes));
        try {
            Run(bytes);
            ADD_FAILURE() << "no failure";
        } catch (const ListIndexError& e) {
            EXPECT_EQ(e.index(), 1);
        }
        EXPECT_EQ(ReadBytes(out / "dataR.txt"), "earlier output");
        EXPECT_EQ(FileCount(out.path()), 1u);
    }
}

TEST_F(CnvTest, OutputNames)
{
    const std::vector<std::pair<std::string, std::u16string>> cases = {
        {"data.txt", u"dataR.txt"},
        {"a.txt.txt", u"aR.txtR.txt"},
        {"DATA.TXT", u"DATA.TXT"},
        {"data.csv", u"data.csv"},
        {"x\\y.txt", u"yR.txt"},
        {"名前.txt", u"名前R.txt"},
    };
    for (const auto& [source, name] : cases) {
        SCOPED_TRACE(source);
        const RunResult r = Run("1,0000000123\r\n", source);
        ASSERT_EQ(r.status, RunStatus::Done);
        EXPECT_EQ(r.fileName, name);
        EXPECT_EQ(r.message, name + u"が作成されました");
        EXPECT_EQ(ReadBytes(out / plok::ToPath(name)), "1,0000000456\r\n");
    }
    EXPECT_EQ(FileCount(out.path()), cases.size());
}

TEST_F(CnvTest, WarningsWriteNothing)
{
    WriteBytes(in / "empty.txt", "");
    // Windows holds no "?" in a file name: there that case is left out.
    bool question = true;
    try {
        WriteBytes(in / "what?.txt", "1,2\r\n");
    } catch (const std::exception&) {
        question = false;
    }
    WriteBytes(in / "end.", "1,2\r\n");
    WriteBytes(out / "data.csv", "1,0000000123\r\n");
    std::filesystem::create_directory(in / "folder.txt");
    struct Case
    {
        std::filesystem::path source;
        std::filesystem::path outFolder;
        RunStatus status;
        std::u16string message;
    };
    const std::vector<Case> cases = {
        {in / "missing.txt", out.path(), RunStatus::MissingFile, u"ファイルがありません。"},
        {in / "folder.txt", out.path(), RunStatus::MissingFile, u"ファイルがありません。"},
        {in / "empty.txt", out.path(), RunStatus::NoLines, u"正しいFFファイルではありません。"},
        {in / "what?.txt", out.path(), RunStatus::UnsafeName,
            u"出力ファイル名「what?R.txt」はファイル名に使えない文字を含むため、変換後ファイルを作成できません。"},
        {in / "end.", out.path(), RunStatus::UnsafeName,
            u"出力ファイル名「end.」はファイル名に使えない文字を含むため、変換後ファイルを作成できません。"},
        {out / "data.csv", out / ".", RunStatus::SameAsSource,
            u"出力ファイル「data.csv」が変換前ファイルと同じになるため、変換前ファイルを上書きせずに中止しました。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source.string());
        if (!question && c.source.filename() == "what?.txt")
            continue;
        const RunResult r = Cnv(c.source, table, c.outFolder);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.message, c.message);
        EXPECT_EQ(r.fileName, u"");
        EXPECT_EQ(FileCount(out.path()), 1u);
        EXPECT_EQ(ReadBytes(out / "data.csv"), "1,0000000123\r\n");
    }
}

TEST(CnvEmptyOldValue, BlankKeyChangesNothing)
{
    TempDir dir;
    WriteBytes(dir / "def.csv", ",X\r\n");
    ChangeTable table;
    CsvSet(dir / "def.csv", table);
    ASSERT_EQ(table.Find(u""), 0);
    WriteBytes(dir / "in.txt", "a,\" \",b\r\n");
    const RunResult r = Cnv(dir / "in.txt", table, dir.path());
    ASSERT_EQ(r.status, RunStatus::Done);
    EXPECT_EQ(ReadBytes(dir / "inR.txt"), "a,\" \",b\r\n");
}

} // namespace
