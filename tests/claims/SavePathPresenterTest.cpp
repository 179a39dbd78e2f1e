#include "claims/SavePathPresenter.h"

#include "core/Errors.h"
#include "support/FakeView.h"

#include <optional>

#include <gtest/gtest.h>

namespace plok::claims {
namespace {

using Form = SavePathPresenter::Form;

using test::FakePrompts;
namespace fs = std::filesystem;

constexpr char16_t kInstruction[] = u"保存先フォルダを指定してＯＫをクリックしてください";

class SavePathPresenterTest : public test::PresenterTest<SavePathPresenter>
{
protected:
    /// A fresh window as it is shown.
    void Open() { Create().FormShow(); }
    /// Which item is selected (nothing: the layout's item 0), whether the folder controls show, and what the field
    /// holds.
    void ExpectState(std::optional<int> item, bool folderShown, const std::u16string& edit) const
    {
        EXPECT_EQ(view.Index(Form::RadioGroup1), item);
        EXPECT_EQ(view.Visible(Form::Button1), folderShown);
        EXPECT_EQ(view.Visible(Form::Edit1), folderShown);
        EXPECT_EQ(view.Text(Form::Edit1), edit);
    }
};

TEST_F(SavePathPresenterTest, RadioAndFolderChoiceWriteTheSetting)
{
    const std::u16string picked = (root / u"保存先").u16string();
    Open();
    ExpectState(std::nullopt, false, u"");

    SCOPED_TRACE("the folder item: nothing written");
    presenter->RadioGroup1Click(1);
    ExpectState(std::nullopt, true, u"");
    EXPECT_FALSE(fs::exists(env.settingsFile));

    SCOPED_TRACE("folder browser cancelled, then confirmed, then cancelled again");
    prompts.AnswerFolder(std::nullopt);
    presenter->Button1Click();
    EXPECT_FALSE(fs::exists(env.settingsFile));
    ExpectState(std::nullopt, true, u"");
    prompts.AnswerFolder(picked);
    presenter->Button1Click();
    ExpectState(std::nullopt, true, picked);
    EXPECT_EQ(Stored(u"SAVEFDR"), picked);
    prompts.AnswerFolder(std::nullopt);
    presenter->Button1Click();
    EXPECT_EQ(Stored(u"SAVEFDR"), picked);
    // The browser starts from the stored folder each time.
    EXPECT_EQ(prompts.shown(),
        (std::vector<FakePrompts::Shown> {{"browse-folder", u"", kInstruction}, {"browse-folder", u"", kInstruction},
            {"browse-folder", picked, kInstruction}}));

    SCOPED_TRACE("the Downloads item clears the setting at once; the field keeps its text while hidden");
    presenter->RadioGroup1Click(0);
    ExpectState(std::nullopt, false, picked);
    EXPECT_EQ(Stored(u"SAVEFDR"), u"");
    presenter->RadioGroup1Click(1);
    ExpectState(std::nullopt, true, picked);
    EXPECT_EQ(Stored(u"SAVEFDR"), u"");

    SCOPED_TRACE("reopened with a stored folder, then with none");
    Setting(u"SAVEFDR", picked);
    Open();
    ExpectState(1, true, picked);
    EXPECT_EQ(Stored(u"SAVEFDR"), picked);
    Setting(u"SAVEFDR", u"  ");
    Open();
    ExpectState(std::nullopt, false, u"");
    EXPECT_TRUE(prompts.Texts("error").empty());
    EXPECT_TRUE(prompts.AllAnswersUsed());
}

TEST_F(SavePathPresenterTest, SettingThatCannotBeWrittenFailsTheHandler)
{
    env.settingsFile = root / "missing" / "user.ini";
    Open();
    presenter->RadioGroup1Click(1);
    EXPECT_THROW(presenter->RadioGroup1Click(0), IoError);
    presenter->RadioGroup1Click(1);
    prompts.AnswerFolder(u"/picked");
    EXPECT_THROW(presenter->Button1Click(), IoError);
    // The field shows the folder although it could not be stored.
    EXPECT_EQ(view.Text(Form::Edit1), u"/picked");
    EXPECT_FALSE(fs::exists(env.settingsFile));
}

} // namespace
} // namespace plok::claims
