#pragma once

#include "app/PresenterWindow.h"

namespace plok::app {

/// The result dialog of a job, a view of claims::MsgPresenter. It grows to hold its message whole.
class TfrmMsg : public PresenterWindow<Ui::TfrmMsg, claims::MsgPresenter>
{
    Q_OBJECT

public:
    /// Reads the save folder setting once (it decides the button's caption).
    TfrmMsg(const Environment& env, Prompts& prompts, QWidget* parent = nullptr);
    ~TfrmMsg() override;

    /// Shows the job's `result` modally; returns true once the dialog is closed (it is gone by then).
    bool DspSet(const ResultTriple& result);

private:
    /// Grows the dialog to hold its message whole: on one line while the screen is wide enough, else wrapped.
    void FitMessage();
};

} // namespace plok::app
