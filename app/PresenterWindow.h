#pragma once

#include "app/QtWindows.h"
#include "claims/MsgPresenter.h"
#include "claims/SavePathPresenter.h"
#include "gui/ChildWindow.h"
#include "gui/WidgetView.h"
#include "present/OptionPresenter.h"
#include "tools/ConvertPresenter.h"
#include "tools/ReplacePresenter.h"

#include <memory>

namespace Ui {
class TfrmConvert;
class TfrmMsg;
class TfrmOption;
class TfrmReplace;
class TfrmSavePath;
} // namespace Ui

namespace plok::app {

/// A child window that is its .ui (`Form`, made by uic), a WidgetView over itself and a `Presenter` wired to it as the
/// presenter's wiring says (gui::SetUpWindow); nothing else. The windows it opens are modal over it. Made for the
/// windows below only (app/PresenterWindow.cpp), where the forms are complete.
template<class Form, class Presenter>
class PresenterWindow : public gui::ChildWindow
{
public:
    PresenterWindow(const Environment& env, Prompts& prompts, QWidget* parent = nullptr);
    ~PresenterWindow() override;

protected:
    std::unique_ptr<Form> m_ui;
    gui::WidgetView m_view {this};
    QtWindows m_windows;
    Presenter m_presenter;
};

/// The save-destination window.
using TfrmSavePath = PresenterWindow<Ui::TfrmSavePath, claims::SavePathPresenter>;
/// The option window: the way to the converter and the replacement tools, and the choice of the strong anonymisation.
using TfrmOption = PresenterWindow<Ui::TfrmOption, OptionPresenter>;
/// The ORVA converter window.
using TfrmConvert = PresenterWindow<Ui::TfrmConvert, tools::ConvertPresenter>;
/// The replacement window.
using TfrmReplace = PresenterWindow<Ui::TfrmReplace, tools::ReplacePresenter>;

extern template class PresenterWindow<Ui::TfrmSavePath, claims::SavePathPresenter>;
extern template class PresenterWindow<Ui::TfrmOption, OptionPresenter>;
extern template class PresenterWindow<Ui::TfrmConvert, tools::ConvertPresenter>;
extern template class PresenterWindow<Ui::TfrmReplace, tools::ReplacePresenter>;
extern template class PresenterWindow<Ui::TfrmMsg, claims::MsgPresenter>;

} // namespace plok::app
