#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>

#include "datastore/VelkRecords.h"

/// SQL of the panels' multi-user data: users (MultiUser), apps (AppInfo), app permissions
/// (AppPermission), user-device assignments (UserDevice) and the multi-user settings
/// (MultiUserAdmin). Stateless; OrvantaDBManager calls it after its argument guards.
/// Every method returns a code of DbResult.h. The queries append to the list they are given.
class UserTables
{
public:
    // Users
    static quint32 createMultiUser(QSqlDatabase db, VelkMultiUser &user);
    static quint32 updateMultiUser(QSqlDatabase db, VelkMultiUser &user);
    static quint32 deleteMultiUser(QSqlDatabase db, quint32 muid);
    static quint32 queryAllMultiUser(QSqlDatabase db, QList<VelkMultiUser> &users);
    static quint32 queryMultiUserByRfid(QSqlDatabase db, QList<VelkMultiUser> &users, QString rfidId);
    static quint32 queryMultiUserByName(QSqlDatabase db, QList<VelkMultiUser> &users, QString userName);
    static quint32 queryMultiUserByIFP(QSqlDatabase db, QList<VelkMultiUser> &users, quint32 deviceId);

    // Apps and permissions
    static quint32 createAppInfo(QSqlDatabase db, VelkAppInfo &app);
    static quint32 deleteAppInfo(QSqlDatabase db, QString packageName);
    static quint32 queryAllAppInfo(QSqlDatabase db, QList<VelkAppInfo> &apps);
    static quint32 createAppPermission(QSqlDatabase db, VelkAppPermission &permission);
    static quint32 deleteAppPermission(QSqlDatabase db, quint32 userId, quint32 appId);
    static quint32 queryAllAppPermission(QSqlDatabase db, QList<VelkAppPermission> &permissions);
    static quint32 queryAppPermissionByIFP(QSqlDatabase db, QList<VelkAppPermission> &permissions, quint32 deviceId);
    static quint32 queryAppPermission(QSqlDatabase db, QList<VelkAppPermission> &permissions, quint32 userId,
                                      quint32 appId);
    static quint32 setAppPermissionByName(QSqlDatabase db, QString userName, QString packageName, int grant);

    // User devices
    static quint32 createUserDevice(QSqlDatabase db, VelkUserDevice &userDevice);
    static quint32 updateUserDevice(QSqlDatabase db, VelkUserDevice &userDevice, QString deviceName, quint32 userId);
    static quint32 updateUserDeviceSyncStatus(QSqlDatabase db, quint32 deviceId, int syncStatus, QString lastSyncTime);
    static quint32 deleteUserDevice(QSqlDatabase db, quint32 userId, quint32 deviceId);
    static quint32 queryUserDevice(QSqlDatabase db, QList<VelkUserDevice> &userDevices, int order);
    static quint32 queryUserDeviceLinks(QSqlDatabase db, QList<VelkUserDevice> &userDevices);
    static quint32 queryUserDeviceByIds(QSqlDatabase db, QList<VelkUserDevice> &userDevices, quint32 userId,
                                        quint32 deviceId);

    // Multi-user settings
    static quint32 createMultiUserAdmin(QSqlDatabase db, VelkMultiUserAdmin &admin);
    static quint32 updateMultiUserAdmin(QSqlDatabase db, VelkMultiUserAdmin &admin);
    static quint32 deleteMultiUserAdmin(QSqlDatabase db, quint32 maid);
    static quint32 queryMultiUserAdmin(QSqlDatabase db, QList<VelkMultiUserAdmin> &admins);
};
