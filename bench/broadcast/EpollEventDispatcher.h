#pragma once

// A trial of the polling cost, for measurement only: an event dispatcher for a QCoreApplication thread that waits on
// epoll instead of Qt's ppoll over every socket notifier at each turn of the loop. Socket notifiers, timers (all
// treated as precise, to the millisecond), posted events, wake-ups and interrupts; no window-system events, so the
// console (a QApplication) cannot use it as it stands. bench_broadcast --dispatcher epoll runs the console side on it.

#include <QAbstractEventDispatcher>
#include <QHash>

#include <map>

class QSocketNotifier;

class EpollEventDispatcher : public QAbstractEventDispatcher
{
public:
    explicit EpollEventDispatcher(QObject *parent = nullptr);
    ~EpollEventDispatcher() override;

    bool processEvents(QEventLoop::ProcessEventsFlags flags) override;
    bool hasPendingEvents() override;

    void registerSocketNotifier(QSocketNotifier *notifier) override;
    void unregisterSocketNotifier(QSocketNotifier *notifier) override;

    void registerTimer(int timerId, int interval, Qt::TimerType timerType, QObject *object) override;
    bool unregisterTimer(int timerId) override;
    bool unregisterTimers(QObject *object) override;
    QList<TimerInfo> registeredTimers(QObject *object) const override;
    int remainingTime(int timerId) override;

    void wakeUp() override;
    void interrupt() override;
    void flush() override;

private:
    struct Notifiers
    {
        QSocketNotifier *read = nullptr;
        QSocketNotifier *write = nullptr;
        QSocketNotifier *exception = nullptr;
    };
    struct Timer
    {
        int interval;
        Qt::TimerType type;
        QObject *object;
        qint64 due; // ms of the monotonic clock
        std::multimap<qint64, int>::iterator position;
    };

    void update(int fd);
    int activateTimers();
    static qint64 nowMs();

    int m_epoll;
    int m_wake;
    QHash<int, Notifiers> m_notifiers;
    QHash<int, Timer> m_timers;
    std::multimap<qint64, int> m_byDue;
    QAtomicInt m_interrupted{0};
};
