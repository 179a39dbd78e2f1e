// Number reading and writing, against plain references: TryReadFloat against the C library's strtod on the same
// grammar, TryReadInt64 and StrToIntDef against a reading in 128 bits, FormatOneDecimal against the value it writes.
#include "FuzzSupport.h"
#include "core/Cp932.h"
#include "core/Numbers.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

using namespace plok;

namespace {

__extension__ typedef __int128 Int128;

bool IsDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

/// The float grammar checked the plain way; the ASCII text for strtod when `text` is a number.
std::optional<std::string> FloatText(std::u16string_view t)
{
    std::string ascii;
    std::size_t i = 0;
    auto take = [&](auto pred) {
        std::size_t count = 0;
        for (; i < t.size() && pred(t[i]); ++i, ++count)
            ascii += static_cast<char>(t[i]);
        return count;
    };
    take([&](char16_t c) { return i == 0 && (c == u'+' || c == u'-'); });
    std::size_t digits = take(IsDigit);
    if (i < t.size() && t[i] == u'.') {
        ascii += '.';
        ++i;
        digits += take(IsDigit);
    }
    if (digits == 0)
        return std::nullopt;
    if (i < t.size() && (t[i] == u'e' || t[i] == u'E')) {
        ascii += 'e';
        ++i;
        const std::size_t at = i;
        take([&](char16_t c) { return i == at && (c == u'+' || c == u'-'); });
        if (take(IsDigit) == 0)
            return std::nullopt;
    }
    if (i != t.size())
        return std::nullopt;
    return ascii;
}

std::string Upper(std::u16string_view t)
{
    std::string s;
    for (char16_t c : t)
        s += c >= u'a' && c <= u'z' ? static_cast<char>(c - 32) : c < 0x80 ? static_cast<char>(c) : '?';
    return s;
}

void CheckFloat(std::u16string_view t)
{
    const std::optional<double> got = TryReadFloat(t);
    const std::string upper = Upper(t);
    if (upper == "NAN") {
        FUZZ_CHECK(got && std::isnan(*got));
        return;
    }
    if (upper == "INF" || upper == "+INF" || upper == "-INF") {
        FUZZ_CHECK(got && std::isinf(*got) && std::signbit(*got) == (upper[0] == '-'));
        return;
    }
    const std::optional<std::string> ascii = FloatText(t);
    FUZZ_CHECK(got.has_value() == ascii.has_value());
    if (!got)
        return;
    const double want = std::strtod(ascii->c_str(), nullptr);
    FUZZ_CHECK(std::memcmp(&want, &*got, sizeof want) == 0);
}

/// The whole-number grammar read in 128 bits: blanks, a sign, then decimal digits within the signed range of `bits`,
/// or a hexadecimal prefix and digits naming at most `bits` bits.
std::optional<Int128> WholeNumber(std::u16string_view s, int bits)
{
    std::size_t i = s.find_first_not_of(u' ');
    if (i == s.npos)
        return std::nullopt;
    const bool negative = s[i] == u'-';
    if (s[i] == u'-' || s[i] == u'+')
        ++i;
    std::size_t base = 10;
    if (s.substr(i).starts_with(u"0x") || s.substr(i).starts_with(u"0X")) {
        base = 16;
        i += 2;
    } else if (i < s.size() && (s[i] == u'$' || s[i] == u'x' || s[i] == u'X')) {
        base = 16;
        ++i;
    }
    if (i == s.size())
        return std::nullopt;
    Int128 value = 0;
    for (; i < s.size(); ++i) {
        const char16_t c = s[i];
        int digit = 16;
        if (IsDigit(c))
            digit = c - u'0';
        else if (base == 16 && c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (base == 16 && c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        if (digit >= static_cast<int>(base))
            return std::nullopt;
        value = value * static_cast<int>(base) + digit;
        if (value > (Int128(1) << bits))
            return std::nullopt;
    }
    const Int128 half = Int128(1) << (bits - 1);
    if (base == 10) {
        if (value > (negative ? half : half - 1))
            return std::nullopt;
        return negative ? -value : value;
    }
    if (value >= (Int128(1) << bits))
        return std::nullopt;
    // A bit pattern: two's complement of the width, then negated by a sign.
    Int128 pattern = value >= half ? value - (Int128(1) << bits) : value;
    if (negative)
        pattern = pattern == -half ? -half : -pattern;
    return pattern;
}

void CheckWhole(std::u16string_view t)
{
    const std::optional<Int128> want64 = WholeNumber(t, 64);
    const std::optional<std::int64_t> got64 = TryReadInt64(t);
    FUZZ_CHECK(got64.has_value() == want64.has_value());
    if (got64)
        FUZZ_CHECK(*got64 == *want64);
    const std::optional<Int128> want32 = WholeNumber(t, 32);
    FUZZ_CHECK(StrToIntDef(t, 7) == (want32 ? static_cast<int>(*want32) : 7));
}

void CheckFormat(double v)
{
    const std::string out = ToUtf8(FormatOneDecimal(v));
    if (std::isnan(v) || std::isinf(v)) {
        FUZZ_CHECK(out == (std::isnan(v) ? "NAN" : v < 0 ? "-INF" : "INF"));
        return;
    }
    // One digit after the point, at least one before it, a sign only for negative values.
    const std::size_t dot = out.find('.');
    FUZZ_CHECK(dot != out.npos && dot + 2 == out.size() && out.size() >= 3);
    const std::size_t digits = out[0] == '-' ? 1 : 0;
    FUZZ_CHECK(dot > digits && (digits == 1) == std::signbit(v));
    FUZZ_CHECK(std::strspn(out.c_str() + digits, "0123456789") == dot - digits && IsDigit(out.back()));
    FUZZ_CHECK(dot - digits == 1 || out[digits] != '0');
    // Within half a tenth of the value, measured on the shortest text of the value.
    char shortest[64];
    const auto [end, ec] = std::to_chars(shortest, shortest + sizeof shortest, v);
    *end = '\0';
    const long double exact = std::strtold(shortest, nullptr);
    const long double written = std::strtold(out.c_str(), nullptr);
    FUZZ_CHECK(std::fabs(written - exact) <= 0.05L * (1 + 1e-12L) + std::fabs(exact) * 1e-15L);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes = fuzz::AsBytes(data, size);
    const std::u16string text = cp932::Decode(bytes);
    CheckFloat(text);
    CheckWhole(text);
    if (const std::optional<double> v = TryReadFloat(text))
        CheckFormat(*v);
    if (size >= 8) {
        double v;
        std::memcpy(&v, data, sizeof v);
        CheckFormat(v);
    }
    return 0;
}
