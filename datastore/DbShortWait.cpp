#include "datastore/DbShortWait.h"

#include "datastore/SqlTransaction.h"

DbShortWait::DbShortWait() = default;

DbShortWait::DbShortWait(std::unique_ptr<SqlRetryScope> scope) : m_scope(std::move(scope))
{
}

DbShortWait::DbShortWait(DbShortWait &&other) noexcept = default;

DbShortWait::~DbShortWait() = default;
