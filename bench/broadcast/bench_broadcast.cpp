// One broadcast with a sound to a whole fleet: 1,000 simulated panels (tools/panelsim, in processes of their own, so
// the console's event loop is what is measured) each take the record, ask for the sound, receive it, confirm and
// start. The broadcast manager lets at most 20 panels at a time between record and confirmation, so the ideal run is
// 50 waves of 20, each wave as long as one panel's whole round trip (record, sound, confirmation, start, result)
// alone. That round trip is measured in the same run, right before each fleet run, on the same console and panels.
//
// Each panel reads no faster than its link allows (100 Mbit/s by default, --link-mbps 0 for as fast as loopback
// carries). Target: the fleet run within 1.5 x the ideal, and the console's thread never held up more than 100 ms
// (a 5 ms tick on the console's thread records its longest gap). The console runs on Qt's Unix event dispatcher,
// as it does in production, and logs at INFO into a file.

#include "BenchSupport.h"
#include "StallProbe.h"

#include "broadcast/BroadcastManager.h"
#include "datastore/OrvantaDBManager.h"
#include "network/CmdServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr double kTargetRatio = 1.5;
constexpr int kTargetStallMs = 100;
const char kPassword[] = "kelvo";

struct Settings
{
    int panels = 1000;
    int sizeKib = 1024;
    int rounds = 3;
    int singles = 5;    // single-panel runs before each fleet run; their median is the round's wave time
    int processes = 4;  // panelsim processes the fleet is spread over
    int linkMbps = 100; // each panel behind a link of this speed; 0 = as fast as loopback carries
};

struct Run
{
    double seconds = 0;
    double longestGapMs = 0;
    int failed = 0;
};

// A broadcast of the sound to the devices, as the page hands it over: stored, one report row per device, then run by
// the manager until it reports the end.
Run runBroadcast(BroadcastManager *manager, const QList<VelkIFPDevice> &devices, bench::StallProbe &probe)
{
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    BroadcastTask task;
    VelkBroadcast &b = task.broadcast;
    b.status = VelkBroadcast::Upcoming;
    b.contentText = QStringLiteral("Benchmark broadcast");
    b.audioSelection = 4;
    b.savedAudioFilename = QStringLiteral("bench.mp3");
    b.target = 2;
    b.isNow = true;
    b.devices = devices;
    Run run;
    QList<VelkIFPDevice> targets = devices;
    if (db->insertBroadcast(b) != DB_OK || db->insertBroadcastReport(b, targets) != DB_OK) {
        run.failed = devices.size();
        return run;
    }
    QEventLoop loop;
    const auto done = QObject::connect(manager, &BroadcastManager::broadcastFinished, &loop, [&](uint bid) {
        if (bid == b.bid)
            loop.quit();
    });
    QElapsedTimer clock;
    probe.start();
    clock.start();
    manager->addBroadcastTask(task);
    manager->startQueuedBroadcastTasks();
    if (manager->isBroadcastTaskRunning(task))
        loop.exec();
    run.seconds = double(clock.nsecsElapsed()) / 1e9;
    probe.stop();
    run.longestGapMs = probe.worstMs();
    QObject::disconnect(done);
    QList<VelkBroadcastReport> rows;
    db->queryBroadcastReportByBroadcast(b, rows);
    for (const VelkBroadcastReport &row : qAsConst(rows))
        run.failed += row.status == 1 ? 0 : 1;
    return run;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

int intOption(const QStringList &args, const char *name, int fallback, int minimum)
{
    const QString value = bench::argValue(args, QLatin1String(name));
    return value.isEmpty() ? fallback : std::max(minimum, value.toInt());
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_NO_GLIB", "1");
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    Settings settings;
    settings.panels = intOption(args, "--panels", settings.panels, 1);
    settings.sizeKib = intOption(args, "--size-kib", settings.sizeKib, 1);
    settings.rounds = intOption(args, "--rounds", settings.rounds, 1);
    settings.processes = intOption(args, "--processes", settings.processes, 1);
    settings.linkMbps = intOption(args, "--link-mbps", settings.linkMbps, 0);
    bench::raiseFdLimit();

    bench::ConsoleFixture fixture;
    if (!fixture.isValid())
        return 1;
    // Panels go to the processes in blocks, while the manager takes devices in name order: the names interleave the
    // blocks, so that each wave of 20 keeps every process busy instead of one.
    QList<VelkIFPDevice> seed;
    const int block = (settings.panels + settings.processes - 1) / settings.processes;
    for (int i = 0; i < settings.panels; ++i) {
        VelkIFPDevice device = bench::panelDevice(i, QString::fromLatin1(kPassword));
        device.deviceName = QStringLiteral("Panel-%1-%2").arg(i % block, 4, 10, QLatin1Char('0')).arg(i / block);
        seed.append(device);
    }
    if (!fixture.seedDevices(seed))
        return 1;
    CmdServer *server = fixture.start(seed, QString::fromLatin1(kPassword));
    QList<VelkIFPDevice> devices;
    OrvantaDBManager::getInstance()->queryAllAvailableIFP(devices);
    {
        QFile sound(fixture.config().audioFolder + QStringLiteral("bench.mp3"));
        QByteArray bytes(settings.sizeKib * 1024, Qt::Uninitialized);
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
        if (!sound.open(QIODevice::WriteOnly) || sound.write(bytes) != bytes.size())
            return 1;
    }

    // Without hashing: the simulated panels check sounds byte by byte in the tests; here they must not be the
    // bottleneck.
    std::vector<std::unique_ptr<QProcess>> fleets;
    for (int first = 0; first < settings.panels; first += block) {
        auto process = std::make_unique<QProcess>();
        process->setProgram(QStringLiteral(QUORVIN_PANELSIM));
        process->setArguments(
            {QStringLiteral("--console"), QStringLiteral("127.0.0.1:%1").arg(fixture.port()), QStringLiteral("--count"),
             QString::number(std::min(block, settings.panels - first)), QStringLiteral("--base-ip"),
             bench::panelAddress(first), QStringLiteral("--first-serial"), QString::number(first + 1),
             QStringLiteral("--password"), QString::fromLatin1(kPassword), QStringLiteral("--no-wol"),
             QStringLiteral("--no-hash"), QStringLiteral("--link-mbps"), QString::number(settings.linkMbps)});
        process->setStandardOutputFile(QProcess::nullDevice());
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start();
        if (!process->waitForStarted(5000)) {
            std::fprintf(stderr, "cannot start %s\n", QUORVIN_PANELSIM);
            return 1;
        }
        fleets.push_back(std::move(process));
    }
    QElapsedTimer connecting;
    connecting.start();
    int online = 0;
    while (connecting.elapsed() < 60000 && online < settings.panels) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        online = int(std::count_if(devices.begin(), devices.end(),
                                   [server](const VelkIFPDevice &d) { return server->isDeviceOnline(d); }));
    }
    if (online != settings.panels) {
        std::fprintf(stderr, "only %d of %d panels connected\n", online, settings.panels);
        return 1;
    }

    const int waves =
        (settings.panels + BroadcastManager::kMaxSendingDevices - 1) / BroadcastManager::kMaxSendingDevices;
    const QString link = settings.linkMbps > 0 ? QStringLiteral("%1 Mbit/s links").arg(settings.linkMbps)
                                               : QStringLiteral("unthrottled loopback");
    std::printf("Broadcast of a %d KiB sound to %d simulated panels (%zu panelsim processes, %s), console on the %s "
                "dispatcher\n",
                settings.sizeKib, settings.panels, fleets.size(), qPrintable(link),
                qPrintable(bench::dispatcherName()));
    std::printf("Ideal: %d waves of %d, each as long as one panel's round trip alone. Targets: fleet <= %.1fx ideal, "
                "longest stall <= %d ms\n\n",
                waves, BroadcastManager::kMaxSendingDevices, kTargetRatio, kTargetStallMs);
    std::printf("%-6s %13s %9s %9s %7s %9s %7s %12s %11s\n", "round", "one panel ms", "ideal s", "fleet s", "ratio",
                "stall ms", "failed", "console cpu", "panels cpu");

    BroadcastManager *manager = BroadcastManager::getInstance();
    bench::StallProbe probe;
    std::vector<double> ratios;
    double worstStall = 0;
    int failures = 0;
    for (int round = 1; round <= settings.rounds; ++round) {
        std::vector<double> singles;
        for (int k = 0; k < settings.singles; ++k) {
            const Run single = runBroadcast(manager, {devices.at(k % devices.size())}, probe);
            failures += single.failed;
            singles.push_back(single.seconds);
        }
        const double wave = median(singles);
        const double consoleBefore = bench::cpuSeconds(0);
        double panelsBefore = 0;
        for (const auto &process : fleets)
            panelsBefore += bench::cpuSeconds(process->processId());
        const Run fleet = runBroadcast(manager, devices, probe);
        double panelsCpu = -panelsBefore;
        for (const auto &process : fleets)
            panelsCpu += bench::cpuSeconds(process->processId());
        failures += fleet.failed;
        const double ideal = wave * waves;
        const double ratio = fleet.seconds / ideal;
        ratios.push_back(ratio);
        worstStall = std::max(worstStall, fleet.longestGapMs);
        std::printf("%-6d %13.2f %9.3f %9.3f %7.2f %9.1f %7d %10.2f s %9.2f s\n", round, wave * 1e3, ideal,
                    fleet.seconds, ratio, fleet.longestGapMs, fleet.failed, bench::cpuSeconds(0) - consoleBefore,
                    panelsCpu);
        std::fflush(stdout);
    }
    for (const auto &process : fleets) {
        process->kill();
        process->waitForFinished(5000);
    }

    const double ratio = median(ratios);
    const bool ratioMet = ratio <= kTargetRatio;
    const bool stallMet = worstStall <= kTargetStallMs;
    std::printf("\nmedian ratio %.2f (target <= %.1f): %s\n", ratio, kTargetRatio, ratioMet ? "met" : "MISSED");
    std::printf("longest stall %.1f ms (target <= %d ms): %s\n", worstStall, kTargetStallMs,
                stallMet ? "met" : "MISSED");
    std::printf("panels without success: %d (target 0): %s\n", failures, failures == 0 ? "met" : "MISSED");
    return ratioMet && stallMet && failures == 0 ? 0 : 2;
}
