#pragma once

#include "datastore/OrvantaDBIntf.h"

#include <QList>
#include <QString>

// Creates a panel user (allowed every app) and returns its muid; 0 when it was not stored.
inline quint32 createPanelUser(OrvantaDBIntf *db, const QString &name, const QString &password,
                               const QString &card = QString())
{
    VelkMultiUser user;
    user.userName = name;
    user.password = password;
    user.rfidId = card;
    user.hasPermission = true;
    return db->createMultiUser(user) == DB_OK ? user.muid : 0;
}

// The user assignments of the device with that did.
inline QList<VelkUserDevice> userDeviceLinks(OrvantaDBIntf *db, quint32 did)
{
    QList<VelkUserDevice> all;
    db->queryUserDevice(all, 0);
    QList<VelkUserDevice> links;
    for (const VelkUserDevice &link : qAsConst(all)) {
        if (link.deviceId == did)
            links.append(link);
    }
    return links;
}
