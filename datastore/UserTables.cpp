#include "datastore/UserTables.h"

#include <QSqlQuery>
#include <QUuid>

#include "datastore/DbResult.h"
#include "datastore/LinkQueries.h"
#include "datastore/SqlTransaction.h"

namespace {

const char kUserColumns[] = "muid, userName, password, rfidId, hasPermission, uniqueId";

template <typename Query> VelkMultiUser userFromQuery(const Query &query)
{
    VelkMultiUser user;
    user.muid = query.value(0).toUInt();
    user.userName = query.value(1).toString();
    user.password = query.value(2).toString();
    user.rfidId = query.value(3).toString();
    user.hasPermission = query.value(4).toInt() != 0;
    user.uniqueId = query.value(5).toString();
    return user;
}

template <typename Query> VelkUserDevice userDeviceFromQuery(const Query &query)
{
    VelkUserDevice userDevice;
    userDevice.udid = query.value(0).toUInt();
    userDevice.multiUserId = query.value(1).toUInt();
    userDevice.deviceId = query.value(2).toUInt();
    userDevice.syncStatus = query.value(3).toInt();
    userDevice.lastSyncTime = query.value(4).toString();
    return userDevice;
}

template <typename Query> VelkAppPermission permissionFromQuery(const Query &query)
{
    VelkAppPermission permission;
    permission.apid = query.value(0).toUInt();
    permission.multiUserId = query.value(1).toUInt();
    permission.appId = query.value(2).toUInt();
    return permission;
}

quint32 appendUsers(QSqlDatabase db, const QString &where, const QVariantList &values, QList<VelkMultiUser> &users,
                    const char *context)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!sqlExec(query,
                 QStringLiteral("SELECT %1 FROM MultiUser %2 ORDER BY muid").arg(QLatin1String(kUserColumns), where),
                 values, context))
        return DB_STATEMENT_FAILED;
    while (query.next())
        users.append(userFromQuery(query));
    return DB_OK;
}

quint32 appendPermissions(QSqlDatabase db, const QString &where, const QVariantList &values,
                          QList<VelkAppPermission> &permissions, const char *context)
{
    // Read directly, as the other reads of a synchronisation's start are: it reads every permission of every user in
    // one turn of the event loop, tens of thousands of rows for a large school, and Qt's driver made that a fifth
    // longer.
    SqlStatement query(
        db, QStringLiteral("SELECT apid, multiUserId, appId FROM AppPermission %1 ORDER BY apid").arg(where));
    if (!query.exec(values, context))
        return DB_STATEMENT_FAILED;
    while (query.next())
        permissions.append(permissionFromQuery(query));
    return DB_OK;
}

quint32 insertPermission(QSqlDatabase db, quint32 userId, quint32 appId, const char *context)
{
    return LinkQueries::exec(db, QStringLiteral("INSERT INTO AppPermission (multiUserId, appId) VALUES (?, ?)"),
                             {userId, appId}, context);
}

/// Runs the SELECT that must find the row, then the write; both inside one transaction.
quint32 checkedWrite(QSqlDatabase db, const QString &check, const QString &write, const QVariantList &checkValues,
                     const QVariantList &writeValues, const char *context)
{
    return inTransaction(db, context, [&]() -> quint32 {
        bool found = false;
        if (!sqlHasRow(db, check, checkValues, found, context))
            return DB_STATEMENT_FAILED;
        if (!found)
            return DB_ROW_NOT_FOUND;
        if (LinkQueries::exec(db, write, writeValues, context) != DB_OK)
            return DB_STATEMENT_FAILED;
        return DB_OK;
    });
}

} // namespace

// ---- Users ------------------------------------------------------------------------------

quint32 UserTables::createMultiUser(QSqlDatabase db, VelkMultiUser &user)
{
    const char *context = "UserTables::createMultiUser";
    // The user and its default permissions go in together: a user left without the apps it
    // should have would be synchronised to the panels that way.
    quint32 muid = 0;
    const quint32 rc = inTransaction(db, context, [&]() -> quint32 {
        const QString uniqueId = user.uniqueId.isEmpty() ? QUuid::createUuid().toString() : user.uniqueId;
        if (LinkQueries::insertRow(db,
                                   QStringLiteral("INSERT INTO MultiUser (userName, password, rfidId, hasPermission, "
                                                  "uniqueId) VALUES (?, ?, ?, ?, ?)"),
                                   {user.userName, user.password, user.rfidId, user.hasPermission ? 1 : 0, uniqueId},
                                   muid, context) != DB_OK)
            return DB_STATEMENT_FAILED;

        QList<VelkAppInfo> apps;
        if (queryAllAppInfo(db, apps) != DB_OK)
            return DB_STATEMENT_FAILED;
        for (const VelkAppInfo &app : qAsConst(apps)) {
            if (insertPermission(db, muid, app.aiid, context) != DB_OK)
                return DB_STATEMENT_FAILED;
        }
        return DB_OK;
    });
    // The key only of a user that was stored: a rolled-back one leaves the caller's record as it was.
    if (rc == DB_OK)
        user.muid = muid;
    return rc;
}

quint32 UserTables::updateMultiUser(QSqlDatabase db, VelkMultiUser &user)
{
    // uniqueId is given once, at creation, and never rewritten.
    return checkedWrite(db, QStringLiteral("SELECT 1 FROM MultiUser WHERE muid = ?"),
                        QStringLiteral("UPDATE MultiUser SET userName = ?, password = ?, rfidId = ?, hasPermission = ? "
                                       "WHERE muid = ?"),
                        {user.muid}, {user.userName, user.password, user.rfidId, user.hasPermission ? 1 : 0, user.muid},
                        "UserTables::updateMultiUser");
}

quint32 UserTables::deleteMultiUser(QSqlDatabase db, quint32 muid)
{
    return checkedWrite(db, QStringLiteral("SELECT 1 FROM MultiUser WHERE muid = ?"),
                        QStringLiteral("DELETE FROM MultiUser WHERE muid = ?"), {muid}, {muid},
                        "UserTables::deleteMultiUser");
}

quint32 UserTables::queryAllMultiUser(QSqlDatabase db, QList<VelkMultiUser> &users)
{
    return appendUsers(db, QString(), {}, users, "UserTables::queryAllMultiUser");
}

quint32 UserTables::queryMultiUserByRfid(QSqlDatabase db, QList<VelkMultiUser> &users, QString rfidId)
{
    return appendUsers(db, QStringLiteral("WHERE rfidId = ?"), {rfidId}, users, "UserTables::queryMultiUserByRfid");
}

quint32 UserTables::queryMultiUserByName(QSqlDatabase db, QList<VelkMultiUser> &users, QString userName)
{
    return appendUsers(db, QStringLiteral("WHERE userName = ?"), {userName}, users, "UserTables::queryMultiUserByName");
}

quint32 UserTables::queryMultiUserByIFP(QSqlDatabase db, QList<VelkMultiUser> &users, quint32 deviceId)
{
    // One entry per binding row, in binding order; a binding whose user is gone adds nothing. Asked at every answer of
    // a panel's account synchronisation, so a whole fleet connecting asks it a thousand times: a cached statement.
    SqlStatement query(
        db, QStringLiteral("SELECT MultiUser.muid, MultiUser.userName, MultiUser.password, MultiUser.rfidId, "
                           "MultiUser.hasPermission, MultiUser.uniqueId FROM UserDevice "
                           "JOIN MultiUser ON MultiUser.muid = UserDevice.multiUserId "
                           "WHERE UserDevice.deviceId = ? ORDER BY UserDevice.udid"));
    if (!query.exec({deviceId}, "UserTables::queryMultiUserByIFP"))
        return DB_STATEMENT_FAILED;
    while (query.next())
        users.append(userFromQuery(query));
    return DB_OK;
}

// ---- Apps and permissions ---------------------------------------------------------------

quint32 UserTables::createAppInfo(QSqlDatabase db, VelkAppInfo &app)
{
    return LinkQueries::exec(db, QStringLiteral("INSERT INTO AppInfo (appName, packageName) VALUES (?, ?)"),
                             {app.appName, app.packageName}, "UserTables::createAppInfo");
}

quint32 UserTables::deleteAppInfo(QSqlDatabase db, QString packageName)
{
    return checkedWrite(db, QStringLiteral("SELECT 1 FROM AppInfo WHERE packageName = ? COLLATE NOCASE"),
                        QStringLiteral("DELETE FROM AppInfo WHERE packageName = ? COLLATE NOCASE"), {packageName},
                        {packageName}, "UserTables::deleteAppInfo");
}

quint32 UserTables::queryAllAppInfo(QSqlDatabase db, QList<VelkAppInfo> &apps)
{
    // Read for every panel's account file: a cached statement.
    SqlStatement query(db, QStringLiteral("SELECT aiid, appName, packageName FROM AppInfo ORDER BY aiid"));
    if (!query.exec({}, "UserTables::queryAllAppInfo"))
        return DB_STATEMENT_FAILED;
    while (query.next()) {
        VelkAppInfo app(query.value(1).toString(), query.value(2).toString());
        app.aiid = query.value(0).toUInt();
        apps.append(app);
    }
    return DB_OK;
}

quint32 UserTables::createAppPermission(QSqlDatabase db, VelkAppPermission &permission)
{
    return insertPermission(db, permission.multiUserId, permission.appId, "UserTables::createAppPermission");
}

quint32 UserTables::deleteAppPermission(QSqlDatabase db, quint32 userId, quint32 appId)
{
    return checkedWrite(db, QStringLiteral("SELECT 1 FROM AppPermission WHERE multiUserId = ? AND appId = ?"),
                        QStringLiteral("DELETE FROM AppPermission WHERE multiUserId = ? AND appId = ?"),
                        {userId, appId}, {userId, appId}, "UserTables::deleteAppPermission");
}

quint32 UserTables::queryAllAppPermission(QSqlDatabase db, QList<VelkAppPermission> &permissions)
{
    return appendPermissions(db, QString(), {}, permissions, "UserTables::queryAllAppPermission");
}

quint32 UserTables::queryAppPermission(QSqlDatabase db, QList<VelkAppPermission> &permissions, quint32 userId,
                                       quint32 appId)
{
    return appendPermissions(db, QStringLiteral("WHERE multiUserId = ? AND appId = ?"), {userId, appId}, permissions,
                             "UserTables::queryAppPermission");
}

quint32 UserTables::queryAppPermissionByIFP(QSqlDatabase db, QList<VelkAppPermission> &permissions, quint32 deviceId)
{
    // Asked for every panel of a synchronisation, a few hundred rows each time: a cached statement read directly, in
    // the order of the index it reads (sorting by apid cost as much again).
    SqlStatement query(db, QStringLiteral("SELECT apid, multiUserId, appId FROM AppPermission WHERE multiUserId IN "
                                          "(SELECT multiUserId FROM UserDevice WHERE deviceId = ?) "
                                          "ORDER BY multiUserId, appId"));
    if (!query.exec({deviceId}, "UserTables::queryAppPermissionByIFP"))
        return DB_STATEMENT_FAILED;
    while (query.next())
        permissions.append(permissionFromQuery(query));
    return DB_OK;
}

quint32 UserTables::setAppPermissionByName(QSqlDatabase db, QString userName, QString packageName, int grant)
{
    const char *context = "UserTables::setAppPermissionByName";
    return inTransaction(db, context, [&]() -> quint32 {
        quint32 muid = 0;
        quint32 rc = LinkQueries::firstId(
            db, QStringLiteral("SELECT muid FROM MultiUser WHERE userName = ? COLLATE NOCASE ORDER BY muid LIMIT 1"),
            {userName}, muid, context);
        if (rc != DB_OK)
            return rc;
        quint32 aiid = 0;
        rc = LinkQueries::firstId(
            db, QStringLiteral("SELECT aiid FROM AppInfo WHERE packageName = ? COLLATE NOCASE ORDER BY aiid LIMIT 1"),
            {packageName}, aiid, context);
        if (rc != DB_OK)
            return rc;

        bool granted = false;
        if (!sqlHasRow(db, QStringLiteral("SELECT 1 FROM AppPermission WHERE multiUserId = ? AND appId = ?"),
                       {muid, aiid}, granted, context))
            return DB_STATEMENT_FAILED;

        if (!granted && grant >= 0)
            rc = insertPermission(db, muid, aiid, context);
        else if (granted && grant < 0)
            rc = LinkQueries::exec(db, QStringLiteral("DELETE FROM AppPermission WHERE multiUserId = ? AND appId = ?"),
                                   {muid, aiid}, context);
        if (rc != DB_OK)
            return DB_STATEMENT_FAILED;
        return DB_OK;
    });
}

// ---- User devices -----------------------------------------------------------------------

quint32 UserTables::createUserDevice(QSqlDatabase db, VelkUserDevice &userDevice)
{
    return LinkQueries::exec(
        db,
        QStringLiteral("INSERT INTO UserDevice (multiUserId, deviceId, syncStatus, lastSyncTime) VALUES (?, ?, ?, ?)"),
        {userDevice.multiUserId, userDevice.deviceId, userDevice.syncStatus, userDevice.lastSyncTime},
        "UserTables::createUserDevice");
}

quint32 UserTables::updateUserDevice(QSqlDatabase db, VelkUserDevice &userDevice, QString deviceName, quint32 userId)
{
    const char *context = "UserTables::updateUserDevice";
    return inTransaction(db, context, [&]() -> quint32 {
        // The device name is compared exactly: it comes from the device record, not from typing.
        quint32 udid = 0;
        const quint32 rc = LinkQueries::firstId(
            db,
            QStringLiteral(
                "SELECT UserDevice.udid FROM UserDevice JOIN Device ON UserDevice.deviceId = Device.did "
                "WHERE Device.deviceName = ? AND UserDevice.multiUserId = ? ORDER BY UserDevice.udid LIMIT 1"),
            {deviceName, userId}, udid, context);
        if (rc != DB_OK)
            return rc;
        if (LinkQueries::exec(db,
                              QStringLiteral("UPDATE UserDevice SET syncStatus = ?, lastSyncTime = ? WHERE udid = ?"),
                              {userDevice.syncStatus, userDevice.lastSyncTime, udid}, context) != DB_OK)
            return DB_STATEMENT_FAILED;
        return DB_OK;
    });
}

quint32 UserTables::updateUserDeviceSyncStatus(QSqlDatabase db, quint32 deviceId, int syncStatus, QString lastSyncTime)
{
    // One statement for all of a panel's assignments: a user at a time, each found again through the device's name,
    // made recording the answers of a fleet's synchronisation cost more than everything else it does. Rows that hold
    // the answer already are left alone: a run in the same minute as the last one (Sync Now again, panels that
    // reconnect) rewrote every row of every panel, a third of what the console spent on the run.
    return LinkQueries::exec(db,
                             QStringLiteral("UPDATE UserDevice SET syncStatus = ?, lastSyncTime = ? WHERE deviceId = ? "
                                            "AND (syncStatus IS NOT ? OR lastSyncTime IS NOT ?)"),
                             {syncStatus, lastSyncTime, deviceId, syncStatus, lastSyncTime},
                             "UserTables::updateUserDeviceSyncStatus");
}

quint32 UserTables::deleteUserDevice(QSqlDatabase db, quint32 userId, quint32 deviceId)
{
    return checkedWrite(db, QStringLiteral("SELECT 1 FROM UserDevice WHERE multiUserId = ? AND deviceId = ?"),
                        QStringLiteral("DELETE FROM UserDevice WHERE multiUserId = ? AND deviceId = ?"),
                        {userId, deviceId}, {userId, deviceId}, "UserTables::deleteUserDevice");
}

quint32 UserTables::queryUserDevice(QSqlDatabase db, QList<VelkUserDevice> &userDevices, int order)
{
    const QString orderBy =
        order == 0 ? QStringLiteral("UserDevice.lastSyncTime DESC") : QStringLiteral("Device.deviceName ASC");
    // Every assignment of every user: the user table reads it whole after each synchronisation run, tens of
    // thousands of rows with a large fleet, so a cached statement read directly.
    SqlStatement query(db, QStringLiteral("SELECT UserDevice.udid, UserDevice.multiUserId, UserDevice.deviceId, "
                                          "UserDevice.syncStatus, UserDevice.lastSyncTime, Device.deviceName "
                                          "FROM UserDevice, Device WHERE UserDevice.deviceId = Device.did ORDER BY %1")
                               .arg(orderBy));
    if (!query.exec({}, "UserTables::queryUserDevice"))
        return DB_STATEMENT_FAILED;
    while (query.next())
        userDevices.append(userDeviceFromQuery(query));
    return DB_OK;
}

quint32 UserTables::queryUserDeviceLinks(QSqlDatabase db, QList<VelkUserDevice> &userDevices)
{
    // The assignments in their own order, each matched with its device by the device's key: asked for the devices
    // first, SQLite found each device's rows by the index and then sorted all of them again, half of the time a
    // synchronisation of a thousand panels held the event loop at its start.
    SqlStatement query(db, QStringLiteral("SELECT UserDevice.udid, UserDevice.multiUserId, UserDevice.deviceId "
                                          "FROM UserDevice JOIN Device ON Device.did = UserDevice.deviceId "
                                          "ORDER BY UserDevice.udid"));
    if (!query.exec({}, "UserTables::queryUserDeviceLinks"))
        return DB_STATEMENT_FAILED;
    while (query.next()) {
        VelkUserDevice link;
        link.udid = query.value(0).toUInt();
        link.multiUserId = query.value(1).toUInt();
        link.deviceId = query.value(2).toUInt();
        userDevices.append(link);
    }
    return DB_OK;
}

quint32 UserTables::queryUserDeviceByIds(QSqlDatabase db, QList<VelkUserDevice> &userDevices, quint32 userId,
                                         quint32 deviceId)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!sqlExec(query,
                 QStringLiteral("SELECT udid, multiUserId, deviceId, syncStatus, lastSyncTime FROM UserDevice "
                                "WHERE multiUserId = ? AND deviceId = ? ORDER BY udid"),
                 {userId, deviceId}, "UserTables::queryUserDeviceByIds"))
        return DB_STATEMENT_FAILED;
    while (query.next())
        userDevices.append(userDeviceFromQuery(query));
    return DB_OK;
}

// ---- Multi-user settings ----------------------------------------------------------------

quint32 UserTables::createMultiUserAdmin(QSqlDatabase db, VelkMultiUserAdmin &admin)
{
    return LinkQueries::exec(db,
                             QStringLiteral("INSERT INTO MultiUserAdmin (enableSetupServer, enableMultiUser, "
                                            "createAccountPassword, enableGuestUser, adminPassword, adminRfidId) "
                                            "VALUES (?, ?, ?, ?, ?, ?)"),
                             {admin.enableSetupServer ? 1 : 0, admin.enableMultiUser ? 1 : 0,
                              admin.createAccountPassword, admin.enableGuestUser ? 1 : 0, admin.adminPassword,
                              admin.adminRfidId},
                             "UserTables::createMultiUserAdmin");
}

quint32 UserTables::updateMultiUserAdmin(QSqlDatabase db, VelkMultiUserAdmin &admin)
{
    return checkedWrite(db, QStringLiteral("SELECT 1 FROM MultiUserAdmin WHERE maid = ?"),
                        QStringLiteral("UPDATE MultiUserAdmin SET enableSetupServer = ?, enableMultiUser = ?, "
                                       "createAccountPassword = ?, enableGuestUser = ?, adminPassword = ?, "
                                       "adminRfidId = ? WHERE maid = ?"),
                        {admin.maid},
                        {admin.enableSetupServer ? 1 : 0, admin.enableMultiUser ? 1 : 0, admin.createAccountPassword,
                         admin.enableGuestUser ? 1 : 0, admin.adminPassword, admin.adminRfidId, admin.maid},
                        "UserTables::updateMultiUserAdmin");
}

quint32 UserTables::deleteMultiUserAdmin(QSqlDatabase db, quint32 maid)
{
    return checkedWrite(db, QStringLiteral("SELECT 1 FROM MultiUserAdmin WHERE maid = ?"),
                        QStringLiteral("DELETE FROM MultiUserAdmin WHERE maid = ?"), {maid}, {maid},
                        "UserTables::deleteMultiUserAdmin");
}

quint32 UserTables::queryMultiUserAdmin(QSqlDatabase db, QList<VelkMultiUserAdmin> &admins)
{
    // Asked for every panel that connects (its account synchronisation): a cached statement.
    SqlStatement query(db,
                       QStringLiteral("SELECT maid, enableSetupServer, enableMultiUser, createAccountPassword, "
                                      "enableGuestUser, adminPassword, adminRfidId FROM MultiUserAdmin ORDER BY maid"));
    if (!query.exec({}, "UserTables::queryMultiUserAdmin"))
        return DB_STATEMENT_FAILED;
    while (query.next()) {
        VelkMultiUserAdmin admin;
        admin.maid = query.value(0).toUInt();
        admin.enableSetupServer = query.value(1).toInt() != 0;
        admin.enableMultiUser = query.value(2).toInt() != 0;
        admin.createAccountPassword = query.value(3).toString();
        admin.enableGuestUser = query.value(4).toInt() != 0;
        admin.adminPassword = query.value(5).toString();
        admin.adminRfidId = query.value(6).toString();
        admins.append(admin);
    }
    return DB_OK;
}
