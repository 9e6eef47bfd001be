#pragma once

#include <QString>

#include "datastore/VelkIFPDevice.h"

/// One OTA report row: the row's device (read from Device by its did), then the row's values.
struct VelkOtaScheduleReport
{
    VelkIFPDevice device;
    int status = 0; ///< an UpdateStatus value
    QString fwVersion;
    QString groupNames; ///< not stored
    QString updateDate; ///< not stored
    quint32 osrid = 0;  ///< row key
};
