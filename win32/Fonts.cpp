#include "win32/Window.h"
#include "win32/WindowParts.h"

namespace plok::win32 {

const std::wstring& UiFontFace()
{
    static const std::wstring face = [] {
        const HDC dc = ::GetDC(nullptr);
        std::wstring found;
        for (const wchar_t* candidate : {L"MS UI Gothic", L"Yu Gothic UI", L"Meiryo UI"}) {
            LOGFONTW query {};
            query.lfCharSet = DEFAULT_CHARSET;
            ::wcsncpy(query.lfFaceName, candidate, LF_FACESIZE - 1);
            bool exists = false;
            ::EnumFontFamiliesExW(
                dc, &query,
                [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM flag) -> int {
                    *reinterpret_cast<bool*>(flag) = true;
                    return 0;
                },
                reinterpret_cast<LPARAM>(&exists), 0);
            if (exists) {
                found = candidate;
                break;
            }
        }
        ::ReleaseDC(nullptr, dc);
        if (found.empty()) {
            NONCLIENTMETRICSW metrics {};
            metrics.cbSize = sizeof metrics;
            ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
            found = metrics.lfMessageFont.lfFaceName;
        }
        return found;
    }();
    return face;
}

HFONT Window::Font(int pointSize)
{
    const int size = pointSize > 0 ? pointSize : m_layout.pointSize;
    if (const auto it = m_fonts.find(size); it != m_fonts.end())
        return it->second;
    LOGFONTW lf {};
    lf.lfHeight = -::MulDiv(size, m_dpi, 72);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = CLEARTYPE_QUALITY;
    ::wcsncpy(lf.lfFaceName, UiFontFace().c_str(), LF_FACESIZE - 1);
    const HFONT font = ::CreateFontIndirectW(&lf);
    m_fonts[size] = font;
    return font;
}

HFONT Window::FontOf(const ControlId& control) const
{
    return reinterpret_cast<HFONT>(::SendMessageW(Find(control).hwnd, WM_GETFONT, 0, 0));
}

} // namespace plok::win32
