#include "claims/TfrmMain.h"

#include "claims/Anonymize.h"
#include "claims/StripBranch.h"
#include "claims/TfrmMsg.h"
#include "claims/TfrmSavePath.h"
#include "core/FileNames.h"
#include "core/Settings.h"
#include "core/Text.h"
#include "core/TextFile.h"
#include "core/Version.h"
#include "gui/Guard.h"
#include "gui/QtText.h"
#include "ui_TfrmMain.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QStyle>
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
{
    m_ui->setupUi(this);
    resize(348, 412);
    m_ui->Label8->setText(QStringLiteral("Ver.") + QLatin1String(kVersion));
    gui::SetCloseGlyph(m_ui->BitBtn1);
    // The combo box takes plain keys only: no input method composes text into it.
    m_ui->ComboBox1->setAttribute(Qt::WA_InputMethodEnabled, false);
    m_ui->ComboBox1->lineEdit()->setAttribute(Qt::WA_InputMethodEnabled, false);

    m_openResult = ResultDialogOpener(m_env, m_prompts, this);
    m_onSaveDestination = [this] { (new TfrmSavePath(m_env, m_prompts, this))->DspSet(); };

    RunGuarded(m_prompts, [this] { InitSet(); });

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

bool TfrmMain::LoadAndCheckPayer(const std::u16string& file, char16_t digit)
{
    const std::vector<Line> lines = LoadLines(ToPath(file));
    std::size_t size = 0;
    for (const Line& line : lines)
        size += line.size() + 1;
    QString text;
    text.reserve(static_cast<qsizetype>(size));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            text += QLatin1Char('\n');
        text += Q(lines[i]);
    }
    m_ui->Memo1->setPlainText(text);
    return !lines.empty() && lines.front().size() > 3 && lines.front()[3] == digit;
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
        if (const auto file = m_prompts.OpenFile()) {
            if (LoadAndCheckPayer(*file, u'1'))
                m_ui->Edit1->setText(Q(*file));
            else
                m_prompts.Warning(u"社保のレセ電データではありません。");
        }
    }
    if (IsBlank(U(m_ui->Edit2->text()))) {
        m_prompts.Information(u"国保のレセ電データファイルを選択します");
        const auto file = m_prompts.OpenFile();
        if (!file)
            return;
        if (LoadAndCheckPayer(*file, u'2'))
            m_ui->Edit2->setText(Q(*file));
        else
            m_prompts.Warning(u"国保のレセ電データではありません。");
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
    RunBoth([this](const std::filesystem::path& file) { return Conv(file, m_env.programFolder); });
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
    GoToURL(kManualUrl);
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
