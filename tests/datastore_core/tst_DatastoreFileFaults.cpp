// Database files that outside checks found handled short of what the operator needs: a file set
// aside without a word, a data folder in which SQLite cannot write its journal, files of
// another version of the console (columns in another order, a column this version cannot fill)
// or with tables of another program, a disk that is full, and files chosen for a restore (in WAL
// mode in a folder that cannot be written, another program's tables, accounts log-in cannot use,
// the journal of a writer that died beside it, journals left beside the file replaced), and
// backups onto a disk with little room.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

#include "datastore/CoreTables.h"
#include "datastore/DatabaseFileOps.h"
#include "datastore/DatabaseManager.h"
#include "datastore/DbResult.h"
#include "datastore/OrvantaDBManager.h"
#include "support/ConsoleCopies.h"
#include "support/DataFolders.h"
#include "support/DbProbe.h"
#include "support/ProbeUser.h"
#include "support/SmallDisk.h"
#include "support/TestEnv.h"
#include "support/TestFiles.h"

namespace {

// The Device table as this version creates it, with extra column definitions put in after
// deviceName: the shape a database of another version may have.
QString deviceTableWith(const QString &extra)
{
    return QStringLiteral("CREATE TABLE Device ( did INTEGER PRIMARY KEY AUTOINCREMENT,deviceName TEXT UNIQUE,%1,"
                          "modelName TEXT,macAddress TEXT UNIQUE,ipAddress TEXT, fwVersion TEXT,lastPassword TEXT, "
                          "subnetMask TEXT, gateway TEXT, panelFwVersion TEXT, displayClientVersion TEXT, sku TEXT, "
                          "isKicked INTEGER, deviceType TEXT, position TEXT, ptzCamera TEXT )")
        .arg(extra);
}

struct ProbeResult
{
    int state = -1;
    QString error;
    bool diskFull = false;
    quint32 write = 0;
};

// Tables of another program under names the console uses, put into a console database in place of its own.
struct ForeignTable
{
    const char *name;
    const char *sql;
};
const ForeignTable kForeignTables[] = {
    {"Device of other columns",
     "DROP TABLE Device; CREATE TABLE Device (id INTEGER PRIMARY KEY, name TEXT, address TEXT); "
     "INSERT INTO Device (name, address) VALUES ('Printer 2', '10.0.0.9')"},
    {"OtaSchedule of other columns",
     "DROP TABLE OtaSchedule; CREATE TABLE OtaSchedule (id INTEGER PRIMARY KEY, task TEXT, due TEXT); "
     "INSERT INTO OtaSchedule (task, due) VALUES ('patch', '2024-06-01')"},
    {"EventLog a view",
     "DROP TABLE EventLog; CREATE VIEW EventLog AS SELECT did, deviceName, 0 AS event, '' AS time FROM Device"},
};

// Reads what open_probe printed.
ProbeResult probeResult(QProcess &process)
{
    ProbeResult result;
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return result;
    for (const QByteArray &line : process.readAllStandardOutput().split('\n')) {
        if (line.startsWith("state "))
            result.state = line.mid(6).toInt();
        else if (line.startsWith("error "))
            result.error = QString::fromLocal8Bit(line.mid(6));
        else if (line.startsWith("diskfull "))
            result.diskFull = line.mid(9).toInt() != 0;
        else if (line.startsWith("write "))
            result.write = line.mid(6).toUInt(nullptr, 16);
    }
    return result;
}

} // namespace

class TestDatastoreFileFaults : public QObject
{
    Q_OBJECT

private:
    TestEnv m_env;
    ConsoleCopies m_copies{m_env.home(), QStringLiteral("faults")};

    QString newDataFolder() { return m_copies.newDataFolder(); }
    static QString dbFile(const QString &dataFolder) { return DataFolders::dbFile(dataFolder); }

    // Runs the open probe on dataFolder, as the unprivileged user when the test runs as root.
    static ProbeResult probe(const QString &dataFolder)
    {
        QStringList arguments{dataFolder};
        if (geteuid() == 0)
            arguments << QString::number(kProbeUid);
        QProcess process;
        process.start(QStringLiteral(QV_OPEN_PROBE), arguments);
        return probeResult(process);
    }

    // Checks and stages source for a restore of live as the user settings do, as the unprivileged user when the test
    // runs as root: {check, stage} as DatabaseFileOps results, empty when the probe did not run.
    static QList<int> stageAsProbeUser(const QString &live, const QString &source)
    {
        QStringList arguments{live, source};
        if (geteuid() == 0)
            arguments << QString::number(kProbeUid);
        QProcess process;
        process.start(QStringLiteral(QV_FILEOPS_PROBE), arguments);
        if (!process.waitForFinished(30000) || process.exitCode() != 0)
            return {};
        QList<int> results;
        for (const QByteArray &line : process.readAllStandardOutput().split('\n')) {
            if (line.startsWith("check ") || line.startsWith("stage "))
                results << line.mid(6).toInt();
        }
        return results;
    }

    // A fresh temporary folder made enterable by other users (the probe's), as temporary folders are not.
    static bool enterableByOthers(const QTemporaryDir &root)
    {
        return root.isValid() &&
               QFile::setPermissions(root.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                      QFile::ReadOther | QFile::ExeOther);
    }

    // Hands the data folder to the probe's user: root opens it up for that user, anyone else owns it already.
    static bool giveToProbeUser(const QString &root)
    {
        if (geteuid() != 0)
            return true;
        QStringList paths{root};
        QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext())
            paths << it.next();
        for (const QString &path : paths) {
            if (::chown(QFile::encodeName(path).constData(), kProbeUid, kProbeUid) != 0)
                return false;
        }
        return true;
    }

    QString newConsoleDatabase(const char *connection) { return m_copies.newDatabase(QString::fromLatin1(connection)); }
    QString changedConsoleCopy(const QString &name, const QString &statements, QString *error)
    {
        return m_copies.changedCopy(name, statements, error);
    }

    // Checks and stages source for a restore of a new live database, as the user settings do; the staging's result.
    // The live file and the source must stay byte for byte, and a refused copy leaves nothing beside the live file.
    int stageAgainstNewLive(const QString &source)
    {
        const QString live = newConsoleDatabase("live");
        const QByteArray liveBefore = fileSha256(live);
        const QByteArray sourceBefore = fileSha256(source);
        const DatabaseFileOps::Result check = DatabaseFileOps::checkRestoreSource(live, source);
        const DatabaseFileOps::Result staged =
            check == DatabaseFileOps::Ok ? DatabaseFileOps::stageRestore(live, source) : check;
        const bool untouched = fileSha256(live) == liveBefore && fileSha256(source) == sourceBefore;
        const QStringList beside = QFileInfo(live).absoluteDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        const bool clean = staged == DatabaseFileOps::Ok || beside == QStringList{QFileInfo(live).fileName()};
        if (!untouched || !clean)
            return -1;
        return int(staged);
    }

private slots:
    void initTestCase() { QVERIFY(m_env.isValid()); }

    // A file that is no database, or a damaged one, is set aside and a new one made; the operator
    // must learn which file holds the old data.
    void setAsideFileIsReported_data()
    {
        QTest::addColumn<bool>("truncated");
        QTest::newRow("not a database") << false;
        QTest::newRow("damaged") << true;
    }
    void setAsideFileIsReported()
    {
        QFETCH(bool, truncated);
        const QString data = newDataFolder();
        if (truncated) {
            {
                DatabaseManager manager(data, "tobreak");
                for (int i = 0; i < 300; ++i) {
                    VelkIFPDevice device;
                    device.deviceName = QStringLiteral("Panel %1 with a long enough name to fill pages").arg(i);
                    QCOMPARE(CoreTables::createIFPDevice(manager.connection(), device), DB_OK);
                }
            }
            QFile file(dbFile(data));
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.resize(4 * 4096));
        } else {
            QDir().mkpath(data + "/dbManagement");
            QFile file(dbFile(data));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray("these bytes were never an SQLite database\n").repeated(200));
        }

        DatabaseManager manager(data, "setaside");
        QCOMPARE(manager.openState(), DatabaseManager::Recreated);
        const QStringList aside = QDir(data + "/dbManagement").entryList({"QuorvinDatabase.db.broken-*"}, QDir::Files);
        QCOMPARE(aside.size(), 1);
        const QString kept = QDir::toNativeSeparators(data + "/dbManagement/" + aside.first());
        QCOMPARE(QDir::toNativeSeparators(manager.keptFile()), kept);
        QVERIFY2(manager.openError().contains(kept), qPrintable(manager.openError()));
    }

    // A writable file in a folder where SQLite cannot create its journal opens, but no write can
    // ever succeed: that is found at start-up, as a read-only file is, and nothing is changed.
    void readOnlyFolderIsReported()
    {
        if (!probeUserCanBeMade())
            QSKIP(kNoProbeUser);
        QTemporaryDir root;
        QVERIFY(enterableByOthers(root));
        const QString data = root.path() + QStringLiteral("/share/Quorvin");
        {
            DatabaseManager manager(data, "tofreeze");
        }
        QVERIFY(giveToProbeUser(root.path()));

        // The probe's user can open and write the database where the folder lets it.
        ProbeResult result = probe(data);
        QCOMPARE(result.state, int(DatabaseManager::Ready));
        QCOMPARE(result.write, DB_OK);

        const QString folder = data + QStringLiteral("/dbManagement");
        QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0555) == 0);
        const QByteArray before = fileSha256(dbFile(data));
        QVERIFY(!before.isEmpty());
        result = probe(data);
        ::chmod(QFile::encodeName(folder).constData(), 0755);
        QVERIFY(result.write != DB_OK); // what the operator met: every write fails
        QCOMPARE(fileSha256(dbFile(data)), before);
        QVERIFY(!QFile::exists(dbFile(data) + "-journal"));
        QCOMPARE(result.state, int(DatabaseManager::Unavailable));
        QVERIFY2(result.error.contains(QStringLiteral("folder")), qPrintable(result.error));
    }

    // A database of another version: its Device, Groups and Account tables have an extra column
    // near the front. Every reader of whole rows finds each value under its own name.
    void columnsAreReadByName()
    {
        const QString data = newDataFolder();
        QDir().mkpath(data + "/dbManagement");
        {
            DbProbe other(dbFile(data), "other");
            QVERIFY2(other.exec(deviceTableWith(QStringLiteral("room TEXT"))), qPrintable(other.lastError()));
            QVERIFY(other.exec(QStringLiteral("INSERT INTO Device (deviceName, room, modelName, macAddress, ipAddress, "
                                              "fwVersion, deviceType, position, ptzCamera) VALUES ('Hall', 'R1', "
                                              "'Velk TM7-B', 'aa:bb:cc:dd:ee:01', '10.0.0.5', '1.1.1017.20', 'Control "
                                              "Box', 'East', '')")));
            QVERIFY(other.exec(QStringLiteral("CREATE TABLE Groups ( gid INTEGER PRIMARY KEY AUTOINCREMENT,"
                                              "note TEXT,groupName TEXT UNIQUE,groupType TEXT)")));
            QVERIFY(other.exec(QStringLiteral("INSERT INTO Groups (note, groupName, groupType) VALUES ('n', "
                                              "'Floor', 'Control Box')")));
            QVERIFY(other.exec(QStringLiteral("CREATE TABLE DeviceGroups (dgid INTEGER PRIMARY KEY AUTOINCREMENT,"
                                              "did INTEGER,gid INTEGER)")));
            QVERIFY(other.exec(QStringLiteral("INSERT INTO DeviceGroups (did, gid) VALUES (1, 1)")));
            QVERIFY(other.exec(QStringLiteral("CREATE TABLE Account ( aid INTEGER PRIMARY KEY AUTOINCREMENT,note TEXT,"
                                              "password TEXT,email TEXT ,isAdmin INTEGER,language TEXT,"
                                              "sosUsername TEXT,sosPassword TEXT)")));
            QVERIFY(other.exec(QStringLiteral("INSERT INTO Account (note, password, email, isAdmin, language) VALUES "
                                              "('n', 'secret', 'ops@example.org', 1, 'zh_TW')")));
        }
        OrvantaDBManager db(data, QStringLiteral("byname"));
        QCOMPARE(db.databaseManager()->openState(), DatabaseManager::Ready);

        auto summary = [](const VelkIFPDevice &device) {
            return QStringList{device.deviceName, device.modelName,  device.macAddress, device.ipAddress,
                               device.fwVersion,  device.deviceType, device.position}
                .join(QLatin1Char('|'));
        };
        const QString expected =
            QStringLiteral("Hall|Velk TM7-B|aa:bb:cc:dd:ee:01|10.0.0.5|1.1.1017.20|Control Box|East");
        QList<VelkIFPDevice> all;
        QCOMPARE(db.queryAllAvailableIFP(all), DB_OK);
        QCOMPARE(all.size(), 1);
        QCOMPARE(summary(all.first()), expected);
        QList<VelkIFPDevice> byId;
        QCOMPARE(db.queryIFPById(byId, all.first().did), DB_OK);
        QCOMPARE(byId.size(), 1);
        QCOMPARE(summary(byId.first()), expected);
        VelkGroups floor;
        floor.groupName = QStringLiteral("Floor");
        QList<VelkIFPDevice> members;
        QCOMPARE(db.queryIFPByGroup(floor, members), DB_OK);
        QCOMPARE(members.size(), 1);
        QCOMPARE(summary(members.first()), expected);
        QList<VelkGroups> groups;
        QCOMPARE(db.queryAllGroup(groups), DB_OK);
        QCOMPARE(groups.size(), 1);
        QCOMPARE(groups.first().groupName, QStringLiteral("Floor"));
        QCOMPARE(groups.first().groupType, QStringLiteral("Control Box"));
        QList<VelkGroups> ofDevice;
        QCOMPARE(db.queryGroupsByIFP(all.first(), ofDevice), DB_OK);
        QCOMPARE(ofDevice.size(), 1);
        QCOMPARE(ofDevice.first().groupName, QStringLiteral("Floor"));
        QList<VelkAccount> accounts;
        QCOMPARE(db.queryAccount(accounts), DB_OK);
        QVERIFY(!accounts.isEmpty());
        QCOMPARE(accounts.first().password, QStringLiteral("secret"));
        QCOMPARE(accounts.first().email, QStringLiteral("ops@example.org"));
        QVERIFY(accounts.first().isAdmin);
        QCOMPARE(accounts.first().language, QStringLiteral("zh_TW"));
    }

    // A column this version knows nothing of and cannot fill (NOT NULL without a default) makes
    // every insert into its table fail; that is reported at start-up, naming the table.
    void tableThatCannotBeWrittenIsReported_data()
    {
        QTest::addColumn<QString>("extra");
        QTest::addColumn<bool>("writable");
        QTest::newRow("NOT NULL without default") << "room TEXT NOT NULL" << false;
        QTest::newRow("NOT NULL with default") << "room TEXT NOT NULL DEFAULT ''" << true;
        QTest::newRow("nullable") << "room TEXT" << true;
    }
    void tableThatCannotBeWrittenIsReported()
    {
        QFETCH(QString, extra);
        QFETCH(bool, writable);
        const QString data = newDataFolder();
        QDir().mkpath(data + "/dbManagement");
        {
            DbProbe other(dbFile(data), "other");
            QVERIFY2(other.exec(deviceTableWith(extra)), qPrintable(other.lastError()));
        }
        DatabaseManager manager(data, "notnull");
        VelkIFPDevice device;
        device.deviceName = QStringLiteral("New");
        QCOMPARE(CoreTables::createIFPDevice(manager.connection(), device) == DB_OK, writable);
        if (writable) {
            QCOMPARE(manager.openState(), DatabaseManager::Ready);
            return;
        }
        QCOMPARE(manager.openState(), DatabaseManager::Degraded);
        QVERIFY2(manager.openError().contains(QStringLiteral("Device")), qPrintable(manager.openError()));
        QVERIFY2(manager.openError().contains(QStringLiteral("room")), qPrintable(manager.openError()));
    }

    // A full disk, met while start-up makes the tables of a new database: every table step failed in turn, and the
    // operator read "commit failed" sixteen times, cut off, and never that the disk is full. The data store says so
    // itself, once.
    void fullDiskIsNamedOnce_data()
    {
        QTest::addColumn<qint64>("freeBytes");
        QTest::newRow("nearly full") << qint64(32 * 1024);
        QTest::newRow("full") << qint64(0);
    }
    void fullDiskIsNamedOnce()
    {
        QFETCH(qint64, freeBytes);
        QTemporaryDir disk;
        QVERIFY(disk.isValid());
        if (!SmallDisk::available(disk.path()))
            QSKIP("no user namespace here to mount a small disk in");
        QProcess process;
        SmallDisk::start(process, disk.path(), 1024 * 1024, freeBytes, {QStringLiteral("share/Quorvin")},
                         QStringLiteral(QV_OPEN_PROBE), {disk.path() + QStringLiteral("/share/Quorvin")});
        const ProbeResult result = probeResult(process);
        QVERIFY2(result.state == int(DatabaseManager::Degraded) || result.state == int(DatabaseManager::Unavailable),
                 qPrintable(QString::number(result.state) + QLatin1Char(' ') + result.error));
        QVERIFY2(result.diskFull, qPrintable(result.error));
        QVERIFY(result.write != DB_OK);
        // One failure, not one per table step.
        QVERIFY2(!result.error.contains(QStringLiteral("; ")), qPrintable(result.error));
    }

    // A backup in WAL mode on a medium or in a folder that may not be written: SQLite reads such a file through a
    // shared-memory file beside it, which it cannot make there. Without changes in a WAL file beside it the backup is
    // whole and is read as it lies; with them, it and its WAL file are read through a copy of the console's own, so
    // those changes are restored too. Nothing beside the backup changes.
    void restoreOfWalBackupInReadOnlyFolder_data()
    {
        QTest::addColumn<bool>("changesBeside");
        QTest::newRow("nothing beside it") << false;
        QTest::newRow("changes in a WAL file beside it") << true;
    }
    void restoreOfWalBackupInReadOnlyFolder()
    {
        QFETCH(bool, changesBeside);
        if (!probeUserCanBeMade())
            QSKIP(kNoProbeUser);
        QTemporaryDir root;
        QVERIFY(enterableByOthers(root));
        const QString data = root.path() + QStringLiteral("/share/Quorvin");
        {
            DatabaseManager manager(data, "walsource");
        }
        const QString live = root.path() + QStringLiteral("/live/QuorvinDatabase.db");
        QVERIFY(QDir().mkpath(QFileInfo(live).absolutePath()));
        const QString shelf = root.path() + QStringLiteral("/shelf");
        QVERIFY(QDir().mkpath(shelf));
        QString source = shelf + QStringLiteral("/backup.db");
        QVERIFY(QFile::copy(dbFile(data), source));
        {
            DbProbe writer(source, QStringLiteral("walwriter"));
            QVERIFY(writer.exec(QStringLiteral("PRAGMA journal_mode = WAL")));
            QVERIFY(writer.exec(QStringLiteral("PRAGMA wal_autocheckpoint = 0")));
            QVERIFY(writer.exec(QStringLiteral("UPDATE Account SET email = ? WHERE isAdmin = 1"),
                                {QStringLiteral("shelf@school.example")}));
            if (changesBeside) {
                // Carried elsewhere while its changes were still in the WAL file, as a copy of the folder would be.
                const QString carried = root.path() + QStringLiteral("/carried/backup.db");
                QVERIFY(QDir().mkpath(QFileInfo(carried).absolutePath()));
                QVERIFY(QFile::copy(source, carried));
                QVERIFY(QFile::copy(source + QStringLiteral("-wal"), carried + QStringLiteral("-wal")));
                source = carried;
            }
        }
        QCOMPARE(QFileInfo(source + QStringLiteral("-wal")).size() > 0, changesBeside);
        QVERIFY(giveToProbeUser(root.path()));
        const QByteArray sourceBefore = fileSha256(source);
        const QByteArray walBefore = fileSha256(source + QStringLiteral("-wal"));
        const QByteArray folder = QFile::encodeName(QFileInfo(source).absolutePath());
        QVERIFY(::chmod(folder.constData(), 0555) == 0);
        const QList<int> results = stageAsProbeUser(live, source);
        ::chmod(folder.constData(), 0755);

        QCOMPARE(fileSha256(source), sourceBefore);
        QCOMPARE(fileSha256(source + QStringLiteral("-wal")), walBefore);
        const QString staged = DatabaseFileOps::stagedPath(live);
        QCOMPARE(results, (QList<int>{DatabaseFileOps::Ok, DatabaseFileOps::Ok}));
        DbProbe copy(staged, QStringLiteral("stagedcopy"));
        QCOMPARE(copy.value(QStringLiteral("SELECT email FROM Account WHERE isAdmin = 1")).toString(),
                 QStringLiteral("shelf@school.example"));
        QCOMPARE(copy.journalMode(), QStringLiteral("delete"));
    }

    // A restore takes a file whose accounts log-in reads once start-up has brought the file up to date: a backup of
    // an older console, from before the normal user, restores; another program's database with a table named
    // Account is refused before anything is replaced (swapped in, it locked the operator out).
    void restoreNeedsAccountsThatLogInReads_data()
    {
        QTest::addColumn<QString>("accountTable");
        QTest::addColumn<QString>("row");
        QTest::addColumn<int>("expected");
        QTest::newRow("older console")
            << "CREATE TABLE Account ( aid INTEGER PRIMARY KEY AUTOINCREMENT,password TEXT DEFAULT 'kelvo',email TEXT)"
            << "INSERT INTO Account (password, email) VALUES ('secret', 'ops@school.example')"
            << int(DatabaseFileOps::Ok);
        QTest::newRow("another program")
            << "CREATE TABLE Account (id INTEGER PRIMARY KEY, owner TEXT NOT NULL, balance REAL)"
            << "INSERT INTO Account (owner, balance) VALUES ('Lin', 12.5)" << int(DatabaseFileOps::NotConsoleDatabase);
    }
    void restoreNeedsAccountsThatLogInReads()
    {
        QFETCH(QString, accountTable);
        QFETCH(QString, row);
        QFETCH(int, expected);
        const QString data = newDataFolder();
        {
            DatabaseManager manager(data, "restoreinto");
        }
        const QString live = dbFile(data);
        const QByteArray liveBefore = fileSha256(live);
        const QString source =
            m_env.home() + QStringLiteral("/account-%1.db").arg(QTest::currentDataTag()).replace(' ', '-');
        {
            DbProbe file(source, QStringLiteral("source"));
            QVERIFY2(file.exec(accountTable), qPrintable(file.lastError()));
            QVERIFY2(file.exec(row), qPrintable(file.lastError()));
        }
        const QByteArray sourceBefore = fileSha256(source);
        QCOMPARE(DatabaseFileOps::checkRestoreSource(live, source), DatabaseFileOps::Ok);
        QCOMPARE(int(DatabaseFileOps::stageRestore(live, source)), expected);
        QCOMPARE(fileSha256(source), sourceBefore);
        if (expected != DatabaseFileOps::Ok) {
            QVERIFY(!QFile::exists(DatabaseFileOps::stagedPath(live)));
            QCOMPARE(fileSha256(live), liveBefore);
            return;
        }
        QCOMPARE(DatabaseFileOps::swapInStaged(live), DatabaseFileOps::Ok);
        DatabaseManager manager(data, "restored");
        QCOMPARE(manager.openState(), DatabaseManager::Ready);
        QList<VelkAccount> accounts;
        QCOMPARE(CoreTables::queryAccount(manager.connection(), accounts), DB_OK);
        QCOMPARE(accounts.size(), 2);
        QCOMPARE(accounts.first().password, QStringLiteral("secret"));
        QVERIFY(accounts.first().isAdmin);
        QVERIFY(!accounts.last().isAdmin);
    }

    // A file whose accounts are readable but whose other tables are another program's was restored; the console then
    // started with a notice in raw SQL, or with none, its pages empty and nothing saved. It is refused before the
    // swap, with the live file as it was.
    void restoreNeedsTheTablesTheConsoleReads_data()
    {
        QTest::addColumn<QString>("statements");
        for (const ForeignTable &table : kForeignTables)
            QTest::newRow(table.name) << QString::fromLatin1(table.sql);
        // It was said "could not be restored", as for a copy that failed.
        QTest::newRow("EventLog a virtual table of a module this program lacks")
            << "DROP TABLE EventLog; PRAGMA writable_schema = ON; INSERT INTO sqlite_master (type, name, tbl_name, "
               "rootpage, sql) VALUES ('table', 'EventLog', 'EventLog', 0, 'CREATE VIRTUAL TABLE EventLog USING "
               "nosuchmodule(deviceName, event, time)')";
    }
    void restoreNeedsTheTablesTheConsoleReads()
    {
        QFETCH(QString, statements);
        QString error;
        const QString source = changedConsoleCopy(QString::fromLatin1(QTest::currentDataTag()), statements, &error);
        QVERIFY2(!source.isEmpty(), qPrintable(error));
        QCOMPARE(stageAgainstNewLive(source), int(DatabaseFileOps::NotConsoleDatabase));
    }

    // Start-up names a table of another shape, as the operator can act on: which table, and what it lacks. It said
    // "creating an index on Device failed: no such column: deviceName Unable to execute statement", or nothing at
    // all (OtaSchedule), or that a view existed.
    void startUpNamesATableOfAnotherShape_data()
    {
        QTest::addColumn<QString>("statements");
        QTest::addColumn<QString>("named");
        const QStringList names{
            QStringLiteral("table Device lacks columns this version needs: did, deviceName"),
            QStringLiteral("table OtaSchedule lacks columns this version needs: osid, scheduleTarget"),
            QStringLiteral("EventLog is a view, not a table")};
        for (int n = 0; n < names.size(); ++n)
            QTest::newRow(kForeignTables[n].name) << QString::fromLatin1(kForeignTables[n].sql) << names.at(n);
    }
    void startUpNamesATableOfAnotherShape()
    {
        QFETCH(QString, statements);
        QFETCH(QString, named);
        const QString data = newDataFolder();
        {
            DatabaseManager manager(data, "shaped");
        }
        {
            DbProbe file(dbFile(data), QStringLiteral("shaper"));
            QString error;
            QVERIFY2(file.execAll(statements, &error), qPrintable(error));
        }
        DatabaseManager manager(data, "shapedagain");
        QCOMPARE(manager.openState(), DatabaseManager::Degraded);
        QVERIFY2(manager.openError().contains(named), qPrintable(manager.openError()));
        QVERIFY2(!manager.openError().contains(QStringLiteral("Unable to execute")), qPrintable(manager.openError()));
        // The other tables serve.
        QList<VelkAccount> accounts;
        QCOMPARE(CoreTables::queryAccount(manager.connection(), accounts), DB_OK);
        QCOMPARE(accounts.size(), 2);
    }

    // A file whose accounts log-in cannot use was restored: the administrator was refused at every try, with no row to
    // send a new password from, or an empty password let anyone in as administrator. Log-in takes the first account
    // marked administrator and the first one not marked, and needs a number other than 0 and a password it can
    // compare with what is typed.
    void restoreNeedsAccountsLogInCanUse_data()
    {
        QTest::addColumn<QString>("statements");
        QTest::addColumn<int>("expected");
        const int refused = int(DatabaseFileOps::NotConsoleDatabase);
        QTest::newRow("no administrator") << "UPDATE Account SET isAdmin = 0" << refused;
        QTest::newRow("administrator marked 'yes'")
            << "UPDATE Account SET isAdmin = 'yes' WHERE isAdmin = 1" << refused;
        QTest::newRow("administrator numbered 0") << "UPDATE Account SET aid = 0 WHERE isAdmin = 1" << refused;
        QTest::newRow("no normal account") << "DELETE FROM Account WHERE isAdmin = 0" << refused;
        QTest::newRow("password NULL") << "UPDATE Account SET password = NULL WHERE isAdmin = 1" << refused;
        QTest::newRow("password empty") << "UPDATE Account SET password = '' WHERE isAdmin = 0" << refused;
        QTest::newRow("password in Big5")
            << "UPDATE Account SET password = CAST(x'b14bbd58' AS TEXT) WHERE isAdmin = 1" << refused;
        QTest::newRow("password in Latin-1")
            << "UPDATE Account SET password = CAST(x'6b656c76f6' AS TEXT) WHERE isAdmin = 1" << refused;
        QTest::newRow("password with NUL")
            << "UPDATE Account SET password = CAST(x'71656e6f00787878' AS TEXT) WHERE isAdmin = 0" << refused;
        // A password in another script is text like any other, and an account log-in never takes is no concern.
        QTest::newRow("password in Chinese, a third account without one")
            << QString::fromUtf8("UPDATE Account SET password = '密碼kelvö' WHERE isAdmin = 1; "
                                 "INSERT INTO Account (password, isAdmin) VALUES (NULL, 1)")
            << int(DatabaseFileOps::Ok);
    }
    void restoreNeedsAccountsLogInCanUse()
    {
        QFETCH(QString, statements);
        QFETCH(int, expected);
        QString error;
        const QString source = changedConsoleCopy(QString::fromLatin1(QTest::currentDataTag()), statements, &error);
        QVERIFY2(!source.isEmpty(), qPrintable(error));
        QCOMPARE(stageAgainstNewLive(source), expected);
    }

    // A backup taken while a writer died inside a transaction has that transaction's journal beside it. Read-only,
    // SQLite cannot play it back and the sound file was refused as unreadable, in a folder of the operator's as in a
    // read-only one; the operator was told to copy it elsewhere, and refused again. It restores what was committed,
    // and nothing is written beside it.
    void restoreOfBackupWithTheJournalOfADeadWriter_data()
    {
        QTest::addColumn<bool>("readOnlyFolder");
        QTest::newRow("folder that can be written") << false;
        QTest::newRow("read-only folder") << true;
    }
    void restoreOfBackupWithTheJournalOfADeadWriter()
    {
        QFETCH(bool, readOnlyFolder);
        if (!probeUserCanBeMade())
            QSKIP(kNoProbeUser);
        QTemporaryDir root;
        QVERIFY(enterableByOthers(root));
        const QString carried = m_copies.deadWriterBackup(root.path(), 2000);
        QVERIFY(!carried.isEmpty());
        {
            // The file alone holds pages of the transaction that never ended.
            const QString alone = root.path() + QStringLiteral("/alone.db");
            QVERIFY(QFile::copy(carried, alone));
            DbProbe file(alone, QStringLiteral("alone"));
            QVERIFY(file.value(QStringLiteral("SELECT count(*) FROM EventLog WHERE deviceName = 'never'")).toInt() > 0);
        }
        const QString live = root.path() + QStringLiteral("/live/QuorvinDatabase.db");
        QVERIFY(QDir().mkpath(QFileInfo(live).absolutePath()));
        QVERIFY(giveToProbeUser(root.path()));
        const QByteArray folder = QFile::encodeName(QFileInfo(carried).absolutePath());
        const QStringList besideBefore = QFileInfo(carried).absoluteDir().entryList(QDir::AllEntries | QDir::Hidden);
        const QByteArray fileBefore = fileSha256(carried);
        const QByteArray journalBefore = fileSha256(carried + QStringLiteral("-journal"));
        if (readOnlyFolder)
            QVERIFY(::chmod(folder.constData(), 0555) == 0);
        const QList<int> results = stageAsProbeUser(live, carried);
        ::chmod(folder.constData(), 0755);

        QCOMPARE(results, (QList<int>{DatabaseFileOps::Ok, DatabaseFileOps::Ok}));
        QCOMPARE(QFileInfo(carried).absoluteDir().entryList(QDir::AllEntries | QDir::Hidden), besideBefore);
        QCOMPARE(fileSha256(carried), fileBefore);
        QCOMPARE(fileSha256(carried + QStringLiteral("-journal")), journalBefore);
        // Beside the live file: the staged copy and nothing else.
        QCOMPARE(QFileInfo(live).absoluteDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{QFileInfo(DatabaseFileOps::stagedPath(live)).fileName()});
        DbProbe staged(DatabaseFileOps::stagedPath(live), QStringLiteral("rolledback"));
        QCOMPARE(staged.value(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
        QCOMPARE(staged.value(QStringLiteral("SELECT count(*) FROM EventLog WHERE deviceName = 'never'")).toInt(), 0);
        QCOMPARE(staged.count(QStringLiteral("EventLog")), 2000);
        QCOMPARE(staged.column(QStringLiteral("SELECT DISTINCT email FROM Account")),
                 QStringList{QStringLiteral("committed@school.example")});
    }

    // Backup wrote a copy under a name of its own and then copied that over the target, so it needed room for two
    // copies: with 1.5 times the database's size free it failed, and each failed attempt left a journal beside the
    // target. It needs room for one copy, and a failure leaves nothing.
    void backupNeedsRoomForOneCopy_data()
    {
        QTest::addColumn<double>("freeShare");
        QTest::addColumn<int>("expected");
        QTest::newRow("1.2 times the database free") << 1.2 << int(DatabaseFileOps::Ok);
        QTest::newRow("0.6 times the database free") << 0.6 << int(DatabaseFileOps::DiskFull);
    }
    void backupNeedsRoomForOneCopy()
    {
        QFETCH(double, freeShare);
        QFETCH(int, expected);
        QTemporaryDir disk;
        QVERIFY(disk.isValid());
        if (!SmallDisk::available(disk.path()))
            QSKIP("no user namespace here to mount a small disk in");
        const QString data = m_copies.newDataFolderWithEvents(QStringLiteral("tobackup"), 30000);
        QVERIFY(!data.isEmpty());
        const qint64 size = QFileInfo(dbFile(data)).size();
        QVERIFY(size > 1024 * 1024);
        const qint64 freeBytes = qint64(size * freeShare);
        QProcess process;
        SmallDisk::start(process, disk.path(), 2 * size + 1024 * 1024, freeBytes, {QStringLiteral("backups")},
                         QStringLiteral(QV_FILEOPS_PROBE),
                         {QStringLiteral("--backup"), dbFile(data), disk.path() + QStringLiteral("/backups/copy.db")});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 0);
        int result = -1;
        QStringList left;
        for (const QByteArray &line : process.readAllStandardOutput().split('\n')) {
            if (line.startsWith("backup "))
                result = line.mid(7).toInt();
            else if (line.startsWith("left "))
                left << QString::fromLocal8Bit(line.mid(5));
        }
        QCOMPARE(result, expected);
        QCOMPARE(left, expected == DatabaseFileOps::Ok ? QStringList{QStringLiteral("copy.db")} : QStringList());
    }

    // A copy beside the live file that met a full disk part of the way through a write was said "could not be
    // restored", as a copy that failed for no reason the operator could act on: a write cut short reported no error of
    // its own. The disk is named as full, and nothing is left beside the live file. (The room is counted before the
    // copies are made; here the count is made to miss, as when another program fills the disk meanwhile.)
    void restoreOnADiskThatFillsSaysSo()
    {
        QTemporaryDir disk;
        QVERIFY(disk.isValid());
        if (!SmallDisk::available(disk.path()))
            QSKIP("no user namespace here to mount a small disk in");
        QTemporaryDir shelf(m_env.home() + QStringLiteral("/fills-XXXXXX"));
        QVERIFY(shelf.isValid());
        const QString source = m_copies.deadWriterBackup(shelf.path(), 20000);
        QVERIFY(!source.isEmpty());
        const qint64 copies = QFileInfo(source).size() + QFileInfo(source + QStringLiteral("-journal")).size();
        QProcess process;
        SmallDisk::start(process, disk.path(), copies + 4 * 1024 * 1024, copies / 2 + 12345, {QStringLiteral("live")},
                         QStringLiteral(QV_FILEOPS_PROBE),
                         {QStringLiteral("--room"), QString::number(copies * 4),
                          disk.path() + QStringLiteral("/live/QuorvinDatabase.db"), source});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 0);
        QList<int> results;
        QStringList left;
        for (const QByteArray &line : process.readAllStandardOutput().split('\n')) {
            if (line.startsWith("check ") || line.startsWith("stage "))
                results << line.mid(6).toInt();
            else if (line.startsWith("left "))
                left << QString::fromLocal8Bit(line.mid(5));
        }
        QCOMPARE(results, (QList<int>{DatabaseFileOps::DiskFull, DatabaseFileOps::DiskFull}));
        QCOMPARE(left, QStringList());
    }

    // A Backup into a folder that cannot be written said only "The database could not be backed up."; the folder is
    // named as such, and nothing is left.
    void backupIntoAReadOnlyFolderSaysSo()
    {
        if (!probeUserCanBeMade())
            QSKIP(kNoProbeUser);
        QTemporaryDir root;
        QVERIFY(enterableByOthers(root));
        const QString data = root.path() + QStringLiteral("/share/Quorvin");
        {
            DatabaseManager manager(data, "readonlytarget");
        }
        const QString shelf = root.path() + QStringLiteral("/shelf");
        QVERIFY(QDir().mkpath(shelf));
        QVERIFY(giveToProbeUser(root.path()));
        QVERIFY(::chmod(QFile::encodeName(shelf).constData(), 0555) == 0);
        QStringList arguments{QStringLiteral("--backup"), dbFile(data), shelf + QStringLiteral("/copy.db")};
        if (geteuid() == 0)
            arguments << QString::number(kProbeUid);
        QProcess process;
        process.start(QStringLiteral(QV_FILEOPS_PROBE), arguments);
        QVERIFY(process.waitForFinished(30000));
        ::chmod(QFile::encodeName(shelf).constData(), 0755);
        QCOMPARE(process.exitCode(), 0);
        const QList<QByteArray> lines = process.readAllStandardOutput().split('\n');
        QCOMPARE(lines.first(), QByteArray("backup ") + QByteArray::number(DatabaseFileOps::FolderReadOnly));
        QVERIFY(QDir(shelf).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
    }

    // A restore killed while it copied left the staged copy and its journal beside the live file (30 MB in that run),
    // and the private copy of a file with a journal to play back, until the next restore. The next start removes them.
    void startUpRemovesWhatAKilledRestoreLeft()
    {
        const QString data = newDataFolder();
        {
            DatabaseManager manager(data, "killedrestore");
        }
        const QString live = dbFile(data);
        const QByteArray liveBefore = fileSha256(live);
        const QString staged = DatabaseFileOps::stagedPath(live);
        QVERIFY(QFile::copy(live, staged));
        QVERIFY(QFile::copy(live, staged + QStringLiteral("-journal")));
        const QString privateCopy = live + QStringLiteral(".rollback-Ab12Cd");
        QVERIFY(QDir().mkpath(privateCopy));
        QVERIFY(QFile::copy(live, privateCopy + QStringLiteral("/backup.db")));

        DatabaseManager manager(data, "afterkill");
        QCOMPARE(manager.openState(), DatabaseManager::Ready);
        QCOMPARE(QFileInfo(live).absoluteDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{QFileInfo(live).fileName()});
        QCOMPARE(fileSha256(live), liveBefore);
    }

    // The file a restore replaces may still be open elsewhere in WAL mode, its latest changes in the WAL file beside
    // it. Left there, that file was played into the restored database at the next start: the restored data was
    // overwritten by pages of the old one. It goes with the replaced file.
    void restoreTakesJournalsOfReplacedFileAlong()
    {
        const QString data = newDataFolder();
        {
            DatabaseManager manager(data, "replaced");
        }
        const QString live = dbFile(data);
        const QString backup = m_env.home() + QStringLiteral("/journals-backup.db");
        QCOMPARE(DatabaseFileOps::backup(live, backup), DatabaseFileOps::Ok);
        {
            DbProbe file(backup, QStringLiteral("backupfile"));
            QVERIFY(file.exec(QStringLiteral("UPDATE Account SET email = ? WHERE isAdmin = 1"),
                              {QStringLiteral("restored@school.example")}));
        }
        DbProbe holder(live, QStringLiteral("holder"));
        QVERIFY(holder.exec(QStringLiteral("PRAGMA journal_mode = WAL")));
        QVERIFY(holder.exec(QStringLiteral("PRAGMA wal_autocheckpoint = 0")));
        for (int n = 0; n < 50; ++n) {
            QVERIFY(holder.exec(QStringLiteral("INSERT INTO EventLog (deviceName, event, time) VALUES (?, 1, ?)"),
                                {QStringLiteral("Old Panel %1").arg(n), QStringLiteral("2024-05-04 08:00:00")}));
        }
        QVERIFY(holder.exec(QStringLiteral("UPDATE Account SET email = ? WHERE isAdmin = 1"),
                            {QStringLiteral("replaced@school.example")}));
        QVERIFY(QFileInfo(live + QStringLiteral("-wal")).size() > 0);

        QCOMPARE(DatabaseFileOps::checkRestoreSource(live, backup), DatabaseFileOps::Ok);
        QCOMPARE(DatabaseFileOps::stageRestore(live, backup), DatabaseFileOps::Ok);
        QCOMPARE(DatabaseFileOps::swapInStaged(live), DatabaseFileOps::Ok);
        QVERIFY(!QFile::exists(live + QStringLiteral("-wal")));

        DatabaseManager manager(data, "afterswap");
        QCOMPARE(manager.openState(), DatabaseManager::Ready);
        QList<VelkAccount> accounts;
        QCOMPARE(CoreTables::queryAccount(manager.connection(), accounts), DB_OK);
        QVERIFY(!accounts.isEmpty());
        QCOMPARE(accounts.first().email, QStringLiteral("restored@school.example"));
        // The replaced file keeps its latest changes.
        DbProbe kept(DatabaseFileOps::keptPath(live), QStringLiteral("keptfile"));
        QCOMPARE(kept.value(QStringLiteral("SELECT email FROM Account WHERE isAdmin = 1")).toString(),
                 QStringLiteral("replaced@school.example"));
    }
};

QTEST_GUILESS_MAIN(TestDatastoreFileFaults)
#include "tst_DatastoreFileFaults.moc"
