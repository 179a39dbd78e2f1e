#include "tools/TfrmConvert.h"

#include "claims/TfrmMsg.h"
#include "core/FileNames.h"
#include "core/TextFile.h"
#include "tools/ChartLink.h"
#include "ui/UiSupport.h"
#include "ui_TfrmConvert.h"

#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>
#include <filesystem>

namespace plok::tools {

namespace {

using ui::Q;
using ui::U;

} // namespace

TfrmConvert::TfrmConvert(const Environment& env, Prompts& prompts, QWidget* parent)
    : QDialog(parent, ui::kChildWindowFlags)
    , m_ui(std::make_unique<Ui::TfrmConvert>())
    , m_env(env)
    , m_prompts(prompts)
{
    m_ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    resize(348, 199);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    ui::SetCloseGlyph(m_ui->BitBtn1);

    m_openResult = [this](std::u16string msg, std::u16string file1, std::u16string file2) {
        claims::ShowResultDialog(m_env, m_prompts, this, msg, file1, file2);
    };

    ui::ConnectGuarded(m_ui->BitBtn1, &QPushButton::clicked, this, m_prompts, [this] { close(); });
    ui::ConnectGuarded(m_ui->Button1, &QPushButton::clicked, this, m_prompts, [this] { Button1Click(); });
    ui::ConnectGuarded(m_ui->Button2, &QPushButton::clicked, this, m_prompts, [this] { Button2Click(); });
    ui::ConnectGuarded(m_ui->Button3, &QPushButton::clicked, this, m_prompts, [this] { Button3Click(); });
}

TfrmConvert::~TfrmConvert() = default;

bool TfrmConvert::DspSet()
{
    exec();
    return true;
}

void TfrmConvert::SetResultOpener(ResultOpener opener)
{
    m_openResult = std::move(opener);
}

void TfrmConvert::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmConvert::FormShow()
{
    InitSet();
    m_fListSize = 0;
}

void TfrmConvert::InitSet()
{
    m_ui->Edit1->clear();
}

void TfrmConvert::Button3Click()
{
    m_prompts.Information(u"変換前ファイルを選択します");
    if (const auto file = m_prompts.OpenFile()) {
        // The dialog keeps the confirmed name even when the file then fails to load.
        m_dialogFileName = *file;
        m_fListSize = LoadLines(*file).size();
    }
    if (m_fListSize > 0)
        m_ui->Edit1->setText(Q(m_dialogFileName));
    else
        m_prompts.Warning(u"正しいFFファイルではありません。");
}

void TfrmConvert::Button1Click()
{
    const std::filesystem::path source = U(m_ui->Edit1->text());
    // The run works on what the edit names, typed or chosen: that file becomes the window's source list.
    if (FileExists(source))
        m_fListSize = LoadLines(source).size();
    const CarteResult result = ConvertToCarte(source, m_env.programFolder);
    if (result.status != CarteResult::Status::Done) {
        m_prompts.Warning(result.message);
        return;
    }
    m_openResult(result.message, result.fileName, u"");
}

void TfrmConvert::Button2Click()
{
    const ExportResult result = ExportCsv(U(m_ui->Edit1->text()), m_env.programFolder);
    if (result.status != ExportResult::Status::Done)
        m_prompts.Warning(result.message);
}

} // namespace plok::tools
