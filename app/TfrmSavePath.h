#pragma once

#include "claims/SavePathPresenter.h"
#include "gui/ChildWindow.h"
#include "gui/WidgetView.h"

#include <memory>

namespace Ui {
class TfrmSavePath;
}

namespace plok::app {

/// The save-destination window, a view of claims::SavePathPresenter.
class TfrmSavePath : public gui::ChildWindow
{
    Q_OBJECT

public:
    TfrmSavePath(const Environment& env, Prompts& prompts, QWidget* parent = nullptr);
    ~TfrmSavePath() override;

protected:
    void FormShow() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    std::unique_ptr<Ui::TfrmSavePath> m_ui;
    gui::WidgetView m_view {this};
    claims::SavePathPresenter m_presenter;
};

} // namespace plok::app
