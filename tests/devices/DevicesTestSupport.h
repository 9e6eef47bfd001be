#pragma once

// Shared set-up of the device-management tests: the real data store on a temporary HOME, and
// small helpers to seed and read devices and groups through the database interface.

#include "datastore/DbResult.h"
#include "datastore/OrvantaDBManager.h"
#include "devices/DeviceCatalog.h"
#include "devices/DeviceCsvExporter.h"
#include "shell/base/CsvReader.h"
#include "support/StoredDevice.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

inline OrvantaDBIntf *testDb()
{
    return OrvantaDBManager::getInstance();
}

// Removes every device, group and camera link, so each test starts from the seeded database.
inline void wipeDevices()
{
    OrvantaDBIntf *db = testDb();
    QList<VelkIFPDevice> devices;
    db->queryAllAvailableIFP(devices);
    for (VelkIFPDevice device : devices)
        QCOMPARE(db->deleteIFPDevice(device), DB_OK);
    QList<VelkGroups> groups;
    db->queryAllGroup(groups);
    for (VelkGroups group : groups)
        QCOMPARE(db->deleteGroups(group), DB_OK);
    QList<VelkDeviceCameraMap> mappings;
    db->queryDeviceCameraMapping(mappings);
    for (const VelkDeviceCameraMap &mapping : mappings)
        db->deleteDeviceCameraMapping(mapping.aid);
}

inline VelkIFPDevice seedDevice(const QString &name, const QString &mac, const QString &ip,
                                const QString &type = QStringLiteral("Control Box"),
                                const QStringList &groups = QStringList(), const QString &position = QString())
{
    OrvantaDBIntf *db = testDb();
    VelkIFPDevice device;
    device.deviceName = name;
    device.macAddress = mac;
    device.ipAddress = ip;
    device.deviceType = type;
    device.position = position;
    device.modelName = QStringLiteral("Velk TM B-Series");
    if (db->createIFPDevice(device) != DB_OK)
        qWarning("createIFPDevice failed for %s", qPrintable(name));
    for (const QString &groupName : groups) {
        VelkGroups group;
        group.groupName = groupName;
        group.groupType = type;
        db->createGroups(group);
        VelkIFPDevice member = device;
        db->joinGroups(member, group);
    }
    return storedDevice(name);
}

inline int deviceCount()
{
    QList<VelkIFPDevice> all;
    testDb()->queryAllAvailableIFP(all);
    return all.size();
}

inline QStringList groupsOf(const QString &deviceName)
{
    VelkIFPDevice device;
    device.deviceName = deviceName;
    QList<VelkGroups> groups;
    testDb()->queryGroupsByIFP(device, groups);
    QStringList names;
    for (const VelkGroups &group : groups)
        names << group.groupName;
    return names;
}

// Everything the device list holds, as the export writes it: a cheap fingerprint of the state.
inline QString exportText()
{
    bool ok = false;
    const QString text = DeviceCsvExporter::fileText(testDb(), &ok);
    if (!ok)
        qWarning("export failed");
    return text;
}

inline QList<QStringList> csvRows(const QString &text)
{
    return parseCsv(normalizeCsvText(text));
}
