#include "firmware/IFP3BoxUpgrade.h"

#include "firmware/DownloadRules.h"
#include "firmware/FirmwareVersion.h"
#include "firmware/HttpDownloader.h"
#include "firmware/OtaDeviceState.h"
#include "firmware/OtaLogText.h"
#include "firmware/OtaServerConfig.h"
#include "firmware/PanelVersion.h"
#include "network/CmdServer.h"
#include "shell/base/Log.h"

#include <QFile>

IFP3BoxUpgrade::IFP3BoxUpgrade(QObject *parent) : IFPUpgrade(parent)
{
    modelName = QStringLiteral("Velk TM7-B");
    minRemoteOtaVersion = QStringLiteral("2.5.2051.0");
}

void IFP3BoxUpgrade::setDownloadFolder(const QString &otaFolder)
{
    downloadFolder = otaFolder + QStringLiteral("IFP3_BOX/");
}

int IFP3BoxUpgrade::compareVersion(const QString &a, const QString &b)
{
    return FirmwareVersion::compareDelta(a, b);
}

void IFP3BoxUpgrade::getOtaServerInfo()
{
    writeLog(LOG_LEVEL_INFO, "%s getOtaServerInfo", qPrintable(modelName));
    OtaServerConfig servers;
    servers.updateServer = updateServer;
    const QString path = servers.manifestUrl().isEmpty()
                             ? QString()
                             : downloader->download(downloadFolder, servers.manifestUrl(), QString(), 0,
                                                    DownloadRules::MaxManifestBytes);
    if (path.isEmpty()) {
        writeLog(LOG_LEVEL_WARNING, "%s getOtaServerInfo, no manifest: is [Ota] UpdateServer in settings.ini set?",
                 qPrintable(modelName));
        emit checkOtaVersionInfoFailed();
        return;
    }
    requests.insert(path, TASK_OPS_VERSION);
}

void IFP3BoxUpgrade::abandonCheck()
{
    dropVersionRequests(TASK_OPS_VERSION);
}

void IFP3BoxUpgrade::parseManifest(const QString &filePath)
{
    writeLog(LOG_LEVEL_INFO, "findAllUpdateRouteNodes: %s", qPrintable(filePath));
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        writeLog(LOG_LEVEL_ERROR, "open file fail: %s", qPrintable(filePath));
        emit checkOtaVersionInfoFailed();
        return;
    }
    const BoxManifest::Result manifest = BoxManifest::read(&file, modelName);
    if (!manifest.error.isEmpty())
        writeLog(LOG_LEVEL_WARNING, "%s manifest read up to an error: %s", qPrintable(modelName),
                 qPrintable(manifest.error));
    packages = manifest.packages;
    writeLog(LOG_LEVEL_INFO, "findUpdateRoutes");
    const bool built = updateRoutes.build(packages);
    if (updateRoutes.nodes().isEmpty()) {
        writeLog(LOG_LEVEL_WARNING, "findAllUpdateRouteNodes, no nodes");
        emit checkOtaVersionInfoFailed();
        return;
    }
    if (!built) {
        emit checkOtaVersionInfoFailed();
        return;
    }
    updateRoutes.logRoutes(modelName);
    versionHash = updateRoutes.newestVersions();
    checkOldDeviceInfo();
}

void IFP3BoxUpgrade::checkOldDeviceInfo()
{
    writeLog(LOG_LEVEL_INFO, "%s checkOldDeviceInfo", qPrintable(modelName));
    if (answeredWithoutDevices())
        return;
    if (updateRoutes.isEmpty()) {
        writeLog(LOG_LEVEL_WARNING, "updateRouteList is empty");
        emit checkOtaVersionInfoFailed();
        return;
    }
    QList<VelkIFPDevice *> oldDevices;
    for (VelkIFPDevice *device : qAsConst(deviceList)) {
        const int index = updateRoutes.findRouteIndex(device->fwVersion, device->sku);
        if (index < 0) {
            writeLog(LOG_LEVEL_INFO, "fwVersion not in xml: %s, sku=%s", qPrintable(device->fwVersion),
                     qPrintable(device->sku));
            continue;
        }
        if (compareVersion(device->fwVersion, updateRoutes.routeEnd(index)) < 0)
            oldDevices.append(device);
    }
    emit foundOldDevices(oldDevices);
}

bool IFP3BoxUpgrade::findOldest(QString *oldest, QString *sku, bool requirePanelVersion)
{
    oldest->clear();
    sku->clear();
    for (auto it = needOtaDeviceList.begin(); it != needOtaDeviceList.end();) {
        VelkIFPDevice *device = *it;
        const int index = updateRoutes.findRouteIndex(device->fwVersion, device->sku);
        if (device->fwVersion.isEmpty() || (requirePanelVersion && device->panelFwVersion.isEmpty())) {
            writeLog(LOG_LEVEL_WARNING, requirePanelVersion ? "Error: device fwVersion or panelFwVersion not exists"
                                                            : "Error: device fwVersion not exists");
            failDevice(device);
            it = needOtaDeviceList.erase(it);
        } else if (!FirmwareVersion::hasFourFields(device->fwVersion) ||
                   (requirePanelVersion && !PanelVersion::isWellFormed(device->panelFwVersion))) {
            // Versions are rewritten field by field later on; a malformed one fails here, not half way through.
            writeLog(LOG_LEVEL_WARNING, "Error: device version format not correct: %s, %s, %s",
                     qPrintable(deviceKey(*device)), qPrintable(device->fwVersion), qPrintable(device->panelFwVersion));
            failDevice(device);
            it = needOtaDeviceList.erase(it);
        } else if (index < 0) {
            writeLog(LOG_LEVEL_WARNING, "fwVersion not in xml: %s", qPrintable(device->fwVersion));
            failDevice(device);
            it = needOtaDeviceList.erase(it);
        } else if (device->fwVersion == updateRoutes.routeEnd(index)) {
            writeLog(LOG_LEVEL_INFO, "device fwVersion already newest");
            device->otaState = OTA_UP_TO_DATE;
            emit updateDeviceStatus(device, UPDATE_SUCCESSFULLY);
            it = needOtaDeviceList.erase(it);
        } else {
            if (oldest->isEmpty() || compareVersion(device->fwVersion, *oldest) < 0) {
                *oldest = device->fwVersion;
                *sku = device->sku;
            }
            ++it;
        }
    }
    if (needOtaDeviceList.isEmpty()) {
        writeLog(LOG_LEVEL_INFO, "%s ota finished", qPrintable(modelName));
        finishRun();
        return false;
    }
    currentUpdateRouteIndex = updateRoutes.findRouteIndex(*oldest, *sku);
    newestFwVersion = updateRoutes.routeEnd(currentUpdateRouteIndex);
    writeLog(LOG_LEVEL_INFO, "%s oldestVersion: %s, sku: %s", qPrintable(modelName), qPrintable(*oldest),
             qPrintable(*sku));
    writeLog(LOG_LEVEL_INFO, "currentUpdateRouteIndex: %s", logNumber(currentUpdateRouteIndex).constData());
    writeLog(LOG_LEVEL_INFO, "newestFwVersion: %s", qPrintable(newestFwVersion));
    return true;
}

void IFP3BoxUpgrade::startOta()
{
    writeLog(LOG_LEVEL_INFO, "%s startOta, needOtaDeviceList size: %s", qPrintable(modelName),
             logNumber(needOtaDeviceList.size()).constData());
    currentOtaDeviceList.clear();
    waitingOtaDeviceList.clear();
    QString oldest;
    QString sku;
    if (!findOldest(&oldest, &sku, false))
        return;
    QList<VelkIFPDevice *> pass;
    for (VelkIFPDevice *device : qAsConst(needOtaDeviceList)) {
        if (device->fwVersion == oldest && device->sku == sku)
            pass.append(device);
    }
    formBatch(pass);
    getDeltaFile(oldest, sku);
}

bool IFP3BoxUpgrade::getDeltaFile(const QString &fromVersion, const QString &sku)
{
    // Only the step of this route counts: a package off the route, or one leading down, would reflash or
    // downgrade the device.
    const QString toVersion = updateRoutes.nextVersion(currentUpdateRouteIndex, fromVersion);
    const ManifestPackage *package = UpdateRoutes::chooseStep(packages, fromVersion, toVersion, sku);
    if (!package) {
        writeLog(LOG_LEVEL_WARNING, "deltaFileUrl not found: %s to %s, sku=%s", qPrintable(fromVersion),
                 qPrintable(toVersion), qPrintable(sku));
        stopOta();
        return false;
    }
    writeLog(LOG_LEVEL_INFO, "deltaFile from %s to %s, filename: %s, fileSize: %s, sku: %s", qPrintable(fromVersion),
             qPrintable(package->newVersion), qPrintable(package->name), logNumber(package->size).constData(),
             qPrintable(package->sku));
    writeLog(LOG_LEVEL_INFO, "deltaFileUrl: %s", qPrintable(package->url));
    currentDeltaNewVersion = package->newVersion;
    const QString path = requestFile(package->url, packageFileName, package->size, 0, TASK_OPS_FILE);
    if (path.isEmpty()) {
        writeLog(LOG_LEVEL_WARNING, "%s delta file download refused: %s", qPrintable(modelName),
                 qPrintable(package->url));
        stopOta();
        return false;
    }
    return true;
}

bool IFP3BoxUpgrade::takeDownload(const QString &filename, bool success, QString *filePath)
{
    if (currentOtaDeviceList.isEmpty()) {
        writeLog(LOG_LEVEL_INFO, "ota was cancelled or stopped");
        removeUnusedFile(filename);
        return false;
    }
    if (!success)
        return false;
    *filePath = filename;
    return true;
}

void IFP3BoxUpgrade::downloadFinished(QString filename, bool success)
{
    writeLog(LOG_LEVEL_INFO, "%s downloadFinished", qPrintable(modelName));
    int kind = 0;
    if (!takeRequest(filename, success, &kind))
        return;
    if (kind == TASK_OPS_VERSION) {
        writeLog(LOG_LEVEL_INFO, "TASK_OPS_VERSION");
        if (success)
            parseManifest(filename);
        else
            emit checkOtaVersionInfoFailed();
    } else if (kind == TASK_OPS_FILE) {
        writeLog(LOG_LEVEL_INFO, "TASK_OPS_FILE");
        if (takeDownload(filename, success, &deltaFilePath)) {
            for (VelkIFPDevice *device : qAsConst(currentOtaDeviceList))
                sendStepFile(device, deltaFilePath);
        } else if (!currentOtaDeviceList.isEmpty()) {
            stopOta();
        }
    } else {
        writeLog(LOG_LEVEL_ERROR, "downloadFinished, task error");
    }
}

void IFP3BoxUpgrade::transferFileComplete(const QString &mac, bool success, bool skipRetry)
{
    transferEnded(mac, success, skipRetry, deltaFilePath);
}

void IFP3BoxUpgrade::otaFinished(const QString &mac, bool success)
{
    installationEnded(mac, success, currentDeltaNewVersion, deltaFilePath);
}

void IFP3BoxUpgrade::resumeDevice(VelkIFPDevice *device)
{
    transferRetryCount.insert(deviceKey(*device), 0);
    if (!deltaFilePath.isEmpty())
        sendStepFile(device, deltaFilePath);
}

void IFP3BoxUpgrade::cancelOta()
{
    dropRun(deltaFilePath);
}

void IFP3BoxUpgrade::stopOta()
{
    stopRun(deltaFilePath);
}
