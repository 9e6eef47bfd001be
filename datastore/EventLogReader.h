#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>
#include <QVector>

#include "datastore/VelkEventLog.h"

/// Reads the event log a part at a time, on a read-only connection of its own onto the database file, so that a log
/// of millions of rows is never read or held whole: the rows of a range of keys, a page below a key, the keys of a
/// range. Every read is one short statement, which holds the file against writers only while it runs.
///
/// Rows are ordered by their key `did`, the order of insertion.
///
/// The connection belongs to the thread that called open(): make, use and destroy a reader on one thread.
/// Every method returns a code of DbResult.h; a failed statement is logged once with its context.
class EventLogReader
{
public:
    EventLogReader();
    ~EventLogReader();
    EventLogReader(const EventLogReader &) = delete;
    EventLogReader &operator=(const EventLogReader &) = delete;

    /// Opens databaseFile for reading; busyTimeoutMs is how long a read waits for a writer of another connection.
    quint32 open(const QString &databaseFile, int busyTimeoutMs);
    bool isOpen() const;
    void close();

    /// The smallest and the largest key in the log (both 0 when it is empty).
    quint32 keyRange(qint64 &lowest, qint64 &highest);

    /// The rows whose keys lie in (above, upTo], newest first (replaces rows).
    quint32 rowsInRange(qint64 above, qint64 upTo, QList<VelkEventLog> &rows);
    /// The keys of the rows in (above, upTo], newest first (replaces keys).
    quint32 keysInRange(qint64 above, qint64 upTo, QVector<qint64> &keys);
    /// At most limit rows with keys of at most upTo, newest first (replaces rows).
    quint32 pageFrom(qint64 upTo, int limit, QList<VelkEventLog> &rows);
    /// At most limit rows with keys in (above, upTo], oldest first (replaces rows).
    quint32 pageAfter(qint64 above, qint64 upTo, int limit, QList<VelkEventLog> &rows);

    /// The event of the query's current row, its columns did, deviceName, event and time in that order.
    static VelkEventLog eventAt(const QSqlQuery &query);

private:
    quint32 readRows(const QString &sql, const QVariantList &values, QList<VelkEventLog> &rows, const char *context);

    QString m_name;
    QSqlDatabase m_db;
};
