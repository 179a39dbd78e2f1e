// The generated tables of core/tables/ against the ICU they were made from: every code of code page 932 both ways,
// every character through the width rules and the case mappings, and random texts through StrConv as a whole.

#include "IcuReference.h"
#include "core/Cp932.h"
#include "core/FoldCase.h"
#include "core/StrConv.h"
#include "core/tables/CaseTable.inc"

#include <cstdint>
#include <cstdio>
#include <random>
#include <vector>

#include <gtest/gtest.h>

namespace plok {
namespace {

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

const icuref::Cp932Tables& Icu932()
{
    static const auto tables = icuref::BuildCp932();
    return *tables;
}

TEST(TablesVsIcu, Cp932DecodesEveryCodeAsIcu)
{
    const icuref::Cp932Tables& icu = Icu932();
    int pairs = 0;
    for (unsigned b = 0x80; b < 0x100; ++b) {
        if (cp932::IsLeadByte(static_cast<unsigned char>(b))) {
            for (unsigned trail = 0x40; trail < 0x100; ++trail) {
                if (!cp932::IsTrailByte(static_cast<unsigned char>(trail)))
                    continue;
                const std::string bytes {static_cast<char>(b), static_cast<char>(trail)};
                const char16_t c = icu.pair[b][trail];
                const std::u16string expected = c != icuref::kNone
                    ? std::u16string(1, c)
                    : std::u16string {static_cast<char16_t>(cp932::kEscapeBase + b),
                        trail < 0x80 ? static_cast<char16_t>(trail)
                                     : static_cast<char16_t>(cp932::kEscapeBase + trail)};
                ASSERT_EQ(Hex(cp932::Decode(bytes)), Hex(expected)) << std::hex << b << ' ' << trail;
                pairs += c != icuref::kNone;
            }
        } else {
            const char16_t c = icu.single[b];
            const char16_t expected = c != icuref::kNone ? c : static_cast<char16_t>(cp932::kEscapeBase + b);
            ASSERT_EQ(Hex(cp932::Decode(std::string(1, static_cast<char>(b)))), Hex(std::u16string(1, expected)))
                << std::hex << b;
        }
    }
    // JIS X 0208, the NEC and IBM extensions and the user-defined area.
    EXPECT_GT(pairs, 9000);
}

TEST(TablesVsIcu, Cp932EncodesEveryCharacterAsIcu)
{
    const icuref::Cp932Tables& icu = Icu932();
    for (unsigned c = 0x80; c < 0x10000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        const std::uint16_t code = icu.encode[c];
        std::string expected;
        if (code == 0)
            expected = "?";
        else if (code < 0x100)
            expected = std::string(1, static_cast<char>(code));
        else
            expected = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
        const std::u16string text(1, static_cast<char16_t>(c));
        ASSERT_EQ(cp932::Encode(text), expected) << std::hex << c;
        ASSERT_EQ(cp932::CanEncode(text), code != 0) << std::hex << c;
    }
}

/// StrConv as it was built on ICU: width first, then kana, then case, then narrowing; at most 1024 units.
std::u16string IcuStrConv(std::u16string_view src, TConversions conversion)
{
    using enum TConversion;
    if (src.empty() || conversion.Byte() == 0 || (conversion.Has(UpperCase) && conversion.Has(LowerCase))
        || (conversion.Has(Wide) && conversion.Has(Narrow)) || (conversion.Has(Katakana) && conversion.Has(Hiragana)))
        return {};
    if (src.size() > 2048)
        return {};
    std::u16string s(src);
    if (conversion.Has(Wide))
        s = icuref::Widen(s);
    for (char16_t& c : s) {
        if (conversion.Has(Katakana) && c >= 0x3041 && c <= 0x3096)
            c = static_cast<char16_t>(c + 0x60);
        else if (conversion.Has(Hiragana) && c >= 0x30A1 && c <= 0x30F6)
            c = static_cast<char16_t>(c - 0x60);
    }
    if (conversion.Has(UpperCase) || conversion.Has(LowerCase))
        s = icuref::SimpleCase(s, conversion.Has(UpperCase));
    if (conversion.Has(Narrow))
        s = icuref::Narrow(s);
    return s.size() > 1024 ? std::u16string() : s;
}

/// Every set of conversions StrConv accepts.
std::vector<TConversions> ValidSets()
{
    std::vector<TConversions> sets;
    for (unsigned bits = 1; bits < 64; ++bits) {
        const auto set = TConversions::FromByte(static_cast<std::uint8_t>(bits));
        using enum TConversion;
        if ((set.Has(UpperCase) && set.Has(LowerCase)) || (set.Has(Wide) && set.Has(Narrow))
            || (set.Has(Katakana) && set.Has(Hiragana)))
            continue;
        sets.push_back(set);
    }
    return sets;
}

TEST(TablesVsIcu, StrConvOfEveryCharacter)
{
    using C = TConversion;
    for (const TConversions set :
        {TConversions {C::Wide}, TConversions {C::Narrow}, TConversions {C::UpperCase}, TConversions {C::LowerCase}}) {
        for (unsigned c = 1; c < 0x10000; ++c) {
            const std::u16string one(1, static_cast<char16_t>(c));
            ASSERT_EQ(Hex(StrConv(one, set)), Hex(IcuStrConv(one, set)))
                << "set " << int(set.Byte()) << " U+" << Hex(one);
        }
    }
}

TEST(TablesVsIcu, StrConvOfEveryLetterAndMark)
{
    std::u16string letters;
    for (char16_t c = 0x20; c <= 0x7E; ++c)
        letters += c;
    for (char16_t c = 0x3000; c <= 0x30FF; ++c)
        letters += c;
    for (char16_t c = 0xFF00; c <= 0xFFEF; ++c)
        letters += c;
    const std::u16string marks = u"\u3099\u309A\u309B\u309C\uFF9E\uFF9F";
    for (const TConversions set : ValidSets()) {
        for (char16_t letter : letters) {
            for (char16_t mark : marks) {
                const std::u16string text {letter, mark, mark};
                ASSERT_EQ(Hex(StrConv(text, set)), Hex(IcuStrConv(text, set))) << "set " << int(set.Byte());
            }
        }
    }
}

TEST(TablesVsIcu, StrConvOfRandomTexts)
{
    // Characters every rule acts on, and their neighbours.
    std::u16string pool = u"aZ09 ~\\ßİıﬀǅΣσςẞ\u0130\u00DF\U00010400\U0001E900";
    for (char16_t c = 0x3040; c <= 0x30FF; c += 3)
        pool += c;
    for (char16_t c = 0xFF01; c <= 0xFF9F; c += 2)
        pool += c;
    pool += u"\uFF9E\uFF9F\uFF9E\uFF9F\u3099\u309A\u309B\u309C漢字";
    pool += {char16_t(0xD800), char16_t(0xDC80)}; // lone surrogates
    std::mt19937 random(20240611);
    const std::vector<TConversions> sets = ValidSets();
    for (int n = 0; n < 20000; ++n) {
        std::u16string text;
        const int length = 1 + static_cast<int>(random() % 12);
        for (int i = 0; i < length; ++i)
            text += pool[random() % pool.size()];
        const TConversions set = sets[random() % sets.size()];
        ASSERT_EQ(Hex(StrConv(text, set)), Hex(IcuStrConv(text, set)))
            << "set " << int(set.Byte()) << ": " << Hex(text);
        ASSERT_EQ(Hex(FoldCase(text)), Hex(icuref::FoldCase(text))) << Hex(text);
    }
}

/// True when `c` was assigned in the Unicode version of the case tables; a newer ICU may map later characters.
bool InTablesVersion(char32_t c)
{
    UVersionInfo age;
    u_charAge(static_cast<UChar32>(c), age);
    const int* v = casemap::detail::kUnicodeVersion;
    return std::make_tuple(int(age[0]), int(age[1]), int(age[2])) <= std::make_tuple(v[0], v[1], v[2]);
}

TEST(TablesVsIcu, CaseOfEveryCodePoint)
{
    using C = TConversion;
    int checked = 0;
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if ((c >= 0xD800 && c <= 0xDFFF) || !InTablesVersion(c))
            continue;
        std::u16string text;
        if (c < 0x10000) {
            text += static_cast<char16_t>(c);
        } else {
            text += static_cast<char16_t>(0xD7C0 + (c >> 10));
            text += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        }
        ASSERT_EQ(Hex(FoldCase(text)), Hex(icuref::FoldCase(text))) << std::hex << unsigned(c);
        if (c == 0)
            continue; // StrConv gives nothing for an empty source, and "\0" is one
        ASSERT_EQ(Hex(StrConv(text, {C::UpperCase})), Hex(icuref::SimpleCase(text, true))) << std::hex << unsigned(c);
        ASSERT_EQ(Hex(StrConv(text, {C::LowerCase})), Hex(icuref::SimpleCase(text, false))) << std::hex << unsigned(c);
        ++checked;
    }
    EXPECT_GT(checked, 100000);
}

} // namespace
} // namespace plok
