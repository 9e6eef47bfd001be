#pragma once

// The yardstick of the broadcast benchmark: the least a single thread on Qt's own sockets and event loop must do to
// broadcast a sound to a fleet the way the console does, and nothing more. It answers the panels' identities and
// keep-alives, keeps at most 20 panels between record and confirmation (the broadcast manager's window), sends each
// the record, then on its request the sound from memory in frames of 10,240 bytes with at most three frames queued
// (the console's pacing; each handed to the kernel as it is queued), and once every panel confirmed, the start command
// to all; done when every panel answered it. No database, no log, no timers.

#include "MinimalConsole.h"

#include <QByteArray>
#include <QList>
#include <QString>

class QTcpSocket;

struct MinimalSenderPeer
{
    QTcpSocket *socket = nullptr;
    FrameDecoder decoder;
    bool identified = false;
    bool sending = false;
    qint64 sent = 0;
};

class MinimalSender : public bench::MinimalConsole<MinimalSenderPeer>
{
public:
    static constexpr int kWindow = 20;
    static constexpr int kChunkSize = 10240;
    static constexpr int kChunksInFlight = 3;

    MinimalSender(const QByteArray &sound, const QString &fileName);
    ~MinimalSender() override;

    // One broadcast to every identified panel; its time in seconds, -1 when it did not end within timeoutMs.
    double broadcast(int timeoutMs);

private:
    using Peer = MinimalSenderPeer;

    void accepted(Peer *peer) override;
    void received(Peer *peer, const FrameView &frame) override;
    void pump(Peer *peer);
    void sendRecord(Peer *peer);

    QByteArray m_sound;
    QString m_fileName;
    // The running broadcast.
    QList<Peer *> m_waiting;
    int m_confirmed = 0;
    int m_results = 0;
    int m_targets = 0;
};
