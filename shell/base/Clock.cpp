#include "shell/base/Clock.h"

Clock *Clock::system()
{
    static SystemClock *clock = new SystemClock;
    return clock;
}

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTime();
}

ManualClock::ManualClock(const QDateTime &start, QObject *parent) : Clock(parent), m_now(start)
{
}

void ManualClock::setNow(const QDateTime &now)
{
    m_now = now;
    emit jumped();
}

void ManualClock::advance(qint64 msecs)
{
    m_now = m_now.addMSecs(msecs);
    emit jumped();
}
