#pragma once

#include "datastore/OrvantaDBManager.h"

// The first account of the shared data store that is (admin) or is not the administrator, as stored
// now; an empty record when there is none.
inline VelkAccount storedAccount(bool admin)
{
    QList<VelkAccount> accounts;
    OrvantaDBManager::getInstance()->queryAccount(accounts);
    for (const VelkAccount &account : qAsConst(accounts)) {
        if (account.isAdmin == admin)
            return account;
    }
    return VelkAccount();
}
