#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QVariantList>

/// Scoped transaction on one connection: everything done while it lives is rolled back when
/// it goes out of scope without commit().
///
/// The outermost scope on a connection issues BEGIN / COMMIT / ROLLBACK; scopes opened while
/// another is active on the same connection use SAVEPOINTs, so an operation that calls another
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
class SqlTransaction
{
public:
    /// Begins a transaction, or a savepoint when one is already open on db.
    /// context names the operation in the log lines of failures.
    explicit SqlTransaction(QSqlDatabase db, const char *context = nullptr);
    ~SqlTransaction();

    SqlTransaction(const SqlTransaction &) = delete;
    SqlTransaction &operator=(const SqlTransaction &) = delete;

    /// True when BEGIN / SAVEPOINT succeeded and neither commit() nor rollback() ran yet.
    bool isActive() const { return m_active; }
    /// True when this scope is a savepoint inside an outer transaction.
    bool isNested() const { return m_depth > 0; }

    /// Makes the work permanent (or releases the savepoint into the outer transaction).
    /// On failure everything of this scope is rolled back and false is returned.
    bool commit();
    /// Undoes everything of this scope. Safe to call more than once.
    void rollback();

    /// Number of scopes currently open on the connection with that name (0 = none).
    static int depth(const QString &connectionName);

private:
    bool run(const QString &statement);
    void leave();

    QSqlDatabase m_db;
    QString m_connection;
    QString m_savepoint;
    const char *m_context;
    int m_depth = 0;
    bool m_active = false;
};

/// Prepares sql on query, binds values to the "?" markers in order and executes it.
/// On failure writes one log line naming context, the statement and the driver's error,
/// and returns false. The query stays positioned before the first row.
bool sqlExec(QSqlQuery &query, const QString &sql, const QVariantList &values = {},
             const char *context = nullptr);

/// Runs a SELECT with bound values and tells whether it returned at least one row.
/// Returns false (and logs) when the statement failed; found is then false.
bool sqlHasRow(QSqlDatabase db, const QString &sql, const QVariantList &values, bool &found,
               const char *context = nullptr);

/// Runs a SELECT with bound values and reads column 0 of the first row as an unsigned id.
/// Returns false (and logs) when the statement failed; found tells whether a row came back.
bool sqlFirstId(QSqlDatabase db, const QString &sql, const QVariantList &values, quint32 &id,
                bool &found, const char *context = nullptr);
