// The save-destination window as a view: its layout, and that the user's choices reach its presenter. What is stored
// when is tested on claims::SavePathPresenter.
#include "app/PresenterWindow.h"
#include "support/GuiSupport.h"

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

namespace plok::app {
namespace {

using SavePath = form::TfrmSavePath;

using namespace Qt::StringLiterals;
using test::Click;
using test::Control;
namespace fs = std::filesystem;

class TfrmSavePathTest : public test::GuiFixture
{
protected:
    static void ClickItem(const QWidget* window, int index)
    {
        auto* item
            = Control<QRadioButton>(window, index == 0 ? SavePath::RadioGroup1Item0 : SavePath::RadioGroup1Item1);
        QTest::mouseClick(item, Qt::LeftButton, {}, QPoint(6, item->height() / 2));
    }
};

TEST_F(TfrmSavePathTest, Layout)
{
    QPointer<TfrmSavePath> shown = new TfrmSavePath(env, prompts);
    bool returned = false;
    test::WhileModal([&] { returned = shown->DspSet(); },
        [](QWidget* w) {
            auto* dialog = test::ModalAs<TfrmSavePath>(w);
            if (!dialog)
                return;
            test::CheckLayout(dialog,
                {u"保存先選択"_s, {317, 159}, 12, Qt::Dialog,
                    {
                        {SavePath::RadioGroup1, "QGroupBox", {32, 37, 261, 57}, {}, true, 0},
                        {SavePath::BitBtn1, "QPushButton", {234, 7, 75, 25}, u"閉じる(&C)"_s, true, 3},
                        {SavePath::Button1, "QPushButton", {126, 125, 75, 25}, u"保存先選択"_s, false, 2},
                        {SavePath::Edit1, "QLineEdit", {32, 96, 261, 23}, {}, false, 1},
                        {SavePath::RadioGroup1Item0, "QRadioButton", {8, 18, 150, 21}, u"ダウンロードフォルダ"_s, true,
                            -1},
                        {SavePath::RadioGroup1Item1, "QRadioButton", {164, 18, 94, 21}, u"保存先指定"_s, true, -1},
                    }});
            EXPECT_TRUE(Control<QGroupBox>(dialog, SavePath::RadioGroup1)->title().isEmpty());
            EXPECT_TRUE(Control<QRadioButton>(dialog, SavePath::RadioGroup1Item0)->isChecked());
            EXPECT_FALSE(Control<QPushButton>(dialog, SavePath::BitBtn1)->icon().isNull());
            Click(dialog, SavePath::BitBtn1);
        });
    EXPECT_TRUE(returned);
    EXPECT_TRUE(shown.isNull());
    EXPECT_TRUE(prompts.shown().empty());
}

TEST_F(TfrmSavePathTest, GroupKeepsItsHorizontalCentreWhenResized)
{
    const QPointer<TfrmSavePath> window = Show<TfrmSavePath>();
    auto* group = Control<QGroupBox>(window, SavePath::RadioGroup1);
    for (const auto& [size, left] :
        std::vector<std::pair<QSize, int>> {{{417, 159}, 82}, {{317, 300}, 32}, {{217, 100}, 32}}) {
        window->resize(size);
        EXPECT_EQ(group->geometry(), QRect(left, 37, 261, 57)) << size.width() << "x" << size.height();
    }
    // It never shrinks below its design size.
    EXPECT_EQ(window->size(), QSize(317, 159));
}

TEST_F(TfrmSavePathTest, TheStoredFolderShowsAndTheUsersChoicesReachThePresenter)
{
    Setting(u"SAVEFDR", u"/stored");
    const QPointer<TfrmSavePath> window = Show<TfrmSavePath>();
    EXPECT_TRUE(Control<QRadioButton>(window, SavePath::RadioGroup1Item1)->isChecked());
    EXPECT_TRUE(Control<QPushButton>(window, SavePath::Button1)->isVisible());
    EXPECT_EQ(Control<QLineEdit>(window, SavePath::Edit1)->text(), u"/stored"_s);
    EXPECT_TRUE(Control<QLineEdit>(window, SavePath::Edit1)->isReadOnly());

    // Clicking the item already selected chooses nothing.
    ClickItem(window, 1);
    EXPECT_EQ(Stored(u"SAVEFDR"), u"/stored");
    ClickItem(window, 0);
    EXPECT_EQ(Stored(u"SAVEFDR"), u"");
    EXPECT_FALSE(Control<QPushButton>(window, SavePath::Button1)->isVisible());
    ClickItem(window, 1);
    prompts.AnswerFolder(u"/picked");
    Click(window, SavePath::Button1);
    EXPECT_EQ(Stored(u"SAVEFDR"), u"/picked");
    EXPECT_EQ(Control<QLineEdit>(window, SavePath::Edit1)->text(), u"/picked"_s);
    EXPECT_EQ(prompts.Texts("browse-folder").size(), 1u);
    EXPECT_TRUE(prompts.AllAnswersUsed());
}

} // namespace
} // namespace plok::app
