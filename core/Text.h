#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace plok {

/// A line of text as the jobs see it: UTF-16 code units.
using Line = std::u16string;
/// The fields of one line, index 0 first.
using FieldList = std::vector<std::u16string>;

/// True for the characters trimming removes and the comma-text rules treat as blanks: U+0000..U+0020.
template<class CharT>
constexpr bool IsTrimChar(CharT c)
{
    return static_cast<std::make_unsigned_t<CharT>>(c) <= 0x20;
}

/// Removes U+0000..U+0020 at both ends and nothing inside (U+3000 stays). Works on UTF-16 text and on code page
/// 932 bytes alike, since no multi-byte character contains a byte below 0x40.
template<class CharT>
std::basic_string_view<CharT> TrimView(std::basic_string_view<CharT> s)
{
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && IsTrimChar(s[b]))
        ++b;
    while (e > b && IsTrimChar(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

inline std::u16string Trim(std::u16string_view s)
{
    return std::u16string(TrimView(s));
}

/// A text is blank when it is empty after trimming.
inline bool IsBlank(std::u16string_view s)
{
    return TrimView(s).empty();
}

/// The whole-number reading: optional U+0020 blanks, an optional sign, then decimal digits within the signed
/// 32-bit range or one of the prefixes "$", "0x", "0X", "x", "X" with hexadecimal digits (up to 32 bits, taken as
/// two's complement). Anything else, the empty text included, gives `def`. Never throws.
int StrToIntDef(std::u16string_view s, int def);

/// `value` in decimal digits, with "-" when negative.
std::u16string IntToStr(int value);

/// `text` laid out for a message box `columns` half-width characters wide (a full-width character takes two): a line
/// that fits stays whole; a longer one is broken after the last 、 or 。 that keeps its first part within the width and
/// past half of it, else at the width; never so that a line starts with 、。」） or holds a single character besides
/// them (as a box left to break Japanese anywhere would, leaving 「す。」 alone below its line).
std::u16string WrapLines(std::u16string_view text, std::size_t columns);

/// UTF-8 for display and for file names; a lone surrogate becomes U+FFFD.
std::string ToUtf8(std::u16string_view s);
/// UTF-16 from UTF-8; an invalid sequence becomes U+FFFD.
std::u16string FromUtf8(std::string_view s);

} // namespace plok
