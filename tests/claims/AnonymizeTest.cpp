#include "claims/Anonymize.h"

#include "claims/StripBranch.h"
#include "core/CommaText.h"
#include "core/Cp932.h"
#include "core/Errors.h"
#include "core/StrConv.h"
#include "core/Text.h"
#include "support/Sjis.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using plok::ResultSlot;
using plok::RunResult;
using plok::RunStatus;
using plok::claims::Conv;
using plok::test::FileCount;
using plok::test::ReadBytes;
using plok::test::Sjis;
using plok::test::TempDir;
using plok::test::WriteBytes;

namespace {

std::string Fields(int count, std::string_view prefix)
{
    std::string s(prefix);
    int have = 1 + static_cast<int>(std::count(prefix.begin(), prefix.end(), ','));
    for (; have < count; ++have)
        s += ',';
    return s;
}

class ConvTest : public testing::Test
{
protected:
    RunResult Run(std::string_view bytes)
    {
        WriteBytes(in / "RECEIPTC.UKE", bytes);
        return Conv(in / "RECEIPTC.UKE", out.path());
    }

    TempDir in;
    TempDir out;
};

TEST_F(ConvTest, SocialFileFieldByField)
{
    const std::string input
        = Sjis({
              u"IR,1,13,1,9876543,\"a b\",医療法人　青空会,50605,00,03-1234-5678",
              u"RE,1,1112,50605,\"山田 太郎\",1,3450401,,,,,,,12345-01,,,,,,,,,,,,,,,,,,,,,,,ﾔﾏﾀﾞ ﾀﾛｳ,",
              u"HO,06132013,\"１２・３４\",５６７,3,1234",
              u"KO,12136012,7654321,,1",
              u"SY,8833421,50601,1,\"左 膝\"",
              u"SJ,01,症状詳記",
              u"CO,820100001,,コメント",
              u"",
              u"SI,1,1,112007410,,,1",
              u"re,1,2,3,山田",
              u" RE,1,2,3,山田",
              u"GO,1,1234,99",
          })
        + "\x1a";

    const RunResult r = Run(input);

    ASSERT_EQ(r.status, RunStatus::Done);
    EXPECT_EQ(r.fileName, u"50605_1.UKE");
    EXPECT_EQ(r.message, u"社保と国保の匿名化ファイルが作成されました");
    EXPECT_EQ(r.slot, ResultSlot::First);
    // The copy ends as its source ended, with 0x1A. A changed record loses the quotes the field splitter drops.
    EXPECT_EQ(ReadBytes(out / "50605_1.UKE"),
        Sjis({
            u"IR,1,13,1,0123456,a b,ORVAクリニック,50605,00,012-345-6789",
            u"RE,1,1112,50605,テスト社１,1,3450401,,,,,,,12345-01,,,,,,,,,,,,,,,,,,,,,,,,",
            u"HO,12345678,,１２３４５,3,1234",
            u"KO,12345678,1234567,,1",
            u"SY,8833421,50601,1,\"左 膝\"",
            u"",
            u"SI,1,1,112007410,,,1",
            u"re,1,2,3,山田",
            u" RE,1,2,3,山田",
            u"GO,1,1234,99",
        }) + "\x1a");
    EXPECT_EQ(FileCount(out.path()), 1u);
}

TEST_F(ConvTest, NationalFileAndTheDummyNames)
{
    const RunResult r = Run(Sjis({
        u"IR, 2,13,1,1,,x,\" 50606 \",00,1",
        u"RE,7,1112,50605,佐藤",
        u"RE,,1112,50605,鈴木",
        u"RE,12 3,1112,50605,高橋",
        u"IR,1,13,1,1,,x,50607,00,1", // a later social IR keeps national, takes its month
        u"RE,8,1112,50605,田中",
    }));
    ASSERT_EQ(r.status, RunStatus::Done);
    EXPECT_EQ(r.fileName, u"50607_2.UKE");
    EXPECT_EQ(r.slot, ResultSlot::Second);
    EXPECT_EQ(ReadBytes(out / "50607_2.UKE"),
        Sjis({
            u"IR, 2,13,1,0123456,,ORVAクリニック, 50606 ,00,012-345-6789",
            u"RE,7,1112,50605,テスト国７",
            u"RE,,1112,50605,テスト国",
            u"RE,12 3,1112,50605,テスト国１２　３",
            u"IR,1,13,1,0123456,,ORVAクリニック,50607,00,012-345-6789",
            u"RE,8,1112,50605,テスト国８",
        }));
}

TEST_F(ConvTest, PayerKindIsTheTrimmedDigitTwo)
{
    // A header that names no payer is no claims file: it would be taken for social insurance.
    const std::vector<std::pair<std::u16string, std::u16string>> cases = {
        {u"2", u"_2.UKE"},
        {u" 2 ", u"_2.UKE"},
        {u"1", u"_1.UKE"},
        {u"02", u""},
        {u"２", u""},
        {u"", u""},
        {u"3", u""},
        {u"\"2\"", u"_2.UKE"},
    };
    for (const auto& [payer, suffix] : cases) {
        SCOPED_TRACE(plok::ToUtf8(payer));
        const RunResult r = Run(Sjis({u"IR," + payer + u",13,1,1,,x,50605,00,1"}));
        EXPECT_EQ(r.status, suffix.empty() ? RunStatus::NotClaimsFile : RunStatus::Done);
        EXPECT_EQ(r.fileName, suffix.empty() ? u"" : u"50605" + suffix);
    }
    EXPECT_EQ(FileCount(out.path()), 2u);
}

TEST_F(ConvTest, ReceiptFieldThirtySixIsClearedOnlyWhenPresent)
{
    const std::string thirtySix = Fields(36, "RE,1,2,3,name,5") + "x";
    const std::string thirtySeven = Fields(37, "RE,1,2,3,name,5") + "x";
    const RunResult r = Run("IR,1,,,,,,50605,,\r\n" + thirtySix + "\r\n" + thirtySeven + "\r\n");
    ASSERT_EQ(r.status, RunStatus::Done);
    const std::string name = plok::cp932::Encode(u"テスト社１");
    EXPECT_EQ(ReadBytes(out / "50605_1.UKE"),
        "IR,1,,,0123456,," + plok::cp932::Encode(u"ORVAクリニック") + ",50605,,012-345-6789\r\n"
            + Fields(36, "RE,1,2,3," + name + ",5") + "x\r\n" + Fields(37, "RE,1,2,3," + name + ",5") + "\r\n");
}

TEST_F(ConvTest, ChangedRecordsAreTheirSplitFieldsJoinedWithoutQuotes)
{
    // Blanks and quotes next to and inside the changed fields, fields across the sixteen-byte steps of the scan, more
    // fields than any rule touches, and receipt numbers that are not plain digits. A changed record loses the double
    // quotes the field splitter drops and gains none, not even where a field holds a blank.
    const std::string digits20(20, '7');
    const std::string digits1100(1100, '3');
    const std::vector<std::string> lines = {
        "IR,\" 2\",a b,\t,x\"y\"z, 6 ,\"\",50605, 8 ,\",\",10 ,,12",
        "HO,0123456789abcdef0123,\"a b\",\"\",\" 4\",5 5,0123456789abcdef 0123456789abcdef",
        "HO,1,2,3",
        "HO, , , , ",
        "\"HO\",\"1\",\"2\",\"3\",\"x y\"",
        "KO, 1,\t2,3 ,4",
        "K\"O\",1,2",
        "RE,\"12\",x, y ,\"name\",\" 5\",,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,kana kana,37 ",
        "RE,12 3,,,n",
        "RE,\x82\x50\x82\x51,,,n",
        "RE,\xb1\xde,,,n",
        "RE,a-1,,,n",
        "RE," + digits20 + ",,,n",
        "RE," + digits1100 + ",,,n",
        "RE,0123456789,,,0123456789abcdef0123456789abcdef,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,0123456789abcdef01234",
        "RE,1,,,n,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,x y",
    };
    std::string input;
    for (const auto& line : lines)
        input += line + "\r\n";
    ASSERT_EQ(Run(input).status, RunStatus::Done);

    std::string expected;
    std::u16string prefix = u"テスト社";
    for (const auto& line : lines) {
        plok::FieldList f;
        plok::GetCommaTxt(plok::cp932::Decode(line), f);
        if (f[0] == u"IR") {
            if (plok::Trim(f[1]) == u"2")
                prefix = u"テスト国";
            f[4] = u"0123456";
            f[6] = u"ORVAクリニック";
            f[9] = u"012-345-6789";
        } else if (f[0] == u"RE") {
            f[4] = prefix + plok::StrConv(f[1], {plok::TConversion::Wide});
            if (f.size() > 36)
                f[36].clear();
        } else if (f[0] == u"HO") {
            f[1] = u"12345678";
            f[2].clear();
            f[3] = u"１２３４５";
        } else {
            f[1] = u"12345678";
            f[2] = u"1234567";
        }
        std::u16string joined = f[0];
        for (std::size_t i = 1; i < f.size(); ++i)
            joined += u"," + f[i];
        expected += plok::cp932::Encode(joined) + "\r\n";
    }
    EXPECT_EQ(ReadBytes(out / "50605_2.UKE"), expected);
}

TEST_F(ConvTest, ShortRecordsFailWithTheFirstAbsentIndexAndWriteNothing)
{
    struct Case
    {
        std::string record;
        int fields;
        int index;
    };
    const std::vector<Case> cases = {
        {"IR", 1, 1},
        {"IR", 2, 7},
        {"IR", 7, 7},
        {"IR", 8, 9},
        {"IR", 9, 9},
        {"RE", 1, 1},
        {"RE", 2, 4},
        {"RE", 4, 4},
        {"HO", 1, 1},
        {"HO", 2, 2},
        {"HO", 3, 3},
        {"KO", 1, 1},
        {"KO", 2, 2},
    };
    WriteBytes(out / "50605_1.UKE", "earlier output");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.record + " with " + std::to_string(c.fields) + " fields");
        const std::string input = "IR,1,,,,,,50605,,\r\nSY,1\r\n" + Fields(c.fields, c.record) + "\r\nSY,2\r\n";
        try {
            Run(input);
            ADD_FAILURE() << "no failure";
        } catch (const plok::ListIndexError& e) {
            EXPECT_EQ(e.index(), c.index);
            EXPECT_EQ(
                std::string(e.what()), "リストのインデックスが範囲を超えています (" + std::to_string(c.index) + ")");
        }
        EXPECT_EQ(ReadBytes(out / "50605_1.UKE"), "earlier output");
        EXPECT_EQ(FileCount(out.path()), 1u);
    }
}

TEST_F(ConvTest, MinimalRecordsNeedNoMore)
{
    const RunResult r = Run("IR,1,,,,,,50605,,\r\nRE,1,,,\r\nHO,1,2,3\r\nKO,1,2\r\n");
    ASSERT_EQ(r.status, RunStatus::Done);
    EXPECT_EQ(ReadBytes(out / "50605_1.UKE"),
        Sjis({u"IR,1,,,0123456,,ORVAクリニック,50605,,012-345-6789", u"RE,1,,,テスト社１", u"HO,12345678,,１２３４５",
            u"KO,12345678,1234567"}));
}

TEST_F(ConvTest, MissingInputWritesNothing)
{
    std::filesystem::create_directory(in / "folder");
    for (const auto& path : {in / "none.UKE", in / "folder", std::filesystem::path()}) {
        SCOPED_TRACE(path.string());
        const RunResult r = Conv(path, out.path());
        EXPECT_EQ(r.status, RunStatus::MissingFile);
        EXPECT_EQ(r.message, u"ファイルがありません。");
        EXPECT_TRUE(r.fileName.empty());
    }
    EXPECT_EQ(FileCount(out.path()), 0u);
}

TEST_F(ConvTest, BothRunsRefuseALoneCrNamingItsLineAndWriteNothing)
{
    // Read past its lone CRs, a file with CR line ends is one IR line, and a stray CR glues a receipt to the line
    // before it: the names after it would stay in the copy.
    const std::vector<std::pair<std::string, std::u16string>> cases = {
        {"IR,1,,,,,,50605,,\rRE,1,,,山田　太郎\rHO,06139999,,1\r", u"1行目"},
        {"IR,1,,,,,,50605,,\r\nSY,1,x\rRE,1,,,山田　太郎\r\n", u"2行目"},
        {"IR,1,,,,,,50605,,\r\nRE,1,,,a,,,,,,,,,1\r\nRE,2,,,b,,,,,,,,,2\r", u"3行目"},
    };
    WriteBytes(out / "50605_1.UKE", "earlier");
    WriteBytes(out / u"(50605提出_社保)RECEIPTC.uke", "earlier");
    for (const auto& [bytes, line] : cases) {
        SCOPED_TRACE(bytes);
        WriteBytes(in / "RECEIPTC.UKE", bytes);
        for (const RunResult& r : {Conv(in / "RECEIPTC.UKE", out.path()),
                 plok::claims::Conv2(in / "RECEIPTC.UKE", plok::claims::RemovalMode::Symbol, u"", u"", out.path())}) {
            EXPECT_EQ(r.status, RunStatus::LoneCr);
            EXPECT_TRUE(r.message.starts_with(line + u"に、LF の続かない CR")) << plok::ToUtf8(r.message);
            EXPECT_NE(r.message.find(u"処理しませんでした"), std::u16string::npos);
            EXPECT_TRUE(r.fileName.empty());
        }
        EXPECT_EQ(FileCount(out.path()), 2u);
        EXPECT_EQ(ReadBytes(out / "50605_1.UKE"), "earlier");
    }
}

TEST_F(ConvTest, LinkToAFileCounts)
{
    WriteBytes(in / "target.UKE", "IR,2,,,,,,50605,,\r\n");
    if (!plok::test::MakeLink(in / "target.UKE", in / "link.UKE"))
        GTEST_SKIP() << "this system makes no symbolic links (Windows without the privilege)";
    EXPECT_EQ(Conv(in / "link.UKE", out.path()).fileName, u"50605_2.UKE");
}

TEST_F(ConvTest, BillingMonthThatIsNoPlainFileNameIsRefused)
{
    for (const std::u16string month : {u"../x", u"a/b", u"..", u"a\\b", u"C:", u"a?b", u"a*"}) {
        SCOPED_TRACE(plok::ToUtf8(month));
        const RunResult r = Run(Sjis({u"IR,1,,,,,," + month + u",,"}));
        EXPECT_EQ(r.status, RunStatus::UnsafeName);
        EXPECT_NE(r.message.find(u"ファイル名に使えない"), std::u16string::npos);
        EXPECT_EQ(FileCount(out.path()), 0u);
        EXPECT_EQ(FileCount(in.path()), 1u);
    }
}

TEST_F(ConvTest, BytesOutsideTheChangedFieldsAreKeptExactly)
{
    // Invalid bytes, a user-defined character and the IBM code of a duplicate character, in a changed record
    // and in a copied one.
    const std::string odd = "\x80\xfd\xf0\x40\xfa\x4a\x85\x40";
    const RunResult r = Run("IR,1," + odd + ",,,,,50605,,\r\nSY,\"" + odd + "\"\r\nRE,1,,,," + odd + "\r\n");
    ASSERT_EQ(r.status, RunStatus::Done);
    EXPECT_EQ(ReadBytes(out / "50605_1.UKE"),
        "IR,1," + odd + ",,0123456,," + plok::cp932::Encode(u"ORVAクリニック") + ",50605,,012-345-6789\r\nSY,\"" + odd
            + "\"\r\nRE,1,,," + plok::cp932::Encode(u"テスト社１") + "," + odd + "\r\n");
}

TEST_F(ConvTest, QuotedRecordIdsAreRecognised)
{
    const RunResult r = Run("\"IR\",1,,,,,,50605,,\r\n\"SJ\",x\r\n\"CO\",y\r\n\"KO\",1,2\r\n");
    ASSERT_EQ(r.status, RunStatus::Done);
    EXPECT_EQ(ReadBytes(out / "50605_1.UKE"),
        Sjis({u"IR,1,,,0123456,,ORVAクリニック,50605,,012-345-6789", u"KO,12345678,1234567"}));
}

TEST_F(ConvTest, EarlierOutputAsInputIsReplacedByItsOwnCopy)
{
    const std::string first = "IR,1,,,,,,50605,,\r\nRE,4,,,x\r\nCO,1\r\n";
    WriteBytes(out / "50605_1.UKE", first);
    const RunResult r = Conv(out / "50605_1.UKE", out.path());
    ASSERT_EQ(r.status, RunStatus::Done);
    EXPECT_EQ(ReadBytes(out / "50605_1.UKE"),
        Sjis({u"IR,1,,,0123456,,ORVAクリニック,50605,,012-345-6789", u"RE,4,,,テスト社４"}));
    EXPECT_EQ(FileCount(out.path()), 1u);
}

TEST_F(ConvTest, UnwritableOutputFolderIsAnIoError)
{
    WriteBytes(in / "RECEIPTC.UKE", "IR,1,,,,,,50605,,\r\n");
    EXPECT_THROW(Conv(in / "RECEIPTC.UKE", out / "missing"), plok::IoError);
    EXPECT_EQ(FileCount(out.path()), 0u);
}

} // namespace
