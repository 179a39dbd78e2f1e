#pragma once

#include "core/Environment.h"
#include "core/Prompts.h"

#include <QDialog>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace Ui {
class TfrmConvert;
}

namespace plok::tools {

/// The ORVA converter window: picks an FF file and writes its chart-linkage file into the program folder.
class TfrmConvert : public QDialog
{
    Q_OBJECT

public:
    /// Opens the result dialog for a finished run.
    using ResultOpener = std::function<void(std::u16string msg, std::u16string file1, std::u16string file2)>;

    /// The window deletes itself once closed: create it with new.
    TfrmConvert(const Environment& env, Prompts& prompts, QWidget* parent = nullptr);
    ~TfrmConvert() override;

    /// Shows the window modally and returns true once it has closed (the window is gone by then).
    bool DspSet();

    /// Replaces how a run's result dialog is opened (by default a fresh TfrmMsg).
    void SetResultOpener(ResultOpener opener);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void InitSet();
    void Button1Click();
    void Button2Click();
    void Button3Click();

    std::unique_ptr<Ui::TfrmConvert> m_ui;
    Environment m_env;
    Prompts& m_prompts;
    ResultOpener m_openResult;
    // FList, the lines of the chosen source: only whether it holds a line is ever asked, so only its size is kept.
    std::size_t m_fListSize = 0;
    // The open-file dialog's file name: the last one confirmed in this window, empty until then.
    std::u16string m_dialogFileName;
};

} // namespace plok::tools
