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
