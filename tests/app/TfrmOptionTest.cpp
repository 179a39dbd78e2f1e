#include "app/PresenterWindow.h"
#include "support/GuiSupport.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace plok::app {
namespace {

using Convert = form::TfrmConvert;
using Option = form::TfrmOption;

using test::Control;
using test::WhileModal;

class OptionWindowTest : public test::GuiFixture
{
protected:
    QPointer<TfrmOption> window = Show<TfrmOption>();
};

TEST_F(OptionWindowTest, MatchesTheLayoutTable)
{
    test::CheckLayout(window,
        {QStringLiteral("オプション"), {348, 199},
            {
                {Option::BitBtn1, "QPushButton", {265, 8, 75, 25}, QStringLiteral("閉じる(&C)"), true, 3},
                {Option::Button1, "QPushButton", {96, 56, 153, 41}, QStringLiteral("ORVAコンバーター"), true, 0},
                {Option::Button2, "QPushButton", {96, 120, 153, 41}, QStringLiteral("リプレース"), true, 1},
                {Option::CheckBox1, "QCheckBox", {24, 172, 300, 17},
                    QStringLiteral("強い匿名化（カルテ番号・生年月日も置き換える）"), true, 2},
            }});
    EXPECT_FALSE(Control<QPushButton>(window, Option::BitBtn1)->icon().isNull());
}

TEST_F(OptionWindowTest, EachButtonOpensAFreshToolWindowEveryTime)
{
    struct Case
    {
        ControlId button;
        const char* window;
        ControlId edit;
        ControlId close;
    };
    for (const Case& c : {Case {Option::Button1, form::TfrmConvert::kName, Convert::Edit1, Convert::BitBtn1},
             Case {Option::Button2, form::TfrmReplace::kName, form::TfrmReplace::Edit1, form::TfrmReplace::BitBtn1}}) {
        SCOPED_TRACE(c.button);
        for (int opening = 0; opening < 2; ++opening) {
            SCOPED_TRACE(opening);
            QPointer<QDialog> tool;
            WhileModal([&] { QTest::mouseClick(Control<QPushButton>(window, c.button), Qt::LeftButton); },
                [&](QWidget* w) {
                    tool = test::ModalAs<QDialog>(w);
                    if (!tool)
                        return;
                    EXPECT_EQ(tool->objectName(), QString::fromLatin1(c.window));
                    EXPECT_EQ(tool->parentWidget(), window);
                    EXPECT_TRUE(tool->isVisible());
                    // What the previous opening left here must not show up in this one.
                    auto* edit = Control<QLineEdit>(tool, c.edit);
                    EXPECT_EQ(edit->text(), QString());
                    edit->setText(QStringLiteral("typed"));
                    QTest::mouseClick(Control<QPushButton>(tool, c.close), Qt::LeftButton);
                });
            EXPECT_TRUE(tool.isNull()) << "a closed tool window is deleted";
            EXPECT_TRUE(window->isVisible());
        }
    }
    EXPECT_TRUE(prompts.shown().empty());
}

TEST_F(OptionWindowTest, TheStrongAnonymizationIsShownAsSavedAndSavedWhenClicked)
{
    auto* check = Control<QCheckBox>(window, Option::CheckBox1);
    EXPECT_FALSE(check->isChecked());
    QTest::mouseClick(check, Qt::LeftButton);
    EXPECT_EQ(Stored(settings::kStrongAnonymization), u"1");
    window->close();

    QPointer<TfrmOption> next = Show<TfrmOption>();
    EXPECT_TRUE(Control<QCheckBox>(next, Option::CheckBox1)->isChecked());
    QTest::mouseClick(Control<QCheckBox>(next, Option::CheckBox1), Qt::LeftButton);
    EXPECT_EQ(Stored(settings::kStrongAnonymization), u"0");
    EXPECT_TRUE(prompts.shown().empty());
}

TEST_F(OptionWindowTest, DspSetShowsModallyUntilClosedThenTheWindowIsGone)
{
    window->hide();
    bool shownModal = false;
    bool returned = false;
    WhileModal([&] { returned = window->DspSet(); },
        [&](QWidget* w) {
            shownModal = w == window;
            QTest::mouseClick(Control<QPushButton>(window, Option::BitBtn1), Qt::LeftButton);
        });
    EXPECT_TRUE(shownModal);
    EXPECT_TRUE(returned);
    EXPECT_TRUE(window.isNull());
}

} // namespace
} // namespace plok::app
