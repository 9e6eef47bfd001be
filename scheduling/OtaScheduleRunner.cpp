#include "scheduling/OtaScheduleRunner.h"

#include <QSet>

#include "datastore/DbHeldWrites.h"
#include "datastore/DbResult.h"
#include "datastore/DbWriteBatch.h"
#include "datastore/OrvantaDBIntf.h"
#include "datastore/UpdateStatus.h"
#include "firmware/IFPUpgradeManager.h"
#include "shell/base/Clock.h"
#include "shell/base/Log.h"
#include "shell/base/ScheduleTime.h"

namespace {

QString stateName(quint32 osid)
{
    return QStringLiteral("state of firmware-update schedule %1").arg(osid);
}

// What a state write needs of its schedule: which one, and when it starts.
VelkOtaSchedule startOfRun(const VelkOtaSchedule &schedule)
{
    VelkOtaSchedule run;
    run.osid = schedule.osid;
    run.date = schedule.date;
    run.time = schedule.time;
    return run;
}

// The status alone, and only while the schedule is still as the runner left it (in the state `from`, at the same date
// and time), whenever the write runs, which may be long after the runner wrote it: what was changed meanwhile (its
// enable flag, a reschedule, by the operator or by another program) stays as it is. A "Successfully" held until the
// operator rescheduled the update would have kept it from ever running.
quint32 storeState(OrvantaDBIntf *db, VelkOtaSchedule run, int from, int status)
{
    run.status = status;
    bool set = false;
    return goneIsDone(db->updateOtaScheduleStatusIf(run, from, set));
}

} // namespace

OtaScheduleRunner::OtaScheduleRunner(OrvantaDBIntf *db, IFPUpgradeManager *manager, Clock *clock, QObject *parent)
    : QObject(parent), m_db(db), m_manager(manager), m_clock(clock), m_reread(db->heldWrites())
{
    // States and rows the database refused for a while reach it later, in the order the runs wrote them.
    connect(m_db->heldWrites(), &DbHeldWrites::heldWritesWritten, this, &OtaScheduleRunner::schedulesChanged);
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    m_retry.setSingleShot(true);
    m_retry.setInterval(5000);
    connect(&m_timer, &QTimer::timeout, this, &OtaScheduleRunner::checkOtaTask);
    connect(&m_retry, &QTimer::timeout, this, &OtaScheduleRunner::retryCheck);
    connect(m_clock, &Clock::jumped, this, &OtaScheduleRunner::onClockJumped);
    connect(&m_reread, &DbReadRetry::retry, this, &OtaScheduleRunner::retryRefused);
}

OtaScheduleRunner::~OtaScheduleRunner() = default;

QDateTime OtaScheduleRunner::startOf(const VelkOtaSchedule &schedule)
{
    QTime time;
    return ScheduleTime::instantOf(QDate::fromString(schedule.date, QStringLiteral("yyyy-MM-dd")), schedule.time,
                                   &time);
}

void OtaScheduleRunner::closeInterruptedRuns()
{
    QList<VelkOtaSchedule> schedules;
    m_closeRefused = false;
    if (!readSchedules(&schedules)) {
        if (m_db->refusedForNow()) {
            // Left "Updating", a schedule could be neither edited nor switched off for the rest of the session.
            if (m_reread.later())
                writeLog(LOG_LEVEL_WARNING, "OtaScheduleRunner::closeInterruptedRuns, the schedules cannot be read "
                                            "for now; runs left updating are closed once they can");
            m_closeRefused = true;
            return;
        }
        writeLog(LOG_LEVEL_ERROR, "OtaScheduleRunner::closeInterruptedRuns, queryAllOtaSchedule error");
        return;
    }
    bool changed = false;
    for (const VelkOtaSchedule &schedule : qAsConst(schedules)) {
        if (schedule.status != UPDATE_UPDATING || schedule.osid == m_manager->getCurrentOtaScheduleId())
            continue;
        QList<VelkOtaScheduleReport> rows;
        if (m_db->queryOtaScheduleReportByOtaSchedule(schedule, rows) != DB_OK)
            writeLog(LOG_LEVEL_ERROR, "OtaScheduleRunner::closeInterruptedRuns, report of schedule %u unreadable",
                     schedule.osid);
        // The rows first, then the state, together; held in that order when the database refuses them for now.
        DbWriteBatch batch(m_db, "OtaScheduleRunner::closeInterruptedRuns");
        const quint32 osid = schedule.osid;
        for (const VelkOtaScheduleReport &row : qAsConst(rows)) {
            if (row.status != UPDATE_NOT_STARTED && row.status != UPDATE_UPDATING)
                continue;
            batch.write(QStringLiteral("report row of %1 in schedule %2").arg(row.device.deviceName).arg(osid),
                        [db = m_db, device = row.device, osid] {
                            VelkIFPDevice failed = device;
                            VelkOtaSchedule closed;
                            closed.osid = osid;
                            return goneIsDone(db->updateOtaScheduleReport(failed, closed, UPDATE_FAILED));
                        });
        }
        const VelkOtaSchedule run = startOfRun(schedule);
        batch.write(stateName(osid), [db = m_db, run] { return storeState(db, run, UPDATE_UPDATING, UPDATE_FAILED); });
        batch.finish();
        if (!noteState(batch, batch.count() - 1, run, UPDATE_UPDATING, UPDATE_FAILED))
            writeLog(LOG_LEVEL_ERROR, "OtaScheduleRunner::closeInterruptedRuns, updateOtaScheduleState error");
        writeLog(LOG_LEVEL_WARNING,
                 "firmware-update schedule %u was still updating when the console ended; "
                 "it and its unfinished devices are marked Failed",
                 schedule.osid);
        changed = true;
    }
    if (changed)
        emit schedulesChanged();
}

void OtaScheduleRunner::checkOtaTask()
{
    writeLog(LOG_LEVEL_INFO, "checkOtaTask");
    if (m_state == AwaitingCheck && !awaitedStillDue()) {
        clearCurrent();
    } else if (m_state == AwaitingCheck || m_state == Running) {
        writeLog(LOG_LEVEL_INFO, "checkOtaTask, currently running ota task");
        return;
    }
    m_timer.stop();
    QList<VelkOtaSchedule> schedules;
    if (!readSchedules(&schedules)) {
        clearCurrent();
        if (m_db->refusedForNow()) {
            // Another program holds the database: a minute's wait would start a due schedule up to a minute late.
            if (m_reread.later())
                writeLog(LOG_LEVEL_WARNING,
                         "checkOtaTask, the schedules cannot be read for now; looking again shortly");
            return;
        }
        writeLog(LOG_LEVEL_ERROR, "checkOtaTask, queryAllOtaSchedule error; looking again in a minute");
        m_timer.start(MaxTimerMs);
        return;
    }
    m_reread.done();
    if (m_closeRefused)
        closeInterruptedRuns();
    if (!m_endedRunsFailed.isEmpty() && !failEndedRuns())
        m_reread.later();
    const QDateTime now = m_clock->now();
    // In (date, time, id) order: the first due schedule starts, later ones wait for the end of its run.
    for (const VelkOtaSchedule &schedule : qAsConst(schedules)) {
        if (!schedule.isEnable || schedule.status != UPDATE_NOT_STARTED || m_givenUp.contains(schedule.osid))
            continue;
        const QDateTime start = startOf(schedule);
        if (!start.isValid()) {
            markFailed(schedule, "has a date or time that cannot be read");
            continue;
        }
        const qint64 late = start.msecsTo(now);
        if (late > GraceMs) {
            markFailed(schedule, "missed its start by more than 30 minutes");
            continue;
        }
        m_current = schedule;
        m_start = start;
        if (late >= 0) {
            askForCheck();
            return;
        }
        m_state = Armed;
        m_timer.start(int(qMin<qint64>(-late, MaxTimerMs)));
        writeLog(LOG_LEVEL_INFO, "checkOtaTask, currentOtaTask id: %u, will start after secs: %lld", schedule.osid,
                 -late / 1000);
        return;
    }
    writeLog(LOG_LEVEL_INFO, "checkOtaTask, no ota schedule ahead");
    clearCurrent();
}

void OtaScheduleRunner::retryRefused()
{
    if (m_closeRefused) {
        closeInterruptedRuns();
        // Refused once more: the check waits for the next try, since its read would make the GUI wait again.
        if (m_closeRefused)
            return;
    }
    if (!m_endedRunsFailed.isEmpty()) {
        if (!failEndedRuns()) {
            m_reread.later();
            return;
        }
        // The schedules could be read: what the check meets next is a hold of its own.
        m_reread.done();
    }
    checkOtaTask();
}

void OtaScheduleRunner::askForCheck()
{
    m_state = AwaitingCheck;
    m_checkAccepted = false;
    writeLog(LOG_LEVEL_INFO, "runOtaTask, schedule %u is due, asking for the version check", m_current.osid);
    emit versionCheckRequested(IFPUpgradeManager::CASE_RUN_DUE);
    if (m_manager->checkCurrentOtaVersionInfo(IFPUpgradeManager::CASE_RUN_DUE)) {
        m_checkAccepted = true;
        return;
    }
    writeLog(LOG_LEVEL_INFO, "runOtaTask, the update manager is busy with another check; asking again");
    m_retry.start();
}

void OtaScheduleRunner::retryCheck()
{
    if (m_state != AwaitingCheck || m_checkAccepted)
        return;
    if (!awaitedStillDue()) {
        clearCurrent();
        checkOtaTask();
        return;
    }
    if (m_start.msecsTo(m_clock->now()) > GraceMs) {
        VelkOtaSchedule schedule = m_current;
        clearCurrent();
        markFailed(schedule, "got no usable version check within 30 minutes of its start");
        checkOtaTask();
        return;
    }
    askForCheck();
}

void OtaScheduleRunner::onClockJumped()
{
    if (m_state == Idle || m_state == Armed)
        checkOtaTask();
    else if (m_state == AwaitingCheck && !m_checkAccepted)
        retryCheck();
}

void OtaScheduleRunner::versionChecked(int checkCase)
{
    if (checkCase == IFPUpgradeManager::CASE_RUN_ENDED) {
        checkOtaTask();
        return;
    }
    if (checkCase != IFPUpgradeManager::CASE_RUN_DUE || m_state != AwaitingCheck || !m_checkAccepted)
        return;
    m_checkAccepted = false;
    if (!awaitedStillDue()) {
        clearCurrent();
        checkOtaTask();
        return;
    }
    if (m_manager->getOldDevicesCount() < 0) {
        writeLog(LOG_LEVEL_WARNING, "runOtaTask, the version check for schedule %u failed; asking again",
                 m_current.osid);
        m_retry.start();
        return;
    }
    startOta();
}

bool OtaScheduleRunner::awaitedStillDue()
{
    QList<VelkOtaSchedule> schedules;
    if (!readSchedules(&schedules)) {
        writeLog(LOG_LEVEL_ERROR, "runOtaTask, queryAllOtaSchedule error; schedule %u goes on as armed",
                 m_current.osid);
        return true;
    }
    const char *change = "was deleted";
    for (const VelkOtaSchedule &stored : qAsConst(schedules)) {
        if (stored.osid != m_current.osid)
            continue;
        if (!stored.isEnable)
            change = "was disabled";
        else if (stored.status != UPDATE_NOT_STARTED)
            change = "changed its state";
        else if (startOf(stored) != m_start)
            change = "was moved";
        else {
            // Other edits (its devices or groups) are taken as they are now.
            m_current = stored;
            return true;
        }
        break;
    }
    writeLog(LOG_LEVEL_INFO, "runOtaTask, schedule %u %s while it waited for the version check; it does not start now",
             m_current.osid, change);
    return false;
}

void OtaScheduleRunner::startOta()
{
    VelkOtaSchedule schedule = m_current;
    // The members of its groups before anything is written: a read refused for now (another program holds the
    // database) is not "no member", which would end the run Failed at once. The run waits and asks again.
    QHash<QString, QList<VelkIFPDevice>> members;
    if (schedule.scheduleTarget == 3) {
        for (const VelkGroups &group : qAsConst(schedule.groups)) {
            QList<VelkIFPDevice> found;
            const quint32 rc = m_db->queryIFPByGroup(group, found);
            if (rc != DB_OK && m_db->refusedForNow()) {
                writeLog(LOG_LEVEL_WARNING,
                         "Scheduling::startOta, the groups of schedule %u cannot be read for now; asking again",
                         schedule.osid);
                m_retry.start();
                return;
            }
            members.insert(group.groupName, found);
        }
    }
    // Held when the database refuses it for now (another program holds it, its disk is full): the run starts all the
    // same, and its rows and its end are written after the state, in order.
    if (!writeState(schedule, UPDATE_NOT_STARTED, UPDATE_UPDATING, "Scheduling::startOta")) {
        // The run does not start; the runner must not stay believing it does.
        writeLog(LOG_LEVEL_ERROR, "Scheduling::startOta - updateOtaScheduleState error, schedule %u", schedule.osid);
        m_givenUp.insert(schedule.osid);
        clearCurrent();
        markFailed(schedule, "could not be started");
        checkOtaTask();
        return;
    }
    QList<VelkOtaSchedule> schedules;
    if (!readSchedules(&schedules))
        writeLog(LOG_LEVEL_ERROR, "Scheduling::startOta - queryAllOtaSchedule error");
    for (const VelkOtaSchedule &stored : qAsConst(schedules)) {
        if (stored.osid == schedule.osid)
            schedule = stored;
    }
    m_current = schedule;
    m_state = Running;
    emit schedulesChanged();

    m_records.clear();
    m_runDevices.clear();
    if (m_current.scheduleTarget == 2) {
        for (const VelkIFPDevice &device : qAsConst(m_current.devices))
            m_records.emplace_back(new VelkIFPDevice(device));
    } else if (m_current.scheduleTarget == 3) {
        // The members of the schedule's groups that are out of date, each once.
        const QList<VelkIFPDevice> outOfDate = m_manager->getOldDeviceList();
        QSet<QString> oldNames;
        for (const VelkIFPDevice &device : outOfDate)
            oldNames.insert(device.deviceName);
        QSet<quint32> taken;
        for (const VelkGroups &group : qAsConst(m_current.groups)) {
            for (const VelkIFPDevice &member : members.value(group.groupName)) {
                if (oldNames.contains(member.deviceName) && !taken.contains(member.did)) {
                    taken.insert(member.did);
                    m_records.emplace_back(new VelkIFPDevice(member));
                }
            }
        }
    }
    if (m_records.empty()) {
        writeLog(LOG_LEVEL_WARNING, "no old devices in currentOtaTask, schedule %u", m_current.osid);
        finishOtaTask(false);
        return;
    }
    QList<VelkIFPDevice> rows;
    for (auto &record : m_records) {
        m_runDevices.append(record.get());
        rows.append(*record);
    }
    DbWriteBatch batch(m_db, "Scheduling::startOta");
    const VelkOtaSchedule run = m_current;
    batch.write(QStringLiteral("earlier report rows of firmware-update schedule %1").arg(run.osid), [db = m_db, run] {
        VelkOtaSchedule earlier = run;
        return db->deleteRelatedOtaScheduleReport(earlier);
    });
    batch.write(QStringLiteral("report rows of firmware-update schedule %1").arg(run.osid), [db = m_db, run, rows] {
        VelkOtaSchedule stored = run;
        QList<VelkIFPDevice> devices = rows;
        return goneIsDone(db->insertOtaScheduleReport(stored, devices));
    });
    batch.finish();
    if (!batch.isKept(0))
        writeLog(LOG_LEVEL_ERROR, "Scheduling::startOta - deleteRelatedOtaScheduleReport error");
    if (!batch.isKept(1)) {
        // Without its rows a run could never be judged: it does not start.
        writeLog(LOG_LEVEL_ERROR, "Scheduling::startOta - insertOtaScheduleReport error, schedule %u", m_current.osid);
        finishOtaTask(false);
        return;
    }
    emit runStarted(m_current.osid);
    m_manager->startOta(&m_current, m_runDevices);
}

void OtaScheduleRunner::runFinished()
{
    writeLog(LOG_LEVEL_INFO, "otaTaskFinished");
    if (m_state != Running) {
        writeLog(LOG_LEVEL_INFO, "otaTaskFinished, no run of this page is going on; nothing changes");
        return;
    }
    QList<UpdateStatus> statuses;
    bool success = true;
    if (!m_db->heldWrites()->isEmpty()) {
        // The database holds writes back (another program holds it, its disk is full), the run's rows perhaps among
        // them: the run is judged by what its rows will say, and they reach the database before the state written
        // here.
        statuses = m_manager->getLastRunRows().values();
    } else {
        QList<VelkOtaScheduleReport> rows;
        if (m_db->queryOtaScheduleReportByOtaSchedule(m_current, rows) == DB_OK) {
            for (const VelkOtaScheduleReport &row : qAsConst(rows))
                statuses.append(UpdateStatus(row.status));
        } else if (m_db->refusedForNow()) {
            // Another program holds the database: the rows say what the run wrote, and the run knows that itself.
            writeLog(LOG_LEVEL_WARNING, "Scheduling::otaTaskFinished, the report rows cannot be read for now; the run "
                                        "is judged by what it wrote");
            statuses = m_manager->getLastRunRows().values();
        } else {
            writeLog(LOG_LEVEL_ERROR, "Scheduling::otaTaskFinished, queryOtaScheduleReportByOtaSchedule error");
            success = false;
        }
    }
    // No row, or a row that did not end Successfully, is a failed run: nothing proves the update happened.
    if (statuses.isEmpty())
        success = false;
    for (UpdateStatus status : qAsConst(statuses)) {
        if (status != UPDATE_SUCCESSFULLY)
            success = false;
    }
    finishOtaTask(success);
}

void OtaScheduleRunner::endedRunDeviceFailed(quint32 osid)
{
    if (m_state == Running && m_current.osid == osid)
        return; // its own end reads the rows
    m_endedRunsFailed.insert(osid);
    if (!failEndedRuns()) {
        m_reread.later();
        writeLog(LOG_LEVEL_WARNING,
                 "OtaScheduleRunner::endedRunDeviceFailed, the schedules cannot be read for now; schedule %u is "
                 "judged once they can",
                 osid);
    }
    // The version check that closed the run found the device up to date and withdrew the reminder. A run under way
    // makes this check at its own end; a server check under way reads the device as it is now.
    if ((m_state == Idle || m_state == Armed) &&
        !m_manager->checkCurrentOtaVersionInfo(IFPUpgradeManager::CASE_RUN_ENDED))
        writeLog(LOG_LEVEL_INFO, "OtaScheduleRunner::endedRunDeviceFailed, another version check is under way");
}

bool OtaScheduleRunner::failEndedRuns()
{
    QList<VelkOtaSchedule> schedules;
    if (!readSchedules(&schedules)) {
        // Another program holds the database: the schedule may still say Successfully, so it is judged once it can
        // be read. Any other error keeps nothing to try again.
        if (m_db->refusedForNow())
            return false;
        writeLog(LOG_LEVEL_ERROR, "OtaScheduleRunner::endedRunDeviceFailed, queryAllOtaSchedule error");
        m_endedRunsFailed.clear();
        return true;
    }
    for (const VelkOtaSchedule &schedule : qAsConst(schedules)) {
        if (!m_endedRunsFailed.contains(schedule.osid))
            continue;
        if (schedule.status == UPDATE_SUCCESSFULLY) {
            if (!writeState(schedule, UPDATE_SUCCESSFULLY, UPDATE_FAILED, "OtaScheduleRunner::endedRunDeviceFailed"))
                writeLog(LOG_LEVEL_ERROR, "OtaScheduleRunner::endedRunDeviceFailed, updateOtaScheduleState error");
            else
                writeLog(LOG_LEVEL_WARNING,
                         "firmware-update schedule %u: a device came back at another version after the run; "
                         "marked Failed",
                         schedule.osid);
        }
        // Failed already, it still shows one more failed device.
        emit schedulesChanged();
    }
    m_endedRunsFailed.clear();
    return true;
}

void OtaScheduleRunner::finishOtaTask(bool success)
{
    writeLog(LOG_LEVEL_INFO, "otaTaskFinished, success: %d, schedule %u", success ? 1 : 0, m_current.osid);
    VelkOtaSchedule schedule = m_current;
    schedule.status = success ? UPDATE_SUCCESSFULLY : UPDATE_FAILED;
    if (!writeState(schedule, UPDATE_UPDATING, schedule.status, "Scheduling::otaTaskFinished")) {
        writeLog(LOG_LEVEL_ERROR, "Scheduling::otaTaskFinished, updateOtaScheduleState error");
        m_givenUp.insert(schedule.osid);
    }
    clearCurrent();
    emit runEnded(schedule.osid, success);
    emit schedulesChanged();
    checkOtaTask();
    if (m_state == Idle || m_state == Armed) {
        if (!m_manager->checkCurrentOtaVersionInfo(IFPUpgradeManager::CASE_RUN_ENDED))
            writeLog(LOG_LEVEL_INFO, "otaTaskFinished, the closing version check was not taken");
    }
}

void OtaScheduleRunner::forgetSchedule(quint32 osid)
{
    if (m_current.osid != osid || m_state == Idle)
        return;
    if (m_state == Running) {
        writeLog(LOG_LEVEL_INFO, "deleteOtaSchedule, cancelling the run of schedule %u", osid);
        m_manager->cancelOta();
    }
    clearCurrent();
}

void OtaScheduleRunner::markFailed(VelkOtaSchedule schedule, const char *reason)
{
    writeLog(LOG_LEVEL_WARNING, "firmware-update schedule %u %s; marked Failed", schedule.osid, reason);
    if (!writeState(schedule, schedule.status, UPDATE_FAILED, "checkOtaTask")) {
        writeLog(LOG_LEVEL_ERROR, "checkOtaTask, updateOtaScheduleState error, schedule %u", schedule.osid);
        m_givenUp.insert(schedule.osid);
    }
    emit schedulesChanged();
}

void OtaScheduleRunner::clearCurrent()
{
    m_timer.stop();
    m_retry.stop();
    m_state = Idle;
    m_checkAccepted = false;
    m_current = VelkOtaSchedule();
    m_current.status = UPDATE_NOT_STARTED;
    m_start = QDateTime();
    m_runDevices.clear();
    m_records.clear();
}

bool OtaScheduleRunner::readSchedules(QList<VelkOtaSchedule> *schedules)
{
    if (m_db->queryAllOtaSchedule(*schedules) != DB_OK)
        return false;
    if (m_db->heldWrites()->isEmpty()) {
        m_heldStates.clear();
        return true;
    }
    for (VelkOtaSchedule &schedule : *schedules) {
        // What each held state will do when it lands, in the order they land: the operator's change made since
        // keeps it from landing.
        for (const HeldState &held : m_heldStates.value(schedule.osid)) {
            if (schedule.status == held.from && schedule.date == held.run.date && schedule.time == held.run.time)
                schedule.status = held.status;
        }
    }
    return true;
}

bool OtaScheduleRunner::writeState(const VelkOtaSchedule &schedule, int from, int status, const char *context)
{
    const VelkOtaSchedule run = startOfRun(schedule);
    DbWriteBatch batch(m_db, context);
    batch.write(stateName(run.osid), [db = m_db, run, from, status] { return storeState(db, run, from, status); });
    batch.finish();
    return noteState(batch, 0, run, from, status);
}

bool OtaScheduleRunner::noteState(const DbWriteBatch &batch, int index, const VelkOtaSchedule &run, int from,
                                  int status)
{
    if (batch.isHeld(index))
        m_heldStates[run.osid].append(HeldState{run, from, status});
    else
        m_heldStates.remove(run.osid);
    return batch.isKept(index);
}
