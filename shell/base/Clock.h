#pragma once

#include <QDateTime>
#include <QObject>

/// The wall-clock time source of everything that fires at a time of day: schedules, broadcasts,
/// OTA runs, reminders. Production code asks `Clock::system()`; tests hand a `ManualClock` to the
/// object under test and move it instead of sleeping.
///
/// A QTimer armed from `now()` runs on real time, so whoever arms one also listens to `jumped()`
/// and re-evaluates what is due: that is how a moved clock reaches code waiting on a timer.
class Clock : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    /// The local date and time.
    virtual QDateTime now() const = 0;

    /// The process-wide system clock; never destroyed.
    static Clock *system();

signals:
    /// The time moved other than by running on (a test moved it); re-arm timers from `now()`.
    void jumped();
};

/// The operating system's local time.
class SystemClock : public Clock
{
    Q_OBJECT
public:
    using Clock::Clock;
    QDateTime now() const override;
};

/// A clock that stands still until moved: for tests and benchmarks.
class ManualClock : public Clock
{
    Q_OBJECT
public:
    explicit ManualClock(const QDateTime &start, QObject *parent = nullptr);

    QDateTime now() const override { return m_now; }

    /// Sets the time and emits `jumped()`.
    void setNow(const QDateTime &now);

    /// Moves the time on by `msecs` (negative moves it back) and emits `jumped()`.
    void advance(qint64 msecs);

private:
    QDateTime m_now;
};
