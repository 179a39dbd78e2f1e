#include "app/TfrmReplace.h"

#include "gui/FileDrops.h"
#include "ui_TfrmReplace.h"

namespace plok::app {

TfrmReplace::TfrmReplace(const Environment& env, Prompts& prompts, QWidget* parent)
    : ChildWindow(prompts, parent)
    , m_ui(std::make_unique<Ui::TfrmReplace>())
    , m_windows(env, prompts, this)
    , m_presenter(env, prompts, m_view, m_windows)
{
    m_ui->setupUi(this);
    SetUpFrame({348, 228}, m_ui->BitBtn1);
    auto& p = m_presenter;
    gui::OnClick(m_ui->Button1, m_prompts, [&p] { p.Button1Click(); });
    gui::OnClick(m_ui->Button2, m_prompts, [&p] { p.Button2Click(); });
    gui::OnClick(m_ui->Button3, m_prompts, [&p] { p.Button3Click(); });
    gui::OnEdit(m_ui->Edit1, m_prompts, [&p](std::u16string text) { p.Edit1Change(std::move(text)); });
    gui::OnEdit(m_ui->Edit3, m_prompts, [&p](std::u16string text) { p.Edit3Change(std::move(text)); });
    gui::AcceptFileDrops(m_ui->Edit1, m_prompts, [&p](const std::u16string& file) { p.Edit1Drop(file); });
    gui::AcceptFileDrops(m_ui->Edit3, m_prompts, [&p](const std::u16string& file) { p.Edit3Drop(file); });
}

TfrmReplace::~TfrmReplace() = default;

void TfrmReplace::FormShow()
{
    m_presenter.FormShow();
}

} // namespace plok::app
