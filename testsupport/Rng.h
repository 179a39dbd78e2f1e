#pragma once

#include <cstdint>

namespace plok::testsupport {

/// The one random source of the data generators: splitmix64, so that the same seed gives the same bytes on every
/// platform (the standard distributions differ between libraries).
class Rng
{
public:
    explicit Rng(std::uint64_t seed)
        : m_state(seed)
    { }

    std::uint64_t Next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

    /// A number in [0, n); n must not be 0. The modulo bias is irrelevant for test data.
    std::uint64_t Below(std::uint64_t n) { return Next() % n; }
    /// True with probability 1 / n.
    bool OneIn(std::uint64_t n) { return Below(n) == 0; }
    /// True with probability p / 100.
    bool Percent(unsigned p) { return Below(100) < p; }
    /// A number in [lo, hi].
    std::uint64_t Between(std::uint64_t lo, std::uint64_t hi) { return lo + Below(hi - lo + 1); }

private:
    std::uint64_t m_state;
};

} // namespace plok::testsupport
