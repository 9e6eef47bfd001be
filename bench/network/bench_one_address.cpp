// A site behind one router: 500 panels reach the console from one address (the router translates theirs), all switched
// on at once, and each tries again 2 s after a connection that did not get through, as panelsim's panels do (5 s
// after a refused identity). Yardstick: the same fleet from 500 addresses of its own, measured in the same run. Both
// are tools/panelsim in a process of its own against a console that knows every panel by its MAC (a restart: the
// records hold what the panels report), each round in a child process of its own (the command server is a
// process-wide singleton), on Qt's Unix event dispatcher, the console's; the two kinds alternate, the first of each
// pair changing every round.
//
// Reports, per round, the time from the switch-on to the last panel's handshake for both; the target is the median of
// the behind-one-address times at most 1.5x the median of the yardstick's, with every panel handshaken in every round.
// A round counts only when its panels came from the addresses it names (one, or one each) and no handshake wrote a
// record back. Exit code 0 when met, 2 when not, 1 when a round failed or did not count.

#include "BenchSupport.h"
#include "FleetRecords.h"
#include "PanelProcess.h"

#include "network/CmdServer.h"
#include "network/DeviceChannel.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QRegularExpression>
#include <QSet>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr double kTargetRatio = 1.5;
// A panel behind the router: every one of them connects from here.
const char *const kSharedAddress = "127.0.0.1";

struct Settings
{
    int count = 500;
    int rounds = 3;
    int reconnectDelayMs = 2000;
};

// "spread": every panel from an address of its own; "one": all from kSharedAddress.
int runChild(const QString &kind, const Settings &settings)
{
    bench::raiseFdLimit();
    bench::ConsoleFixture fixture;
    if (!fixture.isValid())
        return 1;
    const bool shared = kind == QLatin1String("one");
    const QString password = QStringLiteral("bench");
    QList<VelkIFPDevice> devices = bench::fleetRecords(settings.count, bench::Records::Matching, password);
    // The records hold the address the panels come from, as after an earlier session: no handshake writes.
    if (shared) {
        for (VelkIFPDevice &device : devices)
            device.ipAddress = QString::fromLatin1(kSharedAddress);
    }
    if (!fixture.seedDevices(devices))
        return 1;
    CmdServer *server = fixture.start(devices, password);

    std::vector<int64_t> handshakes;
    handshakes.reserve(size_t(settings.count));
    // The addresses the handshaken panels came from: one behind the router, one each for the yardstick.
    QSet<QString> addresses;
    // Batches of records the handshakes wrote back: none when the records hold what the panels report.
    int writes = 0;
    int64_t t0 = 0;
    QEventLoop loop;
    QObject::connect(server, &CmdServer::newConnection, &loop, [&](DeviceChannel *channel) {
        handshakes.push_back(bench::nowNs() - t0);
        addresses.insert(channel->getIpAddress());
        if (int(handshakes.size()) == settings.count)
            loop.quit();
    });
    QObject::connect(server, &CmdServer::deviceRecordsWritten, &loop, [&writes] { ++writes; });
    bench::PanelProcess panels;
    bench::PanelProcess::Options options;
    options.count = settings.count;
    options.consolePort = server->serverPort();
    options.password = password;
    options.reconnectDelayMs = settings.reconnectDelayMs;
    if (shared)
        options.sharedAddress = QString::fromLatin1(kSharedAddress);
    if (!panels.start(options, fixture.folder() + QStringLiteral("/panelsim.log"))) {
        std::printf("cannot start %s\n", qPrintable(bench::PanelProcess::program()));
        return 1;
    }
    t0 = panels.powerOnAll();
    QTimer::singleShot(120000, &loop, &QEventLoop::quit);
    loop.exec();
    const int handshaken = int(handshakes.size());
    const double lastMs = handshakes.empty() ? -1 : *std::max_element(handshakes.begin(), handshakes.end()) / 1e6;
    // The last write-backs, had there been any, land after their handshakes.
    bench::runFor(200);
    std::printf("RESULT kind=%s dispatcher=%s handshaken=%d last=%.1f addresses=%d writes=%d\n", qPrintable(kind),
                qPrintable(bench::dispatcherName()), handshaken, lastMs, int(addresses.size()), writes);
    std::fflush(stdout);
    panels.stop();
    return 0;
}

struct Round
{
    // A RESULT line came, from the panels the scenario names (one address or one each), with no record written.
    bool measured = false;
    bool ok = false;
    int handshaken = 0;
    double lastMs = -1;
    int addresses = 0;
    int writes = 0;
};

Round runRound(const QString &kind, const Settings &settings)
{
    const QString out =
        bench::runChild({QStringLiteral("--child"), kind, QStringLiteral("--panels"), QString::number(settings.count),
                         QStringLiteral("--reconnect-delay"), QString::number(settings.reconnectDelayMs)},
                        {QStringLiteral("QT_NO_GLIB=1")}, 180000);
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("RESULT kind=\\S+ dispatcher=\\S+ handshaken=(\\d+) last=(\\S+) "
                                          "addresses=(\\d+) writes=(\\d+)"))
            .match(out);
    Round round;
    if (!m.hasMatch())
        return round;
    round.handshaken = m.captured(1).toInt();
    round.lastMs = m.captured(2).toDouble();
    round.addresses = m.captured(3).toInt();
    round.writes = m.captured(4).toInt();
    const int addressesWanted = kind == QLatin1String("one") ? 1 : round.handshaken;
    round.measured = round.handshaken > 0 && round.addresses == addressesWanted && round.writes == 0;
    round.ok = round.handshaken == settings.count;
    return round;
}

} // namespace

int main(int argc, char **argv)
{
    const QStringList args = bench::arguments(argc, argv);
    Settings settings;
    if (!bench::argValue(args, QStringLiteral("--panels")).isEmpty())
        settings.count = bench::argValue(args, QStringLiteral("--panels")).toInt();
    if (!bench::argValue(args, QStringLiteral("--rounds")).isEmpty())
        settings.rounds = bench::argValue(args, QStringLiteral("--rounds")).toInt();
    if (!bench::argValue(args, QStringLiteral("--reconnect-delay")).isEmpty())
        settings.reconnectDelayMs = bench::argValue(args, QStringLiteral("--reconnect-delay")).toInt();

    QCoreApplication app(argc, argv);
    if (args.contains(QStringLiteral("--child")))
        return runChild(bench::argValue(args, QStringLiteral("--child")), settings);
    if (settings.count < 1 || settings.rounds < 1) {
        std::printf("--panels and --rounds must be at least 1\n");
        return 1;
    }

    std::printf("%d panels switched on at once, behind one router (all from %s) and, as the yardstick, from an address "
                "each; a panel tries again %d ms after a connection that did not get through. Target: the median time "
                "to the last handshake behind one address at most %.1fx the yardstick's, every panel handshaken in "
                "every round. Load average %s\n",
                settings.count, kSharedAddress, settings.reconnectDelayMs, kTargetRatio,
                qPrintable(bench::loadAverage()));
    std::vector<double> spreadMs;
    std::vector<double> oneMs;
    bool allIn = true;
    bool allMeasured = true;
    for (int round = 1; round <= settings.rounds; ++round) {
        const QStringList order = round % 2 ? QStringList{QStringLiteral("spread"), QStringLiteral("one")}
                                            : QStringList{QStringLiteral("one"), QStringLiteral("spread")};
        for (const QString &kind : order) {
            const Round result = runRound(kind, settings);
            allIn = allIn && result.ok;
            allMeasured = allMeasured && result.measured;
            std::printf("round %d, %-28s %d/%d handshaken from %d addresses, %d record write-backs, last after %.1f "
                        "ms%s%s\n",
                        round,
                        qPrintable(kind == QLatin1String("one") ? QStringLiteral("behind one address:")
                                                                : QStringLiteral("an address each (yardstick):")),
                        result.handshaken, settings.count, result.addresses, result.writes, result.lastMs,
                        result.ok ? "" : "  (not all handshaken)", result.measured ? "" : "  (not measured)");
            (kind == QLatin1String("one") ? oneMs : spreadMs).push_back(result.lastMs);
        }
    }
    if (!allMeasured) {
        std::printf("\nA round gave no result, or its panels did not come from the addresses it names, or the console "
                    "wrote records back that hold what the panels report: nothing judged\n");
        return 1;
    }
    const double spread = bench::median(spreadMs);
    const double one = bench::median(oneMs);
    const double ratio = one / spread;
    const bool pass = allIn && ratio <= kTargetRatio;
    std::printf("\nSummary (medians of %d rounds)\n  behind one address: last handshake after %.1f ms; an address "
                "each: %.1f ms; ratio %.2fx (<= %.1fx)%s  %s\n  load average %s\n",
                settings.rounds, one, spread, ratio, kTargetRatio,
                allIn ? "" : "; a round did not handshake every panel", pass ? "ok" : "MISSED",
                qPrintable(bench::loadAverage()));
    return pass ? 0 : 2;
}
