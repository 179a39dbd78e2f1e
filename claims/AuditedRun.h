#pragma once

#include "claims/Audit.h"
#include "core/RunResult.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace plok::claims {

class ChartPseudonyms;

/// The message that refuses a copy the audit found identifiers in, from its report and the name it would have had.
using AuditRefusal = std::function<std::u16string(const AuditReport& report, const std::u16string& copyName)>;

/// One anonymisation of a month's claims files (社保 and 国保): each copy is audited, before it gets its name, against
/// the values of every original of the run, since a patient of one file can be named in the other (a mother and her
/// child on different insurance); a copy with findings is never written. Memory grows with the originals' values, not
/// with the files' size.
class AuditedRun
{
public:
    /// `strong` makes the strong anonymisation's copies, under its pseudonyms; the run keeps it, not its ownership.
    AuditedRun(std::vector<std::filesystem::path> originals, ChartPseudonyms* strong);

    /// Anonymises the run's original `index` into `target` (Conv), audits the finished copy and refuses it with
    /// `refusal`'s message when anything is found; `onFinding` hears each finding first.
    RunResult Anonymize(std::size_t index, const OutputTarget& target, const AuditRefusal& refusal,
        const std::function<void(const AuditFinding&)>& onFinding = {}) const;

    AnonymizeMode mode() const { return m_strong ? AnonymizeMode::Strong : AnonymizeMode::Default; }

private:
    std::vector<std::filesystem::path> m_originals;
    ChartPseudonyms* m_strong;
};

} // namespace plok::claims
