#pragma once

#include <QDate>
#include <QDateTime>
#include <QObject>
#include <QTimer>
#include <QVector>

#include "scheduling/TaskWindow.h"

class Clock;

/// The timing shared by the device-control and the auto-test runners: today's task list is
/// built from the database, a pass fires what is due, a run timer wakes the next pass and a
/// re-plan builds the next day's list at 00:00:10.
///
/// Both timers are precise and armed at most 60 s ahead, then re-planned on expiry, so a clock
/// step or a new day is noticed within a minute and no interval overflows. A moved test clock
/// (Clock::jumped) runs a pass at once. Which tasks fire is TaskWindow's call, except for those due
/// at an elapsed reading, which fire when it is reached.
class DailyTaskRunner : public QObject
{
    Q_OBJECT

public:
    static constexpr int MaxTimerMs = 60000;

    DailyTaskRunner(Clock *clock, QObject *parent);
    ~DailyTaskRunner() override;

    /// Builds today's list again and runs a pass.
    void rebuild();
    /// Fires the tasks that are due and arms the run timer for the next one.
    void runPass();
    /// Builds today's list and arms the re-plan for 00:00:10 of the next day.
    void replan();

    Clock *clock() const { return m_clock; }
    bool isRunTimerActive() const { return m_runTimer.isActive(); }
    int runTimerInterval() const { return m_runTimer.interval(); }

protected:
    struct Planned
    {
        QString key;
        QDateTime due;
        /// Set (0 or more) for a task that follows another by a span of time (the check that ends a run under
        /// way): it fires once Clock::elapsedMs() reaches this reading, however late and whatever the wall clock
        /// did meanwhile. Otherwise the task fires at `due` by TaskWindow's catch-up rule.
        qint64 dueElapsedMs = -1;
    };

    /// Replaces the task list with the one of `today`.
    virtual void build(const QDate &today) = 0;
    /// The keys and instants of the tasks, in firing order.
    virtual QVector<Planned> planned() const = 0;
    /// Carries out the task with that key (it may rebuild the list).
    virtual void fire(const QString &key) = 0;
    /// Called once a pass has ended, a pass run from within a firing counting as part of the one that fired: what
    /// the tasks of one pass changed is told once, not once per task.
    virtual void passEnded() {}

private:
    void onReplanTimer();
    void armReplanTimer(const QDateTime &now);

    Clock *m_clock;
    TaskWindow m_window;
    QTimer m_runTimer;
    QTimer m_replanTimer;
    QDate m_builtFor;
    QDateTime m_replanAt;
    int m_passDepth = 0;
};
