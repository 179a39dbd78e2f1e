#include "present/ClickGate.h"

#include <gtest/gtest.h>

namespace plok {
namespace {

using std::chrono::milliseconds;

TEST(ClickGate, HoldsBackPressesUntilTheModalWindowsStayedAsTheyAreForTheQuietTime)
{
    const ClickGate::Clock::time_point t0 {};
    ClickGate gate(milliseconds(400));
    EXPECT_TRUE(gate.Admits(t0));

    // The first click of a double-click closed the result dialog; its second click must not reach the main window.
    gate.ModalChanged(t0 + milliseconds(1000));
    struct Case
    {
        int at;
        bool admitted;
    };
    for (const Case& c :
        {Case {1000, false}, Case {1150, false}, Case {1399, false}, Case {1400, true}, Case {5000, true}}) {
        SCOPED_TRACE(c.at);
        EXPECT_EQ(gate.Admits(t0 + milliseconds(c.at)), c.admitted);
    }

    // A window that opens right after another closed starts the quiet time again.
    gate.ModalChanged(t0 + milliseconds(5100));
    EXPECT_FALSE(gate.Admits(t0 + milliseconds(5400)));
    EXPECT_TRUE(gate.Admits(t0 + milliseconds(5500)));
}

} // namespace
} // namespace plok
