// What only a POSIX system can show: permission bits, root, errno values and files without a name. The Windows
// counterparts are in Win32FileTest.cpp.
#include "core/AtomicFile.h"
#include "core/Crypto.h"
#include "core/Errors.h"
#include "core/IniFile.h"
#include "core/TextFile.h"
#include "core/UserFolders.h"
#include "support/TempDir.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace plok {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

TEST(AtomicFile, AnUnfinishedFileHasNoNameWhereTheFileSystemAllowsIt)
{
    // The folder of the tests is on a file system with anonymous files (ext4, tmpfs, xfs, btrfs).
    TempDir dir;
    AtomicFile f(dir.path());
    f.Write(std::string(1 << 20, 'x'));
    (void)f.ContentPath();
    EXPECT_TRUE(f.IsAnonymous());
    EXPECT_EQ(test::FileCount(dir.path()), 0u);
}

TEST(IoError, CommonCausesAreToldInJapanese)
{
    const std::vector<std::pair<int, std::string>> cases = {
        {ENOENT, "ファイルまたはフォルダがありません"},
        {EACCES, "アクセスが拒否されました"},
        {EPERM, "アクセスが拒否されました"},
        {ENOSPC, "ディスクの空き容量が足りません"},
        {EROFS, "読み取り専用のドライブです"},
        {EISDIR, "フォルダです"},
        {EMFILE, "開いているファイルが多すぎます"},
        {EIO, "ドライブの読み書きでエラーが発生しました"},
        {EXDEV, std::strerror(EXDEV)},
    };
    for (const auto& [errnum, text] : cases)
        EXPECT_EQ(SystemReasonText(errnum), text) << errnum;
}

TEST(AtomicFile, UnwritableFolderIsAnIoError)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root ignores folder permissions";
    TempDir dir;
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    EXPECT_THROW(AtomicFile {dir.path()}, IoError);
}

TEST(AtomicFile, AWriteThatFailsNamesTheFolderAndNoHiddenFile)
{
    // A file size limit makes a write fail as a full disk does, with the file half written.
    TempDir dir;
    rlimit before {};
    ::getrlimit(RLIMIT_FSIZE, &before);
    rlimit limit = before;
    limit.rlim_cur = 1 << 20;
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    for (const AtomicFile::Naming naming : {AtomicFile::Naming::Anonymous, AtomicFile::Naming::Named}) {
        try {
            AtomicFile f(dir.path(), naming);
            f.Write(std::string(4 << 20, 'x'));
            f.Commit(dir / "50605_1.UKE");
            ADD_FAILURE() << "no error";
        } catch (const IoError& e) {
            const std::string text = e.what();
            EXPECT_EQ(
                text, "フォルダ \"" + dir.path().string() + "\" に書き込めません。(" + SystemReasonText(EFBIG) + ")");
        }
        EXPECT_EQ(test::FileCount(dir.path()), 0u);
    }
    ::setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, previous);
}

TEST(AtomicFile, PendingTemporaryFilesLoseTheirNamesAtOnce)
{
    TempDir dir;
    AtomicFile named(dir.path(), AtomicFile::Naming::Named);
    named.Write("half");
    EXPECT_EQ(test::FileCount(dir.path()), 1u);
    RemovePendingTempFiles();
    EXPECT_EQ(test::FileCount(dir.path()), 0u);
}

class IniFilePermissions : public ::testing::Test
{
protected:
    TempDir dir;
    fs::path ini = dir / "user.ini";

    std::u16string Read(std::u16string_view section, std::u16string_view key)
    {
        return IFReadIniStr(ini, section, key, u"<def>");
    }
};

// Root ignores permissions, so these cases cannot fail for it.
TEST_F(IniFilePermissions, UnwritableFolderLeavesFileIntact)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "running as root";
    const std::vector<std::string> contents = {
        "[PARAM]\r\nCB1=0\r\n",
        "\xEF\xBB\xBF[PARAM]\r\nCB1=0\r\n",
    };
    for (const std::string& content : contents) {
        SCOPED_TRACE(content);
        WriteBytes(ini, content);
        fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_THROW(IFWriteIniStr(ini, u"PARAM", u"CB1", u"1"), IoError);
        EXPECT_THROW(IFWriteIniStr(ini, u"PARAM", u"NEW", u"1"), IoError);
        fs::permissions(dir.path(), fs::perms::owner_all);
        EXPECT_EQ(ReadBytes(ini), content);
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
    }
}

TEST_F(IniFilePermissions, UnreadableFileThrows)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "running as root";
    WriteBytes(ini, "[PARAM]\r\nCB1=0\r\n");
    fs::permissions(ini, fs::perms::none);
    EXPECT_THROW(Read(u"PARAM", u"CB1"), IoError);
    EXPECT_THROW(IFWriteIniStr(ini, u"PARAM", u"CB1", u"1"), IoError);
    fs::permissions(ini, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(ReadBytes(ini), "[PARAM]\r\nCB1=0\r\n");
}

TEST(ClinicKey, TheKeyAndItsFolderAreTheUsersAlone)
{
    TempDir dir;
    // A umask that would leave every file readable to everybody.
    const mode_t previous = ::umask(0);
    CreatePrivateFolder("設定フォルダ", dir / "config" / "plok");
    crypto::ReadOrCreateKeyFile(dir / "config" / "plok" / "plok.key");
    ::umask(previous);
    EXPECT_EQ(fs::status(dir / "config").permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_EQ(fs::status(dir / "config" / "plok").permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_EQ(fs::status(dir / "config" / "plok" / "plok.key").permissions() & fs::perms::all,
        fs::perms::owner_read | fs::perms::owner_write);
}

std::string RefusalOf(const fs::path& file, crypto::Key (*read)(const fs::path&))
{
    try {
        read(file);
    } catch (const FileError& e) {
        EXPECT_EQ(e.file(), file);
        return e.what();
    }
    return "no refusal";
}

TEST(ClinicKey, WhatIsNoFileIsRefusedWithoutOpeningIt)
{
    // Opening a FIFO without a writer would wait for ever; reading a terminal would wait for typing.
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "fifo.key").c_str(), 0600), 0);
    fs::create_directory(dir / "folder.key");
    const std::vector<std::pair<fs::path, std::string>> cases = {
        {dir / "fifo.key", "鍵ファイルではなく、名前付きパイプ（FIFO）です。"},
        {"/dev/null", "鍵ファイルではなく、デバイスです。"},
        {dir / "folder.key", "鍵ファイルではなく、フォルダです。"},
        {dir / "none.key", "鍵ファイルがありません。"},
    };
    for (const auto& [file, reason] : cases) {
        SCOPED_TRACE(file.string());
        EXPECT_EQ(RefusalOf(file, crypto::ReadKeyFile), reason);
        if (file != "/dev/null" && fs::exists(fs::symlink_status(file))) {
            // Whatever stands under the name stays: no key is made in its place.
            EXPECT_EQ(RefusalOf(file, crypto::ReadOrCreateKeyFile), reason);
        }
    }
    EXPECT_TRUE(fs::is_fifo(dir / "fifo.key"));
    EXPECT_TRUE(fs::is_directory(dir / "folder.key"));
    EXPECT_EQ(test::FileCount(dir.path()), 2u);
    // A link to a key is the key.
    WriteBytes(dir / "real.key", std::string(crypto::kKeySize, 'k'));
    fs::create_symlink(dir / "real.key", dir / "link.key");
    EXPECT_EQ(crypto::ReadKeyFile(dir / "link.key"), crypto::ReadKeyFile(dir / "real.key"));
}

TEST(ClinicKey, ExposureNamesWhatOthersMayReach)
{
    struct Case
    {
        fs::perms file;
        fs::perms folder;
        unsigned fileMode;
        bool folderOpen;
    };
    using P = fs::perms;
    const P own = P::owner_read | P::owner_write;
    const std::vector<Case> cases = {
        {own, P::owner_all, 0, false}, {own | P::group_read | P::others_read, P::owner_all, 0644, false},
        {own | P::group_write, P::owner_all, 0620, false},
        {own, P::owner_all | P::group_read | P::group_exec | P::others_read | P::others_exec, 0, true},
        {own | P::group_read, P::owner_all | P::others_exec, 0640, true},
        {own, P::owner_all | P::group_read | P::others_read, 0, false}, // listed, but nobody else may enter it
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(
            std::to_string(static_cast<unsigned>(c.file)) + " in " + std::to_string(static_cast<unsigned>(c.folder)));
        TempDir dir;
        const fs::path folder = dir / "keys";
        fs::create_directory(folder);
        WriteBytes(folder / "plok.key", std::string(crypto::kKeySize, 'k'));
        fs::permissions(folder / "plok.key", c.file);
        fs::permissions(folder, c.folder);
        const crypto::KeyExposure e = crypto::ExposureOf(folder / "plok.key");
        EXPECT_EQ(e.fileMode, c.fileMode);
        EXPECT_EQ(e.folder, c.folderOpen ? folder : fs::path());
        EXPECT_EQ(e.Any(), c.fileMode != 0 || c.folderOpen);
        fs::permissions(folder, P::owner_all);
    }
}

} // namespace
} // namespace plok
