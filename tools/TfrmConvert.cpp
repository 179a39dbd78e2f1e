#include "tools/TfrmConvert.h"

#include "core/FileNames.h"
#include "core/TextFile.h"
#include "gui/FileDrops.h"
#include "gui/QtText.h"
#include "tools/ChartLink.h"
#include "ui_TfrmConvert.h"

#include <filesystem>

namespace plok::tools {

using gui::Q;
using gui::U;

TfrmConvert::TfrmConvert(const Environment& env, Prompts& prompts, QWidget* parent)
    : ChildWindow(env, prompts, parent)
    , m_ui(std::make_unique<Ui::TfrmConvert>())
    , OpenDialog1(m_env, m_prompts)
{
    m_ui->setupUi(this);
    SetUpFrame({348, 199}, m_ui->BitBtn1);
    OnClick(m_ui->Button1, [this] { Button1Click(); });
    OnClick(m_ui->Button2, [this] { Button2Click(); });
    OnClick(m_ui->Button3, [this] { Button3Click(); });
    gui::AcceptFileDrops(m_ui->Edit1, m_prompts, [this](const std::u16string& file) { TakeSource(file); });
}

TfrmConvert::~TfrmConvert() = default;

void TfrmConvert::FormShow()
{
    InitSet();
    m_fListHasLines = false;
}

void TfrmConvert::InitSet()
{
    m_ui->Edit1->clear();
}

void TfrmConvert::Button3Click()
{
    m_prompts.Information(u"変換前ファイルを選択します");
    if (const auto file = OpenDialog1.Execute())
        m_fListHasLines = HasLines(*file);
    if (m_fListHasLines)
        m_ui->Edit1->setText(Q(OpenDialog1.fileName()));
    else
        m_prompts.Warning(kNotFfFileText);
}

void TfrmConvert::TakeSource(const std::u16string& file)
{
    m_fListHasLines = HasLines(file);
    if (m_fListHasLines)
        m_ui->Edit1->setText(Q(file));
    else
        m_prompts.Warning(kNotFfFileText);
}

void TfrmConvert::Button1Click()
{
    const std::filesystem::path source = U(m_ui->Edit1->text());
    // The run works on what the edit names, typed or chosen: that file becomes the window's source list.
    if (FileExists(source))
        m_fListHasLines = HasLines(source);
    const RunResult result = ConvertToCarte(source, m_env.programFolder);
    if (!result.Done()) {
        m_prompts.Warning(result.message);
        return;
    }
    OpenResult(result.message, result.fileName, u"");
}

void TfrmConvert::Button2Click()
{
    const RunResult result = ExportCsv(U(m_ui->Edit1->text()), m_env.programFolder);
    if (!result.Done())
        m_prompts.Warning(result.message);
}

} // namespace plok::tools
