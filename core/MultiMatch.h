#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace plok {

/// Finds every occurrence of many byte patterns in one pass over a text (Aho–Corasick, as a dense automaton over the
/// byte classes the patterns use), so that the cost of a search grows with the text, not with texts × patterns.
class MultiMatcher
{
public:
    /// Adds a non-empty pattern; `id` is reported with each of its matches. Patterns added after Build are ignored
    /// until the next Build.
    void Add(std::string_view pattern, std::uint32_t id);
    /// Builds the automaton; call once after the last Add. Throws plok::Error when the patterns would need more than
    /// 2^31 table entries.
    void Build();
    bool empty() const { return m_patternCount == 0; }

    /// Calls `onMatch(std::size_t end, std::uint32_t id)` for every occurrence of every pattern in `text`, where
    /// `end` is the offset just past the occurrence, in order of `end`.
    template<class OnMatch>
    void Scan(std::string_view text, OnMatch onMatch) const
    {
        if (m_delta.empty())
            return;
        // The row of the current state, as an offset into m_delta: one load per byte, no multiplication.
        std::uint32_t row = 0;
        const auto* p = reinterpret_cast<const unsigned char*>(text.data());
        const std::size_t n = text.size();
        const std::uint32_t* const delta = m_delta.data();
        for (std::size_t i = 0; i < n; ++i) {
            if (row == 0 && m_pairFilter) {
                // No match is under way: skip, with loads that do not wait for one another, every position where no
                // pattern begins, which is most of them.
                while (i + 1 < n && !StartsPattern(p[i], p[i + 1]))
                    ++i;
                if (i + 1 >= n)
                    return;
            }
            const std::uint32_t next = delta[row + m_class[p[i]]];
            row = next >> 1;
            if (next & 1u) [[unlikely]]
                for (std::uint32_t o = m_firstOutput[row / m_classCount]; o != kNone; o = m_outputs[o].next)
                    onMatch(i + 1, m_outputs[o].id);
        }
    }

private:
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

    bool StartsPattern(unsigned char a, unsigned char b) const
    {
        const unsigned pair = unsigned(a) << 8 | b;
        return (m_pairs[pair >> 6] >> (pair & 63)) & 1u;
    }
    struct Output
    {
        std::uint32_t id;
        std::uint32_t next;
    };

    std::vector<std::pair<std::string, std::uint32_t>> m_patterns;
    std::size_t m_patternCount = 0;
    std::array<std::uint8_t, 256> m_class {};
    std::uint32_t m_classCount = 1;
    // The next state's row (state * m_classCount) << 1 | (that state ends a pattern), for state * m_classCount + class.
    std::vector<std::uint32_t> m_delta;
    std::vector<std::uint32_t> m_firstOutput;
    std::vector<Output> m_outputs;
    // The first two bytes of every pattern, one bit per pair; unused while a pattern of one byte exists.
    std::array<std::uint64_t, 1024> m_pairs {};
    bool m_pairFilter = false;
};

} // namespace plok
