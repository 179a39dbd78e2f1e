#include "claims/MsgPresenter.h"

#include "claims/Delivery.h"
#include "core/FileNames.h"

namespace plok::claims {

MsgPresenter::MsgPresenter(const Environment& env, Prompts& prompts, View& view)
    : m_env(env)
    , m_prompts(prompts)
    , m_view(view)
{ }

void MsgPresenter::InitSet()
{
    gstPath = ReadSaveFolder(m_env.settingsFile);
    if (HasSaveFolder(gstPath))
        m_view.SetText(Form::Button1, u"保存");
}

void MsgPresenter::DspSet(ResultTriple result)
{
    m_result = std::move(result);
    m_view.SetText(Form::Label1, m_result.gstMsg);
}

void MsgPresenter::Button1Click()
{
    const DeliveryResult result = DeliverFiles(m_env, gstPath, m_result.gstFile1, m_result.gstFile2);
    m_handedOver = true;
    // Staff take a closed dialog for saved files: whatever could not be delivered is said before it closes, with the
    // work folder where it lies, which is hidden from a file manager's usual view.
    if (const std::u16string undelivered = UndeliveredText(m_env, result); !undelivered.empty()) {
        if (m_prompts.WarningConfirm(undelivered + u"\n\n作業フォルダを開きますか？")
            && !m_prompts.OpenDocument(PathText(m_env.programFolder)))
            m_prompts.Warning(u"作業フォルダを開けませんでした。ファイルマネージャーで次のフォルダを開いてください。\n"
                + PathText(m_env.programFolder));
    }
    m_view.Close();
}

void MsgPresenter::FormClose()
{
    if (m_handedOver)
        return;
    std::u16string stayed;
    for (const std::u16string& name : {m_result.gstFile1, m_result.gstFile2}) {
        std::error_code ec;
        if (!name.empty() && !std::filesystem::remove(m_env.programFolder / ToPath(name), ec) && ec)
            stayed += u"\n" + name;
    }
    if (!stayed.empty())
        m_prompts.Warning(u"保存しなかった次のファイルを作業フォルダから削除できませんでした。\n" + stayed
            + u"\n\n作業フォルダ:\n" + PathText(m_env.programFolder) + u"\n\nファイルマネージャーで削除してください。");
}

WindowWiring MsgPresenter::Wiring()
{
    WindowWiring w = WiringOf<Form>();
    w.clicks = {{Form::Button1, Call(this, &MsgPresenter::Button1Click)}};
    w.created = Call(this, &MsgPresenter::InitSet);
    w.closed = Call(this, &MsgPresenter::FormClose);
    w.centred = Form::Button1;
    return w;
}

} // namespace plok::claims
