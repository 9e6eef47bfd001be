#pragma once

#include "broadcast/BroadcastTask.h"
#include "datastore/DbReadRetry.h"
#include "datastore/VelkBroadcast.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QTimer>

#include <functional>

class BroadcastManager;
class Clock;
class OrvantaDBIntf;

/// The Broadcast page's lists and timing, apart from its widgets: the pending, upcoming and completed broadcasts as
/// stored, one task per upcoming broadcast with its next start, the two timers that start the due ones, the hand-
/// over to the manager and the record of each finished run. The page shows the lists and forwards the operator's
/// row actions here.
///
/// Time comes from the clock seam. The timers run on real time, so a moved clock (jumped()) re-runs the check.
///
/// A list the database cannot give for now (another program holds the file, even for reading) is not known yet, never
/// empty: the lists read last stand, with what the scheduler did since, and are read again a moment later. A start
/// that needs what only the database knows (the members of its groups) waits for it, and runs once.
class BroadcastScheduler : public QObject
{
    Q_OBJECT

public:
    using DeviceSource = std::function<QList<VelkIFPDevice>()>;

    /// How an operator's change to a broadcast went.
    enum class Change
    {
        Made,
        RefusedForNow, ///< the database could not take it for now (another program holds it)
        DiskFull,      ///< the disk is full: nothing can be written until room is made
        Failed         ///< refused for good, or the broadcast is in no list
    };

    /// supportedDevices lists the devices that can take a broadcast (a group's other devices are left out).
    BroadcastScheduler(OrvantaDBIntf *db, BroadcastManager *manager, Clock *clock, const QString &audioFolder,
                       DeviceSource supportedDevices, QObject *parent = nullptr);
    ~BroadcastScheduler() override;

    /// What the page's constructor runs once its widgets exist: stale upcoming broadcasts back to pending, the
    /// timers and the manager wired, the first lists and the first check.
    void start();

    const QList<VelkBroadcast> &pendingList() const { return m_pendingList; }
    const QList<BroadcastTask> &taskList() const { return m_taskList; }
    const QList<VelkBroadcast> &completedList() const { return m_completedList; }
    QString audioFolder() const { return m_audioFolder; }
    const QTimer &dailyTimer() const { return m_dailyTimer; }
    const QTimer &taskTimer() const { return m_taskTimer; }

    /// The first pause before the lists are read again after the database refused them, and the longest one the
    /// pauses grow to while it goes on refusing (tests lengthen them).
    void setRereadIntervalMs(int first, int longest) { m_reread.setIntervalMs(first, longest); }

    /// The broadcast's next start by the clock.
    QDateTime nextStartDateTime(const VelkBroadcast &broadcast) const;

    /// Reloads the three lists, rebuilds and sorts the tasks; aboutToRefresh() before, refreshed() after. Lists the
    /// database refuses for now are rebuilt from those read last.
    void refreshBroadcastTables();
    /// Builds a due task's device list, writes its report rows and hands it to the manager. False when the start
    /// must wait: the members of its groups cannot be read for now.
    bool prepareBroadcastTaskForExe(const BroadcastTask &task);
    /// Records a finished run: a one-off becomes completed, a repeating one leaves a completed copy.
    void saveCompletedBroadcast(BroadcastTask &task);
    /// Moves upcoming broadcasts that can no longer start on their own (immediate, or one-offs already past when the
    /// scheduler started) back to pending. Until it could read them, no check starts anything.
    void checkOldUpcomingBroadcast();
    /// The record's own copy of its uploaded sound (see BroadcastAudio::duplicateCustomAudioFile).
    bool duplicateCustomAudioFile(VelkBroadcast &broadcast);

    // The page's row actions; each reloads the lists on success.

    /// "Move to Pending": stores the broadcast as pending and runs the check. Refused by the store, the broadcast stays
    /// upcoming.
    Change moveToPending(VelkBroadcast broadcast);
    /// A pending copy under a new bid (with its own copy of an uploaded sound). Not stored (refused by the store, or
    /// the sound cannot be copied), it leaves neither a row nor a file behind.
    Change duplicateBroadcast(const VelkBroadcast &broadcast, VelkBroadcast *copy);
    /// Deletes the broadcast of that bid from whichever list holds it, then cancels its run and removes its uploaded
    /// sound. A delete the store refuses changes nothing: the run goes on.
    Change deleteBroadcast(quint32 bid);

public slots:
    /// Starts the due tasks and arms the task timer for the next one of today.
    void checkBroadcastTask();
    /// Re-arms the daily timer for the next midnight, then checks.
    void regularlyCheckBroadcastTask();
    /// The manager finished the run of that broadcast.
    void broadcastTaskFinished(uint bid);

signals:
    /// The lists are about to be rebuilt: whatever points into them (the audio preview) must let go.
    void aboutToRefresh();
    /// The lists were rebuilt.
    void refreshed();

private slots:
    /// Reads the lists again after the database refused them, and runs the check once it gives them.
    void reread();

private:
    /// Reads the three lists into m_stored*; a list refused keeps the one read before (and so do the others: they
    /// would each wait for the database in vain). False when any was not read.
    bool readStoredLists();
    bool readStored(VelkBroadcast::Status status, QList<VelkBroadcast> &stored);
    /// Builds the lists and the tasks from m_stored* and what the scheduler did since it read them.
    void rebuildLists();
    /// What the operator changed, in the lists read last, for a rebuild before they are read again.
    void forgetStored(quint32 bid);
    /// Logs a change the store refused, and tells whether it was refused for now or for good.
    Change refusal(const char *logLine);
    /// After a refused change: the lists are read again, unless the database refuses reads for now too.
    void refreshUnlessRefusedForNow(Change refused);

    /// The start a waiting task gets at a rebuild: its next start by the clock, or, when a rebuild comes between its
    /// start and the check that starts it (or its run ended after the start that follows), the start it already had;
    /// one it held on an earlier day is moved on by startAfterMissedDays.
    QDateTime waitingStart(const VelkBroadcast &broadcast, const QDateTime &now) const;
    /// Where a waiting repeating task goes whose start lies on a day before now's: today's start when it has passed
    /// and not run, else `next`; each start lost on the days between is logged.
    QDateTime startAfterMissedDays(const VelkBroadcast &broadcast, const QDateTime &missed, const QDateTime &now,
                                   const QDateTime &next) const;
    /// Rebuilds the lists when a repeating task's start lies on a day before now's, so it moves on (see
    /// startAfterMissedDays).
    void moveMissedStarts(const QDateTime &now);
    /// Stores the completed copy of a repeating broadcast's run and gives it the run's report rows, together; a
    /// write that may run later, from the held writes.
    static quint32 recordRun(OrvantaDBIntf *db, const VelkBroadcast &copy, const VelkBroadcast &run);
    /// Sets the status of an upcoming broadcast, unless it was changed or deleted since `upcoming` was read; a write
    /// that may run later, from the held writes.
    static quint32 setStatusWhileUpcoming(OrvantaDBIntf *db, const VelkBroadcast &upcoming,
                                          VelkBroadcast::Status status);
    /// Logs that a write for the broadcast found it deleted (DB_ROW_NOT_FOUND); returns rc.
    static quint32 logDeleted(quint32 rc, const char *what, quint32 bid);
    /// Whether `here` (m_completedHere, m_pendingHere) holds this broadcast, still upcoming in the database, with the
    /// same schedule.
    static bool sameAs(const QHash<quint32, VelkBroadcast> &here, const VelkBroadcast &broadcast);
    /// Deletes the report rows a run that never ended left under the broadcast, with a log line.
    void dropInterruptedRun(VelkBroadcast broadcast);
    void dropRunReport(VelkBroadcast broadcast);

    OrvantaDBIntf *m_db;
    BroadcastManager *m_manager;
    Clock *m_clock;
    QString m_audioFolder;
    DeviceSource m_supportedDevices;
    QList<VelkBroadcast> m_pendingList;
    QList<BroadcastTask> m_taskList;
    QList<VelkBroadcast> m_completedList;
    /// The lists as the database gave them last.
    QList<VelkBroadcast> m_storedPending;
    QList<VelkBroadcast> m_storedUpcoming;
    QList<VelkBroadcast> m_storedCompleted;
    /// Runs handed to the manager whose end has not been recorded yet, as they started: the end is recorded from
    /// this, whatever the lists hold by then.
    QHash<quint32, BroadcastTask> m_handedOver;
    /// The start each waiting task had at the last rebuild, with the record it was worked out from; for a repeating
    /// task whose run has just ended, the start that followed that run's.
    struct WaitingStart
    {
        QDateTime start;
        VelkBroadcast broadcast;
    };
    QHash<quint32, WaitingStart> m_waiting;
    /// The start of the last run handed over (or recorded at once) for each upcoming broadcast.
    QHash<quint32, QDateTime> m_lastRun;
    /// The one-off broadcasts whose run ended in this run of the console, as they were when it started, while the
    /// database still holds them upcoming: their "completed" may be held until the database takes writes.
    QHash<quint32, VelkBroadcast> m_completedHere;
    /// The same for the stale upcoming broadcasts moved back to pending in this run of the console.
    QHash<quint32, VelkBroadcast> m_pendingHere;
    QTimer m_dailyTimer;
    QTimer m_taskTimer;
    /// Reads the lists again after the database refused them: after a pause growing while it goes on refusing, or at
    /// once when writes held back by the same hold land.
    DbReadRetry m_reread;
    /// Whether the database refused the last read of the lists (logged once, until it gives them again).
    bool m_readsRefused = false;
    /// When start() ran, and whether the stale upcoming broadcasts of that moment went back to pending yet.
    QDateTime m_startedAt;
    bool m_staleChecked = false;
};
