#include "broadcast/BroadcastManager.h"

#include "datastore/DbWriteBatch.h"
#include "datastore/OrvantaDBManager.h"
#include "network/CmdServer.h"
#include "network/DeviceChannel.h"
#include "network/PanelIdentity.h"
#include "platform/LogLevel.h"
#include "shell/base/Log.h"

#include <QMutex>
#include <QMutexLocker>
#include <QTimer>

#include <algorithm>

namespace {

QByteArray number(qint64 value)
{
    return QByteArray::number(value);
}

QString normalisedMac(const QString &mac)
{
    const QString normal = PanelIdentity::normaliseMac(mac);
    return normal.isEmpty() ? mac : normal;
}

QList<int> reversed(QList<int> list)
{
    std::reverse(list.begin(), list.end());
    return list;
}

} // namespace

BroadcastManager *BroadcastManager::getInstance()
{
    static QMutex mutex;
    static BroadcastManager *instance = nullptr;
    QMutexLocker locker(&mutex);
    if (!instance)
        instance = new BroadcastManager(CmdServer::getInstance(), OrvantaDBManager::getInstance());
    return instance;
}

BroadcastManager::BroadcastManager(CmdServer *server, OrvantaDBIntf *db, QObject *parent)
    : QObject(parent), m_server(server), m_db(db)
{
    m_monotonic.start();
    m_flushTimer.setSingleShot(true);
    m_flushTimer.setInterval(0);
    connect(&m_flushTimer, &QTimer::timeout, this, &BroadcastManager::flushResults);
    connect(m_server, &CmdServer::sendBroadcastDataComplete, this, &BroadcastManager::sendBroadcastDataComplete);
    connect(m_server, &CmdServer::transferBroadcastFileStarted, this, &BroadcastManager::transferFileStarted);
    connect(m_server, &CmdServer::broadcastResult, this, &BroadcastManager::broadcastResult);
    connect(m_server, &CmdServer::setupBroadcastTransferFileTimeout, this, &BroadcastManager::setupTransferFileTimeout);
    connect(m_server, &CmdServer::resetBroadcastTransferFileTimeout, this, &BroadcastManager::resetTransferFileTimeout);
    connect(m_server, &CmdServer::setupBroadcastTransferFileCompleteTimeout, this,
            &BroadcastManager::setupTransferFileCompleteTimeout);
}

BroadcastManager::~BroadcastManager()
{
    writePendingResults(0, false);
    for (BroadcastTask &task : broadcastTaskList)
        releaseTimers(&task);
}

QString BroadcastManager::deviceKey(const VelkIFPDevice &device) const
{
    return m_server->linkKey(device);
}

// --- lookups -------------------------------------------------------------------------------------------------------

BroadcastTask *BroadcastManager::findTask(quint32 bid)
{
    for (BroadcastTask &task : broadcastTaskList) {
        if (task.broadcast.bid == bid)
            return &task;
    }
    return nullptr;
}

const BroadcastTask *BroadcastManager::findTask(quint32 bid) const
{
    for (const BroadcastTask &task : broadcastTaskList) {
        if (task.broadcast.bid == bid)
            return &task;
    }
    return nullptr;
}

const QString &BroadcastManager::keyOf(const BroadcastTask *task, int deviceIndex)
{
    return task->deviceKeys.at(deviceIndex);
}

int BroadcastManager::stateOf(const BroadcastTask *task, int deviceIndex)
{
    return task->deviceStates.value(keyOf(task, deviceIndex), stateNone);
}

void BroadcastManager::setState(BroadcastTask *task, int deviceIndex, int state)
{
    task->deviceStates.insert(keyOf(task, deviceIndex), state);
}

int BroadcastManager::findEntry(const QList<BroadcastDeviceEntry> &list, const QString &key, int state) const
{
    for (int i = 0; i < list.size(); ++i) {
        const BroadcastDeviceEntry &entry = list.at(i);
        const BroadcastTask *task = findTask(entry.bid);
        if (!task || entry.deviceIndex >= task->broadcast.devices.size())
            continue;
        if (keyOf(task, entry.deviceIndex) == key && stateOf(task, entry.deviceIndex) == state)
            return i;
    }
    return -1;
}

int BroadcastManager::entryIndex(const QList<BroadcastDeviceEntry> &list, quint32 bid, int deviceIndex)
{
    for (int i = 0; i < list.size(); ++i) {
        if (list.at(i).bid == bid && list.at(i).deviceIndex == deviceIndex)
            return i;
    }
    return -1;
}

bool BroadcastManager::isBroadcastTaskRunning(const BroadcastTask &task) const
{
    return findTask(task.broadcast.bid) != nullptr;
}

void BroadcastManager::checkBroadcastTaskRunning(BroadcastTask &task) const
{
    const BroadcastTask *held = findTask(task.broadcast.bid);
    task.started = held != nullptr;
    if (held)
        task.startDateTime = held->startDateTime;
}

// --- timers and results --------------------------------------------------------------------------------------------

QTimer *BroadcastManager::makeDeviceTimer(BroadcastTask *task, const QString &key, int intervalMs, TimeoutSlot slot)
{
    // Parented, so timers of tasks still running when the program ends are released with the manager.
    auto *timer = new QTimer(this);
    timer->setSingleShot(true);
    timer->setInterval(intervalMs);
    connect(timer, &QTimer::timeout, this, slot);
    task->deviceTimers.append(qMakePair(key, timer));
    return timer;
}

void BroadcastManager::removeDeviceTimeout(BroadcastTask *task, const QString &key)
{
    for (int i = 0; i < task->deviceTimers.size(); ++i) {
        if (task->deviceTimers.at(i).first != key)
            continue;
        QTimer *timer = task->deviceTimers.at(i).second;
        if (timer->isActive()) {
            writeLog(LOG_LEVEL_DEBUG, "BroadcastManager::removeDeviceTimeout, stop timer");
            timer->stop();
        }
        dropTimer(timer, key);
        task->deviceTimers.removeAt(i);
        writeLog(LOG_LEVEL_DEBUG, "BroadcastManager::removeDeviceTimeout: %s", qPrintable(key));
        return;
    }
}

void BroadcastManager::dropTimer(QTimer *timer, const QString &key)
{
    if (!timer)
        return;
    timer->stop();
    timer->deleteLater();
    const auto watch = m_transferWatches.find(key);
    if (watch != m_transferWatches.end() && watch->timer == timer)
        m_transferWatches.erase(watch);
}

void BroadcastManager::releaseTimers(BroadcastTask *task)
{
    for (const auto &pair : qAsConst(task->deviceTimers))
        dropTimer(pair.second, pair.first);
    task->deviceTimers.clear();
}

void BroadcastManager::sendRecord(BroadcastTask *task, int deviceIndex, bool isWoken)
{
    // The panel's connection keeps the record for the sound transfer; without the target lists, so that neither it
    // nor a write to the task's own list copies a thousand device records per panel.
    VelkBroadcast record = task->broadcast;
    record.devices.clear();
    record.groups.clear();
    VelkIFPDevice device = task->broadcast.devices.at(deviceIndex);
    m_server->sendBroadcastData(&device, &record, isWoken);
}

void BroadcastManager::writeResult(BroadcastTask *task, int deviceIndex, int status, int note)
{
    // A thousand panels answer the start command within milliseconds of one another, and every result is a write to
    // the database: written as they come, they would hold up the GUI thread for as long as all the writes take.
    // They are queued and written in slices between the other events instead.
    PendingResult result;
    result.bid = task->broadcast.bid;
    result.device = task->broadcast.devices.at(deviceIndex);
    result.status = status;
    result.note = note;
    m_pendingResults.append(result);
    if (!m_flushTimer.isActive())
        m_flushTimer.start();
}

quint32 BroadcastManager::writePendingResult(OrvantaDBIntf *db, const PendingResult &result)
{
    VelkIFPDevice device = result.device;
    VelkBroadcast broadcast;
    broadcast.bid = result.bid;
    return db->updateBroadcastReport(device, broadcast, result.status, result.note);
}

void BroadcastManager::writePendingResults(quint32 onlyBid, bool inSlices)
{
    // One transaction for what a slice writes: as a transaction of its own, every result cost a journal file and
    // four syncs on disk, and a thousand panels' results took longer than sending them the broadcast. A result that
    // fails loses only its own row, also when SQLite takes the transaction with it (the batch writes the others again).
    if (onlyBid == 0 ? m_pendingResults.isEmpty() : !hasPendingResults(onlyBid))
        return;
    QElapsedTimer slice;
    slice.start();
    DbWriteBatch batch(m_db, "BroadcastManager::writePendingResults");
    for (int i = 0; i < m_pendingResults.size();) {
        if (onlyBid != 0 && m_pendingResults.at(i).bid != onlyBid) {
            ++i;
            continue;
        }
        const PendingResult result = m_pendingResults.takeAt(i);
        batch.write(QStringLiteral("result of %1 in broadcast %2").arg(result.device.deviceName).arg(result.bid),
                    [db = m_db, result] { return writePendingResult(db, result); });
        if (inSlices && slice.elapsed() >= kResultSliceMs)
            break;
    }
    batch.finish();
    for (int i = 0; i < batch.count(); ++i) {
        if (!batch.isKept(i))
            writeLog(LOG_LEVEL_ERROR, "updateDeviceStatus, updateBroadcastReport error");
    }
}

bool BroadcastManager::hasPendingResults(quint32 bid) const
{
    return std::any_of(m_pendingResults.begin(), m_pendingResults.end(),
                       [bid](const PendingResult &result) { return result.bid == bid; });
}

void BroadcastManager::flushResults()
{
    writePendingResults(0, true);
    // A task whose devices all finished ends once its last result is in the database: whoever reacts to its end
    // reads the report.
    const QList<quint32> ending = m_ending;
    for (quint32 bid : ending) {
        if (hasPendingResults(bid))
            continue;
        m_ending.removeOne(bid);
        removeTask(bid);
        checkStopListenNewConnection();
        emit broadcastFinished(bid);
    }
    if (!m_pendingResults.isEmpty() || !m_ending.isEmpty())
        m_flushTimer.start();
}

// --- tasks ---------------------------------------------------------------------------------------------------------

void BroadcastManager::addBroadcastTask(const BroadcastTask &task)
{
    if (findTask(task.broadcast.bid)) {
        writeLog(LOG_LEVEL_WARNING, "BroadcastManager::addBroadcastTask, already held: %s",
                 number(task.broadcast.bid).constData());
        return;
    }
    broadcastTaskList.push_back(task);
    BroadcastTask &held = broadcastTaskList.back();
    held.deviceStates.clear();
    held.onlineDevices.clear();
    held.offlineDevices.clear();
    held.deviceTimers.clear();
    held.deviceKeys.clear();
    for (VelkIFPDevice &device : held.broadcast.devices) {
        device.macAddress = normalisedMac(device.macAddress);
        held.deviceKeys.append(deviceKey(device));
        held.deviceStates.insert(held.deviceKeys.last(), stateNone);
    }
}

void BroadcastManager::startQueuedBroadcastTasks()
{
    // A task may end inside doBroadcast (all its devices off), and ending one removes it from the list: walk a
    // snapshot of the bids instead of the list itself, so no task is skipped or started twice.
    QList<quint32> waiting;
    for (const BroadcastTask &task : broadcastTaskList) {
        if (!task.started)
            waiting.append(task.broadcast.bid);
    }
    for (quint32 bid : qAsConst(waiting)) {
        BroadcastTask *task = findTask(bid);
        if (!task || task->started)
            continue;
        task->started = true;
        doBroadcast(task);
    }
}

void BroadcastManager::doBroadcast(BroadcastTask *task)
{
    const quint32 bid = task->broadcast.bid;
    writeLog(LOG_LEVEL_INFO, "doBroadcast: %s", number(bid).constData());
    releaseTimers(task);
    task->onlineDevices.clear();
    task->offlineDevices.clear();

    QList<int> sendNow;
    for (int i = 0; i < task->broadcast.devices.size(); ++i) {
        const VelkIFPDevice device = task->broadcast.devices.at(i);
        const QString key = deviceKey(device);
        if (m_server->isDeviceOnline(device)) {
            task->onlineDevices.append(i);
            cancelSameTargetDevice(task, device);
            BroadcastDeviceEntry entry;
            entry.deviceIndex = i;
            entry.bid = bid;
            if (currentDeviceList.size() < kMaxSendingDevices) {
                currentDeviceList.append(entry);
                setState(task, i, stateSendingData);
                makeDeviceTimer(task, key, m_timeouts.answerMs, &BroadcastManager::sendBroadcastDataTimeout);
                sendNow.append(i);
            } else {
                queuedDeviceList.append(entry);
            }
        } else if (!task->broadcast.wakeOnLan) {
            task->offlineDevices.append(i);
            setState(task, i, stateFinished);
            writeResult(task, i, 2, 1);
        } else if (!m_server->canWake(device)) {
            // Wake-on-LAN needs a MAC: such a panel is off and stays so. It is not waited for, nor powered off at the
            // end as if it had been woken.
            writeLog(LOG_LEVEL_INFO, "doBroadcast, no MAC to wake: %s", qPrintable(device.deviceName));
            setState(task, i, stateFinished);
            writeResult(task, i, 2, 1);
        } else {
            task->offlineDevices.append(i);
            cancelSameTargetDevice(task, device);
            setState(task, i, stateWaitingWake);
            makeDeviceTimer(task, key, m_timeouts.wakeMs, &BroadcastManager::deviceWokenTimeout);
        }
    }

    if (task->broadcast.wakeOnLan && !task->offlineDevices.isEmpty()) {
        writeLog(LOG_LEVEL_INFO, "doBroadcast, offline devices: %s", number(task->offlineDevices.size()).constData());
        QList<VelkIFPDevice> offline;
        for (int i : qAsConst(task->offlineDevices))
            offline.append(task->broadcast.devices.at(i));
        m_server->powerOn(offline);
        listenForWokenDevices();
    } else if (task->onlineDevices.isEmpty()) {
        // Every device finished already: off, or not to be woken.
        finishBroadcastTask(task);
        return;
    }

    writeLog(LOG_LEVEL_INFO, "doBroadcast, online devices: %s", number(task->onlineDevices.size()).constData());
    for (int i : qAsConst(sendNow)) {
        // Taking a device from an earlier task may already have sent this one from the queue.
        if (stateOf(task, i) == stateSendingData)
            sendRecord(task, i, false);
    }
    for (const auto &pair : qAsConst(task->deviceTimers)) {
        if (!pair.second->isActive())
            pair.second->start();
    }
}

void BroadcastManager::cancelSameTargetDevice(BroadcastTask *newTask, const VelkIFPDevice &device)
{
    const QString key = deviceKey(device);
    for (auto it = broadcastTaskList.begin(); it != broadcastTaskList.end(); ++it) {
        BroadcastTask *task = &*it;
        if (task->broadcast.bid == newTask->broadcast.bid)
            return;
        const QByteArray bid = number(task->broadcast.bid);
        for (int j = 0; j < task->broadcast.devices.size(); ++j) {
            if (keyOf(task, j) != key)
                continue;
            const int state = stateOf(task, j);
            if (state == stateFinished)
                continue;
            if (state == stateSendingData) {
                const int at = entryIndex(currentDeviceList, task->broadcast.bid, j);
                if (at < 0 || currentDeviceList.at(at).canceled)
                    continue;
                writeLog(LOG_LEVEL_INFO,
                         "BroadcastManager::cancelSameTargetDevice, setup cancel flag in currentDeviceList: bid: %s, "
                         "device: %s",
                         bid.constData(), qPrintable(key));
                currentDeviceList[at].canceled = true;
                return;
            }
            writeLog(LOG_LEVEL_INFO, "BroadcastManager::cancelSameTargetDevice, bid: %s, device: %s", bid.constData(),
                     qPrintable(key));
            if (state == stateWaitingWake || state == stateTransferringFile || state == stateBroadcasting)
                removeDeviceTimeout(task, key);
            setState(task, j, stateFinished);
            if (state == stateTransferringFile) {
                VelkIFPDevice held = task->broadcast.devices.at(j);
                m_server->cancelBroadcastFileTransfer(&held);
                if (removeDeviceFromCurrentList(task->broadcast.bid, j))
                    sendNextQueuedDevice();
            } else if (state == stateNone) {
                removeDeviceFromQueuedList(task->broadcast.bid, j);
            }
            writeResult(task, j, 2, 0);
            if (!checkBroadcastTaskFinished(task))
                checkBroadcastTaskReady(task);
            return;
        }
    }
}

void BroadcastManager::sendNextQueuedDevice()
{
    while (!queuedDeviceList.isEmpty()) {
        const BroadcastDeviceEntry entry = queuedDeviceList.takeFirst();
        BroadcastTask *task = findTask(entry.bid);
        if (!task)
            continue;
        const QString key = keyOf(task, entry.deviceIndex);
        setState(task, entry.deviceIndex, stateSendingData);
        QTimer *timer = makeDeviceTimer(task, key, m_timeouts.answerMs, &BroadcastManager::sendBroadcastDataTimeout);
        currentDeviceList.append(entry);
        sendRecord(task, entry.deviceIndex, entry.isWoken);
        timer->start();
        return;
    }
}

void BroadcastManager::listenForWokenDevices()
{
    if (m_listening)
        return;
    m_listening = true;
    connect(m_server, &CmdServer::newConnection, this, &BroadcastManager::onNewConnection);
}

void BroadcastManager::checkStopListenNewConnection()
{
    for (const BroadcastTask &task : broadcastTaskList) {
        if (task.broadcast.wakeOnLan)
            return;
    }
    if (!m_listening)
        return;
    writeLog(LOG_LEVEL_INFO, "checkStopListenNewConnection, disconnect");
    disconnect(m_server, &CmdServer::newConnection, this, &BroadcastManager::onNewConnection);
    m_listening = false;
}

void BroadcastManager::onNewConnection(DeviceChannel *channel)
{
    // The channel may close before a queued call would run; only its MAC and version travel on.
    QMetaObject::invokeMethod(this, "checkDeviceWoken", Qt::QueuedConnection, Q_ARG(QString, channel->getMacAddress()),
                              Q_ARG(QString, channel->getDisplayClientVersion()));
}

void BroadcastManager::checkDeviceWoken(const QString &mac, const QString &displayClientVersion)
{
    const QString key = normalisedMac(mac);
    QList<quint32> bids;
    for (const BroadcastTask &task : broadcastTaskList)
        bids.append(task.broadcast.bid);
    for (quint32 bid : qAsConst(bids)) {
        BroadcastTask *task = findTask(bid);
        if (!task)
            continue;
        for (int i : qAsConst(task->offlineDevices)) {
            if (keyOf(task, i) != key || stateOf(task, i) != stateWaitingWake)
                continue;
            writeLog(LOG_LEVEL_INFO, "BroadcastManager::checkDeviceWoken: %s", qPrintable(key));
            removeDeviceTimeout(task, key);
            task->broadcast.devices[i].displayClientVersion = displayClientVersion;
            BroadcastDeviceEntry entry;
            entry.deviceIndex = i;
            entry.bid = bid;
            entry.isWoken = true;
            if (currentDeviceList.size() < kMaxSendingDevices) {
                currentDeviceList.append(entry);
                setState(task, i, stateSendingData);
                QTimer *timer =
                    makeDeviceTimer(task, key, m_timeouts.answerMs, &BroadcastManager::sendBroadcastDataTimeout);
                sendRecord(task, i, true);
                timer->start();
            } else {
                setState(task, i, stateNone);
                queuedDeviceList.append(entry);
            }
            break;
        }
    }
}

// --- the panel's answers -------------------------------------------------------------------------------------------

void BroadcastManager::transferFileStarted(const QString &mac)
{
    const QString key = normalisedMac(mac);
    int at = findEntry(currentDeviceList, key, stateSendingData);
    // A panel asking for the file of a broadcast without sound would be sent a file that does not exist.
    if (at >= 0 && !hasAudio(findTask(currentDeviceList.at(at).bid)))
        at = -1;
    if (at < 0) {
        writeLog(LOG_LEVEL_WARNING, "BroadcastManager::transferFileStarted, not found: %s", qPrintable(key));
        return;
    }
    const BroadcastDeviceEntry entry = currentDeviceList.at(at);
    BroadcastTask *task = findTask(entry.bid);
    writeLog(LOG_LEVEL_INFO, "BroadcastManager::transferFileStarted, bid: %s, device: %s",
             number(entry.bid).constData(), qPrintable(key));
    removeDeviceTimeout(task, key);
    if (!entry.canceled) {
        setState(task, entry.deviceIndex, stateTransferringFile);
        m_server->sendBroadcastFile(key);
        return;
    }
    writeLog(LOG_LEVEL_INFO, "transferFileStarted, canceled");
    currentDeviceList.removeAt(at);
    setState(task, entry.deviceIndex, stateFinished);
    writeResult(task, entry.deviceIndex, 2, 0);
    if (!checkBroadcastTaskFinished(task))
        checkBroadcastTaskReady(task);
    sendNextQueuedDevice();
}

void BroadcastManager::sendBroadcastDataComplete(const QString &mac)
{
    const QString key = normalisedMac(mac);
    int at = -1;
    for (int i = 0; i < currentDeviceList.size() && at < 0; ++i) {
        const BroadcastDeviceEntry &entry = currentDeviceList.at(i);
        const BroadcastTask *task = findTask(entry.bid);
        if (!task || keyOf(task, entry.deviceIndex) != key)
            continue;
        const int expected = hasAudio(task) ? stateTransferringFile : stateSendingData;
        if (stateOf(task, entry.deviceIndex) == expected)
            at = i;
    }
    if (at < 0) {
        writeLog(LOG_LEVEL_WARNING, "BroadcastManager::sendBroadcastDataComplete, not found: %s", qPrintable(key));
        return;
    }
    const BroadcastDeviceEntry entry = currentDeviceList.takeAt(at);
    BroadcastTask *task = findTask(entry.bid);
    writeLog(LOG_LEVEL_INFO, "BroadcastManager::sendBroadcastDataComplete, bid: %s, device: %s, isWoken: %s",
             number(entry.bid).constData(), qPrintable(key), entry.isWoken ? "1" : "0");
    removeDeviceTimeout(task, key);
    if (entry.canceled) {
        writeLog(LOG_LEVEL_INFO, "sendBroadcastDataComplete, canceled");
        setState(task, entry.deviceIndex, stateFinished);
        writeResult(task, entry.deviceIndex, 2, 0);
        if (!checkBroadcastTaskFinished(task))
            checkBroadcastTaskReady(task);
    } else {
        setState(task, entry.deviceIndex, stateReady);
        if (entry.isWoken)
            startGroupWhenReady(task, task->offlineDevices,
                                "BroadcastManager::sendBroadcastDataComplete, send startBroadcast to offline devices");
        else
            startGroupWhenReady(task, task->onlineDevices,
                                "BroadcastManager::sendBroadcastDataComplete, send startBroadcast to online devices");
    }
    sendNextQueuedDevice();
}

void BroadcastManager::startGroupWhenReady(BroadcastTask *task, const QList<int> &group, const char *logLine)
{
    if (group.isEmpty())
        return;
    for (int k = group.size() - 1; k >= 0; --k) {
        const int state = stateOf(task, group.at(k));
        if (state != stateReady && state != stateFinished)
            return;
    }
    writeLog(LOG_LEVEL_INFO, "%s", logLine);
    startBroadcastOnDevices(task, reversed(group));
}

void BroadcastManager::startBroadcastOnDevices(BroadcastTask *task, const QList<int> &deviceIndexes)
{
    for (int i : deviceIndexes) {
        if (stateOf(task, i) != stateReady)
            continue;
        setState(task, i, stateBroadcasting);
        VelkIFPDevice device = task->broadcast.devices.at(i);
        m_server->startBroadcast(&device);
        makeDeviceTimer(task, keyOf(task, i), m_timeouts.resultMs, &BroadcastManager::broadcastResultTimeout)->start();
    }
}

void BroadcastManager::checkBroadcastTaskReady(BroadcastTask *task)
{
    startGroupWhenReady(task, task->onlineDevices,
                        "BroadcastManager::checkBroadcastTaskReady, send startBroadcast to online devices");
    if (task->broadcast.wakeOnLan)
        startGroupWhenReady(task, task->offlineDevices,
                            "BroadcastManager::checkBroadcastTaskReady, send startBroadcast to offline devices");
}

void BroadcastManager::broadcastResult(const QString &mac)
{
    const QString key = normalisedMac(mac);
    for (BroadcastTask &task : broadcastTaskList) {
        for (int i = 0; i < task.broadcast.devices.size(); ++i) {
            if (keyOf(&task, i) != key || stateOf(&task, i) != stateBroadcasting)
                continue;
            writeLog(LOG_LEVEL_INFO, "BroadcastManager::broadcastResult, bid: %s, device: %s",
                     number(task.broadcast.bid).constData(), qPrintable(key));
            removeDeviceTimeout(&task, key);
            writeResult(&task, i, 1, 0);
            setState(&task, i, stateFinished);
            checkBroadcastTaskFinished(&task);
            return;
        }
    }
    writeLog(LOG_LEVEL_WARNING, "BroadcastManager::broadcastResult, not found: %s", qPrintable(key));
}

// --- transfer time-outs the command server asks for ----------------------------------------------------------------

void BroadcastManager::setupTransferFileTimeout(const QString &mac, int timeoutMillis)
{
    const QString key = normalisedMac(mac);
    const int at = findEntry(currentDeviceList, key, stateTransferringFile);
    if (at < 0)
        return;
    BroadcastTask *task = findTask(currentDeviceList.at(at).bid);
    writeLog(LOG_LEVEL_DEBUG, "BroadcastManager::setupTransferFileTimeout, bid: %s, device: %s",
             number(task->broadcast.bid).constData(), qPrintable(key));
    // A timer left from an earlier request would fail the device while its transfer runs on.
    removeDeviceTimeout(task, key);
    QTimer *timer = makeDeviceTimer(task, key, timeoutMillis, &BroadcastManager::transferFileTimeout);
    timer->start();
    TransferWatch watch;
    watch.timer = timer;
    watch.lastChunkMs = m_monotonic.elapsed();
    watch.intervalMs = timeoutMillis;
    m_transferWatches.insert(key, watch);
}

void BroadcastManager::resetTransferFileTimeout(const QString &mac)
{
    // Once per chunk of every transfer: the watch the transfer's start found, by the MAC as it comes (the command
    // server's signals carry it in the normal form). A restart of the timer would re-sort the thread's timer list.
    const auto watch = m_transferWatches.find(mac);
    if (watch != m_transferWatches.end())
        watch->lastChunkMs = m_monotonic.elapsed();
}

void BroadcastManager::setupTransferFileCompleteTimeout(const QString &mac, int timeoutMillis)
{
    const QString key = normalisedMac(mac);
    const int at = findEntry(currentDeviceList, key, stateTransferringFile);
    if (at < 0)
        return;
    BroadcastTask *task = findTask(currentDeviceList.at(at).bid);
    removeDeviceTimeout(task, key);
    writeLog(LOG_LEVEL_DEBUG, "BroadcastManager::setupTransferFileCompleteTimeout, bid: %s, device: %s",
             number(task->broadcast.bid).constData(), qPrintable(key));
    makeDeviceTimer(task, key, timeoutMillis, &BroadcastManager::transferFileCompleteTimeout)->start();
}

// --- time-outs -----------------------------------------------------------------------------------------------------

void BroadcastManager::deviceWokenTimeout()
{
    writeLog(LOG_LEVEL_INFO, "BroadcastManager::deviceWokenTimeout");
    handleTimeout(sender());
}

void BroadcastManager::sendBroadcastDataTimeout()
{
    writeLog(LOG_LEVEL_INFO, "BroadcastManager::sendBroadcastDataTimeout");
    handleTimeout(sender());
}

void BroadcastManager::transferFileTimeout()
{
    auto *timer = qobject_cast<QTimer *>(sender());
    for (const TransferWatch &watch : qAsConst(m_transferWatches)) {
        if (watch.timer != timer)
            continue;
        const qint64 quiet = m_monotonic.elapsed() - watch.lastChunkMs;
        if (quiet < watch.intervalMs) {
            timer->start(int(watch.intervalMs - quiet));
            return;
        }
        break;
    }
    writeLog(LOG_LEVEL_INFO, "BroadcastManager::transferFileTimeout");
    handleTimeout(sender());
}

void BroadcastManager::transferFileCompleteTimeout()
{
    writeLog(LOG_LEVEL_INFO, "BroadcastManager::transferFileCompleteTimeout");
    handleTimeout(sender());
}

void BroadcastManager::broadcastResultTimeout()
{
    writeLog(LOG_LEVEL_INFO, "BroadcastManager::broadcastResultTimeout");
    handleTimeout(sender());
}

void BroadcastManager::handleTimeout(QObject *timer)
{
    BroadcastTask *task = nullptr;
    QString key;
    for (auto it = broadcastTaskList.begin(); it != broadcastTaskList.end() && !task; ++it) {
        for (int p = 0; p < it->deviceTimers.size(); ++p) {
            if (it->deviceTimers.at(p).second == timer) {
                task = &*it;
                key = it->deviceTimers.at(p).first;
                it->deviceTimers.removeAt(p);
                break;
            }
        }
    }
    if (!task)
        return;
    dropTimer(qobject_cast<QTimer *>(timer), key);
    writeLog(LOG_LEVEL_INFO, "handleTimeout, bid: %s, device: %s", number(task->broadcast.bid).constData(),
             qPrintable(key));
    int index = -1;
    for (int i = 0; i < task->broadcast.devices.size() && index < 0; ++i) {
        if (keyOf(task, i) == key)
            index = i;
    }
    if (index < 0)
        return;
    const int state = stateOf(task, index);
    if (state == stateFinished)
        return;
    bool freed = false;
    if (state == stateTransferringFile)
        m_server->cancelBroadcastFileTransferByTimeout(key);
    if (state == stateSendingData || state == stateTransferringFile)
        freed = removeDeviceFromCurrentList(task->broadcast.bid, index);
    setState(task, index, stateFinished);
    writeResult(task, index, 2, 2);
    if (!checkBroadcastTaskFinished(task))
        checkBroadcastTaskReady(task);
    if (freed)
        sendNextQueuedDevice();
}

// --- end of a task -------------------------------------------------------------------------------------------------

bool BroadcastManager::checkBroadcastTaskFinished(BroadcastTask *task)
{
    for (int i = task->broadcast.devices.size() - 1; i >= 0; --i) {
        if (stateOf(task, i) != stateFinished)
            return false;
    }
    finishBroadcastTask(task);
    return true;
}

void BroadcastManager::finishBroadcastTask(BroadcastTask *task)
{
    const quint32 bid = task->broadcast.bid;
    writeLog(LOG_LEVEL_INFO, "broadcastTaskFinished: %s", number(bid).constData());
    // The task stays held (so that nobody starts it again) until its results are written; it is then let go of and
    // its end announced, after the removal, so a listener that asks about it or starts another sees it gone.
    if (!m_ending.contains(bid))
        m_ending.append(bid);
    if (!m_flushTimer.isActive())
        m_flushTimer.start();
}

void BroadcastManager::removeTask(quint32 bid)
{
    for (auto it = broadcastTaskList.begin(); it != broadcastTaskList.end(); ++it) {
        if (it->broadcast.bid != bid)
            continue;
        releaseTimers(&*it);
        broadcastTaskList.erase(it);
        break;
    }
    auto ofTask = [bid](const BroadcastDeviceEntry &entry) { return entry.bid == bid; };
    currentDeviceList.erase(std::remove_if(currentDeviceList.begin(), currentDeviceList.end(), ofTask),
                            currentDeviceList.end());
    queuedDeviceList.erase(std::remove_if(queuedDeviceList.begin(), queuedDeviceList.end(), ofTask),
                           queuedDeviceList.end());
}

bool BroadcastManager::removeDeviceFromCurrentList(quint32 bid, int deviceIndex)
{
    const int at = entryIndex(currentDeviceList, bid, deviceIndex);
    if (at < 0)
        return false;
    currentDeviceList.removeAt(at);
    if (const BroadcastTask *task = findTask(bid))
        writeLog(LOG_LEVEL_DEBUG, "BroadcastManager::removeDeviceFromCurrentList: bid: %s, device: %s",
                 number(bid).constData(), qPrintable(keyOf(task, deviceIndex)));
    return true;
}

bool BroadcastManager::removeDeviceFromQueuedList(quint32 bid, int deviceIndex)
{
    const int at = entryIndex(queuedDeviceList, bid, deviceIndex);
    if (at < 0)
        return false;
    queuedDeviceList.removeAt(at);
    if (const BroadcastTask *task = findTask(bid))
        writeLog(LOG_LEVEL_DEBUG, "BroadcastManager::removeDeviceFromQueuedList: bid: %s, device: %s",
                 number(bid).constData(), qPrintable(keyOf(task, deviceIndex)));
    return true;
}

void BroadcastManager::cancelBroadcastTask(const BroadcastTask &t)
{
    BroadcastTask *task = findTask(t.broadcast.bid);
    if (!task)
        return;
    const quint32 bid = task->broadcast.bid;
    writeLog(LOG_LEVEL_INFO, "cancelBroadcastTask: %s", number(bid).constData());
    int freed = 0;
    for (int i = 0; i < task->broadcast.devices.size(); ++i) {
        const QString key = keyOf(task, i);
        switch (stateOf(task, i)) {
        case stateNone:
            writeLog(LOG_LEVEL_DEBUG, "stateNone, removeDeviceFromQueuedList");
            removeDeviceFromQueuedList(bid, i);
            break;
        case stateSendingData:
            removeDeviceTimeout(task, key);
            writeLog(LOG_LEVEL_DEBUG, "stateSendingData, removeDeviceFromCurrentList");
            freed += removeDeviceFromCurrentList(bid, i) ? 1 : 0;
            break;
        case stateTransferringFile:
            removeDeviceTimeout(task, key);
            {
                VelkIFPDevice device = task->broadcast.devices.at(i);
                m_server->cancelBroadcastFileTransfer(&device);
            }
            writeLog(LOG_LEVEL_DEBUG, "stateTransferringFile, removeDeviceFromCurrentList");
            freed += removeDeviceFromCurrentList(bid, i) ? 1 : 0;
            break;
        case stateWaitingWake:
        case stateBroadcasting:
            removeDeviceTimeout(task, key);
            writeLog(LOG_LEVEL_DEBUG, "stateWaitingWake or stateBroadcasting");
            break;
        default:
            break;
        }
    }
    checkOfflineDeviceList(task);
    // Results of devices that finished before the cancel stand.
    writePendingResults(bid, false);
    m_ending.removeOne(bid);
    removeTask(bid);
    checkStopListenNewConnection();
    for (int i = 0; i < freed; ++i)
        sendNextQueuedDevice();
}

void BroadcastManager::checkOfflineDeviceList(BroadcastTask *task)
{
    if (!task->broadcast.wakeOnLan || task->offlineDevices.isEmpty())
        return;
    QList<VelkIFPDevice> powerOff;
    for (int i : qAsConst(task->offlineDevices)) {
        const QString key = keyOf(task, i);
        bool needed = false;
        for (const BroadcastTask &other : broadcastTaskList) {
            if (&other == task)
                continue;
            for (int j : other.onlineDevices)
                needed = needed || keyOf(&other, j) == key;
            if (other.broadcast.wakeOnLan) {
                for (int j : other.offlineDevices)
                    needed = needed || keyOf(&other, j) == key;
            }
        }
        if (!needed)
            powerOff.append(task->broadcast.devices.at(i));
    }
    if (powerOff.isEmpty())
        return;
    writeLog(LOG_LEVEL_INFO, "checkOfflineDeviceList, send shutdown (power off)");
    m_server->powerOff(powerOff);
}
