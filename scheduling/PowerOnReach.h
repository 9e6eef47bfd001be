#pragma once

#include <QList>
#include <QString>

#include <functional>

#include "datastore/VelkIFPDevice.h"

/// Which devices of a power-on schedule its On Time cannot wake. Wake-on-LAN goes by MAC, and a device known by its IP
/// address alone has none; its reboot and power-off still reach it over its connection. One rule for every target of a
/// schedule, chosen devices, groups and All alike: the schedule is stored, and the operator is told how many of its
/// devices the power-on will not reach, when saving it and beside its On Time in the table. Refusing it instead, as
/// chosen devices once were, left no way to give All an On Time at a site with a single such device, while a group or
/// All holding one was stored without a word.
class PowerOnReach
{
public:
    using WakeCheck = std::function<bool(const VelkIFPDevice &)>;

    /// How many of `devices` canWake refuses, each device once (a device in two groups of a schedule counts once).
    static int unwakeableCount(const QList<VelkIFPDevice> &devices, const WakeCheck &canWake);
    /// What the operator reads for `count` such devices; empty for none.
    static QString noteText(int count);
};
