#pragma once

#include "app/QtWindows.h"
#include "gui/ChildWindow.h"
#include "gui/WidgetView.h"
#include "present/OptionPresenter.h"

#include <memory>

namespace Ui {
class TfrmOption;
}

namespace plok::app {

/// The option window, a view of OptionPresenter: the way to the converter and the replacement tools, and the choice of
/// the strong anonymisation.
class TfrmOption : public gui::ChildWindow
{
    Q_OBJECT

public:
    TfrmOption(const Environment& env, Prompts& prompts, QWidget* parent = nullptr);
    ~TfrmOption() override;

private:
    std::unique_ptr<Ui::TfrmOption> m_ui;
    gui::WidgetView m_view {this};
    QtWindows m_windows;
    OptionPresenter m_presenter;
};

} // namespace plok::app
