#include "claims/Anonymize.h"

#include "claims/AnonymizeRules.h"
#include "claims/ClaimsRecord.h"
#include "claims/StrongAnonymize.h"
#include "core/AtomicFile.h"
#include "core/Cp932.h"
#include "core/Errors.h"
#include "core/FileNames.h"
#include "core/LineReader.h"
#include "core/RunResult.h"
#include "core/StrConv.h"
#include "core/Text.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace plok::claims {

namespace {

using detail::FieldCuts;
using detail::FieldEdit;
using detail::Join;
using detail::LineAction;
using detail::RecordCode;
using detail::RecordId;

/// Appends the code page 932 bytes of the receipt number turned into full-width characters.
void AppendWideNumber(std::string_view number, std::string& out)
{
    // Receipt numbers are a few ASCII digits, whose full-width forms have the codes 0x82 0x4F .. 0x82 0x58; anything
    // else takes the general way.
    constexpr std::size_t kShortNumber = 16;
    const bool digits = number.size() <= kShortNumber
        && std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!digits) {
        cp932::EncodeAppend(StrConv(cp932::Decode(number), {TConversion::Wide}), out);
        return;
    }
    for (const char c : number) {
        out += '\x82';
        out += static_cast<char>(0x4F + (c - '0'));
    }
}

/// How a rule fills a field.
enum class Fill : std::uint8_t
{
    Fixed,
    PatientName,
    Pseudonym,
    MonthOfDate,
};

/// The most fields the rules of `mode` change in one record.
constexpr std::size_t MostChangedInARecord()
{
    std::size_t most = 0;
    const auto count = [](std::string_view record) {
        std::size_t n = 0;
        for (const ReplacedField& f : kReplacedFields)
            n += f.record == record ? 1 : 0;
        for (const StrongField& f : kStrongFields)
            n += f.record == record ? 1 : 0;
        return n;
    };
    for (const ReplacedField& f : kReplacedFields)
        most = std::max(most, count(f.record));
    for (const StrongField& f : kStrongFields)
        most = std::max(most, count(f.record));
    return most;
}

/// One record's part of kReplacedFields (and of kStrongFields in the strong mode), with its dummies encoded once.
class RecordRule
{
public:
    /// What a record's rule needs besides the record: the dummy patient name, and the pseudonyms of the strong mode.
    struct Context
    {
        std::string_view patientName;
        ChartPseudonyms* pseudonyms = nullptr;
    };

    RecordRule(std::string_view record, AnonymizeMode mode)
    {
        for (const ReplacedField& f : kReplacedFields)
            if (f.record == record)
                m_fields.push_back({f.field, f.how == Dummy::PatientName ? Fill::PatientName : Fill::Fixed,
                    cp932::Encode(f.dummy), f.optional, 0, {}});
        if (mode == AnonymizeMode::Strong)
            for (const StrongField& f : kStrongFields)
                if (f.record == record)
                    m_fields.push_back(
                        {f.field, FillOf(f.fill), cp932::Encode(f.dummy), true, f.whenField, f.whenCode});
        std::stable_sort(
            m_fields.begin(), m_fields.end(), [](const RuleField& a, const RuleField& b) { return a.field < b.field; });
        for (const RuleField& f : m_fields)
            m_cuts = std::max({m_cuts, f.field + 1, f.whenCode.empty() ? 0 : f.whenField + 1});
    }

    /// Where the fields of `record` (without double quotes) stand, as far as the rule needs them.
    FieldCuts Cut(std::string_view record) const { return FieldCuts(record, m_cuts); }
    /// Throws ListIndexError for the first replaced field, in field order, that the record lacks.
    void Require(const FieldCuts& cuts) const
    {
        for (const RuleField& f : m_fields)
            if (!f.optional)
                cuts.Require({f.field});
    }
    /// True when writing the record by the rule changes a value: a field it fills with a computed value is there, or
    /// a field it fills with a fixed text holds another one.
    bool Changes(const FieldCuts& cuts) const
    {
        for (const RuleField& f : m_fields)
            if (cuts.Has(f.field) && Applies(f, cuts) && (f.fill != Fill::Fixed || cuts.Field(f.field) != f.dummy))
                return true;
        return false;
    }
    /// Appends the record with its fields replaced.
    void Append(std::string& out, const FieldCuts& cuts, const Context& context, Join join)
    {
        std::array<FieldEdit, MostChangedInARecord()> edits;
        std::size_t n = 0;
        std::size_t computed = 0;
        for (const RuleField& f : m_fields) {
            if (!cuts.Has(f.field) || !Applies(f, cuts))
                continue;
            std::string_view value;
            switch (f.fill) {
            case Fill::Fixed:
                value = f.dummy;
                break;
            case Fill::PatientName:
                value = context.patientName;
                break;
            case Fill::Pseudonym:
            case Fill::MonthOfDate: {
                std::string& s = m_computed[computed++];
                s.clear();
                if (f.fill == Fill::Pseudonym)
                    context.pseudonyms->Append(TrimView(cuts.Field(f.field)), s);
                else
                    AppendMonthOfDate(cuts.Field(f.field), s);
                value = s;
                break;
            }
            }
            edits[n++] = {f.field, value};
        }
        detail::AppendEdited(out, cuts, std::span<const FieldEdit>(edits.data(), n), join);
    }

private:
    struct RuleField
    {
        std::size_t field;
        Fill fill;
        std::string dummy;
        bool optional;
        std::size_t whenField;
        std::string_view whenCode;
    };

    static Fill FillOf(StrongFill fill)
    {
        switch (fill) {
        case StrongFill::Pseudonym:
            return Fill::Pseudonym;
        case StrongFill::MonthOfDate:
            return Fill::MonthOfDate;
        case StrongFill::Fixed:
            break;
        }
        return Fill::Fixed;
    }

    static bool Applies(const RuleField& f, const FieldCuts& cuts)
    {
        return f.whenCode.empty() || (cuts.Has(f.whenField) && TrimView(cuts.Field(f.whenField)) == f.whenCode);
    }

    std::vector<RuleField> m_fields;
    std::size_t m_cuts = 0;
    std::array<std::string, MostChangedInARecord()> m_computed;
};

/// Every record but these is copied byte for byte: one look-up per line, as most lines are copied.
bool IsCopied(std::uint16_t code, AnonymizeMode mode)
{
    static const auto changed = [](AnonymizeMode m) {
        std::bitset<65536> codes;
        for (const DroppedRecord& r : kDroppedRecords)
            codes.set(RecordCode(r.record));
        for (const ReplacedField& f : kReplacedFields)
            codes.set(RecordCode(f.record));
        if (m == AnonymizeMode::Strong)
            for (const StrongField& f : kStrongFields)
                codes.set(RecordCode(f.record));
        return codes;
    };
    static const std::bitset<65536> byDefault = changed(AnonymizeMode::Default);
    static const std::bitset<65536> strongly = changed(AnonymizeMode::Strong);
    return !(mode == AnonymizeMode::Strong ? strongly : byDefault)[code];
}

/// The start of a dummy patient name: "テスト" and the payer mark.
std::string PatientNamePrefix(bool national)
{
    for (const ReplacedField& f : kReplacedFields)
        if (f.how == Dummy::PatientName)
            return cp932::Encode(std::u16string(f.dummy) + std::u16string(kPayerMarks[national ? 1 : 0]));
    return {};
}

} // namespace

RunResult Conv(
    const std::filesystem::path& pstFile, const OutputTarget& target, InputCheck check, ChartPseudonyms* strong)
{
    if (!FileExists(pstFile))
        return RunResult::Refused(RunStatus::MissingFile, kMissingFileText);

    const AnonymizeMode mode = strong ? AnonymizeMode::Strong : AnonymizeMode::Default;
    RecordRule ir("IR", mode);
    RecordRule re("RE", mode);
    RecordRule ho("HO", mode);
    RecordRule ko("KO", mode);
    RecordRule sy("SY", mode);

    std::u16string billingMonth;
    bool national = false;
    std::string namePrefix = PatientNamePrefix(false);

    LineReader in(pstFile, LoneCr::Refuse);
    AtomicFile out(target.folder);
    std::string idScratch;
    std::string dequoted;
    std::string dummyName;
    const std::optional<RunResult> refusal = detail::StreamClaims(
        check, in, out, [mode](std::uint16_t code) { return IsCopied(code, mode); },
        [&](std::string_view line, std::string& joined) {
            const std::uint16_t code = RecordCode(RecordId(line, idScratch));
            for (const DroppedRecord& r : kDroppedRecords)
                if (code == RecordCode(r.record))
                    return LineAction::Drop;
            switch (code) {
            case RecordCode("RE"): {
                const FieldCuts fields = re.Cut(detail::Dequoted(line, dequoted));
                fields.Require({1});
                re.Require(fields);
                dummyName = namePrefix;
                // The receipt number would tie the copy's receipts to the clinic's list of them.
                if (!strong)
                    AppendWideNumber(fields.Field(1), dummyName);
                // Receipt lines are written unquoted even where a field holds a blank: the splitter has already dropped
                // every quote, so the quoting join with its quotes removed is a plain join.
                re.Append(joined, fields, {dummyName, strong}, Join::Plain);
                return LineAction::Rewrite;
            }
            case RecordCode("HO"):
            case RecordCode("KO"): {
                RecordRule& rule = code == RecordCode("HO") ? ho : ko;
                const FieldCuts fields = rule.Cut(detail::Dequoted(line, dequoted));
                rule.Require(fields);
                rule.Append(joined, fields, {}, Join::QuotingBlanks);
                return LineAction::Rewrite;
            }
            case RecordCode("IR"): {
                const FieldCuts fields = ir.Cut(detail::Dequoted(line, dequoted));
                fields.Require({1, 7});
                ir.Require(fields);
                if (TrimView(fields.Field(1)) == "2") {
                    national = true;
                    namePrefix = PatientNamePrefix(true);
                }
                billingMonth = cp932::Decode(TrimView(fields.Field(7)));
                ir.Append(joined, fields, {}, Join::QuotingBlanks);
                return LineAction::Rewrite;
            }
            case RecordCode("SY"): {
                // Disease lines (strong mode only) are written again only where a value changes.
                const FieldCuts fields = sy.Cut(detail::Dequoted(line, dequoted));
                if (!sy.Changes(fields))
                    return LineAction::Copy;
                sy.Append(joined, fields, {}, Join::QuotingBlanks);
                return LineAction::Rewrite;
            }
            default:
                return LineAction::Copy;
            }
        });
    in.Close();
    if (refusal)
        return *refusal;

    const char16_t* mstKbn = national ? u"_2" : u"_1";
    return CommitOutput(out, target, {billingMonth + mstKbn + u".UKE", u"請求年月", billingMonth, u"匿名化ファイル"},
        strong ? kStrongAnonymizedText : kAnonymizedText, national ? ResultSlot::Second : ResultSlot::First);
}

} // namespace plok::claims
