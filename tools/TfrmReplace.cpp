#include "tools/TfrmReplace.h"

#include "core/Settings.h"
#include "core/TextFile.h"
#include "gui/FileDrops.h"
#include "gui/QtText.h"
#include "tools/Replace.h"
#include "ui_TfrmReplace.h"

#include <QDir>

namespace plok::tools {

namespace {

constexpr char16_t kNotTableFileText[] = u"変換定義ファイルではありません。";

} // namespace

using gui::Q;
using gui::U;

TfrmReplace::TfrmReplace(const Environment& env, Prompts& prompts, QWidget* parent)
    : ChildWindow(env, prompts, parent)
    , m_ui(std::make_unique<Ui::TfrmReplace>())
    , OpenDialog1(m_env, m_prompts)
{
    m_ui->setupUi(this);
    SetUpFrame({348, 228}, m_ui->BitBtn1);
    OnClick(m_ui->Button1, [this] { Button1Click(); });
    OnClick(m_ui->Button2, [this] { Button2Click(); });
    OnClick(m_ui->Button3, [this] { Button3Click(); });
    gui::AcceptFileDrops(m_ui->Edit1, m_prompts, [this](const std::u16string& file) {
        m_fListHasLines = HasLines(file);
        ShowChoice(m_fListHasLines, m_ui->Edit1, file, kNotFfFileText);
    });
    gui::AcceptFileDrops(m_ui->Edit3, m_prompts, [this](const std::u16string& file) {
        m_checkListHasLines = HasLines(file);
        ShowChoice(m_checkListHasLines, m_ui->Edit3, file, kNotTableFileText);
    });
}

void TfrmReplace::ShowChoice(bool fit, QLineEdit* edit, const std::u16string& file, std::u16string_view warning)
{
    if (fit)
        edit->setText(Q(file));
    else
        m_prompts.Warning(warning);
}

TfrmReplace::~TfrmReplace() = default;

void TfrmReplace::FormShow()
{
    InitSet();
    m_fListHasLines = false;
    m_checkListHasLines = false;
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
    if (const auto file = OpenDialog1.Execute())
        m_fListHasLines = HasLines(*file);
    ShowChoice(m_fListHasLines, m_ui->Edit1, OpenDialog1.fileName(), kNotFfFileText);

    m_prompts.Information(u"変換定義ファイルファイルを選択します");
    if (const auto file = OpenDialog1.Execute())
        m_checkListHasLines = HasLines(*file);
    ShowChoice(m_checkListHasLines, m_ui->Edit3, OpenDialog1.fileName(), kNotTableFileText);
}

void TfrmReplace::Button1Click()
{
    const RunResult loaded = CsvSet(U(m_ui->Edit3->text()), m_mlsList, [this](int count) {
        m_ui->Edit2->setText(QString::number(count));
        m_ui->Edit2->repaint();
    });
    if (!loaded.Done()) {
        m_prompts.Warning(loaded.message);
        return;
    }
    const RunResult result = Cnv(U(m_ui->Edit1->text()), m_mlsList, m_env.programFolder);
    if (!result.Done()) {
        m_prompts.Warning(result.message);
        return;
    }
    OpenResult(result.message, result.fileName, u"");
}

void TfrmReplace::Button3Click()
{
    const auto folder = m_prompts.BrowseFolder(u"フォルダを指定してＯＫをクリックしてください", u"");
    if (!folder) {
        m_prompts.Warning(u"ファイルを選択します");
        return;
    }
    m_ui->Edit1->setText(Q(*folder) + QDir::separator());
    settings::Write(m_env.settingsFile, settings::kBackupFolder, Trim(U(m_ui->Edit1->text())));
}

} // namespace plok::tools
