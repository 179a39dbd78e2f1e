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

template<class T>
T* Add(QWidget* parent, const char* name)
{
    auto* w = new T(parent);
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

class WidgetViewTest : public test::GuiFixture
{
protected:
    WidgetViewTest()
    {
        window.setObjectName(QStringLiteral("TfrmTest"));
        edit = Add<QLineEdit>(&window, "Edit1");
        label = Add<QLabel>(&window, "Label1");
        label->setGeometry(8, 8, 40, 15);
        button = Add<QPushButton>(&window, "Button1");
        memo = Add<QPlainTextEdit>(&window, "Memo1");
        combo = Add<QComboBox>(&window, "ComboBox1");
        combo->addItems({QStringLiteral("a"), QStringLiteral("b")});
        check = Add<QCheckBox>(&window, "CheckBox1");
        group = Add<QGroupBox>(&window, "RadioGroup1");
        item0 = Add<QRadioButton>(group, "RadioGroup1Item0");
        item1 = Add<QRadioButton>(group, "RadioGroup1Item1");
        item0->setChecked(true);
        OnEdit(edit, prompts, [this](std::u16string text) {
            if (text == u"/fail")
                throw IoError("ファイル \"/fail\" を開けません。");
            edits.push_back(std::move(text));
        });
        OnChoose(combo, prompts, [this](int index) { comboChoices.push_back(index); });
        OnChoose(group, prompts, [this](int index) { groupChoices.push_back(index); });
        window.show();
    }

    QWidget window;
    WidgetView view {&window};
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
    view.SetText("Edit1", u"/a");
    view.SetText("Button1", u"保存");
    view.SetText("Memo1", u"IR,1");
    view.SetIndex("ComboBox1", 1);
    view.SetIndex("CheckBox1", 1);
    view.SetIndex("RadioGroup1", 1);
    view.SetVisible("Button1", false);
    EXPECT_EQ(edit->text(), QStringLiteral("/a"));
    EXPECT_EQ(button->text(), QStringLiteral("保存"));
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("IR,1"));
    EXPECT_EQ(combo->currentIndex(), 1);
    EXPECT_TRUE(check->isChecked());
    EXPECT_TRUE(item1->isChecked());
    EXPECT_FALSE(item0->isChecked());
    EXPECT_FALSE(button->isVisible());
    view.SetIndex("CheckBox1", 0);
    view.SetIndex("RadioGroup1", 0);
    EXPECT_FALSE(check->isChecked());
    EXPECT_TRUE(item0->isChecked());
    EXPECT_TRUE(edits.empty());
    EXPECT_TRUE(comboChoices.empty());
    EXPECT_TRUE(groupChoices.empty());

    // A label grows with its one line of text and never shrinks below its design width.
    view.SetText("Label1", std::u16string(30, u'長'));
    EXPECT_GT(label->width(), 200);
    EXPECT_EQ(label->height(), 15);
    view.SetText("Label1", u"a");
    EXPECT_GT(label->width(), 200);

    view.Close();
    EXPECT_FALSE(window.isVisible());
    EXPECT_THROW(view.SetText("Edit9", u""), std::logic_error);
    EXPECT_THROW(view.SetIndex("RadioGroup1", 2), std::logic_error);
    EXPECT_THROW(view.SetIndex("Edit1", 0), std::logic_error);
}

TEST_F(WidgetViewTest, WhatTheUserDoesReachesThePresenterWithItsValue)
{
    test::Type(&window, "Edit1", QStringLiteral("/b"));
    EXPECT_EQ(edits.back(), u"/b");
    // A handler's failure ends in the error box, through the guard.
    test::Type(&window, "Edit1", QStringLiteral("/fail"));
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
