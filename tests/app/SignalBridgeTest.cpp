#include "app/SignalBridge.h"

#include <QCoreApplication>
#include <QObject>
#include <QTest>
#include <csignal>
#include <vector>

#include <gtest/gtest.h>

namespace plok::app {
namespace {

volatile sig_atomic_t g_before = 0;

extern "C" void RecordBefore(int signal)
{
    g_before = signal;
}

TEST(SignalBridge, SignalsReachTheEventLoopAndTheOldHandlersComeBack)
{
    struct sigaction mine
    { };
    mine.sa_handler = RecordBefore;
    sigemptyset(&mine.sa_mask);
    struct sigaction saved[2];
    sigaction(SIGTERM, &mine, &saved[0]);
    sigaction(SIGINT, &mine, &saved[1]);
    {
        SignalBridge bridge({SIGTERM, SIGINT});
        ASSERT_TRUE(bridge.active());
        // Caught before anyone listens: kept until Deliver.
        std::raise(SIGTERM);
        std::vector<int> received;
        QObject context;
        bridge.Deliver(&context, [&](int signal) { received.push_back(signal); });
        EXPECT_TRUE(QTest::qWaitFor([&] { return received.size() == 1; }));
        std::raise(SIGINT);
        EXPECT_TRUE(QTest::qWaitFor([&] { return received.size() == 2; }));
        EXPECT_EQ(received, (std::vector<int> {SIGTERM, SIGINT}));
        EXPECT_EQ(g_before, 0);

        EXPECT_FALSE(SignalBridge({SIGTERM}).active()) << "a second bridge would steal the first one's signals";
    }
    std::raise(SIGINT);
    EXPECT_EQ(g_before, SIGINT);
    sigaction(SIGTERM, &saved[0], nullptr);
    sigaction(SIGINT, &saved[1], nullptr);
}

} // namespace
} // namespace plok::app
