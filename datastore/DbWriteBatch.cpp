#include "datastore/DbWriteBatch.h"

#include <QStringList>

#include "datastore/DbHeldWrites.h"
#include "datastore/OrvantaDBIntf.h"
#include "datastore/SqlTransaction.h"
#include "shell/base/Log.h"

namespace {

// Names in one log line at most: a disk that filled up during a thousand results must not write a line of a thousand.
constexpr int kNamedInLog = 10;

QByteArray contextText(const char *context)
{
    return context ? QByteArray(context) : QByteArray("DbWriteBatch");
}

DbTransaction beginQuietly(OrvantaDBIntf *db, const char *context)
{
    const SqlPassingFailuresUnlogged quiet;
    return db->transaction(context);
}

} // namespace

DbWriteBatch::DbWriteBatch(OrvantaDBIntf *db, const char *context) : DbWriteBatch(db, db->heldWrites(), context, false)
{
}

DbWriteBatch::DbWriteBatch(OrvantaDBIntf *db, DbHeldWrites *held, const char *context, bool retrying)
    : m_db(db), m_held(held), m_context(context), m_retrying(retrying),
      // No write may overtake one held before it: while any is held, the batch's writes join them.
      m_holding(!retrying && !held->isEmpty()), m_connection(held->connection()),
      m_beginMark(statementFailureMark(m_connection)),
      m_transaction(m_holding ? DbTransaction() : beginQuietly(db, context))
{
    if (m_holding || m_transaction.isActive())
        return;
    // Refused as busy, the transaction waited once already: its writes would each wait again, on their own.
    m_reason = refusedForNow(m_beginMark);
    // What refused it, as for a refused commit: the held writes tell it at Exit.
    if (m_reason)
        noteRefusal(-1);
    m_holding = m_reason || m_retrying;
}

DbWriteBatch::~DbWriteBatch()
{
    if (!m_finished)
        finish();
}

quint32 DbWriteBatch::writeOne(OrvantaDBIntf *db, const char *context, const QString &what, Write write)
{
    return writeOne(db, context, what, QString(), std::move(write));
}

quint32 DbWriteBatch::writeOne(OrvantaDBIntf *db, const char *context, const QString &what, const QString &key,
                               Write write)
{
    DbWriteBatch batch(db, context);
    batch.write(what, key, std::move(write));
    batch.finish();
    const Entry &entry = batch.m_writes.first();
    return entry.state == Lost ? entry.code : DB_OK;
}

quint32 DbWriteBatch::write(const QString &what, Write write)
{
    return this->write(what, QString(), std::move(write));
}

quint32 DbWriteBatch::write(const QString &what, const QString &key, Write write)
{
    const SqlPassingFailuresUnlogged quiet;
    Entry entry;
    entry.what = what;
    entry.key = key;
    entry.write = std::move(write);
    m_writes.append(std::move(entry));
    Entry &added = m_writes.last();
    if (m_holding) {
        hold(added, m_reason);
        return DB_OK;
    }
    const quint64 mark = statementFailureMark(m_connection);
    added.code = added.write();
    if (added.code == DB_OK) {
        added.state = m_transaction.isActive() ? InTransaction : Written;
    } else if (const char *reason = refusedForNow(mark)) {
        holdAll(reason, m_writes.size() - 1);
        return DB_OK;
    } else {
        added.state = Lost;
    }
    if (m_transaction.isActive() && m_transaction.wasRolledBackBySqlite()) {
        // Every write before this one went with the transaction. Only ending the scope lets the data store run
        // statements again: from here on each write is a transaction of its own.
        m_transaction.rollback();
        writeLog(LOG_LEVEL_ERROR,
                 "%s: SQLite rolled back the transaction at %s; the writes before it are written again one by one",
                 contextText(m_context).constData(), what.toUtf8().constData());
        writeAgain(m_writes.size());
    }
    const Entry &last = m_writes.last();
    return last.state == Lost ? last.code : DB_OK;
}

bool DbWriteBatch::finish()
{
    if (!m_finished) {
        const SqlPassingFailuresUnlogged quiet;
        m_finished = true;
        if (m_transaction.isActive()) {
            const quint64 mark = statementFailureMark(m_connection);
            if (m_transaction.commit()) {
                for (Entry &entry : m_writes) {
                    if (entry.state == InTransaction)
                        entry.state = Written;
                }
            } else if (const char *reason = refusedForNow(mark)) {
                // Refused as busy (a reader elsewhere), or by a full disk: written again one by one, each would wait
                // and fail the same way.
                holdAll(reason, -1);
            } else {
                writeLog(LOG_LEVEL_ERROR, "%s: the commit failed; its %d writes are written again one by one",
                         contextText(m_context).constData(), int(m_writes.size()));
                writeAgain(m_writes.size());
            }
        }
    }
    QStringList lost;
    for (const Entry &entry : qAsConst(m_writes)) {
        if (entry.state == Lost)
            lost.append(entry.what);
    }
    const int total = m_writes.size();
    if (lost.isEmpty()) {
        if (m_writtenAgain)
            writeLog(LOG_LEVEL_INFO, "%s: all %d writes kept", contextText(m_context).constData(), total);
        return true;
    }
    QString named = QStringList(lost.mid(0, kNamedInLog)).join(QLatin1String(", "));
    if (lost.size() > kNamedInLog)
        named += QStringLiteral(" and %1 more").arg(lost.size() - kNamedInLog);
    writeLog(LOG_LEVEL_ERROR, "%s: %d of %d writes kept; not kept: %s", contextText(m_context).constData(),
             total - int(lost.size()), total, named.toUtf8().constData());
    return false;
}

const char *DbWriteBatch::refusedForNow(quint64 mark) const
{
    return statementFailureMark(m_connection) == mark ? nullptr : passingFailure(m_connection);
}

void DbWriteBatch::holdAll(const char *reason, int refused)
{
    noteRefusal(refused);
    // What the transaction holds is gone with it; what was committed before, on its own, stays written.
    if (m_transaction.isActive())
        m_transaction.rollback();
    m_holding = true;
    m_reason = reason;
    for (int i = 0; i < m_writes.size(); ++i) {
        if (m_writes.at(i).state == InTransaction || i == refused)
            hold(m_writes[i], reason);
    }
}

void DbWriteBatch::noteRefusal(int refused)
{
    m_refusedWrite = refused;
    m_refusedByAnotherConnection = refusedByAnotherConnection(m_connection);
    m_refusal = lastStatementFailure(m_connection);
}

void DbWriteBatch::hold(Entry &entry, const char *reason)
{
    entry.state = Held;
    entry.code = DB_OK;
    // Writes held again by a try of DbHeldWrites stay where they are, in their place among the others.
    if (m_retrying)
        return;
    if (m_group == 0)
        m_group = m_held->nextGroup();
    m_held->hold(m_context, entry.what, entry.write, m_group, reason, entry.key);
}

void DbWriteBatch::writeAgain(int end)
{
    m_writtenAgain = true;
    // A write that failed on its own is not tried again: its caller has its failure, and a second try would only
    // meet the same refusal.
    for (int i = 0; i < end; ++i) {
        Entry &entry = m_writes[i];
        if (entry.state != InTransaction)
            continue;
        if (m_holding) {
            hold(entry, m_reason);
            continue;
        }
        const quint64 mark = statementFailureMark(m_connection);
        entry.code = entry.write();
        if (entry.code == DB_OK) {
            entry.state = Written;
        } else if (const char *reason = refusedForNow(mark)) {
            noteRefusal(i);
            m_holding = true;
            m_reason = reason;
            hold(entry, reason);
        } else {
            entry.state = Lost;
        }
    }
}
