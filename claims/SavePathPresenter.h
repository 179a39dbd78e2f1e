#pragma once

#include "core/Environment.h"
#include "present/Forms.h"
#include "present/Prompts.h"
#include "present/View.h"
#include "present/Wiring.h"

namespace plok::claims {

/// The save-destination window's decisions: the Downloads folder or a folder of the user's, written to the setting
/// SAVEFDR as soon as the user decides.
class SavePathPresenter
{
public:
    using Form = form::TfrmSavePath;

    SavePathPresenter(const Environment& env, Prompts& prompts, View& view);

    /// Each time the window is shown: the stored folder selects "保存先指定" and shows the folder and its button.
    void FormShow();
    /// The user selected item `index` of the radio group: "ダウンロードフォルダ" (0) empties SAVEFDR at once,
    /// "保存先指定" (1) shows the folder controls and stores nothing. Throws IoError.
    void RadioGroup1Click(int index);
    /// "保存先選択": the folder browser, started at the stored folder; a chosen folder is stored. Throws IoError.
    void Button1Click();
    /// The window's controls and what each hands on: the radio group stays in the middle as the window grows.
    WindowWiring Wiring();

private:
    void ShowFolderControls(bool visible);

    Environment m_env;
    Prompts& m_prompts;
    View& m_view;
};

} // namespace plok::claims
