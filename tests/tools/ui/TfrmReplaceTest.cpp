#include "tools/TfrmReplace.h"

#include "core/IniFile.h"
#include "support/FakePrompts.h"
#include "support/GuiSupport.h"
#include "support/TempDir.h"
#include "tools/Replace.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <optional>

#include <gtest/gtest.h>

namespace plok::tools {
namespace {

using test::Control;
using test::FakePrompts;
using test::TempDir;

constexpr char16_t kSourceInformation[] = u"変換前ファイルを選択します";
constexpr char16_t kTableInformation[] = u"変換定義ファイルファイルを選択します";
constexpr char16_t kNotFfFileText[] = u"正しいFFファイルではありません。";
constexpr char16_t kNotTableText[] = u"変換定義ファイルではありません。";

struct Opened
{
    std::u16string msg;
    std::u16string file1;
    std::u16string file2;
    bool operator==(const Opened&) const = default;
};

class ReplaceWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(env.programFolder);
        test::WriteBytes(dir / "src.txt", "1,K1,a\r\n2,K9,b\r\n3,00000000K2,00000000K2\r\n");
        test::WriteBytes(dir / "src2.txt", "1,K1\r\n");
        test::WriteBytes(dir / "short.txt", "1,K1\r\nlonely\r\n");
        test::WriteBytes(dir / "table.csv", "K1,N1\r\n00000000K2,N2N2N2N2N2\r\n");
        test::WriteBytes(dir / "nocomma.csv", "K1,N1\r\nbroken\r\n");
        test::WriteBytes(dir / "empty.txt", "");
        Open();
    }
    void TearDown() override { delete window.data(); }

    // A fresh window, shown, its result dialog replaced by a recorder.
    void Open()
    {
        delete window.data();
        window = new TfrmReplace(env, prompts);
        window->SetResultOpener([this](std::u16string msg, std::u16string f1, std::u16string f2) {
            opened.push_back({msg, f1, f2});
        });
        window->show();
    }

    std::u16string PathOf(const std::string& name) const { return name.empty() ? u"" : (dir / name).u16string(); }
    QLineEdit* Edit(const char* name) const { return Control<QLineEdit>(window, name); }
    std::u16string Text(const char* edit) const { return Edit(edit)->text().toStdU16String(); }
    void SetText(const char* edit, const std::u16string& text) const
    {
        Edit(edit)->setText(QString::fromStdU16String(text));
    }
    void Click(const char* button) const { QTest::mouseClick(Control<QPushButton>(window, button), Qt::LeftButton); }

    TempDir dir;
    Environment env {dir / "program", dir / "program" / "user.ini", dir / "Downloads"};
    FakePrompts prompts;
    QPointer<TfrmReplace> window;
    std::vector<Opened> opened;
};

TEST_F(ReplaceWindowTest, MatchesTheLayoutTable)
{
    test::CheckLayout(window,
        {QStringLiteral("リプレース"), {348, 228},
            {
                {"BitBtn1", "QPushButton", {265, 8, 75, 25}, QStringLiteral("閉じる(&C)"), true, 0},
                {"Button3", "QPushButton", {49, 8, 201, 25}, QStringLiteral("変換前フォルダ選択"), false, 1},
                {"Edit1", "QLineEdit", {149, 110, 183, 23}, QString(), true, 2},
                {"Button1", "QPushButton", {72, 186, 201, 25}, QStringLiteral("変換実行"), true, 3},
                {"Edit2", "QLineEdit", {279, 64, 38, 23}, QString(), false, 4},
                {"Edit3", "QLineEdit", {149, 139, 183, 23}, QString(), true, 5},
                {"Button2", "QPushButton", {72, 63, 201, 25}, QStringLiteral("変換前ファイル選択"), true, 6},
                {"CheckBox1", "QCheckBox", {49, 170, 131, 17}, QStringLiteral("0詰め10桁にする"), false, 7},
                {"Edit4", "QLineEdit", {254, 168, 44, 23}, QString(), false, 8},
                {"Label2", "QLabel", {43, 113, 92, 15}, QStringLiteral("変換前ファイル："), true, -1},
                {"Label1", "QLabel", {43, 142, 104, 15}, QStringLiteral("変更定義ファイル："), true, -1},
                {"Label3", "QLabel", {209, 170, 39, 15}, QStringLiteral("桁数："), false, -1},
            }});
    EXPECT_FALSE(Control<QPushButton>(window, "BitBtn1")->icon().isNull());
}

TEST_F(ReplaceWindowTest, ShowingClearsTheEditsAndChecksTheBox)
{
    for (const char* e : {"Edit1", "Edit2", "Edit3", "Edit4"})
        SetText(e, u"x");
    auto* check = Control<QCheckBox>(window, "CheckBox1");
    check->setChecked(false);
    window->hide();
    window->show();
    for (const char* e : {"Edit1", "Edit2", "Edit3", "Edit4"})
        EXPECT_EQ(Text(e), u"") << e;
    EXPECT_TRUE(check->isChecked());
}

TEST_F(ReplaceWindowTest, CloseButtonClosesAndDeletesTheWindow)
{
    Click("BitBtn1");
    EXPECT_FALSE(window->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
}

TEST_F(ReplaceWindowTest, SelectionAsksForBothFilesInOneDialog)
{
    // Each click answers the two questions in turn; nullopt cancels, "" means the question is never asked.
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
                prompts.AnswerFile(a ? std::optional<std::u16string>(PathOf(*a)) : std::nullopt);
            Click("Button2");
            EXPECT_TRUE(prompts.AllAnswersUsed());
        }
        EXPECT_EQ(Text("Edit1"), PathOf(c.edit1));
        EXPECT_EQ(Text("Edit3"), PathOf(c.edit3));
        EXPECT_EQ(prompts.Texts("warning"), c.warnings);
        EXPECT_EQ(prompts.Texts("error").size(), static_cast<std::size_t>(c.errors));
    }
}

TEST_F(ReplaceWindowTest, SelectionAsksInOrderAndAlwaysReachesTheSecondFile)
{
    prompts.AnswerFile(std::nullopt);
    prompts.AnswerFile(std::nullopt);
    Click("Button2");
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

TEST_F(ReplaceWindowTest, TheSecondDialogStartsAtTheFileConfirmedInTheFirst)
{
    prompts.AnswerFile(PathOf("src.txt"));
    prompts.AnswerFile(std::nullopt);
    Click("Button2");
    prompts.AnswerFile(std::nullopt);
    prompts.AnswerFile(PathOf("table.csv"));
    Click("Button2");
    EXPECT_EQ(prompts.openFileStarts(),
        (std::vector<std::u16string> {u"", PathOf("src.txt"), PathOf("src.txt"), PathOf("src.txt")}));
    EXPECT_TRUE(prompts.Texts("error").empty());
}

TEST_F(ReplaceWindowTest, RunLoadsTheTableThenReplaces)
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
        {"done", PathOf("src.txt"), PathOf("table.csv"), u"", false, true, u"2"},
        {"missing definition file", PathOf("src.txt"), PathOf("nothing.csv"), kMissingTableText, false, false, u""},
        {"the definition path is taken untrimmed", PathOf("src.txt"), PathOf("table.csv") + u" ", kMissingTableText,
            false, false, u""},
        {"missing source", PathOf("nothing.txt"), PathOf("table.csv"), kMissingFileText, false, false, u"2"},
        {"empty source", PathOf("empty.txt"), PathOf("table.csv"), kNotFfFileText, false, false, u"2"},
        {"a definition line without a comma fails after counting the pairs before it", PathOf("src.txt"),
            PathOf("nocomma.csv"), u"", true, false, u"1"},
        {"a source line with one field fails", PathOf("short.txt"), PathOf("table.csv"), u"", true, false, u"2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Open();
        prompts.Clear();
        opened.clear();
        std::filesystem::remove(env.programFolder / "srcR.txt");
        SetText("Edit1", c.edit1);
        SetText("Edit3", c.edit3);
        Click("Button1");
        EXPECT_EQ(prompts.Texts("warning"),
            c.warning.empty() ? std::vector<std::u16string> {} : std::vector<std::u16string> {c.warning});
        EXPECT_EQ(prompts.Texts("error").size(), c.error ? 1u : 0u);
        EXPECT_EQ(Text("Edit2"), c.edit2);
        if (c.done) {
            ASSERT_EQ(opened.size(), 1u);
            EXPECT_EQ(opened[0].file1, u"srcR.txt");
            EXPECT_NE(opened[0].msg, u"");
            EXPECT_EQ(opened[0].file2, u"");
            EXPECT_EQ(
                test::ReadBytes(env.programFolder / "srcR.txt"), "1,N1,a\r\n2,K9,b\r\n3,N2N2N2N2N2,N2N2N2N2N2\r\n");
        } else {
            EXPECT_TRUE(opened.empty());
            EXPECT_FALSE(std::filesystem::exists(env.programFolder / "srcR.txt"));
        }
    }
}

TEST_F(ReplaceWindowTest, RunReloadsTheTableEveryTime)
{
    SetText("Edit1", PathOf("src.txt"));
    SetText("Edit3", PathOf("table.csv"));
    Click("Button1");
    test::WriteBytes(dir / "table.csv", "K9,N9\r\n");
    Click("Button1");
    EXPECT_EQ(Text("Edit2"), u"1");
    EXPECT_EQ(test::ReadBytes(env.programFolder / "srcR.txt"), "1,K1,a\r\n2,N9,b\r\n3,00000000K2,00000000K2\r\n");
    EXPECT_EQ(opened.size(), 2u);
}

TEST_F(ReplaceWindowTest, HiddenFolderButtonFillsEdit1AndRemembersTheBackupFolder)
{
    struct Case
    {
        const char* name;
        std::optional<std::u16string> folder;
        std::u16string edit1;
        std::u16string backup; // empty: no setting written
    };
    const std::u16string sep = QString(QDir::separator()).toStdU16String();
    const std::vector<Case> cases = {
        {"cancelled", std::nullopt, u"before", u""},
        {"chosen", u"/data/backup", u"/data/backup" + sep, u"/data/backup" + sep},
        {"the setting is trimmed", u" /data/b", u" /data/b" + sep, u"/data/b" + sep},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(env.settingsFile);
        prompts.Clear();
        SetText("Edit1", u"before");
        prompts.AnswerFolder(c.folder);
        Control<QPushButton>(window, "Button3")->click();
        ASSERT_FALSE(prompts.shown().empty());
        EXPECT_EQ(prompts.shown()[0],
            (FakePrompts::Shown {"browse-folder", u"", u"フォルダを指定してＯＫをクリックしてください"}));
        EXPECT_EQ(Text("Edit1"), c.edit1);
        EXPECT_EQ(IFReadIniStr(env.settingsFile, u"PARAM", u"BACKUP", u""), c.backup);
        EXPECT_EQ(prompts.Texts("warning"),
            c.folder ? std::vector<std::u16string> {} : std::vector<std::u16string> {u"ファイルを選択します"});
    }
}

} // namespace
} // namespace plok::tools
