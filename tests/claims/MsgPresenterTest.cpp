#include "claims/MsgPresenter.h"

#include "core/Cp932.h"
#include "core/FileNames.h"
#include "support/FakeView.h"

#include <algorithm>
#include <optional>

#include <gtest/gtest.h>

namespace plok::claims {
namespace {

using Form = MsgPresenter::Form;

using test::ReadBytes;
using test::WriteBytes;
namespace fs = std::filesystem;

const std::string kSocial = "IR,1,13,1,0123456,," + cp932::Encode(u"ORVAクリニック") + ",50605,00,012\r\n";
const std::string kNational = "IR,2,13,1,0123456,," + cp932::Encode(u"ORVAクリニック") + ",50605,00,012\r\n";
constexpr char16_t kMessage[] = u"社保と国保の匿名化ファイルが作成されました";

class MsgPresenterTest : public test::PresenterTest<MsgPresenter>
{
protected:
    MsgPresenterTest()
    {
        fs::create_directory(root / "save");
        PutResults();
    }
    void PutResults() const
    {
        WriteBytes(env.programFolder / "50605_1.UKE", kSocial);
        WriteBytes(env.programFolder / "50605_2.UKE", kNational);
    }
    std::vector<std::string> Names(const fs::path& dir) const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir))
            if (e.path().filename() != "user.ini")
                names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    /// A fresh dialog for `file1` and `file2`, created and handed its result as the window does.
    void Show(const std::u16string& file1, const std::u16string& file2)
    {
        Create();
        Run(&MsgPresenter::InitSet);
        presenter->DspSet({kMessage, file1, file2});
    }
    void Click() { Run(&MsgPresenter::Button1Click); }
};

TEST_F(MsgPresenterTest, ShowsTheMessageAndTheCaptionOfTheDestination)
{
    for (const auto& [saveFolder, caption] :
        std::vector<std::pair<std::u16string, std::u16string>> {{u"", u""}, {u"  ", u""}, {u"/save", u"保存"}}) {
        Setting(u"SAVEFDR", saveFolder);
        Show(u"50605_1.UKE", u"");
        EXPECT_EQ(view.Text(Form::Label1), kMessage);
        // Without a save folder the button keeps the caption of its layout, ダウンロード.
        EXPECT_EQ(view.Text(Form::Button1), caption);
        EXPECT_FALSE(view.closed);
    }
}

TEST_F(MsgPresenterTest, ButtonDeliversOrKeepsTheFiles)
{
    struct Case
    {
        const char* name;
        std::u16string saveFolder; // SAVEFDR; "-" = not set
        std::u16string svchg;
        std::u16string file1;
        std::u16string file2;
        bool closes;
        std::vector<std::string> kinds; // boxes shown
        fs::path destination; // where the files end up; empty = nowhere (they stay in the work folder)
        std::vector<std::string> delivered;
    };
    const std::u16string save = (root / "save").u16string();
    const std::vector<Case> cases = {
        {"no save folder", u"-", u"", u"50605_1.UKE", u"50605_2.UKE", true, {}, env.downloads,
            {"50605_1.UKE", "50605_2.UKE"}},
        {"blank save folder", u"   ", u"", u"50605_1.UKE", u"", true, {}, env.downloads, {"50605_1.UKE"}},
        {"save folder", save, u"", u"", u"50605_2.UKE", true, {}, root / "save", {"50605_2.UKE"}},
        {"both names empty", save, u"", u"", u"", true, {}, {}, {}},
        {"subfolder named after the institution", save, u" 1 ", u"50605_1.UKE", u"50605_2.UKE", true, {},
            root / "save" / ToPath(u"0123456_ORVAクリニック"), {"50605_1.UKE", "50605_2.UKE"}},
        {"subfolder without a first file", save, u"1", u"", u"50605_2.UKE", true, {},
            root / "save" / ToPath(u"0123456_ORVAクリニック"), {"50605_2.UKE"}},
        {"subfolder from an unreadable file", save, u"1", u"gone.UKE", u"50605_2.UKE", false, {"error"}, {}, {}},
        {"save folder gone", (root / "gone").u16string(), u"", u"50605_1.UKE", u"50605_2.UKE", true,
            {"warning-confirm"}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::error_code ec;
        fs::remove(env.settingsFile, ec);
        if (c.saveFolder != u"-")
            Setting(u"SAVEFDR", c.saveFolder);
        Setting(u"SVCHG", c.svchg);
        PutResults();
        prompts.Clear();
        for (const fs::path& dir : {env.downloads, root / "save"}) {
            fs::remove_all(dir);
            fs::create_directory(dir);
        }

        Show(c.file1, c.file2);
        if (c.kinds == std::vector<std::string> {"warning-confirm"})
            prompts.AnswerConfirm(false);
        Click();

        EXPECT_EQ(view.closed, c.closes);
        EXPECT_EQ(BoxKinds(), c.kinds);
        std::vector<std::string> stay = {"50605_1.UKE", "50605_2.UKE"};
        std::erase_if(stay, [&](const std::string& n) {
            return std::find(c.delivered.begin(), c.delivered.end(), n) != c.delivered.end();
        });
        EXPECT_EQ(Names(env.programFolder), stay);
        if (!c.destination.empty()) {
            EXPECT_EQ(Names(c.destination), c.delivered);
            for (const std::string& name : c.delivered)
                EXPECT_EQ(ReadBytes(c.destination / name), name == "50605_1.UKE" ? kSocial : kNational);
        }
        for (const fs::path& dir : {env.downloads, root / "save"})
            EXPECT_TRUE(dir == c.destination || dir == c.destination.parent_path() || fs::is_empty(dir)) << dir;
    }
}

TEST_F(MsgPresenterTest, FilesNotDeliveredAreAWarningThatNamesThemWithTheWorkFolderWhichTheUserCanOpen)
{
    const std::u16string workFolder = env.programFolder.u16string();
    const std::u16string stick = (root / "stick").u16string();
    struct Case
    {
        const char* name;
        std::u16string saveFolder;
        bool open; // the answer to 作業フォルダを開きますか？
        bool opens; // whether the desktop opens it
        std::vector<std::string> kinds;
        std::vector<std::u16string> says; // parts of the warning, in order
        std::u16string never; // advice that would not fit
    };
    const std::u16string toStick = u"次のファイルは保存先へ移せなかったため、作業フォルダに残っています。\n";
    const std::u16string toDownloads
        = u"次のファイルはダウンロードフォルダへ移せなかったため、作業フォルダに残っています。\n";
    const std::vector<Case> cases = {
        // A stick that was pulled out: the save folder is gone.
        {"not opened", stick, false, true, {"warning-confirm"}, {toStick, u"\n保存先:\n" + stick + u"\n", u"USBメモリ"},
            u"ダウンロード"},
        {"opened", stick, true, true, {"warning-confirm", "document"}, {toStick}, u"ダウンロード"},
        {"no program opens it", stick, true, false, {"warning-confirm", "document", "warning"}, {toStick},
            u"ダウンロード"},
        // The Downloads folder is on the computer's own drive: no stick to check.
        {"downloads", u"", false, true, {"warning-confirm"},
            {toDownloads, u"\nダウンロードフォルダ:\n" + env.downloads.u16string() + u"\n", u"ドライブの空き"},
            u"USBメモリ"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prompts.Clear();
        prompts.opensDocuments = c.opens;
        PutResults();
        Setting(u"SAVEFDR", c.saveFolder);
        if (c.saveFolder.empty())
            fs::remove_all(env.downloads);
        prompts.AnswerConfirm(c.open);
        // A name whose file is no longer in the work folder is no loss and not named.
        Show(u"50605_1.UKE", u"old_2.UKE");
        Click();
        fs::create_directories(env.downloads);
        EXPECT_EQ(BoxKinds(), c.kinds);
        const std::u16string text = prompts.Texts("warning-confirm").at(0);
        std::size_t at = 0;
        for (const std::u16string& part : c.says) {
            at = text.find(part, at);
            EXPECT_NE(at, std::u16string::npos) << ToUtf8(part) << " in " << ToUtf8(text);
        }
        EXPECT_EQ(text.find(c.never), std::u16string::npos) << ToUtf8(text);
        EXPECT_NE(text.find(u"\n50605_1.UKE\n  理由: "), std::u16string::npos);
        EXPECT_NE(text.find(u"(ファイルまたはフォルダがありません)"), std::u16string::npos);
        EXPECT_NE(text.find(u"\n作業フォルダ:\n" + workFolder + u"\n"), std::u16string::npos);
        EXPECT_EQ(text.find(u"old_2.UKE"), std::u16string::npos);
        EXPECT_TRUE(text.ends_with(u"\n\n作業フォルダを開きますか？"));
        if (c.open) {
            EXPECT_EQ(prompts.Texts("document"), std::vector<std::u16string> {workFolder});
        }
        if (!c.opens) {
            EXPECT_NE(prompts.Texts("warning").at(0).find(u"\n" + workFolder), std::u16string::npos);
        }
        // The files the user was told of stay where they are, also once the dialog has closed.
        EXPECT_TRUE(view.closed);
        presenter->FormClose();
        EXPECT_TRUE(fs::exists(env.programFolder / "50605_1.UKE"));
    }
}

TEST_F(MsgPresenterTest, ClosingWithoutDeliveryRemovesTheFilesFromTheWorkFolder)
{
    // Esc, the close box or 閉じる: nothing is delivered and nothing stays behind.
    Show(u"50605_1.UKE", u"50605_2.UKE");
    presenter->FormClose();
    EXPECT_TRUE(Names(env.programFolder).empty());
    EXPECT_TRUE(fs::is_empty(env.downloads));
    EXPECT_TRUE(prompts.shown().empty());

    // Also after a delivery that ended in an error box and left the dialog open.
    PutResults();
    Setting(u"SAVEFDR", (root / "save").u16string());
    Setting(u"SVCHG", u"1");
    Show(u"gone.UKE", u"50605_2.UKE");
    Click();
    EXPECT_FALSE(view.closed);
    EXPECT_EQ(BoxKinds(), std::vector<std::string> {"error"});
    presenter->FormClose();
    EXPECT_EQ(Names(env.programFolder), std::vector<std::string> {"50605_1.UKE"});
}

TEST_F(MsgPresenterTest, SaveFolderIsReadOnceWhenTheDialogIsCreated)
{
    Setting(u"SAVEFDR", (root / "save").u16string());
    Show(u"50605_1.UKE", u"");
    Setting(u"SAVEFDR", u"");
    Click();
    EXPECT_EQ(ReadBytes(root / "save" / "50605_1.UKE"), kSocial);
    EXPECT_TRUE(fs::is_empty(env.downloads));
}

TEST_F(MsgPresenterTest, UnsafeSubfolderWarnsMovesNothingAndCloses)
{
    Setting(u"SAVEFDR", (root / "save").u16string());
    Setting(u"SVCHG", u"1");
    WriteBytes(env.programFolder / "odd.UKE", "IR,1,13,1,..,,name,50605\r\n");
    Show(u"odd.UKE", u"50605_2.UKE");
    prompts.AnswerConfirm(false);
    Click();
    const auto asked = prompts.Texts("warning-confirm");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].rfind(u"次のファイルは保存先へ移せなかったため、作業フォルダに残っています。", 0), 0u);
    EXPECT_NE(asked[0].find(u"「.._name」にはフォルダ名に使えない文字"), std::u16string::npos);
    EXPECT_NE(asked[0].find(u"\n作業フォルダ:\n" + env.programFolder.u16string()), std::u16string::npos);
    EXPECT_EQ(prompts.shown().size(), 1u);
    EXPECT_TRUE(fs::is_empty(root / "save"));
    EXPECT_EQ(Names(env.programFolder), (std::vector<std::string> {"50605_1.UKE", "50605_2.UKE", "odd.UKE"}));
    EXPECT_TRUE(view.closed);
}

} // namespace
} // namespace plok::claims
