#include "FleetRecords.h"

#include "BenchSupport.h"

#include <QHash>

namespace bench {

QList<VelkIFPDevice> fleetRecords(int count, Records records, const QString &password)
{
    QList<VelkIFPDevice> devices;
    devices.reserve(count);
    for (int i = 0; i < count; ++i) {
        const VelkIFPDevice full = panelDevice(i, password);
        if (records == Records::Matching) {
            devices.append(full);
            continue;
        }
        VelkIFPDevice imported;
        imported.deviceName = full.deviceName;
        imported.ipAddress = full.ipAddress;
        imported.macAddress = full.macAddress;
        imported.deviceType = full.deviceType;
        imported.position = full.position;
        devices.append(imported);
    }
    return devices;
}

QString recordsName(Records records)
{
    return records == Records::Matching ? QStringLiteral("matching") : QStringLiteral("stale");
}

QStringList recordsNotWrittenBack(const QList<VelkIFPDevice> &stored, int count, const QString &password)
{
    QHash<QString, const VelkIFPDevice *> byMac;
    for (const VelkIFPDevice &device : stored)
        byMac.insert(device.macAddress, &device);
    QStringList wrong;
    for (int i = 0; i < count; ++i) {
        const VelkIFPDevice want = panelDevice(i, password);
        const VelkIFPDevice *have = byMac.value(want.macAddress);
        if (!have || have->ipAddress != want.ipAddress || have->modelName != want.modelName ||
            have->fwVersion != want.fwVersion || have->panelFwVersion != want.panelFwVersion ||
            have->displayClientVersion != want.displayClientVersion || have->sku != want.sku ||
            have->subnetMask != want.subnetMask || have->gateway != want.gateway ||
            have->lastPassword != want.lastPassword || have->deviceName != want.deviceName ||
            have->deviceType != want.deviceType || have->position != want.position)
            wrong.append(want.macAddress);
    }
    return wrong;
}

} // namespace bench
