#include "tools/ChartLink.h"

#include "core/CommaText.h"
#include "core/Cp932.h"
#include "core/Errors.h"
#include "core/Text.h"
#include "core/TextFile.h"
#include "support/Sjis.h"
#include "support/TempDir.h"

#include <map>

#include <gtest/gtest.h>

using plok::RunResult;
using plok::RunStatus;
using plok::test::FileCount;
using plok::test::ReadBytes;
using plok::test::Sjis;
using plok::test::TempDir;
using plok::test::WriteBytes;
using plok::tools::ConvertToCarte;
using plok::tools::ExportCsv;
using plok::tools::GetCarte;

namespace {

const std::u16string kHeader
    = u"カルテ番号,患者氏名,診療年月日,郵便番号,身長,体重,収縮期血圧,拡張期血圧,HbA1c,LDLコレステロール,尿酸,空列";

/// A tab-separated FF record of `count` fields: chart number, a name, the year-month 202406, then `values`.
std::u16string Record(std::u16string_view chart, const std::map<int, std::u16string>& values = {}, int count = 60)
{
    std::vector<std::u16string> fields(static_cast<std::size_t>(count));
    fields[0] = chart;
    fields[1] = u"氏名";
    fields[3] = u"202406";
    for (const auto& [i, v] : values)
        fields[static_cast<std::size_t>(i)] = v;
    std::u16string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += u'\t';
        line += fields[i];
    }
    return line;
}

std::vector<std::u16string> Split(std::u16string_view line)
{
    std::vector<std::u16string> out;
    plok::GetCommaTxt(line, out);
    return out;
}

class CarteTest : public testing::Test
{
protected:
    RunResult Run(const std::vector<std::u16string>& lines) { return RunBytes(Sjis(lines)); }
    RunResult RunBytes(std::string_view bytes)
    {
        WriteBytes(in / "ff.txt", bytes);
        return ConvertToCarte(in / "ff.txt", out.path());
    }
    std::string Output(const char* name = "202406_carte.csv") const { return ReadBytes(out / name); }

    TempDir in;
    TempDir out;
};

TEST(GetCarte, NonZeroIntegersLoseTheirLeadingZerosEverythingElseStays)
{
    const std::vector<std::pair<std::u16string, std::u16string>> cases = {
        {u"000123", u"123"},
        {u"0000", u"0000"},
        {u" 0042", u"42"},
        {u"0042 ", u"0042 "},
        {u"12-345", u"12-345"},
        {u"-007", u"-7"},
        {u"+12", u"12"},
        {u"$1F", u"31"},
        {u"0x0", u"0x0"},
        {u"A12", u"A12"},
        {u"99999999999999999999", u"99999999999999999999"},
        {u"", u""},
    };
    for (const auto& [chart, expected] : cases) {
        SCOPED_TRACE(plok::ToUtf8(chart));
        EXPECT_EQ(GetCarte(chart), expected);
    }
}

TEST_F(CarteTest, ConvertsEveryRecordAfterTheFirstLine)
{
    const RunResult r = Run({
        Record(u"000999", {{5, u"9999999"}}), // line 1 is never converted
        Record(u"000123",
            {{1, u" 山田　太郎 "}, {5, u"1234567"}, {6, u"170.9"}, {7, u"65.25"}, {22, u"6"}, {31, u"120"}, {32, u"80"},
                {37, u"120.7"}, {52, u"5.60"}}),
        Record(u"A12",
            {{5, u"123-4567"}, {6, u"0"}, {7, u"301"}, {22, u"99.9"}, {31, u"999"}, {32, u"999.0"}, {37, u"999"},
                {52, u""}}),
    });
    ASSERT_EQ(r.status, RunStatus::Done);
    EXPECT_EQ(r.fileName, u"202406_carte.csv");
    EXPECT_EQ(r.message, u"202406_carte.csvが作成されました");
    EXPECT_EQ(Output(),
        Sjis({
            kHeader,
            u"123, 山田　太郎 ,20240601,1234567,170,65.3,120,80,6.0,120,5.60",
            u"A12,氏名,20240601,,,,,999.0,,,",
        }));
    EXPECT_EQ(FileCount(out.path()), 1u);
}

TEST_F(CarteTest, ColumnRules)
{
    struct Case
    {
        int field;
        std::u16string value;
        std::size_t column;
        std::u16string expected;
    };
    const std::vector<Case> cases = {
        {0, u"0000", 0, u"0000"},
        {0, u"-007", 0, u"-7"},
        {5, u"1234567", 3, u"1234567"},
        {5, u" 1234567 ", 3, u"1234567"},
        {5, u"123-4567", 3, u""},
        {5, u"123456", 3, u""},
        {6, u"170.9", 4, u"170"},
        {6, u"0", 4, u""},
        {6, u"0.0", 4, u""},
        {6, u"", 4, u""},
        {6, u"abc", 4, u""},
        {6, u"300", 4, u"300"},
        {6, u" 301 ", 4, u""},
        {6, u"350.5", 4, u"350"},
        {6, u"-5.5", 4, u"-5"},
        {6, u"1e400", 4, u"-9223372036854775808"},
        {7, u"65", 5, u"65.0"},
        {7, u"65.25", 5, u"65.3"},
        {7, u"0.15", 5, u"0.2"},
        {7, u"0", 5, u""},
        {7, u"abc", 5, u""},
        {7, u"301", 5, u""},
        {7, u"301.5", 5, u"301.5"},
        {7, u"inf", 5, u"INF"},
        {31, u"999", 6, u""},
        {31, u" 999 ", 6, u""},
        {31, u"999.0", 6, u"999.0"},
        {31, u"120", 6, u"120"},
        {32, u"999", 7, u""},
        {32, u"x", 7, u"x"},
        {22, u"99.9", 8, u""},
        {22, u"99.90", 8, u"99.90"},
        {22, u"6", 8, u"6.0"},
        {22, u"5.60", 8, u"5.60"},
        {22, u"", 8, u""},
        {22, u"1e1", 8, u"10.0"},
        {22, u"1.x", 8, u"1.x"},
        {37, u"999", 9, u""},
        {37, u"999.0", 9, u"999"},
        {37, u"120", 9, u"120"},
        {37, u"abc", 9, u"abc"},
        {37, u"120.7", 9, u"120"},
        {37, u"99.9", 9, u"99"},
        {37, u"-0.5", 9, u"0"},
        {37, u".", 9, u"0"},
        {52, u"99.9", 10, u""},
        {52, u"7", 10, u"7.0"},
        {52, u"5.60", 10, u"5.60"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("field " + std::to_string(c.field) + " = \"" + plok::ToUtf8(c.value) + "\"");
        const RunResult r = Run({u"header", Record(u"1", {{c.field, c.value}})});
        ASSERT_EQ(r.status, RunStatus::Done);
        const std::vector<plok::Line> lines = plok::LoadLines(out / "202406_carte.csv");
        ASSERT_EQ(lines.size(), 2u);
        const std::vector<std::u16string> columns = Split(lines[1]);
        ASSERT_EQ(columns.size(), 11u);
        EXPECT_EQ(columns[c.column], c.expected);
    }
}

TEST_F(CarteTest, FirstOfTheChartNumbersThatMatchIgnoringCaseAndBlanksWins)
{
    const RunResult r = Run({
        Record(u"b"), // line 1 adds no key
        Record(u"a12", {{5, u"1111111"}}),
        Record(u"A12", {{5, u"2222222"}}),
        Record(u" a12 ", {{5, u"3333333"}}),
        Record(u"b"),
        Record(u"\uFF41\uFF11"), // full-width a1
        Record(u"\uFF21\uFF11"), // full-width A1
        Record(u"B"),
    });
    ASSERT_EQ(r.status, RunStatus::Done);
    EXPECT_EQ(Output(),
        Sjis({
            kHeader,
            u"a12,氏名,20240601,1111111,,,,,,,",
            u"b,氏名,20240601,,,,,,,,",
            u"\uFF41\uFF11,氏名,20240601,,,,,,,,",
        }));
}

TEST_F(CarteTest, SkippedLinesAndWhereTheYearMonthComesFrom)
{
    std::u16string shifted = Record(u"7", {{1, u"\"山田,太郎\""}, {4, u"7654321"}}, 52);
    const RunResult r = Run({
        Record(u"1", {{3, u"209901"}}),
        Record(u"2", {{3, u""}}),
        Record(u"3", {{3, u"209902"}}, 52),
        Record(u"", {{3, u"209903"}}),
        Record(u"2", {{3, u"202407"}}), // a duplicate: skipped, yet it gives the year-month
        Record(u"4", {{3, u"209904"}}),
        Record(u"5", {{3, u"209905"}}, 53),
        shifted, // the comma inside the name makes 53 fields and moves field 4 into the postal code
        u"",
    });
    ASSERT_EQ(r.status, RunStatus::Done);
    EXPECT_EQ(r.fileName, u"202407_carte.csv");
    EXPECT_EQ(Output("202407_carte.csv"),
        Sjis({
            kHeader,
            u"2,氏名,01,,,,,,,,",
            u"4,氏名,20240701,,,,,,,,",
            u"5,氏名,20240701,,,,,,,,",
            u"7,山田,20240701,7654321,,,,,,,",
        }));
}

TEST_F(CarteTest, OnlyLineGivesTheHeaderUnderAnEmptyYearMonth)
{
    const RunResult r = Run({Record(u"1")});
    ASSERT_EQ(r.status, RunStatus::Done);
    EXPECT_EQ(r.fileName, u"_carte.csv");
    EXPECT_EQ(r.message, u"_carte.csvが作成されました");
    EXPECT_EQ(Output("_carte.csv"), Sjis({kHeader}));
}

TEST_F(CarteTest, ReadsAByteOrderMarkedSourceAndWritesCodePage932)
{
    const std::u16string text = u"header\n" + Record(u"01", {{1, u"髙橋"}}) + u"\n";
    const RunResult r = RunBytes("\xEF\xBB\xBF" + plok::ToUtf8(text));
    ASSERT_EQ(r.status, RunStatus::Done);
    EXPECT_EQ(Output(), Sjis({kHeader, u"1,髙橋,20240601,,,,,,,,"}));
}

TEST_F(CarteTest, WarningsWriteNothing)
{
    struct Case
    {
        const char* what;
        std::string bytes;
        RunStatus status;
        std::u16string message;
    };
    const std::vector<Case> cases = {
        {"empty file", "", RunStatus::NoLines, u"正しいFFファイルではありません。"},
        {"byte-order mark only", "\xEF\xBB\xBF", RunStatus::NoLines, u"正しいFFファイルではありません。"},
        {"slash in the year-month", Sjis({u"h", Record(u"1", {{3, u"2024/06"}})}), RunStatus::UnsafeName,
            u"年月「2024/06」はファイル名に使えない文字を含むため、電カル連携ファイルを作成できません。"},
        {"parent folder", Sjis({u"h", Record(u"1", {{3, u"../x"}})}), RunStatus::UnsafeName,
            u"年月「../x」はファイル名に使えない文字を含むため、電カル連携ファイルを作成できません。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const RunResult r = RunBytes(c.bytes);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.message, c.message);
        EXPECT_EQ(r.fileName, u"");
        EXPECT_EQ(FileCount(out.path()), 0u);
    }
    EXPECT_FALSE(std::filesystem::exists(out.path().parent_path() / "x_carte.csv"));
}

TEST_F(CarteTest, MissingFileOrFolderIsAWarning)
{
    for (const std::filesystem::path& source : {in / "missing.txt", in.path(), std::filesystem::path()}) {
        SCOPED_TRACE(source.string());
        const RunResult r = ConvertToCarte(source, out.path());
        EXPECT_EQ(r.status, RunStatus::MissingFile);
        EXPECT_EQ(r.message, u"ファイルがありません。");
        EXPECT_EQ(FileCount(out.path()), 0u);
    }
}

TEST_F(CarteTest, DecimalColumnThatIsNoNumberFailsAndWritesNothing)
{
    WriteBytes(out / "202406_carte.csv", "earlier output");
    for (const int field : {22, 52}) {
        for (const std::u16string value : {u"*", u" 1 5 ", u"\uFF16", u"1e"}) {
            SCOPED_TRACE(std::to_string(field) + ": " + plok::ToUtf8(value));
            try {
                Run({u"header", Record(u"1"), Record(u"2", {{field, value}}), Record(u"3")});
                ADD_FAILURE() << "no failure";
            } catch (const plok::NumberFormatError& e) {
                EXPECT_EQ(
                    std::string(e.what()), "'" + plok::ToUtf8(plok::Trim(value)) + "' は浮動小数点数ではありません");
            }
            EXPECT_EQ(Output(), "earlier output");
            EXPECT_EQ(FileCount(out.path()), 1u);
        }
    }
}

class ExportCsvTest : public CarteTest
{
protected:
    RunResult Export(const std::vector<std::u16string>& lines)
    {
        WriteBytes(in / "ff.txt", Sjis(lines));
        return ExportCsv(in / "ff.txt", out.path());
    }
};

TEST_F(ExportCsvTest, SplitsByTheCommaTextRuleAndJoinsWithPlainCommas)
{
    const RunResult r = Export({
        u"h1\th2 \"h 3\"",
        u",x,y,z,209901", // empty field 0: skipped, gives no year-month
        u"a\t\tb\tc\t202406",
        u"x y",
        u"a,\"b,c\",d",
        u"  k,\"\"\"q\"\"\",,",
        u"a\tb", // the year-month is set: three fields are enough now
        u"a\tb",
    });
    ASSERT_EQ(r.status, RunStatus::Done);
    EXPECT_EQ(r.fileName, u"202406_carte.csv");
    EXPECT_EQ(r.message, u"");
    EXPECT_EQ(Output(),
        Sjis({
            u"h1,h2,h 3",
            u"a,b,c,202406",
            u"x,y",
            u"a,b,c,d",
            u"k,\"q\",,",
            u"a,b",
            u"a,b",
        }));
}

TEST_F(ExportCsvTest, YearMonthFromTheFirstNonEmptyFieldThreeAfterLineOne)
{
    const RunResult r = Export({u"a b c 209901", u"a,b,c,\"\"", u"d e f 202407"});
    ASSERT_EQ(r.status, RunStatus::Done);
    EXPECT_EQ(r.fileName, u"202407_carte.csv");
    EXPECT_EQ(Output("202407_carte.csv"), Sjis({u"a,b,c,209901", u"a,b,c,", u"d,e,f,202407"}));

    EXPECT_EQ(Export({u"only line"}).fileName, u"_carte.csv");
    EXPECT_EQ(Output("_carte.csv"), Sjis({u"only,line"}));
}

TEST_F(ExportCsvTest, MissingFieldsFailWithTheirIndexAndWriteNothing)
{
    struct Case
    {
        std::vector<std::u16string> lines;
        int index;
    };
    const std::vector<Case> cases = {
        {{u"h", u"a,b,c"}, 3},
        {{u"h", u",", u"a b"}, 3},
        {{u"h", u"a b c 202406", u""}, 0},
        {{u""}, 0},
        {{u"h", u" \t "}, 0},
    };
    WriteBytes(out / "202406_carte.csv", "earlier output");
    for (const auto& c : cases) {
        SCOPED_TRACE(plok::ToUtf8(c.lines.back()));
        try {
            Export(c.lines);
            ADD_FAILURE() << "no failure";
        } catch (const plok::ListIndexError& e) {
            EXPECT_EQ(e.index(), c.index);
            EXPECT_EQ(
                std::string(e.what()), "リストのインデックスが範囲を超えています (" + std::to_string(c.index) + ")");
        }
        EXPECT_EQ(Output(), "earlier output");
        EXPECT_EQ(FileCount(out.path()), 1u);
    }
}

TEST_F(ExportCsvTest, NothingToWriteUnsafeNameAndMissingFile)
{
    RunResult r = Export({});
    EXPECT_EQ(r.status, RunStatus::NoLines);
    EXPECT_EQ(r.message, u"正しいFFファイルではありません。");
    r = Export({u",a", u",b,c,d,e"});
    EXPECT_EQ(r.status, RunStatus::NoLines);
    r = Export({u"h", u"a b c x:y"});
    EXPECT_EQ(r.status, RunStatus::UnsafeName);
    EXPECT_EQ(r.message, u"年月「x:y」はファイル名に使えない文字を含むため、CSVファイルを作成できません。");
    EXPECT_EQ(r.fileName, u"");
    EXPECT_EQ(FileCount(out.path()), 0u);

    EXPECT_THROW(ExportCsv(in / "missing.txt", out.path()), plok::IoError);
    EXPECT_THROW(ExportCsv(std::filesystem::path(), out.path()), plok::IoError);
    EXPECT_EQ(FileCount(out.path()), 0u);
}

} // namespace
