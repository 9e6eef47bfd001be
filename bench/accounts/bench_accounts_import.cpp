// Importing a 5,000-user CSV file (each user with its app permissions and two devices), against
// plain inserts of the same users, permissions and assignments in one transaction.
// Target: the import runs at no less than 0.2 times the rate of the plain inserts. Exit code 0 when
// met, 2 when not and when the import refused the file or stored other rows than the inserts.

#include "accounts/core/UserCsv.h"
#include "accounts/core/UserCsvImporter.h"
#include "datastore/OrvantaDBManager.h"
#include "shell/base/CsvReader.h"
#include "support/TestEnv.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <QVector>
#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

constexpr int DeviceCount = 250;

bool exec(QSqlQuery &query, const QString &sql)
{
    if (query.exec(sql))
        return true;
    std::fprintf(stderr, "%s: %s\n", qPrintable(sql), qPrintable(query.lastError().text()));
    return false;
}

void wipeUsers()
{
    QSqlQuery query(QSqlDatabase::database());
    exec(query, QStringLiteral("DELETE FROM UserDevice"));
    exec(query, QStringLiteral("DELETE FROM AppPermission"));
    exec(query, QStringLiteral("DELETE FROM MultiUser"));
}

QString deviceName(int i)
{
    return QStringLiteral("Room %1").arg(i, 3, 10, QLatin1Char('0'));
}

double median(QVector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

} // namespace

int main(int argc, char **argv)
{
    // The console's own event dispatcher; the import runs inside one slot and never returns to it.
    qputenv("QT_NO_GLIB", "1");
    TestEnv env;
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? QString::fromLatin1(argv[1]).toInt() : 5000;
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();

    // The fleet: enough devices that two per user stay under the limit of users per device.
    for (int i = 0; i < DeviceCount; ++i) {
        VelkIFPDevice device;
        device.deviceName = deviceName(i);
        device.deviceType = QStringLiteral("Control Box");
        db->createIFPDevice(device);
    }
    QList<VelkIFPDevice> devices;
    db->queryAllAvailableIFP(devices);
    QHash<QString, quint32> deviceIds;
    for (const VelkIFPDevice &device : qAsConst(devices))
        deviceIds.insert(device.deviceName, device.did);
    QList<VelkAppInfo> apps;
    db->queryAllAppInfo(apps);
    QHash<QString, quint32> appIds;
    for (const VelkAppInfo &info : qAsConst(apps))
        appIds.insert(info.appName, info.aiid);

    // The file: every user on two devices, with a card, and four of the twelve apps disabled.
    QFile templateFile(UserCsv::templatePath());
    templateFile.open(QIODevice::ReadOnly);
    QString text = QString::fromLatin1(templateFile.readLine());
    const QStringList appTitles = UserCsv::columnTitles().mid(UserCsv::FirstAppColumn);
    for (int i = 0; i < count; ++i) {
        QStringList cells = {QStringLiteral("User %1").arg(i), QStringLiteral("pw%1").arg(i, 4, 10, QLatin1Char('0')),
                             QStringLiteral("%1").arg(10000000 + i), i % 3 ? "Enable" : "Disable",
                             '"' + deviceName((2 * i) % DeviceCount) + ',' + deviceName((2 * i + 1) % DeviceCount) +
                                 '"'};
        for (int a = 0; a < appTitles.size(); ++a)
            cells << ((a + i) % 3 == 0 ? "Disable" : "Enable");
        text += cells.join(',') + '\n';
    }
    const QList<QStringList> rows = parseCsv(normalizeCsvText(text));

    // The yardstick: the rows the import ends with, as plain prepared inserts in one transaction.
    int plainRows = 0;
    auto plainInserts = [&]() {
        QSqlDatabase sql = QSqlDatabase::database();
        QSqlQuery begin(sql);
        exec(begin, QStringLiteral("BEGIN"));
        QSqlQuery user(sql), permission(sql), assignment(sql);
        user.prepare(QStringLiteral(
            "INSERT INTO MultiUser (userName, password, rfidId, hasPermission, uniqueId) VALUES (?, ?, ?, ?, ?)"));
        permission.prepare(QStringLiteral("INSERT INTO AppPermission (multiUserId, appId) VALUES (?, ?)"));
        assignment.prepare(QStringLiteral(
            "INSERT INTO UserDevice (multiUserId, deviceId, syncStatus, lastSyncTime) VALUES (?, ?, 0, '')"));
        plainRows = 0;
        for (int i = 1; i < rows.size(); ++i) {
            const UserCsvRow row = UserCsv::readRow(rows.at(i));
            user.addBindValue(row.name);
            user.addBindValue(row.password);
            user.addBindValue(row.card);
            user.addBindValue(row.hasPermission() ? 1 : 0);
            user.addBindValue(QStringLiteral("{00000000-0000-0000-0000-%1}").arg(i, 12, 10, QLatin1Char('0')));
            user.exec();
            const quint32 muid = user.lastInsertId().toUInt();
            ++plainRows;
            for (const QString &title : appTitles) {
                if (row.appValue(title) == QLatin1String("Disable"))
                    continue;
                permission.addBindValue(muid);
                permission.addBindValue(appIds.value(title));
                permission.exec();
                ++plainRows;
            }
            for (const QString &name : row.deviceNames()) {
                assignment.addBindValue(muid);
                assignment.addBindValue(deviceIds.value(name));
                assignment.exec();
                ++plainRows;
            }
        }
        exec(begin, QStringLiteral("COMMIT"));
    };

    bool failed = false;
    auto import = [&]() {
        UserCsvImporter importer(db);
        const UserCsvError error = importer.importRows(rows);
        if (error.isError()) {
            std::fprintf(stderr, "import refused at column %d, row %d: %s\n", error.column + 1, error.row,
                         qPrintable(error.message));
            failed = true;
        }
    };
    auto timed = [](const std::function<void()> &work) {
        wipeUsers();
        QElapsedTimer timer;
        timer.start();
        work();
        return timer.nsecsElapsed() / 1e6;
    };
    auto storedRows = []() {
        QSqlQuery query(QSqlDatabase::database());
        int total = 0;
        for (const char *table : {"MultiUser", "AppPermission", "UserDevice"}) {
            exec(query, QStringLiteral("SELECT count(*) FROM ") + QLatin1String(table));
            query.next();
            total += query.value(0).toInt();
        }
        return total;
    };

    // Subject and yardstick take turns in every round and the ratio is taken per round, so a noisy
    // spell on a shared machine slows both sides of a ratio instead of one.
    const int runs = 5;
    QVector<double> plainTimes, importTimes, ratios;
    for (int round = 0; round < runs && !failed; ++round) {
        const double plainMs = timed(plainInserts);
        const int plainStored = storedRows();
        const double importMs = timed(import);
        if (storedRows() != plainStored) {
            std::fprintf(stderr, "the import stored %d rows, the plain inserts %d\n", storedRows(), plainStored);
            failed = true;
        }
        plainTimes.append(plainMs);
        importTimes.append(importMs);
        ratios.append(plainMs / importMs);
    }
    if (failed)
        return 2;
    const double plain = median(plainTimes);
    const double imported = median(importTimes);
    const double ratio = median(ratios);
    std::printf("users: %d on %d devices, two devices and 8 of 12 apps each: %d rows (median of %d runs)\n", count,
                DeviceCount, plainRows, runs);
    std::printf("plain inserts in one transaction: %9.2f ms (%8.0f rows/s)\n", plain, plainRows * 1000.0 / plain);
    std::printf("user CSV import (checks and writing): %9.2f ms (%8.0f rows/s)\n", imported,
                plainRows * 1000.0 / imported);
    std::printf("rate ratio import / plain, median of the rounds: %.3f (target >= 0.200) %s\n", ratio,
                ratio >= 0.2 ? "OK" : "UNDER");
    return ratio < 0.2 ? 2 : 0;
}
