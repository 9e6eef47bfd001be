// The data store's answer to a database it cannot write for a while: another program holds it (a second SQLite
// connection on a thread of its own, with the write lock and an unsaved change, or with a read transaction). A write
// waits the short busy wait once; then it, and every write after it, is held in order and written when the database
// takes writes again. Nothing is lost but what is refused for its own values, nothing is written twice, and the log
// tells the episode once.

#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "datastore/DatabaseManager.h"
#include "datastore/DbHeldWrites.h"
#include "datastore/DbReadRetry.h"
#include "datastore/DbResult.h"
#include "datastore/DbWriteBatch.h"
#include "datastore/HeldWriteGiveUp.h"
#include "datastore/OrvantaDBManager.h"
#include "datastore/SqlTransaction.h"
#include "support/DatabaseHold.h"
#include "support/HeldEventRow.h"
#include "support/LogCapture.h"
#include "support/SmallDisk.h"
#include "support/TestEnv.h"
#include "support/TryCeiling.h"

#include <csignal>
#include <sys/types.h>

namespace {

// A write of one group, as a batch gets it: everything it needs captured by value.
DbWriteBatch::Write groupWrite(OrvantaDBIntf *db, const QString &name)
{
    return [db, name] {
        VelkGroups group;
        group.groupName = name;
        group.groupType = QStringLiteral("Control Box");
        return db->createGroups(group);
    };
}

} // namespace

class TestDatastoreHeldWrites : public QObject
{
    Q_OBJECT

private:
    TestEnv m_env;
    int m_serial = 0;
    OrvantaDBManager *m_db = nullptr;

    QString file() const { return m_db->databaseFilePath(); }
    // The groups as stored, in the order they were written.
    QStringList groups() const
    {
        QStringList names;
        QSqlQuery query(m_db->databaseManager()->connection());
        if (query.exec(QStringLiteral("SELECT groupName FROM Groups ORDER BY gid"))) {
            while (query.next())
                names << query.value(0).toString();
        }
        return names;
    }
    QString adminEmail() const
    {
        QList<VelkAccount> accounts;
        m_db->queryAccount(accounts);
        for (const VelkAccount &account : qAsConst(accounts)) {
            if (account.isAdmin)
                return account.email;
        }
        return QString();
    }
    DbWriteBatch::Write emailWrite(const QString &email) const
    {
        return [db = m_db, email] {
            QList<VelkAccount> accounts;
            if (db->queryAccount(accounts) != DB_OK || accounts.isEmpty())
                return DB_STATEMENT_FAILED;
            VelkAccount admin = accounts.first();
            for (const VelkAccount &account : qAsConst(accounts)) {
                if (account.isAdmin)
                    admin = account;
            }
            admin.email = email;
            return db->updateAccount(admin);
        };
    }

    // The event-log rows the held writes below leave.
    int eventRows() const
    {
        QSqlQuery query(m_db->databaseManager()->connection());
        return query.exec(QStringLiteral("SELECT count(*) FROM EventLog")) && query.next() ? query.value(0).toInt()
                                                                                           : -1;
    }
    // Held writes made while the database refuses them, each a row that names its panel and the panel's row read
    // when the write runs, as report rows are written.
    void holdEventRows(int rows)
    {
        for (int i = 0; i < rows; ++i) {
            m_db->heldWrites()->writeLater("test", QStringLiteral("event %1").arg(i), [db = m_db, i] {
                VelkGroups group;
                group.groupName = QStringLiteral("Panel %1").arg(i);
                group.groupType = QStringLiteral("Control Box");
                const quint32 rc = db->createGroups(group);
                if (rc != DB_OK)
                    return rc;
                VelkEventLog event;
                event.deviceName = group.groupName;
                event.time = QStringLiteral("2026-03-02 09:15:00");
                return db->insertEventLog(event);
            });
        }
    }
    // A group renamed: set by its id, as held writes set only what their caller changed.
    DbWriteBatch::Write renameWrite(quint32 gid, const QString &name) const
    {
        return [db = m_db, gid, name] {
            return sqlRun(db->databaseManager()->connection(),
                          QStringLiteral("UPDATE Groups SET groupName = ? WHERE gid = ?"), {name, gid}, "test rename")
                       ? DB_OK
                       : DB_STATEMENT_FAILED;
        };
    }

private slots:
    void initTestCase() { QVERIFY(m_env.isValid()); }

    void init()
    {
        const QString data = m_env.home() + QStringLiteral("/held%1/Quorvin").arg(++m_serial);
        m_db = new OrvantaDBManager(data, QStringLiteral("held%1").arg(m_serial));
        QCOMPARE(m_db->databaseManager()->openState(), DatabaseManager::Ready);
        m_db->heldWrites()->setRetryIntervalMs(20, 20);
    }

    void cleanup()
    {
        delete m_db;
        m_db = nullptr;
    }

    // A scope that writes, begun while another connection holds the write lock for a moment: it waits and writes.
    // Begun as a reader, its first write met the lock and failed at once, without the wait: SQLite does not let a
    // reader wait for a writer that may be waiting for it.
    void writeScopesWaitForTheHolder_data()
    {
        QTest::addColumn<bool>("readsFirst");
        QTest::newRow("one operation") << false;
        QTest::newRow("a scope that reads before it writes") << true;
    }
    void writeScopesWaitForTheHolder()
    {
        QFETCH(bool, readsFirst);
        m_db->databaseManager()->setBusyWaitMs(20000);
        DatabaseHold hold(file(), DatabaseHold::Writer, 300);
        QVERIFY2(hold.isHeld(), qPrintable(hold.error()));
        VelkIFPDevice device;
        device.deviceName = QStringLiteral("Hall");
        device.macAddress = QStringLiteral("00:11:22:33:44:55");
        device.deviceType = QStringLiteral("Control Box");
        if (readsFirst) {
            DbTransaction transaction = m_db->transaction("test scope");
            QVERIFY(transaction.isActive());
            QList<VelkIFPDevice> devices;
            QCOMPARE(m_db->queryAllAvailableIFP(devices), DB_OK);
            QCOMPARE(m_db->createIFPDevice(device), DB_OK);
            QVERIFY(transaction.commit());
        } else {
            QCOMPARE(m_db->createIFPDevice(device), DB_OK);
        }
        QList<VelkIFPDevice> stored;
        QCOMPARE(m_db->queryAllAvailableIFP(stored), DB_OK);
        QCOMPARE(stored.size(), 1);
        QCOMPARE(stored.first().deviceName, QStringLiteral("Hall"));
    }

    // Four writes in one batch while a backup tool reads the file: the commit waits for the reader once and is
    // refused. Written again one by one, each waited as long again and was refused again, and the console stood
    // still five busy waits. The batch holds them instead; they are written, in order, once the reader is done,
    // and the refusals are told once, not at every try.
    void batchBesideAReaderWaitsOnce()
    {
        const int busyWaitMs = 1500;
        m_db->databaseManager()->setBusyWaitMs(busyWaitMs);
        LogCapture log;
        DatabaseHold reader(file(), DatabaseHold::Reader);
        QVERIFY2(reader.isHeld(), qPrintable(reader.error()));
        QElapsedTimer held;
        held.start();
        {
            DbWriteBatch batch(m_db, "test batch");
            for (int i = 1; i <= 4; ++i)
                QCOMPARE(
                    batch.write(QStringLiteral("group %1").arg(i), groupWrite(m_db, QStringLiteral("Held-%1").arg(i))),
                    DB_OK);
            QVERIFY(batch.finish());
            for (int i = 0; i < 4; ++i)
                QVERIFY(batch.isHeld(i));
        }
        const qint64 stood = held.elapsed();
        QVERIFY2(stood < 2 * busyWaitMs, qPrintable(QString::number(stood)));
        QCOMPARE(m_db->heldWrites()->count(), 4);
        QCOMPARE(groups(), QStringList());

        // Tries every 20 ms while the reader holds: none of them logs. The refused commit wrote no line of its own
        // either: one line begins the episode.
        QTest::qWait(300);
        QCOMPARE(m_db->heldWrites()->count(), 4);
        QCOMPARE(log.count(QStringLiteral("database is locked")), 0);
        QCOMPARE(log.count(QStringLiteral("writes are held")), 1);

        reader.release();
        QTRY_COMPARE(groups(), (QStringList{"Held-1", "Held-2", "Held-3", "Held-4"}));
        QCOMPARE(m_db->heldWrites()->count(), 0);
        const QStringList ended = log.linesWith(QStringLiteral("the database takes writes again"));
        QCOMPARE(ended.size(), 1);
        QVERIFY2(ended.first().endsWith(QStringLiteral("4 held writes written, 0 lost")), qPrintable(ended.first()));
        QVERIFY(!log.contains(QStringLiteral("not kept")));
    }

    // While writes are held, later ones wait behind them without a wait of their own, whoever writes them: a later
    // address overwrites an earlier one and not the other way round, and a write refused for its own values (a group
    // name taken by a write held before it) is lost alone, by name.
    void heldWritesKeepTheirOrder()
    {
        const int busyWaitMs = 1500;
        m_db->databaseManager()->setBusyWaitMs(busyWaitMs);
        LogCapture log;
        DatabaseHold writer(file(), DatabaseHold::Writer);
        QVERIFY2(writer.isHeld(), qPrintable(writer.error()));
        {
            DbWriteBatch first(m_db, "first batch");
            first.write(QStringLiteral("address"), emailWrite(QStringLiteral("first@school.example")));
            first.write(QStringLiteral("group Kept"), groupWrite(m_db, QStringLiteral("Kept")));
        }
        QElapsedTimer behind;
        behind.start();
        {
            DbWriteBatch second(m_db, "second batch");
            QCOMPARE(second.write(QStringLiteral("group Kept again"), groupWrite(m_db, QStringLiteral("Kept"))), DB_OK);
            second.write(QStringLiteral("address"), emailWrite(QStringLiteral("second@school.example")));
            QVERIFY(second.isHeld(0) && second.isHeld(1));
        }
        holdEventRow(m_db, "test", QStringLiteral("event"), QStringLiteral("Hall"),
                     QStringLiteral("2026-03-02 09:15:00"));
        QVERIFY2(behind.elapsed() < busyWaitMs, qPrintable(QString::number(behind.elapsed())));
        QCOMPARE(m_db->heldWrites()->count(), 5);

        writer.release();
        QTRY_COMPARE(m_db->heldWrites()->count(), 0);
        QCOMPARE(adminEmail(), QStringLiteral("second@school.example"));
        QCOMPARE(groups(), QStringList{"Kept"});
        QList<VelkEventLog> events;
        QCOMPARE(m_db->queryEventLog(events), DB_OK);
        QCOMPARE(events.size(), 1);
        const QStringList notKept = log.linesWith(QStringLiteral("not kept"));
        QCOMPARE(notKept.size(), 1);
        QVERIFY2(notKept.first().endsWith(QStringLiteral("not kept: second batch: group Kept again")),
                 qPrintable(notKept.first()));
        QVERIFY(log.linesWith(QStringLiteral("the database takes writes again"))
                    .value(0)
                    .endsWith(QStringLiteral("4 held writes written, 1 lost")));
    }

    // A read refused because another program holds the file exclusively (an SQLite browser saving a large change, a
    // VACUUM) says so: what it would have read is not known yet, which a caller must not take for "nothing there".
    // The answer is about the operation just made: it kept saying "refused for now" after a read was given, or a guard
    // refused the arguments, until the next transaction began.
    void readsRefusedForNowSayWhy()
    {
        m_db->databaseManager()->setBusyWaitMs(50);
        VelkGroups group;
        group.groupName = QStringLiteral("Hall");
        group.groupType = QStringLiteral("Control Box");
        QCOMPARE(m_db->createGroups(group), DB_OK);
        QList<VelkGroups> full{group};
        {
            DatabaseHold exclusive(file(), DatabaseHold::Exclusive);
            QVERIFY2(exclusive.isHeld(), qPrintable(exclusive.error()));
            QList<VelkGroups> groups;
            QVERIFY(m_db->queryAllGroup(groups) != DB_OK);
            QVERIFY(m_db->refusedForNow());
            QCOMPARE(m_db->queryAllGroup(full), DB_BAD_ARGUMENT);
            QVERIFY(!m_db->refusedForNow());
        }
        QList<VelkGroups> groups;
        QCOMPARE(m_db->queryAllGroup(groups), DB_OK);
        QCOMPARE(groups.size(), 1);
        QVERIFY(!m_db->refusedForNow());
    }

    // Another program holds the file exclusively for longer than anyone waits. The first read waits the busy wait in
    // vain and says so; the reads of every other caller waited as long again, each with a log line (four timed
    // callers due in the same minute kept an SOS unanswered for a second), and a caller read again every 16 s at
    // most for as long as the hold lasted. Once one read is refused, the others are refused at once and quietly,
    // the caller's pauses double up to 64 s, and the next hold is told again.
    void refusedReadsWaitBrieflyAndAreToldOncePerHold()
    {
        // A read refused at once takes a few milliseconds: half of this busy wait is room for a loaded machine, and
        // well short of a read that waited it out.
        const int busyWaitMs = 2400;
        m_db->databaseManager()->setBusyWaitMs(busyWaitMs);
        LogCapture log;
        DbReadRetry reread(m_db->heldWrites());
        QTimer *pause = reread.findChild<QTimer *>();
        QVERIFY(pause);
        int reads = 0;
        qint64 longest = 0;
        const auto read = [&] {
            QElapsedTimer took;
            took.start();
            QList<VelkGroups> groups;
            const bool given = m_db->queryAllGroup(groups) == DB_OK;
            if (++reads > 1)
                longest = qMax(longest, took.elapsed());
            return given;
        };
        connect(&reread, &DbReadRetry::retry, this, [&] {
            if (read())
                reread.done();
            else if (m_db->refusedForNow())
                reread.later();
        });
        auto exclusive = std::make_unique<DatabaseHold>(file(), DatabaseHold::Exclusive);
        QVERIFY2(exclusive->isHeld(), qPrintable(exclusive->error()));
        QVERIFY(!read());
        QVERIFY(m_db->refusedForNow());
        QVERIFY(reread.later());
        QCOMPARE(reread.pauseMs(), DbReadRetry::kFirstIntervalMs);
        // Other callers meanwhile.
        QList<VelkAccount> accounts;
        QVERIFY(m_db->queryAccount(accounts) != DB_OK);
        QVERIFY(m_db->refusedForNow());
        QList<VelkIFPDevice> devices;
        QVERIFY(m_db->queryAllAvailableIFP(devices) != DB_OK);
        // A hold of an hour, the timer moved on at each pause.
        QList<int> pauses;
        for (int i = 0; i < 60; ++i) {
            QVERIFY(pause->isActive());
            pauses.append(pause->interval());
            pause->stop();
            QMetaObject::invokeMethod(pause, "timeout");
            QVERIFY(!reread.later());
        }
        QCOMPARE(pauses.mid(0, 8), (QList<int>{1000, 2000, 4000, 8000, 16000, 32000, 64000, 64000}));
        QCOMPARE(pauses.last(), DbReadRetry::kLongestIntervalMs);
        QVERIFY2(longest < busyWaitMs / 2, qPrintable(QString::number(longest)));
        const QStringList told = log.linesWith(QStringLiteral("database is locked"));
        QCOMPARE(told.size(), 1);
        QVERIFY2(told.first().contains(QStringLiteral("reads wait 20 ms")), qPrintable(told.first()));

        exclusive.reset();
        pause->stop();
        QMetaObject::invokeMethod(pause, "timeout");
        QVERIFY(!reread.isWaiting());
        QCOMPARE(reread.pauseMs(), DbReadRetry::kFirstIntervalMs);
        // A read given ends the episode: under the next hold a read waits as long as it may again, and the hold is
        // told again.
        exclusive = std::make_unique<DatabaseHold>(file(), DatabaseHold::Exclusive);
        QVERIFY2(exclusive->isHeld(), qPrintable(exclusive->error()));
        QElapsedTimer waited;
        waited.start();
        QList<VelkGroups> groups;
        QVERIFY(m_db->queryAllGroup(groups) != DB_OK);
        QVERIFY2(waited.elapsed() >= busyWaitMs - 100, qPrintable(QString::number(waited.elapsed())));
        QVERIFY(reread.later());
        QCOMPARE(log.linesWith(QStringLiteral("database is locked")).size(), 2);
    }

    // SIGTERM (or Ctrl+C) while an SOS's Event Log row is held: another program held the file when the row came, and
    // has let go since, but the next try is far off. The quit must write what the database takes before the process
    // ends, and end it as Exit does: left to a try that never comes, the row is lost.
    void quitSignalWritesWhatTheDatabaseTakes()
    {
        const QString data = m_env.home() + QStringLiteral("/quit/Quorvin");
        QProcess probe;
        probe.start(QStringLiteral(QV_QUIT_PROBE), {data});
        QVERIFY(probe.waitForStarted(QuorvinTryCeilingMs));
        QByteArray output;
        // Whether the probe said what, or ended.
        const auto said = [&](const char *what) {
            output += probe.readAllStandardOutput();
            return output.contains(what) || probe.state() == QProcess::NotRunning;
        };
        const auto fileLineEnd = [&] {
            const int file = output.indexOf("file ");
            return file < 0 ? -1 : output.indexOf('\n', file);
        };
        QTRY_VERIFY(said("file ") && (fileLineEnd() > 0 || probe.state() == QProcess::NotRunning));
        QVERIFY2(fileLineEnd() > 0, output.constData());
        const int at = output.indexOf("file ") + 5;
        const QString file = QString::fromLocal8Bit(output.mid(at, output.indexOf('\n', at) - at));
        DatabaseHold other(file, DatabaseHold::Writer);
        QVERIFY2(other.isHeld(), qPrintable(other.error()));
        probe.write("held\n");
        QTRY_VERIFY(said("ready ") || said("written at once"));
        QVERIFY2(output.contains("ready 1\n"), output.constData());

        other.release();
        QVERIFY(::kill(pid_t(probe.processId()), SIGTERM) == 0);
        QVERIFY(probe.waitForFinished(QuorvinTryCeilingMs));
        QCOMPARE(probe.exitStatus(), QProcess::NormalExit);
        QCOMPARE(probe.exitCode(), 0);
        output += probe.readAllStandardOutput();
        QVERIFY2(output.contains("held 0\n"), output.constData());
        {
            QSqlDatabase side = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("quit-side"));
            side.setDatabaseName(file);
            QVERIFY(side.open());
            QSqlQuery query(side);
            QVERIFY(query.exec(QStringLiteral("SELECT deviceName FROM EventLog")));
            QStringList rows;
            while (query.next())
                rows << query.value(0).toString();
            QCOMPARE(rows, QStringList{"Gym"});
        }
        QSqlDatabase::removeDatabase(QStringLiteral("quit-side"));
    }

    // Which held write the file refuses may be given up (HeldWriteGiveUp), try by try, as the held writes ask it: the
    // refusals a write must wait through every day (a disk with a few KiB or a few MiB left, another program's hold,
    // an I/O error, a file that may not be written) beside the one write refused of its own while the disk has room
    // and other writes commit (an Event Log counter at its end), which alone is given up. Each word of tries is one
    // try that refuses the write: "commits" (writes commit since the last), "alone" (none did), "othersRefused" (the
    // writes tried past it are refused too), "filled" (the disk has 8 KiB left at that try). An Exit meanwhile names
    // the cause ("told"): another program's hold was named for every refusal, a full disk's too.
    void heldWriteIsGivenUpOnlyWhenRefusedOfItsOwn_data()
    {
        QTest::addColumn<int>("refusal"); // DbFailure
        QTest::addColumn<bool>("byAnotherConnection");
        QTest::addColumn<qint64>("available"); // bytes free on the disk
        QTest::addColumn<qint64>("fileSize");  // of the database file
        QTest::addColumn<QStringList>("tries");
        QTest::addColumn<int>("givenUpAt"); // the try it is given up at, from 1; 0: it waits
        QTest::addColumn<int>("told");      // DbHoldCause
        const qint64 kib = 1024;
        const qint64 mib = 1024 * kib;
        const qint64 room = qint64(10) * 1024 * mib;
        const int full = int(DbFailure::DiskFull);
        const int storage = int(DbFailure::Storage);
        const int diskFull = int(DbHoldCause::DiskFull);
        const int fileError = int(DbHoldCause::FileError);
        const QStringList commits{"commits", "commits", "commits", "commits", "commits"};
        QTest::newRow("a disk with 8 KiB left") << full << false << 8 * kib << 2 * mib << commits << 0 << diskFull;
        QTest::newRow("a disk with 24 KiB left") << full << false << 24 * kib << 2 * mib << commits << 0 << diskFull;
        QTest::newRow("a disk with 3 MiB left") << full << false << 3 * mib << 2 * mib << commits << 0 << diskFull;
        QTest::newRow("a disk with 4 MiB and the file's size left, less a byte")
            << full << false << 6 * mib - 1 << 2 * mib << commits << 0 << diskFull;
        QTest::newRow("a 3 GiB file, 2 GiB left")
            << full << false << 2048 * mib << 3072 * mib << commits << 0 << diskFull;
        QTest::newRow("another program holds the file")
            << storage << true << room << 2 * mib << commits << 0 << int(DbHoldCause::AnotherProgram);
        QTest::newRow("an I/O error") << storage << false << room << 2 * mib << commits << 0 << fileError;
        QTest::newRow("a file that may not be written")
            << int(DbFailure::ReadOnly) << false << room << 2 * mib << commits << 0 << fileError;
        QTest::newRow("full while the disk has room, others commit")
            << full << false << room << 2 * mib << QStringList{"commits", "commits", "commits"} << 3 << diskFull;
        QTest::newRow("full with 4 MiB and the file's size left")
            << full << false << 6 * mib << 2 * mib << commits << 3 << diskFull;
        QTest::newRow("full, alone behind one commit")
            << full << false << room << 2 * mib << QStringList{"commits", "alone", "alone"} << 3 << diskFull;
        QTest::newRow("full, nothing committed")
            << full << false << room << 2 * mib << QStringList{"alone", "alone", "alone", "alone", "alone"} << 0
            << diskFull;
        QTest::newRow("full, the writes tried past it refused once")
            << full << false << room << 2 * mib
            << QStringList{"commits", "commits", "othersRefused", "commits", "commits", "commits"} << 6 << diskFull;
        QTest::newRow("full, the disk filled for a try")
            << full << false << room << 2 * mib
            << QStringList{"commits", "commits", "filled", "commits", "commits", "commits"} << 6 << diskFull;
    }
    void heldWriteIsGivenUpOnlyWhenRefusedOfItsOwn()
    {
        QFETCH(int, refusal);
        QFETCH(bool, byAnotherConnection);
        QFETCH(qint64, available);
        QFETCH(qint64, fileSize);
        QFETCH(QStringList, tries);
        QFETCH(int, givenUpAt);
        QFETCH(int, told);
        QCOMPARE(DbHeldWrites::holdCauseOf(DbFailure(refusal), byAnotherConnection), DbHoldCause(told));
        HeldWriteGiveUp giveUp;
        int givenUp = 0;
        for (int n = 0; n < tries.size() && givenUp == 0; ++n) {
            const QString &now = tries.at(n);
            const bool room =
                HeldWriteGiveUp::roomForAnyWrite(now == QLatin1String("filled") ? 8 * 1024 : available, fileSize);
            if (!HeldWriteGiveUp::triedPast(DbFailure(refusal), byAnotherConnection, room)) {
                // Refused for now: it and the writes behind it wait, and counting starts again.
                giveUp.reset();
                continue;
            }
            if (giveUp.refusedAgain(now == QLatin1String("commits"), now == QLatin1String("othersRefused")))
                givenUp = n + 1;
        }
        QCOMPARE(givenUp, givenUpAt);
    }

    // A disk left 8 to 16 KiB free refuses every held write, while a write that journals one page and is rolled back
    // still passed there: taken for proof that the database takes other writes, it had an SOS's Event Log row and a
    // run's report rows given up after three tries. With a few KiB more, a write of two pages commits while the rows
    // spread over several pages are refused: other writes committing is no proof either. They wait for room, in
    // order, and are written once it is freed. Beside them, on a disk with room, an Event Log row whose AUTOINCREMENT
    // counter is at its end: the writes behind it are written while it is refused, and it alone is given up, and told.
    // A database reached through a symbolic link (to the file, or to its folder) from a roomy disk lives on the small
    // one: its room was measured where the link lies, and report rows were given up there.
    void heldWritesWaitForRoomOnANearlyFullDisk_data()
    {
        QTest::addColumn<qint64>("freeBytes"); // -1: the disk has room
        QTest::addColumn<bool>("counterAtItsEnd");
        QTest::addColumn<QString>("link"); // how the file is reached from a roomy disk: "file", "folder", or not
        QTest::newRow("8 KiB free") << qint64(8 * 1024) << false << QString();
        QTest::newRow("12 KiB free") << qint64(12 * 1024) << false << QString();
        QTest::newRow("16 KiB free") << qint64(16 * 1024) << false << QString();
        QTest::newRow("24 KiB free") << qint64(24 * 1024) << false << QString();
        QTest::newRow("20 KiB free, through a link to the file")
            << qint64(20 * 1024) << false << QStringLiteral("file");
        QTest::newRow("20 KiB free, through a link to its folder")
            << qint64(20 * 1024) << false << QStringLiteral("folder");
        QTest::newRow("room, Event Log counter at its end") << qint64(-1) << true << QString();
        QTest::newRow("room, Event Log counter at its end, through a link to the file")
            << qint64(-1) << true << QStringLiteral("file");
    }
    void heldWritesWaitForRoomOnANearlyFullDisk()
    {
        QFETCH(qint64, freeBytes);
        QFETCH(bool, counterAtItsEnd);
        QFETCH(QString, link);
        QTemporaryDir disk;
        QTemporaryDir roomy;
        QVERIFY(disk.isValid() && roomy.isValid());
        if (!SmallDisk::available(disk.path()))
            QSKIP("no user namespace here to mount a small disk in");
        QProcess probe;
        const qint64 size = 16 * 1024 * 1024;
        QStringList arguments{disk.path() + QStringLiteral("/data/Quorvin"), QString::number(freeBytes),
                              QString::number(counterAtItsEnd ? 1 : 0)};
        if (!link.isEmpty())
            arguments << link << roomy.path();
        SmallDisk::start(probe, disk.path(), size, size, {QStringLiteral("data/Quorvin")},
                         QStringLiteral(QV_DISK_PROBE), arguments);
        QVERIFY(probe.waitForFinished(180000));
        const QString output = QString::fromLocal8Bit(probe.readAllStandardOutput());
        QVERIFY2(probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0,
                 qPrintable(output + QString::fromLocal8Bit(probe.readAllStandardError())));
        QHash<QString, QString> said;
        for (const QString &line : output.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            said.insert(line.section(QLatin1Char(' '), 0, 0), line.section(QLatin1Char(' '), 1));
        QCOMPARE(said.value("lost"), QString::number(counterAtItsEnd ? 1 : 0));
        // Nothing overtakes a write that waits for room.
        QCOMPARE(said.value("written"), QString::number(counterAtItsEnd ? 20 : 0));
        QCOMPARE(said.value("held"), QStringLiteral("0"));
        QCOMPARE(said.value("events"), QString::number(counterAtItsEnd ? 0 : 1));
        QCOMPARE(said.value("rows"), QStringLiteral("20"));
        QCOMPARE(said.value("kicked"), QStringLiteral("1"));
    }

    // The console ends while another program still holds the database: the writes it could not make are named.
    void writesStillHeldAtTheEndAreNamed()
    {
        m_db->databaseManager()->setBusyWaitMs(50);
        DatabaseHold writer(file(), DatabaseHold::Writer);
        QVERIFY2(writer.isHeld(), qPrintable(writer.error()));
        QCOMPARE(DbWriteBatch::writeOne(m_db, "ending", QStringLiteral("group Last"), groupWrite(m_db, "Last")), DB_OK);
        QCOMPARE(m_db->heldWrites()->count(), 1);
        LogCapture log;
        delete m_db;
        m_db = nullptr;
        const QStringList named = log.linesWith(QStringLiteral("held writes not written"));
        QCOMPARE(named.size(), 1);
        QVERIFY2(named.first().contains(QStringLiteral("1 held writes not written")), qPrintable(named.first()));
        QVERIFY2(named.first().endsWith(QStringLiteral(": ending: group Last")), qPrintable(named.first()));
    }

    // Two hundred panels reconnecting again and again while another program keeps the file: each reconnect held one
    // more write-back, and the held writes grew without end (80 MB an hour). A write with a key replaces the one of
    // that key still held, so they stay bounded by the panels, the latest of each lands, and a write without a key
    // keeps its place among them.
    void laterWritesOfAKeyReplaceThoseStillHeld()
    {
        constexpr int kPanels = 200;
        constexpr int kRounds = 5;
        QList<quint32> gids;
        for (int i = 0; i < kPanels; ++i) {
            VelkGroups group;
            group.groupName = QStringLiteral("Panel-%1").arg(i);
            group.groupType = QStringLiteral("Control Box");
            QCOMPARE(m_db->createGroups(group), DB_OK);
        }
        {
            QSqlQuery query(m_db->databaseManager()->connection());
            QVERIFY(query.exec(QStringLiteral("SELECT gid FROM Groups ORDER BY gid")));
            while (query.next())
                gids.append(query.value(0).toUInt());
        }
        QCOMPARE(gids.size(), kPanels);
        m_db->databaseManager()->setBusyWaitMs(50);
        LogCapture log;
        DatabaseHold writer(file(), DatabaseHold::Writer);
        QVERIFY2(writer.isHeld(), qPrintable(writer.error()));
        for (int round = 1; round <= kRounds; ++round) {
            DbWriteBatch batch(m_db, "reconnects");
            for (int i = 0; i < kPanels; ++i)
                batch.write(QStringLiteral("record %1").arg(i), QStringLiteral("record of panel %1").arg(i),
                            renameWrite(gids.at(i), QStringLiteral("Panel-%1 round %2").arg(i).arg(round)));
            QVERIFY(batch.finish());
            if (round == 2)
                QCOMPARE(
                    DbWriteBatch::writeOne(m_db, "unkeyed", QStringLiteral("group Kept"), groupWrite(m_db, "Kept")),
                    DB_OK);
        }
        QCOMPARE(m_db->heldWrites()->count(), kPanels + 1);
        QVERIFY(m_db->heldWrites()->holds(QStringLiteral("record of panel 7")));
        QVERIFY(!m_db->heldWrites()->holds(QStringLiteral("record of panel 999")));

        writer.release();
        QTRY_VERIFY(m_db->heldWrites()->isEmpty());
        const QStringList stored = groups();
        QCOMPARE(stored.size(), kPanels + 1);
        for (int i = 0; i < kPanels; ++i)
            QCOMPARE(stored.at(i), QStringLiteral("Panel-%1 round %2").arg(i).arg(kRounds));
        QCOMPARE(stored.last(), QStringLiteral("Kept"));
        QVERIFY(!m_db->heldWrites()->holds(QStringLiteral("record of panel 7")));
        const QStringList ended = log.linesWith(QStringLiteral("the database takes writes again"));
        QCOMPARE(ended.size(), 1);
        QVERIFY2(
            ended.first().endsWith(QStringLiteral("201 held writes written, 0 lost, 800 replaced by later writes")),
            qPrintable(ended.first()));
    }

    // The process ends (SIGTERM, Ctrl+C, an Exit the operator would not wait for): what the database takes is
    // written, however many, and what it refuses is named in the log with its count.
    void endOfProcessWritesWhatItCanAndNamesTheRest_data()
    {
        QTest::addColumn<bool>("stillHeld");
        QTest::newRow("database free again") << false;
        QTest::newRow("database still held") << true;
    }
    void endOfProcessWritesWhatItCanAndNamesTheRest()
    {
        QFETCH(bool, stillHeld);
        constexpr int kRows = 20000;
        m_db->databaseManager()->setBusyWaitMs(50);
        m_db->heldWrites()->setRetryIntervalMs(60000, 60000);
        std::unique_ptr<DatabaseHold> writer(new DatabaseHold(file(), DatabaseHold::Writer));
        QVERIFY2(writer->isHeld(), qPrintable(writer->error()));
        holdEventRows(kRows);
        QTRY_VERIFY(m_db->heldWrites()->isRefused());
        if (!stillHeld)
            writer.reset();
        LogCapture log;
        const int dropped = m_db->heldWrites()->endOfProcess("the test ended");
        writer.reset();
        QVERIFY(m_db->heldWrites()->isEmpty());
        QCOMPARE(dropped, stillHeld ? kRows : 0);
        QCOMPARE(eventRows(), stillHeld ? 0 : kRows);
        const QStringList named = log.linesWith(QStringLiteral("held writes not written"));
        QCOMPARE(named.size(), stillHeld ? 1 : 0);
        if (stillHeld)
            QVERIFY2(named.first().contains(QStringLiteral("20000 held writes not written, the test ended")),
                     qPrintable(named.first()));
    }
};

QTEST_GUILESS_MAIN(TestDatastoreHeldWrites)
#include "tst_DatastoreHeldWrites.moc"
