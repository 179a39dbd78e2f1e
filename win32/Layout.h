#pragma once

#include "present/Forms.h"

#include <span>

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

/// One control as its window's .ui file has it.
struct ControlLayout
{
    ControlId id; // its name and its place in the client area at 96 dpi
    ControlKind kind;
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

    /// The control, or nullptr when it is not one of this window's.
    const ControlLayout* Find(const ControlId& control) const
    {
        for (const ControlLayout& c : controls)
            if (control == c.id)
                return &c;
        return nullptr;
    }
};

// The layout table, generated at build time from ui/*.ui (ui/GenerateLayouts.py).
extern const WindowLayout kTfrmMainLayout;
extern const WindowLayout kTfrmMsgLayout;
extern const WindowLayout kTfrmSavePathLayout;
extern const WindowLayout kTfrmOptionLayout;
extern const WindowLayout kTfrmConvertLayout;
extern const WindowLayout kTfrmReplaceLayout;

/// The layout of the window `Form` (present/Forms.h).
template<class Form>
const WindowLayout& LayoutOf();

} // namespace plok::win32
