#pragma once

// The conversions as ICU performs them: the source of the generated tables in core/tables/ and the reference the
// tables are checked against. Linux only; nothing of the program links ICU.

#include <array>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include <unicode/stringoptions.h>
#include <unicode/translit.h>
#include <unicode/uchar.h>
#include <unicode/ucnv.h>
#include <unicode/unistr.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>

namespace plok::icuref {

// U+FFFF is a noncharacter that no code page 932 code maps to.
inline constexpr char16_t kNone = 0xFFFF;

inline bool IsLeadByte(unsigned b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

inline bool IsTrailByte(unsigned b)
{
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

/// ICU's Windows-31J table in both directions, as the program used it: bytes below 0x80 are never looked up (ICU swaps
/// 0x1A, 0x1C and 0x7F for other control characters), and among the codes of a character ICU's round-trip choice wins.
struct Cp932Tables
{
    std::array<char16_t, 256> single {}; // bytes 0x80..0xFF that are characters by themselves
    std::array<std::array<char16_t, 256>, 256> pair {}; // [lead][trail]
    std::array<std::uint16_t, 65536> encode {}; // code unit -> code (< 0x100 single byte), 0 = none
};

inline std::unique_ptr<Cp932Tables> BuildCp932()
{
    struct Closer
    {
        void operator()(UConverter* c) const { ucnv_close(c); }
    };
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UConverter, Closer> conv(ucnv_open("windows-31j", &status));
    if (U_FAILURE(status))
        throw std::runtime_error(std::string("ICU has no windows-31j converter: ") + u_errorName(status));
    ucnv_setToUCallBack(conv.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    ucnv_setFromUCallBack(conv.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);

    auto toUnicode = [&](const char* bytes, int len) -> char16_t {
        UErrorCode e = U_ZERO_ERROR;
        UChar out[4];
        ucnv_resetToUnicode(conv.get());
        const int n = ucnv_toUChars(conv.get(), out, 4, bytes, len, &e);
        return (U_SUCCESS(e) && n == 1) ? static_cast<char16_t>(out[0]) : kNone;
    };
    auto fromUnicode = [&](char16_t c) -> std::uint16_t {
        UErrorCode e = U_ZERO_ERROR;
        char out[4];
        const UChar in = c;
        ucnv_resetFromUnicode(conv.get());
        const int n = ucnv_fromUChars(conv.get(), out, 4, &in, 1, &e);
        if (U_FAILURE(e) || n < 1 || n > 2)
            return 0;
        const auto b0 = static_cast<unsigned char>(out[0]);
        return n == 1 ? b0 : static_cast<std::uint16_t>((b0 << 8) | static_cast<unsigned char>(out[1]));
    };

    auto t = std::make_unique<Cp932Tables>();
    t->single.fill(kNone);
    for (auto& row : t->pair)
        row.fill(kNone);
    for (unsigned b = 0; b < 0x80; ++b)
        t->encode[b] = static_cast<std::uint16_t>(b);
    auto addEncoding = [&](char16_t c) {
        if (c < 0x80 || t->encode[c] != 0)
            return;
        const std::uint16_t code = fromUnicode(c);
        if (code >= 0x80)
            t->encode[c] = code;
    };
    for (unsigned b = 0x80; b < 0x100; ++b) {
        if (IsLeadByte(b))
            continue;
        const char byte = static_cast<char>(b);
        const char16_t c = toUnicode(&byte, 1);
        t->single[b] = c;
        if (c != kNone)
            addEncoding(c);
    }
    for (unsigned lead = 0x81; lead < 0x100; ++lead) {
        if (!IsLeadByte(lead))
            continue;
        for (unsigned trail = 0x40; trail < 0x100; ++trail) {
            if (!IsTrailByte(trail))
                continue;
            const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            const char16_t c = toUnicode(bytes, 2);
            t->pair[lead][trail] = c;
            if (c != kNone)
                addEncoding(c);
        }
    }
    return t;
}

/// Half-width to full-width over printable ASCII and half-width katakana. Windows turns a half-width voiced mark that
/// cannot join the letter before it into the spacing U+309B/U+309C where ICU gives the combining U+3099/U+309A; the
/// global filter keeps the mending rules off marks that were already in the source.
inline constexpr char16_t kWideRules[] = u":: [\\u0020-\\u007E\\uFF61-\\uFF9F] ;"
                                         u":: Halfwidth-Fullwidth ;"
                                         u"\\u3099 > \\u309B ;"
                                         u"\\u309A > \\u309C ;";

/// Exactly the characters the wide rules produce, so that narrowing undoes widening and leaves the rest alone.
inline constexpr char16_t kNarrowRules[]
    = u":: [\\u3000-\\u3002\\u300C\\u300D\\u309B\\u309C\\u30A1-\\u30FC\\uFF01-\\uFF5E] ;"
      u":: Fullwidth-Halfwidth ;"
      u"\\u309B > \\uFF9E ;"
      u"\\u309C > \\uFF9F ;";

/// One transliterator per rule set (not thread-safe: tests and the generator use one thread).
inline std::u16string Transliterate(const char16_t* rules, std::u16string_view s)
{
    static std::unique_ptr<icu::Transliterator> wide;
    static std::unique_ptr<icu::Transliterator> narrow;
    std::unique_ptr<icu::Transliterator>& t = rules == kWideRules ? wide : narrow;
    if (!t) {
        UErrorCode status = U_ZERO_ERROR;
        UParseError parseError;
        t.reset(icu::Transliterator::createFromRules(
            icu::UnicodeString(u"plok-strconv"), icu::UnicodeString(rules), UTRANS_FORWARD, parseError, status));
        if (U_FAILURE(status) || !t)
            throw std::runtime_error("ICU rejects the width rules");
    }
    icu::UnicodeString u(s.data(), static_cast<int32_t>(s.size()));
    t->transliterate(u);
    return std::u16string(u.getBuffer(), static_cast<std::size_t>(u.length()));
}

inline std::u16string Widen(std::u16string_view s)
{
    return Transliterate(kWideRules, s);
}

inline std::u16string Narrow(std::u16string_view s)
{
    return Transliterate(kNarrowRules, s);
}

/// u_toupper or u_tolower on every code point; lone surrogates stay as they are.
inline std::u16string SimpleCase(std::u16string_view s, bool toUpper)
{
    std::u16string out;
    const auto length = static_cast<int32_t>(s.size());
    int32_t i = 0;
    while (i < length) {
        UChar32 c;
        U16_NEXT(s.data(), i, length, c);
        const UChar32 mapped = toUpper ? u_toupper(c) : u_tolower(c);
        if (U_IS_BMP(mapped)) {
            out += static_cast<char16_t>(mapped);
        } else {
            out += U16_LEAD(mapped);
            out += U16_TRAIL(mapped);
        }
    }
    return out;
}

/// Full case folding with the default options.
inline std::u16string FoldCase(std::u16string_view s)
{
    std::u16string out(s.size() * 3 + 1, u'\0');
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = u_strFoldCase(out.data(), static_cast<int32_t>(out.size()), s.data(),
        static_cast<int32_t>(s.size()), U_FOLD_CASE_DEFAULT, &status);
    if (U_FAILURE(status))
        throw std::runtime_error("u_strFoldCase failed");
    out.resize(static_cast<std::size_t>(length));
    return out;
}

} // namespace plok::icuref
