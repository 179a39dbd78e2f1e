#include "claims/Anonymize.h"

#include "claims/ClaimsLayout.h"
#include "claims/ClaimsRecord.h"
#include "claims/StrongAnonymize.h"
#include "core/AtomicFile.h"
#include "core/ByteScan.h"
#include "core/Cp932.h"
#include "core/Errors.h"
#include "core/FileNames.h"
#include "core/LineReader.h"
#include "core/RunResult.h"
#include "core/StrConv.h"
#include "core/Text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace plok::claims {

namespace {

using detail::FieldCuts;
using detail::FieldEdit;
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
    MonthOfBirthDay,
};

/// What a record's rule needs besides the record: the dummy patient name, the pseudonyms of the strong mode, and the
/// birth date of the person the record belongs to (trimmed, as read).
struct Context
{
    std::string_view patientName;
    ChartPseudonyms* pseudonyms = nullptr;
    std::string_view birthDate;
};

/// One record's part of its layout's `replaced` table (and of `strong` in the strong mode), with its dummies encoded
/// once.
class RecordRule
{
public:
    RecordRule(const ClaimsLayout& layout, std::string_view record, AnonymizeMode mode)
    {
        for (const ReplacedField& f : layout.replaced)
            if (f.record == record)
                m_fields.push_back({f.field, f.how == Dummy::PatientName ? Fill::PatientName : Fill::Fixed,
                    cp932::Encode(f.dummy), f.need, 0, {}});
        if (mode == AnonymizeMode::Strong)
            for (const StrongField& f : layout.strong)
                if (f.record == record) {
                    m_fields.push_back({f.field, FillOf(f.fill), cp932::Encode(f.dummy),
                        f.fill == StrongFill::FreeText ? Need::IfFilled : Need::IfPresent, f.whenField, f.whenCode});
                    if (f.fill == StrongFill::MonthOfDate && f.kind == AuditKind::BirthDate)
                        m_birthField = f.field;
                }
        std::stable_sort(
            m_fields.begin(), m_fields.end(), [](const RuleField& a, const RuleField& b) { return a.field < b.field; });
        for (const RuleField& f : m_fields)
            m_cuts = std::max({m_cuts, f.field + 1, f.whenCode.empty() ? 0 : f.whenField + 1});
        m_inPlace = !m_birthField && std::none_of(m_fields.begin(), m_fields.end(), [](const RuleField& f) {
            return f.need == Need::Always;
        });
        m_ifFilledOnly = std::all_of(m_fields.begin(), m_fields.end(),
            [](const RuleField& f) { return f.need == Need::IfFilled && f.whenCode.empty() && f.field < 64; });
        m_edits.resize(m_fields.size());
        m_computed.resize(m_fields.size());
    }

    bool Empty() const { return m_fields.empty(); }
    /// The run reads field `field` of the record too.
    void Reads(std::size_t field)
    {
        m_cuts = std::max(m_cuts, field + 1);
        m_inPlace = false;
        m_ifFilledOnly = false;
    }
    /// How many fields of a record the rule needs to see.
    std::size_t Cuts() const { return m_cuts; }
    /// Throws ListIndexError for the first field the rule always replaces, in field order, that the record lacks.
    void Require(const FieldCuts& cuts) const
    {
        for (const RuleField& f : m_fields)
            if (f.need == Need::Always)
                cuts.Require({f.field});
    }
    /// Where the record holds the birth date of the person the records after it belong to: sets `birthDate` to it
    /// (nothing where the record lacks it).
    void TakeBirthDate(const FieldCuts& cuts, std::string& birthDate) const
    {
        if (m_birthField)
            birthDate = cuts.Has(*m_birthField) ? TrimView(cuts.Field(*m_birthField)) : std::string_view();
    }
    /// True when writing the record by the rule changes a value: a field it fills with a computed value is there, or
    /// a field it fills with a fixed text holds another one.
    bool Changes(const FieldCuts& cuts, const Context& context) const
    {
        for (const RuleField& f : m_fields)
            if (Applies(f, cuts, context) && (f.fill != Fill::Fixed || cuts.Field(f.field) != f.dummy))
                return true;
        return false;
    }
    /// True when Unchanged may decide on a line: the rule requires no field of the record, and the run takes nothing
    /// from it.
    bool TriedInPlace() const { return m_inPlace; }
    /// True when writing `line` (a record of the rule's) by the rule would change none of its values, told without
    /// the edit: most lines of a rule for free text hold none, and are copied with the lines around them. False for a
    /// double quote among the fields the rule reads, which the edit sees without it.
    bool Unchanged(std::string_view line, const Context& context) const
    {
        if (NothingFilled(line))
            return true;
        const FieldCuts cuts(line, m_cuts);
        const std::size_t read = cuts.End(std::min(m_cuts, cuts.Count()) - 1);
        return std::memchr(line.data(), '"', read) == nullptr && !Changes(cuts, context);
    }
    /// Appends the record with its fields replaced.
    void Append(std::string& out, const FieldCuts& cuts, const Context& context)
    {
        std::size_t n = 0;
        for (std::size_t i = 0; i < m_fields.size(); ++i) {
            const RuleField& f = m_fields[i];
            if (!Applies(f, cuts, context))
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
            case Fill::MonthOfDate:
            case Fill::MonthOfBirthDay: {
                std::string& s = m_computed[i];
                s.clear();
                if (f.fill == Fill::Pseudonym)
                    context.pseudonyms->Append(TrimView(cuts.Field(f.field)), s);
                else
                    AppendMonthOfDate(cuts.Field(f.field), s);
                value = s;
                break;
            }
            }
            m_edits[n++] = {f.field, value};
        }
        detail::AppendEdited(out, cuts, std::span<const FieldEdit>(m_edits.data(), n));
    }

private:
    struct RuleField
    {
        std::size_t field;
        Fill fill;
        std::string dummy;
        Need need;
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
        case StrongFill::MonthOfBirthDay:
            return Fill::MonthOfBirthDay;
        case StrongFill::Fixed:
        case StrongFill::FreeText:
            break;
        }
        return Fill::Fixed;
    }

    /// True when the rule fills fields only where they hold something, and `line` leaves every one of them empty or
    /// lacks it, told from the commas of its first 64 bytes. False where they cannot tell so (a field further on, or
    /// one of double quotes alone), which leaves the question to the fields cut out.
    bool NothingFilled(std::string_view line) const
    {
        if (!m_ifFilledOnly)
            return false;
        constexpr std::size_t kWindow = 64;
        char copy[kWindow] = {};
        const char* bytes = line.data();
        if (line.size() < kWindow) {
            std::memcpy(copy, line.data(), line.size());
            bytes = copy;
        }
        const std::size_t seen = std::min(line.size(), kWindow);
        std::uint64_t commas = plok::detail::ByteMask64(bytes, ',');
        if (seen < kWindow)
            commas &= (std::uint64_t(1) << seen) - 1;
        std::size_t passed = 0; // commas before the field
        std::size_t start = 0; // of the field
        for (const RuleField& f : m_fields) {
            for (; passed < f.field; ++passed) {
                if (commas == 0)
                    return seen == line.size(); // the line ends before the field
                start = static_cast<std::size_t>(std::countr_zero(commas)) + 1;
                commas &= commas - 1;
            }
            const std::size_t end = commas != 0 ? static_cast<std::size_t>(std::countr_zero(commas)) : seen;
            if (end != start || (commas == 0 && seen != line.size()))
                return false;
        }
        return true;
    }

    static bool Applies(const RuleField& f, const FieldCuts& cuts, const Context& context)
    {
        if (!cuts.Has(f.field))
            return false;
        if (f.need == Need::IfFilled && TrimView(cuts.Field(f.field)).empty())
            return false;
        if (f.fill == Fill::MonthOfBirthDay) {
            // Most start dates are another day written alike, told apart without reading them as dates.
            const std::string_view date = TrimView(cuts.Field(f.field));
            if (context.birthDate.empty()
                || (date.size() == context.birthDate.size() ? date != context.birthDate || !SameDay(date, date)
                                                            : !SameDay(date, context.birthDate)))
                return false;
        }
        return f.whenCode.empty() || (cuts.Has(f.whenField) && TrimView(cuts.Field(f.whenField)) == f.whenCode);
    }

    std::vector<RuleField> m_fields;
    std::optional<std::size_t> m_birthField; // of a record that holds a person's birth date
    bool m_inPlace = false;
    bool m_ifFilledOnly = false; // every field is filled only where it holds something, and is one of the first 64

    std::size_t m_cuts = 0;
    std::vector<FieldEdit> m_edits;
    std::vector<std::string> m_computed;
};

/// What the anonymisation does with each record of a file's layout.
class Rules
{
public:
    enum Action : std::uint8_t
    {
        kCopy,
        kDrop,
        kWatch, // the layout tracker looks at it
        kRule, // and up: the rule kRule + i
    };

    Rules(const LayoutTracker& tracker, AnonymizeMode mode)
        : m_action(65536, kCopy)
    {
        const ClaimsLayout& layout = tracker.layout();
        const auto addRule = [&](std::string_view record) {
            std::uint8_t& action = m_action[RecordCode(record)];
            if (action >= kRule)
                return;
            RecordRule rule(layout, record, mode);
            // The header and the receipt record are read even where nothing of them is replaced.
            if (rule.Empty() && record != layout.header && record != layout.receipt)
                return;
            if (record == layout.header) {
                rule.Reads(layout.payerField);
                rule.Reads(layout.billingMonthField);
            }
            if (record == layout.receipt)
                rule.Reads(layout.receiptNumberField);
            action = static_cast<std::uint8_t>(kRule + m_rules.size());
            m_rules.push_back(std::move(rule));
        };
        addRule(layout.header);
        addRule(layout.receipt);
        for (const ReplacedField& f : layout.replaced)
            addRule(f.record);
        if (mode == AnonymizeMode::Strong)
            for (const StrongField& f : layout.strong)
                addRule(f.record);
        for (const DroppedRecord& r : layout.dropped)
            m_action[RecordCode(r.record)] = kDrop;
        for (const std::string_view id : tracker.Watched())
            m_action[RecordCode(id)] = kWatch;
    }

    Action ActionOf(std::uint16_t code) const { return static_cast<Action>(std::min<int>(m_action[code], kRule)); }
    RecordRule& RuleOf(std::uint16_t code) { return m_rules[m_action[code] - kRule]; }

private:
    std::vector<std::uint8_t> m_action; // by record code
    std::vector<RecordRule> m_rules;
};

/// The start of a dummy patient name: "テスト" and the payer mark.
std::string PatientNamePrefix(const ClaimsLayout& layout, bool national)
{
    for (const ReplacedField& f : layout.replaced)
        if (f.how == Dummy::PatientName)
            return cp932::Encode(std::u16string(f.dummy) + std::u16string(kPayerMarks[national ? 1 : 0]));
    return {};
}

} // namespace

RunResult Conv(const std::filesystem::path& pstFile, const OutputTarget& target, ChartPseudonyms* strong)
{
    if (!FileExists(pstFile))
        return RunResult::Refused(RunStatus::MissingFile, kMissingFileText);

    LineReader in(pstFile, LoneCr::Refuse);
    const ClaimsIdentity identity = IdentifyClaims(in.FirstLine());
    if (!identity.layout)
        return RunResult::Refused(RunStatus::NotClaimsFile, identity.refusal);

    const AnonymizeMode mode = strong ? AnonymizeMode::Strong : AnonymizeMode::Default;
    LayoutTracker tracker(*identity.layout);
    Rules rules(tracker, mode);

    std::u16string billingMonth;
    bool national = false;
    std::string namePrefix = PatientNamePrefix(tracker.layout(), false);

    AtomicFile out(target.folder);
    std::string idScratch;
    std::string dequoted;
    std::string dummyName;
    std::string birthDate;
    const auto edit = [&](std::string_view line, std::string& joined) {
        const std::string_view id = RecordId(line, idScratch);
        const std::uint16_t code = RecordCode(id);
        switch (rules.ActionOf(code)) {
        case Rules::kCopy:
            return LineAction::Copy;
        case Rules::kDrop:
            return LineAction::Drop;
        case Rules::kWatch:
            if (!tracker.Record(id, in.LineNumber()))
                return LineAction::Copy;
            rules = Rules(tracker, mode);
            if (rules.ActionOf(code) != Rules::kRule)
                return rules.ActionOf(code) == Rules::kDrop ? LineAction::Drop : LineAction::Copy;
            break;
        case Rules::kRule:
            break;
        }
        const std::string_view record = detail::Dequoted(line, dequoted);
        const bool receipt = id == tracker.layout().receipt;
        const FieldCuts fields(
            record, std::max(rules.RuleOf(code).Cuts(), receipt ? tracker.MostReceiptFields() + 1 : 0));
        if (receipt) {
            const std::size_t count
                = fields.Count() > tracker.MostReceiptFields() ? detail::CountFields(record) : fields.Count();
            // A layout the receipt shows reads no more fields of it than the one it was cut for.
            if (tracker.Receipt(count, in.LineNumber()))
                rules = Rules(tracker, mode);
        }
        const ClaimsLayout& layout = tracker.layout();
        RecordRule& rule = rules.RuleOf(code);
        if (id == layout.header) {
            fields.Require({layout.payerField, layout.billingMonthField});
            rule.Require(fields);
            if (TrimView(fields.Field(layout.payerField)) == "2") {
                national = true;
                namePrefix = PatientNamePrefix(layout, true);
            }
            billingMonth = cp932::Decode(TrimView(fields.Field(layout.billingMonthField)));
        } else if (id == layout.receipt) {
            fields.Require({layout.receiptNumberField});
            rule.Require(fields);
            dummyName = namePrefix;
            // The receipt number would tie the copy's receipts to the clinic's list of them.
            if (!strong)
                AppendWideNumber(fields.Field(layout.receiptNumberField), dummyName);
        } else {
            rule.Require(fields);
        }
        rule.TakeBirthDate(fields, birthDate);
        const Context context {dummyName, strong, birthDate};
        // A record none of whose values changes keeps its bytes; a changed one loses the double quotes the field
        // splitter drops.
        if (!rule.Changes(fields, context))
            return LineAction::Copy;
        rule.Append(joined, fields, context);
        return LineAction::Rewrite;
    };
    const auto copies = [&](std::uint16_t code, std::string_view line) {
        switch (rules.ActionOf(code)) {
        case Rules::kCopy:
            return true;
        case Rules::kRule: {
            const RecordRule& rule = rules.RuleOf(code);
            return rule.TriedInPlace() && rule.Unchanged(line, {{}, strong, birthDate});
        }
        case Rules::kDrop:
        case Rules::kWatch:
            break;
        }
        return false;
    };
    const std::optional<RunResult> refusal = detail::StreamClaims(in, out, copies, edit);
    in.Close();
    if (refusal)
        return *refusal;

    const ClaimsLayout& layout = tracker.layout();
    const char16_t* mstKbn = national ? u"_2" : u"_1";
    return CommitOutput(out, target,
        {billingMonth + mstKbn + (strong ? kStrongCopyMark : u"") + std::u16string(layout.copyExtension), u"請求年月",
            billingMonth, u"匿名化ファイル"},
        strong ? kStrongAnonymizedText : kAnonymizedText, national ? ResultSlot::Second : ResultSlot::First);
}

} // namespace plok::claims
