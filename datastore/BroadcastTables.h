#pragma once

#include <QList>
#include <QSqlDatabase>

#include "datastore/VelkRecords.h"

/// SQL of the broadcasts (Broadcast), their device and group links and their report rows
/// (BroadcastReport). Stateless; OrvantaDBManager calls it after its argument guards.
/// Every method returns a code of DbResult.h; writes are all-or-nothing.
class BroadcastTables
{
public:
    /// Writes the new key into broadcast.bid.
    static quint32 insertBroadcast(QSqlDatabase db, VelkBroadcast &broadcast);
    static quint32 updateBroadcast(QSqlDatabase db, VelkBroadcast &broadcast);
    static quint32 updateBroadcastStatus(QSqlDatabase db, VelkBroadcast &broadcast);
    /// See OrvantaDBIntf::updateBroadcastStatusIf.
    static quint32 updateBroadcastStatusIf(QSqlDatabase db, VelkBroadcast &broadcast, VelkBroadcast::Status from,
                                           bool &set);
    static quint32 deleteBroadcast(QSqlDatabase db, VelkBroadcast &broadcast);
    /// One row per device that still exists; DB_ROW_NOT_FOUND when the broadcast does not.
    static quint32 insertBroadcastReport(QSqlDatabase db, VelkBroadcast &broadcast, QList<VelkIFPDevice> &devices);
    /// Sets the result of the device's newest report row of the broadcast (the current sending).
    static quint32 updateBroadcastReport(QSqlDatabase db, VelkIFPDevice &device, VelkBroadcast &broadcast, int status,
                                         int note);
    /// DB_ROW_NOT_FOUND when `from` does not exist.
    static quint32 moveBroadcastReport(QSqlDatabase db, VelkBroadcast &from, VelkBroadcast &to);
    static quint32 deleteBroadcastReport(QSqlDatabase db, VelkBroadcast &broadcast);
    static quint32 queryBroadcastByStatus(QSqlDatabase db, VelkBroadcast::Status status,
                                          QList<VelkBroadcast> &broadcasts);
    static quint32 queryBroadcastReportByBroadcast(QSqlDatabase db, const VelkBroadcast &broadcast,
                                                   QList<VelkBroadcastReport> &rows);
};
