#pragma once

#include <QList>
#include <QMetaType>
#include <QString>

#include "datastore/VelkGroups.h"
#include "datastore/VelkIFPDevice.h"

/// A firmware-update schedule for one date and time: a row of table OtaSchedule,
/// with its chosen devices (DeviceOtaSchedule) and groups (GroupsOtaSchedule).
struct VelkOtaSchedule
{
    int scheduleTarget = 0; ///< 1 all devices, 2 chosen devices, 3 groups
    QString date;           ///< "yyyy-MM-dd"
    QString time;           ///< "hh:mm"
    int status = 0;         ///< an UpdateStatus value
    bool isEnable = false;
    QList<VelkIFPDevice> devices;
    QList<VelkGroups> groups;
    int failedCount = 0; ///< not stored: failed report rows, counted when read
    QString deviceText;  ///< not stored
    QString groupText;   ///< not stored
    QString statusText;  ///< not stored
    quint32 osid = 0;    ///< row key
};

Q_DECLARE_METATYPE(VelkOtaSchedule)
