#pragma once

#include <QString>

#include "datastore/VelkIFPDevice.h"

/// One auto-test report row: the row's device (read from Device by its did), then the row's values.
struct VelkAutoTestScheduleReport
{
    VelkIFPDevice device;
    int status = 0;
    int notes = 0;
    QString groupNames; ///< not stored
    QString extraText;  ///< not stored
    quint32 tsrid = 0;  ///< row key
};
