#include "claims/MainPresenter.h"

#include "claims/Anonymize.h"
#include "claims/Audit.h"
#include "claims/ClaimsFile.h"
#include "claims/StripBranch.h"
#include "claims/StrongAnonymize.h"
#include "core/FileNames.h"
#include "core/Settings.h"
#include "core/Text.h"
#include "core/Version.h"

namespace plok::claims {

namespace {

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

constexpr int kModeCount = 2;

} // namespace

MainPresenter::MainPresenter(const Environment& env, Prompts& prompts, View& view, WindowOpener& windows)
    : m_env(env)
    , m_prompts(prompts)
    , m_view(view)
    , m_windows(windows)
    , OpenDialog1(m_env, m_prompts)
    , m_files {{
          {"Edit1", u'1', u"社保のレセ電データファイルを選択します", u"社保のレセ電データではありません。", {}},
          {"Edit2", u'2', u"国保のレセ電データファイルを選択します", u"国保のレセ電データではありません。", {}},
      }}
{ }

void MainPresenter::InitSet()
{
    m_view.SetText("Label8", u"Ver." + FromUtf8(kVersion));
    for (ClaimsField& field : m_files)
        SetPath(field, u"");
    m_start.clear();
    m_end.clear();
    m_view.SetText("Edit4", u"");
    m_view.SetText("Edit5", u"");
    m_view.SetText("Memo1", u"");
    for (const char* control : {"Edit4", "Edit5", "Label4", "Label5"})
        m_view.SetVisible(control, false);
    // Restoring the choice is not the user's change: the position fields stay hidden.
    const int saved = StrToIntDef(settings::Read(m_env.settingsFile, settings::kRemovalMode, u"0"), 0);
    m_mode = saved >= 0 && saved < kModeCount ? saved : -1;
    m_view.SetIndex("ComboBox1", m_mode);
}

void MainPresenter::ComboBox1Change(int index)
{
    m_mode = index;
    for (const char* control : {"Edit4", "Edit5", "Label4", "Label5"})
        m_view.SetVisible(control, m_mode == 1);
}

void MainPresenter::Edit1Change(std::u16string text)
{
    m_files[0].path = std::move(text);
}

void MainPresenter::Edit2Change(std::u16string text)
{
    m_files[1].path = std::move(text);
}

void MainPresenter::Edit4Change(std::u16string text)
{
    m_start = std::move(text);
}

void MainPresenter::Edit5Change(std::u16string text)
{
    m_end = std::move(text);
}

void MainPresenter::Edit1Drop(const std::u16string& file)
{
    TakeClaimsFile(m_files[0], file);
}

void MainPresenter::Edit2Drop(const std::u16string& file)
{
    TakeClaimsFile(m_files[1], file);
}

void MainPresenter::SetPath(ClaimsField& field, std::u16string path)
{
    field.path = std::move(path);
    m_view.SetText(field.edit, field.path);
}

void MainPresenter::TakeClaimsFile(ClaimsField& field, const std::u16string& file)
{
    // Only the first line's fourth character decides: the rest of a month's file is never read here.
    const std::optional<Line> first = ReadPayerLine(ToPath(file));
    m_view.SetText("Memo1", first ? *first : u"");
    if (!NamesPayer(first, field.payer)) {
        m_prompts.Warning(field.notThisPayer);
        return;
    }
    SetPath(field, file);
}

void MainPresenter::Button3Click()
{
    if (!IsBlank(m_files[0].path) && !IsBlank(m_files[1].path)) {
        if (m_prompts.Confirm(u"新しいレセ電ファイルを選択しますか？")) {
            for (ClaimsField& field : m_files)
                SetPath(field, u"");
            Button3Click();
        }
        return;
    }
    // The national file is asked for whatever became of the social one.
    for (ClaimsField& field : m_files) {
        if (!IsBlank(field.path))
            continue;
        m_prompts.Information(field.choose);
        if (const auto file = OpenDialog1.Execute())
            TakeClaimsFile(field, *file);
    }
}

template<class Run>
void MainPresenter::RunBoth(Run run)
{
    // The typed paths go to the runs as they are, untrimmed. A refused run leaves the result as it was, and the
    // result dialog opens all the same.
    for (const ClaimsField& field : m_files) {
        const RunResult result = run(ToPath(field.path));
        if (!result.Done()) {
            m_prompts.Warning(result.message);
            continue;
        }
        m_result.gstMsg = result.message;
        (result.slot == ResultSlot::First ? m_result.gstFile1 : m_result.gstFile2) = result.fileName;
    }
    m_windows.OpenResult(m_result);
}

void MainPresenter::Button1Click()
{
    // The option window's choice, read at each press. The key is the one plok-cli finds beside user.ini too.
    std::optional<ChartPseudonyms> strong;
    if (settings::ReadFlag(m_env.settingsFile, settings::kStrongAnonymization)) {
        try {
            strong.emplace(crypto::ReadOrCreateKeyFile(ClinicKeyFile(m_env.settingsFile)));
        } catch (const crypto::KeyFileError& e) {
            m_prompts.Warning(KeyRefusalText(e, false));
            return;
        }
    }
    const AnonymizeMode mode = strong ? AnonymizeMode::Strong : AnonymizeMode::Default;
    RunBoth([&](const std::filesystem::path& file) {
        const RunResult result = Conv(file, m_env.programFolder, InputCheck::None, strong ? &*strong : nullptr);
        if (result.Done())
            WarnIfNotAnonymous(file, result.fileName, mode);
        return result;
    });
}

void MainPresenter::WarnIfNotAnonymous(
    const std::filesystem::path& original, const std::u16string& copy, AnonymizeMode mode)
{
    // Hand-typed text outside the records the anonymisation rewrites can still name a patient. The copy is kept; the
    // staff decide whether it may be handed out.
    const AuditReport report = AuditAnonymised(original, m_env.programFolder / ToPath(copy), {}, mode);
    if (!report.Clean())
        m_prompts.Warning(u"匿名化ファイルに元の識別情報が残っています\n" + copy + u": " + CountsText(report));
}

void MainPresenter::Button2Click()
{
    const RemovalMode mode = ModeOf(m_mode);
    RunBoth([&](const std::filesystem::path& file) { return Conv2(file, mode, m_start, m_end, m_env.programFolder); });
}

void MainPresenter::Button4Click()
{
    m_windows.Open(WindowKind::SavePath);
}

void MainPresenter::Button5Click()
{
    // The manual is the one installed on this computer: clinic PCs are often offline.
    std::error_code ec;
    if (m_env.manual.empty() || !std::filesystem::is_regular_file(m_env.manual, ec)) {
        m_prompts.Warning(u"マニュアルが見つかりません。プロクをインストールし直してください。");
        return;
    }
    GoToURL(m_env.manual);
}

void MainPresenter::GoToURL(const std::filesystem::path& document)
{
    try {
        m_prompts.OpenDocument(document.u16string());
    } catch (...) {
        m_prompts.Warning(u"ファイルを選択します");
    }
}

void MainPresenter::Button6Click()
{
    m_windows.Open(WindowKind::Option);
}

void MainPresenter::FormClose()
{
    settings::Write(m_env.settingsFile, settings::kRemovalMode, IntToStr(m_mode));
}

} // namespace plok::claims
