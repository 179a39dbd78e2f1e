#include "win32/Desktop.h"

#include "core/Errors.h"
#include "core/FileNames.h"
#include "core/Folders.h"
#include "win32/Window.h"

#include <knownfolders.h>
#include <shlobj.h>
#include <string>

namespace plok::win32 {

namespace {

/// The known folder `id`, or an empty path when the system cannot give it.
std::filesystem::path KnownFolder(REFKNOWNFOLDERID id)
{
    PWSTR path = nullptr;
    std::filesystem::path folder;
    if (SUCCEEDED(::SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path)) && path)
        folder = path;
    ::CoTaskMemFree(path);
    return folder;
}

std::filesystem::path RequiredFolder(REFKNOWNFOLDERID id, const char* name)
{
    std::filesystem::path folder = KnownFolder(id);
    if (folder.empty())
        throw Error(
            std::string("ユーザーの ") + name + " フォルダが分かりません。Windows のユーザー設定を確かめてください。");
    return folder;
}

} // namespace

std::filesystem::path ExecutableFolder()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    return std::filesystem::path(path).parent_path();
}

Environment DesktopEnvironment()
{
    const std::filesystem::path executableFolder = ExecutableFolder();
    std::optional<Folders> folders = PortableFolders(executableFolder);
    if (!folders)
        folders = InstalledFolders(RequiredFolder(FOLDERID_RoamingAppData, "AppData"),
            RequiredFolder(FOLDERID_LocalAppData, "AppData\\Local"));
    Environment env;
    env.programFolder = folders->workFolder;
    env.settingsFile = folders->settingsFile;
    env.downloads = KnownFolder(FOLDERID_Downloads);
    if (env.downloads.empty()) {
        wchar_t documents[MAX_PATH] = {};
        if (SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents)))
            env.downloads = documents;
    }
    const std::filesystem::path manual = executableFolder / "manual" / "index.html";
    std::error_code ec;
    if (std::filesystem::is_regular_file(manual, ec))
        env.manual = manual;
    return env;
}

SingleInstance::SingleInstance()
    : m_mutex(::CreateMutexW(nullptr, FALSE, L"PlokMutex"))
    , m_first(m_mutex && ::GetLastError() != ERROR_ALREADY_EXISTS)
{ }

SingleInstance::~SingleInstance()
{
    if (m_mutex)
        ::CloseHandle(m_mutex);
}

bool ActivateRunningInstance(DWORD waitMs)
{
    const ULONGLONG until = ::GetTickCount64() + waitMs;
    for (;;) {
        if (const HWND main = ::FindWindowW(Window::kClassName, L"プロク")) {
            DWORD process = 0;
            ::GetWindowThreadProcessId(main, &process);
            // This start is the user's: it may hand the right to come to the front on to the running instance.
            ::AllowSetForegroundWindow(process);
            return ::PostMessageW(main, ActivationMessage(), 0, 0);
        }
        if (::GetTickCount64() >= until)
            return false;
        ::Sleep(100);
    }
}

} // namespace plok::win32
