#include "core/Text.h"

#include "core/WholeNumber.h"

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

std::size_t Columns(char16_t c)
{
    return c < 0x80 || (c >= 0xFF61 && c <= 0xFF9F) ? 1 : 2;
}

bool EndsAPhrase(char16_t c)
{
    return c == u'、' || c == u'。';
}

bool MayNotStartALine(char16_t c)
{
    return EndsAPhrase(c) || c == u'」' || c == u'）' || c == u')';
}

} // namespace

std::u16string WrapLines(std::u16string_view text, std::size_t columns)
{
    std::u16string out;
    out.reserve(text.size() + text.size() / 16);
    while (true) {
        const std::size_t end = text.find(u'\n');
        std::u16string_view line = text.substr(0, end);
        while (columns > 1) {
            // `fit`: how many characters fill the width; `after`: the last phrase end within it, past its half.
            std::size_t used = 0;
            std::size_t fit = 0;
            std::size_t after = 0;
            while (fit < line.size() && used + Columns(line[fit]) <= columns) {
                used += Columns(line[fit]);
                ++fit;
                if (EndsAPhrase(line[fit - 1]) && used * 2 > columns)
                    after = fit;
            }
            if (fit == line.size())
                break;
            std::size_t cut = after != 0 ? after : fit;
            // Neither a closing mark nor a last character with nothing but its mark goes down alone.
            const auto alone = [&] {
                std::size_t letters = 0;
                for (std::size_t i = cut; i < line.size() && letters < 2; ++i)
                    letters += MayNotStartALine(line[i]) ? 0 : 1;
                return letters < 2 || MayNotStartALine(line[cut]);
            };
            while (cut > 1 && alone())
                --cut;
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
