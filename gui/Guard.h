#pragma once

#include "core/Prompts.h"

#include <QObject>

namespace plok::gui {

/// Connects `signal` to `body` so that `body` runs through the one guard: a failure ends the handler with the error
/// box and never reaches the event loop.
template<class Sender, class Signal, class Body>
QMetaObject::Connection ConnectGuarded(Sender* sender, Signal signal, QObject* context, Prompts& prompts, Body body)
{
    return QObject::connect(sender, signal, context, [&prompts, body]() { RunGuarded(prompts, body); });
}

} // namespace plok::gui
