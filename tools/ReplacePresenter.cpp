#include "tools/ReplacePresenter.h"

#include "core/FileNames.h"
#include "core/Settings.h"
#include "core/Text.h"
#include "core/TextFile.h"
#include "tools/Replace.h"

#include <optional>

namespace plok::tools {

ReplacePresenter::ReplacePresenter(const Environment& env, Prompts& prompts, View& view, WindowOpener& windows)
    : m_env(env)
    , m_prompts(prompts)
    , m_view(view)
    , m_windows(windows)
    , OpenDialog1(m_env, m_prompts)
    , m_source {Form::Edit1, kNotFfFileText, {}}
    , m_table {Form::Edit3, u"変換定義ファイルではありません。", {}}
{ }

void ReplacePresenter::FormShow()
{
    for (FileField* field : {&m_source, &m_table}) {
        SetPath(*field, u"");
        field->hasLines = false;
    }
    m_view.SetText(Form::Edit2, u"");
    m_view.SetText(Form::Edit4, u"");
    m_view.SetIndex(Form::CheckBox1, 1);
    m_mlsList.Clear();
}

void ReplacePresenter::SetPath(FileField& field, std::u16string path)
{
    field.path = std::move(path);
    m_view.SetText(field.edit, field.path);
}

void ReplacePresenter::Edit1Change(std::u16string text)
{
    m_source.path = std::move(text);
}

void ReplacePresenter::Edit3Change(std::u16string text)
{
    m_table.path = std::move(text);
}

void ReplacePresenter::Choose(
    FileField& field, const std::optional<std::u16string>& chosen, const std::u16string& shown)
{
    if (chosen)
        field.hasLines = HasLines(*chosen);
    if (field.hasLines)
        SetPath(field, shown);
    else
        m_prompts.Warning(field.unfit);
}

void ReplacePresenter::Edit1Drop(const std::u16string& file)
{
    Choose(m_source, file, file);
}

void ReplacePresenter::Edit3Drop(const std::u16string& file)
{
    Choose(m_table, file, file);
}

void ReplacePresenter::Button2Click()
{
    // Both questions are asked whatever the first gave; after a cancel a field gets the file last confirmed in the
    // shared dialog, which may be the one chosen for the other field.
    m_prompts.Information(u"変換前ファイルを選択します");
    const auto source = OpenDialog1.Execute();
    Choose(m_source, source, OpenDialog1.fileName());

    m_prompts.Information(u"変換定義ファイルファイルを選択します");
    const auto table = OpenDialog1.Execute();
    Choose(m_table, table, OpenDialog1.fileName());
}

void ReplacePresenter::Button1Click()
{
    // The (hidden) count field shows the pairs loaded, also when the table stops at a line without a comma. It is
    // written once the loading ends rather than for every line: nobody sees it on the way.
    std::optional<int> count;
    const auto showCount = [&] {
        if (count)
            m_view.SetText(Form::Edit2, IntToStr(*count));
    };
    RunResult loaded;
    try {
        loaded = CsvSet(ToPath(m_table.path), m_mlsList, [&count](int n) { count = n; });
    } catch (...) {
        showCount();
        throw;
    }
    showCount();
    if (!loaded.Done()) {
        m_prompts.Warning(loaded.message);
        return;
    }
    const RunResult result = Cnv(ToPath(m_source.path), m_mlsList, m_env.programFolder);
    if (!result.Done()) {
        m_prompts.Warning(RefusalText(result, u"変換前ファイル：", m_source.path));
        return;
    }
    m_windows.OpenResult({result.message, result.fileName, u""});
}

void ReplacePresenter::Button3Click()
{
    const auto folder = m_prompts.BrowseFolder(u"フォルダを指定してＯＫをクリックしてください", u"");
    if (!folder) {
        m_prompts.Warning(u"ファイルを選択します");
        return;
    }
    SetPath(m_source, *folder + static_cast<char16_t>(std::filesystem::path::preferred_separator));
    settings::Write(m_env.settingsFile, settings::kBackupFolder, Trim(m_source.path));
}

WindowWiring ReplacePresenter::Wiring()
{
    WindowWiring w = WiringOf<Form>();
    w.clicks = {{Form::Button1, Call(this, &ReplacePresenter::Button1Click)},
        {Form::Button2, Call(this, &ReplacePresenter::Button2Click)},
        {Form::Button3, Call(this, &ReplacePresenter::Button3Click)}};
    w.edits = {{Form::Edit1, Call(this, &ReplacePresenter::Edit1Change)},
        {Form::Edit3, Call(this, &ReplacePresenter::Edit3Change)}};
    w.drops = {{Form::Edit1, OneDroppedFile(m_prompts, Call(this, &ReplacePresenter::Edit1Drop))},
        {Form::Edit3, OneDroppedFile(m_prompts, Call(this, &ReplacePresenter::Edit3Drop))}};
    w.shown = Call(this, &ReplacePresenter::FormShow);
    w.closeButton = Form::BitBtn1;
    return w;
}

} // namespace plok::tools
