#include "firmware/PanelVersion.h"

bool PanelVersion::isWellFormed(const QString &version)
{
    if (version.size() != 11)
        return false;
    for (int i = 0; i < 11; ++i) {
        const QChar c = version.at(i);
        if (i % 3 == 2 ? c != QLatin1Char('.') : !c.isLetterOrNumber() || c.unicode() > 127)
            return false;
    }
    return true;
}

QString PanelVersion::field(const QString &version, int index)
{
    return isWellFormed(version) && index >= 0 && index < 4 ? version.mid(index * 3, 2) : QString();
}

int PanelVersion::fieldValue(const QString &version, int index)
{
    bool ok = false;
    const int value = field(version, index).toInt(&ok, 10);
    return ok ? value : 0;
}

QString PanelVersion::withField(const QString &version, int index, const QString &value)
{
    if (!isWellFormed(version) || index < 0 || index > 3 || value.size() != 2)
        return version;
    QString result = version;
    result.replace(index * 3, 2, value);
    return result;
}

int PanelVersion::inchesForSizeCode(int sizeCode)
{
    switch (sizeCode) {
    case 1:
        return 65;
    case 2:
        return 75;
    case 3:
        return 86;
    default:
        return 0;
    }
}
