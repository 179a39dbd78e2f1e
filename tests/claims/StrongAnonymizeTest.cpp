#include "claims/StrongAnonymize.h"

#include "claims/Anonymize.h"
#include "core/CommaText.h"
#include "core/Cp932.h"
#include "core/StrConv.h"
#include "core/Text.h"
#include "support/RawLines.h"
#include "support/Sjis.h"
#include "support/TempDir.h"

#include <array>
#include <map>
#include <set>

#include <gtest/gtest.h>

namespace plok::claims {
namespace {

using test::ReadBytes;
using test::Sjis;
using test::TempDir;
using test::WriteBytes;

crypto::Key KeyOf(std::uint8_t first)
{
    crypto::Key key {};
    for (std::size_t i = 0; i < key.size(); ++i)
        key[i] = static_cast<std::uint8_t>(first + i);
    return key;
}

std::string Pseudonym(ChartPseudonyms& p, std::string_view chart)
{
    std::string out = "prefix:";
    p.Append(chart, out);
    EXPECT_TRUE(out.starts_with("prefix:")) << "appends";
    return out.substr(7);
}

bool AllDigits(std::string_view s)
{
    return std::all_of(s.begin(), s.end(), [](char d) { return d >= '0' && d <= '9'; });
}

TEST(ChartPseudonyms, KnownAnswersThatMustNeverChange)
{
    // A clinic links its copies of different months and versions by these: a change of the derivation (its labels,
    // the classes of numbers, the FF1 key, the digit rule of the text form) gives every patient a new pseudonym.
    // Computed apart from this code, from the documented derivation in Python (hmac, and an FF1 with big integers over
    // the cryptography package's AES that gives NIST's samples).
    ChartPseudonyms p(KeyOf(0));
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"12345", "989678"},
        {"012345", "989678"},
        {cp932::Encode(u"１２３４５"), "989678"},
        {"0000012345", "0000989678"},
        {"0", "197788"},
        {"7", "341629"},
        {"999999", "901428"},
        {"1234567", "2187493"},
        {"9999999", "8295229"},
        {"99999999", "81780916"},
        {"12345678901234567890", "33620015622159893829"},
        {std::string(38, '1'), "10006033656346666619102553752530591474"},
        {std::string(39, '1'), "X8775271903587824825"},
        {"12345-01", "X6782537880576636212"},
        {"A-1", "X7769725658148740537"},
        {cp932::Encode(u"カルテ１２"), "X9376106675321429989"},
    };
    for (const auto& [chart, pseudonym] : cases) {
        SCOPED_TRACE(chart);
        EXPECT_EQ(Pseudonym(p, chart), pseudonym);
    }
    EXPECT_EQ(KeyId(KeyOf(0)), "b9ef-1bc8");
    EXPECT_EQ(KeyId(crypto::Key {}), KeyId(crypto::Key {})) << "a function of the key alone";
    EXPECT_NE(KeyId(KeyOf(0)), KeyId(KeyOf(1)));
}

TEST(ChartPseudonyms, ShapeAndStabilityUnderOneKeyOnly)
{
    ChartPseudonyms a(KeyOf(0));
    ChartPseudonyms b(KeyOf(0));
    ChartPseudonyms other(KeyOf(100));
    struct Case
    {
        std::string chart;
        std::size_t length;
        bool digits; // else the text form
    };
    const std::vector<Case> cases = {
        {"12345", 6, true},
        {"00000000012345", 14, true}, // the width kept
        {cp932::Encode(u"１２３４５６７８"), 8, true},
        {"12345-01", 20, false},
        {cp932::Encode(u"カルテ１２"), 20, false},
        {"\xb6\xde"
         "12",
            20, false}, // half-width ｶﾞ
        {"\x81", 20, false}, // a lone lead byte
        {"\x82", 20, false},
        {"1\x82", 20, false},
        {std::string(300, '9'), 20, false}, // more digits than FF1 takes
        {"", 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chart);
        const std::string p = Pseudonym(a, c.chart);
        EXPECT_EQ(p.size(), c.length);
        if (c.digits) {
            EXPECT_TRUE(AllDigits(p)) << p;
        } else {
            EXPECT_EQ(p[0], ChartPseudonyms::kTextMarker);
            EXPECT_TRUE(AllDigits(p.substr(1))) << p;
        }
        EXPECT_EQ(Pseudonym(b, c.chart), p) << "another object with the same key";
        EXPECT_EQ(Pseudonym(a, c.chart), p) << "asked again";
        if (c.length != 0) {
            EXPECT_NE(Pseudonym(other, c.chart), p) << "another key";
        }
    }
}

/// Every number of [first, last] written with `width` digits: its pseudonyms are numbers of the same class, all
/// different, none the number itself. Ten million pseudonyms: the chart number is counted up in place and the
/// pseudonym read without a string of its own, so that the sanitizer build takes seconds, not minutes.
void ExpectPermutationWithoutFixedPoint(ChartPseudonyms& p, std::uint64_t first, std::uint64_t last, std::size_t width)
{
    std::vector<bool> taken(last - first + 1);
    std::string chart = std::to_string(first);
    chart.insert(0, width - chart.size(), '0');
    std::string out;
    std::size_t fixed = 0;
    std::size_t outside = 0;
    std::size_t twice = 0;
    for (std::uint64_t n = first; n <= last; ++n) {
        out.clear();
        p.Append(chart, out);
        std::uint64_t value = 0;
        bool digits = out.size() == width;
        for (const char c : out) {
            digits = digits && c >= '0' && c <= '9';
            value = value * 10 + static_cast<std::uint64_t>(c - '0');
        }
        if (!digits || value < first || value > last) {
            ++outside;
        } else {
            fixed += value == n;
            twice += taken[value - first];
            taken[value - first] = true;
        }
        for (std::size_t i = width; i-- > 0 && ++chart[i] > '9';)
            chart[i] = '0';
    }
    EXPECT_EQ(outside, 0u);
    EXPECT_EQ(twice, 0u);
    EXPECT_EQ(fixed, 0u);
}

TEST(ChartPseudonyms, TheNumbersBelowAMillionArePermutedWithoutAFixedPoint)
{
    ChartPseudonyms p(KeyOf(3));
    ExpectPermutationWithoutFixedPoint(p, 0, 999999, 6);
}

TEST(ChartPseudonyms, TheNumbersOfSevenDigitsArePermutedWithoutAFixedPoint)
{
    // Walked out of the numbers with a leading zero, and after 9999999 comes 1000000.
    ChartPseudonyms p(KeyOf(3));
    ExpectPermutationWithoutFixedPoint(p, 1000000, 9999999, 7);
}

TEST(ChartPseudonyms, ThirtyThousandPatientsKeepThirtyThousandPseudonymsInEveryFile)
{
    // Chart numbers of four to eight digits, as a clinic's records hold them across the years, some written with
    // leading zeros or full-width digits, and with letters or branch numbers: each has a pseudonym of its own, and
    // another month's or payer's file (another object over the same key) gives the same ones.
    std::vector<std::string> charts;
    std::set<std::string> seen;
    std::uint64_t state = 12345;
    while (charts.size() < 30000) {
        state = state * 6364136223846793005u + 1442695040888963407u;
        const std::size_t digits = 4 + (state >> 33) % 5;
        std::string chart = std::to_string((state >> 20) % 100000000);
        chart.resize(std::min(chart.size(), digits));
        if (seen.insert(std::to_string(std::stoull(chart))).second)
            charts.push_back(chart);
    }
    for (std::size_t i = 0; i < 3000; ++i)
        charts.push_back("A" + std::to_string(i) + (i % 2 ? "-01" : ""));
    ChartPseudonyms june(KeyOf(9));
    ChartPseudonyms july(KeyOf(9));
    std::set<std::string> pseudonyms;
    for (const std::string& chart : charts) {
        const std::string p = Pseudonym(june, chart);
        EXPECT_EQ(Pseudonym(july, chart), p);
        pseudonyms.insert(p);
    }
    EXPECT_EQ(pseudonyms.size(), charts.size());
    // The same numbers written otherwise are the same patients.
    for (std::size_t i = 0; i < 100; ++i) {
        SCOPED_TRACE(charts[i]);
        const std::string p = Pseudonym(june, charts[i]);
        EXPECT_EQ(std::stoull(Pseudonym(july, "00" + charts[i])), std::stoull(p));
        EXPECT_EQ(Pseudonym(july, cp932::Encode(StrConv(FromUtf8(charts[i]), {TConversion::Wide}))), p);
    }
}

TEST(ChartPseudonyms, EveryDigitOfTheTextFormIsEquallyLikely)
{
    // A digit taken as byte mod 10 from every byte would make 0..5 about 4% more likely than 6..9 (256 = 25 * 10 + 6).
    ChartPseudonyms p(KeyOf(7));
    std::array<std::size_t, 10> counts {};
    std::size_t total = 0;
    for (int n = 0; n < 10000; ++n)
        for (const char d : Pseudonym(p, "A" + std::to_string(n)).substr(1)) {
            ++counts[static_cast<std::size_t>(d - '0')];
            ++total;
        }
    const double expected = static_cast<double>(total) / 10; // 19,000; one standard deviation is about 130
    for (std::size_t d = 0; d < 10; ++d)
        EXPECT_NEAR(static_cast<double>(counts[d]), expected, 650) << "digit " << d;
}

TEST(AppendMonthOfDate, KeepsEraAndFormatAndTheMonth)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"3450712", "3450701"},
        {"19700712", "19700701"},
        {" 3450712 ", "3450701"},
        {"3450701", "3450701"},
        {"5010512", "5010501"}, // 令和 began on the first
        {"4010115", "4010108"}, // 平成 began on 1989-01-08
        {"4010215", "4010201"},
        {"3011230", "3011225"}, // 昭和
        {"2010731", "2010730"}, // 大正
        {"4020115", "4020101"}, // the era's second year
        {"", ""},
        {"345071", ""},
        {"345071234", ""},
        {"34507a2", ""},
        {cp932::Encode(u"３４５０７１２"), ""},
    };
    for (const auto& [date, month] : cases) {
        SCOPED_TRACE(date);
        std::string out = "x";
        AppendMonthOfDate(date, out);
        EXPECT_EQ(out, "x" + month);
    }
}

TEST(SameDay, ReadsEraAndWesternFormsAlike)
{
    struct Case
    {
        std::string_view a;
        std::string_view b;
        bool same;
    };
    const std::vector<Case> cases = {
        {"20240605", "20240605", true},
        {"20240605", " 20240605 ", true},
        {"5060605", "20240605", true}, // 令和6年
        {"20190501", "5010501", true},
        {"4010108", "19890108", true}, // 平成元年
        {"3640107", "19890107", true}, // 昭和64年
        {"3010101", "19260101", true},
        {"2010730", "19120730", true},
        {"1450101", "19120101", true},
        {"20240605", "20240606", false},
        {"5060605", "4060605", false},
        {"6060605", "20240605", false}, // no era 6
        {"0060605", "18720605", false},
        {"", "", false},
        {"2024065", "2024065", false},
        {"2024060a", "2024060a", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " " + std::string(c.b));
        EXPECT_EQ(SameDay(c.a, c.b), c.same);
        EXPECT_EQ(SameDay(c.b, c.a), c.same);
    }
}

class StrongConvTest : public testing::Test
{
protected:
    RunResult Run(std::string_view bytes, ChartPseudonyms* strong)
    {
        WriteBytes(in / "RECEIPTC.UKE", bytes);
        return Conv(in / "RECEIPTC.UKE", out.path(), strong);
    }

    TempDir in;
    TempDir out;
    ChartPseudonyms pseudonyms {KeyOf(0)};
};

TEST_F(StrongConvTest, FieldByFieldAgainstTheDefault)
{
    // 38 fields as the claims format has them: 6 birth date, 8 admission date, 13 chart number, 18 search number,
    // 20 billing information, 36 kana name.
    const std::u16string receipt = u"RE,1,1116,50605,\"山田 太郎\",1,3450712,70,5060503,01,,29,,12345-01,,,,,"
                                   u"12345678901234567890,,ABC-123,,,,,,,,,,,,,,,,ﾔﾏﾀﾞ ﾀﾛｳ,";
    const std::string input = Sjis({
                                  u"IR,1,13,1,9876543,,医療法人　青空会,50605,00,03-1234-5678",
                                  receipt,
                                  u"HO,06132013,\"１２・３４\",５６７,3,1234",
                                  u"SY,0000999,50601,1,,左膝の痛み,01,山田さん経過",
                                  u"SY,8833421,50601,1,\"左 膝\"",
                                  u"SY,8833421,50601,1,,,,",
                                  u"\"SY\",0000999,50601,1,,\"a b\",,",
                                  u"SY, 0000999 ,50601,1,,x",
                                  u"SY,0000999,50601,1,,匿名化した傷病名,01,",
                                  u"SJ,01,症状詳記",
                                  u"SI,1,1,112007410,,,1",
                                  u"RE,2,1112,50605,佐藤,2,4010115,,,,,,,,,,,,,,,,",
                                  u"RE,3,1112,50605,鈴木",
                              })
        + "\x1a";

    const RunResult strong = Run(input, &pseudonyms);
    ASSERT_EQ(strong.status, RunStatus::Done);
    EXPECT_EQ(strong.fileName, u"50605_1_strong.UKE");
    EXPECT_EQ(strong.message, u"社保と国保の強い匿名化ファイルが作成されました");
    const std::string strongBytes = ReadBytes(out / "50605_1_strong.UKE");

    EXPECT_EQ(strongBytes,
        Sjis({
            u"IR,1,13,1,0123456,,ORVAクリニック,50605,00,012-345-6789",
            u"RE,1,1116,50605,テスト社,1,3450701,70,5060501,01,,29,,X6782537880576636212,,,,,,,,,,,,,,,,,,,,,,,,",
            u"HO,12345678,,１２３４５,3,1234",
            u"SY,0000999,50601,1,,匿名化した傷病名,01,",
            u"SY,8833421,50601,1,\"左 膝\"",
            u"SY,8833421,50601,1,,,,",
            u"SY,0000999,50601,1,,匿名化した傷病名,,",
            u"SY, 0000999 ,50601,1,,匿名化した傷病名",
            u"SY,0000999,50601,1,,匿名化した傷病名,01,",
            u"SI,1,1,112007410,,,1",
            u"RE,2,1112,50605,テスト社,2,4010108,,,,,,,,,,,,,,,,",
            u"RE,3,1112,50605,テスト社",
        }) + "\x1a");

    // The default run of the same file differs in exactly the receipts' changed fields and the lines with them.
    ASSERT_EQ(Run(input, nullptr).message, u"社保と国保の匿名化ファイルが作成されました");
    WriteBytes(in / "strong.UKE", strongBytes);
    const std::vector<std::string> byDefault = test::RawLines(out / "50605_1.UKE");
    const std::vector<std::string> strongly = test::RawLines(in / "strong.UKE");
    ASSERT_EQ(byDefault.size(), strongly.size());
    const std::set<std::size_t> changed = {1, 3, 6, 7, 10, 11};
    for (std::size_t i = 0; i < strongly.size(); ++i)
        EXPECT_EQ(byDefault[i] == strongly[i], !changed.contains(i)) << "line " << i + 1;
}

TEST_F(StrongConvTest, TheSameChartNumberGivesTheSamePseudonymInEveryFile)
{
    ASSERT_TRUE(
        Run(Sjis({u"IR,1,,,,,,50605,,", u"RE,1,,,a,,,,,,,,,4711", u"RE,2,,,b,,,,,,,,,4712"}), &pseudonyms).Done());
    ASSERT_TRUE(
        Run(Sjis({u"IR,2,,,,,,50606,,", u"RE,9,,,c,,,,,,,,,4712", u"RE,8,,,d,,,,,,,,,\"4711\""}), &pseudonyms).Done());
    const auto chart = [](const std::string& line) { return SplitCommaText(cp932::Decode(line)).at(13); };
    const std::vector<std::string> june = test::RawLines(out / "50605_1_strong.UKE");
    const std::vector<std::string> july = test::RawLines(out / "50606_2_strong.UKE");
    EXPECT_EQ(chart(june[1]), chart(july[2]));
    EXPECT_EQ(chart(june[2]), chart(july[1]));
    EXPECT_NE(chart(june[1]), chart(june[2]));
}

TEST_F(StrongConvTest, ShortRecordsNeedNoMoreThanByDefault)
{
    const RunResult r = Run("IR,1,,,,,,50605,,\r\nRE,1,,,\r\nSY,0000999\r\nSY\r\n", &pseudonyms);
    ASSERT_EQ(r.status, RunStatus::Done);
    EXPECT_EQ(ReadBytes(out / "50605_1_strong.UKE"),
        Sjis({u"IR,1,,,0123456,,ORVAクリニック,50605,,012-345-6789", u"RE,1,,,テスト社", u"SY,0000999", u"SY"}));
}

} // namespace
} // namespace plok::claims
