// The connections' time-outs at the intervals the console runs with (a keep-alive every 30 s, idle after 90 s, a
// probe answered within 3 s, an identity within 10 s, 1,024 connections awaiting theirs), the server's clock moved
// instead of waited for. Its own process, since the server is made once with these settings.

#include "NetTestSupport.h"

#include "shell/base/Clock.h"

#include <QSignalSpy>

#include <algorithm>
#include <memory>
#include <vector>

class TestLiveness : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void probeAnsweredAtTheRealIntervalKeepsThePanel();
    void oneHostsSilentConnectionsLeaveRoomForPanels();

private:
    // Waits until the server has read every frame the panel sent so far: the panel's own keep-alive, sent last, is
    // answered only after them.
    bool readByServer(SimulatedPanel &panel);
    std::unique_ptr<SimulatedPanel> addressPanel(int serial, int addressIndex);

    std::unique_ptr<TestEnv> m_env;
    std::unique_ptr<LogCapture> m_log;
    QTemporaryDir m_dir;
    std::unique_ptr<ManualClock> m_clock;
    CmdServer *m_server = nullptr;
};

void TestLiveness::initTestCase()
{
    m_env.reset(new TestEnv);
    m_log.reset(new LogCapture);
    OrvantaDBManager::setDataFolder(m_dir.path());
    const NetworkConfig config = loopbackNetworkConfig(m_dir.path());
    QCOMPARE(config.heartbeatIntervalMs, 30000);
    QCOMPARE(config.idleTimeoutMs, 90000);
    QCOMPARE(config.probeTimeoutMs, 3000);
    NetworkConfig::setCurrent(config);
    m_server = CmdServer::getInstance();
    QVERIFY(m_server->serverPort() != 0);
    m_clock.reset(new ManualClock(QDateTime(QDate(2026, 3, 2), QTime(9, 0))));
    m_server->setClock(m_clock.get());
}

bool TestLiveness::readByServer(SimulatedPanel &panel)
{
    const int answered = panel.receivedCount(VELK_REMOTE_RSP_HEARTBEAT);
    panel.sendHeartbeat();
    return QTest::qWaitFor([&] { return panel.receivedCount(VELK_REMOTE_RSP_HEARTBEAT) > answered; },
                           QuorvinTryCeilingMs);
}

std::unique_ptr<SimulatedPanel> TestLiveness::addressPanel(int serial, int addressIndex)
{
    PanelIdentity zeros = identityWith(serial, "kelvo");
    zeros.mac = "00:00:00:00:00:00";
    PanelSettings settings = directSettings(addressIndex);
    settings.rejectBackoffMs = 100;
    std::unique_ptr<SimulatedPanel> panel(new SimulatedPanel(zeros, settings));
    panel->behaviour().retryAfterReject = false; // each try is the test's
    return panel;
}

// A panel answered the probe within the millisecond and was closed 3.0-3.15 s later as silent: the verdict compared
// the time since its last frame with the probe's time-out, and a timer that fires a little late made a prompt answer
// look like none. Two panels behind one address: each try of the newcomer probes the holder, which answers at once and
// keeps its device, through probes and keep-alives at the real intervals; one that stops answering is let go.
void TestLiveness::probeAnsweredAtTheRealIntervalKeepsThePanel()
{
    const VelkIFPDevice device = addManagedDevice("Behind", QString(), "127.0.0.20");
    auto holder = addressPanel(20, 18);
    PanelSettings away = holder->settings();
    away.reconnectDelayMs = 600000; // once let go, it stays away
    holder->setSettings(away);
    auto newcomer = addressPanel(21, 18);
    QSignalSpy dropped(holder.get(), &SimulatedPanel::disconnected);
    QSignalSpy refused(newcomer.get(), &SimulatedPanel::rejected);
    holder->start();
    QTRY_VERIFY(holder->isConnected());

    for (int round = 1; round <= 3; ++round) {
        const int asked = holder->receivedCount(VELK_REMOTE_CMD_HEARTBEAT);
        newcomer->start();
        QTRY_COMPARE(refused.count(), round);
        QTRY_COMPARE(holder->receivedCount(VELK_REMOTE_CMD_HEARTBEAT), asked + 1);
        QVERIFY(readByServer(*holder));
        // The probe's verdict comes late, as from a busy event loop; then the keep-alives carry it to the next try.
        m_clock->advance(3150);
        QCOMPARE(m_server->connectionStateOfDevice(device.did), CmdServer::Connected);
        for (int beat = 1; beat <= 3; ++beat) {
            m_clock->advance(beat == 1 ? 26850 : 30000);
            QTRY_COMPARE(holder->receivedCount(VELK_REMOTE_CMD_HEARTBEAT), asked + 1 + beat);
            QTRY_COMPARE(holder->sentCount(VELK_REMOTE_RSP_HEARTBEAT), asked + 1 + beat);
            QVERIFY(readByServer(*holder));
        }
        QCOMPARE(m_server->connectionStateOfDevice(device.did), CmdServer::Connected);
    }
    QVERIFY(holder->isConnected());
    QCOMPARE(dropped.count(), 0);
    QVERIFY(!m_log->contains("no answer to a probe"));

    // A holder that no longer answers is let go at the probe's real time-out, not before; the newcomer then gets in.
    holder->behaviour().answerHeartbeat = false;
    const int asked = holder->receivedCount(VELK_REMOTE_CMD_HEARTBEAT);
    newcomer->start();
    QTRY_COMPARE(refused.count(), 4);
    QTRY_COMPARE(holder->receivedCount(VELK_REMOTE_CMD_HEARTBEAT), asked + 1);
    m_clock->advance(2990);
    QCOMPARE(m_server->connectionStateOfDevice(device.did), CmdServer::Connected);
    m_clock->advance(10);
    QCOMPARE(m_server->connectionStateOfDevice(device.did), CmdServer::Offline);
    QVERIFY(m_log->contains(QStringLiteral("no answer to a probe from did:%1 at 127.0.0.20").arg(device.did)));
    newcomer->start();
    QTRY_VERIFY(newcomer->isConnected());
    newcomer->shutDown();
    holder->shutDown();
}

// 1,100 connections from one host that never say who they are filled the 1,024 places of connections awaiting their
// identity, and panels reconnecting from elsewhere were turned away for as long as the host kept them (two for the
// whole 45 s of a run), their SOS undelivered. The host keeps its share; a panel from another address connects and
// its SOS is answered. The host's connections are closed at the real handshake time-out, not before.
void TestLiveness::oneHostsSilentConnectionsLeaveRoomForPanels()
{
    constexpr int kFlood = 1100;
    const NetworkConfig config = NetworkConfig::current();
    QCOMPARE(config.maxPendingHandshakes, 1024);
    std::vector<std::unique_ptr<QTcpSocket>> flood;
    for (int i = 0; i < kFlood; ++i) {
        flood.emplace_back(new QTcpSocket);
        flood.back()->connectToHost(QHostAddress(QHostAddress::LocalHost), m_server->serverPort());
    }
    const auto closed = [&] {
        return int(std::count_if(flood.begin(), flood.end(), [](const auto &socket) {
            return socket->state() == QAbstractSocket::UnconnectedState;
        }));
    };
    // Past the bound the rest of the host's connections are turned away as they are taken.
    QTRY_VERIFY_WITH_TIMEOUT(closed() >= kFlood - config.maxPendingHandshakes, 120000);

    addManagedDevice("Hall-30", testMac(30), "127.0.0.30");
    SimulatedPanel panel(identityWith(30, "kelvo"), directSettings(28));
    QSignalSpy acknowledged(&panel, &SimulatedPanel::sosAcknowledged);
    panel.start();
    QTRY_VERIFY(panel.isConnected());
    panel.raiseSos();
    QTRY_COMPARE(acknowledged.count(), 1);
    QTRY_COMPARE(closed(), kFlood - config.maxPendingPerAddress);

    m_clock->advance(config.handshakeTimeoutMs - 10);
    QCOMPARE(closed(), kFlood - config.maxPendingPerAddress);
    m_clock->advance(10);
    QTRY_COMPARE(closed(), kFlood);
    QVERIFY(panel.isConnected());
    panel.shutDown();
}

QTEST_GUILESS_MAIN(TestLiveness)
#include "tst_Liveness.moc"
