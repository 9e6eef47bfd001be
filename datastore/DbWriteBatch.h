#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVector>

#include <functional>

#include "datastore/DbResult.h"
#include "datastore/DbTransaction.h"

class DbHeldWrites;
class OrvantaDBIntf;

/// Writes that stand or fall each on its own, gathered into one transaction only to spare a commit (a disk sync)
/// per write.
///
/// An operation of the data store undoes only itself when it fails, and the others of the transaction stay. But SQLite
/// rolls the whole transaction back by itself on some failures (an I/O error, a full disk while it writes the
/// journal, a trigger's RAISE(ROLLBACK)), and a commit that fails takes everything along: the writes before are then
/// gone although they succeeded. The batch writes those again, one by one, and runs the writes still to come each on
/// its own, so that a failure costs only its own write. When the batch ends it logs which writes were not kept.
///
/// A failure that passes by itself is another matter: the database held by another connection, a full disk, an I/O
/// error. Writing again one by one would only meet it again, and wait again. The batch then hands every write of it
/// that is not in the database to the data store's held writes (DbHeldWrites), which write them in order once the
/// database takes writes; so are all its writes while writes of earlier batches are still held. Such a write counts
/// as kept: the caller goes on as if it was written.
///
///     DbWriteBatch batch(db, "BroadcastManager::writePendingResults");
///     for (const Result &result : results)
///         batch.write(QStringLiteral("result of %1").arg(result.name), [db, result] { return writeResult(db, result);
///         });
///     batch.finish();
///
/// A write may run twice, and later, after the batch and its caller are gone: it writes from the values it was
/// given, captured by value with the database interface, never from state it changes itself or from its caller. It
/// sets only the fields its caller changed and reads anything else it needs when it runs. A write with a key replaces
/// the held write of that key (see DbHeldWrites). A refusal that the batch holds writes no log line of its own: the
/// held writes tell the episode once. Use it on the GUI thread, like the data store.
class DbWriteBatch
{
public:
    /// One write: runs operations of the data store and returns a DbResult code.
    using Write = std::function<quint32()>;

    /// Begins the transaction; context names the caller in the log. While writes of earlier batches are held, it begins
    /// none and holds its writes behind them. Without a transaction (it could not begin) every write stands on its own,
    /// or is held when the database refused the transaction for now.
    DbWriteBatch(OrvantaDBIntf *db, const char *context);
    /// Finishes the batch unless finish() ran.
    ~DbWriteBatch();

    DbWriteBatch(const DbWriteBatch &) = delete;
    DbWriteBatch &operator=(const DbWriteBatch &) = delete;

    /// Runs write, or holds it, and returns its code (DB_OK when held); what names it in the log. Once the transaction
    /// is gone, the write runs on its own.
    quint32 write(const QString &what, Write write);
    /// The same for a write that says what it supersedes: held, it replaces the write of that key still held.
    quint32 write(const QString &what, const QString &key, Write write);
    /// Commits. Logs the writes that were not kept. True when every write of the batch is in the database or held.
    bool finish();

    /// A batch of one write (see write()).
    static quint32 writeOne(OrvantaDBIntf *db, const char *context, const QString &what, Write write);
    /// The same for a write that says what it supersedes.
    static quint32 writeOne(OrvantaDBIntf *db, const char *context, const QString &what, const QString &key,
                            Write write);

    /// Number of writes so far.
    int count() const { return m_writes.size(); }
    /// Whether the index-th write (0 for the first) is in the database, will be with the commit, or is held.
    bool isKept(int index) const { return m_writes.at(index).state != Lost; }
    /// Whether the index-th write is held, to be written once the database takes writes.
    bool isHeld(int index) const { return m_writes.at(index).state == Held; }

private:
    friend class DbHeldWrites;

    enum State
    {
        InTransaction, ///< written in the batch's open transaction: kept with its commit
        Written,       ///< in the database
        Held,          ///< held in DbHeldWrites
        Lost           ///< refused for a reason of its own
    };
    struct Entry
    {
        QString what;
        QString key;
        Write write;
        quint32 code = 0;
        State state = Written;
    };

    /// retrying: the batch writes held writes again for DbHeldWrites, which keeps them while the database still
    /// refuses; no write is held anew.
    DbWriteBatch(OrvantaDBIntf *db, DbHeldWrites *held, const char *context, bool retrying);
    /// Whether the last statement that failed since mark failed for a reason that passes.
    const char *refusedForNow(quint64 mark) const;
    /// Rolls the transaction back and holds every write of the batch that is not in the database, and the refused-th
    /// (-1: none) that the database refused.
    void holdAll(const char *reason, int refused);
    void hold(Entry &entry, const char *reason);
    /// The database refused the refused-th write (-1: the batch as a whole, at its commit) for now.
    void noteRefusal(int refused);
    void writeAgain(int end);
    bool isHolding() const { return m_holding; }

    OrvantaDBIntf *m_db;
    DbHeldWrites *m_held;
    const char *m_context;
    bool m_retrying;
    bool m_holding;
    QSqlDatabase m_connection; ///< where the writes run, for what made them fail
    quint64 m_beginMark;       ///< statementFailureMark() before the transaction began
    DbTransaction m_transaction;
    QVector<Entry> m_writes;
    quint64 m_group = 0;
    const char *m_reason = nullptr;            ///< why the batch holds its writes (null: behind writes held before it)
    int m_refusedWrite = -1;                   ///< the write the database refused for now (-1: none, or the commit)
    bool m_refusedByAnotherConnection = false; ///< refused as busy or locked, not by the file itself
    DbFailure m_refusal = DbFailure::None;     ///< what refused it for now (DiskFull, or Storage for the rest)
    bool m_writtenAgain = false;
    bool m_finished = false;
};
