#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>

#include "datastore/VelkRecords.h"

/// SQL of the small stores beside the main records: the database identifier, the device-to-
/// camera links (DeviceCameraMap), the event log (EventLog), and the readers of the
/// camera-management program's own database, which is only ever read. Stateless.
/// Every method returns a code of DbResult.h.
class CameraEventTables
{
public:
    /// Leaves uniqueId unchanged when no identifier is stored.
    static quint32 queryDatabaseIdentifierUniqueId(QSqlDatabase db, QString &uniqueId);

    static quint32 insertDeviceCameraMapping(QSqlDatabase db, VelkDeviceCameraMap &mapping);
    /// Sets deviceName and mac of the link of (did, account).
    static quint32 updateDeviceCameraMapping(QSqlDatabase db, VelkDeviceCameraMap &mapping);
    static quint32 deleteDeviceCameraMapping(QSqlDatabase db, int aid);
    static quint32 queryDeviceCameraMapping(QSqlDatabase db, QList<VelkDeviceCameraMap> &mappings);

    static quint32 insertEventLog(QSqlDatabase db, VelkEventLog &event);
    static quint32 deleteEventLog(QSqlDatabase db, int did);
    static quint32 queryEventLog(QSqlDatabase db, QList<VelkEventLog> &events);

    // Readers of the camera-management database (pellmarDb is its connection). On a failed
    // statement the list is left as it was; otherwise it is replaced by what was read.
    static quint32 queryPellmarAccount(QSqlDatabase pellmarDb, QList<PellmarAccount> &accounts);
    static quint32 queryPellmarDevice(QSqlDatabase pellmarDb, QList<PellmarDevice> &cameras);
    static quint32 queryPellmarGroup(QSqlDatabase pellmarDb, QList<PellmarGroup> &groups);
};
