#pragma once

#include <functional>
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

/// `text` laid out in lines at most `width` wide, as `measure` gives the width of each character (a code point): a line
/// that fits stays whole; a longer one is broken at the last place where Japanese text breaks between phrases that lies
/// past a third of the width (after 、。 or a closing bracket, before an opening one, after a blank or a path's
/// separator, after a particle or て where the next word begins: 「ファイルを｜開いてください」), else between
/// characters at the width. No line starts with a character that may not start one (、。」ー, small kana...).
std::u16string WrapText(
    std::u16string_view text, int width, const std::function<int(std::u16string_view character)>& measure);

/// WrapText for `columns` half-width characters, a full-width character taking two.
std::u16string WrapLines(std::u16string_view text, std::size_t columns);

/// UTF-8 for display and for file names; a lone surrogate becomes U+FFFD.
std::string ToUtf8(std::u16string_view s);
/// UTF-16 from UTF-8; an invalid sequence becomes U+FFFD.
std::u16string FromUtf8(std::string_view s);

} // namespace plok
