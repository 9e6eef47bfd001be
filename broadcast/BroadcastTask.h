#pragma once

#include "datastore/VelkBroadcast.h"

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>

class QTimer;

/// One upcoming broadcast on its way through a run. The page keeps one per upcoming broadcast; the manager keeps
/// its own copy of each task it runs and fills the per-device bookkeeping.
struct BroadcastTask
{
    /// As read from the store; for a group target its devices are the expanded, capable devices of the groups.
    VelkBroadcast broadcast;
    /// The manager holds a task with the same bid.
    bool started = false;
    /// The next start, local time; null until computed.
    QDateTime startDateTime;
    /// The manager's state of each target device, keyed by BroadcastManager::deviceKey.
    QMap<QString, int> deviceStates;
    /// Indexes into broadcast.devices of the devices online when the run started.
    QList<int> onlineDevices;
    /// Indexes into broadcast.devices of the devices offline then.
    QList<int> offlineDevices;
    /// The manager's key of each device of broadcast.devices, by index (BroadcastManager::deviceKey).
    QStringList deviceKeys;
    /// The manager's per-device timers by device key; the manager owns them.
    QList<QPair<QString, QTimer *>> deviceTimers;
};

/// The order of the task list: immediate broadcasts first, then by start, equal starts by bid.
bool broadcastTaskLessThan(const BroadcastTask &a, const BroadcastTask &b);
