#include "core/StrConv.h"

#include "core/CaseMap.h"
#include "core/tables/WidthTable.inc"

#include <cstdint>

namespace plok {

namespace {

using namespace strconv::detail;

// The Windows call this stands in for works in a buffer of this many code units and fails when it is too small.
constexpr std::size_t kMaxUnits = 1024;

constexpr bool IsHalfwidthMark(char16_t c)
{
    return c == 0xFF9E || c == 0xFF9F;
}

/// The full-width letter a half-width letter and the mark after it make, or 0.
char16_t Joined(char16_t letter, char16_t mark)
{
    for (const Join& j : kJoins)
        if (j.letter == letter && j.mark == mark)
            return j.joined;
    return 0;
}

/// Half-width to full-width as Windows does it: printable ASCII and the space, half-width katakana, a letter and its
/// voiced mark joined into one letter, and a mark that joins nothing as the spacing U+309B/U+309C. A mark outside these
/// ranges (the combining U+3099 in the source) stays as it is.
void ToWide(std::u16string& s)
{
    std::u16string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char16_t c = s[i];
        if (c >= 0x20 && c <= 0x7E) {
            out += kWideAscii[c - 0x20];
        } else if (c >= 0xFF61 && c <= 0xFF9F) {
            const char16_t joined = i + 1 < s.size() && IsHalfwidthMark(s[i + 1]) ? Joined(c, s[i + 1]) : 0;
            if (joined != 0) {
                out += joined;
                ++i;
            } else {
                out += kWideKana[c - 0xFF61];
            }
        } else {
            out += c;
        }
    }
    s = std::move(out);
}

/// Exactly the reverse of ToWide: the characters ToWide produces become half-width again (a voiced letter becomes the
/// letter and its mark), and everything else stays.
void ToNarrow(std::u16string& s)
{
    std::u16string out;
    out.reserve(s.size());
    for (const char16_t c : s) {
        if (c >= 0x3000 && c <= 0x30FF) {
            out += kNarrow3000[c - 0x3000][0];
            if (const char16_t second = kNarrow3000[c - 0x3000][1])
                out += second;
        } else if (c >= 0xFF00 && c <= 0xFF5F) {
            out += kNarrowFF00[c - 0xFF00];
        } else {
            out += c;
        }
    }
    s = std::move(out);
}

void ConvertKana(std::u16string& s, bool toKatakana)
{
    constexpr char16_t kOffset = 0x30A1 - 0x3041;
    const char16_t first = toKatakana ? 0x3041 : 0x30A1;
    const char16_t last = toKatakana ? 0x3096 : 0x30F6;
    for (char16_t& c : s) {
        if (c >= first && c <= last)
            c = toKatakana ? static_cast<char16_t>(c + kOffset) : static_cast<char16_t>(c - kOffset);
    }
}

void ConvertCase(std::u16string& s, bool toUpper)
{
    std::u16string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        char32_t c = s[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF)
            c = 0x10000 + ((c - 0xD800) << 10) + (s[++i] - 0xDC00);
        // Lone surrogates come back unchanged and are written back as the single unit they were.
        const char32_t mapped = toUpper ? casemap::ToUpper(c) : casemap::ToLower(c);
        if (mapped < 0x10000) {
            out += static_cast<char16_t>(mapped);
        } else {
            out += static_cast<char16_t>(0xD7C0 + (mapped >> 10));
            out += static_cast<char16_t>(0xDC00 + (mapped & 0x3FF));
        }
    }
    s = std::move(out);
}

std::u16string Convert(std::u16string_view src, TConversions conversion)
{
    using enum TConversion;
    const bool wide = conversion.Has(Wide);
    const bool narrow = conversion.Has(Narrow);

    // A code point keeps at least one of its at most two units and two units at most join into one, so a longer
    // source cannot fit.
    if (src.size() > 2 * kMaxUnits)
        return {};

    std::u16string s(src);
    if (wide)
        ToWide(s);
    if (conversion.Has(Katakana))
        ConvertKana(s, true);
    else if (conversion.Has(Hiragana))
        ConvertKana(s, false);
    if (conversion.Has(UpperCase))
        ConvertCase(s, true);
    else if (conversion.Has(LowerCase))
        ConvertCase(s, false);
    if (narrow)
        ToNarrow(s);

    if (s.size() > kMaxUnits)
        return {};
    return s;
}

} // namespace

std::u16string StrConv(std::u16string_view src, TConversions conversion)
{
    using enum TConversion;
    constexpr std::uint8_t kKnownBits = (1u << (static_cast<unsigned>(Hiragana) + 1)) - 1;
    if (src.empty() || conversion.Byte() == 0 || (conversion.Byte() & ~kKnownBits) != 0)
        return {};
    if ((conversion.Has(UpperCase) && conversion.Has(LowerCase)) || (conversion.Has(Wide) && conversion.Has(Narrow))
        || (conversion.Has(Katakana) && conversion.Has(Hiragana)))
        return {};
    try {
        return Convert(src, conversion);
    } catch (...) {
        return {};
    }
}

} // namespace plok
