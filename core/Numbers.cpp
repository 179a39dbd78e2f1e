#include "core/Numbers.h"

#include "core/WholeNumber.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace plok {

namespace {

bool IsDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

bool EqualsAsciiNoCase(std::u16string_view s, std::string_view upper)
{
    if (s.size() != upper.size())
        return false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        char16_t c = s[i];
        if (c >= u'a' && c <= u'z')
            c = static_cast<char16_t>(c - u'a' + u'A');
        if (c != static_cast<char16_t>(upper[i]))
            return false;
    }
    return true;
}

std::u16string Widen(std::string_view s)
{
    return std::u16string(s.begin(), s.end());
}

} // namespace

std::optional<double> TryReadFloat(std::u16string_view text, const NumberFormat& fmt)
{
    const std::size_t n = text.size();
    std::size_t i = 0;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (EqualsAsciiNoCase(text.substr(i), "INF"))
        return negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
    if (i == 0 && EqualsAsciiNoCase(text, "NAN"))
        return std::numeric_limits<double>::quiet_NaN();

    // The grammar is checked here so that from_chars only ever sees a plain ASCII number.
    std::string ascii;
    ascii.reserve(n);
    std::size_t intDigits = 0;
    std::size_t fracDigits = 0;
    std::size_t leadingZeros = 0; // zeros before the first significant digit, across the separator
    bool significant = false;
    auto takeDigits = [&](std::size_t& count) {
        for (; i < n && IsDigit(text[i]); ++i, ++count) {
            ascii += static_cast<char>(text[i]);
            if (text[i] != u'0')
                significant = true;
            else if (!significant)
                ++leadingZeros;
        }
    };
    takeDigits(intDigits);
    if (i < n && text[i] == fmt.decimalSeparator) {
        ascii += '.';
        ++i;
        takeDigits(fracDigits);
    }
    if (intDigits + fracDigits == 0)
        return std::nullopt;
    long long exponent = 0;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        ascii += 'e';
        ++i;
        bool expNegative = false;
        if (i < n && (text[i] == u'+' || text[i] == u'-')) {
            expNegative = text[i] == u'-';
            ascii += static_cast<char>(text[i]);
            ++i;
        }
        const std::size_t start = i;
        for (; i < n && IsDigit(text[i]); ++i) {
            ascii += static_cast<char>(text[i]);
            exponent = std::min(exponent * 10 + (text[i] - u'0'), 1'000'000'000LL);
        }
        if (i == start)
            return std::nullopt;
        if (expNegative)
            exponent = -exponent;
    }
    if (i != n)
        return std::nullopt;

    double value = 0;
    const char* end = ascii.data() + ascii.size();
    const auto [ptr, ec] = std::from_chars(ascii.data(), end, value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        // The decimal exponent of the first significant digit tells an overflow from an underflow.
        const long long magnitude
            = exponent + static_cast<long long>(intDigits) - 1 - static_cast<long long>(leadingZeros);
        value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (ec != std::errc() || ptr != end) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

std::int64_t IntegerPart(double value)
{
    constexpr double kTwo63 = 9223372036854775808.0;
    if (!(value >= -kTwo63 && value < kTwo63))
        return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(value);
}

std::u16string FormatInteger(std::int64_t value)
{
    char buf[24];
    const auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, value);
    return Widen(std::string_view(buf, static_cast<std::size_t>(ptr - buf)));
}

std::u16string FormatOneDecimal(double value, const NumberFormat& fmt)
{
    if (std::isnan(value))
        return u"NAN";
    if (std::isinf(value))
        return value < 0 ? u"-INF" : u"INF";

    // The shortest round-trip text in fixed notation: at most 309 integer digits or 324 fraction digits.
    char buf[400];
    const auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    std::string_view text(buf, static_cast<std::size_t>(ptr - buf));
    const bool negative = text.starts_with('-');
    if (negative)
        text.remove_prefix(1);
    const std::size_t dot = text.find('.');
    std::string digits(text.substr(0, dot));
    bool roundUp = false;
    if (dot == text.npos) {
        digits += '0';
    } else {
        digits += text[dot + 1];
        // Half away from zero on the magnitude: the second fraction digit alone decides.
        roundUp = dot + 2 < text.size() && text[dot + 2] >= '5';
    }
    if (roundUp) {
        std::size_t k = digits.size();
        while (k > 0 && digits[k - 1] == '9')
            digits[--k] = '0';
        if (k == 0)
            digits.insert(digits.begin(), '1');
        else
            ++digits[k - 1];
    }
    // Sign, at least one integer digit, the separator and one digit: never narrower than the width of three.
    std::u16string out;
    out.reserve(digits.size() + 2);
    if (negative)
        out += u'-';
    out += Widen(std::string_view(digits).substr(0, digits.size() - 1));
    out += fmt.decimalSeparator;
    out += static_cast<char16_t>(digits.back());
    return out;
}

std::optional<std::int64_t> TryReadInt64(std::u16string_view s)
{
    return detail::ReadWholeNumber<std::int64_t>(s);
}

} // namespace plok
