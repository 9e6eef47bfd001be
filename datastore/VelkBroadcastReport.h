#pragma once

#include <QString>

#include "datastore/VelkIFPDevice.h"

/// One broadcast report row: the row's device (read from Device by its did), then the row's values.
struct VelkBroadcastReport
{
    VelkIFPDevice device;
    int status = 0;
    int note = 0;
    QString groupText; ///< not stored
    quint32 brid = 0;  ///< row key
};
