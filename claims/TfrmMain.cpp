#include "claims/TfrmMain.h"

#include "claims/Anonymize.h"
#include "claims/Audit.h"
#include "claims/ClaimsFile.h"
#include "claims/StripBranch.h"
#include "claims/TfrmMsg.h"
#include "claims/TfrmSavePath.h"
#include "core/FileNames.h"
#include "core/Settings.h"
#include "core/Text.h"
#include "core/TextFile.h"
#include "core/Version.h"
#include "gui/FileDrops.h"
#include "gui/Fonts.h"
#include "gui/Guard.h"
#include "gui/Keys.h"
#include "gui/QtText.h"
#include "ui_TfrmMain.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QStyle>
#include <QUrl>
#include <string>

namespace plok::claims {

namespace {

using gui::ConnectGuarded;
using gui::Q;
using gui::U;

RemovalMode ModeOf(int comboIndex)
{
    switch (comboIndex) {
    case 0:
        return RemovalMode::Symbol;
    case 1:
        return RemovalMode::Position;
    default:
        return RemovalMode::None;
    }
}

std::u16string Decimal(int value)
{
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

} // namespace

TfrmMain::TfrmMain(const Environment& env, Prompts& prompts, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , m_ui(std::make_unique<Ui::TfrmMain>())
    , m_env(env)
    , m_prompts(prompts)
    , OpenDialog1(m_env, m_prompts)
{
    m_ui->setupUi(this);
    gui::UsePixelFonts(this);
    gui::UseDesktopKeys(this);
    resize(348, 412);
    m_ui->Label8->setText(QStringLiteral("Ver.") + QLatin1String(kVersion));
    gui::SetCloseGlyph(m_ui->BitBtn1);
    // The combo box takes plain keys only: no input method composes text into it.
    m_ui->ComboBox1->setAttribute(Qt::WA_InputMethodEnabled, false);
    m_ui->ComboBox1->lineEdit()->setAttribute(Qt::WA_InputMethodEnabled, false);

    m_openResult = ResultDialogOpener(m_env, m_prompts, this);
    m_onSaveDestination = [this] { (new TfrmSavePath(m_env, m_prompts, this))->DspSet(); };

    RunGuarded(m_prompts, [this] { InitSet(); });
    gui::AcceptFileDrops(
        m_ui->Edit1, m_prompts, [this](const std::u16string& file) { TakeClaimsFile(m_ui->Edit1, file, u'1'); });
    gui::AcceptFileDrops(
        m_ui->Edit2, m_prompts, [this](const std::u16string& file) { TakeClaimsFile(m_ui->Edit2, file, u'2'); });

    ConnectGuarded(m_ui->BitBtn1, &QPushButton::clicked, this, m_prompts, [this] { close(); });
    ConnectGuarded(m_ui->Button1, &QPushButton::clicked, this, m_prompts, [this] { Button1Click(); });
    ConnectGuarded(m_ui->Button2, &QPushButton::clicked, this, m_prompts, [this] { Button2Click(); });
    ConnectGuarded(m_ui->Button3, &QPushButton::clicked, this, m_prompts, [this] { Button3Click(); });
    ConnectGuarded(m_ui->Button4, &QPushButton::clicked, this, m_prompts, [this] {
        if (m_onSaveDestination)
            m_onSaveDestination();
    });
    ConnectGuarded(m_ui->Button5, &QPushButton::clicked, this, m_prompts, [this] { Button5Click(); });
    ConnectGuarded(m_ui->Button6, &QPushButton::clicked, this, m_prompts, [this] {
        if (m_onOptions)
            m_onOptions();
    });
    // Connected after InitSet so that restoring the saved choice is not taken for the user's change.
    ConnectGuarded(m_ui->ComboBox1, &QComboBox::currentIndexChanged, this, m_prompts, [this] { ComboBox1Change(); });
    ConnectGuarded(
        m_ui->ComboBox1->lineEdit(), &QLineEdit::textEdited, this, m_prompts, [this] { ComboBox1TextEdited(); });
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        gui::CentreOnScreen(this);
}

void TfrmMain::SetResultOpener(gui::ResultOpener opener)
{
    m_openResult = std::move(opener);
}

void TfrmMain::SetOnSaveDestination(std::function<void()> open)
{
    m_onSaveDestination = std::move(open);
}

void TfrmMain::SetOnOptions(std::function<void()> open)
{
    m_onOptions = std::move(open);
}

void TfrmMain::InitSet()
{
    m_ui->Edit1->clear();
    m_ui->Edit2->clear();
    m_ui->Edit4->clear();
    m_ui->Edit5->clear();
    m_ui->Memo1->clear();
    m_ui->Edit4->hide();
    m_ui->Edit5->hide();
    m_ui->Label4->hide();
    m_ui->Label5->hide();
    const int saved = StrToIntDef(settings::Read(m_env.settingsFile, settings::kRemovalMode, u"0"), 0);
    m_ui->ComboBox1->setCurrentIndex(saved >= 0 && saved < m_ui->ComboBox1->count() ? saved : -1);
}

void TfrmMain::ComboBox1Change()
{
    const bool positions = m_ui->ComboBox1->currentIndex() == 1;
    m_ui->Edit4->hide();
    m_ui->Edit5->hide();
    m_ui->Label4->hide();
    m_ui->Label5->hide();
    if (positions) {
        m_ui->Edit4->show();
        m_ui->Edit5->show();
        m_ui->Label4->show();
        m_ui->Label5->show();
    }
}

void TfrmMain::ComboBox1TextEdited()
{
    // Typed text selects the item it spells and otherwise no item, as a drop-down combo box does; the text stays
    // as typed.
    QComboBox* combo = m_ui->ComboBox1;
    QLineEdit* edit = combo->lineEdit();
    const QString text = edit->text();
    const int index = combo->findText(text, Qt::MatchExactly);
    if (index == combo->currentIndex())
        return;
    const int cursor = edit->cursorPosition();
    {
        const QSignalBlocker blocker(combo);
        combo->setCurrentIndex(index);
    }
    if (edit->text() != text) {
        edit->setText(text);
        edit->setCursorPosition(cursor);
    }
    ComboBox1Change();
}

bool TfrmMain::TakeClaimsFile(QLineEdit* edit, const std::u16string& file, char16_t digit)
{
    // Only the first line's fourth character decides: the rest of a month's file is never read here.
    const std::optional<Line> first = ReadPayerLine(ToPath(file));
    m_ui->Memo1->setPlainText(first ? Q(*first) : QString());
    if (!NamesPayer(first, digit)) {
        m_prompts.Warning(
            digit == u'1' ? u"社保のレセ電データではありません。" : u"国保のレセ電データではありません。");
        return false;
    }
    edit->setText(Q(file));
    return true;
}

void TfrmMain::Button3Click()
{
    if (!IsBlank(U(m_ui->Edit1->text())) && !IsBlank(U(m_ui->Edit2->text()))) {
        if (m_prompts.Confirm(u"新しいレセ電ファイルを選択しますか？")) {
            m_ui->Edit1->clear();
            m_ui->Edit2->clear();
            Button3Click();
        }
        return;
    }
    if (IsBlank(U(m_ui->Edit1->text()))) {
        m_prompts.Information(u"社保のレセ電データファイルを選択します");
        if (const auto file = OpenDialog1.Execute())
            TakeClaimsFile(m_ui->Edit1, *file, u'1');
    }
    if (IsBlank(U(m_ui->Edit2->text()))) {
        m_prompts.Information(u"国保のレセ電データファイルを選択します");
        if (const auto file = OpenDialog1.Execute())
            TakeClaimsFile(m_ui->Edit2, *file, u'2');
    }
}

template<class Run>
void TfrmMain::RunBoth(Run run)
{
    for (QLineEdit* edit : {m_ui->Edit1, m_ui->Edit2}) {
        const RunResult result = run(ToPath(U(edit->text())));
        if (!result.Done()) {
            m_prompts.Warning(result.message);
            continue;
        }
        gstMsg = result.message;
        (result.slot == ResultSlot::First ? gstFile1 : gstFile2) = result.fileName;
    }
    m_openResult(gstMsg, gstFile1, gstFile2);
}

void TfrmMain::Button1Click()
{
    RunBoth([this](const std::filesystem::path& file) {
        const RunResult result = Conv(file, m_env.programFolder);
        if (result.Done())
            WarnIfNotAnonymous(file, result.fileName);
        return result;
    });
}

void TfrmMain::WarnIfNotAnonymous(const std::filesystem::path& original, const std::u16string& copy)
{
    // Hand-typed text outside the records the anonymisation rewrites can still name a patient. The copy is kept; the
    // staff decide whether it may be handed out.
    const AuditReport report = AuditAnonymised(original, m_env.programFolder / ToPath(copy));
    if (!report.Clean())
        m_prompts.Warning(u"匿名化ファイルに元の識別情報が残っています\n" + copy + u": " + CountsText(report));
}

void TfrmMain::Button2Click()
{
    const RemovalMode mode = ModeOf(m_ui->ComboBox1->currentIndex());
    const std::u16string start = U(m_ui->Edit4->text());
    const std::u16string end = U(m_ui->Edit5->text());
    RunBoth([&](const std::filesystem::path& file) { return Conv2(file, mode, start, end, m_env.programFolder); });
}

void TfrmMain::Button5Click()
{
    // The manual is the one installed on this computer: clinic PCs are often offline.
    std::error_code ec;
    if (m_env.manual.empty() || !std::filesystem::is_regular_file(m_env.manual, ec)) {
        m_prompts.Warning(u"マニュアルが見つかりません。プロクをインストールし直してください。");
        return;
    }
    GoToURL(U(QUrl::fromLocalFile(gui::Q(m_env.manual.u16string())).toString()));
}

void TfrmMain::GoToURL(std::u16string_view url)
{
    try {
        m_prompts.OpenUrl(url);
    } catch (...) {
        m_prompts.Warning(u"ファイルを選択します");
    }
}

void TfrmMain::FormClose()
{
    settings::Write(m_env.settingsFile, settings::kRemovalMode, Decimal(m_ui->ComboBox1->currentIndex()));
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    // A setting that cannot be written is reported but does not keep the program from ending.
    RunGuarded(m_prompts, [this] { FormClose(); });
    event->accept();
}

} // namespace plok::claims
