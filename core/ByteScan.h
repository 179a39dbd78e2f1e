#pragma once

#include <cstddef>
#include <string_view>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

/// Byte searches for the hot loops of the streaming runs. Lines are short, so a call per found byte (memchr)
/// costs more than the bytes themselves; these scan sixteen bytes at a time and report every hit of one pass.
namespace plok::detail {

/// The first CR or LF in [p, end), or end.
inline const char* FindLineBreak(const char* p, const char* end)
{
#ifdef __SSE2__
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    while (end - p >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const int mask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)));
        if (mask != 0)
            return p + __builtin_ctz(static_cast<unsigned>(mask));
        p += 16;
    }
#endif
    for (; p < end; ++p)
        if (*p == '\r' || *p == '\n')
            return p;
    return end;
}

/// Calls `onHit(offset)` for every occurrence of `c` in `s`, in order.
template<class OnHit>
void ForEachByte(std::string_view s, char c, OnHit onHit)
{
    const char* const begin = s.data();
    const char* p = begin;
    const char* const end = begin + s.size();
#ifdef __SSE2__
    const __m128i needle = _mm_set1_epi8(c);
    while (end - p >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, needle)));
        while (mask != 0) {
            onHit(static_cast<std::size_t>(p - begin) + static_cast<std::size_t>(__builtin_ctz(mask)));
            mask &= mask - 1;
        }
        p += 16;
    }
#endif
    for (; p < end; ++p)
        if (*p == c)
            onHit(static_cast<std::size_t>(p - begin));
}

/// The first byte in [p, end) that the comma-text join rule quotes a field for (0x01..0x20), or end. Such bytes never
/// occur inside a multi-byte character.
inline const char* FindQuotableByte(const char* p, const char* end)
{
#ifdef __SSE2__
    const __m128i one = _mm_set1_epi8(1);
    const __m128i last = _mm_set1_epi8(0x1F);
    while (end - p >= 16) {
        // b - 1 <= 0x1F (unsigned) picks exactly 0x01..0x20.
        const __m128i v = _mm_sub_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), one);
        const int mask = _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(v, last), v));
        if (mask != 0)
            return p + __builtin_ctz(static_cast<unsigned>(mask));
        p += 16;
    }
#endif
    for (; p < end; ++p)
        if (static_cast<unsigned char>(*p) - 1u < 0x20u)
            return p;
    return end;
}

/// The `n`-th (n >= 1) occurrence of `c` in [p, end), or end.
inline const char* FindNthByte(const char* p, const char* end, char c, std::size_t n)
{
#ifdef __SSE2__
    const __m128i needle = _mm_set1_epi8(c);
    while (end - p >= 16) {
        auto mask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), needle)));
        const auto count = static_cast<std::size_t>(__builtin_popcount(mask));
        if (count >= n) {
            while (--n > 0)
                mask &= mask - 1;
            return p + __builtin_ctz(mask);
        }
        n -= count;
        p += 16;
    }
#endif
    for (; p < end; ++p)
        if (*p == c && --n == 0)
            return p;
    return end;
}

} // namespace plok::detail
