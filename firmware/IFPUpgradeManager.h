#pragma once

#include "datastore/UpdateStatus.h"
#include "datastore/VelkIFPDevice.h"
#include "datastore/VelkOtaSchedule.h"
#include "firmware/OtaTimeouts.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

class Clock;
class CmdServer;
class HttpDownloader;
class IFPUpgrade;
class OtaAfterRunWatch;
class OrvantaDBIntf;
class QTimer;

/// The process-wide firmware update manager.
///
/// Version checks: checkCurrentOtaVersionInfo() hands every managed device to the upgrader of its model and lets
/// every upgrader compare it with the newest firmware it knows (case 1 asks the servers first, cases 2 to 6 use
/// what is already known). Case 1 ends in the update reminder (showUpgradeNotificationTopButton,
/// showUpgradeNotification); cases 2 to 6 end in otaVersionChecked(case), emitted exactly once for every
/// accepted request, also when the check failed: getOldDevicesCount() is then -1. A check fails when every
/// family failed, or when every family that has devices to check failed. A server check that cannot
/// finish (a server that never answers) ends as failed after OtaTimeouts::serverCheckMs.
///
/// Runs: startOta() wakes the devices that are off, asks every device whether it can take an update, hands those
/// that can to the upgraders, which run one after another, writes every device's progress into the schedule's
/// report rows (otaScheduleReportUpdated) and ends with otaScheduleFinished(), once. Every wait of a run has a
/// time-out, so every device ends Successfully or Failed and the run always ends. A device that installed the last
/// step of its route keeps its row Updating until it is judged: by the version it reports when it is back from its
/// restart (the run's end waits for it, at most the wake time-out), as Failed when it does not come back, or as
/// Successfully at the run's end when it never went away. It is watched until the run ends: a device judged
/// Successfully that goes away again is Updating again until it is back and judged anew (an A/B firmware may come
/// back at its old version), and a device judged Failed stays Failed for the run, its row naming the version it
/// reports last. So the rows are final when otaScheduleFinished() tells the caller to read them, and a run cut
/// short by an exit leaves no row claiming a success nobody saw kept. A device that did not come back names in its
/// row the version it reported last, not the one it installed and was never seen running.
/// A device that ends its run Successfully is watched on for the wake time-out after the run (OtaAfterRunWatch, which
/// keeps the wait in its report row, so a console started again within it watches on: takeUpStoredWatches()): back
/// at another version than it installed, its row becomes Failed at that version and endedRunDeviceFailed() tells the
/// caller, whose schedule result and reminder follow; back at what it installed while the last check counted it out
/// of date (it came back after the check that closed its run), a local check runs again, so the reminder follows.
/// A device the console deletes during a run leaves it at once (deviceRemoved).
/// The rows and the reminders are written through DbWriteBatch: what the database refuses for a while (another program
/// holds it, its disk is full) is held and written in order once it takes writes, and the run goes on meanwhile, so
/// the rows may lag behind the run; getLastRunRows() says what they will say.
///
/// Everything runs in the GUI thread; the manager reaches the panels only through CmdServer and the database only
/// through OrvantaDBIntf.
class IFPUpgradeManager : public QObject
{
    Q_OBJECT
public:
    /// Why a version check runs.
    enum CheckCase
    {
        CASE_NONE = 0,
        CASE_SERVER = 1,        ///< start-up, daily, "Remind Me Later": ask the servers; ends in the reminder
        CASE_ADD_SCHEDULE = 2,  ///< before the editor opens for a new schedule
        CASE_SHOW_OTA_PAGE = 3, ///< the firmware-update page is opened
        CASE_RUN_DUE = 4,       ///< an OTA schedule is due
        CASE_RUN_ENDED = 5,     ///< after a run: withdraws the reminder when nothing is out of date any more
        CASE_EDIT_SCHEDULE = 6, ///< before an existing OTA schedule opens for editing
    };

    /// Creates the manager (and through it the command server) on the first call; the same object after.
    static IFPUpgradeManager *getInstance();

    // --- runs ---------------------------------------------------------------------------------------------------
    /// Starts a run of `schedule` over the devices. The caller keeps the schedule and the device records alive and
    /// otherwise untouched until otaScheduleFinished() or cancelOta(); the manager writes their OTA-run state and,
    /// after a successful update, their firmware version. The schedule's report rows (one per device, status 1)
    /// must exist. A call while a run is running is dropped; an empty list ends at once with
    /// otaScheduleFinished().
    void startOta(VelkOtaSchedule *schedule, QList<VelkIFPDevice *> &deviceList);
    /// Stops the running run without otaScheduleFinished(). The woken devices are powered off again, except those
    /// that may be installing firmware: installing at that moment, or whose installation result never came (also
    /// at the end of a run).
    void cancelOta();
    /// The console deleted this device (matched by its database id): it leaves the running run at once, and the
    /// run neither waits for it nor holds the other devices of its batch for it. Its report row went with it, so
    /// nothing more is written for it, also when its run has ended and it is still watched. Nothing happens when
    /// the device is in no run and not watched.
    void deviceRemoved(const VelkIFPDevice &device);
    /// Watches on the devices that the report rows say are watched after their run, as a console starting anew: the
    /// watches held so far are replaced by what the rows keep. Call once at start, before the first run.
    void takeUpStoredWatches();
    /// True while a run is running or a check for a due run (case 4) is under way.
    bool isOtaRunning() const;
    /// The id of the running run's schedule, 0xFFFFFFFF when none runs.
    quint32 getCurrentOtaScheduleId() const;
    /// The status the last run gave each of its report rows, by device id (Not Started for a row it never wrote), until
    /// the next run starts; a device deleted during the run has no row. What the rows say once every write of the run
    /// is in the database, which may hold them back for a while (DbHeldWrites): a write lost for a reason of its own
    /// leaves its row's earlier status here as well.
    QHash<quint32, UpdateStatus> getLastRunRows() const { return lastRunRows; }

    // --- version checks -----------------------------------------------------------------------------------------
    /// Starts a check for the reason given (CheckCase). Returns false when the request was dropped: a check is
    /// under way, a server check was asked for during a run, or the case is unknown; no answer follows then. When
    /// another program holds the database so that the devices cannot be read, the check takes them as last read; it
    /// is dropped too when none was read yet.
    bool checkCurrentOtaVersionInfo(int checkOtaVersionCase);
    /// The out-of-date devices of the last check; -1 before the first check has ended, while one runs, and when
    /// the last one failed (every family, or every family with devices).
    int getOldDevicesCount() const;
    /// Copies of the out-of-date devices of the last check, in upgrader order.
    QList<VelkIFPDevice> getOldDeviceList() const { return allOldDeviceList; }
    QSet<QString> getOldDeviceModelNameSet() const { return oldDeviceModelNameSet; }
    /// The newest firmware versions known for that model, joined by ", "; empty when none is known.
    QString getNewestFwVersionText(const QString &modelName) const;

    // --- reminders (the main frame's reminder bar) ----------------------------------------------------------------
    /// "Skip This Version": the models now named are not named again until a newer version is announced.
    void upgradeNotificationSkip();
    /// "Remind Me Later": a server check again in 15 minutes.
    void upgradeNotificationRemind();

    // --- seams ----------------------------------------------------------------------------------------------------
    void setTimeouts(const OtaTimeouts &timeouts);
    OtaTimeouts timeouts() const { return m_timeouts; }
    /// The clock of the daily check and of "Remind Me Later"; the system clock by default.
    void setClock(Clock *clock);
    /// The OTA folder: the data folder followed by "/OTA/".
    QString getOtaFolder() const { return otaFolder; }

signals:
    void otaVersionChecked(int checkOtaVersionCase);
    void showUpgradeNotificationTopButton(bool show);
    void showUpgradeNotification(bool show, QString title);
    /// The reminder names fewer models than when it was shown: a later check found the others up to date. Its
    /// visibility stays as it is.
    void upgradeNotificationTitleChanged(QString title);
    void otaScheduleReportUpdated();
    void otaScheduleFinished();
    /// A device of a run that has ended came back at another version than it installed: its report row of the
    /// schedule `osid` is Failed now, at the version it runs.
    void endedRunDeviceFailed(quint32 osid);

private:
    /// One per-device time-out of a run.
    struct DeviceTimer
    {
        enum Kind
        {
            StateAnswer,
            Wake,
            Transfer,
            TransferComplete,
            InstallResult,
            Return ///< a device restarting after a step of its route
        };
        QString deviceMacAddress;
        QTimer *timer = nullptr;
        Kind kind = StateAnswer;
        // A transfer's timer is not restarted for every chunk: the chunk's time is noted here (ms of resetClock) and
        // the timer, when it fires, runs on for the rest of its interval from then. -1: no chunk since it started.
        qint64 resetAtMs = -1;
        int intervalMs = 0;
    };

    /// A device of the run that installed the last step of its route: judged by every return until the run ends.
    struct LastStepWatch
    {
        VelkIFPDevice *device = nullptr;
        UpdateStatus row = UPDATE_UPDATING; ///< what its report row says; Failed stays Failed for the run
    };

    IFPUpgradeManager();
    ~IFPUpgradeManager() override;

    void addUpgrader(IFPUpgrade *upgrader);
    /// The first upgrader of that model key, or null.
    IFPUpgrade *upgraderFor(const QString &modelName) const;

    // Version checks
    void setDeviceList(const QList<VelkIFPDevice> &devices);
    void getOtaServerInfo();
    void checkLocalOtaInfo();
    void resetCheckCounts();
    void checkOtaVersionInfoFailed();
    void foundOldDevices(QList<VelkIFPDevice *> &oldDeviceList);
    // Counts one answer of the upgrader that sent it; false for a second or unexpected one.
    bool countAnswer(IFPUpgrade *upgrader);
    void endCheck();
    /// At least one family has devices to check, and every such family failed.
    bool everyFamilyWithDevicesFailed() const;
    void serverCheckExpired();
    void updateOldDeviceModelNameSet();
    void checkNotificationSetting();
    void showBadge(bool show);
    void followReminder();
    QString reminderTitle(const QStringList &models) const;
    void checkOtaVersionForNotification();
    void planClockTimer();
    void clockTick();

    // Runs
    void checkOtaStateResult(const QString &mac, bool canDoOta);
    void dispatch();
    void transferFileComplete(const QString &mac, bool success, bool skipRetry);
    void otaResult(const QString &mac, bool success);
    void updateDevicesStatus(QList<VelkIFPDevice *> deviceList, UpdateStatus status);
    void updateDeviceStatus(VelkIFPDevice *device, UpdateStatus status);
    /// Writes the report rows of those devices in schedule osid, in one batch; false when one was lost.
    bool writeRows(const char *context, const QList<VelkIFPDevice> &devices, quint32 osid, UpdateStatus status);
    void upgradeFinished();
    void endRun();
    /// Powers off the devices the run woke, except those that may still be installing.
    void powerOffWoken();
    void checkDeviceWoken(const QString &mac, const QString &model, const QString &fwVersion,
                          const QString &panelFwVersion);
    /// While the upgraders run: connections that drop and come back go to the running upgrader.
    void watchConnections();
    void deviceDisconnected(const QString &mac);
    void deviceReconnected(const QString &mac, const QString &fwVersion, const QString &panelFwVersion);
    void waitForReturn(const QString &mac);
    // Devices that installed the last step of their route: Updating until judged by their return, or at the end;
    // judged again by every later return while the run lasts.
    void lastStepInstalled(VelkIFPDevice *device);
    void lastStepDeviceAway(const QString &mac);
    void lastStepDeviceBack(const QString &mac, const QString &fwVersion, const QString &panelFwVersion);
    void lastStepDeviceNotBack(const QString &mac);
    /// After the last upgrader: the run ends, unless devices restarting after their last step are still away;
    /// then it ends when the last of them is judged. Those that never went away are Successfully then.
    void endRunWhenSettled();
    void clearLastStepWatch();
    /// A device watched after its run is back at what it installed: the reminder follows its version.
    void keptAfterRun(quint32 did);

    // Per-device time-outs
    QTimer *addDeviceTimer(const QString &mac, DeviceTimer::Kind kind, int ms);
    void deviceTimerExpired(QTimer *timer);
    void removeDeviceTimeout(const QString &mac);
    /// Every time-out of that device, not only the first.
    void removeDeviceTimeouts(const QString &mac);
    void clearDeviceTimers();
    void setupTransferFileTimeout(const QString &mac, int timeoutMillis);
    void resetTransferFileTimeout(const QString &mac);
    void setupTransferFileCompleteTimeout(const QString &mac, int timeoutMillis);
    void setupOtaResultTimeout(const QString &mac, int timeoutMillis);
    void resetOtaResultTimeout(const QString &mac);
    int indexOfTimer(const QString &mac) const;
    /// The key the connection of the run device with that run key (IFPUpgrade::deviceKey()) is held under now.
    QString linkKeyOf(const QString &mac) const;
    bool runIsLive() const { return !otaDeviceList.isEmpty() && !otaCancelled; }

    QString otaFolder;
    HttpDownloader *downloader = nullptr;
    CmdServer *cmdServer = nullptr;
    QList<IFPUpgrade *> upgradeList;
    QList<VelkIFPDevice *> otaDeviceList;
    QList<VelkIFPDevice> allOldDeviceList;
    QSet<QString> oldDeviceModelNameSet;
    OrvantaDBIntf *dbIntf = nullptr;
    QSet<QString> currentShowingDeviceModelNameSet;
    QSet<QString> serverNamedModels; ///< named by the last server check, less those skipped since
    /// The newest versions of each model as the last server check stored them in the reminder rows: what a skip
    /// marks, by model and version, whichever rows hold them when it is written.
    QHash<QString, QStringList> reminderVersions;
    /// The devices as the last check read them, for a check while the database cannot be read.
    QList<VelkIFPDevice> knownDevices;
    bool devicesKnown = false;
    QSet<QString> serverQuietModels; ///< offered newer by the last server check, with no device out of date then
    bool badgeShown = false;
    int checkOtaVersionCase = CASE_NONE;
    int answeredUpgraderCount = 0;
    int failedUpgraderCount = 0;
    bool allUpgradersFailed = false;
    bool checkCompletedOnce = false;
    QSet<IFPUpgrade *> answeredUpgraders;
    QSet<IFPUpgrade *> failedUpgraders;
    QTimer *serverCheckTimer = nullptr;

    Clock *m_clock = nullptr;
    QTimer *clockTimer = nullptr;
    QDateTime dailyCheckDue;
    QDateTime remindDue;

    int currentUpgradeIndex = 0;
    int currentUncheckedOtaStateDeviceCount = 0;
    VelkOtaSchedule *currentOtaSchedule = nullptr;
    bool otaCancelled = false;
    bool upgrading = false;
    QList<DeviceTimer> deviceTimerList;
    QList<VelkIFPDevice *> wokenDeviceList;
    QSet<QString> resultTimedOut;                  ///< devices of the run whose installation result never came
    QHash<QString, LastStepWatch> lastStepDevices; ///< watched until the run ends, by run key
    QSet<const VelkIFPDevice *> removedDevices;    ///< deleted by the console during the run: no row to write
    QHash<quint32, UpdateStatus> lastRunRows;      ///< see getLastRunRows()
    QSet<QString> awayAfterLastStep;               ///< those of them restarting: the run's end waits for them
    bool endWaitsForReturns = false;               ///< every upgrader has finished; the run ends once they're back
    OtaAfterRunWatch *afterRun = nullptr;          ///< devices that ended their run Successfully
    bool recheckAfterCheck = false;                ///< a device changed what it runs while a check read the devices
    QMetaObject::Connection wokenConnection;
    QList<QMetaObject::Connection> upgradeConnections;
    OtaTimeouts m_timeouts;
    QElapsedTimer resetClock;
};
