#include "win32/Window.h"

#include "win32/Resources.h"
#include "win32/WindowParts.h"

#include <algorithm>
#include <commctrl.h>
#include <imm.h>
#include <memory>
#include <shellapi.h>
#include <stdexcept>
#include <utility>

namespace plok::win32 {

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

Window::Window(const WindowLayout& layout, Prompts& prompts, HWND owner)
    : m_layout(layout)
    , m_prompts(prompts)
    , m_owner(owner)
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
            throw std::runtime_error("cannot create control " + std::string(layout.id.name()));
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
            FindNamed(c.layout->group).chosen = c.layout->item;
    for (const ControlState& c : m_controls)
        if (c.layout->kind == ControlKind::GroupBox)
            TabStopOnChosen(c);
}

void Window::TabStopOnChosen(const ControlState& group)
{
    for (const ControlState& item : m_controls) {
        if (item.layout->kind != ControlKind::RadioButton || item.layout->group != group.layout->id.name()
            || item.layout->tabOrder < 0)
            continue;
        const LONG_PTR style = ::GetWindowLongPtrW(item.hwnd, GWL_STYLE);
        const bool stop = item.layout->item == group.chosen || group.chosen < 0;
        ::SetWindowLongPtrW(item.hwnd, GWL_STYLE, stop ? style | WS_TABSTOP : style & ~LONG_PTR(WS_TABSTOP));
    }
}

void Window::Close()
{
    if (m_hwnd && !m_closing)
        ::SendMessageW(m_hwnd, WM_CLOSE, 0, 0);
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

Window::ControlState& Window::FindNamed(std::string_view name)
{
    for (ControlState& c : m_controls)
        if (name == c.layout->id.name())
            return c;
    throw std::logic_error("no control " + std::string(name) + " in " + m_layout.name);
}

Window::ControlState& Window::Find(const ControlId& control)
{
    if (control.window() != m_layout.name)
        throw std::logic_error("no control " + std::string(control.name()) + " of " + std::string(control.window())
            + " in " + m_layout.name);
    return FindNamed(control.name());
}

const Window::ControlState& Window::Find(const ControlId& control) const
{
    return const_cast<Window*>(this)->Find(control);
}

HWND Window::Hwnd(const ControlId& control) const
{
    return Find(control).hwnd;
}

void Window::SetText(const ControlId& control, std::u16string_view text)
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
    if (c.layout->kind == ControlKind::Edit) {
        // A path's end tells one file from another (the start is the same folder for both): that is what shows.
        const auto end = static_cast<WPARAM>(value.size());
        ::SendMessageW(c.hwnd, EM_SETSEL, end, static_cast<LPARAM>(end));
        ::SendMessageW(c.hwnd, EM_SCROLLCARET, 0, 0);
        HoverText(c, value);
    }
    if (c.layout->kind == ControlKind::Label) {
        c.text = std::move(value);
        Place(c);
        ::InvalidateRect(c.hwnd, nullptr, TRUE);
    }
}

void Window::HoverText(const ControlState& c, std::wstring& text)
{
    if (!m_tips) {
        m_tips = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hwnd, nullptr, ::GetModuleHandleW(nullptr),
            nullptr);
        if (!m_tips)
            return;
        ::SendMessageW(m_tips, TTM_SETMAXTIPWIDTH, 0, 1000);
    }
    TTTOOLINFOW tool {};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = m_hwnd;
    tool.uId = reinterpret_cast<UINT_PTR>(c.hwnd);
    tool.lpszText = text.data();
    ::SendMessageW(m_tips, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    if (!text.empty())
        ::SendMessageW(m_tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void Window::SetIndex(const ControlId& control, int index)
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
            if (c.layout->id.name() != item.layout->group)
                continue;
            found = found || item.layout->item == index;
            ::SendMessageW(item.hwnd, BM_SETCHECK, item.layout->item == index ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        m_setting = false;
        if (!found)
            throw std::logic_error("no item " + std::to_string(index) + " in " + std::string(control.name()));
        c.chosen = index;
        TabStopOnChosen(c);
        break;
    }
    default:
        m_setting = false;
        throw std::logic_error("no index to set in " + std::string(control.name()));
    }
    m_setting = false;
}

void Window::SetVisible(const ControlId& control, bool visible)
{
    const ControlState& c = Find(control);
    for (const ControlState& item : m_controls)
        if (&item == &c || control.name() == item.layout->group)
            ::ShowWindow(item.hwnd, visible ? SW_SHOWNA : SW_HIDE);
}

bool Window::IsChecked(const ControlId& box) const
{
    return ::SendMessageW(Find(box).hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Window::OnClick(const ControlId& button, std::function<void()> handler)
{
    Find(button).click = std::move(handler);
}

void Window::OnEdit(const ControlId& edit, std::function<void(std::u16string)> handler)
{
    Find(edit).edit = std::move(handler);
}

void Window::OnChoose(const ControlId& control, std::function<void(int)> handler)
{
    Find(control).choose = std::move(handler);
}

void Window::OnShow(std::function<void()> handler)
{
    m_onShow = std::move(handler);
}

void Window::OnClose(std::function<void()> handler)
{
    m_onClose = std::move(handler);
}

void Window::KeepCentred(const ControlId& control)
{
    m_centred.push_back(Find(control).layout->id.name());
    Place(Find(control));
}

bool Window::IsCentred(const ControlState& c) const
{
    const std::string_view anchor = c.layout->group[0] ? std::string_view(c.layout->group) : c.layout->id.name();
    return std::find(m_centred.begin(), m_centred.end(), anchor) != m_centred.end();
}

void Window::SetCloseButton(const ControlId& button)
{
    if (Find(button).layout->kind != ControlKind::PushButton)
        throw std::logic_error(std::string(button.name()) + " is no push button");
    m_closeButton = button;
    LoadCloseGlyph();
}

void Window::Wire(const WindowWiring& wiring)
{
    if (wiring.window != m_layout.name)
        throw std::logic_error("the wiring of " + std::string(wiring.window) + " on " + m_layout.name);
    if (wiring.closeButton)
        SetCloseButton(*wiring.closeButton);
    if (wiring.centred)
        KeepCentred(*wiring.centred);
    for (const auto& [control, run] : wiring.clicks)
        OnClick(control, run);
    for (const auto& check : wiring.checks)
        OnClick(check.control, [this, control = check.control, run = check.run] { run(IsChecked(control)); });
    for (const auto& [control, run] : wiring.edits)
        OnEdit(control, run);
    for (const auto& [control, run] : wiring.choices)
        OnChoose(control, run);
    for (const auto& [control, run] : wiring.drops)
        OnDrop(control, run);
    OnShow(wiring.shown);
    OnClose(wiring.closed);
    if (wiring.created)
        RunGuarded(m_prompts, wiring.created);
}

} // namespace plok::win32
