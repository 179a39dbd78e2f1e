#include "claims/AuditedRun.h"

#include "claims/Anonymize.h"
#include "core/AtomicFile.h"

namespace plok::claims {

AuditedRun::AuditedRun(std::vector<std::filesystem::path> originals, ChartPseudonyms* strong)
    : m_originals(std::move(originals))
    , m_strong(strong)
{ }

RunResult AuditedRun::Anonymize(std::size_t index, const OutputTarget& target, const AuditRefusal& refusal,
    const std::function<void(const AuditFinding&)>& onFinding) const
{
    const OutputTarget audited(
        target.folder, [&](AtomicFile& out, const std::u16string& name) -> std::optional<std::u16string> {
            if (target.check)
                if (std::optional<std::u16string> refused = target.check(out, name))
                    return refused;
            const AuditReport report = AuditAnonymised(m_originals, index, out.ContentPath(), onFinding, mode());
            if (report.Clean())
                return std::nullopt;
            return refusal(report, name);
        });
    return Conv(m_originals[index], audited, m_strong);
}

} // namespace plok::claims
