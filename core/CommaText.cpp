#include "core/CommaText.h"

#include "core/ByteScan.h"

namespace plok {

namespace {

bool SplitFields(std::u16string_view s, FieldList& list)
{
    for (;;) {
        const std::size_t comma = s.find(u',');
        const auto part = s.substr(0, comma);
        std::u16string& field = list.emplace_back();
        // Quotes are rare: copy whole runs between them rather than character by character.
        std::size_t start = 0;
        for (std::size_t q = part.find(u'"'); q != part.npos; q = part.find(u'"', start)) {
            field.append(part.substr(start, q - start));
            start = q + 1;
        }
        field.append(part.substr(start));
        if (comma == s.npos)
            return true;
        s.remove_prefix(comma + 1);
    }
}

template<class CharT>
bool NeedsQuotes(std::basic_string_view<CharT> field)
{
    for (CharT c : field) {
        const auto u = static_cast<std::make_unsigned_t<CharT>>(c);
        if ((u >= 0x01 && u <= 0x20) || c == CharT('"') || c == CharT(','))
            return true;
    }
    return false;
}

template<class CharT, class Fields>
void JoinFields(std::basic_string<CharT>& out, const Fields& fields)
{
    if (fields.size() == 1 && fields[0].empty()) {
        out.append(2, CharT('"'));
        return;
    }
    std::size_t total = fields.size();
    for (const auto& f : fields)
        total += f.size();
    out.reserve(out.size() + total);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += CharT(',');
        const std::basic_string_view<CharT> f = fields[i];
        if (!NeedsQuotes(f)) {
            out += f;
            continue;
        }
        out += CharT('"');
        for (CharT c : f) {
            if (c == CharT('"'))
                out += CharT('"');
            out += c;
        }
        out += CharT('"');
    }
}

bool IsSplitBlank(char16_t c)
{
    return c >= 0x01 && c <= 0x20;
}

} // namespace

bool GetCommaTxt(std::u16string_view s, FieldList& list)
{
    return SplitFields(s, list);
}

std::vector<std::string_view>& ByteFieldSplitter::Split(std::string_view line)
{
    // Dropping every quote before cutting at the commas gives the same fields: a quote never affects a cut.
    if (line.find('"') != line.npos) {
        m_dequoted.clear();
        for (char c : line)
            if (c != '"')
                m_dequoted += c;
        line = m_dequoted;
    }
    m_fields.clear();
    std::size_t start = 0;
    detail::ForEachByte(line, ',', [&](std::size_t comma) {
        m_fields.push_back(line.substr(start, comma - start));
        start = comma + 1;
    });
    m_fields.push_back(line.substr(start));
    return m_fields;
}

std::u16string JoinCommaText(const FieldList& fields)
{
    std::u16string out;
    JoinFields(out, fields);
    return out;
}

void AppendCommaText(std::string& out, const std::vector<std::string_view>& fields)
{
    JoinFields(out, fields);
}

FieldList SplitCommaText(std::u16string_view s)
{
    // A U+0000 ends the text, as it ends the null-terminated text this rule was made for; without that cut a
    // U+0000 outside quotes would never be stepped over.
    if (const std::size_t nul = s.find(u'\0'); nul != s.npos)
        s = s.substr(0, nul);

    FieldList list;
    std::size_t i = 0;
    const std::size_t n = s.size();
    while (i < n && IsSplitBlank(s[i]))
        ++i;
    while (i < n) {
        std::u16string field;
        if (s[i] == u'"') {
            ++i;
            for (;;) {
                const std::size_t q = s.find(u'"', i);
                if (q == s.npos) {
                    field.append(s.substr(i));
                    i = n;
                    break;
                }
                field.append(s.substr(i, q - i));
                if (q + 1 < n && s[q + 1] == u'"') {
                    field += u'"';
                    i = q + 2;
                    continue;
                }
                i = q + 1;
                break;
            }
        } else {
            const std::size_t start = i;
            while (i < n && s[i] != u',' && s[i] > 0x20)
                ++i;
            field.assign(s.substr(start, i - start));
        }
        list.push_back(std::move(field));
        while (i < n && IsSplitBlank(s[i]))
            ++i;
        if (i < n && s[i] == u',') {
            if (i == n - 1)
                list.emplace_back();
            ++i;
            while (i < n && IsSplitBlank(s[i]))
                ++i;
        }
    }
    return list;
}

} // namespace plok
