#include "win32/Win32Ui.h"

#include <vector>

namespace plok::win32 {

namespace {

std::vector<HCURSOR>& Cursors()
{
    static std::vector<HCURSOR> cursors;
    return cursors;
}

} // namespace

CursorScope::CursorScope(const wchar_t* cursor)
{
    Cursors().push_back(::LoadCursorW(nullptr, cursor));
    ::SetCursor(Cursors().back());
}

CursorScope::~CursorScope()
{
    Cursors().pop_back();
    ::SetCursor(Cursors().empty() ? ::LoadCursorW(nullptr, IDC_ARROW) : Cursors().back());
}

HCURSOR CursorScope::Current()
{
    return Cursors().empty() ? nullptr : Cursors().back();
}

} // namespace plok::win32
