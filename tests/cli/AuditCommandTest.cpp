#include "support/CliRun.h"
#include "support/Sjis.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using plok::test::CliRun;
using plok::test::FileCount;
using plok::test::RunCli;
using plok::test::Sjis;
using plok::test::TempDir;
using plok::test::WriteBytes;

namespace {

/// A social claims file whose patient is 佐藤 花子; `note` is a hand-typed disease name.
std::string Claims(std::u16string_view note)
{
    return Sjis({
        u"IR,1,13,1,1310001,,山田内科,50605,00,03-1111-2222",
        u"RE,1,1112,50605,佐藤　花子,,,,,,,,,1001",
        u"SY,0000999,20230601,,01,,," + std::u16string(note),
    });
}

class AuditCommand : public testing::Test
{
protected:
    std::string Path(const char* name) const { return (dir / name).string(); }
    TempDir dir;
    TempDir out;
};

TEST_F(AuditCommand, ReportsEachFindingThenTheCountsAndExitsWithOne)
{
    WriteBytes(dir / "original.UKE", Claims(u"胃炎"));
    WriteBytes(dir / "copy.UKE",
        Sjis({u"IR,1,13,1,0123456,,ORVAクリニック,50605,00,012-345-6789", u"SY,0000999,20230601,,01,,,花子さん胃炎",
            u"CO,1,,x"}));
    const CliRun r = RunCli({"audit", Path("original.UKE"), Path("copy.UKE")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out,
        "2行目 SY 項目7: 患者氏名\n"
        "3行目 CO 項目0: コメント\n"
        "元の識別情報が残っています: 2件（患者氏名 1件、コメント 1件）\n");
}

TEST_F(AuditCommand, ACleanCopyExitsWithZeroAndUsageErrorsWithTwo)
{
    WriteBytes(dir / "original.UKE", Claims(u"胃炎"));
    ASSERT_EQ(RunCli({"anonymize", "-o", out.path().string(), Path("original.UKE")}).status, 0);
    const CliRun r = RunCli({"audit", Path("original.UKE"), (out / "50605_1.UKE").string()});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "元の識別情報は見つかりませんでした。\n");
    EXPECT_EQ(RunCli({"audit", Path("original.UKE")}).status, 2);
    EXPECT_EQ(RunCli({"audit", Path("original.UKE"), Path("original.UKE"), Path("original.UKE")}).status, 2);
}

TEST_F(AuditCommand, TheStrongAuditTellsHowManyReceiptsStandAlone)
{
    WriteBytes(dir / "original.UKE", Claims(u"胃炎"));
    WriteBytes(dir / "clinic.key", std::string(32, '\x5a'));
    std::filesystem::permissions(dir / "clinic.key", std::filesystem::perms::owner_read);
    ASSERT_EQ(
        RunCli({"anonymize", "--strong", "--key", Path("clinic.key"), "-o", out.path().string(), Path("original.UKE")})
            .status,
        0);
    const CliRun r = RunCli({"audit", "--strong", Path("original.UKE"), (out / "50605_1_strong.UKE").string()});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.find("元の識別情報は見つかりませんでした。\nレセプト "
                         "1件のうち、生まれ年月と性別が同じ人がほかにいないもの: 1件（100%）"),
        0u)
        << r.out;
}

TEST_F(AuditCommand, AFileThatCannotBeReadExitsWithTwoNamingThatFile)
{
    WriteBytes(dir / "original.UKE", Claims(u"胃炎"));
    WriteBytes(dir / "cr.UKE", "IR,1,13,1,1310001,,x,50605,00,03\r\nSY,1,,\rRE,2,1112,50605,a b\r\n");
    struct Case
    {
        std::string original, copy, named, message;
    };
    for (const Case& c : {Case {"missing.UKE", "original.UKE", "missing.UKE", "ファイルがありません。"},
             Case {"original.UKE", "missing.UKE", "missing.UKE", "ファイルがありません。"},
             Case {"original.UKE", "", "", "ファイルがありません。"},
             Case {"cr.UKE", "original.UKE", "cr.UKE", "2行目に、LF の続かない CR"},
             Case {"original.UKE", "cr.UKE", "cr.UKE", "2行目に、LF の続かない CR"}}) {
        SCOPED_TRACE(c.original + " " + c.copy);
        const CliRun r = RunCli({"audit", Path(c.original.c_str()), Path(c.copy.c_str())});
        EXPECT_EQ(r.status, 2);
        // Findings before the unreadable line may have been printed, but no verdict.
        EXPECT_EQ(r.out.find("元の識別情報"), std::string::npos);
        EXPECT_TRUE(r.err.starts_with("plok-cli: " + Path(c.named.c_str()) + ": " + c.message)) << r.err;
    }
}

TEST_F(AuditCommand, AnonymizeWithAuditDiscardsACopyWithFindings)
{
    WriteBytes(dir / "leaky.UKE", Claims(u"佐藤の胃炎"));
    WriteBytes(dir / "clean.UKE", Claims(u"胃炎").replace(0, 4, "IR,2"));
    const CliRun r = RunCli({"anonymize", "--audit", "-o", out.path().string(), Path("leaky.UKE"), Path("clean.UKE")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "50605_2.UKE\n");
    EXPECT_EQ(r.err,
        "plok-cli: " + Path("leaky.UKE") + ": 3行目 SY 項目7: 患者氏名\n" + "plok-cli: " + Path("leaky.UKE")
            + ": 匿名化ファイル「50605_1.UKE」に元の識別情報が残っているため、作成しませんでした。"
              "元の識別情報が残っています: 1件（患者氏名 1件）\n");
    EXPECT_EQ(FileCount(out.path()), 1u);
    EXPECT_TRUE(std::filesystem::exists(out / "50605_2.UKE"));
}

TEST_F(AuditCommand, AnonymizeWithAuditLooksForEveryOriginalsValuesInEachCopy)
{
    // A mother on social insurance, her child on national insurance: the child's name typed into the mother's file.
    WriteBytes(dir / "social.UKE", Claims(u"鈴木一郎くんの母"));
    WriteBytes(dir / "national.UKE",
        Sjis({
            u"IR,2,13,1,1310001,,山田内科,50605,00,03-1111-2222",
            u"RE,1,1112,50605,鈴木　一郎,,,,,,,,,1002",
            u"SY,0000999,20230601,,01,,,胃炎",
        }));
    const CliRun r
        = RunCli({"anonymize", "--audit", "-o", out.path().string(), Path("social.UKE"), Path("national.UKE")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "50605_2.UKE\n");
    EXPECT_NE(r.err.find("plok-cli: " + Path("social.UKE") + ": 3行目 SY 項目7: 患者氏名\n"), std::string::npos)
        << r.err;
    EXPECT_FALSE(std::filesystem::exists(out / "50605_1.UKE"));
}

} // namespace
