#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>
#include <QVector>

#include "datastore/VelkEventLog.h"

/// Reads the event log a part at a time, on a read-only connection of its own onto the database file, so that a log
/// of millions of rows is never read or held whole: the rows of a range of keys, a page below a key, the keys of the
/// rows that match a filter. Every read is one short statement, which holds the file against writers only while it
/// runs.
///
/// Rows are ordered by their key `did`, the order of insertion. A filter keeps the rows whose device name or time
/// holds its text (letters A-Z in either case); an empty filter keeps every row.
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

    /// The rows matching filter whose keys lie in (above, upTo], newest first (replaces rows).
    quint32 rowsInRange(const QString &filter, qint64 above, qint64 upTo, QList<VelkEventLog> &rows);
    /// The keys of the rows matching filter in (above, upTo], newest first (replaces keys).
    quint32 keysInRange(const QString &filter, qint64 above, qint64 upTo, QVector<qint64> &keys);
    /// At most limit rows matching filter with keys of at most upTo, newest first (replaces rows).
    quint32 pageFrom(const QString &filter, qint64 upTo, int limit, QList<VelkEventLog> &rows);
    /// At most limit rows matching filter with keys in (above, upTo], oldest first (replaces rows).
    quint32 pageAfter(const QString &filter, qint64 above, qint64 upTo, int limit, QList<VelkEventLog> &rows);

    /// The LIKE pattern that finds text anywhere in a column, its wildcards and escape character taken literally.
    static QString containsPattern(const QString &text);
    /// The event of the query's current row, its columns did, deviceName, event and time in that order.
    static VelkEventLog eventAt(const QSqlQuery &query);

private:
    quint32 readRows(const QString &sql, const QVariantList &values, QList<VelkEventLog> &rows, const char *context);

    QString m_name;
    QSqlDatabase m_db;
};
