#include "firmware/OtaScheduleRules.h"

#include "datastore/UpdateStatus.h"

#include <QCoreApplication>
#include <QTime>

OtaScheduleRules::Notice OtaScheduleRules::check(const Request &request, quint32 runningScheduleId, bool otaRunning,
                                                 const QDateTime &now)
{
    if (request.editingScheduleId != 0 && request.editingScheduleId == runningScheduleId)
        return EditingRunningSchedule;
    if (request.updateNow)
        return otaRunning ? UpdateNowDuringRun : Accepted;
    // Wall-clock texts are compared, as the runner reads them: a time inside a daylight-saving gap is no valid
    // QDateTime, but it is still a start the runner will take.
    const QDateTime earliest = earliestStart(now);
    const QDate date = request.date;
    const QTime time(request.hour, request.minute);
    if (!date.isValid() || !time.isValid())
        return StartPassed;
    if (date < earliest.date() || (date == earliest.date() && time < earliest.time()))
        return StartPassed;
    return Accepted;
}

QDateTime OtaScheduleRules::earliestStart(const QDateTime &now)
{
    const QTime minute(now.time().hour(), now.time().minute());
    return QDateTime(now.date(), minute).addSecs(60);
}

void OtaScheduleRules::stamp(const Request &request, const QDateTime &now, VelkOtaSchedule &schedule)
{
    if (request.updateNow) {
        schedule.date = now.date().toString(QStringLiteral("yyyy-MM-dd"));
        schedule.time = now.time().toString(QStringLiteral("hh:mm"));
    } else {
        schedule.date = request.date.toString(QStringLiteral("yyyy-MM-dd"));
        schedule.time = QTime(request.hour, request.minute).toString(QStringLiteral("hh:mm"));
    }
    schedule.status = UPDATE_NOT_STARTED;
    schedule.isEnable = true;
    schedule.osid = request.editingScheduleId;
}

QString OtaScheduleRules::message(Notice notice)
{
    switch (notice) {
    case EditingRunningSchedule:
        return QCoreApplication::translate("OtaScheduleSetting", "Can not edit this schedule.");
    case UpdateNowDuringRun:
        return QCoreApplication::translate("OtaScheduleSetting",
                                           "Can not update now, there is already a firmware update executing.");
    case StartPassed:
        return QCoreApplication::translate("OtaScheduleSetting",
                                           "The start time has passed. Please choose a later time.");
    case SaveFailed:
        return QCoreApplication::translate("OtaScheduleSetting", "The schedule could not be saved.");
    case SaveRefusedForNow:
        return QCoreApplication::translate("OtaScheduleSetting",
                                           "The schedule could not be saved: the database cannot be written at the "
                                           "moment (another program may be using it). Please try again later.");
    case SaveDiskFull:
        return QCoreApplication::translate("OtaScheduleSetting", "The schedule could not be saved: the disk is full.");
    case ConfirmSave:
        return QCoreApplication::translate(
            "OtaScheduleSetting",
            "Make sure all panels be connected via ethernet cable in order to remote control to power on.");
    case Accepted:
        break;
    }
    return QString();
}

QString OtaScheduleRules::buttonText(Notice notice)
{
    return notice == ConfirmSave ? QCoreApplication::translate("OtaScheduleSetting", "Save")
                                 : QCoreApplication::translate("OtaScheduleSetting", "OK");
}
