#include "core/StrConv.h"

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace plok {
namespace {

using C = TConversion;

std::string Hex(std::u16string_view s)
{
    std::string out;
    char buf[8];
    for (char16_t c : s) {
        std::snprintf(buf, sizeof buf, "%04X ", static_cast<unsigned>(c));
        out += buf;
    }
    return out;
}

struct ConvCase
{
    const char* name;
    std::u16string src;
    TConversions set;
    std::u16string expected;
};

void CheckCases(const std::vector<ConvCase>& cases)
{
    for (const ConvCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::u16string got = StrConv(c.src, c.set);
        EXPECT_EQ(Hex(got), Hex(c.expected));
    }
}

TEST(StrConvTest, Width)
{
    CheckCases({
        {"digits", u"123", {C::Wide}, u"\uFF11\uFF12\uFF13"},
        {"ascii and space", u"a 1~\\'\"", {C::Wide}, u"\uFF41\u3000\uFF11\uFF5E\uFF3C\uFF07\uFF02"},
        {"voiced letters join", u"ｶﾞﾊﾟｳﾞﾎﾟ", {C::Wide}, u"ガパヴポ"},
        {"punctuation and long vowel", u"｡｢｣､･ｰｦｧｯ", {C::Wide}, u"。「」、・ーヲァッ"},
        {"lone marks are spacing", u"ﾞﾟ", {C::Wide}, u"\u309B\u309C"},
        {"mark after a letter that has no voiced form", u"ｱﾞﾅﾟ", {C::Wide}, u"ア\u309Bナ\u309C"},
        {"combining mark in the source stays", u"\u3099x", {C::Wide}, u"\u3099\uFF58"},
        {"other characters stay", u"¢\uFFA1\uFFE8ガ漢x", {C::Wide}, u"¢\uFFA1\uFFE8ガ漢\uFF58"},
        {"narrow ascii", u"\uFF21\uFF42\uFF11\u3000\uFF5E\uFF3C", {C::Narrow}, u"Ab1 ~\\"},
        {"narrow splits voiced letters", u"ガパヴ", {C::Narrow}, u"ｶﾞﾊﾟｳﾞ"},
        {"narrow spacing marks", u"\u309B\u309C", {C::Narrow}, u"ﾞﾟ"},
        {"narrow punctuation", u"。「」、・ー", {C::Narrow}, u"｡｢｣､･ｰ"},
        {"narrow leaves the rest", u"\uFFE0\u3131\u3099ヰヵがｶ", {C::Narrow}, u"\uFFE0\u3131\u3099ヰヵがｶ"},
    });
}

TEST(StrConvTest, KanaAndCase)
{
    CheckCases({
        {"hiragana range to katakana", u"\u3041\u304B\u3096", {C::Katakana}, u"\u30A1\u30AB\u30F6"},
        {"just outside the hiragana range", u"\u3040\u3097\u309D", {C::Katakana}, u"\u3040\u3097\u309D"},
        {"katakana range to hiragana", u"\u30A1\u30AB\u30F6", {C::Hiragana}, u"\u3041\u304B\u3096"},
        {"just outside the katakana range", u"\u30A0\u30F7\u30FC\u30FD", {C::Hiragana}, u"\u30A0\u30F7\u30FC\u30FD"},
        {"kana leaves width alone", u"ｶaか", {C::Katakana}, u"ｶaカ"},
        {"upper keeps sharp s single", u"straße", {C::UpperCase}, u"STRAßE"},
        {"upper changes full-width latin", u"\uFF41é", {C::UpperCase}, u"\uFF21É"},
        {"lower", u"ÀB\uFF21", {C::LowerCase}, u"àb\uFF41"},
        {"case outside the BMP", u"x\U00010428", {C::UpperCase}, u"X\U00010400"},
        {"lone surrogate survives case", u"a\xD800z", {C::UpperCase}, u"A\xD800Z"},
    });
}

TEST(StrConvTest, CombinationOrder)
{
    CheckCases({
        {"wide then kana", u"ｶ", {C::Wide, C::Hiragana}, u"か"},
        {"wide joins before kana", u"ｶﾞﾎﾟ", {C::Wide, C::Hiragana}, u"がぽ"},
        {"kana then narrow", u"か", {C::Narrow, C::Katakana}, u"ｶ"},
        {"kana then narrow voiced", u"がぱ", {C::Narrow, C::Katakana}, u"ｶﾞﾊﾟ"},
        {"wide then upper", u"a", {C::Wide, C::UpperCase}, u"\uFF21"},
        {"upper then narrow", u"\uFF41", {C::Narrow, C::UpperCase}, u"A"},
        {"all three with narrow", u"\uFF42が", {C::Narrow, C::Katakana, C::UpperCase}, u"Bｶﾞ"},
        {"all three with wide", u"bｶﾞ", {C::Wide, C::Hiragana, C::UpperCase}, u"\uFF22が"},
    });
}

TEST(StrConvTest, RejectedInputGivesEmpty)
{
    struct Case
    {
        const char* name;
        std::u16string src;
        TConversions set;
    };
    const std::vector<Case> cases = {
        {"empty source", u"", {C::Wide}},
        {"empty set", u"abc", {}},
        {"upper with lower", u"abc", {C::UpperCase, C::LowerCase}},
        {"wide with narrow", u"abc", {C::Wide, C::Narrow}},
        {"katakana with hiragana", u"abc", {C::Katakana, C::Hiragana}},
        {"bit 6", u"abc", TConversions::FromByte(0x40)},
        {"bit 7", u"abc", TConversions::FromByte(0x80)},
        {"bit 6 next to wide", u"abc", TConversions::FromByte(0x40 | TConversions {C::Wide}.Byte())},
        {"rejected pair next to a valid flag", u"abc", {C::Wide, C::UpperCase, C::LowerCase}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Hex(StrConv(c.src, c.set)), "");
    }
}

TEST(StrConvTest, ResultLimitedTo1024Units)
{
    auto repeat = [](std::u16string_view unit, std::size_t n) {
        std::u16string s;
        for (std::size_t i = 0; i < n; ++i)
            s += unit;
        return s;
    };
    struct Case
    {
        const char* name;
        std::u16string src;
        TConversions set;
        std::u16string expected;
    };
    const std::vector<Case> cases = {
        {"ascii wide 1024", repeat(u"7", 1024), {C::Wide}, repeat(u"\uFF17", 1024)},
        {"ascii wide 1025", repeat(u"7", 1025), {C::Wide}, u""},
        {"kana wide 1024", repeat(u"ｶ", 1024), {C::Wide}, repeat(u"カ", 1024)},
        {"kana wide 1025", repeat(u"ｶ", 1025), {C::Wide}, u""},
        {"joining brings 2048 down to 1024", repeat(u"ｶﾞ", 1024), {C::Wide}, repeat(u"ガ", 1024)},
        {"joining brings 2050 down to 1025", repeat(u"ｶﾞ", 1025), {C::Wide}, u""},
        {"narrow grows 512 to 1024", repeat(u"ガ", 512), {C::Narrow}, repeat(u"ｶﾞ", 512)},
        {"narrow grows 600 to 1200", repeat(u"ガ", 600), {C::Narrow}, u""},
        {"case 1024", repeat(u"a", 1024), {C::UpperCase}, repeat(u"A", 1024)},
        {"case 1025", repeat(u"a", 1025), {C::UpperCase}, u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::u16string got = StrConv(c.src, c.set);
        EXPECT_EQ(got.size(), c.expected.size());
        EXPECT_TRUE(got == c.expected);
    }
}

// Printable ASCII widens alike on its own and in front of a half-width letter.
TEST(StrConvTest, AsciiShortcutMatchesIcuPath)
{
    std::u16string all;
    for (char16_t c = 0x20; c <= 0x7E; ++c) {
        SCOPED_TRACE(static_cast<int>(c));
        const std::u16string one(1, c);
        const std::u16string fast = StrConv(one, {C::Wide});
        const std::u16string slow = StrConv(one + u"ｱ", {C::Wide});
        ASSERT_EQ(fast.size(), 1u);
        EXPECT_NE(fast, one);
        EXPECT_EQ(Hex(slow), Hex(fast + u"ア"));
        all += c;
    }
    EXPECT_EQ(Hex(StrConv(all + u"ｱ", {C::Wide})), Hex(StrConv(all, {C::Wide}) + u"ア"));
}

class StrConvWidthTest : public ::testing::Test
{
protected:
    // Everything Wide can produce: the images of its single characters and of the letters joined with a mark.
    static std::set<char16_t> WideImage()
    {
        std::set<char16_t> image;
        for (char16_t c : Domain()) {
            for (char16_t w : StrConv(std::u16string(1, c), {C::Wide}))
                image.insert(w);
        }
        for (char16_t c = 0xFF66; c <= 0xFF9D; ++c) {
            for (char16_t mark : {u'\uFF9E', u'\uFF9F'}) {
                const std::u16string joined = StrConv(std::u16string {c, mark}, {C::Wide});
                if (joined.size() == 1)
                    image.insert(joined[0]);
            }
        }
        return image;
    }
    static std::u16string Domain()
    {
        std::u16string d;
        for (char16_t c = 0x20; c <= 0x7E; ++c)
            d += c;
        for (char16_t c = 0xFF61; c <= 0xFF9F; ++c)
            d += c;
        return d;
    }
};

TEST_F(StrConvWidthTest, NarrowUndoesWide)
{
    for (char16_t c : Domain()) {
        SCOPED_TRACE(static_cast<int>(c));
        const std::u16string one(1, c);
        EXPECT_EQ(Hex(StrConv(StrConv(one, {C::Wide}), {C::Narrow})), Hex(one));
    }
    int joinedCount = 0;
    for (char16_t c = 0xFF66; c <= 0xFF9D; ++c) {
        for (char16_t mark : {u'\uFF9E', u'\uFF9F'}) {
            const std::u16string pair {c, mark};
            const std::u16string joined = StrConv(pair, {C::Wide});
            if (joined.size() != 1)
                continue;
            ++joinedCount;
            SCOPED_TRACE(Hex(pair));
            EXPECT_EQ(Hex(StrConv(joined, {C::Narrow})), Hex(pair));
        }
    }
    // 20 letters with the voiced mark, ｳ, ﾜ and ｦ with it, 5 with the semi-voiced mark.
    EXPECT_EQ(joinedCount, 28);
}

TEST_F(StrConvWidthTest, EachDirectionTouchesOnlyItsOwnCharacters)
{
    const std::u16string domain = Domain();
    const std::set<char16_t> domainSet(domain.begin(), domain.end());
    const std::set<char16_t> image = WideImage();
    for (char32_t cp = 1; cp <= 0xFFFF; ++cp) {
        const auto c = static_cast<char16_t>(cp);
        if (cp >= 0xD800 && cp <= 0xDFFF)
            continue;
        const std::u16string one(1, c);
        const bool hiragana = cp >= 0x3041 && cp <= 0x3096;
        const bool katakana = cp >= 0x30A1 && cp <= 0x30F6;
        struct Check
        {
            TConversion conversion;
            bool mayChange;
        };
        for (const Check& check : {Check {C::Wide, domainSet.contains(c)}, Check {C::Narrow, image.contains(c)},
                 Check {C::Katakana, hiragana}, Check {C::Hiragana, katakana}}) {
            if (!check.mayChange) {
                EXPECT_EQ(Hex(StrConv(one, {check.conversion})), Hex(one))
                    << "conversion " << static_cast<int>(check.conversion);
            }
        }
        if (HasFailure())
            FAIL() << "at U+" << Hex(one);
    }
}

} // namespace
} // namespace plok
