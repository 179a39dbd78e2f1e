#include "app/TfrmMain.h"

#include "gui/ChildWindow.h"
#include "gui/Wiring.h"
#include "ui_TfrmMain.h"

namespace plok::app {

TfrmMain::TfrmMain(const Environment& env, Prompts& prompts, QWidget* parent)
    : QWidget(parent, Qt::Window | gui::kTitleBar)
    , m_ui(std::make_unique<Ui::TfrmMain>())
    , m_windows(env, prompts, this)
    , m_presenter(env, prompts, m_view, m_windows)
{
    m_ui->setupUi(this);
    gui::SetUpWindow(this, m_presenter.Wiring(), prompts);
}

TfrmMain::~TfrmMain() = default;

} // namespace plok::app
