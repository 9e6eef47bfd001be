#pragma once

#include <QtGlobal>

#include "datastore/DbResult.h"

/// When a held write that the database file refuses may be given up: the one rule by which a write the console once
/// took is dropped while the console runs (DbHeldWrites keeps one per held write).
///
/// A write the file refuses as full while it takes other writes fails for a reason of its own: an Event Log insert
/// whose AUTOINCREMENT counter is at its end meets SQLITE_FULL on any disk, and held, it stood before every later
/// write for good. A nearly full disk says the same SQLITE_FULL, and there the write must wait for room. Other writes
/// committing do not tell the two apart: with a few KiB left, a write that journals one page commits while a row that
/// journals three does not. The room left on the disk does. So the writes behind a write refused as full are tried
/// past it only while the disk has room for any write (triedPast()), and it is given up once it has been refused so
/// kRefusals times after other writes really committed meanwhile. Another connection's hold, an I/O error or a disk
/// without room refuses it for now, and counting starts again (reset()).
class HeldWriteGiveUp
{
public:
    /// Refusals, after other writes committed, that a write is given up at.
    static constexpr int kRefusals = 3;
    /// Room beyond the size of the database file that any write of the console fits in: a transaction journals at most
    /// every page of the file, and a slice of held writes adds far less than this.
    static constexpr qint64 kRoomBeyondTheFile = 4 * 1024 * 1024;

    /// Whether a disk with available bytes free has room for any write to a database file of fileSize bytes.
    static bool roomForAnyWrite(qint64 available, qint64 fileSize);
    /// Whether a write refused so may be tried past: refused by the file itself as full (refusal, as
    /// lastStatementFailure() gives it) while the disk has room.
    static bool triedPast(DbFailure refusal, bool byAnotherConnection, bool room);

    /// The write was refused again, and the writes behind it were tried past it (triedPast()). othersCommitted: writes
    /// committed on the connection since its last refusal; othersRefused: the writes tried past it were refused too.
    /// True: give it up.
    bool refusedAgain(bool othersCommitted, bool othersRefused);
    /// Refused for a reason that passes: nothing counts until other writes commit again.
    void reset();

    /// The refusals counted so far.
    int refusals() const { return m_refusals; }

private:
    int m_refusals = 0;
    bool m_othersCommitted = false;
};
