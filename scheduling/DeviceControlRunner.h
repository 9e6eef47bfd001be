#pragma once

#include <QList>

#include "scheduling/DailyTaskRunner.h"
#include "scheduling/ScheduleTask.h"

class CmdServer;
class OrvantaDBIntf;

/// Fires the weekly device-control schedules: today's reboot, power-on and power-off tasks go to
/// the command server at their time (see DailyTaskRunner for when).
class DeviceControlRunner : public DailyTaskRunner
{
    Q_OBJECT

public:
    DeviceControlRunner(OrvantaDBIntf *db, CmdServer *server, Clock *clock, QObject *parent = nullptr);
    ~DeviceControlRunner() override;

    const QList<ScheduleTask> &tasks() const { return m_tasks; }

signals:
    void taskFired(const ScheduleTask &task);

protected:
    void build(const QDate &today) override;
    QVector<Planned> planned() const override;
    void fire(const QString &key) override;

private:
    OrvantaDBIntf *m_db;
    CmdServer *m_server;
    QList<ScheduleTask> m_tasks;
};
