#pragma once

#include <QString>

/// One device assigned to one panel user: a row of table UserDevice.
struct VelkUserDevice
{
    quint32 udid = 0;        ///< row key
    quint32 multiUserId = 0; ///< the user's muid
    quint32 deviceId = 0;    ///< the device's did
    QString lastSyncTime;    ///< "yyyy-MM-dd hh:mm", empty until synchronised
    QString powerStatus;     ///< not stored: working text of the synchronisation report
    QString deviceName;      ///< not stored
    QString groupNames;      ///< not stored
    int syncStatus = 0;      ///< 1 success, 2 failed, 3 setup from server is off
};
