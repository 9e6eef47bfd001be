#pragma once

// The device records a console holds for the benchmark fleet (panel i as bench::panelMac / panelAddress give it),
// in the two states a storm of connections can find them.

#include "datastore/VelkIFPDevice.h"

#include <QList>
#include <QString>

namespace bench {

enum class Records
{
    // Everything the panels report is stored already (a restart): a handshake has nothing to write.
    Matching,
    // As a device import leaves them: name, address, MAC, type and location, nothing the panels report yet. The
    // same holds after a firmware update, an address change or a new control password: every handshake writes.
    Stale,
};

QList<VelkIFPDevice> fleetRecords(int count, Records records, const QString &password);
// The name used on command lines and in result lines: "matching" or "stale".
QString recordsName(Records records);
// Stored records that do not say what panel i reports (fields the handshake writes back); empty when all agree.
QStringList recordsNotWrittenBack(const QList<VelkIFPDevice> &stored, int count, const QString &password);

} // namespace bench
