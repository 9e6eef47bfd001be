#include "firmware/IFP3Upgrade.h"

#include "firmware/DownloadRules.h"
#include "firmware/HttpDownloader.h"
#include "firmware/OtaDeviceState.h"
#include "firmware/OtaLogText.h"
#include "firmware/OtaServerConfig.h"
#include "firmware/PanelVersion.h"
#include "network/CmdServer.h"
#include "shell/base/Log.h"

#include <QFile>

IFP3Upgrade::IFP3Upgrade(QObject *parent) : IFP3BoxUpgrade(parent)
{
    modelName = QStringLiteral("Velk TM B-Series");
    minRemoteOtaVersion = QStringLiteral("2.5.1050.0");
}

void IFP3Upgrade::setDownloadFolder(const QString &otaFolder)
{
    downloadFolder = otaFolder + QStringLiteral("IFP3/");
}

QString IFP3Upgrade::lookupPanelVersion(const QString &version) const
{
    return panelManifest.matchedPanelVersion(version);
}

void IFP3Upgrade::getOtaServerInfo()
{
    writeLog(LOG_LEVEL_INFO, "IFP3Upgrade::getOtaServerInfo");
    // Both manifests must arrive before the routes are read; a refused or failed one keeps the count above 0.
    pendingManifestCount = 2;
    manifestFailureReported = false;
    OtaServerConfig servers;
    servers.updateServer = updateServer;
    const struct
    {
        QString url;
        int kind;
    } manifests[] = {{servers.manifestUrl(), TASK_OPS_VERSION}, {servers.panelManifestUrl(), TASK_PANEL_VERSION}};
    for (const auto &manifest : manifests) {
        const QString path = manifest.url.isEmpty() ? QString()
                                                    : downloader->download(downloadFolder, manifest.url, QString(), 0,
                                                                           DownloadRules::MaxManifestBytes);
        if (path.isEmpty()) {
            writeLog(LOG_LEVEL_WARNING, "IFP3Upgrade::getOtaServerInfo, no manifest: is [Ota] UpdateServer set?");
            manifestArrived(QString(), false, false);
        } else {
            requests.insert(path, manifest.kind);
        }
    }
}

void IFP3Upgrade::abandonCheck()
{
    dropVersionRequests(TASK_OPS_VERSION);
    dropVersionRequests(TASK_PANEL_VERSION);
}

void IFP3Upgrade::manifestArrived(const QString &filename, bool success, bool panel)
{
    if (!success) {
        if (!manifestFailureReported) {
            manifestFailureReported = true;
            emit checkOtaVersionInfoFailed();
        }
        return;
    }
    (panel ? panelManifestPath : opsManifestPath) = filename;
    if (--pendingManifestCount != 0)
        return;
    QFile file(panelManifestPath);
    if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        panelManifest = PanelManifest::read(&file, modelName);
        if (!panelManifest.error.isEmpty())
            writeLog(LOG_LEVEL_WARNING, "panel manifest read up to an error: %s", qPrintable(panelManifest.error));
    } else {
        writeLog(LOG_LEVEL_ERROR, "open file fail: %s", qPrintable(panelManifestPath));
        panelManifest = PanelManifest();
    }
    parseManifest(opsManifestPath);
}

void IFP3Upgrade::downloadFinished(QString filename, bool success)
{
    writeLog(LOG_LEVEL_INFO, "IFP3Upgrade::downloadFinished");
    int kind = 0;
    if (!takeRequest(filename, success, &kind))
        return;
    switch (kind) {
    case TASK_OPS_VERSION:
    case TASK_PANEL_VERSION:
        writeLog(LOG_LEVEL_INFO, kind == TASK_OPS_VERSION ? "TASK_OPS_VERSION" : "TASK_PANEL_VERSION");
        manifestArrived(filename, success, kind == TASK_PANEL_VERSION);
        break;
    case TASK_OPS_FILE:
    case TASK_PANEL_FILE: {
        const bool image = kind == TASK_PANEL_FILE;
        writeLog(LOG_LEVEL_INFO, image ? "TASK_PANEL_FILE" : "TASK_OPS_FILE");
        if (takeDownload(filename, success, image ? &panelFilePath : &deltaFilePath))
            sendFileToDevices(filename);
        else if (!currentOtaDeviceList.isEmpty())
            stopOta(); // also removes the other file of the pair
        break;
    }
    default:
        writeLog(LOG_LEVEL_ERROR, "downloadFinished, task error");
        break;
    }
}

void IFP3Upgrade::startOta()
{
    writeLog(LOG_LEVEL_INFO, "IFP3 startOta, needOtaDeviceList size: %s",
             logNumber(needOtaDeviceList.size()).constData());
    currentOtaDeviceList.clear();
    waitingOtaDeviceList.clear();
    currentOldestOpsDeviceList.clear();
    currentOldPanelDeviceList.clear();
    transferInfoMap.clear();
    QString sku;
    if (!findOldest(&currentOldestVersion, &sku, true))
        return;
    for (VelkIFPDevice *device : qAsConst(needOtaDeviceList)) {
        if (device->fwVersion == currentOldestVersion && device->sku == sku)
            currentOldestOpsDeviceList.append(device);
    }
    withPanelFirmware = false;
    currentDeltaNewVersion = updateRoutes.nextVersion(currentUpdateRouteIndex, currentOldestVersion);
    if (currentDeltaNewVersion.isEmpty()) {
        writeLog(LOG_LEVEL_WARNING, "Can not getDeltaNewVersion of version: %s, %s", qPrintable(currentOldestVersion),
                 qPrintable(modelName));
        stopOta();
        return;
    }
    writeLog(LOG_LEVEL_INFO, "delta info from %s to %s", qPrintable(currentOldestVersion),
             qPrintable(currentDeltaNewVersion));
    currentMatchedPanelVersion = panelManifest.matchedPanelVersion(currentDeltaNewVersion);
    if (currentMatchedPanelVersion.isEmpty()) {
        writeLog(LOG_LEVEL_WARNING, "Can not checkMatchedPanelVersion of version: %s, %s",
                 qPrintable(currentDeltaNewVersion), qPrintable(modelName));
        stopOta();
        return;
    }
    const int matchedCode = PanelVersion::fieldValue(currentMatchedPanelVersion, PanelVersion::Code);
    writeLog(LOG_LEVEL_INFO, "matchedPanelVersionCode: %s", logNumber(matchedCode).constData());
    for (auto it = currentOldestOpsDeviceList.begin(); it != currentOldestOpsDeviceList.end();) {
        if (PanelVersion::fieldValue((*it)->panelFwVersion, PanelVersion::Code) != matchedCode) {
            currentOldPanelDeviceList.append(*it);
            it = currentOldestOpsDeviceList.erase(it);
        } else {
            ++it;
        }
    }
    writeLog(LOG_LEVEL_INFO, "currentOldPanelDeviceList: %s, currentOldestOpsDeviceList: %s",
             logNumber(currentOldPanelDeviceList.size()).constData(),
             logNumber(currentOldestOpsDeviceList.size()).constData());
    QString sizeCode;
    if (currentOldPanelDeviceList.isEmpty()) {
        startGroup(currentOldestOpsDeviceList);
        currentOldestOpsDeviceList.clear();
    } else {
        withPanelFirmware = true;
        sizeCode = findSmallestPanelSizeCodeString();
        startGroup(findSmallestPanelToDoOta(sizeCode));
    }
    if (!getDeltaFile(currentOldestVersion, sku))
        return;
    if (withPanelFirmware)
        getPanelFile(sizeCode);
}

void IFP3Upgrade::startGroup(const QList<VelkIFPDevice *> &group)
{
    formBatch(group);
    transferInfoMap.clear();
    for (VelkIFPDevice *device : qAsConst(currentOtaDeviceList)) {
        OtaTransferInfo info;
        info.upgradeType = withPanelFirmware ? 1 : 0;
        info.remainingFileCount = withPanelFirmware ? 2 : 1;
        transferInfoMap.insert(deviceKey(*device), info);
    }
}

QString IFP3Upgrade::findSmallestPanelSizeCodeString() const
{
    QString smallest;
    int smallestValue = 0;
    for (const VelkIFPDevice *device : currentOldPanelDeviceList) {
        const int value = PanelVersion::fieldValue(device->panelFwVersion, PanelVersion::Size);
        if (smallest.isEmpty() || value < smallestValue) {
            smallest = PanelVersion::field(device->panelFwVersion, PanelVersion::Size);
            smallestValue = value;
        }
    }
    return smallest;
}

QList<VelkIFPDevice *> IFP3Upgrade::findSmallestPanelToDoOta(const QString &sizeCode)
{
    QList<VelkIFPDevice *> group;
    QString groupOc;
    for (auto it = currentOldPanelDeviceList.begin(); it != currentOldPanelDeviceList.end();) {
        const QString size = PanelVersion::field((*it)->panelFwVersion, PanelVersion::Size);
        const QString oc = PanelVersion::field((*it)->panelFwVersion, PanelVersion::Oc);
        if (size == sizeCode && (groupOc.isEmpty() || groupOc == oc)) {
            groupOc = oc;
            group.append(*it);
            it = currentOldPanelDeviceList.erase(it);
        } else {
            ++it;
        }
    }
    if (!groupOc.isEmpty())
        currentMatchedPanelVersion = PanelVersion::withField(currentMatchedPanelVersion, PanelVersion::Oc, groupOc);
    writeLog(LOG_LEVEL_INFO, "currentMatchedPanelVersion: %s", qPrintable(currentMatchedPanelVersion));
    return group;
}

bool IFP3Upgrade::getPanelFile(const QString &sizeCode)
{
    currentMatchedPanelVersion = PanelVersion::withField(currentMatchedPanelVersion, PanelVersion::Size, sizeCode);
    writeLog(LOG_LEVEL_INFO, "currentMatchedPanelVersion: %s", qPrintable(currentMatchedPanelVersion));
    const int inches =
        PanelVersion::inchesForSizeCode(PanelVersion::fieldValue(currentMatchedPanelVersion, PanelVersion::Size));
    if (inches == 0) {
        writeLog(LOG_LEVEL_WARNING, "error with smallestPanelSizeCodeString: %s", qPrintable(sizeCode));
        stopOta();
        return false;
    }
    const PanelManifest::Image image = panelManifest.image(
        currentDeltaNewVersion, inches, PanelVersion::field(currentMatchedPanelVersion, PanelVersion::Oc));
    if (image.url.isEmpty()) {
        writeLog(LOG_LEVEL_WARNING, "panelFileUrl not found");
        stopOta();
        return false;
    }
    writeLog(LOG_LEVEL_INFO, "panelFileUrl: %s, panelFileSize: %s", qPrintable(image.url),
             logNumber(image.size).constData());
    const QString path = requestFile(image.url, panelFileName, image.size, 0, TASK_PANEL_FILE);
    if (path.isEmpty()) {
        writeLog(LOG_LEVEL_WARNING, "panel image download refused: %s", qPrintable(image.url));
        stopOta();
        return false;
    }
    return true;
}

void IFP3Upgrade::sendPlanned(VelkIFPDevice *device, OtaTransferInfo &info)
{
    sendStepFile(device, info.currentFile);
}

void IFP3Upgrade::planFromStart(VelkIFPDevice *device)
{
    OtaTransferInfo info;
    info.upgradeType = withPanelFirmware ? 1 : 0;
    info.remainingFileCount = withPanelFirmware ? 2 : 1;
    QStringList files;
    if (!deltaFilePath.isEmpty())
        files.append(deltaFilePath);
    if (withPanelFirmware && !panelFilePath.isEmpty())
        files.append(panelFilePath);
    info.currentFile = files.value(0);
    info.pendingFile = files.value(1);
    OtaTransferInfo &planned = transferInfoMap[deviceKey(*device)];
    planned = info;
    if (!planned.currentFile.isEmpty())
        sendPlanned(device, planned);
}

void IFP3Upgrade::resumeDevice(VelkIFPDevice *device)
{
    planFromStart(device);
}

void IFP3Upgrade::forgetDevice(VelkIFPDevice *device)
{
    currentOldPanelDeviceList.removeOne(device);
    currentOldestOpsDeviceList.removeOne(device);
}

void IFP3Upgrade::sendFileToDevices(const QString &filePath)
{
    // Only to a panel whose plan still waits for this file: the image only where the plan has one, nothing to a
    // panel whose files are all in (it is installing, and a second file would bring a second start).
    const bool image = filePath == panelFilePath;
    for (VelkIFPDevice *device : qAsConst(currentOtaDeviceList)) {
        if (device->otaState == OTA_WAITING_FOR_WAKE)
            continue; // away restarting: planned anew when it is back
        const auto plan = transferInfoMap.find(deviceKey(*device));
        if (plan == transferInfoMap.end() || (image && plan->upgradeType != 1) || plan->currentFile == filePath ||
            plan->pendingFile == filePath) {
            writeLog(LOG_LEVEL_INFO, "IFP3Upgrade, %s not planned for %s", qPrintable(filePath),
                     qPrintable(deviceKey(*device)));
            continue;
        }
        OtaTransferInfo &info = plan.value();
        if (info.currentFile.isEmpty()) {
            info.currentFile = filePath;
            sendPlanned(device, info);
        } else {
            info.pendingFile = filePath;
        }
    }
}

void IFP3Upgrade::transferFileComplete(const QString &mac, bool success, bool skipRetry)
{
    writeLog(LOG_LEVEL_INFO, "IFP3Upgrade::transferFileComplete: %s, success: %s, skipRetry: %s", qPrintable(mac),
             logFlag(success), logFlag(skipRetry));
    VelkIFPDevice *device = batchDevice(mac, OTA_TRANSFERRING, "IFP3Upgrade::transferFileComplete, not found");
    if (!device)
        return;
    emit removeDeviceTimeout(mac);
    OtaTransferInfo &info = transferInfoMap[mac];
    if (success) {
        --info.remainingFileCount;
        info.currentFile.clear();
        info.fileRetryCount = 0;
        if (info.remainingFileCount > 0) {
            // The second file goes now when it is on disk; otherwise sendFileToDevices sends it on arrival.
            if (!info.pendingFile.isEmpty()) {
                info.currentFile = info.pendingFile;
                info.pendingFile.clear();
                sendPlanned(device, info);
            }
            return;
        }
        const int type = info.upgradeType;
        transferInfoMap.remove(mac);
        startInstallation(device, type);
    } else if (!skipRetry && info.fileRetryCount < maxTransferRetryCount) {
        ++info.fileRetryCount;
        sendPlanned(device, info);
    } else {
        transferInfoMap.remove(mac);
        device->otaState = OTA_INSTALLING;
        otaFinished(mac, false);
    }
}

void IFP3Upgrade::otaFinished(const QString &mac, bool success)
{
    writeLog(LOG_LEVEL_INFO, "IFP3Upgrade::otaFinished: %s, successs: %s", qPrintable(mac), logFlag(success));
    VelkIFPDevice *device = batchDevice(mac, OTA_INSTALLING, "otaFinished, device not found in currentOtaDeviceList");
    if (!device)
        return;
    emit removeDeviceTimeout(mac);
    if (success) {
        device->fwVersion = currentDeltaNewVersion;
        if (withPanelFirmware) {
            device->panelFwVersion =
                PanelVersion::withField(device->panelFwVersion, PanelVersion::Code,
                                        PanelVersion::field(currentMatchedPanelVersion, PanelVersion::Code));
            writeLog(LOG_LEVEL_INFO, "panelFwVersion: %s", qPrintable(device->panelFwVersion));
        }
    }
    currentOtaDeviceList.removeOne(device);
    if (VelkIFPDevice *next = admitWaiting(QString()))
        planFromStart(next);
    finishStep(device, success, currentDeltaNewVersion);
    if (!currentOtaDeviceList.isEmpty())
        return;
    // The group is done: the next image group, then the panels that need the OS package alone, then a new round.
    // Its image goes, also one still on its way (all its panels may have failed before it came): the next group
    // must never take it for its own.
    dropFileRequests(TASK_PANEL_FILE);
    removeUnusedFile(panelFilePath);
    panelFilePath.clear();
    if (!currentOldPanelDeviceList.isEmpty()) {
        const QString sizeCode = findSmallestPanelSizeCodeString();
        startGroup(findSmallestPanelToDoOta(sizeCode));
        if (!deltaFilePath.isEmpty())
            sendFileToDevices(deltaFilePath);
        getPanelFile(sizeCode);
    } else if (!currentOldestOpsDeviceList.isEmpty()) {
        withPanelFirmware = false;
        startGroup(currentOldestOpsDeviceList);
        currentOldestOpsDeviceList.clear();
        if (!deltaFilePath.isEmpty())
            sendFileToDevices(deltaFilePath);
    } else {
        dropFileRequests();
        removeUnusedFile(deltaFilePath);
        deltaFilePath.clear();
        startOta();
    }
}

void IFP3Upgrade::cancelOta()
{
    writeLog(LOG_LEVEL_INFO, "IFP3Upgrade::cancelOta");
    cancelTransfersAndDownloads();
    currentOtaDeviceList.clear();
    waitingOtaDeviceList.clear();
    needOtaDeviceList.clear();
    currentOldestOpsDeviceList.clear();
    currentOldPanelDeviceList.clear();
    transferInfoMap.clear();
    removeUnusedFile(deltaFilePath);
    deltaFilePath.clear();
    removeUnusedFile(panelFilePath);
    panelFilePath.clear();
}

void IFP3Upgrade::stopOta()
{
    removeUnusedFile(panelFilePath);
    panelFilePath.clear();
    currentOldestOpsDeviceList.clear();
    currentOldPanelDeviceList.clear();
    transferInfoMap.clear();
    IFP3BoxUpgrade::stopOta();
}
