#include "datastore/DbTransaction.h"

#include "datastore/SqlTransaction.h"

DbTransaction::DbTransaction() = default;

DbTransaction::DbTransaction(std::unique_ptr<SqlTransaction> scope) : m_scope(std::move(scope))
{
}

DbTransaction::DbTransaction(DbTransaction &&other) noexcept = default;

DbTransaction::~DbTransaction() = default;

bool DbTransaction::isActive() const
{
    return m_scope && m_scope->isActive();
}

bool DbTransaction::wasRolledBackBySqlite() const
{
    return m_scope && m_scope->wasRolledBackBySqlite();
}

bool DbTransaction::commit()
{
    return m_scope && m_scope->commit();
}

void DbTransaction::rollback()
{
    if (m_scope)
        m_scope->rollback();
}
