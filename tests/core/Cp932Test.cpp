#include "core/Cp932.h"

#include <cstdint>

#include <gtest/gtest.h>

namespace cp932 = plok::cp932;

namespace {

std::string Bytes(std::initializer_list<int> bytes)
{
    std::string s;
    for (int b : bytes)
        s += static_cast<char>(b);
    return s;
}

TEST(Cp932, AsciiBytesAreThemselvesBothWays)
{
    // ICU's table turns 0x1A, 0x1C and 0x7F into other control characters; Windows keeps them.
    for (int b = 0; b < 0x80; ++b) {
        SCOPED_TRACE(b);
        const std::string byte(1, static_cast<char>(b));
        EXPECT_EQ(cp932::Decode(byte), std::u16string(1, static_cast<char16_t>(b)));
        EXPECT_EQ(cp932::Encode(std::u16string(1, static_cast<char16_t>(b))), byte);
    }
}

TEST(Cp932, CharLengthFramesAsTheDecoderDoes)
{
    struct Case
    {
        std::string bytes;
        std::size_t length;
    };
    const std::vector<Case> cases = {
        {Bytes({0x82, 0xa0, 'A'}), 2}, // あ
        {Bytes({0xf0, 0x40, 'A'}), 2}, // an unassigned pair is still one character's bytes
        {Bytes({0x82}), 1}, // a lead byte at the end
        {Bytes({0x82, 0x7f}), 1},
        {Bytes({0x82, 0x3f}), 1},
        {Bytes({0x82, ','}), 1},
        {Bytes({0xa1, 0x40}), 1}, // half-width katakana stands alone
        {Bytes({0x80, 0x40}), 1},
        {Bytes({0xfd, 0x40}), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.bytes));
        EXPECT_EQ(cp932::CharLength(c.bytes, 0), c.length);
        // Decoding the character's bytes apart from the rest gives the same text as decoding them together.
        const std::string_view all = c.bytes;
        EXPECT_EQ(cp932::Decode(all.substr(0, c.length)) + cp932::Decode(all.substr(c.length)), cp932::Decode(all));
    }
}

TEST(Cp932, KnownCharacters)
{
    struct Case
    {
        std::string bytes;
        std::u16string text;
    };
    const std::vector<Case> cases = {
        {"\x82\xa0", u"あ"},
        {"\x83\x65\x83X\x83g", u"テスト"},
        {"\x8e\xd0", u"社"},
        {"\x8d\x91", u"国"},
        {"\x81\x40", u"\u3000"},
        {"\xb1", u"ｱ"},
        {"\xa1", u"\uFF61"},
        {"\xdf", u"\uFF9F"},
        {"\x81\x5f", u"＼"},
        {"\x81\x60", u"\uFF5E"}, // the full-width tilde, not U+301C
        {"\x81\x7c", u"\uFF0D"},
        {"\x82\x50\x82\x51", u"１２"},
        {"\xf0\x40", u"\uE000"}, // user-defined area
        {"\xf9\xfc", u"\uE757"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(plok::cp932::Encode(c.text));
        EXPECT_EQ(cp932::Decode(c.bytes), c.text);
        EXPECT_EQ(cp932::Encode(c.text), c.bytes);
    }
}

TEST(Cp932, DuplicateCodesDecodeAlikeAndEncodeTheWindowsWay)
{
    struct Case
    {
        std::vector<std::string> codes;
        std::string preferred;
    };
    const std::vector<Case> cases = {
        {{"\x87\x54", "\xfa\x4a"}, "\x87\x54"}, // Ⅰ: NEC row 13 wins over IBM
        {{"\xee\xef", "\xfa\x40"}, "\xfa\x40"}, // ⅰ: IBM wins over NEC-selected IBM
        {{"\xed\x40", "\xfa\x5c"}, "\xfa\x5c"}, // 纊
        {{"\x81\xca", "\xee\xf9", "\xfa\x54"}, "\x81\xca"}, // ￢: JIS X 0208 wins
        {{"\x81\xe6", "\x87\x9a", "\xfa\x5b"}, "\x81\xe6"}, // ∵
    };
    for (const auto& c : cases) {
        const std::u16string text = cp932::Decode(c.codes.front());
        ASSERT_EQ(text.size(), 1u);
        for (const auto& code : c.codes)
            EXPECT_EQ(cp932::Decode(code), text);
        EXPECT_EQ(cp932::Encode(text), c.preferred);
    }
}

TEST(Cp932, InvalidBytesSurviveDecodeAndEncode)
{
    const std::vector<std::string> cases = {
        Bytes({0x80}),
        Bytes({0xa0}),
        Bytes({0xfd, 0xfe, 0xff}),
        Bytes({'a', 0x81}), // lead byte at the very end
        Bytes({0x81, 0x20, 'x'}), // lead byte before a byte that cannot trail
        Bytes({0x81, 0x7f}), // 0x7F never trails
        Bytes({0x85, 0x40, ','}), // unassigned pair with an ASCII trail
        Bytes({0x85, 0x81, 0x40}), // unassigned pair whose trail could lead: the next pair is 0x40-led
        Bytes({0xeb, 0xfc, 0x82, 0xa0}),
        Bytes({0x82, 0xa0, 0x80, 0x82, 0xa0}),
    };
    for (const auto& bytes : cases) {
        const std::u16string text = cp932::Decode(bytes);
        EXPECT_EQ(cp932::Encode(text), bytes) << testing::PrintToString(bytes);
    }
    EXPECT_EQ(cp932::Decode(Bytes({0x80})), std::u16string(1, char16_t(0xDC80)));
    // The unassigned pair stays one unit of two bytes, so the 0x81 after it cannot pair with the "@".
    EXPECT_EQ(cp932::Decode(Bytes({0x85, 0x81, 0x40})), (std::u16string {char16_t(0xDC85), char16_t(0xDC81), u'@'}));
}

TEST(Cp932, EveryTwoByteSequenceRoundTripsOrIsADuplicateCode)
{
    for (int a = 0; a < 256; ++a) {
        for (int b = 0; b < 256; ++b) {
            const std::string bytes = Bytes({a, b});
            const std::u16string text = cp932::Decode(bytes);
            const std::string back = cp932::Encode(text);
            if (back == bytes)
                continue;
            // Only a character with two codes may come back under its other code.
            ASSERT_EQ(text.size(), 1u) << a << ' ' << b;
            ASSERT_FALSE(text[0] >= 0xD800 && text[0] <= 0xDFFF) << a << ' ' << b;
            ASSERT_EQ(cp932::Decode(back), text) << a << ' ' << b;
        }
    }
}

TEST(Cp932, RandomBytesDecodeToTextThatEncodesStably)
{
    std::uint64_t state = 0x9E3779B97F4A7C15u;
    auto next = [&] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return static_cast<char>(state >> 24);
    };
    for (int round = 0; round < 200; ++round) {
        std::string bytes;
        for (int i = 0; i < 64; ++i)
            bytes += next();
        const std::u16string text = cp932::Decode(bytes);
        const std::string encoded = cp932::Encode(text);
        EXPECT_EQ(encoded.size(), bytes.size());
        EXPECT_EQ(cp932::Decode(encoded), text);
    }
}

TEST(Cp932, UnrepresentableCharactersBecomeOneQuestionMarkEach)
{
    EXPECT_EQ(cp932::Encode(u"a\u301Cb"), "a?b"); // wave dash has no code here
    EXPECT_EQ(cp932::Encode(u"\u00A5"), "?");
    EXPECT_EQ(cp932::Encode(u"x\U0001F600y"), "x?y"); // a surrogate pair is one character
    EXPECT_EQ(cp932::Encode(std::u16string(1, char16_t(0xD800))), "?");
    EXPECT_EQ(cp932::Encode(std::u16string(1, char16_t(0xDC10))), "?"); // not an escape of ours
    EXPECT_FALSE(cp932::CanEncode(u"\u301C"));
    EXPECT_TRUE(cp932::CanEncode(u"テスト\uE000"));
    EXPECT_TRUE(cp932::CanEncode(std::u16string(1, char16_t(0xDC80))));
}

} // namespace
