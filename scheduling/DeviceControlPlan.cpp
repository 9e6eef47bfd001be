#include "scheduling/DeviceControlPlan.h"

#include <algorithm>

#include "datastore/DbResult.h"
#include "datastore/OrvantaDBIntf.h"
#include "shell/base/Log.h"
#include "shell/base/ScheduleTime.h"

QList<ScheduleTask> DeviceControlPlan::buildDay(OrvantaDBIntf *db, const QDate &date)
{
    QList<ScheduleTask> tasks;
    QList<VelkSchedule> schedules;
    if (db->queryAllSchedule(schedules) != DB_OK)
        writeLog(LOG_LEVEL_ERROR, "DeviceControlPlan::buildDay, queryAllSchedule error");

    for (const VelkSchedule &schedule : qAsConst(schedules)) {
        if (!schedule.isEnable ||
            !ScheduleTime::isDayOn(date, schedule.isMon, schedule.isTue, schedule.isWed, schedule.isThu, schedule.isFri,
                                   schedule.isSat, schedule.isSun))
            continue;
        const struct
        {
            int action;
            bool chosen;
            const QString &text;
        } requests[] = {{ScheduleReboot, schedule.isReboot, schedule.rebootTime},
                        {SchedulePowerOn, schedule.isPowerOn, schedule.onTime},
                        {SchedulePowerOff, schedule.isPowerOff, schedule.offTime}};

        QList<VelkIFPDevice> devices;
        bool devicesRead = false;
        for (const auto &request : requests) {
            if (!request.chosen || request.text.isEmpty())
                continue;
            QTime time;
            const QDateTime at = ScheduleTime::instantOf(date, request.text, &time);
            if (!at.isValid()) {
                writeLog(LOG_LEVEL_WARNING, "DeviceControlPlan::buildDay, schedule %u: time \"%s\" cannot be read",
                         schedule.sid, request.text.toLocal8Bit().constData());
                continue;
            }
            if (!devicesRead) {
                devicesRead = true;
                if (db->queryAllDeviceBySchedule(schedule, devices) != DB_OK)
                    writeLog(LOG_LEVEL_ERROR, "DeviceControlPlan::buildDay, queryAllDeviceBySchedule error, sid %u",
                             schedule.sid);
            }
            ScheduleTask task;
            task.devices = devices;
            task.action = request.action;
            task.time = at;
            task.sid = schedule.sid;
            task.key = taskKey(schedule.sid, request.action, date, time);
            tasks.append(task);
        }
    }
    // A strict order: tasks of one instant are equal, and stable_sort keeps them as built.
    std::stable_sort(tasks.begin(), tasks.end(),
                     [](const ScheduleTask &a, const ScheduleTask &b) { return a.time < b.time; });
    return tasks;
}

QString DeviceControlPlan::taskKey(quint32 sid, int action, const QDate &date, const QTime &time)
{
    return QStringLiteral("%1/%2/%3 %4")
        .arg(sid)
        .arg(action)
        .arg(date.toString(Qt::ISODate), time.toString(QStringLiteral("hh:mm")));
}
