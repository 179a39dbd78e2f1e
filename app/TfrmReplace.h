#pragma once

#include "app/QtWindows.h"
#include "gui/ChildWindow.h"
#include "gui/WidgetView.h"
#include "tools/ReplacePresenter.h"

#include <memory>

namespace Ui {
class TfrmReplace;
}

namespace plok::app {

/// The replacement window, a view of tools::ReplacePresenter.
class TfrmReplace : public gui::ChildWindow
{
    Q_OBJECT

public:
    TfrmReplace(const Environment& env, Prompts& prompts, QWidget* parent = nullptr);
    ~TfrmReplace() override;

protected:
    void FormShow() override;

private:
    std::unique_ptr<Ui::TfrmReplace> m_ui;
    gui::WidgetView m_view {this};
    QtWindows m_windows;
    tools::ReplacePresenter m_presenter;
};

} // namespace plok::app
