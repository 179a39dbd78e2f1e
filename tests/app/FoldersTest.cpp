#include "app/Folders.h"

#include "core/Errors.h"
#include "support/Concat.h"
#include "support/TempDir.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace plok::app {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

std::string CannotCreate(const char* what, const fs::path& folder)
{
    return test::Concat(what, " \"", folder.string(), "\" を作成できません。");
}

class FoldersTest : public ::testing::Test
{
protected:
    FoldersTest()
    {
        fs::create_directories(exe);
        fs::create_directories(home);
    }

    static fs::perms Perms(const fs::path& p) { return fs::status(p).permissions() & fs::perms::all; }

    TempDir dir;
    const fs::path exe = dir / "bin";
    const fs::path home = dir / "home";
};

TEST_F(FoldersTest, PortableWhenAUserIniStandsBesideTheExecutable)
{
    test::WriteBytes(exe / "user.ini", "");
    const Folders folders = ResolveFolders(exe, {home, (dir / "config").string(), (dir / "data").string()});
    EXPECT_TRUE(folders.portable);
    EXPECT_EQ(folders.workFolder, exe);
    EXPECT_EQ(folders.settingsFile, exe / "user.ini");
    EXPECT_EQ(test::FileCount(home), 0u);
    EXPECT_FALSE(fs::exists(dir / "config"));
    EXPECT_FALSE(fs::exists(dir / "data"));
}

TEST_F(FoldersTest, OtherwiseTheXdgFoldersCreatedPrivate)
{
    struct Case
    {
        const char* name;
        std::string configHome;
        std::string dataHome;
        fs::path settingsFile;
        fs::path workFolder;
    };
    const std::vector<Case> cases = {
        {"unset", "", "", home / ".config/plok/user.ini", home / ".local/share/plok"},
        {"set", (dir / "config").string(), (dir / "data" / "deep").string(), dir / "config/plok/user.ini",
            dir / "data/deep/plok"},
        {"relative values are ignored", "config", "data", home / ".config/plok/user.ini", home / ".local/share/plok"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(home);
        fs::create_directory(home);
        const UserDirs dirs {home, c.configHome, c.dataHome};
        const Folders folders = ResolveFolders(exe, dirs);
        EXPECT_FALSE(folders.portable);
        EXPECT_EQ(folders.settingsFile, c.settingsFile);
        EXPECT_EQ(folders.workFolder, c.workFolder);
        EXPECT_EQ(Perms(folders.workFolder), fs::perms::owner_all);
        EXPECT_EQ(Perms(folders.workFolder.parent_path()), fs::perms::owner_all);
        EXPECT_EQ(Perms(folders.settingsFile.parent_path()), fs::perms::owner_all);
        EXPECT_FALSE(fs::exists(folders.settingsFile));
        EXPECT_EQ(test::FileCount(exe), 0u);

        // The next start finds the folders and keeps what is in them.
        test::WriteBytes(folders.workFolder / "50605_1.UKE", "x");
        EXPECT_EQ(ResolveFolders(exe, dirs).workFolder, c.workFolder);
        EXPECT_EQ(test::ReadBytes(folders.workFolder / "50605_1.UKE"), "x");
    }
}

TEST_F(FoldersTest, FolderThatCannotBeCreatedIsAClearError)
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
        {"work folder", {home, "", file.string()}, CannotCreate("作業フォルダ", file / "plok")},
        {"settings folder", {home, (file / "sub").string(), ""}, CannotCreate("設定フォルダ", file / "sub" / "plok")},
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
}

TEST(Folders, TheInstalledManualBesideTheProgramsComesFirst)
{
    TempDir dir;
    const fs::path bin = dir / "usr" / "bin";
    const fs::path page = dir / "usr" / "share" / "doc" / "plok" / "manual" / "index.html";
    fs::create_directories(bin);
    fs::create_directories(page.parent_path());
    EXPECT_NE(FindManual(bin), page);
    test::WriteBytes(page, "<!DOCTYPE html>");
    EXPECT_EQ(FindManual(bin), page);
}

} // namespace
} // namespace plok::app
