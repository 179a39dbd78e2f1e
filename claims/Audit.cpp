#include "claims/Audit.h"

#include "claims/AuditFold.h"
#include "claims/AuditMatcher.h"
#include "claims/ClaimsFile.h"
#include "claims/ClaimsRecord.h"
#include "claims/StrongAnonymize.h"
#include "core/Cp932.h"
#include "core/FileNames.h"
#include "core/LineReader.h"
#include "core/StrConv.h"
#include "core/Text.h"

#include <algorithm>
#include <bit>
#include <bitset>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace plok::claims {

namespace {

using namespace audit;
using detail::RecordCode;
using detail::RecordId;

// ---------------------------------------------------------------------------------------------------------------------
// The values of the original.

/// A number of at most 19 digits as one comparable value; the digit count keeps leading zeros apart.
struct NumberKey
{
    std::uint64_t value = 0;
    std::uint32_t digits = 0;
    bool operator==(const NumberKey&) const = default;
};

/// A hash of a number key whose low bits are as good as its high ones (splitmix64's finalizer).
std::size_t HashOf(const NumberKey& k)
{
    std::uint64_t z = k.value ^ (std::uint64_t(k.digits) << 59);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return static_cast<std::size_t>(z ^ (z >> 31));
}

constexpr std::uint32_t kMaxNumberDigits = 19;
/// Shorter numbers stand everywhere as counts and codes.
constexpr std::uint32_t kMinNumberDigits = 5;
/// A number this long is nobody's count, month or code by chance.
constexpr std::uint32_t kAnywhereDigits = 8;
constexpr std::size_t kMinTelephoneDigits = 10;

/// Numbers and their kinds, in one flat open-addressing table: most look-ups find nothing.
class NumberTable
{
public:
    /// Adds `key` unless it is there already.
    void Add(const NumberKey& key, AuditKind kind)
    {
        if (2 * (m_used + 1) > m_slots.size())
            Grow();
        Slot& slot = m_slots[Find(m_slots, key)];
        if (slot.digits == 0) {
            slot = {key.value, key.digits, kind};
            ++m_used;
        }
    }
    std::optional<AuditKind> Kind(const NumberKey& key) const
    {
        if (m_slots.empty())
            return std::nullopt;
        const Slot& slot = m_slots[Find(m_slots, key)];
        return slot.digits != 0 ? std::optional<AuditKind>(slot.kind) : std::nullopt;
    }

private:
    struct Slot
    {
        std::uint64_t value = 0;
        std::uint32_t digits = 0; // 0: empty
        AuditKind kind {};
    };

    /// The slot of `key`, or the empty one where it would go.
    static std::size_t Find(const std::vector<Slot>& slots, const NumberKey& key)
    {
        const std::size_t mask = slots.size() - 1;
        for (std::size_t i = HashOf(key) & mask;; i = (i + 1) & mask)
            if (slots[i].digits == 0 || (slots[i].value == key.value && slots[i].digits == key.digits))
                return i;
    }
    void Grow()
    {
        std::vector<Slot> slots(m_slots.empty() ? 256 : 2 * m_slots.size());
        for (const Slot& s : m_slots)
            if (s.digits != 0)
                slots[Find(slots, {s.value, s.digits})] = s;
        m_slots.swap(slots);
    }

    std::vector<Slot> m_slots;
    std::size_t m_used = 0;
};

/// `symbols` as a number when they are digits only.
std::optional<NumberKey> NumberOf(std::span<const Symbol> symbols)
{
    if (symbols.empty() || symbols.size() > kMaxNumberDigits)
        return std::nullopt;
    NumberKey key;
    for (const Symbol s : symbols) {
        if (!IsDigit(s))
            return std::nullopt;
        key.value = key.value * 10 + (s - '0');
    }
    key.digits = static_cast<std::uint32_t>(symbols.size());
    return key;
}

NumberKey WithoutLeadingZeros(NumberKey key)
{
    static constexpr std::array<std::uint64_t, kMaxNumberDigits + 1> powers = [] {
        std::array<std::uint64_t, kMaxNumberDigits + 1> p {};
        p[0] = 1;
        for (std::size_t i = 1; i < p.size(); ++i)
            p[i] = p[i - 1] * 10;
        return p;
    }();
    // Most numbers have no leading zero.
    while (key.digits > 0 && key.digits <= kMaxNumberDigits && key.value < powers[key.digits - 1])
        --key.digits;
    return key;
}

/// The first day of each era of the claims format's dates (1 明治 to 5 令和), as yyyymmdd.
constexpr std::array<std::uint32_t, 6> kEraStart = {0, 18680908, 19120730, 19261225, 19890108, 20190501};

/// A day in the era form of the claims format (era digit, year, month, day: 3450712), from its parts; nothing for no
/// such day.
std::optional<NumberKey> EraDate(std::uint32_t era, std::uint32_t year, std::uint32_t month, std::uint32_t day)
{
    if (era < 1 || era > 5 || year < 1 || year > 99 || month < 1 || month > 12 || day < 1 || day > 31)
        return std::nullopt;
    return NumberKey {std::uint64_t(era) * 1000000 + year * 10000 + month * 100 + day, 7};
}

/// A date of the era form (3450712) or the western one (19700712) in the era form; nothing for no such day.
std::optional<NumberKey> EraFormOf(const NumberKey& key)
{
    const auto monthDay = static_cast<std::uint32_t>(key.value % 10000);
    if (key.digits == 7)
        return EraDate(static_cast<std::uint32_t>(key.value / 1000000),
            static_cast<std::uint32_t>(key.value / 10000 % 100), monthDay / 100, monthDay % 100);
    if (key.digits != 8)
        return std::nullopt;
    const auto western = static_cast<std::uint32_t>(key.value);
    for (std::uint32_t era = 5; era >= 1; --era)
        if (western >= kEraStart[era])
            return EraDate(era, western / 10000 - kEraStart[era] / 10000 + 1, monthDay / 100, monthDay % 100);
    return std::nullopt;
}

/// A number written where a date may stand, as the dates it can be: in the era form when it is one of the two forms
/// of a day; six digits are the era form without its era digit (450712).
struct DateCandidate
{
    NumberKey key;
    std::optional<NumberKey> era;

    explicit DateCandidate(const NumberKey& k)
        : key(k)
        , era(EraFormOf(k))
    { }

    /// True when `stored`, a date as Values keeps it (EraFormOf where it has one), is this day.
    bool Is(const NumberKey& stored) const
    {
        if (stored == key || (era && stored == *era))
            return true;
        return key.digits == 6 && stored.digits == 7 && stored.value % 1000000 == key.value;
    }
};

bool Contains(std::span<const Symbol> text, std::span<const Symbol> part)
{
    return std::search(text.begin(), text.end(), part.begin(), part.end()) != text.end();
}

/// Removes every occurrence of `word` from `text`.
void Erase(std::vector<Symbol>& text, std::span<const Symbol> word)
{
    for (auto at = std::search(text.begin(), text.end(), word.begin(), word.end()); at != text.end();
         at = std::search(at, text.end(), word.begin(), word.end()))
        at = text.erase(at, at + static_cast<std::ptrdiff_t>(word.size()));
}

/// The words around an institution's own name: legal forms (longest first, so that 医療法人 goes before 法人),
/// facilities at the end of a name, and departments, which alone name nobody.
struct InstitutionWords
{
    std::vector<std::vector<Symbol>> legal, facility, department;

    InstitutionWords()
    {
        const FoldTable& fold = FoldTable::Get();
        for (const char16_t* w : {u"地方独立行政法人", u"独立行政法人", u"一般社団法人", u"一般財団法人",
                 u"公益社団法人", u"公益財団法人", u"社会福祉法人", u"社会医療法人", u"特定医療法人", u"特別医療法人",
                 u"医療法人", u"法人", u"社団", u"財団"})
            legal.push_back(fold.Symbols(std::u16string_view(w)));
        for (const char16_t* w :
            {u"クリニック", u"医療センター", u"診療所", u"診療院", u"医院", u"病院", u"医科", u"歯科医院"})
            facility.push_back(fold.Symbols(std::u16string_view(w)));
        for (const char16_t* w :
            {u"リハビリテーション科", u"耳鼻咽喉科", u"脳神経外科", u"整形外科", u"形成外科", u"心療内科", u"神経内科",
                u"産婦人科", u"泌尿器科", u"循環器科", u"消化器科", u"呼吸器科", u"放射線科", u"小児科", u"皮膚科",
                u"婦人科", u"精神科", u"胃腸科", u"肛門科", u"内科", u"外科", u"眼科", u"歯科", u"産科"})
            department.push_back(fold.Symbols(std::u16string_view(w)));
    }
};

/// Legal abbreviations in brackets, which the fold would leave as a lone 医 or 社.
const std::vector<std::string>& BracketedLegal()
{
    static const std::vector<std::string> words = [] {
        std::vector<std::string> list;
        for (const char16_t* w : {u"（医）", u"(医)", u"（社）", u"(社)", u"（財）", u"(財)"})
            list.push_back(cp932::Encode(std::u16string_view(w)));
        return list;
    }();
    return words;
}

/// The dummies of the anonymisation, folded: a value found within one proves nothing.
class Dummies
{
public:
    Dummies(const ClaimsLayout& layout, AnonymizeMode mode)
    {
        const FoldTable& fold = FoldTable::Get();
        for (const ReplacedField& f : layout.replaced) {
            if (f.how == Dummy::PatientName) {
                for (const std::u16string_view mark : kPayerMarks)
                    m_prefixes.push_back(fold.Symbols(std::u16string(f.dummy) + std::u16string(mark)));
                continue;
            }
            AddFixed(fold.Symbols(f.dummy));
        }
        if (mode == AnonymizeMode::Strong)
            for (const StrongField& f : layout.strong)
                if (f.fill == StrongFill::Fixed)
                    AddFixed(fold.Symbols(f.dummy));
        for (const auto* list : {&m_texts, &m_prefixes})
            for (const std::vector<Symbol>& dummy : *list)
                for (const Symbol s : dummy)
                    m_symbols.set(s);
        for (Symbol d = '0'; d <= '9'; ++d)
            m_symbols.set(d);
    }

    bool Number(const NumberKey& key) const
    {
        return std::find(m_numbers.begin(), m_numbers.end(), key) != m_numbers.end();
    }

    bool Text(std::span<const Symbol> text) const
    {
        // Most values hold a character that no dummy has.
        if (!std::all_of(text.begin(), text.end(), [&](Symbol s) { return m_symbols[s]; }))
            return false;
        for (const std::vector<Symbol>& dummy : m_texts)
            if (Contains(dummy, text))
                return true;
        // A dummy patient name is a prefix and the receipt number in digits: a text within one is a piece of the
        // prefix, or the prefix's end followed by digits.
        std::size_t digits = 0;
        while (digits < text.size() && IsDigit(text[text.size() - 1 - digits]))
            ++digits;
        const std::span<const Symbol> head = text.first(text.size() - digits);
        for (const std::vector<Symbol>& prefix : m_prefixes) {
            if (Contains(prefix, text))
                return true;
            if (digits > 0 && !head.empty() && head.size() <= prefix.size()
                && std::equal(head.begin(), head.end(), prefix.end() - static_cast<std::ptrdiff_t>(head.size())))
                return true;
        }
        return false;
    }

private:
    void AddFixed(std::vector<Symbol> symbols)
    {
        if (symbols.empty())
            return;
        if (const std::optional<NumberKey> key = NumberOf(symbols))
            m_numbers.push_back(*key);
        m_texts.push_back(std::move(symbols));
    }

    std::vector<std::vector<Symbol>> m_texts;
    std::vector<std::vector<Symbol>> m_prefixes;
    std::vector<NumberKey> m_numbers;
    std::bitset<65536> m_symbols; // every symbol of a dummy, and the digits a dummy name ends in
};

/// A field the strong anonymisation fills with a value of its own (a pseudonym, a date kept to its month): its field
/// of a strong copy is compared with its receipt's original only.
struct OwnField
{
    std::string_view record;
    std::uint16_t code; // the record's
    std::size_t field;
    AuditKind kind;
    std::size_t slot; // among a receipt's own values
};

/// The fields of `strong` with a kind, in its order: a medical and a DPC layout give theirs the same slots.
std::vector<OwnField> OwnFieldsOf(const ClaimsLayout& layout)
{
    std::vector<OwnField> own;
    for (const StrongField& f : layout.strong)
        if (f.kind)
            own.push_back({f.record, RecordCode(f.record), f.field, *f.kind, own.size()});
    return own;
}

/// The values taken from the original: numbers for whole-field comparison, texts for a search anywhere.
class Values
{
public:
    Values(const FoldTable& fold, const ClaimsLayout& layout, AnonymizeMode mode)
        : m_fold(fold)
        , m_dummies(layout, mode)
        , m_own(OwnFieldsOf(layout).size())
    { }

    /// The value `raw` of a field of kind `kind` in receipt `receipt`; `own` is its slot among the receipt's own
    /// values (OwnFieldsOf) when the strong anonymisation fills the field with a value of its own.
    void Add(AuditKind kind, std::string_view raw, std::uint32_t receipt, std::optional<std::size_t> own = std::nullopt)
    {
        if (own && m_other)
            return;
        if (own) {
            AddOwn(*own, kind, raw, receipt);
            return;
        }
        switch (kind) {
        case AuditKind::PatientName:
        case AuditKind::PatientKanaName:
            AddName(raw, kind);
            return;
        case AuditKind::InstitutionName:
            AddInstitution(raw);
            return;
        default:
            break;
        }
        const std::vector<Symbol>& symbols = Folded(raw);
        if (symbols.empty())
            return;
        const bool digits = std::all_of(symbols.begin(), symbols.end(), IsDigit);
        if (kind == AuditKind::Telephone && digits && symbols.size() >= kMinTelephoneDigits) {
            AddTelephone(raw);
            return;
        }
        if (!digits) {
            AddText(symbols, kind, Rule::Anywhere);
            return;
        }
        const std::optional<NumberKey> key = NumberOf(symbols);
        if (!key) {
            AddText(symbols, kind, Rule::Digits);
            return;
        }
        if (key->digits < kMinNumberDigits || m_dummies.Number(*key))
            return;
        m_digitCounts |= 1u << key->digits;
        if (key->digits >= kAnywhereDigits || kind == AuditKind::InstitutionCode || kind == AuditKind::Telephone) {
            m_anywhere.Add(*key, kind);
            return;
        }
        if (!m_other)
            AddNearby(*key, kind, receipt);
    }

    /// From now on the values come from another original of the run: its receipts are none of the copy's, so only
    /// what counts anywhere is taken.
    void FromOtherOriginal() { m_other = true; }

    void Build() { m_patterns.Build(); }

    /// The kind of `key` in a whole field of receipt `receipt` of the copy; `structure` when the field is one of the
    /// format's own numbers.
    std::optional<AuditKind> NumberKind(
        const NumberKey& key, std::uint32_t receipt, bool structure, bool dateField = false) const
    {
        // A chart number counts with other leading zeros too.
        const NumberKey stripped = WithoutLeadingZeros(key);
        if (!((m_digitCounts >> key.digits) & 1u) && !((m_digitCounts >> stripped.digits) & 1u))
            return std::nullopt;
        // The format's own numbers equal short values by chance; only a birth date counts in its date fields (a
        // newborn's illness begins on the day of birth, which the strong copy keeps to its month there too).
        const bool shortInStructure = structure && key.digits < kAnywhereDigits;
        if (!shortInStructure) {
            if (const std::optional<AuditKind> kind = m_anywhere.Kind(key))
                return kind;
            if (stripped.digits != key.digits && m_anywhere.Kind(stripped) == AuditKind::ChartNumber)
                return AuditKind::ChartNumber;
        }
        std::optional<DateCandidate> day;
        for (std::uint32_t r = receipt == 0 ? 0 : receipt - 1; r <= receipt + 1 && r < m_receiptStart.size(); ++r) {
            const std::size_t end = r + 1 < m_receiptStart.size() ? m_receiptStart[r + 1] : m_numbers.size();
            for (std::size_t i = m_receiptStart[r]; i < end; ++i) {
                const auto& [value, kind] = m_numbers[i];
                if (IsDate(kind)) {
                    if (!day)
                        day.emplace(key);
                    if (!day->Is(value))
                        continue;
                } else if (!(value == key || (kind == AuditKind::ChartNumber && value == stripped))) {
                    continue;
                }
                // A date of a receipt next to this one is chance: a date comment of its own.
                if (IsDate(kind)) {
                    if (r == receipt && (!structure || (dateField && kind == AuditKind::BirthDate)))
                        return kind;
                    continue;
                }
                if (!shortInStructure)
                    return kind;
            }
        }
        return std::nullopt;
    }

    /// The kind of the date `key` (Dates) when receipt `receipt` has it.
    std::optional<AuditKind> DateKind(const NumberKey& key, std::uint32_t receipt) const
    {
        if (receipt >= m_receiptStart.size() || !m_dates)
            return std::nullopt;
        const std::size_t end = receipt + 1 < m_receiptStart.size() ? m_receiptStart[receipt + 1] : m_numbers.size();
        const DateCandidate day(key);
        for (std::size_t i = m_receiptStart[receipt]; i < end; ++i)
            if (IsDate(m_numbers[i].second) && day.Is(m_numbers[i].first))
                return m_numbers[i].second;
        return std::nullopt;
    }
    bool HasDates() const { return m_dates; }

    /// True when receipt `receipt`'s own field in slot `slot`, whose folded symbols are `symbols`, holds the original's
    /// value there: the strong anonymisation left it.
    bool OwnValue(std::uint32_t receipt, std::size_t slot, std::span<const Symbol> symbols) const
    {
        return slot < m_own.size() && receipt < m_own[slot].size() && m_own[slot][receipt] != 0
            && m_own[slot][receipt] == OwnHash(symbols);
    }
    bool HasNumbers() const { return m_digitCounts != 0; }
    /// True when a number of `digits` digits is looked for.
    bool LooksFor(std::uint32_t digits) const { return digits < 32 && ((m_digitCounts >> digits) & 1u); }
    const PatternSet& patterns() const { return m_patterns; }

    static bool IsDate(AuditKind kind) { return kind == AuditKind::BirthDate || kind == AuditKind::AdmissionDate; }

private:
    /// A number looked for in the lines of its receipt and of the receipts next to it.
    void AddNearby(const NumberKey& key, AuditKind kind, std::uint32_t receipt)
    {
        // Receipts come in file order, so each receipt's numbers form one run of the list.
        while (m_receiptStart.size() <= receipt)
            m_receiptStart.push_back(static_cast<std::uint32_t>(m_numbers.size()));
        m_numbers.push_back({key, kind});
    }

    /// `raw` folded, the characters left out dropped (in m_whole).
    const std::vector<Symbol>& Folded(std::string_view raw)
    {
        m_whole.clear();
        m_fold.Fold(raw, [&](Symbol s, bool) { m_whole.push_back(s); });
        return m_whole;
    }

    /// 64-bit FNV-1a of the folded symbols (0 stands for none): what a receipt's own field is compared by.
    static std::uint64_t OwnHash(std::span<const Symbol> symbols)
    {
        std::uint64_t h = 0xcbf29ce484222325ULL;
        for (const Symbol s : symbols) {
            h = (h ^ (s & 0xFF)) * 0x100000001b3ULL;
            h = (h ^ (s >> 8)) * 0x100000001b3ULL;
        }
        return h == 0 ? 1 : h;
    }

    /// A value the strong anonymisation replaces in its own field: compared there with its own receipt's value only
    /// (what else a pseudonym or a date kept to its month spells is chance), and as a number elsewhere, a date only in
    /// its receipt and the ones next to it, in fields that are none of the format's own.
    void AddOwn(std::size_t slot, AuditKind kind, std::string_view raw, std::uint32_t receipt)
    {
        if (IsDate(kind)) {
            std::string month;
            AppendMonthOfDate(raw, month);
            // A date on the first of its month (or of its era) is what the strong anonymisation writes.
            if (month == TrimView(raw))
                return;
        }
        const std::vector<Symbol>& symbols = Folded(raw);
        if (symbols.empty())
            return;
        std::vector<std::uint64_t>& own = m_own[slot];
        if (own.size() <= receipt)
            own.resize(receipt + 1, 0);
        own[receipt] = OwnHash(symbols);
        const std::optional<NumberKey> key = NumberOf(symbols);
        if (!key || key->digits < kMinNumberDigits || m_dummies.Number(*key))
            return;
        m_digitCounts |= 1u << key->digits;
        m_dates = m_dates || IsDate(kind);
        if (IsDate(kind)) {
            // One form is kept; a day is compared in each of its forms (DateCandidate).
            m_digitCounts |= 1u << 6 | 1u << 7 | 1u << 8;
            AddNearby(EraFormOf(*key).value_or(*key), kind, receipt);
            return;
        }
        if (kind == AuditKind::ChartNumber && key->digits >= kAnywhereDigits)
            m_anywhere.Add(*key, kind);
        else
            AddNearby(*key, kind, receipt);
        if (kind == AuditKind::ChartNumber)
            AddChartForms(*key, raw, receipt);
    }

    /// A chart number is written without its leading zeros, and without its branch (12345 for 012345-01).
    void AddChartForms(const NumberKey& key, std::string_view raw, std::uint32_t receipt)
    {
        const NumberKey stripped = WithoutLeadingZeros(key);
        if (stripped.digits != key.digits)
            AddNearbyNumber(stripped, AuditKind::ChartNumber, receipt);
        // The digits before the first character left out (a hyphen, a slash), when others follow.
        NumberKey main;
        bool cut = false;
        m_fold.Fold(raw, [&](Symbol s, bool gap) {
            cut = cut || (gap && main.digits > 0);
            if (!cut && main.digits < kMaxNumberDigits) {
                main.value = main.value * 10 + (s - '0');
                ++main.digits;
            }
        });
        if (cut)
            AddNearbyNumber(WithoutLeadingZeros(main), AuditKind::ChartNumber, receipt);
    }

    void AddNearbyNumber(const NumberKey& key, AuditKind kind, std::uint32_t receipt)
    {
        if (key.digits < kMinNumberDigits || m_dummies.Number(key))
            return;
        m_digitCounts |= 1u << key.digits;
        m_dates = m_dates || IsDate(kind);
        AddNearby(key, kind, receipt);
    }

    /// A telephone number as its digits, with +81 for its leading 0, and its number without the area code where
    /// TEL or 電話 stands before it.
    void AddTelephone(std::string_view raw)
    {
        const std::vector<std::vector<Symbol>> groups = Parts(raw);
        std::vector<Symbol> all;
        for (const std::vector<Symbol>& g : groups)
            all.insert(all.end(), g.begin(), g.end());
        AddText(all, AuditKind::Telephone, Rule::Digits);
        if (all[0] == '0') {
            std::vector<Symbol> international {'8', '1'};
            international.insert(international.end(), all.begin() + 1, all.end());
            AddText(international, AuditKind::Telephone, Rule::Digits);
        }
        if (groups.size() < 2 || groups[0].size() >= all.size())
            return;
        static const std::vector<std::vector<Symbol>> labels = FoldedWords({u"TEL", u"TEL:", u"電話", u"電話:"});
        for (const std::vector<Symbol>& label : labels) {
            std::vector<Symbol> local = label;
            local.insert(local.end(), all.begin() + static_cast<std::ptrdiff_t>(groups[0].size()), all.end());
            AddText(local, AuditKind::Telephone, Rule::Digits);
        }
    }

    void AddText(std::span<const Symbol> symbols, AuditKind kind, Rule rule)
    {
        if (symbols.size() >= 2 && !m_dummies.Text(symbols))
            m_patterns.Add(symbols, {kind, rule});
    }

    /// The name whole, without its blanks, and each part on its own; a part in katakana only counts as a word.
    void AddName(std::string_view raw, AuditKind kind)
    {
        m_whole.clear();
        m_parts.clear();
        m_fold.Fold(raw, [&](Symbol s, bool gap) {
            if (gap && !m_whole.empty())
                m_parts.push_back(m_whole.size());
            m_whole.push_back(s);
        });
        m_parts.push_back(m_whole.size());
        // The whole name finds nothing its parts do not, unless a part is too short to count or counts as a word only.
        bool wholeNeeded = m_parts.size() == 1;
        std::size_t start = 0;
        for (const std::size_t end : m_parts) {
            const std::span<const Symbol> part(m_whole.data() + start, end - start);
            start = end;
            if (m_parts.size() == 1)
                break;
            const bool kana = std::all_of(part.begin(), part.end(), [&](Symbol s) { return m_fold.IsKatakana(s); });
            if (part.size() < 2 || kana)
                wholeNeeded = true;
            AddText(part, kind, kana ? Rule::KanaWord : Rule::NamePart);
        }
        if (wholeNeeded) {
            AddText(m_whole, kind, Rule::Anywhere);
            if (m_parts.size() > 1)
                if (std::vector<Symbol> joined = m_fold.Joined(m_whole); joined != m_whole)
                    AddText(joined, kind, Rule::Anywhere);
        }
        // A name of kanji stored without its blank: its surname alone (山田 of 山田太郎) is written most often, and
        // most surnames have two kanji.
        if (m_parts.size() == 1 && m_whole.size() >= 3
            && std::all_of(m_whole.begin(), m_whole.end(), [](Symbol s) { return FoldTable::IsKanji(s); }))
            AddText(std::span<const Symbol>(m_whole.data(), 2), kind, Rule::NamePart);
    }

public:
    /// A name and its kana name from one receipt, each of two parts: the surname of one with the given name of the
    /// other (林けん, ハヤシ健) names the patient too. Only where the name's part is of one character: a longer one
    /// is found on its own.
    void AddNamePair(std::string_view name, std::string_view kana)
    {
        const std::vector<std::vector<Symbol>> names = Parts(name);
        if (names.size() != 2 || (names[0].size() != 1 && names[1].size() != 1))
            return;
        const std::vector<std::vector<Symbol>> kanas = Parts(kana);
        if (kanas.size() != 2)
            return;
        for (std::size_t i = 0; i < 2; ++i) {
            if (names[i].size() != 1)
                continue;
            std::vector<Symbol> mixed = i == 0 ? names[0] : kanas[0];
            const std::vector<Symbol>& given = i == 0 ? kanas[1] : names[1];
            mixed.insert(mixed.end(), given.begin(), given.end());
            AddText(mixed, AuditKind::PatientName, Rule::Anywhere);
        }
    }

private:
    /// The parts of a name, cut where a character is left out.
    std::vector<std::vector<Symbol>> Parts(std::string_view raw) const
    {
        std::vector<std::vector<Symbol>> parts(1);
        m_fold.Fold(raw, [&](Symbol s, bool gap) {
            if (gap && !parts.back().empty())
                parts.emplace_back();
            parts.back().push_back(s);
        });
        if (parts.back().empty())
            parts.pop_back();
        return parts;
    }

    /// The name whole, and its distinctive parts: without legal words, and without the facility word at the end.
    void AddInstitution(std::string_view raw)
    {
        static const InstitutionWords words;
        // A bracketed legal form is a word of its own.
        std::string bytes;
        for (std::size_t i = 0; i < raw.size();) {
            const auto bracketed = std::find_if(BracketedLegal().begin(), BracketedLegal().end(),
                [&](const std::string& b) { return raw.substr(i).starts_with(b); });
            if (bracketed != BracketedLegal().end()) {
                bytes += ' ';
                i += bracketed->size();
            } else {
                bytes += raw[i++];
            }
        }
        AddText(m_fold.Symbols(raw), AuditKind::InstitutionName, Rule::Anywhere);
        // The whole name and each of its words, each without legal words, then without the facility at the end.
        std::vector<std::vector<Symbol>> pieces(1);
        m_fold.Fold(bytes, [&](Symbol s, bool gap) {
            if (gap && !pieces.back().empty())
                pieces.emplace_back();
            pieces.back().push_back(s);
        });
        if (pieces.size() > 1) {
            std::vector<Symbol> whole;
            for (const std::vector<Symbol>& p : pieces)
                whole.insert(whole.end(), p.begin(), p.end());
            pieces.push_back(std::move(whole));
        }
        for (std::vector<Symbol>& piece : pieces) {
            for (const std::vector<Symbol>& legal : words.legal)
                Erase(piece, legal);
            if (!Distinctive(piece, words))
                continue;
            AddText(piece, AuditKind::InstitutionName, Rule::Anywhere);
            for (const std::vector<Symbol>& facility : words.facility) {
                if (piece.size() > facility.size() && std::equal(facility.rbegin(), facility.rend(), piece.rbegin())) {
                    piece.resize(piece.size() - facility.size());
                    break;
                }
            }
            if (!Distinctive(piece, words))
                continue;
            AddText(piece, AuditKind::InstitutionName, Rule::Anywhere);
            // The name is written with another facility or department word as often (桜丘医院, 桜丘クリニック for
            // 桜丘内科クリニック).
            for (const std::vector<Symbol>& department : words.department) {
                if (piece.size() > department.size()
                    && std::equal(department.rbegin(), department.rend(), piece.rbegin())) {
                    piece.resize(piece.size() - department.size());
                    break;
                }
            }
            if (!Distinctive(piece, words))
                continue;
            for (const auto* list : {&words.facility, &words.department}) {
                for (const std::vector<Symbol>& word : *list) {
                    std::vector<Symbol> named = piece;
                    named.insert(named.end(), word.begin(), word.end());
                    AddText(named, AuditKind::InstitutionName, Rule::Anywhere);
                }
            }
        }
    }

    /// True when at least two symbols of `piece` are no facility or department word.
    static bool Distinctive(const std::vector<Symbol>& piece, const InstitutionWords& words)
    {
        std::vector<Symbol> rest = piece;
        for (const auto* list : {&words.facility, &words.department})
            for (const std::vector<Symbol>& word : *list)
                Erase(rest, word);
        return rest.size() >= 2;
    }

    const FoldTable& m_fold;
    Dummies m_dummies;
    PatternSet m_patterns;
    NumberTable m_anywhere;
    std::vector<std::pair<NumberKey, AuditKind>> m_numbers;
    std::vector<std::uint32_t> m_receiptStart; // where each receipt's numbers begin in m_numbers
    std::uint32_t m_digitCounts = 0; // bit n: a number of n digits is looked for
    // By slot, then by receipt: OwnHash of the receipts' own values; 0: none. A slot of a rare record (an organ
    // donor's) takes memory only as far as its last receipt.
    std::vector<std::vector<std::uint64_t>> m_own;
    std::vector<Symbol> m_whole;
    std::vector<std::size_t> m_parts;
    bool m_other = false;
    bool m_dates = false; // a date is looked for in its written forms
};

/// The fields whose values the audit looks for (the layout's `replaced` table, and its own fields for a strong copy)
/// for each record code, and how many fields of the record hold them.
struct ReplacedByRecord
{
    struct Field
    {
        std::size_t field;
        AuditKind kind;
        std::optional<std::size_t> own;
    };
    struct Record
    {
        std::vector<Field> fields;
        std::size_t cuts = 0;
        bool watched = false; // the layout tracker looks at it
        bool dropped = false; // the anonymisation leaves its lines out
    };
    std::vector<Record> records {Record()}; // 0: none
    std::vector<std::uint8_t> index = std::vector<std::uint8_t>(65536, 0); // by record code

    ReplacedByRecord(const LayoutTracker& tracker, AnonymizeMode mode)
    {
        const ClaimsLayout& layout = tracker.layout();
        for (const ReplacedField& f : layout.replaced)
            Add(f.record, Field {f.field, f.kind, std::nullopt});
        if (mode == AnonymizeMode::Strong)
            for (const OwnField& f : OwnFieldsOf(layout))
                Add(f.record, Field {f.field, f.kind, f.slot});
        // The records that begin a receipt or tell the layout are looked at too.
        Add(layout.receiptStart, std::nullopt);
        Add(layout.receipt, std::nullopt);
        for (const std::string_view id : tracker.Watched())
            Add(id, std::nullopt).watched = true;
        for (const DroppedRecord& r : layout.dropped)
            Add(r.record, std::nullopt).dropped = true;
    }

private:
    Record& Add(std::string_view record, std::optional<Field> field)
    {
        std::uint8_t& i = index[RecordCode(record)];
        if (i == 0) {
            i = static_cast<std::uint8_t>(records.size());
            records.emplace_back();
        }
        if (!field)
            return records[i];
        records[i].fields.push_back(*field);
        records[i].cuts = std::max(records[i].cuts, field->field + 1);
        return records[i];
    }
};

/// The institution code as it is written in full: prefecture (two digits), table (one) and code.
void AddFullInstitutionCode(
    std::string_view prefecture, std::string_view table, std::string_view code, std::uint32_t receipt, Values& values)
{
    prefecture = TrimView(prefecture);
    table = TrimView(table);
    code = TrimView(code);
    const auto digits = [](std::string_view d) {
        return std::all_of(d.begin(), d.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (prefecture.size() != 2 || table.size() != 1 || code.empty() || !digits(prefecture) || !digits(table)
        || !digits(code))
        return;
    values.Add(AuditKind::InstitutionCode, std::string(prefecture) + std::string(table) + std::string(code), receipt);
}

/// Reads the values of `original` into `values` (made here when there are none yet, with the dummies of its kind) by
/// the layout its records show, and returns that layout; the numbers of its lines the anonymisation leaves out go to
/// `droppedLines` when given. Throws LayoutError for a file of no kind plok reads or whose records do not fit.
const ClaimsLayout& CollectValues(const std::filesystem::path& original, const FoldTable& fold, AnonymizeMode mode,
    std::optional<Values>& values, std::vector<std::uint64_t>* droppedLines)
{
    LineReader in(original, LoneCr::Refuse);
    const ClaimsIdentity identity = IdentifyClaims(in.FirstLine());
    if (!identity.layout)
        throw LayoutError(identity.refusal);
    // A medical and a DPC layout have the same dummies.
    if (!values)
        values.emplace(fold, *identity.layout, mode);
    LayoutTracker tracker(*identity.layout);
    ReplacedByRecord byRecord(tracker, mode);
    std::string dequoted;
    std::string idScratch;
    std::string_view line;
    std::string_view skipped;
    std::uint32_t receipt = 0;
    // Lines of other records are passed over in runs, without a look at each one's fields.
    const auto passOver = [&](std::string_view l) {
        return detail::HasPlainRecordId(l) && byRecord.index[RecordCode(l.substr(0, 2))] == 0;
    };
    for (;;) {
        if (!in.TakeWhile(passOver, skipped, line) && !in.Next(line))
            break;
        const std::string_view id = RecordId(line, idScratch);
        if (byRecord.index[RecordCode(id)] == 0)
            continue;
        if (droppedLines && byRecord.records[byRecord.index[RecordCode(id)]].dropped)
            droppedLines->push_back(in.LineNumber());
        const ClaimsLayout& layout = tracker.layout();
        if (id == layout.receiptStart)
            ++receipt;
        // The fields as the splitter gives them: the record without its double quotes, cut at its commas. A layout
        // a receipt shows reads no more of its fields than the one it was cut for.
        const std::string_view record = detail::Dequoted(line, dequoted);
        const bool isReceipt = id == layout.receipt;
        const detail::FieldCuts fields(record,
            std::max(byRecord.records[byRecord.index[RecordCode(id)]].cuts,
                isReceipt ? tracker.MostReceiptFields() + 1 : 0));
        bool changed = false;
        if (isReceipt)
            changed = tracker.Receipt(
                fields.Count() > tracker.MostReceiptFields() ? detail::CountFields(record) : fields.Count(),
                in.LineNumber());
        else if (byRecord.records[byRecord.index[RecordCode(id)]].watched)
            changed = tracker.Record(id, in.LineNumber());
        if (changed)
            byRecord = ReplacedByRecord(tracker, mode);
        const ReplacedByRecord::Record& fieldsOf = byRecord.records[byRecord.index[RecordCode(id)]];
        std::optional<std::string_view> name;
        std::optional<std::string_view> kana;
        for (const ReplacedByRecord::Field& f : fieldsOf.fields) {
            if (!fields.Has(f.field))
                continue;
            values->Add(f.kind, fields.Field(f.field), receipt, f.own);
            if (f.kind == AuditKind::PatientName)
                name = fields.Field(f.field);
            else if (f.kind == AuditKind::PatientKanaName)
                kana = fields.Field(f.field);
            else if (f.kind == AuditKind::InstitutionCode && f.field >= 2 && fields.Has(f.field - 1))
                AddFullInstitutionCode(
                    fields.Field(f.field - 2), fields.Field(f.field - 1), fields.Field(f.field), receipt, *values);
        }
        if (name && kana)
            values->AddNamePair(*name, *kana);
    }
    return tracker.layout();
}

// ---------------------------------------------------------------------------------------------------------------------
// The copy.

/// The commas of the 64 bytes at `p` (all readable), and the bytes from 0x80 among them, one bit per byte.
struct BlockMasks
{
    std::uint64_t commas = 0;
    std::uint64_t high = 0;

    explicit BlockMasks(const char* p)
    {
#ifdef __SSE2__
        const __m128i comma = _mm_set1_epi8(',');
        for (int i = 0; i < 4; ++i) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
            commas |= std::uint64_t(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, comma)))) << (16 * i);
            high |= std::uint64_t(static_cast<unsigned>(_mm_movemask_epi8(v))) << (16 * i);
        }
#else
        for (int i = 0; i < 64; ++i) {
            commas |= std::uint64_t(p[i] == ',') << i;
            high |= std::uint64_t(static_cast<unsigned char>(p[i]) >= 0x80) << i;
        }
#endif
    }
};

/// The set bits of `x`, without the library call that std::popcount becomes where the processor's instruction may
/// not be assumed.
constexpr unsigned Popcount(std::uint64_t x)
{
    x -= (x >> 1) & 0x5555555555555555ULL;
    x = (x & 0x3333333333333333ULL) + ((x >> 2) & 0x3333333333333333ULL);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
    return static_cast<unsigned>((x * 0x0101010101010101ULL) >> 56);
}

/// True when `s`, of at most 16 bytes followed by readable ones, is digits only.
bool AllDigits(std::string_view s)
{
#ifdef __SSE2__
    const __m128i v = _mm_sub_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s.data())), _mm_set1_epi8('0'));
    const auto digits = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(v, _mm_set1_epi8(9)), v)));
    const unsigned want = (1u << s.size()) - 1;
    return (digits & want) == want;
#else
    return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
#endif
}

/// True when every byte of `s` is below 0x80.
bool IsAscii(std::string_view s)
{
    const char* p = s.data();
    const char* const end = p + s.size();
#ifdef __SSE2__
    if (end - p >= 16) {
        // The last sixteen bytes overlap those before them rather than taking a step each.
        __m128i any = _mm_loadu_si128(reinterpret_cast<const __m128i*>(end - 16));
        for (; end - p > 16; p += 16)
            any = _mm_or_si128(any, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
        return _mm_movemask_epi8(any) == 0;
    }
#endif
    for (; p < end; ++p)
        if (static_cast<unsigned char>(*p) >= 0x80)
            return false;
    return true;
}

/// Calls `onField(index, field)` for every field of `line` (cut at commas) of at least `minLength` bytes (1..64),
/// in order; `commas(b)` gives the commas of the line's 64-byte block b, with the bits past the line set. Most fields
/// of a claims line are short: they are passed over 64 bytes at a time, without a step each.
template<class Commas, class OnField>
void ForEachLongField(std::string_view line, Commas commas, std::size_t minLength, OnField onField)
{
    const std::size_t n = line.size();
    const std::size_t blocks = (n + 63) / 64;
    const auto commasAt = [&](std::size_t b) { return b < blocks ? commas(b) : ~std::uint64_t(0); };
    std::uint64_t current = commasAt(0);
    std::uint64_t next = commasAt(1);
    std::size_t fieldsBefore = 0;
    std::uint64_t commaBefore = 1; // the start of the line begins a field
    for (std::size_t b = 0; b < blocks; ++b) {
        const std::uint64_t text = ~current;
        const std::uint64_t nextText = ~next;
        // Bit i: minLength bytes of text from i on.
        std::uint64_t run = text;
        for (std::size_t k = 1; k < minLength; ++k)
            run &= (text >> k) | (nextText << (64 - k));
        for (std::uint64_t starts = run & text & ((current << 1) | commaBefore); starts != 0; starts &= starts - 1) {
            const auto bit = static_cast<unsigned>(std::countr_zero(starts));
            const std::size_t begin = 64 * b + bit;
            const std::size_t index = fieldsBefore + Popcount(current & ((std::uint64_t(1) << bit) - 1));
            const std::uint64_t after = bit == 63 ? 0 : current & ~((std::uint64_t(2) << bit) - 1);
            const std::size_t end = std::min(after != 0 ? 64 * b + static_cast<std::size_t>(std::countr_zero(after))
                    : next != 0 ? 64 * (b + 1) + static_cast<std::size_t>(std::countr_zero(next))
                                : line.find(',', begin),
                n);
            onField(index, line.substr(begin, end - begin));
        }
        fieldsBefore += Popcount(current);
        commaBefore = current >> 63;
        current = next;
        next = commasAt(b + 2);
    }
}

/// The honorifics after which a kana name part still counts as a word.
const std::vector<std::vector<Symbol>>& Honorifics()
{
    static const std::vector<std::vector<Symbol>> honorifics
        = FoldedWords({u"さん", u"さま", u"くん", u"ちゃん", u"様", u"君", u"殿", u"氏"});
    return honorifics;
}

/// What follows a surname in a disease named after a person (橋本病, 川崎病, 太田母斑); 病院 and its like name a
/// place, where the surname counts.
const std::vector<std::vector<Symbol>>& EponymEndings()
{
    static const std::vector<std::vector<Symbol>> endings = FoldedWords(
        {u"病", u"甲状腺炎", u"脳症", u"脳炎", u"母斑", u"動脈炎", u"症候群", u"型", u"氏病", u"氏症候群"});
    return endings;
}
const std::vector<std::vector<Symbol>>& PlaceEndings()
{
    static const std::vector<std::vector<Symbol>> endings = FoldedWords({u"病院", u"病棟", u"病室"});
    return endings;
}

/// Looks at the copy line by line and reports what it finds.
class CopyAudit
{
public:
    CopyAudit(const Values& values, const FoldTable& fold, AuditReport& report,
        const std::function<void(const AuditFinding&)>& onFinding, const ClaimsLayout& layout, AnonymizeMode mode,
        const std::vector<std::uint64_t>& droppedLines)
        : m_strong(mode == AnonymizeMode::Strong)
        , m_droppedLines(droppedLines)
        , m_dropped(DroppedOf(layout))
        , m_receiptStart(RecordCode(layout.receiptStart))
        , m_own(OwnFieldsOf(layout))
        , m_chart(ChartFieldsOf(layout))
        , m_dateFields(FieldsOf(layout.dates))
        , m_structure(StructureOf(layout))
        , m_structureOf(StructureIndex(m_structure))
        , m_values(values)
        , m_fold(fold)
        , m_report(report)
        , m_onFinding(onFinding)
        , m_patterns(values.patterns())
        // A line of ASCII only can hold a text of ASCII only, and a number of at least kMinNumberDigits digits.
        , m_asciiFieldLength(std::min(values.HasNumbers() ? std::size_t(kMinNumberDigits) : SIZE_MAX,
              m_patterns.minAsciiLength() == SIZE_MAX ? SIZE_MAX
                                                      : std::min<std::size_t>(m_patterns.minAsciiLength(), 64)))
    {
        for (const OwnField& f : m_own)
            m_ownRecords.set(f.code);
    }

    void Line(std::string_view line, std::uint64_t number)
    {
        const std::string_view id = RecordId(line, m_idScratch);
        const std::uint16_t code = RecordCode(id);
        m_found.clear();
        bool dropped = false;
        for (const auto& [droppedCode, kind] : m_dropped) {
            if (code == droppedCode) {
                Found(0, kind);
                dropped = true;
            }
        }
        const std::uint64_t originalLine = OriginalLine(number, dropped);
        if (code == m_receiptStart)
            ++m_receipt;
        m_code = code;
        m_structureKnown = false;
        // The fields the strong anonymisation fills hold its own values: only their original is looked for there.
        m_ownFields = m_strong && m_ownRecords[code];
        if (m_ownFields)
            OwnFields(line);

        // The masks of a usual line are taken once; the reader lets a block be read past the line's end.
        const std::size_t blocks = (line.size() + 63) / 64;
        const bool cached = blocks <= m_commas.size();
        const auto masksAt = [&](std::size_t b) {
            const BlockMasks masks(line.data() + 64 * b);
            const std::size_t left = line.size() - 64 * b;
            const std::uint64_t past = left >= 64 ? 0 : ~((std::uint64_t(1) << left) - 1);
            return std::make_pair(masks.commas | past, masks.high & ~past);
        };
        bool ascii;
        if (cached) {
            std::uint64_t high = 0;
            for (std::size_t b = 0; b < blocks; ++b) {
                std::tie(m_commas[b], m_high[b]) = masksAt(b);
                high |= m_high[b];
            }
            ascii = high == 0;
        } else {
            ascii = IsAscii(line);
        }
        const auto commas = [&](std::size_t b) { return cached ? m_commas[b] : masksAt(b).first; };
        // Most lines are ASCII, where only a number or a text of ASCII can stand, in a field long enough for it.
        if (ascii) {
            if (m_asciiFieldLength != SIZE_MAX)
                ForEachLongField(line, commas, m_asciiFieldLength, [&](std::size_t index, std::string_view field) {
                    if (!IsOwnField(index))
                        AsciiField(index, field);
                });
        } else {
            ForEachLongField(line, commas, 2, [&](std::size_t index, std::string_view field) {
                if (IsOwnField(index))
                    return;
                const std::size_t begin = static_cast<std::size_t>(field.data() - line.data());
                if (cached ? HighIn(begin, begin + field.size()) : !IsAscii(field))
                    Field(index, field);
                else if (field.size() >= m_asciiFieldLength)
                    AsciiField(index, field);
            });
        }
        if (m_found.empty())
            return;
        std::sort(m_found.begin(), m_found.end());
        m_found.erase(std::unique(m_found.begin(), m_found.end()), m_found.end());
        for (const auto& [field, kind] : m_found) {
            ++m_report.counts[static_cast<std::size_t>(kind)];
            ++m_report.total;
            const AuditFinding finding {originalLine, std::string(id), field, kind, number};
            if (m_report.first.size() < kKeptFindings)
                m_report.first.push_back(finding);
            if (m_onFinding)
                m_onFinding(finding);
        }
    }

private:
    /// The number of the original's line that copy line `number` was made from: the copy leaves out the original's
    /// lines of dropped records, and has the others in their order. A dropped record in the copy is taken for the
    /// original's one of the same rank.
    std::uint64_t OriginalLine(std::uint64_t number, bool dropped)
    {
        if (dropped) {
            const std::size_t rank = m_droppedInCopy++;
            return rank < m_droppedLines.size() ? m_droppedLines[rank] : number;
        }
        const std::uint64_t kept = ++m_keptInCopy;
        while (m_droppedBefore < m_droppedLines.size() && m_droppedLines[m_droppedBefore] <= kept + m_droppedBefore)
            ++m_droppedBefore;
        return kept + m_droppedBefore;
    }

    static std::vector<std::pair<std::uint16_t, std::size_t>> FieldsOf(std::span<const FieldRef> fields)
    {
        std::vector<std::pair<std::uint16_t, std::size_t>> list;
        for (const FieldRef& f : fields)
            list.emplace_back(RecordCode(f.record), f.field);
        return list;
    }

    static std::vector<std::pair<std::uint16_t, std::size_t>> ChartFieldsOf(const ClaimsLayout& layout)
    {
        std::vector<std::pair<std::uint16_t, std::size_t>> chart;
        for (const ChartField& f : layout.chartNumbers)
            chart.emplace_back(RecordCode(f.record), f.field);
        return chart;
    }

    static std::vector<std::pair<std::uint16_t, AuditKind>> DroppedOf(const ClaimsLayout& layout)
    {
        std::vector<std::pair<std::uint16_t, AuditKind>> dropped;
        for (const DroppedRecord& r : layout.dropped)
            dropped.emplace_back(RecordCode(r.record), r.kind);
        return dropped;
    }

    /// The layout's fields of the format's own numbers, and its dates, by record. A date past field 63 lies among the
    /// record's numbers from `from` on.
    static std::vector<StructureFields> StructureOf(const ClaimsLayout& layout)
    {
        std::vector<StructureFields> structure(layout.structure.begin(), layout.structure.end());
        for (const FieldRef& date : layout.dates) {
            if (date.field >= 64)
                continue;
            auto s = std::find_if(
                structure.begin(), structure.end(), [&](const StructureFields& f) { return f.record == date.record; });
            if (s == structure.end())
                s = structure.insert(structure.end(), {date.record, 0, detail::kNoFrom});
            s->fields |= std::uint64_t(1) << date.field;
        }
        return structure;
    }

    /// By record code: 1 + the index of its entry in `structure`, or 0.
    static std::vector<std::uint8_t> StructureIndex(const std::vector<StructureFields>& structure)
    {
        std::vector<std::uint8_t> index(65536, 0);
        for (std::size_t i = 0; i < structure.size(); ++i)
            index[RecordCode(structure[i].record)] = static_cast<std::uint8_t>(i + 1);
        return index;
    }

    /// True for the chart number's field: the copy keeps it there by design (or puts its pseudonym there), whatever
    /// other number its digits spell (746343-11 reads as 74634311).
    bool IsChartField(std::size_t index) const
    {
        return std::any_of(m_chart.begin(), m_chart.end(),
            [&](const std::pair<std::uint16_t, std::size_t>& f) { return f.first == m_code && f.second == index; });
    }

    bool IsDateField(std::size_t index) const
    {
        return std::any_of(m_dateFields.begin(), m_dateFields.end(),
            [&](const std::pair<std::uint16_t, std::size_t>& f) { return f.first == m_code && f.second == index; });
    }

    bool IsOwnField(std::size_t index) const
    {
        if (!m_ownFields)
            return false;
        for (const OwnField& f : m_own)
            if (f.field == index && f.code == m_code)
                return true;
        return false;
    }

    /// Compares each own field of a record of a strong copy with its receipt's original value.
    void OwnFields(std::string_view line)
    {
        std::size_t fields = 0;
        for (const OwnField& f : m_own)
            if (f.code == m_code)
                fields = std::max(fields, f.field + 1);
        const detail::FieldCuts cuts(detail::Dequoted(line, m_dequoted), fields);
        for (const OwnField& f : m_own) {
            if (f.code != m_code || !cuts.Has(f.field))
                continue;
            m_symbols.clear();
            m_fold.Fold(cuts.Field(f.field), [&](Symbol s, bool) { m_symbols.push_back(s); });
            if (!m_symbols.empty() && m_values.OwnValue(m_receipt, f.slot, m_symbols))
                Found(f.field, f.kind);
        }
    }

    /// Notes a finding of the current line; a field full of one value notes it once, not once per occurrence.
    void Found(std::size_t field, AuditKind kind)
    {
        if (m_found.empty() || m_found.back() != std::make_pair(field, kind))
            m_found.emplace_back(field, kind);
    }

    /// True when a byte from 0x80 stands in [begin, end) of the current line, whose masks are cached.
    bool HighIn(std::size_t begin, std::size_t end) const
    {
        for (std::size_t b = begin / 64; b * 64 < end; ++b) {
            std::uint64_t bits = m_high[b];
            if (b == begin / 64)
                bits &= ~std::uint64_t(0) << (begin % 64);
            if (end < b * 64 + 64)
                bits &= (std::uint64_t(1) << (end % 64)) - 1;
            if (bits != 0)
                return true;
        }
        return false;
    }

    /// A field of ASCII only: most are numbers, which need no fold.
    void AsciiField(std::size_t index, std::string_view field)
    {
        // A field of nothing but digits, as most are, of a length no value has: no number of the original.
        if (field.size() <= 16 && AllDigits(field) && !m_values.LooksFor(static_cast<std::uint32_t>(field.size()))) {
            if (field.size() >= m_patterns.minAsciiLength())
                Field(index, field, false);
            return;
        }
        NumberKey key;
        bool number = true;
        char previous = 0;
        for (const char c : field) {
            const bool afterDigit = previous >= '0' && previous <= '9';
            previous = c;
            if (c >= '0' && c <= '9') {
                key.value = key.value * 10 + static_cast<unsigned>(c - '0');
                ++key.digits;
            } else if (afterDigit && (c == '.' || c == '/' || c == '~')) {
                // Between digits as the fold reads them.
            } else if (m_fold.Fold1(c) != 0) {
                number = false;
                break;
            }
        }
        if (number && key.digits >= kMinNumberDigits && key.digits <= kMaxNumberDigits && !IsChartField(index)) {
            if (const std::optional<AuditKind> kind
                = m_values.NumberKind(key, m_receipt, IsStructure(index), IsDateField(index)))
                Found(index, *kind);
        }
        if (field.size() >= m_patterns.minAsciiLength() || (!number && m_strong && m_values.HasDates()))
            Field(index, field, false);
    }

    void Field(std::size_t index, std::string_view field, bool numbers = true)
    {
        m_symbols.resize(field.size());
        m_gaps.resize(field.size());
        std::size_t n = 0;
        m_fold.Fold(field, [&](Symbol s, bool gap) {
            m_symbols[n] = s;
            m_gaps[n++] = gap ? 1 : 0;
        });
        m_symbols.resize(n);
        if (const std::optional<NumberKey> key = numbers && !IsChartField(index) ? NumberOf(m_symbols) : std::nullopt;
            key && key->digits >= kMinNumberDigits) {
            if (const std::optional<AuditKind> kind
                = m_values.NumberKind(*key, m_receipt, IsStructure(index), IsDateField(index)))
                Found(index, *kind);
        }
        if (m_strong && m_values.HasDates())
            Dates(index);
        if (m_patterns.empty())
            return;
        m_patterns.Scan(m_symbols, [&](std::size_t end, const PatternOutput& o, std::size_t length) {
            const std::size_t start = end - length;
            if (o.rule == Rule::KanaWord && !KanaWord(start, end))
                return;
            if (o.rule == Rule::NamePart && Eponym(end))
                return;
            if (o.rule == Rule::Digits
                && ((start > 0 && IsDigit(m_symbols[start - 1]))
                    || (end < m_symbols.size() && IsDigit(m_symbols[end]))))
                return;
            Found(index, o.kind);
        });
    }

    /// True when the symbols [start, end) are no piece of a longer word: no kana or kanji joins them on either side
    /// (皮膚そう痒症, 高リン血症), but an honorific may follow.
    bool KanaWord(std::size_t start, std::size_t end) const
    {
        const auto joins = [&](Symbol s) { return m_fold.IsKatakana(s) || FoldTable::IsKanji(s); };
        if (start > 0 && m_gaps[start] == 0 && joins(m_symbols[start - 1]))
            return false;
        if (end == m_symbols.size() || m_gaps[end] != 0 || !joins(m_symbols[end]))
            return true;
        return StartsWithOneOf(After(end), Honorifics());
    }

    /// Looks for the receipt's own dates written by hand in the field's symbols: 昭和45年7月12日, S45.7.12 (which the
    /// fold reads as S45712), 1970/07/12 (19700712) and 450712.
    void Dates(std::size_t index)
    {
        static const std::vector<std::vector<Symbol>> eraWords
            = FoldedWords({u"明治", u"大正", u"昭和", u"平成", u"令和"});
        static const std::array<Symbol, 5> eraLetters = {'M', 'T', 'S', 'H', 'R'};
        static const std::array<Symbol, 3> units = [] {
            const std::vector<Symbol> u = FoldTable::Get().Symbols(std::u16string_view(u"年月日"));
            return std::array<Symbol, 3> {u[0], u[1], u[2]};
        }();
        const std::vector<Symbol>& s = m_symbols;
        const auto check = [&](const std::optional<NumberKey>& key) {
            if (key)
                if (const std::optional<AuditKind> kind = m_values.DateKind(*key, m_receipt))
                    Found(index, *kind);
        };
        const auto runEnd = [&](std::size_t i) {
            while (i < s.size() && IsDigit(s[i]))
                ++i;
            return i;
        };
        const auto value = [&](std::size_t b, std::size_t e) {
            std::uint32_t v = 0;
            for (std::size_t k = b; k < e && k < b + 4; ++k)
                v = v * 10 + (s[k] - '0');
            return e - b <= 4 ? v : 0u;
        };
        for (std::size_t i = 0; i < s.size();) {
            if (!IsDigit(s[i])) {
                ++i;
                continue;
            }
            const std::size_t j = runEnd(i);
            std::uint32_t era = 0;
            for (std::uint32_t e = 0; e < 5 && era == 0; ++e) {
                const std::vector<Symbol>& w = eraWords[e];
                if ((i >= 1 && s[i - 1] == eraLetters[e])
                    || (i >= w.size()
                        && std::equal(w.begin(), w.end(), s.begin() + static_cast<std::ptrdiff_t>(i - w.size()))))
                    era = e + 1;
            }
            if (era != 0 && j < s.size() && s[j] == units[0]) {
                // 45年7月12日
                const std::size_t m = runEnd(j + 1);
                if (m > j + 1 && m < s.size() && s[m] == units[1]) {
                    const std::size_t d = runEnd(m + 1);
                    if (d > m + 1)
                        check(EraDate(era, value(i, j), value(j + 1, m), value(m + 1, d)));
                }
            } else if (era != 0 && j - i >= 3 && j - i <= 6) {
                // The fold left out the dots: every split into a year, a month and a day of one or two digits.
                for (std::size_t y = 1; y <= 2; ++y)
                    for (std::size_t mo = 1; mo <= 2; ++mo)
                        if (const std::size_t dl = j - i - y - mo; dl >= 1 && dl <= 2)
                            check(EraDate(era, value(i, i + y), value(i + y, i + y + mo), value(i + y + mo, j)));
            } else if (j - i >= 6 && j - i <= 8) {
                check(NumberOf(std::span<const Symbol>(s.data() + i, j - i)));
            }
            i = j;
        }
    }

    /// True when a disease word named after a person begins at `end`.
    bool Eponym(std::size_t end) const
    {
        const std::span<const Symbol> after = After(end);
        return StartsWithOneOf(after, EponymEndings()) && !StartsWithOneOf(after, PlaceEndings());
    }

    std::span<const Symbol> After(std::size_t end) const
    {
        return std::span<const Symbol>(m_symbols.data() + end, m_symbols.size() - end);
    }

    bool IsStructure(std::size_t field)
    {
        if (!m_structureKnown) {
            const std::uint8_t i = m_structureOf[m_code];
            m_structureFields = i == 0 ? nullptr : &m_structure[i - 1];
            m_structureKnown = true;
        }
        return m_structureFields
            && (field >= m_structureFields->from || (field < 64 && ((m_structureFields->fields >> field) & 1u)));
    }

    const bool m_strong;
    const std::vector<std::uint64_t>& m_droppedLines; // of the original, in order
    std::size_t m_droppedInCopy = 0;
    std::uint64_t m_keptInCopy = 0;
    std::size_t m_droppedBefore = 0; // dropped lines of the original before the current kept one
    const std::vector<std::pair<std::uint16_t, AuditKind>> m_dropped; // record codes and what their lines are
    const std::uint16_t m_receiptStart;
    const std::vector<OwnField> m_own;
    const std::vector<std::pair<std::uint16_t, std::size_t>> m_chart; // record codes and fields of chart numbers
    const std::vector<std::pair<std::uint16_t, std::size_t>> m_dateFields; // and of the format's dates
    const std::vector<StructureFields> m_structure;
    const std::vector<std::uint8_t> m_structureOf; // StructureIndex
    std::bitset<65536> m_ownRecords; // by record code: the record has own fields
    const Values& m_values;
    const FoldTable& m_fold;
    AuditReport& m_report;
    const std::function<void(const AuditFinding&)>& m_onFinding;
    const PatternSet& m_patterns;
    const std::size_t m_asciiFieldLength;
    std::uint16_t m_code = 0; // of the current line
    bool m_structureKnown = false;
    const StructureFields* m_structureFields = nullptr;
    // The commas and the bytes from 0x80 of the current line's blocks, when it has no more.
    std::array<std::uint64_t, 8> m_commas {};
    std::array<std::uint64_t, 8> m_high {};
    std::uint32_t m_receipt = 0;
    bool m_ownFields = false; // the current line is a record of own fields in a strong copy
    std::string m_idScratch;
    std::string m_dequoted;
    std::vector<Symbol> m_symbols;
    std::vector<std::uint8_t> m_gaps;
    std::vector<std::pair<std::size_t, AuditKind>> m_found;
};

/// Runs `read`, turning what stops it into a FileError naming `file`.
template<class Read>
void Reading(const std::filesystem::path& file, Read read)
{
    if (!FileExists(file))
        throw FileError(file, ToUtf8(kMissingFileText));
    try {
        read();
    } catch (const LoneCrError& e) {
        throw FileError(file, ToUtf8(LoneCrText(e)));
    } catch (const Error& e) {
        throw FileError(file, e.what());
    }
}

} // namespace

AuditReport AuditAnonymised(std::span<const std::filesystem::path> originals, std::size_t own,
    const std::filesystem::path& copy, const std::function<void(const AuditFinding&)>& onFinding, AnonymizeMode mode)
{
    const FoldTable& fold = FoldTable::Get();
    std::optional<Values> values;
    const ClaimsLayout* layout = nullptr;
    std::vector<std::uint64_t> droppedLines;
    Reading(originals[own], [&] { layout = &CollectValues(originals[own], fold, mode, values, &droppedLines); });
    values->FromOtherOriginal();
    for (std::size_t i = 0; i < originals.size(); ++i) {
        if (i == own || originals[i] == originals[own])
            continue;
        // Another original that cannot be read is refused in its own run; this copy is audited against the rest.
        try {
            CollectValues(originals[i], fold, mode, values, nullptr);
        } catch (const Error&) {
        } catch (const std::system_error&) { }
    }
    values->Build();

    AuditReport report;
    // The copy is read by the layout its original's records showed.
    CopyAudit audit(*values, fold, report, onFinding, *layout, mode, droppedLines);
    Reading(copy, [&] {
        LineReader in(copy, LoneCr::Refuse);
        std::uint64_t number = 0;
        std::string_view run;
        std::string_view line;
        // Lines whole in the reader's buffer are taken where they stand, the others one by one.
        const auto take = [&](std::string_view l) {
            audit.Line(l, ++number);
            return true;
        };
        for (;;) {
            in.TakeWhile(take, run, line);
            if (!in.Next(line))
                break;
            audit.Line(line, ++number);
        }
    });
    return report;
}

AuditReport AuditAnonymised(const std::filesystem::path& original, const std::filesystem::path& copy,
    const std::function<void(const AuditFinding&)>& onFinding, AnonymizeMode mode)
{
    return AuditAnonymised(std::span(&original, 1), 0, copy, onFinding, mode);
}

std::u16string_view KindLabel(AuditKind kind)
{
    switch (kind) {
    case AuditKind::InstitutionCode:
        return u"医療機関コード";
    case AuditKind::InstitutionName:
        return u"医療機関名称";
    case AuditKind::Telephone:
        return u"電話番号";
    case AuditKind::PatientName:
        return u"患者氏名";
    case AuditKind::PatientKanaName:
        return u"患者氏名（カナ）";
    case AuditKind::InsurerNumber:
        return u"保険者番号";
    case AuditKind::InsuranceSymbol:
        return u"被保険者証記号";
    case AuditKind::InsuranceNumber:
        return u"被保険者証番号";
    case AuditKind::PublicPayerNumber:
        return u"公費負担者番号";
    case AuditKind::PublicRecipientNumber:
        return u"公費受給者番号";
    case AuditKind::SymptomNote:
        return u"症状詳記";
    case AuditKind::Comment:
        return u"コメント";
    case AuditKind::ChartNumber:
        return u"カルテ番号";
    case AuditKind::BirthDate:
        return u"生年月日";
    case AuditKind::AdmissionDate:
        return u"入院年月日";
    case AuditKind::InsuranceBranchNumber:
        return u"被保険者証枝番";
    case AuditKind::InstitutionAddress:
        return u"医療機関所在地";
    case AuditKind::DoctorName:
        return u"保険医氏名";
    case AuditKind::LicenceNumber:
        return u"麻薬免許番号";
    }
    return u"";
}

std::u16string FindingText(const AuditFinding& finding)
{
    return FromUtf8(std::to_string(finding.line)) + u"行目 " + cp932::Decode(finding.record) + u" 項目"
        + FromUtf8(std::to_string(finding.field)) + u": " + std::u16string(KindLabel(finding.kind));
}

std::u16string CountsText(const AuditReport& report)
{
    std::u16string text;
    for (std::size_t k = 0; k < kAuditKinds; ++k) {
        if (report.counts[k] == 0)
            continue;
        if (!text.empty())
            text += u"、";
        text += KindLabel(static_cast<AuditKind>(k));
        text += u' ';
        text += FromUtf8(std::to_string(report.counts[k]));
        text += u"件";
    }
    return text;
}

std::u16string SummaryText(const AuditReport& report)
{
    if (report.Clean())
        return u"元の識別情報は見つかりませんでした。";
    return u"元の識別情報が残っています: " + FromUtf8(std::to_string(report.total)) + u"件（" + CountsText(report)
        + u"）";
}

std::u16string AuditWarningText(const AuditReport& report, std::u16string_view copyName)
{
    std::u16string text = u"匿名化ファイル「" + std::u16string(copyName)
        + u"」に元の医療機関や患者の情報が残っていたため、このファイルは作らずに止めました。\n"
          u"残っている場所（元のレセ電データの行、レコード、項目）:\n";
    for (const AuditFinding& f : report.first)
        text += FindingText(f) + u"\n";
    if (report.total > report.first.size())
        text += u"ほか" + FromUtf8(std::to_string(report.total - report.first.size())) + u"件\n";
    text += u"件数: " + CountsText(report)
        + u"\nレセコンで、その病名やコメントなどに手で入力された氏名や番号を直し、レセ電データを出力し直して、"
          u"もう一度匿名化してください。\n"
          u"なお、この確認は元のデータと同じ書き方を探すもので、ローマ字や読み違いなど別の書き方の氏名は"
          u"見つけられません。";
    return text;
}

} // namespace plok::claims
