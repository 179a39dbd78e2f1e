#pragma once

#include "core/Environment.h"
#include "win32/Win32Ui.h"

#include <filesystem>

// The platform services of the Windows desktop program: its folders and its single instance.
namespace plok::win32 {

/// The desktop program's folders (ResolveFolders): portable when a user.ini stands beside the executable (the
/// settings are that file and the outputs wait beside it); otherwise the settings are %APPDATA%\plok\user.ini, beside
/// plok-cli's clinic key, and the work folder is %LOCALAPPDATA%\plok, both created private when missing. Deliveries go
/// to the user's Downloads folder, else Documents, else nowhere; the manual is manual\index.html beside the executable.
/// Throws plok::Error naming the folder when one cannot be created or found.
Environment DesktopEnvironment();

/// One running instance per user session: holds the named mutex "PlokMutex" for as long as the object lives; the
/// system releases it when the process ends, however it ends.
class SingleInstance
{
public:
    SingleInstance();
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    /// False when another instance holds the mutex or it could not be created.
    bool IsFirst() const { return m_first; }

private:
    HANDLE m_mutex = nullptr;
    bool m_first = false;
};

/// Asks the running instance's main window to come to the front, waiting up to `waitMs` for it to appear (the
/// instance may still be starting). False when no main window answered.
bool ActivateRunningInstance(DWORD waitMs);

} // namespace plok::win32
