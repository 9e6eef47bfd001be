#include "firmware/IFPUpgradeManager.h"

#include "datastore/DbResult.h"
#include "datastore/DbWriteBatch.h"
#include "datastore/OrvantaDBManager.h"
#include "firmware/AudioBoxSOSUpgrade.h"
#include "firmware/AudioBoxUpgrade.h"
#include "firmware/HttpDownloader.h"
#include "firmware/IFP3Box2Upgrade.h"
#include "firmware/IFP3Upgrade.h"
#include "firmware/OtaAfterRunWatch.h"
#include "firmware/OtaDeviceState.h"
#include "firmware/OtaLogText.h"
#include "firmware/OtaServerConfig.h"
#include "firmware/ReminderPlan.h"
#include "network/CmdServer.h"
#include "network/DeviceChannel.h"
#include "shell/base/Clock.h"
#include "shell/base/Log.h"

#include <QDir>
#include <QMutex>
#include <QMutexLocker>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>

namespace {
constexpr qint64 DailyCheckMs = 86400000;
constexpr qint64 RemindMs = 900000;
// Timers that wait for a time of day are re-armed at least this often, so a moved clock is seen.
constexpr qint64 MaxClockTimerMs = 60000;

const char *timerName(int kind)
{
    switch (kind) {
    case 0:
        return "checkOtaStateResultTimeout";
    case 1:
        return "deviceWokenTimeout";
    case 2:
        return "transferFileTimeout";
    case 3:
        return "transferFileCompleteTimeout";
    case 4:
        return "otaResultTimeout";
    default:
        return "deviceReturnTimeout";
    }
}
} // namespace

IFPUpgradeManager *IFPUpgradeManager::getInstance()
{
    static QMutex instanceMutex;
    static IFPUpgradeManager *instance = nullptr;
    QMutexLocker locker(&instanceMutex);
    if (!instance)
        instance = new IFPUpgradeManager();
    return instance;
}

IFPUpgradeManager::IFPUpgradeManager()
{
    otaFolder = QStandardPaths::writableLocation(QStandardPaths::DataLocation) + QStringLiteral("/OTA/");
    if (!QDir(otaFolder).exists()) {
        writeLog(LOG_LEVEL_INFO, "create dir: %s", qPrintable(otaFolder));
        QDir().mkpath(otaFolder);
    }
    downloader = new HttpDownloader(this);
    downloader->setRootFolder(otaFolder);

    cmdServer = CmdServer::getInstance();
    // The command server names a device by the key its connection is held under now; the run knows it by the key it
    // had when the run took it (IFPUpgrade::deviceKey()), which a box known by its address alone changes when its card
    // reports its MAC after a restart.
    connect(
        cmdServer, &CmdServer::checkOtaStateResult, this,
        [this](const QString &mac, bool canDoOta) { checkOtaStateResult(IFPUpgrade::runKeyOf(mac), canDoOta); },
        Qt::QueuedConnection);
    connect(
        cmdServer, &CmdServer::transferFileComplete, this,
        [this](const QString &mac, bool success, bool skipRetry) {
            transferFileComplete(IFPUpgrade::runKeyOf(mac), success, skipRetry);
        },
        Qt::QueuedConnection);
    connect(cmdServer, &CmdServer::setupTransferFileTimeout, this,
            [this](const QString &mac, int ms) { setupTransferFileTimeout(IFPUpgrade::runKeyOf(mac), ms); });
    connect(cmdServer, &CmdServer::resetTransferFileTimeout, this,
            [this](const QString &mac) { resetTransferFileTimeout(IFPUpgrade::runKeyOf(mac)); });
    connect(cmdServer, &CmdServer::setupTransferFileCompleteTimeout, this,
            [this](const QString &mac, int ms) { setupTransferFileCompleteTimeout(IFPUpgrade::runKeyOf(mac), ms); });
    connect(
        cmdServer, &CmdServer::otaResult, this,
        [this](const QString &mac, bool success) { otaResult(IFPUpgrade::runKeyOf(mac), success); },
        Qt::QueuedConnection);
    connect(cmdServer, &CmdServer::resetOtaResultTimeout, this,
            [this](const QString &mac) { resetOtaResultTimeout(IFPUpgrade::runKeyOf(mac)); });

    writeLog(LOG_LEVEL_INFO, "new IFP3BoxUpgrade");
    addUpgrader(new IFP3BoxUpgrade(this));
    writeLog(LOG_LEVEL_INFO, "new IFP3Upgrade");
    addUpgrader(new IFP3Upgrade(this));
    writeLog(LOG_LEVEL_INFO, "new IFP3Box2Upgrade");
    addUpgrader(new IFP3Box2Upgrade(this));
    writeLog(LOG_LEVEL_INFO, "new AudioBoxUpgrade");
    addUpgrader(new AudioBoxUpgrade(this));
    writeLog(LOG_LEVEL_INFO, "new AudioBoxSOSUpgrade");
    addUpgrader(new AudioBoxSOSUpgrade(this));
    for (const char *code : {"QMR8", "QMR8_SOS", "QMR8V2", "QMR8V2_SOS"}) {
        writeLog(LOG_LEVEL_INFO, "new AudioBoxUpgrade for %s", code);
        auto *upgrader = new AudioBoxUpgrade(this);
        upgrader->setModelName(QString::fromLatin1(code));
        upgrader->setDownloadPath(otaFolder, QStringLiteral("AudioBox") + QString::fromLatin1(code) + '/');
        addUpgrader(upgrader);
    }

    dbIntf = OrvantaDBManager::getInstance();
    afterRun = new OtaAfterRunWatch(dbIntf, cmdServer, Clock::system(), this);
    connect(afterRun, &OtaAfterRunWatch::deviceFailed, this, [this](quint32 osid) {
        // The caller checks the versions again for the reminder; a check under way read them before.
        if (checkOtaVersionCase != CASE_NONE)
            recheckAfterCheck = true;
        emit otaScheduleReportUpdated();
        emit endedRunDeviceFailed(osid);
    });
    connect(afterRun, &OtaAfterRunWatch::deviceKept, this, &IFPUpgradeManager::keptAfterRun);

    serverCheckTimer = new QTimer(this);
    serverCheckTimer->setSingleShot(true);
    connect(serverCheckTimer, &QTimer::timeout, this, &IFPUpgradeManager::serverCheckExpired);
    clockTimer = new QTimer(this);
    clockTimer->setSingleShot(true);
    clockTimer->setTimerType(Qt::PreciseTimer);
    connect(clockTimer, &QTimer::timeout, this, &IFPUpgradeManager::clockTick);
    setTimeouts(OtaTimeouts());
    setClock(Clock::system());
}

// The manager lives as long as the process.
IFPUpgradeManager::~IFPUpgradeManager() = default;

void IFPUpgradeManager::addUpgrader(IFPUpgrade *upgrader)
{
    upgrader->setDownloader(downloader);
    if (upgrader->getDownloadFolder().isEmpty())
        upgrader->setDownloadFolder(otaFolder);
    connect(upgrader, &IFPUpgrade::checkOtaVersionInfoFailed, this, &IFPUpgradeManager::checkOtaVersionInfoFailed);
    connect(upgrader, &IFPUpgrade::foundOldDevices, this, &IFPUpgradeManager::foundOldDevices);
    connect(upgrader, &IFPUpgrade::updateDevicesStatus, this, &IFPUpgradeManager::updateDevicesStatus);
    connect(upgrader, &IFPUpgrade::updateDeviceStatus, this, &IFPUpgradeManager::updateDeviceStatus);
    // Queued: an upgrader that finishes inside its own startOta returns before the next one starts.
    connect(upgrader, &IFPUpgrade::upgradeFinished, this, &IFPUpgradeManager::upgradeFinished, Qt::QueuedConnection);
    connect(upgrader, &IFPUpgrade::removeDeviceTimeout, this, &IFPUpgradeManager::removeDeviceTimeout);
    connect(upgrader, &IFPUpgrade::setupOtaResultTimeout, this, &IFPUpgradeManager::setupOtaResultTimeout);
    connect(upgrader, &IFPUpgrade::waitForReturn, this, &IFPUpgradeManager::waitForReturn);
    connect(upgrader, &IFPUpgrade::lastStepInstalled, this, &IFPUpgradeManager::lastStepInstalled);
    upgradeList.append(upgrader);
}

void IFPUpgradeManager::setTimeouts(const OtaTimeouts &timeouts)
{
    m_timeouts = timeouts;
    afterRun->setWaitMs(timeouts.wakeMs);
    downloader->setStallTimeout(timeouts.downloadStallMs);
    for (IFPUpgrade *upgrader : qAsConst(upgradeList)) {
        upgrader->setResultTimeouts(timeouts.installResultMs, timeouts.installResultWithImageMs);
        upgrader->setLateResultWait(timeouts.lateResultMs);
    }
}

void IFPUpgradeManager::setClock(Clock *clock)
{
    if (m_clock)
        disconnect(m_clock, &Clock::jumped, this, &IFPUpgradeManager::clockTick);
    m_clock = clock;
    afterRun->setClock(clock);
    connect(m_clock, &Clock::jumped, this, &IFPUpgradeManager::clockTick);
    dailyCheckDue = m_clock->now().addMSecs(DailyCheckMs);
    remindDue = QDateTime();
    planClockTimer();
}

// --- the clock-driven checks ---------------------------------------------------------------------------------------

void IFPUpgradeManager::planClockTimer()
{
    const QDateTime now = m_clock->now();
    qint64 wait = now.msecsTo(dailyCheckDue);
    if (remindDue.isValid())
        wait = qMin(wait, now.msecsTo(remindDue));
    clockTimer->start(int(qBound<qint64>(0, wait, MaxClockTimerMs)));
}

void IFPUpgradeManager::clockTick()
{
    const QDateTime now = m_clock->now();
    // Both are spans from when they were set. A clock set back would leave them as much further ahead: a day back
    // turned "remind me in 15 minutes" into a day and 15 minutes.
    if (now.msecsTo(dailyCheckDue) > DailyCheckMs)
        dailyCheckDue = now.addMSecs(DailyCheckMs);
    if (remindDue.isValid() && now.msecsTo(remindDue) > RemindMs)
        remindDue = now.addMSecs(RemindMs);
    bool due = false;
    if (now.msecsTo(dailyCheckDue) <= 0) {
        // Repeating from construction; a clock moved far ahead fires once, not once per missed day.
        while (now.msecsTo(dailyCheckDue) <= 0)
            dailyCheckDue = dailyCheckDue.addMSecs(DailyCheckMs);
        due = true;
    }
    if (remindDue.isValid() && now.msecsTo(remindDue) <= 0) {
        remindDue = QDateTime();
        due = true;
    }
    planClockTimer();
    if (due)
        checkOtaVersionForNotification();
}

void IFPUpgradeManager::checkOtaVersionForNotification()
{
    writeLog(LOG_LEVEL_INFO, "receive timer timeout, IFPUpgradeManager::checkOtaVersionForNotification");
    checkCurrentOtaVersionInfo(CASE_SERVER);
}

void IFPUpgradeManager::upgradeNotificationRemind()
{
    writeLog(LOG_LEVEL_INFO, "upgradeNotificationRemind start timer");
    remindDue = m_clock->now().addMSecs(RemindMs);
    planClockTimer();
}

// --- version checks ------------------------------------------------------------------------------------------------

bool IFPUpgradeManager::checkCurrentOtaVersionInfo(int checkCase)
{
    if (checkOtaVersionCase != CASE_NONE) {
        writeLog(LOG_LEVEL_INFO, "IFPUpgradeManager::checkCurrentOtaVersionInfo, currently checking ota version");
        return false;
    }
    writeLog(LOG_LEVEL_INFO, "IFPUpgradeManager::checkCurrentOtaVersionInfo");
    allUpgradersFailed = false;
    if (checkCase < CASE_SERVER || checkCase > CASE_EDIT_SCHEDULE)
        return false;
    if (checkCase == CASE_SERVER && !otaDeviceList.isEmpty()) {
        writeLog(LOG_LEVEL_INFO, "IFPUpgradeManager::checkCurrentOtaVersionInfo, currently doing OTA");
        return false;
    }
    QList<VelkIFPDevice> devices;
    if (dbIntf->queryAllAvailableIFP(devices) == DB_OK) {
        knownDevices = devices;
        devicesKnown = true;
    } else if (dbIntf->refusedForNow()) {
        // Another program holds the database: no device is not "nothing out of date", which would end a due run
        // Failed. The devices as last read stand in; with none read yet the request is dropped and asked again.
        if (!devicesKnown) {
            writeLog(LOG_LEVEL_WARNING,
                     "IFPUpgradeManager::checkCurrentOtaVersionInfo, the devices cannot be read for now; not checked");
            return false;
        }
        writeLog(LOG_LEVEL_WARNING, "IFPUpgradeManager::checkCurrentOtaVersionInfo, the devices cannot be read for "
                                    "now; checking the devices read before");
        devices = knownDevices;
    } else {
        writeLog(LOG_LEVEL_ERROR, "IFPUpgradeManager::checkCurrentOtaVersionInfo, queryAllAvailableIFP error");
    }
    checkOtaVersionCase = checkCase;
    recheckAfterCheck = false;
    // What panels reported at their handshakes is held before the database has it (it is written at the end of that
    // turn, or later when the database is held): a device just back from its update at the new version is not out of
    // date.
    QHash<quint32, const VelkIFPDevice *> held;
    const QList<VelkIFPDevice> managed = cmdServer->managedDevices();
    for (const VelkIFPDevice &device : managed)
        held.insert(device.did, &device);
    for (VelkIFPDevice &device : devices) {
        if (const VelkIFPDevice *reported = held.value(device.did)) {
            device.modelName = reported->modelName;
            device.fwVersion = reported->fwVersion;
            device.panelFwVersion = reported->panelFwVersion;
        }
    }
    setDeviceList(devices);
    if (checkCase == CASE_SERVER)
        getOtaServerInfo();
    else
        checkLocalOtaInfo();
    return true;
}

void IFPUpgradeManager::setDeviceList(const QList<VelkIFPDevice> &devices)
{
    writeLog(LOG_LEVEL_INFO, "IFPUpgradeManager::setDeviceList");
    for (IFPUpgrade *upgrader : qAsConst(upgradeList))
        upgrader->clearDeviceList();
    for (const VelkIFPDevice &device : devices) {
        writeLog(LOG_LEVEL_INFO, "dispatching: %s", qPrintable(device.modelName));
        if (IFPUpgrade *upgrader = upgraderFor(device.modelName))
            upgrader->appendDeviceList(device);
    }
}

void IFPUpgradeManager::resetCheckCounts()
{
    allOldDeviceList.clear();
    answeredUpgraderCount = 0;
    failedUpgraderCount = 0;
    answeredUpgraders.clear();
    failedUpgraders.clear();
}

IFPUpgrade *IFPUpgradeManager::upgraderFor(const QString &modelName) const
{
    for (IFPUpgrade *upgrader : upgradeList) {
        if (upgrader->getModelName() == modelName)
            return upgrader;
    }
    return nullptr;
}

void IFPUpgradeManager::getOtaServerInfo()
{
    writeLog(LOG_LEVEL_INFO, "IFPUpgradeManager::getOtaServerInfo");
    resetCheckCounts();
    const OtaServerConfig servers = OtaServerConfig::load(OtaServerConfig::defaultSettingsFile());
    serverCheckTimer->start(m_timeouts.serverCheckMs);
    // A copy: an upgrader that answers at once may end the check inside this loop.
    const QList<IFPUpgrade *> upgraders = upgradeList;
    for (IFPUpgrade *upgrader : upgraders) {
        upgrader->setServers(servers.updateServer, servers.downloadServer);
        upgrader->getOtaServerInfo();
    }
}

void IFPUpgradeManager::checkLocalOtaInfo()
{
    writeLog(LOG_LEVEL_INFO, "IFPUpgradeManager::checkLocalOtaInfo");
    resetCheckCounts();
    const QList<IFPUpgrade *> upgraders = upgradeList;
    for (IFPUpgrade *upgrader : upgraders)
        upgrader->checkOldDeviceInfo();
}

bool IFPUpgradeManager::countAnswer(IFPUpgrade *upgrader)
{
    // A second answer of one upgrader, or one after the check ended, would miscount the next check.
    if (checkOtaVersionCase == CASE_NONE || !upgrader || answeredUpgraders.contains(upgrader)) {
        writeLog(LOG_LEVEL_WARNING, "IFPUpgradeManager, unexpected check answer from %s, dropped",
                 upgrader ? qPrintable(upgrader->getModelName()) : "?");
        return false;
    }
    answeredUpgraders.insert(upgrader);
    ++answeredUpgraderCount;
    return true;
}

void IFPUpgradeManager::foundOldDevices(QList<VelkIFPDevice *> &oldDeviceList)
{
    writeLog(LOG_LEVEL_INFO, "receive IFPUpgradeManager::foundOldDevices");
    if (!countAnswer(qobject_cast<IFPUpgrade *>(sender())))
        return;
    for (const VelkIFPDevice *device : qAsConst(oldDeviceList))
        allOldDeviceList.append(*device);
    if (answeredUpgraderCount == upgradeList.size()) {
        writeLog(LOG_LEVEL_INFO, "IFPUpgradeManager::foundOldDevices: %s",
                 logNumber(allOldDeviceList.size()).constData());
        endCheck();
    }
}

void IFPUpgradeManager::checkOtaVersionInfoFailed()
{
    writeLog(LOG_LEVEL_INFO, "receive IFPUpgradeManager::checkOtaVersionInfoFailed");
    IFPUpgrade *upgrader = qobject_cast<IFPUpgrade *>(sender());
    if (!countAnswer(upgrader))
        return;
    failedUpgraders.insert(upgrader);
    ++failedUpgraderCount;
    if (answeredUpgraderCount == upgradeList.size()) {
        writeLog(LOG_LEVEL_INFO, "allOldDeviceList: %s", logNumber(allOldDeviceList.size()).constData());
        endCheck();
    }
}

void IFPUpgradeManager::serverCheckExpired()
{
    if (checkOtaVersionCase == CASE_NONE)
        return;
    writeLog(LOG_LEVEL_WARNING, "IFPUpgradeManager::serverCheckExpired, %s of %s upgraders answered",
             logNumber(answeredUpgraderCount).constData(), logNumber(upgradeList.size()).constData());
    for (IFPUpgrade *upgrader : qAsConst(upgradeList)) {
        if (answeredUpgraders.contains(upgrader))
            continue;
        upgrader->abandonCheck();
        answeredUpgraders.insert(upgrader);
        failedUpgraders.insert(upgrader);
        ++answeredUpgraderCount;
        ++failedUpgraderCount;
    }
    endCheck();
}

void IFPUpgradeManager::endCheck()
{
    serverCheckTimer->stop();
    const int checkCase = checkOtaVersionCase;
    allUpgradersFailed = failedUpgraderCount == upgradeList.size() || everyFamilyWithDevicesFailed();
    checkCompletedOnce = true;
    // Idle before anyone hears of the end, so a listener may ask for the next check at once.
    checkOtaVersionCase = CASE_NONE;
    writeLog(LOG_LEVEL_INFO, "IFPUpgradeManager, check of case %s ended, reset checkOtaVersionCase to CASE_NONE",
             logNumber(checkCase).constData());
    updateOldDeviceModelNameSet();
    if (allUpgradersFailed) {
        // Nothing is known; the reminder stays as it is. The page still hears of its request.
        writeLog(LOG_LEVEL_WARNING,
                 "IFPUpgradeManager, the check failed: every family with devices failed, or every family");
        if (checkCase != CASE_SERVER)
            emit otaVersionChecked(checkCase);
        return;
    }
    switch (checkCase) {
    case CASE_SERVER:
        checkNotificationSetting();
        break;
    default:
        followReminder();
        emit otaVersionChecked(checkCase);
        break;
    }
    if (recheckAfterCheck && checkOtaVersionCase == CASE_NONE && otaDeviceList.isEmpty())
        checkCurrentOtaVersionInfo(CASE_RUN_ENDED);
}

void IFPUpgradeManager::takeUpStoredWatches()
{
    afterRun->takeUpStored();
}

void IFPUpgradeManager::keptAfterRun(quint32 did)
{
    // The check that closed its run may have come before the device was back at its new version: it was counted out of
    // date then, and nothing would look again until the next day's check, the reminder standing meanwhile.
    const bool countedOld = std::any_of(allOldDeviceList.cbegin(), allOldDeviceList.cend(),
                                        [did](const VelkIFPDevice &device) { return device.did == did; });
    if (!countedOld || !otaDeviceList.isEmpty())
        return; // a run under way checks at its end
    if (checkOtaVersionCase != CASE_NONE) {
        // The check under way read the devices before the device was back.
        recheckAfterCheck = true;
        return;
    }
    writeLog(LOG_LEVEL_INFO, "IFPUpgradeManager, back at what it installed after the closing check: checking again");
    checkCurrentOtaVersionInfo(CASE_RUN_ENDED);
}

bool IFPUpgradeManager::everyFamilyWithDevicesFailed() const
{
    // A family without devices answers with an empty list whatever its server said, so it tells nothing: without
    // this, a check that failed for every device read as "no device is out of date".
    bool anyWithDevices = false;
    for (IFPUpgrade *upgrader : upgradeList) {
        if (!upgrader->hasDevices())
            continue;
        anyWithDevices = true;
        if (!failedUpgraders.contains(upgrader))
            return false;
    }
    return anyWithDevices;
}

int IFPUpgradeManager::getOldDevicesCount() const
{
    if (checkCompletedOnce && checkOtaVersionCase == CASE_NONE && !allUpgradersFailed) {
        writeLog(LOG_LEVEL_INFO, "IFPUpgradeManager::getOldDevicesCount: %s",
                 logNumber(allOldDeviceList.size()).constData());
        return allOldDeviceList.size();
    }
    writeLog(LOG_LEVEL_INFO, "IFPUpgradeManager::getOldDevicesCount, not yet checked");
    return -1;
}

void IFPUpgradeManager::updateOldDeviceModelNameSet()
{
    oldDeviceModelNameSet.clear();
    for (const VelkIFPDevice &device : qAsConst(allOldDeviceList))
        oldDeviceModelNameSet.insert(device.modelName);
    writeLog(LOG_LEVEL_INFO, "oldDeviceModelNameSet: %s", logNumber(oldDeviceModelNameSet.size()).constData());
}

QString IFPUpgradeManager::getNewestFwVersionText(const QString &modelName) const
{
    const IFPUpgrade *upgrader = upgraderFor(modelName);
    return upgrader ? upgrader->getVersionHash().join(QStringLiteral(", ")) : QString();
}

void IFPUpgradeManager::showBadge(bool show)
{
    badgeShown = show;
    emit showUpgradeNotificationTopButton(show);
}

void IFPUpgradeManager::checkNotificationSetting()
{
    writeLog(LOG_LEVEL_INFO, "IFPUpgradeManager::checkNotificationSetting");
    QList<VelkOtaReminder> stored;
    const quint32 read = allOldDeviceList.isEmpty() ? DB_OK : dbIntf->queryAllOtaReminder(stored);
    if (read != DB_OK && dbIntf->refusedForNow()) {
        // Another program holds the database: which versions were skipped is not known yet. The reminder stays as it
        // is, as after a check that failed, rather than hiding one the operator has not answered.
        writeLog(LOG_LEVEL_WARNING, "checkNotificationSetting, the reminders cannot be read for now; the reminder "
                                    "stays as it is");
        showBadge(!allOldDeviceList.isEmpty());
        return;
    }
    currentShowingDeviceModelNameSet.clear();
    serverNamedModels.clear();
    // Models the servers offer a newer version of while none of their devices is out of date: the check names them
    // not, and keeps no reminder row for them. A device that rolls back to an older version later (an A/B firmware
    // after a run, also one a console started again watches) is out of date as the next check would find it.
    serverQuietModels.clear();
    for (IFPUpgrade *upgrader : qAsConst(upgradeList)) {
        if (!failedUpgraders.contains(upgrader) && !upgrader->getVersionHash().isEmpty() &&
            !oldDeviceModelNameSet.contains(upgrader->getModelName()))
            serverQuietModels.insert(upgrader->getModelName());
    }
    showBadge(!allOldDeviceList.isEmpty());
    if (allOldDeviceList.isEmpty()) {
        emit showUpgradeNotification(false, QString());
        return;
    }
    if (read != DB_OK) {
        writeLog(LOG_LEVEL_ERROR, "checkNotificationSetting, queryAllOtaReminder error");
        emit showUpgradeNotification(false, QString());
        return;
    }
    writeLog(LOG_LEVEL_INFO, "otaReminderList: %s", logNumber(stored.size()).constData());
    QList<ReminderPlan::Model> models;
    for (IFPUpgrade *upgrader : qAsConst(upgradeList)) {
        ReminderPlan::Model model;
        model.modelName = upgrader->getModelName();
        model.versions = upgrader->getVersionHash();
        for (const QString &version : qAsConst(model.versions))
            model.panelVersions.append(upgrader->lookupPanelVersion(version));
        models.append(model);
    }
    const ReminderPlan plan = ReminderPlan::make(models, oldDeviceModelNameSet, stored);
    reminderVersions.clear();
    for (const VelkOtaReminder &row : plan.rows)
        reminderVersions[row.deviceModelName].append(row.deviceNewestFwVersion);
    // Held and written in order later when the database refuses them for now (another program holds it, the disk is
    // full); the reminder is shown from the plan meanwhile.
    OrvantaDBIntf *db = dbIntf;
    DbWriteBatch batch(db, "checkNotificationSetting");
    if (plan.replaceStored) {
        writeLog(LOG_LEVEL_INFO, "OtaReminder: had data in DB");
        if (batch.write(QStringLiteral("reminder rows away"), [db] { return db->deleteAllOtaReminder(); }) != DB_OK) {
            writeLog(LOG_LEVEL_ERROR, "checkNotificationSetting, deleteAllOtaReminder error");
            emit showUpgradeNotification(false, QString());
            return;
        }
    } else {
        writeLog(LOG_LEVEL_INFO, "OtaReminder: no data in DB, create new");
    }
    for (const VelkOtaReminder &row : plan.rows) {
        if (batch.write(QStringLiteral("reminder of %1").arg(row.deviceModelName), [db, row] {
                VelkOtaReminder reminder = row;
                return db->insertOtaReminder(reminder);
            }) != DB_OK)
            writeLog(LOG_LEVEL_ERROR, "checkNotificationSetting, insertOtaReminder error");
    }
    batch.finish();
    for (const QString &model : plan.shownModels)
        currentShowingDeviceModelNameSet.insert(model);
    serverNamedModels = currentShowingDeviceModelNameSet;
    emit showUpgradeNotification(!plan.shownModels.isEmpty(), reminderTitle(plan.shownModels));
}

QString IFPUpgradeManager::reminderTitle(const QStringList &models) const
{
    QString title = tr("Update Available for ");
    for (const QString &model : models) {
        if (model != models.first())
            title += tr(" & ");
        title += model;
    }
    return title;
}

// The reminder and the out-of-date list come from the same check. A local check finds which models are out of date now
// (a run updated some, devices were removed, a device rolled back after its run): the reminder names those of them that
// the last server check named, or offered newer while none was out of date, and that were not skipped since, and goes
// when none is left, so that "Setup Update" lists what it promised; the badge shows while any device is out of date.
// So a device that rolls back after a run brings back what the run's end had withdrawn.
void IFPUpgradeManager::followReminder()
{
    const bool badge = !allOldDeviceList.isEmpty();
    if (badge != badgeShown)
        showBadge(badge);
    const QSet<QString> named = (serverNamedModels | serverQuietModels) & oldDeviceModelNameSet;
    if (named == currentShowingDeviceModelNameSet)
        return;
    writeLog(LOG_LEVEL_INFO, "IFPUpgradeManager::followReminder, %s models out of date are named, %s were",
             logNumber(named.size()).constData(), logNumber(currentShowingDeviceModelNameSet.size()).constData());
    const bool wasShown = !currentShowingDeviceModelNameSet.isEmpty();
    currentShowingDeviceModelNameSet = named;
    if (named.isEmpty()) {
        emit showUpgradeNotification(false, QString());
        return;
    }
    QStringList models;
    for (const IFPUpgrade *upgrader : qAsConst(upgradeList)) {
        if (named.contains(upgrader->getModelName()) && !models.contains(upgrader->getModelName()))
            models.append(upgrader->getModelName());
    }
    // The reminder this check withdrew comes back; one still showing, or hidden by the operator, changes its title.
    if (wasShown)
        emit upgradeNotificationTitleChanged(reminderTitle(models));
    else
        emit showUpgradeNotification(true, reminderTitle(models));
}

void IFPUpgradeManager::upgradeNotificationSkip()
{
    writeLog(LOG_LEVEL_INFO, "upgradeNotificationSkip, currentShowingDeviceModelNameSet: %s",
             logNumber(currentShowingDeviceModelNameSet.size()).constData());
    // By model and version, not by the rows read now: held while another program holds the database, the skip lands
    // after the rows of the check that named them, which that check's held write may have replaced meanwhile. Nor
    // does it need a read, which such a program may refuse.
    OrvantaDBIntf *db = dbIntf;
    DbWriteBatch batch(db, "upgradeNotificationSkip");
    for (IFPUpgrade *upgrader : qAsConst(upgradeList)) {
        const QString model = upgrader->getModelName();
        if (!currentShowingDeviceModelNameSet.contains(model))
            continue;
        const QStringList versions = reminderVersions.take(model);
        for (const QString &version : versions) {
            if (batch.write(QStringLiteral("skipped reminder of %1").arg(model),
                            [db, model, version] { return db->skipOtaReminderVersion(model, version); }) != DB_OK)
                writeLog(LOG_LEVEL_ERROR, "upgradeNotificationSkip, skipOtaReminderVersion error");
            writeLog(LOG_LEVEL_INFO, "upgradeNotificationSkip, skip %s: %s", qPrintable(model), qPrintable(version));
        }
    }
    batch.finish();
    serverNamedModels -= currentShowingDeviceModelNameSet;
    serverQuietModels -= currentShowingDeviceModelNameSet;
    currentShowingDeviceModelNameSet.clear();
}

// --- runs ----------------------------------------------------------------------------------------------------------

bool IFPUpgradeManager::isOtaRunning() const
{
    return checkOtaVersionCase == CASE_RUN_DUE || !otaDeviceList.isEmpty();
}

quint32 IFPUpgradeManager::getCurrentOtaScheduleId() const
{
    return currentOtaSchedule ? currentOtaSchedule->osid : 0xFFFFFFFFu;
}

void IFPUpgradeManager::startOta(VelkOtaSchedule *schedule, QList<VelkIFPDevice *> &deviceList)
{
    writeLog(LOG_LEVEL_INFO, "IFPUpgradeManager::startOta, device: %s, currentOtaSchedule id: %s",
             logNumber(deviceList.size()).constData(), schedule ? logNumber(schedule->osid).constData() : "-");
    if (!otaDeviceList.isEmpty()) {
        writeLog(LOG_LEVEL_INFO, "currently doing OTA");
        return;
    }
    if (!schedule)
        return;
    if (deviceList.isEmpty()) {
        // Nothing to do is a run that has ended; the caller must not wait for ever.
        writeLog(LOG_LEVEL_INFO, "IFPUpgradeManager::startOta, no device, run ends at once");
        QMetaObject::invokeMethod(this, &IFPUpgradeManager::otaScheduleFinished, Qt::QueuedConnection);
        return;
    }
    clearDeviceTimers();
    IFPUpgrade::keepRunKeys(deviceList);
    // The new run judges its devices itself.
    for (const VelkIFPDevice *device : qAsConst(deviceList))
        afterRun->stop(*device);
    currentOtaSchedule = schedule;
    otaDeviceList = deviceList;
    lastRunRows.clear();
    for (const VelkIFPDevice *device : qAsConst(otaDeviceList))
        lastRunRows.insert(device->did, UPDATE_NOT_STARTED);
    currentUpgradeIndex = 0;
    otaCancelled = false;
    upgrading = false;
    currentUncheckedOtaStateDeviceCount = otaDeviceList.size();
    wokenDeviceList.clear();
    resultTimedOut.clear();
    removedDevices.clear();
    clearLastStepWatch();
    QList<QTimer *> timers;
    int online = 0;
    for (VelkIFPDevice *device : qAsConst(otaDeviceList)) {
        const QString key = IFPUpgrade::deviceKey(*device);
        if (cmdServer->isDeviceOnline(*device)) {
            ++online;
            device->otaState = OTA_CHECKING_STATE;
            timers.append(addDeviceTimer(key, DeviceTimer::StateAnswer, m_timeouts.otaStateAnswerMs));
        } else if (!cmdServer->canWake(*device)) {
            // Known by its address alone: no magic packet can reach it, and waiting the wake time-out for it held the
            // rest of the run. Nothing is tried, so its row stays Not Started, and the run does not count as a success.
            writeLog(LOG_LEVEL_WARNING,
                     "IFPUpgradeManager::startOta, %s is off and known by its address alone: it cannot be woken, "
                     "not updated: %s",
                     qPrintable(device->deviceName), qPrintable(key));
            device->otaState = OTA_FAILED;
            --currentUncheckedOtaStateDeviceCount;
        } else {
            device->otaState = OTA_WAITING_FOR_WAKE;
            wokenDeviceList.append(device);
            timers.append(addDeviceTimer(key, DeviceTimer::Wake, m_timeouts.wakeMs));
        }
    }
    writeLog(LOG_LEVEL_INFO, "currentUncheckedOtaStateDeviceCount: %s",
             logNumber(currentUncheckedOtaStateDeviceCount).constData());
    if (currentUncheckedOtaStateDeviceCount == 0) {
        // Every device was off and beyond reach: there is nothing to ask or wait for.
        dispatch();
        return;
    }
    if (!wokenDeviceList.isEmpty()) {
        writeLog(LOG_LEVEL_INFO, "send power on");
        QList<VelkIFPDevice> copies;
        for (const VelkIFPDevice *device : qAsConst(wokenDeviceList))
            copies.append(*device);
        cmdServer->powerOn(copies);
        // The channel may be gone by the time a queued pointer would arrive: what the panel reported is copied
        // now and handled from the event loop.
        wokenConnection = connect(cmdServer, &CmdServer::newConnection, this, [this](DeviceChannel *channel) {
            const QString mac = IFPUpgrade::runKeyOf(channel->getMacAddress());
            const QString model = channel->getModelName();
            const QString fw = channel->getFwVersion();
            const QString panelFw = channel->getPanelFwVersion();
            QMetaObject::invokeMethod(
                this, [=] { checkDeviceWoken(mac, model, fw, panelFw); }, Qt::QueuedConnection);
        });
    }
    // Counted as they were asked: the devices off and beyond reach are neither online nor woken.
    writeLog(LOG_LEVEL_INFO, "sendCheckOtaState, online devices: %s", logNumber(online).constData());
    cmdServer->checkOtaState(otaDeviceList);
    for (QTimer *timer : qAsConst(timers))
        timer->start();
}

void IFPUpgradeManager::checkDeviceWoken(const QString &mac, const QString &model, const QString &fwVersion,
                                         const QString &panelFwVersion)
{
    if (!runIsLive() || upgrading)
        return;
    VelkIFPDevice *device = nullptr;
    for (VelkIFPDevice *woken : qAsConst(wokenDeviceList)) {
        if (IFPUpgrade::deviceKey(*woken) == mac) {
            device = woken;
            break;
        }
    }
    if (!device || device->otaState != OTA_WAITING_FOR_WAKE)
        return;
    writeLog(LOG_LEVEL_INFO, "IFPUpgradeManager::checkDeviceWoken: %s", qPrintable(mac));
    removeDeviceTimeout(mac);
    device->modelName = model;
    device->fwVersion = fwVersion;
    device->panelFwVersion = panelFwVersion;
    device->otaState = OTA_CHECKING_STATE;
    QTimer *timer = addDeviceTimer(mac, DeviceTimer::StateAnswer, m_timeouts.otaStateAnswerMs);
    cmdServer->checkOtaState(*device);
    timer->start();
}

void IFPUpgradeManager::checkOtaStateResult(const QString &mac, bool canDoOta)
{
    writeLog(LOG_LEVEL_INFO, "checkOtaStateResult, deviceMacAddress: %s, canDoOta: %s", qPrintable(mac),
             logFlag(canDoOta));
    if (otaCancelled) {
        writeLog(LOG_LEVEL_INFO, "IFPUpgradeManager::checkOtaStateResult, ota cancelled");
        return;
    }
    VelkIFPDevice *device = nullptr;
    for (VelkIFPDevice *candidate : qAsConst(otaDeviceList)) {
        if (IFPUpgrade::deviceKey(*candidate) == mac && candidate->otaState == OTA_CHECKING_STATE) {
            device = candidate;
            break;
        }
    }
    if (!device) {
        writeLog(LOG_LEVEL_INFO, "IFPUpgradeManager::checkOtaStateResult, not found: %s", qPrintable(mac));
        return;
    }
    if (canDoOta) {
        device->otaState = OTA_CAN_UPDATE;
    } else {
        device->otaState = OTA_FAILED;
        updateDeviceStatus(device, UPDATE_FAILED);
    }
    removeDeviceTimeout(mac);
    if (--currentUncheckedOtaStateDeviceCount != 0)
        return;
    dispatch();
}

void IFPUpgradeManager::dispatch()
{
    disconnect(wokenConnection);
    for (VelkIFPDevice *device : qAsConst(otaDeviceList)) {
        if (device->otaState == OTA_FAILED) {
            writeLog(LOG_LEVEL_INFO, "NOT dispatching: %s, %s", qPrintable(IFPUpgrade::deviceKey(*device)),
                     qPrintable(device->modelName));
            continue;
        }
        writeLog(LOG_LEVEL_INFO, "dispatching: %s, %s", qPrintable(IFPUpgrade::deviceKey(*device)),
                 qPrintable(device->modelName));
        if (IFPUpgrade *target = upgraderFor(device->modelName)) {
            target->appendNeedOtaDevice(device);
        } else {
            // Nobody can update it; its row would otherwise stay "Not Started" after the run.
            writeLog(LOG_LEVEL_WARNING, "no upgrader for model %s: %s", qPrintable(device->modelName),
                     qPrintable(IFPUpgrade::deviceKey(*device)));
            device->otaState = OTA_FAILED;
            updateDeviceStatus(device, UPDATE_FAILED);
        }
    }
    upgrading = true;
    currentUpgradeIndex = 0;
    watchConnections();
    upgradeList.at(0)->startRun();
}

void IFPUpgradeManager::watchConnections()
{
    // Copied when they happen and handled from the event loop, in order, after the results that came before them
    // (a device reports success, then restarts).
    upgradeConnections.append(connect(cmdServer, &CmdServer::channelDisconnect, this, [this](DeviceChannel *channel) {
        const QString mac = IFPUpgrade::runKeyOf(channel->getMacAddress());
        QMetaObject::invokeMethod(
            this, [=] { deviceDisconnected(mac); }, Qt::QueuedConnection);
    }));
    upgradeConnections.append(connect(cmdServer, &CmdServer::newConnection, this, [this](DeviceChannel *channel) {
        const QString mac = IFPUpgrade::runKeyOf(channel->getMacAddress());
        const QString fw = channel->getFwVersion();
        const QString panelFw = channel->getPanelFwVersion();
        QMetaObject::invokeMethod(
            this, [=] { deviceReconnected(mac, fw, panelFw); }, Qt::QueuedConnection);
    }));
}

void IFPUpgradeManager::deviceDisconnected(const QString &mac)
{
    if (!runIsLive() || !upgrading)
        return;
    if (lastStepDevices.contains(mac))
        lastStepDeviceAway(mac);
    else if (currentUpgradeIndex < upgradeList.size())
        upgradeList.at(currentUpgradeIndex)->deviceDisconnected(mac);
}

void IFPUpgradeManager::deviceReconnected(const QString &mac, const QString &fwVersion, const QString &panelFwVersion)
{
    if (!runIsLive() || !upgrading)
        return;
    if (lastStepDevices.contains(mac)) {
        lastStepDeviceBack(mac, fwVersion, panelFwVersion);
        return;
    }
    if (currentUpgradeIndex < upgradeList.size())
        upgradeList.at(currentUpgradeIndex)->deviceReturned(mac, fwVersion, panelFwVersion);
    // Back at the last step it was installing when it dropped: this return already showed it kept what it installed.
    if (upgrading && lastStepDevices.contains(mac))
        lastStepDeviceBack(mac, fwVersion, panelFwVersion);
}

void IFPUpgradeManager::waitForReturn(const QString &mac)
{
    if (!runIsLive())
        return;
    addDeviceTimer(mac, DeviceTimer::Return, m_timeouts.wakeMs)->start();
}

void IFPUpgradeManager::lastStepInstalled(VelkIFPDevice *device)
{
    if (!runIsLive())
        return;
    lastStepDevices.insert(IFPUpgrade::deviceKey(*device), LastStepWatch{device, UPDATE_UPDATING});
    // Already gone by the time its success is handled: restarting into what it installed, or not.
    if (!cmdServer->isDeviceOnline(*device))
        lastStepDeviceAway(IFPUpgrade::deviceKey(*device));
}

void IFPUpgradeManager::lastStepDeviceAway(const QString &mac)
{
    if (awayAfterLastStep.contains(mac))
        return;
    LastStepWatch &watch = lastStepDevices[mac];
    // Failed for good: what it runs when back only goes into its row, and the run's end does not wait for that.
    if (watch.row == UPDATE_FAILED)
        return;
    if (watch.row == UPDATE_SUCCESSFULLY) {
        // An A/B firmware whose new image fails its own check after the first boot comes back at the old one. Until
        // it is back, nothing shows it kept what it installed: a console ending now must not leave it Successfully.
        writeLog(LOG_LEVEL_INFO, "IFPUpgradeManager, away again after its last step, judged again when back: %s",
                 qPrintable(mac));
        watch.row = UPDATE_UPDATING;
        updateDeviceStatus(watch.device, UPDATE_UPDATING);
    } else {
        writeLog(LOG_LEVEL_INFO, "IFPUpgradeManager, restarting after its last step, waiting for it: %s, %s",
                 qPrintable(mac), qPrintable(watch.device->fwVersion));
    }
    awayAfterLastStep.insert(mac);
    addDeviceTimer(mac, DeviceTimer::Return, m_timeouts.wakeMs)->start();
}

void IFPUpgradeManager::lastStepDeviceBack(const QString &mac, const QString &fwVersion, const QString &panelFwVersion)
{
    const bool awaited = awayAfterLastStep.remove(mac);
    if (awaited)
        removeDeviceTimeout(mac);
    LastStepWatch &watch = lastStepDevices[mac];
    VelkIFPDevice *device = watch.device;
    if (watch.row == UPDATE_FAILED) {
        // Once it ran something else than it installed (or did not come back), it stays Failed for this run: a
        // device that switches between its images has not shown that the update holds. Its row names what it runs.
        writeLog(LOG_LEVEL_INFO, "IFPUpgradeManager, back at %s after it failed its last step: %s",
                 qPrintable(fwVersion), qPrintable(mac));
        if (device->fwVersion != fwVersion || device->panelFwVersion != panelFwVersion) {
            device->fwVersion = fwVersion;
            device->panelFwVersion = panelFwVersion;
            updateDeviceStatus(device, UPDATE_FAILED);
        }
    } else if (fwVersion == device->fwVersion) {
        writeLog(LOG_LEVEL_INFO, "IFPUpgradeManager, back at %s after its last step: %s", qPrintable(fwVersion),
                 qPrintable(mac));
        // It kept what it installed: judged, and judged again should it restart before the run ends.
        device->panelFwVersion = panelFwVersion;
        watch.row = UPDATE_SUCCESSFULLY;
        updateDeviceStatus(device, UPDATE_SUCCESSFULLY);
    } else {
        // It reported a success it did not keep: its row says what it runs now.
        writeLog(LOG_LEVEL_WARNING, "IFPUpgradeManager, back at %s, not at the %s it installed: %s",
                 qPrintable(fwVersion), qPrintable(device->fwVersion), qPrintable(mac));
        device->fwVersion = fwVersion;
        device->panelFwVersion = panelFwVersion;
        device->otaState = OTA_FAILED;
        watch.row = UPDATE_FAILED;
        updateDeviceStatus(device, UPDATE_FAILED);
    }
    if (awaited)
        endRunWhenSettled();
}

void IFPUpgradeManager::lastStepDeviceNotBack(const QString &mac)
{
    if (!awayAfterLastStep.remove(mac))
        return;
    LastStepWatch &watch = lastStepDevices[mac];
    writeLog(LOG_LEVEL_WARNING, "IFPUpgradeManager, did not come back after its last step: %s", qPrintable(mac));
    // Nothing shows it runs what it installed: its row names what it reported last, as the console's record does.
    VelkIFPDevice reported;
    if (cmdServer->managedDevice(cmdServer->linkKey(*watch.device), &reported)) {
        watch.device->fwVersion = reported.fwVersion;
        watch.device->panelFwVersion = reported.panelFwVersion;
    }
    watch.device->otaState = OTA_FAILED;
    watch.row = UPDATE_FAILED;
    updateDeviceStatus(watch.device, UPDATE_FAILED);
    endRunWhenSettled();
}

void IFPUpgradeManager::deviceRemoved(const VelkIFPDevice &removed)
{
    afterRun->forget(removed);
    if (!runIsLive())
        return;
    VelkIFPDevice *device = nullptr;
    for (VelkIFPDevice *candidate : qAsConst(otaDeviceList)) {
        if (removed.did != 0 ? candidate->did == removed.did : candidate->deviceName == removed.deviceName) {
            device = candidate;
            break;
        }
    }
    if (!device || removedDevices.contains(device))
        return;
    const QString mac = IFPUpgrade::deviceKey(*device);
    writeLog(LOG_LEVEL_INFO, "IFPUpgradeManager, deleted from the console, leaves the run: %s, %s",
             qPrintable(device->deviceName), qPrintable(mac));
    removedDevices.insert(device);
    lastRunRows.remove(device->did);
    // The console closed its connection and refuses it now: no wake-up, answer, transfer, result or return is
    // coming, and waiting for one held the run (and the rest of its batch) for the whole time-out.
    if (!mac.isEmpty())
        removeDeviceTimeouts(mac);
    wokenDeviceList.removeOne(device);
    const int state = device->otaState;
    if (!upgrading) {
        device->otaState = OTA_FAILED;
        if ((state == OTA_WAITING_FOR_WAKE || state == OTA_CHECKING_STATE) &&
            --currentUncheckedOtaStateDeviceCount == 0)
            dispatch();
        return;
    }
    bool wasAwaited = false;
    if (lastStepDevices.value(mac).device == device) {
        lastStepDevices.remove(mac);
        wasAwaited = awayAfterLastStep.remove(mac);
    }
    for (IFPUpgrade *upgrader : qAsConst(upgradeList))
        upgrader->removeDevice(device);
    device->otaState = OTA_FAILED;
    if (wasAwaited)
        endRunWhenSettled();
}

void IFPUpgradeManager::clearLastStepWatch()
{
    lastStepDevices.clear();
    awayAfterLastStep.clear();
    endWaitsForReturns = false;
}

void IFPUpgradeManager::transferFileComplete(const QString &mac, bool success, bool skipRetry)
{
    writeLog(LOG_LEVEL_INFO, "receive IFPUpgradeManager::transferFileComplete");
    if (otaCancelled) {
        writeLog(LOG_LEVEL_INFO, "IFPUpgradeManager::transferFileComplete, ota cancelled");
        return;
    }
    if (upgrading && currentUpgradeIndex < upgradeList.size())
        upgradeList.at(currentUpgradeIndex)->transferFileComplete(mac, success, skipRetry);
}

void IFPUpgradeManager::otaResult(const QString &mac, bool success)
{
    writeLog(LOG_LEVEL_INFO, "receive IFPUpgradeManager::otaResult: %s, success: %s", qPrintable(mac),
             logFlag(success));
    if (otaCancelled) {
        writeLog(LOG_LEVEL_INFO, "IFPUpgradeManager::otaResult, ota cancelled: %s", qPrintable(mac));
        return;
    }
    if (upgrading && currentUpgradeIndex < upgradeList.size())
        upgradeList.at(currentUpgradeIndex)->installationResult(mac, success);
    else
        writeLog(LOG_LEVEL_INFO, "IFPUpgradeManager::otaResult, no installation under way, not counted: %s",
                 qPrintable(mac));
}

void IFPUpgradeManager::updateDeviceStatus(VelkIFPDevice *device, UpdateStatus status)
{
    if (!currentOtaSchedule) {
        writeLog(LOG_LEVEL_WARNING, "updateDeviceStatus, no OTA run, dropped: %s",
                 qPrintable(IFPUpgrade::deviceKey(*device)));
        return;
    }
    if (removedDevices.contains(device)) {
        writeLog(LOG_LEVEL_INFO, "updateDeviceStatus, deleted from the console, no row: %s",
                 qPrintable(IFPUpgrade::deviceKey(*device)));
        return;
    }
    if (!writeRows("updateDeviceStatus", {*device}, currentOtaSchedule->osid, status))
        return;
    emit otaScheduleReportUpdated();
}

void IFPUpgradeManager::updateDevicesStatus(QList<VelkIFPDevice *> deviceList, UpdateStatus status)
{
    if (!currentOtaSchedule) {
        writeLog(LOG_LEVEL_WARNING, "updateDevicesStatus, no OTA run, dropped");
        return;
    }
    QList<VelkIFPDevice> rows;
    for (const VelkIFPDevice *device : qAsConst(deviceList)) {
        if (!removedDevices.contains(device))
            rows.append(*device); // else its row went with it
    }
    writeRows("updateDevicesStatus", rows, currentOtaSchedule->osid, status);
    emit otaScheduleReportUpdated();
}

bool IFPUpgradeManager::writeRows(const char *context, const QList<VelkIFPDevice> &devices, quint32 osid,
                                  UpdateStatus status)
{
    // Held and written in order later when the database refuses them for now (another program holds it, the disk is
    // full), so they still come before the schedule's state, which the caller writes after them.
    OrvantaDBIntf *db = dbIntf;
    DbWriteBatch batch(db, context);
    for (const VelkIFPDevice &device : devices)
        OtaAfterRunWatch::writeReportRow(batch, db, device, osid, status);
    const bool allKept = batch.finish();
    const bool thisRun = currentOtaSchedule && currentOtaSchedule->osid == osid;
    for (int i = 0; i < devices.size(); ++i) {
        if (!batch.isKept(i))
            writeLog(LOG_LEVEL_ERROR, "%s, updateOtaScheduleReport error", context);
        else if (thisRun && lastRunRows.contains(devices.at(i).did))
            lastRunRows.insert(devices.at(i).did, status);
    }
    return allKept;
}

void IFPUpgradeManager::upgradeFinished()
{
    // One end per upgrader of a live run: a late end after a cancel, or a second one, would skip an upgrader or
    // end the run twice.
    IFPUpgrade *from = qobject_cast<IFPUpgrade *>(sender());
    if (!upgrading || otaCancelled || from != upgradeList.value(currentUpgradeIndex)) {
        writeLog(LOG_LEVEL_WARNING, "IFPUpgradeManager::upgradeFinished, not the running upgrader, dropped");
        return;
    }
    writeLog(LOG_LEVEL_INFO, "receive IFPUpgradeManager::upgradeFinished, index: %s",
             logNumber(currentUpgradeIndex).constData());
    ++currentUpgradeIndex;
    if (currentUpgradeIndex < upgradeList.size()) {
        upgradeList.at(currentUpgradeIndex)->startRun();
        return;
    }
    writeLog(LOG_LEVEL_INFO, "all upgrade finished");
    endWaitsForReturns = true;
    endRunWhenSettled();
}

void IFPUpgradeManager::endRunWhenSettled()
{
    if (!endWaitsForReturns)
        return;
    if (!awayAfterLastStep.isEmpty()) {
        // The caller reads the rows when the run ends: a device still restarting has no final row yet.
        writeLog(LOG_LEVEL_INFO, "IFPUpgradeManager, the run ends when %s restarting devices are judged",
                 logNumber(awayAfterLastStep.size()).constData());
        return;
    }
    // Installed their last step and never went away until the end: nothing says they did not keep it. Those back
    // at what they installed say so already, the Failed stay Failed.
    QList<VelkIFPDevice *> stayed;
    QList<VelkIFPDevice> watched;
    for (VelkIFPDevice *device : qAsConst(otaDeviceList)) {
        const LastStepWatch watch = lastStepDevices.value(IFPUpgrade::deviceKey(*device));
        if (watch.device != device || watch.row == UPDATE_FAILED)
            continue;
        if (watch.row == UPDATE_UPDATING)
            stayed.append(device);
        watched.append(*device);
    }
    lastStepDevices.clear();
    if (!stayed.isEmpty())
        updateDevicesStatus(stayed, UPDATE_SUCCESSFULLY);
    if (!watched.isEmpty())
        afterRun->watch(watched, currentOtaSchedule->osid);
    endRun();
    emit otaScheduleFinished();
}

void IFPUpgradeManager::endRun()
{
    if (!wokenDeviceList.isEmpty()) {
        writeLog(LOG_LEVEL_INFO, "send shutdown (power off)");
        powerOffWoken();
    }
    clearDeviceTimers();
    for (const QMetaObject::Connection &connection : qAsConst(upgradeConnections))
        disconnect(connection);
    upgradeConnections.clear();
    otaDeviceList.clear();
    IFPUpgrade::forgetRunKeys();
    currentOtaSchedule = nullptr;
    upgrading = false;
    clearLastStepWatch();
    removedDevices.clear();
}

void IFPUpgradeManager::powerOffWoken()
{
    QList<VelkIFPDevice> copies;
    for (const VelkIFPDevice *device : qAsConst(wokenDeviceList)) {
        // Cutting the power during an installation could leave the device without working firmware. A device
        // whose result never came may be installing still: it failed the run, but it is left on as well.
        if (device->otaState == OTA_INSTALLING || resultTimedOut.contains(IFPUpgrade::deviceKey(*device))) {
            writeLog(LOG_LEVEL_INFO, "IFPUpgradeManager, may still be installing, left on: %s",
                     qPrintable(IFPUpgrade::deviceKey(*device)));
            continue;
        }
        copies.append(*device);
    }
    wokenDeviceList.clear();
    if (!copies.isEmpty())
        cmdServer->powerOff(copies);
}

void IFPUpgradeManager::cancelOta()
{
    writeLog(LOG_LEVEL_INFO, "IFPUpgradeManager::cancelOta");
    if (otaDeviceList.isEmpty()) {
        writeLog(LOG_LEVEL_INFO, "IFPUpgradeManager::cancelOta, currently NOT doing OTA");
        return;
    }
    otaCancelled = true;
    disconnect(wokenConnection);
    for (const QMetaObject::Connection &connection : qAsConst(upgradeConnections))
        disconnect(connection);
    upgradeConnections.clear();
    for (const DeviceTimer &record : qAsConst(deviceTimerList)) {
        if (record.timer->isActive())
            writeLog(LOG_LEVEL_INFO, "IFPUpgradeManager::cancelOta, stop timer of %s",
                     qPrintable(record.deviceMacAddress));
    }
    clearDeviceTimers();
    for (IFPUpgrade *upgrader : qAsConst(upgradeList))
        upgrader->cancelRun();
    if (!wokenDeviceList.isEmpty()) {
        writeLog(LOG_LEVEL_INFO, "IFPUpgradeManager::cancelOta, send shutdown (power off)");
        powerOffWoken();
    }
    otaDeviceList.clear();
    IFPUpgrade::forgetRunKeys();
    currentOtaSchedule = nullptr;
    upgrading = false;
    clearLastStepWatch();
    removedDevices.clear();
}

// --- per-device time-outs ------------------------------------------------------------------------------------------

QTimer *IFPUpgradeManager::addDeviceTimer(const QString &mac, DeviceTimer::Kind kind, int ms)
{
    DeviceTimer record;
    record.deviceMacAddress = mac;
    record.kind = kind;
    record.intervalMs = ms;
    record.timer = new QTimer(this);
    record.timer->setSingleShot(true);
    record.timer->setInterval(ms);
    QTimer *timer = record.timer;
    connect(timer, &QTimer::timeout, this, [this, timer] { deviceTimerExpired(timer); });
    deviceTimerList.append(record);
    return timer;
}

QString IFPUpgradeManager::linkKeyOf(const QString &mac) const
{
    for (const VelkIFPDevice *device : qAsConst(otaDeviceList)) {
        if (IFPUpgrade::deviceKey(*device) == mac)
            return cmdServer->linkKey(*device);
    }
    return mac;
}

int IFPUpgradeManager::indexOfTimer(const QString &mac) const
{
    for (int i = 0; i < deviceTimerList.size(); ++i) {
        if (deviceTimerList.at(i).deviceMacAddress == mac)
            return i;
    }
    return -1;
}

void IFPUpgradeManager::deviceTimerExpired(QTimer *timer)
{
    int index = -1;
    for (int i = 0; i < deviceTimerList.size(); ++i) {
        if (deviceTimerList.at(i).timer == timer) {
            index = i;
            break;
        }
    }
    if (index >= 0 && deviceTimerList.at(index).resetAtMs >= 0) {
        // A chunk went out since the timer started: the time-out counts from that chunk.
        DeviceTimer &reset = deviceTimerList[index];
        const qint64 quiet = resetClock.elapsed() - reset.resetAtMs;
        reset.resetAtMs = -1;
        if (quiet < reset.intervalMs) {
            timer->start(int(reset.intervalMs - quiet));
            return;
        }
    }
    const DeviceTimer record = deviceTimerList.value(index);
    const char *name = timerName(index < 0 ? 0 : record.kind);
    writeLog(LOG_LEVEL_INFO, "IFPUpgradeManager::%s", name);
    if (index < 0)
        return;
    const QString mac = record.deviceMacAddress;
    writeLog(LOG_LEVEL_INFO, "%s: %s", name, qPrintable(mac));
    switch (record.kind) {
    case DeviceTimer::StateAnswer:
        checkOtaStateResult(mac, false);
        break;
    case DeviceTimer::Wake:
        for (VelkIFPDevice *device : qAsConst(wokenDeviceList)) {
            if (IFPUpgrade::deviceKey(*device) == mac && device->otaState == OTA_WAITING_FOR_WAKE) {
                device->otaState = OTA_CHECKING_STATE;
                checkOtaStateResult(mac, false);
                break;
            }
        }
        break;
    case DeviceTimer::Transfer:
        cmdServer->cancelFileTransferByTimeout(linkKeyOf(mac));
        transferFileComplete(mac, false, true);
        break;
    case DeviceTimer::TransferComplete:
        // No answer is awaited any more: the connection stops looking at how the panel takes the file, which it did
        // once a second for as long as the panel stayed connected.
        cmdServer->cancelFileTransferByTimeout(linkKeyOf(mac));
        transferFileComplete(mac, false, true);
        break;
    case DeviceTimer::InstallResult:
        resultTimedOut.insert(mac);
        otaResult(mac, false);
        break;
    case DeviceTimer::Return:
        removeDeviceTimeout(mac);
        if (awayAfterLastStep.contains(mac))
            lastStepDeviceNotBack(mac);
        else if (!otaCancelled && upgrading && currentUpgradeIndex < upgradeList.size())
            upgradeList.at(currentUpgradeIndex)->deviceNotReturned(mac);
        break;
    }
}

void IFPUpgradeManager::removeDeviceTimeout(const QString &mac)
{
    const int index = indexOfTimer(mac);
    if (index < 0)
        return;
    QTimer *timer = deviceTimerList.at(index).timer;
    if (timer->isActive()) {
        writeLog(LOG_LEVEL_INFO, "IFPUpgradeManager::removeDeviceTimeout, stop timer");
        timer->stop();
    }
    timer->deleteLater();
    deviceTimerList.removeAt(index);
    writeLog(LOG_LEVEL_INFO, "IFPUpgradeManager::removeDeviceTimeout: %s", qPrintable(mac));
}

void IFPUpgradeManager::removeDeviceTimeouts(const QString &mac)
{
    while (indexOfTimer(mac) >= 0)
        removeDeviceTimeout(mac);
}

void IFPUpgradeManager::clearDeviceTimers()
{
    for (const DeviceTimer &record : qAsConst(deviceTimerList)) {
        record.timer->stop();
        record.timer->deleteLater();
    }
    deviceTimerList.clear();
}

void IFPUpgradeManager::setupTransferFileTimeout(const QString &mac, int timeoutMillis)
{
    writeLog(LOG_LEVEL_INFO, "IFPUpgradeManager::setupTransferFileTimeout");
    if (!runIsLive())
        return;
    addDeviceTimer(mac, DeviceTimer::Transfer, timeoutMillis)->start();
}

void IFPUpgradeManager::resetTransferFileTimeout(const QString &mac)
{
    // Asked for every few chunks of every panel's transfer: restarting a timer each time re-sorted all the thread's
    // timers. The time is noted instead, and deviceTimerExpired() lets the timer run on from it.
    const int index = indexOfTimer(mac);
    if (index >= 0 && deviceTimerList.at(index).timer->isActive()) {
        if (!resetClock.isValid())
            resetClock.start();
        deviceTimerList[index].resetAtMs = resetClock.elapsed();
    }
}

void IFPUpgradeManager::setupTransferFileCompleteTimeout(const QString &mac, int timeoutMillis)
{
    writeLog(LOG_LEVEL_INFO, "IFPUpgradeManager::setupTransferFileCompleteTimeout");
    if (!runIsLive())
        return;
    removeDeviceTimeout(mac);
    addDeviceTimer(mac, DeviceTimer::TransferComplete, timeoutMillis)->start();
}

void IFPUpgradeManager::setupOtaResultTimeout(const QString &mac, int timeoutMillis)
{
    if (!runIsLive())
        return;
    addDeviceTimer(mac, DeviceTimer::InstallResult, timeoutMillis)->start();
}

void IFPUpgradeManager::resetOtaResultTimeout(const QString &mac)
{
    writeLog(LOG_LEVEL_INFO, "IFPUpgradeManager::resetOtaResultTimeout");
    // The result wait alone: a device's other waits (its return, a transfer) are no installation's to extend.
    for (const DeviceTimer &record : qAsConst(deviceTimerList)) {
        if (record.deviceMacAddress != mac || record.kind != DeviceTimer::InstallResult || !record.timer->isActive())
            continue;
        writeLog(LOG_LEVEL_INFO, "resetOtaResultTimeout: %s", qPrintable(mac));
        record.timer->start();
        if (!otaCancelled && upgrading && currentUpgradeIndex < upgradeList.size())
            upgradeList.at(currentUpgradeIndex)->installationAnswered(mac);
        return;
    }
    writeLog(LOG_LEVEL_INFO, "IFPUpgradeManager, progress of %s not counted: no installation result awaited",
             qPrintable(mac));
}
