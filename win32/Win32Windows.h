#pragma once

#include "core/Environment.h"
#include "present/Prompts.h"
#include "present/WindowOpener.h"
#include "win32/Win32Ui.h"

namespace plok::win32 {

/// Opens the Win32 windows a presenter asks for, each a fresh window modal over `owner`.
class Win32Windows : public WindowOpener
{
public:
    Win32Windows(const Environment& env, Prompts& prompts, HWND owner)
        : m_env(env)
        , m_prompts(prompts)
        , m_owner(owner)
    { }

    void Open(WindowKind window) override;
    void OpenResult(const ResultTriple& result) override;

private:
    Environment m_env;
    Prompts& m_prompts;
    HWND m_owner;
};

} // namespace plok::win32
