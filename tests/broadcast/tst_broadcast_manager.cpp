#include "BroadcastTestSupport.h"

#include "tools/panelsim/WakeOnLanListener.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTimer>
#include <QtEndian>

#include <functional>

using namespace BroadcastTest;

// The broadcast manager against the real command server and simulated panels on loopback: the sending window,
// time-outs, the sound transfer, waking and cancelling, checked from both ends (what the panels received, what the
// report rows say).
class TestBroadcastManager : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void twentyAtOnceThenOnePerConfirmationInQueueOrder();
    void silentAndOfflinePanelsFail();
    void soundReachesEveryPanelThatAsks();
    void soundTransferTimesOutAfterItsLastChunk_data();
    void soundTransferTimesOutAfterItsLastChunk();
    void wakingAndCancelling();
    void panelsKnownByTheirAddressAloneAreServedOrToldOffAtOnce();
    void resultsThatFailToWriteLeaveTheOthers_data();
    void resultsThatFailToWriteLeaveTheOthers();

private:
    // Counts, panel by panel, who holds a record not yet confirmed; remembers the most at any moment.
    void watchWindow(PanelFleet &fleet);

    std::unique_ptr<TestEnv> m_env;
    std::unique_ptr<LogCapture> m_log;
    QTemporaryDir m_dir;
    NetworkConfig m_config;
    WakeOnLanListener m_wakeListener;
    std::unique_ptr<BroadcastManager> m_manager;
    QList<PanelFleet *> m_fleets;
    int m_inWindow = 0;
    int m_mostInWindow = 0;
    QStringList m_recordOrder;
};

void TestBroadcastManager::initTestCase()
{
    m_env.reset(new TestEnv);
    m_log.reset(new LogCapture);
    OrvantaDBManager::setDataFolder(m_dir.path());
    QVERIFY(m_wakeListener.listen(QHostAddress(QHostAddress::AnyIPv4), 0));
    m_config = loopbackNetworkConfig(m_dir.path());
    m_config.wolPort = m_wakeListener.port();
    m_config.wolRoundGapMs = 20;
    NetworkConfig::setCurrent(m_config);
    QVERIFY(CmdServer::getInstance()->serverPort() != 0);
    connect(&m_wakeListener, &WakeOnLanListener::magicPacketReceived, this, [this](const QString &mac) {
        for (PanelFleet *fleet : qAsConst(m_fleets)) {
            if (SimulatedPanel *panel = fleet->panelByMac(mac))
                panel->wake();
        }
    });
}

void TestBroadcastManager::init()
{
    m_manager.reset(new BroadcastManager(CmdServer::getInstance(), OrvantaDBManager::getInstance()));
    m_inWindow = 0;
    m_mostInWindow = 0;
    m_recordOrder.clear();
}

void TestBroadcastManager::cleanup()
{
    for (PanelFleet *fleet : qAsConst(m_fleets)) {
        fleet->shutDownAll();
        delete fleet;
    }
    m_fleets.clear();
    m_manager.reset();
}

void TestBroadcastManager::watchWindow(PanelFleet &fleet)
{
    for (SimulatedPanel *panel : fleet.panels()) {
        connect(panel, &SimulatedPanel::frameReceived, this, [this, panel](quint16 code) {
            if (code != VELK_REMOTE_CMD_BROADCAST_DATA)
                return;
            m_recordOrder.append(panel->name());
            m_mostInWindow = qMax(m_mostInWindow, ++m_inWindow);
        });
        connect(panel, &SimulatedPanel::frameSent, this, [this](quint16 code) {
            if (code == VELK_REMOTE_RSP_BROADCAST_DATA_COMPLETE)
                --m_inWindow;
        });
    }
}

void TestBroadcastManager::twentyAtOnceThenOnePerConfirmationInQueueOrder()
{
    PanelFleet *fleet = makeFleet(25, 101, "Cap-", "127.0.1.2").release();
    m_fleets.append(fleet);
    // Some records hold their MAC as an older database or an import wrote it: capitals, or dashes.
    const QList<VelkIFPDevice> devices = storeFleet(*fleet, [](int i, const QString &mac) {
        if (i % 3 == 1)
            return mac.toUpper();
        if (i % 3 == 2)
            return QString(mac).replace(':', '-').toUpper();
        return mac;
    });
    for (SimulatedPanel *panel : fleet->panels())
        panel->setAnswerHeld(VELK_REMOTE_RSP_BROADCAST_DATA_COMPLETE, true);
    fleet->startAll();
    QTRY_COMPARE(fleet->connectedCount(), 25);
    watchWindow(*fleet);

    const VelkBroadcast broadcast = storeBroadcast(devices);
    QSignalSpy finished(m_manager.get(), &BroadcastManager::broadcastFinished);
    m_manager->addBroadcastTask(taskOf(broadcast));
    m_manager->startQueuedBroadcastTasks();
    QTRY_COMPARE(m_recordOrder.size(), 20);
    QStringList firstTwenty;
    for (int i = 0; i < 20; ++i)
        firstTwenty.append(fleet->panel(i)->name());
    QStringList arrived = m_recordOrder; // twenty sockets: any arrival order
    arrived.sort();
    QCOMPARE(arrived, firstTwenty);
    QCOMPARE(m_manager->queuedCount(), 5);

    // Each confirmation lets exactly the next queued panel in, whoever confirms.
    const QList<int> confirming = {7, 0, 19, 20, 3};
    for (int k = 0; k < confirming.size(); ++k) {
        QTRY_COMPARE(fleet->panel(confirming.at(k))->heldAnswerCount(), 1);
        QCOMPARE(fleet->panel(confirming.at(k))->releaseHeldAnswers(), 1);
        QTRY_COMPARE(m_recordOrder.size(), 21 + k);
        QCOMPARE(m_recordOrder.last(), fleet->panel(20 + k)->name());
    }
    // The online devices start together, once the last of them has confirmed.
    QCOMPARE(fleet->panel(7)->receivedCount(VELK_REMOTE_CMD_START_BROADCAST), 0);
    for (SimulatedPanel *panel : fleet->panels())
        panel->setAnswerHeld(VELK_REMOTE_RSP_BROADCAST_DATA_COMPLETE, false);
    for (SimulatedPanel *panel : fleet->panels())
        panel->releaseHeldAnswers();
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).toUInt(), broadcast.bid);
    QVERIFY2(m_mostInWindow <= 20, qPrintable(QString::number(m_mostInWindow)));
    QCOMPARE(m_mostInWindow, 20);
    for (SimulatedPanel *panel : fleet->panels()) {
        QCOMPARE(panel->receivedCount(VELK_REMOTE_CMD_BROADCAST_DATA), 1);
        QCOMPARE(panel->receivedCount(VELK_REMOTE_CMD_START_BROADCAST), 1);
    }
    const auto report = reportOf(broadcast);
    QCOMPARE(report.size(), 25);
    for (const auto &row : report)
        QCOMPARE(row, qMakePair(1, 0));
    QCOMPARE(m_manager->taskCount(), 0);
    QCOMPARE(m_manager->sendingCount(), 0);
}

void TestBroadcastManager::silentAndOfflinePanelsFail()
{
    PanelFleet *fleet = makeFleet(3, 201, "Quiet-", "127.0.2.2").release();
    m_fleets.append(fleet);
    const QList<VelkIFPDevice> devices = storeFleet(*fleet);
    SimulatedPanel *healthy = fleet->panel(0);
    SimulatedPanel *silent = fleet->panel(1);
    silent->setAnswerDropped(VELK_REMOTE_RSP_BROADCAST_DATA_COMPLETE, true);
    // The start command's answer carries nothing the console can act on: whatever it says counts as shown, and an
    // unusual value is logged.
    healthy->setAnswerPayload(VELK_REMOTE_RSP_START_BROADCAST, FrameCodec::int32Payload(-1));
    healthy->start();
    silent->start();
    QTRY_VERIFY(healthy->isConnected() && silent->isConnected());
    QTRY_VERIFY(CmdServer::getInstance()->isDeviceOnline(devices.at(1)));

    const VelkBroadcast broadcast = storeBroadcast(devices);
    QSignalSpy finished(m_manager.get(), &BroadcastManager::broadcastFinished);
    QElapsedTimer clock;
    clock.start();
    m_manager->addBroadcastTask(taskOf(broadcast));
    m_manager->startQueuedBroadcastTasks();
    // Off and not to be woken: failed at once, long before the silent panel's time is up.
    QTRY_COMPARE(reportOf(broadcast).value("Quiet-003"), qMakePair(2, 1));
    QVERIFY2(clock.elapsed() < 4750, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(reportOf(broadcast).value("Quiet-002"), qMakePair(0, 0));

    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, m_manager->timeouts().resultMs + QuorvinTryCeilingMs);
    // Qt may fire a coarse timer up to 5 % early; the panel had its full five seconds less that.
    QVERIFY2(clock.elapsed() >= 4750, qPrintable(QString::number(clock.elapsed())));
    const auto report = reportOf(broadcast);
    QCOMPARE(report.value("Quiet-001"), qMakePair(1, 0));
    QVERIFY(m_log->contains("start-broadcast answer -1"));
    QCOMPARE(report.value("Quiet-002"), qMakePair(2, 2));
    QCOMPARE(report.value("Quiet-003"), qMakePair(2, 1));
    QCOMPARE(silent->receivedCount(VELK_REMOTE_CMD_START_BROADCAST), 0);
    QCOMPARE(fleet->panel(2)->receivedCount(VELK_REMOTE_CMD_BROADCAST_DATA), 0);
}

void TestBroadcastManager::soundReachesEveryPanelThatAsks()
{
    PanelFleet *fleet = makeFleet(4, 301, "Sound-", "127.0.3.2").release();
    m_fleets.append(fleet);
    const QList<VelkIFPDevice> devices = storeFleet(*fleet);
    fleet->startAll();
    QTRY_COMPARE(fleet->connectedCount(), 4);
    const QString sound = writeRandomFile(m_config.audioFolder + "bell.mp3", 1024 * 1024 + 123);
    const VelkBroadcast broadcast = storeBroadcast(devices, 4, "bell.mp3");
    QSignalSpy finished(m_manager.get(), &BroadcastManager::broadcastFinished);
    m_manager->addBroadcastTask(taskOf(broadcast));
    m_manager->startQueuedBroadcastTasks();
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, QuorvinTryCeilingMs);
    for (SimulatedPanel *panel : fleet->panels()) {
        QCOMPARE(panel->receivedAudioFiles().size(), 1);
        QCOMPARE(panel->lastAudioFile().name, QString("bell.mp3"));
        QCOMPARE(panel->lastAudioFile().sha256, fileSha256(sound));
    }
    for (const auto &row : reportOf(broadcast))
        QCOMPARE(row, qMakePair(1, 0));

    // A stored name that a panel would read as a path (a legal file name here, kept as it is on the console) reaches
    // the panels as a plain file name.
    const QString odd = writeRandomFile(m_config.audioFolder + "back\\..\\slash.mp3", 3000);
    const VelkBroadcast oddOne = storeBroadcast(devices.mid(1, 2), 4, "back\\..\\slash.mp3");
    m_manager->addBroadcastTask(taskOf(oddOne));
    m_manager->startQueuedBroadcastTasks();
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 2, QuorvinTryCeilingMs);
    for (SimulatedPanel *panel : {fleet->panel(1), fleet->panel(2)}) {
        QCOMPARE(panel->lastAudioFile().name, QString("back_.._slash.mp3"));
        QCOMPARE(panel->lastAudioFile().sha256, fileSha256(odd));
    }

    // A panel that asks for the sound of a broadcast that has none is not sent a file; its confirmation counts.
    SimulatedPanel *confused = fleet->panel(0);
    confused->setAnswerHeld(VELK_REMOTE_RSP_BROADCAST_DATA_COMPLETE, true);
    const VelkBroadcast silentOne = storeBroadcast({devices.at(0)});
    m_manager->addBroadcastTask(taskOf(silentOne));
    m_manager->startQueuedBroadcastTasks();
    QTRY_COMPARE(confused->heldAnswerCount(), 1);
    confused->sendFrame(VELK_REMOTE_RSP_BROADCAST_DATA, FrameCodec::int32Payload(0));
    confused->releaseHeldAnswers();
    QTRY_COMPARE(finished.count(), 3);
    QCOMPARE(confused->receivedCount(VELK_REMOTE_CMD_BROADCAST_FILE_START), 1);
    QVERIFY(m_log->contains("BroadcastManager::transferFileStarted, not found"));
    QCOMPARE(reportOf(silentOne).value("Sound-001"), qMakePair(1, 0));
}

void TestBroadcastManager::soundTransferTimesOutAfterItsLastChunk_data()
{
    QTest::addColumn<int>("serial");
    QTest::addColumn<int>("readKiBps"); // 0: it stops reading at the file's start
    QTest::addColumn<int>("hangKiB");   // it stops reading once it has read this much; 0: never
    QTest::addColumn<int>("fileMiB");
    QTest::addColumn<int>("bufferKiB");  // the panel's receive buffer; 0: the system's
    QTest::addColumn<QString>("pauses"); // seconds it stops reading, each after 2 s of it; "h": for good
    QTest::newRow("stops reading at the start") << 351 << 0 << 0 << 48 << 0 << QString();
    QTest::newRow("6 MiB read at 100 KiB/s") << 352 << 100 << 0 << 6 << 0 << QString();
    QTest::newRow("8 MiB read at 100 KiB/s, hung after 512 KiB") << 353 << 100 << 512 << 8 << 0 << QString();
    // Its keep-alive waits behind megabytes in both kernels' buffers: answered after the idle time-out.
    QTest::newRow("10 MiB read at 100 KiB/s through a 6 MiB receive buffer")
        << 354 << 100 << 0 << 10 << 6144 << QString();
    // A panel reading into a receive buffer of megabytes tells of the room it made only once a sixteenth of it is
    // free, seconds later: its buffer stays full longer than the wait, though it reads. One that has read on after a
    // quiet of 5.5 s is given 9 s, as long as a hung panel's buffer stays full; one that has not is not, nor one that
    // hangs after such a quiet.
    QTest::newRow("quiet 5.5 s, then 9 s, reading on") << 355 << 200 << 0 << 6 << 64 << "5.5 9";
    QTest::newRow("quiet 5.5 s, then hung") << 356 << 200 << 0 << 6 << 64 << "5.5 h";
    QTest::newRow("quiet 9 s at once") << 357 << 200 << 0 << 6 << 64 << "9";
}

// Each chunk handed to a panel keeps its transfer alive: the transfer fails only when a whole time-out passed since the
// last one, and then it does. A panel behind a slow link got no chunk for longer than the wait while it read (the
// console's socket takes more only once a third of its megabytes of send buffer drained), and its row failed: it is
// judged by what it takes, at the wait the manager arms. One that stops taking fails within that wait and a look.
void TestBroadcastManager::soundTransferTimesOutAfterItsLastChunk()
{
    QFETCH(int, serial);
    QFETCH(int, readKiBps);
    QFETCH(int, hangKiB);
    QFETCH(int, fileMiB);
    QFETCH(int, bufferKiB);
    QFETCH(QString, pauses);
    const bool forGood = hangKiB > 0 || pauses.endsWith('h');
    const bool cut = forGood || pauses == "9";
    const QString name = !pauses.isEmpty() ? QStringLiteral("Quiet%1-").arg(serial)
                         : readKiBps == 0  ? QStringLiteral("Stall-")
                         : cut             ? QStringLiteral("Hung-")
                         : bufferKiB > 0   ? QStringLiteral("Late-")
                                           : QStringLiteral("Slow-");
    PanelFleet *fleet = makeFleet(1, quint32(serial), name, QStringLiteral("127.0.3.%1").arg(serial - 331)).release();
    m_fleets.append(fleet);
    const QList<VelkIFPDevice> devices = storeFleet(*fleet);
    fleet->panel(0)->behaviour().receiveBufferBytes = bufferKiB * 1024;
    fleet->startAll();
    QTRY_COMPARE(fleet->connectedCount(), 1);
    SimulatedPanel *panel = fleet->panel(0);
    panel->behaviour().keepFiles = false;
    if (readKiBps > 0) {
        // More than the kernel's buffers hold, read slower than a third of the console's send buffer per wait.
        const QString sound = writeRandomFile(m_config.audioFolder + "slow.mp3", fileMiB * 1024 * 1024);
        panel->behaviour().linkBytesPerSecond = readKiBps * 1024;
        m_log->clear();
        QElapsedTimer hung;
        QObject watch;
        QStringList steps = pauses.split(' ', Qt::SkipEmptyParts);
        std::function<void()> pause = [&] {
            if (steps.isEmpty())
                return;
            const QString seconds = steps.takeFirst();
            panel->stopReading();
            hung.start();
            if (seconds == "h")
                return;
            QTimer::singleShot(int(seconds.toDouble() * 1000), &watch, [&] {
                // After its last quiet, the rest at once: the test waits for no more than the quiets.
                if (steps.isEmpty())
                    panel->behaviour().linkBytesPerSecond = 0;
                panel->resumeReading();
                hung.invalidate();
                QTimer::singleShot(2000, &watch, pause);
            });
        };
        connect(panel, &SimulatedPanel::frameReceived, &watch, [&](quint16 code) {
            if (code == VELK_REMOTE_CMD_BROADCAST_FILE_START && !steps.isEmpty())
                QTimer::singleShot(2000, &watch, pause);
            if (code == VELK_REMOTE_CMD_BROADCAST_FILE_DATA && hangKiB > 0 && !hung.isValid() &&
                panel->receivedCount(code) * 10 >= hangKiB) {
                panel->stopReading();
                hung.start();
            }
        });
        const VelkBroadcast broadcast = storeBroadcast(devices, 4, "slow.mp3");
        QSignalSpy finished(m_manager.get(), &BroadcastManager::broadcastFinished);
        m_manager->addBroadcastTask(taskOf(broadcast));
        m_manager->startQueuedBroadcastTasks();
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, fileMiB * 1024 / readKiBps * 2000 + QuorvinTryCeilingMs);
        if (cut) {
            // Given at most 3 s more after a quiet it read on from.
            const int grace = pauses.isEmpty() ? 0 : 3000;
            QVERIFY2(!forGood || (hung.isValid() && hung.elapsed() <= m_config.transferChunkTimeoutMs + grace + 4000),
                     qPrintable(QStringLiteral("failed %1 ms after it hung").arg(hung.elapsed())));
            QCOMPARE(reportOf(broadcast).value(panel->name()), qMakePair(2, 2));
            QVERIFY(m_log->contains("BroadcastManager::transferFileTimeout"));
        } else {
            QVERIFY2(!m_log->contains("BroadcastManager::transferFileTimeout"), "cut off while it read");
            QCOMPARE(reportOf(broadcast).value(panel->name()), qMakePair(1, 0));
            QCOMPARE(panel->lastAudioFile().sha256, fileSha256(sound));
            QVERIFY(panel->isConnected());
        }
        return;
    }
    // More than the socket buffers on both ends hold: the transfer stalls once the panel stops reading.
    writeRandomFile(m_config.audioFolder + "siren.mp3", fileMiB * 1024 * 1024);
    connect(panel, &SimulatedPanel::frameReceived, this, [panel](quint16 code) {
        if (code == VELK_REMOTE_CMD_BROADCAST_FILE_START)
            panel->stopReading();
    });
    const VelkBroadcast broadcast = storeBroadcast(devices, 4, "siren.mp3");
    QSignalSpy finished(m_manager.get(), &BroadcastManager::broadcastFinished);
    CmdServer *server = CmdServer::getInstance();
    QSignalSpy transferArmed(server, &CmdServer::setupBroadcastTransferFileTimeout);
    m_manager->addBroadcastTask(taskOf(broadcast));
    m_manager->startQueuedBroadcastTasks();
    QTRY_COMPARE(transferArmed.count(), 1);
    QTRY_VERIFY(!panel->isReading());

    // The stalled transfer's time-out made short, then chunks reported as the command server reports them.
    const QString mac = transferArmed.at(0).at(0).toString();
    constexpr int TimeoutMs = 800;
    QElapsedTimer clock;
    clock.start();
    emit server->setupBroadcastTransferFileTimeout(mac, TimeoutMs);
    qint64 lastChunkMs = 0;
    QTimer chunks;
    connect(&chunks, &QTimer::timeout, this, [&] {
        if (clock.elapsed() > 2 * TimeoutMs) {
            chunks.stop();
            return;
        }
        lastChunkMs = clock.elapsed();
        emit server->resetBroadcastTransferFileTimeout(mac);
    });
    chunks.start(TimeoutMs / 5);
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, QuorvinTryCeilingMs);
    const qint64 endedMs = clock.elapsed();
    QVERIFY2(!chunks.isActive() && endedMs - lastChunkMs >= TimeoutMs,
             qPrintable(QStringLiteral("last chunk at %1 ms, failed at %2 ms").arg(lastChunkMs).arg(endedMs)));
    QCOMPARE(reportOf(broadcast).value(panel->name()), qMakePair(2, 2));
    QVERIFY(m_log->contains("BroadcastManager::transferFileTimeout"));
}

void TestBroadcastManager::wakingAndCancelling()
{
    PanelFleet *fleet = makeFleet(3, 401, "Wake-", "127.0.4.2").release();
    m_fleets.append(fleet);
    const QList<VelkIFPDevice> devices = storeFleet(*fleet);
    SimulatedPanel *online = fleet->panel(0);
    SimulatedPanel *sleeper = fleet->panel(1);
    SimulatedPanel *shared = fleet->panel(2);
    for (SimulatedPanel *panel : fleet->panels())
        panel->setAnswerHeld(VELK_REMOTE_RSP_BROADCAST_DATA_COMPLETE, true);
    online->start();
    QTRY_VERIFY(CmdServer::getInstance()->isDeviceOnline(devices.at(0)));

    // Wake-on-LAN goes out for the two that are off; each comes up and is sent the record as woken.
    const VelkBroadcast waking = storeBroadcast(devices, 0, QString(), true);
    QSignalSpy finished(m_manager.get(), &BroadcastManager::broadcastFinished);
    m_manager->addBroadcastTask(taskOf(waking));
    m_manager->startQueuedBroadcastTasks();
    QTRY_COMPARE(sleeper->heldAnswerCount(), 1);
    QTRY_COMPARE(shared->heldAnswerCount(), 1);
    QVERIFY(!online->lastBroadcast().woken);
    QVERIFY(sleeper->lastBroadcast().woken);
    QVERIFY(shared->lastBroadcast().woken);

    // A later task takes one woken panel over; cancelling the waking task powers off only the other woken one.
    const VelkBroadcast later = storeBroadcast({devices.at(2)});
    m_manager->addBroadcastTask(taskOf(later));
    m_manager->startQueuedBroadcastTasks();
    QTRY_COMPARE(shared->receivedCount(VELK_REMOTE_CMD_BROADCAST_DATA), 2);
    QSignalSpy sleeperOff(sleeper, &SimulatedPanel::poweredOff);
    m_manager->cancelBroadcastTask(taskOf(waking));
    QTRY_COMPARE(sleeperOff.count(), 1);
    QCOMPARE(m_manager->taskCount(), 1);

    for (SimulatedPanel *panel : {online, shared}) {
        panel->setAnswerHeld(VELK_REMOTE_RSP_BROADCAST_DATA_COMPLETE, false);
        panel->releaseHeldAnswers();
    }
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).toUInt(), later.bid);
    QCOMPARE(reportOf(later).value("Wake-003"), qMakePair(1, 0));
    QCOMPARE(shared->receivedCount(VELK_REMOTE_CMD_POWER_OFF), 0);
    QCOMPARE(online->receivedCount(VELK_REMOTE_CMD_POWER_OFF), 0);
    // A cancelled run writes no results.
    for (const auto &row : reportOf(waking))
        QCOMPARE(row, qMakePair(0, 0));
}

// Panels whose cards report all zeros are known by the devices their addresses matched. One that is on gets the
// broadcast and its sound over its connection; one that is off cannot be woken (Wake-on-LAN needs a MAC): it is
// reported off at once, is not waited for, and its wake is not asked, while an ordinary panel beside them is woken.
void TestBroadcastManager::panelsKnownByTheirAddressAloneAreServedOrToldOffAtOnce()
{
    PanelFleet *fleet = makeFleet(3, 501, "Addr-", "127.0.5.2").release();
    m_fleets.append(fleet);
    SimulatedPanel *on = fleet->panel(0);
    SimulatedPanel *off = fleet->panel(1);
    SimulatedPanel *sleeper = fleet->panel(2);
    for (SimulatedPanel *zero : {on, off}) {
        PanelIdentity identity = zero->identity();
        identity.mac = QStringLiteral("00:00:00:00:00:00");
        zero->setIdentity(identity);
    }
    const QList<VelkIFPDevice> devices =
        storeFleet(*fleet, [](int i, const QString &mac) { return i < 2 ? QString() : mac; });
    QStringList woken;
    connect(&m_wakeListener, &WakeOnLanListener::magicPacketReceived, m_manager.get(),
            [&woken](const QString &mac) { woken << mac; });
    on->start();
    QTRY_VERIFY(CmdServer::getInstance()->isDeviceOnline(devices.at(0)));

    const QString sound = writeRandomFile(m_config.audioFolder + "chime.mp3", 40 * 1024);
    const VelkBroadcast broadcast = storeBroadcast(devices, 4, "chime.mp3", true);
    QSignalSpy finished(m_manager.get(), &BroadcastManager::broadcastFinished);
    m_manager->addBroadcastTask(taskOf(broadcast));
    m_manager->startQueuedBroadcastTasks();
    // The one that cannot be woken is off, said at once; the run waits only for the woken one.
    QTRY_COMPARE(reportOf(broadcast).value("Addr-002"), qMakePair(2, 1));
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, QuorvinTryCeilingMs);
    const auto report = reportOf(broadcast);
    QCOMPARE(report.value("Addr-001"), qMakePair(1, 0));
    QCOMPARE(report.value("Addr-003"), qMakePair(1, 0));
    QCOMPARE(on->lastAudioFile().sha256, fileSha256(sound));
    QVERIFY(!on->lastBroadcast().woken);
    QVERIFY(sleeper->lastBroadcast().woken);
    QCOMPARE(QSet<QString>(woken.begin(), woken.end()), QSet<QString>{sleeper->mac()});
    QCOMPARE(off->connectCount(), 0);
}

namespace {

// SQLite's count of the write transactions committed to the database file (the file change counter of its header).
quint32 committedTransactions()
{
    QSqlQuery files(QSqlDatabase::database());
    if (!files.exec(QStringLiteral("PRAGMA database_list")) || !files.next())
        return 0;
    QFile file(files.value(2).toString());
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray header = file.read(28);
    return header.size() == 28 ? qFromBigEndian<quint32>(header.constData() + 24) : 0;
}

} // namespace

void TestBroadcastManager::resultsThatFailToWriteLeaveTheOthers_data()
{
    QTest::addColumn<QString>("raise");
    // ABORT undoes the one statement; ROLLBACK undoes the whole transaction in the middle of the slice, with the
    // results written before it.
    QTest::newRow("a row refused") << "ABORT";
    QTest::newRow("the transaction rolled back") << "ROLLBACK";
}

// Forty panels that are off, not to be woken: each fails at once with "Power-off", and their results are written
// together. SQLite refuses the row of one of them: only that row is lost, and the log names it.
void TestBroadcastManager::resultsThatFailToWriteLeaveTheOthers()
{
    QFETCH(QString, raise);
    static int serial = 600;
    PanelFleet *fleet = makeFleet(40, quint32(serial), QStringLiteral("Off-%1-").arg(raise), "127.0.6.2").release();
    serial += 40;
    m_fleets.append(fleet);
    const QList<VelkIFPDevice> devices = storeFleet(*fleet);
    const VelkIFPDevice refused = devices.at(17);
    const VelkBroadcast broadcast = storeBroadcast(devices);
    QSqlQuery trigger(QSqlDatabase::database());
    QVERIFY(trigger.exec(QStringLiteral("CREATE TEMP TRIGGER refuse_result BEFORE UPDATE ON BroadcastReport "
                                        "WHEN OLD.did = %1 BEGIN SELECT RAISE(%2, 'refused'); END")
                             .arg(refused.did)
                             .arg(raise)));
    m_log->clear();
    const quint32 committedBefore = committedTransactions();
    QSignalSpy finished(m_manager.get(), &BroadcastManager::broadcastFinished);
    m_manager->addBroadcastTask(taskOf(broadcast));
    m_manager->startQueuedBroadcastTasks();
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 20000);
    const quint32 committed = committedTransactions() - committedBefore;
    QVERIFY(trigger.exec(QStringLiteral("DROP TRIGGER refuse_result")));

    const auto report = reportOf(broadcast);
    QCOMPARE(report.size(), 40);
    for (const VelkIFPDevice &device : devices) {
        const auto expected = device.did == refused.did ? qMakePair(0, 0) : qMakePair(2, 1);
        QCOMPARE(report.value(device.deviceName), expected);
    }
    QVERIFY(m_log->contains("updateDeviceStatus, updateBroadcastReport error"));
    // The log names the one result lost, and no other.
    const QString lost = QStringLiteral("result of %1 in broadcast %2").arg(refused.deviceName).arg(broadcast.bid);
    const QStringList notKept = m_log->linesWith(QStringLiteral("not kept"));
    QCOMPARE(notKept.size(), 1);
    QVERIFY2(notKept.first().endsWith(QStringLiteral(" writes kept; not kept: ") + lost), qPrintable(notKept.first()));
    QVERIFY(!m_log->contains("commit failed"));
    if (raise == "ROLLBACK") {
        QVERIFY(m_log->contains(QStringLiteral("SQLite rolled back the transaction at ") + lost));
    } else {
        // The results came together and went into the file together: not one transaction per panel.
        QVERIFY2(committed >= 1 && committed <= 10, qPrintable(QString::number(committed)));
    }
}

QTEST_GUILESS_MAIN(TestBroadcastManager)
#include "tst_broadcast_manager.moc"
