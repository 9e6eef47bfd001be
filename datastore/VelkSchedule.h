#pragma once

#include <QString>

/// A weekly device-control schedule: a row of table Schedule.
/// The chosen devices and groups live in DeviceSchedule / GroupsSchedule and are passed separately.
struct VelkSchedule
{
    QString onTime;     ///< "hh:mm", empty when power-on is not scheduled
    QString offTime;    ///< "hh:mm", empty when power-off is not scheduled
    QString rebootTime; ///< "hh:mm", empty when reboot is not scheduled
    bool isEnable = false;
    bool isMon = false;
    bool isTue = false;
    bool isWed = false;
    bool isThu = false;
    bool isFri = false;
    bool isSat = false;
    bool isSun = false;
    int scheduleObject = 0; ///< 1 all devices, 2 chosen devices, 3 groups
    bool isPowerOn = false;
    bool isPowerOff = false;
    bool isReboot = false;
    QString repeatText; ///< not stored: display text of the schedule table
    QString deviceText; ///< not stored
    QString groupText;  ///< not stored
    quint32 sid = 0;    ///< row key; 0 = never read from the table
};
