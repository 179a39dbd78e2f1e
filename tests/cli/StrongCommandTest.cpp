#include "claims/StrongAnonymize.h"
#include "core/FileNames.h"
#include "core/Text.h"
#include "support/CliRun.h"
#include "support/ScopedEnv.h"
#include "support/Sjis.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using plok::test::CliRun;
using plok::test::FileCount;
using plok::test::ReadBytes;
using plok::test::RunCli;
using plok::test::ScopedEnv;
using plok::test::Sjis;
using plok::test::TempDir;
using plok::test::WriteBytes;

namespace {

namespace fs = std::filesystem;
namespace crypto = plok::crypto;

/// A social claims file of one receipt; `disease` is the name of a coded disease.
std::string Claims(std::u16string_view disease)
{
    return Sjis({
        u"IR,1,13,1,1310001,,山田内科,50605,00,03-1111-2222",
        u"RE,1,1112,50605,佐藤　花子,2,3450712,,,,,,,12345-01",
        u"SY,8830052,5060501,1,," + std::u16string(disease),
    });
}

class StrongCommand : public testing::Test
{
protected:
    void SetUp() override
    {
        WriteBytes(in / "RECEIPTC.UKE", Claims(u"胃炎"));
        WriteBytes(in / "clinic.key", std::string(32, 'k'));
        // The user's alone, as a key should be: a key others may reach is warned of (PosixKeyTest.cpp).
        fs::permissions(in / "clinic.key", fs::perms::owner_read | fs::perms::owner_write);
        fs::permissions(in.path(), fs::perms::owner_all);
    }
    std::string In(const char* name) const { return plok::PathUtf8(in / name); }
    CliRun Anonymize(std::vector<std::string> options)
    {
        std::vector<std::string> args = {"anonymize", "--out", plok::PathUtf8(out.path())};
        args.insert(args.end(), options.begin(), options.end());
        args.push_back(In("RECEIPTC.UKE"));
        return RunCli(args);
    }

    TempDir in;
    TempDir out;
    // The desktop program's settings folder, where plok-cli finds the clinic key without --key: config/plok, from
    // XDG_CONFIG_HOME, or on Windows from APPDATA.
    TempDir config;
    ScopedEnv env {{{"XDG_CONFIG_HOME", plok::PathUtf8(config.path())}, {"APPDATA", plok::PathUtf8(config.path())}}};
    const fs::path settingsKey = config / "plok" / "plok.key";
};

TEST_F(StrongCommand, WithoutKeyTheDesktopProgramsKeyIsMadeOnceAndUsed)
{
    const CliRun first = Anonymize({"--strong"});
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.out, "50605_1_strong.UKE\n");
    ASSERT_TRUE(fs::exists(settingsKey));
    const std::string key = ReadBytes(settingsKey);
    EXPECT_EQ(key.size(), 32u);
    const std::string copy = ReadBytes(out / "50605_1_strong.UKE");
    EXPECT_EQ(copy.find(key), std::string::npos) << "the key is never written out";
    EXPECT_EQ(first.err.find(key), std::string::npos);

    // The same key gives the same copy, found in the settings folder or named with --key.
    EXPECT_EQ(Anonymize({"--strong"}).status, 0);
    EXPECT_EQ(ReadBytes(out / "50605_1_strong.UKE"), copy);
    EXPECT_EQ(ReadBytes(settingsKey), key);
    EXPECT_EQ(Anonymize({"--strong", "--key", plok::PathUtf8(settingsKey)}).status, 0);
    EXPECT_EQ(ReadBytes(out / "50605_1_strong.UKE"), copy);
    // Another key, other pseudonyms.
    EXPECT_EQ(Anonymize({"--strong", "--key", In("clinic.key")}).status, 0);
    EXPECT_NE(ReadBytes(out / "50605_1_strong.UKE"), copy);
}

TEST_F(StrongCommand, TheKeysIdTellsWhichKeyMadeACopyAndIsWrittenNowhereElse)
{
    const auto idLine = [](const std::string& file, const crypto::Key& key) {
        return "plok-cli: " + file + ": " + plok::ToUtf8(plok::claims::KeyIdText(key)) + "\n";
    };
    crypto::Key clinic {};
    clinic.fill('k');
    const CliRun chosen = Anonymize({"--strong", "--key", In("clinic.key")});
    EXPECT_EQ(chosen.status, 0);
    EXPECT_EQ(chosen.out, "50605_1_strong.UKE\n") << "stdout lists the files written, nothing else";
    EXPECT_EQ(chosen.err, idLine(In("clinic.key"), clinic));
    const std::string id = plok::claims::KeyId(clinic);
    const std::string copy = ReadBytes(out / "50605_1_strong.UKE");
    for (const std::string& form : {id, id.substr(0, 4) + id.substr(5)}) {
        EXPECT_EQ(copy.find(form), std::string::npos) << form;
    }

    // The settings folder's key, made by this run: its own ID, the one the desktop program computes from its key.
    const CliRun made = Anonymize({"--strong"});
    EXPECT_EQ(made.status, 0);
    const std::string bytes = ReadBytes(settingsKey);
    crypto::Key key {};
    std::copy(bytes.begin(), bytes.end(), key.begin());
    EXPECT_EQ(made.err, idLine(plok::PathUtf8(settingsKey), key));
    EXPECT_NE(plok::claims::KeyId(key), id);

    // A default run uses no key and tells of none.
    EXPECT_EQ(Anonymize({}).err, "");
}

TEST_F(StrongCommand, AKeyThatCannotBeUsedIsRefusedWithTwoAndNothingIsWritten)
{
    WriteBytes(in / "short.key", std::string(31, 'k'));
    fs::create_directory(in / "folder.key");
    struct Case
    {
        const char* name;
        std::vector<std::string> options;
        std::string start; // of stderr, after "plok-cli: "
        std::string reason;
    };
    const std::string kRefused = ": 強い匿名化の鍵ファイル";
    const std::vector<Case> cases = {
        {"missing", {"--strong", "--key", In("none.key")}, In("none.key") + kRefused, "鍵ファイルがありません。"},
        {"short", {"--strong", "--key", In("short.key")}, In("short.key") + kRefused, "（31バイト）"},
        {"a folder", {"--strong", "--key", In("folder.key")}, In("folder.key") + kRefused, "フォルダです。"},
        // An unset variable in a batch script: never the settings folder's key in its place.
        {"empty", {"--strong", "--key", ""}, "--key のファイル名が空です", "--key names no file (an unset variable?)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CliRun r = Anonymize(c.options);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_TRUE(r.err.starts_with("plok-cli: " + c.start)) << r.err;
        EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
        EXPECT_EQ(FileCount(out.path()), 0u);
    }
    EXPECT_FALSE(fs::exists(settingsKey)) << "a key named with --key is never replaced by a new one";

    // The settings folder's key, broken: refused and kept as it is, for the staff to put back.
    fs::create_directories(settingsKey.parent_path());
    WriteBytes(settingsKey, "broken");
    const CliRun r = Anonymize({"--strong"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("削除すると次の実行で新しい鍵が作られます"), std::string::npos) << r.err;
    EXPECT_EQ(ReadBytes(settingsKey), "broken");
    EXPECT_EQ(FileCount(out.path()), 0u);

    const CliRun usage = Anonymize({"--key", In("clinic.key")});
    EXPECT_EQ(usage.status, 2);
    EXPECT_NE(usage.err.find("--key goes with --strong"), std::string::npos) << usage.err;
    EXPECT_NE(usage.err.find("Usage: plok-cli anonymize"), std::string::npos);
}

TEST_F(StrongCommand, AuditedStrongRunRefusesACopyThatKeepsABirthDate)
{
    // A birth date typed as the name of a coded disease stays in the copy.
    WriteBytes(in / "RECEIPTC.UKE", Claims(u"3450712"));
    const CliRun refused = Anonymize({"--strong", "--audit", "--key", In("clinic.key")});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, "");
    EXPECT_NE(refused.err.find("3行目 SY 項目5: 生年月日"), std::string::npos) << refused.err;
    EXPECT_EQ(FileCount(out.path()), 0u);

    // Without --audit the copy is written; plok-cli audit --strong finds the same.
    EXPECT_EQ(Anonymize({"--strong", "--key", In("clinic.key")}).status, 0);
    const CliRun audit = RunCli({"audit", "--strong", In("RECEIPTC.UKE"), plok::PathUtf8(out / "50605_1_strong.UKE")});
    EXPECT_EQ(audit.status, 1);
    // Then the figures of the receipts one can single out.
    EXPECT_TRUE(audit.out.starts_with(
        "3行目 SY 項目5: 生年月日\n元の識別情報が残っています: 1件（生年月日 1件）\nレセプト 1件"))
        << audit.out;
    // The default audit knows nothing of birth dates.
    EXPECT_EQ(RunCli({"audit", In("RECEIPTC.UKE"), plok::PathUtf8(out / "50605_1_strong.UKE")}).status, 0);
}

} // namespace
