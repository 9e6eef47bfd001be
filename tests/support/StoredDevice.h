#pragma once

#include "datastore/OrvantaDBManager.h"

#include <QString>

// The device of that name as the shared data store holds it now; an empty record (did 0) when there is none.
inline VelkIFPDevice storedDevice(const QString &name)
{
    QList<VelkIFPDevice> all;
    OrvantaDBManager::getInstance()->queryAllAvailableIFP(all);
    for (const VelkIFPDevice &stored : qAsConst(all)) {
        if (stored.deviceName == name)
            return stored;
    }
    return VelkIFPDevice();
}
