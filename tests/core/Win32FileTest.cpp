// What only Windows can show: the read-only attribute, a file locked by another program, hidden temporary files,
// Win32 error codes, and the code page tables against the system's own. The POSIX counterparts are in
// PosixFileTest.cpp.
#include "core/AtomicFile.h"
#include "core/Cp932.h"
#include "core/Crypto.h"
#include "core/Errors.h"
#include "core/File.h"
#include "core/TextFile.h"
#include "core/UserFolders.h"
#include "support/TempDir.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#define WIN32_LEAN_AND_MEAN
#include <aclapi.h>
#include <sddl.h>
#include <windows.h>

namespace plok {
namespace {

using test::FileCount;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

std::string What(const std::function<void()>& f)
{
    try {
        f();
    } catch (const IoError& e) {
        return e.what();
    }
    return "no error";
}

/// The entries of the access list of `path` that allow something: "<SID>:<mask>" each.
std::vector<std::wstring> AccessOf(const std::filesystem::path& path)
{
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR sd = nullptr;
    std::vector<std::wstring> access;
    if (::GetNamedSecurityInfoW(
            path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr, &sd)
        != ERROR_SUCCESS)
        return {L"unreadable"};
    for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (!::GetAce(dacl, i, &ace) || static_cast<ACE_HEADER*>(ace)->AceType != ACCESS_ALLOWED_ACE_TYPE)
            continue;
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
        wchar_t* sid = nullptr;
        ::ConvertSidToStringSidW(&allowed->SidStart, &sid);
        access.push_back(std::wstring(sid ? sid : L"?") + L":" + std::to_wstring(allowed->Mask));
        ::LocalFree(sid);
    }
    ::LocalFree(sd);
    return access;
}

TEST(Win32File, APrivateFolderIsTheUsersAndTheSystemsAlone)
{
    TempDir dir;
    const auto folder = dir / "作業" / "plok";
    CreatePrivateFolder("作業フォルダ", folder);
    // No entry for Everyone, Users or Administrators: the system and the user alone.
    for (const auto& created : {folder, folder.parent_path()}) {
        const std::vector<std::wstring> access = AccessOf(created);
        ASSERT_EQ(access.size(), 2u);
        EXPECT_EQ(access[0], L"S-1-5-18:" + std::to_wstring(FILE_ALL_ACCESS));
        EXPECT_EQ(access[1].rfind(L"S-1-5-21-", 0), 0u);
        EXPECT_EQ(access[1].substr(access[1].find(L':')), L":" + std::to_wstring(FILE_ALL_ACCESS));
    }
    // What existed before is left as it was.
    EXPECT_NE(AccessOf(dir.path()), AccessOf(folder));
}

TEST(Win32File, AReadOnlyTargetIsRefusedAndKept)
{
    TempDir dir;
    const auto target = dir / "out.UKE";
    WriteBytes(target, "old");
    ASSERT_TRUE(::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY));
    const std::string what = What([&] { WrtSet(target, {u"new"}); });
    EXPECT_NE(what.find("を作成できません。(アクセスが拒否されました)"), std::string::npos) << what;
    ::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadBytes(target), "old");
    EXPECT_EQ(FileCount(dir.path()), 1u);
}

TEST(Win32File, AFileLockedByAnotherProgramIsReportedAsSuch)
{
    TempDir dir;
    const auto file = dir / "RECEIPTC.UKE";
    WriteBytes(file, "IR,1\r\n");
    // Opened without sharing, as an editor that keeps its file locked.
    const HANDLE lock = ::CreateFileW(
        file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    const std::string reading = What([&] { (void)ReadAll(file); });
    EXPECT_NE(reading.find("を開けません。(ほかのプログラムがファイルを使用しています)"), std::string::npos) << reading;
    const std::string replacing = What([&] { WrtSet(file, {u"new"}); });
    EXPECT_NE(replacing.find("を作成できません。("), std::string::npos) << replacing;
    ::CloseHandle(lock);
    EXPECT_EQ(ReadBytes(file), "IR,1\r\n");
    EXPECT_EQ(FileCount(dir.path()), 1u);
}

TEST(Win32File, ThePendingFileIsHiddenAndTheOutputIsNot)
{
    TempDir dir;
    AtomicFile f(dir.path());
    f.Write("x");
    const std::filesystem::path pending = f.ContentPath();
    EXPECT_EQ(pending.parent_path(), dir.path());
    EXPECT_TRUE(::GetFileAttributesW(pending.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    f.Commit(dir / "out.UKE");
    const DWORD attributes = ::GetFileAttributesW((dir / "out.UKE").c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(attributes & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(FileCount(dir.path()), 1u);
}

TEST(Win32File, AFolderIsNoFile)
{
    TempDir dir;
    const std::string what = What([&] { (void)ReadAll(dir.path()); });
    EXPECT_NE(what.find("を開けません。(フォルダです)"), std::string::npos) << what;
}

TEST(Win32File, ADeviceIsNoKeyFile)
{
    try {
        crypto::ReadKeyFile(L"NUL");
        ADD_FAILURE() << "no refusal";
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()), "鍵ファイルではなく、デバイスです。");
    }
}

TEST(IoError, CommonWindowsCausesAreToldInJapanese)
{
    const std::vector<std::pair<DWORD, std::string>> cases = {
        {ERROR_FILE_NOT_FOUND, "ファイルまたはフォルダがありません"},
        {ERROR_PATH_NOT_FOUND, "ファイルまたはフォルダがありません"},
        {ERROR_ACCESS_DENIED, "アクセスが拒否されました"},
        {ERROR_SHARING_VIOLATION, "ほかのプログラムがファイルを使用しています"},
        {ERROR_LOCK_VIOLATION, "ほかのプログラムがファイルを使用しています"},
        {ERROR_DISK_FULL, "ディスクの空き容量が足りません"},
        {ERROR_HANDLE_DISK_FULL, "ディスクの空き容量が足りません"},
        {ERROR_WRITE_PROTECT, "読み取り専用のドライブです"},
        {ERROR_TOO_MANY_OPEN_FILES, "開いているファイルが多すぎます"},
        {ERROR_CRC, "ドライブの読み書きでエラーが発生しました"},
        {ERROR_NOT_READY, "ドライブの準備ができていません"},
        {ERROR_INVALID_NAME, "ファイル名またはフォルダ名が正しくありません"},
        {ERROR_FILENAME_EXCED_RANGE, "パスが長すぎます"},
        {ERROR_NETNAME_DELETED, "ネットワーク上の場所に接続できません"},
    };
    for (const auto& [code, text] : cases)
        EXPECT_EQ(SystemReasonText(static_cast<int>(code)), text) << code;
    // Any other code gets the system's own text, never an empty one.
    EXPECT_FALSE(SystemReasonText(ERROR_NOT_SAME_DEVICE).empty());
}

/// Code page 932 as this system converts it, where it converts a code to one character and back.
TEST(Cp932, AgreesWithTheSystemWhereBothDefineAMapping)
{
    auto systemDecode = [](const std::string& bytes) -> std::u16string {
        wchar_t out[4];
        const int n
            = ::MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), out, 4);
        return n == 1 ? std::u16string(1, static_cast<char16_t>(out[0])) : std::u16string();
    };
    int compared = 0;
    std::vector<std::string> differences;
    auto compare = [&](const std::string& bytes) {
        const std::u16string system = systemDecode(bytes);
        const std::u16string ours = cp932::Decode(bytes);
        if (system.empty() || ours.size() != 1 || cp932::IsByteEscape(ours[0]))
            return;
        ++compared;
        if (system != ours) {
            char buf[64];
            std::snprintf(buf, sizeof buf, "%s%02X: system U+%04X, ours U+%04X", bytes.size() == 2 ? "" : "  ",
                static_cast<unsigned char>(bytes[0]), static_cast<unsigned>(system[0]), static_cast<unsigned>(ours[0]));
            differences.push_back(buf);
        }
    };
    for (unsigned b = 0x80; b < 0x100; ++b) {
        if (!cp932::IsLeadByte(static_cast<unsigned char>(b))) {
            compare(std::string(1, static_cast<char>(b)));
            continue;
        }
        for (unsigned t = 0x40; t < 0x100; ++t)
            if (cp932::IsTrailByte(static_cast<unsigned char>(t)))
                compare(std::string {static_cast<char>(b), static_cast<char>(t)});
    }
    EXPECT_GT(compared, 9000);
    std::string list;
    for (const std::string& d : differences)
        list += d + "\n";
    EXPECT_TRUE(differences.empty()) << differences.size() << " differences:\n" << list;

    int encoded = 0;
    for (unsigned c = 0x80; c < 0x10000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        const wchar_t w = static_cast<wchar_t>(c);
        char out[4];
        BOOL usedDefault = FALSE;
        const int n = ::WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, &w, 1, out, 4, nullptr, &usedDefault);
        // Where both define a mapping: ours leaves out what ICU's table does (U+0080, for one).
        if (n < 1 || usedDefault || !cp932::CanEncode(std::u16string(1, static_cast<char16_t>(c))))
            continue;
        ++encoded;
        const std::string ours = cp932::Encode(std::u16string(1, static_cast<char16_t>(c)));
        EXPECT_EQ(ours, std::string(out, static_cast<std::size_t>(n))) << std::hex << c;
        if (HasFailure())
            break;
    }
    EXPECT_GT(encoded, 9000);
}

} // namespace
} // namespace plok
