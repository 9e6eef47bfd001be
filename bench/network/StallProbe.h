#pragma once

// How long the GUI thread's event loop keeps an operator waiting. A precise 10 ms timer runs on the loop under test
// and records how late each of its turns comes: a loop busy for 2 s in one piece shows as one 2 s stall, however
// fast it is on average. Throughput figures hide exactly that, so every benchmark of the console's own loop reports
// the worst stall next to them.

#include <QElapsedTimer>
#include <QTimer>
#include <QVector>

namespace bench {

class StallProbe
{
public:
    static constexpr int kPeriodMs = 10;

    StallProbe();

    // Clears the samples and starts ticking on the calling thread's event loop.
    void start();
    void stop();

    // Lateness of the ticks in milliseconds: the largest, a quantile (0..1), and how many exceeded `limitMs`.
    double worstMs() const;
    double quantileMs(double q) const;
    int countOver(double limitMs) const;
    // Sum of the lateness over `limitMs` (the time the loop was stuck in stalls that long), in milliseconds.
    double stalledMs(double limitMs) const;
    int ticks() const { return m_lateUs.size(); }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_lastNs = -1;
    QVector<qint64> m_lateUs;
};

} // namespace bench
