#include "StallProbe.h"

#include <algorithm>

namespace bench {

StallProbe::StallProbe()
{
    m_timer.setInterval(kPeriodMs);
    // A coarse timer may fire up to 5 % early or late by design; that slack would read as stalls.
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
        const qint64 now = m_clock.nsecsElapsed();
        if (m_lastNs >= 0)
            m_lateUs.append(qMax<qint64>(0, now - m_lastNs - qint64(kPeriodMs) * 1000000) / 1000);
        m_lastNs = now;
    });
}

void StallProbe::start()
{
    m_lateUs.clear();
    m_lateUs.reserve(1 << 14);
    // The first turn is measured from here: a loop held from the first event on would otherwise show no stall.
    m_clock.start();
    m_lastNs = 0;
    m_timer.start();
}

void StallProbe::stop()
{
    m_timer.stop();
    // A stall still running when the probe stops would otherwise go unrecorded.
    if (m_lastNs >= 0) {
        const qint64 late = m_clock.nsecsElapsed() - m_lastNs - qint64(kPeriodMs) * 1000000;
        if (late > 0)
            m_lateUs.append(late / 1000);
    }
    m_lastNs = -1;
}

double StallProbe::worstMs() const
{
    return m_lateUs.isEmpty() ? 0 : *std::max_element(m_lateUs.begin(), m_lateUs.end()) / 1000.0;
}

double StallProbe::quantileMs(double q) const
{
    if (m_lateUs.isEmpty())
        return 0;
    QVector<qint64> sorted = m_lateUs;
    const int at = qBound(0, int(q * sorted.size()), sorted.size() - 1);
    std::nth_element(sorted.begin(), sorted.begin() + at, sorted.end());
    return sorted.at(at) / 1000.0;
}

int StallProbe::countOver(double limitMs) const
{
    return int(std::count_if(m_lateUs.begin(), m_lateUs.end(), [limitMs](qint64 us) { return us > limitMs * 1000; }));
}

double StallProbe::stalledMs(double limitMs) const
{
    double total = 0;
    for (qint64 us : m_lateUs) {
        if (us > limitMs * 1000)
            total += us / 1000.0;
    }
    return total;
}

} // namespace bench
