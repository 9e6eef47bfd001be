#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include "datastore/DbResult.h"
#include "datastore/DbShortWait.h"
#include "datastore/DbTransaction.h"
#include "datastore/VelkRecords.h"

class DbHeldWrites;

/// The one interface through which every page, dialog and manager reads and writes the
/// console's database. Reach it through OrvantaDBManager::getInstance().
///
/// Every operation returns a result code of DbResult.h (DB_OK on success). Queries append to
/// the list the caller passes by reference; the device, group, schedule, OTA, auto-test and
/// broadcast queries refuse a list that is not empty with DB_BAD_ARGUMENT, the others append
/// to whatever the list holds. Records passed by reference are written back only where
/// noted (new keys of inserted OTA schedules, auto-test schedules and broadcasts; the ids
/// found by joinGroups / disjoinGroups).
///
/// Operations that write several statements run in one transaction: a failure leaves the
/// database as it was before the call.
class OrvantaDBIntf : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~OrvantaDBIntf() override = default;

    // --- Console accounts -----------------------------------------------------------------
    /// Appends every console account in ascending aid.
    virtual quint32 queryAccount(QList<VelkAccount> &accounts) = 0;

    // --- Devices, groups and schedules (queries) ------------------------------------------
    /// Every device, by name.
    virtual quint32 queryAllAvailableIFP(QList<VelkIFPDevice> &devices) = 0;
    /// The devices of a group (found by groupName, letter case ignored), by name.
    /// DB_ROW_NOT_FOUND when the group does not exist.
    virtual quint32 queryIFPByGroup(VelkGroups group, QList<VelkIFPDevice> &devices) = 0;
    /// The groups holding a device (found by deviceName, letter case ignored), by name.
    /// DB_ROW_NOT_FOUND when the device does not exist.
    virtual quint32 queryGroupsByIFP(VelkIFPDevice device, QList<VelkGroups> &groups) = 0;
    /// Every group, by name.
    virtual quint32 queryAllGroup(QList<VelkGroups> &groups) = 0;
    virtual quint32 queryAllSchedule(QList<VelkSchedule> &schedules) = 0;
    virtual quint32 queryDeviceBySchedule(VelkSchedule schedule, QList<VelkIFPDevice> &devices) = 0;
    virtual quint32 queryGroupsBySchedule(VelkSchedule schedule, QList<VelkGroups> &groups) = 0;
    virtual quint32 queryAllDeviceBySchedule(VelkSchedule schedule, QList<VelkIFPDevice> &devices) = 0;
    /// The names a device-control schedule's table row shows, for every schedule at once, by sid: the linked
    /// devices' names and the linked groups' names, each list in name order, each name once. Both hashes must
    /// be empty; schedules without links have no entry.
    virtual quint32 queryScheduleTargetNames(QHash<quint32, QStringList> &deviceNames,
                                             QHash<quint32, QStringList> &groupNames) = 0;
    virtual quint32 queryDeviceByAutoTestSchedule(VelkAutoTestSchedule schedule, QList<VelkIFPDevice> &devices) = 0;
    virtual quint32 queryGroupsByAutoTestSchedule(VelkAutoTestSchedule schedule, QList<VelkGroups> &groups) = 0;
    virtual quint32 queryAllDeviceByAutoTestSchedule(VelkAutoTestSchedule schedule, QList<VelkIFPDevice> &devices) = 0;
    virtual quint32 queryAllOtaReminder(QList<VelkOtaReminder> &reminders) = 0;
    virtual quint32 queryAllOtaSchedule(QList<VelkOtaSchedule> &schedules) = 0;
    virtual quint32 queryOtaScheduleReportByOtaSchedule(const VelkOtaSchedule &schedule,
                                                        QList<VelkOtaScheduleReport> &rows) = 0;
    /// The report rows whose device is watched after its run (a watchUntil is set), of every schedule.
    virtual quint32 queryWatchedOtaScheduleReports(QList<VelkOtaScheduleReport> &rows) = 0;
    virtual quint32 queryAllAutoTestSchedule(QList<VelkAutoTestSchedule> &schedules) = 0;
    virtual quint32 queryAutoTestScheduleReportByAutoTestSchedule(const VelkAutoTestSchedule &schedule,
                                                                  QList<VelkAutoTestScheduleReport> &rows) = 0;

    // --- Panel users, settings, user devices ----------------------------------------------
    virtual quint32 queryAllMultiUser(QList<VelkMultiUser> &users) = 0;
    virtual quint32 createMultiUserAdmin(VelkMultiUserAdmin &admin) = 0;
    virtual quint32 deleteMultiUserAdmin(quint32 maid) = 0;
    virtual quint32 updateMultiUserAdmin(VelkMultiUserAdmin &admin) = 0;
    virtual quint32 queryMultiUserAdmin(QList<VelkMultiUserAdmin> &admins) = 0;
    virtual quint32 queryMultiUserByIFP(QList<VelkMultiUser> &users, quint32 deviceId) = 0;
    virtual quint32 createUserDevice(VelkUserDevice &userDevice) = 0;
    virtual quint32 deleteUserDevice(quint32 userId, quint32 deviceId) = 0;
    virtual quint32 updateUserDevice(VelkUserDevice &userDevice, QString deviceName, quint32 userId) = 0;
    /// Writes the status and the time into every assignment of the device with that did (a device without
    /// assignments is no error).
    virtual quint32 updateUserDeviceSyncStatus(quint32 deviceId, int syncStatus, QString lastSyncTime) = 0;
    virtual quint32 queryUserDevice(QList<VelkUserDevice> &userDevices, int order) = 0;
    /// Appends who is on which device: udid, multiUserId and deviceId of every assignment to a device that exists, in
    /// udid order; status and time stay empty. What a synchronisation run reads, at a fraction of the cost of the
    /// whole rows joined with the device names and sorted by time.
    virtual quint32 queryUserDeviceLinks(QList<VelkUserDevice> &userDevices) = 0;

    /// Appends the device with that did (every column filled); an unknown id appends nothing.
    virtual quint32 queryIFPById(QList<VelkIFPDevice> &devices, quint32 did) = 0;
    virtual quint32 queryUserDeviceByIds(QList<VelkUserDevice> &userDevices, quint32 userId, quint32 deviceId) = 0;

    // --- Broadcasts (queries) -------------------------------------------------------------
    virtual quint32 queryBroadcastByStatus(VelkBroadcast::Status status, QList<VelkBroadcast> &broadcasts) = 0;
    virtual quint32 queryBroadcastReportByBroadcast(const VelkBroadcast &broadcast,
                                                    QList<VelkBroadcastReport> &rows) = 0;

    /// Rewrites all six columns of the account selected by aid. DB_BAD_ARGUMENT for an empty
    /// password, DB_ROW_NOT_FOUND for an unknown aid.
    virtual quint32 updateAccount(VelkAccount &account) = 0;

    // --- Panel users, apps and permissions ------------------------------------------------
    virtual quint32 deleteMultiUser(quint32 muid) = 0;
    virtual quint32 updateMultiUser(VelkMultiUser &user) = 0;
    virtual quint32 queryMultiUserByRfid(QList<VelkMultiUser> &users, QString rfidId) = 0;
    virtual quint32 queryMultiUserByName(QList<VelkMultiUser> &users, QString userName) = 0;
    virtual quint32 createAppPermission(VelkAppPermission &permission) = 0;
    virtual quint32 deleteAppPermission(quint32 userId, quint32 appId) = 0;
    virtual quint32 queryAllAppPermission(QList<VelkAppPermission> &permissions) = 0;
    virtual quint32 queryAppPermission(QList<VelkAppPermission> &permissions, quint32 userId, quint32 appId) = 0;
    /// Appends the permissions of every user assigned to the device with that did, by user and then
    /// app: what one panel's account file needs, without reading every user's permissions.
    virtual quint32 queryAppPermissionByIFP(QList<VelkAppPermission> &permissions, quint32 deviceId) = 0;
    /// grant 0 or more grants the app to the user, below 0 revokes it.
    virtual quint32 setAppPermissionByName(QString userName, QString packageName, int grant) = 0;
    virtual quint32 createAppInfo(VelkAppInfo &app) = 0;
    virtual quint32 deleteAppInfo(QString packageName) = 0;
    virtual quint32 queryAllAppInfo(QList<VelkAppInfo> &apps) = 0;

    // --- Devices and groups (writes) ------------------------------------------------------
    /// Inserts a device. DB_DEVICE_NAME_EXISTS when the name is taken (letter case ignored),
    /// DB_MAC_EXISTS when a non-empty MAC address is taken. The new did is not written back.
    virtual quint32 createIFPDevice(VelkIFPDevice &device) = 0;
    /// Deletes the device named deviceName with its group, schedule, OTA, broadcast and
    /// auto-test links and report rows. DB_ROW_NOT_FOUND when there is no such device.
    virtual quint32 deleteIFPDevice(VelkIFPDevice &device) = 0;
    /// Rewrites every stored column of the row selected by did.
    virtual quint32 updateIFPDeviceById(VelkIFPDevice &device) = 0;
    /// Rewrites every stored column of the row selected by deviceName (letter case ignored).
    virtual quint32 updateIFPDevice(VelkIFPDevice &device) = 0;
    /// Inserts a user allowed every app, in one transaction; the new key goes to user.muid. An empty
    /// uniqueId is stored as a new one (the record keeps it empty).
    virtual quint32 createMultiUser(VelkMultiUser &user) = 0;
    /// Renames a device. DB_ROW_NOT_FOUND for an unknown old name, DB_DEVICE_NAME_EXISTS when
    /// the new name is taken (letter case ignored).
    virtual quint32 changeIFPDeviceName(const QString &oldName, QString newName) = 0;
    /// Inserts a group. DB_GROUP_NAME_EXISTS when the name is taken (letter case ignored).
    virtual quint32 createGroups(VelkGroups &group) = 0;
    /// Deletes the group named groupName with its device, schedule, OTA and broadcast links.
    virtual quint32 deleteGroups(VelkGroups &group) = 0;
    /// Gives the stored group name that matches name (letter case ignored) the letter case of name.
    virtual quint32 changeGroupsNameNoCase(const QString &name) = 0;
    /// Renames a group. DB_ROW_NOT_FOUND / DB_GROUP_NAME_EXISTS as changeIFPDeviceName.
    virtual quint32 changeGroupsName(const QString &oldName, QString newName) = 0;
    /// Puts the device into the group (both found by name); writes did and gid back into the
    /// records. Already a member: DB_OK without writing.
    virtual quint32 joinGroups(VelkIFPDevice &device, VelkGroups &group) = 0;
    /// Takes the device out of the group (both found by name); writes did and gid back.
    virtual quint32 disjoinGroups(VelkIFPDevice &device, VelkGroups &group) = 0;

    // --- Device-control schedules ---------------------------------------------------------
    virtual quint32 createSchedule(VelkSchedule &schedule) = 0;
    virtual quint32 createGroupsSchedule(VelkSchedule &schedule, QList<VelkGroups> &groups) = 0;
    virtual quint32 createIFPSchedule(VelkSchedule &schedule, QList<VelkIFPDevice> &devices) = 0;
    virtual quint32 deleteSchedule(VelkSchedule &schedule) = 0;
    virtual quint32 writeGroupsSchedule(VelkSchedule &schedule, QList<VelkGroups> &groups) = 0;
    virtual quint32 writeIFPSchedule(VelkSchedule &schedule, QList<VelkIFPDevice> &devices) = 0;
    virtual quint32 writeSchedule(VelkSchedule &schedule) = 0;
    virtual quint32 writeAllSchedule(VelkSchedule &schedule) = 0;

    // --- OTA reminders, schedules and reports ---------------------------------------------
    virtual quint32 insertOtaReminder(VelkOtaReminder &reminder) = 0;
    virtual quint32 updateOtaReminder(VelkOtaReminder &reminder) = 0;
    virtual quint32 deleteAllOtaReminder() = 0;
    /// Marks the reminder rows of that model and newest version skipped, whichever rows hold them when it runs (their
    /// orids change each time a version check replaces the rows). No such row is no error.
    virtual quint32 skipOtaReminderVersion(const QString &modelName, const QString &version) = 0;
    virtual quint32 insertOtaSchedule(VelkOtaSchedule &schedule) = 0;
    virtual quint32 updateOtaSchedule(VelkOtaSchedule &schedule) = 0;
    virtual quint32 updateOtaScheduleState(VelkOtaSchedule &schedule) = 0;
    /// Sets schedule.status, and nothing else, on the schedule of schedule.osid only while its status is still `from`
    /// and it starts at the record's date and time: for a state that may be written late (held while another program
    /// held the database), so that what was changed since stands, its enable flag, a move or a reschedule by the
    /// operator. `set` tells whether it was written. DB_ROW_NOT_FOUND when there is no such schedule.
    virtual quint32 updateOtaScheduleStatusIf(VelkOtaSchedule &schedule, int from, bool &set) = 0;
    virtual quint32 deleteOtaSchedule(VelkOtaSchedule &schedule) = 0;
    /// DB_ROW_NOT_FOUND, inserting nothing, when the schedule is gone: no row outlives its schedule.
    virtual quint32 insertOtaScheduleReport(VelkOtaSchedule &schedule, QList<VelkIFPDevice> &devices) = 0;
    virtual quint32 updateOtaScheduleReport(VelkIFPDevice &device, VelkOtaSchedule &schedule, int status) = 0;
    virtual quint32 deleteRelatedOtaScheduleReport(VelkOtaSchedule &schedule) = 0;
    /// Sets the watchUntil of the device's row in the schedule (VelkOtaScheduleReport); an empty text clears it. A
    /// row that is gone is no error.
    virtual quint32 updateOtaScheduleReportWatch(quint32 osid, quint32 did, const QString &until) = 0;

    // --- Auto-test schedules and reports --------------------------------------------------
    virtual quint32 insertAutoTestSchedule(VelkAutoTestSchedule &schedule) = 0;
    virtual quint32 updateAutoTestSchedule(VelkAutoTestSchedule &schedule) = 0;
    virtual quint32 updateAutoTestScheduleState(VelkAutoTestSchedule &schedule) = 0;
    /// Sets schedule.status, and nothing else, on the test of schedule.tsid only while its status is still `from` (any
    /// status for a negative `from`): for a run's state that may be written late (held while another program held the
    /// database). The state belongs to the run, whatever time and weekdays the test was given since for its next runs;
    /// a state written since stands. A later run's states come after the run's own, as held writes keep their order.
    /// `set` tells whether it was written. DB_ROW_NOT_FOUND when there is no such test.
    virtual quint32 updateAutoTestScheduleStatusIf(VelkAutoTestSchedule &schedule, int from, bool &set) = 0;
    virtual quint32 deleteAutoTestSchedule(VelkAutoTestSchedule &schedule) = 0;
    /// DB_ROW_NOT_FOUND, inserting nothing, when the schedule is gone; a device that is gone gets no row.
    virtual quint32 insertAutoTestScheduleReport(VelkAutoTestSchedule &schedule, QList<VelkIFPDevice> &devices) = 0;
    virtual quint32 updateAutoTestScheduleReport(VelkIFPDevice &device, VelkAutoTestSchedule &schedule, int status,
                                                 int notes) = 0;
    virtual quint32 deleteRelatedAutoTestScheduleReport(VelkAutoTestSchedule &schedule) = 0;

    // --- Broadcasts and reports -----------------------------------------------------------
    virtual quint32 insertBroadcast(VelkBroadcast &broadcast) = 0;
    virtual quint32 updateBroadcast(VelkBroadcast &broadcast) = 0;
    virtual quint32 updateBroadcastStatus(VelkBroadcast &broadcast) = 0;
    /// Sets broadcast.status on the broadcast of broadcast.bid only while it is still `from` and starts as the record
    /// does (date, time, repeat days, "now"): for a write that may run later, so that a change made in between, by the
    /// operator or another program, stands. `set` tells whether it was written. DB_ROW_NOT_FOUND when there is no
    /// such broadcast.
    virtual quint32 updateBroadcastStatusIf(VelkBroadcast &broadcast, VelkBroadcast::Status from, bool &set) = 0;
    virtual quint32 deleteBroadcast(VelkBroadcast &broadcast) = 0;
    /// One new row per device that exists. DB_ROW_NOT_FOUND when the broadcast does not exist.
    virtual quint32 insertBroadcastReport(VelkBroadcast &broadcast, QList<VelkIFPDevice> &devices) = 0;
    virtual quint32 updateBroadcastReport(VelkIFPDevice &device, VelkBroadcast &broadcast, int status, int note) = 0;
    /// Gives every report row of `from` to `to` (a repeating broadcast's run, to the completed copy that records it).
    /// DB_ROW_NOT_FOUND when `from` does not exist.
    virtual quint32 moveBroadcastReport(VelkBroadcast &from, VelkBroadcast &to) = 0;
    /// Deletes every report row of the broadcast; the broadcast itself stays.
    virtual quint32 deleteBroadcastReport(VelkBroadcast &broadcast) = 0;

    // --- Identifier, file, camera links, event log ----------------------------------------
    /// The identifier of this database ("{...}"); left unchanged when none is stored.
    virtual quint32 queryDatabaseIdentifierUniqueId(QString &uniqueId) = 0;
    /// Closes the main connection (before the file is replaced by a restore). Always DB_OK.
    virtual quint32 closeDatabase() = 0;
    /// The database file in use (the file a backup copies and a restore replaces).
    virtual QString databaseFilePath() const = 0;
    /// Sets the position column of the device with the record's did; an unknown did is DB_OK.
    virtual quint32 updateIFPDevicePosition(VelkIFPDevice &device, QString position) = 0;
    /// Sets the kick mark of the device with that did and nothing else, so that a mark written late (held while
    /// another program held the database) leaves whatever was changed in the record since as it is. An unknown did
    /// is DB_OK.
    virtual quint32 updateIFPDeviceKicked(quint32 did, bool kicked) = 0;
    /// Re-reads the camera-management program's database when it is open and copies the
    /// accounts, cameras and camera groups out; empty lists when that database is absent.
    virtual quint32 reloadPellmarDatabase(QList<PellmarAccount> &accounts, QList<PellmarDevice> &cameras,
                                          QList<PellmarGroup> &cameraGroups) = 0;
    virtual quint32 insertDeviceCameraMapping(VelkDeviceCameraMap &mapping) = 0;
    virtual quint32 queryDeviceCameraMapping(QList<VelkDeviceCameraMap> &mappings) = 0;
    virtual quint32 updateDeviceCameraMapping(VelkDeviceCameraMap &mapping) = 0;
    virtual quint32 deleteDeviceCameraMapping(int aid) = 0;
    virtual quint32 insertEventLog(VelkEventLog &event) = 0;
    /// The row of an SOS, for a caller that must never wait on the database: written as DbHeldWrites::writeLater()
    /// writes, and kept for a restore until it is written and its warning answered (eventLogForRestore()). Returns the
    /// row's number for eventLogAnswered().
    virtual quint64 insertEventLogLater(const char *context, const QString &what, const VelkEventLog &event) = 0;
    /// The warning of the SOS whose row insertEventLogLater() numbered is answered.
    virtual void eventLogAnswered(quint64 row) = 0;
    /// A restore begins (true) or ends (false). While it runs, every row handed to insertEventLogLater() is kept for
    /// it, written or not: written into the file the restore replaces, it was lost with that file.
    virtual void keepEventLogForRestore(bool keep) = 0;
    /// The rows of insertEventLogLater() that the restored file must get: those not written yet, those whose warning
    /// was open as the restore began, and those handed over since it began, in the order they came.
    virtual QList<VelkEventLog> eventLogForRestore() const = 0;
    virtual quint32 queryEventLog(QList<VelkEventLog> &events) = 0;
    virtual quint32 deleteEventLog(int did) = 0;

    // --- Change tracking --------------------------------------------------------------------
    /// A number that moves with every write to the panels' users, apps, app permissions, user-device assignments
    /// (which users a device has, not their synchronisation status) and multi-user settings, so that a caller may
    /// keep what it read of them for as long as the number stays. 0 while a transaction is open: what is read then
    /// may still be rolled back and must not be kept.
    virtual quint64 accountDataVersion() const = 0;
    /// The same for the devices: moves with every write to the device records (a device added, removed, renamed,
    /// or anything stored of it changed); 0 while a transaction is open.
    virtual quint64 deviceDataVersion() const = 0;

    // --- Transactions ---------------------------------------------------------------------
    /// Begins a transaction that the operations called while it is active join (see
    /// DbTransaction); a savepoint when one is already active. context names the caller in the
    /// log line of a failure. An inactive scope when the database is not open.
    virtual DbTransaction transaction(const char *context) = 0;
    /// A transaction for reads only, so that they see one state of the database: unlike transaction(), it begins
    /// without taking the write lock, and costs no wait while another program holds it.
    virtual DbTransaction readTransaction(const char *context) = 0;
    /// The writes this database refused for a passing reason, held to be written once it takes writes (see
    /// DbHeldWrites and DbWriteBatch). Never null.
    virtual DbHeldWrites *heldWrites() = 0;
    /// While writes are held, reads made while the returned scope lives wait briefly (see DbShortWait); an inactive
    /// scope otherwise.
    virtual DbShortWait shortWaitWhileWritesHeld() = 0;
    /// What made the last statement fail since the outermost transaction began (DbFailure::None when none did).
    /// Tells a write refused for what it wrote from one the database file refused, which every later write of the
    /// transaction would meet too: an import then stops whole instead of blaming the row it was at.
    virtual DbFailure lastFailure() const = 0;
    /// Whether the operation just made (the last one called, or the transaction last begun) failed for a reason that
    /// passes by itself: another program holds the database (even for reading, as an exclusive transaction or a VACUUM
    /// does), the disk is full, the file could not be read or written for now. False when it failed for a reason of
    /// its own, or did not fail. Ask it right after an operation failed: what a read refused that way would have
    /// returned is not known yet, never "nothing there", so the caller acts on what it already knows or tries again
    /// later, and neither gives up nor repeats what it did.
    virtual bool refusedForNow() const = 0;
};
