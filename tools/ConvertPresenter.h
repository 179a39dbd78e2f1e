#pragma once

#include "core/Environment.h"
#include "present/Forms.h"
#include "present/OpenDialog.h"
#include "present/Prompts.h"
#include "present/View.h"
#include "present/WindowOpener.h"
#include "present/Wiring.h"

#include <string>

namespace plok::tools {

/// The ORVA converter window's decisions: picks an FF file and writes its chart-linkage file into the work folder.
class ConvertPresenter
{
public:
    using Form = form::TfrmConvert;

    ConvertPresenter(const Environment& env, Prompts& prompts, View& view, WindowOpener& windows);

    /// Each time the window is shown: an empty source field and an empty source list.
    void FormShow();
    /// "電カル連携ファイル作成": converts the file the source field names, then opens the result dialog.
    void Button1Click();
    /// The hidden "CSV": the plain comma-separated export, without a result dialog.
    void Button2Click();
    /// "変換前ファイル選択": a file with at least one line becomes the source.
    void Button3Click();
    /// The user edited the source field.
    void Edit1Change(std::u16string text);
    /// A file dropped onto the source field: checked as a chosen one.
    void Edit1Drop(const std::u16string& file);
    /// The window's controls and what each hands on.
    WindowWiring Wiring();

private:
    /// Shows `file` as the source when the source list holds a line, else warns.
    void ShowSource(const std::u16string& file);

    Environment m_env;
    Prompts& m_prompts;
    View& m_view;
    WindowOpener& m_windows;
    OpenDialog OpenDialog1;
    std::u16string m_source; // Edit1
    // FList, the lines of the chosen source: only whether it holds a line is ever asked, so only that is kept.
    bool m_fListHasLines = false;
};

} // namespace plok::tools
