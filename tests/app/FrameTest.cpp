// The frame every window shares: the close button with its glyph closes the window, and a child window is deleted once
// closed while the main window stays for the program to end.
#include "app/TfrmConvert.h"
#include "app/TfrmMain.h"
#include "app/TfrmOption.h"
#include "app/TfrmReplace.h"
#include "app/TfrmSavePath.h"
#include "support/GuiSupport.h"

#include <QPushButton>

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

} // namespace
} // namespace plok::test
