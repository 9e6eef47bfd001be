#pragma once

// The yardstick of the Sync Now benchmark: the least a single thread on Qt's own sockets and event loop must do to
// synchronise the accounts of a fleet the way the console does, and nothing more. It answers the panels' identities
// and keep-alives; a synchronisation asks every panel at once (0x4001 with its console id), answers each panel's
// answer (0xC001) with the settings (0x4003) and that panel's account file (0x4004), both built beforehand, and is
// done when every panel confirmed its file (0xC004). No database, no log, no timers, no first-sync merge.

#include "bench/network/MinimalConsole.h"

#include <QByteArray>
#include <QHash>

class QTcpSocket;

struct MinimalSyncPeer
{
    QTcpSocket *socket = nullptr;
    FrameDecoder decoder;
    const QByteArray *file = nullptr;
    bool identified = false;
    int completions = 0; // 0xC004 received in the running synchronisation
};

class MinimalSyncClient : public bench::MinimalConsole<MinimalSyncPeer>
{
public:
    /// filesByAddress: the account file of each panel, keyed by the panel's IPv4 address.
    MinimalSyncClient(const QByteArray &settings, const QHash<quint32, QByteArray> &filesByAddress);
    ~MinimalSyncClient() override;

    /// Panels whose address has no file: they are not synchronised, which makes every round fail.
    int unknownPanels() const { return m_unknown; }
    /// One synchronisation of every identified panel; its time in seconds, -1 when it did not end within timeoutMs
    /// or a panel answered other than once.
    double synchronise(int timeoutMs);

private:
    using Peer = MinimalSyncPeer;

    void accepted(Peer *peer) override;
    void received(Peer *peer, const FrameView &frame) override;

    QByteArray m_settings;
    QHash<quint32, QByteArray> m_files;
    int m_unknown = 0;
    // The running synchronisation.
    int m_targets = 0;
    int m_completed = 0;
};
