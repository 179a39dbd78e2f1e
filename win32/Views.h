#pragma once

#include "claims/MainPresenter.h"
#include "claims/MsgPresenter.h"
#include "claims/SavePathPresenter.h"
#include "present/OptionPresenter.h"
#include "tools/ConvertPresenter.h"
#include "tools/ReplacePresenter.h"
#include "win32/Win32Windows.h"
#include "win32/Window.h"

// The windows of the Windows desktop program: each its layout, a Window over it and its presenter, and the wiring of
// its controls to the presenter; nothing else. The Qt program's windows in app/ are their siblings.
namespace plok::win32 {

/// The main window, a view of claims::MainPresenter. Closing it ends the program.
class TfrmMain
{
public:
    /// `prompts` must outlive the window.
    TfrmMain(const Environment& env, Prompts& prompts);
    Window& window() { return m_window; }

private:
    Window m_window;
    Win32Windows m_windows;
    claims::MainPresenter m_presenter;
};

/// The result dialog of a job, a view of claims::MsgPresenter. It grows to show a long message whole.
class TfrmMsg
{
public:
    /// Reads the save folder setting once (it decides the button's caption).
    TfrmMsg(const Environment& env, Prompts& prompts, HWND owner);
    /// Takes the job's `result`: its message, the dialog grown to show it whole.
    void Take(const ResultTriple& result);
    /// Shows the job's `result` modally (Take); returns true once the dialog is closed.
    bool DspSet(const ResultTriple& result);
    Window& window() { return m_window; }

private:
    Window m_window;
    claims::MsgPresenter m_presenter;
};

/// The save-destination window, a view of claims::SavePathPresenter.
class TfrmSavePath
{
public:
    TfrmSavePath(const Environment& env, Prompts& prompts, HWND owner);
    bool DspSet() { return m_window.DspSet(); }
    Window& window() { return m_window; }

private:
    Window m_window;
    claims::SavePathPresenter m_presenter;
};

/// The option window, a view of OptionPresenter: the two option tools and the choice of the strong anonymisation.
class TfrmOption
{
public:
    TfrmOption(const Environment& env, Prompts& prompts, HWND owner);
    bool DspSet() { return m_window.DspSet(); }
    Window& window() { return m_window; }

private:
    Window m_window;
    Win32Windows m_windows;
    OptionPresenter m_presenter;
};

/// The ORVA converter window, a view of tools::ConvertPresenter.
class TfrmConvert
{
public:
    TfrmConvert(const Environment& env, Prompts& prompts, HWND owner);
    bool DspSet() { return m_window.DspSet(); }
    Window& window() { return m_window; }

private:
    Window m_window;
    Win32Windows m_windows;
    tools::ConvertPresenter m_presenter;
};

/// The replacement window, a view of tools::ReplacePresenter.
class TfrmReplace
{
public:
    TfrmReplace(const Environment& env, Prompts& prompts, HWND owner);
    bool DspSet() { return m_window.DspSet(); }
    Window& window() { return m_window; }

private:
    Window m_window;
    Win32Windows m_windows;
    tools::ReplacePresenter m_presenter;
};

} // namespace plok::win32
