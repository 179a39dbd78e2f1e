#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

/// Synthetic electronic claims files for the benchmarks: code page 932, CR LF line ends, the same bytes for the
/// same options on every platform.
namespace plok::bench {

enum class Payer
{
    Social,
    National
};

struct ClaimOptions
{
    Payer payer = Payer::Social;
    /// Number of receipts; when 0, receipts are added until at least `minBytes` bytes are written.
    std::uint64_t receipts = 0;
    std::uint64_t minBytes = 0;
    std::uint64_t seed = 1;
    /// Billing month in era form (era digit, two-digit year, two-digit month), e.g. "50605".
    std::string month = "50605";
    /// Appends the 0x1A end-of-file byte.
    bool eof = false;
};

/// Result of one generation.
struct ClaimTotals
{
    std::uint64_t bytes = 0;
    std::uint64_t receipts = 0;
    std::uint64_t points = 0;
    bool hasGo = false;
};

/// Generates the whole file, handing it to `sink` in chunks of about 1 MiB; memory stays flat.
/// Throws std::invalid_argument when `month` is not five digits.
ClaimTotals GenerateClaims(const ClaimOptions& options, const std::function<void(std::string_view)>& sink);

/// Deterministic 64-bit generator (splitmix64); portable, unlike the standard distributions.
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
    /// A number in [lo, hi].
    std::uint64_t Between(std::uint64_t lo, std::uint64_t hi) { return lo + Below(hi - lo + 1); }

private:
    std::uint64_t m_state;
};

} // namespace plok::bench
