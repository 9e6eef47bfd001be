#pragma once

#include <QHostAddress>
#include <QList>
#include <QString>
#include <QtGlobal>

// Every port, address, time-out and bound of the panel network in one place. Production runs on the defaults;
// tests set their own (ephemeral ports, loopback, no multicast join) through NetworkConfig::setCurrent() before the
// first CmdServer::getInstance() or UPnPServer::getInstance().
struct NetworkConfig
{
    // Command protocol
    quint16 tcpPort = 1688; // 0 = ephemeral, read back with CmdServer::serverPort()
    QHostAddress tcpListenAddress = QHostAddress(QHostAddress::AnyIPv4);

    // Discovery
    QList<quint16> discoveryPorts = {1988, 1688};
    quint16 answerPort = 1988;
    QHostAddress multicastGroup = QHostAddress(QStringLiteral("239.255.255.250"));
    bool joinMulticast = true;
    int reannounceIntervalMs = 25000; // also the arp cadence and the bind retry
    int arpTimeoutMs = 30000;
    int maxDatagramSize = 2048;
    // Unmanaged panels the responder keeps heard at most: a flood of searches with made-up MACs must not grow the
    // list without bound.
    int maxHeardDevices = 4096;

    // Wake-on-LAN
    quint16 wolPort = 33333;
    QList<QHostAddress> wolTargets; // empty: every interface's IPv4 broadcast address
    int wolRounds = 3;
    int wolRoundGapMs = 100;

    // Connections
    int handshakeTimeoutMs = 10000;
    int heartbeatIntervalMs = 30000;
    int idleTimeoutMs = 90000;
    int closeGraceMs = 2000;
    // A connection asked for a sign of life (a panel behind the same address wants its device) is closed when none
    // comes within this long.
    int probeTimeoutMs = 3000;
    // Connections accepted and not yet identified; newer ones are refused. A whole fleet reconnecting at once after
    // a restart must fit (the listen queue holds as many).
    int maxPendingHandshakes = 1024;
    // Of those, from one address at most: a host that opens connections and says nothing can keep only this share,
    // and the rest stay for the panels. Panels behind one address (a router that translates addresses) identify
    // within milliseconds, so even a building's worth of them reconnecting at once rarely waits past it.
    int maxPendingPerAddress = 64;
    int maxDroppedFrames = 16;
    qint32 maxPayload = 1024 * 1024;
    // Until a panel has identified, the only frame it may send is its identity, a few hundred bytes of JSON. The
    // small bound keeps a flood of silent connections (up to maxPendingHandshakes of them) from holding a
    // megabyte each.
    qint32 maxIdentityPayload = 16 * 1024;
    qint64 maxWriteBacklog = 16 * 1024 * 1024;

    // File transfers
    int chunkSize = 10240;
    // What the listeners are asked to arm when a transfer starts: the longest wait for its next chunk, or for the panel
    // to take more of what was handed over.
    int transferChunkTimeoutMs = 8000;
    // Frames of a transfer queued in the socket at most. The kernel's send buffer keeps the connection busy; what
    // waits above it is memory per receiving panel, and three frames kept a 100-panel update at the pace of a plain
    // copy with half the memory of four.
    int maxChunksInFlight = 3;

    // Tests: refuse every destination outside 127.0.0.0/8, so a seeding mistake cannot leak traffic.
    bool loopbackOnly = false;

    // Folders; empty means the production location (the data folder's "Audio", the system temporary folder).
    QString audioFolder;
    QString tempFolder;

    QString effectiveAudioFolder() const;
    QString effectiveTempFolder() const;
    // True when a datagram or connection to this address may leave, given loopbackOnly.
    bool allowsDestination(const QHostAddress &address) const;

    static NetworkConfig current();
    static void setCurrent(const NetworkConfig &config);
};
