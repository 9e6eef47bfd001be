#pragma once

#include <QHash>
#include <QList>
#include <QSet>

#include <functional>
#include <memory>

#include "datastore/DbReadRetry.h"
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
/// deleted after the list was built does not run. A state write sets the status alone, whenever it lands, and only
/// while the test still runs at the time and weekdays it had (an end state: while it is still "Scheduling"), so an
/// enable flag or a time changed meanwhile (by the operator or by another program) stays as it is. What the tasks of
/// one pass write is committed once at its end, and the page is told once; a write that fails loses only itself, even
/// when SQLite takes the pass's transaction with it. Writes the database refuses for a while (another program holds it,
/// the disk is full) are held and written in order once it takes them, so a state never says more than its report rows;
/// the page is told again then. The check judges the targets its power-on found; a check whose power-on did not run in
/// this session has nothing to judge and is skipped.
///
/// A read the database refuses for a while (another program holds it exclusively, as a VACUUM or an SQLite browser
/// saving a large change does; an I/O error keeps the file from being read) is "not known yet", never "nothing there".
/// The runner then acts on what it read before: the schedules of the last list it built, each test's panels as resolved
/// when the list was built or the test last ran, less those deleted since. A test whose panels were never read waits
/// for the database and runs once they can be read, late but once, its check 90 s after it. A pass that was refused a
/// read reads no more: each read would make the GUI wait.
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
    /// Tests whose panels could not be read yet, waiting for the database to run.
    int waitingCount() const { return m_waiting.size(); }

    /// How long the runner waits before it reads again what the database refused for now: first, and at most as
    /// the waits double (1 s and 64 s; tests shorten them).
    void setRetryIntervalMs(int first, int longest);

    /// Schedules left "Scheduling" by an exit end Failed, with their report rows still under way, so their
    /// Edit and Enable are free again at once. Tests this runner wrote a state for are left alone. Refused for now,
    /// it is done once the schedules can be read.
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
    enum class Read
    {
        Done,
        NotKnownYet, ///< refused for now (the database is held, the disk busy, the file unreadable): ask again later
        Failed       ///< refused for a reason of its own (a missing table, a statement the file does not take)
    };
    /// The device list and group members one resolution read, so that a build of many tests reads each once.
    struct TargetReads
    {
        bool allRead = false;
        QList<VelkIFPDevice> all;
        QHash<QString, QList<VelkIFPDevice>> members;
    };

    /// The panels an auto-test covers: every device (target 1), its chosen devices (2) or the members of its groups,
    /// each once (3).
    Read resolveTargets(const VelkAutoTestSchedule &schedule, QList<VelkIFPDevice> *targets, TargetReads *reads);
    /// Whether the last read failed, and for what; a refusal for now makes the rest of the pass read nothing.
    Read readResult(quint32 rc);
    /// Resolves the panels of the tests planned today while the list is built, as what is known of them.
    void learnTargets(const QList<VelkAutoTestSchedule> &schedules, const QDate &today);
    /// Whether the read that just failed failed for now: another program holds the database, or the file could not be
    /// read for a while (an I/O error, which SQLite may report as a damaged file). What it would have said is not known
    /// yet, and is read again later.
    bool notKnownYet() const;
    /// The devices of the list that the console still manages (the command server's list, which the device list keeps
    /// current while the database refuses reads): a panel deleted since the list was read is neither woken nor judged.
    QList<VelkIFPDevice> stillManaged(const QList<VelkIFPDevice> &devices, quint32 tsid) const;
    /// Asks again for what the database refused for now: the list, or a waiting test's panels.
    void retryRefused();

    void powerOn(const AutoTestTask &task);
    void check(const AutoTestTask &task);
    /// The schedule as stored now; false when it is gone. On a read error the task's copy stands in.
    bool currentSchedule(const AutoTestTask &task, VelkAutoTestSchedule *schedule);
    /// Writes the test's state, to be set only while it is still `from` (any, when negative) at the schedule's time
    /// and weekdays.
    void writeStatus(VelkAutoTestSchedule schedule, int from, int status);
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
    /// A read of the pass under way was refused for now: the pass reads nothing more.
    bool m_passRefused = false;
    /// The schedules as last read, and each test's panels as last resolved (by tsid): what the runner acts on while
    /// the database refuses reads.
    QList<VelkAutoTestSchedule> m_knownSchedules;
    QHash<quint32, QList<VelkIFPDevice>> m_knownTargets;
    /// The last build could not read the schedules; it is tried again.
    bool m_buildRefused = false;
    /// closeInterruptedRuns() could not read the schedules; it is tried again.
    bool m_closeRefused = false;
    /// The tests whose state this runner wrote: whatever the database still says of them (their state may be held),
    /// no earlier session left them running.
    QSet<quint32> m_statesWritten;
    /// Power-ons whose panels were never read, with their checks, by run key, until they can be.
    struct Waiting
    {
        AutoTestTask powerOn;
        AutoTestTask check;
    };
    QHash<QString, Waiting> m_waiting;
    DbReadRetry m_reread;
};
