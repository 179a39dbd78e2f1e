#pragma once

#include "core/Environment.h"
#include "core/Settings.h"
#include "present/Forms.h"
#include "present/View.h"
#include "present/WindowOpener.h"
#include "present/Wiring.h"

namespace plok {

/// The option window's decisions: the way to the two option tools, and the choice of the strong anonymisation.
class OptionPresenter
{
public:
    using Form = form::TfrmOption;

    OptionPresenter(const Environment& env, View& view, WindowOpener& windows)
        : m_env(env)
        , m_view(view)
        , m_windows(windows)
    { }

    /// Shows the saved choice of the anonymisation (setting STRONGANON) on CheckBox1.
    void InitSet()
    {
        m_view.SetIndex(
            Form::CheckBox1, settings::ReadFlag(m_env.settingsFile, settings::kStrongAnonymization) ? 1 : 0);
    }
    /// "ORVAコンバーター": the converter window.
    void Button1Click() { m_windows.Open(WindowKind::Convert); }
    /// "リプレース": the replacement window.
    void Button2Click() { m_windows.Open(WindowKind::Replace); }
    /// The user checked or cleared the strong anonymisation: saved at once, for the main window's next anonymisation.
    /// Throws IoError.
    void CheckBox1Click(bool checked)
    {
        settings::Write(m_env.settingsFile, settings::kStrongAnonymization, checked ? u"1" : u"0");
    }

    /// The window's controls and what each hands on.
    WindowWiring Wiring()
    {
        WindowWiring w = WiringOf<Form>();
        w.clicks = {{Form::Button1, Call(this, &OptionPresenter::Button1Click)},
            {Form::Button2, Call(this, &OptionPresenter::Button2Click)}};
        w.checks = {{Form::CheckBox1, Call(this, &OptionPresenter::CheckBox1Click)}};
        w.created = Call(this, &OptionPresenter::InitSet);
        w.closeButton = Form::BitBtn1;
        return w;
    }

private:
    Environment m_env;
    View& m_view;
    WindowOpener& m_windows;
};

} // namespace plok
