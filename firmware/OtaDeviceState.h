#pragma once

/// Where a device stands in an OTA run; kept in the otaState field of its VelkIFPDevice record, never stored.
/// The update manager sets 1, 2, 3 and 7, the command server 4 (a file sent) and 5 (installation started), the
/// upgraders 5, 6 and 7.
enum OtaDeviceState : int
{
    OTA_IDLE = 0,
    OTA_WAITING_FOR_WAKE = 1,
    OTA_CHECKING_STATE = 2,
    OTA_CAN_UPDATE = 3,
    OTA_TRANSFERRING = 4,
    OTA_INSTALLING = 5,
    OTA_UP_TO_DATE = 6,
    OTA_FAILED = 7
};
