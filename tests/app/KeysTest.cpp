// The keys a person presses: Enter in an edit field keeps the window and its text, Enter on a focused button presses
// it, and the mnemonic of 閉じる(&C) closes the window.
#include "app/PresenterWindow.h"
#include "app/TfrmMain.h"
#include "support/GuiSupport.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include <gtest/gtest.h>

namespace plok::test {
namespace {

using Convert = form::TfrmConvert;
using Main = form::TfrmMain;
using Option = form::TfrmOption;

class Keys : public GuiFixture
{
protected:
    /// Shows `window` and makes it the active window, as a click on it would.
    void Activate(QWidget* window)
    {
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    }

    std::vector<std::pair<const char*, std::function<QWidget*()>>> Windows()
    {
        return {
            {"main", [&] { return new app::TfrmMain(env, prompts); }},
            {"option", [&] { return new app::TfrmOption(env, prompts); }},
            {"converter", [&] { return new app::TfrmConvert(env, prompts); }},
            {"replacement", [&] { return new app::TfrmReplace(env, prompts); }},
            {"save destination", [&] { return new app::TfrmSavePath(env, prompts); }},
        };
    }
};

TEST_F(Keys, EnterInAnEditFieldKeepsTheWindowAndTheText)
{
    Setting(u"SAVEFDR", u"/save"); // shows the save destination's edit field
    for (const auto& [name, make] : Windows()) {
        SCOPED_TRACE(name);
        QPointer<QWidget> window = make();
        Activate(window);
        for (QLineEdit* edit : window->findChildren<QLineEdit*>()) {
            if (!edit->isVisible() || edit->parent() != window)
                continue;
            SCOPED_TRACE(edit->objectName().toStdString());
            edit->setFocus();
            // The save destination's field only shows the stored folder: typing changes nothing there.
            const QString expected = edit->isReadOnly() ? edit->text() : edit->text() + QStringLiteral("/tmp/a.txt");
            QTest::keyClicks(edit, QStringLiteral("/tmp/a.txt"));
            QTest::keyClick(edit, Qt::Key_Return);
            QTest::keyClick(edit, Qt::Key_Enter, Qt::KeypadModifier);
            QTest::qWait(150);
            ASSERT_FALSE(window.isNull());
            EXPECT_TRUE(window->isVisible());
            EXPECT_EQ(edit->text(), expected);
        }
        EXPECT_TRUE(prompts.shown().empty());
        delete window.data();
        FlushDeletes();
    }
}

TEST_F(Keys, EveryWindowStartsWithItsFirstTaskFocusedNotItsCloseButton)
{
    // Enter right after the start must begin the work, never end the program.
    const std::vector<ControlId> first = {form::TfrmMain::Button3, form::TfrmOption::Button1,
        form::TfrmConvert::Button3, form::TfrmReplace::Button2, form::TfrmSavePath::RadioGroup1Item0};
    const auto windows = Windows();
    for (std::size_t i = 0; i < windows.size(); ++i) {
        SCOPED_TRACE(windows[i].first);
        QPointer<QWidget> window = windows[i].second();
        Activate(window);
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        EXPECT_EQ(QApplication::focusWidget()->objectName(), test::NameOf(first[i]));
        delete window.data();
        FlushDeletes();
    }
    auto main = std::make_unique<app::TfrmMain>(env, prompts);
    Activate(main.get());
    prompts.AnswerFile(std::nullopt);
    prompts.AnswerFile(std::nullopt);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTRY_COMPARE(prompts.Texts("information").size(), std::size_t(2));
    EXPECT_TRUE(main->isVisible());
}

TEST_F(Keys, TabFromTheCloseButtonLandsOnTheChosenSaveDestination)
{
    // Space on the other item would switch the destination, and store it, at once.
    for (const std::u16string& stored : {std::u16string(), std::u16string(u"/save")}) {
        SCOPED_TRACE(ToUtf8(stored));
        Setting(u"SAVEFDR", stored);
        QPointer<QWidget> window = new app::TfrmSavePath(env, prompts);
        Activate(window);
        const ControlId chosen
            = stored.empty() ? form::TfrmSavePath::RadioGroup1Item0 : form::TfrmSavePath::RadioGroup1Item1;
        window->findChild<QPushButton*>(test::NameOf(form::TfrmSavePath::BitBtn1))->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        EXPECT_EQ(QApplication::focusWidget()->objectName(), test::NameOf(chosen));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        EXPECT_EQ(Stored(u"SAVEFDR"), stored);
        EXPECT_TRUE(prompts.shown().empty());
        delete window.data();
        FlushDeletes();
    }
}

TEST_F(Keys, AHeldEnterPressesNoButtonOfTheWindowItOpened)
{
    // Held down on ORVAコンバーター, Enter repeats into the converter that comes up: its first button must stay
    // unpressed.
    QPointer<QWidget> option = new app::TfrmOption(env, prompts);
    Activate(option);
    auto* button = option->findChild<QPushButton*>(test::NameOf(Option::Button1));
    bool repeated = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* tool = dynamic_cast<app::TfrmConvert*>(QApplication::activeModalWidget());
        if (!tool)
            return;
        poll.stop();
        auto* first = tool->findChild<QPushButton*>(test::NameOf(Convert::Button3));
        first->setFocus();
        for (int i = 0; i < 5; ++i) {
            QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString(), true);
            QApplication::sendEvent(first, &repeat);
            QTest::qWait(30);
        }
        QTest::qWait(200);
        repeated = true;
        tool->close();
    });
    poll.start(10);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(button, &press);
    QTRY_VERIFY(repeated);
    EXPECT_TRUE(prompts.shown().empty());
    delete option.data();
    FlushDeletes();
}

TEST_F(Keys, EnterOnAFocusedButtonPressesIt)
{
    for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) {
        SCOPED_TRACE(key);
        // The main window's マニュアル opens the manual.
        auto main = std::make_unique<app::TfrmMain>(env, prompts);
        Activate(main.get());
        auto* manual = main->findChild<QPushButton*>(test::NameOf(Main::Button5));
        manual->setFocus();
        prompts.Clear();
        QTest::keyClick(manual, key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        QTRY_COMPARE(prompts.Texts("document").size(), std::size_t(1));
        main->close();

        // A child window's 閉じる closes it.
        QPointer<QWidget> option = new app::TfrmOption(env, prompts);
        Activate(option);
        auto* close = option->findChild<QPushButton*>(test::NameOf(Option::BitBtn1));
        close->setFocus();
        QTest::keyClick(close, key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        QTRY_VERIFY(option.isNull() || !option->isVisible());
        delete option.data();
        FlushDeletes();
    }
}

TEST_F(Keys, TheMnemonicOfTheCloseButtonClosesEveryWindow)
{
    for (const auto& [name, make] : Windows()) {
        SCOPED_TRACE(name);
        QPointer<QWidget> window = make();
        Activate(window);
        QTest::keyClick(window, Qt::Key_C, Qt::AltModifier);
        QTRY_VERIFY(window.isNull() || !window->isVisible());
        delete window.data();
        FlushDeletes();
    }
}

} // namespace
} // namespace plok::test
