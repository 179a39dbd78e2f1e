#include "gui/ClickGate.h"

#include "present/ClickGate.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

namespace plok::gui {

namespace {

class ClickGateFilter : public QObject
{
public:
    ClickGateFilter(QObject* parent, std::chrono::milliseconds quiet)
        : QObject(parent)
        , m_gate(quiet)
    { }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::Show:
        case QEvent::Hide:
            if (const auto* w = qobject_cast<QWidget*>(watched); w && w->isWindow() && w->isModal())
                m_gate.ModalChanged(ClickGate::Clock::now());
            return false;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            return !m_gate.Admits(ClickGate::Clock::now());
        case QEvent::KeyPress:
            switch (static_cast<QKeyEvent*>(event)->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
            case Qt::Key_Space:
                return !m_gate.Admits(ClickGate::Clock::now());
            default:
                return false;
            }
        default:
            return false;
        }
    }

private:
    ClickGate m_gate;
};

} // namespace

QObject* InstallClickGate(QCoreApplication* app, std::chrono::milliseconds quiet)
{
    auto* filter = new ClickGateFilter(app, quiet);
    app->installEventFilter(filter);
    return filter;
}

} // namespace plok::gui
