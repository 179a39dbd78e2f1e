#include "win32/Window.h"
#include "win32/WindowParts.h"

#include <algorithm>
#include <vector>

namespace plok::win32 {

namespace {

// The open windows that boxes belong to: the main window at the bottom, the modal windows above it.
std::vector<HWND>& Owners()
{
    static std::vector<HWND> owners;
    return owners;
}

} // namespace

HWND ActiveOwner()
{
    return Owners().empty() ? nullptr : Owners().back();
}

void Window::PrepareToShow()
{
    CentreOnMonitor();
    if (m_onShow)
        Run(m_onShow, false);
}

void Window::Show(int showCommand)
{
    PrepareToShow();
    Owners().insert(Owners().begin(), m_hwnd);
    ::ShowWindow(m_hwnd, showCommand);
    ::SetFocus(::GetNextDlgTabItem(m_hwnd, nullptr, FALSE));
}

bool Window::DspSet()
{
    const CursorScope normal(IDC_ARROW);
    PrepareToShow();
    if (!m_hwnd)
        return true;
    if (m_owner)
        ::EnableWindow(m_owner, FALSE);
    Owners().push_back(m_hwnd);
    ::ShowWindow(m_hwnd, SW_SHOW);
    ModalChanged();
    ::SetFocus(::GetNextDlgTabItem(m_hwnd, nullptr, FALSE));
    while (m_hwnd && PumpOne(m_hwnd)) { }
    if (m_hwnd)
        Close();
    return true;
}

void Window::Activate()
{
    if (!m_hwnd)
        return;
    if (::IsIconic(m_hwnd))
        ::ShowWindow(m_hwnd, SW_RESTORE);
    const HWND top = ::GetLastActivePopup(m_hwnd);
    ::SetForegroundWindow(top ? top : m_hwnd);
}

void Window::Destroyed()
{
    Owners().erase(std::remove(Owners().begin(), Owners().end(), m_hwnd), Owners().end());
    m_hwnd = nullptr;
}

} // namespace plok::win32
