#include "win32/Desktop.h"

#include "core/UserFolders.h"
#include "core/win32/KnownFolder.h"
#include "win32/Window.h"

#include <knownfolders.h>

namespace plok::win32 {

Environment DesktopEnvironment()
{
    const std::filesystem::path executableFolder = ExecutableFolder();
    const Folders folders = ResolveFolders(executableFolder, UserDirs::FromEnvironment());
    Environment env;
    env.programFolder = folders.workFolder;
    env.settingsFile = folders.settingsFile;
    env.downloads = DeliveryFolder(KnownFolder(FOLDERID_Downloads), KnownFolder(FOLDERID_Documents));
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
