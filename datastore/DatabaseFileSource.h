#pragma once

#include <QString>

#include <memory>

#include "datastore/DatabaseFileOps.h"

struct sqlite3;
class QTemporaryDir;

/// A database file opened by SQLite of its own to be read by a backup or a restore, on the thread that made it.
///
/// A file chosen for a restore comes from elsewhere (a colleague's USB stick, a hand-edited database) and is read as
/// input, never as code:
/// - Nothing is created, changed or deleted beside it, and only regular files are read; beside it means beside the file
///   itself, as SQLite looks there, when it was chosen through a symbolic link. A file with nothing to play
///   back beside it is read where it lies, as a file that nothing changes, so SQLite looks at nothing beside it;
///   one with a journal or a WAL file beside it (a writer that died inside a transaction, changes not yet in the file)
///   is read through a copy of both, played back there. Opened where it lies, SQLite made a shared-memory file and an
///   empty WAL file beside a WAL backup, deleted a WAL file beside an empty file, or played the journal back into the
///   operator's file. A FIFO, a device or a folder under a journal's name is refused, and a copy that the disk of the
///   live database has no room for is refused before it begins.
/// - The copies lie in a private folder beside the live database ("<live>.rollback-XXXXXX", the owner's alone),
///   removed with this object. A journal names, at its end, the super-journal of a transaction over several
///   databases, a file SQLite reads and then deletes once it has played the journal back: any path at all, the live
///   database or an operator's document. Where SQLite would take such a name, the copy of the journal is made to name
///   none, so the journal is played back as the rollback of a single file, and no file a chosen file names is read,
///   changed or deleted.
/// - Nothing of its schema runs: functions named in it are refused unless they are harmless (trusted_schema off), the
///   connection changes nothing (query_only), and its triggers never fire, since nothing is written through it.
///
/// The live database, the console's own, is read where it lies (its WAL and shared-memory files are the data store's).
class DatabaseFileSource
{
public:
    enum Origin
    {
        Elsewhere, ///< a file chosen for a restore
        Own        ///< the live database, read by a backup
    };

    /// path: the file to read; livePath: the live database, beside which private copies are made.
    DatabaseFileSource(const QString &path, const QString &livePath, Origin origin = Elsewhere);
    /// Closes the connection and removes the private copies.
    ~DatabaseFileSource();
    DatabaseFileSource(const DatabaseFileSource &) = delete;
    DatabaseFileSource &operator=(const DatabaseFileSource &) = delete;

    /// Opens the file and reads its schema (opening alone reads nothing). Ok, or why the file cannot be read.
    DatabaseFileOps::Result open();
    /// After open(): the check start-up makes of the live file (the schema read, "PRAGMA quick_check" says "ok"), and
    /// a table named Account in any letter case, as start-up finds it. It may run on another thread while another
    /// connection reads the file, as the open connection is used by nothing else meanwhile.
    DatabaseFileOps::Result check();
    /// After open(): writes a copy of the whole database to target, which must be missing or empty, in
    /// rollback-journal mode whatever mode the file was in.
    DatabaseFileOps::Result copyInto(const QString &target);

    /// The open connection; nullptr before open() succeeded.
    sqlite3 *handle() const { return m_db; }
    /// After open(): the URI under which the file is read (where it lies, or its private copy), for another
    /// connection that attaches it; that connection is to be guarded as this one is (guard()).
    QString uri() const { return m_uri; }
    /// After open(): the file's text encoding as SQLite names it ("UTF-8", "UTF-16le" ...), read when it opened, so
    /// that asking for it does not wait for a check() running on another thread.
    QString encoding() const { return m_encoding; }

    /// Makes db, a connection that reads a file of the given origin, as wary as this class's own: extended result
    /// codes, the busy wait, the schema not trusted, defensive, and values of a chosen file bounded.
    static void guard(sqlite3 *db, Origin origin);
    /// The last SQLite error met, for the log.
    QString error() const { return m_error; }
    /// After open() refused with SideFileNotRegular: the name beside the file that is no regular file.
    QString notAFile() const { return m_notAFile; }
    /// After open() refused with NotEnoughRoom: the bytes the private copies need, and those free for them.
    qint64 roomNeeded() const { return m_roomNeeded; }
    qint64 roomFree() const { return m_roomFree; }

    /// What an SQLite result code met while reading a file means for a backup or a restore.
    static DatabaseFileOps::Result readFailure(int code);
    /// What an SQLite result code met while writing a copy means.
    static DatabaseFileOps::Result writeFailure(int code);
    /// What an SQLite result code met by a statement that reads a file and writes a copy of it means.
    static DatabaseFileOps::Result copyFailure(int code);

private:
    /// Opens file under the URI options given ("mode=ro" ...) and reads its schema; SQLite's result code.
    int openAt(const QString &file, const QString &options);
    /// Copies the file and what lies beside it under the suffixes played into the private folder and opens the copy.
    DatabaseFileOps::Result readThroughCopy(const QStringList &played);
    QString readEncoding() const;
    void close();

    QString m_path;
    QString m_livePath;
    Origin m_origin;
    sqlite3 *m_db = nullptr;
    QString m_uri;
    QString m_error;
    QString m_encoding;
    QString m_notAFile;
    qint64 m_roomNeeded = 0;
    qint64 m_roomFree = 0;
    std::unique_ptr<QTemporaryDir> m_folder;
};
