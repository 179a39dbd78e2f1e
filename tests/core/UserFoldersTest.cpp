#include "core/UserFolders.h"

#include "core/Environment.h"
#include "core/Errors.h"
#include "core/FileNames.h"
#include "support/TempDir.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace plok {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

std::string CannotCreate(const char* what, const fs::path& folder)
{
    return std::string(what) + " \"" + PathUtf8(folder) + "\" を作成できません。(";
}

class UserFoldersTest : public ::testing::Test
{
protected:
    UserFoldersTest()
    {
        fs::create_directories(exe);
        fs::create_directories(home);
    }

    TempDir dir;
    const fs::path exe = dir / "bin";
    const fs::path home = dir / "home";
};

TEST_F(UserFoldersTest, PortableWhenAUserIniStandsBesideTheExecutable)
{
    const UserDirs dirs {home, dir / "config", dir / "data"};
    EXPECT_FALSE(FindSettings(exe, dirs).portable);
    test::WriteBytes(exe / "user.ini", "");
    const SettingsPlace settings = FindSettings(exe, dirs);
    EXPECT_TRUE(settings.portable);
    EXPECT_EQ(settings.settingsFile, exe / "user.ini");

    const Folders folders = ResolveFolders(exe, dirs);
    EXPECT_TRUE(folders.portable);
    EXPECT_EQ(folders.workFolder, exe);
    EXPECT_EQ(folders.settingsFile, exe / "user.ini");
    EXPECT_EQ(test::FileCount(home), 0u);
    EXPECT_FALSE(fs::exists(dir / "config"));
    EXPECT_FALSE(fs::exists(dir / "data"));
}

TEST_F(UserFoldersTest, OtherwiseTheUsersFoldersCreatedOnceAndKept)
{
    struct Case
    {
        const char* name;
        fs::path configHome;
        fs::path dataHome;
        fs::path settingsFile;
        fs::path workFolder;
    };
    const std::vector<Case> cases = {
        {"unset", "", "", home / ".config" / "plok" / "user.ini", home / ".local" / "share" / "plok"},
        {"set, deep and Japanese", dir / "設定", dir / "データ" / "深い", dir / "設定" / "plok" / "user.ini",
            dir / "データ" / "深い" / "plok"},
        {"relative values are ignored", "config", "data", home / ".config" / "plok" / "user.ini",
            home / ".local" / "share" / "plok"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(home);
        fs::create_directory(home);
        const UserDirs dirs {home, c.configHome, c.dataHome};
        // plok-cli finds the same settings file, and so the same clinic key, without creating anything.
        EXPECT_EQ(FindSettings(exe, dirs).settingsFile, c.settingsFile);
        EXPECT_EQ(DataFolder(dirs), c.workFolder);
        EXPECT_EQ(test::FileCount(home), 0u);

        const Folders folders = ResolveFolders(exe, dirs);
        EXPECT_FALSE(folders.portable);
        EXPECT_EQ(folders.settingsFile, c.settingsFile);
        EXPECT_EQ(folders.workFolder, c.workFolder);
        EXPECT_TRUE(fs::is_directory(folders.workFolder));
        EXPECT_TRUE(fs::is_directory(folders.settingsFile.parent_path()));
        EXPECT_FALSE(fs::exists(folders.settingsFile));
        EXPECT_EQ(test::FileCount(exe), 0u);

        // The next start finds the folders and keeps what is in them.
        test::WriteBytes(folders.workFolder / "50605_1.UKE", "x");
        EXPECT_EQ(ResolveFolders(exe, dirs).workFolder, c.workFolder);
        EXPECT_EQ(test::ReadBytes(folders.workFolder / "50605_1.UKE"), "x");
    }
}

TEST_F(UserFoldersTest, AFolderThatCannotBeCreatedIsAClearError)
{
    const fs::path file = dir / "file";
    test::WriteBytes(file, "");
    struct Case
    {
        const char* name;
        UserDirs dirs;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"work folder", {home, "", file}, CannotCreate("作業フォルダ", file / "plok")},
        {"settings folder", {home, file / "sub", ""}, CannotCreate("設定フォルダ", file / "sub" / "plok")},
        {"home is a file", {file, "", ""}, CannotCreate("設定フォルダ", file / ".config" / "plok")},
        {"no home", {"", "", ""}, "ホームフォルダが分かりません。"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            ResolveFolders(exe, c.dirs);
            ADD_FAILURE() << "no error";
        } catch (const Error& e) {
            EXPECT_EQ(std::string(e.what()).rfind(c.message, 0), 0u) << e.what();
        }
    }
    for (const fs::path& folder : {file, file / "plok"})
        EXPECT_THROW(CreatePrivateFolder("作業フォルダ", folder), Error) << PathUtf8(folder);
}

TEST(DeliveryFolder, DownloadsElseDocumentsElseNowhere)
{
    struct Case
    {
        fs::path downloads, documents, expected;
    };
    for (const Case& c : std::vector<Case> {{"/home/u/Downloads", "/home/u/Documents", "/home/u/Downloads"},
             {"", "/home/u/Documents", "/home/u/Documents"}, {"/home/u/Downloads", "", "/home/u/Downloads"},
             {"", "", ""}})
        EXPECT_EQ(DeliveryFolder(c.downloads, c.documents), c.expected) << c.downloads << " " << c.documents;
}

} // namespace
} // namespace plok
