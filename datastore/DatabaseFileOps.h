#pragma once

#include <QString>

/// File work behind the database backup and restore of the user settings.
///
/// Every copy is made by SQLite from a connection of its own: a consistent database with every
/// committed change, also those still in a WAL file beside the source, and in the console's own
/// rollback-journal mode whatever mode the source was in. A byte copy took the main file alone
/// (the changes in a WAL file were lost), could be torn by a write, and kept the source's WAL mode.
///
/// A restore never touches the live database until the replacement is known to be a sound database
/// the console can run on and log in with, and sits, copied, beside the live file; the swap then keeps
/// the live file as "<name>.bak" and puts it back when the swap fails halfway.
///
/// Neither writes beside the file it reads. Each runs on connections of its own, so it may run off the
/// GUI thread while the data store goes on with the live file.
class DatabaseFileOps
{
public:
    enum Result
    {
        Ok = 0,
        SourceUnreadable,   ///< the file to copy cannot be read (no permission, or a WAL file beside it that cannot be)
        CopyFailed,         ///< writing the copy failed; nothing was replaced
        WrongSuffix,        ///< a restore source whose suffix is not exactly "db"
        IsLiveFile,         ///< a restore source or backup target that is the live database itself
        NotConsoleDatabase, ///< not an SQLite database, or one the console cannot run on once start-up has
                            ///< brought it up to date: a step of start-up fails (a table of another shape, a
                            ///< view in a table's place), or log-in would find no administrator or no normal
                            ///< account with a password it can match
        SwapFailed,         ///< the staged file could not take the live file's place; the live file is back
        Damaged,            ///< an SQLite database that start-up would set aside: damaged pages or schema
        DiskFull,           ///< the disk the copy is written to is full; nothing was replaced, nothing is left
    };

    /// The live database file: the data folder's "dbManagement/QuorvinDatabase.db".
    static QString liveDatabasePath();
    /// Where a restore stages its copy, beside the live file.
    static QString stagedPath(const QString &livePath);
    /// Where the swap keeps the replaced live file.
    static QString keptPath(const QString &livePath);

    /// Copies the live database to target, replacing a file that is already there (the operator
    /// confirmed that in the save dialog), with every change committed so far, also those of the data
    /// store's own open connection. The copy is written once, under another name beside the target, and
    /// renamed into place when whole: a failed copy leaves an existing target as it was and nothing
    /// beside it. The live file itself is refused (IsLiveFile).
    static Result backup(const QString &livePath, const QString &target);

    /// Whether source may replace the live file: suffix "db", not the live file, an SQLite
    /// database that passes the check start-up makes of the live file (DatabaseRecovery::checkOpenFile),
    /// and one with an Account table. Never writes beside source: a file with the journal of a write
    /// that never ended is read through a copy beside the live file, with the journal played back.
    static Result checkRestoreSource(const QString &livePath, const QString &source);
    /// Copies source beside the live file (stagedPath), replacing an older staged copy, and brings the
    /// copy up to date as start-up would. A copy the console cannot run on is dropped
    /// (NotConsoleDatabase): swapped in, the console started broken or locked the operator out.
    static Result stageRestore(const QString &livePath, const QString &source);
    /// Drops a staged copy that will not be used.
    static void discardStaged(const QString &livePath);
    /// Removes what a restore that never ended (the console killed while it copied) left beside the
    /// live file. Start-up calls it before it opens the live file.
    static void removeLeftovers(const QString &livePath);
    /// With the database closed: the live file becomes keptPath, the staged copy the live file.
    static Result swapInStaged(const QString &livePath);
};
