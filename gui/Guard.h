#pragma once

#include "present/Prompts.h"

#include <QCursor>
#include <QGuiApplication>
#include <QObject>

namespace plok::gui {

/// A cursor over the whole program for as long as the object lives, put back on every way out: the busy cursor while
/// a handler reads or writes files, the normal one over it while a box or dialog waits for the user.
class OverrideCursor
{
public:
    explicit OverrideCursor(Qt::CursorShape shape) { QGuiApplication::setOverrideCursor(QCursor(shape)); }
    ~OverrideCursor() { QGuiApplication::restoreOverrideCursor(); }
    OverrideCursor(const OverrideCursor&) = delete;
    OverrideCursor& operator=(const OverrideCursor&) = delete;
};

/// Connects `signal` to `body` so that `body` runs through the one guard, under the busy cursor: a failure ends the
/// handler with the error box and never reaches the event loop.
template<class Sender, class Signal, class Body>
QMetaObject::Connection ConnectGuarded(Sender* sender, Signal signal, QObject* context, Prompts& prompts, Body body)
{
    return QObject::connect(sender, signal, context, [&prompts, body]() {
        const OverrideCursor busy(Qt::WaitCursor);
        RunGuarded(prompts, body);
    });
}

} // namespace plok::gui
