// A wall-clock step with a large fleet connected: how long the GUI thread is held when the time is set by hand, a time
// sync steps it or the PC wakes from sleep while thousands of panels are connected.
//
// Scenario: the console's command server (bench/network's ConsoleFixture: a throw-away data folder and database, the
// log file at INFO, an ephemeral loopback port) on the system clock as the console runs it (a SystemClock reading the
// real steady clock, and the real wall clock plus an offset this program moves, since setting the machine's clock needs
// root), with N panels connected (--panels, 8,000 by default: bench/network's RawPanels, plain sockets on load threads,
// each on a loopback address of its own, a managed device reporting the control password, answering the console's
// keep-alives). The wall clock is then stepped --steps times (5 by default), an hour on and back in turn, 500 ms apart;
// each step is found by the clock's own compare, which emits Clock::jumped on the GUI thread as the console's does. The
// same steps with no panel connected come first, for scale. It all runs in a child process on Qt's Unix event
// dispatcher, the console's.
//
// Measured: on the GUI thread, the time each step's compare took, Clock::jumped and all it set off included; from a
// watcher thread (GuiWatcher), the wait of a probe event posted to the GUI thread every 5 ms, those posted up to 10 ms
// before a step began or while it ran being the ones it held (the longest wait of all the probes, the fleet's own
// keep-alives and the machine's load included, is printed beside it). Target with the fleet: no step and no probe at a
// step over 50 ms. The run counts only when every step was taken as a jump and every panel is still connected after
// them and a probe was posted at a step with the fleet. Exit code 0 when met, 2 when not, 1 when the run failed.
//
// Usage: bench_clock_step [--panels 8000] [--steps 5]

#include "BenchSupport.h"
#include "GuiWatcher.h"
#include "RawPanels.h"

#include "network/CmdServer.h"
#include "shell/base/Clock.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QRegularExpression>

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

namespace {

using namespace shellbench;

constexpr double TargetMs = 50;
constexpr qint64 StepMs = 3600000;
const char *const Password = "kelvo";

struct Figures
{
    int panels = 0;
    int online = 0;
    int steps = 0;
    int jumps = 0;
    double worstStepMs = -1;
    double worstAtStepMs = -1;
    // Probes posted at a step: without one, the longest wait at a step is no figure.
    int probesAtSteps = 0;
    double worstWaitMs = -1;
    int probes = 0;
};

// Steps the wall clock `steps` times with `connected` panels connected; prints one RESULT line.
void stepPhase(const char *name, SystemClock &clock, qint64 &offsetMs, int steps, const QList<VelkIFPDevice> &managed,
               int connected)
{
    int jumps = 0;
    QObject counter;
    QObject::connect(&clock, &Clock::jumped, &counter, [&jumps] { ++jumps; });
    bench::runFor(1000);
    // Every probe noted with its time, to tell the waits a step caused from the fleet's own work around them.
    GuiWatcher watcher(5, 0);
    const int64_t watchedNs = bench::nowNs();
    watcher.start();
    bench::runFor(500);
    double worstStep = 0;
    std::vector<std::pair<double, double>> stepsS; // when each step began and ended, seconds after watchedNs
    for (int i = 0; i < steps; ++i) {
        offsetMs += i % 2 == 0 ? StepMs : -StepMs;
        const int64_t start = bench::nowNs();
        clock.checkForJump();
        const int64_t end = bench::nowNs();
        worstStep = std::max(worstStep, (end - start) / 1e6);
        stepsS.emplace_back((start - watchedNs) / 1e9, (end - watchedNs) / 1e9);
        bench::runFor(500);
    }
    watcher.stop();
    // A probe posted up to a period before a step began, or while it ran, waited for it.
    double worstAtStep = 0;
    int atSteps = 0;
    for (const GuiWatcher::Stall &probe : watcher.stalls()) {
        for (const auto &step : stepsS) {
            if (probe.atS >= step.first - 0.010 && probe.atS <= step.second) {
                worstAtStep = std::max(worstAtStep, probe.ms);
                ++atSteps;
            }
        }
        if (probe.ms > TargetMs / 2)
            std::printf("STALL %s at %.3f s: %.1f ms\n", name, probe.atS, probe.ms);
    }
    std::printf("RESULT %s panels=%d online=%d steps=%d jumps=%d step=%.3f atstep=%.3f atsteps=%d wait=%.3f "
                "probes=%d\n",
                name, connected, bench::onlineCount(managed), steps, jumps, worstStep, worstAtStep, atSteps,
                watcher.worstMs(), int(watcher.waitsMs().size()));
    std::fflush(stdout);
}

int measure(int count, int steps)
{
    const long fdLimit = bench::raiseFdLimit();
    if (fdLimit < 2L * count + 200) {
        std::fprintf(stderr, "descriptor limit %ld too low for %d panels\n", fdLimit, count);
        return 1;
    }
    bench::ConsoleFixture fixture;
    if (!fixture.isValid())
        return 1;
    // The console's readings, the wall clock moved by what this program sets.
    qint64 offsetMs = 0;
    SystemClock clock({[&offsetMs] { return QDateTime::currentMSecsSinceEpoch() + offsetMs; },
                       [] {
                           QElapsedTimer steady;
                           steady.start();
                           return steady.msecsSinceReference();
                       }});
    QList<VelkIFPDevice> managed;
    RawPanels::Options options;
    options.count = count;
    options.threads = 3;
    for (int i = 0; i < count; ++i) {
        managed.append(bench::panelDevice(i, QString::fromLatin1(Password)));
        options.identities.append(bench::panelIdentityJson(i, QString::fromLatin1(Password)));
    }
    CmdServer *server = fixture.start(managed, QString::fromLatin1(Password));
    server->setClock(&clock);
    options.serverPort = server->serverPort();
    // Set up gently, below the bound on connections awaiting their identity: the connect storm is measured elsewhere.
    options.maxInProgress = 48;

    stepPhase("baseline", clock, offsetMs, steps, managed, 0);
    RawPanels panels(options);
    panels.connectAll();
    const bool ready = bench::runUntil([&] { return panels.readyCount() + panels.failedCount() >= count; }, 600000) &&
                       panels.failedCount() == 0 && bench::onlineCount(managed) == count;
    if (!ready) {
        std::fprintf(stderr, "%d of %d panels connected, %d failed\n", panels.readyCount(), count,
                     panels.failedCount());
        panels.stop();
        return 1;
    }
    stepPhase("fleet", clock, offsetMs, steps, managed, count);
    panels.stop();
    return 0;
}

bool parse(const QString &output, const char *name, Figures *figures)
{
    const QRegularExpression result(
        QStringLiteral("RESULT %1 panels=(\\d+) online=(\\d+) steps=(\\d+) jumps=(\\d+) step=(\\S+) atstep=(\\S+) "
                       "atsteps=(\\d+) wait=(\\S+) probes=(\\d+)")
            .arg(QLatin1String(name)));
    const QRegularExpressionMatch match = result.match(output);
    if (!match.hasMatch())
        return false;
    figures->panels = match.captured(1).toInt();
    figures->online = match.captured(2).toInt();
    figures->steps = match.captured(3).toInt();
    figures->jumps = match.captured(4).toInt();
    figures->worstStepMs = match.captured(5).toDouble();
    figures->worstAtStepMs = match.captured(6).toDouble();
    figures->probesAtSteps = match.captured(7).toInt();
    figures->worstWaitMs = match.captured(8).toDouble();
    figures->probes = match.captured(9).toInt();
    return true;
}

void printRow(const char *name, const Figures &f)
{
    std::printf("%-9s %5d panels (%5d online after): %d steps taken as %d jumps, longest step %7.1f ms, longest wait "
                "of the %d probes at a step %7.1f ms; longest wait of the %d probes %7.1f ms\n",
                name, f.panels, f.online, f.steps, f.jumps, f.worstStepMs, f.probesAtSteps, f.worstAtStepMs, f.probes,
                f.worstWaitMs);
}

} // namespace

int main(int argc, char **argv)
{
    const QStringList args = bench::arguments(argc, argv);
    QCoreApplication app(argc, argv);
    if (args.contains(QStringLiteral("--measure"))) {
        const int at = args.indexOf(QStringLiteral("--measure"));
        return measure(args.value(at + 1).toInt(), args.value(at + 2).toInt());
    }
    const auto intArg = [&args](const char *name, int fallback) {
        const QString value = bench::argValue(args, QLatin1String(name));
        return value.isEmpty() ? fallback : value.toInt();
    };
    const int count = std::max(1, intArg("--panels", 8000));
    const int steps = std::max(1, intArg("--steps", 5));
    std::printf("The command server on the system clock (Unix dispatcher, log at INFO) with %d panels connected from "
                "as many loopback addresses; the wall clock stepped %d times, an hour on and back in turn, 500 ms "
                "apart, and the same steps with no panel connected first, for scale\n",
                count, steps);
    std::printf(
        "Measured: each step's compare on the GUI thread (Clock::jumped and all it sets off), and the wait of "
        "a probe event posted to the GUI thread every 5 ms from a watcher thread, at the steps. Target with the "
        "fleet: no step and no wait at a step over %.0f ms\n",
        TargetMs);
    std::printf("load average at the start: %s\n\n", qPrintable(bench::loadAverage()));
    std::fflush(stdout);

    const QString output =
        bench::runChild({QStringLiteral("--measure"), QString::number(count), QString::number(steps)},
                        bench::consoleChildEnvironment(), 900000);
    Figures baseline, fleet;
    if (!parse(output, "baseline", &baseline) || !parse(output, "fleet", &fleet)) {
        std::fprintf(stderr, "the measurement failed\n");
        return 1;
    }
    std::printf("\n");
    printRow("baseline", baseline);
    printRow("fleet", fleet);
    std::printf("load average at the end: %s\n", qPrintable(bench::loadAverage()));
    if (baseline.jumps != steps || fleet.jumps != steps || fleet.online != count || fleet.probes == 0 ||
        fleet.probesAtSteps == 0) {
        std::fprintf(stderr, "not every step was taken as a jump, panels were lost, or no probe was posted at a step "
                             "with the fleet: nothing measured\n");
        return 1;
    }
    const double worst = std::max(fleet.worstStepMs, fleet.worstAtStepMs);
    const bool met = worst <= TargetMs;
    std::printf("\nGUI thread held by a wall-clock step with %d panels connected: %.1f ms at the longest (no panel: "
                "%.1f ms), target <= %.0f ms: %s\n",
                count, worst, std::max(baseline.worstStepMs, baseline.worstAtStepMs), TargetMs, met ? "met" : "MISSED");
    return met ? 0 : 2;
}
