#include "claims/StripBranch.h"

#include "claims/ClaimsRecord.h"
#include "core/AtomicFile.h"
#include "core/Cp932.h"
#include "core/Errors.h"
#include "core/FileNames.h"
#include "core/LineReader.h"
#include "core/RunResult.h"
#include "core/Text.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace plok::claims {

namespace {

using detail::FieldCuts;
using detail::LineAction;
using detail::RecordCode;
using detail::RecordId;

/// The cut of GetKnjBng, on UTF-16 text or on code page 932 bytes alike: the symbols and blanks it looks for are
/// below 0x40 and so never part of a multi-byte character. The result views `value` or `scratch`.
template<class CharT>
std::basic_string_view<CharT> CutAtSymbols(std::basic_string_view<CharT> value, std::basic_string<CharT>& scratch)
{
    std::basic_string_view<CharT> v = TrimView(value);
    if (const std::size_t dash = v.find(CharT('-')); dash != v.npos)
        v = TrimView(v.substr(0, dash));
    if (v.find(CharT(' ')) != v.npos) {
        scratch.clear();
        for (CharT c : v)
            if (c != CharT(' '))
                scratch += c;
        v = scratch;
    }
    if (const std::size_t slash = v.find(CharT('/')); slash != v.npos)
        v = TrimView(v.substr(0, slash));
    if (const std::size_t star = v.find(CharT('*')); star != v.npos)
        v = TrimView(v.substr(0, star));
    return v;
}

struct UnitSpan
{
    std::size_t first = 0;
    std::size_t count = 0;
};

/// The code units Copy(s, start, end - start + 1) takes from a text of `length` units, when 0 <= start < end.
/// Copy reads a start below 1 as 1 without shortening the count.
UnitSpan PositionSpan(std::size_t length, int start, int end)
{
    if (start < 0 || end < 1 || start >= end)
        return {};
    const auto index = static_cast<std::size_t>(std::max(start, 1));
    if (index > length)
        return {};
    const auto count = static_cast<std::size_t>(std::int64_t(end) - start + 1);
    return {index - 1, std::min(count, length - (index - 1))};
}

/// GetKnjBng2 on code page 932 bytes: positions count the UTF-16 code units of the decoded text, and the result
/// is the bytes those units were decoded from, so that the kept characters keep their codes.
std::string_view CutAtPositions(std::string_view value, int start, int end, std::u16string& units)
{
    const std::string_view s = TrimView(value);
    units.clear();
    cp932::DecodeAppend(s, units);
    const UnitSpan span = PositionSpan(units.size(), start, end);
    if (span.count == 0)
        return {};
    // A unit comes from two bytes only when it is a character decoded from a lead byte and its trail byte; a lead
    // byte that does not start a character is escaped on its own.
    std::size_t from = 0;
    std::size_t byte = 0;
    for (std::size_t unit = 0; unit < span.first + span.count; ++unit) {
        if (unit == span.first)
            from = byte;
        byte += cp932::IsLeadByte(static_cast<unsigned char>(s[byte])) && !cp932::IsByteEscape(units[unit]) ? 2 : 1;
    }
    return TrimView(s.substr(from, byte - from));
}

/// What branch-number removal does with each record of a file's layout.
class StripActions
{
public:
    enum Action : std::uint8_t
    {
        kCopy,
        kHeader,
        kChart, // a record with a chart number
        kWatch, // the layout tracker looks at it
    };

    explicit StripActions(const LayoutTracker& tracker)
        : m_action(65536, kCopy)
    {
        const ClaimsLayout& layout = tracker.layout();
        for (const ChartField& f : layout.chartNumbers)
            m_action[RecordCode(f.record)] = kChart;
        m_action[RecordCode(layout.header)] = kHeader;
        for (const std::string_view id : tracker.Watched())
            m_action[RecordCode(id)] = kWatch;
    }

    Action operator[](std::uint16_t code) const { return static_cast<Action>(m_action[code]); }

private:
    std::vector<std::uint8_t> m_action; // by record code
};

} // namespace

std::optional<RangeRefusal> CheckRange(std::u16string_view startText, std::u16string_view endText)
{
    const std::u16string_view start = TrimView(startText);
    const std::u16string_view end = TrimView(endText);
    if (start.empty() || end.empty())
        return RangeRefusal {RunStatus::BlankRange, kBlankRangeText, start.empty(), end.empty()};
    const int kStart = StrToIntDef(start, 0);
    const int kEnd = StrToIntDef(end, 0);
    if (kStart < 1 || kEnd < 1)
        return RangeRefusal {RunStatus::InvalidRange, kInvalidRangeText, kStart < 1, kEnd < 1};
    // Such a range keeps nothing: every patient number would come out empty, with the run reporting success.
    if (kStart >= kEnd)
        return RangeRefusal {RunStatus::InvalidRange, kRangeOrderText, true, true};
    return std::nullopt;
}

RunResult Conv2(const std::filesystem::path& pstFile, RemovalMode mode, std::u16string_view startText,
    std::u16string_view endText, const OutputTarget& target)
{
    if (!FileExists(pstFile))
        return RunResult::Refused(RunStatus::MissingFile, kMissingFileText);

    int kStart = 0;
    int kEnd = 0;
    if (mode == RemovalMode::Position) {
        if (const std::optional<RangeRefusal> refused = CheckRange(startText, endText))
            return RunResult::Refused(refused->status, std::u16string(refused->message));
        kStart = StrToIntDef(TrimView(startText), 0);
        kEnd = StrToIntDef(TrimView(endText), 0);
    }

    LineReader in(pstFile, LoneCr::Refuse);
    const ClaimsIdentity identity = IdentifyClaims(in.FirstLine());
    if (!identity.layout)
        return RunResult::Refused(RunStatus::NotClaimsFile, identity.refusal);
    LayoutTracker tracker(*identity.layout);
    StripActions actions(tracker);

    std::u16string billingMonth;
    bool national = false;

    AtomicFile out(target.folder);
    std::string idScratch;
    std::string fieldScratch;
    std::string cutScratch;
    std::u16string units;
    const auto edit = [&](std::string_view line, std::string& rewritten) {
        const std::string_view id = RecordId(line, idScratch);
        const std::uint16_t code = RecordCode(id);
        switch (actions[code]) {
        case StripActions::kCopy:
            return LineAction::Copy;
        case StripActions::kWatch:
            if (tracker.Record(id, in.LineNumber()))
                actions = StripActions(tracker);
            return LineAction::Copy;
        case StripActions::kHeader: {
            const ClaimsLayout& layout = tracker.layout();
            const FieldCuts fields(line, std::max(layout.payerField, layout.billingMonthField) + 1);
            fields.Require({layout.billingMonthField});
            billingMonth
                = cp932::Decode(TrimView(detail::Dequoted(fields.Field(layout.billingMonthField), fieldScratch)));
            if (TrimView(detail::Dequoted(fields.Field(layout.payerField), fieldScratch)) == "2")
                national = true;
            return LineAction::Copy;
        }
        case StripActions::kChart:
            break;
        }
        // Only the chart number's bytes change: the rest of the line stays as it was read, double quotes included.
        const auto chart = std::find_if(tracker.layout().chartNumbers.begin(), tracker.layout().chartNumbers.end(),
            [&](const ChartField& f) { return f.record == id; });
        if (chart == tracker.layout().chartNumbers.end())
            return LineAction::Copy;
        const bool receipt = id == tracker.layout().receipt;
        const FieldCuts cuts(line, std::max(chart->field + 1, receipt ? tracker.MostReceiptFields() + 1 : 0));
        if (receipt) {
            const std::size_t count
                = cuts.Count() > tracker.MostReceiptFields() ? detail::CountFields(line) : cuts.Count();
            // Medical and DPC receipts keep their chart numbers in the same field.
            if (tracker.Receipt(count, in.LineNumber()))
                actions = StripActions(tracker);
        }
        if (mode == RemovalMode::None)
            return LineAction::Copy;
        if (chart->need == Need::Always)
            cuts.Require({chart->field});
        else if (!cuts.Has(chart->field))
            return LineAction::Copy;
        const std::string_view raw = cuts.Field(chart->field);
        const std::string_view number = detail::Dequoted(raw, fieldScratch);
        const std::string_view cut = mode == RemovalMode::Symbol ? CutAtSymbols(number, cutScratch)
                                                                 : CutAtPositions(number, kStart, kEnd, units);
        if (cut == raw)
            return LineAction::Copy;
        detail::AppendEdited(rewritten, cuts, {{chart->field, cut}});
        return LineAction::Rewrite;
    };
    const std::optional<RunResult> refusal = detail::StreamClaims(
        in, out, [&](std::uint16_t code, std::string_view) { return actions[code] == StripActions::kCopy; }, edit);
    in.Close();
    if (refusal)
        return *refusal;

    const ClaimsLayout& layout = tracker.layout();
    return CommitOutput(out, target,
        {u"(" + billingMonth + (national ? u"提出_国保" : u"提出_社保") + u")" + std::u16string(layout.submissionName),
            u"請求年月", billingMonth, u"枝番除去ファイル"},
        kBranchStrippedText, national ? ResultSlot::Second : ResultSlot::First);
}

std::u16string GetKnjBng(std::u16string_view value)
{
    std::u16string scratch;
    return std::u16string(CutAtSymbols(value, scratch));
}

std::u16string GetKnjBng2(std::u16string_view value, std::u16string_view startText, std::u16string_view endText)
{
    const std::u16string_view s = TrimView(value);
    const UnitSpan span
        = PositionSpan(s.size(), StrToIntDef(TrimView(startText), 0), StrToIntDef(TrimView(endText), 0));
    return Trim(s.substr(span.first, span.count));
}

} // namespace plok::claims
