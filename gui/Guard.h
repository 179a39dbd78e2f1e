#pragma once

#include "core/Prompts.h"

#include <QCursor>
#include <QGuiApplication>
#include <QObject>

namespace plok::gui {

/// The busy cursor for as long as the object lives: a handler that reads or writes files shows that the program is
/// working, and the cursor comes back on every way out of it.
class BusyCursor
{
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

/// The normal cursor for as long as the object lives, over a busy one: a box or dialog that waits for the user.
class IdleCursor
{
public:
    IdleCursor() { QGuiApplication::setOverrideCursor(QCursor(Qt::ArrowCursor)); }
    ~IdleCursor() { QGuiApplication::restoreOverrideCursor(); }
    IdleCursor(const IdleCursor&) = delete;
    IdleCursor& operator=(const IdleCursor&) = delete;
};

/// Connects `signal` to `body` so that `body` runs through the one guard, under the busy cursor: a failure ends the
/// handler with the error box and never reaches the event loop.
template<class Sender, class Signal, class Body>
QMetaObject::Connection ConnectGuarded(Sender* sender, Signal signal, QObject* context, Prompts& prompts, Body body)
{
    return QObject::connect(sender, signal, context, [&prompts, body]() {
        const BusyCursor busy;
        RunGuarded(prompts, body);
    });
}

} // namespace plok::gui
