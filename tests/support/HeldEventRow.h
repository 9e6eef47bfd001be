#pragma once

#include <QString>

#include "datastore/DbHeldWrites.h"
#include "datastore/OrvantaDBIntf.h"

// An event-log row of `deviceName` at `time` handed to the database's held writes, as an SOS hands its own: written
// at once when the database takes it, held and tried again when it is refused.
inline void holdEventRow(OrvantaDBIntf *db, const char *context, const QString &what, const QString &deviceName,
                         const QString &time)
{
    VelkEventLog event;
    event.deviceName = deviceName;
    event.time = time;
    // No warning stands open for it: a restore carries it only while it is held.
    db->eventLogAnswered(db->insertEventLogLater(context, what, event));
}
