#pragma once

// windows.h and the shell and common-control headers for the Win32 front end, and the few helpers every part of it
// uses.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <chrono>
#include <string>
#include <string_view>
#include <windows.h>

namespace plok::win32 {

// wchar_t is UTF-16 on Windows: the texts cross as they are.
inline std::wstring W(std::u16string_view text)
{
    return std::wstring(text.begin(), text.end());
}

inline std::u16string U(std::wstring_view text)
{
    return std::u16string(text.begin(), text.end());
}

/// A length in pixels at 96 dpi, in pixels at `dpi`.
inline int Scale(int designPixels, int dpi)
{
    return ::MulDiv(designPixels, dpi, 96);
}

/// The cursor over the program's windows for as long as the object lives, put back on every way out: the busy cursor
/// while a handler reads or writes files, the normal one over it while a box or a window waits for the user. Nested
/// objects stack.
class CursorScope
{
public:
    explicit CursorScope(const wchar_t* cursor);
    ~CursorScope();
    CursorScope(const CursorScope&) = delete;
    CursorScope& operator=(const CursorScope&) = delete;

    /// The cursor the innermost living object asks for, or nullptr when there is none.
    static HCURSOR Current();
};

/// Puts a ClickGate (present/ClickGate.h) over every window of this thread, the system's boxes and dialogs included,
/// for as long as the object lives: each modal window shown or closed (ModalChanged) starts its quiet time, and a press
/// of a mouse button, or of Return, Enter or Space, that it holds back reaches no window. A held Return presses once:
/// its repeats reach no window either.
class ClickGateScope
{
public:
    explicit ClickGateScope(std::chrono::milliseconds quiet);
    ~ClickGateScope();
    ClickGateScope(const ClickGateScope&) = delete;
    ClickGateScope& operator=(const ClickGateScope&) = delete;
};

/// Tells the click gate, when there is one, that a modal window of the program or of the system has just been shown
/// or closed.
void ModalChanged();

/// The window that boxes and dialogs belong to: the innermost modal window, else the main window; nullptr before the
/// first window opens.
HWND ActiveOwner();

} // namespace plok::win32
