#include "datastore/HeldWriteGiveUp.h"

bool HeldWriteGiveUp::roomForAnyWrite(qint64 available, qint64 fileSize)
{
    return available >= qMax<qint64>(0, fileSize) + kRoomBeyondTheFile;
}

bool HeldWriteGiveUp::triedPast(DbFailure refusal, bool byAnotherConnection, bool room)
{
    return refusal == DbFailure::DiskFull && !byAnotherConnection && room;
}

bool HeldWriteGiveUp::refusedAgain(bool othersCommitted, bool othersRefused)
{
    if (othersRefused) {
        reset();
        return false;
    }
    // One commit is enough: the write may be alone behind it for the rest of the episode.
    m_othersCommitted = m_othersCommitted || othersCommitted;
    if (!m_othersCommitted)
        return false;
    return ++m_refusals >= kRefusals;
}

void HeldWriteGiveUp::reset()
{
    m_refusals = 0;
    m_othersCommitted = false;
}
