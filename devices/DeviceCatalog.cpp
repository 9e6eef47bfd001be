#include "devices/DeviceCatalog.h"

#include "datastore/DbResult.h"
#include "datastore/OrvantaDBIntf.h"
#include "devices/DeviceRules.h"

quint32 DeviceCatalog::load(OrvantaDBIntf *db, bool withMemberships)
{
    m_devices.clear();
    m_groups.clear();
    m_groupsByDevice.clear();

    quint32 rc = db->queryAllAvailableIFP(m_devices);
    if (rc == DB_OK)
        rc = db->queryAllGroup(m_groups);
    // Groups come by name, so each device's list fills in group-name order.
    for (int i = 0; withMemberships && rc == DB_OK && i < m_groups.size(); ++i) {
        QList<VelkIFPDevice> members;
        rc = db->queryIFPByGroup(m_groups.at(i), members);
        for (const VelkIFPDevice &member : qAsConst(members))
            m_groupsByDevice[DeviceRules::key(member.deviceName)].append(m_groups.at(i).groupName);
    }
    if (rc != DB_OK) {
        m_devices.clear();
        m_groups.clear();
        m_groupsByDevice.clear();
    }
    return rc;
}

QStringList DeviceCatalog::groupNamesOf(const QString &deviceName) const
{
    return m_groupsByDevice.value(DeviceRules::key(deviceName));
}
