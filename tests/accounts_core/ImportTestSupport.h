#pragma once

// What the settings and import tests add to the accounts tests' support: a dump of the whole
// database to compare before and after a refused import or save, devices of any model, and
// builders of file lines.

#include "accounts/AccountsTestSupport.h"
#include "accounts/core/UserCsv.h"
#include "support/DbProbe.h"

#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

// Every row of every table, in row order: two equal dumps mean nothing was written.
inline QString databaseDump()
{
    DbProbe probe(testDb()->databaseFilePath(), QStringLiteral("dump"));
    QStringList tables = probe.db().tables(QSql::AllTables);
    tables.sort();
    QString out;
    for (const QString &table : qAsConst(tables)) {
        QSqlQuery query(probe.db());
        if (!query.exec(QStringLiteral("SELECT * FROM \"%1\" ORDER BY rowid").arg(table)))
            query.exec(QStringLiteral("SELECT * FROM \"%1\"").arg(table));
        out += QStringLiteral("[%1]\n").arg(table);
        while (query.next()) {
            QStringList values;
            for (int i = 0; i < query.record().count(); ++i)
                values << query.value(i).toString();
            out += values.join(QLatin1Char('|')) + QLatin1Char('\n');
        }
    }
    return out;
}

inline VelkIFPDevice addDevice(const QString &name, const QString &model = QString(),
                               const QString &version = QString())
{
    VelkIFPDevice device;
    device.deviceName = name;
    device.modelName = model;
    device.displayClientVersion = version;
    device.deviceType = QStringLiteral("Control Box");
    if (testDb()->createIFPDevice(device) != DB_OK)
        qWarning("createIFPDevice failed for %s", qPrintable(name));
    return storedDevice(name);
}

// Writes the multi-user settings record; the guest switch follows the multi-user one.
inline void storeSettings(bool setup, bool multi, const QString &cardPassword, const QString &adminPassword,
                          const QString &adminCard = QString())
{
    QList<VelkMultiUserAdmin> records;
    testDb()->queryMultiUserAdmin(records);
    VelkMultiUserAdmin record = records.value(0);
    record.enableSetupServer = setup;
    record.enableMultiUser = multi;
    record.enableGuestUser = multi;
    record.createAccountPassword = cardPassword;
    record.adminPassword = adminPassword;
    record.adminRfidId = adminCard;
    if (testDb()->updateMultiUserAdmin(record) != DB_OK)
        qWarning("updateMultiUserAdmin failed");
}

// The names of the devices assigned to the user, sorted.
inline QStringList devicesOf(quint32 muid)
{
    QList<VelkUserDevice> all;
    testDb()->queryUserDevice(all, 1);
    QStringList names;
    for (const VelkUserDevice &link : qAsConst(all)) {
        if (link.multiUserId != muid)
            continue;
        QList<VelkIFPDevice> device;
        testDb()->queryIFPById(device, link.deviceId);
        names << device.value(0).deviceName;
    }
    names.sort();
    return names;
}

// The names of the apps the user may start, sorted.
inline QStringList appsOf(quint32 muid)
{
    QList<VelkAppInfo> apps;
    testDb()->queryAllAppInfo(apps);
    QStringList names;
    for (const VelkAppInfo &app : qAsConst(apps)) {
        QList<VelkAppPermission> found;
        testDb()->queryAppPermission(found, muid, app.aiid);
        if (!found.isEmpty())
            names << app.appName;
    }
    names.sort();
    return names;
}

inline QStringList allAppNames()
{
    QStringList names = UserCsv::columnTitles().mid(UserCsv::FirstAppColumn);
    names.sort();
    return names;
}

// The template's header line, without its line end.
inline QString headerLine()
{
    QFile file(UserCsv::templatePath());
    file.open(QIODevice::ReadOnly);
    return QString::fromLatin1(file.readLine()).trimmed();
}

// The twelve app cells, all with one value.
inline QStringList appValues(const QString &value)
{
    QStringList values;
    for (int i = 0; i < 12; ++i)
        values << value;
    return values;
}

// One user line; the access cell is quoted when it holds a comma. apps: twelve values, or one
// value for all twelve.
inline QString userLine(const QString &name, const QString &password, const QString &card,
                        const QString &install = QStringLiteral("Enable"), const QString &access = QString(),
                        QStringList apps = {QStringLiteral("Enable")})
{
    while (apps.size() < 12)
        apps << apps.first();
    const QString accessCell = access.contains(',') ? '"' + access + '"' : access;
    return QStringList{name, password, card, install, accessCell}.join(',') + ',' + apps.join(',') + '\n';
}
