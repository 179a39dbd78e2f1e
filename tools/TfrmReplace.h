#pragma once

#include "gui/ChildWindow.h"
#include "gui/OpenDialog.h"
#include "tools/ChangeTable.h"

#include <memory>
#include <string>

class QLineEdit;

namespace Ui {
class TfrmReplace;
}

namespace plok::tools {

/// The replacement window: picks a file and a change-definition file and writes the replaced copy into the
/// program folder.
class TfrmReplace : public gui::ChildWindow
{
    Q_OBJECT

public:
    TfrmReplace(const Environment& env, Prompts& prompts, QWidget* parent = nullptr);
    ~TfrmReplace() override;

protected:
    void FormShow() override;

private:
    void InitSet();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    /// Shows `file` in `edit` when the selection found it `fit`, else `warning`.
    void ShowChoice(bool fit, QLineEdit* edit, const std::u16string& file, std::u16string_view warning);

    std::unique_ptr<Ui::TfrmReplace> m_ui;
    ChangeTable m_mlsList;
    // FList and the definition check list are loaded only to learn whether they hold a line: that is all that is
    // kept.
    bool m_fListHasLines = false;
    bool m_checkListHasLines = false;
    // The one open-file dialog both selections share.
    gui::OpenDialog OpenDialog1;
};

} // namespace plok::tools
