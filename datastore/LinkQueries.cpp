#include "datastore/LinkQueries.h"

#include <QSqlQuery>

#include "datastore/DbResult.h"
#include "datastore/RecordMapper.h"
#include "datastore/SqlTransaction.h"
#include "shell/base/Log.h"

QString LinkQueries::deviceColumns()
{
    // Named columns rather than "*": RecordMapper reads by position, and a database whose columns
    // were added by migration, or that another version made with more of them, must not shift them.
    return QStringLiteral("Device.did, Device.deviceName, Device.modelName, Device.macAddress, "
                          "Device.ipAddress, Device.fwVersion, Device.lastPassword, Device.subnetMask, "
                          "Device.gateway, Device.panelFwVersion, Device.displayClientVersion, Device.sku, "
                          "Device.isKicked, Device.deviceType, Device.position, Device.ptzCamera, Device.learnedMac");
}

QString LinkQueries::groupColumns()
{
    return QStringLiteral("Groups.gid, Groups.groupName, Groups.groupType");
}

quint32 LinkQueries::exec(QSqlDatabase db, const QString &sql, const QVariantList &values, const char *context)
{
    return sqlRun(db, sql, values, context) ? DB_OK : DB_STATEMENT_FAILED;
}

quint32 LinkQueries::insertRow(QSqlDatabase db, const QString &sql, const QVariantList &values, quint32 &id,
                               const char *context)
{
    QSqlQuery insert(db);
    if (!sqlExec(insert, sql, values, context))
        return DB_STATEMENT_FAILED;
    id = insert.lastInsertId().toUInt();
    return DB_OK;
}

quint32 LinkQueries::insertWithLinks(QSqlDatabase db, const QString &sql, const QVariantList &values,
                                     const std::function<quint32(quint32 key)> &insertLinks, quint32 &key,
                                     const char *context)
{
    quint32 newKey = 0;
    const quint32 rc = inTransaction(db, context, [&]() -> quint32 {
        if (insertRow(db, sql, values, newKey, context) != DB_OK || insertLinks(newKey) != DB_OK)
            return DB_STATEMENT_FAILED;
        return DB_OK;
    });
    if (rc == DB_OK)
        key = newKey;
    return rc;
}

quint32 LinkQueries::rowExists(QSqlDatabase db, const char *table, const char *keyColumn, quint32 key,
                               const char *context)
{
    bool found = false;
    const QString sql =
        QStringLiteral("SELECT 1 FROM %1 WHERE %2 = ?").arg(QLatin1String(table), QLatin1String(keyColumn));
    if (!sqlHasRow(db, sql, {key}, found, context))
        return DB_STATEMENT_FAILED;
    return found ? DB_OK : DB_ROW_NOT_FOUND;
}

quint32 LinkQueries::firstId(QSqlDatabase db, const QString &sql, const QVariantList &values, quint32 &id,
                             const char *context)
{
    bool found = false;
    if (!sqlFirstId(db, sql, values, id, found, context))
        return DB_STATEMENT_FAILED;
    return found ? DB_OK : DB_ROW_NOT_FOUND;
}

quint32 LinkQueries::firstInt(QSqlDatabase db, const QString &sql, const QVariantList &values, int &value,
                              const char *context)
{
    SqlStatement query(db, sql);
    if (!query.exec(values, context))
        return DB_STATEMENT_FAILED;
    value = query.next() ? query.value(0).toInt() : 0;
    return DB_OK;
}

quint32 LinkQueries::appendDevices(QSqlDatabase db, const QString &sql, const QVariantList &values,
                                   QList<VelkIFPDevice> &devices, const char *context)
{
    SqlStatement query(db, sql);
    if (!query.exec(values, context))
        return DB_STATEMENT_FAILED;
    while (query.next())
        devices.append(RecordMapper::deviceFromQuery(query));
    return DB_OK;
}

quint32 LinkQueries::appendGroups(QSqlDatabase db, const QString &sql, const QVariantList &values,
                                  QList<VelkGroups> &groups, const char *context)
{
    SqlStatement query(db, sql);
    if (!query.exec(values, context))
        return DB_STATEMENT_FAILED;
    while (query.next())
        groups.append(RecordMapper::groupFromQuery(query));
    return DB_OK;
}

quint32 LinkQueries::allDevices(QSqlDatabase db, QList<VelkIFPDevice> &devices, const char *context)
{
    return appendDevices(db, QStringLiteral("SELECT %1 FROM Device ORDER BY deviceName ASC").arg(deviceColumns()), {},
                         devices, context);
}

quint32 LinkQueries::linkedDevices(QSqlDatabase db, const char *linkTable, const char *keyColumn, quint32 key,
                                   QList<VelkIFPDevice> &devices, const char *context)
{
    const QString sql = QStringLiteral("SELECT %1 FROM Device WHERE did IN (SELECT did FROM %2 WHERE %3 = ?) "
                                       "ORDER BY deviceName ASC")
                            .arg(deviceColumns(), QLatin1String(linkTable), QLatin1String(keyColumn));
    return appendDevices(db, sql, {key}, devices, context);
}

quint32 LinkQueries::linkedGroups(QSqlDatabase db, const char *linkTable, const char *keyColumn, quint32 key,
                                  QList<VelkGroups> &groups, const char *context)
{
    const QString sql = QStringLiteral("SELECT %1 FROM Groups WHERE gid IN (SELECT gid FROM %2 WHERE %3 = ?) "
                                       "ORDER BY groupName ASC")
                            .arg(groupColumns(), QLatin1String(linkTable), QLatin1String(keyColumn));
    return appendGroups(db, sql, {key}, groups, context);
}

quint32 LinkQueries::targetLinks(QSqlDatabase db, int target, const char *deviceLinkTable, const char *groupLinkTable,
                                 const char *keyColumn, quint32 key, QList<VelkIFPDevice> &devices,
                                 QList<VelkGroups> &groups, const char *context)
{
    if (target == 2)
        return linkedDevices(db, deviceLinkTable, keyColumn, key, devices, context);
    if (target == 3)
        return linkedGroups(db, groupLinkTable, keyColumn, key, groups, context);
    return DB_OK;
}

quint32 LinkQueries::deviceSet(QSqlDatabase db, int target, const char *deviceLinkTable, const char *groupLinkTable,
                               const char *keyColumn, quint32 key, QList<VelkIFPDevice> &devices, const char *context)
{
    // Target 1 means every device; link rows left over from an earlier target do not count.
    if (target == 1)
        return allDevices(db, devices, context);

    quint32 rc = linkedDevices(db, deviceLinkTable, keyColumn, key, devices, context);
    if (rc != DB_OK)
        return rc;

    // Group links are resolved at read time, so membership changes reach the schedule.
    QList<VelkIFPDevice> members;
    const QString sql = QStringLiteral("SELECT %1 FROM Device WHERE did IN (SELECT did FROM DeviceGroups "
                                       "WHERE gid IN (SELECT gid FROM %2 WHERE %3 = ?)) ORDER BY deviceName ASC")
                            .arg(deviceColumns(), QLatin1String(groupLinkTable), QLatin1String(keyColumn));
    rc = appendDevices(db, sql, {key}, members, context);
    if (rc != DB_OK)
        return rc;
    for (const VelkIFPDevice &member : qAsConst(members)) {
        bool listed = false;
        for (const VelkIFPDevice &device : qAsConst(devices)) {
            if (device.deviceName == member.deviceName) {
                listed = true;
                break;
            }
        }
        if (!listed)
            devices.append(member);
    }
    return DB_OK;
}

quint32 LinkQueries::insertLinks(QSqlDatabase db, int target, const QList<VelkIFPDevice> &devices,
                                 const QList<VelkGroups> &groups, const char *deviceLinkTable,
                                 const char *groupLinkTable, const char *keyColumn, quint32 key, const char *context)
{
    if (target == 2) {
        const QString sql = QStringLiteral("INSERT INTO %1 (did, %2) VALUES (?, ?)")
                                .arg(QLatin1String(deviceLinkTable), QLatin1String(keyColumn));
        for (const VelkIFPDevice &device : devices) {
            if (exec(db, sql, {device.did, key}, context) != DB_OK)
                return DB_STATEMENT_FAILED;
        }
    } else if (target == 3) {
        const QString sql = QStringLiteral("INSERT INTO %1 (gid, %2) VALUES (?, ?)")
                                .arg(QLatin1String(groupLinkTable), QLatin1String(keyColumn));
        for (const VelkGroups &group : groups) {
            if (exec(db, sql, {group.gid, key}, context) != DB_OK)
                return DB_STATEMENT_FAILED;
        }
    }
    return DB_OK;
}

quint32 LinkQueries::deleteLinks(QSqlDatabase db, const char *deviceLinkTable, const char *groupLinkTable,
                                 const char *keyColumn, quint32 key, const char *context)
{
    const QString sql = QStringLiteral("DELETE FROM %1 WHERE %2 = ?");
    if (exec(db, sql.arg(QLatin1String(deviceLinkTable), QLatin1String(keyColumn)), {key}, context) != DB_OK)
        return DB_STATEMENT_FAILED;
    return exec(db, sql.arg(QLatin1String(groupLinkTable), QLatin1String(keyColumn)), {key}, context);
}

quint32 LinkQueries::deleteWithLinks(QSqlDatabase db, const char *table, const char *deviceLinkTable,
                                     const char *groupLinkTable, const char *reportTable, const char *keyColumn,
                                     quint32 key, const char *context)
{
    return inTransaction(db, context, [&]() -> quint32 {
        const quint32 rc = rowExists(db, table, keyColumn, key, context);
        if (rc != DB_OK)
            return rc;
        for (const char *from : {table, deviceLinkTable, groupLinkTable, reportTable}) {
            if (!from)
                continue;
            const QString sql =
                QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(QLatin1String(from), QLatin1String(keyColumn));
            if (exec(db, sql, {key}, context) != DB_OK)
                return DB_STATEMENT_FAILED;
        }
        return DB_OK;
    });
}

quint32 LinkQueries::reportDevice(QSqlDatabase db, quint32 did, VelkIFPDevice &device, bool &found, const char *context)
{
    found = false;
    SqlStatement query(db, QStringLiteral("SELECT %1 FROM Device WHERE did = ?").arg(deviceColumns()));
    if (!query.exec({did}, context))
        return DB_STATEMENT_FAILED;
    if (query.next()) {
        device = RecordMapper::deviceFromQuery(query);
        found = true;
    }
    return DB_OK;
}

quint32 LinkQueries::reportRows(QSqlDatabase db, const QString &sql, quint32 key, const char *context,
                                const std::function<void(const QSqlQuery &row, const VelkIFPDevice &device)> &append)
{
    return reportRows(db, sql, QVariantList{key}, context, append);
}

quint32 LinkQueries::reportRows(QSqlDatabase db, const QString &sql, const QVariantList &values, const char *context,
                                const std::function<void(const QSqlQuery &row, const VelkIFPDevice &device)> &append)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!sqlExec(query, sql, values, context))
        return DB_STATEMENT_FAILED;
    while (query.next()) {
        const quint32 did = query.value(1).toUInt();
        VelkIFPDevice device;
        bool found = false;
        if (reportDevice(db, did, device, found, context) != DB_OK)
            return DB_STATEMENT_FAILED;
        if (!found) {
            writeLog(LOG_LEVEL_WARNING, "%s: report row %u names device %u, which no longer exists; row skipped",
                     context, query.value(0).toUInt(), did);
            continue;
        }
        append(query, device);
    }
    return DB_OK;
}
