#pragma once

#include "testsupport/Rng.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

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
    /// 0: patients are drawn from small lists of common names (about 800 names, as in a small clinic's month).
    /// Otherwise receipt n gets the ((n - 1) mod distinctNames)-th of as many distinct names (up to 600,000), put
    /// together from common name characters and their readings, as in a hospital's month.
    std::uint64_t distinctNames = 0;
    /// Every plantEvery-th receipt (0: none) writes one of its own identifiers again by hand, in one of the forms of
    /// Plant, taken in turn, on an SY line after its other SY lines: what an anonymised copy keeps.
    std::uint64_t plantEvery = 0;
    /// 0: every receipt's patient is made up afresh. Otherwise each receipt's patient is one of a registry of this
    /// many, drawn from a source of the patient's own: sex, name (from the small lists), birth date and chart number
    /// (10001 + the patient's index, sometimes with a branch number) are the same in every file, whatever the seed,
    /// payer and month, so that one patient shows up in both payers' files and in every month.
    std::uint64_t patients = 0;
    /// Chart numbers of six digits and a two-digit branch (746343-11), which fold to eight digits like an insurer
    /// number; some spell one of another receipt. Patients of the registry keep theirs.
    bool branchedCharts = false;
};

/// The everyday forms in which a hand-typed text repeats an identifier.
enum class Plant : std::uint8_t
{
    NameWithoutBlank, // 山田太郎様
    NameHalfWidthBlank, // 山田 太郎
    NameWithNakaguro, // 山田・太郎
    NameOtherCode, // a name whose 髙 is written with its NEC-selected code EE E0 instead of FB FC
    KanaFullWidth, // the kana name in full-width katakana, without blank
    KanaHiragana, // the given name's reading (or the whole reading) in hiragana, then さん
    NumberWithBlank, // the receipt's insurer or public payer number as a whole field with a blank before it
    NumberFullWidth, // the same number in full-width digits
    NumberOfOtherReceipt, // an eight-digit insurer or payer number of a receipt at least two before
    InsurerBeforeReceipt, // the receipt's HO record stands before its RE; its insured number goes into the SY line
    InstitutionPart, // the institution name without its legal and facility words: 青空内科より紹介
    Telephone, // the telephone number in another form: 03(1234)5678, full-width, without hyphens, with blanks
};
inline constexpr std::size_t kPlants = 12;

/// One planted identifier: where it stands, and which value of the file it repeats.
struct Planted
{
    std::uint64_t line; // in the generated file, counted from 1
    std::size_t field; // of that SY line
    Plant plant;
    std::string_view record; // the record and field of the value it repeats: "RE" 4, "HO" 1, "IR" 9...
    std::size_t recordField;
};

/// Result of one generation.
struct ClaimTotals
{
    std::uint64_t bytes = 0;
    std::uint64_t receipts = 0;
    std::uint64_t points = 0;
    bool hasGo = false;
    std::vector<Planted> planted;
};

/// Generates the whole file, handing it to `sink` in chunks of about 1 MiB; memory stays flat.
/// Throws std::invalid_argument when `month` is not five digits.
ClaimTotals GenerateClaims(const ClaimOptions& options, const std::function<void(std::string_view)>& sink);

} // namespace plok::testsupport
