#pragma once

#include <limits>
#include <optional>
#include <string_view>
#include <type_traits>

namespace plok::detail {

/// The whole-number grammar shared by the 32-bit reading and the 64-bit chart-number reading: U+0020 blanks, an
/// optional sign, then decimal digits within the range of `Signed`, or one of the prefixes "$", "0x", "0X", "x", "X"
/// with hexadecimal digits naming a bit pattern of that width (which a sign negates). Nothing may follow.
template<class Signed>
std::optional<Signed> ReadWholeNumber(std::u16string_view s)
{
    using Unsigned = std::make_unsigned_t<Signed>;
    std::size_t i = 0;
    while (i < s.size() && s[i] == u' ')
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) {
        negative = s[i] == u'-';
        ++i;
    }
    bool hex = false;
    if (i < s.size() && (s[i] == u'$' || s[i] == u'x' || s[i] == u'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < s.size() && s[i] == u'0' && (s[i + 1] == u'x' || s[i + 1] == u'X')) {
        hex = true;
        i += 2;
    }
    if (i == s.size())
        return std::nullopt;

    Unsigned value = 0;
    if (hex) {
        for (; i < s.size(); ++i) {
            const char16_t c = s[i];
            unsigned digit;
            if (c >= u'0' && c <= u'9')
                digit = c - u'0';
            else if (c >= u'a' && c <= u'f')
                digit = c - u'a' + 10;
            else if (c >= u'A' && c <= u'F')
                digit = c - u'A' + 10;
            else
                return std::nullopt;
            if (value > (std::numeric_limits<Unsigned>::max() >> 4))
                return std::nullopt;
            value = static_cast<Unsigned>(value * 16 + digit);
        }
        return static_cast<Signed>(negative ? static_cast<Unsigned>(0 - value) : value);
    }

    const Unsigned limit
        = negative ? Unsigned(std::numeric_limits<Signed>::max()) + 1 : Unsigned(std::numeric_limits<Signed>::max());
    for (; i < s.size(); ++i) {
        const char16_t c = s[i];
        if (c < u'0' || c > u'9')
            return std::nullopt;
        const unsigned digit = c - u'0';
        if (value > (limit - digit) / 10)
            return std::nullopt;
        value = static_cast<Unsigned>(value * 10 + digit);
    }
    return static_cast<Signed>(negative ? static_cast<Unsigned>(0 - value) : value);
}

} // namespace plok::detail
