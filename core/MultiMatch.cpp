#include "core/MultiMatch.h"

#include "core/Errors.h"

#include <deque>

namespace plok {

void MultiMatcher::Add(std::string_view pattern, std::uint32_t id)
{
    if (!pattern.empty())
        m_patterns.emplace_back(std::string(pattern), id);
}

void MultiMatcher::Build()
{
    m_patternCount = m_patterns.size();
    m_delta.clear();
    m_firstOutput.clear();
    m_outputs.clear();
    if (m_patterns.empty())
        return;

    // Bytes that occur in no pattern all behave alike: they share class 0.
    m_class.fill(0);
    m_classCount = 1;
    for (const auto& [pattern, id] : m_patterns)
        for (unsigned char b : pattern)
            if (m_class[b] == 0)
                m_class[b] = static_cast<std::uint8_t>(m_classCount++);
    const std::uint32_t classes = m_classCount;

    m_pairs.fill(0);
    m_pairFilter = true;
    for (const auto& [pattern, id] : m_patterns) {
        if (pattern.size() < 2) {
            m_pairFilter = false;
            continue;
        }
        const unsigned pair
            = unsigned(static_cast<unsigned char>(pattern[0])) << 8 | static_cast<unsigned char>(pattern[1]);
        m_pairs[pair >> 6] |= std::uint64_t(1) << (pair & 63);
    }

    // The trie, with kNone for a missing edge.
    std::vector<std::uint32_t> trie(classes, kNone);
    m_firstOutput.assign(1, kNone);
    for (const auto& [pattern, id] : m_patterns) {
        std::uint32_t state = 0;
        for (unsigned char b : pattern) {
            std::uint32_t& edge = trie[state * classes + m_class[b]];
            if (edge == kNone) {
                edge = static_cast<std::uint32_t>(m_firstOutput.size());
                m_firstOutput.push_back(kNone);
                trie.resize(trie.size() + classes, kNone);
            }
            state = trie[state * classes + m_class[b]];
        }
        m_outputs.push_back({id, m_firstOutput[state]});
        m_firstOutput[state] = static_cast<std::uint32_t>(m_outputs.size() - 1);
    }
    m_patterns.clear();
    m_patterns.shrink_to_fit();

    // Breadth first: every missing edge takes the edge of the state's longest proper suffix, and each state's outputs
    // go on with those of that suffix, so that a scan needs one table step per byte.
    const std::size_t states = m_firstOutput.size();
    // Rows are kept as 31-bit offsets: far more than any month's identifiers need.
    if (states * classes >= (std::size_t(1) << 31))
        throw Error("照合する値が多すぎます。");
    std::vector<std::uint32_t> fail(states, 0);
    m_delta.assign(states * classes, 0);
    std::deque<std::uint32_t> queue;
    for (std::uint32_t c = 0; c < classes; ++c) {
        const std::uint32_t child = trie[c];
        if (child == kNone) {
            m_delta[c] = 0;
        } else {
            fail[child] = 0;
            m_delta[c] = child;
            queue.push_back(child);
        }
    }
    while (!queue.empty()) {
        const std::uint32_t state = queue.front();
        queue.pop_front();
        // Outputs of the suffix state follow this state's own, by appending the suffix's chain at the end.
        if (m_firstOutput[state] == kNone) {
            m_firstOutput[state] = m_firstOutput[fail[state]];
        } else {
            std::uint32_t last = m_firstOutput[state];
            while (m_outputs[last].next != kNone && m_outputs[last].next != m_firstOutput[fail[state]])
                last = m_outputs[last].next;
            if (m_outputs[last].next == kNone)
                m_outputs[last].next = m_firstOutput[fail[state]];
        }
        for (std::uint32_t c = 0; c < classes; ++c) {
            const std::uint32_t child = trie[state * classes + c];
            const std::uint32_t viaFail = m_delta[fail[state] * classes + c];
            if (child == kNone) {
                m_delta[state * classes + c] = viaFail;
            } else {
                fail[child] = viaFail;
                m_delta[state * classes + c] = child;
                queue.push_back(child);
            }
        }
    }
    // Rows instead of states, and a mark on the transitions into states that end a pattern.
    for (std::uint32_t& next : m_delta)
        next = (next * classes) << 1 | (m_firstOutput[next] != kNone ? 1u : 0u);
}

} // namespace plok
