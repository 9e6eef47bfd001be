// Database files that outside checks found handled short of what the operator needs: a file set
// aside without a word, a data folder in which SQLite cannot write its journal, files of
// another version of the console (columns in another order, a column this version cannot fill),
// a disk that is full, and files chosen for a restore (in WAL mode in a folder that cannot be
// written, another program's Account table, journals left beside the file replaced).

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

#include "datastore/CoreTables.h"
#include "datastore/DatabaseFileOps.h"
#include "datastore/DatabaseManager.h"
#include "datastore/DbResult.h"
#include "datastore/OrvantaDBManager.h"
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
    DataFolders m_folders{m_env.home(), QStringLiteral("faults")};

    QString newDataFolder() { return m_folders.next(); }
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
    // whole and is restored; with them it cannot be read whole, and it is refused as unreadable (not as a foreign
    // file), with those changes left where they are.
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
        if (changesBeside) {
            QCOMPARE(results, (QList<int>{DatabaseFileOps::SourceUnreadable, DatabaseFileOps::SourceUnreadable}));
            QVERIFY(!QFile::exists(staged));
            return;
        }
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
