#include "core/StrConv.h"

#include <memory>

#include <unicode/translit.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf16.h>

namespace plok {

namespace {

// The Windows call this stands in for works in a buffer of this many code units and fails when it is too small.
constexpr std::size_t kMaxUnits = 1024;

// Windows turns a half-width voiced mark that cannot join the letter before it into the spacing U+309B/U+309C;
// ICU gives the combining U+3099/U+309A. The global filter keeps the mending rules off marks that were already in
// the source.
constexpr char16_t kWideRules[] = u":: [\\u0020-\\u007E\\uFF61-\\uFF9F] ;"
                                  u":: Halfwidth-Fullwidth ;"
                                  u"\\u3099 > \\u309B ;"
                                  u"\\u309A > \\u309C ;";

// Exactly the characters the wide rules produce, so that narrowing undoes widening and leaves the rest alone
// (ICU alone would also narrow U+FFE0, hangul and the combining marks, and keep U+309B/U+309C).
constexpr char16_t kNarrowRules[] = u":: [\\u3000-\\u3002\\u300C\\u300D\\u309B\\u309C\\u30A1-\\u30FC\\uFF01-\\uFF5E] ;"
                                    u":: Fullwidth-Halfwidth ;"
                                    u"\\u309B > \\uFF9E ;"
                                    u"\\u309C > \\uFF9F ;";

std::unique_ptr<icu::Transliterator> FromRules(const char16_t* rules)
{
    UErrorCode status = U_ZERO_ERROR;
    UParseError parseError;
    std::unique_ptr<icu::Transliterator> t(icu::Transliterator::createFromRules(
        icu::UnicodeString(u"plok-strconv"), icu::UnicodeString(rules), UTRANS_FORWARD, parseError, status));
    if (U_FAILURE(status))
        return nullptr;
    return t;
}

std::unique_ptr<icu::Transliterator> Clone(const icu::Transliterator* prototype)
{
    return std::unique_ptr<icu::Transliterator>(prototype ? prototype->clone() : nullptr);
}

// Parsing the rules is costly, so each set is built once; a transliterator is not safe to share between threads,
// so every thread works on its own clone.
icu::Transliterator* WideTransliterator()
{
    static const std::unique_ptr<icu::Transliterator> prototype = FromRules(kWideRules);
    thread_local const std::unique_ptr<icu::Transliterator> t = Clone(prototype.get());
    return t.get();
}

icu::Transliterator* NarrowTransliterator()
{
    static const std::unique_ptr<icu::Transliterator> prototype = FromRules(kNarrowRules);
    thread_local const std::unique_ptr<icu::Transliterator> t = Clone(prototype.get());
    return t.get();
}

bool Transliterate(icu::Transliterator* t, std::u16string& s)
{
    if (!t)
        return false;
    icu::UnicodeString u(s.data(), static_cast<int32_t>(s.size()));
    t->transliterate(u);
    if (u.isBogus())
        return false;
    s.assign(u.getBuffer(), static_cast<std::size_t>(u.length()));
    return true;
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
    const auto length = static_cast<int32_t>(s.size());
    int32_t i = 0;
    while (i < length) {
        UChar32 c;
        U16_NEXT(s.data(), i, length, c);
        // Lone surrogates come back unchanged and are written back as the single unit they were.
        const UChar32 mapped = toUpper ? u_toupper(c) : u_tolower(c);
        if (U_IS_BMP(mapped)) {
            out += static_cast<char16_t>(mapped);
        } else {
            out += U16_LEAD(mapped);
            out += U16_TRAIL(mapped);
        }
    }
    s = std::move(out);
}

bool IsPrintableAscii(std::u16string_view s)
{
    for (char16_t c : s) {
        if (c < 0x20 || c > 0x7E)
            return false;
    }
    return true;
}

std::u16string WidenAscii(std::u16string_view s)
{
    std::u16string out(s.size(), u'\0');
    for (std::size_t i = 0; i < s.size(); ++i)
        out[i] = s[i] == u' ' ? u'\u3000' : static_cast<char16_t>(s[i] + (0xFF01 - 0x21));
    return out;
}

std::u16string Convert(std::u16string_view src, TConversions conversion)
{
    using enum TConversion;
    const bool wide = conversion.Has(Wide);
    const bool narrow = conversion.Has(Narrow);

    if (conversion.Byte() == TConversions {Wide}.Byte() && IsPrintableAscii(src))
        return src.size() <= kMaxUnits ? WidenAscii(src) : std::u16string();

    // A code point keeps at least one of its at most two units and two units at most join into one, so a longer
    // source cannot fit.
    if (src.size() > 2 * kMaxUnits)
        return {};

    std::u16string s(src);
    if (wide && !Transliterate(WideTransliterator(), s))
        return {};
    if (conversion.Has(Katakana))
        ConvertKana(s, true);
    else if (conversion.Has(Hiragana))
        ConvertKana(s, false);
    if (conversion.Has(UpperCase))
        ConvertCase(s, true);
    else if (conversion.Has(LowerCase))
        ConvertCase(s, false);
    if (narrow && !Transliterate(NarrowTransliterator(), s))
        return {};

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
