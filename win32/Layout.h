#pragma once

#include <span>
#include <string_view>

namespace plok::win32 {

/// The Win32 control that stands for a Qt widget class of the .ui files.
enum class ControlKind
{
    PushButton, // QPushButton
    Edit, // QLineEdit
    Label, // QLabel
    ComboBox, // QComboBox
    Memo, // QPlainTextEdit
    GroupBox, // QGroupBox: the frame of a radio group
    RadioButton, // QRadioButton, an item of the group box it lies in
    CheckBox, // QCheckBox
};

enum class Align
{
    Left,
    Center,
    Right,
};

/// A rectangle in pixels at 96 dpi, in the client area of its window.
struct DesignRect
{
    int x;
    int y;
    int width;
    int height;
};

/// One control as its window's .ui file has it.
struct ControlLayout
{
    const char* name; // the object name, by which the presenter names it
    ControlKind kind;
    DesignRect rect;
    const wchar_t* text; // caption or title; "&" marks the mnemonic of a button's caption
    int pointSize; // 0: the window's
    bool visible;
    int tabOrder; // place in the tab order, -1 for none
    Align align;
    bool readOnly;
    bool editable; // a combo box whose text can be typed
    bool wrap; // a memo that wraps its lines
    bool checked; // a radio button or check box checked from the start
    const char* group; // a radio button's group box, else ""
    int item; // a radio button's index in its group, else -1
    std::span<const wchar_t* const> items; // a combo box's items
};

/// A window as its .ui file has it. The controls come in creation order, which is Win32's tab order and its z-order
/// from the top: the tab stops in the file's tab order, then the controls that take no focus, then the group boxes
/// (beneath their radio buttons).
struct WindowLayout
{
    const char* name;
    const wchar_t* caption;
    int width; // client area at 96 dpi
    int height;
    int pointSize;
    std::span<const ControlLayout> controls;

    /// The control `name`, or nullptr.
    const ControlLayout* Find(std::string_view control) const
    {
        for (const ControlLayout& c : controls)
            if (control == c.name)
                return &c;
        return nullptr;
    }
};

// The layout table, generated at build time from ui/*.ui (win32/GenerateLayouts.py).
extern const WindowLayout kTfrmMainLayout;
extern const WindowLayout kTfrmMsgLayout;
extern const WindowLayout kTfrmSavePathLayout;
extern const WindowLayout kTfrmOptionLayout;
extern const WindowLayout kTfrmConvertLayout;
extern const WindowLayout kTfrmReplaceLayout;

} // namespace plok::win32
