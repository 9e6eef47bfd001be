#pragma once

// What every minimal yardstick console does on Qt's own sockets and event loop, and nothing more: a loopback server
// with room in its queue for a whole fleet connecting at once, each panel's identity answered once and its keep-alives
// answered, a timed run of the event loop. The yardstick is told of each panel it accepts and gets every other frame.
// Peer has at least a socket, a decoder and whether the panel identified itself.

#include "network/FrameCodec.h"
#include "network/FrameDecoder.h"
#include "network/ProtocolCodes.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <memory>
#include <vector>

namespace bench {

template <typename Peer> class MinimalConsole : public QObject
{
public:
    bool listen() { return m_server->listen(QHostAddress::LocalHost, 0); }
    quint16 port() const { return m_server->serverPort(); }
    int identified() const { return m_identified; }

protected:
    /// consoleId: what the panels are told in the answer to their identity.
    explicit MinimalConsole(const QByteArray &consoleId) : m_consoleId(consoleId), m_server(new QTcpServer(this))
    {
        m_server->setMaxPendingConnections(4096);
        connect(m_server, &QTcpServer::newConnection, this, &MinimalConsole::accept);
    }

    /// A panel connected; its frames are read once this returns.
    virtual void accepted(Peer *peer) = 0;
    /// A frame other than an identity or a keep-alive.
    virtual void received(Peer *peer, const FrameView &frame) = 0;

    void send(Peer *peer, quint16 code, const QByteArray &payload)
    {
        peer->socket->write(FrameCodec::encodeHeader(code, payload.size()));
        if (!payload.isEmpty())
            peer->socket->write(payload);
    }

    /// Runs the event loop from begin() until finished() or timeoutMs; the time it ran, in seconds.
    template <typename Begin> double timed(int timeoutMs, Begin begin)
    {
        QEventLoop loop;
        m_loop = &loop;
        QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
        QElapsedTimer clock;
        clock.start();
        begin();
        loop.exec();
        const double seconds = clock.nsecsElapsed() / 1e9;
        m_loop = nullptr;
        return seconds;
    }
    void finished()
    {
        if (m_loop)
            m_loop->quit();
    }

    std::vector<std::unique_ptr<Peer>> m_peers;

private:
    void accept()
    {
        while (QTcpSocket *socket = m_server->nextPendingConnection()) {
            m_peers.push_back(std::make_unique<Peer>());
            Peer *peer = m_peers.back().get();
            peer->socket = socket;
            socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            accepted(peer);
            connect(socket, &QTcpSocket::readyRead, this, [this, peer] { read(peer); });
        }
    }

    void read(Peer *peer)
    {
        peer->decoder.append(peer->socket->readAll());
        FrameView frame;
        while (peer->decoder.next(&frame) == FrameDecoder::FrameReady) {
            switch (frame.code) {
            case VELK_REMOTE_CMD_IDENTITY:
                if (!peer->identified) {
                    peer->identified = true;
                    ++m_identified;
                    send(peer, VELK_REMOTE_RSP_IDENTITY, FrameCodec::int32ThenBytes(0, m_consoleId));
                }
                break;
            case VELK_REMOTE_CMD_HEARTBEAT:
                send(peer, VELK_REMOTE_RSP_HEARTBEAT, FrameCodec::int32Payload(0));
                break;
            default:
                received(peer, frame);
                break;
            }
        }
    }

    QByteArray m_consoleId;
    QTcpServer *m_server;
    int m_identified = 0;
    QEventLoop *m_loop = nullptr;
};

} // namespace bench
