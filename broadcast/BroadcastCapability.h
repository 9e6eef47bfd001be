#pragma once

#include "datastore/VelkIFPDevice.h"

#include <QList>
#include <QString>

class OrvantaDBIntf;

/// Which managed devices can take a broadcast: a display client of four version fields whose fourth (the build)
/// is at least that of the reference, or an audio box with such a version. Devices without a four-field version
/// are never offered, audio boxes included.
namespace BroadcastCapability {

/// The reference version; only its fourth field counts.
QString minimumClientVersion();
/// -1, 0 or 1 as the fourth field of a is below, equal to or above that of b; a missing or non-numeric field counts
/// as 0.
int compareVersionBuild(const QString &a, const QString &b);
bool isCapable(const VelkIFPDevice &device);
/// The capable devices in the store's order (by name); empty, with a log line, when the store cannot be read, and
/// then *read (when given) is false.
QList<VelkIFPDevice> supportedDevices(OrvantaDBIntf *db, bool *read = nullptr);

} // namespace BroadcastCapability
