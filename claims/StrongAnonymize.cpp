#include "claims/StrongAnonymize.h"

#include "core/FileNames.h"
#include "core/Text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <utility>

namespace plok::claims {

namespace {

/// Name what each MAC of the clinic key is for, so that no two uses meet. The version changes with the derivation:
/// every patient gets a new pseudonym then.
constexpr std::string_view kChartLabel = "plok chart number v2";
constexpr std::string_view kTextLabel = "plok chart text v2";
constexpr std::string_view kKeyIdLabel = "plok key id";

/// The largest multiple of 10 a byte reaches: bytes below it give digits without bias.
constexpr unsigned kDigitBytes = 250;

bool IsAsciiDigit(char c)
{
    return c >= '0' && c <= '9';
}

/// The digit of the character at `i` of `s` (half-width, or full-width: code page 932 0x82 0x4F..0x58) and the bytes
/// it takes, or a length of 0 for any other character.
std::pair<unsigned, std::size_t> DigitAt(std::string_view s, std::size_t i)
{
    const unsigned lead = static_cast<unsigned char>(s[i]);
    if (lead >= '0' && lead <= '9')
        return {lead - '0', 1};
    if (lead == 0x82 && i + 1 < s.size()) {
        const unsigned trail = static_cast<unsigned char>(s[i + 1]);
        if (trail >= 0x4F && trail <= 0x58)
            return {trail - 0x4F, 2};
    }
    return {0, 0};
}

/// True when `chart` reads as `pseudonym` (ASCII digits and capitals): each character the same, half- or full-width.
bool ReadsAs(std::string_view chart, std::string_view pseudonym)
{
    std::size_t i = 0;
    for (const char c : pseudonym) {
        if (i >= chart.size())
            return false;
        const unsigned wide = IsAsciiDigit(c) ? 0x4F + (c - '0') : c >= 'A' && c <= 'Z' ? 0x60 + (c - 'A') : 0;
        if (chart[i] == c)
            ++i;
        else if (wide != 0 && i + 1 < chart.size() && static_cast<unsigned char>(chart[i]) == 0x82
            && static_cast<unsigned char>(chart[i + 1]) == wide)
            i += 2;
        else
            return false;
    }
    return i == chart.size();
}

crypto::Mac MacOf(const crypto::Key& key, std::string_view label)
{
    return crypto::HmacSha256(key).Of({label});
}

/// The FF1 key: the first 128 bits of a MAC of the clinic key. AES-128 is ample for a permutation of chart numbers
/// and takes ten rounds a block where AES-256 takes fourteen.
std::span<const std::uint8_t> Ff1Key(const crypto::Mac& mac)
{
    return std::span(mac).first(16);
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
    , m_ff1(Ff1Key(MacOf(key, kChartLabel)), 10)
    , m_message(std::string(kTextLabel) + std::string(4, '\0'))
{ }

void ChartPseudonyms::Append(std::string_view chart, std::string& out)
{
    if (chart.empty())
        return;
    std::size_t width = 0;
    std::size_t digits = 0;
    for (std::size_t i = 0; i < chart.size(); ++width) {
        const auto [digit, bytes] = DigitAt(chart, i);
        if (bytes == 0 || digits == kMaxDigits) {
            AppendText(chart, out);
            return;
        }
        i += bytes;
        if (digits != 0 || digit != 0)
            m_digits[digits++] = static_cast<std::uint16_t>(digit);
    }
    // Below a million: six digits, the shortest FF1 takes; leading zeros where the number is shorter.
    const std::size_t n = std::max(digits, kShortest);
    std::copy_backward(m_digits.begin(), m_digits.begin() + digits, m_digits.begin() + n);
    std::fill(m_digits.begin(), m_digits.begin() + (n - digits), 0);
    const std::span<std::uint16_t> x(m_digits.data(), n);
    // Seven digits and more: FF1 over k digits, again until the number has k digits without a leading zero.
    const bool walk = n > kShortest;
    do
        m_ff1.Decrypt(x);
    while (walk && x[0] == 0);
    std::size_t i = n;
    while (i > 0 && x[i - 1] == 9)
        x[--i] = 0;
    if (i > 0)
        ++x[i - 1];
    else if (walk)
        x[0] = 1; // after 99...9 comes the class's first number, 10...0
    do
        m_ff1.Encrypt(x);
    while (walk && x[0] == 0);
    out.append(width > n ? width - n : 0, '0');
    for (const std::uint16_t d : x)
        out += static_cast<char>('0' + d);
}

void ChartPseudonyms::AppendText(std::string_view chart, std::string& out)
{
    // The message in one piece: the library takes one piece far faster than three.
    constexpr std::size_t kCounterAt = kTextLabel.size();
    m_message.resize(kCounterAt + 4);
    m_message.append(chart);
    std::uint32_t block = 0;
    crypto::Mac mac {};
    std::size_t used = mac.size();
    const std::size_t start = out.size();
    out += kTextMarker;
    out.resize(start + 1 + kTextDigits);
    char* const digits = out.data() + start + 1;
    // A chart number that reads as its own pseudonym takes the next digits.
    do {
        for (std::size_t i = 0; i < kTextDigits;) {
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
    } while (ReadsAs(chart, std::string_view(out).substr(start)));
}

std::string KeyId(const crypto::Key& key)
{
    const crypto::Mac mac = MacOf(key, kKeyIdLabel);
    std::string id;
    for (std::size_t i = 0; i < 4; ++i) {
        if (i == 2)
            id += '-';
        id += "0123456789abcdef"[mac[i] >> 4];
        id += "0123456789abcdef"[mac[i] & 15];
    }
    return id;
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

namespace {

/// The day of a date field as a western date (20240605), or nothing.
std::optional<std::uint32_t> WesternDay(std::string_view raw)
{
    // The western year before the first year of 明治, 大正, 昭和, 平成 and 令和 (era codes 1 to 5).
    constexpr std::uint32_t kEraYearZero[] = {1867, 1911, 1925, 1988, 2018};
    const std::string_view date = TrimView(raw);
    if ((date.size() != 7 && date.size() != 8) || !std::all_of(date.begin(), date.end(), IsAsciiDigit))
        return std::nullopt;
    std::uint32_t value = 0;
    for (const char c : date)
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
    const std::uint32_t month = value / 100 % 100;
    const std::uint32_t day = value % 100;
    if (month < 1 || month > 12 || day < 1 || day > 31)
        return std::nullopt;
    if (date.size() == 8)
        return value;
    const std::uint32_t era = value / 1000000;
    if (era < 1 || era > 5)
        return std::nullopt;
    return (kEraYearZero[era - 1] + value / 10000 % 100) * 10000 + value % 10000;
}

} // namespace

bool SameDay(std::string_view a, std::string_view b)
{
    const std::optional<std::uint32_t> day = WesternDay(a);
    return day && day == WesternDay(b);
}

namespace {

/// `path` for a POSIX shell: in single quotes, a quote in it closed, escaped and opened again.
std::u16string ShellWord(const std::filesystem::path& path)
{
    std::u16string word = u"'";
    for (const char16_t c : FromUtf8(PathUtf8(path)))
        word += c == u'\'' ? std::u16string(u"'\\''") : std::u16string(1, c);
    return word + u"'";
}

std::u16string Octal(unsigned mode)
{
    return FromUtf8(std::to_string(mode >> 6 & 7) + std::to_string(mode >> 3 & 7) + std::to_string(mode & 7));
}

} // namespace

std::vector<std::u16string> KeyExposureTexts(const crypto::KeyExposure& exposure, const std::filesystem::path& file)
{
    std::vector<std::u16string> texts;
    std::error_code ec;
    if (exposure.fileMode != 0)
        texts.push_back(u"警告: 鍵ファイルに本人以外の利用者への許可があります（" + Octal(exposure.fileMode)
            + u"）。鍵があれば仮番号から患者をたどれます。本人だけが読めるようにしてください: chmod 600 "
            + ShellWord(std::filesystem::absolute(file, ec)));
    if (!exposure.folder.empty())
        texts.push_back(u"警告: 鍵ファイルのフォルダに本人以外の利用者も入れます（" + Octal(exposure.folderMode)
            + u"）。本人だけが入れるようにしてください: chmod 700 " + ShellWord(exposure.folder));
    return texts;
}

std::u16string KeyIdText(const crypto::Key& key)
{
    return u"鍵ID " + FromUtf8(KeyId(key))
        + u"（鍵IDが同じコピーどうしは、同じカルテ番号が同じ仮番号です。鍵IDが違えば、仮番号も違います）";
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
