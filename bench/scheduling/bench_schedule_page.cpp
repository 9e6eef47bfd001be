// What a visit of the Schedule Setup page costs against filling its tables from rows already in memory.
//
// Scenario: 400 devices in 20 groups of 20; 1,000 device-control schedules (a power-on and a power-off every day;
// one in ten for all devices, the others alternately for 3 chosen devices or for 1 group), 1,000 auto-test schedules
// (the same targets, a quarter of them Failed with 2 failed report rows) and 1,000 firmware-update schedules (on
// the coming days, for 3 chosen devices or 1 group). The page runs offscreen, shown, on a moved clock.
//
// Subject: Scheduling::initial(), what the main frame calls each time the page is selected: the three kinds read from
// the data store, the three tables filled, today's device-control and auto-test plans built. Baseline: the same three
// tables filled from the schedules the page holds in memory (Scheduling::refillTables(), what a change of scale does),
// with every per-row widget the tables carry. Baseline and subject alternate, each round in the other order; the
// verdict takes the median of the per-round ratios. Target: at most 1.5x. The GUI thread's longest stall over one
// visit, seen by a 10 ms probe on its event loop, is printed beside it.
//
// Usage: bench_schedule_page [--rounds 5]

#include <QApplication>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTimer>
#include <QVariant>

#include <cstdio>
#include <functional>
#include <vector>

#include "BenchSupport.h"
#include "ScheduleBenchSeed.h"
#include "StallProbe.h"
#include "datastore/DatabaseManager.h"
#include "datastore/OrvantaDBManager.h"
#include "datastore/SqlTransaction.h"
#include "scheduling/Scheduling.h"
#include "shell/base/Clock.h"

namespace {

constexpr int Devices = 400;
constexpr int Groups = 20;
constexpr int SchedulesPerKind = 1000;
constexpr double Target = 1.5;

// Links schedule `key` to its target: 3 devices (target 2) or 1 group (target 3), in the kind's link tables.
bool link(QSqlQuery &query, int target, int s, const QString &deviceLinks, const QString &groupLinks,
          const QString &keyColumn, int key)
{
    if (target == 2) {
        for (int k = 0; k < 3; ++k) {
            if (!bench::runSql(query,
                               QStringLiteral("INSERT INTO %1 (did, %2) VALUES (?, ?)").arg(deviceLinks, keyColumn),
                               {(s * 7 + k * 131) % Devices + 1, key}))
                return false;
        }
    } else if (target == 3) {
        if (!bench::runSql(query, QStringLiteral("INSERT INTO %1 (gid, %2) VALUES (?, ?)").arg(groupLinks, keyColumn),
                           {s % Groups + 1, key}))
            return false;
    }
    return true;
}

int targetOf(int s, bool allowAll)
{
    if (allowAll && s % 10 == 0)
        return 1;
    return s % 2 ? 2 : 3;
}

bool seed(QSqlDatabase db)
{
    SqlTransaction tx(db, "bench seed");
    QSqlQuery query(db);
    if (!bench::seedFleet(query, Devices, Groups))
        return false;
    for (int s = 0; s < SchedulesPerKind; ++s) {
        const int key = s + 1;
        const int control = targetOf(s, true);
        if (!bench::runSql(
                query,
                QStringLiteral("INSERT INTO Schedule (onTime, offTime, rebootTime, isEnable, isMon, isTue, isWed, "
                               "isThu, isFri, isSat, isSun, scheduleObject, isPowerOn, isPowerOff, isReboot) "
                               "VALUES ('07:30', '18:00', '', 1, 1, 1, 1, 1, 1, 1, 1, ?, 1, 1, 0)"),
                {control}) ||
            !link(query, control, s, QStringLiteral("DeviceSchedule"), QStringLiteral("GroupsSchedule"),
                  QStringLiteral("sid"), key))
            return false;

        const int test = targetOf(s, true);
        const int status = s % 4 == 0 ? 3 : s % 4 == 1 ? 4 : 1;
        const QString time =
            QStringLiteral("%1:%2").arg(8 + s % 12, 2, 10, QLatin1Char('0')).arg(s % 60, 2, 10, QLatin1Char('0'));
        if (!bench::runSql(
                query,
                QStringLiteral("INSERT INTO AutoTestSchedule (scheduleTarget, time, status, isEnable, isMon, isTue, "
                               "isWed, isThu, isFri, isSat, isSun) VALUES (?, ?, ?, 1, 1, 1, 1, 1, 1, 0, 0)"),
                {test, time, status}) ||
            !link(query, test, s, QStringLiteral("DeviceAutoTestSchedule"), QStringLiteral("GroupsAutoTestSchedule"),
                  QStringLiteral("tsid"), key))
            return false;
        if (status == 3) {
            for (int k = 0; k < 2; ++k) {
                if (!bench::runSql(query,
                                   QStringLiteral("INSERT INTO AutoTestScheduleReport (did, tsid, status, notes) "
                                                  "VALUES (?, ?, 3, 3)"),
                                   {(s + k) % Devices + 1, key}))
                    return false;
            }
        }

        const int update = targetOf(s, false);
        const QString date = QDate(2027, 3, 2).addDays(s / 8).toString(QStringLiteral("yyyy-MM-dd"));
        if (!bench::runSql(query,
                           QStringLiteral("INSERT INTO OtaSchedule (scheduleTarget, date, time, status, isEnable) "
                                          "VALUES (?, ?, ?, 1, 1)"),
                           {update, date, time}) ||
            !link(query, update, s, QStringLiteral("DeviceOtaSchedule"), QStringLiteral("GroupsOtaSchedule"),
                  QStringLiteral("osid"), key))
            return false;
    }
    return tx.commit();
}

double timed(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    const double ms = timer.nsecsElapsed() / 1e6;
    // What the event loop does afterwards (the old rows' widgets deleted, the new ones polished and laid out) is done
    // before the next round, as the operator's event loop does between two visits; the probe below sees that part.
    for (int pass = 0; pass < 3; ++pass) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
    return ms;
}

bool complete(Scheduling &page)
{
    return page.tableWidget->rowCount() == SchedulesPerKind &&
           page.tableWidgetAutoTest->rowCount() == SchedulesPerKind &&
           page.tableWidgetFwUpdate->rowCount() == SchedulesPerKind;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString roundsArg = bench::argValue(app.arguments(), QStringLiteral("--rounds"));
    const int rounds = roundsArg.isEmpty() ? 5 : qBound(1, roundsArg.toInt(), 100);

    bench::ConsoleFixture fixture;
    if (!fixture.isValid())
        return 1;
    auto *manager = dynamic_cast<OrvantaDBManager *>(OrvantaDBManager::getInstance());
    if (!manager)
        return 1;
    if (!seed(manager->databaseManager()->database()))
        return 1;
    fixture.start({}, QStringLiteral("bench"));

    std::printf("scenario: %d devices in %d groups; %d device-control, %d auto-test and %d firmware-update "
                "schedules; page offscreen, shown (%s)\n",
                Devices, Groups, SchedulesPerKind, SchedulesPerKind, SchedulesPerKind,
                qPrintable(QString::fromLatin1(QT_VERSION_STR)));
    ManualClock clock(QDateTime(QDate(2027, 3, 1), QTime(6, 0)));
    Scheduling page(&clock);
    page.show();
    // One of each before measuring: the first fill pays for fonts, style sheets and images.
    timed([&] { page.initial(); });
    timed([&] { page.refillTables(); });
    if (!complete(page)) {
        std::printf("INCOMPLETE: the tables show %d, %d and %d rows\n", page.tableWidget->rowCount(),
                    page.tableWidgetAutoTest->rowCount(), page.tableWidgetFwUpdate->rowCount());
        return 2;
    }

    std::vector<double> ratios;
    std::vector<double> fills;
    std::vector<double> visits;
    std::printf("%-6s %16s %12s %8s\n", "round", "fill in memory ms", "visit ms", "ratio");
    for (int round = 0; round < rounds; ++round) {
        double fill = 0;
        double visit = 0;
        if (round % 2 == 0) {
            fill = timed([&] { page.refillTables(); });
            visit = timed([&] { page.initial(); });
        } else {
            visit = timed([&] { page.initial(); });
            fill = timed([&] { page.refillTables(); });
        }
        if (!complete(page)) {
            std::printf("INCOMPLETE after round %d\n", round + 1);
            return 2;
        }
        fills.push_back(fill);
        visits.push_back(visit);
        ratios.push_back(visit / qMax(fill, 0.001));
        std::printf("%-6d %16.1f %12.1f %8.2f\n", round + 1, fill, visit, ratios.back());
    }

    // One visit while a probe watches the event loop, as when the operator selects the page.
    bench::StallProbe probe;
    probe.start();
    QEventLoop loop;
    QTimer::singleShot(100, &page, [&] {
        page.initial();
        QTimer::singleShot(1000, &loop, &QEventLoop::quit);
    });
    loop.exec();
    probe.stop();

    const double result = bench::median(ratios);
    std::printf("median fill %.1f ms, median visit %.1f ms\n", bench::median(fills), bench::median(visits));
    std::printf("GUI thread's longest stall over one visit: %.1f ms\n", probe.worstMs());
    std::printf("visit / fill in memory, median of %d rounds: %.2fx (target <= %.1fx): %s\n", rounds, result, Target,
                result <= Target ? "met" : "MISSED");
    return result <= Target ? 0 : 2;
}
