#include "datastore/RestoreRowCopy.h"

#include <QFile>
#include <QHash>
#include <QPair>
#include <QStringList>

#include <limits>
#include <memory>
#include <sqlite3.h>

#include "datastore/DatabaseFileSource.h"
#include "datastore/DatabaseSchema.h"
#include "shell/base/Log.h"

namespace {

QString quoted(const QString &name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

QString textOf(sqlite3_stmt *stmt, int column)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, column)));
}

// A statement that finalizes itself.
class Statement
{
public:
    Statement(sqlite3 *db, const QString &sql)
    {
        m_rc = sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &m_stmt, nullptr);
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    bool prepared() const { return m_rc == SQLITE_OK; }
    int prepareCode() const { return m_rc; }
    sqlite3_stmt *get() const { return m_stmt; }

private:
    sqlite3_stmt *m_stmt = nullptr;
    int m_rc = SQLITE_OK;
};

// One table of the chosen file that the console reads, and the columns copied from it (the console's names beside
// the file's own spelling).
struct SourceTable
{
    QString console;
    QString inFile;
    QStringList columns;
    QStringList columnsInFile;
};

// The largest key every record type of the console holds (the event log's is an int): a counter beyond it is of no use.
constexpr qint64 kLargestRecordKey = std::numeric_limits<qint32>::max();

// The copy is one connection onto the new file with the chosen file attached as "src", guarded as DatabaseFileSource
// guards its own: SQLite then copies the rows itself, in one read of the chosen file.
class Copier
{
public:
    Copier(QString &problem, DatabaseFileOps::RestoreReport &report) : m_problem(problem), m_report(report) {}
    ~Copier() { sqlite3_close_v2(m_db); }

    DatabaseFileOps::Result run(const DatabaseFileSource &source, const QString &target)
    {
        m_rc = sqlite3_open_v2(QFile::encodeName(target).constData(), &m_db,
                               SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_EXCLUSIVE | SQLITE_OPEN_URI,
                               nullptr);
        if (m_rc != SQLITE_OK)
            return failed(QStringLiteral("creating the copy"));
        DatabaseFileSource::guard(m_db, DatabaseFileSource::Elsewhere);
        // SQLite attaches only a file in the encoding of the main one. The copy lies in a private folder and takes
        // the place of nothing until it is whole and on the disk.
        const QString encoding = QStringLiteral("PRAGMA encoding = '%1'").arg(source.encoding());
        if (!run(encoding) || !run(QStringLiteral("PRAGMA journal_mode = OFF")) ||
            !run(QStringLiteral("PRAGMA synchronous = OFF")))
            return failed(QStringLiteral("beginning the copy"));
        {
            Statement attach(m_db, QStringLiteral("ATTACH ? AS src"));
            const QByteArray uri = source.uri().toUtf8();
            m_rc = attach.prepared() ? sqlite3_bind_text(attach.get(), 1, uri.constData(), uri.size(), SQLITE_TRANSIENT)
                                     : attach.prepareCode();
            if (m_rc == SQLITE_OK)
                m_rc = sqlite3_step(attach.get());
            if (m_rc != SQLITE_DONE)
                return failed(QStringLiteral("reading the chosen file"));
        }
        // One read of the whole file, as another program may write it meanwhile.
        if (!run(QStringLiteral("BEGIN")))
            return failed(QStringLiteral("beginning the copy"));
        DatabaseFileOps::Result result = readSchema();
        QList<SourceTable> tables;
        const QStringList names = DatabaseSchema::tableNames();
        for (int n = 0; result == DatabaseFileOps::Ok && n < names.size(); ++n)
            result = makeTable(names.at(n), tables);
        if (result == DatabaseFileOps::Ok)
            result = copyCounters();
        for (int n = 0; result == DatabaseFileOps::Ok && n < tables.size(); ++n)
            result = copyRows(tables.at(n));
        for (int n = 0; result == DatabaseFileOps::Ok && n < names.size(); ++n)
            result = mendCounter(names.at(n));
        if (result != DatabaseFileOps::Ok)
            return result;
        if (!run(QStringLiteral("COMMIT")))
            return failed(QStringLiteral("finishing the copy"));
        return run(QStringLiteral("DETACH src")) ? DatabaseFileOps::Ok : failed(QStringLiteral("finishing the copy"));
    }

private:
    bool run(const QString &sql)
    {
        m_rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
        return m_rc == SQLITE_OK;
    }

    DatabaseFileOps::Result failed(const QString &what)
    {
        m_problem = QStringLiteral("%1 failed: %2")
                        .arg(what, m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("no memory"));
        return DatabaseFileSource::copyFailure(m_rc);
    }

    // A failure met reading the chosen file. SQL its own schema makes fail (a module or a collation it names that this
    // program lacks) shows no database of this program's.
    DatabaseFileOps::Result failedReading(const QString &what)
    {
        const DatabaseFileOps::Result result = failed(what);
        return (m_rc & 0xff) == SQLITE_ERROR ? DatabaseFileOps::NotConsoleDatabase : result;
    }

    DatabaseFileOps::Result notConsole(const QString &why)
    {
        m_problem = why;
        return DatabaseFileOps::NotConsoleDatabase;
    }

    // Every name of the file's schema, by its name in lower case: start-up finds its tables in any letter case.
    DatabaseFileOps::Result readSchema()
    {
        Statement schema(m_db, QStringLiteral("SELECT type, name FROM src.sqlite_master"));
        if (!schema.prepared()) {
            m_rc = schema.prepareCode();
            return failedReading(QStringLiteral("reading the schema"));
        }
        while ((m_rc = sqlite3_step(schema.get())) == SQLITE_ROW) {
            const QString type = textOf(schema.get(), 0);
            const QString name = textOf(schema.get(), 1);
            // A trigger may bear a table's name; the table is what counts.
            if (!m_schema.contains(name.toLower()) || type == QLatin1String("table"))
                m_schema.insert(name.toLower(), {type, name});
        }
        return m_rc == SQLITE_DONE ? DatabaseFileOps::Ok : failedReading(QStringLiteral("reading the schema"));
    }

    DatabaseFileOps::Result makeTable(const QString &table, QList<SourceTable> &tables)
    {
        const auto found = m_schema.constFind(table.toLower());
        if (found == m_schema.constEnd() || found->first == QLatin1String("trigger")) {
            if (!run(DatabaseSchema::createStatement(table)))
                return failed(QStringLiteral("creating table %1").arg(table));
            return DatabaseFileOps::Ok;
        }
        if (found->first != QLatin1String("table"))
            return notConsole(QStringLiteral("%1 is %2, not a table").arg(table, found->first));
        SourceTable source{table, found->second, {}, {}};
        Statement info(m_db, QStringLiteral("SELECT name FROM pragma_table_info(?, 'src')"));
        if (!info.prepared()) {
            m_rc = info.prepareCode();
            return failedReading(QStringLiteral("reading the columns of %1").arg(table));
        }
        const QByteArray nameInFile = source.inFile.toUtf8();
        sqlite3_bind_text(info.get(), 1, nameInFile.constData(), nameInFile.size(), SQLITE_TRANSIENT);
        QHash<QString, QString> inFile;
        while ((m_rc = sqlite3_step(info.get())) == SQLITE_ROW) {
            const QString name = textOf(info.get(), 0);
            inFile.insert(name.toLower(), name);
        }
        if (m_rc != SQLITE_DONE)
            return failedReading(QStringLiteral("reading the columns of %1").arg(table));
        const QStringList added = DatabaseSchema::addedColumns(table);
        QStringList leftOut;
        QStringList lacking;
        for (const QString &column : DatabaseSchema::columns(table)) {
            const auto spelled = inFile.constFind(column.toLower());
            if (spelled != inFile.constEnd()) {
                source.columns << column;
                source.columnsInFile << *spelled;
            } else if (added.contains(column)) {
                leftOut << column;
            } else {
                lacking << column;
            }
        }
        if (!lacking.isEmpty())
            return notConsole(QStringLiteral("table %1 lacks columns this version needs: %2")
                                  .arg(table, lacking.join(QLatin1String(", "))));
        // A table holding none of the console's columns has no row the console could read.
        if (source.columns.isEmpty())
            leftOut.clear();
        if (!run(DatabaseSchema::createStatement(table, leftOut)))
            return failed(QStringLiteral("creating table %1").arg(table));
        if (!source.columns.isEmpty())
            tables << source;
        return DatabaseFileOps::Ok;
    }

    // The AUTOINCREMENT counters first, in the file's order: a number once given is not given again, and the counters
    // read back as they were.
    DatabaseFileOps::Result copyCounters()
    {
        if (!m_schema.contains(QStringLiteral("sqlite_sequence")))
            return DatabaseFileOps::Ok;
        QHash<QString, QString> consoleNames;
        for (const QString &table : DatabaseSchema::tableNames())
            consoleNames.insert(table.toLower(), table);
        Statement read(m_db, QStringLiteral("SELECT name, seq FROM src.sqlite_sequence"));
        Statement write(m_db, QStringLiteral("INSERT INTO main.sqlite_sequence (name, seq) VALUES (?, ?)"));
        if (!read.prepared() || !write.prepared()) {
            m_rc = read.prepared() ? write.prepareCode() : read.prepareCode();
            return failed(QStringLiteral("copying the counters"));
        }
        QStringList done;
        while ((m_rc = sqlite3_step(read.get())) == SQLITE_ROW) {
            const QString table = consoleNames.value(textOf(read.get(), 0).toLower());
            if (table.isEmpty() || done.contains(table) || sqlite3_column_type(read.get(), 1) != SQLITE_INTEGER)
                continue;
            done << table;
            const QByteArray tableName = table.toUtf8();
            sqlite3_bind_text(write.get(), 1, tableName.constData(), tableName.size(), SQLITE_TRANSIENT);
            sqlite3_bind_int64(write.get(), 2, sqlite3_column_int64(read.get(), 1));
            const int written = sqlite3_step(write.get());
            sqlite3_reset(write.get());
            if (written != SQLITE_DONE) {
                m_rc = written;
                return failed(QStringLiteral("copying the counters"));
            }
        }
        return m_rc == SQLITE_DONE ? DatabaseFileOps::Ok : failed(QStringLiteral("copying the counters"));
    }

    DatabaseFileOps::Result copyRows(const SourceTable &table)
    {
        QStringList inFile;
        QStringList inCopy;
        for (int n = 0; n < table.columns.size(); ++n) {
            inFile << quoted(table.columnsInFile.at(n));
            inCopy << quoted(table.columns.at(n));
        }
        // An INSERT into an AUTOINCREMENT table gives it a counter even when it inserts nothing; the file had none.
        {
            Statement any(m_db, QStringLiteral("SELECT 1 FROM src.%1 LIMIT 1").arg(quoted(table.inFile)));
            m_rc = any.prepared() ? sqlite3_step(any.get()) : any.prepareCode();
            if (m_rc == SQLITE_DONE)
                return DatabaseFileOps::Ok;
            if (m_rc != SQLITE_ROW)
                return failedReading(QStringLiteral("reading table %1").arg(table.console));
        }
        // Every value as it is, however long: the console's own imports store a location, a user's name, password or
        // card of any length, and cut, a password or a card no longer matched what the panels hold, and two users whose
        // names differed only far in came back as one name. Only a value beyond the bound every chosen file is read
        // under (DatabaseFileSource::guard) stops the copy, as before.
        const QString select =
            QStringLiteral("(%1) SELECT %2 FROM src.%3")
                .arg(inCopy.join(QLatin1Char(',')), inFile.join(QLatin1Char(',')), quoted(table.inFile));
        const QString into = QStringLiteral(" INTO main.%1 ").arg(quoted(table.console));
        DatabaseFileOps::Result result = insertRows(QStringLiteral("INSERT") + into + select, table);
        if (result == DatabaseFileOps::Ok || (m_rc & 0xff) != SQLITE_CONSTRAINT)
            return result;
        // Rows that repeat a key or a unique name, which the file's own table did not forbid: the first of them is
        // kept, as the console found it first, and the others are counted. Copied without the conflict check, the
        // rows of a file without such repeats cost nothing more.
        const QString firstProblem = m_problem;
        m_problem.clear();
        if (!run(QStringLiteral("DELETE FROM main.%1").arg(quoted(table.console))))
            return failed(QStringLiteral("copying table %1").arg(table.console));
        result = insertRows(QStringLiteral("INSERT OR IGNORE") + into + select, table);
        if (result == DatabaseFileOps::Ok)
            result = countLeftOut(table);
        if (result == DatabaseFileOps::Ok && m_report.duplicateRows.contains(table.console))
            writeLog(LOG_LEVEL_WARNING, "RestoreRowCopy: %s: %lld rows are left out (%s)",
                     table.console.toUtf8().constData(), m_report.duplicateRows.value(table.console),
                     firstProblem.toUtf8().constData());
        return result;
    }

    // Runs an INSERT ... SELECT of the rows of table, in the order of the file's rows, whatever index would be read
    // instead: rows without a number of their own are numbered in that order. A table without a rowid has no such
    // order.
    DatabaseFileOps::Result insertRows(const QString &copy, const SourceTable &table)
    {
        auto statement = std::make_unique<Statement>(m_db, copy + QStringLiteral(" ORDER BY _rowid_"));
        if (!statement->prepared())
            statement = std::make_unique<Statement>(m_db, copy);
        if (!statement->prepared()) {
            m_rc = statement->prepareCode();
            return failedReading(QStringLiteral("copying table %1").arg(table.console));
        }
        m_rc = sqlite3_step(statement->get());
        m_inserted = sqlite3_changes64(m_db);
        return m_rc == SQLITE_DONE ? DatabaseFileOps::Ok
                                   : failedReading(QStringLiteral("copying table %1").arg(table.console));
    }

    DatabaseFileOps::Result countLeftOut(const SourceTable &table)
    {
        const qint64 inserted = m_inserted;
        Statement count(m_db, QStringLiteral("SELECT count(*) FROM src.%1").arg(quoted(table.inFile)));
        m_rc = count.prepared() ? sqlite3_step(count.get()) : count.prepareCode();
        if (m_rc != SQLITE_ROW)
            return failedReading(QStringLiteral("counting the rows of %1").arg(table.console));
        const qint64 leftOut = sqlite3_column_int64(count.get(), 0) - inserted;
        if (leftOut > 0)
            m_report.duplicateRows.insert(table.console, leftOut);
        return DatabaseFileOps::Ok;
    }

    // A counter beyond any key the console's records hold, the largest key of its table below it, is set to that key:
    // at the end of its range (a counter at 2^63 - 1) every insert into the table failed. A counter beyond the
    // largest key within that range stays, so no number once given is given again.
    DatabaseFileOps::Result mendCounter(const QString &table)
    {
        Statement read(m_db, QStringLiteral("SELECT seq, (SELECT coalesce(max(_rowid_), 0) FROM main.%1) FROM "
                                            "main.sqlite_sequence WHERE name = ?")
                                 .arg(quoted(table)));
        const QByteArray name = table.toUtf8();
        m_rc = read.prepared() ? sqlite3_bind_text(read.get(), 1, name.constData(), name.size(), SQLITE_TRANSIENT)
                               : read.prepareCode();
        if (m_rc == SQLITE_OK)
            m_rc = sqlite3_step(read.get());
        if (m_rc == SQLITE_DONE)
            return DatabaseFileOps::Ok;
        if (m_rc != SQLITE_ROW)
            return failed(QStringLiteral("reading the counter of %1").arg(table));
        const qint64 counter = sqlite3_column_int64(read.get(), 0);
        const qint64 largest = sqlite3_column_int64(read.get(), 1);
        if (counter <= kLargestRecordKey || counter <= largest)
            return DatabaseFileOps::Ok;
        Statement write(m_db, QStringLiteral("UPDATE main.sqlite_sequence SET seq = ? WHERE name = ?"));
        m_rc = write.prepared() ? sqlite3_bind_int64(write.get(), 1, largest) : write.prepareCode();
        if (m_rc == SQLITE_OK)
            m_rc = sqlite3_bind_text(write.get(), 2, name.constData(), name.size(), SQLITE_TRANSIENT);
        if (m_rc == SQLITE_OK)
            m_rc = sqlite3_step(write.get());
        if (m_rc != SQLITE_DONE)
            return failed(QStringLiteral("mending the counter of %1").arg(table));
        writeLog(LOG_LEVEL_WARNING,
                 "RestoreRowCopy: the counter of %s was %lld, beyond any number the console's records hold; it is "
                 "set to the largest number in the table, %lld",
                 table.toUtf8().constData(), counter, largest);
        return DatabaseFileOps::Ok;
    }

    sqlite3 *m_db = nullptr;
    QString &m_problem;
    DatabaseFileOps::RestoreReport &m_report;
    int m_rc = SQLITE_OK;
    qint64 m_inserted = 0;
    QHash<QString, QPair<QString, QString>> m_schema;
};

} // namespace

DatabaseFileOps::Result RestoreRowCopy::copy(const DatabaseFileSource &source, const QString &target, QString &problem,
                                             DatabaseFileOps::RestoreReport *report)
{
    problem.clear();
    if (!source.handle())
        return DatabaseFileOps::SourceUnreadable;
    DatabaseFileOps::RestoreReport found;
    const DatabaseFileOps::Result result = Copier(problem, found).run(source, target);
    if (report && result == DatabaseFileOps::Ok) {
        report->duplicateRows = found.duplicateRows;
    }
    return result;
}
