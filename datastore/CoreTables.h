#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>

#include "datastore/VelkRecords.h"

/// SQL of the core tables: the console accounts (Account), the devices (Device), the groups
/// (Groups) and their memberships (DeviceGroups). Stateless, like the table families;
/// OrvantaDBManager calls it after its argument guards, the start-up steps to seed the
/// accounts. Every method returns a code of DbResult.h. The queries append to the list they
/// are given.
///
/// Devices and groups are found by name without regard to letter case.
class CoreTables
{
public:
    // --- Console accounts -----------------------------------------------------------------
    static quint32 queryAccount(QSqlDatabase db, QList<VelkAccount> &accounts);
    static quint32 updateAccount(QSqlDatabase db, VelkAccount &account);
    /// Inserts an account unless another has the same password (letter case ignored):
    /// DB_ACCOUNT_PASSWORD_EXISTS. Only the creation and upgrade of the Account table use it.
    static quint32 createAccount(QSqlDatabase db, VelkAccount &account);

    // --- Devices and groups ---------------------------------------------------------------
    static quint32 queryAllAvailableIFP(QSqlDatabase db, QList<VelkIFPDevice> &devices);
    static quint32 queryIFPByGroup(QSqlDatabase db, VelkGroups group, QList<VelkIFPDevice> &devices);
    static quint32 queryGroupsByIFP(QSqlDatabase db, VelkIFPDevice device, QList<VelkGroups> &groups);
    static quint32 queryAllGroup(QSqlDatabase db, QList<VelkGroups> &groups);
    static quint32 queryIFPById(QSqlDatabase db, QList<VelkIFPDevice> &devices, quint32 did);
    static quint32 createIFPDevice(QSqlDatabase db, VelkIFPDevice &device);
    static quint32 deleteIFPDevice(QSqlDatabase db, VelkIFPDevice &device);
    static quint32 updateIFPDeviceById(QSqlDatabase db, VelkIFPDevice &device);
    static quint32 updateIFPDevice(QSqlDatabase db, VelkIFPDevice &device);
    static quint32 changeIFPDeviceName(QSqlDatabase db, const QString &oldName, QString newName);
    static quint32 updateIFPDevicePosition(QSqlDatabase db, VelkIFPDevice &device, QString position);
    static quint32 updateIFPDeviceKicked(QSqlDatabase db, quint32 did, bool kicked);
    static quint32 createGroups(QSqlDatabase db, VelkGroups &group);
    static quint32 deleteGroups(QSqlDatabase db, VelkGroups &group);
    static quint32 changeGroupsNameNoCase(QSqlDatabase db, const QString &name);
    static quint32 changeGroupsName(QSqlDatabase db, const QString &oldName, QString newName);
    static quint32 joinGroups(QSqlDatabase db, VelkIFPDevice &device, VelkGroups &group);
    static quint32 disjoinGroups(QSqlDatabase db, VelkIFPDevice &device, VelkGroups &group);
};
