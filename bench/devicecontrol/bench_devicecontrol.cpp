// The console's GUI thread while a whole fleet connects, is powered off and connects again, measured where the
// operator feels it: how long its event loop stalls (bench::StallProbe, a 10 ms precise timer) and when the last
// panel is online.
//
// Scenario, per run: the data store holds the fleet as a device import leaves it (nothing the panels report is
// stored yet), the panels (tools/panelsim, a process of their own) are switched on at once: the first connect, where
// every handshake writes the panel's report back. Then the whole fleet is powered off, and switched on again: the
// reconnect, where the records already match. With the page shown, the operator's actions follow with the fleet
// online (Select All, clear, group list, reload, password to all).
//
// Subject: the command server with the Device Control page shown, as the console runs it. Baseline: the command
// server alone, the page's share being the difference. Each run is a process of its own on Qt's Unix event
// dispatcher (the console's); subject and baseline alternate (ABBA), so both see the same machine load.
//
// Targets, for every subject run: the last handshake of each storm within 2 s of the switch-on, and no stall of the
// event loop over 100 ms in any phase (an operator's click waits that long); every action within 100 ms. Exit code
// 0 when every target is met, 2 otherwise.
//
// Usage: bench_devicecontrol [--panels 1000] [--runs 3]

#include "BenchSupport.h"
#include "FleetRecords.h"
#include "PanelProcess.h"
#include "StallProbe.h"

#include "datastore/OrvantaDBManager.h"
#include "devices/ConnectedList.h"
#include "network/CmdServer.h"
#include "network/DeviceChannel.h"
#include "shell/base/Session.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QRegularExpression>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr int kDeadlineMs = 2000;
constexpr double kStallLimitMs = 100;
const QString kPassword = QStringLiteral("bench");

struct Settings
{
    int count = 1000;
    int runs = 3;
};

struct Storm
{
    double lastMs = -1;
    int online = 0;
    int withinDeadline = 0;
    double worstStallMs = 0;
    double p99Ms = 0;
    int stallsOver = 0;
};

// Runs an event loop for at most timeoutMs; `arm` connects whatever is to quit it earlier.
void runLoop(int timeoutMs, const std::function<void(QEventLoop &)> &arm)
{
    QEventLoop loop;
    arm(loop);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
}

void runFor(int ms)
{
    runLoop(ms, [](QEventLoop &) {});
}

Storm switchOn(bench::PanelProcess &panels, CmdServer *server, int count, bench::StallProbe &probe)
{
    std::vector<int64_t> handshakes;
    handshakes.reserve(size_t(count));
    int64_t t0 = 0;
    probe.start();
    runLoop(15000, [&](QEventLoop &loop) {
        QObject::connect(server, &CmdServer::newConnection, &loop, [&](DeviceChannel *) {
            handshakes.push_back(bench::nowNs() - t0);
            if (int(handshakes.size()) == count)
                loop.quit();
        });
        t0 = panels.powerOnAll();
    });
    // Whatever the last handshakes left for later turns (the page's refresh, queued writes) belongs to the storm.
    runFor(300);
    probe.stop();
    Storm storm;
    storm.online = int(handshakes.size());
    storm.lastMs = handshakes.empty() ? -1 : *std::max_element(handshakes.begin(), handshakes.end()) / 1e6;
    storm.withinDeadline = int(std::count_if(handshakes.begin(), handshakes.end(),
                                             [](int64_t t) { return t <= int64_t(kDeadlineMs) * 1000000; }));
    storm.worstStallMs = probe.worstMs();
    storm.p99Ms = probe.quantileMs(0.99);
    storm.stallsOver = probe.countOver(kStallLimitMs);
    return storm;
}

double timeMs(const std::function<void()> &action)
{
    QElapsedTimer clock;
    clock.start();
    action();
    return clock.nsecsElapsed() / 1e6;
}

int runChild(const QString &mode, const Settings &settings)
{
    bench::raiseFdLimit();
    bench::ConsoleFixture fixture;
    if (!fixture.isValid())
        return 1;
    const int count = settings.count;
    const bool withPage = mode == QLatin1String("page");
    isAdminLogin = true;

    const QList<VelkIFPDevice> imported = bench::fleetRecords(count, bench::Records::Stale, kPassword);
    if (!fixture.seedDevices(imported))
        return 1;
    CmdServer *server = fixture.start(imported, kPassword);
    std::unique_ptr<ConnectedList> page;
    if (withPage) {
        page.reset(new ConnectedList);
        page->resize(940, 641);
        page->show();
    }
    runFor(200);

    bench::PanelProcess panels;
    bench::PanelProcess::Options options;
    options.count = count;
    options.consolePort = server->serverPort();
    options.password = kPassword;
    if (!panels.start(options, fixture.folder() + QStringLiteral("/panelsim.log"))) {
        std::printf("cannot start %s\n", qPrintable(bench::PanelProcess::program()));
        return 1;
    }

    bench::StallProbe probe;
    const Storm first = switchOn(panels, server, count, probe);
    QList<VelkIFPDevice> stored;
    OrvantaDBManager::getInstance()->queryAllAvailableIFP(stored);
    const int notWritten = bench::recordsNotWrittenBack(stored, count, kPassword).size();

    // Power off, through the page as an operator would, or straight through the server.
    int gone = 0;
    probe.start();
    QElapsedTimer offClock;
    offClock.start();
    runLoop(30000, [&](QEventLoop &loop) {
        QObject::connect(server, &CmdServer::channelDisconnect, &loop, [&](DeviceChannel *) {
            if (++gone == first.online)
                loop.quit();
        });
        if (page) {
            page->listDevices->clearSelection();
            page->btnSelectAll->click();
            page->btnPowerOff->click();
        } else {
            server->powerOff(stored);
        }
    });
    const double offMs = offClock.nsecsElapsed() / 1e6;
    runFor(300);
    probe.stop();
    const double offWorst = probe.worstMs();

    const Storm again = switchOn(panels, server, count, probe);

    double query = 0;
    double slowestAction = 0;
    QString actions;
    if (page) {
        runFor(300);
        query = timeMs([] {
            QList<VelkIFPDevice> devices;
            OrvantaDBManager::getInstance()->queryAllAvailableIFP(devices);
        });
        const struct
        {
            const char *name;
            std::function<void()> run;
        } steps[] = {
            {"Select All", [&] { page->btnSelectAll->click(); }},
            {"clear", [&] { page->btnSelectAll->click(); }},
            {"group list", [&] { page->setupGroupCombo(); }},
            {"reload", [&] { page->updateAllDB(); }},
            {"password to all", [&] { page->passWordChange(kPassword); }},
        };
        for (const auto &step : steps) {
            const double ms = timeMs(step.run);
            slowestAction = std::max(slowestAction, ms);
            actions += QStringLiteral(" | %1 %2 ms").arg(QLatin1String(step.name)).arg(ms, 0, 'f', 1);
        }
    }
    panels.stop();

    std::printf(
        "  %-6s first connect: %d/%d online, %d within %d ms, last %.0f ms, worst stall %.0f ms (p99 %.1f ms, "
        "%d over %.0f ms), %d records not written back | power-off: all gone after %.0f ms, worst stall "
        "%.0f ms | reconnect: last %.0f ms, worst stall %.0f ms%s\n",
        qPrintable(mode), first.online, count, first.withinDeadline, kDeadlineMs, first.lastMs, first.worstStallMs,
        first.p99Ms, first.stallsOver, kStallLimitMs, notWritten, offMs, offWorst, again.lastMs, again.worstStallMs,
        page ? qPrintable(QStringLiteral(" | actions (one table read %1 ms)%2").arg(query, 0, 'f', 1).arg(actions))
             : "");
    std::printf("RESULT mode=%s online=%d first=%.0f firststall=%.1f notwritten=%d offstall=%.1f again=%.0f "
                "againonline=%d againstall=%.1f action=%.1f\n",
                qPrintable(mode), first.online, first.lastMs, first.worstStallMs, notWritten, offWorst, again.lastMs,
                again.online, again.worstStallMs, slowestAction);
    std::fflush(stdout);
    return 0;
}

struct Row
{
    QString mode;
    bool ok = false;
    int online = 0, againOnline = 0, notWritten = 0;
    double first = 0, firstStall = 0, offStall = 0, again = 0, againStall = 0, action = 0;
};

} // namespace

int main(int argc, char **argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    Settings settings;
    if (!bench::argValue(args, QStringLiteral("--panels")).isEmpty())
        settings.count = qBound(1, bench::argValue(args, QStringLiteral("--panels")).toInt(), 5000);
    if (!bench::argValue(args, QStringLiteral("--runs")).isEmpty())
        settings.runs = qMax(1, bench::argValue(args, QStringLiteral("--runs")).toInt());

    if (args.contains(QStringLiteral("--child"))) {
        QApplication app(argc, argv);
        return runChild(bench::argValue(args, QStringLiteral("--child")), settings);
    }
    QCoreApplication app(argc, argv);
    std::printf("%d panels (panelsim, own process) switched on at once against the console, Unix dispatcher, "
                "%d runs of each\ntargets for the command server with the page: each storm's last handshake within "
                "%d ms, no event-loop stall over %.0f ms, every action within %.0f ms\n",
                settings.count, settings.runs, kDeadlineMs, kStallLimitMs, kStallLimitMs);
    const QStringList env = {QStringLiteral("QT_NO_GLIB=1"),
                             QStringLiteral("QT_QPA_PLATFORM=") + qEnvironmentVariable("QT_QPA_PLATFORM", "offscreen")};
    QList<Row> rows;
    for (int run = 0; run < settings.runs; ++run) {
        // ABBA: neither side always runs first on a machine that warms up or gets busier.
        const QStringList order = run % 2 == 0 ? QStringList{QStringLiteral("server"), QStringLiteral("page")}
                                               : QStringList{QStringLiteral("page"), QStringLiteral("server")};
        for (const QString &mode : order) {
            const QString out = bench::runChild(
                {QStringLiteral("--child"), mode, QStringLiteral("--panels"), QString::number(settings.count)}, env,
                180000);
            const QRegularExpressionMatch m =
                QRegularExpression(QStringLiteral("RESULT mode=(\\S+) online=(\\d+) first=(\\S+) firststall=(\\S+) "
                                                  "notwritten=(\\d+) offstall=(\\S+) again=(\\S+) againonline=(\\d+) "
                                                  "againstall=(\\S+) action=(\\S+)"))
                    .match(out);
            Row row;
            row.mode = mode;
            row.ok = m.hasMatch();
            if (row.ok) {
                row.online = m.captured(2).toInt();
                row.first = m.captured(3).toDouble();
                row.firstStall = m.captured(4).toDouble();
                row.notWritten = m.captured(5).toInt();
                row.offStall = m.captured(6).toDouble();
                row.again = m.captured(7).toDouble();
                row.againOnline = m.captured(8).toInt();
                row.againStall = m.captured(9).toDouble();
                row.action = m.captured(10).toDouble();
            }
            rows.append(row);
        }
    }

    std::printf("\nSummary (milliseconds; targets for \"page\": last handshake <= %d, stalls and actions <= %.0f)\n",
                kDeadlineMs, kStallLimitMs);
    bool allOk = true;
    std::vector<double> pageStall, serverStall;
    for (const Row &row : qAsConst(rows)) {
        if (!row.ok) {
            std::printf("  %-6s no result  MISSED\n", qPrintable(row.mode));
            allOk = false;
            continue;
        }
        const bool subject = row.mode == QLatin1String("page");
        const bool pass = row.online == settings.count && row.againOnline == settings.count && row.notWritten == 0 &&
                          row.first >= 0 && row.first <= kDeadlineMs && row.again >= 0 && row.again <= kDeadlineMs &&
                          row.firstStall <= kStallLimitMs && row.offStall <= kStallLimitMs &&
                          row.againStall <= kStallLimitMs && row.action <= kStallLimitMs;
        (subject ? pageStall : serverStall).push_back(row.firstStall);
        if (subject)
            allOk = allOk && pass;
        std::printf("  %-6s first connect: last %5.0f, worst stall %5.0f | power-off stall %4.0f | reconnect: last "
                    "%5.0f, worst stall %4.0f%s  %s\n",
                    qPrintable(row.mode), row.first, row.firstStall, row.offStall, row.again, row.againStall,
                    subject ? qPrintable(QStringLiteral(" | slowest action %1").arg(row.action, 0, 'f', 1)) : "",
                    subject ? (pass ? "ok" : "MISSED")
                            : (pass ? "(baseline, within the targets)" : "(baseline, outside the targets)"));
    }
    std::printf("median worst first-connect stall: page %.0f ms, command server alone %.0f ms\n",
                bench::median(pageStall), bench::median(serverStall));
    return allOk ? 0 : 2;
}
