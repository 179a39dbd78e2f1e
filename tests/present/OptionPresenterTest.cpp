#include "present/OptionPresenter.h"

#include "support/FakeView.h"

#include <gtest/gtest.h>

namespace plok {
namespace {

using Form = OptionPresenter::Form;

class OptionPresenterTest : public test::WindowFixture
{
protected:
    test::FakeView view {OptionPresenter::Form::kControls};
    test::FakeWindows windows;
    OptionPresenter option {env, view, windows};
};

TEST_F(OptionPresenterTest, EachButtonOpensItsToolEveryTime)
{
    option.Button1Click();
    option.Button2Click();
    option.Button1Click();
    EXPECT_EQ(
        windows.opened, (std::vector<WindowKind> {WindowKind::Convert, WindowKind::Replace, WindowKind::Convert}));
    EXPECT_TRUE(windows.results.empty());
}

TEST_F(OptionPresenterTest, TheStrongAnonymizationIsSavedAtOnceAndShownAtTheNextOpening)
{
    const std::vector<std::pair<std::u16string, int>> saved = {{u"1", 1}, {u" 1 ", 1}, {u"0", 0}, {u"2", 0}, {u"", 0}};
    for (const auto& [value, checked] : saved) {
        SCOPED_TRACE(ToUtf8(value));
        Setting(settings::kStrongAnonymization, value);
        option.InitSet();
        EXPECT_EQ(view.Index(Form::CheckBox1), checked);
    }
    option.CheckBox1Click(true);
    EXPECT_EQ(Stored(settings::kStrongAnonymization), u"1");
    OptionPresenter next {env, view, windows};
    next.InitSet();
    EXPECT_EQ(view.Index(Form::CheckBox1), 1);
    next.CheckBox1Click(false);
    EXPECT_EQ(Stored(settings::kStrongAnonymization), u"0");
    EXPECT_TRUE(windows.opened.empty());
}

} // namespace
} // namespace plok
