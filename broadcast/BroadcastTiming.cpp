#include "broadcast/BroadcastTiming.h"

#include "broadcast/BroadcastTask.h"

#include <QTime>

namespace BroadcastTiming {

bool repeats(const VelkBroadcast &b)
{
    return b.repeatSun || b.repeatMon || b.repeatTue || b.repeatWed || b.repeatThu || b.repeatFri || b.repeatSat;
}

bool repeatsOn(const VelkBroadcast &b, int dayOfWeek)
{
    switch (dayOfWeek) {
    case 1:
        return b.repeatMon;
    case 2:
        return b.repeatTue;
    case 3:
        return b.repeatWed;
    case 4:
        return b.repeatThu;
    case 5:
        return b.repeatFri;
    case 6:
        return b.repeatSat;
    case 7:
        return b.repeatSun;
    default:
        return false;
    }
}

bool sameSchedule(const VelkBroadcast &a, const VelkBroadcast &b)
{
    return a.isNow == b.isNow && a.startDate == b.startDate && a.time == b.time && a.repeatSun == b.repeatSun &&
           a.repeatMon == b.repeatMon && a.repeatTue == b.repeatTue && a.repeatWed == b.repeatWed &&
           a.repeatThu == b.repeatThu && a.repeatFri == b.repeatFri && a.repeatSat == b.repeatSat;
}

QDateTime storedStart(const VelkBroadcast &b)
{
    return QDateTime::fromString(b.startDate + QLatin1Char(' ') + b.time, QStringLiteral("yyyy-MM-dd hh:mm"));
}

QDateTime nextStartDateTime(const VelkBroadcast &b, const QDateTime &now)
{
    const QDateTime start = storedStart(b);
    if (!repeats(b) || !start.isValid())
        return start;
    QDate day;
    if (start.date() > now.date())
        day = start.date();
    else if (start.time() >= now.time())
        day = now.date();
    else
        day = now.date().addDays(1);
    for (int i = 0; i < 7; ++i, day = day.addDays(1)) {
        if (repeatsOn(b, day.dayOfWeek()))
            return QDateTime(day, start.time());
    }
    return QDateTime();
}

qint64 secondsUntilStart(const QDateTime &start, const QDateTime &now)
{
    const QTime from = now.time();
    const QTime to = start.time();
    return QTime(from.hour(), from.minute(), from.second()).secsTo(QTime(to.hour(), to.minute(), to.second()));
}

qint64 msecsToNextMidnight(const QDateTime &now)
{
    const QDateTime midnight(now.date().addDays(1), QTime(0, 0));
    return qMax<qint64>(1, now.msecsTo(midnight));
}

bool isStaleUpcoming(const VelkBroadcast &b, const QDateTime &now)
{
    if (b.isNow)
        return true;
    if (repeats(b))
        return false;
    const QDateTime start = storedStart(b);
    return start.isValid() && start < now;
}

QDateTime defaultScheduleMoment(const QDateTime &now)
{
    const QDateTime later = now.addSecs(3600);
    return QDateTime(later.date(), QTime(later.time().hour(), later.time().minute()));
}

bool isLater(const QDate &date, int hour, int minute, const QDateTime &now)
{
    return now.secsTo(QDateTime(date, QTime(hour, minute, 0, 0))) > 0;
}

QString timeText(int hour, int minute)
{
    return QStringLiteral("%1:%2").arg(hour, 2, 10, QLatin1Char('0')).arg(minute, 2, 10, QLatin1Char('0'));
}

} // namespace BroadcastTiming

bool broadcastTaskLessThan(const BroadcastTask &a, const BroadcastTask &b)
{
    if (a.broadcast.isNow != b.broadcast.isNow)
        return a.broadcast.isNow;
    // A start that does not read (a damaged row) sorts last; comparing it by seconds would make it equal to every
    // start and break the strict order the sort relies on.
    if (a.startDateTime.isValid() != b.startDateTime.isValid())
        return a.startDateTime.isValid();
    const qint64 s = a.startDateTime.secsTo(b.startDateTime);
    if (s != 0)
        return s > 0;
    return a.broadcast.bid < b.broadcast.bid;
}
