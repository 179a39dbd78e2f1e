#include "claims/TfrmMsg.h"

#include "claims/Delivery.h"
#include "ui/UiSupport.h"
#include "ui_TfrmMsg.h"

#include <QScreen>
#include <QShowEvent>
#include <algorithm>

namespace plok::claims {

TfrmMsg::TfrmMsg(const Environment& env, Prompts& prompts, QWidget* parent)
    : QDialog(parent, ui::kChildWindowFlags)
    , m_ui(std::make_unique<Ui::TfrmMsg>())
    , m_env(env)
    , m_prompts(prompts)
{
    m_ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    resize(329, 96);

    ui::ConnectGuarded(m_ui->Button1, &QPushButton::clicked, this, m_prompts, [this] { Button1Click(); });
    RunGuarded(m_prompts, [this] { InitSet(); });
}

TfrmMsg::~TfrmMsg() = default;

void TfrmMsg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        detail::CentreOnScreen(this);
}

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
    m_ui->Label1->setText(ui::Q(gstMsg));
    // The label grows with its one line, so a long message runs on to the dialog's edge and is cut off there.
    m_ui->Label1->resize(std::max(m_ui->Label1->width(), m_ui->Label1->sizeHint().width()), m_ui->Label1->height());
    exec();
    return true;
}

void TfrmMsg::Button1Click()
{
    const DeliveryResult result = DeliverFiles(m_env, gstPath, gstFile1, gstFile2);
    if (result.status == DeliveryResult::Status::UnsafeSubfolder)
        m_prompts.Warning(result.message);
    close();
}

namespace detail {

void CentreOnScreen(QWidget* window)
{
    // Called as the window is shown: by then the frame is known where the platform tells it before mapping.
    const QScreen* screen = window->screen();
    if (!screen)
        return;
    QRect frame(QPoint(), window->frameGeometry().size());
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

} // namespace detail

bool ShowResultDialog(const Environment& env, Prompts& prompts, QWidget* parent, const std::u16string& msg,
    const std::u16string& file1, const std::u16string& file2)
{
    return (new TfrmMsg(env, prompts, parent))->DspSet(msg, file1, file2);
}

} // namespace plok::claims
