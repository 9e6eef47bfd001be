#pragma once

#include "datastore/UpdateStatus.h"
#include "datastore/VelkIFPDevice.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QSet>
#include <QString>

class CmdServer;
class HttpDownloader;
class QTimer;

/// One device family's upgrader: knows where the family's newest firmware is announced, how it compares versions,
/// which file goes to which device and how many devices it updates at once. The update manager owns the per-device
/// timers, the wake-up and power-off, the report rows and the order in which upgraders run.
///
/// Contract with the manager:
/// - a version check (getOtaServerInfo or checkOldDeviceInfo) is answered exactly once, with foundOldDevices or
///   checkOtaVersionInfoFailed;
/// - a run (startRun) ends with exactly one upgradeFinished, also when there is nothing to do;
/// - every device handed over with appendNeedOtaDevice ends the run with a report: Failed, Successfully when it
///   was up to date already, or lastStepInstalled when it installed the last step of its route (the manager
///   reports it once it is judged);
/// - removeDeviceTimeout is emitted for a device before another time-out is asked for it.
///
/// The version-check devices are the upgrader's own copies; the run devices are the caller's records, which the
/// upgrader writes (OTA-run state, and the firmware version after a successful step) but never owns.
class IFPUpgrade : public QObject
{
    Q_OBJECT
public:
    explicit IFPUpgrade(QObject *parent = nullptr);
    ~IFPUpgrade() override;

    /// The family's download folder: the OTA folder followed by the family's sub-folder.
    virtual void setDownloadFolder(const QString &otaFolder) = 0;
    /// Compares the devices of the check with the newest versions already known; answers before it returns.
    virtual void checkOldDeviceInfo() = 0;
    /// Fetches the family's announcement from its server; answers when the downloads have ended.
    virtual void getOtaServerInfo() = 0;
    /// Offers a device of the family for version checks; the upgrader keeps a copy when it can update it: a
    /// version of four fields not below minRemoteOtaVersion (each refusal logged).
    void appendDeviceList(const VelkIFPDevice &device);
    /// The server check is being given up (the manager's watchdog): its downloads are dropped and no answer is
    /// expected any more.
    virtual void abandonCheck();
    virtual void cancelOta() = 0;
    virtual void transferFileComplete(const QString &mac, bool success, bool skipRetry) = 0;
    virtual void otaFinished(const QString &mac, bool success) = 0;
    /// The panel firmware version that goes with a newest firmware version; empty for families without one.
    virtual QString lookupPanelVersion(const QString &version) const;
    /// The family's version order: 1 when a is newer, -1 when older, 0 when equal.
    virtual int compareVersions(const QString &a, const QString &b) const = 0;

    /// The key of a device in a run: its time-outs and the upgraders' lists. The key its connection was held under
    /// (CmdServer::linkKey(): its MAC, or for a device known by its address alone "did:<n>", so that two such devices
    /// never share one) when the run took it (keepRunKeys()), kept until the run ends: a box known by its address
    /// alone whose card reports its MAC after a restart is held under that MAC from then on, and is the same device
    /// of the run all the same. Outside a run, the key its connection is held under now.
    static QString deviceKey(const VelkIFPDevice &device);
    /// The run key (deviceKey()) of the device whose connection is held under linkKey now, as the command server's
    /// signals name it; linkKey itself for a device of no run. The device a key belongs to is the one the command
    /// server holds under it now, so ask when the signal comes; a key a run took stays that device's.
    static QString runKeyOf(const QString &linkKey);
    /// A run takes these devices: their keys stay as they are now until forgetRunKeys().
    static void keepRunKeys(const QList<VelkIFPDevice *> &devices);
    static void forgetRunKeys();

    /// Starts the run over the devices handed over; the family's startOta does the work.
    void startRun();
    /// Cancels the run (the family's cancelOta); nothing is emitted, now or later.
    void cancelRun();
    bool isRunning() const { return m_running; }

    // --- devices that restart after installing a step ------------------------------------------------------------
    // A device that installed a step of its route may restart: it drops its connection and comes back with the
    // new version. Its next step waits for it (waitForReturn asks the manager for the wake time-out) instead of
    // going to a device that is down; it goes on only when it reports the version the step installed.
    // A device whose connection drops while it installs, whatever its step, is judged by what it reports, never by
    // the drop: a link that went down (a roam, a switch restarting, the console's own idle close of an agent
    // blocked while it writes its image) leaves it installing on. Its step's own result wait runs on, away and
    // back, and its result decides wherever it comes. Back at the step's version, the step is done; at any version
    // but the one the step started from, it fails at that version. Back at the version the step started from it may
    // still be installing: its result, or the end of its wait, decides. Only a START that an earlier step's restart
    // may have swallowed, and that the device never answered, is sent once more.
    // A step a return showed installed may still see its own result come: the device's next step waits for it a
    // moment (setLateResultWait()), so that it is never taken for the next step's.
    /// The connection of a run device dropped.
    void deviceDisconnected(const QString &mac);
    /// A run device connected again, reporting these versions.
    void deviceReturned(const QString &mac, const QString &fwVersion, const QString &panelFwVersion);
    /// A device waited for did not come back in time.
    void deviceNotReturned(const QString &mac);
    /// A device's installation result (or its result wait ended: false). One that comes for a step its return
    /// already showed installed is that step's, not counted.
    void installationResult(const QString &mac, bool success);
    /// A device reported progress: its installation answered its start command.
    void installationAnswered(const QString &mac);
    /// The console deleted a device of the run: it leaves the run now, however far it got (an upgrader that has
    /// not started yet just forgets it). Its report row is gone; the manager writes nothing more for it.
    void removeDevice(VelkIFPDevice *device);

    void setModelName(const QString &name) { modelName = name; }
    void setDownloadPath(const QString &otaFolder, const QString &subFolder) { downloadFolder = otaFolder + subFolder; }
    void setDownloader(HttpDownloader *downloader);
    /// Base addresses of the update and the download server for the next server check; empty when unknown.
    void setServers(const QString &updateServer, const QString &downloadServer);
    /// The result time-outs asked for after a start command: OS or box package alone, and with the panel image.
    void setResultTimeouts(int packageMs, int withImageMs);
    /// How long a step a return showed installed waits for its own result before the device's next step goes on.
    void setLateResultWait(int ms) { lateResultMs = ms; }
    QString getModelName() const { return modelName; }
    QString getDownloadFolder() const { return downloadFolder; }
    void clearDeviceList();
    /// The check has devices of this family to compare (those appendDeviceList kept).
    bool hasDevices() const { return !deviceList.isEmpty(); }
    void appendNeedOtaDevice(VelkIFPDevice *device) { needOtaDeviceList.append(device); }
    /// The newest versions known, sorted.
    QStringList getVersionHash() const;

signals:
    void checkOtaVersionInfoFailed();
    void foundOldDevices(QList<VelkIFPDevice *> &oldDeviceList);
    void updateDevicesStatus(QList<VelkIFPDevice *> deviceList, UpdateStatus status);
    void updateDeviceStatus(VelkIFPDevice *device, UpdateStatus status);
    void upgradeFinished();
    void removeDeviceTimeout(QString deviceMacAddress);
    void setupOtaResultTimeout(QString deviceMacAddress, int timeoutMillis);
    /// A device that installed a step restarts: the manager arms the wake time-out for it.
    void waitForReturn(QString deviceMacAddress);
    /// A device installed the last step of its route. Its row stays Updating: it may still restart, and the
    /// manager judges it by the version it reports when back, or as Successfully at the run's end when it never
    /// went away.
    void lastStepInstalled(VelkIFPDevice *device);

protected slots:
    virtual void downloadFinished(QString filename, bool success) = 0;

protected:
    /// The run over needOtaDeviceList; also called again by the family when a batch or a pass is over.
    virtual void startOta() = 0;
    /// Emits upgradeFinished once per startRun, however many ends a family's paths reach.
    void finishRun();
    /// Fails one device of the run: OTA-run state 7 and its report row Failed.
    void failDevice(VelkIFPDevice *device);
    /// Fails every device still in the run (the batch, the waiting devices and those of later passes), so that no
    /// report row is left "Updating" when a run stops early.
    void failRemaining(QList<VelkIFPDevice *> batch, const QList<VelkIFPDevice *> &others);
    /// The first device of the list with that key (deviceKey()), or null.
    static VelkIFPDevice *findDevice(const QList<VelkIFPDevice *> &devices, const QString &mac);

    // --- batches: at most maxOtaDeviceCount devices at a time, the others waiting for a place -----------------------
    /// The first devices form the batch, the rest wait; the batch is reported Updating, its resend counts reset.
    void formBatch(const QList<VelkIFPDevice *> &devices);
    /// The batch device with that MAC address in that OTA-run state, or null (logged with `notFound` and the MAC).
    VelkIFPDevice *batchDevice(const QString &mac, int state, const char *notFound) const;
    /// The first waiting device joins the batch, is reported Updating and is sent `filePath`; null when none waits.
    VelkIFPDevice *admitWaiting(const QString &filePath);
    /// The end of one transfer of `filePath` to a batch device (the package alone): success starts the
    /// installation; a failure is sent again up to maxTransferRetryCount times unless `skipRetry`; then the device
    /// fails through otaFinished.
    void transferEnded(const QString &mac, bool success, bool skipRetry, const QString &filePath);
    /// A batch device's installation ended: it leaves the batch (at `newVersion` on success), the first waiting
    /// device is sent `filePath`, and once the batch is empty the file is removed and the next pass starts.
    void installationEnded(const QString &mac, bool success, const QString &newVersion, QString &filePath);
    /// A device's step ended: it failed, reached the newest version, or waits for its next step.
    void finishStep(VelkIFPDevice *device, bool success, const QString &newVersion);
    /// Ends the run early: every device still in it fails, `filePath` is removed, upgradeFinished is emitted.
    void stopRun(QString &filePath);
    /// Cancels the run's transfers and downloads, forgets its devices and removes `filePath`.
    void dropRun(QString &filePath);
    /// Looks up and forgets the request of a finished download; false (logged) when it was not asked for here.
    bool takeRequest(const QString &filename, bool success, int *kind);
    /// Answers the version check with an empty list when there is no device to check; true when it did.
    bool answeredWithoutDevices();
    /// Sends the start command and asks for the result time-out; a device whose connection is gone fails at once
    /// (no result can come, and it would hold its place in the batch for ever), unless it is restarting after a
    /// step: then it is waited for.
    void startInstallation(VelkIFPDevice *device, int upgradeType);
    /// Sends a batch device the file of its step, unless it is away restarting (it gets it when it is back). A
    /// device whose connected panel reports another model than the family's gets no file: its transfer fails, without
    /// a retry.
    void sendStepFile(VelkIFPDevice *device, const QString &filePath);
    /// A device back from its restart at the right version, in the batch: its step's files go to it from the start.
    virtual void resumeDevice(VelkIFPDevice *device) = 0;
    /// The version the step being installed brings; a device back at it after dropping while installing took it.
    virtual QString stepVersion() const { return currentDeltaNewVersion; }
    /// A device leaves the run's lists of the family (not the batch, which otaFinished handles).
    virtual void forgetDevice(VelkIFPDevice *device);
    /// Cancel: the transfers to batch devices and the downloads asked for. A running download keeps its request,
    /// so its announcement is still recognised (and its file removed).
    void cancelTransfersAndDownloads();
    /// Drops the check's downloads (kind `versionKind`): the watchdog gave up on them.
    void dropVersionRequests(int versionKind);
    /// Asks for a firmware file of the run (request kind `kind`) under a local name of its own, to be sent to the
    /// devices as `sentAs`. Every request has its own file, so a later request never rewrites a file while it is
    /// sent, and a completion names the request that asked for it. Empty when the downloader refused.
    QString requestFile(const QString &url, const QString &sentAs, qint64 expectedSize, qint64 maxSize, int kind);
    /// Forgets the firmware-file requests of that kind (-1: of every kind) and stops their downloads: what they
    /// would still bring belongs to no group or pass any more.
    void dropFileRequests(int kind = -1);
    /// Deletes a firmware file of this upgrader, logging "remove unused file: %s" when it was there.
    void removeUnusedFile(const QString &path);
    /// The name a file is sent under: the name it was asked for, else the part of its local path after the last "/".
    QString sentName(const QString &path) const;
    CmdServer *cmdServer() const;

    HttpDownloader *downloader = nullptr;
    QMap<QString, int> requests; ///< local path of every download asked for and not yet heard of -> its kind
    QString downloadFolder;
    QString modelName;
    QString newestFwVersion;
    QSet<QString> versionHash;
    QList<VelkIFPDevice *> deviceList; ///< own copies, deleted by clearDeviceList
    QList<VelkIFPDevice *> needOtaDeviceList;
    QString currentDeltaNewVersion;
    QString updateServer;
    QString downloadServer;
    QString minRemoteOtaVersion; ///< the lowest firmware that can be updated remotely
    int resultTimeoutMs = 600000;
    int resultWithImageTimeoutMs = 1200000;
    int lateResultMs = 15000;

    int maxOtaDeviceCount = 3;
    QList<VelkIFPDevice *> currentOtaDeviceList; ///< the batch
    QList<VelkIFPDevice *> waitingOtaDeviceList; ///< devices of the pass waiting for a place in the batch
    int maxTransferRetryCount = 2;
    QMap<QString, int> transferRetryCount; ///< resends made to each batch device

private:
    /// The device is away restarting after a step: OTA-run state 1 until it is back.
    void awaitReturn(VelkIFPDevice *device);
    /// A device that did not come back as expected fails and leaves the run, its row at the version it last
    /// reported (the one it came back with, when it came back).
    void abandonDevice(VelkIFPDevice *device);
    void forgetRestarts();
    /// Forgets what the run noted of one device: its restart, its drop, its resend, its answers, a result awaited.
    void forgetMarks(const QString &mac);
    /// Back from a drop while it installed, at fwVersion: judged by that version, or left to its result.
    void returnedInstalling(VelkIFPDevice *device, const QString &fwVersion, const QString &panelFwVersion);
    /// The step a return showed installed may still see its result: the device's next step waits lateResultMs.
    void awaitLateResult(const QString &mac);
    /// The wait for a late result is over: the device's next step goes on.
    void endLateResultWait(const QString &mac);
    void dropLateResultWait(const QString &mac);

    bool m_running = false;
    QSet<QString> m_stepped;               ///< run devices that installed a step and have steps left
    QSet<QString> m_resent;                ///< of those, sent their current step a second time
    QSet<QString> m_droppedInstalling;     ///< run devices away since their connection dropped after their step's START
    QSet<QString> m_answered;              ///< run devices that reported progress since their last START
    QHash<QString, QTimer *> m_lateResult; ///< devices whose step their return showed installed, its result awaited
    quint64 m_fileSerial = 0;
    QHash<QString, QString> m_sentNames; ///< local path of every firmware file asked for -> the name it is sent as
};
