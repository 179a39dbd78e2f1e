#pragma once

#include <cstddef>
#include <string>
#include <string_view>

/// Code page 932 (Windows-31J) without loss.
///
/// Bytes 0x00..0x7F are always the ASCII characters themselves. Every other character comes from the Windows-31J
/// table as ICU defines it (generated into core/tables/Cp932Table.inc), the same on every system. A byte that does not
/// start a valid character decodes to the escape U+DC00 + byte (a lone low surrogate, never produced by valid input),
/// and the encoder turns such an escape back into the same byte, so decode + encode of any byte string gives the same
/// bytes, except that a character with two codes (the NEC and IBM duplicates) is encoded the way Windows encodes it.
/// Nothing here throws.
namespace plok::cp932 {

/// The escapes of bytes that start no character: U+DC80..U+DCFF, the escape base plus the byte.
inline constexpr char16_t kEscapeBase = 0xDC00;

constexpr bool IsByteEscape(char16_t unit)
{
    return unit >= kEscapeBase + 0x80 && unit <= kEscapeBase + 0xFF;
}

/// A byte that starts a two-byte character when a trail byte follows it.
constexpr bool IsLeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

/// A byte that may end a two-byte character. Never below 0x40, so commas, quotes, tabs, CR and LF are always
/// themselves in the raw bytes.
constexpr bool IsTrailByte(unsigned char b)
{
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

/// The length in bytes (1 or 2) of the character at `i` of `s` as the decoder frames it: a lead byte with a trail
/// byte after it is one character's bytes, assigned or not. `i` must be inside `s`.
constexpr std::size_t CharLength(std::string_view s, std::size_t i)
{
    return IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()
            && IsTrailByte(static_cast<unsigned char>(s[i + 1]))
        ? 2
        : 1;
}

/// Appends the decoded text of `bytes` to `out`.
void DecodeAppend(std::string_view bytes, std::u16string& out);
std::u16string Decode(std::string_view bytes);

/// Appends the code page 932 bytes of `text` to `out`; a character the code page cannot hold is written as "?"
/// (one per code point).
void EncodeAppend(std::u16string_view text, std::string& out);
std::string Encode(std::u16string_view text);

/// True when every character of `text` has a code page 932 code (escapes count as representable).
bool CanEncode(std::u16string_view text);

} // namespace plok::cp932
