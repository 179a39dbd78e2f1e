#pragma once

#include "present/ControlId.h"

#include <string>
#include <string_view>

namespace plok {

/// A window as its presenter sees it. Controls are the identifiers generated from the window's .ui file
/// (present/Forms.h: form::TfrmMain::Edit1...); a view refuses, by throwing std::logic_error, a control of another
/// window. The presenter only writes to its window: what the user types, chooses or clicks reaches the
/// presenter as a call that carries the value, so the presenter holds every value of its window and never reads one
/// back. Each front end implements this once, for all its windows.
class View
{
public:
    virtual ~View() = default;

    /// Sets the text of an edit field, label, button or memo.
    virtual void SetText(const ControlId& control, std::u16string_view text) = 0;
    /// Selects item `index` of a combo box or radio group (-1: none); checks a check box for 1, clears it for 0.
    /// Setting a value is no user's choice: it reaches no handler of the presenter, and neither does SetText.
    virtual void SetIndex(const ControlId& control, int index) = 0;
    /// Shows or hides a control.
    virtual void SetVisible(const ControlId& control, bool visible) = 0;
    /// Closes the window, as its close button does.
    virtual void Close() = 0;
};

} // namespace plok
