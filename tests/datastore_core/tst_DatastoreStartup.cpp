// Start-up of the data store: the database file, its 28 tables, upgrades of older files,
// seeding, the move from the former folder, damaged and locked files, the camera-management link.

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

#include "datastore/CoreTables.h"
#include "datastore/DatabaseManager.h"
#include "datastore/DbResult.h"
#include "datastore/OrvantaDBManager.h"
#include "support/DataFolders.h"
#include "support/DbProbe.h"
#include "support/TestEnv.h"
#include "support/TestFiles.h"

namespace {

const QStringList kAllTables = {"Account",
                                "Device",
                                "Groups",
                                "DeviceGroups",
                                "Schedule",
                                "GroupsSchedule",
                                "DeviceSchedule",
                                "OtaReminder",
                                "OtaSchedule",
                                "DeviceOtaSchedule",
                                "GroupsOtaSchedule",
                                "OtaScheduleReport",
                                "AutoTestSchedule",
                                "DeviceAutoTestSchedule",
                                "GroupsAutoTestSchedule",
                                "AutoTestScheduleReport",
                                "Broadcast",
                                "DeviceBroadcast",
                                "GroupsBroadcast",
                                "BroadcastReport",
                                "MultiUser",
                                "AppInfo",
                                "AppPermission",
                                "UserDevice",
                                "MultiUserAdmin",
                                "DatabaseIdentifier",
                                "DeviceCameraMap",
                                "EventLog"};

QMap<QString, int> rowCounts(const QString &file)
{
    DbProbe probe(file, QStringLiteral("counts"));
    QMap<QString, int> counts;
    for (const QString &table : kAllTables)
        counts[table] = probe.count(table);
    return counts;
}

} // namespace

class TestDatastoreStartup : public QObject
{
    Q_OBJECT

private:
    TestEnv m_env;
    DataFolders m_folders{m_env.home(), QStringLiteral("case")};

    QString newDataFolder() { return m_folders.next(); }
    static QString dbFile(const QString &dataFolder) { return DataFolders::dbFile(dataFolder); }
    static QString parentOf(const QString &dataFolder) { return QDir::cleanPath(dataFolder + "/.."); }

private slots:
    void initTestCase() { QVERIFY(m_env.isValid()); }

    void firstStartCreatesCompleteDatabaseAndSecondStartChangesNothing()
    {
        const QString data = newDataFolder();
        QString identifier;
        {
            DatabaseManager manager(data, "first");
            QCOMPARE(manager.openState(), DatabaseManager::Ready);
            QVERIFY(manager.openError().isEmpty());
        }
        const QString file = dbFile(data);
        QVERIFY(QFile::exists(file));
        QMap<QString, int> before;
        {
            DbProbe probe(file);
            QStringList tables = probe.tables();
            tables.removeAll("sqlite_sequence");
            QCOMPARE(QSet<QString>(tables.begin(), tables.end()), QSet<QString>(kAllTables.begin(), kAllTables.end()));
            QCOMPARE(probe.column("SELECT password || '|' || isAdmin FROM Account ORDER BY aid"),
                     QStringList({"kelvo|1", "qeno|0"}));
            const QStringList apps = probe.column("SELECT appName FROM AppInfo ORDER BY aiid");
            QCOMPARE(apps.size(), 12);
            QCOMPARE(apps.first(), QString("Inkora"));
            QCOMPARE(apps.last(), QString("Settings"));
            QCOMPARE(probe.value("SELECT packageName FROM AppInfo WHERE appName = 'Grouping & Draw'").toString(),
                     QString("com.velk.drawlotsgrouping"));
            QCOMPARE(probe.column("SELECT enableSetupServer || enableMultiUser || enableGuestUser FROM MultiUserAdmin"),
                     QStringList({"000"}));
            const QStringList ids = probe.column("SELECT uniqueId FROM DatabaseIdentifier");
            QCOMPARE(ids.size(), 1);
            QVERIFY2(
                QRegularExpression("^\\{[0-9a-f]{8}(-[0-9a-f]{4}){3}-[0-9a-f]{12}\\}$").match(ids.first()).hasMatch(),
                qPrintable(ids.first()));
            identifier = ids.first();
            QCOMPARE(probe.columns("Device"),
                     QStringList({"did", "deviceName", "modelName", "macAddress", "ipAddress", "fwVersion",
                                  "lastPassword", "subnetMask", "gateway", "panelFwVersion", "displayClientVersion",
                                  "sku", "isKicked", "deviceType", "position", "ptzCamera", "learnedMac"}));
        }
        before = rowCounts(file);

        {
            DatabaseManager again(data, "second");
            QCOMPARE(again.openState(), DatabaseManager::Ready);
        }
        QCOMPARE(rowCounts(file), before);
        DbProbe probe(file);
        QCOMPARE(probe.value("SELECT uniqueId FROM DatabaseIdentifier").toString(), identifier);
    }

    void sharedInstanceLivesInTheApplicationDataFolder()
    {
        // No folder injected: the writable data location of this executable, under the test's HOME.
        const QString expected =
            QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/dbManagement/QuorvinDatabase.db";
        QVERIFY(expected.startsWith(m_env.home()));
        OrvantaDBIntf *first = OrvantaDBManager::getInstance();
        QVERIFY(first);
        QCOMPARE(OrvantaDBManager::getInstance(), first);
        QVERIFY(QFile::exists(expected));
        QVERIFY(OrvantaDBManager::startupError().isEmpty());
        QList<VelkAccount> accounts;
        QCOMPARE(first->queryAccount(accounts), DB_OK);
        QCOMPARE(accounts.size(), 2);
        QString id;
        QCOMPARE(first->queryDatabaseIdentifierUniqueId(id), DB_OK);
        QCOMPARE(id.size(), 38);
        QVERIFY(QMetaType::type("VelkIFPDevice") != QMetaType::UnknownType);
        QVERIFY(QMetaType::type("VelkBroadcast") != QMetaType::UnknownType);
    }

    void formerFolderIsMovedAndUpgraded()
    {
        const QString data = newDataFolder();
        const QString former = parentOf(data) + "/Orvanta";
        QDir().mkpath(former + "/dbManagement");
        QDir().mkpath(former + "/Audio");
        {
            QFile ini(former + "/settings.ini");
            QVERIFY(ini.open(QIODevice::WriteOnly));
            ini.write("[Page]\nPageMode=1\n");
            QFile audio(former + "/Audio/alarm.mp3");
            QVERIFY(audio.open(QIODevice::WriteOnly));
            audio.write("mp3");
        }
        {
            // The column set of the oldest databases in the field.
            DbProbe old(former + "/dbManagement/OrvantaDatabase.db", "old");
            QVERIFY(old.exec("CREATE TABLE Account ( aid INTEGER PRIMARY KEY AUTOINCREMENT,password TEXT DEFAULT "
                             "'kelvo',email TEXT )"));
            QVERIFY(old.exec("INSERT INTO Account (password, email) VALUES ('secret', 'ops@example.org')"));
            QVERIFY(old.exec("CREATE TABLE Device ( did INTEGER PRIMARY KEY AUTOINCREMENT,deviceName TEXT UNIQUE,"
                             "modelName TEXT,macAddress TEXT UNIQUE,ipAddress TEXT, fwVersion TEXT,lastPassword TEXT, "
                             "subnetMask TEXT, gateway TEXT)"));
            QVERIFY(old.exec("INSERT INTO Device (deviceName, macAddress, ipAddress) VALUES ('Hall', 'AA:BB', "
                             "'10.0.0.5')"));
            QVERIFY(old.exec("CREATE TABLE Groups ( gid INTEGER PRIMARY KEY AUTOINCREMENT,groupName TEXT UNIQUE)"));
            QVERIFY(old.exec("INSERT INTO Groups (groupName) VALUES ('Floor 1')"));
            QVERIFY(old.exec("CREATE TABLE OtaScheduleReport (osrid INTEGER PRIMARY KEY AUTOINCREMENT,did INTEGER,"
                             "osid INTEGER,status INTEGER)"));
        }

        DatabaseManager manager(data, "migrated");
        QCOMPARE(manager.openState(), DatabaseManager::Ready);
        QVERIFY(!QFileInfo::exists(former));
        QVERIFY(QFile::exists(data + "/settings.ini"));
        QVERIFY(QFile::exists(data + "/Audio/alarm.mp3"));
        QVERIFY(!QFile::exists(data + "/dbManagement/OrvantaDatabase.db"));

        DbProbe probe(dbFile(data));
        QCOMPARE(probe.columns("Device"),
                 QStringList({"did", "deviceName", "modelName", "macAddress", "ipAddress", "fwVersion", "lastPassword",
                              "subnetMask", "gateway", "panelFwVersion", "displayClientVersion", "sku", "isKicked",
                              "deviceType", "position", "ptzCamera", "learnedMac"}));
        QCOMPARE(probe.value("SELECT deviceType FROM Device WHERE deviceName = 'Hall'").toString(),
                 QString("Control Box"));
        // A MAC stored before the console marked the learned ones is taken for one the operator entered.
        QVERIFY(probe.value("SELECT learnedMac IS NULL FROM Device WHERE deviceName = 'Hall'").toBool());
        QCOMPARE(probe.value("SELECT groupType FROM Groups").toString(), QString("Control Box"));
        QVERIFY(probe.columns("OtaScheduleReport").contains("fwVersion"));
        QVERIFY(probe.columns("OtaScheduleReport").contains("watchUntil"));
        // The first account became the administrator and the normal user was added.
        QCOMPARE(
            probe.column("SELECT password || '|' || isAdmin || '|' || ifnull(email, '') FROM Account ORDER BY aid"),
            QStringList({"secret|1|ops@example.org", "qeno|0|"}));
        QCOMPARE(probe.count("AppInfo"), 12);
        QCOMPARE(probe.count("MultiUserAdmin"), 1);
        QCOMPARE(probe.count("DatabaseIdentifier"), 1);
    }

    void existingDatabaseIsNotReplacedByTheFormerOne()
    {
        const QString data = newDataFolder();
        {
            DatabaseManager current(data, "current");
            VelkIFPDevice device;
            device.deviceName = "Current";
            QCOMPARE(CoreTables::createIFPDevice(current.connection(), device), DB_OK);
        }
        const QString former = parentOf(data) + "/Orvanta";
        QDir().mkpath(former + "/dbManagement");
        {
            DbProbe old(former + "/dbManagement/OrvantaDatabase.db", "old");
            QVERIFY(old.exec("CREATE TABLE Device ( did INTEGER PRIMARY KEY AUTOINCREMENT,deviceName TEXT UNIQUE)"));
            QVERIFY(old.exec("INSERT INTO Device (deviceName) VALUES ('Old')"));
        }
        const QByteArray oldHash = fileSha256(former + "/dbManagement/OrvantaDatabase.db");
        QVERIFY(!oldHash.isEmpty());

        DatabaseManager manager(data, "again");
        QCOMPARE(manager.openState(), DatabaseManager::Ready);
        QVERIFY(QFileInfo::exists(former)); // kept: its database could not be moved
        QCOMPARE(fileSha256(former + "/dbManagement/OrvantaDatabase.db"), oldHash);
        DbProbe probe(dbFile(data));
        QCOMPARE(probe.column("SELECT deviceName FROM Device"), QStringList({"Current"}));
    }

    void garbageFileIsSetAsideAndReplaced()
    {
        const QString data = newDataFolder();
        QDir().mkpath(data + "/dbManagement");
        const QByteArray garbage = QByteArray("these bytes were never an SQLite database\n").repeated(200);
        {
            QFile file(dbFile(data));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(garbage);
        }

        DatabaseManager manager(data, "garbage");
        QCOMPARE(manager.openState(), DatabaseManager::Recreated);

        const QStringList aside = QDir(data + "/dbManagement").entryList({"QuorvinDatabase.db.broken-*"}, QDir::Files);
        QCOMPARE(aside.size(), 1);
        QVERIFY(QRegularExpression("^QuorvinDatabase\\.db\\.broken-\\d{8}-\\d{6}$").match(aside.first()).hasMatch());
        QFile kept(data + "/dbManagement/" + aside.first());
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), garbage);

        QList<VelkAccount> accounts;
        QCOMPARE(CoreTables::queryAccount(manager.connection(), accounts), DB_OK);
        QCOMPARE(accounts.size(), 2);
        DbProbe probe(dbFile(data));
        QCOMPARE(probe.count("AppInfo"), 12);
        QCOMPARE(probe.count("DatabaseIdentifier"), 1);
    }

    void damagedDatabaseIsSetAside()
    {
        const QString data = newDataFolder();
        {
            DatabaseManager manager(data, "tobreak");
            for (int i = 0; i < 300; ++i) {
                VelkIFPDevice device;
                device.deviceName = QStringLiteral("Panel %1 with a long enough name to fill pages").arg(i);
                QCOMPARE(CoreTables::createIFPDevice(manager.connection(), device), DB_OK);
            }
        }
        {
            // Keep the schema page, lose the pages that hold the rows.
            QFile file(dbFile(data));
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.size() > 8 * 4096);
            QVERIFY(file.resize(4 * 4096));
        }
        DatabaseManager manager(data, "damaged");
        QCOMPARE(manager.openState(), DatabaseManager::Recreated);
        QCOMPARE(QDir(data + "/dbManagement").entryList({"QuorvinDatabase.db.broken-*"}, QDir::Files).size(), 1);
        DbProbe probe(dbFile(data));
        QCOMPARE(probe.count("Device"), 0);
        QCOMPARE(probe.count("Account"), 2);
    }

    void lockedDatabaseIsLeftAlone()
    {
        const QString data = newDataFolder();
        {
            DatabaseManager manager(data, "tolock");
        }
        const QString file = dbFile(data);
        const QByteArray before = fileSha256(file);
        QVERIFY(!before.isEmpty());

        DbProbe holder(file, "holder");
        QVERIFY2(holder.exec("BEGIN EXCLUSIVE"), qPrintable(holder.lastError()));

        DatabaseManager manager(data, "blocked"); // waits for the driver's busy time-out, then gives up
        QCOMPARE(manager.openState(), DatabaseManager::Unavailable);
        QVERIFY(!manager.openError().isEmpty());
        QVERIFY(holder.exec("ROLLBACK"));

        QVERIFY(QFile::exists(file));
        QCOMPARE(fileSha256(file), before);
        QVERIFY(QDir(data + "/dbManagement").entryList({"*.broken-*"}, QDir::Files).isEmpty());
    }

    void readOnlyDatabaseIsLeftAlone()
    {
        if (geteuid() == 0)
            QSKIP("file permissions do not bind root");
        const QString data = newDataFolder();
        {
            DatabaseManager manager(data, "tofreeze");
        }
        const QString file = dbFile(data);
        {
            DbProbe probe(file, "drop");
            QVERIFY(probe.exec("DELETE FROM DatabaseIdentifier"));
        }
        QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        const QByteArray before = fileSha256(file);
        QVERIFY(!before.isEmpty());
        {
            DatabaseManager manager(data, "frozen");
            QCOMPARE(manager.openState(), DatabaseManager::Unavailable);
            QList<VelkAccount> accounts;
            QCOMPARE(CoreTables::queryAccount(manager.connection(), accounts), DB_OK); // reading still works
        }
        QCOMPARE(fileSha256(file), before);
        QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
    }

    void emptySeedTablesAreSeededAgain()
    {
        const QString data = newDataFolder();
        {
            DatabaseManager manager(data, "seed1");
        }
        {
            DbProbe probe(dbFile(data), "wipe");
            QVERIFY(probe.exec("DELETE FROM MultiUserAdmin"));
            QVERIFY(probe.exec("DELETE FROM DatabaseIdentifier"));
            QVERIFY(probe.exec("DELETE FROM AppInfo WHERE appName = 'Settings'"));
        }
        {
            DatabaseManager manager(data, "seed2");
        }
        DbProbe probe(dbFile(data));
        QCOMPARE(probe.count("MultiUserAdmin"), 1);
        QCOMPARE(probe.count("DatabaseIdentifier"), 1);
        // Eleven apps is the set of databases from before the Settings app: it is added.
        QCOMPARE(probe.count("AppInfo"), 12);
        QCOMPARE(probe.value("SELECT appName FROM AppInfo ORDER BY aiid DESC").toString(), QString("Settings"));

        QVERIFY(probe.exec("DELETE FROM AppInfo WHERE aiid > 5"));
        {
            DatabaseManager manager(data, "seed3");
        }
        QCOMPARE(probe.count("AppInfo"), 5); // an operator's own choice of apps is left alone
    }

    void upgradeKeepsAnExistingNormalUser()
    {
        const QString data = newDataFolder();
        QDir().mkpath(data + "/dbManagement");
        {
            DbProbe old(dbFile(data), "old");
            QVERIFY(old.exec("CREATE TABLE Account ( aid INTEGER PRIMARY KEY AUTOINCREMENT,password TEXT DEFAULT "
                             "'kelvo',email TEXT )"));
            QVERIFY(old.exec("INSERT INTO Account (password) VALUES ('first')"));
            QVERIFY(old.exec("INSERT INTO Account (password) VALUES ('QENO')"));
        }
        DatabaseManager manager(data, "upgrade");
        DbProbe probe(dbFile(data));
        QCOMPARE(probe.column("SELECT password || '|' || ifnull(isAdmin, 'null') FROM Account ORDER BY aid"),
                 QStringList({"first|1", "QENO|null"}));
    }

    void cameraDatabaseIsOnlyReadWhenPresent()
    {
        const QString data = newDataFolder();
        const QString pellmarFolder = parentOf(data) + "/Pellmar/dbManagement/";
        QDir().mkpath(pellmarFolder);
        {
            DatabaseManager manager(data, "nocam");
            QCOMPARE(manager.openState(), DatabaseManager::Ready);
            QVERIFY(!QFile::exists(pellmarFolder + "PellmarDB.db")); // nothing created in that program's folder
            QVERIFY(!QSqlDatabase::contains(manager.pellmarConnectionName()));
            QList<PellmarAccount> accounts;
            QList<PellmarDevice> cameras;
            QList<PellmarGroup> groups;
            QCOMPARE(manager.reloadPellmarDatabase(accounts, cameras, groups), DB_OK);
            QVERIFY(accounts.isEmpty() && cameras.isEmpty() && groups.isEmpty());
        }
        {
            DbProbe cam(pellmarFolder + "PellmarDB.db", "cam");
            QVERIFY(cam.exec("CREATE TABLE Account (id INTEGER PRIMARY KEY, name TEXT, password TEXT, c3 TEXT, "
                             "level INTEGER, groups TEXT, devices TEXT, c7 TEXT, c8 TEXT)"));
            QVERIFY(cam.exec("INSERT INTO Account VALUES (1, 'guard', ?, '', 0, '', '', '', '')",
                             {QByteArray("s3cret").toBase64()}));
            QVERIFY(cam.exec("CREATE TABLE Device (id INTEGER PRIMARY KEY, name TEXT, ip TEXT, mac TEXT, port TEXT, "
                             "c5 TEXT, c6 TEXT, c7 TEXT, c8 TEXT, c9 TEXT, c10 TEXT, c11 TEXT, c12 TEXT)"));
            QVERIFY(cam.exec("CREATE TABLE deviceGroup (gid INTEGER PRIMARY KEY, name TEXT, ids TEXT, n INTEGER)"));
        }
        const QByteArray before = fileSha256(pellmarFolder + "PellmarDB.db");
        QVERIFY(!before.isEmpty());
        DatabaseManager manager(data, "cam");
        QVERIFY(QSqlDatabase::contains(manager.pellmarConnectionName()));
        QSqlDatabase pellmar = QSqlDatabase::database(manager.pellmarConnectionName(), false);
        QVERIFY(pellmar.isOpen());
        QSqlQuery write(pellmar);
        QVERIFY(!write.exec("INSERT INTO deviceGroup (name) VALUES ('x')")); // opened read-only
        QList<PellmarAccount> accounts;
        QList<PellmarDevice> cameras;
        QList<PellmarGroup> groups;
        QCOMPARE(manager.reloadPellmarDatabase(accounts, cameras, groups), DB_OK);
        QCOMPARE(accounts.size(), 1);
        QCOMPARE(accounts.first().accountName, QString("guard"));
        QCOMPARE(fileSha256(pellmarFolder + "PellmarDB.db"), before);
    }
};

QTEST_GUILESS_MAIN(TestDatastoreStartup)
#include "tst_DatastoreStartup.moc"
