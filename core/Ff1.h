#pragma once

#include "core/Crypto.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace plok::crypto {

/// FF1 format-preserving encryption (NIST SP 800-38G) over AES: for each length n, a keyed permutation of the strings
/// of n numerals of one radix, and its inverse. The AES comes from the system's library (Aes); the mode is written here
/// and proven by NIST's published samples.
///
/// Lengths run from the standard's least domain (radix^n at least a million) to where half a string no longer fits in
/// 64 bits (radix^ceil(n/2) below 2^64: 38 decimal digits). Every length's fixed blocks (P, and the tweak's blocks of
/// Q) are enciphered once here, so a round costs one AES block. Where a half has few values (radix^ceil(n/2) up to
/// kMemoHalf: up to eight decimal digits), a round's value depends on so few inputs that each is enciphered once and
/// kept (at most 200 KiB for a length, allocated on its first string, small enough to stay in the processor's cache):
/// a run over a month's chart numbers then costs table look-ups, not AES blocks. Larger tables would not pay: looked
/// up at random from memory, they cost more than the AES.
class Ff1
{
public:
    /// Under the AES key `key` (16, 24 or 32 bytes), for numerals below `radix` (2 to 65536), with `tweak` for every
    /// string. Throws Error as Aes does; std::invalid_argument for a radix out of range.
    Ff1(std::span<const std::uint8_t> key, unsigned radix, std::span<const std::uint8_t> tweak = {});

    static constexpr std::uint64_t kMemoHalf = 10000;

    std::size_t MinLength() const { return m_minLength; }
    std::size_t MaxLength() const { return m_minLength + m_lengths.size() - 1; }

    /// Enciphers (deciphers) `numerals` in place. Throws std::invalid_argument when their number is out of
    /// MinLength()..MaxLength() or a numeral is not below the radix.
    void Encrypt(std::span<std::uint16_t> numerals);
    void Decrypt(std::span<std::uint16_t> numerals);

private:
    /// What FF1 fixes for strings of one length n = u + v.
    struct Length
    {
        std::size_t u;
        std::size_t v;
        std::uint64_t modU; // radix^u
        std::uint64_t modV; // radix^v
        std::size_t b; // bytes of NUM(B) in Q
        std::size_t d; // bytes of S taken as y
        Aes::Block last; // the CBC-MAC state before Q's last block, xored with that block's fixed bytes
        bool memo; // radix^v is at most kMemoHalf
        std::vector<std::uint16_t> known; // the round values met so far, UINT16_MAX for the others
        std::array<std::size_t, 10> at; // where each round's values begin in `known`
    };

    void Run(std::span<std::uint16_t> numerals, bool decrypt);
    /// NUM(S) mod `mod` (radix^m) of round `round` for strings of `length` whose half in Q is `half`.
    std::uint64_t Encipher(const Length& length, unsigned round, std::uint64_t half, std::uint64_t mod) const;

    Aes m_aes;
    unsigned m_radix;
    std::size_t m_minLength = 0;
    std::vector<Length> m_lengths;
};

} // namespace plok::crypto
