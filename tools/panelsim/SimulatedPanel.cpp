#include "SimulatedPanel.h"

#include "SimulatedFirmware.h"

#include "LoopbackAddress.h"
#include "WakeOnLanListener.h"

#include "network/ProtocolCodes.h"

#include <QLoggingCategory>
#include <QNetworkDatagram>
#include <QTcpSocket>
#include <QTimer>
#include <QUdpSocket>

// Quiet unless asked for: QT_LOGGING_RULES="panelsim.info=true". Tests read logMessage() when they care.
Q_LOGGING_CATEGORY(lcPanelSim, "panelsim", QtWarningMsg)

namespace {

QString codeText(quint16 code)
{
    return QStringLiteral("%1 (0x%2)").arg(QLatin1String(ProtocolCodes::name(code))).arg(code, 4, 16, QLatin1Char('0'));
}

QByteArray int32(qint32 value)
{
    return FrameCodec::int32Payload(value);
}

// How much of the arrival order receivedCodes() keeps.
constexpr int kKeptCodes = 10000;

// A code no table entry uses, for the unknown-code misbehaviour.
constexpr quint16 kUnknownCode = 0x0f0f;

} // namespace

SimulatedPanel::SimulatedPanel(const PanelIdentity &identity, const PanelSettings &settings, QObject *parent)
    : QObject(parent), m_name(identity.mac), m_identity(identity)
{
    m_searchTimer = new QTimer(this);
    connect(m_searchTimer, &QTimer::timeout, this, [this] {
        if (m_state == Searching)
            sendSearch();
        else
            m_searchTimer->stop();
    });
    m_heartbeatTimer = new QTimer(this);
    connect(m_heartbeatTimer, &QTimer::timeout, this, [this] {
        if ((m_state == Connected || m_state == Locked) && m_silentUntil.hasExpired())
            writeFrame(VELK_REMOTE_CMD_HEARTBEAT, int32(0));
    });
    if (!setSettings(settings))
        m_settings.ownAddress = QHostAddress(QHostAddress::LocalHost);
}

SimulatedPanel::~SimulatedPanel()
{
    ++m_stepGeneration;
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
    }
}

PanelIdentity SimulatedPanel::defaultIdentity(quint32 serial)
{
    PanelIdentity identity;
    identity.mac = QStringLiteral("02:51:4d:%1:%2:%3")
                       .arg((serial >> 16) & 0xff, 2, 16, QLatin1Char('0'))
                       .arg((serial >> 8) & 0xff, 2, 16, QLatin1Char('0'))
                       .arg(serial & 0xff, 2, 16, QLatin1Char('0'));
    identity.model = QStringLiteral("Velk TM B-Series");
    identity.deviceType = QStringLiteral("Control Box");
    identity.fwVersion = QStringLiteral("1.1.1030.30");
    identity.panelFwVersion = QStringLiteral("1.1.1030.30");
    identity.displayClientVersion = QStringLiteral("1.1.1030.30");
    identity.subnetMask = QStringLiteral("255.0.0.0");
    identity.gateway = QStringLiteral("127.0.0.1");
    return identity;
}

QByteArray SimulatedPanel::emptyAccountFile()
{
    return QByteArrayLiteral("userName,password,rfidId,hasPermission,uniqueId,packages\n");
}

bool SimulatedPanel::setSettings(const PanelSettings &settings)
{
    if (!LoopbackAddress::isLoopback(settings.ownAddress) || !LoopbackAddress::isLoopback(settings.consoleAddress) ||
        !LoopbackAddress::isLoopback(settings.discoveryAddress)) {
        log(QStringLiteral("refusing settings with an address outside 127.0.0.0/8"));
        return false;
    }
    const bool rebind = m_answerSocket && (settings.ownAddress != m_settings.ownAddress ||
                                           (settings.answerPort != 0 && settings.answerPort != answerPort()));
    m_settings = settings;
    if (rebind)
        closeAnswerSocket();
    return true;
}

// --- small helpers -------------------------------------------------------------------------------------------------

void SimulatedPanel::setState(State state)
{
    if (state == Off) {
        ++m_install;
        m_silentUntil = QDeadlineTimer();
    }
    if (state != Searching)
        m_searchTimer->stop();
    if (state != Connected && state != Locked)
        m_heartbeatTimer->stop();
    if (m_state == state)
        return;
    m_state = state;
    emit stateChanged(state);
}

void SimulatedPanel::log(const QString &text)
{
    const QString line = m_name + QLatin1Char(' ') + text;
    qCInfo(lcPanelSim).noquote() << line;
    emit logMessage(line);
}

void SimulatedPanel::scheduleStep(int delayMs, const std::function<void()> &step)
{
    const quint64 generation = ++m_stepGeneration;
    QTimer::singleShot(qMax(0, delayMs), this, [this, generation, step] {
        if (generation == m_stepGeneration)
            step();
    });
}

void SimulatedPanel::cancelStep()
{
    ++m_stepGeneration;
}

bool SimulatedPanel::hasSession() const
{
    return m_socket && m_socket->state() == QAbstractSocket::ConnectedState;
}

// --- life cycle ----------------------------------------------------------------------------------------------------

void SimulatedPanel::start()
{
    if (m_state != Off)
        return;
    log(QStringLiteral("power on"));
    enterBooting(m_settings.bootDelayMs);
}

void SimulatedPanel::shutDown()
{
    cancelStep();
    const bool hadSession = m_state == Handshaking || m_state == Connected || m_state == Locked;
    closeSession(false);
    setState(Off);
    log(QStringLiteral("shut down"));
    if (hadSession)
        emit disconnected();
}

void SimulatedPanel::wake()
{
    log(QStringLiteral("magic packet received%1").arg(m_state == Off ? QStringLiteral(", booting") : QString()));
    emit woken();
    if (m_state == Off)
        enterBooting(m_settings.bootDelayMs);
}

bool SimulatedPanel::listenForWake(const QHostAddress &address, quint16 port)
{
    if (!m_wakeListener) {
        m_wakeListener = new WakeOnLanListener(this);
        connect(m_wakeListener, &WakeOnLanListener::magicPacketReceived, this, [this](const QString &mac) {
            if (mac == PanelIdentity::normaliseMac(m_identity.mac))
                wake();
        });
    }
    if (!m_wakeListener->listen(address, port)) {
        log(QStringLiteral("cannot listen for magic packets on %1:%2: %3")
                .arg(address.toString())
                .arg(port)
                .arg(m_wakeListener->errorString()));
        return false;
    }
    return true;
}

quint16 SimulatedPanel::wakePort() const
{
    return m_wakeListener ? m_wakeListener->port() : 0;
}

void SimulatedPanel::enterBooting(int delayMs)
{
    setState(Booting);
    scheduleStep(delayMs, [this] { enterSearching(); });
}

void SimulatedPanel::enterSearching()
{
    cancelStep();
    setState(Searching);
    if (m_settings.discovery) {
        sendSearch();
        m_searchTimer->start(qMax(10, m_settings.searchIntervalMs));
    } else {
        connectTo(m_settings.consoleAddress, m_settings.consolePort);
    }
}

void SimulatedPanel::scheduleSearching(int delayMs)
{
    setState(Searching);
    m_searchTimer->stop();
    scheduleStep(delayMs, [this] { enterSearching(); });
}

// --- connection ----------------------------------------------------------------------------------------------------

void SimulatedPanel::connectTo(const QHostAddress &address, quint16 port)
{
    closeSession(false);
    if (!LoopbackAddress::isLoopback(address)) {
        log(QStringLiteral("refusing to connect to %1: not a loopback address").arg(address.toString()));
        scheduleSearching(m_settings.reconnectDelayMs);
        return;
    }
    auto *socket = new QTcpSocket(this);
    if (!socket->bind(m_settings.ownAddress, 0)) {
        log(QStringLiteral("cannot bind %1: %2").arg(m_settings.ownAddress.toString(), socket->errorString()));
        delete socket;
        scheduleSearching(m_settings.reconnectDelayMs);
        return;
    }
    // Before the connect, so that the window the panel offers at its handshake fits the buffer.
    if (m_behaviour.receiveBufferBytes > 0)
        socket->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, m_behaviour.receiveBufferBytes);
    m_socket = socket;
    m_rejected = false;
    connect(socket, &QTcpSocket::connected, this, &SimulatedPanel::onSocketConnected);
    connect(socket, &QTcpSocket::disconnected, this, &SimulatedPanel::onSocketClosed);
    connect(socket, &QTcpSocket::readyRead, this, &SimulatedPanel::onReadyRead);
    connect(socket, &QTcpSocket::errorOccurred, this, [this, socket](QAbstractSocket::SocketError) {
        // A refused or failed connect never reaches "disconnected"; later errors are followed by it.
        if (socket == m_socket && m_state == Connecting) {
            log(QStringLiteral("connect failed: %1").arg(socket->errorString()));
            closeSession(false);
            scheduleSearching(m_settings.reconnectDelayMs);
        }
    });
    setState(Connecting);
    log(QStringLiteral("connecting from %1 to %2:%3")
            .arg(m_settings.ownAddress.toString(), address.toString())
            .arg(port));
    socket->connectToHost(address, port);
    scheduleStep(m_settings.connectTimeoutMs, [this] {
        if (m_state != Connecting)
            return;
        log(QStringLiteral("connect timed out"));
        closeSession(false);
        scheduleSearching(m_settings.reconnectDelayMs);
    });
}

void SimulatedPanel::onSocketConnected()
{
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    setState(Handshaking);
    if (m_settings.identityTimeoutMs > 0) {
        // A console that accepted too late (or never) must not keep the panel waiting for ever.
        scheduleStep(m_settings.identityTimeoutMs, [this] {
            if (m_state != Handshaking)
                return;
            log(QStringLiteral("no identity answer, connecting again"));
            endSession(false);
            scheduleSearching(m_settings.reconnectDelayMs);
        });
    }
    if (m_behaviour.skipIdentity) {
        log(QStringLiteral("connected, sending no identity"));
        return;
    }
    QByteArray payload;
    if (m_behaviour.identityPayload) {
        payload = *m_behaviour.identityPayload;
    } else {
        PanelIdentity reported = m_identity;
        if (reported.ipAddress.isEmpty())
            reported.ipAddress = m_settings.ownAddress.toString();
        payload = reported.toJson();
    }
    log(QStringLiteral("connected, sending identity"));
    writeFrame(VELK_REMOTE_CMD_IDENTITY, payload);
}

void SimulatedPanel::closeSession(bool graceful, bool leaveOpen)
{
    if (!m_socket)
        return;
    QTcpSocket *socket = m_socket;
    m_socket = nullptr;
    ++m_session;
    socket->disconnect(this);
    if (leaveOpen) {
        // Never read again; it goes when the console closes it, or a minute later.
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QTimer::singleShot(60000, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
    } else if (graceful && socket->state() == QAbstractSocket::ConnectedState) {
        // Let the last answer reach the console before the FIN.
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QTimer::singleShot(2000, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        socket->disconnectFromHost();
    } else {
        socket->abort();
        socket->deleteLater();
    }
    m_heartbeatTimer->stop();
    m_decoder.clear();
    m_reading = true;
    m_otaFile.reset();
    m_audioFile.reset();
    m_awaitingAudio = false;
}

void SimulatedPanel::endSession(bool graceful, bool leaveOpen)
{
    const bool hadSession = m_state == Handshaking || m_state == Connected || m_state == Locked;
    closeSession(graceful, leaveOpen);
    if (hadSession) {
        log(QStringLiteral("disconnected"));
        emit disconnected();
    }
}

void SimulatedPanel::onSocketClosed()
{
    if (sender() != m_socket)
        return;
    const bool rejected = m_rejected;
    endSession(false);
    if (rejected) {
        if (m_behaviour.retryAfterReject) {
            scheduleSearching(m_settings.rejectBackoffMs);
        } else {
            setState(Off);
        }
        return;
    }
    scheduleSearching(m_settings.reconnectDelayMs);
}

void SimulatedPanel::onReadyRead()
{
    if (!m_reading || !m_socket)
        return;
    const quint64 session = m_session;
    if (m_behaviour.linkBytesPerSecond > 0)
        readAtLinkRate();
    else
        m_decoder.append(m_socket->readAll());
    FrameView view;
    for (;;) {
        const FrameDecoder::Result result = m_decoder.next(&view);
        if (result == FrameDecoder::NeedMore)
            return;
        if (result == FrameDecoder::BadLength) {
            log(QStringLiteral("bad frame length %1 from the console, dropping the connection")
                    .arg(m_decoder.badLength()));
            abort();
            return;
        }
        handleFrame(view.code, view.copy());
        if (session != m_session || !m_reading)
            return;
    }
}

namespace {
// A link delivers at most this much at once after a pause, and the socket keeps no more than this in user space, so
// the rest stays in the kernel and holds the sender back.
constexpr qint64 kLinkBurst = 64 * 1024;
} // namespace

void SimulatedPanel::readAtLinkRate()
{
    // While a read is scheduled the link is "busy": new data waits, so the panel does not spin on tiny reads.
    if (m_linkReadPending)
        return;
    const qint64 rate = m_behaviour.linkBytesPerSecond;
    if (m_socket->readBufferSize() != kLinkBurst)
        m_socket->setReadBufferSize(kLinkBurst);
    if (!m_linkClock.isValid()) {
        m_linkClock.start();
        m_linkCredit = kLinkBurst;
        m_linkLastNs = 0;
    }
    const qint64 now = m_linkClock.nsecsElapsed();
    m_linkCredit = qMin(kLinkBurst, m_linkCredit + (now - m_linkLastNs) * rate / 1000000000);
    m_linkLastNs = now;
    const qint64 available = m_socket->bytesAvailable();
    // Read in pieces of at least half a burst, or all that is there when it is less.
    const qint64 piece = qMin(available, kLinkBurst / 2);
    if (m_linkCredit >= piece) {
        const qint64 take = qMin(available, m_linkCredit);
        m_decoder.append(m_socket->read(take));
        m_linkCredit -= take;
        if (m_socket->bytesAvailable() == 0)
            return;
    }
    const qint64 waitMs = qMax<qint64>(1, (kLinkBurst / 2 - m_linkCredit) * 1000 / rate);
    m_linkReadPending = true;
    const quint64 session = m_session;
    QTimer::singleShot(int(waitMs), Qt::PreciseTimer, this, [this, session] {
        m_linkReadPending = false;
        if (session == m_session && m_socket)
            onReadyRead();
    });
}

// --- frames --------------------------------------------------------------------------------------------------------

void SimulatedPanel::handleFrame(quint16 code, const QByteArray &payload)
{
    m_counts[code] += 1;
    m_codes.append(code);
    if (m_codes.size() > 2 * kKeptCodes) // a long run of file chunks must not grow the history for ever
        m_codes.erase(m_codes.begin(), m_codes.end() - kKeptCodes);
    m_lastPayloads.insert(code, payload);
    emit frameReceived(code, payload);
    if (!hasSession())
        return; // a listener closed the panel
    switch (m_state) {
    case Handshaking:
        if (code == VELK_REMOTE_RSP_IDENTITY)
            handleIdentityAnswer(payload);
        else
            log(QStringLiteral("ignoring %1 before the identity answer").arg(codeText(code)));
        break;
    case Locked:
        // A locked panel keeps the connection alive and can still call for help, nothing else.
        if (code == VELK_REMOTE_CMD_HEARTBEAT) {
            if (m_behaviour.answerHeartbeat)
                answer(VELK_REMOTE_RSP_HEARTBEAT, int32(0));
        } else if (code == VELK_REMOTE_RSP_SAFE_ALERT) {
            log(QStringLiteral("SOS acknowledged"));
            emit sosAcknowledged();
        } else if (code != VELK_REMOTE_RSP_HEARTBEAT) {
            log(QStringLiteral("locked, ignoring %1").arg(codeText(code)));
        }
        break;
    case Connected:
        handleCommand(code, payload);
        break;
    default:
        break;
    }
}

void SimulatedPanel::handleIdentityAnswer(const QByteArray &payload)
{
    qint32 result = 0;
    QByteArray consoleId;
    if (!FrameCodec::splitInt32ThenBytes(payload, &result, &consoleId)) {
        log(QStringLiteral("identity answer too short (%1 bytes), dropping the connection").arg(payload.size()));
        endSession(false);
        scheduleSearching(m_settings.reconnectDelayMs);
        return;
    }
    m_consoleId = QString::fromUtf8(consoleId);
    if (result == 0) {
        ++m_connectCount;
        setState(Connected);
        startOwnHeartbeat();
        log(QStringLiteral("connected (console %1)").arg(m_consoleId));
        if (m_keptResult) {
            const quint64 session = m_session;
            QTimer::singleShot(m_behaviour.lateResultMs, this, [this, session] {
                if (session != m_session || m_state != Connected || !m_keptResult)
                    return;
                log(QStringLiteral("sending the result its restart kept back: %1").arg(*m_keptResult));
                answer(VELK_REMOTE_RSP_OTA_RESULT, int32(*m_keptResult));
                m_keptResult.reset();
            });
        }
        if (m_rollBackArmed && m_behaviour.rollBackAfterBootMs >= 0) {
            m_rollBackArmed = false;
            const quint64 session = m_session;
            QTimer::singleShot(m_behaviour.rollBackAfterBootMs, this, [this, session] { rollBack(session); });
        }
        emit connected();
    } else if (result == 1) {
        setState(Locked);
        startOwnHeartbeat();
        log(QStringLiteral("locked: the console holds another password"));
        emit locked();
    } else {
        log(QStringLiteral("rejected (%1)").arg(result));
        m_rejected = true;
        emit rejected();
        // The console closes; a console that forgets to is left behind all the same.
        if (m_socket && m_state == Handshaking) {
            endSession(true);
            if (m_behaviour.retryAfterReject)
                scheduleSearching(m_settings.rejectBackoffMs);
            else
                setState(Off);
        }
    }
}

void SimulatedPanel::startOwnHeartbeat()
{
    if (m_behaviour.ownHeartbeatMs > 0)
        m_heartbeatTimer->start(m_behaviour.ownHeartbeatMs);
}

void SimulatedPanel::handleCommand(quint16 code, const QByteArray &payload)
{
    switch (code) {
    case VELK_REMOTE_CMD_HEARTBEAT:
        if (m_behaviour.answerHeartbeat && m_silentUntil.hasExpired())
            answer(VELK_REMOTE_RSP_HEARTBEAT, int32(0));
        break;
    case VELK_REMOTE_RSP_HEARTBEAT:
        break;
    case VELK_REMOTE_CMD_POWER_OFF:
        log(QStringLiteral("power off"));
        cancelStep();
        endSession(true);
        setState(Off);
        emit poweredOff();
        break;
    case VELK_REMOTE_CMD_REBOOT:
        log(QStringLiteral("reboot"));
        restart();
        break;
    case VELK_REMOTE_CMD_SET_PASSWORD:
        m_identity.password = QString::fromUtf8(payload);
        log(QStringLiteral("password set"));
        emit passwordChanged(m_identity.password);
        answer(VELK_REMOTE_RSP_SET_PASSWORD, int32(0));
        break;
    case VELK_REMOTE_CMD_CHECK_OTA_STATE:
        log(QStringLiteral("OTA state asked, answering %1").arg(m_behaviour.otaStateAnswer));
        answer(VELK_REMOTE_RSP_CHECK_OTA_STATE, int32(m_behaviour.otaStateAnswer));
        break;
    case VELK_REMOTE_CMD_TRANSFER_FILE_START:
        m_otaFile.setKeepFiles(m_behaviour.keepFiles);
        m_otaFile.setHashing(m_behaviour.hashFiles);
        m_otaFile.start(QString::fromUtf8(payload));
        log(QStringLiteral("receiving file %1").arg(m_otaFile.name()));
        break;
    case VELK_REMOTE_CMD_TRANSFER_FILE_DATA:
        if (!m_otaFile.append(payload))
            log(QStringLiteral("file data outside a transfer, ignored"));
        break;
    case VELK_REMOTE_CMD_TRANSFER_FILE_COMPLETE:
        handleFileComplete(m_otaFile, payload, false);
        break;
    case VELK_REMOTE_CMD_START_OTA: {
        qint32 type = 0;
        if (!FrameCodec::readInt32(payload, 0, &type)) {
            log(QStringLiteral("START_OTA without an upgrade type, ignored"));
            break;
        }
        m_lastUpgradeType = type;
        if (m_rebootAtStart && m_rebootSession == m_session) {
            m_rebootAtStart = false;
            log(QStringLiteral("OTA start (upgrade type %1) lost: restarting").arg(type));
            const quint64 session = m_session;
            QTimer::singleShot(qMax(qint64(0), m_rebootDelayMs - m_sinceSuccess.elapsed()), this,
                               [this, session] { rebootIntoNewFirmware(session); });
            break;
        }
        log(QStringLiteral("OTA started, upgrade type %1").arg(type));
        ++m_updatesStarted;
        if (m_behaviour.silentInstallMs > 0)
            m_silentUntil.setRemainingTime(m_behaviour.silentInstallMs);
        if (m_behaviour.dropWhileInstallingMs >= 0) {
            const quint64 session = m_session;
            QTimer::singleShot(m_behaviour.dropWhileInstallingMs, this, [this, session] {
                if (session == m_session && m_state == Connected)
                    dropWhileInstalling();
            });
        }
        playOtaStep(0, m_session);
        break;
    }
    case VELK_REMOTE_CMD_BROADCAST_DATA: {
        BroadcastDataPayload record;
        if (!BroadcastDataPayload::decode(payload, &record)) {
            log(QStringLiteral("broadcast record too short (%1 bytes), ignored").arg(payload.size()));
            break;
        }
        m_lastBroadcast = record;
        m_hasBroadcast = true;
        log(QStringLiteral("broadcast \"%1\" (display %2, audio %3, %4 min %5 s%6)")
                .arg(record.contentText)
                .arg(record.displayType)
                .arg(record.audioSelection)
                .arg(record.durationMin)
                .arg(record.durationSec)
                .arg(record.woken ? QStringLiteral(", woken") : QString()));
        if (record.audioSelection != 0) {
            m_awaitingAudio = true;
            answer(VELK_REMOTE_RSP_BROADCAST_DATA, int32(0));
        } else {
            m_awaitingAudio = false;
            answer(VELK_REMOTE_RSP_BROADCAST_DATA_COMPLETE, int32(0));
        }
        break;
    }
    case VELK_REMOTE_CMD_BROADCAST_FILE_START:
        m_audioFile.setKeepFiles(m_behaviour.keepFiles);
        m_audioFile.setHashing(m_behaviour.hashFiles);
        m_audioFile.start(QString::fromUtf8(payload));
        log(QStringLiteral("receiving audio file %1").arg(m_audioFile.name()));
        break;
    case VELK_REMOTE_CMD_BROADCAST_FILE_DATA:
        if (!m_audioFile.append(payload))
            log(QStringLiteral("audio data outside a transfer, ignored"));
        break;
    case VELK_REMOTE_CMD_BROADCAST_FILE_COMPLETE:
        handleFileComplete(m_audioFile, payload, true);
        break;
    case VELK_REMOTE_CMD_START_BROADCAST:
        log(QStringLiteral("broadcast shown"));
        answer(VELK_REMOTE_RSP_START_BROADCAST, int32(0));
        break;
    case VELK_REMOTE_CMD_ASK_FIRST_SYNC: {
        m_askedConsoleId = QString::fromUtf8(payload);
        const bool first = m_behaviour.firstSyncAnswer.value_or(m_syncedConsoleId != m_askedConsoleId);
        log(QStringLiteral("first sync asked, answering %1").arg(first ? 1 : 0));
        const QByteArray file = m_users.isEmpty() ? emptyAccountFile() : m_users;
        answer(VELK_REMOTE_RSP_ASK_FIRST_SYNC, FrameCodec::int32ThenBytes(first ? 1 : 0, first ? file : QByteArray()));
        break;
    }
    case VELK_REMOTE_CMD_DISABLE_REMOTE_SETUP:
        m_remoteSetupDisabled = true;
        log(QStringLiteral("remote setup disabled"));
        answer(VELK_REMOTE_RSP_DISABLE_REMOTE_SETUP, int32(0));
        break;
    case VELK_REMOTE_CMD_SYNC_ADMIN_SETTINGS:
        m_settingsJson = payload;
        m_remoteSetupDisabled = false;
        log(QStringLiteral("settings received: %1").arg(QString::fromUtf8(payload)));
        answer(VELK_REMOTE_RSP_SYNC_ADMIN_SETTINGS, int32(0));
        break;
    case VELK_REMOTE_CMD_SYNC_USER_SETTINGS:
        m_users = payload;
        m_syncedConsoleId = m_askedConsoleId.isEmpty() ? m_consoleId : m_askedConsoleId;
        log(QStringLiteral("account file received (%1 bytes)").arg(payload.size()));
        answer(VELK_REMOTE_RSP_SYNC_USER_SETTINGS_COMPLETE, int32(0));
        break;
    case VELK_REMOTE_RSP_SAFE_ALERT:
        log(QStringLiteral("SOS acknowledged"));
        emit sosAcknowledged();
        break;
    case VELK_REMOTE_CMD_STOP_SAFE_ALERT:
        m_sosActive = false;
        log(QStringLiteral("SOS stopped by the console"));
        emit sosStopped();
        answer(VELK_REMOTE_RSP_STOP_SAFE_ALERT, int32(0));
        break;
    default:
        log(QStringLiteral("unexpected %1, ignored").arg(codeText(code)));
        break;
    }
}

void SimulatedPanel::handleFileComplete(FileAssembler &assembler, const QByteArray &sizeText, bool audio)
{
    ReceivedFile file;
    const FileAssembler::Outcome outcome = assembler.finish(sizeText, &file);
    const QString kind = audio ? QStringLiteral("audio file") : QStringLiteral("file");
    switch (outcome) {
    case FileAssembler::Cancelled:
        log(QStringLiteral("%1 %2 cancelled after %3 bytes").arg(kind, file.name).arg(file.size));
        if (audio)
            m_awaitingAudio = false;
        emit transferCancelled(file.name);
        return;
    case FileAssembler::NotStarted:
        log(QStringLiteral("%1 complete without a start").arg(kind));
        if (!audio)
            answer(VELK_REMOTE_RSP_TRANSFER_FILE_COMPLETE, int32(m_behaviour.transferAnswer.value_or(-1)));
        return;
    case FileAssembler::SizeMismatch:
        log(QStringLiteral("%1 %2: %3 bytes received, size text \"%4\"")
                .arg(kind, file.name)
                .arg(file.size)
                .arg(QString::fromLatin1(sizeText.left(32))));
        if (audio)
            m_awaitingAudio = false;
        else
            answer(VELK_REMOTE_RSP_TRANSFER_FILE_COMPLETE, int32(m_behaviour.transferAnswer.value_or(-1)));
        return;
    case FileAssembler::Complete:
        break;
    }
    log(QStringLiteral("%1 %2 received (%3 bytes)").arg(kind, file.name).arg(file.size));
    if (audio) {
        m_audioFiles.append(file);
        emit audioFileReceived(file.name, file.size, file.sha256);
        if (m_awaitingAudio) {
            m_awaitingAudio = false;
            answer(VELK_REMOTE_RSP_BROADCAST_DATA_COMPLETE, int32(0));
        }
    } else {
        m_files.append(file);
        m_installHeads.append(file.head);
        emit fileReceived(file.name, file.size, file.sha256);
        answer(VELK_REMOTE_RSP_TRANSFER_FILE_COMPLETE, int32(m_behaviour.transferAnswer.value_or(0)));
    }
}

void SimulatedPanel::playOtaStep(int index, quint64 session)
{
    const QList<OtaStep> script = m_behaviour.otaResultScript;
    if (index >= script.size())
        return;
    const OtaStep step = script.at(index);
    const quint64 install = m_install;
    QTimer::singleShot(qMax(0, step.delayMs), this,
                       [this, index, step, session, install] { reportOtaStep(index, step, session, install); });
}

void SimulatedPanel::reportOtaStep(int index, const OtaStep &step, quint64 startedOn, quint64 install)
{
    if (install != m_install || (!m_behaviour.installThroughDrops && (startedOn != m_session || m_state != Connected)))
        return;
    if (m_state != Connected || !m_silentUntil.hasExpired()) {
        QTimer::singleShot(50, this,
                           [this, index, step, startedOn, install] { reportOtaStep(index, step, startedOn, install); });
        return;
    }
    const quint64 session = m_session;
    const qint32 value =
        step.value == 0 && m_behaviour.failFromUpdate > 0 && m_updatesStarted >= m_behaviour.failFromUpdate
            ? -1
            : step.value;
    if ((value == 0 || value == -1) && m_behaviour.restartBeforeResult) {
        if (value == 0)
            applyInstalledVersions();
        m_installHeads.clear();
        if (m_behaviour.lateResultMs >= 0)
            m_keptResult = value;
        log(QStringLiteral("OTA %1, restarting before the result is sent, firmware %2")
                .arg(value == 0 ? QStringLiteral("done") : QStringLiteral("failed"), m_identity.fwVersion));
        emit otaFinished(value == 0);
        restart();
        return;
    }
    answer(VELK_REMOTE_RSP_OTA_RESULT, int32(value));
    if (value == -1) {
        m_installHeads.clear();
        log(QStringLiteral("OTA failed"));
        emit otaFinished(false);
    } else if (value == 0) {
        const QString fwBefore = m_identity.fwVersion;
        const QString panelFwBefore = m_identity.panelFwVersion;
        applyInstalledVersions();
        log(QStringLiteral("OTA done, firmware %1").arg(m_identity.fwVersion));
        if (m_behaviour.rebootAfterOta && m_behaviour.rollBackAfterBootMs >= 0) {
            m_rollBackArmed = true;
            m_rollBackFwVersion = fwBefore;
            m_rollBackPanelFwVersion = panelFwBefore;
        }
        emit otaFinished(true);
        if (m_behaviour.rebootAfterOta && m_behaviour.rebootAfterNextStart) {
            m_rebootAtStart = true;
            m_rebootSession = m_session;
            m_rebootDelayMs = m_behaviour.rebootAfterOtaDelayMs;
            m_sinceSuccess.start();
        } else if (m_behaviour.rebootAfterOta) {
            if (m_behaviour.rebootAfterOtaDelayMs > 0)
                QTimer::singleShot(m_behaviour.rebootAfterOtaDelayMs, this,
                                   [this, session] { rebootIntoNewFirmware(session); });
            else
                rebootIntoNewFirmware(session);
        }
    } else {
        log(QStringLiteral("OTA progress %1").arg(value));
        playOtaStep(index + 1, m_session);
    }
}

void SimulatedPanel::dropWhileInstalling()
{
    switch (m_behaviour.dropKind) {
    case PanelBehaviour::Drop::Fin:
        log(QStringLiteral("installing, closing the connection"));
        endSession(true);
        break;
    case PanelBehaviour::Drop::Reset:
        log(QStringLiteral("installing, resetting the connection"));
        endSession(false);
        break;
    case PanelBehaviour::Drop::LeftOpen:
        log(QStringLiteral("installing, leaving the connection silent and opening another"));
        endSession(false, true);
        break;
    }
    scheduleSearching(m_settings.reconnectDelayMs);
}

void SimulatedPanel::rebootIntoNewFirmware(quint64 session)
{
    if (session != m_session || m_state != Connected)
        return;
    log(QStringLiteral("rebooting into the new firmware"));
    restart();
}

void SimulatedPanel::rollBack(quint64 session)
{
    // Gone meanwhile: it comes back however it does, the new image kept.
    if (session != m_session || m_state != Connected)
        return;
    m_identity.fwVersion = m_rollBackFwVersion;
    m_identity.panelFwVersion = m_rollBackPanelFwVersion;
    log(QStringLiteral("the new firmware failed its health check, rolling back to %1").arg(m_identity.fwVersion));
    restart();
}

void SimulatedPanel::restart()
{
    endSession(true);
    setState(Off);
    emit rebooting();
    scheduleStep(m_settings.rebootDelayMs, [this] { enterSearching(); });
}

void SimulatedPanel::applyInstalledVersions()
{
    const QList<QByteArray> heads = m_installHeads;
    m_installHeads.clear();
    if (!m_behaviour.afterOtaVersion.isEmpty()) {
        m_identity.fwVersion = m_behaviour.afterOtaVersion;
        return;
    }
    for (const QByteArray &head : heads) {
        QString fw;
        QString panel;
        if (!SimulatedFirmware::read(head, &fw, &panel))
            continue;
        if (!fw.isEmpty())
            m_identity.fwVersion = fw;
        // An image changes the panel version code only; size and OC code belong to the hardware.
        QString current = m_identity.panelFwVersion;
        if (panel.size() == 11 && current.size() == 11) {
            current.replace(9, 2, panel.mid(9, 2));
            m_identity.panelFwVersion = current;
        }
    }
}

void SimulatedPanel::answer(quint16 responseCode, const QByteArray &payload)
{
    const AnswerKnob knob = m_behaviour.answers.value(responseCode);
    if (knob.drop) {
        log(QStringLiteral("dropping %1").arg(codeText(responseCode)));
        return;
    }
    const QByteArray bytes = knob.payload ? *knob.payload : payload;
    if (knob.hold) {
        log(QStringLiteral("holding %1").arg(codeText(responseCode)));
        m_held.append({responseCode, bytes, m_session});
        return;
    }
    if (knob.delayMs <= 0) {
        writeFrame(responseCode, bytes);
        return;
    }
    const quint64 session = m_session;
    QTimer::singleShot(knob.delayMs, this, [this, session, responseCode, bytes] {
        if (session == m_session)
            writeFrame(responseCode, bytes);
    });
}

int SimulatedPanel::writeFrame(quint16 code, const QByteArray &payload)
{
    if (!hasSession())
        return -1;
    m_sentCounts[code] += 1;
    m_socket->write(FrameCodec::encode(code, payload));
    emit frameSent(code, payload);
    return 0;
}

int SimulatedPanel::releaseHeldAnswers(quint16 responseCode)
{
    int sent = 0;
    for (int i = 0; i < m_held.size();) {
        const HeldAnswer held = m_held.at(i);
        if (responseCode != 0 && held.code != responseCode) {
            ++i;
            continue;
        }
        m_held.removeAt(i);
        // An answer held over a reconnect belongs to a connection that is gone.
        if (held.session == m_session && writeFrame(held.code, held.payload) == 0)
            ++sent;
    }
    return sent;
}

// --- discovery -----------------------------------------------------------------------------------------------------

bool SimulatedPanel::bindAnswerSocket(QAbstractSocket::BindMode mode)
{
    if (m_answerSocket)
        return true;
    auto *socket = new QUdpSocket(this);
    if (!socket->bind(m_settings.ownAddress, m_settings.answerPort, mode)) {
        log(QStringLiteral("cannot bind the discovery socket %1:%2: %3")
                .arg(m_settings.ownAddress.toString())
                .arg(m_settings.answerPort)
                .arg(socket->errorString()));
        delete socket;
        return false;
    }
    m_answerSocket = socket;
    connect(socket, &QUdpSocket::readyRead, this, &SimulatedPanel::onAnswerDatagrams);
    return true;
}

void SimulatedPanel::closeAnswerSocket()
{
    if (!m_answerSocket)
        return;
    // Later, not now: this may run inside the socket's own readyRead.
    m_answerSocket->disconnect(this);
    m_answerSocket->close();
    m_answerSocket->deleteLater();
    m_answerSocket = nullptr;
}

quint16 SimulatedPanel::answerPort() const
{
    return m_answerSocket ? m_answerSocket->localPort() : 0;
}

int SimulatedPanel::sendSearch()
{
    if (!bindAnswerSocket())
        return -1;
    SsdpSearch search;
    search.searchTarget = m_behaviour.searchTarget;
    search.mac = m_identity.mac;
    search.model = m_identity.model;
    search.deviceType = m_identity.deviceType;
    search.displayClientVersion = m_identity.displayClientVersion;
    const QByteArray datagram =
        SsdpMessage::buildSearch(search, QStringLiteral("239.255.255.250:%1").arg(m_settings.discoveryPort));
    if (m_answerSocket->writeDatagram(datagram, m_settings.discoveryAddress, m_settings.discoveryPort) < 0) {
        log(QStringLiteral("M-SEARCH failed: %1").arg(m_answerSocket->errorString()));
        return -1;
    }
    ++m_searchesSent;
    return 0;
}

void SimulatedPanel::onAnswerDatagrams()
{
    while (m_answerSocket && m_answerSocket->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_answerSocket->receiveDatagram(4096);
        SsdpAnswer answer;
        if (!SsdpMessage::parseAnswer(datagram.data(), &answer))
            continue;
        ++m_answersReceived;
        m_lastAnswer = answer;
        m_lastAnswerSource = datagram.senderAddress();
        emit searchAnswered(m_lastAnswerSource, answer.port);
        if (m_state == Searching && m_settings.discovery) {
            // The console's answer (solicited or a re-announce): connect to where it came from.
            log(QStringLiteral("console found at %1, LOCATION %2:%3")
                    .arg(m_lastAnswerSource.toString(), answer.host)
                    .arg(answer.port));
            cancelStep();
            connectTo(m_lastAnswerSource, answer.port);
        }
    }
}

// --- reports and misbehaviours -------------------------------------------------------------------------------------

int SimulatedPanel::raiseSos()
{
    if (m_state != Connected && m_state != Locked)
        return -1;
    m_sosActive = true;
    log(QStringLiteral("SOS"));
    return writeFrame(VELK_REMOTE_CMD_SAFE_ALERT, int32(0));
}

int SimulatedPanel::sendKick(const QString &otherConsoleId, const QString &newPassword)
{
    if (m_state != Connected && m_state != Locked)
        return -1;
    log(QStringLiteral("taken over by console %1").arg(otherConsoleId));
    const int result = writeFrame(VELK_REMOTE_CMD_KICK, otherConsoleId.toUtf8());
    if (!newPassword.isNull())
        m_identity.password = newPassword;
    return result;
}

int SimulatedPanel::sendHeartbeat()
{
    return writeFrame(VELK_REMOTE_CMD_HEARTBEAT, int32(0));
}

int SimulatedPanel::sendFrame(quint16 code, const QByteArray &payload)
{
    return writeFrame(code, payload);
}

int SimulatedPanel::sendRaw(const QByteArray &bytes)
{
    if (!hasSession())
        return -1;
    m_socket->write(bytes);
    return 0;
}

int SimulatedPanel::sendHugeLength()
{
    return sendRaw(FrameCodec::encodeHeader(VELK_REMOTE_CMD_SAFE_ALERT, 0x7FFFFFF0));
}

int SimulatedPanel::sendNegativeLength()
{
    return sendRaw(FrameCodec::encodeHeader(VELK_REMOTE_CMD_SAFE_ALERT, -1));
}

int SimulatedPanel::sendPartialAndStall()
{
    return sendRaw(FrameCodec::encodeHeader(VELK_REMOTE_CMD_HEARTBEAT, 64) + QByteArray(10, '\0'));
}

int SimulatedPanel::sendUnknownCode()
{
    return writeFrame(kUnknownCode, int32(0));
}

int SimulatedPanel::sendShortInt32(quint16 code)
{
    return writeFrame(code, QByteArray(2, '\0'));
}

void SimulatedPanel::stopReading()
{
    m_reading = false;
    if (m_socket)
        m_socket->setReadBufferSize(1);
    log(QStringLiteral("stopped reading"));
}

void SimulatedPanel::resumeReading()
{
    m_reading = true;
    if (m_socket)
        m_socket->setReadBufferSize(0);
    log(QStringLiteral("reading again"));
    onReadyRead();
}

void SimulatedPanel::abort()
{
    if (!m_socket)
        return;
    log(QStringLiteral("dropping the connection"));
    endSession(false);
    scheduleSearching(m_settings.reconnectDelayMs);
}

void SimulatedPanel::resetCounters()
{
    m_updatesStarted = 0;
    m_keptResult.reset();
    m_counts.clear();
    m_sentCounts.clear();
    m_lastPayloads.clear();
    m_codes.clear();
    m_files.clear();
    m_audioFiles.clear();
    m_lastUpgradeType = -1;
}
