#include "app/TfrmSavePath.h"

#include "ui_TfrmSavePath.h"

#include <QResizeEvent>

namespace plok::app {

namespace {

constexpr int kDesignWidth = 317;
constexpr int kRadioGroupLeft = 32;

} // namespace

TfrmSavePath::TfrmSavePath(const Environment& env, Prompts& prompts, QWidget* parent)
    : ChildWindow(prompts, parent)
    , m_ui(std::make_unique<Ui::TfrmSavePath>())
    , m_presenter(env, prompts, m_view)
{
    m_ui->setupUi(this);
    SetUpFrame({kDesignWidth, 159}, m_ui->BitBtn1);
    gui::OnClick(m_ui->Button1, m_prompts, [this] { m_presenter.Button1Click(); });
    gui::OnChoose(m_ui->RadioGroup1, m_prompts, [this](int index) { m_presenter.RadioGroup1Click(index); });
}

TfrmSavePath::~TfrmSavePath() = default;

void TfrmSavePath::FormShow()
{
    m_presenter.FormShow();
}

void TfrmSavePath::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    // Anchored to the top only: the group moves by half the change in width and so keeps its place in the middle.
    m_ui->RadioGroup1->move(kRadioGroupLeft + (width() - kDesignWidth) / 2, m_ui->RadioGroup1->y());
}

} // namespace plok::app
