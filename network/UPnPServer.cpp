#include "network/UPnPServer.h"

#include "network/CmdServer.h"
#include "network/ConsoleAddress.h"
#include "network/SsdpMessage.h"
#include "platform/ArpTable.h"
#include "shell/base/Clock.h"
#include "shell/base/Log.h"
#include "shell/base/Session.h"

#include <QMutex>
#include <QMutexLocker>
#include <QNetworkDatagram>
#include <QSet>
#include <QTimer>
#include <QUdpSocket>

namespace {

// Log lines for dropped datagrams per tick; a flood gets a summary instead of a line per datagram.
constexpr int kDropLogLines = 10;

// Offline devices called per turn of the event loop. A datagram costs the sender some microseconds, so that a fleet
// of ten thousand called in one turn held the loop, and every panel's frame with it, for a tenth of a second.
constexpr int kAnnounceBatch = 256;

} // namespace

UPnPServer *UPnPServer::getInstance()
{
    static QMutex mutex;
    static UPnPServer *instance = nullptr;
    QMutexLocker locker(&mutex);
    if (!instance)
        instance = new UPnPServer(NetworkConfig::current());
    return instance;
}

UPnPServer::UPnPServer(const NetworkConfig &config)
    : m_config(config), m_tick(new QTimer(this)), m_arp(new ArpTable(this)), m_clock(Clock::system()),
      m_listAddresses(&ConsoleAddress::localEntries), m_announceBatch(kAnnounceBatch), m_announceTimer(new QTimer(this))
{
    m_arp->setTimeoutMs(m_config.arpTimeoutMs);
    for (int i = 0; i < m_config.discoveryPorts.size(); ++i)
        m_sockets.append(nullptr);
    bindSockets();
    m_tick->setInterval(m_config.reannounceIntervalMs);
    connect(m_tick, &QTimer::timeout, this, &UPnPServer::tick);
    m_tick->start();
    m_announceTimer->setSingleShot(true);
    m_announceTimer->setInterval(0);
    connect(m_announceTimer, &QTimer::timeout, this, &UPnPServer::announceNext);
}

void UPnPServer::bindSockets()
{
    for (int i = 0; i < m_sockets.size(); ++i) {
        if (m_sockets.at(i))
            continue;
        const quint16 port = m_config.discoveryPorts.at(i);
        auto *socket = new QUdpSocket(this);
        if (!socket->bind(QHostAddress(QHostAddress::AnyIPv4), port,
                          QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint)) {
            writeLog(LOG_LEVEL_ERROR, "UPnPServer: cannot bind port %d: %s", port, qPrintable(socket->errorString()));
            delete socket;
            continue;
        }
        if (m_config.joinMulticast && !socket->joinMulticastGroup(m_config.multicastGroup))
            writeLog(LOG_LEVEL_WARNING, "UPnPServer: cannot join %s on port %d: %s",
                     qPrintable(m_config.multicastGroup.toString()), port, qPrintable(socket->errorString()));
        connect(socket, &QUdpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        m_sockets[i] = socket;
    }
}

quint16 UPnPServer::boundPort(int index) const
{
    const QUdpSocket *socket = m_sockets.value(index);
    return socket ? socket->localPort() : 0;
}

void UPnPServer::noteDropped(const char *why, const QHostAddress &sender)
{
    if (++m_droppedThisTick <= kDropLogLines)
        writeLog(LOG_LEVEL_WARNING, "UPnPServer: dropped datagram from %s: %s", qPrintable(sender.toString()), why);
}

void UPnPServer::onReadyRead(QUdpSocket *socket)
{
    while (socket->hasPendingDatagrams()) {
        const qint64 size = socket->pendingDatagramSize();
        if (size > m_config.maxDatagramSize) {
            QHostAddress sender;
            socket->readDatagram(nullptr, 0, &sender);
            noteDropped("too large", sender);
            continue;
        }
        const QNetworkDatagram datagram = socket->receiveDatagram(m_config.maxDatagramSize);
        SsdpSearch search;
        if (!SsdpMessage::parseSearch(datagram.data(), &search)) {
            noteDropped("not a search for our service", datagram.senderAddress());
            continue;
        }
        bool ok = false;
        const QHostAddress sender(datagram.senderAddress().toIPv4Address(&ok));
        if (!ok) {
            noteDropped("not IPv4", datagram.senderAddress());
            continue;
        }
        noteHeard(search, sender);
        answer(socket, sender, consoleAddressFor(sender, datagram.destinationAddress()));
    }
}

void UPnPServer::noteHeard(const SsdpSearch &search, const QHostAddress &sender)
{
    const QString address = sender.toString();
    // A MAC no card can have is the same on many panels: such a panel is kept by its address, with no MAC, and can be
    // added by its address alone, as the command server then matches it. Left out, it could not be found at all.
    const bool macUsable = ArpTable::isUsableMac(search.mac);
    const QString key = macUsable ? search.mac : address;
    // Only unmanaged panels are listed. A managed fleet searching after a restart took the places of new panels.
    // (One kept by its address is left out when the list is read, where the managed addresses are at hand.)
    if (macUsable && CmdServer::getInstance()->isManaged(search.mac)) {
        if (m_heard.remove(key) > 0)
            emit heardDevicesChanged();
        return;
    }
    auto it = m_heard.find(key);
    const bool isNew = it == m_heard.end();
    if (isNew) {
        if (m_heard.size() >= m_config.maxHeardDevices) {
            if (!m_heardFull)
                writeLog(LOG_LEVEL_WARNING,
                         "UPnPServer: the heard list is full (%d panels); new panels are not listed until some go "
                         "quiet or are added",
                         m_config.maxHeardDevices);
            m_heardFull = true;
            return;
        }
        m_heardFull = false;
        it = m_heard.insert(key, Heard());
        if (macUsable)
            it->device.macAddress = search.mac;
    }
    VelkIFPDevice &device = it->device;
    // A panel heard from another address must be listed, and added, at the new one.
    const bool changed = isNew || device.ipAddress != address || device.modelName != search.model ||
                         device.deviceType != search.deviceType ||
                         device.displayClientVersion != search.displayClientVersion;
    device.modelName = search.model;
    device.deviceType = search.deviceType;
    device.displayClientVersion = search.displayClientVersion;
    device.ipAddress = address;
    it->lastHeardMs = m_clock->elapsedMs();
    if (changed)
        emit heardDevicesChanged();
}

void UPnPServer::setClock(Clock *clock)
{
    m_clock = clock;
    const qint64 now = m_clock->elapsedMs();
    for (Heard &heard : m_heard)
        heard.lastHeardMs = now;
}

void UPnPServer::setAnnounceBatch(int devices)
{
    m_announceBatch = devices > 0 ? devices : kAnnounceBatch;
}

void UPnPServer::setAddressLister(AddressLister lister)
{
    m_listAddresses = lister ? std::move(lister) : AddressLister(&ConsoleAddress::localEntries);
}

QString UPnPServer::consoleAddressFor(const QHostAddress &peer, const QHostAddress &fallback) const
{
    return ConsoleAddress::forPeer(peer, fallback, m_listAddresses());
}

const QByteArray &UPnPServer::answerText(const QString &consoleAddress)
{
    const CmdServer *server = CmdServer::getInstance();
    if (m_answerText.isEmpty() || consoleAddress != m_answerAddress || server->serverPort() != m_answerPort ||
        server->consoleId() != m_answerConsoleId) {
        m_answerAddress = consoleAddress;
        m_answerPort = server->serverPort();
        m_answerConsoleId = server->consoleId();
        m_answerText = SsdpMessage::buildAnswer(m_answerAddress, m_answerPort, m_answerConsoleId);
    }
    return m_answerText;
}

void UPnPServer::answer(QUdpSocket *socket, const QHostAddress &destination, const QString &consoleAddress)
{
    if (!m_config.allowsDestination(destination)) {
        writeLog(LOG_LEVEL_WARNING, "UPnPServer: destination %s not allowed", qPrintable(destination.toString()));
        return;
    }
    // Always to the answer port, whichever port the search came in on.
    socket->writeDatagram(answerText(consoleAddress), destination, m_config.answerPort);
}

void UPnPServer::tick()
{
    if (m_droppedThisTick > kDropLogLines)
        writeLog(LOG_LEVEL_WARNING, "UPnPServer: dropped %d datagrams", m_droppedThisTick);
    m_droppedThisTick = 0;
    bindSockets();

    // On the clock that only runs on: a wall clock set forward emptied the list, one set back kept it for as long.
    const qint64 limit = m_clock->elapsedMs() - 3LL * m_config.reannounceIntervalMs;
    const CmdServer *server = CmdServer::getInstance();
    bool expired = false;
    for (auto it = m_heard.begin(); it != m_heard.end();) {
        if (it->lastHeardMs < limit || server->isManaged(it->device.macAddress)) {
            it = m_heard.erase(it);
            expired = true;
        } else {
            ++it;
        }
    }
    if (expired)
        emit heardDevicesChanged();

    // Only an administrator console pulls offline panels back to itself.
    if (!isAdminLogin)
        return;
    m_arp->refresh();
    reannounce();
}

QUdpSocket *UPnPServer::sendingSocket() const
{
    for (QUdpSocket *socket : m_sockets) {
        if (socket)
            return socket;
    }
    return nullptr;
}

void UPnPServer::reannounce()
{
    // An announcement still calling its devices goes on; the next tick starts the next one.
    if (m_announceNext < m_announcing.size())
        return;
    m_announcing = CmdServer::getInstance()->managedDevices();
    m_announceNext = 0;
    // Once for the whole fleet: listing the interfaces for each offline device held the console for half a second
    // at every tick with ten thousand of them.
    m_announceAddresses = m_listAddresses();
    announceNext();
}

void UPnPServer::announceNext()
{
    QUdpSocket *socket = sendingSocket();
    // Logged out meanwhile, only an administrator console calls panels back.
    if (!socket || !isAdminLogin)
        m_announceNext = m_announcing.size();
    const CmdServer *server = CmdServer::getInstance();
    const int end = qMin(m_announcing.size(), m_announceNext + m_announceBatch);
    for (; m_announceNext < end; ++m_announceNext) {
        const VelkIFPDevice &device = m_announcing.at(m_announceNext);
        // Asked when its turn comes: a panel that connected since the announcement began is not called. A device
        // whose record holds no MAC is asked by its id: asked by the empty MAC, its connected panel was called back at
        // every tick.
        if (server->connectionState(device.macAddress) != CmdServer::Offline ||
            server->connectionStateOfDevice(device.did) != CmdServer::Offline)
            continue;
        QString address = device.macAddress.isEmpty() ? QString() : m_arp->ipForMac(device.macAddress);
        if (address.isEmpty())
            address = device.ipAddress;
        const QHostAddress destination(address);
        if (destination.isNull() || destination.protocol() != QAbstractSocket::IPv4Protocol)
            continue;
        answer(socket, destination, ConsoleAddress::forPeer(destination, QHostAddress(), m_announceAddresses));
    }
    if (m_announceNext < m_announcing.size()) {
        m_announceTimer->start();
        return;
    }
    m_announcing.clear();
    m_announceNext = 0;
    m_announceAddresses.clear();
}

QList<VelkIFPDevice> UPnPServer::heardDevices() const
{
    QList<VelkIFPDevice> devices;
    for (const Heard &heard : m_heard)
        devices.append(heard.device);
    return devices;
}

QList<VelkIFPDevice> UPnPServer::unmanagedDevices() const
{
    // A set, not a scan of the managed list per heard panel: with thousands of both that scan took longer than
    // the Auto Detect dialog may keep the console busy.
    QSet<QString> managedMacs;
    QSet<QString> managedAddresses;
    const QList<VelkIFPDevice> managedDevices = CmdServer::getInstance()->managedDevices();
    for (const VelkIFPDevice &device : managedDevices) {
        if (!device.macAddress.isEmpty())
            managedMacs.insert(device.macAddress);
        // A panel kept by its address is matched by it when it connects: a device at that address has it.
        if (!device.ipAddress.isEmpty())
            managedAddresses.insert(device.ipAddress);
    }
    QList<VelkIFPDevice> devices;
    devices.reserve(m_heard.size());
    for (const Heard &heard : m_heard) {
        const bool managed = heard.device.macAddress.isEmpty() ? managedAddresses.contains(heard.device.ipAddress)
                                                               : managedMacs.contains(heard.device.macAddress);
        if (!managed)
            devices.append(heard.device);
    }
    return devices;
}

QString UPnPServer::ipForMac(const QString &mac) const
{
    return m_arp->ipForMac(mac);
}
