// What building a day's device-control task list costs against reading the same link rows with one bare QtSql select.
//
// Scenario: 5,000 devices in 200 groups of 25; 1,000 device-control schedules, every one enabled every day with a
// power-on, a reboot and a power-off time, each linked to 5 devices and to 1 group (the data store merges both, each
// device once). The subject is DeviceControlPlan::buildDay, what the runner does at start-up, at 00:00:10, after
// every edit and every table fill: it reads the schedules and, for each, its devices through the data store. The
// baseline is one SELECT joining the same link rows to the Device table, every column of every row read as text.
// Baseline and subject alternate; the verdict takes the median of the per-round ratios. Target: at most 5x.
//
// Usage: bench_schedule_plan [--rounds 7]

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <cstdio>

#include "BenchSupport.h"
#include "ScheduleBenchSeed.h"
#include "datastore/DatabaseManager.h"
#include "datastore/OrvantaDBManager.h"
#include "datastore/SqlTransaction.h"
#include "scheduling/DeviceControlPlan.h"

namespace {

constexpr int Devices = 5000;
constexpr int Groups = 200;
constexpr int Schedules = 1000;
constexpr int DevicesPerSchedule = 5;
constexpr double Target = 5.0;

bool seed(QSqlDatabase db)
{
    SqlTransaction tx(db, "bench seed");
    QSqlQuery query(db);
    if (!bench::seedFleet(query, Devices, Groups))
        return false;
    for (int s = 0; s < Schedules; ++s) {
        if (!bench::runSql(
                query,
                QStringLiteral("INSERT INTO Schedule (onTime, offTime, rebootTime, isEnable, isMon, isTue, isWed, "
                               "isThu, isFri, isSat, isSun, scheduleObject, isPowerOn, isPowerOff, isReboot) "
                               "VALUES ('07:30', '18:00', '12:00', 1, 1, 1, 1, 1, 1, 1, 1, 3, 1, 1, 1)")))
            return false;
        for (int k = 0; k < DevicesPerSchedule; ++k) {
            if (!bench::runSql(query, QStringLiteral("INSERT INTO DeviceSchedule (did, sid) VALUES (?, ?)"),
                               {(s * 7 + k * 997) % Devices + 1, s + 1}))
                return false;
        }
        if (!bench::runSql(query, QStringLiteral("INSERT INTO GroupsSchedule (gid, sid) VALUES (?, ?)"),
                           {s % Groups + 1, s + 1}))
            return false;
    }
    return tx.commit();
}

// The link rows of every schedule with their devices' columns, each value read as the record mapper reads it.
int bareSelect(QSqlDatabase db)
{
    const QString columns =
        QStringLiteral("d.did, d.deviceName, d.modelName, d.macAddress, d.ipAddress, d.fwVersion, d.lastPassword, "
                       "d.subnetMask, d.gateway, d.panelFwVersion, d.displayClientVersion, d.sku, d.isKicked, "
                       "d.deviceType, d.position, d.ptzCamera");
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.exec(QStringLiteral("SELECT ds.sid, %1 FROM DeviceSchedule ds JOIN Device d ON d.did = ds.did "
                              "UNION ALL SELECT gs.sid, %1 FROM GroupsSchedule gs "
                              "JOIN DeviceGroups dg ON dg.gid = gs.gid JOIN Device d ON d.did = dg.did")
                   .arg(columns));
    int rows = 0;
    qint64 chars = 0;
    while (query.next()) {
        for (int c = 1; c <= 16; ++c)
            chars += query.value(c).toString().size();
        ++rows;
    }
    return chars > 0 ? rows : 0;
}

double median(QVector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString roundsArg = bench::argValue(app.arguments(), QStringLiteral("--rounds"));
    const int rounds = roundsArg.isEmpty() ? 7 : qBound(1, roundsArg.toInt(), 100);

    bench::ConsoleFixture fixture;
    if (!fixture.isValid())
        return 1;
    auto *manager = dynamic_cast<OrvantaDBManager *>(OrvantaDBManager::getInstance());
    if (!manager)
        return 1;
    QSqlDatabase db = manager->databaseManager()->database();
    std::printf("scenario: %d devices, %d groups, %d schedules (3 times each, %d devices + 1 group linked)\n", Devices,
                Groups, Schedules, DevicesPerSchedule);
    if (!seed(db))
        return 1;

    const QDate monday(2027, 3, 1);
    QVector<double> ratios;
    int linkRows = 0;
    int taskDevices = 0;
    std::printf("%-6s %14s %14s %8s\n", "round", "bare select ms", "day list ms", "ratio");
    for (int round = 0; round < rounds; ++round) {
        double baseline = 0;
        double subject = 0;
        QList<ScheduleTask> tasks;
        const auto runBaseline = [&] {
            QElapsedTimer timer;
            timer.start();
            linkRows = bareSelect(db);
            baseline = timer.nsecsElapsed() / 1e6;
        };
        const auto runSubject = [&] {
            QElapsedTimer timer;
            timer.start();
            DeviceControlPlan::Known known;
            tasks = DeviceControlPlan::buildDay(manager, monday, known);
            subject = timer.nsecsElapsed() / 1e6;
        };
        // Even rounds start with the bare select, odd ones with the day's list, so neither always runs on a warmer
        // cache.
        if (round % 2 == 0) {
            runBaseline();
            runSubject();
        } else {
            runSubject();
            runBaseline();
        }
        taskDevices = 0;
        for (const ScheduleTask &task : tasks)
            taskDevices += task.devices.size();
        if (tasks.size() != 3 * Schedules) {
            std::printf("expected %d tasks, got %d\n", 3 * Schedules, int(tasks.size()));
            return 2;
        }
        ratios.append(subject / qMax(baseline, 0.001));
        std::printf("%-6d %14.2f %14.2f %8.2f\n", round + 1, baseline, subject, ratios.last());
    }
    const double result = median(ratios);
    std::printf("link rows read by the select: %d; devices in the day's tasks: %d (%d per task)\n", linkRows,
                taskDevices, taskDevices / (3 * Schedules));
    std::printf("day's task list / bare select, median of %d rounds: %.2fx (target <= %.1fx): %s\n", rounds, result,
                Target, result <= Target ? "met" : "MISSED");
    return result <= Target ? 0 : 2;
}
