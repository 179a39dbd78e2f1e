#include "tools/ConvertPresenter.h"

#include "support/Concat.h"
#include "support/FakeView.h"
#include "tools/ChartLink.h"

#include <map>
#include <optional>

#include <gtest/gtest.h>

namespace plok::tools {
namespace {

using Form = ConvertPresenter::Form;

using test::FakePrompts;

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

class ConvertPresenterTest : public test::PresenterTest<ConvertPresenter>
{
protected:
    ConvertPresenterTest()
    {
        DataFile("ff.txt", "header\r\n" + Record("100") + Record("200"));
        DataFile("other.txt", "header\r\n" + Record("300"));
        DataFile("empty.txt", "");
        DataFile("bad.txt", "header\r\n" + Record("100", {{22, "abc"}}));
        Open();
    }
    /// A fresh window, shown.
    void Open() { Create().FormShow(); }
    void Type(const std::u16string& text) { PresenterTest::Type(&ConvertPresenter::Edit1Change, Form::Edit1, text); }
};

TEST_F(ConvertPresenterTest, ShowingStartsWithAnEmptyFieldAndAnEmptyList)
{
    prompts.AnswerFile(DataPath("ff.txt"));
    Run(&ConvertPresenter::Button3Click);
    presenter->FormShow();
    EXPECT_EQ(view.Text(Form::Edit1), u"");
    // The list is empty again too: a cancelled selection has nothing to fall back on.
    prompts.Clear();
    prompts.AnswerFile(std::nullopt);
    Run(&ConvertPresenter::Button3Click);
    EXPECT_EQ(prompts.shown(),
        (std::vector<FakePrompts::Shown> {{"information", u"情報", u"変換前ファイルを選択します"}, test::OpenFileBox(),
            {"warning", u"警告", kNotFfFileText}}));
    // ... and so is the field: a run reads no file.
    Run(&ConvertPresenter::Button1Click);
    EXPECT_EQ(prompts.Texts("warning").back(), u"ファイルがありません。\n変換前ファイル：（空欄）");
}

// One step of a selection story: pick a file in the dialog (or cancel it), type into the field, drop a file, or run.
struct Step
{
    enum Kind
    {
        Pick,
        Cancel,
        Type,
        Drop,
        Run,
    } kind;
    std::string file;
};

TEST_F(ConvertPresenterTest, SelectionFollowsTheDialogAndTheSourceList)
{
    struct Case
    {
        const char* name;
        std::vector<Step> steps;
        std::string edit1; // file name whose path the field shows at the end; empty for an empty field
        int warnings; // how many "not an FF file" warnings
        int errors;
    };
    const std::vector<Case> cases = {
        {"cancel in a fresh window warns", {{Step::Cancel, ""}}, "", 1, 0},
        {"a file with lines fills the field", {{Step::Pick, "ff.txt"}}, "ff.txt", 0, 0},
        {"the last confirmed file wins", {{Step::Pick, "ff.txt"}, {Step::Pick, "other.txt"}}, "other.txt", 0, 0},
        {"an empty file warns and keeps the field", {{Step::Pick, "ff.txt"}, {Step::Pick, "empty.txt"}}, "ff.txt", 1,
            0},
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
        {"a dropped file is checked as a chosen one", {{Step::Drop, "other.txt"}, {Step::Drop, "empty.txt"}},
            "other.txt", 1, 0},
        {"a dropped file fills the list, but the dialog confirmed none", {{Step::Drop, "ff.txt"}, {Step::Cancel, ""}},
            "", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Open();
        prompts.Clear();
        for (const Step& s : c.steps) {
            switch (s.kind) {
            case Step::Pick:
                prompts.AnswerFile(DataPath(s.file));
                Run(&ConvertPresenter::Button3Click);
                break;
            case Step::Cancel:
                prompts.AnswerFile(std::nullopt);
                Run(&ConvertPresenter::Button3Click);
                break;
            case Step::Type:
                Type(DataPath(s.file));
                break;
            case Step::Drop:
                Run(&ConvertPresenter::Edit1Drop, DataPath(s.file));
                break;
            case Step::Run:
                Run(&ConvertPresenter::Button1Click);
                break;
            }
        }
        EXPECT_EQ(view.Text(Form::Edit1), DataPath(c.edit1));
        EXPECT_EQ(prompts.Texts("warning"), std::vector<std::u16string>(c.warnings, kNotFfFileText));
        EXPECT_EQ(prompts.Texts("error").size(), static_cast<std::size_t>(c.errors));
        EXPECT_TRUE(prompts.AllAnswersUsed());
    }
}

TEST_F(ConvertPresenterTest, RunHandsItsResultToTheResultDialogOrWarns)
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
        {"a good file is converted", DataPath("ff.txt"), u"", false, true},
        // A missing file's warning names the field and what it holds.
        {"an empty field names no file", u"", u"ファイルがありません。\n変換前ファイル：（空欄）", false, false},
        {"a missing file", DataPath("nothing.txt"),
            u"ファイルがありません。\n変換前ファイル：" + DataPath("nothing.txt"), false, false},
        {"the typed path is taken untrimmed", test::Concat<char16_t>(u" ", DataPath("ff.txt")),
            test::Concat<char16_t>(u"ファイルがありません。\n変換前ファイル： ", DataPath("ff.txt")), false, false},
        {"an empty file", DataPath("empty.txt"), kNotFfFileText, false, false},
        {"a measure that is no number fails", DataPath("bad.txt"), u"", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prompts.Clear();
        windows.results.clear();
        std::filesystem::remove(env.programFolder / "202406_carte.csv");
        Type(c.edit1);
        Run(&ConvertPresenter::Button1Click);
        EXPECT_EQ(prompts.Texts("warning"),
            c.warning.empty() ? std::vector<std::u16string> {} : std::vector<std::u16string> {c.warning});
        EXPECT_EQ(prompts.Texts("error").size(), c.error ? 1u : 0u);
        if (c.done) {
            EXPECT_EQ(windows.results,
                (std::vector<ResultTriple> {{CreatedText(u"202406_carte.csv"), u"202406_carte.csv", u""}}));
        } else {
            EXPECT_TRUE(windows.results.empty());
        }
        EXPECT_EQ(std::filesystem::exists(env.programFolder / "202406_carte.csv"), c.done);
    }
}

TEST_F(ConvertPresenterTest, HiddenCsvButtonExportsWithoutAnyBox)
{
    Type(DataPath("ff.txt"));
    Run(&ConvertPresenter::Button2Click);
    EXPECT_TRUE(prompts.shown().empty());
    EXPECT_TRUE(windows.results.empty());
    const std::string written = test::ReadBytes(env.programFolder / "202406_carte.csv");
    EXPECT_EQ(written.substr(0, 12), "header\r\n100,");

    Type(DataPath("nothing.txt"));
    Run(&ConvertPresenter::Button2Click);
    EXPECT_EQ(prompts.Texts("error").size(), 1u);
    EXPECT_TRUE(windows.results.empty());
}

} // namespace
} // namespace plok::tools
