#pragma once

/// The OTA progress of a device; also stored as the status of OTA report rows and OTA schedules.
enum UpdateStatus : int
{
    UPDATE_NOT_STARTED = 1,
    UPDATE_UPDATING = 2,
    UPDATE_FAILED = 3,
    UPDATE_SUCCESSFULLY = 4
};
