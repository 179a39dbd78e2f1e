#pragma once

#include "claims/AnonymizeRules.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

/// The proof that an anonymised copy carries none of its original's identifiers: hand-typed text outside the records
/// the anonymisation rewrites (a disease name, a comment in another record) can still hold a patient's name.
namespace plok::claims {

struct AuditFinding
{
    std::uint64_t line; // in the copy, counted from 1
    std::string record; // field 0 of that line
    std::size_t field; // the field that holds the identifier, counted from 0
    AuditKind kind;
};

struct AuditReport
{
    std::array<std::size_t, kAuditKinds> counts {};
    std::size_t total = 0;

    bool Clean() const { return total == 0; }
};

/// Audits `copy`, the anonymised copy of the claims file `original`. From the original it takes, trimmed, the values
/// the anonymisation replaces (IR 4, 6, 9; RE 4 and 36; HO 1, 2, 3; KO 1, 2) and each part of a patient name split
/// at U+0020 and U+3000, leaving out the anonymisation's own dummy values and texts found within them. A value of
/// digits only (half- or full-width) is a finding where a whole field of the copy equals it, and only when it has at
/// least five digits (shorter numbers stand everywhere as counts and codes) and the field lies in the same receipt
/// (from its RE record to the next) as the value in the original, or anywhere for the institution code: a receipt's
/// numbers are what its own lines could leak, while across a month's file an insured number meets a billing month, a
/// birth date or a code of the same digits by chance. Any other value of at least two characters is a finding
/// wherever it stands in a line of the copy. Any SJ or CO line in the copy is a finding too.
/// A line reports each kind once per field.
///
/// Calls `onFinding` for every finding in the order of the copy's lines and returns the counts per kind. One pass over
/// each file; the cost does not grow with the number of values times the number of lines. Throws IoError when a file
/// cannot be read.
AuditReport AuditAnonymised(const std::filesystem::path& original, const std::filesystem::path& copy,
    const std::function<void(const AuditFinding&)>& onFinding = {});

/// Japanese name of a kind ("患者氏名"...).
std::u16string_view KindLabel(AuditKind kind);
/// One finding as a line of the report: "12行目 SY 項目3: 患者氏名".
std::u16string FindingText(const AuditFinding& finding);
/// The counts per kind: "患者氏名 2件、医療機関名称 1件"; empty when there is no finding.
std::u16string CountsText(const AuditReport& report);
/// The report's last line: "元の識別情報が残っています: 3件（患者氏名 2件、医療機関名称 1件）", or
/// "元の識別情報は見つかりませんでした。".
std::u16string SummaryText(const AuditReport& report);

} // namespace plok::claims
