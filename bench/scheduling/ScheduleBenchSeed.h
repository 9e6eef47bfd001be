#pragma once

// What the schedule benchmarks seed with plain SQL, inside the caller's transaction: the statement helper and a fleet
// of devices, each in one group.

#include <QSqlQuery>
#include <QString>
#include <QVariant>

#include <cstdio>

#include "BenchSupport.h"

namespace bench {

// Prepares, binds and runs one statement; prints it when it fails.
inline bool runSql(QSqlQuery &query, const QString &sql, const QVariantList &values = {})
{
    query.prepare(sql);
    for (const QVariant &value : values)
        query.addBindValue(value);
    if (query.exec())
        return true;
    std::printf("statement failed: %s\n", qPrintable(sql));
    return false;
}

// Devices "Panel-00001" on (did 1 on), groups "Building 1" on (gid 1 on); device i joins group i % groups.
inline bool seedFleet(QSqlQuery &query, int devices, int groups)
{
    for (int i = 0; i < devices; ++i) {
        if (!runSql(query,
                    QStringLiteral("INSERT INTO Device (deviceName, modelName, macAddress, ipAddress, fwVersion, "
                                   "deviceType, position) VALUES (?, ?, ?, ?, ?, ?, ?)"),
                    {QStringLiteral("Panel-%1").arg(i + 1, 5, 10, QLatin1Char('0')), QStringLiteral("Velk TM B-Series"),
                     panelMac(i), panelAddress(i), QStringLiteral("2.5.1052.0"), QStringLiteral("Control Box"),
                     QStringLiteral("Room %1").arg(i + 1)}))
            return false;
    }
    for (int g = 0; g < groups; ++g) {
        if (!runSql(query, QStringLiteral("INSERT INTO Groups (groupName, groupType) VALUES (?, ?)"),
                    {QStringLiteral("Building %1").arg(g + 1), QStringLiteral("Control Box")}))
            return false;
    }
    for (int i = 0; i < devices; ++i) {
        if (!runSql(query, QStringLiteral("INSERT INTO DeviceGroups (did, gid) VALUES (?, ?)"),
                    {i + 1, i % groups + 1}))
            return false;
    }
    return true;
}

} // namespace bench
