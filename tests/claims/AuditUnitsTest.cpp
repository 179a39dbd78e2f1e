#include "claims/AuditFold.h"
#include "claims/AuditMatcher.h"
#include "core/Text.h"

#include <algorithm>
#include <random>
#include <tuple>

#include <gtest/gtest.h>

using plok::claims::AuditKind;
using plok::claims::audit::FoldTable;
using plok::claims::audit::PatternSet;
using plok::claims::audit::Rule;
using plok::claims::audit::Symbol;

namespace {

std::vector<Symbol> Folded(std::u16string_view text)
{
    return FoldTable::Get().Symbols(text);
}

TEST(AuditFold, SpellingsAReaderTakesForOneNameFoldAlike)
{
    const std::vector<std::pair<std::u16string_view, std::u16string_view>> alike = {
        {u"ｻｲﾄｳ", u"さいとう"},
        {u"三ヶ島", u"三ケ島"},
        {u"佐々木", u"佐佐木"},
        {u"キッカワ", u"キツカワ"},
        {u"しょうた", u"シヨータ"},
        {u"タロウ", u"タロー"},
        {u"オオノ", u"オーノ"},
        {u"ｽﾐｽ", u"スミス"},
        {u"Smith", u"ＳＭＩＴＨ"},
        {u"03-1234-5678", u"03ー1234ー5678"},
        {u"03.1234.5678", u"0312345678"},
        {u"03／1234／5678", u"03～1234～5678"},
        {u"林　健", u"林・健"},
    };
    for (const auto& [a, b] : alike)
        EXPECT_EQ(Folded(a), Folded(b)) << plok::ToUtf8(a) << " " << plok::ToUtf8(b);

    // A long vowel is read only after o and u; a separator only after a digit; 々 only after a character.
    const std::vector<std::pair<std::u16string_view, std::u16string_view>> apart = {
        {u"サアヤ", u"サーヤ"},
        {u"ナカムラアイ", u"ナカムラーイ"},
        {u"S.T", u"ST"},
        {u"々", u"佐"},
        {u"アイ", u"アエ"},
    };
    for (const auto& [a, b] : apart)
        EXPECT_NE(Folded(a), Folded(b)) << plok::ToUtf8(a) << " " << plok::ToUtf8(b);
}

TEST(AuditFold, PartsFoldedApartReadAsWrittenTogether)
{
    std::vector<Symbol> parts = Folded(u"ヤマモト");
    const std::vector<Symbol> given = Folded(u"オサム");
    parts.insert(parts.end(), given.begin(), given.end());
    EXPECT_NE(parts, Folded(u"ヤマモトオサム"));
    EXPECT_EQ(FoldTable::Get().Joined(parts), Folded(u"ヤマモトオサム"));
}

using Match = std::tuple<std::size_t, AuditKind, std::size_t>; // end, kind, length

/// Every occurrence of every text, by brute force; each text has the kind of its index.
std::vector<Match> Naive(const std::vector<std::vector<Symbol>>& texts, const std::vector<Symbol>& text)
{
    std::vector<Match> matches;
    for (std::size_t end = 1; end <= text.size(); ++end)
        for (std::size_t k = 0; k < texts.size(); ++k)
            if (texts[k].size() <= end
                && std::equal(texts[k].begin(), texts[k].end(),
                    text.begin() + static_cast<std::ptrdiff_t>(end - texts[k].size())))
                matches.emplace_back(end, static_cast<AuditKind>(k % plok::claims::kAuditKinds), texts[k].size());
    std::sort(matches.begin(), matches.end());
    matches.erase(std::unique(matches.begin(), matches.end()), matches.end());
    return matches;
}

std::vector<Match> Scan(const std::vector<std::vector<Symbol>>& texts, const std::vector<Symbol>& text)
{
    PatternSet set;
    for (std::size_t k = 0; k < texts.size(); ++k)
        set.Add(texts[k], {static_cast<AuditKind>(k % plok::claims::kAuditKinds), Rule::Anywhere});
    set.Build();
    std::vector<Match> matches;
    set.Scan(text, [&](std::size_t end, const plok::claims::audit::PatternOutput& o, std::size_t length) {
        matches.emplace_back(end, o.kind, length);
    });
    std::sort(matches.begin(), matches.end());
    return matches;
}

TEST(AuditMatcher, AgreesWithABruteForceSearch)
{
    std::mt19937 rng(7);
    // A small alphabet, kanji and ASCII, makes overlaps and shared prefixes and suffixes common.
    const std::array<Symbol, 4> alphabet = {'a', 'b', 0x88A0, 0x9F40};
    const auto random = [&](std::size_t length) {
        std::vector<Symbol> s;
        for (std::size_t i = 0; i < length; ++i)
            s.push_back(alphabet[rng() % alphabet.size()]);
        return s;
    };
    // Few texts are put in at once; many go through the thread that builds the trie while the original is read.
    for (const std::size_t most : {std::size_t(12), std::size_t(6000)}) {
        for (int round = 0; round < (most > 100 ? 3 : 200); ++round) {
            std::vector<std::vector<Symbol>> texts;
            for (std::size_t i = most > 100 ? 4500 + rng() % 1500 : rng() % most; i > 0; --i)
                texts.push_back(random(2 + rng() % (most > 100 ? 9 : 4)));
            const std::vector<Symbol> text = random(rng() % 300);
            ASSERT_EQ(Scan(texts, text), Naive(texts, text)) << most << " " << round;
        }
    }
}

} // namespace
