#include "network/PanelAccountMerge.h"

#include "datastore/OrvantaDBIntf.h"
#include "shell/base/CsvReader.h"
#include "shell/base/Log.h"

#include <QHash>
#include <QSet>

QList<AccountFileRow> PanelAccountMerge::parse(const QByteArray &file)
{
    return AccountFile::fromCsvRows(readCsvBytes(file, QStringLiteral("UTF-8")));
}

bool PanelAccountMerge::merge(const QList<AccountFileRow> &rows, quint32 deviceId)
{
    // A panel with no users of its own has nothing to take in; reading every user to find that out was most of a
    // fleet's first synchronisation.
    if (rows.isEmpty())
        return true;
    // One transaction: a merge that stops half-way leaves no half of the panel's users behind,
    // and the next synchronisation asks for all of them again.
    DbTransaction transaction = m_db->transaction("PanelAccountMerge::merge");
    if (!transaction.isActive() || !mergeRows(rows, deviceId))
        return false;
    return transaction.commit();
}

bool PanelAccountMerge::mergeRows(const QList<AccountFileRow> &rows, quint32 deviceId)
{
    QList<VelkAppInfo> apps;
    m_db->queryAllAppInfo(apps);
    // The users the panel's device has now, read once: each row is checked against them.
    QSet<quint32> assigned;
    if (deviceId != 0) {
        QList<VelkMultiUser> users;
        if (m_db->queryMultiUserByIFP(users, deviceId) != DB_OK) {
            writeLog(LOG_LEVEL_ERROR, "PanelAccountMerge: the users of the panel's device cannot be read");
            return false;
        }
        for (const VelkMultiUser &user : qAsConst(users))
            assigned.insert(user.muid);
    }

    // Names are matched ignoring letter case: the store grants permissions by name that way, so a panel's "alice"
    // created beside the console's "Alice" would have its permissions written onto Alice.
    QList<VelkMultiUser> known;
    if (m_db->queryAllMultiUser(known) != DB_OK) {
        writeLog(LOG_LEVEL_ERROR, "PanelAccountMerge: the console's users cannot be read");
        return false;
    }
    QHash<QString, quint32> muidByName;
    for (const VelkMultiUser &user : qAsConst(known))
        muidByName.insert(user.userName.toCaseFolded(), user.muid);

    for (const AccountFileRow &row : rows) {
        quint32 muid = muidByName.value(row.userName.toCaseFolded());
        if (muid == 0) {
            // New to the console: take the panel's user. A known name keeps the console's values.
            VelkMultiUser user;
            user.userName = row.userName;
            user.password = row.password;
            user.hasPermission = row.hasPermission;
            user.uniqueId = row.uniqueId; // the store gives a new one when the panel sent none
            if (!row.rfidId.isEmpty()) {
                QList<VelkMultiUser> holders;
                m_db->queryMultiUserByRfid(holders, row.rfidId);
                if (holders.isEmpty())
                    user.rfidId = row.rfidId;
                else
                    writeLog(LOG_LEVEL_WARNING, "PanelAccountMerge: card of %s is bound to another user",
                             qPrintable(row.userName));
            }
            const quint32 rc = m_db->createMultiUser(user);
            if (rc != DB_OK) {
                writeLog(LOG_LEVEL_ERROR, "PanelAccountMerge: createMultiUser error 0x%08x", rc);
                return false;
            }
            muid = user.muid;
            // A new user is allowed every app: only what the panel did not grant is taken away.
            for (const VelkAppInfo &app : qAsConst(apps)) {
                if (!row.packages.contains(app.packageName))
                    m_db->deleteAppPermission(muid, app.aiid);
            }
            muidByName.insert(row.userName.toCaseFolded(), muid);
        }
        if (deviceId == 0 || muid == 0 || assigned.size() >= maxUsersPerDevice || assigned.contains(muid))
            continue;
        VelkUserDevice link;
        link.multiUserId = muid;
        link.deviceId = deviceId;
        link.syncStatus = 0;
        if (m_db->createUserDevice(link) == DB_OK)
            assigned.insert(muid);
    }
    return true;
}
