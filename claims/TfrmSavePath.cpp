#include "claims/TfrmSavePath.h"

#include "claims/TfrmMsg.h"
#include "core/IniFile.h"
#include "core/Text.h"
#include "ui/UiSupport.h"
#include "ui_TfrmSavePath.h"

#include <QButtonGroup>
#include <QResizeEvent>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QStyle>

namespace plok::claims {

namespace {

constexpr int kDesignWidth = 317;
constexpr int kRadioGroupLeft = 32;
constexpr char16_t kSection[] = u"PARAM";
constexpr char16_t kSaveFolderKey[] = u"SAVEFDR";

} // namespace

TfrmSavePath::TfrmSavePath(const Environment& env, Prompts& prompts, QWidget* parent)
    : QDialog(parent, ui::kChildWindowFlags)
    , m_ui(std::make_unique<Ui::TfrmSavePath>())
    , m_env(env)
    , m_prompts(prompts)
{
    m_ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    resize(kDesignWidth, 159);
    ui::SetCloseGlyph(m_ui->BitBtn1);

    m_items = new QButtonGroup(this);
    m_items->addButton(m_ui->RadioGroup1Item0, 0);
    m_items->addButton(m_ui->RadioGroup1Item1, 1);

    ui::ConnectGuarded(m_ui->BitBtn1, &QPushButton::clicked, this, m_prompts, [this] { close(); });
    ui::ConnectGuarded(m_ui->Button1, &QPushButton::clicked, this, m_prompts, [this] { Button1Click(); });
    // Only a change of the selection counts: clicking the item that is already selected does nothing.
    connect(m_items, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            RunGuarded(m_prompts, [this, id] { RadioGroup1Click(id); });
    });
}

TfrmSavePath::~TfrmSavePath() = default;

bool TfrmSavePath::DspSet()
{
    exec();
    return true;
}

void TfrmSavePath::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    detail::CentreOnScreen(this);
    RunGuarded(m_prompts, [this] { InitSet(); });
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
    const std::u16string folder = IFReadIniStr(m_env.settingsFile, kSection, kSaveFolderKey, u"");
    if (!IsBlank(folder)) {
        const QSignalBlocker blocker(m_items);
        m_ui->RadioGroup1Item1->setChecked(true);
        ShowFolderControls(true);
        m_ui->Edit1->setText(ui::Q(folder));
    }
}

void TfrmSavePath::RadioGroup1Click(int itemIndex)
{
    ShowFolderControls(false);
    if (itemIndex == 1)
        ShowFolderControls(true);
    else
        IFWriteIniStr(m_env.settingsFile, kSection, kSaveFolderKey, u"");
}

void TfrmSavePath::Button1Click()
{
    const std::u16string initial = IFReadIniStr(m_env.settingsFile, kSection, kSaveFolderKey, u"");
    const auto folder = m_prompts.BrowseFolder(u"保存先フォルダを指定してＯＫをクリックしてください", initial);
    if (!folder)
        return;
    m_ui->Edit1->setText(ui::Q(*folder));
    IFWriteIniStr(m_env.settingsFile, kSection, kSaveFolderKey, *folder);
}

} // namespace plok::claims
