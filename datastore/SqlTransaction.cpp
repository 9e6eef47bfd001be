#include "datastore/SqlTransaction.h"

#include <QDateTime>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QPointer>
#include <QSet>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlResult>

#include <functional>
#include <memory>

#include <sqlite3.h>

#include "shell/base/Log.h"

namespace {

// Open scopes per connection name. Per thread, as every table of this file: a connection is used on the thread that
// made it, and a restore's check opens its own on a thread of its own while the GUI thread opens scopes on the live
// one. One hash for the process, without a lock, was torn by the two (a crash in the hash's lookup).
QHash<QString, int> &openScopes()
{
    thread_local QHash<QString, int> scopes;
    return scopes;
}

QByteArray contextText(const char *context)
{
    return context ? QByteArray(context) : QByteArray("database");
}

// A connection's statement texts are constants of the code, so the cache stays small; the cap
// only guards against a caller that builds texts with values in them.
constexpr int kMaxCachedStatements = 256;

// The failure of the last statement that failed on each connection, by its driver (a QSqlQuery names no
// connection); per thread, as the connections are.
struct Failure
{
    DbFailure kind = DbFailure::None;
    int code = 0;     ///< SQLite's primary result code
    quint64 mark = 0; ///< unique among the failures of the thread
};

QHash<const QSqlDriver *, Failure> &failures()
{
    thread_local QHash<const QSqlDriver *, Failure> failed;
    return failed;
}

quint64 nextFailureMark()
{
    thread_local quint64 last = 0;
    return ++last;
}

// Failures that pass by themselves, in words for the log: the other connection ends its transaction, space is freed,
// the medium answers again. The same write made later may well succeed. Null for any other failure.
const char *passingReason(int sqliteCode)
{
    switch (sqliteCode & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return "the database is held by another connection";
    case SQLITE_FULL:
        return "the disk is full";
    case SQLITE_IOERR:
        return "the database file could not be read or written";
    case SQLITE_NOMEM:
        return "out of memory";
    default:
        return nullptr;
    }
}

// Retries of held writes under way on the thread (SqlRetryScope), and batches that hold what the database refuses for
// now (SqlPassingFailuresUnlogged): their passing failures are told by the held writes' episode, once.
int &quietRetries()
{
    thread_local int depth = 0;
    return depth;
}

bool logsFailure(int sqliteCode)
{
    return quietRetries() == 0 || !passingReason(sqliteCode);
}

bool logsFailureOf(const QSqlDriver *driver)
{
    return logsFailure(failures().value(driver).code);
}

// Who hears of each successful commit of an outermost transaction, by connection name.
QHash<QString, std::function<void()>> &commitListeners()
{
    thread_local QHash<QString, std::function<void()>> listeners;
    return listeners;
}

DbFailure failureOf(int sqliteCode)
{
    switch (sqliteCode & 0xff) {
    case SQLITE_FULL:
        return DbFailure::DiskFull;
    case SQLITE_READONLY:
    case SQLITE_PERM:
        return DbFailure::ReadOnly;
    case SQLITE_IOERR:
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_CANTOPEN:
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_NOMEM:
    case SQLITE_PROTOCOL:
    case SQLITE_NOLFS:
        return DbFailure::Storage;
    default:
        return DbFailure::Refused;
    }
}

// The outermost transaction open on each connection, by its driver like the failures, and whether SQLite has rolled
// it back by itself. Per thread, as the connections are.
struct OpenTransaction
{
    bool canAsk = false; ///< false: the driver runs a SQLite library of its own, which cannot be asked
    bool rolledBack = false;
};

// The connection's handle, asked for each time: a connection closed under an open scope has none.
sqlite3 *sqliteHandle(const QSqlDriver *driver)
{
    const QVariant handle = driver->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.constData());
}

QHash<const QSqlDriver *, OpenTransaction> &openTransactions()
{
    thread_local QHash<const QSqlDriver *, OpenTransaction> open;
    return open;
}

// Whether SQLite has rolled back the transaction open on the driver's connection; SQLite is asked while it is not
// known yet. found is set when this call found it out.
bool rolledBackBySqlite(const QSqlDriver *driver, bool *found = nullptr)
{
    QHash<const QSqlDriver *, OpenTransaction> &open = openTransactions();
    if (open.isEmpty())
        return false;
    const auto it = open.find(driver);
    if (it == open.end())
        return false;
    // Only SQLite itself leaves autocommit while a scope holds the transaction: every BEGIN, COMMIT and ROLLBACK on
    // the connection goes through SqlTransaction.
    if (!it->rolledBack && it->canAsk) {
        sqlite3 *handle = sqliteHandle(driver);
        if (handle && sqlite3_get_autocommit(handle)) {
            it->rolledBack = true;
            if (found)
                *found = true;
        }
    }
    return it->rolledBack;
}

// The same without asking SQLite: cheap enough for every statement.
bool knownRolledBack(const QSqlDriver *driver)
{
    const QHash<const QSqlDriver *, OpenTransaction> &open = openTransactions();
    if (open.isEmpty())
        return false;
    const auto it = open.constFind(driver);
    return it != open.constEnd() && it->rolledBack;
}

void recordFailure(const QSqlDriver *driver, int sqliteCode, const char *context)
{
    if (!driver)
        return;
    failures().insert(driver, Failure{failureOf(sqliteCode), sqliteCode & 0xff, nextFailureMark()});
    bool found = false;
    if (rolledBackBySqlite(driver, &found) && found && logsFailure(sqliteCode))
        writeLog(LOG_LEVEL_ERROR,
                 "%s: SQLite rolled back the whole transaction with this failure; nothing more runs in it until its "
                 "outermost scope ends",
                 contextText(context).constData());
}

// Asked before every statement: while the transaction its caller will commit is gone, a statement would land outside
// it, so it is refused.
bool refusedAfterRollback(const QSqlDriver *driver, const QString &sql, const char *context)
{
    if (!knownRolledBack(driver))
        return false;
    if (logsFailureOf(driver))
        writeLog(LOG_LEVEL_ERROR, "%s: \"%s\" not run: SQLite has rolled back the transaction it belongs to",
                 contextText(context).constData(), sql.toUtf8().constData());
    return true;
}

int nativeCode(const QSqlError &error)
{
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok ? code : 0;
}

} // namespace

// One prepared statement; busy while an SqlStatement uses it.
struct SqlStatement::Entry
{
    QSqlQuery query{static_cast<QSqlResult *>(nullptr)};
    bool busy = false;
};

namespace {

struct ConnectionStatements
{
    // The driver the statements were prepared on: a connection removed and added again under
    // the same name has a new one, and the old statements are useless there.
    QPointer<QSqlDriver> driver;
    bool direct = false;
    QHash<QString, std::shared_ptr<SqlStatement::Entry>> statements;
};

// Per thread, as Qt's connections are: a connection is only used on the thread that made it.
QHash<QString, ConnectionStatements> &statementCache()
{
    thread_local QHash<QString, ConnectionStatements> cache;
    return cache;
}

// Whether the statements of db may be run through the SQLite library linked here: the driver
// must be Qt's SQLite driver, and its library this very library, not a copy of its own.
bool sameSqliteLibrary(const QSqlDatabase &db)
{
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return false;
    // The limit is the library's, one for the process: two threads probing at once read each other's marker, and
    // one of them took its own library for a copy of its own (and could leave the other's marker set).
    static QMutex probing;
    QMutexLocker locker(&probing);
    // The soft heap limit belongs to the library: one set here must be the one the connection's
    // library reports. It is only advisory, far above any real use, and put back at once.
    const sqlite3_int64 previous = sqlite3_soft_heap_limit64(-1);
    const sqlite3_int64 marker = previous > 0 ? previous + 1 : (sqlite3_int64(1) << 40) + 977;
    sqlite3_soft_heap_limit64(marker);
    QSqlQuery probe(db);
    const bool same =
        probe.exec(QStringLiteral("PRAGMA soft_heap_limit")) && probe.next() && probe.value(0).toLongLong() == marker;
    probe.finish();
    sqlite3_soft_heap_limit64(previous);
    if (!same)
        writeLog(LOG_LEVEL_INFO,
                 "SqlStatement: the SQLite driver uses a library of its own; statements run through Qt");
    return same;
}

ConnectionStatements *statementsOf(const QSqlDatabase &db)
{
    if (!db.isValid() || !db.isOpen())
        return nullptr;
    ConnectionStatements &entry = statementCache()[db.connectionName()];
    if (entry.driver != db.driver()) {
        entry.statements.clear();
        entry.driver = db.driver();
        entry.direct = sameSqliteLibrary(db);
    }
    return &entry;
}

sqlite3_stmt *sqliteStatement(const QSqlQuery &query)
{
    const QSqlResult *result = query.result();
    if (!result)
        return nullptr;
    const QVariant handle = result->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3_stmt*") != 0)
        return nullptr;
    return *static_cast<sqlite3_stmt *const *>(handle.constData());
}

// Binds one value the way Qt's SQLite driver does, so a statement stores the same whether it
// runs here or through QSqlQuery. Texts and byte arrays are bound without a copy: value must
// outlive the statement's run.
int bindLikeQt(sqlite3_stmt *stmt, int index, const QVariant &value)
{
    if (value.isNull())
        return sqlite3_bind_null(stmt, index);
    switch (value.userType()) {
    case QMetaType::QByteArray: {
        const QByteArray *bytes = static_cast<const QByteArray *>(value.constData());
        return sqlite3_bind_blob(stmt, index, bytes->constData(), bytes->size(), SQLITE_STATIC);
    }
    case QMetaType::Int:
    case QMetaType::Bool:
        return sqlite3_bind_int(stmt, index, value.toInt());
    case QMetaType::Double:
        return sqlite3_bind_double(stmt, index, value.toDouble());
    case QMetaType::UInt:
    case QMetaType::LongLong:
        return sqlite3_bind_int64(stmt, index, value.toLongLong());
    case QMetaType::QDateTime: {
        const QString text = value.toDateTime().toString(Qt::ISODateWithMs);
        return sqlite3_bind_text16(stmt, index, text.utf16(), text.size() * int(sizeof(QChar)), SQLITE_TRANSIENT);
    }
    case QMetaType::QTime: {
        const QString text = value.toTime().toString(QStringLiteral("hh:mm:ss.zzz"));
        return sqlite3_bind_text16(stmt, index, text.utf16(), text.size() * int(sizeof(QChar)), SQLITE_TRANSIENT);
    }
    case QMetaType::QString: {
        const QString *text = static_cast<const QString *>(value.constData());
        return sqlite3_bind_text16(stmt, index, text->utf16(), text->size() * int(sizeof(QChar)), SQLITE_STATIC);
    }
    default: {
        const QString text = value.toString();
        return sqlite3_bind_text16(stmt, index, text.utf16(), text.size() * int(sizeof(QChar)), SQLITE_TRANSIENT);
    }
    }
}

QString sqliteError(sqlite3_stmt *stmt, const char *what)
{
    return QString::fromUtf8(sqlite3_errmsg(sqlite3_db_handle(stmt))) + QLatin1Char(' ') + QLatin1String(what);
}

// Connections, by their driver, whose reads another program refuses for now: it holds the file exclusively (an SQLite
// browser saving a large change, a VACUUM), and a read waited the whole busy wait in vain. Every other caller's read
// then waited as long again, and the GUI thread stood still: four timed callers due in the same minute kept an SOS
// unanswered for a second, and an endless hold cost a wait and a log line per read, without end. Until a read is given
// again, reads wait a moment only, and their refusals are not logged: the first one told of the hold.
QSet<const QSqlDriver *> &refusedReads()
{
    thread_local QSet<const QSqlDriver *> refused;
    return refused;
}

// Long enough for another program's commit to end, far shorter than the busy wait.
constexpr int kRefusedReadWaitMs = 20;

bool isRead(const QString &sql)
{
    int start = 0;
    while (start < sql.size() && sql.at(start).isSpace())
        ++start;
    return sql.midRef(start, 6).compare(QLatin1String("SELECT"), Qt::CaseInsensitive) == 0;
}

// Whether the driver's connection runs on the SQLite library linked here, whose functions may be given its handle.
bool runsOnThisLibrary(const QSqlDriver *driver)
{
    for (const ConnectionStatements &connection : qAsConst(statementCache())) {
        if (connection.driver == driver)
            return connection.direct;
    }
    return false;
}

// A read while its connection's reads are refused for now: it waits kRefusedReadWaitMs, and its passing failure is not
// logged. Does nothing for any other statement.
class RefusedReadWait
{
public:
    RefusedReadWait(const QSqlDriver *driver, const QString &sql)
    {
        if (!driver || !refusedReads().contains(driver) || !isRead(sql) || !runsOnThisLibrary(driver))
            return;
        sqlite3 *handle = sqliteHandle(driver);
        int wait = -1;
        const auto readWait = [](void *out, int columns, char **values, char **) {
            if (columns > 0 && values[0])
                *static_cast<int *>(out) = QByteArray(values[0]).toInt();
            return 0;
        };
        if (!handle || sqlite3_exec(handle, "PRAGMA busy_timeout", readWait, &wait, nullptr) != SQLITE_OK || wait < 0)
            return;
        m_handle = handle;
        m_wait = wait;
        sqlite3_busy_timeout(m_handle, kRefusedReadWaitMs);
        ++quietRetries();
    }
    ~RefusedReadWait()
    {
        if (!m_handle)
            return;
        sqlite3_busy_timeout(m_handle, m_wait);
        --quietRetries();
    }
    RefusedReadWait(const RefusedReadWait &) = delete;
    RefusedReadWait &operator=(const RefusedReadWait &) = delete;

private:
    sqlite3 *m_handle = nullptr;
    int m_wait = 0;
};

// A statement ran: a read given ends the refusal of reads.
void noteSuccess(const QSqlDriver *driver, const QString &sql)
{
    if (!refusedReads().isEmpty() && isRead(sql))
        refusedReads().remove(driver);
}

// A statement failed: recorded, and logged unless its caller tells the failure itself. A read that waited the whole
// busy wait in vain begins the refusal of reads, and says so in its one line.
void noteFailure(const QSqlDriver *driver, int sqliteCode, const char *context, const QString &sql,
                 const QString &error, bool prepared)
{
    recordFailure(driver, sqliteCode, context);
    if (!logsFailure(sqliteCode))
        return;
    const int primary = sqliteCode & 0xff;
    if (driver && (primary == SQLITE_BUSY || primary == SQLITE_LOCKED) && isRead(sql) &&
        !refusedReads().contains(driver)) {
        refusedReads().insert(driver);
        writeLog(LOG_LEVEL_ERROR,
                 "%s: \"%s\" failed: %s; until the database gives a read again, reads wait %d ms and their refusals "
                 "are not logged",
                 contextText(context).constData(), sql.toUtf8().constData(), error.toUtf8().constData(),
                 kRefusedReadWaitMs);
        return;
    }
    writeLog(LOG_LEVEL_ERROR, prepared ? "%s: \"%s\" failed: %s" : "%s: prepare of \"%s\" failed: %s",
             contextText(context).constData(), sql.toUtf8().constData(), error.toUtf8().constData());
}

} // namespace

SqlTransaction::SqlTransaction(QSqlDatabase db, const char *context, Writes writes)
    : m_db(db), m_connection(db.connectionName()), m_context(context)
{
    if (!m_db.isOpen()) {
        writeLog(LOG_LEVEL_ERROR, "%s: transaction not started, the database is not open",
                 contextText(m_context).constData());
        return;
    }
    m_depth = openScopes().value(m_connection, 0);
    if (m_depth == 0) {
        failures().remove(m_db.driver());
        // A scope that writes begins as a writer: a deferred BEGIN reads first, and its first write then finds the
        // write lock of another connection and fails at once, without the busy wait (SQLite's rule against two
        // readers that would each wait for the other to let go).
        m_active = run(writes == ReadsFirst ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE"));
        if (m_active)
            openTransactions().insert(m_db.driver(), OpenTransaction{SqlStatement::runsDirectly(m_db), false});
    } else if (rolledBackBySqlite(m_db.driver())) {
        // A savepoint now would begin a transaction of its own, and a single write would run in autocommit: both
        // kept, while the caller believes them part of the transaction that is gone.
        writeLog(LOG_LEVEL_ERROR, "%s: not begun, SQLite has rolled back the transaction it would be part of",
                 contextText(m_context).constData());
        return;
    } else if (writes == SingleWrite) {
        // Opening and releasing a savepoint costs more than the statement it would guard (every
        // page the write touches is copied aside first), and there is nothing for it to undo.
        m_withoutSavepoint = true;
        m_active = true;
    } else {
        m_savepoint = QStringLiteral("qv_sp_%1").arg(m_depth);
        m_active = run(QStringLiteral("SAVEPOINT ") + m_savepoint);
    }
    if (m_active)
        openScopes()[m_connection] = m_depth + 1;
}

SqlTransaction::~SqlTransaction()
{
    if (m_active)
        rollback();
}

bool SqlTransaction::wasRolledBackBySqlite() const
{
    return m_rolledBackBySqlite || (m_active && rolledBackBySqlite(m_db.driver()));
}

bool SqlTransaction::commit()
{
    if (!m_active)
        return false;
    if (rolledBackBySqlite(m_db.driver())) {
        m_rolledBackBySqlite = true;
        if (m_depth == 0 && logsFailureOf(m_db.driver()))
            writeLog(LOG_LEVEL_ERROR, "%s: not committed, SQLite had rolled the transaction back",
                     contextText(m_context).constData());
        leave();
        return false;
    }
    if (m_withoutSavepoint) {
        leave();
        return true;
    }
    const bool ok =
        m_depth == 0 ? run(QStringLiteral("COMMIT")) : run(QStringLiteral("RELEASE SAVEPOINT ") + m_savepoint);
    if (!ok) {
        rollback();
        return false;
    }
    leave();
    if (m_depth == 0) {
        const auto listener = commitListeners().constFind(m_connection);
        if (listener != commitListeners().constEnd())
            (*listener)();
    }
    return true;
}

void SqlTransaction::rollback()
{
    if (!m_active)
        return;
    // Nothing is left to undo, and ROLLBACK TO / RELEASE / ROLLBACK would only fail; the failure that made SQLite
    // roll back stays the one reported.
    if (rolledBackBySqlite(m_db.driver())) {
        m_rolledBackBySqlite = true;
        leave();
        return;
    }
    // Without a savepoint there is nothing to undo: the one write either failed, and SQLite
    // undid it, or it succeeded and commit() came next.
    if (m_withoutSavepoint) {
        leave();
        return;
    }
    // Undoing is no failure of its own: SQLite may have ended the transaction with the statement that failed, and
    // the rollback that then fails must not hide that statement's failure from the caller.
    const Failure cause = failures().value(m_db.driver());
    if (m_depth == 0) {
        run(QStringLiteral("ROLLBACK"));
    } else {
        // ROLLBACK TO keeps the savepoint open; release it so the outer scope continues cleanly.
        run(QStringLiteral("ROLLBACK TO SAVEPOINT ") + m_savepoint);
        run(QStringLiteral("RELEASE SAVEPOINT ") + m_savepoint);
    }
    if (cause.kind == DbFailure::None)
        failures().remove(m_db.driver());
    else
        failures().insert(m_db.driver(), cause);
    leave();
}

int SqlTransaction::depth(const QString &connectionName)
{
    return openScopes().value(connectionName, 0);
}

void SqlTransaction::setCommitListener(const QString &connectionName, std::function<void()> listener)
{
    if (listener)
        commitListeners().insert(connectionName, std::move(listener));
    else
        commitListeners().remove(connectionName);
}

bool SqlTransaction::run(const QString &statement)
{
    // Cached like any statement: an import opens and releases a savepoint per row, and
    // preparing those texts each time cost more than running them.
    SqlStatement query(m_db, statement);
    return query.exec({}, m_context);
}

void SqlTransaction::leave()
{
    m_active = false;
    if (m_depth == 0) {
        openScopes().remove(m_connection);
        openTransactions().remove(m_db.driver());
    } else {
        openScopes()[m_connection] = m_depth;
    }
}

SqlStatement::SqlStatement(QSqlDatabase db, const QString &sql) : m_db(db), m_sql(sql)
{
    ConnectionStatements *cache = statementsOf(m_db);
    m_direct = cache && cache->direct;
    if (cache) {
        const auto it = cache->statements.constFind(m_sql);
        if (it != cache->statements.constEnd() && !(*it)->busy) {
            m_entry = *it;
            m_entry->busy = true;
            m_prepared = true;
            m_reused = true;
            return;
        }
        // A statement already in use further up the stack gets a private twin; the cached one
        // stays with its first user.
        if (it != cache->statements.constEnd())
            cache = nullptr;
    }
    prepareFresh();
    if (m_prepared && cache && cache->statements.size() < kMaxCachedStatements)
        cache->statements.insert(m_sql, m_entry);
}

SqlStatement::~SqlStatement()
{
    if (!m_entry)
        return;
    release();
    m_entry->busy = false;
    // A statement that failed is not trusted again; the next use prepares a new one.
    if (m_failed)
        forget();
}

void SqlStatement::release()
{
    if (m_stmt) {
        sqlite3_stmt *stmt = static_cast<sqlite3_stmt *>(m_stmt);
        sqlite3_reset(stmt);
        sqlite3_clear_bindings(stmt);
        m_stmt = nullptr;
    }
    m_entry->query.finish();
    m_values.clear();
    m_beforeFirst = true;
    m_onRow = false;
}

void SqlStatement::forget()
{
    if (ConnectionStatements *cache = statementsOf(m_db)) {
        const auto it = cache->statements.find(m_sql);
        if (it != cache->statements.end() && *it == m_entry)
            cache->statements.erase(it);
    }
}

bool SqlStatement::prepareFresh()
{
    m_entry = std::make_shared<Entry>();
    m_entry->busy = true;
    m_entry->query = QSqlQuery(m_db);
    m_entry->query.setForwardOnly(true);
    m_prepared = m_entry->query.prepare(m_sql);
    if (!m_prepared) {
        m_error = m_entry->query.lastError().text();
        m_errorCode = nativeCode(m_entry->query.lastError());
    }
    return m_prepared;
}

bool SqlStatement::exec(const QVariantList &values, const char *context)
{
    if (refusedAfterRollback(m_db.driver(), m_sql, context))
        return false;
    const RefusedReadWait briefly(m_db.driver(), m_sql);
    if (m_prepared && run(values)) {
        noteSuccess(m_db.driver(), m_sql);
        return true;
    }
    // The driver drops its statements when the connection closes; if it was closed and opened
    // again behind the cache's back, a fresh statement is the one that tells. A statement that
    // is still prepared really failed: running it again could succeed outside the transaction
    // that SQLite abandoned with it (a full disk, an I/O error).
    if (m_reused && !sqliteStatement(m_entry->query)) {
        m_reused = false;
        release();
        m_entry->busy = false;
        forget();
        if (prepareFresh() && run(values)) {
            noteSuccess(m_db.driver(), m_sql);
            return true;
        }
    }
    m_failed = true;
    noteFailure(m_db.driver(), m_errorCode, context, m_sql, m_error, m_prepared);
    return false;
}

bool SqlStatement::run(const QVariantList &values)
{
    release();
    m_errorCode = 0;
    if (m_direct)
        return runDirect(values);
    QSqlQuery &query = m_entry->query;
    for (int i = 0; i < values.size(); ++i)
        query.bindValue(i, values.at(i));
    if (query.exec())
        return true;
    m_error = query.lastError().text();
    m_errorCode = nativeCode(query.lastError());
    return false;
}

bool SqlStatement::runDirect(const QVariantList &values)
{
    sqlite3_stmt *stmt = sqliteStatement(m_entry->query);
    if (!stmt) {
        m_error = QStringLiteral("the statement is no longer prepared");
        return false;
    }
    m_stmt = stmt;
    sqlite3_reset(stmt);
    if (sqlite3_bind_parameter_count(stmt) != values.size()) {
        m_error = QStringLiteral("Parameter count mismatch");
        return false;
    }
    m_values = values;
    for (int i = 0; i < m_values.size(); ++i) {
        const int bound = bindLikeQt(stmt, i + 1, m_values.at(i));
        if (bound != SQLITE_OK) {
            m_errorCode = bound;
            m_error = sqliteError(stmt, "Unable to bind parameters");
            return false;
        }
    }
    m_step = sqlite3_step(stmt);
    if (m_step == SQLITE_ROW || m_step == SQLITE_DONE)
        return true;
    m_errorCode = m_step;
    m_error = sqliteError(stmt, "Unable to fetch row");
    return false;
}

bool SqlStatement::next()
{
    if (!m_direct)
        return m_entry->query.next();
    if (!m_stmt)
        return false;
    if (m_beforeFirst) {
        m_beforeFirst = false;
        m_onRow = m_step == SQLITE_ROW;
        return m_onRow;
    }
    if (!m_onRow)
        return false;
    m_step = sqlite3_step(static_cast<sqlite3_stmt *>(m_stmt));
    m_onRow = m_step == SQLITE_ROW;
    return m_onRow;
}

QVariant SqlStatement::value(int index) const
{
    if (!m_direct)
        return m_entry->query.value(index);
    sqlite3_stmt *stmt = static_cast<sqlite3_stmt *>(m_stmt);
    if (!m_onRow || index < 0 || index >= sqlite3_column_count(stmt))
        return QVariant();
    // The types Qt's SQLite driver gives each storage class.
    switch (sqlite3_column_type(stmt, index)) {
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(stmt, index)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(stmt, index));
    case SQLITE_NULL:
        return QVariant(QVariant::String);
    case SQLITE_BLOB:
        return QVariant(
            QByteArray(static_cast<const char *>(sqlite3_column_blob(stmt, index)), sqlite3_column_bytes(stmt, index)));
    default:
        return QVariant(QString(static_cast<const QChar *>(sqlite3_column_text16(stmt, index)),
                                sqlite3_column_bytes16(stmt, index) / int(sizeof(QChar))));
    }
}

void SqlStatement::clearCache(const QString &connectionName)
{
    statementCache().remove(connectionName);
}

bool SqlStatement::runsDirectly(QSqlDatabase db)
{
    const ConnectionStatements *cache = statementsOf(db);
    return cache && cache->direct;
}

int SqlStatement::cachedCount(const QString &connectionName)
{
    const auto it = statementCache().constFind(connectionName);
    return it == statementCache().constEnd() ? 0 : it->statements.size();
}

DbFailure lastStatementFailure(const QSqlDatabase &db)
{
    return failures().value(db.driver()).kind;
}

quint64 statementFailureMark(const QSqlDatabase &db)
{
    return failures().value(db.driver()).mark;
}

const char *passingFailure(const QSqlDatabase &db)
{
    return passingReason(failures().value(db.driver()).code);
}

bool refusedByAnotherConnection(const QSqlDatabase &db)
{
    const int code = failures().value(db.driver()).code;
    return code == SQLITE_BUSY || code == SQLITE_LOCKED;
}

SqlRetryScope::SqlRetryScope(QSqlDatabase db, int busyWaitMs) : m_db(db)
{
    ++quietRetries();
    if (!m_db.isOpen())
        return;
    QSqlQuery wait(m_db);
    if (wait.exec(QStringLiteral("PRAGMA busy_timeout")) && wait.next())
        m_busyWaitMs = wait.value(0).toInt();
    wait.finish();
    if (m_busyWaitMs >= 0 && !wait.exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(busyWaitMs)))
        m_busyWaitMs = -1;
}

SqlRetryScope::~SqlRetryScope()
{
    --quietRetries();
    if (m_busyWaitMs < 0 || !m_db.isOpen())
        return;
    QSqlQuery wait(m_db);
    wait.exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(m_busyWaitMs));
}

SqlPassingFailuresUnlogged::SqlPassingFailuresUnlogged()
{
    ++quietRetries();
}

SqlPassingFailuresUnlogged::~SqlPassingFailuresUnlogged()
{
    --quietRetries();
}

bool sqlExec(QSqlQuery &query, const QString &sql, const QVariantList &values, const char *context)
{
    if (refusedAfterRollback(query.driver(), sql, context))
        return false;
    const RefusedReadWait briefly(query.driver(), sql);
    if (!query.prepare(sql)) {
        noteFailure(query.driver(), nativeCode(query.lastError()), context, sql, query.lastError().text(), false);
        return false;
    }
    for (const QVariant &value : values)
        query.addBindValue(value);
    if (!query.exec()) {
        noteFailure(query.driver(), nativeCode(query.lastError()), context, sql, query.lastError().text(), true);
        return false;
    }
    noteSuccess(query.driver(), sql);
    return true;
}

bool sqlRun(QSqlDatabase db, const QString &sql, const QVariantList &values, const char *context)
{
    SqlStatement statement(db, sql);
    return statement.exec(values, context);
}

bool sqlHasRow(QSqlDatabase db, const QString &sql, const QVariantList &values, bool &found, const char *context)
{
    found = false;
    SqlStatement query(db, sql);
    if (!query.exec(values, context))
        return false;
    found = query.next();
    return true;
}

bool sqlFirstId(QSqlDatabase db, const QString &sql, const QVariantList &values, quint32 &id, bool &found,
                const char *context)
{
    found = false;
    SqlStatement query(db, sql);
    if (!query.exec(values, context))
        return false;
    if (query.next()) {
        found = true;
        id = query.value(0).toUInt();
    }
    return true;
}
