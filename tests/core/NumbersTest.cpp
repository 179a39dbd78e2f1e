#include "core/Numbers.h"

#include "core/Text.h"

#include <cmath>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

using plok::NumberFormat;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr std::int64_t kInt64Min = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kInt64Max = std::numeric_limits<std::int64_t>::max();

TEST(TryReadFloat, ReadsTheGrammarCorrectlyRounded)
{
    struct Case
    {
        std::u16string text;
        double expected;
    };
    const std::vector<Case> cases = {
        {u"0", 0.0},
        {u"65", 65.0},
        {u"-65.25", -65.25},
        {u"+1.5", 1.5},
        {u".5", 0.5},
        {u"5.", 5.0},
        {u"007.50", 7.5},
        {u"1e3", 1000.0},
        {u"1E+3", 1000.0},
        {u"2.5e-1", 0.25},
        {u"1.e2", 100.0},
        {u".5E1", 5.0},
        {u"0.1", 0.1},
        {u"0.15", 0.15},
        // Halfway between two doubles: ties to even, which a naive digit-by-digit reading gets wrong.
        {u"9007199254740993", 9007199254740992.0},
        {u"2.2250738585072014e-308", 2.2250738585072014e-308},
        {u"1e400", kInf},
        {u"-1e400", -kInf},
        {u"0.0000000001e310", 1e300},
        {u"0.001e312", kInf},
        {u"1e-400", 0.0},
        {u"100000e-330", 0.0},
        {u"0e999999999999999999999", 0.0},
        {u"inf", kInf},
        {u"INF", kInf},
        {u"+Inf", kInf},
        {u"-iNF", -kInf},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(plok::ToUtf8(c.text));
        const auto v = plok::TryReadFloat(c.text);
        ASSERT_TRUE(v.has_value());
        EXPECT_EQ(*v, c.expected);
    }
    const auto negativeTiny = plok::TryReadFloat(u"-1e-400");
    ASSERT_TRUE(negativeTiny.has_value());
    EXPECT_EQ(*negativeTiny, 0.0);
    EXPECT_TRUE(std::signbit(*negativeTiny));

    for (const std::u16string text : {u"nan", u"NaN", u"NAN"}) {
        SCOPED_TRACE(plok::ToUtf8(text));
        const auto v = plok::TryReadFloat(text);
        ASSERT_TRUE(v.has_value());
        EXPECT_TRUE(std::isnan(*v));
    }
}

TEST(TryReadFloat, AnythingOutsideTheGrammarIsNoNumber)
{
    const std::vector<std::u16string> cases = {u"", u"+", u"-", u".", u"-.", u"e5", u".e5", u"1e", u"1e+", u"1e-",
        u"1.2.3", u" 1", u"1 ", u"1,000", u"0x10", u"$10", u"1e5.5", u"1e 5", u"\uFF11", u"--1", u"+-1", u"1d", u"1f",
        u"infinity", u"+nan", u"-nan", u"in", u"*", std::u16string(u"1\0", 2)};
    for (const auto& text : cases) {
        SCOPED_TRACE(plok::ToUtf8(text));
        EXPECT_FALSE(plok::TryReadFloat(text).has_value());
    }
}

TEST(Numbers, DecimalSeparatorIsAParameter)
{
    const NumberFormat comma {u','};
    EXPECT_EQ(plok::TryReadFloat(u"1,5", comma), 1.5);
    EXPECT_EQ(plok::TryReadFloat(u"-,5e1", comma), -5.0);
    EXPECT_FALSE(plok::TryReadFloat(u"1.5", comma).has_value());
    EXPECT_EQ(plok::FormatOneDecimal(65.25, comma), u"65,3");
    EXPECT_EQ(plok::FormatOneDecimal(6, comma), u"6,0");
}

TEST(IntegerPart, TruncatesTowardZeroAndMapsTheUnrepresentableToInt64Min)
{
    struct Case
    {
        double value;
        std::int64_t expected;
    };
    const std::vector<Case> cases = {
        {170.9, 170},
        {-170.9, -170},
        {0.99, 0},
        {-0.5, 0},
        {350.5, 350},
        {9223372036854774784.0, 9223372036854774784}, // the largest double below 2^63
        {-9223372036854775808.0, kInt64Min},
        {9223372036854775808.0, kInt64Min},
        {-9223372036854777856.0, kInt64Min},
        {1e300, kInt64Min},
        {kInf, kInt64Min},
        {-kInf, kInt64Min},
        {std::numeric_limits<double>::quiet_NaN(), kInt64Min},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(plok::IntegerPart(c.value), c.expected);
    }
    EXPECT_EQ(plok::FormatInteger(0), u"0");
    EXPECT_EQ(plok::FormatInteger(-7), u"-7");
    EXPECT_EQ(plok::FormatInteger(kInt64Min), u"-9223372036854775808");
    EXPECT_EQ(plok::FormatInteger(kInt64Max), u"9223372036854775807");
}

TEST(FormatOneDecimal, RoundsTheShortestDecimalTextHalfAwayFromZero)
{
    struct Case
    {
        double value;
        std::u16string expected;
    };
    const std::vector<Case> cases = {
        {65, u"65.0"},
        {65.25, u"65.3"},
        {-65.25, u"-65.3"},
        {0.05, u"0.1"},
        // Binary values just below the half: printf would round these down.
        {0.15, u"0.2"},
        {0.35, u"0.4"},
        {-0.35, u"-0.4"},
        {2.675, u"2.7"},
        {2.64, u"2.6"},
        {5.6, u"5.6"},
        {6, u"6.0"},
        {301.5, u"301.5"},
        {123456.78, u"123456.8"},
        {9.95, u"10.0"},
        {99.96, u"100.0"},
        {-9.96, u"-10.0"},
        {0.0, u"0.0"},
        {0.04, u"0.0"},
        {-0.04, u"-0.0"},
        {-0.0, u"-0.0"},
        {1e-300, u"0.0"},
        {1e20, u"100000000000000000000.0"},
        {std::numeric_limits<double>::quiet_NaN(), u"NAN"},
        {kInf, u"INF"},
        {-kInf, u"-INF"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(plok::FormatOneDecimal(c.value), c.expected);
    }
    const std::u16string largest = plok::FormatOneDecimal(std::numeric_limits<double>::max());
    EXPECT_EQ(largest.size(), 311u);
    EXPECT_EQ(largest.substr(0, 17), u"17976931348623157");
    EXPECT_EQ(largest.substr(largest.size() - 2), u".0");
    EXPECT_EQ(plok::FormatOneDecimal(std::numeric_limits<double>::denorm_min()), u"0.0");
}

TEST(TryReadInt64, DecimalAndHexadecimalWithinTheSigned64BitRange)
{
    struct Case
    {
        std::u16string text;
        std::optional<std::int64_t> expected;
    };
    const std::vector<Case> cases = {
        {u"000123", 123},
        {u"0000", 0},
        {u"0", 0},
        {u" 0042", 42},
        {u"   -007", -7},
        {u"+5", 5},
        {u"$1F", 31},
        {u"x1f", 31},
        {u"X10", 16},
        {u"0x10", 16},
        {u"0X10", 16},
        {u"-$1", -1},
        {u"$FFFFFFFFFFFFFFFF", -1},
        {u"$8000000000000000", kInt64Min},
        {u"-$7FFFFFFFFFFFFFFF", -kInt64Max},
        {u"$00000000000000000001", 1},
        {u"9223372036854775807", kInt64Max},
        {u"-9223372036854775808", kInt64Min},
        {u"$10000000000000000", std::nullopt},
        {u"9223372036854775808", std::nullopt},
        {u"-9223372036854775809", std::nullopt},
        {u"99999999999999999999999", std::nullopt},
        {u"0042 ", std::nullopt},
        {u"12-345", std::nullopt},
        {u"\t1", std::nullopt},
        {u"\u30001", std::nullopt},
        {u"", std::nullopt},
        {u" ", std::nullopt},
        {u"-", std::nullopt},
        {u"$", std::nullopt},
        {u"0x", std::nullopt},
        {u"-0x", std::nullopt},
        {u"$G", std::nullopt},
        {u"1.0", std::nullopt},
        {u"+-1", std::nullopt},
        {u"- 1", std::nullopt},
        {u"\uFF11\uFF12", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(plok::ToUtf8(c.text));
        EXPECT_EQ(plok::TryReadInt64(c.text), c.expected);
    }
}

} // namespace
