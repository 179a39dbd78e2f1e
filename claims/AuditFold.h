#pragma once

#include "core/Cp932.h"
#include "core/StrConv.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

/// The audit's folding: a text as a reader sees it, one symbol per character, the same for the spellings a reader
/// takes for one name.
namespace plok::claims::audit {

// ---------------------------------------------------------------------------------------------------------------------
// What a reader sees: every character of code page 932 as one symbol, the same for the forms a reader takes for the
// same character.

/// A character in its one comparable form, as its code page 932 code (below 0x100 a single byte); 0 for a character
/// that is left out.
using Symbol = std::uint16_t;

constexpr bool IsDigit(Symbol s)
{
    return s >= '0' && s <= '9';
}

/// The symbol of each code page 932 character, built once from the code page and StrConv: what narrows to ASCII is
/// ASCII, everything else is widened and kana become katakana; a character with two codes takes the one the
/// encoder writes. Blanks, double quotes (which the field splitter drops), hyphens and brackets are left out, so that
/// names compare with or without the blanks between their parts and numbers as their digits.
class FoldTable
{
public:
    static const FoldTable& Get()
    {
        static const std::unique_ptr<const FoldTable> table(new FoldTable());
        return *table;
    }

    /// Calls `out(symbol, gapBefore)` for each character of `bytes` that is not left out, in order; `gapBefore` is
    /// true when a character was left out just before it. A half-width letter followed by a half-width voiced or
    /// semi-voiced sound mark is one character, as its full-width form is.
    template<class Out>
    void Fold(std::string_view bytes, Out out) const
    {
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
        const std::size_t n = bytes.size();
        bool gap = false;
        Symbol previous = 0; // the last symbol given out
        for (std::size_t i = 0; i < n;) {
            const unsigned b = p[i];
            Symbol s;
            if (b < 0x80) {
                s = m_single[b];
                ++i;
            } else if (cp932::IsLeadByte(static_cast<unsigned char>(b)) && i + 1 < n && cp932::IsTrailByte(p[i + 1])) {
                s = m_pair[(b - 0x80) * 256 + p[i + 1]];
                i += 2;
            } else if (i + 1 < n && (p[i + 1] == 0xDE || p[i + 1] == 0xDF) && m_voiced[b][p[i + 1] - 0xDE] != 0) {
                s = m_voiced[b][p[i + 1] - 0xDE];
                i += 2;
            } else {
                s = m_single[b];
                ++i;
            }
            if (m_context[s] != 0)
                s = InContext(s, previous, gap);
            if (s == 0) {
                gap = true;
                continue;
            }
            out(s, gap);
            previous = s;
            gap = false;
        }
    }

    /// The symbols of `bytes`, left-out characters dropped.
    std::vector<Symbol> Symbols(std::string_view bytes) const
    {
        std::vector<Symbol> symbols;
        Fold(bytes, [&](Symbol s, bool) { symbols.push_back(s); });
        return symbols;
    }
    std::vector<Symbol> Symbols(std::u16string_view text) const { return Symbols(cp932::Encode(text)); }

    /// The symbol of an ASCII character.
    Symbol Fold1(char c) const { return m_single[static_cast<unsigned char>(c)]; }

    /// True for a katakana letter or the marks that only stand inside kana words (ー, ヽ, ヾ).
    bool IsKatakana(Symbol s) const { return m_katakana[s]; }
    /// `symbols` of parts folded apart, as they fold when written together (ヤマモト and オサム as ヤマモトーサム).
    std::vector<Symbol> Joined(std::span<const Symbol> symbols) const
    {
        std::vector<Symbol> joined;
        Symbol previous = 0;
        for (Symbol s : symbols) {
            if (m_context[s] != 0)
                s = InContext(s, previous, false);
            joined.push_back(s);
            previous = s;
        }
        return joined;
    }

    /// True for a kanji: the code page puts them from lead byte 0x88 on.
    static bool IsKanji(Symbol s) { return s >= 0x889F; }

private:
    enum Context : std::uint8_t
    {
        kRepeat = 1, // 々: the kanji before it again
        kSeparator = 2, // between digits, as a hyphen: ー ― 〜 . /
        kVowel = 4, // a vowel that lengthens the kana before it, or ー
    };
    enum Row : std::uint8_t
    {
        kRowA = 1,
        kRowI,
        kRowU,
        kRowE,
        kRowO,
    };

    /// The symbol `s` stands for after `previous`: 々 is the kanji before it written out, a separator between digits
    /// is left out, and a long vowel, written as a vowel or as ー, is ー.
    Symbol InContext(Symbol s, Symbol previous, bool gap) const
    {
        const std::uint8_t context = m_context[s];
        if ((context & kRepeat) && previous != 0 && !gap)
            return previous;
        if ((context & kSeparator) && IsDigit(previous))
            return 0;
        if ((context & kVowel) && previous != 0 && !gap && Lengthens(m_row[previous], s))
            return m_longVowel;
        return s;
    }

    bool Lengthens(std::uint8_t row, Symbol s) const
    {
        if (row == 0)
            return false;
        // タロー, ショータ, オーノ: the long o and u, which kana spell with ウ or オ, and ー for them.
        const std::uint8_t vowel = m_row[s];
        return (row == kRowO && (s == m_longVowel || vowel == kRowU || vowel == kRowO))
            || (row == kRowU && (s == m_longVowel || vowel == kRowU));
    }

    /// The context of the few symbols that read differently after another, and the vowel row of each kana.
    void MarkContext()
    {
        // The symbol the fold gives the character's code; 0 when the code page has none.
        const auto symbol = [&](char16_t c) -> Symbol {
            const std::string code = cp932::Encode(std::u16string_view(&c, 1));
            if (code.size() == 2)
                return m_pair[(static_cast<unsigned char>(code[0]) - 0x80) * 256 + static_cast<unsigned char>(code[1])];
            return code.size() == 1 && (code != "?" || c == u'?') ? m_single[static_cast<unsigned char>(code[0])] : 0;
        };
        m_context[symbol(u'々')] |= kRepeat;
        for (const char16_t c : {u'ー', u'―', u'〜', u'～', u'~', u'.', u'/', u'／', u'．'})
            if (const Symbol s = symbol(c))
                m_context[s] |= kSeparator;
        m_longVowel = symbol(u'ー');
        m_context[m_longVowel] |= kVowel;
        const std::u16string_view rows[] = {u"アカガサザタダナハバパマヤラワ", u"イキギシジチヂニヒビピミリ",
            u"ウクグスズツヅヌフブプムユル", u"エケゲセゼテデネヘベペメレ", u"オコゴソゾトドノホボポモヨロヲ"};
        for (std::uint8_t r = 0; r < 5; ++r)
            for (const char16_t c : rows[r])
                m_row[symbol(c)] = static_cast<std::uint8_t>(kRowA + r);
        for (const char16_t c : {u'ア', u'イ', u'ウ', u'エ', u'オ'})
            m_context[symbol(c)] |= kVowel;
    }

    /// The large kana of a small one (ヶ as ケ), the same letter to a reader of names.
    static char16_t LargeKana(char16_t k)
    {
        switch (k) {
        case u'ァ':
        case u'ィ':
        case u'ゥ':
        case u'ェ':
        case u'ォ':
        case u'ッ':
        case u'ャ':
        case u'ュ':
        case u'ョ':
        case u'ヮ':
            return static_cast<char16_t>(k + 1);
        case u'ヵ':
            return u'カ';
        case u'ヶ':
            return u'ケ';
        default:
            return k;
        }
    }

    /// Letters compare without their case.
    static char16_t Upper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 0x20) : c; }

    FoldTable()
        : m_pair(128 * 256)
    {
        for (unsigned b = 0; b < 0x100; ++b) {
            const char byte = static_cast<char>(b);
            const std::u16string c = cp932::Decode(std::string_view(&byte, 1));
            m_single[b] = c.size() == 1 && !cp932::IsByteEscape(c[0]) ? Canonical(c[0]) : static_cast<Symbol>(b);
        }
        for (unsigned lead = 0x81; lead < 0x100; ++lead) {
            if (!cp932::IsLeadByte(static_cast<unsigned char>(lead)))
                continue;
            for (unsigned trail = 0x40; trail < 0x100; ++trail) {
                if (!cp932::IsTrailByte(static_cast<unsigned char>(trail)))
                    continue;
                const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                const std::u16string c = cp932::Decode(std::string_view(bytes, 2));
                // An unassigned code is a character of its own that only equals itself.
                m_pair[(lead - 0x80) * 256 + trail] = c.size() == 1 && !cp932::IsByteEscape(c[0])
                    ? Canonical(c[0])
                    : static_cast<Symbol>(lead << 8 | trail);
            }
        }
        MarkContext();
        for (unsigned b = 0xA1; b < 0xE0; ++b) {
            for (unsigned mark = 0xDE; mark <= 0xDF; ++mark) {
                const char bytes[2] = {static_cast<char>(b), static_cast<char>(mark)};
                const std::u16string wide
                    = StrConv(cp932::Decode(std::string_view(bytes, 2)), {TConversion::Wide, TConversion::Katakana});
                if (wide.size() == 1)
                    m_voiced[b][mark - 0xDE] = Encoded(wide[0]).value_or(0);
            }
        }
    }

    static bool LeftOut(char16_t c)
    {
        // U+FF65 is the half-width nakaguro, the narrow form of "・"; U+2010 and U+2212 are hyphen and minus.
        return c <= 0x20 || c == u'"' || c == u'-' || c == u'(' || c == u')' || c == 0xFF65 || c == 0x2010
            || c == 0x2212;
    }

    Symbol Canonical(char16_t c)
    {
        if (c < 0x80)
            return LeftOut(c) ? 0 : static_cast<Symbol>(Upper(c));
        if (LeftOut(c))
            return 0;
        const std::u16string narrow = StrConv(std::u16string_view(&c, 1), {TConversion::Narrow});
        if (narrow.size() == 1 && (narrow[0] < 0x80 || LeftOut(narrow[0])))
            return LeftOut(narrow[0]) ? 0 : static_cast<Symbol>(Upper(narrow[0]));
        const std::u16string wide = StrConv(std::u16string_view(&c, 1), {TConversion::Wide, TConversion::Katakana});
        // A form the code page cannot hold leaves the character as it was decoded.
        char16_t k = wide.size() == 1 ? LargeKana(wide[0]) : c;
        std::optional<Symbol> s = Encoded(k);
        if (!s) {
            k = c;
            s = Encoded(c).value_or(0xFFFF);
        }
        if ((k >= 0x30A1 && k <= 0x30FA) || (k >= 0x30FC && k <= 0x30FE))
            m_katakana.set(*s);
        return *s;
    }

    /// The code of `c`, the one the encoder writes; nothing when the code page has none.
    static std::optional<Symbol> Encoded(char16_t c)
    {
        const std::string code = cp932::Encode(std::u16string_view(&c, 1));
        if (code.size() == 2)
            return static_cast<Symbol>(static_cast<unsigned char>(code[0]) << 8 | static_cast<unsigned char>(code[1]));
        if (code == "?" && c != u'?')
            return std::nullopt;
        return static_cast<Symbol>(static_cast<unsigned char>(code[0]));
    }

    std::array<Symbol, 256> m_single {};
    std::vector<Symbol> m_pair; // [(lead - 0x80) * 256 + trail]
    std::array<std::array<Symbol, 2>, 256> m_voiced {}; // [half-width letter][mark - 0xDE]; 0 when they do not join
    std::bitset<65536> m_katakana;
    std::vector<std::uint8_t> m_context = std::vector<std::uint8_t>(65536, 0); // Context bits by symbol
    std::vector<std::uint8_t> m_row = std::vector<std::uint8_t>(65536, 0); // Row of a kana by symbol, 0 for none
    Symbol m_longVowel = 0;
};

/// Each of `words`, folded.
inline std::vector<std::vector<Symbol>> FoldedWords(std::initializer_list<std::u16string_view> words)
{
    std::vector<std::vector<Symbol>> list;
    for (const std::u16string_view w : words)
        list.push_back(FoldTable::Get().Symbols(w));
    return list;
}

/// True when `text` begins with one of `words`.
inline bool StartsWithOneOf(std::span<const Symbol> text, const std::vector<std::vector<Symbol>>& words)
{
    return std::any_of(words.begin(), words.end(), [&](const std::vector<Symbol>& w) {
        return text.size() >= w.size() && std::equal(w.begin(), w.end(), text.begin());
    });
}

} // namespace plok::claims::audit
