#include "datastore/SqlTransaction.h"

#include <QHash>
#include <QSqlError>

#include "shell/Log.h"

namespace {

// Open scopes per connection name. Connections are used on one thread only, so a plain map is enough.
QHash<QString, int> &openScopes()
{
    static QHash<QString, int> scopes;
    return scopes;
}

QByteArray contextText(const char *context)
{
    return context ? QByteArray(context) : QByteArray("database");
}

} // namespace

SqlTransaction::SqlTransaction(QSqlDatabase db, const char *context)
    : m_db(db), m_connection(db.connectionName()), m_context(context)
{
    if (!m_db.isOpen()) {
        writeLog(4, "%s: transaction not started, the database is not open", contextText(m_context).constData());
        return;
    }
    m_depth = openScopes().value(m_connection, 0);
    if (m_depth == 0) {
        m_active = run(QStringLiteral("BEGIN"));
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

bool SqlTransaction::commit()
{
    if (!m_active)
        return false;
    const bool ok = m_depth == 0 ? run(QStringLiteral("COMMIT"))
                                 : run(QStringLiteral("RELEASE SAVEPOINT ") + m_savepoint);
    if (!ok) {
        rollback();
        return false;
    }
    leave();
    return true;
}

void SqlTransaction::rollback()
{
    if (!m_active)
        return;
    if (m_depth == 0) {
        run(QStringLiteral("ROLLBACK"));
    } else {
        // ROLLBACK TO keeps the savepoint open; release it so the outer scope continues cleanly.
        run(QStringLiteral("ROLLBACK TO SAVEPOINT ") + m_savepoint);
        run(QStringLiteral("RELEASE SAVEPOINT ") + m_savepoint);
    }
    leave();
}

int SqlTransaction::depth(const QString &connectionName)
{
    return openScopes().value(connectionName, 0);
}

bool SqlTransaction::run(const QString &statement)
{
    QSqlQuery query(m_db);
    if (query.exec(statement))
        return true;
    writeLog(4, "%s: \"%s\" failed: %s", contextText(m_context).constData(),
             statement.toUtf8().constData(), query.lastError().text().toUtf8().constData());
    return false;
}

void SqlTransaction::leave()
{
    m_active = false;
    if (m_depth == 0)
        openScopes().remove(m_connection);
    else
        openScopes()[m_connection] = m_depth;
}

bool sqlExec(QSqlQuery &query, const QString &sql, const QVariantList &values, const char *context)
{
    if (!query.prepare(sql)) {
        writeLog(4, "%s: prepare of \"%s\" failed: %s", contextText(context).constData(),
                 sql.toUtf8().constData(), query.lastError().text().toUtf8().constData());
        return false;
    }
    for (const QVariant &value : values)
        query.addBindValue(value);
    if (!query.exec()) {
        writeLog(4, "%s: \"%s\" failed: %s", contextText(context).constData(), sql.toUtf8().constData(),
                 query.lastError().text().toUtf8().constData());
        return false;
    }
    return true;
}

bool sqlHasRow(QSqlDatabase db, const QString &sql, const QVariantList &values, bool &found,
               const char *context)
{
    found = false;
    QSqlQuery query(db);
    if (!sqlExec(query, sql, values, context))
        return false;
    found = query.next();
    return true;
}

bool sqlFirstId(QSqlDatabase db, const QString &sql, const QVariantList &values, quint32 &id, bool &found,
                const char *context)
{
    found = false;
    QSqlQuery query(db);
    if (!sqlExec(query, sql, values, context))
        return false;
    if (query.next()) {
        found = true;
        id = query.value(0).toUInt();
    }
    return true;
}
