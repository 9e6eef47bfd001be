#include "scheduling/DeviceControlRunner.h"

#include <algorithm>

#include "datastore/DbResult.h"
#include "datastore/OrvantaDBIntf.h"
#include "network/CmdServer.h"
#include "shell/base/Log.h"

DeviceControlRunner::DeviceControlRunner(OrvantaDBIntf *db, CmdServer *server, Clock *clock, QObject *parent)
    : DailyTaskRunner(clock, parent), m_db(db), m_server(server), m_reread(db->heldWrites())
{
    qRegisterMetaType<ScheduleTask>();
    connect(&m_reread, &DbReadRetry::retry, this, &DeviceControlRunner::retryRefused);
}

DeviceControlRunner::~DeviceControlRunner() = default;

void DeviceControlRunner::setRetryIntervalMs(int first, int longest)
{
    m_reread.setIntervalMs(first, longest);
}

void DeviceControlRunner::build(const QDate &today)
{
    m_day = today;
    m_tasks = DeviceControlPlan::buildDay(m_db, today, m_known);
    if (m_known.refused)
        m_reread.later();
}

QVector<DailyTaskRunner::Planned> DeviceControlRunner::planned() const
{
    QVector<Planned> list;
    list.reserve(m_tasks.size());
    for (const ScheduleTask &task : m_tasks)
        list.append({task.key, task.time});
    return list;
}

void DeviceControlRunner::fire(const QString &key)
{
    for (const ScheduleTask &found : qAsConst(m_tasks)) {
        if (found.key != key)
            continue;
        if (found.devicesKnown) {
            send(found);
            return;
        }
        // Sent to no panel, it would be lost for the day; sent later, it still does what the operator planned.
        writeLog(LOG_LEVEL_WARNING,
                 "DeviceControlRunner, the devices of schedule %u cannot be read for now; its task is sent once they "
                 "can",
                 found.sid);
        m_waiting.append({found, m_day});
        m_reread.later();
        return;
    }
}

void DeviceControlRunner::send(const ScheduleTask &task)
{
    switch (task.action) {
    case ScheduleReboot:
        m_server->reboot(task.devices);
        writeLog(LOG_LEVEL_INFO, "run reboot, schedule %u, %d devices", task.sid, int(task.devices.size()));
        break;
    case SchedulePowerOn:
        m_server->powerOn(task.devices);
        writeLog(LOG_LEVEL_INFO, "run poweron, schedule %u, %d devices", task.sid, int(task.devices.size()));
        break;
    case SchedulePowerOff:
        m_server->powerOff(task.devices);
        writeLog(LOG_LEVEL_INFO, "run poweroff, schedule %u, %d devices", task.sid, int(task.devices.size()));
        break;
    default:
        return;
    }
    emit taskFired(task);
}

void DeviceControlRunner::retryRefused()
{
    // Sends what fell due meanwhile with the panels read now; what fired already does not fire again.
    rebuild();
    if (m_known.refused)
        return;
    const QList<Waiting> waiting = m_waiting;
    m_waiting.clear();
    for (int i = 0; i < waiting.size(); ++i) {
        const Waiting &due = waiting.at(i);
        // It is sent as its schedule plans it now: a schedule disabled, deleted or moved meanwhile sends nothing.
        const auto schedule = std::find_if(m_known.schedules.cbegin(), m_known.schedules.cend(),
                                           [&due](const VelkSchedule &stored) { return stored.sid == due.task.sid; });
        const QList<ScheduleTask> planned = schedule != m_known.schedules.cend()
                                                ? DeviceControlPlan::tasksOf(*schedule, due.day)
                                                : QList<ScheduleTask>();
        if (std::none_of(planned.cbegin(), planned.cend(),
                         [&due](const ScheduleTask &task) { return task.key == due.task.key; })) {
            writeLog(LOG_LEVEL_INFO,
                     "DeviceControlRunner, schedule %u changed while its devices could not be read; its task is not "
                     "sent",
                     due.task.sid);
            continue;
        }
        ScheduleTask task = due.task;
        task.devices.clear();
        // The rebuild has just read the panels of every schedule planned today; only an earlier day's needs a read.
        const auto readToday = due.day == m_day ? m_known.devices.constFind(task.sid) : m_known.devices.constEnd();
        if (readToday != m_known.devices.constEnd()) {
            task.devices = *readToday;
            task.devicesKnown = true;
            send(task);
            continue;
        }
        const quint32 rc = m_db->queryAllDeviceBySchedule(*schedule, task.devices);
        if (rc != DB_OK && m_db->refusedForNow()) {
            // Refused again: this one and the rest wait for the next try.
            m_waiting = waiting.mid(i);
            m_reread.later();
            return;
        }
        if (rc != DB_OK) {
            writeLog(LOG_LEVEL_ERROR,
                     "DeviceControlRunner, queryAllDeviceBySchedule error, sid %u; its task is not sent", task.sid);
            continue;
        }
        m_known.devices.insert(task.sid, task.devices);
        task.devicesKnown = true;
        send(task);
    }
    m_reread.done();
}
