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

namespace plok::claims {

namespace {

using detail::FieldCuts;
using detail::Join;
using detail::LineAction;
using detail::RecordCode;
using detail::RecordId;

constexpr std::size_t kPatientNumber = 13;

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

} // namespace

RunResult Conv2(const std::filesystem::path& pstFile, RemovalMode mode, std::u16string_view startText,
    std::u16string_view endText, const OutputTarget& target, InputCheck check)
{
    if (!FileExists(pstFile))
        return RunResult::Refused(RunStatus::MissingFile, kMissingFileText);

    int kStart = 0;
    int kEnd = 0;
    if (mode == RemovalMode::Position) {
        const std::u16string_view start = TrimView(startText);
        const std::u16string_view end = TrimView(endText);
        if (start.empty() || end.empty())
            return RunResult::Refused(RunStatus::BlankRange, kBlankRangeText);
        kStart = StrToIntDef(start, 0);
        kEnd = StrToIntDef(end, 0);
        if (kStart < 1 || kEnd < 1)
            return RunResult::Refused(RunStatus::InvalidRange, kInvalidRangeText);
        // Such a range keeps nothing: every patient number would come out empty, with the run reporting success.
        if (kStart >= kEnd)
            return RunResult::Refused(RunStatus::InvalidRange, kRangeOrderText);
    }

    std::u16string billingMonth;
    bool national = false;

    LineReader in(pstFile, LoneCr::Refuse);
    AtomicFile out(target.folder);
    std::string idScratch;
    std::string dequoted;
    std::string cutScratch;
    std::u16string units;
    const auto copies = [](std::uint16_t code) { return code != RecordCode("RE") && code != RecordCode("IR"); };
    const std::optional<RunResult> refusal
        = detail::StreamClaims(check, in, out, copies, [&](std::string_view line, std::string& joined) {
              switch (RecordCode(RecordId(line, idScratch))) {
              case RecordCode("RE"): {
                  // Splitting and joining again only drops the double quotes and quotes the fields holding blanks, so
                  // the line is rewritten as it stands rather than through a field list.
                  const std::string_view record = detail::Dequoted(line, dequoted);
                  if (mode == RemovalMode::None) {
                      detail::AppendQuotingBlanks(joined, record);
                      return LineAction::Rewrite;
                  }
                  const FieldCuts fields(record, kPatientNumber + 1);
                  fields.Require({kPatientNumber});
                  const std::string_view number = fields.Field(kPatientNumber);
                  detail::AppendEdited(joined, fields,
                      {{kPatientNumber,
                          mode == RemovalMode::Symbol ? CutAtSymbols(number, cutScratch)
                                                      : CutAtPositions(number, kStart, kEnd, units)}},
                      Join::QuotingBlanks);
                  return LineAction::Rewrite;
              }
              case RecordCode("IR"): {
                  const FieldCuts fields(detail::Dequoted(line, dequoted), 8);
                  fields.Require({7});
                  billingMonth = cp932::Decode(TrimView(fields.Field(7)));
                  if (TrimView(fields.Field(1)) == "2")
                      national = true;
                  return LineAction::Copy;
              }
              default:
                  return LineAction::Copy;
              }
          });
    in.Close();
    if (refusal)
        return *refusal;

    return CommitOutput(out, target,
        {u"(" + billingMonth + (national ? u"提出_国保" : u"提出_社保") + u")RECEIPTC.uke", u"請求年月", billingMonth,
            u"枝番除去ファイル"},
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
