#pragma once

#include "app/QtWindows.h"
#include "core/OptionPresenter.h"
#include "gui/ChildWindow.h"

#include <memory>

namespace Ui {
class TfrmOption;
}

namespace plok::app {

/// The option window, a view of OptionPresenter: the way to the converter and the replacement tools.
class TfrmOption : public gui::ChildWindow
{
    Q_OBJECT

public:
    TfrmOption(const Environment& env, Prompts& prompts, QWidget* parent = nullptr);
    ~TfrmOption() override;

private:
    std::unique_ptr<Ui::TfrmOption> m_ui;
    QtWindows m_windows;
    OptionPresenter m_presenter {m_windows};
};

} // namespace plok::app
