#include "app/SingleInstance.h"

#include "support/TempDir.h"

#include <optional>

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

} // namespace
} // namespace plok::app
