#include "broadcast/BroadcastScheduler.h"

#include "broadcast/BroadcastAudio.h"
#include "broadcast/BroadcastManager.h"
#include "broadcast/BroadcastTiming.h"
#include "datastore/DbHeldWrites.h"
#include "datastore/DbTransaction.h"
#include "datastore/DbWriteBatch.h"
#include "datastore/OrvantaDBIntf.h"
#include "platform/LogLevel.h"
#include "shell/base/Clock.h"
#include "shell/base/Log.h"

#include <QSet>

#include <algorithm>

namespace {

QByteArray number(qint64 value)
{
    return QByteArray::number(value);
}

} // namespace

BroadcastScheduler::BroadcastScheduler(OrvantaDBIntf *db, BroadcastManager *manager, Clock *clock,
                                       const QString &audioFolder, DeviceSource supportedDevices, QObject *parent)
    : QObject(parent), m_db(db), m_manager(manager), m_clock(clock), m_audioFolder(audioFolder),
      m_supportedDevices(std::move(supportedDevices)), m_reread(db->heldWrites())
{
    m_dailyTimer.setSingleShot(true);
    m_dailyTimer.setTimerType(Qt::PreciseTimer);
    m_taskTimer.setSingleShot(true);
    m_taskTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_reread, &DbReadRetry::retry, this, &BroadcastScheduler::reread);
}

BroadcastScheduler::~BroadcastScheduler() = default;

void BroadcastScheduler::start()
{
    m_startedAt = m_clock->now();
    checkOldUpcomingBroadcast();
    connect(&m_dailyTimer, &QTimer::timeout, this, &BroadcastScheduler::regularlyCheckBroadcastTask);
    connect(&m_taskTimer, &QTimer::timeout, this, &BroadcastScheduler::checkBroadcastTask);
    // Queued: the manager has let go of the task by the time the lists are rebuilt.
    connect(m_manager, &BroadcastManager::broadcastFinished, this, &BroadcastScheduler::broadcastTaskFinished,
            Qt::QueuedConnection);
    connect(m_clock, &Clock::jumped, this, &BroadcastScheduler::regularlyCheckBroadcastTask);
    refreshBroadcastTables();
    regularlyCheckBroadcastTask();
}

QDateTime BroadcastScheduler::nextStartDateTime(const VelkBroadcast &broadcast) const
{
    return BroadcastTiming::nextStartDateTime(broadcast, m_clock->now());
}

void BroadcastScheduler::refreshBroadcastTables()
{
    if (!readStoredLists())
        m_reread.later();
    rebuildLists();
}

bool BroadcastScheduler::readStoredLists()
{
    // Each read refused waits for the database first: once one is refused, the others would only wait in vain.
    const bool read = readStored(VelkBroadcast::Pending, m_storedPending) &&
                      readStored(VelkBroadcast::Upcoming, m_storedUpcoming) &&
                      readStored(VelkBroadcast::Completed, m_storedCompleted);
    if (read) {
        if (m_readsRefused)
            writeLog(LOG_LEVEL_INFO, "Broadcast::refreshBroadcastTables, the broadcast lists are read again");
        m_readsRefused = false;
    } else if (!m_readsRefused) {
        m_readsRefused = true;
        writeLog(LOG_LEVEL_ERROR,
                 "Broadcast::refreshBroadcastTables, queryBroadcastByStatus error: the lists read before stand until "
                 "the database gives them");
    }
    return read;
}

bool BroadcastScheduler::readStored(VelkBroadcast::Status status, QList<VelkBroadcast> &stored)
{
    QList<VelkBroadcast> read;
    if (m_db->queryBroadcastByStatus(status, read) != DB_OK)
        return false;
    stored = read;
    return true;
}

void BroadcastScheduler::reread()
{
    if (!m_staleChecked) {
        checkOldUpcomingBroadcast();
        if (!m_staleChecked) {
            m_reread.later();
            return;
        }
    }
    // Nothing is rebuilt while the database still refuses: the lists shown stand as they are (a rebuild stops the
    // audio preview).
    if (!readStoredLists()) {
        m_reread.later();
        return;
    }
    // Before the check: a start that waits for its groups asks again for itself.
    m_reread.done();
    rebuildLists();
    checkBroadcastTask();
}

void BroadcastScheduler::rebuildLists()
{
    emit aboutToRefresh();

    m_pendingList = m_storedPending;
    m_taskList.clear();
    const QList<VelkBroadcast> upcoming = m_storedUpcoming;
    const QDateTime now = m_clock->now();
    QHash<quint32, WaitingStart> waiting;
    QHash<quint32, QDateTime> lastRun;
    QList<VelkBroadcast> completedHere;
    QHash<quint32, VelkBroadcast> stillUpcoming;
    QHash<quint32, VelkBroadcast> stillNotPending;
    for (const VelkBroadcast &broadcast : qAsConst(upcoming)) {
        if (sameAs(m_pendingHere, broadcast)) {
            // Its "pending" is still on its way to the database: it is pending all the same, and does not start.
            VelkBroadcast pending = broadcast;
            pending.status = VelkBroadcast::Pending;
            m_pendingList.append(pending);
            stillNotPending.insert(broadcast.bid, m_pendingHere.value(broadcast.bid));
            continue;
        }
        if (sameAs(m_completedHere, broadcast)) {
            // Its "completed" is still on its way to the database: it is completed all the same, and never starts
            // again.
            VelkBroadcast completed = broadcast;
            completed.status = VelkBroadcast::Completed;
            completedHere.append(completed);
            stillUpcoming.insert(broadcast.bid, m_completedHere.value(broadcast.bid));
            continue;
        }
        BroadcastTask task;
        task.broadcast = broadcast;
        m_manager->checkBroadcastTaskRunning(task);
        // A run the manager has let go of, whose end has not reached us yet, must not be started again: two runs
        // that end in one turn of the event loop would otherwise send the later one twice.
        if (!task.started && m_handedOver.contains(broadcast.bid)) {
            task.started = true;
            task.startDateTime = m_handedOver.value(broadcast.bid).startDateTime;
        }
        if (!task.started) {
            task.startDateTime = waitingStart(broadcast, now);
            waiting.insert(broadcast.bid, {task.startDateTime, broadcast});
        }
        if (m_lastRun.contains(broadcast.bid))
            lastRun.insert(broadcast.bid, m_lastRun.value(broadcast.bid));
        m_taskList.append(task);
    }
    m_waiting = waiting;
    m_lastRun = lastRun;
    m_completedHere = stillUpcoming;
    m_pendingHere = stillNotPending;
    std::sort(m_taskList.begin(), m_taskList.end(), broadcastTaskLessThan);

    m_completedList = m_storedCompleted;
    m_completedList += completedHere;

    emit refreshed();
}

QDateTime BroadcastScheduler::waitingStart(const VelkBroadcast &broadcast, const QDateTime &now) const
{
    QDateTime next = BroadcastTiming::nextStartDateTime(broadcast, now);
    const QDateTime ran = m_lastRun.value(broadcast.bid);
    // A run that ended within its own start millisecond is not due a second time.
    if (ran.isValid() && next == ran && BroadcastTiming::repeats(broadcast))
        next = BroadcastTiming::nextStartDateTime(broadcast, ran.addMSecs(1));
    // Once its start has begun, a repeating broadcast's next start lies a week on, but its timer may not have fired
    // yet: any rebuild in between (a click, a save, the end of another run) would skip the run. A task that is due
    // and not yet started keeps its start for the check that starts it, unless its own schedule was changed.
    const auto kept = m_waiting.constFind(broadcast.bid);
    if (kept == m_waiting.constEnd() || !kept->start.isValid() || kept->start == ran ||
        !startsAlike(kept->broadcast, broadcast))
        return next;
    if (BroadcastTiming::repeats(broadcast) && kept->start.date() < now.date())
        return startAfterMissedDays(broadcast, kept->start, now, next);
    const bool due = kept->start <= now && kept->start.date() == now.date();
    if (due && (!next.isValid() || kept->start < next))
        return kept->start;
    return next;
}

QDateTime BroadcastScheduler::startAfterMissedDays(const VelkBroadcast &broadcast, const QDateTime &missed,
                                                   const QDateTime &now, const QDateTime &next) const
{
    // The task waited for a start on an earlier day and no check came until today (the PC asleep over it, the clock
    // set forward past it). Every start from that one up to today's midnight is lost: a broadcast meant for the hour
    // of an earlier day is not sent days late. Today's start is another matter: had the PC woken with it still ahead,
    // it would have been sent at its time, and the hours asleep before it must not cost it. So a start earlier today
    // that has not run is sent at this check, as it is after a sleep within the day.
    QList<QDateTime> lost;
    QDateTime start = missed;
    while (start.isValid() && start.date() < now.date()) {
        lost.append(start);
        start = BroadcastTiming::nextStartDateTime(broadcast, start.addMSecs(1));
    }
    const bool dueToday = start.isValid() && start <= now && start != m_lastRun.value(broadcast.bid);
    const QDateTime result = dueToday && (!next.isValid() || start < next) ? start : next;

    const QString format = QStringLiteral("yyyy-MM-dd hh:mm");
    for (const QDateTime &day : qAsConst(lost)) {
        writeLog(LOG_LEVEL_WARNING, "checkBroadcastTask, start missed: %s, bid: %s, next start: %s",
                 qPrintable(day.toString(format)), number(broadcast.bid).constData(),
                 qPrintable(result.toString(format)));
    }
    return result;
}

void BroadcastScheduler::checkBroadcastTask()
{
    m_taskTimer.stop();
    // The upcoming broadcasts of start-up that can no longer start on their own are not known yet: any of them would
    // be sent again. The check comes back with the lists.
    if (!m_staleChecked) {
        m_reread.later();
        return;
    }
    if (m_taskList.isEmpty())
        return;
    const QDateTime now = m_clock->now();
    moveMissedStarts(now);
    bool startedAny = false;
    // Preparing may complete a broadcast at once; the list itself only changes at the refresh below.
    const QList<BroadcastTask> tasks = m_taskList;
    for (const BroadcastTask &task : tasks) {
        if (task.started)
            continue;
        if (task.broadcast.isNow) {
            startedAny = prepareBroadcastTaskForExe(task) || startedAny;
            continue;
        }
        if (task.startDateTime.date() != now.date())
            continue;
        const qint64 seconds = BroadcastTiming::secondsUntilStart(task.startDateTime, now);
        if (seconds <= 0) {
            startedAny = prepareBroadcastTaskForExe(task) || startedAny;
            continue;
        }
        writeLog(LOG_LEVEL_INFO, "checkBroadcastTask, will start next after secs: %s", number(seconds).constData());
        m_taskTimer.start(int(seconds * 1000));
        break;
    }
    if (!startedAny)
        return;
    refreshBroadcastTables();
    m_manager->startQueuedBroadcastTasks();
}

void BroadcastScheduler::moveMissedStarts(const QDateTime &now)
{
    // A start on an earlier day passed while no check ran (the PC asleep over it, the clock set forward past its
    // day). The check only starts what is due today, so a repeating broadcast holding such a start would wait for
    // ever, and lose every later run, until something rebuilt the lists. The rebuild logs the lost starts and moves
    // the task on: to today's start when that has passed without running (sent below), else to its next run.
    for (const BroadcastTask &task : qAsConst(m_taskList)) {
        if (!task.started && !task.broadcast.isNow && BroadcastTiming::repeats(task.broadcast) &&
            task.startDateTime.isValid() && task.startDateTime.date() < now.date()) {
            refreshBroadcastTables();
            return;
        }
    }
}

void BroadcastScheduler::regularlyCheckBroadcastTask()
{
    m_dailyTimer.start(int(BroadcastTiming::msecsToNextMidnight(m_clock->now())));
    checkBroadcastTask();
}

bool BroadcastScheduler::prepareBroadcastTaskForExe(const BroadcastTask &task)
{
    BroadcastTask copy = task;
    if (copy.broadcast.target == 3) {
        // Who is in a group only the database knows. Read as nobody while another program holds it, the broadcast
        // reached no one and was completed; it waits for the database instead, and starts once.
        QList<QList<VelkIFPDevice>> memberLists;
        for (const VelkGroups &group : qAsConst(copy.broadcast.groups)) {
            QList<VelkIFPDevice> members;
            if (m_db->queryIFPByGroup(group, members) != DB_OK) {
                if (m_db->refusedForNow()) {
                    writeLog(LOG_LEVEL_WARNING,
                             "prepareBroadcastTaskForExe, the groups of broadcast %s cannot be read for now; it starts "
                             "once they can",
                             number(task.broadcast.bid).constData());
                    m_reread.later();
                    return false;
                }
                writeLog(LOG_LEVEL_ERROR, "prepareBroadcastTaskForExe, queryIFPByGroup error: %s",
                         qPrintable(group.groupName));
                continue;
            }
            memberLists.append(members);
        }
        QSet<QString> supportedNames;
        for (const VelkIFPDevice &device : m_supportedDevices())
            supportedNames.insert(device.deviceName);
        copy.broadcast.devices.clear();
        QSet<quint32> taken;
        for (const QList<VelkIFPDevice> &members : qAsConst(memberLists)) {
            for (const VelkIFPDevice &device : members) {
                if (supportedNames.contains(device.deviceName) && !taken.contains(device.did)) {
                    taken.insert(device.did);
                    copy.broadcast.devices.append(device);
                }
            }
        }
    }
    writeLog(LOG_LEVEL_INFO, "prepareBroadcastTaskForExe: %s", number(task.broadcast.bid).constData());
    m_lastRun.insert(task.broadcast.bid, task.startDateTime);
    // One panel is one target, whatever form its MAC was stored in: a second record of it would be sent the
    // broadcast twice and leave one report row without a result.
    QSet<QString> keys;
    QList<VelkIFPDevice> devices;
    for (const VelkIFPDevice &device : qAsConst(copy.broadcast.devices)) {
        const QString key = m_manager->deviceKey(device);
        if (!keys.contains(key)) {
            keys.insert(key);
            devices.append(device);
        }
    }
    copy.broadcast.devices = devices;
    dropInterruptedRun(copy.broadcast);

    if (copy.broadcast.devices.isEmpty()) {
        writeLog(LOG_LEVEL_INFO, "no devices in broadcast task");
        BroadcastTask run = task;
        saveCompletedBroadcast(run);
        return true;
    }
    const VelkBroadcast run = copy.broadcast;
    if (DbWriteBatch::writeOne(m_db, "prepareBroadcastTaskForExe",
                               QStringLiteral("report rows of broadcast %1").arg(run.bid), [db = m_db, run] {
                                   VelkBroadcast broadcast = run;
                                   QList<VelkIFPDevice> targets = run.devices;
                                   return logDeleted(db->insertBroadcastReport(broadcast, targets),
                                                     "report rows not written", run.bid);
                               }) != DB_OK)
        writeLog(LOG_LEVEL_ERROR, "prepareBroadcastTaskForExe, insertBroadcastReport error");
    m_manager->addBroadcastTask(copy);
    m_handedOver.insert(task.broadcast.bid, task);
    return true;
}

void BroadcastScheduler::saveCompletedBroadcast(BroadcastTask &task)
{
    writeLog(LOG_LEVEL_INFO, "saveCompletedBroadcast: %s", number(task.broadcast.bid).constData());
    if (!BroadcastTiming::repeats(task.broadcast)) {
        task.broadcast.status = VelkBroadcast::Completed;
        // The run is over whatever the database answers: a one-off that stayed upcoming because its status could not
        // be written was started again at the next check, and again, for as long as the database refused it.
        m_completedHere.insert(task.broadcast.bid, task.broadcast);
        const VelkBroadcast completed = task.broadcast;
        if (DbWriteBatch::writeOne(m_db, "Broadcast::saveCompletedBroadcast",
                                   QStringLiteral("status of broadcast %1").arg(completed.bid), [db = m_db, completed] {
                                       return setStatusWhileUpcoming(db, completed, VelkBroadcast::Completed);
                                   }) != DB_OK)
            writeLog(LOG_LEVEL_ERROR, "saveCompletedBroadcast, updateBroadcast error");
        return;
    }
    // Each run of a repeating broadcast is recorded as a completed copy of its own, and the run's report rows (written
    // under the repeating broadcast's bid) go with it, so every run keeps its own report and failed count.
    VelkBroadcast copy = task.broadcast;
    copy.status = VelkBroadcast::Completed;
    if (copy.audioSelection == 4 && !duplicateCustomAudioFile(copy)) {
        dropRunReport(task.broadcast);
        return;
    }
    copy.startDate = task.startDateTime.date().toString(QStringLiteral("yyyy-MM-dd"));
    const VelkBroadcast run = task.broadcast;
    const quint32 rc = DbWriteBatch::writeOne(m_db, "Broadcast::saveCompletedBroadcast",
                                              QStringLiteral("completed run of broadcast %1").arg(run.bid),
                                              [db = m_db, copy, run] { return recordRun(db, copy, run); });
    if (rc == DB_OK)
        return;
    writeLog(LOG_LEVEL_ERROR, "saveCompletedBroadcast, insertBroadcast error");
    dropRunReport(task.broadcast);
}

quint32 BroadcastScheduler::recordRun(OrvantaDBIntf *db, const VelkBroadcast &copy, const VelkBroadcast &run)
{
    VelkBroadcast completed = copy;
    VelkBroadcast from = run;
    DbTransaction transaction = db->transaction("Broadcast::saveCompletedBroadcast");
    quint32 rc = db->insertBroadcast(completed);
    // Gone meanwhile (deleted after a hold of the database, before this landed), the broadcast took the run's rows
    // along: a record of the run would show no report, as if every panel had it.
    if (rc == DB_OK)
        rc = logDeleted(db->moveBroadcastReport(from, completed), "completed run not recorded", run.bid);
    if (rc == DB_OK && !transaction.commit())
        rc = DB_STATEMENT_FAILED;
    return rc;
}

quint32 BroadcastScheduler::setStatusWhileUpcoming(OrvantaDBIntf *db, const VelkBroadcast &upcoming,
                                                   VelkBroadcast::Status status)
{
    VelkBroadcast record = upcoming;
    record.status = status;
    bool set = false;
    const quint32 rc = logDeleted(db->updateBroadcastStatusIf(record, VelkBroadcast::Upcoming, set),
                                  "status not written", upcoming.bid);
    if (rc == DB_OK && !set)
        writeLog(LOG_LEVEL_INFO, "Broadcast: broadcast %s was changed since, its status is left as it is now",
                 number(upcoming.bid).constData());
    return rc;
}

quint32 BroadcastScheduler::logDeleted(quint32 rc, const char *what, quint32 bid)
{
    if (rc == DB_ROW_NOT_FOUND)
        writeLog(LOG_LEVEL_WARNING, "Broadcast: %s, broadcast %s was deleted", what, number(bid).constData());
    return rc;
}

bool BroadcastScheduler::sameAs(const QHash<quint32, VelkBroadcast> &here, const VelkBroadcast &broadcast)
{
    const auto found = here.constFind(broadcast.bid);
    return found != here.constEnd() && startsAlike(*found, broadcast);
}

void BroadcastScheduler::dropInterruptedRun(VelkBroadcast broadcast)
{
    // Every finished run takes its rows along (a one-off stays completed with them), so rows still under a broadcast
    // about to run come from a run that never ended: the console quit during it, or start-up put a one-off back in
    // pending and it is sent again. Left there, they would join this run's report as blank rows.
    QList<VelkBroadcastReport> left;
    const bool known = m_db->queryBroadcastReportByBroadcast(broadcast, left) == DB_OK;
    if (known && left.isEmpty())
        return;
    const QString what = QStringLiteral("earlier report rows of broadcast %1").arg(broadcast.bid);
    const DbHeldWrites::Write write = [db = m_db, broadcast] {
        VelkBroadcast run = broadcast;
        return db->deleteBroadcastReport(run);
    };
    if (!known && m_db->refusedForNow()) {
        // Not known yet whether there are any, and the delete would only wait for the database again: it joins the
        // held writes, ahead of this run's rows, and costs nothing if there are none.
        m_db->heldWrites()->writeLater("prepareBroadcastTaskForExe", what, write);
    } else if (DbWriteBatch::writeOne(m_db, "prepareBroadcastTaskForExe", what, write) != DB_OK) {
        writeLog(LOG_LEVEL_ERROR, "prepareBroadcastTaskForExe, deleteBroadcastReport error");
        return;
    }
    if (!known) {
        writeLog(LOG_LEVEL_INFO, "prepareBroadcastTaskForExe, report rows of an interrupted run, if any, deleted: %s",
                 number(broadcast.bid).constData());
        return;
    }
    writeLog(LOG_LEVEL_WARNING, "prepareBroadcastTaskForExe, %s report rows of an interrupted run deleted: %s",
             number(left.size()).constData(), number(broadcast.bid).constData());
}

void BroadcastScheduler::dropRunReport(VelkBroadcast broadcast)
{
    // A run that could not be recorded has no completed broadcast to show its rows; left in place, they would be
    // counted with the next run's.
    if (DbWriteBatch::writeOne(m_db, "Broadcast::saveCompletedBroadcast",
                               QStringLiteral("report rows of broadcast %1").arg(broadcast.bid),
                               [db = m_db, broadcast] {
                                   VelkBroadcast run = broadcast;
                                   return db->deleteBroadcastReport(run);
                               }) != DB_OK)
        writeLog(LOG_LEVEL_ERROR, "saveCompletedBroadcast, deleteBroadcastReport error");
}

void BroadcastScheduler::checkOldUpcomingBroadcast()
{
    if (m_staleChecked)
        return;
    QList<VelkBroadcast> upcoming;
    if (m_db->queryBroadcastByStatus(VelkBroadcast::Upcoming, upcoming) != DB_OK) {
        writeLog(LOG_LEVEL_ERROR, "Broadcast::checkOldUpcomingBroadcast, queryBroadcastByStatus upcoming error");
        m_reread.later();
        return;
    }
    m_staleChecked = true;
    // By the moment the console started, also when the database let it read them only later: a one-off due in
    // between is sent late, not put aside.
    const QDateTime now = m_startedAt.isValid() ? m_startedAt : m_clock->now();
    for (VelkBroadcast &broadcast : upcoming) {
        if (!BroadcastTiming::isStaleUpcoming(broadcast, now))
            continue;
        const VelkBroadcast upcomingOne = broadcast;
        broadcast.status = VelkBroadcast::Pending;
        // Held and written later when the database refuses it for now (another program holds it, the disk is full).
        // Meanwhile the lists take it as pending: left upcoming, an immediate one, or a one-off due earlier today,
        // would be sent again.
        if (DbWriteBatch::writeOne(m_db, "Broadcast::checkOldUpcomingBroadcast",
                                   QStringLiteral("status of broadcast %1").arg(broadcast.bid),
                                   [db = m_db, upcomingOne] {
                                       return setStatusWhileUpcoming(db, upcomingOne, VelkBroadcast::Pending);
                                   }) != DB_OK) {
            writeLog(LOG_LEVEL_ERROR, "Broadcast::checkOldUpcomingBroadcast, updateBroadcast error");
            continue;
        }
        m_pendingHere.insert(broadcast.bid, upcomingOne);
        writeLog(LOG_LEVEL_INFO, "Broadcast::checkOldUpcomingBroadcast, move to pending: %s",
                 number(broadcast.bid).constData());
    }
}

void BroadcastScheduler::broadcastTaskFinished(uint bid)
{
    writeLog(LOG_LEVEL_INFO, "Broadcast::broadcastTaskFinished, bid: %s", number(bid).constData());
    // The run as it started: the lists may not hold it now (the database refused the last read of them), and a run
    // left unrecorded would stay upcoming, to be sent again.
    BroadcastTask task;
    const auto handed = m_handedOver.constFind(bid);
    if (handed != m_handedOver.constEnd()) {
        task = *handed;
        m_handedOver.remove(bid);
    } else {
        for (const BroadcastTask &listed : qAsConst(m_taskList)) {
            if (listed.broadcast.bid == bid)
                task = listed;
        }
    }
    if (task.broadcast.bid == bid) {
        BroadcastTask run = task;
        saveCompletedBroadcast(run);
        // The next start counts from this run's start, not from now: a run can outlast later starts (the PC asleep
        // while a panel had still to answer). The rebuild takes the start that followed the run as the one the task
        // waited for, as after a sleep: a start passed today is sent now, those of the days between are logged as
        // missed.
        if (BroadcastTiming::repeats(task.broadcast) && task.startDateTime.isValid())
            m_waiting.insert(bid, {BroadcastTiming::nextStartDateTime(task.broadcast, task.startDateTime.addMSecs(1)),
                                   task.broadcast});
    }
    refreshBroadcastTables();
    checkBroadcastTask();
}

bool BroadcastScheduler::duplicateCustomAudioFile(VelkBroadcast &broadcast)
{
    return BroadcastAudio::duplicateCustomAudioFile(m_audioFolder, broadcast);
}

BroadcastScheduler::Change BroadcastScheduler::moveToPending(VelkBroadcast broadcast)
{
    broadcast.status = VelkBroadcast::Pending;
    if (m_db->updateBroadcastStatus(broadcast) != DB_OK) {
        const Change refused = refusal("triggerMoveBroadcast, updateBroadcast error");
        // The lists show what is stored: the broadcast stays upcoming, and starts at its time.
        refreshUnlessRefusedForNow(refused);
        return refused;
    }
    forgetStored(broadcast.bid);
    m_storedPending.append(broadcast);
    refreshBroadcastTables();
    checkBroadcastTask();
    return Change::Made;
}

BroadcastScheduler::Change BroadcastScheduler::refusal(const char *logLine)
{
    // Asked at once: the refresh that follows reads the database and tells of its own failures.
    const Change refused = m_db->refusedForNow() ? Change::RefusedForNow : Change::Failed;
    writeLog(LOG_LEVEL_ERROR, "%s%s", logLine,
             refused == Change::RefusedForNow ? ", the database refuses it for now" : "");
    return refused;
}

void BroadcastScheduler::refreshUnlessRefusedForNow(Change refused)
{
    // Refused for now, a read would only wait for the database again, and the lists did not change.
    if (refused != Change::RefusedForNow)
        refreshBroadcastTables();
}

void BroadcastScheduler::forgetStored(quint32 bid)
{
    for (QList<VelkBroadcast> *list : {&m_storedPending, &m_storedUpcoming, &m_storedCompleted}) {
        list->erase(std::remove_if(list->begin(), list->end(),
                                   [bid](const VelkBroadcast &broadcast) { return broadcast.bid == bid; }),
                    list->end());
    }
}

BroadcastScheduler::Change BroadcastScheduler::duplicateBroadcast(const VelkBroadcast &broadcast,
                                                                  VelkBroadcast *copyOut)
{
    VelkBroadcast copy = broadcast;
    copy.status = VelkBroadcast::Pending;
    const bool ownSound = copy.audioSelection == 4;
    if (ownSound && !duplicateCustomAudioFile(copy))
        return Change::Failed;
    if (m_db->insertBroadcast(copy) != DB_OK) {
        const Change refused = refusal("triggerDuplicateBroadcast, insertBroadcast error");
        // No record names the copied sound: kept, it would fill the Audio folder with every refused try.
        if (ownSound)
            BroadcastAudio::removeOwnSound(m_audioFolder, copy.savedAudioFilename);
        refreshUnlessRefusedForNow(refused);
        return refused;
    }
    m_storedPending.append(copy);
    refreshBroadcastTables();
    if (copyOut)
        *copyOut = copy;
    return Change::Made;
}

BroadcastScheduler::Change BroadcastScheduler::deleteBroadcast(quint32 bid)
{
    writeLog(LOG_LEVEL_INFO, "Broadcast::confirmDeleteBroadcast, deleteBroadcastId: %s", number(bid).constData());
    VelkBroadcast doomed;
    bool found = false;
    BroadcastTask running;
    for (const VelkBroadcast &broadcast : qAsConst(m_pendingList)) {
        if (!found && broadcast.bid == bid) {
            doomed = broadcast;
            found = true;
        }
    }
    for (const BroadcastTask &task : qAsConst(m_taskList)) {
        if (!found && task.broadcast.bid == bid) {
            doomed = task.broadcast;
            if (task.started)
                running = task;
            found = true;
        }
    }
    for (const VelkBroadcast &broadcast : qAsConst(m_completedList)) {
        if (!found && broadcast.bid == bid) {
            doomed = broadcast;
            found = true;
        }
    }
    if (!found) {
        writeLog(LOG_LEVEL_WARNING, "confirmDeleteBroadcast, broadcast not found");
        return Change::Failed;
    }
    // The run stops only once the broadcast is gone from the database: stopped first, a refused delete left the
    // broadcast upcoming and not running, and the next check sent it again.
    if (m_db->deleteBroadcast(doomed) != DB_OK) {
        const Change refused = refusal("confirmDeleteBroadcast, deleteBroadcast error");
        refreshUnlessRefusedForNow(refused);
        return refused;
    }
    if (running.started) {
        m_manager->cancelBroadcastTask(running);
        m_handedOver.remove(bid);
    }
    forgetStored(bid);
    if (doomed.audioSelection == 4)
        BroadcastAudio::removeOwnSound(m_audioFolder, doomed.savedAudioFilename);
    refreshBroadcastTables();
    checkBroadcastTask();
    return Change::Made;
}
