#include "core/Text.h"
#include "win32/Desktop.h"
#include "win32/Views.h"
#include "win32/Win32Prompts.h"

#include <commctrl.h>
#include <exception>
#include <objbase.h>
#include <optional>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show)
{
    using namespace plok;
    // Before any window: a second start shows nothing of its own; it only brings the running instance to the front.
    const win32::SingleInstance instance;
    if (!instance.IsFirst()) {
        win32::ActivateRunningInstance(3000);
        return 0;
    }
    // The folder browser and the shell's dialogs need COM in the window thread.
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    INITCOMMONCONTROLSEX controls {sizeof controls, ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);

    // The second click of a double-click that opened or closed a window reaches no window.
    const win32::ClickGateScope gate(std::chrono::milliseconds(::GetDoubleClickTime()));
    win32::Win32Prompts prompts;
    std::optional<Environment> env;
    std::optional<win32::TfrmMain> main;
    try {
        env = win32::DesktopEnvironment();
        main.emplace(*env, prompts);
    } catch (const std::exception& e) {
        prompts.Error(FromUtf8(e.what()));
        return 1;
    }
    main->window().Show(show);
    const int status = win32::RunEventLoop(main->window().hwnd());
    main.reset();
    ::CoUninitialize();
    return status;
}
