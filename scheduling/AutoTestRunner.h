#pragma once

#include <QHash>
#include <QList>
#include <QSet>

#include <functional>
#include <memory>

#include "scheduling/DailyTaskRunner.h"
#include "scheduling/ScheduleTask.h"

class CmdServer;
class DbWriteBatch;
class OrvantaDBIntf;

/// Runs the auto-test schedules. At the test time the target panels that are not connected are
/// woken, the schedule turns "Scheduling" and gets one report row per target; 90 s later every
/// target is judged: connected ones are reported successful and powered off again, the others
/// failed, and the schedule ends "Successfully" or "Failed".
///
/// A schedule is read again from the database by the pass that fires its task: one disabled or
/// deleted after the list was built does not run, and the state written keeps the enable flag as
/// stored. What the tasks of one pass write is committed once at its end, and the page is told once; a write that
/// fails loses only itself, even when SQLite takes the pass's transaction with it. Writes the database refuses for a
/// while (another program holds it, the disk is full) are held and written in order once it takes them, so a state
/// never says more than its report rows; the page is told again then. The
/// check judges the targets its power-on found; a check whose power-on did not run in this
/// session has nothing to judge and is skipped.
///
/// A run that has started always ends with its check, so no panel it woke is left on and no
/// schedule is left "Scheduling": the check stays planned across the midnight re-plan (a test at
/// 23:59 is checked at 00:00:30 the next day), across an edit that moves the schedule's time, and
/// after the schedule was deleted, in which case it only powers the connected targets off. It
/// comes 90 s after its power-on by elapsed time, so a wall clock set back or forward during the
/// run neither holds it for a day nor brings it before the panels had their time.
///
/// Runs may overlap (the schedule edited to a time before its check, another test on the same
/// panels a minute later). A new run of a schedule takes over that schedule's earlier run, whose
/// check then writes neither status nor report rows. No check powers off a panel that another run
/// under way still holds: the last run to check it powers it off.
class AutoTestRunner : public DailyTaskRunner
{
    Q_OBJECT

public:
    static constexpr int CheckDelaySecs = 90;

    AutoTestRunner(OrvantaDBIntf *db, CmdServer *server, Clock *clock, QObject *parent = nullptr);
    ~AutoTestRunner() override;

    const QList<AutoTestTask> &tasks() const { return m_tasks; }

    /// The panels an auto-test covers: every device (target 1), its chosen devices (2) or the
    /// members of its groups, each once (3). False when the database could not be read.
    bool resolveTargets(const VelkAutoTestSchedule &schedule, QList<VelkIFPDevice> *targets) const;

    /// Schedules left "Scheduling" by an exit end Failed, with their report rows still under way, so their
    /// Edit and Enable are free again at once. Runs of this runner are left alone.
    void closeInterruptedRuns();

signals:
    /// A schedule's state or report changed; the page reloads its table without a rebuild. Told once per pass, after
    /// every task of it ran: a reload per task made many tests due in one minute cost the square of their number.
    void schedulesChanged();
    void taskFired(const AutoTestTask &task);

protected:
    void build(const QDate &today) override;
    QVector<Planned> planned() const override;
    void fire(const QString &key) override;
    void passEnded() override;

private:
    void powerOn(const AutoTestTask &task);
    void check(const AutoTestTask &task);
    /// The schedule as stored now; false when it is gone. On a read error the task's copy stands in.
    bool currentSchedule(const AutoTestTask &task, VelkAutoTestSchedule *schedule);
    void writeStatus(VelkAutoTestSchedule schedule, int status);
    /// Runs a write of a task: in the pass's batch (each write standing on its own), or alone outside a pass.
    quint32 passWrite(const QString &what, const std::function<quint32()> &write);

    struct Run
    {
        AutoTestTask check;
        QList<VelkIFPDevice> targets;
        /// The Clock::elapsedMs() reading the check is due at.
        qint64 checkAtMs = 0;
        /// A newer run of the same schedule started: this one's check only powers off what no run holds.
        bool takenOver = false;
    };

    /// The panels (by did) that the runs under way test.
    QSet<quint32> heldByRuns() const;

    OrvantaDBIntf *m_db;
    CmdServer *m_server;
    QList<AutoTestTask> m_tasks;
    /// Each run whose power-on ran, by run key, until its check: the check task and the targets it judges.
    QHash<QString, Run> m_runs;
    /// A task of the pass under way wrote a state.
    bool m_changed = false;
    /// What the tasks of the pass under way write, committed once when the pass ends.
    std::unique_ptr<DbWriteBatch> m_passWrites;
    /// The stored schedules by tsid, read once per pass: reading them all for every task made a pass of many tests
    /// cost the square of their number. Only the pass's own state writes change them meanwhile, and those are
    /// written here too.
    QHash<quint32, VelkAutoTestSchedule> m_passSchedules;
    bool m_passSchedulesRead = false;
};
