#pragma once

#include <QList>
#include <QString>

#include "datastore/VelkGroups.h"
#include "datastore/VelkIFPDevice.h"

/// An auto-test at one time of day on chosen weekdays: a row of table AutoTestSchedule,
/// with its chosen devices (DeviceAutoTestSchedule) and groups (GroupsAutoTestSchedule).
struct VelkAutoTestSchedule
{
    int scheduleTarget = 0; ///< 1 all devices, 2 chosen devices, 3 groups
    QString time;           ///< "hh:mm"
    int status = 0;
    bool isEnable = false;
    bool isMon = false;
    bool isTue = false;
    bool isWed = false;
    bool isThu = false;
    bool isFri = false;
    bool isSat = false;
    bool isSun = false;
    QList<VelkIFPDevice> devices;
    QList<VelkGroups> groups;
    int failedCount = 0; ///< not stored: failed report rows, counted when read
    QString dateText;    ///< not stored
    QString deviceText;  ///< not stored
    QString groupText;   ///< not stored
    QString statusText;  ///< not stored
    quint32 tsid = 0;    ///< row key; 0 = never read from the table
};
