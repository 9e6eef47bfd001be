#pragma once

// The yardstick of the broadcast benchmark: the least a single thread on Qt's own sockets and event loop must do to
// broadcast a sound to a fleet the way the console does, and nothing more. It answers the panels' identities and
// keep-alives, keeps at most 20 panels between record and confirmation (the broadcast manager's window), sends each
// the record, then on its request the sound from memory in frames of 10,240 bytes with at most three frames queued
// (the console's pacing), and once every panel confirmed, the start command to all; done when every panel answered
// it. No database, no log, no timers.

#include "network/FrameDecoder.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class QEventLoop;
class QTcpServer;
class QTcpSocket;

class MinimalSender : public QObject
{
public:
    static constexpr int kWindow = 20;
    static constexpr int kChunkSize = 10240;
    static constexpr int kChunksInFlight = 3;

    MinimalSender(const QByteArray &sound, const QString &fileName);
    ~MinimalSender() override;

    bool listen();
    quint16 port() const;
    int identified() const { return m_identified; }
    // One broadcast to every identified panel; its time in seconds, -1 when it did not end within timeoutMs.
    double broadcast(int timeoutMs);

private:
    struct Peer
    {
        QTcpSocket *socket = nullptr;
        FrameDecoder decoder;
        bool identified = false;
        bool sending = false;
        qint64 sent = 0;
    };

    void accept();
    void read(Peer *peer);
    void pump(Peer *peer);
    void sendRecord(Peer *peer);
    void send(Peer *peer, quint16 code, const QByteArray &payload);

    QByteArray m_sound;
    QString m_fileName;
    QTcpServer *m_server;
    std::vector<std::unique_ptr<Peer>> m_peers;
    int m_identified = 0;
    // The running broadcast.
    QList<Peer *> m_waiting;
    int m_confirmed = 0;
    int m_results = 0;
    int m_targets = 0;
    QEventLoop *m_loop = nullptr;
};
