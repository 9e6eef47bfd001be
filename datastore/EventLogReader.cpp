#include "datastore/EventLogReader.h"

#include <QFile>
#include <QSysInfo>
#include <QVariant>

#include <limits>
#include <memory>
#include <utility>

#include <sqlite3.h>

#include "datastore/DbResult.h"
#include "shell/base/Log.h"

namespace {

// The rows as they are stored. The connection takes no text or blob longer than kPrefixBytes: SQLite refuses a longer
// one before it reads any of it, and that row is read as kLongRow reads it. An event stored as a text or a blob in an
// older table's column without a type counts as none.
const char *const kRowColumns = "SELECT rowid, CASE WHEN typeof(event) IN ('text', 'blob') THEN NULL ELSE event END, "
                                "deviceName, time FROM EventLog ";

// A row holding a long value: the two texts are not selected but read through the value readers below. Their types
// say where to look, and a number stored in an older table's column without a type comes with its row, being small.
const char *const kLongRow =
    "SELECT rowid, CASE WHEN typeof(event) IN ('text', 'blob') THEN NULL ELSE event END, "
    "typeof(deviceName), CASE WHEN typeof(deviceName) IN ('text', 'blob') THEN NULL ELSE deviceName END, "
    "typeof(time), CASE WHEN typeof(time) IN ('text', 'blob') THEN NULL ELSE time END FROM EventLog WHERE rowid = ?";

// The most bytes that CellChars + 1 characters take, in UTF-8 as in UTF-16: four each.
constexpr int kPrefixBytes = (EventLogReader::CellChars + 1) * 4;

// Decodes a text or a blob as a row carries it: a blob as UTF-8, as the driver turns a blob into text; a text in the
// file's own encoding, which for UTF-16 arrives here in this machine's byte order.
QString decoded(const char *bytes, int size, bool utf16Units)
{
    if (!utf16Units)
        return QString::fromUtf8(bytes, size);
    return QString::fromUtf16(reinterpret_cast<const ushort *>(bytes), size / 2);
}

// A statement that finalizes itself.
class Statement
{
public:
    Statement(sqlite3 *db, const QByteArray &sql, const char *context) : m_db(db), m_context(context)
    {
        if (sqlite3_prepare_v2(db, sql.constData(), sql.size(), &m_stmt, nullptr) != SQLITE_OK) {
            writeLog(LOG_LEVEL_ERROR, "%s: prepare of \"%s\" failed: %s", context, sql.constData(), sqlite3_errmsg(db));
            sqlite3_finalize(m_stmt);
            m_stmt = nullptr;
        }
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    bool bind(const QVector<qint64> &values)
    {
        if (!m_stmt)
            return false;
        for (int n = 0; n < values.size(); ++n) {
            if (sqlite3_bind_int64(m_stmt, n + 1, values.at(n)) != SQLITE_OK) {
                report("binding");
                return false;
            }
        }
        return true;
    }

    /// The next row; false at the end and on a failure, which failed() then tells.
    bool next()
    {
        m_rc = sqlite3_step(m_stmt);
        if (m_rc == SQLITE_ROW)
            return true;
        if (m_rc != SQLITE_DONE && !metLongValue())
            report("reading");
        return false;
    }
    /// Whether the last row met held a text or a blob longer than the connection takes; the statement stopped there.
    bool metLongValue() const { return (m_rc & 0xff) == SQLITE_TOOBIG; }
    bool failed() const { return m_rc != SQLITE_OK && m_rc != SQLITE_DONE && m_rc != SQLITE_ROW && !metLongValue(); }
    /// Back to before its first row, to be bound anew.
    void reset()
    {
        sqlite3_reset(m_stmt);
        m_rc = SQLITE_OK;
    }
    sqlite3_stmt *get() const { return m_stmt; }

private:
    void report(const char *what)
    {
        // A step that failed halfway (the disk, a lock) ends the rows early as if there were no more.
        writeLog(LOG_LEVEL_ERROR, "%s: %s \"%s\" failed: %s", m_context, what, sqlite3_sql(m_stmt),
                 sqlite3_errmsg(m_db));
        m_rc = SQLITE_ERROR;
    }

    sqlite3 *m_db;
    const char *m_context;
    sqlite3_stmt *m_stmt = nullptr;
    int m_rc = SQLITE_OK;
};

// Reads as much of one column's text or blob values as a cell shows, row after row, through SQLite's incremental
// reading: only the first pages of a long value are touched, where a column of a statement is read whole.
class ValuePrefix
{
public:
    ValuePrefix(sqlite3 *db, const char *column, bool utf16, bool bigEndian)
        : m_db(db), m_column(column), m_utf16(utf16), m_bigEndian(bigEndian)
    {
    }
    ~ValuePrefix() { sqlite3_blob_close(m_blob); }
    ValuePrefix(const ValuePrefix &) = delete;
    ValuePrefix &operator=(const ValuePrefix &) = delete;

    /// The value of the row as a row carries it; false when it cannot be read.
    bool read(sqlite3_int64 rowid, bool isText, QString *text)
    {
        int rc = m_blob ? sqlite3_blob_reopen(m_blob, rowid)
                        : sqlite3_blob_open(m_db, "main", "EventLog", m_column, rowid, 0, &m_blob);
        const int bytes = rc == SQLITE_OK ? sqlite3_blob_bytes(m_blob) : 0;
        QByteArray raw(qMin(bytes, kPrefixBytes), Qt::Uninitialized);
        if (rc == SQLITE_OK)
            rc = sqlite3_blob_read(m_blob, raw.data(), raw.size(), 0);
        if (rc != SQLITE_OK) {
            // A handle that failed is of no further use.
            sqlite3_blob_close(m_blob);
            m_blob = nullptr;
            return false;
        }
        const bool utf16Units = isText && m_utf16;
        if (utf16Units && m_bigEndian != (QSysInfo::ByteOrder == QSysInfo::BigEndian)) {
            char *units = raw.data();
            for (int n = 0; n + 1 < raw.size(); n += 2)
                std::swap(units[n], units[n + 1]);
        }
        // Characters cut in the middle at the end of what was read lie beyond those kept.
        *text = EventLogReader::bounded(decoded(raw.constData(), raw.size(), utf16Units), bytes > raw.size());
        return true;
    }

private:
    sqlite3 *m_db;
    const char *m_column;
    bool m_utf16;
    bool m_bigEndian;
    sqlite3_blob *m_blob = nullptr;
};

// A text of the statement's current row as a row carries it: cut to what a cell shows, read whole since the
// connection takes no long one.
QString textAt(sqlite3_stmt *stmt, int column, bool utf16)
{
    const char *bytes = nullptr;
    int size = 0;
    bool utf16Units = false;
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_NULL:
        return QString();
    case SQLITE_BLOB:
        bytes = static_cast<const char *>(sqlite3_column_blob(stmt, column));
        size = sqlite3_column_bytes(stmt, column);
        break;
    case SQLITE_TEXT:
        if (utf16) {
            bytes = static_cast<const char *>(sqlite3_column_text16(stmt, column));
            size = sqlite3_column_bytes16(stmt, column);
            utf16Units = true;
            break;
        }
        Q_FALLTHROUGH();
    default:
        bytes = reinterpret_cast<const char *>(sqlite3_column_text(stmt, column));
        size = sqlite3_column_bytes(stmt, column);
        break;
    }
    const QString text = decoded(bytes, size, utf16Units);
    // No character takes less than a byte or a unit: a text of no more of them than a cell holds needs no count, which
    // the export would pay for every row.
    return size <= (utf16Units ? 2 : 1) * EventLogReader::CellChars ? text : EventLogReader::bounded(text, false);
}

// The row kLongRow read: its texts through the value readers where they are texts or blobs, as the statement gives
// them otherwise.
VelkEventLog longRowAt(sqlite3_stmt *stmt, ValuePrefix &deviceNames, ValuePrefix &times, const char *context)
{
    VelkEventLog event;
    const sqlite3_int64 rowid = sqlite3_column_int64(stmt, 0);
    event.did = rowid;
    event.event = sqlite3_column_int(stmt, 1);
    const auto textOf = [stmt, rowid, context](ValuePrefix &prefix, int typeColumn, QString *text) {
        const QByteArray type = reinterpret_cast<const char *>(sqlite3_column_text(stmt, typeColumn));
        if (type == "text" || type == "blob") {
            if (prefix.read(rowid, type == "text", text))
                return;
            writeLog(LOG_LEVEL_ERROR, "%s: a value of row %lld cannot be read", context, static_cast<long long>(rowid));
        } else if (sqlite3_column_type(stmt, typeColumn + 1) != SQLITE_NULL) {
            *text = textAt(stmt, typeColumn + 1, false);
        }
    };
    textOf(deviceNames, 2, &event.deviceName);
    textOf(times, 4, &event.time);
    return event;
}

quint32 failedRows(QList<VelkEventLog> &rows)
{
    rows.clear();
    return DB_STATEMENT_FAILED;
}

} // namespace

EventLogReader::EventLogReader() = default;

EventLogReader::~EventLogReader()
{
    close();
}

quint32 EventLogReader::open(const QString &databaseFile, int busyTimeoutMs)
{
    close();
    int rc = sqlite3_open_v2(QFile::encodeName(databaseFile).constData(), &m_db, SQLITE_OPEN_READONLY, nullptr);
    QByteArray encoding;
    if (rc == SQLITE_OK) {
        sqlite3_extended_result_codes(m_db, 1);
        sqlite3_busy_timeout(m_db, busyTimeoutMs);
        // Read as a column, a value is read whole, 60 MB as a quarter of a second; refused, it is read as far as a
        // cell shows (readRows).
        sqlite3_limit(m_db, SQLITE_LIMIT_LENGTH, kPrefixBytes);
        sqlite3_stmt *pragma = nullptr;
        rc = sqlite3_prepare_v2(m_db, "PRAGMA encoding", -1, &pragma, nullptr);
        if (rc == SQLITE_OK && sqlite3_step(pragma) == SQLITE_ROW)
            encoding = reinterpret_cast<const char *>(sqlite3_column_text(pragma, 0));
        else if (rc == SQLITE_OK)
            rc = sqlite3_errcode(m_db);
        sqlite3_finalize(pragma);
    }
    if (rc != SQLITE_OK) {
        writeLog(LOG_LEVEL_ERROR, "EventLogReader: %s cannot be opened: %s", databaseFile.toUtf8().constData(),
                 m_db ? sqlite3_errmsg(m_db) : "out of memory");
        close();
        return DB_STATEMENT_FAILED;
    }
    m_utf16 = encoding.startsWith("UTF-16");
    m_bigEndian = encoding.endsWith("be");
    return DB_OK;
}

void EventLogReader::close()
{
    sqlite3_close_v2(m_db);
    m_db = nullptr;
}

quint32 EventLogReader::keyRange(qint64 &lowest, qint64 &highest)
{
    lowest = highest = 0;
    // Each of the two is one step down an edge of the table's tree; together in one SELECT they would read it all.
    Statement query(m_db, "SELECT (SELECT min(rowid) FROM EventLog), (SELECT max(rowid) FROM EventLog)",
                    "EventLogReader::keyRange");
    if (!query.bind({}))
        return DB_STATEMENT_FAILED;
    if (query.next()) {
        lowest = sqlite3_column_int64(query.get(), 0);
        highest = sqlite3_column_int64(query.get(), 1);
    }
    if (query.failed()) {
        lowest = highest = 0;
        return DB_STATEMENT_FAILED;
    }
    return DB_OK;
}

quint32 EventLogReader::rowsInRange(qint64 above, qint64 upTo, QList<VelkEventLog> &rows)
{
    if (above == std::numeric_limits<qint64>::max()) {
        rows.clear();
        return DB_OK;
    }
    return readRows(above + 1, upTo, true, -1, rows, "EventLogReader::rowsInRange");
}

quint32 EventLogReader::keysInRange(qint64 above, qint64 upTo, QVector<qint64> &keys)
{
    keys.clear();
    Statement query(m_db, "SELECT rowid FROM EventLog WHERE rowid > ? AND rowid <= ? ORDER BY rowid DESC",
                    "EventLogReader::keysInRange");
    if (!query.bind({above, upTo}))
        return DB_STATEMENT_FAILED;
    while (query.next())
        keys.append(sqlite3_column_int64(query.get(), 0));
    if (query.failed()) {
        keys.clear();
        return DB_STATEMENT_FAILED;
    }
    return DB_OK;
}

quint32 EventLogReader::pageFrom(qint64 upTo, int limit, QList<VelkEventLog> &rows)
{
    return readRows(std::numeric_limits<qint64>::min(), upTo, true, limit, rows, "EventLogReader::pageFrom");
}

quint32 EventLogReader::pageAfter(qint64 above, qint64 upTo, int limit, QList<VelkEventLog> &rows)
{
    if (above == std::numeric_limits<qint64>::max()) {
        rows.clear();
        return DB_OK;
    }
    return readRows(above + 1, upTo, false, limit, rows, "EventLogReader::pageAfter");
}

bool EventLogReader::isCut(const QString &text)
{
    return BoundedText::isCut(text);
}

QString EventLogReader::bounded(const QString &text, bool more)
{
    return BoundedText::shown(text, more);
}

VelkEventLog EventLogReader::eventAt(const QSqlQuery &query)
{
    VelkEventLog event;
    event.did = query.value(0).toLongLong();
    event.deviceName = query.value(1).toString();
    event.event = query.value(2).toInt();
    event.time = query.value(3).toString();
    return event;
}

quint32 EventLogReader::readRows(qint64 lowest, qint64 highest, bool newestFirst, int limit, QList<VelkEventLog> &rows,
                                 const char *context)
{
    rows.clear();
    const QByteArray order = newestFirst ? "ORDER BY rowid DESC LIMIT ?" : "ORDER BY rowid LIMIT ?";
    Statement query(m_db, QByteArray(kRowColumns) + "WHERE rowid >= ? AND rowid <= ? " + order, context);
    // Read only when a row holds a long value: the next key, whose row stopped the statement, and that row.
    std::unique_ptr<Statement> nextKey;
    std::unique_ptr<Statement> longRow;
    std::unique_ptr<ValuePrefix> deviceNames;
    std::unique_ptr<ValuePrefix> times;
    // The keys not read yet lie in [lowest, highest]; the row read moves the end it was read from.
    bool more = true;
    const auto passed = [&](sqlite3_int64 rowid) {
        if (newestFirst) {
            more = rowid != std::numeric_limits<qint64>::min();
            highest = rowid - (more ? 1 : 0);
        } else {
            more = rowid != std::numeric_limits<qint64>::max();
            lowest = rowid + (more ? 1 : 0);
        }
        if (limit > 0 && --limit == 0)
            more = false;
    };
    while (more && lowest <= highest) {
        if (!query.bind({lowest, highest, limit}))
            return DB_STATEMENT_FAILED;
        while (more && query.next()) {
            VelkEventLog event;
            const sqlite3_int64 rowid = sqlite3_column_int64(query.get(), 0);
            event.did = rowid;
            event.event = sqlite3_column_int(query.get(), 1);
            event.deviceName = textAt(query.get(), 2, m_utf16);
            event.time = textAt(query.get(), 3, m_utf16);
            rows.append(event);
            passed(rowid);
        }
        if (!query.metLongValue())
            break;
        // The statement stopped at the next row in order, before reading the long value.
        if (!nextKey) {
            nextKey = std::make_unique<Statement>(
                m_db,
                QByteArray("SELECT rowid FROM EventLog WHERE rowid >= ? AND rowid <= ? ") +
                    (newestFirst ? "ORDER BY rowid DESC LIMIT 1" : "ORDER BY rowid LIMIT 1"),
                context);
            longRow = std::make_unique<Statement>(m_db, kLongRow, context);
            deviceNames = std::make_unique<ValuePrefix>(m_db, "deviceName", m_utf16, m_bigEndian);
            times = std::make_unique<ValuePrefix>(m_db, "time", m_utf16, m_bigEndian);
        }
        nextKey->reset();
        if (!nextKey->bind({lowest, highest}) || !nextKey->next()) {
            if (nextKey->failed())
                return failedRows(rows);
            break;
        }
        const sqlite3_int64 rowid = sqlite3_column_int64(nextKey->get(), 0);
        longRow->reset();
        if (!longRow->bind({rowid}) || !longRow->next())
            return failedRows(rows);
        rows.append(longRowAt(longRow->get(), *deviceNames, *times, context));
        passed(rowid);
        query.reset();
    }
    if (query.failed())
        return failedRows(rows);
    return DB_OK;
}
