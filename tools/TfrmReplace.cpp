#include "tools/TfrmReplace.h"

#include "claims/TfrmMsg.h"
#include "core/IniFile.h"
#include "core/TextFile.h"
#include "tools/Replace.h"
#include "ui/UiSupport.h"
#include "ui_TfrmReplace.h"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>

namespace plok::tools {

namespace {

using ui::Q;
using ui::U;

} // namespace

TfrmReplace::TfrmReplace(const Environment& env, Prompts& prompts, QWidget* parent)
    : QDialog(parent, ui::kChildWindowFlags)
    , m_ui(std::make_unique<Ui::TfrmReplace>())
    , m_env(env)
    , m_prompts(prompts)
{
    m_ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    resize(348, 228);
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

TfrmReplace::~TfrmReplace() = default;

bool TfrmReplace::DspSet()
{
    exec();
    return true;
}

void TfrmReplace::SetResultOpener(ResultOpener opener)
{
    m_openResult = std::move(opener);
}

void TfrmReplace::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmReplace::FormShow()
{
    InitSet();
    m_fListSize = 0;
    m_checkListSize = 0;
    m_mlsList.Clear();
}

void TfrmReplace::InitSet()
{
    m_ui->Edit1->clear();
    m_ui->Edit2->clear();
    m_ui->Edit3->clear();
    m_ui->Edit4->clear();
    m_ui->CheckBox1->setChecked(true);
}

void TfrmReplace::Button2Click()
{
    m_prompts.Information(u"変換前ファイルを選択します");
    if (const auto file = m_prompts.OpenFile()) {
        // The dialog keeps the confirmed name even when the file then fails to load.
        m_dialogFileName = *file;
        m_fListSize = LoadLines(*file).size();
    }
    if (m_fListSize == 0)
        m_prompts.Warning(u"正しいFFファイルではありません。");
    else
        m_ui->Edit1->setText(Q(m_dialogFileName));

    m_prompts.Information(u"変換定義ファイルファイルを選択します");
    if (const auto file = m_prompts.OpenFile()) {
        m_dialogFileName = *file;
        m_checkListSize = LoadLines(*file).size();
    }
    if (m_checkListSize == 0)
        m_prompts.Warning(u"変換定義ファイルではありません。");
    else
        m_ui->Edit3->setText(Q(m_dialogFileName));
}

void TfrmReplace::Button1Click()
{
    const CsvSetResult loaded = CsvSet(U(m_ui->Edit3->text()), m_mlsList, [this](int count) {
        m_ui->Edit2->setText(QString::number(count));
        m_ui->Edit2->repaint();
    });
    if (loaded.status != CsvSetResult::Status::Loaded) {
        m_prompts.Warning(loaded.message);
        return;
    }
    const ReplaceResult result = Cnv(U(m_ui->Edit1->text()), m_mlsList, m_env.programFolder);
    if (result.status != ReplaceResult::Status::Done) {
        m_prompts.Warning(result.message);
        return;
    }
    m_openResult(result.message, result.fileName, u"");
}

void TfrmReplace::Button3Click()
{
    const auto folder = m_prompts.BrowseFolder(u"フォルダを指定してＯＫをクリックしてください", u"");
    if (!folder) {
        m_prompts.Warning(u"ファイルを選択します");
        return;
    }
    m_ui->Edit1->setText(Q(*folder) + QDir::separator());
    IFWriteIniStr(m_env.settingsFile, u"PARAM", u"BACKUP", Trim(U(m_ui->Edit1->text())));
}

} // namespace plok::tools
