#include "gui/Guard.h"

#include "app/QtPrompts.h"
#include "core/Errors.h"
#include "support/GuiSupport.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace plok::gui {
namespace {

std::optional<Qt::CursorShape> OverrideShape()
{
    const QCursor* cursor = QGuiApplication::overrideCursor();
    return cursor ? std::optional(cursor->shape()) : std::nullopt;
}

TEST(Guard, AHandlerRunsUnderTheBusyCursorWhichComesBackOnEveryWayOut)
{
    test::FakePrompts prompts;
    QPushButton button;
    std::optional<Qt::CursorShape> during;
    bool fail = false;
    ConnectGuarded(&button, &QPushButton::clicked, &button, prompts, [&] {
        during = OverrideShape();
        if (fail)
            throw IoError("ファイル \"x\" を開けません。");
    });
    for (const bool f : {false, true}) {
        fail = f;
        during.reset();
        button.click();
        EXPECT_EQ(during, Qt::WaitCursor);
        EXPECT_EQ(OverrideShape(), std::nullopt);
    }
    EXPECT_EQ(prompts.Texts("error"), std::vector<std::u16string> {u"ファイル \"x\" を開けません。"});
}

TEST(Guard, ABoxThatWaitsForTheUserShowsTheNormalCursor)
{
    app::QtPrompts prompts;
    const OverrideCursor busy(Qt::WaitCursor);
    std::optional<Qt::CursorShape> inBox;
    test::WhileModal([&] { prompts.Warning(u"ファイルがありません。"); },
        [&](QWidget* w) {
            inBox = OverrideShape();
            if (w)
                w->close();
        });
    EXPECT_EQ(inBox, Qt::ArrowCursor);
    EXPECT_EQ(OverrideShape(), Qt::WaitCursor);
}

} // namespace
} // namespace plok::gui
