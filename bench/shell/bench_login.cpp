// Log-in with a large event log: how long after Login the main window appears, with 300,000 stored emergency events
// against none, and how the event log's opening grows with the rows.
//
// Scenario: three data folders, each a throw-away HOME with the console's database (on the disk that holds the
// temporary folder), the administrator's e-mail address set (so Login goes straight to the main window) and 0, N/2 or
// N rows in EventLog (N = --events, 300,000 by default). Each measurement is a process of its own (the data store and
// the command server are process-wide), offscreen, on Qt's Unix event dispatcher and with the log file at INFO, as
// the console runs: the log-in window shown, the administrator's password typed, Login clicked; the time runs until
// the main window's first paint. With N/2 and N events it then clicks the Device Control page's Event Log and times
// until the dialog's first paint, its table filled.
//
// Rounds alternate the order of the three folders. Targets: the log-in with N events within 1.5 x the log-in with
// none (median of the rounds' ratios); opening the event log with N events within 2.5 x the opening with N/2 (rows
// laid out in time linear in their number take 2 x; one by one, each against all before it, 4 x). Exit code 0 when
// both are met, 2 when not, 1 when a run failed.
//
// Usage: bench_login [--events 300000] [--rounds 5]

#include "ShellBench.h"

#include "datastore/OrvantaDBManager.h"
#include "devices/ConnectedList.h"
#include "shell/app/FrameLayoutPage.h"
#include "shell/app/Orvanta.h"
#include "shell/kit/EventLogDialog.h"
#include "shell/kit/EventLogModel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QRegularExpression>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using namespace shellbench;

constexpr double TargetLoginRatio = 1.5;
constexpr double TargetOpenGrowth = 2.5;

QString argValue(const QStringList &args, const char *name, const QString &fallback = QString())
{
    const int at = args.indexOf(QLatin1String(name));
    return at >= 0 && at + 1 < args.size() ? args.at(at + 1) : fallback;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// One log-in as an operator does it; with `open`, then the event log opened from the Device Control page.
int measure(bool open)
{
    ConsoleLog log;
    Orvanta login(OrvantaDBManager::getInstance());
    prepareLogIn(login);

    const double loginMs = timeLogIn(login);
    FrameLayoutPage *frame = login.mainFrame();
    if (loginMs < 0)
        return 1;

    double openMs = -1;
    int rows = -1;
    if (open) {
        auto *page = frame->findChild<ConnectedList *>();
        if (!page)
            return 1;
        // The page's first turns after the log-in (its device list, the command server) are not the dialog's.
        processUntil([] { return false; }, 200);
        QElapsedTimer clock;
        clock.start();
        page->btnEventLog->click();
        auto *dialog = page->findChild<EventLogDialog *>();
        if (!dialog)
            return 1;
        FirstPaint dialogPaint(dialog->tableWidgetLogContent->viewport());
        if (!processUntil([&] { return dialogPaint.painted; }, ChildTimeoutMs))
            return 1;
        openMs = clock.nsecsElapsed() / 1e6;
        // The older rows are counted on a thread of their own after the first paint.
        if (!processUntil([&] { return dialog->logModel()->isComplete(); }, ChildTimeoutMs))
            return 1;
        rows = int(dialog->logModel()->totalRows());
    }
    std::printf("RESULT login=%.3f open=%.3f rows=%d\n", loginMs, openMs, rows);
    std::fflush(stdout);
    return 0;
}

struct Figures
{
    double loginMs = -1;
    double openMs = -1;
    int rows = -1;
};

bool measureIn(const Home &home, Figures *figures)
{
    const QStringList arguments = home.events > 0 ? QStringList{QStringLiteral("--measure"), QStringLiteral("--open")}
                                                  : QStringList{QStringLiteral("--measure")};
    static const QRegularExpression result(QStringLiteral("RESULT login=(\\S+) open=(\\S+) rows=(-?\\d+)"));
    QString output;
    if (!runIn(home, arguments, &output))
        return false;
    const QRegularExpressionMatch match = result.match(output);
    if (!match.hasMatch())
        return false;
    figures->loginMs = match.captured(1).toDouble();
    figures->openMs = match.captured(2).toDouble();
    figures->rows = match.captured(3).toInt();
    return home.events == 0 || figures->rows == home.events;
}

} // namespace

int main(int argc, char **argv)
{
    const QStringList args = [&] {
        QStringList list;
        for (int i = 0; i < argc; ++i)
            list.append(QString::fromLocal8Bit(argv[i]));
        return list;
    }();
    if (args.contains(QStringLiteral("--seed")) || args.contains(QStringLiteral("--measure"))) {
        // A child, in the environment its parent gave it.
        QApplication app(argc, argv);
        if (args.contains(QStringLiteral("--seed")))
            return seedEvents(argValue(args, "--seed").toInt());
        return measure(args.contains(QStringLiteral("--open")));
    }
    QCoreApplication app(argc, argv);

    const int events = std::max(2, argValue(args, "--events", QStringLiteral("300000")).toInt());
    const int rounds = std::max(1, argValue(args, "--rounds", QStringLiteral("5")).toInt());
    Home none, half, full;
    half.events = events / 2;
    full.events = events;
    for (Home *home : {&none, &half, &full}) {
        if (!home->dir.isValid() || !runIn(*home, {QStringLiteral("--seed"), QString::number(home->events)})) {
            std::fprintf(stderr, "seeding a data folder with %d events failed\n", home->events);
            return 1;
        }
    }

    std::printf("Log-in as the administrator until the main window's first paint, with %d and with 0 stored events; "
                "then the Event Log opened until its first paint, with %d and with %d events\n",
                events, events, events / 2);
    std::printf("Each a process of its own (offscreen, Unix dispatcher, log at INFO), %d rounds in alternating order. "
                "Targets: log-in with %d events <= %.1fx with none (median of the rounds' ratios); event log with %d "
                "events <= %.1fx with %d (median)\n\n",
                rounds, events, TargetLoginRatio, events, TargetOpenGrowth, events / 2);
    std::printf("%-6s %14s %14s %7s %16s %16s %7s\n", "round", "login none ms", "login full ms", "ratio",
                "open half ms", "open full ms", "growth");
    std::vector<double> loginRatios, openGrowths;
    for (int round = 1; round <= rounds; ++round) {
        Figures noneFigures, halfFigures, fullFigures;
        const std::vector<std::pair<Home *, Figures *>> runs =
            round % 2 == 1 ? std::vector<std::pair<Home *, Figures *>>{{&none, &noneFigures},
                                                                       {&full, &fullFigures},
                                                                       {&half, &halfFigures}}
                           : std::vector<std::pair<Home *, Figures *>>{
                                 {&half, &halfFigures}, {&full, &fullFigures}, {&none, &noneFigures}};
        for (const auto &run : runs) {
            if (!measureIn(*run.first, run.second)) {
                std::fprintf(stderr, "round %d: the run with %d events failed\n", round, run.first->events);
                return 1;
            }
        }
        loginRatios.push_back(fullFigures.loginMs / noneFigures.loginMs);
        openGrowths.push_back(fullFigures.openMs / halfFigures.openMs);
        std::printf("%-6d %14.1f %14.1f %7.2f %16.1f %16.1f %7.2f\n", round, noneFigures.loginMs, fullFigures.loginMs,
                    loginRatios.back(), halfFigures.openMs, fullFigures.openMs, openGrowths.back());
        std::fflush(stdout);
    }
    const double loginRatio = median(loginRatios);
    const double openGrowth = median(openGrowths);
    const bool loginMet = loginRatio <= TargetLoginRatio;
    const bool openMet = openGrowth <= TargetOpenGrowth;
    std::printf("\nlog-in with %d events / with none, median: %.2f (target <= %.1f): %s\n", events, loginRatio,
                TargetLoginRatio, loginMet ? "met" : "MISSED");
    std::printf("event log with %d events / with %d, median: %.2f (target <= %.1f): %s\n", events, events / 2,
                openGrowth, TargetOpenGrowth, openMet ? "met" : "MISSED");
    return loginMet && openMet ? 0 : 2;
}
