#include "win32/Window.h"

#include "present/ClickGate.h"
#include "win32/Resources.h"

#include <algorithm>
#include <commctrl.h>
#include <imm.h>
#include <memory>
#include <shellapi.h>
#include <stdexcept>
#include <utility>

namespace plok::win32 {

namespace {

constexpr int kFirstControlId = 100; // below are IDOK and IDCANCEL, which the dialog manager sends on its own

std::vector<HCURSOR>& Cursors()
{
    static std::vector<HCURSOR> cursors;
    return cursors;
}

// The open windows that boxes belong to: the main window at the bottom, the modal windows above it.
std::vector<HWND>& Owners()
{
    static std::vector<HWND> owners;
    return owners;
}

struct Gate
{
    ClickGate gate;
    HHOOK hook = nullptr;
};

Gate*& CurrentGate()
{
    static Gate* gate = nullptr;
    return gate;
}

bool IsPress(const MSG& msg)
{
    switch (msg.message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_XBUTTONDOWN:
    case WM_XBUTTONDBLCLK:
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONDBLCLK:
    case WM_NCMBUTTONDOWN:
    case WM_NCMBUTTONDBLCLK:
    case WM_NCXBUTTONDOWN:
    case WM_NCXBUTTONDBLCLK:
        return true;
    case WM_KEYDOWN:
        return msg.wParam == VK_RETURN || msg.wParam == VK_SPACE;
    default:
        return false;
    }
}

// Sees every message this thread takes from its queue, in our loop as in the loops of MessageBoxW and the common
// dialogs; a message held back becomes WM_NULL, which nobody handles.
LRESULT CALLBACK GateHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        auto& msg = *reinterpret_cast<MSG*>(lParam);
        const bool repeat = msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN && (msg.lParam & (1L << 30)) != 0;
        if (const Gate* g = CurrentGate(); g && (repeat || (IsPress(msg) && !g->gate.Admits(ClickGate::Clock::now()))))
            msg.message = WM_NULL;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

/// Hands `msg` on, with the dialog keys of `window` (Tab, the arrow keys within a radio group, mnemonics, Enter and
/// Space on push buttons).
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

/// Waits for one message and hands it on. False when the program is to end.
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

/// The UI font the layout tables were drawn in, else the nearest one this Windows has: Japanese Windows has MS UI
/// Gothic; an English Windows may lack the Japanese supplemental fonts.
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

} // namespace

void Window::RegisterWindowClass()
{
    static const bool registered = [] {
        WNDCLASSEXW wc {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &Window::Procedure;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = Window::kClassName;
        wc.hIcon = static_cast<HICON>(::LoadImageW(wc.hInstance, MAKEINTRESOURCEW(kAppIcon), IMAGE_ICON,
            ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR));
        wc.hIconSm = static_cast<HICON>(::LoadImageW(wc.hInstance, MAKEINTRESOURCEW(kAppIcon), IMAGE_ICON,
            ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
        return ::RegisterClassExW(&wc) != 0;
    }();
    if (!registered)
        throw std::runtime_error("RegisterClassExW failed");
}

namespace {

// Not WS_CLIPCHILDREN: a group box draws no background of its own, the window beneath it does.
constexpr DWORD kStyle = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;

} // namespace

CursorScope::CursorScope(const wchar_t* cursor)
{
    Cursors().push_back(::LoadCursorW(nullptr, cursor));
    ::SetCursor(Cursors().back());
}

CursorScope::~CursorScope()
{
    Cursors().pop_back();
    ::SetCursor(Cursors().empty() ? ::LoadCursorW(nullptr, IDC_ARROW) : Cursors().back());
}

HCURSOR CursorScope::Current()
{
    return Cursors().empty() ? nullptr : Cursors().back();
}

ClickGateScope::ClickGateScope(std::chrono::milliseconds quiet)
{
    auto gate = std::make_unique<Gate>(Gate {ClickGate(quiet)});
    gate->hook = ::SetWindowsHookExW(WH_GETMESSAGE, &GateHook, nullptr, ::GetCurrentThreadId());
    if (!gate->hook)
        throw std::runtime_error("SetWindowsHookExW failed");
    CurrentGate() = gate.release();
}

ClickGateScope::~ClickGateScope()
{
    Gate* gate = std::exchange(CurrentGate(), nullptr);
    ::UnhookWindowsHookEx(gate->hook);
    delete gate;
}

void ModalChanged()
{
    if (Gate* g = CurrentGate())
        g->gate.ModalChanged(ClickGate::Clock::now());
}

HWND ActiveOwner()
{
    return Owners().empty() ? nullptr : Owners().back();
}

Window::Window(const WindowLayout& layout, Prompts& prompts, HWND owner, const char* closeButton)
    : m_layout(layout)
    , m_prompts(prompts)
    , m_owner(owner)
    , m_closeButton(closeButton)
{
    RegisterWindowClass();
    // Created on the monitor it will be shown on, so that it is told that monitor's dpi from the start.
    HMONITOR monitor = ::MonitorFromWindow(owner ? owner : ::GetForegroundWindow(), MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info {};
    info.cbSize = sizeof info;
    ::GetMonitorInfoW(monitor, &info);
    ::CreateWindowExW(owner ? WS_EX_DLGMODALFRAME : 0, kClassName, layout.caption, kStyle, info.rcWork.left,
        info.rcWork.top, 100, 100, owner, nullptr, ::GetModuleHandleW(nullptr), this);
    if (!m_hwnd)
        throw std::runtime_error("CreateWindowExW failed");
    if (owner) {
        // Without the frame's icon, as a dialog: the main window alone shows the program's icon.
        ::SendMessageW(m_hwnd, WM_SETICON, ICON_SMALL, 0);
        ::SendMessageW(m_hwnd, WM_SETICON, ICON_BIG, 0);
    }
    CreateControls();
    ApplyDpi(static_cast<int>(::GetDpiForWindow(m_hwnd)));
    SizeToLayout();
}

Window::~Window()
{
    if (m_hwnd) {
        ::SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
        ::DestroyWindow(m_hwnd);
    }
    for (const auto& [size, font] : m_fonts)
        ::DeleteObject(font);
    if (m_closeGlyph)
        ::DestroyIcon(m_closeGlyph);
}

void Window::CreateControls()
{
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    m_controls.reserve(m_layout.controls.size());
    for (const ControlLayout& layout : m_layout.controls) {
        ControlState c;
        c.layout = &layout;
        c.id = kFirstControlId + static_cast<int>(m_controls.size());
        const wchar_t* cls = WC_BUTTONW;
        DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
        DWORD exStyle = 0;
        switch (layout.kind) {
        case ControlKind::PushButton:
            style |= BS_PUSHBUTTON;
            break;
        case ControlKind::CheckBox:
            style |= BS_AUTOCHECKBOX;
            break;
        case ControlKind::RadioButton:
            style |= BS_AUTORADIOBUTTON;
            break;
        case ControlKind::GroupBox:
            style |= BS_GROUPBOX;
            break;
        case ControlKind::Label:
            cls = WC_STATICW;
            // One line, centred vertically as a Qt label is; "&" is a character like any other.
            style |= SS_NOPREFIX | SS_CENTERIMAGE
                | (layout.align == Align::Center       ? SS_CENTER
                        : layout.align == Align::Right ? SS_RIGHT
                                                       : SS_LEFT);
            break;
        case ControlKind::Edit:
            cls = WC_EDITW;
            style |= ES_AUTOHSCROLL | (layout.readOnly ? ES_READONLY : 0);
            exStyle |= WS_EX_CLIENTEDGE;
            break;
        case ControlKind::Memo:
            cls = WC_EDITW;
            style |= ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL | (layout.wrap ? 0 : ES_AUTOHSCROLL | WS_HSCROLL)
                | (layout.readOnly ? ES_READONLY : 0);
            exStyle |= WS_EX_CLIENTEDGE;
            break;
        case ControlKind::ComboBox:
            cls = WC_COMBOBOXW;
            style |= (layout.editable ? CBS_DROPDOWN | CBS_AUTOHSCROLL : CBS_DROPDOWNLIST) | WS_VSCROLL;
            break;
        }
        if (layout.tabOrder >= 0)
            style |= WS_TABSTOP;
        // Each control is a group of its own for the arrow keys, except the items of one radio group after its first.
        if (layout.kind != ControlKind::RadioButton || layout.item == 0)
            style |= WS_GROUP;
        if (layout.visible)
            style |= WS_VISIBLE;
        c.hwnd = ::CreateWindowExW(exStyle, cls, layout.kind == ControlKind::ComboBox ? L"" : layout.text, style, 0, 0,
            10, 10, m_hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance, nullptr);
        if (!c.hwnd)
            throw std::runtime_error(std::string("cannot create control ") + layout.name);
        for (const wchar_t* item : layout.items)
            ::SendMessageW(c.hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        if (layout.checked) {
            ::SendMessageW(c.hwnd, BM_SETCHECK, BST_CHECKED, 0);
        }
        if (layout.kind == ControlKind::ComboBox && layout.editable) {
            // The removal mode is typed in plain keys: no input method composes text into it.
            ::ImmAssociateContextEx(c.hwnd, nullptr, IACE_CHILDREN);
        }
        m_controls.push_back(std::move(c));
    }
    // A radio group knows its item from the start: the one its layout checks.
    for (ControlState& c : m_controls)
        if (c.layout->kind == ControlKind::RadioButton && c.layout->checked)
            Find(c.layout->group).chosen = c.layout->item;
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

HFONT Window::FontOf(std::string_view name) const
{
    return reinterpret_cast<HFONT>(::SendMessageW(Find(name).hwnd, WM_GETFONT, 0, 0));
}

void Window::ApplyDpi(int dpi)
{
    m_dpi = dpi > 0 ? dpi : 96;
    std::map<int, HFONT> old;
    old.swap(m_fonts);
    if (m_closeButton) {
        const HICON previous = m_closeGlyph;
        const int glyph = Scale(12, m_dpi);
        m_closeGlyph = static_cast<HICON>(::LoadImageW(
            ::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kCloseGlyph), IMAGE_ICON, glyph, glyph, LR_DEFAULTCOLOR));
        ::SendMessageW(Control(m_closeButton), BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(m_closeGlyph));
        if (previous)
            ::DestroyIcon(previous);
    }
    for (ControlState& c : m_controls) {
        ::SendMessageW(c.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(Font(c.layout->pointSize)), FALSE);
        Place(c);
    }
    for (const auto& [size, font] : old)
        ::DeleteObject(font);
    ::InvalidateRect(m_hwnd, nullptr, TRUE);
}

void Window::Place(ControlState& c)
{
    DesignRect r = c.layout->rect;
    if (c.wrapWidth > 0) {
        r.width = c.wrapWidth;
        r.height += m_grown.cy;
    } else if (m_grown.cy > 0 && r.y >= m_grownBelow) {
        r.y += m_grown.cy;
    }
    int x = Scale(r.x, m_dpi);
    int width = Scale(r.width, m_dpi);
    const int height = Scale(r.height, m_dpi);
    const char* anchor = c.layout->group[0] ? c.layout->group : c.layout->name;
    if (std::find(m_centred.begin(), m_centred.end(), anchor) != m_centred.end()) {
        RECT client {};
        ::GetClientRect(m_hwnd, &client);
        x += (client.right - Scale(m_layout.width, m_dpi)) / 2;
    }
    if (c.layout->kind == ControlKind::Label && !c.text.empty() && c.wrapWidth == 0) {
        // A label grows to its one line of text, as the labels of the layout tables do; never below its design width.
        const HDC dc = ::GetDC(c.hwnd);
        const HGDIOBJ previous = ::SelectObject(dc, Font(c.layout->pointSize));
        SIZE extent {};
        ::GetTextExtentPoint32W(dc, c.text.c_str(), static_cast<int>(c.text.size()), &extent);
        ::SelectObject(dc, previous);
        ::ReleaseDC(c.hwnd, dc);
        width = std::max<int>(width, extent.cx + 1);
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

void Window::FitText(std::string_view label)
{
    m_fitted = Find(label).layout->name;
    Refit();
    SizeToLayout();
}

void Window::Refit()
{
    if (m_fitted.empty())
        return;
    ControlState& c = Find(m_fitted);
    const DesignRect& r = c.layout->rect;
    const int margin = r.x;
    MONITORINFO info {};
    info.cbSize = sizeof info;
    ::GetMonitorInfoW(::MonitorFromWindow(m_hwnd, MONITOR_DEFAULTTOPRIMARY), &info);
    const int widest = std::max(m_layout.width, ::MulDiv(info.rcWork.right - info.rcWork.left, 96 * 9, m_dpi * 10));
    // Measured at the dpi the text is drawn at (text does not scale exactly), in design pixels rounded up.
    const auto design = [this](int pixels) { return (pixels * 96 + m_dpi - 1) / m_dpi; };
    const HDC dc = ::GetDC(m_hwnd);
    const HGDIOBJ previous = ::SelectObject(dc, Font(c.layout->pointSize));
    RECT line {0, 0, 0, 0};
    ::DrawTextW(dc, c.text.c_str(), static_cast<int>(c.text.size()), &line, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    const int needed = margin + design(line.right) + 1 + margin;
    c.wrapWidth = 0;
    m_grown = {std::clamp(needed, m_layout.width, widest) - m_layout.width, 0};
    if (needed > widest) {
        c.wrapWidth = widest - 2 * margin;
        RECT wrapped {0, 0, Scale(c.wrapWidth, m_dpi), 0};
        ::DrawTextW(
            dc, c.text.c_str(), static_cast<int>(c.text.size()), &wrapped, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        m_grown.cy = std::max(0, design(wrapped.bottom) - r.height);
    }
    ::SelectObject(dc, previous);
    ::ReleaseDC(m_hwnd, dc);
    m_grownBelow = r.y + r.height;
    // A label draws one line, centred, until it has to wrap.
    const auto style = static_cast<DWORD>(::GetWindowLongPtrW(c.hwnd, GWL_STYLE));
    ::SetWindowLongPtrW(c.hwnd, GWL_STYLE,
        static_cast<LONG_PTR>(c.wrapWidth > 0 ? (style & ~DWORD(SS_CENTERIMAGE)) : (style | SS_CENTERIMAGE)));
    for (ControlState& each : m_controls)
        Place(each);
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
    ::SetWindowPos(m_hwnd, nullptr, work.left + (work.right - work.left - width) / 2,
        work.top + (work.bottom - work.top - height) / 2, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
}

void Window::PrepareToShow()
{
    CentreOnMonitor();
    if (m_onShow)
        Run(m_onShow, false);
}

void Window::Show(int showCommand)
{
    PrepareToShow();
    Owners().insert(Owners().begin(), m_hwnd);
    ::ShowWindow(m_hwnd, showCommand);
    ::SetFocus(::GetNextDlgTabItem(m_hwnd, nullptr, FALSE));
}

bool Window::DspSet()
{
    const CursorScope normal(IDC_ARROW);
    PrepareToShow();
    if (!m_hwnd)
        return true;
    if (m_owner)
        ::EnableWindow(m_owner, FALSE);
    Owners().push_back(m_hwnd);
    ::ShowWindow(m_hwnd, SW_SHOW);
    ModalChanged();
    ::SetFocus(::GetNextDlgTabItem(m_hwnd, nullptr, FALSE));
    while (m_hwnd && PumpOne(m_hwnd)) { }
    if (m_hwnd)
        Close();
    return true;
}

void Window::Activate()
{
    if (!m_hwnd)
        return;
    if (::IsIconic(m_hwnd))
        ::ShowWindow(m_hwnd, SW_RESTORE);
    const HWND top = ::GetLastActivePopup(m_hwnd);
    ::SetForegroundWindow(top ? top : m_hwnd);
}

void Window::Close()
{
    if (m_hwnd && !m_closing)
        ::SendMessageW(m_hwnd, WM_CLOSE, 0, 0);
}

void Window::Destroyed()
{
    Owners().erase(std::remove(Owners().begin(), Owners().end(), m_hwnd), Owners().end());
    m_hwnd = nullptr;
}

void Window::Run(const std::function<void()>& handler, bool busy)
{
    if (busy) {
        const CursorScope wait(IDC_WAIT);
        RunGuarded(m_prompts, handler);
    } else {
        RunGuarded(m_prompts, handler);
    }
}

Window::ControlState& Window::Find(std::string_view name)
{
    for (ControlState& c : m_controls)
        if (name == c.layout->name)
            return c;
    throw std::logic_error("no control " + std::string(name) + " in " + m_layout.name);
}

const Window::ControlState& Window::Find(std::string_view name) const
{
    return const_cast<Window*>(this)->Find(name);
}

HWND Window::Control(std::string_view name) const
{
    return Find(name).hwnd;
}

void Window::SetText(std::string_view control, std::u16string_view text)
{
    ControlState& c = Find(control);
    std::wstring value = W(text);
    if (c.layout->kind == ControlKind::Memo) {
        // A multi-line edit breaks lines at CR LF only.
        std::wstring lines;
        for (std::size_t i = 0; i < value.size(); ++i) {
            if (value[i] == L'\n' && (i == 0 || value[i - 1] != L'\r'))
                lines += L'\r';
            lines += value[i];
        }
        value = std::move(lines);
    }
    m_setting = true;
    ::SetWindowTextW(c.hwnd, value.c_str());
    m_setting = false;
    if (c.layout->kind == ControlKind::Label) {
        c.text = std::move(value);
        Place(c);
        ::InvalidateRect(c.hwnd, nullptr, TRUE);
    }
}

void Window::SetIndex(std::string_view control, int index)
{
    ControlState& c = Find(control);
    m_setting = true;
    switch (c.layout->kind) {
    case ControlKind::ComboBox:
        ::SendMessageW(c.hwnd, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        c.chosen = index;
        break;
    case ControlKind::CheckBox:
        ::SendMessageW(c.hwnd, BM_SETCHECK, index == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
        break;
    case ControlKind::GroupBox: {
        bool found = false;
        for (const ControlState& item : m_controls) {
            if (c.layout->name != std::string_view(item.layout->group))
                continue;
            found = found || item.layout->item == index;
            ::SendMessageW(item.hwnd, BM_SETCHECK, item.layout->item == index ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        m_setting = false;
        if (!found)
            throw std::logic_error("no item " + std::to_string(index) + " in " + std::string(control));
        c.chosen = index;
        break;
    }
    default:
        m_setting = false;
        throw std::logic_error("no index to set in " + std::string(control));
    }
    m_setting = false;
}

void Window::SetVisible(std::string_view control, bool visible)
{
    const ControlState& c = Find(control);
    for (const ControlState& item : m_controls)
        if (&item == &c || control == item.layout->group)
            ::ShowWindow(item.hwnd, visible ? SW_SHOWNA : SW_HIDE);
}

bool Window::IsChecked(std::string_view name) const
{
    return ::SendMessageW(Find(name).hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Window::OnClick(std::string_view button, std::function<void()> handler)
{
    Find(button).click = std::move(handler);
}

void Window::OnEdit(std::string_view edit, std::function<void(std::u16string)> handler)
{
    Find(edit).edit = std::move(handler);
}

void Window::OnChoose(std::string_view control, std::function<void(int)> handler)
{
    Find(control).choose = std::move(handler);
}

void Window::OnDrop(std::string_view edit, std::function<void(const std::u16string&)> handler)
{
    ControlState& c = Find(edit);
    c.drop = std::move(handler);
    ::DragAcceptFiles(c.hwnd, TRUE);
    ::SetWindowSubclass(c.hwnd, &Window::DropProcedure, 1, reinterpret_cast<DWORD_PTR>(this));
}

void Window::OnShow(std::function<void()> handler)
{
    m_onShow = std::move(handler);
}

void Window::OnClose(std::function<void()> handler)
{
    m_onClose = std::move(handler);
}

void Window::KeepCentred(std::string_view control)
{
    m_centred.emplace_back(Find(control).layout->name);
    Place(Find(control));
}

void Window::Command(int id, int code)
{
    if (m_setting || id < kFirstControlId || id - kFirstControlId >= static_cast<int>(m_controls.size()))
        return;
    ControlState& c = m_controls[static_cast<std::size_t>(id - kFirstControlId)];
    switch (c.layout->kind) {
    case ControlKind::PushButton:
        if (code != BN_CLICKED)
            return;
        if (m_closeButton && c.layout->name == std::string_view(m_closeButton))
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
        ControlState& group = Find(c.layout->group);
        if (group.chosen == c.layout->item)
            return;
        group.chosen = c.layout->item;
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
        for (ControlState& c : m_controls) {
            const char* anchor = c.layout->group[0] ? c.layout->group : c.layout->name;
            if (std::find(m_centred.begin(), m_centred.end(), anchor) != m_centred.end())
                Place(c);
        }
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
