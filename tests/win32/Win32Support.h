#pragma once

#include "support/WindowFixture.h"
#include "win32/Views.h"
#include "win32/Window.h"

#include <functional>
#include <string>
#include <vector>

namespace plok::test {

/// The Win32 windows of the layout table, each with a constructor of its view: what the tests go through.
class Win32Fixture : public WindowFixture
{
protected:
    /// Moves `window` to `dpi` as Windows does when it is dragged onto a monitor of that dpi: the client area is
    /// scaled, the frame is that of the new dpi.
    static void MoveToDpi(win32::Window& window, int dpi)
    {
        RECT frame {};
        ::GetWindowRect(window.hwnd(), &frame);
        RECT client {};
        ::GetClientRect(window.hwnd(), &client);
        const int from = window.dpi();
        RECT suggested {0, 0, ::MulDiv(client.right, dpi, from), ::MulDiv(client.bottom, dpi, from)};
        ::AdjustWindowRectExForDpi(&suggested, static_cast<DWORD>(::GetWindowLongPtrW(window.hwnd(), GWL_STYLE)), FALSE,
            static_cast<DWORD>(::GetWindowLongPtrW(window.hwnd(), GWL_EXSTYLE)), static_cast<UINT>(dpi));
        ::OffsetRect(&suggested, frame.left - suggested.left, frame.top - suggested.top);
        ::SendMessageW(window.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    }

    /// The client rectangle of the control in its window's client coordinates.
    static RECT Where(win32::Window& window, const ControlId& control)
    {
        RECT r {};
        ::GetWindowRect(window.Hwnd(control), &r);
        ::MapWindowPoints(nullptr, window.hwnd(), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    /// Shows `window` modally, runs `check` once it is shown (its FormShow has run), then closes it.
    static void WhileShown(win32::Window& window, std::function<void()> check)
    {
        static std::function<void()> pending;
        pending = [&window, check = std::move(check)] {
            check();
            window.Close();
        };
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR id, DWORD) {
            ::KillTimer(nullptr, id);
            if (auto run = std::exchange(pending, nullptr))
                run();
        });
        window.DspSet();
        ::KillTimer(nullptr, timer);
        pending = nullptr;
    }
};

using win32::U;

/// Whether the control is shown (in a window that may itself not be).
inline bool IsShown(HWND control)
{
    return (::GetWindowLongPtrW(control, GWL_STYLE) & WS_VISIBLE) != 0;
}

/// The text of a window or control.
inline std::wstring TextOf(HWND control)
{
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

} // namespace plok::test
