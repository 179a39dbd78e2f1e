#pragma once

#include <string>
#include <string_view>

/// Code page 932 (Windows-31J) without loss.
///
/// Bytes 0x00..0x7F are always the ASCII characters themselves. Every other character comes from ICU's
/// Windows-31J table. A byte that does not start a valid character decodes to the escape U+DC00 + byte
/// (a lone low surrogate, never produced by valid input), and the encoder turns such an escape back into the
/// same byte, so decode + encode of any byte string gives the same bytes, except that a character with two
/// codes (the NEC and IBM duplicates) is encoded the way Windows encodes it.
///
/// The tables are built from ICU on first use; an ICU without the Windows-31J table (a broken installation) makes
/// that first use throw plok::Error. Nothing else throws.
namespace plok::cp932 {

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
