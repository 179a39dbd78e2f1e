#include "app/TfrmMsg.h"

#include "present/WindowRules.h"
#include "ui_TfrmMsg.h"

#include <QScreen>

namespace plok::app {

using Form = claims::MsgPresenter::Form;

TfrmMsg::TfrmMsg(const Environment& env, Prompts& prompts, QWidget* parent)
    : PresenterWindow(env, prompts, parent)
{ }

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
    const QScreen* screen = this->screen();
    const int widest = screen ? rules::WidestMessage(screen->availableGeometry().width(), 96) : Form::kSize.width;
    const rules::MessageFit fit
        = rules::FitMessage(Form::kSize, Form::Label1.rect(), label->sizeHint().width(), widest, [label](int width) {
              label->setWordWrap(true);
              return label->heightForWidth(width);
          });
    if (fit.wrapped)
        label->resize(fit.labelWidth, label->heightForWidth(fit.labelWidth));
    // The memo lies below the client area, unseen, also when the dialog grows.
    for (QWidget* below : {static_cast<QWidget*>(m_ui->Button1), static_cast<QWidget*>(m_ui->Memo1)})
        below->move(below->x(), below->y() + fit.grownBy);
    setMinimumSize(fit.width, Form::kSize.height + fit.grownBy);
    resize(minimumSize());
}

} // namespace plok::app
