#include "win32/Window.h"
#include "win32/WindowParts.h"

namespace plok::win32 {

void Dispatch(MSG& msg, HWND window)
{
    // Enter presses the focused push button, as Space does; no button is a default button that Enter would press
    // from an edit field.
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN && window && ::IsChild(window, msg.hwnd)
        && (::SendMessageW(msg.hwnd, WM_GETDLGCODE, 0, 0) & (DLGC_UNDEFPUSHBUTTON | DLGC_DEFPUSHBUTTON)) != 0) {
        ::SendMessageW(msg.hwnd, BM_CLICK, 0, 0);
        return;
    }
    if (window && ::IsDialogMessageW(window, &msg))
        return;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
}

bool PumpOne(HWND window)
{
    MSG msg;
    const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
        ::PostQuitMessage(static_cast<int>(msg.wParam));
        return false;
    }
    if (got < 0)
        return false;
    Dispatch(msg, window);
    return true;
}

UINT ActivationMessage()
{
    static const UINT message = ::RegisterWindowMessageW(L"PlokActivate");
    return message;
}

void ProcessQueued(HWND window)
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        Dispatch(msg, window);
    }
}

int RunEventLoop(HWND main)
{
    while (PumpOne(main)) { }
    MSG quit;
    return ::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) ? static_cast<int>(quit.wParam) : 0;
}

} // namespace plok::win32
