#include "app/PresenterWindow.h"

#include "gui/Wiring.h"
#include "ui_TfrmConvert.h"
#include "ui_TfrmMsg.h"
#include "ui_TfrmOption.h"
#include "ui_TfrmReplace.h"
#include "ui_TfrmSavePath.h"

namespace plok::app {

template<class Form, class Presenter>
PresenterWindow<Form, Presenter>::PresenterWindow(const Environment& env, Prompts& prompts, QWidget* parent)
    : ChildWindow(parent)
    , m_ui(std::make_unique<Form>())
    , m_windows(env, prompts, this)
    , m_presenter(plok::MakePresenter<Presenter>(env, prompts, m_view, m_windows))
{
    m_ui->setupUi(this);
    gui::SetUpWindow(this, m_presenter.Wiring(), prompts);
}

template<class Form, class Presenter>
PresenterWindow<Form, Presenter>::~PresenterWindow() = default;

template class PresenterWindow<Ui::TfrmSavePath, claims::SavePathPresenter>;
template class PresenterWindow<Ui::TfrmOption, OptionPresenter>;
template class PresenterWindow<Ui::TfrmConvert, tools::ConvertPresenter>;
template class PresenterWindow<Ui::TfrmReplace, tools::ReplacePresenter>;
template class PresenterWindow<Ui::TfrmMsg, claims::MsgPresenter>;

} // namespace plok::app
