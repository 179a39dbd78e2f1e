#include "app/TfrmOption.h"

#include "tools/TfrmConvert.h"
#include "tools/TfrmReplace.h"
#include "ui/UiSupport.h"
#include "ui_TfrmOption.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>

namespace plok::app {

TfrmOption::TfrmOption(const Environment& env, Prompts& prompts, QWidget* parent)
    : QDialog(parent, ui::kChildWindowFlags)
    , m_ui(std::make_unique<Ui::TfrmOption>())
    , m_env(env)
    , m_prompts(prompts)
{
    m_ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    resize(348, 199);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    ui::SetCloseGlyph(m_ui->BitBtn1);

    ui::ConnectGuarded(m_ui->BitBtn1, &QPushButton::clicked, this, m_prompts, [this] { close(); });
    ui::ConnectGuarded(m_ui->Button1, &QPushButton::clicked, this, m_prompts, [this] { Button1Click(); });
    ui::ConnectGuarded(m_ui->Button2, &QPushButton::clicked, this, m_prompts, [this] { Button2Click(); });
}

TfrmOption::~TfrmOption() = default;

bool TfrmOption::DspSet()
{
    exec();
    return true;
}

void TfrmOption::Button1Click()
{
    (new tools::TfrmConvert(m_env, m_prompts, this))->DspSet();
}

void TfrmOption::Button2Click()
{
    (new tools::TfrmReplace(m_env, m_prompts, this))->DspSet();
}

} // namespace plok::app
