#pragma once

#include "claims/ClaimsLayout.h"
#include "core/Errors.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

/// The proof that an anonymised copy carries none of its original's identifiers: hand-typed text outside the records
/// the anonymisation rewrites (a disease name, a comment in another record) can still hold a patient's name.
namespace plok::claims {

struct AuditFinding
{
    std::uint64_t line; // in the original the copy was made from, counted from 1: the file the person can open
    std::string record; // field 0 of that line
    std::size_t field; // the field that holds the identifier, counted from 0
    AuditKind kind;
    std::uint64_t copyLine = 0; // in the copy
};

/// How many findings a report keeps for the warning of the desktop program (AuditWarningText).
inline constexpr std::size_t kKeptFindings = 10;

struct AuditReport
{
    std::array<std::size_t, kAuditKinds> counts {};
    std::size_t total = 0;
    /// The first kKeptFindings findings, in the order of the copy's lines.
    std::vector<AuditFinding> first;

    bool Clean() const { return total == 0; }
};

/// Audits `copy`, the anonymised copy of the claims file `original`.
///
/// From every record of the original that the anonymisation rewrites (kReplacedFields) it takes the value each
/// replaced field held, and looks for it in the copy as a reader would see it: both files are decoded and folded
/// alike, so that full- and half-width digits, letters and katakana, katakana and hiragana, and the two codes of one
/// character compare equal, and blanks (U+0020, U+3000, "・"), double quotes, hyphens and brackets are left out.
/// - A patient name (RE 4, RE 36) counts whole, with or without the blanks between its parts (so a part of one
///   character counts next to the other), and each part of at least two characters on its own; a part in katakana
///   only counts where it is no piece of a longer kana word (a blank, another script or さん, さま, くん, ちゃん
///   around it).
/// - The institution name (IR 6) counts whole and by its distinctive part: without legal words (医療法人, 社団,
///   財団...) and without the facility word at its end (クリニック, 医院, 診療所, 病院...), when what is left has at
///   least two characters besides a department (内科...).
/// - A telephone number (IR 9) of ten digits or more counts as its digits, however they are written, where no other
///   digit stands next to them.
/// - A value of digits only counts where a whole field of the copy, trimmed and folded, equals it, if it has at least
///   five digits (shorter numbers stand everywhere as counts and codes): a number of eight digits or more and the
///   institution code anywhere, any other number in the lines of its own receipt and the receipts next to it (a
///   record may stand before its RE). A number of fewer than eight digits does not count in the fields where the
///   claims format puts numbers of its own: receipt numbers, months and dates, master codes, chart numbers, counts,
///   points and amounts.
/// - Any other value of at least two characters counts wherever it stands.
/// - Every SJ and CO line counts (kDroppedRecords).
/// The anonymisation's own dummies prove nothing: a value found within one is not looked for.
/// A line reports each kind once per field.
///
/// A copy made by the strong anonymisation (`mode` Strong) is also audited for the values of kStrongFields that have a
/// kind: in the field the strong anonymisation fills (chart number, birth date, admission date of a receipt) the copy
/// must not hold that receipt's original value; elsewhere these count as numbers, dates only in their receipt and the
/// ones next to it and in no field where the format puts dates of its own. A date on the first of its month is what
/// the strong anonymisation writes, and is not looked for.
///
/// Calls `onFinding` for every finding in the order of the copy's lines and returns the counts per kind. One pass
/// over each file, and memory that grows with the values taken from the original, not with the files' size. Throws
/// FileError, naming the file, when a file is missing, cannot be read or holds a lone CR.
AuditReport AuditAnonymised(const std::filesystem::path& original, const std::filesystem::path& copy,
    const std::function<void(const AuditFinding&)>& onFinding = {}, AnonymizeMode mode = AnonymizeMode::Default);

/// Audits `copy`, the anonymised copy of `originals[own]`, against the values of every original of its run as well
/// (a 国保 patient's name typed into the 社保 file): what counts anywhere is looked for from all of them, what counts
/// only near its own receipt from `originals[own]`. Another original that cannot be read is passed over (its own run
/// refuses it).
AuditReport AuditAnonymised(std::span<const std::filesystem::path> originals, std::size_t own,
    const std::filesystem::path& copy, const std::function<void(const AuditFinding&)>& onFinding = {},
    AnonymizeMode mode = AnonymizeMode::Default);

/// Japanese name of a kind ("患者氏名"...).
std::u16string_view KindLabel(AuditKind kind);
/// One finding as a line of the report: "12行目 SY 項目3: 患者氏名".
std::u16string FindingText(const AuditFinding& finding);
/// The counts per kind: "患者氏名 2件、医療機関名称 1件"; empty when there is no finding.
std::u16string CountsText(const AuditReport& report);
/// The report's last line: "元の識別情報が残っています: 3件（患者氏名 2件、医療機関名称 1件）", or
/// "元の識別情報は見つかりませんでした。".
std::u16string SummaryText(const AuditReport& report);
/// The desktop program's warning for a copy with findings, in plain words: which file was kept back, where its
/// identifiers stand (as FindingText, the first kKeptFindings), how many of which kind, and what to do next.
std::u16string AuditWarningText(const AuditReport& report, std::u16string_view copyName);

} // namespace plok::claims
