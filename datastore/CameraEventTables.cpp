#include "datastore/CameraEventTables.h"

#include "datastore/Base64Text.h"

#include <QByteArray>
#include <QSqlQuery>
#include <QSqlRecord>

#include "datastore/DbResult.h"
#include "datastore/EventLogReader.h"
#include "datastore/LinkQueries.h"
#include "datastore/SqlTransaction.h"

namespace {

// The camera-management program owns its tables; a column it does not have reads as empty.
QString textAt(const QSqlQuery &query, int column)
{
    return column < query.record().count() ? query.value(column).toString() : QString();
}

quint32 uintAt(const QSqlQuery &query, int column)
{
    return column < query.record().count() ? query.value(column).toUInt() : 0u;
}

} // namespace

quint32 CameraEventTables::queryDatabaseIdentifierUniqueId(QSqlDatabase db, QString &uniqueId)
{
    QSqlQuery query(db);
    if (!sqlExec(query, QStringLiteral("SELECT uniqueId FROM DatabaseIdentifier ORDER BY diid LIMIT 1"), {},
                 "CameraEventTables::queryDatabaseIdentifierUniqueId"))
        return DB_STATEMENT_FAILED;
    if (query.next())
        uniqueId = query.value(0).toString();
    return DB_OK;
}

// ---- Camera links -----------------------------------------------------------------------

quint32 CameraEventTables::insertDeviceCameraMapping(QSqlDatabase db, VelkDeviceCameraMap &mapping)
{
    return LinkQueries::exec(
        db, QStringLiteral("INSERT INTO DeviceCameraMap (did, account, deviceName, mac) VALUES (?, ?, ?, ?)"),
        {mapping.did, mapping.account, mapping.deviceName, mapping.mac},
        "CameraEventTables::insertDeviceCameraMapping");
}

quint32 CameraEventTables::updateDeviceCameraMapping(QSqlDatabase db, VelkDeviceCameraMap &mapping)
{
    const char *context = "CameraEventTables::updateDeviceCameraMapping";
    return inTransaction(db, context, [&]() -> quint32 {
        // The account is a log-in name of the camera-management program, any text: bound, never pasted.
        quint32 aid = 0;
        quint32 rc = LinkQueries::firstId(
            db, QStringLiteral("SELECT aid FROM DeviceCameraMap WHERE did = ? AND account = ? ORDER BY aid LIMIT 1"),
            {mapping.did, mapping.account}, aid, context);
        if (rc == DB_OK)
            rc = LinkQueries::exec(db,
                                   QStringLiteral("UPDATE DeviceCameraMap SET deviceName = ?, mac = ? WHERE aid = ?"),
                                   {mapping.deviceName, mapping.mac, aid}, context);
        return rc;
    });
}

quint32 CameraEventTables::deleteDeviceCameraMapping(QSqlDatabase db, int aid)
{
    return LinkQueries::exec(db, QStringLiteral("DELETE FROM DeviceCameraMap WHERE aid = ?"), {aid},
                             "CameraEventTables::deleteDeviceCameraMapping");
}

quint32 CameraEventTables::queryDeviceCameraMapping(QSqlDatabase db, QList<VelkDeviceCameraMap> &mappings)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!sqlExec(query, QStringLiteral("SELECT aid, did, account, deviceName, mac FROM DeviceCameraMap ORDER BY aid"),
                 {}, "CameraEventTables::queryDeviceCameraMapping"))
        return DB_STATEMENT_FAILED;
    while (query.next()) {
        VelkDeviceCameraMap mapping;
        mapping.aid = query.value(0).toInt();
        mapping.did = query.value(1).toInt();
        mapping.account = query.value(2).toString();
        mapping.deviceName = query.value(3).toString();
        mapping.mac = query.value(4).toString();
        mappings.append(mapping);
    }
    return DB_OK;
}

// ---- Event log --------------------------------------------------------------------------

quint32 CameraEventTables::insertEventLog(QSqlDatabase db, VelkEventLog &event)
{
    return LinkQueries::exec(db, QStringLiteral("INSERT INTO EventLog (deviceName, event, time) VALUES (?, ?, ?)"),
                             {event.deviceName, event.event, event.time}, "CameraEventTables::insertEventLog");
}

quint32 CameraEventTables::deleteEventLog(QSqlDatabase db, int did)
{
    return LinkQueries::exec(db, QStringLiteral("DELETE FROM EventLog WHERE did = ?"), {did},
                             "CameraEventTables::deleteEventLog");
}

quint32 CameraEventTables::queryEventLog(QSqlDatabase db, QList<VelkEventLog> &events)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!sqlExec(query, QStringLiteral("SELECT did, deviceName, event, time FROM EventLog ORDER BY did"), {},
                 "CameraEventTables::queryEventLog"))
        return DB_STATEMENT_FAILED;
    while (query.next())
        events.append(EventLogReader::eventAt(query));
    return DB_OK;
}

// ---- Camera-management database -----------------------------------------------------------

quint32 CameraEventTables::queryPellmarAccount(QSqlDatabase pellmarDb, QList<PellmarAccount> &accounts)
{
    QSqlQuery query(pellmarDb);
    query.setForwardOnly(true);
    if (!sqlExec(query, QStringLiteral("SELECT * FROM Account"), {}, "CameraEventTables::queryPellmarAccount"))
        return DB_STATEMENT_FAILED;
    accounts.clear();
    while (query.next()) {
        PellmarAccount account;
        account.id = uintAt(query, 0);
        account.accountName = textAt(query, 1);
        account.password = Base64Text::decode(textAt(query, 2));
        account.text3 = textAt(query, 3);
        account.accessLevel = uintAt(query, 4);
        account.groupIds = textAt(query, 5);
        account.deviceIds = textAt(query, 6);
        account.text7 = textAt(query, 7);
        account.text8 = textAt(query, 8);
        accounts.append(account);
    }
    return DB_OK;
}

quint32 CameraEventTables::queryPellmarDevice(QSqlDatabase pellmarDb, QList<PellmarDevice> &cameras)
{
    QSqlQuery query(pellmarDb);
    query.setForwardOnly(true);
    if (!sqlExec(query, QStringLiteral("SELECT * FROM Device"), {}, "CameraEventTables::queryPellmarDevice"))
        return DB_STATEMENT_FAILED;
    cameras.clear();
    while (query.next()) {
        PellmarDevice camera;
        camera.id = uintAt(query, 0);
        camera.deviceName = textAt(query, 1);
        camera.ipAddress = textAt(query, 2);
        camera.macAddress = textAt(query, 3);
        if (query.record().count() > 4)
            camera.port = textAt(query, 4);
        camera.text5 = textAt(query, 5);
        camera.text6 = textAt(query, 6);
        camera.text7 = textAt(query, 7);
        camera.text8 = textAt(query, 8);
        camera.text9 = textAt(query, 9);
        camera.text10 = textAt(query, 10);
        camera.text11 = textAt(query, 11);
        camera.text12 = textAt(query, 12);
        cameras.append(camera);
    }
    return DB_OK;
}

quint32 CameraEventTables::queryPellmarGroup(QSqlDatabase pellmarDb, QList<PellmarGroup> &groups)
{
    QSqlQuery query(pellmarDb);
    query.setForwardOnly(true);
    if (!sqlExec(query, QStringLiteral("SELECT * FROM deviceGroup order by gid"), {},
                 "CameraEventTables::queryPellmarGroup"))
        return DB_STATEMENT_FAILED;
    groups.clear();
    while (query.next()) {
        PellmarGroup group;
        group.id = uintAt(query, 0);
        group.groupName = textAt(query, 1);
        group.deviceIds = textAt(query, 2);
        group.number = uintAt(query, 3);
        groups.append(group);
    }
    return DB_OK;
}
