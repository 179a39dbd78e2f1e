// The key cases only a POSIX system has: a FIFO and a device given as the key, and permission bits others hold.
#include "core/FileNames.h"
#include "support/CliRun.h"
#include "support/Sjis.h"
#include "support/TempDir.h"

#include <sys/stat.h>
#include <sys/types.h>

#include <gtest/gtest.h>

namespace plok {
namespace {

namespace fs = std::filesystem;
using test::CliRun;
using test::RunCli;
using test::TempDir;
using test::WriteBytes;

class PosixKey : public testing::Test
{
protected:
    void SetUp() override
    {
        WriteBytes(in / "RECEIPTC.UKE",
            test::Sjis({u"IR,1,13,1,1310001,,山田内科,50605,00,03-1111-2222",
                u"RE,1,1112,50605,佐藤　花子,2,3450712,,,,,,,12345"}));
        fs::create_directory(keys);
        WriteBytes(keys / "clinic.key", std::string(32, 'k'));
        fs::permissions(keys, fs::perms::owner_all);
        fs::permissions(keys / "clinic.key", fs::perms::owner_read | fs::perms::owner_write);
    }
    CliRun Anonymize(const fs::path& key)
    {
        return RunCli({"anonymize", "--strong", "--key", PathUtf8(key), "--out", PathUtf8(out.path()),
            PathUtf8(in / "RECEIPTC.UKE")});
    }

    TempDir in;
    TempDir out;
    const fs::path keys = in / "keys";
};

TEST_F(PosixKey, AFifoOrADeviceIsRefusedAtOnce)
{
    // Before, a FIFO without a writer held the run for ever.
    ASSERT_EQ(::mkfifo((keys / "fifo.key").c_str(), 0600), 0);
    const std::vector<std::pair<fs::path, std::string>> cases = {
        {keys / "fifo.key", "名前付きパイプ（FIFO）です。"},
        {"/dev/null", "デバイスです。"},
    };
    for (const auto& [key, reason] : cases) {
        SCOPED_TRACE(key.string());
        const CliRun r = Anonymize(key);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_TRUE(r.err.starts_with("plok-cli: " + PathUtf8(key) + ": 強い匿名化の鍵ファイル")) << r.err;
        EXPECT_NE(r.err.find(reason), std::string::npos) << r.err;
        EXPECT_EQ(test::FileCount(out.path()), 0u);
    }
}

TEST_F(PosixKey, AKeyOthersMayReachIsWarnedOfWithTheFixAndUsed)
{
    struct Case
    {
        const char* name;
        fs::perms file;
        fs::perms folder;
        std::vector<std::string> warnings;
    };
    using P = fs::perms;
    const P own = P::owner_read | P::owner_write;
    const std::string file = "'" + PathUtf8(keys / "clinic.key") + "'";
    const std::string folder = "'" + PathUtf8(keys) + "'";
    const std::vector<Case> cases = {
        {"private", own, P::owner_all, {}},
        {"0644", own | P::group_read | P::others_read, P::owner_all, {"（644）", "chmod 600 " + file}},
        {"folder 0755", own, P::owner_all | P::group_read | P::group_exec | P::others_read | P::others_exec,
            {"（755）", "chmod 700 " + folder}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::permissions(keys / "clinic.key", c.file);
        fs::permissions(keys, c.folder);
        const CliRun r = Anonymize(keys / "clinic.key");
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "50605_1_strong.UKE\n");
        const std::string prefix = "plok-cli: " + PathUtf8(keys / "clinic.key") + ": 警告: ";
        EXPECT_EQ(r.err.starts_with(prefix), !c.warnings.empty()) << r.err;
        for (const std::string& w : c.warnings) {
            EXPECT_NE(r.err.find(w), std::string::npos) << r.err;
        }
        fs::permissions(keys, P::owner_all);
    }
}

} // namespace
} // namespace plok
