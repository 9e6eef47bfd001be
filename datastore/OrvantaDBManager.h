#pragma once

#include <QMutex>
#include <QSqlDatabase>
#include <QString>
#include <QVector>

#include "datastore/DatabaseFileOps.h"
#include "datastore/OrvantaDBIntf.h"

class DatabaseManager;

/// The process-wide implementation of OrvantaDBIntf. It refuses bad arguments with
/// DB_BAD_ARGUMENT before any SQL runs (non-empty output lists of the device, group, schedule,
/// OTA, auto-test and broadcast queries, empty names and keys, schedules without times or
/// weekdays, empty input lists) and hands every other call to the SQL that serves it.
///
/// Reach the shared instance with getInstance(). Tests may construct their own instances on
/// their own folder and connection name.
class OrvantaDBManager : public OrvantaDBIntf
{
public:
    /// The shared instance, created on the first call (which opens, upgrades and seeds the
    /// database) and kept until the process ends. Not thread-safe: the first call happens
    /// during start-up, on the GUI thread.
    static OrvantaDBIntf *getInstance();

    /// Sets the folder that holds "dbManagement/" for the shared instance. Takes effect only
    /// before the first getInstance(); empty (the default) means the writable application data location.
    static void setDataFolder(const QString &folder);

    /// Empty when the shared instance's database opened cleanly (or no instance exists yet);
    /// else a description of what went wrong, for the log and a message to the operator.
    static QString startupError();

    /// How the shared instance's database opened, for the notice the operator gets at start-up.
    struct StartupReport
    {
        enum State
        {
            Ready,      ///< opened cleanly (or no instance exists yet)
            Recreated,  ///< the file was unusable: kept as keptFile, a new database created
            Degraded,   ///< open, but part of it cannot be brought up to date or written
            Unavailable ///< busy, read-only or unreadable; left as it was
        };
        State state = Ready;
        QString databaseFile;
        QString keptFile;
        QString detail;        ///< what went wrong, in the data store's own words
        bool diskFull = false; ///< nothing can be written because the disk is full (Degraded or Unavailable)
        /// A restore cut short between the two steps of its swap, finished or undone by this start.
        DatabaseFileOps::SwapEnd interruptedRestore = DatabaseFileOps::NoSwapLeft;
    };
    static StartupReport startupReport();

    /// An instance of its own, for tests and tools: dataFolder and connectionName as for
    /// DatabaseManager (empty = the defaults the shared instance uses).
    explicit OrvantaDBManager(const QString &dataFolder = QString(), const QString &connectionName = QString());
    ~OrvantaDBManager() override;

    /// The database of this instance.
    DatabaseManager *databaseManager() const { return m_dbManager; }

    quint32 queryAccount(QList<VelkAccount> &accounts) override;
    quint32 queryAllAvailableIFP(QList<VelkIFPDevice> &devices) override;
    quint32 queryIFPByGroup(VelkGroups group, QList<VelkIFPDevice> &devices) override;
    quint32 queryGroupsByIFP(VelkIFPDevice device, QList<VelkGroups> &groups) override;
    quint32 queryAllGroup(QList<VelkGroups> &groups) override;
    quint32 queryAllSchedule(QList<VelkSchedule> &schedules) override;
    quint32 queryDeviceBySchedule(VelkSchedule schedule, QList<VelkIFPDevice> &devices) override;
    quint32 queryGroupsBySchedule(VelkSchedule schedule, QList<VelkGroups> &groups) override;
    quint32 queryAllDeviceBySchedule(VelkSchedule schedule, QList<VelkIFPDevice> &devices) override;
    quint32 queryScheduleTargetNames(QHash<quint32, QStringList> &deviceNames,
                                     QHash<quint32, QStringList> &groupNames) override;
    quint32 queryDeviceByAutoTestSchedule(VelkAutoTestSchedule schedule, QList<VelkIFPDevice> &devices) override;
    quint32 queryGroupsByAutoTestSchedule(VelkAutoTestSchedule schedule, QList<VelkGroups> &groups) override;
    quint32 queryAllDeviceByAutoTestSchedule(VelkAutoTestSchedule schedule, QList<VelkIFPDevice> &devices) override;
    quint32 queryAllOtaReminder(QList<VelkOtaReminder> &reminders) override;
    quint32 queryAllOtaSchedule(QList<VelkOtaSchedule> &schedules) override;
    quint32 queryOtaScheduleReportByOtaSchedule(const VelkOtaSchedule &schedule,
                                                QList<VelkOtaScheduleReport> &rows) override;
    quint32 queryWatchedOtaScheduleReports(QList<VelkOtaScheduleReport> &rows) override;
    quint32 queryAllAutoTestSchedule(QList<VelkAutoTestSchedule> &schedules) override;
    quint32 queryAutoTestScheduleReportByAutoTestSchedule(const VelkAutoTestSchedule &schedule,
                                                          QList<VelkAutoTestScheduleReport> &rows) override;
    quint32 queryAllMultiUser(QList<VelkMultiUser> &users) override;
    quint32 createMultiUserAdmin(VelkMultiUserAdmin &admin) override;
    quint32 deleteMultiUserAdmin(quint32 maid) override;
    quint32 updateMultiUserAdmin(VelkMultiUserAdmin &admin) override;
    quint32 queryMultiUserAdmin(QList<VelkMultiUserAdmin> &admins) override;
    quint32 queryMultiUserByIFP(QList<VelkMultiUser> &users, quint32 deviceId) override;
    quint32 createUserDevice(VelkUserDevice &userDevice) override;
    quint32 deleteUserDevice(quint32 userId, quint32 deviceId) override;
    quint32 updateUserDevice(VelkUserDevice &userDevice, QString deviceName, quint32 userId) override;
    quint32 updateUserDeviceSyncStatus(quint32 deviceId, int syncStatus, QString lastSyncTime) override;
    quint32 queryUserDevice(QList<VelkUserDevice> &userDevices, int order) override;
    quint32 queryUserDeviceLinks(QList<VelkUserDevice> &userDevices) override;
    quint32 queryIFPById(QList<VelkIFPDevice> &devices, quint32 did) override;
    quint32 queryUserDeviceByIds(QList<VelkUserDevice> &userDevices, quint32 userId, quint32 deviceId) override;
    quint32 queryBroadcastByStatus(VelkBroadcast::Status status, QList<VelkBroadcast> &broadcasts) override;
    quint32 queryBroadcastReportByBroadcast(const VelkBroadcast &broadcast, QList<VelkBroadcastReport> &rows) override;
    quint32 updateAccount(VelkAccount &account) override;
    quint32 deleteMultiUser(quint32 muid) override;
    quint32 updateMultiUser(VelkMultiUser &user) override;
    quint32 queryMultiUserByRfid(QList<VelkMultiUser> &users, QString rfidId) override;
    quint32 queryMultiUserByName(QList<VelkMultiUser> &users, QString userName) override;
    quint32 createAppPermission(VelkAppPermission &permission) override;
    quint32 deleteAppPermission(quint32 userId, quint32 appId) override;
    quint32 queryAllAppPermission(QList<VelkAppPermission> &permissions) override;
    quint32 queryAppPermission(QList<VelkAppPermission> &permissions, quint32 userId, quint32 appId) override;
    quint32 queryAppPermissionByIFP(QList<VelkAppPermission> &permissions, quint32 deviceId) override;
    quint32 setAppPermissionByName(QString userName, QString packageName, int grant) override;
    quint32 createAppInfo(VelkAppInfo &app) override;
    quint32 deleteAppInfo(QString packageName) override;
    quint32 queryAllAppInfo(QList<VelkAppInfo> &apps) override;
    quint32 createIFPDevice(VelkIFPDevice &device) override;
    quint32 deleteIFPDevice(VelkIFPDevice &device) override;
    quint32 updateIFPDeviceById(VelkIFPDevice &device) override;
    quint32 updateIFPDevice(VelkIFPDevice &device) override;
    quint32 createMultiUser(VelkMultiUser &user) override;
    quint32 changeIFPDeviceName(const QString &oldName, QString newName) override;
    quint32 createGroups(VelkGroups &group) override;
    quint32 deleteGroups(VelkGroups &group) override;
    quint32 changeGroupsNameNoCase(const QString &name) override;
    quint32 changeGroupsName(const QString &oldName, QString newName) override;
    quint32 joinGroups(VelkIFPDevice &device, VelkGroups &group) override;
    quint32 disjoinGroups(VelkIFPDevice &device, VelkGroups &group) override;
    quint32 createSchedule(VelkSchedule &schedule) override;
    quint32 createGroupsSchedule(VelkSchedule &schedule, QList<VelkGroups> &groups) override;
    quint32 createIFPSchedule(VelkSchedule &schedule, QList<VelkIFPDevice> &devices) override;
    quint32 deleteSchedule(VelkSchedule &schedule) override;
    quint32 writeGroupsSchedule(VelkSchedule &schedule, QList<VelkGroups> &groups) override;
    quint32 writeIFPSchedule(VelkSchedule &schedule, QList<VelkIFPDevice> &devices) override;
    quint32 writeSchedule(VelkSchedule &schedule) override;
    quint32 writeAllSchedule(VelkSchedule &schedule) override;
    quint32 insertOtaReminder(VelkOtaReminder &reminder) override;
    quint32 updateOtaReminder(VelkOtaReminder &reminder) override;
    quint32 deleteAllOtaReminder() override;
    quint32 skipOtaReminderVersion(const QString &modelName, const QString &version) override;
    quint32 insertOtaSchedule(VelkOtaSchedule &schedule) override;
    quint32 updateOtaSchedule(VelkOtaSchedule &schedule) override;
    quint32 updateOtaScheduleState(VelkOtaSchedule &schedule) override;
    quint32 updateOtaScheduleStatusIf(VelkOtaSchedule &schedule, int from, bool &set) override;
    quint32 deleteOtaSchedule(VelkOtaSchedule &schedule) override;
    quint32 insertOtaScheduleReport(VelkOtaSchedule &schedule, QList<VelkIFPDevice> &devices) override;
    quint32 updateOtaScheduleReport(VelkIFPDevice &device, VelkOtaSchedule &schedule, int status) override;
    quint32 deleteRelatedOtaScheduleReport(VelkOtaSchedule &schedule) override;
    quint32 updateOtaScheduleReportWatch(quint32 osid, quint32 did, const QString &until) override;
    quint32 insertAutoTestSchedule(VelkAutoTestSchedule &schedule) override;
    quint32 updateAutoTestSchedule(VelkAutoTestSchedule &schedule) override;
    quint32 updateAutoTestScheduleState(VelkAutoTestSchedule &schedule) override;
    quint32 updateAutoTestScheduleStatusIf(VelkAutoTestSchedule &schedule, int from, bool &set) override;
    quint32 deleteAutoTestSchedule(VelkAutoTestSchedule &schedule) override;
    quint32 insertAutoTestScheduleReport(VelkAutoTestSchedule &schedule, QList<VelkIFPDevice> &devices) override;
    quint32 updateAutoTestScheduleReport(VelkIFPDevice &device, VelkAutoTestSchedule &schedule, int status,
                                         int notes) override;
    quint32 deleteRelatedAutoTestScheduleReport(VelkAutoTestSchedule &schedule) override;
    quint32 insertBroadcast(VelkBroadcast &broadcast) override;
    quint32 updateBroadcast(VelkBroadcast &broadcast) override;
    quint32 updateBroadcastStatus(VelkBroadcast &broadcast) override;
    quint32 updateBroadcastStatusIf(VelkBroadcast &broadcast, VelkBroadcast::Status from, bool &set) override;
    quint32 deleteBroadcast(VelkBroadcast &broadcast) override;
    quint32 insertBroadcastReport(VelkBroadcast &broadcast, QList<VelkIFPDevice> &devices) override;
    quint32 updateBroadcastReport(VelkIFPDevice &device, VelkBroadcast &broadcast, int status, int note) override;
    quint32 moveBroadcastReport(VelkBroadcast &from, VelkBroadcast &to) override;
    quint32 deleteBroadcastReport(VelkBroadcast &broadcast) override;
    quint32 queryDatabaseIdentifierUniqueId(QString &uniqueId) override;
    quint32 closeDatabase() override;
    quint32 updateIFPDevicePosition(VelkIFPDevice &device, QString position) override;
    quint32 updateIFPDeviceKicked(quint32 did, bool kicked) override;
    quint32 reloadPellmarDatabase(QList<PellmarAccount> &accounts, QList<PellmarDevice> &cameras,
                                  QList<PellmarGroup> &cameraGroups) override;
    quint32 insertDeviceCameraMapping(VelkDeviceCameraMap &mapping) override;
    quint32 queryDeviceCameraMapping(QList<VelkDeviceCameraMap> &mappings) override;
    quint32 updateDeviceCameraMapping(VelkDeviceCameraMap &mapping) override;
    quint32 deleteDeviceCameraMapping(int aid) override;
    quint32 insertEventLog(VelkEventLog &event) override;
    quint64 insertEventLogLater(const char *context, const QString &what, const VelkEventLog &event) override;
    void eventLogAnswered(quint64 row) override;
    void keepEventLogForRestore(bool keep) override;
    QList<VelkEventLog> eventLogForRestore() const override;
    quint32 queryEventLog(QList<VelkEventLog> &events) override;
    quint32 deleteEventLog(int did) override;
    QString databaseFilePath() const override;
    DbTransaction transaction(const char *context) override;
    DbTransaction readTransaction(const char *context) override;
    DbHeldWrites *heldWrites() override { return m_heldWrites; }
    DbShortWait shortWaitWhileWritesHeld() override;
    DbFailure lastFailure() const override;
    bool refusedForNow() const override;
    quint64 accountDataVersion() const override;
    quint64 deviceDataVersion() const override;

private:
    /// Runs a write of the panels' account data and moves accountDataVersion(), whatever its result: a write that
    /// failed half-way may still have changed rows outside a transaction.
    quint32 accountWrite(quint32 rc)
    {
        m_accountDataVersion = nextAccountDataVersion();
        return rc;
    }
    /// The same for the device records and deviceDataVersion().
    quint32 deviceWrite(quint32 rc)
    {
        m_deviceDataVersion = nextAccountDataVersion();
        return rc;
    }
    /// Versions are unique in the process, so that what was read from one instance never passes for another's.
    static quint64 nextAccountDataVersion();

    /// The main connection looked up by name and opened if needed.
    QSqlDatabase db() const;
    /// The main connection as the database manager holds it (for the operations that
    /// historically used the held handle; both reach the same database).
    QSqlDatabase heldDb() const;
    /// An operation begins: refusedForNow() speaks of what fails from here on.
    void beginOperation() const;
    /// A guard refused the operation's arguments; nothing ran.
    quint32 badArgument() const;
    /// Forgets the rows of insertEventLogLater() that are written (or given up) and whose warning is answered, unless a
    /// restore keeps them.
    void forgetEventLogWritten();

    /// A row of insertEventLogLater() and the key of its held write, which tells whether it is still held.
    struct EventLogLater
    {
        quint64 number = 0;
        QString key;
        VelkEventLog event;
        bool warningOpen = true;
    };

    QMutex m_mutex{QMutex::Recursive}; // never locked: every call comes from the GUI thread
    DatabaseManager *m_dbManager = nullptr;
    DbHeldWrites *m_heldWrites = nullptr;
    quint64 m_accountDataVersion = nextAccountDataVersion();
    quint64 m_deviceDataVersion = nextAccountDataVersion();
    mutable quint64 m_operationMark = 0; ///< statementFailureMark() as the last operation began
    QVector<EventLogLater> m_eventLogLater;
    quint64 m_lastEventLogLater = 0;
    bool m_keepEventLogForRestore = false;
};
