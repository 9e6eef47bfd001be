#pragma once

// Shared set-up of the user-account tests: the real data store on a temporary HOME, helpers to
// seed and read users, devices and permissions through the database interface, and a way to
// make SQLite itself refuse a table. The network tests' support gives the loopback command
// server, the simulated panels and the capture of the log.

#include "datastore/DbResult.h"
#include "datastore/OrvantaDBManager.h"
#include "network/NetTestSupport.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QtTest>

inline OrvantaDBIntf *testDb()
{
    return OrvantaDBManager::getInstance();
}

// Removes every user with its permissions and assignments, every device and the settings'
// administrator card, so each test starts from the seeded apps alone.
inline void wipeAccounts()
{
    QSqlQuery sql(QSqlDatabase::database());
    for (const char *statement :
         {"DELETE FROM AppPermission", "DELETE FROM UserDevice", "DELETE FROM MultiUser", "DELETE FROM DeviceGroups",
          "DELETE FROM Groups", "DELETE FROM Device", "UPDATE MultiUserAdmin SET adminRfidId = ''"}) {
        if (!sql.exec(QLatin1String(statement)))
            qWarning("%s: %s", statement, qPrintable(sql.lastError().text()));
    }
    // Written behind the data store's back: two writes through it that change nothing tell what keeps device and
    // account data between reads that these rows are gone.
    VelkIFPDevice none;
    testDb()->updateIFPDevicePosition(none, QString());
    testDb()->deleteUserDevice(0, 0);
}

inline VelkMultiUser userNamed(const QString &name)
{
    QList<VelkMultiUser> users;
    testDb()->queryMultiUserByName(users, name);
    return users.isEmpty() ? VelkMultiUser() : users.first();
}

inline VelkMultiUser seedUser(const QString &name, const QString &password = QString(), const QString &card = QString())
{
    VelkMultiUser user;
    user.userName = name;
    user.password = password;
    user.rfidId = card;
    if (testDb()->createMultiUser(user) != DB_OK)
        qWarning("createMultiUser failed for %s", qPrintable(name));
    return userNamed(name);
}

inline int userCount()
{
    QList<VelkMultiUser> users;
    testDb()->queryAllMultiUser(users);
    return users.size();
}

inline VelkIFPDevice seedPanel(const QString &name, const QString &mac)
{
    VelkIFPDevice device;
    device.deviceName = name;
    device.macAddress = mac;
    device.ipAddress = QStringLiteral("127.0.0.2");
    device.deviceType = QStringLiteral("IFP");
    device.modelName = QStringLiteral("Velk TM B-Series");
    device.displayClientVersion = QStringLiteral("1.1.1030.30");
    testDb()->createIFPDevice(device);
    QList<VelkIFPDevice> all;
    testDb()->queryAllAvailableIFP(all);
    for (const VelkIFPDevice &stored : all) {
        if (stored.deviceName == name)
            return stored;
    }
    return VelkIFPDevice();
}

inline void assign(quint32 muid, quint32 did, int status = 0, const QString &time = QString())
{
    VelkUserDevice row;
    row.multiUserId = muid;
    row.deviceId = did;
    row.syncStatus = status;
    row.lastSyncTime = time;
    testDb()->createUserDevice(row);
}

// The app ids a user may start, in ascending order, one entry per permission row.
inline QList<quint32> permittedApps(quint32 muid)
{
    QList<VelkAppPermission> rows;
    testDb()->queryAllAppPermission(rows);
    QList<quint32> apps;
    for (const VelkAppPermission &row : rows) {
        if (row.multiUserId == muid)
            apps << row.appId;
    }
    std::sort(apps.begin(), apps.end());
    return apps;
}

inline QList<VelkAppInfo> allApps()
{
    QList<VelkAppInfo> apps;
    testDb()->queryAllAppInfo(apps);
    return apps;
}

inline int rowCount(const QString &table)
{
    QSqlQuery sql(QSqlDatabase::database());
    if (!sql.exec(QStringLiteral("SELECT COUNT(*) FROM %1").arg(table)) || !sql.next())
        return -1;
    return sql.value(0).toInt();
}

// While it lives, every statement on the table fails inside SQLite: the table is renamed away.
class HiddenTable
{
public:
    explicit HiddenTable(const QString &table) : m_table(table)
    {
        QSqlQuery sql(QSqlDatabase::database());
        m_ok = sql.exec(QStringLiteral("ALTER TABLE %1 RENAME TO %1_hidden").arg(m_table));
    }
    ~HiddenTable()
    {
        QSqlQuery sql(QSqlDatabase::database());
        if (m_ok)
            sql.exec(QStringLiteral("ALTER TABLE %1_hidden RENAME TO %1").arg(m_table));
    }
    bool isActive() const { return m_ok; }

private:
    QString m_table;
    bool m_ok = false;
};

// While it lives, deletes from the table fail inside SQLite (a trigger raises an abort).
class RefusedDelete
{
public:
    explicit RefusedDelete(const QString &table) : m_table(table)
    {
        QSqlQuery sql(QSqlDatabase::database());
        m_ok = sql.exec(QStringLiteral("CREATE TEMP TRIGGER refuse_delete_%1 BEFORE DELETE ON %1 "
                                       "BEGIN SELECT RAISE(ABORT, 'refused'); END")
                            .arg(m_table));
    }
    ~RefusedDelete()
    {
        QSqlQuery sql(QSqlDatabase::database());
        sql.exec(QStringLiteral("DROP TRIGGER IF EXISTS refuse_delete_%1").arg(m_table));
    }
    bool isActive() const { return m_ok; }

private:
    QString m_table;
    bool m_ok = false;
};

// The log lines that hold any of the secrets.
inline QStringList linesHolding(const LogCapture &log, const QStringList &secrets)
{
    QStringList found;
    for (const QString &secret : secrets) {
        if (!secret.isEmpty() && log.contains(secret))
            found << secret;
    }
    return found;
}
