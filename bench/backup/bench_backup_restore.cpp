// The console's GUI thread while User Settings backs up and restores a large database. Measured where the operator
// feels it: how long the event loop stalls (bench::StallProbe, a 10 ms precise timer), during the whole of each.
//
// Scenario: the data store (in a temporary HOME, on the disk that holds the temporary folder) holds --rows event-log
// rows (default 3,000,000: about 150 MB, a console that has logged for years). User Settings (UserInfoDialog,
// offscreen, the save and open dialogs answered by a script) runs, in each of --rounds rounds (default 3):
//   - Backup to a file of the temporary folder, until its copy has ended;
//   - Restore of that backup, until the console would restart (the restart is replaced; the data store then opens
//     the restored file again, unmeasured).
// Baseline, in the same rounds: the live file copied byte for byte on the GUI thread (QFile::copy), the least a copy
// of it costs a thread. The rounds alternate the order (baseline, Backup, Restore; then Restore, Backup, baseline), so
// all see the same machine and the same page cache.
//
// Target: in every round, no stall of the event loop during Backup or Restore longer than 50 ms (clicks, keep-alives
// and SOS frames wait that long; the plain copy's stall is printed beside it, for scale). Every Backup must succeed,
// every Restore must reach the restart, and the restored database must hold every row; otherwise the run fails
// whatever its stalls. Exit code 0 when met, 2 when a stall misses the target or a step failed (as every benchmark
// here exits on a miss), 1 when the benchmark could not run (bad arguments, seeding failed).
//
// Usage: bench_backup_restore [--rows 3000000] [--rounds 3]

#include "bench/network/StallProbe.h"

#include "datastore/DatabaseFileOps.h"
#include "datastore/DatabaseManager.h"
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

namespace {

constexpr double kTargetStallMs = 50;

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
    UserInfoDialog::setRestartHandler([&restarts]() { ++restarts; });
    UserInfoDialog dialog(storedAccount(true));
    dialog.show();
    const QString backup = env.home() + QStringLiteral("/backup.db");
    const QString plain = env.home() + QStringLiteral("/plain-copy.db");

    std::printf("scenario: User Settings backs up and restores a database of %d event-log rows (%.1f MB), %d rounds;\n"
                "baseline: the same file copied byte for byte on the GUI thread\n",
                rows, megabytes, rounds);
    bench::StallProbe probe;
    bool failed = false;
    double worstPlain = 0;
    double worstBackup = 0;
    double worstRestore = 0;
    auto plainCopy = [&]() {
        QFile::remove(plain);
        const Measure m = measure(
            probe, [&]() { failed = !QFile::copy(live, plain) || failed; }, []() { return true; });
        worstPlain = std::max(worstPlain, m.stallMs);
        QFile::remove(plain);
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
        return m;
    };
    // Restore needs a backup before its first round.
    chooser.answer = backup;
    if (DatabaseFileOps::backup(live, backup) != DatabaseFileOps::Ok)
        return 2;

    std::printf("%-6s %28s %28s %28s\n", "round", "plain copy (GUI thread)", "Backup", "Restore");
    for (int round = 1; round <= rounds && !failed; ++round) {
        Measure p;
        Measure b;
        Measure r;
        if (round % 2 == 1) {
            p = plainCopy();
            b = backUp();
            r = restore();
        } else {
            r = restore();
            b = backUp();
            p = plainCopy();
        }
        std::printf("%-6d %9.0f ms, stall %7.1f ms %9.0f ms, stall %7.1f ms %9.0f ms, stall %7.1f ms\n", round, p.ms,
                    p.stallMs, b.ms, b.stallMs, r.ms, r.stallMs);
    }
    if (failed) {
        std::printf("BENCHMARK FAILED: a step did not do its whole work (see above)\n");
        return 2;
    }
    const bool met = worstBackup <= kTargetStallMs && worstRestore <= kTargetStallMs;
    std::printf("longest GUI stall, plain copy on the GUI thread (baseline): %.1f ms\n", worstPlain);
    std::printf("longest GUI stall during Backup:  %.1f ms (%.3f of the baseline), target <= %.0f ms %s\n", worstBackup,
                worstPlain > 0 ? worstBackup / worstPlain : 0.0, kTargetStallMs,
                worstBackup <= kTargetStallMs ? "OK" : "MISSED");
    std::printf("longest GUI stall during Restore: %.1f ms (%.3f of the baseline), target <= %.0f ms %s\n",
                worstRestore, worstPlain > 0 ? worstRestore / worstPlain : 0.0, kTargetStallMs,
                worstRestore <= kTargetStallMs ? "OK" : "MISSED");
    return met ? 0 : 2;
}
