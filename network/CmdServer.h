#pragma once

#include "datastore/DbReadRetry.h"
#include "datastore/VelkBroadcast.h"
#include "datastore/VelkIFPDevice.h"
#include "network/ChannelQueue.h"
#include "network/NetworkConfig.h"
#include "network/PanelAdmission.h"
#include "network/RepeatedLines.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>

class AccountSyncCache;
class Clock;
class DeviceChannel;
class OrvantaDBIntf;
class QTcpServer;
class QTimer;

/// The process-wide command server: accepts the panels' TCP connections, runs their handshake, keeps one
/// DeviceChannel per connected panel keyed by its link key, and is the event bus between the panels and the console's
/// features. Operations that take a device find its connection by the device's link key (linkKey()); those that take
/// a text take that key, and answers and requests to arm or reset time-outs come back as signals carrying it, all
/// emitted on the GUI thread before the call that caused them returns.
///
/// The link key is the MAC of the device's record in the normal form, or "did:<n>" for a record that holds no MAC a
/// network card can have; no panel reports such a text, and it is never stored. A panel whose identity names a MAC
/// that no network card can have (PanelIdentity::macUsable) is matched by its address alone and held under the link
/// key of the device it matched, whose record takes the rest of its report; connectionState() of the MAC it reports
/// stays Offline. Its channel carries that key (DeviceChannel::getMacAddress()), so newConnection, channelDisconnect,
/// isDeviceOnline() and every operation reach it as any other panel. Its SOS goes by the did of its device
/// (safeAlertOfDevice, answered by stopSafeAlertOfDevice), as do connectionStateOfDevice() and
/// connectedAddressOfDevice(). Wake-on-LAN needs a MAC: canWake() says whether it can reach a device.
///
/// One device has one connection. A MAC names one panel, so a second connection under a device's MAC replaces the
/// first (a panel that reconnected before its old socket noticed). Which device of its address a panel matched by
/// address takes, and which holders are probed meanwhile (DeviceChannel::probe), PanelAdmission decides; the record
/// takes the model the panel reports, except that a panel taking a record that holds a MAC entered with it only fills
/// in what the record does not know (PanelAdmission::modelAndSku).
///
/// Created on the first getInstance() (with NetworkConfig::current()) and never destroyed.
class CmdServer : public QObject
{
    Q_OBJECT

public:
    enum ConnectionState
    {
        Offline,
        Connected,
        Locked,
    };
    Q_ENUM(ConnectionState)

    /// Creates the server on the first call, under a mutex of its own; never null.
    static CmdServer *getInstance();

    /// True when a connected (handshaken, not locked) channel is registered under the device's link key, whether its
    /// panel was matched by its MAC or by its address alone: what power off, reboot, a broadcast, an account
    /// synchronisation and a firmware update reach.
    bool isDeviceOnline(const VelkIFPDevice &device) const;
    bool isDeviceOnline(const VelkIFPDevice *device) const;

    /// True when Wake-on-LAN can reach the device: its record (the held one of the same did) holds a MAC a network
    /// card can have.
    bool canWake(const VelkIFPDevice &device) const;
    /// Wakes the devices that canWake() by Wake-on-LAN on a short-lived worker thread, by the MAC their held record
    /// holds; returns at once.
    void powerOn(QList<VelkIFPDevice> devices);
    /// VELK_REMOTE_CMD_POWER_OFF to every listed device that is online (isDeviceOnline), in list order.
    void powerOff(QList<VelkIFPDevice> devices);
    /// VELK_REMOTE_CMD_REBOOT to every listed device that is online (isDeviceOnline), in list order.
    void reboot(QList<VelkIFPDevice> devices);

    void checkOtaState(const VelkIFPDevice &device);
    void checkOtaState(QList<VelkIFPDevice *> &devices);
    /// The firmware operations find the device's connection by its link key, and their signals carry that key.
    /// Sets otaState to 4 and starts the chunked transfer; without a connection, or for a file that cannot be
    /// opened or is empty, asks for a 1000 ms completion time-out instead.
    void sendFile(VelkIFPDevice *device, QString localPath, QString fileName);
    void sendFile(QList<VelkIFPDevice *> &devices, QString localPath, QString fileName);
    /// 0 when VELK_REMOTE_CMD_START_OTA was sent (otaState set to 5), -1 without a connection (nothing changed).
    int sendStartOta(VelkIFPDevice *device, int upgradeType);
    /// Stops the running firmware transfer and sends the size text "0".
    void cancelFileTransfer(VelkIFPDevice *device);
    /// Stops the running firmware transfer and sends nothing.
    void cancelFileTransferByTimeout(QString mac);

    void sendBroadcastData(VelkIFPDevice *device, VelkBroadcast *broadcast, bool isWoken);
    void sendBroadcastFile(QString mac);
    void startBroadcast(VelkIFPDevice *device);
    void cancelBroadcastFileTransfer(VelkIFPDevice *device);
    void cancelBroadcastFileTransferByTimeout(QString mac);

    /// Starts the account synchronisation of every listed device whose connection is not already synchronising;
    /// returns their link keys (linkKey) in list order. With more than one device, what they all need is read once
    /// beforehand.
    QList<QString> checkAccountSync(QList<VelkIFPDevice> devices);
    void connectSyncReport(QString mac);
    void resetSyncingUserDevice(QString mac);

    /// VELK_REMOTE_CMD_STOP_SAFE_ALERT to the panel (connected or locked).
    void stopSafeAlert(QString mac);
    /// The same to the panel known by its address alone that matched the device with that did.
    void stopSafeAlertOfDevice(quint32 did);

    /// The password panels must report to connect; also sent to panels that report none.
    void setControlPassword(const QString &password);
    QString controlPassword() const { return m_controlPassword; }
    /// 0 when VELK_REMOTE_CMD_SET_PASSWORD was sent, -1 without a connection.
    int sendPassword(QString mac, QString password);

    /// The devices a panel must match to be admitted; the connected-device list keeps it current.
    void setManagedDevices(const QList<VelkIFPDevice> &devices);
    QList<VelkIFPDevice> managedDevices() const { return m_managedDevices; }
    /// Whether the managed devices are known: read from the database, or handed over by setManagedDevices(). A read
    /// the database refuses for now (another program holds the file exclusively as the server starts) leaves them not
    /// known yet, which is not "none is managed": a panel that identifies itself meanwhile waits for its answer, and
    /// the server reads again after a pause (setRetryIntervalMs()) until it knows them. The control password and the
    /// console's id, read at the start as well, are waited for the same way.
    bool managedDevicesKnown() const { return m_managedKnown; }
    /// The pauses before the server reads again what its handshakes and account synchronisations need and the
    /// database refused: the first, and the longest as they double (DbReadRetry's; tests shorten them).
    void setRetryIntervalMs(int first, int longest);
    /// Closes the connection (connected or locked) of that MAC.
    void disconnectDevice(QString mac);
    ConnectionState connectionState(QString mac) const;
    /// The connection of the panel known by its address alone that matched the device with that did; Offline for
    /// every other device.
    ConnectionState connectionStateOfDevice(quint32 did) const;
    /// The address the panel with that MAC connected from (connected or locked); empty without a connection.
    QString connectedAddress(const QString &mac) const;
    /// The same for the panel known by its address alone that matched the device with that did.
    QString connectedAddressOfDevice(quint32 did) const;
    /// The connected channel of that MAC (or link key), or null.
    DeviceChannel *getChannel(QString mac) const;
    /// The key under which the device's connection is held and its signals come: its MAC in the normal form, or
    /// "did:<n>" when its record holds no MAC a card can have; the held record of the same did decides, as it knows
    /// what handshakes reported and edits changed since the caller read its copy. Empty for a record without a MAC
    /// and without a did.
    QString linkKey(const VelkIFPDevice &device) const;
    /// The database identifier handed to panels.
    QString consoleId() const { return m_consoleId; }
    /// The same as UTF-8, as the first-sync question carries it to every panel.
    QByteArray consoleIdUtf8() const { return m_consoleIdUtf8; }
    /// The clock the connections' time-outs count on (Clock::system() unless set): the handshake, keep-alive, idle
    /// and probe time-outs, and how long a repeated refusal is said once. Set it before panels connect; tests hand a
    /// ManualClock and move it. When it jumps, the time-outs are looked at again only if its elapsed reading moved
    /// (Clock::elapsedMovedMs): a step of the wall clock alone touches no timer.
    void setClock(Clock *clock);
    Clock *clock() const { return m_clock; }
    /// The listening port (useful when NetworkConfig::tcpPort is 0); 0 while not listening.
    quint16 serverPort() const;
    const NetworkConfig &config() const { return m_config; }

    /// The managed device a panel's MAC (or link key) belongs to; false when none.
    bool managedDevice(const QString &mac, VelkIFPDevice *device) const;
    /// True when a managed device has that MAC (any letter case or separator), without copying its record.
    bool isManaged(const QString &mac) const;
    /// The database id of that device, 0 when none: what a synchronisation asks for each panel several times, without
    /// copying the whole record each time.
    quint32 managedDeviceId(const QString &mac) const;
    /// The database every network operation goes through.
    static OrvantaDBIntf *database();
    /// What account synchronisations read from the database, kept while it holds.
    AccountSyncCache *accountSyncCache() const { return m_accountCache; }
    /// Bytes arrived on a connection that has not identified: the channel reads them
    /// (DeviceChannel::readQueuedIdentity) in slices of the event loop's turns.
    void queueIdentityRead(DeviceChannel *channel);
    /// Whether a line about what a connection from that address did, which a host can make it do again and again (a
    /// refused panel's every retry, each connection of a flood), begins an episode and is to be written; a repeat is
    /// counted instead, and the count is said once the episode ends (RepeatedLines): after a minute without one, an
    /// hour at the latest, or when a panel of that address is admitted.
    bool firstOfEpisode(const QString &what, const QString &address);
    /// A panel answered the first-sync question: the channel takes its answer in (DeviceChannel::answerFirstSync) in
    /// slices of the event loop's turns, like the handshakes, so that a fleet answering at once cannot hold the loop.
    void queueFirstSyncAnswer(DeviceChannel *channel);
    /// The channel's synchronisation needs what the database refused to give for now (AccountSyncCache::refused): it
    /// goes on (DeviceChannel::resumeSync) once the cache may read again, after one read for all that wait.
    void waitForAccountData(DeviceChannel *channel);
    /// What a held write of the synchronisation status of the device with that did supersedes: the latest answer or
    /// time-out of a panel replaces an earlier one still held (see DbHeldWrites).
    static QString syncStatusKey(quint32 did);
    /// What a held write of the kick mark of the device with that did supersedes: the operator's take-back replaces a
    /// kick mark still held, which would otherwise be written over it later.
    static QString kickKey(quint32 did);
    /// Records a panel's final synchronisation answer. The status waits in memory for those of the other panels being
    /// synchronised and is written with them, in a transaction begun and committed within one turn of the event loop,
    /// once no synchronisation awaits its answer any more, or at the latest a tenth of a second after the first of
    /// them arrived; then each channel ends its synchronisation (DeviceChannel::finishSync).
    void recordSyncStatus(DeviceChannel *channel, int status);
    /// A channel asked its panel for its synchronisation (open), or that exchange ended: the final answer came or
    /// the connection closed. Statuses wait only while an exchange is open.
    void noteSyncExchange(bool open);
    /// Final answers recorded whose statuses are not written yet: they wait for the rest of their run. When the
    /// console ends, they are written at once.
    int syncStatusesWaiting() const { return m_syncStatuses.size(); }
    /// A channel's transfer handed a further chunk to its socket, or the panel was seen taking more of the file while
    /// none could go: resetTransferFileTimeout(mac) for a firmware file, resetBroadcastTransferFileTimeout(mac) for a
    /// broadcast's sound. Called by the channel, once per chunk of every transfer and at most once a second between
    /// chunks, where a signal of the channel's own forwarded here cost as much again as the rest of the note.
    void noteOtaChunk(const QString &mac) { emit resetTransferFileTimeout(mac); }
    void noteBroadcastChunk(const QString &mac) { emit resetBroadcastTransferFileTimeout(mac); }

public slots:
    void updateAccountReportDialog();

signals:
    /// Handshakes changed stored device records (address, model, versions, the MAC of a device entered by address):
    /// once per batch of write-backs, after the database holds them, and again when writes the database held for a
    /// while reach it, so lists read from it can follow.
    void deviceRecordsWritten();
    void newConnection(DeviceChannel *channel);
    void channelDisconnect(DeviceChannel *channel);
    void connectionStatesChanged();
    void kick(const QString &mac);
    void safeAlert(const QString &mac);
    /// An SOS of a panel known by its address alone: the did of the device it matched.
    void safeAlertOfDevice(quint32 did);

    void checkOtaStateResult(const QString &mac, bool canDoOta);
    void transferFileComplete(const QString &mac, bool success, bool skipRetry);
    void setupTransferFileTimeout(const QString &mac, int timeoutMillis);
    void resetTransferFileTimeout(const QString &mac);
    void setupTransferFileCompleteTimeout(const QString &mac, int timeoutMillis);
    void otaResult(const QString &mac, bool success);
    void resetOtaResultTimeout(const QString &mac);

    void transferBroadcastFileStarted(const QString &mac);
    void sendBroadcastDataComplete(const QString &mac);
    void broadcastResult(const QString &mac);
    void setupBroadcastTransferFileTimeout(const QString &mac, int timeoutMillis);
    void resetBroadcastTransferFileTimeout(const QString &mac);
    void setupBroadcastTransferFileCompleteTimeout(const QString &mac, int timeoutMillis);

    void setupSyncUserDeviceTimeout(const QString &mac, int timeoutMillis);
    void syncUserDeviceFinished(const QString &mac);
    void emitUpdateAccountReportDialog();

private:
    explicit CmdServer(const NetworkConfig &config);

    void listen();
    void sendStopSafeAlert(DeviceChannel *channel);
    void onNewConnection();
    void acceptPending();
    void onIdentity(DeviceChannel *channel);
    /// Takes the channel off the connections awaiting their identity; false when it was not among them.
    bool endPending(DeviceChannel *channel);
    /// The places for connections awaiting their identity ran out: every address over its share of them is cut to it
    /// (its connections that said nothing yet first) and held to it until it has fewer.
    void cutToShares();
    void handshake(DeviceChannel *channel);
    /// Reads what a handshake needs and is not known yet: the control password, the console's id, the managed devices.
    /// While the database refuses, reads again after a pause; once all is known, answers the panels that waited.
    void readHandshakeRecords();
    bool handshakeRecordsKnown() const { return m_managedKnown && m_passwordKnown && m_consoleIdKnown; }
    /// Once all a handshake needs is known (handshakeRecordsKnown(), which the callers checked): ends the reading
    /// again, and answers the panels that waited.
    void answerWaitingHandshakes();
    void onKick(DeviceChannel *channel, const QString &otherConsoleId);
    void onChannelClosed(DeviceChannel *channel);
    void onClockMoved();
    /// Says the counts of the episodes that ended (RepeatedLines) and arms the timer for the next end.
    void sayEndedRepeats();
    void sayRepeats(const QList<RepeatedLines::Episode> &episodes);
    void onSafeAlert(DeviceChannel *channel, const QString &mac);
    /// A managed record at a panel's address as PanelAdmission sees it.
    PanelAdmission::Record admissionRecord(const VelkIFPDevice &device);
    /// Refuses a panel no record of its address was given to, says why and probes the holders named.
    void refuseAtAddress(DeviceChannel *channel, const PanelAdmission::Decision &decision, const QVector<int> &indexes);
    /// Writes what the panel reported into its record, with the model and SKU its match leaves there.
    void writeBack(const VelkIFPDevice &matched, DeviceChannel *channel, const QString &model, const QString &sku);
    void flushWriteBacks();
    void sendToConnected(const QList<VelkIFPDevice> &devices, quint16 code, const char *operation);
    void flushSyncStatuses();
    void resumeAccountSyncs();
    /// Arms the writing of the statuses waiting: at once when no exchange is open, else when the first of them has
    /// waited long enough.
    void scheduleSyncFlush();
    /// The connected or locked channel held under that MAC or link key, or null.
    DeviceChannel *handshakenChannel(const QString &mac) const;
    /// The link key of a held record (see linkKey()).
    static QString recordKey(const VelkIFPDevice &record);
    /// Index into m_managedDevices of the first record with that normal MAC or "did:<n>" key; -1 when none.
    int managedIndex(const QString &key) const;
    int managedIndexOfDid(quint32 did) const;
    void refreshManagedIndex() const;

    NetworkConfig m_config;
    QTcpServer *m_server;
    Clock *m_clock;
    // The clock's Clock::elapsedMovedMs() when the connections' timers were last brought in line with it (the system
    // clock's is always 0).
    qint64 m_elapsedMovedMs = 0;
    // What a handshake needs, and whether it is known: a read the database refused for now is not "nothing there".
    bool m_passwordKnown = false;
    bool m_consoleIdKnown = false;
    bool m_managedKnown = false;
    bool m_readsRefused = false; // the wait for them is logged
    DbReadRetry m_reread;
    // Identified panels waiting for what their handshake needs, in arrival order.
    QList<QPointer<DeviceChannel>> m_waitingHandshakes;
    QTimer *m_retryTimer;
    QString m_controlPassword;
    QString m_consoleId;
    QByteArray m_consoleIdUtf8;
    QList<VelkIFPDevice> m_managedDevices;
    // Indexes into m_managedDevices of the first record of each normal MAC and of each did, rebuilt after the list or
    // a held MAC changed.
    mutable QHash<QString, int> m_managedByMac;
    mutable QHash<quint32, int> m_managedByDid;
    mutable bool m_managedIndexStale = true;
    QHash<QString, DeviceChannel *> m_channels; // connected, by link key
    QHash<QString, DeviceChannel *> m_locked;   // locked, by link key
    QSet<DeviceChannel *> m_pending;            // awaiting identity
    QHash<QString, int> m_pendingPerAddress;    // of those, by the address they came from
    QSet<QString> m_heldToShare;                // addresses cut to their share (cutToShares) and not below it since
    // Connected and locked panels whose MAC no network card can have, by the did of the device their address matched.
    QHash<quint32, DeviceChannel *> m_byAddress;
    // Addresses whose impossible MAC was logged already: once per panel, not at every reconnect.
    QSet<QString> m_noMacNoted;
    // Lines a host can have written again and again, said once per address and episode.
    RepeatedLines m_repeated;
    QTimer *m_repeatTimer;

    // Handshake reports not yet in the database, by did: the held record as it was before the first of them, and
    // as it is now. One transaction per event-loop turn writes them all.
    struct PendingWrite
    {
        VelkIFPDevice before;
        VelkIFPDevice after;
    };
    /// Writes the fields (bits of CmdServer.cpp's ReportField) of one handshake's report into its record; returns the
    /// data store's result code.
    static quint32 writeBackRecord(OrvantaDBIntf *db, const VelkIFPDevice &report, int fields);
    QHash<quint32, PendingWrite> m_pendingWrites;
    // The reported fields of each panel's write-back still held, by did: a later write-back replaces it and must set
    // them too.
    QHash<quint32, int> m_heldWriteBackFields;
    QTimer *m_writeTimer;
    // Connections accepted by the kernel and not yet taken, taken a slice at a time: a fleet connecting at once made
    // a channel for each in one turn of the event loop.
    QTimer *m_acceptTimer;
    // Connections whose identity arrived and is not read yet: reading a burst of them in one turn held the loop too.
    ChannelQueue m_identityReads;
    // Identities not answered yet, in arrival order. A fleet powering on sends a thousand identities within a few
    // milliseconds, and each handshake runs its listeners (the device list, the account synchronisation): answered
    // all in one turn they held the event loop for a tenth of a second and more.
    ChannelQueue m_identified;

    AccountSyncCache *m_accountCache;
    // Final synchronisation answers not written yet, gathered here and written together by flushSyncStatuses(). A
    // commit per panel was a sixth of a run over hundreds of panels; a commit per turn of the event loop still stopped
    // the loop three or four times a run of 500 panels while the disk synced, with the rest of the answers waiting.
    // Written as they came into a transaction left open until the last, they kept the file's write lock while the
    // console waited for panels: over a run whose answers spread over seconds, other programs writing the file were
    // refused, or waited, for most of it.
    struct SyncStatus
    {
        QPointer<DeviceChannel> channel;
        QString mac;
        int status;
    };
    QList<SyncStatus> m_syncStatuses;
    QTimer *m_syncStatusTimer;
    // Channels whose synchronisation waits for account data the database refused for now, in the order they came.
    QList<QPointer<DeviceChannel>> m_accountWaiters;
    // Channels whose synchronisation was asked and whose final answer has not come (DeviceChannel::setSyncExchange).
    int m_syncExchanges = 0;
    // Answers to the first-sync question: asked all at once, a fleet answers all at once, and a panel's first
    // synchronisation takes its users in, which costs milliseconds; five hundred held the loop for over a second.
    ChannelQueue m_firstSyncAnswers;
};
