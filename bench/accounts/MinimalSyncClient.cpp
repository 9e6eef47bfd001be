#include "MinimalSyncClient.h"

#include "network/FrameCodec.h"
#include "network/ProtocolCodes.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace {
// What the panels are told they talk to; a panel asked by another id first answers with its own users.
const QByteArray kConsoleId = QByteArrayLiteral("minimal-sync-client");
} // namespace

MinimalSyncClient::MinimalSyncClient(const QByteArray &settings, const QHash<quint32, QByteArray> &filesByAddress)
    : m_settings(settings), m_files(filesByAddress), m_server(new QTcpServer(this))
{
    // A whole fleet connects at once: room for it in the queue of connections not yet taken.
    m_server->setMaxPendingConnections(4096);
    connect(m_server, &QTcpServer::newConnection, this, &MinimalSyncClient::accept);
}

MinimalSyncClient::~MinimalSyncClient() = default;

bool MinimalSyncClient::listen()
{
    return m_server->listen(QHostAddress::LocalHost, 0);
}

quint16 MinimalSyncClient::port() const
{
    return m_server->serverPort();
}

void MinimalSyncClient::accept()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        m_peers.push_back(std::make_unique<Peer>());
        Peer *peer = m_peers.back().get();
        peer->socket = socket;
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        const auto file = m_files.constFind(socket->peerAddress().toIPv4Address());
        if (file != m_files.constEnd())
            peer->file = &file.value();
        else
            ++m_unknown;
        connect(socket, &QTcpSocket::readyRead, this, [this, peer] { read(peer); });
    }
}

void MinimalSyncClient::send(Peer *peer, quint16 code, const QByteArray &payload)
{
    peer->socket->write(FrameCodec::encodeHeader(code, payload.size()));
    if (!payload.isEmpty())
        peer->socket->write(payload);
}

void MinimalSyncClient::read(Peer *peer)
{
    peer->decoder.append(peer->socket->readAll());
    FrameView frame;
    while (peer->decoder.next(&frame) == FrameDecoder::FrameReady) {
        switch (frame.code) {
        case VELK_REMOTE_CMD_IDENTITY:
            if (!peer->identified) {
                peer->identified = true;
                ++m_identified;
                send(peer, VELK_REMOTE_RSP_IDENTITY, FrameCodec::int32ThenBytes(0, kConsoleId));
            }
            break;
        case VELK_REMOTE_CMD_HEARTBEAT:
            send(peer, VELK_REMOTE_RSP_HEARTBEAT, FrameCodec::int32Payload(0));
            break;
        case VELK_REMOTE_RSP_ASK_FIRST_SYNC:
            send(peer, VELK_REMOTE_CMD_SYNC_ADMIN_SETTINGS, m_settings);
            send(peer, VELK_REMOTE_CMD_SYNC_USER_SETTINGS, peer->file ? *peer->file : QByteArray());
            break;
        case VELK_REMOTE_RSP_SYNC_USER_SETTINGS_COMPLETE:
            if (++peer->completions == 1 && ++m_completed == m_targets && m_loop)
                m_loop->quit();
            break;
        default:
            break;
        }
    }
}

double MinimalSyncClient::synchronise(int timeoutMs)
{
    m_targets = 0;
    m_completed = 0;
    for (const auto &peer : m_peers) {
        peer->completions = 0;
        if (peer->identified && peer->file)
            ++m_targets;
    }
    if (m_targets == 0 || m_unknown > 0)
        return -1;
    QEventLoop loop;
    m_loop = &loop;
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    for (const auto &peer : m_peers) {
        if (peer->identified && peer->file)
            send(peer.get(), VELK_REMOTE_CMD_ASK_FIRST_SYNC, kConsoleId);
    }
    loop.exec();
    const double seconds = clock.nsecsElapsed() / 1e9;
    m_loop = nullptr;
    if (m_completed != m_targets)
        return -1;
    // A panel that confirmed twice got two files: not the exchange being measured.
    for (const auto &peer : m_peers) {
        if (peer->identified && peer->file && peer->completions != 1)
            return -1;
    }
    return seconds;
}
