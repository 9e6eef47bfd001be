#pragma once

#include <QKeySequence>
#include <QString>
#include <QTestEventList>

// The keys of a list such as "Ctrl+A, X, Ctrl+Z", clicked in turn; an empty list clicks none. A table row names what
// an operator presses as the operator would.
inline QTestEventList keyList(const QString &keys)
{
    QTestEventList events;
    for (const QString &key : keys.split(QStringLiteral(", "), Qt::SkipEmptyParts)) {
        const int combined = QKeySequence(key)[0];
        events.addKeyClick(Qt::Key(combined & ~Qt::KeyboardModifierMask),
                           Qt::KeyboardModifiers(combined & Qt::KeyboardModifierMask));
    }
    return events;
}
