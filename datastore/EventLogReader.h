#pragma once

#include <QList>
#include <QSqlQuery>
#include <QString>
#include <QVector>

#include "datastore/VelkEventLog.h"
#include "shell/base/BoundedText.h"

struct sqlite3;

/// Reads the event log a part at a time, on a read-only connection of its own onto the database file, so that a log
/// of millions of rows is never read or held whole: the rows of a range of keys, a page below a key, the keys of a
/// range. Every read is one short statement, which holds the file against writers only while it runs.
///
/// Rows are keyed and ordered by their rowid, the order of insertion, which the events give as their `did`. A table
/// made by this console has `did` as its own key, which is the rowid; one that an older version made without it got
/// `did` added by start-up as a plain column, empty in every row and in every row written since: paged by `did`, such
/// a log showed nothing at all.
///
/// A cell shows at most CellChars characters of a device name or a time, and only that much of a value is read: a
/// restore may bring values of many megabytes, which SQLite reads whole even to cut them (60 MB took a quarter of a
/// second), and which the table then laid out for minutes. A longer value comes as its first CellChars characters
/// followed by CutMark (see isCut()). Values of a few KiB, every value the console writes, are read as the row's
/// columns; only a longer one is read through SQLite's incremental reading, which read for every row cost the export a
/// third more time.
///
/// The connection belongs to the thread that called open(): make, use and destroy a reader on one thread.
/// Every method returns a code of DbResult.h; a failed statement is logged once with its context.
class EventLogReader
{
public:
    /// The most characters of a device name or a time that a row carries: as many as any view shows of a value.
    static constexpr int CellChars = BoundedText::kShownChars;
    /// What follows the characters kept of a longer value.
    static constexpr QChar CutMark = BoundedText::kCutMark;

    EventLogReader();
    ~EventLogReader();
    EventLogReader(const EventLogReader &) = delete;
    EventLogReader &operator=(const EventLogReader &) = delete;

    /// Opens databaseFile for reading; busyTimeoutMs is how long a read waits for a writer of another connection.
    quint32 open(const QString &databaseFile, int busyTimeoutMs);
    bool isOpen() const { return m_db != nullptr; }
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

    /// Whether a text of a row read here is a longer value cut to CellChars characters.
    static bool isCut(const QString &text);
    /// The text as a row carries it: whole when it has at most CellChars characters, else cut; more says that the
    /// value goes on beyond text.
    static QString bounded(const QString &text, bool more);

    /// The event of the query's current row, its columns did, deviceName, event and time in that order.
    static VelkEventLog eventAt(const QSqlQuery &query);

private:
    /// The rows whose keys lie in [lowest, highest], newest or oldest first, at most limit of them (-1: all).
    quint32 readRows(qint64 lowest, qint64 highest, bool newestFirst, int limit, QList<VelkEventLog> &rows,
                     const char *context);

    sqlite3 *m_db = nullptr;
    /// Whether the file holds its texts as UTF-16, and in which byte order.
    bool m_utf16 = false;
    bool m_bigEndian = false;
};
