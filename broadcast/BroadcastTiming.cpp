#include "broadcast/BroadcastTiming.h"

#include "broadcast/BroadcastTask.h"
#include "shell/base/ScheduleTime.h"

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

QDateTime storedStart(const VelkBroadcast &b)
{
    QTime time;
    return ScheduleTime::instantOf(QDate::fromString(b.startDate, QStringLiteral("yyyy-MM-dd")), b.time, &time);
}

QDateTime nextStartDateTime(const VelkBroadcast &b, const QDateTime &now)
{
    const QDateTime start = storedStart(b);
    if (!repeats(b) || !start.isValid())
        return start;
    // Each day's start is that day's own instant, compared with now as an instant: a day whose time falls in a
    // skipped hour starts just after it, a repeated hour counts once, and a day without a start is passed over.
    QTime time;
    ScheduleTime::parseTimeOfDay(b.time, &time);
    QDate day = qMax(start.date(), now.date());
    for (int i = 0; i < 14; ++i, day = day.addDays(1)) {
        if (!repeatsOn(b, day.dayOfWeek()))
            continue;
        const QDateTime candidate = ScheduleTime::occurrence(day, time);
        if (candidate.isValid() && candidate >= now)
            return candidate;
    }
    return QDateTime();
}

qint64 secondsUntilStart(const QDateTime &start, const QDateTime &now)
{
    // Real seconds, not the difference of the two times of day, which is an hour off on a daylight-saving day.
    return start.toMSecsSinceEpoch() / 1000 - now.toMSecsSinceEpoch() / 1000;
}

qint64 msecsToNextMidnight(const QDateTime &now)
{
    const QDateTime midnight = ScheduleTime::occurrence(now.date().addDays(1), QTime(0, 0));
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
    // The instant the timing will run it at, not Qt's reading of the wall time: that is invalid in a skipped hour
    // (and every time in it refused), and the second of the two in a repeated hour (a passed first one accepted and
    // then sent at once).
    const QDateTime chosen = ScheduleTime::occurrence(date, QTime(hour, minute, 0, 0));
    return chosen.isValid() && now.secsTo(chosen) > 0;
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
