#pragma once

#include "core/Environment.h"
#include "core/Prompts.h"
#include "tools/ChangeTable.h"

#include <QDialog>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace Ui {
class TfrmReplace;
}

namespace plok::tools {

/// The replacement window: picks a file and a change-definition file and writes the replaced copy into the
/// program folder.
class TfrmReplace : public QDialog
{
    Q_OBJECT

public:
    /// Opens the result dialog for a finished run.
    using ResultOpener = std::function<void(std::u16string msg, std::u16string file1, std::u16string file2)>;

    /// The window deletes itself once closed: create it with new.
    TfrmReplace(const Environment& env, Prompts& prompts, QWidget* parent = nullptr);
    ~TfrmReplace() override;

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

    std::unique_ptr<Ui::TfrmReplace> m_ui;
    Environment m_env;
    Prompts& m_prompts;
    ResultOpener m_openResult;
    ChangeTable m_mlsList;
    // FList and the definition check list are loaded whole only to learn whether they hold a line: their sizes are
    // all that is kept.
    std::size_t m_fListSize = 0;
    std::size_t m_checkListSize = 0;
    // The one open-file dialog both selections share: the last name confirmed in it, empty until then.
    std::u16string m_dialogFileName;
};

} // namespace plok::tools
