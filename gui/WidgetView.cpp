#include "gui/WidgetView.h"

#include "gui/QtText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <algorithm>
#include <stdexcept>
#include <vector>

namespace plok::gui {

namespace {

/// The radio buttons `<group>Item0`, `<group>Item1`... of a radio group, in item order.
std::vector<QRadioButton*> Items(QWidget* group)
{
    std::vector<QRadioButton*> items;
    while (auto* item = group->findChild<QRadioButton*>(
               group->objectName() + QStringLiteral("Item") + QString::number(static_cast<qsizetype>(items.size()))))
        items.push_back(item);
    return items;
}

/// Sends the focus that Tab or Shift+Tab brings to an item of a radio group on to its chosen item, where Space changes
/// nothing: on another, Space would choose it at once.
class TabToChosenItem : public QObject
{
public:
    TabToChosenItem(QWidget* group, std::vector<QRadioButton*> items)
        : QObject(group)
        , m_items(std::move(items))
    {
        for (QRadioButton* item : m_items)
            item->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::FocusIn)
            return false;
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        auto* item = static_cast<QRadioButton*>(watched);
        if ((reason != Qt::TabFocusReason && reason != Qt::BacktabFocusReason) || item->isChecked())
            return false;
        for (QRadioButton* chosen : m_items)
            if (chosen->isChecked() && chosen->isVisible() && chosen->isEnabled())
                chosen->setFocus(reason);
        return false;
    }

private:
    std::vector<QRadioButton*> m_items;
};

} // namespace

QWidget* WidgetView::Control(const ControlId& control) const
{
    return FindControl<QWidget>(m_window, control);
}

void WidgetView::SetText(const ControlId& control, std::u16string_view text)
{
    QWidget* w = Control(control);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        // A path's end tells one file from another (the start is the same folder for both): that is what shows, and
        // the whole of it on hover.
        edit->setText(Q(text));
        edit->setCursorPosition(static_cast<int>(edit->text().size()));
        edit->setToolTip(edit->text());
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
        label->setText(Q(text));
        // A long text runs on to the window's edge and is cut off there.
        label->resize(std::max(label->width(), label->sizeHint().width()), label->height());
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        button->setText(Q(text));
    } else if (auto* memo = qobject_cast<QPlainTextEdit*>(w)) {
        memo->setPlainText(Q(text));
    } else {
        throw std::logic_error("no text to set in " + std::string(control.name()));
    }
}

void WidgetView::SetIndex(const ControlId& control, int index)
{
    QWidget* w = Control(control);
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        const QSignalBlocker blocker(combo);
        combo->setCurrentIndex(index);
    } else if (auto* check = qobject_cast<QCheckBox*>(w)) {
        const QSignalBlocker blocker(check);
        check->setChecked(index == 1);
    } else {
        const std::vector<QRadioButton*> items = Items(w);
        if (index < 0 || static_cast<std::size_t>(index) >= items.size())
            throw std::logic_error("no item " + std::to_string(index) + " in " + std::string(control.name()));
        std::vector<std::unique_ptr<QSignalBlocker>> blockers;
        for (QRadioButton* item : items)
            blockers.push_back(std::make_unique<QSignalBlocker>(item));
        items[static_cast<std::size_t>(index)]->setChecked(true);
    }
}

void WidgetView::SetVisible(const ControlId& control, bool visible)
{
    Control(control)->setVisible(visible);
}

void WidgetView::Close()
{
    m_window->close();
}

void OnEdit(QLineEdit* edit, Prompts& prompts, std::function<void(std::u16string)> handler)
{
    QObject::connect(edit, &QLineEdit::textEdited, edit, [&prompts, handler = std::move(handler)](const QString& text) {
        RunGuarded(prompts, [&] { handler(U(text)); });
    });
}

void OnChoose(QComboBox* combo, Prompts& prompts, std::function<void(int)> handler)
{
    ConnectGuarded(
        combo, &QComboBox::currentIndexChanged, combo, prompts, [combo, handler] { handler(combo->currentIndex()); });
    if (!combo->lineEdit())
        return;
    ConnectGuarded(combo->lineEdit(), &QLineEdit::textEdited, combo, prompts, [combo, handler] {
        QLineEdit* edit = combo->lineEdit();
        const QString text = edit->text();
        const int index = combo->findText(text, Qt::MatchExactly);
        if (index == combo->currentIndex())
            return;
        const int cursor = edit->cursorPosition();
        {
            const QSignalBlocker blocker(combo);
            combo->setCurrentIndex(index);
        }
        if (edit->text() != text) {
            edit->setText(text);
            edit->setCursorPosition(cursor);
        }
        handler(index);
    });
}

void OnChoose(QWidget* group, Prompts& prompts, std::function<void(int)> handler)
{
    const std::vector<QRadioButton*> items = Items(group);
    new TabToChosenItem(group, items);
    for (std::size_t i = 0; i < items.size(); ++i) {
        QObject::connect(items[i], &QRadioButton::toggled, group, [&prompts, handler, i](bool checked) {
            if (checked)
                RunGuarded(prompts, [&] { handler(static_cast<int>(i)); });
        });
    }
}

} // namespace plok::gui
