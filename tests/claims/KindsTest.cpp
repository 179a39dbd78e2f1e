// Every kind of claims file through the runs and the audit, field by field, and what no run may take for one.
#include "claims/Anonymize.h"
#include "claims/Audit.h"
#include "claims/ClaimsFile.h"
#include "claims/ClaimsLayout.h"
#include "claims/StripBranch.h"
#include "claims/StrongAnonymize.h"
#include "core/Cp932.h"
#include "core/Errors.h"
#include "core/Text.h"
#include "support/ClaimsFixtures.h"
#include "support/CutAtCommas.h"
#include "support/TempDir.h"

#include <map>
#include <set>

#include <gtest/gtest.h>

namespace plok::claims {
namespace {

using test::FileCount;
using test::KindFixture;
using test::ReadBytes;
using test::Record;
using test::TempDir;
using test::WriteBytes;

/// Field `field` of line `line` of a fixture holds the value.
using Changes = std::map<std::pair<std::size_t, std::size_t>, std::u16string>;

/// The fixture's file with the changes made and the lines `dropped` (indices from 0) left out.
std::string Expected(const KindFixture& f, const Changes& changes, const std::set<std::size_t>& dropped = {})
{
    std::string bytes;
    for (std::size_t i = 0; i < f.lines.size(); ++i) {
        if (dropped.contains(i))
            continue;
        std::vector<std::u16string> fields = test::CutAtCommas<char16_t>(f.lines[i]);
        for (const auto& [where, value] : changes)
            if (where.first == i)
                fields.at(where.second) = value;
        std::u16string line = fields[0];
        for (std::size_t k = 1; k < fields.size(); ++k)
            line += u"," + fields[k];
        bytes += cp932::Encode(line) + "\r\n";
    }
    return f.endMark ? bytes + "\x1a" : bytes;
}

Changes Merge(Changes changes, const Changes& more)
{
    for (const auto& [where, value] : more)
        changes[where] = value;
    return changes;
}

struct KindCase
{
    KindFixture fixture;
    Changes anonymized;
    std::set<std::size_t> dropped;
    Changes strong; // besides `anonymized`
    Changes stripped;
};

class KindsTest : public testing::Test
{
protected:
    std::filesystem::path Source(const KindFixture& f)
    {
        WriteBytes(in / "in.dat", f.Bytes());
        return in / "in.dat";
    }
    std::u16string Pseudonym(std::u16string_view chart)
    {
        std::string digits;
        pseudonyms.Append(cp932::Encode(chart), digits);
        return cp932::Decode(digits);
    }
    std::vector<KindCase> Cases()
    {
        const std::u16string clinic = u"ORVAクリニック";
        const std::u16string code = u"0123456";
        const std::u16string phone = u"012-345-6789";
        const std::u16string insurer = u"12345678";
        const std::u16string insured = u"１２３４５";
        const std::u16string uncoded = u"匿名化した傷病名";
        return {
            {test::MedicalFixture(),
                {{{0, 4}, code}, {{0, 6}, clinic}, {{0, 9}, phone}, {{1, 4}, u"テスト社１"}, {{1, 36}, u""},
                    {{2, 1}, insurer}, {{2, 2}, u""}, {{2, 3}, insured}, {{3, 1}, insurer}, {{3, 2}, u"1234567"},
                    {{4, 3}, insurer}, {{4, 4}, u""}, {{4, 5}, insured}, {{4, 6}, u""}, {{5, 3}, insurer},
                    {{5, 7}, u"1234567"}, {{11, 5}, code}, {{11, 7}, clinic}, {{11, 8}, u"ORVA県ORVA市"},
                    {{11, 9}, phone}, {{13, 4}, u"テスト社２"}, {{13, 36}, u""}, {{14, 1}, insurer}, {{14, 2}, u""},
                    {{14, 3}, insured}},
                {9, 10},
                {{{1, 4}, u"テスト社"}, {{1, 6}, u"19700701"}, {{1, 13}, Pseudonym(u"12345-01")}, {{1, 18}, u""},
                    {{1, 20}, u""}, {{12, 6}, u"19851101"}, {{12, 13}, Pseudonym(u"D7788-2")}, {{13, 4}, u"テスト社"},
                    {{13, 6}, u"19920301"}, {{13, 13}, Pseudonym(u"20001-3")}, {{15, 5}, uncoded}},
                {{{1, 13}, u"12345"}, {{12, 13}, u"D7788"}, {{13, 13}, u"20001"}}},
            {test::DpcFixture(),
                {{{0, 4}, code}, {{0, 6}, clinic}, {{0, 9}, phone}, {{1, 4}, u"テスト国１"}, {{1, 28}, u""},
                    {{2, 1}, insurer}, {{2, 2}, u""}, {{2, 3}, insured}},
                {},
                {{{1, 4}, u"テスト国"}, {{1, 6}, u"19480101"}, {{1, 8}, u"20240601"}, {{1, 13}, Pseudonym(u"77001-2")},
                    {{1, 20}, u""}, {{1, 22}, u""}, {{3, 2}, u"20240601"}, {{4, 3}, uncoded}, {{5, 7}, u""}},
                {{{1, 13}, u"77001"}}},
            {test::DentalFixture(),
                {{{0, 4}, code}, {{0, 6}, clinic}, {{1, 4}, code}, {{1, 7}, phone}, {{2, 4}, u"テスト国１"},
                    {{2, 25}, u""}, {{3, 1}, insurer}, {{3, 2}, u""}, {{3, 3}, insured}, {{4, 6}, u""}, {{8, 4}, code},
                    {{8, 7}, phone}, {{9, 4}, u"テスト国２"}, {{9, 25}, u""}, {{10, 1}, insurer}, {{10, 2}, u""},
                    {{10, 3}, insured}},
                {7},
                {{{2, 4}, u"テスト国"}, {{2, 6}, u"19801201"}, {{2, 15}, Pseudonym(u"0456-1")}, {{2, 19}, u""},
                    {{2, 21}, u""}, {{5, 6}, uncoded}, {{5, 11}, u""}, {{9, 4}, u"テスト国"}, {{9, 6}, u"19751101"},
                    {{9, 15}, Pseudonym(u"0789")}},
                {{{2, 15}, u"0456"}}},
            {test::PharmacyFixture(),
                {{{0, 4}, code}, {{0, 5}, u"ORVA薬局"}, {{0, 8}, phone}, {{1, 4}, u"テスト社１"}, {{1, 11}, code},
                    {{1, 12}, clinic}, {{1, 13}, u"ORVA県ORVA市"}, {{1, 14}, u"テスト医師"}, {{1, 15}, u"テスト医師"},
                    {{1, 34}, u"12345"}, {{1, 41}, u""}, {{2, 1}, insurer}, {{2, 2}, u""}, {{2, 3}, insured},
                    {{3, 3}, insurer}, {{3, 6}, u""}},
                {7, 8},
                {{{1, 4}, u"テスト社"}, {{1, 6}, u"19900401"}, {{1, 35}, Pseudonym(u"00123-1")}, {{1, 37}, u""},
                    {{1, 39}, u""}, {{4, 4}, u"匿名化したコメント"}},
                {{{1, 35}, u"00123"}}},
        };
    }

    TempDir in;
    TempDir out;
    ChartPseudonyms pseudonyms {crypto::Key {3}};
};

TEST_F(KindsTest, EachRunChangesExactlyTheFieldsOfTheKindsLayout)
{
    for (const KindCase& c : Cases()) {
        const KindFixture& f = c.fixture;
        SCOPED_TRACE(f.kind);
        const std::filesystem::path source = Source(f);

        const RunResult anonymized = Conv(source, out.path());
        ASSERT_EQ(anonymized.status, RunStatus::Done) << ToUtf8(anonymized.message);
        EXPECT_EQ(anonymized.fileName, f.copyName);
        EXPECT_EQ(ReadBytes(out / ToPath(f.copyName)), Expected(f, c.anonymized, c.dropped));

        const RunResult strong = Conv(source, out.path(), &pseudonyms);
        ASSERT_TRUE(strong.Done());
        EXPECT_EQ(strong.fileName, f.strongName);
        EXPECT_EQ(ReadBytes(out / ToPath(f.strongName)), Expected(f, Merge(c.anonymized, c.strong), c.dropped));
        // Neither copy of a month replaces the other.
        EXPECT_EQ(ReadBytes(out / ToPath(f.copyName)), Expected(f, c.anonymized, c.dropped));
        ASSERT_TRUE(Conv(source, out.path()).Done());
        EXPECT_EQ(ReadBytes(out / ToPath(f.strongName)), Expected(f, Merge(c.anonymized, c.strong), c.dropped));

        const RunResult stripped = Conv2(source, RemovalMode::Symbol, u"", u"", out.path());
        ASSERT_EQ(stripped.status, RunStatus::Done) << ToUtf8(stripped.message);
        EXPECT_EQ(stripped.fileName, f.strippedName);
        EXPECT_EQ(ReadBytes(out / ToPath(f.strippedName)), Expected(f, c.stripped));
        // Without a mode every byte stays.
        ASSERT_TRUE(Conv2(source, RemovalMode::None, u"", u"", out.path()).Done());
        EXPECT_EQ(ReadBytes(out / ToPath(f.strippedName)), f.Bytes());
    }
}

TEST(IdentifyClaims, TheFirstRecordAndItsPayerTellTheKind)
{
    struct Case
    {
        const char* line; // nullptr: the file holds nothing
        const ClaimsLayout* layout;
        bool national;
        std::u16string_view refusal = {};
    };
    const std::vector<Case> cases = {
        {"IR,1,13,1,1312345,,x,202406,00,03", &kMedicalLayout, false},
        {"IR,2,13,1", &kMedicalLayout, true},
        {"\"IR\",\" 2 \",13", &kMedicalLayout, true},
        {"UK,2,13,3,1301234,,x,202406,,00", &kDentalLayout, true},
        {"YK,1,13,4,1357911,x,202406,00,03", &kPharmacyLayout, false},
        {nullptr, nullptr, false, u"ファイルが空"},
        {"HI,1,202407,13,1,1312345,,00", nullptr, false, u"返戻ファイル"},
        {"ID,1,\x8eR\x93\x63", nullptr, false, u"レセ電データではありません"},
        {"", nullptr, false, u"レセ電データではありません"},
        {"RE,1,1112,202406", nullptr, false, u"レセ電データではありません"},
        {"ir,1,13,1", nullptr, false, u"レセ電データではありません"},
        {" IR,1,13,1", nullptr, false, u"レセ電データではありません"},
        {"\xef\xbb\xbfIR,1,13,1", nullptr, false, u"レセ電データではありません"},
        {"IR", nullptr, false, u"審査支払機関"},
        {"IR,02,13,1", nullptr, false, u"審査支払機関"},
        {"IR,\x82\x51,13,1", nullptr, false, u"審査支払機関"},
        {"YK,3,13,4", nullptr, false, u"審査支払機関"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line ? c.line : "(nothing)");
        const ClaimsIdentity id
            = IdentifyClaims(c.line ? std::optional<std::string_view>(c.line) : std::optional<std::string_view>());
        EXPECT_EQ(id.layout, c.layout);
        EXPECT_EQ(id.national, c.national);
        if (c.layout)
            EXPECT_TRUE(id.refusal.empty());
        else
            EXPECT_NE(id.refusal.find(c.refusal), std::u16string::npos) << ToUtf8(id.refusal);
    }
}

TEST_F(KindsTest, StrongCopiesHoldNoFreeTextAndNoDayOfBirth)
{
    // Each kind's receipt of a newborn, born on 2024-06-05 and ill from that day, with comments typed beside their
    // codes. Whatever stays is checked as well: another day, an empty text, the codes.
    const std::u16string born = u"20240605";
    const std::u16string month = u"20240601";
    const std::u16string comment = u"匿名化したコメント";
    const std::u16string device = u"匿名化した器材名";
    struct Check
    {
        std::size_t line;
        std::size_t field;
        std::u16string value;
    };
    struct Case
    {
        const char* kind;
        std::vector<std::u16string> lines;
        std::vector<Check> checks;
    };
    const std::vector<Case> cases = {
        {"medical",
            {Record(u"IR", 10, {{1, u"1"}, {7, u"202406"}}),
                Record(u"RE", 38, {{1, u"1"}, {4, u"山田　花子"}, {6, born}, {13, u"501"}}),
                Record(u"SY", 8, {{1, u"8833421"}, {2, born}}),
                Record(u"SY", 8, {{1, u"8833421"}, {2, u"20240612"}, {7, u"山田様の母より"}}),
                Record(u"SI", 44,
                    {{1, u"80"}, {3, u"112007410"}, {7, u"810000001"}, {8, u"山田様　電話0312345678"},
                        {9, u"820000002"}, {11, u"830000003"}, {12, u"母へ説明"}}),
                Record(u"IY", 44, {{1, u"21"}, {3, u"620000001"}, {7, u"810000001"}, {10, u"山田花子ちゃん用"}}),
                Record(u"TO", 48,
                    {{1, u"40"}, {3, u"700000001"}, {10, u"ヤマダ特注チューブ"}, {11, u"810000001"}, {12, u"山田様"},
                        {16, u"港南病院より"}}),
                Record(u"TR", 18, {{1, u"1"}, {6, u"19851103"}, {13, u"D7788"}}),
                Record(u"SY", 8, {{1, u"8833421"}, {2, born}}), Record(u"SY", 8, {{1, u"8833421"}, {2, u"19851103"}}),
                Record(u"RE", 38, {{1, u"2"}, {4, u"山田　一郎"}, {6, u"5060605"}, {13, u"502"}}),
                Record(u"SY", 8, {{1, u"8833421"}, {2, born}}),
                // A comment beyond the line's first 64 bytes, and one in double quotes.
                Record(u"SI", 44,
                    {{1, u"80"}, {3, u"112007410"}, {4, u"12345678901"}, {5, u"99999"}, {7, u"810000001"},
                        {9, u"820000002"}, {11, u"830000003"}, {12, u"山田様へ"}}),
                u"SI,80,1,\"1\",,,,,\"山田様\",,"},
            {{2, 2, month}, {3, 2, u"20240612"}, {3, 7, u""}, {4, 7, u"810000001"}, {4, 8, comment},
                {4, 9, u"820000002"}, {4, 10, u""}, {4, 11, u"830000003"}, {4, 12, comment}, {5, 8, u""},
                {5, 10, comment}, {6, 10, device}, {6, 11, u"810000001"}, {6, 12, comment}, {6, 14, u""},
                {6, 16, comment}, {8, 2, born}, {9, 2, u"19851101"}, {11, 2, month}, {12, 12, comment},
                {13, 8, comment}, {13, 9, u""}}},
        {"dpc",
            {Record(u"IR", 10, {{1, u"2"}, {7, u"202406"}}),
                Record(u"RE", 30, {{1, u"1"}, {4, u"佐藤　花子"}, {6, born}, {8, born}, {13, u"77"}}),
                Record(u"BU", 6,
                    {{1, u"140010x199x0xx"}, {2, born}, {3, u"20240620"}, {4, u"6"}, {5, u"佐藤様：呼吸不全"}}),
                Record(u"SB", 8, {{1, u"4860004"}, {7, u"母体搬送"}}),
                Record(u"KK", 14, {{7, u"2450"}, {11, u"佐藤様の重症度"}}),
                Record(u"SK", 7, {{1, u"150000110"}, {3, u"20240606"}, {6, u"佐藤式手技"}}),
                Record(u"GT", 12, {{1, u"202406"}, {10, u"20240606"}, {11, u"佐藤様保険変更"}}),
                Record(u"CD", 11, {{1, u"20240606"}, {5, u"700000001"}, {10, u"佐藤様特注器材"}}),
                Record(u"SY", 8, {{1, u"8833421"}, {2, born}})},
            {{1, 8, month}, {2, 2, month}, {2, 3, month}, {2, 5, comment}, {3, 7, u""}, {4, 11, comment},
                {5, 6, comment}, {6, 11, comment}, {7, 10, device}, {8, 2, month}}},
        {"dental",
            {Record(u"UK", 10, {{1, u"2"}, {3, u"3"}, {7, u"202406"}}), Record(u"IR", 9, {{1, u"2"}, {6, u"202406"}}),
                Record(u"RE", 27, {{1, u"1"}, {4, u"高橋　花子"}, {6, born}, {9, born}, {15, u"0456"}}),
                Record(u"HS", 13, {{1, born}, {4, u"5220001"}, {10, u"810000001"}}),
                Record(u"HS", 13, {{1, u"20240606"}, {4, u"5220001"}}),
                Record(u"TO", 45, {{3, u"700000001"}, {11, u"高橋様用マウスピース"}})},
            {{2, 9, month}, {3, 1, month}, {3, 10, u"810000001"}, {4, 1, u"20240606"}, {5, 11, device}}},
        {"pharmacy",
            {Record(u"YK", 9, {{1, u"1"}, {3, u"4"}, {6, u"202406"}}),
                Record(u"RE", 42, {{1, u"1"}, {4, u"中村　花子"}, {6, born}, {35, u"00123"}}),
                Record(u"SH", 10, {{1, u"1"}, {2, u"1"}, {4, u"中村様、母乳の後に"}}),
                Record(u"SH", 10, {{1, u"2"}, {2, u"1"}}),
                Record(u"TO", 7, {{2, u"700000001"}, {6, u"中村様用吸入器"}})},
            {{2, 4, comment}, {3, 4, u""}, {4, 6, device}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        std::string bytes;
        for (const std::u16string& line : c.lines)
            bytes += cp932::Encode(line) + "\r\n";
        WriteBytes(in / "in.dat", bytes);
        const RunResult r = Conv(in / "in.dat", out.path(), &pseudonyms);
        ASSERT_TRUE(r.Done()) << ToUtf8(r.message);
        const std::string copy = ReadBytes(out / ToPath(r.fileName));
        std::vector<std::vector<std::u16string>> lines;
        for (std::size_t at = 0, end; (end = copy.find("\r\n", at)) != std::string::npos; at = end + 2)
            lines.push_back(test::CutAtCommas<char16_t>(cp932::Decode(copy.substr(at, end - at))));
        ASSERT_EQ(lines.size(), c.lines.size());
        for (const Check& check : c.checks)
            EXPECT_EQ(lines[check.line].at(check.field), check.value)
                << "line " << check.line << " field " << check.field;
        for (const std::u16string_view text : {u"山田様", u"0312345678", u"花子ちゃん", u"ヤマダ", u"港南", u"佐藤様",
                 u"佐藤式", u"母体", u"高橋様", u"中村様"})
            EXPECT_EQ(copy.find(cp932::Encode(text)), std::string::npos) << ToUtf8(text);
    }
}

/// Lines of a medical file: the header, then `lines`.
std::string MedicalFile(std::initializer_list<std::u16string> lines)
{
    std::string bytes = cp932::Encode(u"IR,1,13,1,1312345,,青空内科,202406,00,03-3123-4567") + "\r\n";
    for (const std::u16string& line : lines)
        bytes += cp932::Encode(line) + "\r\n";
    return bytes;
}

TEST_F(KindsTest, RecordsThatFitNoLayoutOfTheKindAreRefusedByEveryRunAndTheAudit)
{
    const std::u16string medical = Record(u"RE", 38, {{1, u"1"}, {4, u"山田　太郎"}, {13, u"1-1"}});
    const std::u16string dpc = Record(u"RE", 30, {{1, u"2"}, {4, u"佐藤　一郎"}, {13, u"2-1"}});
    const std::u16string shortReceipt = Record(u"RE", 25, {{1, u"3"}, {4, u"鈴木　花子"}, {13, u"3-1"}});
    // Lines after a file's 0x1A are never read: these files go on where their records end.
    KindFixture dentalFile = test::DentalFixture();
    dentalFile.endMark = false;
    const std::string dental = dentalFile.Bytes();
    const std::string pharmacy = test::PharmacyFixture().Bytes();
    struct Case
    {
        const char* name;
        std::string bytes;
        std::u16string says;
    };
    const std::vector<Case> cases = {
        {"a medical receipt longer than the medical layout", MedicalFile({medical, Record(u"RE", 39, {{1, u"2"}})}),
            u"3行目のレセプト共通レコード（RE）の項目が 39 個あり、医科のレセ電データの様式（38 個）より多い"},
        {"a dental receipt longer than the dental layout",
            dental + cp932::Encode(Record(u"RE", 28, {{1, u"3"}})) + "\r\n", u"歯科のレセ電データの様式（27 個）"},
        {"a pharmacy receipt longer than the pharmacy layout",
            pharmacy + cp932::Encode(Record(u"RE", 43, {{1, u"2"}})) + "\r\n", u"調剤のレセ電データの様式（42 個）"},
        {"a medical receipt, then a DPC one", MedicalFile({medical, dpc}), u"3行目から DPC"},
        {"a DPC receipt, then a medical one", MedicalFile({dpc, medical}), u"医科と DPC のレセプトが混ざっている"},
        {"a receipt read as a medical one, then a DPC record",
            MedicalFile({shortReceipt, Record(u"BU", 6, {{1, u"040080xx99x0xx"}})}), u"3行目から DPC"},
        {"the header of a pharmacy file in a medical one", MedicalFile({medical, u"YK,1,13,4,1357911,x,202406,00,03"}),
            u"3行目に、別のファイルの先頭のレコード（YK）"},
        {"a returned-claims header in a dental file", dental + "HI,2,202407,13,3,1301234,,00\r\n",
            u"別のファイルの先頭のレコード（HI）"},
        {"a medical header in a pharmacy file", pharmacy + "IR,1,13,1,1312345,,x,202406,00,03\r\n",
            u"別のファイルの先頭のレコード（IR）"},
    };
    WriteBytes(out / "202406_1.UKE", "earlier");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(in / "in.dat", c.bytes);
        for (const RunResult& r : {Conv(in / "in.dat", out.path()), Conv(in / "in.dat", out.path(), &pseudonyms),
                 Conv2(in / "in.dat", RemovalMode::Symbol, u"", u"", out.path())}) {
            EXPECT_EQ(r.status, RunStatus::NotClaimsFile);
            EXPECT_NE(r.message.find(c.says), std::u16string::npos) << ToUtf8(r.message);
            EXPECT_NE(r.message.find(u"処理しませんでした"), std::u16string::npos);
        }
        EXPECT_EQ(FileCount(out.path()), 1u);
        EXPECT_EQ(ReadBytes(out / "202406_1.UKE"), "earlier");
        try {
            AuditAnonymised(in / "in.dat", out / "202406_1.UKE");
            ADD_FAILURE() << "audited";
        } catch (const FileError& e) {
            EXPECT_NE(FromUtf8(e.what()).find(c.says), std::u16string::npos) << e.what();
        }
    }
}

TEST_F(KindsTest, DpcIsToldByItsReceiptsOrItsRecordsAndShortReceiptsFollowTheFile)
{
    struct Case
    {
        const char* name;
        std::string bytes;
        std::u16string stripped;
        std::u16string kana; // a kana name, which the copy holds no more
    };
    const std::u16string shortReceipt = Record(u"RE", 14, {{1, u"1"}, {4, u"鈴木　花子"}, {13, u"3-1"}});
    const std::u16string dpc = Record(u"RE", 30, {{1, u"2"}, {4, u"佐藤　一郎"}, {13, u"2-1"}, {28, u"サトウ"}});
    const std::u16string dpcShort = Record(u"RE", 29, {{1, u"3"}, {13, u"4-1"}, {28, u"タナカ"}});
    const std::u16string medicalShort = Record(u"RE", 37, {{1, u"4"}, {13, u"5-1"}, {36, u"スズキ"}});
    const std::vector<Case> cases = {
        {"by a record of its own", MedicalFile({shortReceipt, u"BU,040080xx99x0xx,20240603,,,", dpc}),
            u"(202406提出_社保)RECEIPTD.uke", u"サトウ"},
        {"by its receipts, a shorter one after them", MedicalFile({dpc, dpcShort}), u"(202406提出_社保)RECEIPTD.uke",
            u"タナカ"},
        {"medical, receipts shorter than the format's", MedicalFile({shortReceipt, medicalShort}),
            u"(202406提出_社保)RECEIPTC.uke", u"スズキ"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(in / "in.dat", c.bytes);
        const RunResult stripped = Conv2(in / "in.dat", RemovalMode::Symbol, u"", u"", out.path());
        ASSERT_TRUE(stripped.Done()) << ToUtf8(stripped.message);
        EXPECT_EQ(stripped.fileName, c.stripped);
        ASSERT_TRUE(Conv(in / "in.dat", out.path()).Done());
        // The kana name the layout names is emptied; the file's bytes hold it before.
        EXPECT_NE(c.bytes.find(cp932::Encode(c.kana)), std::string::npos);
        EXPECT_EQ(ReadBytes(out / "202406_1.UKE").find(cp932::Encode(c.kana)), std::string::npos);
    }
}

TEST_F(KindsTest, TheAuditReadsEachKindsOwnFields)
{
    struct Case
    {
        KindFixture fixture;
        std::u16string planted; // a line added to the copy
        AuditKind kind;
        std::size_t field;
    };
    const std::vector<Case> cases = {
        {test::MedicalFixture(), Record(u"SY", 8, {{1, u"0000999"}, {5, u"港南総合病院より紹介"}}),
            AuditKind::InstitutionName, 5},
        {test::MedicalFixture(), Record(u"SI", 44, {{1, u"12"}, {8, u"03(5555)1234"}}), AuditKind::Telephone, 8},
        {test::DpcFixture(), Record(u"SB", 8, {{1, u"0000999"}, {3, u"サトウイチロウさん"}}),
            AuditKind::PatientKanaName, 3},
        {test::DentalFixture(), Record(u"HS", 13, {{4, u"0000999"}, {6, u"しらかば歯科で処置"}}),
            AuditKind::InstitutionName, 6},
        {test::DentalFixture(), Record(u"HS", 13, {{4, u"0000999"}, {6, u"タカハシジロウ"}}),
            AuditKind::PatientKanaName, 6},
        {test::PharmacyFixture(), Record(u"SH", 10, {{1, u"1"}, {4, u"青空一郎先生の指示"}}), AuditKind::DoctorName, 4},
        {test::PharmacyFixture(), Record(u"SH", 10, {{1, u"1"}, {4, u"東京都新宿区西新宿２－８－１へ配達"}}),
            AuditKind::InstitutionAddress, 4},
        {test::PharmacyFixture(), Record(u"TK", 3, {{2, u"x"}}), AuditKind::Comment, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.fixture.kind) + " " + ToUtf8(c.planted));
        const std::filesystem::path source = Source(c.fixture);
        const RunResult r = Conv(source, out.path());
        ASSERT_TRUE(r.Done());
        const std::filesystem::path copy = out / ToPath(r.fileName);
        EXPECT_TRUE(AuditAnonymised(source, copy).Clean());
        // The planted line goes where the copy's lines end, before its end mark.
        std::string bytes = ReadBytes(copy);
        if (c.fixture.endMark)
            bytes.pop_back();
        WriteBytes(copy, bytes + cp932::Encode(c.planted) + "\r\n");
        std::vector<AuditFinding> findings;
        AuditAnonymised(source, copy, [&](const AuditFinding& f) { findings.push_back(f); });
        ASSERT_EQ(findings.size(), 1u);
        EXPECT_EQ(findings[0].kind, c.kind);
        EXPECT_EQ(findings[0].field, c.field);
    }
}

TEST_F(KindsTest, TheStrongAuditComparesTheOrganDonorsOwnFieldsWithTheDonorsValues)
{
    const KindFixture f = test::MedicalFixture();
    const std::filesystem::path source = Source(f);
    const RunResult strong = Conv(source, out.path(), &pseudonyms);
    ASSERT_TRUE(strong.Done());
    const std::filesystem::path copy = out / ToPath(strong.fileName);
    EXPECT_TRUE(AuditAnonymised(source, copy, {}, AnonymizeMode::Strong).Clean());
    const std::string clean = ReadBytes(copy);
    struct Case
    {
        std::string from;
        std::string to;
        AuditKind kind;
        std::size_t field;
    };
    const std::string donor = cp932::Encode(f.lines[12]);
    const std::vector<Case> cases = {
        // The donor's own chart number and birth date left in the donor's record.
        {cp932::Encode(Pseudonym(u"D7788-2")), "D7788-2", AuditKind::ChartNumber, 13},
        {"19851101", "19851103", AuditKind::BirthDate, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.to);
        std::string bytes = clean;
        const std::size_t at = bytes.find(c.from, bytes.find("\r\nTR,"));
        ASSERT_NE(at, std::string::npos);
        bytes.replace(at, c.from.size(), c.to);
        WriteBytes(copy, bytes);
        std::vector<AuditFinding> findings;
        AuditAnonymised(
            source, copy, [&](const AuditFinding& finding) { findings.push_back(finding); }, AnonymizeMode::Strong);
        ASSERT_EQ(findings.size(), 1u);
        EXPECT_EQ(findings[0].record, "TR");
        EXPECT_EQ(findings[0].kind, c.kind);
        EXPECT_EQ(findings[0].field, c.field);
    }
}

TEST(ClaimsLayouts, EveryFieldTheRunsTouchLiesInsideItsKindsReceiptAndMedicalAndDpcReadTheSharedFieldsAlike)
{
    for (const ClaimsLayout* layout : kLayouts) {
        SCOPED_TRACE(ToUtf8(layout->name));
        const auto inside = [&](std::string_view record, std::size_t field) {
            if (record == layout->receipt) {
                EXPECT_LT(field, layout->receiptFields) << record << " " << field;
            }
        };
        for (const ReplacedField& f : layout->replaced)
            inside(f.record, f.field);
        for (const StrongField& f : layout->strong)
            inside(f.record, f.field);
        for (const ChartField& f : layout->chartNumbers)
            inside(f.record, f.field);
        for (const FieldRef& f : layout->freeText)
            inside(f.record, f.field);
        // The strong audit looks for a strong copy's originals where the tables name free text and dates.
        const auto listed = [](std::span<const FieldRef> fields, const StrongField& f) {
            return std::any_of(fields.begin(), fields.end(),
                [&](const FieldRef& r) { return r.record == f.record && r.field == f.field; });
        };
        for (const StrongField& f : layout->strong) {
            if (f.fill == StrongFill::FreeText) {
                EXPECT_TRUE(listed(layout->freeText, f)) << f.record << " " << f.field;
            }
            if (f.fill == StrongFill::MonthOfDate || f.fill == StrongFill::MonthOfBirthDay) {
                EXPECT_TRUE(listed(layout->dates, f)) << f.record << " " << f.field;
            }
        }
        EXPECT_TRUE(std::any_of(layout->chartNumbers.begin(), layout->chartNumbers.end(),
            [&](const ChartField& f) { return f.record == layout->receipt && f.need == Need::Always; }));
        // The audit keeps a record's fields of its own numbers as bits below 64, and those from a field on.
        for (const FieldRef& date : layout->dates) {
            if (date.field < 64)
                continue;
            EXPECT_TRUE(std::any_of(layout->structure.begin(), layout->structure.end(),
                [&](const StructureFields& s) { return s.record == date.record && s.from <= date.field; }))
                << date.record << " " << date.field;
        }
    }
    // Below kSharedReceiptFields a receipt record is read alike by both: a short one decides nothing.
    const auto receiptFields = [](const ClaimsLayout& layout) {
        std::set<std::pair<std::size_t, std::u16string>> fields;
        for (const ReplacedField& f : layout.replaced)
            if (f.record == "RE" && f.field < LayoutTracker::kSharedReceiptFields)
                fields.emplace(f.field, f.dummy);
        for (const StrongField& f : layout.strong)
            if (f.record == "RE" && f.field < LayoutTracker::kSharedReceiptFields)
                fields.emplace(f.field, u"strong");
        return fields;
    };
    EXPECT_EQ(receiptFields(kMedicalLayout), receiptFields(kDpcLayout));
    EXPECT_FALSE(receiptFields(kMedicalLayout).empty());
}

} // namespace
} // namespace plok::claims
