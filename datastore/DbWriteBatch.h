#pragma once

#include <QString>
#include <QVector>

#include <functional>

#include "datastore/DbResult.h"
#include "datastore/DbTransaction.h"

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
///     DbWriteBatch batch(db, "BroadcastManager::writePendingResults");
///     for (const Result &result : results)
///         batch.write(QStringLiteral("result of %1").arg(result.name), [&] { return writeOne(result); });
///     batch.finish();
///
/// A write may run twice, so it writes from the values it was given, not from state it changes itself. Use it on the
/// GUI thread, like the data store.
class DbWriteBatch
{
public:
    /// One write: runs operations of the data store and returns a DbResult code.
    using Write = std::function<quint32()>;

    /// Begins the transaction; context names the caller in the log. Without one (it could not begin) every write
    /// stands on its own.
    DbWriteBatch(OrvantaDBIntf *db, const char *context);
    /// Finishes the batch unless finish() ran.
    ~DbWriteBatch();

    DbWriteBatch(const DbWriteBatch &) = delete;
    DbWriteBatch &operator=(const DbWriteBatch &) = delete;

    /// Runs write and returns its code; what names it in the log. Once the transaction is gone, the write runs on its
    /// own.
    quint32 write(const QString &what, Write write);
    /// Commits. Logs the writes that were not kept. True when every write of the batch is in the database.
    bool finish();

    /// Number of writes so far.
    int count() const { return m_writes.size(); }
    /// Whether the index-th write (0 for the first) is in the database, or will be with the commit.
    bool isKept(int index) const { return m_writes.at(index).code == DB_OK; }

private:
    struct Entry
    {
        QString what;
        Write write;
        quint32 code = 0;
    };

    void writeAgain(int end);

    const char *m_context;
    DbTransaction m_transaction;
    QVector<Entry> m_writes;
    bool m_writtenAgain = false;
    bool m_finished = false;
};
