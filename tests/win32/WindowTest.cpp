// What only the Win32 windows can show: the layout table in pixels at two dpi, the tab order, the user's actions
// reaching the presenter (and the presenter's values not coming back as the user's), the guard, modality, the close
// keys, drops, the busy cursor and the single instance. The decisions behind the controls are tested on the
// presenters.
#include "claims/Anonymize.h"
#include "core/FileNames.h"
#include "core/RunResult.h"
#include "core/Text.h"
#include "tests/win32/Win32Support.h"
#include "win32/Desktop.h"

#include <chrono>
#include <commctrl.h>
#include <optional>
#include <shellapi.h>
#include <shlobj.h>
#include <stdexcept>
#include <utility>

#include <gtest/gtest.h>

namespace plok::test {
namespace {

using Main = form::TfrmMain;
using win32::Window;

class Win32Window : public Win32Fixture
{
protected:
    /// A bare window of `layout`, its view wired by the test, with `close` as its close button when given.
    std::unique_ptr<Window> Bare(
        const win32::WindowLayout& layout, HWND owner = nullptr, std::optional<ControlId> close = std::nullopt)
    {
        auto window = std::make_unique<Window>(layout, prompts, owner);
        if (close)
            window->SetCloseButton(*close);
        return window;
    }

    /// Types `text` into the edit field `edit` as the keyboard does, character by character.
    static void Type(HWND edit, const wchar_t* text)
    {
        for (const wchar_t* c = text; *c; ++c)
            ::SendMessageW(edit, WM_CHAR, *c, 1);
    }

    /// A click of `button` as the mouse gives it: pressed and released over it.
    static void Click(HWND button) { ::SendMessageW(button, BM_CLICK, 0, 0); }
};

TEST_F(Win32Window, EveryControlStandsWhereItsUiFileHasItAtEachDpi)
{
    for (const win32::WindowLayout* layout :
        {&win32::kTfrmMainLayout, &win32::kTfrmMsgLayout, &win32::kTfrmSavePathLayout, &win32::kTfrmOptionLayout,
            &win32::kTfrmConvertLayout, &win32::kTfrmReplaceLayout}) {
        SCOPED_TRACE(layout->name);
        const auto window = Bare(*layout);
        for (const int dpi : {96, 144}) {
            if (window->dpi() != dpi)
                MoveToDpi(*window, dpi);
            SCOPED_TRACE(dpi);
            RECT client {};
            ::GetClientRect(window->hwnd(), &client);
            EXPECT_EQ(client.right, win32::Scale(layout->width, dpi));
            EXPECT_EQ(client.bottom, win32::Scale(layout->height, dpi));
            EXPECT_EQ(U(TextOf(window->hwnd())), U(layout->caption));
            for (const win32::ControlLayout& c : layout->controls) {
                SCOPED_TRACE(testing::Message() << c.id);
                const RECT r = Where(*window, c.id);
                EXPECT_EQ(r.left, win32::Scale(c.id.rect().x, dpi));
                EXPECT_EQ(r.top, win32::Scale(c.id.rect().y, dpi));
                EXPECT_EQ(r.right - r.left, win32::Scale(c.id.rect().width, dpi));
                // A combo box's height is its field's, which follows its font.
                if (c.kind != win32::ControlKind::ComboBox) {
                    EXPECT_EQ(r.bottom - r.top, win32::Scale(c.id.rect().height, dpi));
                }
                EXPECT_EQ(IsShown(window->Hwnd(c.id)), c.visible);
                // The font of the .ui file's point size, at this dpi.
                LOGFONTW font {};
                ::GetObjectW(window->FontOf(c.id), sizeof font, &font);
                EXPECT_EQ(font.lfHeight, -::MulDiv(c.pointSize ? c.pointSize : layout->pointSize, dpi, 72));
            }
        }
    }
}

TEST_F(Win32Window, TheCaptionsAndTheTabOrderAreTheUiFiles)
{
    // The main window as the .ui file orders it: what the tab key visits, hidden controls left out.
    win32::TfrmMain main(env, prompts);
    Window& w = main.window();
    EXPECT_EQ(TextOf(w.Hwnd(form::TfrmMain::Button3)), L"ファイル選択");
    EXPECT_EQ(TextOf(w.Hwnd(form::TfrmMain::BitBtn1)), L"閉じる(&C)");
    std::vector<ControlId> order;
    HWND first = ::GetNextDlgTabItem(w.hwnd(), nullptr, FALSE);
    for (HWND c = first; c && (order.empty() || c != first); c = ::GetNextDlgTabItem(w.hwnd(), c, FALSE))
        for (const win32::ControlLayout& layout : w.layout().controls)
            if (w.Hwnd(layout.id) == c)
                order.push_back(layout.id);
    EXPECT_EQ(order,
        (std::vector<ControlId> {Main::Button3, Main::Edit1, Main::Edit2, Main::Button1, Main::Button2, Main::ComboBox1,
            Main::Button4, Main::Button6, Main::Button5, Main::BitBtn1}));
    // The first of them has the focus when the window opens.
    w.Show(SW_SHOWNA);
    EXPECT_EQ(::GetFocus(), w.Hwnd(form::TfrmMain::Button3));
}

TEST_F(Win32Window, TheUsersActionsReachThePresenterAndItsValuesDoNotComeBack)
{
    const auto w = Bare(win32::kTfrmMainLayout);
    std::vector<std::string> heard;
    w->OnEdit(form::TfrmMain::Edit1, [&](std::u16string text) { heard.push_back("edit " + ToUtf8(text)); });
    w->OnChoose(form::TfrmMain::ComboBox1, [&](int index) { heard.push_back("choose " + std::to_string(index)); });
    w->OnClick(form::TfrmMain::Button3, [&] { heard.emplace_back("click"); });

    w->SetText(form::TfrmMain::Edit1, u"C:\\社保\\RECEIPTC.UKE");
    w->SetIndex(form::TfrmMain::ComboBox1, 1);
    EXPECT_TRUE(heard.empty());
    EXPECT_EQ(TextOf(w->Hwnd(form::TfrmMain::Edit1)), L"C:\\社保\\RECEIPTC.UKE");

    ::SetWindowTextW(w->Hwnd(form::TfrmMain::Edit1), L"");
    Type(w->Hwnd(form::TfrmMain::Edit1), L"ab");
    Click(w->Hwnd(form::TfrmMain::Button3));
    // The mode box is a fixed list: stray keys choose no "no mode".
    const HWND list = w->Hwnd(form::TfrmMain::ComboBox1);
    EXPECT_EQ(::GetWindowLongPtrW(list, GWL_STYLE) & 3, CBS_DROPDOWNLIST);
    Type(list, L"xy");
    EXPECT_EQ(::SendMessageW(list, CB_GETCURSEL, 0, 0), 1);
    ::SendMessageW(list, CB_SETCURSEL, 0, 0);
    ::SendMessageW(
        w->hwnd(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(list), CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    EXPECT_EQ(heard, (std::vector<std::string> {"edit ", "edit a", "edit ab", "click", "choose 0"}));
}

TEST_F(Win32Window, TheOptionWindowsCheckBoxShowsAndSavesTheStrongAnonymisation)
{
    for (const bool strong : {false, true}) {
        SCOPED_TRACE(strong);
        Setting(settings::kStrongAnonymization, strong ? u"1" : u"0");
        win32::TfrmOption option(env, prompts, nullptr);
        const HWND box = option.window().Hwnd(form::TfrmOption::CheckBox1);
        EXPECT_EQ(option.window().IsChecked(form::TfrmOption::CheckBox1), strong);
        Click(box);
        EXPECT_EQ(Stored(settings::kStrongAnonymization), strong ? u"0" : u"1");
        Click(box);
        EXPECT_EQ(Stored(settings::kStrongAnonymization), strong ? u"1" : u"0");
    }
}

TEST_F(Win32Window, ARadioGroupTellsANewChoiceOnly)
{
    const auto w = Bare(win32::kTfrmSavePathLayout);
    std::vector<int> chosen;
    w->OnChoose(form::TfrmSavePath::RadioGroup1, [&](int index) { chosen.push_back(index); });
    Click(w->Hwnd(form::TfrmSavePath::RadioGroup1Item1));
    Click(w->Hwnd(form::TfrmSavePath::RadioGroup1Item1));
    Click(w->Hwnd(form::TfrmSavePath::RadioGroup1Item0));
    w->SetIndex(form::TfrmSavePath::RadioGroup1, 1);
    EXPECT_EQ(::SendMessageW(w->Hwnd(form::TfrmSavePath::RadioGroup1Item1), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(::SendMessageW(w->Hwnd(form::TfrmSavePath::RadioGroup1Item0), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    Click(w->Hwnd(form::TfrmSavePath::RadioGroup1Item1));
    EXPECT_EQ(chosen, (std::vector<int> {1, 0}));
    // Hiding the group hides its items.
    w->SetVisible(form::TfrmSavePath::RadioGroup1, false);
    EXPECT_FALSE(IsShown(w->Hwnd(form::TfrmSavePath::RadioGroup1Item0)));
    EXPECT_THROW(w->SetIndex(form::TfrmSavePath::RadioGroup1, 2), std::logic_error);
    // Another window's control, though this window has one of that name.
    EXPECT_THROW(w->SetText(form::TfrmMain::Edit1, u""), std::logic_error);
}

TEST_F(Win32Window, AnEditFieldShowsTheEndOfItsTextWithTheWholeOnHover)
{
    const auto w = Bare(win32::kTfrmMainLayout);
    w->Show(SW_SHOWNA);
    const HWND edit = w->Hwnd(form::TfrmMain::Edit1);
    const std::u16string path = u"Z:\\clinic\\レセプト電算\\令和7年\\2025年06月提出分\\社保と国保\\RECEIPTC.UKE";
    HWND tips = nullptr;
    for (const std::u16string& text : {path, std::u16string(u"C:\\a.UKE"), std::u16string()}) {
        SCOPED_TRACE(ToUtf8(text));
        w->SetText(form::TfrmMain::Edit1, text);
        // The index of the first character in sight: the end of a long path shows, a short one shows whole.
        const auto first = ::SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0);
        if (text == path)
            EXPECT_GT(first, 20);
        else
            EXPECT_EQ(first, 0);
        ::EnumThreadWindows(
            ::GetCurrentThreadId(),
            [](HWND hwnd, LPARAM found) {
                wchar_t cls[32] = {};
                ::GetClassNameW(hwnd, cls, 32);
                if (::lstrcmpiW(cls, TOOLTIPS_CLASSW) == 0)
                    *reinterpret_cast<HWND*>(found) = hwnd;
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&tips));
        ASSERT_NE(tips, nullptr);
        wchar_t shown[512] = {};
        TTTOOLINFOW tool {};
        tool.cbSize = sizeof tool;
        tool.hwnd = w->hwnd();
        tool.uId = reinterpret_cast<UINT_PTR>(edit);
        tool.lpszText = shown;
        ::SendMessageW(tips, TTM_GETTEXTW, 512, reinterpret_cast<LPARAM>(&tool));
        EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(shown)), text);
    }
}

TEST_F(Win32Window, TabReachesARadioGroupAtItsChosenItemOnly)
{
    // Space on the other item would switch the save destination, and store it, at once.
    const auto w = Bare(win32::kTfrmSavePathLayout);
    const HWND close = w->Hwnd(form::TfrmSavePath::BitBtn1);
    const HWND items[] = {w->Hwnd(form::TfrmSavePath::RadioGroup1Item0), w->Hwnd(form::TfrmSavePath::RadioGroup1Item1)};
    for (const int chosen : {1, 0, 1}) {
        SCOPED_TRACE(chosen);
        if (chosen == 1)
            w->SetIndex(form::TfrmSavePath::RadioGroup1, 1);
        else
            Click(items[0]);
        EXPECT_EQ(::GetNextDlgTabItem(w->hwnd(), close, FALSE), items[chosen]);
        EXPECT_EQ(::GetNextDlgTabItem(w->hwnd(), items[chosen], TRUE), close);
    }
}

TEST_F(Win32Window, AFailingHandlerShowsTheErrorBoxAndTheWindowGoesOn)
{
    const auto w = Bare(win32::kTfrmOptionLayout);
    int clicks = 0;
    HCURSOR during = nullptr;
    w->OnClick(form::TfrmOption::Button1, [&] {
        during = win32::CursorScope::Current();
        if (++clicks == 1)
            throw IoError("ファイル \"x\" を読み込めません。");
    });
    Click(w->Hwnd(form::TfrmOption::Button1));
    Click(w->Hwnd(form::TfrmOption::Button1));
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(prompts.Texts("error"), (std::vector<std::u16string> {u"ファイル \"x\" を読み込めません。"}));
    // The handler ran under the busy cursor, which is gone again.
    EXPECT_EQ(during, ::LoadCursorW(nullptr, IDC_WAIT));
    EXPECT_EQ(win32::CursorScope::Current(), nullptr);
    EXPECT_TRUE(w->IsOpen());
}

TEST_F(Win32Window, AChildWindowIsModalAndClosesByItsButtonByEscapeAndByTheCloseBox)
{
    const auto owner = Bare(win32::kTfrmMainLayout);
    struct Way
    {
        const char* name;
        std::function<void(Window&)> close;
    };
    const std::vector<Way> ways = {
        {"close button", [](Window& w) { Click(w.Hwnd(form::TfrmOption::BitBtn1)); }},
        {"escape",
            [](Window& w) {
                ::SetFocus(w.Hwnd(form::TfrmOption::Button1));
                ::PostMessageW(w.Hwnd(form::TfrmOption::Button1), WM_KEYDOWN, VK_ESCAPE, 1);
            }},
        {"close box", [](Window& w) { ::PostMessageW(w.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        const auto child = Bare(win32::kTfrmOptionLayout, owner->hwnd(), form::TfrmOption::BitBtn1);
        int closed = 0;
        child->OnClose([&] { ++closed; });
        bool ownerEnabled = true;
        WhileShown(*child, [&] {
            ownerEnabled = ::IsWindowEnabled(owner->hwnd());
            way.close(*child);
        });
        EXPECT_FALSE(ownerEnabled);
        EXPECT_TRUE(::IsWindowEnabled(owner->hwnd()));
        EXPECT_FALSE(child->IsOpen());
        // WhileShown closes the window too: the close handler runs once all the same.
        EXPECT_EQ(closed, 1);
    }
    // Escape does not close the main window.
    ::SendMessageW(owner->hwnd(), WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(owner->IsOpen());
}

TEST_F(Win32Window, TheSecondClickOfADoubleClickThatOpenedOrClosedAModalWindowReachesNoWindow)
{
    // The mouse's messages of a double-click's second click, and a press of Space, over `button`.
    const auto secondClick = [](HWND button, HWND window) {
        ::PostMessageW(button, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
        ::PostMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        win32::ProcessQueued(window);
        ::SetFocus(button);
        ::PostMessageW(button, WM_KEYDOWN, VK_SPACE, 1);
        ::PostMessageW(button, WM_KEYUP, VK_SPACE, 1 | (1u << 30) | (1u << 31));
        win32::ProcessQueued(window);
    };
    for (const bool gated : {true, false}) {
        SCOPED_TRACE(gated);
        // As the program installs it, with a quiet time no test machine can overrun.
        std::optional<win32::ClickGateScope> gate;
        if (gated)
            gate.emplace(std::chrono::seconds(60));
        const auto owner = Bare(win32::kTfrmMainLayout);
        int below = 0;
        owner->OnClick(form::TfrmMain::Button1, [&] { ++below; });
        const auto child = Bare(win32::kTfrmOptionLayout, owner->hwnd());
        int inChild = 0;
        child->OnClick(form::TfrmOption::Button1, [&] { ++inChild; });
        // The window came up under the pointer; then it is gone, and the press lands on the window below.
        WhileShown(*child, [&] { secondClick(child->Hwnd(form::TfrmOption::Button1), child->hwnd()); });
        secondClick(owner->Hwnd(form::TfrmMain::Button1), owner->hwnd());
        // Without the gate the same presses do reach the buttons.
        EXPECT_EQ(inChild == 0, gated);
        EXPECT_EQ(below == 0, gated);
    }
}

TEST_F(Win32Window, AHeldReturnPressesTheFocusedButtonOnce)
{
    const win32::ClickGateScope gate(std::chrono::milliseconds(0));
    const auto w = Bare(win32::kTfrmMainLayout);
    int clicks = 0;
    w->OnClick(form::TfrmMain::Button1, [&] { ++clicks; });
    const HWND button = w->Hwnd(form::TfrmMain::Button1);
    w->Show(SW_SHOWNA);
    ::SetFocus(button);
    ::PostMessageW(button, WM_KEYDOWN, VK_RETURN, 1);
    for (int repeat = 0; repeat < 3; ++repeat)
        ::PostMessageW(button, WM_KEYDOWN, VK_RETURN, 1 | (1u << 30));
    ::PostMessageW(button, WM_KEYUP, VK_RETURN, 1 | (1u << 30) | (1u << 31));
    win32::ProcessQueued(w->hwnd());
    EXPECT_EQ(clicks, 1);
}

TEST_F(Win32Window, TheFilesDroppedOnAFieldAreHandedOnTogetherAndNotTyped)
{
    const auto w = Bare(win32::kTfrmMainLayout);
    std::vector<std::vector<std::u16string>> dropped;
    std::vector<std::u16string> typed;
    HCURSOR during = nullptr;
    w->OnDrop(form::TfrmMain::Edit1, [&](const std::vector<std::u16string>& files) {
        during = win32::CursorScope::Current();
        dropped.push_back(files);
    });
    w->OnEdit(form::TfrmMain::Edit1, [&](std::u16string text) { typed.push_back(std::move(text)); });
    EXPECT_TRUE(::GetWindowLongPtrW(w->Hwnd(form::TfrmMain::Edit1), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    EXPECT_FALSE(::GetWindowLongPtrW(w->Hwnd(form::TfrmMain::Edit2), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);

    // The HDROP the shell hands over: a DROPFILES header and the names, each ended by a null, ended by another.
    const std::wstring names = std::wstring(L"C:\\レセプト\\社保\\RECEIPTC.UKE") + L'\0' + L"C:\\b.UKE" + L'\0' + L'\0';
    const HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
    auto* header = static_cast<DROPFILES*>(::GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    std::copy(names.begin(), names.end(), reinterpret_cast<wchar_t*>(header + 1));
    ::GlobalUnlock(memory);
    ::SendMessageW(w->Hwnd(form::TfrmMain::Edit1), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);

    EXPECT_EQ(
        dropped, (std::vector<std::vector<std::u16string>> {{u"C:\\レセプト\\社保\\RECEIPTC.UKE", u"C:\\b.UKE"}}));
    EXPECT_TRUE(typed.empty());
    EXPECT_EQ(TextOf(w->Hwnd(form::TfrmMain::Edit1)), L"");
    EXPECT_EQ(during, ::LoadCursorW(nullptr, IDC_WAIT));
}

TEST_F(Win32Window, WhatIsNoClaimsFileIsRefusedTypedOrChosenInTheRunsWords)
{
    const std::u16string patients = DataFile("patients.csv", "ID,1,yamada,19700712\r\n");
    const std::u16string empty = DataFile("empty.UKE", "");
    const TempDir scratch;
    const std::u16string notClaims = claims::Conv(ToPath(patients), scratch.path()).message;
    const std::u16string isEmpty = claims::Conv(ToPath(empty), scratch.path()).message;
    ASSERT_NE(notClaims.find(u"レセ電データではありません"), std::u16string::npos);
    ASSERT_NE(isEmpty.find(u"ファイルが空"), std::u16string::npos);

    win32::TfrmMain main(env, prompts);
    Window& w = main.window();
    w.Show(SW_SHOWNA);
    Type(w.Hwnd(form::TfrmMain::Edit1), win32::W(patients).c_str());
    Type(w.Hwnd(form::TfrmMain::Edit2), win32::W(empty).c_str());
    for (const ControlId& button : {form::TfrmMain::Button1, form::TfrmMain::Button2}) {
        SCOPED_TRACE(std::string(button.name()));
        prompts.Clear();
        // A result dialog would take the focus: nothing was written, so none may open.
        static HWND mainWindow;
        static bool opened;
        mainWindow = w.hwnd();
        opened = false;
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) {
            if (const HWND active = ::GetActiveWindow(); active && active != mainWindow) {
                opened = true;
                ::PostMessageW(active, WM_CLOSE, 0, 0);
            }
        });
        Click(w.Hwnd(button));
        ::KillTimer(nullptr, timer);
        EXPECT_FALSE(opened);
        EXPECT_EQ(prompts.Texts("warning"),
            (std::vector<std::u16string> {
                notClaims + u"\n社保レセ電データ：" + patients, isEmpty + u"\n国保レセ電データ：" + empty}));
        EXPECT_TRUE(std::filesystem::is_empty(env.downloads));
        for (const auto& e : std::filesystem::directory_iterator(env.programFolder))
            EXPECT_EQ(e.path().filename(), "user.ini");
    }

    // Chosen in the open-file dialog, which offers claims files of every kind, they are refused in the same words.
    prompts.Clear();
    ::SetWindowTextW(w.Hwnd(form::TfrmMain::Edit1), L"");
    ::SetWindowTextW(w.Hwnd(form::TfrmMain::Edit2), L"");
    prompts.AnswerFile(patients);
    prompts.AnswerFile(empty);
    Click(w.Hwnd(form::TfrmMain::Button3));
    EXPECT_EQ(prompts.Texts("warning"), (std::vector<std::u16string> {notClaims, isEmpty}));
    EXPECT_EQ(TextOf(w.Hwnd(form::TfrmMain::Edit1)), L"");
    EXPECT_EQ(TextOf(w.Hwnd(form::TfrmMain::Edit2)), L"");
    EXPECT_EQ(prompts.openFileTypes(),
        std::vector<std::vector<std::u16string>>(2, {u"レセ電データ|*.UKE *.CYO", u"すべてのファイル|*"}));
}

TEST_F(Win32Window, ALabelGrowsToItsTextAndKeepsItsDesignWidth)
{
    const auto w = Bare(win32::kTfrmMsgLayout);
    const int design = win32::Scale(form::TfrmMsg::Label1.rect().width, w->dpi());
    w->SetText(form::TfrmMsg::Label1, u"短い");
    EXPECT_EQ(Where(*w, form::TfrmMsg::Label1).right - Where(*w, form::TfrmMsg::Label1).left, design);
    w->SetText(form::TfrmMsg::Label1, std::u16string(40, u'あ'));
    EXPECT_GT(Where(*w, form::TfrmMsg::Label1).right - Where(*w, form::TfrmMsg::Label1).left, design);
}

TEST_F(Win32Window, AFrameNeverShrinksBelowItsLayoutAtEachDpi)
{
    win32::TfrmMsg dialog(env, prompts, nullptr);
    Window& w = dialog.window();
    for (const int dpi : {96, 144}) {
        SCOPED_TRACE(dpi);
        if (w.dpi() != dpi)
            MoveToDpi(w, dpi);
        for (const auto& [width, height] : {std::pair {10, 10}, std::pair {100000, 10}}) {
            ::SetWindowPos(w.hwnd(), nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
            RECT client {};
            ::GetClientRect(w.hwnd(), &client);
            EXPECT_GE(client.right, win32::Scale(win32::kTfrmMsgLayout.width, dpi));
            EXPECT_EQ(client.bottom, win32::Scale(win32::kTfrmMsgLayout.height, dpi));
        }
    }
    // Grown to a long message, its smallest size is the grown one.
    dialog.Take({CreatedText(std::u16string(60, u'あ'))});
    ::SetWindowPos(w.hwnd(), nullptr, 0, 0, 10, 10, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    RECT client {};
    ::GetClientRect(w.hwnd(), &client);
    EXPECT_GE(client.right, Where(w, form::TfrmMsg::Label1).right);
}

TEST_F(Win32Window, ASecondStartBringsTheRunningMainWindowBack)
{
    const auto main = Bare(win32::kTfrmMainLayout);
    main->Show(SW_SHOWMINNOACTIVE);
    ASSERT_TRUE(::IsIconic(main->hwnd()));
    // What a second start does, from another process: finds the main window by its class and caption, and asks.
    EXPECT_TRUE(win32::ActivateRunningInstance(1000));
    win32::ProcessQueued(main->hwnd());
    EXPECT_FALSE(::IsIconic(main->hwnd()));
    EXPECT_TRUE(::IsWindowVisible(main->hwnd()));
}

TEST(Win32SingleInstance, OnlyTheFirstHoldsTheMutex)
{
    const win32::SingleInstance first;
    EXPECT_TRUE(first.IsFirst());
    {
        const win32::SingleInstance second;
        EXPECT_FALSE(second.IsFirst());
    }
    const HANDLE named = ::OpenMutexW(SYNCHRONIZE, FALSE, L"PlokMutex");
    EXPECT_NE(named, nullptr);
    ::CloseHandle(named);
}

} // namespace
} // namespace plok::test
