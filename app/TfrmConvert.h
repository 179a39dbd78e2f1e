#pragma once

#include "app/QtWindows.h"
#include "gui/ChildWindow.h"
#include "gui/WidgetView.h"
#include "tools/ConvertPresenter.h"

#include <memory>

namespace Ui {
class TfrmConvert;
}

namespace plok::app {

/// The ORVA converter window, a view of tools::ConvertPresenter.
class TfrmConvert : public gui::ChildWindow
{
    Q_OBJECT

public:
    TfrmConvert(const Environment& env, Prompts& prompts, QWidget* parent = nullptr);
    ~TfrmConvert() override;

protected:
    void FormShow() override;

private:
    std::unique_ptr<Ui::TfrmConvert> m_ui;
    gui::WidgetView m_view {this};
    QtWindows m_windows;
    tools::ConvertPresenter m_presenter;
};

} // namespace plok::app
