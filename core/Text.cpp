#include "core/Text.h"

#include "core/WholeNumber.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace plok {

int StrToIntDef(std::u16string_view s, int def)
{
    return detail::ReadWholeNumber<std::int32_t>(s).value_or(def);
}

std::u16string IntToStr(int value)
{
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

namespace {

int Columns(std::u16string_view c)
{
    return c.size() == 1 && (c[0] < 0x80 || (c[0] >= 0xFF61 && c[0] <= 0xFF9F)) ? 1 : 2;
}

bool IsHiragana(char16_t c)
{
    return c >= 0x3041 && c <= 0x309F;
}

bool IsSmallKana(char16_t c)
{
    return std::u16string_view(u"ぁぃぅぇぉっゃゅょゎゕゖァィゥェォッャュョヮヵヶｧｨｩｪｫｯｬｭｮ").find(c)
        != std::u16string_view::npos;
}

bool EndsAPhrase(char16_t c)
{
    return std::u16string_view(u"、。，．！？：").find(c) != std::u16string_view::npos;
}

bool Closes(char16_t c)
{
    return std::u16string_view(u"」』）)】〕］]｝}〉》").find(c) != std::u16string_view::npos;
}

bool Opens(char16_t c)
{
    return std::u16string_view(u"「『（(【〔［[｛{〈《").find(c) != std::u16string_view::npos;
}

/// Characters a Japanese line never starts with: punctuation, closing brackets, the long vowel mark, small kana.
bool MayNotStartALine(char16_t c)
{
    return EndsAPhrase(c) || Closes(c) || IsSmallKana(c) || c == u'ー' || c == u'ｰ' || c == u'・' || c == u'ﾞ'
        || c == u'ﾟ' || c == u'゛' || c == u'゜';
}

/// Whether a line may break between `before` and `after` at a phrase's edge: after punctuation, a closing bracket, a
/// blank or a path's separator, before an opening bracket, and after a particle or the て that close a phrase where the
/// next word begins: 「ファイルを｜開いてください」, 「入力して｜下さい」, never 「開｜いて」 nor 「やり｜直して」.
bool PhraseBreak(char16_t before, char16_t after)
{
    if (MayNotStartALine(after) || Opens(before))
        return false;
    if (EndsAPhrase(before) || Closes(before) || Opens(after) || before == u' ' || before == u'\u3000'
        || before == u'\\' || before == u'/')
        return true;
    return std::u16string_view(u"をにはがでとへものて").find(before) != std::u16string_view::npos && !IsHiragana(after);
}

/// The length of the code point at `i` of `s`: 2 for a surrogate pair, else 1.
std::size_t PointLength(std::u16string_view s, std::size_t i)
{
    return s[i] >= 0xD800 && s[i] <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF ? 2 : 1;
}

} // namespace

std::u16string WrapText(
    std::u16string_view text, int width, const std::function<int(std::u16string_view character)>& measure)
{
    std::u16string out;
    out.reserve(text.size() + text.size() / 16);
    while (true) {
        const std::size_t end = text.find(u'\n');
        std::u16string_view line = text.substr(0, end);
        while (!line.empty()) {
            // `fit`: the characters that fill the width; `phrase`: the last phrase break within them that leaves a line
            // of a third of the width at least.
            int used = 0;
            std::size_t fit = 0;
            std::size_t phrase = 0;
            while (fit < line.size()) {
                const std::size_t n = PointLength(line, fit);
                const int w = measure(line.substr(fit, n));
                if (used + w > width)
                    break;
                used += w;
                fit += n;
                if (fit < line.size() && PhraseBreak(line[fit - 1], line[fit]) && used * 3 >= width)
                    phrase = fit;
            }
            if (fit == line.size())
                break;
            std::size_t cut = phrase;
            if (cut == 0) {
                // No phrase ends within the width: a break between characters, which never puts one that may not
                // start a line first, splits no surrogate pair, and leaves no last character alone with its mark.
                const auto unfit = [&](std::size_t at) {
                    std::size_t letters = 0;
                    for (std::size_t i = at; i < line.size() && letters < 2; ++i)
                        letters += MayNotStartALine(line[i]) ? 0 : 1;
                    return letters < 2 || MayNotStartALine(line[at]) || (line[at] >= 0xDC00 && line[at] <= 0xDFFF);
                };
                cut = std::max<std::size_t>(fit, 1);
                while (cut > 1 && unfit(cut))
                    --cut;
            }
            out += line.substr(0, cut);
            out += u'\n';
            line.remove_prefix(cut);
        }
        out += line;
        if (end == std::u16string_view::npos)
            return out;
        out += u'\n';
        text.remove_prefix(end + 1);
    }
}

std::u16string WrapLines(std::u16string_view text, std::size_t columns)
{
    return WrapText(text, static_cast<int>(columns), Columns);
}

std::string ToUtf8(std::u16string_view s)
{
    std::string out;
    out.reserve(s.size() * 3);
    for (std::size_t i = 0; i < s.size(); ++i) {
        char32_t cp = s[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

std::u16string FromUtf8(std::string_view s)
{
    std::u16string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b0 = static_cast<unsigned char>(s[i]);
        if (b0 < 0x80) {
            out += static_cast<char16_t>(b0);
            ++i;
            continue;
        }
        int len = 0;
        char32_t cp = 0;
        char32_t min = 0;
        if (b0 >= 0xC2 && b0 <= 0xDF) {
            len = 2;
            cp = b0 & 0x1F;
            min = 0x80;
        } else if (b0 >= 0xE0 && b0 <= 0xEF) {
            len = 3;
            cp = b0 & 0x0F;
            min = 0x800;
        } else if (b0 >= 0xF0 && b0 <= 0xF4) {
            len = 4;
            cp = b0 & 0x07;
            min = 0x10000;
        }
        bool ok = len > 0 && i + len <= s.size();
        for (int k = 1; ok && k < len; ++k) {
            const auto b = static_cast<unsigned char>(s[i + k]);
            if ((b & 0xC0) != 0x80)
                ok = false;
            else
                cp = (cp << 6) | (b & 0x3F);
        }
        if (!ok || cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
        i += len;
    }
    return out;
}

} // namespace plok
