#include "NetTestSupport.h"

#include "network/TransferSource.h"
#include "network/WorkThread.h"
#include "support/TestFiles.h"

#include <QNetworkDatagram>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QUdpSocket>

#include <memory>

// Device control, firmware transfer and installation, broadcasts, Wake-on-LAN: the operations callers use, driven
// against simulated panels.
class TestCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void powerOffAndReboot();
    void wakeOnLan();
    void magicPacketBytes_data();
    void magicPacketBytes();
    void otaStateCheck();
    void firmwareTransferAndInstallation();
    void firmwareTransferRefusals();
    void cancelVariants();
    void stalledReaderHoldsTheTransfer();
    void stalledReaderIsClosedPastBacklog();
    void fileRewrittenDuringTransfer_data();
    void fileRewrittenDuringTransfer();
    void broadcastWithoutAudio();
    void broadcastWithAudio();
    void broadcastAudioStaysInAudioFolder();
    void broadcastCancels();
    void panelsKnownByTheirAddressAloneAreReachedByTheirDevice();
    void copiesReadBeforeTheHandshakeReachTheirPanel();

private:
    std::unique_ptr<SimulatedPanel> connectedPanel(int serial, int addressIndex);

    std::unique_ptr<TestEnv> m_env;
    std::unique_ptr<LogCapture> m_log;
    QTemporaryDir m_dir;
    QUdpSocket m_wakeListener;
    NetworkConfig m_config;
    CmdServer *m_server = nullptr;
};

void TestCommands::initTestCase()
{
    m_env.reset(new TestEnv);
    m_log.reset(new LogCapture);
    OrvantaDBManager::setDataFolder(m_dir.path());
    // Magic packets go to 127.255.255.255, which reaches a socket bound to any address on that port.
    QVERIFY(m_wakeListener.bind(QHostAddress(QHostAddress::AnyIPv4), 0));
    m_config = loopbackNetworkConfig(m_dir.path());
    m_config.wolPort = m_wakeListener.localPort();
    m_config.wolRoundGapMs = 20;
    m_config.maxWriteBacklog = 512 * 1024;
    NetworkConfig::setCurrent(m_config);
    m_server = CmdServer::getInstance();
    QVERIFY(m_server->serverPort() != 0);
    for (int serial = 1; serial <= 8; ++serial)
        addManagedDevice(QStringLiteral("Panel-%1").arg(serial), testMac(serial));
}

std::unique_ptr<SimulatedPanel> TestCommands::connectedPanel(int serial, int addressIndex)
{
    std::unique_ptr<SimulatedPanel> panel(
        new SimulatedPanel(identityWith(serial, "kelvo"), directSettings(addressIndex)));
    panel->start();
    if (!QTest::qWaitFor([&] { return panel->isConnected() && m_server->getChannel(panel->mac()); },
                         QuorvinTryCeilingMs))
        qWarning("panel %d did not connect", serial);
    return panel;
}

void TestCommands::powerOffAndReboot()
{
    auto first = connectedPanel(1, 1);
    auto second = connectedPanel(2, 2);
    QSignalSpy firstOff(first.get(), &SimulatedPanel::poweredOff);
    QSignalSpy gone(m_server, &CmdServer::channelDisconnect);
    VelkIFPDevice offline = storedDevice("Panel-8");
    m_server->powerOff({offline, storedDevice("Panel-1")});
    QTRY_COMPARE(firstOff.count(), 1);
    QCOMPARE(first->lastPayload(VELK_REMOTE_CMD_POWER_OFF), FrameCodec::int32Payload(0));
    QTRY_COMPARE(gone.count(), 1);
    QCOMPARE(second->receivedCount(VELK_REMOTE_CMD_POWER_OFF), 0);

    QSignalSpy rebooting(second.get(), &SimulatedPanel::rebooting);
    m_server->reboot({storedDevice("Panel-2"), offline});
    QTRY_COMPARE(rebooting.count(), 1);
    QCOMPARE(second->lastPayload(VELK_REMOTE_CMD_REBOOT), FrameCodec::int32Payload(0));
    first->shutDown();
    second->shutDown();
}

void TestCommands::wakeOnLan()
{
    VelkIFPDevice valid = storedDevice("Panel-3");
    // Records the server does not hold (no did): their own MAC decides.
    VelkIFPDevice entered = valid;
    entered.did = 0;
    entered.macAddress = "02-51-4D-00-00-0A"; // another spelling still wakes
    VelkIFPDevice broken = entered;
    broken.macAddress = "not a mac";
    // A copy read before its panel's handshake filled the MAC in: the held record's MAC wakes it.
    VelkIFPDevice unfilled = storedDevice("Panel-4");
    unfilled.macAddress.clear();
    m_log->clear();
    m_server->powerOn({valid, broken, entered, unfilled});
    QVERIFY(m_log->contains("CmdServer::powerOn, invalid mac: not a mac"));
    QVERIFY(!m_log->contains("no MAC to wake"));
    QList<QByteArray> packets;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            while (m_wakeListener.hasPendingDatagrams())
                packets.append(m_wakeListener.receiveDatagram().data());
            return packets.size() >= 9;
        }(),
        QuorvinTryCeilingMs);
    QTest::qWait(200); // a tenth packet would show here
    while (m_wakeListener.hasPendingDatagrams())
        packets.append(m_wakeListener.receiveDatagram().data());
    // Three rounds, one packet per valid device and target.
    QCOMPARE(packets.size(), 9);
    QCOMPARE(packets.count(WorkThread::magicPacket(testMac(3))), 3);
    QCOMPARE(packets.count(WorkThread::magicPacket("02:51:4d:00:00:0a")), 3);
    QCOMPARE(packets.count(WorkThread::magicPacket(testMac(4))), 3);
    QVERIFY(m_server->canWake(unfilled));
}

void TestCommands::magicPacketBytes_data()
{
    QTest::addColumn<QString>("mac");
    QTest::addColumn<bool>("valid");
    QTest::newRow("colons") << "02:51:4d:00:00:07" << true;
    QTest::newRow("dashes, upper case") << "02-51-4D-00-00-07" << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("short") << "02:51:4d:00:07" << false;
    QTest::newRow("no separators") << "02514d000007" << false;
}

void TestCommands::magicPacketBytes()
{
    QFETCH(QString, mac);
    QFETCH(bool, valid);
    const QByteArray packet = WorkThread::magicPacket(mac);
    if (!valid) {
        QVERIFY(packet.isEmpty());
        return;
    }
    QCOMPARE(packet.size(), 102);
    QCOMPARE(packet.left(6), QByteArray(6, char(0xFF)));
    for (int i = 0; i < 16; ++i)
        QCOMPARE(packet.mid(6 + i * 6, 6).toHex(), QByteArray("02514d000007"));
}

void TestCommands::otaStateCheck()
{
    auto ready = connectedPanel(1, 1);
    auto busy = connectedPanel(2, 2);
    busy->behaviour().otaStateAnswer = -1;
    QSignalSpy results(m_server, &CmdServer::checkOtaStateResult);
    VelkIFPDevice first = storedDevice("Panel-1");
    VelkIFPDevice second = storedDevice("Panel-2");
    VelkIFPDevice offline = storedDevice("Panel-8");
    QList<VelkIFPDevice *> devices = {&offline, &first, &second};
    m_server->checkOtaState(devices);
    QTRY_COMPARE(results.count(), 2);
    QMap<QString, bool> byMac;
    for (const auto &result : results)
        byMac.insert(result.at(0).toString(), result.at(1).toBool());
    QCOMPARE(byMac.value(testMac(1)), true);
    QCOMPARE(byMac.value(testMac(2)), false);
    m_server->checkOtaState(offline);
    QTest::qWait(100);
    QCOMPARE(results.count(), 2);
    ready->shutDown();
    busy->shutDown();
}

void TestCommands::firmwareTransferAndInstallation()
{
    auto panel = connectedPanel(3, 3);
    const QString path = writeRandomFile(m_dir.filePath("Velkupdate-3.zip"), 50 * 1024 + 7);
    VelkIFPDevice device = storedDevice("Panel-3");
    QSignalSpy setup(m_server, &CmdServer::setupTransferFileTimeout);
    QSignalSpy reset(m_server, &CmdServer::resetTransferFileTimeout);
    QSignalSpy complete(m_server, &CmdServer::setupTransferFileCompleteTimeout);
    QSignalSpy done(m_server, &CmdServer::transferFileComplete);

    m_server->sendFile(&device, path, "Velkupdate-3.zip");
    // The listener's timer must exist when the call returns.
    QCOMPARE(setup.count(), 1);
    QCOMPARE(setup.at(0), QVariantList({testMac(3), 8000}));
    QCOMPARE(device.otaState, 4);
    QTRY_COMPARE(done.count(), 1);
    QCOMPARE(done.at(0), QVariantList({testMac(3), true, false}));
    QCOMPARE(reset.count(), 6); // 50 KiB + 7 bytes in 10240-byte chunks
    QCOMPARE(complete.count(), 1);
    QCOMPARE(complete.at(0), QVariantList({testMac(3), 180000}));
    QCOMPARE(panel->lastFile().name, QString("Velkupdate-3.zip"));
    QCOMPARE(panel->lastFile().sha256, fileSha256(path));

    // A panel that reports a bad file.
    panel->behaviour().transferAnswer = -1;
    m_server->sendFile(&device, path, "MstarUpgrade.img");
    QTRY_COMPARE(done.count(), 2);
    QCOMPARE(done.at(1), QVariantList({testMac(3), false, false}));
    panel->behaviour().transferAnswer.reset();

    QSignalSpy progress(m_server, &CmdServer::resetOtaResultTimeout);
    QSignalSpy results(m_server, &CmdServer::otaResult);
    QCOMPARE(m_server->sendStartOta(&device, 1), 0);
    QCOMPARE(device.otaState, 5);
    QTRY_COMPARE(results.count(), 1);
    QCOMPARE(results.at(0), QVariantList({testMac(3), true}));
    QCOMPARE(progress.count(), 1);
    QCOMPARE(panel->lastUpgradeType(), 1);

    panel->behaviour().otaResultScript = PanelBehaviour::otaFailureScript();
    QCOMPARE(m_server->sendStartOta(&device, 0), 0);
    QTRY_COMPARE(results.count(), 2);
    QCOMPARE(results.at(1), QVariantList({testMac(3), false}));
    panel->shutDown();
}

void TestCommands::firmwareTransferRefusals()
{
    QSignalSpy setup(m_server, &CmdServer::setupTransferFileTimeout);
    QSignalSpy complete(m_server, &CmdServer::setupTransferFileCompleteTimeout);
    const QString path = writeRandomFile(m_dir.filePath("ok.zip"), 1000);

    // Offline: the manager is asked to fail it after one second, and the state still says "file sent".
    VelkIFPDevice offline = storedDevice("Panel-8");
    m_log->clear();
    m_server->sendFile(&offline, path, "Velkupdate-3.zip");
    QCOMPARE(complete.count(), 1);
    QCOMPARE(complete.at(0), QVariantList({testMac(8), 1000}));
    QCOMPARE(offline.otaState, 4);
    QVERIFY(m_log->contains(QString("CmdServer::sendFile, device offline: %1").arg(testMac(8))));
    QCOMPARE(m_server->sendStartOta(&offline, 0), -1);
    QCOMPARE(offline.otaState, 4);

    auto panel = connectedPanel(4, 4);
    VelkIFPDevice device = storedDevice("Panel-4");
    m_server->sendFile(&device, m_dir.filePath("missing.zip"), "Velkupdate-3.zip");
    QCOMPARE(complete.count(), 2);
    QCOMPARE(complete.at(1), QVariantList({testMac(4), 1000}));
    // An empty file would end with size "0", which the panel reads as "cancelled".
    const QString empty = writeRandomFile(m_dir.filePath("empty.zip"), 0);
    m_server->sendFile(&device, empty, "Velkupdate-3.zip");
    QCOMPARE(complete.count(), 3);
    QCOMPARE(complete.at(2), QVariantList({testMac(4), 1000}));
    QCOMPARE(setup.count(), 0);
    QTest::qWait(100);
    QCOMPARE(panel->receivedCount(VELK_REMOTE_CMD_TRANSFER_FILE_START), 0);
    panel->shutDown();
}

// A file larger than the socket buffers of both ends of a loopback connection take in while the panel reads nothing:
// as large as TCP lets them grow (net.ipv4.tcp_wmem and tcp_rmem, 4 and 32 MiB here), the receiving one grown by
// what the panel read of an earlier file. A cancel then finds the file still being sent; a smaller one went to the
// kernel whole at once and was complete before the cancel. What the buffers hold arrives after a cancel all the same.
static qint64 pastSocketBuffers()
{
    qint64 most = 0;
    for (const char *name : {"/proc/sys/net/ipv4/tcp_wmem", "/proc/sys/net/ipv4/tcp_rmem"}) {
        QFile limits(QString::fromLatin1(name));
        if (limits.open(QIODevice::ReadOnly))
            most += QString::fromLatin1(limits.readAll())
                        .split(QRegularExpression("\\s+"), Qt::SkipEmptyParts)
                        .value(2)
                        .toLongLong();
    }
    return qMax<qint64>(64 * 1024 * 1024, most + 16 * 1024 * 1024);
}

void TestCommands::cancelVariants()
{
    auto panel = connectedPanel(5, 5);
    VelkIFPDevice device = storedDevice("Panel-5");
    const qint64 size = pastSocketBuffers();
    const int total = int(size / m_config.chunkSize);
    const QString path = writeRandomFile(m_dir.filePath("big.zip"), size);
    QSignalSpy done(m_server, &CmdServer::transferFileComplete);
    QSignalSpy cancelled(panel.get(), &SimulatedPanel::transferCancelled);

    panel->stopReading();
    m_server->sendFile(&device, path, "Velkupdate-3.zip");
    QTest::qWait(100);
    m_server->cancelFileTransfer(&device);
    panel->resumeReading();
    QTRY_COMPARE(cancelled.count(), 1);
    QCOMPARE(panel->lastPayload(VELK_REMOTE_CMD_TRANSFER_FILE_COMPLETE), QByteArray("0"));
    QVERIFY(panel->receivedCount(VELK_REMOTE_CMD_TRANSFER_FILE_DATA) < total);

    // By time-out: the transfer stops and the panel is told nothing.
    panel->resetCounters();
    panel->stopReading();
    m_server->sendFile(&device, path, "Velkupdate-3.zip");
    QTest::qWait(100);
    m_server->cancelFileTransferByTimeout(testMac(5));
    panel->resumeReading();
    // The chunks written before the cancel still arrive: wait until none has come for 300 ms.
    int chunks = -1;
    QTRY_VERIFY([&] {
        const int before = panel->receivedCount(VELK_REMOTE_CMD_TRANSFER_FILE_DATA);
        QTest::qWait(300);
        chunks = panel->receivedCount(VELK_REMOTE_CMD_TRANSFER_FILE_DATA);
        return chunks == before;
    }());
    QTest::qWait(300);
    QCOMPARE(panel->receivedCount(VELK_REMOTE_CMD_TRANSFER_FILE_DATA), chunks); // no more chunks
    QVERIFY(chunks < total);
    QCOMPARE(panel->receivedCount(VELK_REMOTE_CMD_TRANSFER_FILE_COMPLETE), 0);
    QCOMPARE(done.count(), 0);

    // Unknown MAC or an offline device: nothing happens.
    m_server->cancelFileTransferByTimeout(testMac(77));
    VelkIFPDevice offline = storedDevice("Panel-8");
    m_server->cancelFileTransfer(&offline);
    panel->shutDown();
}

// A panel that stops reading must not make us queue the whole file: chunks wait for the socket to drain.
void TestCommands::stalledReaderHoldsTheTransfer()
{
    auto panel = connectedPanel(6, 6);
    panel->behaviour().keepFiles = false;
    VelkIFPDevice device = storedDevice("Panel-6");
    const qint64 size = 40 * 1024 * 1024;
    const QString path = writeRandomFile(m_dir.filePath("huge.img"), size);
    QSignalSpy reset(m_server, &CmdServer::resetTransferFileTimeout);
    QSignalSpy done(m_server, &CmdServer::transferFileComplete);
    panel->stopReading();
    m_server->sendFile(&device, path, "MstarUpgrade.img");
    QTest::qWait(500);
    const int handed = reset.count();
    const int total = int(size / m_config.chunkSize);
    QVERIFY2(handed < total / 2, qPrintable(QString("%1 of %2 chunks queued").arg(handed).arg(total)));
    QVERIFY(m_server->getChannel(testMac(6))); // held, not closed
    panel->resumeReading();
    QTRY_VERIFY_WITH_TIMEOUT(done.count() == 1, 60000);
    QCOMPARE(done.at(0), QVariantList({testMac(6), true, false}));
    QCOMPARE(panel->lastFile().sha256, fileSha256(path));
    panel->shutDown();
}

void TestCommands::stalledReaderIsClosedPastBacklog()
{
    auto panel = connectedPanel(7, 7);
    PanelSettings slow = panel->settings();
    slow.reconnectDelayMs = 60000;
    panel->setSettings(slow);
    panel->stopReading();
    QSignalSpy gone(m_server, &CmdServer::channelDisconnect);
    m_log->clear();
    const QString password(200 * 1024, QLatin1Char('p'));
    int sent = 0;
    while (sent < 2000 && m_server->sendPassword(testMac(7), password) == 0) {
        ++sent;
        QCoreApplication::processEvents();
    }
    QVERIFY(sent < 2000);
    QTRY_COMPARE(gone.count(), 1);
    QVERIFY(m_log->contains("stopped reading"));
    panel->shutDown();
}

// What a download does to a file being sent: writes it over in place, with other bytes.
static bool rewriteInPlace(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    QByteArray bytes = file.readAll();
    for (char &byte : bytes)
        byte = char(~byte);
    return file.seek(0) && file.write(bytes) == bytes.size();
}

void TestCommands::fileRewrittenDuringTransfer_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<bool>("delivered");
    // Read once into memory for every panel of the batch: the rewrite cannot reach what is being sent.
    QTest::newRow("held whole") << qint64(24 * 1024 * 1024) << true;
    // Too large to hold: read by position from one descriptor, so the rewrite is noticed and the transfer refused.
    QTest::newRow("read by position") << qint64(TransferSource::wholeFileLimit + 8 * 1024 * 1024) << false;
}

// A transfer must deliver the file as it was when it started, or fail; never a file part old, part new, reported
// complete.
void TestCommands::fileRewrittenDuringTransfer()
{
    QFETCH(qint64, size);
    QFETCH(bool, delivered);
    std::vector<std::unique_ptr<SimulatedPanel>> panels;
    QList<VelkIFPDevice *> devices;
    VelkIFPDevice first = storedDevice("Panel-4");
    VelkIFPDevice second = storedDevice("Panel-5");
    for (int serial : {4, 5}) {
        panels.push_back(connectedPanel(serial, serial));
        panels.back()->behaviour().keepFiles = false;
        panels.back()->stopReading();
    }
    devices = {&first, &second};
    const QString path = writeRandomFile(m_dir.filePath("rewritten.img"), size);
    const QByteArray original = fileSha256(path);
    QSignalSpy reset(m_server, &CmdServer::resetTransferFileTimeout);
    QSignalSpy done(m_server, &CmdServer::transferFileComplete);
    m_server->sendFile(devices, path, "MstarUpgrade.img");
    QTest::qWait(300);
    QVERIFY(reset.count() < int(size / m_config.chunkSize)); // both still sending
    QVERIFY(rewriteInPlace(path));
    QVERIFY(fileSha256(path) != original);
    for (auto &panel : panels)
        panel->resumeReading();
    QTRY_VERIFY_WITH_TIMEOUT(done.count() == 2, 60000);
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(done.at(i).at(1).toBool(), delivered);
        if (delivered)
            QCOMPARE(panels.at(size_t(i))->lastFile().sha256, original);
        else
            QVERIFY(panels.at(size_t(i))->lastFile().size != size); // told "0": nothing kept as complete
    }
    for (auto &panel : panels)
        panel->shutDown();
}

void TestCommands::broadcastWithoutAudio()
{
    auto panel = connectedPanel(1, 1);
    VelkIFPDevice device = storedDevice("Panel-1");
    VelkBroadcast broadcast;
    broadcast.displayType = 2;
    broadcast.audioSelection = 0;
    broadcast.durationMin = 1;
    broadcast.durationSec = 15;
    broadcast.contentText = QStringLiteral("Assembly at 10:00 — Aula");
    QSignalSpy complete(m_server, &CmdServer::sendBroadcastDataComplete);
    QSignalSpy started(m_server, &CmdServer::transferBroadcastFileStarted);
    m_server->sendBroadcastData(&device, &broadcast, true);
    QTRY_COMPARE(complete.count(), 1);
    QCOMPARE(complete.at(0).at(0).toString(), testMac(1));
    QCOMPARE(started.count(), 0);
    const BroadcastDataPayload received = panel->lastBroadcast();
    QCOMPARE(received.displayType, 2);
    QCOMPARE(received.durationMin, 1);
    QCOMPARE(received.durationSec, 15);
    QVERIFY(received.woken);
    QCOMPARE(received.contentText, broadcast.contentText);

    QSignalSpy results(m_server, &CmdServer::broadcastResult);
    m_server->startBroadcast(&device);
    QTRY_COMPARE(results.count(), 1);
    QCOMPARE(results.at(0).at(0).toString(), testMac(1));

    VelkIFPDevice offline = storedDevice("Panel-8");
    m_server->sendBroadcastData(&offline, &broadcast, false);
    m_server->startBroadcast(&offline);
    QSignalSpy completeTimeout(m_server, &CmdServer::setupBroadcastTransferFileCompleteTimeout);
    m_server->sendBroadcastFile(testMac(8));
    QCOMPARE(completeTimeout.count(), 1);
    QCOMPARE(completeTimeout.at(0), QVariantList({testMac(8), 1000}));
    panel->shutDown();
}

void TestCommands::broadcastWithAudio()
{
    auto panel = connectedPanel(2, 2);
    VelkIFPDevice device = storedDevice("Panel-2");
    const QString audio = writeRandomFile(m_config.audioFolder + "Default_Audio_2.mp3", 25 * 1024);
    VelkBroadcast broadcast;
    broadcast.displayType = 3;
    broadcast.audioSelection = 2;
    QSignalSpy setup(m_server, &CmdServer::setupBroadcastTransferFileTimeout);
    QSignalSpy reset(m_server, &CmdServer::resetBroadcastTransferFileTimeout);
    QSignalSpy completeTimeout(m_server, &CmdServer::setupBroadcastTransferFileCompleteTimeout);
    QSignalSpy complete(m_server, &CmdServer::sendBroadcastDataComplete);
    // The broadcast manager sends the file when the panel says it waits for it.
    auto sendFile = connect(m_server, &CmdServer::transferBroadcastFileStarted, this,
                            [this](const QString &mac) { m_server->sendBroadcastFile(mac); });
    m_server->sendBroadcastData(&device, &broadcast, false);
    QTRY_COMPARE(complete.count(), 1);
    disconnect(sendFile);
    QCOMPARE(setup.count(), 1);
    QCOMPARE(setup.at(0), QVariantList({testMac(2), 8000}));
    QCOMPARE(reset.count(), 2); // three chunks: the first starts the timer, the others reset it
    QCOMPARE(completeTimeout.count(), 1);
    QCOMPARE(completeTimeout.at(0), QVariantList({testMac(2), 180000}));
    QCOMPARE(panel->lastAudioFile().name, QString("Default_Audio_2.mp3"));
    QCOMPARE(panel->lastAudioFile().sha256, fileSha256(audio));
    panel->shutDown();
}

// The stored audio name comes from the database: it may only name a file inside the Audio folder.
void TestCommands::broadcastAudioStaysInAudioFolder()
{
    auto panel = connectedPanel(3, 3);
    VelkIFPDevice device = storedDevice("Panel-3");
    writeRandomFile(m_dir.filePath("secret.mp3"), 4096); // beside, not inside, the Audio folder
    VelkBroadcast broadcast;
    broadcast.audioSelection = 4;
    broadcast.savedAudioFilename = "../secret.mp3";
    QSignalSpy completeTimeout(m_server, &CmdServer::setupBroadcastTransferFileCompleteTimeout);
    m_server->sendBroadcastData(&device, &broadcast, false);
    QTRY_VERIFY(panel->receivedCount(VELK_REMOTE_CMD_BROADCAST_DATA) == 1);
    m_server->sendBroadcastFile(testMac(3));
    QCOMPARE(completeTimeout.count(), 1);
    QCOMPARE(completeTimeout.at(0), QVariantList({testMac(3), 1000}));
    QCOMPARE(panel->receivedCount(VELK_REMOTE_CMD_BROADCAST_FILE_START), 0);

    const QString own = writeRandomFile(m_config.audioFolder + "secret.mp3", 3000);
    m_server->sendBroadcastFile(testMac(3));
    QTRY_COMPARE(panel->receivedAudioFiles().size(), 1);
    QCOMPARE(panel->lastAudioFile().sha256, fileSha256(own));
    panel->shutDown();
}

void TestCommands::broadcastCancels()
{
    auto panel = connectedPanel(4, 4);
    VelkIFPDevice device = storedDevice("Panel-4");
    panel->behaviour().keepFiles = false;
    writeRandomFile(m_config.audioFolder + "Default_Audio_1.mp3", pastSocketBuffers());
    VelkBroadcast broadcast;
    broadcast.audioSelection = 1;
    m_server->sendBroadcastData(&device, &broadcast, false);
    QTRY_COMPARE(panel->receivedCount(VELK_REMOTE_CMD_BROADCAST_DATA), 1);
    QSignalSpy cancelled(panel.get(), &SimulatedPanel::transferCancelled);
    // Emitted once the last chunk and the complete frame went out: each cancel must find the file still being sent.
    QSignalSpy handedOver(m_server, &CmdServer::setupBroadcastTransferFileCompleteTimeout);

    panel->stopReading();
    m_server->sendBroadcastFile(testMac(4));
    QCOMPARE(handedOver.count(), 0);
    m_server->cancelBroadcastFileTransfer(&device);
    panel->resumeReading();
    QTRY_COMPARE(cancelled.count(), 1);

    // Unlike the firmware variant, the time-out variant tells the panel too.
    panel->stopReading();
    m_server->sendBroadcastFile(testMac(4));
    QCOMPARE(handedOver.count(), 0);
    m_server->cancelBroadcastFileTransferByTimeout(testMac(4));
    panel->resumeReading();
    QTRY_COMPARE(cancelled.count(), 2);
    QCOMPARE(panel->lastPayload(VELK_REMOTE_CMD_BROADCAST_FILE_COMPLETE), QByteArray("0"));
    QVERIFY(panel->receivedAudioFiles().isEmpty());
    QCOMPARE(handedOver.count(), 0); // nothing went on after the cancels
    panel->shutDown();
}

QTEST_GUILESS_MAIN(TestCommands)
#include "tst_Commands.moc"

// Panels whose cards report a MAC no card can have are told apart by the devices their addresses matched: power off,
// reboot and a broadcast with its sound reach the one meant, over its connection, and its answers name its device;
// Wake-on-LAN, which goes by MAC, is not sent for them.
void TestCommands::panelsKnownByTheirAddressAloneAreReachedByTheirDevice()
{
    std::vector<std::unique_ptr<SimulatedPanel>> panels;
    QStringList keys;
    for (int i = 0; i < 2; ++i) {
        const QString name = QStringLiteral("Zero-%1").arg(i);
        addManagedDevice(name, QString(), QStringLiteral("127.0.0.%1").arg(62 + i));
        keys << m_server->linkKey(storedDevice(name));
        PanelIdentity identity = identityWith(11 + i, "kelvo");
        identity.mac = QStringLiteral("00:00:00:00:00:00");
        panels.emplace_back(new SimulatedPanel(identity, directSettings(60 + i)));
        panels.back()->start();
    }
    QCOMPARE(keys, (QStringList{QStringLiteral("did:%1").arg(storedDevice("Zero-0").did),
                                QStringLiteral("did:%1").arg(storedDevice("Zero-1").did)}));
    QTRY_VERIFY(panels.at(0)->isConnected() && panels.at(1)->isConnected());
    const VelkIFPDevice first = storedDevice("Zero-0");
    const VelkIFPDevice second = storedDevice("Zero-1");
    QVERIFY(m_server->isDeviceOnline(first));
    QVERIFY(m_server->isDeviceOnline(second));
    QCOMPARE(m_server->connectionState(QStringLiteral("00:00:00:00:00:00")), CmdServer::Offline); // by MAC, none
    QVERIFY(!m_server->canWake(first));

    // A broadcast with its sound to the first alone, each step named by its device.
    const QString audio = writeRandomFile(m_config.audioFolder + "Default_Audio_3.mp3", 15 * 1024);
    VelkBroadcast broadcast;
    broadcast.displayType = 1;
    broadcast.audioSelection = 3;
    broadcast.contentText = QStringLiteral("Fire drill");
    QSignalSpy complete(m_server, &CmdServer::sendBroadcastDataComplete);
    QSignalSpy waiting(m_server, &CmdServer::transferBroadcastFileStarted);
    auto sendFile = connect(m_server, &CmdServer::transferBroadcastFileStarted, this,
                            [this](const QString &key) { m_server->sendBroadcastFile(key); });
    VelkIFPDevice target = first;
    m_server->sendBroadcastData(&target, &broadcast, false);
    QTRY_COMPARE(complete.count(), 1);
    disconnect(sendFile);
    QCOMPARE(waiting.at(0).at(0).toString(), keys.at(0));
    QCOMPARE(complete.at(0).at(0).toString(), keys.at(0));
    QCOMPARE(panels.at(0)->lastAudioFile().sha256, fileSha256(audio));
    QCOMPARE(panels.at(0)->lastBroadcast().contentText, broadcast.contentText);
    QSignalSpy results(m_server, &CmdServer::broadcastResult);
    m_server->startBroadcast(&target);
    QTRY_COMPARE(results.count(), 1);
    QCOMPARE(results.at(0).at(0).toString(), keys.at(0));
    QCOMPARE(panels.at(1)->receivedCount(VELK_REMOTE_CMD_BROADCAST_DATA), 0);
    QCOMPARE(panels.at(1)->receivedCount(VELK_REMOTE_CMD_START_BROADCAST), 0);

    // Reboot the second, power the first off; neither wake goes out.
    QSignalSpy rebooting(panels.at(1).get(), &SimulatedPanel::rebooting);
    QSignalSpy off(panels.at(0).get(), &SimulatedPanel::poweredOff);
    m_server->reboot({second});
    m_server->powerOff({first});
    QTRY_COMPARE(rebooting.count(), 1);
    QTRY_COMPARE(off.count(), 1);
    QCOMPARE(panels.at(0)->receivedCount(VELK_REMOTE_CMD_REBOOT), 0);
    QCOMPARE(panels.at(1)->receivedCount(VELK_REMOTE_CMD_POWER_OFF), 0);
    QTRY_VERIFY(!m_server->isDeviceOnline(first));
    while (m_wakeListener.hasPendingDatagrams())
        m_wakeListener.receiveDatagram();
    m_log->clear();
    m_server->powerOn({first});
    QVERIFY(m_log->contains("CmdServer::powerOn, no MAC to wake Zero-0"));
    QTest::qWait(200);
    QVERIFY(!m_wakeListener.hasPendingDatagrams());
    for (const auto &panel : panels)
        panel->shutDown();
}

// A device entered by its address alone, as read before its panel's handshake filled its MAC in (a database held by
// another program keeps the write-back back for as long as it holds): it is online, Power Off reaches its panel, and
// Power On would wake it, all by the MAC the command server holds.
void TestCommands::copiesReadBeforeTheHandshakeReachTheirPanel()
{
    const VelkIFPDevice copy = addManagedDevice(QStringLiteral("Entered"), QString(), QStringLiteral("127.0.0.66"));
    SimulatedPanel panel(identityWith(15, "kelvo"), directSettings(64));
    panel.start();
    QTRY_VERIFY(panel.isConnected());
    QCOMPARE(copy.macAddress, QString());
    QTRY_VERIFY(m_server->isDeviceOnline(copy));
    QCOMPARE(m_server->linkKey(copy), testMac(15));
    QVERIFY(m_server->canWake(copy));
    QSignalSpy off(&panel, &SimulatedPanel::poweredOff);
    m_server->powerOff({copy});
    QTRY_COMPARE(off.count(), 1);
    panel.shutDown();
}
