#pragma once

#include "testsupport/Rng.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

/// Synthetic electronic claims files for the tests, the fuzz seeds and the benchmarks: code page 932, CR LF line ends,
/// the same bytes for the same options on every platform.
namespace plok::testsupport {

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

} // namespace plok::testsupport
