// Draws every window of the Windows desktop program in the states a user meets them into BMP files (scripts/screenshots
// --windows turns them into PNG): the pictures of the manual, and what a developer looks at after changing a window.
// Run it where wine or Windows draws the windows' frames itself; it copies what the screen shows.
#include "claims/Anonymize.h"
#include "claims/ClaimsFile.h"
#include "core/FileNames.h"
#include "core/Settings.h"
#include "testsupport/Pictures.h"
#include "win32/Views.h"
#include "win32/Win32Prompts.h"

#include <commctrl.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <objbase.h>
#include <vector>

namespace {

using namespace plok;
using namespace plok::win32;

/// Gives the system the time to draw what has just been shown (folder trees fill themselves from the disk).
void Settle(DWORD ms)
{
    const ULONGLONG until = ::GetTickCount64() + ms;
    while (::GetTickCount64() < until) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::Sleep(20);
    }
}

bool WriteBitmap(const std::filesystem::path& file, HWND window)
{
    RECT r {};
    ::GetWindowRect(window, &r);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    BITMAPINFO info {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    const HDC screen = ::GetDC(nullptr);
    const HDC memory = ::CreateCompatibleDC(screen);
    void* bits = nullptr;
    const HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ previous = ::SelectObject(memory, bitmap);
    const bool copied = ::BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY | CAPTUREBLT);
    ::GdiFlush();
    // GDI leaves the fourth byte of each pixel 0, which readers of 32-bit bitmaps take for "transparent".
    auto* pixel = static_cast<unsigned char*>(bits);
    for (std::size_t i = 3; i < static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4; i += 4)
        pixel[i] = 0xFF;
    BITMAPFILEHEADER header {};
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof header + sizeof info.bmiHeader;
    const auto size = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
    header.bfSize = static_cast<DWORD>(header.bfOffBits + size);
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    out.write(static_cast<const char*>(bits), static_cast<std::streamsize>(size));
    ::SelectObject(memory, previous);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return copied && out.good();
}

class Shooter;

/// The modal window a Shooter waits for.
struct Pending
{
    Shooter* shooter = nullptr;
    const char* name = nullptr;
    std::function<void(HWND)> fill;
    HWND before = nullptr;
};

Pending g_pending;

class Shooter
{
public:
    explicit Shooter(std::filesystem::path folder)
        : m_folder(std::move(folder))
    { }

    void Save(HWND window, const char* name)
    {
        // The pointer away from the windows, which are centred: a button under it would be drawn lit.
        ::SetCursorPos(1, 1);
        ::SetCursorPos(0, 0);
        ::SetForegroundWindow(window);
        Settle(400);
        const std::filesystem::path file = m_folder / (std::string(name) + ".bmp");
        if (WriteBitmap(file, window))
            std::printf("%s\n", PathUtf8(file).c_str());
        else
            std::fprintf(stderr, "plok-screenshots: cannot write %s\n", PathUtf8(file).c_str());
    }

    /// Shoots the window that `open` shows modally (a window of the program, a box, a system dialog) once `fill` has
    /// put its texts in, then closes it as the user would: its close box, "いいえ", "キャンセル" or "OK".
    void SaveModal(
        const char* name, const std::function<void()>& open, const std::function<void(HWND)>& fill = [](HWND) {})
    {
        g_pending = Pending {this, name, fill, ::GetActiveWindow()};
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 100, &Shooter::Tick);
        open();
        ::KillTimer(nullptr, timer);
        if (g_pending.shooter)
            std::fprintf(stderr, "plok-screenshots: %s never showed\n", name);
        g_pending = Pending {};
    }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        const HWND shown = ::GetActiveWindow();
        if (!g_pending.shooter || !shown || shown == g_pending.before || !::IsWindowVisible(shown))
            return;
        Pending pending = g_pending;
        g_pending.shooter = nullptr;
        pending.fill(shown);
        pending.shooter->Save(shown, pending.name);
        for (const int button : {IDNO, IDCANCEL, IDOK}) {
            if (::GetDlgItem(shown, button)) {
                ::PostMessageW(shown, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
                return;
            }
        }
        ::PostMessageW(shown, WM_CLOSE, 0, 0);
    }

    std::filesystem::path m_folder;
};

/// Types `text` into the control of `window` as the user would: the window hears of it.
void Type(Window& window, const ControlId& control, const wchar_t* text)
{
    ::SetWindowTextW(window.Hwnd(control), text);
}

/// Types `text` into the edit field of the window `hwnd` of `layout` the program shows.
void TypeInto(HWND hwnd, const WindowLayout& layout, const ControlId& edit, const wchar_t* text)
{
    // The window's children in creation order, which is the layout table's.
    HWND child = nullptr;
    for (const ControlLayout& c : layout.controls) {
        child = ::FindWindowExW(hwnd, child, nullptr, nullptr);
        if (child && edit == c.id) {
            ::SetWindowTextW(child, text);
            return;
        }
    }
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: plok-screenshots FOLDER\n");
        return 2;
    }
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    INITCOMMONCONTROLSEX controls {sizeof controls, ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    Shooter shoot(folder);

    const std::filesystem::path root
        = std::filesystem::temp_directory_path() / ("plok-screenshots-" + std::to_string(::GetCurrentProcessId()));
    std::filesystem::create_directories(root / "Downloads");
    const Environment env {root, root / "user.ini", root / "Downloads"};
    test::SilentPrompts prompts;
    Win32Prompts boxes;

    {
        TfrmMain main(env, prompts);
        Window& w = main.window();
        w.Show(SW_SHOW);
        shoot.Save(w.hwnd(), "main");
        Type(w, form::TfrmMain::Edit1, L"C:\\Users\\clinic\\レセプト\\社保\\RECEIPTC.UKE");
        Type(w, form::TfrmMain::Edit2, L"C:\\Users\\clinic\\レセプト\\国保\\RECEIPTC.UKE");
        shoot.Save(w.hwnd(), "main-files");
        const HWND combo = w.Hwnd(form::TfrmMain::ComboBox1);
        ::SendMessageW(combo, CB_SETCURSEL, 1, 0);
        ::SendMessageW(
            w.hwnd(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(combo), CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
        Type(w, form::TfrmMain::Edit4, L"2");
        Type(w, form::TfrmMain::Edit5, L"6");
        shoot.Save(w.hwnd(), "main-position");

        const HWND owner = w.hwnd();
        for (const bool saveFolder : {false, true}) {
            settings::Write(env.settingsFile, settings::kSaveFolder, saveFolder ? u"E:\\レセプト" : u"");
            shoot.SaveModal(saveFolder ? "savepath-folder" : "savepath-downloads",
                [&] { TfrmSavePath(env, prompts, owner).DspSet(); });
            shoot.SaveModal(saveFolder ? "msg-save" : "msg-download",
                [&] { Win32Windows(env, prompts, owner).OpenResult({claims::kAnonymizedText}); });
        }
        shoot.SaveModal("folder-browser",
            [&] { boxes.BrowseFolder(u"保存先フォルダを指定してＯＫをクリックしてください", PathText(root)); });
        shoot.SaveModal("open-file", [&] { boxes.OpenFile(PathText(root / "Downloads"), claims::kClaimsFileTypes); });
        shoot.SaveModal("option", [&] { TfrmOption(env, prompts, owner).DspSet(); });
        settings::Write(env.settingsFile, settings::kStrongAnonymization, u"1");
        shoot.SaveModal("option-strong", [&] { TfrmOption(env, prompts, owner).DspSet(); });
        settings::Write(env.settingsFile, settings::kStrongAnonymization, u"");
        shoot.SaveModal(
            "msg-strong", [&] { Win32Windows(env, prompts, owner).OpenResult({claims::kStrongAnonymizedText}); });
        shoot.SaveModal(
            "convert", [&] { TfrmConvert(env, prompts, owner).DspSet(); },
            [](HWND hwnd) {
                TypeInto(hwnd, kTfrmConvertLayout, form::TfrmConvert::Edit1, L"C:\\Users\\clinic\\健診\\FF.txt");
            });
        shoot.SaveModal(
            "replace", [&] { TfrmReplace(env, prompts, owner).DspSet(); },
            [](HWND hwnd) {
                TypeInto(hwnd, kTfrmReplaceLayout, form::TfrmReplace::Edit1, L"C:\\Users\\clinic\\変換\\患者一覧.txt");
                TypeInto(hwnd, kTfrmReplaceLayout, form::TfrmReplace::Edit3, L"C:\\Users\\clinic\\変換\\変更定義.csv");
            });

        // One of the two files kept back by the audit: the result dialog offers the other only.
        const test::RunPictures runs = test::PicturesOfRuns(env,
            {u"C:\\Users\\clinic\\レセプト\\国保\\RECEIPTC.UK", u"E:\\レセプト",
                u"C:\\Users\\clinic\\AppData\\Local\\plok", u"C:\\Program Files\\plok\\manual\\index.html"});
        shoot.SaveModal("msg-one-of-two", [&] { Win32Windows(env, prompts, owner).OpenResult(runs.oneOfTwo); });
        shoot.SaveModal("msg-long", [&] {
            Win32Windows(env, prompts, owner)
                .OpenResult({CreatedText(u"2024年6月分_受診者一覧_さくら内科クリニック_内科外来R.txt")});
        });
        for (const test::BoxPicture& b : runs.boxes)
            shoot.SaveModal(b.name, [&] { ShowBox(b.kind, b.text, owner); });
    }
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
    ::CoUninitialize();
    return 0;
}
