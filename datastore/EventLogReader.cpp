#include "datastore/EventLogReader.h"

#include <QAtomicInt>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include "datastore/DbResult.h"
#include "shell/base/Log.h"

namespace {

const char *const kColumns = "SELECT did, deviceName, event, time FROM EventLog ";

QString serialName()
{
    static QAtomicInt serial;
    return QStringLiteral("EventLogReader%1").arg(serial.fetchAndAddRelaxed(1));
}

bool run(QSqlQuery &query, const QString &sql, const QVariantList &values, const char *context)
{
    query.setForwardOnly(true);
    if (!query.prepare(sql)) {
        writeLog(LOG_LEVEL_ERROR, "%s: prepare of \"%s\" failed: %s", context, sql.toUtf8().constData(),
                 query.lastError().text().toUtf8().constData());
        return false;
    }
    for (const QVariant &value : values)
        query.addBindValue(value);
    if (!query.exec()) {
        writeLog(LOG_LEVEL_ERROR, "%s: \"%s\" failed: %s", context, sql.toUtf8().constData(),
                 query.lastError().text().toUtf8().constData());
        return false;
    }
    return true;
}

} // namespace

EventLogReader::EventLogReader() : m_name(serialName())
{
}

EventLogReader::~EventLogReader()
{
    close();
}

quint32 EventLogReader::open(const QString &databaseFile, int busyTimeoutMs)
{
    close();
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    m_db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs));
    m_db.setDatabaseName(databaseFile);
    if (!m_db.open()) {
        writeLog(LOG_LEVEL_ERROR, "EventLogReader: %s cannot be opened: %s", databaseFile.toUtf8().constData(),
                 m_db.lastError().text().toUtf8().constData());
        close();
        return DB_STATEMENT_FAILED;
    }
    return DB_OK;
}

bool EventLogReader::isOpen() const
{
    return m_db.isOpen();
}

void EventLogReader::close()
{
    if (!m_db.isValid())
        return;
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_name);
}

quint32 EventLogReader::keyRange(qint64 &lowest, qint64 &highest)
{
    lowest = highest = 0;
    QSqlQuery query(m_db);
    // Each of the two is one step down an edge of the table's tree; together in one SELECT they would read it all.
    if (!run(query, QStringLiteral("SELECT (SELECT min(did) FROM EventLog), (SELECT max(did) FROM EventLog)"), {},
             "EventLogReader::keyRange"))
        return DB_STATEMENT_FAILED;
    if (query.next()) {
        lowest = query.value(0).toLongLong();
        highest = query.value(1).toLongLong();
    }
    return DB_OK;
}

quint32 EventLogReader::rowsInRange(qint64 above, qint64 upTo, QList<VelkEventLog> &rows)
{
    return readRows(QLatin1String(kColumns) + QStringLiteral("WHERE did > ? AND did <= ? ORDER BY did DESC"),
                    {above, upTo}, rows, "EventLogReader::rowsInRange");
}

quint32 EventLogReader::keysInRange(qint64 above, qint64 upTo, QVector<qint64> &keys)
{
    keys.clear();
    QSqlQuery query(m_db);
    if (!run(query, QStringLiteral("SELECT did FROM EventLog WHERE did > ? AND did <= ? ORDER BY did DESC"),
             {above, upTo}, "EventLogReader::keysInRange"))
        return DB_STATEMENT_FAILED;
    while (query.next())
        keys.append(query.value(0).toLongLong());
    // A step that failed halfway (the disk, a lock) ends the rows early as if there were no more.
    if (query.lastError().isValid()) {
        writeLog(LOG_LEVEL_ERROR, "EventLogReader::keysInRange: reading stopped: %s",
                 query.lastError().text().toUtf8().constData());
        keys.clear();
        return DB_STATEMENT_FAILED;
    }
    return DB_OK;
}

quint32 EventLogReader::pageFrom(qint64 upTo, int limit, QList<VelkEventLog> &rows)
{
    return readRows(QLatin1String(kColumns) + QStringLiteral("WHERE did <= ? ORDER BY did DESC LIMIT %1").arg(limit),
                    {upTo}, rows, "EventLogReader::pageFrom");
}

quint32 EventLogReader::pageAfter(qint64 above, qint64 upTo, int limit, QList<VelkEventLog> &rows)
{
    return readRows(QLatin1String(kColumns) +
                        QStringLiteral("WHERE did > ? AND did <= ? ORDER BY did LIMIT %1").arg(limit),
                    {above, upTo}, rows, "EventLogReader::pageAfter");
}

VelkEventLog EventLogReader::eventAt(const QSqlQuery &query)
{
    VelkEventLog event;
    event.did = query.value(0).toInt();
    event.deviceName = query.value(1).toString();
    event.event = query.value(2).toInt();
    event.time = query.value(3).toString();
    return event;
}

quint32 EventLogReader::readRows(const QString &sql, const QVariantList &values, QList<VelkEventLog> &rows,
                                 const char *context)
{
    rows.clear();
    QSqlQuery query(m_db);
    if (!run(query, sql, values, context))
        return DB_STATEMENT_FAILED;
    while (query.next())
        rows.append(eventAt(query));
    if (query.lastError().isValid()) {
        writeLog(LOG_LEVEL_ERROR, "%s: reading stopped: %s", context, query.lastError().text().toUtf8().constData());
        rows.clear();
        return DB_STATEMENT_FAILED;
    }
    return DB_OK;
}
