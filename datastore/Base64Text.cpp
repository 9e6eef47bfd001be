#include "datastore/Base64Text.h"

#include <QByteArray>

QString Base64Text::encode(const QString &text)
{
    return QString::fromLatin1(text.toLocal8Bit().toBase64());
}

QString Base64Text::decode(const QString &text)
{
    return QString::fromLocal8Bit(QByteArray::fromBase64(text.toLatin1()));
}
