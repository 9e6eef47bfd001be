#include "shell/base/ScheduleTime.h"

#include <QRegularExpression>

namespace {

/// The earliest local instant whose wall clock reads `date` `time`; invalid when that wall time
/// does not exist (a spring-forward gap). Each UTC offset in force around the day is tried, so
/// both readings of a repeated hour are found.
QDateTime earliestInstant(const QDate &date, const QTime &time)
{
    const qint64 wallAsUtc = QDateTime(date, time, Qt::UTC).toMSecsSinceEpoch();
    QDateTime best;
    for (int day = -1; day <= 1; ++day) {
        const int offset = QDateTime(date.addDays(day), QTime(12, 0)).offsetFromUtc();
        const QDateTime candidate = QDateTime::fromMSecsSinceEpoch(wallAsUtc - qint64(offset) * 1000, Qt::LocalTime);
        if (candidate.date() == date && candidate.time() == time && (!best.isValid() || candidate < best))
            best = candidate;
    }
    return best;
}

} // namespace

bool ScheduleTime::parseTimeOfDay(const QString &text, QTime *time)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,2}):(\\d{1,2})$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return false;
    const int hour = match.captured(1).toInt();
    const int minute = match.captured(2).toInt();
    if (hour > 23 || minute > 59)
        return false;
    if (time)
        *time = QTime(hour, minute);
    return true;
}

QDateTime ScheduleTime::occurrence(const QDate &date, const QTime &time)
{
    if (!date.isValid() || !time.isValid())
        return QDateTime();
    const QDateTime exact = earliestInstant(date, time);
    if (exact.isValid())
        return exact;
    // Inside a gap: walk the wall clock on by minutes until it exists again. A day whose rest
    // is skipped altogether (it has happened, when a zone crossed the date line) yields nothing.
    const QTime start(time.hour(), time.minute());
    for (int minutes = 1; start.msecsSinceStartOfDay() + minutes * 60000 < 86400000; ++minutes) {
        const QDateTime later = earliestInstant(date, start.addSecs(minutes * 60));
        if (later.isValid())
            return later;
    }
    return QDateTime();
}

QDateTime ScheduleTime::instantOf(const QDate &date, const QString &text, QTime *time)
{
    return parseTimeOfDay(text, time) ? occurrence(date, *time) : QDateTime();
}

bool ScheduleTime::isDayOn(const QDate &date, bool mon, bool tue, bool wed, bool thu, bool fri, bool sat, bool sun)
{
    switch (date.dayOfWeek()) {
    case 1:
        return mon;
    case 2:
        return tue;
    case 3:
        return wed;
    case 4:
        return thu;
    case 5:
        return fri;
    case 6:
        return sat;
    case 7:
        return sun;
    default:
        return false;
    }
}

QDateTime ScheduleTime::nextReplan(const QDateTime &now)
{
    return occurrence(now.date().addDays(1), QTime(0, 0, 10));
}
