// SOS-to-warning time and the longest stall of the console's event loop while another program holds the database
// (sqlite3 holding BEGIN IMMEDIATE with an unsaved change, and sqlite3 holding BEGIN EXCLUSIVE, which refuses reads
// too), against the same run without the hold. See README.md.
//
// The console is this process: the real command server, the real device-management page (its alert road, warning
// dialog, alarm player and unmuting), its Unix event dispatcher, and the data store writing the sync statuses of a
// few panels through a DbWriteBatch every half second, as the console does when panels answer a synchronisation. The
// panels are one panelsim process that stamps each SOS with CLOCK_MONOTONIC as it writes the frame; this process
// stamps the warning's Show event with the same clock. The other program is the sqlite3 shell on the live file.

#include "SosBench.h"
#include "bench/network/BenchSupport.h"
#include "bench/network/StallProbe.h"
#include "datastore/DatabaseManager.h"
#include "datastore/DbHeldWrites.h"
#include "datastore/DbWriteBatch.h"
#include "datastore/OrvantaDBManager.h"
#include "devices/AlertRoad.h"
#include "devices/Management.h"
#include "shell/base/Clock.h"

#include <QApplication>
#include <QDateTime>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include <cstdio>
#include <vector>

namespace {

const char kPassword[] = "bench";
// With the hold, the median SOS may take at most this many times the median without it.
const double kSosTarget = 1.5;
// With the hold, no SOS may take longer than this to be shown.
const double kSosCeilingMs = 1000;
// With the hold, the longest stall may exceed the longest one without it by one busy wait of the main connection and
// this much more (a loaded machine's scheduling).
const double kStallSlackMs = 100;

struct Options
{
    sosbench::RunOptions run;
    int syncEveryMs = 500; // a batch of sync statuses
    QString sqlite3 = QStringLiteral("sqlite3");
};

Options parseOptions(const QStringList &args)
{
    Options o;
    o.run = sosbench::readRunOptions(args, {50, 20, 3, QStringLiteral(QV_PANELSIM)}, 4);
    o.syncEveryMs = qMax(50, sosbench::intArgument(args, "--sync-every-ms", o.syncEveryMs));
    const QString sqlite3 = bench::argValue(args, QStringLiteral("--sqlite3"));
    if (!sqlite3.isEmpty())
        o.sqlite3 = sqlite3;
    return o;
}

// The other program: the sqlite3 shell on the console's database file, which holds the write lock with a change it
// has not saved, as an SQLite browser does, and lets go of it on command.
class OtherProgram
{
public:
    OtherProgram(const QString &program, const QString &file)
    {
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(program, {file});
    }
    ~OtherProgram()
    {
        m_process.write(".quit\n");
        if (!m_process.waitForFinished(3000))
            m_process.kill();
        m_process.waitForFinished(3000);
    }
    bool started() { return m_process.waitForStarted(5000); }
    // The write lock with an unsaved change (an SQLite browser editing), or the file held for reading too (an SQLite
    // browser saving a large change, a VACUUM).
    bool hold(bool exclusive)
    {
        return ask(exclusive ? "BEGIN EXCLUSIVE; UPDATE Account SET email = email; SELECT 'held';"
                             : "BEGIN IMMEDIATE; UPDATE Account SET email = email; SELECT 'held';",
                   "held");
    }
    bool release() { return ask("ROLLBACK; SELECT 'free';", "free"); }

private:
    bool ask(const QByteArray &statements, const QByteArray &answer)
    {
        m_process.write(statements + '\n');
        const QByteArray line = bench::readLine(m_process, 10000);
        if (line == answer)
            return true;
        std::fprintf(stderr, "sqlite3 answered \"%s\"\n", line.constData());
        return false;
    }

    QProcess m_process;
};

struct Phase
{
    std::vector<uint32_t> sos; // microseconds from frame to warning
    double worstStallMs = 0;
    int lost = 0;
};

void printPhase(const char *name, const Phase &phase)
{
    const sosbench::Stats s = sosbench::statsOf(phase.sos);
    std::printf("%-15s SOS p50 %7.2f ms  p90 %7.2f ms  worst %7.2f ms  (%zu SOS)   longest stall %7.1f ms\n", name,
                s.p50, s.p90, s.worst, phase.sos.size(), phase.worstStallMs);
}

// The verdict of one kind of hold against the phase without: printed with its targets, true when met.
bool judge(const char *name, const Phase &held, const Phase &free)
{
    const sosbench::Stats without = sosbench::statsOf(free.sos);
    const sosbench::Stats with = sosbench::statsOf(held.sos);
    const double ratio = without.p50 > 0 ? with.p50 / without.p50 : 0;
    const double stallLimit = free.worstStallMs + DatabaseManager::kBusyWaitMs + kStallSlackMs;
    const bool sosMet =
        held.lost == 0 && !held.sos.empty() && without.p50 > 0 && ratio <= kSosTarget && with.worst <= kSosCeilingMs;
    const bool stallMet = held.worstStallMs <= stallLimit;
    std::printf("%s: SOS p50 ratio held / not held %.2fx, target <= %.1fx, worst held %.1f ms, target <= %.0f ms: %s\n",
                name, ratio, kSosTarget, with.worst, kSosCeilingMs, sosMet ? "met" : "MISSED");
    std::printf("%s: longest stall held %.1f ms, target <= %.1f ms (not held %.1f + busy wait %d + %.0f): %s\n", name,
                held.worstStallMs, stallLimit, free.worstStallMs, DatabaseManager::kBusyWaitMs, kStallSlackMs,
                stallMet ? "met" : "MISSED");
    return sosMet && stallMet;
}

} // namespace

int main(int argc, char **argv)
{
    sosbench::runLikeTheConsole();
    bench::ConsoleFixture fixture;
    QApplication app(argc, argv);
    const Options options = parseOptions(app.arguments());
    const QString sqlite3 = QStandardPaths::findExecutable(options.sqlite3).isEmpty()
                                ? options.sqlite3
                                : QStandardPaths::findExecutable(options.sqlite3);

    std::printf("SOS to warning and the longest stall of the event loop, the database held by another program (sqlite3 "
                "holding BEGIN IMMEDIATE with an unsaved change, and BEGIN EXCLUSIVE) vs not held: %d panels in a "
                "panelsim process, sync "
                "statuses of 4 panels written every %d ms, %d SOS per phase x %d alternations, busy wait %d ms, "
                "dispatcher %s\n",
                options.run.panels, options.syncEveryMs, options.run.rounds, options.run.alternations,
                DatabaseManager::kBusyWaitMs, qPrintable(bench::dispatcherName()));
    QList<VelkIFPDevice> devices;
    if (!sosbench::startConsole(fixture, options.run.panels, QLatin1String(kPassword), &devices))
        return 1;
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    QList<VelkIFPDevice> stored;
    if (db->queryAllAvailableIFP(stored) != DB_OK || stored.size() < 4) {
        std::fprintf(stderr, "cannot read the devices\n");
        return 1;
    }

    Management page;
    ManualClock clock(QDateTime::currentDateTime());
    page.alertRoad()->setClock(&clock);
    sosbench::WarningWatch watch;
    app.installEventFilter(&watch);

    // The console's own writes beside the alerts: the sync statuses of four panels, one batch each time.
    int syncStatus = 0;
    QTimer sync;
    QObject::connect(&sync, &QTimer::timeout, [&] {
        DbWriteBatch batch(db, "bench sync statuses");
        const QString now = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm"));
        syncStatus = 1 - syncStatus;
        for (int i = 0; i < 4; ++i) {
            const quint32 did = stored.at(i).did;
            const int status = syncStatus;
            batch.write(QStringLiteral("sync status %1").arg(i),
                        [db, did, status, now] { return db->updateUserDeviceSyncStatus(did, status, now); });
        }
    });
    sync.start(options.syncEveryMs);

    OtherProgram other(sqlite3, db->databaseFilePath());
    if (!other.started()) {
        std::fprintf(stderr, "cannot start %s\n", qPrintable(sqlite3));
        return 1;
    }
    sosbench::PanelProcess panels({options.run.panels, 1000, options.run.panelsim, QLatin1String(kPassword)},
                                  fixture.port());
    if (!panels.started()) {
        std::fprintf(stderr, "cannot start %s\n", qPrintable(options.run.panelsim));
        return 1;
    }
    panels.command(QStringLiteral("on all"));
    if (!sosbench::waitUntil([&]() { return bench::onlineCount(devices) == options.run.panels; }, 30000)) {
        std::fprintf(stderr, "only %d of %d panels connected\n", bench::onlineCount(devices), options.run.panels);
        return 1;
    }
    sosbench::waitUntil([] { return false; }, 1000);

    bench::StallProbe probe;
    int shown = 0;
    auto runPhase = [&](Phase &phase, const char *name) {
        const int warmUp = 2;
        const size_t before = phase.sos.size();
        probe.start();
        for (int round = 0; round < options.run.rounds + warmUp; ++round) {
            const qint64 took = sosbench::oneSos(panels, watch, clock, *page.alertRoad());
            if (took < 0) {
                ++phase.lost;
                continue;
            }
            ++shown;
            if (round >= warmUp)
                phase.sos.push_back(uint32_t(took));
            // A short, varying pause, so the rounds do not ride the sync statuses' or the keep-alive's rhythm.
            sosbench::waitUntil([] { return false; }, 40 + (round * 17) % 60);
        }
        probe.stop();
        phase.worstStallMs = qMax(phase.worstStallMs, probe.worstMs());
        std::printf("  %-13s %3zu SOS measured, longest stall %7.1f ms\n", name, phase.sos.size() - before,
                    probe.worstMs());
        std::fflush(stdout);
    };

    Phase free;
    Phase writeLock;
    Phase exclusive;
    bool rowsWritten = true;
    // Everything a hold kept back reaches the database: one event-log row per SOS shown so far.
    auto awaitRows = [&]() {
        QList<VelkEventLog> events;
        const bool written = sosbench::waitUntil(
            [&]() {
                events.clear();
                return db->heldWrites()->isEmpty() && db->queryEventLog(events) == DB_OK && events.size() == shown;
            },
            30000);
        if (!written) {
            std::printf("  %d event-log rows for %d SOS, %d writes still held 30 s after the hold\n",
                        int(events.size()), shown, db->heldWrites()->count());
            rowsWritten = false;
        }
    };
    auto heldPhase = [&](bool exclusively, Phase &phase, const char *name) {
        if (!other.hold(exclusively))
            return false;
        runPhase(phase, name);
        if (!other.release())
            return false;
        awaitRows();
        return true;
    };
    for (int alternation = 0; alternation < options.run.alternations; ++alternation) {
        runPhase(free, "not held");
        if (!heldPhase(false, writeLock, "write lock") || !heldPhase(true, exclusive, "exclusive"))
            return 1;
    }

    printPhase("not held", free);
    printPhase("write lock", writeLock);
    printPhase("exclusive", exclusive);
    const int lost = free.lost + writeLock.lost + exclusive.lost;
    if (lost > 0)
        std::printf("%d SOS not shown within 5 s\n", lost);
    const bool writeLockMet = judge("write lock", writeLock, free);
    const bool exclusiveMet = judge("exclusive", exclusive, free);
    std::printf("event-log rows of every SOS written after each hold: %s\n", rowsWritten ? "yes" : "NO");
    return free.lost == 0 && writeLockMet && exclusiveMet && rowsWritten ? 0 : 2;
}
