// Every text of every window must be drawn whole inside its control at the geometry of the layout tables. Layout
// tests compare rectangles; this one measures what the font draws where the style puts it.
#include "app/PresenterWindow.h"
#include "app/QtPrompts.h"
#include "app/QtWindows.h"
#include "app/TfrmMain.h"
#include "claims/Delivery.h"
#include "claims/MainPresenter.h"
#include "support/FakeView.h"
#include "support/GuiSupport.h"
#include "support/ResultMessages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <memory>

#include <gtest/gtest.h>

namespace plok::test {
namespace {

/// A text as it is drawn: a single "&" marks a mnemonic and is not drawn.
QString Drawn(QString text)
{
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    return text;
}

/// Where the glyphs of `text` land when it is laid out in `room` with `align`: the ink, not the line box.
QRect Ink(const QFontMetrics& fm, const QString& text, const QRect& room, Qt::Alignment align, int leading = 0)
{
    const int width = fm.horizontalAdvance(text) + leading;
    int x = room.x();
    if (align & Qt::AlignHCenter)
        x = room.x() + (room.width() - width) / 2;
    else if (align & Qt::AlignRight)
        x = room.x() + room.width() - width;
    int top = room.y();
    if (align & Qt::AlignVCenter)
        top = room.y() + (room.height() - fm.height()) / 2;
    return fm.tightBoundingRect(text).translated(x + leading, top + fm.ascent());
}

struct Misfit
{
    QString control;
    QString text;
    QRect room;
    QRect ink;
};

/// Every text of `window` that does not fit inside its control.
std::vector<Misfit> Misfits(const QWidget* window)
{
    std::vector<Misfit> misfits;
    auto check = [&](const QWidget* w, const QString& text, const QRect& room, const QRect& ink) {
        if (!text.isEmpty() && !room.contains(ink))
            misfits.push_back({w->objectName(), text, room, ink});
    };
    for (const QWidget* w : window->findChildren<QWidget*>()) {
        const QFontMetrics fm(w->font());
        const QStyle* style = w->style();
        if (const auto* label = qobject_cast<const QLabel*>(w)) {
            const QString text = Drawn(label->text());
            check(w, text, label->contentsRect(), Ink(fm, text, label->contentsRect(), label->alignment()));
        } else if (const auto* button = qobject_cast<const QPushButton*>(w)) {
            QStyleOptionButton opt;
            opt.initFrom(button);
            const QRect room = style->subElementRect(QStyle::SE_PushButtonContents, &opt, button);
            const QString text = Drawn(button->text());
            const int icon = button->icon().isNull() ? 0 : button->iconSize().width() + 4;
            check(w, text, room, Ink(fm, text, room, Qt::AlignCenter, icon).united(QRect(room.x(), room.y(), 1, 1)));
        } else if (const auto* check_ = qobject_cast<const QAbstractButton*>(w)) {
            QStyleOptionButton opt;
            opt.initFrom(check_);
            const QRect room = style->subElementRect(
                qobject_cast<const QRadioButton*>(w) ? QStyle::SE_RadioButtonContents : QStyle::SE_CheckBoxContents,
                &opt, check_);
            const QString text = Drawn(check_->text());
            check(w, text, room, Ink(fm, text, room, Qt::AlignLeft | Qt::AlignVCenter));
        } else if (const auto* combo = qobject_cast<const QComboBox*>(w)) {
            QStyleOptionComboBox opt;
            opt.initFrom(combo);
            opt.editable = combo->isEditable();
            // QLineEdit keeps two pixels free on each side of its text.
            const QRect room = style->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, combo)
                                   .adjusted(2, 0, -2, 0);
            for (int i = 0; i < combo->count(); ++i)
                check(w, combo->itemText(i), room, Ink(fm, combo->itemText(i), room, Qt::AlignLeft | Qt::AlignVCenter));
        }
    }
    return misfits;
}

std::string Rect(const QRect& r)
{
    return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) + "x"
        + std::to_string(r.height());
}

std::string Describe(const std::vector<Misfit>& misfits)
{
    std::string s;
    for (const Misfit& m : misfits)
        s += m.control.toStdString() + " \"" + m.text.toStdString() + "\": drawn at " + Rect(m.ink) + ", room "
            + Rect(m.room) + "\n";
    return s;
}

class TextFit : public GuiFixture
{
protected:
    template<class Window>
    void Check(Window* window)
    {
        const std::unique_ptr<QWidget> owner(window);
        window->show();
        const std::vector<Misfit> misfits = Misfits(window);
        EXPECT_TRUE(misfits.empty()) << window->metaObject()->className() << "\n" << Describe(misfits);
    }
};

TEST_F(TextFit, EveryTextOfEveryWindowFitsItsControl)
{
    Check(new app::TfrmMain(env, prompts));
    Check(new app::TfrmOption(env, prompts));
    Check(new app::TfrmConvert(env, prompts));
    Check(new app::TfrmReplace(env, prompts));
    Check(new app::TfrmSavePath(env, prompts));
}

TEST_F(TextFit, TheResultDialogShowsTheLongestMessageOfEachJob)
{
    const std::vector<std::u16string> messages = LongestResultMessages();
    for (const bool saveFolder : {false, true}) {
        Setting(u"SAVEFDR", saveFolder ? u"/save" : u"");
        for (const std::u16string& message : messages) {
            SCOPED_TRACE(ToUtf8(message));
            WhileModal([&] { app::QtWindows(env, prompts, nullptr).OpenResult({message}); },
                [&](QWidget* dialog) {
                    const std::vector<Misfit> misfits = Misfits(dialog);
                    EXPECT_TRUE(misfits.empty()) << Describe(misfits);
                    dialog->close();
                });
        }
    }
}

TEST_F(TextFit, MessageBoxesKeepEachLineOfTheirTextWhole)
{
    // The longest lines the program writes into its boxes: the audit's and the delivery's.
    const std::string leaking
        = "IR,1,13,1,0123456,,clinic,50605,00,012\r\nRE,1,1112,50605,name,1\r\nSY,1,2,3,4,name\r\n";
    FakeView view {claims::MainPresenter::Form::kControls};
    FakeWindows windows;
    claims::MainPresenter main(env, prompts, view, windows);
    main.Edit1Change(DataFile("social.UKE", leaking));
    main.Button1Click();
    std::vector<std::u16string> texts = prompts.Texts("warning");
    ASSERT_EQ(texts.size(), 2u); // the audit's, and the missing national file's
    WriteBytes(env.programFolder / "50605_1.UKE", "IR,1\r\n");
    texts.push_back(claims::UndeliveredText(env, claims::DeliverFiles(env, u"/nowhere", u"50605_1.UKE", u"")));
    texts.push_back(u"次のファイルは保存先へ移せなかったため、作業フォルダに残っています。");
    for (const std::u16string& text : texts) {
        SCOPED_TRACE(ToUtf8(text));
        const auto box = app::MakeMessageBox(app::BoxKind::Warning, text, nullptr);
        WhileModal([&] { box->exec(); },
            [&](QWidget* w) {
                const auto* label = w->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
                ASSERT_NE(label, nullptr);
                const QFontMetrics fm(label->font());
                for (const QString& line : label->text().split(QLatin1Char('\n'))) {
                    // A line longer than the screen allows may wrap; none of these is.
                    EXPECT_LE(fm.horizontalAdvance(line), label->contentsRect().width()) << line.toStdString();
                }
                w->close();
            });
    }
}

} // namespace
} // namespace plok::test
