#include "claims/Audit.h"

#include "claims/Anonymize.h"
#include "core/Cp932.h"
#include "core/Text.h"
#include "support/Sjis.h"
#include "support/TempDir.h"
#include "testsupport/ClaimGenerator.h"

#include <fstream>

#include <gtest/gtest.h>

using plok::claims::AuditAnonymised;
using plok::claims::AuditFinding;
using plok::claims::AuditKind;
using plok::claims::AuditReport;
using plok::test::Sjis;
using plok::test::TempDir;
using plok::test::WriteBytes;

namespace {

/// An RE record of 38 fields: receipt number, name and kana name as given.
std::u16string Receipt(std::u16string_view number, std::u16string_view name, std::u16string_view kana)
{
    std::u16string line = u"RE," + std::u16string(number) + u",1112,50605," + std::u16string(name);
    for (int f = 5; f <= 35; ++f)
        line += f == 13 ? u",1001" : u",";
    return line + u"," + std::u16string(kana) + u",";
}

const std::string kOriginal = Sjis({
    u"IR,1,13,1,1310001,,山田内科クリニック,50605,00,03-1111-2222",
    Receipt(u"1", u"佐藤　花子", u"ｻﾄｳ ﾊﾅｺ"),
    u"HO,06139999,あい,４５６７８,1,100",
    u"KO,12131234,7654321,,1,100",
    u"SY,8830052,20230601,,01",
    u"SJ,1,佐藤花子さんの経過",
    Receipt(u"2", u"鈴木 一郎", u"ｽｽﾞｷ ｲﾁﾛｳ"),
    u"HO,06130001,12,00012345,1,100",
    u"KO,12131235,7654322,,1,100",
    u"IY,1,620000001,1,,,,,,,,,,,,,,",
    u"CO,820100001,,佐藤様へ",
});

class AuditTest : public testing::Test
{
protected:
    void SetUp() override
    {
        WriteBytes(dir / "RECEIPTC.UKE", kOriginal);
        const plok::RunResult r = plok::claims::Conv(dir / "RECEIPTC.UKE", dir.path());
        ASSERT_TRUE(r.Done());
        clean = plok::test::ReadBytes(dir / r.fileName);
    }
    AuditReport Audit(const std::string& copy, std::vector<AuditFinding>* findings = nullptr)
    {
        WriteBytes(dir / "copy.UKE", copy);
        return AuditAnonymised(dir / "RECEIPTC.UKE", dir / "copy.UKE", [&](const AuditFinding& f) {
            if (findings)
                findings->push_back(f);
        });
    }

    TempDir dir;
    std::string clean;
};

TEST_F(AuditTest, TheRealAnonymisationLeavesNothing)
{
    const AuditReport report = Audit(clean);
    EXPECT_TRUE(report.Clean()) << plok::ToUtf8(plok::claims::CountsText(report));
}

TEST_F(AuditTest, EachPlantedIdentifierIsFoundOnceWithItsPlace)
{
    struct Case
    {
        const char* name;
        std::u16string line;
        AuditKind kind;
        std::size_t field;
    };
    const std::vector<Case> cases = {
        {"a name part in a disease name", u"SY,0000999,20230601,,01,,,佐藤の疑い", AuditKind::PatientName, 7},
        {"a whole name, half-width blank", u"SY,0000999,20230601,,鈴木 一郎", AuditKind::PatientName, 4},
        {"a kana name part", u"SY,0000999,20230601,,ﾊﾅｺ", AuditKind::PatientKanaName, 4},
        {"the institution name in a GO line", u"GO,1,2,山田内科クリニック", AuditKind::InstitutionName, 3},
        {"the telephone number in a quoted field", u"SI,1,\"TEL 03-1111-2222\"", AuditKind::Telephone, 2},
        // The planted lines belong to the second receipt, whose numbers they carry.
        {"an insurer number in a KO line of too many fields", u"KO,12345678,1234567,,1,100,,06130001",
            AuditKind::InsurerNumber, 7},
        {"a public recipient number", u"TO,1,7654322", AuditKind::PublicRecipientNumber, 2},
        {"an insured number, full-width in the copy", u"TO,１,０００１２３４５", AuditKind::InsuranceNumber, 2},
        {"the institution code", u"ZZ,1310001", AuditKind::InstitutionCode, 1},
        {"a symptom note", u"SJ,1,経過", AuditKind::SymptomNote, 0},
        {"a comment", u"CO,820100001,,x", AuditKind::Comment, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<AuditFinding> findings;
        const AuditReport report = Audit(clean + Sjis({c.line}), &findings);
        ASSERT_EQ(findings.size(), 1u);
        EXPECT_EQ(report.total, 1u);
        EXPECT_EQ(report.counts[static_cast<std::size_t>(c.kind)], 1u);
        EXPECT_EQ(findings[0].kind, c.kind);
        EXPECT_EQ(findings[0].field, c.field);
        EXPECT_EQ(findings[0].record, plok::cp932::Encode(c.line.substr(0, 2)));
        // The planted line is the copy's last.
        EXPECT_EQ(findings[0].line, static_cast<std::uint64_t>(std::count(clean.begin(), clean.end(), '\n') + 1));
    }
}

TEST_F(AuditTest, NumbersOnlyAsWholeFieldsAndNeverShortOnes)
{
    const std::vector<std::u16string> harmless = {
        // The insurance symbol "12" and the receipt numbers stand everywhere as counts and codes.
        u"SI,1,12,1,12,2",
        // A long number only inside a longer code.
        u"SI,1,061399990,1",
        u"SI,1,x06139999",
        // The first receipt's numbers in the second receipt: a month, a birth date or a code of the same digits.
        u"SI,1,06139999,７６５４３２１",
        // A text that merely starts with a value's characters.
        u"SY,0000999,20230601,,佐",
        // The anonymisation's own dummies.
        u"IR,1,13,1,0123456,,ORVAクリニック,50605,00,012-345-6789",
        u"RE,1,1112,50605,テスト社１",
    };
    for (const std::u16string& line : harmless) {
        SCOPED_TRACE(plok::ToUtf8(line));
        EXPECT_TRUE(Audit(clean + Sjis({line})).Clean());
    }
}

TEST_F(AuditTest, TheRecordOfALineIsItsFieldZeroEvenWhenShort)
{
    for (const auto& [line, record] : std::vector<std::pair<std::u16string, std::string>> {
             {u",1,山田内科クリニック", ""}, {u"R,,山田内科クリニック", "R"}, {u"\"SY\",山田内科クリニック", "SY"}}) {
        SCOPED_TRACE(plok::ToUtf8(line));
        std::vector<AuditFinding> findings;
        Audit(clean + Sjis({line}), &findings);
        ASSERT_EQ(findings.size(), 1u);
        EXPECT_EQ(findings[0].record, record);
    }
}

TEST_F(AuditTest, AMatchOutOfStepWithTheCharactersIsNone)
{
    // 0x88 0xC0 is one kanji; the kana name part ﾀﾛ would be 0xC0 0xDB, found here only across a character boundary.
    WriteBytes(dir / "kana.UKE", Sjis({Receipt(u"1", u"x", u"ﾀﾛ ﾔﾏ")}));
    WriteBytes(dir / "copy.UKE", "SI,\x88\xC0\xDB\r\n");
    EXPECT_TRUE(AuditAnonymised(dir / "kana.UKE", dir / "copy.UKE").Clean());
    WriteBytes(dir / "copy.UKE", "SI,\xC0\xDB\r\n");
    EXPECT_EQ(AuditAnonymised(dir / "kana.UKE", dir / "copy.UKE").total, 1u);
}

TEST_F(AuditTest, ReportTextsNameKindsAndPlacesButNeverValues)
{
    std::vector<AuditFinding> findings;
    const AuditReport report
        = Audit(clean + Sjis({u"SY,0000999,20230601,,佐藤の疑い", u"GO,山田内科クリニック"}), &findings);
    ASSERT_EQ(findings.size(), 2u);
    const std::u16string first = plok::claims::FindingText(findings[0]);
    EXPECT_NE(first.find(u"SY"), std::u16string::npos);
    EXPECT_NE(first.find(u"項目4"), std::u16string::npos);
    EXPECT_NE(first.find(u"患者氏名"), std::u16string::npos);
    EXPECT_EQ(first.find(u"佐藤"), std::u16string::npos);
    EXPECT_EQ(plok::claims::SummaryText(report), u"元の識別情報が残っています: 2件（医療機関名称 1件、患者氏名 1件）");
    EXPECT_EQ(plok::claims::SummaryText(Audit(clean)), u"元の識別情報は見つかりませんでした。");
}

TEST(AuditGenerated, ACleanGeneratedFileGivesNoFinding)
{
    for (const auto payer : {plok::testsupport::Payer::Social, plok::testsupport::Payer::National}) {
        TempDir dir;
        {
            std::ofstream f(dir / "RECEIPTC.UKE", std::ios::binary);
            plok::testsupport::ClaimOptions options;
            options.payer = payer;
            options.receipts = 300;
            plok::testsupport::GenerateClaims(options,
                [&](std::string_view chunk) { f.write(chunk.data(), static_cast<std::streamsize>(chunk.size())); });
        }
        const plok::RunResult r = plok::claims::Conv(dir / "RECEIPTC.UKE", dir.path());
        ASSERT_TRUE(r.Done());
        const AuditReport report = AuditAnonymised(dir / "RECEIPTC.UKE", dir / r.fileName);
        EXPECT_TRUE(report.Clean()) << plok::ToUtf8(plok::claims::CountsText(report));
        // The original against itself is full of identifiers.
        EXPECT_GT(AuditAnonymised(dir / "RECEIPTC.UKE", dir / "RECEIPTC.UKE").total, 300u);
    }
}

} // namespace
