#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace plok {

/// The regional number settings used for reading and writing numbers. Japanese systems use ".".
struct NumberFormat
{
    char16_t decimalSeparator = u'.';
};

/// Reads the whole of `text` as a number: an optional sign, digits with at most one decimal separator (at least
/// one digit before or after it), then optionally an exponent (E or e, an optional sign, at least one digit).
/// NAN, INF, +INF and -INF in any letter case also read. Nothing else may stand in the text: no blanks, no
/// thousands separators. The result is correctly rounded; a magnitude too large for a double reads as an
/// infinity, one too small as zero of the same sign. Returns nothing when the text is no number. Never throws.
std::optional<double> TryReadFloat(std::u16string_view text, const NumberFormat& fmt = {});

/// The number truncated toward zero as a signed 64-bit integer; a value outside that range, an infinity or NaN
/// gives INT64_MIN.
std::int64_t IntegerPart(double value);

/// `value` in decimal digits, with a leading "-" when negative.
std::u16string FormatInteger(std::int64_t value);

/// The one-decimal form ("%3.1f"): fixed notation with exactly one digit after the separator, at least three
/// characters wide (blanks on the left). The rounding works on the shortest decimal text that reads back as
/// `value`, half away from zero: 65.25 and 0.15 give 65.3 and 0.2, -0.25 gives -0.3. A negative value that
/// rounds to zero keeps its sign ("-0.0"). NaN and the infinities are written NAN, INF and -INF.
std::u16string FormatOneDecimal(double value, const NumberFormat& fmt = {});

/// Reads `text` as a signed 64-bit integer: any number of leading U+0020 blanks, an optional "+" or "-", then
/// decimal digits, or hexadecimal digits after one of "$", "x", "X", "0x", "0X". Nothing may follow. Decimal
/// values outside the signed 64-bit range are no integer; hexadecimal digits name a 64-bit pattern (at most 64
/// significant bits, two's complement) which a "-" negates. Returns nothing when the text is no integer.
std::optional<std::int64_t> TryReadInt64(std::u16string_view text);

} // namespace plok
