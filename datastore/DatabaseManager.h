#pragma once

#include <QList>
#include <QObject>
#include <QSqlDatabase>
#include <QString>

#include "datastore/DatabaseFileOps.h"
#include "datastore/VelkRecords.h"

/// Owns the console's SQLite database file and the read-only link to the camera-management
/// program's database.
///
/// Creating it finds or creates the data folder, moves the data of the former "Orvanta" folder
/// once (DatabaseRecovery), opens the camera-management database when its file exists, opens the
/// main database and brings its 28 tables up to date (DatabaseSchema, DatabaseSeeding). The SQL
/// of the operations lives in CoreTables and the table families.
///
/// A file that is not a database, or is corrupt, is renamed aside once per start
/// ("QuorvinDatabase.db.broken-<yyyyMMdd-hhmmss>") and a fresh database is created; a busy,
/// read-only or unreadable file is never touched: the failure is logged and reported through
/// openState() / openError(). The database file is never deleted.
///
/// Only OrvantaDBManager uses this class; everyone else goes through OrvantaDBIntf.
class DatabaseManager : public QObject
{
    Q_OBJECT

public:
    /// How the last openDatabase() went.
    enum OpenState
    {
        NotOpened,  ///< openDatabase() has not run, or closeDatabase() ran
        Ready,      ///< open and every table step succeeded
        Recreated,  ///< the old file was not a database or corrupt: set aside, fresh one ready
        Degraded,   ///< open, but a table step failed (see openError())
        Unavailable ///< the file is busy, read-only or unreadable; left as it was
    };

    /// dataFolder: the folder that holds "dbManagement/" (empty = the writable application data
    /// location). connectionName: the Qt connection of the main database (empty = Qt's default
    /// connection); the camera-management connection is "Pellmar", or connectionName + "-Pellmar"
    /// for a named main connection, so several managers can live in one process (tests).
    explicit DatabaseManager(const QString &dataFolder = QString(), const QString &connectionName = QString());
    /// Closes and removes both connections.
    ~DatabaseManager() override;

    /// The start-up sequence: folders, migration, camera-management database, main database,
    /// table steps. Run by the constructor.
    void openDatabase();
    /// Closes the main connection and removes it from Qt's list. Always 0.
    quint32 closeDatabase();

    OpenState openState() const { return m_openState; }
    /// Empty when the database opened cleanly; else what went wrong, for the log and the operator
    /// (for Recreated: where the unusable file was kept).
    QString openError() const { return m_openError; }
    /// Where this start set an unusable database file aside (Recreated); empty otherwise.
    QString keptFile() const { return m_keptFile; }
    /// Whether the last openDatabase() found that nothing can be written because the disk is full
    /// (the state is then Degraded or Unavailable).
    bool diskFull() const { return m_diskFull; }
    /// What the last openDatabase() did with a restore cut short between the two steps of its swap (no live file, the
    /// restored copy and the replaced file beside it): finished it, or undone it.
    DatabaseFileOps::SwapEnd interruptedRestore() const { return m_interruptedRestore; }

    QString dataFolder() const { return m_dataFolder; }
    /// dataFolder() + "/dbManagement/QuorvinDatabase.db".
    QString databaseFilePath() const;
    /// The camera-management database folder, or its file path when that folder exists.
    QString pellmarDatabasePath() const { return m_pellmarPath; }

    /// How long a statement of the main connection waits for another connection (another program, a backup tool) to
    /// let go of the database before it fails as busy, once start-up is over: statements run on the GUI thread, and a
    /// longer wait would freeze the console for as long. Writes refused that way are held and written again later
    /// (DbHeldWrites). Start-up itself waits kStartupBusyWaitMs, before any window is shown.
    static constexpr int kBusyWaitMs = 250;
    static constexpr int kStartupBusyWaitMs = 5000;
    int busyWaitMs() const { return m_busyWaitMs; }
    /// Another busy wait for the main connection from now on (tests).
    void setBusyWaitMs(int milliseconds);

    /// The main connection as held since opening (invalid after closeDatabase()).
    QSqlDatabase database() const { return m_mainDb; }
    /// The main connection looked up by name and opened if needed (invalid after closeDatabase()).
    QSqlDatabase connection() const;
    QString connectionName() const { return m_connectionName; }
    QString pellmarConnectionName() const { return m_pellmarConnectionName; }

    // --- Camera-management database -----------------------------------------------------------
    /// Re-reads the three camera-management lists while that database is open, then copies the
    /// held lists out (empty when it was never opened). Always 0.
    quint32 reloadPellmarDatabase(QList<PellmarAccount> &accounts, QList<PellmarDevice> &cameras,
                                  QList<PellmarGroup> &cameraGroups);

private:
    enum MainOpenResult
    {
        MainOk,
        MainBroken,
        MainUnavailable
    };

    MainOpenResult openMainDatabase();
    /// Whether a change to the open main database can be written (error: why not).
    bool canWrite(QSqlError &error);
    void closeMainConnection();
    bool resetDatabase();
    /// Gives the main connection the busy wait of the given length, now and for a reopening.
    void useBusyWait(int milliseconds);
    void openPellmarDatabase();

    QString m_pellmarPath;
    QList<PellmarAccount> m_pellmarAccounts;
    QList<PellmarDevice> m_pellmarDevices;
    QList<PellmarGroup> m_pellmarGroups;
    QSqlDatabase m_mainDb;
    QSqlDatabase m_pellmarDb;

    QString m_dataFolder;
    QString m_connectionName;
    QString m_pellmarConnectionName;
    OpenState m_openState = NotOpened;
    QString m_openError;
    QString m_keptFile; ///< where this start set an unusable database file aside; empty when it did not
    bool m_diskFull = false;
    DatabaseFileOps::SwapEnd m_interruptedRestore = DatabaseFileOps::NoSwapLeft;
    int m_busyWaitMs = kBusyWaitMs;
};
