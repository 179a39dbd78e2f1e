#include "core/MultiMatch.h"

#include <algorithm>
#include <random>
#include <set>

#include <gtest/gtest.h>

namespace {

using Match = std::pair<std::size_t, std::uint32_t>; // end, id

std::vector<Match> Naive(const std::vector<std::string>& patterns, std::string_view text)
{
    std::vector<Match> matches;
    for (std::size_t end = 1; end <= text.size(); ++end)
        for (std::uint32_t id = 0; id < patterns.size(); ++id)
            if (patterns[id].size() <= end
                && text.substr(end - patterns[id].size(), patterns[id].size()) == patterns[id])
                matches.emplace_back(end, id);
    return matches;
}

std::vector<Match> Scan(const std::vector<std::string>& patterns, std::string_view text)
{
    plok::MultiMatcher m;
    for (std::uint32_t id = 0; id < patterns.size(); ++id)
        m.Add(patterns[id], id);
    m.Build();
    std::vector<Match> matches;
    m.Scan(text, [&](std::size_t end, std::uint32_t id) { matches.emplace_back(end, id); });
    std::sort(matches.begin(), matches.end());
    return matches;
}

TEST(MultiMatcher, FindsOverlappingNestedAndRepeatedPatterns)
{
    const std::vector<std::string> patterns = {"he", "she", "his", "hers", "e", "she", "\x82\xa0\x82", "\xff"};
    for (const std::string text : {"ushers", "hishershe", "", "xyz", "\x82\xa0\x82\xa0\x82\xff", "eeee"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(Scan(patterns, text), Naive(patterns, text));
    }
    EXPECT_TRUE(Scan({}, "anything").empty());
}

TEST(MultiMatcher, AgreesWithANaiveSearchOnRandomInput)
{
    std::mt19937 rng(7);
    // A small alphabet makes overlaps and shared prefixes and suffixes common.
    auto randomText = [&](std::size_t length) {
        std::string s;
        for (std::size_t i = 0; i < length; ++i)
            s += "ab\x82\xa0,"[rng() % 5];
        return s;
    };
    for (int round = 0; round < 200; ++round) {
        std::vector<std::string> patterns;
        for (std::size_t i = rng() % 12; i > 0; --i)
            patterns.push_back(randomText(1 + rng() % 5));
        const std::string text = randomText(rng() % 80);
        ASSERT_EQ(Scan(patterns, text), Naive(patterns, text)) << round;
    }
}

} // namespace
