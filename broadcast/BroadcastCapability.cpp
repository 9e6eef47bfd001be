#include "broadcast/BroadcastCapability.h"

#include "datastore/OrvantaDBIntf.h"
#include "platform/LogLevel.h"
#include "shell/base/Log.h"

#include <QStringList>

namespace BroadcastCapability {

QString minimumClientVersion()
{
    return QStringLiteral("1.1.1017.18");
}

namespace {

int buildField(const QString &version)
{
    const QStringList parts = version.split(QLatin1Char('.'));
    return parts.size() > 3 ? parts.at(3).toInt(nullptr, 10) : 0;
}

} // namespace

int compareVersionBuild(const QString &a, const QString &b)
{
    const int x = buildField(a);
    const int y = buildField(b);
    return x < y ? -1 : (x > y ? 1 : 0);
}

bool isCapable(const VelkIFPDevice &device)
{
    const QString &version = device.displayClientVersion;
    if (version.isEmpty() || version.split(QLatin1Char('.')).size() != 4)
        return false;
    return compareVersionBuild(version, minimumClientVersion()) >= 0 || device.deviceType == QLatin1String("Audio Box");
}

QList<VelkIFPDevice> supportedDevices(OrvantaDBIntf *db, bool *read)
{
    QList<VelkIFPDevice> all;
    const bool readAll = db->queryAllAvailableIFP(all) == DB_OK;
    if (read)
        *read = readAll;
    if (!readAll) {
        writeLog(LOG_LEVEL_ERROR, "getSupportedDeviceList, queryAllAvailableIFP error");
        return QList<VelkIFPDevice>();
    }
    QList<VelkIFPDevice> capable;
    for (const VelkIFPDevice &device : qAsConst(all)) {
        if (isCapable(device))
            capable.append(device);
    }
    return capable;
}

} // namespace BroadcastCapability
