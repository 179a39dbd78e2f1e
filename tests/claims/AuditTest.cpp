#include "claims/Audit.h"

#include "claims/Anonymize.h"
#include "claims/AuditedRun.h"
#include "claims/StrongAnonymize.h"
#include "core/Cp932.h"
#include "core/Text.h"
#include "support/RawLines.h"
#include "support/Sjis.h"
#include "support/TempDir.h"
#include "testsupport/ClaimGenerator.h"

#include <fstream>
#include <set>
#include <span>
#include <tuple>

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

// Four receipts. The second's insured number equals its month, the third's its receipt number; the fourth's HO
// stands before its RE. Two kana name parts, full-width as some receipts carry them, are also pieces of disease
// names. A second IR stands between the second receipt and the third.
const std::string kOriginal = Sjis({
    u"IR,1,13,1,1310001,,医療法人社団　山田内科クリニック,50605,00,03-1234-5678",
    Receipt(u"1", u"林　健", u"ﾊﾔｼ ｹﾝ"),
    u"HO,06139999,あい,01130012,1,100",
    u"SY,8830052,5060501,1,,,01",
    u"SJ,1,林さんの経過",
    Receipt(u"2", u"髙橋　一郎", u"ﾀｶﾊｼ ｲﾁﾛｳ"),
    u"HO,06130001,12,50605,1,100",
    u"KO,12131234,7654321,,1,100",
    u"IY,1,620000001,1,,,,,,,,,,,,,,",
    u"CO,820100001,,林様へ",
    u"IR,1,13,1,1310002,,医療法人社団　山田内科クリニック,50605,00,03-1234-5678",
    Receipt(u"12345", u"サトウ　リン", u"ｻﾄｳ ﾘﾝ"),
    u"HO,06130002,,12345,1,100",
    u"SY,0000999,5060501,1,,頚部リンパ節炎,,",
    u"HO,06130003,,77777,1,100",
    Receipt(u"4", u"佐藤　舞", u"サトウ　マイ"),
    u"KO,12139999,7654329,,1,100",
    u"SY,0000999,5060501,1,,マイコプラズマ肺炎,,",
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
    std::uint64_t CleanLines() const
    {
        return static_cast<std::uint64_t>(std::count(clean.begin(), clean.end(), '\n'));
    }

    TempDir dir;
    std::string clean;
};

TEST_F(AuditTest, TheRealAnonymisationLeavesNothing)
{
    // Among its lines: a receipt number and a month equal to their receipt's insured number, and disease names
    // holding kana name parts (リン in リンパ, マイ in マイコプラズマ).
    const AuditReport report = Audit(clean);
    EXPECT_TRUE(report.Clean()) << plok::ToUtf8(plok::claims::CountsText(report));
}

TEST_F(AuditTest, EachPlantedIdentifierIsFoundOnceWithItsPlace)
{
    struct Case
    {
        const char* name;
        std::string line; // code page 932
        AuditKind kind;
        std::size_t field;
    };
    const auto sjis = [](std::u16string_view s) { return plok::cp932::Encode(s); };
    const std::vector<Case> cases = {
        {"a name part in a disease name", sjis(u"SY,0000999,5060501,1,,髙橋の疑い"), AuditKind::PatientName, 5},
        {"a whole name, half-width blank", sjis(u"SY,0000999,5060501,1,,佐藤 舞"), AuditKind::PatientName, 5},
        {"a name of one-character parts without blank", sjis(u"SY,0000999,5060501,1,,林健様の経過"),
            AuditKind::PatientName, 5},
        {"a name of one-character parts with a blank", sjis(u"SY,0000999,5060501,1,,林 健"), AuditKind::PatientName, 5},
        {"a name with a nakaguro", sjis(u"SY,0000999,5060501,1,,林・健"), AuditKind::PatientName, 5},
        {"a kanji written with its other code", "SY,0000999,5060501,1,,\xEE\xE0" + sjis(u"橋様"),
            AuditKind::PatientName, 5},
        {"a kana name part", sjis(u"SY,0000999,5060501,1,,ﾊﾔｼ"), AuditKind::PatientKanaName, 5},
        {"the kana name in full-width katakana", sjis(u"SY,0000999,5060501,1,,ハヤシケン様"),
            AuditKind::PatientKanaName, 5},
        {"the kana name in hiragana", sjis(u"SY,0000999,5060501,1,,はやし　けんさん"), AuditKind::PatientKanaName, 5},
        {"a kana name part before さん", sjis(u"SY,0000999,5060501,1,,いちろうさん"), AuditKind::PatientKanaName, 5},
        {"the institution name without its legal words", sjis(u"GO,1,2,山田内科クリニックより"),
            AuditKind::InstitutionName, 3},
        {"the institution name's distinctive part", sjis(u"SY,0000999,5060501,1,,山田内科へ紹介"),
            AuditKind::InstitutionName, 5},
        {"the telephone number's digits", sjis(u"SI,1,\"TEL 0312345678\""), AuditKind::Telephone, 2},
        {"the telephone number with brackets", sjis(u"SI,1,03(1234)5678"), AuditKind::Telephone, 2},
        {"the telephone number in full-width", sjis(u"SI,1,０３－１２３４－５６７８"), AuditKind::Telephone, 2},
        {"the telephone number with blanks", sjis(u"SI,1,03 1234 5678"), AuditKind::Telephone, 2},
        // The planted lines stand in the fourth receipt.
        {"a number with a blank around it", sjis(u"TO,1, 7654329"), AuditKind::PublicRecipientNumber, 2},
        {"a number in full-width digits", sjis(u"TO,１,７６５４３２９"), AuditKind::PublicRecipientNumber, 2},
        {"the number of an HO before its own RE", sjis(u"TO,1,77777"), AuditKind::InsuranceNumber, 2},
        {"an eight-digit number of another receipt", sjis(u"TO,1,01130012"), AuditKind::InsuranceNumber, 2},
        {"an eight-digit payer number of another receipt", sjis(u"TO,1,12131234"), AuditKind::PublicPayerNumber, 2},
        {"an insurer number in a KO line of too many fields", sjis(u"KO,12345678,1234567,,1,100,,06130001"),
            AuditKind::InsurerNumber, 7},
        {"the institution code", sjis(u"ZZ,1310001"), AuditKind::InstitutionCode, 1},
        {"the second IR record's institution code", sjis(u"ZZ,1310002"), AuditKind::InstitutionCode, 1},
        {"a symptom note", sjis(u"SJ,1,経過"), AuditKind::SymptomNote, 0},
        {"a comment", sjis(u"CO,820100001,,x"), AuditKind::Comment, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<AuditFinding> findings;
        const AuditReport report = Audit(clean + c.line + "\r\n", &findings);
        ASSERT_EQ(findings.size(), 1u);
        EXPECT_EQ(report.total, 1u);
        EXPECT_EQ(report.counts[static_cast<std::size_t>(c.kind)], 1u);
        EXPECT_EQ(findings[0].kind, c.kind);
        EXPECT_EQ(findings[0].field, c.field);
        EXPECT_EQ(findings[0].record, c.line.substr(0, 2));
        EXPECT_EQ(findings[0].copyLine, CleanLines() + 1);
    }
}

TEST_F(AuditTest, ValuesThatCannotCarryTheIdentifierStayQuiet)
{
    const std::vector<std::u16string> harmless = {
        // The insurance symbol "12" and the receipt numbers stand everywhere as counts and codes.
        u"SI,1,12,1,12,2",
        u"TO,1,1234",
        // A long number only inside a longer code, or with more digits around it.
        u"SI,1,061399990,1",
        u"SI,1,x06139999",
        u"SI,1,903-1234-5678",
        u"SI,1,03-1234-56789",
        // A receipt's numbers where the format puts its own: the month of the next receipt, its admission date (field
        // 8), the points of an HO.
        u"RE,5,1112,7654329",
        u"RE,5,1112,50605,x,1,3450401,,7654329",
        u"HO,12345678,,１２３４５,1,77777",
        // A kana name part inside a longer kana word, in either kind of kana.
        u"SY,0000999,5060501,1,,右頚部リンパ節炎",
        u"SY,0000999,5060501,1,,りんぱ",
        u"SY,0000999,5060501,1,,ﾏｲｺﾌﾟﾗｽﾞﾏ",
        // A text that merely starts with a value's characters, and a part of one character alone.
        u"SY,0000999,5060501,1,,佐",
        u"SY,0000999,5060501,1,,林",
        // The anonymisation's own dummies.
        u"IR,1,13,1,0123456,,ORVAクリニック,50605,00,012-345-6789",
        u"RE,1,1112,50605,テスト社１",
        u"SI,1,0123456789",
    };
    for (const std::u16string& line : harmless) {
        SCOPED_TRACE(plok::ToUtf8(line));
        const AuditReport report = Audit(clean + Sjis({line}));
        EXPECT_TRUE(report.Clean()) << plok::ToUtf8(plok::claims::CountsText(report));
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
    WriteBytes(dir / "kana.UKE", Sjis({u"IR,1,13,1,1310001,,x,50605,00,03", Receipt(u"1", u"x", u"ﾀﾛ ﾔﾏ")}));
    WriteBytes(dir / "copy.UKE", "SI,\x88\xC0\xDB\r\n");
    EXPECT_TRUE(AuditAnonymised(dir / "kana.UKE", dir / "copy.UKE").Clean());
    WriteBytes(dir / "copy.UKE", "SI,\xC0\xDB\r\n");
    EXPECT_EQ(AuditAnonymised(dir / "kana.UKE", dir / "copy.UKE").total, 1u);
}

TEST_F(AuditTest, ALongLineIsSearchedOnceAndReportsEachKindOncePerField)
{
    // 400 KB of the same name: every occurrence is a match, and the line is still read only once.
    std::u16string text;
    while (text.size() < 200000)
        text += u"佐藤舞様、林健様、";
    std::vector<AuditFinding> findings;
    Audit(clean + Sjis({u"SY,0000999,5060501,1,," + text + u",," + text}), &findings);
    ASSERT_EQ(findings.size(), 2u);
    EXPECT_EQ(findings[0].field, 5u);
    EXPECT_EQ(findings[1].field, 7u);
    EXPECT_EQ(findings[1].kind, AuditKind::PatientName);
}

TEST_F(AuditTest, AFileThatCannotBeReadIsNamed)
{
    WriteBytes(dir / "copy.UKE", clean);
    WriteBytes(dir / "cr.UKE", "IR,1,13,1,1310001,,x,50605,00,03\r\nSY,1,,\rRE,2,1112,50605,a b\r\n");
    const auto thrownFor = [&](const std::filesystem::path& original, const std::filesystem::path& copy) {
        try {
            AuditAnonymised(original, copy);
        } catch (const plok::FileError& e) {
            return std::make_pair(e.file(), std::string(e.what()));
        }
        return std::make_pair(std::filesystem::path(), std::string());
    };
    EXPECT_EQ(thrownFor(dir / "none.UKE", dir / "copy.UKE"),
        std::make_pair(dir / "none.UKE", std::string("ファイルがありません。")));
    EXPECT_EQ(thrownFor(dir / "RECEIPTC.UKE", dir / "none.UKE").first, dir / "none.UKE");
    EXPECT_EQ(thrownFor(dir / "RECEIPTC.UKE", dir.path()).first, dir.path());
    // A lone CR in either file: what stands around it cannot be told apart.
    for (const auto& [original, copy, named] : {std::tuple {dir / "cr.UKE", dir / "copy.UKE", dir / "cr.UKE"},
             std::tuple {dir / "RECEIPTC.UKE", dir / "cr.UKE", dir / "cr.UKE"}}) {
        const auto [file, message] = thrownFor(original, copy);
        EXPECT_EQ(file, named);
        EXPECT_TRUE(message.starts_with("2行目に、LF の続かない CR")) << message;
    }
}

TEST_F(AuditTest, ReportTextsNameKindsAndPlacesButNeverValues)
{
    std::vector<AuditFinding> findings;
    const AuditReport report
        = Audit(clean + Sjis({u"SY,0000999,5060501,1,,髙橋の疑い", u"GO,山田内科クリニック"}), &findings);
    ASSERT_EQ(findings.size(), 2u);
    const std::u16string first = plok::claims::FindingText(findings[0]);
    // The line past the copy's last is the one past the original's last: the copy has no SJ and CO lines.
    EXPECT_EQ(first, plok::FromUtf8(std::to_string(CleanLines() + 3)) + u"行目 SY 項目5: 患者氏名");
    EXPECT_EQ(plok::claims::SummaryText(report), u"元の識別情報が残っています: 2件（医療機関名称 1件、患者氏名 1件）");
    EXPECT_EQ(plok::claims::SummaryText(Audit(clean)), u"元の識別情報は見つかりませんでした。");
}

TEST_F(AuditTest, TheWarningSaysWhichFileWasKeptBackWhereAndWhatToDo)
{
    std::vector<std::u16string> lines;
    for (int i = 0; i < 12; ++i)
        lines.push_back(u"SY,0000999,5060501,1,,林健様");
    lines.push_back(u"SI,1,03-1234-5678");
    const AuditReport report = Audit(clean + Sjis(lines));
    ASSERT_EQ(report.total, 13u);
    ASSERT_EQ(report.first.size(), plok::claims::kKeptFindings);
    EXPECT_EQ(report.first[0].copyLine, CleanLines() + 1);

    const std::u16string text = plok::claims::AuditWarningText(report, u"50605_1.UKE");
    EXPECT_TRUE(text.starts_with(u"匿名化ファイル「50605_1.UKE」")) << plok::ToUtf8(text);
    EXPECT_NE(text.find(u"作らずに止めました"), std::u16string::npos);
    for (const AuditFinding& f : report.first)
        EXPECT_NE(text.find(plok::claims::FindingText(f)), std::u16string::npos);
    EXPECT_NE(text.find(u"ほか3件"), std::u16string::npos);
    EXPECT_NE(text.find(u"電話番号 1件、患者氏名 12件"), std::u16string::npos);
    EXPECT_EQ(text.find(u"林"), std::u16string::npos);
    // The place is one the person can open, the fix is made where the file comes from, and a clean audit is no proof
    // of everything.
    EXPECT_NE(text.find(u"元のレセ電データの行"), std::u16string::npos) << plok::ToUtf8(text);
    EXPECT_NE(text.find(u"レセコン"), std::u16string::npos);
    EXPECT_NE(text.find(u"出力し直して"), std::u16string::npos);
    EXPECT_EQ(text.find(u"消してから"), std::u16string::npos);
    EXPECT_NE(text.find(u"ローマ字"), std::u16string::npos);
}

TEST_F(AuditTest, AFindingNamesTheLineOfTheOriginal)
{
    // The copy has no SJ and CO lines: its twelfth line is the original's fourteenth.
    std::vector<std::string> lines = plok::test::RawLines(dir / "50605_1.UKE");
    const auto at = std::find_if(lines.begin(), lines.end(),
        [](const std::string& l) { return l.find(plok::cp932::Encode(u"頚部リンパ節炎")) != std::string::npos; });
    ASSERT_NE(at, lines.end());
    ASSERT_EQ(at - lines.begin(), 11);
    *at = plok::cp932::Encode(u"SY,0000999,5060501,1,,林健様");
    std::string copy;
    for (const std::string& l : lines)
        copy += l + "\r\n";
    std::vector<AuditFinding> findings;
    Audit(copy, &findings);
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].line, 14u);
}

// ---------------------------------------------------------------------------------------------------------------------
// Spellings a reader takes for the same name, and values the format puts where they stand.

/// An RE record of 38 fields with the chart number as given.
std::u16string ReceiptWithChart(
    std::u16string_view number, std::u16string_view name, std::u16string_view kana, std::u16string_view chart)
{
    std::u16string line = u"RE," + std::u16string(number) + u",1112,50605," + std::u16string(name);
    for (int f = 5; f <= 35; ++f)
        line += f == 13 ? u"," + std::u16string(chart) : u",";
    return line + u"," + std::u16string(kana) + u",";
}

// Names in old kanji forms, with iteration marks and small kana, one stored without its blanks, one in romaji; kana
// given names and surnames that stand inside disease words. The first receipt's chart number with its branch folds to
// the eight digits of the second receipt's insurer number.
const std::string kSpellingOriginal = Sjis({
    u"IR,1,13,1,1310001,,医療法人社団　桜丘内科クリニック,50605,00,03-1234-5678",
    ReceiptWithChart(u"1", u"渡邊　進", u"ﾜﾀﾅﾍﾞ ｽｽﾑ", u"746343-11"),
    u"HO,06139999,,01130012,1,100",
    ReceiptWithChart(u"2", u"齋藤　茂", u"ｻｲﾄｳ ｼｹﾞﾙ", u"1002"),
    u"HO,74634311,,22222,1,100",
    ReceiptWithChart(u"3", u"澤田　肇", u"ｻﾜﾀﾞ ﾊｼﾞﾒ", u"1003"),
    ReceiptWithChart(u"4", u"櫻井　翔子", u"ｻｸﾗｲ ｼｮｳｺ", u"1004"),
    ReceiptWithChart(u"5", u"山﨑　花", u"ﾔﾏｻﾞｷ ﾊﾅ", u"1005"),
    ReceiptWithChart(u"6", u"髙野　学", u"ﾀｶﾉ ﾏﾅﾌﾞ", u"1006"),
    ReceiptWithChart(u"7", u"佐々木　実", u"ｻｻｷ ﾐﾉﾙ", u"1007"),
    ReceiptWithChart(u"8", u"三ヶ島　章", u"ﾐｶｼﾏ ｱｷﾗ", u"1008"),
    ReceiptWithChart(u"9", u"吉川　翔太", u"ｷｯｶﾜ ｼｮｳﾀ", u"1009"),
    ReceiptWithChart(u"10", u"山田太郎", u"ﾔﾏﾀﾞ ﾀﾛｳ", u"1010"),
    ReceiptWithChart(u"11", u"ＳＭＩＴＨ　ＪＯＨＮ", u"ｽﾐｽ ｼﾞｮﾝ", u"1011"),
    ReceiptWithChart(u"12", u"林　健", u"ﾊﾔｼ ｹﾝ", u"1012"),
    ReceiptWithChart(u"13", u"宮本　聡", u"ﾐﾔﾓﾄ ｿｳ", u"1013"),
    ReceiptWithChart(u"14", u"森　凛", u"ﾓﾘ ﾘﾝ", u"1014"),
    ReceiptWithChart(u"15", u"大野　研", u"ｵｵﾉ ｹﾝ", u"1015"),
    ReceiptWithChart(u"16", u"橋本　花子", u"ﾊｼﾓﾄ ﾊﾅｺ", u"1016"),
    ReceiptWithChart(u"17", u"川崎　一郎", u"ｶﾜｻｷ ｲﾁﾛｳ", u"1017"),
});

class AuditSpellingTest : public testing::Test
{
protected:
    void SetUp() override
    {
        WriteBytes(dir / "RECEIPTC.UKE", kSpellingOriginal);
        const plok::RunResult r = plok::claims::Conv(dir / "RECEIPTC.UKE", dir.path());
        ASSERT_TRUE(r.Done());
        clean = plok::test::ReadBytes(dir / r.fileName);
    }
    std::vector<AuditFinding> Audit(const std::string& copy)
    {
        WriteBytes(dir / "copy.UKE", copy);
        std::vector<AuditFinding> findings;
        AuditAnonymised(dir / "RECEIPTC.UKE", dir / "copy.UKE", [&](const AuditFinding& f) { findings.push_back(f); });
        return findings;
    }

    TempDir dir;
    std::string clean;
};

TEST_F(AuditSpellingTest, TheCopyOfTheRunIsClean)
{
    // RE 13 of a default copy is the chart number, kept by design, whatever its digits equal.
    const std::vector<AuditFinding> findings = Audit(clean);
    EXPECT_TRUE(findings.empty()) << findings.size() << " findings, the first in field " << findings[0].field;
}

TEST_F(AuditSpellingTest, WordsThatHoldANameByChanceAreNoFinding)
{
    for (const std::u16string_view text : {
             u"皮膚そう痒症", // ソウ, a given name
             u"高リン血症", // リン
             u"全身けん怠感", // ケン
             u"ケン怠感",
             u"橋本病", // a surname in an eponymous disease
             u"川崎病の疑い",
             u"橋本甲状腺炎",
         }) {
        SCOPED_TRACE(plok::ToUtf8(text));
        EXPECT_TRUE(Audit(clean + Sjis({u"SY,0000999,5060501,1,," + std::u16string(text)})).empty());
    }
}

TEST_F(AuditSpellingTest, EverydaySpellingsOfAValueAreFound)
{
    struct Case
    {
        std::u16string_view text; // a disease name typed by hand
        AuditKind kind;
    };
    const std::vector<Case> cases = {
        {u"佐佐木実", AuditKind::PatientName}, // 々 written out
        {u"三ケ島様", AuditKind::PatientName}, // ヶ written large
        {u"きつかわさん", AuditKind::PatientKanaName}, // ッ written large
        {u"シヨウタ君", AuditKind::PatientKanaName}, // ョ written large
        {u"しょーた", AuditKind::PatientKanaName}, // the long vowel for ウ
        {u"ショータさん", AuditKind::PatientKanaName},
        {u"オーノさん", AuditKind::PatientKanaName},
        {u"山田様", AuditKind::PatientName}, // the surname of a name stored without blank
        {u"やまださん", AuditKind::PatientKanaName}, // and of its kana name
        {u"Smith様", AuditKind::PatientName}, // letter case
        {u"ｓｍｉｔｈ", AuditKind::PatientName},
        {u"林けん", AuditKind::PatientName}, // the surname of one field with the given name of the other
        {u"桜丘クリニック", AuditKind::InstitutionName}, // without the department
        {u"桜丘医院", AuditKind::InstitutionName}, // another facility word
        {u"1311310001", AuditKind::InstitutionCode}, // prefecture, table and code
        {u"03ー1234ー5678", AuditKind::Telephone}, // the long vowel mark for the hyphen
        {u"03―1234―5678", AuditKind::Telephone},
        {u"03.1234.5678", AuditKind::Telephone},
        {u"03～1234～5678", AuditKind::Telephone},
        {u"03/1234/5678", AuditKind::Telephone},
        {u"+81-3-1234-5678", AuditKind::Telephone},
        {u"TEL 1234-5678", AuditKind::Telephone}, // without the area code
        {u"電話：1234-5678", AuditKind::Telephone},
    };
    for (const Case& c : cases) {
        const std::vector<AuditFinding> findings
            = Audit(clean + Sjis({u"SY,0000999,5060501,1,," + std::u16string(c.text)}));
        EXPECT_EQ(findings.size(), 1u) << plok::ToUtf8(c.text);
        if (findings.size() != 1)
            continue;
        EXPECT_EQ(findings[0].kind, c.kind);
        EXPECT_EQ(findings[0].field, 5u);
    }
}

/// A generated claims file, written whole.
void Generate(const std::filesystem::path& file, const plok::testsupport::ClaimOptions& options,
    plok::testsupport::ClaimTotals* totals = nullptr)
{
    std::ofstream f(file, std::ios::binary);
    const plok::testsupport::ClaimTotals t = plok::testsupport::GenerateClaims(
        options, [&](std::string_view chunk) { f.write(chunk.data(), static_cast<std::streamsize>(chunk.size())); });
    if (totals)
        *totals = t;
}

TEST(AuditGenerated, CleanGeneratedFilesGiveNoFinding)
{
    using plok::testsupport::Payer;
    struct Case
    {
        Payer payer;
        std::uint64_t mib;
        std::uint64_t seed;
        std::uint64_t names;
        bool branchedCharts = false; // 746343-11, sometimes spelling another receipt's insurer number
    };
    for (const Case& c :
        {Case {Payer::Social, 1, 1, 0}, Case {Payer::National, 1, 2, 0}, Case {Payer::Social, 1, 3, 1000000},
            Case {Payer::National, 1, 4, 1000000}, Case {Payer::Social, 10, 5, 1000000},
            Case {Payer::Social, 1, 6, 0, true}, Case {Payer::National, 1, 7, 1000000, true}}) {
        SCOPED_TRACE(testing::Message() << c.mib << " MiB, seed " << c.seed << ", names " << c.names << ", branched "
                                        << c.branchedCharts);
        TempDir dir;
        plok::testsupport::ClaimOptions options;
        options.payer = c.payer;
        options.minBytes = c.mib << 20;
        options.seed = c.seed;
        options.distinctNames = c.names;
        options.branchedCharts = c.branchedCharts;
        Generate(dir / "RECEIPTC.UKE", options);
        const plok::RunResult r = plok::claims::Conv(dir / "RECEIPTC.UKE", dir.path());
        ASSERT_TRUE(r.Done());
        const AuditReport report = AuditAnonymised(dir / "RECEIPTC.UKE", dir / r.fileName);
        EXPECT_TRUE(report.Clean()) << plok::ToUtf8(plok::claims::CountsText(report));
        if (c.mib == 1) {
            // The original against itself is full of identifiers.
            EXPECT_GT(AuditAnonymised(dir / "RECEIPTC.UKE", dir / "RECEIPTC.UKE").total, 300u);
        }
    }
}

TEST(AuditGenerated, BothPayersFilesOfARunGiveNoFindingInEachOthersCopy)
{
    // Patients of both files are drawn from the same small lists of names, as in one clinic.
    TempDir dir;
    std::vector<std::filesystem::path> originals;
    for (const auto payer : {plok::testsupport::Payer::Social, plok::testsupport::Payer::National}) {
        plok::testsupport::ClaimOptions options;
        options.payer = payer;
        options.minBytes = 1 << 20;
        options.seed = 11 + originals.size();
        options.branchedCharts = true;
        originals.push_back(dir / (std::to_string(originals.size()) + ".UKE"));
        Generate(originals.back(), options);
    }
    plok::crypto::Key key {};
    key.fill(0x17);
    plok::claims::ChartPseudonyms pseudonyms(key);
    for (plok::claims::ChartPseudonyms* strong : {static_cast<plok::claims::ChartPseudonyms*>(nullptr), &pseudonyms}) {
        const TempDir out;
        const plok::claims::AuditedRun run(originals, strong);
        for (std::size_t i = 0; i < originals.size(); ++i) {
            std::size_t findings = 0;
            const plok::RunResult r = run.Anonymize(
                i, plok::OutputTarget(out.path()),
                [](const plok::claims::AuditReport& report, const std::u16string&) {
                    return plok::claims::CountsText(report);
                },
                [&](const AuditFinding&) { ++findings; });
            EXPECT_TRUE(r.Done()) << plok::ToUtf8(r.message);
            EXPECT_EQ(findings, 0u);
        }
    }
}

TEST(AuditGenerated, EveryPlantedIdentifierIsFoundWhereItStands)
{
    for (const auto payer : {plok::testsupport::Payer::Social, plok::testsupport::Payer::National}) {
        for (const std::uint64_t names : {std::uint64_t(0), std::uint64_t(1000000)}) {
            SCOPED_TRACE(testing::Message()
                << "national " << (payer == plok::testsupport::Payer::National) << ", names " << names);
            TempDir dir;
            plok::testsupport::ClaimOptions options;
            options.payer = payer;
            options.receipts = 600;
            options.seed = 7 + names;
            options.distinctNames = names;
            options.plantEvery = 5;
            plok::testsupport::ClaimTotals totals;
            Generate(dir / "RECEIPTC.UKE", options, &totals);
            ASSERT_EQ(totals.planted.size(), 120u);

            std::set<std::tuple<std::uint64_t, std::size_t, AuditKind>> planted;
            std::set<plok::testsupport::Plant> forms;
            for (const plok::testsupport::Planted& p : totals.planted) {
                const std::span<const plok::claims::ReplacedField> replaced = plok::claims::kMedicalLayout.replaced;
                const auto field
                    = std::find_if(replaced.begin(), replaced.end(), [&](const plok::claims::ReplacedField& f) {
                          return f.record == p.record && f.field == p.recordField;
                      });
                ASSERT_NE(field, replaced.end());
                // The finding names the original's line, although the copy has no SJ and CO lines.
                planted.emplace(p.line, p.field, field->kind);
                forms.insert(p.plant);
            }
            EXPECT_EQ(forms.size(), plok::testsupport::kPlants);

            const plok::RunResult r = plok::claims::Conv(dir / "RECEIPTC.UKE", dir.path());
            ASSERT_TRUE(r.Done());
            // A plant may hold another value too (a given name in hiragana is its reading as well), but nothing is
            // found where nothing was planted.
            std::set<std::tuple<std::uint64_t, std::size_t, AuditKind>> found;
            std::set<std::pair<std::uint64_t, std::size_t>> foundPlaces;
            AuditAnonymised(dir / "RECEIPTC.UKE", dir / r.fileName, [&](const AuditFinding& f) {
                found.emplace(f.line, f.field, f.kind);
                foundPlaces.emplace(f.line, f.field);
            });
            std::set<std::pair<std::uint64_t, std::size_t>> plantedPlaces;
            for (const auto& [line, field, kind] : planted) {
                plantedPlaces.emplace(line, field);
                EXPECT_TRUE(found.contains({line, field, kind})) << line << " " << field;
            }
            EXPECT_EQ(foundPlaces, plantedPlaces);
        }
    }
}

// ---------------------------------------------------------------------------------------------------------------------
// Copies of the strong anonymisation.

/// An RE record of 38 fields with the fields the strong anonymisation changes as given.
std::u16string StrongReceipt(std::u16string_view number, std::u16string_view birth, std::u16string_view admission,
    std::u16string_view chart, std::u16string_view name = {})
{
    const std::u16string patient = name.empty() ? u"名前　" + std::u16string(number) : std::u16string(name);
    std::u16string line = u"RE," + std::u16string(number) + u",1116,50605," + patient + u",1," + std::u16string(birth)
        + u",," + std::u16string(admission);
    for (int f = 9; f <= 37; ++f)
        line += f == 13 ? u"," + std::u16string(chart) : u",";
    return line;
}

// Receipts 1..5; receipt 2 has a western birth date, receipt 3 a birth date on the first of its month.
const std::string kStrongOriginal = Sjis({
    u"IR,1,13,1,1310001,,青空医院,50605,00,03-1234-5678",
    StrongReceipt(u"1", u"3450712", u"5060503", u"23456-01"),
    u"HO,06139999,,01130012,1,100",
    StrongReceipt(u"2", u"19700712", u"", u"7654321"),
    u"HO,87654321,,22222,1,100",
    StrongReceipt(u"3", u"3450701", u"", u"0000123456"),
    StrongReceipt(u"4", u"3600101", u"", u"A-12"),
    StrongReceipt(u"5", u"3600102", u"", u"99999"),
});

class StrongAuditTest : public testing::Test
{
protected:
    void SetUp() override
    {
        WriteBytes(dir / "RECEIPTC.UKE", kStrongOriginal);
        plok::crypto::Key key {};
        key.fill(0x42);
        plok::claims::ChartPseudonyms pseudonyms(key);
        const plok::RunResult r = plok::claims::Conv(dir / "RECEIPTC.UKE", dir.path(), &pseudonyms);
        ASSERT_TRUE(r.Done());
        lines = plok::test::RawLines(dir / r.fileName);
    }
    std::vector<AuditFinding> Audit(const std::vector<std::string>& copy, plok::claims::AnonymizeMode mode)
    {
        std::string bytes;
        for (const std::string& line : copy)
            bytes += line + "\r\n";
        WriteBytes(dir / "copy.UKE", bytes);
        std::vector<AuditFinding> findings;
        AuditAnonymised(
            dir / "RECEIPTC.UKE", dir / "copy.UKE", [&](const AuditFinding& f) { findings.push_back(f); }, mode);
        return findings;
    }

    TempDir dir;
    std::vector<std::string> lines; // the strong copy's
};

TEST_F(StrongAuditTest, TheStrongCopyIsCleanTheDefaultOneIsNot)
{
    using plok::claims::AnonymizeMode;
    EXPECT_TRUE(Audit(lines, AnonymizeMode::Strong).empty());
    EXPECT_TRUE(Audit(lines, AnonymizeMode::Default).empty());

    ASSERT_TRUE(plok::claims::Conv(dir / "RECEIPTC.UKE", dir.path()).Done());
    std::set<std::tuple<std::uint64_t, std::size_t, AuditKind>> found;
    for (const AuditFinding& f : Audit(plok::test::RawLines(dir / "50605_1.UKE"), AnonymizeMode::Strong))
        found.emplace(f.line, f.field, f.kind);
    // Every receipt's chart number; the birth dates but the one on the first of its month; the admission date.
    const std::set<std::tuple<std::uint64_t, std::size_t, AuditKind>> expected = {
        {2, 6, AuditKind::BirthDate},
        {2, 8, AuditKind::AdmissionDate},
        {2, 13, AuditKind::ChartNumber},
        {4, 6, AuditKind::BirthDate},
        {4, 13, AuditKind::ChartNumber},
        {6, 13, AuditKind::ChartNumber},
        {7, 13, AuditKind::ChartNumber},
        {8, 6, AuditKind::BirthDate},
        {8, 13, AuditKind::ChartNumber},
    };
    EXPECT_EQ(found, expected);
}

TEST_F(StrongAuditTest, AnOriginalValueCountsInItsOwnFieldOfItsOwnReceiptOnly)
{
    struct Case
    {
        const char* name;
        std::size_t line; // of the copy, counted from 0, replaced by `text`; past the end: appended
        std::u16string text;
        std::vector<std::pair<std::size_t, AuditKind>> findings;
    };
    const std::vector<Case> cases = {
        {"its own chart number left", 1, StrongReceipt(u"1", u"3450701", u"5060501", u"23456-01", u"テスト社"),
            {{13, AuditKind::ChartNumber}}},
        {"its own birth date left", 3, StrongReceipt(u"2", u"19700712", u"", u"1234567", u"テスト社"),
            {{6, AuditKind::BirthDate}}},
        {"its own admission date left", 1, StrongReceipt(u"1", u"3450701", u"5060503", u"31415926", u"テスト社"),
            {{8, AuditKind::AdmissionDate}}},
        {"the chart number of the next receipt", 1,
            StrongReceipt(u"1", u"3450701", u"5060501", u"7654321", u"テスト社"), {}},
        {"a pseudonym equal to an insurer number", 1,
            StrongReceipt(u"1", u"3450701", u"5060501", u"87654321", u"テスト社"), {}},
        {"a birth date on the first of its month", 5, StrongReceipt(u"3", u"3450701", u"", u"0000000001", u"テスト社"),
            {}},
        {"a chart number in a disease name", 2, u"SY,8833421,5060501,1,,23456-01", {{5, AuditKind::ChartNumber}}},
        {"a long chart number anywhere", 99, u"ZZ,0000123456", {{1, AuditKind::ChartNumber}}},
        {"a birth date in a disease name", 2, u"SY,8833421,5060501,1,,3450712", {{5, AuditKind::BirthDate}}},
        {"a western birth date in a disease name", 4, u"SY,8833421,5060501,1,,19700712", {{5, AuditKind::BirthDate}}},
        // A newborn's illness begins on the day of birth: the strong copy keeps that date to its month too.
        {"a birth date as the start of an illness", 2, u"SY,8833421,3450712,1", {{2, AuditKind::BirthDate}}},
        {"a western birth date as the start of an illness", 4, u"SY,8833421,19700712,1", {{2, AuditKind::BirthDate}}},
        {"a birth date receipts away", 99, u"ZZ,3450712", {}},
        {"its own western birth date in the era form", 4, u"SI,1,,,,,,,3450712", {{8, AuditKind::BirthDate}}},
        {"the admission date of the receipt before, in a comment", 4, u"SI,1,,,,,,,5060503", {}},
        {"the chart number without its branch", 2, u"SY,8833421,5060501,1,,23456", {{5, AuditKind::ChartNumber}}},
        {"the chart number with other leading zeros", 2, u"SY,8833421,5060501,1,,023456-01",
            {{5, AuditKind::ChartNumber}}},
        {"the chart number's branch after a slash", 2, u"SY,8833421,5060501,1,,23456/01",
            {{5, AuditKind::ChartNumber}}},
        {"a long chart number without its leading zeros", 6, u"ZZ,123456", {{1, AuditKind::ChartNumber}}},
        {"the birth date with an era letter", 2, u"SY,8833421,5060501,1,,S45.7.12", {{5, AuditKind::BirthDate}}},
        {"the birth date in era words", 2, u"SY,8833421,5060501,1,,昭和45年7月12日生", {{5, AuditKind::BirthDate}}},
        {"the birth date as six digits", 2, u"SY,8833421,5060501,1,,450712", {{5, AuditKind::BirthDate}}},
        {"the birth date with slashes", 4, u"SY,8833421,5060501,1,,1970/07/12", {{5, AuditKind::BirthDate}}},
        {"the birth date in a procedure's comment", 2, u"SI,1,,,,,,,昭和４５年７月１２日", {{8, AuditKind::BirthDate}}},
        {"the admission date in era letters", 2, u"SI,1,,,,,,,R6.5.3入院", {{8, AuditKind::AdmissionDate}}},
        {"a chart number of letters elsewhere", 99, u"ZZ,A-12", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> copy = lines;
        const std::string text = plok::cp932::Encode(c.text);
        if (c.line < copy.size())
            copy[c.line] = text;
        else
            copy.push_back(text);
        std::vector<std::pair<std::size_t, AuditKind>> found;
        for (const AuditFinding& f : Audit(copy, plok::claims::AnonymizeMode::Strong)) {
            EXPECT_EQ(f.line, std::min(c.line, copy.size() - 1) + 1);
            found.emplace_back(f.field, f.kind);
        }
        EXPECT_EQ(found, c.findings);
    }
}

TEST(AuditGenerated, StrongCopiesOfGeneratedFilesAreClean)
{
    using plok::testsupport::Payer;
    for (const auto& [payer, names, seed] : {std::tuple {Payer::Social, std::uint64_t(0), std::uint64_t(21)},
             std::tuple {Payer::National, std::uint64_t(1000000), std::uint64_t(22)}}) {
        SCOPED_TRACE(seed);
        TempDir dir;
        plok::testsupport::ClaimOptions options;
        options.payer = payer;
        options.minBytes = 4 << 20;
        options.seed = seed;
        options.distinctNames = names;
        options.plantEvery = 7;
        Generate(dir / "RECEIPTC.UKE", options);
        plok::crypto::Key key {};
        plok::crypto::RandomBytes(key);
        plok::claims::ChartPseudonyms pseudonyms(key);
        const plok::RunResult r = plok::claims::Conv(dir / "RECEIPTC.UKE", dir.path(), &pseudonyms);
        ASSERT_TRUE(r.Done());
        // The identifiers typed into uncoded disease names and comments went with them.
        const AuditReport report
            = AuditAnonymised(dir / "RECEIPTC.UKE", dir / r.fileName, {}, plok::claims::AnonymizeMode::Strong);
        EXPECT_TRUE(report.Clean()) << plok::ToUtf8(plok::claims::CountsText(report));
    }
}

} // namespace
