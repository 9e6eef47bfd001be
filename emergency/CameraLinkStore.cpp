#include "emergency/CameraLinkStore.h"

#include "datastore/Base64Text.h"
#include "datastore/DbResult.h"
#include "datastore/OrvantaDBIntf.h"
#include "datastore/VelkAccount.h"
#include "shell/kit/UiHelpers.h"

#include <QHash>
#include <QSet>

QString SosCredentials::password() const
{
    return Base64Text::decode(encodedPassword);
}

CameraLinkStore::CameraLinkStore(OrvantaDBIntf *db) : m_db(db)
{
}

bool CameraLinkStore::storedCredentials(Pick pick, SosCredentials *credentials) const
{
    *credentials = SosCredentials();
    QList<VelkAccount> accounts;
    const bool ok = m_db->queryAccount(accounts) == DB_OK;
    for (const VelkAccount &account : qAsConst(accounts)) {
        if (!account.isAdmin)
            continue;
        credentials->userName = account.sosUsername;
        credentials->encodedPassword = account.sosPassword;
        if (pick == Pick::FirstAdministrator)
            break;
    }
    return ok;
}

bool CameraLinkStore::accountExists(const QString &userName, const QString &password) const
{
    QList<PellmarAccount> accounts;
    QList<PellmarDevice> cameras;
    QList<PellmarGroup> groups;
    if (m_db->reloadPellmarDatabase(accounts, cameras, groups) != DB_OK)
        return false;
    for (const PellmarAccount &account : qAsConst(accounts)) {
        if (account.accountName == userName && account.password == password)
            return true;
    }
    return false;
}

CameraLinkStore::StoreResult CameraLinkStore::storeCredentials(const QString &userName, const QString &password)
{
    StoreResult result;
    QList<VelkAccount> accounts;
    if (m_db->queryAccount(accounts) != DB_OK)
        return result;
    const QString encoded = Base64Text::encode(password);
    bool allStored = true;
    bool anyAdministrator = false;
    for (VelkAccount account : qAsConst(accounts)) {
        if (!account.isAdmin)
            continue;
        anyAdministrator = true;
        // Either half changing changes which cameras the account sees.
        if (account.sosUsername != userName || account.sosPassword != encoded)
            result.changed = true;
        account.sosUsername = userName;
        account.sosPassword = encoded;
        if (m_db->updateAccount(account) != DB_OK)
            allStored = false;
    }
    result.stored = anyAdministrator && allStored;
    return result;
}

QList<PellmarDevice> CameraLinkStore::visibleCameras(const SosCredentials &credentials,
                                                     const QList<PellmarAccount> &accounts,
                                                     const QList<PellmarGroup> &groups,
                                                     const QList<PellmarDevice> &cameras)
{
    const QString password = credentials.password();
    QList<PellmarDevice> visible;
    // When several accounts match, the last one decides.
    for (const PellmarAccount &account : accounts) {
        if (account.accountName != credentials.userName || account.password != password)
            continue;
        visible = account.accessLevel == 0 ? cameras : filterListByIds(account, groups, cameras);
    }
    QList<PellmarDevice> withMac;
    for (const PellmarDevice &camera : qAsConst(visible)) {
        if (!camera.macAddress.isEmpty())
            withMac.append(camera);
    }
    return withMac;
}

bool CameraLinkStore::readVisibleCameras(const SosCredentials &credentials, QList<PellmarDevice> *cameras) const
{
    cameras->clear();
    QList<PellmarAccount> accounts;
    QList<PellmarDevice> all;
    QList<PellmarGroup> groups;
    if (m_db->reloadPellmarDatabase(accounts, all, groups) != DB_OK)
        return false;
    *cameras = visibleCameras(credentials, accounts, groups, all);
    return true;
}

bool CameraLinkStore::pairedCameraMac(quint32 did, QString *mac) const
{
    mac->clear();
    QList<VelkDeviceCameraMap> mappings;
    const bool ok = m_db->queryDeviceCameraMapping(mappings) == DB_OK;
    for (const VelkDeviceCameraMap &mapping : qAsConst(mappings)) {
        if (quint32(mapping.did) == did)
            *mac = mapping.mac;
    }
    return ok;
}

QList<UnreachableCamera> CameraLinkStore::unreachableCameras(const SosCredentials &credentials) const
{
    QList<UnreachableCamera> unreachable;
    QList<PellmarDevice> visible;
    QList<VelkDeviceCameraMap> mappings;
    QList<VelkIFPDevice> devices;
    if (!readVisibleCameras(credentials, &visible) || m_db->queryDeviceCameraMapping(mappings) != DB_OK ||
        m_db->queryAllAvailableIFP(devices) != DB_OK)
        return unreachable;
    QSet<QString> macs;
    for (const PellmarDevice &camera : qAsConst(visible))
        macs.insert(camera.macAddress.toLower());
    // A device's pairing is its last row, as the warning reads it.
    QHash<quint32, VelkDeviceCameraMap> pairing;
    for (const VelkDeviceCameraMap &mapping : qAsConst(mappings))
        pairing.insert(quint32(mapping.did), mapping);
    for (const VelkIFPDevice &device : qAsConst(devices)) {
        const auto found = pairing.constFind(device.did);
        if (found == pairing.constEnd() || found->mac.isEmpty() || macs.contains(found->mac.toLower()))
            continue;
        unreachable.append({device.deviceName, device.ipAddress, found->account});
    }
    return unreachable;
}
