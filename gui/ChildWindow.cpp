#include "gui/ChildWindow.h"

#include "gui/Fonts.h"
#include "gui/Guard.h"
#include "gui/Keys.h"
#include "present/WindowRules.h"

#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>

namespace plok::gui {

namespace {

/// Centres its window each time it is shown by the program (not when the desktop restores it), then runs `onShow`.
class CentreWhenShown : public QObject
{
public:
    CentreWhenShown(QWidget* window, Prompts& prompts, std::function<void()> onShow)
        : QObject(window)
        , m_prompts(prompts)
        , m_onShow(std::move(onShow))
    { }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Show || event->spontaneous())
            return false;
        CentreOnScreen(static_cast<QWidget*>(watched));
        if (m_onShow)
            RunGuarded(m_prompts, m_onShow);
        return false;
    }

private:
    Prompts& m_prompts;
    std::function<void()> m_onShow;
};

} // namespace

void CentreOnScreen(QWidget* window)
{
    // Called as the window is shown: by then the frame is known where the platform tells it before mapping.
    const QScreen* screen = window->screen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize frame = window->frameGeometry().size();
    window->move(
        rules::Centred(area.x(), area.width(), frame.width()), rules::Centred(area.y(), area.height(), frame.height()));
}

void SetUpFrame(
    QWidget* window, QSize designSize, QPushButton* closeButton, Prompts& prompts, std::function<void()> onShow)
{
    UsePixelFonts(window);
    UseDesktopKeys(window);
    window->resize(designSize);
    window->setMinimumSize(designSize);
    if (closeButton) {
        closeButton->setIcon(closeButton->style()->standardIcon(QStyle::SP_DialogCloseButton));
        ConnectGuarded(closeButton, &QPushButton::clicked, window, prompts, [window] { window->close(); });
    }
    window->installEventFilter(new CentreWhenShown(window, prompts, std::move(onShow)));
}

ChildWindow::ChildWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | kTitleBar)
{
    setAttribute(Qt::WA_DeleteOnClose);
}

ChildWindow::~ChildWindow() = default;

bool ChildWindow::DspSet()
{
    exec();
    return true;
}

} // namespace plok::gui
