#include "claims/StripBranch.h"

#include "core/CommaText.h"
#include "core/Cp932.h"
#include "core/Errors.h"
#include "core/Text.h"
#include "support/CutAtCommas.h"
#include "support/Sjis.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using plok::ResultSlot;
using plok::RunResult;
using plok::RunStatus;
using plok::claims::Conv2;
using plok::claims::GetKnjBng;
using plok::claims::GetKnjBng2;
using plok::claims::kRangeOrderText;
using plok::claims::RemovalMode;
using plok::test::FileCount;
using plok::test::ReadBytes;
using plok::test::Sjis;
using plok::test::TempDir;
using plok::test::WriteBytes;

namespace {

constexpr char16_t kSocialName[] = u"(50605提出_社保)RECEIPTC.uke";
constexpr char16_t kNationalName[] = u"(50605提出_国保)RECEIPTC.uke";
const std::string kHeader = "IR,1,,,,,,50605,,\r\n";

/// An RE record whose patient number (field 13) is `number`, fields 1..12 fixed.
std::u16string Receipt(std::u16string_view number, std::u16string_view tail = u",x")
{
    return u"RE,1,1112,50605,名前,1,3450401,,,,,,," + std::u16string(number) + std::u16string(tail);
}

std::string Fields(int count, std::string_view prefix)
{
    std::string s(prefix);
    int have = 1 + static_cast<int>(std::count(prefix.begin(), prefix.end(), ','));
    for (; have < count; ++have)
        s += ',';
    return s;
}

std::filesystem::path NamePath(std::u16string_view name)
{
    return plok::ToPath(name);
}

class Conv2Test : public testing::Test
{
protected:
    RunResult Run(std::string_view bytes, RemovalMode mode = RemovalMode::Symbol, std::u16string_view start = u"",
        std::u16string_view end = u"")
    {
        WriteBytes(in / "RECEIPTC.UKE", bytes);
        return Conv2(in / "RECEIPTC.UKE", mode, start, end, out.path());
    }
    std::string Output(std::u16string_view name = kSocialName) const { return ReadBytes(out / NamePath(name)); }

    TempDir in;
    TempDir out;
};

TEST_F(Conv2Test, OutputNameAndPayer)
{
    struct Case
    {
        std::string input;
        std::u16string name;
        ResultSlot slot;
    };
    const std::vector<Case> cases = {
        {"IR,1,13,1,1,,x,50605,00,1\r\n", kSocialName, ResultSlot::First},
        {"IR,2,13,1,1,,x,50605,00,1\r\n", kNationalName, ResultSlot::Second},
        {"IR, 2 ,13,1,1,,x,\" 50605 \",00,1\r\n", kNationalName, ResultSlot::Second},
        {"IR,\"2\",13,1,1,,x,50605,00,1\r\n", kNationalName, ResultSlot::Second},
        // A later social IR keeps the file national and gives the month.
        {"IR,2,,,,,,50604,\r\nIR,1,,,,,,50605,\r\n", kNationalName, ResultSlot::Second},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        const TempDir folder;
        WriteBytes(in / "RECEIPTC.UKE", c.input);
        const RunResult r = Conv2(in / "RECEIPTC.UKE", RemovalMode::Symbol, u"", u"", folder.path());
        ASSERT_EQ(r.status, RunStatus::Done);
        EXPECT_EQ(r.fileName, c.name);
        EXPECT_EQ(r.slot, c.slot);
        EXPECT_EQ(r.message, u"社保と国保の枝番除去ファイルが作成されました");
        EXPECT_TRUE(std::filesystem::is_regular_file(folder / NamePath(c.name)));
        EXPECT_EQ(FileCount(folder.path()), 1u);
    }
}

TEST_F(Conv2Test, EveryModeRewritesOnlyTheReceiptLines)
{
    // Only the patient number's bytes change: every other byte of every line stays, double quotes included, and the
    // copy ends with the source's end-of-file byte. The bytes after it are never read.
    const std::string odd = "\x80\xfd\xf0\x40\xfa\x4a";
    const std::string head = plok::cp932::Encode(u"IR,1,13,1,9876543,\"a b\",医療法人　青空会,50605,00,\"03\"\r\n");
    const std::string sj = "SJ,01,\"" + odd + " x\"\r\n";
    const std::string rest = Sjis({
        u"CO,820100001,,\"コメント\"",
        u"",
        u"RE,2,1112,50605,佐藤,1,3450401,,,,,,,A12/3*4",
        u"re,1,,,,,,,,,,,,1-1",
        u" RE,1,,,,,,,,,,,,1-1",
        u"RE,4,1112,50605,鈴木,1,3450401,,,,,,,山田１２３－１,,\"\"",
        u"GO,1,1234,99",
    });
    const std::string input = head
        + plok::cp932::Encode(u"RE,1,\"1112\",50605,\"山田 太郎\",1,3450401,,,,,,,\" 123 45-01\",,ﾔﾏﾀﾞ\tﾀﾛｳ,\r\n") + sj
        + rest + "\x1aRE,9,,,,,,,,,,,,9-9\r\n";

    struct Case
    {
        RemovalMode mode;
        std::u16string re1;
        std::u16string re2;
        std::u16string re4;
    };
    const std::vector<Case> cases = {
        {RemovalMode::Symbol, u"12345", u"A12", u"山田１２３－１"},
        {RemovalMode::Position, u"23 45", u"12/3*", u"田１２３－"},
        {RemovalMode::None, u"\" 123 45-01\"", u"A12/3*4", u"山田１２３－１"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.mode));
        const RunResult r = Run(input, c.mode, u" 2", u"6 ");
        ASSERT_EQ(r.status, RunStatus::Done);
        const std::string expected = head
            + Sjis({u"RE,1,\"1112\",50605,\"山田 太郎\",1,3450401,,,,,,," + c.re1 + u",,ﾔﾏﾀﾞ\tﾀﾛｳ,"}) + sj
            + Sjis({
                u"CO,820100001,,\"コメント\"",
                u"",
                u"RE,2,1112,50605,佐藤,1,3450401,,,,,,," + c.re2,
                u"re,1,,,,,,,,,,,,1-1",
                u" RE,1,,,,,,,,,,,,1-1",
                u"RE,4,1112,50605,鈴木,1,3450401,,,,,,," + c.re4 + u",,\"\"",
                u"GO,1,1234,99",
            })
            + "\x1a";
        EXPECT_EQ(Output(), expected);
    }
}

TEST_F(Conv2Test, NoneModeNeedsNoPatientNumberAndCopiesEveryByte)
{
    const std::string input = "IR,1,,,,,,50605,,\r\n" + Fields(13, "RE,\"1\",2") + "\r\nRE\r\n\"RE\",\"a b\"\r\n";
    const RunResult r = Run(input, RemovalMode::None);
    ASSERT_EQ(r.status, RunStatus::Done);
    EXPECT_EQ(Output(), input);
}

TEST_F(Conv2Test, OnlyThePatientNumbersBytesChange)
{
    // Blanks at every place of a field and of the line, on both sides of the patient number and across the
    // sixteen-byte steps of the scan. The number is cut as the field splitter gives it (without its double quotes);
    // every other byte of the line stays as it was read, and no field gains a double quote for its blanks.
    const std::vector<std::string> lines = {
        "RE,!,a b,\tc, ,d ,e,,,,,,,7-1\t, f !",
        "RE, ,  , x,,,,,,,,,,1-2 3, y",
        "\"RE\",x,\"y, z\",,,,,,,,,,\" 4 5\"",
        std::string("RE,a\x00b,c\x7f"
                    "d,,,,,,,,,,,\x1f"
                    "6-1\x01,\x1f",
            28),
        "RE,,,,,,,,,,,,,,",
        "RE,0123456789abcdef0123 456789,,,,,,,,,,,,0123456789abcdef 01234,0123456789abcdef0123456789 ",
        "RE,,,,,,,,,,,,, 12 /3 ,",
    };
    const std::string head = "IR,1,,,,,,50605,,\r\n";
    std::string input = head;
    for (const auto& line : lines)
        input += line + "\r\n";
    for (const RemovalMode mode : {RemovalMode::Symbol, RemovalMode::Position, RemovalMode::None}) {
        SCOPED_TRACE(static_cast<int>(mode));
        ASSERT_EQ(Run(input, mode, u"1", u"3").status, RunStatus::Done);
        std::string expected = head;
        for (const auto& line : lines) {
            std::vector<std::string> raw = plok::test::CutAtCommas<char>(line);
            std::u16string number = plok::cp932::Decode(raw[13]);
            std::erase(number, u'"');
            if (mode == RemovalMode::Symbol)
                raw[13] = plok::cp932::Encode(GetKnjBng(plok::Trim(number)));
            else if (mode == RemovalMode::Position)
                raw[13] = plok::cp932::Encode(GetKnjBng2(plok::Trim(number), u"1", u"3"));
            std::string joined = raw[0];
            for (std::size_t i = 1; i < raw.size(); ++i)
                joined += "," + raw[i];
            expected += joined + "\r\n";
        }
        EXPECT_EQ(Output(), expected);
    }
}

TEST_F(Conv2Test, ShortRecordsFailWithTheFirstAbsentIndexAndWriteNothing)
{
    struct Case
    {
        std::string record;
        int fields;
        RemovalMode mode;
        int index;
    };
    const std::vector<Case> cases = {
        {"IR", 1, RemovalMode::Symbol, 7},
        {"IR", 2, RemovalMode::None, 7},
        {"IR", 7, RemovalMode::Position, 7},
        {"RE", 1, RemovalMode::Symbol, 13},
        {"RE", 13, RemovalMode::Symbol, 13},
        {"RE", 13, RemovalMode::Position, 13},
    };
    WriteBytes(out / NamePath(kSocialName), "earlier output");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.record + " with " + std::to_string(c.fields) + " fields");
        const std::string input = "IR,1,,,,,,50605,,\r\nSY,1\r\n" + Fields(c.fields, c.record) + "\r\nSY,2\r\n";
        try {
            Run(input, c.mode, u"1", u"2");
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

TEST_F(Conv2Test, MissingInputIsReportedBeforeTheRange)
{
    std::filesystem::create_directory(in / "folder");
    // Windows makes no symbolic links without a privilege: there the link cases are left out.
    const bool links = plok::test::MakeLink(in / "gone.UKE", in / "dangling.UKE");
    for (const auto& path : {in / "none.UKE", in / "folder", in / "dangling.UKE", std::filesystem::path()}) {
        if (!links && path.filename() == "dangling.UKE")
            continue;
        SCOPED_TRACE(path.string());
        const RunResult r = Conv2(path, RemovalMode::Position, u"", u"abc", out.path());
        EXPECT_EQ(r.status, RunStatus::MissingFile);
        EXPECT_EQ(r.message, u"ファイルがありません。");
        EXPECT_TRUE(r.fileName.empty());
    }
    EXPECT_EQ(FileCount(out.path()), 0u);

    WriteBytes(in / "target.UKE", "IR,2,,,,,,50605,,\r\n");
    if (links && plok::test::MakeLink(in / "target.UKE", in / "link.UKE")) {
        EXPECT_EQ(Conv2(in / "link.UKE", RemovalMode::Symbol, u"", u"", out.path()).fileName, kNationalName);
    }
}

TEST_F(Conv2Test, RangeIsCheckedOnlyInPositionModeAndBeforeReading)
{
    struct Case
    {
        RemovalMode mode;
        std::u16string start;
        std::u16string end;
        RunStatus status;
        std::u16string_view message = {};
    };
    using S = RunStatus;
    const std::vector<Case> cases = {
        {RemovalMode::Position, u"", u"6", S::BlankRange},
        {RemovalMode::Position, u"2", u"", S::BlankRange},
        {RemovalMode::Position, u" \t", u"6", S::BlankRange},
        {RemovalMode::Position, u"", u"", S::BlankRange},
        {RemovalMode::Position, u"", u"abc", S::BlankRange},
        {RemovalMode::Position, u"0", u"6", S::InvalidRange},
        {RemovalMode::Position, u"2", u"0", S::InvalidRange},
        {RemovalMode::Position, u"abc", u"6", S::InvalidRange},
        {RemovalMode::Position, u"2", u"abc", S::InvalidRange},
        {RemovalMode::Position, u"３", u"6", S::InvalidRange},
        {RemovalMode::Position, u"2", u"0x0", S::InvalidRange},
        {RemovalMode::Position, u"2", u"6\u3000", S::InvalidRange},
        // A range that keeps nothing would empty every patient number and still report success.
        {RemovalMode::Position, u"-1", u"4", S::InvalidRange},
        {RemovalMode::Position, u"2", u"-6", S::InvalidRange},
        {RemovalMode::Position, u"6", u"1", S::InvalidRange, kRangeOrderText},
        {RemovalMode::Position, u"3", u"3", S::InvalidRange, kRangeOrderText},
        // The hidden, empty position fields of the other modes are never looked at.
        {RemovalMode::Symbol, u"", u"", S::Done},
        {RemovalMode::None, u"", u"", S::Done},
        {RemovalMode::Symbol, u"0", u"abc", S::Done},
    };
    WriteBytes(out / NamePath(kSocialName), "earlier output");
    for (const auto& c : cases) {
        SCOPED_TRACE(plok::ToUtf8(c.start + u"|" + c.end) + " mode " + std::to_string(static_cast<int>(c.mode)));
        // An IR record too short to read proves that a warned run never reads the file.
        const RunResult r = Run(c.status == S::Done ? "IR,1,,,,,,50605,\r\n" : "IR\r\n", c.mode, c.start, c.end);
        EXPECT_EQ(r.status, c.status);
        if (c.status == S::Done) {
            EXPECT_EQ(Output(), "IR,1,,,,,,50605,\r\n");
            WriteBytes(out / NamePath(kSocialName), "earlier output");
            continue;
        }
        EXPECT_EQ(r.message,
            !c.message.empty()              ? c.message
                : c.status == S::BlankRange ? u"値が空欄です"
                                            : u"正しい数字を入力して下さい");
        EXPECT_TRUE(r.fileName.empty());
        EXPECT_EQ(Output(), "earlier output");
        EXPECT_EQ(FileCount(out.path()), 1u);
    }
}

TEST_F(Conv2Test, BillingMonthThatIsNoPlainFileNameIsRefused)
{
    for (const std::u16string month : {u"../x", u"a/b", u"..", u"a\\b", u"C:", u"a?b", u"a*", u"a|b", u"a\tb"}) {
        SCOPED_TRACE(plok::ToUtf8(month));
        const RunResult r = Run(Sjis({u"IR,1,,,,,," + month + u",,"}));
        EXPECT_EQ(r.status, RunStatus::UnsafeName);
        EXPECT_EQ(r.message,
            u"請求年月「" + month + u"」はファイル名に使えない文字を含むため、枝番除去ファイルを作成できません。");
        EXPECT_TRUE(r.fileName.empty());
        EXPECT_EQ(FileCount(out.path()), 0u);
        EXPECT_EQ(FileCount(in.path()), 1u);
    }
}

TEST_F(Conv2Test, EarlierOutputAsInputIsReplacedByItsOwnCopy)
{
    WriteBytes(out / NamePath(kNationalName), "IR,2,,,,,,50605,,\r\nRE,4,,,,,,,,,,,,77-1\r\n");
    const RunResult r = Conv2(out / NamePath(kNationalName), RemovalMode::Symbol, u"", u"", out.path());
    ASSERT_EQ(r.status, RunStatus::Done);
    EXPECT_EQ(Output(kNationalName), "IR,2,,,,,,50605,,\r\nRE,4,,,,,,,,,,,,77\r\n");
    EXPECT_EQ(FileCount(out.path()), 1u);
}

TEST_F(Conv2Test, UnwritableOutputFolderIsAnIoError)
{
    WriteBytes(in / "RECEIPTC.UKE", "IR,1,,,,,,50605,,\r\n");
    EXPECT_THROW(Conv2(in / "RECEIPTC.UKE", RemovalMode::Symbol, u"", u"", out / "missing"), plok::IoError);
    EXPECT_EQ(FileCount(out.path()), 0u);
}

TEST_F(Conv2Test, KeptCharactersKeepTheirBytes)
{
    // 0x85 0x40 is an unassigned pair (two code units), 0xED 0x40 a character with a second, preferred code, 0x82
    // before "1" a lead byte without its trail (one unit).
    const std::string number = "\x85\x40"
                               "12\xed\x40"
                               "3\x82"
                               "1-9";
    struct Case
    {
        RemovalMode mode;
        std::u16string start;
        std::u16string end;
        std::string kept;
    };
    const std::vector<Case> cases = {
        {RemovalMode::Symbol, u"", u"",
            "\x85\x40"
            "12\xed\x40"
            "3\x82"
            "1"},
        {RemovalMode::Position, u"2", u"5",
            "\x40"
            "12\xed\x40"},
        {RemovalMode::Position, u"5", u"8",
            "\xed\x40"
            "3\x82"
            "1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(plok::ToUtf8(c.start + u"|" + c.end));
        const RunResult r = Run(kHeader + Fields(14, "RE") + number + ",\r\n", c.mode, c.start, c.end);
        ASSERT_EQ(r.status, RunStatus::Done);
        EXPECT_EQ(Output(), kHeader + Fields(14, "RE") + c.kept + ",\r\n");
        const std::u16string text = plok::cp932::Decode(number);
        EXPECT_EQ(plok::cp932::Decode(c.kept),
            c.mode == RemovalMode::Symbol ? GetKnjBng(text) : GetKnjBng2(text, c.start, c.end));
    }
}

// Found by fuzz_strip_branch: in bytes that are no valid code page 932, taking a blank out lets a lone lead byte pair
// with the byte after the blank. The run keeps the bytes as they are, where the text rule keeps the lead an escape.
TEST_F(Conv2Test, BlanksTakenOutOfInvalidBytesLeaveTheOtherBytesAsTheyAre)
{
    struct Case
    {
        std::string number;
        std::string kept;
        std::u16string textRule;
    };
    const std::vector<Case> cases = {
        {"\x81 \x40", "\x81\x40", u"\xDC81@"},
        // 0x95 0xFA is a character of its own; 0xFA 0x4A alone would be "Ⅰ", whose preferred code is 0x87 0x54.
        {"\x8d\x91\x95 \xfa\x4a-1", "\x8d\x91\x95\xfa\x4a", u"国\xDC95Ⅰ"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.number));
        ASSERT_EQ(Run(kHeader + Fields(14, "RE") + c.number + ",\r\n").status, RunStatus::Done);
        EXPECT_EQ(Output(), kHeader + Fields(14, "RE") + c.kept + ",\r\n");
        EXPECT_EQ(GetKnjBng(plok::cp932::Decode(c.number)), c.textRule);
    }
}

TEST(GetKnjBng, CutsAtTheHalfWidthSymbols)
{
    const std::vector<std::pair<std::u16string, std::u16string>> cases = {
        {u"12345-1", u"12345"},
        {u"12345/2", u"12345"},
        {u"12345*0", u"12345"},
        {u"123 45-01", u"12345"},
        {u"A-B/C*D", u"A"},
        {u"-1", u""},
        {u"12345", u"12345"},
        {u"", u""},
        {u" \t12345 \t", u"12345"},
        {u"1 2/3 4", u"12"},
        {u"12*3/4", u"12"},
        {u"12/3-4", u"12"},
        {u"12\t/3", u"12"},
        {u"1\t2-3", u"1\t2"},
        {u"12345－1", u"12345－1"},
        {u"12345／2", u"12345／2"},
        {u"12345＊0", u"12345＊0"},
        {u"123\u300045", u"123\u300045"},
        {u"山田 一郎-2", u"山田一郎"},
    };
    for (const auto& [value, expected] : cases) {
        SCOPED_TRACE(plok::ToUtf8(value));
        EXPECT_EQ(GetKnjBng(value), expected);
    }
}

TEST(GetKnjBng2, TakesTheUnitsFromStartToEnd)
{
    struct Case
    {
        std::u16string value;
        std::u16string start;
        std::u16string end;
        std::u16string expected;
    };
    const std::vector<Case> cases = {
        {u"A12345-1", u"2", u"6", u"12345"},
        {u"12345", u"3", u"99", u"345"},
        {u"12345", u"4", u"5", u"45"},
        {u"12345", u"9", u"12", u""},
        {u"12345", u"5", u"6", u"5"},
        {u"12345", u"3", u"3", u""},
        {u"12345", u"5", u"2", u""},
        {u"12345", u"-1", u"4", u""},
        {u"12345", u" 2 ", u" 4 ", u"234"},
        {u"12345", u"$2", u"0x4", u"234"},
        {u" 12345 ", u"1", u"2", u"12"},
        {u"12 345", u"2", u"3", u"2"},
        {u"山田１２３", u"2", u"4", u"田１２"},
        {u"ｱｲｳ-1", u"1", u"2", u"ｱｲ"},
        {u"12345", u"1", u"2147483647", u"12345"},
        // Start 0 (which the run itself refuses) reads from position 1 and still takes end + 1 units.
        {u"12345", u"0", u"2", u"123"},
        {u"12345", u"abc", u"4", u"12345"},
        {u"12345", u"2", u"abc", u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(plok::ToUtf8(c.value + u" " + c.start + u".." + c.end));
        EXPECT_EQ(GetKnjBng2(c.value, c.start, c.end), c.expected);
    }
}

TEST_F(Conv2Test, TheRunCutsAsTheFunctionsDo)
{
    const std::vector<std::u16string> numbers
        = {u"12345-1", u" 123 45-01 ", u"A-B/C*D", u"-1", u"山田 一郎-2", u"1\t2-3", u"12345－1", u"ｱｲｳ 12"};
    const std::vector<std::pair<std::u16string, std::u16string>> ranges
        = {{u"2", u"6"}, {u"1", u"3"}, {u"4", u"99"}, {u"3", u"4"}};
    std::string input = kHeader;
    for (const auto& n : numbers)
        input += Sjis({Receipt(n)});
    const auto expected = [&](auto cut) {
        std::string bytes = kHeader;
        for (const auto& n : numbers)
            bytes += Sjis({Receipt(cut(plok::Trim(n)))});
        return bytes;
    };

    ASSERT_EQ(Run(input, RemovalMode::Symbol).status, RunStatus::Done);
    EXPECT_EQ(Output(), expected([](const std::u16string& n) { return GetKnjBng(n); }));
    for (const auto& range : ranges) {
        // Named copies rather than structured bindings: Clang 14 cannot capture those in the lambda below.
        const std::u16string start = range.first;
        const std::u16string end = range.second;
        SCOPED_TRACE(plok::ToUtf8(start + u".." + end));
        ASSERT_EQ(Run(input, RemovalMode::Position, start, end).status, RunStatus::Done);
        EXPECT_EQ(Output(), expected([&](const std::u16string& n) { return GetKnjBng2(n, start, end); }));
    }
}

} // namespace
