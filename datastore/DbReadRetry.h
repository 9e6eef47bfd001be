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
/// longest, so a long hold costs a read every few seconds, not one per event; and writes held back by the same hold
/// landing (DbHeldWrites::heldWritesWritten) bring the next read forward at once, since a database that takes writes
/// again most likely gives reads too.
class DbReadRetry : public QObject
{
    Q_OBJECT

public:
    static constexpr int kFirstIntervalMs = 1000;
    static constexpr int kLongestIntervalMs = 16000;

    explicit DbReadRetry(DbHeldWrites *heldWrites, QObject *parent = nullptr);
    ~DbReadRetry() override;

    /// The first pause and the longest one the pauses grow to (tests shorten them).
    void setIntervalMs(int first, int longest);
    /// A read was refused: retry() comes after the next pause, unless one is awaited already.
    void later();
    /// What was refused has been read: nothing is awaited, and the next refusal waits the first pause again.
    void done();
    /// A retry() is awaited.
    bool isWaiting() const { return m_waiting; }

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
};
