#include "shell/base/CsvPosition.h"

CsvPosition CsvPosition::atEndOf(const QString &text)
{
    CsvPosition position;
    bool quoted = false;
    const int size = text.size();
    for (int i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('"')) {
            // Each quote opens or closes a quoted part; "" closes and reopens, as the reader reads it.
            quoted = !quoted;
            continue;
        }
        if (quoted)
            continue;
        if (c == QLatin1Char('\r') && i + 1 < size && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            ++position.row;
            position.column = 0;
        } else if (c == QLatin1Char(',')) {
            ++position.column;
        }
    }
    return position;
}
