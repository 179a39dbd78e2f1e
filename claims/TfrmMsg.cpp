#include "claims/TfrmMsg.h"

#include "claims/Delivery.h"
#include "gui/QtText.h"
#include "ui_TfrmMsg.h"

#include <algorithm>

namespace plok::claims {

TfrmMsg::TfrmMsg(const Environment& env, Prompts& prompts, QWidget* parent)
    : ChildWindow(env, prompts, parent)
    , m_ui(std::make_unique<Ui::TfrmMsg>())
{
    m_ui->setupUi(this);
    SetUpFrame({329, 96}, nullptr);
    OnClick(m_ui->Button1, [this] { Button1Click(); });
    RunGuarded(m_prompts, [this] { InitSet(); });
}

TfrmMsg::~TfrmMsg() = default;

void TfrmMsg::InitSet()
{
    gstPath = ReadSaveFolder(m_env.settingsFile);
    if (HasSaveFolder(gstPath))
        m_ui->Button1->setText(QStringLiteral("保存"));
}

bool TfrmMsg::DspSet(const std::u16string& pstMsg, const std::u16string& pstFile1, const std::u16string& pstFile2)
{
    gstMsg = pstMsg;
    gstFile1 = pstFile1;
    gstFile2 = pstFile2;
    m_ui->Label1->setText(gui::Q(gstMsg));
    // The label grows with its one line, so a long message runs on to the dialog's edge and is cut off there.
    m_ui->Label1->resize(std::max(m_ui->Label1->width(), m_ui->Label1->sizeHint().width()), m_ui->Label1->height());
    return ChildWindow::DspSet();
}

void TfrmMsg::Button1Click()
{
    const DeliveryResult result = DeliverFiles(m_env, gstPath, gstFile1, gstFile2);
    // Staff take a closed dialog for saved files: whatever could not be delivered is said before it closes.
    if (result.status == RunStatus::UnsafeSubfolder)
        m_prompts.Warning(result.message);
    else if (const std::u16string undelivered = UndeliveredText(m_env, result); !undelivered.empty())
        m_prompts.Warning(undelivered);
    close();
}

bool ShowResultDialog(const Environment& env, Prompts& prompts, QWidget* parent, const std::u16string& msg,
    const std::u16string& file1, const std::u16string& file2)
{
    return (new TfrmMsg(env, prompts, parent))->DspSet(msg, file1, file2);
}

gui::ResultOpener ResultDialogOpener(const Environment& env, Prompts& prompts, QWidget* parent)
{
    return [env, &prompts, parent](std::u16string msg, std::u16string file1, std::u16string file2) {
        ShowResultDialog(env, prompts, parent, msg, file1, file2);
    };
}

} // namespace plok::claims
