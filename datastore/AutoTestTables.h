#pragma once

#include <QList>
#include <QSqlDatabase>

#include "datastore/VelkRecords.h"

/// SQL of the auto-test schedules (AutoTestSchedule), their device and group links and their
/// report rows (AutoTestScheduleReport). Stateless; OrvantaDBManager calls it after its
/// argument guards. Every method returns a code of DbResult.h; writes are all-or-nothing.
class AutoTestTables
{
public:
    static quint32 queryAllAutoTestSchedule(QSqlDatabase db, QList<VelkAutoTestSchedule> &schedules);
    static quint32 queryDeviceByAutoTestSchedule(QSqlDatabase db, VelkAutoTestSchedule schedule,
                                                 QList<VelkIFPDevice> &devices);
    static quint32 queryGroupsByAutoTestSchedule(QSqlDatabase db, VelkAutoTestSchedule schedule,
                                                 QList<VelkGroups> &groups);
    static quint32 queryAllDeviceByAutoTestSchedule(QSqlDatabase db, VelkAutoTestSchedule schedule,
                                                    QList<VelkIFPDevice> &devices);
    static quint32 queryAutoTestScheduleReportByAutoTestSchedule(QSqlDatabase db, const VelkAutoTestSchedule &schedule,
                                                                 QList<VelkAutoTestScheduleReport> &rows);

    /// Writes the new key into schedule.tsid.
    static quint32 insertAutoTestSchedule(QSqlDatabase db, VelkAutoTestSchedule &schedule);
    static quint32 updateAutoTestSchedule(QSqlDatabase db, VelkAutoTestSchedule &schedule);
    static quint32 updateAutoTestScheduleState(QSqlDatabase db, VelkAutoTestSchedule &schedule);
    /// See OrvantaDBIntf::updateAutoTestScheduleStatusIf.
    static quint32 updateAutoTestScheduleStatusIf(QSqlDatabase db, VelkAutoTestSchedule &schedule, int from, bool &set);
    static quint32 deleteAutoTestSchedule(QSqlDatabase db, VelkAutoTestSchedule &schedule);

    static quint32 insertAutoTestScheduleReport(QSqlDatabase db, VelkAutoTestSchedule &schedule,
                                                QList<VelkIFPDevice> &devices);
    static quint32 updateAutoTestScheduleReport(QSqlDatabase db, VelkIFPDevice &device, VelkAutoTestSchedule &schedule,
                                                int status, int notes);
    static quint32 deleteRelatedAutoTestScheduleReport(QSqlDatabase db, VelkAutoTestSchedule &schedule);
};
