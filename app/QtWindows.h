#pragma once

#include "core/Environment.h"
#include "present/Prompts.h"
#include "present/WindowOpener.h"

class QWidget;

namespace plok::app {

/// Opens the Qt windows a presenter asks for, each a fresh window modal over `parent`.
class QtWindows : public WindowOpener
{
public:
    QtWindows(const Environment& env, Prompts& prompts, QWidget* parent)
        : m_env(env)
        , m_prompts(prompts)
        , m_parent(parent)
    { }

    void Open(WindowKind window) override;
    void OpenResult(const ResultTriple& result) override;

private:
    Environment m_env;
    Prompts& m_prompts;
    QWidget* m_parent;
};

} // namespace plok::app
