#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QTimer>
#include <QVector>

#include <functional>

#include "datastore/HeldWriteGiveUp.h"

class OrvantaDBIntf;

/// The writes the database refused for a reason that passes by itself, kept in order until it takes writes again:
/// the one rule of the data store for a database that another program holds (an SQLite browser with unsaved changes,
/// a backup tool reading it), whose disk is full, or whose file cannot be written for a while.
///
/// Writes reach it through DbWriteBatch: a write refused as busy, locked, full or with an I/O error is held here
/// instead of being lost, and so is every later write of a batch while earlier ones are held, so that no write
/// overtakes one held before it. Held writes are written again, in the order they came, in one transaction per try:
/// at a timer (one second, then twice as long each time up to 16 seconds while the database still refuses), and as
/// soon as another write on the connection has committed. A try waits at most
/// kRetryWaitMs for the database and logs no failure the first attempt logged already; the episode is logged once
/// when it begins and once, with its count, when the database takes the writes. A held write that then fails for a
/// reason of its own is lost and logged as such. Writes still held when the console ends are named in the log.
///
/// A write the file refuses as full while it takes other writes fails for a reason of its own, though its code says
/// otherwise: an Event Log insert whose AUTOINCREMENT counter is at its end meets SQLITE_FULL on any disk. Held, it
/// stood before every later write for good. While the disk has room for any write, a try that stops at a write refused
/// as full tries the writes behind it past its batch (they land before it: a disk with room does not explain its
/// refusal); once other writes have really committed, the write refused HeldWriteGiveUp::kRefusals times is lost, named
/// once in the log and told (writesLost). A full or nearly full disk, an I/O error and another program holding the file
/// refuse writes for now: nothing is tried past them, nothing is given up, and the writes stay held, in order, until
/// they are written.
///
/// The caller learns that its write is held (DbWriteBatch::isHeld) and goes on as if it was written: its own state
/// follows what it did, not what the database holds yet. A held write runs after its caller may be gone, so it
/// captures what it writes and the database interface by value, never the caller. It sets only the fields its caller
/// changed and reads what it depends on when it runs, so that a change made meanwhile (by the operator, or by the
/// program that held the file) stands.
///
/// A write may name what it supersedes with a key ("record of device 12"): held, it replaces the write of that key
/// still held, which then never runs. A panel that reconnects a hundred times during a hold leaves one write-back, not
/// a hundred, and held writes stay bounded by what they are about. A key's write must say all that the write it
/// replaces said.
///
/// When the console ends, the held writes are written while the database takes them (writeBeforeExit() keeps the
/// event loop turning meanwhile; endOfProcess() writes what it can at once) and the rest is named in the log.
///
/// Use it on the GUI thread, like the data store.
class DbHeldWrites : public QObject
{
    Q_OBJECT

public:
    using Write = std::function<quint32()>;

    /// The longest a try waits for another connection to let go of the database: the GUI thread waits that long.
    static constexpr int kRetryWaitMs = 20;
    /// The first pause between tries, and the longest the pauses grow to while the database still refuses.
    static constexpr int kFirstIntervalMs = 1000;
    static constexpr int kLongestIntervalMs = 16000;
    /// How long one try writes before it commits and leaves the rest to the next turn of the event loop.
    static constexpr int kSliceMs = 50;

    /// db runs the writes, on the connection of that name (the one its operations use).
    DbHeldWrites(OrvantaDBIntf *db, const QString &connectionName, QObject *parent = nullptr);
    /// Names the writes still held in the log.
    ~DbHeldWrites() override;

    /// Writes held now.
    int count() const { return m_entries.size(); }
    bool isEmpty() const { return m_entries.isEmpty(); }
    /// Whether a write of that key is held now.
    bool holds(const QString &key) const { return !key.isEmpty() && m_keys.contains(key); }
    /// Whether the database refused the last try: an episode is under way.
    bool isRefused() const { return m_episode.isValid(); }
    /// What refused the last refused try.
    DbHoldCause holdCause() const { return m_holdCause; }
    /// What keeps a write out that the database refused for now (refusal and byAnotherConnection as
    /// lastStatementFailure() and refusedByAnotherConnection() give them).
    static DbHoldCause holdCauseOf(DbFailure refusal, bool byAnotherConnection);

    /// The first pause between tries and the longest one the pauses grow to.
    void setRetryIntervalMs(int first, int longest);

    /// For a caller that must never wait on the database (the SOS): the write joins the held writes, behind any
    /// held already, and is tried from the event loop at once; the caller has returned by then. what names it in
    /// the log.
    void writeLater(const char *context, const QString &what, Write write);
    /// The same, replacing the write of that key still held (see the class).
    void writeLater(const char *context, const QString &what, const QString &key, Write write);

    /// The console is about to end: the held writes are tried at once and then one slice after the other, with the
    /// event loop turning between slices, until allWritten(); while the database refuses them, every refused try says
    /// so (refusedAtExit) and the next comes within the first pause.
    void writeBeforeExit();
    /// The console stays after all (the operator called the exit off): the pauses between tries grow again as they
    /// do without an exit, and refused tries are no longer reported as at exit.
    void exitCalledOff();
    /// The pause before the next try while the database refuses the held writes (the one awaited, or else the next).
    int pauseMs() const { return m_timer.isActive() ? m_timer.interval() : m_nextIntervalMs; }
    /// The process ends now: writes all the database takes, in slices without the event loop, and names the writes
    /// still held in the log, with why they are not written, and drops them. Returns how many were dropped.
    int endOfProcess(const char *why);

    /// The database is closed for good in this process (a restore replaces its file): the writes still held are
    /// named in the log and dropped.
    void abandon(const char *why);

signals:
    /// Writes the database had refused reached it; whoever shows what they changed may read it again.
    void heldWritesWritten();
    /// No write is held any more (after writes were held).
    void allWritten();
    /// A try after writeBeforeExit() was refused (for holdCause()): held writes are not saved yet.
    void refusedAtExit(int held);
    /// Held writes were lost while the console runs: given up after the file refused them again and again while it
    /// took other writes, or refused for what they wrote. The log names them; the operator should learn it too.
    void writesLost(int writes);

private:
    friend class DbWriteBatch;

    struct Entry
    {
        QString what;
        Write write;
        quint64 group = 0;       ///< the batch it came from: a try ends only between batches
        QString key;             ///< what it supersedes; empty: nothing
        HeldWriteGiveUp giveUp;  ///< how often the file refused it while others committed
        quint64 commitsSeen = 0; ///< the commits on the connection when it was held, or last refused
    };

    /// A batch's write that the database refused for now, or that must not overtake those held before it.
    void hold(const char *context, const QString &what, Write write, quint64 group, const char *reason,
              const QString &key = QString());
    /// Drops the held write of that key, which a later one replaces.
    void supersede(const QString &key);
    void forgetKey(const QString &key);
    /// A number for the writes of one batch.
    quint64 nextGroup() { return ++m_lastGroup; }
    /// The connection the writes run on (invalid when it is closed).
    QSqlDatabase connection() const;

    /// Writes the held writes (a slice of them) in one transaction, unless one is open on the connection.
    void tryAgain();
    /// Whether the disk of the database has room for any write (HeldWriteGiveUp::roomForAnyWrite()).
    bool roomForAnyWrite() const;
    /// The index-th held write was refused as full again while the writes behind it were tried past it: true when it
    /// is given up (logged).
    bool refusedOfItsOwn(int index, bool othersRefused, const char *reason);
    /// The database refused writes for that reason: logged once, until it takes them again.
    void beginEpisode(const char *reason);
    void scheduleTry(int milliseconds);
    /// Logs the writes still held, with why they are not written, and drops them.
    void dropHeld(const char *why);

    OrvantaDBIntf *m_db;
    QString m_connectionName;
    QVector<Entry> m_entries;
    QHash<QString, int> m_keys; ///< held writes by key (how many: one, but while a try runs)
    QTimer m_timer;
    int m_firstIntervalMs = kFirstIntervalMs;
    int m_longestIntervalMs = kLongestIntervalMs;
    int m_nextIntervalMs = kFirstIntervalMs;
    quint64 m_lastGroup = 0;
    quint64 m_commits = 0; ///< outermost commits on the connection so far, held writes' own tries among them
    bool m_trying = false;
    bool m_exiting = false;
    /// The episode under way: since when the database refuses writes, and what was written of it so far.
    QElapsedTimer m_episode;
    int m_episodeWritten = 0;
    int m_episodeLost = 0;
    int m_episodeSuperseded = 0;
    DbHoldCause m_holdCause = DbHoldCause::AnotherProgram;
};
