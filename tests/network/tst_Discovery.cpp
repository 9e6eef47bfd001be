#include "NetTestSupport.h"
#include "support/TryCeiling.h"

#include "network/ConsoleAddress.h"
#include "network/SsdpMessage.h"
#include "network/UPnPServer.h"
#include "platform/ArpTable.h"
#include "shell/base/Clock.h"
#include "shell/base/Session.h"
#include "tools/panelsim/PanelFleet.h"

#include <QNetworkDatagram>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <QtTest>

#include <memory>

class TestDiscovery : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void searchIsAnsweredOnlyWhenOurs_data();
    void searchIsAnsweredOnlyWhenOurs();
    void searchRoundTripAndHeaderCase();
    void answerText();
    void arpParsesEveryForm();
    void arpRunsAsynchronously();
    void arpFallsBackToKernelTable();
    void arpOverrunIsKilled();
    void answerGoesToTheAnswerPort();
    void badDatagramsAreNotAnswered();
    void heardPanelsAndExpiry();
    void wokenPanelFindsTheConsole();
    void reannounceReachesOfflinePanels();
    void reannounceStaysOnLoopback();
    void announcementListsTheAddressesOnce();
    void connectedPanelKnownByItsAddressIsNotCalled();
    void heardPanelIsKeptCurrent();
    void heardListBoundLogsOnceAndKeepsRoom();

private:
    QByteArray receiveOne(QUdpSocket &socket, int timeoutMs);
    VelkIFPDevice heardPanel(const QString &mac) const;

    std::unique_ptr<TestEnv> m_env;
    std::unique_ptr<LogCapture> m_log;
    QTemporaryDir m_dir;
    std::unique_ptr<PanelFleet> m_fleet;
    NetworkConfig m_config;
    CmdServer *m_server = nullptr;
    UPnPServer *m_upnp = nullptr;
};

void TestDiscovery::initTestCase()
{
    m_env.reset(new TestEnv);
    m_log.reset(new LogCapture);
    OrvantaDBManager::setDataFolder(m_dir.path());

    // The panels' discovery sockets and Wake-on-LAN listener come first: their ports go into the configuration.
    FleetOptions options;
    options.count = 4;
    options.baseAddress = QHostAddress("127.0.0.20");
    options.firstSerial = 20;
    options.settings.discovery = true;
    options.settings.answerPort = 0;
    options.settings.searchIntervalMs = 200;
    options.settings.bootDelayMs = 50;
    m_fleet.reset(new PanelFleet(options));
    QVERIFY(m_fleet->answerPort() != 0);
    QVERIFY(m_fleet->listenForWake(QHostAddress(QHostAddress::AnyIPv4), 0));

    m_config = loopbackNetworkConfig(m_dir.path());
    m_config.answerPort = m_fleet->answerPort();
    m_config.wolPort = m_fleet->wakePort();
    m_config.wolRoundGapMs = 20;
    m_config.reannounceIntervalMs = 300;
    m_config.maxHeardDevices = 24;
    NetworkConfig::setCurrent(m_config);
    m_server = CmdServer::getInstance();
    m_upnp = UPnPServer::getInstance();
    QVERIFY(m_upnp->boundPort(0) != 0);
    QVERIFY(m_upnp->boundPort(1) != 0);
    // No real arp in tests: an empty table unless a test says otherwise.
    m_upnp->arpTable()->setCommand("true", {});

    for (SimulatedPanel *panel : m_fleet->panels()) {
        PanelSettings settings = panel->settings();
        settings.discoveryPort = m_upnp->boundPort(0);
        panel->setSettings(settings);
        PanelIdentity identity = panel->identity();
        identity.password = "kelvo";
        panel->setIdentity(identity);
    }
}

QByteArray TestDiscovery::receiveOne(QUdpSocket &socket, int timeoutMs)
{
    if (!socket.hasPendingDatagrams() && !QTest::qWaitFor([&] { return socket.hasPendingDatagrams(); }, timeoutMs))
        return QByteArray();
    return socket.receiveDatagram().data();
}

VelkIFPDevice TestDiscovery::heardPanel(const QString &mac) const
{
    for (const VelkIFPDevice &device : m_upnp->heardDevices()) {
        if (device.macAddress == mac)
            return device;
    }
    return VelkIFPDevice();
}

namespace {

void sendSearch(QUdpSocket &from, const QString &mac, const QString &model = QStringLiteral("Velk TM B-Series"),
                const QString &version = QStringLiteral("1.1.1030.30"))
{
    SsdpSearch search;
    search.mac = mac;
    search.model = model;
    search.deviceType = QStringLiteral("Control Box");
    search.displayClientVersion = version;
    from.writeDatagram(SsdpMessage::buildSearch(search, "239.255.255.250:1988"), QHostAddress(QHostAddress::LocalHost),
                       UPnPServer::getInstance()->boundPort(0));
}

// Holds the heard list's clock for a test: nothing expires while a loaded machine runs it slowly, and quiet() lets
// every panel heard go quiet for three ticks.
class HeldClock
{
public:
    HeldClock() : m_clock(QDateTime::currentDateTime()) { UPnPServer::getInstance()->setClock(&m_clock); }
    ~HeldClock()
    {
        quiet();
        UPnPServer::getInstance()->setClock(Clock::system());
    }
    void quiet()
    {
        m_clock.advance(3LL * NetworkConfig::current().reannounceIntervalMs + 1);
        UPnPServer::getInstance()->tick();
    }

private:
    ManualClock m_clock;
};

} // namespace

void TestDiscovery::answerGoesToTheAnswerPort()
{
    // A bare searcher on its own loopback address and the panels' answer port.
    QUdpSocket searcher;
    QVERIFY(searcher.bind(QHostAddress("127.0.0.60"), m_config.answerPort,
                          QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint));
    SsdpSearch search;
    search.mac = "02:51:4d:00:01:00";
    for (int index = 0; index < 2; ++index) {
        // Whichever port the search came in on, the answer goes to the answer port.
        const quint16 port = m_upnp->boundPort(index);
        QVERIFY(searcher.writeDatagram(SsdpMessage::buildSearch(search, "239.255.255.250:1988"),
                                       QHostAddress(QHostAddress::LocalHost), port) > 0);
        SsdpAnswer answer;
        QVERIFY(SsdpMessage::parseAnswer(receiveOne(searcher, QuorvinTryCeilingMs), &answer));
        QCOMPARE(answer.host, QString("127.0.0.1"));
        QCOMPARE(answer.port, m_server->serverPort());
        QVERIFY(answer.usn.startsWith("uuid:" + m_server->consoleId().remove('{').remove('}') + "::"));
    }
}

void TestDiscovery::badDatagramsAreNotAnswered()
{
    QUdpSocket searcher;
    QVERIFY(searcher.bind(QHostAddress("127.0.0.61"), m_config.answerPort,
                          QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint));
    m_log->clear();
    SsdpSearch search;
    search.mac = "02:51:4d:00:01:01";
    QByteArray oversized = SsdpMessage::buildSearch(search, "x");
    oversized.insert(oversized.size() - 2, "X-PAD: " + QByteArray(3000, 'p') + "\r\n");
    const QByteArray other = "M-SEARCH * HTTP/1.1\r\nST: upnp:rootdevice\r\n\r\n";
    const QHostAddress console(QHostAddress::LocalHost);
    searcher.writeDatagram(oversized, console, m_upnp->boundPort(0));
    searcher.writeDatagram(other, console, m_upnp->boundPort(0));
    searcher.writeDatagram(QByteArray(100, '\0'), console, m_upnp->boundPort(1));
    QTRY_VERIFY(m_log->contains("dropped datagram from 127.0.0.61: too large"));
    QTRY_VERIFY(m_log->contains("dropped datagram from 127.0.0.61: not a search for our service"));
    QVERIFY(receiveOne(searcher, 300).isEmpty());
    bool heard = false;
    for (const VelkIFPDevice &device : m_upnp->heardDevices())
        heard = heard || device.macAddress == search.mac;
    QVERIFY(!heard);
}

void TestDiscovery::heardPanelsAndExpiry()
{
    isAdminLogin = false;
    SimulatedPanel *panel = m_fleet->panel(0); // not managed: heard, answered, refused
    panel->behaviour().retryAfterReject = false;
    QSignalSpy changed(m_upnp, &UPnPServer::heardDevicesChanged);
    panel->start();
    QTRY_VERIFY(panel->answersReceived() >= 1);
    auto find = [&](const QList<VelkIFPDevice> &devices) {
        for (const VelkIFPDevice &device : devices) {
            if (device.macAddress == panel->mac())
                return device;
        }
        return VelkIFPDevice();
    };
    QTRY_VERIFY(!find(m_upnp->heardDevices()).macAddress.isEmpty());
    const VelkIFPDevice heard = find(m_upnp->unmanagedDevices());
    QCOMPARE(heard.ipAddress, QString("127.0.0.20"));
    QCOMPARE(heard.modelName, QString("Velk TM B-Series"));
    QCOMPARE(heard.deviceType, panel->identity().deviceType);
    QVERIFY(changed.count() >= 1);
    panel->shutDown();

    // Gone after three ticks without a search.
    QTRY_VERIFY(find(m_upnp->heardDevices()).macAddress.isEmpty());

    // A managed panel is heard but not unmanaged.
    SimulatedPanel *managed = m_fleet->panel(1);
    addManagedDevice("Managed-21", managed->mac(), "127.0.0.21");
    managed->start();
    QTRY_VERIFY(managed->isConnected());
    for (const VelkIFPDevice &device : m_upnp->unmanagedDevices())
        QVERIFY(device.macAddress != managed->mac());
    managed->shutDown();
    QTRY_COMPARE(m_server->connectionState(managed->mac()), CmdServer::Offline);
}

// Power on by Wake-on-LAN, then the whole road back: magic packet, boot, search, answer, connection, handshake.
void TestDiscovery::wokenPanelFindsTheConsole()
{
    SimulatedPanel *panel = m_fleet->panel(2);
    const VelkIFPDevice device = addManagedDevice("Managed-22", panel->mac(), "127.0.0.22");
    QSignalSpy woken(panel, &SimulatedPanel::woken);
    QSignalSpy connections(m_server, &CmdServer::newConnection);
    QCOMPARE(panel->state(), SimulatedPanel::Off);
    m_server->powerOn({device});
    QTRY_VERIFY(woken.count() >= 1);
    QTRY_VERIFY(m_server->isDeviceOnline(device));
    QCOMPARE(connections.count(), 1);
    QTRY_VERIFY(panel->isConnected()); // the panel reads its answer a turn after the console registered it
    panel->shutDown();
    QTRY_VERIFY(!m_server->isDeviceOnline(device));
}

// An administrator console calls offline managed panels back: at the address the arp table gives for their MAC,
// else at their stored address.
void TestDiscovery::reannounceReachesOfflinePanels()
{
    SimulatedPanel *byArp = m_fleet->panel(3);
    SimulatedPanel *byStoredIp = m_fleet->panel(1);
    // Their own searches are not for our service, so only a re-announce can bring them in.
    byArp->behaviour().searchTarget = "upnp:rootdevice";
    byStoredIp->behaviour().searchTarget = "upnp:rootdevice";
    addManagedDevice("Managed-23", byArp->mac(), "127.0.0.250"); // stale stored address
    m_upnp->arpTable()->setCommand(
        "sh", {"-c", QStringLiteral("echo '? (127.0.0.23) at %1 [ether] on lo'").arg(byArp->mac().toUpper())});

    isAdminLogin = false;
    byArp->start();
    byStoredIp->start();
    QTest::qWait(1000); // several ticks: a normal-user console does not re-announce
    QVERIFY(!byArp->isConnected());
    QVERIFY(!byStoredIp->isConnected());

    isAdminLogin = true;
    QTRY_VERIFY(byArp->isConnected() && byStoredIp->isConnected());
    QCOMPARE(m_upnp->ipForMac(byArp->mac()), QString("127.0.0.23"));
    byArp->shutDown();
    byStoredIp->shutDown();
    isAdminLogin = false;
}

void TestDiscovery::reannounceStaysOnLoopback()
{
    addManagedDevice("Far-Away", "02:51:4d:00:09:99", "192.0.2.10");
    m_log->clear();
    isAdminLogin = true;
    m_upnp->tick();
    isAdminLogin = false;
    QVERIFY(m_log->contains("UPnPServer: destination 192.0.2.10 not allowed"));
}

// The host's addresses are listed once per announcement, not once per offline device: on the thread that also serves
// the panels, a listing per device held an idle console for seconds at every tick with a large fleet offline. Every
// offline device is still called, also when the announcement is spread over several turns of the event loop.
void TestDiscovery::announcementListsTheAddressesOnce()
{
    std::vector<std::unique_ptr<QUdpSocket>> receivers;
    for (int i = 0; i < 5; ++i) {
        const QString address = QStringLiteral("127.0.0.%1").arg(70 + i);
        receivers.push_back(std::make_unique<QUdpSocket>());
        QVERIFY(receivers.back()->bind(QHostAddress(address), m_config.answerPort,
                                       QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint));
        addManagedDevice(QStringLiteral("Listed-%1").arg(i), testMac(0x700 + i), address);
    }
    int listings = 0;
    m_upnp->setAddressLister([&listings] {
        ++listings;
        return ConsoleAddress::localEntries();
    });
    m_upnp->setAnnounceBatch(2);
    isAdminLogin = true;
    const auto restore = qScopeGuard([this] {
        isAdminLogin = false;
        m_upnp->setAnnounceBatch(0);
        m_upnp->setAddressLister(nullptr);
    });
    m_upnp->tick();
    QCOMPARE(listings, 1);
    for (const std::unique_ptr<QUdpSocket> &receiver : receivers) {
        SsdpAnswer answer;
        QVERIFY(SsdpMessage::parseAnswer(receiveOne(*receiver, QuorvinTryCeilingMs), &answer));
        QCOMPARE(answer.host, QString("127.0.0.1"));
        QCOMPARE(answer.port, m_server->serverPort());
    }
    // Every batch went out, the later ones on later turns of the loop, and none listed the addresses again.
    QCOMPARE(listings, 1);
}

// A device whose record holds no MAC was asked about by its empty MAC, which is never connected: its panel, connected
// by its address, was called back at every tick as if it were off. Only the one that is off is called.
void TestDiscovery::connectedPanelKnownByItsAddressIsNotCalled()
{
    std::vector<std::unique_ptr<QUdpSocket>> receivers;
    for (int i = 0; i < 2; ++i) {
        receivers.push_back(std::make_unique<QUdpSocket>());
        QVERIFY(receivers.back()->bind(QHostAddress(QStringLiteral("127.0.0.%1").arg(80 + i)), m_config.answerPort,
                                       QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint));
    }
    const VelkIFPDevice connected = addManagedDevice(QStringLiteral("By-Address-On"), QString(), "127.0.0.80");
    addManagedDevice(QStringLiteral("By-Address-Off"), QString(), "127.0.0.81");
    PanelIdentity zeros = identityWith(80, "kelvo");
    zeros.mac = QStringLiteral("00:00:00:00:00:00");
    SimulatedPanel panel(zeros, directSettings(78));
    panel.start();
    QTRY_VERIFY(panel.isConnected());
    QCOMPARE(m_server->connectionStateOfDevice(connected.did), CmdServer::Connected);

    isAdminLogin = true;
    const auto restore = qScopeGuard([] { isAdminLogin = false; });
    m_upnp->tick();
    // Called in list order: once the device that is off has its answer, the one before it would have had its own.
    QVERIFY(!receiveOne(*receivers.at(1), QuorvinTryCeilingMs).isEmpty());
    QVERIFY(!receivers.at(0)->hasPendingDatagrams());
    panel.shutDown();
}

// The Auto Detect dialog follows the heard list's signal: a panel that searched again from a new address kept its old
// one there, and Add stored the old one.
void TestDiscovery::heardPanelIsKeptCurrent()
{
    HeldClock clock;
    const QString mac = "02:51:4d:00:0a:01";
    QUdpSocket first;
    QVERIFY(first.bind(QHostAddress("127.0.0.63"), 0));
    sendSearch(first, mac);
    QTRY_COMPARE(heardPanel(mac).ipAddress, QString("127.0.0.63"));

    QSignalSpy changed(m_upnp, &UPnPServer::heardDevicesChanged);
    sendSearch(first, mac); // the same again: nothing to tell
    QUdpSocket moved;
    QVERIFY(moved.bind(QHostAddress("127.0.0.64"), 0));
    sendSearch(moved, mac);
    QTRY_COMPARE(heardPanel(mac).ipAddress, QString("127.0.0.64"));
    QCOMPARE(changed.count(), 1);
    sendSearch(moved, mac, "Velk ZN-640");
    QTRY_COMPARE(heardPanel(mac).modelName, QString("Velk ZN-640"));
    QCOMPARE(changed.count(), 2);
    sendSearch(moved, mac, "Velk ZN-640", "1.1.1031.2");
    QTRY_COMPARE(heardPanel(mac).displayClientVersion, QString("1.1.1031.2"));
    QCOMPARE(changed.count(), 3);
}

// A flood of new MACs fills the heard list: that is logged once per filling, not per search refused. Managed panels
// take no place in it, since only unmanaged ones are listed.
void TestDiscovery::heardListBoundLogsOnceAndKeepsRoom()
{
    HeldClock clock;
    clock.quiet(); // what earlier tests left
    QCOMPARE(m_upnp->heardDevices().size(), 0);

    const int bound = m_config.maxHeardDevices;
    const auto macOf = [](int i) { return QStringLiteral("02:51:4d:00:0b:%1").arg(i, 2, 16, QLatin1Char('0')); };
    QStringList managed;
    for (int i = 0; i < 8; ++i)
        managed << addManagedDevice(QStringLiteral("Bound-%1").arg(i), macOf(0xe0 + i), "127.0.0.65").macAddress;
    QUdpSocket searcher;
    QVERIFY(searcher.bind(QHostAddress("127.0.0.65"), 0));
    const auto heardCount = [&](const QStringList &macs) {
        int count = 0;
        for (const QString &mac : macs)
            count += heardPanel(mac).macAddress.isEmpty() ? 0 : 1;
        return count;
    };
    // Searches from one socket are read in order: once this one is in, every search before it was read.
    const auto fence = [&](const QString &mac, const QString &model) {
        sendSearch(searcher, mac, model);
        QTRY_COMPARE(heardPanel(mac).modelName, model);
    };

    m_log->clear();
    QStringList unmanaged;
    for (int i = 0; i < bound; ++i) {
        unmanaged << macOf(i);
        sendSearch(searcher, unmanaged.last());
        if (i % 3 == 0)
            sendSearch(searcher, managed.at(i / 3));
        if (i % 8 == 7)
            QTRY_COMPARE(heardCount(unmanaged), unmanaged.size());
    }
    QCOMPARE(m_upnp->heardDevices().size(), bound);
    QCOMPARE(heardCount(managed), 0);
    QCOMPARE(m_log->count("heard list is full"), 0);

    // Full: ten more new panels are refused with one line.
    QStringList refused;
    for (int i = 0; i < 10; ++i) {
        refused << macOf(0x80 + i);
        sendSearch(searcher, refused.last());
    }
    fence(unmanaged.first(), "fence 1");
    QCOMPARE(heardCount(refused), 0);
    QCOMPARE(m_log->count("UPnPServer: the heard list is full (24 panels)"), 1);

    // A listed panel is added and searches again: it leaves, and its place goes to a new one. Full again, it is said
    // again.
    addManagedDevice("Bound-added", unmanaged.first(), "127.0.0.65");
    sendSearch(searcher, unmanaged.first());
    QTRY_COMPARE(m_upnp->heardDevices().size(), bound - 1);
    sendSearch(searcher, refused.at(0));
    sendSearch(searcher, refused.at(1));
    fence(unmanaged.last(), "fence 2");
    QCOMPARE(heardCount(refused), 1);
    QCOMPARE(m_log->count("heard list is full"), 2);

    // All gone quiet: the new panels find room.
    clock.quiet();
    QCOMPARE(m_upnp->heardDevices().size(), 0);
    for (int i = 0; i < 10; ++i)
        sendSearch(searcher, refused.at(i));
    QTRY_COMPARE(heardCount(refused), 10);
    QCOMPARE(m_log->count("heard list is full"), 2);
}

void TestDiscovery::searchIsAnsweredOnlyWhenOurs_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<bool>("answered");
    const QByteArray ours = "M-SEARCH * HTTP/1.1\r\nHOST: 239.255.255.250:1988\r\nMAN: \"ssdp:discover\"\r\n"
                            "ST: urn:velk:service:console:1\r\nX-VELK-MAC: 02:51:4d:00:00:07\r\n\r\n";
    QTest::newRow("ours") << ours << true;
    QTest::newRow("ssdp:all") << QByteArray("M-SEARCH * HTTP/1.1\r\nST: ssdp:all\r\n\r\n") << true;
    QTest::newRow("bare newlines") << QByteArray("M-SEARCH * HTTP/1.1\nst: urn:velk:service:console:1\n\n") << true;
    QTest::newRow("other service") << QByteArray("M-SEARCH * HTTP/1.1\r\nST: upnp:rootdevice\r\n\r\n") << false;
    QTest::newRow("no ST") << QByteArray("M-SEARCH * HTTP/1.1\r\nHOST: x\r\n\r\n") << false;
    // Read as text, the ST stopped at the NUL and passed for ours.
    QTest::newRow("ST holding a NUL") << QByteArray(
                                             "M-SEARCH * HTTP/1.1\r\nST: urn:velk:service:console:1\0junk\r\n\r\n", 60)
                                      << false;
    QTest::newRow("notify") << QByteArray("NOTIFY * HTTP/1.1\r\nST: urn:velk:service:console:1\r\n\r\n") << false;
    QTest::newRow("answer") << SsdpMessage::buildAnswer("127.0.0.1", 1688, "{abc}") << false;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("binary") << QByteArray("\x00\xff\x10M-SEARCH", 11) << false;
    QTest::newRow("oversized") << ours + QByteArray(2048, ' ') << false;
}

// Anything but a search for our service must go unanswered, or the console becomes a reflector.
void TestDiscovery::searchIsAnsweredOnlyWhenOurs()
{
    QFETCH(QByteArray, datagram);
    QFETCH(bool, answered);
    SsdpSearch search;
    QCOMPARE(SsdpMessage::parseSearch(datagram, &search), answered);
}

void TestDiscovery::searchRoundTripAndHeaderCase()
{
    SsdpSearch search;
    search.mac = "02:51:4d:00:00:07";
    search.model = "Velk TM B-Series";
    search.deviceType = "Control Box";
    search.displayClientVersion = "1.1.1030.30";
    QByteArray datagram = SsdpMessage::buildSearch(search, "239.255.255.250:1988");
    QVERIFY(datagram.startsWith("M-SEARCH * HTTP/1.1\r\nHOST: 239.255.255.250:1988\r\n"));
    datagram.replace("X-VELK-MAC: 02:51:4d:00:00:07", "x-velk-mac:   02-51-4D-00-00-07");
    SsdpSearch parsed;
    QVERIFY(SsdpMessage::parseSearch(datagram, &parsed));
    QCOMPARE(parsed.mac, QString("02:51:4d:00:00:07"));
    QCOMPARE(parsed.model, search.model);
    QCOMPARE(parsed.deviceType, search.deviceType);
    QCOMPARE(parsed.displayClientVersion, search.displayClientVersion);

    datagram.replace("02-51-4D-00-00-07", "not-a-mac");
    QVERIFY(SsdpMessage::parseSearch(datagram, &parsed));
    QVERIFY(parsed.mac.isEmpty());
    // Text read from bytes stops at a NUL: the MAC before it is not what was sent.
    datagram.replace("not-a-mac", QByteArray("02:51:4d:00:00:c1\0junk", 22));
    QVERIFY(SsdpMessage::parseSearch(datagram, &parsed));
    QVERIFY(parsed.mac.isEmpty());

    // The other headers alike; a long one is cut between characters, not inside a surrogate pair.
    const QByteArray longModel = QByteArray(PanelIdentity::kMaxFieldLength - 1, 'm') + "\xf0\x9f\x98\x80";
    datagram.replace("Velk TM B-Series", longModel);
    datagram.replace("1.1.1030.30", QByteArray("1.1\0.9", 6));
    QVERIFY(SsdpMessage::parseSearch(datagram, &parsed));
    QCOMPARE(parsed.model, QString(PanelIdentity::kMaxFieldLength - 1, QLatin1Char('m')));
    QVERIFY(parsed.displayClientVersion.isEmpty());
    QCOMPARE(parsed.deviceType, search.deviceType);
}

void TestDiscovery::answerText()
{
    const QByteArray answer = SsdpMessage::buildAnswer("192.168.1.5", 1688, "{0f1e2d3c-0000-4000-8000-123456789abc}");
    QCOMPARE(answer, QByteArray("HTTP/1.1 200 OK\r\n"
                                "CACHE-CONTROL: max-age=1800\r\n"
                                "EXT:\r\n"
                                "LOCATION: tcp://192.168.1.5:1688\r\n"
                                "SERVER: Quorvin/1.5.1036.0 UPnP/1.1\r\n"
                                "ST: urn:velk:service:console:1\r\n"
                                "USN: uuid:0f1e2d3c-0000-4000-8000-123456789abc::urn:velk:service:console:1\r\n"
                                "\r\n"));
    SsdpAnswer parsed;
    QVERIFY(SsdpMessage::parseAnswer(answer, &parsed));
    QCOMPARE(parsed.host, QString("192.168.1.5"));
    QCOMPARE(parsed.port, quint16(1688));
    QVERIFY(!SsdpMessage::parseAnswer(QByteArray(answer).replace("tcp://", "http://"), &parsed));
}

void TestDiscovery::arpParsesEveryForm()
{
    const QByteArray windows = "\r\nInterface: 192.168.1.5 --- 0xb\r\n"
                               "  Internet Address      Physical Address      Type\r\n"
                               "  192.168.1.10          02-51-4D-00-00-07     dynamic\r\n"
                               "  192.168.1.255         ff-ff-ff-ff-ff-ff     static\r\n"
                               "  224.0.0.22            01-00-5e-00-00-16     static\r\n"
                               "  192.168.1.18          33-33-00-00-00-01     static\r\n";
    const QByteArray netTools = "? (192.168.1.11) at 02:51:4d:00:00:08 [ether] on eth0\n"
                                "? (192.168.1.12) at <incomplete> on eth0\n";
    const QByteArray proc = "IP address       HW type     Flags       HW address            Mask     Device\n"
                            "192.168.1.13     0x1         0x2         02:51:4d:00:00:09     *        eth0\n"
                            "192.168.1.14     0x1         0x0         02:51:4d:00:00:0a     *        eth0\n"
                            "192.168.1.15     0x1         0x2         00:00:00:00:00:00     *        eth0\n";
    const QByteArray ipNeigh = "192.168.1.16 dev eth0 lladdr 02:51:4d:00:00:0b REACHABLE\n"
                               "192.168.1.17 dev eth0  FAILED\nfd00::1 dev eth0 lladdr 02:51:4d:00:00:0c STALE\n";
    const QHash<QString, QString> table = ArpTable::parse(windows + netTools + proc + ipNeigh);
    QCOMPARE(table.value("02:51:4d:00:00:07"), QString("192.168.1.10"));
    QCOMPARE(table.value("02:51:4d:00:00:08"), QString("192.168.1.11"));
    QCOMPARE(table.value("02:51:4d:00:00:09"), QString("192.168.1.13"));
    QCOMPARE(table.value("02:51:4d:00:00:0b"), QString("192.168.1.16"));
    QCOMPARE(table.size(), 4); // incomplete, zero, broadcast, multicast and IPv6-only lines skipped
}

void TestDiscovery::arpRunsAsynchronously()
{
    ArpTable arp;
    arp.setCommand("sh", {"-c", "sleep 0.2; echo '? (127.0.0.9) at 02:51:4d:00:00:01 [ether] on lo'"});
    QSignalSpy spy(&arp, &ArpTable::refreshed);
    QVERIFY(arp.refresh());
    QVERIFY(arp.isRunning());
    QVERIFY(!arp.refresh()); // one run at a time
    QVERIFY(spy.wait(QuorvinTryCeilingMs));
    QCOMPARE(spy.at(0).at(0).toBool(), true);
    QCOMPARE(arp.ipForMac("02-51-4D-00-00-01"), QString("127.0.0.9"));
    QVERIFY(!arp.isRunning());
}

void TestDiscovery::arpFallsBackToKernelTable()
{
    QTemporaryDir dir;
    QFile file(dir.filePath("arp"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("IP address       HW type     Flags       HW address            Mask     Device\n"
               "127.0.0.12       0x1         0x2         02:51:4d:00:00:02     *        lo\n");
    file.close();
    ArpTable arp;
    arp.setCommand(dir.filePath("no-such-arp"), {"-a"});
    arp.setFallbackFile(file.fileName());
    QSignalSpy spy(&arp, &ArpTable::refreshed);
    QVERIFY(arp.refresh());
    QVERIFY(spy.wait(QuorvinTryCeilingMs));
    QCOMPARE(arp.ipForMac("02:51:4d:00:00:02"), QString("127.0.0.12"));
}

// The command must never hold the console up: an overrun is killed and the last table kept.
void TestDiscovery::arpOverrunIsKilled()
{
    ArpTable arp;
    arp.setCommand("sh", {"-c", "echo '? (127.0.0.9) at 02:51:4d:00:00:01 [ether] on lo'"});
    QSignalSpy spy(&arp, &ArpTable::refreshed);
    QVERIFY(arp.refresh());
    QVERIFY(spy.wait(QuorvinTryCeilingMs));
    arp.setCommand("sleep", {"30"});
    arp.setTimeoutMs(100);
    QElapsedTimer elapsed;
    elapsed.start();
    QVERIFY(arp.refresh());
    QVERIFY(spy.wait(20000)); // the command would run for 30 s
    QCOMPARE(spy.last().at(0).toBool(), false);
    QVERIFY(elapsed.elapsed() < 20000);
    QVERIFY(!arp.isRunning());
    QCOMPARE(arp.ipForMac("02:51:4d:00:00:01"), QString("127.0.0.9"));
    // A new run can start right away.
    arp.setCommand("true", {});
    QVERIFY(arp.refresh());
    QVERIFY(spy.wait(QuorvinTryCeilingMs));

    // A table that goes away while its command runs ends the command, without waiting for it or for the time-out.
    auto *leaving = new ArpTable;
    leaving->setCommand("sleep", {"30"});
    QVERIFY(leaving->refresh());
    elapsed.restart();
    delete leaving;
    QVERIFY(elapsed.elapsed() < 20000);
}

QTEST_GUILESS_MAIN(TestDiscovery)
#include "tst_Discovery.moc"
