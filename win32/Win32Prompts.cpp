#include "win32/Win32Prompts.h"

#include "core/FileNames.h"
#include "core/Text.h"
#include "core/UserFolders.h"

#include <algorithm>
#include <commdlg.h>
#include <filesystem>
#include <shellapi.h>
#include <shlobj.h>

namespace plok::win32 {

namespace {

thread_local HHOOK t_boxHook = nullptr;
thread_local std::u16string t_boxText;

/// The message's static control of a message box: the one that shows no icon.
HWND TextOfBox(HWND box)
{
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t cls[16] = {};
        ::GetClassNameW(child, cls, 16);
        if (::lstrcmpiW(cls, L"Static") == 0 && (::GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON)
            return child;
    }
    return nullptr;
}

/// A message box breaks Japanese between any two characters (「開｜いてください」), at a width that differs between
/// Windows versions and wine. Once the box is laid out, its text is broken again where Japanese text breaks, at the
/// width the box gave it, and the box grows by what that adds.
void BreakBetweenPhrases(HWND box)
{
    const HWND label = TextOfBox(box);
    if (!label)
        return;
    RECT area {};
    ::GetWindowRect(label, &area);
    ::MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&area), 2);
    const int width = area.right - area.left;
    const HDC dc = ::GetDC(label);
    const HGDIOBJ previous = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(label, WM_GETFONT, 0, 0)));
    const std::wstring text = W(WrapText(t_boxText, width, [dc](std::u16string_view c) {
        SIZE size {};
        ::GetTextExtentPoint32W(dc, reinterpret_cast<const wchar_t*>(c.data()), static_cast<int>(c.size()), &size);
        return static_cast<int>(size.cx);
    }));
    RECT needed {0, 0, width, 0};
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &needed,
        DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
    ::SelectObject(dc, previous);
    ::ReleaseDC(label, dc);
    ::SetWindowTextW(label, text.c_str());
    const int grow = needed.bottom - (area.bottom - area.top);
    if (grow <= 0)
        return;
    ::SetWindowPos(label, nullptr, 0, 0, width, needed.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // Every button lies below the text.
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t cls[16] = {};
        ::GetClassNameW(child, cls, 16);
        if (::lstrcmpiW(cls, L"Button") != 0)
            continue;
        RECT r {};
        ::GetWindowRect(child, &r);
        ::MapWindowPoints(nullptr, box, reinterpret_cast<POINT*>(&r), 2);
        ::SetWindowPos(child, nullptr, r.left, r.top + grow, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT frame {};
    ::GetWindowRect(box, &frame);
    ::SetWindowPos(box, nullptr, frame.left, frame.top - grow / 2, frame.right - frame.left,
        frame.bottom - frame.top + grow, SWP_NOZORDER | SWP_NOACTIVATE);
}

/// Gives the buttons of the message box that is being activated the texts as written (MessageBoxW would take them
/// from the language of Windows), and breaks its text between phrases.
LRESULT CALLBACK NameButtons(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE) {
        const auto box = reinterpret_cast<HWND>(wParam);
        if (const HWND ok = ::GetDlgItem(box, IDOK))
            ::SetWindowTextW(ok, L"OK");
        if (const HWND yes = ::GetDlgItem(box, IDYES))
            ::SetWindowTextW(yes, L"はい(&Y)");
        if (const HWND no = ::GetDlgItem(box, IDNO))
            ::SetWindowTextW(no, L"いいえ(&N)");
        BreakBetweenPhrases(box);
        const HHOOK hook = t_boxHook;
        t_boxHook = nullptr;
        ::UnhookWindowsHookEx(hook);
        return 0;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

int ShowBox(BoxKind kind, std::u16string_view text, HWND owner)
{
    const CursorScope normal(IDC_ARROW);
    const wchar_t* title = L"プロク";
    UINT type = MB_OK;
    switch (kind) {
    case BoxKind::Warning:
        title = L"警告";
        type = MB_OK | MB_ICONWARNING;
        break;
    case BoxKind::Information:
        title = L"情報";
        type = MB_OK | MB_ICONINFORMATION;
        break;
    case BoxKind::Confirm:
        title = L"確認";
        type = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON1;
        break;
    case BoxKind::WarningConfirm:
        title = L"警告";
        type = MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON1;
        break;
    case BoxKind::Error:
        type = MB_OK | MB_ICONERROR;
        break;
    }
    if (!owner)
        type |= MB_TASKMODAL | MB_SETFOREGROUND;
    t_boxText = text;
    t_boxHook = ::SetWindowsHookExW(WH_CBT, &NameButtons, nullptr, ::GetCurrentThreadId());
    ModalChanged();
    const int pressed = ::MessageBoxW(owner, W(text).c_str(), title, type);
    ModalChanged();
    if (t_boxHook) {
        ::UnhookWindowsHookEx(t_boxHook);
        t_boxHook = nullptr;
    }
    return pressed;
}

void Win32Prompts::Warning(std::u16string_view text)
{
    ShowBox(BoxKind::Warning, text, ActiveOwner());
}

void Win32Prompts::Information(std::u16string_view text)
{
    ShowBox(BoxKind::Information, text, ActiveOwner());
}

bool Win32Prompts::Confirm(std::u16string_view text)
{
    return ShowBox(BoxKind::Confirm, text, ActiveOwner()) == IDYES;
}

bool Win32Prompts::WarningConfirm(std::u16string_view text)
{
    return ShowBox(BoxKind::WarningConfirm, text, ActiveOwner()) == IDYES;
}

void Win32Prompts::Error(std::u16string_view text)
{
    ShowBox(BoxKind::Error, text, ActiveOwner());
}

std::optional<std::u16string> Win32Prompts::OpenFile(std::u16string_view startAt, std::span<const FileType> types)
{
    const CursorScope normal(IDC_ARROW);
    // Room for the longest path Windows allows.
    std::wstring file(32768, L'\0');
    std::wstring folder;
    if (!startAt.empty()) {
        const std::filesystem::path start = ToPath(startAt);
        std::error_code ec;
        if (std::filesystem::is_directory(start, ec)) {
            folder = start.wstring();
        } else {
            folder = start.parent_path().wstring();
            file.replace(0, start.filename().wstring().size(), start.filename().wstring());
        }
    }
    // Pairs of "name (patterns)" and "patterns", each ended by a null, the patterns separated by ";"; one more null
    // ends them. The system matches letters of either case.
    std::wstring filter;
    for (const FileType& t : types) {
        std::wstring patterns = W(t.patterns);
        std::replace(patterns.begin(), patterns.end(), L' ', L';');
        filter += W(t.name) + L" (" + patterns + L")" + L'\0' + patterns + L'\0';
    }
    OPENFILENAMEW dialog {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = ActiveOwner();
    dialog.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.Flags
        = OFN_EXPLORER | OFN_ENABLESIZING | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    ModalChanged();
    const bool chosen = ::GetOpenFileNameW(&dialog);
    ModalChanged();
    if (!chosen)
        return std::nullopt;
    return U(file.c_str());
}

namespace {

struct BrowseStart
{
    std::wstring folder;
    bool select = false; // else the folder is only opened in the tree
};

int CALLBACK SelectInitial(HWND browser, UINT message, LPARAM, LPARAM data)
{
    const auto* start = reinterpret_cast<const BrowseStart*>(data);
    if (message == BFFM_INITIALIZED && !start->folder.empty())
        ::SendMessageW(browser, start->select ? BFFM_SETSELECTIONW : BFFM_SETEXPANDED, TRUE,
            reinterpret_cast<LPARAM>(start->folder.c_str()));
    return 0;
}

} // namespace

std::optional<std::u16string> Win32Prompts::BrowseFolder(std::u16string_view instruction, std::u16string_view initial)
{
    const CursorScope normal(IDC_ARROW);
    // The new dialog style needs COM in this thread; the call is counted and undone below when it took effect.
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const std::wstring title = W(instruction);
    // The folder chosen before, else the user's own folder opened with nothing chosen in it.
    BrowseStart start;
    std::error_code ec;
    if (!initial.empty() && std::filesystem::is_directory(ToPath(initial), ec))
        start = {W(initial), true};
    else
        start = {UserDirs::FromEnvironment().home.wstring(), false};
    BROWSEINFOW browse {};
    browse.hwndOwner = ActiveOwner();
    browse.lpszTitle = title.c_str();
    browse.ulFlags = BIF_NEWDIALOGSTYLE | BIF_RETURNONLYFSDIRS | BIF_NONEWFOLDERBUTTON;
    browse.lpfn = &SelectInitial;
    browse.lParam = reinterpret_cast<LPARAM>(&start);
    std::optional<std::u16string> chosen;
    ModalChanged();
    PIDLIST_ABSOLUTE item = ::SHBrowseForFolderW(&browse);
    ModalChanged();
    if (item) {
        std::wstring path(32768, L'\0');
        if (::SHGetPathFromIDListEx(item, path.data(), static_cast<DWORD>(path.size()), GPFIDL_DEFAULT))
            chosen = U(path.c_str());
        ::CoTaskMemFree(item);
    }
    if (SUCCEEDED(com))
        ::CoUninitialize();
    return chosen;
}

bool Win32Prompts::OpenDocument(std::u16string_view file)
{
    const std::wstring document = W(file);
    const auto result = reinterpret_cast<INT_PTR>(
        ::ShellExecuteW(ActiveOwner(), L"open", document.c_str(), nullptr, nullptr, SW_SHOW));
    return result > 32;
}

} // namespace plok::win32
