#pragma once

// A large site for the table tests: `count` devices that can take a broadcast and the panels' accounts, named
// "<prefix> NNN", spread over `groupCount` groups "<prefix> Block NN", written through the data store in one
// transaction (one by one, each write waits for the disk), and removed again with the object.

#include <QList>
#include <QString>

#include "datastore/DbResult.h"
#include "datastore/DbTransaction.h"
#include "datastore/OrvantaDBManager.h"

class ManyDevices
{
public:
    ManyDevices(int count, int groupCount, const QString &prefix, int firstSerial)
    {
        OrvantaDBIntf *db = OrvantaDBManager::getInstance();
        DbTransaction transaction = db->transaction("ManyDevices");
        bool written = transaction.isActive();
        for (int g = 0; g < groupCount && written; ++g) {
            VelkGroups group;
            group.groupName = QStringLiteral("%1 Block %2").arg(prefix).arg(g, 2, 10, QLatin1Char('0'));
            written = db->createGroups(group) == DB_OK;
            groups << group;
        }
        for (int i = 0; i < count && written; ++i) {
            const int serial = firstSerial + i;
            VelkIFPDevice device;
            device.deviceName = QStringLiteral("%1 %2").arg(prefix).arg(i, 3, 10, QLatin1Char('0'));
            device.macAddress = QStringLiteral("02:00:5e:%1:%2:%3")
                                    .arg((serial >> 16) & 0xff, 2, 16, QLatin1Char('0'))
                                    .arg((serial >> 8) & 0xff, 2, 16, QLatin1Char('0'))
                                    .arg(serial & 0xff, 2, 16, QLatin1Char('0'));
            device.displayClientVersion = QStringLiteral("1.1.1017.18");
            device.deviceType = QStringLiteral("Control Box");
            written = db->createIFPDevice(device) == DB_OK &&
                      (groupCount == 0 || db->joinGroups(device, groups[i % groupCount]) == DB_OK);
            devices << device;
        }
        m_valid = written && transaction.commit();
    }

    ~ManyDevices()
    {
        OrvantaDBIntf *db = OrvantaDBManager::getInstance();
        DbTransaction transaction = db->transaction("~ManyDevices");
        for (VelkIFPDevice &device : devices)
            db->deleteIFPDevice(device);
        for (VelkGroups &group : groups)
            db->deleteGroups(group);
        transaction.commit();
    }

    bool isValid() const { return m_valid; }

    QList<VelkIFPDevice> devices;
    QList<VelkGroups> groups;

private:
    bool m_valid = false;
};
