// Every text of every Win32 window must be drawn whole inside its control at the geometry of the layout table, at
// 96 dpi and, after the window has moved to such a monitor, at 144 dpi. The text's ink is found by drawing each
// control with and without its text and comparing the pixels; a control clips what does not fit, so a text is whole
// when it draws as wide and as high as it does in a control far larger than it needs.
#include "core/Text.h"
#include "support/ResultMessages.h"
#include "tests/win32/Win32Support.h"

#include <functional>
#include <memory>

#include <gtest/gtest.h>

namespace plok::test {
namespace {

using win32::ControlKind;
using win32::Window;

/// A control drawn into memory as it draws itself on the screen, on the window's background.
class Drawing
{
public:
    explicit Drawing(HWND control)
    {
        RECT client {};
        ::GetClientRect(control, &client);
        m_width = client.right;
        m_height = client.bottom;
        BITMAPINFO info {};
        info.bmiHeader = {sizeof info.bmiHeader, m_width, -m_height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        m_dc = ::CreateCompatibleDC(nullptr);
        m_bitmap = ::CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_bits), nullptr, 0);
        m_previous = ::SelectObject(m_dc, m_bitmap);
        ::FillRect(m_dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
        ::SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(m_dc), PRF_CLIENT | PRF_ERASEBKGND);
        ::GdiFlush();
    }
    ~Drawing()
    {
        ::SelectObject(m_dc, m_previous);
        ::DeleteObject(m_bitmap);
        ::DeleteDC(m_dc);
    }
    Drawing(const Drawing&) = delete;
    Drawing& operator=(const Drawing&) = delete;

    /// The smallest rectangle holding every pixel that differs from `other` (empty when none does).
    RECT Difference(const Drawing& other) const
    {
        RECT box {m_width, m_height, 0, 0};
        for (int y = 0; y < m_height; ++y)
            for (int x = 0; x < m_width; ++x)
                if (Pixel(x, y) != other.Pixel(x, y)) {
                    box.left = std::min<LONG>(box.left, x);
                    box.top = std::min<LONG>(box.top, y);
                    box.right = std::max<LONG>(box.right, x + 1);
                    box.bottom = std::max<LONG>(box.bottom, y + 1);
                }
        return box.right > box.left ? box : RECT {};
    }

private:
    std::uint32_t Pixel(int x, int y) const { return m_bits[y * m_width + x] & 0xFFFFFF; }

    int m_width = 0;
    int m_height = 0;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_previous = nullptr;
    std::uint32_t* m_bits = nullptr;
};

/// An icon of the size of `like` that draws nothing; none when `like` is none.
struct BlankIcon
{
    explicit BlankIcon(HICON like)
    {
        if (!like)
            return;
        ICONINFO info {};
        ::GetIconInfo(like, &info);
        BITMAP size {};
        ::GetObjectW(info.hbmColor, sizeof size, &size);
        // Every pixel transparent: a colour bitmap of nothing but zeros, alpha included, and a mask of ones.
        BITMAPINFO colour {};
        colour.bmiHeader = {sizeof colour.bmiHeader, size.bmWidth, size.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        const HBITMAP clear = ::CreateDIBSection(nullptr, &colour, DIB_RGB_COLORS, &bits, nullptr, 0);
        const std::vector<unsigned char> ones(
            static_cast<std::size_t>((size.bmWidth + 15) / 16 * 2 * size.bmHeight), 0xFF);
        const HBITMAP mask = ::CreateBitmap(size.bmWidth, size.bmHeight, 1, 1, ones.data());
        ICONINFO blank {TRUE, 0, 0, mask, clear};
        icon = ::CreateIconIndirect(&blank);
        ::DeleteObject(clear);
        ::DeleteObject(mask);
        ::DeleteObject(info.hbmColor);
        ::DeleteObject(info.hbmMask);
    }
    ~BlankIcon()
    {
        if (icon)
            ::DestroyIcon(icon);
    }
    BlankIcon(const BlankIcon&) = delete;
    BlankIcon& operator=(const BlankIcon&) = delete;

    HICON icon = nullptr;
};

/// Where the text of `control` is drawn: the pixels it adds to the control drawn without it.
RECT TextInk(HWND control)
{
    const std::wstring text = TextOf(control);
    const Drawing with(control);
    ::SetWindowTextW(control, L"");
    const Drawing without(control);
    ::SetWindowTextW(control, text.c_str());
    return with.Difference(without);
}

/// The ink of the text of `control` when the control is `wider` times as wide and `higher` times as high.
RECT RoomyTextInk(HWND control, int wider, int higher)
{
    RECT r {};
    ::GetWindowRect(control, &r);
    ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    ::SetWindowPos(control, nullptr, 0, 0, width * wider, height * higher, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const RECT ink = TextInk(control);
    ::SetWindowPos(control, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return ink;
}

/// The width of `text` in the font of `control`.
int TextWidth(HWND control, const wchar_t* text)
{
    const HDC dc = ::GetDC(control);
    const HGDIOBJ previous = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE size {};
    ::GetTextExtentPoint32W(dc, text, static_cast<int>(std::wcslen(text)), &size);
    ::SelectObject(dc, previous);
    ::ReleaseDC(control, dc);
    return size.cx;
}

std::string Describe(const RECT& r)
{
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x"
        + std::to_string(r.bottom - r.top);
}

/// Every text of `window` that is not drawn whole inside its control, described.
std::vector<std::string> Misfits(Window& window)
{
    std::vector<std::string> misfits;
    RECT client {};
    ::GetClientRect(window.hwnd(), &client);
    for (const win32::ControlLayout& layout : window.layout().controls) {
        const HWND control = window.Hwnd(layout.id);
        if (!IsShown(control))
            continue;
        const std::string name = std::string(layout.id.name()) + " \"" + ToUtf8(U(TextOf(control))) + "\"";
        if (layout.kind == ControlKind::ComboBox) {
            COMBOBOXINFO info {};
            info.cbSize = sizeof info;
            ::GetComboBoxInfo(control, &info);
            // A fixed list draws its item in the box's item area; an editable one in its edit field.
            const HWND drawn = info.hwndItem ? info.hwndItem : control;
            int room = info.rcItem.right - info.rcItem.left;
            if (info.hwndItem) {
                RECT field {};
                ::GetClientRect(info.hwndItem, &field);
                const auto margins = static_cast<DWORD>(::SendMessageW(info.hwndItem, EM_GETMARGINS, 0, 0));
                room = field.right - LOWORD(margins) - HIWORD(margins);
            }
            for (const wchar_t* item : layout.items)
                if (TextWidth(drawn, item) > room)
                    misfits.push_back(std::string(layout.id.name()) + " item \"" + ToUtf8(U(item))
                        + "\": " + std::to_string(TextWidth(drawn, item)) + " px wide, room " + std::to_string(room));
            continue;
        }
        if (layout.kind == ControlKind::Edit || layout.kind == ControlKind::Memo || layout.kind == ControlKind::GroupBox
            || TextOf(control).empty())
            continue;
        // A button's glyph stays where it is, drawn as nothing, while the text is measured.
        const auto glyph = reinterpret_cast<HICON>(::SendMessageW(control, BM_GETIMAGE, IMAGE_ICON, 0));
        const BlankIcon blank(glyph);
        if (glyph)
            ::SendMessageW(control, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(blank.icon));
        const RECT ink = TextInk(control);
        // A check box's or radio button's mark moves with the height: those are measured in width only, and their text
        // must not touch the edges where the control would clip it.
        const bool mark = layout.kind == ControlKind::CheckBox || layout.kind == ControlKind::RadioButton;
        const RECT roomy = RoomyTextInk(control, 4, mark ? 1 : 2);
        RECT glyphInk {};
        if (glyph) {
            const Drawing withBlank(control);
            ::SendMessageW(control, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(glyph));
            const Drawing withGlyph(control);
            glyphInk = withGlyph.Difference(withBlank);
        }
        RECT inside {};
        ::GetClientRect(control, &inside);
        if (ink.right - ink.left < roomy.right - roomy.left || ink.bottom - ink.top < roomy.bottom - roomy.top
            || (mark && (ink.top <= 0 || ink.bottom >= inside.bottom))) {
            misfits.push_back(
                name + ": cut, drawn " + Describe(ink) + " of " + Describe(roomy) + " in " + Describe(inside));
            continue;
        }
        // A label may run on beyond its design width, but not beyond the window.
        RECT where {};
        ::GetWindowRect(control, &where);
        ::MapWindowPoints(nullptr, window.hwnd(), reinterpret_cast<POINT*>(&where), 2);
        if (where.left + ink.right > client.right)
            misfits.push_back(name + ": runs past the window's edge");
        if (layout.kind != ControlKind::PushButton)
            continue;
        // Inside the button's frame, clear of the close glyph.
        const int frame = win32::Scale(2, window.dpi());
        ::InflateRect(&inside, -frame, -frame);
        RECT within {};
        if (!::IntersectRect(&within, &ink, &inside) || !::EqualRect(&within, &ink))
            misfits.push_back(name + ": drawn " + Describe(ink) + " over the frame of " + Describe(inside));
        RECT overlap {};
        if (glyph && (glyphInk.right <= glyphInk.left || ::IntersectRect(&overlap, &glyphInk, &ink)))
            misfits.push_back(
                name + ": the glyph at " + Describe(glyphInk) + " and the text at " + Describe(ink) + " overlap");
    }
    return misfits;
}

std::string Join(const std::vector<std::string>& lines)
{
    std::string s;
    for (const std::string& line : lines)
        s += line + "\n";
    return s;
}

class TextFit : public Win32Fixture
{
protected:
    void Check(Window& window)
    {
        for (const int dpi : {96, 144}) {
            if (window.dpi() != dpi)
                MoveToDpi(window, dpi);
            ASSERT_EQ(window.dpi(), dpi);
            const std::vector<std::string> misfits = Misfits(window);
            EXPECT_TRUE(misfits.empty()) << window.layout().name << " at " << dpi << " dpi\n" << Join(misfits);
        }
    }
};

TEST_F(TextFit, EveryTextOfEveryWindowFitsItsControl)
{
    {
        win32::TfrmMain main(env, prompts);
        Check(main.window());
        // The position fields and their labels, shown.
        const HWND combo = main.window().Hwnd(form::TfrmMain::ComboBox1);
        ::SendMessageW(combo, CB_SETCURSEL, 1, 0);
        ::SendMessageW(main.window().hwnd(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(combo), CBN_SELCHANGE),
            reinterpret_cast<LPARAM>(combo));
        ASSERT_TRUE(IsShown(main.window().Hwnd(form::TfrmMain::Label4)));
        Check(main.window());
    }
    {
        win32::TfrmOption option(env, prompts, nullptr);
        Check(option.window());
    }
    {
        win32::TfrmConvert convert(env, prompts, nullptr);
        Check(convert.window());
    }
    {
        win32::TfrmReplace replace(env, prompts, nullptr);
        Check(replace.window());
    }
    Setting(u"SAVEFDR", u"C:\\保存先");
    {
        win32::TfrmSavePath savePath(env, prompts, nullptr);
        WhileShown(savePath.window(), [&] {
            ASSERT_TRUE(IsShown(savePath.window().Hwnd(form::TfrmSavePath::Button1)));
            Check(savePath.window());
        });
    }
}

TEST_F(TextFit, TheResultDialogShowsTheLongestMessageOfEachJob)
{
    const std::vector<std::u16string> messages = LongestResultMessages();
    for (const bool saveFolder : {false, true}) {
        Setting(u"SAVEFDR", saveFolder ? u"C:\\保存先" : u"");
        for (const std::u16string& message : messages) {
            SCOPED_TRACE(ToUtf8(message));
            win32::TfrmMsg dialog(env, prompts, nullptr);
            dialog.Take({message});
            Check(dialog.window());
        }
    }
}

} // namespace
} // namespace plok::test
