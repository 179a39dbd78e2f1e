// The frame every window shares: the close button with its glyph closes the window, and a child window is deleted once
// closed while the main window stays for the program to end.
#include "app/TfrmConvert.h"
#include "app/TfrmMain.h"
#include "app/TfrmOption.h"
#include "app/TfrmReplace.h"
#include "app/TfrmSavePath.h"
#include "support/GuiSupport.h"

#include <QPushButton>
#include <memory>

#include <gtest/gtest.h>

namespace plok::test {
namespace {

using Frame = GuiFixture;

TEST_F(Frame, TheCloseButtonClosesEveryWindowAndAChildWindowIsDeleted)
{
    struct Case
    {
        const char* name;
        std::function<QWidget*()> make;
        bool deleted;
    };
    const std::vector<Case> cases = {
        {"main", [&] { return new app::TfrmMain(env, prompts); }, false},
        {"option", [&] { return new app::TfrmOption(env, prompts); }, true},
        {"converter", [&] { return new app::TfrmConvert(env, prompts); }, true},
        {"replacement", [&] { return new app::TfrmReplace(env, prompts); }, true},
        {"save destination", [&] { return new app::TfrmSavePath(env, prompts); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QPointer<QWidget> window = c.make();
        window->show();
        auto* close = Control<QPushButton>(window, "BitBtn1");
        ASSERT_NE(close, nullptr);
        EXPECT_FALSE(close->icon().isNull());
        Click(window, "BitBtn1");
        FlushDeletes();
        EXPECT_EQ(window.isNull(), c.deleted);
        if (!window.isNull()) {
            EXPECT_FALSE(window->isVisible());
            delete window.data();
        }
    }
    EXPECT_TRUE(prompts.Texts("error").empty());
}

TEST_F(Frame, NoWindowShrinksBelowItsDesignSizeSoNoControlLeavesTheView)
{
    const std::vector<std::pair<const char*, std::function<QWidget*()>>> windows = {
        {"main", [&] { return new app::TfrmMain(env, prompts); }},
        {"option", [&] { return new app::TfrmOption(env, prompts); }},
        {"converter", [&] { return new app::TfrmConvert(env, prompts); }},
        {"replacement", [&] { return new app::TfrmReplace(env, prompts); }},
        {"save destination", [&] { return new app::TfrmSavePath(env, prompts); }},
    };
    for (const auto& [name, make] : windows) {
        SCOPED_TRACE(name);
        const std::unique_ptr<QWidget> window(make());
        window->show();
        const QSize design = window->size();
        window->resize(120, 60);
        EXPECT_EQ(window->size(), design);
        EXPECT_TRUE(window->rect().contains(Control<QPushButton>(window.get(), "BitBtn1")->geometry()));
        // Larger stays possible: the border is sizable.
        window->resize(design + QSize(50, 50));
        EXPECT_EQ(window->size(), design + QSize(50, 50));
    }
}

} // namespace
} // namespace plok::test
