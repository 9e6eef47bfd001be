#include "accounts/DeviceAssignment.h"

#include "accounts/UserStore.h"

#include "datastore/DbResult.h"
#include "datastore/OrvantaDBIntf.h"
#include "shell/kit/UiHelpers.h"

namespace {

struct KeptDevices
{
    const OrvantaDBIntf *db = nullptr;
    quint64 version = 0;
    QList<VelkIFPDevice> devices;
};

// The devices `read` gave last time, while the device data of that database has not changed since; read again
// otherwise. Nothing read inside a transaction (version 0) or by a failed read is kept.
template <typename Read>
quint32 keptOrRead(KeptDevices &kept, OrvantaDBIntf *db, QList<VelkIFPDevice> &devices, Read read)
{
    devices.clear();
    const quint64 version = db->deviceDataVersion();
    if (version != 0 && kept.db == db && kept.version == version) {
        devices = kept.devices;
        return DB_OK;
    }
    kept = KeptDevices();
    const quint32 rc = read(devices);
    if (rc == DB_OK && version != 0)
        kept = {db, version, devices};
    return rc;
}

} // namespace

quint32 DeviceAssignment::allDevices(OrvantaDBIntf *db, QList<VelkIFPDevice> &devices)
{
    static KeptDevices kept;
    return keptOrRead(kept, db, devices, [db](QList<VelkIFPDevice> &read) { return db->queryAllAvailableIFP(read); });
}

quint32 DeviceAssignment::supportedDevices(OrvantaDBIntf *db, QList<VelkIFPDevice> &devices)
{
    // The gate reads every device's version: kept with the devices it was applied to.
    static KeptDevices kept;
    return keptOrRead(kept, db, devices, [db](QList<VelkIFPDevice> &supported) {
        QList<VelkIFPDevice> all;
        const quint32 rc = allDevices(db, all);
        if (rc != DB_OK)
            return rc;
        supported = supportedAmong(all);
        return DB_OK;
    });
}

QList<VelkIFPDevice> DeviceAssignment::supportedAmong(const QList<VelkIFPDevice> &devices)
{
    QList<VelkIFPDevice> supported;
    for (const VelkIFPDevice &device : devices) {
        if (isMultiUserSupportedModel(device.modelName, device.displayClientVersion))
            supported.append(device);
    }
    return supported;
}

quint32 DeviceAssignment::groupIndex(OrvantaDBIntf *db, const QList<VelkIFPDevice> &devices, GroupIndex &index)
{
    index = GroupIndex();
    quint32 result = DB_OK;
    for (int i = 0; i < devices.size(); ++i) {
        QList<VelkGroups> groups;
        const quint32 rc = db->queryGroupsByIFP(devices.at(i), groups);
        // A device in no group is no failure.
        if (rc != DB_OK && rc != DB_ROW_NOT_FOUND)
            result = rc;
        QStringList &names = index.groupNames[devices.at(i).did];
        for (const VelkGroups &group : qAsConst(groups)) {
            names.append(group.groupName);
            QList<int> &members = index.members[group.gid];
            if (members.isEmpty())
                index.groups.append(group);
            members.append(i);
        }
    }
    return result;
}

quint32 DeviceAssignment::otherUserCounts(OrvantaDBIntf *db, quint32 muid, QHash<quint32, int> &counts)
{
    counts.clear();
    QList<VelkUserDevice> assignments;
    const quint32 rc = db->queryUserDevice(assignments, 1);
    if (rc != DB_OK)
        return rc;
    QHash<quint32, QSet<quint32>> users;
    for (const VelkUserDevice &assignment : qAsConst(assignments)) {
        if (assignment.multiUserId != muid)
            users[assignment.deviceId].insert(assignment.multiUserId);
    }
    for (auto it = users.cbegin(); it != users.cend(); ++it)
        counts.insert(it.key(), it.value().size());
    return DB_OK;
}

quint32 DeviceAssignment::assignedDevices(OrvantaDBIntf *db, quint32 muid, QSet<quint32> &dids)
{
    dids.clear();
    QList<VelkUserDevice> assignments;
    const quint32 rc = UserStore::assignmentsOfUser(db, muid, 1, assignments);
    for (const VelkUserDevice &assignment : qAsConst(assignments))
        dids.insert(assignment.deviceId);
    return rc;
}

quint32 DeviceAssignment::save(OrvantaDBIntf *db, quint32 muid, const QList<VelkIFPDevice> &supported,
                               const QList<quint32> &selected)
{
    QSet<quint32> held;
    quint32 rc = assignedDevices(db, muid, held);
    if (rc != DB_OK)
        return rc;
    const QSet<quint32> wanted(selected.cbegin(), selected.cend());
    for (const VelkIFPDevice &device : supported) {
        if (held.contains(device.did) && !wanted.contains(device.did)) {
            rc = db->deleteUserDevice(muid, device.did);
            if (rc != DB_OK)
                return rc;
        }
    }
    QSet<quint32> created;
    for (quint32 did : selected) {
        if (held.contains(did) || created.contains(did))
            continue;
        VelkUserDevice assignment;
        assignment.multiUserId = muid;
        assignment.deviceId = did;
        assignment.syncStatus = 0;
        rc = db->createUserDevice(assignment);
        if (rc != DB_OK)
            return rc;
        created.insert(did);
    }
    return DB_OK;
}
