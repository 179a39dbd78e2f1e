#include "present/WindowRules.h"
#include "win32/Window.h"
#include "win32/WindowParts.h"

namespace plok::win32 {

void Window::FitText(const ControlId& label)
{
    m_fitted = Find(label).layout->id;
    Refit();
    SizeToLayout();
}

void Window::Refit()
{
    if (!m_fitted)
        return;
    ControlState& c = Find(*m_fitted);
    const DesignRect& r = c.layout->id.rect();
    MONITORINFO info {};
    info.cbSize = sizeof info;
    ::GetMonitorInfoW(::MonitorFromWindow(m_hwnd, MONITOR_DEFAULTTOPRIMARY), &info);
    // Measured at the dpi the text is drawn at (text does not scale exactly), in design pixels rounded up.
    const auto design = [this](int pixels) { return (pixels * 96 + m_dpi - 1) / m_dpi; };
    const HDC dc = ::GetDC(m_hwnd);
    const HGDIOBJ previous = ::SelectObject(dc, Font(c.layout->pointSize));
    RECT line {0, 0, 0, 0};
    ::DrawTextW(dc, c.text.c_str(), static_cast<int>(c.text.size()), &line, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    const rules::MessageFit fit = rules::FitMessage({m_layout.width, m_layout.height}, r, design(line.right) + 1,
        rules::WidestMessage(info.rcWork.right - info.rcWork.left, m_dpi), [&](int width) {
            RECT wrapped {0, 0, Scale(width, m_dpi), 0};
            ::DrawTextW(dc, c.text.c_str(), static_cast<int>(c.text.size()), &wrapped,
                DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
            return design(wrapped.bottom);
        });
    ::SelectObject(dc, previous);
    ::ReleaseDC(m_hwnd, dc);
    c.wrapWidth = fit.wrapped ? fit.labelWidth : 0;
    m_grown = {fit.width - m_layout.width, fit.grownBy};
    m_grownBelow = r.y + r.height;
    // A label draws one line, centred, until it has to wrap.
    const auto style = static_cast<DWORD>(::GetWindowLongPtrW(c.hwnd, GWL_STYLE));
    ::SetWindowLongPtrW(c.hwnd, GWL_STYLE,
        static_cast<LONG_PTR>(c.wrapWidth > 0 ? (style & ~DWORD(SS_CENTERIMAGE)) : (style | SS_CENTERIMAGE)));
    for (ControlState& each : m_controls)
        Place(each);
}

} // namespace plok::win32
