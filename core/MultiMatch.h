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
    /// Builds the automaton; call once after the last Add.
    void Build();
    bool empty() const { return m_patternCount == 0; }

    /// Calls `onMatch(std::size_t end, std::uint32_t id)` for every occurrence of every pattern in `text`, where
    /// `end` is the offset just past the occurrence, in order of `end`.
    template<class OnMatch>
    void Scan(std::string_view text, OnMatch onMatch) const
    {
        if (m_delta.empty())
            return;
        std::uint32_t state = 0;
        const auto* p = reinterpret_cast<const unsigned char*>(text.data());
        const std::size_t n = text.size();
        for (std::size_t i = 0; i < n; ++i) {
            const std::uint32_t next = m_delta[state * m_classCount + m_class[p[i]]];
            state = next >> 1;
            if (next & 1u)
                for (std::uint32_t o = m_firstOutput[state]; o != kNone; o = m_outputs[o].next)
                    onMatch(i + 1, m_outputs[o].id);
        }
    }

private:
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;
    struct Output
    {
        std::uint32_t id;
        std::uint32_t next;
    };

    std::vector<std::pair<std::string, std::uint32_t>> m_patterns;
    std::size_t m_patternCount = 0;
    std::array<std::uint8_t, 256> m_class {};
    std::uint32_t m_classCount = 1;
    // Next state << 1 | (that state ends a pattern), for state * m_classCount + class.
    std::vector<std::uint32_t> m_delta;
    std::vector<std::uint32_t> m_firstOutput;
    std::vector<Output> m_outputs;
};

} // namespace plok
