#include "app/TfrmOption.h"

#include "claims/TfrmMsg.h"
#include "tools/TfrmConvert.h"
#include "tools/TfrmReplace.h"
#include "ui_TfrmOption.h"

namespace plok::app {

TfrmOption::TfrmOption(const Environment& env, Prompts& prompts, QWidget* parent)
    : ChildWindow(env, prompts, parent)
    , m_ui(std::make_unique<Ui::TfrmOption>())
{
    m_ui->setupUi(this);
    SetUpFrame({348, 199}, m_ui->BitBtn1);
    OnClick(m_ui->Button1, [this] { Button1Click(); });
    OnClick(m_ui->Button2, [this] { Button2Click(); });
}

TfrmOption::~TfrmOption() = default;

void TfrmOption::Button1Click()
{
    Open(new tools::TfrmConvert(m_env, m_prompts, this));
}

void TfrmOption::Button2Click()
{
    Open(new tools::TfrmReplace(m_env, m_prompts, this));
}

void TfrmOption::Open(gui::ChildWindow* tool)
{
    tool->SetResultOpener(claims::ResultDialogOpener(m_env, m_prompts, tool));
    tool->DspSet();
}

} // namespace plok::app
