#pragma once

#include <QByteArray>

// How the firmware log lines print their values: numbers as decimal text, flags as "1" or "0".
inline QByteArray logNumber(qint64 value)
{
    return QByteArray::number(value);
}

inline const char *logFlag(bool value)
{
    return value ? "1" : "0";
}
