#pragma once

#include "claims/AuditFold.h"
#include "claims/ClaimsLayout.h"
#include "core/Errors.h"

#include <algorithm>
#include <array>
#include <bit>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <optional>
#include <span>
#include <system_error>
#include <thread>
#include <tuple>
#include <vector>

/// The audit's matching: every value of the originals found in one pass over a field of the copy.
namespace plok::claims::audit {

// ---------------------------------------------------------------------------------------------------------------------
// Many texts found in one pass: Aho–Corasick over symbols, with its transitions stored sparsely (the root's as a
// table, every other state's as a sorted run of children), so that its size follows the texts, not the alphabet.

/// Where a text counts.
enum class Rule : std::uint8_t
{
    Anywhere,
    KanaWord, // not next to another katakana letter or a kanji, unless a blank stands between or an honorific follows
    Digits, // not next to another digit
    NamePart, // anywhere but as the start of an eponymous disease word (橋本病)
};

struct PatternOutput
{
    AuditKind kind;
    Rule rule;
};

class PatternSet
{
public:
    PatternSet()
        : m_root(65536, 0)
    {
        m_depth.push_back(0);
        m_firstOutput.push_back(kNone);
    }
    ~PatternSet() { StopWorker(); }
    PatternSet(const PatternSet&) = delete;
    PatternSet& operator=(const PatternSet&) = delete;

    /// Adds a text of at least two symbols; a text added again with the same kind counts once, under the widest rule.
    void Add(std::span<const Symbol> text, PatternOutput output)
    {
        const std::size_t pair = Pair(text[0], text[1]);
        m_pairs[pair / 64] |= std::uint64_t(1) << (pair % 64);
        if (std::all_of(text.begin(), text.end(), [](Symbol s) { return s < 0x80; }))
            m_minAsciiLength = std::min(m_minAsciiLength, text.size());
        m_fill.items.push_back({m_fill.symbols.size(), text.size(), output});
        m_fill.symbols.insert(m_fill.symbols.end(), text.begin(), text.end());
        if (m_fill.items.size() == kHandOver)
            HandOver();
    }

    /// Lays the trie out for searching and adds the links to the longest proper suffixes. Call once, after the last
    /// Add. Throws what adding a text threw.
    void Build()
    {
        // A few texts are put in here rather than on a thread of their own.
        HandOver(!m_worker.joinable());
        StopWorker();
        if (m_error)
            std::rethrow_exception(m_error);
        const std::size_t nodes = m_depth.size();
        // Every node's children as one sorted run.
        m_childBegin.assign(nodes + 1, 0);
        for (const std::uint64_t slot : m_slots)
            if (slot != 0)
                ++m_childBegin[(slot >> kNodeShift) + 1];
        for (std::size_t i = 0; i < nodes; ++i)
            m_childBegin[i + 1] += m_childBegin[i];
        m_childSymbol.resize(m_childBegin[nodes]);
        m_childNode.resize(m_childBegin[nodes]);
        {
            std::vector<std::uint32_t> fill(m_childBegin.begin(), m_childBegin.end() - 1);
            for (const std::uint64_t slot : m_slots) {
                if (slot == 0)
                    continue;
                const std::uint32_t at = fill[slot >> kNodeShift]++;
                m_childSymbol[at] = static_cast<Symbol>(slot >> kChildBits);
                m_childNode[at] = static_cast<std::uint32_t>(slot & kChildMask);
            }
        }
        std::vector<std::uint64_t>().swap(m_slots);
        std::vector<std::pair<Symbol, std::uint32_t>> run;
        for (std::size_t v = 1; v < nodes; ++v) {
            const std::uint32_t b = m_childBegin[v];
            const std::uint32_t e = m_childBegin[v + 1];
            if (e - b < 2)
                continue;
            run.clear();
            for (std::uint32_t i = b; i < e; ++i)
                run.emplace_back(m_childSymbol[i], m_childNode[i]);
            std::sort(run.begin(), run.end());
            for (std::uint32_t i = b; i < e; ++i)
                std::tie(m_childSymbol[i], m_childNode[i]) = run[i - b];
        }

        // Breadth first, so that a node's suffix is linked before the node.
        m_fail.assign(nodes, 0);
        m_dictionary.assign(nodes, 0);
        m_report.assign(nodes, 0);
        std::vector<std::uint32_t> queue;
        queue.reserve(nodes);
        for (std::uint32_t s = 0; s < 65536; ++s) {
            if (m_root[s] != 0) {
                queue.push_back(m_root[s]);
                m_report[m_root[s]] = m_firstOutput[m_root[s]] != kNone ? m_root[s] : 0;
            }
        }
        for (std::size_t q = 0; q < queue.size(); ++q) {
            const std::uint32_t v = queue[q];
            for (std::uint32_t i = m_childBegin[v]; i < m_childBegin[v + 1]; ++i) {
                const std::uint32_t child = m_childNode[i];
                const std::uint32_t suffix = Step(m_fail[v], m_childSymbol[i]);
                m_fail[child] = suffix;
                m_dictionary[child] = m_firstOutput[suffix] != kNone ? suffix : m_dictionary[suffix];
                m_report[child] = m_firstOutput[child] != kNone ? child : m_dictionary[child];
                queue.push_back(child);
            }
        }
    }

    bool empty() const { return m_outputs.empty(); }
    /// The fewest symbols of a text made of ASCII only, which a line without other bytes can hold; SIZE_MAX for none.
    std::size_t minAsciiLength() const { return m_minAsciiLength; }

    /// Calls `onMatch(end, output, length)` for every occurrence of every text in `text`, where `end` is the index
    /// just past it, in order of `end`.
    template<class OnMatch>
    void Scan(std::span<const Symbol> text, OnMatch onMatch) const
    {
        std::uint32_t state = 0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            // Where no text can begin, the search stays at the root without a look at the trie.
            if (state == 0 && (i + 1 == text.size() || !MayStart(text[i], text[i + 1])))
                continue;
            state = Step(state, text[i]);
            for (std::uint32_t n = m_report[state]; n != 0; n = m_dictionary[n])
                for (std::uint32_t o = m_firstOutput[n]; o != kNone; o = m_outputs[o].next)
                    onMatch(i + 1, m_outputs[o].output, std::size_t(m_depth[n]));
        }
    }

private:
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;
    static constexpr unsigned kPairBits = 20;
    static constexpr std::size_t kBatch = 32;

    struct Pending
    {
        std::size_t offset; // in the batch's symbols
        std::size_t length;
        PatternOutput output;
    };
    struct Batch
    {
        std::vector<Symbol> symbols;
        std::vector<Pending> items;
    };
    /// Texts handed to the worker at a time.
    static constexpr std::size_t kHandOver = 4096;

    /// Hands the texts added so far to the thread that puts them into the trie, so that reading the original goes on
    /// meanwhile; without such a thread, or `here`, puts them in here.
    void HandOver(bool here = false)
    {
        if (m_fill.items.empty())
            return;
        if (here)
            m_noWorker = true;
        if (!m_worker.joinable() && !m_noWorker) {
            try {
                m_worker = std::thread([this] { Work(); });
            } catch (const std::system_error&) {
                m_noWorker = true;
            }
        }
        if (m_noWorker) {
            Insert(m_fill);
        } else {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [&] { return !m_queued; });
            m_queued = std::move(m_fill);
            m_changed.notify_all();
        }
        m_fill = Batch();
    }

    void Work()
    {
        for (;;) {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [&] { return m_queued || m_stop; });
            if (!m_queued)
                return;
            Batch batch = std::move(*m_queued);
            m_queued.reset();
            m_changed.notify_all();
            lock.unlock();
            if (m_error)
                continue;
            try {
                Insert(batch);
            } catch (...) {
                m_error = std::current_exception();
            }
        }
    }

    void StopWorker()
    {
        if (!m_worker.joinable())
            return;
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_changed.notify_all();
        m_worker.join();
    }

    /// Adds the texts of `batch` kBatch at a time, a step of each at a time: the trie's nodes lie far apart in memory,
    /// and fetching the next step of every text before taking any lets those fetches overlap.
    void Insert(const Batch& batch)
    {
        for (std::size_t first = 0; first < batch.items.size(); first += kBatch) {
            const std::span<const Pending> items(
                batch.items.data() + first, std::min(kBatch, batch.items.size() - first));
            std::array<std::uint32_t, kBatch> node {};
            for (std::size_t step = 0;; ++step) {
                bool more = false;
                for (std::size_t i = 0; i < items.size(); ++i)
                    if (step < items[i].length && node[i] != 0 && !m_slots.empty())
                        __builtin_prefetch(&m_slots[Slot(Key(node[i], batch.symbols[items[i].offset + step]))]);
                for (std::size_t i = 0; i < items.size(); ++i) {
                    if (step >= items[i].length)
                        continue;
                    node[i] = ChildOrNew(node[i], batch.symbols[items[i].offset + step]);
                    more = true;
                }
                if (!more)
                    break;
            }
            for (std::size_t i = 0; i < items.size(); ++i)
                __builtin_prefetch(&m_firstOutput[node[i]]);
            for (std::size_t i = 0; i < items.size(); ++i)
                AddOutput(node[i], items[i].output);
        }
    }

    void AddOutput(std::uint32_t node, PatternOutput output)
    {
        for (std::uint32_t o = m_firstOutput[node]; o != kNone; o = m_outputs[o].next) {
            if (m_outputs[o].output.kind != output.kind)
                continue;
            if (output.rule == Rule::Anywhere)
                m_outputs[o].output.rule = Rule::Anywhere;
            return;
        }
        m_outputs.push_back({output, m_firstOutput[node]});
        m_firstOutput[node] = static_cast<std::uint32_t>(m_outputs.size() - 1);
    }

    static std::uint64_t Key(std::uint32_t node, Symbol s) { return std::uint64_t(node) << 16 | s; }

    bool MayStart(Symbol a, Symbol b) const
    {
        const std::size_t pair = Pair(a, b);
        return (m_pairs[pair / 64] >> (pair % 64)) & 1u;
    }

    /// The first two symbols of a text, hashed into the filter.
    static std::size_t Pair(Symbol a, Symbol b)
    {
        return static_cast<std::size_t>(((std::uint32_t(a) << 16 | b) * 0x9E3779B1u) >> (32 - kPairBits));
    }

    std::uint32_t ChildOrNew(std::uint32_t node, Symbol s)
    {
        if (node == 0) {
            if (m_root[s] == 0)
                m_root[s] = NewNode(0);
            return m_root[s];
        }
        if (4 * (m_used + 1) > 3 * m_slots.size())
            Grow();
        const std::uint64_t key = Key(node, s);
        for (std::size_t i = Slot(key);; i = (i + 1) & (m_slots.size() - 1)) {
            std::uint64_t& slot = m_slots[i];
            if (slot >> kChildBits == key)
                return static_cast<std::uint32_t>(slot & kChildMask);
            if (slot == 0) {
                const std::uint32_t child = NewNode(node);
                slot = key << kChildBits | child;
                ++m_used;
                return child;
            }
        }
    }

    std::uint32_t NewNode(std::uint32_t parent)
    {
        if (m_depth.size() > kChildMask)
            throw Error("元のファイルの値が多すぎて照合できません。");
        m_depth.push_back(m_depth[parent] + 1);
        m_firstOutput.push_back(kNone);
        return static_cast<std::uint32_t>(m_depth.size() - 1);
    }

    std::size_t Slot(std::uint64_t key) const
    {
        return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ULL) >> m_shift);
    }

    void Grow()
    {
        std::vector<std::uint64_t> slots(m_slots.empty() ? std::size_t(1) << 14 : 2 * m_slots.size(), 0);
        m_shift = 64 - static_cast<unsigned>(std::countr_zero(slots.size()));
        for (const std::uint64_t slot : m_slots) {
            if (slot == 0)
                continue;
            std::size_t j = Slot(slot >> kChildBits);
            while (slots[j] != 0)
                j = (j + 1) & (slots.size() - 1);
            slots[j] = slot;
        }
        m_slots.swap(slots);
    }

    std::uint32_t Child(std::uint32_t node, Symbol s) const
    {
        const Symbol* begin = m_childSymbol.data() + m_childBegin[node];
        const Symbol* end = m_childSymbol.data() + m_childBegin[node + 1];
        const Symbol* at = end - begin <= 8 ? std::find(begin, end, s) : std::lower_bound(begin, end, s);
        return at != end && *at == s ? m_childNode[static_cast<std::size_t>(at - m_childSymbol.data())] : 0;
    }

    /// The state after `s` from `state`.
    std::uint32_t Step(std::uint32_t state, Symbol s) const
    {
        while (state != 0) {
            if (const std::uint32_t child = Child(state, s))
                return child;
            state = m_fail[state];
        }
        return m_root[s];
    }

    struct OutputEntry
    {
        PatternOutput output;
        std::uint32_t next;
    };

    std::vector<std::uint32_t> m_root; // the root's child for each symbol; 0 for none
    std::vector<std::uint32_t> m_depth; // per node: symbols from the root
    std::vector<std::uint32_t> m_firstOutput; // per node: its first output, kNone for none
    std::vector<OutputEntry> m_outputs;
    // While adding: the edges from the nodes but the root, open addressing, each parent << 40 | symbol << 24 | child
    // in one word (0: empty, as no edge here leaves the root), so that the table stays small.
    static constexpr unsigned kChildBits = 24;
    static constexpr unsigned kNodeShift = kChildBits + 16;
    static constexpr std::uint64_t kChildMask = (std::uint64_t(1) << kChildBits) - 1;
    std::vector<std::uint64_t> m_slots;
    // The texts added but not yet in the trie, and the thread that puts them in while the original is read.
    Batch m_fill;
    std::optional<Batch> m_queued;
    std::thread m_worker;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_stop = false;
    bool m_noWorker = false;
    std::exception_ptr m_error;
    std::size_t m_used = 0;
    unsigned m_shift = 64;
    // Once built: each node's children, sorted by symbol, and the links to the longest proper suffix and to the
    // longest one that ends a text.
    std::vector<std::uint32_t> m_childBegin;
    std::vector<Symbol> m_childSymbol;
    std::vector<std::uint32_t> m_childNode;
    std::vector<std::uint32_t> m_fail;
    std::vector<std::uint32_t> m_dictionary;
    std::vector<std::uint32_t> m_report; // the node itself when it ends a text, else its dictionary link
    // The first two symbols of the texts, hashed, one bit each (on the heap: the set lives on the caller's stack).
    std::vector<std::uint64_t> m_pairs = std::vector<std::uint64_t>((std::size_t(1) << kPairBits) / 64, 0);
    std::size_t m_minAsciiLength = SIZE_MAX;
};

} // namespace plok::claims::audit
