#include "datastore/DeviceScheduleTables.h"

#include <QSqlQuery>

#include "datastore/DbResult.h"
#include "datastore/LinkQueries.h"
#include "datastore/SqlTransaction.h"

namespace {

VelkSchedule scheduleFromQuery(const QSqlQuery &query)
{
    VelkSchedule schedule;
    schedule.sid = query.value(0).toUInt();
    schedule.onTime = query.value(1).toString();
    schedule.offTime = query.value(2).toString();
    schedule.rebootTime = query.value(3).toString();
    schedule.isEnable = query.value(4).toInt() != 0;
    schedule.isMon = query.value(5).toInt() != 0;
    schedule.isTue = query.value(6).toInt() != 0;
    schedule.isWed = query.value(7).toInt() != 0;
    schedule.isThu = query.value(8).toInt() != 0;
    schedule.isFri = query.value(9).toInt() != 0;
    schedule.isSat = query.value(10).toInt() != 0;
    schedule.isSun = query.value(11).toInt() != 0;
    schedule.scheduleObject = query.value(12).toInt();
    schedule.isPowerOn = query.value(13).toInt() != 0;
    schedule.isPowerOff = query.value(14).toInt() != 0;
    schedule.isReboot = query.value(15).toInt() != 0;
    return schedule;
}

/// The fifteen written columns in table order.
QVariantList scheduleValues(const VelkSchedule &s)
{
    return {s.onTime,        s.offTime,        s.rebootTime,        s.isEnable ? 1 : 0,   s.isMon ? 1 : 0,
            s.isTue ? 1 : 0, s.isWed ? 1 : 0,  s.isThu ? 1 : 0,     s.isFri ? 1 : 0,      s.isSat ? 1 : 0,
            s.isSun ? 1 : 0, s.scheduleObject, s.isPowerOn ? 1 : 0, s.isPowerOff ? 1 : 0, s.isReboot ? 1 : 0};
}

quint32 scheduleExists(QSqlDatabase db, quint32 sid, const char *context)
{
    return LinkQueries::rowExists(db, "Schedule", "sid", sid, context);
}

/// Inserts the row; the new key goes to sid.
quint32 insertScheduleRow(QSqlDatabase db, const VelkSchedule &schedule, quint32 &sid, const char *context)
{
    return LinkQueries::insertRow(
        db,
        QStringLiteral("INSERT INTO Schedule (onTime, offTime, rebootTime, isEnable, isMon, "
                       "isTue, isWed, isThu, isFri, isSat, isSun, scheduleObject, isPowerOn, "
                       "isPowerOff, isReboot) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
        scheduleValues(schedule), sid, context);
}

quint32 updateScheduleRow(QSqlDatabase db, const VelkSchedule &schedule, const char *context)
{
    if (schedule.sid == 0)
        return DB_BAD_ARGUMENT;
    const quint32 rc = scheduleExists(db, schedule.sid, context);
    if (rc != DB_OK)
        return rc;
    QVariantList values = scheduleValues(schedule);
    values << schedule.sid;
    return LinkQueries::exec(
        db,
        QStringLiteral("UPDATE Schedule SET onTime = ?, offTime = ?, rebootTime = ?, isEnable = ?, "
                       "isMon = ?, isTue = ?, isWed = ?, isThu = ?, isFri = ?, isSat = ?, "
                       "isSun = ?, scheduleObject = ?, isPowerOn = ?, isPowerOff = ?, "
                       "isReboot = ? WHERE sid = ?"),
        values, context);
}

/// How one kind of list entry is linked to a schedule.
struct LinkKind
{
    const char *lookup; ///< finds the entry's key by name, letter case ignored
    const char *linkTable;
    const char *keyColumn;
};

const LinkKind kDeviceLink = {"SELECT did FROM Device WHERE deviceName = ? COLLATE NOCASE ORDER BY did LIMIT 1",
                              "DeviceSchedule", "did"};
const LinkKind kGroupLink = {"SELECT gid FROM Groups WHERE groupName = ? COLLATE NOCASE ORDER BY gid LIMIT 1",
                             "GroupsSchedule", "gid"};

/// Links every named entry to the schedule sid, each once: an entry that is already linked
/// (a repeated name, or a name given in another letter case) is skipped and the rest of the
/// list is still linked. Call inside the operation's transaction.
quint32 linkByNames(QSqlDatabase db, const QStringList &names, const LinkKind &kind, quint32 sid, const char *context)
{
    if (sid == 0)
        return DB_BAD_ARGUMENT;
    const QString exists = QStringLiteral("SELECT 1 FROM %1 WHERE %2 = ? AND sid = ?")
                               .arg(QLatin1String(kind.linkTable), QLatin1String(kind.keyColumn));
    const QString insert = QStringLiteral("INSERT INTO %1 (%2, sid) VALUES (?, ?)")
                               .arg(QLatin1String(kind.linkTable), QLatin1String(kind.keyColumn));
    for (const QString &name : names) {
        if (name.isEmpty())
            return DB_BAD_ARGUMENT;
        quint32 key = 0;
        quint32 rc = LinkQueries::firstId(db, QLatin1String(kind.lookup), {name}, key, context);
        if (rc != DB_OK)
            return rc;
        bool linked = false;
        if (!sqlHasRow(db, exists, {key, sid}, linked, context))
            return DB_STATEMENT_FAILED;
        if (linked)
            continue;
        rc = LinkQueries::exec(db, insert, {key, sid}, context);
        if (rc != DB_OK)
            return rc;
    }
    return DB_OK;
}

QStringList deviceNames(const QList<VelkIFPDevice> &devices)
{
    QStringList names;
    for (const VelkIFPDevice &device : devices)
        names << device.deviceName;
    return names;
}

QStringList groupNames(const QList<VelkGroups> &groups)
{
    QStringList names;
    for (const VelkGroups &group : groups)
        names << group.groupName;
    return names;
}

quint32 createLinked(QSqlDatabase db, VelkSchedule &schedule, const QStringList &names, const LinkKind &kind,
                     const char *context)
{
    return inTransaction(db, context, [&]() -> quint32 {
        quint32 sid = 0;
        quint32 rc = insertScheduleRow(db, schedule, sid, context);
        if (rc != DB_OK)
            return rc;
        rc = linkByNames(db, names, kind, sid, context);
        return rc;
    });
}

quint32 rewriteLinked(QSqlDatabase db, VelkSchedule &schedule, const QStringList &names, const LinkKind *kind,
                      const char *context)
{
    if (schedule.sid == 0)
        return DB_BAD_ARGUMENT;
    return inTransaction(db, context, [&]() -> quint32 {
        quint32 rc = updateScheduleRow(db, schedule, context);
        if (rc != DB_OK)
            return rc;
        rc = LinkQueries::deleteLinks(db, "DeviceSchedule", "GroupsSchedule", "sid", schedule.sid, context);
        if (rc != DB_OK)
            return rc;
        if (kind) {
            rc = linkByNames(db, names, *kind, schedule.sid, context);
            if (rc != DB_OK)
                return rc;
        }
        return DB_OK;
    });
}

} // namespace

quint32 DeviceScheduleTables::queryAllSchedule(QSqlDatabase db, QList<VelkSchedule> &schedules)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!sqlExec(query,
                 QStringLiteral("SELECT sid, onTime, offTime, rebootTime, isEnable, isMon, isTue, isWed, isThu, isFri, "
                                "isSat, isSun, scheduleObject, isPowerOn, isPowerOff, isReboot FROM Schedule "
                                "ORDER BY sid ASC"),
                 {}, "DeviceScheduleTables::queryAllSchedule"))
        return DB_STATEMENT_FAILED;
    while (query.next())
        schedules.append(scheduleFromQuery(query));
    return DB_OK;
}

quint32 DeviceScheduleTables::queryDeviceBySchedule(QSqlDatabase db, VelkSchedule schedule,
                                                    QList<VelkIFPDevice> &devices)
{
    const char *context = "DeviceScheduleTables::queryDeviceBySchedule";
    const quint32 rc = scheduleExists(db, schedule.sid, context);
    if (rc != DB_OK)
        return rc;
    return LinkQueries::linkedDevices(db, "DeviceSchedule", "sid", schedule.sid, devices, context);
}

quint32 DeviceScheduleTables::queryGroupsBySchedule(QSqlDatabase db, VelkSchedule schedule, QList<VelkGroups> &groups)
{
    const char *context = "DeviceScheduleTables::queryGroupsBySchedule";
    const quint32 rc = scheduleExists(db, schedule.sid, context);
    if (rc != DB_OK)
        return rc;
    return LinkQueries::linkedGroups(db, "GroupsSchedule", "sid", schedule.sid, groups, context);
}

quint32 DeviceScheduleTables::queryAllDeviceBySchedule(QSqlDatabase db, VelkSchedule schedule,
                                                       QList<VelkIFPDevice> &devices)
{
    const char *context = "DeviceScheduleTables::queryAllDeviceBySchedule";
    const quint32 rc = scheduleExists(db, schedule.sid, context);
    if (rc != DB_OK)
        return rc;
    // The target of the record in hand decides, not the stored one: the editor asks before saving.
    return LinkQueries::deviceSet(db, schedule.scheduleObject, "DeviceSchedule", "GroupsSchedule", "sid", schedule.sid,
                                  devices, context);
}

quint32 DeviceScheduleTables::queryScheduleTargetNames(QSqlDatabase db, QHash<quint32, QStringList> &deviceNames,
                                                       QHash<quint32, QStringList> &groupNames)
{
    const char *context = "DeviceScheduleTables::queryScheduleTargetNames";
    // DISTINCT: a link stored twice names its device or group once, as the per-schedule queries do.
    const struct
    {
        const char *sql;
        QHash<quint32, QStringList> *names;
    } reads[] = {{"SELECT DISTINCT ds.sid, d.deviceName FROM DeviceSchedule ds JOIN Device d ON d.did = ds.did "
                  "ORDER BY ds.sid, d.deviceName",
                  &deviceNames},
                 {"SELECT DISTINCT gs.sid, g.groupName FROM GroupsSchedule gs JOIN Groups g ON g.gid = gs.gid "
                  "ORDER BY gs.sid, g.groupName",
                  &groupNames}};
    for (const auto &read : reads) {
        QSqlQuery query(db);
        query.setForwardOnly(true);
        if (!sqlExec(query, QString::fromLatin1(read.sql), {}, context))
            return DB_STATEMENT_FAILED;
        while (query.next())
            (*read.names)[query.value(0).toUInt()].append(query.value(1).toString());
    }
    return DB_OK;
}

quint32 DeviceScheduleTables::createSchedule(QSqlDatabase db, VelkSchedule &schedule)
{
    quint32 sid = 0;
    return insertScheduleRow(db, schedule, sid, "DeviceScheduleTables::createSchedule");
}

quint32 DeviceScheduleTables::createGroupsSchedule(QSqlDatabase db, VelkSchedule &schedule, QList<VelkGroups> &groups)
{
    return createLinked(db, schedule, groupNames(groups), kGroupLink, "DeviceScheduleTables::createGroupsSchedule");
}

quint32 DeviceScheduleTables::createIFPSchedule(QSqlDatabase db, VelkSchedule &schedule, QList<VelkIFPDevice> &devices)
{
    return createLinked(db, schedule, deviceNames(devices), kDeviceLink, "DeviceScheduleTables::createIFPSchedule");
}

quint32 DeviceScheduleTables::deleteSchedule(QSqlDatabase db, VelkSchedule &schedule)
{
    if (schedule.sid == 0)
        return DB_BAD_ARGUMENT;
    return LinkQueries::deleteWithLinks(db, "Schedule", "DeviceSchedule", "GroupsSchedule", nullptr, "sid",
                                        schedule.sid, "DeviceScheduleTables::deleteSchedule");
}

quint32 DeviceScheduleTables::writeGroupsSchedule(QSqlDatabase db, VelkSchedule &schedule, QList<VelkGroups> &groups)
{
    if (groups.isEmpty())
        return DB_BAD_ARGUMENT;
    return rewriteLinked(db, schedule, groupNames(groups), &kGroupLink, "DeviceScheduleTables::writeGroupsSchedule");
}

quint32 DeviceScheduleTables::writeIFPSchedule(QSqlDatabase db, VelkSchedule &schedule, QList<VelkIFPDevice> &devices)
{
    if (devices.isEmpty())
        return DB_BAD_ARGUMENT;
    return rewriteLinked(db, schedule, deviceNames(devices), &kDeviceLink, "DeviceScheduleTables::writeIFPSchedule");
}

quint32 DeviceScheduleTables::writeSchedule(QSqlDatabase db, VelkSchedule &schedule)
{
    const char *context = "DeviceScheduleTables::writeSchedule";
    if (schedule.sid == 0)
        return DB_BAD_ARGUMENT;
    return inTransaction(db, context, [&]() -> quint32 {
        const quint32 rc = updateScheduleRow(db, schedule, context);
        return rc;
    });
}

quint32 DeviceScheduleTables::writeAllSchedule(QSqlDatabase db, VelkSchedule &schedule)
{
    return rewriteLinked(db, schedule, {}, nullptr, "DeviceScheduleTables::writeAllSchedule");
}
