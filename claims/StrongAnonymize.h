#pragma once

#include "core/Crypto.h"

#include <filesystem>
#include <string>
#include <string_view>

/// What the strong anonymisation adds to the default one: keyed pseudonyms for chart numbers and dates kept to their
/// month. The fields it changes are listed in kStrongFields (claims/AnonymizeRules.h).
namespace plok::claims {

/// The clinic key's file in the settings folder (beside user.ini).
inline constexpr char kKeyFileName[] = "plok.key";

inline std::filesystem::path ClinicKeyFile(const std::filesystem::path& settingsFile)
{
    return settingsFile.parent_path() / kKeyFileName;
}

/// The pseudonyms of chart numbers under the clinic key: the same chart number gives the same pseudonym in every file
/// made with the same key, and nobody without the key can tell the chart number from it.
class ChartPseudonyms
{
public:
    /// Throws Error when the cryptographic library cannot take the key.
    explicit ChartPseudonyms(const crypto::Key& key);

    /// Appends the pseudonym of `chart`, a chart number as code page 932 bytes without the blanks around it: as many
    /// digits as `chart` has characters (none for an empty one), never the chart number's own digits.
    ///
    /// The digits come from HMAC-SHA-256 under the key of a fixed label, a four-byte block counter and `chart`: block
    /// 0, 1, 2... in turn, each byte below 250 giving one digit (its value mod 10; the bytes 250..255 are passed over,
    /// so that every digit is equally likely). When the digits spell the chart number itself (a chart number of digits,
    /// half- or full-width), the next digits are taken instead.
    void Append(std::string_view chart, std::string& out);

private:
    crypto::HmacSha256 m_mac;
    std::string m_message;
};

/// Appends the date `raw` (code page 932 bytes of a date field) kept to its month, as the strong anonymisation writes
/// it: a date of seven digits in era form (era, year, month, day: 3450712) or eight in western form (19700712), blanks
/// around it dropped, becomes the first day of its month (3450701), or the era's first day where the era began later
/// in that month (大正, 昭和 and 平成: 2010730, 3011225, 4010108). Anything else gives nothing (an empty field): what
/// is no such date cannot be kept to its month.
void AppendMonthOfDate(std::string_view raw, std::string& out);

/// The refusal of a strong anonymisation whose key cannot be used: what is wrong with which key file, and what to do.
/// `chosenFile`: the key was named by the user (plok-cli --key), not the one in the settings folder.
std::u16string KeyRefusalText(const FileError& e, bool chosenFile);

} // namespace plok::claims
