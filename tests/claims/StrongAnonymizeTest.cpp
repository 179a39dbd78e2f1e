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

TEST(ChartPseudonyms, KnownAnswersThatMustNeverChange)
{
    // A clinic links its copies of different months and versions by these: a change of the derivation (its label,
    // counter, digit rule) gives every patient a new pseudonym. Computed independently of this code, from the
    // documented derivation with Python's hmac module.
    ChartPseudonyms p(KeyOf(0));
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"12345", "80680"},
        {"12345-01", "31188405"},
        {cp932::Encode(u"１２３４５"), "75664"},
        {"A-1", "837"},
        {"7", "5"},
        {std::string(40, '1'), "6504014460716646414121717550523353601795"},
    };
    for (const auto& [chart, pseudonym] : cases) {
        SCOPED_TRACE(chart);
        EXPECT_EQ(Pseudonym(p, chart), pseudonym);
    }
}

TEST(ChartPseudonyms, DigitsOfTheChartNumbersLengthTheSameUnderOneKeyOnly)
{
    ChartPseudonyms a(KeyOf(0));
    ChartPseudonyms b(KeyOf(0));
    ChartPseudonyms other(KeyOf(100));
    struct Case
    {
        std::string chart;
        std::size_t length;
    };
    const std::vector<Case> cases = {
        {"12345", 5},
        {"12345-01", 8},
        {cp932::Encode(u"カルテ１２"), 5},
        {"\xb6\xde"
         "12",
            4}, // half-width ｶﾞ: two characters
        {"\x81", 1}, // a lone lead byte is one character
        {std::string(300, '9'), 300}, // more digits than one MAC gives
        {"", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chart);
        const std::string p = Pseudonym(a, c.chart);
        EXPECT_EQ(p.size(), c.length);
        EXPECT_TRUE(std::all_of(p.begin(), p.end(), [](char d) { return d >= '0' && d <= '9'; })) << p;
        EXPECT_EQ(Pseudonym(b, c.chart), p) << "another object with the same key";
        EXPECT_EQ(Pseudonym(a, c.chart), p) << "asked again";
        if (c.length >= 5) {
            EXPECT_NE(Pseudonym(other, c.chart), p) << "another key";
        }
    }
    EXPECT_NE(Pseudonym(a, "12345"), Pseudonym(a, "12346"));
}

TEST(ChartPseudonyms, NeverTheChartNumbersOwnDigits)
{
    // Without the rule, one in ten one-digit numbers and one in a thousand three-digit numbers would keep themselves.
    for (std::uint8_t k = 0; k < 4; ++k) {
        ChartPseudonyms p(KeyOf(k));
        for (int n = 0; n < 1000; ++n) {
            for (const int width : {1, 2, 3}) {
                if (n >= (width == 1 ? 10 : width == 2 ? 100 : 1000))
                    continue;
                std::string digits = std::to_string(n);
                digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
                ASSERT_NE(Pseudonym(p, digits), digits);
                if (width == 1) {
                    ASSERT_NE(Pseudonym(p, cp932::Encode(StrConv(FromUtf8(digits), {TConversion::Wide}))), digits);
                }
            }
        }
    }
}

TEST(ChartPseudonyms, EveryDigitIsEquallyLikely)
{
    // A digit taken as byte mod 10 from every byte would make 0..5 about 4% more likely than 6..9 (256 = 25 * 10 + 6).
    ChartPseudonyms p(KeyOf(7));
    std::array<std::size_t, 10> counts {};
    std::size_t total = 0;
    for (int n = 0; n < 100000; ++n)
        for (const char d : Pseudonym(p, std::to_string(1000000 + n))) {
            ++counts[static_cast<std::size_t>(d - '0')];
            ++total;
        }
    const double expected = static_cast<double>(total) / 10; // 70,000; one standard deviation is about 250
    for (std::size_t d = 0; d < 10; ++d)
        EXPECT_NEAR(static_cast<double>(counts[d]), expected, 1000) << "digit " << d;
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
    EXPECT_EQ(strong.fileName, u"50605_1.UKE");
    EXPECT_EQ(strong.message, u"社保と国保の強い匿名化ファイルが作成されました");
    const std::string strongBytes = ReadBytes(out / "50605_1.UKE");

    EXPECT_EQ(strongBytes,
        Sjis({
            u"IR,1,13,1,0123456,,ORVAクリニック,50605,00,012-345-6789",
            u"RE,1,1116,50605,テスト社,1,3450701,70,5060501,01,,29,,31188405,,,,,,,,,,,,,,,,,,,,,,,,",
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
    const std::vector<std::string> june = test::RawLines(out / "50605_1.UKE");
    const std::vector<std::string> july = test::RawLines(out / "50606_2.UKE");
    EXPECT_EQ(chart(june[1]), chart(july[2]));
    EXPECT_EQ(chart(june[2]), chart(july[1]));
    EXPECT_NE(chart(june[1]), chart(june[2]));
}

TEST_F(StrongConvTest, ShortRecordsNeedNoMoreThanByDefault)
{
    const RunResult r = Run("IR,1,,,,,,50605,,\r\nRE,1,,,\r\nSY,0000999\r\nSY\r\n", &pseudonyms);
    ASSERT_EQ(r.status, RunStatus::Done);
    EXPECT_EQ(ReadBytes(out / "50605_1.UKE"),
        Sjis({u"IR,1,,,0123456,,ORVAクリニック,50605,,012-345-6789", u"RE,1,,,テスト社", u"SY,0000999", u"SY"}));
}

} // namespace
} // namespace plok::claims
