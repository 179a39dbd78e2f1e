#include "claims/TfrmMsg.h"

#include "core/Cp932.h"
#include "core/IniFile.h"
#include "support/GuiSupport.h"

#include <QPushButton>
#include <QTest>

namespace {

using namespace Qt::StringLiterals;
using plok::claims::ShowResultDialog;
using plok::claims::TfrmMsg;
using plok::test::CheckLayout;
using plok::test::ModalAs;
using plok::test::ReadBytes;
using plok::test::WhileModal;
using plok::test::WriteBytes;
namespace fs = std::filesystem;

const std::string kSocial = "IR,1,13,1,0123456,," + plok::cp932::Encode(u"ORVAクリニック") + ",50605,00,012\r\n";
const std::string kNational = "IR,2,13,1,0123456,," + plok::cp932::Encode(u"ORVAクリニック") + ",50605,00,012\r\n";
constexpr char16_t kMessage[] = u"社保と国保の匿名化ファイルが作成されました";

class TfrmMsgTest : public plok::test::GuiFixture
{
protected:
    TfrmMsgTest()
    {
        fs::create_directory(root / "save");
        PutResults();
    }
    void PutResults()
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
    /// Opens the result dialog for `file1` / `file2` and runs `inside` on it; returns whether the dialog was gone
    /// once DspSet returned true.
    bool Show(const std::u16string& file1, const std::u16string& file2, const std::function<void(TfrmMsg*)>& inside,
        const std::u16string& message = kMessage)
    {
        QPointer<TfrmMsg> dialog;
        bool returned = false;
        WhileModal([&] { returned = ShowResultDialog(env, prompts, nullptr, message, file1, file2); },
            [&](QWidget* w) {
                dialog = ModalAs<TfrmMsg>(w);
                if (dialog)
                    inside(dialog);
            });
        EXPECT_TRUE(returned);
        return dialog.isNull();
    }
};

TEST_F(TfrmMsgTest, Layout)
{
    EXPECT_TRUE(Show(u"50605_1.UKE", u"", [](TfrmMsg* dialog) {
        CheckLayout(dialog,
            {u"確認"_s, {329, 96}, 11, Qt::Dialog,
                {
                    {"Label1", "QLabel", {8, 24, 308, 17}, QString::fromUtf16(kMessage), true, -1},
                    {"Button1", "QPushButton", {116, 57, 117, 25}, u"ダウンロード"_s, true, 0},
                    {"Memo1", "QPlainTextEdit", {8, 104, 313, 43}, {}, true, 1},
                }});
        const auto* label = dialog->findChild<QLabel*>("Label1");
        EXPECT_EQ(label->font().family(), u"Noto Sans CJK JP"_s);
        EXPECT_EQ(label->font().pixelSize(), 13);
        EXPECT_FALSE(label->wordWrap());
        const auto* button = dialog->findChild<QPushButton*>("Button1");
        EXPECT_EQ(button->font().family(), u"Noto Sans CJK JP"_s);
        EXPECT_EQ(button->font().pixelSize(), 12);
        EXPECT_EQ(dialog->findChild<QPlainTextEdit*>("Memo1")->lineWrapMode(), QPlainTextEdit::NoWrap);
        dialog->close();
    }));
}

TEST_F(TfrmMsgTest, LongMessageStaysOnOneLineAndRunsToTheEdge)
{
    const std::u16string longMessage(80, u'長');
    Show(
        u"", u"",
        [](TfrmMsg* dialog) {
            const auto* label = dialog->findChild<QLabel*>("Label1");
            EXPECT_EQ(label->text().size(), 80);
            EXPECT_EQ(label->height(), 17);
            EXPECT_GT(label->geometry().right(), dialog->width());
            dialog->close();
        },
        longMessage);
}

TEST_F(TfrmMsgTest, ButtonDeliversOrKeepsTheFiles)
{
    enum class Act
    {
        Click,
        CloseBox,
    };
    struct Case
    {
        const char* name;
        std::u16string saveFolder; // SAVEFDR; "-" = not set
        std::u16string svchg;
        std::u16string file1;
        std::u16string file2;
        Act act;
        QString caption;
        bool staysOpen;
        std::vector<std::string> kinds; // boxes shown
        fs::path destination; // where the files end up; empty = nowhere (they stay in the program folder)
        std::vector<std::string> delivered;
    };
    const std::u16string save = (root / "save").u16string();
    const std::vector<Case> cases = {
        {"no save folder", u"-", u"", u"50605_1.UKE", u"50605_2.UKE", Act::Click, u"ダウンロード"_s, false, {},
            env.downloads, {"50605_1.UKE", "50605_2.UKE"}},
        {"blank save folder", u"   ", u"", u"50605_1.UKE", u"", Act::Click, u"ダウンロード"_s, false, {}, env.downloads,
            {"50605_1.UKE"}},
        {"save folder", save, u"", u"", u"50605_2.UKE", Act::Click, u"保存"_s, false, {}, root / "save",
            {"50605_2.UKE"}},
        {"close box", save, u"", u"50605_1.UKE", u"50605_2.UKE", Act::CloseBox, u"保存"_s, false, {}, {}, {}},
        {"subfolder without a first file", save, u"1", u"", u"50605_2.UKE", Act::Click, u"保存"_s, true, {"error"}, {},
            {}},
        {"save folder gone", (root / "gone").u16string(), u"", u"50605_1.UKE", u"50605_2.UKE", Act::Click, u"保存"_s,
            false, {"warning"}, {}, {}},
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

        const bool gone = Show(c.file1, c.file2, [&](TfrmMsg* dialog) {
            auto* button = dialog->findChild<QPushButton*>("Button1");
            EXPECT_EQ(button->text(), c.caption);
            if (c.act == Act::Click)
                QTest::mouseClick(button, Qt::LeftButton);
            else
                dialog->close();
            EXPECT_EQ(!dialog->isHidden(), c.staysOpen);
            if (!dialog->isHidden())
                dialog->close();
        });

        EXPECT_TRUE(gone);
        std::vector<std::string> kinds;
        for (const auto& s : prompts.shown())
            kinds.push_back(s.kind);
        EXPECT_EQ(kinds, c.kinds);
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
            EXPECT_TRUE(dir == c.destination || fs::is_empty(dir)) << dir;
    }
}

TEST_F(TfrmMsgTest, FilesNotDeliveredAreNamedWithWhereTheyLieAndWhy)
{
    // A stick that was pulled out: the save folder is gone.
    Setting(u"SAVEFDR", (root / "stick").u16string());
    PutResults();
    // A name left from an earlier run whose file was already delivered is no loss and not named.
    Show(u"50605_1.UKE", u"old_2.UKE",
        [&](TfrmMsg* dialog) { QTest::mouseClick(dialog->findChild<QPushButton*>("Button1"), Qt::LeftButton); });
    const std::vector<std::u16string> warnings = prompts.Texts("warning");
    ASSERT_EQ(warnings.size(), 1u);
    const std::u16string& text = warnings[0];
    EXPECT_EQ(text.rfind(u"次のファイルは保存できませんでした。", 0), 0u);
    EXPECT_NE(text.find(u"\n50605_1.UKE\n"), std::u16string::npos);
    EXPECT_NE(text.find(u"場所: " + env.programFolder.u16string()), std::u16string::npos);
    EXPECT_NE(text.find(u"(ファイルまたはフォルダがありません)"), std::u16string::npos);
    EXPECT_EQ(text.find(u"old_2.UKE"), std::u16string::npos);
    EXPECT_TRUE(fs::exists(env.programFolder / "50605_1.UKE"));
}

TEST_F(TfrmMsgTest, SaveFolderIsReadOnceWhenTheDialogIsCreated)
{
    Setting(u"SAVEFDR", (root / "save").u16string());
    Show(u"50605_1.UKE", u"", [&](TfrmMsg* dialog) {
        Setting(u"SAVEFDR", u"");
        QTest::mouseClick(dialog->findChild<QPushButton*>("Button1"), Qt::LeftButton);
    });
    EXPECT_EQ(ReadBytes(root / "save" / "50605_1.UKE"), kSocial);
    EXPECT_TRUE(fs::is_empty(env.downloads));
}

TEST_F(TfrmMsgTest, UnsafeSubfolderWarnsMovesNothingAndCloses)
{
    Setting(u"SAVEFDR", (root / "save").u16string());
    Setting(u"SVCHG", u"1");
    WriteBytes(env.programFolder / "odd.UKE", "IR,1,13,1,..,,name,50605\r\n");
    EXPECT_TRUE(Show(u"odd.UKE", u"50605_2.UKE",
        [](TfrmMsg* dialog) { QTest::mouseClick(dialog->findChild<QPushButton*>("Button1"), Qt::LeftButton); }));
    const auto warnings = prompts.Texts("warning");
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find(u"プログラムのフォルダに残っています"), std::u16string::npos);
    EXPECT_EQ(prompts.shown().size(), 1u);
    EXPECT_TRUE(fs::is_empty(root / "save"));
    EXPECT_EQ(Names(env.programFolder), (std::vector<std::string> {"50605_1.UKE", "50605_2.UKE", "odd.UKE"}));
}

} // namespace
