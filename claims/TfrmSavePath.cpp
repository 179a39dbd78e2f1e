#include "claims/TfrmSavePath.h"

#include "core/Settings.h"
#include "core/Text.h"
#include "gui/QtText.h"
#include "ui_TfrmSavePath.h"

#include <QButtonGroup>
#include <QResizeEvent>
#include <QSignalBlocker>

namespace plok::claims {

namespace {

constexpr int kDesignWidth = 317;
constexpr int kRadioGroupLeft = 32;

} // namespace

TfrmSavePath::TfrmSavePath(const Environment& env, Prompts& prompts, QWidget* parent)
    : ChildWindow(env, prompts, parent)
    , m_ui(std::make_unique<Ui::TfrmSavePath>())
{
    m_ui->setupUi(this);
    SetUpFrame({kDesignWidth, 159}, m_ui->BitBtn1);

    m_items = new QButtonGroup(this);
    m_items->addButton(m_ui->RadioGroup1Item0, 0);
    m_items->addButton(m_ui->RadioGroup1Item1, 1);

    OnClick(m_ui->Button1, [this] { Button1Click(); });
    // Only a change of the selection counts: clicking the item that is already selected does nothing.
    connect(m_items, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            RunGuarded(m_prompts, [this, id] { RadioGroup1Click(id); });
    });
}

TfrmSavePath::~TfrmSavePath() = default;

void TfrmSavePath::FormShow()
{
    InitSet();
}

void TfrmSavePath::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    // Anchored to the top only: the group moves by half the change in width and so keeps its place in the middle.
    m_ui->RadioGroup1->move(kRadioGroupLeft + (width() - kDesignWidth) / 2, m_ui->RadioGroup1->y());
}

void TfrmSavePath::ShowFolderControls(bool visible)
{
    m_ui->Button1->setVisible(visible);
    m_ui->Edit1->setVisible(visible);
}

void TfrmSavePath::InitSet()
{
    m_ui->Edit1->clear();
    ShowFolderControls(false);
    const std::u16string folder = settings::Read(m_env.settingsFile, settings::kSaveFolder, u"");
    if (!IsBlank(folder)) {
        const QSignalBlocker blocker(m_items);
        m_ui->RadioGroup1Item1->setChecked(true);
        ShowFolderControls(true);
        m_ui->Edit1->setText(gui::Q(folder));
    }
}

void TfrmSavePath::RadioGroup1Click(int itemIndex)
{
    ShowFolderControls(false);
    if (itemIndex == 1)
        ShowFolderControls(true);
    else
        settings::Write(m_env.settingsFile, settings::kSaveFolder, u"");
}

void TfrmSavePath::Button1Click()
{
    const std::u16string initial = settings::Read(m_env.settingsFile, settings::kSaveFolder, u"");
    const auto folder = m_prompts.BrowseFolder(u"保存先フォルダを指定してＯＫをクリックしてください", initial);
    if (!folder)
        return;
    m_ui->Edit1->setText(gui::Q(*folder));
    settings::Write(m_env.settingsFile, settings::kSaveFolder, *folder);
}

} // namespace plok::claims
