#include "firmware/FirmwareVersion.h"

#include <QVector>

bool FirmwareVersion::hasFourFields(const QString &version)
{
    return version.count(QLatin1Char('.')) == 3;
}

int FirmwareVersion::compareNumeric(const QString &a, const QString &b)
{
    return compareFields(a, b, false);
}

int FirmwareVersion::compareDelta(const QString &a, const QString &b)
{
    return compareFields(a, b, true);
}

int FirmwareVersion::compareFields(const QString &a, const QString &b, bool dropBuildCharacter)
{
    const QVector<QStringRef> left = a.splitRef(QLatin1Char('.'));
    const QVector<QStringRef> right = b.splitRef(QLatin1Char('.'));
    for (int i = 0; i < 4; ++i) {
        QStringRef l = i < left.size() ? left.at(i) : QStringRef();
        QStringRef r = i < right.size() ? right.at(i) : QStringRef();
        if (dropBuildCharacter && i == 2) {
            l = l.mid(1);
            r = r.mid(1);
        }
        const qint64 lv = fieldValue(l);
        const qint64 rv = fieldValue(r);
        if (lv != rv)
            return lv < rv ? -1 : 1;
    }
    return 0;
}

qint64 FirmwareVersion::fieldValue(const QStringRef &field)
{
    bool ok = false;
    const qint64 value = field.toLongLong(&ok, 10);
    return ok ? value : 0;
}
