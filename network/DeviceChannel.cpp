#include "network/DeviceChannel.h"

#include "datastore/OrvantaDBIntf.h"
#include "network/AccountSyncCache.h"
#include "network/CmdServer.h"
#include "network/FrameCodec.h"
#include "network/PanelAccountMerge.h"
#include "network/PanelFileName.h"
#include "network/ProtocolCodes.h"
#include "network/TransferJob.h"
#include "shell/base/Clock.h"
#include "shell/base/Log.h"
#include "shell/base/Session.h"

#include <QDir>
#include <QFileInfo>
#include <QTcpSocket>
#include <QTimer>

#include <limits>
#include <utility>

#if defined(Q_OS_LINUX)
#include <linux/sockios.h>
#include <linux/tcp.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

#include <cstddef>
#endif

namespace {

// The socket reads at most this much ahead of the decoder, so a fast sender is held back by TCP instead of by our
// memory.
constexpr qint64 kReadChunk = 64 * 1024;

// How often the delivery of a file on its way (being sent, or sent whole and not answered yet) is looked at.
constexpr int kDeliveryLookMs = 1000;
// How much longer than the wait for a chunk a panel whose receive buffer is full may stay quiet, at the most, once it
// has shown that it reads on after such quiets.
constexpr int kMostPatienceMs = 3000;

const TransferJob::Codes kOtaCodes = {VELK_REMOTE_CMD_TRANSFER_FILE_START, VELK_REMOTE_CMD_TRANSFER_FILE_DATA,
                                      VELK_REMOTE_CMD_TRANSFER_FILE_COMPLETE};
const TransferJob::Codes kBroadcastCodes = {VELK_REMOTE_CMD_BROADCAST_FILE_START, VELK_REMOTE_CMD_BROADCAST_FILE_DATA,
                                            VELK_REMOTE_CMD_BROADCAST_FILE_COMPLETE};

// What the kernel tells of the bytes sent to the peer: how many it holds that the peer has not acknowledged, and the
// room the peer said its receive buffer has at its last acknowledgement. Both 0 where the system does not tell.
struct SendQueue
{
    qint64 unacknowledged = 0;
    qint64 peerRoom = 0;
};

SendQueue sendQueue(const QTcpSocket &socket)
{
    SendQueue queue;
#if defined(Q_OS_LINUX)
    const qintptr descriptor = socket.socketDescriptor();
    if (descriptor < 0)
        return queue;
    int unacknowledged = 0;
    if (::ioctl(int(descriptor), SIOCOUTQ, &unacknowledged) == 0)
        queue.unacknowledged = unacknowledged;
    tcp_info info{};
    socklen_t size = sizeof info;
    if (::getsockopt(int(descriptor), IPPROTO_TCP, TCP_INFO, &info, &size) == 0 &&
        size >= offsetof(tcp_info, tcpi_snd_wnd) + sizeof info.tcpi_snd_wnd)
        queue.peerRoom = info.tcpi_snd_wnd;
#else
    Q_UNUSED(socket)
#endif
    return queue;
}

} // namespace

DeviceChannel::DeviceChannel(QTcpSocket *socket, CmdServer *server, const NetworkConfig &config)
    : QObject(server), m_server(server), m_config(config), m_socket(socket),
      m_decoder(qMin(config.maxIdentityPayload, config.maxPayload)), m_handshakeTimer(new QTimer(this)),
      m_heartbeatTimer(new QTimer(this)), m_idleTimer(new QTimer(this)), m_graceTimer(new QTimer(this)),
      m_probeTimer(new QTimer(this)), m_deliveryTimer(new QTimer(this))
{
    m_socket->setParent(this);
    m_socket->setReadBufferSize(kReadChunk * 4);
    // Commands and answers are small frames that often follow a file's chunks; Nagle would hold each back until the
    // panel acknowledges the bulk, up to its delayed-ACK time (40 ms on Linux).
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_peerIp = peerAddressText(m_socket);

    m_handshakeTimer->setSingleShot(true);
    connect(m_handshakeTimer, &QTimer::timeout, this, &DeviceChannel::checkHandshakeDeadline);
    // Each panel keeps the phase of its own handshake. A coarse timer of 30 s may move by 1.5 s, and Qt moves it to
    // the nearest whole second: the heartbeats of a whole fleet then went out in one pass of the event loop, every
    // 30 s, and the panels' own messages waited behind them (with 5,000 panels their slowest round trips took three
    // times their usual time).
    m_heartbeatTimer->setTimerType(Qt::PreciseTimer);
    m_heartbeatTimer->setSingleShot(true);
    connect(m_heartbeatTimer, &QTimer::timeout, this, &DeviceChannel::checkHeartbeat);
    m_idleTimer->setSingleShot(true);
    connect(m_idleTimer, &QTimer::timeout, this, &DeviceChannel::checkIdle);
    m_lastActivityMs = now();
    m_graceTimer->setSingleShot(true);
    connect(m_graceTimer, &QTimer::timeout, this, [this] {
        m_socket->abort();
        scheduleDeletion();
    });

    m_probeTimer->setSingleShot(true);
    connect(m_probeTimer, &QTimer::timeout, this, &DeviceChannel::checkProbe);
    // While the file goes out, what the panel takes keeps the listeners' wait for a chunk from ending a transfer that
    // the socket holds back. Once it is sent whole: looked at only when a newcomer tries the address, a panel that died
    // after reading more of the file was seen reading up to one retry late, and kept its record that much longer.
    m_deliveryTimer->setInterval(kDeliveryLookMs);
    connect(m_deliveryTimer, &QTimer::timeout, this, &DeviceChannel::lookAtDelivery);

    connect(m_socket, &QTcpSocket::readyRead, this, &DeviceChannel::onReadyRead);
    connect(m_socket, &QTcpSocket::disconnected, this, &DeviceChannel::onDisconnected);
    connect(m_socket, &QTcpSocket::bytesWritten, this, &DeviceChannel::onBytesWritten);
    connect(m_socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        if (error != QAbstractSocket::RemoteHostClosedError && m_state != Closed && worthSaying("socket error"))
            writeLog(LOG_LEVEL_WARNING, "DeviceChannel: socket error %s from %s", qPrintable(m_socket->errorString()),
                     qPrintable(logName()));
        if (m_socket->state() == QAbstractSocket::UnconnectedState)
            onDisconnected();
    });

    armHandshakeTimer(m_config.handshakeTimeoutMs);
    // Bytes may already be waiting when the server hands the socket over.
    if (m_socket->bytesAvailable() > 0)
        QTimer::singleShot(0, this, &DeviceChannel::onReadyRead);
}

QString DeviceChannel::peerAddressText(const QTcpSocket *socket)
{
    bool ok = false;
    const quint32 ipv4 = socket->peerAddress().toIPv4Address(&ok);
    return ok ? QHostAddress(ipv4).toString() : socket->peerAddress().toString();
}

DeviceChannel::~DeviceChannel()
{
    m_socket->disconnect(this);
}

qint64 DeviceChannel::now() const
{
    return m_server->clock()->elapsedMs();
}

void DeviceChannel::armHandshakeTimer(int timeoutMs)
{
    m_handshakeWaitMs = timeoutMs;
    m_handshakeDeadlineMs = now() + timeoutMs;
    m_handshakeTimer->start(timeoutMs);
}

bool DeviceChannel::rearmUntil(QTimer *timer, qint64 deadlineMs)
{
    const qint64 left = deadlineMs - now();
    if (left <= 0)
        return false;
    timer->start(int(qMin<qint64>(left, std::numeric_limits<int>::max())));
    return true;
}

void DeviceChannel::checkHandshakeDeadline()
{
    if (m_state != AwaitIdentity || rearmUntil(m_handshakeTimer, m_handshakeDeadlineMs))
        return;
    m_handshakeTimer->stop();
    if (m_awaitingDecision)
        writeLog(LOG_LEVEL_WARNING,
                 "DeviceChannel: identity of %s not answered within %d ms, closing: it connects again",
                 qPrintable(logName()), m_handshakeWaitMs);
    else if (worthSaying("no identity in time"))
        writeLog(LOG_LEVEL_WARNING, "DeviceChannel: no identity within %d ms from %s", m_handshakeWaitMs,
                 qPrintable(logName()));
    close();
}

void DeviceChannel::checkHeartbeat()
{
    if (m_state == Closed || rearmUntil(m_heartbeatTimer, m_lastHeartbeatMs + m_config.heartbeatIntervalMs))
        return;
    m_lastHeartbeatMs = now();
    m_heartbeatTimer->start(m_config.heartbeatIntervalMs);
    sendInt32(VELK_REMOTE_CMD_HEARTBEAT, 0);
}

void DeviceChannel::checkIdle()
{
    // Frames only stamp the time; the timer is re-armed for the rest of the period when it fires. Restarting a
    // QTimer for every frame costs a linear search through all timers of the thread, thousands with a large fleet.
    if (m_state == Closed || rearmUntil(m_idleTimer, m_lastActivityMs + m_config.idleTimeoutMs))
        return;
    m_idleTimer->stop();
    writeLog(LOG_LEVEL_WARNING, "DeviceChannel: idle timeout %s", qPrintable(logName()));
    close();
}

void DeviceChannel::checkProbe()
{
    if (m_state == Closed || rearmUntil(m_probeTimer, m_probeSentMs + m_probeTimeoutMs))
        return;
    m_probeTimer->stop();
    // Any frame since the probe went out proves the panel alive. Judged by the time since the last frame, a prompt
    // answer looked like none whenever the verdict came a little late. A panel receiving a file over a slow link
    // answers only once the chunks queued before the probe reached it: closed, it lost the transfer mid-way.
    if (m_probeAnswered || receivesFile())
        return;
    writeLog(LOG_LEVEL_WARNING, "DeviceChannel: no answer to a probe from %s at %s, closing", qPrintable(logName()),
             qPrintable(m_peerIp));
    close();
}

void DeviceChannel::clockMoved()
{
    // The timers run on real time; what is due is read from the clock, which may have moved on faster.
    if (m_handshakeTimer->isActive())
        checkHandshakeDeadline();
    if (m_state != Connected && m_state != Locked)
        return;
    if (m_heartbeatTimer->isActive())
        checkHeartbeat();
    if (m_state != Closed && m_probeTimer->isActive())
        checkProbe();
    if (m_state != Closed && m_idleTimer->isActive())
        checkIdle();
}

bool DeviceChannel::worthSaying(const char *what) const
{
    // Before its identity a connection is anyone's, and a host can open thousands: what they do is said once per
    // address and episode, with a count.
    return m_state != AwaitIdentity || m_server->firstOfEpisode(QLatin1String(what), m_peerIp);
}

QString DeviceChannel::logName() const
{
    if (!m_key.isEmpty())
        return m_key;
    return m_peerIp + QLatin1Char(':') + QString::number(m_socket->peerPort());
}

int DeviceChannel::sendFrame(quint16 code, const QByteArray &payload)
{
    if (m_state == Closed || m_socket->state() != QAbstractSocket::ConnectedState)
        return -1;
    if (payload.size() > m_config.maxPayload) {
        writeLog(LOG_LEVEL_ERROR, "DeviceChannel: payload of %d bytes too large for 0x%04x to %s", payload.size(), code,
                 qPrintable(logName()));
        return -1;
    }
    // Before its identity a peer gets nothing but keep-alive answers and the handshake result, a few bytes each; one
    // that sends keep-alives and reads nothing must not hold megabytes on each of the many unidentified connections.
    const qint64 backlog = m_state == AwaitIdentity
                               ? qMin<qint64>(m_config.maxIdentityPayload, m_config.maxWriteBacklog)
                               : m_config.maxWriteBacklog;
    if (m_socket->bytesToWrite() + FrameCodec::kHeaderSize + payload.size() > backlog) {
        if (worthSaying("stopped reading"))
            writeLog(LOG_LEVEL_WARNING, "DeviceChannel: %s stopped reading, %lld bytes unsent, closing",
                     qPrintable(logName()), static_cast<long long>(m_socket->bytesToWrite()));
        close();
        return -1;
    }
    m_socket->write(FrameCodec::encodeHeader(code, payload.size()));
    if (!payload.isEmpty())
        m_socket->write(payload);
    m_written += FrameCodec::kHeaderSize + payload.size();
    return 0;
}

void DeviceChannel::sendNow()
{
    // Written when queued, not one turn of the event loop later: a run asks a whole fleet in one turn, and the panels
    // asked first can answer while the rest are being asked. Without it every frame also cost the socket's write
    // notifier being switched on and off again.
    if (m_state != Closed && m_socket->bytesToWrite() > 0)
        m_socket->flush();
}

int DeviceChannel::sendInt32(quint16 code, qint32 value)
{
    return sendFrame(code, FrameCodec::int32Payload(value));
}

void DeviceChannel::close()
{
    if (m_state == Closed)
        return;
    m_state = Closed;
    m_handshakeTimer->stop();
    m_heartbeatTimer->stop();
    m_idleTimer->stop();
    m_probeTimer->stop();
    m_deliveryTimer->stop();
    // Transfers and a running synchronisation end silently: the listeners' own time-outs report them.
    if (m_otaJob)
        m_otaJob->stop(false);
    if (m_broadcastJob)
        m_broadcastJob->stop(false);
    // No answer is read any more: the statuses of the others need not wait for this one.
    setSyncExchange(false);
    emit closed(this);
    if (m_socket->state() != QAbstractSocket::UnconnectedState) {
        m_socket->disconnectFromHost();
        if (m_socket->state() != QAbstractSocket::UnconnectedState) {
            m_graceTimer->start(m_config.closeGraceMs);
            return;
        }
    }
    scheduleDeletion();
}

void DeviceChannel::onDisconnected()
{
    if (m_state != Closed) {
        if (worthSaying("closed before its identity"))
            writeLog(LOG_LEVEL_INFO, "DeviceChannel: connection closed by %s", qPrintable(logName()));
        close();
    }
    if (m_socket->state() == QAbstractSocket::UnconnectedState) {
        m_graceTimer->stop();
        scheduleDeletion();
    }
}

void DeviceChannel::scheduleDeletion()
{
    if (m_deletionScheduled)
        return;
    m_deletionScheduled = true;
    // One turn later, so a queued newConnection(this) posted at the handshake is delivered first.
    QTimer::singleShot(0, this, [this] {
        if (m_readDepth > 0)
            m_deleteWhenIdle = true;
        else
            deleteLater();
    });
}

void DeviceChannel::onBytesWritten()
{
    if (m_otaJob)
        m_otaJob->pump();
    if (m_broadcastJob)
        m_broadcastJob->pump();
}

void DeviceChannel::onReadyRead()
{
    // A fleet powering on sends its identities in one burst, and reading them all in the turn they arrive held the
    // event loop, and every connected panel's keep-alive, for a tenth of a second and more: an identity is read in
    // the server's slices of the following turns.
    if (m_state == AwaitIdentity && !m_awaitingDecision) {
        if (!m_readQueued) {
            m_readQueued = true;
            m_server->queueIdentityRead(this);
        }
        return;
    }
    readFrames();
}

void DeviceChannel::readQueuedIdentity()
{
    m_readQueued = false;
    readFrames();
}

void DeviceChannel::readFrames()
{
    // A listener that runs a nested event loop (a modal dialog) can bring us back here; the outer loop goes on
    // reading once it returns. The panel is alive meanwhile: our own wait must not count as its silence.
    if (m_readDepth > 0) {
        m_lastActivityMs = now();
        m_probeAnswered = true;
        return;
    }
    ++m_readDepth;
    // Frames already buffered go first: they were held back while the server decided on the identity.
    while (m_state != Closed && !m_awaitingDecision) {
        FrameView frame;
        while (m_state != Closed && !m_awaitingDecision) {
            const FrameDecoder::Result result = m_decoder.next(&frame);
            if (result == FrameDecoder::NeedMore)
                break;
            if (result == FrameDecoder::BadLength) {
                if (worthSaying("bad frame length"))
                    writeLog(LOG_LEVEL_WARNING, "DeviceChannel: bad frame length %s from %s",
                             qPrintable(QString::number(m_decoder.badLength())), qPrintable(logName()));
                close();
                break;
            }
            dispatch(frame);
        }
        if (m_state == Closed || m_awaitingDecision)
            break;
        const QByteArray bytes = m_socket->read(kReadChunk);
        if (bytes.isEmpty())
            break;
        m_decoder.append(bytes);
    }
    --m_readDepth;
    if (m_deleteWhenIdle)
        deleteLater();
}

void DeviceChannel::dropFrame(const char *why, quint16 code)
{
    if (why && worthSaying("frames dropped"))
        writeLog(LOG_LEVEL_WARNING, "DeviceChannel: dropped frame 0x%04x from %s: %s", code, qPrintable(logName()),
                 why);
    if (++m_droppedFrames >= m_config.maxDroppedFrames) {
        if (worthSaying("too many bad frames"))
            writeLog(LOG_LEVEL_WARNING, "DeviceChannel: too many bad frames from %s, closing", qPrintable(logName()));
        close();
    }
}

void DeviceChannel::dispatch(const FrameView &frame)
{
    m_lastActivityMs = now();
    m_probeAnswered = true;
    const FrameCodeInfo *info = ProtocolCodes::find(frame.code);
    if (!info) {
        if (worthSaying("frames dropped"))
            writeLog(LOG_LEVEL_WARNING, "DeviceChannel: unknown code 0x%04x from %s", frame.code,
                     qPrintable(logName()));
        dropFrame(nullptr, frame.code);
        return;
    }
    if (info->direction == FrameDirection::ConsoleToPanel) {
        dropFrame("a console command", frame.code);
        return;
    }
    if (frame.size < info->minPayload) {
        dropFrame("payload too short", frame.code);
        return;
    }
    const QString mac = m_key;
    qint32 value = 0;
    FrameCodec::readInt32(frame.data, frame.size, 0, &value);

    if (frame.code == VELK_REMOTE_CMD_HEARTBEAT) {
        sendInt32(VELK_REMOTE_RSP_HEARTBEAT, 0);
        return;
    }
    if (frame.code == VELK_REMOTE_RSP_HEARTBEAT)
        return;
    if (m_state == AwaitIdentity) {
        if (frame.code == VELK_REMOTE_CMD_IDENTITY)
            handleIdentity(frame);
        else
            dropFrame("frame before identity", frame.code);
        return;
    }
    if (frame.code == VELK_REMOTE_CMD_IDENTITY) {
        dropFrame("second identity", frame.code);
        return;
    }
    // A locked panel is still a managed device: its SOS must reach the operator. Its payload is
    // never read, so an odd one is only noted.
    if (frame.code == VELK_REMOTE_CMD_SAFE_ALERT) {
        // Named by the device and the address it came from: the MAC a panel reports may name no one panel.
        VelkIFPDevice device;
        const QString name = m_server->managedDevice(m_key, &device) ? device.deviceName : QStringLiteral("?");
        if (frame.size == 4)
            writeLog(LOG_LEVEL_INFO, "DeviceChannel: SOS from %s, %s at %s", qPrintable(m_key), qPrintable(name),
                     qPrintable(m_peerIp));
        else
            writeLog(LOG_LEVEL_WARNING, "DeviceChannel: SOS from %s with a %d-byte payload (4 expected), %s at %s",
                     qPrintable(m_key), int(frame.size), qPrintable(name), qPrintable(m_peerIp));
        emit safeAlert(m_identity.mac);
        if (m_state != Closed)
            sendInt32(VELK_REMOTE_RSP_SAFE_ALERT, 0);
        return;
    }
    if (frame.code == VELK_REMOTE_RSP_STOP_SAFE_ALERT)
        return;
    if (m_state != Connected) {
        dropFrame("panel is locked", frame.code);
        return;
    }

    switch (frame.code) {
    case VELK_REMOTE_CMD_KICK:
        emit kickReported(this, QString::fromUtf8(frame.data, qMin(frame.size, PanelIdentity::kMaxFieldLength)));
        break;
    case VELK_REMOTE_RSP_SET_PASSWORD:
        writeLog(LOG_LEVEL_INFO, "DeviceChannel: set-password answer %d from %s", value, qPrintable(mac));
        break;
    case VELK_REMOTE_RSP_TRANSFER_FILE_COMPLETE:
        m_otaUnanswered = false;
        emit transferFileComplete(mac, value == 0, false);
        break;
    case VELK_REMOTE_RSP_CHECK_OTA_STATE:
        emit checkOtaStateResult(mac, value != -1);
        break;
    case VELK_REMOTE_RSP_OTA_RESULT:
        if (value == 0)
            emit otaResult(mac, true);
        else if (value == -1)
            emit otaResult(mac, false);
        else
            emit resetOtaResultTimeout(mac);
        break;
    case VELK_REMOTE_RSP_BROADCAST_DATA:
        emit transferBroadcastFileStarted(mac);
        break;
    case VELK_REMOTE_RSP_BROADCAST_DATA_COMPLETE:
        m_broadcastUnanswered = false;
        emit sendBroadcastDataComplete(mac);
        break;
    case VELK_REMOTE_RSP_START_BROADCAST:
        // The protocol knows no failure here: every answer counts as shown. One that is not 0 is kept in the log.
        if (value != 0)
            writeLog(LOG_LEVEL_WARNING, "DeviceChannel: start-broadcast answer %d from %s", value, qPrintable(mac));
        emit broadcastResult(mac);
        break;
    case VELK_REMOTE_RSP_ASK_FIRST_SYNC:
        // Only the answer to our own question may write users into the console's database.
        if (!m_askedFirstSync) {
            dropFrame("no first-sync question asked", frame.code);
            break;
        }
        m_askedFirstSync = false;
        m_firstSyncAnswer = frame.copy();
        // A panel that knows this console already gets the file a run has built for its users at once, while it
        // waits. A panel that sends its own users, or whose file must be read from the store, waits for a slice of
        // its own: taking users in costs milliseconds a panel.
        if (value == 0 && m_server->accountSyncCache()->holdsRun())
            answerFirstSync();
        else
            m_server->queueFirstSyncAnswer(this);
        break;
    case VELK_REMOTE_RSP_DISABLE_REMOTE_SETUP:
        if (m_syncExchange)
            recordSync(3);
        else
            dropFrame("no synchronisation asked", frame.code);
        break;
    case VELK_REMOTE_RSP_SYNC_ADMIN_SETTINGS:
        writeLog(LOG_LEVEL_INFO, "DeviceChannel: settings answer %d from %s", value, qPrintable(mac));
        break;
    case VELK_REMOTE_RSP_SYNC_USER_SETTINGS_COMPLETE:
        if (m_syncExchange)
            recordSync(1);
        else
            dropFrame("no synchronisation asked", frame.code);
        break;
    default:
        dropFrame("not expected here", frame.code);
        break;
    }
}

void DeviceChannel::handleIdentity(const FrameView &frame)
{
    PanelIdentity identity;
    QString error;
    if (!PanelIdentity::fromJson(frame.bytes(), &identity, &error)) {
        if (worthSaying("bad identity"))
            writeLog(LOG_LEVEL_WARNING, "DeviceChannel: bad identity from %s: %s", qPrintable(logName()),
                     qPrintable(error));
        close();
        return;
    }
    m_identity = identity;
    m_key = identity.mac;
    m_handshakeTimer->stop();
    m_awaitingDecision = true;
    emit identityReceived(this);
}

void DeviceChannel::decided()
{
    if (!m_awaitingDecision)
        return;
    m_awaitingDecision = false;
    // Decided outside our own reading (the server answers identities in turns of its own): go on with what the panel
    // sent meanwhile.
    if (m_readDepth == 0 && m_state != Closed && (m_decoder.pending() > 0 || m_socket->bytesAvailable() > 0))
        QMetaObject::invokeMethod(this, &DeviceChannel::onReadyRead, Qt::QueuedConnection);
}

void DeviceChannel::startHandshakeResult(qint32 result, const QString &consoleId, State state)
{
    if (m_state != AwaitIdentity)
        return;
    m_handshakeTimer->stop();
    sendFrame(VELK_REMOTE_RSP_IDENTITY, FrameCodec::int32ThenBytes(result, consoleId.toUtf8()));
    m_state = state;
    decided();
    m_decoder.setMaxPayload(m_config.maxPayload);
    m_heartbeatTimer->start(m_config.heartbeatIntervalMs);
    m_lastHeartbeatMs = m_lastActivityMs = now();
    m_idleTimer->start(m_config.idleTimeoutMs);
}

void DeviceChannel::acceptAsConnected(const QString &consoleId)
{
    startHandshakeResult(0, consoleId, Connected);
}

void DeviceChannel::acceptAsLocked(const QString &consoleId)
{
    startHandshakeResult(1, consoleId, Locked);
}

void DeviceChannel::refuse(const QString &consoleId)
{
    if (m_state != AwaitIdentity)
        return;
    sendFrame(VELK_REMOTE_RSP_IDENTITY, FrameCodec::int32ThenBytes(-1, consoleId.toUtf8()));
    close();
}

void DeviceChannel::waitForDecision(int timeoutMs)
{
    if (m_state == AwaitIdentity && m_awaitingDecision)
        armHandshakeTimer(timeoutMs);
}

void DeviceChannel::probe(int timeoutMs)
{
    if (m_state == Closed || m_state == AwaitIdentity || m_probeTimer->isActive())
        return;
    sendInt32(VELK_REMOTE_CMD_HEARTBEAT, 0);
    sendNow();
    m_probeSentMs = now();
    m_probeTimeoutMs = timeoutMs;
    m_probeAnswered = false;
    m_probeTimer->start(timeoutMs);
}

bool DeviceChannel::isOtaTransferRunning() const
{
    return m_otaJob && m_otaJob->isRunning();
}

bool DeviceChannel::receivesFile()
{
    // While chunks go out, the listeners' wait for the next chunk ends a transfer that stalls.
    if (isOtaTransferRunning() || isBroadcastTransferRunning())
        return true;
    if (!m_otaUnanswered && !m_broadcastUnanswered)
        return false;
    // The last chunks handed over still fill the kernel's buffers on both ends, and over a slow link the panel reads
    // for seconds, or tens of them, before it sees what came after them. It is spared while it is seen taking or
    // reading them, by the bound of the wait for a chunk: one that died does neither.
    noteDelivery();
    return now() - m_deliveredAtMs < quietAllowedMs();
}

qint64 DeviceChannel::quietAllowedMs() const
{
    const qint64 wait = m_config.transferChunkTimeoutMs;
    // A panel reading slowly into a receive buffer of megabytes tells of the room it made only once a sixteenth of
    // that buffer is free: its kernel takes nothing for seconds while it reads, as long as a hung panel's takes
    // nothing. Only one that has already read on after such quiets is given twice as long, within bounds.
    if (m_peerRoom > 0)
        return wait;
    return qBound(wait, 2 * m_longestQuietMs, wait + kMostPatienceMs);
}

bool DeviceChannel::isBroadcastTransferRunning() const
{
    return m_broadcastJob && m_broadcastJob->isRunning();
}

void DeviceChannel::watchDelivery()
{
    noteDelivery();
    m_deliveredAtMs = now();
    if (m_deliveryTimer->isActive())
        return;
    m_longestQuietMs = 0;
    m_deliveryTimer->start();
}

void DeviceChannel::fileHandedOver(bool *unanswered)
{
    *unanswered = true;
    m_fileEnd = m_written;
    watchDelivery();
}

void DeviceChannel::lookAtDelivery()
{
    const bool sending = isOtaTransferRunning() || isBroadcastTransferRunning();
    if (m_state == Closed || (!sending && !m_otaUnanswered && !m_broadcastUnanswered)) {
        m_deliveryTimer->stop();
        return;
    }
    // A chunk handed over since the last look restarted the listeners' wait already.
    const bool chunkWent = m_fileEnd != m_fileEndAtLook;
    m_fileEndAtLook = m_fileEnd;
    const bool moved = noteDelivery();
    if (!sending || chunkWent)
        return;
    // Spared while its quiet is within what it has shown: the listeners' wait then ends at quietAllowedMs().
    if (!moved && now() - m_deliveredAtMs + m_config.transferChunkTimeoutMs > quietAllowedMs())
        return;
    // Linux lets a socket be written again only once a third of its send buffer, megabytes of it, has drained: a
    // panel reading slower than that third per wait for a chunk got no new chunk within the wait, though it read all
    // the while, and lost its transfer. Its taking the file's bytes while no chunk can go counts as a chunk; one that
    // takes none for the whole wait still loses it.
    if (isOtaTransferRunning())
        m_server->noteOtaChunk(m_key);
    if (isBroadcastTransferRunning())
        m_server->noteBroadcastChunk(m_key);
}

bool DeviceChannel::noteDelivery()
{
    const SendQueue queue = sendQueue(*m_socket);
    // What went after the file does not count: a keep-alive or a probe that the kernel of a hung panel took would
    // spare it again and again. Once its kernel holds the whole file, a panel reading it frees room in its buffer,
    // which it tells at its next acknowledgement (of a probe, of a keep-alive, or of its own when much came free).
    const qint64 delivered = qMin(m_fileEnd, m_written - m_socket->bytesToWrite() - queue.unacknowledged);
    const bool moved = delivered > m_delivered || queue.peerRoom > m_peerRoom;
    // A panel reading a file over a slow link answers a keep-alive only once it has read what went before it, a
    // minute and more later with the megabytes both kernels hold: taking the file, it is not idle.
    if (moved) {
        if (m_peerRoom == 0)
            m_longestQuietMs = qMax(m_longestQuietMs, now() - m_deliveredAtMs);
        m_deliveredAtMs = m_lastActivityMs = now();
    }
    m_delivered = qMax(m_delivered, delivered);
    m_peerRoom = queue.peerRoom;
    return moved;
}

void DeviceChannel::stopWatchingDelivery()
{
    if (!isOtaTransferRunning() && !isBroadcastTransferRunning() && !m_otaUnanswered && !m_broadcastUnanswered)
        m_deliveryTimer->stop();
}

bool DeviceChannel::startOtaTransfer(const QString &localPath, const QString &remoteName)
{
    if (m_state != Connected)
        return false;
    m_otaUnanswered = false;
    if (m_otaJob) {
        m_otaJob->stop(false);
        m_otaJob->deleteLater();
        m_otaJob = nullptr;
    }
    auto sender = [this](quint16 code, const QByteArray &payload) { return sendFrame(code, payload); };
    auto *job = new TransferJob(kOtaCodes, sender, m_socket, m_config.chunkSize, m_config.maxChunksInFlight, this);
    if (job->open(localPath) != TransferJob::Opened) {
        job->deleteLater();
        return false;
    }
    const QString mac = m_key;
    job->setChunkNote([this, mac](int) {
        m_fileEnd = m_written;
        m_server->noteOtaChunk(mac);
    });
    connect(job, &TransferJob::completed, this, [this, mac] {
        fileHandedOver(&m_otaUnanswered);
        emit setupTransferFileCompleteTimeout(mac, 180000);
    });
    connect(job, &TransferJob::failed, this, [this, mac, localPath] {
        writeLog(LOG_LEVEL_ERROR, "DeviceChannel: read error in %s, transfer to %s stopped", qPrintable(localPath),
                 qPrintable(mac));
        emit transferFileComplete(mac, false, true);
    });
    m_otaJob = job;
    emit setupTransferFileTimeout(mac, m_config.transferChunkTimeoutMs);
    if (m_state == Connected && m_otaJob == job) {
        watchDelivery();
        job->start(remoteName);
    }
    return true;
}

void DeviceChannel::stopOtaTransfer(bool notifyPanel)
{
    m_otaUnanswered = false;
    if (m_otaJob)
        m_otaJob->stop(false);
    stopWatchingDelivery();
    if (notifyPanel)
        sendFrame(VELK_REMOTE_CMD_TRANSFER_FILE_COMPLETE, FrameCodec::sizeText(0));
}

bool DeviceChannel::startBroadcastTransfer(const QString &audioFolder)
{
    if (m_state != Connected || !m_hasBroadcast)
        return false;
    m_broadcastUnanswered = false;
    QString name;
    if (m_broadcast.audioSelection >= 1 && m_broadcast.audioSelection <= 3)
        name = QStringLiteral("Default_Audio_%1.mp3").arg(m_broadcast.audioSelection);
    else if (m_broadcast.audioSelection == 4)
        // The stored name is only ever a name inside the Audio folder, never a path.
        name = QFileInfo(m_broadcast.savedAudioFilename).fileName();
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    const QString path = QDir(audioFolder).filePath(name);
    if (m_broadcastJob) {
        m_broadcastJob->stop(false);
        m_broadcastJob->deleteLater();
        m_broadcastJob = nullptr;
    }
    auto sender = [this](quint16 code, const QByteArray &payload) { return sendFrame(code, payload); };
    auto *job =
        new TransferJob(kBroadcastCodes, sender, m_socket, m_config.chunkSize, m_config.maxChunksInFlight, this);
    if (job->open(path) != TransferJob::Opened) {
        writeLog(LOG_LEVEL_ERROR, "DeviceChannel: audio file %s cannot be sent", qPrintable(path));
        job->deleteLater();
        return false;
    }
    const QString mac = m_key;
    job->setChunkNote([this, mac](int index) {
        m_fileEnd = m_written;
        if (index > 0)
            m_server->noteBroadcastChunk(mac);
    });
    connect(job, &TransferJob::completed, this, [this, mac] {
        fileHandedOver(&m_broadcastUnanswered);
        emit setupBroadcastTransferFileCompleteTimeout(mac, 180000);
    });
    connect(job, &TransferJob::failed, this, [mac, path] {
        writeLog(LOG_LEVEL_ERROR, "DeviceChannel: read error in %s, audio transfer to %s stopped", qPrintable(path),
                 qPrintable(mac));
    });
    m_broadcastJob = job;
    emit setupBroadcastTransferFileTimeout(mac, m_config.transferChunkTimeoutMs);
    // Rows stored before uploads were given plain names still hold their name as picked; the panel gets it plain.
    if (m_state == Connected && m_broadcastJob == job) {
        watchDelivery();
        job->start(PanelFileName::plain(name));
    }
    return true;
}

void DeviceChannel::stopBroadcastTransfer(bool notifyPanel)
{
    m_broadcastUnanswered = false;
    if (m_broadcastJob)
        m_broadcastJob->stop(false);
    stopWatchingDelivery();
    if (notifyPanel)
        sendFrame(VELK_REMOTE_CMD_BROADCAST_FILE_COMPLETE, FrameCodec::sizeText(0));
}

void DeviceChannel::checkAccountSync()
{
    if (!isAdminLogin) {
        writeLog(LOG_LEVEL_INFO, "Current user is not admin, not need to do sync.");
        return;
    }
    const QString mac = m_key;
    writeLog(LOG_LEVEL_INFO, "checkAccountSync, %s", qPrintable(mac));
    if (m_syncing) {
        writeLog(LOG_LEVEL_WARNING, "currently syncing user device, can NOT checkMultiUserDataSync");
        return;
    }
    m_syncing = true;
    m_syncWait = SyncWait::None;
    VelkMultiUserAdmin settings;
    quint32 rc = DB_OK;
    AccountSyncCache *cache = m_server->accountSyncCache();
    if (!cache->settings(&settings, &rc)) {
        if (cache->refused()) {
            // Not known yet is not "no settings": the question goes once they can be read, within the time-out of
            // an exchange, and without a wait of the GUI thread for every panel.
            m_syncWait = SyncWait::Question;
            m_server->waitForAccountData(this);
            emit setupSyncUserDeviceTimeout(mac, 180000);
            return;
        }
        endSyncWithoutSettings(rc);
        return;
    }
    askSync(settings);
    emit setupSyncUserDeviceTimeout(mac, 180000);
}

void DeviceChannel::askSync(const VelkMultiUserAdmin &settings)
{
    setSyncExchange(true);
    if (settings.enableSetupServer) {
        m_askedFirstSync = true;
        sendFrame(VELK_REMOTE_CMD_ASK_FIRST_SYNC, m_server->consoleIdUtf8());
    } else {
        sendInt32(VELK_REMOTE_CMD_DISABLE_REMOTE_SETUP, 0);
    }
    sendNow();
}

void DeviceChannel::resumeSync()
{
    const SyncWait waited = std::exchange(m_syncWait, SyncWait::None);
    if (m_state != Connected)
        return;
    if (waited == SyncWait::Users) {
        sendUserSettings();
        return;
    }
    if (waited != SyncWait::Question)
        return;
    VelkMultiUserAdmin settings;
    quint32 rc = DB_OK;
    AccountSyncCache *cache = m_server->accountSyncCache();
    if (cache->settings(&settings, &rc)) {
        askSync(settings);
    } else if (cache->refused()) {
        m_syncWait = SyncWait::Question;
        m_server->waitForAccountData(this);
    } else {
        // No settings after all: the synchronisation ends as it would have at its start.
        endSyncWithoutSettings(rc);
    }
}

void DeviceChannel::endSyncWithoutSettings(quint32 rc)
{
    if (rc != DB_OK)
        writeLog(LOG_LEVEL_ERROR, "checkAccountSync, queryMultiUserAdmin error 0x%08x", rc);
    emit setupSyncUserDeviceTimeout(m_key, 1000);
}

void DeviceChannel::syncAdminSettings()
{
    VelkMultiUserAdmin settings;
    quint32 rc = DB_OK;
    AccountSyncCache *cache = m_server->accountSyncCache();
    if (!cache->settings(&settings, &rc)) {
        writeLog(LOG_LEVEL_ERROR, "DeviceChannel::syncAdminSettings, queryMultiUserAdmin error 0x%08x", rc);
        return;
    }
    sendFrame(VELK_REMOTE_CMD_SYNC_ADMIN_SETTINGS, cache->settingsMessage(m_identity.displayClientVersion));
}

void DeviceChannel::answerFirstSync()
{
    const QByteArray payload = std::exchange(m_firstSyncAnswer, QByteArray());
    if (payload.isEmpty() || m_state != Connected)
        return;
    qint32 first = 0;
    QByteArray file;
    FrameCodec::splitInt32ThenBytes(payload, &first, &file);
    if (first == 1 && !mergePanelAccounts(file)) {
        // The panel replaces its users with the list we send: sending ours now would lose the users it has and we
        // never took in. No answer can come any more, so the synchronisation ends failed now, as a time-out would
        // have ended it 180 s later, while a Sync Now held its progress window up; the reason is in the log, and
        // the next synchronisation asks again.
        writeLog(LOG_LEVEL_ERROR, "DeviceChannel: users of %s not taken in, synchronisation stopped",
                 qPrintable(m_key));
        recordSync(2);
        return;
    }
    if (m_state != Connected)
        return;
    sendUserSettings();
}

bool DeviceChannel::mergePanelAccounts(const QByteArray &file)
{
    const quint32 did = m_server->managedDeviceId(m_key);
    const PanelAccountMerge::Parsed parsed = PanelAccountMerge::parse(file);
    if (parsed.isRefused()) {
        VelkIFPDevice device;
        const bool managed = m_server->managedDevice(m_key, &device);
        writeLog(LOG_LEVEL_ERROR, "DeviceChannel: account file of %s (%s) refused: %s",
                 qPrintable(managed ? device.deviceName : QStringLiteral("unmanaged panel")), qPrintable(m_key),
                 qPrintable(parsed.refusal));
        return false;
    }
    return PanelAccountMerge(CmdServer::database()).merge(parsed.rows, did);
}

void DeviceChannel::sendUserSettings()
{
    const quint32 did = m_server->managedDeviceId(m_key);
    // The users the panel takes in on its first synchronisation were written just now; the cache knows by the data
    // store's version that what it held from before no longer holds.
    bool read = true;
    AccountSyncCache *cache = m_server->accountSyncCache();
    const QByteArray file = cache->accountFile(did, &read);
    if (!read && cache->refused()) {
        // Another program holds the database: the users are not known yet, which is not "no users". The panel waits
        // for them with its time-out running, the settings with them, and gets both once they can be read.
        m_syncWait = SyncWait::Users;
        m_server->waitForAccountData(this);
        return;
    }
    if (!read) {
        // Sent without them, the panel would drop every user it has. The synchronisation fails instead, and the next
        // one sends the file.
        writeLog(LOG_LEVEL_ERROR, "DeviceChannel::sendUserSettings, users of %s cannot be read, nothing sent",
                 qPrintable(m_key));
        recordSync(2);
        return;
    }
    // The settings go first, as the panel takes them before its users.
    syncAdminSettings();
    if (sendFrame(VELK_REMOTE_CMD_SYNC_USER_SETTINGS, file) != 0)
        writeLog(LOG_LEVEL_ERROR, "DeviceChannel::sendUserSettings, account file not sent to %s", qPrintable(m_key));
    sendNow();
}

void DeviceChannel::recordSync(int status)
{
    // No further answer belongs to this synchronisation; the mark stays until the status is written.
    setSyncExchange(false);
    m_askedFirstSync = false;
    m_server->recordSyncStatus(this, status);
}

void DeviceChannel::setSyncExchange(bool open)
{
    if (m_syncExchange == open)
        return;
    m_syncExchange = open;
    m_server->noteSyncExchange(open);
}

void DeviceChannel::finishSync()
{
    m_syncing = false;
    emit syncUserDeviceFinished(m_key);
    if (m_state == Closed)
        return;
    emit updateSyncReport();
}
