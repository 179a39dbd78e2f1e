// The replacement window as a view: its layout, and that the user's clicks and typing reach its presenter and the
// result reaches the result dialog. The decisions are tested on tools::ReplacePresenter.
#include "app/PresenterWindow.h"
#include "app/TfrmMsg.h"
#include "support/GuiSupport.h"

#include <QCheckBox>
#include <QPushButton>

#include <gtest/gtest.h>

namespace plok::app {
namespace {

using Msg = form::TfrmMsg;
using Replace = form::TfrmReplace;

using test::Click;
using test::Control;
using test::Type;

using TfrmReplaceTest = test::GuiFixture;

TEST_F(TfrmReplaceTest, MatchesTheLayoutTable)
{
    const QPointer<TfrmReplace> window = Show<TfrmReplace>();
    test::CheckLayout(window,
        {QStringLiteral("リプレース"), {348, 228},
            {
                {Replace::BitBtn1, "QPushButton", {265, 8, 75, 25}, QStringLiteral("閉じる(&C)"), true, 8},
                {Replace::Button3, "QPushButton", {49, 8, 201, 25}, QStringLiteral("変換前フォルダ選択"), false, 7},
                {Replace::Edit1, "QLineEdit", {149, 110, 183, 23}, QString(), true, 2},
                {Replace::Button1, "QPushButton", {72, 186, 201, 25}, QStringLiteral("変換実行"), true, 6},
                {Replace::Edit2, "QLineEdit", {279, 64, 38, 23}, QString(), false, 1},
                {Replace::Edit3, "QLineEdit", {149, 139, 183, 23}, QString(), true, 3},
                {Replace::Button2, "QPushButton", {72, 63, 201, 25}, QStringLiteral("変換前ファイル選択"), true, 0},
                {Replace::CheckBox1, "QCheckBox", {49, 170, 131, 17}, QStringLiteral("0詰め10桁にする"), false, 4},
                {Replace::Edit4, "QLineEdit", {254, 168, 44, 23}, QString(), false, 5},
                {Replace::Label2, "QLabel", {37, 113, 110, 15}, QStringLiteral("変換前ファイル："), true, -1},
                {Replace::Label1, "QLabel", {37, 142, 110, 15}, QStringLiteral("変更定義ファイル："), true, -1},
                {Replace::Label3, "QLabel", {209, 170, 39, 15}, QStringLiteral("桁数："), false, -1},
            }});
    EXPECT_TRUE(Control<QCheckBox>(window, Replace::CheckBox1)->isChecked());
    EXPECT_FALSE(Control<QPushButton>(window, Replace::BitBtn1)->icon().isNull());
}

TEST_F(TfrmReplaceTest, ClicksAndTypingReachThePresenterAndTheResultDialog)
{
    const QPointer<TfrmReplace> window = Show<TfrmReplace>();
    prompts.AnswerFile(std::nullopt);
    prompts.AnswerFile(std::nullopt);
    Click(window, Replace::Button2);
    EXPECT_EQ(prompts.Texts("information").size(), 2u);
    prompts.AnswerFolder(std::nullopt);
    Control<QPushButton>(window, Replace::Button3)->click();
    EXPECT_EQ(prompts.Texts("browse-folder").size(), 1u);

    Type(window, Replace::Edit1, QString::fromStdU16String(DataFile("src.txt", "1,K1,a\r\n")));
    Type(window, Replace::Edit3, QString::fromStdU16String(DataFile("table.csv", "K1,N1\r\n")));
    test::WhileModal([&] { Click(window, Replace::Button1); },
        [&](QWidget* w) {
            if (auto* dialog = test::ModalAs<TfrmMsg>(w)) {
                EXPECT_EQ(dialog->parentWidget(), window.data());
                EXPECT_EQ(Control<QLabel>(dialog, Msg::Label1)->text(), QStringLiteral("srcR.txtが作成されました"));
                Click(dialog, Msg::Button1);
            }
        });
    EXPECT_EQ(Control<QLineEdit>(window, Replace::Edit2)->text(), QStringLiteral("1"));
    EXPECT_EQ(test::ReadBytes(env.downloads / "srcR.txt"), "1,N1,a\r\n");

    // Showing the window again empties the fields and checks the box.
    Control<QCheckBox>(window, Replace::CheckBox1)->setChecked(false);
    window->hide();
    window->show();
    for (const ControlId& e : {Replace::Edit1, Replace::Edit2, Replace::Edit3})
        EXPECT_EQ(Control<QLineEdit>(window, e)->text(), QString()) << e;
    EXPECT_TRUE(Control<QCheckBox>(window, Replace::CheckBox1)->isChecked());
    EXPECT_TRUE(prompts.AllAnswersUsed());
    EXPECT_TRUE(prompts.Texts("error").empty());
}

} // namespace
} // namespace plok::app
