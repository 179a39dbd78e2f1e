#pragma once

#include "app/QtWindows.h"
#include "claims/MainPresenter.h"
#include "gui/WidgetView.h"

#include <QWidget>
#include <memory>

namespace Ui {
class TfrmMain;
}

namespace plok::app {

/// The main window, a view of claims::MainPresenter. Closing it ends the program; it is not deleted when it closes.
class TfrmMain : public QWidget
{
    Q_OBJECT

public:
    /// `prompts` must outlive the window.
    TfrmMain(const Environment& env, Prompts& prompts, QWidget* parent = nullptr);
    ~TfrmMain() override;

private:
    std::unique_ptr<Ui::TfrmMain> m_ui;
    gui::WidgetView m_view {this};
    QtWindows m_windows;
    claims::MainPresenter m_presenter;
};

} // namespace plok::app
