#include "scheduling/DeviceControlRunner.h"

#include "network/CmdServer.h"
#include "scheduling/DeviceControlPlan.h"
#include "shell/base/Log.h"

DeviceControlRunner::DeviceControlRunner(OrvantaDBIntf *db, CmdServer *server, Clock *clock, QObject *parent)
    : DailyTaskRunner(clock, parent), m_db(db), m_server(server)
{
    qRegisterMetaType<ScheduleTask>();
}

DeviceControlRunner::~DeviceControlRunner() = default;

void DeviceControlRunner::build(const QDate &today)
{
    m_tasks = DeviceControlPlan::buildDay(m_db, today);
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
        const ScheduleTask task = found;
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
        return;
    }
}
