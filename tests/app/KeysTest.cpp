// The keys a person presses: Enter in an edit field keeps the window and its text, Enter on a focused button presses
// it, and the mnemonic of 閉じる(&C) closes the window.
#include "app/TfrmConvert.h"
#include "app/TfrmMain.h"
#include "app/TfrmOption.h"
#include "app/TfrmReplace.h"
#include "app/TfrmSavePath.h"
#include "support/GuiSupport.h"

#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <functional>

#include <gtest/gtest.h>

namespace plok::test {
namespace {

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

TEST_F(Keys, EnterOnAFocusedButtonPressesIt)
{
    for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) {
        SCOPED_TRACE(key);
        // The main window's マニュアル opens the manual.
        auto main = std::make_unique<app::TfrmMain>(env, prompts);
        Activate(main.get());
        auto* manual = main->findChild<QPushButton*>("Button5");
        manual->setFocus();
        prompts.Clear();
        QTest::keyClick(manual, key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        QTRY_COMPARE(prompts.Texts("document").size(), std::size_t(1));
        main->close();

        // A child window's 閉じる closes it.
        QPointer<QWidget> option = new app::TfrmOption(env, prompts);
        Activate(option);
        auto* close = option->findChild<QPushButton*>("BitBtn1");
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
