#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

/// Wall-clock arithmetic of the weekly schedules and the broadcasts, free of timers and widgets.
///
/// Both store a time of day and are fired in local time. Every day's instant is built from
/// that day's date, never by adding seconds to last week's instant (which drifts by an hour
/// across a daylight-saving change). Qt leaves two cases open that this class settles:
/// - a time inside a spring-forward gap (02:30 when 02:00 jumps to 03:00) is an invalid
///   QDateTime, whose arithmetic silently reads it as UTC; it fires at the first valid minute
///   after the gap instead;
/// - a time that occurs twice (autumn) is taken at its first occurrence, where Qt would pick the
///   second.
class ScheduleTime
{
public:
    /// Reads a stored time of day: hour and minute of one or two digits each, joined by ":"
    /// ("07:05", also "7:5" as older records may hold it). Anything else, or a value out of
    /// 0..23 / 0..59, is refused.
    static bool parseTimeOfDay(const QString &text, QTime *time);

    /// The local instant at which `time` falls on `date`, by the rules above; an invalid
    /// QDateTime for an invalid date or time.
    static QDateTime occurrence(const QDate &date, const QTime &time);

    /// parseTimeOfDay then occurrence: the instant a stored time stands for on the date, invalid
    /// when the text cannot be read; the time read goes to *time.
    static QDateTime instantOf(const QDate &date, const QString &text, QTime *time);

    /// The date's weekday flag among seven (Monday first), as the records hold them.
    static bool isDayOn(const QDate &date, bool mon, bool tue, bool wed, bool thu, bool fri, bool sat, bool sun);

    /// When the daily lists are built again: 00:00:10 of the day after `now`.
    static QDateTime nextReplan(const QDateTime &now);
};
