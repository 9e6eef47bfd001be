#pragma once

// How long the GUI thread keeps a caller from another thread waiting, whatever holds it: a thread of its own posts a
// probe event to the GUI thread a period after the previous one was handled and times how long each waited to be
// handled. An idle loop handles one within a fraction of a millisecond, so a wait is the time the loop was held. (A
// timer on the loop itself, bench::StallProbe, sees the same stalls from inside; this sees them as a click or a
// socket's data would, queued behind them.)

#include <QObject>

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

namespace shellbench {

class GuiWatcher : public QObject
{
public:
    struct Stall
    {
        double atS; // after start()
        double ms;
    };

    // Made on the GUI thread. Waits over noteMs are kept with their time as well.
    GuiWatcher(int periodMs, double noteMs);
    ~GuiWatcher() override;

    void start();
    // Joins the thread; a probe still waiting then counts as far as it went.
    void stop();

    const std::vector<double> &waitsMs() const { return m_waitsMs; }
    const std::vector<Stall> &stalls() const { return m_stalls; }
    // The longest wait; 0 when no probe was posted.
    double worstMs() const;

protected:
    void customEvent(QEvent *event) override;

private:
    void run();

    const int m_periodMs;
    const double m_noteMs;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<int64_t> m_handledNs{0};
    int64_t m_startNs = 0;
    std::vector<double> m_waitsMs;
    std::vector<Stall> m_stalls;
};

} // namespace shellbench
