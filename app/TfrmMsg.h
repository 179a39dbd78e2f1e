#pragma once

#include "claims/MsgPresenter.h"
#include "gui/ChildWindow.h"
#include "gui/WidgetView.h"

#include <memory>

namespace Ui {
class TfrmMsg;
}

namespace plok::app {

/// The result dialog of a job, a view of claims::MsgPresenter.
class TfrmMsg : public gui::ChildWindow
{
    Q_OBJECT

public:
    /// Reads the save folder setting once (it decides the button's caption).
    TfrmMsg(const Environment& env, Prompts& prompts, QWidget* parent = nullptr);
    ~TfrmMsg() override;

    /// Shows the job's `result` modally; returns true once the dialog is closed (it is gone by then).
    bool DspSet(const ResultTriple& result);

protected:
    void FormClose() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    /// Grows the dialog to hold its message whole: on one line while the screen is wide enough, else wrapped.
    void FitMessage();

    std::unique_ptr<Ui::TfrmMsg> m_ui;
    gui::WidgetView m_view {this};
    claims::MsgPresenter m_presenter;
};

} // namespace plok::app
