#include "core/OptionPresenter.h"

#include "support/FakeView.h"

#include <gtest/gtest.h>

namespace plok {
namespace {

TEST(OptionPresenter, EachButtonOpensItsToolEveryTime)
{
    test::FakeWindows windows;
    OptionPresenter option(windows);
    option.Button1Click();
    option.Button2Click();
    option.Button1Click();
    EXPECT_EQ(
        windows.opened, (std::vector<WindowKind> {WindowKind::Convert, WindowKind::Replace, WindowKind::Convert}));
    EXPECT_TRUE(windows.results.empty());
}

} // namespace
} // namespace plok
