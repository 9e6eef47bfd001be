#include "firmware/IFPUpgradeManager.h"

#include <QMutex>
#include <QMutexLocker>
#include <QTimer>

#include "network/CmdServer.h"
#include "shell/base/Log.h"

namespace {
constexpr int ReminderIntervalMs = 900000;
}

IFPUpgradeManager *IFPUpgradeManager::getInstance()
{
    static QMutex mutex;
    static IFPUpgradeManager *instance = nullptr;
    QMutexLocker locker(&mutex);
    if (!instance)
        instance = new IFPUpgradeManager();
    return instance;
}

IFPUpgradeManager::IFPUpgradeManager()
{
    // The manager drives transfers through the command server, so bringing it up starts the server too.
    CmdServer::getInstance();
    reminderTimer = new QTimer(this);
    reminderTimer->setSingleShot(true);
    connect(reminderTimer, &QTimer::timeout, this, &IFPUpgradeManager::checkUpgradeNotification);
}

// The manager lives as long as the process.
IFPUpgradeManager::~IFPUpgradeManager() = default;

void IFPUpgradeManager::upgradeNotificationSkip()
{
    writeLog(LOG_LEVEL_INFO, "upgradeNotificationSkip, currentShowingDeviceModelNameSet: %s", "");
}

void IFPUpgradeManager::upgradeNotificationRemind()
{
    writeLog(LOG_LEVEL_INFO, "upgradeNotificationRemind start timer");
    reminderTimer->start(ReminderIntervalMs);
}

void IFPUpgradeManager::checkUpgradeNotification()
{
    // Nothing is known to be out of date until the version checks exist.
    emit showUpgradeNotificationTopButton(false);
    emit showUpgradeNotification(false, QString());
}

void IFPUpgradeManager::checkCurrentOtaVersionInfo(int checkOtaVersionCase)
{
    writeLog(LOG_LEVEL_INFO, "IFPUpgradeManager::checkCurrentOtaVersionInfo");
    // No manifest can be read yet, so every check fails; only a check for a new schedule is
    // answered then, and later, as the real manager answers from its event loop.
    if (checkOtaVersionCase == 2)
        QTimer::singleShot(0, this, [this] { emit otaVersionChecked(2); });
}

int IFPUpgradeManager::getOldDevicesCount()
{
    writeLog(LOG_LEVEL_INFO, "IFPUpgradeManager::getOldDevicesCount, not yet checked");
    return -1;
}

QList<VelkIFPDevice *> &IFPUpgradeManager::getOldDeviceList()
{
    return oldDeviceList;
}

void IFPUpgradeManager::startOta(VelkOtaSchedule &schedule, QList<VelkIFPDevice *> &devices)
{
    writeLog(LOG_LEVEL_INFO, "IFPUpgradeManager::startOta, device: %d, currentOtaSchedule id: %u, not available yet",
             int(devices.size()), schedule.osid);
}

void IFPUpgradeManager::cancelOta()
{
    writeLog(LOG_LEVEL_INFO, "IFPUpgradeManager::cancelOta, currently NOT doing OTA");
}
