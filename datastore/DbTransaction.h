#pragma once

#include <memory>

class SqlTransaction;

/// A transaction on the console's database for callers above the data store, obtained from
/// OrvantaDBIntf::transaction(). Every operation of the interface called while it is active
/// joins it; when it goes out of scope without commit(), everything done since it began is
/// rolled back. A scope opened while another is active becomes a savepoint of the outer one,
/// so a caller can undo its own part and leave the decision about the rest to its caller.
///
///     DbTransaction transaction = db->transaction("DeviceStore::addDevice");
///     if (db->createIFPDevice(device) != DB_OK)
///         return failure;                 // rolled back here
///     ...
///     if (!transaction.commit())
///         return failure;
///
/// Use it on the GUI thread, like the interface itself.
class DbTransaction
{
public:
    /// An inactive scope: isActive() is false, commit() fails.
    DbTransaction();
    /// Takes over a begun scope of the data store (null: inactive).
    explicit DbTransaction(std::unique_ptr<SqlTransaction> scope);
    DbTransaction(DbTransaction &&other) noexcept;
    DbTransaction &operator=(DbTransaction &&other) = delete;
    DbTransaction(const DbTransaction &) = delete;
    DbTransaction &operator=(const DbTransaction &) = delete;
    /// Rolls back unless commit() or rollback() ran.
    ~DbTransaction();

    /// True when the transaction began and neither commit() nor rollback() ran yet.
    bool isActive() const;
    /// True when SQLite rolled the whole transaction back by itself (a full disk or an I/O error while it wrote, a
    /// trigger's RAISE(ROLLBACK)) while this scope was active: everything written in it, and in the scopes around
    /// it, is gone, and commit() fails. Until the outermost scope has ended, no operation writes or reads: each
    /// fails instead of running outside the transaction its caller means to commit.
    bool wasRolledBackBySqlite() const;
    /// Makes the work permanent (or releases the savepoint into the outer transaction). On
    /// failure everything of this scope is rolled back and false is returned.
    bool commit();
    /// Undoes everything of this scope. Safe to call more than once.
    void rollback();

private:
    std::unique_ptr<SqlTransaction> m_scope;
};
