#include "datastore/DatabaseManager.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QStringList>
#include <QUuid>

#include "datastore/CameraEventTables.h"
#include "datastore/DbResult.h"
#include "datastore/RecordMapper.h"
#include "datastore/SqlTransaction.h"
#include "shell/Log.h"

namespace {

const char kDatabaseFolder[] = "/dbManagement/";
const char kDatabaseFile[] = "QuorvinDatabase.db";
const char kFormerDatabaseFile[] = "OrvantaDatabase.db";
const char kFormerFolderName[] = "/Orvanta";
const char kPellmarFolder[] = "/Pellmar/dbManagement/";
const char kPellmarFile[] = "PellmarDB.db";
const char kPellmarConnection[] = "Pellmar";

struct TableDef
{
    const char *name;
    const char *create;
};

// The 28 tables in creation order.
const TableDef kTables[] = {
    {"Account",
     "CREATE TABLE Account ( aid INTEGER PRIMARY KEY AUTOINCREMENT,password TEXT DEFAULT 'kelvo',email TEXT ,"
     "isAdmin INTEGER,language TEXT,sosUsername TEXT,sosPassword TEXT)"},
    {"Device",
     "CREATE TABLE Device ( did INTEGER PRIMARY KEY AUTOINCREMENT,deviceName TEXT UNIQUE,modelName TEXT,"
     "macAddress TEXT UNIQUE,ipAddress TEXT, fwVersion TEXT,lastPassword TEXT, subnetMask TEXT, gateway TEXT, "
     "panelFwVersion TEXT, displayClientVersion TEXT, sku TEXT, isKicked INTEGER, deviceType TEXT, position TEXT, "
     "ptzCamera TEXT )"},
    {"Groups", "CREATE TABLE Groups ( gid INTEGER PRIMARY KEY AUTOINCREMENT,groupName TEXT UNIQUE,groupType TEXT)"},
    {"DeviceGroups",
     "CREATE TABLE DeviceGroups (dgid INTEGER PRIMARY KEY AUTOINCREMENT,did INTEGER REFERENCES Device (did),"
     "gid INTEGER REFERENCES Groups (gid))"},
    {"Schedule",
     "CREATE TABLE Schedule ( sid INTEGER PRIMARY KEY AUTOINCREMENT,onTime TEXT,offTime TEXT,rebootTime TEXT,"
     "isEnable INTEGER,isMon INTEGER,isTue INTEGER,isWed INTEGER,isThu INTEGER,isFri INTEGER,isSat INTEGER,"
     "isSun INTEGER, scheduleObject INTEGER, isPowerOn INTEGER, isPowerOff INTEGER, isReboot INTEGER )"},
    {"GroupsSchedule",
     "CREATE TABLE GroupsSchedule (gsid INTEGER PRIMARY KEY AUTOINCREMENT,gid INTEGER REFERENCES Groups (gid),"
     "sid INTEGER REFERENCES Schedule (sid))"},
    {"DeviceSchedule",
     "CREATE TABLE DeviceSchedule (dsid INTEGER PRIMARY KEY AUTOINCREMENT,did INTEGER REFERENCES Device (did),"
     "sid INTEGER REFERENCES Schedule (sid))"},
    {"OtaReminder",
     "CREATE TABLE OtaReminder ( orid INTEGER PRIMARY KEY AUTOINCREMENT,deviceModelName TEXT,"
     "deviceNewestFwVersion TEXT,deviceNewestPanelFwVersion TEXT,isFwVersionSkipped INTEGER,"
     "isPanelFwVersionSkipped INTEGER )"},
    {"OtaSchedule",
     "CREATE TABLE OtaSchedule ( osid INTEGER PRIMARY KEY AUTOINCREMENT,scheduleTarget INTEGER,date TEXT,"
     "time TEXT,status INTEGER,isEnable INTEGER )"},
    {"DeviceOtaSchedule",
     "CREATE TABLE DeviceOtaSchedule (dosid INTEGER PRIMARY KEY AUTOINCREMENT,did INTEGER REFERENCES Device (did),"
     "osid INTEGER REFERENCES OtaSchedule (osid))"},
    {"GroupsOtaSchedule",
     "CREATE TABLE GroupsOtaSchedule (gosid INTEGER PRIMARY KEY AUTOINCREMENT,gid INTEGER REFERENCES Groups (gid),"
     "osid INTEGER REFERENCES OtaSchedule (osid))"},
    {"OtaScheduleReport",
     "CREATE TABLE OtaScheduleReport (osrid INTEGER PRIMARY KEY AUTOINCREMENT,did INTEGER REFERENCES Device (did),"
     "osid INTEGER REFERENCES OtaSchedule (osid),status INTEGER, fwVersion TEXT )"},
    {"AutoTestSchedule",
     "CREATE TABLE AutoTestSchedule ( tsid INTEGER PRIMARY KEY AUTOINCREMENT,scheduleTarget INTEGER,time TEXT,"
     "status INTEGER,isEnable INTEGER,isMon INTEGER,isTue INTEGER,isWed INTEGER,isThu INTEGER,isFri INTEGER,"
     "isSat INTEGER,isSun INTEGER )"},
    {"DeviceAutoTestSchedule",
     "CREATE TABLE DeviceAutoTestSchedule (dtsid INTEGER PRIMARY KEY AUTOINCREMENT,"
     "did INTEGER REFERENCES Device (did),tsid INTEGER REFERENCES AutoTestSchedule (tsid))"},
    {"GroupsAutoTestSchedule",
     "CREATE TABLE GroupsAutoTestSchedule (gtsid INTEGER PRIMARY KEY AUTOINCREMENT,"
     "gid INTEGER REFERENCES Groups (gid),tsid INTEGER REFERENCES AutoTestSchedule (tsid))"},
    {"AutoTestScheduleReport",
     "CREATE TABLE AutoTestScheduleReport (tsrid INTEGER PRIMARY KEY AUTOINCREMENT,"
     "did INTEGER REFERENCES Device (did),tsid INTEGER REFERENCES AutoTestSchedule (tsid),status INTEGER, "
     "notes INTEGER )"},
    {"Broadcast",
     "CREATE TABLE Broadcast ( bid INTEGER PRIMARY KEY AUTOINCREMENT,status INTEGER,displayType INTEGER,"
     "contentText TEXT,audioSelection INTEGER,displayedAudioFilename TEXT,savedAudioFilename TEXT,"
     "wakeOnLan INTEGER,repeat INTEGER,durationMin INTEGER,durationSec INTEGER,target INTEGER,isNow INTEGER,"
     "startDate TEXT,time TEXT,repeatSun INTEGER,repeatMon INTEGER,repeatTue INTEGER,repeatWed INTEGER,"
     "repeatThu INTEGER,repeatFri INTEGER,repeatSat INTEGER )"},
    {"DeviceBroadcast",
     "CREATE TABLE DeviceBroadcast (dbid INTEGER PRIMARY KEY AUTOINCREMENT,did INTEGER REFERENCES Device (did),"
     "bid INTEGER REFERENCES Broadcast (bid))"},
    {"GroupsBroadcast",
     "CREATE TABLE GroupsBroadcast (gbid INTEGER PRIMARY KEY AUTOINCREMENT,gid INTEGER REFERENCES Groups (gid),"
     "bid INTEGER REFERENCES Broadcast (bid))"},
    {"BroadcastReport",
     "CREATE TABLE BroadcastReport (brid INTEGER PRIMARY KEY AUTOINCREMENT,did INTEGER REFERENCES Device (did),"
     "bid INTEGER REFERENCES Broadcast (bid),status INTEGER,note INTEGER )"},
    {"MultiUser",
     "CREATE TABLE MultiUser ( muid INTEGER PRIMARY KEY AUTOINCREMENT,userName TEXT ,password TEXT ,rfidId TEXT ,"
     "hasPermission INTEGER,uniqueId TEXT)"},
    {"AppInfo", "CREATE TABLE AppInfo ( aiid INTEGER PRIMARY KEY AUTOINCREMENT,appName TEXT ,packageName TEXT)"},
    {"AppPermission",
     "CREATE TABLE AppPermission ( apid INTEGER PRIMARY KEY AUTOINCREMENT,multiUserId INTEGER ,appId INTEGER ,"
     "FOREIGN KEY(multiUserId) REFERENCES MultiUser(muid) ,FOREIGN KEY(appId) REFERENCES AppInfo(aiid))"},
    {"UserDevice",
     "CREATE TABLE UserDevice ( udid INTEGER PRIMARY KEY AUTOINCREMENT,multiUserId INTEGER ,deviceId INTEGER ,"
     "syncStatus INTEGER ,lastSyncTime TEXT ,FOREIGN KEY(multiUserId) REFERENCES MultiUser(muid) ,"
     "FOREIGN KEY(deviceId) REFERENCES Device(did))"},
    {"MultiUserAdmin",
     "CREATE TABLE MultiUserAdmin ( maid INTEGER PRIMARY KEY AUTOINCREMENT,enableSetupServer INTEGER ,"
     "enableMultiUser INTEGER ,createAccountPassword TEXT ,enableGuestUser INTEGER ,adminPassword TEXT ,"
     "adminRfidId TEXT)"},
    {"DatabaseIdentifier",
     "CREATE TABLE DatabaseIdentifier ( diid INTEGER PRIMARY KEY AUTOINCREMENT,uniqueId TEXT)"},
    {"DeviceCameraMap",
     "CREATE TABLE DeviceCameraMap ( aid INTEGER PRIMARY KEY AUTOINCREMENT,did INTEGER,account TEXT,"
     "deviceName TEXT,mac TEXT)"},
    {"EventLog",
     "CREATE TABLE EventLog ( did INTEGER PRIMARY KEY AUTOINCREMENT,deviceName TEXT,event INTEGER,time TEXT)"},
};

struct ProbeDef
{
    const char *table;
    const char *column;
    const char *alter;
};

// Columns that older databases lack, in the order they are added.
const ProbeDef kProbes[] = {
    {"Account", "isAdmin", "ALTER TABLE Account ADD COLUMN isAdmin INTEGER"},
    {"Account", "language", "ALTER TABLE Account ADD COLUMN language TEXT"},
    {"Account", "sosUsername", "ALTER TABLE Account ADD COLUMN sosUsername TEXT"},
    {"Account", "sosPassword", "ALTER TABLE Account ADD COLUMN sosPassword TEXT"},
    {"Device", "panelFwVersion", "ALTER TABLE Device ADD COLUMN panelFwVersion TEXT"},
    {"Device", "displayClientVersion", "ALTER TABLE Device ADD COLUMN displayClientVersion TEXT"},
    {"Device", "sku", "ALTER TABLE Device ADD COLUMN sku TEXT"},
    {"Device", "isKicked", "ALTER TABLE Device ADD COLUMN isKicked INTEGER"},
    {"Device", "deviceType", "ALTER TABLE Device ADD COLUMN deviceType TEXT DEFAULT 'Control Box'"},
    {"Device", "position", "ALTER TABLE Device ADD COLUMN position TEXT"},
    {"Device", "ptzCamera", "ALTER TABLE Device ADD COLUMN ptzCamera TEXT"},
    {"Groups", "groupType", "ALTER TABLE Groups ADD COLUMN groupType TEXT DEFAULT 'Control Box'"},
    {"OtaScheduleReport", "fwVersion", "ALTER TABLE OtaScheduleReport ADD COLUMN fwVersion TEXT"},
    {"DeviceCameraMap", "did", "ALTER TABLE DeviceCameraMap ADD COLUMN did TEXT"},
    {"DeviceCameraMap", "account", "ALTER TABLE DeviceCameraMap ADD COLUMN account TEXT"},
    {"DeviceCameraMap", "deviceName", "ALTER TABLE DeviceCameraMap ADD COLUMN deviceName TEXT"},
    {"DeviceCameraMap", "mac", "ALTER TABLE DeviceCameraMap ADD COLUMN mac TEXT"},
    {"EventLog", "did", "ALTER TABLE EventLog ADD COLUMN did TEXT"},
    {"EventLog", "deviceName", "ALTER TABLE EventLog ADD COLUMN deviceName TEXT"},
    {"EventLog", "event", "ALTER TABLE EventLog ADD COLUMN event INTEGER"},
    {"EventLog", "time", "ALTER TABLE EventLog ADD COLUMN time TEXT"},
};

struct IndexDef
{
    const char *table;
    const char *create;
};

// Lookup indexes, created on new and existing databases at every start. Names, MAC addresses
// and group names are matched without regard to letter case, which the UNIQUE constraints'
// own (case-sensitive) indexes cannot serve: without these every such lookup reads the whole
// table. They are not UNIQUE, so a database holding names that differ only in case still opens.
const IndexDef kIndexes[] = {
    {"Device", "CREATE INDEX IF NOT EXISTS DeviceNameNoCase ON Device (deviceName COLLATE NOCASE)"},
    {"Device", "CREATE INDEX IF NOT EXISTS DeviceMacNoCase ON Device (macAddress COLLATE NOCASE)"},
    {"Groups", "CREATE INDEX IF NOT EXISTS GroupsNameNoCase ON Groups (groupName COLLATE NOCASE)"},
    {"DeviceGroups", "CREATE INDEX IF NOT EXISTS DeviceGroupsMember ON DeviceGroups (did, gid)"},
    // A schedule's devices are read by schedule and through its groups' members, for every
    // schedule whenever a day's task list is built.
    {"DeviceGroups", "CREATE INDEX IF NOT EXISTS DeviceGroupsByGroup ON DeviceGroups (gid)"},
    {"DeviceSchedule", "CREATE INDEX IF NOT EXISTS DeviceScheduleBySchedule ON DeviceSchedule (sid)"},
    {"GroupsSchedule", "CREATE INDEX IF NOT EXISTS GroupsScheduleBySchedule ON GroupsSchedule (sid)"},
};

struct DefaultApp
{
    const char *name;
    const char *package;
};

const DefaultApp kDefaultApps[] = {
    {"Inkora", "com.steadfastinnovation.android.projectpapyrus.velk"},
    {"Calculator", "com.android.calculator2"},
    {"Calendar", "com.simplemobiletools.calendar"},
    {"Chromium", "org.chromium.chrome"},
    {"ES File Explorer", "com.estrongs.android.pop"},
    {"Grouping & Draw", "com.velk.drawlotsgrouping"},
    {"Music", "com.android.music"},
    {"OfficeSuite", "com.mobisystems.office"},
    {"Screen Share", "com.velk.velkcasting"},
    {"Oculo2", "com.velk.app.velkvision"},
    {"Video", "android.rk.RockVideoPlayer"},
    {"Settings", "com.android.settings"},
};

// SQLite primary result codes that mean the file itself is unusable as a database.
constexpr int kSqliteCorrupt = 11;
constexpr int kSqliteNotADatabase = 26;

int sqliteCode(const QSqlError &error)
{
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok ? (code & 0xff) : -1;
}

bool meansBrokenFile(const QSqlError &error)
{
    const int code = sqliteCode(error);
    return code == kSqliteCorrupt || code == kSqliteNotADatabase;
}

QByteArray utf8(const QString &text)
{
    return text.toUtf8();
}

const TableDef &tableDef(const char *name)
{
    for (const TableDef &def : kTables) {
        if (qstrcmp(def.name, name) == 0)
            return def;
    }
    Q_UNREACHABLE();
    return kTables[0];
}

bool containsNoCase(const QStringList &names, const QString &name)
{
    return names.contains(name, Qt::CaseInsensitive);
}

// One table step: its statements run in one transaction, so a step that fails halfway leaves
// the file as it was and is tried again at the next start.
class TableStep
{
public:
    TableStep(QSqlDatabase db, const char *name, QString &errors)
        : m_db(db), m_name(name), m_errors(errors), m_tx(db, name)
    {
        if (!m_tx.isActive()) {
            m_failed = true;
            note(QStringLiteral("could not begin a transaction"));
            return;
        }
        m_existing = m_db.tables(QSql::Tables);
    }

    QSqlDatabase db() const { return m_db; }
    bool ok() const { return !m_failed; }

    // Creates the table when missing, else adds the columns it lacks. addedColumns receives
    // the names of the columns added.
    bool ensure(const char *table, QStringList *addedColumns = nullptr)
    {
        if (m_failed)
            return false;
        const TableDef &def = tableDef(table);
        if (!containsNoCase(m_existing, QLatin1String(table))) {
            QSqlQuery create(m_db);
            if (!create.exec(QLatin1String(def.create)))
                return fail(QStringLiteral("creating table %1").arg(QLatin1String(table)), create.lastError());
            m_created << QLatin1String(table);
            return true;
        }
        for (const ProbeDef &probe : kProbes) {
            if (qstrcmp(probe.table, table) != 0)
                continue;
            {
                QSqlQuery select(m_db);
                if (select.exec(QStringLiteral("SELECT %1 FROM %2").arg(QLatin1String(probe.column),
                                                                       QLatin1String(probe.table))))
                    continue;
            }
            QSqlQuery alter(m_db);
            if (!alter.exec(QLatin1String(probe.alter)))
                return fail(QStringLiteral("adding column %1.%2").arg(QLatin1String(table), QLatin1String(probe.column)),
                            alter.lastError());
            writeLog(4, "DatabaseManager: added column %s.%s", table, probe.column);
            if (addedColumns)
                *addedColumns << QLatin1String(probe.column);
        }
        return true;
    }

    bool created(const char *table) const { return m_created.contains(QLatin1String(table)); }

    // Creates the index unless it exists. A table that is missing was reported by its own step.
    bool ensureIndex(const IndexDef &def)
    {
        if (m_failed)
            return false;
        if (!containsNoCase(m_existing, QLatin1String(def.table)))
            return true;
        QSqlQuery create(m_db);
        if (!create.exec(QLatin1String(def.create)))
            return fail(QStringLiteral("creating an index on %1").arg(QLatin1String(def.table)), create.lastError());
        return true;
    }

    bool rowCount(const char *table, int &count)
    {
        if (m_failed)
            return false;
        QSqlQuery query(m_db);
        if (!query.exec(QStringLiteral("SELECT count(*) FROM %1").arg(QLatin1String(table))) || !query.next())
            return fail(QStringLiteral("counting rows of %1").arg(QLatin1String(table)), query.lastError());
        count = query.value(0).toInt();
        return true;
    }

    bool exec(const QString &sql, const QVariantList &values, const QString &what)
    {
        if (m_failed)
            return false;
        QSqlQuery query(m_db);
        if (!sqlExec(query, sql, values, m_name))
            return fail(what, query.lastError());
        return true;
    }

    // Records the failure of an operation that reported a result code rather than an error.
    bool failCode(const QString &what, quint32 code)
    {
        m_failed = true;
        note(QStringLiteral("%1 failed with 0x%2").arg(what).arg(code, 8, 16, QLatin1Char('0')));
        return false;
    }

    DatabaseManager::StepResult finish()
    {
        if (m_failed) {
            m_tx.rollback();
            return m_broken ? DatabaseManager::StepBroken : DatabaseManager::StepFailed;
        }
        if (!m_tx.commit()) {
            note(QStringLiteral("commit failed"));
            return DatabaseManager::StepFailed;
        }
        return DatabaseManager::StepOk;
    }

private:
    bool fail(const QString &what, const QSqlError &error)
    {
        m_failed = true;
        m_broken = m_broken || meansBrokenFile(error);
        note(QStringLiteral("%1 failed: %2").arg(what, error.text()));
        return false;
    }

    void note(const QString &text)
    {
        writeLog(4, "DatabaseManager::%s: %s", m_name, utf8(text).constData());
        if (!m_errors.isEmpty())
            m_errors += QLatin1String("; ");
        m_errors += QLatin1String(m_name) + QLatin1String(": ") + text;
    }

    QSqlDatabase m_db;
    const char *m_name;
    QString &m_errors;
    SqlTransaction m_tx;
    QStringList m_existing;
    QStringList m_created;
    bool m_failed = false;
    bool m_broken = false;
};

} // namespace

DatabaseManager::DatabaseManager(const QString &dataFolder, const QString &connectionName)
    : QObject(nullptr),
      m_dataFolder(dataFolder.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
                                        : dataFolder),
      m_connectionName(connectionName.isEmpty() ? QString::fromLatin1(QSqlDatabase::defaultConnection)
                                                : connectionName),
      m_pellmarConnectionName(connectionName.isEmpty() ? QString::fromLatin1(kPellmarConnection)
                                                       : connectionName + QLatin1String("-Pellmar"))
{
    m_dataFolder = QDir::cleanPath(QDir(m_dataFolder).absolutePath());
    openDatabase();
}

DatabaseManager::~DatabaseManager()
{
    // The shared manager is never destroyed; managers of tests and tools release their
    // connections so the next one can take the same names.
    closeMainConnection();
    if (m_pellmarDb.isValid()) {
        SqlStatement::clearCache(m_pellmarConnectionName);
        m_pellmarDb.close();
        m_pellmarDb = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_pellmarConnectionName);
    }
}

QString DatabaseManager::databaseFilePath() const
{
    return m_dataFolder + QLatin1String(kDatabaseFolder) + QLatin1String(kDatabaseFile);
}

QSqlDatabase DatabaseManager::connection() const
{
    if (!QSqlDatabase::contains(m_connectionName))
        return QSqlDatabase();
    return QSqlDatabase::database(m_connectionName, true);
}

void DatabaseManager::openDatabase()
{
    m_openState = NotOpened;
    m_openError.clear();

    const QString folder = m_dataFolder + QLatin1String(kDatabaseFolder);
    if (!QDir(folder).exists() && !QDir::root().mkpath(QDir(folder).absolutePath()))
        writeLog(4, "DatabaseManager: cannot create the database folder %s", utf8(folder).constData());

    migrateFormerFolder();
    openPellmarDatabase();

    bool recreated = false;
    for (;;) {
        const MainOpenResult opened = openMainDatabase();
        if (opened == MainBroken && resetDatabase()) {
            recreated = true;
            continue;
        }
        if (opened != MainOk) {
            m_openState = Unavailable;
            return;
        }
        const StepResult steps = runTableSteps();
        if (steps == StepBroken && resetDatabase()) {
            recreated = true;
            continue;
        }
        if (steps == StepOk)
            m_openState = recreated ? Recreated : Ready;
        else
            m_openState = Degraded;
        return;
    }
}

quint32 DatabaseManager::closeDatabase()
{
    if (m_mainDb.isOpen()) {
        closeMainConnection();
        m_openState = NotOpened;
    }
    return DB_OK;
}

void DatabaseManager::closeMainConnection()
{
    SqlStatement::clearCache(m_connectionName);
    if (m_mainDb.isOpen())
        m_mainDb.close();
    m_mainDb = QSqlDatabase();
    if (QSqlDatabase::contains(m_connectionName))
        QSqlDatabase::removeDatabase(m_connectionName);
}

DatabaseManager::MainOpenResult DatabaseManager::openMainDatabase()
{
    const QString path = databaseFilePath();
    if (QSqlDatabase::contains(m_connectionName))
        closeMainConnection();
    m_mainDb = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    m_mainDb.setDatabaseName(path);

    auto failed = [&](const QString &what, const QSqlError &error) {
        const bool broken = meansBrokenFile(error);
        m_openError = QStringLiteral("%1: %2").arg(what, error.text());
        writeLog(4, "DatabaseManager: %s of %s failed: %s%s", utf8(what).constData(), utf8(path).constData(),
                 utf8(error.text()).constData(),
                 broken ? "" : " (the file is left as it is)");
        return broken ? MainBroken : MainUnavailable;
    };

    if (!m_mainDb.open())
        return failed(QStringLiteral("opening the database"), m_mainDb.lastError());

    // Opening does not read the file; the schema read and the check below do.
    {
        QSqlQuery schema(m_mainDb);
        if (!schema.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")))
            return failed(QStringLiteral("reading the schema"), schema.lastError());
    }
    {
        QSqlQuery check(m_mainDb);
        if (!check.exec(QStringLiteral("PRAGMA quick_check")))
            return failed(QStringLiteral("checking the database"), check.lastError());
        QStringList problems;
        while (check.next())
            problems << check.value(0).toString();
        if (problems != QStringList{QStringLiteral("ok")}) {
            m_openError = QStringLiteral("the database is damaged: ") + problems.join(QLatin1String(", "));
            writeLog(4, "DatabaseManager: %s is damaged: %s", utf8(path).constData(),
                     utf8(problems.join(QLatin1String(", "))).constData());
            return MainBroken;
        }
    }

    {
        // Savepoint journals in memory: once such a journal has grown onto a temporary file it
        // is no longer emptied until the transaction ends, so a long transaction with a savepoint
        // per step (an import row by row) writes every page it touches to disk again for each
        // step. The setting belongs to this connection only; nothing in the file changes.
        QSqlQuery pragma(m_mainDb);
        if (!pragma.exec(QStringLiteral("PRAGMA temp_store = MEMORY")))
            writeLog(4, "DatabaseManager: setting temp_store failed: %s", utf8(pragma.lastError().text()).constData());
    }

    const QFileInfo info(path);
    if (info.exists() && !info.isWritable()) {
        // Readable, so log-in and lists still work; nothing is created or changed in it.
        m_openError = QStringLiteral("the database file is read-only");
        writeLog(4, "DatabaseManager: %s is read-only; tables are not checked", utf8(path).constData());
        return MainUnavailable;
    }
    return MainOk;
}

bool DatabaseManager::resetDatabase()
{
    // The file is never deleted: it is moved aside once per start, so whatever it still holds
    // can be recovered by hand.
    if (m_brokenFileSetAside)
        return false;
    closeMainConnection();
    return setBrokenFileAside();
}

bool DatabaseManager::setBrokenFileAside()
{
    const QString path = databaseFilePath();
    if (!QFile::exists(path))
        return false;
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    QString target = path + QLatin1String(".broken-") + stamp;
    for (int n = 1; QFile::exists(target); ++n)
        target = path + QLatin1String(".broken-") + stamp + QLatin1Char('-') + QString::number(n);

    if (!QFile::rename(path, target)) {
        m_openError = QStringLiteral("the damaged database could not be moved aside");
        writeLog(4, "DatabaseManager: cannot rename %s to %s; it is left as it is", utf8(path).constData(),
                 utf8(target).constData());
        return false;
    }
    m_brokenFileSetAside = true;
    writeLog(4, "DatabaseManager: %s is not a usable database; moved aside to %s and a new one is created",
             utf8(path).constData(), utf8(target).constData());

    // A journal left beside the old file would be played into the new one.
    for (const char *suffix : {"-journal", "-wal", "-shm"}) {
        const QString side = path + QLatin1String(suffix);
        if (QFile::exists(side) && !QFile::rename(side, target + QLatin1String(suffix))) {
            writeLog(4, "DatabaseManager: cannot move %s aside", utf8(side).constData());
            m_openError = QStringLiteral("the journal of the damaged database could not be moved aside");
            return false;
        }
    }
    m_openError.clear();
    return true;
}

void DatabaseManager::migrateFormerFolder()
{
    const QString parent = QDir::cleanPath(m_dataFolder + QLatin1String("/.."));
    const QString former = QDir::cleanPath(parent + QLatin1String(kFormerFolderName));
    // The data of the former name moves into the current data folder, whatever the
    // executable is called, so the migration and the folder in use never drift apart.
    const QString target = m_dataFolder;
    if (former == target || !QFileInfo(former).isDir())
        return;

    if (migrateDatabaseFolder(former, target)) {
        if (!QDir(former).removeRecursively())
            writeLog(4, "DatabaseManager: migrated %s but could not remove it", utf8(former).constData());
        else
            writeLog(4, "DatabaseManager: migrated %s to %s", utf8(former).constData(), utf8(target).constData());
    } else {
        writeLog(4, "DatabaseManager: migration of %s to %s incomplete; the former folder is kept",
                 utf8(former).constData(), utf8(target).constData());
    }
}

bool DatabaseManager::migrateDatabaseFolder(const QString &source, const QString &target)
{
    const QFileInfo info(source);
    if (info.isDir()) {
        const QFileInfo targetInfo(target);
        QDir(targetInfo.absolutePath()).mkdir(targetInfo.fileName());
        const QStringList entries = QDir(source).entryList(
            QDir::Dirs | QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
        for (const QString &name : entries) {
            if (!migrateDatabaseFolder(source + QLatin1Char('/') + name, target + QLatin1Char('/') + name))
                return false;
        }
        return true;
    }
    QString to = target;
    to.replace(QLatin1String(kFormerDatabaseFile), QLatin1String(kDatabaseFile));
    if (!QFile::copy(source, to)) {
        writeLog(4, "DatabaseManager: cannot copy %s to %s", utf8(source).constData(), utf8(to).constData());
        return false;
    }
    return true;
}

void DatabaseManager::openPellmarDatabase()
{
    if (m_pellmarDb.isValid()) {
        SqlStatement::clearCache(m_pellmarConnectionName);
        m_pellmarDb.close();
        m_pellmarDb = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_pellmarConnectionName);
    }
    const QString parent = QDir::cleanPath(m_dataFolder + QLatin1String("/.."));
    const QString folder = parent + QLatin1String(kPellmarFolder);
    m_pellmarPath = folder;
    if (!QDir(folder).exists())
        return;
    m_pellmarPath = folder + QLatin1String(kPellmarFile);
    // That program owns its folder: never create a file there, and only read.
    if (!QFileInfo(m_pellmarPath).isFile()) {
        writeLog(4, "DatabaseManager: camera-management database %s not found", utf8(m_pellmarPath).constData());
        return;
    }
    m_pellmarDb = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_pellmarConnectionName);
    m_pellmarDb.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    m_pellmarDb.setDatabaseName(m_pellmarPath);
    if (!m_pellmarDb.open()) {
        writeLog(4, "DatabaseManager: cannot open the camera-management database %s: %s",
                 utf8(m_pellmarPath).constData(), utf8(m_pellmarDb.lastError().text()).constData());
        return;
    }
    CameraEventTables::queryPellmarAccount(m_pellmarDb, m_pellmarAccounts);
    CameraEventTables::queryPellmarDevice(m_pellmarDb, m_pellmarDevices);
    CameraEventTables::queryPellmarGroup(m_pellmarDb, m_pellmarGroups);
}

quint32 DatabaseManager::reloadPellmarDatabase(QList<PellmarAccount> &accounts, QList<PellmarDevice> &cameras,
                                               QList<PellmarGroup> &cameraGroups)
{
    if (m_pellmarDb.isOpen()) {
        CameraEventTables::queryPellmarAccount(m_pellmarDb, m_pellmarAccounts);
        CameraEventTables::queryPellmarDevice(m_pellmarDb, m_pellmarDevices);
        CameraEventTables::queryPellmarGroup(m_pellmarDb, m_pellmarGroups);
    }
    accounts = m_pellmarAccounts;
    cameras = m_pellmarDevices;
    cameraGroups = m_pellmarGroups;
    return DB_OK;
}

// --- Table steps -------------------------------------------------------------------------------

DatabaseManager::StepResult DatabaseManager::runTableSteps()
{
    using Step = StepResult (DatabaseManager::*)(QSqlDatabase);
    static const Step steps[] = {
        &DatabaseManager::initAccountTable,       &DatabaseManager::initDeviceTable,
        &DatabaseManager::initGroupsTable,        &DatabaseManager::initScheduleTable,
        &DatabaseManager::initOtaReminderTable,   &DatabaseManager::initOtaScheduleTable,
        &DatabaseManager::initAutoTestScheduleTable, &DatabaseManager::initBroadcastTable,
        &DatabaseManager::initMultiUserTable,     &DatabaseManager::initAppInfoTable,
        &DatabaseManager::initAppPermissionTable, &DatabaseManager::initUserDeviceTable,
        &DatabaseManager::initMultiUserAdminTable, &DatabaseManager::initDatabaseIdentifierTable,
        &DatabaseManager::initDeviceCameraMapTable, &DatabaseManager::initEventLogTable,
        &DatabaseManager::initLookupIndexes,
    };
    StepResult overall = StepOk;
    for (Step step : steps) {
        QSqlDatabase db = connection();
        if (!db.isOpen())
            db = m_mainDb;
        const StepResult result = (this->*step)(db);
        if (result == StepBroken)
            return StepBroken;
        if (result == StepFailed)
            overall = StepFailed;
    }
    return overall;
}

DatabaseManager::StepResult DatabaseManager::initAccountTable(QSqlDatabase db)
{
    TableStep step(db, "initAccountTable", m_openError);
    QStringList added;
    if (!step.ensure("Account", &added))
        return step.finish();

    auto seedAccount = [&](const char *password, bool isAdmin) {
        VelkAccount account;
        account.password = QLatin1String(password);
        account.isAdmin = isAdmin;
        const quint32 rc = createAccount(db, account);
        if (rc != DB_OK && rc != DB_ACCOUNT_PASSWORD_EXISTS)
            return step.failCode(QStringLiteral("seeding an account"), rc);
        return true;
    };

    int count = 0;
    if (step.created("Account")) {
        seedAccount("kelvo", true) && seedAccount("qeno", false);
    } else if (added.contains(QLatin1String("isAdmin"))) {
        // Databases from before the normal user: the first account becomes the administrator.
        QList<VelkAccount> accounts;
        const quint32 rc = queryAccount(db, accounts);
        if (rc != DB_OK) {
            step.failCode(QStringLiteral("reading the accounts"), rc);
        } else {
            if (!accounts.isEmpty()) {
                VelkAccount first = accounts.first();
                first.isAdmin = true;
                const quint32 updated = updateAccount(db, first);
                if (updated != DB_OK)
                    writeLog(4, "DatabaseManager::initAccountTable: marking the first account as administrator "
                                "failed (0x%08x)",
                             updated);
            }
            seedAccount("qeno", false);
        }
    } else if (step.rowCount("Account", count) && count == 0) {
        // Without any account nobody could log in again.
        seedAccount("kelvo", true) && seedAccount("qeno", false);
    }
    return step.finish();
}

DatabaseManager::StepResult DatabaseManager::initDeviceTable(QSqlDatabase db)
{
    TableStep step(db, "initDeviceTable", m_openError);
    step.ensure("Device");
    return step.finish();
}

DatabaseManager::StepResult DatabaseManager::initGroupsTable(QSqlDatabase db)
{
    TableStep step(db, "initGroupsTable", m_openError);
    step.ensure("Groups") && step.ensure("DeviceGroups");
    return step.finish();
}

DatabaseManager::StepResult DatabaseManager::initScheduleTable(QSqlDatabase db)
{
    TableStep step(db, "initScheduleTable", m_openError);
    step.ensure("Schedule") && step.ensure("GroupsSchedule") && step.ensure("DeviceSchedule");
    return step.finish();
}

DatabaseManager::StepResult DatabaseManager::initOtaReminderTable(QSqlDatabase db)
{
    TableStep step(db, "initOtaReminderTable", m_openError);
    step.ensure("OtaReminder");
    return step.finish();
}

DatabaseManager::StepResult DatabaseManager::initOtaScheduleTable(QSqlDatabase db)
{
    TableStep step(db, "initOtaScheduleTable", m_openError);
    step.ensure("OtaSchedule") && step.ensure("DeviceOtaSchedule") && step.ensure("GroupsOtaSchedule")
        && step.ensure("OtaScheduleReport");
    return step.finish();
}

DatabaseManager::StepResult DatabaseManager::initAutoTestScheduleTable(QSqlDatabase db)
{
    TableStep step(db, "initAutoTestScheduleTable", m_openError);
    step.ensure("AutoTestSchedule") && step.ensure("DeviceAutoTestSchedule")
        && step.ensure("GroupsAutoTestSchedule") && step.ensure("AutoTestScheduleReport");
    return step.finish();
}

DatabaseManager::StepResult DatabaseManager::initBroadcastTable(QSqlDatabase db)
{
    TableStep step(db, "initBroadcastTable", m_openError);
    step.ensure("Broadcast") && step.ensure("DeviceBroadcast") && step.ensure("GroupsBroadcast")
        && step.ensure("BroadcastReport");
    return step.finish();
}

DatabaseManager::StepResult DatabaseManager::initMultiUserTable(QSqlDatabase db)
{
    TableStep step(db, "initMultiUserTable", m_openError);
    step.ensure("MultiUser");
    return step.finish();
}

DatabaseManager::StepResult DatabaseManager::initAppInfoTable(QSqlDatabase db)
{
    TableStep step(db, "initAppInfoTable", m_openError);
    int count = 0;
    if (!step.ensure("AppInfo") || !step.rowCount("AppInfo", count))
        return step.finish();

    const QString insert = QStringLiteral("INSERT INTO AppInfo (appName, packageName) VALUES (?, ?)");
    if (count == 0) {
        for (const DefaultApp &app : kDefaultApps) {
            if (!step.exec(insert, {QString::fromUtf8(app.name), QString::fromUtf8(app.package)},
                           QStringLiteral("seeding the default apps")))
                break;
        }
    } else if (count == 11) {
        // Databases from before the Settings app gain it.
        const DefaultApp &settings = kDefaultApps[11];
        step.exec(insert, {QString::fromUtf8(settings.name), QString::fromUtf8(settings.package)},
                  QStringLiteral("adding the Settings app"));
    }
    return step.finish();
}

DatabaseManager::StepResult DatabaseManager::initAppPermissionTable(QSqlDatabase db)
{
    TableStep step(db, "initAppPermissionTable", m_openError);
    step.ensure("AppPermission");
    return step.finish();
}

DatabaseManager::StepResult DatabaseManager::initUserDeviceTable(QSqlDatabase db)
{
    TableStep step(db, "initUserDeviceTable", m_openError);
    step.ensure("UserDevice");
    return step.finish();
}

DatabaseManager::StepResult DatabaseManager::initMultiUserAdminTable(QSqlDatabase db)
{
    TableStep step(db, "initMultiUserAdminTable", m_openError);
    int count = 0;
    // Seeded whenever the table is empty: the panels' settings pages need their one row.
    if (step.ensure("MultiUserAdmin") && step.rowCount("MultiUserAdmin", count) && count == 0) {
        step.exec(QStringLiteral("INSERT INTO MultiUserAdmin (enableSetupServer, enableMultiUser, "
                                 "createAccountPassword, enableGuestUser, adminPassword, adminRfidId) "
                                 "VALUES (?, ?, ?, ?, ?, ?)"),
                  {0, 0, QString(), 0, QString(), QString()}, QStringLiteral("seeding the multi-user settings"));
    }
    return step.finish();
}

DatabaseManager::StepResult DatabaseManager::initDatabaseIdentifierTable(QSqlDatabase db)
{
    TableStep step(db, "initDatabaseIdentifierTable", m_openError);
    int count = 0;
    // Seeded whenever the table is empty: the panels need an identifier for this database.
    if (step.ensure("DatabaseIdentifier") && step.rowCount("DatabaseIdentifier", count) && count == 0) {
        step.exec(QStringLiteral("INSERT INTO DatabaseIdentifier (uniqueId) VALUES (?)"),
                  {QUuid::createUuid().toString()}, QStringLiteral("seeding the database identifier"));
    }
    return step.finish();
}

DatabaseManager::StepResult DatabaseManager::initDeviceCameraMapTable(QSqlDatabase db)
{
    TableStep step(db, "initDeviceCameraMapTable", m_openError);
    step.ensure("DeviceCameraMap");
    return step.finish();
}

DatabaseManager::StepResult DatabaseManager::initEventLogTable(QSqlDatabase db)
{
    TableStep step(db, "initEventLogTable", m_openError);
    step.ensure("EventLog");
    return step.finish();
}

DatabaseManager::StepResult DatabaseManager::initLookupIndexes(QSqlDatabase db)
{
    TableStep step(db, "initLookupIndexes", m_openError);
    for (const IndexDef &def : kIndexes) {
        if (!step.ensureIndex(def))
            break;
    }
    return step.finish();
}

// --- Console accounts ---------------------------------------------------------------------------

quint32 DatabaseManager::queryAccount(QSqlDatabase db, QList<VelkAccount> &accounts)
{
    QSqlQuery query(db);
    if (!sqlExec(query, QStringLiteral("SELECT * FROM Account"), {}, "queryAccount"))
        return DB_STATEMENT_FAILED;
    while (query.next()) {
        VelkAccount account;
        account.aid = query.value(0).toUInt();
        account.password = query.value(1).toString();
        account.email = query.value(2).toString();
        account.isAdmin = query.value(3).toInt() != 0;
        account.language = query.value(4).toString();
        account.sosUsername = query.value(5).toString();
        account.sosPassword = query.value(6).toString();
        accounts.append(account);
    }
    return DB_OK;
}

quint32 DatabaseManager::updateAccount(QSqlDatabase db, VelkAccount &account)
{
    if (account.password.isEmpty())
        return DB_BAD_ARGUMENT;
    SqlTransaction tx(db, "updateAccount");
    if (!tx.isActive())
        return DB_STATEMENT_FAILED;
    bool found = false;
    if (!sqlHasRow(db, QStringLiteral("SELECT 1 FROM Account WHERE aid = ?"), {account.aid}, found, "updateAccount"))
        return DB_STATEMENT_FAILED;
    if (!found)
        return DB_ROW_NOT_FOUND;
    if (!sqlRun(db,
                QStringLiteral("UPDATE Account SET password = ?, email = ?, isAdmin = ?, language = ?, "
                               "sosUsername = ?, sosPassword = ? WHERE aid = ?"),
                {account.password, account.email, account.isAdmin ? 1 : 0, account.language, account.sosUsername,
                 account.sosPassword, account.aid},
                "updateAccount"))
        return DB_STATEMENT_FAILED;
    return tx.commit() ? DB_OK : DB_STATEMENT_FAILED;
}

quint32 DatabaseManager::createAccount(QSqlDatabase db, VelkAccount &account)
{
    SqlTransaction tx(db, "createAccount");
    if (!tx.isActive())
        return DB_STATEMENT_FAILED;
    bool found = false;
    if (!sqlHasRow(db, QStringLiteral("SELECT 1 FROM Account WHERE password = ? collate NOCASE"), {account.password},
                   found, "createAccount"))
        return DB_STATEMENT_FAILED;
    if (found)
        return DB_ACCOUNT_PASSWORD_EXISTS;
    if (!sqlRun(db, QStringLiteral("INSERT INTO Account (password, email, isAdmin) VALUES (?, ?, ?)"),
                {account.password, account.email, account.isAdmin ? 1 : 0}, "createAccount"))
        return DB_STATEMENT_FAILED;
    return tx.commit() ? DB_OK : DB_STATEMENT_FAILED;
}

// --- Devices and groups -------------------------------------------------------------------------

namespace {

quint32 appendDevices(QSqlDatabase db, const QString &sql, const QVariantList &values, QList<VelkIFPDevice> &devices,
                      const char *context)
{
    SqlStatement query(db, sql);
    if (!query.exec(values, context))
        return DB_STATEMENT_FAILED;
    while (query.next())
        devices.append(RecordMapper::deviceFromQuery(query));
    return DB_OK;
}

quint32 appendGroups(QSqlDatabase db, const QString &sql, const QVariantList &values, QList<VelkGroups> &groups,
                     const char *context)
{
    SqlStatement query(db, sql);
    if (!query.exec(values, context))
        return DB_STATEMENT_FAILED;
    while (query.next())
        groups.append(RecordMapper::groupFromQuery(query));
    return DB_OK;
}

// Looks a key up: DB_OK with id set, DB_ROW_NOT_FOUND or DB_STATEMENT_FAILED.
quint32 findId(QSqlDatabase db, const QString &sql, const QVariant &value, quint32 &id, const char *context)
{
    bool found = false;
    if (!sqlFirstId(db, sql, {value}, id, found, context))
        return DB_STATEMENT_FAILED;
    return found ? DB_OK : DB_ROW_NOT_FOUND;
}

// Runs statements that each take one bound key, stopping at the first failure.
bool execEach(QSqlDatabase db, const QStringList &statements, quint32 key, const char *context)
{
    for (const QString &sql : statements) {
        if (!sqlRun(db, sql, {key}, context))
            return false;
    }
    return true;
}

const QString kDeviceByName = QStringLiteral("SELECT did FROM Device WHERE deviceName = ? collate NOCASE");
const QString kGroupByName = QStringLiteral("SELECT gid FROM Groups WHERE groupName = ? collate NOCASE");

} // namespace

quint32 DatabaseManager::queryAllAvailableIFP(QSqlDatabase db, QList<VelkIFPDevice> &devices)
{
    return appendDevices(db, QStringLiteral("SELECT * FROM Device ORDER BY deviceName ASC"), {}, devices,
                         "queryAllAvailableIFP");
}

quint32 DatabaseManager::queryIFPByGroup(QSqlDatabase db, VelkGroups group, QList<VelkIFPDevice> &devices)
{
    quint32 gid = 0;
    const quint32 rc = findId(db, kGroupByName, group.groupName, gid, "queryIFPByGroup");
    if (rc != DB_OK)
        return rc;
    return appendDevices(db,
                         QStringLiteral("SELECT * FROM Device WHERE did IN (SELECT did FROM DeviceGroups WHERE gid IN "
                                        "(SELECT gid FROM Groups WHERE groupName = ? collate NOCASE)) "
                                        "ORDER BY deviceName ASC"),
                         {group.groupName}, devices, "queryIFPByGroup");
}

quint32 DatabaseManager::queryGroupsByIFP(QSqlDatabase db, VelkIFPDevice device, QList<VelkGroups> &groups)
{
    quint32 did = 0;
    const quint32 rc = findId(db, kDeviceByName, device.deviceName, did, "queryGroupsByIFP");
    if (rc != DB_OK)
        return rc;
    return appendGroups(db,
                        QStringLiteral("SELECT * FROM Groups WHERE gid IN (SELECT gid FROM DeviceGroups WHERE did IN "
                                       "(SELECT did FROM Device WHERE deviceName = ? collate NOCASE)) "
                                       "ORDER BY groupName ASC"),
                        {device.deviceName}, groups, "queryGroupsByIFP");
}

quint32 DatabaseManager::queryAllGroup(QSqlDatabase db, QList<VelkGroups> &groups)
{
    return appendGroups(db, QStringLiteral("SELECT * FROM Groups ORDER BY groupName ASC"), {}, groups,
                        "queryAllGroup");
}

quint32 DatabaseManager::queryIFPById(QSqlDatabase db, QList<VelkIFPDevice> &devices, quint32 did)
{
    // Every column is read, so a record fetched here can be written back whole.
    return appendDevices(db, QStringLiteral("SELECT * FROM Device WHERE did = ?"), {did}, devices, "queryIFPById");
}

quint32 DatabaseManager::createIFPDevice(QSqlDatabase db, VelkIFPDevice &device)
{
    if (device.deviceName.isEmpty())
        return DB_BAD_ARGUMENT;
    SqlTransaction tx(db, "createIFPDevice", SqlTransaction::SingleWrite);
    if (!tx.isActive())
        return DB_STATEMENT_FAILED;
    bool found = false;
    if (!sqlHasRow(db, QStringLiteral("SELECT 1 FROM Device WHERE deviceName = ? collate NOCASE"),
                   {device.deviceName}, found, "createIFPDevice"))
        return DB_STATEMENT_FAILED;
    if (found)
        return DB_DEVICE_NAME_EXISTS;
    // Devices entered by IP address alone have no MAC address; those do not collide.
    if (!device.macAddress.isEmpty()) {
        if (!sqlHasRow(db, QStringLiteral("SELECT 1 FROM Device WHERE macAddress = ? collate NOCASE"),
                       {device.macAddress}, found, "createIFPDevice"))
            return DB_STATEMENT_FAILED;
        if (found)
            return DB_MAC_EXISTS;
    }
    if (!sqlRun(db,
                QStringLiteral("INSERT INTO Device (deviceName, modelName, macAddress, ipAddress, fwVersion, "
                               "lastPassword, subnetMask, gateway, panelFwVersion, displayClientVersion, sku, "
                               "isKicked, deviceType, position, ptzCamera) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
                RecordMapper::deviceValues(device), "createIFPDevice"))
        return DB_STATEMENT_FAILED;
    return tx.commit() ? DB_OK : DB_STATEMENT_FAILED;
}

quint32 DatabaseManager::deleteIFPDevice(VelkIFPDevice &device)
{
    if (device.deviceName.isEmpty())
        return DB_BAD_ARGUMENT;
    QSqlDatabase db = m_mainDb;
    SqlTransaction tx(db, "deleteIFPDevice");
    if (!tx.isActive())
        return DB_STATEMENT_FAILED;
    quint32 did = 0;
    const quint32 rc = findId(db, kDeviceByName, device.deviceName, did, "deleteIFPDevice");
    if (rc != DB_OK)
        return rc;
    const QStringList statements = {
        QStringLiteral("DELETE FROM DeviceGroups WHERE did = ?"),
        QStringLiteral("DELETE FROM DeviceSchedule WHERE did = ?"),
        QStringLiteral("DELETE FROM Device WHERE did = ?"),
        QStringLiteral("DELETE FROM DeviceOtaSchedule WHERE did = ?"),
        QStringLiteral("DELETE FROM OtaScheduleReport WHERE did = ?"),
        QStringLiteral("DELETE FROM DeviceBroadcast WHERE did = ?"),
        QStringLiteral("DELETE FROM BroadcastReport WHERE did = ?"),
        QStringLiteral("DELETE FROM DeviceAutoTestSchedule WHERE did = ?"),
        QStringLiteral("DELETE FROM AutoTestScheduleReport WHERE did = ?"),
    };
    if (!execEach(db, statements, did, "deleteIFPDevice"))
        return DB_STATEMENT_FAILED;
    return tx.commit() ? DB_OK : DB_STATEMENT_FAILED;
}

namespace {

const QString kUpdateDeviceColumns =
    QStringLiteral("UPDATE Device SET deviceName = ?, modelName = ?, macAddress = ?, ipAddress = ?,fwVersion = ?, "
                   "lastPassword = ?, subnetMask = ?, gateway = ?, panelFwVersion = ?, displayClientVersion = ?, "
                   "sku = ?, isKicked = ?,deviceType = ?, position = ?, ptzCamera = ? WHERE did = ?");

quint32 rewriteDevice(QSqlDatabase db, SqlTransaction &tx, const VelkIFPDevice &device, quint32 did,
                      const char *context)
{
    QVariantList values = RecordMapper::deviceValues(device);
    values << did;
    if (!sqlRun(db, kUpdateDeviceColumns, values, context))
        return DB_STATEMENT_FAILED;
    return tx.commit() ? DB_OK : DB_STATEMENT_FAILED;
}

} // namespace

quint32 DatabaseManager::updateIFPDeviceById(QSqlDatabase db, VelkIFPDevice &device)
{
    if (device.deviceName.isEmpty())
        return DB_BAD_ARGUMENT;
    SqlTransaction tx(db, "updateIFPDeviceById", SqlTransaction::SingleWrite);
    if (!tx.isActive())
        return DB_STATEMENT_FAILED;
    bool found = false;
    if (!sqlHasRow(db, QStringLiteral("SELECT 1 FROM Device WHERE did = ?"), {device.did}, found,
                   "updateIFPDeviceById"))
        return DB_STATEMENT_FAILED;
    if (!found)
        return DB_ROW_NOT_FOUND;
    return rewriteDevice(db, tx, device, device.did, "updateIFPDeviceById");
}

quint32 DatabaseManager::updateIFPDevice(QSqlDatabase db, VelkIFPDevice &device)
{
    if (device.deviceName.isEmpty())
        return DB_BAD_ARGUMENT;
    SqlTransaction tx(db, "updateIFPDevice", SqlTransaction::SingleWrite);
    if (!tx.isActive())
        return DB_STATEMENT_FAILED;
    quint32 did = 0;
    const quint32 rc = findId(db, kDeviceByName, device.deviceName, did, "updateIFPDevice");
    if (rc != DB_OK)
        return rc;
    return rewriteDevice(db, tx, device, did, "updateIFPDevice");
}

namespace {

// Shared by the device and group renames: the row is found by its old name without regard to
// letter case and renamed by its key, so an old name typed in another case really renames.
quint32 renameRow(QSqlDatabase db, const QString &oldName, const QString &newName, const QString &findSql,
                  const QString &updateSql, quint32 nameTaken, const char *context)
{
    if (oldName.isEmpty() || newName.isEmpty())
        return DB_BAD_ARGUMENT;
    SqlTransaction tx(db, context);
    if (!tx.isActive())
        return DB_STATEMENT_FAILED;
    quint32 key = 0;
    quint32 rc = findId(db, findSql, oldName, key, context);
    if (rc != DB_OK)
        return rc;
    quint32 other = 0;
    rc = findId(db, findSql, newName, other, context);
    if (rc == DB_OK)
        return nameTaken;
    if (rc != DB_ROW_NOT_FOUND)
        return rc;
    if (!sqlRun(db, updateSql, {newName, key}, context))
        return DB_STATEMENT_FAILED;
    return tx.commit() ? DB_OK : DB_STATEMENT_FAILED;
}

} // namespace

quint32 DatabaseManager::changeIFPDeviceName(const QString &oldName, QString newName)
{
    return renameRow(m_mainDb, oldName, newName, kDeviceByName,
                     QStringLiteral("UPDATE Device SET deviceName = ? WHERE did = ?"), DB_DEVICE_NAME_EXISTS,
                     "changeIFPDeviceName");
}

quint32 DatabaseManager::changeGroupsName(const QString &oldName, QString newName)
{
    return renameRow(m_mainDb, oldName, newName, kGroupByName,
                     QStringLiteral("UPDATE Groups SET groupName = ? WHERE gid = ?"), DB_GROUP_NAME_EXISTS,
                     "changeGroupsName");
}

quint32 DatabaseManager::changeGroupsNameNoCase(QSqlDatabase db, const QString &name)
{
    if (name.isEmpty())
        return DB_BAD_ARGUMENT;
    SqlTransaction tx(db, "changeGroupsNameNoCase");
    if (!tx.isActive())
        return DB_STATEMENT_FAILED;
    quint32 gid = 0;
    const quint32 rc = findId(db, kGroupByName, name, gid, "changeGroupsNameNoCase");
    if (rc != DB_OK)
        return rc;
    if (!sqlRun(db, QStringLiteral("UPDATE Groups SET groupName = ? WHERE gid = ?"), {name, gid},
                "changeGroupsNameNoCase"))
        return DB_STATEMENT_FAILED;
    return tx.commit() ? DB_OK : DB_STATEMENT_FAILED;
}

quint32 DatabaseManager::updateIFPDevicePosition(VelkIFPDevice &device, QString position)
{
    if (!sqlRun(m_mainDb, QStringLiteral("UPDATE Device SET position = ? WHERE did = ?"), {position, device.did},
                "updateIFPDevicePosition"))
        return DB_STATEMENT_FAILED;
    return DB_OK;
}

quint32 DatabaseManager::createGroups(QSqlDatabase db, VelkGroups &group)
{
    if (group.groupName.isEmpty())
        return DB_BAD_ARGUMENT;
    SqlTransaction tx(db, "createGroups", SqlTransaction::SingleWrite);
    if (!tx.isActive())
        return DB_STATEMENT_FAILED;
    bool found = false;
    if (!sqlHasRow(db, QStringLiteral("SELECT 1 FROM Groups WHERE groupName = ? collate NOCASE"), {group.groupName},
                   found, "createGroups"))
        return DB_STATEMENT_FAILED;
    if (found)
        return DB_GROUP_NAME_EXISTS;
    if (!sqlRun(db, QStringLiteral("INSERT INTO Groups (groupName, groupType) VALUES (?, ?)"),
                {group.groupName, group.groupType}, "createGroups"))
        return DB_STATEMENT_FAILED;
    return tx.commit() ? DB_OK : DB_STATEMENT_FAILED;
}

quint32 DatabaseManager::deleteGroups(VelkGroups &group)
{
    if (group.groupName.isEmpty())
        return DB_BAD_ARGUMENT;
    QSqlDatabase db = m_mainDb;
    SqlTransaction tx(db, "deleteGroups");
    if (!tx.isActive())
        return DB_STATEMENT_FAILED;
    quint32 gid = 0;
    const quint32 rc = findId(db, kGroupByName, group.groupName, gid, "deleteGroups");
    if (rc != DB_OK)
        return rc;
    // Devices stay; only the group and its links go.
    const QStringList statements = {
        QStringLiteral("DELETE FROM DeviceGroups WHERE gid = ?"),
        QStringLiteral("DELETE FROM GroupsSchedule WHERE gid = ?"),
        QStringLiteral("DELETE FROM Groups WHERE gid = ?"),
        QStringLiteral("DELETE FROM GroupsOtaSchedule WHERE gid = ?"),
        QStringLiteral("DELETE FROM GroupsBroadcast WHERE gid = ?"),
    };
    if (!execEach(db, statements, gid, "deleteGroups"))
        return DB_STATEMENT_FAILED;
    return tx.commit() ? DB_OK : DB_STATEMENT_FAILED;
}

namespace {

// Steps 1-3 of joining and leaving: find both keys by name and hand them back to the caller.
quint32 findMembership(QSqlDatabase db, VelkIFPDevice &device, VelkGroups &group, const char *context)
{
    quint32 rc = findId(db, kDeviceByName, device.deviceName, device.did, context);
    if (rc != DB_OK)
        return rc;
    return findId(db, kGroupByName, group.groupName, group.gid, context);
}

} // namespace

quint32 DatabaseManager::joinGroups(VelkIFPDevice &device, VelkGroups &group)
{
    if (device.deviceName.isEmpty() || group.groupName.isEmpty())
        return DB_BAD_ARGUMENT;
    QSqlDatabase db = m_mainDb;
    SqlTransaction tx(db, "joinGroups", SqlTransaction::SingleWrite);
    if (!tx.isActive())
        return DB_STATEMENT_FAILED;
    quint32 rc = findMembership(db, device, group, "joinGroups");
    if (rc != DB_OK)
        return rc;
    bool member = false;
    if (!sqlHasRow(db, QStringLiteral("SELECT 1 FROM DeviceGroups WHERE did = ? AND gid = ?"), {device.did, group.gid},
                   member, "joinGroups"))
        return DB_STATEMENT_FAILED;
    if (member)
        return DB_OK;
    if (!sqlRun(db, QStringLiteral("INSERT INTO DeviceGroups (did, gid) VALUES (?, ?)"), {device.did, group.gid},
                "joinGroups"))
        return DB_STATEMENT_FAILED;
    return tx.commit() ? DB_OK : DB_STATEMENT_FAILED;
}

quint32 DatabaseManager::disjoinGroups(VelkIFPDevice &device, VelkGroups &group)
{
    if (device.deviceName.isEmpty() || group.groupName.isEmpty())
        return DB_BAD_ARGUMENT;
    QSqlDatabase db = m_mainDb;
    SqlTransaction tx(db, "disjoinGroups", SqlTransaction::SingleWrite);
    if (!tx.isActive())
        return DB_STATEMENT_FAILED;
    quint32 rc = findMembership(db, device, group, "disjoinGroups");
    if (rc != DB_OK)
        return rc;
    bool member = false;
    if (!sqlHasRow(db, QStringLiteral("SELECT dgid FROM DeviceGroups WHERE did = ? AND gid = ?"),
                   {device.did, group.gid}, member, "disjoinGroups"))
        return DB_STATEMENT_FAILED;
    if (!member)
        return DB_OK;
    if (!sqlRun(db, QStringLiteral("DELETE FROM DeviceGroups WHERE did = ? AND gid = ?"), {device.did, group.gid},
                "disjoinGroups"))
        return DB_STATEMENT_FAILED;
    return tx.commit() ? DB_OK : DB_STATEMENT_FAILED;
}
