#include "core/IniFile.h"

#include "core/Cp932.h"
#include "core/Errors.h"
#include "core/Text.h"
#include "support/TempDir.h"

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace plok {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

class IniFileTest : public ::testing::Test
{
protected:
    TempDir dir;
    fs::path ini = dir / "user.ini";

    std::u16string Read(std::u16string_view section, std::u16string_view key)
    {
        return IFReadIniStr(ini, section, key, u"<def>");
    }
};

TEST_F(IniFileTest, MissingFileGivesDefaultAndCreatesNothing)
{
    EXPECT_EQ(Read(u"PARAM", u"CB1"), u"<def>");
    EXPECT_EQ(IFReadIniStr(dir / "no" / "user.ini", u"PARAM", u"CB1", u"7"), u"7");
    EXPECT_FALSE(fs::exists(ini));
    EXPECT_FALSE(fs::exists(dir / "no"));
}

// Keys before the first section, commented keys and lines without '=' must never be found.
const std::string kSample = ";top comment\r\n"
                            "stray=1\r\n"
                            "[Other]\r\n"
                            "CB1=other\r\n"
                            "[Empty]\r\n"
                            "\r\n"
                            "  [ Param ]  \r\n"
                            "; CB1=commented\r\n"
                            "odd line without equals\r\n"
                            "cb1 = old \r\n"
                            "CB1=second\r\n"
                            "\x81\xff raw bytes\r\n"
                            "SVCHG=1\r\n"
                            "\r\n"
                            "\r\n"
                            "[Last]\r\n"
                            "X=1\r\n"
                            "[param]\r\n"
                            "BACKUP=late\r\n";

TEST_F(IniFileTest, FindsSectionsAndKeys)
{
    WriteBytes(ini, kSample);
    struct Case
    {
        std::u16string section;
        std::u16string key;
        std::u16string expected;
    };
    const std::vector<Case> cases = {
        {u"PARAM", u"CB1", u"old"},
        {u"param", u"cb1", u"old"},
        {u" Param ", u" Cb1 ", u"old"},
        {u"Other", u"CB1", u"other"},
        {u"Last", u"x", u"1"},
        {u"PARAM", u"SVCHG", u"1"},
        {u"PARAM", u"stray", u"<def>"},
        {u"Nope", u"CB1", u"<def>"},
        {u"PARAM", u"odd line without equals", u"<def>"},
        {u"PARAM", u"; CB1", u"<def>"},
        {u"Empty", u"CB1", u"<def>"},
        // Only the first section of a name is searched.
        {u"PARAM", u"BACKUP", u"<def>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.section + u"/" + c.key));
        EXPECT_EQ(ToUtf8(Read(c.section, c.key)), ToUtf8(c.expected));
    }
}

TEST_F(IniFileTest, ValueTrimmingAndQuotes)
{
    struct Case
    {
        std::string line;
        std::u16string expected;
    };
    const std::vector<Case> cases = {
        {"K=  a b  ", u"a b"}, {"K=\t v \t", u"v"}, {"K=\"  a b  \"", u"  a b  "},
        {"  K  =  \"  a b  \"  ", u"  a b  "}, {"K='x'", u"x"}, {"K=\"x'", u"\"x'"}, {"K=\"\"", u""}, {"K=\"", u"\""},
        {"K='a\"", u"'a\""}, {"K=\"a\"b\"", u"a\"b"}, {"K=a=b", u"a=b"}, {"K=", u""},
        {"K=\x95\xdb\x8c\xaf", u"保険"}, // code page 932 without a byte-order mark
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        WriteBytes(ini, "[S]\r\n" + c.line + "\r\n");
        EXPECT_EQ(ToUtf8(Read(u"S", u"K")), ToUtf8(c.expected));
    }
}

TEST_F(IniFileTest, LongValuesAreCut)
{
    struct Case
    {
        const char* name;
        std::string value;
        std::u16string expected;
    };
    const std::vector<Case> cases = {
        {"2047 kept", std::string(2047, 'x'), std::u16string(2047, u'x')},
        {"3000 cut", std::string(3000, 'x'), std::u16string(2047, u'x')},
        {"quotes go before the cut", "\"" + std::string(2048, 'y') + "\"", std::u16string(2047, u'y')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(ini, "[S]\r\nK=" + c.value + "\r\n");
        const std::u16string got = Read(u"S", u"K");
        EXPECT_EQ(got.size(), c.expected.size());
        EXPECT_TRUE(got == c.expected);
    }
}

TEST_F(IniFileTest, WriteCreatesFileAndReadsBack)
{
    IFWriteIniStr(ini, u"PARAM", u"CB1", u"0");
    EXPECT_EQ(ReadBytes(ini), "[PARAM]\r\nCB1=0\r\n");

    const std::vector<std::pair<std::u16string, std::u16string>> values = {
        {u"SAVEFDR", u"/home/受付 1/保存"},
        {u"SVCHG", u"1"},
        {u"BACKUP", u""},
        {u"CB1", u"2"},
    };
    for (const auto& [key, value] : values)
        IFWriteIniStr(ini, u"PARAM", key, value);
    for (const auto& [key, value] : values) {
        SCOPED_TRACE(ToUtf8(key));
        EXPECT_EQ(ToUtf8(IFReadIniStr(ini, u"param", key, u"<def>")), ToUtf8(value));
    }
    EXPECT_EQ(
        cp932::Decode(ReadBytes(ini)), u"[PARAM]\r\nCB1=2\r\nSAVEFDR=/home/受付 1/保存\r\nSVCHG=1\r\nBACKUP=\r\n");
}

TEST_F(IniFileTest, WriteChangesOnlyItsLine)
{
    struct Case
    {
        const char* name;
        std::u16string section;
        std::u16string key;
        std::u16string value;
        std::string before; // first occurrence in kSample
        std::string after;
    };
    const std::vector<Case> cases = {
        {"replace first key in place", u"PARAM", u"CB1", u"new", "cb1 = old \r\n", "CB1=new\r\n"},
        {"empty value", u"Param", u"SVCHG", u"", "SVCHG=1\r\n", "SVCHG=\r\n"},
        {"insert after last non-blank line", u"PARAM", u"BACKUP", u"2", "SVCHG=1\r\n", "SVCHG=1\r\nBACKUP=2\r\n"},
        {"insert right after a bare header", u"empty", u"A", u"1", "[Empty]\r\n", "[Empty]\r\nA=1\r\n"},
        {"insert into the last section", u"Last", u"Y", u"2", "X=1\r\n", "X=1\r\nY=2\r\n"},
        {"key of another section untouched", u"Other", u"CB1", u"o2", "CB1=other\r\n", "CB1=o2\r\n"},
        {"new section appended", u"New", u"K", u"v", "BACKUP=late\r\n", "BACKUP=late\r\n[New]\r\nK=v\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(ini, kSample);
        std::string expected = kSample;
        const std::size_t at = expected.find(c.before);
        ASSERT_NE(at, std::string::npos);
        expected.replace(at, c.before.size(), c.after);

        IFWriteIniStr(ini, c.section, c.key, c.value);
        EXPECT_EQ(ReadBytes(ini), expected);
        EXPECT_EQ(ToUtf8(Read(c.section, c.key)), ToUtf8(c.value));
    }
}

TEST_F(IniFileTest, WriteKeepsTheFileEncoding)
{
    auto utf16 = [](std::u16string_view s, bool bigEndian) {
        std::string out;
        for (char16_t c : s) {
            const char hi = static_cast<char>(c >> 8);
            const char lo = static_cast<char>(c & 0xFF);
            out += bigEndian ? hi : lo;
            out += bigEndian ? lo : hi;
        }
        return out;
    };
    struct Case
    {
        const char* name;
        std::string bom;
        std::function<std::string(std::u16string_view)> encode;
    };
    const std::vector<Case> cases = {
        {"code page 932", "", [](std::u16string_view s) { return cp932::Encode(s); }},
        {"utf-8", "\xEF\xBB\xBF", [](std::u16string_view s) { return ToUtf8(s); }},
        {"utf-16 le", "\xFF\xFE", [&](std::u16string_view s) { return utf16(s, false); }},
        {"utf-16 be", "\xFE\xFF", [&](std::u16string_view s) { return utf16(s, true); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(ini, c.bom + c.encode(u"; 設定\r\n[PARAM]\r\nSAVEFDR=旧フォルダ\r\nCB1=1\r\n"));
        EXPECT_EQ(ToUtf8(Read(u"PARAM", u"SAVEFDR")), "旧フォルダ");

        IFWriteIniStr(ini, u"PARAM", u"SAVEFDR", u"新しい保存先");
        EXPECT_EQ(ReadBytes(ini), c.bom + c.encode(u"; 設定\r\n[PARAM]\r\nSAVEFDR=新しい保存先\r\nCB1=1\r\n"));
    }
}

TEST_F(IniFileTest, AValueCodePage932CannotHoldTurnsTheFileIntoUtf16WithEveryCharacterKept)
{
    // Folders chosen in the folder browser, what a Linux input method types for 〜 (U+301C, not in the code page), and
    // a Windows file name may hold a lone surrogate.
    const std::vector<std::u16string> values = {u"E:\\𠮷田医院の保存先", u"/media/USB😀", u"/home/受付/4月\u301C6月",
        std::u16string(u"C:\\a\xD800"
                       u"b")};
    const std::string before = cp932::Encode(u"; 設定\r\n[PARAM]\r\nCB1=1\r\nSAVEFDR=旧フォルダ\r\n");
    for (const std::u16string& value : values) {
        SCOPED_TRACE(ToUtf8(value));
        for (const bool existing : {true, false}) {
            fs::remove(ini);
            if (existing)
                WriteBytes(ini, before);
            IFWriteIniStr(ini, u"PARAM", u"LASTDIR", value);
            EXPECT_EQ(ReadBytes(ini).substr(0, 2), "\xFF\xFE");
            EXPECT_TRUE(Read(u"PARAM", u"LASTDIR") == value);
            EXPECT_EQ(Read(u"PARAM", u"CB1"), existing ? u"1" : u"<def>");
            // It stays so: a later value the code page could hold changes nothing of the others.
            IFWriteIniStr(ini, u"PARAM", u"CB1", u"0");
            EXPECT_EQ(ReadBytes(ini).substr(0, 2), "\xFF\xFE");
            EXPECT_TRUE(Read(u"PARAM", u"LASTDIR") == value);
            EXPECT_EQ(ToUtf8(Read(u"PARAM", u"SAVEFDR")), existing ? "旧フォルダ" : "<def>");
        }
    }
}

TEST_F(IniFileTest, FirstOfDuplicateKeysIsWritten)
{
    WriteBytes(ini, "[P]\r\nA=1\r\nA=2\r\n[P]\r\nA=3\r\n");
    IFWriteIniStr(ini, u"P", u"a", u"9");
    EXPECT_EQ(ReadBytes(ini), "[P]\r\na=9\r\nA=2\r\n[P]\r\nA=3\r\n");
}

TEST_F(IniFileTest, LineBreaksAreRefused)
{
    struct Case
    {
        const char* name;
        std::u16string section;
        std::u16string key;
        std::u16string value;
    };
    const std::vector<Case> cases = {
        {"section", u"PA\nRAM", u"CB1", u"1"},
        {"key", u"PARAM", u"CB1\r", u"1"},
        {"value lf", u"PARAM", u"CB1", u"1\n[X]"},
        {"value crlf", u"PARAM", u"CB1", u"a\r\nb"},
    };
    const fs::path missing = dir / "missing.ini";
    WriteBytes(ini, "[PARAM]\r\nCB1=0\r\n");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            IFWriteIniStr(ini, c.section, c.key, c.value);
            ADD_FAILURE() << "no IoError";
        } catch (const IoError& e) {
            EXPECT_NE(std::string(e.what()).find("\"" + ini.string() + "\""), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find("改行"), std::string::npos) << e.what();
        }
        EXPECT_THROW(IFWriteIniStr(missing, c.section, c.key, c.value), IoError);
        EXPECT_EQ(ReadBytes(ini), "[PARAM]\r\nCB1=0\r\n");
        EXPECT_FALSE(fs::exists(missing));
    }
}

} // namespace
} // namespace plok
