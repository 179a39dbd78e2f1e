#include "gui/Wiring.h"

#include "gui/ChildWindow.h"
#include "gui/FileDrops.h"
#include "gui/WidgetView.h"
#include "present/WindowRules.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QEvent>
#include <QLineEdit>
#include <QPushButton>

namespace plok::gui {

namespace {

/// Runs the window's closing handler however the window closes: a dialog by its close button, the close box, Esc or
/// its presenter (Esc rejects a dialog without a close event), another window by its close event.
class ClosedOrResized : public QObject
{
public:
    ClosedOrResized(QWidget* window, Prompts& prompts, const WindowWiring& wiring)
        : QObject(window)
        , m_prompts(prompts)
        , m_closed(wiring.closed)
        , m_design(wiring.size)
    {
        if (wiring.centred) {
            m_centred = FindControl<QWidget>(window, *wiring.centred);
            m_centredX = wiring.centred->rect().x;
        }
        if (auto* dialog = qobject_cast<QDialog*>(window)) {
            m_dialog = true;
            if (m_closed)
                connect(dialog, &QDialog::finished, this, [this] { RunGuarded(m_prompts, m_closed); });
        }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Close && !m_dialog && m_closed)
            RunGuarded(m_prompts, m_closed);
        if (event->type() == QEvent::Resize && m_centred)
            m_centred->move(rules::KeptCentredX(m_centredX, m_design.width, static_cast<QWidget*>(watched)->width()),
                m_centred->y());
        return false;
    }

private:
    Prompts& m_prompts;
    std::function<void()> m_closed;
    DesignSize m_design;
    QWidget* m_centred = nullptr;
    int m_centredX = 0;
    bool m_dialog = false;
};

} // namespace

void SetUpWindow(QWidget* window, const WindowWiring& wiring, Prompts& prompts)
{
    QPushButton* close = wiring.closeButton ? FindControl<QPushButton>(window, *wiring.closeButton) : nullptr;
    SetUpFrame(window, {wiring.size.width, wiring.size.height}, close, prompts, wiring.shown);
    for (const auto& [control, run] : wiring.clicks)
        OnClick(FindControl<QAbstractButton>(window, control), prompts, run);
    for (const auto& check : wiring.checks) {
        QCheckBox* box = FindControl<QCheckBox>(window, check.control);
        OnClick(box, prompts, [box, run = check.run] { run(box->isChecked()); });
    }
    for (const auto& [control, run] : wiring.edits)
        OnEdit(FindControl<QLineEdit>(window, control), prompts, run);
    for (const auto& [control, run] : wiring.choices) {
        if (auto* combo = qobject_cast<QComboBox*>(FindControl<QWidget>(window, control)))
            OnChoose(combo, prompts, run);
        else
            OnChoose(FindControl<QWidget>(window, control), prompts, run);
    }
    for (const auto& [control, run] : wiring.drops)
        AcceptFileDrops(FindControl<QLineEdit>(window, control), prompts, run);
    window->installEventFilter(new ClosedOrResized(window, prompts, wiring));
    if (wiring.created)
        RunGuarded(prompts, wiring.created);
}

} // namespace plok::gui
