#include "tools/ConvertPresenter.h"

#include "core/FileNames.h"
#include "core/TextFile.h"
#include "tools/ChartLink.h"

namespace plok::tools {

namespace {

constexpr char16_t kSourceLabel[] = u"変換前ファイル：";

} // namespace

ConvertPresenter::ConvertPresenter(const Environment& env, Prompts& prompts, View& view, WindowOpener& windows)
    : m_env(env)
    , m_prompts(prompts)
    , m_view(view)
    , m_windows(windows)
    , OpenDialog1(m_env, m_prompts)
{ }

void ConvertPresenter::FormShow()
{
    m_source.clear();
    m_view.SetText(Form::Edit1, u"");
    m_fListHasLines = false;
}

void ConvertPresenter::Edit1Change(std::u16string text)
{
    m_source = std::move(text);
}

void ConvertPresenter::ShowSource(const std::u16string& file)
{
    if (!m_fListHasLines) {
        m_prompts.Warning(kNotFfFileText);
        return;
    }
    m_source = file;
    m_view.SetText(Form::Edit1, m_source);
}

void ConvertPresenter::Button3Click()
{
    m_prompts.Information(u"変換前ファイルを選択します");
    // A cancelled dialog keeps the list, and the field gets the file last confirmed in the dialog again.
    if (const auto file = OpenDialog1.Execute())
        m_fListHasLines = HasLines(*file);
    ShowSource(OpenDialog1.fileName());
}

void ConvertPresenter::Edit1Drop(const std::u16string& file)
{
    m_fListHasLines = HasLines(file);
    ShowSource(file);
}

void ConvertPresenter::Button1Click()
{
    const std::filesystem::path source = ToPath(m_source);
    // The run works on what the field names, typed or chosen: that file becomes the window's source list.
    if (FileExists(source))
        m_fListHasLines = HasLines(source);
    const RunResult result = ConvertToCarte(source, m_env.programFolder);
    if (!result.Done()) {
        m_prompts.Warning(RefusalText(result, kSourceLabel, m_source));
        return;
    }
    m_windows.OpenResult({result.message, result.fileName, u""});
}

void ConvertPresenter::Button2Click()
{
    const RunResult result = ExportCsv(ToPath(m_source), m_env.programFolder);
    if (!result.Done())
        m_prompts.Warning(RefusalText(result, kSourceLabel, m_source));
}

WindowWiring ConvertPresenter::Wiring()
{
    WindowWiring w = WiringOf<Form>();
    w.clicks = {{Form::Button1, Call(this, &ConvertPresenter::Button1Click)},
        {Form::Button2, Call(this, &ConvertPresenter::Button2Click)},
        {Form::Button3, Call(this, &ConvertPresenter::Button3Click)}};
    w.edits = {{Form::Edit1, Call(this, &ConvertPresenter::Edit1Change)}};
    w.drops = {{Form::Edit1, OneDroppedFile(m_prompts, Call(this, &ConvertPresenter::Edit1Drop))}};
    w.shown = Call(this, &ConvertPresenter::FormShow);
    w.closeButton = Form::BitBtn1;
    return w;
}

} // namespace plok::tools
