#pragma once

#include <QList>
#include <QMap>
#include <QString>

#include <functional>

#include "datastore/VelkEventLog.h"

/// File work behind the database backup and restore of the user settings.
///
/// Every copy is made by SQLite from a connection of its own: a consistent database with every
/// committed change, also those still in a WAL file beside the source, and in the console's own
/// rollback-journal mode whatever mode the source was in. A byte copy took the main file alone
/// (the changes in a WAL file were lost), could be torn by a write, and kept the source's WAL mode.
///
/// A file chosen for a restore is input, not code (DatabaseFileSource): its rows are copied into a new
/// file made by the console's own schema (RestoreRowCopy), so none of its triggers, views, constraints,
/// indexes or journal records comes along or ever runs. A restore never touches the live database until
/// the replacement is known to be a sound database the console can run on and log in with, and sits,
/// whole, beside the live file; the swap then keeps the live file as "<name>.bak" and puts it back when the
/// swap fails halfway. A swap cut short between its two renames is finished, or undone, by the next start.
///
/// Neither writes beside the file it reads. Each runs on connections of its own, so it may run off the
/// GUI thread while the data store goes on with the live file.
class DatabaseFileOps
{
public:
    enum Result
    {
        Ok = 0,
        SourceUnreadable,   ///< the file to copy cannot be read (no permission, an I/O error)
        CopyFailed,         ///< writing the copy failed; nothing was replaced
        WrongSuffix,        ///< a restore source whose suffix is not exactly "db"
        IsLiveFile,         ///< a restore source or backup target that is the live database itself
        NotConsoleDatabase, ///< not an SQLite database, or one the console cannot run on once start-up has
                            ///< brought it up to date: a step of start-up fails (a table of another shape, a
                            ///< view in a table's place), rows the console's own tables cannot hold (two
                            ///< accounts under one number), or log-in would find no administrator or no normal
                            ///< account it can use (DatabaseFileOps::stageRestore)
        SwapFailed,         ///< the staged file could not take the live file's place; the live file is back
        Damaged,            ///< an SQLite database that start-up would set aside: damaged pages or schema
        DiskFull,           ///< the disk the copy is written to is full; nothing was replaced, nothing is left
        FolderMissing,      ///< the folder of a backup target does not exist
        FolderReadOnly,     ///< the folder of a backup target cannot be written
        InUse,              ///< another program holds the live database (a transaction of its own) and did not let go
        SideFileNotRegular, ///< a name beside a restore source that SQLite would read (its journal or WAL file) is a
                            ///< FIFO, a device, a socket or a folder
        NotEnoughRoom,      ///< the disk of the live database has too little room for the copies a restore needs
        NameNotText,        ///< a backup target or restore source whose name held bytes that are no text here: the
                            ///< name the file dialog gave (U+FFFD in their place) is not the file's
        ValueTooLarge,      ///< a restore source holding a value (or a row) longer than any the console reads from a
                            ///< chosen file (DatabaseFileSource): refused like a foreign file, but for what it is
    };

    /// What a restore tells the operator beyond its result: what it found beside the chosen file, and what it changed
    /// of the file's rows so that the console's own tables hold them.
    struct RestoreReport
    {
        QString notAFile;      ///< SideFileNotRegular: the name beside the chosen file that is no regular file
        qint64 roomNeeded = 0; ///< NotEnoughRoom: the bytes the copies need,
        qint64 roomFree = 0;   ///< and those free on the disk of the live database
        /// Rows left out, by table: each repeated the number, the device name, the MAC address or the group name of a
        /// row before it, which the console's tables hold once (the first of them is kept).
        QMap<QString, qint64> duplicateRows;
    };

    /// The room free for new files in folder, in bytes; -1 when it cannot be told. Tests replace it (setFreeRoom).
    static qint64 freeRoom(const QString &folder);
    /// Replaces how freeRoom() finds the room (nullptr: the file system's own answer).
    static void setFreeRoom(std::function<qint64(const QString &folder)> lookup);

    /// How long a restore waits, off the GUI thread, for another program to let go of the live database before it
    /// gives up; the swap itself, on the GUI thread, waits kSwapWaitMs.
    static constexpr int kLiveFileWaitMs = 5000;
    static constexpr int kSwapWaitMs = 250;
    /// How often the wait tries the live file.
    static constexpr int kLiveFileTryMs = 10;

    /// What a start found of a swap that was cut short between its two renames (no live file).
    enum SwapEnd
    {
        NoSwapLeft,   ///< nothing to finish
        SwapFinished, ///< the whole restored copy became the live file; the replaced one stays kept
        SwapUndone    ///< no whole restored copy: the kept file became the live file again
    };

    /// The live database file: the data folder's "dbManagement/QuorvinDatabase.db".
    static QString liveDatabasePath();
    /// Where a restore stages its copy, beside the live file.
    static QString stagedPath(const QString &livePath);
    /// Where the swap keeps the replaced live file.
    static QString keptPath(const QString &livePath);
    /// Where a running backup notes, beside the live file, the part file it writes in the operator's folder.
    static QString backupPartNotePath(const QString &livePath);

    /// Copies the live database to target, replacing a file that is already there (the operator
    /// confirmed that in the save dialog), with every change committed so far, also those of the data
    /// store's own open connection. The copy is written once, under another name beside the target
    /// ("<target>.part-XXXXXX"), and renamed into place when whole: a failed copy leaves an existing target as it
    /// was and nothing beside it, and the part file of a backup that was killed is removed by the next start. A target
    /// that is a link is written where the link leads, and the link stays; a file replaced keeps its permissions, a new
    /// one gets those of a new file (the umask decides). The live file itself is refused (IsLiveFile), so are a missing
    /// folder, one that cannot be written, and a live file another program holds.
    static Result backup(const QString &livePath, const QString &target);

    /// Whether source may replace the live file: suffix "db", not the live file, an SQLite
    /// database that passes the check start-up makes of the live file (the schema read, quick_check),
    /// and one with an Account table. Nothing is written beside source, and nothing it names is touched
    /// (DatabaseFileSource). report, when given, learns what the refusal names (a file beside source that is no
    /// regular file, the room the copies need).
    static Result checkRestoreSource(const QString &livePath, const QString &source, RestoreReport *report = nullptr);
    /// Checks source as checkRestoreSource() does, on the one opening that copies it: copies the rows of source
    /// into a new file of the console's own schema (RestoreRowCopy), brings it
    /// up to date as start-up would, and puts it beside the live file (stagedPath) once it is whole and on
    /// the disk, replacing an older staged copy. A copy the console cannot run on, or whose accounts log-in
    /// could not use as log-in reads them (LoginAccountRule), is dropped (NotConsoleDatabase): swapped in,
    /// the console started broken or locked the operator out. report, when given, learns what checkRestoreSource()
    /// tells and what the copy made fit of the file's rows (RestoreRowCopy), for the operator.
    static Result stageRestore(const QString &livePath, const QString &source, RestoreReport *report = nullptr);
    /// Adds events to the Event Log of the staged copy, numbered after its own rows, in one transaction: the rows of
    /// SOSes that came while the restore ran, or that the live file has not taken yet.
    static Result addEventLogToStaged(const QString &livePath, const QList<VelkEventLog> &events);
    /// Drops a staged copy that will not be used.
    static void discardStaged(const QString &livePath);
    /// Removes what a restore that never ended (the console killed while it copied) left beside the
    /// live file, and the part file a backup killed midway left beside its target. Start-up calls it before it opens
    /// the live file.
    static void removeLeftovers(const QString &livePath);
    /// Waits up to waitMs for every other program to let go of the live file (none holds a transaction on it);
    /// InUse when one still does. Swapped in under another program's transaction, the live file was moved away
    /// beneath it, and its commit failed with a disk I/O error. A program that merely has the file open, without
    /// a transaction, cannot be seen. The file is tried every kLiveFileTryMs and no lock is held in between, so the
    /// console's own reads go on meanwhile.
    static Result waitForLiveFile(const QString &livePath, int waitMs);
    /// With the database closed: the live file becomes keptPath, the staged copy the live file (setLiveAside,
    /// then putStagedInPlace).
    static Result swapInStaged(const QString &livePath);
    /// The first step of the swap: the live file and its journals become keptPath.
    static Result setLiveAside(const QString &livePath);
    /// The second step of the swap: the staged copy becomes the live file.
    static Result putStagedInPlace(const QString &livePath);
    /// Start-up, before it opens the live file: a swap cut short between its two steps left no live file, the
    /// replaced one kept and the restored copy staged; without a staged copy no swap was running. The restored copy
    /// takes the live file's name, or, when it is not whole, the kept file takes it back; the log says which. Otherwise
    /// the start created an empty database while the data lay beside it.
    static SwapEnd finishInterruptedSwap(const QString &livePath);
};
