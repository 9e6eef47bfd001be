#include "datastore/AutoTestTables.h"

#include <QSqlQuery>

#include "datastore/DbResult.h"
#include "datastore/LinkQueries.h"
#include "datastore/SqlTransaction.h"
#include "shell/base/Log.h"

namespace {

/// The eleven written columns in table order.
QVariantList scheduleValues(const VelkAutoTestSchedule &s)
{
    return {s.scheduleTarget, s.time,          s.status,        s.isEnable ? 1 : 0, s.isMon ? 1 : 0, s.isTue ? 1 : 0,
            s.isWed ? 1 : 0,  s.isThu ? 1 : 0, s.isFri ? 1 : 0, s.isSat ? 1 : 0,    s.isSun ? 1 : 0};
}

quint32 scheduleExists(QSqlDatabase db, quint32 tsid, const char *context)
{
    return LinkQueries::rowExists(db, "AutoTestSchedule", "tsid", tsid, context);
}

quint32 insertLinks(QSqlDatabase db, const VelkAutoTestSchedule &schedule, quint32 tsid, const char *context)
{
    return LinkQueries::insertLinks(db, schedule.scheduleTarget, schedule.devices, schedule.groups,
                                    "DeviceAutoTestSchedule", "GroupsAutoTestSchedule", "tsid", tsid, context);
}

/// Failed report rows of a failed run; 0 for a schedule in any other state.
quint32 failedCountOf(QSqlDatabase db, quint32 tsid, int status, int &failedCount, const char *context)
{
    failedCount = 0;
    if (status != 3)
        return DB_OK;
    return LinkQueries::firstInt(
        db, QStringLiteral("SELECT COUNT(*) FROM AutoTestScheduleReport WHERE tsid = ? AND status = 3"), {tsid},
        failedCount, context);
}

} // namespace

quint32 AutoTestTables::queryAllAutoTestSchedule(QSqlDatabase db, QList<VelkAutoTestSchedule> &schedules)
{
    const char *context = "AutoTestTables::queryAllAutoTestSchedule";
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!sqlExec(query,
                 QStringLiteral("SELECT tsid, scheduleTarget, time, status, isEnable, isMon, isTue, isWed, isThu, "
                                "isFri, isSat, isSun FROM AutoTestSchedule ORDER BY tsid ASC"),
                 {}, context))
        return DB_STATEMENT_FAILED;
    while (query.next()) {
        VelkAutoTestSchedule schedule;
        schedule.tsid = query.value(0).toUInt();
        schedule.scheduleTarget = query.value(1).toInt();
        schedule.time = query.value(2).toString();
        schedule.status = query.value(3).toInt();
        schedule.isEnable = query.value(4).toInt() != 0;
        schedule.isMon = query.value(5).toInt() != 0;
        schedule.isTue = query.value(6).toInt() != 0;
        schedule.isWed = query.value(7).toInt() != 0;
        schedule.isThu = query.value(8).toInt() != 0;
        schedule.isFri = query.value(9).toInt() != 0;
        schedule.isSat = query.value(10).toInt() != 0;
        schedule.isSun = query.value(11).toInt() != 0;

        quint32 rc =
            LinkQueries::targetLinks(db, schedule.scheduleTarget, "DeviceAutoTestSchedule", "GroupsAutoTestSchedule",
                                     "tsid", schedule.tsid, schedule.devices, schedule.groups, context);
        if (rc == DB_OK)
            rc = failedCountOf(db, schedule.tsid, schedule.status, schedule.failedCount, context);
        if (rc != DB_OK)
            return rc;
        schedules.append(schedule);
    }
    return DB_OK;
}

quint32 AutoTestTables::queryDeviceByAutoTestSchedule(QSqlDatabase db, VelkAutoTestSchedule schedule,
                                                      QList<VelkIFPDevice> &devices)
{
    const char *context = "AutoTestTables::queryDeviceByAutoTestSchedule";
    const quint32 rc = scheduleExists(db, schedule.tsid, context);
    if (rc != DB_OK)
        return rc;
    return LinkQueries::linkedDevices(db, "DeviceAutoTestSchedule", "tsid", schedule.tsid, devices, context);
}

quint32 AutoTestTables::queryGroupsByAutoTestSchedule(QSqlDatabase db, VelkAutoTestSchedule schedule,
                                                      QList<VelkGroups> &groups)
{
    const char *context = "AutoTestTables::queryGroupsByAutoTestSchedule";
    const quint32 rc = scheduleExists(db, schedule.tsid, context);
    if (rc != DB_OK)
        return rc;
    return LinkQueries::linkedGroups(db, "GroupsAutoTestSchedule", "tsid", schedule.tsid, groups, context);
}

quint32 AutoTestTables::queryAllDeviceByAutoTestSchedule(QSqlDatabase db, VelkAutoTestSchedule schedule,
                                                         QList<VelkIFPDevice> &devices)
{
    const char *context = "AutoTestTables::queryAllDeviceByAutoTestSchedule";
    const quint32 rc = scheduleExists(db, schedule.tsid, context);
    if (rc != DB_OK)
        return rc;
    return LinkQueries::deviceSet(db, schedule.scheduleTarget, "DeviceAutoTestSchedule", "GroupsAutoTestSchedule",
                                  "tsid", schedule.tsid, devices, context);
}

quint32 AutoTestTables::queryAutoTestScheduleReportByAutoTestSchedule(QSqlDatabase db,
                                                                      const VelkAutoTestSchedule &schedule,
                                                                      QList<VelkAutoTestScheduleReport> &rows)
{
    const char *context = "AutoTestTables::queryAutoTestScheduleReportByAutoTestSchedule";
    return LinkQueries::reportRows(
        db,
        QStringLiteral("SELECT tsrid, did, tsid, status, notes FROM AutoTestScheduleReport WHERE tsid = ? "
                       "ORDER BY tsrid"),
        schedule.tsid, context, [&rows](const QSqlQuery &row, const VelkIFPDevice &device) {
            VelkAutoTestScheduleReport report;
            report.tsrid = row.value(0).toUInt();
            report.status = row.value(3).toInt();
            report.notes = row.value(4).toInt();
            report.device = device;
            rows.append(report);
        });
}

quint32 AutoTestTables::insertAutoTestSchedule(QSqlDatabase db, VelkAutoTestSchedule &schedule)
{
    const char *context = "AutoTestTables::insertAutoTestSchedule";
    // Only a row that really exists gets its key into the caller's record.
    return LinkQueries::insertWithLinks(
        db,
        QStringLiteral("INSERT INTO AutoTestSchedule (scheduleTarget, time, status, isEnable, "
                       "isMon, isTue, isWed, isThu, isFri, isSat, isSun) "
                       "VALUES (?,?,?,?,?,?,?,?,?,?,?)"),
        scheduleValues(schedule), [&](quint32 key) { return insertLinks(db, schedule, key, context); }, schedule.tsid,
        context);
}

quint32 AutoTestTables::updateAutoTestSchedule(QSqlDatabase db, VelkAutoTestSchedule &schedule)
{
    const char *context = "AutoTestTables::updateAutoTestSchedule";
    return inTransaction(db, context, [&]() -> quint32 {
        quint32 rc = scheduleExists(db, schedule.tsid, context);
        if (rc != DB_OK)
            return rc;
        QVariantList values = scheduleValues(schedule);
        values << schedule.tsid;
        rc = LinkQueries::exec(db,
                               QStringLiteral("UPDATE AutoTestSchedule SET scheduleTarget = ?, time = ?, status = ?, "
                                              "isEnable = ?, isMon = ?, isTue = ?, isWed = ?, isThu = ?, isFri = ?, "
                                              "isSat = ?, isSun = ? WHERE tsid = ?"),
                               values, context);
        if (rc == DB_OK)
            rc = LinkQueries::deleteLinks(db, "DeviceAutoTestSchedule", "GroupsAutoTestSchedule", "tsid", schedule.tsid,
                                          context);
        if (rc == DB_OK)
            rc = insertLinks(db, schedule, schedule.tsid, context);
        return rc;
    });
}

quint32 AutoTestTables::updateAutoTestScheduleState(QSqlDatabase db, VelkAutoTestSchedule &schedule)
{
    const char *context = "AutoTestTables::updateAutoTestScheduleState";
    return inTransaction(db, context, [&]() -> quint32 {
        quint32 rc = scheduleExists(db, schedule.tsid, context);
        if (rc == DB_OK)
            rc = LinkQueries::exec(
                db, QStringLiteral("UPDATE AutoTestSchedule SET status = ?, isEnable = ? WHERE tsid = ?"),
                {schedule.status, schedule.isEnable ? 1 : 0, schedule.tsid}, context);
        return rc;
    });
}

quint32 AutoTestTables::updateAutoTestScheduleStatusIf(QSqlDatabase db, VelkAutoTestSchedule &schedule, int from,
                                                       bool &set)
{
    const char *context = "AutoTestTables::updateAutoTestScheduleStatusIf";
    set = false;
    return inTransaction(db, context, SqlTransaction::SingleWrite, [&]() -> quint32 {
        QSqlQuery query(db);
        query.setForwardOnly(true);
        if (!sqlExec(query, QStringLiteral("SELECT status FROM AutoTestSchedule WHERE tsid = ?"), {schedule.tsid},
                     context))
            return DB_STATEMENT_FAILED;
        if (!query.next())
            return DB_ROW_NOT_FOUND;
        // Another state written since (a save that starts the test afresh, another program's): that stands. Its days
        // and time are not compared: they say when the next runs start, and an edit of them leaves the run's result.
        if (from >= 0 && query.value(0).toInt() != from)
            return DB_OK;
        query.finish();
        const quint32 rc =
            LinkQueries::exec(db, QStringLiteral("UPDATE AutoTestSchedule SET status = ? WHERE tsid = ?"),
                              {schedule.status, schedule.tsid}, context);
        set = rc == DB_OK;
        return rc;
    });
}

quint32 AutoTestTables::deleteAutoTestSchedule(QSqlDatabase db, VelkAutoTestSchedule &schedule)
{
    return LinkQueries::deleteWithLinks(db, "AutoTestSchedule", "DeviceAutoTestSchedule", "GroupsAutoTestSchedule",
                                        "AutoTestScheduleReport", "tsid", schedule.tsid,
                                        "AutoTestTables::deleteAutoTestSchedule");
}

quint32 AutoTestTables::insertAutoTestScheduleReport(QSqlDatabase db, VelkAutoTestSchedule &schedule,
                                                     QList<VelkIFPDevice> &devices)
{
    const char *context = "AutoTestTables::insertAutoTestScheduleReport";
    return inTransaction(db, context, [&]() -> quint32 {
        // Rows written late (held while another program held the database) must not land under a schedule the
        // operator deleted meanwhile.
        const quint32 rc = scheduleExists(db, schedule.tsid, context);
        if (rc != DB_OK)
            return rc;
        // A new row is "under test" (2) with the note "none yet" (1) until the run's check comes. A device deleted
        // since the run took it (a run from what was read before, rows held meanwhile) gets none: nobody sees the row
        // of a device that is gone, yet it would count in the test's result.
        for (const VelkIFPDevice &device : qAsConst(devices)) {
            if (LinkQueries::exec(db,
                                  QStringLiteral("INSERT INTO AutoTestScheduleReport (did, tsid, status, notes) "
                                                 "SELECT ?, ?, 2, 1 WHERE EXISTS (SELECT 1 FROM Device WHERE did = ?)"),
                                  {device.did, schedule.tsid, device.did}, context) != DB_OK)
                return DB_STATEMENT_FAILED;
        }
        return DB_OK;
    });
}

quint32 AutoTestTables::updateAutoTestScheduleReport(QSqlDatabase db, VelkIFPDevice &device,
                                                     VelkAutoTestSchedule &schedule, int status, int notes)
{
    const char *context = "AutoTestTables::updateAutoTestScheduleReport";
    return inTransaction(db, context, [&]() -> quint32 {
        quint32 tsrid = 0;
        quint32 rc = LinkQueries::firstId(
            db,
            QStringLiteral(
                "SELECT tsrid FROM AutoTestScheduleReport WHERE did = ? AND tsid = ? ORDER BY tsrid LIMIT 1"),
            {device.did, schedule.tsid}, tsrid, context);
        if (rc == DB_OK)
            rc = LinkQueries::exec(
                db, QStringLiteral("UPDATE AutoTestScheduleReport SET status = ?, notes = ? WHERE tsrid = ?"),
                {status, notes, tsrid}, context);
        return rc;
    });
}

quint32 AutoTestTables::deleteRelatedAutoTestScheduleReport(QSqlDatabase db, VelkAutoTestSchedule &schedule)
{
    return LinkQueries::exec(db, QStringLiteral("DELETE FROM AutoTestScheduleReport WHERE tsid = ?"), {schedule.tsid},
                             "AutoTestTables::deleteRelatedAutoTestScheduleReport");
}
