#include "app/TfrmMsg.h"

#include "ui_TfrmMsg.h"

namespace plok::app {

TfrmMsg::TfrmMsg(const Environment& env, Prompts& prompts, QWidget* parent)
    : ChildWindow(prompts, parent)
    , m_ui(std::make_unique<Ui::TfrmMsg>())
    , m_presenter(env, prompts, m_view)
{
    m_ui->setupUi(this);
    SetUpFrame({329, 96}, nullptr);
    gui::OnClick(m_ui->Button1, m_prompts, [this] { m_presenter.Button1Click(); });
    RunGuarded(m_prompts, [this] { m_presenter.InitSet(); });
}

TfrmMsg::~TfrmMsg() = default;

bool TfrmMsg::DspSet(const ResultTriple& result)
{
    m_presenter.DspSet(result);
    return ChildWindow::DspSet();
}

} // namespace plok::app
