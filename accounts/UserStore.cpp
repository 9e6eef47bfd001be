#include "accounts/UserStore.h"

#include "accounts/DeviceAssignment.h"

#include "datastore/DbResult.h"
#include "datastore/OrvantaDBIntf.h"

#include <QSet>

quint32 UserStore::findUser(OrvantaDBIntf *db, quint32 muid, VelkMultiUser *user)
{
    QList<VelkMultiUser> users;
    const quint32 rc = db->queryAllMultiUser(users);
    if (rc != DB_OK)
        return rc;
    for (const VelkMultiUser &candidate : qAsConst(users)) {
        if (candidate.muid == muid) {
            *user = candidate;
            return DB_OK;
        }
    }
    return DB_ROW_NOT_FOUND;
}

quint32 UserStore::addUser(OrvantaDBIntf *db, const QString &name, const QString &password, const QString &card)
{
    VelkMultiUser user;
    user.userName = name;
    user.password = password;
    user.rfidId = card;
    user.hasPermission = false;
    return db->createMultiUser(user);
}

quint32 UserStore::assignmentsOfUser(OrvantaDBIntf *db, quint32 muid, int order, QList<VelkUserDevice> &rows)
{
    rows.clear();
    QList<VelkUserDevice> all;
    const quint32 rc = db->queryUserDevice(all, order);
    if (rc != DB_OK)
        return rc;
    for (const VelkUserDevice &row : qAsConst(all)) {
        if (row.multiUserId == muid)
            rows.append(row);
    }
    return DB_OK;
}

quint32 UserStore::editUser(OrvantaDBIntf *db, quint32 muid, const UserEdit &edit)
{
    VelkMultiUser user;
    const quint32 rc = findUser(db, muid, &user);
    if (rc != DB_OK)
        return rc;
    user.userName = edit.userName.value_or(user.userName);
    user.password = edit.password.value_or(user.password);
    user.rfidId = edit.rfidId.value_or(user.rfidId);
    user.hasPermission = edit.hasPermission.value_or(user.hasPermission);
    return db->updateMultiUser(user);
}

quint32 UserStore::removeUser(OrvantaDBIntf *db, quint32 muid)
{
    // One transaction: a step that fails undoes the steps before it.
    DbTransaction transaction = db->transaction("UserStore::removeUser");
    if (!transaction.isActive())
        return DB_STATEMENT_FAILED;
    quint32 rc = db->deleteMultiUser(muid);
    if (rc != DB_OK)
        return rc;

    // Every permission row of the user, also those of apps no longer listed.
    QList<VelkAppPermission> permissions;
    rc = db->queryAllAppPermission(permissions);
    if (rc != DB_OK)
        return rc;
    QSet<quint32> apps;
    for (const VelkAppPermission &permission : qAsConst(permissions)) {
        if (permission.multiUserId == muid)
            apps.insert(permission.appId);
    }
    for (quint32 appId : qAsConst(apps)) {
        rc = db->deleteAppPermission(muid, appId);
        if (rc != DB_OK)
            return rc;
    }

    QList<VelkUserDevice> assignments;
    rc = assignmentsOfUser(db, muid, 1, assignments);
    if (rc != DB_OK)
        return rc;
    QSet<quint32> devices;
    for (const VelkUserDevice &assignment : qAsConst(assignments))
        devices.insert(assignment.deviceId);
    for (quint32 deviceId : qAsConst(devices)) {
        rc = db->deleteUserDevice(muid, deviceId);
        if (rc != DB_OK)
            return rc;
    }
    return transaction.commit() ? DB_OK : DB_STATEMENT_FAILED;
}

quint32 UserStore::saveAppPermissions(OrvantaDBIntf *db, quint32 muid, const QList<AppSwitch> &switches,
                                      bool hasPermission)
{
    DbTransaction transaction = db->transaction("UserStore::saveAppPermissions");
    if (!transaction.isActive())
        return DB_STATEMENT_FAILED;
    VelkMultiUser user;
    quint32 rc = findUser(db, muid, &user);
    if (rc != DB_OK)
        return rc;
    for (const AppSwitch &app : switches) {
        QList<VelkAppPermission> rows;
        rc = db->queryAppPermission(rows, muid, app.appId);
        if (rc != DB_OK)
            return rc;
        if (app.on && rows.isEmpty()) {
            VelkAppPermission permission;
            permission.multiUserId = muid;
            permission.appId = app.appId;
            rc = db->createAppPermission(permission);
        } else if (!app.on && !rows.isEmpty()) {
            rc = db->deleteAppPermission(muid, app.appId);
        }
        if (rc != DB_OK)
            return rc;
    }
    UserEdit flag;
    flag.hasPermission = hasPermission;
    rc = editUser(db, muid, flag);
    if (rc != DB_OK)
        return rc;
    return transaction.commit() ? DB_OK : DB_STATEMENT_FAILED;
}

quint32 UserStore::deviceNamesByUser(OrvantaDBIntf *db, QHash<quint32, QStringList> &names)
{
    names.clear();
    // Every device, by name: their order is the order of each user's list.
    QList<VelkIFPDevice> devices;
    quint32 rc = DeviceAssignment::allDevices(db, devices);
    if (rc != DB_OK)
        return rc;
    QHash<quint32, int> rank;
    rank.reserve(devices.size());
    for (int i = 0; i < devices.size(); ++i)
        rank.insert(devices.at(i).did, i);

    QList<VelkUserDevice> assignments;
    rc = db->queryUserDeviceLinks(assignments);
    if (rc != DB_OK)
        return rc;
    QHash<quint32, QVector<int>> ranks;
    for (const VelkUserDevice &assignment : qAsConst(assignments)) {
        const auto device = rank.constFind(assignment.deviceId);
        if (device != rank.constEnd())
            ranks[assignment.multiUserId].append(*device);
    }
    for (auto user = ranks.begin(); user != ranks.end(); ++user) {
        std::sort(user->begin(), user->end());
        QStringList &list = names[user.key()];
        for (int index : qAsConst(*user))
            list.append(devices.at(index).deviceName);
    }
    return DB_OK;
}
