#pragma once

#include "core/Prompts.h"

#include <QObject>
#include <QPushButton>
#include <QString>
#include <QStyle>
#include <string>
#include <string_view>

namespace plok::ui {

inline QString Q(std::u16string_view s)
{
    return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
}

inline std::u16string U(const QString& s)
{
    return s.toStdU16String();
}

/// Title bar of every child window: system menu and close box only, no minimise or maximise box.
inline constexpr Qt::WindowFlags kChildWindowFlags
    = Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;

/// The "閉じる(&C)" buttons carry the standard close glyph.
inline void SetCloseGlyph(QPushButton* button)
{
    button->setIcon(button->style()->standardIcon(QStyle::SP_DialogCloseButton));
}

/// Connects `signal` to `body` so that `body` runs through the one guard: a failure ends the handler with the error
/// box and never reaches the event loop.
template<class Sender, class Signal, class Body>
QMetaObject::Connection ConnectGuarded(Sender* sender, Signal signal, QObject* context, Prompts& prompts, Body body)
{
    return QObject::connect(sender, signal, context, [&prompts, body]() { RunGuarded(prompts, body); });
}

} // namespace plok::ui
