#include "shell/base/Clock.h"

#include "platform/WallClockSetNotifier.h"
#include "shell/base/Log.h"

#include <QElapsedTimer>

Clock *Clock::system()
{
    static SystemClock *clock = new SystemClock;
    return clock;
}

namespace {

SystemClock::Readings systemReadings()
{
    // QElapsedTimer reads the monotonic clock that Qt's timers are armed on: however far the wall clock moves against
    // it is how far every timer armed from now() is off. (The boot-time clock would not do: it runs on through a
    // sleep, as the wall clock does, while the timers stand still.)
    return {[] { return QDateTime::currentMSecsSinceEpoch(); },
            [] {
                QElapsedTimer steady;
                steady.start();
                return steady.msecsSinceReference();
            }};
}

} // namespace

SystemClock::SystemClock(QObject *parent) : SystemClock(systemReadings(), parent)
{
    auto *notifier = new WallClockSetNotifier(this);
    connect(notifier, &WallClockSetNotifier::clockSet, this, &SystemClock::checkForJump);
}

SystemClock::SystemClock(Readings readings, QObject *parent)
    : Clock(parent), m_readings(std::move(readings)), m_steadyStart(m_readings.steadyMs()),
      m_offsetMs(m_readings.wallMs() - m_steadyStart)
{
    // Each compare reads both clocks together, so a late tick (a busy event loop) shows no part of its own.
    m_checkTimer.setInterval(CheckIntervalMs);
    connect(&m_checkTimer, &QTimer::timeout, this, &SystemClock::checkForJump);
    m_checkTimer.start();
}

QDateTime SystemClock::now() const
{
    return QDateTime::fromMSecsSinceEpoch(m_readings.wallMs());
}

qint64 SystemClock::elapsedMs() const
{
    return m_readings.steadyMs() - m_steadyStart;
}

void SystemClock::checkForJump()
{
    const qint64 steady = m_readings.steadyMs();
    const qint64 offset = m_readings.wallMs() - steady;
    const qint64 moved = offset - m_offsetMs;
    if (qAbs(moved) <= JumpMs)
        return;
    m_offsetMs = offset;
    writeLog(LOG_LEVEL_WARNING, "SystemClock: the wall clock moved %s ms against the elapsed time",
             QByteArray::number(moved).constData());
    emit jumped();
}

ManualClock::ManualClock(const QDateTime &start, QObject *parent) : Clock(parent), m_now(start)
{
}

void ManualClock::setNow(const QDateTime &now)
{
    m_elapsedMs += qMax<qint64>(0, m_now.msecsTo(now));
    m_now = now;
    emit jumped();
}

void ManualClock::advance(qint64 msecs)
{
    m_elapsedMs += qMax<qint64>(0, msecs);
    m_now = m_now.addMSecs(msecs);
    emit jumped();
}

void ManualClock::stepTo(const QDateTime &now)
{
    m_now = now;
    emit jumped();
}
