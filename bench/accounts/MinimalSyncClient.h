#pragma once

// The yardstick of the Sync Now benchmark: the least a single thread on Qt's own sockets and event loop must do to
// synchronise the accounts of a fleet the way the console does, and nothing more. It answers the panels' identities
// and keep-alives; a synchronisation asks every panel at once (0x4001 with its console id), answers each panel's
// answer (0xC001) with the settings (0x4003) and that panel's account file (0x4004), both built beforehand, and is
// done when every panel confirmed its file (0xC004). No log, no timers, no first-sync merge.
// A recording run also records each confirmation in the assignments of that panel's device, as the console must: a
// status and a time in every assignment the run reached, kept on disk. They are written with the console's own
// statement into a copy of the console's database, in one transaction that the last confirmation commits (the fewest
// commits a run can have), and the run is done when that commit is.

#include "bench/network/MinimalConsole.h"

#include <QByteArray>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

class QTcpSocket;

struct MinimalSyncPeer
{
    QTcpSocket *socket = nullptr;
    FrameDecoder decoder;
    const QByteArray *file = nullptr;
    quint32 deviceId = 0; // the device whose assignments its confirmation is recorded in
    bool identified = false;
    int completions = 0; // 0xC004 received in the running synchronisation
};

class MinimalSyncClient : public bench::MinimalConsole<MinimalSyncPeer>
{
public:
    /// filesByAddress: the account file of each panel, keyed by the panel's IPv4 address; devicesByAddress: the
    /// device whose assignments record it. statusesPath: the database the records go into (a copy of the console's).
    MinimalSyncClient(const QByteArray &settings, const QHash<quint32, QByteArray> &filesByAddress,
                      const QHash<quint32, quint32> &devicesByAddress, const QString &statusesPath);
    ~MinimalSyncClient() override;

    /// The database of the records could not be opened or the statement prepared; the error is on stderr.
    bool statusesReady() const { return m_statusesReady; }
    /// Panels whose address has no file or no device: they are not synchronised, which makes every round fail.
    int unknownPanels() const { return m_unknown; }
    /// One synchronisation of every identified panel; its time in seconds, -1 when it did not end within timeoutMs,
    /// a panel answered other than once, or (recording) an assignment does not hold the run's record. Before a
    /// recording run, outside its time, every assignment's time is set a minute back, so that it writes them all.
    double synchronise(int timeoutMs, bool recording);
    /// The milliseconds the last recording synchronisation spent in its statements and their commit.
    double recordingMs() const { return m_recordingNs / 1e6; }

private:
    using Peer = MinimalSyncPeer;

    void accepted(Peer *peer) override;
    void received(Peer *peer, const FrameView &frame) override;
    bool record(const Peer *peer);
    bool commitRecords();
    int assignmentsWithout(const QString &stamp);

    QByteArray m_settings;
    QHash<quint32, QByteArray> m_files;
    QHash<quint32, quint32> m_devices;
    QString m_connection;
    QSqlDatabase m_statuses;
    QSqlQuery m_update;
    bool m_statusesReady = false;
    int m_unknown = 0;
    // The running synchronisation.
    int m_targets = 0;
    int m_completed = 0;
    bool m_recording = false;
    QString m_stamp;
    bool m_recordsFailed = false;
    qint64 m_recordingNs = 0;
};
