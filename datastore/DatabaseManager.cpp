#include "datastore/DatabaseManager.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QStringList>

#include "datastore/CameraEventTables.h"
#include "datastore/DatabaseFileOps.h"
#include "datastore/DatabaseRecovery.h"
#include "datastore/DatabaseSchema.h"
#include "datastore/DbResult.h"
#include "datastore/SqlTransaction.h"
#include "shell/base/Log.h"

namespace {

const char kDatabaseFolder[] = "/dbManagement/";
const char kDatabaseFile[] = "QuorvinDatabase.db";
const char kPellmarFolder[] = "/Pellmar/dbManagement/";
const char kPellmarFile[] = "PellmarDB.db";
const char kPellmarConnection[] = "Pellmar";
// The main connection's page cache: the pages a Sync Now of a few thousand panels changes, with room to spare.
constexpr int kPageCacheKiB = 16 * 1024;

QByteArray utf8(const QString &text)
{
    return text.toUtf8();
}

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
    // However start-up ends, the console then runs with the short wait.
    const auto operating = qScopeGuard([this] { useBusyWait(m_busyWaitMs); });
    m_openState = NotOpened;
    m_openError.clear();
    m_diskFull = false;

    const QString folder = m_dataFolder + QLatin1String(kDatabaseFolder);
    if (!QDir(folder).exists() && !QDir::root().mkpath(QDir(folder).absolutePath()))
        writeLog(LOG_LEVEL_ERROR, "DatabaseManager: cannot create the database folder %s", utf8(folder).constData());

    DatabaseRecovery::migrateFormerFolder(m_dataFolder);
    // Before the leftovers go: a restored copy the swap never put in place holds the operator's data.
    m_interruptedRestore = DatabaseFileOps::finishInterruptedSwap(databaseFilePath());
    DatabaseFileOps::removeLeftovers(databaseFilePath());
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
        const DatabaseSchema::StepResult steps = DatabaseSchema::update(
            [this] {
                QSqlDatabase db = connection();
                return db.isOpen() ? db : m_mainDb;
            },
            m_openError);
        if (steps == DatabaseSchema::StepBroken && resetDatabase()) {
            recreated = true;
            continue;
        }
        if (steps != DatabaseSchema::StepOk) {
            m_diskFull = steps == DatabaseSchema::StepDiskFull;
            m_openState = Degraded;
        } else if (recreated) {
            // The console starts with an empty database; whoever runs it must learn where the old
            // data went.
            m_openState = Recreated;
            m_openError = QStringLiteral("the database file was not usable; it is kept as %1 and a new one was created")
                              .arg(QDir::toNativeSeparators(m_keptFile));
        } else {
            m_openState = Ready;
        }
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
    useBusyWait(kStartupBusyWaitMs);

    auto failed = [&](const QString &what, const QSqlError &error) {
        const bool broken = DatabaseRecovery::meansBrokenFile(error);
        m_openError = QStringLiteral("%1: %2").arg(what, error.text());
        writeLog(LOG_LEVEL_ERROR, "DatabaseManager: %s of %s failed: %s%s", utf8(what).constData(),
                 utf8(path).constData(), utf8(error.text()).constData(), broken ? "" : " (the file is left as it is)");
        return broken ? MainBroken : MainUnavailable;
    };

    if (!m_mainDb.open())
        return failed(QStringLiteral("opening the database"), m_mainDb.lastError());

    // Opening does not read the file; the check does.
    const DatabaseRecovery::FileCheck check = DatabaseRecovery::checkOpenFile(m_mainDb);
    if (check.result == DatabaseRecovery::FileCheck::Unreadable)
        return failed(check.what, check.error);
    if (check.result == DatabaseRecovery::FileCheck::Damaged) {
        const QString problems = check.problems.join(QLatin1String(", "));
        m_openError = QStringLiteral("the database is damaged: ") + problems;
        writeLog(LOG_LEVEL_WARNING, "DatabaseManager: %s is damaged: %s", utf8(path).constData(),
                 utf8(problems).constData());
        return MainBroken;
    }

    {
        // Savepoint journals in memory: once such a journal has grown onto a temporary file it
        // is no longer emptied until the transaction ends, so a long transaction with a savepoint
        // per step (an import row by row) writes every page it touches to disk again for each
        // step. The setting belongs to this connection only; nothing in the file changes.
        QSqlQuery pragma(m_mainDb);
        if (!pragma.exec(QStringLiteral("PRAGMA temp_store = MEMORY")))
            writeLog(LOG_LEVEL_WARNING, "DatabaseManager: setting temp_store failed: %s",
                     utf8(pragma.lastError().text()).constData());
        // Room for the pages one transaction changes. With SQLite's 2 MB a synchronisation of a thousand panels
        // (48,000 assignments) outgrew the cache half-way: SQLite then synced the journal and wrote pages into the
        // file before the commit, several times, with the event loop stopped and other readers of the file shut out
        // until the commit. The cache grows only as far as it is used.
        if (!pragma.exec(QStringLiteral("PRAGMA cache_size = -%1").arg(kPageCacheKiB)))
            writeLog(LOG_LEVEL_WARNING, "DatabaseManager: setting cache_size failed: %s",
                     utf8(pragma.lastError().text()).constData());
    }

    const QFileInfo info(path);
    if (info.exists() && !info.isWritable()) {
        // Readable, so log-in and lists still work; nothing is created or changed in it.
        m_openError = QStringLiteral("the database file is read-only");
        writeLog(LOG_LEVEL_WARNING, "DatabaseManager: %s is read-only; tables are not checked", utf8(path).constData());
        return MainUnavailable;
    }
    QSqlError writeError;
    if (!canWrite(writeError)) {
        // SQLite keeps a journal beside the file for every change: in a folder where it cannot create
        // one, a writable file opens and reads, and every change fails. Found now, it is reported
        // as a read-only file is, and nothing is created or changed.
        const QString folder = QDir::toNativeSeparators(info.absolutePath());
        m_diskFull = DatabaseRecovery::meansDiskFull(writeError);
        m_openError = QFileInfo(info.absolutePath()).isWritable()
                          ? QStringLiteral("changes cannot be written to the database: %1").arg(writeError.text())
                          : QStringLiteral("the database folder %1 is read-only").arg(folder);
        writeLog(LOG_LEVEL_WARNING, "DatabaseManager: %s cannot be written (%s); tables are not checked",
                 utf8(path).constData(), utf8(writeError.text()).constData());
        return MainUnavailable;
    }
    return MainOk;
}

void DatabaseManager::setBusyWaitMs(int milliseconds)
{
    m_busyWaitMs = qMax(0, milliseconds);
    useBusyWait(m_busyWaitMs);
}

void DatabaseManager::useBusyWait(int milliseconds)
{
    if (!m_mainDb.isValid())
        return;
    m_mainDb.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(milliseconds));
    if (!m_mainDb.isOpen())
        return;
    QSqlQuery wait(m_mainDb);
    if (!wait.exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(milliseconds)))
        writeLog(LOG_LEVEL_WARNING, "DatabaseManager: setting the busy wait failed: %s",
                 utf8(wait.lastError().text()).constData());
}

bool DatabaseManager::canWrite(QSqlError &error)
{
    // A change that is rolled back before it is kept: it needs the journal, and leaves the file as
    // it was. A database busy elsewhere is not a database that cannot be written.
    QSqlQuery query(m_mainDb);
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return true;
    int version = 0;
    if (query.exec(QStringLiteral("PRAGMA user_version")) && query.next())
        version = query.value(0).toInt();
    query.finish();
    const bool written = query.exec(QStringLiteral("PRAGMA user_version = %1").arg(version));
    if (!written)
        error = query.lastError();
    QSqlQuery rollback(m_mainDb);
    rollback.exec(QStringLiteral("ROLLBACK"));
    return written;
}

bool DatabaseManager::resetDatabase()
{
    // The file is never deleted: it is moved aside once per start, so whatever it still holds
    // can be recovered by hand.
    if (!m_keptFile.isEmpty())
        return false;
    closeMainConnection();
    return DatabaseRecovery::setBrokenFileAside(databaseFilePath(), m_keptFile, m_openError);
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
        writeLog(LOG_LEVEL_INFO, "DatabaseManager: camera-management database %s not found",
                 utf8(m_pellmarPath).constData());
        return;
    }
    m_pellmarDb = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_pellmarConnectionName);
    m_pellmarDb.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    m_pellmarDb.setDatabaseName(m_pellmarPath);
    if (!m_pellmarDb.open()) {
        writeLog(LOG_LEVEL_ERROR, "DatabaseManager: cannot open the camera-management database %s: %s",
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
