#include "FirmwareTestSupport.h"

#include "datastore/DbHeldWrites.h"
#include "support/DatabaseHold.h"
#include "support/HoldKinds.h"
#include "support/ShortDatabaseWaits.h"

#include <QElapsedTimer>

#include <algorithm>

// The update manager with the audio-box upgraders, end to end: update.cfg from a local HTTP server, simulated
// audio boxes on the real command server, report rows in a real database.
class TestFirmwareManager : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void updateConfigCheck();
    void unreadableUpdateConfigFailsTheCheck_data();
    void unreadableUpdateConfigFailsTheCheck();
    void hostileUpdateConfigWritesNothingOutside_data();
    void hostileUpdateConfigWritesNothingOutside();
    void audioBoxRunWakesBatchesAndPowersOff();
    void silentDevicesFailAndTheRunEnds();
    void devicesKnownByTheirAddressAreUpdatedAndNeverWaitedFor();
    void fileGoesOnlyToAPanelOfItsModel_data();
    void fileGoesOnlyToAPanelOfItsModel();
    void panelBackFromItsUpdateReportingZerosIsServed_data();
    void panelBackFromItsUpdateReportingZerosIsServed();
    void devicesNotSeenAfterTheirRunAreLoggedSo();
    void storedWatchesAreReadAgainAfterAHold();
    void reconnectsDuringAHoldLeaveOneWaitWrite();
    void missingFirmwareFailsEveryBoxOfTheRun();
    void cancelLeavesInstallingDevicesOn();
    void endOfRunLeavesUnansweredInstallationsOn();
    void wokenBoxRestartingAfterItsUpdateIsPoweredOff_data();
    void wokenBoxRestartingAfterItsUpdateIsPoweredOff();
    void remindersFollowSkipsAndNewVersions();
    void skipStandsWhileTheDatabaseIsHeld_data();
    void skipStandsWhileTheDatabaseIsHeld();
    void clockSetBackKeepsTheCheckSpans();
    void stalledServerCheckEndsAsFailed();
    void transferTimeOutCountsFromTheLastChunk();

private:
    QByteArray updateConfig(const QString &qml8Path, const QString &qml8Version = "8.0.0000.05") const;
    QByteArray firmware() const { return SimulatedFirmware::make(256 * 1024 + 17, "8.0.0000.05", QString(), 5); }
    /// Panel 0 as a box that ended a run Successfully at 8.0.0000.05, connected, its row watched for 240 s more, as a
    /// console that ended within the wait left it.
    // A box with a watched report row, connected at the version its run installed; what went wrong, or nothing.
    QString watchedBox(VelkIFPDevice *box);

    FirmwareTestBench m_bench;
};

void TestFirmwareManager::initTestCase()
{
    QVERIFY(m_bench.setUp(6));
}

void TestFirmwareManager::cleanup()
{
    m_bench.reset();
}

QByteArray TestFirmwareManager::updateConfig(const QString &qml8Path, const QString &qml8Version) const
{
    QByteArray text = "[QML8]\n";
    if (!qml8Version.isEmpty())
        text += "Version=\"" + qml8Version.toUtf8() + "\"\n";
    if (!qml8Path.isEmpty())
        text += "Path=\"" + qml8Path.toUtf8() + "\"\n";
    text += "[QML8_SOS]\nVersion=\"8.0.0000.05\"\nPath=\"" + m_bench.http()->url().toUtf8() +
            "/AudioBox/QML8_SOS_0005.bin\"\n"
            "[QMR8]\nVersion=\"8.0.0000.07\"\nPath=\"" +
            m_bench.http()->url().toUtf8() + "/AudioBox/QMR8_0007.bin\"\n";
    return text;
}

void TestFirmwareManager::updateConfigCheck()
{
    m_bench.serve("AudioBox/check4Update/update.cfg", updateConfig(m_bench.http()->url() + "/AudioBox/QML8_0005.bin"));
    const VelkIFPDevice old = m_bench.addDevice(0, "QML8", "8.0.0000.04");
    m_bench.addDevice(1, "QML8", "8.0.0000.05");
    m_bench.addDevice(2, "QML8", "7.9.0000.1");
    IFPUpgradeManager *manager = m_bench.manager();
    QCOMPARE(manager->getOldDevicesCount(), -1);

    QVERIFY(m_bench.serverCheck());
    QCOMPARE(manager->getOldDevicesCount(), 1);
    QCOMPARE(manager->getOldDeviceList().at(0).macAddress, old.macAddress);
    QCOMPARE(manager->getOldDeviceModelNameSet(), QSet<QString>{"QML8"});
    QCOMPARE(manager->getNewestFwVersionText("QML8"), QStringLiteral("8.0.0000.05"));
    QVERIFY(m_bench.log()->contains("appendDeviceList, device not support remote ota: " + m_bench.panel(2)->mac()));
    // Every audio family reads the one file, each into its own folder. The box and panel families fail (no
    // manifest is served), the panel family once for its two manifests: every family answers exactly once.
    QCOMPARE(m_bench.http()->requestCount("/AudioBox/check4Update/update.cfg"), 6);
    QVERIFY(!m_bench.log()->contains("unexpected check answer"));

    // Local checks answer every accepted request once, after the caller's call has returned.
    QSignalSpy checked(manager, &IFPUpgradeManager::otaVersionChecked);
    QVERIFY(manager->checkCurrentOtaVersionInfo(IFPUpgradeManager::CASE_ADD_SCHEDULE));
    QCOMPARE(checked.count(), 1);
    QCOMPARE(checked.at(0).at(0).toInt(), int(IFPUpgradeManager::CASE_ADD_SCHEDULE));

    // A QML8 section without "Path" fails QML8 instead of taking the QML8_SOS file. QML8 is the only family with
    // devices, so the check failed: not "nothing out of date".
    m_bench.serve("AudioBox/check4Update/update.cfg", updateConfig(QString()));
    QVERIFY(m_bench.serverCheck());
    QVERIFY(m_bench.log()->contains("FW file URL not found"));
    QCOMPARE(manager->getOldDevicesCount(), -1);
}

void TestFirmwareManager::unreadableUpdateConfigFailsTheCheck_data()
{
    QTest::addColumn<QByteArray>("qml8Section");
    // Read up to its first NUL, the file gave the address before the NUL, or a shortened version and no path after
    // it; bytes that are no UTF-8 came in as U+FFFD.
    const QByteArray path = "Path=\"%1/AudioBox/QML8_0005.bin";
    const QByteArray version = "Version=\"8.0.0000.0";
    QTest::newRow("NUL in the Path") << version + "5\"\n" + path + '\0' + ".old\"\n";
    QTest::newRow("NUL in the Version") << path + "\"\n" + version + '\0' + "5\"\n";
    QTest::newRow("bytes that are no UTF-8") << version + "5\"\n# \xff\n" + path + "\"\n";
}

// A file holding a NUL or bytes that are no UTF-8 fails the check of the family that reads it, with a log line.
void TestFirmwareManager::unreadableUpdateConfigFailsTheCheck()
{
    QFETCH(QByteArray, qml8Section);
    m_bench.serve("AudioBox/check4Update/update.cfg",
                  "[QML8]\n" + QByteArray(qml8Section).replace("%1", m_bench.http()->url().toUtf8()));
    m_bench.addDevice(0, "QML8", "8.0.0000.04");
    QVERIFY(m_bench.serverCheck());
    QCOMPARE(m_bench.manager()->getOldDevicesCount(), -1);
    QVERIFY(m_bench.log()->contains("QML8 update.cfg cannot be read (a NUL or bytes that are no UTF-8)"));
}

void TestFirmwareManager::hostileUpdateConfigWritesNothingOutside_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("rule");
    QTest::newRow("escaping file name") << "/AudioBox/..%5C..%5Cvictim.txt"
                                        << "file name";
    QTest::newRow("file scheme") << "file"
                                 << "only http and https";
}

void TestFirmwareManager::hostileUpdateConfigWritesNothingOutside()
{
    QFETCH(QString, path);
    QFETCH(QString, rule);
    // The file a crafted name points at, on Windows: two folders above the audio-box folder.
    const QString victim = m_bench.dataFolder() + "/victim.txt";
    {
        QFile file(victim);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("the operator's file");
    }
    const QString url = path == "file" ? QUrl::fromLocalFile(victim).toString() : m_bench.http()->url() + path;
    m_bench.serve("AudioBox/check4Update/update.cfg", updateConfig(url));
    m_bench.serve("AudioBox/..\\..\\victim.txt", "served");
    const VelkIFPDevice box = m_bench.addDevice(0, "QML8", "8.0.0000.04");
    QVERIFY(m_bench.serverCheck());
    QVERIFY(m_bench.log()->contains("FW file URL refused (" + rule));
    QCOMPARE(m_bench.manager()->getOldDevicesCount(), -1);

    // A run of that model fails its box without fetching anything.
    QVERIFY(m_bench.connect({0}));
    QSignalSpy finished(m_bench.manager(), &IFPUpgradeManager::otaScheduleFinished);
    m_bench.manager()->startOta(m_bench.prepareRun({box}), m_bench.runDevices());
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(m_bench.report().value(box.macAddress).status, int(UPDATE_FAILED));
    QCOMPARE(m_bench.http()->requestCount("/AudioBox/..\\..\\victim.txt"), 0);
    QCOMPARE(m_bench.panel(0)->receivedCount(VELK_REMOTE_CMD_TRANSFER_FILE_START), 0);

    QFile file(victim);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("the operator's file"));
    QDirIterator it(m_bench.dataFolder(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString found = it.next();
        QVERIFY2(found == victim || (!found.contains('\\') && QFileInfo(found).fileName() != "victim.txt"),
                 qPrintable(found));
    }
}

void TestFirmwareManager::audioBoxRunWakesBatchesAndPowersOff()
{
    const QByteArray image = firmware();
    m_bench.serve("AudioBox/QML8_0005.bin", image);
    m_bench.serve("AudioBox/check4Update/update.cfg", updateConfig(m_bench.http()->url() + "/AudioBox/QML8_0005.bin"));
    QList<VelkIFPDevice> devices;
    for (int i = 0; i < 5; ++i)
        devices.append(m_bench.addDevice(i, "QML8", "8.0.0000.04"));
    // Boxes 3 and 4 are off and wait for their magic packet.
    QVERIFY(m_bench.connect({0, 1, 2}));
    QVERIFY(m_bench.serverCheck());
    QCOMPARE(m_bench.manager()->getOldDevicesCount(), 5);

    // At most three boxes hold the file or install it at any moment.
    int busy = 0;
    int mostBusy = 0;
    QList<QString> order;
    QObject watch; // ends the watching with this test
    for (int i = 0; i < 5; ++i) {
        SimulatedPanel *box = m_bench.panel(i);
        connect(box, &SimulatedPanel::frameReceived, &watch, [&, box](quint16 code, const QByteArray &) {
            if (code == VELK_REMOTE_CMD_TRANSFER_FILE_START) {
                mostBusy = std::max(mostBusy, ++busy);
                order.append(box->mac());
            }
        });
        connect(box, &SimulatedPanel::otaFinished, &watch, [&] { --busy; });
    }
    QSignalSpy finished(m_bench.manager(), &IFPUpgradeManager::otaScheduleFinished);
    QSignalSpy reports(m_bench.manager(), &IFPUpgradeManager::otaScheduleReportUpdated);
    VelkOtaSchedule *schedule = m_bench.prepareRun(devices);
    m_bench.manager()->startOta(schedule, m_bench.runDevices());
    QVERIFY(m_bench.manager()->isOtaRunning());
    QCOMPARE(m_bench.manager()->getCurrentOtaScheduleId(), schedule->osid);
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, FirmwareTestBench::runCeilingMs());

    QCOMPARE(mostBusy, 3);
    QCOMPARE(order.size(), 5);
    for (int i = 0; i < 5; ++i) {
        SimulatedPanel *box = m_bench.panel(i);
        QCOMPARE(box->receivedFiles().size(), 1);
        QCOMPARE(box->receivedFiles().at(0).name, QStringLiteral("QML8_0005.bin"));
        QCOMPARE(box->receivedFiles().at(0).sha256, FirmwareTestBench::sha256(image));
        QCOMPARE(box->receivedCount(VELK_REMOTE_CMD_START_OTA), 1);
        QCOMPARE(box->lastUpgradeType(), 0);
        QCOMPARE(box->receivedCount(VELK_REMOTE_CMD_CHECK_OTA_STATE), 1);
        const VelkOtaScheduleReport row = m_bench.report().value(box->mac());
        QCOMPARE(row.status, int(UPDATE_SUCCESSFULLY));
        QCOMPARE(row.fwVersion, QStringLiteral("8.0.0000.05"));
        QCOMPARE(m_bench.runDevices().at(i)->otaState, int(OTA_UP_TO_DATE));
    }
    // The two woken boxes are switched off again; the others stay on.
    QTRY_COMPARE(m_bench.panel(3)->state(), SimulatedPanel::Off);
    QTRY_COMPARE(m_bench.panel(4)->state(), SimulatedPanel::Off);
    QCOMPARE(m_bench.panel(3)->receivedCount(VELK_REMOTE_CMD_POWER_OFF), 1);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(m_bench.panel(i)->receivedCount(VELK_REMOTE_CMD_POWER_OFF), 0);
        QVERIFY(m_bench.panel(i)->isConnected());
    }
    // The firmware was fetched once and is gone from the OTA folder.
    QCOMPARE(m_bench.http()->requestCount("/AudioBox/QML8_0005.bin"), 1);
    QCOMPARE(QDir(m_bench.manager()->getOtaFolder() + "AudioBox").entryList({"*.bin"}, QDir::Files), QStringList());
    QVERIFY(reports.count() > 0);
    QTest::qWait(300);
    QCOMPARE(finished.count(), 1);
    QVERIFY(!m_bench.manager()->isOtaRunning());
    QCOMPARE(m_bench.manager()->getCurrentOtaScheduleId(), 0xFFFFFFFFu);
}

void TestFirmwareManager::silentDevicesFailAndTheRunEnds()
{
    m_bench.serve("AudioBox/QML8_0005.bin", firmware());
    m_bench.serve("AudioBox/check4Update/update.cfg", updateConfig(m_bench.http()->url() + "/AudioBox/QML8_0005.bin"));
    QList<VelkIFPDevice> devices;
    for (int i = 0; i < 4; ++i)
        devices.append(m_bench.addDevice(i, "QML8", "8.0.0000.04"));
    QVERIFY(m_bench.connect({0, 1, 2, 3}));
    QVERIFY(m_bench.serverCheck());
    // 0 never answers the state check, 1 never reports its installation, 2 loses its connection between the file
    // and the start command, 3 is healthy.
    m_bench.panel(0)->setAnswerDropped(VELK_REMOTE_RSP_CHECK_OTA_STATE, true);
    m_bench.panel(1)->behaviour().otaResultScript = {{50, 40}};
    const QString lost = m_bench.panel(2)->mac();
    QMetaObject::Connection cut = connect(CmdServer::getInstance(), &CmdServer::transferFileComplete, this,
                                          [lost](const QString &mac, bool success, bool) {
                                              if (mac == lost && success)
                                                  CmdServer::getInstance()->disconnectDevice(mac);
                                          });
    QSignalSpy finished(m_bench.manager(), &IFPUpgradeManager::otaScheduleFinished);
    m_bench.manager()->startOta(m_bench.prepareRun(devices), m_bench.runDevices());
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, FirmwareTestBench::runCeilingMs()); // the silent ones are waited out
    disconnect(cut);

    const QHash<QString, VelkOtaScheduleReport> report = m_bench.report();
    QCOMPARE(report.value(devices.at(0).macAddress).status, int(UPDATE_FAILED));
    QCOMPARE(report.value(devices.at(1).macAddress).status, int(UPDATE_FAILED));
    QCOMPARE(report.value(devices.at(2).macAddress).status, int(UPDATE_FAILED));
    QCOMPARE(report.value(devices.at(3).macAddress).status, int(UPDATE_SUCCESSFULLY));
    QCOMPARE(m_bench.panel(0)->receivedCount(VELK_REMOTE_CMD_TRANSFER_FILE_START), 0);
    QCOMPARE(m_bench.panel(2)->receivedCount(VELK_REMOTE_CMD_START_OTA), 0);
    QVERIFY(m_bench.log()->contains("start command not sent, device offline: " + lost));
    QVERIFY(m_bench.log()->contains("otaResultTimeout: " + devices.at(1).macAddress));
    QTest::qWait(300);
    QCOMPARE(finished.count(), 1);
}

// Boxes whose cards report zeros are known by their address alone. Looked up by their (empty) MAC they were offline to
// every run: the run woke them with no MAC and waited the whole wake time-out for each, the ordinary box was updated
// that much later, and they ended Failed, out of date for good, their time-outs all keyed by one empty MAC. Two that
// are on are updated through their connections, each under a key of its own; one that is off cannot be woken and is
// not waited for: nothing is tried, so its row stays Not Started, nor is it logged as online.
void TestFirmwareManager::devicesKnownByTheirAddressAreUpdatedAndNeverWaitedFor()
{
    const QByteArray image = firmware();
    m_bench.serve("AudioBox/QML8_0005.bin", image);
    m_bench.serve("AudioBox/check4Update/update.cfg", updateConfig(m_bench.http()->url() + "/AudioBox/QML8_0005.bin"));
    OtaTimeouts timeouts = FirmwareTestBench::shortTimeouts();
    timeouts.wakeMs = 600000; // a run that waits for a wake-up does not end within this test's ceilings
    m_bench.manager()->setTimeouts(timeouts);
    const QList<VelkIFPDevice> devices = {
        m_bench.addDevice(0, "QML8", "8.0.0000.04"), m_bench.addDeviceByAddress(1, "QML8", "8.0.0000.04"),
        m_bench.addDeviceByAddress(2, "QML8", "8.0.0000.04"), m_bench.addDeviceByAddress(3, "QML8", "8.0.0000.04")};
    QVERIFY(m_bench.connect({0, 1, 2}));
    QVERIFY(m_bench.serverCheck());
    QCOMPARE(m_bench.manager()->getOldDevicesCount(), 4);

    QSignalSpy finished(m_bench.manager(), &IFPUpgradeManager::otaScheduleFinished);
    m_bench.manager()->startOta(m_bench.prepareRun(devices), m_bench.runDevices());
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, timeouts.installResultMs + QuorvinTryCeilingMs);

    const QHash<QString, VelkOtaScheduleReport> report = m_bench.reportByName();
    for (int i = 0; i < 3; ++i) {
        SimulatedPanel *box = m_bench.panel(i);
        QCOMPARE(report.value(devices.at(i).deviceName).status, int(UPDATE_SUCCESSFULLY));
        QCOMPARE(report.value(devices.at(i).deviceName).fwVersion, QStringLiteral("8.0.0000.05"));
        QCOMPARE(box->receivedFiles().size(), 1);
        QCOMPARE(box->receivedFiles().at(0).sha256, FirmwareTestBench::sha256(image));
        QCOMPARE(box->receivedCount(VELK_REMOTE_CMD_START_OTA), 1);
    }
    QCOMPARE(report.value(devices.at(3).deviceName).status, int(UPDATE_NOT_STARTED));
    QCOMPARE(m_bench.panel(3)->state(), SimulatedPanel::Off);
    QVERIFY(m_bench.log()->contains(devices.at(3).deviceName + " is off and known by its address alone"));
    // The one off is not counted among those on.
    QCOMPARE(m_bench.log()->count("sendCheckOtaState, online devices: 3"), 1);
    QVERIFY(!m_bench.log()->contains("invalid mac"));
    QVERIFY(!m_bench.log()->contains("deviceWokenTimeout"));
    // Each timer had a key of its own: both boxes' state answers and results were taken.
    for (int i = 1; i < 3; ++i) {
        const QString key = QStringLiteral("did:%1").arg(devices.at(i).did);
        QVERIFY(m_bench.log()->contains("checkOtaStateResult, deviceMacAddress: " + key));
    }
    // Nothing of the run waits any more, and nothing is powered off: no box was woken.
    QTest::qWait(300);
    QCOMPARE(finished.count(), 1);
    QVERIFY(!m_bench.manager()->isOtaRunning());
    for (int i = 0; i < 3; ++i)
        QCOMPARE(m_bench.panel(i)->receivedCount(VELK_REMOTE_CMD_POWER_OFF), 0);
}

void TestFirmwareManager::fileGoesOnlyToAPanelOfItsModel_data()
{
    QTest::addColumn<QString>("model"); // what the box at the address of the QML8 record known by its address reports
    QTest::newRow("a box of the record's model") << "QML8";
    // The box was replaced by one of another model, or DHCP swapped the two: the record still says QML8.
    QTest::newRow("a box of another model") << "QMR8";
}

// A box known by its address alone was replaced at its address by a box of another model, and its record kept the old
// model: the run sent the QML8 firmware to the QMR8 box, and its row ended Successfully at the version of a file it
// was never meant to run. The family's file goes only to a panel of its model: the other box gets nothing and its row
// ends Failed at the version it runs, while a box of the record's own model is updated as before.
void TestFirmwareManager::fileGoesOnlyToAPanelOfItsModel()
{
    QFETCH(QString, model);
    const bool own = model == "QML8";
    m_bench.serve("AudioBox/QML8_0005.bin", firmware());
    m_bench.serve("AudioBox/check4Update/update.cfg", updateConfig(m_bench.http()->url() + "/AudioBox/QML8_0005.bin"));
    const VelkIFPDevice box = m_bench.addDeviceByAddress(0, "QML8", "8.0.0000.04");
    SimulatedPanel *panel = m_bench.panel(0);
    PanelIdentity identity = panel->identity();
    identity.model = model;
    identity.fwVersion = own ? "8.0.0000.04" : "8.0.0000.07";
    panel->setIdentity(identity);
    QVERIFY(m_bench.connect({0}));
    QVERIFY(m_bench.serverCheck());

    QSignalSpy finished(m_bench.manager(), &IFPUpgradeManager::otaScheduleFinished);
    m_bench.manager()->startOta(m_bench.prepareRun({box}), m_bench.runDevices());
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, FirmwareTestBench::runCeilingMs());
    const VelkOtaScheduleReport row = m_bench.reportByName().value(box.deviceName);
    QCOMPARE(row.status, int(own ? UPDATE_SUCCESSFULLY : UPDATE_FAILED));
    QCOMPARE(row.fwVersion, QString(own ? "8.0.0000.05" : "8.0.0000.07"));
    QCOMPARE(panel->receivedFiles().size(), own ? 1 : 0);
    QCOMPARE(panel->receivedCount(VELK_REMOTE_CMD_START_OTA), own ? 1 : 0);
    QCOMPARE(m_bench.log()->contains("reports model QMR8, firmware 8.0.0000.07, not the QML8 of its record"), !own);
}

void TestFirmwareManager::panelBackFromItsUpdateReportingZerosIsServed_data()
{
    QTest::addColumn<bool>("learned");    // the record's MAC was learned at its address, not entered with it
    QTest::addColumn<QString>("version"); // the box comes back at
    QTest::addColumn<QString>("when");    // it comes back: while the run waits for it, once cancelled, once ended
    QTest::addColumn<int>("status");      // of its row; -1: not looked at
    QTest::addColumn<int>("readKiBps");   // > 0: a 6 MiB file, read this fast through a 64 KiB receive buffer
    QTest::newRow("MAC entered, back at the new version") << false << "8.0.0000.05"
                                                          << "waiting" << int(UPDATE_SUCCESSFULLY) << 0;
    // Restarting after its progress report, its result never sent.
    QTest::newRow("result lost, back at the new version") << false << "8.0.0000.05"
                                                          << "waiting, result lost" << int(UPDATE_SUCCESSFULLY) << 0;
    QTest::newRow("MAC learned at its address, back at the new version") << true << "8.0.0000.05"
                                                                         << "waiting" << int(UPDATE_SUCCESSFULLY) << 0;
    QTest::newRow("rolled back to the old version") << false << "8.0.0000.04"
                                                    << "waiting" << int(UPDATE_FAILED) << 0;
    QTest::newRow("after the run was cancelled") << false << "8.0.0000.05"
                                                 << "cancelled" << -1 << 0;
    QTest::newRow("after the run ended without it") << false << "8.0.0000.05"
                                                    << "ended" << int(UPDATE_FAILED) << 0;
    QTest::newRow("6 MiB read at 80 KiB/s, back at the new version") << false << "8.0.0000.05"
                                                                     << "waiting" << int(UPDATE_SUCCESSFULLY) << 80;
}

// A box known by its MAC restarts into its new firmware with a card that reports zeros (some do at some boots, a new
// firmware may not let the MAC be read). While the run waited for it, every try was refused: its SOS was lost, the run
// ended Failed at the old version, and the wait outlived a run cancelled or ended meanwhile. It is served at its first
// try, its SOS answered, and the run judges it by the version it reports. A box behind a slow link got no chunk for
// longer than the run's wait while it read (the console's socket takes more only once a third of its megabytes of send
// buffer drained), and failed: it takes the file on the one connection.
void TestFirmwareManager::panelBackFromItsUpdateReportingZerosIsServed()
{
    QFETCH(bool, learned);
    QFETCH(QString, version);
    QFETCH(QString, when);
    QFETCH(int, status);
    QFETCH(int, readKiBps);
    const QByteArray image =
        readKiBps > 0 ? SimulatedFirmware::make(6 * 1024 * 1024, "8.0.0000.05", QString(), 5) : firmware();
    m_bench.serve("AudioBox/QML8_0005.bin", image);
    m_bench.serve("AudioBox/check4Update/update.cfg", updateConfig(m_bench.http()->url() + "/AudioBox/QML8_0005.bin"));
    OtaTimeouts timeouts = FirmwareTestBench::shortTimeouts();
    timeouts.wakeMs = when == "ended" ? 1000 : 600000; // the run's wait for its return
    m_bench.manager()->setTimeouts(timeouts);
    VelkIFPDevice box = m_bench.addDevice(0, "QML8", "8.0.0000.04");
    SimulatedPanel *panel = m_bench.panel(0);
    const PanelIdentityRestore identity{panel, panel->identity()};
    const PanelSettingsRestore settings{panel, panel->settings()};
    if (readKiBps > 0) {
        panel->behaviour().linkBytesPerSecond = readKiBps * 1024;
        panel->behaviour().receiveBufferBytes = 64 * 1024;
        panel->behaviour().keepFiles = false;
    }
    if (learned) {
        box.macAddress.clear();
        QCOMPARE(OrvantaDBManager::getInstance()->updateIFPDeviceById(box), quint32(DB_OK));
        QList<VelkIFPDevice> all;
        OrvantaDBManager::getInstance()->queryAllAvailableIFP(all);
        CmdServer::getInstance()->setManagedDevices(all);
    }
    QVERIFY(m_bench.connect({0}));
    QTRY_COMPARE(storedDevice(box.deviceName).learnedMac, learned ? panel->mac() : QString());
    box = storedDevice(box.deviceName);
    QVERIFY(m_bench.serverCheck());
    panel->behaviour().rebootAfterOta = true;
    panel->behaviour().afterOtaVersion = version;
    panel->behaviour().restartBeforeResult = when.endsWith("result lost");
    if (!when.startsWith("waiting")) {
        PanelSettings away = panel->settings();
        away.rebootDelayMs = 600000; // back when the test starts it
        panel->setSettings(away);
    }
    QObject watch;
    bool restarted = false;
    int droppedBefore = 0; // connections lost before its restart
    connect(panel, &SimulatedPanel::rebooting, &watch, [panel, &restarted] {
        restarted = true;
        PanelIdentity zeros = panel->identity();
        zeros.mac = QStringLiteral("00:00:00:00:00:00");
        panel->setIdentity(zeros);
    });
    connect(panel, &SimulatedPanel::disconnected, &watch, [&] { droppedBefore += restarted ? 0 : 1; });
    QSignalSpy refused(panel, &SimulatedPanel::rejected);
    QSignalSpy acknowledged(panel, &SimulatedPanel::sosAcknowledged);
    QSignalSpy finished(m_bench.manager(), &IFPUpgradeManager::otaScheduleFinished);
    m_bench.manager()->startOta(m_bench.prepareRun({box}), m_bench.runDevices());
    // The file at its pace, and the kernel's buffers on both ends again as long.
    const int transferMs = readKiBps > 0 ? int(image.size() / (readKiBps * 1024) * 2000) : 0;
    const QString cut = QStringLiteral("IFPUpgradeManager::transferFileTimeout");
    QTRY_VERIFY_WITH_TIMEOUT(panel->receivedCount(VELK_REMOTE_CMD_START_OTA) == 1 || m_bench.log()->contains(cut),
                             transferMs + QuorvinTryCeilingMs);
    QVERIFY2(!m_bench.log()->contains(cut), "cut off while it read");
    QCOMPARE(droppedBefore, 0);
    QCOMPARE(panel->receivedFiles().size(), 1);
    QCOMPARE(panel->receivedFiles().at(0).sha256, FirmwareTestBench::sha256(image));
    const QString away = when.endsWith("result lost") ? "connection dropped while installing, its result still awaited"
                                                      : "restarting after its last step, waiting for it";
    QTRY_VERIFY(m_bench.log()->contains(away + ": " + box.macAddress));
    if (when == "cancelled") {
        m_bench.manager()->cancelOta();
        panel->start();
    } else if (when == "ended") {
        QTRY_COMPARE(finished.count(), 1);
        panel->start();
    }
    QTRY_VERIFY(panel->isConnected());
    QCOMPARE(refused.count(), 0);
    panel->raiseSos();
    QTRY_COMPARE(acknowledged.count(), 1);
    QCOMPARE(panel->fwVersion(), version);
    if (when.startsWith("waiting"))
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, FirmwareTestBench::runCeilingMs());
    const VelkOtaScheduleReport row = m_bench.reportByName().value(box.deviceName);
    if (status >= 0) {
        QCOMPARE(row.status, status);
        QCOMPARE(row.fwVersion, QString(when == "ended" ? "8.0.0000.04" : version));
    }
    QTRY_COMPARE(storedDevice(box.deviceName).fwVersion, version);
}

// After a run, each box that ended Successfully is watched for the wake time-out. One that went away and never came
// back within it was logged as having "kept what it installed through the wake time-out", though nothing was seen of
// it; so would one whose watch a console started again takes up from its row. Each is logged as not seen and keeps the
// row its run gave it; one that stayed connected kept what it installed. The rows keep no wait once it is over.
void TestFirmwareManager::devicesNotSeenAfterTheirRunAreLoggedSo()
{
    m_bench.serve("AudioBox/QML8_0005.bin", firmware());
    m_bench.serve("AudioBox/check4Update/update.cfg", updateConfig(m_bench.http()->url() + "/AudioBox/QML8_0005.bin"));
    OtaTimeouts timeouts = FirmwareTestBench::shortTimeouts();
    timeouts.wakeMs = 4000;
    m_bench.manager()->setTimeouts(timeouts);
    const QList<VelkIFPDevice> devices = {m_bench.addDevice(0, "QML8", "8.0.0000.04"),
                                          m_bench.addDevice(1, "QML8", "8.0.0000.04")};
    QVERIFY(m_bench.connect({0, 1}));
    QVERIFY(m_bench.serverCheck());
    QSignalSpy finished(m_bench.manager(), &IFPUpgradeManager::otaScheduleFinished);
    VelkOtaSchedule *schedule = m_bench.prepareRun(devices);
    m_bench.manager()->startOta(schedule, m_bench.runDevices());
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, FirmwareTestBench::runCeilingMs());
    m_bench.panel(1)->shutDown();

    const QString gone = "not seen within the wake time-out after its run, not judged: " + devices.at(1).deviceName;
    const QString kept = "kept what it installed through the wake time-out: ";
    QTRY_VERIFY(m_bench.log()->contains(gone));
    QTRY_VERIFY(m_bench.log()->contains(kept + devices.at(0).macAddress));
    QVERIFY(!m_bench.log()->contains(kept + devices.at(1).macAddress));
    const auto rows = [&] { return m_bench.reportByName(); };
    for (const VelkIFPDevice &device : devices) {
        QCOMPARE(rows().value(device.deviceName).status, int(UPDATE_SUCCESSFULLY));
        QTRY_COMPARE(rows().value(device.deviceName).watchUntil, QString());
    }

    // What a console that ended within the wait left in a row is taken up by the next; the box never comes.
    const QString until = m_bench.clock()->now().addSecs(60).toUTC().toString(Qt::ISODateWithMs);
    QCOMPARE(OrvantaDBManager::getInstance()->updateOtaScheduleReportWatch(schedule->osid, devices.at(1).did, until),
             quint32(DB_OK));
    m_bench.manager()->takeUpStoredWatches();
    QTRY_COMPARE(m_bench.log()->count(gone), 2);
    QVERIFY(!m_bench.log()->contains(kept + devices.at(1).macAddress));
    QCOMPARE(rows().value(devices.at(1).deviceName).status, int(UPDATE_SUCCESSFULLY));
    QCOMPARE(rows().value(devices.at(1).deviceName).watchUntil, QString());
}

QString TestFirmwareManager::watchedBox(VelkIFPDevice *box)
{
    *box = m_bench.addDevice(0, "QML8", "8.0.0000.05");
    const VelkOtaSchedule *schedule = m_bench.prepareRun({*box});
    if (!schedule)
        return QStringLiteral("the run was not prepared");
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    VelkOtaSchedule run = *schedule;
    if (db->updateOtaScheduleReport(*box, run, UPDATE_SUCCESSFULLY) != DB_OK ||
        db->updateOtaScheduleReportWatch(
            run.osid, box->did, m_bench.clock()->now().addSecs(240).toUTC().toString(Qt::ISODateWithMs)) != DB_OK)
        return QStringLiteral("the watched row was not written");
    // Connected at the version it installed: the connection of the case before may not be gone yet.
    const QString version = box->fwVersion;
    if (!m_bench.connect({0}) || !QTest::qWaitFor(
                                     [&] {
                                         const DeviceChannel *channel = m_bench.channelOf(0);
                                         return channel && channel->getFwVersion() == version;
                                     },
                                     QuorvinTryCeilingMs))
        return QStringLiteral("the box did not connect");
    return QString();
}

// A console starts while another program holds the database exclusively (a VACUUM, an SQLite browser saving a large
// change): the waits its report rows keep could not be read, and nothing was watched, so a box that then came back at
// its old version stayed Successfully. They are read again once the hold is over, and the box is judged.
void TestFirmwareManager::storedWatchesAreReadAgainAfterAHold()
{
    VelkIFPDevice box;
    const QString setUp = watchedBox(&box);
    QVERIFY2(setUp.isEmpty(), qPrintable(setUp));
    const ShortDatabaseWaits waits(50);
    {
        DatabaseHold hold(waits.db()->databaseFilePath(), DatabaseHold::Exclusive);
        QVERIFY2(hold.isHeld(), qPrintable(hold.error()));
        m_bench.manager()->takeUpStoredWatches();
        QTRY_VERIFY(m_bench.log()->contains(QStringLiteral("watched report rows cannot be read for now")));
        QVERIFY(!m_bench.log()->contains(QStringLiteral("watched on after its run")));
    }
    QTRY_VERIFY(m_bench.log()->contains(QStringLiteral("watched on after its run")));

    PanelIdentity identity = m_bench.panel(0)->identity();
    identity.fwVersion = QStringLiteral("8.0.0000.04");
    m_bench.panel(0)->setIdentity(identity);
    m_bench.panel(0)->abort();
    QTRY_COMPARE(m_bench.reportByName().value(box.deviceName).status, int(UPDATE_FAILED));
    QCOMPARE(m_bench.reportByName().value(box.deviceName).fwVersion, QStringLiteral("8.0.0000.04"));
    QCOMPARE(m_bench.log()->count(QStringLiteral("watched report rows cannot be read for now")), 1);
}

// A watched box comes and goes twenty times while another program holds the database: each going and each return
// wrote the row's wait, and forty held writes waited for the hold's end. The wait a later one sets replaces the one
// still held: one write is held, and the row ends with the last wait.
void TestFirmwareManager::reconnectsDuringAHoldLeaveOneWaitWrite()
{
    VelkIFPDevice box;
    const QString setUp = watchedBox(&box);
    QVERIFY2(setUp.isEmpty(), qPrintable(setUp));
    m_bench.manager()->takeUpStoredWatches();
    QTRY_VERIFY(m_bench.log()->contains(QStringLiteral("watched on after its run")));
    const ShortDatabaseWaits waits(50);
    std::unique_ptr<DatabaseHold> hold(new DatabaseHold(waits.db()->databaseFilePath(), DatabaseHold::Writer));
    QVERIFY2(hold->isHeld(), qPrintable(hold->error()));
    const QString back = QStringLiteral("back at 8.0.0000.05 after its run: ");
    for (int i = 1; i <= 20; ++i) {
        m_bench.clock()->setNow(m_bench.clock()->now().addSecs(1));
        m_bench.panel(0)->abort();
        QTRY_COMPARE(m_bench.log()->count(back), i);
    }
    // The wait's one write, and at most one of the box's own record written back.
    QVERIFY2(waits.db()->heldWrites()->count() <= 2, qPrintable(QString::number(waits.db()->heldWrites()->count())));
    const QString last =
        m_bench.clock()->now().addMSecs(m_bench.manager()->timeouts().wakeMs).toUTC().toString(Qt::ISODateWithMs);
    hold.reset();
    QTRY_VERIFY(waits.db()->heldWrites()->isEmpty());
    QCOMPARE(m_bench.reportByName().value(box.deviceName).watchUntil, last);
    QCOMPARE(m_bench.reportByName().value(box.deviceName).status, int(UPDATE_SUCCESSFULLY));
}

void TestFirmwareManager::missingFirmwareFailsEveryBoxOfTheRun()
{
    // The configuration names a file the server does not have: the download fails three times, and every box of
    // the run (the batch and the one waiting for a place) must end Failed, none left "Updating", the run ending once.
    m_bench.serve("AudioBox/check4Update/update.cfg", updateConfig(m_bench.http()->url() + "/AudioBox/gone.bin"));
    QList<VelkIFPDevice> devices;
    for (int i = 0; i < 4; ++i)
        devices.append(m_bench.addDevice(i, "QML8", "8.0.0000.04"));
    QVERIFY(m_bench.connect({0, 1, 2, 3}));
    QVERIFY(m_bench.serverCheck());
    QSignalSpy finished(m_bench.manager(), &IFPUpgradeManager::otaScheduleFinished);
    m_bench.manager()->startOta(m_bench.prepareRun(devices), m_bench.runDevices());
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, FirmwareTestBench::runCeilingMs());

    QCOMPARE(m_bench.http()->requestCount("/AudioBox/gone.bin"), 3);
    const QHash<QString, VelkOtaScheduleReport> report = m_bench.report();
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(report.value(devices.at(i).macAddress).status, int(UPDATE_FAILED));
        QCOMPARE(m_bench.runDevices().at(i)->otaState, int(OTA_FAILED));
        QCOMPARE(m_bench.panel(i)->receivedCount(VELK_REMOTE_CMD_TRANSFER_FILE_START), 0);
    }
    QVERIFY(!QFile::exists(m_bench.manager()->getOtaFolder() + "AudioBox/gone.bin"));
    QTest::qWait(300);
    QCOMPARE(finished.count(), 1);
    QVERIFY(!m_bench.manager()->isOtaRunning());
}

void TestFirmwareManager::cancelLeavesInstallingDevicesOn()
{
    m_bench.serve("AudioBox/QML8_0005.bin", firmware());
    m_bench.serve("AudioBox/check4Update/update.cfg", updateConfig(m_bench.http()->url() + "/AudioBox/QML8_0005.bin"));
    QList<VelkIFPDevice> devices = {m_bench.addDevice(0, "QML8", "8.0.0000.04"),
                                    m_bench.addDevice(1, "QML8", "8.0.0000.04")};
    QVERIFY(m_bench.serverCheck());
    // Both are off and get woken; 0 installs for a long time, 1 cannot take an update.
    m_bench.panel(0)->behaviour().otaResultScript = {{50, 30}};
    m_bench.panel(1)->behaviour().otaStateAnswer = -1;
    QSignalSpy finished(m_bench.manager(), &IFPUpgradeManager::otaScheduleFinished);
    m_bench.manager()->startOta(m_bench.prepareRun(devices), m_bench.runDevices());
    QTRY_COMPARE(m_bench.panel(0)->receivedCount(VELK_REMOTE_CMD_START_OTA), 1);
    QCOMPARE(m_bench.runDevices().at(0)->otaState, int(OTA_INSTALLING));

    m_bench.manager()->cancelOta();
    QVERIFY(!m_bench.manager()->isOtaRunning());
    QCOMPARE(m_bench.manager()->getCurrentOtaScheduleId(), 0xFFFFFFFFu);
    QTRY_COMPARE(m_bench.panel(1)->state(), SimulatedPanel::Off);
    QTest::qWait(300);
    QCOMPARE(m_bench.panel(0)->receivedCount(VELK_REMOTE_CMD_POWER_OFF), 0);
    QVERIFY(m_bench.panel(0)->isConnected());
    QCOMPARE(finished.count(), 0);
    // What still arrives for the cancelled run changes nothing.
    m_bench.panel(0)->sendFrame(VELK_REMOTE_RSP_OTA_RESULT, FrameCodec::int32Payload(0));
    QTRY_VERIFY(m_bench.log()->contains("IFPUpgradeManager::otaResult, ota cancelled"));
    QCOMPARE(m_bench.report().value(devices.at(0).macAddress).status, int(UPDATE_UPDATING));
}

void TestFirmwareManager::endOfRunLeavesUnansweredInstallationsOn()
{
    m_bench.serve("AudioBox/QML8_0005.bin", firmware());
    m_bench.serve("AudioBox/check4Update/update.cfg", updateConfig(m_bench.http()->url() + "/AudioBox/QML8_0005.bin"));
    QList<VelkIFPDevice> devices;
    for (int i = 0; i < 3; ++i)
        devices.append(m_bench.addDevice(i, "QML8", "8.0.0000.04"));
    QVERIFY(m_bench.serverCheck());
    // All three are off and get woken. 0 reports progress and then nothing (its result times out: it may still be
    // writing its firmware), 1 succeeds, 2 reports a failed installation.
    m_bench.panel(0)->behaviour().otaResultScript = {{50, 40}};
    m_bench.panel(2)->behaviour().otaResultScript = {{50, -1}};
    QSignalSpy finished(m_bench.manager(), &IFPUpgradeManager::otaScheduleFinished);
    m_bench.manager()->startOta(m_bench.prepareRun(devices), m_bench.runDevices());
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, FirmwareTestBench::runCeilingMs());

    const QHash<QString, VelkOtaScheduleReport> report = m_bench.report();
    QCOMPARE(report.value(devices.at(0).macAddress).status, int(UPDATE_FAILED));
    QCOMPARE(report.value(devices.at(1).macAddress).status, int(UPDATE_SUCCESSFULLY));
    QCOMPARE(report.value(devices.at(2).macAddress).status, int(UPDATE_FAILED));
    // Those that answered go off again; the one that may still be installing stays on.
    QTRY_COMPARE(m_bench.panel(1)->state(), SimulatedPanel::Off);
    QTRY_COMPARE(m_bench.panel(2)->state(), SimulatedPanel::Off);
    QTest::qWait(300);
    QCOMPARE(m_bench.panel(0)->receivedCount(VELK_REMOTE_CMD_POWER_OFF), 0);
    QVERIFY(m_bench.panel(0)->isConnected());
    QVERIFY(m_bench.log()->contains("may still be installing, left on: " + devices.at(0).macAddress));
}

void TestFirmwareManager::wokenBoxRestartingAfterItsUpdateIsPoweredOff_data()
{
    QTest::addColumn<QString>("installing"); // what box 0 does while it installs, before its result
    QTest::newRow("result, then a restart") << QString();
    // Its link closes 0.5 s after its START and it connects again at once at its old version, installing on; its
    // result comes 3 s after the START.
    QTest::newRow("link closed, back at its old version, result later") << "link closed";
    // An agent blocked while it writes its image answers no keep-alive for 6 s: the console closes the connection as
    // idle, and the box connects again at its old version, installing on; its result comes 6.5 s after the START,
    // within its 8 s result wait.
    QTest::newRow("closed as idle by the console, back at its old version, result later") << "silent";
}

void TestFirmwareManager::wokenBoxRestartingAfterItsUpdateIsPoweredOff()
{
    QFETCH(QString, installing);
    m_bench.serve("AudioBox/QML8_0005.bin", firmware());
    m_bench.serve("AudioBox/check4Update/update.cfg", updateConfig(m_bench.http()->url() + "/AudioBox/QML8_0005.bin"));
    const QList<VelkIFPDevice> devices = {m_bench.addDevice(0, "QML8", "8.0.0000.04"),
                                          m_bench.addDevice(1, "QML8", "8.0.0000.04")};
    // The connections' keep-alive counts on this clock, moved below past the idle time of a silent box.
    ManualClock linkClock(QDateTime(QDate(2031, 3, 3), QTime(9, 0)));
    struct ClockRestore
    {
        ~ClockRestore() { CmdServer::getInstance()->setClock(Clock::system()); }
    } restoreClock;
    CmdServer::getInstance()->setClock(&linkClock);
    // Box 0 is off and gets woken; it restarts after its update and takes 1.5 s to be back. Box 1 is on and ends its
    // installation before box 0 is back.
    SimulatedPanel *woken = m_bench.panel(0);
    const PanelSettings settings = woken->settings();
    const PanelSettingsRestore restore{woken, settings};
    PanelSettings slow = settings;
    slow.rebootDelayMs = 1500;
    woken->setSettings(slow);
    woken->behaviour().rebootAfterOta = true;
    if (!installing.isEmpty()) {
        woken->behaviour().installThroughDrops = true;
        woken->behaviour().otaResultScript = {{300, 50}, {2700, 0}};
        woken->behaviour().dropWhileInstallingMs = installing == "link closed" ? 500 : -1;
    }
    if (installing == "silent") {
        woken->behaviour().silentInstallMs = 6000;
        woken->behaviour().otaResultScript = {{6500, 0}};
    }
    m_bench.panel(1)->behaviour().otaResultScript = {{50, 50}, {500, 0}};
    QVERIFY(m_bench.connect({1}));
    QVERIFY(m_bench.serverCheck());
    QSignalSpy finished(m_bench.manager(), &IFPUpgradeManager::otaScheduleFinished);
    bool backAtEnd = false;
    bool resultSent = false;
    bool offBeforeResult = false;
    QObject watch;
    connect(m_bench.manager(), &IFPUpgradeManager::otaScheduleFinished, &watch,
            [&] { backAtEnd = CmdServer::getInstance()->isDeviceOnline(devices.at(0)); });
    connect(woken, &SimulatedPanel::otaFinished, &watch, [&] { resultSent = true; });
    connect(woken, &SimulatedPanel::frameReceived, &watch, [&](quint16 code) {
        offBeforeResult = offBeforeResult || (code == VELK_REMOTE_CMD_POWER_OFF && !resultSent);
    });
    m_bench.manager()->startOta(m_bench.prepareRun(devices), m_bench.runDevices());
    if (installing == "silent") {
        // Twenty seconds at a time, so box 1 answers every keep-alive and only the silent box is closed as idle.
        QTRY_COMPARE(woken->receivedCount(VELK_REMOTE_CMD_START_OTA), 1);
        QSignalSpy closed(woken, &SimulatedPanel::disconnected);
        SimulatedPanel *answering = m_bench.panel(1);
        for (int i = 0; i < 10 && closed.isEmpty(); ++i) {
            linkClock.advance(20000);
            // Box 1's answer to each keep-alive read before the clock moves on, however busy the PC.
            QTRY_VERIFY(answering->sentCount(VELK_REMOTE_RSP_HEARTBEAT) ==
                        answering->receivedCount(VELK_REMOTE_CMD_HEARTBEAT));
            QTest::qWait(100);
        }
        QVERIFY(!closed.isEmpty());
        QVERIFY(!resultSent);
        QVERIFY(m_bench.log()->contains("DeviceChannel: idle timeout"));
    }
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 30000);

    QVERIFY(backAtEnd);
    QVERIFY2(!offBeforeResult, "powered off while it installed");
    const QHash<QString, VelkOtaScheduleReport> report = m_bench.report();
    for (const VelkIFPDevice &device : devices) {
        QCOMPARE(report.value(device.macAddress).status, int(UPDATE_SUCCESSFULLY));
        QCOMPARE(report.value(device.macAddress).fwVersion, QStringLiteral("8.0.0000.05"));
    }
    // Back at its new version before the end, so the end powers it off; the box that was on stays on.
    QTRY_COMPARE(woken->state(), SimulatedPanel::Off);
    QCOMPARE(woken->receivedCount(VELK_REMOTE_CMD_POWER_OFF), 1);
    QCOMPARE(woken->fwVersion(), QStringLiteral("8.0.0000.05"));
    QVERIFY(m_bench.log()->contains("restarting after its last step, waiting for it: " + devices.at(0).macAddress));
    QTest::qWait(300);
    QCOMPARE(m_bench.panel(1)->receivedCount(VELK_REMOTE_CMD_POWER_OFF), 0);
    QVERIFY(m_bench.panel(1)->isConnected());
    QCOMPARE(finished.count(), 1);
}

void TestFirmwareManager::remindersFollowSkipsAndNewVersions()
{
    m_bench.serve("AudioBox/check4Update/update.cfg", updateConfig(m_bench.http()->url() + "/AudioBox/QML8_0005.bin"));
    m_bench.addDevice(0, "QML8", "8.0.0000.04");
    m_bench.addDevice(1, "QMR8", "8.0.0000.04");
    m_bench.addDevice(2, "QML8_SOS", "8.0.0000.05"); // up to date: never named
    IFPUpgradeManager *manager = m_bench.manager();
    QSignalSpy bar(manager, &IFPUpgradeManager::showUpgradeNotification);
    QSignalSpy button(manager, &IFPUpgradeManager::showUpgradeNotificationTopButton);

    QVERIFY(m_bench.serverCheck());
    QCOMPARE(bar.count(), 1);
    QVERIFY(bar.last().at(0).toBool());
    const QString title = bar.last().at(1).toString();
    QVERIFY2(title == "Update Available for QML8 & QMR8" || title == "Update Available for QMR8 & QML8",
             qPrintable(title));
    QVERIFY(button.last().at(0).toBool());
    QList<VelkOtaReminder> rows;
    OrvantaDBManager::getInstance()->queryAllOtaReminder(rows);
    QCOMPARE(rows.size(), 2);

    // Skip, then "Remind Me Later" brings the next check 15 minutes on: out of date still, but nothing named.
    manager->upgradeNotificationSkip();
    m_bench.log()->clear();
    manager->upgradeNotificationRemind();
    m_bench.clock()->advance(14 * 60 * 1000);
    QVERIFY(!m_bench.log()->contains("checkOtaVersionForNotification"));
    m_bench.clock()->advance(60 * 1000);
    QVERIFY(m_bench.log()->contains("checkOtaVersionForNotification"));
    QTRY_COMPARE(bar.count(), 2);
    QVERIFY(!bar.last().at(0).toBool());
    QVERIFY(button.last().at(0).toBool());

    // A newer QML8 version names QML8 again, and QML8 alone.
    m_bench.serve("AudioBox/check4Update/update.cfg",
                  updateConfig(m_bench.http()->url() + "/AudioBox/QML8_0006.bin", "8.0.0000.06"));
    QVERIFY(m_bench.serverCheck());
    QCOMPARE(bar.count(), 3);
    QVERIFY(bar.last().at(0).toBool());
    QCOMPARE(bar.last().at(1).toString(), QStringLiteral("Update Available for QML8"));

    // The daily check comes by itself.
    m_bench.log()->clear();
    m_bench.clock()->advance(24LL * 3600 * 1000);
    QVERIFY(m_bench.log()->contains("checkOtaVersionForNotification"));
    QTRY_COMPARE(bar.count(), 4);
}

void TestFirmwareManager::skipStandsWhileTheDatabaseIsHeld_data()
{
    addHoldKindRows();
}

// The reminder names QML8; another program then holds the database while the daily check runs again and the operator
// presses "Skip This Version". The skip was lost: it was held against the ids of rows that the check's held rewrite
// replaced, or, with reads refused too, it read nothing to skip (and the check had hidden the reminder it could not
// read). The check leaves the reminder as it is, the skip lands after the rows it refers to, and the next check names
// nothing.
void TestFirmwareManager::skipStandsWhileTheDatabaseIsHeld()
{
    QFETCH(int, kind);
    m_bench.serve("AudioBox/check4Update/update.cfg", updateConfig(m_bench.http()->url() + "/AudioBox/QML8_0005.bin"));
    m_bench.addDevice(0, "QML8", "8.0.0000.04");
    IFPUpgradeManager *manager = m_bench.manager();
    QSignalSpy bar(manager, &IFPUpgradeManager::showUpgradeNotification);
    QVERIFY(m_bench.serverCheck());
    QVERIFY(bar.count() >= 1 && bar.last().at(0).toBool());
    QCOMPARE(bar.last().at(1).toString(), QStringLiteral("Update Available for QML8"));

    const ShortDatabaseWaits waits(50);
    {
        DatabaseHold hold(waits.db()->databaseFilePath(), DatabaseHold::Kind(kind));
        QVERIFY2(hold.isHeld(), qPrintable(hold.error()));
        QVERIFY(m_bench.serverCheck());
        QVERIFY(bar.last().at(0).toBool());
        manager->upgradeNotificationSkip();
    }
    QTRY_VERIFY(waits.db()->heldWrites()->isEmpty());
    QList<VelkOtaReminder> rows;
    QCOMPARE(OrvantaDBManager::getInstance()->queryAllOtaReminder(rows), DB_OK);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.at(0).deviceModelName, QStringLiteral("QML8"));
    QCOMPARE(rows.at(0).isFwVersionSkipped, 1);

    const int shown = bar.count();
    QVERIFY(m_bench.serverCheck());
    QTRY_COMPARE(bar.count(), shown + 1);
    QVERIFY(!bar.last().at(0).toBool());
}

// "Remind Me Later" and the daily check are spans from when they were set: a clock set back does not stretch them.
void TestFirmwareManager::clockSetBackKeepsTheCheckSpans()
{
    const QString check = QStringLiteral("checkOtaVersionForNotification");
    const QString ended = QStringLiteral("check of case 1 ended");
    m_bench.serve("AudioBox/check4Update/update.cfg", updateConfig(m_bench.http()->url() + "/AudioBox/QML8_0005.bin"));
    m_bench.addDevice(0, "QML8", "8.0.0000.04");
    ManualClock *clock = m_bench.clock();
    m_bench.manager()->upgradeNotificationRemind();
    m_bench.log()->clear();
    clock->stepTo(clock->now().addDays(-1));
    clock->advance(14 * 60 * 1000);
    QVERIFY(!m_bench.log()->contains(check));
    clock->advance(60 * 1000);
    QVERIFY(m_bench.log()->contains(check));
    QTRY_VERIFY_WITH_TIMEOUT(m_bench.log()->contains(ended), m_bench.checkCeilingMs());

    m_bench.log()->clear();
    clock->stepTo(clock->now().addDays(-7));
    clock->advance(24LL * 3600 * 1000 - 60 * 1000);
    QVERIFY(!m_bench.log()->contains(check));
    clock->advance(60 * 1000);
    QVERIFY(m_bench.log()->contains(check));
    QTRY_VERIFY_WITH_TIMEOUT(m_bench.log()->contains(ended), m_bench.checkCeilingMs());
}

void TestFirmwareManager::stalledServerCheckEndsAsFailed()
{
    m_bench.serve("AudioBox/check4Update/update.cfg", updateConfig(m_bench.http()->url() + "/AudioBox/QML8_0005.bin"));
    m_bench.http()->setBehaviour("/AudioBox/check4Update/update.cfg", LocalHttpServer::Behaviour::stall(5));
    m_bench.addDevice(0, "QML8", "8.0.0000.04");
    OtaTimeouts timeouts = FirmwareTestBench::shortTimeouts();
    timeouts.downloadStallMs = 60000; // a server that keeps the connection but sends nothing more
    timeouts.serverCheckMs = 800;
    m_bench.manager()->setTimeouts(timeouts);
    QVERIFY(m_bench.serverCheck());
    QVERIFY(m_bench.log()->contains("serverCheckExpired"));
    QCOMPARE(m_bench.manager()->getOldDevicesCount(), -1);

    // The manager is free again: the next request is taken and answered.
    QSignalSpy checked(m_bench.manager(), &IFPUpgradeManager::otaVersionChecked);
    QVERIFY(m_bench.manager()->checkCurrentOtaVersionInfo(IFPUpgradeManager::CASE_RUN_DUE));
    QCOMPARE(checked.count(), 1);
}

// The transfer's time-out is no longer restarted for every chunk: the chunk's time is noted and the timer, when it
// fires early, runs on for the rest. A box behind a slow link takes longer than the time-out to take the file, its
// chunks never pausing that long, and must not fail; a box that stops reading fails once the time-out has passed
// since its last chunk. A box that takes the file and never answers it fails at the run's wait for the answer, and its
// connection stops looking every second at how the box takes the file, which it did for as long as the box stayed.
void TestFirmwareManager::transferTimeOutCountsFromTheLastChunk()
{
    const QByteArray image = SimulatedFirmware::make(16 * 1024 * 1024, "8.0.0000.05", QString(), 5);
    m_bench.serve("AudioBox/QML8_0005.bin", image);
    m_bench.serve("AudioBox/check4Update/update.cfg", updateConfig(m_bench.http()->url() + "/AudioBox/QML8_0005.bin"));
    QList<VelkIFPDevice> devices;
    for (int i = 0; i < 3; ++i)
        devices.append(m_bench.addDevice(i, "QML8", "8.0.0000.04"));
    QVERIFY(m_bench.connect({0, 1, 2}));
    QVERIFY(m_bench.serverCheck());
    SimulatedPanel *slow = m_bench.panel(0);
    SimulatedPanel *stopping = m_bench.panel(1);
    SimulatedPanel *silent = m_bench.panel(2);
    silent->behaviour().keepFiles = false;
    silent->setAnswerHeld(VELK_REMOTE_RSP_TRANSFER_FILE_COMPLETE, true);
    CmdServer *server = CmdServer::getInstance();
    QObject answerWait;
    // The run's 180 s wait for the answer, played in a second.
    connect(server, &CmdServer::setupTransferFileCompleteTimeout, &answerWait,
            [server, silent](const QString &mac, int ms) {
                if (mac == silent->mac() && ms > 1000)
                    emit server->setupTransferFileCompleteTimeout(mac, 1000);
            });
    slow->behaviour().keepFiles = false;
    stopping->behaviour().keepFiles = false;
    // About twice the time-out for the whole file, kernel buffers aside.
    slow->behaviour().linkBytesPerSecond =
        qint64(image.size()) * 1000 / (2 * FirmwareTestBench::TransferChunkTimeoutMs);
    QObject watch;
    QElapsedTimer transfer;
    connect(slow, &SimulatedPanel::frameReceived, &watch, [&](quint16 code, const QByteArray &) {
        if (code == VELK_REMOTE_CMD_TRANSFER_FILE_START)
            transfer.start();
        else if (code == VELK_REMOTE_CMD_TRANSFER_FILE_COMPLETE)
            QVERIFY2(transfer.elapsed() > FirmwareTestBench::TransferChunkTimeoutMs, "the transfer was too fast");
    });
    connect(stopping, &SimulatedPanel::frameReceived, &watch, [&](quint16 code, const QByteArray &) {
        if (code == VELK_REMOTE_CMD_TRANSFER_FILE_START)
            stopping->stopReading();
    });
    QSignalSpy finished(m_bench.manager(), &IFPUpgradeManager::otaScheduleFinished);
    m_bench.manager()->startOta(m_bench.prepareRun(devices), m_bench.runDevices());
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 60000);

    const QHash<QString, VelkOtaScheduleReport> report = m_bench.report();
    QCOMPARE(report.value(slow->mac()).status, int(UPDATE_SUCCESSFULLY));
    QCOMPARE(slow->receivedFiles().size(), 1);
    QCOMPARE(slow->receivedFiles().at(0).sha256, FirmwareTestBench::sha256(image));
    QCOMPARE(report.value(stopping->mac()).status, int(UPDATE_FAILED));
    QVERIFY(m_bench.log()->contains("transferFileTimeout: " + stopping->mac()));
    QCOMPARE(report.value(silent->mac()).status, int(UPDATE_FAILED));
    QVERIFY(m_bench.log()->contains("transferFileCompleteTimeout: " + silent->mac()));
    QCOMPARE(silent->heldAnswerCount(), 1);
    DeviceChannel *channel = m_bench.channelOf(2);
    QVERIFY(channel);
    // The look is the connection's one timer of a second.
    const auto looking = [channel] {
        const QList<QTimer *> timers = channel->findChildren<QTimer *>(QString(), Qt::FindDirectChildrenOnly);
        return std::any_of(timers.begin(), timers.end(),
                           [](const QTimer *timer) { return timer->isActive() && timer->interval() == 1000; });
    };
    QVERIFY(!looking());
    slow->behaviour().linkBytesPerSecond = 0;
    stopping->resumeReading();
}

QTEST_GUILESS_MAIN(TestFirmwareManager)
#include "tst_firmware_manager.moc"
