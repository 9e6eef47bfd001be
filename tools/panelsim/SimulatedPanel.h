#pragma once

#include "FileAssembler.h"
#include "PanelBehaviour.h"
#include "PanelSettings.h"

#include "network/FrameCodec.h"
#include "network/FrameDecoder.h"
#include "network/PanelIdentity.h"
#include "network/SsdpMessage.h"

#include <QAbstractSocket>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>

#include <functional>
#include <optional>

class QTcpSocket;
class QTimer;
class QUdpSocket;
class WakeOnLanListener;

/// One simulated panel: the console's peer on the command protocol, discovery and Wake-on-LAN.
///
/// Life: Off -> (start() or a magic packet) -> Booting -> Searching -> Connecting -> Handshaking -> Connected or
/// Locked. POWER_OFF ends in Off, REBOOT in Off and then Searching again; a connection the console closes sends the
/// panel back to Searching. In direct mode Searching connects straight to the console's command port; with
/// discovery it repeats M-SEARCH until an answer names the console.
///
/// Everything runs on the caller's event loop, so tests drive it with QSignalSpy / QTRY_*. Every frame received is
/// counted and reported by frameReceived() before the panel answers it.
class SimulatedPanel : public QObject
{
    Q_OBJECT
public:
    enum State
    {
        Off,
        Booting,
        Searching,
        Connecting,
        Handshaking,
        Connected,
        Locked
    };
    Q_ENUM(State)

    explicit SimulatedPanel(const PanelIdentity &identity, const PanelSettings &settings = PanelSettings(),
                            QObject *parent = nullptr);
    ~SimulatedPanel() override;

    /// A healthy panel's identity: MAC 02:51:4d + serial, "Velk TM B-Series", "Control Box", version 1.1.1030.30.
    static PanelIdentity defaultIdentity(quint32 serial);

    // --- identity, settings, knobs -------------------------------------------------------------------------------
    QString name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }
    /// What the next identity frame carries (the current connection is not touched).
    PanelIdentity identity() const { return m_identity; }
    void setIdentity(const PanelIdentity &identity) { m_identity = identity; }
    QString mac() const { return m_identity.mac; }
    /// The password the panel holds (changed by SET_PASSWORD).
    QString storedPassword() const { return m_identity.password; }
    PanelSettings settings() const { return m_settings; }
    /// Takes effect at the next search or connect. A non-loopback address is refused (false).
    bool setSettings(const PanelSettings &settings);
    /// The knobs; change them at any time, they are read when a frame arrives.
    PanelBehaviour &behaviour() { return m_behaviour; }
    const PanelBehaviour &behaviour() const { return m_behaviour; }
    /// Shorthands for the per-answer knobs (code = VELK_REMOTE_RSP_...).
    void setAnswerDelay(quint16 responseCode, int delayMs) { m_behaviour.answers[responseCode].delayMs = delayMs; }
    void setAnswerDropped(quint16 responseCode, bool drop) { m_behaviour.answers[responseCode].drop = drop; }
    void setAnswerHeld(quint16 responseCode, bool hold) { m_behaviour.answers[responseCode].hold = hold; }
    /// Sends the answers held so far on this connection, oldest first (code 0: of every code); returns how many.
    int releaseHeldAnswers(quint16 responseCode = 0);
    int heldAnswerCount() const { return m_held.size(); }
    void setAnswerPayload(quint16 responseCode, const QByteArray &payload)
    {
        m_behaviour.answers[responseCode].payload = payload;
    }

    // --- life cycle ---------------------------------------------------------------------------------------------
    /// The power button: an Off panel boots and searches; otherwise nothing.
    void start();
    /// Pulls the plug: closes everything at once and stays Off until start() or a magic packet.
    void shutDown();
    /// A magic packet for this panel arrived: emits woken(); an Off panel boots.
    void wake();
    /// Gives the panel its own Wake-on-LAN listener (a fleet shares one instead). 0 = ephemeral port.
    bool listenForWake(const QHostAddress &address = QHostAddress(QHostAddress::AnyIPv4), quint16 port = 33333);
    quint16 wakePort() const;
    State state() const { return m_state; }
    bool isConnected() const { return m_state == Connected; }
    bool isLocked() const { return m_state == Locked; }
    /// Console id from the last identity answer.
    QString consoleId() const { return m_consoleId; }
    /// Identity answers with result 0 so far.
    int connectCount() const { return m_connectCount; }

    // --- discovery ----------------------------------------------------------------------------------------------
    /// Binds the panel's discovery socket (ownAddress:answerPort) unless bound already. Shared binding, so a panel
    /// on 127.0.0.x can sit on the port a console holds on 0.0.0.0 (the more specific address gets the answers).
    bool bindAnswerSocket(QAbstractSocket::BindMode mode = QAbstractSocket::ShareAddress |
                                                           QAbstractSocket::ReuseAddressHint);
    void closeAnswerSocket();
    quint16 answerPort() const;
    /// Sends one M-SEARCH from the discovery socket to discoveryAddress:discoveryPort; -1 when it cannot.
    int sendSearch();
    int searchesSent() const { return m_searchesSent; }
    /// The last console answer read on the discovery socket (also while connected).
    SsdpAnswer lastAnswer() const { return m_lastAnswer; }
    QHostAddress lastAnswerSource() const { return m_lastAnswerSource; }
    int answersReceived() const { return m_answersReceived; }

    // --- reports and actions (0 sent, -1 no connection) ---------------------------------------------------------
    int raiseSos(); ///< SAFE_ALERT; also while locked
    /// KICK: another console took this panel over; with `newPassword` the panel now holds that console's password.
    int sendKick(const QString &otherConsoleId, const QString &newPassword = QString());
    int sendHeartbeat();
    int sendFrame(quint16 code, const QByteArray &payload = QByteArray());
    bool isSosActive() const { return m_sosActive; }

    // --- misbehaviours ------------------------------------------------------------------------------------------
    int sendRaw(const QByteArray &bytes);
    int sendHugeLength();             ///< a header announcing 0x7FFFFFF0 payload bytes
    int sendNegativeLength();         ///< a header announcing -1 payload bytes
    int sendPartialAndStall();        ///< a header announcing 64 bytes, then 10 of them, then nothing
    int sendUnknownCode();            ///< a well-formed frame with a code nobody knows
    int sendShortInt32(quint16 code); ///< a frame of `code` with a 2-byte payload where an int32 belongs
    /// Stops consuming the connection, so the console's writes back up in the socket buffers.
    void stopReading();
    void resumeReading();
    bool isReading() const { return m_reading; }
    /// Drops the connection without a goodbye (RST); the panel then reconnects after reconnectDelayMs.
    void abort();

    // --- what the panel received --------------------------------------------------------------------------------
    int receivedCount(quint16 code) const { return m_counts.value(code); }
    /// In arrival order since the last reset (a long run keeps at least the latest 10000).
    QList<quint16> receivedCodes() const { return m_codes; }
    QByteArray lastPayload(quint16 code) const { return m_lastPayloads.value(code); }
    int sentCount(quint16 code) const { return m_sentCounts.value(code); }
    /// Forgets what was received: counts, codes, payloads, files and the last upgrade type.
    void resetCounters();

    bool hasBroadcast() const { return m_hasBroadcast; }
    BroadcastDataPayload lastBroadcast() const { return m_lastBroadcast; }
    QList<ReceivedFile> receivedFiles() const { return m_files; } ///< firmware files, complete ones only
    QList<ReceivedFile> receivedAudioFiles() const { return m_audioFiles; }
    ReceivedFile lastFile() const { return m_files.isEmpty() ? ReceivedFile() : m_files.last(); }
    ReceivedFile lastAudioFile() const { return m_audioFiles.isEmpty() ? ReceivedFile() : m_audioFiles.last(); }
    qint32 lastUpgradeType() const { return m_lastUpgradeType; }
    QString fwVersion() const { return m_identity.fwVersion; }
    QString panelFwVersion() const { return m_identity.panelFwVersion; }

    QByteArray storedSettings() const { return m_settingsJson; } ///< last SYNC_ADMIN_SETTINGS payload
    QByteArray storedUsers() const { return m_users; }           ///< the panel's account file
    void setStoredUsers(const QByteArray &accountFile) { m_users = accountFile; }
    QString syncedConsoleId() const { return m_syncedConsoleId; } ///< the console the users came from
    void setSyncedConsoleId(const QString &id) { m_syncedConsoleId = id; }
    bool remoteSetupDisabled() const { return m_remoteSetupDisabled; }

    /// The header line of an empty account file.
    static QByteArray emptyAccountFile();

signals:
    void stateChanged(SimulatedPanel::State state);
    void connected();
    void locked();
    void rejected();
    void disconnected();
    void frameReceived(quint16 code, const QByteArray &payload);
    /// A frame went out to the console (answers included), after it was written.
    void frameSent(quint16 code, const QByteArray &payload);
    void fileReceived(const QString &name, qint64 size, const QByteArray &sha256);
    void audioFileReceived(const QString &name, qint64 size, const QByteArray &sha256);
    void transferCancelled(const QString &name); ///< a complete frame with size "0" (firmware or audio)
    void poweredOff();
    void rebooting();
    void woken();
    void passwordChanged(const QString &password);
    void sosAcknowledged();
    void sosStopped();
    void otaFinished(bool success);
    void searchAnswered(const QHostAddress &source, quint16 port);
    /// One readable line about what the panel did ("connected, console id ..."), already prefixed with its name.
    void logMessage(const QString &line);

private:
    void setState(State state);
    void log(const QString &text);
    void scheduleStep(int delayMs, const std::function<void()> &step);
    void cancelStep();
    void endSession(bool graceful, bool leaveOpen = false);
    void enterBooting(int delayMs);
    void enterSearching();
    void scheduleSearching(int delayMs);
    void connectTo(const QHostAddress &address, quint16 port);
    void onSocketConnected();
    void onSocketClosed();
    void onReadyRead();
    void onAnswerDatagrams();
    /// Ends the connection: closed (FIN) when graceful, else reset; with `leaveOpen` the socket is neither, only
    /// left unread and silent, as a panel that opened a new one without closing the old does.
    void closeSession(bool graceful, bool leaveOpen = false);
    /// Reads what the link's rate allows now; schedules the next read when more is waiting.
    void readAtLinkRate();
    void handleFrame(quint16 code, const QByteArray &payload);
    void handleIdentityAnswer(const QByteArray &payload);
    void handleCommand(quint16 code, const QByteArray &payload);
    void handleFileComplete(FileAssembler &assembler, const QByteArray &sizeText, bool audio);
    void playOtaStep(int index, quint64 session);
    /// One report of the installation `install` started on the connection `session`; while it cannot go out (away
    /// with installThroughDrops, or silent) it waits.
    void reportOtaStep(int index, const OtaStep &step, quint64 session, quint64 install);
    /// The connection drops while installing (dropWhileInstallingMs), and the panel connects again.
    void dropWhileInstalling();
    /// Restarts into what it installed; nothing when the connection of `session` is gone.
    void rebootIntoNewFirmware(quint64 session);
    /// The new image failed its health check (rollBackAfterBootMs): back to the versions from before it.
    void rollBack(quint64 session);
    /// Off, then searching again after rebootDelayMs.
    void restart();
    /// A successful installation: the version of afterOtaVersion, else of the simulated firmware installed.
    void applyInstalledVersions();
    /// Sends an answer through its knob (delay, drop, payload).
    void answer(quint16 responseCode, const QByteArray &payload);
    int writeFrame(quint16 code, const QByteArray &payload);
    bool hasSession() const;
    void startOwnHeartbeat();

    QString m_name;
    PanelIdentity m_identity;
    PanelSettings m_settings;
    PanelBehaviour m_behaviour;
    State m_state = Off;

    QTcpSocket *m_socket = nullptr;
    quint64 m_session = 0;              // bumped per connection; delayed work checks it is still the same connection
    quint64 m_install = 0;              // bumped whenever the panel goes off: an installation ends with its power
    QDeadlineTimer m_silentUntil;       // silentInstallMs: no keep-alive answered, no report sent until then
    int m_updatesStarted = 0;           // START_OTA played
    std::optional<qint32> m_keptResult; // the result restartBeforeResult kept back, sent late (lateResultMs)
    FrameDecoder m_decoder;
    bool m_reading = true;
    QElapsedTimer m_linkClock;
    qint64 m_linkCredit = 0; // bytes the link may deliver now
    qint64 m_linkLastNs = 0;
    bool m_linkReadPending = false;
    bool m_rejected = false;
    quint64 m_stepGeneration = 0; // boot, reconnect and back-off delays: only the latest scheduled step runs
    QTimer *m_searchTimer = nullptr;
    QTimer *m_heartbeatTimer = nullptr;
    QUdpSocket *m_answerSocket = nullptr;
    WakeOnLanListener *m_wakeListener = nullptr;

    QString m_consoleId;
    int m_connectCount = 0;
    int m_searchesSent = 0;
    int m_answersReceived = 0;
    SsdpAnswer m_lastAnswer;
    QHostAddress m_lastAnswerSource;

    struct HeldAnswer
    {
        quint16 code;
        QByteArray payload;
        quint64 session;
    };
    QList<HeldAnswer> m_held;

    QHash<quint16, int> m_counts;
    QHash<quint16, int> m_sentCounts;
    QHash<quint16, QByteArray> m_lastPayloads;
    QList<quint16> m_codes;

    FileAssembler m_otaFile;
    FileAssembler m_audioFile;
    QList<ReceivedFile> m_files;
    QList<QByteArray> m_installHeads; // first bytes of the firmware files received since the last installation
    QList<ReceivedFile> m_audioFiles;
    bool m_hasBroadcast = false;
    bool m_awaitingAudio = false;
    BroadcastDataPayload m_lastBroadcast;
    qint32 m_lastUpgradeType = -1;
    bool m_rebootAtStart = false; // the next START_OTA of m_rebootSession brings the reboot (rebootAfterNextStart)
    quint64 m_rebootSession = 0;
    QElapsedTimer m_sinceSuccess; // since the success that reboot follows
    int m_rebootDelayMs = 0;
    bool m_rollBackArmed = false; // rolls back once it is connected after its reboot into the new firmware
    QString m_rollBackFwVersion;
    QString m_rollBackPanelFwVersion;
    bool m_sosActive = false;

    QByteArray m_settingsJson;
    QByteArray m_users;
    QString m_syncedConsoleId;
    QString m_askedConsoleId;
    bool m_remoteSetupDisabled = false;
};
