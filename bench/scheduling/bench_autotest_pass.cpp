// How long the GUI thread is held when many auto-tests are due in the same minute, against one reload of the
// auto-test table alone.
//
// Scenario: 150 simulated panels in a separate panelsim process, all powered off and listening for Wake-on-LAN;
// 150 auto-test schedules, each for one of them (chosen device), all at 10:00 every day. The console is this process:
// the real command server on 127.0.0.1, its database in an ordinary folder on disk (tmpfs and ramfs are refused: the
// statuses and report rows a run writes are commits), its log file, and the Schedule Setup page offscreen and shown
// on a moved clock, on Qt's Unix event dispatcher as in production.
//
// Each round is a new day. Subject: the pass that fires the 150 power-ons at 10:00 (each wakes its panel, turns its
// schedule "Scheduling" and writes its report row) and the pass that fires the 150 checks at 10:01:30 (each judges
// its panel, powers it off and writes the result); between the two the woken panels reconnect, outside the windows.
// Baseline: one reload of the same auto-test table, what the page does when the runner reports a change, alone,
// once before the two passes and once after them. All four are started from the event loop while a 10 ms probe
// watches it; each window ends 500 ms after the work, so what the event loop does afterwards (the old rows' widgets
// deleted, the new ones polished) is in it. Verdict: the longer hold of the round's two passes over the longer of its
// two reloads, median of the rounds' ratios, target at most 1.5x; every test must fire both tasks and end with its
// report row. Prints the console's memory (VmRSS) after each pass.
//
// Usage: QT_QPA_PLATFORM=offscreen bench_autotest_pass [--tests 150] [--rounds 3] [--db-folder DIR]
// --db-folder: where the database goes (a fresh folder is made inside it); by default the folder of this program,
// which lies in the build tree on disk.
// Exit code 0 when the target is met, 2 when it is missed, 1 when the benchmark could not run.

#include <QApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QProcess>
#include <QSqlQuery>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "BenchSupport.h"
#include "StallProbe.h"
#include "datastore/DbResult.h"
#include "datastore/OrvantaDBManager.h"
#include "network/CmdServer.h"
#include "scheduling/AutoTestRunner.h"
#include "scheduling/Scheduling.h"
#include "shell/base/Clock.h"

namespace {

constexpr double Target = 1.5;
constexpr int SettleMs = 500;
const QString Password = QStringLiteral("secret");
const QDate FirstDay(2027, 3, 1);

// The GUI thread's longest hold while `work` runs from the event loop, until `done()` and SettleMs after it. A real
// event loop (not processEvents), so that the widgets deleted later are deleted in the window, as in the console.
double holdOf(const std::function<void()> &work, const std::function<bool()> &done, int timeoutMs, bool *finished)
{
    bench::StallProbe probe;
    QEventLoop loop;
    QTimer poll;
    QDeadlineTimer deadline(timeoutMs);
    *finished = false;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (!done() && !deadline.hasExpired())
            return;
        *finished = done();
        poll.stop();
        QTimer::singleShot(SettleMs, &loop, &QEventLoop::quit);
    });
    probe.start();
    // A few probe ticks first, so a hold at the very start is seen as late ticks.
    QTimer::singleShot(30, &loop, [&] {
        work();
        poll.start(5);
    });
    loop.exec();
    probe.stop();
    return probe.worstMs();
}

// Schedules with exactly one report row, and how many of those rows say the panel answered.
QPair<int, int> reportRows(const QList<VelkAutoTestSchedule> &schedules)
{
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    int withRow = 0;
    int answered = 0;
    for (const VelkAutoTestSchedule &schedule : schedules) {
        QList<VelkAutoTestScheduleReport> rows;
        if (db->queryAutoTestScheduleReportByAutoTestSchedule(schedule, rows) != DB_OK || rows.size() != 1)
            continue;
        ++withRow;
        answered += rows.at(0).status == 4 ? 1 : 0;
    }
    return {withRow, answered};
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", "1");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    bench::raiseFdLimit();
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const auto value = [&](const char *option, const QString &fallback) {
        const QString given = bench::argValue(args, QLatin1String(option));
        return given.isEmpty() ? fallback : given;
    };
    const int count = qBound(1, value("--tests", QStringLiteral("150")).toInt(), 1000);
    const int rounds = qBound(1, value("--rounds", QStringLiteral("3")).toInt(), 20);
    const QString dbParent = value("--db-folder", QCoreApplication::applicationDirPath());

    bench::ConsoleFixture fixture;
    if (!fixture.isValid())
        return 1;
    // The fixture keeps HOME and the log on tmpfs; the database goes to a disk, as the console's does.
    if (!fixture.putDatabaseOnDisk(dbParent, QStringLiteral("bench_autotest_pass")))
        return 1;

    QList<VelkIFPDevice> devices;
    CmdServer *server = fixture.startFleet(count, Password, &devices);
    if (!server)
        return 1;
    const quint16 wolPort = fixture.config().wolPort;
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    {
        DbTransaction seed = db->transaction("bench seed auto-tests");
        for (const VelkIFPDevice &device : qAsConst(devices)) {
            VelkAutoTestSchedule schedule;
            schedule.scheduleTarget = 2;
            schedule.time = QStringLiteral("10:00");
            schedule.status = 1;
            schedule.isEnable = true;
            schedule.isMon = schedule.isTue = schedule.isWed = schedule.isThu = true;
            schedule.isFri = schedule.isSat = schedule.isSun = true;
            schedule.devices = {device};
            if (db->insertAutoTestSchedule(schedule) != DB_OK)
                return 1;
        }
        if (!seed.commit())
            return 1;
    }

    QProcess panelsim;
    panelsim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    panelsim.setStandardOutputFile(QProcess::nullDevice());
    panelsim.start(QStringLiteral(QV_PANELSIM),
                   {QStringLiteral("--console"), QStringLiteral("127.0.0.1:%1").arg(server->serverPort()),
                    QStringLiteral("--count"), QString::number(count), QStringLiteral("--base-ip"),
                    bench::panelAddress(0), QStringLiteral("--password"), Password, QStringLiteral("--wol-port"),
                    QString::number(wolPort), QStringLiteral("--answer-port"), QStringLiteral("0"),
                    QStringLiteral("--off"),
                    // Woken panels come back after the power-on's window, as real ones take their time to boot.
                    QStringLiteral("--boot-delay"), QStringLiteral("1500"), QStringLiteral("--reconnect-delay"),
                    QStringLiteral("500")});
    if (!panelsim.waitForStarted(5000)) {
        std::printf("panelsim did not start\n");
        return 1;
    }

    ManualClock clock(QDateTime(FirstDay, QTime(9, 0)));
    Scheduling page(&clock);
    page.comboBoxType->setCurrentIndex(2);
    page.show();
    int fired = 0;
    QObject::connect(page.autoTestRunner(), &AutoTestRunner::taskFired, [&] { ++fired; });
    bench::runUntil([] { return false; }, 300);
    if (page.tableWidgetAutoTest->rowCount() != count) {
        std::printf("INCOMPLETE: the auto-test table shows %d rows\n", page.tableWidgetAutoTest->rowCount());
        return 2;
    }

    std::printf("scenario: %d auto-tests at 10:00, one simulated panel each in a panelsim process; page offscreen, "
                "shown; dispatcher %s, probe %d ms, %d rounds\n",
                count, qPrintable(bench::dispatcherName()), bench::StallProbe::kPeriodMs, rounds);
    std::printf("database in %s (%s)\n", qPrintable(fixture.databaseFolder()),
                qPrintable(fixture.databaseFileSystem().name));
    std::printf("RSS before the first round: %.1f MiB\n", bench::procStatusKb("VmRSS") / 1024.0);
    std::printf("%-6s %11s %11s %11s %11s %7s %11s %11s %9s\n", "round", "reload1 ms", "power-on ms", "check ms",
                "reload2 ms", "ratio", "RSS on MiB", "RSS chk MiB", "answered");

    std::vector<double> ratios;
    bool complete = true;
    for (int round = 0; round < rounds; ++round) {
        const QDate day = FirstDay.addDays(round);
        clock.setNow(QDateTime(day, QTime(9, 59))); // a new day's plan, outside the windows
        bench::runUntil([] { return false; }, 300);

        bool finished = false;
        const auto reload = [&] {
            return holdOf([&] { emit page.autoTestRunner()->schedulesChanged(); }, [] { return true; }, 60000,
                          &finished);
        };
        const double reloadBeforeMs = reload();

        const int before = fired;
        const double powerOnMs = holdOf([&] { clock.setNow(QDateTime(day, QTime(10, 0))); },
                                        [&] { return fired - before >= count; }, 1800000, &finished);
        complete = complete && finished;
        const double rssOn = bench::procStatusKb("VmRSS") / 1024.0;

        // The woken panels reconnect before their check, outside the windows.
        bench::runUntil([&] { return bench::onlineCount(devices) == count; }, 60000);
        bench::runUntil([] { return false; }, 500);

        const double checkMs = holdOf([&] { clock.setNow(QDateTime(day, QTime(10, 1, 30))); },
                                      [&] { return fired - before >= 2 * count; }, 1800000, &finished);
        complete = complete && finished;
        const double rssCheck = bench::procStatusKb("VmRSS") / 1024.0;
        // Every test fired both tasks and ends with one report row.
        QList<VelkAutoTestSchedule> schedules;
        db->queryAllAutoTestSchedule(schedules);
        const QPair<int, int> rows = reportRows(schedules);
        complete = complete && fired - before == 2 * count && rows.first == count;
        // Panels powered off go down before the next round.
        bench::runUntil([&] { return bench::onlineCount(devices) == 0; }, 30000);

        const double reloadAfterMs = reload();
        const double ratio = std::max(powerOnMs, checkMs) / std::max(std::max(reloadBeforeMs, reloadAfterMs), 0.001);
        ratios.push_back(ratio);
        std::printf("%-6d %11.1f %11.1f %11.1f %11.1f %7.2f %11.1f %11.1f %5d/%d\n", round + 1, reloadBeforeMs,
                    powerOnMs, checkMs, reloadAfterMs, ratio, rssOn, rssCheck, rows.second, count);
        std::fflush(stdout);
    }
    panelsim.kill();
    panelsim.waitForFinished(5000);

    const double result = bench::median(ratios);
    const bool met = complete && result <= Target;
    std::printf("RSS after the last pass: %.1f MiB (peak %.1f MiB)\n", bench::procStatusKb("VmRSS") / 1024.0,
                bench::procStatusKb("VmHWM") / 1024.0);
    std::printf("every test fired its power-on and its check and has its report row: %s\n", complete ? "yes" : "NO");
    std::printf("longest hold of a pass / one reload of the table, median of %d rounds: %.2fx (target <= %.1fx): %s\n",
                rounds, result, Target, met ? "met" : "MISSED");
    return met ? 0 : 2;
}
