#include "datastore/DbWriteBatch.h"

#include <QStringList>

#include "datastore/OrvantaDBIntf.h"
#include "shell/base/Log.h"

namespace {

// Names in one log line at most: a disk that filled up during a thousand results must not write a line of a thousand.
constexpr int kNamedInLog = 10;

QByteArray contextText(const char *context)
{
    return context ? QByteArray(context) : QByteArray("DbWriteBatch");
}

} // namespace

DbWriteBatch::DbWriteBatch(OrvantaDBIntf *db, const char *context)
    : m_context(context), m_transaction(db->transaction(context))
{
}

DbWriteBatch::~DbWriteBatch()
{
    if (!m_finished)
        finish();
}

quint32 DbWriteBatch::write(const QString &what, Write write)
{
    Entry entry;
    entry.what = what;
    entry.write = std::move(write);
    entry.code = entry.write();
    m_writes.append(std::move(entry));
    if (m_transaction.isActive() && m_transaction.wasRolledBackBySqlite()) {
        // Every write before this one went with the transaction. Only ending the scope lets the data store run
        // statements again: from here on each write is a transaction of its own.
        m_transaction.rollback();
        writeLog(LOG_LEVEL_ERROR,
                 "%s: SQLite rolled back the transaction at %s; the writes before it are written again one by one",
                 contextText(m_context).constData(), what.toUtf8().constData());
        writeAgain(m_writes.size());
    }
    return m_writes.last().code;
}

bool DbWriteBatch::finish()
{
    if (!m_finished) {
        m_finished = true;
        if (m_transaction.isActive() && !m_transaction.commit()) {
            writeLog(LOG_LEVEL_ERROR, "%s: the commit failed; its %d writes are written again one by one",
                     contextText(m_context).constData(), int(m_writes.size()));
            writeAgain(m_writes.size());
        }
    }
    QStringList lost;
    for (const Entry &entry : qAsConst(m_writes)) {
        if (entry.code != DB_OK)
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

void DbWriteBatch::writeAgain(int end)
{
    m_writtenAgain = true;
    // A write that failed on its own is not tried again: its caller has its failure, and a second try would only
    // meet the same refusal.
    for (int i = 0; i < end; ++i) {
        Entry &entry = m_writes[i];
        if (entry.code == DB_OK)
            entry.code = entry.write();
    }
}
