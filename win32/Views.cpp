#include "win32/Views.h"

namespace plok::win32 {

TfrmMain::TfrmMain(const Environment& env, Prompts& prompts)
    : m_window(kTfrmMainLayout, prompts, nullptr, "BitBtn1")
    , m_windows(env, prompts, m_window.hwnd())
    , m_presenter(env, prompts, m_window, m_windows)
{
    RunGuarded(prompts, [this] { m_presenter.InitSet(); });
    auto& p = m_presenter;
    Window& w = m_window;
    w.OnClick("Button1", [&p] { p.Button1Click(); });
    w.OnClick("Button2", [&p] { p.Button2Click(); });
    w.OnClick("Button3", [&p] { p.Button3Click(); });
    w.OnClick("Button4", [&p] { p.Button4Click(); });
    w.OnClick("Button5", [&p] { p.Button5Click(); });
    w.OnClick("Button6", [&p] { p.Button6Click(); });
    w.OnChoose("ComboBox1", [&p](int index) { p.ComboBox1Change(index); });
    w.OnEdit("Edit1", [&p](std::u16string text) { p.Edit1Change(std::move(text)); });
    w.OnEdit("Edit2", [&p](std::u16string text) { p.Edit2Change(std::move(text)); });
    w.OnEdit("Edit4", [&p](std::u16string text) { p.Edit4Change(std::move(text)); });
    w.OnEdit("Edit5", [&p](std::u16string text) { p.Edit5Change(std::move(text)); });
    w.OnDrop("Edit1", [&p](const std::u16string& file) { p.Edit1Drop(file); });
    w.OnDrop("Edit2", [&p](const std::u16string& file) { p.Edit2Drop(file); });
    // A setting that cannot be written is reported but does not keep the program from ending.
    w.OnClose([&p] { p.FormClose(); });
}

TfrmMsg::TfrmMsg(const Environment& env, Prompts& prompts, HWND owner)
    : m_window(kTfrmMsgLayout, prompts, owner, nullptr)
    , m_presenter(env, prompts, m_window)
{
    m_window.OnClick("Button1", [this] { m_presenter.Button1Click(); });
    m_window.OnClose([this] { m_presenter.FormClose(); });
    m_window.KeepCentred("Button1");
    RunGuarded(prompts, [this] { m_presenter.InitSet(); });
}

void TfrmMsg::Take(const ResultTriple& result)
{
    m_presenter.DspSet(result);
    m_window.FitText("Label1");
}

bool TfrmMsg::DspSet(const ResultTriple& result)
{
    Take(result);
    return m_window.DspSet();
}

TfrmSavePath::TfrmSavePath(const Environment& env, Prompts& prompts, HWND owner)
    : m_window(kTfrmSavePathLayout, prompts, owner, "BitBtn1")
    , m_presenter(env, prompts, m_window)
{
    m_window.OnClick("Button1", [this] { m_presenter.Button1Click(); });
    m_window.OnChoose("RadioGroup1", [this](int index) { m_presenter.RadioGroup1Click(index); });
    m_window.OnShow([this] { m_presenter.FormShow(); });
    m_window.KeepCentred("RadioGroup1");
}

TfrmOption::TfrmOption(const Environment& env, Prompts& prompts, HWND owner)
    : m_window(kTfrmOptionLayout, prompts, owner, "BitBtn1")
    , m_windows(env, prompts, m_window.hwnd())
    , m_presenter(env, m_window, m_windows)
{
    m_window.OnClick("Button1", [this] { m_presenter.Button1Click(); });
    m_window.OnClick("Button2", [this] { m_presenter.Button2Click(); });
    m_window.OnClick("CheckBox1", [this] { m_presenter.CheckBox1Click(m_window.IsChecked("CheckBox1")); });
    RunGuarded(prompts, [this] { m_presenter.InitSet(); });
}

TfrmConvert::TfrmConvert(const Environment& env, Prompts& prompts, HWND owner)
    : m_window(kTfrmConvertLayout, prompts, owner, "BitBtn1")
    , m_windows(env, prompts, m_window.hwnd())
    , m_presenter(env, prompts, m_window, m_windows)
{
    auto& p = m_presenter;
    m_window.OnClick("Button1", [&p] { p.Button1Click(); });
    m_window.OnClick("Button2", [&p] { p.Button2Click(); });
    m_window.OnClick("Button3", [&p] { p.Button3Click(); });
    m_window.OnEdit("Edit1", [&p](std::u16string text) { p.Edit1Change(std::move(text)); });
    m_window.OnDrop("Edit1", [&p](const std::u16string& file) { p.Edit1Drop(file); });
    m_window.OnShow([&p] { p.FormShow(); });
}

TfrmReplace::TfrmReplace(const Environment& env, Prompts& prompts, HWND owner)
    : m_window(kTfrmReplaceLayout, prompts, owner, "BitBtn1")
    , m_windows(env, prompts, m_window.hwnd())
    , m_presenter(env, prompts, m_window, m_windows)
{
    auto& p = m_presenter;
    m_window.OnClick("Button1", [&p] { p.Button1Click(); });
    m_window.OnClick("Button2", [&p] { p.Button2Click(); });
    m_window.OnClick("Button3", [&p] { p.Button3Click(); });
    m_window.OnEdit("Edit1", [&p](std::u16string text) { p.Edit1Change(std::move(text)); });
    m_window.OnEdit("Edit3", [&p](std::u16string text) { p.Edit3Change(std::move(text)); });
    m_window.OnDrop("Edit1", [&p](const std::u16string& file) { p.Edit1Drop(file); });
    m_window.OnDrop("Edit3", [&p](const std::u16string& file) { p.Edit3Drop(file); });
    m_window.OnShow([&p] { p.FormShow(); });
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
