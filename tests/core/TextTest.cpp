#include "core/Text.h"

#include "core/FileNames.h"

#include <algorithm>

#include <gtest/gtest.h>

namespace {

TEST(Trim, RemovesControlAndBlankAtBothEndsOnly)
{
    EXPECT_EQ(plok::Trim(u" \t\r\n a b \x01"), u"a b");
    EXPECT_EQ(plok::Trim(std::u16string(u"\0x\0", 3)), u"x");
    EXPECT_EQ(plok::Trim(u"\u3000x\u3000"), u"\u3000x\u3000");
    EXPECT_TRUE(plok::IsBlank(u""));
    EXPECT_TRUE(plok::IsBlank(u" \t "));
    EXPECT_FALSE(plok::IsBlank(u"\u3000"));
}

TEST(StrToIntDef, ReadsWholeNumbersOrGivesTheDefault)
{
    struct Case
    {
        std::u16string text;
        int expected;
    };
    const std::vector<Case> cases = {
        {u"0", 0},
        {u"42", 42},
        {u"  7", 7},
        {u"+7", 7},
        {u"-7", -7},
        {u"2147483647", 2147483647},
        {u"-2147483648", -2147483647 - 1},
        {u"2147483648", -99},
        {u"-2147483649", -99},
        {u"99999999999999999999", -99},
        {u"$1F", 31},
        {u"0x1f", 31},
        {u"0X10", 16},
        {u"x10", 16},
        {u"X10", 16},
        {u"-$10", -16},
        {u"$FFFFFFFF", -1},
        {u"$100000000", -99},
        {u"", -99},
        {u" ", -99},
        {u"-", -99},
        {u"$", -99},
        {u"0x", -99},
        {u"7 ", -99},
        {u"\t7", -99},
        {u"1.0", -99},
        {u"１２", -99},
        {u"12a", -99},
        {u"+-1", -99},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(plok::ToUtf8(c.text));
        EXPECT_EQ(plok::StrToIntDef(c.text, -99), c.expected);
    }
}

TEST(WrapLines, BreaksOnlyLinesThatDoNotFitAfterAPhraseAndLeavesNoCharacterAlone)
{
    struct Case
    {
        std::u16string text;
        std::size_t columns;
        std::u16string wrapped;
    };
    const std::vector<Case> cases = {
        {u"短い行。\n次の行", 20, u"短い行。\n次の行"},
        {u"", 10, u""},
        // After the last phrase end within the width.
        {u"あいうえお、かきくけこ、さしすせそ", 24, u"あいうえお、かきくけこ、\nさしすせそ"},
        // A phrase end within the first third of the width would leave a short line: the width decides.
        {u"あ、いうえおかきくけこさ", 20, u"あ、いうえおかきくけ\nこさ"},
        // No line starts with 。: the character before it goes down with it.
        {u"あいうえおかきくけこす。", 20, u"あいうえおかきくけ\nこす。"},
        {u"abcdefghij", 4, u"abcd\nefgh\nij"},
        {u"ﾊﾝｶｸｶﾅ１２", 8, u"ﾊﾝｶｸｶﾅ\n１２"},
        // Where hiragana meets the next word, before a bracket, after a path's separator.
        {u"作業フォルダを開いてください", 20, u"作業フォルダを\n開いてください"},
        {u"数字を入力して下さい", 16, u"数字を入力して\n下さい"},
        {u"次のファイル「50605_1.UKE」を", 24, u"次のファイル\n「50605_1.UKE」を"},
        {u"Z:\\clinic\\レセ電\\RECEIPTC.UKE", 24, u"Z:\\clinic\\レセ電\\\nRECEIPTC.UKE"},
        // A character outside the basic plane is one character.
        {u"𠮷田𠮷田𠮷田", 7, u"𠮷田𠮷\n田𠮷田"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(plok::ToUtf8(c.text));
        EXPECT_EQ(plok::ToUtf8(plok::WrapLines(c.text, c.columns)), plok::ToUtf8(c.wrapped));
    }
}

TEST(WrapText, TheProgramsMessagesBreakBetweenPhrasesAtEveryWidth)
{
    // Messages as the windows show them, in boxes from 20 full-width characters wide (the narrowest a message box
    // gives its text) up; the words a box must never split.
    const std::vector<std::u16string> texts = {
        u"マニュアルを開けませんでした。ブラウザーで次のファイルを開いてください。",
        u"開始位置には、終了位置より小さい数字を入力して下さい",
        u"次のファイルは保存先へ移せなかったため、作業フォルダに残っています。保存先を確かめてから、"
        u"作業フォルダのファイルを保存先へ移すか、もう一度やり直してください。",
        u"社保のレセ電データが2つドロップされました。社保の欄には1つだけドロップしてください。",
    };
    const std::vector<std::u16string> words
        = {u"開いて", u"ください", u"下さい", u"入力して", u"確かめて", u"やり直して", u"ドロップ", u"データ"};
    const auto measure = [](std::u16string_view c) { return c[0] < 0x80 ? 6 : 12; };
    for (const std::u16string& text : texts) {
        for (int width = 240; width <= 520; width += 7) {
            SCOPED_TRACE(testing::Message() << plok::ToUtf8(text) << " at " << width);
            const std::u16string wrapped = plok::WrapText(text, width, measure);
            std::u16string joined;
            std::size_t from = 0;
            while (from <= wrapped.size()) {
                const std::size_t end = std::min(wrapped.find(u'\n', from), wrapped.size());
                const std::u16string line = wrapped.substr(from, end - from);
                int used = 0;
                for (char16_t c : line)
                    used += measure(std::u16string_view(&c, 1));
                EXPECT_LE(used, width) << plok::ToUtf8(line);
                EXPECT_FALSE(line.starts_with(u"、") || line.starts_with(u"。")) << plok::ToUtf8(line);
                joined += line;
                from = end + 1;
            }
            EXPECT_TRUE(joined == text);
            for (const std::u16string& word : words)
                for (std::size_t at = 1; at < word.size(); ++at)
                    EXPECT_EQ(wrapped.find(word.substr(0, at) + u"\n" + word.substr(at)), std::u16string::npos)
                        << plok::ToUtf8(word);
        }
    }
}

TEST(Utf8, RoundTripsAndReplacesWhatIsNotText)
{
    const std::u16string text = u"a é 山田 \U0001F600";
    EXPECT_EQ(plok::FromUtf8(plok::ToUtf8(text)), text);
    EXPECT_EQ(plok::ToUtf8(std::u16string(1, char16_t(0xDC81))), "\xEF\xBF\xBD");
    EXPECT_EQ(plok::FromUtf8("a\xFFz"), u"a\uFFFDz");
    EXPECT_EQ(plok::FromUtf8("\xC0\x80"), u"\uFFFD\uFFFD"); // overlong
    EXPECT_EQ(plok::FromUtf8("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD"); // encoded surrogate
}

TEST(IsPlainFileName, RefusesNamesThatLeaveTheirFolder)
{
    const std::vector<std::pair<std::u16string, bool>> cases = {
        {u"50605_1.UKE", true},
        {u"_1.UKE", true},
        {u"(50605提出_社保)RECEIPTC.uke", true},
        {u"0123456_ORVAクリニック", true},
        {u"", false},
        {u".", false},
        {u"..", false},
        {u".._1.UKE", false},
        {u"../x_1.UKE", false},
        {u"a/b", false},
        {u"a\\b", false},
        {u"C:x", false},
        {u"a*b", false},
        {u"a?b", false},
        {u"a\"b", false},
        {u"a<b", false},
        {u"a>b", false},
        {u"a|b", false},
        {u"a\tb", false},
        {u"name.", false},
        {u"name ", false},
        {std::u16string(u"a") + char16_t(0xDC81), false},
        {u"emoji\U0001F600", true},
    };
    for (const auto& [name, plain] : cases) {
        SCOPED_TRACE(plok::ToUtf8(name));
        EXPECT_EQ(plok::IsPlainFileName(name), plain);
    }
}

} // namespace
