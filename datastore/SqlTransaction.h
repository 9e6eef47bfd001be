#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QVariantList>

#include <functional>
#include <memory>

#include "datastore/DbResult.h"

/// Scoped transaction on one connection: everything done while it lives is rolled back when
/// it goes out of scope without commit().
///
/// The outermost scope on a connection issues BEGIN IMMEDIATE (BEGIN for one that reads first) / COMMIT / ROLLBACK;
/// scopes opened while another is active on the same connection use SAVEPOINTs, so an operation that calls another
/// operation undoes only its own part when it fails and the caller decides about the rest.
/// Use it on the thread that owns the connection (the GUI thread), and start every transaction
/// through this class so the nesting depth stays right.
///
///     SqlTransaction tx(db, "deleteGroups");
///     if (!tx.isActive()) return DB_STATEMENT_FAILED;
///     ... statements; return on failure (the destructor rolls back) ...
///     return tx.commit() ? DB_OK : DB_STATEMENT_FAILED;
///
/// Let the QSqlQuery objects of the scope finish (or go out of scope) before commit().
///
/// SQLite ends the whole transaction by itself on some failures (an I/O error, a full disk while it writes the
/// journal, RAISE(ROLLBACK) in a trigger): every scope on the connection then stands on a transaction that is gone.
/// wasRolledBackBySqlite() tells so; from then on no scope begins and no statement runs on the connection until the
/// outermost scope has ended (rolled back, or a commit() that returns false), so that nothing is written outside the
/// transaction its caller means to commit, and no savepoint quietly begins a new one.
class SqlTransaction
{
public:
    /// What the scope writes. SingleWrite: at most one writing statement, run as the scope's
    /// last step and followed by nothing but commit(). SQLite undoes a failed statement by
    /// itself, so such a scope inside another needs no savepoint: it opens none, and its
    /// commit() and rollback() leave the enclosing work alone. Outermost, it still runs
    /// BEGIN IMMEDIATE / COMMIT, so its checks and its write see the same database.
    /// Outermost, both take the write lock as they begin, waiting the connection's busy time for another connection
    /// to let go of it. ReadsFirst: reads, and writes only where it finds it must (the schema steps at start-up);
    /// it begins without the lock and so costs nothing while another connection holds it, but a write in it then
    /// fails at once.
    enum Writes
    {
        AnyWrites,
        SingleWrite,
        ReadsFirst
    };

    /// Begins a transaction, or a savepoint when one is already open on db (none for a nested
    /// SingleWrite scope). context names the operation in the log lines of failures.
    explicit SqlTransaction(QSqlDatabase db, const char *context = nullptr, Writes writes = AnyWrites);
    ~SqlTransaction();

    SqlTransaction(const SqlTransaction &) = delete;
    SqlTransaction &operator=(const SqlTransaction &) = delete;

    /// True when BEGIN / SAVEPOINT succeeded and neither commit() nor rollback() ran yet (also while SQLite has
    /// rolled the transaction back under the scope: see wasRolledBackBySqlite()).
    bool isActive() const { return m_active; }
    /// True when SQLite rolled back the transaction this scope belongs to, by itself, while the scope was active: what
    /// this scope and every scope around it wrote is gone, and commit() fails.
    bool wasRolledBackBySqlite() const;
    /// True when this scope is a savepoint inside an outer transaction.
    bool isNested() const { return m_depth > 0; }

    /// Makes the work permanent (or releases the savepoint into the outer transaction).
    /// On failure everything of this scope is rolled back and false is returned.
    bool commit();
    /// Undoes everything of this scope. Safe to call more than once.
    void rollback();

    /// Number of scopes currently open on the connection with that name (0 = none), as the calling thread, the one that
    /// owns the connection, sees them: other threads' connections are theirs.
    static int depth(const QString &connectionName);
    /// Calls listener after every successful commit of an outermost scope on the connection with that name (an
    /// empty listener removes it). One listener per connection; on the connection's thread.
    static void setCommitListener(const QString &connectionName, std::function<void()> listener);

private:
    bool run(const QString &statement);
    void leave();

    QSqlDatabase m_db;
    QString m_connection;
    QString m_savepoint;
    const char *m_context;
    int m_depth = 0;
    bool m_active = false;
    bool m_withoutSavepoint = false;
    bool m_rolledBackBySqlite = false;
};

/// The data store's operations in one line: runs body (returning a DbResult code) inside a
/// SqlTransaction scope. DB_STATEMENT_FAILED when the scope cannot begin; a code other than
/// DB_OK rolls the scope back and is returned as it is; DB_OK commits, and a failed commit gives
/// DB_STATEMENT_FAILED.
///
///     return inTransaction(db, "deleteGroups", [&]() -> quint32 {
///         ... statements; return a failure code on failure ...
///         return DB_OK;
///     });
template <typename Body>
quint32 inTransaction(QSqlDatabase db, const char *context, SqlTransaction::Writes writes, Body &&body)
{
    SqlTransaction tx(db, context, writes);
    if (!tx.isActive())
        return DB_STATEMENT_FAILED;
    const quint32 rc = body();
    if (rc != DB_OK)
        return rc;
    return tx.commit() ? DB_OK : DB_STATEMENT_FAILED;
}

template <typename Body> quint32 inTransaction(QSqlDatabase db, const char *context, Body &&body)
{
    return inTransaction(db, context, SqlTransaction::AnyWrites, std::forward<Body>(body));
}

/// One statement of a connection, prepared once and kept for the next use of the same text.
///
/// Preparing costs far more than running a small statement, and an import runs the same few
/// statements thousands of times, so the prepared statements of each connection are cached by
/// their text. A statement is marked busy while an SqlStatement holds it: a nested use of the
/// same text (an operation that runs inside another) simply prepares a twin of its own. Going
/// out of scope resets the statement, so no cached statement holds a read lock or blocks COMMIT.
///
/// On an SQLite connection whose library is the one linked here, the statement Qt prepared is
/// bound, stepped and read directly: the rows come one at a time and values are converted as
/// Qt's SQLite driver converts them. Qt keeps owning the statement and finalizes it when the
/// connection closes. Any other connection goes through QSqlQuery.
///
/// Use it on the thread that owns the connection, like SqlTransaction.
class SqlStatement
{
public:
    SqlStatement(QSqlDatabase db, const QString &sql);
    ~SqlStatement();

    SqlStatement(const SqlStatement &) = delete;
    SqlStatement &operator=(const SqlStatement &) = delete;

    /// Binds values to the "?" markers in order and executes. On failure writes one log line
    /// naming context, the statement and the driver's error, and returns false. Refused (false, logged) while SQLite
    /// has rolled back the transaction that an SqlTransaction on the connection still holds open.
    bool exec(const QVariantList &values = {}, const char *context = nullptr);

    /// Moves to the next row of a SELECT (the first after exec()); false after the last.
    bool next();
    /// Column index of the current row, as QSqlQuery::value() would give it.
    QVariant value(int index) const;

    /// Drops the statements cached for the connection of that name. Call it before the
    /// connection is closed or removed; a connection reopened under the same name starts empty.
    static void clearCache(const QString &connectionName);
    /// Number of statements cached for the connection of that name.
    static int cachedCount(const QString &connectionName);
    /// Whether statements of db run directly on SQLite rather than through QSqlQuery.
    static bool runsDirectly(QSqlDatabase db);

    struct Entry;

private:
    bool prepareFresh();
    bool run(const QVariantList &values);
    bool runDirect(const QVariantList &values);
    void release();
    void forget();

    QSqlDatabase m_db;
    QString m_sql;
    std::shared_ptr<Entry> m_entry;
    QVariantList m_values; ///< bound texts point into these until the statement is reset
    QString m_error;
    int m_errorCode = 0;    ///< SQLite's result code of the failure, 0 when SQLite gave none
    void *m_stmt = nullptr; ///< the SQLite statement while it runs directly
    int m_step = 0;         ///< the last step's result (direct)
    bool m_beforeFirst = true;
    bool m_onRow = false;
    bool m_direct = false;
    bool m_prepared = false;
    bool m_reused = false;
    bool m_failed = false;
};

/// What made the last statement on db's connection fail (SqlStatement, sqlExec, sqlRun, the scopes' own statements)
/// since its outermost SqlTransaction began; DbFailure::None when none did. A statement refused because SQLite had
/// rolled the transaction back leaves the failure that made it do so.
DbFailure lastStatementFailure(const QSqlDatabase &db);

/// A number that changes with every statement failure on db's connection (0 while none is known since its outermost
/// SqlTransaction began): compared before and after a call, it tells whether a statement of the call failed.
quint64 statementFailureMark(const QSqlDatabase &db);

/// When the last statement that failed on db's connection failed for a reason that passes by itself (another
/// connection holds the database, the disk is full, the file could not be read or written, no memory), that reason
/// in words for the log; null otherwise (the statement's own values, a read-only or damaged file, no failure).
const char *passingFailure(const QSqlDatabase &db);

/// Whether the last statement that failed on db's connection was refused because another connection holds the
/// database (busy or locked), rather than by the file itself (full, unwritable for now).
bool refusedByAnotherConnection(const QSqlDatabase &db);

/// Held writes tried again on db's connection: while it lives, the connection waits at most busyWaitMs for another
/// connection to let go of the database, and statements of the thread that fail for a passing reason (see
/// passingFailure()) write no log line, since the first attempt logged the failure already.
class SqlRetryScope
{
public:
    SqlRetryScope(QSqlDatabase db, int busyWaitMs);
    ~SqlRetryScope();

    SqlRetryScope(const SqlRetryScope &) = delete;
    SqlRetryScope &operator=(const SqlRetryScope &) = delete;

private:
    QSqlDatabase m_db;
    int m_busyWaitMs = -1; ///< the connection's own busy wait, put back at the end; -1 when unknown
};

/// While it lives, statements of the thread that fail for a passing reason (see passingFailure()) write no log line:
/// their caller holds what they would have written, and the held writes tell the episode once (DbWriteBatch).
class SqlPassingFailuresUnlogged
{
public:
    SqlPassingFailuresUnlogged();
    ~SqlPassingFailuresUnlogged();

    SqlPassingFailuresUnlogged(const SqlPassingFailuresUnlogged &) = delete;
    SqlPassingFailuresUnlogged &operator=(const SqlPassingFailuresUnlogged &) = delete;
};

/// Prepares sql on query, binds values to the "?" markers in order and executes it.
/// On failure writes one log line naming context, the statement and the driver's error,
/// and returns false. The query stays positioned before the first row. Refused like SqlStatement::exec() while
/// SQLite has rolled back the connection's open transaction.
bool sqlExec(QSqlQuery &query, const QString &sql, const QVariantList &values = {}, const char *context = nullptr);

/// Runs a statement that returns no rows (INSERT, UPDATE, DELETE ...) with bound values, as a
/// cached statement. On failure logs like sqlExec() and returns false.
bool sqlRun(QSqlDatabase db, const QString &sql, const QVariantList &values = {}, const char *context = nullptr);

/// Runs a SELECT with bound values (a cached statement) and tells whether it returned at least one row.
/// Returns false (and logs) when the statement failed; found is then false.
bool sqlHasRow(QSqlDatabase db, const QString &sql, const QVariantList &values, bool &found,
               const char *context = nullptr);

/// Runs a SELECT with bound values (a cached statement) and reads column 0 of the first row as an unsigned id.
/// Returns false (and logs) when the statement failed; found tells whether a row came back.
bool sqlFirstId(QSqlDatabase db, const QString &sql, const QVariantList &values, quint32 &id, bool &found,
                const char *context = nullptr);
