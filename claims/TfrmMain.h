#pragma once

#include "core/Environment.h"
#include "core/Prompts.h"
#include "gui/ChildWindow.h"
#include "gui/OpenDialog.h"

#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

class QLineEdit;

namespace Ui {
class TfrmMain;
}

namespace plok::claims {

/// The main window: picks the social and national claims files and runs anonymisation and branch-number removal on
/// them. Closing it ends the program.
class TfrmMain : public QWidget
{
    Q_OBJECT

public:
    /// Restores the combo box choice (setting CB1). The window is not deleted when it closes.
    TfrmMain(const Environment& env, Prompts& prompts, QWidget* parent = nullptr);
    ~TfrmMain() override;

    /// Replaces how a run's result dialog is opened (by default a fresh TfrmMsg).
    void SetResultOpener(gui::ResultOpener opener);
    /// Replaces what "保存先設定" opens (by default a fresh TfrmSavePath).
    void SetOnSaveDestination(std::function<void()> open);
    /// Sets what "オプション" opens (by default nothing).
    void SetOnOptions(std::function<void()> open);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void InitSet();
    void Button1Click();
    /// Audits a fresh anonymised copy against its original and warns when identifiers are left in it.
    void WarnIfNotAnonymous(const std::filesystem::path& original, const std::u16string& copy);
    void Button2Click();
    void Button3Click();
    void Button5Click();
    void ComboBox1Change();
    void ComboBox1TextEdited();
    void FormClose();
    void GoToURL(std::u16string_view url);
    /// Loads the first line of `file` into Memo1; when it names the payer `digit` at its fourth character, `edit` takes
    /// the file's path, otherwise the warning for that payer is shown.
    bool TakeClaimsFile(QLineEdit* edit, const std::u16string& file, char16_t digit);
    template<class Run>
    void RunBoth(Run run);

    std::unique_ptr<Ui::TfrmMain> m_ui;
    Environment m_env;
    Prompts& m_prompts;
    gui::ResultOpener m_openResult;
    std::function<void()> m_onSaveDestination;
    std::function<void()> m_onOptions;
    gui::OpenDialog OpenDialog1;
    // The last successful run's message and file names: what the result dialog hands over.
    std::u16string gstMsg;
    std::u16string gstFile1;
    std::u16string gstFile2;
};

} // namespace plok::claims
