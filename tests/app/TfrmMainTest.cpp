// The main window as a view: its layout, and that what the user does reaches its presenter and what the presenter
// decides reaches the screen. The decisions themselves are tested on claims::MainPresenter.
#include "app/TfrmMain.h"

#include "app/PresenterWindow.h"
#include "app/TfrmMsg.h"
#include "claims/Anonymize.h"
#include "claims/StripBranch.h"
#include "core/FileNames.h"
#include "core/Version.h"
#include "support/GuiSupport.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace plok::app {
namespace {

using Main = form::TfrmMain;
using Msg = form::TfrmMsg;

using namespace Qt::StringLiterals;
using test::Click;
using test::Control;
using test::ModalAs;
using test::Type;
using test::WhileModal;
namespace fs = std::filesystem;

const std::string kSocial
    = "IR,1,13,1,0123456,,clinic,50605,00,012\r\nRE,1,1112,50605,name,1,3450401,,,,,,,12345-01,x\r\n";
const std::string kNational
    = "IR,2,13,1,0123456,,clinic,50605,00,012\r\nRE,1,1112,50605,name,1,3450401,,,,,,,12345-01,x\r\n";

class TfrmMainTest : public test::GuiFixture
{
protected:
    static bool PositionsShown(const QWidget* main)
    {
        const bool shown = Control<QWidget>(main, Main::Edit4)->isVisible();
        for (const ControlId& name : {Main::Edit5, Main::Label4, Main::Label5})
            EXPECT_EQ(Control<QWidget>(main, name)->isVisible(), shown) << name;
        return shown;
    }
    /// Clicks `button`, then delivers with the result dialog it opens and returns the message the dialog showed.
    QString RunAndDeliver(const ControlId& button)
    {
        QString message;
        WhileModal([&] { Click(window, button); },
            [&](QWidget* w) {
                if (auto* dialog = ModalAs<TfrmMsg>(w)) {
                    EXPECT_EQ(dialog->parentWidget(), window.data());
                    message = Control<QLabel>(dialog, Msg::Label1)->text();
                    Click(dialog, Msg::Button1);
                }
            });
        return message;
    }

    QPointer<TfrmMain> window = Show<TfrmMain>();
};

TEST_F(TfrmMainTest, Layout)
{
    test::CheckLayout(window,
        {u"プロク"_s, {348, 412}, 12, Qt::Window,
            {
                {Main::BitBtn1, "QPushButton", {265, 8, 75, 25}, u"閉じる(&C)"_s, true, 11},
                {Main::Button1, "QPushButton", {72, 182, 201, 25}, u"レセ電データ匿名化"_s, true, 3},
                {Main::Edit1, "QLineEdit", {159, 101, 160, 23}, {}, true, 1},
                {Main::Edit2, "QLineEdit", {159, 135, 160, 23}, {}, true, 2},
                {Main::Memo1, "QPlainTextEdit", {265, 39, 205, 44}, {}, false, 12},
                {Main::Button2, "QPushButton", {72, 227, 201, 25}, u"レセ電データ枝番除去"_s, true, 4},
                {Main::ComboBox1, "QComboBox", {57, 258, 240, 23}, u"記号「-」「*」「/」より後を除去する"_s, true, 5},
                {Main::Edit4, "QLineEdit", {71, 287, 50, 23}, {}, false, 6},
                {Main::Edit5, "QLineEdit", {183, 287, 50, 23}, {}, false, 7},
                {Main::Button3, "QPushButton", {72, 58, 201, 25}, u"ファイル選択"_s, true, 0},
                {Main::Button4, "QPushButton", {72, 317, 201, 25}, u"保存先設定"_s, true, 8},
                {Main::Button5, "QPushButton", {8, 8, 75, 25}, u"マニュアル"_s, true, 10},
                {Main::Button6, "QPushButton", {72, 348, 201, 25}, u"オプション"_s, true, 9},
                {Main::Label2, "QLabel", {49, 104, 104, 15}, u"社保レセ電データ："_s, true, -1},
                {Main::Label3, "QLabel", {49, 138, 104, 15}, u"国保レセ電データ："_s, true, -1},
                {Main::Label4, "QLabel", {127, 291, 48, 15}, u"番目から"_s, false, -1},
                {Main::Label5, "QLabel", {239, 291, 26, 15}, u"番目"_s, false, -1},
                {Main::Label8, "QLabel", {276, 391, 64, 15}, u"Ver."_s + QLatin1String(kVersion), true, -1},
            }});
    auto* combo = Control<QComboBox>(window, Main::ComboBox1);
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->itemText(1), u"指定の位置の文字以外を除去する"_s);
    // A fixed list: no typed text can leave the removal without a mode.
    EXPECT_FALSE(combo->isEditable());
    EXPECT_FALSE(Control<QPushButton>(window, Main::BitBtn1)->icon().isNull());
    EXPECT_TRUE(prompts.shown().empty());
}

TEST_F(TfrmMainTest, TypedPathsModeAndPositionsReachTheRunAndItsResultDialog)
{
    const QString social = QString::fromStdU16String(DataFile("social.UKE", kSocial));
    const QString national = QString::fromStdU16String(DataFile("national.UKE", kNational));
    Type(window, Main::Edit1, social);
    Type(window, Main::Edit2, national);
    auto* combo = Control<QComboBox>(window, Main::ComboBox1);
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    EXPECT_TRUE(PositionsShown(window));
    Type(window, Main::Edit4, u"2"_s);
    Type(window, Main::Edit5, u"3"_s);

    EXPECT_EQ(RunAndDeliver(Main::Button2), QString::fromStdU16String(claims::kBranchStrippedText));
    const std::string delivered = test::ReadBytes(env.downloads / "(50605提出_国保)RECEIPTC.uke");
    EXPECT_NE(delivered.find(",,,,,,,23,x\r\n"), std::string::npos) << delivered;
    EXPECT_TRUE(fs::exists(env.downloads / "(50605提出_社保)RECEIPTC.uke"));

    EXPECT_EQ(RunAndDeliver(Main::Button1), QString::fromStdU16String(claims::kAnonymizedText));
    EXPECT_TRUE(fs::exists(env.downloads / "50605_1.UKE"));
    EXPECT_TRUE(fs::exists(env.downloads / "50605_2.UKE"));
    for (const auto& e : fs::directory_iterator(env.programFolder))
        EXPECT_EQ(e.path().filename(), "user.ini");
    EXPECT_TRUE(prompts.shown().empty());
}

TEST_F(TfrmMainTest, WhatIsNoClaimsFileIsRefusedTypedOrChosenInTheRunsWords)
{
    const std::u16string patients = DataFile("patients.csv", "ID,1,yamada,19700712\r\n");
    const std::u16string empty = DataFile("empty.UKE", "");
    const test::TempDir scratch;
    const std::u16string notClaims = claims::Conv(ToPath(patients), scratch.path()).message;
    const std::u16string isEmpty = claims::Conv(ToPath(empty), scratch.path()).message;
    ASSERT_NE(notClaims.find(u"レセ電データではありません"), std::u16string::npos);
    ASSERT_NE(isEmpty.find(u"ファイルが空"), std::u16string::npos);

    Type(window, Main::Edit1, QString::fromStdU16String(patients));
    Type(window, Main::Edit2, QString::fromStdU16String(empty));
    for (const ControlId& button : {Main::Button1, Main::Button2}) {
        SCOPED_TRACE(std::string(button.name()));
        prompts.Clear();
        // No result dialog opens: nothing was written.
        bool opened = false;
        QTimer::singleShot(0, window, [&] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                opened = true;
                modal->close();
            }
        });
        Click(window, button);
        QCoreApplication::processEvents();
        EXPECT_FALSE(opened);
        EXPECT_EQ(prompts.Texts("warning"),
            (std::vector<std::u16string> {
                notClaims + u"\n社保レセ電データ：" + patients, isEmpty + u"\n国保レセ電データ：" + empty}));
        EXPECT_TRUE(fs::is_empty(env.downloads));
        for (const auto& e : fs::directory_iterator(env.programFolder))
            EXPECT_EQ(e.path().filename(), "user.ini");
    }

    // Chosen in the open-file dialog, which offers claims files of every kind, they are refused in the same words.
    prompts.Clear();
    Type(window, Main::Edit1, u""_s);
    Type(window, Main::Edit2, u""_s);
    prompts.AnswerFile(patients);
    prompts.AnswerFile(empty);
    Click(window, Main::Button3);
    EXPECT_EQ(prompts.Texts("warning"), (std::vector<std::u16string> {notClaims, isEmpty}));
    EXPECT_EQ(Control<QLineEdit>(window, Main::Edit1)->text(), QString());
    EXPECT_EQ(Control<QLineEdit>(window, Main::Edit2)->text(), QString());
    EXPECT_EQ(prompts.openFileTypes(),
        std::vector<std::vector<std::u16string>>(2, {u"レセ電データ|*.UKE *.CYO", u"すべてのファイル|*"}));
}

TEST_F(TfrmMainTest, ChosenFilesShowTheirNamesWithTheWholePathOnHover)
{
    // Both files of a month lie in one deep folder: only their names tell the fields apart.
    const std::string folder = "clinic/レセプト電算/令和7年/2025年06月提出分/社保と国保/";
    fs::create_directories(root / "data" / folder);
    const std::u16string social = DataFile(folder + "social.UKE", kSocial);
    const std::u16string national = DataFile(folder + "national.UKE", kNational);
    prompts.AnswerFile(social);
    prompts.AnswerFile(national);
    Click(window, Main::Button3);
    for (const auto& [field, path] : {std::pair {Main::Edit1, social}, std::pair {Main::Edit2, national}}) {
        SCOPED_TRACE(std::string(field.name()));
        auto* edit = Control<QLineEdit>(window, field);
        ASSERT_EQ(edit->text(), QString::fromStdU16String(path));
        ASSERT_GT(edit->fontMetrics().horizontalAdvance(edit->text()), edit->width());
        edit->grab(); // laid out as painted
        EXPECT_EQ(edit->cursorPosition(), edit->text().size());
        const QRect cursor = edit->inputMethodQuery(Qt::ImCursorRectangle).toRect();
        EXPECT_GE(cursor.left(), 0);
        EXPECT_LE(cursor.right(), edit->width());
        EXPECT_EQ(edit->toolTip(), edit->text());
    }
}

TEST_F(TfrmMainTest, TheComboTakesKeysAndNoTextAndTheChoiceIsStoredOnClosing)
{
    Setting(u"CB1", u"1");
    QPointer<TfrmMain> restored = Show<TfrmMain>();
    auto* combo = Control<QComboBox>(restored, Main::ComboBox1);
    EXPECT_EQ(combo->currentIndex(), 1);
    // The position fields follow the restored mode.
    EXPECT_TRUE(PositionsShown(restored));
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Up);
    EXPECT_FALSE(PositionsShown(restored));
    QTest::keyClick(combo, Qt::Key_Down);
    EXPECT_TRUE(PositionsShown(restored));

    // Stray keys leave the mode as it was.
    QTest::keyClicks(combo, "ab x");
    EXPECT_EQ(combo->currentIndex(), 1);
    QTest::keyClick(combo, Qt::Key_Up);
    Click(restored, Main::BitBtn1);
    EXPECT_FALSE(restored->isVisible());
    EXPECT_EQ(Stored(u"CB1"), u"0");

    // The close box stores it as well.
    Control<QComboBox>(restored, Main::ComboBox1)->setCurrentIndex(1);
    restored->show();
    restored->close();
    EXPECT_EQ(Stored(u"CB1"), u"1");
    EXPECT_TRUE(prompts.shown().empty());
}

TEST_F(TfrmMainTest, SettingThatCannotBeWrittenIsReportedAndTheWindowStillCloses)
{
    env.settingsFile = root / "missing" / "user.ini";
    QPointer<TfrmMain> main = Show<TfrmMain>();
    Click(main, Main::BitBtn1);
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(prompts.Texts("error").size(), 1u);
}

TEST_F(TfrmMainTest, EveryOtherButtonReachesThePresenter)
{
    prompts.AnswerFile(std::nullopt);
    prompts.AnswerFile(std::nullopt);
    Click(window, Main::Button3);
    EXPECT_EQ(prompts.Texts("information").size(), 2u);
    Click(window, Main::Button5);
    EXPECT_EQ(prompts.Texts("document"), std::vector<std::u16string> {env.manual.u16string()});

    WhileModal([&] { Click(window, Main::Button4); },
        [&](QWidget* w) {
            if (auto* savePath = ModalAs<TfrmSavePath>(w)) {
                EXPECT_EQ(savePath->parentWidget(), window.data());
                savePath->close();
            }
        });
    WhileModal([&] { Click(window, Main::Button6); },
        [&](QWidget* w) {
            if (auto* option = ModalAs<TfrmOption>(w)) {
                EXPECT_EQ(option->parentWidget(), window.data());
                option->close();
            }
        });
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(prompts.AllAnswersUsed());
}

} // namespace
} // namespace plok::app
