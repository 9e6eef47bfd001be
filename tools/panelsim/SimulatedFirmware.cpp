#include "SimulatedFirmware.h"

#include <QList>
#include <QRandomGenerator>

namespace {
const QByteArray Magic = QByteArrayLiteral("QUORVIN-SIMULATED-FIRMWARE");
}

QByteArray SimulatedFirmware::header(const QString &fwVersion, const QString &panelVersion)
{
    QByteArray line = Magic;
    if (!fwVersion.isEmpty())
        line += " fw=" + fwVersion.toLatin1();
    if (!panelVersion.isEmpty())
        line += " panel=" + panelVersion.toLatin1();
    return line + '\n';
}

QByteArray SimulatedFirmware::make(qint64 size, const QString &fwVersion, const QString &panelVersion, quint32 seed)
{
    QByteArray data = header(fwVersion, panelVersion);
    const int head = data.size();
    data.resize(int(qMax<qint64>(size, head)));
    QRandomGenerator random(seed);
    for (int i = head; i < data.size(); ++i)
        data[i] = char(random.bounded(256));
    return data.left(int(size));
}

bool SimulatedFirmware::read(const QByteArray &head, QString *fwVersion, QString *panelVersion)
{
    if (!head.startsWith(Magic))
        return false;
    const int end = head.indexOf('\n');
    if (end < 0)
        return false;
    fwVersion->clear();
    panelVersion->clear();
    const QList<QByteArray> words = head.left(end).split(' ');
    for (const QByteArray &word : words) {
        if (word.startsWith("fw="))
            *fwVersion = QString::fromLatin1(word.mid(3));
        else if (word.startsWith("panel="))
            *panelVersion = QString::fromLatin1(word.mid(6));
    }
    return true;
}
