// Keep-alive round trips of 1,000 and 5,000 connected panels: the console's rate against a minimal epoll echo server
// measured in the same run, and the p99 round-trip time, under Qt's GLib event dispatcher (the default) and under its
// plain Unix dispatcher (QT_NO_GLIB=1 before the application object exists).
//
// Each panel keeps one keep-alive in flight (closed loop): the rate is what the server sustains at saturation and the
// latency is what a panel waits under that load. Every (panel count, dispatcher) pair runs in a child process of its
// own, because the dispatcher is chosen once per process and the command server is a process-wide singleton.

#include "BaselineServers.h"
#include "BenchSupport.h"
#include "RawPanels.h"

#include "network/CmdServer.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QRegularExpression>
#include <QStringList>

#include <cstdio>
#include <map>
#include <thread>

namespace {

struct Settings
{
    QList<int> panelCounts = {1000, 5000};
    int threads = 3;
    int warmupMs = 1000;
    int measureMs = 4000;
};

struct Figures
{
    double rate = 0;
    double p50Ms = 0;
    double p99Ms = 0;
    uint64_t roundTrips = 0;
};

Figures figuresOf(RawPanels::PingResult result)
{
    Figures figures;
    figures.roundTrips = result.roundTrips;
    figures.rate = result.seconds > 0 ? double(result.roundTrips) / result.seconds : 0;
    figures.p50Ms = bench::percentile(result.latenciesUs, 50) / 1000.0;
    figures.p99Ms = bench::percentile(result.latenciesUs, 99) / 1000.0;
    return figures;
}

// One panel count under the dispatcher this process got. Prints one RESULT line for the parent.
int runChild(int count, const Settings &settings)
{
    const long fdLimit = bench::raiseFdLimit();
    if (fdLimit < 2 * count + 200) {
        std::printf("descriptor limit %ld too low for %d panels\n", fdLimit, count);
        return 1;
    }
    bench::ConsoleFixture fixture;
    if (!fixture.isValid())
        return 1;
    const QString dispatcher = bench::dispatcherName();

    // Baseline: the same panels against the echo server.
    Figures echo;
    {
        EchoServer server;
        if (!server.start())
            return 1;
        RawPanels::Options options;
        options.count = count;
        options.threads = settings.threads;
        options.serverPort = server.port();
        options.identify = false;
        options.echoPeer = true;
        RawPanels panels(options);
        panels.connectAll();
        if (!panels.waitReady(30000) || panels.failedCount() > 0) {
            std::printf("echo: %d of %d panels connected\n", panels.readyCount(), count);
            return 1;
        }
        echo = figuresOf(panels.measurePings(settings.warmupMs, settings.measureMs));
        panels.stop();
        server.stop();
    }

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

    Figures console;
    double handshakeSeconds = -1;
    bool ok = false;
    // The console runs on this thread's event loop; the measurement is driven from another thread.
    std::thread controller([&] {
        const int64_t start = bench::nowNs();
        panels.connectAll();
        ok = panels.waitReady(60000) && panels.failedCount() == 0;
        handshakeSeconds = double(bench::nowNs() - start) / 1e9;
        if (ok)
            console = figuresOf(panels.measurePings(settings.warmupMs, settings.measureMs));
        panels.stop();
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
    });
    QCoreApplication::exec();
    controller.join();
    if (!ok) {
        std::printf("console: %d of %d panels handshaken, %d failed\n", panels.readyCount(), count,
                    panels.failedCount());
        return 1;
    }
    const double ratio = echo.rate > 0 ? console.rate / echo.rate : 0;
    std::printf("  %5d panels, %-4s dispatcher: handshakes %.2f s | echo %9.0f rt/s p50 %6.2f ms p99 %6.2f ms | "
                "console %9.0f rt/s p50 %6.2f ms p99 %6.2f ms | ratio %.3fx\n",
                count, qPrintable(dispatcher), handshakeSeconds, echo.rate, echo.p50Ms, echo.p99Ms, console.rate,
                console.p50Ms, console.p99Ms, ratio);
    std::printf("RESULT count=%d dispatcher=%s echo=%.0f console=%.0f ratio=%.4f p99=%.2f echop99=%.2f hs=%.2f\n",
                count, qPrintable(dispatcher), echo.rate, console.rate, ratio, console.p99Ms, echo.p99Ms,
                handshakeSeconds);
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    Settings settings;
    if (!bench::argValue(args, QStringLiteral("--panels")).isEmpty()) {
        settings.panelCounts.clear();
        for (const QString &n : bench::argValue(args, QStringLiteral("--panels")).split(QLatin1Char(',')))
            settings.panelCounts.append(n.toInt());
    }
    if (!bench::argValue(args, QStringLiteral("--threads")).isEmpty())
        settings.threads = bench::argValue(args, QStringLiteral("--threads")).toInt();
    if (!bench::argValue(args, QStringLiteral("--seconds")).isEmpty())
        settings.measureMs = int(bench::argValue(args, QStringLiteral("--seconds")).toDouble() * 1000);

    if (args.contains(QStringLiteral("--child"))) {
        QCoreApplication app(argc, argv);
        return runChild(bench::argValue(args, QStringLiteral("--child")).toInt(), settings);
    }

    QCoreApplication app(argc, argv);
    std::printf("Keep-alive round trips, closed loop (one in flight per panel), %d load threads, %.1f s per figure\n",
                settings.threads, settings.measureMs / 1000.0);
    struct Row
    {
        int count;
        QString dispatcher;
        double ratio, p99, console, echo;
        bool ok;
    };
    QList<Row> rows;
    const QStringList forwarded = {QStringLiteral("--threads"), QString::number(settings.threads),
                                   QStringLiteral("--seconds"), QString::number(settings.measureMs / 1000.0)};
    for (int count : qAsConst(settings.panelCounts)) {
        for (const QString &mode : {QStringLiteral("glib"), QStringLiteral("unix")}) {
            const QStringList env = mode == QLatin1String("unix") ? QStringList{QStringLiteral("QT_NO_GLIB=1")}
                                                                  : QStringList{QStringLiteral("QT_NO_GLIB")};
            const QString out = bench::runChild(
                QStringList{QStringLiteral("--child"), QString::number(count)} + forwarded, env, 120000);
            const QRegularExpressionMatch m =
                QRegularExpression(QStringLiteral("RESULT count=(\\d+) dispatcher=(\\S+) echo=(\\S+) console=(\\S+) "
                                                  "ratio=(\\S+) p99=(\\S+)"))
                    .match(out);
            Row row{count, mode, 0, 0, 0, 0, m.hasMatch()};
            if (m.hasMatch()) {
                row.dispatcher = m.captured(2);
                row.echo = m.captured(3).toDouble();
                row.console = m.captured(4).toDouble();
                row.ratio = m.captured(5).toDouble();
                row.p99 = m.captured(6).toDouble();
            }
            rows.append(row);
        }
    }
    std::printf(
        "\nSummary (targets: 1,000 panels >= 0.25x and p99 <= 50 ms; 5,000 panels >= 0.2x and p99 <= 250 ms)\n");
    bool allOk = true;
    for (const Row &row : qAsConst(rows)) {
        const double minRatio = row.count >= 5000 ? 0.2 : 0.25;
        const double maxP99 = row.count >= 5000 ? 250 : 50;
        const bool pass = row.ok && row.ratio >= minRatio && row.p99 <= maxP99;
        allOk = allOk && pass;
        if (!row.ok) {
            std::printf("  %5d panels %-4s: no result\n", row.count, qPrintable(row.dispatcher));
            continue;
        }
        std::printf(
            "  %5d panels %-4s: %8.0f rt/s vs echo %8.0f rt/s = %.3fx (>= %.2fx), p99 %7.2f ms (<= %.0f ms)  %s\n",
            row.count, qPrintable(row.dispatcher), row.console, row.echo, row.ratio, minRatio, row.p99, maxP99,
            pass ? "ok" : "MISSED");
    }
    return allOk ? 0 : 2;
}
