#include "claims/Anonymize.h"

#include "claims/AnonymizeRules.h"
#include "claims/ClaimsRecord.h"
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

/// The most fields kReplacedFields replaces in one record.
constexpr std::size_t MostReplacedInARecord()
{
    std::size_t most = 0;
    for (const ReplacedField& a : kReplacedFields) {
        std::size_t n = 0;
        for (const ReplacedField& b : kReplacedFields)
            n += a.record == b.record ? 1 : 0;
        most = std::max(most, n);
    }
    return most;
}

/// One record's part of kReplacedFields, with its dummies encoded once.
class RecordRule
{
public:
    explicit RecordRule(std::string_view record)
    {
        for (const ReplacedField& f : kReplacedFields) {
            if (f.record != record)
                continue;
            m_dummies.push_back(cp932::Encode(f.dummy));
            m_fields.push_back(f);
            m_cuts = std::max(m_cuts, f.field + 1);
        }
        for (std::size_t i = 0; i < m_fields.size(); ++i)
            m_edits.push_back({m_fields[i].field, m_dummies[i]});
    }

    /// Where the fields of `record` (without double quotes) stand, as far as the rule needs them.
    FieldCuts Cut(std::string_view record) const { return FieldCuts(record, m_cuts); }
    /// Throws ListIndexError for the first replaced field, in field order, that the record lacks.
    void Require(const FieldCuts& cuts) const
    {
        for (const ReplacedField& f : m_fields)
            if (!f.optional)
                cuts.Require({f.field});
    }
    /// Appends the record with its fields replaced; a Dummy::PatientName field takes `patientName`.
    void Append(std::string& out, const FieldCuts& cuts, std::string_view patientName, Join join) const
    {
        std::array<FieldEdit, MostReplacedInARecord()> edits;
        for (std::size_t i = 0; i < m_edits.size(); ++i)
            edits[i] = {m_edits[i].index, m_fields[i].how == Dummy::PatientName ? patientName : m_edits[i].value};
        detail::AppendEdited(out, cuts, std::span<const FieldEdit>(edits.data(), m_edits.size()), join);
    }

private:
    std::vector<ReplacedField> m_fields;
    std::vector<std::string> m_dummies;
    std::vector<FieldEdit> m_edits;
    std::size_t m_cuts = 0;
};

/// Every record but these is copied byte for byte: one look-up per line, as most lines are copied.
bool IsCopied(std::uint16_t code)
{
    static const std::bitset<65536> changed = [] {
        std::bitset<65536> codes;
        for (const DroppedRecord& r : kDroppedRecords)
            codes.set(RecordCode(r.record));
        for (const ReplacedField& f : kReplacedFields)
            codes.set(RecordCode(f.record));
        return codes;
    }();
    return !changed[code];
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

RunResult Conv(const std::filesystem::path& pstFile, const OutputTarget& target, InputCheck check)
{
    if (!FileExists(pstFile))
        return RunResult::Refused(RunStatus::MissingFile, kMissingFileText);

    static const RecordRule kIr("IR");
    static const RecordRule kRe("RE");
    static const RecordRule kHo("HO");
    static const RecordRule kKo("KO");

    std::u16string billingMonth;
    bool national = false;
    std::string namePrefix = PatientNamePrefix(false);

    LineReader in(pstFile, LoneCr::Refuse);
    AtomicFile out(target.folder);
    std::string idScratch;
    std::string dequoted;
    std::string dummyName;
    const std::optional<RunResult> refusal = detail::StreamClaims(
        check, in, out, [](std::uint16_t code) { return IsCopied(code); },
        [&](std::string_view line, std::string& joined) {
            const std::uint16_t code = RecordCode(RecordId(line, idScratch));
            for (const DroppedRecord& r : kDroppedRecords)
                if (code == RecordCode(r.record))
                    return LineAction::Drop;
            switch (code) {
            case RecordCode("RE"): {
                const FieldCuts fields = kRe.Cut(detail::Dequoted(line, dequoted));
                fields.Require({1});
                kRe.Require(fields);
                dummyName = namePrefix;
                AppendWideNumber(fields.Field(1), dummyName);
                // Receipt lines are written unquoted even where a field holds a blank: the splitter has already dropped
                // every quote, so the quoting join with its quotes removed is a plain join.
                kRe.Append(joined, fields, dummyName, Join::Plain);
                return LineAction::Rewrite;
            }
            case RecordCode("HO"):
            case RecordCode("KO"): {
                const RecordRule& rule = code == RecordCode("HO") ? kHo : kKo;
                const FieldCuts fields = rule.Cut(detail::Dequoted(line, dequoted));
                rule.Require(fields);
                rule.Append(joined, fields, {}, Join::QuotingBlanks);
                return LineAction::Rewrite;
            }
            case RecordCode("IR"): {
                const FieldCuts fields = kIr.Cut(detail::Dequoted(line, dequoted));
                fields.Require({1, 7});
                kIr.Require(fields);
                if (TrimView(fields.Field(1)) == "2") {
                    national = true;
                    namePrefix = PatientNamePrefix(true);
                }
                billingMonth = cp932::Decode(TrimView(fields.Field(7)));
                kIr.Append(joined, fields, {}, Join::QuotingBlanks);
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
        kAnonymizedText, national ? ResultSlot::Second : ResultSlot::First);
}

} // namespace plok::claims
