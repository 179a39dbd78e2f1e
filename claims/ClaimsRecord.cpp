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

} // namespace

std::size_t CountFields(std::string_view record)
{
    return 1 + static_cast<std::size_t>(std::count(record.begin(), record.end(), ','));
}

void AppendEdited(std::string& out, const FieldCuts& cuts, std::span<const FieldEdit> edits)
{
    const std::string_view record = cuts.record();
    std::size_t room = record.size();
    for (const FieldEdit& e : edits)
        room += e.value.size();
    const std::size_t start = out.size();
    out.resize(start + room);
    char* at = out.data() + start;
    const char* done = record.data();
    for (const FieldEdit& e : edits) {
        if (!cuts.Has(e.index))
            continue;
        at = Copy(at, done, record.data() + cuts.Begin(e.index));
        at = Copy(at, e.value.data(), e.value.data() + e.value.size());
        done = record.data() + cuts.End(e.index);
    }
    at = Copy(at, done, record.data() + record.size());
    out.resize(static_cast<std::size_t>(at - out.data()));
}

} // namespace plok::claims::detail
