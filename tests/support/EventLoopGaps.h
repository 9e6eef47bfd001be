#pragma once

#include <QElapsedTimer>
#include <QTimer>

// The turns of the event loop of the thread it lives on, between start() and stop(), as a timer of `intervalMs` sees
// them: the longest gap between two, and the gaps of `stallMs` or more (a wait of the thread), counted, with those
// that came right after another.
class EventLoopGaps
{
public:
    EventLoopGaps(int intervalMs, qint64 stallMs)
    {
        m_ticks.setInterval(intervalMs);
        QObject::connect(&m_ticks, &QTimer::timeout, [this, stallMs] {
            const qint64 gap = m_gap.restart();
            m_longest = qMax(m_longest, gap);
            const bool stalled = gap >= stallMs;
            m_stalls += stalled ? 1 : 0;
            m_inARow += stalled && m_lastStalled ? 1 : 0;
            m_lastStalled = stalled;
        });
    }
    EventLoopGaps(const EventLoopGaps &) = delete;
    EventLoopGaps &operator=(const EventLoopGaps &) = delete;

    void start()
    {
        m_gap.start();
        m_ticks.start();
    }
    void stop() { m_ticks.stop(); }

    qint64 longest() const { return m_longest; }
    int stalls() const { return m_stalls; }
    // Stalls that came right after another.
    int stallsInARow() const { return m_inARow; }

private:
    QTimer m_ticks;
    QElapsedTimer m_gap;
    qint64 m_longest = 0;
    bool m_lastStalled = false;
    int m_stalls = 0;
    int m_inARow = 0;
};
