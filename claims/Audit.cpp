#include "claims/Audit.h"

#include "claims/ClaimsRecord.h"
#include "core/ByteScan.h"
#include "core/CommaText.h"
#include "core/Cp932.h"
#include "core/LineReader.h"
#include "core/MultiMatch.h"
#include "core/Text.h"

#include <algorithm>
#include <optional>
#include <unordered_set>

namespace plok::claims {

namespace {

using detail::RecordId;

using cp932::CharLength;

/// True when `at` is where a character starts in `s`.
bool IsCharStart(std::string_view s, std::size_t at)
{
    std::size_t i = 0;
    while (i < at)
        i += CharLength(s, i);
    return i == at;
}

std::size_t CharCount(std::string_view s)
{
    std::size_t count = 0;
    for (std::size_t i = 0; i < s.size(); i += CharLength(s, i))
        ++count;
    return count;
}

constexpr std::string_view kWideSpace = "\x81\x40";

/// A number of at most 19 digits as one comparable value; the digit count keeps leading zeros apart.
struct NumberKey
{
    std::uint64_t value = 0;
    std::uint32_t digits = 0;
    bool operator==(const NumberKey&) const = default;
};

/// `s` as a number key when it holds nothing but digits (half- or full-width, double quotes ignored), at most 19.
std::optional<NumberKey> NumberOf(std::string_view s)
{
    NumberKey key;
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        unsigned digit;
        if (b >= '0' && b <= '9') {
            digit = b - '0';
            ++i;
        } else if (b == 0x82 && i + 1 < s.size() && static_cast<unsigned char>(s[i + 1]) >= 0x4F
            && static_cast<unsigned char>(s[i + 1]) <= 0x58) {
            digit = static_cast<unsigned char>(s[i + 1]) - 0x4F;
            i += 2;
        } else if (b == '"') {
            ++i;
            continue;
        } else {
            return std::nullopt;
        }
        if (++key.digits > 19)
            return std::nullopt;
        key.value = key.value * 10 + digit;
    }
    if (key.digits == 0)
        return std::nullopt;
    return key;
}

/// Everything the anonymisation writes in place of an identifier: a value found inside one of these is the
/// anonymisation's own and proves nothing.
const std::vector<std::string>& DummyTexts()
{
    static const std::vector<std::string> texts = {
        "0123456",
        cp932::Encode(u"ORVAクリニック"),
        "012-345-6789",
        "12345678",
        cp932::Encode(u"１２３４５"),
        "1234567",
        cp932::Encode(u"テスト社"),
        cp932::Encode(u"テスト国"),
    };
    return texts;
}

bool IsDummyNumber(const NumberKey& key)
{
    static const std::vector<NumberKey> dummies = [] {
        std::vector<NumberKey> keys;
        for (const std::string& dummy : DummyTexts())
            if (const std::optional<NumberKey> k = NumberOf(dummy))
                keys.push_back(*k);
        return keys;
    }();
    return std::find(dummies.begin(), dummies.end(), key) != dummies.end();
}

bool IsDummyText(std::string_view value)
{
    for (const std::string& dummy : DummyTexts())
        if (dummy.find(value) != std::string::npos)
            return true;
    // A dummy patient name: "テスト社" or "テスト国" and the receipt number in full-width digits.
    for (const std::string& prefix : {DummyTexts()[6], DummyTexts()[7]})
        if (value.starts_with(prefix) && NumberOf(value.substr(prefix.size())))
            return true;
    return false;
}

/// The values taken from the original, by kind: numbers for whole-field comparison, texts for a search anywhere.
class Values
{
public:
    void Add(std::string_view raw, AuditKind kind, std::uint32_t receipt = 0)
    {
        const std::string_view value = TrimView(raw);
        if (value.empty())
            return;
        // A number stands as a whole field, where the dummy numbers stand too; a text may stand inside a dummy.
        if (const std::optional<NumberKey> key = NumberOf(value)) {
            if (key->digits >= 5 && !IsDummyNumber(*key)) {
                // Receipts come in file order, so each receipt's numbers form one run of the list.
                while (m_receiptStart.size() <= receipt)
                    m_receiptStart.push_back(static_cast<std::uint32_t>(m_numbers.size()));
                m_numbers.push_back({*key, kind});
            }
            return;
        }
        // A patient's name stands on each of their receipts: a text is weighed once.
        if (m_texts.find(value) != m_texts.end())
            return;
        m_texts.emplace(value);
        if (CharCount(value) < 2 || IsDummyText(value))
            return;
        m_matcher.Add(value, static_cast<std::uint32_t>(m_kinds.size()));
        m_kinds.push_back(kind);
        m_lengths.push_back(value.size());
    }
    /// A name, then each of its parts.
    void AddName(std::string_view raw, AuditKind kind, std::uint32_t receipt)
    {
        const std::string_view name = TrimView(raw);
        Add(name, kind, receipt);
        std::size_t start = 0;
        for (std::size_t i = 0; i <= name.size();) {
            const bool end = i == name.size();
            const bool blank = !end && name[i] == ' ';
            const bool wideBlank = !end && name.substr(i, 2) == kWideSpace;
            if (end || blank || wideBlank) {
                if (start < i && (start > 0 || !end))
                    Add(name.substr(start, i - start), kind, receipt);
                if (end)
                    break;
                i += blank ? 1 : 2;
                start = i;
                continue;
            }
            i += CharLength(name, i);
        }
    }
    void Build() { m_matcher.Build(); }

    /// The kind of the number `key` when it is one of the numbers of `receipt` or of the institution (receipt 0).
    std::optional<AuditKind> NumberKind(const NumberKey& key, std::uint32_t receipt) const
    {
        for (const std::uint32_t r : {receipt, 0u}) {
            if (r >= m_receiptStart.size())
                continue;
            const std::size_t end = r + 1 < m_receiptStart.size() ? m_receiptStart[r + 1] : m_numbers.size();
            for (std::size_t i = m_receiptStart[r]; i < end; ++i)
                if (m_numbers[i].first == key)
                    return m_numbers[i].second;
            if (r == 0)
                break;
        }
        return std::nullopt;
    }
    bool HasNumbers() const { return !m_numbers.empty(); }
    const MultiMatcher& matcher() const { return m_matcher; }
    AuditKind KindOf(std::uint32_t id) const { return m_kinds[id]; }
    std::size_t LengthOf(std::uint32_t id) const { return m_lengths[id]; }

private:
    std::vector<std::pair<NumberKey, AuditKind>> m_numbers;
    std::vector<std::uint32_t> m_receiptStart; // where each receipt's numbers begin in m_numbers
    struct TextHash
    {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
    };
    // The texts already weighed.
    std::unordered_set<std::string, TextHash, std::equal_to<>> m_texts;
    MultiMatcher m_matcher;
    std::vector<AuditKind> m_kinds;
    std::vector<std::size_t> m_lengths;
};

void CollectValues(const std::filesystem::path& original, Values& values)
{
    LineReader in(original);
    ByteFieldSplitter splitter;
    std::string idScratch;
    std::string_view line;
    std::string_view skipped;
    std::uint32_t receipt = 0;
    // Lines of other records are passed over in runs, without a look at each one's fields.
    const auto passOver = [](std::string_view l) {
        const std::uint16_t code = detail::HasPlainRecordId(l) ? detail::RecordCode(l.substr(0, 2)) : 0;
        return code != 0 && code != detail::RecordCode("IR") && code != detail::RecordCode("RE")
            && code != detail::RecordCode("HO") && code != detail::RecordCode("KO");
    };
    for (;;) {
        if (!in.TakeWhile(passOver, skipped, line) && !in.Next(line))
            break;
        const std::string_view id = RecordId(line, idScratch);
        if (id != "IR" && id != "RE" && id != "HO" && id != "KO")
            continue;
        if (id == "RE")
            ++receipt;
        const std::vector<std::string_view>& fields = splitter.Split(line);
        auto field = [&](std::size_t i) { return i < fields.size() ? fields[i] : std::string_view(); };
        if (id == "IR") {
            values.Add(field(4), AuditKind::InstitutionCode);
            values.Add(field(6), AuditKind::InstitutionName);
            values.Add(field(9), AuditKind::Telephone);
        } else if (id == "RE") {
            values.AddName(field(4), AuditKind::PatientName, receipt);
            values.AddName(field(36), AuditKind::PatientKanaName, receipt);
        } else if (id == "HO") {
            values.Add(field(1), AuditKind::InsurerNumber, receipt);
            values.Add(field(2), AuditKind::InsuranceSymbol, receipt);
            values.Add(field(3), AuditKind::InsuranceNumber, receipt);
        } else {
            values.Add(field(1), AuditKind::PublicPayerNumber, receipt);
            values.Add(field(2), AuditKind::PublicRecipientNumber, receipt);
        }
    }
}

/// The findings of one line, each kind once per field.
class LineFindings
{
public:
    void Reset(std::uint64_t line, std::string_view record)
    {
        m_line = line;
        m_record = record;
        m_seen.clear();
    }
    void Add(
        std::size_t field, AuditKind kind, AuditReport& report, const std::function<void(const AuditFinding&)>& sink)
    {
        const auto key = std::make_pair(field, kind);
        if (std::find(m_seen.begin(), m_seen.end(), key) != m_seen.end())
            return;
        m_seen.push_back(key);
        ++report.counts[static_cast<std::size_t>(kind)];
        ++report.total;
        if (sink)
            sink({m_line, std::string(m_record), field, kind});
    }

private:
    std::uint64_t m_line = 0;
    std::string_view m_record;
    std::vector<std::pair<std::size_t, AuditKind>> m_seen;
};

std::size_t FieldAt(std::string_view line, std::size_t offset)
{
    return static_cast<std::size_t>(std::count(line.begin(), line.begin() + static_cast<std::ptrdiff_t>(offset), ','));
}

} // namespace

AuditReport AuditAnonymised(const std::filesystem::path& original, const std::filesystem::path& copy,
    const std::function<void(const AuditFinding&)>& onFinding)
{
    Values values;
    CollectValues(original, values);
    values.Build();

    AuditReport report;
    LineFindings found;
    LineReader in(copy);
    std::string idScratch;
    std::string_view line;
    std::uint32_t receipt = 0;
    for (std::uint64_t number = 1; in.Next(line); ++number) {
        const std::string_view id = RecordId(line, idScratch);
        found.Reset(number, id);
        if (id == "SJ")
            found.Add(0, AuditKind::SymptomNote, report, onFinding);
        else if (id == "CO")
            found.Add(0, AuditKind::Comment, report, onFinding);

        values.matcher().Scan(line, [&](std::size_t end, std::uint32_t valueId) {
            const std::size_t start = end - values.LengthOf(valueId);
            if (IsCharStart(line, start))
                found.Add(FieldAt(line, start), values.KindOf(valueId), report, onFinding);
        });

        if (!values.HasNumbers())
            continue;
        if (id == "RE")
            ++receipt;
        std::size_t field = 0;
        std::size_t start = 0;
        auto checkField = [&](std::size_t end) {
            const std::string_view text = line.substr(start, end - start);
            // Only a field that starts like a number can be one; most fields fail at their first byte.
            const auto first = static_cast<unsigned char>(text.empty() ? 0 : text[0]);
            if (text.size() >= 5 && ((first >= '0' && first <= '9') || first == '"' || first == 0x82)) {
                if (const std::optional<NumberKey> key = NumberOf(text); key && key->digits >= 5) {
                    if (const std::optional<AuditKind> kind = values.NumberKind(*key, receipt))
                        found.Add(field, *kind, report, onFinding);
                }
            }
            ++field;
            start = end + 1;
        };
        plok::detail::ForEachByte(line, ',', checkField);
        checkField(line.size());
    }
    return report;
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

} // namespace plok::claims
