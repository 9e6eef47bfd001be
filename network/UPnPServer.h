#pragma once

#include "datastore/VelkIFPDevice.h"
#include "network/NetworkConfig.h"

#include <QHash>
#include <QList>
#include <QNetworkAddressEntry>
#include <QObject>

#include <functional>

class ArpTable;
class Clock;
class QTimer;
class QUdpSocket;
struct SsdpSearch;

/// The process-wide discovery responder. Listens for the panels' M-SEARCH datagrams, answers those for our
/// service with the command server's address, keeps the list of panels heard lately, and every tick (administrator
/// console only) re-announces itself to the managed panels that are offline, at the address the host's arp table
/// gives for their MAC or at their stored address.
class UPnPServer : public QObject
{
    Q_OBJECT

public:
    /// Creates the responder on the first call, under a mutex of its own; never null.
    static UPnPServer *getInstance();

    /// Panels not managed whose search was heard in the last three ticks: macAddress, modelName, deviceType,
    /// displayClientVersion and ipAddress (the datagram's source, the latest one heard). A search whose MAC no
    /// panel can have (ArpTable::isUsableMac: all zeros, broadcast, multicast) is kept by its address, with an empty
    /// macAddress, as such a panel is added and matched; at most NetworkConfig::maxHeardDevices panels are kept.
    QList<VelkIFPDevice> heardDevices() const;
    /// heardDevices() without those managed since they were heard: by MAC, and for one kept by its address, a
    /// managed device at that address.
    QList<VelkIFPDevice> unmanagedDevices() const;
    /// The address the last arp run gave for this MAC, or empty.
    QString ipForMac(const QString &mac) const;

    /// The port a discovery socket is bound to (useful with port 0 in tests); 0 when unbound.
    quint16 boundPort(int index) const;
    /// The arp reader, so tests can point it at a fake command.
    ArpTable *arpTable() const { return m_arp; }
    /// Runs one tick now: re-binds what failed, expires the heard list and, on an administrator console,
    /// refreshes the arp table and re-announces to offline managed devices: a batch now, the rest in the next turns of
    /// the event loop (setAnnounceBatch).
    void tick();
    /// The clock the heard list's expiry counts on (Clock::system() unless set); the panels kept count as heard
    /// now. Tests hand a ManualClock and move it.
    void setClock(Clock *clock);
    /// What lists the host's addresses for the answers to name (ConsoleAddress::localEntries() unless set; null
    /// restores it). Tests hand one that counts its calls.
    using AddressLister = std::function<QList<QNetworkAddressEntry>()>;
    void setAddressLister(AddressLister lister);
    /// Offline devices an announcement calls in one turn of the event loop (0 restores the default); the rest follow
    /// in the next turns, so that the panels' frames and the operator's clicks get theirs in between.
    void setAnnounceBatch(int devices);

signals:
    /// A panel entered or left the heard list, or one in it searched with another address, model, type or version.
    void heardDevicesChanged();

private:
    explicit UPnPServer(const NetworkConfig &config);

    struct Heard
    {
        VelkIFPDevice device;
        qint64 lastHeardMs = 0; // Clock::elapsedMs()
    };

    void bindSockets();
    void onReadyRead(QUdpSocket *socket);
    void noteHeard(const SsdpSearch &search, const QHostAddress &sender);
    /// Sends the discovery answer naming the console at consoleAddress to destination, where it is allowed to go.
    void answer(QUdpSocket *socket, const QHostAddress &destination, const QString &consoleAddress);
    void reannounce();
    /// Calls the next batch of the devices of the running announcement.
    void announceNext();
    QString consoleAddressFor(const QHostAddress &peer, const QHostAddress &fallback) const;
    /// The answer naming the console at that address; built again only when the address, the port or the console's
    /// id changed since the last one.
    const QByteArray &answerText(const QString &consoleAddress);
    QUdpSocket *sendingSocket() const;
    void noteDropped(const char *why, const QHostAddress &sender);

    NetworkConfig m_config;
    QList<QUdpSocket *> m_sockets;
    QTimer *m_tick;
    ArpTable *m_arp;
    Clock *m_clock;
    AddressLister m_listAddresses;
    QHash<QString, Heard> m_heard; // by MAC, or by address for a panel whose MAC no card can have
    // Set when a new panel found the heard list full, so that a flood logs it once; cleared when a panel enters.
    bool m_heardFull = false;
    int m_droppedThisTick = 0;

    // The running announcement: the managed devices as it began, the next of them to call, and the host's addresses
    // listed once for all of them.
    QList<VelkIFPDevice> m_announcing;
    int m_announceNext = 0;
    QList<QNetworkAddressEntry> m_announceAddresses;
    int m_announceBatch;
    QTimer *m_announceTimer;
    QString m_answerAddress;
    quint16 m_answerPort = 0;
    QString m_answerConsoleId;
    QByteArray m_answerText;
};
