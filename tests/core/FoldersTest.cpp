#include "core/Folders.h"

#include "core/Errors.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace plok {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

TEST(Folders, PortableOnlyWithAUserIniBesideTheExecutable)
{
    TempDir dir;
    EXPECT_FALSE(PortableFolders(dir.path()));
    test::WriteBytes(dir / "user.ini", "");
    const std::optional<Folders> folders = PortableFolders(dir.path());
    ASSERT_TRUE(folders);
    EXPECT_TRUE(folders->portable);
    EXPECT_EQ(folders->workFolder, dir.path());
    EXPECT_EQ(folders->settingsFile, dir / "user.ini");
}

TEST(Folders, InstalledFoldersAreCreatedOnceAndKeepWhatIsInThem)
{
    TempDir dir;
    const Folders folders = InstalledFolders(dir / "設定" / "深い", dir / "作業");
    EXPECT_FALSE(folders.portable);
    EXPECT_EQ(folders.settingsFile, dir / "設定" / "深い" / "plok" / "user.ini");
    EXPECT_EQ(folders.workFolder, dir / "作業" / "plok");
    EXPECT_TRUE(fs::is_directory(folders.workFolder));
    EXPECT_TRUE(fs::is_directory(folders.settingsFile.parent_path()));
    EXPECT_FALSE(fs::exists(folders.settingsFile));

    test::WriteBytes(folders.workFolder / "50605_1.UKE", "x");
    EXPECT_EQ(InstalledFolders(dir / "設定" / "深い", dir / "作業").workFolder, folders.workFolder);
    EXPECT_EQ(test::ReadBytes(folders.workFolder / "50605_1.UKE"), "x");
}

TEST(Folders, AFileInTheWayIsAClearError)
{
    TempDir dir;
    test::WriteBytes(dir / "file", "");
    for (const fs::path& folder : {dir / "file", dir / "file" / "plok"}) {
        try {
            CreatePrivateFolder("作業フォルダ", folder);
            ADD_FAILURE() << "no error for " << PathUtf8(folder);
        } catch (const Error& e) {
            const std::string expected = "作業フォルダ \"" + PathUtf8(folder) + "\" を作成できません。(";
            EXPECT_EQ(std::string(e.what()).rfind(expected, 0), 0u) << e.what();
        }
    }
}

} // namespace
} // namespace plok
