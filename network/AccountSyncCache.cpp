#include "network/AccountSyncCache.h"

#include "datastore/OrvantaDBIntf.h"
#include "network/AccountFile.h"
#include "shell/base/Log.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {

// The settings message differs only between these tiers of display client (see AccountFile::adminSettingsJson).
int settingsTier(const QString &displayClientVersion)
{
    const int build = AccountFile::versionBuild(displayClientVersion);
    return build >= 29 ? 29 : build >= 21 ? 21 : 0;
}

} // namespace

AccountSyncCache::AccountSyncCache(OrvantaDBIntf *db, QObject *parent)
    : QObject(parent), m_db(db), m_retry(db->heldWrites())
{
    connect(&m_retry, &DbReadRetry::retry, this, &AccountSyncCache::readsDue);
}

void AccountSyncCache::setRetryIntervalMs(int first, int longest)
{
    m_retry.setIntervalMs(first, longest);
}

bool AccountSyncCache::noteRead(quint32 rc)
{
    if (rc != DB_OK && m_db->refusedForNow()) {
        beginWait();
        return false;
    }
    if (m_refused)
        writeLog(LOG_LEVEL_INFO, "AccountSyncCache: the panels' users can be read again");
    m_refused = false;
    m_retry.done();
    return rc == DB_OK;
}

void AccountSyncCache::readRefusedElsewhere()
{
    beginWait();
}

void AccountSyncCache::beginWait()
{
    // Told once for the whole wait: the reads go on at growing pauses for as long as the other program holds on.
    if (!m_refused)
        writeLog(LOG_LEVEL_WARNING, "AccountSyncCache: the panels' users cannot be read for now (another program holds "
                                    "the database); their synchronisations wait for them");
    m_refused = true;
    m_retry.later();
}

bool AccountSyncCache::settings(VelkMultiUserAdmin *settings, quint32 *rc)
{
    *rc = DB_OK;
    const quint64 version = m_db->accountDataVersion();
    if (!settingsHold(version)) {
        if (!mayRead()) {
            *rc = DB_STATEMENT_FAILED;
            return false;
        }
        QList<VelkMultiUserAdmin> records;
        *rc = m_db->queryMultiUserAdmin(records);
        noteRead(*rc);
        m_settingsMessages.clear();
        m_settingsByVersion.clear();
        m_hasSettings = *rc == DB_OK && !records.isEmpty();
        m_settings = m_hasSettings ? records.first() : VelkMultiUserAdmin();
        // A failed read is not kept: the next panel reads again.
        m_settingsVersion = *rc == DB_OK ? version : 0;
    }
    if (m_hasSettings)
        *settings = m_settings;
    return m_hasSettings;
}

QByteArray AccountSyncCache::settingsMessage(const QString &displayClientVersion)
{
    // Asked once for every panel of a run, by a fleet that mostly runs one version: found by the version's text.
    if (settingsHold(m_db->accountDataVersion())) {
        const auto known = m_settingsByVersion.constFind(displayClientVersion);
        if (known != m_settingsByVersion.constEnd())
            return *known;
    }
    VelkMultiUserAdmin record;
    quint32 rc = DB_OK;
    if (!settings(&record, &rc))
        return QByteArray();
    const int tier = settingsTier(displayClientVersion);
    auto message = m_settingsMessages.find(tier);
    if (message == m_settingsMessages.end())
        message = m_settingsMessages.insert(tier, AccountFile::adminSettingsJson(record, displayClientVersion));
    if (m_settingsByVersion.size() < 64)
        m_settingsByVersion.insert(displayClientVersion, *message);
    return *message;
}

void AccountSyncCache::prepareRun()
{
    const quint64 version = m_db->accountDataVersion();
    if (version == 0 || version == m_runVersion || !mayRead())
        return;
    m_runVersion = 0;
    m_users.clear();
    m_permissions.clear();
    m_usersOfDevice.clear();
    m_files.clear();
    m_fileOfDevice.clear();
    m_apps.clear();

    QList<VelkMultiUser> users;
    QList<VelkAppPermission> permissions;
    QList<VelkUserDevice> assignments;
    quint32 rc = m_db->queryAllMultiUser(users);
    if (rc == DB_OK)
        rc = m_db->queryAllAppPermission(permissions);
    if (rc == DB_OK)
        rc = m_db->queryAllAppInfo(m_apps);
    if (rc == DB_OK)
        rc = m_db->queryUserDeviceLinks(assignments);
    if (!noteRead(rc)) {
        // Each panel then reads its own users, as without a run; refused for now, once the reads are due again.
        if (!m_refused)
            writeLog(LOG_LEVEL_ERROR, "AccountSyncCache::prepareRun, read error 0x%08x", rc);
        m_apps.clear();
        return;
    }
    m_users.reserve(users.size());
    for (const VelkMultiUser &user : qAsConst(users))
        m_users.insert(user.muid, user);
    for (const VelkAppPermission &permission : qAsConst(permissions))
        m_permissions[permission.multiUserId].append(permission);

    // A device lists its users in the order they were assigned, each once, and only users that still exist: the
    // order and the rows the device's own query gives.
    std::vector<std::pair<quint32, const VelkUserDevice *>> byDevice;
    byDevice.reserve(size_t(assignments.size()));
    for (const VelkUserDevice &row : qAsConst(assignments))
        byDevice.emplace_back(row.deviceId, &row);
    std::sort(byDevice.begin(), byDevice.end(), [](const auto &a, const auto &b) {
        return a.first != b.first ? a.first < b.first : a.second->udid < b.second->udid;
    });
    for (const auto &entry : byDevice) {
        const quint32 muid = entry.second->multiUserId;
        if (!m_users.contains(muid))
            continue;
        QVector<quint32> &list = m_usersOfDevice[entry.first];
        if (!list.contains(muid))
            list.append(muid);
    }
    m_runVersion = version;
}

bool AccountSyncCache::holdsRun() const
{
    const quint64 version = m_db->accountDataVersion();
    return version != 0 && version == m_runVersion;
}

QByteArray AccountSyncCache::accountFile(quint32 deviceId, bool *read)
{
    *read = true;
    const quint64 version = m_db->accountDataVersion();
    if (version != 0 && version == m_runVersion)
        return fileFromRun(deviceId);
    return fileFromStore(deviceId, read);
}

QByteArray AccountSyncCache::fileFromRun(quint32 deviceId)
{
    const auto ofDevice = m_fileOfDevice.constFind(deviceId);
    if (ofDevice != m_fileOfDevice.constEnd())
        return *ofDevice;
    const QVector<quint32> muids = m_usersOfDevice.value(deviceId);
    auto file = m_files.find(muids);
    if (file != m_files.end())
        return *m_fileOfDevice.insert(deviceId, *file);
    QList<VelkMultiUser> users;
    QList<VelkAppPermission> permissions;
    users.reserve(muids.size());
    for (quint32 muid : muids) {
        users.append(m_users.value(muid));
        permissions.append(m_permissions.value(muid));
    }
    const QByteArray built = AccountFile::build(AccountFile::rowsForUsers(users, permissions, m_apps));
    m_files.insert(muids, built);
    return *m_fileOfDevice.insert(deviceId, built);
}

QByteArray AccountSyncCache::fileFromStore(quint32 deviceId, bool *read)
{
    if (!mayRead()) {
        *read = false;
        return QByteArray();
    }
    QList<VelkMultiUser> users;
    QList<VelkAppPermission> permissions;
    QList<VelkAppInfo> apps;
    // Three reads: on their own, each would take and drop the database file's lock again.
    DbTransaction reading = m_db->readTransaction("AccountSyncCache::accountFile");
    quint32 rc = DB_OK;
    if (deviceId != 0) {
        // A user bound twice comes back twice: rowsForUsers() writes each once.
        rc = m_db->queryMultiUserByIFP(users, deviceId);
        if (rc == DB_OK)
            rc = m_db->queryAppPermissionByIFP(permissions, deviceId);
    }
    if (rc == DB_OK)
        rc = m_db->queryAllAppInfo(apps);
    // Users that could not be read are not known, not none: a file without them would empty the panel.
    *read = noteRead(rc);
    reading.commit();
    if (!*read)
        return QByteArray();
    return AccountFile::build(AccountFile::rowsForUsers(users, permissions, apps));
}
