#pragma once

#include <QList>
#include <QMetaType>
#include <QString>

#include "datastore/VelkGroups.h"
#include "datastore/VelkIFPDevice.h"

/// One broadcast with its content, timing, repetition and targets: a row of table Broadcast,
/// with its chosen devices (DeviceBroadcast) and groups (GroupsBroadcast).
struct VelkBroadcast
{
    /// Stored as a 32-bit value in the status column.
    enum Status : qint32
    {
        Pending = 1,
        Upcoming = 2,
        Completed = 3
    };

    Status status = Pending;
    int displayType = 0; ///< scrolling text, pop-up window or audio only
    QString contentText;
    int audioSelection = 0;
    QString displayedAudioFilename; ///< the audio file name as the operator picked it
    QString savedAudioFilename;     ///< the audio file name as the console keeps it
    bool wakeOnLan = false;
    bool repeat = false;
    int durationMin = 0;
    int durationSec = 0;
    int target = 0;
    bool isNow = false;
    QString startDate;
    QString time;
    bool repeatSun = false;
    bool repeatMon = false;
    bool repeatTue = false;
    bool repeatWed = false;
    bool repeatThu = false;
    bool repeatFri = false;
    bool repeatSat = false;
    QList<VelkIFPDevice> devices;
    QList<VelkGroups> groups;
    int failedCount = 0; ///< not stored: failed report rows of a completed broadcast
    quint32 bid = 0;     ///< row key
};

/// True when the two records start alike: the same date, time, repeat days and "now" choice.
inline bool startsAlike(const VelkBroadcast &a, const VelkBroadcast &b)
{
    return a.isNow == b.isNow && a.startDate == b.startDate && a.time == b.time && a.repeatSun == b.repeatSun &&
           a.repeatMon == b.repeatMon && a.repeatTue == b.repeatTue && a.repeatWed == b.repeatWed &&
           a.repeatThu == b.repeatThu && a.repeatFri == b.repeatFri && a.repeatSat == b.repeatSat;
}

Q_DECLARE_METATYPE(VelkBroadcast)
