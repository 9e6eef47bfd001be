#pragma once

#include <QList>
#include <QSqlDatabase>

#include "datastore/VelkRecords.h"

/// SQL of the OTA reminders (OtaReminder), the OTA schedules (OtaSchedule) with their device
/// and group links, and their report rows (OtaScheduleReport). Stateless; OrvantaDBManager
/// calls it after its argument guards. Every method returns a code of DbResult.h; writes are
/// all-or-nothing.
class OtaTables
{
public:
    static quint32 insertOtaReminder(QSqlDatabase db, VelkOtaReminder &reminder);
    static quint32 updateOtaReminder(QSqlDatabase db, VelkOtaReminder &reminder);
    static quint32 deleteAllOtaReminder(QSqlDatabase db);
    static quint32 skipOtaReminderVersion(QSqlDatabase db, const QString &modelName, const QString &version);
    static quint32 queryAllOtaReminder(QSqlDatabase db, QList<VelkOtaReminder> &reminders);

    /// Writes the new key into schedule.osid.
    static quint32 insertOtaSchedule(QSqlDatabase db, VelkOtaSchedule &schedule);
    static quint32 updateOtaSchedule(QSqlDatabase db, VelkOtaSchedule &schedule);
    static quint32 updateOtaScheduleState(QSqlDatabase db, VelkOtaSchedule &schedule);
    /// See OrvantaDBIntf::updateOtaScheduleStatusIf.
    static quint32 updateOtaScheduleStatusIf(QSqlDatabase db, VelkOtaSchedule &schedule, int from, bool &set);
    static quint32 deleteOtaSchedule(QSqlDatabase db, VelkOtaSchedule &schedule);
    static quint32 queryAllOtaSchedule(QSqlDatabase db, QList<VelkOtaSchedule> &schedules);

    static quint32 insertOtaScheduleReport(QSqlDatabase db, VelkOtaSchedule &schedule, QList<VelkIFPDevice> &devices);
    static quint32 updateOtaScheduleReport(QSqlDatabase db, VelkIFPDevice &device, VelkOtaSchedule &schedule,
                                           int status);
    static quint32 deleteRelatedOtaScheduleReport(QSqlDatabase db, VelkOtaSchedule &schedule);
    static quint32 queryOtaScheduleReportByOtaSchedule(QSqlDatabase db, const VelkOtaSchedule &schedule,
                                                       QList<VelkOtaScheduleReport> &rows);
    static quint32 updateOtaScheduleReportWatch(QSqlDatabase db, quint32 osid, quint32 did, const QString &until);
    static quint32 queryWatchedOtaScheduleReports(QSqlDatabase db, QList<VelkOtaScheduleReport> &rows);
};
