#pragma once

#include "gui/ChildWindow.h"

#include <memory>
#include <string>

namespace Ui {
class TfrmMsg;
}

namespace plok::claims {

/// The result dialog of a job: shows the completion message and hands the files that were written over to the
/// Downloads folder or the configured save folder.
class TfrmMsg : public gui::ChildWindow
{
    Q_OBJECT

public:
    /// Reads the save folder setting once (it decides the button's caption).
    TfrmMsg(const Environment& env, Prompts& prompts, QWidget* parent = nullptr);
    ~TfrmMsg() override;

    /// Shows `pstMsg` modally for the files `pstFile1` and `pstFile2` (bare names in the program folder, empty =
    /// none); returns true once the dialog is closed (it is gone by then).
    bool DspSet(const std::u16string& pstMsg, const std::u16string& pstFile1, const std::u16string& pstFile2);

private:
    void InitSet();
    void Button1Click();

    std::unique_ptr<Ui::TfrmMsg> m_ui;
    std::u16string gstPath;
    std::u16string gstMsg;
    std::u16string gstFile1;
    std::u16string gstFile2;
};

/// Creates a fresh result dialog (deleted after it closes) and calls DspSet: the protocol every job window uses.
bool ShowResultDialog(const Environment& env, Prompts& prompts, QWidget* parent, const std::u16string& msg,
    const std::u16string& file1, const std::u16string& file2);

/// The opener that shows the real result dialog over `parent`, for a job window.
gui::ResultOpener ResultDialogOpener(const Environment& env, Prompts& prompts, QWidget* parent);

} // namespace plok::claims
