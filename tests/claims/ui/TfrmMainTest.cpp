#include "claims/TfrmMain.h"

#include "claims/Anonymize.h"
#include "claims/StripBranch.h"
#include "claims/TfrmMsg.h"
#include "claims/TfrmSavePath.h"
#include "core/CommaText.h"
#include "core/Cp932.h"
#include "core/FileNames.h"
#include "core/IniFile.h"
#include "core/Version.h"
#include "support/GuiSupport.h"

#include <QPushButton>
#include <QTest>
#include <optional>

namespace {

using namespace Qt::StringLiterals;
using plok::claims::TfrmMain;
using plok::test::ConfirmBox;
using plok::test::FakePrompts;
using plok::test::InfoBox;
using plok::test::OpenFileBox;
using plok::test::ReadBytes;
using plok::test::WarningBox;
using Shown = FakePrompts::Shown;
namespace fs = std::filesystem;

std::string Claims(char16_t payer, std::u16string_view month = u"50605")
{
    return plok::cp932::Encode(std::u16string(u"IR,") + payer + u",13,1,0123456,,ORVAクリニック,"
        + std::u16string(month) + u",00,012\r\nRE,1,1112,50605,名前,1,3450401,,,,,,,12345-01,x\r\n");
}
const std::string kSocial = Claims(u'1');
const std::string kNational = Claims(u'2');
// A receipt record without the fields both runs touch: each run fails on it.
const std::string kBroken = "IR,1,13,1,0123456,,name,50605,00,012\r\nRE,1\r\n";

const Shown kErrorBox {"error", u"プロク", u""};
const Shown kSocialInfo = InfoBox(u"社保のレセ電データファイルを選択します");
const Shown kNationalInfo = InfoBox(u"国保のレセ電データファイルを選択します");
const Shown kNotSocial = WarningBox(u"社保のレセ電データではありません。");
const Shown kNotNational = WarningBox(u"国保のレセ電データではありません。");
const Shown kMissing = WarningBox(plok::kMissingFileText);

struct Opened
{
    std::u16string msg;
    std::u16string file1;
    std::u16string file2;
    bool operator==(const Opened&) const = default;
};

void PrintTo(const Opened& o, std::ostream* os)
{
    *os << "(" << plok::ToUtf8(o.msg) << ", " << plok::ToUtf8(o.file1) << ", " << plok::ToUtf8(o.file2) << ")";
}

/// Prompts whose URL opening can be told to fail.
class UrlPrompts : public FakePrompts
{
public:
    enum class Mode
    {
        Opens,
        Refused,
        Throws,
    };
    explicit UrlPrompts(Mode mode)
        : m_mode(mode)
    { }
    bool OpenUrl(std::u16string_view url) override
    {
        FakePrompts::OpenUrl(url);
        if (m_mode == Mode::Throws)
            throw std::runtime_error("no desktop");
        return m_mode == Mode::Opens;
    }

private:
    Mode m_mode;
};

class TfrmMainTest : public plok::test::GuiFixture
{
protected:
    ~TfrmMainTest() override
    {
        if (window)
            window->close();
    }
    void Create(bool recordResults = true)
    {
        window = std::make_unique<TfrmMain>(env, prompts);
        if (recordResults)
            window->SetResultOpener([this](std::u16string msg, std::u16string file1, std::u16string file2) {
                opened.push_back({std::move(msg), std::move(file1), std::move(file2)});
            });
        window->show();
    }
    template<class T = QWidget>
    T* Get(const char* name) const
    {
        T* w = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void Click(const char* name) const { QTest::mouseClick(Get<QPushButton>(name), Qt::LeftButton); }
    QString Text(const char* name) const { return Get<QLineEdit>(name)->text(); }
    void SetText(const char* name, const std::u16string& text) const
    {
        Get<QLineEdit>(name)->setText(QString::fromStdU16String(text));
    }
    bool PositionsShown() const
    {
        const bool shown = Get("Edit4")->isVisible();
        for (const char* name : {"Edit5", "Label4", "Label5"})
            EXPECT_EQ(Get(name)->isVisible(), shown) << name;
        return shown;
    }
    /// The boxes shown so far, error texts left out (they carry the system's reason).
    std::vector<Shown> Boxes() const
    {
        std::vector<Shown> boxes = prompts.shown();
        for (Shown& s : boxes)
            if (s.kind == "error")
                s.text.clear();
        return boxes;
    }
    std::u16string Stored(std::u16string_view key) const
    {
        return plok::IFReadIniStr(env.settingsFile, u"PARAM", key, u"<none>");
    }
    bool InProgram(std::u16string_view name) const { return fs::exists(env.programFolder / plok::ToPath(name)); }

    std::unique_ptr<TfrmMain> window;
    std::vector<Opened> opened;
};

TEST_F(TfrmMainTest, Layout)
{
    Create();
    plok::test::CheckLayout(window.get(),
        {u"プロク"_s, {348, 412}, 12, Qt::Window,
            {
                {"BitBtn1", "QPushButton", {265, 8, 75, 25}, u"閉じる(&C)"_s, true, 0},
                {"Button1", "QPushButton", {72, 182, 201, 25}, u"レセ電データ匿名化"_s, true, 1},
                {"Edit1", "QLineEdit", {159, 101, 160, 23}, {}, true, 2},
                {"Edit2", "QLineEdit", {159, 135, 160, 23}, {}, true, 3},
                {"Memo1", "QPlainTextEdit", {265, 39, 205, 44}, {}, false, 5},
                {"Button2", "QPushButton", {72, 227, 201, 25}, u"レセ電データ枝番除去"_s, true, 6},
                {"ComboBox1", "QComboBox", {57, 258, 232, 23}, u"記号「-」「*」「/」より後を除去する"_s, true, 7},
                {"Edit4", "QLineEdit", {71, 287, 50, 23}, {}, false, 8},
                {"Edit5", "QLineEdit", {183, 287, 50, 23}, {}, false, 9},
                {"Button3", "QPushButton", {72, 58, 201, 25}, u"ファイル選択"_s, true, 10},
                {"Button4", "QPushButton", {72, 317, 201, 25}, u"保存先設定"_s, true, 11},
                {"Button5", "QPushButton", {8, 8, 75, 25}, u"マニュアル"_s, true, 12},
                {"Button6", "QPushButton", {72, 348, 201, 25}, u"オプション"_s, true, 13},
                {"Label2", "QLabel", {49, 104, 104, 15}, u"社保レセ電データ："_s, true, -1},
                {"Label3", "QLabel", {49, 138, 104, 15}, u"国保レセ電データ："_s, true, -1},
                {"Label4", "QLabel", {127, 291, 48, 15}, u"番目から"_s, false, -1},
                {"Label5", "QLabel", {239, 291, 26, 15}, u"番目"_s, false, -1},
                {"Label8", "QLabel", {276, 391, 64, 15}, u"Ver."_s + QLatin1String(plok::kVersion), true, -1},
            }});
    auto* combo = Get<QComboBox>("ComboBox1");
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->itemText(1), u"指定の位置の文字以外を除去する"_s);
    EXPECT_TRUE(combo->isEditable());
    EXPECT_FALSE(combo->testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_FALSE(combo->lineEdit()->testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_FALSE(Get<QPushButton>("BitBtn1")->icon().isNull());
    EXPECT_TRUE(prompts.shown().empty());
}

TEST_F(TfrmMainTest, FileSelection)
{
    const std::u16string social = DataFile("social.UKE", kSocial);
    const std::u16string national = DataFile("national.UKE", kNational);
    const std::u16string shortLine = DataFile("short.UKE", "IR\r\n");
    const std::u16string empty = DataFile("empty.UKE", "");
    const std::u16string missing = (root / "data" / "missing.UKE").u16string();
    struct Case
    {
        const char* name;
        std::u16string edit1;
        std::u16string edit2;
        std::vector<bool> confirms;
        std::vector<std::optional<std::u16string>> files;
        std::u16string edit1After;
        std::u16string edit2After;
        std::vector<Shown> boxes;
    };
    const Shown again = ConfirmBox(u"新しいレセ電ファイルを選択しますか？");
    const Shown open = OpenFileBox();
    const std::vector<Case> cases = {
        {"both chosen", u"", u"", {}, {social, national}, social, national, {kSocialInfo, open, kNationalInfo, open}},
        {"social cancelled", u"", u"", {}, {std::nullopt, national}, u"", national,
            {kSocialInfo, open, kNationalInfo, open}},
        {"national cancelled", u"", u"", {}, {social, std::nullopt}, social, u"",
            {kSocialInfo, open, kNationalInfo, open}},
        {"payers swapped", u"", u"", {}, {national, social}, u"", u"",
            {kSocialInfo, open, kNotSocial, kNationalInfo, open, kNotNational}},
        {"first line too short, empty file", u"", u"", {}, {shortLine, empty}, u"", u"",
            {kSocialInfo, open, kNotSocial, kNationalInfo, open, kNotNational}},
        {"social already chosen", u"/kept", u"", {}, {national}, u"/kept", national, {kNationalInfo, open}},
        {"national already chosen", u"", u"/kept", {}, {social}, social, u"/kept", {kSocialInfo, open}},
        {"blank fields count as empty", u"  ", u"\t", {}, {social, national}, social, national,
            {kSocialInfo, open, kNationalInfo, open}},
        {"one blank field asks no question", u"/a", u"   ", {}, {national}, u"/a", national, {kNationalInfo, open}},
        {"both chosen, keep them", u"/a", u"/b", {false}, {}, u"/a", u"/b", {again}},
        {"both chosen, choose again", u"/a", u"/b", {true}, {social, national}, social, national,
            {again, kSocialInfo, open, kNationalInfo, open}},
        {"both chosen, choose again, cancel both", u"/a", u"/b", {true}, {std::nullopt, std::nullopt}, u"", u"",
            {again, kSocialInfo, open, kNationalInfo, open}},
        {"unreadable social file", u"", u"", {}, {missing}, u"", u"", {kSocialInfo, open, kErrorBox}},
        {"unreadable national file", u"", u"", {}, {social, missing}, social, u"",
            {kSocialInfo, open, kNationalInfo, open, kErrorBox}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prompts.Clear();
        Create();
        SetText("Edit1", c.edit1);
        SetText("Edit2", c.edit2);
        for (bool yes : c.confirms)
            prompts.AnswerConfirm(yes);
        for (const auto& file : c.files)
            prompts.AnswerFile(file);

        Click("Button3");

        EXPECT_EQ(Text("Edit1"), QString::fromStdU16String(c.edit1After));
        EXPECT_EQ(Text("Edit2"), QString::fromStdU16String(c.edit2After));
        EXPECT_EQ(Boxes(), c.boxes);
        EXPECT_TRUE(prompts.AllAnswersUsed());
    }
}

TEST_F(TfrmMainTest, OnlyTheFirstLineOfAChosenFileIsReadIntoTheMemo)
{
    Create();
    const std::string second = plok::cp932::Encode(u"IR,2,13,1,0123456,,医院,50605\r\nRE,1\r\n\r\nGO,1\r\n");
    prompts.AnswerFile(DataFile("social.UKE", kSocial));
    prompts.AnswerFile(DataFile("second.UKE", second));
    Click("Button3");
    EXPECT_EQ(Get<QPlainTextEdit>("Memo1")->toPlainText(), u"IR,2,13,1,0123456,,医院,50605"_s);
    // A first line longer than a claims record is cut: only its fourth character matters.
    EXPECT_EQ(Text("Edit2"), QString::fromStdU16String(DataFile("second.UKE", second)));
    SetText("Edit2", u"");
    prompts.AnswerFile(DataFile("long.UKE", "IR,2," + std::string(100000, 'x') + "\r\n"));
    Click("Button3");
    EXPECT_EQ(Get<QPlainTextEdit>("Memo1")->toPlainText().size(), 4096);
    EXPECT_FALSE(Text("Edit2").isEmpty());
}

TEST_F(TfrmMainTest, OpenDialogsStartWhereTheLastConfirmedFileIs)
{
    // After a restart the first dialog starts in the folder last used.
    Setting(u"LASTDIR", u"/clinic/claims");
    Create();
    const std::u16string social = DataFile("social.UKE", kSocial);
    prompts.AnswerFile(social);
    prompts.AnswerFile(std::nullopt);
    Click("Button3");
    SetText("Edit1", u"");
    prompts.AnswerFile(std::nullopt);
    prompts.AnswerFile(std::nullopt);
    Click("Button3");
    // The dialog keeps the file last confirmed in it; the folder is kept for the next start.
    EXPECT_EQ(prompts.openFileStarts(), (std::vector<std::u16string> {u"/clinic/claims", social, social, social}));
    EXPECT_EQ(plok::settings::Read(env.settingsFile, u"LASTDIR", u""), (root / "data").u16string());
}

TEST_F(TfrmMainTest, Runs)
{
    const std::u16string social = DataFile("social.UKE", kSocial);
    const std::u16string national = DataFile("national.UKE", kNational);
    const std::u16string broken = DataFile("broken.UKE", kBroken);
    const std::u16string slash = DataFile("slash.UKE", Claims(u'1', u"50/05"));
    const std::u16string anonymized = plok::claims::kAnonymizedText;
    const std::u16string stripped = plok::claims::kBranchStrippedText;
    const std::u16string social1 = u"50605_1.UKE";
    const std::u16string national1 = u"50605_2.UKE";
    const std::u16string social2 = u"(50605提出_社保)RECEIPTC.uke";
    const std::u16string national2 = u"(50605提出_国保)RECEIPTC.uke";
    struct Case
    {
        const char* name;
        const char* button;
        int comboIndex;
        std::u16string edit1;
        std::u16string edit2;
        std::vector<Opened> opened;
        std::vector<std::string> boxKinds;
        std::vector<std::u16string> outputs;
    };
    const std::vector<Case> cases = {
        {"anonymize both", "Button1", 0, social, national, {{anonymized, social1, national1}}, {},
            {social1, national1}},
        {"anonymize social only", "Button1", 0, social, u"", {{anonymized, social1, u""}}, {"warning"}, {social1}},
        {"anonymize neither", "Button1", 0, u"", u"", {{}}, {"warning", "warning"}, {}},
        {"the payer decides the slot", "Button1", 0, national, u"", {{anonymized, u"", national1}}, {"warning"},
            {national1}},
        {"path taken untrimmed", "Button1", 0, u" " + social, u"", {{}}, {"warning", "warning"}, {}},
        {"billing month unfit for a name", "Button1", 0, slash, national, {{anonymized, u"", national1}}, {"warning"},
            {national1}},
        {"anonymize, first file fails", "Button1", 0, broken, national, {}, {"error"}, {}},
        {"strip both", "Button2", 0, social, national, {{stripped, social2, national2}}, {}, {social2, national2}},
        {"strip national only", "Button2", -1, u"", national, {{stripped, u"", national2}}, {"warning"}, {national2}},
        {"strip at blank positions", "Button2", 1, social, national, {{}}, {"warning", "warning"}, {}},
        {"strip, first file fails", "Button2", 0, broken, national, {}, {"error"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(env.programFolder);
        fs::create_directory(env.programFolder);
        prompts.Clear();
        opened.clear();
        Create();
        Get<QComboBox>("ComboBox1")->setCurrentIndex(c.comboIndex);
        SetText("Edit1", c.edit1);
        SetText("Edit2", c.edit2);

        Click(c.button);

        EXPECT_EQ(opened, c.opened);
        std::vector<std::string> kinds;
        for (const Shown& s : prompts.shown())
            kinds.push_back(s.kind);
        EXPECT_EQ(kinds, c.boxKinds);
        std::vector<std::u16string> outputs;
        for (const auto& e : fs::directory_iterator(env.programFolder))
            outputs.push_back(plok::FromUtf8(e.path().filename().string()));
        std::sort(outputs.begin(), outputs.end());
        auto expected = c.outputs;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(outputs, expected);
    }
}

TEST_F(TfrmMainTest, ResultTripleAccumulatesAcrossRuns)
{
    const std::u16string social = DataFile("social.UKE", kSocial);
    const std::u16string national = DataFile("national.UKE", kNational);
    const std::u16string broken = DataFile("broken.UKE", kBroken);
    Create();
    const auto run = [&](const char* button, const std::u16string& edit1, const std::u16string& edit2) {
        SetText("Edit1", edit1);
        SetText("Edit2", edit2);
        Click(button);
    };
    run("Button1", social, u"");
    run("Button1", u"", national);
    run("Button2", social, u"");
    run("Button1", u"", u"");
    run("Button1", broken, national);
    run("Button2", u"", u"");

    const std::u16string anonymized = plok::claims::kAnonymizedText;
    const Opened mixed {plok::claims::kBranchStrippedText, u"(50605提出_社保)RECEIPTC.uke", u"50605_2.UKE"};
    EXPECT_EQ(opened,
        (std::vector<Opened> {
            {anonymized, u"50605_1.UKE", u""}, {anonymized, u"50605_1.UKE", u"50605_2.UKE"}, mixed, mixed, mixed}));
}

TEST_F(TfrmMainTest, RemovalModeFollowsTheComboBox)
{
    const std::u16string social = DataFile("social.UKE", kSocial);
    struct Case
    {
        const char* name;
        std::function<void(QComboBox*)> choose;
        std::u16string start;
        std::u16string end;
        std::string number; // the patient number the output holds
    };
    const std::vector<Case> cases = {
        {"item 0: cut at symbols", [](QComboBox* c) { c->setCurrentIndex(0); }, u"2", u"3", "12345"},
        {"item 1: the positions typed", [](QComboBox* c) { c->setCurrentIndex(1); }, u"2", u"3", "23"},
        {"typed text selects nothing: kept", [](QComboBox* c) { QTest::keyClicks(c->lineEdit(), "x"); }, u"2", u"3",
            "12345-01"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Create();
        c.choose(Get<QComboBox>("ComboBox1"));
        SetText("Edit1", social);
        SetText("Edit4", c.start);
        SetText("Edit5", c.end);
        Click("Button2");
        ASSERT_TRUE(InProgram(u"(50605提出_社保)RECEIPTC.uke"));
        const std::string out = ReadBytes(env.programFolder / plok::ToPath(u"(50605提出_社保)RECEIPTC.uke"));
        const std::size_t re = out.find("\r\nRE,");
        ASSERT_NE(re, std::string::npos);
        const std::string line = out.substr(re + 2, out.find("\r\n", re + 2) - re - 2);
        plok::FieldList fields;
        plok::GetCommaTxt(plok::cp932::Decode(line), fields);
        ASSERT_GT(fields.size(), 13u);
        EXPECT_EQ(plok::ToUtf8(fields[13]), c.number);
    }
    EXPECT_TRUE(prompts.Texts("error").empty());
}

TEST_F(TfrmMainTest, ComboChoiceRoundTripsThroughTheSettings)
{
    struct Case
    {
        std::optional<std::u16string> stored;
        int index;
        bool viaButton; // close with "閉じる" rather than the close box
        std::u16string storedAfter;
    };
    const std::vector<Case> cases = {
        {std::nullopt, 0, true, u"0"},
        {u"1", 1, false, u"1"},
        {u"abc", 0, true, u"0"},
        {u"7", -1, false, u"-1"},
        {u"-1", -1, true, u"-1"},
        {u"$1", 1, true, u"1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(plok::ToUtf8(c.stored.value_or(u"(none)")));
        fs::remove(env.settingsFile);
        if (c.stored)
            plok::IFWriteIniStr(env.settingsFile, u"PARAM", u"CB1", *c.stored);
        Create();
        EXPECT_EQ(Get<QComboBox>("ComboBox1")->currentIndex(), c.index);
        EXPECT_FALSE(PositionsShown());
        if (c.viaButton)
            Click("BitBtn1");
        else
            window->close();
        EXPECT_FALSE(window->isVisible());
        EXPECT_EQ(Stored(u"CB1"), c.storedAfter);
    }
    EXPECT_TRUE(prompts.shown().empty());
}

TEST_F(TfrmMainTest, UserChangeOfTheComboShowsThePositionFields)
{
    Create();
    auto* combo = Get<QComboBox>("ComboBox1");
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    EXPECT_EQ(combo->currentIndex(), 1);
    EXPECT_TRUE(PositionsShown());
    SetText("Edit4", u"2");
    SetText("Edit5", u"5");
    QTest::keyClick(combo, Qt::Key_Up);
    EXPECT_FALSE(PositionsShown());
    QTest::keyClick(combo, Qt::Key_Down);
    EXPECT_TRUE(PositionsShown());
    EXPECT_EQ(Text("Edit4"), u"2"_s);
    EXPECT_EQ(Text("Edit5"), u"5"_s);

    QTest::keyClicks(combo->lineEdit(), "ab");
    EXPECT_EQ(combo->currentIndex(), -1);
    EXPECT_EQ(combo->lineEdit()->text(), u"指定の位置の文字以外を除去するab"_s);
    EXPECT_FALSE(PositionsShown());
    combo->lineEdit()->setSelection(0, combo->lineEdit()->text().size());
    QTest::keyClicks(combo->lineEdit(), "x");
    EXPECT_EQ(combo->lineEdit()->text(), u"x"_s);
    Click("BitBtn1");
    EXPECT_EQ(Stored(u"CB1"), u"-1");
    EXPECT_TRUE(prompts.shown().empty());
}

TEST_F(TfrmMainTest, SettingThatCannotBeWrittenIsReportedAndTheWindowStillCloses)
{
    env.settingsFile = root / "missing" / "user.ini";
    Create();
    Click("BitBtn1");
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(Boxes(), std::vector<Shown> {kErrorBox});
}

TEST_F(TfrmMainTest, ManualOpensTheInstalledManual)
{
    const std::u16string url = u"file://" + env.manual.u16string();
    const Shown urlShown {"url", u"", url};
    struct Case
    {
        UrlPrompts::Mode mode;
        std::vector<Shown> boxes;
    };
    for (const Case& c :
        std::vector<Case> {{UrlPrompts::Mode::Opens, {urlShown}}, {UrlPrompts::Mode::Refused, {urlShown}},
            {UrlPrompts::Mode::Throws, {urlShown, WarningBox(u"ファイルを選択します")}}}) {
        SCOPED_TRACE(static_cast<int>(c.mode));
        UrlPrompts urlPrompts(c.mode);
        TfrmMain main(env, urlPrompts);
        QTest::mouseClick(main.findChild<QPushButton*>("Button5"), Qt::LeftButton);
        EXPECT_EQ(urlPrompts.shown(), c.boxes);
    }
    // Without a manual on this computer nothing is opened; the user is told.
    fs::remove(env.manual);
    TfrmMain main(env, prompts);
    QTest::mouseClick(main.findChild<QPushButton*>("Button5"), Qt::LeftButton);
    EXPECT_EQ(Boxes(),
        std::vector<Shown> {WarningBox(u"マニュアルが見つかりません。プロクをインストールし直してください。")});
}

TEST_F(TfrmMainTest, SaveDestinationAndOptionButtons)
{
    Create();
    plok::test::WhileModal([&] { Click("Button4"); },
        [](QWidget* w) {
            if (auto* savePath = plok::test::ModalAs<plok::claims::TfrmSavePath>(w))
                savePath->close();
        });
    Click("Button6");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    int saveDestination = 0;
    int options = 0;
    window->SetOnSaveDestination([&] { ++saveDestination; });
    window->SetOnOptions([&] { ++options; });
    Click("Button4");
    Click("Button6");
    Click("Button6");
    EXPECT_EQ(saveDestination, 1);
    EXPECT_EQ(options, 2);
    EXPECT_TRUE(prompts.shown().empty());
}

TEST_F(TfrmMainTest, AnonymisedCopyWithIdentifiersLeftIsKeptWithAWarning)
{
    Create();
    // The patient's name typed into a disease name of the social file; the national file is clean.
    SetText("Edit1",
        DataFile("social.UKE", kSocial + plok::cp932::Encode(u"SY,0000999,20230601,,01,,,名前さんの胃炎\r\n")));
    SetText("Edit2", DataFile("national.UKE", kNational));
    Click("Button1");
    EXPECT_EQ(Boxes(),
        std::vector<Shown> {WarningBox(u"匿名化ファイルに元の識別情報が残っています\n50605_1.UKE: 患者氏名 1件")});
    EXPECT_EQ(opened, (std::vector<Opened> {{plok::claims::kAnonymizedText, u"50605_1.UKE", u"50605_2.UKE"}}));
    EXPECT_TRUE(InProgram(u"50605_1.UKE"));
}

TEST_F(TfrmMainTest, RunOpensTheResultDialogThatDeliversTheFiles)
{
    Create(false);
    SetText("Edit1", DataFile("social.UKE", kSocial));
    plok::test::WhileModal([&] { Click("Button1"); },
        [](QWidget* w) {
            if (auto* dialog = plok::test::ModalAs<plok::claims::TfrmMsg>(w)) {
                EXPECT_EQ(dialog->findChild<QLabel*>("Label1")->text(),
                    QString::fromStdU16String(plok::claims::kAnonymizedText));
                QTest::mouseClick(dialog->findChild<QPushButton*>("Button1"), Qt::LeftButton);
            }
        });
    EXPECT_FALSE(InProgram(u"50605_1.UKE"));
    EXPECT_TRUE(fs::exists(env.downloads / "50605_1.UKE"));
    EXPECT_EQ(Boxes(), std::vector<Shown> {kMissing});
}

} // namespace
