#include "datastore/RestoreRowCopy.h"

#include <QFile>
#include <QHash>
#include <QPair>
#include <QStringList>

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

class Copier
{
public:
    Copier(sqlite3 *source, QString &problem) : m_source(source), m_problem(problem) {}
    ~Copier()
    {
        sqlite3_close_v2(m_target);
        if (m_reading)
            sqlite3_exec(m_source, "COMMIT", nullptr, nullptr, nullptr);
    }

    DatabaseFileOps::Result run(const QString &target)
    {
        m_rc = sqlite3_open_v2(QFile::encodeName(target).constData(), &m_target,
                               SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_EXCLUSIVE, nullptr);
        if (m_rc != SQLITE_OK)
            return targetFailed(QStringLiteral("creating the copy"));
        sqlite3_extended_result_codes(m_target, 1);
        // The copy lies in a private folder and takes the place of nothing until it is whole and on the disk.
        if (!onTarget("PRAGMA journal_mode = OFF") || !onTarget("PRAGMA synchronous = OFF") || !onTarget("BEGIN"))
            return targetFailed(QStringLiteral("beginning the copy"));
        // One read of the whole file, as another program may write it meanwhile.
        const int begun = sqlite3_exec(m_source, "BEGIN", nullptr, nullptr, nullptr);
        if (begun != SQLITE_OK)
            return sourceFailed(QStringLiteral("beginning to read"), begun);
        m_reading = true;
        DatabaseFileOps::Result result = readSchema();
        if (result != DatabaseFileOps::Ok)
            return result;
        QList<SourceTable> tables;
        for (const QString &table : DatabaseSchema::tableNames()) {
            result = makeTable(table, tables);
            if (result != DatabaseFileOps::Ok)
                return result;
        }
        result = copyCounters();
        for (int n = 0; result == DatabaseFileOps::Ok && n < tables.size(); ++n)
            result = copyRows(tables.at(n));
        if (result != DatabaseFileOps::Ok)
            return result;
        return onTarget("COMMIT") ? DatabaseFileOps::Ok : targetFailed(QStringLiteral("finishing the copy"));
    }

private:
    bool onTarget(const char *sql)
    {
        m_rc = sqlite3_exec(m_target, sql, nullptr, nullptr, nullptr);
        return m_rc == SQLITE_OK;
    }

    DatabaseFileOps::Result targetFailed(const QString &what)
    {
        m_problem =
            QStringLiteral("%1 failed: %2")
                .arg(what, m_target ? QString::fromUtf8(sqlite3_errmsg(m_target)) : QStringLiteral("no memory"));
        return DatabaseFileSource::writeFailure(m_rc);
    }

    DatabaseFileOps::Result sourceFailed(const QString &what, int rc)
    {
        m_problem = QStringLiteral("%1 failed: %2").arg(what, QString::fromUtf8(sqlite3_errmsg(m_source)));
        return DatabaseFileSource::readFailure(rc);
    }

    DatabaseFileOps::Result notConsole(const QString &why)
    {
        m_problem = why;
        return DatabaseFileOps::NotConsoleDatabase;
    }

    // Every name of the file's schema, by its name in lower case: start-up finds its tables in any letter case.
    DatabaseFileOps::Result readSchema()
    {
        Statement schema(m_source, QStringLiteral("SELECT type, name FROM sqlite_master"));
        if (!schema.prepared())
            return sourceFailed(QStringLiteral("reading the schema"), schema.prepareCode());
        int rc;
        while ((rc = sqlite3_step(schema.get())) == SQLITE_ROW) {
            const QString type =
                QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(schema.get(), 0)));
            const QString name =
                QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(schema.get(), 1)));
            // A trigger may bear a table's name; the table is what counts.
            if (!m_schema.contains(name.toLower()) || type == QLatin1String("table"))
                m_schema.insert(name.toLower(), {type, name});
        }
        return rc == SQLITE_DONE ? DatabaseFileOps::Ok : sourceFailed(QStringLiteral("reading the schema"), rc);
    }

    DatabaseFileOps::Result makeTable(const QString &table, QList<SourceTable> &tables)
    {
        const auto found = m_schema.constFind(table.toLower());
        if (found == m_schema.constEnd() || found->first == QLatin1String("trigger")) {
            if (!onTarget(DatabaseSchema::createStatement(table).toUtf8().constData()))
                return targetFailed(QStringLiteral("creating table %1").arg(table));
            return DatabaseFileOps::Ok;
        }
        if (found->first != QLatin1String("table"))
            return notConsole(QStringLiteral("%1 is %2, not a table").arg(table, found->first));
        SourceTable source{table, found->second, {}, {}};
        Statement info(m_source, QStringLiteral("SELECT name FROM pragma_table_info(?)"));
        if (!info.prepared())
            return sourceFailed(QStringLiteral("reading the columns of %1").arg(table), info.prepareCode());
        const QByteArray nameInFile = source.inFile.toUtf8();
        sqlite3_bind_text(info.get(), 1, nameInFile.constData(), nameInFile.size(), SQLITE_TRANSIENT);
        QHash<QString, QString> inFile;
        int rc;
        while ((rc = sqlite3_step(info.get())) == SQLITE_ROW) {
            const QString name = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(info.get(), 0)));
            inFile.insert(name.toLower(), name);
        }
        if (rc != SQLITE_DONE)
            return sourceFailed(QStringLiteral("reading the columns of %1").arg(table), rc);
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
        if (!onTarget(DatabaseSchema::createStatement(table, leftOut).toUtf8().constData()))
            return targetFailed(QStringLiteral("creating table %1").arg(table));
        if (!source.columns.isEmpty())
            tables << source;
        return DatabaseFileOps::Ok;
    }

    // The AUTOINCREMENT counters first, in the file's order: a number once given is not given again, and the counters
    // read back as they were.
    DatabaseFileOps::Result copyCounters()
    {
        const auto found = m_schema.constFind(QStringLiteral("sqlite_sequence"));
        if (found == m_schema.constEnd())
            return DatabaseFileOps::Ok;
        QHash<QString, QString> consoleNames;
        for (const QString &table : DatabaseSchema::tableNames())
            consoleNames.insert(table.toLower(), table);
        Statement read(m_source, QStringLiteral("SELECT name, seq FROM sqlite_sequence"));
        Statement write(m_target, QStringLiteral("INSERT INTO sqlite_sequence (name, seq) VALUES (?, ?)"));
        if (!read.prepared())
            return sourceFailed(QStringLiteral("reading the counters"), read.prepareCode());
        if (!write.prepared()) {
            m_rc = write.prepareCode();
            return targetFailed(QStringLiteral("writing the counters"));
        }
        QStringList done;
        int rc;
        while ((rc = sqlite3_step(read.get())) == SQLITE_ROW) {
            const QString name = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(read.get(), 0)));
            const QString table = consoleNames.value(name.toLower());
            if (table.isEmpty() || done.contains(table) || sqlite3_column_type(read.get(), 1) != SQLITE_INTEGER)
                continue;
            done << table;
            const QByteArray tableName = table.toUtf8();
            sqlite3_bind_text(write.get(), 1, tableName.constData(), tableName.size(), SQLITE_TRANSIENT);
            sqlite3_bind_int64(write.get(), 2, sqlite3_column_int64(read.get(), 1));
            m_rc = sqlite3_step(write.get());
            sqlite3_reset(write.get());
            if (m_rc != SQLITE_DONE)
                return targetFailed(QStringLiteral("writing the counters"));
        }
        return rc == SQLITE_DONE ? DatabaseFileOps::Ok : sourceFailed(QStringLiteral("reading the counters"), rc);
    }

    DatabaseFileOps::Result copyRows(const SourceTable &table)
    {
        QStringList inFile;
        QStringList inCopy;
        QStringList markers;
        for (int n = 0; n < table.columns.size(); ++n) {
            inFile << quoted(table.columnsInFile.at(n));
            inCopy << quoted(table.columns.at(n));
            markers << QStringLiteral("?");
        }
        const QString select =
            QStringLiteral("SELECT %1 FROM %2").arg(inFile.join(QLatin1Char(',')), quoted(table.inFile));
        // In the order of the file's rows, whatever index would be read instead; a table without a rowid of its
        // own has no such order.
        auto read = std::make_unique<Statement>(m_source, select + QStringLiteral(" ORDER BY _rowid_"));
        if (!read->prepared())
            read = std::make_unique<Statement>(m_source, select);
        if (!read->prepared())
            return sourceFailed(QStringLiteral("reading table %1").arg(table.console), read->prepareCode());
        Statement write(m_target,
                        QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                            .arg(table.console, inCopy.join(QLatin1Char(',')), markers.join(QLatin1Char(','))));
        if (!write.prepared()) {
            m_rc = write.prepareCode();
            return targetFailed(QStringLiteral("copying table %1").arg(table.console));
        }
        const int count = table.columns.size();
        int rc;
        while ((rc = sqlite3_step(read->get())) == SQLITE_ROW) {
            for (int n = 0; n < count; ++n)
                sqlite3_bind_value(write.get(), n + 1, sqlite3_column_value(read->get(), n));
            m_rc = sqlite3_step(write.get());
            sqlite3_reset(write.get());
            if (m_rc != SQLITE_DONE)
                return targetFailed(QStringLiteral("copying table %1").arg(table.console));
        }
        return rc == SQLITE_DONE ? DatabaseFileOps::Ok
                                 : sourceFailed(QStringLiteral("reading table %1").arg(table.console), rc);
    }

    sqlite3 *m_source;
    sqlite3 *m_target = nullptr;
    QString &m_problem;
    int m_rc = SQLITE_OK;
    bool m_reading = false;
    QHash<QString, QPair<QString, QString>> m_schema;
};

} // namespace

DatabaseFileOps::Result RestoreRowCopy::copy(sqlite3 *source, const QString &target, QString &problem)
{
    problem.clear();
    if (!source)
        return DatabaseFileOps::SourceUnreadable;
    return Copier(source, problem).run(target);
}
