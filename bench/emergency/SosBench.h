#pragma once

// What the SOS benchmarks share: the panels in one panelsim process, which stamps each SOS frame with
// CLOCK_MONOTONIC as it writes it; the watch on the warning's Show event, stamped with the same clock and answered at
// once; the event loop run as the console runs it; and the statistics of the samples.

#include "datastore/VelkIFPDevice.h"

#include <QList>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <vector>

class AlertRoad;
class CmdServer;
class ManualClock;

namespace bench {
class ConsoleFixture;
}

namespace sosbench {

// Before the application object: Qt's Unix event dispatcher as the console runs, no window system needed, the
// descriptor limit raised, and the offscreen platform's notices about raised windows dropped.
void runLikeTheConsole();

// The whole number after `name` on the command line; fallback when it is missing or no number.
int intArgument(const QStringList &args, const char *name, int fallback);

// Stores `count` panels as a restart finds them (bench::panelDevice) and starts the command server with them, the
// administrator logged in; null, with the reason on standard error, when that failed. The devices come back in
// `devices`.
CmdServer *startConsole(bench::ConsoleFixture &fixture, int count, const QString &password,
                        QList<VelkIFPDevice> *devices);

// The options both programs take: --panels N, --rounds N (measured SOS per phase), --alternations N (baseline and
// subject phases, interleaved), --panelsim PATH.
struct RunOptions
{
    int panels = 0;
    int rounds = 0;
    int alternations = 3;
    QString panelsim;
};
// Reads them over the defaults given, with at least `fewestPanels` panels.
RunOptions readRunOptions(const QStringList &args, RunOptions defaults, int fewestPanels);

struct PanelOptions
{
    int panels = 1000;
    int heartbeatMs = 1000; // each panel's own keep-alive; 0 leaves only the console's
    QString panelsim;
    QString password;
};

// The panels, switched off at first (`off all`, `on 1`, `on all`, `sos 1` are panelsim's standard-input commands).
class PanelProcess : public QObject
{
public:
    PanelProcess(const PanelOptions &options, quint16 consolePort);
    ~PanelProcess() override;

    bool started() { return m_process.waitForStarted(5000); }
    void command(const QString &line);
    // The stamp of the latest SOS line not taken yet, in microseconds; 0 when none came.
    qint64 takeSosStamp();

private:
    void read();

    QProcess m_process;
    QByteArray m_buffer;
    qint64 m_sosStamp = 0;
};

// Stamps the Show event of every emergency warning (microseconds, CLOCK_MONOTONIC) and answers the warning at once
// ("No action required"), which ends the alert. Install it on the application.
class WarningWatch : public QObject
{
public:
    qint64 shownAt = 0;
    bool eventFilter(QObject *watched, QEvent *event) override;
};

struct Stats
{
    double p50 = 0;
    double p90 = 0;
    double worst = 0;
};
// One SOS from panel 1, past the 5-second rule of the last answer (the road's clock is moved on 6 s): the microseconds
// from its frame to its warning, the warning answered; -1 when it was not shown and answered within 5 s.
qint64 oneSos(PanelProcess &panels, WarningWatch &watch, ManualClock &clock, const AlertRoad &road);

// Samples in microseconds, figures in milliseconds.
Stats statsOf(std::vector<uint32_t> samples);

// Runs the event loop as the console does, asleep until something happens, until `done` holds; a 10 ms tick only
// makes sure the time-out is seen. Spinning instead would hide the loop's wake-up.
bool waitUntil(const std::function<bool()> &done, int timeoutMs);

// The offscreen platform says so for every raised window; everything else gets through.
void quietHandler(QtMsgType type, const QMessageLogContext &context, const QString &message);

} // namespace sosbench
