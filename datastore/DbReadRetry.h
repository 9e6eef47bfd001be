#pragma once

#include <QObject>
#include <QTimer>

class DbHeldWrites;

/// When to read again what the database refused to give for now (another program holds the file exclusively, as a
/// VACUUM or an SQLite browser saving a large change does): a read refused is "not known yet", and whoever acts on it
/// goes on from what it read before until the database gives it.
///
/// The caller says that a read was refused (later()) and that it got what it asked for (done()); retry() tells it to
/// read again. The pauses start at the first interval and double while the database goes on refusing, up to the
/// longest, so a hold of an hour costs a read a minute, not one per event; and writes held back by the same hold
/// landing (DbHeldWrites::heldWritesWritten) bring the next read forward at once, since a database that takes writes
/// again most likely gives reads too. The refusals of one hold are one episode: the caller tells it once (later()
/// says when it begins), not at every read again.
class DbReadRetry : public QObject
{
    Q_OBJECT

public:
    static constexpr int kFirstIntervalMs = 1000;
    /// Pauses that stopped at 16 s read, waited and logged about twenty times a minute for as long as a hold lasted.
    static constexpr int kLongestIntervalMs = 64000;

    explicit DbReadRetry(DbHeldWrites *heldWrites, QObject *parent = nullptr);
    ~DbReadRetry() override;

    /// The first pause and the longest one the pauses grow to (tests shorten them).
    void setIntervalMs(int first, int longest);
    /// A read was refused: retry() comes after the next pause, unless one is awaited already. True when this refusal
    /// begins the episode (the first since done()): the one the caller logs.
    bool later();
    /// What was refused has been read: nothing is awaited, and the next refusal waits the first pause again.
    void done();
    /// A retry() is awaited.
    bool isWaiting() const { return m_waiting; }
    /// The pause before the retry() awaited, or before the next one.
    int pauseMs() const { return m_waiting ? m_timer.interval() : m_nextMs; }

signals:
    /// Time to read again what was refused; a read refused again calls later() again.
    void retry();

private:
    void fire();

    QTimer m_timer;
    int m_firstMs = kFirstIntervalMs;
    int m_longestMs = kLongestIntervalMs;
    int m_nextMs = kFirstIntervalMs;
    bool m_waiting = false;
    bool m_refused = false; ///< a refusal since done(): an episode is under way
};
