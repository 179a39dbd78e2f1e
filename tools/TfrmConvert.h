#pragma once

#include "gui/ChildWindow.h"
#include "gui/OpenDialog.h"

#include <memory>
#include <string>

namespace Ui {
class TfrmConvert;
}

namespace plok::tools {

/// The ORVA converter window: picks an FF file and writes its chart-linkage file into the program folder.
class TfrmConvert : public gui::ChildWindow
{
    Q_OBJECT

public:
    TfrmConvert(const Environment& env, Prompts& prompts, QWidget* parent = nullptr);
    ~TfrmConvert() override;

protected:
    void FormShow() override;

private:
    void InitSet();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    /// A file dropped onto Edit1: checked as a chosen source is.
    void TakeSource(const std::u16string& file);

    std::unique_ptr<Ui::TfrmConvert> m_ui;
    // FList, the lines of the chosen source: only whether it holds a line is ever asked, so only that is kept.
    bool m_fListHasLines = false;
    gui::OpenDialog OpenDialog1;
};

} // namespace plok::tools
