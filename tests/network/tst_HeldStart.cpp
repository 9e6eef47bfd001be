// The command server started while another program holds the database file exclusively (a VACUUM, an SQLite browser
// saving a large change): nothing its handshakes need (the managed devices, the control password, the console's id)
// can be read. Its own process, since the server is made once.

#include "NetTestSupport.h"

#include "support/DatabaseHold.h"
#include "support/ShortDatabaseWaits.h"

#include <QSignalSpy>

#include <memory>

class TestHeldStart : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void managedPanelsWaitForTheListAndConnectOnceItIsRead();

private:
    std::unique_ptr<TestEnv> m_env;
    std::unique_ptr<LogCapture> m_log;
    QTemporaryDir m_dir;
    std::unique_ptr<ShortDatabaseWaits> m_waits;
    std::unique_ptr<DatabaseHold> m_hold;
    CmdServer *m_server = nullptr;
};

void TestHeldStart::initTestCase()
{
    m_env.reset(new TestEnv);
    m_log.reset(new LogCapture);
    OrvantaDBManager::setDataFolder(m_dir.path());
    NetworkConfig config = loopbackNetworkConfig(m_dir.path());
    // Short, so that a panel waiting for its answer is let go and connects again within the case.
    config.handshakeTimeoutMs = 1000;
    NetworkConfig::setCurrent(config);

    m_waits.reset(new ShortDatabaseWaits(100));
    OrvantaDBManager *db = m_waits->db();
    VelkIFPDevice device;
    device.deviceName = QStringLiteral("Panel-1");
    device.macAddress = testMac(1);
    device.deviceType = QStringLiteral("Control Box");
    device.modelName = QStringLiteral("Velk TM B-Series");
    QCOMPARE(db->createIFPDevice(device), DB_OK);

    m_hold.reset(new DatabaseHold(db->databaseFilePath(), DatabaseHold::Exclusive));
    QVERIFY2(m_hold->isHeld(), qPrintable(m_hold->error()));
    m_server = CmdServer::getInstance();
    QVERIFY(m_server->serverPort() != 0);
    m_server->setRetryIntervalMs(50, 400);
}

// Every panel was turned away ("rejected", and then left alone for its back-off) on a device list that could not be
// read, until the device list page handed its own over: a managed panel stayed out, its SOS unheard. It waits for its
// answer instead (let go after a while, it connects again), and is connected as soon as the server has read the list
// and the password; a panel that is not managed is turned away only then.
void TestHeldStart::managedPanelsWaitForTheListAndConnectOnceItIsRead()
{
    QVERIFY(!m_server->managedDevicesKnown());
    SimulatedPanel managed(identityWith(1, "kelvo"), directSettings(1));
    SimulatedPanel stranger(identityWith(77, "kelvo"), directSettings(2));
    QSignalSpy managedRefused(&managed, &SimulatedPanel::rejected);
    QSignalSpy managedLocked(&managed, &SimulatedPanel::locked);
    QSignalSpy strangerRefused(&stranger, &SimulatedPanel::rejected);
    QSignalSpy connections(m_server, &CmdServer::newConnection);
    managed.start();
    stranger.start();
    // Longer than a waiting connection is kept: both are let go once at least, and come again.
    QTRY_VERIFY(m_log->count(QStringLiteral("not answered within")) >= 2);
    QCOMPARE(managedRefused.count(), 0);
    QCOMPARE(strangerRefused.count(), 0);
    QCOMPARE(connections.count(), 0);
    QCOMPARE(m_log->count(QStringLiteral("the device list cannot be read for now")), 1);

    QSignalSpy alerts(m_server, &CmdServer::safeAlert);
    QSignalSpy acknowledged(&managed, &SimulatedPanel::sosAcknowledged);
    m_hold.reset();
    QTRY_VERIFY(managed.isConnected());
    QVERIFY(m_server->managedDevicesKnown());
    QCOMPARE(m_server->controlPassword(), QString("kelvo"));
    QCOMPARE(managed.consoleId(), m_server->consoleId());
    QVERIFY(!m_server->consoleId().isEmpty());
    QCOMPARE(managedLocked.count(), 0);
    QCOMPARE(managedRefused.count(), 0);
    QTRY_COMPARE(strangerRefused.count(), 1);
    QCOMPARE(m_log->count(QStringLiteral("the device list is known")), 1);

    managed.raiseSos();
    QTRY_COMPARE(alerts.count(), 1);
    QCOMPARE(alerts.at(0).at(0).toString(), testMac(1));
    QTRY_COMPARE(acknowledged.count(), 1);
    managed.shutDown();
    stranger.shutDown();
}

QTEST_GUILESS_MAIN(TestHeldStart)
#include "tst_HeldStart.moc"
