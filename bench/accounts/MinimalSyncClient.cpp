#include "MinimalSyncClient.h"

#include <QHostAddress>
#include <QTcpSocket>

namespace {
// What the panels are told they talk to; a panel asked by another id first answers with its own users.
const QByteArray kConsoleId = QByteArrayLiteral("minimal-sync-client");
} // namespace

MinimalSyncClient::MinimalSyncClient(const QByteArray &settings, const QHash<quint32, QByteArray> &filesByAddress)
    : MinimalConsole(kConsoleId), m_settings(settings), m_files(filesByAddress)
{
}

MinimalSyncClient::~MinimalSyncClient() = default;

void MinimalSyncClient::accepted(Peer *peer)
{
    const auto file = m_files.constFind(peer->socket->peerAddress().toIPv4Address());
    if (file != m_files.constEnd())
        peer->file = &file.value();
    else
        ++m_unknown;
}

void MinimalSyncClient::received(Peer *peer, const FrameView &frame)
{
    switch (frame.code) {
    case VELK_REMOTE_RSP_ASK_FIRST_SYNC:
        send(peer, VELK_REMOTE_CMD_SYNC_ADMIN_SETTINGS, m_settings);
        send(peer, VELK_REMOTE_CMD_SYNC_USER_SETTINGS, peer->file ? *peer->file : QByteArray());
        break;
    case VELK_REMOTE_RSP_SYNC_USER_SETTINGS_COMPLETE:
        if (++peer->completions == 1 && ++m_completed == m_targets)
            finished();
        break;
    default:
        break;
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
    const double seconds = timed(timeoutMs, [this] {
        for (const auto &peer : m_peers) {
            if (peer->identified && peer->file)
                send(peer.get(), VELK_REMOTE_CMD_ASK_FIRST_SYNC, kConsoleId);
        }
    });
    if (m_completed != m_targets)
        return -1;
    // A panel that confirmed twice got two files: not the exchange being measured.
    for (const auto &peer : m_peers) {
        if (peer->identified && peer->file && peer->completions != 1)
            return -1;
    }
    return seconds;
}
