#include "app/SingleInstance.h"

#include "support/TempDir.h"

#include <QTest>
#include <optional>
#include <thread>

#include <gtest/gtest.h>

namespace plok::app {
namespace {

using test::TempDir;

TEST(SingleInstance, OneHolderPerFolderUntilItGoes)
{
    TempDir dir;
    std::optional<SingleInstance> first(std::in_place, dir.path(), "PlokMutex");
    EXPECT_TRUE(first->IsFirst());
    EXPECT_TRUE(std::filesystem::exists(dir / "PlokMutex.lock"));
    EXPECT_FALSE(SingleInstance(dir.path(), "PlokMutex").IsFirst());
    EXPECT_TRUE(SingleInstance(dir.path(), "Other").IsFirst());
    first.reset();
    EXPECT_TRUE(SingleInstance(dir.path(), "PlokMutex").IsFirst());
}

TEST(SingleInstance, LockThatCannotBeCreatedCountsAsTaken)
{
    TempDir dir;
    EXPECT_FALSE(SingleInstance(dir / "no" / "such" / "folder", "PlokMutex").IsFirst());
}

TEST(ActivationServer, ALaterStartBringsTheRunningInstanceForwardEvenAfterACrash)
{
    TempDir dir;
    const std::filesystem::path socket = ActivationSocket(dir.path(), "PlokMutex");
    EXPECT_FALSE(AskToActivate(socket));
    // What a crashed instance leaves behind.
    test::WriteBytes(socket, "");
    int activations = 0;
    const ActivationServer server(socket, [&] { ++activations; });
    ASSERT_TRUE(server.IsListening());
    bool asked = false;
    std::thread later([&] { asked = AskToActivate(socket); });
    QTRY_COMPARE(activations, 1);
    later.join();
    EXPECT_TRUE(asked);
}

} // namespace
} // namespace plok::app
