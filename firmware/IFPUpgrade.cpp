#include "firmware/IFPUpgrade.h"

#include "firmware/FirmwareVersion.h"
#include "firmware/HttpDownloader.h"
#include "firmware/OtaDeviceState.h"
#include "firmware/OtaLogText.h"
#include "network/CmdServer.h"
#include "network/DeviceChannel.h"
#include "shell/base/Log.h"

#include <QFile>
#include <QTimer>

#include <algorithm>

IFPUpgrade::IFPUpgrade(QObject *parent) : QObject(parent)
{
}

IFPUpgrade::~IFPUpgrade()
{
    qDeleteAll(deviceList);
}

void IFPUpgrade::appendDeviceList(const VelkIFPDevice &device)
{
    if (device.fwVersion.isEmpty()) {
        writeLog(LOG_LEVEL_INFO, "appendDeviceList, device fwVersion not exists: %s", qPrintable(deviceKey(device)));
        return;
    }
    if (!FirmwareVersion::hasFourFields(device.fwVersion)) {
        writeLog(LOG_LEVEL_INFO, "appendDeviceList, device fwVersion format not correct: %s, %s",
                 qPrintable(deviceKey(device)), qPrintable(device.fwVersion));
        return;
    }
    if (compareVersions(device.fwVersion, minRemoteOtaVersion) < 0) {
        writeLog(LOG_LEVEL_INFO, "appendDeviceList, device not support remote ota: %s, %s",
                 qPrintable(deviceKey(device)), qPrintable(device.fwVersion));
        return;
    }
    deviceList.append(new VelkIFPDevice(device));
}

namespace {
// The keys of the run under way (IFPUpgrade::deviceKey()), by the devices' database ids, and the keys themselves: a
// signal of the command server asks for the key it names on every chunk of a transfer, and almost always names one.
struct RunKeys
{
    QHash<quint32, QString> byDid;
    QSet<QString> keys;
};

RunKeys &runKeys()
{
    static RunKeys keys;
    return keys;
}
} // namespace

QString IFPUpgrade::deviceKey(const VelkIFPDevice &device)
{
    const RunKeys &run = runKeys();
    const auto kept = device.did == 0 ? run.byDid.constEnd() : run.byDid.constFind(device.did);
    return kept != run.byDid.constEnd() ? *kept : CmdServer::getInstance()->linkKey(device);
}

QString IFPUpgrade::runKeyOf(const QString &linkKey)
{
    const RunKeys &run = runKeys();
    if (run.keys.isEmpty() || run.keys.contains(linkKey))
        return linkKey;
    return run.byDid.value(CmdServer::getInstance()->managedDeviceId(linkKey), linkKey);
}

void IFPUpgrade::keepRunKeys(const QList<VelkIFPDevice *> &devices)
{
    RunKeys &run = runKeys();
    run = RunKeys();
    for (const VelkIFPDevice *device : devices) {
        const QString key = CmdServer::getInstance()->linkKey(*device);
        if (device->did == 0 || key.isEmpty())
            continue;
        run.byDid.insert(device->did, key);
        run.keys.insert(key);
    }
}

void IFPUpgrade::forgetRunKeys()
{
    runKeys() = RunKeys();
}

void IFPUpgrade::abandonCheck()
{
}

QString IFPUpgrade::lookupPanelVersion(const QString &) const
{
    return QString();
}

void IFPUpgrade::startRun()
{
    m_running = true;
    forgetRestarts();
    startOta();
}

void IFPUpgrade::cancelRun()
{
    m_running = false;
    forgetRestarts();
    cancelOta();
}

void IFPUpgrade::forgetRestarts()
{
    m_stepped.clear();
    m_droppedInstalling.clear();
    m_resent.clear();
    m_answered.clear();
    const QStringList awaited = m_lateResult.keys();
    for (const QString &mac : awaited)
        dropLateResultWait(mac);
}

void IFPUpgrade::forgetMarks(const QString &mac)
{
    m_stepped.remove(mac);
    m_droppedInstalling.remove(mac);
    m_resent.remove(mac);
    m_answered.remove(mac);
    dropLateResultWait(mac);
}

void IFPUpgrade::deviceDisconnected(const QString &mac)
{
    VelkIFPDevice *device = findDevice(needOtaDeviceList, mac);
    if (!m_running || !device)
        return;
    if (device->otaState == OTA_INSTALLING && currentOtaDeviceList.contains(device)) {
        // Whatever its step, a drop says nothing of the installation: a firmware that restarts straight after its
        // progress report, a last frame lost with a reset, but just as well a link that went down while the panel
        // installs on (a roam, a switch restarting, the console's own idle close of an agent blocked while it writes
        // its image). Its step's result wait runs on; its result, or the version it reports when back, decides.
        if (!m_droppedInstalling.contains(mac))
            writeLog(LOG_LEVEL_INFO, "%s connection dropped while installing, its result still awaited: %s, %s",
                     qPrintable(modelName), qPrintable(mac), qPrintable(device->fwVersion));
        m_droppedInstalling.insert(mac);
    } else if (!m_stepped.contains(mac)) {
        return;
    } else if (device->otaState == OTA_TRANSFERRING) {
        // The next step's transfer died with the connection; it starts again when the device is back.
        emit removeDeviceTimeout(mac);
        awaitReturn(device);
    } else if (device->otaState == OTA_CAN_UPDATE) {
        awaitReturn(device);
    }
}

void IFPUpgrade::awaitReturn(VelkIFPDevice *device)
{
    writeLog(LOG_LEVEL_INFO, "%s restarting after its step, waiting for it: %s, %s", qPrintable(modelName),
             qPrintable(deviceKey(*device)), qPrintable(device->fwVersion));
    device->otaState = OTA_WAITING_FOR_WAKE;
    emit waitForReturn(deviceKey(*device));
}

void IFPUpgrade::deviceReturned(const QString &mac, const QString &fwVersion, const QString &panelFwVersion)
{
    VelkIFPDevice *device = findDevice(needOtaDeviceList, mac);
    if (!m_running || !device)
        return;
    if (device->otaState == OTA_INSTALLING && m_droppedInstalling.remove(mac)) {
        returnedInstalling(device, fwVersion, panelFwVersion);
        return;
    }
    if (device->otaState != OTA_WAITING_FOR_WAKE || !m_stepped.contains(mac))
        return;
    emit removeDeviceTimeout(mac);
    if (fwVersion != device->fwVersion) {
        writeLog(LOG_LEVEL_WARNING, "%s back at %s, not at the %s it installed: %s", qPrintable(modelName),
                 qPrintable(fwVersion), qPrintable(device->fwVersion), qPrintable(mac));
        // Its report row names what it runs now, not the step it claimed.
        device->fwVersion = fwVersion;
        device->panelFwVersion = panelFwVersion;
        abandonDevice(device);
        return;
    }
    writeLog(LOG_LEVEL_INFO, "%s back at %s: %s", qPrintable(modelName), qPrintable(fwVersion), qPrintable(mac));
    device->panelFwVersion = panelFwVersion;
    device->otaState = OTA_CAN_UPDATE;
    if (currentOtaDeviceList.contains(device))
        resumeDevice(device);
}

void IFPUpgrade::returnedInstalling(VelkIFPDevice *device, const QString &fwVersion, const QString &panelFwVersion)
{
    const QString mac = deviceKey(*device);
    if (fwVersion == stepVersion()) {
        writeLog(LOG_LEVEL_INFO, "%s back at %s, the step it was installing: %s", qPrintable(modelName),
                 qPrintable(fwVersion), qPrintable(mac));
        device->panelFwVersion = panelFwVersion;
        // Before the step ends: its result may still come, and the next step must not be started under it.
        awaitLateResult(mac);
        otaFinished(mac, true);
        return;
    }
    if (fwVersion != device->fwVersion) {
        writeLog(LOG_LEVEL_WARNING, "%s back at %s, neither the %s its step installs nor the %s it started from: %s",
                 qPrintable(modelName), qPrintable(fwVersion), qPrintable(stepVersion()), qPrintable(device->fwVersion),
                 qPrintable(mac));
        // Its report row names what it runs now.
        device->fwVersion = fwVersion;
        device->panelFwVersion = panelFwVersion;
        abandonDevice(device);
        return;
    }
    device->panelFwVersion = panelFwVersion;
    if (m_stepped.contains(mac) && !m_answered.contains(mac) && !m_resent.contains(mac)) {
        // The restart of its earlier step may have come just after this START and swallowed it: nothing answered
        // it. The one step ever sent twice.
        writeLog(LOG_LEVEL_INFO, "%s the START never took, sending the step again: %s", qPrintable(modelName),
                 qPrintable(mac));
        m_resent.insert(mac);
        emit removeDeviceTimeout(mac);
        device->otaState = OTA_CAN_UPDATE;
        if (currentOtaDeviceList.contains(device))
            resumeDevice(device);
        return;
    }
    writeLog(LOG_LEVEL_INFO,
             "%s back at %s, the version its step started from: it may still be installing, its result awaited: %s",
             qPrintable(modelName), qPrintable(fwVersion), qPrintable(mac));
}

void IFPUpgrade::installationResult(const QString &mac, bool success)
{
    if (m_lateResult.contains(mac)) {
        writeLog(LOG_LEVEL_INFO, "%s result %s is of the step its return showed installed, not counted: %s",
                 qPrintable(modelName), success ? "0" : "-1", qPrintable(mac));
        endLateResultWait(mac);
        return;
    }
    otaFinished(mac, success);
}

void IFPUpgrade::installationAnswered(const QString &mac)
{
    const VelkIFPDevice *device = findDevice(currentOtaDeviceList, mac);
    if (m_running && device && device->otaState == OTA_INSTALLING)
        m_answered.insert(mac);
}

void IFPUpgrade::awaitLateResult(const QString &mac)
{
    dropLateResultWait(mac);
    auto *timer = new QTimer(this);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, this, [this, mac] {
        writeLog(LOG_LEVEL_INFO, "%s no result came for the step its return showed installed: %s",
                 qPrintable(modelName), qPrintable(mac));
        endLateResultWait(mac);
    });
    m_lateResult.insert(mac, timer);
    timer->start(lateResultMs);
}

void IFPUpgrade::endLateResultWait(const QString &mac)
{
    if (!m_lateResult.contains(mac))
        return;
    dropLateResultWait(mac);
    VelkIFPDevice *device = findDevice(currentOtaDeviceList, mac);
    if (m_running && device && device->otaState == OTA_CAN_UPDATE)
        resumeDevice(device);
}

void IFPUpgrade::dropLateResultWait(const QString &mac)
{
    if (QTimer *timer = m_lateResult.take(mac)) {
        timer->stop();
        timer->deleteLater();
    }
}

void IFPUpgrade::deviceNotReturned(const QString &mac)
{
    VelkIFPDevice *device = findDevice(needOtaDeviceList, mac);
    if (!m_running || !device || device->otaState != OTA_WAITING_FOR_WAKE)
        return;
    writeLog(LOG_LEVEL_WARNING, "%s did not come back after its step: %s", qPrintable(modelName), qPrintable(mac));
    abandonDevice(device);
}

void IFPUpgrade::abandonDevice(VelkIFPDevice *device)
{
    forgetMarks(deviceKey(*device));
    if (currentOtaDeviceList.contains(device)) {
        // Through the batch's own end of a device, so a waiting device takes its place and the pass can end.
        device->otaState = OTA_INSTALLING;
        otaFinished(deviceKey(*device), false);
        return;
    }
    waitingOtaDeviceList.removeOne(device);
    forgetDevice(device);
    failDevice(device);
    needOtaDeviceList.removeOne(device);
}

void IFPUpgrade::removeDevice(VelkIFPDevice *device)
{
    const bool inBatch = currentOtaDeviceList.contains(device);
    if (!inBatch && !needOtaDeviceList.contains(device))
        return;
    const QString mac = deviceKey(*device);
    writeLog(LOG_LEVEL_INFO, "%s deleted from the console, leaves the run: %s", qPrintable(modelName), qPrintable(mac));
    forgetMarks(mac);
    if (m_running && inBatch) {
        if (device->otaState == OTA_TRANSFERRING)
            cmdServer()->cancelFileTransfer(device);
        emit removeDeviceTimeout(mac);
        // Through the batch's own end of a device, so a waiting device takes its place and the pass can end.
        device->otaState = OTA_INSTALLING;
        otaFinished(mac, false);
        return;
    }
    waitingOtaDeviceList.removeOne(device);
    forgetDevice(device);
    needOtaDeviceList.removeOne(device);
    device->otaState = OTA_FAILED;
}

void IFPUpgrade::forgetDevice(VelkIFPDevice *)
{
}

void IFPUpgrade::finishRun()
{
    if (!m_running) {
        writeLog(LOG_LEVEL_WARNING, "%s upgradeFinished outside a run, dropped", qPrintable(modelName));
        return;
    }
    m_running = false;
    forgetRestarts();
    emit upgradeFinished();
}

void IFPUpgrade::setDownloader(HttpDownloader *shared)
{
    downloader = shared;
    connect(downloader, &HttpDownloader::fileDownloadFinished, this, &IFPUpgrade::downloadFinished);
}

void IFPUpgrade::setServers(const QString &update, const QString &download)
{
    updateServer = update;
    downloadServer = download;
}

void IFPUpgrade::setResultTimeouts(int packageMs, int withImageMs)
{
    resultTimeoutMs = packageMs;
    resultWithImageTimeoutMs = withImageMs;
}

void IFPUpgrade::clearDeviceList()
{
    qDeleteAll(deviceList);
    deviceList.clear();
}

QStringList IFPUpgrade::getVersionHash() const
{
    QStringList versions(versionHash.begin(), versionHash.end());
    std::sort(versions.begin(), versions.end());
    return versions;
}

void IFPUpgrade::failDevice(VelkIFPDevice *device)
{
    device->otaState = OTA_FAILED;
    emit updateDeviceStatus(device, UPDATE_FAILED);
}

void IFPUpgrade::failRemaining(QList<VelkIFPDevice *> batch, const QList<VelkIFPDevice *> &others)
{
    for (VelkIFPDevice *device : others) {
        if (!batch.contains(device))
            batch.append(device);
    }
    if (batch.isEmpty())
        return;
    for (VelkIFPDevice *device : qAsConst(batch))
        device->otaState = OTA_FAILED;
    emit updateDevicesStatus(batch, UPDATE_FAILED);
}

VelkIFPDevice *IFPUpgrade::findDevice(const QList<VelkIFPDevice *> &devices, const QString &mac)
{
    for (VelkIFPDevice *device : devices) {
        if (deviceKey(*device) == mac)
            return device;
    }
    return nullptr;
}

QString IFPUpgrade::requestFile(const QString &url, const QString &sentAs, qint64 expectedSize, qint64 maxSize,
                                int kind)
{
    const QString local = QStringLiteral("%1-%2").arg(++m_fileSerial).arg(sentAs);
    const QString path = downloader->download(downloadFolder, url, local, expectedSize, maxSize);
    if (path.isEmpty())
        return QString();
    m_sentNames.insert(path, sentAs);
    requests.insert(path, kind);
    return path;
}

void IFPUpgrade::dropFileRequests(int kind)
{
    for (auto it = requests.begin(); it != requests.end();) {
        if (!m_sentNames.contains(it.key()) || (kind >= 0 && it.value() != kind)) {
            ++it;
            continue;
        }
        writeLog(LOG_LEVEL_INFO, "%s download no longer needed: %s", qPrintable(modelName), qPrintable(it.key()));
        // A running download is stopped and its file removed; its failure, announced later, finds no request.
        downloader->cancelDownload(it.key());
        m_sentNames.remove(it.key());
        it = requests.erase(it);
    }
}

void IFPUpgrade::removeUnusedFile(const QString &path)
{
    if (path.isEmpty())
        return;
    m_sentNames.remove(path);
    if (QFile::exists(path) && QFile::remove(path))
        writeLog(LOG_LEVEL_INFO, "remove unused file: %s", qPrintable(path));
}

QString IFPUpgrade::sentName(const QString &path) const
{
    return m_sentNames.value(path, path.mid(path.lastIndexOf(QLatin1Char('/')) + 1));
}

CmdServer *IFPUpgrade::cmdServer() const
{
    return CmdServer::getInstance();
}

void IFPUpgrade::formBatch(const QList<VelkIFPDevice *> &devices)
{
    currentOtaDeviceList.clear();
    waitingOtaDeviceList.clear();
    for (VelkIFPDevice *device : devices) {
        if (currentOtaDeviceList.size() < maxOtaDeviceCount)
            currentOtaDeviceList.append(device);
        else
            waitingOtaDeviceList.append(device);
    }
    emit updateDevicesStatus(currentOtaDeviceList, UPDATE_UPDATING);
    transferRetryCount.clear();
    for (VelkIFPDevice *device : qAsConst(currentOtaDeviceList))
        transferRetryCount.insert(deviceKey(*device), 0);
}

VelkIFPDevice *IFPUpgrade::batchDevice(const QString &mac, int state, const char *notFound) const
{
    VelkIFPDevice *device = findDevice(currentOtaDeviceList, mac);
    if (!device || device->otaState != state) {
        writeLog(LOG_LEVEL_INFO, "%s: %s", notFound, qPrintable(mac));
        return nullptr;
    }
    return device;
}

VelkIFPDevice *IFPUpgrade::admitWaiting(const QString &filePath)
{
    if (waitingOtaDeviceList.isEmpty())
        return nullptr;
    VelkIFPDevice *next = waitingOtaDeviceList.takeFirst();
    currentOtaDeviceList.append(next);
    emit updateDeviceStatus(next, UPDATE_UPDATING);
    transferRetryCount.insert(deviceKey(*next), 0);
    if (!filePath.isEmpty())
        sendStepFile(next, filePath);
    return next;
}

void IFPUpgrade::sendStepFile(VelkIFPDevice *device, const QString &filePath)
{
    if (device->otaState == OTA_WAITING_FOR_WAKE) {
        writeLog(LOG_LEVEL_INFO, "%s away restarting, its file waits: %s", qPrintable(modelName),
                 qPrintable(deviceKey(*device)));
        return;
    }
    if (m_lateResult.contains(deviceKey(*device))) {
        writeLog(LOG_LEVEL_INFO, "%s its next step waits for the result of the step its return showed installed: %s",
                 qPrintable(modelName), qPrintable(deviceKey(*device)));
        return;
    }
    // What a record of a box known by its address alone says is not always what is connected there: the box was
    // replaced by one of another model, or DHCP swapped it with one. The family's file goes only to a panel that
    // reports the family's model (one that reports none is taken at its record's word).
    const DeviceChannel *channel = cmdServer()->getChannel(cmdServer()->linkKey(*device));
    if (channel && !channel->getModelName().isEmpty() && channel->getModelName() != modelName) {
        const QString key = deviceKey(*device);
        writeLog(LOG_LEVEL_WARNING,
                 "%s firmware not sent to %s (%s): the panel connected there reports model %s, firmware %s, not the "
                 "%s of its record; it fails",
                 qPrintable(modelName), qPrintable(device->deviceName), qPrintable(key),
                 qPrintable(channel->getModelName()), qPrintable(channel->getFwVersion()), qPrintable(modelName));
        // Its report row names what runs there.
        device->fwVersion = channel->getFwVersion();
        device->panelFwVersion = channel->getPanelFwVersion();
        device->otaState = OTA_TRANSFERRING;
        // Through the family's own end of a failed transfer, from the event loop: the callers walk the batch.
        QMetaObject::invokeMethod(
            this,
            [this, key] {
                if (m_running)
                    transferFileComplete(key, false, true);
            },
            Qt::QueuedConnection);
        return;
    }
    cmdServer()->sendFile(device, filePath, sentName(filePath));
}

void IFPUpgrade::transferEnded(const QString &mac, bool success, bool skipRetry, const QString &filePath)
{
    writeLog(LOG_LEVEL_INFO, "%s transferFileComplete: %s, success: %s, skipRetry: %s", qPrintable(modelName),
             qPrintable(mac), logFlag(success), logFlag(skipRetry));
    VelkIFPDevice *device = batchDevice(mac, OTA_TRANSFERRING, "transferFileComplete, not found");
    if (!device)
        return;
    emit removeDeviceTimeout(mac);
    if (success) {
        transferRetryCount.remove(mac);
        startInstallation(device, 0);
    } else if (!skipRetry && transferRetryCount.value(mac) < maxTransferRetryCount) {
        transferRetryCount[mac] += 1;
        sendStepFile(device, filePath);
    } else {
        transferRetryCount.remove(mac);
        device->otaState = OTA_INSTALLING;
        otaFinished(mac, false);
    }
}

void IFPUpgrade::installationEnded(const QString &mac, bool success, const QString &newVersion, QString &filePath)
{
    writeLog(LOG_LEVEL_INFO, "%s otaFinished: %s, successs: %s", qPrintable(modelName), qPrintable(mac),
             logFlag(success));
    VelkIFPDevice *device = batchDevice(mac, OTA_INSTALLING, "otaFinished, device not found in currentOtaDeviceList");
    if (!device)
        return;
    emit removeDeviceTimeout(mac);
    if (success)
        device->fwVersion = newVersion;
    currentOtaDeviceList.removeOne(device);
    admitWaiting(filePath);
    finishStep(device, success, newVersion);
    if (currentOtaDeviceList.isEmpty()) {
        // A file of this pass still on its way (its devices all left before it came) is no file for the next.
        dropFileRequests();
        removeUnusedFile(filePath);
        filePath.clear();
        startOta();
    }
}

void IFPUpgrade::finishStep(VelkIFPDevice *device, bool success, const QString &newVersion)
{
    m_resent.remove(deviceKey(*device));
    if (!success) {
        failDevice(device);
        writeLog(LOG_LEVEL_INFO, "needOtaDeviceList remove failed device");
        m_stepped.remove(deviceKey(*device));
        needOtaDeviceList.removeOne(device);
        return;
    }
    writeLog(LOG_LEVEL_INFO, "currentDeltaNewVersion: %s, newestFwVersion: %s", qPrintable(newVersion),
             qPrintable(newestFwVersion));
    if (newVersion == newestFwVersion) {
        // Not Successfully yet: the device may restart into something else; the manager judges it.
        device->otaState = OTA_UP_TO_DATE;
        writeLog(LOG_LEVEL_INFO, "needOtaDeviceList remove newest device");
        m_stepped.remove(deviceKey(*device));
        needOtaDeviceList.removeOne(device);
        emit lastStepInstalled(device);
        return;
    }
    // Installed; waits for its next step. A device that is already down is restarting into the new version.
    device->otaState = OTA_CAN_UPDATE;
    m_stepped.insert(deviceKey(*device));
    if (!cmdServer()->isDeviceOnline(*device))
        awaitReturn(device);
}

void IFPUpgrade::stopRun(QString &filePath)
{
    writeLog(LOG_LEVEL_INFO, "stopOta");
    // The run's files go: nothing may still be sending one, or bringing one for a run that has ended.
    for (VelkIFPDevice *device : qAsConst(currentOtaDeviceList)) {
        if (device->otaState == OTA_TRANSFERRING) {
            cmdServer()->cancelFileTransfer(device);
            emit removeDeviceTimeout(deviceKey(*device));
        }
    }
    for (VelkIFPDevice *device : qAsConst(needOtaDeviceList)) {
        if (device->otaState == OTA_WAITING_FOR_WAKE)
            emit removeDeviceTimeout(deviceKey(*device));
    }
    dropFileRequests();
    failRemaining(currentOtaDeviceList, waitingOtaDeviceList + needOtaDeviceList);
    needOtaDeviceList.clear();
    currentOtaDeviceList.clear();
    waitingOtaDeviceList.clear();
    removeUnusedFile(filePath);
    filePath.clear();
    finishRun();
}

void IFPUpgrade::dropRun(QString &filePath)
{
    writeLog(LOG_LEVEL_INFO, "%s cancelOta", qPrintable(modelName));
    cancelTransfersAndDownloads();
    currentOtaDeviceList.clear();
    waitingOtaDeviceList.clear();
    needOtaDeviceList.clear();
    removeUnusedFile(filePath);
    filePath.clear();
}

bool IFPUpgrade::takeRequest(const QString &filename, bool success, int *kind)
{
    const auto request = requests.find(filename);
    if (request == requests.end()) {
        writeLog(LOG_LEVEL_INFO, "no requst of this file");
        return false;
    }
    *kind = request.value();
    requests.erase(request);
    writeLog(LOG_LEVEL_INFO, "receive downloadFinished: %s, success: %s", qPrintable(filename), logFlag(success));
    return true;
}

bool IFPUpgrade::answeredWithoutDevices()
{
    if (!deviceList.isEmpty())
        return false;
    writeLog(LOG_LEVEL_INFO, "no device, emit empty oldDeviceList");
    QList<VelkIFPDevice *> none;
    emit foundOldDevices(none);
    return true;
}

void IFPUpgrade::startInstallation(VelkIFPDevice *device, int upgradeType)
{
    if (m_stepped.contains(deviceKey(*device)) && !cmdServer()->isDeviceOnline(*device)) {
        // Its file arrived on the connection that then went down with the restart: it is sent again on return.
        awaitReturn(device);
        return;
    }
    m_answered.remove(deviceKey(*device));
    if (cmdServer()->sendStartOta(device, upgradeType) != 0) {
        writeLog(LOG_LEVEL_WARNING, "%s start command not sent, device offline: %s", qPrintable(modelName),
                 qPrintable(deviceKey(*device)));
        device->otaState = OTA_INSTALLING;
        otaFinished(deviceKey(*device), false);
        return;
    }
    emit setupOtaResultTimeout(deviceKey(*device), upgradeType == 0 ? resultTimeoutMs : resultWithImageTimeoutMs);
}

void IFPUpgrade::cancelTransfersAndDownloads()
{
    for (VelkIFPDevice *device : qAsConst(currentOtaDeviceList)) {
        if (device->otaState == OTA_TRANSFERRING)
            cmdServer()->cancelFileTransfer(device);
    }
    for (auto it = requests.begin(); it != requests.end();) {
        if (downloader->cancelDownload(it.key())) {
            ++it;
        } else {
            m_sentNames.remove(it.key());
            it = requests.erase(it);
        }
    }
}

void IFPUpgrade::dropVersionRequests(int versionKind)
{
    for (auto it = requests.begin(); it != requests.end();) {
        if (it.value() == versionKind) {
            downloader->cancelDownload(it.key());
            it = requests.erase(it);
        } else {
            ++it;
        }
    }
}
