#pragma once

#include "claims/ClaimsFile.h"
#include "core/AtomicFile.h"
#include "core/Errors.h"
#include "core/LineReader.h"
#include "core/RunResult.h"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>

/// What the streaming claims runs share about one record held as raw code page 932 bytes.
namespace plok::claims::detail {

/// The record as the field splitter sees it: `line` without its double quotes. Views `line` itself when it holds
/// none, otherwise `scratch`.
std::string_view Dequoted(std::string_view line, std::string& scratch);

/// A two-letter record identifier as one number, to switch on; 0 for an identifier of another length.
constexpr std::uint16_t RecordCode(std::string_view id)
{
    return id.size() == 2
        ? static_cast<std::uint16_t>(static_cast<unsigned char>(id[0]) << 8 | static_cast<unsigned char>(id[1]))
        : 0;
}

/// True when `line` starts the way nearly every record does: two bytes that are neither a comma nor a double quote,
/// then a comma. Its record identifier is then those two bytes, read without a scan.
constexpr bool HasPlainRecordId(std::string_view line)
{
    return line.size() >= 3 && line[2] == ',' && line[0] != '"' && line[1] != '"' && line[0] != ',' && line[1] != ',';
}

/// Field 0 as the splitter would give it: the bytes before the first comma without their double quotes.
inline std::string_view RecordId(std::string_view line, std::string& scratch)
{
    if (HasPlainRecordId(line))
        return line.substr(0, 2);
    return Dequoted(line.substr(0, line.find(',')), scratch);
}

/// Where the first fields of a record stand, found by one scan for its commas, so that a run can replace a few fields
/// and copy the bytes between them as they are.
class FieldCuts
{
public:
    static constexpr std::size_t kMaxFields = 48;

    /// Finds fields 0 .. `fields` - 1 (at most kMaxFields) of `record`, as far as the record has them.
    FieldCuts(std::string_view record, std::size_t fields);

    std::string_view record() const { return m_record; }
    /// True when the record has field `i` (i < the `fields` given).
    bool Has(std::size_t i) const { return i <= m_commas; }
    /// The record's count of fields when it has fewer than the `fields` given; otherwise at least that many.
    std::size_t Count() const { return m_commas + 1; }
    std::size_t Begin(std::size_t i) const { return i == 0 ? 0 : m_comma[i - 1] + 1; }
    std::size_t End(std::size_t i) const { return i < m_commas ? m_comma[i] : m_record.size(); }
    std::string_view Field(std::size_t i) const { return m_record.substr(Begin(i), End(i) - Begin(i)); }
    /// Throws ListIndexError for the first of `indices` the record does not have. A run lists the fields in the order
    /// its rules touch them, so the index is the one a short record reports.
    void Require(std::initializer_list<std::size_t> indices) const;

private:
    std::string_view m_record;
    std::array<std::size_t, kMaxFields + 15> m_comma;
    std::size_t m_commas;
};

/// The count of fields of `record`: one more than its commas.
std::size_t CountFields(std::string_view record);

struct FieldEdit
{
    std::size_t index;
    std::string_view value; // holds no comma
};

/// Appends the record of `cuts` with the fields of `edits` (in ascending order of index; those the record does not
/// have are skipped) replaced by their values; every other byte is appended as it is.
void AppendEdited(std::string& out, const FieldCuts& cuts, std::span<const FieldEdit> edits);
inline void AppendEdited(std::string& out, const FieldCuts& cuts, std::initializer_list<FieldEdit> edits)
{
    AppendEdited(out, cuts, std::span<const FieldEdit>(edits.begin(), edits.size()));
}

/// What a run does with one line.
enum class LineAction
{
    Copy, // written unchanged
    Drop, // left out
    Rewrite, // replaced by the bytes the run appended
};

/// Streams the lines of `in` to `out`. A line whose identifier is two plain letters followed by a comma, for which
/// `copies(code, line)` (its identifier's code, the line) is true, is written unchanged; for every other line
/// `edit(line, rewritten)` decides,
/// and for Rewrite it has appended the new line, without line end, to `rewritten` (handed over empty). Every line
/// written ends in CR LF.
///
/// Most lines are copied unchanged, so the bytes of consecutive copied lines are written as one piece straight from
/// the reader's buffer, before the reader may refill it.
template<class Copies, class Edit>
void StreamLines(LineReader& in, AtomicFile& out, Copies copies, Edit edit)
{
    std::string_view line;
    std::string rewritten;
    const char* runBegin = nullptr;
    const char* runEnd = nullptr;
    const auto flushRun = [&] {
        if (runBegin != runEnd)
            out.Write(std::string_view(runBegin, static_cast<std::size_t>(runEnd - runBegin)));
        runBegin = runEnd = nullptr;
    };
    const auto copyRaw = [&](std::string_view raw) {
        if (raw.data() != runEnd) {
            flushRun();
            runBegin = raw.data();
        }
        runEnd = raw.data() + raw.size();
    };
    const auto copied
        = [&](std::string_view l) { return HasPlainRecordId(l) && copies(RecordCode(l.substr(0, 2)), l); };
    for (;;) {
        std::string_view run;
        const bool refused = in.TakeWhile(copied, run, line);
        if (!run.empty())
            copyRaw(run);
        if (!refused) {
            flushRun();
            if (!in.Next(line))
                break;
        }
        rewritten.clear();
        switch (edit(line, rewritten)) {
        case LineAction::Copy:
            if (const std::string_view raw = in.LastLineWithCrLf(line); !raw.empty()) {
                copyRaw(raw);
            } else {
                flushRun();
                out.Write(line);
                out.Write("\r\n");
            }
            break;
        case LineAction::Drop:
            break;
        case LineAction::Rewrite:
            flushRun();
            rewritten += "\r\n";
            out.Write(rewritten);
            break;
        }
    }
    flushRun();
}

/// StreamLines, then the end mark: the copy ends with 0x1A where its source did. A lone CR (`in` refuses them) is
/// refused with LoneCr, records that do not fit the file's layout (LayoutError) with NotClaimsFile.
template<class Copies, class Edit>
std::optional<RunResult> StreamClaims(LineReader& in, AtomicFile& out, Copies copies, Edit edit)
{
    try {
        StreamLines(in, out, copies, edit);
    } catch (const LoneCrError& e) {
        return RunResult::Refused(RunStatus::LoneCr, LoneCrText(e));
    } catch (const LayoutError& e) {
        return RunResult::Refused(RunStatus::NotClaimsFile, e.text());
    }
    if (in.MetEndMark())
        out.Write("\x1a");
    return std::nullopt;
}

} // namespace plok::claims::detail
