#include "win32/Window.h"
#include "win32/WindowParts.h"

#include <algorithm>
#include <vector>

namespace plok::win32 {

namespace {

// The open windows that boxes belong to: the main window at the bottom, the modal windows above it.
std::vector<HWND> owners;

} // namespace

HWND ActiveOwner()
{
    return owners.empty() ? nullptr : owners.back();
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
    owners.insert(owners.begin(), m_hwnd);
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
    owners.push_back(m_hwnd);
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
    owners.erase(std::remove(owners.begin(), owners.end(), m_hwnd), owners.end());
    m_hwnd = nullptr;
}

} // namespace plok::win32
