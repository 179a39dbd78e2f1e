#include "win32/Window.h"

#include <commctrl.h>
#include <shellapi.h>

namespace plok::win32 {

void Window::OnDrop(const ControlId& edit, std::function<void(const std::u16string&)> handler)
{
    ControlState& c = Find(edit);
    c.drop = std::move(handler);
    ::DragAcceptFiles(c.hwnd, TRUE);
    ::SetWindowSubclass(c.hwnd, &Window::DropProcedure, 1, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK Window::DropProcedure(
    HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) noexcept
{
    if (message != WM_DROPFILES)
        return ::DefSubclassProc(hwnd, message, wParam, lParam);
    auto* self = reinterpret_cast<Window*>(data);
    const auto drop = reinterpret_cast<HDROP>(wParam);
    std::wstring file;
    if (::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) > 0) {
        const UINT length = ::DragQueryFileW(drop, 0, nullptr, 0);
        file.resize(length + 1);
        file.resize(::DragQueryFileW(drop, 0, file.data(), length + 1));
    }
    ::DragFinish(drop);
    try {
        for (ControlState& c : self->m_controls)
            if (c.hwnd == hwnd && c.drop && !file.empty())
                self->Run([&] { c.drop(U(file)); }, true);
    } catch (...) { }
    return 0;
}

} // namespace plok::win32
