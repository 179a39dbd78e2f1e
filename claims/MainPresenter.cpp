#include "claims/MainPresenter.h"

#include "claims/Anonymize.h"
#include "claims/Audit.h"
#include "claims/AuditedRun.h"
#include "claims/ClaimsFile.h"
#include "claims/StripBranch.h"
#include "claims/StrongAnonymize.h"
#include "core/AtomicFile.h"
#include "core/Cp932.h"
#include "core/FileNames.h"
#include "core/Settings.h"
#include "core/Text.h"
#include "core/Version.h"

#include <tuple>
#include <vector>

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

/// The position fields as the input method may fill them: full-width digits become the digits they are.
std::u16string HalfWidthDigits(std::u16string text)
{
    for (char16_t& c : text)
        if (c >= u'０' && c <= u'９')
            c = static_cast<char16_t>(u'0' + (c - u'０'));
    return text;
}

/// The files a click has written so far: removed again unless the click ends by handing them on, so that a failure in
/// a later run leaves no copy with a patient's name behind where nobody looks.
class ClickOutputs
{
public:
    explicit ClickOutputs(std::filesystem::path folder)
        : m_folder(std::move(folder))
    { }
    ~ClickOutputs()
    {
        for (const std::u16string& name : m_names) {
            std::error_code ec;
            std::filesystem::remove(m_folder / ToPath(name), ec);
        }
    }
    ClickOutputs(const ClickOutputs&) = delete;
    ClickOutputs& operator=(const ClickOutputs&) = delete;

    void Add(const std::u16string& name) { m_names.push_back(name); }
    /// The files are handed on: they stay.
    void Keep() { m_names.clear(); }

private:
    std::filesystem::path m_folder;
    std::vector<std::u16string> m_names;
};

} // namespace

MainPresenter::MainPresenter(const Environment& env, Prompts& prompts, View& view, WindowOpener& windows)
    : m_env(env)
    , m_prompts(prompts)
    , m_view(view)
    , m_windows(windows)
    , OpenDialog1(m_env, m_prompts, kClaimsFileTypes)
    , m_files {{
          {Form::Edit1, false, u"社保", u"社保レセ電データ：", u"社保のレセ電データファイルを選択します",
              u"社保のレセ電データではありません。", {}},
          {Form::Edit2, true, u"国保", u"国保レセ電データ：", u"国保のレセ電データファイルを選択します",
              u"国保のレセ電データではありません。", {}},
      }}
{ }

void MainPresenter::InitSet()
{
    m_view.SetText(Form::Label8, u"Ver." + FromUtf8(kVersion));
    for (ClaimsField& field : m_files)
        SetPath(field, u"");
    m_start.clear();
    m_end.clear();
    m_view.SetText(Form::Edit4, u"");
    m_view.SetText(Form::Edit5, u"");
    m_view.SetText(Form::Memo1, u"");
    const int saved = StrToIntDef(settings::Read(m_env.settingsFile, settings::kRemovalMode, u"0"), 0);
    const int mode = saved >= 0 && saved < kModeCount ? saved : -1;
    m_view.SetIndex(Form::ComboBox1, mode);
    // The position fields follow the restored mode as they follow the user's choice: a run in position mode must
    // never read fields nobody can see.
    ComboBox1Change(mode);
}

void MainPresenter::ComboBox1Change(int index)
{
    m_mode = index;
    for (const ControlId& control : {Form::Edit4, Form::Edit5, Form::Label4, Form::Label5})
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

void MainPresenter::Edit1Drop(const std::vector<std::u16string>& files)
{
    TakeDroppedFiles(files);
}

void MainPresenter::Edit2Drop(const std::vector<std::u16string>& files)
{
    TakeDroppedFiles(files);
}

void MainPresenter::TakeDroppedFiles(const std::vector<std::u16string>& files)
{
    // Both months' files are often dragged over together: each goes by its own first line, whichever field it met.
    std::array<std::vector<std::u16string>, 2> byPayer;
    for (const std::u16string& file : files) {
        const std::optional<std::string> first = ReadFirstLineBytes(ToPath(file));
        m_view.SetText(Form::Memo1, first ? cp932::Decode(*first) : u"");
        const ClaimsIdentity identity = IdentifyClaims(first);
        if (!identity.layout) {
            m_prompts.Warning(files.size() == 1 ? identity.refusal : identity.refusal + u"\n" + file);
            continue;
        }
        byPayer[identity.national ? 1 : 0].push_back(file);
    }
    for (std::size_t i = 0; i < byPayer.size(); ++i) {
        const std::vector<std::u16string>& taken = byPayer[i];
        if (taken.size() == 1) {
            SetPath(m_files[i], taken.front());
        } else if (taken.size() > 1) {
            const std::u16string payer(m_files[i].payerName);
            std::u16string text = payer + u"のレセ電データが" + IntToStr(static_cast<int>(taken.size()))
                + u"つドロップされました。" + payer + u"の欄には1つだけドロップしてください。";
            for (const std::u16string& file : taken)
                text += u"\n" + file;
            m_prompts.Warning(text);
        }
    }
}

void MainPresenter::SetPath(ClaimsField& field, std::u16string path)
{
    field.path = std::move(path);
    m_view.SetText(field.edit, field.path);
}

void MainPresenter::TakeClaimsFile(ClaimsField& field, const std::u16string& file)
{
    // Only the first line decides, as it decides for the runs: the rest of a month's file is never read here.
    const std::optional<std::string> first = ReadFirstLineBytes(ToPath(file));
    m_view.SetText(Form::Memo1, first ? cp932::Decode(*first) : u"");
    const ClaimsIdentity identity = IdentifyClaims(first);
    if (!identity.layout) {
        m_prompts.Warning(identity.refusal);
        return;
    }
    if (identity.national != field.national) {
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
void MainPresenter::RunBoth(std::u16string_view product, Run run)
{
    // The typed paths go to the runs as they are, untrimmed: the runs refuse what is no claims file. The result dialog
    // gets what this click wrote and nothing of an earlier one, and does not open when nothing was written.
    ResultTriple result;
    ClickOutputs written(m_env.programFolder);
    for (const ClaimsField& field : m_files) {
        const RunResult r = run(ToPath(field.path));
        if (!r.Done()) {
            m_prompts.Warning(RefusalText(r, field.label, field.path));
            continue;
        }
        written.Add(r.fileName);
        result.gstMsg = r.message;
        (r.slot == ResultSlot::First ? result.gstFile1 : result.gstFile2) = r.fileName;
    }
    written.Keep();
    if (result.gstFile1.empty() && result.gstFile2.empty())
        return;
    // The run's message names both payers; when one file was not written, the message names the one that was.
    if (result.gstFile1.empty() || result.gstFile2.empty())
        result.gstMsg = std::u16string(m_files[result.gstFile1.empty() ? 1 : 0].payerName) + u"の"
            + std::u16string(product) + u"が作成されました";
    m_windows.OpenResult(result);
}

void MainPresenter::Button1Click()
{
    // The option window's choice, read at each press. The key is the one plok-cli finds beside user.ini too.
    std::optional<ChartPseudonyms> strong;
    if (settings::ReadFlag(m_env.settingsFile, settings::kStrongAnonymization)) {
        try {
            strong.emplace(crypto::ReadOrCreateKeyFile(ClinicKeyFile(m_env.settingsFile)));
        } catch (const FileError& e) {
            m_prompts.Warning(KeyRefusalText(e, false));
            return;
        }
    }
    // Hand-typed text outside the records the anonymisation rewrites can still name a patient, of either file: a copy
    // the audit finds anything in is never written, so it can neither be delivered nor lie in the work folder.
    std::vector<std::filesystem::path> originals;
    for (const ClaimsField& field : m_files)
        originals.push_back(ToPath(field.path));
    const AuditedRun run(originals, strong ? &*strong : nullptr);
    RunBoth(strong ? u"強い匿名化ファイル" : u"匿名化ファイル", [&](const std::filesystem::path& file) {
        const auto index
            = static_cast<std::size_t>(std::find(originals.begin(), originals.end(), file) - originals.begin());
        return run.Anonymize(index, OutputTarget(m_env.programFolder), AuditWarningText);
    });
}

void MainPresenter::Button2Click()
{
    if (m_mode < 0) {
        m_prompts.Warning(kNoRemovalModeText);
        return;
    }
    const RemovalMode mode = ModeOf(m_mode);
    const std::u16string start = HalfWidthDigits(m_start);
    const std::u16string end = HalfWidthDigits(m_end);
    // The positions are the same for both files: said once, naming the field, rather than once per file.
    if (const std::optional<RangeRefusal> refused
        = mode == RemovalMode::Position ? CheckRange(start, end) : std::nullopt) {
        std::u16string text(refused->message);
        for (const auto& [faulty, name, typed] :
            {std::tuple {refused->start, u"開始位置：", &m_start}, std::tuple {refused->end, u"終了位置：", &m_end}})
            if (faulty)
                text += u"\n" + std::u16string(name) + (IsBlank(*typed) ? std::u16string(u"（空欄）") : *typed);
        m_prompts.Warning(text);
        return;
    }
    RunBoth(u"枝番除去ファイル",
        [&](const std::filesystem::path& file) { return Conv2(file, mode, start, end, m_env.programFolder); });
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
    bool opened = false;
    try {
        opened = m_prompts.OpenDocument(PathText(document));
    } catch (...) {
        m_prompts.Warning(u"ファイルを選択します");
        return;
    }
    if (!opened)
        m_prompts.Warning(
            u"マニュアルを開けませんでした。ウェブページを開くプログラム（ブラウザー）が\n見つかりません。"
            u"ブラウザーで次のファイルを開いてください。\n"
            + PathText(document));
}

void MainPresenter::Button6Click()
{
    m_windows.Open(WindowKind::Option);
}

void MainPresenter::FormClose()
{
    // Without a mode the stored one stays: a stored "none" would make every later start refuse the removal.
    if (m_mode >= 0)
        settings::Write(m_env.settingsFile, settings::kRemovalMode, IntToStr(m_mode));
}

WindowWiring MainPresenter::Wiring()
{
    WindowWiring w = WiringOf<Form>();
    w.clicks = {{Form::Button1, Call(this, &MainPresenter::Button1Click)},
        {Form::Button2, Call(this, &MainPresenter::Button2Click)},
        {Form::Button3, Call(this, &MainPresenter::Button3Click)},
        {Form::Button4, Call(this, &MainPresenter::Button4Click)},
        {Form::Button5, Call(this, &MainPresenter::Button5Click)},
        {Form::Button6, Call(this, &MainPresenter::Button6Click)}};
    w.choices = {{Form::ComboBox1, Call(this, &MainPresenter::ComboBox1Change)}};
    w.edits = {{Form::Edit1, Call(this, &MainPresenter::Edit1Change)},
        {Form::Edit2, Call(this, &MainPresenter::Edit2Change)}, {Form::Edit4, Call(this, &MainPresenter::Edit4Change)},
        {Form::Edit5, Call(this, &MainPresenter::Edit5Change)}};
    w.drops
        = {{Form::Edit1, Call(this, &MainPresenter::Edit1Drop)}, {Form::Edit2, Call(this, &MainPresenter::Edit2Drop)}};
    w.created = Call(this, &MainPresenter::InitSet);
    // A setting that cannot be written is reported but does not keep the program from ending.
    w.closed = Call(this, &MainPresenter::FormClose);
    w.closeButton = Form::BitBtn1;
    return w;
}

} // namespace plok::claims
