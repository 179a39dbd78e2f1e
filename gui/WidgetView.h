#pragma once

#include "gui/Guard.h"
#include "present/Prompts.h"
#include "present/View.h"

#include <QAbstractButton>
#include <functional>
#include <stdexcept>
#include <string>

class QComboBox;
class QLineEdit;
class QWidget;

namespace plok::gui {

/// The View of a Qt window: each control is found by its object name below the window, which must be the control's
/// window. A label whose text is set grows to its one line of text, as the labels of the layout tables do; it never
/// shrinks below its design width.
class WidgetView : public View
{
public:
    explicit WidgetView(QWidget* window)
        : m_window(window)
    { }

    void SetText(const ControlId& control, std::u16string_view text) override;
    void SetIndex(const ControlId& control, int index) override;
    void SetVisible(const ControlId& control, bool visible) override;
    void Close() override;

private:
    /// The control; throws std::logic_error when it is not one of this window's.
    QWidget* Control(const ControlId& control) const;

    QWidget* m_window;
};

/// The control `control` of `window` as a `T`; throws std::logic_error when `window` is not the control's window or
/// holds no such control of that class.
template<class T>
T* FindControl(const QWidget* window, const ControlId& control)
{
    const QString name = QString::fromLatin1(control.name().data(), static_cast<qsizetype>(control.name().size()));
    T* found = window->objectName().toStdString() == control.window() ? window->findChild<T*>(name) : nullptr;
    if (!found)
        throw std::logic_error(
            "no control " + std::string(control.name()) + " in " + window->objectName().toStdString());
    return found;
}

// What the user does reaches the presenter through these, each handler through the guard.

/// A click of `button`, under the busy cursor.
template<class Handler>
void OnClick(QAbstractButton* button, Prompts& prompts, Handler handler)
{
    ConnectGuarded(button, &QAbstractButton::clicked, button, prompts, std::move(handler));
}

/// The user's edits of `edit` (typing, pasting, undo; not a text the presenter set), with the new text.
void OnEdit(QLineEdit* edit, Prompts& prompts, std::function<void(std::u16string)> handler);

/// The user's choice of an item of `combo`, with its index (-1 for none). In an editable combo box, typed text selects
/// the item it spells and otherwise no item, as a drop-down combo box does; the text stays as typed.
void OnChoose(QComboBox* combo, Prompts& prompts, std::function<void(int)> handler);

/// The user's choice of an item of the radio group `group`, whose items are its radio buttons named `<group>Item<i>`,
/// with the item's index. Clicking the item already selected chooses nothing.
void OnChoose(QWidget* group, Prompts& prompts, std::function<void(int)> handler);

} // namespace plok::gui
