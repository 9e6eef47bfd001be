#include "devices/DeviceRules.h"

#include "platform/ArpTable.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QStringList>

QString DeviceRules::macCellText(const QString &macAddress)
{
    return macAddress.isEmpty() ? QCoreApplication::translate("DeviceRules", "By IP address") : macAddress;
}

bool DeviceRules::isValidName(const QString &name, int longest)
{
    if (name.isEmpty() || name.size() > qMax(int(MaxNameLength), longest))
        return false;
    const QString forbidden = forbiddenNameCharacters();
    for (const QChar c : name) {
        // Control characters cannot be typed into a name field, but a quoted cell of an imported
        // file can hold them (a NUL, a line break); they would cut or break the name wherever shown.
        if (forbidden.contains(c) || c.category() == QChar::Other_Control)
            return false;
    }
    return true;
}

QString DeviceRules::forbiddenNameCharacters()
{
    return QStringLiteral("\\/:*?\"><|");
}

QString DeviceRules::namePattern()
{
    return QStringLiteral("[^\\\\/:*?\"><|]*");
}

bool DeviceRules::isValidIpv4(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    for (const QString &part : parts) {
        if (part.isEmpty() || part.size() > 3)
            return false;
        for (const QChar c : part) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return false;
        }
        // "010" reads as octal to some tools and as decimal to others; refuse it rather than guess.
        if (part.size() > 1 && part.at(0) == QLatin1Char('0'))
            return false;
        if (part.toInt() > 255)
            return false;
    }
    return true;
}

bool DeviceRules::isValidMac(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^([0-9A-Fa-f]{2}:){5}[0-9A-Fa-f]{2}$"));
    return pattern.match(text).hasMatch();
}

bool DeviceRules::isUsableMac(const QString &text)
{
    return ArpTable::isUsableMac(normalizeMac(text));
}
