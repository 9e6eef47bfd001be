#include "NetTestSupport.h"

#include "network/PanelAdmission.h"
#include "shell/base/Session.h"
#include "support/DatabaseHold.h"
#include "support/HoldKinds.h"
#include "support/SavingProgram.h"
#include "support/ShortDatabaseWaits.h"

#include <QPointer>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// "entered B/SKU-12 byMac locked": what a record at the panel's address holds (none, learned or entered; model/SKU, "-"
// for none) and who holds it; "zeros B" or "mac B locked audio": what the panel reports.
PanelAdmission::Record recordOf(const QString &spec)
{
    const QStringList words = spec.split(QLatin1Char(' '));
    PanelAdmission::Record record;
    record.mac = words.at(0) == "none"      ? PanelAdmission::Mac::None
                 : words.at(0) == "learned" ? PanelAdmission::Mac::Learned
                                            : PanelAdmission::Mac::Entered;
    const QStringList kind = words.at(1).split(QLatin1Char('/'));
    record.model = kind.at(0) == "-" ? QString() : kind.at(0);
    record.sku = kind.value(1);
    record.deviceType = words.contains("audio") ? "Audio Box" : "Control Box";
    record.holder = words.contains("byMac")       ? PanelAdmission::Holder::ByMac
                    : words.contains("byAddress") ? PanelAdmission::Holder::ByAddress
                                                  : PanelAdmission::Holder::Free;
    record.holderLocked = words.contains("locked");
    record.holderTransferring = words.contains("transferring");
    return record;
}

PanelAdmission::Newcomer newcomerOf(const QString &spec)
{
    const PanelAdmission::Record like = recordOf(spec);
    return {spec.startsWith("mac"), like.model, like.sku, like.deviceType, like.holderLocked};
}

// What the decision says, in the words of the table.
QString described(const PanelAdmission::Decision &decision, const PanelAdmission::Record &taken,
                  const PanelAdmission::Newcomer &newcomer)
{
    static const char *const refusals[] = {"", "unmanaged", "other model", "every one held"};
    if (decision.take < 0) {
        QStringList probed;
        for (int i : decision.probe)
            probed.append(QString::number(i));
        return QStringLiteral("refused, %1%2")
            .arg(refusals[int(decision.refusal)], probed.isEmpty() ? QString() : "; probes " + probed.join(' '));
    }
    QString model;
    QString sku;
    PanelAdmission::modelAndSku(taken, newcomer, &model, &sku);
    return QStringLiteral("takes %1%2 as %3/%4")
        .arg(decision.take)
        .arg(decision.closeHolder ? ", closing its holder," : "", model.isEmpty() ? "-" : model, sku);
}

// The console started anew on the test's database, in a process of its own, since the command server is made once
// in a process. It says its port, then the SOS of every device, one line each, until it is ended.
int runRestartedConsole(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[2]);
    OrvantaDBManager::setDataFolder(folder);
    NetworkConfig::setCurrent(loopbackNetworkConfig(folder));
    CmdServer *server = CmdServer::getInstance();
    const auto say = [](const QString &line) {
        fputs(qPrintable(line + QLatin1Char('\n')), stdout);
        fflush(stdout);
    };
    QObject::connect(server, &CmdServer::safeAlertOfDevice,
                     [&](quint32 did) { say(QStringLiteral("sos of device %1").arg(did)); });
    say(QStringLiteral("port %1").arg(server->serverPort()));
    return app.exec();
}

} // namespace

// Handshake, keep-alive and everything a hostile or broken peer can throw at a connection.
class TestHandshake : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void admittedLockedRefused();
    void emptyPasswordIsSentOurs();
    void storedMacInAnotherFormIsMatched();
    void ipOnlyDeviceIsMatchedAndWrittenBack();
    void macsNoCardHasAreMatchedByAddressOnly();
    void cardsReportingZerosAgainKeepTheirDevice();
    void twoPanelsBehindOneAddressSettle();
    void strangerAtADevicesAddressIsRefused();
    void lockedHolderGivesWayToThePanelWithOurPassword();
    void recordAPanelTakesByItsAddress_data();
    void recordAPanelTakesByItsAddress();
    void panelReportingZerosAtADevicesAddress_data();
    void panelReportingZerosAtADevicesAddress();
    void burstOfChangedRecordsIsWrittenBack();
    void writeBackRolledBackMidwayLosesOnlyItsRecord();
    void writeBackWaitsOutAHeldDatabase();
    void heldWriteBacksStayOnePerPanel();
    void newestConnectionWins();
    void queuedListenersOutliveTheChannel();
    void keepAliveAndIdleClose();
    void badFramesOnAConnection_data();
    void badFramesOnAConnection();
    void framesBeforeIdentity();
    void framesRightAfterIdentityFollowTheHandshake();
    void largeFrameBeforeIdentityCloses();
    void unreadAnswersBeforeIdentityClose();
    void badIdentityIsClosed_data();
    void badIdentityIsClosed();
    void silentPeerIsClosed();
    void floodOfUnidentifiedConnections();
    void randomBytesNeverHurtTheServer();
    void kick();
    void kickDuringAHoldIsMarkedOnceTheDatabaseTakesIt_data();
    void kickDuringAHoldIsMarkedOnceTheDatabaseTakesIt();
    void sosFromConnectedAndLockedPanels();
    void passwordChangeAndDisconnect();

private:
    std::unique_ptr<SimulatedPanel> connectedPanel(int serial, int addressIndex);

    std::unique_ptr<TestEnv> m_env;
    std::unique_ptr<LogCapture> m_log;
    QTemporaryDir m_dir;
    CmdServer *m_server = nullptr;
};

void TestHandshake::initTestCase()
{
    m_env.reset(new TestEnv);
    m_log.reset(new LogCapture);
    OrvantaDBManager::setDataFolder(m_dir.path());
    NetworkConfig config = loopbackNetworkConfig(m_dir.path());
    // Short, so that the cases about silent peers end soon, yet with room for a loaded machine: a panel that
    // identifies itself or answers the keep-alives is never closed as silent.
    config.handshakeTimeoutMs = 3000;
    config.heartbeatIntervalMs = 300;
    config.idleTimeoutMs = 4000;
    config.maxPendingHandshakes = 8;
    // Well inside the idle time-out, so that a holder that went silent is let go by its probe first.
    config.probeTimeoutMs = 1000;
    NetworkConfig::setCurrent(config);
    m_server = CmdServer::getInstance();
    QVERIFY(m_server->serverPort() != 0);
    QCOMPARE(m_server->controlPassword(), QString("kelvo")); // the seeded administrator account
    QVERIFY(!m_server->consoleId().isEmpty());

    for (int serial = 1; serial <= 9; ++serial)
        addManagedDevice(QStringLiteral("Panel-%1").arg(serial), testMac(serial));
    addManagedDevice("Box-IP", QString(), "127.0.0.40", "Audio Box");
}

std::unique_ptr<SimulatedPanel> TestHandshake::connectedPanel(int serial, int addressIndex)
{
    std::unique_ptr<SimulatedPanel> panel(
        new SimulatedPanel(identityWith(serial, "kelvo"), directSettings(addressIndex)));
    panel->start();
    if (!QTest::qWaitFor([&] { return panel->isConnected() && m_server->getChannel(panel->mac()); },
                         QuorvinTryCeilingMs))
        qWarning("panel %d did not connect", serial);
    return panel;
}

void TestHandshake::admittedLockedRefused()
{
    QSignalSpy connections(m_server, &CmdServer::newConnection);
    QSignalSpy states(m_server, &CmdServer::connectionStatesChanged);

    auto admitted = connectedPanel(1, 1);
    QVERIFY(admitted->isConnected());
    QCOMPARE(connections.count(), 1);
    auto *channel = connections.at(0).at(0).value<DeviceChannel *>();
    QCOMPARE(channel->getMacAddress(), testMac(1));
    QCOMPARE(channel->getModelName(), QString("Velk TM B-Series"));
    QCOMPARE(channel->getIpAddress(), QString("127.0.0.3"));
    QCOMPARE(admitted->consoleId(), m_server->consoleId());
    VelkIFPDevice device = storedDevice("Panel-1");
    QVERIFY(m_server->isDeviceOnline(device));
    QVERIFY(m_server->isDeviceOnline(&device));
    QCOMPARE(m_server->connectionState(testMac(1)), CmdServer::Connected);
    QVERIFY(admitted->receivedCount(VELK_REMOTE_CMD_SET_PASSWORD) == 0);

    SimulatedPanel other(identityWith(2, "another console's"), directSettings(2));
    other.start();
    QTRY_VERIFY(other.isLocked());
    QTRY_COMPARE(m_server->connectionState(testMac(2)), CmdServer::Locked);
    QVERIFY(!m_server->isDeviceOnline(storedDevice("Panel-2")));
    QVERIFY(!m_server->getChannel(testMac(2)));
    QCOMPARE(connections.count(), 1);
    QVERIFY(states.count() >= 2);

    SimulatedPanel stranger(identityWith(77, "kelvo"), directSettings(3));
    QSignalSpy rejected(&stranger, &SimulatedPanel::rejected);
    stranger.start();
    QTRY_COMPARE(rejected.count(), 1);
    QCOMPARE(m_server->connectionState(testMac(77)), CmdServer::Offline);
    QCOMPARE(connections.count(), 1);

    other.shutDown();
    admitted->shutDown();
    QTRY_COMPARE(m_server->connectionState(testMac(1)), CmdServer::Offline);
    QTRY_COMPARE(m_server->connectionState(testMac(2)), CmdServer::Offline);
}

void TestHandshake::emptyPasswordIsSentOurs()
{
    SimulatedPanel fresh(identityWith(3, QString()), directSettings(4));
    fresh.start();
    QTRY_VERIFY(fresh.isConnected());
    QTRY_COMPARE(fresh.storedPassword(), QString("kelvo"));
    QCOMPARE(storedDevice("Panel-3").lastPassword, QString("kelvo"));
    fresh.shutDown();
}

// Older databases hold MACs as they were typed: upper case, with dashes. The panel reports the normal form, and
// must still be admitted, reconnect after its report was written back, and be found by the stored form.
void TestHandshake::storedMacInAnotherFormIsMatched()
{
    const QString stored = testMac(10).toUpper().replace(QLatin1Char(':'), QLatin1Char('-'));
    addManagedDevice("Panel-Typed", stored);
    for (int round = 0; round < 2; ++round) {
        SimulatedPanel panel(identityWith(10, "kelvo"), directSettings(10));
        panel.start();
        QTRY_VERIFY(panel.isConnected());
        QCOMPARE(m_server->connectionState(stored), CmdServer::Connected);
        QVERIFY(m_server->isDeviceOnline(storedDevice("Panel-Typed")));
        QVERIFY(m_server->getChannel(stored));
        panel.shutDown();
        QTRY_COMPARE(m_server->connectionState(stored), CmdServer::Offline);
    }
}

// A device entered by address alone is found by address and type, gets its MAC written back, and keeps the fields
// the panel does not report (type, location, camera).
void TestHandshake::ipOnlyDeviceIsMatchedAndWrittenBack()
{
    PanelIdentity wrongType = identityWith(40, "kelvo");
    wrongType.deviceType = "Control Box";
    PanelSettings settings = directSettings(38); // 127.0.0.40
    SimulatedPanel impostor(wrongType, settings);
    QSignalSpy rejected(&impostor, &SimulatedPanel::rejected);
    impostor.start();
    QTRY_COMPARE(rejected.count(), 1);
    impostor.shutDown();

    PanelIdentity identity = identityWith(40, "kelvo");
    identity.deviceType = "Audio Box";
    identity.fwVersion = "2.0.0.1";
    identity.sku = "SKU-40";
    SimulatedPanel box(identity, settings);
    box.start();
    QTRY_VERIFY(box.isConnected());
    const VelkIFPDevice stored = storedDevice("Box-IP");
    QCOMPARE(stored.macAddress, testMac(40));
    QCOMPARE(stored.ipAddress, QString("127.0.0.40"));
    QCOMPARE(stored.fwVersion, QString("2.0.0.1"));
    QCOMPARE(stored.sku, QString("SKU-40"));
    QCOMPARE(stored.deviceType, QString("Audio Box"));
    QCOMPARE(stored.position, QString("Room Box-IP"));
    QCOMPARE(stored.ptzCamera, QString("cam-Box-IP"));
    VelkIFPDevice held;
    QVERIFY(m_server->managedDevice(testMac(40), &held));
    QCOMPARE(held.did, stored.did);
    box.shutDown();
}

// Uninitialised network cards report all zeros, and broken ones broadcast or multicast MACs. Written back as the MAC of
// a device entered by address, the first such panel's device took every other one, at any address: the panels pushed
// each other off at every reconnect, and the other devices never connected. Each is matched by its address only.
void TestHandshake::macsNoCardHasAreMatchedByAddressOnly()
{
    const QStringList reported = {"00:00:00:00:00:00", "00:00:00:00:00:00", "ff:ff:ff:ff:ff:ff", testMac(45),
                                  "01:00:5e:00:00:01"};
    for (int i = 0; i < 4; ++i)
        addManagedDevice(QStringLiteral("Addr-%1").arg(i), QString(), QStringLiteral("127.0.0.%1").arg(142 + i));
    // Written back before such MACs were refused: matched by address as well, and the MAC cleared.
    addManagedDevice("Addr-4", reported.at(4), "127.0.0.146");
    const int notesBefore = m_log->count("no network card can have");
    const int replacedBefore = m_log->count("replacing connection");
    QSignalSpy connections(m_server, &CmdServer::newConnection);

    std::vector<std::unique_ptr<SimulatedPanel>> panels;
    std::vector<std::unique_ptr<QSignalSpy>> drops;
    for (int i = 0; i < reported.size(); ++i) {
        PanelIdentity identity = identityWith(45, "kelvo");
        identity.mac = reported.at(i);
        panels.emplace_back(new SimulatedPanel(identity, directSettings(140 + i)));
        drops.emplace_back(new QSignalSpy(panels.back().get(), &SimulatedPanel::disconnected));
        panels.back()->start();
    }
    const auto allConnected = [&] {
        return std::all_of(panels.begin(), panels.end(), [](const auto &panel) { return panel->isConnected(); });
    };
    QTRY_VERIFY(allConnected());
    QTRY_COMPARE(storedDevice("Addr-3").macAddress, testMac(45));
    for (int i = 0; i < reported.size(); ++i) {
        const QString name = QStringLiteral("Addr-%1").arg(i);
        QTRY_COMPARE(storedDevice(name).fwVersion, panels.at(i)->identity().fwVersion);
        QCOMPARE(storedDevice(name).ipAddress, QStringLiteral("127.0.0.%1").arg(142 + i));
        if (i != 3)
            QCOMPARE(storedDevice(name).macAddress, QString());
    }
    QVERIFY(allConnected());
    for (const auto &dropped : drops)
        QCOMPARE(dropped->count(), 0);
    QCOMPARE(m_log->count("replacing connection"), replacedBefore);
    // Only the panel with a MAC of its own is reached by MAC; the others by their device's link key, which their
    // connections carry.
    QCOMPARE(connections.count(), reported.size());
    QSet<QString> keys;
    for (const QList<QVariant> &connection : qAsConst(connections))
        keys.insert(connection.at(0).value<DeviceChannel *>()->getMacAddress());
    QSet<QString> expected;
    for (int i = 0; i < reported.size(); ++i) {
        const VelkIFPDevice device = storedDevice(QStringLiteral("Addr-%1").arg(i));
        expected.insert(i == 3 ? testMac(45) : QStringLiteral("did:%1").arg(device.did));
        QCOMPARE(m_server->linkKey(device), i == 3 ? testMac(45) : QStringLiteral("did:%1").arg(device.did));
        QVERIFY(m_server->isDeviceOnline(device));
    }
    QCOMPARE(keys, expected);
    for (const QString &mac : reported.mid(0, 3) + reported.mid(4)) {
        QCOMPARE(m_server->connectionState(mac), CmdServer::Offline);
        QVERIFY(!m_server->isManaged(mac));
    }
    QCOMPARE(m_log->count("no network card can have") - notesBefore, 4);
    // What does reach such a panel goes by its device: its connection state and its SOS, whose answer reaches it alone.
    QCOMPARE(m_server->connectionStateOfDevice(storedDevice("Addr-1").did), CmdServer::Connected);
    QCOMPARE(m_server->connectionStateOfDevice(storedDevice("Addr-3").did), CmdServer::Offline); // known by its MAC
    QSignalSpy alerts(m_server, &CmdServer::safeAlert);
    QSignalSpy deviceAlerts(m_server, &CmdServer::safeAlertOfDevice);
    panels.at(1)->raiseSos();
    QTRY_COMPARE(deviceAlerts.count(), 1);
    QCOMPARE(deviceAlerts.at(0).at(0).value<quint32>(), storedDevice("Addr-1").did);
    QCOMPARE(alerts.count(), 0);
    m_server->stopSafeAlertOfDevice(storedDevice("Addr-1").did);
    QTRY_COMPARE(panels.at(1)->receivedCount(VELK_REMOTE_CMD_STOP_SAFE_ALERT), 1);
    QCOMPARE(panels.at(0)->receivedCount(VELK_REMOTE_CMD_STOP_SAFE_ALERT), 0);

    // Once per panel, not at every reconnect.
    QSignalSpy back(panels.at(0).get(), &SimulatedPanel::connected);
    panels.at(0)->abort();
    QTRY_COMPARE(back.count(), 1);
    QCOMPARE(m_log->count("no network card can have") - notesBefore, 4);
    QVERIFY(allConnected());

    // A deleted device's panel is let go, though no MAC names it.
    QSignalSpy refused(panels.at(1).get(), &SimulatedPanel::rejected);
    VelkIFPDevice deleted = storedDevice("Addr-1");
    QCOMPARE(OrvantaDBManager::getInstance()->deleteIFPDevice(deleted), quint32(DB_OK));
    QList<VelkIFPDevice> all;
    OrvantaDBManager::getInstance()->queryAllAvailableIFP(all);
    m_server->setManagedDevices(all);
    QTRY_COMPARE(refused.count(), 1);
    QVERIFY(panels.at(2)->isConnected());
    for (const auto &panel : panels)
        panel->shutDown();
}

// A panel entered by address learned its MAC at a boot when its card reported one; at the next boot the card reports
// zeros again. Matched by address only while its record held no MAC, it was refused at every try, shown Offline, and
// its SOS never arrived. A panel whose card was swapped for one that reports zeros (its record holds the old card's
// MAC) is the same. Each keeps its device, the MAC it holds, and its SOS; a panel no address matches is named by its
// address.
void TestHandshake::cardsReportingZerosAgainKeepTheirDevice()
{
    addManagedDevice("Learned", QString(), "127.0.0.160");
    addManagedDevice("Swapped", testMac(161), "127.0.0.161");
    {
        SimulatedPanel once(identityWith(160, "kelvo"), directSettings(158));
        once.start();
        QTRY_VERIFY(once.isConnected());
        QTRY_COMPARE(storedDevice("Learned").macAddress, testMac(160));
        once.shutDown();
        QTRY_COMPARE(m_server->connectionState(testMac(160)), CmdServer::Offline);
    }
    std::vector<std::unique_ptr<SimulatedPanel>> panels;
    std::vector<std::unique_ptr<QSignalSpy>> refusals;
    for (int i = 0; i < 2; ++i) {
        PanelIdentity zeros = identityWith(160 + i, "kelvo");
        zeros.mac = "00:00:00:00:00:00";
        zeros.fwVersion = QStringLiteral("6.6.0.%1").arg(i);
        panels.emplace_back(new SimulatedPanel(zeros, directSettings(158 + i)));
        refusals.emplace_back(new QSignalSpy(panels.back().get(), &SimulatedPanel::rejected));
        panels.back()->start();
    }
    QTRY_VERIFY(panels.at(0)->isConnected() && panels.at(1)->isConnected());
    const VelkIFPDevice learned = storedDevice("Learned");
    const VelkIFPDevice swapped = storedDevice("Swapped");
    for (const VelkIFPDevice &device : {learned, swapped}) {
        QCOMPARE(m_server->connectionState(device.macAddress), CmdServer::Connected);
        QVERIFY(m_server->isDeviceOnline(device));
        QCOMPARE(m_server->connectionStateOfDevice(device.did), CmdServer::Connected);
    }
    QCOMPARE(learned.macAddress, testMac(160));
    QCOMPARE(swapped.macAddress, testMac(161));
    QTRY_COMPARE(storedDevice("Swapped").fwVersion, QString("6.6.0.1"));
    for (const auto &refused : refusals)
        QCOMPARE(refused->count(), 0);

    // Their SOS arrives by their device, and the answer reaches the panel that raised it alone.
    QSignalSpy deviceAlerts(m_server, &CmdServer::safeAlertOfDevice);
    panels.at(0)->raiseSos();
    panels.at(1)->raiseSos();
    QTRY_COMPARE(deviceAlerts.count(), 2);
    const QSet<quint32> raised = {deviceAlerts.at(0).at(0).value<quint32>(), deviceAlerts.at(1).at(0).value<quint32>()};
    QCOMPARE(raised, (QSet<quint32>{learned.did, swapped.did}));
    m_server->stopSafeAlertOfDevice(swapped.did);
    QTRY_COMPARE(panels.at(1)->receivedCount(VELK_REMOTE_CMD_STOP_SAFE_ALERT), 1);
    QCOMPARE(panels.at(0)->receivedCount(VELK_REMOTE_CMD_STOP_SAFE_ALERT), 0);

    PanelIdentity strangerIdentity = identityWith(162, "kelvo");
    strangerIdentity.mac = "00:00:00:00:00:00";
    SimulatedPanel stranger(strangerIdentity, directSettings(160));
    QSignalSpy strangerRefused(&stranger, &SimulatedPanel::rejected);
    stranger.start();
    QTRY_COMPARE(strangerRefused.count(), 1);
    QVERIFY(m_log->contains("unmanaged device 00:00:00:00:00:00 at 127.0.0.162"));
    stranger.shutDown();
    for (const auto &panel : panels)
        panel->shutDown();
}

// Two panels reporting zeros behind one address (a router that translates addresses) and one device of that address:
// the newest connection replaced the device's, and each panel pushed the other off at its every reconnect, without
// end. The one that holds the device keeps it while it answers; the other is refused, logged once with the address.
// Once the holder stops answering, a probe lets it go and the other gets the device at its next try.
void TestHandshake::twoPanelsBehindOneAddressSettle()
{
    const VelkIFPDevice device = addManagedDevice("Behind", QString(), "127.0.0.170");
    const int replacedBefore = m_log->count("replacing connection");
    const int refusedBefore = m_log->count("at 127.0.0.170 refused");
    PanelSettings settings = directSettings(168);
    settings.rejectBackoffMs = 100;
    std::vector<std::unique_ptr<SimulatedPanel>> panels;
    for (int i = 0; i < 2; ++i) {
        PanelIdentity zeros = identityWith(170 + i, "kelvo");
        zeros.mac = "00:00:00:00:00:00";
        panels.emplace_back(new SimulatedPanel(zeros, settings));
    }
    SimulatedPanel &first = *panels.at(0);
    SimulatedPanel &second = *panels.at(1);
    QSignalSpy firstDropped(&first, &SimulatedPanel::disconnected);
    QSignalSpy secondRefused(&second, &SimulatedPanel::rejected);
    first.start();
    QTRY_VERIFY(first.isConnected());
    second.start();
    QTRY_VERIFY(secondRefused.count() >= 3);
    QVERIFY(first.isConnected());
    QVERIFY(!second.isConnected());
    QCOMPARE(firstDropped.count(), 0);
    QCOMPARE(m_log->count("replacing connection"), replacedBefore);
    QCOMPARE(m_log->count("at 127.0.0.170 refused"), refusedBefore + 1);
    QCOMPARE(m_server->connectionStateOfDevice(device.did), CmdServer::Connected);

    // The holder goes silent (its connection broke where neither end noticed): the newcomer's next try probes it.
    first.behaviour().answerHeartbeat = false;
    QTRY_VERIFY(second.isConnected());
    QVERIFY(m_log->contains(QStringLiteral("no answer to a probe from did:%1 at 127.0.0.170").arg(device.did)));
    QCOMPARE(m_server->connectionStateOfDevice(device.did), CmdServer::Connected);
    QCOMPARE(m_log->count("replacing connection"), replacedBefore);
    first.shutDown();
    second.shutDown();
}

// Room-12 holds its panel's MAC. A device at its address reporting zeros, another model and another SKU was taken for
// Room-12 while its panel was off (and wrote its model and SKU into the record, took its reboot and its users), and
// had Room-12's panel probed at its every try while it was on. It is refused either way, and Room-12's panel stays.
// A panel that may be Room-12's (its model, no SKU told) takes it while its panel is off, and, known by its address
// alone, writes its versions but leaves the record's SKU. One of another model at a device entered by address is the
// box at that address: the record takes its model, so that no firmware of the old model is sent to it.
void TestHandshake::strangerAtADevicesAddressIsRefused()
{
    addManagedDevice("Room-12", testMac(72), "127.0.0.72");
    addManagedDevice("Room-13", QString(), "127.0.0.73");
    PanelIdentity own = identityWith(72, "kelvo");
    own.sku = "SKU-12";
    SimulatedPanel room(own, directSettings(70));
    QSignalSpy roomDropped(&room, &SimulatedPanel::disconnected);
    room.start();
    QTRY_VERIFY(room.isConnected());
    QTRY_COMPARE(storedDevice("Room-12").sku, QString("SKU-12"));

    PanelIdentity strange = identityWith(74, "kelvo");
    strange.mac = "00:00:00:00:00:00";
    strange.model = "Other Model X";
    strange.sku = "SKU-STRANGER";
    strange.fwVersion = "9.9.9.9";
    PanelSettings settings = directSettings(70);
    settings.rejectBackoffMs = 100;
    SimulatedPanel stranger(strange, settings);
    QSignalSpy refused(&stranger, &SimulatedPanel::rejected);
    stranger.start();
    QTRY_VERIFY(refused.count() >= 3);
    QVERIFY(room.isConnected());
    QCOMPARE(roomDropped.count(), 0);
    QVERIFY(m_log->contains("00:00:00:00:00:00 at 127.0.0.72 refused: its model Other Model X (SKU SKU-STRANGER) is "
                            "not that of Room-12 (Velk TM B-Series, SKU SKU-12)"));

    room.shutDown();
    QTRY_COMPARE(m_server->connectionState(testMac(72)), CmdServer::Offline);
    const int whileOff = refused.count();
    QTRY_VERIFY(refused.count() >= whileOff + 3);
    QVERIFY(!stranger.isConnected());
    const VelkIFPDevice kept = storedDevice("Room-12");
    QVERIFY(!m_server->isDeviceOnline(kept));
    m_server->reboot({kept});
    QCOMPARE(stranger.receivedCount(VELK_REMOTE_CMD_REBOOT), 0);
    VelkIFPDevice held;
    QVERIFY(m_server->managedDevice(testMac(72), &held));
    for (const VelkIFPDevice &record : {kept, held}) {
        QCOMPARE(record.modelName, QString("Velk TM B-Series"));
        QCOMPARE(record.sku, QString("SKU-12"));
        QCOMPARE(record.fwVersion, own.fwVersion);
    }
    stranger.shutDown();

    PanelIdentity zeros = identityWith(72, "kelvo");
    zeros.mac = "00:00:00:00:00:00";
    zeros.fwVersion = "7.7.7.7";
    SimulatedPanel cardReset(zeros, directSettings(70));
    cardReset.start();
    QTRY_VERIFY(cardReset.isConnected());
    QCOMPARE(m_server->connectionState(testMac(72)), CmdServer::Connected);
    QTRY_COMPARE(storedDevice("Room-12").fwVersion, QString("7.7.7.7"));
    QCOMPARE(storedDevice("Room-12").sku, QString("SKU-12"));
    cardReset.shutDown();

    strange.fwVersion = "9.9.9.8";
    SimulatedPanel other(strange, directSettings(71));
    other.start();
    QTRY_VERIFY(other.isConnected());
    QTRY_COMPARE(storedDevice("Room-13").fwVersion, QString("9.9.9.8"));
    QCOMPARE(storedDevice("Room-13").modelName, QString("Other Model X"));
    QCOMPARE(storedDevice("Room-13").sku, QString("SKU-STRANGER")); // it held none
    other.shutDown();
}

// A device reporting zeros with another console's password held a device entered by address "Locked", and the real
// panel, refused meanwhile, could not raise its SOS. The locked holder gives way to a panel with our password; one
// with a wrong password does not take it back, nor does it push a connected panel off.
void TestHandshake::lockedHolderGivesWayToThePanelWithOurPassword()
{
    const VelkIFPDevice device = addManagedDevice("Hall-75", QString(), "127.0.0.75");
    PanelSettings settings = directSettings(73);
    settings.rejectBackoffMs = 100;
    PanelIdentity wrong = identityWith(75, "another console's");
    wrong.mac = "00:00:00:00:00:00";
    SimulatedPanel intruder(wrong, settings);
    QSignalSpy intruderDropped(&intruder, &SimulatedPanel::disconnected);
    QSignalSpy intruderRefused(&intruder, &SimulatedPanel::rejected);
    intruder.start();
    QTRY_VERIFY(intruder.isLocked());
    QCOMPARE(m_server->connectionStateOfDevice(device.did), CmdServer::Locked);

    PanelIdentity right = identityWith(76, "kelvo");
    right.mac = "00:00:00:00:00:00";
    SimulatedPanel real(right, settings);
    QSignalSpy realDropped(&real, &SimulatedPanel::disconnected);
    real.start();
    QTRY_VERIFY(real.isConnected());
    QCOMPARE(m_server->connectionStateOfDevice(device.did), CmdServer::Connected);
    // At least once: on a busy machine its next try, 100 ms later, may be refused before this looks.
    QTRY_VERIFY(intruderDropped.count() >= 1);
    QVERIFY(m_log->contains("Hall-75 at 127.0.0.75 held locked gives way"));

    QSignalSpy deviceAlerts(m_server, &CmdServer::safeAlertOfDevice);
    QSignalSpy acknowledged(&real, &SimulatedPanel::sosAcknowledged);
    real.raiseSos();
    QTRY_COMPARE(deviceAlerts.count(), 1);
    QCOMPARE(deviceAlerts.at(0).at(0).value<quint32>(), device.did);
    QTRY_COMPARE(acknowledged.count(), 1);
    QVERIFY(m_log->contains(QStringLiteral("SOS from did:%1, Hall-75 at 127.0.0.75").arg(device.did)));

    QTRY_VERIFY(intruderRefused.count() >= 3);
    QVERIFY(real.isConnected());
    QCOMPARE(realDropped.count(), 0);
    QCOMPARE(m_server->connectionStateOfDevice(device.did), CmdServer::Connected);
    intruder.shutDown();
    real.shutDown();
}

void TestHandshake::recordAPanelTakesByItsAddress_data()
{
    QTest::addColumn<QString>("newcomer");
    QTest::addColumn<QStringList>("records");
    QTest::addColumn<QString>("decision");
    const auto row = [](const char *name, const char *newcomer, const QStringList &records, const char *decision) {
        QTest::newRow(name) << newcomer << records << decision;
    };
    // A device entered by address; panels whose cards report zeros.
    row("zeros, a device entered by address", "zeros B", {"none B"}, "takes 0 as B/");
    row("its own MAC, a device entered by address", "mac B/S", {"none A"}, "takes 0 as B/S");
    row("its own MAC, a record holding a MAC", "mac B", {"entered B"}, "refused, unmanaged");
    row("zeros again, the MAC learned at an earlier boot", "zeros B", {"learned B"}, "takes 0 as B/");
    row("zeros, its card swapped", "zeros B", {"entered B/SKU-12"}, "takes 0 as B/SKU-12");
    row("records without a MAC first", "zeros B", {"entered B", "none B"}, "takes 1 as B/");
    row("another type", "zeros B audio", {"none B"}, "refused, unmanaged");
    // Two behind one address.
    row("the second device of the address", "zeros B", {"none B byAddress", "none B"}, "takes 1 as B/");
    row("every device held", "zeros B", {"none B byAddress", "entered B byMac"}, "refused, every one held; probes 0 1");
    row("a holder receiving a transfer", "zeros B", {"entered B byMac transferring"}, "refused, every one held");
    row("a locked holder by address gives way", "zeros B", {"none B byAddress locked"},
        "takes 0, closing its holder, as B/");
    row("a wrong password takes nothing back", "zeros B locked", {"none B byAddress locked"},
        "refused, every one held; probes 0");
    row("a locked holder by MAC stays", "zeros B", {"entered B byMac locked"}, "refused, every one held; probes 0");
    // A stranger at a device's address.
    row("stranger, the device's panel on", "zeros X/SKU-X", {"entered B/SKU-12 byMac"}, "refused, other model");
    row("stranger, the device's panel off", "zeros X/SKU-X", {"entered B/SKU-12"}, "refused, other model");
    row("the device's model, another SKU", "zeros B/SKU-13", {"entered B/SKU-12"}, "refused, other model");
    row("stranger, the visitor who taught the MAC on", "zeros B", {"learned X/SKU-X byMac"}, "refused, other model");
    // A model not known refuses nothing; the device at an address is the box there.
    row("entered with its MAC, no model yet", "zeros B", {"entered -"}, "takes 0 as B/");
    row("a panel telling no model", "zeros -", {"entered B"}, "takes 0 as B/");
    row("its own panel after a visitor", "zeros B/SKU-12", {"learned X/SKU-X"}, "takes 0 as B/SKU-12");
    row("a box of another model", "zeros X/SKU-X", {"none B/SKU-12"}, "takes 0 as X/SKU-X");
    // Its own panel back from a firmware update with a card reporting zeros, while the run waits for it: nothing tells
    // it from another of its model, and it takes its device.
    row("back from its update", "zeros B", {"entered B"}, "takes 0 as B/");
    row("back from its update, another device free", "zeros B", {"entered B", "entered B"}, "takes 0 as B/");
}

// Which record a panel matched by its address takes: the cases a fleet meets every day (a device entered by address,
// a card reporting zeros again, two panels behind one router, a device entered with its MAC and no model yet, a box
// replaced by another model) beside the strangers it must refuse.
void TestHandshake::recordAPanelTakesByItsAddress()
{
    QFETCH(QString, newcomer);
    QFETCH(QStringList, records);
    QFETCH(QString, decision);
    QVector<PanelAdmission::Record> atAddress;
    for (const QString &record : qAsConst(records))
        atAddress.append(recordOf(record));
    const PanelAdmission::Newcomer panel = newcomerOf(newcomer);
    const PanelAdmission::Decision decided = PanelAdmission::decide(panel, atAddress);
    QCOMPARE(described(decided, atAddress.value(decided.take), panel), decision);
}

void TestHandshake::panelReportingZerosAtADevicesAddress_data()
{
    QTest::addColumn<int>("serial");          // the device's panel's, and its address
    QTest::addColumn<bool>("entered");        // its record holds its panel's MAC
    QTest::addColumn<QString>("recordModel"); // as the record holds it
    QTest::addColumn<QString>("before");      // "visit": another panel was served at the address; "own": the
                                              // device's own panel is connected by its MAC
    QTest::addColumn<bool>("restart");        // the console starts anew on the database before the device's panel
    QTest::addColumn<QString>("model");       // of the panel reporting zeros
    QTest::addColumn<bool>("admitted");
    QTest::addColumn<QString>("storedModel");
    const QString velk = QStringLiteral("Velk TM B-Series");
    QTest::newRow("entered with its MAC and no model")
        << 180 << true << QString() << QString() << false << velk << true << velk;
    QTest::newRow("entered by address, after a visit")
        << 182 << false << velk << "visit" << false << velk << true << velk;
    QTest::newRow("entered by address, a box of another model")
        << 184 << false << velk << QString() << false << "Other Model X" << true << "Other Model X";
    QTest::newRow("stranger of another model, the device's panel connected")
        << 186 << true << velk << "own" << false << "Other Model X" << false << velk;
    QTest::newRow("entered by address, after a visit and a restart")
        << 188 << false << velk << "visit" << true << velk << true << velk;
    QTest::newRow("stranger of another model after a restart, the device's panel connected")
        << 190 << true << velk << "own" << true << "Other Model X" << false << velk;
}

// A device entered with its MAC (Add Device and the device file store no model) refused its panel for good once its
// card reported zeros; an address-only device's panel was refused for good once another panel, with a MAC, model and
// SKU of its own, had been served at the address, and again after the console restarted, which then took the MAC the
// visitor taught for one the operator entered; a box replaced by another model kept the old model, and a run sent it
// the old model's firmware. Each is served, raises its SOS, and its record says the model it reports; the stranger of
// another model at a device whose panel is connected stays refused and leaves the record as it was.
void TestHandshake::panelReportingZerosAtADevicesAddress()
{
    QFETCH(int, serial);
    QFETCH(bool, entered);
    QFETCH(QString, recordModel);
    QFETCH(QString, before);
    QFETCH(bool, restart);
    QFETCH(QString, model);
    QFETCH(bool, admitted);
    QFETCH(QString, storedModel);
    const QString name = QStringLiteral("Zeros-%1").arg(serial);
    const QString address = QStringLiteral("127.0.0.%1").arg(serial);
    VelkIFPDevice device = addManagedDevice(name, entered ? testMac(serial) : QString(), address);
    device.modelName = recordModel;
    QCOMPARE(OrvantaDBManager::getInstance()->updateIFPDeviceById(device), quint32(DB_OK));
    QList<VelkIFPDevice> all;
    OrvantaDBManager::getInstance()->queryAllAvailableIFP(all);
    m_server->setManagedDevices(all);
    PanelSettings settings = directSettings(serial - 2);
    settings.rejectBackoffMs = 100;
    PanelIdentity zeros = identityWith(serial, "kelvo");
    zeros.mac = "00:00:00:00:00:00";
    zeros.model = model;
    PanelIdentity visiting = identityWith(serial + 1, "kelvo");
    visiting.model = "Visiting Model";
    visiting.sku = "SKU-VISIT";
    if (before == "visit") {
        {
            SimulatedPanel once(zeros, settings);
            once.start();
            QTRY_VERIFY(once.isConnected());
            once.shutDown();
        }
        SimulatedPanel visitor(visiting, settings);
        visitor.start();
        QTRY_VERIFY(visitor.isConnected());
        QTRY_COMPARE(storedDevice(name).modelName, QString("Visiting Model"));
        QCOMPARE(storedDevice(name).macAddress, testMac(serial + 1));
        visitor.shutDown();
        QTRY_COMPARE(m_server->connectionState(testMac(serial + 1)), CmdServer::Offline);
    }
    QProcess console;
    QStringList said;
    const auto readSaid = [&] {
        while (console.canReadLine())
            said.append(QString::fromUtf8(console.readLine()).trimmed());
        return said.size();
    };
    if (restart) {
        console.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        console.start(QCoreApplication::applicationFilePath(), {"--restarted-console", m_dir.path()});
        QVERIFY(console.waitForStarted(QuorvinTryCeilingMs));
        QTRY_VERIFY_WITH_TIMEOUT(readSaid() >= 1, QuorvinTryCeilingMs);
        QVERIFY(said.first().startsWith("port "));
        settings.consolePort = quint16(said.first().mid(5).toUInt());
        if (before == "visit") {
            // Back once, known by its MAC now: the record stays the address's.
            visiting.fwVersion = "6.6.6.6";
            SimulatedPanel visitor(visiting, settings);
            visitor.start();
            QTRY_VERIFY(visitor.isConnected());
            QTRY_COMPARE(storedDevice(name).fwVersion, QString("6.6.6.6"));
            visitor.shutDown();
        }
    }
    std::unique_ptr<SimulatedPanel> own;
    if (before == "own") {
        own.reset(new SimulatedPanel(identityWith(serial, "kelvo"), settings));
        own->start();
        QTRY_VERIFY(own->isConnected());
        QTRY_COMPARE(storedDevice(name).fwVersion, identityWith(serial, "kelvo").fwVersion);
    }
    const VelkIFPDevice kept = storedDevice(name);

    zeros.fwVersion = "8.8.8.8";
    SimulatedPanel panel(zeros, settings);
    QSignalSpy refused(&panel, &SimulatedPanel::rejected);
    QSignalSpy acknowledged(&panel, &SimulatedPanel::sosAcknowledged);
    panel.start();
    if (admitted) {
        QTRY_VERIFY(panel.isConnected());
        if (!restart)
            QCOMPARE(m_server->connectionStateOfDevice(kept.did), CmdServer::Connected);
        panel.raiseSos();
        QTRY_COMPARE(acknowledged.count(), 1);
        if (restart)
            QTRY_VERIFY(readSaid() >= 2 && said.contains(QStringLiteral("sos of device %1").arg(kept.did)));
        QTRY_COMPARE(storedDevice(name).fwVersion, QString("8.8.8.8"));
    } else {
        QTRY_VERIFY(refused.count() >= 3);
        QVERIFY(own->isConnected());
        QList<VelkIFPDevice> records{storedDevice(name)};
        VelkIFPDevice held;
        if (!restart) {
            QVERIFY(m_server->managedDevice(testMac(serial), &held));
            records.append(held);
        }
        for (const VelkIFPDevice &record : qAsConst(records)) {
            QCOMPARE(record.fwVersion, kept.fwVersion);
            QCOMPARE(record.sku, kept.sku);
            QCOMPARE(record.modelName, kept.modelName);
        }
        own->shutDown();
    }
    QCOMPARE(storedDevice(name).modelName, storedModel);
    panel.shutDown();
    console.kill();
    console.waitForFinished(QuorvinTryCeilingMs);
}

// A fleet's first connect after an import: every stored record is stale, so every handshake writes, and the writes
// of a burst go to the database together. Each record must end with what its panel reported and keep what panels do
// not report (type, location, camera, take-over mark), an edit made while the burst was in flight must survive, and
// a write the database refuses must be tried again at the panel's next handshake.
void TestHandshake::burstOfChangedRecordsIsWrittenBack()
{
    const int count = 8; // the bound on connections awaiting their identity
    for (int i = 0; i < count; ++i)
        addManagedDevice(QStringLiteral("Burst-%1").arg(i), testMac(100 + i));
    QSqlQuery trigger(QSqlDatabase::database());
    QVERIFY(trigger.exec(QStringLiteral("CREATE TEMP TRIGGER refuse_burst BEFORE UPDATE ON Device "
                                        "WHEN OLD.deviceName = 'Burst-0' BEGIN SELECT RAISE(ABORT, 'refused'); END")));

    std::vector<std::unique_ptr<SimulatedPanel>> panels;
    for (int i = 0; i < count; ++i) {
        PanelIdentity identity = identityWith(100 + i, "kelvo");
        identity.fwVersion = QStringLiteral("9.9.%1").arg(i);
        identity.sku = QStringLiteral("SKU-%1").arg(i);
        panels.emplace_back(new SimulatedPanel(identity, directSettings(60 + i)));
    }
    QSignalSpy connections(m_server, &CmdServer::newConnection);
    // The operator edits a location while the burst is in flight: between a handshake and its write.
    bool edited = false;
    auto editor = connect(m_server, &CmdServer::newConnection, this, [&](DeviceChannel *channel) {
        if (edited || channel->getMacAddress() != testMac(105))
            return;
        edited = true;
        VelkIFPDevice device = storedDevice("Burst-5");
        device.position = QStringLiteral("Moved");
        QCOMPARE(OrvantaDBManager::getInstance()->updateIFPDeviceById(device), quint32(DB_OK));
    });
    for (auto &panel : panels)
        panel->start();
    QTRY_COMPARE(connections.count(), count);
    disconnect(editor);
    QTRY_COMPARE(storedDevice(QStringLiteral("Burst-%1").arg(count - 1)).fwVersion, QString("9.9.%1").arg(count - 1));
    for (int i = 1; i < count; ++i) {
        const VelkIFPDevice stored = storedDevice(QStringLiteral("Burst-%1").arg(i));
        QCOMPARE(stored.fwVersion, QString("9.9.%1").arg(i));
        QCOMPARE(stored.sku, QString("SKU-%1").arg(i));
        QCOMPARE(stored.ipAddress, QString("127.0.0.%1").arg(62 + i));
        QCOMPARE(stored.lastPassword, QString("kelvo"));
        QCOMPARE(stored.deviceType, QString("Control Box"));
        QCOMPARE(stored.ptzCamera, QString("cam-Burst-%1").arg(i));
        QCOMPARE(stored.position, i == 5 ? QString("Moved") : QString("Room Burst-%1").arg(i));
    }
    QCOMPARE(storedDevice("Burst-0").fwVersion, QString());

    // The refused write is tried again once the database takes it.
    QVERIFY(trigger.exec(QStringLiteral("DROP TRIGGER refuse_burst")));
    panels.front()->shutDown();
    QTRY_COMPARE(m_server->connectionState(testMac(100)), CmdServer::Offline);
    panels.front()->start();
    QTRY_COMPARE(storedDevice("Burst-0").fwVersion, QString("9.9.0"));
    for (auto &panel : panels)
        panel->shutDown();
    for (int i = 0; i < count; ++i)
        QTRY_COMPARE(m_server->connectionState(testMac(100 + i)), CmdServer::Offline);
}

// Panels whose identities all wait for the console's loop: their write-backs go into one transaction. SQLite rolls it
// back at one record (a trigger's RAISE(ROLLBACK); an I/O error does the same). Every other record is written all the
// same and its held copy says so; only the refused one is held as before, so its panel's next handshake tries again.
void TestHandshake::writeBackRolledBackMidwayLosesOnlyItsRecord()
{
    const int count = 6; // within the bound on connections awaiting their identity
    for (int i = 0; i < count; ++i)
        addManagedDevice(QStringLiteral("Rolled-%1").arg(i), testMac(120 + i));
    QSqlQuery trigger(QSqlDatabase::database());
    QVERIFY(
        trigger.exec(QStringLiteral("CREATE TEMP TRIGGER refuse_rolled BEFORE UPDATE ON Device "
                                    "WHEN OLD.deviceName = 'Rolled-3' BEGIN SELECT RAISE(ROLLBACK, 'refused'); END")));
    m_log->clear();
    auto identity = [](int i) {
        PanelIdentity reported = identityWith(120 + i, "kelvo");
        reported.fwVersion = QStringLiteral("7.7.%1").arg(i);
        return reported;
    };
    QSignalSpy connections(m_server, &CmdServer::newConnection);
    // Connected and identified before the console's loop runs again, so the handshakes come in one turn.
    std::vector<std::unique_ptr<RawPeer>> peers;
    for (int i = 0; i < count; ++i) {
        peers.emplace_back(new RawPeer);
        QVERIFY(peers.back()->waitConnected());
        peers.back()->sendIdentity(identity(i));
    }
    QTRY_COMPARE(connections.count(), count);
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("Rolled-%1").arg(i);
        const QString version = i == 3 ? QString() : QStringLiteral("7.7.%1").arg(i);
        QTRY_COMPARE(storedDevice(name).fwVersion, version);
        VelkIFPDevice held;
        QVERIFY(m_server->managedDevice(testMac(120 + i), &held));
        QCOMPARE(held.fwVersion, version);
    }
    const QStringList notKept = m_log->linesWith(QStringLiteral("not kept"));
    QCOMPARE(notKept.size(), 1);
    QVERIFY2(notKept.first().endsWith(QStringLiteral("not kept: record of Rolled-3")), qPrintable(notKept.first()));
    QVERIFY(!m_log->contains("write-back not committed"));

    QVERIFY(trigger.exec(QStringLiteral("DROP TRIGGER refuse_rolled")));
    peers.at(3).reset();
    QTRY_COMPARE(m_server->connectionState(testMac(123)), CmdServer::Offline);
    RawPeer again;
    QVERIFY(again.waitConnected());
    again.sendIdentity(identity(3));
    QTRY_COMPARE(storedDevice("Rolled-3").fwVersion, QString("7.7.3"));
    for (auto &peer : peers)
        peer.reset();
}

// Fifty panels connect while another program holds the database for longer than the console waits for it (an SQLite
// browser with an unsaved change), and stay connected. Their write-backs were refused and tried again only at each
// panel's next handshake, which may come days later: the records kept their old addresses, which the SOS warning
// shows. They are written once the database takes writes, while the panels stay connected.
void TestHandshake::writeBackWaitsOutAHeldDatabase()
{
    const ShortDatabaseWaits waits(100);
    OrvantaDBManager *db = waits.db();
    const int count = 50;
    for (int i = 0; i < count; ++i)
        addManagedDevice(QStringLiteral("Held-%1").arg(i), testMac(300 + i));
    DatabaseHold hold(db->databaseFilePath(), DatabaseHold::Writer);
    QVERIFY2(hold.isHeld(), qPrintable(hold.error()));

    QSignalSpy connections(m_server, &CmdServer::newConnection);
    std::vector<std::unique_ptr<SimulatedPanel>> panels;
    for (int i = 0; i < count; ++i) {
        PanelIdentity identity = identityWith(300 + i, "kelvo");
        identity.fwVersion = QStringLiteral("5.5.%1").arg(i);
        PanelSettings settings = directSettings(0);
        settings.ownAddress = QHostAddress(QStringLiteral("127.0.8.%1").arg(2 + i));
        panels.emplace_back(new SimulatedPanel(identity, settings));
        panels.back()->start();
    }
    QTRY_COMPARE(connections.count(), count);
    QTest::qWait(200); // tries while the hold lasts
    for (int i = 0; i < count; ++i) {
        QCOMPARE(storedDevice(QStringLiteral("Held-%1").arg(i)).fwVersion, QString());
        VelkIFPDevice held;
        QVERIFY(m_server->managedDevice(testMac(300 + i), &held));
        QCOMPARE(held.fwVersion, QStringLiteral("5.5.%1").arg(i));
    }

    hold.release();
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("Held-%1").arg(i);
        QTRY_COMPARE(storedDevice(name).fwVersion, QStringLiteral("5.5.%1").arg(i));
        QCOMPARE(storedDevice(name).ipAddress, QStringLiteral("127.0.8.%1").arg(2 + i));
    }
    QCOMPARE(connections.count(), count);
    for (auto &panel : panels)
        panel->shutDown();
    for (int i = 0; i < count; ++i)
        QTRY_COMPARE(m_server->connectionState(testMac(300 + i)), CmdServer::Offline);
}

// Two hundred panels reconnecting while another program keeps the file for good, and the device list handing the
// command server the records it read meanwhile (without the reports the database holds back): every reconnect held
// one more write-back, without end (+14.8 MB in 11 minutes). A panel's write-back replaces its earlier one still held,
// carrying the fields that one set: the held writes stay within one per panel, and every record ends with all of its
// panel's latest report.
void TestHandshake::heldWriteBacksStayOnePerPanel()
{
    constexpr int kPanels = 200;
    // Two hundred handshakes a round, eight awaiting their identity at a time, on a machine that may be running the
    // whole suite beside other work: well above what a round takes (about a second here).
    constexpr int kFleetCeilingMs = 180000;
    constexpr int kRounds = 4;
    const ShortDatabaseWaits waits(50);
    OrvantaDBManager *db = waits.db();
    for (int i = 0; i < kPanels; ++i)
        addManagedDevice(QStringLiteral("Fleet-%1").arg(i), testMac(500 + i));
    QList<VelkIFPDevice> listed;
    QCOMPARE(db->queryAllAvailableIFP(listed), DB_OK);
    DatabaseHold hold(db->databaseFilePath(), DatabaseHold::Writer);
    QVERIFY2(hold.isHeld(), qPrintable(hold.error()));

    std::vector<std::unique_ptr<SimulatedPanel>> panels;
    const auto identityOf = [](int i, int round) {
        PanelIdentity identity = identityWith(500 + i, "kelvo");
        identity.fwVersion = QStringLiteral("7.%1.%2").arg(round).arg(i);
        return identity;
    };
    for (int i = 0; i < kPanels; ++i) {
        PanelSettings settings = directSettings(0);
        settings.ownAddress = QHostAddress(QStringLiteral("127.0.9.%1").arg(2 + i));
        panels.emplace_back(new SimulatedPanel(identityOf(i, 1), settings));
        panels.back()->start();
    }
    // Each panel connected in this round; a connection that a loaded machine let go meanwhile comes back by itself.
    const auto allConnectedFor = [&](int round) {
        return std::all_of(panels.begin(), panels.end(), [this, round](const auto &panel) {
            return panel->connectCount() >= round && m_server->connectionState(panel->mac()) == CmdServer::Connected;
        });
    };
    QTRY_VERIFY_WITH_TIMEOUT(allConnectedFor(1), kFleetCeilingMs);
    for (int round = 2; round <= kRounds; ++round) {
        // The last round reports only a new firmware to records that hold the rest of the report already.
        if (round < kRounds)
            m_server->setManagedDevices(listed);
        for (int i = 0; i < kPanels; ++i) {
            panels.at(size_t(i))->setIdentity(identityOf(i, round));
            m_server->disconnectDevice(testMac(500 + i));
        }
        QTRY_VERIFY_WITH_TIMEOUT(allConnectedFor(round), kFleetCeilingMs);
    }
    // Every panel's latest write-back is held by now, once flushed: one each, never more.
    QTRY_VERIFY_WITH_TIMEOUT(db->heldWrites()->count() >= kPanels, kFleetCeilingMs);
    const int held = db->heldWrites()->count();
    QVERIFY2(held <= kPanels, qPrintable(QString::number(held)));

    hold.release();
    QTRY_VERIFY(db->heldWrites()->isEmpty());
    QList<VelkIFPDevice> stored;
    QCOMPARE(db->queryAllAvailableIFP(stored), DB_OK);
    QHash<QString, VelkIFPDevice> byName;
    for (const VelkIFPDevice &device : qAsConst(stored))
        byName.insert(device.deviceName, device);
    for (int i = 0; i < kPanels; ++i) {
        const VelkIFPDevice device = byName.value(QStringLiteral("Fleet-%1").arg(i));
        QCOMPARE(device.fwVersion, QStringLiteral("7.%1.%2").arg(kRounds).arg(i));
        QCOMPARE(device.ipAddress, QStringLiteral("127.0.9.%1").arg(2 + i));
    }
    for (auto &panel : panels)
        panel->shutDown();
    // All gone before the next case, whose listeners would hear them go.
    QTRY_VERIFY_WITH_TIMEOUT(std::none_of(panels.begin(), panels.end(),
                                          [this](const auto &panel) {
                                              return m_server->connectionState(panel->mac()) != CmdServer::Offline;
                                          }),
                             kFleetCeilingMs);
}

// Two connections claiming one MAC: the newer replaces the older, and listeners hear that the older went.
void TestHandshake::newestConnectionWins()
{
    RawPeer old;
    QVERIFY(old.waitConnected());
    old.sendIdentity(identityWith(4, "kelvo"));
    QTRY_VERIFY(m_server->getChannel(testMac(4)));
    QPointer<DeviceChannel> oldChannel = m_server->getChannel(testMac(4));
    DeviceChannel *const oldAddress = oldChannel.data();

    // The panels of earlier cases may still be going: only those of this MAC count.
    QList<DeviceChannel *> gone;
    const auto listening = connect(m_server, &CmdServer::channelDisconnect, this, [&gone](DeviceChannel *channel) {
        if (channel->getMacAddress() == testMac(4))
            gone.append(channel);
    });
    auto fresh = connectedPanel(4, 5);
    QVERIFY(fresh->isConnected());
    disconnect(listening);
    QCOMPARE(gone.size(), 1);
    QCOMPARE(gone.at(0), oldAddress);
    QVERIFY(m_server->getChannel(testMac(4)) != oldAddress);
    QTRY_VERIFY(old.isClosed() || (old.socket().waitForDisconnected(100), old.isClosed()));
    QTRY_VERIFY(oldChannel.isNull()); // freed, one turn after the disconnect
    fresh->shutDown();
}

// A queued listener of newConnection must still find the channel alive even when the connection ended before the
// queued call was delivered.
void TestHandshake::queuedListenersOutliveTheChannel()
{
    QList<QPointer<DeviceChannel>> seen;
    QStringList macs;
    auto queued = connect(
        m_server, &CmdServer::newConnection, this,
        [&](DeviceChannel *channel) {
            seen.append(channel);
            macs.append(seen.last() ? channel->getMacAddress() : QString());
        },
        Qt::QueuedConnection);
    auto direct = connect(m_server, &CmdServer::newConnection, this,
                          [this](DeviceChannel *channel) { m_server->disconnectDevice(channel->getMacAddress()); });
    SimulatedPanel panel(identityWith(5, "kelvo"), directSettings(6));
    panel.start();
    QTRY_VERIFY(!macs.isEmpty());
    QCOMPARE(macs.first(), testMac(5));
    disconnect(queued);
    disconnect(direct);
    panel.shutDown();
}

void TestHandshake::keepAliveAndIdleClose()
{
    auto panel = connectedPanel(6, 7);
    QVERIFY(panel->isConnected());
    QTRY_VERIFY(panel->receivedCount(VELK_REMOTE_CMD_HEARTBEAT) >= 15); // more than the idle time-out's worth
    QVERIFY(panel->isConnected()); // answering kept it alive past the idle time-out

    QSignalSpy gone(m_server, &CmdServer::channelDisconnect);
    panel->behaviour().answerHeartbeat = false;
    QTRY_VERIFY(gone.count() >= 1);
    QCOMPARE(m_server->connectionState(testMac(6)), CmdServer::Offline);
    panel->shutDown();

    // A panel's own heartbeat is answered.
    RawPeer peer;
    QVERIFY(peer.waitConnected());
    peer.sendIdentity(identityWith(6, "kelvo"));
    peer.sendFrame(VELK_REMOTE_CMD_HEARTBEAT, FrameCodec::int32Payload(0));
    QTRY_VERIFY(peer.received(VELK_REMOTE_RSP_HEARTBEAT));
}

void TestHandshake::badFramesOnAConnection_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<QString>("logLine");
    QTest::newRow("2 GB length") << "huge" << true << "bad frame length 2147483632 from 02:51:4d:00:00:07";
    QTest::newRow("negative length") << "negative" << true << "bad frame length -1 from 02:51:4d:00:00:07";
    QTest::newRow("partial frame, then silence") << "partial" << true << "idle timeout 02:51:4d:00:00:07";
    QTest::newRow("one unknown code") << "unknown" << false << "unknown code 0x";
    QTest::newRow("sixteen unknown codes") << "unknown16" << true << "too many bad frames from 02:51:4d:00:00:07";
    QTest::newRow("short int32 payload") << "short" << false << "payload too short";
    QTest::newRow("second identity") << "identity" << false << "second identity";
    QTest::newRow("console command from a panel") << "command" << false << "a console command";
    QTest::newRow("unasked sync answers") << "sync" << false << "no first-sync question asked";
}

void TestHandshake::badFramesOnAConnection()
{
    QFETCH(QString, action);
    QFETCH(bool, closes);
    QFETCH(QString, logLine);
    m_log->clear();
    auto panel = connectedPanel(7, 8);
    QVERIFY(panel->isConnected());
    QPointer<DeviceChannel> channel = m_server->getChannel(testMac(7));
    QSignalSpy gone(m_server, &CmdServer::channelDisconnect);
    QSignalSpy otaState(m_server, &CmdServer::checkOtaStateResult);
    QSignalSpy synced(m_server, &CmdServer::syncUserDeviceFinished);
    PanelSettings slow = panel->settings();
    slow.reconnectDelayMs = 60000;
    panel->setSettings(slow);

    if (action == "huge")
        panel->sendHugeLength();
    else if (action == "negative")
        panel->sendNegativeLength();
    else if (action == "partial")
        panel->sendPartialAndStall();
    else if (action == "unknown")
        panel->sendUnknownCode();
    else if (action == "unknown16")
        for (int i = 0; i < 16; ++i)
            panel->sendUnknownCode();
    else if (action == "short")
        panel->sendShortInt32(VELK_REMOTE_RSP_CHECK_OTA_STATE);
    else if (action == "identity")
        panel->sendFrame(VELK_REMOTE_CMD_IDENTITY, identityWith(8, "kelvo").toJson());
    else if (action == "command")
        panel->sendFrame(VELK_REMOTE_CMD_POWER_OFF, FrameCodec::int32Payload(0));
    else if (action == "sync") {
        panel->sendFrame(VELK_REMOTE_RSP_SYNC_USER_SETTINGS_COMPLETE, FrameCodec::int32Payload(0));
        panel->sendFrame(VELK_REMOTE_RSP_ASK_FIRST_SYNC, FrameCodec::int32ThenBytes(1, "userName\nmallory,x,,1\n"));
    }

    if (closes) {
        QTRY_VERIFY(gone.count() == 1);
        QTRY_VERIFY(channel.isNull());
    } else {
        // A heartbeat round trip proves the frames before it were read and dropped.
        const int beats = panel->receivedCount(VELK_REMOTE_RSP_HEARTBEAT);
        panel->sendHeartbeat();
        QTRY_VERIFY(panel->receivedCount(VELK_REMOTE_RSP_HEARTBEAT) > beats);
        QCOMPARE(gone.count(), 0);
        QVERIFY(m_server->getChannel(testMac(7)) == channel.data());
        QCOMPARE(otaState.count(), 0);
        QCOMPARE(synced.count(), 0);
        QCOMPARE(m_server->getChannel(testMac(8)), nullptr);
    }
    QVERIFY2(m_log->contains(logLine), qPrintable(logLine));
    panel->shutDown();
    QTRY_VERIFY(!m_server->getChannel(testMac(7)));
    QList<VelkMultiUser> mallory;
    OrvantaDBManager::getInstance()->queryMultiUserByName(mallory, "mallory");
    QVERIFY(mallory.isEmpty());
}

// Only the identity and keep-alives count before the handshake; nothing else may reach the features.
void TestHandshake::framesBeforeIdentity()
{
    QSignalSpy alerts(m_server, &CmdServer::safeAlert);
    QSignalSpy otaState(m_server, &CmdServer::checkOtaStateResult);
    RawPeer peer;
    QVERIFY(peer.waitConnected());
    peer.sendFrame(VELK_REMOTE_CMD_SAFE_ALERT, FrameCodec::int32Payload(0));
    peer.sendFrame(VELK_REMOTE_RSP_CHECK_OTA_STATE, FrameCodec::int32Payload(0));
    peer.sendFrame(VELK_REMOTE_CMD_HEARTBEAT, FrameCodec::int32Payload(0));
    QTRY_VERIFY(peer.received(VELK_REMOTE_RSP_HEARTBEAT));
    QCOMPARE(alerts.count(), 0);
    QCOMPARE(otaState.count(), 0);
    peer.sendIdentity(identityWith(9, "kelvo"));
    QTRY_VERIFY(m_server->getChannel(testMac(9)));
    m_server->disconnectDevice(testMac(9));
}

// Identities are answered in turns of their own; what a panel sends right behind its identity, in the same write,
// must wait for the answer and then count as coming from the connected panel, in order.
void TestHandshake::framesRightAfterIdentityFollowTheHandshake()
{
    QSignalSpy alerts(m_server, &CmdServer::safeAlert);
    RawPeer peer;
    QVERIFY(peer.waitConnected());
    peer.send(FrameCodec::encode(VELK_REMOTE_CMD_IDENTITY, identityWith(9, "kelvo").toJson()) +
              FrameCodec::encode(VELK_REMOTE_CMD_SAFE_ALERT, FrameCodec::int32Payload(0)) +
              FrameCodec::encode(VELK_REMOTE_CMD_HEARTBEAT, FrameCodec::int32Payload(0)));
    QTRY_VERIFY(peer.received(VELK_REMOTE_RSP_HEARTBEAT));
    QCOMPARE(alerts.count(), 1);
    QCOMPARE(alerts.at(0).at(0).toString(), testMac(9));
    QList<quint16> codes;
    for (const auto &frame : peer.frames()) {
        if (frame.first != VELK_REMOTE_CMD_HEARTBEAT) // the console's own keep-alive may come any time
            codes.append(frame.first);
    }
    QCOMPARE(codes, (QList<quint16>{VELK_REMOTE_RSP_IDENTITY, VELK_REMOTE_RSP_SAFE_ALERT, VELK_REMOTE_RSP_HEARTBEAT}));
    m_server->disconnectDevice(testMac(9));
    QTRY_COMPARE(m_server->connectionState(testMac(9)), CmdServer::Offline);
}

// A connection that has not identified may not make the console buffer a megabyte frame: with a thousand such
// connections allowed at once, that would be a gigabyte.
void TestHandshake::largeFrameBeforeIdentityCloses()
{
    m_log->clear();
    RawPeer peer;
    QVERIFY(peer.waitConnected());
    peer.sendFrame(VELK_REMOTE_CMD_IDENTITY, QByteArray(64 * 1024, '{'));
    QTRY_VERIFY(peer.isClosed());
    QVERIFY(m_log->contains("bad frame length 65536"));
}

// Keep-alives are answered before the identity too; a peer that sends them and reads nothing must not make the
// console queue megabytes of answers for each of the many connections still awaiting an identity.
void TestHandshake::unreadAnswersBeforeIdentityClose()
{
    m_log->clear();
    RawPeer peer;
    QVERIFY(peer.waitConnected());
    peer.socket().setReadBufferSize(1);
    const QByteArray heartbeat = FrameCodec::encode(VELK_REMOTE_CMD_HEARTBEAT);
    QByteArray burst;
    for (int i = 0; i < 50000; ++i)
        burst += heartbeat;
    for (int i = 0; i < 8 && !peer.isClosed() && !m_log->contains("stopped reading"); ++i) {
        peer.send(burst);
        QTest::qWait(20);
    }
    // The peer reads nothing, so it would not even notice being closed: ask the log which ended it first.
    QTRY_VERIFY(m_log->contains("stopped reading") || m_log->contains("no identity within"));
    QVERIFY(m_log->contains("stopped reading"));
}

void TestHandshake::badIdentityIsClosed_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::newRow("not JSON") << QByteArray("mac=02:51:4d:00:00:09");
    QTest::newRow("no mac") << QByteArray(R"({"model":"Velk TM B-Series","password":"kelvo"})");
    QTest::newRow("bad mac") << QByteArray(R"({"mac":"02:51:4d:00:00:9","password":"kelvo"})");
    QTest::newRow("empty") << QByteArray();
}

void TestHandshake::badIdentityIsClosed()
{
    QFETCH(QByteArray, payload);
    RawPeer peer;
    QVERIFY(peer.waitConnected());
    peer.sendFrame(VELK_REMOTE_CMD_IDENTITY, payload);
    QTRY_VERIFY(peer.isClosed());
    QVERIFY(!peer.received(VELK_REMOTE_RSP_IDENTITY));
}

void TestHandshake::silentPeerIsClosed()
{
    RawPeer peer;
    QVERIFY(peer.waitConnected());
    peer.send(QByteArray("\x10\x00", 2)); // half a header, then nothing
    QTRY_VERIFY(peer.isClosed());
}

// Connections that never identify cannot pile up: past the bound, newer ones are closed at once, and a real panel
// still gets in once the handshake time-out cleared the others.
void TestHandshake::floodOfUnidentifiedConnections()
{
    std::vector<std::unique_ptr<RawPeer>> peers;
    for (int i = 0; i < 20; ++i) {
        peers.emplace_back(new RawPeer);
        QVERIFY(peers.back()->waitConnected());
    }
    QTRY_VERIFY(std::count_if(peers.begin(), peers.end(), [](const auto &peer) { return peer->isClosed(); }) >= 12);
    QTRY_VERIFY(std::all_of(peers.begin(), peers.end(), [](const auto &peer) { return peer->isClosed(); }));
    auto panel = connectedPanel(1, 1);
    QVERIFY(panel->isConnected());
    panel->shutDown();
}

void TestHandshake::randomBytesNeverHurtTheServer()
{
    QRandomGenerator random(1688);
    std::vector<std::unique_ptr<RawPeer>> peers;
    for (int i = 0; i < 6; ++i) {
        peers.emplace_back(new RawPeer);
        QVERIFY(peers.back()->waitConnected());
        if (i % 2)
            peers.back()->sendIdentity(identityWith(1, "kelvo"));
        for (int burst = 0; burst < 20; ++burst) {
            QByteArray bytes(int(random.bounded(1, 600)), Qt::Uninitialized);
            for (char &c : bytes)
                c = char(random.bounded(256));
            if (random.bounded(3) == 0)
                bytes.prepend(FrameCodec::encodeHeader(quint16(random.bounded(0x10000)), qint32(random.bounded(64))));
            peers.back()->send(bytes);
        }
    }
    QTRY_VERIFY(std::all_of(peers.begin(), peers.end(), [](const auto &peer) { return peer->isClosed(); }));
    auto panel = connectedPanel(1, 1);
    QVERIFY(panel->isConnected());
    panel->shutDown();
}

void TestHandshake::kick()
{
    QSignalSpy kicks(m_server, &CmdServer::kick);
    isAdminLogin = true;
    {
        auto panel = connectedPanel(2, 3);
        PanelSettings slow = panel->settings();
        slow.reconnectDelayMs = 60000;
        panel->setSettings(slow);
        // A listener that closes the connection itself while the kick is being reported.
        auto reentrant =
            connect(m_server, &CmdServer::kick, this, [this](const QString &mac) { m_server->disconnectDevice(mac); });
        QSignalSpy gone(m_server, &CmdServer::channelDisconnect);
        panel->sendKick("{other-console}");
        QTRY_COMPARE(kicks.count(), 1);
        QCOMPARE(kicks.at(0).at(0).toString(), testMac(2));
        QTRY_COMPARE(gone.count(), 1);
        disconnect(reentrant);
        const VelkIFPDevice stored = storedDevice("Panel-2");
        QVERIFY(stored.isKicked);
        QCOMPARE(stored.position, QString("Room Panel-2")); // the full record was written back
        QCOMPARE(stored.deviceType, QString("Control Box"));
        panel->shutDown();
    }
    isAdminLogin = false;
    {
        auto panel = connectedPanel(3, 4);
        PanelSettings slow = panel->settings();
        slow.reconnectDelayMs = 60000;
        panel->setSettings(slow);
        QSignalSpy gone(m_server, &CmdServer::channelDisconnect);
        panel->sendKick("{other-console}");
        QTRY_COMPARE(gone.count(), 1);
        QCOMPARE(kicks.count(), 1);
        QVERIFY(!storedDevice("Panel-3").isKicked);
        panel->shutDown();
    }
}

void TestHandshake::kickDuringAHoldIsMarkedOnceTheDatabaseTakesIt_data()
{
    addHoldKindRows();
}

// Taken over while another program holds the database for longer than the console waits for it: the mark was refused
// and lost under an SQLite browser's unsaved change, and under a file held exclusively (a VACUUM, a browser saving)
// the device was not even found, read from the database; either way the device no longer showed it once the list was
// read again. It is marked from the record the console holds and written once the database takes writes, setting the
// mark alone: what the other program saved to the record meanwhile stands.
void TestHandshake::kickDuringAHoldIsMarkedOnceTheDatabaseTakesIt()
{
    QFETCH(int, kind);
    const int serial = 700 + kind;
    const QString name = QStringLiteral("Kicked-%1").arg(kind);
    addManagedDevice(name, testMac(serial));
    QSignalSpy kicks(m_server, &CmdServer::kick);
    isAdminLogin = true;
    const ShortDatabaseWaits waits(100);
    auto panel = connectedPanel(serial, 240 + kind);
    PanelSettings slow = panel->settings();
    slow.reconnectDelayMs = 60000;
    panel->setSettings(slow);
    QSignalSpy gone(m_server, &CmdServer::channelDisconnect);
    {
        SavingProgram holder(waits.db()->databaseFilePath(), kind == DatabaseHold::Exclusive);
        QVERIFY(holder.isHolding());
        panel->sendKick("{other-console}");
        QTRY_COMPARE(kicks.count(), 1);
        QCOMPARE(kicks.at(0).at(0).toString(), testMac(serial));
        QTRY_COMPARE(gone.count(), 1);
        VelkIFPDevice held;
        QVERIFY(m_server->managedDevice(testMac(serial), &held));
        QVERIFY(held.isKicked);
        QVERIFY(holder.save(QStringLiteral("UPDATE Device SET position = 'Moved by the other program' "
                                           "WHERE deviceName = '%1'")
                                .arg(name)));
    }
    QTRY_VERIFY(storedDevice(name).isKicked);
    QCOMPARE(storedDevice(name).position, QString("Moved by the other program"));
    QCOMPARE(storedDevice(name).deviceType, QString("Control Box"));
    QTRY_COMPARE(waits.db()->heldWrites()->count(), 0);
    isAdminLogin = false;
    panel->shutDown();
}

void TestHandshake::sosFromConnectedAndLockedPanels()
{
    QSignalSpy alerts(m_server, &CmdServer::safeAlert);
    auto panel = connectedPanel(4, 5);
    QSignalSpy acknowledged(panel.get(), &SimulatedPanel::sosAcknowledged);
    QSignalSpy stopped(panel.get(), &SimulatedPanel::sosStopped);
    panel->raiseSos();
    QTRY_COMPARE(alerts.count(), 1);
    QCOMPARE(alerts.at(0).at(0).toString(), testMac(4));
    QTRY_COMPARE(acknowledged.count(), 1);
    m_server->stopSafeAlert(testMac(4));
    QTRY_COMPARE(stopped.count(), 1);
    panel->shutDown();

    SimulatedPanel locked(identityWith(5, "another console's"), directSettings(6));
    locked.start();
    QTRY_VERIFY(locked.isLocked());
    QSignalSpy lockedAck(&locked, &SimulatedPanel::sosAcknowledged);
    locked.raiseSos();
    QTRY_COMPARE(alerts.count(), 2);
    QCOMPARE(alerts.at(1).at(0).toString(), testMac(5));
    QTRY_COMPARE(lockedAck.count(), 1);
    m_server->stopSafeAlert(testMac(5));
    QTRY_COMPARE(locked.receivedCount(VELK_REMOTE_CMD_STOP_SAFE_ALERT), 1);
    // Commands still never reach a locked panel.
    m_server->powerOff({storedDevice("Panel-5")});
    QTest::qWait(100);
    QCOMPARE(locked.receivedCount(VELK_REMOTE_CMD_POWER_OFF), 0);
    locked.shutDown();
}

void TestHandshake::passwordChangeAndDisconnect()
{
    auto panel = connectedPanel(6, 7);
    QCOMPARE(m_server->sendPassword(testMac(6), "new secret"), 0);
    QTRY_COMPARE(panel->storedPassword(), QString("new secret"));
    QCOMPARE(m_server->sendPassword(testMac(77), "new secret"), -1);
    m_server->setControlPassword("new secret");
    QCOMPARE(m_server->controlPassword(), QString("new secret"));

    PanelSettings slow = panel->settings();
    slow.reconnectDelayMs = 60000;
    panel->setSettings(slow);
    QSignalSpy gone(m_server, &CmdServer::channelDisconnect);
    QSignalSpy panelGone(panel.get(), &SimulatedPanel::disconnected);
    m_server->disconnectDevice(testMac(6));
    QCOMPARE(gone.count(), 1);
    QCOMPARE(m_server->connectionState(testMac(6)), CmdServer::Offline);
    QTRY_COMPARE(panelGone.count(), 1);
    m_server->setControlPassword("kelvo");
    panel->shutDown();
}

int main(int argc, char **argv)
{
    if (argc > 2 && qstrcmp(argv[1], "--restarted-console") == 0)
        return runRestartedConsole(argc, argv);
    QCoreApplication app(argc, argv);
    TestHandshake test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_Handshake.moc"
