#include "shell/base/Clock.h"

Clock *Clock::system()
{
    static SystemClock *clock = new SystemClock;
    return clock;
}

SystemClock::SystemClock(QObject *parent) : Clock(parent)
{
    m_elapsed.start();
}

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTime();
}

qint64 SystemClock::elapsedMs() const
{
    return m_elapsed.elapsed();
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
