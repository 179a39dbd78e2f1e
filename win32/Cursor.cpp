#include "win32/Win32Ui.h"

#include <vector>

namespace plok::win32 {

namespace {

// The cursors the living scopes ask for, the innermost last.
std::vector<HCURSOR> cursors;

} // namespace

CursorScope::CursorScope(const wchar_t* cursor)
{
    cursors.push_back(::LoadCursorW(nullptr, cursor));
    ::SetCursor(cursors.back());
}

CursorScope::~CursorScope()
{
    cursors.pop_back();
    ::SetCursor(cursors.empty() ? ::LoadCursorW(nullptr, IDC_ARROW) : cursors.back());
}

HCURSOR CursorScope::Current()
{
    return cursors.empty() ? nullptr : cursors.back();
}

} // namespace plok::win32
