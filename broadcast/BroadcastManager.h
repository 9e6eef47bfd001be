#pragma once

#include "broadcast/BroadcastTask.h"

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <list>

class CmdServer;
class DeviceChannel;
class OrvantaDBIntf;
class QTimer;

/// One target device of a running task that sits in the sending window or waits for a place in it. It names its
/// task by bid, never by pointer: a task may end inside any slot, and an entry must not outlive it.
struct BroadcastDeviceEntry
{
    int deviceIndex = 0; ///< index into the devices of the task's broadcast
    quint32 bid = 0;     ///< the task it belongs to
    bool isWoken = false;
    bool canceled = false; ///< a later task took the device over; it fails for this one at its next answer
};

/// Runs upcoming broadcasts on their target panels: sends each panel the record, lets it fetch the sound, starts
/// the online and the woken devices as two groups, and writes one report result per device. At most 20 devices,
/// over all tasks, are between their record and its confirmation; the others wait in arrival order.
///
/// Every waiting step has a single-shot timer, so a run always ends; broadcastFinished(bid) then reports it. All
/// on the GUI thread, driven by the command server's signals and the timers.
class BroadcastManager : public QObject
{
    Q_OBJECT

public:
    enum BroadcastDeviceState
    {
        stateNone = 0,
        stateWaitingWake = 1,
        stateSendingData = 2,
        stateTransferringFile = 3,
        stateReady = 4,
        stateBroadcasting = 5,
        stateFinished = 6
    };

    /// How long the manager waits; the transfer intervals are the command server's.
    struct Timeouts
    {
        int answerMs = 5000; ///< the panel's answer to the record
        int resultMs = 5000; ///< the panel's answer to the start command
        int wakeMs = 600000; ///< a woken panel's connection
    };

    static constexpr int kMaxSendingDevices = 20;

    /// The process-wide manager, created on the first call.
    static BroadcastManager *getInstance();

    BroadcastManager(CmdServer *server, OrvantaDBIntf *db, QObject *parent = nullptr);
    ~BroadcastManager() override;

    void setTimeouts(const Timeouts &timeouts) { m_timeouts = timeouts; }
    Timeouts timeouts() const { return m_timeouts; }

    /// Holds a copy of the task, every device in stateNone; nothing is sent. A bid already held is refused.
    void addBroadcastTask(const BroadcastTask &task);
    /// Starts every held task that is not started yet.
    void startQueuedBroadcastTasks();
    /// Stops the task of that bid at once and discards it; its report rows keep what they hold. Powers the woken
    /// devices off again unless another held task still needs them.
    void cancelBroadcastTask(const BroadcastTask &task);
    bool isBroadcastTaskRunning(const BroadcastTask &task) const;
    /// Sets the argument's started flag, and its start from the held task of the same bid.
    void checkBroadcastTaskRunning(BroadcastTask &task) const;

    /// A device's key in a task: its link key (CmdServer::linkKey), the form the command server's signals carry. That
    /// is its MAC in the network's normal form, so a MAC stored in capitals or with dashes matches; a device without a
    /// MAC a network card can have is named by its did, as the answers of its panel known by its address alone are.
    QString deviceKey(const VelkIFPDevice &device) const;

    int taskCount() const { return int(broadcastTaskList.size()); }
    int sendingCount() const { return currentDeviceList.size(); }
    int queuedCount() const { return queuedDeviceList.size(); }

signals:
    /// A task ended with a result for every device: emitted once those results are in the store and the manager has
    /// let go of the task, from the event loop. Not for a cancel.
    void broadcastFinished(uint bid);

private slots:
    void onNewConnection(DeviceChannel *channel);
    void checkDeviceWoken(const QString &mac, const QString &displayClientVersion);
    void sendBroadcastDataComplete(const QString &mac);
    void transferFileStarted(const QString &mac);
    void broadcastResult(const QString &mac);
    void deviceWokenTimeout();
    void sendBroadcastDataTimeout();
    void setupTransferFileTimeout(const QString &mac, int timeoutMillis);
    void resetTransferFileTimeout(const QString &mac);
    void transferFileTimeout();
    void setupTransferFileCompleteTimeout(const QString &mac, int timeoutMillis);
    void transferFileCompleteTimeout();
    void broadcastResultTimeout();

private:
    using TimeoutSlot = void (BroadcastManager::*)();

    BroadcastTask *findTask(quint32 bid);
    const BroadcastTask *findTask(quint32 bid) const;
    static int stateOf(const BroadcastTask *task, int deviceIndex);
    static void setState(BroadcastTask *task, int deviceIndex, int state);
    static const QString &keyOf(const BroadcastTask *task, int deviceIndex);
    static bool hasAudio(const BroadcastTask *task) { return task->broadcast.audioSelection != 0; }
    /// The first entry of the list whose device has the key and whose state passes; -1 when none.
    int findEntry(const QList<BroadcastDeviceEntry> &list, const QString &key, int state) const;
    static int entryIndex(const QList<BroadcastDeviceEntry> &list, quint32 bid, int deviceIndex);

    QTimer *makeDeviceTimer(BroadcastTask *task, const QString &key, int intervalMs, TimeoutSlot slot);
    void removeDeviceTimeout(BroadcastTask *task, const QString &key);
    /// Stops and releases a device's timer, and its transfer watch if it has one.
    void dropTimer(QTimer *timer, const QString &key);
    void sendRecord(BroadcastTask *task, int deviceIndex, bool isWoken);
    void releaseTimers(BroadcastTask *task);
    void writeResult(BroadcastTask *task, int deviceIndex, int status, int note);
    /// Writes the queued results (of one task, or of all when onlyBid is 0) in one transaction, in the order they
    /// came; in slices: until kResultSliceMs pass.
    void writePendingResults(quint32 onlyBid, bool inSlices);
    bool hasPendingResults(quint32 bid) const;
    void flushResults();

    void doBroadcast(BroadcastTask *task);
    void cancelSameTargetDevice(BroadcastTask *newTask, const VelkIFPDevice &device);
    void sendNextQueuedDevice();
    void startBroadcastOnDevices(BroadcastTask *task, const QList<int> &deviceIndexes);
    void startGroupWhenReady(BroadcastTask *task, const QList<int> &group, const char *logLine);
    void checkBroadcastTaskReady(BroadcastTask *task);
    void handleTimeout(QObject *timer);
    /// True when every device of the task has finished; the task is then ended and must not be used again.
    bool checkBroadcastTaskFinished(BroadcastTask *task);
    void finishBroadcastTask(BroadcastTask *task);
    void removeTask(quint32 bid);
    void listenForWokenDevices();
    void checkStopListenNewConnection();
    void checkOfflineDeviceList(BroadcastTask *task);
    bool removeDeviceFromCurrentList(quint32 bid, int deviceIndex);
    bool removeDeviceFromQueuedList(quint32 bid, int deviceIndex);

    CmdServer *m_server;
    OrvantaDBIntf *m_db;
    Timeouts m_timeouts;
    /// A node list: a task keeps its address while held. Code still looks tasks up by bid after any call that may
    /// end one.
    std::list<BroadcastTask> broadcastTaskList;
    QList<BroadcastDeviceEntry> currentDeviceList;
    QList<BroadcastDeviceEntry> queuedDeviceList;
    bool m_listening = false;

    /// A running sound transfer's time-out, found once when the transfer starts: every chunk only stamps its time
    /// here (a thousand panels send a hundred chunks each per megabyte), and the timer, when it fires, runs on for
    /// what is left of the interval after the last chunk.
    struct TransferWatch
    {
        QTimer *timer = nullptr;
        qint64 lastChunkMs = 0;
        int intervalMs = 0;
    };
    /// By device key, the form the command server's signals carry the MAC in.
    QHash<QString, TransferWatch> m_transferWatches;
    QElapsedTimer m_monotonic;

    /// Report results not yet written, in the order they came; written between other events.
    struct PendingResult
    {
        quint32 bid = 0;
        VelkIFPDevice device;
        int status = 0;
        int note = 0;
    };
    static constexpr int kResultSliceMs = 10;
    /// Writes one result into its report row; returns the data store's result code. It may run later, from the held
    /// writes, when the database refuses it for now.
    static quint32 writePendingResult(OrvantaDBIntf *db, const PendingResult &result);
    QList<PendingResult> m_pendingResults;
    /// Tasks whose devices all finished, held until their results are written.
    QList<quint32> m_ending;
    QTimer m_flushTimer;
};
