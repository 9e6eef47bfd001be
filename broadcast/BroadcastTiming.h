#pragma once

#include "datastore/VelkBroadcast.h"

#include <QDateTime>

/// The calendar arithmetic of broadcasts: when a broadcast runs next, when it is due, when the day ends. Pure: the
/// caller passes the current time.
namespace BroadcastTiming {

/// True when at least one weekday repeat flag is set.
bool repeats(const VelkBroadcast &broadcast);
/// The repeat flag of a weekday as QDate::dayOfWeek numbers it (1 Monday ... 7 Sunday).
bool repeatsOn(const VelkBroadcast &broadcast, int dayOfWeek);
/// The stored date and time ("yyyy-MM-dd" and "hh:mm") as a moment; invalid when either does not read. A time that
/// the clocks skip on that day (spring forward) is the first minute after the gap; one they show twice is the first.
QDateTime storedStart(const VelkBroadcast &broadcast);
/// The next start: the stored moment for a one-off (also when past); for a repeating broadcast the first flagged
/// weekday on or after its start date whose start (read as storedStart reads it) is not before now.
QDateTime nextStartDateTime(const VelkBroadcast &broadcast, const QDateTime &now);
/// Whole real seconds from now to the start, both without their milliseconds; zero or less is due.
qint64 secondsUntilStart(const QDateTime &start, const QDateTime &now);
/// Milliseconds from now to the next midnight, at least 1, so a timer armed in the day's last second ends past
/// midnight instead of re-arming at 0 ms until the date turns.
qint64 msecsToNextMidnight(const QDateTime &now);
/// An upcoming broadcast that start-up moves back to pending: immediate, or a one-off whose start minute has begun.
bool isStaleUpcoming(const VelkBroadcast &broadcast, const QDateTime &now);

/// What "Schedule" proposes on a fresh editor: an hour from now, to the minute (from 23:00 on, tomorrow).
QDateTime defaultScheduleMoment(const QDateTime &now);
/// True when the chosen minute, read as storedStart reads it (a skipped time is the first minute after the gap, a
/// repeated one its first occurrence), lies after now; a start in the current minute, or earlier, is refused.
bool isLater(const QDate &date, int hour, int minute, const QDateTime &now);
/// "hh:mm", two digits each.
QString timeText(int hour, int minute);

} // namespace BroadcastTiming
