#include "network/RepeatedLines.h"

#include <algorithm>

const QString RepeatedLines::otherAddresses = QStringLiteral("other addresses");

RepeatedLines::RepeatedLines(qint64 quietMs, qint64 longestMs, int maxEpisodes)
    : m_quietMs(quietMs), m_longestMs(longestMs), m_maxEpisodes(maxEpisodes)
{
}

bool RepeatedLines::first(const QString &what, const QString &address, qint64 nowMs)
{
    auto byAddress = m_episodes.find(address);
    if (byAddress == m_episodes.end() && m_count >= m_maxEpisodes)
        byAddress = m_episodes.find(otherAddresses);
    if (byAddress != m_episodes.end()) {
        const auto episode = byAddress->find(what);
        if (episode != byAddress->end()) {
            ++episode->repeats;
            episode->lastMs = nowMs;
            return false;
        }
    }
    // A flood from ever new addresses is one episode once the table is full: its first line was written.
    const QString key = m_count >= m_maxEpisodes ? otherAddresses : address;
    m_episodes[key].insert(what, Episode{what, key, 0, nowMs, nowMs});
    ++m_count;
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
                --m_count;
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
    const QHash<QString, Episode> episodes = m_episodes.take(address);
    m_count -= episodes.size();
    return episodes.values();
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
