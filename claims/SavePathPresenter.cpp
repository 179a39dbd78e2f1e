#include "claims/SavePathPresenter.h"

#include "core/Settings.h"
#include "core/Text.h"

namespace plok::claims {

SavePathPresenter::SavePathPresenter(const Environment& env, Prompts& prompts, View& view)
    : m_env(env)
    , m_prompts(prompts)
    , m_view(view)
{ }

void SavePathPresenter::ShowFolderControls(bool visible)
{
    m_view.SetVisible(Form::Button1, visible);
    m_view.SetVisible(Form::Edit1, visible);
}

void SavePathPresenter::FormShow()
{
    m_view.SetText(Form::Edit1, u"");
    ShowFolderControls(false);
    const std::u16string folder = settings::Read(m_env.settingsFile, settings::kSaveFolder, u"");
    if (!IsBlank(folder)) {
        m_view.SetIndex(Form::RadioGroup1, 1);
        ShowFolderControls(true);
        m_view.SetText(Form::Edit1, folder);
    }
}

void SavePathPresenter::RadioGroup1Click(int index)
{
    // The folder field keeps its text while hidden: choosing 保存先指定 again shows it as it was.
    ShowFolderControls(index == 1);
    if (index != 1)
        settings::Write(m_env.settingsFile, settings::kSaveFolder, u"");
}

void SavePathPresenter::Button1Click()
{
    const std::u16string initial = settings::Read(m_env.settingsFile, settings::kSaveFolder, u"");
    const auto folder = m_prompts.BrowseFolder(u"保存先フォルダを指定してＯＫをクリックしてください", initial);
    if (!folder)
        return;
    m_view.SetText(Form::Edit1, *folder);
    settings::Write(m_env.settingsFile, settings::kSaveFolder, *folder);
}

WindowWiring SavePathPresenter::Wiring()
{
    WindowWiring w = WiringOf<Form>();
    w.clicks = {{Form::Button1, Call(this, &SavePathPresenter::Button1Click)}};
    w.choices = {{Form::RadioGroup1, Call(this, &SavePathPresenter::RadioGroup1Click)}};
    w.shown = Call(this, &SavePathPresenter::FormShow);
    w.closeButton = Form::BitBtn1;
    w.centred = Form::RadioGroup1;
    return w;
}

} // namespace plok::claims
