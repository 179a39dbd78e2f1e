#include "core/IniFile.h"

#include "core/AtomicFile.h"
#include "core/Cp932.h"
#include "core/Errors.h"
#include "core/File.h"
#include "core/FileNames.h"
#include "core/TextFile.h"

#include <algorithm>
#include <optional>

namespace plok {

namespace {

namespace fs = std::filesystem;

// The buffer the Windows profile call is given holds 2048 units with the terminating zero.
constexpr std::size_t kMaxValueUnits = 2047;

char16_t AsciiLower(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}

bool SameName(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    }
    return true;
}

std::optional<std::u16string_view> SectionName(std::u16string_view line)
{
    const std::u16string_view t = TrimView(line);
    if (t.empty() || t.front() != u'[')
        return std::nullopt;
    const std::size_t close = t.rfind(u']');
    if (close == std::u16string_view::npos)
        return std::nullopt;
    return TrimView(t.substr(1, close - 1));
}

struct KeyLine
{
    std::u16string_view key;
    std::u16string_view rawValue;
};

std::optional<KeyLine> ParseKeyLine(std::u16string_view line)
{
    const std::u16string_view t = TrimView(line);
    if (t.empty() || t.front() == u';')
        return std::nullopt;
    const std::size_t eq = t.find(u'=');
    if (eq == std::u16string_view::npos)
        return std::nullopt;
    return KeyLine {TrimView(t.substr(0, eq)), t.substr(eq + 1)};
}

struct Place
{
    std::optional<std::size_t> section;
    std::optional<std::size_t> key;
    std::size_t lastNonBlank = 0;
};

// Only the first section of that name counts, like the Windows profile service.
Place Find(const std::vector<Line>& lines, std::u16string_view section, std::u16string_view key)
{
    Place place;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (const auto name = SectionName(lines[i])) {
            if (place.section)
                break;
            if (SameName(*name, section)) {
                place.section = i;
                place.lastNonBlank = i;
            }
            continue;
        }
        if (!place.section)
            continue;
        if (!IsBlank(lines[i]))
            place.lastNonBlank = i;
        const auto entry = ParseKeyLine(lines[i]);
        if (entry && SameName(entry->key, key)) {
            place.key = i;
            break;
        }
    }
    return place;
}

std::u16string ValueOf(std::u16string_view rawValue)
{
    std::u16string_view v = TrimView(rawValue);
    if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return std::u16string(v.substr(0, kMaxValueUnits));
}

bool Exists(const fs::path& file)
{
    std::error_code ec;
    // Any other trouble than a missing file is left to the reader, which reports it.
    return fs::status(file, ec).type() != fs::file_type::not_found;
}

void AppendUtf16(std::u16string_view text, bool bigEndian, std::string& out)
{
    for (char16_t c : text) {
        const auto hi = static_cast<char>(c >> 8);
        const auto lo = static_cast<char>(c & 0xFF);
        out += bigEndian ? hi : lo;
        out += bigEndian ? lo : hi;
    }
}

void Save(const fs::path& file, const std::vector<Line>& lines, TextEncoding encoding)
{
    if (encoding == TextEncoding::Cp932) {
        WrtSet(file, lines);
        return;
    }
    AtomicFile out(file.parent_path().empty() ? fs::path(".") : file.parent_path());
    std::string bytes;
    if (encoding == TextEncoding::Utf8)
        bytes = "\xEF\xBB\xBF";
    else if (encoding == TextEncoding::Utf16Le)
        bytes = "\xFF\xFE";
    else
        bytes = "\xFE\xFF";
    for (const Line& line : lines) {
        if (encoding == TextEncoding::Utf8) {
            bytes += ToUtf8(line);
            bytes += "\r\n";
        } else {
            AppendUtf16(line, encoding == TextEncoding::Utf16Be, bytes);
            AppendUtf16(u"\r\n", encoding == TextEncoding::Utf16Be, bytes);
        }
    }
    out.Write(bytes);
    out.Commit(file);
}

bool HasLineBreak(std::u16string_view s)
{
    return s.find_first_of(u"\r\n") != std::u16string_view::npos;
}

} // namespace

std::u16string IFReadIniStr(
    const std::filesystem::path& iniFile, std::u16string_view section, std::u16string_view key, std::u16string_view def)
{
    if (!Exists(iniFile))
        return std::u16string(def);
    const std::vector<Line> lines = LoadLines(iniFile);
    const Place place = Find(lines, TrimView(section), TrimView(key));
    if (!place.key)
        return std::u16string(def);
    return ValueOf(ParseKeyLine(lines[*place.key])->rawValue);
}

void IFWriteIniStr(const std::filesystem::path& iniFile, std::u16string_view section, std::u16string_view key,
    std::u16string_view value)
{
    if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value))
        throw IoError("設定ファイル \"" + PathUtf8(iniFile) + "\" に書き込めません（改行を含む値）。");

    std::vector<Line> lines;
    TextEncoding encoding = TextEncoding::Cp932;
    if (Exists(iniFile)) {
        const std::string bytes = ReadAll(iniFile);
        encoding = DetectEncoding(bytes);
        lines = SplitLines(DecodeText(bytes));
    }

    const std::u16string_view sectionName = TrimView(section);
    const std::u16string_view keyName = TrimView(key);
    Line entry(keyName);
    entry += u'=';
    entry += value;

    const Place place = Find(lines, sectionName, keyName);
    if (place.key) {
        lines[*place.key] = std::move(entry);
    } else if (place.section) {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(place.lastNonBlank + 1), std::move(entry));
    } else {
        Line header(u"[");
        header += sectionName;
        header += u']';
        lines.push_back(std::move(header));
        lines.push_back(std::move(entry));
    }
    // A character code page 932 lacks would be stored as "?" and every later use of the value would fail: the file
    // becomes UTF-16 with a byte-order mark, which keeps every character (and Windows' profile functions read too).
    if (encoding == TextEncoding::Cp932
        && !std::all_of(lines.begin(), lines.end(), [](const Line& line) { return cp932::CanEncode(line); }))
        encoding = TextEncoding::Utf16Le;
    Save(iniFile, lines, encoding);
}

} // namespace plok
