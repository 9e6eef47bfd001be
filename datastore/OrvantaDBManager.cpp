#include "datastore/OrvantaDBManager.h"

#include <algorithm>

#include "datastore/AutoTestTables.h"
#include "datastore/BroadcastTables.h"
#include "datastore/CameraEventTables.h"
#include "datastore/CoreTables.h"
#include "datastore/DatabaseManager.h"
#include "datastore/DbHeldWrites.h"
#include "datastore/DeviceScheduleTables.h"
#include "datastore/OtaTables.h"
#include "datastore/SqlTransaction.h"
#include "datastore/UserTables.h"

namespace {

OrvantaDBManager *g_instance = nullptr;

QString &dataFolderSetting()
{
    static QString folder;
    return folder;
}

bool scheduleHasNoTimeOrDay(const VelkSchedule &s)
{
    const bool noTime = s.onTime.isEmpty() && s.offTime.isEmpty() && s.rebootTime.isEmpty();
    const bool noDay = !(s.isMon || s.isTue || s.isWed || s.isThu || s.isFri || s.isSat || s.isSun);
    return noTime || noDay;
}

} // namespace

OrvantaDBIntf *OrvantaDBManager::getInstance()
{
    if (!g_instance) {
        registerVelkMetaTypes();
        g_instance = new OrvantaDBManager(dataFolderSetting());
    }
    return g_instance;
}

void OrvantaDBManager::setDataFolder(const QString &folder)
{
    dataFolderSetting() = folder;
}

QString OrvantaDBManager::startupError()
{
    return g_instance ? g_instance->m_dbManager->openError() : QString();
}

OrvantaDBManager::StartupReport OrvantaDBManager::startupReport()
{
    StartupReport report;
    if (!g_instance)
        return report;
    const DatabaseManager *manager = g_instance->m_dbManager;
    report.databaseFile = manager->databaseFilePath();
    report.keptFile = manager->keptFile();
    report.detail = manager->openError();
    report.diskFull = manager->diskFull();
    report.interruptedRestore = manager->interruptedRestore();
    switch (manager->openState()) {
    case DatabaseManager::Recreated:
        report.state = StartupReport::Recreated;
        break;
    case DatabaseManager::Degraded:
        report.state = StartupReport::Degraded;
        break;
    case DatabaseManager::Unavailable:
    case DatabaseManager::NotOpened:
        report.state = StartupReport::Unavailable;
        break;
    case DatabaseManager::Ready:
        break;
    }
    return report;
}

OrvantaDBManager::OrvantaDBManager(const QString &dataFolder, const QString &connectionName)
    : m_dbManager(new DatabaseManager(dataFolder, connectionName)),
      m_heldWrites(new DbHeldWrites(this, m_dbManager->connectionName()))
{
    registerVelkMetaTypes();
}

OrvantaDBManager::~OrvantaDBManager()
{
    delete m_heldWrites;
    delete m_dbManager;
}

QSqlDatabase OrvantaDBManager::db() const
{
    const QSqlDatabase connection = m_dbManager->connection();
    beginOperation();
    return connection;
}

QSqlDatabase OrvantaDBManager::heldDb() const
{
    beginOperation();
    return m_dbManager->database();
}

void OrvantaDBManager::beginOperation() const
{
    m_operationMark = statementFailureMark(m_dbManager->database());
}

quint32 OrvantaDBManager::badArgument() const
{
    beginOperation();
    return DB_BAD_ARGUMENT;
}

QString OrvantaDBManager::databaseFilePath() const
{
    return m_dbManager->databaseFilePath();
}

DbTransaction OrvantaDBManager::transaction(const char *context)
{
    return DbTransaction(std::make_unique<SqlTransaction>(db(), context));
}

DbTransaction OrvantaDBManager::readTransaction(const char *context)
{
    return DbTransaction(std::make_unique<SqlTransaction>(db(), context, SqlTransaction::ReadsFirst));
}

DbShortWait OrvantaDBManager::shortWaitWhileWritesHeld()
{
    if (!m_heldWrites->isRefused())
        return DbShortWait();
    return DbShortWait(std::make_unique<SqlRetryScope>(m_dbManager->database(), DbHeldWrites::kRetryWaitMs));
}

DbFailure OrvantaDBManager::lastFailure() const
{
    return lastStatementFailure(m_dbManager->database());
}

bool OrvantaDBManager::refusedForNow() const
{
    // Only a failure of the operation just made: the connection remembers its last one until the next outermost
    // BEGIN, and a read given after a refused one still said "refused for now".
    const QSqlDatabase connection = m_dbManager->database();
    return statementFailureMark(connection) != m_operationMark && passingFailure(connection) != nullptr;
}

quint64 OrvantaDBManager::nextAccountDataVersion()
{
    static quint64 last = 0;
    return ++last;
}

quint64 OrvantaDBManager::accountDataVersion() const
{
    if (SqlTransaction::depth(m_dbManager->connectionName()) > 0)
        return 0;
    return m_accountDataVersion;
}

quint64 OrvantaDBManager::deviceDataVersion() const
{
    if (SqlTransaction::depth(m_dbManager->connectionName()) > 0)
        return 0;
    return m_deviceDataVersion;
}

// --- Console accounts ----------------------------------------------------------------------------

quint32 OrvantaDBManager::queryAccount(QList<VelkAccount> &accounts)
{
    return CoreTables::queryAccount(db(), accounts);
}

quint32 OrvantaDBManager::updateAccount(VelkAccount &account)
{
    if (account.password.isEmpty())
        return badArgument();
    return CoreTables::updateAccount(db(), account);
}

// --- Devices and groups --------------------------------------------------------------------------

quint32 OrvantaDBManager::queryAllAvailableIFP(QList<VelkIFPDevice> &devices)
{
    if (!devices.isEmpty())
        return badArgument();
    return CoreTables::queryAllAvailableIFP(db(), devices);
}

quint32 OrvantaDBManager::queryIFPByGroup(VelkGroups group, QList<VelkIFPDevice> &devices)
{
    if (group.groupName.isEmpty() || !devices.isEmpty())
        return badArgument();
    return CoreTables::queryIFPByGroup(db(), group, devices);
}

quint32 OrvantaDBManager::queryGroupsByIFP(VelkIFPDevice device, QList<VelkGroups> &groups)
{
    if (device.deviceName.isEmpty() || !groups.isEmpty())
        return badArgument();
    return CoreTables::queryGroupsByIFP(db(), device, groups);
}

quint32 OrvantaDBManager::queryAllGroup(QList<VelkGroups> &groups)
{
    if (!groups.isEmpty())
        return badArgument();
    return CoreTables::queryAllGroup(db(), groups);
}

quint32 OrvantaDBManager::queryIFPById(QList<VelkIFPDevice> &devices, quint32 did)
{
    return CoreTables::queryIFPById(db(), devices, did);
}

quint32 OrvantaDBManager::createIFPDevice(VelkIFPDevice &device)
{
    if (device.deviceName.isEmpty())
        return badArgument();
    return deviceWrite(CoreTables::createIFPDevice(db(), device));
}

quint32 OrvantaDBManager::deleteIFPDevice(VelkIFPDevice &device)
{
    if (device.deviceName.isEmpty())
        return badArgument();
    return deviceWrite(CoreTables::deleteIFPDevice(heldDb(), device));
}

quint32 OrvantaDBManager::updateIFPDeviceById(VelkIFPDevice &device)
{
    if (device.deviceName.isEmpty())
        return badArgument();
    return deviceWrite(CoreTables::updateIFPDeviceById(db(), device));
}

quint32 OrvantaDBManager::updateIFPDevice(VelkIFPDevice &device)
{
    if (device.deviceName.isEmpty())
        return badArgument();
    return deviceWrite(CoreTables::updateIFPDevice(db(), device));
}

quint32 OrvantaDBManager::changeIFPDeviceName(const QString &oldName, QString newName)
{
    if (oldName.isEmpty() || newName.isEmpty())
        return badArgument();
    return deviceWrite(CoreTables::changeIFPDeviceName(heldDb(), oldName, newName));
}

quint32 OrvantaDBManager::createGroups(VelkGroups &group)
{
    if (group.groupName.isEmpty())
        return badArgument();
    return CoreTables::createGroups(db(), group);
}

quint32 OrvantaDBManager::deleteGroups(VelkGroups &group)
{
    if (group.groupName.isEmpty())
        return badArgument();
    return CoreTables::deleteGroups(heldDb(), group);
}

quint32 OrvantaDBManager::changeGroupsNameNoCase(const QString &name)
{
    if (name.isEmpty())
        return badArgument();
    return CoreTables::changeGroupsNameNoCase(db(), name);
}

quint32 OrvantaDBManager::changeGroupsName(const QString &oldName, QString newName)
{
    if (oldName.isEmpty() || newName.isEmpty())
        return badArgument();
    return CoreTables::changeGroupsName(heldDb(), oldName, newName);
}

quint32 OrvantaDBManager::joinGroups(VelkIFPDevice &device, VelkGroups &group)
{
    if (device.deviceName.isEmpty() || group.groupName.isEmpty())
        return badArgument();
    return CoreTables::joinGroups(heldDb(), device, group);
}

quint32 OrvantaDBManager::disjoinGroups(VelkIFPDevice &device, VelkGroups &group)
{
    if (device.deviceName.isEmpty() || group.groupName.isEmpty())
        return badArgument();
    return CoreTables::disjoinGroups(heldDb(), device, group);
}

quint32 OrvantaDBManager::updateIFPDevicePosition(VelkIFPDevice &device, QString position)
{
    return deviceWrite(CoreTables::updateIFPDevicePosition(heldDb(), device, position));
}

quint32 OrvantaDBManager::updateIFPDeviceKicked(quint32 did, bool kicked)
{
    return deviceWrite(CoreTables::updateIFPDeviceKicked(heldDb(), did, kicked));
}

// --- Device-control schedules --------------------------------------------------------------------

quint32 OrvantaDBManager::queryAllSchedule(QList<VelkSchedule> &schedules)
{
    if (!schedules.isEmpty())
        return badArgument();
    return DeviceScheduleTables::queryAllSchedule(db(), schedules);
}

quint32 OrvantaDBManager::queryDeviceBySchedule(VelkSchedule schedule, QList<VelkIFPDevice> &devices)
{
    if (schedule.sid == 0 || !devices.isEmpty())
        return badArgument();
    return DeviceScheduleTables::queryDeviceBySchedule(db(), schedule, devices);
}

quint32 OrvantaDBManager::queryGroupsBySchedule(VelkSchedule schedule, QList<VelkGroups> &groups)
{
    if (schedule.sid == 0 || !groups.isEmpty())
        return badArgument();
    return DeviceScheduleTables::queryGroupsBySchedule(db(), schedule, groups);
}

quint32 OrvantaDBManager::queryAllDeviceBySchedule(VelkSchedule schedule, QList<VelkIFPDevice> &devices)
{
    if (schedule.sid == 0 || !devices.isEmpty())
        return badArgument();
    return DeviceScheduleTables::queryAllDeviceBySchedule(db(), schedule, devices);
}

quint32 OrvantaDBManager::queryScheduleTargetNames(QHash<quint32, QStringList> &deviceNames,
                                                   QHash<quint32, QStringList> &groupNames)
{
    if (!deviceNames.isEmpty() || !groupNames.isEmpty())
        return badArgument();
    return DeviceScheduleTables::queryScheduleTargetNames(db(), deviceNames, groupNames);
}

quint32 OrvantaDBManager::createSchedule(VelkSchedule &schedule)
{
    if (scheduleHasNoTimeOrDay(schedule))
        return badArgument();
    return DeviceScheduleTables::createSchedule(db(), schedule);
}

quint32 OrvantaDBManager::createGroupsSchedule(VelkSchedule &schedule, QList<VelkGroups> &groups)
{
    if (scheduleHasNoTimeOrDay(schedule) || groups.isEmpty())
        return badArgument();
    return DeviceScheduleTables::createGroupsSchedule(db(), schedule, groups);
}

quint32 OrvantaDBManager::createIFPSchedule(VelkSchedule &schedule, QList<VelkIFPDevice> &devices)
{
    if (scheduleHasNoTimeOrDay(schedule) || devices.isEmpty())
        return badArgument();
    return DeviceScheduleTables::createIFPSchedule(db(), schedule, devices);
}

quint32 OrvantaDBManager::deleteSchedule(VelkSchedule &schedule)
{
    if (schedule.sid == 0)
        return badArgument();
    return DeviceScheduleTables::deleteSchedule(heldDb(), schedule);
}

quint32 OrvantaDBManager::writeGroupsSchedule(VelkSchedule &schedule, QList<VelkGroups> &groups)
{
    if (schedule.sid == 0 || groups.isEmpty())
        return badArgument();
    return DeviceScheduleTables::writeGroupsSchedule(db(), schedule, groups);
}

quint32 OrvantaDBManager::writeIFPSchedule(VelkSchedule &schedule, QList<VelkIFPDevice> &devices)
{
    if (schedule.sid == 0 || devices.isEmpty())
        return badArgument();
    return DeviceScheduleTables::writeIFPSchedule(db(), schedule, devices);
}

quint32 OrvantaDBManager::writeSchedule(VelkSchedule &schedule)
{
    if (schedule.sid == 0)
        return badArgument();
    return DeviceScheduleTables::writeSchedule(db(), schedule);
}

quint32 OrvantaDBManager::writeAllSchedule(VelkSchedule &schedule)
{
    if (schedule.sid == 0)
        return badArgument();
    return DeviceScheduleTables::writeAllSchedule(db(), schedule);
}

// --- Auto-test schedules and reports -------------------------------------------------------------

quint32 OrvantaDBManager::queryDeviceByAutoTestSchedule(VelkAutoTestSchedule schedule, QList<VelkIFPDevice> &devices)
{
    if (schedule.tsid == 0 || !devices.isEmpty())
        return badArgument();
    return AutoTestTables::queryDeviceByAutoTestSchedule(db(), schedule, devices);
}

quint32 OrvantaDBManager::queryGroupsByAutoTestSchedule(VelkAutoTestSchedule schedule, QList<VelkGroups> &groups)
{
    if (schedule.tsid == 0 || !groups.isEmpty())
        return badArgument();
    return AutoTestTables::queryGroupsByAutoTestSchedule(db(), schedule, groups);
}

quint32 OrvantaDBManager::queryAllDeviceByAutoTestSchedule(VelkAutoTestSchedule schedule, QList<VelkIFPDevice> &devices)
{
    if (schedule.tsid == 0 || !devices.isEmpty())
        return badArgument();
    return AutoTestTables::queryAllDeviceByAutoTestSchedule(db(), schedule, devices);
}

quint32 OrvantaDBManager::queryAllAutoTestSchedule(QList<VelkAutoTestSchedule> &schedules)
{
    if (!schedules.isEmpty())
        return badArgument();
    return AutoTestTables::queryAllAutoTestSchedule(db(), schedules);
}

quint32 OrvantaDBManager::queryAutoTestScheduleReportByAutoTestSchedule(const VelkAutoTestSchedule &schedule,
                                                                        QList<VelkAutoTestScheduleReport> &rows)
{
    if (!rows.isEmpty())
        return badArgument();
    return AutoTestTables::queryAutoTestScheduleReportByAutoTestSchedule(db(), schedule, rows);
}

quint32 OrvantaDBManager::insertAutoTestSchedule(VelkAutoTestSchedule &schedule)
{
    return AutoTestTables::insertAutoTestSchedule(db(), schedule);
}

quint32 OrvantaDBManager::updateAutoTestSchedule(VelkAutoTestSchedule &schedule)
{
    return AutoTestTables::updateAutoTestSchedule(db(), schedule);
}

quint32 OrvantaDBManager::updateAutoTestScheduleState(VelkAutoTestSchedule &schedule)
{
    return AutoTestTables::updateAutoTestScheduleState(db(), schedule);
}

quint32 OrvantaDBManager::updateAutoTestScheduleStatusIf(VelkAutoTestSchedule &schedule, int from, bool &set)
{
    return AutoTestTables::updateAutoTestScheduleStatusIf(db(), schedule, from, set);
}

quint32 OrvantaDBManager::deleteAutoTestSchedule(VelkAutoTestSchedule &schedule)
{
    return AutoTestTables::deleteAutoTestSchedule(db(), schedule);
}

quint32 OrvantaDBManager::insertAutoTestScheduleReport(VelkAutoTestSchedule &schedule, QList<VelkIFPDevice> &devices)
{
    if (devices.isEmpty())
        return badArgument();
    return AutoTestTables::insertAutoTestScheduleReport(db(), schedule, devices);
}

quint32 OrvantaDBManager::updateAutoTestScheduleReport(VelkIFPDevice &device, VelkAutoTestSchedule &schedule,
                                                       int status, int notes)
{
    return AutoTestTables::updateAutoTestScheduleReport(db(), device, schedule, status, notes);
}

quint32 OrvantaDBManager::deleteRelatedAutoTestScheduleReport(VelkAutoTestSchedule &schedule)
{
    return AutoTestTables::deleteRelatedAutoTestScheduleReport(db(), schedule);
}

// --- OTA reminders, schedules and reports --------------------------------------------------------

quint32 OrvantaDBManager::queryAllOtaReminder(QList<VelkOtaReminder> &reminders)
{
    if (!reminders.isEmpty())
        return badArgument();
    return OtaTables::queryAllOtaReminder(db(), reminders);
}

quint32 OrvantaDBManager::queryAllOtaSchedule(QList<VelkOtaSchedule> &schedules)
{
    if (!schedules.isEmpty())
        return badArgument();
    return OtaTables::queryAllOtaSchedule(db(), schedules);
}

quint32 OrvantaDBManager::queryOtaScheduleReportByOtaSchedule(const VelkOtaSchedule &schedule,
                                                              QList<VelkOtaScheduleReport> &rows)
{
    if (!rows.isEmpty())
        return badArgument();
    return OtaTables::queryOtaScheduleReportByOtaSchedule(db(), schedule, rows);
}

quint32 OrvantaDBManager::insertOtaReminder(VelkOtaReminder &reminder)
{
    return OtaTables::insertOtaReminder(db(), reminder);
}

quint32 OrvantaDBManager::updateOtaReminder(VelkOtaReminder &reminder)
{
    return OtaTables::updateOtaReminder(db(), reminder);
}

quint32 OrvantaDBManager::deleteAllOtaReminder()
{
    return OtaTables::deleteAllOtaReminder(db());
}

quint32 OrvantaDBManager::skipOtaReminderVersion(const QString &modelName, const QString &version)
{
    return OtaTables::skipOtaReminderVersion(db(), modelName, version);
}

quint32 OrvantaDBManager::insertOtaSchedule(VelkOtaSchedule &schedule)
{
    return OtaTables::insertOtaSchedule(db(), schedule);
}

quint32 OrvantaDBManager::updateOtaSchedule(VelkOtaSchedule &schedule)
{
    return OtaTables::updateOtaSchedule(db(), schedule);
}

quint32 OrvantaDBManager::updateOtaScheduleState(VelkOtaSchedule &schedule)
{
    return OtaTables::updateOtaScheduleState(db(), schedule);
}

quint32 OrvantaDBManager::updateOtaScheduleStatusIf(VelkOtaSchedule &schedule, int from, bool &set)
{
    return OtaTables::updateOtaScheduleStatusIf(db(), schedule, from, set);
}

quint32 OrvantaDBManager::deleteOtaSchedule(VelkOtaSchedule &schedule)
{
    return OtaTables::deleteOtaSchedule(db(), schedule);
}

quint32 OrvantaDBManager::insertOtaScheduleReport(VelkOtaSchedule &schedule, QList<VelkIFPDevice> &devices)
{
    if (devices.isEmpty())
        return badArgument();
    return OtaTables::insertOtaScheduleReport(db(), schedule, devices);
}

quint32 OrvantaDBManager::updateOtaScheduleReport(VelkIFPDevice &device, VelkOtaSchedule &schedule, int status)
{
    return OtaTables::updateOtaScheduleReport(db(), device, schedule, status);
}

quint32 OrvantaDBManager::deleteRelatedOtaScheduleReport(VelkOtaSchedule &schedule)
{
    return OtaTables::deleteRelatedOtaScheduleReport(db(), schedule);
}

quint32 OrvantaDBManager::updateOtaScheduleReportWatch(quint32 osid, quint32 did, const QString &until)
{
    return OtaTables::updateOtaScheduleReportWatch(db(), osid, did, until);
}

quint32 OrvantaDBManager::queryWatchedOtaScheduleReports(QList<VelkOtaScheduleReport> &rows)
{
    if (!rows.isEmpty())
        return badArgument();
    return OtaTables::queryWatchedOtaScheduleReports(db(), rows);
}

// --- Panel users, apps, permissions, user devices, settings --------------------------------------

quint32 OrvantaDBManager::queryAllMultiUser(QList<VelkMultiUser> &users)
{
    return UserTables::queryAllMultiUser(db(), users);
}

quint32 OrvantaDBManager::createMultiUserAdmin(VelkMultiUserAdmin &admin)
{
    return accountWrite(UserTables::createMultiUserAdmin(db(), admin));
}

quint32 OrvantaDBManager::deleteMultiUserAdmin(quint32 maid)
{
    return accountWrite(UserTables::deleteMultiUserAdmin(heldDb(), maid));
}

quint32 OrvantaDBManager::updateMultiUserAdmin(VelkMultiUserAdmin &admin)
{
    return accountWrite(UserTables::updateMultiUserAdmin(db(), admin));
}

quint32 OrvantaDBManager::queryMultiUserAdmin(QList<VelkMultiUserAdmin> &admins)
{
    return UserTables::queryMultiUserAdmin(db(), admins);
}

quint32 OrvantaDBManager::queryMultiUserByIFP(QList<VelkMultiUser> &users, quint32 deviceId)
{
    return UserTables::queryMultiUserByIFP(db(), users, deviceId);
}

quint32 OrvantaDBManager::createUserDevice(VelkUserDevice &userDevice)
{
    return accountWrite(UserTables::createUserDevice(db(), userDevice));
}

quint32 OrvantaDBManager::deleteUserDevice(quint32 userId, quint32 deviceId)
{
    return accountWrite(UserTables::deleteUserDevice(heldDb(), userId, deviceId));
}

quint32 OrvantaDBManager::updateUserDevice(VelkUserDevice &userDevice, QString deviceName, quint32 userId)
{
    return UserTables::updateUserDevice(db(), userDevice, deviceName, userId);
}

quint32 OrvantaDBManager::updateUserDeviceSyncStatus(quint32 deviceId, int syncStatus, QString lastSyncTime)
{
    return UserTables::updateUserDeviceSyncStatus(db(), deviceId, syncStatus, lastSyncTime);
}

quint32 OrvantaDBManager::queryUserDevice(QList<VelkUserDevice> &userDevices, int order)
{
    return UserTables::queryUserDevice(db(), userDevices, order);
}

quint32 OrvantaDBManager::queryUserDeviceLinks(QList<VelkUserDevice> &userDevices)
{
    return UserTables::queryUserDeviceLinks(db(), userDevices);
}

quint32 OrvantaDBManager::queryUserDeviceByIds(QList<VelkUserDevice> &userDevices, quint32 userId, quint32 deviceId)
{
    return UserTables::queryUserDeviceByIds(db(), userDevices, userId, deviceId);
}

quint32 OrvantaDBManager::deleteMultiUser(quint32 muid)
{
    return accountWrite(UserTables::deleteMultiUser(heldDb(), muid));
}

quint32 OrvantaDBManager::updateMultiUser(VelkMultiUser &user)
{
    return accountWrite(UserTables::updateMultiUser(db(), user));
}

quint32 OrvantaDBManager::queryMultiUserByRfid(QList<VelkMultiUser> &users, QString rfidId)
{
    return UserTables::queryMultiUserByRfid(db(), users, rfidId);
}

quint32 OrvantaDBManager::queryMultiUserByName(QList<VelkMultiUser> &users, QString userName)
{
    return UserTables::queryMultiUserByName(db(), users, userName);
}

quint32 OrvantaDBManager::createAppPermission(VelkAppPermission &permission)
{
    return accountWrite(UserTables::createAppPermission(db(), permission));
}

quint32 OrvantaDBManager::deleteAppPermission(quint32 userId, quint32 appId)
{
    return accountWrite(UserTables::deleteAppPermission(heldDb(), userId, appId));
}

quint32 OrvantaDBManager::queryAllAppPermission(QList<VelkAppPermission> &permissions)
{
    return UserTables::queryAllAppPermission(db(), permissions);
}

quint32 OrvantaDBManager::queryAppPermission(QList<VelkAppPermission> &permissions, quint32 userId, quint32 appId)
{
    return UserTables::queryAppPermission(db(), permissions, userId, appId);
}

quint32 OrvantaDBManager::queryAppPermissionByIFP(QList<VelkAppPermission> &permissions, quint32 deviceId)
{
    return UserTables::queryAppPermissionByIFP(db(), permissions, deviceId);
}

quint32 OrvantaDBManager::setAppPermissionByName(QString userName, QString packageName, int grant)
{
    return accountWrite(UserTables::setAppPermissionByName(db(), userName, packageName, grant));
}

quint32 OrvantaDBManager::createAppInfo(VelkAppInfo &app)
{
    return accountWrite(UserTables::createAppInfo(db(), app));
}

quint32 OrvantaDBManager::deleteAppInfo(QString packageName)
{
    return accountWrite(UserTables::deleteAppInfo(heldDb(), packageName));
}

quint32 OrvantaDBManager::queryAllAppInfo(QList<VelkAppInfo> &apps)
{
    return UserTables::queryAllAppInfo(db(), apps);
}

quint32 OrvantaDBManager::createMultiUser(VelkMultiUser &user)
{
    return accountWrite(UserTables::createMultiUser(db(), user));
}

// --- Broadcasts and reports ----------------------------------------------------------------------

quint32 OrvantaDBManager::queryBroadcastByStatus(VelkBroadcast::Status status, QList<VelkBroadcast> &broadcasts)
{
    if (!broadcasts.isEmpty())
        return badArgument();
    return BroadcastTables::queryBroadcastByStatus(db(), status, broadcasts);
}

quint32 OrvantaDBManager::queryBroadcastReportByBroadcast(const VelkBroadcast &broadcast,
                                                          QList<VelkBroadcastReport> &rows)
{
    if (!rows.isEmpty())
        return badArgument();
    return BroadcastTables::queryBroadcastReportByBroadcast(db(), broadcast, rows);
}

quint32 OrvantaDBManager::insertBroadcast(VelkBroadcast &broadcast)
{
    return BroadcastTables::insertBroadcast(db(), broadcast);
}

quint32 OrvantaDBManager::updateBroadcast(VelkBroadcast &broadcast)
{
    return BroadcastTables::updateBroadcast(db(), broadcast);
}

quint32 OrvantaDBManager::updateBroadcastStatus(VelkBroadcast &broadcast)
{
    return BroadcastTables::updateBroadcastStatus(db(), broadcast);
}

quint32 OrvantaDBManager::updateBroadcastStatusIf(VelkBroadcast &broadcast, VelkBroadcast::Status from, bool &set)
{
    return BroadcastTables::updateBroadcastStatusIf(db(), broadcast, from, set);
}

quint32 OrvantaDBManager::deleteBroadcast(VelkBroadcast &broadcast)
{
    return BroadcastTables::deleteBroadcast(db(), broadcast);
}

quint32 OrvantaDBManager::insertBroadcastReport(VelkBroadcast &broadcast, QList<VelkIFPDevice> &devices)
{
    if (devices.isEmpty())
        return badArgument();
    return BroadcastTables::insertBroadcastReport(db(), broadcast, devices);
}

quint32 OrvantaDBManager::updateBroadcastReport(VelkIFPDevice &device, VelkBroadcast &broadcast, int status, int note)
{
    return BroadcastTables::updateBroadcastReport(db(), device, broadcast, status, note);
}

quint32 OrvantaDBManager::moveBroadcastReport(VelkBroadcast &from, VelkBroadcast &to)
{
    if (from.bid == 0 || to.bid == 0)
        return badArgument();
    return BroadcastTables::moveBroadcastReport(db(), from, to);
}

quint32 OrvantaDBManager::deleteBroadcastReport(VelkBroadcast &broadcast)
{
    return BroadcastTables::deleteBroadcastReport(db(), broadcast);
}

// --- Identifier, file, camera links, event log ---------------------------------------------------

quint32 OrvantaDBManager::queryDatabaseIdentifierUniqueId(QString &uniqueId)
{
    return CameraEventTables::queryDatabaseIdentifierUniqueId(db(), uniqueId);
}

quint32 OrvantaDBManager::closeDatabase()
{
    // Whatever is read afterwards comes from another database, and nothing held for this one may land there.
    deviceWrite(DB_OK);
    accountWrite(DB_OK);
    m_heldWrites->abandon("the database was closed");
    return m_dbManager->closeDatabase();
}

quint32 OrvantaDBManager::reloadPellmarDatabase(QList<PellmarAccount> &accounts, QList<PellmarDevice> &cameras,
                                                QList<PellmarGroup> &cameraGroups)
{
    beginOperation();
    return m_dbManager->reloadPellmarDatabase(accounts, cameras, cameraGroups);
}

quint32 OrvantaDBManager::insertDeviceCameraMapping(VelkDeviceCameraMap &mapping)
{
    return CameraEventTables::insertDeviceCameraMapping(db(), mapping);
}

quint32 OrvantaDBManager::queryDeviceCameraMapping(QList<VelkDeviceCameraMap> &mappings)
{
    return CameraEventTables::queryDeviceCameraMapping(db(), mappings);
}

quint32 OrvantaDBManager::updateDeviceCameraMapping(VelkDeviceCameraMap &mapping)
{
    return CameraEventTables::updateDeviceCameraMapping(db(), mapping);
}

quint32 OrvantaDBManager::deleteDeviceCameraMapping(int aid)
{
    return CameraEventTables::deleteDeviceCameraMapping(db(), aid);
}

quint32 OrvantaDBManager::insertEventLog(VelkEventLog &event)
{
    return CameraEventTables::insertEventLog(db(), event);
}

quint64 OrvantaDBManager::insertEventLogLater(const char *context, const QString &what, const VelkEventLog &event)
{
    forgetEventLogWritten();
    // A key of its own for each row: none replaces another, and holds() tells whether it is written.
    const quint64 number = ++m_lastEventLogLater;
    const QString key = QStringLiteral("event-log row %1").arg(number);
    m_eventLogLater.append({number, key, event});
    m_heldWrites->writeLater(context, what, key, [this, event] {
        VelkEventLog row = event;
        return insertEventLog(row);
    });
    return number;
}

void OrvantaDBManager::eventLogAnswered(quint64 row)
{
    for (EventLogLater &kept : m_eventLogLater) {
        if (kept.number == row)
            kept.warningOpen = false;
    }
    forgetEventLogWritten();
}

void OrvantaDBManager::keepEventLogForRestore(bool keep)
{
    // Rows written before a restore begins belong to the file it replaces, and after it ends to the file in use.
    m_keepEventLogForRestore = false;
    forgetEventLogWritten();
    m_keepEventLogForRestore = keep;
}

QList<VelkEventLog> OrvantaDBManager::eventLogForRestore() const
{
    QList<VelkEventLog> events;
    // A warning still open as the restore began is answered before the restart, and its row, written into the file
    // the restore replaces, went with that file: after the restart nothing told of the SOS.
    for (const EventLogLater &row : m_eventLogLater) {
        if (m_keepEventLogForRestore || row.warningOpen || m_heldWrites->holds(row.key))
            events.append(row.event);
    }
    return events;
}

void OrvantaDBManager::forgetEventLogWritten()
{
    if (m_keepEventLogForRestore)
        return;
    m_eventLogLater.erase(
        std::remove_if(m_eventLogLater.begin(), m_eventLogLater.end(),
                       [this](const EventLogLater &row) { return !row.warningOpen && !m_heldWrites->holds(row.key); }),
        m_eventLogLater.end());
}

quint32 OrvantaDBManager::queryEventLog(QList<VelkEventLog> &events)
{
    return CameraEventTables::queryEventLog(db(), events);
}

quint32 OrvantaDBManager::deleteEventLog(int did)
{
    return CameraEventTables::deleteEventLog(db(), did);
}
