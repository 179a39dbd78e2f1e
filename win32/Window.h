#pragma once

#include "present/Prompts.h"
#include "present/View.h"
#include "present/Wiring.h"
#include "win32/Layout.h"
#include "win32/Win32Ui.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace plok::win32 {

/// Every Win32 window: its frame and its View. The controls, captions, geometry, fonts and tab order come from the
/// window's layout (its .ui file), in the UI font at the point sizes of the file, scaled to the dpi of the monitor
/// the window is on and again whenever it moves to another. The title bar has the system menu and the close box
/// only, the border is sizable, and the window is centred on its monitor each time it is shown. Controls are named by
/// the identifiers generated from the .ui files; one of another window is refused with std::logic_error. A value set
/// by the presenter never comes back as the user's.
///
/// What the user does reaches the presenter through the On... handlers, each run through the one guard, so no
/// exception ever crosses the window procedure.
class Window : public View
{
public:
    /// Creates the window, hidden, and its controls. A child window is owned by `owner`; the main window has none.
    Window(const WindowLayout& layout, Prompts& prompts, HWND owner);
    ~Window() override;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    void SetText(const ControlId& control, std::u16string_view text) override;
    void SetIndex(const ControlId& control, int index) override;
    void SetVisible(const ControlId& control, bool visible) override;
    /// Closes the window as its close button does: the close handler runs, then the window is gone.
    void Close() override;

    /// Connects the controls as `wiring` says (its close button, its centred control and its handlers), then runs its
    /// `created` handler through the guard.
    void Wire(const WindowWiring& wiring);
    /// Puts the close glyph on the push button `button`, which from then on closes the window.
    void SetCloseButton(const ControlId& button);

    /// A click of `button` (or its mnemonic, or Enter or Space while it has the focus), under the busy cursor. A check
    /// box has changed its state by then (IsChecked).
    void OnClick(const ControlId& button, std::function<void()> handler);
    /// The user's edits of the edit field `edit` (typing, pasting, undo), with the new text.
    void OnEdit(const ControlId& edit, std::function<void(std::u16string)> handler);
    /// The user's choice of an item of a combo box or of a radio group (a group box and its radio buttons), with its
    /// index. Text typed into an editable combo box chooses the item it spells, else none (-1). Choosing the item
    /// already chosen chooses nothing.
    void OnChoose(const ControlId& control, std::function<void(int)> handler);
    /// Files dropped from the desktop onto the edit field `edit`, all of one drop at once, under the busy cursor;
    /// nothing is typed into the field by the drop itself.
    void OnDrop(const ControlId& edit, std::function<void(const std::vector<std::u16string>&)> handler);
    /// Each time the program shows the window, before it becomes visible.
    void OnShow(std::function<void()> handler);
    /// When the window closes (its close button, the close box, the system menu, Alt+F4, Close()); the window closes
    /// also when the handler fails.
    void OnClose(std::function<void()> handler);
    /// Keeps `control` (a radio group moves with its items) horizontally where it is relative to the window's middle
    /// when the window is resized, as a control anchored to the top edge alone.
    void KeepCentred(const ControlId& control);

    /// Whether the check box is checked.
    bool IsChecked(const ControlId& box) const;
    /// Grows the window to show the text of `label` whole: on one line while the monitor is wide enough (up to
    /// nine tenths of its width), else wrapped at that width, with the controls below the label moved down. Never
    /// below the layout's size.
    void FitText(const ControlId& label);

    /// Shows the window modally over its owner, which takes no input meanwhile, and returns true once it has closed.
    bool DspSet();
    /// Shows the main window, centred.
    void Show(int showCommand);
    /// Brings the window to the front, restored when minimised, with the modal window over it when one is open.
    void Activate();

    HWND hwnd() const { return m_hwnd; }
    bool IsOpen() const { return m_hwnd != nullptr; }
    const WindowLayout& layout() const { return m_layout; }
    /// The control; throws std::logic_error when it is not one of this window's.
    HWND Hwnd(const ControlId& control) const;
    /// The font the control is drawn in.
    HFONT FontOf(const ControlId& control) const;
    int dpi() const { return m_dpi; }

    /// The window class's name; a second start finds the running main window by it and its caption.
    static constexpr wchar_t kClassName[] = L"PlokWindow";

private:
    struct ControlState
    {
        const ControlLayout* layout = nullptr;
        HWND hwnd = nullptr;
        int id = 0;
        std::wstring text; // a label's text as the presenter set it, which its width follows
        int wrapWidth = 0; // a label's width in design pixels when FitText wrapped its text, else 0
        int chosen = -1; // a combo box's or radio group's item as last chosen or set
        std::function<void()> click;
        std::function<void(std::u16string)> edit;
        std::function<void(int)> choose;
        std::function<void(const std::vector<std::u16string>&)> drop;
    };

    static void RegisterWindowClass();
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    static LRESULT CALLBACK DropProcedure(
        HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR self) noexcept;
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Command(int id, int code);
    void CreateControls();
    void ApplyDpi(int dpi);
    /// Loads the close glyph for the current dpi onto the close button.
    void LoadCloseGlyph();
    void Place(ControlState& c);
    void SizeToLayout();
    /// Lays the label FitText named out again at the current dpi.
    void Refit();
    /// The frame around the layout's client size, grown by FitText, at the current dpi.
    SIZE FrameSize() const;
    void CentreOnMonitor();
    void PrepareToShow();
    void Destroyed();
    ControlState& Find(const ControlId& control);
    const ControlState& Find(const ControlId& control) const;
    /// The control of this window named `name` (a radio button's group box).
    ControlState& FindNamed(std::string_view name);
    /// Leaves the tab stop of the radio group `group` on its chosen item alone, so that Tab lands where Space changes
    /// nothing.
    void TabStopOnChosen(const ControlState& group);
    /// Whether the control (a radio button: its group) is one KeepCentred keeps in the middle.
    bool IsCentred(const ControlState& c) const;
    HFONT Font(int pointSize);
    /// Runs `handler` through the guard, under the busy cursor when `busy`.
    void Run(const std::function<void()>& handler, bool busy);

    const WindowLayout& m_layout;
    Prompts& m_prompts;
    HWND m_owner;
    std::optional<ControlId> m_closeButton;
    HWND m_hwnd = nullptr;
    HWND m_tips = nullptr; // the hover texts of the edit fields, made with the first
    /// Shows the whole of `text` when the mouse rests on the edit field `c`, whose start may be out of sight.
    void HoverText(const ControlState& c, std::wstring& text);
    int m_dpi = 96;
    std::vector<ControlState> m_controls;
    std::map<int, HFONT> m_fonts; // by point size, at the current dpi
    HICON m_closeGlyph = nullptr;
    std::vector<std::string_view> m_centred; // names of the controls KeepCentred keeps in the middle
    std::optional<ControlId> m_fitted; // the label FitText holds whole
    SIZE m_grown {}; // what FitText added to the layout's client size, in design pixels
    int m_grownBelow = 0; // controls whose top lies at or below this design y move down by m_grown.cy
    std::function<void()> m_onShow;
    std::function<void()> m_onClose;
    HWND m_focus = nullptr; // the control that had the focus when the window was last deactivated
    bool m_setting = false; // a value set by the presenter is on its way into a control
    bool m_closing = false;
};

/// The message a later start of the program sends the running main window, which then comes to the front.
UINT ActivationMessage();

/// Hands on the messages waiting in the queue as the event loop does, with the dialog keys of `window`.
void ProcessQueued(HWND window);

/// Runs the program's event loop, with the dialog keys of the main window `main`, until the program is to end.
int RunEventLoop(HWND main);

} // namespace plok::win32
