// "Sync Now" of a slow fleet beside another program that writes the same database file: how often that program is
// refused, and how long it waits, while the console records the statuses of panels whose answers spread over seconds.
//
// Scenario: the console (this process: its command server on an ephemeral loopback port, its data store in an ordinary
// folder on disk, its log file, the User Accounts page and its Sync Now, Qt's Unix event dispatcher) holds 300 panels
// with the same 48 users each; the panels are tools/panelsim simulated panels in a separate process that know the
// console already (they send no users of their own) and confirm their account files spread evenly over 18 s, one every
// 60 ms. The other program is this program again (--writer), on a connection of its own to the console's file: it
// takes the write lock, inserts a row into a table of its own, commits, waits a millisecond, and again, as a script or
// the sqlite3 shell that writes now and then does. It runs twice, once without a busy wait (a write that finds the
// file locked is refused at once) and once with a busy wait of 5 s (it waits for the lock instead). Each time it
// writes beside the yardstick first and then from the press of Sync Now until the run ends (the subject). Every
// assignment's time of synchronisation is set a minute back beforehand, so that both write a status and a new time
// into all of them, as a Sync Now a minute after the last does; the program checks they did.
//
// Yardstick: the least a console that keeps the statuses holds the file for, given the same answers: the console's
// own status statement, through its data store and connection, for the panels whose answers come at the same moments,
// gathered for at most 100 ms and written in one transaction each time, with nothing around them.
//
// Targets: the writer without a busy wait refused in at most the share of its tries that the console refused before
// its statuses were written into a transaction held open across the run (184 of 5,802, 3.2 %), or the yardstick's
// share where that is larger (a slower disk makes every commit longer), plus three standard errors of the difference
// of two such shares at the numbers of tries made; the writer with a 5 s busy wait waiting for the lock no longer than
// 37 ms (the longest wait then), or the yardstick's longest wait where that is larger, waited for two more looks of
// SQLite's busy wait at the lock (82 ms for 37 ms); every assignment written by the yardstick and by Sync Now. The
// previous figures and the margins are explained in README.md.
//
// Usage: QT_QPA_PLATFORM=offscreen bench_sync_others [--panels 300] [--users 48] [--spread-ms 18000] [--db-folder DIR]
// --db-folder: where the database goes (a fresh folder is made inside it); by default the folder of this program,
// which lies in the build tree on disk. A folder on tmpfs or ramfs is refused.
// Exit code 0 when every target is met, 2 otherwise, 1 when the benchmark could not run or measure (a part in which
// the other program made no try, or rows it could not count).

#include "SyncBenchRows.h"

#include "accounts/AccountOverview.h"
#include "accounts/AccountSyncRun.h"
#include "bench/network/BenchSupport.h"
#include "bench/network/PanelProcess.h"
#include "datastore/DbHeldWrites.h"
#include "datastore/DbResult.h"
#include "datastore/DbWriteBatch.h"
#include "datastore/OrvantaDBManager.h"
#include "network/CmdServer.h"
#include "shell/base/Session.h"

#include <QApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QProcess>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <poll.h>
#include <unistd.h>
#include <vector>

namespace {

// What the console let another program have before its statuses were written into a transaction held open across a
// run, measured with the same fleet and writers (see README.md).
constexpr int PreviousTries = 5802;
constexpr double PreviousRefusedShare = 184.0 / PreviousTries;
constexpr double PreviousLongestWaitMs = 37.0;
constexpr int LongBusyWaitMs = 5000;
const char *const Password = "kelvo";
const char *const WritesTable = "BenchOtherWrites";

// The table the other program writes, in the console's file.
bool createOtherTable()
{
    QSqlQuery table(syncbench::consoleConnection());
    return table.exec(QStringLiteral("CREATE TABLE %1 (id INTEGER PRIMARY KEY, at INTEGER)").arg(WritesTable));
}

// Every assignment's time of synchronisation a minute back (see syncbench::setSyncTimesBack): the yardstick and the
// run then write all of them. Returns the stamp set, empty on a failure.
QString setSyncTimesBack()
{
    const QString stamp = QDateTime::currentDateTime().addSecs(-60).toString(syncbench::StampFormat);
    return syncbench::setSyncTimesBack(stamp) > 0 ? stamp : QString();
}

// --- The other program ------------------------------------------------------------------------------------------

struct Attempt
{
    int64_t atNs;
    int64_t waitNs;   // for the write lock (BEGIN IMMEDIATE)
    int64_t commitNs; // its own insert and commit, once it had the lock
    bool refused;     // the lock was another's, at the begin or at the commit
    bool failed;      // for another reason than the lock
};

// What the writer met within [fromNs, toNs).
struct Met
{
    int tries = 0;
    int refused = 0;
    int failed = 0;
    double longestWaitMs = 0;
    double longestCommitMs = 0;
};

Met metWithin(const std::vector<Attempt> &attempts, int64_t fromNs, int64_t toNs)
{
    Met met;
    for (const Attempt &attempt : attempts) {
        if (attempt.atNs < fromNs || attempt.atNs >= toNs)
            continue;
        ++met.tries;
        met.refused += attempt.refused ? 1 : 0;
        met.failed += attempt.failed ? 1 : 0;
        if (attempt.refused || attempt.failed)
            continue;
        met.longestWaitMs = std::max(met.longestWaitMs, attempt.waitNs / 1e6);
        met.longestCommitMs = std::max(met.longestCommitMs, attempt.commitNs / 1e6);
    }
    return met;
}

// SQLITE_BUSY and SQLITE_LOCKED: the file was another connection's at that moment.
bool lockRefused(const QSqlQuery &query)
{
    const int code = query.lastError().nativeErrorCode().toInt() & 0xff;
    return code == 5 || code == 6;
}

// The other program: writes until a line "window <from> <to>" (monotonic nanoseconds) comes on standard input, then
// prints what it met within that span and ends. Each write takes the
// write lock first (BEGIN IMMEDIATE), so that the time it waited for the console is told apart from its own commit,
// which is the disk's.
int runWriter(const QString &file, int busyWaitMs)
{
    std::vector<Attempt> attempts;
    attempts.reserve(100000);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other program"));
        db.setDatabaseName(file);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyWaitMs));
        if (!db.open()) {
            std::fprintf(stderr, "writer: %s\n", qPrintable(db.lastError().text()));
            return 1;
        }
        QSqlQuery begin(db);
        QSqlQuery insert(db);
        QSqlQuery commit(db);
        QSqlQuery rollback(db);
        if (!begin.prepare(QStringLiteral("BEGIN IMMEDIATE")) ||
            !insert.prepare(QStringLiteral("INSERT INTO %1 (at) VALUES (?)").arg(WritesTable)) ||
            !commit.prepare(QStringLiteral("COMMIT")) || !rollback.prepare(QStringLiteral("ROLLBACK"))) {
            std::fprintf(stderr, "writer: %s\n", qPrintable(insert.lastError().text()));
            return 1;
        }
        std::printf("ready\n");
        std::fflush(stdout);
        pollfd input = {STDIN_FILENO, POLLIN, 0};
        while (::poll(&input, 1, 0) == 0) {
            Attempt attempt = {bench::nowNs(), 0, 0, false, false};
            const bool locked = begin.exec();
            const int64_t lockedAt = bench::nowNs();
            attempt.waitNs = lockedAt - attempt.atNs;
            if (locked) {
                insert.addBindValue(qint64(attempt.atNs));
                const bool inserted = insert.exec();
                const bool committed = inserted && commit.exec();
                attempt.commitNs = bench::nowNs() - lockedAt;
                if (!committed) {
                    attempt.refused = inserted && lockRefused(commit);
                    attempt.failed = !attempt.refused;
                    rollback.exec();
                }
            } else {
                attempt.refused = lockRefused(begin);
                attempt.failed = !attempt.refused;
            }
            attempts.push_back(attempt);
            ::usleep(1000);
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("other program"));
    char line[256] = {};
    long long from = 0;
    long long to = 0;
    if (!std::fgets(line, sizeof line, stdin) || std::sscanf(line, "window %lld %lld", &from, &to) != 2)
        return 1;
    const Met met = metWithin(attempts, from, to);
    std::printf("met %d %d %d %.3f %.3f\n", met.tries, met.refused, met.failed, met.longestWaitMs, met.longestCommitMs);
    std::fflush(stdout);
    return 0;
}

// --- The console ------------------------------------------------------------------------------------------------

class SlowFleet
{
public:
    bool start(int count, quint16 port, int spreadMs, const QString &outputPath)
    {
        m_process.setStandardOutputFile(outputPath);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(bench::PanelProcess::program(),
                        {QStringLiteral("--console"), QStringLiteral("127.0.0.1:%1").arg(port),
                         QStringLiteral("--count"), QString::number(count), QStringLiteral("--base-ip"),
                         bench::panelAddress(0), QStringLiteral("--first-serial"), QStringLiteral("1"),
                         QStringLiteral("--password"), QLatin1String(Password), QStringLiteral("--no-wol"),
                         QStringLiteral("--first-sync"), QStringLiteral("0"), QStringLiteral("--sync-answer-spread"),
                         QString::number(spreadMs)});
        return m_process.waitForStarted(5000);
    }
    ~SlowFleet()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }

private:
    QProcess m_process;
};

// The yardstick: the least a console that keeps the statuses holds the file for, given the same answers. The statuses
// of the panels whose answers the slow fleet gives at the same moments, gathered for at most 100 ms as the console
// gathers them and written each time in one transaction, through the console's own data store, statement and
// connection; no socket and no run around them. Returns when the last is written.
void runYardstick(const QList<quint32> &deviceIds, int spreadMs, int status)
{
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    const QString stamp = QDateTime::currentDateTime().toString(syncbench::StampFormat);
    const int count = deviceIds.size();
    QElapsedTimer clock;
    clock.start();
    int next = 0;
    QList<quint32> gathered;
    qint64 flushAt = -1;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.start(1);
    bench::runLoop(600000, [&](QEventLoop &loop) {
        QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
            const qint64 now = clock.elapsed();
            while (next < count && qint64(spreadMs) * next / count <= now) {
                gathered.append(deviceIds.at(next++));
                if (flushAt < 0)
                    flushAt = now + 100;
            }
            if (flushAt < 0 || now < flushAt)
                return;
            DbWriteBatch batch(db, "bench yardstick");
            for (const quint32 did : qAsConst(gathered))
                batch.write(QStringLiteral("status of device %1").arg(did), CmdServer::syncStatusKey(did),
                            [db, did, status, stamp] { return db->updateUserDeviceSyncStatus(did, status, stamp); });
            batch.finish();
            gathered.clear();
            flushAt = -1;
            if (next == count)
                loop.quit();
        });
    });
}

// The status the yardstick writes: another than Sync Now's, so that each writes every row anew.
constexpr int YardstickStatus = 3;
constexpr int SyncNowStatus = 1;

// The other program, started from here: it writes from start() until stop(), which returns what it met in the span
// given.
class OtherProgram
{
public:
    OtherProgram(const QString &databaseFile, int busyWaitMs) : m_file(databaseFile), m_busyWaitMs(busyWaitMs) {}

    bool start()
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(
            QCoreApplication::applicationFilePath(),
            {QStringLiteral("--writer"), m_file, QStringLiteral("--busy-ms"), QString::number(m_busyWaitMs)});
        if (m_process.waitForStarted(5000) && bench::readLine(m_process, 30000) == "ready")
            return true;
        std::fprintf(stderr, "the other program did not start\n");
        m_process.kill();
        m_process.waitForFinished(5000);
        return false;
    }
    bool stop(int64_t fromNs, int64_t toNs, Met *met)
    {
        m_process.write(QStringLiteral("window %1 %2\n").arg(fromNs).arg(toNs).toLatin1());
        const QList<QByteArray> fields = bench::readLine(m_process, 30000).split(' ');
        m_process.waitForFinished(10000);
        if (fields.size() != 6 || fields.at(0) != "met")
            return false;
        met->tries = fields.at(1).toInt();
        met->refused = fields.at(2).toInt();
        met->failed = fields.at(3).toInt();
        met->longestWaitMs = fields.at(4).toDouble();
        met->longestCommitMs = fields.at(5).toDouble();
        return true;
    }

private:
    QString m_file;
    int m_busyWaitMs;
    QProcess m_process;
};

// One writer's turn: beside the yardstick, then beside a Sync Now of the fleet.
struct Turn
{
    Met yardstick;
    Met subject;
    double runMs = 0;
    int yardstickRowsMissed = 0;
    int rowsMissed = 0;
};

bool runTurn(AccountOverview &overview, const QString &databaseFile, const QList<quint32> &deviceIds, int spreadMs,
             int busyWaitMs, Turn *turn)
{
    const QString setBack = setSyncTimesBack();
    if (setBack.isEmpty())
        return false;
    // Statuses the database refused for a while land before the rows are counted, and before the next part.
    DbHeldWrites *held = OrvantaDBManager::getInstance()->heldWrites();
    const auto heldLanded = [held] { return held->isEmpty(); };

    OtherProgram beside(databaseFile, busyWaitMs);
    if (!beside.start())
        return false;
    const int64_t yardstickFrom = bench::nowNs();
    runYardstick(deviceIds, spreadMs, YardstickStatus);
    if (!beside.stop(yardstickFrom, bench::nowNs(), &turn->yardstick))
        return false;
    bench::runUntil(heldLanded, 60000);
    turn->yardstickRowsMissed = syncbench::rowsWithout(YardstickStatus, setBack);

    OtherProgram during(databaseFile, busyWaitMs);
    if (!during.start())
        return false;
    bool finished = false;
    const auto done = QObject::connect(overview.syncRun(), &AccountSyncRun::runFinished, [&] { finished = true; });
    const int64_t subjectFrom = bench::nowNs();
    overview.btnSyncNow->click();
    bench::runLoop(600000, [&](QEventLoop &loop) {
        QObject::connect(overview.syncRun(), &AccountSyncRun::runFinished, &loop, &QEventLoop::quit);
        if (finished)
            QTimer::singleShot(0, &loop, &QEventLoop::quit);
    });
    const int64_t subjectTo = bench::nowNs();
    QObject::disconnect(done);
    turn->runMs = (subjectTo - subjectFrom) / 1e6;
    if (!during.stop(subjectFrom, subjectTo, &turn->subject))
        return false;
    bench::runUntil(heldLanded, 60000);
    turn->rowsMissed = syncbench::rowsWithout(SyncNowStatus, setBack);
    return finished;
}

// When SQLite's busy wait (sqlite3_busy_timeout) looks at the lock again, in ms after it was first refused: it sleeps
// 1, 2, 5, 10, 15, 20, 25, 25, 25, 50 and 50 ms, then 100 ms at a time. The first look after ms, and the last one at
// or before it (0 for none).
double busyLookAfter(double ms)
{
    static const int sleeps[] = {1, 2, 5, 10, 15, 20, 25, 25, 25, 50, 50};
    double at = 0;
    for (const int sleep : sleeps) {
        at += sleep;
        if (at > ms)
            return at;
    }
    while (at <= ms)
        at += 100;
    return at;
}

double busyLookAtOrBefore(double ms)
{
    double look = 0;
    for (double next = busyLookAfter(0); next <= ms; next = busyLookAfter(next))
        look = next;
    return look;
}

// Of the tries made; main() refuses a part with none before it judges.
double share(const Met &met)
{
    return met.tries > 0 ? double(met.refused) / met.tries : 1.0;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_NO_GLIB", "1");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bench::raiseFdLimit();
    const QStringList args = app.arguments();
    const auto value = [&](const char *option, const QString &fallback) {
        const QString given = bench::argValue(args, QLatin1String(option));
        return given.isEmpty() ? fallback : given;
    };
    if (args.contains(QStringLiteral("--writer")))
        return runWriter(value("--writer", QString()), value("--busy-ms", QStringLiteral("0")).toInt());

    const int panels = value("--panels", QStringLiteral("300")).toInt();
    const int users = value("--users", QStringLiteral("48")).toInt();
    const int spreadMs = value("--spread-ms", QStringLiteral("18000")).toInt();
    // As long as a run by default: the longest commit the disk makes in it is part of a target.
    if (panels < 1 || users < 1 || spreadMs < 0) {
        std::fprintf(stderr, "--panels and --users take 1 or more, --spread-ms 0 or more\n");
        return 1;
    }
    bench::ConsoleFixture fixture;
    if (!fixture.isValid() || !fixture.putDatabaseOnDisk(value("--db-folder", QCoreApplication::applicationDirPath()),
                                                         QStringLiteral("bench_sync_others")))
        return 1;
    QList<VelkIFPDevice> devices;
    for (int i = 0; i < panels; ++i)
        devices.append(bench::panelDevice(i, QLatin1String(Password)));
    if (!fixture.seedDevices(devices) || !syncbench::seedUsers(panels, users, panels) || !createOtherTable()) {
        std::fprintf(stderr, "seeding failed\n");
        return 1;
    }
    fixture.start(devices, QLatin1String(Password));
    isAdminLogin = true;
    AccountOverview overview;
    SlowFleet fleet;
    if (!fleet.start(panels, fixture.port(), spreadMs, fixture.folder() + QStringLiteral("/panels.txt")) ||
        !bench::runUntil([&] { return bench::onlineCount(devices) == panels; }, 60000)) {
        std::fprintf(stderr, "not every panel connected\n");
        return 1;
    }
    const QString databaseFile = OrvantaDBManager::getInstance()->databaseFilePath();
    std::printf("load average at the start: %s, %d CPUs online\n", qPrintable(bench::loadAverage()),
                int(sysconf(_SC_NPROCESSORS_ONLN)));
    std::printf("Sync Now of %d panels x %d users, answers spread over %d ms, beside another program writing the file "
                "every millisecond; dispatcher %s\n",
                panels, users, spreadMs, qPrintable(bench::dispatcherName()));
    std::printf("  database in %s (%s)\n", qPrintable(fixture.databaseFolder()),
                qPrintable(fixture.databaseFileSystem().name));
    std::fflush(stdout);

    const QList<quint32> deviceIds = syncbench::deviceIdsByRank(panels);
    Turn refusing;
    Turn waiting;
    if (!runTurn(overview, databaseFile, deviceIds, spreadMs, 0, &refusing) ||
        !runTurn(overview, databaseFile, deviceIds, spreadMs, LongBusyWaitMs, &waiting)) {
        std::fprintf(stderr, "a run did not end, or the other program did not report\n");
        return 1;
    }
    const auto line = [](const char *what, const Met &met) {
        std::printf(
            "  %-10s %6d tries, %5d refused (%5.2f %%), %d failed otherwise; longest wait for the lock %7.1f ms, "
            "longest commit of its own %7.1f ms\n",
            what, met.tries, met.refused, 100.0 * share(met), met.failed, met.longestWaitMs, met.longestCommitMs);
    };
    std::printf("the other program without a busy wait:\n");
    line("yardstick", refusing.yardstick);
    line("Sync Now", refusing.subject);
    std::printf("  Sync Now took %.0f ms\n", refusing.runMs);
    std::printf("the other program with a busy wait of %d ms:\n", LongBusyWaitMs);
    line("yardstick", waiting.yardstick);
    line("Sync Now", waiting.subject);
    std::printf("  Sync Now took %.0f ms\n", waiting.runMs);
    // A share of no tries, a reference the writer failed at for another reason than the lock, or rows that could not
    // be counted measure nothing: judged, the first would make a target of 100 %, the last a row count of -1.
    for (const Met *met : {&refusing.yardstick, &refusing.subject, &waiting.yardstick, &waiting.subject}) {
        if (met->tries == 0) {
            std::fprintf(stderr, "the other program made no try in a part\n");
            return 1;
        }
    }
    if (refusing.yardstick.failed > 0 || waiting.yardstick.failed > 0) {
        std::fprintf(stderr, "the other program failed beside the yardstick for another reason than the lock\n");
        return 1;
    }
    if (refusing.rowsMissed < 0 || waiting.rowsMissed < 0 || refusing.yardstickRowsMissed < 0 ||
        waiting.yardstickRowsMissed < 0) {
        std::fprintf(stderr, "the assignments could not be counted\n");
        return 1;
    }

    // Against the figures before, or what the yardstick met on this disk now where a slower disk made its commits,
    // and so the console's, take longer.
    const bool yardstickShare = share(refusing.yardstick) > PreviousRefusedShare;
    const double shareReference = yardstickShare ? share(refusing.yardstick) : PreviousRefusedShare;
    const int referenceTries = yardstickShare ? refusing.yardstick.tries : PreviousTries;
    // The refusals sample the time the console holds the lock: three standard errors of the difference between two
    // such shares, at the numbers of tries made, are what two runs alike may differ by.
    const double variance = shareReference * (1.0 - shareReference);
    const double sampling =
        3.0 * std::sqrt(variance / std::max(1, refusing.subject.tries) + variance / std::max(1, referenceTries));
    const double shareTarget = shareReference + sampling;
    const bool shareMet = refusing.subject.failed == 0 && share(refusing.subject) <= shareTarget;
    // SQLite's busy wait looks at the lock again only now and then (busyLookAfter()): 37 ms before was the look at
    // 33 ms and 4 ms for the writer to run. A hold a moment longer is seen a look later, at 53 ms, and a loaded machine
    // may take as long again to run the writer: the target is the look after that, with the same time to run.
    const double waitReference = std::max(PreviousLongestWaitMs, waiting.yardstick.longestWaitMs);
    const double lookReached = busyLookAtOrBefore(waitReference);
    const double waitTarget = busyLookAfter(busyLookAfter(lookReached)) + (waitReference - lookReached);
    const bool waitMet =
        waiting.subject.failed == 0 && waiting.subject.refused == 0 && waiting.subject.longestWaitMs <= waitTarget;
    const bool rowsMet = refusing.rowsMissed == 0 && waiting.rowsMissed == 0 && refusing.yardstickRowsMissed == 0 &&
                         waiting.yardstickRowsMissed == 0;
    std::printf("refused during Sync Now: %.2f %% (target <= %.2f %%: %.2f %% before, %.2f %% for the yardstick, the "
                "larger plus %.2f %% for sampling) %s\n",
                100.0 * share(refusing.subject), 100.0 * shareTarget, 100.0 * PreviousRefusedShare,
                100.0 * share(refusing.yardstick), 100.0 * sampling, shareMet ? "met" : "MISSED");
    std::printf(
        "longest wait for the lock during Sync Now: %.1f ms (target <= %.1f ms: %.0f ms before, %.1f ms for the "
        "yardstick, the larger two looks of the busy wait later) %s\n",
        waiting.subject.longestWaitMs, waitTarget, PreviousLongestWaitMs, waiting.yardstick.longestWaitMs,
        waitMet ? "met" : "MISSED");
    std::printf("the yardstick and every Sync Now wrote their status and a new time into all %d assignments: %s",
                panels * users, rowsMet ? "yes\n" : "NO, ");
    if (!rowsMet)
        std::printf("not written: yardstick %d and %d, Sync Now %d and %d\n", refusing.yardstickRowsMissed,
                    waiting.yardstickRowsMissed, refusing.rowsMissed, waiting.rowsMissed);
    std::printf("load average at the end: %s\n", qPrintable(bench::loadAverage()));
    const bool met = shareMet && waitMet && rowsMet;
    std::printf("bench_sync_others: %s\n", met ? "every target met" : "MISSED");
    return met ? 0 : 2;
}
