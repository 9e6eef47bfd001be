#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QStringList>

#include "datastore/VelkGroups.h"
#include "datastore/VelkIFPDevice.h"

class OrvantaDBIntf;

/// Which panels a user's account is valid on, apart from any widget: the devices that can run
/// the panels' multi-user mode, their groups, the limit of users per device, and the write of a
/// new selection. Every call returns a result code of DbResult.h.
class DeviceAssignment
{
public:
    /// A device takes at most this many users.
    static constexpr int MaxUsersPerDevice = 48;

    /// Every managed device, in device-name order, as OrvantaDBIntf::queryAllAvailableIFP reads it. What was read is
    /// kept while the data store's deviceDataVersion() stands: a synchronisation run reads the devices when it starts
    /// and again for the user table when it ends, and each read of a large fleet cost as much as asking every panel.
    static quint32 allDevices(OrvantaDBIntf *db, QList<VelkIFPDevice> &devices);
    /// The managed devices that pass the multi-user capability gate, in device-name order.
    static quint32 supportedDevices(OrvantaDBIntf *db, QList<VelkIFPDevice> &devices);
    /// Those of the devices that pass the same gate, in their order.
    static QList<VelkIFPDevice> supportedAmong(const QList<VelkIFPDevice> &devices);

    /// The groups that hold supported devices, in the order they first appear going through the
    /// devices, and for each group (by gid) its devices as indexes into the device list.
    struct GroupIndex
    {
        QList<VelkGroups> groups;
        QHash<quint32, QList<int>> members;
        QHash<quint32, QStringList> groupNames; ///< by did, in group-name order
    };
    static quint32 groupIndex(OrvantaDBIntf *db, const QList<VelkIFPDevice> &devices, GroupIndex &index);

    /// For every device, the number of users other than `muid` assigned to it.
    static quint32 otherUserCounts(OrvantaDBIntf *db, quint32 muid, QHash<quint32, int> &counts);
    /// Assigning one more user would exceed the limit: 48 other users hold the device already.
    static bool isOverAssigned(const QHash<quint32, int> &counts, quint32 did)
    {
        return counts.value(did) >= MaxUsersPerDevice;
    }

    /// The devices the user holds now.
    static quint32 assignedDevices(OrvantaDBIntf *db, quint32 muid, QSet<quint32> &dids);

    /// Makes the user's assignments on the supported devices equal to `selected`. Only the
    /// assignments not selected are deleted and only the missing ones created (not yet
    /// synchronised, no time), so a kept assignment keeps its synchronisation status and time.
    /// Assignments on devices that are not supported stay.
    static quint32 save(OrvantaDBIntf *db, quint32 muid, const QList<VelkIFPDevice> &supported,
                        const QList<quint32> &selected);
};
