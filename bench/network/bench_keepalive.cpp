// Keep-alive round trips of 1,000 and 5,000 connected panels: the console's rate against a minimal epoll echo server,
// and the shape of the round-trip times' tail, on Qt's Unix event dispatcher (QT_NO_GLIB=1), the console's.
//
// Each panel keeps one keep-alive in flight (closed loop): the rate is what the server sustains at saturation and the
// latency is what a panel waits under that load. The load is RawPanels (plain sockets on epoll in load threads); the
// echo server runs in a process of its own, so the console's process holds its own panels only. Both sets of panels
// stay connected, and three rounds alternate which one is measured first (echo then console, console then echo, echo
// then console); the verdict takes the medians of the per-round ratios.
//
// The tail is judged by its shape, p99 / p50, against the echo server's shape in the same round. On a closed loop
// with N requests in flight the mean wait is N / rate, so the p99 itself mostly restates the rate (a p99 limit of
// 2x the echo's would demand half the echo's rate, against the rate targets of 0.25x and 0.2x); dividing by the
// p50 of the same measurement takes the rate out and leaves how far the slowest round trips stray from the typical
// one, which is what a panel whose keep-alive is held up behind others notices.
//
// Every (panel count, dispatcher) pair runs in a child process of its own, because the dispatcher is chosen once per
// process and the command server is a process-wide singleton. `--dispatchers glib,unix` adds GLib rows for
// comparison; the console does not use that dispatcher, and those rows are not part of the verdict. Exit code 0 when
// every target is met, 2 otherwise.

#include "BaselineServers.h"
#include "BenchSupport.h"
#include "RawPanels.h"

#include "network/CmdServer.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <thread>
#include <vector>

#include <unistd.h>

namespace {

constexpr int kRounds = 3;
// The console's tail shape (p99 / p50 of its round trips) at most this many times the echo server's in the same round.
constexpr double kMaxShapeRatio = 2.0;

struct Settings
{
    QList<int> panelCounts = {1000, 5000};
    QStringList dispatchers = {QStringLiteral("unix")};
    int threads = 3;
    int warmupMs = 1000;
    int measureMs = 4000;
};

struct Figures
{
    double rate = 0;
    double p50Ms = 0;
    double p99Ms = 0;
    double shape() const { return p50Ms > 0 ? p99Ms / p50Ms : 0; }
};

Figures figuresOf(RawPanels::PingResult result)
{
    Figures figures;
    figures.rate = result.seconds > 0 ? double(result.roundTrips) / result.seconds : 0;
    figures.p50Ms = bench::percentile(result.latenciesUs, 50) / 1000.0;
    figures.p99Ms = bench::percentile(result.latenciesUs, 99) / 1000.0;
    return figures;
}

// The yardstick's own process: an echo server until standard input closes.
int runEchoServer()
{
    bench::raiseFdLimit();
    EchoServer server;
    if (!server.start())
        return 1;
    std::printf("PORT %u\n", unsigned(server.port()));
    std::fflush(stdout);
    char byte = 0;
    while (::read(STDIN_FILENO, &byte, 1) > 0) {
    }
    server.stop();
    return 0;
}

// One panel count under the dispatcher this process got. Prints one RESULT line for the parent.
int runChild(int count, const Settings &settings)
{
    const long fdLimit = bench::raiseFdLimit();
    if (fdLimit < 3 * count + 200) {
        std::printf("descriptor limit %ld too low for %d panels\n", fdLimit, count);
        return 1;
    }
    bench::ConsoleFixture fixture;
    if (!fixture.isValid())
        return 1;
    const QString dispatcher = bench::dispatcherName();

    QProcess echoProcess;
    echoProcess.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--echo-server")});
    if (!echoProcess.waitForStarted(5000) || !echoProcess.waitForReadyRead(5000))
        return 1;
    const quint16 echoPort =
        quint16(QString::fromLatin1(echoProcess.readLine()).trimmed().section(QLatin1Char(' '), 1).toUInt());
    RawPanels::Options echoOptions;
    echoOptions.count = count;
    echoOptions.threads = settings.threads;
    echoOptions.serverPort = echoPort;
    echoOptions.identify = false;
    echoOptions.echoPeer = true;
    RawPanels echoPanels(echoOptions);

    // The console: every panel is a managed device and reports the control password.
    const QString password = QStringLiteral("bench");
    QList<VelkIFPDevice> managed;
    RawPanels::Options options;
    options.count = count;
    options.threads = settings.threads;
    for (int i = 0; i < count; ++i) {
        managed.append(bench::panelDevice(i, password));
        options.identities.append(bench::panelIdentityJson(i, password));
    }
    CmdServer *server = fixture.start(managed, password);
    options.serverPort = server->serverPort();
    options.identify = true;
    // The load is set up gently (the connect storm has a benchmark of its own), below the console's bound on
    // connections awaiting their identity.
    options.maxInProgress = 48;
    RawPanels panels(options);

    std::vector<double> ratios, shapeRatios, consoleShapes, echoShapes, consoleP50, consoleP99, echoP50, echoP99,
        consoleRates, echoRates;
    QStringList rounds;
    double handshakeSeconds = -1;
    bool ok = false;
    // The console runs on this thread's event loop; the measurement is driven from another thread.
    std::thread controller([&] {
        echoPanels.connectAll();
        const bool echoReady = echoPanels.waitReady(30000) && echoPanels.failedCount() == 0;
        const int64_t start = bench::nowNs();
        panels.connectAll();
        ok = echoReady && panels.waitReady(60000) && panels.failedCount() == 0;
        handshakeSeconds = double(bench::nowNs() - start) / 1e9;
        for (int round = 0; ok && round < kRounds; ++round) {
            Figures echo, console;
            if (round % 2 == 0) {
                echo = figuresOf(echoPanels.measurePings(settings.warmupMs, settings.measureMs));
                console = figuresOf(panels.measurePings(settings.warmupMs, settings.measureMs));
            } else {
                console = figuresOf(panels.measurePings(settings.warmupMs, settings.measureMs));
                echo = figuresOf(echoPanels.measurePings(settings.warmupMs, settings.measureMs));
            }
            ratios.push_back(echo.rate > 0 ? console.rate / echo.rate : 0);
            // A shape of 0 (no round trip measured) must not pass: it counts as infinitely far off.
            shapeRatios.push_back(echo.shape() > 0 && console.shape() > 0 ? console.shape() / echo.shape() : 1e9);
            consoleShapes.push_back(console.shape());
            echoShapes.push_back(echo.shape());
            consoleP50.push_back(console.p50Ms);
            consoleP99.push_back(console.p99Ms);
            echoP50.push_back(echo.p50Ms);
            echoP99.push_back(echo.p99Ms);
            consoleRates.push_back(console.rate);
            echoRates.push_back(echo.rate);
            rounds.append(QStringLiteral("round %1 (%2 first): echo %3 rt/s p50 %4 ms p99 %5 ms p99/p50 %6 | console "
                                         "%7 rt/s p50 %8 ms p99 %9 ms p99/p50 %10 | rate %11x, tail shape %12x")
                              .arg(round + 1)
                              .arg(round % 2 == 0 ? QStringLiteral("echo") : QStringLiteral("console"))
                              .arg(echo.rate, 0, 'f', 0)
                              .arg(echo.p50Ms, 0, 'f', 2)
                              .arg(echo.p99Ms, 0, 'f', 2)
                              .arg(echo.shape(), 0, 'f', 2)
                              .arg(console.rate, 0, 'f', 0)
                              .arg(console.p50Ms, 0, 'f', 2)
                              .arg(console.p99Ms, 0, 'f', 2)
                              .arg(console.shape(), 0, 'f', 2)
                              .arg(ratios.back(), 0, 'f', 3)
                              .arg(shapeRatios.back(), 0, 'f', 2));
        }
        panels.stop();
        echoPanels.stop();
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
    });
    QCoreApplication::exec();
    controller.join();
    echoProcess.closeWriteChannel();
    echoProcess.waitForFinished(5000);
    if (!ok) {
        std::printf("console: %d of %d panels handshaken, %d failed; echo: %d ready\n", panels.readyCount(), count,
                    panels.failedCount(), echoPanels.readyCount());
        return 1;
    }
    for (const QString &round : qAsConst(rounds))
        std::printf("  %5d panels, %-4s dispatcher, %s\n", count, qPrintable(dispatcher), qPrintable(round));
    const double ratio = bench::median(ratios);
    const double shapeRatio = bench::median(shapeRatios);
    std::printf("  %5d panels, %-4s dispatcher: handshakes %.2f s | medians of %d rounds: echo %.0f rt/s p50 %.2f ms "
                "p99 %.2f ms p99/p50 %.2f | console %.0f rt/s p50 %.2f ms p99 %.2f ms p99/p50 %.2f | rate %.3fx, tail "
                "shape %.2fx\n",
                count, qPrintable(dispatcher), handshakeSeconds, kRounds, bench::median(echoRates),
                bench::median(echoP50), bench::median(echoP99), bench::median(echoShapes), bench::median(consoleRates),
                bench::median(consoleP50), bench::median(consoleP99), bench::median(consoleShapes), ratio, shapeRatio);
    QStringList shapeRounds;
    for (double r : shapeRatios)
        shapeRounds.append(QString::number(r, 'f', 2));
    std::printf("RESULT count=%d dispatcher=%s ratio=%.4f shape=%.4f echoshape=%.4f shaperatio=%.4f console=%.0f "
                "echo=%.0f shaperounds=%s\n",
                count, qPrintable(dispatcher), ratio, bench::median(consoleShapes), bench::median(echoShapes),
                shapeRatio, bench::median(consoleRates), bench::median(echoRates), qPrintable(shapeRounds.join('/')));
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const QStringList args = bench::arguments(argc, argv);
    if (args.contains(QStringLiteral("--echo-server")))
        return runEchoServer();
    Settings settings;
    if (!bench::argValue(args, QStringLiteral("--panels")).isEmpty()) {
        settings.panelCounts.clear();
        for (const QString &n : bench::argValue(args, QStringLiteral("--panels")).split(QLatin1Char(',')))
            settings.panelCounts.append(n.toInt());
    }
    if (!bench::argValue(args, QStringLiteral("--dispatchers")).isEmpty())
        settings.dispatchers = bench::argValue(args, QStringLiteral("--dispatchers")).split(QLatin1Char(','));
    if (!bench::argValue(args, QStringLiteral("--threads")).isEmpty())
        settings.threads = bench::argValue(args, QStringLiteral("--threads")).toInt();
    if (!bench::argValue(args, QStringLiteral("--seconds")).isEmpty())
        settings.measureMs = int(bench::argValue(args, QStringLiteral("--seconds")).toDouble() * 1000);

    QCoreApplication app(argc, argv);
    if (args.contains(QStringLiteral("--child")))
        return runChild(bench::argValue(args, QStringLiteral("--child")).toInt(), settings);

    std::printf("Keep-alive round trips, closed loop (one in flight per panel), %d load threads, %d rounds of %.1f s "
                "per side\n",
                settings.threads, kRounds, settings.measureMs / 1000.0);
    struct Row
    {
        int count;
        QString dispatcher;
        double ratio, shape, echoShape, shapeRatio, console, echo;
        bool ok;
        QString shapeRounds;
    };
    QList<Row> rows;
    const QStringList forwarded = {QStringLiteral("--threads"), QString::number(settings.threads),
                                   QStringLiteral("--seconds"), QString::number(settings.measureMs / 1000.0)};
    for (int count : qAsConst(settings.panelCounts)) {
        for (const QString &mode : qAsConst(settings.dispatchers)) {
            const QStringList env = mode == QLatin1String("unix") ? QStringList{QStringLiteral("QT_NO_GLIB=1")}
                                                                  : QStringList{QStringLiteral("QT_NO_GLIB")};
            const QString out = bench::runChild(
                QStringList{QStringLiteral("--child"), QString::number(count)} + forwarded, env, 300000);
            const QRegularExpressionMatch m =
                QRegularExpression(QStringLiteral("RESULT count=(\\d+) dispatcher=(\\S+) ratio=(\\S+) shape=(\\S+) "
                                                  "echoshape=(\\S+) shaperatio=(\\S+) console=(\\S+) echo=(\\S+) "
                                                  "shaperounds=(\\S+)"))
                    .match(out);
            Row row{count, mode, 0, 0, 0, 0, 0, 0, m.hasMatch(), QString()};
            if (m.hasMatch()) {
                row.dispatcher = m.captured(2);
                row.ratio = m.captured(3).toDouble();
                row.shape = m.captured(4).toDouble();
                row.echoShape = m.captured(5).toDouble();
                row.shapeRatio = m.captured(6).toDouble();
                row.console = m.captured(7).toDouble();
                row.echo = m.captured(8).toDouble();
                row.shapeRounds = m.captured(9);
            }
            rows.append(row);
        }
    }
    std::printf("\nSummary, medians of %d rounds (targets on the Unix dispatcher: 1,000 panels >= 0.25x, 5,000 panels "
                ">= 0.2x the echo server's rate; tail shape p99/p50 <= %.0fx the echo server's of the same round; the "
                "ratios are taken per round, then their median)\n",
                kRounds, kMaxShapeRatio);
    bool allOk = true;
    for (const Row &row : qAsConst(rows)) {
        const bool counted = row.dispatcher == QLatin1String("unix");
        const double minRatio = row.count >= 5000 ? 0.2 : 0.25;
        const bool pass = row.ok && row.ratio >= minRatio && row.shapeRatio <= kMaxShapeRatio;
        if (counted)
            allOk = allOk && pass;
        if (!row.ok) {
            std::printf("  %5d panels %-4s: no result%s\n", row.count, qPrintable(row.dispatcher),
                        counted ? "  MISSED" : "");
            continue;
        }
        std::printf(
            "  %5d panels %-4s: %8.0f rt/s vs echo %8.0f rt/s, rate %.3fx (>= %.2fx); p99/p50 %5.2f vs echo %5.2f, "
            "tail shape per round %s, median %.2fx (<= %.0fx)  %s\n",
            row.count, qPrintable(row.dispatcher), row.console, row.echo, row.ratio, minRatio, row.shape, row.echoShape,
            qPrintable(row.shapeRounds), row.shapeRatio, kMaxShapeRatio,
            counted ? (pass ? "ok" : "MISSED") : "(not the console's dispatcher; not judged)");
    }
    return allOk ? 0 : 2;
}
