#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QTimer>
#include <QVector>

#include <functional>

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
/// The caller learns that its write is held (DbWriteBatch::isHeld) and goes on as if it was written: its own state
/// follows what it did, not what the database holds yet. A held write runs after its caller may be gone, so it
/// captures what it writes and the database interface by value, never the caller.
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

    /// The first pause between tries and the longest one the pauses grow to.
    void setRetryIntervalMs(int first, int longest);

    /// For a caller that must never wait on the database (the SOS): the write joins the held writes, behind any
    /// held already, and is tried from the event loop at once; the caller has returned by then. what names it in
    /// the log.
    void writeLater(const char *context, const QString &what, Write write);

    /// The database is closed for good in this process (a restore replaces its file): the writes still held are
    /// named in the log and dropped.
    void abandon(const char *why);

signals:
    /// Writes the database had refused reached it; whoever shows what they changed may read it again.
    void heldWritesWritten();

private:
    friend class DbWriteBatch;

    struct Entry
    {
        QString what;
        Write write;
        quint64 group = 0; ///< the batch it came from: a try ends only between batches
    };

    /// A batch's write that the database refused for now, or that must not overtake those held before it.
    void hold(const char *context, const QString &what, Write write, quint64 group, const char *reason);
    /// A number for the writes of one batch.
    quint64 nextGroup() { return ++m_lastGroup; }
    /// The connection the writes run on (invalid when it is closed).
    QSqlDatabase connection() const;

    /// Writes the held writes (a slice of them) in one transaction, unless one is open on the connection.
    void tryAgain();
    /// The database refused writes for that reason: logged once, until it takes them again.
    void beginEpisode(const char *reason);
    void scheduleTry(int milliseconds);
    /// Logs the writes still held, with why they are not written, and drops them.
    void dropHeld(const char *why);

    OrvantaDBIntf *m_db;
    QString m_connectionName;
    QVector<Entry> m_entries;
    QTimer m_timer;
    int m_firstIntervalMs = kFirstIntervalMs;
    int m_longestIntervalMs = kLongestIntervalMs;
    int m_nextIntervalMs = kFirstIntervalMs;
    quint64 m_lastGroup = 0;
    bool m_trying = false;
    /// The episode under way: since when the database refuses writes, and what was written of it so far.
    QElapsedTimer m_episode;
    int m_episodeWritten = 0;
    int m_episodeLost = 0;
};
