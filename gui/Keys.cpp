#include "gui/Keys.h"

#include <QKeyEvent>
#include <QPushButton>

namespace plok::gui {

namespace {

class EnterPresses : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            return false;
        if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        auto* button = qobject_cast<QPushButton*>(watched);
        if (!button || !button->isEnabled())
            return false;
        // A held key presses once: repeated, it would go on to press whatever button comes up after this one.
        if (!key->isAutoRepeat())
            button->animateClick();
        return true;
    }
};

} // namespace

void UseDesktopKeys(QWidget* window)
{
    auto* filter = new EnterPresses(window);
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
        button->setAutoDefault(false);
        button->setDefault(false);
        button->installEventFilter(filter);
    }
}

} // namespace plok::gui
