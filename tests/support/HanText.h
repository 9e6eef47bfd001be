#pragma once

#include <QChar>
#include <QString>

// Whether a text holds Chinese characters: a translated text does, an English one left untranslated does not.
inline bool containsHan(const QString &text)
{
    for (const QChar c : text) {
        if (c.script() == QChar::Script_Han)
            return true;
    }
    return false;
}
