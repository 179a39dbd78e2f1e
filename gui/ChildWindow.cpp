#include "gui/ChildWindow.h"

#include "gui/Fonts.h"
#include "gui/Keys.h"

#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>

namespace plok::gui {

void CentreOnScreen(QWidget* window)
{
    // Called as the window is shown: by then the frame is known where the platform tells it before mapping.
    const QScreen* screen = window->screen();
    if (!screen)
        return;
    QRect frame(QPoint(), window->frameGeometry().size());
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

void SetCloseGlyph(QPushButton* button)
{
    button->setIcon(button->style()->standardIcon(QStyle::SP_DialogCloseButton));
}

ChildWindow::ChildWindow(const Environment& env, Prompts& prompts, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , m_env(env)
    , m_prompts(prompts)
{
    setAttribute(Qt::WA_DeleteOnClose);
}

ChildWindow::~ChildWindow() = default;

void ChildWindow::SetUpFrame(QSize designSize, QPushButton* closeButton)
{
    UsePixelFonts(this);
    UseDesktopKeys(this);
    resize(designSize);
    if (closeButton) {
        SetCloseGlyph(closeButton);
        OnClick(closeButton, [this] { close(); });
    }
}

bool ChildWindow::DspSet()
{
    exec();
    return true;
}

void ChildWindow::SetResultOpener(ResultOpener opener)
{
    m_openResult = std::move(opener);
}

void ChildWindow::OpenResult(const std::u16string& msg, const std::u16string& file1, const std::u16string& file2)
{
    if (m_openResult)
        m_openResult(msg, file1, file2);
}

void ChildWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    CentreOnScreen(this);
    RunGuarded(m_prompts, [this] { FormShow(); });
}

} // namespace plok::gui
