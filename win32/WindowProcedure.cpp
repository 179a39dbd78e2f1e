#include "win32/Window.h"
#include "win32/WindowParts.h"

#include <algorithm>
#include <commctrl.h>

namespace plok::win32 {

void Window::Command(int id, int code)
{
    if (m_setting || id < kFirstControlId || id - kFirstControlId >= static_cast<int>(m_controls.size()))
        return;
    ControlState& c = m_controls[static_cast<std::size_t>(id - kFirstControlId)];
    switch (c.layout->kind) {
    case ControlKind::PushButton:
        if (code != BN_CLICKED)
            return;
        if (m_closeButton && c.layout->id == *m_closeButton)
            Close();
        else if (c.click)
            Run(c.click, true);
        return;
    case ControlKind::CheckBox:
        if (code == BN_CLICKED && c.click)
            Run(c.click, true);
        return;
    case ControlKind::Edit:
        if (code == EN_CHANGE && c.edit) {
            const int length = ::GetWindowTextLengthW(c.hwnd);
            std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
            text.resize(static_cast<std::size_t>(::GetWindowTextW(c.hwnd, text.data(), length + 1)));
            Run([&] { c.edit(U(text)); }, false);
        }
        return;
    case ControlKind::ComboBox: {
        int index = -1;
        if (code == CBN_SELCHANGE) {
            index = static_cast<int>(::SendMessageW(c.hwnd, CB_GETCURSEL, 0, 0));
        } else if (code == CBN_EDITCHANGE) {
            const int length = ::GetWindowTextLengthW(c.hwnd);
            std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
            text.resize(static_cast<std::size_t>(::GetWindowTextW(c.hwnd, text.data(), length + 1)));
            for (std::size_t i = 0; i < c.layout->items.size(); ++i)
                if (text == c.layout->items[i])
                    index = static_cast<int>(i);
        } else {
            return;
        }
        if (index == c.chosen)
            return;
        c.chosen = index;
        if (c.choose)
            Run([&] { c.choose(index); }, false);
        return;
    }
    case ControlKind::RadioButton: {
        if (code != BN_CLICKED || ::SendMessageW(c.hwnd, BM_GETCHECK, 0, 0) != BST_CHECKED)
            return;
        ControlState& group = FindNamed(c.layout->group);
        if (group.chosen == c.layout->item)
            return;
        group.chosen = c.layout->item;
        TabStopOnChosen(group);
        if (group.choose)
            Run([&] { group.choose(c.layout->item); }, false);
        return;
    }
    default:
        return;
    }
}

LRESULT Window::Handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == ActivationMessage() && !m_owner) {
        Activate();
        return 0;
    }
    switch (message) {
    case WM_ENDSESSION:
        // Logging off or shutting down ends the program without closing its windows: the settings are saved as the
        // close button saves them.
        if (wParam && !m_owner && m_onClose && !m_closing) {
            m_closing = true;
            Run(m_onClose, false);
        }
        return 0;
    case WM_COMMAND:
        if (lParam == 0 && LOWORD(wParam) == IDCANCEL && m_owner) {
            // Escape closes a child window, as its close button does.
            Close();
            return 0;
        }
        if (lParam != 0)
            Command(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_CLOSE:
        if (m_closing)
            return 0;
        m_closing = true;
        if (m_onClose)
            Run(m_onClose, false);
        // The owner takes input again before this window goes, so that it, not another program, becomes active.
        if (m_owner)
            ::EnableWindow(m_owner, TRUE);
        ::DestroyWindow(m_hwnd);
        if (m_owner)
            ModalChanged();
        return 0;
    case WM_DESTROY:
        if (!m_owner)
            ::PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY: {
        const HWND hwnd = m_hwnd;
        Destroyed();
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
    case WM_ACTIVATE:
        // The focus comes back to where it was when the window is activated again (after a box or a child window).
        if (LOWORD(wParam) == WA_INACTIVE) {
            m_focus = ::GetFocus();
        } else if (m_focus && ::IsWindow(m_focus) && ::IsChild(m_hwnd, m_focus)) {
            ::SetFocus(m_focus);
            return 0;
        }
        break;
    case WM_SETCURSOR:
        if (const HCURSOR cursor = CursorScope::Current(); cursor && LOWORD(lParam) == HTCLIENT) {
            ::SetCursor(cursor);
            return TRUE;
        }
        break;
    case WM_GETMINMAXINFO: {
        // Never smaller than the layout: every control stays in view. The frame as drawn, which need not be the one
        // the system computes for the dpi.
        RECT frame {};
        RECT client {};
        ::GetWindowRect(m_hwnd, &frame);
        ::GetClientRect(m_hwnd, &client);
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        limits->ptMinTrackSize = {Scale(m_layout.width + m_grown.cx, m_dpi) + (frame.right - frame.left) - client.right,
            Scale(m_layout.height + m_grown.cy, m_dpi) + (frame.bottom - frame.top) - client.bottom};
        return 0;
    }
    case WM_SIZE:
        for (ControlState& c : m_controls)
            if (IsCentred(c))
                Place(c);
        return 0;
    case WM_DPICHANGED: {
        RECT before {};
        ::GetClientRect(m_hwnd, &before);
        const int from = m_dpi;
        ApplyDpi(HIWORD(wParam));
        Refit();
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        ::SetWindowPos(m_hwnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
            suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        // The client area scales with the dpi, also where the frame the system suggests is not the frame it draws.
        RECT after {};
        ::GetClientRect(m_hwnd, &after);
        const int dx = ::MulDiv(before.right, m_dpi, from) - after.right;
        const int dy = ::MulDiv(before.bottom, m_dpi, from) - after.bottom;
        if (dx != 0 || dy != 0)
            ::SetWindowPos(m_hwnd, nullptr, 0, 0, suggested->right - suggested->left + dx,
                suggested->bottom - suggested->top + dy, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
        return 0;
    }
    default:
        break;
    }
    return ::DefWindowProcW(m_hwnd, message, wParam, lParam);
}

LRESULT CALLBACK Window::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    if (message == WM_NCCREATE) {
        auto* created = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        created->m_hwnd = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
    }
    auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self || self->m_hwnd != hwnd)
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    // The handlers run through the guard; this is the last line for the window's own code, so that nothing ever
    // unwinds through the system's frames.
    try {
        return self->Handle(message, wParam, lParam);
    } catch (...) {
        try {
            self->m_prompts.Error(u"予期しないエラーが発生しました。");
        } catch (...) { }
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

} // namespace plok::win32
