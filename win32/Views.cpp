#include "win32/Views.h"

namespace plok::win32 {

void TfrmMsg::Take(const ResultTriple& result)
{
    m_presenter.DspSet(result);
    m_window.FitText(claims::MsgPresenter::Form::Label1);
}

bool TfrmMsg::DspSet(const ResultTriple& result)
{
    Take(result);
    return m_window.DspSet();
}

void Win32Windows::Open(WindowKind window)
{
    switch (window) {
    case WindowKind::SavePath:
        TfrmSavePath(m_env, m_prompts, m_owner).DspSet();
        return;
    case WindowKind::Option:
        TfrmOption(m_env, m_prompts, m_owner).DspSet();
        return;
    case WindowKind::Convert:
        TfrmConvert(m_env, m_prompts, m_owner).DspSet();
        return;
    case WindowKind::Replace:
        TfrmReplace(m_env, m_prompts, m_owner).DspSet();
        return;
    }
}

void Win32Windows::OpenResult(const ResultTriple& result)
{
    TfrmMsg(m_env, m_prompts, m_owner).DspSet(result);
}

} // namespace plok::win32
