#include "core/FoldCase.h"

#include "core/CaseMap.h"

namespace plok {

void FoldCase(std::u16string_view s, std::u16string& out)
{
    out.assign(s);
    bool ascii = true;
    for (char16_t c : s)
        ascii = ascii && c < 0x80;
    if (ascii) {
        for (char16_t& c : out)
            if (c >= u'A' && c <= u'Z')
                c = static_cast<char16_t>(c + (u'a' - u'A'));
        return;
    }
    out.clear();
    for (std::size_t i = 0; i < s.size(); ++i) {
        char32_t c = s[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF)
            c = 0x10000 + ((c - 0xD800) << 10) + (s[++i] - 0xDC00);
        // A lone surrogate has no folding and stays the unit it was.
        casemap::AppendFolded(c, out);
    }
}

} // namespace plok
