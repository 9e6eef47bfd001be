#pragma once

#include <memory>

class SqlRetryScope;

/// While it lives, reads of the console's database wait no longer for another program to let go of it than a held
/// write's try does (DbHeldWrites::kRetryWaitMs), and a read refused for now writes no log line: for a caller on the
/// GUI thread that reads while writes are held, when another program holding the file most likely refuses the read
/// too, and that reads again later (OrvantaDBIntf::refusedForNow()) instead of keeping the GUI thread for the whole
/// busy wait. Obtained from OrvantaDBIntf::shortWaitWhileWritesHeld(); inactive, and the waits as ever, while no write
/// is held.
///
///     const DbShortWait briefly = db->shortWaitWhileWritesHeld();
///     if (db->queryAccount(accounts) != DB_OK && db->refusedForNow())
///         ... read again once the held writes are written ...
///
/// Use it on the GUI thread, like the interface itself.
class DbShortWait
{
public:
    /// An inactive scope.
    DbShortWait();
    /// Takes over a begun scope of the data store (null: inactive).
    explicit DbShortWait(std::unique_ptr<SqlRetryScope> scope);
    DbShortWait(DbShortWait &&other) noexcept;
    DbShortWait &operator=(DbShortWait &&other) = delete;
    DbShortWait(const DbShortWait &) = delete;
    DbShortWait &operator=(const DbShortWait &) = delete;
    /// Puts the connection's own wait back.
    ~DbShortWait();

    /// Whether reads wait briefly now.
    bool isActive() const { return m_scope != nullptr; }

private:
    std::unique_ptr<SqlRetryScope> m_scope;
};
