#pragma once

#include "gui/ChildWindow.h"

#include <memory>

namespace Ui {
class TfrmOption;
}

namespace plok::app {

/// The option window: the way to the converter and the replacement tools.
class TfrmOption : public gui::ChildWindow
{
    Q_OBJECT

public:
    TfrmOption(const Environment& env, Prompts& prompts, QWidget* parent = nullptr);
    ~TfrmOption() override;

private:
    void Button1Click();
    void Button2Click();
    /// Shows a fresh tool window that opens the real result dialog.
    void Open(gui::ChildWindow* tool);

    std::unique_ptr<Ui::TfrmOption> m_ui;
};

} // namespace plok::app
