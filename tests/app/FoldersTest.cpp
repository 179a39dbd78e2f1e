#include "app/Folders.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace plok::app {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

TEST(Folders, TheInstalledManualBesideTheProgramsComesFirst)
{
    TempDir dir;
    const fs::path bin = dir / "usr" / "bin";
    const fs::path page = dir / "usr" / "share" / "doc" / "plok" / "manual" / "index.html";
    fs::create_directories(bin);
    fs::create_directories(page.parent_path());
    EXPECT_NE(FindManual(bin), page);
    test::WriteBytes(page, "<!DOCTYPE html>");
    EXPECT_EQ(FindManual(bin), page);
}

} // namespace
} // namespace plok::app
