#include "app/TfrmMsg.h"

#include "ui_TfrmMsg.h"

#include <QResizeEvent>
#include <QScreen>
#include <algorithm>

namespace plok::app {

namespace {

constexpr QSize kDesignSize {329, 96};

} // namespace

TfrmMsg::TfrmMsg(const Environment& env, Prompts& prompts, QWidget* parent)
    : ChildWindow(prompts, parent)
    , m_ui(std::make_unique<Ui::TfrmMsg>())
    , m_presenter(env, prompts, m_view)
{
    m_ui->setupUi(this);
    SetUpFrame(kDesignSize, nullptr);
    gui::OnClick(m_ui->Button1, m_prompts, [this] { m_presenter.Button1Click(); });
    RunGuarded(m_prompts, [this] { m_presenter.InitSet(); });
}

TfrmMsg::~TfrmMsg() = default;

bool TfrmMsg::DspSet(const ResultTriple& result)
{
    m_presenter.DspSet(result);
    FitMessage();
    return ChildWindow::DspSet();
}

void TfrmMsg::FitMessage()
{
    QLabel* label = m_ui->Label1;
    const int margin = label->x();
    const int designHeight = label->height();
    const QScreen* screen = this->screen();
    const int widest = screen ? screen->availableGeometry().width() * 9 / 10 : kDesignSize.width();
    int width = std::max(kDesignSize.width(), label->x() + label->width() + margin);
    if (width > widest) {
        width = std::max(kDesignSize.width(), widest);
        label->setWordWrap(true);
        const int room = width - 2 * margin;
        label->resize(room, label->heightForWidth(room));
    }
    const int grown = std::max(0, label->height() - designHeight);
    // The memo lies below the client area, unseen, also when the dialog grows.
    for (QWidget* below : {static_cast<QWidget*>(m_ui->Button1), static_cast<QWidget*>(m_ui->Memo1)})
        below->move(below->x(), below->y() + grown);
    setMinimumSize(width, kDesignSize.height() + grown);
    resize(minimumSize());
}

void TfrmMsg::resizeEvent(QResizeEvent* event)
{
    ChildWindow::resizeEvent(event);
    m_ui->Button1->move((width() - m_ui->Button1->width()) / 2, m_ui->Button1->y());
}

void TfrmMsg::FormClose()
{
    m_presenter.FormClose();
}

} // namespace plok::app
