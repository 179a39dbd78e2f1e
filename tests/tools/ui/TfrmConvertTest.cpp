#include "tools/TfrmConvert.h"

#include "support/Concat.h"
#include "support/FakePrompts.h"
#include "support/GuiSupport.h"
#include "support/TempDir.h"
#include "tools/ChartLink.h"

#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <map>
#include <optional>

#include <gtest/gtest.h>

namespace plok::tools {
namespace {

using test::Control;
using test::FakePrompts;
using test::TempDir;

constexpr char16_t kInformation[] = u"変換前ファイルを選択します";

struct Opened
{
    std::u16string msg;
    std::u16string file1;
    std::u16string file2;
    bool operator==(const Opened&) const = default;
};

/// A tab-separated FF record of 60 fields for the year-month 202406, every measure a number unless overridden.
std::string Record(const std::string& chart, const std::map<int, std::string>& values = {})
{
    std::vector<std::string> fields(60, "1");
    fields[0] = chart;
    fields[1] = "name";
    fields[3] = "202406";
    for (const auto& [i, v] : values)
        fields[static_cast<std::size_t>(i)] = v;
    std::string line;
    for (const std::string& f : fields)
        line += (line.empty() ? "" : "\t") + f;
    return line + "\r\n";
}

class ConvertWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(env.programFolder);
        test::WriteBytes(dir / "ff.txt", "header\r\n" + Record("100") + Record("200"));
        test::WriteBytes(dir / "other.txt", "header\r\n" + Record("300"));
        test::WriteBytes(dir / "empty.txt", "");
        test::WriteBytes(dir / "bad.txt", "header\r\n" + Record("100", {{22, "abc"}}));
        Open();
    }
    // A fresh window, shown, its result dialog replaced by a recorder.
    void Open()
    {
        delete window.data();
        window = new TfrmConvert(env, prompts);
        window->SetResultOpener([this](std::u16string msg, std::u16string f1, std::u16string f2) {
            opened.push_back({msg, f1, f2});
        });
        window->show();
    }
    void TearDown() override { delete window.data(); }

    std::u16string PathOf(const std::string& name) const { return (dir / name).u16string(); }
    QLineEdit* Edit1() const { return Control<QLineEdit>(window, "Edit1"); }
    std::u16string Edit1Text() const { return Edit1()->text().toStdU16String(); }
    void SetEdit1(const std::u16string& text) const { Edit1()->setText(QString::fromStdU16String(text)); }
    void Click(const char* button) const { QTest::mouseClick(Control<QPushButton>(window, button), Qt::LeftButton); }

    TempDir dir;
    Environment env {dir / "program", dir / "program" / "user.ini", dir / "Downloads"};
    FakePrompts prompts;
    QPointer<TfrmConvert> window;
    std::vector<Opened> opened;
};

TEST_F(ConvertWindowTest, MatchesTheLayoutTable)
{
    test::CheckLayout(window,
        {QStringLiteral("ORVAコンバーター"), {348, 199},
            {
                {"BitBtn1", "QPushButton", {265, 8, 75, 25}, QStringLiteral("閉じる(&C)"), true, 0},
                {"Button3", "QPushButton", {72, 67, 201, 25}, QStringLiteral("変換前ファイル選択"), true, 1},
                {"Label2", "QLabel", {42, 113, 92, 15}, QStringLiteral("変換前ファイル："), true, -1},
                {"Edit1", "QLineEdit", {136, 110, 183, 23}, QString(), true, 2},
                {"Button1", "QPushButton", {72, 145, 201, 25}, QStringLiteral("電カル連携ファイル作成"), true, 3},
                {"Button2", "QPushButton", {279, 67, 45, 25}, QStringLiteral("CSV"), false, 4},
            }});
    EXPECT_FALSE(Edit1()->isReadOnly());
    EXPECT_FALSE(Control<QPushButton>(window, "BitBtn1")->icon().isNull());
}

TEST_F(ConvertWindowTest, CloseButtonClosesAndDeletesTheWindow)
{
    Click("BitBtn1");
    EXPECT_FALSE(window->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
}

TEST_F(ConvertWindowTest, ShowingStartsWithAnEmptyEditAndAnEmptyList)
{
    SetEdit1(PathOf("ff.txt"));
    window->hide();
    window->show();
    EXPECT_EQ(Edit1Text(), u"");
    // The list is empty again too: a cancelled selection has nothing to fall back on.
    prompts.AnswerFile(std::nullopt);
    Click("Button3");
    EXPECT_EQ(prompts.Texts("warning"), std::vector<std::u16string> {kNotFfFileText});
}

// One step of a selection story: pick a file in the dialog (or cancel it), type into Edit1, or run.
struct Step
{
    enum Kind
    {
        Pick,
        Cancel,
        Type,
        Run,
    } kind;
    std::string file;
};

TEST_F(ConvertWindowTest, SelectionFollowsTheDialogAndTheSourceList)
{
    struct Case
    {
        const char* name;
        std::vector<Step> steps;
        std::string edit1; // file name whose path Edit1 shows at the end; empty for an empty edit
        int warnings; // how many "not an FF file" warnings
        int errors;
    };
    const std::vector<Case> cases = {
        {"cancel in a fresh window warns", {{Step::Cancel, ""}}, "", 1, 0},
        {"a file with lines fills Edit1", {{Step::Pick, "ff.txt"}}, "ff.txt", 0, 0},
        {"the last confirmed file wins", {{Step::Pick, "ff.txt"}, {Step::Pick, "other.txt"}}, "other.txt", 0, 0},
        {"an empty file warns and keeps Edit1", {{Step::Pick, "ff.txt"}, {Step::Pick, "empty.txt"}}, "ff.txt", 1, 0},
        {"an empty file empties the list: a cancel warns again",
            {{Step::Pick, "ff.txt"}, {Step::Pick, "empty.txt"}, {Step::Cancel, ""}}, "ff.txt", 2, 0},
        {"cancel after a selection puts that selection back",
            {{Step::Pick, "ff.txt"}, {Step::Type, "other.txt"}, {Step::Cancel, ""}}, "ff.txt", 0, 0},
        {"a run from a typed path fills the list, and no file was ever confirmed",
            {{Step::Type, "ff.txt"}, {Step::Run, ""}, {Step::Cancel, ""}}, "", 0, 0},
        {"a run from a typed empty file leaves the list empty",
            {{Step::Type, "empty.txt"}, {Step::Run, ""}, {Step::Cancel, ""}}, "empty.txt", 2, 0},
        {"a file that cannot be read shows the error box and changes nothing",
            {{Step::Pick, "ff.txt"}, {Step::Pick, "missing.txt"}}, "ff.txt", 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Open();
        prompts.Clear();
        for (const Step& s : c.steps) {
            switch (s.kind) {
            case Step::Pick:
                prompts.AnswerFile(PathOf(s.file));
                Click("Button3");
                break;
            case Step::Cancel:
                prompts.AnswerFile(std::nullopt);
                Click("Button3");
                break;
            case Step::Type:
                SetEdit1(PathOf(s.file));
                break;
            case Step::Run:
                Click("Button1");
                break;
            }
        }
        EXPECT_EQ(Edit1Text(), c.edit1.empty() ? u"" : PathOf(c.edit1));
        EXPECT_EQ(prompts.Texts("warning"), std::vector<std::u16string>(c.warnings, kNotFfFileText));
        EXPECT_EQ(prompts.Texts("error").size(), static_cast<std::size_t>(c.errors));
        EXPECT_TRUE(prompts.AllAnswersUsed());
    }
}

TEST_F(ConvertWindowTest, EverySelectionAnnouncesItselfBeforeTheDialog)
{
    prompts.AnswerFile(std::nullopt);
    Click("Button3");
    const std::vector<FakePrompts::Shown> expected = {
        {"information", u"情報", kInformation},
        {"open-file", u"", u""},
        {"warning", u"警告", kNotFfFileText},
    };
    EXPECT_EQ(prompts.shown(), expected);
}

TEST_F(ConvertWindowTest, RunHandsItsResultToTheResultDialogOrWarns)
{
    struct Case
    {
        const char* name;
        std::u16string edit1;
        std::u16string warning; // empty: none
        bool error;
        bool done;
    };
    const std::vector<Case> cases = {
        {"a good file is converted", PathOf("ff.txt"), u"", false, true},
        {"an empty edit names no file", u"", kMissingFileText, false, false},
        {"a missing file", PathOf("nothing.txt"), kMissingFileText, false, false},
        {"the typed path is taken untrimmed", test::Concat<char16_t>(u" ", PathOf("ff.txt")), kMissingFileText, false,
            false},
        {"an empty file", PathOf("empty.txt"), kNotFfFileText, false, false},
        {"a measure that is no number fails", PathOf("bad.txt"), u"", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prompts.Clear();
        opened.clear();
        std::filesystem::remove(env.programFolder / "202406_carte.csv");
        SetEdit1(c.edit1);
        Click("Button1");
        EXPECT_EQ(prompts.Texts("warning"),
            c.warning.empty() ? std::vector<std::u16string> {} : std::vector<std::u16string> {c.warning});
        EXPECT_EQ(prompts.Texts("error").size(), c.error ? 1u : 0u);
        if (c.done) {
            ASSERT_EQ(opened.size(), 1u);
            EXPECT_EQ(opened[0].file1, u"202406_carte.csv");
            EXPECT_NE(opened[0].msg.find(u"202406_carte.csv"), std::u16string::npos);
            EXPECT_EQ(opened[0].file2, u"");
        } else {
            EXPECT_TRUE(opened.empty());
        }
        EXPECT_EQ(std::filesystem::exists(env.programFolder / "202406_carte.csv"), c.done);
    }
}

TEST_F(ConvertWindowTest, HiddenCsvButtonExportsWithoutAnyBox)
{
    auto* csv = Control<QPushButton>(window, "Button2");
    SetEdit1(PathOf("ff.txt"));
    csv->click();
    EXPECT_TRUE(prompts.shown().empty());
    EXPECT_TRUE(opened.empty());
    const std::string written = test::ReadBytes(env.programFolder / "202406_carte.csv");
    EXPECT_EQ(written.substr(0, 12), "header\r\n100,");

    SetEdit1(PathOf("nothing.txt"));
    csv->click();
    EXPECT_EQ(prompts.Texts("error").size(), 1u);
    EXPECT_TRUE(opened.empty());
}

} // namespace
} // namespace plok::tools
