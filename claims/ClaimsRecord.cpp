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
    // Most pieces are a few bytes: two overlapping fixed-size moves cost less than a call.
    if (n >= 8 && n <= 16) {
        std::memcpy(out, begin, 8);
        std::memcpy(out + n - 8, begin + n - 8, 8);
    } else if (n >= 4 && n < 8) {
        std::memcpy(out, begin, 4);
        std::memcpy(out + n - 4, begin + n - 4, 4);
    } else if (n < 4) {
        for (std::size_t i = 0; i < n; ++i)
            out[i] = begin[i];
    } else {
        std::memcpy(out, begin, n);
    }
    return out + n;
}

/// Writes the fields of one record without double quotes as the comma-text join rule does, into room made
/// beforehand (a quoted field is at least one byte and one comma, so quoting at most doubles a piece, plus two). The
/// record's fields come in order, whole, as runs of its bytes, with the replaced ones left out and values in their
/// place; the bytes the rule quotes a field for are found in one pass over the record however it is handed over.
class JoinWriter
{
public:
    JoinWriter(std::string_view record, char* out, Join join)
        : m_begin(record.data())
        , m_end(record.data() + record.size())
        , m_out(out)
        , m_quoting(join == Join::QuotingBlanks)
        , m_quotable(m_quoting ? plok::detail::FindQuotableByte(record.data(), m_end, record.data()) : m_end)
    { }

    /// The record's whole fields in [begin, end), commas included.
    void Fields(const char* begin, const char* end)
    {
        while (m_quotable < end) {
            const char* fieldBegin = m_quotable;
            while (fieldBegin > begin && fieldBegin[-1] != ',')
                --fieldBegin;
            const char* fieldEnd = m_quotable;
            while (fieldEnd != end && *fieldEnd != ',')
                ++fieldEnd;
            m_out = Copy(m_out, begin, fieldBegin);
            *m_out++ = '"';
            m_out = Copy(m_out, fieldBegin, fieldEnd);
            *m_out++ = '"';
            begin = fieldEnd;
            m_quotable = plok::detail::FindQuotableByte(fieldEnd, m_end, m_begin);
        }
        m_out = Copy(m_out, begin, end);
    }
    /// A value written in place of the record's bytes before `resume`.
    void Value(std::string_view value, const char* resume)
    {
        const char* const end = value.data() + value.size();
        const bool quote = m_quoting && plok::detail::FindQuotableByte(value.data(), end, value.data()) != end;
        if (quote)
            *m_out++ = '"';
        m_out = Copy(m_out, value.data(), end);
        if (quote)
            *m_out++ = '"';
        if (m_quotable < resume)
            m_quotable = plok::detail::FindQuotableByte(resume, m_end, m_begin);
    }
    char* out() const { return m_out; }

private:
    const char* m_begin;
    const char* m_end;
    char* m_out;
    bool m_quoting;
    const char* m_quotable; // the next byte of the record the rule quotes its field for, or m_end
};

} // namespace

void AppendEdited(std::string& out, const FieldCuts& cuts, std::span<const FieldEdit> edits, Join join)
{
    const std::string_view record = cuts.record();
    std::size_t room = record.size() + 2;
    for (const FieldEdit& e : edits)
        room += e.value.size() + 2;
    const std::size_t start = out.size();
    out.resize(start + 2 * room);
    JoinWriter writer(record, out.data() + start, join);
    const char* done = record.data();
    for (const FieldEdit& e : edits) {
        if (!cuts.Has(e.index))
            continue;
        writer.Fields(done, record.data() + cuts.Begin(e.index));
        done = record.data() + cuts.End(e.index);
        writer.Value(e.value, done);
    }
    writer.Fields(done, record.data() + record.size());
    out.resize(static_cast<std::size_t>(writer.out() - out.data()));
}

void AppendQuotingBlanks(std::string& out, std::string_view fields)
{
    const std::size_t start = out.size();
    out.resize(start + 2 * fields.size() + 2);
    JoinWriter writer(fields, out.data() + start, Join::QuotingBlanks);
    writer.Fields(fields.data(), fields.data() + fields.size());
    out.resize(static_cast<std::size_t>(writer.out() - out.data()));
}

} // namespace plok::claims::detail
