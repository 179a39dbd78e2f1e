#pragma once

#include "core/Environment.h"
#include "present/Forms.h"
#include "present/OpenDialog.h"
#include "present/Prompts.h"
#include "present/View.h"
#include "present/WindowOpener.h"
#include "present/Wiring.h"
#include "tools/ChangeTable.h"

#include <string>
#include <string_view>

namespace plok::tools {

/// The replacement window's decisions: picks a file and a change-definition file and writes the replaced copy into
/// the work folder.
class ReplacePresenter
{
public:
    using Form = form::TfrmReplace;

    ReplacePresenter(const Environment& env, Prompts& prompts, View& view, WindowOpener& windows);

    /// Each time the window is shown: empty fields, the check box checked, empty lists.
    void FormShow();
    /// "変換実行": loads the change-definition table, replaces, then opens the result dialog.
    void Button1Click();
    /// "変換前ファイル選択": asks for the source, then for the change-definition file, in the one dialog.
    void Button2Click();
    /// The hidden "変換前フォルダ選択": a folder for the source field, remembered in the setting BACKUP.
    void Button3Click();
    /// The user edited the source (Edit1) or change-definition (Edit3) field.
    void Edit1Change(std::u16string text);
    void Edit3Change(std::u16string text);
    /// A file dropped onto the source or change-definition field: checked as a chosen one.
    void Edit1Drop(const std::u16string& file);
    void Edit3Drop(const std::u16string& file);
    /// The window's controls and what each hands on.
    WindowWiring Wiring();

private:
    /// One of the two file fields: what it holds, and whether the list its selection loads holds a line.
    struct FileField
    {
        ControlId edit;
        std::u16string_view unfit;
        std::u16string path;
        bool hasLines = false;
    };

    /// Loads `file` into the field's list when it was chosen, then shows `shown` in the field when the list holds a
    /// line, else warns.
    void Choose(FileField& field, const std::optional<std::u16string>& chosen, const std::u16string& shown);
    void SetPath(FileField& field, std::u16string path);

    Environment m_env;
    Prompts& m_prompts;
    View& m_view;
    WindowOpener& m_windows;
    // The one open-file dialog both selections share.
    OpenDialog OpenDialog1;
    ChangeTable m_mlsList;
    // FList (the source) and the definition check list are loaded only to learn whether they hold a line.
    FileField m_source;
    FileField m_table;
};

} // namespace plok::tools
