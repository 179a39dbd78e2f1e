#pragma once

#include <cstddef>
#include <cstdint>
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

/// Bit i set when p[i] is CR or LF, for the 64 bytes at p (all of which must be readable).
inline std::uint64_t LineBreakMask64(const char* p)
{
#ifdef __SSE2__
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    std::uint64_t mask = 0;
    for (int i = 0; i < 4; ++i) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
        const auto bits
            = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf))));
        mask |= std::uint64_t(bits) << (16 * i);
    }
    return mask;
#else
    std::uint64_t mask = 0;
    for (int i = 0; i < 64; ++i)
        if (p[i] == '\r' || p[i] == '\n')
            mask |= std::uint64_t(1) << i;
    return mask;
#endif
}

/// Bit i set when p[i] is `c`, for the 64 bytes at p (all of which must be readable).
inline std::uint64_t ByteMask64(const char* p, char c)
{
#ifdef __SSE2__
    const __m128i needle = _mm_set1_epi8(c);
    std::uint64_t mask = 0;
    for (int i = 0; i < 4; ++i) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
        mask |= std::uint64_t(static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, needle)))) << (16 * i);
    }
    return mask;
#else
    std::uint64_t mask = 0;
    for (int i = 0; i < 64; ++i)
        if (p[i] == c)
            mask |= std::uint64_t(1) << i;
    return mask;
#endif
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

/// Stores the offsets of the first occurrences of `c` in `s`, at most `max`, into `offsets` in order; returns how many
/// it found, at most `max`. `offsets` must have room for `max` + 15 entries: the scan stops after the sixteen bytes
/// that hold the max-th occurrence and stores all of theirs.
inline std::size_t FindFirstBytes(std::string_view s, char c, std::size_t* offsets, std::size_t max)
{
    const char* const begin = s.data();
    const char* p = begin;
    const char* const end = begin + s.size();
    std::size_t found = 0;
    const auto take = [&](const char* at, unsigned mask) {
        const auto base = static_cast<std::size_t>(at - begin);
        for (; mask != 0; mask &= mask - 1)
            offsets[found++] = base + static_cast<std::size_t>(__builtin_ctz(mask));
    };
#ifdef __SSE2__
    const __m128i needle = _mm_set1_epi8(c);
    const auto maskAt = [&](const char* at) {
        return static_cast<unsigned>(
            _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)), needle)));
    };
    for (; end - p >= 16 && found < max; p += 16)
        take(p, maskAt(p));
    if (p != end && found < max && s.size() >= 16) {
        // The last sixteen bytes, without those already seen.
        take(p, maskAt(end - 16) >> (16 - (end - p)));
        p = end;
    }
#endif
    for (; p < end && found < max; ++p)
        if (*p == c)
            offsets[found++] = static_cast<std::size_t>(p - begin);
    return found < max ? found : max;
}

/// The first byte in [p, end) that the comma-text join rule quotes a field for (0x01..0x20), or end. Such bytes never
/// occur inside a multi-byte character. The bytes from `readable` (at most p) on may be read too, so that the last
/// few bytes can be looked at sixteen at a time.
inline const char* FindQuotableByte(const char* p, const char* end, const char* readable)
{
#ifdef __SSE2__
    const __m128i one = _mm_set1_epi8(1);
    const __m128i last = _mm_set1_epi8(0x1F);
    // b - 1 <= 0x1F (unsigned) picks exactly 0x01..0x20.
    const auto maskAt = [&](const char* at) {
        const __m128i v = _mm_sub_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)), one);
        return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(v, last), v)));
    };
    for (; end - p >= 16; p += 16)
        if (const unsigned mask = maskAt(p); mask != 0)
            return p + __builtin_ctz(mask);
    if (p != end && end - readable >= 16) {
        const unsigned mask = maskAt(end - 16) >> (16 - (end - p));
        return mask != 0 ? p + __builtin_ctz(mask) : end;
    }
#else
    (void)readable;
#endif
    for (; p < end; ++p)
        if (static_cast<unsigned char>(*p) - 1u < 0x20u)
            return p;
    return end;
}

} // namespace plok::detail
