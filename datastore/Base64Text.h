#pragma once

#include <QString>

/// The camera-management passwords, kept base64-encoded as local 8-bit text, both in the console's
/// account record and in that program's own database.
class Base64Text
{
public:
    static QString encode(const QString &text);
    static QString decode(const QString &text);
};
