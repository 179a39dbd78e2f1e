// The anonymisation audit on an original and a copy. It never fails on any bytes; every finding names a line of the
// copy and a field that line has; the counts add up; a copy audited against an original without values reports
// exactly its SJ and CO lines; and the real anonymised copy of the original is audited without trouble.
#include "FuzzSupport.h"
#include "claims/Anonymize.h"
#include "claims/Audit.h"
#include "core/FileNames.h"

#include <algorithm>
#include <numeric>

using namespace plok;
namespace fs = std::filesystem;

namespace {

/// Audits and checks what holds for any pair; returns the number of findings.
std::size_t Audit(const fs::path& original, const fs::path& copy, const std::vector<std::string>& copyLines)
{
    std::vector<claims::AuditFinding> findings;
    const claims::AuditReport report
        = claims::AuditAnonymised(original, copy, [&](const claims::AuditFinding& f) { findings.push_back(f); });
    FUZZ_CHECK(report.total == findings.size());
    FUZZ_CHECK(std::accumulate(report.counts.begin(), report.counts.end(), std::size_t(0)) == report.total);
    FUZZ_CHECK(report.Clean() == findings.empty());
    std::uint64_t previous = 0;
    for (const claims::AuditFinding& f : findings) {
        FUZZ_CHECK(f.line >= 1 && f.line <= copyLines.size() && f.line >= previous);
        previous = f.line;
        const std::string& line = copyLines[f.line - 1];
        FUZZ_CHECK(f.field <= static_cast<std::size_t>(std::count(line.begin(), line.end(), ',')));
        FUZZ_CHECK(f.record == fuzz::ReferenceRecordId(line));
        FUZZ_CHECK(!claims::FindingText(f).empty());
    }
    return findings.size();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The first byte tells where the original ends and the copy begins.
    const std::string_view input = fuzz::AsBytes(data, size);
    if (input.empty())
        return 0;
    const std::string_view rest = input.substr(1);
    const std::size_t split = rest.empty() ? 0 : static_cast<unsigned char>(input[0]) * rest.size() / 256;
    const std::string_view originalBytes = rest.substr(0, split);
    const std::string_view copyBytes = rest.substr(split);

    const fs::path folder = fuzz::Scratch::Fresh("audit");
    const fs::path original = folder / "RECEIPTC.UKE";
    const fs::path copy = folder / "copy.UKE";
    const fs::path none = folder / "none.UKE";
    fuzz::WriteFile(original, originalBytes);
    fuzz::WriteFile(copy, copyBytes);
    fuzz::WriteFile(none, "");
    const std::vector<std::string> copyLines = fuzz::ReferenceLines(copyBytes);

    Audit(original, copy, copyLines);

    const std::size_t notes
        = static_cast<std::size_t>(std::count_if(copyLines.begin(), copyLines.end(), [](const std::string& line) {
              return fuzz::ReferenceRecordId(line) == "SJ" || fuzz::ReferenceRecordId(line) == "CO";
          }));
    FUZZ_CHECK(Audit(none, copy, copyLines) == notes);

    try {
        const fs::path out = fuzz::Scratch::Fresh("audit-out");
        const RunResult r = claims::Conv(original, out);
        if (r.Done())
            Audit(original, out / ToPath(r.fileName), fuzz::ReferenceLines(fuzz::ReadFile(out / ToPath(r.fileName))));
    } catch (const Error&) { }
    return 0;
}
