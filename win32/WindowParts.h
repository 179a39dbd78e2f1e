#pragma once

#include "win32/Win32Ui.h"

#include <string>

// What the units of Window share among themselves; nothing outside win32/Window*.cpp and its siblings uses it.
namespace plok::win32 {

// Not WS_CLIPCHILDREN: a group box draws no background of its own, the window beneath it does.
inline constexpr DWORD kStyle = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;

// Below are IDOK and IDCANCEL, which the dialog manager sends on its own.
inline constexpr int kFirstControlId = 100;

/// Hands `msg` on, with the dialog keys of `window` (Tab, the arrow keys within a radio group, mnemonics, Enter and
/// Space on push buttons).
void Dispatch(MSG& msg, HWND window);

/// Waits for one message and hands it on. False when the program is to end.
bool PumpOne(HWND window);

/// The UI font the layout tables were drawn in, else the nearest one this Windows has: Japanese Windows has MS UI
/// Gothic; an English Windows may lack the Japanese supplemental fonts.
const std::wstring& UiFontFace();

} // namespace plok::win32
