#include "firmware/IFPUpgrade.h"

#include "firmware/HttpDownloader.h"
#include "firmware/OtaDeviceState.h"
#include "network/CmdServer.h"
#include "platform/LogLevel.h"
#include "shell/Log.h"

#include <QFile>

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
    deviceList.append(new VelkIFPDevice(device));
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
    startOta();
}

void IFPUpgrade::cancelRun()
{
    m_running = false;
    cancelOta();
}

void IFPUpgrade::finishRun()
{
    if (!m_running) {
        writeLog(LOG_LEVEL_WARNING, "%s upgradeFinished outside a run, dropped", qPrintable(modelName));
        return;
    }
    m_running = false;
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
        if (device->macAddress == mac)
            return device;
    }
    return nullptr;
}

void IFPUpgrade::removeUnusedFile(const QString &path)
{
    if (!path.isEmpty() && QFile::exists(path) && QFile::remove(path))
        writeLog(LOG_LEVEL_INFO, "remove unused file: %s", qPrintable(path));
}

QString IFPUpgrade::sentName(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

CmdServer *IFPUpgrade::cmdServer() const
{
    return CmdServer::getInstance();
}
