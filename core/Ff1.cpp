#include "core/Ff1.h"

#include <algorithm>
#include <bit>
#include <stdexcept>

namespace plok::crypto {

namespace {

__extension__ typedef unsigned __int128 Uint128;

constexpr std::uint64_t kLeastDomain = 1000000;
constexpr std::uint16_t kUnknown = UINT16_MAX;

/// radix^n, or 0 when it does not fit in 64 bits.
std::uint64_t Power(std::uint64_t radix, std::size_t n)
{
    std::uint64_t p = 1;
    for (std::size_t i = 0; i < n; ++i) {
        if (p > UINT64_MAX / radix)
            return 0;
        p *= radix;
    }
    return p;
}

std::uint64_t Num(std::span<const std::uint16_t> x, unsigned radix)
{
    std::uint64_t n = 0;
    for (const std::uint16_t digit : x)
        n = n * radix + digit;
    return n;
}

void Str(std::uint64_t n, unsigned radix, std::span<std::uint16_t> out)
{
    // Decimal digits, the one radix used for more than tests, by a division the compiler turns into a multiplication.
    if (radix == 10) {
        for (std::size_t i = out.size(); i-- > 0; n /= 10)
            out[i] = static_cast<std::uint16_t>(n % 10);
        return;
    }
    for (std::size_t i = out.size(); i-- > 0; n /= radix)
        out[i] = static_cast<std::uint16_t>(n % radix);
}

void Xor(Aes::Block& block, std::span<const std::uint8_t> bytes, std::size_t at)
{
    for (std::size_t i = 0; i < bytes.size(); ++i)
        block[at + i] ^= bytes[i];
}

} // namespace

Ff1::Ff1(std::span<const std::uint8_t> key, unsigned radix, std::span<const std::uint8_t> tweak)
    : m_aes(key)
    , m_radix(radix)
{
    if (radix < 2 || radix > 65536)
        throw std::invalid_argument("FF1: radix out of range");
    std::size_t n = 2;
    while (Power(radix, n) == 0 || Power(radix, n) < kLeastDomain)
        ++n;
    m_minLength = n;
    const std::uint64_t t = tweak.size();
    for (;; ++n) {
        const std::size_t u = n / 2;
        const std::size_t v = n - u;
        const std::uint64_t modV = Power(radix, v);
        if (modV == 0)
            break;
        Length length {u, v, Power(radix, u), modV, 0, 0, {}, modV <= kMemoHalf, {}, {}};
        // Even rounds put a half of v numerals into Q, odd rounds one of u: their values, round by round.
        for (unsigned round = 0; round < 10; ++round)
            length.at[round] = round % 2 == 0 ? round / 2 * modV : 5 * modV + round / 2 * length.modU;
        // b = ceil(ceil(v * log2(radix)) / 8): the bits of radix^v - 1, which the floating point of a logarithm
        // could miss by one where radix is a power of two.
        length.b = (static_cast<std::size_t>(std::bit_width(modV - 1)) + 7) / 8;
        length.d = 4 * ((length.b + 3) / 4) + 4;

        const Aes::Block p = {1, 2, 1, static_cast<std::uint8_t>(radix >> 16), static_cast<std::uint8_t>(radix >> 8),
            static_cast<std::uint8_t>(radix), 10, static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(n >> 24),
            static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n),
            static_cast<std::uint8_t>(t >> 24), static_cast<std::uint8_t>(t >> 16), static_cast<std::uint8_t>(t >> 8),
            static_cast<std::uint8_t>(t)};
        // Q = T, zeros to a whole number of blocks, the round, NUM(B): only its last block changes between rounds.
        const std::size_t qSize = (t + length.b + 1 + 15) / 16 * 16;
        std::vector<std::uint8_t> q(qSize - 1 - length.b, 0);
        std::copy(tweak.begin(), tweak.end(), q.begin());
        Aes::Block chain = m_aes.Encrypt(p);
        const std::size_t fixedBlocks = (qSize - 16) / 16;
        for (std::size_t block = 0; block < fixedBlocks; ++block) {
            Xor(chain, std::span(q).subspan(16 * block, 16), 0);
            chain = m_aes.Encrypt(chain);
        }
        Xor(chain, std::span(q).subspan(16 * fixedBlocks), 0);
        length.last = chain;
        m_lengths.push_back(length);
    }
}

std::uint64_t Ff1::Encipher(const Length& length, unsigned round, std::uint64_t half, std::uint64_t mod) const
{
    Aes::Block block = length.last;
    block[15 - length.b] ^= static_cast<std::uint8_t>(round);
    for (std::size_t i = 0; i < length.b; ++i)
        block[15 - i] ^= static_cast<std::uint8_t>(half >> (8 * i));
    const Aes::Block r = m_aes.Encrypt(block);
    // S is the first d bytes of R, and d is 8 or 12 here (b is at most 8): S never needs the blocks FF1 adds beyond R.
    // Loops of a fixed count, which the compiler makes one load of a big-endian word.
    std::uint64_t high = 0;
    for (std::size_t i = 0; i < 8; ++i)
        high = (high << 8) | r[i];
    if (length.d == 8)
        return high % mod;
    std::uint32_t low = 0;
    for (std::size_t i = 8; i < 12; ++i)
        low = (low << 8) | r[i];
    return static_cast<std::uint64_t>(((Uint128(high) << 32) | low) % mod);
}

void Ff1::Run(std::span<std::uint16_t> numerals, bool decrypt)
{
    const std::size_t n = numerals.size();
    if (n < MinLength() || n > MaxLength())
        throw std::invalid_argument("FF1: length out of range");
    for (const std::uint16_t digit : numerals)
        if (digit >= m_radix)
            throw std::invalid_argument("FF1: numeral out of range");
    Length& length = m_lengths[n - m_minLength];
    std::uint64_t a = Num(numerals.first(length.u), m_radix);
    std::uint64_t b = Num(numerals.subspan(length.u), m_radix);
    // Whether a round subtracts mod is a coin toss: masks keep a mispredicted branch out of the chain of rounds.
    const auto mask = [](bool take) { return -static_cast<std::uint64_t>(take); };
    const auto rounds = [&](auto value) {
        for (unsigned i = 0; i < 10; ++i) {
            const unsigned round = decrypt ? 9 - i : i;
            const std::uint64_t mod = round % 2 == 0 ? length.modU : length.modV;
            if (!decrypt) {
                // a + y passes 2^64 only where mod is above 2^63; the wrapped sum minus mod is still right.
                const std::uint64_t sum = a + value(round, b, mod);
                const std::uint64_t c = sum - (mod & mask((sum < a) | (sum >= mod)));
                a = b;
                b = c;
            } else {
                const std::uint64_t y = value(round, a, mod);
                const std::uint64_t c = b - y + (mod & mask(b < y));
                b = a;
                a = c;
            }
        }
    };
    if (!length.memo) {
        rounds(
            [&](unsigned round, std::uint64_t half, std::uint64_t mod) { return Encipher(length, round, half, mod); });
    } else {
        if (length.known.empty())
            length.known.assign(5 * (length.modV + length.modU), kUnknown);
        std::uint16_t* const known = length.known.data();
        const std::array<std::size_t, 10> at = length.at;
        rounds([&](unsigned round, std::uint64_t half, std::uint64_t mod) -> std::uint64_t {
            std::uint16_t& y = known[at[round] + half];
            if (y == kUnknown) [[unlikely]]
                y = static_cast<std::uint16_t>(Encipher(length, round, half, mod));
            return y;
        });
    }
    Str(a, m_radix, numerals.first(length.u));
    Str(b, m_radix, numerals.subspan(length.u));
}

void Ff1::Encrypt(std::span<std::uint16_t> numerals)
{
    Run(numerals, false);
}

void Ff1::Decrypt(std::span<std::uint16_t> numerals)
{
    Run(numerals, true);
}

} // namespace plok::crypto
