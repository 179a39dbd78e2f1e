#include "present/WindowRules.h"
#include "win32/Resources.h"
#include "win32/Window.h"
#include "win32/WindowParts.h"

#include <algorithm>
#include <commctrl.h>

namespace plok::win32 {

void Window::ApplyDpi(int dpi)
{
    m_dpi = dpi > 0 ? dpi : 96;
    std::map<int, HFONT> old;
    old.swap(m_fonts);
    LoadCloseGlyph();
    for (ControlState& c : m_controls) {
        ::SendMessageW(c.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(Font(c.layout->pointSize)), FALSE);
        Place(c);
    }
    for (const auto& [size, font] : old)
        ::DeleteObject(font);
    ::InvalidateRect(m_hwnd, nullptr, TRUE);
}

void Window::LoadCloseGlyph()
{
    if (!m_closeButton)
        return;
    const HICON previous = m_closeGlyph;
    const int glyph = Scale(12, m_dpi);
    m_closeGlyph = static_cast<HICON>(::LoadImageW(
        ::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kCloseGlyph), IMAGE_ICON, glyph, glyph, LR_DEFAULTCOLOR));
    ::SendMessageW(Hwnd(*m_closeButton), BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(m_closeGlyph));
    if (previous)
        ::DestroyIcon(previous);
}

void Window::Place(ControlState& c)
{
    DesignRect r = c.layout->id.rect();
    if (c.wrapWidth > 0) {
        r.width = c.wrapWidth;
        r.height += m_grown.cy;
    } else if (m_grown.cy > 0 && r.y >= m_grownBelow) {
        r.y += m_grown.cy;
    }
    int x = Scale(r.x, m_dpi);
    int width = Scale(r.width, m_dpi);
    const int height = Scale(r.height, m_dpi);
    if (IsCentred(c)) {
        RECT client {};
        ::GetClientRect(m_hwnd, &client);
        x = rules::KeptCentredX(x, Scale(m_layout.width, m_dpi), client.right);
    }
    if (c.layout->kind == ControlKind::Label && !c.text.empty() && c.wrapWidth == 0) {
        // A label grows to its one line of text, as the labels of the layout tables do; never below its design width.
        const HDC dc = ::GetDC(c.hwnd);
        const HGDIOBJ previous = ::SelectObject(dc, Font(c.layout->pointSize));
        SIZE extent {};
        ::GetTextExtentPoint32W(dc, c.text.c_str(), static_cast<int>(c.text.size()), &extent);
        ::SelectObject(dc, previous);
        ::ReleaseDC(c.hwnd, dc);
        width = rules::LabelWidth(width, extent.cx + 1);
    }
    if (c.layout->kind == ControlKind::ComboBox) {
        // The height given to a combo box is its list's; the field's own height follows its item height.
        ::SetWindowPos(
            c.hwnd, nullptr, x, Scale(r.y, m_dpi), width, height + Scale(160, m_dpi), SWP_NOZORDER | SWP_NOACTIVATE);
        for (int attempt = 0; attempt < 2; ++attempt) {
            RECT field {};
            ::GetWindowRect(c.hwnd, &field);
            const auto item = static_cast<int>(::SendMessageW(c.hwnd, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
            const int wanted = item + height - (field.bottom - field.top);
            if (wanted == item || wanted <= 0)
                break;
            ::SendMessageW(c.hwnd, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), wanted);
        }
        return;
    }
    ::SetWindowPos(c.hwnd, nullptr, x, Scale(r.y, m_dpi), width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

SIZE Window::FrameSize() const
{
    RECT frame {0, 0, Scale(m_layout.width + m_grown.cx, m_dpi), Scale(m_layout.height + m_grown.cy, m_dpi)};
    ::AdjustWindowRectExForDpi(
        &frame, kStyle, FALSE, static_cast<DWORD>(::GetWindowLongPtrW(m_hwnd, GWL_EXSTYLE)), static_cast<UINT>(m_dpi));
    return {frame.right - frame.left, frame.bottom - frame.top};
}

void Window::SizeToLayout()
{
    const SIZE frame = FrameSize();
    ::SetWindowPos(m_hwnd, nullptr, 0, 0, frame.cx, frame.cy, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
}

void Window::CentreOnMonitor()
{
    RECT frame {};
    ::GetWindowRect(m_hwnd, &frame);
    MONITORINFO info {};
    info.cbSize = sizeof info;
    ::GetMonitorInfoW(::MonitorFromWindow(m_hwnd, MONITOR_DEFAULTTOPRIMARY), &info);
    const RECT& work = info.rcWork;
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    ::SetWindowPos(m_hwnd, nullptr, rules::Centred(work.left, work.right - work.left, width),
        rules::Centred(work.top, work.bottom - work.top, height), 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
}

} // namespace plok::win32
