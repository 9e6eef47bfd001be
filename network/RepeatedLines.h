#pragma once

#include <QHash>
#include <QList>
#include <QString>

/// Log lines a peer can have the console write again and again: a refused panel's every retry, each connection of a
/// flood. Each is said once per address and episode: the first at once, the repeats counted, and their count said
/// when the episode ends, after quietMs without a repeat, or longestMs after it began at the latest (a panel refused
/// for good then adds two lines an hour, not one a retry). Pure: the caller writes the lines and reads the time.
///
/// Memory is bounded: past maxAddresses addresses, the lines of any other address count under the address named
/// otherAddresses.
class RepeatedLines
{
public:
    struct Episode
    {
        QString what;    // what is repeated, as the line's summary names it
        QString address; // where from, or otherAddresses
        int repeats = 0; // after the line that was written
        qint64 startMs = 0;
        qint64 lastMs = 0;
    };

    static const QString otherAddresses;

    RepeatedLines(qint64 quietMs, qint64 longestMs, int maxAddresses);

    /// True when the line begins an episode and is to be written; false for a repeat, which is counted.
    bool first(const QString &what, const QString &address, qint64 nowMs);
    /// The episodes that ended by nowMs; they are forgotten, and their next line begins a new one.
    QList<Episode> takeEnded(qint64 nowMs);
    /// Ends the episodes of that address now (a panel of it was admitted).
    QList<Episode> endAddress(const QString &address);
    /// When the next episode ends unless repeated meanwhile; -1 when none is open.
    qint64 nextEndMs() const;
    bool isEmpty() const { return m_episodes.isEmpty(); }

private:
    qint64 endOf(const Episode &episode) const;

    qint64 m_quietMs;
    qint64 m_longestMs;
    int m_maxAddresses;
    // By address, then by what is repeated.
    QHash<QString, QHash<QString, Episode>> m_episodes;
};
