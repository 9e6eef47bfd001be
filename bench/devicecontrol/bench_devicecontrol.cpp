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
// A mixed fleet's first connect follows (bench::MixedFleet: 60 % of the panels with the console's password, 10 % with
// none, 20 % with another console's, 10 % not in the list), first connect only, in the same two modes.
//
// Targets, for every subject run: the last handshake of each storm within 2 s of the switch-on, and no stall of the
// event loop over 100 ms in any phase (an operator's click waits that long); every action within 100 ms; in the mixed
// fleet every panel connected or locked as its password says. Exit code 0 when every target is met, 2 otherwise.
//
// Usage: bench_devicecontrol [--panels 1000] [--runs 3] [--fleets uniform,mixed]

#include "BenchSupport.h"
#include "FleetRecords.h"
#include "MixedFleet.h"
#include "PanelProcess.h"
#include "RawPanels.h"
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
#include <thread>
#include <vector>

namespace {

constexpr int kDeadlineMs = 2000;
constexpr double kStallLimitMs = 100;
const QString kPassword = QStringLiteral("bench");

struct Settings
{
    int count = 1000;
    int runs = 3;
    QStringList fleets = {QStringLiteral("uniform"), QStringLiteral("mixed")};
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

// Switches the panels on and waits until `count` of them are handshaken as connected.
Storm switchOn(const std::function<int64_t()> &powerOn, CmdServer *server, int count, bench::StallProbe &probe)
{
    std::vector<int64_t> handshakes;
    handshakes.reserve(size_t(count));
    int64_t t0 = 0;
    probe.start();
    bench::runLoop(15000, [&](QEventLoop &loop) {
        QObject::connect(server, &CmdServer::newConnection, &loop, [&](DeviceChannel *) {
            handshakes.push_back(bench::nowNs() - t0);
            if (int(handshakes.size()) == count)
                loop.quit();
        });
        t0 = powerOn();
    });
    // Whatever the last handshakes left for later turns (the page's refresh, queued writes) belongs to the storm.
    bench::runFor(300);
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

// The mixed fleet's first connect, in a process of its own like every run.
int runMixed(const QString &mode, const Settings &settings)
{
    bench::raiseFdLimit();
    bench::ConsoleFixture fixture;
    if (!fixture.isValid())
        return 1;
    bench::MixedFleet fleet(settings.count);
    isAdminLogin = true;
    // One more panel, connected before the storm, keeps a keep-alive in flight throughout: how long it waits for its
    // answers is the wait every connected panel and the operator see.
    const int peer = settings.count;
    QList<VelkIFPDevice> imported = fleet.records(kPassword);
    imported.append(bench::panelDevice(peer, kPassword));
    if (!fixture.seedDevices(imported))
        return 1;
    CmdServer *server = fixture.start(imported, kPassword);
    std::unique_ptr<ConnectedList> page;
    if (mode == QLatin1String("page")) {
        page.reset(new ConnectedList);
        page->resize(940, 641);
        page->show();
    }
    RawPanels::Options peerOptions;
    peerOptions.count = 1;
    peerOptions.threads = 1;
    peerOptions.serverPort = server->serverPort();
    peerOptions.spreadAddresses = false;
    peerOptions.identities = {bench::panelIdentityJson(peer, kPassword)};
    RawPanels goodPeer(peerOptions);
    goodPeer.connectAll();
    bench::runLoop(10000, [&](QEventLoop &loop) {
        QObject::connect(server, &CmdServer::newConnection, &loop, &QEventLoop::quit);
    });
    bench::runFor(200);
    if (!goodPeer.waitReady(5000) || !fleet.start(server->serverPort(), kPassword, fixture.folder())) {
        std::printf("cannot start the panels (%s)\n", qPrintable(bench::PanelProcess::program()));
        return 1;
    }
    bench::StallProbe probe;
    RawPanels::PingResult pings;
    std::thread pinging([&] { pings = goodPeer.measurePings(0, 1500); });
    const Storm storm = switchOn([&fleet] { return fleet.powerOnAll(); }, server, fleet.connecting(), probe);
    // The keep-alives go on until their measurement ends; its answers need the loop.
    QElapsedTimer waiting;
    waiting.start();
    while (!pings.seconds && waiting.elapsed() < 5000)
        bench::runFor(50);
    pinging.join();
    goodPeer.stop();
    const double peerWaitMs =
        pings.latenciesUs.empty() ? -1 : *std::max_element(pings.latenciesUs.begin(), pings.latenciesUs.end()) / 1e3;
    const int locked = fleet.lockedOn(server);
    QList<VelkIFPDevice> stored;
    OrvantaDBManager::getInstance()->queryAllAvailableIFP(stored);
    const int notWritten = bench::recordsNotWrittenBack(stored, fleet.connecting(), kPassword).size();
    fleet.stop();
    std::printf("  %-6s mixed first connect: %d/%d connected (%d with the console's password, %d given it), last %.0f "
                "ms, %d/%d locked, %d not in the list, worst stall %.0f ms (p99 %.1f ms, %d over %.0f ms), a connected "
                "panel's keep-alive answered within %.0f ms at the latest, %d records not written back\n",
                qPrintable(mode), storm.online, fleet.connecting(), fleet.matching(), fleet.withoutPassword(),
                storm.lastMs, locked, fleet.otherPassword(), fleet.unknown(), storm.worstStallMs, storm.p99Ms,
                storm.stallsOver, kStallLimitMs, peerWaitMs, notWritten);
    std::printf("RESULT mode=%s online=%d first=%.0f firststall=%.1f notwritten=%d locked=%d peerwait=%.1f\n",
                qPrintable(mode), storm.online, storm.lastMs, storm.worstStallMs, notWritten, locked, peerWaitMs);
    std::fflush(stdout);
    return 0;
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
    bench::runFor(200);

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
    const auto powerOn = [&panels] { return panels.powerOnAll(); };
    const Storm first = switchOn(powerOn, server, count, probe);
    QList<VelkIFPDevice> stored;
    OrvantaDBManager::getInstance()->queryAllAvailableIFP(stored);
    const int notWritten = bench::recordsNotWrittenBack(stored, count, kPassword).size();

    // Power off, through the page as an operator would, or straight through the server.
    int gone = 0;
    probe.start();
    QElapsedTimer offClock;
    offClock.start();
    bench::runLoop(30000, [&](QEventLoop &loop) {
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
    bench::runFor(300);
    probe.stop();
    const double offWorst = probe.worstMs();

    const Storm again = switchOn(powerOn, server, count, probe);

    double query = 0;
    double slowestAction = 0;
    QString actions;
    if (page) {
        bench::runFor(300);
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

// Every mode once per run, each in a process of its own, in ABBA order: neither side always runs first on a machine
// that warms up or gets busier. The modes with their children's output, in the order they ran.
QList<QPair<QString, QString>> runModes(const Settings &settings, const QStringList &extra, const QStringList &env)
{
    QList<QPair<QString, QString>> outputs;
    for (int run = 0; run < settings.runs; ++run) {
        const QStringList order = run % 2 == 0 ? QStringList{QStringLiteral("server"), QStringLiteral("page")}
                                               : QStringList{QStringLiteral("page"), QStringLiteral("server")};
        for (const QString &mode : order) {
            const QStringList arguments = QStringList{QStringLiteral("--child"), mode, QStringLiteral("--panels"),
                                                      QString::number(settings.count)} +
                                          extra;
            outputs.append({mode, bench::runChild(arguments, env, 180000)});
        }
    }
    return outputs;
}

// The mixed fleet's runs and their summary; false when a subject run missed a target.
bool runMixedFleets(const Settings &settings, const QStringList &env)
{
    const bench::MixedFleet fleet(settings.count);
    struct MixedRow
    {
        QString mode;
        bool ok = false;
        int online = 0, notWritten = 0, locked = 0;
        double first = 0, stall = 0, peerWait = 0;
    };
    QList<MixedRow> rows;
    for (const auto &output : runModes(settings, {QStringLiteral("--mixed")}, env)) {
        const QString &mode = output.first;
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral("RESULT mode=(\\S+) online=(\\d+) first=(\\S+) firststall=(\\S+) "
                                              "notwritten=(\\d+) locked=(\\d+) peerwait=(\\S+)"))
                .match(output.second);
        MixedRow row;
        row.mode = mode;
        row.ok = m.hasMatch();
        if (row.ok) {
            row.online = m.captured(2).toInt();
            row.first = m.captured(3).toDouble();
            row.stall = m.captured(4).toDouble();
            row.notWritten = m.captured(5).toInt();
            row.locked = m.captured(6).toInt();
            row.peerWait = m.captured(7).toDouble();
        }
        rows.append(row);
    }
    std::printf("\nMixed fleet's first connect (%d with the console's password, %d without, %d with another, %d not "
                "in the list; targets for \"page\": all connected or locked, last handshake <= %d, stall and a "
                "connected panel's keep-alive wait <= %.0f)\n",
                fleet.matching(), fleet.withoutPassword(), fleet.otherPassword(), fleet.unknown(), kDeadlineMs,
                kStallLimitMs);
    bool allOk = true;
    std::vector<double> pageStall, serverStall;
    for (const MixedRow &row : qAsConst(rows)) {
        if (!row.ok) {
            std::printf("  %-6s no result  MISSED\n", qPrintable(row.mode));
            allOk = false;
            continue;
        }
        const bool subject = row.mode == QLatin1String("page");
        const bool pass = row.online == fleet.connecting() && row.locked == fleet.otherPassword() &&
                          row.notWritten == 0 && row.first >= 0 && row.first <= kDeadlineMs &&
                          row.stall <= kStallLimitMs && row.peerWait >= 0 && row.peerWait <= kStallLimitMs;
        (subject ? pageStall : serverStall).push_back(row.stall);
        if (subject)
            allOk = allOk && pass;
        std::printf(
            "  %-6s connected %d, locked %d, last %5.0f, worst stall %5.0f, longest keep-alive wait %5.0f  %s\n",
            qPrintable(row.mode), row.online, row.locked, row.first, row.stall, row.peerWait,
            subject ? (pass ? "ok" : "MISSED")
                    : (pass ? "(baseline, within the targets)" : "(baseline, outside the targets)"));
    }
    std::printf("median worst stall of the mixed fleet's first connect: page %.0f ms, command server alone %.0f ms\n",
                bench::median(pageStall), bench::median(serverStall));
    return allOk;
}

} // namespace

int main(int argc, char **argv)
{
    const QStringList args = bench::arguments(argc, argv);
    Settings settings;
    if (!bench::argValue(args, QStringLiteral("--panels")).isEmpty())
        settings.count = qBound(1, bench::argValue(args, QStringLiteral("--panels")).toInt(), 5000);
    if (!bench::argValue(args, QStringLiteral("--runs")).isEmpty())
        settings.runs = qMax(1, bench::argValue(args, QStringLiteral("--runs")).toInt());

    if (!bench::argValue(args, QStringLiteral("--fleets")).isEmpty())
        settings.fleets = bench::argValue(args, QStringLiteral("--fleets")).split(QLatin1Char(','));

    if (args.contains(QStringLiteral("--child"))) {
        QApplication app(argc, argv);
        if (args.contains(QStringLiteral("--mixed")))
            return runMixed(bench::argValue(args, QStringLiteral("--child")), settings);
        return runChild(bench::argValue(args, QStringLiteral("--child")), settings);
    }
    QCoreApplication app(argc, argv);
    std::printf("%d panels (panelsim, own process) switched on at once against the console, Unix dispatcher, "
                "%d runs of each\ntargets for the command server with the page: each storm's last handshake within "
                "%d ms, no event-loop stall over %.0f ms, every action within %.0f ms\n",
                settings.count, settings.runs, kDeadlineMs, kStallLimitMs, kStallLimitMs);
    const QStringList env = bench::consoleChildEnvironment();
    QList<Row> rows;
    const bool uniform = settings.fleets.contains(QStringLiteral("uniform"));
    for (const auto &output : uniform ? runModes(settings, {}, env) : QList<QPair<QString, QString>>()) {
        const QString &mode = output.first;
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral("RESULT mode=(\\S+) online=(\\d+) first=(\\S+) firststall=(\\S+) "
                                              "notwritten=(\\d+) offstall=(\\S+) again=(\\S+) againonline=(\\d+) "
                                              "againstall=(\\S+) action=(\\S+)"))
                .match(output.second);
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
    if (uniform)
        std::printf("median worst first-connect stall: page %.0f ms, command server alone %.0f ms\n",
                    bench::median(pageStall), bench::median(serverStall));
    if (settings.fleets.contains(QStringLiteral("mixed")))
        allOk = runMixedFleets(settings, env) && allOk;
    return allOk ? 0 : 2;
}
