#include "app/TfrmConvert.h"

#include "gui/FileDrops.h"
#include "ui_TfrmConvert.h"

namespace plok::app {

TfrmConvert::TfrmConvert(const Environment& env, Prompts& prompts, QWidget* parent)
    : ChildWindow(prompts, parent)
    , m_ui(std::make_unique<Ui::TfrmConvert>())
    , m_windows(env, prompts, this)
    , m_presenter(env, prompts, m_view, m_windows)
{
    m_ui->setupUi(this);
    SetUpFrame({348, 199}, m_ui->BitBtn1);
    auto& p = m_presenter;
    gui::OnClick(m_ui->Button1, m_prompts, [&p] { p.Button1Click(); });
    gui::OnClick(m_ui->Button2, m_prompts, [&p] { p.Button2Click(); });
    gui::OnClick(m_ui->Button3, m_prompts, [&p] { p.Button3Click(); });
    gui::OnEdit(m_ui->Edit1, m_prompts, [&p](std::u16string text) { p.Edit1Change(std::move(text)); });
    gui::AcceptFileDrops(m_ui->Edit1, m_prompts, [&p](const std::u16string& file) { p.Edit1Drop(file); });
}

TfrmConvert::~TfrmConvert() = default;

void TfrmConvert::FormShow()
{
    m_presenter.FormShow();
}

} // namespace plok::app
