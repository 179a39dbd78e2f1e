#include "app/TfrmOption.h"

#include "ui_TfrmOption.h"

namespace plok::app {

TfrmOption::TfrmOption(const Environment& env, Prompts& prompts, QWidget* parent)
    : ChildWindow(prompts, parent)
    , m_ui(std::make_unique<Ui::TfrmOption>())
    , m_windows(env, prompts, this)
    , m_presenter(env, m_view, m_windows)
{
    m_ui->setupUi(this);
    SetUpFrame({348, 199}, m_ui->BitBtn1);
    gui::OnClick(m_ui->Button1, m_prompts, [this] { m_presenter.Button1Click(); });
    gui::OnClick(m_ui->Button2, m_prompts, [this] { m_presenter.Button2Click(); });
    gui::OnClick(m_ui->CheckBox1, m_prompts, [this] { m_presenter.CheckBox1Click(m_ui->CheckBox1->isChecked()); });
    RunGuarded(m_prompts, [this] { m_presenter.InitSet(); });
}

TfrmOption::~TfrmOption() = default;

} // namespace plok::app
