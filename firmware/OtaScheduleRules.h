#pragma once

#include "datastore/VelkOtaSchedule.h"

#include <QDate>
#include <QDateTime>
#include <QString>

/// What the OTA schedule page may save, decided from the update manager's state and the clock, and how the saved
/// record is dated. The page asks when "Add A Schedule" is pressed and again when the confirmation is accepted, so
/// a run that started, or a minute that passed, while the confirmation was open still counts.
class OtaScheduleRules
{
public:
    /// The notices of the page, refusals first.
    enum Notice
    {
        Accepted = 0,
        EditingRunningSchedule, ///< the schedule being edited is the one the manager runs
        UpdateNowDuringRun,     ///< "Update Now" while a run or the check before it is under way
        StartPassed,            ///< a start before the next full minute
        SaveFailed,             ///< the data store refused the schedule
        SaveRefusedForNow,      ///< the database cannot be written at the moment (another program holds it)
        SaveDiskFull,           ///< the disk is full
        ConfirmSave             ///< the last question before saving
    };

    struct Request
    {
        quint32 editingScheduleId = 0; ///< 0 for a new schedule
        bool updateNow = false;
        QDate date; ///< the chosen start (ignored for "Update Now")
        int hour = 0;
        int minute = 0;
    };

    /// The first refusal that applies, or Accepted. `runningScheduleId` is the manager's current schedule id
    /// (0xFFFFFFFF when none runs); `otaRunning` whether a run or its check is under way.
    static Notice check(const Request &request, quint32 runningScheduleId, bool otaRunning, const QDateTime &now);

    /// The earliest start a new or edited schedule may have: the next full minute. A start in the current minute
    /// is already due and would run at once or be taken for missed.
    static QDateTime earliestStart(const QDateTime &now);

    /// Date ("yyyy-MM-dd"), time ("hh:mm"), status 1, enabled and id as the page saves them: the chosen start, or
    /// now to the minute for "Update Now".
    static void stamp(const Request &request, const QDateTime &now, VelkOtaSchedule &schedule);

    /// The notice's message, translated.
    static QString message(Notice notice);
    /// The notice's button: "Save" for the confirmation, "OK" otherwise.
    static QString buttonText(Notice notice);
};
