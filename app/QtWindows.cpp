#include "app/QtWindows.h"

#include "app/PresenterWindow.h"
#include "app/TfrmMsg.h"

namespace plok::app {

void QtWindows::Open(WindowKind window)
{
    switch (window) {
    case WindowKind::SavePath:
        (new TfrmSavePath(m_env, m_prompts, m_parent))->DspSet();
        return;
    case WindowKind::Option:
        (new TfrmOption(m_env, m_prompts, m_parent))->DspSet();
        return;
    case WindowKind::Convert:
        (new TfrmConvert(m_env, m_prompts, m_parent))->DspSet();
        return;
    case WindowKind::Replace:
        (new TfrmReplace(m_env, m_prompts, m_parent))->DspSet();
        return;
    }
}

void QtWindows::OpenResult(const ResultTriple& result)
{
    (new TfrmMsg(m_env, m_prompts, m_parent))->DspSet(result);
}

} // namespace plok::app
