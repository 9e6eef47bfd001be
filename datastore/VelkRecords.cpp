#include "datastore/VelkRecords.h"

void registerVelkMetaTypes()
{
    static const bool registered = [] {
        qRegisterMetaType<VelkIFPDevice>("VelkIFPDevice");
        qRegisterMetaType<VelkGroups>("VelkGroups");
        qRegisterMetaType<VelkOtaSchedule>("VelkOtaSchedule");
        qRegisterMetaType<VelkBroadcast>("VelkBroadcast");
        return true;
    }();
    Q_UNUSED(registered)
}
