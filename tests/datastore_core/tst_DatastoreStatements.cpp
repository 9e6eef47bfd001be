// The data store's statement handling: the case-insensitive lookup indexes on new and older
// files, cached statements (reuse, nesting, no lingering read lock, a connection closed behind
// the cache's back), values bound and read the same way as through QSqlQuery, and operations
// that write once inside an enclosing transaction, and a transaction that SQLite rolls back by itself.

#include <QDateTime>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

#include <atomic>
#include <thread>
#include <vector>

#include "datastore/DatabaseManager.h"
#include "datastore/DbResult.h"
#include "datastore/DbWriteBatch.h"
#include "datastore/OrvantaDBManager.h"
#include "datastore/SqlTransaction.h"
#include "support/DbProbe.h"
#include "support/LogCapture.h"
#include "support/TestEnv.h"

namespace {

const QStringList kIndexes = {"AppPermissionByUser",      "BroadcastReportByBroadcast",
                              "DeviceGroupsByGroup",      "DeviceGroupsMember",
                              "DeviceMacNoCase",          "DeviceNameNoCase",
                              "DeviceScheduleBySchedule", "GroupsNameNoCase",
                              "GroupsScheduleBySchedule", "MultiUserName",
                              "UserDeviceByDevice",       "UserDeviceByUser"};

VelkIFPDevice makeDevice(const QString &name, const QString &mac = QString())
{
    VelkIFPDevice device;
    device.deviceName = name;
    device.macAddress = mac;
    device.ipAddress = QStringLiteral("192.168.1.10");
    device.deviceType = QStringLiteral("Control Box");
    return device;
}

QString plan(DbProbe &probe, const QString &sql)
{
    QSqlQuery query(probe.db());
    if (!query.exec(QStringLiteral("EXPLAIN QUERY PLAN ") + sql))
        return query.lastError().text();
    QStringList details;
    while (query.next())
        details << query.value(3).toString();
    return details.join(QLatin1String("; "));
}

QStringList column(QSqlDatabase db, const QString &sql)
{
    QStringList out;
    SqlStatement query(db, sql);
    if (query.exec()) {
        while (query.next())
            out << query.value(0).toString();
    }
    return out;
}

} // namespace

class TestDatastoreStatements : public QObject
{
    Q_OBJECT

private:
    TestEnv m_env;
    int m_serial = 0;
    OrvantaDBManager *m_db = nullptr;
    QString m_data;

    QSqlDatabase connection() const { return m_db->databaseManager()->connection(); }
    QString connectionName() const { return m_db->databaseManager()->connectionName(); }

private slots:
    void initTestCase() { QVERIFY(m_env.isValid()); }

    void init()
    {
        m_data = m_env.home() + QStringLiteral("/db%1/Quorvin").arg(++m_serial);
        m_db = new OrvantaDBManager(m_data, QStringLiteral("statements%1").arg(m_serial));
        QCOMPARE(m_db->databaseManager()->openState(), DatabaseManager::Ready);
    }
    void cleanup()
    {
        delete m_db;
        m_db = nullptr;
    }

    void lookupIndexesOnNewAndOlderFiles()
    {
        const QString file = m_db->databaseManager()->databaseFilePath();
        delete m_db;
        m_db = nullptr;
        {
            DbProbe probe(file);
            QCOMPARE(probe.column("SELECT name FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL "
                                  "ORDER BY name"),
                     kIndexes);
            // A file of an older version: no lookup indexes, and names that differ only in case,
            // which the case-sensitive UNIQUE constraint let through.
            for (const QString &index : kIndexes)
                QVERIFY2(probe.exec("DROP INDEX " + index), qPrintable(probe.lastError()));
            QVERIFY(probe.exec("INSERT INTO Device (deviceName, macAddress) VALUES ('Lab', 'aa:00:00:00:00:01')"));
            QVERIFY(probe.exec("INSERT INTO Device (deviceName, macAddress) VALUES ('LAB', 'AA:00:00:00:00:01')"));
        }
        for (int start = 0; start < 2; ++start) {
            OrvantaDBManager again(m_data, QStringLiteral("statements-again%1").arg(start));
            QCOMPARE(again.databaseManager()->openState(), DatabaseManager::Ready);
        }
        DbProbe probe(file);
        QCOMPARE(probe.column("SELECT name FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL ORDER BY name"),
                 kIndexes);
        QStringList tables = probe.tables();
        tables.removeAll("sqlite_sequence");
        QCOMPARE(tables.size(), 28);
        QCOMPARE(probe.count("Device"), 2);

        // The lookups by name, MAC and membership read the indexes rather than whole tables.
        QVERIFY(plan(probe, "SELECT 1 FROM Device WHERE deviceName = 'x' collate NOCASE").contains("DeviceNameNoCase"));
        QVERIFY(plan(probe, "SELECT 1 FROM Device WHERE macAddress = 'x' collate NOCASE").contains("DeviceMacNoCase"));
        QVERIFY(
            plan(probe, "SELECT gid FROM Groups WHERE groupName = 'x' collate NOCASE").contains("GroupsNameNoCase"));
        QVERIFY(plan(probe, "SELECT 1 FROM DeviceGroups WHERE did = 1 AND gid = 2").contains("DeviceGroupsMember"));
        QVERIFY(plan(probe, "SELECT muid FROM MultiUser WHERE userName = 'x'").contains("MultiUserName"));
        QVERIFY(plan(probe, "SELECT 1 FROM AppPermission WHERE multiUserId = 1 AND appId = 2")
                    .contains("AppPermissionByUser"));
        QVERIFY(plan(probe, "SELECT 1 FROM UserDevice WHERE multiUserId = 1 AND deviceId = 2")
                    .contains("UserDeviceByUser"));
        QVERIFY(plan(probe, "SELECT did FROM DeviceSchedule WHERE sid = 1").contains("DeviceScheduleBySchedule"));
        // A broadcast result finds its row without reading the report rows of every earlier broadcast.
        QVERIFY(plan(probe, "SELECT brid FROM BroadcastReport WHERE did = 1 AND bid = 2 ORDER BY brid DESC LIMIT 1")
                    .contains("BroadcastReportByBroadcast"));
        QVERIFY(plan(probe, "SELECT brid FROM BroadcastReport WHERE bid = 2 ORDER BY brid")
                    .contains("BroadcastReportByBroadcast"));
    }

    void cachedStatementsAreReusedAndHoldNoLock()
    {
        QSqlDatabase db = connection();
        QVERIFY(SqlStatement::runsDirectly(db)); // the SQLite of Qt's driver is the one linked here
        VelkIFPDevice first = makeDevice("First", "00:00:00:00:00:01");
        VelkIFPDevice second = makeDevice("Second", "00:00:00:00:00:02");
        QCOMPARE(m_db->createIFPDevice(first), DB_OK);
        const int cached = SqlStatement::cachedCount(connectionName());
        QVERIFY(cached > 0);
        QCOMPARE(m_db->createIFPDevice(second), DB_OK);
        QCOMPARE(SqlStatement::cachedCount(connectionName()), cached);

        // A lookup that found a row and was not read to its end keeps no read lock: another
        // connection can still write and commit without waiting.
        bool found = false;
        QVERIFY(sqlHasRow(db, QStringLiteral("SELECT did FROM Device ORDER BY did"), {}, found));
        QVERIFY(found);
        {
            QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("writer"));
            other.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=0"));
            other.setDatabaseName(m_db->databaseManager()->databaseFilePath());
            QVERIFY(other.open());
            QSqlQuery write(other);
            QVERIFY(write.exec("BEGIN IMMEDIATE"));
            QVERIFY(write.exec("INSERT INTO Groups (groupName, groupType) VALUES ('Other', 'Control Box')"));
            QVERIFY2(write.exec("COMMIT"), qPrintable(write.lastError().text()));
            write.finish();
            other.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("writer"));
        QCOMPARE(column(db, "SELECT groupName FROM Groups"), QStringList{"Other"});
    }

    void sameStatementNestedInsideItself()
    {
        for (const char *name : {"A", "B", "C"}) {
            VelkIFPDevice device = makeDevice(name);
            QCOMPARE(m_db->createIFPDevice(device), DB_OK);
        }
        QSqlDatabase db = connection();
        const QString sql = QStringLiteral("SELECT deviceName FROM Device WHERE deviceName >= ? ORDER BY deviceName");
        QStringList outer;
        QStringList inner;
        SqlStatement query(db, sql);
        QVERIFY(query.exec({QStringLiteral("A")}));
        while (query.next()) {
            outer << query.value(0).toString();
            // The same text while the outer use is half-way through its rows.
            SqlStatement again(db, sql);
            QVERIFY(again.exec({QStringLiteral("B")}));
            QVERIFY(again.next());
            inner << again.value(0).toString();
        }
        QCOMPARE(outer, (QStringList{"A", "B", "C"}));
        QCOMPARE(inner, (QStringList{"B", "B", "B"}));
    }

    void connectionClosedBehindTheCache()
    {
        VelkIFPDevice device = makeDevice("Kept", "00:00:00:00:00:05");
        QCOMPARE(m_db->createIFPDevice(device), DB_OK);
        {
            QSqlDatabase db = connection();
            // Closing finalizes the driver's statements, the cached ones too; the file closes cleanly.
            db.close();
            QVERIFY(!db.lastError().isValid());
            QVERIFY(db.open());
        }
        VelkIFPDevice same = makeDevice("kept");
        QCOMPARE(m_db->createIFPDevice(same), DB_DEVICE_NAME_EXISTS);
        VelkIFPDevice other = makeDevice("Other", "00:00:00:00:00:06");
        QCOMPARE(m_db->createIFPDevice(other), DB_OK);

        QCOMPARE(m_db->closeDatabase(), DB_OK);
        QCOMPARE(SqlStatement::cachedCount(connectionName()), 0);
    }

    // Only a statement the driver dropped is prepared and run again. A cached statement that
    // really failed, and took the whole transaction with it (as a full disk or an I/O error
    // does), must report the failure rather than succeed on its own outside the transaction.
    void failedCachedStatementIsNotRunAgain()
    {
        QSqlDatabase db = connection();
        const QString insertGroup =
            QStringLiteral("INSERT INTO Groups (groupName, groupType) VALUES (?, 'Control Box')");
        QVERIFY(sqlRun(db, insertGroup, {QStringLiteral("Warm")}));
        QSqlQuery trigger(db);
        QVERIFY(trigger.exec("CREATE TEMP TRIGGER abandon BEFORE INSERT ON Groups "
                             "WHEN (SELECT count(*) FROM Device) > 0 BEGIN SELECT RAISE(ROLLBACK, 'abandoned'); END"));
        {
            SqlTransaction outer(db, "test");
            QVERIFY(outer.isActive());
            VelkIFPDevice device = makeDevice("Lost", "00:00:00:00:00:07");
            QCOMPARE(m_db->createIFPDevice(device), DB_OK);
            QVERIFY(!sqlRun(db, insertGroup, {QStringLiteral("Hall")}));
        }
        QVERIFY(trigger.exec("DROP TRIGGER abandon"));
        QCOMPARE(SqlTransaction::depth(connectionName()), 0);
        QCOMPARE(column(db, "SELECT groupName FROM Groups ORDER BY gid"), QStringList{"Warm"});
        QCOMPARE(column(db, "SELECT count(*) FROM Device"), QStringList{"0"});
    }

    // What a statement stores and reads back does not depend on whether it ran directly on
    // SQLite or through QSqlQuery.
    void valuesBindAndReadAsThroughQt()
    {
        QSqlDatabase db = connection();
        QVERIFY(SqlStatement::runsDirectly(db));
        QSqlQuery setup(db);
        QVERIFY(setup.exec("CREATE TEMP TABLE probe (way TEXT, n INTEGER, v)"));
        const QVariantList values = {
            QStringLiteral("text ü"),
            QString(),
            QString(""),
            7,
            true,
            4000000000u,
            qlonglong(-5),
            1.5,
            QByteArray("\x00\x01z", 3),
            QByteArray(),
            QVariant(),
            qulonglong(9),
            QDateTime(QDate(2024, 2, 29), QTime(23, 59, 58, 7)),
            QTime(7, 5, 3, 12),
            QDate(2024, 1, 2),
        };
        for (int n = 0; n < values.size(); ++n) {
            QVERIFY(
                sqlRun(db, QStringLiteral("INSERT INTO probe (way, n, v) VALUES ('direct', ?, ?)"), {n, values.at(n)}));
            QSqlQuery qt(db);
            QVERIFY(qt.prepare(QStringLiteral("INSERT INTO probe (way, n, v) VALUES ('qt', ?, ?)")));
            qt.addBindValue(n);
            qt.addBindValue(values.at(n));
            QVERIFY(qt.exec());
        }
        const QString stored =
            QStringLiteral("SELECT typeof(v) || ':' || quote(v) FROM probe WHERE way = '%1' ORDER BY n");
        const QStringList direct = column(db, stored.arg("direct"));
        QCOMPARE(direct.size(), values.size());
        QSqlQuery qtRead(db);
        QVERIFY(qtRead.exec(stored.arg("qt")));
        QStringList throughQt;
        while (qtRead.next())
            throughQt << qtRead.value(0).toString();
        QCOMPARE(direct, throughQt);

        // And read back: the same types and values as QSqlQuery::value().
        SqlStatement read(db, QStringLiteral("SELECT v FROM probe WHERE way = 'qt' ORDER BY n"));
        QSqlQuery reference(db);
        QVERIFY(read.exec());
        QVERIFY(reference.exec(QStringLiteral("SELECT v FROM probe WHERE way = 'qt' ORDER BY n")));
        int rows = 0;
        while (reference.next()) {
            QVERIFY(read.next());
            const QVariant mine = read.value(0);
            const QVariant theirs = reference.value(0);
            QCOMPARE(mine.userType(), theirs.userType());
            QCOMPARE(mine.isNull(), theirs.isNull());
            QCOMPARE(mine, theirs);
            ++rows;
        }
        QVERIFY(!read.next());
        QCOMPARE(rows, values.size());
    }

    // Creating a device or joining a group writes once; inside an enclosing transaction such an
    // operation takes no savepoint of its own, yet a refused write leaves the rest alone and the
    // enclosing rollback still takes back what it wrote.
    void singleWriteOperationsInsideATransaction()
    {
        QSqlDatabase db = connection();
        QSqlQuery trigger(db);
        QVERIFY(trigger.exec("CREATE TEMP TRIGGER refuse BEFORE INSERT ON Device WHEN NEW.deviceName = 'Refused' "
                             "BEGIN SELECT RAISE(ABORT, 'refused'); END"));
        {
            SqlTransaction outer(db, "test");
            QVERIFY(outer.isActive());
            VelkGroups group;
            group.groupName = QStringLiteral("Hall");
            group.groupType = QStringLiteral("Control Box");
            QCOMPARE(m_db->createGroups(group), DB_OK);
            VelkIFPDevice refused = makeDevice("Refused", "00:00:00:00:00:09");
            QCOMPARE(m_db->createIFPDevice(refused), DB_STATEMENT_FAILED);
            QCOMPARE(SqlTransaction::depth(connectionName()), 1);
            VelkIFPDevice kept = makeDevice("Kept");
            QCOMPARE(m_db->createIFPDevice(kept), DB_OK);
            QCOMPARE(m_db->joinGroups(kept, group), DB_OK);
            QVERIFY(outer.commit());
        }
        QCOMPARE(SqlTransaction::depth(connectionName()), 0);
        QCOMPARE(column(db, "SELECT deviceName FROM Device"), QStringList{"Kept"});
        QCOMPARE(column(db, "SELECT count(*) FROM DeviceGroups"), QStringList{"1"});
        {
            SqlTransaction outer(db, "test");
            VelkIFPDevice later = makeDevice("Later");
            QCOMPARE(m_db->createIFPDevice(later), DB_OK);
            VelkGroups hall;
            hall.groupName = QStringLiteral("hall");
            QCOMPARE(m_db->disjoinGroups(later, hall), DB_OK);
            outer.rollback();
        }
        QCOMPARE(column(db, "SELECT deviceName FROM Device"), QStringList{"Kept"});
        QVERIFY(trigger.exec("DROP TRIGGER refuse"));
    }

    // SQLite rolls the whole transaction back by itself (a trigger's RAISE(ROLLBACK) here; an I/O error or a full
    // disk while it writes the journal does the same). Every scope learns it; nothing runs on in autocommit, where a
    // savepoint would begin a transaction of its own; the scopes end without a statement that can only fail; and the
    // next transaction is a real one again.
    void transactionRolledBackBySqliteEndsEveryScope()
    {
        QSqlDatabase db = connection();
        LogCapture log;
        QSqlQuery trigger(db);
        QVERIFY(trigger.exec("CREATE TEMP TRIGGER abandon BEFORE INSERT ON Groups WHEN NEW.groupName = 'Abandon' "
                             "BEGIN SELECT RAISE(ROLLBACK, 'abandoned'); END"));
        {
            SqlTransaction outer(db, "outer");
            QVERIFY(outer.isActive());
            VelkIFPDevice first = makeDevice("First", "00:00:00:00:00:11");
            QCOMPARE(m_db->createIFPDevice(first), DB_OK);
            {
                SqlTransaction inner(db, "inner");
                QVERIFY(inner.isActive() && inner.isNested());
                VelkGroups group;
                group.groupName = QStringLiteral("Abandon");
                group.groupType = QStringLiteral("Control Box");
                QCOMPARE(m_db->createGroups(group), DB_STATEMENT_FAILED);
                QVERIFY(inner.wasRolledBackBySqlite());
                QVERIFY(outer.wasRolledBackBySqlite());
            }
            QCOMPARE(SqlTransaction::depth(connectionName()), 1);

            SqlTransaction later(db, "later");
            QVERIFY(!later.isActive());
            QVERIFY(!later.wasRolledBackBySqlite());
            VelkIFPDevice second = makeDevice("Second", "00:00:00:00:00:12");
            QCOMPARE(m_db->createIFPDevice(second), DB_STATEMENT_FAILED);
            QVERIFY(!sqlRun(db, QStringLiteral("INSERT INTO Groups (groupName, groupType) VALUES ('Lone', 'x')")));
            QSqlQuery lone(db);
            QVERIFY(!sqlExec(lone, QStringLiteral("INSERT INTO Groups (groupName, groupType) VALUES ('Lone', 'x')")));
            // What made SQLite roll back stays the failure reported.
            QVERIFY(m_db->lastFailure() == DbFailure::Refused);
            QVERIFY(!outer.commit());
            QVERIFY(outer.wasRolledBackBySqlite());
            QVERIFY(!outer.isActive());
        }
        QCOMPARE(SqlTransaction::depth(connectionName()), 0);
        QVERIFY(!log.contains("no such savepoint"));
        QVERIFY(!log.contains("no transaction is active"));
        QVERIFY(log.contains("outer: not committed, SQLite had rolled the transaction back"));
        QCOMPARE(column(db, "SELECT count(*) FROM Device"), QStringList{"0"});
        QCOMPARE(column(db, "SELECT count(*) FROM Groups"), QStringList{"0"});

        {
            SqlTransaction next(db, "next");
            QVERIFY(next.isActive() && !next.isNested() && !next.wasRolledBackBySqlite());
            VelkIFPDevice third = makeDevice("Third", "00:00:00:00:00:13");
            QCOMPARE(m_db->createIFPDevice(third), DB_OK);
            {
                SqlTransaction nested(db, "nested");
                QVERIFY(nested.isActive() && nested.isNested());
                nested.rollback();
            }
            QVERIFY(next.commit());
        }
        QCOMPARE(column(db, "SELECT deviceName FROM Device"), QStringList{"Third"});
        QVERIFY(m_db->lastFailure() == DbFailure::None);
        QVERIFY(trigger.exec("DROP TRIGGER abandon"));
    }

    // A synchronisation of a thousand panels writes its status into every one of their assignments in one
    // transaction. With SQLite's own 2 MB of page cache the changed pages outgrew it half-way: SQLite synced the
    // journal and wrote pages into the file before the commit, for which it takes the file for itself, so every
    // other program reading it (a backup, an SQLite browser) was refused until the commit, and the event loop waited
    // for the disk each time. The pages stay in the cache until the commit, and readers go on reading.
    void largeRunsStatusesLeaveTheFileReadableUntilTheCommit()
    {
        constexpr int kDevices = 1000;
        constexpr int kUsersEach = 96;
        const QString file = m_db->databaseManager()->databaseFilePath();
        {
            DbProbe seed(file, QStringLiteral("seed"));
            QString error;
            QVERIFY2(
                seed.execAll(
                    QStringLiteral("BEGIN; "
                                   "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                                   "INSERT INTO Device (deviceName, macAddress) SELECT 'Panel-' || i, "
                                   "'02:00:00:00:00:' || i FROM n; "
                                   "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %2) "
                                   "INSERT INTO MultiUser (userName, password) SELECT 'User ' || i, 'pw' || i FROM n; "
                                   "INSERT INTO UserDevice (multiUserId, deviceId, syncStatus, lastSyncTime) "
                                   "SELECT muid, did, 1, '2031-01-01 09:00' FROM Device CROSS JOIN MultiUser; "
                                   "COMMIT")
                        .arg(kDevices)
                        .arg(kUsersEach),
                    &error),
                qPrintable(error));
        }
        QList<VelkIFPDevice> devices;
        QCOMPARE(m_db->queryAllAvailableIFP(devices), DB_OK);
        QCOMPARE(devices.size(), kDevices);
        DbProbe reader(file, QStringLiteral("reader"));
        QVERIFY(reader.exec(QStringLiteral("PRAGMA busy_timeout = 0")));

        const QString stamp = QStringLiteral("2031-01-01 09:01");
        DbWriteBatch batch(m_db, "statuses of a large run");
        for (const VelkIFPDevice &device : qAsConst(devices)) {
            const quint32 did = device.did;
            batch.write(device.deviceName,
                        [db = m_db, did, stamp] { return db->updateUserDeviceSyncStatus(did, 1, stamp); });
        }
        QVERIFY2(reader.exec(QStringLiteral("SELECT COUNT(*) FROM UserDevice")), qPrintable(reader.lastError()));
        QVERIFY(batch.finish());
        QCOMPARE(
            reader.value(QStringLiteral("SELECT COUNT(*) FROM UserDevice WHERE lastSyncTime = ?"), {stamp}).toInt(),
            kDevices * kUsersEach);
    }

    // A restore's check opens transactions on a thread of its own while the GUI thread opens its own: the scopes of
    // each connection are counted in one table and the first use of a connection asks the SQLite library a question
    // through process-wide state. Shared without a lock, the table was torn (a crash in its lookup) and a connection
    // could be taken for one with an SQLite library of its own. Each thread here opens connections of its own and
    // nests scopes on them, all at once.
    void scopesOnTwoThreadsAtOnce()
    {
        constexpr int kThreads = 2;
        constexpr int kRounds = 150;
        std::atomic<int> ready{0};
        std::atomic<int> wrong{0};
        std::atomic<int> notDirect{0};
        const QString folder = m_env.home() + QStringLiteral("/threads");
        QVERIFY(QDir().mkpath(folder));
        auto work = [&](int thread) {
            const QString file = folder + QStringLiteral("/thread%1.db").arg(thread);
            ++ready;
            while (ready.load() < kThreads)
                std::this_thread::yield();
            for (int round = 0; round < kRounds; ++round) {
                const QString name = QStringLiteral("thread%1-%2").arg(thread).arg(round);
                {
                    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
                    db.setDatabaseName(file);
                    if (!db.open()) {
                        ++wrong;
                        continue;
                    }
                    if (!SqlStatement::runsDirectly(db))
                        ++notDirect;
                    sqlRun(db, QStringLiteral("CREATE TABLE IF NOT EXISTS t (v INTEGER)"));
                    for (int i = 0; i < 5; ++i) {
                        SqlTransaction outer(db, "outer");
                        SqlTransaction inner(db, "inner");
                        if (!outer.isActive() || !inner.isActive() || SqlTransaction::depth(name) != 2)
                            ++wrong;
                        sqlRun(db, QStringLiteral("INSERT INTO t VALUES (?)"), {i});
                        if (!inner.commit() || SqlTransaction::depth(name) != 1 || !outer.commit() ||
                            SqlTransaction::depth(name) != 0)
                            ++wrong;
                    }
                    SqlStatement::clearCache(name);
                    db.close();
                }
                QSqlDatabase::removeDatabase(name);
            }
        };
        // Plain threads, which ThreadSanitizer follows into their join, unlike QThread's wait inside Qt.
        std::vector<std::thread> threads;
        for (int i = 0; i < kThreads; ++i)
            threads.emplace_back(work, i);
        for (std::thread &thread : threads)
            thread.join();
        QCOMPARE(wrong.load(), 0);
        QCOMPARE(notDirect.load(), 0);
        // The live connection of this thread saw none of theirs.
        QCOMPARE(SqlTransaction::depth(connectionName()), 0);
        QVERIFY(SqlStatement::runsDirectly(connection()));
    }
};

QTEST_GUILESS_MAIN(TestDatastoreStatements)
#include "tst_DatastoreStatements.moc"
