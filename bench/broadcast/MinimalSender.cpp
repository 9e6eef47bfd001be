#include "MinimalSender.h"

#include <QTcpSocket>

MinimalSender::MinimalSender(const QByteArray &sound, const QString &fileName)
    : MinimalConsole(QByteArrayLiteral("{minimal-sender}")), m_sound(sound), m_fileName(fileName)
{
}

MinimalSender::~MinimalSender() = default;

void MinimalSender::accepted(Peer *peer)
{
    connect(peer->socket, &QTcpSocket::bytesWritten, this, [this, peer] { pump(peer); });
}

void MinimalSender::received(Peer *peer, const FrameView &frame)
{
    switch (frame.code) {
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
        if (++m_results == m_targets)
            finished();
        break;
    default:
        break;
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
        const qint64 queued = peer->socket->bytesToWrite();
        if (queued > 0 && queued + FrameCodec::kHeaderSize + want > window) {
            // A full window straight to the kernel, as a sender written on plain sockets does; waiting for the
            // socket's write notification would cost each window a pass of the event loop over every connection of
            // the fleet.
            peer->socket->flush();
            if (peer->socket->bytesToWrite() < queued)
                continue;
            return;
        }
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
    const double seconds = timed(timeoutMs, [this] {
        for (int i = 0; i < kWindow && !m_waiting.isEmpty(); ++i)
            sendRecord(m_waiting.takeFirst());
    });
    return m_results == m_targets ? seconds : -1;
}
