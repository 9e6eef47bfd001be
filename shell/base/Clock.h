#pragma once

#include <QDateTime>
#include <QObject>
#include <QTimer>

#include <functional>

/// The wall-clock time source of everything that fires at a time of day: schedules, broadcasts,
/// OTA runs, reminders. Production code asks `Clock::system()`; tests hand a `ManualClock` to the
/// object under test and move it instead of sleeping.
///
/// A QTimer armed from `now()` runs on real time, so whoever arms one also listens to `jumped()`
/// and re-evaluates what is due: that is how a moved clock reaches code waiting on a timer.
///
/// What must follow something else by a span of time (a check 90 s after its power-on) counts
/// on `elapsedMs()`, which only runs on: setting the wall clock back or forward does not move it.
class Clock : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    /// The local date and time.
    virtual QDateTime now() const = 0;

    /// Milliseconds run since an arbitrary start; never goes back and ignores wall-clock steps.
    virtual qint64 elapsedMs() const = 0;

    /// How far elapsedMs() has been moved in all, other than by running on with the steady clock Qt's timers run on.
    /// While it stays the same, a QTimer armed for a deadline on elapsedMs() is still right after jumped(): only the
    /// wall clock moved. The system clock's elapsed reading is that steady clock, so for it this never changes.
    virtual qint64 elapsedMovedMs() const { return 0; }

    /// The process-wide system clock; never destroyed.
    static Clock *system();

signals:
    /// The time moved other than by running on (set, woken from sleep, or a test moved it); re-arm timers from
    /// `now()` and `elapsedMs()`.
    void jumped();
};

/// The operating system's local time, which can move other than by running on: the operator or a time sync sets it,
/// and a PC waking from sleep finds it hours on while Qt's timers, on the steady clock that stands still asleep, have
/// not moved. Whenever the wall clock and the steady clock part by more than JumpMs it emits jumped(); it compares
/// them every CheckIntervalMs, and at once when the system says the wall clock was set.
///
/// Create it after the application object: it arms a timer of its own.
class SystemClock : public Clock
{
    Q_OBJECT
public:
    /// How far the two clocks may part before it counts as a jump: more than a time sync's slew or a compare's own
    /// delay, less than any schedule minds.
    static constexpr qint64 JumpMs = 2000;
    static constexpr int CheckIntervalMs = 1000;

    /// Where the time is read; tests feed their own.
    struct Readings
    {
        /// The wall clock: milliseconds since 1970-01-01 UTC.
        std::function<qint64()> wallMs;
        /// The clock Qt's timers run on: never set, stands still while the PC sleeps.
        std::function<qint64()> steadyMs;
    };

    /// The system's clocks, with the system's notice of a set wall clock where there is one.
    explicit SystemClock(QObject *parent = nullptr);
    /// Those readings, compared on the timer alone.
    explicit SystemClock(Readings readings, QObject *parent = nullptr);

    QDateTime now() const override;
    qint64 elapsedMs() const override;

    /// Compares the two clocks and emits jumped() when they parted by more than JumpMs since the last jump (or
    /// since construction).
    void checkForJump();

private:
    Readings m_readings;
    qint64 m_steadyStart;
    /// Wall minus steady when the two were last known to agree.
    qint64 m_offsetMs;
    QTimer m_checkTimer;
};

/// A clock that stands still until moved: for tests and benchmarks. Moving it forward lets the
/// elapsed reading run on by as much, as time passing does; moving it back, or `stepTo`, moves the
/// wall time alone, as an operator or a time sync setting the clock does.
class ManualClock : public Clock
{
    Q_OBJECT
public:
    explicit ManualClock(const QDateTime &start, QObject *parent = nullptr);

    QDateTime now() const override { return m_now; }
    qint64 elapsedMs() const override { return m_elapsedMs; }
    /// The elapsed reading stands still between moves, so every change of it is one.
    qint64 elapsedMovedMs() const override { return m_elapsedMs; }

    /// Sets the time (a move forward runs the elapsed reading on by as much) and emits `jumped()`.
    void setNow(const QDateTime &now);

    /// Moves the time on by `msecs`, elapsed reading included (negative moves the wall time back alone), and
    /// emits `jumped()`.
    void advance(qint64 msecs);

    /// Sets the wall time without any time passing (the elapsed reading stays) and emits `jumped()`.
    void stepTo(const QDateTime &now);

private:
    QDateTime m_now;
    qint64 m_elapsedMs = 0;
};
