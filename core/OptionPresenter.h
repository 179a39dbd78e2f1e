#pragma once

#include "core/WindowOpener.h"

namespace plok {

/// The option window's decisions: the way to the two option tools.
class OptionPresenter
{
public:
    explicit OptionPresenter(WindowOpener& windows)
        : m_windows(windows)
    { }

    /// "ORVAコンバーター": the converter window.
    void Button1Click() { m_windows.Open(WindowKind::Convert); }
    /// "リプレース": the replacement window.
    void Button2Click() { m_windows.Open(WindowKind::Replace); }

private:
    WindowOpener& m_windows;
};

} // namespace plok
