// The converter window as a view: its layout, and that the user's clicks and typing reach its presenter and the
// result reaches the result dialog. The decisions are tested on tools::ConvertPresenter.
#include "app/PresenterWindow.h"
#include "app/TfrmMsg.h"
#include "support/GuiSupport.h"

#include <QPushButton>

#include <gtest/gtest.h>

namespace plok::app {
namespace {

using Convert = form::TfrmConvert;
using Msg = form::TfrmMsg;

using test::Click;
using test::Control;
using test::Type;

std::string FfFile()
{
    std::string record = "100\tname\t1\t202406";
    for (int i = 4; i < 60; ++i)
        record += "\t1";
    return "header\r\n" + record + "\r\n";
}

using TfrmConvertTest = test::GuiFixture;

TEST_F(TfrmConvertTest, MatchesTheLayoutTable)
{
    const QPointer<TfrmConvert> window = Show<TfrmConvert>();
    test::CheckLayout(window,
        {QStringLiteral("ORVAコンバーター"), {348, 199},
            {
                {Convert::BitBtn1, "QPushButton", {265, 8, 75, 25}, QStringLiteral("閉じる(&C)"), true, 4},
                {Convert::Button3, "QPushButton", {72, 67, 201, 25}, QStringLiteral("変換前ファイル選択"), true, 0},
                {Convert::Label2, "QLabel", {36, 113, 98, 15}, QStringLiteral("変換前ファイル："), true, -1},
                {Convert::Edit1, "QLineEdit", {136, 110, 183, 23}, QString(), true, 2},
                {Convert::Button1, "QPushButton", {72, 145, 201, 25}, QStringLiteral("電カル連携ファイル作成"), true,
                    3},
                {Convert::Button2, "QPushButton", {279, 67, 45, 25}, QStringLiteral("CSV"), false, 1},
            }});
    EXPECT_FALSE(Control<QLineEdit>(window, Convert::Edit1)->isReadOnly());
    EXPECT_FALSE(Control<QPushButton>(window, Convert::BitBtn1)->icon().isNull());
}

TEST_F(TfrmConvertTest, ClicksAndTypingReachThePresenterAndTheResultDialog)
{
    const QPointer<TfrmConvert> window = Show<TfrmConvert>();
    prompts.AnswerFile(std::nullopt);
    Click(window, Convert::Button3);
    EXPECT_EQ(prompts.Texts("information").size(), 1u);
    EXPECT_EQ(prompts.Texts("warning").size(), 1u);

    Type(window, Convert::Edit1, QString::fromStdU16String(DataFile("ff.txt", FfFile())));
    Control<QPushButton>(window, Convert::Button2)->click();
    EXPECT_TRUE(std::filesystem::exists(env.programFolder / "202406_carte.csv"));
    test::WhileModal([&] { Click(window, Convert::Button1); },
        [&](QWidget* w) {
            if (auto* dialog = test::ModalAs<TfrmMsg>(w)) {
                EXPECT_EQ(dialog->parentWidget(), window.data());
                EXPECT_EQ(
                    Control<QLabel>(dialog, Msg::Label1)->text(), QStringLiteral("202406_carte.csvが作成されました"));
                dialog->close();
            }
        });
    // Showing the window again empties the field.
    window->hide();
    window->show();
    EXPECT_EQ(Control<QLineEdit>(window, Convert::Edit1)->text(), QString());
    EXPECT_EQ(prompts.Texts("warning").size(), 1u);
    EXPECT_TRUE(prompts.Texts("error").empty());
}

} // namespace
} // namespace plok::app
