// One broadcast with a sound to a whole fleet: 1,000 simulated panels (tools/panelsim, in processes of their own, so
// the console's event loop is what is measured) each take the record, ask for the sound, receive it, confirm and
// start. The yardstick is a single-thread sender as lean as one on the same Qt sockets and event loop can be
// (MinimalSender: written from the protocol, each chunk handed to the kernel as it is queued), with the broadcast
// manager's window of 20 panels and the console's pacing of three chunks in flight, in a process of its own with a
// fleet of its own; rounds alternate which of the two goes first.
//
// Each panel reads no faster than its link allows (100 Mbit/s by default, --link-mbps 0 for as fast as loopback
// carries). Target: the console's run within 1.3 x the minimal sender's (median of the ratios of nine alternating
// rounds: one round's ratio moves with the machine's load), the console's thread never held up more than 100 ms (the
// shared stall probe), and every panel's report row "Successfully". The console runs on Qt's Unix event dispatcher,
// as it does in production, and logs at INFO into a file. Its database lies in an ordinary folder on disk, as on a
// console: on tmpfs a commit costs nothing, which hid that every result was a transaction of its own.

#include "BenchSupport.h"
#include "EpollEventDispatcher.h"
#include "MinimalSender.h"
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

#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr double kTargetRatio = 1.3;
constexpr int kTargetStallMs = 100;
const char kPassword[] = "kelvo";

struct Settings
{
    int panels = 1000;
    int sizeKib = 1024;
    int rounds = 9;
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
    if (values.empty())
        return 0;
    const size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

int intOption(const QStringList &args, const char *name, int fallback, int minimum)
{
    const QString value = bench::argValue(args, QLatin1String(name));
    return value.isEmpty() ? fallback : std::max(minimum, value.toInt());
}

// The sound both senders send: the same bytes every time.
QByteArray soundBytes(int sizeKib)
{
    QByteArray bytes(sizeKib * 1024, Qt::Uninitialized);
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
    return bytes;
}

// The fleet of panels of one side, `first` being the index of its first panel (its address and MAC).
std::vector<std::unique_ptr<QProcess>> startFleet(const Settings &settings, int first, quint16 port)
{
    std::vector<std::unique_ptr<QProcess>> fleets;
    const int block = (settings.panels + settings.processes - 1) / settings.processes;
    for (int from = 0; from < settings.panels; from += block) {
        auto process = std::make_unique<QProcess>();
        process->setProgram(QStringLiteral(QUORVIN_PANELSIM));
        process->setArguments(
            {QStringLiteral("--console"), QStringLiteral("127.0.0.1:%1").arg(port), QStringLiteral("--count"),
             QString::number(std::min(block, settings.panels - from)), QStringLiteral("--base-ip"),
             bench::panelAddress(first + from), QStringLiteral("--first-serial"), QString::number(first + from + 1),
             QStringLiteral("--password"), QString::fromLatin1(kPassword), QStringLiteral("--no-wol"),
             QStringLiteral("--no-hash"), QStringLiteral("--link-mbps"), QString::number(settings.linkMbps)});
        process->setStandardOutputFile(QProcess::nullDevice());
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start();
        if (!process->waitForStarted(5000)) {
            std::fprintf(stderr, "cannot start %s\n", QUORVIN_PANELSIM);
            return {};
        }
        fleets.push_back(std::move(process));
    }
    return fleets;
}

void stopFleet(std::vector<std::unique_ptr<QProcess>> &fleets)
{
    for (const auto &process : fleets) {
        process->kill();
        process->waitForFinished(5000);
    }
    fleets.clear();
}

// The yardstick's process: its sender, its own fleet, and a broadcast for every "go" on standard input.
int runSender(const Settings &settings)
{
    MinimalSender sender(soundBytes(settings.sizeKib), QStringLiteral("bench.mp3"));
    if (!sender.listen())
        return 1;
    // Its panels take addresses and MACs after the console's.
    std::vector<std::unique_ptr<QProcess>> fleets = startFleet(settings, settings.panels, sender.port());
    if (fleets.empty())
        return 1;
    QElapsedTimer connecting;
    connecting.start();
    while (connecting.elapsed() < 60000 && sender.identified() < settings.panels)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    if (sender.identified() != settings.panels) {
        std::fprintf(stderr, "minimal sender: only %d of %d panels connected\n", sender.identified(), settings.panels);
        stopFleet(fleets);
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    std::string line;
    while (std::getline(std::cin, line) && line == "go") {
        const double cpuBefore = bench::cpuSeconds(0);
        const double seconds = sender.broadcast(120000);
        std::printf("done %.6f %.6f\n", seconds, bench::cpuSeconds(0) - cpuBefore);
        std::fflush(stdout);
    }
    stopFleet(fleets);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_NO_GLIB", "1");
    // --dispatcher epoll: the console side on the trial dispatcher, to measure what polling costs.
    bool epoll = false;
    for (int i = 1; i + 1 < argc; ++i)
        epoll = epoll || (qstrcmp(argv[i], "--dispatcher") == 0 && qstrcmp(argv[i + 1], "epoll") == 0);
    if (epoll)
        QCoreApplication::setEventDispatcher(new EpollEventDispatcher);
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    Settings settings;
    settings.panels = intOption(args, "--panels", settings.panels, 1);
    settings.sizeKib = intOption(args, "--size-kib", settings.sizeKib, 1);
    settings.rounds = intOption(args, "--rounds", settings.rounds, 1);
    settings.processes = intOption(args, "--processes", settings.processes, 1);
    settings.linkMbps = intOption(args, "--link-mbps", settings.linkMbps, 0);
    bench::raiseFdLimit();
    if (args.contains(QStringLiteral("--sender")))
        return runSender(settings);

    bench::ConsoleFixture fixture;
    if (!fixture.isValid())
        return 1;
    // The fixture keeps its home, log and sounds in memory; the database goes to disk, where a console keeps it.
    QString dbParent = bench::argValue(args, QStringLiteral("--db-folder"));
    if (dbParent.isEmpty())
        dbParent = QStringLiteral("/var/tmp");
    QTemporaryDir dbFolder(dbParent + QStringLiteral("/bench-broadcast-XXXXXX"));
    const bench::FileSystem dbFileSystem = bench::fileSystemOf(dbFolder.path());
    if (!dbFolder.isValid() || dbFileSystem.inMemory) {
        std::fprintf(stderr, "the database needs a folder on disk: %s is %s\n", qPrintable(dbParent),
                     dbFolder.isValid() ? qPrintable(dbFileSystem.name) : "not writable");
        return 1;
    }
    OrvantaDBManager::setDataFolder(dbFolder.path());
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
        const QByteArray bytes = soundBytes(settings.sizeKib);
        if (!sound.open(QIODevice::WriteOnly) || sound.write(bytes) != bytes.size())
            return 1;
    }

    // The yardstick in a process of its own, with a fleet of its own, started first so that both fleets connect at
    // the same time.
    QProcess sender;
    sender.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sender.start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--sender"), QStringLiteral("--panels"), QString::number(settings.panels),
                  QStringLiteral("--size-kib"), QString::number(settings.sizeKib), QStringLiteral("--processes"),
                  QString::number(settings.processes), QStringLiteral("--link-mbps"),
                  QString::number(settings.linkMbps)});
    // Without hashing: the simulated panels check sounds byte by byte in the tests; here they must not be the
    // bottleneck.
    std::vector<std::unique_ptr<QProcess>> fleets = startFleet(settings, 0, fixture.port());
    if (fleets.empty() || !sender.waitForStarted(5000))
        return 1;
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
    if (bench::readLine(sender, 60000) != "ready") {
        std::fprintf(stderr, "the minimal sender did not get ready\n");
        return 1;
    }

    const QString link = settings.linkMbps > 0 ? QStringLiteral("%1 Mbit/s links").arg(settings.linkMbps)
                                               : QStringLiteral("unthrottled loopback");
    std::printf("Broadcast of a %d KiB sound to %d simulated panels (%zu panelsim processes per side, %s), console on "
                "the %s dispatcher\n",
                settings.sizeKib, settings.panels, fleets.size(), qPrintable(link),
                epoll ? "trial epoll" : qPrintable(bench::dispatcherName()));
    std::printf("Database in %s (%s)\n", qPrintable(dbFolder.path()), qPrintable(dbFileSystem.name));
    std::printf(
        "Yardstick: a minimal single-thread sender (window of %d, %d chunks in flight) in a process of its own, "
        "rounds alternating which goes first. Targets: console <= %.1fx the sender (median of %d rounds), longest "
        "stall <= %d ms\n\n",
        MinimalSender::kWindow, MinimalSender::kChunksInFlight, kTargetRatio, settings.rounds, kTargetStallMs);
    std::printf("%-6s %9s %10s %7s %9s %7s %11s %12s %11s\n", "round", "sender s", "console s", "ratio", "stall ms",
                "failed", "sender cpu", "console cpu", "panels cpu");

    BroadcastManager *manager = BroadcastManager::getInstance();
    bench::StallProbe probe;
    std::vector<double> ratios;
    double worstStall = 0;
    int failures = 0;
    bool senderFailed = false;
    for (int round = 1; round <= settings.rounds; ++round) {
        double senderCpu = 0;
        const auto runSenderOnce = [&] {
            sender.write("go\n");
            const QList<QByteArray> fields = bench::readLine(sender, 180000).split(' ');
            const double seconds = fields.size() == 3 && fields.at(0) == "done" ? fields.at(1).toDouble() : -1;
            senderCpu = fields.value(2).toDouble();
            senderFailed = senderFailed || seconds <= 0;
            return seconds;
        };
        // Odd rounds start with the sender, even ones with the console.
        double yardstick = round % 2 == 1 ? runSenderOnce() : 0;
        const double consoleBefore = bench::cpuSeconds(0);
        double panelsBefore = 0;
        for (const auto &process : fleets)
            panelsBefore += bench::cpuSeconds(process->processId());
        const Run fleet = runBroadcast(manager, devices, probe);
        const double consoleCpu = bench::cpuSeconds(0) - consoleBefore;
        double panelsCpu = -panelsBefore;
        for (const auto &process : fleets)
            panelsCpu += bench::cpuSeconds(process->processId());
        if (round % 2 == 0)
            yardstick = runSenderOnce();
        failures += fleet.failed;
        const double ratio = yardstick > 0 ? fleet.seconds / yardstick : 0;
        if (yardstick > 0)
            ratios.push_back(ratio);
        worstStall = std::max(worstStall, fleet.longestGapMs);
        std::printf("%-6d %9.3f %10.3f %7.2f %9.1f %7d %9.2f s %10.2f s %9.2f s\n", round, yardstick, fleet.seconds,
                    ratio, fleet.longestGapMs, fleet.failed, senderCpu, consoleCpu, panelsCpu);
        std::fflush(stdout);
    }
    sender.write("quit\n");
    sender.waitForFinished(20000);
    stopFleet(fleets);

    if (senderFailed)
        std::printf("\nthe minimal sender did not finish a round; no ratio for it\n");
    const double ratio = median(ratios);
    const bool ratioMet = !senderFailed && !ratios.empty() && ratio <= kTargetRatio;
    const bool stallMet = worstStall <= kTargetStallMs;
    std::printf("\nmedian ratio %.2f (target <= %.1f): %s\n", ratio, kTargetRatio, ratioMet ? "met" : "MISSED");
    std::printf("longest stall %.1f ms (target <= %d ms): %s\n", worstStall, kTargetStallMs,
                stallMet ? "met" : "MISSED");
    std::printf("panels without success: %d (target 0): %s\n", failures, failures == 0 ? "met" : "MISSED");
    return ratioMet && stallMet && failures == 0 ? 0 : 2;
}
