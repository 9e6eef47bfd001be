// How long the console's GUI thread stalls while a scheduled power command goes to 1,000 connected panels.
//
// Scenario: 1,000 simulated panels run in a separate panelsim process and are connected to the console's command
// server on 127.0.0.1. One device-control schedule targets all of them with a power-on at 08:00 (a Wake-on-LAN burst
// for every panel, connected or not), a reboot at 08:05 and a power-off at 08:10, every day. Each round moves the
// runner's clock to a new day's times, so the runner builds the day's list and fires the three tasks as in
// production. The probe window runs from the command until the fleet has reacted: one second after the power-on
// (connected panels ignore the burst), until every panel has reconnected after the reboot, until every panel has
// disconnected after the power-off. The fleet is then switched on again through panelsim's own console, outside
// the windows (on loopback one receiving socket cannot take a 3,000-packet burst, real panels each have their own).
// The baseline of the same round sends the same three commands straight through CmdServer, without the runner.
// An event-loop stall probe (a precise 5 ms timer on the GUI thread) records how late it ran. The console runs on
// Qt's Unix event dispatcher (QT_NO_GLIB=1), as it does in production. Target: no stall above 100 ms in the scheduled
// runs.
//
// Usage: QT_QPA_PLATFORM=offscreen bench_schedule_power [--panels 1000] [--rounds 3]

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>

#include <cstdio>

#include "BenchSupport.h"
#include "datastore/DbResult.h"
#include "datastore/OrvantaDBManager.h"
#include "network/CmdServer.h"
#include "scheduling/DeviceControlRunner.h"
#include "shell/base/Clock.h"

namespace {

constexpr int ProbeMs = 5;
constexpr double TargetMs = 100.0;
const QString Password = QStringLiteral("secret");

// The longest lateness of a precise 5 ms timer on this thread between start() and stop().
class StallProbe
{
public:
    StallProbe()
    {
        m_timer.setInterval(ProbeMs);
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            m_worst = qMax(m_worst, now - m_last - qint64(ProbeMs) * 1000000);
            m_last = now;
        });
    }
    void start()
    {
        m_worst = 0;
        m_clock.start();
        m_last = 0;
        m_timer.start();
    }
    double stopMs()
    {
        // A stall still going on when the window closes counts too.
        m_worst = qMax(m_worst, m_clock.nsecsElapsed() - m_last - qint64(ProbeMs) * 1000000);
        m_timer.stop();
        return m_worst / 1e6;
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_worst = 0;
};

struct Phase
{
    const char *name;
    bool wantOnline;
};

const Phase Phases[] = {{"power-on", true}, {"reboot", true}, {"power-off", false}};

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", "1");
    bench::raiseFdLimit();
    QApplication app(argc, argv);
    const QString panelsArg = bench::argValue(app.arguments(), QStringLiteral("--panels"));
    const QString roundsArg = bench::argValue(app.arguments(), QStringLiteral("--rounds"));
    const int count = panelsArg.isEmpty() ? 1000 : qBound(1, panelsArg.toInt(), 5000);
    const int rounds = roundsArg.isEmpty() ? 3 : qBound(1, roundsArg.toInt(), 20);

    bench::ConsoleFixture fixture;
    if (!fixture.isValid())
        return 1;
    QList<VelkIFPDevice> devices;
    CmdServer *server = fixture.startFleet(count, Password, &devices);
    if (!server)
        return 1;
    const quint16 wolPort = fixture.config().wolPort;
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();

    VelkSchedule schedule;
    schedule.onTime = QStringLiteral("08:00");
    schedule.rebootTime = QStringLiteral("08:05");
    schedule.offTime = QStringLiteral("08:10");
    schedule.isPowerOff = schedule.isPowerOn = schedule.isReboot = true;
    schedule.isEnable = true;
    schedule.isMon = schedule.isTue = schedule.isWed = schedule.isThu = true;
    schedule.isFri = schedule.isSat = schedule.isSun = true;
    schedule.scheduleObject = 2;
    if (db->createIFPSchedule(schedule, devices) != DB_OK)
        return 1;

    std::printf("scenario: %d panels in a panelsim process, dispatcher %s, probe %d ms, %d rounds\n", count,
                qPrintable(bench::dispatcherName()), ProbeMs, rounds);
    QProcess panelsim;
    panelsim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    panelsim.setStandardOutputFile(QProcess::nullDevice());
    panelsim.setInputChannelMode(QProcess::ManagedInputChannel);
    panelsim.start(QStringLiteral(QV_PANELSIM),
                   {QStringLiteral("--console"), QStringLiteral("127.0.0.1:%1").arg(server->serverPort()),
                    QStringLiteral("--count"), QString::number(count), QStringLiteral("--base-ip"),
                    QStringLiteral("127.0.1.2"), QStringLiteral("--password"), Password, QStringLiteral("--wol-port"),
                    QString::number(wolPort), QStringLiteral("--answer-port"), QStringLiteral("0"),
                    QStringLiteral("--boot-delay"), QStringLiteral("100"), QStringLiteral("--reboot-delay"),
                    QStringLiteral("300"), QStringLiteral("--reconnect-delay"), QStringLiteral("500")});
    if (!panelsim.waitForStarted(5000)) {
        std::printf("panelsim did not start\n");
        return 1;
    }
    if (!bench::runUntil([&] { return bench::onlineCount(devices) == count; }, 120000)) {
        std::printf("only %d of %d panels connected\n", bench::onlineCount(devices), count);
        return 1;
    }

    StallProbe probe;
    ManualClock clock(QDateTime(QDate(2027, 3, 1), QTime(7, 0)));
    DeviceControlRunner runner(db, server, &clock);
    runner.replan();

    double worstBaseline[3] = {0, 0, 0};
    double worstSubject[3] = {0, 0, 0};
    bool settled = true;
    std::printf("%-6s %-9s %-10s %14s %12s\n", "round", "command", "sent by", "worst stall ms", "react s");
    for (int round = 0; round < rounds; ++round) {
        const QDate day = QDate(2027, 3, 1).addDays(round);
        clock.setNow(QDateTime(day, QTime(7, 59, 50))); // the new day's list is built here, outside the windows
        for (int order = 0; order < 2; ++order) {
            const bool scheduled = (order + round) % 2 == 1;
            for (int p = 0; p < 3; ++p) {
                QElapsedTimer react;
                probe.start();
                react.start();
                if (scheduled) {
                    clock.setNow(QDateTime(day, QTime(8, p * 5)));
                } else if (p == 0) {
                    server->powerOn(devices);
                } else if (p == 1) {
                    server->reboot(devices);
                } else {
                    server->powerOff(devices);
                }
                if (p == 0)
                    bench::runUntil([] { return false; }, 1000);
                if (p == 1)
                    bench::runUntil([&] { return bench::onlineCount(devices) < count; }, 5000);
                const bool ok = bench::runUntil(
                    [&] { return bench::onlineCount(devices) == (Phases[p].wantOnline ? count : 0); }, 60000);
                const double seconds = react.nsecsElapsed() / 1e9;
                bench::runUntil([] { return false; }, 300);
                const double stall = probe.stopMs();
                settled = settled && ok;
                double &worst = scheduled ? worstSubject[p] : worstBaseline[p];
                worst = qMax(worst, stall);
                std::printf("%-6d %-9s %-10s %14.2f %12.2f%s\n", round + 1, Phases[p].name,
                            scheduled ? "schedule" : "CmdServer", stall, seconds,
                            ok ? ""
                               : qPrintable(QStringLiteral("  (fleet did not settle: %1 connected)")
                                                .arg(bench::onlineCount(devices))));
            }
            if (scheduled)
                clock.setNow(QDateTime(day, QTime(8, 30)));
            panelsim.write("on all\n");
            if (!bench::runUntil([&] { return bench::onlineCount(devices) == count; }, 120000)) {
                std::printf("the fleet did not come back: %d of %d connected\n", bench::onlineCount(devices), count);
                settled = false;
            }
        }
    }
    panelsim.kill();
    panelsim.waitForFinished(5000);

    bool met = settled;
    for (int p = 0; p < 3; ++p) {
        std::printf("%-9s worst stall: CmdServer %.2f ms, schedule %.2f ms (target <= %.0f ms): %s\n", Phases[p].name,
                    worstBaseline[p], worstSubject[p], TargetMs, worstSubject[p] <= TargetMs ? "met" : "MISSED");
        met = met && worstSubject[p] <= TargetMs;
    }
    if (!settled)
        std::printf("the fleet did not always settle: verdict MISSED\n");
    return met ? 0 : 2;
}
