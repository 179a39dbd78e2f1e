#include "app/TfrmMain.h"

#include "gui/ChildWindow.h"
#include "gui/FileDrops.h"
#include "ui_TfrmMain.h"

#include <QCloseEvent>

namespace plok::app {

using gui::OnClick;
using gui::OnEdit;

TfrmMain::TfrmMain(const Environment& env, Prompts& prompts, QWidget* parent)
    : QWidget(parent, Qt::Window | gui::kTitleBar)
    , m_ui(std::make_unique<Ui::TfrmMain>())
    , m_prompts(prompts)
    , m_windows(env, prompts, this)
    , m_presenter(env, prompts, m_view, m_windows)
{
    m_ui->setupUi(this);
    gui::SetUpFrame(this, {348, 412}, m_ui->BitBtn1, m_prompts);
    // The combo box takes plain keys only: no input method composes text into it.
    m_ui->ComboBox1->setAttribute(Qt::WA_InputMethodEnabled, false);
    m_ui->ComboBox1->lineEdit()->setAttribute(Qt::WA_InputMethodEnabled, false);

    RunGuarded(m_prompts, [this] { m_presenter.InitSet(); });
    auto& p = m_presenter;
    OnClick(m_ui->Button1, m_prompts, [&p] { p.Button1Click(); });
    OnClick(m_ui->Button2, m_prompts, [&p] { p.Button2Click(); });
    OnClick(m_ui->Button3, m_prompts, [&p] { p.Button3Click(); });
    OnClick(m_ui->Button4, m_prompts, [&p] { p.Button4Click(); });
    OnClick(m_ui->Button5, m_prompts, [&p] { p.Button5Click(); });
    OnClick(m_ui->Button6, m_prompts, [&p] { p.Button6Click(); });
    gui::OnChoose(m_ui->ComboBox1, m_prompts, [&p](int index) { p.ComboBox1Change(index); });
    OnEdit(m_ui->Edit1, m_prompts, [&p](std::u16string text) { p.Edit1Change(std::move(text)); });
    OnEdit(m_ui->Edit2, m_prompts, [&p](std::u16string text) { p.Edit2Change(std::move(text)); });
    OnEdit(m_ui->Edit4, m_prompts, [&p](std::u16string text) { p.Edit4Change(std::move(text)); });
    OnEdit(m_ui->Edit5, m_prompts, [&p](std::u16string text) { p.Edit5Change(std::move(text)); });
    gui::AcceptFileDrops(m_ui->Edit1, m_prompts, [&p](const std::u16string& file) { p.Edit1Drop(file); });
    gui::AcceptFileDrops(m_ui->Edit2, m_prompts, [&p](const std::u16string& file) { p.Edit2Drop(file); });
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::closeEvent(QCloseEvent* event)
{
    // A setting that cannot be written is reported but does not keep the program from ending.
    RunGuarded(m_prompts, [this] { m_presenter.FormClose(); });
    event->accept();
}

} // namespace plok::app
