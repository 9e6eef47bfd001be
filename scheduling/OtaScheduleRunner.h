#pragma once

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QTimer>

#include <memory>
#include <vector>

#include "datastore/DbReadRetry.h"
#include "datastore/VelkOtaSchedule.h"

class Clock;
class DbWriteBatch;
class IFPUpgradeManager;
class OrvantaDBIntf;

/// Runs the firmware-update schedules of the Schedule Setup page: picks the next one, arms a timer for its start,
/// asks the update manager for the version check that precedes a run (case 4), starts the run on the answer and
/// closes it with Successfully or Failed from its report rows.
///
/// No schedule is left "Not Started" or "Updating" for ever:
/// - one whose start passed less than 30 minutes ago (the console was busy, closed, or the start was saved as
///   "now") is started when the runner looks again (at start-up, after a run, after an edit or an enable change);
///   an older one is marked Failed with a log line;
/// - a check the manager drops (it is busy) or answers as failed is asked again every few seconds until the same
///   30 minutes are over, then the schedule is marked Failed and the next one is armed;
/// - the operator may disable, edit or delete the schedule while it waits for its check: it is read again before
///   it is started or failed, so a disabled or deleted one does not start and a moved one is armed for its new time;
/// - a run left "Updating" by an exit ends Failed at the next start, with its unfinished report rows;
/// - a run whose report rows are missing or unreadable ends Failed;
/// - states and report rows the database refuses for a while (another program holds it, its disk is full) are held
///   and written in order once it takes writes, the rows before the state that sums them up; the runner meanwhile
///   goes on from what it wrote, so a run that ended is not started again, and tells the page again once they are in;
/// - a run closed Successfully becomes Failed when one of its devices comes back at its old version after the run
///   (endedRunDeviceFailed), and the closing version check runs again so that the reminder sees it out of date;
///   when the database refuses the schedules for now, the schedule is judged once they can be read.
/// The timer is armed at most 60 s ahead and the runner looks again on expiry, so a start weeks ahead neither
/// overflows a timer nor starts early, and a moved clock is noticed. Schedules the database refuses to give for now
/// (another program holds it exclusively) are looked for again after a short pause, growing while it goes on refusing,
/// and at once when writes it held back land (DbReadRetry): a start that falls in a hold comes soon after it.
class OtaScheduleRunner : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 GraceMs = 30 * 60 * 1000;
    static constexpr int MaxTimerMs = 60000;

    OtaScheduleRunner(OrvantaDBIntf *db, IFPUpgradeManager *manager, Clock *clock, QObject *parent = nullptr);
    ~OtaScheduleRunner() override;

    /// Schedules left "Updating" by an exit end Failed, with their report rows that had not ended. Refused for now, it
    /// is done once the schedules can be read.
    void closeInterruptedRuns();
    /// Looks for the next schedule: starts one that is due, marks missed ones Failed, arms the timer.
    void checkOtaTask();
    /// The update manager answered a check; cases 4 and 5 concern the runner.
    void versionChecked(int checkCase);
    /// The update manager ended the run.
    void runFinished();
    /// A device of the ended run of schedule `osid` came back at its old version: its row is Failed now.
    void endedRunDeviceFailed(quint32 osid);
    /// The schedule is about to be deleted: its run is cancelled first, once.
    void forgetSchedule(quint32 osid);
    /// An "update now" is only started through the same check as any due schedule, never beside a running one.
    bool isBusy() const { return m_state == AwaitingCheck || m_state == Running; }

    bool isRunning() const { return m_state == Running; }
    const VelkOtaSchedule &current() const { return m_current; }
    bool isTimerActive() const { return m_timer.isActive(); }
    int timerInterval() const { return m_timer.interval(); }
    /// How long to wait before asking again for a check the manager dropped or failed (5 s).
    void setRetryInterval(int ms) { m_retry.setInterval(ms); }
    /// The first and the longest pause before the schedules are read again after the database refused them for now
    /// (DbReadRetry's; tests shorten them).
    void setRereadIntervalMs(int first, int longest) { m_reread.setIntervalMs(first, longest); }

signals:
    /// A schedule's state changed in the database; the page reloads its table.
    void schedulesChanged();
    void versionCheckRequested(int checkCase);
    void runStarted(quint32 osid);
    void runEnded(quint32 osid, bool success);

private:
    enum State
    {
        Idle,
        Armed,
        AwaitingCheck,
        Running
    };

    void askForCheck();
    void retryCheck();
    /// Reads again what the database refused for now.
    void retryRefused();
    void onClockJumped();
    /// Reads the schedule that waits for its check again: true when it is still due as armed (its copy is refreshed),
    /// false when it was deleted, disabled, moved or changed its state meanwhile (with a log line).
    bool awaitedStillDue();
    void startOta();
    void finishOtaTask(bool success);
    /// Marks Failed the ended runs of m_endedRunsFailed that still say Successfully; false, keeping them, when the
    /// database refuses the schedules for now.
    bool failEndedRuns();
    void markFailed(VelkOtaSchedule schedule, const char *reason);
    /// The schedules as stored, each with the state this runner wrote last when the database still holds that back.
    bool readSchedules(QList<VelkOtaSchedule> *schedules);
    /// Writes the schedule's state, to be set only while it is still `from` at the schedule's date and time; false
    /// when the write was lost.
    bool writeState(const VelkOtaSchedule &schedule, int from, int status, const char *context);
    /// Notes whether the index-th write of the batch, a state of run, is held; false when it was lost.
    bool noteState(const DbWriteBatch &batch, int index, const VelkOtaSchedule &run, int from, int status);
    void clearCurrent();
    static QDateTime startOf(const VelkOtaSchedule &schedule);

    OrvantaDBIntf *m_db;
    IFPUpgradeManager *m_manager;
    Clock *m_clock;
    State m_state = Idle;
    bool m_checkAccepted = false;
    VelkOtaSchedule m_current;
    QDateTime m_start;
    // The run's device records: the manager holds pointers to them until the run ends or is cancelled.
    std::vector<std::unique_ptr<VelkIFPDevice>> m_records;
    QList<VelkIFPDevice *> m_runDevices;
    // Schedules whose state could not be written: not tried again in this session, so a broken database
    // cannot make the runner start the same schedule over and over.
    QSet<quint32> m_givenUp;
    /// A state written that the database still holds back (DbHeldWrites): the schedule as it started, the state it
    /// is set from and the one it is set to.
    struct HeldState
    {
        VelkOtaSchedule run;
        int from = 0;
        int status = 0;
    };
    /// The held states by osid, in the order they land; forgotten once the database holds back nothing.
    QHash<quint32, QList<HeldState>> m_heldStates;
    /// closeInterruptedRuns() could not read the schedules; it is tried again.
    bool m_closeRefused = false;
    /// Schedules whose ended run lost a device (endedRunDeviceFailed) and are not judged yet: the database refused
    /// them for now.
    QSet<quint32> m_endedRunsFailed;
    QTimer m_timer;
    QTimer m_retry;
    DbReadRetry m_reread;
};
