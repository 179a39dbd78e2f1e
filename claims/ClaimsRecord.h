#pragma once

#include "claims/ClaimsFile.h"
#include "core/AtomicFile.h"
#include "core/Errors.h"
#include "core/LineReader.h"

#include <string>
#include <string_view>
#include <vector>

/// What the streaming claims runs share about one record held as raw code page 932 bytes.
namespace plok::claims::detail {

using Fields = std::vector<std::string_view>;

/// Field `i`, or the list-index failure naming `i`. A run touches a record's fields in the order its rules assign
/// them, so the first absent one is the index a short record reports.
inline std::string_view& At(Fields& fields, int i)
{
    if (i < 0 || static_cast<std::size_t>(i) >= fields.size())
        throw ListIndexError(i);
    return fields[static_cast<std::size_t>(i)];
}

/// Field 0 as the splitter would give it: the bytes before the first comma without their double quotes.
inline std::string_view RecordId(std::string_view line, std::string& scratch)
{
    // Nearly every record starts with a two-letter identifier and a comma.
    if (line.size() >= 3 && line[2] == ',' && line[0] != '"' && line[1] != '"' && line[0] != ',' && line[1] != ',')
        return line.substr(0, 2);
    const std::string_view id = line.substr(0, line.find(','));
    if (id.find('"') == id.npos)
        return id;
    scratch.clear();
    for (char c : id)
        if (c != '"')
            scratch += c;
    return scratch;
}

/// Writes a line the run keeps unchanged, in one piece when its bytes in the file were already the line and CR LF.
inline void CopyLine(AtomicFile& out, const LineReader& in, std::string_view line)
{
    if (const std::string_view raw = in.LastLineWithCrLf(line); !raw.empty()) {
        out.Write(raw);
    } else {
        out.Write(line);
        out.Write("\r\n");
    }
}

/// A run's input check, made on the first line as the run reads it, so that a pipe is read once.
class FirstLineCheck
{
public:
    explicit FirstLineCheck(InputCheck check)
        : m_pending(check == InputCheck::ClaimsFile)
    { }
    /// False when `line` is the first line and names no payer.
    bool Passes(std::string_view line)
    {
        if (!m_pending)
            return true;
        m_pending = false;
        return IsClaimsFirstLine(line);
    }
    /// False when the input ended before it had a line to check.
    bool PassedAtEnd() const { return !m_pending; }
    static RunResult Refusal() { return RunResult::Refused(RunStatus::NotClaimsFile, kNotClaimsFileText); }

private:
    bool m_pending;
};

} // namespace plok::claims::detail
