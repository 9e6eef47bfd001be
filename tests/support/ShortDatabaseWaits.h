#pragma once

#include "datastore/DatabaseManager.h"
#include "datastore/DbHeldWrites.h"
#include "datastore/OrvantaDBManager.h"

// The data store's waits made short for a test, and put back when it ends: the busy wait of its connection and the
// pause between tries of held writes. Another connection holding the database for a second then stands for a hold of
// minutes: the console waits, gives up and tries again as often as it would then.
class ShortDatabaseWaits
{
public:
    explicit ShortDatabaseWaits(int busyWaitMs, int retryMs = 20,
                                OrvantaDBManager *db = static_cast<OrvantaDBManager *>(OrvantaDBManager::getInstance()))
        : m_db(db)
    {
        m_db->databaseManager()->setBusyWaitMs(busyWaitMs);
        m_db->heldWrites()->setRetryIntervalMs(retryMs, retryMs);
    }
    ~ShortDatabaseWaits()
    {
        m_db->databaseManager()->setBusyWaitMs(DatabaseManager::kBusyWaitMs);
        m_db->heldWrites()->setRetryIntervalMs(DbHeldWrites::kFirstIntervalMs, DbHeldWrites::kLongestIntervalMs);
    }
    ShortDatabaseWaits(const ShortDatabaseWaits &) = delete;
    ShortDatabaseWaits &operator=(const ShortDatabaseWaits &) = delete;

    OrvantaDBManager *db() const { return m_db; }

private:
    OrvantaDBManager *m_db;
};
