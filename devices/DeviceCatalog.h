#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include "datastore/VelkGroups.h"
#include "datastore/VelkIFPDevice.h"

class OrvantaDBIntf;

/// A snapshot of every device, every group and who is in which group, read with one query
/// for the devices, one for the groups and one per group: the page, the export and the import
/// need the groups of thousands of devices, and asking per device would cost a query each.
class DeviceCatalog
{
public:
    /// Reads everything again; withMemberships false skips who is in which group (groupNamesOf
    /// is then empty). On a failed query the catalog is left empty and the code returned.
    quint32 load(OrvantaDBIntf *db, bool withMemberships = true);

    const QList<VelkIFPDevice> &devices() const { return m_devices; }
    const QList<VelkGroups> &groups() const { return m_groups; }
    /// The groups holding the device, by group name; letter case of the device name ignored.
    QStringList groupNamesOf(const QString &deviceName) const;

private:
    QList<VelkIFPDevice> m_devices;
    QList<VelkGroups> m_groups;
    QHash<QString, QStringList> m_groupsByDevice; ///< case-folded device name -> group names
};
