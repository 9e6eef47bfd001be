#include "scheduling/AutoTestRunner.h"

#include <QSet>
#include <algorithm>

#include "datastore/DbHeldWrites.h"
#include "datastore/DbResult.h"
#include "datastore/DbWriteBatch.h"
#include "datastore/OrvantaDBIntf.h"
#include "network/CmdServer.h"
#include "scheduling/DeviceControlPlan.h"
#include "shell/base/Clock.h"
#include "shell/base/Log.h"
#include "shell/base/ScheduleTime.h"

namespace {

// What a state written at a test's power-on is set from: whatever an earlier run or an edit left.
constexpr int AnyStatus = -1;
constexpr int StatusScheduling = 2;
constexpr int StatusFailed = 3;
constexpr int StatusSuccessful = 4;

// What a state write needs of its test: which one. Not its days or time: an edit of them during a hold is for the
// next runs, and the run's result stands.
VelkAutoTestSchedule runOf(const VelkAutoTestSchedule &schedule)
{
    VelkAutoTestSchedule test;
    test.tsid = schedule.tsid;
    return test;
}

// The status alone, and only while the test is still in the state `from` the run left it in, whenever the write runs,
// which may be long after the runner wrote it: what was changed meanwhile (its enable flag, its days and time, by the
// operator or by another program) stays as it is.
quint32 storeStatus(OrvantaDBIntf *db, VelkAutoTestSchedule test, int from, int status)
{
    test.status = status;
    bool set = false;
    return goneIsDone(db->updateAutoTestScheduleStatusIf(test, from, set));
}

} // namespace

AutoTestRunner::AutoTestRunner(OrvantaDBIntf *db, CmdServer *server, Clock *clock, QObject *parent)
    : DailyTaskRunner(clock, parent), m_db(db), m_server(server), m_reread(db->heldWrites())
{
    qRegisterMetaType<AutoTestTask>();
    // States and rows the database refused for a while reach it later, in the order the runs wrote them.
    connect(m_db->heldWrites(), &DbHeldWrites::heldWritesWritten, this, &AutoTestRunner::schedulesChanged);
    connect(&m_reread, &DbReadRetry::retry, this, &AutoTestRunner::retryRefused);
}

AutoTestRunner::~AutoTestRunner() = default;

void AutoTestRunner::build(const QDate &today)
{
    QList<AutoTestTask> tasks;
    QList<VelkAutoTestSchedule> schedules;
    m_buildRefused = false;
    m_passRefused = false;
    if (m_db->queryAllAutoTestSchedule(schedules) == DB_OK) {
        m_knownSchedules = schedules;
        learnTargets(schedules, today);
    } else if (notKnownYet()) {
        // Planning nothing would drop the day's tests for a hold of a few seconds.
        if (m_reread.later())
            writeLog(LOG_LEVEL_WARNING,
                     "AutoTestRunner::build, the auto-tests cannot be read for now; the %d read before are planned "
                     "and read again shortly",
                     int(m_knownSchedules.size()));
        schedules = m_knownSchedules;
        m_buildRefused = true;
    } else {
        writeLog(LOG_LEVEL_ERROR, "AutoTestRunner::build, queryAllAutoTestSchedule error");
    }

    for (const VelkAutoTestSchedule &schedule : qAsConst(schedules)) {
        if (!schedule.isEnable || schedule.time.isEmpty() ||
            !ScheduleTime::isDayOn(today, schedule.isMon, schedule.isTue, schedule.isWed, schedule.isThu,
                                   schedule.isFri, schedule.isSat, schedule.isSun))
            continue;
        QTime time;
        const QDateTime at = ScheduleTime::instantOf(today, schedule.time, &time);
        if (!at.isValid()) {
            writeLog(LOG_LEVEL_WARNING, "AutoTestRunner::build, auto-test %u: time \"%s\" cannot be read",
                     schedule.tsid, schedule.time.toLocal8Bit().constData());
            continue;
        }
        AutoTestTask powerOn;
        powerOn.action = AutoTestPowerOn;
        powerOn.time = at;
        powerOn.schedule = schedule;
        powerOn.key = DeviceControlPlan::taskKey(schedule.tsid, AutoTestPowerOn, today, time);
        powerOn.runKey = DeviceControlPlan::taskKey(schedule.tsid, 0, today, time);
        AutoTestTask check = powerOn;
        check.action = AutoTestCheck;
        check.time = at.addSecs(CheckDelaySecs);
        check.key = DeviceControlPlan::taskKey(schedule.tsid, AutoTestCheck, today, time);
        tasks << powerOn << check;
    }
    // A run under way keeps its check whatever the new list holds: the day changed, the schedule was edited to
    // another time, or it was deleted.
    QSet<QString> keys;
    for (const AutoTestTask &task : qAsConst(tasks))
        keys.insert(task.key);
    for (const Run &run : qAsConst(m_runs)) {
        if (!keys.contains(run.check.key))
            tasks << run.check;
    }
    std::stable_sort(tasks.begin(), tasks.end(),
                     [](const AutoTestTask &a, const AutoTestTask &b) { return a.time < b.time; });
    m_tasks = tasks;
}

QVector<DailyTaskRunner::Planned> AutoTestRunner::planned() const
{
    QVector<Planned> list;
    list.reserve(m_tasks.size());
    for (const AutoTestTask &task : m_tasks) {
        // The check of a test still waiting for its panels comes 90 s after the power-on it waits for.
        if (task.action == AutoTestCheck && m_waiting.contains(task.runKey))
            continue;
        const auto run = task.action == AutoTestCheck ? m_runs.constFind(task.runKey) : m_runs.constEnd();
        list.append({task.key, task.time, run != m_runs.constEnd() ? run->checkAtMs : -1});
    }
    return list;
}

void AutoTestRunner::fire(const QString &key)
{
    // A test writes its state and report rows two or three times; a commit for each, on a disk, held the console for
    // seconds when many tests were due in the same minute. The pass's writes go in one commit instead.
    if (!m_passWrites)
        m_passWrites.reset(new DbWriteBatch(m_db, "AutoTestRunner, pass"));
    for (const AutoTestTask &found : qAsConst(m_tasks)) {
        if (found.key != key)
            continue;
        const AutoTestTask task = found;
        if (task.action == AutoTestPowerOn)
            powerOn(task);
        else
            check(task);
        emit taskFired(task);
        return;
    }
}

void AutoTestRunner::passEnded()
{
    m_passSchedules.clear();
    m_passSchedulesRead = false;
    m_passRefused = false;
    if (m_passWrites) {
        const std::unique_ptr<DbWriteBatch> writes = std::move(m_passWrites);
        writes->finish();
    }
    if (!m_changed)
        return;
    m_changed = false;
    emit schedulesChanged();
}

void AutoTestRunner::powerOn(const AutoTestTask &task)
{
    // A power-on that waited for its panels may outlive the list it came from: the check planned with it stands.
    Waiting waited = m_waiting.take(task.runKey);
    if (waited.check.key.isEmpty()) {
        waited.powerOn = task;
        for (const AutoTestTask &planned : qAsConst(m_tasks)) {
            if (planned.runKey == task.runKey && planned.action == AutoTestCheck)
                waited.check = planned;
        }
    }
    VelkAutoTestSchedule schedule;
    if (!currentSchedule(task, &schedule)) {
        writeLog(LOG_LEVEL_INFO, "runAutoTestTask, auto-test %u was deleted; nothing runs", task.schedule.tsid);
        return;
    }
    if (!schedule.isEnable) {
        writeLog(LOG_LEVEL_INFO, "runAutoTestTask, auto-test %u is disabled; nothing runs", schedule.tsid);
        return;
    }

    QList<VelkIFPDevice> targets;
    TargetReads reads;
    switch (resolveTargets(schedule, &targets, &reads)) {
    case Read::Done:
        m_knownTargets.insert(schedule.tsid, targets);
        break;
    case Read::NotKnownYet: {
        const auto known = m_knownTargets.constFind(schedule.tsid);
        if (known == m_knownTargets.constEnd()) {
            // Failing it would report panels as broken that nobody looked at.
            writeLog(LOG_LEVEL_WARNING,
                     "runAutoTestTask, the devices of auto-test %u cannot be read for now; it runs once they can",
                     schedule.tsid);
            m_waiting.insert(task.runKey, waited);
            m_reread.later();
            return;
        }
        targets = stillManaged(*known, schedule.tsid);
        writeLog(LOG_LEVEL_WARNING,
                 "runAutoTestTask, the devices of auto-test %u cannot be read for now; it runs on the %d read before",
                 schedule.tsid, int(targets.size()));
        break;
    }
    case Read::Failed:
        writeLog(LOG_LEVEL_ERROR, "runAutoTestTask, the devices of auto-test %u could not be read", schedule.tsid);
        writeStatus(schedule, AnyStatus, StatusFailed);
        return;
    }
    if (targets.isEmpty()) {
        writeLog(LOG_LEVEL_WARNING, "no devices in currentAutoTestTask, auto-test %u", schedule.tsid);
        writeStatus(schedule, AnyStatus, StatusFailed);
        return;
    }

    QList<VelkIFPDevice> offline;
    for (const VelkIFPDevice &device : qAsConst(targets)) {
        if (!m_server->isDeviceOnline(device))
            offline.append(device);
    }
    m_server->powerOn(offline);
    writeLog(LOG_LEVEL_INFO, "run auto test poweron, auto-test %u, %d of %d devices woken", schedule.tsid,
             int(offline.size()), int(targets.size()));

    const quint32 tsid = schedule.tsid;
    if (passWrite(QStringLiteral("earlier report rows of auto-test %1").arg(tsid), [db = m_db, schedule] {
            VelkAutoTestSchedule tested = schedule;
            return db->deleteRelatedAutoTestScheduleReport(tested);
        }) != DB_OK)
        writeLog(LOG_LEVEL_ERROR,
                 "Scheduling::runAutoTestTask - deleteRelatedAutoTestScheduleReport error, auto-test %u", tsid);
    if (passWrite(QStringLiteral("report rows of auto-test %1").arg(tsid), [db = m_db, schedule, targets] {
            VelkAutoTestSchedule tested = schedule;
            QList<VelkIFPDevice> rows = targets;
            return goneIsDone(db->insertAutoTestScheduleReport(tested, rows));
        }) != DB_OK)
        writeLog(LOG_LEVEL_ERROR, "Scheduling::runAutoTestTask - insertAutoTestScheduleReport error, auto-test %u",
                 tsid);
    for (auto it = m_runs.begin(); it != m_runs.end(); ++it) {
        if (it->check.schedule.tsid == schedule.tsid && !it->takenOver) {
            it->takenOver = true;
            writeLog(LOG_LEVEL_INFO,
                     "runAutoTestTask, auto-test %u starts again before its earlier run was checked; "
                     "the new run takes it over",
                     schedule.tsid);
        }
    }
    Run run;
    run.targets = targets;
    run.checkAtMs = clock()->elapsedMs() + CheckDelaySecs * 1000;
    run.check = waited.check;
    m_runs.insert(task.runKey, run);
    const bool planned = std::any_of(m_tasks.cbegin(), m_tasks.cend(),
                                     [&run](const AutoTestTask &listed) { return listed.key == run.check.key; });
    if (!planned) {
        const auto later =
            std::upper_bound(m_tasks.begin(), m_tasks.end(), run.check,
                             [](const AutoTestTask &a, const AutoTestTask &b) { return a.time < b.time; });
        m_tasks.insert(later, run.check);
    }
    writeStatus(schedule, AnyStatus, StatusScheduling);
}

void AutoTestRunner::check(const AutoTestTask &task)
{
    if (!m_runs.contains(task.runKey)) {
        writeLog(LOG_LEVEL_INFO, "runAutoTestTask, check of auto-test %u skipped: its power-on did not run",
                 task.schedule.tsid);
        return;
    }
    const Run run = m_runs.take(task.runKey);
    // Panels a later run still tests stay on: powering them off now would fail that run. Its check powers them off.
    const QSet<quint32> held = heldByRuns();
    VelkAutoTestSchedule schedule;
    const bool stored = !run.takenOver && currentSchedule(task, &schedule);
    if (!stored) {
        // Nothing is left to report to, but the panels the run woke must not stay on.
        QList<VelkIFPDevice> connected;
        for (const VelkIFPDevice &device : run.targets) {
            if (!held.contains(device.did) && m_server->isDeviceOnline(device))
                connected.append(device);
        }
        m_server->powerOff(connected);
        if (run.takenOver)
            writeLog(LOG_LEVEL_INFO,
                     "runAutoTestTask, earlier run of auto-test %u checked after its newer run started; nothing "
                     "written, %d devices powered off",
                     task.schedule.tsid, int(connected.size()));
        else
            writeLog(LOG_LEVEL_INFO, "runAutoTestTask, auto-test %u was deleted during its run; %d devices powered off",
                     task.schedule.tsid, int(connected.size()));
        return;
    }

    int failures = 0;
    QList<VelkIFPDevice> connected;
    for (const VelkIFPDevice &device : run.targets) {
        int status;
        int notes;
        if (m_server->isDeviceOnline(device)) {
            if (held.contains(device.did)) {
                writeLog(LOG_LEVEL_INFO,
                         "report auto test success, device.deviceName : %s, left on for a run under way",
                         device.deviceName.toLocal8Bit().constData());
            } else {
                connected.append(device);
                writeLog(LOG_LEVEL_INFO, "run auto test poweroff, device.deviceName : %s",
                         device.deviceName.toLocal8Bit().constData());
            }
            status = StatusSuccessful;
            notes = 2;
        } else {
            ++failures;
            writeLog(LOG_LEVEL_INFO, "report auto test fail, device.deviceName : %s",
                     device.deviceName.toLocal8Bit().constData());
            status = StatusFailed;
            notes = 3;
        }
        const quint32 rc =
            passWrite(QStringLiteral("report of auto-test %1 for %2").arg(schedule.tsid).arg(device.deviceName),
                      [db = m_db, device, schedule, status, notes] {
                          VelkIFPDevice row = device;
                          VelkAutoTestSchedule tested = schedule;
                          return goneIsDone(db->updateAutoTestScheduleReport(row, tested, status, notes));
                      });
        if (rc != DB_OK)
            writeLog(LOG_LEVEL_ERROR, "updateDevicesStatus, updateAutoTestScheduleReport error");
    }
    m_server->powerOff(connected);

    if (failures == 0) {
        writeLog(LOG_LEVEL_INFO, "report auto test success, auto-test %u", schedule.tsid);
        writeStatus(schedule, StatusScheduling, StatusSuccessful);
    } else {
        writeLog(LOG_LEVEL_INFO, "report auto test fail, auto-test %u, %d failed", schedule.tsid, failures);
        writeStatus(schedule, StatusScheduling, StatusFailed);
    }
}

QSet<quint32> AutoTestRunner::heldByRuns() const
{
    QSet<quint32> held;
    for (const Run &run : qAsConst(m_runs)) {
        for (const VelkIFPDevice &device : run.targets)
            held.insert(device.did);
    }
    return held;
}

AutoTestRunner::Read AutoTestRunner::readResult(quint32 rc)
{
    if (rc == DB_OK)
        return Read::Done;
    if (!notKnownYet())
        return Read::Failed;
    m_passRefused = true;
    return Read::NotKnownYet;
}

AutoTestRunner::Read AutoTestRunner::resolveTargets(const VelkAutoTestSchedule &schedule, QList<VelkIFPDevice> *targets,
                                                    TargetReads *reads)
{
    targets->clear();
    if (m_passRefused && schedule.scheduleTarget >= 1 && schedule.scheduleTarget <= 3)
        return Read::NotKnownYet;
    const auto readAll = [this, reads] {
        if (reads->allRead)
            return Read::Done;
        const Read read = readResult(m_db->queryAllAvailableIFP(reads->all));
        reads->allRead = read == Read::Done;
        if (!reads->allRead)
            reads->all.clear();
        return read;
    };
    switch (schedule.scheduleTarget) {
    case 1: {
        const Read read = readAll();
        if (read == Read::Done)
            *targets = reads->all;
        return read;
    }
    case 2:
        return readResult(m_db->queryDeviceByAutoTestSchedule(schedule, *targets));
    case 3: {
        const Read read = readAll();
        if (read != Read::Done)
            return read;
        QHash<QString, int> byName;
        for (int i = 0; i < reads->all.size(); ++i)
            byName.insert(reads->all.at(i).deviceName, i);
        QSet<quint32> taken;
        for (const VelkGroups &group : schedule.groups) {
            auto members = reads->members.find(group.groupName);
            if (members == reads->members.end()) {
                QList<VelkIFPDevice> found;
                const quint32 rc = m_db->queryIFPByGroup(group, found);
                // A group deleted since the schedule was saved simply has no members.
                if (rc != DB_OK && rc != DB_ROW_NOT_FOUND) {
                    targets->clear();
                    return readResult(rc);
                }
                members = reads->members.insert(group.groupName, found);
            }
            for (const VelkIFPDevice &member : qAsConst(*members)) {
                const int index = byName.value(member.deviceName, -1);
                if (index < 0 || taken.contains(member.did))
                    continue;
                taken.insert(member.did);
                targets->append(reads->all.at(index));
            }
        }
        return Read::Done;
    }
    default:
        return Read::Done;
    }
}

void AutoTestRunner::learnTargets(const QList<VelkAutoTestSchedule> &schedules, const QDate &today)
{
    // Only what a test of today needs; what a refused read would have said stays as known before.
    TargetReads reads;
    QSet<quint32> present;
    for (const VelkAutoTestSchedule &schedule : schedules) {
        present.insert(schedule.tsid);
        if (m_passRefused || !schedule.isEnable ||
            !ScheduleTime::isDayOn(today, schedule.isMon, schedule.isTue, schedule.isWed, schedule.isThu,
                                   schedule.isFri, schedule.isSat, schedule.isSun))
            continue;
        QList<VelkIFPDevice> targets;
        if (resolveTargets(schedule, &targets, &reads) == Read::Done)
            m_knownTargets.insert(schedule.tsid, targets);
    }
    for (auto it = m_knownTargets.begin(); it != m_knownTargets.end();) {
        if (present.contains(it.key()))
            ++it;
        else
            it = m_knownTargets.erase(it);
    }
    // The build is no pass: the tasks it fires read again.
    m_passRefused = false;
}

void AutoTestRunner::setRetryIntervalMs(int first, int longest)
{
    m_reread.setIntervalMs(first, longest);
}

void AutoTestRunner::retryRefused()
{
    if (m_closeRefused) {
        closeInterruptedRuns();
        // Refused once more: the rest waits for the next try, since each read would make the GUI wait again.
        if (m_closeRefused)
            return;
    }
    if (m_buildRefused) {
        // Builds the list again and runs a pass; the tasks that fired already do not fire again. Refused once more,
        // the waiting tests are not asked for in the same turn: each read would make the GUI wait again.
        rebuild();
        if (m_buildRefused)
            return;
    }
    if (!m_waiting.isEmpty()) {
        if (!m_passWrites)
            m_passWrites.reset(new DbWriteBatch(m_db, "AutoTestRunner, pass"));
        const QList<Waiting> waiting = m_waiting.values();
        for (const Waiting &test : waiting)
            powerOn(test.powerOn);
        // Arms the checks of the tests that ran and commits what they wrote.
        runPass();
    }
    if (!m_buildRefused && m_waiting.isEmpty() && !m_closeRefused)
        m_reread.done();
}

void AutoTestRunner::closeInterruptedRuns()
{
    QList<VelkAutoTestSchedule> schedules;
    m_closeRefused = false;
    if (m_db->queryAllAutoTestSchedule(schedules) != DB_OK) {
        if (notKnownYet()) {
            // Left "Scheduling", a test could be neither edited nor switched off for the rest of the session.
            if (m_reread.later())
                writeLog(LOG_LEVEL_WARNING, "AutoTestRunner::closeInterruptedRuns, the auto-tests cannot be read for "
                                            "now; tests left running are closed once they can");
            m_closeRefused = true;
            return;
        }
        writeLog(LOG_LEVEL_ERROR, "AutoTestRunner::closeInterruptedRuns, queryAllAutoTestSchedule error");
        return;
    }
    QSet<quint32> running = m_statesWritten;
    for (const Run &run : qAsConst(m_runs))
        running.insert(run.check.schedule.tsid);
    bool changed = false;
    for (const VelkAutoTestSchedule &schedule : qAsConst(schedules)) {
        if (schedule.status != StatusScheduling || running.contains(schedule.tsid))
            continue;
        QList<VelkAutoTestScheduleReport> rows;
        if (m_db->queryAutoTestScheduleReportByAutoTestSchedule(schedule, rows) != DB_OK)
            writeLog(LOG_LEVEL_ERROR, "AutoTestRunner::closeInterruptedRuns, report of auto-test %u unreadable",
                     schedule.tsid);
        // The rows first, then the state, together; held in that order when the database refuses them for now.
        DbWriteBatch batch(m_db, "AutoTestRunner::closeInterruptedRuns");
        for (const VelkAutoTestScheduleReport &row : qAsConst(rows)) {
            if (row.status != StatusScheduling)
                continue;
            const int notes = row.notes;
            if (batch.write(
                    QStringLiteral("report of auto-test %1 for %2").arg(schedule.tsid).arg(row.device.deviceName),
                    [db = m_db, device = row.device, schedule, notes] {
                        VelkIFPDevice failed = device;
                        VelkAutoTestSchedule closed = schedule;
                        return goneIsDone(db->updateAutoTestScheduleReport(failed, closed, StatusFailed, notes));
                    }) != DB_OK)
                writeLog(LOG_LEVEL_ERROR, "AutoTestRunner::closeInterruptedRuns, updateAutoTestScheduleReport error");
        }
        if (batch.write(QStringLiteral("state of auto-test %1").arg(schedule.tsid),
                        [db = m_db, test = runOf(schedule)] {
                            return storeStatus(db, test, StatusScheduling, StatusFailed);
                        }) != DB_OK)
            writeLog(LOG_LEVEL_ERROR, "AutoTestRunner::closeInterruptedRuns, updateAutoTestScheduleStatusIf error");
        batch.finish();
        writeLog(LOG_LEVEL_WARNING,
                 "auto-test %u was still scheduling when the console ended; it and its unfinished devices are "
                 "marked Failed",
                 schedule.tsid);
        changed = true;
    }
    if (changed)
        emit schedulesChanged();
}

bool AutoTestRunner::currentSchedule(const AutoTestTask &task, VelkAutoTestSchedule *schedule)
{
    if (!m_passSchedulesRead) {
        QList<VelkAutoTestSchedule> schedules;
        const Read read = m_passRefused ? Read::NotKnownYet : readResult(m_db->queryAllAutoTestSchedule(schedules));
        if (read != Read::Done) {
            if (read == Read::NotKnownYet)
                writeLog(LOG_LEVEL_WARNING,
                         "AutoTestRunner, the auto-tests cannot be read for now; auto-test %u goes on as planned",
                         task.schedule.tsid);
            else
                writeLog(LOG_LEVEL_ERROR,
                         "AutoTestRunner, queryAllAutoTestSchedule error; using auto-test %u as planned",
                         task.schedule.tsid);
            *schedule = task.schedule;
            return true;
        }
        for (const VelkAutoTestSchedule &stored : qAsConst(schedules))
            m_passSchedules.insert(stored.tsid, stored);
        m_passSchedulesRead = true;
        m_knownSchedules = schedules;
    }
    const auto stored = m_passSchedules.constFind(task.schedule.tsid);
    if (stored == m_passSchedules.constEnd())
        return false;
    *schedule = *stored;
    return true;
}

void AutoTestRunner::writeStatus(VelkAutoTestSchedule schedule, int from, int status)
{
    schedule.status = status;
    m_statesWritten.insert(schedule.tsid);
    if (passWrite(QStringLiteral("state of auto-test %1").arg(schedule.tsid),
                  [db = m_db, test = runOf(schedule), from, status] { return storeStatus(db, test, from, status); }) !=
        DB_OK)
        writeLog(LOG_LEVEL_ERROR, "Scheduling::runAutoTestTask, updateAutoTestScheduleStatusIf error, auto-test %u",
                 schedule.tsid);
    const auto read = m_passSchedules.find(schedule.tsid);
    if (read != m_passSchedules.end())
        read->status = status;
    // Only tasks write states, and tasks run in passes: passEnded() tells the page.
    m_changed = true;
}

bool AutoTestRunner::notKnownYet() const
{
    // SQLite reports a read that an I/O error broke off as a damaged file ("database disk image is malformed") as
    // well: failed for a while, the test of that minute was failed and never ran.
    return m_db->refusedForNow() || m_db->lastFailure() == DbFailure::Storage;
}

QList<VelkIFPDevice> AutoTestRunner::stillManaged(const QList<VelkIFPDevice> &devices, quint32 tsid) const
{
    if (!m_server->managedDevicesKnown())
        return devices;
    QSet<quint32> managed;
    for (const VelkIFPDevice &device : m_server->managedDevices())
        managed.insert(device.did);
    QList<VelkIFPDevice> kept;
    for (const VelkIFPDevice &device : devices) {
        if (managed.contains(device.did))
            kept.append(device);
        else
            writeLog(LOG_LEVEL_INFO, "runAutoTestTask, %s was deleted since auto-test %u read its devices; not tested",
                     device.deviceName.toLocal8Bit().constData(), tsid);
    }
    return kept;
}

quint32 AutoTestRunner::passWrite(const QString &what, const std::function<quint32()> &write)
{
    return m_passWrites ? m_passWrites->write(what, write) : write();
}
