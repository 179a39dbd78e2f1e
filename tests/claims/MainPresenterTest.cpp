#include "claims/MainPresenter.h"

#include "claims/Anonymize.h"
#include "claims/StripBranch.h"
#include "claims/StrongAnonymize.h"
#include "core/CommaText.h"
#include "core/Cp932.h"
#include "core/FileNames.h"
#include "core/Settings.h"
#include "core/Version.h"
#include "support/ClaimsFixtures.h"
#include "support/FakeView.h"

#include <algorithm>
#include <optional>

#include <gtest/gtest.h>

namespace plok::claims {
namespace {

using Form = MainPresenter::Form;

using test::ConfirmBox;
using test::FakePrompts;
using test::InfoBox;
using test::OpenFileBox;
using test::ReadBytes;
using test::WarningBox;
using Shown = FakePrompts::Shown;
namespace fs = std::filesystem;

std::string Claims(char16_t payer, std::u16string_view month = u"50605")
{
    return cp932::Encode(std::u16string(u"IR,") + payer + u",13,1,0123456,,ORVAクリニック," + std::u16string(month)
        + u",00,012\r\nRE,1,1112,50605,名前,1,3450401,,,,,,,12345-01,x\r\n");
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
const Shown kOpen = OpenFileBox();

/// What the anonymisation says when it refuses `file`.
std::u16string RunRefusal(const std::u16string& file)
{
    const test::TempDir out;
    const RunResult r = Conv(ToPath(file), out.path());
    EXPECT_EQ(r.status, RunStatus::NotClaimsFile);
    return r.message;
}

using Handler = void (MainPresenter::*)();
using EditHandler = void (MainPresenter::*)(std::u16string);

class MainPresenterTest : public test::PresenterTest<MainPresenter>
{
protected:
    /// A fresh window, its controls reset as when it is created.
    void Open() { Create().InitSet(); }
    /// The user types `text` into the edit field `edit` (Edit1, Edit2, Edit4 or Edit5).
    void Type(const ControlId& edit, const std::u16string& text)
    {
        const EditHandler change = edit == Form::Edit1 ? &MainPresenter::Edit1Change
            : edit == Form::Edit2                      ? &MainPresenter::Edit2Change
            : edit == Form::Edit4                      ? &MainPresenter::Edit4Change
                                                       : &MainPresenter::Edit5Change;
        PresenterTest::Type(change, edit, text);
    }
    bool PositionsShown() const
    {
        const std::optional<bool> shown = view.Visible(Form::Edit4);
        for (const ControlId& name : {Form::Edit5, Form::Label4, Form::Label5})
            EXPECT_EQ(view.Visible(name), shown) << name;
        EXPECT_TRUE(shown.has_value());
        return shown.value_or(false);
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
    std::vector<std::u16string> Outputs() const
    {
        std::vector<std::u16string> outputs;
        for (const auto& e : fs::directory_iterator(env.programFolder))
            if (e.path().filename() != "user.ini")
                outputs.push_back(e.path().filename().u16string());
        std::sort(outputs.begin(), outputs.end());
        return outputs;
    }
};

TEST_F(MainPresenterTest, CreationResetsTheControlsAndRestoresTheMode)
{
    struct Case
    {
        std::optional<std::u16string> stored;
        int index;
        std::u16string storedAfter;
    };
    const std::vector<Case> cases = {
        {std::nullopt, 0, u"0"},
        {u"1", 1, u"1"},
        {u"abc", 0, u"0"},
        // No mode is restored, and none is stored over the value when the window closes without one.
        {u"7", -1, u"7"},
        {u"-1", -1, u"-1"},
        {u"$1", 1, u"1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.stored.value_or(u"(none)")));
        fs::remove(env.settingsFile);
        if (c.stored)
            Setting(u"CB1", *c.stored);
        Open();
        EXPECT_EQ(view.Index(Form::ComboBox1), c.index);
        // The position fields follow the restored mode: a run in position mode never reads hidden fields.
        EXPECT_EQ(PositionsShown(), c.index == 1);
        for (const ControlId& control : {Form::Edit1, Form::Edit2, Form::Edit4, Form::Edit5, Form::Memo1})
            EXPECT_EQ(view.Text(control), u"") << control;
        EXPECT_EQ(view.Text(Form::Label8), u"Ver." + FromUtf8(kVersion));
        presenter->FormClose();
        EXPECT_EQ(Stored(u"CB1"), c.storedAfter);
    }
    EXPECT_TRUE(prompts.shown().empty());
}

TEST_F(MainPresenterTest, TheUsersChoiceOfTheModeShowsThePositionFieldsAndIsStored)
{
    Open();
    presenter->ComboBox1Change(1);
    EXPECT_TRUE(PositionsShown());
    Type(Form::Edit4, u"2");
    presenter->ComboBox1Change(0);
    EXPECT_FALSE(PositionsShown());
    presenter->ComboBox1Change(1);
    EXPECT_TRUE(PositionsShown());
    EXPECT_EQ(view.Text(Form::Edit4), u"2");
    presenter->FormClose();
    EXPECT_EQ(Stored(u"CB1"), u"1");
}

TEST_F(MainPresenterTest, ARemovalWithoutAModeIsRefusedAndNoneIsStored)
{
    Setting(u"CB1", u"7");
    Open();
    EXPECT_EQ(view.Index(Form::ComboBox1), -1);
    Type(Form::Edit1, DataFile("social.UKE", kSocial));
    Type(Form::Edit2, DataFile("national.UKE", kNational));
    Run(&MainPresenter::Button2Click);
    EXPECT_EQ(prompts.shown(), std::vector<Shown> {WarningBox(kNoRemovalModeText)});
    EXPECT_TRUE(windows.results.empty());
    EXPECT_TRUE(Outputs().empty());
    presenter->FormClose();
    EXPECT_EQ(Stored(u"CB1"), u"7");
    presenter->ComboBox1Change(0);
    presenter->FormClose();
    EXPECT_EQ(Stored(u"CB1"), u"0");
}

TEST_F(MainPresenterTest, ThePositionsAreCheckedOnceForBothFilesNamingTheField)
{
    struct Case
    {
        std::u16string start;
        std::u16string end;
        std::u16string warning;
    };
    const std::vector<Case> cases = {
        {u"", u" ", u"値が空欄です\n開始位置：（空欄）\n終了位置：（空欄）"},
        {u"2", u"", u"値が空欄です\n終了位置：（空欄）"},
        {u"abc", u"6", u"正しい数字を入力して下さい\n開始位置：abc"},
        {u"0", u"x", u"正しい数字を入力して下さい\n開始位置：0\n終了位置：x"},
        {u"６", u"１", std::u16string(kRangeOrderText) + u"\n開始位置：６\n終了位置：１"},
    };
    const std::u16string social = DataFile("social.UKE", kSocial);
    const std::u16string national = DataFile("national.UKE", kNational);
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.warning));
        prompts.Clear();
        Open();
        presenter->ComboBox1Change(1);
        Type(Form::Edit1, social);
        Type(Form::Edit2, national);
        Type(Form::Edit4, c.start);
        Type(Form::Edit5, c.end);
        Run(&MainPresenter::Button2Click);
        EXPECT_EQ(prompts.shown(), std::vector<Shown> {WarningBox(c.warning)});
        EXPECT_TRUE(windows.results.empty());
        EXPECT_TRUE(Outputs().empty());
    }
}

TEST_F(MainPresenterTest, SettingThatCannotBeWrittenFailsTheClosing)
{
    env.settingsFile = root / "missing" / "user.ini";
    Open();
    EXPECT_THROW(presenter->FormClose(), IoError);
}

TEST_F(MainPresenterTest, FileSelection)
{
    const std::u16string social = DataFile("social.UKE", kSocial);
    const std::u16string national = DataFile("national.UKE", kNational);
    const std::u16string shortLine = DataFile("short.UKE", "IR\r\n");
    const std::u16string empty = DataFile("empty.UKE", "");
    const std::u16string missing = DataPath("missing.UKE");
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
    const std::vector<Case> cases = {
        {"both chosen", u"", u"", {}, {social, national}, social, national, {kSocialInfo, kOpen, kNationalInfo, kOpen}},
        {"social cancelled", u"", u"", {}, {std::nullopt, national}, u"", national,
            {kSocialInfo, kOpen, kNationalInfo, kOpen}},
        {"national cancelled", u"", u"", {}, {social, std::nullopt}, social, u"",
            {kSocialInfo, kOpen, kNationalInfo, kOpen}},
        {"payers swapped", u"", u"", {}, {national, social}, u"", u"",
            {kSocialInfo, kOpen, kNotSocial, kNationalInfo, kOpen, kNotNational}},
        // What the runs refuse is refused in the runs' words.
        {"first line too short, empty file", u"", u"", {}, {shortLine, empty}, u"", u"",
            {kSocialInfo, kOpen, WarningBox(RunRefusal(shortLine)), kNationalInfo, kOpen,
                WarningBox(RunRefusal(empty))}},
        {"social already chosen", u"/kept", u"", {}, {national}, u"/kept", national, {kNationalInfo, kOpen}},
        {"national already chosen", u"", u"/kept", {}, {social}, social, u"/kept", {kSocialInfo, kOpen}},
        {"blank fields count as empty", u"  ", u"\t", {}, {social, national}, social, national,
            {kSocialInfo, kOpen, kNationalInfo, kOpen}},
        {"one blank field asks no question", u"/a", u"   ", {}, {national}, u"/a", national, {kNationalInfo, kOpen}},
        {"both chosen, keep them", u"/a", u"/b", {false}, {}, u"/a", u"/b", {again}},
        {"both chosen, choose again", u"/a", u"/b", {true}, {social, national}, social, national,
            {again, kSocialInfo, kOpen, kNationalInfo, kOpen}},
        {"both chosen, choose again, cancel both", u"/a", u"/b", {true}, {std::nullopt, std::nullopt}, u"", u"",
            {again, kSocialInfo, kOpen, kNationalInfo, kOpen}},
        {"unreadable social file", u"", u"", {}, {missing}, u"", u"", {kSocialInfo, kOpen, kErrorBox}},
        {"unreadable national file", u"", u"", {}, {social, missing}, social, u"",
            {kSocialInfo, kOpen, kNationalInfo, kOpen, kErrorBox}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prompts.Clear();
        Open();
        Type(Form::Edit1, c.edit1);
        Type(Form::Edit2, c.edit2);
        for (bool yes : c.confirms)
            prompts.AnswerConfirm(yes);
        for (const auto& file : c.files)
            prompts.AnswerFile(file);

        Run(&MainPresenter::Button3Click);

        EXPECT_EQ(view.Text(Form::Edit1), c.edit1After);
        EXPECT_EQ(view.Text(Form::Edit2), c.edit2After);
        EXPECT_EQ(Boxes(), c.boxes);
        EXPECT_TRUE(prompts.AllAnswersUsed());
        // What the fields show is what the runs take.
        fs::remove_all(env.programFolder);
        fs::create_directory(env.programFolder);
        prompts.Clear();
        Run(&MainPresenter::Button1Click);
        const std::u16string month1 = c.edit1After == social ? u"50605_1.UKE" : u"";
        const std::u16string month2 = c.edit2After == national ? u"50605_2.UKE" : u"";
        ASSERT_EQ(windows.results.size(), month1.empty() && month2.empty() ? 0u : 1u);
        if (windows.results.empty())
            continue;
        EXPECT_EQ(windows.results[0].gstFile1, month1);
        EXPECT_EQ(windows.results[0].gstFile2, month2);
    }
}

TEST_F(MainPresenterTest, DroppedClaimsFilesGoEachToTheFieldOfItsPayer)
{
    const std::u16string social = DataFile("social.UKE", kSocial);
    const std::u16string social2 = DataFile("social2.UKE", kSocial);
    const std::u16string national = DataFile("national.UKE", kNational);
    const std::u16string memo = DataFile("memo.txt", "memo\r\n");
    using Drop = void (MainPresenter::*)(const std::vector<std::u16string>&);
    struct Case
    {
        const char* name;
        Drop onto;
        std::vector<std::u16string> files;
        std::u16string edit1;
        std::u16string edit2;
        std::vector<Shown> boxes;
    };
    const Drop social1 = &MainPresenter::Edit1Drop;
    const Drop national1 = &MainPresenter::Edit2Drop;
    const std::vector<Case> cases = {
        {"one file on its field", social1, {social}, social, u"", {}},
        {"one file on the other field", social1, {national}, u"", national, {}},
        {"both on one field", national1, {social, national}, social, national, {}},
        {"both on the other, other order", social1, {national, social}, social, national, {}},
        // Which of two of one payer was meant is the user's to say.
        {"two of one payer", social1, {social, national, social2}, u"", national,
            {WarningBox(u"社保のレセ電データが2つドロップされました。社保の欄には1つだけドロップしてください。\n"
                + social + u"\n" + social2)}},
        {"a claims file and a memo", national1, {memo, national}, u"", national,
            {WarningBox(RunRefusal(memo) + u"\n" + memo)}},
        {"a memo alone", national1, {memo}, u"", u"", {WarningBox(RunRefusal(memo))}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prompts.Clear();
        Open();
        ((*presenter).*c.onto)(c.files);
        EXPECT_EQ(view.Text(Form::Edit1), c.edit1);
        EXPECT_EQ(view.Text(Form::Edit2), c.edit2);
        EXPECT_EQ(prompts.shown(), c.boxes);
    }
}

TEST_F(MainPresenterTest, WhatIsNoClaimsFileIsRefusedTypedChosenOrDroppedInTheRunsWords)
{
    for (const test::RefusedFixture& refused : test::RefusedFixtures()) {
        SCOPED_TRACE(refused.name);
        const std::u16string file = DataFile(refused.name, refused.bytes);
        const Shown refusal = WarningBox(RunRefusal(file));
        EXPECT_NE(refusal.text.find(refused.says), std::u16string::npos);
        // A typed path's refusal says which field too.
        for (const Handler button : {&MainPresenter::Button1Click, &MainPresenter::Button2Click}) {
            prompts.Clear();
            Open();
            presenter->ComboBox1Change(0);
            Type(Form::Edit1, file);
            Type(Form::Edit2, file);
            Run(button);
            EXPECT_EQ(Boxes(),
                (std::vector<Shown> {WarningBox(refusal.text + u"\n社保レセ電データ：" + file),
                    WarningBox(refusal.text + u"\n国保レセ電データ：" + file)}));
            EXPECT_TRUE(windows.results.empty());
            EXPECT_TRUE(Outputs().empty());
        }
        prompts.Clear();
        Open();
        prompts.AnswerFile(file);
        prompts.AnswerFile(file);
        Run(&MainPresenter::Button3Click);
        presenter->Edit2Drop({file});
        EXPECT_EQ(Boxes(), (std::vector<Shown> {kSocialInfo, kOpen, refusal, kNationalInfo, kOpen, refusal, refusal}));
        EXPECT_EQ(view.Text(Form::Edit1), u"");
        EXPECT_EQ(view.Text(Form::Edit2), u"");
    }
}

TEST_F(MainPresenterTest, EveryKindIsTakenInTheFieldOfItsPayer)
{
    for (const test::KindFixture& kind : test::KindFixtures()) {
        SCOPED_TRACE(kind.kind);
        const bool national = kind.copyName.find(u"_2") != std::u16string::npos;
        const std::u16string file = DataFile(kind.kind, kind.Bytes());
        fs::remove_all(env.programFolder);
        fs::create_directory(env.programFolder);
        prompts.Clear();
        Open();
        prompts.AnswerFile(file);
        prompts.AnswerFile(file);
        Run(&MainPresenter::Button3Click);
        EXPECT_EQ(view.Text(Form::Edit1), national ? u"" : file);
        EXPECT_EQ(view.Text(Form::Edit2), national ? file : u"");
        EXPECT_EQ(
            prompts.Texts("warning"), std::vector<std::u16string> {national ? kNotSocial.text : kNotNational.text});
        Run(&MainPresenter::Button1Click);
        ASSERT_EQ(windows.results.size(), 1u);
        EXPECT_EQ(national ? windows.results[0].gstFile2 : windows.results[0].gstFile1, kind.copyName);
        windows.results.clear();
    }
}

TEST_F(MainPresenterTest, OnlyTheFirstLineOfAChosenFileIsReadIntoTheMemo)
{
    Open();
    const std::string second = cp932::Encode(u"IR,2,13,1,0123456,,医院,50605\r\nRE,1\r\n\r\nGO,1\r\n");
    prompts.AnswerFile(DataFile("social.UKE", kSocial));
    prompts.AnswerFile(DataFile("second.UKE", second));
    Run(&MainPresenter::Button3Click);
    EXPECT_EQ(view.Text(Form::Memo1), u"IR,2,13,1,0123456,,医院,50605");
    EXPECT_EQ(view.Text(Form::Edit2), DataPath("second.UKE"));
    // A first line longer than a claims record is cut: only its fourth character matters.
    Type(Form::Edit2, u"");
    prompts.AnswerFile(DataFile("long.UKE", "IR,2," + std::string(100000, 'x') + "\r\n"));
    Run(&MainPresenter::Button3Click);
    EXPECT_EQ(view.Text(Form::Memo1).size(), 4096u);
    EXPECT_EQ(view.Text(Form::Edit2), DataPath("long.UKE"));
}

TEST_F(MainPresenterTest, OpenDialogsStartWhereTheLastConfirmedFileIs)
{
    // After a restart the first dialog starts in the folder last used.
    Setting(u"LASTDIR", u"/clinic/claims");
    Open();
    const std::u16string social = DataFile("social.UKE", kSocial);
    prompts.AnswerFile(social);
    prompts.AnswerFile(std::nullopt);
    Run(&MainPresenter::Button3Click);
    Type(Form::Edit1, u"");
    prompts.AnswerFile(std::nullopt);
    prompts.AnswerFile(std::nullopt);
    Run(&MainPresenter::Button3Click);
    // The dialog keeps the file last confirmed in it; the folder is kept for the next start.
    EXPECT_EQ(prompts.openFileStarts(), (std::vector<std::u16string> {u"/clinic/claims", social, social, social}));
    EXPECT_EQ(settings::Read(env.settingsFile, u"LASTDIR", u""), (root / "data").u16string());
}

TEST_F(MainPresenterTest, RunsOpenTheResultDialogWithWhatTheClickWroteAndOnlyWhenItWroteAFile)
{
    const std::u16string social = DataFile("social.UKE", kSocial);
    const std::u16string national = DataFile("national.UKE", kNational);
    const std::u16string broken = DataFile("broken.UKE", kBroken);
    const std::u16string brokenNational = DataFile("broken2.UKE", "IR,2,13,1,0123456,,name,50605,00,012\r\nRE,1\r\n");
    const std::u16string slash = DataFile("slash.UKE", Claims(u'1', u"50/05"));
    const std::u16string missing = DataPath("missing.UKE");
    const std::u16string anonymized = kAnonymizedText;
    const std::u16string stripped = kBranchStrippedText;
    const std::u16string social1 = u"50605_1.UKE";
    const std::u16string national1 = u"50605_2.UKE";
    const std::u16string social2 = u"(50605提出_社保)RECEIPTC.uke";
    const std::u16string national2 = u"(50605提出_国保)RECEIPTC.uke";
    // A missing file's warning says which one: the field's label, and its path or that it is blank.
    const std::u16string noSocial = u"ファイルがありません。\n社保レセ電データ：（空欄）";
    const std::u16string noNational = u"ファイルがありません。\n国保レセ電データ：（空欄）";
    struct Case
    {
        const char* name;
        Handler button;
        int mode;
        std::u16string edit1;
        std::u16string edit2;
        std::vector<ResultTriple> opened;
        std::vector<Shown> boxes; // error texts left out
        std::vector<std::u16string> outputs;
    };
    const Handler anonymize = &MainPresenter::Button1Click;
    const Handler strip = &MainPresenter::Button2Click;
    const std::vector<Case> cases = {
        {"anonymize both", anonymize, 0, social, national, {{anonymized, social1, national1}}, {},
            {social1, national1}},
        {"anonymize social only", anonymize, 0, social, u"", {{u"社保の匿名化ファイルが作成されました", social1, u""}},
            {WarningBox(noNational)}, {social1}},
        {"anonymize neither: no result dialog", anonymize, 0, u"", u"", {},
            {WarningBox(noSocial), WarningBox(noNational)}, {}},
        {"the payer decides the slot", anonymize, 0, national, u"",
            {{u"国保の匿名化ファイルが作成されました", u"", national1}}, {WarningBox(noNational)}, {national1}},
        {"path taken untrimmed", anonymize, 0, u" " + social, missing, {},
            {WarningBox(u"ファイルがありません。\n社保レセ電データ： " + social),
                WarningBox(u"ファイルがありません。\n国保レセ電データ：" + missing)},
            {}},
        {"billing month unfit for a name", anonymize, 0, slash, national,
            {{u"国保の匿名化ファイルが作成されました", u"", national1}},
            {WarningBox(u"請求年月「50/05」はファイル名に使えない文字を含むため、匿名化ファイルを作成できません。"
                        u"\n社保レセ電データ："
                + slash)},
            {national1}},
        {"anonymize, first file fails", anonymize, 0, broken, national, {}, {kErrorBox}, {}},
        {"strip both", strip, 0, social, national, {{stripped, social2, national2}}, {}, {social2, national2}},
        {"strip national only", strip, 0, u"", national, {{u"国保の枝番除去ファイルが作成されました", u"", national2}},
            {WarningBox(noSocial)}, {national2}},
        {"strip without a mode", strip, -1, social, national, {}, {WarningBox(kNoRemovalModeText)}, {}},
        {"strip, first file fails", strip, 0, broken, national, {}, {kErrorBox}, {}},
        // The social copy, with its patients' real names, must not stay behind when the click ends in a failure.
        {"strip, second file fails", strip, 0, social, brokenNational, {}, {kErrorBox}, {}},
        {"anonymize, second file fails", anonymize, 0, social, brokenNational, {}, {kErrorBox}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(env.programFolder);
        fs::create_directory(env.programFolder);
        prompts.Clear();
        Open();
        presenter->ComboBox1Change(c.mode);
        Type(Form::Edit1, c.edit1);
        Type(Form::Edit2, c.edit2);

        Run(c.button);

        EXPECT_EQ(windows.results, c.opened);
        EXPECT_EQ(Boxes(), c.boxes);
        auto expected = c.outputs;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(Outputs(), expected);
    }
}

TEST_F(MainPresenterTest, EachResultDialogGetsOnlyItsOwnClicksResult)
{
    const std::u16string social = DataFile("social.UKE", kSocial);
    const std::u16string national = DataFile("national.UKE", kNational);
    const std::u16string broken = DataFile("broken.UKE", kBroken);
    Open();
    const auto run = [&](Handler button, const std::u16string& edit1, const std::u16string& edit2) {
        Type(Form::Edit1, edit1);
        Type(Form::Edit2, edit2);
        Run(button);
    };
    run(&MainPresenter::Button1Click, social, u"");
    run(&MainPresenter::Button1Click, u"", national);
    run(&MainPresenter::Button2Click, social, u"");
    // Clicks that write nothing open nothing: neither an empty dialog nor one offering an earlier click's files.
    run(&MainPresenter::Button1Click, u"", u"");
    run(&MainPresenter::Button1Click, broken, national);
    Type(Form::Edit4, u"abc");
    presenter->ComboBox1Change(1);
    run(&MainPresenter::Button2Click, social, national);

    EXPECT_EQ(windows.results,
        (std::vector<ResultTriple> {
            {u"社保の匿名化ファイルが作成されました", u"50605_1.UKE", u""},
            {u"国保の匿名化ファイルが作成されました", u"", u"50605_2.UKE"},
            {u"社保の枝番除去ファイルが作成されました", u"(50605提出_社保)RECEIPTC.uke", u""},
        }));
}

TEST_F(MainPresenterTest, RemovalModeAndPositionsReachTheRun)
{
    const std::u16string social = DataFile("social.UKE", kSocial);
    struct Case
    {
        const char* name;
        int mode;
        std::u16string start;
        std::u16string end;
        std::string number; // the patient number the output holds
    };
    const std::vector<Case> cases = {
        {"item 0: cut at symbols", 0, u"2", u"3", "12345"},
        {"item 1: the positions typed", 1, u"2", u"3", "23"},
        {"item 1: full-width digits from the input method", 1, u"２", u" ３", "23"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Open();
        presenter->ComboBox1Change(c.mode);
        Type(Form::Edit1, social);
        Type(Form::Edit4, c.start);
        Type(Form::Edit5, c.end);
        const fs::path output = env.programFolder / ToPath(u"(50605提出_社保)RECEIPTC.uke");
        fs::remove(output);
        Run(&MainPresenter::Button2Click);
        ASSERT_TRUE(fs::exists(output));
        const std::string out = ReadBytes(output);
        const std::size_t re = out.find("\r\nRE,");
        ASSERT_NE(re, std::string::npos);
        FieldList fields;
        GetCommaTxt(cp932::Decode(out.substr(re + 2, out.find("\r\n", re + 2) - re - 2)), fields);
        ASSERT_GT(fields.size(), 13u);
        EXPECT_EQ(ToUtf8(fields[13]), c.number);
    }
    EXPECT_TRUE(prompts.Texts("error").empty());
}

TEST_F(MainPresenterTest, AnonymisedCopyWithIdentifiersLeftIsNeitherWrittenNorOffered)
{
    // The patient's name typed into a disease name of the social file; the national file is clean.
    const std::string leaking = kSocial + cp932::Encode(u"SY,0000999,20230601,,01,,,名前さんの胃炎\r\n");
    Open();
    Type(Form::Edit1, DataFile("social.UKE", leaking));
    Type(Form::Edit2, DataFile("national.UKE", kNational));
    Run(&MainPresenter::Button1Click);

    const std::vector<std::u16string> warnings = prompts.Texts("warning");
    ASSERT_EQ(warnings.size(), 1u);
    ASSERT_EQ(prompts.shown().size(), 1u);
    const std::u16string& text = warnings[0];
    // Which file was kept back, where the identifier stands (line, record, field, kind), and what to do.
    for (const std::u16string part :
        {u"「50605_1.UKE」", u"3行目 SY 項目7: 患者氏名", u"患者氏名 1件", u"もう一度匿名化してください。"})
        EXPECT_NE(text.find(part), std::u16string::npos) << ToUtf8(part);
    // Only what is safe is offered, and the copy with the name lies nowhere.
    EXPECT_EQ(
        windows.results, (std::vector<ResultTriple> {{u"国保の匿名化ファイルが作成されました", u"", u"50605_2.UKE"}}));
    EXPECT_EQ(Outputs(), std::vector<std::u16string> {u"50605_2.UKE"});

    // Both copies with findings: nothing is written and no result dialog opens.
    prompts.Clear();
    windows.results.clear();
    fs::remove(env.programFolder / "50605_2.UKE");
    Type(Form::Edit2, DataFile("national.UKE", kNational + cp932::Encode(u"SY,0000999,20230601,,01,,,名前\r\n")));
    Run(&MainPresenter::Button1Click);
    EXPECT_EQ(BoxKinds(), (std::vector<std::string> {"warning", "warning"}));
    EXPECT_TRUE(windows.results.empty());
    EXPECT_TRUE(Outputs().empty());
}

TEST_F(MainPresenterTest, EachCopyIsAuditedAgainstTheOtherFileToo)
{
    // A child on national insurance, named in a comment of the mother's social file.
    const std::string national = cp932::Encode(
        u"IR,2,13,1,0123456,,ORVAクリニック,50605,00,012\r\nRE,1,1112,50605,鈴木　一郎,1,3450401,,,,,,,12346,x\r\n");
    Open();
    Type(Form::Edit1,
        DataFile("social.UKE", kSocial + cp932::Encode(u"SY,0000999,20230601,,01,,,鈴木一郎くんの母\r\n")));
    Type(Form::Edit2, DataFile("national.UKE", national));
    Run(&MainPresenter::Button1Click);
    const std::vector<std::u16string> warnings = prompts.Texts("warning");
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find(u"「50605_1.UKE」"), std::u16string::npos);
    EXPECT_NE(warnings[0].find(u"3行目 SY 項目7: 患者氏名"), std::u16string::npos);
    EXPECT_EQ(Outputs(), std::vector<std::u16string> {u"50605_2.UKE"});
}

TEST_F(MainPresenterTest, TheStrongAnonymizationChosenInTheOptionWindowUsesTheKeyBesideUserIni)
{
    Setting(settings::kStrongAnonymization, u"1");
    Open();
    const std::u16string receipts = u"IR,1,13,1,0123456,,ORVAクリニック,50605,00,012\r\n"
                                    u"RE,7,1112,50605,名前,1,3450412,,,,,,,12345-01,x\r\n";
    Type(Form::Edit1, DataFile("social.UKE", cp932::Encode(receipts)));
    Type(Form::Edit2, DataFile("national.UKE", kNational));
    Run(&MainPresenter::Button1Click);
    EXPECT_TRUE(prompts.shown().empty());
    EXPECT_EQ(windows.results,
        (std::vector<ResultTriple> {{kStrongAnonymizedText, u"50605_1_strong.UKE", u"50605_2_strong.UKE"}}));

    // The key plok-cli finds without --key: the same pseudonym.
    const fs::path keyFile = env.programFolder / "plok.key";
    const std::string key = ReadBytes(keyFile);
    ASSERT_EQ(key.size(), crypto::kKeySize);
    crypto::Key k {};
    std::copy(key.begin(), key.end(), k.begin());
    ChartPseudonyms pseudonyms(k);
    std::string chart;
    pseudonyms.Append("12345-01", chart);
    const std::string copy = ReadBytes(env.programFolder / "50605_1_strong.UKE");
    EXPECT_NE(copy.find(cp932::Encode(u"RE,7,1112,50605,テスト社,1,3450401,,,,,,," + FromUtf8(chart) + u",x\r\n")),
        std::string::npos);

    // The birth date typed as the name of a coded disease: the audit of the strong copy finds it, and that copy is
    // kept back; the message names the mode of the copy that was made.
    prompts.Clear();
    windows.results.clear();
    fs::remove(env.programFolder / "50605_1_strong.UKE");
    fs::remove(env.programFolder / "50605_2_strong.UKE");
    Type(Form::Edit1, DataFile("social.UKE", cp932::Encode(receipts + u"SY,8830052,5060501,1,,3450412\r\n")));
    Run(&MainPresenter::Button1Click);
    ASSERT_EQ(prompts.Texts("warning").size(), 1u);
    EXPECT_NE(prompts.Texts("warning")[0].find(u"生年月日 1件"), std::u16string::npos);
    EXPECT_EQ(windows.results,
        (std::vector<ResultTriple> {{u"国保の強い匿名化ファイルが作成されました", u"", u"50605_2_strong.UKE"}}));
    EXPECT_FALSE(fs::exists(env.programFolder / "50605_1_strong.UKE"));

    // The next press, after the choice is cleared, is the default anonymisation.
    Setting(settings::kStrongAnonymization, u"0");
    prompts.Clear();
    Type(Form::Edit1, DataFile("social.UKE", cp932::Encode(receipts)));
    Run(&MainPresenter::Button1Click);
    EXPECT_EQ(windows.results.back(), (ResultTriple {kAnonymizedText, u"50605_1.UKE", u"50605_2.UKE"}));
    EXPECT_TRUE(fs::exists(env.programFolder / "50605_2_strong.UKE")) << "the strong copy of the month stays";
    EXPECT_EQ(ReadBytes(keyFile), key);
}

TEST_F(MainPresenterTest, AStrongAnonymizationWithABrokenKeyRunsNothing)
{
    Setting(settings::kStrongAnonymization, u"1");
    const fs::path keyFile = env.programFolder / "plok.key";
    test::WriteBytes(keyFile, "broken");
    Open();
    Type(Form::Edit1, DataFile("social.UKE", kSocial));
    Run(&MainPresenter::Button1Click);
    ASSERT_EQ(prompts.Texts("warning").size(), 1u);
    const std::u16string warning = prompts.Texts("warning")[0];
    EXPECT_TRUE(warning.starts_with(u"強い匿名化の鍵ファイル「" + keyFile.u16string() + u"」を使えないため"))
        << ToUtf8(warning);
    EXPECT_NE(warning.find(u"（6バイト）"), std::u16string::npos);
    EXPECT_EQ(prompts.shown().size(), 1u);
    EXPECT_TRUE(windows.results.empty());
    EXPECT_EQ(ReadBytes(keyFile), "broken");
    EXPECT_FALSE(fs::exists(env.programFolder / "50605_1.UKE"));
}

/// Prompts whose opening of a document can be told to fail.
class DocumentPrompts : public FakePrompts
{
public:
    enum class Mode
    {
        Opens,
        Refused,
        Throws,
    };
    explicit DocumentPrompts(Mode mode)
        : m_mode(mode)
    { }
    bool OpenDocument(std::u16string_view file) override
    {
        FakePrompts::OpenDocument(file);
        if (m_mode == Mode::Throws)
            throw std::runtime_error("no desktop");
        return m_mode == Mode::Opens;
    }

private:
    Mode m_mode;
};

TEST_F(MainPresenterTest, ManualOpensTheInstalledManual)
{
    const Shown document {"document", u"", env.manual.u16string()};
    struct Case
    {
        DocumentPrompts::Mode mode;
        std::vector<Shown> boxes;
    };
    for (const Case& c : std::vector<Case> {{DocumentPrompts::Mode::Opens, {document}},
             // Without a program to open it, the user is told, with the manual's place.
             {DocumentPrompts::Mode::Refused,
                 {document,
                     WarningBox(u"マニュアルを開けませんでした。ウェブページを開くプログラム（ブラウザー）が\n"
                                u"見つかりません。ブラウザーで次のファイルを開いてください。\n"
                         + env.manual.u16string())}},
             {DocumentPrompts::Mode::Throws, {document, WarningBox(u"ファイルを選択します")}}}) {
        SCOPED_TRACE(static_cast<int>(c.mode));
        DocumentPrompts documentPrompts(c.mode);
        MainPresenter main(env, documentPrompts, view, windows);
        main.Button5Click();
        EXPECT_EQ(documentPrompts.shown(), c.boxes);
    }
    // Without a manual on this computer nothing is opened; the user is told.
    fs::remove(env.manual);
    Open();
    presenter->Button5Click();
    EXPECT_EQ(prompts.shown(),
        std::vector<Shown> {WarningBox(u"マニュアルが見つかりません。プロクをインストールし直してください。")});
}

TEST_F(MainPresenterTest, SaveDestinationAndOptionButtonsOpenTheirWindows)
{
    Open();
    presenter->Button4Click();
    presenter->Button6Click();
    presenter->Button6Click();
    EXPECT_EQ(windows.opened, (std::vector<WindowKind> {WindowKind::SavePath, WindowKind::Option, WindowKind::Option}));
    EXPECT_TRUE(windows.results.empty());
    EXPECT_TRUE(prompts.shown().empty());
}

} // namespace
} // namespace plok::claims
