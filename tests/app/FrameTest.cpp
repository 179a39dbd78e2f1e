// The frame every window shares: the close button with its glyph closes the window, and a child window is deleted once
// closed while the main window stays for the program to end.
#include "app/PresenterWindow.h"
#include "app/TfrmMain.h"
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
        ControlId close;
        bool deleted;
    };
    const std::vector<Case> cases = {
        {"main", [&] { return new app::TfrmMain(env, prompts); }, form::TfrmMain::BitBtn1, false},
        {"option", [&] { return new app::TfrmOption(env, prompts); }, form::TfrmOption::BitBtn1, true},
        {"converter", [&] { return new app::TfrmConvert(env, prompts); }, form::TfrmConvert::BitBtn1, true},
        {"replacement", [&] { return new app::TfrmReplace(env, prompts); }, form::TfrmReplace::BitBtn1, true},
        {"save destination", [&] { return new app::TfrmSavePath(env, prompts); }, form::TfrmSavePath::BitBtn1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QPointer<QWidget> window = c.make();
        window->show();
        auto* close = Control<QPushButton>(window, c.close);
        ASSERT_NE(close, nullptr);
        EXPECT_FALSE(close->icon().isNull());
        Click(window, c.close);
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
    const std::vector<std::pair<ControlId, std::function<QWidget*()>>> windows = {
        {form::TfrmMain::BitBtn1, [&] { return new app::TfrmMain(env, prompts); }},
        {form::TfrmOption::BitBtn1, [&] { return new app::TfrmOption(env, prompts); }},
        {form::TfrmConvert::BitBtn1, [&] { return new app::TfrmConvert(env, prompts); }},
        {form::TfrmReplace::BitBtn1, [&] { return new app::TfrmReplace(env, prompts); }},
        {form::TfrmSavePath::BitBtn1, [&] { return new app::TfrmSavePath(env, prompts); }},
    };
    for (const auto& [close, make] : windows) {
        SCOPED_TRACE(testing::Message() << close);
        const std::unique_ptr<QWidget> window(make());
        window->show();
        const QSize design = window->size();
        window->resize(120, 60);
        EXPECT_EQ(window->size(), design);
        EXPECT_TRUE(window->rect().contains(Control<QPushButton>(window.get(), close)->geometry()));
        // Larger stays possible: the border is sizable.
        window->resize(design + QSize(50, 50));
        EXPECT_EQ(window->size(), design + QSize(50, 50));
    }
}

} // namespace
} // namespace plok::test
