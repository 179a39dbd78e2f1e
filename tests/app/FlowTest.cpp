#include "app/Flow.h"

#include "app/Folders.h"
#include "app/PresenterWindow.h"
#include "support/FakePrompts.h"
#include "support/GuiSupport.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QCoreApplication>

#include <gtest/gtest.h>

namespace plok::app {
namespace {

TEST(Flow, TheDesktopTakesTheResolvedFolders)
{
    test::TempDir home;
    const test::ScopedEnv env({{"HOME", home.path().string()}, {"XDG_CONFIG_HOME", {}}, {"XDG_DATA_HOME", {}}});
    const Environment desktop = DesktopEnvironment();
    const Folders folders = ResolveFolders(
        std::filesystem::path(QCoreApplication::applicationDirPath().toStdU16String()), UserDirs::FromEnvironment());
    EXPECT_EQ(desktop.programFolder, folders.workFolder);
    EXPECT_EQ(desktop.settingsFile, folders.settingsFile);
    EXPECT_TRUE(std::filesystem::is_directory(desktop.programFolder));
    EXPECT_FALSE(desktop.downloads.empty());
}

TEST(Flow, TheApplicationAndEveryWindowCarryTheIcon)
{
    PrepareApplication();
    EXPECT_FALSE(QApplication::windowIcon().isNull());
    EXPECT_FALSE(QApplication::windowIcon().pixmap(32, 32).isNull());
    EXPECT_EQ(QApplication::applicationName(), QStringLiteral("プロク"));
    test::TempDir dir;
    const Environment env {dir.path(), dir / "user.ini", dir / "Downloads"};
    test::FakePrompts prompts;
    const auto main = CreateMainWindow(env, prompts);
    EXPECT_EQ(main->windowIcon().cacheKey(), QApplication::windowIcon().cacheKey());
    const std::unique_ptr<TfrmOption> option(new TfrmOption(env, prompts));
    EXPECT_EQ(option->windowIcon().cacheKey(), QApplication::windowIcon().cacheKey());
}

} // namespace
} // namespace plok::app
