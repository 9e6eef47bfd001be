// The console's GUI thread while User Settings backs up and restores a large database. Measured where the operator
// feels it: how long the event loop stalls (bench::StallProbe, a 10 ms precise timer), during the whole of each.
//
// Scenario: the data store (in a temporary HOME, on the disk that holds the temporary folder) holds --rows event-log
// rows (default 3,000,000: about 150 MB, a console that has logged for years). User Settings (UserInfoDialog,
// offscreen, the save and open dialogs answered by a script) runs, in each of --rounds rounds (default 3):
//   - Backup to a file of the temporary folder, until its copy has ended;
//   - Restore of that backup, until the console would restart (the restart is replaced; the data store then opens
//     the restored file again, unmeasured).
// Baselines, in the same rounds: the live file copied byte for byte on the GUI thread (QFile::copy), the least a copy
// of it costs a thread; and the backup's rows copied by SQLite alone into a new file of the console's tables (one
// INSERT ... SELECT per table, no journal), the least a restore that copies rows rather than bytes can cost. The
// rounds alternate the order (baselines, Backup, Restore; then Restore, Backup, baselines), so all see the same
// machine and the same page cache.
//
// Targets: in every round, no stall of the event loop during Backup or Restore longer than 50 ms (clicks, keep-alives
// and SOS frames wait that long; the plain copy's stall is printed beside it, for scale); and the fastest Restore at
// most 1.5 times the fastest bare row copy (what Restore does besides copying rows, its check of the file, the start-up
// steps on the copy, the swap, must not cost as much again; the fastest rounds of each, as the machine's other work
// lengthens single rounds of either). Every Backup must succeed, every Restore must reach the
// restart, and the restored database must hold every row; otherwise the run fails whatever its figures. Exit code 0
// when met, 2 when a target is missed or a step failed (as every benchmark here exits on a miss), 1 when the benchmark
// could not run (bad arguments, seeding failed, a baseline copy failed).
//
// Usage: bench_backup_restore [--rows 3000000] [--rounds 3]

#include "bench/network/StallProbe.h"

#include "datastore/DatabaseFileOps.h"
#include "datastore/DatabaseManager.h"
#include "datastore/DatabaseSchema.h"
#include "datastore/OrvantaDBManager.h"
#include "datastore/SqlTransaction.h"
#include "shell/app/UserInfoDialog.h"
#include "shell/kit/FileChooser.h"
#include "support/StoredAccount.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <sqlite3.h>

namespace {

constexpr double kTargetStallMs = 50;
constexpr double kTargetRestoreShare = 1.5;

// Answers the save and open dialogs with one file.
class ScriptedChooser : public FileChooser
{
public:
    QString answer;
    QString getSaveFileName(QWidget *, const QString &, const QString &, const QString &) override { return answer; }
    QString getOpenFileName(QWidget *, const QString &, const QString &, const QString &) override { return answer; }
};

struct Measure
{
    double ms = 0;
    double stallMs = 0;
};

// Runs start on the GUI thread with the stall probe ticking, then the event loop until ended() holds.
Measure measure(bench::StallProbe &probe, const std::function<void()> &start, const std::function<bool()> &ended)
{
    QElapsedTimer clock;
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, [&]() {
        if (ended())
            loop.quit();
    });
    probe.start();
    clock.start();
    start();
    poll.start();
    if (!ended())
        loop.exec();
    const double ms = clock.nsecsElapsed() / 1e6;
    poll.stop();
    probe.stop();
    return Measure{ms, probe.worstMs()};
}

// The bare row copy: every table of backup, its rows copied by SQLite into a new file at target made by the console's
// own statements, with no journal and no sync, on one connection. False when a statement failed.
bool bareRowCopy(const QString &backup, const QString &target)
{
    QFile::remove(target);
    sqlite3 *db = nullptr;
    bool done = sqlite3_open(QFile::encodeName(target).constData(), &db) == SQLITE_OK;
    auto run = [&](const QString &sql) {
        done = done && sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    };
    run(QStringLiteral("PRAGMA journal_mode = OFF"));
    run(QStringLiteral("PRAGMA synchronous = OFF"));
    run(QStringLiteral("ATTACH 'file:%1?mode=ro&immutable=1' AS src").arg(backup));
    run(QStringLiteral("BEGIN"));
    for (const QString &table : DatabaseSchema::tableNames()) {
        run(DatabaseSchema::createStatement(table));
        run(QStringLiteral("INSERT INTO main.%1 SELECT * FROM src.%1").arg(table));
    }
    run(QStringLiteral("COMMIT"));
    sqlite3_close(db);
    QFile::remove(target);
    return done;
}

bool seed(int rows)
{
    QSqlDatabase db = QSqlDatabase::database();
    SqlTransaction transaction(db, "seed");
    QSqlQuery insert(db);
    if (!insert.prepare(QStringLiteral("INSERT INTO EventLog (deviceName, event, time) VALUES (?, ?, ?)")))
        return false;
    for (int n = 0; n < rows; ++n) {
        insert.addBindValue(QStringLiteral("Panel %1, B wing").arg(n % 5000, 4, 10, QLatin1Char('0')));
        insert.addBindValue(n % 7);
        insert.addBindValue(QStringLiteral("2024-%1-%2 07:%3:00")
                                .arg(1 + n % 12, 2, 10, QLatin1Char('0'))
                                .arg(1 + n % 28, 2, 10, QLatin1Char('0'))
                                .arg(n % 60, 2, 10, QLatin1Char('0')));
        if (!insert.exec()) {
            std::fprintf(stderr, "seeding: %s\n", qPrintable(insert.lastError().text()));
            return false;
        }
    }
    insert.finish();
    return transaction.commit();
}

int eventRows()
{
    QSqlQuery count(QSqlDatabase::database());
    return count.exec(QStringLiteral("SELECT count(*) FROM EventLog")) && count.next() ? count.value(0).toInt() : -1;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The console's own event dispatcher, not the GLib one.
    if (qEnvironmentVariableIsEmpty("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", "1");
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    TestEnv env;
    int rows = 3000000;
    int rounds = 3;
    const QStringList arguments = app.arguments();
    for (int i = 1; i + 1 < arguments.size(); i += 2) {
        if (arguments.at(i) == QLatin1String("--rows"))
            rows = arguments.at(i + 1).toInt();
        else if (arguments.at(i) == QLatin1String("--rounds"))
            rounds = arguments.at(i + 1).toInt();
    }
    if (rows <= 0 || rounds <= 0) {
        std::fprintf(stderr, "usage: bench_backup_restore [--rows 3000000] [--rounds 3]\n");
        return 1;
    }

    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    DatabaseManager *manager = static_cast<OrvantaDBManager *>(db)->databaseManager();
    const QString live = DatabaseFileOps::liveDatabasePath();
    if (!seed(rows))
        return 1;
    const double megabytes = QFileInfo(live).size() / 1e6;

    ScriptedChooser chooser;
    FileChooser::setInstance(&chooser);
    int restarts = 0;
    UserInfoDialog::setRestartHandler([&restarts](const QStringList &) { ++restarts; });
    UserInfoDialog dialog(storedAccount(true));
    dialog.show();
    const QString backup = env.home() + QStringLiteral("/backup.db");
    const QString plain = env.home() + QStringLiteral("/plain-copy.db");

    std::printf("scenario: User Settings backs up and restores a database of %d event-log rows (%.1f MB), %d rounds;\n"
                "baselines: the same file copied byte for byte on the GUI thread; the backup's rows copied by SQLite "
                "alone into a new file\n",
                rows, megabytes, rounds);
    bench::StallProbe probe;
    bool failed = false;
    double worstPlain = 0;
    double worstBackup = 0;
    double worstRestore = 0;
    // A baseline that did not do its work measured nothing: the benchmark could not run, the console missed nothing.
    bool baselineFailed = false;
    double fastestBare = 0;
    double fastestRestore = 0;
    auto plainCopy = [&]() {
        QFile::remove(plain);
        const Measure m = measure(
            probe, [&]() { baselineFailed = !QFile::copy(live, plain) || baselineFailed; }, []() { return true; });
        worstPlain = std::max(worstPlain, m.stallMs);
        QFile::remove(plain);
        return m;
    };
    const QString bareTarget = env.home() + QStringLiteral("/bare-copy.db");
    auto bareCopy = [&]() {
        const Measure m = measure(
            probe, [&]() { baselineFailed = !bareRowCopy(backup, bareTarget) || baselineFailed; },
            []() { return true; });
        fastestBare = fastestBare > 0 ? std::min(fastestBare, m.ms) : m.ms;
        return m;
    };
    auto backUp = [&]() {
        chooser.answer = backup;
        const Measure m = measure(
            probe, [&]() { dialog.backupDb(); }, [&]() { return !dialog.isCopying(); });
        if (QFileInfo(backup).size() < QFileInfo(live).size() / 2) {
            std::fprintf(stderr, "the backup was not written\n");
            failed = true;
        }
        worstBackup = std::max(worstBackup, m.stallMs);
        return m;
    };
    auto restore = [&]() {
        chooser.answer = backup;
        const int before = restarts;
        const Measure m = measure(
            probe, [&]() { dialog.restoreDb(); }, [&]() { return !dialog.isCopying(); });
        if (restarts != before + 1) {
            std::fprintf(stderr, "the restore did not reach the restart\n");
            failed = true;
        }
        // What the restart does: the data store opens the restored file.
        manager->openDatabase();
        QFile::remove(DatabaseFileOps::keptPath(live));
        if (eventRows() != rows) {
            std::fprintf(stderr, "the restored database holds %d rows\n", eventRows());
            failed = true;
        }
        worstRestore = std::max(worstRestore, m.stallMs);
        fastestRestore = fastestRestore > 0 ? std::min(fastestRestore, m.ms) : m.ms;
        return m;
    };
    // Restore needs a backup before its first round.
    chooser.answer = backup;
    if (DatabaseFileOps::backup(live, backup) != DatabaseFileOps::Ok)
        return 2;

    std::printf("%-6s %28s %16s %28s %28s\n", "round", "plain copy (GUI thread)", "bare row copy", "Backup", "Restore");
    for (int round = 1; round <= rounds && !failed && !baselineFailed; ++round) {
        Measure p;
        Measure c;
        Measure b;
        Measure r;
        if (round % 2 == 1) {
            p = plainCopy();
            c = bareCopy();
            b = backUp();
            r = restore();
        } else {
            r = restore();
            b = backUp();
            c = bareCopy();
            p = plainCopy();
        }
        std::printf("%-6d %9.0f ms, stall %7.1f ms %13.0f ms %9.0f ms, stall %7.1f ms %9.0f ms, stall %7.1f ms\n",
                    round, p.ms, p.stallMs, c.ms, b.ms, b.stallMs, r.ms, r.stallMs);
    }
    if (failed) {
        std::printf("BENCHMARK FAILED: a step did not do its whole work (see above)\n");
        return 2;
    }
    if (baselineFailed) {
        std::fprintf(stderr, "a baseline copy failed: the plain copy or the bare row copy did not do its whole work\n");
        return 1;
    }
    const double restoreShare = fastestRestore / fastestBare;
    const bool met =
        worstBackup <= kTargetStallMs && worstRestore <= kTargetStallMs && restoreShare <= kTargetRestoreShare;
    std::printf("longest GUI stall, plain copy on the GUI thread (baseline): %.1f ms\n", worstPlain);
    std::printf("longest GUI stall during Backup:  %.1f ms (%.3f of the baseline), target <= %.0f ms %s\n", worstBackup,
                worstPlain > 0 ? worstBackup / worstPlain : 0.0, kTargetStallMs,
                worstBackup <= kTargetStallMs ? "OK" : "MISSED");
    std::printf("longest GUI stall during Restore: %.1f ms (%.3f of the baseline), target <= %.0f ms %s\n",
                worstRestore, worstPlain > 0 ? worstRestore / worstPlain : 0.0, kTargetStallMs,
                worstRestore <= kTargetStallMs ? "OK" : "MISSED");
    std::printf("fastest Restore %.0f ms, fastest bare row copy (baseline) %.0f ms: %.2f of the baseline, target <= "
                "%.1f %s\n",
                fastestRestore, fastestBare, restoreShare, kTargetRestoreShare,
                restoreShare <= kTargetRestoreShare ? "OK" : "MISSED");
    return met ? 0 : 2;
}
