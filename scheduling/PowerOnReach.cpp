#include "scheduling/PowerOnReach.h"

#include <QCoreApplication>
#include <QSet>

int PowerOnReach::unwakeableCount(const QList<VelkIFPDevice> &devices, const WakeCheck &canWake)
{
    QSet<quint32> counted;
    for (const VelkIFPDevice &device : devices) {
        if (!canWake(device))
            counted.insert(device.did);
    }
    return counted.size();
}

QString PowerOnReach::noteText(int count)
{
    if (count <= 0)
        return QString();
    return QCoreApplication::translate(
        "PowerOnReach", "On Time can't wake %n device(s) of this schedule: they have no MAC address.", nullptr, count);
}
