#include "network/RepeatedLines.h"

#include <algorithm>

const QString RepeatedLines::otherAddresses = QStringLiteral("other addresses");

RepeatedLines::RepeatedLines(qint64 quietMs, qint64 longestMs, int maxAddresses)
    : m_quietMs(quietMs), m_longestMs(longestMs), m_maxAddresses(maxAddresses)
{
}

bool RepeatedLines::first(const QString &what, const QString &address, qint64 nowMs)
{
    // A flood from ever new addresses counts under one address once the table is full: its first line was written.
    const bool full = m_episodes.size() >= m_maxAddresses;
    const QString key = m_episodes.contains(address) || !full ? address : otherAddresses;
    QHash<QString, Episode> &byAddress = m_episodes[key];
    const auto episode = byAddress.find(what);
    if (episode != byAddress.end()) {
        ++episode->repeats;
        episode->lastMs = nowMs;
        return false;
    }
    byAddress.insert(what, Episode{what, key, 0, nowMs, nowMs});
    return true;
}

qint64 RepeatedLines::endOf(const Episode &episode) const
{
    return std::min(episode.lastMs + m_quietMs, episode.startMs + m_longestMs);
}

QList<RepeatedLines::Episode> RepeatedLines::takeEnded(qint64 nowMs)
{
    QList<Episode> ended;
    for (auto byAddress = m_episodes.begin(); byAddress != m_episodes.end();) {
        for (auto episode = byAddress->begin(); episode != byAddress->end();) {
            if (endOf(*episode) <= nowMs) {
                ended.append(*episode);
                episode = byAddress->erase(episode);
            } else {
                ++episode;
            }
        }
        byAddress = byAddress->isEmpty() ? m_episodes.erase(byAddress) : std::next(byAddress);
    }
    return ended;
}

QList<RepeatedLines::Episode> RepeatedLines::endAddress(const QString &address)
{
    return m_episodes.take(address).values();
}

qint64 RepeatedLines::nextEndMs() const
{
    qint64 next = -1;
    for (const QHash<QString, Episode> &byAddress : m_episodes) {
        for (const Episode &episode : byAddress) {
            const qint64 end = endOf(episode);
            next = next < 0 ? end : std::min(next, end);
        }
    }
    return next;
}
