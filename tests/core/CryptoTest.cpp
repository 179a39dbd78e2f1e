#include "core/Crypto.h"

#include "support/TempDir.h"

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace plok::crypto {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

std::string Hex(std::span<const std::uint8_t> bytes)
{
    std::string hex;
    for (const std::uint8_t b : bytes) {
        hex += "0123456789abcdef"[b >> 4];
        hex += "0123456789abcdef"[b & 15];
    }
    return hex;
}

std::vector<std::uint8_t> Bytes(std::string_view s)
{
    return {s.begin(), s.end()};
}

TEST(HmacSha256, Rfc4231TestCases)
{
    // Case 5 is left out: it checks a truncated MAC, which nothing here uses.
    struct Case
    {
        const char* name;
        std::vector<std::uint8_t> key;
        std::string data;
        const char* mac;
    };
    std::vector<std::uint8_t> key4;
    for (std::uint8_t b = 1; b <= 25; ++b)
        key4.push_back(b);
    const std::vector<Case> cases = {
        {"1", std::vector<std::uint8_t>(20, 0x0b), "Hi There",
            "b0344c61d8db38535ca8afceaf0bf12b881dc200c9833da726e9376c2e32cff7"},
        {"2", Bytes("Jefe"), "what do ya want for nothing?",
            "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843"},
        {"3", std::vector<std::uint8_t>(20, 0xaa), std::string(50, '\xdd'),
            "773ea91e36800e46854db8ebd09181a72959098b3ef8c122d9635514ced565fe"},
        {"4", key4, std::string(50, '\xcd'), "82558a389a443c0ea4cc819899f2083a85f0faa3e578f8077a2e3ff46729665b"},
        {"6", std::vector<std::uint8_t>(131, 0xaa), "Test Using Larger Than Block-Size Key - Hash Key First",
            "60e431591ee0b67f0d8a26aacbf5b77f8e0bc6213728c5140546040f0ee37f54"},
        {"7", std::vector<std::uint8_t>(131, 0xaa),
            "This is a test using a larger than block-size key and a larger than block-size data. The key needs to be "
            "hashed before being used by the HMAC algorithm.",
            "9b09ffa71b942fcb27635fbcd5b0e944bfdc63644f0713938a7f51535c3a35e2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("case ") + c.name);
        HmacSha256 mac(c.key);
        EXPECT_EQ(Hex(mac.Of({c.data})), c.mac);
        // The key prepared once serves the next message; a message in parts is their concatenation.
        const std::string_view data(c.data);
        EXPECT_EQ(Hex(mac.Of({data.substr(0, 3), data.substr(3)})), c.mac);
        EXPECT_EQ(Hex(mac.Of({{}, data, {}})), c.mac);
    }
}

TEST(RandomBytes, FillsTheWholeBufferWithFreshBytes)
{
    std::vector<std::uint8_t> a(1000, 0);
    std::vector<std::uint8_t> b(1000, 0);
    RandomBytes(a);
    RandomBytes(b);
    EXPECT_NE(a, b);
    // A buffer filled only in part would keep a run of its zeros at the end.
    EXPECT_NE(std::vector<std::uint8_t>(a.end() - 32, a.end()), std::vector<std::uint8_t>(32, 0));
}

class KeyFileTest : public ::testing::Test
{
protected:
    TempDir dir;
    const fs::path file = dir / "plok.key";
};

TEST_F(KeyFileTest, CreatedOnFirstUseThenReadAsItIs)
{
    const Key key = ReadOrCreateKeyFile(file);
    EXPECT_EQ(ReadBytes(file), std::string(key.begin(), key.end()));
    EXPECT_EQ(test::FileCount(dir.path()), 1u) << "no temporary file is left behind";
    EXPECT_EQ(ReadOrCreateKeyFile(file), key);
    EXPECT_EQ(ReadKeyFile(file), key);

    TempDir other;
    EXPECT_NE(ReadOrCreateKeyFile(other / "plok.key"), key);
}

TEST_F(KeyFileTest, AKeyThereIsNeverReplaced)
{
    const std::string bytes(kKeySize, '\x5a');
    WriteBytes(file, bytes);
    const Key key = ReadOrCreateKeyFile(file);
    EXPECT_EQ(std::string(key.begin(), key.end()), bytes);
    EXPECT_EQ(ReadBytes(file), bytes);
}

TEST_F(KeyFileTest, UnusableKeyFilesAreRefusedNamingTheFile)
{
    struct Case
    {
        const char* name;
        std::optional<std::string> bytes;
        const char* reason;
    };
    const std::vector<Case> cases = {
        {"missing", std::nullopt, "鍵ファイルがありません。"},
        {"empty", "", "（0バイト）"},
        {"short", std::string(kKeySize - 1, 'k'), "（31バイト）"},
        {"long", std::string(1000, 'k'), "（1000バイト）"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(file);
        if (c.bytes)
            WriteBytes(file, *c.bytes);
        const auto refused = [&](auto read) {
            try {
                read(file);
                ADD_FAILURE() << "no refusal";
            } catch (const FileError& e) {
                EXPECT_EQ(e.file(), file);
                EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
            }
        };
        refused(ReadKeyFile);
        if (c.bytes) {
            // A key file that is there but broken is never replaced by a new key: the pseudonyms would change.
            refused(ReadOrCreateKeyFile);
            EXPECT_EQ(ReadBytes(file), *c.bytes);
        }
    }
}

TEST_F(KeyFileTest, AFolderThatIsNotThereIsARefusal)
{
    try {
        ReadOrCreateKeyFile(dir / "missing" / "plok.key");
        ADD_FAILURE() << "no refusal";
    } catch (const FileError& e) {
        EXPECT_NE(std::string(e.what()).find("鍵ファイルを作成できません。"), std::string::npos) << e.what();
    }
    EXPECT_EQ(test::FileCount(dir.path()), 0u);
}

} // namespace
} // namespace plok::crypto
