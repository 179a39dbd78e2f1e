#include "present/ClickGate.h"
#include "win32/Win32Ui.h"

#include <memory>
#include <stdexcept>
#include <utility>

namespace plok::win32 {

namespace {

struct Gate
{
    ClickGate gate;
    HHOOK hook = nullptr;
};

Gate*& CurrentGate()
{
    static Gate* gate = nullptr;
    return gate;
}

bool IsPress(const MSG& msg)
{
    switch (msg.message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_XBUTTONDOWN:
    case WM_XBUTTONDBLCLK:
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONDBLCLK:
    case WM_NCMBUTTONDOWN:
    case WM_NCMBUTTONDBLCLK:
    case WM_NCXBUTTONDOWN:
    case WM_NCXBUTTONDBLCLK:
        return true;
    case WM_KEYDOWN:
        return msg.wParam == VK_RETURN || msg.wParam == VK_SPACE;
    default:
        return false;
    }
}

// Sees every message this thread takes from its queue, in our loop as in the loops of MessageBoxW and the common
// dialogs; a message held back becomes WM_NULL, which nobody handles.
LRESULT CALLBACK GateHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        auto& msg = *reinterpret_cast<MSG*>(lParam);
        const bool repeat = msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN && (msg.lParam & (1L << 30)) != 0;
        if (const Gate* g = CurrentGate(); g && (repeat || (IsPress(msg) && !g->gate.Admits(ClickGate::Clock::now()))))
            msg.message = WM_NULL;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

ClickGateScope::ClickGateScope(std::chrono::milliseconds quiet)
{
    auto gate = std::make_unique<Gate>(Gate {ClickGate(quiet)});
    gate->hook = ::SetWindowsHookExW(WH_GETMESSAGE, &GateHook, nullptr, ::GetCurrentThreadId());
    if (!gate->hook)
        throw std::runtime_error("SetWindowsHookExW failed");
    CurrentGate() = gate.release();
}

ClickGateScope::~ClickGateScope()
{
    Gate* gate = std::exchange(CurrentGate(), nullptr);
    ::UnhookWindowsHookEx(gate->hook);
    delete gate;
}

void ModalChanged()
{
    if (Gate* g = CurrentGate())
        g->gate.ModalChanged(ClickGate::Clock::now());
}

} // namespace plok::win32
