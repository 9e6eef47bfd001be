#pragma once

#include "datastore/VelkBroadcast.h"
#include "network/FrameDecoder.h"
#include "network/NetworkConfig.h"
#include "network/PanelIdentity.h"

#include <QObject>
#include <QString>

class CmdServer;
class QTcpSocket;
class QTimer;
class TransferJob;
struct VelkMultiUserAdmin;

/// The command connection of one panel.
///
/// Reassembles frames from the socket, answers keep-alives, runs the firmware and broadcast file transfers and the
/// account synchronisation of its panel, and reports the panel's answers through signals that CmdServer forwards
/// under the same names. A channel is created by CmdServer for each accepted TCP connection; it is handshaken once
/// the panel's identity was accepted (Connected) or found to carry another console's password (Locked).
///
/// A channel is never deleted directly: after closed() it frees itself one event-loop turn later, so a queued
/// newConnection(DeviceChannel*) always reaches its listeners before the object goes.
class DeviceChannel : public QObject
{
    Q_OBJECT

public:
    enum State
    {
        AwaitIdentity,
        Connected,
        Locked,
        Closed,
    };

    DeviceChannel(QTcpSocket *socket, CmdServer *server, const NetworkConfig &config);
    ~DeviceChannel() override;

    /// The name the console knows this connection by, which every signal of the channel carries: the lower-case
    /// "aa:bb:cc:dd:ee:ff" of the panel's identity, or, for a panel whose card reports a MAC no card can have, what
    /// CmdServer::linkKey() gives the device its address matched. Empty before the identity.
    QString getMacAddress() const { return m_key; }
    QString getModelName() const { return m_identity.model; }
    QString getFwVersion() const { return m_identity.fwVersion; }
    QString getPanelFwVersion() const { return m_identity.panelFwVersion; }
    QString getDisplayClientVersion() const { return m_identity.displayClientVersion; }
    /// The TCP peer's IPv4 address as text.
    QString getIpAddress() const { return m_peerIp; }
    /// The same for any socket: what getIpAddress() will say of its channel.
    static QString peerAddressText(const QTcpSocket *socket);
    QString getDeviceType() const { return m_identity.deviceType; }
    QString getSku() const { return m_identity.sku; }
    QString getSubnetMask() const { return m_identity.subnetMask; }
    QString getGateway() const { return m_identity.gateway; }
    /// The password the panel reported in its identity.
    QString reportedPassword() const { return m_identity.password; }
    const PanelIdentity &identity() const { return m_identity; }

    State state() const { return m_state; }
    bool isLocked() const { return m_state == Locked; }
    bool isSyncing() const { return m_syncing; }
    void setSyncing(bool syncing) { m_syncing = syncing; }

    /// Starts the account synchronisation of this panel (administrator console only, one at a time).
    void checkAccountSync();
    /// Sends the first multi-user settings record, limited to the fields the panel's display client knows.
    void syncAdminSettings();
    /// Reads what the panel sent before its identity was answered; CmdServer calls it in slices (see
    /// CmdServer::queueIdentityRead).
    void readQueuedIdentity();
    /// Takes in the panel's answer to the first-sync question, kept since it arrived, and sends the settings and the
    /// account file. CmdServer calls it in turns of its own (see CmdServer::queueFirstSyncAnswer).
    void answerFirstSync();
    /// Ends a synchronisation whose final answer CmdServer has recorded: clears the mark, then emits
    /// syncUserDeviceFinished and, while the connection is open, updateSyncReport.
    void finishSync();
    /// Goes on with a synchronisation that waited for what the database could not give yet (the settings before the
    /// question, the users before the file); CmdServer calls it once they may be read again. It waits again while
    /// they still cannot be read.
    void resumeSync();

    /// Queues one frame. -1 when the channel is closed, the payload exceeds the protocol's bound, or the panel has
    /// stopped reading so long that the unsent bytes passed the backlog bound (the channel is then closed).
    int sendFrame(quint16 code, const QByteArray &payload);
    int sendInt32(quint16 code, qint32 value);
    /// Hands what is queued to the kernel now rather than on the socket's next write notification.
    void sendNow();

    /// Ends the connection: unsent bytes get closeGraceMs to flush, then the socket is aborted. Idempotent.
    void close();

    /// Set by CmdServer for every panel it admits, before the handshake's answer: the link key of the device it
    /// matched (CmdServer::linkKey), which for a panel known by its address alone is not the MAC it reported.
    void setLinkKey(const QString &key) { m_key = key; }
    /// Asks the panel for a sign of life (a keep-alive it must answer) and closes the connection when no frame came
    /// after it within timeoutMs (on the server's clock) and the panel receives no file then (receivesFile). A probe
    /// under way is not started again.
    void probe(int timeoutMs);
    /// The server's clock (CmdServer::clock) moved other than by running on: what fell due meanwhile is done now (the
    /// handshake time-out, a keep-alive, the idle time-out, a probe's verdict).
    void clockMoved();

    /// Before the handshake is decided: the identity arrived, or bytes wait to be read for it.
    bool hasSpoken() const { return m_awaitingDecision || m_readQueued; }
    /// The server cannot answer the identity yet: the connection waits for its answer, and is closed without one
    /// after timeoutMs (the panel then connects again), so that no connection stays undecided for long.
    void waitForDecision(int timeoutMs);
    // Handshake outcome, decided by CmdServer. Each sends VELK_REMOTE_RSP_IDENTITY.
    void acceptAsConnected(const QString &consoleId);
    void acceptAsLocked(const QString &consoleId);
    void refuse(const QString &consoleId);

    // Firmware transfer (one slot).
    /// Starts sending the file; false (nothing sent) when it cannot be opened or is empty.
    bool startOtaTransfer(const QString &localPath, const QString &remoteName);
    /// Stops the running transfer; with notifyPanel the panel is sent the size text "0".
    void stopOtaTransfer(bool notifyPanel);
    bool isOtaTransferRunning() const;
    /// A firmware file or a broadcast's sound is on its way to the panel: being sent, or sent whole and not answered
    /// yet while the panel is seen taking or reading its bytes (within NetworkConfig::transferChunkTimeoutMs, on the
    /// server's clock). The panel reads anything sent after it, a probe too, only once it has read the file.
    bool receivesFile();

    // Broadcast record and audio transfer (one slot, independent of the firmware slot).
    void keepBroadcast(const VelkBroadcast &broadcast)
    {
        m_broadcast = broadcast;
        m_hasBroadcast = true;
    }
    bool hasBroadcast() const { return m_hasBroadcast; }
    const VelkBroadcast &broadcast() const { return m_broadcast; }
    /// Starts sending the kept broadcast's audio file; false when there is none to send.
    bool startBroadcastTransfer(const QString &audioFolder);
    void stopBroadcastTransfer(bool notifyPanel);

signals:
    // Internal, handled by CmdServer.
    void identityReceived(DeviceChannel *channel);
    void kickReported(DeviceChannel *channel, const QString &otherConsoleId);
    void closed(DeviceChannel *channel);

    // Forwarded by CmdServer under the same names.
    void checkOtaStateResult(const QString &mac, bool canDoOta);
    void transferFileComplete(const QString &mac, bool success, bool skipRetry);
    void setupTransferFileTimeout(const QString &mac, int timeoutMillis);
    void setupTransferFileCompleteTimeout(const QString &mac, int timeoutMillis);
    void otaResult(const QString &mac, bool success);
    void resetOtaResultTimeout(const QString &mac);
    void transferBroadcastFileStarted(const QString &mac);
    void sendBroadcastDataComplete(const QString &mac);
    void broadcastResult(const QString &mac);
    void setupBroadcastTransferFileTimeout(const QString &mac, int timeoutMillis);
    void setupBroadcastTransferFileCompleteTimeout(const QString &mac, int timeoutMillis);
    void setupSyncUserDeviceTimeout(const QString &mac, int timeoutMillis);
    void syncUserDeviceFinished(const QString &mac);
    void safeAlert(const QString &mac);

    /// The channel stamped the time of a finished synchronisation (after syncUserDeviceFinished).
    void updateSyncReport();

private:
    void onReadyRead();
    void readFrames();
    void onDisconnected();
    void onBytesWritten();
    void dispatch(const FrameView &frame);
    void handleIdentity(const FrameView &frame);
    bool mergePanelAccounts(const QByteArray &file);
    /// Sends the first-sync or disable question by the settings, opens the exchange and asks for no time-out.
    void askSync(const VelkMultiUserAdmin &settings);
    /// No settings to synchronise (none stored, or a read that failed with rc): the synchronisation ends at once.
    void endSyncWithoutSettings(quint32 rc);
    void sendUserSettings();
    void recordSync(int status);
    void dropFrame(const char *why, quint16 code);
    /// Opens or ends the exchange whose final answer is awaited, and tells the server, which counts them.
    void setSyncExchange(bool open);
    void startHandshakeResult(qint32 result, const QString &consoleId, State state);
    // The time-outs count on the server's clock; their timers only wake us when the time should be up, and re-arm
    // for the rest when the clock says it is not.
    qint64 now() const;
    /// Re-arms the timer for what is left until the deadline; false when nothing is.
    bool rearmUntil(QTimer *timer, qint64 deadlineMs);
    void armHandshakeTimer(int timeoutMs);
    void checkHandshakeDeadline();
    void checkHeartbeat();
    void checkIdle();
    void checkProbe();
    bool isBroadcastTransferRunning() const;
    /// A file goes out, or was handed over and is not answered: its delivery is looked at every second from now on.
    void watchDelivery();
    /// Ends the look once no file is on its way any more.
    void stopWatchingDelivery();
    /// The transfer's last bytes went to the socket; the panel's answer is awaited (the slot's mark is set).
    void fileHandedOver(bool *unanswered);
    /// The look of every second: while a transfer runs and no chunk could go since the last look, the panel's taking
    /// its bytes restarts the listeners' wait for the next chunk.
    void lookAtDelivery();
    /// Notes when the file's bytes last moved on towards the panel, or the panel last read some of them; true when
    /// they did since the last note.
    bool noteDelivery();
    /// How long the panel may take nothing of a file before it counts as gone: the wait for a chunk, or longer while
    /// its receive buffer is full and it has read on after quiets that long.
    qint64 quietAllowedMs() const;
    void decided();
    void scheduleDeletion();
    QString logName() const;
    /// Whether a line about what the connection did is to be written: always once it identified, else when it begins
    /// an episode of its address (CmdServer::firstOfEpisode).
    bool worthSaying(const char *what) const;

    CmdServer *m_server;
    NetworkConfig m_config;
    QTcpSocket *m_socket;
    FrameDecoder m_decoder;
    PanelIdentity m_identity;
    QString m_key;
    QString m_peerIp;
    State m_state = AwaitIdentity;

    QTimer *m_handshakeTimer;
    QTimer *m_heartbeatTimer;
    QTimer *m_idleTimer;
    QTimer *m_graceTimer;
    QTimer *m_probeTimer;
    QTimer *m_deliveryTimer; // while a file is sent, or sent whole and not answered
    // Readings of the server's clock.
    qint64 m_lastActivityMs = 0; // the last frame received, or the panel last seen taking a file
    qint64 m_lastHeartbeatMs = 0;
    qint64 m_handshakeDeadlineMs = 0;
    int m_handshakeWaitMs = 0;
    qint64 m_probeSentMs = 0;
    int m_probeTimeoutMs = 0;
    bool m_probeAnswered = false; // a frame arrived since the probe went out

    TransferJob *m_otaJob = nullptr;
    TransferJob *m_broadcastJob = nullptr;
    // A slot's file was sent whole and the panel has not answered it yet.
    bool m_otaUnanswered = false;
    bool m_broadcastUnanswered = false;
    qint64 m_written = 0;        // bytes handed to the socket
    qint64 m_fileEnd = 0;        // of those, the last of a file's frames handed over so far
    qint64 m_fileEndAtLook = 0;  // the same at the last look
    qint64 m_delivered = 0;      // the most seen taken by the panel's side, up to it
    qint64 m_peerRoom = 0;       // the room in the panel's receive buffer, as it last told
    qint64 m_deliveredAtMs = 0;  // when either grew last, on the server's clock
    qint64 m_longestQuietMs = 0; // the longest the panel's buffer stayed full before it took more of this file
    VelkBroadcast m_broadcast;
    bool m_hasBroadcast = false;

    bool m_syncing = false;
    bool m_askedFirstSync = false; // VELK_REMOTE_CMD_ASK_FIRST_SYNC sent, its answer not yet arrived
    QByteArray m_firstSyncAnswer;  // arrived, waiting for its turn
    bool m_syncExchange = false;   // a synchronisation was started and its final answer not yet recorded
    // What a synchronisation waits to send until the account data can be read (CmdServer::waitForAccountData).
    enum class SyncWait
    {
        None,
        Question, // the settings were not known yet: nothing sent
        Users     // the panel answered the question; the settings and its users go once they are known
    };
    SyncWait m_syncWait = SyncWait::None;

    int m_droppedFrames = 0;
    int m_readDepth = 0;
    // The identity arrived and the server has not answered it yet: later frames wait in the decoder and the socket,
    // so they are handled as the panel meant them, after its handshake.
    bool m_awaitingDecision = false;
    bool m_readQueued = false; // waiting in CmdServer's queue of identities to read
    bool m_deletionScheduled = false;
    bool m_deleteWhenIdle = false;
};

Q_DECLARE_METATYPE(DeviceChannel *)
