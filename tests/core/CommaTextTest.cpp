#include "core/CommaText.h"

#include "core/Cp932.h"

#include <gtest/gtest.h>

using plok::FieldList;

namespace {

struct SplitCase
{
    std::u16string line;
    FieldList fields;
};

TEST(GetCommaTxt, CutsAtEveryCommaAndDropsEveryQuote)
{
    const std::vector<SplitCase> cases = {
        {u"", {u""}},
        {u",", {u"", u""}},
        {u"IR,1,13", {u"IR", u"1", u"13"}},
        {u"\"a\",b", {u"a", u"b"}},
        {u"a,\"b,c\"", {u"a", u"b", u"c"}}, // quoting is not honoured
        {u" a , b ", {u" a ", u" b "}}, // no trimming
        {u"x\"\"y", {u"xy"}}, // quotes dropped anywhere, doubled or not
        {u"a,,b,", {u"a", u"", u"b", u""}},
        {u"山田　太郎,ｶﾅ", {u"山田　太郎", u"ｶﾅ"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(plok::ToUtf8(c.line));
        FieldList list;
        EXPECT_TRUE(plok::GetCommaTxt(c.line, list));
        EXPECT_EQ(list, c.fields);
    }
}

TEST(GetCommaTxt, AppendsToTheCallersList)
{
    FieldList list = {u"keep"};
    plok::GetCommaTxt(std::u16string_view(u"a,b"), list);
    EXPECT_EQ(list, (FieldList {u"keep", u"a", u"b"}));
}

TEST(ByteFieldSplitter, GivesTheFieldsOfTheDecodedLine)
{
    const std::vector<std::string> lines = {
        "",
        ",",
        "RE,\"\x8eR\x93"
        "c \x91\xbe\x98Y\",\x83\x65\x83X\x83g,\"\"",
        "a,\"b,c\"",
        "x\"\"y,,\x83\x5c,\x80",
    };
    plok::ByteFieldSplitter splitter;
    for (const auto& line : lines) {
        SCOPED_TRACE(testing::PrintToString(line));
        FieldList expected;
        plok::GetCommaTxt(plok::cp932::Decode(line), expected);
        FieldList decoded;
        for (std::string_view field : splitter.Split(line))
            decoded.push_back(plok::cp932::Decode(field));
        EXPECT_EQ(decoded, expected);
    }
}

// Found by fuzz_comma_split: with the quote gone, a lone lead byte pairs with the byte after the quote.
TEST(ByteFieldSplitter, ADroppedQuoteLetsALoneLeadBytePairWithTheNextByte)
{
    struct Case
    {
        std::string line;
        std::string field; // field 1 as bytes
        std::u16string fromBytes; // that field decoded
        std::u16string fromText; // field 1 of the decoded line
    };
    const std::vector<Case> cases = {
        {"x,\x81\"\x40", "\x81\x40", u"\u3000", u"\xDC81@"},
        {"x,\x82\"\xa0,y", "\x82\xa0", u"あ", u"\xDC82\xDCA0"},
        // The lead byte joins a pair that is itself a code of a character with two codes.
        {"x,\xed\"\x40\x87\x54", "\xed\x40\x87\x54", u"纊Ⅰ", u"\xDCED@Ⅰ"},
        // A quote after a complete character changes nothing.
        {"x,\x82\xa0\"\x40", "\x82\xa0\x40", u"あ@", u"あ@"},
    };
    plok::ByteFieldSplitter splitter;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.line));
        const std::vector<std::string_view>& fields = splitter.Split(c.line);
        ASSERT_GE(fields.size(), 2u);
        EXPECT_EQ(fields[1], c.field);
        EXPECT_EQ(plok::cp932::Decode(fields[1]), c.fromBytes);
        FieldList text;
        plok::GetCommaTxt(plok::cp932::Decode(c.line), text);
        ASSERT_GE(text.size(), 2u);
        EXPECT_EQ(text[1], c.fromText);
    }
}

struct JoinCase
{
    FieldList fields;
    std::u16string line;
};

TEST(JoinCommaText, QuotesOnlyFieldsThatNeedIt)
{
    const std::vector<JoinCase> cases = {
        {{}, u""},
        {{u""}, u"\"\""},
        {{u"a", u"", u"b"}, u"a,,b"},
        {{u"RE", u"1", u"山田 太郎"}, u"RE,1,\"山田 太郎\""},
        {{u"a\"b"}, u"\"a\"\"b\""},
        {{u"a,b", u"c"}, u"\"a,b\",c"},
        {{u"tab\there"}, u"\"tab\there\""},
        {{u"\x01"}, u"\"\x01\""},
        {{std::u16string(1, u'\0')}, std::u16string(1, u'\0')}, // U+0000 is not among the quoted characters
        {{u"山田　太郎"}, u"山田　太郎"}, // U+3000 is not a blank here
        {{u"", u""}, u","},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(plok::ToUtf8(c.line));
        EXPECT_EQ(plok::JoinCommaText(c.fields), c.line);
    }
}

TEST(JoinCommaText, BytesQuoteLikeTextAndAppend)
{
    std::string out = "keep|";
    plok::AppendCommaText(out, {"HO", "a b", "\x82\xa0", "\x83\x5c"});
    EXPECT_EQ(out, "keep|HO,\"a b\",\x82\xa0,\x83\x5c");
    out.clear();
    plok::AppendCommaText(out, {""});
    EXPECT_EQ(out, "\"\"");
}

TEST(SplitCommaText, FollowsTheDelimitedTextRule)
{
    const std::vector<SplitCase> cases = {
        {u"", {}},
        {u"   ", {}},
        {u"x, y ,z", {u"x", u"y", u"z"}},
        {u"\"a,b\",c", {u"a,b", u"c"}},
        {u"a,", {u"a", u""}},
        {u"a, ", {u"a"}}, // the comma is not the last character, so no trailing empty field
        {u",", {u"", u""}},
        {u"a,,b", {u"a", u"", u"b"}},
        {u"a b,c", {u"a", u"b", u"c"}},
        {u"\"say \"\"hi\"\"\",x", {u"say \"hi\"", u"x"}},
        {u"\"open", {u"open"}},
        {u"\"a\"b,c", {u"a", u"b", u"c"}},
        {u"  lead", {u"lead"}},
        {u"a\tb", {u"a", u"b"}},
        {u"山田　太郎,x", {u"山田　太郎", u"x"}},
        {u"\"\"", {u""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(plok::ToUtf8(c.line));
        EXPECT_EQ(plok::SplitCommaText(c.line), c.fields);
    }
}

TEST(SplitCommaText, StopsAtNulInsteadOfLoopingForever)
{
    const std::u16string line = std::u16string(u"a,") + u'\0' + u"b,c";
    EXPECT_EQ(plok::SplitCommaText(line), (FieldList {u"a", u""}));
}

TEST(SplitCommaText, ReversesTheJoin)
{
    const FieldList fields = {u"RE", u"", u"山田 太郎", u"a\"b", u"c,d", u"x"};
    EXPECT_EQ(plok::SplitCommaText(plok::JoinCommaText(fields)), fields);
}

} // namespace
