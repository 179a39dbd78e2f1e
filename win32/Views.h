#pragma once

#include "claims/MainPresenter.h"
#include "claims/MsgPresenter.h"
#include "claims/SavePathPresenter.h"
#include "present/OptionPresenter.h"
#include "tools/ConvertPresenter.h"
#include "tools/ReplacePresenter.h"
#include "win32/Win32Windows.h"
#include "win32/Window.h"

// The windows of the Windows desktop program: each its layout, a Window over it and its presenter wired to it as the
// presenter's wiring says; nothing else. The Qt program's windows in app/ are their siblings.
namespace plok::win32 {

/// The window of `Presenter::Form`, a view of `Presenter`. The windows it opens are modal over it.
template<class Presenter>
class PresenterWindow
{
public:
    /// `prompts` must outlive the window. A child window is owned by `owner`; the main window has none.
    PresenterWindow(const Environment& env, Prompts& prompts, HWND owner = nullptr)
        : m_window(LayoutOf<typename Presenter::Form>(), prompts, owner)
        , m_windows(env, prompts, m_window.hwnd())
        , m_presenter(MakePresenter<Presenter>(env, prompts, m_window, m_windows))
    {
        m_window.Wire(m_presenter.Wiring());
    }

    /// Shows the window modally; returns true once it has closed.
    bool DspSet() { return m_window.DspSet(); }
    Window& window() { return m_window; }

protected:
    Window m_window;
    Win32Windows m_windows;
    Presenter m_presenter;
};

/// The main window. Closing it ends the program.
using TfrmMain = PresenterWindow<claims::MainPresenter>;
/// The save-destination window.
using TfrmSavePath = PresenterWindow<claims::SavePathPresenter>;
/// The option window: the two option tools and the choice of the strong anonymisation.
using TfrmOption = PresenterWindow<OptionPresenter>;
/// The ORVA converter window.
using TfrmConvert = PresenterWindow<tools::ConvertPresenter>;
/// The replacement window.
using TfrmReplace = PresenterWindow<tools::ReplacePresenter>;

/// The result dialog of a job. It grows to show a long message whole.
class TfrmMsg : public PresenterWindow<claims::MsgPresenter>
{
public:
    using PresenterWindow::PresenterWindow;

    /// Takes the job's `result`: its message, the dialog grown to show it whole.
    void Take(const ResultTriple& result);
    /// Shows the job's `result` modally (Take); returns true once the dialog is closed.
    bool DspSet(const ResultTriple& result);
};

} // namespace plok::win32
