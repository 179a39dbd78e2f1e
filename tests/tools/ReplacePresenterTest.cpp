#include "tools/ReplacePresenter.h"

#include "core/FileNames.h"
#include "support/FakeView.h"
#include "tools/Replace.h"

#include <optional>

#include <gtest/gtest.h>

namespace plok::tools {
namespace {

using Form = ReplacePresenter::Form;

using test::FakePrompts;

constexpr char16_t kSourceInformation[] = u"変換前ファイルを選択します";
constexpr char16_t kTableInformation[] = u"変換定義ファイルファイルを選択します";
constexpr char16_t kNotTableText[] = u"変換定義ファイルではありません。";

class ReplacePresenterTest : public test::PresenterTest<ReplacePresenter>
{
protected:
    ReplacePresenterTest()
    {
        DataFile("src.txt", "1,K1,a\r\n2,K9,b\r\n3,00000000K2,00000000K2\r\n");
        DataFile("src2.txt", "1,K1\r\n");
        DataFile("short.txt", "1,K1\r\nlonely\r\n");
        DataFile("table.csv", "K1,N1\r\n00000000K2,N2N2N2N2N2\r\n");
        DataFile("nocomma.csv", "K1,N1\r\nbroken\r\n");
        DataFile("empty.txt", "");
        Open();
    }
    /// A fresh window, shown.
    void Open() { Create().FormShow(); }
    void TypeSource(const std::u16string& text) { Type(&ReplacePresenter::Edit1Change, Form::Edit1, text); }
    void TypeTable(const std::u16string& text) { Type(&ReplacePresenter::Edit3Change, Form::Edit3, text); }
};

TEST_F(ReplacePresenterTest, ShowingEmptiesTheFieldsAndChecksTheBox)
{
    for (const ControlId& e : {Form::Edit1, Form::Edit2, Form::Edit3, Form::Edit4})
        view.Type(e, u"x");
    view.SetIndex(Form::CheckBox1, 0);
    presenter->FormShow();
    for (const ControlId& e : {Form::Edit1, Form::Edit2, Form::Edit3, Form::Edit4})
        EXPECT_EQ(view.Text(e), u"") << e;
    EXPECT_EQ(view.Index(Form::CheckBox1), 1);
}

TEST_F(ReplacePresenterTest, SelectionAsksForBothFilesInOneDialog)
{
    // Each click answers the two questions in turn; nullopt cancels.
    using Answer = std::optional<std::string>;
    struct Case
    {
        const char* name;
        std::vector<std::vector<Answer>> clicks;
        std::string edit1;
        std::string edit3;
        std::vector<std::u16string> warnings;
        int errors;
    };
    const std::vector<Case> cases = {
        {"both chosen", {{"src.txt", "table.csv"}}, "src.txt", "table.csv", {}, 0},
        {"both cancelled in a fresh window", {{std::nullopt, std::nullopt}}, "", "", {kNotFfFileText, kNotTableText},
            0},
        {"both empty", {{"empty.txt", "empty.txt"}}, "", "", {kNotFfFileText, kNotTableText}, 0},
        {"cancelling both later shows the dialog's last name twice",
            {{"src.txt", "table.csv"}, {std::nullopt, std::nullopt}}, "table.csv", "table.csv", {}, 0},
        {"a new source with the definition cancelled shows the source twice",
            {{"src.txt", "table.csv"}, {"src2.txt", std::nullopt}}, "src2.txt", "src2.txt", {}, 0},
        {"an empty source keeps the last one", {{"src.txt", "table.csv"}, {"empty.txt", "table.csv"}}, "src.txt",
            "table.csv", {kNotFfFileText}, 0},
        {"an empty definition file keeps the last one", {{"src.txt", "table.csv"}, {"src2.txt", "empty.txt"}},
            "src2.txt", "table.csv", {kNotTableText}, 0},
        {"an unreadable definition file ends with the error box", {{"src.txt", "missing.csv"}}, "src.txt", "", {}, 1},
        {"an unreadable source ends the click before the second question", {{"missing.txt"}}, "", "", {}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Open();
        prompts.Clear();
        for (const auto& answers : c.clicks) {
            for (const Answer& a : answers)
                prompts.AnswerFile(a ? std::optional<std::u16string>(DataPath(*a)) : std::nullopt);
            Run(&ReplacePresenter::Button2Click);
            EXPECT_TRUE(prompts.AllAnswersUsed());
        }
        EXPECT_EQ(view.Text(Form::Edit1), DataPath(c.edit1));
        EXPECT_EQ(view.Text(Form::Edit3), DataPath(c.edit3));
        EXPECT_EQ(prompts.Texts("warning"), c.warnings);
        EXPECT_EQ(prompts.Texts("error").size(), static_cast<std::size_t>(c.errors));
    }
}

TEST_F(ReplacePresenterTest, SelectionAsksInOrderAndAlwaysReachesTheSecondFile)
{
    prompts.AnswerFile(std::nullopt);
    prompts.AnswerFile(std::nullopt);
    Run(&ReplacePresenter::Button2Click);
    const std::vector<FakePrompts::Shown> expected = {
        {"information", u"情報", kSourceInformation},
        {"open-file", u"", u""},
        {"warning", u"警告", kNotFfFileText},
        {"information", u"情報", kTableInformation},
        {"open-file", u"", u""},
        {"warning", u"警告", kNotTableText},
    };
    EXPECT_EQ(prompts.shown(), expected);
}

TEST_F(ReplacePresenterTest, TheSecondDialogStartsAtTheFileConfirmedInTheFirst)
{
    prompts.AnswerFile(DataPath("src.txt"));
    prompts.AnswerFile(std::nullopt);
    Run(&ReplacePresenter::Button2Click);
    prompts.AnswerFile(std::nullopt);
    prompts.AnswerFile(DataPath("table.csv"));
    Run(&ReplacePresenter::Button2Click);
    EXPECT_EQ(prompts.openFileStarts(),
        (std::vector<std::u16string> {u"", DataPath("src.txt"), DataPath("src.txt"), DataPath("src.txt")}));
    EXPECT_TRUE(prompts.Texts("error").empty());
}

TEST_F(ReplacePresenterTest, DroppedFilesAreCheckedAsChosenOnes)
{
    presenter->Edit1Drop(DataPath("src.txt"));
    presenter->Edit3Drop(DataPath("empty.txt"));
    presenter->Edit3Drop(DataPath("table.csv"));
    presenter->Edit1Drop(DataPath("empty.txt"));
    EXPECT_EQ(view.Text(Form::Edit1), DataPath("src.txt"));
    EXPECT_EQ(view.Text(Form::Edit3), DataPath("table.csv"));
    EXPECT_EQ(prompts.Texts("warning"), (std::vector<std::u16string> {kNotTableText, kNotFfFileText}));
    // What the fields show is what the run takes.
    Run(&ReplacePresenter::Button1Click);
    EXPECT_EQ(windows.results, (std::vector<ResultTriple> {{CreatedText(u"srcR.txt"), u"srcR.txt", u""}}));
}

TEST_F(ReplacePresenterTest, RunLoadsTheTableThenReplaces)
{
    struct Case
    {
        const char* name;
        std::u16string edit1;
        std::u16string edit3;
        std::u16string warning; // empty: none
        bool error;
        bool done;
        std::u16string edit2; // the pair count shown
    };
    const std::vector<Case> cases = {
        {"done", DataPath("src.txt"), DataPath("table.csv"), u"", false, true, u"2"},
        {"missing definition file", DataPath("src.txt"), DataPath("nothing.csv"), kMissingTableText, false, false, u""},
        {"the definition path is taken untrimmed", DataPath("src.txt"), DataPath("table.csv") + u" ", kMissingTableText,
            false, false, u""},
        {"missing source", DataPath("nothing.txt"), DataPath("table.csv"),
            u"ファイルがありません。\n変換前ファイル：" + DataPath("nothing.txt"), false, false, u"2"},
        {"empty source", DataPath("empty.txt"), DataPath("table.csv"), kNotFfFileText, false, false, u"2"},
        {"a definition line without a comma fails after counting the pairs before it", DataPath("src.txt"),
            DataPath("nocomma.csv"), u"", true, false, u"1"},
        {"a source line with one field fails", DataPath("short.txt"), DataPath("table.csv"), u"", true, false, u"2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Windows drops trailing blanks from a name: there the untrimmed path names the file itself.
        if (c.edit3.ends_with(u' ') && std::filesystem::exists(plok::ToPath(c.edit3)))
            continue;
        Open();
        prompts.Clear();
        std::filesystem::remove(env.programFolder / "srcR.txt");
        TypeSource(c.edit1);
        TypeTable(c.edit3);
        Run(&ReplacePresenter::Button1Click);
        EXPECT_EQ(prompts.Texts("warning"),
            c.warning.empty() ? std::vector<std::u16string> {} : std::vector<std::u16string> {c.warning});
        EXPECT_EQ(prompts.Texts("error").size(), c.error ? 1u : 0u);
        EXPECT_EQ(view.Text(Form::Edit2), c.edit2);
        if (c.done) {
            EXPECT_EQ(windows.results, (std::vector<ResultTriple> {{CreatedText(u"srcR.txt"), u"srcR.txt", u""}}));
            EXPECT_EQ(
                test::ReadBytes(env.programFolder / "srcR.txt"), "1,N1,a\r\n2,K9,b\r\n3,N2N2N2N2N2,N2N2N2N2N2\r\n");
        } else {
            EXPECT_TRUE(windows.results.empty());
            EXPECT_FALSE(std::filesystem::exists(env.programFolder / "srcR.txt"));
        }
    }
}

TEST_F(ReplacePresenterTest, RunReloadsTheTableEveryTime)
{
    TypeSource(DataPath("src.txt"));
    TypeTable(DataPath("table.csv"));
    Run(&ReplacePresenter::Button1Click);
    DataFile("table.csv", "K9,N9\r\n");
    Run(&ReplacePresenter::Button1Click);
    EXPECT_EQ(view.Text(Form::Edit2), u"1");
    EXPECT_EQ(test::ReadBytes(env.programFolder / "srcR.txt"), "1,K1,a\r\n2,N9,b\r\n3,00000000K2,00000000K2\r\n");
    EXPECT_EQ(windows.results.size(), 2u);
}

TEST_F(ReplacePresenterTest, HiddenFolderButtonFillsTheSourceFieldAndRemembersTheBackupFolder)
{
    struct Case
    {
        const char* name;
        std::optional<std::u16string> folder;
        std::u16string edit1;
        std::u16string backup; // empty: no setting written
    };
    const std::u16string sep(1, static_cast<char16_t>(std::filesystem::path::preferred_separator));
    const std::vector<Case> cases = {
        {"cancelled", std::nullopt, u"before", u""},
        {"chosen", u"/data/backup", u"/data/backup" + sep, u"/data/backup" + sep},
        {"the setting is trimmed", u" /data/b", u" /data/b" + sep, u"/data/b" + sep},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(env.settingsFile);
        prompts.Clear();
        TypeSource(u"before");
        prompts.AnswerFolder(c.folder);
        Run(&ReplacePresenter::Button3Click);
        ASSERT_FALSE(prompts.shown().empty());
        EXPECT_EQ(prompts.shown()[0],
            (FakePrompts::Shown {"browse-folder", u"", u"フォルダを指定してＯＫをクリックしてください"}));
        EXPECT_EQ(view.Text(Form::Edit1), c.edit1);
        EXPECT_EQ(settings::Read(env.settingsFile, u"BACKUP", u""), c.backup);
        EXPECT_EQ(prompts.Texts("warning"),
            c.folder ? std::vector<std::u16string> {} : std::vector<std::u16string> {u"ファイルを選択します"});
    }
}

} // namespace
} // namespace plok::tools
