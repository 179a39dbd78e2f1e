#include "claims/MsgPresenter.h"

#include "claims/Delivery.h"

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
        m_view.SetText("Button1", u"保存");
}

void MsgPresenter::DspSet(ResultTriple result)
{
    m_result = std::move(result);
    m_view.SetText("Label1", m_result.gstMsg);
}

void MsgPresenter::Button1Click()
{
    const DeliveryResult result = DeliverFiles(m_env, gstPath, m_result.gstFile1, m_result.gstFile2);
    // Staff take a closed dialog for saved files: whatever could not be delivered is said before it closes.
    if (result.status == RunStatus::UnsafeSubfolder)
        m_prompts.Warning(result.message);
    else if (const std::u16string undelivered = UndeliveredText(m_env, result); !undelivered.empty())
        m_prompts.Warning(undelivered);
    m_view.Close();
}

} // namespace plok::claims
