#include "win32/Window.h"

#include <commctrl.h>
#include <shellapi.h>

namespace plok::win32 {

void Window::OnDrop(const ControlId& edit, std::function<void(const std::vector<std::u16string>&)> handler)
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
    std::vector<std::u16string> files;
    const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = ::DragQueryFileW(drop, i, nullptr, 0);
        std::wstring file(length + 1, L'\0');
        file.resize(::DragQueryFileW(drop, i, file.data(), length + 1));
        if (!file.empty())
            files.push_back(U(file));
    }
    ::DragFinish(drop);
    try {
        for (ControlState& c : self->m_controls)
            if (c.hwnd == hwnd && c.drop && !files.empty())
                self->Run([&] { c.drop(files); }, true);
    } catch (...) { }
    return 0;
}

} // namespace plok::win32
