#pragma once

// Devices and groups written to the real data store, as the OTA page tests need them.

#include "datastore/DbResult.h"
#include "datastore/OrvantaDBManager.h"

#include <QStringList>

namespace OtaSeed {

inline OrvantaDBIntf *db()
{
    return OrvantaDBManager::getInstance();
}

/// Removes every device, group and OTA schedule.
inline void wipe()
{
    QList<VelkIFPDevice> devices;
    db()->queryAllAvailableIFP(devices);
    for (VelkIFPDevice &device : devices)
        db()->deleteIFPDevice(device);
    QList<VelkGroups> groups;
    db()->queryAllGroup(groups);
    for (VelkGroups &group : groups)
        db()->deleteGroups(group);
    QList<VelkOtaSchedule> schedules;
    db()->queryAllOtaSchedule(schedules);
    for (VelkOtaSchedule &schedule : schedules)
        db()->deleteOtaSchedule(schedule);
}

/// A stored device of that model and version in those groups (created when missing), as read back.
inline VelkIFPDevice device(const QString &name, const QString &model, const QString &fwVersion,
                            const QStringList &groups = {}, const QString &mac = QString())
{
    VelkIFPDevice device;
    device.deviceName = name;
    device.modelName = model;
    device.fwVersion = fwVersion;
    device.macAddress = mac;
    device.ipAddress = QStringLiteral("127.0.0.1");
    device.deviceType = QStringLiteral("Control Box");
    if (db()->createIFPDevice(device) != DB_OK)
        qWarning("createIFPDevice failed for %s", qPrintable(name));
    for (const QString &groupName : groups) {
        VelkGroups group;
        group.groupName = groupName;
        group.groupType = device.deviceType;
        db()->createGroups(group); // refused when it exists, which is fine
        db()->joinGroups(device, group);
    }
    QList<VelkIFPDevice> all;
    db()->queryAllAvailableIFP(all);
    for (const VelkIFPDevice &stored : qAsConst(all)) {
        if (stored.deviceName == name)
            return stored;
    }
    return device;
}

inline VelkGroups group(const QString &name)
{
    QList<VelkGroups> all;
    db()->queryAllGroup(all);
    for (const VelkGroups &stored : qAsConst(all)) {
        if (stored.groupName == name)
            return stored;
    }
    return VelkGroups();
}

inline QList<VelkOtaSchedule> schedules()
{
    QList<VelkOtaSchedule> all;
    db()->queryAllOtaSchedule(all);
    return all;
}

} // namespace OtaSeed
