#include "datastore/OtaTables.h"

#include <QSqlQuery>

#include "datastore/DbResult.h"
#include "datastore/LinkQueries.h"
#include "datastore/SqlTransaction.h"
#include "shell/base/Log.h"

namespace {

quint32 scheduleExists(QSqlDatabase db, quint32 osid, const char *context)
{
    return LinkQueries::rowExists(db, "OtaSchedule", "osid", osid, context);
}

// A report row read by "SELECT osrid, did, osid, status, fwVersion, watchUntil".
VelkOtaScheduleReport reportRow(const QSqlQuery &row, const VelkIFPDevice &device)
{
    VelkOtaScheduleReport report;
    report.osrid = row.value(0).toUInt();
    report.osid = row.value(2).toUInt();
    report.status = row.value(3).toInt();
    report.fwVersion = row.value(4).toString();
    report.watchUntil = row.value(5).toString();
    report.device = device;
    return report;
}

quint32 insertLinks(QSqlDatabase db, const VelkOtaSchedule &schedule, quint32 osid, const char *context)
{
    return LinkQueries::insertLinks(db, schedule.scheduleTarget, schedule.devices, schedule.groups, "DeviceOtaSchedule",
                                    "GroupsOtaSchedule", "osid", osid, context);
}

} // namespace

// ---- Reminders --------------------------------------------------------------------------

quint32 OtaTables::insertOtaReminder(QSqlDatabase db, VelkOtaReminder &reminder)
{
    if (reminder.deviceModelName.isEmpty())
        return DB_BAD_ARGUMENT;
    return LinkQueries::exec(db,
                             QStringLiteral("INSERT INTO OtaReminder (deviceModelName, deviceNewestFwVersion, "
                                            "deviceNewestPanelFwVersion, isFwVersionSkipped, isPanelFwVersionSkipped) "
                                            "VALUES (?,?,?,?,?)"),
                             {reminder.deviceModelName, reminder.deviceNewestFwVersion,
                              reminder.deviceNewestPanelFwVersion, reminder.isFwVersionSkipped,
                              reminder.isPanelFwVersionSkipped},
                             "OtaTables::insertOtaReminder");
}

quint32 OtaTables::updateOtaReminder(QSqlDatabase db, VelkOtaReminder &reminder)
{
    const char *context = "OtaTables::updateOtaReminder";
    if (reminder.deviceModelName.isEmpty())
        return DB_BAD_ARGUMENT;
    return inTransaction(db, context, [&]() -> quint32 {
        quint32 rc = LinkQueries::rowExists(db, "OtaReminder", "orid", reminder.orid, context);
        // Only the skip flags change; the versions stay as the update manager stored them.
        if (rc == DB_OK)
            rc = LinkQueries::exec(db,
                                   QStringLiteral("UPDATE OtaReminder SET isFwVersionSkipped = ?, "
                                                  "isPanelFwVersionSkipped = ? WHERE orid = ?"),
                                   {reminder.isFwVersionSkipped, reminder.isPanelFwVersionSkipped, reminder.orid},
                                   context);
        return rc;
    });
}

quint32 OtaTables::deleteAllOtaReminder(QSqlDatabase db)
{
    return LinkQueries::exec(db, QStringLiteral("DELETE FROM OtaReminder"), {}, "OtaTables::deleteAllOtaReminder");
}

quint32 OtaTables::skipOtaReminderVersion(QSqlDatabase db, const QString &modelName, const QString &version)
{
    if (modelName.isEmpty())
        return DB_BAD_ARGUMENT;
    return LinkQueries::exec(
        db,
        QStringLiteral("UPDATE OtaReminder SET isFwVersionSkipped = 1 WHERE deviceModelName = ? AND "
                       "deviceNewestFwVersion = ?"),
        {modelName, version}, "OtaTables::skipOtaReminderVersion");
}

quint32 OtaTables::queryAllOtaReminder(QSqlDatabase db, QList<VelkOtaReminder> &reminders)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!sqlExec(query,
                 QStringLiteral("SELECT orid, deviceModelName, deviceNewestFwVersion, deviceNewestPanelFwVersion, "
                                "isFwVersionSkipped, isPanelFwVersionSkipped FROM OtaReminder ORDER BY orid"),
                 {}, "OtaTables::queryAllOtaReminder"))
        return DB_STATEMENT_FAILED;
    while (query.next()) {
        VelkOtaReminder reminder;
        reminder.orid = query.value(0).toUInt();
        reminder.deviceModelName = query.value(1).toString();
        reminder.deviceNewestFwVersion = query.value(2).toString();
        reminder.deviceNewestPanelFwVersion = query.value(3).toString();
        reminder.isFwVersionSkipped = query.value(4).toInt();
        reminder.isPanelFwVersionSkipped = query.value(5).toInt();
        reminders.append(reminder);
    }
    return DB_OK;
}

// ---- Schedules --------------------------------------------------------------------------

quint32 OtaTables::insertOtaSchedule(QSqlDatabase db, VelkOtaSchedule &schedule)
{
    const char *context = "OtaTables::insertOtaSchedule";
    return LinkQueries::insertWithLinks(
        db,
        QStringLiteral("INSERT INTO OtaSchedule (scheduleTarget, date, time, status, isEnable) "
                       "VALUES (?,?,?,?,?)"),
        {schedule.scheduleTarget, schedule.date, schedule.time, schedule.status, schedule.isEnable ? 1 : 0},
        [&](quint32 key) { return insertLinks(db, schedule, key, context); }, schedule.osid, context);
}

quint32 OtaTables::updateOtaSchedule(QSqlDatabase db, VelkOtaSchedule &schedule)
{
    const char *context = "OtaTables::updateOtaSchedule";
    return inTransaction(db, context, [&]() -> quint32 {
        quint32 rc = scheduleExists(db, schedule.osid, context);
        if (rc != DB_OK)
            return rc;
        rc = LinkQueries::exec(
            db,
            QStringLiteral("UPDATE OtaSchedule SET scheduleTarget = ?, date = ?, time = ?, status = ?, "
                           "isEnable = ? WHERE osid = ?"),
            {schedule.scheduleTarget, schedule.date, schedule.time, schedule.status, schedule.isEnable ? 1 : 0,
             schedule.osid},
            context);
        if (rc == DB_OK)
            rc = LinkQueries::deleteLinks(db, "DeviceOtaSchedule", "GroupsOtaSchedule", "osid", schedule.osid, context);
        if (rc == DB_OK)
            rc = insertLinks(db, schedule, schedule.osid, context);
        return rc;
    });
}

quint32 OtaTables::updateOtaScheduleState(QSqlDatabase db, VelkOtaSchedule &schedule)
{
    const char *context = "OtaTables::updateOtaScheduleState";
    return inTransaction(db, context, [&]() -> quint32 {
        quint32 rc = scheduleExists(db, schedule.osid, context);
        if (rc == DB_OK)
            rc = LinkQueries::exec(db, QStringLiteral("UPDATE OtaSchedule SET status = ?, isEnable = ? WHERE osid = ?"),
                                   {schedule.status, schedule.isEnable ? 1 : 0, schedule.osid}, context);
        return rc;
    });
}

quint32 OtaTables::updateOtaScheduleStatusIf(QSqlDatabase db, VelkOtaSchedule &schedule, int from, bool &set)
{
    const char *context = "OtaTables::updateOtaScheduleStatusIf";
    set = false;
    return inTransaction(db, context, SqlTransaction::SingleWrite, [&]() -> quint32 {
        QSqlQuery query(db);
        query.setForwardOnly(true);
        if (!sqlExec(query, QStringLiteral("SELECT status, date, time FROM OtaSchedule WHERE osid = ?"),
                     {schedule.osid}, context))
            return DB_STATEMENT_FAILED;
        if (!query.next())
            return DB_ROW_NOT_FOUND;
        // Changed since the caller read it (the operator moved it, another program changed it): that stands.
        if (query.value(0).toInt() != from || query.value(1).toString() != schedule.date ||
            query.value(2).toString() != schedule.time)
            return DB_OK;
        query.finish();
        const quint32 rc = LinkQueries::exec(db, QStringLiteral("UPDATE OtaSchedule SET status = ? WHERE osid = ?"),
                                             {schedule.status, schedule.osid}, context);
        set = rc == DB_OK;
        return rc;
    });
}

quint32 OtaTables::deleteOtaSchedule(QSqlDatabase db, VelkOtaSchedule &schedule)
{
    return LinkQueries::deleteWithLinks(db, "OtaSchedule", "DeviceOtaSchedule", "GroupsOtaSchedule",
                                        "OtaScheduleReport", "osid", schedule.osid, "OtaTables::deleteOtaSchedule");
}

quint32 OtaTables::queryAllOtaSchedule(QSqlDatabase db, QList<VelkOtaSchedule> &schedules)
{
    const char *context = "OtaTables::queryAllOtaSchedule";
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!sqlExec(query,
                 QStringLiteral("SELECT osid, scheduleTarget, date, time, status, isEnable FROM OtaSchedule "
                                "ORDER BY date, time, osid"),
                 {}, context))
        return DB_STATEMENT_FAILED;
    while (query.next()) {
        VelkOtaSchedule schedule;
        schedule.osid = query.value(0).toUInt();
        schedule.scheduleTarget = query.value(1).toInt();
        schedule.date = query.value(2).toString();
        schedule.time = query.value(3).toString();
        schedule.status = query.value(4).toInt();
        schedule.isEnable = query.value(5).toInt() != 0;
        schedule.failedCount = 0;

        quint32 rc = LinkQueries::targetLinks(db, schedule.scheduleTarget, "DeviceOtaSchedule", "GroupsOtaSchedule",
                                              "osid", schedule.osid, schedule.devices, schedule.groups, context);
        if (rc == DB_OK && schedule.status == UPDATE_FAILED)
            rc = LinkQueries::firstInt(
                db, QStringLiteral("SELECT COUNT(*) FROM OtaScheduleReport WHERE osid = ? AND status = ?"),
                {schedule.osid, int(UPDATE_FAILED)}, schedule.failedCount, context);
        if (rc != DB_OK)
            return rc;
        schedules.append(schedule);
    }
    return DB_OK;
}

// ---- Reports ----------------------------------------------------------------------------

quint32 OtaTables::insertOtaScheduleReport(QSqlDatabase db, VelkOtaSchedule &schedule, QList<VelkIFPDevice> &devices)
{
    const char *context = "OtaTables::insertOtaScheduleReport";
    return inTransaction(db, context, [&]() -> quint32 {
        // Rows written late (held while another program held the database) must not land under a schedule the
        // operator deleted meanwhile.
        const quint32 rc = scheduleExists(db, schedule.osid, context);
        if (rc != DB_OK)
            return rc;
        for (const VelkIFPDevice &device : qAsConst(devices)) {
            if (LinkQueries::exec(db,
                                  QStringLiteral("INSERT INTO OtaScheduleReport (did, osid, status, fwVersion) "
                                                 "VALUES (?, ?, ?, ?)"),
                                  {device.did, schedule.osid, int(UPDATE_NOT_STARTED), device.fwVersion},
                                  context) != DB_OK)
                return DB_STATEMENT_FAILED;
        }
        return DB_OK;
    });
}

quint32 OtaTables::updateOtaScheduleReport(QSqlDatabase db, VelkIFPDevice &device, VelkOtaSchedule &schedule,
                                           int status)
{
    const char *context = "OtaTables::updateOtaScheduleReport";
    return inTransaction(db, context, [&]() -> quint32 {
        quint32 osrid = 0;
        quint32 rc = LinkQueries::firstId(
            db, QStringLiteral("SELECT osrid FROM OtaScheduleReport WHERE did = ? AND osid = ? ORDER BY osrid LIMIT 1"),
            {device.did, schedule.osid}, osrid, context);
        if (rc == DB_OK)
            rc = LinkQueries::exec(
                db, QStringLiteral("UPDATE OtaScheduleReport SET status = ?, fwVersion = ? WHERE osrid = ?"),
                {status, device.fwVersion, osrid}, context);
        return rc;
    });
}

quint32 OtaTables::deleteRelatedOtaScheduleReport(QSqlDatabase db, VelkOtaSchedule &schedule)
{
    return LinkQueries::exec(db, QStringLiteral("DELETE FROM OtaScheduleReport WHERE osid = ?"), {schedule.osid},
                             "OtaTables::deleteRelatedOtaScheduleReport");
}

quint32 OtaTables::queryOtaScheduleReportByOtaSchedule(QSqlDatabase db, const VelkOtaSchedule &schedule,
                                                       QList<VelkOtaScheduleReport> &rows)
{
    return LinkQueries::reportRows(
        db,
        QStringLiteral("SELECT osrid, did, osid, status, fwVersion, watchUntil FROM "
                       "OtaScheduleReport WHERE osid = ? ORDER BY osrid"),
        schedule.osid, "OtaTables::queryOtaScheduleReportByOtaSchedule",
        [&rows](const QSqlQuery &row, const VelkIFPDevice &device) { rows.append(reportRow(row, device)); });
}

quint32 OtaTables::updateOtaScheduleReportWatch(QSqlDatabase db, quint32 osid, quint32 did, const QString &until)
{
    return LinkQueries::exec(db,
                             QStringLiteral("UPDATE OtaScheduleReport SET watchUntil = ? WHERE osid = ? AND did = ?"),
                             {until.isEmpty() ? QVariant(QVariant::String) : QVariant(until), osid, did},
                             "OtaTables::updateOtaScheduleReportWatch");
}

quint32 OtaTables::queryWatchedOtaScheduleReports(QSqlDatabase db, QList<VelkOtaScheduleReport> &rows)
{
    // A row whose device is gone is skipped: nothing is watched for it.
    return LinkQueries::reportRows(
        db,
        QStringLiteral("SELECT osrid, did, osid, status, fwVersion, watchUntil FROM "
                       "OtaScheduleReport WHERE watchUntil IS NOT NULL AND watchUntil <> '' "
                       "ORDER BY osrid"),
        QVariantList(), "OtaTables::queryWatchedOtaScheduleReports",
        [&rows](const QSqlQuery &row, const VelkIFPDevice &device) { rows.append(reportRow(row, device)); });
}
