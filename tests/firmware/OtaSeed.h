#pragma once

// Devices and groups written to the real data store, as the OTA page tests need them.

#include "datastore/DbResult.h"
#include "datastore/OrvantaDBManager.h"
#include "support/StoredDevice.h"

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

/// Puts the device into the group, creating the group when it is missing.
inline void join(VelkIFPDevice device, const QString &groupName)
{
    VelkGroups group;
    group.groupName = groupName;
    group.groupType = device.deviceType;
    db()->createGroups(group); // refused when it exists, which is fine
    db()->joinGroups(device, group);
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
    for (const QString &groupName : groups)
        join(device, groupName);
    return storedDevice(name);
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

/// A stored, enabled OTA schedule starting at `start` ("yyyy-MM-dd hh:mm"): of `devices` (target 2) or, with no
/// device, of the groups named (target 3).
inline VelkOtaSchedule schedule(const QList<VelkIFPDevice> &devices, const QStringList &groups, const QString &start,
                                int status)
{
    VelkOtaSchedule record;
    record.scheduleTarget = devices.isEmpty() ? 3 : 2;
    record.date = start.section(QLatin1Char(' '), 0, 0);
    record.time = start.section(QLatin1Char(' '), 1, 1);
    record.status = status;
    record.isEnable = true;
    record.devices = devices;
    for (const QString &name : groups)
        record.groups.append(group(name));
    if (db()->insertOtaSchedule(record) != DB_OK)
        qWarning("insertOtaSchedule failed");
    return record;
}

inline QList<VelkOtaSchedule> schedules()
{
    QList<VelkOtaSchedule> all;
    db()->queryAllOtaSchedule(all);
    return all;
}

} // namespace OtaSeed
