#include "core/CaseMap.h"

#include "core/tables/CaseTable.inc"

#include <algorithm>
#include <array>
#include <bitset>
#include <cstdint>
#include <iterator>
#include <memory>

namespace plok::casemap {

namespace {

using detail::CaseRange;

template<std::size_t N>
char32_t Map(const CaseRange (&ranges)[N], char32_t c)
{
    // The range that starts last at or before `c`; ranges never overlap.
    const auto* it = std::upper_bound(
        std::begin(ranges), std::end(ranges), c, [](char32_t value, const CaseRange& r) { return value < r.first; });
    if (it == std::begin(ranges))
        return c;
    --it;
    if (c > it->last || (c - it->first) % it->stride != 0)
        return c;
    return static_cast<char32_t>(static_cast<std::int32_t>(c) + it->delta);
}

void AppendCodePoint(char32_t c, std::u16string& out)
{
    if (c < 0x10000) {
        out += static_cast<char16_t>(c);
    } else {
        out += static_cast<char16_t>(0xD7C0 + (c >> 10));
        out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    }
}

const detail::FullFold* FindFullFold(char32_t c)
{
    const auto* it = std::lower_bound(std::begin(detail::kFoldFull), std::end(detail::kFoldFull), c,
        [](const detail::FullFold& f, char32_t value) { return f.c < value; });
    return it != std::end(detail::kFoldFull) && it->c == c ? it : nullptr;
}

/// The folding of the basic plane unpacked once into a flat table, so that folding a character costs one lookup as it
/// does in ICU's trie rather than two binary searches.
struct BmpFold
{
    std::array<char16_t, 0x10000> simple {};
    std::bitset<0x10000> full;
};

const BmpFold& GetBmpFold()
{
    static const std::unique_ptr<BmpFold> table = [] {
        auto t = std::make_unique<BmpFold>();
        for (char32_t c = 0; c < 0x10000; ++c) {
            t->simple[c] = static_cast<char16_t>(Map(detail::kFold, c));
            t->full[c] = FindFullFold(c) != nullptr;
        }
        return t;
    }();
    return *table;
}

} // namespace

char32_t ToUpper(char32_t c)
{
    return Map(detail::kUpper, c);
}

char32_t ToLower(char32_t c)
{
    return Map(detail::kLower, c);
}

void AppendFolded(char32_t c, std::u16string& out)
{
    if (c < 0x10000) {
        const BmpFold& bmp = GetBmpFold();
        if (!bmp.full[c]) {
            out += bmp.simple[c];
            return;
        }
        for (const char16_t unit : FindFullFold(c)->to)
            if (unit != 0)
                out += unit;
        return;
    }
    AppendCodePoint(Map(detail::kFold, c), out);
}

} // namespace plok::casemap
