// The connections' time-outs at the intervals the console runs with (a keep-alive every 30 s, idle after 90 s, a
// probe answered within 3 s, an identity within 10 s, 1,024 connections awaiting theirs), the server's clock moved
// instead of waited for. Its own process, since the server is made once with these settings.

#include "NetTestSupport.h"

#include "network/RepeatedLines.h"
#include "shell/base/Clock.h"
#include "support/TestFiles.h"

#include <QRegularExpression>
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
    void panelKnownByItsMacAndANewcomerReportingZeros_data();
    void panelKnownByItsMacAndANewcomerReportingZeros();
    void wallClockStepTouchesNoTimer_data();
    void wallClockStepTouchesNoTimer();
    void oneHostsSilentConnectionsLeaveRoomForPanels();
    void fleetBehindOneAddressConnectsAtOnce();
    void repeatedRefusalsAreSaidOncePerAddressAndEpisode();
    void floodFromEverNewAddressesKeepsItsNotesBounded();

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

void TestLiveness::panelKnownByItsMacAndANewcomerReportingZeros_data()
{
    QTest::addColumn<int>("serial");
    QTest::addColumn<QString>("holder"); // what the device's panel, known by its MAC, does as the newcomer tries
    QTest::addColumn<int>("fileMiB");    // sent to it at 100 KiB/s
    QTest::newRow("receiving firmware over a slow link") << 50 << "transfer" << 0;
    QTest::newRow("rebooted with a reset card, its old connection dead") << 52 << "dead" << 0;
    QTest::newRow("restarting after its update, a panel of its model reporting zeros") << 54 << "away" << 0;
    QTest::newRow("back from its update with a card reporting zeros") << 56 << "back" << 0;
    QTest::newRow("2 MiB at 100 KiB/s, the last stretch included") << 70 << "reads" << 2;
    QTest::newRow("16 MiB at 100 KiB/s, the last stretch included") << 72 << "reads" << 16;
    QTest::newRow("a broadcast's sound, 2 MiB at 100 KiB/s") << 78 << "sound" << 2;
    QTest::newRow("dies while the file is sent") << 74 << "dies" << 16;
    QTest::newRow("dies in the file's last stretch") << 76 << "dies last" << 2;
    QTest::newRow("dies while a broadcast's sound is sent") << 82 << "sound dies" << 8;
}

// A panel reporting zeros, of the model of a device known by its MAC, at that device's address: each of its tries
// probed the device's panel, which, receiving firmware over a slow link, could not answer within the probe's 3 s and
// was closed mid-transfer; the newcomer took the device under its MAC and the transfer was lost. After a good install
// the newcomer took the device during the restart, and the run judged it by the newcomer's old version. A panel
// receiving a transfer is not probed, and keeps its device; nor, over a link of 100 KiB/s, once the console has handed
// the file's last bytes over, which the panel reads for seconds more before it would read a probe: it answers the file.
// A panel whose old connection died still gets in at its next try once the probe's real time-out let the old
// connection go, and one that dies while a file is on its way gives way within the wait for a chunk and the probe.
// While a run waited for the device, its own panel back with a card reporting zeros was refused for the whole wait: one
// of its model reporting zeros takes it at once.
void TestLiveness::panelKnownByItsMacAndANewcomerReportingZeros()
{
    QFETCH(int, serial);
    QFETCH(QString, holder);
    QFETCH(int, fileMiB);
    const QString mac = testMac(serial);
    const VelkIFPDevice device =
        addManagedDevice(QStringLiteral("Known-%1").arg(serial), mac, QStringLiteral("127.0.0.%1").arg(serial));
    SimulatedPanel own(identityWith(serial, "kelvo"), directSettings(serial - 2));
    PanelSettings away = own.settings();
    away.reconnectDelayMs = 600000; // once let go, it stays away
    own.setSettings(away);
    auto newcomer = addressPanel(serial + 1, serial - 2);
    QSignalSpy dropped(&own, &SimulatedPanel::disconnected);
    QSignalSpy refused(newcomer.get(), &SimulatedPanel::rejected);
    QSignalSpy done(m_server, &CmdServer::transferFileComplete);
    own.start();
    QTRY_VERIFY(own.isConnected());
    const auto refusedAgain = [&] {
        const int before = refused.count();
        newcomer->start();
        return QTest::qWaitFor([&] { return refused.count() > before; }, QuorvinTryCeilingMs);
    };
    const int config = NetworkConfig::current().probeTimeoutMs;

    if (holder == "transfer") {
        // Larger than the kernel's buffers on both ends hold (32 MiB at most for the receiver on common kernels):
        // the transfer waits for the panel to read.
        const QString path = writeRandomFile(m_dir.filePath("slow.zip"), 64 * 1024 * 1024);
        own.behaviour().keepFiles = false;
        own.stopReading();
        VelkIFPDevice target = device;
        m_server->sendFile(&target, path, "Velkupdate-slow.zip");
        QTRY_VERIFY(m_server->getChannel(mac) && m_server->getChannel(mac)->isOtaTransferRunning());
        for (int round = 0; round < 3; ++round) {
            QVERIFY(refusedAgain());
            m_clock->advance(config + 150);
            QCOMPARE(m_server->connectionState(mac), CmdServer::Connected);
        }
        own.resumeReading();
        QTRY_COMPARE_WITH_TIMEOUT(done.count(), 1, 120000);
        QCOMPARE(done.at(0), QVariantList({mac, true, false}));
        QCOMPARE(own.lastFile().sha256, fileSha256(path));
        QVERIFY(own.isConnected());
        QCOMPARE(dropped.count(), 0);
    } else if (fileMiB > 0) {
        // The newcomer tries every second, and the clock moves as much at each try. The wait for the next chunk that
        // the update manager or the broadcast arms is played on it as they arm, restart and end it: a panel reading a
        // file larger than the kernel's buffers (16 MiB at 100 KiB/s, slower than a third of the console's send
        // buffer per wait) got no chunk for longer while it read, and lost its transfer.
        const bool sound = holder.startsWith("sound"); // a broadcast's
        const bool dies = holder.contains("dies");
        PanelSettings pace = newcomer->settings();
        pace.rejectBackoffMs = 1000;
        newcomer->setSettings(pace);
        newcomer->behaviour().retryAfterReject = true;
        int chunkWaitMs = 0; // armed, while the file goes out
        qint64 lastChunkMs = 0;
        bool cut = false;
        QObject watch;
        const auto arm = [&](const QString &, int ms) {
            chunkWaitMs = ms;
            lastChunkMs = m_clock->elapsedMs();
        };
        connect(m_server, &CmdServer::setupTransferFileTimeout, &watch, arm);
        connect(m_server, &CmdServer::setupBroadcastTransferFileTimeout, &watch, arm);
        connect(m_server, &CmdServer::resetTransferFileTimeout, &watch, [&] { lastChunkMs = m_clock->elapsedMs(); });
        connect(m_server, &CmdServer::resetBroadcastTransferFileTimeout, &watch,
                [&] { lastChunkMs = m_clock->elapsedMs(); });
        connect(m_server, &CmdServer::setupTransferFileCompleteTimeout, &watch, [&] { chunkWaitMs = 0; });
        connect(m_server, &CmdServer::setupBroadcastTransferFileCompleteTimeout, &watch, [&] { chunkWaitMs = 0; });
        connect(newcomer.get(), &SimulatedPanel::rejected, &watch, [&] {
            m_clock->advance(1000);
            if (chunkWaitMs == 0 || m_clock->elapsedMs() - lastChunkMs < chunkWaitMs)
                return;
            chunkWaitMs = 0;
            cut = true;
            if (sound)
                m_server->cancelBroadcastFileTransferByTimeout(mac);
            else
                m_server->cancelFileTransferByTimeout(mac);
        });
        QSignalSpy handedOver(m_server, sound ? &CmdServer::setupBroadcastTransferFileCompleteTimeout
                                              : &CmdServer::setupTransferFileCompleteTimeout);
        QSignalSpy heard(m_server, &CmdServer::sendBroadcastDataComplete);
        QSignalSpy newcomerIn(newcomer.get(), &SimulatedPanel::connected);
        const QString path = writeRandomFile(sound ? NetworkConfig::current().audioFolder + "Default_Audio_3.mp3"
                                                   : m_dir.filePath(QStringLiteral("slow-%1.zip").arg(serial)),
                                             qint64(fileMiB) * 1024 * 1024);
        own.behaviour().keepFiles = false;
        own.behaviour().linkBytesPerSecond = 100 * 1024;
        VelkIFPDevice target = device;
        VelkBroadcast broadcast;
        broadcast.audioSelection = 3;
        if (sound) {
            connect(m_server, &CmdServer::transferBroadcastFileStarted, &watch,
                    [this](const QString &to) { m_server->sendBroadcastFile(to); });
            m_server->sendBroadcastData(&target, &broadcast, false);
        } else {
            m_server->sendFile(&target, path, "Velkupdate-slow.zip");
        }
        newcomer->start();
        if (!dies) {
            QSignalSpy &answered = sound ? heard : done;
            QTRY_VERIFY_WITH_TIMEOUT(answered.count() > 0 || newcomerIn.count() > 0 || cut, fileMiB * 10240 + 120000);
            QVERIFY2(!cut, "cut off while it read");
            QCOMPARE(newcomerIn.count(), 0);
            QCOMPARE(answered.count(), 1);
            QCOMPARE(answered.at(0).at(0).toString(), mac);
            QCOMPARE(done.count(), sound ? 0 : 1);
            QVERIFY(sound || done.at(0).at(1).toBool());
            QCOMPARE((sound ? own.lastAudioFile() : own.lastFile()).sha256, fileSha256(path));
            QVERIFY(handedOver.count() == 1 && refused.count() > 0);
            QVERIFY(own.isConnected());
            QCOMPARE(dropped.count(), 0);
        } else {
            // A panel whose power went: it reads and answers nothing more, its connection never closed. In the last
            // stretch, once it has read three quarters of the file: its kernel may hold the rest already. A sound's
            // panel, once it has read half a megabyte: the console's send buffer is full, and no chunk can go.
            if (holder == "dies last")
                QTRY_VERIFY_WITH_TIMEOUT(handedOver.count() == 1 &&
                                             own.receivedCount(VELK_REMOTE_CMD_TRANSFER_FILE_DATA) >= fileMiB * 75,
                                         fileMiB * 10240 + 60000);
            if (sound)
                QTRY_VERIFY_WITH_TIMEOUT(own.receivedCount(VELK_REMOTE_CMD_BROADCAST_FILE_DATA) >= 50, 60000);
            own.stopReading();
            const qint64 diedMs = m_clock->elapsedMs();
            QTRY_VERIFY_WITH_TIMEOUT(newcomerIn.count() > 0, 60000);
            QCOMPARE(m_server->connectionStateOfDevice(device.did), CmdServer::Connected);
            const int waitMs = NetworkConfig::current().transferChunkTimeoutMs;
            QVERIFY2(m_clock->elapsedMs() - diedMs <= waitMs + config + 2000,
                     qPrintable(QStringLiteral("%1 ms").arg(m_clock->elapsedMs() - diedMs)));
            QCOMPARE(done.count(), 0);
            QCOMPARE(heard.count(), 0);
            QCOMPARE(cut, holder != "dies last");
        }
    } else if (holder == "dead") {
        own.behaviour().answerHeartbeat = false;
        const int asked = own.receivedCount(VELK_REMOTE_CMD_HEARTBEAT);
        QVERIFY(refusedAgain());
        QTRY_COMPARE(own.receivedCount(VELK_REMOTE_CMD_HEARTBEAT), asked + 1);
        m_clock->advance(config - 10);
        QCOMPARE(m_server->connectionState(mac), CmdServer::Connected);
        m_clock->advance(10);
        QCOMPARE(m_server->connectionState(mac), CmdServer::Offline);
        newcomer->start();
        QTRY_VERIFY(newcomer->isConnected());
        QCOMPARE(m_server->connectionStateOfDevice(device.did), CmdServer::Connected);
    } else {
        // While a run waits for the device to come back from its update: the console cannot tell its own panel
        // reporting zeros from another of its model, and the one that comes takes it at its first try, under the
        // device's MAC, where the run looks for it.
        own.shutDown();
        QTRY_COMPARE(m_server->connectionState(mac), CmdServer::Offline);
        SimulatedPanel *back = newcomer.get();
        if (holder == "back") {
            PanelIdentity zeros = own.identity();
            zeros.mac = "00:00:00:00:00:00";
            zeros.fwVersion = "9.9.9.9";
            own.setIdentity(zeros);
            back = &own;
        }
        QSignalSpy turnedAway(back, &SimulatedPanel::rejected);
        QSignalSpy acknowledged(back, &SimulatedPanel::sosAcknowledged);
        back->start();
        QTRY_VERIFY(back->isConnected());
        QCOMPARE(turnedAway.count(), 0);
        QCOMPARE(m_server->connectionState(mac), CmdServer::Connected);
        back->raiseSos();
        QTRY_COMPARE(acknowledged.count(), 1);
        QTRY_COMPARE(storedDevice(device.deviceName).fwVersion, back->identity().fwVersion);
    }
    newcomer->shutDown();
    own.shutDown();
}

void TestLiveness::wallClockStepTouchesNoTimer_data()
{
    QTest::addColumn<qint64>("wallMs");    // the wall clock set by this much, the elapsed time standing
    QTest::addColumn<qint64>("elapsedMs"); // the clock run on by this much
    QTest::newRow("wall clock set an hour on") << qint64(3600000) << qint64(0);
    QTest::newRow("wall clock set a day back") << qint64(-86400000) << qint64(0);
    QTest::newRow("clock run on 10 s") << qint64(0) << qint64(10000);
}

// Setting the wall clock (by hand, a time sync, a wake from sleep) re-armed the keep-alive and idle timers of every
// connection, each restart a search through every timer of the thread: with thousands of panels the console froze
// for seconds. The time-outs count on the elapsed time, which such a step leaves as it was: no timer is touched, and
// the keep-alives still go out at their real interval. The clock running on still re-arms each for what is left.
void TestLiveness::wallClockStepTouchesNoTimer()
{
    QFETCH(qint64, wallMs);
    QFETCH(qint64, elapsedMs);
    const int interval = NetworkConfig::current().heartbeatIntervalMs;
    if (storedDevice("Step-60").did == 0)
        addManagedDevice("Step-60", testMac(60));
    SimulatedPanel panel(identityWith(60, "kelvo"), directSettings(60));
    panel.start();
    // The connection's keep-alive timer: the one precise timer running.
    QTimer *beat = nullptr;
    QTRY_VERIFY(panel.isConnected());
    for (QTimer *timer :
         m_server->getChannel(testMac(60))->findChildren<QTimer *>(QString(), Qt::FindDirectChildrenOnly))
        beat = timer->isActive() && timer->timerType() == Qt::PreciseTimer ? timer : beat;
    QVERIFY(beat);
    // Real time runs on a little first, so that the timer armed anew shows in what it has left.
    QTRY_VERIFY(beat->remainingTime() <= interval - 100);
    const int before = beat->remainingTime();
    const int asked = panel.receivedCount(VELK_REMOTE_CMD_HEARTBEAT);

    if (wallMs != 0)
        m_clock->stepTo(m_clock->now().addMSecs(wallMs));
    else
        m_clock->advance(elapsedMs);
    const int left = beat->remainingTime();
    QVERIFY2(left <= (elapsedMs > 0 ? interval - elapsedMs : before),
             qPrintable(QStringLiteral("%1 ms left, %2 before").arg(left).arg(before)));
    m_clock->advance(interval - elapsedMs);
    QTRY_COMPARE(panel.receivedCount(VELK_REMOTE_CMD_HEARTBEAT), asked + 1);
    panel.shutDown();
    QTRY_COMPARE(m_server->connectionState(testMac(60)), CmdServer::Offline);
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
    const int refusedLines = m_log->count("too many connections awaiting identity");

    addManagedDevice("Hall-30", testMac(30), "127.0.0.30");
    SimulatedPanel panel(identityWith(30, "kelvo"), directSettings(28));
    QSignalSpy acknowledged(&panel, &SimulatedPanel::sosAcknowledged);
    panel.start();
    QTRY_VERIFY(panel.isConnected());
    panel.raiseSos();
    QTRY_COMPARE(acknowledged.count(), 1);
    QTRY_COMPARE(closed(), kFlood - config.maxPendingPerAddress);

    m_clock->advance(config.handshakeTimeoutMs - 10);
    // The server judges the deadline as the clock moves; the sockets hear of a close only once the loop turns.
    QCOMPARE(m_log->count("no identity within"), 0);
    QTest::qWait(100);
    QCOMPARE(closed(), kFlood - config.maxPendingPerAddress);
    m_clock->advance(10);
    QTRY_COMPARE(closed(), kFlood);
    QVERIFY(panel.isConnected());
    panel.shutDown();

    // The flood is said once per kind, and its count once the host went quiet for a minute.
    const int refused = kFlood - config.maxPendingPerAddress;
    QCOMPARE(refusedLines, 1);
    QCOMPARE(m_log->count("too many connections awaiting identity"), 1);
    QCOMPARE(m_log->count("no identity within"), 1);
    m_clock->advance(60000);
    QCOMPARE(m_log->linesWith("from 127.0.0.1, ").size(), 2);
    QVERIFY(
        m_log->contains(QStringLiteral("connections refused, too many awaiting identity from 127.0.0.1, %1 more times")
                            .arg(refused - 1)));
    QVERIFY(m_log->contains(
        QStringLiteral("no identity in time from 127.0.0.1, %1 more times").arg(config.maxPendingPerAddress - 1)));
}

// A site behind one router connects from one address. Held to a share of 64 of the connections awaiting their
// identity from the first, 500 such panels reconnecting at once were refused by the hundred and waited for their
// retries, up to half a minute. The share holds only once the places run out: each is in at its first try.
void TestLiveness::fleetBehindOneAddressConnectsAtOnce()
{
    constexpr int kFleet = 500;
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    for (int i = 0; i < kFleet; ++i) {
        VelkIFPDevice device;
        device.deviceName = QStringLiteral("Router-%1").arg(i);
        device.macAddress = testMac(2000 + i);
        device.ipAddress = QStringLiteral("127.0.0.60");
        device.deviceType = QStringLiteral("Control Box");
        QCOMPARE(db->createIFPDevice(device), quint32(DB_OK));
    }
    QList<VelkIFPDevice> all;
    QCOMPARE(db->queryAllAvailableIFP(all), quint32(DB_OK));
    m_server->setManagedDevices(all);
    int turnedAway = 0; // refused, or closed before its answer
    std::vector<std::unique_ptr<SimulatedPanel>> fleet;
    for (int i = 0; i < kFleet; ++i) {
        PanelSettings settings = directSettings(58);
        settings.bootDelayMs = 0;
        settings.reconnectDelayMs = 600000; // each panel's first try is the one that counts
        fleet.emplace_back(new SimulatedPanel(identityWith(2000 + i, "kelvo"), settings));
        fleet.back()->behaviour().retryAfterReject = false;
        connect(fleet.back().get(), &SimulatedPanel::rejected, this, [&turnedAway] { ++turnedAway; });
        connect(fleet.back().get(), &SimulatedPanel::disconnected, this, [&turnedAway] { ++turnedAway; });
    }
    for (auto &panel : fleet)
        panel->start();
    const auto connected = [&] {
        return int(std::count_if(fleet.begin(), fleet.end(), [](const auto &panel) { return panel->isConnected(); }));
    };
    QTRY_VERIFY_WITH_TIMEOUT(connected() + turnedAway >= kFleet, 120000);
    QCOMPARE(turnedAway, 0);
    QCOMPARE(connected(), kFleet);
    QCOMPARE(m_log->count("too many connections awaiting identity, refusing 127.0.0.60"), 0);
    for (auto &panel : fleet)
        panel->shutDown();
}

// A zero-MAC flood wrote 59,006 lines in 30 s, and each refused panel a line at its every retry, for good. A refusal
// is said once per address and episode, its count when the address went quiet for a minute or an hour after it began;
// each address has its own, and a new episode is said again.
void TestLiveness::repeatedRefusalsAreSaidOncePerAddressAndEpisode()
{
    std::vector<std::unique_ptr<SimulatedPanel>> strangers;
    std::vector<std::unique_ptr<QSignalSpy>> refusals;
    for (int i = 0; i < 2; ++i) {
        strangers.push_back(addressPanel(40 + i, 38 + i));
        PanelSettings quick = strangers.back()->settings();
        quick.bootDelayMs = 0;
        strangers.back()->setSettings(quick);
        refusals.emplace_back(new QSignalSpy(strangers.back().get(), &SimulatedPanel::rejected));
    }
    // Each try is made and refused before the clock moves: a try of one address left for later on a loaded machine
    // would otherwise fall after a quiet minute of the clock and begin an episode the console never had.
    const auto tryBoth = [&] {
        const int before = refusals.at(0)->count();
        for (auto &stranger : strangers)
            stranger->start();
        return QTest::qWaitFor([&] { return refusals.at(0)->count() > before && refusals.at(1)->count() > before; },
                               QuorvinTryCeilingMs);
    };
    for (int step = 0; step < 20; ++step)
        QVERIFY(tryBoth());
    // Within the hour, the clock moving less than the quiet minute between tries.
    for (int step = 1; step < 100; ++step) {
        m_clock->advance(30000);
        QVERIFY(tryBoth());
    }
    for (int i = 0; i < 2; ++i) {
        const QString from = QStringLiteral("at 127.0.0.%1").arg(40 + i);
        QCOMPARE(m_log->count("unmanaged device 00:00:00:00:00:00 " + from), 1);
    }
    QCOMPARE(m_log->count("unmanaged device refused from"), 0);

    // An hour after it began, the count is said and a new episode begins.
    for (int step = 0; step < 25; ++step) {
        m_clock->advance(30000);
        QVERIFY(tryBoth());
    }
    QCOMPARE(m_log->count("unmanaged device refused from 127.0.0.40, "), 1);
    QCOMPARE(m_log->count("unmanaged device refused from 127.0.0.41, "), 1);
    QCOMPARE(m_log->count("unmanaged device 00:00:00:00:00:00 at 127.0.0.40"), 2);

    // Quiet for a minute: the episode's count, and nothing more while nothing comes. The two counts and the two lines
    // that began the episodes make every try.
    for (auto &stranger : strangers)
        stranger->shutDown();
    m_clock->advance(60000);
    m_clock->advance(3600000);
    const QStringList said = m_log->linesWith("127.0.0.40");
    QCOMPARE(said.size(), 4);
    int counted = 0;
    const QRegularExpression count(QStringLiteral("unmanaged device refused from 127.0.0.40, (\\d+) more times"));
    for (const QString &line : said) {
        const QRegularExpressionMatch match = count.match(line);
        counted += match.hasMatch() ? match.captured(1).toInt() : 1;
    }
    QCOMPARE(counted, refusals.at(0)->count());
}

// Hosts from ever new addresses (a subnet's worth) must not grow what is kept of their episodes, nor the lines said,
// without bound: past the table's size they count under one episode.
void TestLiveness::floodFromEverNewAddressesKeepsItsNotesBounded()
{
    RepeatedLines lines(60000, 3600000, 3);
    const QString what = QStringLiteral("unmanaged device refused");
    int written = 0;
    for (int i = 0; i < 1000; ++i)
        written += lines.first(what, QStringLiteral("10.0.%1.%2").arg(i / 250).arg(i % 250), 1000 + i) ? 1 : 0;
    QCOMPARE(written, 4);
    const QList<RepeatedLines::Episode> ended = lines.takeEnded(60000 + 1000 + 999);
    QCOMPARE(ended.size(), 4);
    int said = 0;
    for (const RepeatedLines::Episode &episode : ended)
        said += 1 + episode.repeats;
    QCOMPARE(said, 1000);
    QVERIFY(std::any_of(ended.begin(), ended.end(), [](const RepeatedLines::Episode &episode) {
        return episode.address == RepeatedLines::otherAddresses && episode.repeats == 996;
    }));
    QVERIFY(lines.isEmpty());
    QVERIFY(lines.first(what, QStringLiteral("10.0.0.0"), 70000));
}

QTEST_GUILESS_MAIN(TestLiveness)
#include "tst_Liveness.moc"
