#include "claims/StrongAnonymize.h"

#include "core/Cp932.h"
#include "core/FileNames.h"
#include "core/Text.h"

#include <algorithm>
#include <array>

namespace plok::claims {

namespace {

/// Names what the MAC is for, so that the key could serve other pseudonyms without their digits meeting these.
constexpr std::string_view kChartLabel = "plok chart number v1";

/// The largest multiple of 10 a byte reaches: bytes below it give digits without bias.
constexpr unsigned kDigitBytes = 250;

bool IsAsciiDigit(char c)
{
    return c >= '0' && c <= '9';
}

/// True when `digits` (ASCII) spell `chart` itself: each character of `chart` is the same digit, half- or full-width
/// (code page 932: 0x82 0x4F..0x58).
bool SpellsItself(std::string_view chart, std::string_view digits)
{
    std::size_t d = 0;
    for (std::size_t i = 0; i < chart.size(); ++d) {
        const unsigned lead = static_cast<unsigned char>(chart[i]);
        const unsigned next = i + 1 < chart.size() ? static_cast<unsigned char>(chart[i + 1]) : 0u;
        const unsigned digit = static_cast<unsigned char>(digits[d]);
        if (lead == digit) {
            ++i;
        } else if (lead == 0x82 && next == 0x4F + (digit - '0')) {
            i += 2;
        } else {
            return false;
        }
    }
    return true;
}

std::size_t CharacterCount(std::string_view s)
{
    std::size_t count = 0;
    for (std::size_t i = 0; i < s.size(); i += cp932::CharLength(s, i))
        ++count;
    return count;
}

struct EraStart
{
    char era;
    std::string_view yearMonth; // year 01 and the month the era began in
    std::string_view day;
};

/// Eras that began after the first day of their first month, whose first of the month is no day of the era.
constexpr EraStart kLateEraStarts[] = {
    {'2', "0107", "30"}, // 大正: 1912-07-30
    {'3', "0112", "25"}, // 昭和: 1926-12-25
    {'4', "0101", "08"}, // 平成: 1989-01-08
};

} // namespace

ChartPseudonyms::ChartPseudonyms(const crypto::Key& key)
    : m_mac(key)
    , m_message(std::string(kChartLabel) + std::string(4, '\0'))
{ }

void ChartPseudonyms::Append(std::string_view chart, std::string& out)
{
    const std::size_t length = CharacterCount(chart);
    if (length == 0)
        return;
    // The message in one piece: the library takes one piece far faster than three.
    constexpr std::size_t kCounterAt = kChartLabel.size();
    m_message.resize(kCounterAt + 4);
    m_message.append(chart);
    std::uint32_t block = 0;
    crypto::Mac mac {};
    std::size_t used = mac.size();
    const std::size_t start = out.size();
    out.resize(start + length);
    char* const digits = out.data() + start;
    do {
        for (std::size_t i = 0; i < length;) {
            if (used == mac.size()) {
                for (std::size_t b = 0; b < 4; ++b)
                    m_message[kCounterAt + b] = static_cast<char>(block >> (24 - 8 * b));
                ++block;
                mac = m_mac.Of({m_message});
                used = 0;
            }
            const unsigned byte = mac[used++];
            if (byte < kDigitBytes)
                digits[i++] = static_cast<char>('0' + byte % 10);
        }
    } while (SpellsItself(chart, std::string_view(digits, length)));
}

void AppendMonthOfDate(std::string_view raw, std::string& out)
{
    const std::string_view date = TrimView(raw);
    if ((date.size() != 7 && date.size() != 8) || !std::all_of(date.begin(), date.end(), IsAsciiDigit))
        return;
    const std::string_view month = date.substr(0, date.size() - 2);
    out += month;
    if (date.size() == 7)
        for (const EraStart& e : kLateEraStarts)
            if (month[0] == e.era && month.substr(1) == e.yearMonth) {
                out += e.day;
                return;
            }
    out += "01";
}

std::u16string KeyRefusalText(const FileError& e, bool chosenFile)
{
    std::u16string text = u"強い匿名化の鍵ファイル「" + FromUtf8(PathUtf8(e.file()))
        + u"」を使えないため、匿名化しませんでした。" + FromUtf8(e.what());
    if (chosenFile)
        return text + u"--key には、強い匿名化で作られた32バイトの鍵ファイルを指定してください。";
    return text
        + u"鍵ファイルとそのフォルダを確かめてください。壊れた鍵ファイルは、削除すると次の実行で新しい鍵が作られます"
          u"（カルテ番号の仮番号は、これまでのものと変わります）。";
}

} // namespace plok::claims
