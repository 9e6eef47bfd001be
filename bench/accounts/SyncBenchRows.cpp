#include "SyncBenchRows.h"

#include "bench/network/BenchSupport.h"
#include "datastore/DatabaseManager.h"
#include "datastore/DbResult.h"
#include "datastore/OrvantaDBManager.h"
#include "datastore/SqlTransaction.h"

#include <QHash>
#include <QSqlQuery>

namespace syncbench {

const QString StampFormat = QStringLiteral("yyyy-MM-dd hh:mm");

QSqlDatabase consoleConnection()
{
    return dynamic_cast<OrvantaDBManager *>(OrvantaDBManager::getInstance())->databaseManager()->database();
}

bool seedUsers(int panels, int usersPerPanel, int panelsPerBlock)
{
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    SqlTransaction transaction(consoleConnection(), "bench seed users");
    const int blocks = (panels + panelsPerBlock - 1) / panelsPerBlock;
    for (int block = 0; block < blocks; ++block) {
        for (int u = 0; u < usersPerPanel; ++u) {
            VelkMultiUser user;
            user.userName = QStringLiteral("Teacher %1-%2").arg(block).arg(u);
            user.password = QStringLiteral("pw%1x%2").arg(block).arg(u);
            user.rfidId = QStringLiteral("%1").arg(block * 100 + u, 8, 10, QLatin1Char('0'));
            if (db->createMultiUser(user) != DB_OK)
                return false;
        }
    }
    QList<VelkMultiUser> users;
    QList<VelkIFPDevice> devices;
    db->queryAllMultiUser(users);
    db->queryAllAvailableIFP(devices);
    for (int i = 0; i < devices.size(); ++i) {
        const int block = i / panelsPerBlock;
        for (int u = 0; u < usersPerPanel; ++u) {
            VelkUserDevice row;
            row.multiUserId = users.at(block * usersPerPanel + u).muid;
            row.deviceId = devices.at(i).did;
            if (db->createUserDevice(row) != DB_OK)
                return false;
        }
    }
    QList<VelkMultiUserAdmin> settings;
    db->queryMultiUserAdmin(settings);
    settings.first().enableSetupServer = true;
    settings.first().enableMultiUser = true;
    settings.first().adminPassword = QStringLiteral("admin-pw");
    db->updateMultiUserAdmin(settings.first());
    return transaction.commit();
}

QList<quint32> deviceIdsByRank(int panels)
{
    QList<VelkIFPDevice> stored;
    OrvantaDBManager::getInstance()->queryAllAvailableIFP(stored);
    QHash<QString, quint32> didByMac;
    for (const VelkIFPDevice &device : qAsConst(stored))
        didByMac.insert(device.macAddress, device.did);
    QList<quint32> ids;
    for (int i = 0; i < panels; ++i)
        ids.append(didByMac.value(bench::panelMac(i)));
    return ids;
}

int setSyncTimesBack(const QString &stamp)
{
    QSqlQuery update(consoleConnection());
    if (!update.prepare(QStringLiteral("UPDATE UserDevice SET lastSyncTime = ?")))
        return -1;
    update.addBindValue(stamp);
    return update.exec() ? update.numRowsAffected() : -1;
}

int rowsWithout(int status, const QString &setBack)
{
    for (int attempt = 0; attempt < 20; ++attempt) {
        QSqlQuery count(consoleConnection());
        if (!count.prepare(QStringLiteral("SELECT COUNT(*) FROM UserDevice WHERE syncStatus IS NOT ? OR lastSyncTime "
                                          "IS NULL OR lastSyncTime = ?")))
            return -1;
        count.addBindValue(status);
        count.addBindValue(setBack);
        if (count.exec() && count.next())
            return count.value(0).toInt();
    }
    return -1;
}

} // namespace syncbench
