// The settings store on a file: a key written reads back as its value (trimmed, one pair of enclosing quotes gone,
// cut at 2047 units, as the file's encoding can hold it; a code page 932 file becomes UTF-16 for a value it cannot
// hold), and every other key keeps the value it had.
#include "FuzzSupport.h"
#include "core/Cp932.h"
#include "core/IniFile.h"
#include "core/TextFile.h"

#include <fuzzer/FuzzedDataProvider.h>

using namespace plok;

namespace {

/// Section and key names as the program uses them: ASCII letters, digits and "_", with blanks around them that the
/// store ignores, and letter case it ignores.
std::u16string Name(FuzzedDataProvider& in)
{
    static constexpr char kAlphabet[] = "AaBbKk_1 ";
    std::u16string name;
    for (const char c : in.ConsumeRandomLengthString(6))
        name += static_cast<char16_t>(kAlphabet[static_cast<unsigned char>(c) % (sizeof kAlphabet - 1)]);
    return name;
}

/// What reading gives for a value written into a file of `encoding`.
std::u16string Expected(std::u16string value, TextEncoding encoding)
{
    // A value code page 932 cannot hold turns a code page 932 file into UTF-16, which keeps it whole.
    if (encoding == TextEncoding::Cp932 && cp932::CanEncode(value))
        value = cp932::Decode(cp932::Encode(value));
    else if (encoding == TextEncoding::Utf8)
        value = FromUtf8(ToUtf8(value));
    std::u16string_view v = TrimView<char16_t>(value);
    if (v.size() >= 2 && (v.front() == u'"' || v.front() == u'\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return std::u16string(v.substr(0, 2047));
}

/// Every section and key name the file spells, as a plain reading of it finds them.
std::vector<std::pair<std::u16string, std::u16string>> Names(const std::vector<Line>& lines)
{
    std::vector<std::pair<std::u16string, std::u16string>> names;
    std::u16string section;
    for (const Line& line : lines) {
        const std::u16string_view t = TrimView<char16_t>(line);
        if (t.starts_with(u'[') && t.find(u']') != t.npos) {
            section = std::u16string(t.substr(1, t.rfind(u']') - 1));
        } else if (const std::size_t eq = t.find(u'='); eq != t.npos && names.size() < 64) {
            names.emplace_back(section, std::u16string(t.substr(0, eq)));
        }
    }
    return names;
}

bool SameName(std::u16string_view a, std::u16string_view b)
{
    a = TrimView(a);
    b = TrimView(b);
    auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; };
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [&](char16_t x, char16_t y) { return lower(x) == lower(y); });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    const std::u16string section = Name(in);
    const std::u16string key = Name(in);
    const bool wideValue = in.ConsumeBool();
    const std::string valueBytes = in.ConsumeRandomLengthString(64);
    const std::string content = in.ConsumeRemainingBytesAsString();

    std::u16string value;
    if (wideValue) {
        for (std::size_t i = 0; i + 1 < valueBytes.size(); i += 2)
            value += static_cast<char16_t>(
                static_cast<unsigned char>(valueBytes[i]) | (static_cast<unsigned char>(valueBytes[i + 1]) << 8));
    } else {
        value = cp932::Decode(valueBytes);
    }

    const fuzz::fs::path dir = fuzz::Scratch::Fresh("ini");
    const fuzz::fs::path ini = dir / "user.ini";
    if (!content.empty())
        fuzz::WriteFile(ini, content);
    const TextEncoding encoding = DetectEncoding(content);

    const auto names = Names(SplitLines(DecodeText(content)));
    std::vector<std::u16string> before;
    for (const auto& [s, k] : names)
        before.push_back(IFReadIniStr(ini, s, k, u"\uFFFF"));

    const bool breaks = value.find_first_of(u"\r\n") != std::u16string::npos;
    bool written = true;
    try {
        IFWriteIniStr(ini, section, key, value);
    } catch (const IoError&) {
        written = false;
    }
    // Writing fails only for a line break, and then leaves the file as it was.
    FUZZ_CHECK(written == !breaks);
    if (!written) {
        FUZZ_CHECK(content.empty() ? !fuzz::fs::exists(ini) : fuzz::ReadFile(ini) == content);
        return 0;
    }
    FUZZ_CHECK(fuzz::Snapshot(dir).size() == 1);

    FUZZ_CHECK(IFReadIniStr(ini, section, key, u"\uFFFF") == Expected(value, encoding));
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (SameName(names[i].first, section) && SameName(names[i].second, key))
            continue;
        FUZZ_CHECK(IFReadIniStr(ini, names[i].first, names[i].second, u"\uFFFF") == before[i]);
    }
    return 0;
}
