// SOS-to-warning latency: the time from a panel writing its SOS frame to the console showing the
// warning dialog, with 1,000 panels connected and keeping alive, against the same path with one
// panel connected, measured in the same run. See README.md.
//
// The console is this process: the real command server, the real device-management page (its
// alert road, warning dialog, alarm player and unmuting), its Unix event dispatcher. The panels are
// one panelsim process; it stamps each SOS with CLOCK_MONOTONIC as it writes the frame, and this
// process stamps the warning's Show event with the same clock.

#include "SosBench.h"
#include "bench/network/BenchSupport.h"
#include "devices/AlertRoad.h"
#include "devices/Management.h"
#include "network/CmdServer.h"
#include "shell/base/Clock.h"

#include <QApplication>
#include <QProcess>
#include <QTimer>

#include <cstdio>
#include <vector>

namespace {

const char kPassword[] = "bench";
const double kTarget = 3.0;

struct Options
{
    sosbench::RunOptions run;
    int heartbeatMs = 1000; // each panel's own keep-alive; 0 leaves only the console's
};

Options parseOptions(const QStringList &args)
{
    Options o;
    o.run = sosbench::readRunOptions(args, {1000, 30, 3, QStringLiteral(QV_PANELSIM)}, 2);
    o.heartbeatMs = qMax(0, sosbench::intArgument(args, "--panel-heartbeat-ms", o.heartbeatMs));
    return o;
}

} // namespace

int main(int argc, char **argv)
{
    sosbench::runLikeTheConsole();
    bench::ConsoleFixture fixture;
    QApplication app(argc, argv);
    const Options options = parseOptions(app.arguments());

    std::printf("SOS to warning: panels in a panelsim process, %d panels connected vs 1, panel keep-alive %s, "
                "%d SOS per phase x %d alternations, dispatcher %s\n",
                options.run.panels,
                options.heartbeatMs > 0 ? qPrintable(QStringLiteral("every %1 ms").arg(options.heartbeatMs))
                                        : "the console's only",
                options.run.rounds, options.run.alternations, qPrintable(bench::dispatcherName()));
    QList<VelkIFPDevice> devices;
    CmdServer *server = sosbench::startConsole(fixture, options.run.panels, QLatin1String(kPassword), &devices);
    if (!server)
        return 1;

    Management page;
    ManualClock clock(QDateTime::currentDateTime());
    page.alertRoad()->setClock(&clock);

    // The warning's Show event is the end of the path; answering it right away ends the alert.
    sosbench::WarningWatch watch;
    app.installEventFilter(&watch);

    sosbench::PanelProcess panels(
        {options.run.panels, options.heartbeatMs, options.run.panelsim, QLatin1String(kPassword)}, fixture.port());
    if (!panels.started()) {
        std::fprintf(stderr, "cannot start %s\n", qPrintable(options.run.panelsim));
        return 1;
    }
    const QString firstMac = bench::panelMac(0);
    auto connected = [&]() {
        int n = 0;
        for (const VelkIFPDevice &device : qAsConst(devices))
            n += server->connectionState(device.macAddress) == CmdServer::Connected;
        return n;
    };

    std::vector<uint32_t> baseline;
    std::vector<uint32_t> subject;
    int lost = 0;
    auto runPhase = [&](std::vector<uint32_t> &samples, const char *name) {
        const int warmUp = 3;
        const size_t before = samples.size();
        for (int round = 0; round < options.run.rounds + warmUp; ++round) {
            const qint64 took = sosbench::oneSos(panels, watch, clock, *page.alertRoad());
            if (took < 0) {
                ++lost;
                continue;
            }
            if (round >= warmUp)
                samples.push_back(uint32_t(took));
            // A short, varying pause, so the rounds do not ride the keep-alive's rhythm.
            sosbench::waitUntil([] { return false; }, 20 + (round * 7) % 30);
        }
        std::printf("  %-12s %3zu SOS measured\n", name, samples.size() - before);
        std::fflush(stdout);
    };

    // The panels start switched off; each baseline phase switches all off again and panel 1 on.
    for (int phase = 0; phase < options.run.alternations; ++phase) {
        panels.command(QStringLiteral("off all"));
        if (!sosbench::waitUntil([&]() { return connected() == 0; }, 10000)) {
            std::fprintf(stderr, "%d panels still connected after switching all off\n", connected());
            return 1;
        }
        panels.command(QStringLiteral("on 1"));
        if (!sosbench::waitUntil([&]() { return server->connectionState(firstMac) == CmdServer::Connected; }, 15000)) {
            std::fprintf(stderr, "panel 1 did not connect\n");
            return 1;
        }
        sosbench::waitUntil([] { return false; }, 500);
        runPhase(baseline, "1 panel");

        panels.command(QStringLiteral("on all"));
        if (!sosbench::waitUntil([&]() { return connected() == options.run.panels; }, 30000)) {
            std::fprintf(stderr, "only %d of %d panels connected\n", connected(), options.run.panels);
            return 1;
        }
        sosbench::waitUntil([] { return false; }, 1000);
        runPhase(subject, qPrintable(QStringLiteral("%1 panels").arg(options.run.panels)));
    }

    const sosbench::Stats one = sosbench::statsOf(baseline);
    const sosbench::Stats many = sosbench::statsOf(subject);
    std::printf("1 panel      p50 %7.2f ms  p90 %7.2f ms  worst %7.2f ms  (%zu SOS)\n", one.p50, one.p90, one.worst,
                baseline.size());
    std::printf("%4d panels   p50 %7.2f ms  p90 %7.2f ms  worst %7.2f ms  (%zu SOS)\n", options.run.panels, many.p50,
                many.p90, many.worst, subject.size());
    if (lost > 0)
        std::printf("%d SOS not shown within 5 s\n", lost);
    const double ratio = one.p50 > 0 ? many.p50 / one.p50 : 0;
    const bool met = lost == 0 && one.p50 > 0 && !subject.empty() && ratio <= kTarget;
    std::printf("p50 ratio %.2fx (p90 ratio %.2fx), target <= %.1fx: %s\n", ratio, one.p90 > 0 ? many.p90 / one.p90 : 0,
                kTarget, met ? "met" : "MISSED");
    return met ? 0 : 2;
}
