#include "firmware/AudioBoxUpgrade.h"

#include "firmware/DownloadRules.h"
#include "firmware/FirmwareVersion.h"
#include "firmware/HttpDownloader.h"
#include "firmware/OtaDeviceState.h"
#include "firmware/OtaLogText.h"
#include "firmware/OtaServerConfig.h"
#include "firmware/UpdateConfig.h"
#include "network/CmdServer.h"
#include "shell/base/Log.h"

#include <QFile>
#include <QUrl>

AudioBoxUpgrade::AudioBoxUpgrade(QObject *parent) : IFPUpgrade(parent)
{
    modelName = QStringLiteral("QML8");
    minRemoteOtaVersion = QStringLiteral("8.0.0000.04");
}

void AudioBoxUpgrade::setDownloadFolder(const QString &otaFolder)
{
    downloadFolder = otaFolder + QStringLiteral("AudioBox/");
}

int AudioBoxUpgrade::compareFwVersion(const QString &a, const QString &b)
{
    return FirmwareVersion::compareNumeric(a, b);
}

void AudioBoxUpgrade::getOtaServerInfo()
{
    writeLog(LOG_LEVEL_INFO, "%s getOtaServerInfo", qPrintable(modelName));
    OtaServerConfig servers;
    servers.downloadServer = downloadServer;
    const QString url = servers.updateConfigUrl();
    if (url.isEmpty()) {
        writeLog(LOG_LEVEL_WARNING, "%s getOtaServerInfo, no download server: set [Ota] DownloadServer in settings.ini",
                 qPrintable(modelName));
        emit checkOtaVersionInfoFailed();
        return;
    }
    const QString path = downloader->download(downloadFolder, url, QString(), 0, DownloadRules::MaxUpdateConfigBytes);
    if (path.isEmpty()) {
        writeLog(LOG_LEVEL_WARNING, "%s getOtaServerInfo, download refused", qPrintable(modelName));
        emit checkOtaVersionInfoFailed();
        return;
    }
    requests.insert(path, FW_VERSION);
}

void AudioBoxUpgrade::abandonCheck()
{
    dropVersionRequests(FW_VERSION);
}

void AudioBoxUpgrade::downloadFinished(QString filename, bool success)
{
    writeLog(LOG_LEVEL_INFO, "%s downloadFinished", qPrintable(modelName));
    int kind = 0;
    if (!takeRequest(filename, success, &kind))
        return;
    if (kind == FW_VERSION) {
        writeLog(LOG_LEVEL_INFO, "FW_VERSION");
        if (success)
            parseUpdateConfig(filename);
        else
            emit checkOtaVersionInfoFailed();
    } else if (kind == FW_FILE) {
        writeLog(LOG_LEVEL_INFO, "FW_FILE");
        if (currentOtaDeviceList.isEmpty()) {
            writeLog(LOG_LEVEL_INFO, "ota was cancelled");
            removeUnusedFile(filename);
        } else if (success) {
            fwFilePath = filename;
            for (VelkIFPDevice *device : qAsConst(currentOtaDeviceList))
                sendStepFile(device, fwFilePath);
        } else {
            stopOta();
        }
    } else {
        writeLog(LOG_LEVEL_ERROR, "downloadFinished, task error");
    }
}

void AudioBoxUpgrade::parseUpdateConfig(const QString &filePath)
{
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        writeLog(LOG_LEVEL_ERROR, "open file fail: %s", qPrintable(filePath));
        emit checkOtaVersionInfoFailed();
        return;
    }
    const UpdateConfig::Entry entry = UpdateConfig::read(file.read(DownloadRules::MaxUpdateConfigBytes), modelName);
    file.close();
    if (entry.unreadable) {
        // As a file that cannot be opened: the family's check fails and what the last good file gave stays.
        writeLog(LOG_LEVEL_ERROR, "%s update.cfg cannot be read (a NUL or bytes that are no UTF-8): %s",
                 qPrintable(modelName), qPrintable(filePath));
        emit checkOtaVersionInfoFailed();
        return;
    }
    newestFwVersion = entry.version;
    fwFileUrl = entry.path;
    if (!newestFwVersion.isEmpty() && !FirmwareVersion::hasFourFields(newestFwVersion)) {
        writeLog(LOG_LEVEL_WARNING, "%s FW version format not correct: %s", qPrintable(modelName),
                 qPrintable(newestFwVersion));
        newestFwVersion.clear();
    }
    if (!fwFileUrl.isEmpty()) {
        // The address and the file name it gives come from the server: refuse them here, so the model's check
        // fails instead of a run that could never fetch its file.
        const QUrl url(fwFileUrl);
        if (!DownloadRules::isFetchableUrl(url)) {
            writeLog(LOG_LEVEL_WARNING, "%s FW file URL refused (only http and https): %s", qPrintable(modelName),
                     qPrintable(fwFileUrl));
            fwFileUrl.clear();
        } else if (!DownloadRules::isSafeFileName(DownloadRules::urlFileName(url))) {
            writeLog(LOG_LEVEL_WARNING, "%s FW file URL refused (file name): %s", qPrintable(modelName),
                     qPrintable(fwFileUrl));
            fwFileUrl.clear();
        }
    }
    versionHash.clear();
    if (!newestFwVersion.isEmpty())
        versionHash.insert(newestFwVersion);
    checkOldDeviceInfo();
}

void AudioBoxUpgrade::checkOldDeviceInfo()
{
    writeLog(LOG_LEVEL_INFO, "%s checkOldDeviceInfo", qPrintable(modelName));
    if (answeredWithoutDevices())
        return;
    if (newestFwVersion.isEmpty()) {
        writeLog(LOG_LEVEL_WARNING, "FW version not found");
        emit checkOtaVersionInfoFailed();
        return;
    }
    if (fwFileUrl.isEmpty()) {
        writeLog(LOG_LEVEL_WARNING, "FW file URL not found");
        emit checkOtaVersionInfoFailed();
        return;
    }
    QList<VelkIFPDevice *> oldDevices;
    for (VelkIFPDevice *device : qAsConst(deviceList)) {
        if (compareFwVersion(device->fwVersion, newestFwVersion) < 0)
            oldDevices.append(device);
    }
    emit foundOldDevices(oldDevices);
}

bool AudioBoxUpgrade::versionUsable(const VelkIFPDevice *device) const
{
    bool usable = true;
    if (device->fwVersion.isEmpty()) {
        writeLog(LOG_LEVEL_WARNING, "Error: device fwVersion not exists");
        usable = false;
    }
    if (!FirmwareVersion::hasFourFields(device->fwVersion)) {
        writeLog(LOG_LEVEL_WARNING, "Error: device fwVersion format not correct");
        usable = false;
    }
    if (compareFwVersion(device->fwVersion, minRemoteOtaVersion) < 0) {
        writeLog(LOG_LEVEL_WARNING, "Error: device not support remote ota");
        usable = false;
    }
    return usable;
}

void AudioBoxUpgrade::startOta()
{
    writeLog(LOG_LEVEL_INFO, "%s startOta, needOtaDeviceList size: %s", qPrintable(modelName),
             QByteArray::number(needOtaDeviceList.size()).constData());
    // Without a known newest version every device would compare as up to date and be reported "Successfully".
    const bool newestKnown = !newestFwVersion.isEmpty() && !fwFileUrl.isEmpty();
    for (auto it = needOtaDeviceList.begin(); it != needOtaDeviceList.end();) {
        VelkIFPDevice *device = *it;
        if (!versionUsable(device)) {
            failDevice(device);
            it = needOtaDeviceList.erase(it);
        } else if (!newestKnown) {
            writeLog(LOG_LEVEL_WARNING, "Error: newest firmware not known, no successful check: %s",
                     qPrintable(deviceKey(*device)));
            failDevice(device);
            it = needOtaDeviceList.erase(it);
        } else if (compareFwVersion(device->fwVersion, newestFwVersion) >= 0) {
            writeLog(LOG_LEVEL_INFO, "device fwVersion already newest");
            device->otaState = OTA_UP_TO_DATE;
            emit updateDeviceStatus(device, UPDATE_SUCCESSFULLY);
            it = needOtaDeviceList.erase(it);
        } else {
            ++it;
        }
    }
    if (needOtaDeviceList.isEmpty()) {
        writeLog(LOG_LEVEL_INFO, "%s ota finished", qPrintable(modelName));
        finishRun();
        return;
    }
    writeLog(LOG_LEVEL_INFO, "newestFwVersion: %s", qPrintable(newestFwVersion));
    formBatch(needOtaDeviceList);
    // The configuration states no size: the file is taken up to the most an audio box's firmware can be.
    const QString path = requestFile(fwFileUrl, DownloadRules::urlFileName(QUrl(fwFileUrl)), 0,
                                     DownloadRules::MaxAudioFirmwareBytes, FW_FILE);
    if (path.isEmpty()) {
        writeLog(LOG_LEVEL_WARNING, "%s firmware download refused: %s", qPrintable(modelName), qPrintable(fwFileUrl));
        stopOta();
        return;
    }
}

void AudioBoxUpgrade::transferFileComplete(const QString &mac, bool success, bool skipRetry)
{
    transferEnded(mac, success, skipRetry, fwFilePath);
}

void AudioBoxUpgrade::otaFinished(const QString &mac, bool success)
{
    installationEnded(mac, success, newestFwVersion, fwFilePath);
}

void AudioBoxUpgrade::resumeDevice(VelkIFPDevice *device)
{
    transferRetryCount.insert(deviceKey(*device), 0);
    if (!fwFilePath.isEmpty())
        sendStepFile(device, fwFilePath);
}

void AudioBoxUpgrade::cancelOta()
{
    dropRun(fwFilePath);
}

void AudioBoxUpgrade::stopOta()
{
    stopRun(fwFilePath);
}
