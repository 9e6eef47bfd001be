#pragma once

#include <QMetaType>
#include <QString>

/// A named group of devices: a row of table Groups. Membership lives in DeviceGroups.
struct VelkGroups
{
    QString groupName;  ///< unique among groups (letter case ignored by the checks)
    QString groupType;  ///< the device family the group holds, e.g. "Control Box"
    int extraValue = 0; ///< not stored
    quint32 gid = 0;    ///< row key
};

Q_DECLARE_METATYPE(VelkGroups)
