// The one Qt implementation of a presenter's View: controls by object name, values set by the presenter never come
// back to it as the user's, and what the user does reaches it with the value.
#include "gui/WidgetView.h"

#include "core/Errors.h"
#include "support/GuiSupport.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

namespace plok::gui {
namespace {

using Main = form::TfrmMain;
using Replace = form::TfrmReplace;
using SavePath = form::TfrmSavePath;

template<class T>
T* Add(QWidget* parent, const ControlId& control)
{
    auto* w = new T(parent);
    w->setObjectName(QString::fromLatin1(control.name().data(), static_cast<qsizetype>(control.name().size())));
    return w;
}

class WidgetViewTest : public test::GuiFixture
{
protected:
    WidgetViewTest()
    {
        // Controls of three windows, each in a window of that name, as the .ui files have them.
        window.setObjectName(QString::fromLatin1(Main::kName));
        edit = Add<QLineEdit>(&window, Main::Edit1);
        label = Add<QLabel>(&window, Main::Label2);
        label->setGeometry(8, 8, 40, 15);
        button = Add<QPushButton>(&window, Main::Button1);
        memo = Add<QPlainTextEdit>(&window, Main::Memo1);
        combo = Add<QComboBox>(&window, Main::ComboBox1);
        combo->addItems({QStringLiteral("a"), QStringLiteral("b")});
        replace.setObjectName(QString::fromLatin1(Replace::kName));
        check = Add<QCheckBox>(&replace, Replace::CheckBox1);
        savePath.setObjectName(QString::fromLatin1(SavePath::kName));
        group = Add<QGroupBox>(&savePath, SavePath::RadioGroup1);
        item0 = Add<QRadioButton>(group, SavePath::RadioGroup1Item0);
        item1 = Add<QRadioButton>(group, SavePath::RadioGroup1Item1);
        item0->setChecked(true);
        OnEdit(edit, prompts, [this](std::u16string text) {
            if (text == u"/fail")
                throw IoError("ファイル \"/fail\" を開けません。");
            edits.push_back(std::move(text));
        });
        OnChoose(combo, prompts, [this](int index) { comboChoices.push_back(index); });
        OnChoose(group, prompts, [this](int index) { groupChoices.push_back(index); });
        window.show();
        savePath.show();
    }

    QWidget window;
    QWidget replace;
    QWidget savePath;
    WidgetView view {&window};
    WidgetView replaceView {&replace};
    WidgetView savePathView {&savePath};
    QLineEdit* edit;
    QLabel* label;
    QPushButton* button;
    QPlainTextEdit* memo;
    QComboBox* combo;
    QCheckBox* check;
    QGroupBox* group;
    QRadioButton* item0;
    QRadioButton* item1;
    std::vector<std::u16string> edits;
    std::vector<int> comboChoices;
    std::vector<int> groupChoices;
};

TEST_F(WidgetViewTest, WhatThePresenterSetsShowsAndNeverComesBackAsTheUsers)
{
    view.SetText(Main::Edit1, u"/a");
    view.SetText(Main::Button1, u"保存");
    view.SetText(Main::Memo1, u"IR,1");
    view.SetIndex(Main::ComboBox1, 1);
    replaceView.SetIndex(Replace::CheckBox1, 1);
    savePathView.SetIndex(SavePath::RadioGroup1, 1);
    view.SetVisible(Main::Button1, false);
    EXPECT_EQ(edit->text(), QStringLiteral("/a"));
    EXPECT_EQ(button->text(), QStringLiteral("保存"));
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("IR,1"));
    EXPECT_EQ(combo->currentIndex(), 1);
    EXPECT_TRUE(check->isChecked());
    EXPECT_TRUE(item1->isChecked());
    EXPECT_FALSE(item0->isChecked());
    EXPECT_FALSE(button->isVisible());
    replaceView.SetIndex(Replace::CheckBox1, 0);
    savePathView.SetIndex(SavePath::RadioGroup1, 0);
    EXPECT_FALSE(check->isChecked());
    EXPECT_TRUE(item0->isChecked());
    EXPECT_TRUE(edits.empty());
    EXPECT_TRUE(comboChoices.empty());
    EXPECT_TRUE(groupChoices.empty());

    // A label grows with its one line of text and never shrinks below its design width.
    view.SetText(Main::Label2, std::u16string(30, u'長'));
    EXPECT_GT(label->width(), 200);
    EXPECT_EQ(label->height(), 15);
    view.SetText(Main::Label2, u"a");
    EXPECT_GT(label->width(), 200);

    view.Close();
    EXPECT_FALSE(window.isVisible());
    // A control of the window's .ui that it lacks, another window's control of a name it has, an item or a value the
    // control has not.
    EXPECT_THROW(view.SetText(Main::Edit2, u""), std::logic_error);
    EXPECT_THROW(view.SetText(SavePath::Edit1, u""), std::logic_error);
    EXPECT_THROW(savePathView.SetIndex(SavePath::RadioGroup1, 2), std::logic_error);
    EXPECT_THROW(view.SetIndex(Main::Edit1, 0), std::logic_error);
}

TEST_F(WidgetViewTest, WhatTheUserDoesReachesThePresenterWithItsValue)
{
    test::Type(&window, Main::Edit1, QStringLiteral("/b"));
    EXPECT_EQ(edits.back(), u"/b");
    // A handler's failure ends in the error box, through the guard.
    test::Type(&window, Main::Edit1, QStringLiteral("/fail"));
    EXPECT_EQ(prompts.Texts("error"), std::vector<std::u16string> {u"ファイル \"/fail\" を開けません。"});
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    EXPECT_EQ(comboChoices, std::vector<int> {1});
    QTest::mouseClick(item0, Qt::LeftButton, {}, QPoint(6, item0->height() / 2));
    QTest::mouseClick(item1, Qt::LeftButton, {}, QPoint(6, item1->height() / 2));
    QTest::mouseClick(item1, Qt::LeftButton, {}, QPoint(6, item1->height() / 2));
    EXPECT_EQ(groupChoices, std::vector<int> {1});
}

} // namespace
} // namespace plok::gui
