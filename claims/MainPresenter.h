#pragma once

#include "claims/ClaimsLayout.h"
#include "core/Environment.h"
#include "core/RunResult.h"
#include "present/Forms.h"
#include "present/OpenDialog.h"
#include "present/Prompts.h"
#include "present/View.h"
#include "present/WindowOpener.h"
#include "present/Wiring.h"

#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace plok::claims {

/// The main window's decisions: picks the social and national claims files, runs anonymisation or branch-number
/// removal on both and hands the result dialog what that click produced, and only when it produced a file.
class MainPresenter
{
public:
    using Form = form::TfrmMain;

    MainPresenter(const Environment& env, Prompts& prompts, View& view, WindowOpener& windows);

    /// Resets the controls and restores the removal mode (setting CB1); the position fields show when the restored
    /// mode is the position mode.
    void InitSet();
    /// "レセ電データ匿名化": anonymises both files; a copy the audit finds identifiers in is not written. Then the
    /// result dialog for the copies written. The strong anonymisation when the option window chose it (setting
    /// STRONGANON), with the clinic key beside user.ini, made on first use; a key that cannot be used is a warning,
    /// and nothing runs.
    void Button1Click();
    /// "レセ電データ枝番除去": strips both files in the chosen mode, then the result dialog for the copies written.
    /// Without a mode, or with positions that give no range, nothing runs and one warning says why. Full-width digits
    /// in the position fields count as digits.
    void Button2Click();
    /// "ファイル選択": asks for the files whose fields are blank, checking each file's kind and payer.
    void Button3Click();
    /// "保存先設定".
    void Button4Click();
    /// "マニュアル": the manual installed on this computer; the user is told where it is when no program opens it.
    void Button5Click();
    /// "オプション".
    void Button6Click();
    /// The user chose the removal mode's item `index` (-1: none): the position fields show for item 1 only.
    void ComboBox1Change(int index);
    /// The user edited the social (Edit1), national (Edit2), first (Edit4) or last position (Edit5) field.
    void Edit1Change(std::u16string text);
    void Edit2Change(std::u16string text);
    void Edit4Change(std::u16string text);
    void Edit5Change(std::u16string text);
    /// Files dropped onto the social or national field, alike: each is checked as a chosen one and goes to the field
    /// of its payer; two of one payer go to neither, with a warning.
    void Edit1Drop(const std::vector<std::u16string>& files);
    void Edit2Drop(const std::vector<std::u16string>& files);
    /// Stores the removal mode (CB1), unless none is chosen. Throws IoError.
    void FormClose();
    /// The window's controls and what each hands on.
    WindowWiring Wiring();

private:
    /// One of the two claims files: its field, its payer digit and its texts.
    struct ClaimsField
    {
        ControlId edit;
        bool national; // the payer: national insurance, or social insurance
        std::u16string_view payerName; // 社保, 国保
        std::u16string_view label; // the field's label in the window
        std::u16string_view choose;
        std::u16string_view notThisPayer;
        std::u16string path;
    };

    void SetPath(ClaimsField& field, std::u16string path);
    /// Reads the first line of `file` into Memo1; when it is the first line of a claims file of the field's payer, the
    /// field takes the file's path, otherwise the runs' refusal of the file, or the warning for that payer, is shown.
    void TakeClaimsFile(ClaimsField& field, const std::u16string& file);
    void TakeDroppedFiles(const std::vector<std::u16string>& files);
    void GoToURL(const std::filesystem::path& document);
    /// Runs `run` on both files and opens the result dialog for the files this click wrote, `product` naming what
    /// they are ("匿名化ファイル"). A failure that ends the click removes what it wrote before.
    template<class Run>
    void RunBoth(std::u16string_view product, Run run);

    Environment m_env;
    Prompts& m_prompts;
    View& m_view;
    WindowOpener& m_windows;
    OpenDialog OpenDialog1;
    std::array<ClaimsField, 2> m_files;
    int m_mode = -1; // ComboBox1's item
    std::u16string m_start; // Edit4
    std::u16string m_end; // Edit5
};

} // namespace plok::claims
