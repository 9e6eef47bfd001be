#include "datastore/CoreTables.h"

#include <QSqlQuery>
#include <QStringList>

#include "datastore/DbResult.h"
#include "datastore/LinkQueries.h"
#include "datastore/RecordMapper.h"
#include "datastore/SqlTransaction.h"

// --- Console accounts ---------------------------------------------------------------------------

quint32 CoreTables::queryAccount(QSqlDatabase db, QList<VelkAccount> &accounts)
{
    // Columns by name: a database of another version may hold them in another order, or more of them.
    QSqlQuery query(db);
    if (!sqlExec(
            query,
            QStringLiteral("SELECT aid, password, email, isAdmin, language, sosUsername, sosPassword FROM Account"), {},
            "queryAccount"))
        return DB_STATEMENT_FAILED;
    while (query.next()) {
        VelkAccount account;
        account.aid = query.value(0).toUInt();
        account.password = query.value(1).toString();
        account.email = query.value(2).toString();
        account.isAdmin = query.value(3).toInt() != 0;
        account.language = query.value(4).toString();
        account.sosUsername = query.value(5).toString();
        account.sosPassword = query.value(6).toString();
        accounts.append(account);
    }
    return DB_OK;
}

quint32 CoreTables::updateAccount(QSqlDatabase db, VelkAccount &account)
{
    if (account.password.isEmpty())
        return DB_BAD_ARGUMENT;
    return inTransaction(db, "updateAccount", [&]() -> quint32 {
        bool found = false;
        if (!sqlHasRow(db, QStringLiteral("SELECT 1 FROM Account WHERE aid = ?"), {account.aid}, found,
                       "updateAccount"))
            return DB_STATEMENT_FAILED;
        if (!found)
            return DB_ROW_NOT_FOUND;
        if (!sqlRun(db,
                    QStringLiteral("UPDATE Account SET password = ?, email = ?, isAdmin = ?, language = ?, "
                                   "sosUsername = ?, sosPassword = ? WHERE aid = ?"),
                    {account.password, account.email, account.isAdmin ? 1 : 0, account.language, account.sosUsername,
                     account.sosPassword, account.aid},
                    "updateAccount"))
            return DB_STATEMENT_FAILED;
        return DB_OK;
    });
}

quint32 CoreTables::createAccount(QSqlDatabase db, VelkAccount &account)
{
    return inTransaction(db, "createAccount", [&]() -> quint32 {
        bool found = false;
        if (!sqlHasRow(db, QStringLiteral("SELECT 1 FROM Account WHERE password = ? collate NOCASE"),
                       {account.password}, found, "createAccount"))
            return DB_STATEMENT_FAILED;
        if (found)
            return DB_ACCOUNT_PASSWORD_EXISTS;
        if (!sqlRun(db, QStringLiteral("INSERT INTO Account (password, email, isAdmin) VALUES (?, ?, ?)"),
                    {account.password, account.email, account.isAdmin ? 1 : 0}, "createAccount"))
            return DB_STATEMENT_FAILED;
        return DB_OK;
    });
}

// --- Devices and groups -------------------------------------------------------------------------

namespace {

// Runs statements that each take one bound key, stopping at the first failure.
bool execEach(QSqlDatabase db, const QStringList &statements, quint32 key, const char *context)
{
    for (const QString &sql : statements) {
        if (!sqlRun(db, sql, {key}, context))
            return false;
    }
    return true;
}

const QString kDeviceByName = QStringLiteral("SELECT did FROM Device WHERE deviceName = ? collate NOCASE");
const QString kGroupByName = QStringLiteral("SELECT gid FROM Groups WHERE groupName = ? collate NOCASE");

} // namespace

quint32 CoreTables::queryAllAvailableIFP(QSqlDatabase db, QList<VelkIFPDevice> &devices)
{
    return LinkQueries::allDevices(db, devices, "queryAllAvailableIFP");
}

quint32 CoreTables::queryIFPByGroup(QSqlDatabase db, VelkGroups group, QList<VelkIFPDevice> &devices)
{
    quint32 gid = 0;
    const quint32 rc = LinkQueries::firstId(db, kGroupByName, {group.groupName}, gid, "queryIFPByGroup");
    if (rc != DB_OK)
        return rc;
    return LinkQueries::appendDevices(
        db,
        QStringLiteral("SELECT %1 FROM Device WHERE did IN (SELECT did FROM DeviceGroups WHERE gid IN "
                       "(SELECT gid FROM Groups WHERE groupName = ? collate NOCASE)) "
                       "ORDER BY deviceName ASC")
            .arg(LinkQueries::deviceColumns()),
        {group.groupName}, devices, "queryIFPByGroup");
}

quint32 CoreTables::queryGroupsByIFP(QSqlDatabase db, VelkIFPDevice device, QList<VelkGroups> &groups)
{
    quint32 did = 0;
    const quint32 rc = LinkQueries::firstId(db, kDeviceByName, {device.deviceName}, did, "queryGroupsByIFP");
    if (rc != DB_OK)
        return rc;
    return LinkQueries::appendGroups(
        db,
        QStringLiteral("SELECT %1 FROM Groups WHERE gid IN (SELECT gid FROM DeviceGroups WHERE did IN "
                       "(SELECT did FROM Device WHERE deviceName = ? collate NOCASE)) "
                       "ORDER BY groupName ASC")
            .arg(LinkQueries::groupColumns()),
        {device.deviceName}, groups, "queryGroupsByIFP");
}

quint32 CoreTables::queryAllGroup(QSqlDatabase db, QList<VelkGroups> &groups)
{
    return LinkQueries::appendGroups(
        db, QStringLiteral("SELECT %1 FROM Groups ORDER BY groupName ASC").arg(LinkQueries::groupColumns()), {}, groups,
        "queryAllGroup");
}

quint32 CoreTables::queryIFPById(QSqlDatabase db, QList<VelkIFPDevice> &devices, quint32 did)
{
    // Every column is read, so a record fetched here can be written back whole.
    return LinkQueries::appendDevices(
        db, QStringLiteral("SELECT %1 FROM Device WHERE did = ?").arg(LinkQueries::deviceColumns()), {did}, devices,
        "queryIFPById");
}

quint32 CoreTables::createIFPDevice(QSqlDatabase db, VelkIFPDevice &device)
{
    if (device.deviceName.isEmpty())
        return DB_BAD_ARGUMENT;
    return inTransaction(db, "createIFPDevice", SqlTransaction::SingleWrite, [&]() -> quint32 {
        bool found = false;
        if (!sqlHasRow(db, QStringLiteral("SELECT 1 FROM Device WHERE deviceName = ? collate NOCASE"),
                       {device.deviceName}, found, "createIFPDevice"))
            return DB_STATEMENT_FAILED;
        if (found)
            return DB_DEVICE_NAME_EXISTS;
        // Devices entered by IP address alone have no MAC address; those do not collide.
        if (!device.macAddress.isEmpty()) {
            if (!sqlHasRow(db, QStringLiteral("SELECT 1 FROM Device WHERE macAddress = ? collate NOCASE"),
                           {device.macAddress}, found, "createIFPDevice"))
                return DB_STATEMENT_FAILED;
            if (found)
                return DB_MAC_EXISTS;
        }
        if (!sqlRun(db,
                    QStringLiteral("INSERT INTO Device (deviceName, modelName, macAddress, ipAddress, fwVersion, "
                                   "lastPassword, subnetMask, gateway, panelFwVersion, displayClientVersion, sku, "
                                   "isKicked, deviceType, position, ptzCamera, learnedMac) "
                                   "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
                    RecordMapper::deviceValues(device), "createIFPDevice"))
            return DB_STATEMENT_FAILED;
        return DB_OK;
    });
}

quint32 CoreTables::deleteIFPDevice(QSqlDatabase db, VelkIFPDevice &device)
{
    if (device.deviceName.isEmpty())
        return DB_BAD_ARGUMENT;
    return inTransaction(db, "deleteIFPDevice", [&]() -> quint32 {
        quint32 did = 0;
        const quint32 rc = LinkQueries::firstId(db, kDeviceByName, {device.deviceName}, did, "deleteIFPDevice");
        if (rc != DB_OK)
            return rc;
        const QStringList statements = {
            QStringLiteral("DELETE FROM DeviceGroups WHERE did = ?"),
            QStringLiteral("DELETE FROM DeviceSchedule WHERE did = ?"),
            QStringLiteral("DELETE FROM Device WHERE did = ?"),
            QStringLiteral("DELETE FROM DeviceOtaSchedule WHERE did = ?"),
            QStringLiteral("DELETE FROM OtaScheduleReport WHERE did = ?"),
            QStringLiteral("DELETE FROM DeviceBroadcast WHERE did = ?"),
            QStringLiteral("DELETE FROM BroadcastReport WHERE did = ?"),
            QStringLiteral("DELETE FROM DeviceAutoTestSchedule WHERE did = ?"),
            QStringLiteral("DELETE FROM AutoTestScheduleReport WHERE did = ?"),
        };
        if (!execEach(db, statements, did, "deleteIFPDevice"))
            return DB_STATEMENT_FAILED;
        return DB_OK;
    });
}

namespace {

const QString kUpdateDeviceColumns =
    QStringLiteral("UPDATE Device SET deviceName = ?, modelName = ?, macAddress = ?, ipAddress = ?,fwVersion = ?, "
                   "lastPassword = ?, subnetMask = ?, gateway = ?, panelFwVersion = ?, displayClientVersion = ?, "
                   "sku = ?, isKicked = ?,deviceType = ?, position = ?, ptzCamera = ?, learnedMac = ? WHERE did = ?");

quint32 rewriteDevice(QSqlDatabase db, const VelkIFPDevice &device, quint32 did, const char *context)
{
    QVariantList values = RecordMapper::deviceValues(device);
    values << did;
    return sqlRun(db, kUpdateDeviceColumns, values, context) ? DB_OK : DB_STATEMENT_FAILED;
}

} // namespace

quint32 CoreTables::updateIFPDeviceById(QSqlDatabase db, VelkIFPDevice &device)
{
    if (device.deviceName.isEmpty())
        return DB_BAD_ARGUMENT;
    return inTransaction(db, "updateIFPDeviceById", SqlTransaction::SingleWrite, [&]() -> quint32 {
        bool found = false;
        if (!sqlHasRow(db, QStringLiteral("SELECT 1 FROM Device WHERE did = ?"), {device.did}, found,
                       "updateIFPDeviceById"))
            return DB_STATEMENT_FAILED;
        if (!found)
            return DB_ROW_NOT_FOUND;
        return rewriteDevice(db, device, device.did, "updateIFPDeviceById");
    });
}

quint32 CoreTables::updateIFPDevice(QSqlDatabase db, VelkIFPDevice &device)
{
    if (device.deviceName.isEmpty())
        return DB_BAD_ARGUMENT;
    return inTransaction(db, "updateIFPDevice", SqlTransaction::SingleWrite, [&]() -> quint32 {
        quint32 did = 0;
        const quint32 rc = LinkQueries::firstId(db, kDeviceByName, {device.deviceName}, did, "updateIFPDevice");
        if (rc != DB_OK)
            return rc;
        return rewriteDevice(db, device, did, "updateIFPDevice");
    });
}

namespace {

// Shared by the device and group renames: the row is found by its old name without regard to
// letter case and renamed by its key, so an old name typed in another case really renames.
quint32 renameRow(QSqlDatabase db, const QString &oldName, const QString &newName, const QString &findSql,
                  const QString &updateSql, quint32 nameTaken, const char *context)
{
    if (oldName.isEmpty() || newName.isEmpty())
        return DB_BAD_ARGUMENT;
    return inTransaction(db, context, [&]() -> quint32 {
        quint32 key = 0;
        quint32 rc = LinkQueries::firstId(db, findSql, {oldName}, key, context);
        if (rc != DB_OK)
            return rc;
        quint32 other = 0;
        rc = LinkQueries::firstId(db, findSql, {newName}, other, context);
        if (rc == DB_OK)
            return nameTaken;
        if (rc != DB_ROW_NOT_FOUND)
            return rc;
        if (!sqlRun(db, updateSql, {newName, key}, context))
            return DB_STATEMENT_FAILED;
        return DB_OK;
    });
}

} // namespace

quint32 CoreTables::changeIFPDeviceName(QSqlDatabase db, const QString &oldName, QString newName)
{
    return renameRow(db, oldName, newName, kDeviceByName,
                     QStringLiteral("UPDATE Device SET deviceName = ? WHERE did = ?"), DB_DEVICE_NAME_EXISTS,
                     "changeIFPDeviceName");
}

quint32 CoreTables::changeGroupsName(QSqlDatabase db, const QString &oldName, QString newName)
{
    return renameRow(db, oldName, newName, kGroupByName,
                     QStringLiteral("UPDATE Groups SET groupName = ? WHERE gid = ?"), DB_GROUP_NAME_EXISTS,
                     "changeGroupsName");
}

quint32 CoreTables::changeGroupsNameNoCase(QSqlDatabase db, const QString &name)
{
    if (name.isEmpty())
        return DB_BAD_ARGUMENT;
    return inTransaction(db, "changeGroupsNameNoCase", [&]() -> quint32 {
        quint32 gid = 0;
        const quint32 rc = LinkQueries::firstId(db, kGroupByName, {name}, gid, "changeGroupsNameNoCase");
        if (rc != DB_OK)
            return rc;
        if (!sqlRun(db, QStringLiteral("UPDATE Groups SET groupName = ? WHERE gid = ?"), {name, gid},
                    "changeGroupsNameNoCase"))
            return DB_STATEMENT_FAILED;
        return DB_OK;
    });
}

quint32 CoreTables::updateIFPDevicePosition(QSqlDatabase db, VelkIFPDevice &device, QString position)
{
    if (!sqlRun(db, QStringLiteral("UPDATE Device SET position = ? WHERE did = ?"), {position, device.did},
                "updateIFPDevicePosition"))
        return DB_STATEMENT_FAILED;
    return DB_OK;
}

quint32 CoreTables::updateIFPDeviceKicked(QSqlDatabase db, quint32 did, bool kicked)
{
    if (!sqlRun(db, QStringLiteral("UPDATE Device SET isKicked = ? WHERE did = ?"), {kicked ? 1 : 0, did},
                "updateIFPDeviceKicked"))
        return DB_STATEMENT_FAILED;
    return DB_OK;
}

quint32 CoreTables::createGroups(QSqlDatabase db, VelkGroups &group)
{
    if (group.groupName.isEmpty())
        return DB_BAD_ARGUMENT;
    return inTransaction(db, "createGroups", SqlTransaction::SingleWrite, [&]() -> quint32 {
        bool found = false;
        if (!sqlHasRow(db, QStringLiteral("SELECT 1 FROM Groups WHERE groupName = ? collate NOCASE"), {group.groupName},
                       found, "createGroups"))
            return DB_STATEMENT_FAILED;
        if (found)
            return DB_GROUP_NAME_EXISTS;
        if (!sqlRun(db, QStringLiteral("INSERT INTO Groups (groupName, groupType) VALUES (?, ?)"),
                    {group.groupName, group.groupType}, "createGroups"))
            return DB_STATEMENT_FAILED;
        return DB_OK;
    });
}

quint32 CoreTables::deleteGroups(QSqlDatabase db, VelkGroups &group)
{
    if (group.groupName.isEmpty())
        return DB_BAD_ARGUMENT;
    return inTransaction(db, "deleteGroups", [&]() -> quint32 {
        quint32 gid = 0;
        const quint32 rc = LinkQueries::firstId(db, kGroupByName, {group.groupName}, gid, "deleteGroups");
        if (rc != DB_OK)
            return rc;
        // Devices stay; only the group and its links go.
        const QStringList statements = {
            QStringLiteral("DELETE FROM DeviceGroups WHERE gid = ?"),
            QStringLiteral("DELETE FROM GroupsSchedule WHERE gid = ?"),
            QStringLiteral("DELETE FROM Groups WHERE gid = ?"),
            QStringLiteral("DELETE FROM GroupsOtaSchedule WHERE gid = ?"),
            QStringLiteral("DELETE FROM GroupsBroadcast WHERE gid = ?"),
        };
        if (!execEach(db, statements, gid, "deleteGroups"))
            return DB_STATEMENT_FAILED;
        return DB_OK;
    });
}

namespace {

// Steps 1-3 of joining and leaving: find both keys by name and hand them back to the caller.
quint32 findMembership(QSqlDatabase db, VelkIFPDevice &device, VelkGroups &group, const char *context)
{
    quint32 rc = LinkQueries::firstId(db, kDeviceByName, {device.deviceName}, device.did, context);
    if (rc != DB_OK)
        return rc;
    return LinkQueries::firstId(db, kGroupByName, {group.groupName}, group.gid, context);
}

} // namespace

quint32 CoreTables::joinGroups(QSqlDatabase db, VelkIFPDevice &device, VelkGroups &group)
{
    if (device.deviceName.isEmpty() || group.groupName.isEmpty())
        return DB_BAD_ARGUMENT;
    return inTransaction(db, "joinGroups", SqlTransaction::SingleWrite, [&]() -> quint32 {
        quint32 rc = findMembership(db, device, group, "joinGroups");
        if (rc != DB_OK)
            return rc;
        bool member = false;
        if (!sqlHasRow(db, QStringLiteral("SELECT 1 FROM DeviceGroups WHERE did = ? AND gid = ?"),
                       {device.did, group.gid}, member, "joinGroups"))
            return DB_STATEMENT_FAILED;
        if (member)
            return DB_OK;
        if (!sqlRun(db, QStringLiteral("INSERT INTO DeviceGroups (did, gid) VALUES (?, ?)"), {device.did, group.gid},
                    "joinGroups"))
            return DB_STATEMENT_FAILED;
        return DB_OK;
    });
}

quint32 CoreTables::disjoinGroups(QSqlDatabase db, VelkIFPDevice &device, VelkGroups &group)
{
    if (device.deviceName.isEmpty() || group.groupName.isEmpty())
        return DB_BAD_ARGUMENT;
    return inTransaction(db, "disjoinGroups", SqlTransaction::SingleWrite, [&]() -> quint32 {
        quint32 rc = findMembership(db, device, group, "disjoinGroups");
        if (rc != DB_OK)
            return rc;
        bool member = false;
        if (!sqlHasRow(db, QStringLiteral("SELECT dgid FROM DeviceGroups WHERE did = ? AND gid = ?"),
                       {device.did, group.gid}, member, "disjoinGroups"))
            return DB_STATEMENT_FAILED;
        if (!member)
            return DB_OK;
        if (!sqlRun(db, QStringLiteral("DELETE FROM DeviceGroups WHERE did = ? AND gid = ?"), {device.did, group.gid},
                    "disjoinGroups"))
            return DB_STATEMENT_FAILED;
        return DB_OK;
    });
}
