#pragma once

#include <QString>

#include "datastore/VelkIFPDevice.h"

/// One OTA report row: the row's device (read from Device by its did), then the row's values.
struct VelkOtaScheduleReport
{
    VelkIFPDevice device;
    int status = 0; ///< an UpdateStatus value
    QString fwVersion;
    quint32 osid = 0; ///< the row's schedule
    /// While the device is watched after its run ended Successfully: until when, UTC "yyyy-MM-ddThh:mm:ss.zzzZ";
    /// empty when it is not.
    QString watchUntil;
    QString groupNames; ///< not stored
    QString updateDate; ///< not stored
    quint32 osrid = 0;  ///< row key
};
