#include "scheduling/DailyTaskRunner.h"

#include "shell/base/Clock.h"
#include "shell/base/ScheduleTime.h"

DailyTaskRunner::DailyTaskRunner(Clock *clock, QObject *parent)
    : QObject(parent), m_clock(clock), m_window(clock->now())
{
    m_runTimer.setSingleShot(true);
    m_runTimer.setTimerType(Qt::PreciseTimer);
    m_replanTimer.setSingleShot(true);
    m_replanTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_runTimer, &QTimer::timeout, this, &DailyTaskRunner::runPass);
    connect(&m_replanTimer, &QTimer::timeout, this, &DailyTaskRunner::onReplanTimer);
    connect(m_clock, &Clock::jumped, this, &DailyTaskRunner::onReplanTimer);
}

DailyTaskRunner::~DailyTaskRunner() = default;

void DailyTaskRunner::rebuild()
{
    m_runTimer.stop();
    const QDateTime now = m_clock->now();
    m_builtFor = now.date();
    build(m_builtFor);
    runPass();
}

void DailyTaskRunner::runPass()
{
    const QDateTime now = m_clock->now();
    const qint64 elapsed = m_clock->elapsedMs();
    m_window.observe(now);
    // A copy: firing a task may rebuild the list under us. The window is asked again for every
    // task, so a pass nested in a firing never fires a task twice.
    const QVector<Planned> tasks = planned();
    ++m_passDepth;
    for (const Planned &task : tasks) {
        const bool due = task.dueElapsedMs >= 0 ? !m_window.hasFired(task.key) && task.dueElapsedMs <= elapsed
                                                : m_window.isDue(task.key, task.due, now);
        if (!due)
            continue;
        m_window.markFired(task.key, task.dueElapsedMs >= 0 ? now : task.due);
        fire(task.key);
    }
    --m_passDepth;

    // Measured from the pass's own time, so a task that fell due while the others fired is
    // picked up by a pass right after this one.
    qint64 wait = -1;
    for (const Planned &task : planned()) {
        qint64 ms;
        if (task.dueElapsedMs >= 0) {
            if (m_window.hasFired(task.key))
                continue;
            ms = task.dueElapsedMs - m_clock->elapsedMs();
        } else if (m_window.isAhead(task.key, task.due, now)) {
            ms = m_clock->now().msecsTo(task.due);
        } else {
            continue;
        }
        if (wait < 0 || ms < wait)
            wait = qMax<qint64>(0, ms);
    }
    if (wait >= 0)
        m_runTimer.start(int(qMin<qint64>(wait, MaxTimerMs)));
    else
        m_runTimer.stop();
    if (m_passDepth == 0)
        passEnded();
}

void DailyTaskRunner::replan()
{
    const QDateTime now = m_clock->now();
    m_window.prune(now);
    rebuild();
    armReplanTimer(now);
}

void DailyTaskRunner::onReplanTimer()
{
    const QDateTime now = m_clock->now();
    if (!m_replanAt.isValid() || now >= m_replanAt || now.date() != m_builtFor) {
        replan();
        return;
    }
    runPass();
    armReplanTimer(now);
}

void DailyTaskRunner::armReplanTimer(const QDateTime &now)
{
    m_replanAt = ScheduleTime::nextReplan(now);
    const qint64 remaining = m_replanAt.isValid() ? now.msecsTo(m_replanAt) : MaxTimerMs;
    m_replanTimer.start(int(qBound<qint64>(1000, remaining, MaxTimerMs)));
}
