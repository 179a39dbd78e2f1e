#include "claims/ClaimsRecord.h"

#include "core/ByteScan.h"
#include "core/Errors.h"

#include <algorithm>
#include <cstring>

namespace plok::claims::detail {

std::string_view Dequoted(std::string_view line, std::string& scratch)
{
    if (line.find('"') == line.npos)
        return line;
    scratch.clear();
    for (char c : line)
        if (c != '"')
            scratch += c;
    return scratch;
}

FieldCuts::FieldCuts(std::string_view record, std::size_t fields)
    : m_record(record)
    , m_commas(plok::detail::FindFirstBytes(record, ',', m_comma.data(), std::min(fields, kMaxFields)))
{ }

void FieldCuts::Require(std::initializer_list<std::size_t> indices) const
{
    for (const std::size_t i : indices)
        if (!Has(i))
            throw ListIndexError(static_cast<int>(i));
}

namespace {

char* Copy(char* out, const char* begin, const char* end)
{
    const auto n = static_cast<std::size_t>(end - begin);
    std::memcpy(out, begin, n);
    return out + n;
}

/// AppendQuotingBlanks into a buffer with room for 2 * (end - p) + 2 bytes; returns the end of what it wrote.
char* CopyQuotingBlanks(char* out, const char* p, const char* end)
{
    const char* done = p;
    for (const char* blank = plok::detail::FindQuotableByte(done, end); blank != end;
         blank = plok::detail::FindQuotableByte(done, end)) {
        const char* fieldBegin = blank;
        while (fieldBegin > done && fieldBegin[-1] != ',')
            --fieldBegin;
        const char* fieldEnd = blank;
        while (fieldEnd != end && *fieldEnd != ',')
            ++fieldEnd;
        out = Copy(out, done, fieldBegin);
        *out++ = '"';
        out = Copy(out, fieldBegin, fieldEnd);
        *out++ = '"';
        done = fieldEnd;
    }
    return Copy(out, done, end);
}

} // namespace

void AppendEdited(std::string& out, const FieldCuts& cuts, std::initializer_list<FieldEdit> edits, Join join)
{
    // Written through a pointer into room made beforehand: a quoted field is at least one byte and one comma, so
    // quoting at most doubles a piece, plus two.
    const std::string_view record = cuts.record();
    std::size_t room = record.size() + 2;
    for (const FieldEdit& e : edits)
        room += e.value.size() + 2;
    const auto hasQuotable = [](std::string_view bytes) {
        return plok::detail::FindQuotableByte(bytes.data(), bytes.data() + bytes.size()) != bytes.data() + bytes.size();
    };
    // Most records hold no blank at all; their pieces need no look at each.
    if (join == Join::QuotingBlanks && !hasQuotable(record)
        && std::none_of(edits.begin(), edits.end(), [&](const FieldEdit& e) { return hasQuotable(e.value); }))
        join = Join::Plain;
    const std::size_t start = out.size();
    out.resize(start + 2 * room);
    char* p = out.data() + start;
    const auto put = [&](std::string_view bytes) {
        p = join == Join::QuotingBlanks ? CopyQuotingBlanks(p, bytes.data(), bytes.data() + bytes.size())
                                        : Copy(p, bytes.data(), bytes.data() + bytes.size());
    };
    std::size_t done = 0;
    for (const FieldEdit& e : edits) {
        if (!cuts.Has(e.index))
            continue;
        put(record.substr(done, cuts.Begin(e.index) - done));
        put(e.value);
        done = cuts.End(e.index);
    }
    put(record.substr(done));
    out.resize(static_cast<std::size_t>(p - out.data()));
}

void AppendQuotingBlanks(std::string& out, std::string_view fields)
{
    const std::size_t start = out.size();
    out.resize(start + 2 * fields.size() + 2);
    char* const end = CopyQuotingBlanks(out.data() + start, fields.data(), fields.data() + fields.size());
    out.resize(static_cast<std::size_t>(end - out.data()));
}

} // namespace plok::claims::detail
