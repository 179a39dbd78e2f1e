#include "claims/TfrmSavePath.h"

#include "core/IniFile.h"
#include "support/GuiSupport.h"

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

using namespace Qt::StringLiterals;
using plok::claims::TfrmSavePath;
using plok::test::FakePrompts;
namespace fs = std::filesystem;

constexpr char16_t kInstruction[] = u"保存先フォルダを指定してＯＫをクリックしてください";

class TfrmSavePathTest : public plok::test::GuiFixture
{
protected:
    ~TfrmSavePathTest() override
    {
        if (window)
            window->close();
    }
    void Open()
    {
        if (window)
            window->close();
        FlushDeletes();
        window = new TfrmSavePath(env, prompts);
        window->show();
    }
    template<class T>
    T* Get(const char* name) const
    {
        T* w = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void ClickItem(int index) const
    {
        auto* item = Get<QRadioButton>(index == 0 ? "RadioGroup1Item0" : "RadioGroup1Item1");
        QTest::mouseClick(item, Qt::LeftButton, {}, QPoint(6, item->height() / 2));
    }
    void ClickBrowse() const { QTest::mouseClick(Get<QPushButton>("Button1"), Qt::LeftButton); }
    std::u16string SaveFolder() const { return plok::IFReadIniStr(env.settingsFile, u"PARAM", u"SAVEFDR", u"<none>"); }
    /// Which item is selected, whether the folder controls show, and what the edit holds.
    void ExpectState(int item, bool folderShown, const QString& edit) const
    {
        EXPECT_TRUE(Get<QRadioButton>(item == 0 ? "RadioGroup1Item0" : "RadioGroup1Item1")->isChecked());
        EXPECT_EQ(Get<QPushButton>("Button1")->isVisible(), folderShown);
        EXPECT_EQ(Get<QLineEdit>("Edit1")->isVisible(), folderShown);
        EXPECT_EQ(Get<QLineEdit>("Edit1")->text(), edit);
    }

    QPointer<TfrmSavePath> window;
};

TEST_F(TfrmSavePathTest, Layout)
{
    QPointer<TfrmSavePath> shown = new TfrmSavePath(env, prompts);
    bool returned = false;
    plok::test::WhileModal([&] { returned = shown->DspSet(); },
        [](QWidget* w) {
            auto* dialog = plok::test::ModalAs<TfrmSavePath>(w);
            if (!dialog)
                return;
            plok::test::CheckLayout(dialog,
                {u"保存先選択"_s, {317, 159}, 12, Qt::Dialog,
                    {
                        {"RadioGroup1", "QGroupBox", {32, 37, 261, 57}, {}, true, 0},
                        {"BitBtn1", "QPushButton", {234, 7, 75, 25}, u"閉じる(&C)"_s, true, 1},
                        {"Button1", "QPushButton", {126, 125, 75, 25}, u"保存先選択"_s, false, 2},
                        {"Edit1", "QLineEdit", {32, 96, 261, 23}, {}, false, 3},
                        {"RadioGroup1Item0", "QRadioButton", {8, 18, 150, 21}, u"ダウンロードフォルダ"_s, true, -1},
                        {"RadioGroup1Item1", "QRadioButton", {164, 18, 94, 21}, u"保存先指定"_s, true, -1},
                    }});
            EXPECT_TRUE(dialog->findChild<QGroupBox*>("RadioGroup1")->title().isEmpty());
            EXPECT_TRUE(dialog->findChild<QRadioButton*>("RadioGroup1Item0")->isChecked());
            EXPECT_FALSE(dialog->findChild<QPushButton*>("BitBtn1")->icon().isNull());
            QTest::mouseClick(dialog->findChild<QPushButton*>("BitBtn1"), Qt::LeftButton);
        });
    EXPECT_TRUE(returned);
    EXPECT_TRUE(shown.isNull());
    EXPECT_TRUE(prompts.shown().empty());
}

TEST_F(TfrmSavePathTest, GroupKeepsItsHorizontalCentreWhenResized)
{
    Open();
    auto* group = Get<QGroupBox>("RadioGroup1");
    for (const auto& [size, left] :
        std::vector<std::pair<QSize, int>> {{{417, 159}, 82}, {{317, 300}, 32}, {{217, 100}, -18}}) {
        window->resize(size);
        EXPECT_EQ(group->geometry(), QRect(left, 37, 261, 57)) << size.width() << "x" << size.height();
    }
}

TEST_F(TfrmSavePathTest, RadioAndFolderChoiceWriteTheSetting)
{
    const std::u16string picked = (root / "保存先").u16string();
    Open();
    ExpectState(0, false, {});

    SCOPED_TRACE("the selected item clicked again, then the other item: nothing written");
    ClickItem(0);
    ClickItem(1);
    ExpectState(1, true, {});
    EXPECT_FALSE(fs::exists(env.settingsFile));

    SCOPED_TRACE("folder browser cancelled, then confirmed, then cancelled again");
    prompts.AnswerFolder(std::nullopt);
    ClickBrowse();
    EXPECT_FALSE(fs::exists(env.settingsFile));
    ExpectState(1, true, {});
    prompts.AnswerFolder(picked);
    ClickBrowse();
    ExpectState(1, true, QString::fromStdU16String(picked));
    EXPECT_EQ(SaveFolder(), picked);
    prompts.AnswerFolder(std::nullopt);
    ClickBrowse();
    EXPECT_EQ(SaveFolder(), picked);
    // The browser starts from the stored folder each time.
    EXPECT_EQ(prompts.shown(),
        (std::vector<FakePrompts::Shown> {{"browse-folder", u"", kInstruction}, {"browse-folder", u"", kInstruction},
            {"browse-folder", picked, kInstruction}}));

    SCOPED_TRACE("the Downloads item clears the setting at once");
    ClickItem(0);
    ExpectState(0, false, QString::fromStdU16String(picked));
    EXPECT_EQ(SaveFolder(), u"");
    plok::IFWriteIniStr(env.settingsFile, u"PARAM", u"SAVEFDR", u"/elsewhere");
    ClickItem(0);
    EXPECT_EQ(SaveFolder(), u"/elsewhere");
    ClickItem(1);
    ExpectState(1, true, QString::fromStdU16String(picked));
    EXPECT_EQ(SaveFolder(), u"/elsewhere");

    SCOPED_TRACE("reopened with a stored folder, then with none");
    plok::IFWriteIniStr(env.settingsFile, u"PARAM", u"SAVEFDR", picked);
    Open();
    ExpectState(1, true, QString::fromStdU16String(picked));
    EXPECT_EQ(SaveFolder(), picked);
    plok::IFWriteIniStr(env.settingsFile, u"PARAM", u"SAVEFDR", u"  ");
    Open();
    ExpectState(0, false, {});
    EXPECT_TRUE(prompts.Texts("error").empty());
    EXPECT_TRUE(prompts.AllAnswersUsed());
}

TEST_F(TfrmSavePathTest, FailedWritesShowTheErrorBox)
{
    env.settingsFile = root / "missing" / "user.ini";
    Open();
    ClickItem(1);
    ClickItem(0);
    ASSERT_EQ(prompts.Texts("error").size(), 1u);
    ClickItem(1);
    prompts.AnswerFolder(u"/picked");
    ClickBrowse();
    EXPECT_EQ(prompts.Texts("error").size(), 2u);
    EXPECT_EQ(Get<QLineEdit>("Edit1")->text(), u"/picked"_s);
    EXPECT_FALSE(fs::exists(env.settingsFile));
}

TEST_F(TfrmSavePathTest, CloseButtonClosesAndDeletesTheWindow)
{
    Open();
    QTest::mouseClick(Get<QPushButton>("BitBtn1"), Qt::LeftButton);
    FlushDeletes();
    EXPECT_TRUE(window.isNull());
}

} // namespace
