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
#include <unordered_map>

namespace plok::claims {

namespace {

using detail::RecordId;

bool IsLeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool IsTrailByte(unsigned char b)
{
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

/// The length in bytes of the code page 932 character at `i`, as the decoder frames it.
std::size_t CharLength(std::string_view s, std::size_t i)
{
    return IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()
            && IsTrailByte(static_cast<unsigned char>(s[i + 1]))
        ? 2
        : 1;
}

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
constexpr std::string_view kWideDigitLead = "\x82";

/// The digits of `s` when it holds nothing but digits, half-width or full-width (0x82 0x4F..0x82 0x58): then it is a
/// number, compared as a whole field.
std::optional<std::string> DigitsOf(std::string_view s)
{
    std::string digits;
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b >= '0' && b <= '9') {
            digits += static_cast<char>(b);
            ++i;
        } else if (s.substr(i, 1) == kWideDigitLead && i + 1 < s.size() && static_cast<unsigned char>(s[i + 1]) >= 0x4F
            && static_cast<unsigned char>(s[i + 1]) <= 0x58) {
            digits += static_cast<char>('0' + (static_cast<unsigned char>(s[i + 1]) - 0x4F));
            i += 2;
        } else {
            return std::nullopt;
        }
    }
    if (digits.empty())
        return std::nullopt;
    return digits;
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

bool IsDummyNumber(std::string_view digits)
{
    for (const std::string& dummy : DummyTexts())
        if (DigitsOf(dummy) == digits)
            return true;
    return false;
}

bool IsDummyText(std::string_view value)
{
    for (const std::string& dummy : DummyTexts())
        if (dummy.find(value) != std::string::npos)
            return true;
    // A dummy patient name: "テスト社" or "テスト国" and the receipt number in full-width digits.
    for (const std::string& prefix : {DummyTexts()[6], DummyTexts()[7]})
        if (value.starts_with(prefix) && DigitsOf(value.substr(prefix.size())))
            return true;
    return false;
}

/// The values taken from the original, by kind: numbers for whole-field comparison, texts for a search anywhere.
class Values
{
public:
    void Add(std::string_view raw, AuditKind kind)
    {
        const std::string_view value = TrimView(raw);
        if (value.empty())
            return;
        // A number stands as a whole field, where the dummy numbers stand too; a text may stand inside a dummy.
        if (const std::optional<std::string> digits = DigitsOf(value)) {
            if (digits->size() >= 5 && !IsDummyNumber(*digits))
                m_numbers.try_emplace(*digits, kind);
            return;
        }
        if (CharCount(value) < 2 || IsDummyText(value))
            return;
        if (m_texts.try_emplace(std::string(value), kind).second)
            m_matcher.Add(value, static_cast<std::uint32_t>(m_kinds.size()));
        else
            return;
        m_kinds.push_back(kind);
        m_lengths.push_back(value.size());
    }
    /// A name, then each of its parts.
    void AddName(std::string_view raw, AuditKind kind)
    {
        const std::string_view name = TrimView(raw);
        Add(name, kind);
        std::size_t start = 0;
        for (std::size_t i = 0; i <= name.size();) {
            const bool end = i == name.size();
            const bool blank = !end && name[i] == ' ';
            const bool wideBlank = !end && name.substr(i, 2) == kWideSpace;
            if (end || blank || wideBlank) {
                if (start < i && (start > 0 || !end))
                    Add(name.substr(start, i - start), kind);
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

    const std::unordered_map<std::string, AuditKind>& numbers() const { return m_numbers; }
    const MultiMatcher& matcher() const { return m_matcher; }
    AuditKind KindOf(std::uint32_t id) const { return m_kinds[id]; }
    std::size_t LengthOf(std::uint32_t id) const { return m_lengths[id]; }

private:
    std::unordered_map<std::string, AuditKind> m_numbers;
    std::unordered_map<std::string, AuditKind> m_texts;
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
    while (in.Next(line)) {
        const std::string_view id = RecordId(line, idScratch);
        if (id != "IR" && id != "RE" && id != "HO" && id != "KO")
            continue;
        const std::vector<std::string_view>& fields = splitter.Split(line);
        auto field = [&](std::size_t i) { return i < fields.size() ? fields[i] : std::string_view(); };
        if (id == "IR") {
            values.Add(field(4), AuditKind::InstitutionCode);
            values.Add(field(6), AuditKind::InstitutionName);
            values.Add(field(9), AuditKind::Telephone);
        } else if (id == "RE") {
            values.AddName(field(4), AuditKind::PatientName);
            values.AddName(field(36), AuditKind::PatientKanaName);
        } else if (id == "HO") {
            values.Add(field(1), AuditKind::InsurerNumber);
            values.Add(field(2), AuditKind::InsuranceSymbol);
            values.Add(field(3), AuditKind::InsuranceNumber);
        } else {
            values.Add(field(1), AuditKind::PublicPayerNumber);
            values.Add(field(2), AuditKind::PublicRecipientNumber);
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
    std::string fieldScratch;
    std::string_view line;
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

        if (values.numbers().empty())
            continue;
        std::size_t field = 0;
        std::size_t start = 0;
        auto checkField = [&](std::size_t end) {
            std::string_view text = line.substr(start, end - start);
            // Only a field that starts like a number can equal one; the look-up is the rare case.
            if (text.size() >= 5
                && (static_cast<unsigned>(static_cast<unsigned char>(text[0]) - '0') < 10u || text[0] == '"'
                    || text[0] == '\x82')) {
                if (text.find('"') != text.npos) {
                    fieldScratch.clear();
                    for (char c : text)
                        if (c != '"')
                            fieldScratch += c;
                    text = fieldScratch;
                }
                if (const std::optional<std::string> digits = DigitsOf(text)) {
                    if (const auto it = values.numbers().find(*digits); it != values.numbers().end())
                        found.Add(field, it->second, report, onFinding);
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
