#pragma once

#include "core/Crypto.h"
#include "core/Ff1.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

/// What the strong anonymisation adds to the default one: keyed pseudonyms for chart numbers and dates kept to their
/// month. The fields it changes are listed per kind of file in the `strong` tables of claims/ClaimsLayout.h.
namespace plok::claims {

/// The clinic key's file in the settings folder (beside user.ini).
inline constexpr char kKeyFileName[] = "plok.key";

inline std::filesystem::path ClinicKeyFile(const std::filesystem::path& settingsFile)
{
    return settingsFile.parent_path() / kKeyFileName;
}

/// The pseudonyms of chart numbers under the clinic key: the same chart number gives the same pseudonym in every file
/// made with the same key, no two chart numbers share one, none is its own chart number, and nobody without the key can
/// tell the chart number from it.
class ChartPseudonyms
{
public:
    /// Throws Error when the cryptographic library cannot take the key.
    explicit ChartPseudonyms(const crypto::Key& key);

    /// Appends the pseudonym of `chart`, a chart number as code page 932 bytes without the blanks around it (nothing
    /// for an empty one).
    ///
    /// A chart number of digits (half- or full-width) is a number: leading zeros make no other patient. Its pseudonym
    /// is the next number after it in a keyed order of its class, E(E^-1(x) + 1) with E the FF1 permutation of the
    /// class (crypto::Ff1, under an AES key derived from the clinic key): the numbers below a million form one class,
    /// written with six digits; a number of k digits from seven to kMaxDigits the class from 10^(k-1) to 10^k - 1,
    /// written with k (FF1 over k digits, taken again until it leaves no leading zero). A bijection of each class
    /// without a fixed point. The pseudonym keeps the chart number's width where that is wider, with leading zeros.
    ///
    /// Any other chart number (letters, kana, symbols, a branch number, more than kMaxDigits digits) gets kTextMarker
    /// and kTextDigits digits of HMAC-SHA-256 under the clinic key, so it meets no pseudonym of digits; two of them
    /// share one with a chance of about m^2 / (2 * 10^19) among m such chart numbers.
    void Append(std::string_view chart, std::string& out);

    static constexpr std::size_t kShortest = 6;
    static constexpr std::size_t kMaxDigits = 38;
    static constexpr char kTextMarker = 'X';
    static constexpr std::size_t kTextDigits = 19;

private:
    void AppendText(std::string_view chart, std::string& out);

    crypto::HmacSha256 m_mac;
    crypto::Ff1 m_ff1;
    std::string m_message;
    std::array<std::uint16_t, kMaxDigits> m_digits {};
};

/// A short name of the clinic key that tells keys apart without telling the key: the first 32 bits of
/// HMAC-SHA-256(key, "plok key id") in hexadecimal, grouped by four ("1a2b-3c4d"). Two copies made under keys of the
/// same ID have the same pseudonyms. Never written into a copy.
std::string KeyId(const crypto::Key& key);

/// Appends the date `raw` (code page 932 bytes of a date field) kept to its month, as the strong anonymisation writes
/// it: a date of seven digits in era form (era, year, month, day: 3450712) or eight in western form (19700712), blanks
/// around it dropped, becomes the first day of its month (3450701), or the era's first day where the era began later
/// in that month (大正, 昭和 and 平成: 2010730, 3011225, 4010108). Anything else gives nothing (an empty field): what
/// is no such date cannot be kept to its month.
void AppendMonthOfDate(std::string_view raw, std::string& out);

/// True when the date fields `a` and `b` (blanks around them dropped) name the same day, each in era form (5060605) or
/// western form (20240605), as AppendMonthOfDate reads them. Anything that is no such date is no day.
bool SameDay(std::string_view a, std::string_view b);

/// The warnings for a key file others may reach (crypto::ExposureOf), each saying how to close it: one for the file,
/// one for its folder. Empty when nothing is open.
std::vector<std::u16string> KeyExposureTexts(const crypto::KeyExposure& exposure, const std::filesystem::path& file);

/// What plok-cli prints after a strong run: the key's ID and how to compare it.
std::u16string KeyIdText(const crypto::Key& key);

/// The refusal of a strong anonymisation whose key cannot be used: what is wrong with which key file, and what to do.
/// `chosenFile`: the key was named by the user (plok-cli --key), not the one in the settings folder.
std::u16string KeyRefusalText(const FileError& e, bool chosenFile);

} // namespace plok::claims
