#include "MinimalSender.h"

#include "network/FrameCodec.h"
#include "network/ProtocolCodes.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

MinimalSender::MinimalSender(const QByteArray &sound, const QString &fileName)
    : m_sound(sound), m_fileName(fileName), m_server(new QTcpServer(this))
{
    // A whole fleet connects at once: room for it in the queue of connections not yet taken.
    m_server->setMaxPendingConnections(4096);
    connect(m_server, &QTcpServer::newConnection, this, &MinimalSender::accept);
}

MinimalSender::~MinimalSender() = default;

bool MinimalSender::listen()
{
    return m_server->listen(QHostAddress::LocalHost, 0);
}

quint16 MinimalSender::port() const
{
    return m_server->serverPort();
}

void MinimalSender::accept()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        m_peers.push_back(std::make_unique<Peer>());
        Peer *peer = m_peers.back().get();
        peer->socket = socket;
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(socket, &QTcpSocket::readyRead, this, [this, peer] { read(peer); });
        connect(socket, &QTcpSocket::bytesWritten, this, [this, peer] { pump(peer); });
    }
}

void MinimalSender::send(Peer *peer, quint16 code, const QByteArray &payload)
{
    peer->socket->write(FrameCodec::encodeHeader(code, payload.size()));
    if (!payload.isEmpty())
        peer->socket->write(payload);
}

void MinimalSender::read(Peer *peer)
{
    peer->decoder.append(peer->socket->readAll());
    FrameView frame;
    while (peer->decoder.next(&frame) == FrameDecoder::FrameReady) {
        switch (frame.code) {
        case VELK_REMOTE_CMD_IDENTITY:
            if (!peer->identified) {
                peer->identified = true;
                ++m_identified;
                send(peer, VELK_REMOTE_RSP_IDENTITY, FrameCodec::int32ThenBytes(0, "{minimal-sender}"));
            }
            break;
        case VELK_REMOTE_CMD_HEARTBEAT:
            send(peer, VELK_REMOTE_RSP_HEARTBEAT, FrameCodec::int32Payload(0));
            break;
        case VELK_REMOTE_RSP_BROADCAST_DATA:
            peer->sending = true;
            peer->sent = 0;
            send(peer, VELK_REMOTE_CMD_BROADCAST_FILE_START, m_fileName.toUtf8());
            pump(peer);
            break;
        case VELK_REMOTE_RSP_BROADCAST_DATA_COMPLETE:
            ++m_confirmed;
            if (!m_waiting.isEmpty())
                sendRecord(m_waiting.takeFirst());
            if (m_confirmed == m_targets) {
                for (const auto &target : m_peers) {
                    if (target->identified)
                        send(target.get(), VELK_REMOTE_CMD_START_BROADCAST, FrameCodec::int32Payload(0));
                }
            }
            break;
        case VELK_REMOTE_RSP_START_BROADCAST:
            if (++m_results == m_targets && m_loop)
                m_loop->quit();
            break;
        default:
            break;
        }
    }
}

void MinimalSender::pump(Peer *peer)
{
    if (!peer->sending)
        return;
    const qint64 window = qint64(kChunkSize + FrameCodec::kHeaderSize) * kChunksInFlight;
    const qint64 size = m_sound.size();
    while (peer->sent < size) {
        const qint64 want = qMin<qint64>(kChunkSize, size - peer->sent);
        if (peer->socket->bytesToWrite() > 0 && peer->socket->bytesToWrite() + FrameCodec::kHeaderSize + want > window)
            return;
        send(peer, VELK_REMOTE_CMD_BROADCAST_FILE_DATA,
             QByteArray::fromRawData(m_sound.constData() + peer->sent, int(want)));
        peer->sent += want;
    }
    peer->sending = false;
    send(peer, VELK_REMOTE_CMD_BROADCAST_FILE_COMPLETE, FrameCodec::sizeText(size));
}

void MinimalSender::sendRecord(Peer *peer)
{
    BroadcastDataPayload record;
    record.audioSelection = 4;
    record.contentText = QStringLiteral("Benchmark broadcast");
    send(peer, VELK_REMOTE_CMD_BROADCAST_DATA, record.encode());
}

double MinimalSender::broadcast(int timeoutMs)
{
    m_waiting.clear();
    for (const auto &peer : m_peers) {
        if (peer->identified)
            m_waiting.append(peer.get());
    }
    m_targets = m_waiting.size();
    m_confirmed = 0;
    m_results = 0;
    if (m_targets == 0)
        return -1;
    QEventLoop loop;
    m_loop = &loop;
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < kWindow && !m_waiting.isEmpty(); ++i)
        sendRecord(m_waiting.takeFirst());
    loop.exec();
    const double seconds = clock.nsecsElapsed() / 1e9;
    m_loop = nullptr;
    return m_results == m_targets ? seconds : -1;
}
