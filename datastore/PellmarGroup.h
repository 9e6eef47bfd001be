#pragma once

#include <QString>

/// A camera group read from the camera-management program's database (its table deviceGroup),
/// column by column.
struct PellmarGroup
{
    quint32 id = 0;     ///< column 0
    QString groupName;  ///< column 1
    QString deviceIds;  ///< column 2, comma-separated camera ids
    quint32 number = 0; ///< column 3
};
