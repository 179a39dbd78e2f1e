#pragma once

#include "core/Environment.h"
#include "core/Prompts.h"

#include <QDialog>
#include <memory>

namespace Ui {
class TfrmOption;
}

namespace plok::app {

/// The option window: the way to the converter and the replacement tools.
class TfrmOption : public QDialog
{
    Q_OBJECT

public:
    /// The window deletes itself once closed: create it with new.
    TfrmOption(const Environment& env, Prompts& prompts, QWidget* parent = nullptr);
    ~TfrmOption() override;

    /// Shows the window modally and returns true once it has closed (the window is gone by then).
    bool DspSet();

private:
    void Button1Click();
    void Button2Click();

    std::unique_ptr<Ui::TfrmOption> m_ui;
    Environment m_env;
    Prompts& m_prompts;
};

} // namespace plok::app
