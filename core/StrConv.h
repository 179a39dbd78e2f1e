#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace plok {

enum class TConversion : std::uint8_t
{
    UpperCase,
    LowerCase,
    Wide,
    Narrow,
    Katakana,
    Hiragana,
};

/// A set of TConversion in one byte, member n at bit n (Wide alone is 4).
class TConversions
{
public:
    constexpr TConversions() = default;
    constexpr TConversions(std::initializer_list<TConversion> members)
    {
        for (TConversion m : members)
            m_bits = static_cast<std::uint8_t>(m_bits | (1u << static_cast<unsigned>(m)));
    }
    static constexpr TConversions FromByte(std::uint8_t bits)
    {
        TConversions c;
        c.m_bits = bits;
        return c;
    }
    constexpr bool Has(TConversion m) const { return (m_bits >> static_cast<unsigned>(m)) & 1u; }
    constexpr std::uint8_t Byte() const { return m_bits; }

private:
    std::uint8_t m_bits = 0;
};

/// Converts `src` between upper and lower case, half-width and full-width forms, hiragana and katakana.
/// Returns an empty text when `src` is empty, when the set is empty or holds a rejected pair (UpperCase with
/// LowerCase, Wide with Narrow, Katakana with Hiragana, or a bit beyond Hiragana), or when the result would
/// need more than 1024 code units. Never throws.
/// With Wide, the width changes first, then kana, then case (half-width "ｶ" with Wide and Hiragana gives "か");
/// otherwise kana and case change before the width (with Narrow and Katakana, "か" gives "ｶ").
std::u16string StrConv(std::u16string_view src, TConversions conversion);

} // namespace plok
