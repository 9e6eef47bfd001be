#pragma once

#include <QList>

#include "datastore/DbReadRetry.h"
#include "scheduling/DailyTaskRunner.h"
#include "scheduling/DeviceControlPlan.h"
#include "scheduling/ScheduleTask.h"

class CmdServer;
class OrvantaDBIntf;

/// Fires the weekly device-control schedules: today's reboot, power-on and power-off tasks go to
/// the command server at their time (see DailyTaskRunner for when).
///
/// A read the database refuses for a while (another program holds it exclusively, as a VACUUM or an SQLite browser
/// saving a large change does) is "not known yet": the list is planned from the schedules and panels read before
/// (DeviceControlPlan::Known) and read again after a pause (DbReadRetry), so a filter, an Enable change or the new
/// day's plan made during a hold keeps the day's tasks. A task whose panels were never read waits for them and is sent
/// once, late, when they can be read, unless its schedule no longer plans it by then (disabled, deleted, moved).
class DeviceControlRunner : public DailyTaskRunner
{
    Q_OBJECT

public:
    DeviceControlRunner(OrvantaDBIntf *db, CmdServer *server, Clock *clock, QObject *parent = nullptr);
    ~DeviceControlRunner() override;

    const QList<ScheduleTask> &tasks() const { return m_tasks; }
    /// Tasks due whose panels could not be read yet, waiting for the database.
    int waitingCount() const { return m_waiting.size(); }
    /// How long the runner waits before it reads again what the database refused for now: first, and at most as the
    /// waits double (DbReadRetry's; tests shorten them).
    void setRetryIntervalMs(int first, int longest);

signals:
    void taskFired(const ScheduleTask &task);

protected:
    void build(const QDate &today) override;
    QVector<Planned> planned() const override;
    void fire(const QString &key) override;

private:
    void send(const ScheduleTask &task);
    /// Builds the list again from the database and sends the waiting tasks whose panels it can read now.
    void retryRefused();

    OrvantaDBIntf *m_db;
    CmdServer *m_server;
    QList<ScheduleTask> m_tasks;
    DeviceControlPlan::Known m_known;
    /// The date the list was built for.
    QDate m_day;
    /// A task that fell due without its panels, with the date of the list it came from.
    struct Waiting
    {
        ScheduleTask task;
        QDate day;
    };
    /// In the order they fell due.
    QList<Waiting> m_waiting;
    DbReadRetry m_reread;
};
