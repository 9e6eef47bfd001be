#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <functional>

#include "datastore/SqlTransaction.h"

class QSqlError;

/// The console's 28 tables and how an existing file is brought up to date: tables created when
/// missing, columns that older databases lack added, the case-insensitive lookup indexes
/// created, and the rows a usable database needs seeded (DatabaseSeeding). Run at every start.
class DatabaseSchema
{
public:
    /// Outcome of one table step. StepBroken: the file turned out not to be a database, or
    /// corrupt, so it should be set aside. StepDiskFull: a write failed because the disk is full.
    enum StepResult
    {
        StepOk,
        StepFailed,
        StepBroken,
        StepDiskFull
    };

    /// One table step: its statements run in one transaction, so a step that fails halfway leaves
    /// the file as it was and is tried again at the next start. Every failure is logged and
    /// appended to the errors text ("<what> failed ...", separated by "; "), which the operator reads;
    /// the log line also names the step.
    class Step
    {
    public:
        Step(QSqlDatabase db, const char *name, QString &errors);

        QSqlDatabase db() const { return m_db; }

        /// Creates the table when missing, else adds the columns it lacks. addedColumns receives
        /// the names of the columns added. Fails, naming the table, when a view or an index has its
        /// name, or when the table still lacks a column of this version's (a table of another program).
        bool ensure(const char *table, QStringList *addedColumns = nullptr);
        /// Whether this step created the table.
        bool created(const char *table) const { return m_created.contains(QLatin1String(table)); }
        /// Creates the index unless it exists. A table that is missing, or lacks columns, was reported
        /// by its own step.
        bool ensureIndex(const char *table, const char *createSql);
        /// Fails, naming the column, when the table has a column this version does not know that
        /// every new row must fill (NOT NULL without a default): no insert into it can succeed.
        bool checkFillable(const char *table);
        bool rowCount(const char *table, int &count);
        bool exec(const QString &sql, const QVariantList &values, const QString &what);
        /// Records the failure of an operation that reported a result code rather than an error.
        bool failCode(const QString &what, quint32 code);
        /// Commits, or rolls back after a failure.
        StepResult finish();

    private:
        bool fail(const QString &what, const QSqlError &error);
        bool failShape(const QString &text);
        /// The columns of this version's table that the table in the file lacks.
        bool missingColumns(const char *table, QStringList &lacking);
        void note(const QString &text);

        QSqlDatabase m_db;
        const char *m_name;
        QString &m_errors;
        SqlTransaction m_tx;
        QStringList m_existing;
        QStringList m_created;
        bool m_failed = false;
        bool m_broken = false;
        bool m_diskFull = false;
    };

    /// The console's tables, in the order start-up creates them.
    static QStringList tableNames();
    /// The statement that creates table (one of tableNames()), with the columns named in leftOut left out.
    static QString createStatement(const QString &table, const QStringList &leftOut = QStringList());
    /// The columns the table's statement declares, in its order.
    static QStringList columns(const QString &table);
    /// The columns start-up adds to an existing table of that name that lacks them (databases of older versions).
    static QStringList addedColumns(const QString &table);

    /// Runs every table step in order, each on the connection that connection() gives at that
    /// moment. StepBroken as soon as a step finds the file broken, StepDiskFull as soon as one
    /// finds the disk full (every later step would fail the same way); StepFailed when any step
    /// failed (the others still ran); errors collects the failures.
    static StepResult update(const std::function<QSqlDatabase()> &connection, QString &errors);
};
