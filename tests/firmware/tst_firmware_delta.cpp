#include "FirmwareTestSupport.h"
#include "support/StoredDevice.h"

#include <QRegularExpression>

// Control boxes and panels walking their routes of delta packages, end to end: manifests and packages from a local
// HTTP server, simulated devices that report each step's version, report rows in a real database.
class TestFirmwareDelta : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void boxWalksItsRoute();
    void skuPackageReplacesTheNeutralOne();
    void wrongSizeFailsTheWholeRun();
    void panelsGetTheirImagesByGroup();
    void unusableAddressesArePassedOver();
    void malformedManifestsFailTheirDevices();
    void hostileServersFailWithinBounds();
    void imageGroupsNeverShareAnImage();
    void restartingDevicesWalkTheirRoutes_data();
    void restartingDevicesWalkTheirRoutes();
    void lastStepIsJudgedLikeTheOthers_data();
    void lastStepIsJudgedLikeTheOthers();
    void restartJustAfterTheNextStart_data();
    void restartJustAfterTheNextStart();
    void deletedDeviceLeavesTheRunAtOnce_data();
    void deletedDeviceLeavesTheRunAtOnce();

private:
    // A package element with its file served under pkg/; the file installs `newVersion` on a simulated device.
    QByteArray package(const QString &model, const QString &oldVersion, const QString &newVersion, const QString &file,
                       qint64 sizeSkew = 0, const QString &sku = QString("-"));
    void serveManifest(const QByteArray &packages);
    void servePanelManifest(const QByteArray &body);
    // Two panel image steps of the B-Series panel (OS 2.5.1050.0 → 00.01.00.06, 2.5.1051.0 → 00.01.00.07), served
    // with the panel manifest that lists them; returns the images in step order.
    QList<QByteArray> servePanelSteps();
    QByteArray served(const QString &file) const { return m_files.value(file); }
    QList<VelkIFPDevice> runAll(const QList<VelkIFPDevice> &devices, QSignalSpy *finished);

    // The longest a timed run here may take: three attempts at a dripping package, each ended by the stall window,
    // and 30 s more for a loaded machine. runAll waits a ceiling beyond it, so a slow run is reported with its
    // measured time rather than cut off by the wait.
    static qint64 runBoundMs() { return 3 * qint64(FirmwareTestBench::shortTimeouts().downloadStallMs) + 30000; }

    FirmwareTestBench m_bench;
    QHash<QString, QByteArray> m_files;
    quint32 m_seed = 1;
    qint64 m_packageBytes = 40960; ///< about the size of the next packages
};

void TestFirmwareDelta::initTestCase()
{
    QVERIFY(m_bench.setUp(6));
}

void TestFirmwareDelta::cleanup()
{
    m_bench.reset();
    m_files.clear();
    m_packageBytes = 40960;
}

QByteArray TestFirmwareDelta::package(const QString &model, const QString &oldVersion, const QString &newVersion,
                                      const QString &file, qint64 sizeSkew, const QString &sku)
{
    const QByteArray bytes = SimulatedFirmware::make(m_packageBytes + m_seed * 7, newVersion, QString(), m_seed);
    ++m_seed;
    m_files.insert(file, bytes);
    m_bench.serve("pkg/" + file, bytes);
    const QString element = sku == "-" ? QStringLiteral("Package") : QStringLiteral("PackageV2");
    const QString skuAttribute = sku == "-" ? QString() : QStringLiteral(" sku=\"%1\"").arg(sku);
    return QStringLiteral("  <%1 modelName=\"%2\"%3 oldVersion=\"%4\" newVersion=\"%5\" name=\"%6\" size=\"%7\">\n"
                          "    <DownloadServer URL=\"%8/pkg/%6\"/></%1>\n")
        .arg(element, model, skuAttribute, oldVersion, newVersion, file)
        .arg(bytes.size() + sizeSkew)
        .arg(m_bench.http()->url())
        .toUtf8();
}

void TestFirmwareDelta::serveManifest(const QByteArray &packages)
{
    m_bench.serve("IFP3/OTAUpdate/manifest.xml", "<Manifest>\n" + packages + "</Manifest>\n");
}

void TestFirmwareDelta::servePanelManifest(const QByteArray &body)
{
    m_bench.serve("IFP3/OTAUpdate/manifest_panel.xml", "<PanelManifest>\n" + body + "</PanelManifest>\n");
}

QList<QByteArray> TestFirmwareDelta::servePanelSteps()
{
    const QByteArray url = m_bench.http()->url().toUtf8();
    QByteArray entries;
    QList<QByteArray> images;
    for (int step = 1; step <= 2; ++step) {
        const QString panelVersion = QStringLiteral("00.01.00.0%1").arg(5 + step);
        images.append(SimulatedFirmware::make(70000 + step, QString(), panelVersion, 65 + step));
        m_bench.serve(QStringLiteral("panel/%1.img").arg(step), images.last());
        entries += "<Package modelName=\"Velk TM B-Series\" oldVersion=\"2.5.105" + QByteArray::number(step) +
                   ".0\" panel_fw_Version=\"" + panelVersion.toUtf8() + "\" panel_fw_size_65=\"" +
                   QByteArray::number(images.last().size()) + "\"><DownloadPanelServer_65 URL=\"" + url + "/panel/" +
                   QByteArray::number(step) + ".img\"/></Package>\n";
    }
    servePanelManifest(entries);
    return images;
}

QList<VelkIFPDevice> TestFirmwareDelta::runAll(const QList<VelkIFPDevice> &devices, QSignalSpy *finished)
{
    m_bench.manager()->startOta(m_bench.prepareRun(devices), m_bench.runDevices());
    if (!QTest::qWaitFor([&] { return finished->count() > 0; }, int(runBoundMs()) + QuorvinTryCeilingMs))
        qWarning("the run did not end");
    QTest::qWait(200); // a second end would come now
    return devices;
}

void TestFirmwareDelta::boxWalksItsRoute()
{
    serveManifest(package("Velk TM7-B", "2.5.2051.0", "2.5.2052.0", "a.zip") +
                  package("Velk TM7-B", "2.5.2052.0", "2.5.2053.0", "b.zip") +
                  package("Velk TM7-B", "2.5.2053.0", "2.5.2054.0", "c.zip"));
    servePanelManifest("");
    const VelkIFPDevice box = m_bench.addDevice(0, "Velk TM7-B", "2.5.2051.0");
    QVERIFY(m_bench.connect({0}));
    QVERIFY(m_bench.serverCheck());
    QCOMPARE(m_bench.manager()->getOldDevicesCount(), 1);
    QCOMPARE(m_bench.manager()->getNewestFwVersionText("Velk TM7-B"), QStringLiteral("2.5.2054.0"));

    QSignalSpy finished(m_bench.manager(), &IFPUpgradeManager::otaScheduleFinished);
    runAll({box}, &finished);
    QCOMPARE(finished.count(), 1);
    SimulatedPanel *panel = m_bench.panel(0);
    const QList<ReceivedFile> files = panel->receivedFiles();
    QCOMPARE(files.size(), 3);
    const QStringList order = {"a.zip", "b.zip", "c.zip"};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(files.at(i).name, QStringLiteral("Velkupdate-3.zip"));
        QCOMPARE(files.at(i).sha256, FirmwareTestBench::sha256(served(order.at(i))));
    }
    // Every file is followed by its start command before the next file comes.
    QList<quint16> steps;
    for (quint16 code : panel->receivedCodes()) {
        if (code == VELK_REMOTE_CMD_TRANSFER_FILE_COMPLETE || code == VELK_REMOTE_CMD_START_OTA)
            steps.append(code);
    }
    QCOMPARE(steps, QList<quint16>({VELK_REMOTE_CMD_TRANSFER_FILE_COMPLETE, VELK_REMOTE_CMD_START_OTA,
                                    VELK_REMOTE_CMD_TRANSFER_FILE_COMPLETE, VELK_REMOTE_CMD_START_OTA,
                                    VELK_REMOTE_CMD_TRANSFER_FILE_COMPLETE, VELK_REMOTE_CMD_START_OTA}));
    QCOMPARE(panel->fwVersion(), QStringLiteral("2.5.2054.0"));
    const VelkOtaScheduleReport row = m_bench.report().value(box.macAddress);
    QCOMPARE(row.status, int(UPDATE_SUCCESSFULLY));
    QCOMPARE(row.fwVersion, QStringLiteral("2.5.2054.0"));
    // Each package was fetched once and is gone after its step.
    QCOMPARE(m_bench.http()->requestCount("/pkg/b.zip"), 1);
    QCOMPARE(QDir(m_bench.manager()->getOtaFolder() + "IFP3_BOX").entryList({"*Velkupdate-3.zip"}, QDir::Files),
             QStringList());
    // What happened to the box is in the console's log (which writes nothing below information).
    const QString mac = box.macAddress;
    for (const QString &line :
         QStringList{"UpdateRoute: 0", "UpdateRouteNode: 2.5.2051.0, 2.5.2052.0", "dispatching: Velk TM7-B",
                     "Velk TM7-B downloadFinished", "IFP3Upgrade::downloadFinished", "QML8 downloadFinished",
                     "no requst of this file", "IFPUpgradeManager::setupTransferFileTimeout",
                     "IFPUpgradeManager::setupTransferFileCompleteTimeout", "IFPUpgradeManager::resetOtaResultTimeout",
                     "resetOtaResultTimeout: " + mac, "IFPUpgradeManager::removeDeviceTimeout, stop timer",
                     "IFPUpgradeManager::removeDeviceTimeout: " + mac, "getOldDevicesCount: 1"})
        QVERIFY2(m_bench.log()->contains(line), qPrintable(line));
}

void TestFirmwareDelta::skuPackageReplacesTheNeutralOne()
{
    serveManifest(package("Velk TM7-B", "2.5.2053.0", "2.5.2054.0", "neutral.zip") +
                  package("Velk TM7-B", "2.5.2053.0", "2.5.2054.0", "edu.zip", 0, "EDU"));
    servePanelManifest("");
    const VelkIFPDevice edu = m_bench.addDevice(0, "Velk TM7-B", "2.5.2053.0", QString(), "EDU");
    const VelkIFPDevice plain = m_bench.addDevice(1, "Velk TM7-B", "2.5.2053.0");
    QVERIFY(m_bench.connect({0, 1}));
    QVERIFY(m_bench.serverCheck());
    QSignalSpy finished(m_bench.manager(), &IFPUpgradeManager::otaScheduleFinished);
    runAll({edu, plain}, &finished);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(m_bench.panel(0)->receivedFiles().size(), 1);
    QCOMPARE(m_bench.panel(0)->receivedFiles().at(0).sha256, FirmwareTestBench::sha256(served("edu.zip")));
    QCOMPARE(m_bench.report().value(edu.macAddress).status, int(UPDATE_SUCCESSFULLY));
    QCOMPARE(m_bench.panel(1)->receivedFiles().size(), 0);
    QCOMPARE(m_bench.report().value(plain.macAddress).status, int(UPDATE_FAILED));
    QVERIFY(m_bench.log()->contains("fwVersion not in xml: 2.5.2053.0"));
    QCOMPARE(m_bench.http()->requestCount("/pkg/neutral.zip"), 0);
}

void TestFirmwareDelta::wrongSizeFailsTheWholeRun()
{
    serveManifest(package("Velk TM7-B", "2.5.2051.0", "2.5.2052.0", "a.zip", 1) +
                  package("Velk TM7-B", "2.5.2052.0", "2.5.2053.0", "b.zip"));
    servePanelManifest("");
    m_bench.serve("AudioBox/QML8_0005.bin", SimulatedFirmware::make(30000, "8.0.0000.05"));
    m_bench.serve("AudioBox/check4Update/update.cfg", "[QML8]\nVersion=\"8.0.0000.05\"\nPath=\"" +
                                                          m_bench.http()->url().toUtf8() +
                                                          "/AudioBox/QML8_0005.bin\"\n");
    // Four boxes of the first pass (three in the batch, one waiting), one of a later pass, and an audio box whose
    // upgrader runs after the boxes'.
    QList<VelkIFPDevice> devices;
    for (int i = 0; i < 4; ++i)
        devices.append(m_bench.addDevice(i, "Velk TM7-B", "2.5.2051.0"));
    devices.append(m_bench.addDevice(4, "Velk TM7-B", "2.5.2052.0"));
    devices.append(m_bench.addDevice(5, "QML8", "8.0.0000.04"));
    QVERIFY(m_bench.connect({0, 1, 2, 3, 4, 5}));
    QVERIFY(m_bench.serverCheck());
    QSignalSpy finished(m_bench.manager(), &IFPUpgradeManager::otaScheduleFinished);
    runAll(devices, &finished);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(m_bench.http()->requestCount("/pkg/a.zip"), 3);
    const QHash<QString, VelkOtaScheduleReport> report = m_bench.report();
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(report.value(devices.at(i).macAddress).status, int(UPDATE_FAILED));
        QCOMPARE(m_bench.panel(i)->receivedFiles().size(), 0);
    }
    QCOMPARE(report.value(devices.at(5).macAddress).status, int(UPDATE_SUCCESSFULLY));
}

void TestFirmwareDelta::panelsGetTheirImagesByGroup()
{
    const QString model = "Velk TM B-Series";
    serveManifest(package(model, "2.5.1052.0", "2.5.1053.0", "os.zip"));
    const QByteArray image65 = SimulatedFirmware::make(65536, QString(), "00.01.00.07", 65);
    const QByteArray image75 = SimulatedFirmware::make(65537, QString(), "00.02.00.07", 75);
    m_bench.serve("panel/65.img", image65);
    m_bench.serve("panel/75.img", image75);
    const QByteArray url = m_bench.http()->url().toUtf8();
    servePanelManifest("<Package modelName=\"Velk TM B-Series\" oldVersion=\"2.5.1053.0\" "
                       "panel_fw_Version=\"00.01.00.07\" panel_fw_size_65=\"65536\" panel_fw_size_75=\"65537\">\n"
                       "  <DownloadPanelServer_65 URL=\"" +
                       url + "/panel/65.img\"/><DownloadPanelServer_75 URL=\"" + url + "/panel/75.img\"/></Package>\n");
    // In list order: a 75-inch panel, a panel whose code already matches, a 65-inch panel.
    const VelkIFPDevice p75 = m_bench.addDevice(0, model, "2.5.1052.0", "00.02.00.05");
    const VelkIFPDevice matching = m_bench.addDevice(1, model, "2.5.1052.0", "00.01.00.07");
    const VelkIFPDevice p65 = m_bench.addDevice(2, model, "2.5.1052.0", "00.01.00.05");
    QVERIFY(m_bench.connect({0, 1, 2}));
    QVERIFY(m_bench.serverCheck());
    QCOMPARE(m_bench.manager()->getOldDevicesCount(), 3);

    QStringList starts;
    QObject watch;
    for (int i = 0; i < 3; ++i) {
        SimulatedPanel *panel = m_bench.panel(i);
        connect(panel, &SimulatedPanel::frameReceived, &watch, [&starts, panel](quint16 code, const QByteArray &) {
            if (code == VELK_REMOTE_CMD_START_OTA)
                starts.append(panel->mac());
        });
    }
    QSignalSpy finished(m_bench.manager(), &IFPUpgradeManager::otaScheduleFinished);
    runAll({p75, matching, p65}, &finished);
    QCOMPARE(finished.count(), 1);
    // The smallest size first, then the next size, then the panel that needs the OS package alone.
    QCOMPARE(starts, QStringList({p65.macAddress, p75.macAddress, matching.macAddress}));
    const QByteArray os = FirmwareTestBench::sha256(served("os.zip"));
    const struct
    {
        int index;
        QByteArray image;
        int type;
    } expected[] = {{2, image65, 1}, {0, image75, 1}, {1, QByteArray(), 0}};
    for (const auto &e : expected) {
        SimulatedPanel *panel = m_bench.panel(e.index);
        const QList<ReceivedFile> files = panel->receivedFiles();
        QCOMPARE(files.size(), e.image.isEmpty() ? 1 : 2);
        QCOMPARE(files.at(0).name, QStringLiteral("Velkupdate-3.zip"));
        QCOMPARE(files.at(0).sha256, os);
        if (!e.image.isEmpty()) {
            QCOMPARE(files.at(1).name, QStringLiteral("MstarUpgrade.img"));
            QCOMPARE(files.at(1).sha256, FirmwareTestBench::sha256(e.image));
        }
        QCOMPARE(panel->lastUpgradeType(), e.type);
        QCOMPARE(panel->fwVersion(), QStringLiteral("2.5.1053.0"));
        QCOMPARE(PanelVersion::field(panel->panelFwVersion(), PanelVersion::Code), QStringLiteral("07"));
        QCOMPARE(m_bench.report().value(panel->mac()).status, int(UPDATE_SUCCESSFULLY));
    }
    // The OS package was fetched once for the round, each image once for its group.
    QCOMPARE(m_bench.http()->requestCount("/pkg/os.zip"), 1);
    QCOMPARE(m_bench.http()->requestCount("/panel/65.img"), 1);
    QCOMPARE(m_bench.http()->requestCount("/panel/75.img"), 1);
}

// An address the downloader refuses used to be taken as the image's or the package's, hiding a usable one after it
// in the same entry or in a later one; the update then stopped with "panel image download refused".
void TestFirmwareDelta::unusableAddressesArePassedOver()
{
    const QString model = "Velk TM B-Series";
    const QByteArray url = m_bench.http()->url().toUtf8();
    serveManifest(
        package(model, "2.5.1052.0", "2.5.1053.0", "os.zip")
            .replace("<DownloadServer ", "<DownloadServer URL=\"ftp://127.0.0.1/pkg/os.zip\"/><DownloadServer ") +
        package("Velk TM7-B", "2.5.2051.0", "2.5.2052.0", "box.zip")
            .replace("<DownloadServer ", "<DownloadServer URL=\"none\"/><DownloadServer "));
    const QByteArray image65 = SimulatedFirmware::make(65536, QString(), "00.01.00.07", 65);
    const QByteArray image75 = SimulatedFirmware::make(65537, QString(), "00.02.00.07", 75);
    m_bench.serve("panel/65.img", image65);
    m_bench.serve("panel/75.img", image75);
    servePanelManifest(
        // The 65-inch image after an ftp address in the same entry; the 75-inch one only in the next entry, the
        // first holding an address without a host and "none".
        "<Package modelName=\"Velk TM B-Series\" oldVersion=\"2.5.1053.0\" panel_fw_Version=\"00.01.00.07\" "
        "panel_fw_size_65=\"65536\" panel_fw_size_75=\"65537\">\n"
        "  <DownloadPanelServer_65 URL=\"ftp://127.0.0.1/panel/65.img\"/><DownloadPanelServer_65 URL=\"" +
        url +
        "/panel/65.img\"/>\n"
        "  <DownloadPanelServer_75 URL=\"http://\"/><DownloadPanelServer_75 URL=\"none\"/></Package>\n"
        "<Package modelName=\"Velk TM B-Series\" oldVersion=\"2.5.1053.0\" panel_fw_Version=\"00.01.00.07\" "
        "panel_fw_size_75=\"65537\"><DownloadPanelServer_75 URL=\"" +
        url + "/panel/75.img\"/></Package>\n");
    const VelkIFPDevice p65 = m_bench.addDevice(0, model, "2.5.1052.0", "00.01.00.05");
    const VelkIFPDevice p75 = m_bench.addDevice(1, model, "2.5.1052.0", "00.02.00.05");
    const VelkIFPDevice box = m_bench.addDevice(2, "Velk TM7-B", "2.5.2051.0");
    QVERIFY(m_bench.connect({0, 1, 2}));
    QVERIFY(m_bench.serverCheck());
    QSignalSpy finished(m_bench.manager(), &IFPUpgradeManager::otaScheduleFinished);
    runAll({p65, p75, box}, &finished);
    QCOMPARE(finished.count(), 1);
    QVERIFY(!m_bench.log()->contains("download refused"));
    const struct
    {
        int index;
        QByteArray image;
    } panels[] = {{0, image65}, {1, image75}};
    for (const auto &p : panels) {
        SimulatedPanel *panel = m_bench.panel(p.index);
        const QList<ReceivedFile> files = panel->receivedFiles();
        QCOMPARE(files.size(), 2);
        QCOMPARE(files.at(0).sha256, FirmwareTestBench::sha256(served("os.zip")));
        QCOMPARE(files.at(1).name, QStringLiteral("MstarUpgrade.img"));
        QCOMPARE(files.at(1).sha256, FirmwareTestBench::sha256(p.image));
        QCOMPARE(panel->lastUpgradeType(), 1);
        QCOMPARE(m_bench.report().value(panel->mac()).status, int(UPDATE_SUCCESSFULLY));
    }
    QCOMPARE(m_bench.panel(2)->receivedFiles().size(), 1);
    QCOMPARE(m_bench.panel(2)->receivedFiles().at(0).sha256, FirmwareTestBench::sha256(served("box.zip")));
    QCOMPARE(m_bench.report().value(box.macAddress).status, int(UPDATE_SUCCESSFULLY));
}

void TestFirmwareDelta::malformedManifestsFailTheirDevices()
{
    QByteArray packages;
    // TM7-B: its only step has no DownloadServer.
    packages +=
        package("Velk TM7-B", "2.5.2051.0", "2.5.2052.0", "nourl.zip")
            .replace(QByteArray("    <DownloadServer URL=\"") + m_bench.http()->url().toUtf8() + "/pkg/nourl.zip\"/>",
                     "");
    // ZN-640: a three-field version, a package leading down, and routes that branch at every other step for 40.
    packages += package("Velk ZN-640", "3.1.3001", "3.1.3002.0", "three.zip");
    packages += package("Velk ZN-640", "3.1.3060.0", "3.1.3059.0", "down.zip");
    for (int step = 0; step < 40; step += 2) {
        const QString a = QStringLiteral("3.1.%1.0").arg(3001 + step);
        const QString b = QStringLiteral("3.1.%1.0").arg(3002 + step);
        const QString c = QStringLiteral("3.1.%1.0").arg(3003 + step);
        packages += package("Velk ZN-640", a, b, QStringLiteral("n%1.zip").arg(step));
        packages += package("Velk ZN-640", b, c, QStringLiteral("a%1.zip").arg(step), 0, "A");
        packages += package("Velk ZN-640", b, c, QStringLiteral("b%1.zip").arg(step), 0, "B");
    }
    // B-Series: a fine step, but the panel's own version is "1.2".
    packages += package("Velk TM B-Series", "2.5.1052.0", "2.5.1053.0", "os.zip");
    serveManifest(packages);
    servePanelManifest("<Package modelName=\"Velk TM B-Series\" oldVersion=\"2.5.1053.0\" "
                       "panel_fw_Version=\"00.01.00.07\"/>\n");
    const QList<VelkIFPDevice> devices = {
        m_bench.addDevice(0, "Velk TM7-B", "2.5.2051.0"), m_bench.addDevice(1, "Velk ZN-640", "3.1.3001.0", "", "A"),
        m_bench.addDevice(2, "Velk ZN-640", "3.1.3001"), m_bench.addDevice(3, "Velk ZN-640", "3.1.3060.0"),
        m_bench.addDevice(4, "Velk TM B-Series", "2.5.1052.0", "1.2")};
    QVERIFY(m_bench.connect({0, 1, 2, 3, 4}));
    QElapsedTimer clock;
    clock.start();
    QVERIFY(m_bench.serverCheck());
    QVERIFY(m_bench.log()->contains("findUpdateRoutes, more than"));
    QSignalSpy finished(m_bench.manager(), &IFPUpgradeManager::otaScheduleFinished);
    runAll(devices, &finished);
    QCOMPARE(finished.count(), 1);
    QVERIFY2(clock.elapsed() < 60000, qPrintable(QString::number(clock.elapsed())));
    for (int i = 0; i < devices.size(); ++i) {
        QCOMPARE(m_bench.report().value(devices.at(i).macAddress).status, int(UPDATE_FAILED));
        QCOMPARE(m_bench.panel(i)->receivedFiles().size(), 0);
    }
    QVERIFY(m_bench.log()->contains("deltaFileUrl not found: 2.5.2051.0"));
    QVERIFY(m_bench.log()->contains("Error: device version format not correct"));
}

void TestFirmwareDelta::hostileServersFailWithinBounds()
{
    // A manifest larger than any manifest is (16 MiB) fails its check; nothing larger stays on disk.
    QByteArray huge = "<Manifest>\n" + package("Velk TM7-B", "2.5.2051.0", "2.5.2052.0", "a.zip") + "<!-- ";
    huge += QByteArray(16 * 1024 * 1024 + 1 - huge.size() - 16, 'x') + " -->\n</Manifest>\n";
    QVERIFY(huge.size() > 16 * 1024 * 1024);
    serveManifest(QByteArray());
    m_bench.serve("IFP3/OTAUpdate/manifest.xml", huge);
    servePanelManifest("");
    const VelkIFPDevice stated = m_bench.addDevice(0, "Velk TM7-B", "2.5.2051.0");
    QVERIFY(m_bench.serverCheck());
    QCOMPARE(m_bench.manager()->getOldDevicesCount(), -1);
    QCOMPARE(m_bench.http()->requestCount("/IFP3/OTAUpdate/manifest.xml"), 3 * 3);
    QVERIFY(m_bench.log()->contains("at most: 16777216"));
    QVERIFY(!QFile::exists(m_bench.manager()->getOtaFolder() + "IFP3_BOX/manifest.xml"));

    // A package stating 2^63-1 bytes is refused at the manifest; a server that drips its package fails within the
    // stall window's attempts; an audio file announced at 300 MiB is refused before it is read. The run ends.
    serveManifest(package("Velk TM7-B", "2.5.2051.0", "2.5.2052.0", "endless.zip")
                      .replace("size=\"" + QByteArray::number(served("endless.zip").size()) + "\"",
                               "size=\"9223372036854775807\"") +
                  package("Velk ZN-640", "3.1.3001.0", "3.1.3002.0", "drip.zip"));
    m_bench.http()->setBehaviour("/pkg/drip.zip", LocalHttpServer::Behaviour::drip(1, 50));
    m_bench.serve("AudioBox/QML8_0005.bin", SimulatedFirmware::make(30000, "8.0.0000.05"));
    m_bench.http()->setBehaviour("/AudioBox/QML8_0005.bin", LocalHttpServer::Behaviour::wrongLength(300 << 20));
    m_bench.serve("AudioBox/check4Update/update.cfg", "[QML8]\nVersion=\"8.0.0000.05\"\nPath=\"" +
                                                          m_bench.http()->url().toUtf8() +
                                                          "/AudioBox/QML8_0005.bin\"\n");
    const QList<VelkIFPDevice> devices = {stated, m_bench.addDevice(1, "Velk ZN-640", "3.1.3001.0"),
                                          m_bench.addDevice(2, "QML8", "8.0.0000.04")};
    QVERIFY(m_bench.connect({0, 1, 2}));
    QVERIFY(m_bench.serverCheck());
    QVERIFY(m_bench.log()->contains("package of 9223372036854775807 bytes refused"));
    QElapsedTimer clock;
    clock.start();
    QSignalSpy finished(m_bench.manager(), &IFPUpgradeManager::otaScheduleFinished);
    runAll(devices, &finished);
    QCOMPARE(finished.count(), 1);
    // Three attempts at the dripping package, each ended by the stall window: bounded, with room for a loaded machine.
    const qint64 bound = runBoundMs();
    QVERIFY2(clock.elapsed() < bound, qPrintable(QString::number(clock.elapsed())));
    for (int i = 0; i < devices.size(); ++i) {
        QCOMPARE(m_bench.report().value(devices.at(i).macAddress).status, int(UPDATE_FAILED));
        QCOMPARE(m_bench.panel(i)->receivedFiles().size(), 0);
    }
    QCOMPARE(m_bench.http()->requestCount("/pkg/endless.zip"), 0);
    QCOMPARE(m_bench.http()->requestCount("/pkg/drip.zip"), 3);
    QCOMPARE(m_bench.http()->requestCount("/AudioBox/QML8_0005.bin"), 3);
    QVERIFY(m_bench.log()->contains("download stalled: " + m_bench.http()->url() + "/pkg/drip.zip"));
    QVERIFY(m_bench.log()->contains("announced size: " + QString::number((300 << 20) + 30000)));
}

void TestFirmwareDelta::imageGroupsNeverShareAnImage()
{
    // One round, four panels: 65 and 86 inches whose images come slowly and which refuse every file, so their
    // groups end before their images arrive; a 75-inch panel between them; a panel that needs the OS package alone
    // and installs slowly, last.
    const QString model = "Velk TM B-Series";
    serveManifest(package(model, "2.5.1052.0", "2.5.1053.0", "os.zip"));
    QHash<int, QByteArray> images;
    QByteArray sizes;
    QByteArray servers;
    const QByteArray url = m_bench.http()->url().toUtf8();
    for (int inches : {65, 75, 86}) {
        const QByteArray code = QByteArray::number((inches - 55) / 10).rightJustified(2, '0');
        images.insert(inches, SimulatedFirmware::make(200 * 1024 + inches, QString(), "00." + code + ".00.07", inches));
        m_bench.serve(QStringLiteral("panel/%1.img").arg(inches), images.value(inches));
        sizes += " panel_fw_size_" + QByteArray::number(inches) + "=\"" +
                 QByteArray::number(images.value(inches).size()) + "\"";
        servers += "<DownloadPanelServer_" + QByteArray::number(inches) + " URL=\"" + url + "/panel/" +
                   QByteArray::number(inches) + ".img\"/>";
    }
    servePanelManifest("<Package modelName=\"Velk TM B-Series\" oldVersion=\"2.5.1053.0\" "
                       "panel_fw_Version=\"00.01.00.07\"" +
                       sizes + ">" + servers + "</Package>\n");
    m_bench.http()->setBehaviour("/panel/65.img", LocalHttpServer::Behaviour::drip(16 * 1024, 100));
    m_bench.http()->setBehaviour("/panel/86.img", LocalHttpServer::Behaviour::drip(16 * 1024, 100));
    const VelkIFPDevice p65 = m_bench.addDevice(0, model, "2.5.1052.0", "00.01.00.05");
    const VelkIFPDevice p75 = m_bench.addDevice(1, model, "2.5.1052.0", "00.02.00.05");
    const VelkIFPDevice p86 = m_bench.addDevice(2, model, "2.5.1052.0", "00.03.00.05");
    const VelkIFPDevice osOnly = m_bench.addDevice(3, model, "2.5.1052.0", "00.01.00.07");
    m_bench.panel(0)->behaviour().transferAnswer = -1;
    m_bench.panel(2)->behaviour().transferAnswer = -1;
    m_bench.panel(3)->behaviour().otaResultScript = {{500, 50}, {500, 50}, {500, 50}, {500, 50}, {500, 0}};
    QVERIFY(m_bench.connect({0, 1, 2, 3}));
    QVERIFY(m_bench.serverCheck());
    QCOMPARE(m_bench.manager()->getOldDevicesCount(), 4);

    QSignalSpy finished(m_bench.manager(), &IFPUpgradeManager::otaScheduleFinished);
    runAll({p65, p75, p86, osOnly}, &finished);
    QCOMPARE(finished.count(), 1);
    const QByteArray os = FirmwareTestBench::sha256(served("os.zip"));
    // Each panel has the OS package and at most its own image; a start only where both files of its plan arrived.
    const struct
    {
        int index;
        int image; // 0: none may arrive
        int starts;
        int status;
    } expected[] = {{0, 0, 0, UPDATE_FAILED},
                    {1, 75, 1, UPDATE_SUCCESSFULLY},
                    {2, 0, 0, UPDATE_FAILED},
                    {3, 0, 1, UPDATE_SUCCESSFULLY}};
    for (const auto &e : expected) {
        SimulatedPanel *panel = m_bench.panel(e.index);
        QList<QByteArray> received;
        for (const ReceivedFile &file : panel->receivedFiles()) {
            if (file.name == QStringLiteral("MstarUpgrade.img"))
                received.append(file.sha256);
            else
                QCOMPARE(file.sha256, os);
        }
        QCOMPARE(received,
                 e.image ? QList<QByteArray>{FirmwareTestBench::sha256(images.value(e.image))} : QList<QByteArray>());
        QCOMPARE(panel->receivedCount(VELK_REMOTE_CMD_START_OTA), e.starts);
        QCOMPARE(m_bench.report().value(panel->mac()).status, e.status);
    }
    QCOMPARE(m_bench.panel(1)->lastUpgradeType(), 1);
    QCOMPARE(m_bench.panel(3)->lastUpgradeType(), 0);
    // The images of the refusing panels were stopped; their failures reached nobody.
    QCOMPARE(m_bench.http()->requestCount("/panel/65.img"), 1);
    QCOMPARE(m_bench.http()->requestCount("/panel/86.img"), 1);
    QVERIFY(m_bench.log()->contains("no requst of this file"));
    QCOMPARE(QDir(m_bench.manager()->getOtaFolder() + "IFP3").entryList({"*.img", "*.zip"}, QDir::Files),
             QStringList());
}

void TestFirmwareDelta::restartingDevicesWalkTheirRoutes_data()
{
    QTest::addColumn<QString>("comesBackAt"); // the control box's version after its second step; empty: as installed
    QTest::addColumn<bool>("stallsUntilTimeout");
    QTest::addColumn<bool>("dropsDuringTransfer");
    QTest::newRow("back at every installed version") << QString() << false << false;
    // The box restarts after its success while its next package is already on its way to it.
    QTest::newRow("box drops during its next transfer") << QString() << false << true;
    QTest::newRow("box back at another version") << "2.5.2051.0" << false << false;
    QTest::newRow("box never back") << QString() << true << false;
}

void TestFirmwareDelta::restartingDevicesWalkTheirRoutes()
{
    // A control box three steps behind and a panel two steps behind with an image each step; both restart after
    // every installation (drop the connection, come back half a second later with the new version).
    QFETCH(QString, comesBackAt);
    QFETCH(bool, stallsUntilTimeout);
    QFETCH(bool, dropsDuringTransfer);
    const QString model = "Velk TM B-Series";
    QByteArray packages = package("Velk TM7-B", "2.5.2051.0", "2.5.2052.0", "a.zip") +
                          package("Velk TM7-B", "2.5.2052.0", "2.5.2053.0", "b.zip") +
                          package("Velk TM7-B", "2.5.2053.0", "2.5.2054.0", "c.zip");
    serveManifest(packages + package(model, "2.5.1050.0", "2.5.1051.0", "os1.zip") +
                  package(model, "2.5.1051.0", "2.5.1052.0", "os2.zip"));
    const QList<QByteArray> images = servePanelSteps();
    const VelkIFPDevice box = m_bench.addDevice(0, "Velk TM7-B", "2.5.2051.0");
    const VelkIFPDevice panel = m_bench.addDevice(1, model, "2.5.1050.0", "00.01.00.05");
    for (int i = 0; i < 2; ++i)
        m_bench.panel(i)->behaviour().rebootAfterOta = true;
    // The box that drops during its transfers restarts after each success only once its next package is on its
    // way: its connection drops on that package's first chunk (below), and it comes back at the version it
    // installed; its last step it ends with the restart right after its success, as the others do. A restart timed
    // after the success instead missed the transfer on a loaded machine.
    if (dropsDuringTransfer)
        m_bench.panel(0)->behaviour().rebootAfterOta = false;
    QVERIFY(m_bench.connect({0, 1}));
    QVERIFY(m_bench.serverCheck());
    QCOMPARE(m_bench.manager()->getOldDevicesCount(), 2);
    OtaTimeouts timeouts = FirmwareTestBench::shortTimeouts();
    // How long a restarting device is waited for: it is back within a second, later on a loaded machine; the case
    // of the box that never comes back waits this out.
    timeouts.wakeMs = 10000;
    m_bench.manager()->setTimeouts(timeouts);
    // After its second step the box comes back at another version (it did not install what it reported), or not
    // at all.
    SimulatedPanel *restarting = m_bench.panel(0);
    QObject watch;
    bool restartDue = false;
    connect(restarting, &SimulatedPanel::otaFinished, &watch,
            [&](bool success) { restartDue = dropsDuringTransfer && success; });
    connect(restarting, &SimulatedPanel::frameReceived, &watch, [&](quint16 code, const QByteArray &) {
        if (restartDue && code == VELK_REMOTE_CMD_TRANSFER_FILE_DATA) {
            restartDue = false;
            restarting->abort();
        } else if (dropsDuringTransfer && code == VELK_REMOTE_CMD_START_OTA &&
                   restarting->fwVersion() == "2.5.2053.0") {
            restarting->behaviour().rebootAfterOta = true;
        }
    });
    connect(restarting, &SimulatedPanel::otaFinished, &watch, [&](bool) {
        if (restarting->fwVersion() != "2.5.2053.0")
            return;
        if (!comesBackAt.isEmpty()) {
            PanelIdentity identity = restarting->identity();
            identity.fwVersion = comesBackAt;
            restarting->setIdentity(identity);
        }
        if (stallsUntilTimeout)
            QTimer::singleShot(0, restarting, [restarting] { restarting->shutDown(); });
    });

    QSignalSpy finished(m_bench.manager(), &IFPUpgradeManager::otaScheduleFinished);
    runAll({box, panel}, &finished);
    QCOMPARE(finished.count(), 1);
    const bool boxEnds = comesBackAt.isEmpty() && !stallsUntilTimeout;
    // The box: each package once, in route order, each followed by its start; none after a failed return.
    const QList<ReceivedFile> boxFiles = m_bench.panel(0)->receivedFiles();
    const QStringList order = {"a.zip", "b.zip", "c.zip"};
    QCOMPARE(boxFiles.size(), boxEnds ? 3 : 2);
    for (int i = 0; i < boxFiles.size(); ++i)
        QCOMPARE(boxFiles.at(i).sha256, FirmwareTestBench::sha256(served(order.at(i))));
    QCOMPARE(m_bench.panel(0)->receivedCount(VELK_REMOTE_CMD_START_OTA), boxFiles.size());
    if (dropsDuringTransfer)
        QVERIFY(m_bench.panel(0)->receivedCount(VELK_REMOTE_CMD_TRANSFER_FILE_START) > 3);
    const VelkOtaScheduleReport boxRow = m_bench.report().value(box.macAddress);
    QCOMPARE(boxRow.status, boxEnds ? int(UPDATE_SUCCESSFULLY) : int(UPDATE_FAILED));
    if (stallsUntilTimeout)
        QVERIFY(m_bench.log()->contains("did not come back after its step: " + box.macAddress));
    else if (!boxEnds)
        QVERIFY(m_bench.log()->contains("back at " + comesBackAt + ", not at the 2.5.2053.0 it installed"));
    // The panel: the OS package and the image of each step, once each, one start per step.
    const QList<ReceivedFile> panelFiles = m_bench.panel(1)->receivedFiles();
    QCOMPARE(panelFiles.size(), 4);
    const QList<QByteArray> expected = {
        FirmwareTestBench::sha256(served("os1.zip")), FirmwareTestBench::sha256(images.at(0)),
        FirmwareTestBench::sha256(served("os2.zip")), FirmwareTestBench::sha256(images.at(1))};
    for (int i = 0; i < 4; ++i)
        QCOMPARE(panelFiles.at(i).sha256, expected.at(i));
    QCOMPARE(m_bench.panel(1)->receivedCount(VELK_REMOTE_CMD_START_OTA), 2);
    const VelkOtaScheduleReport panelRow = m_bench.report().value(panel.macAddress);
    QCOMPARE(panelRow.status, int(UPDATE_SUCCESSFULLY));
    QCOMPARE(panelRow.fwVersion, QStringLiteral("2.5.1052.0"));
    // What the devices report after their last restart is what the console keeps.
    QTRY_COMPARE(storedDevice(panel.deviceName).fwVersion, QStringLiteral("2.5.1052.0"));
    QCOMPARE(storedDevice(panel.deviceName).panelFwVersion, QStringLiteral("00.01.00.07"));
    if (boxEnds) {
        QCOMPARE(boxRow.fwVersion, QStringLiteral("2.5.2054.0"));
        QTRY_COMPARE(storedDevice(box.deviceName).fwVersion, QStringLiteral("2.5.2054.0"));
    } else if (!comesBackAt.isEmpty()) {
        // A rolled-back box's row names the version it runs, as the console's record does.
        QCOMPARE(boxRow.fwVersion, comesBackAt);
        QTRY_COMPARE(storedDevice(box.deviceName).fwVersion, comesBackAt);
    } else {
        QCOMPARE(boxRow.fwVersion, QStringLiteral("2.5.2053.0")); // the last version it reported
    }
}

void TestFirmwareDelta::lastStepIsJudgedLikeTheOthers_data()
{
    QTest::addColumn<QString>("after"); // what the box does after reporting the success of its only step
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("version"); // of its report row, and stored
    QTest::newRow("back at the new version") << "restart" << int(UPDATE_SUCCESSFULLY) << "2.5.2054.0";
    QTest::newRow("back at the old version") << "roll back" << int(UPDATE_FAILED) << "2.5.2053.0";
    // Never seen running what it installed: its row names what it reported last.
    QTest::newRow("not back") << "stay off" << int(UPDATE_FAILED) << "2.5.2053.0";
    QTest::newRow("stays connected") << "stay on" << int(UPDATE_SUCCESSFULLY) << "2.5.2054.0";
    // Restarting after its progress report, its result never sent: judged by its return, not at the run's end.
    QTest::newRow("result lost, back at the new version") << "lose result" << int(UPDATE_SUCCESSFULLY) << "2.5.2054.0";
    // Back once, it restarts again while the audio box still installs: judged again by what it reports then.
    QTest::newRow("back at the new version twice") << "restart twice" << int(UPDATE_SUCCESSFULLY) << "2.5.2054.0";
    // An A/B firmware whose new image failed its own health check after its first boot.
    QTest::newRow("back at the new version, then at the old one")
        << "roll back later" << int(UPDATE_FAILED) << "2.5.2053.0";
    QTest::newRow("back at the new version, then not back")
        << "restart, then stay off" << int(UPDATE_FAILED) << "2.5.2054.0";
    // Failed stays Failed for the run; its row names the version it runs.
    QTest::newRow("back at the old version, then at the new one")
        << "roll back, then forward" << int(UPDATE_FAILED) << "2.5.2054.0";
}

void TestFirmwareDelta::lastStepIsJudgedLikeTheOthers()
{
    // A control box one step behind restarts after reporting its success (or not); an audio box keeps the run going
    // for a moment after that, while the control box takes 2.5 s to restart. The rows are read when the run ends, as
    // the scheduling page reads them to decide the schedule's status. A box that restarts twice does so within half
    // a second each time, and the audio box's installation ends only once its second restart has begun.
    QFETCH(QString, after);
    QFETCH(int, status);
    QFETCH(QString, version);
    const bool twice = after.contains(',') || after.endsWith("twice") || after.endsWith("later");
    const bool staysOff = after.endsWith("stay off");
    serveManifest(package("Velk TM7-B", "2.5.2053.0", "2.5.2054.0", "last.zip"));
    servePanelManifest("");
    m_bench.serve("AudioBox/QML8_0005.bin", SimulatedFirmware::make(30000, "8.0.0000.05"));
    m_bench.serve("AudioBox/check4Update/update.cfg", "[QML8]\nVersion=\"8.0.0000.05\"\nPath=\"" +
                                                          m_bench.http()->url().toUtf8() +
                                                          "/AudioBox/QML8_0005.bin\"\n");
    const VelkIFPDevice box = m_bench.addDevice(0, "Velk TM7-B", "2.5.2053.0");
    const VelkIFPDevice audio = m_bench.addDevice(1, "QML8", "8.0.0000.04");
    SimulatedPanel *restarting = m_bench.panel(0);
    const PanelSettings settings = restarting->settings();
    const PanelSettingsRestore restore{restarting, settings};
    PanelSettings slow = settings;
    slow.rebootDelayMs = after == "stay off" ? 600000 : twice ? 500 : 2500;
    restarting->setSettings(slow);
    restarting->behaviour().rebootAfterOta = after != "stay on";
    restarting->behaviour().restartBeforeResult = after == "lose result";
    if (after == "roll back" || after == "roll back, then forward")
        restarting->behaviour().afterOtaVersion = "2.5.2053.0";
    if (after == "roll back later")
        restarting->behaviour().rollBackAfterBootMs = 300;
    QObject watch;
    QVERIFY(m_bench.connect({0, 1}));
    QVERIFY(m_bench.serverCheck());
    QCOMPARE(m_bench.manager()->getOldDevicesCount(), 2);
    OtaTimeouts timeouts = FirmwareTestBench::shortTimeouts();
    // How long a restarting device is waited for; a run that waited for a device that stays on would not end here.
    timeouts.wakeMs = after == "stay off" ? 4000 : after == "stay on" ? 600000 : staysOff ? 5000 : 20000;
    const int connects = restarting->connectCount();
    if (twice) {
        // The audio box's installation lasts until the control box went away a second time; one that failed does
        // not hold the run's end, so the audio box waits until that one is back.
        timeouts.installResultMs = 600000;
        SimulatedPanel *audioBox = m_bench.panel(1);
        audioBox->setAnswerHeld(VELK_REMOTE_RSP_OTA_RESULT, true);
        const auto endAudio = [audioBox] {
            audioBox->setAnswerHeld(VELK_REMOTE_RSP_OTA_RESULT, false);
            audioBox->releaseHeldAnswers(VELK_REMOTE_RSP_OTA_RESULT);
        };
        const bool failedFirst = after == "roll back, then forward";
        connect(restarting, &SimulatedPanel::connected, &watch, [=] {
            if (failedFirst && restarting->connectCount() == connects + 2)
                endAudio();
            if (restarting->connectCount() != connects + 1 || after == "roll back later")
                return;
            // Back from its first restart: a while later it restarts or goes off, at the version it shows.
            if (after == "roll back, then forward") {
                PanelIdentity identity = restarting->identity();
                identity.fwVersion = "2.5.2054.0";
                restarting->setIdentity(identity);
            }
            QTimer::singleShot(300, restarting, [=] { staysOff ? restarting->shutDown() : restarting->abort(); });
        });
        int drops = 0;
        connect(restarting, &SimulatedPanel::disconnected, &watch, [=]() mutable {
            if (++drops == 2 && !failedFirst)
                endAudio();
        });
    }
    m_bench.manager()->setTimeouts(timeouts);

    VelkOtaScheduleReport rowAtEnd;
    VelkOtaScheduleReport audioAtEnd;
    VelkOtaScheduleReport rowAtAudioStart; // the audio box's family starts once the control box's has ended
    bool onlineAtEnd = false;
    connect(m_bench.panel(1), &SimulatedPanel::frameReceived, &watch, [&](quint16 code) {
        if (code == VELK_REMOTE_CMD_START_OTA)
            rowAtAudioStart = m_bench.report().value(box.macAddress);
    });
    connect(m_bench.manager(), &IFPUpgradeManager::otaScheduleFinished, &watch, [&] {
        rowAtEnd = m_bench.report().value(box.macAddress);
        audioAtEnd = m_bench.report().value(audio.macAddress);
        onlineAtEnd = CmdServer::getInstance()->isDeviceOnline(box);
    });
    QSignalSpy finished(m_bench.manager(), &IFPUpgradeManager::otaScheduleFinished);
    runAll({box, audio}, &finished);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(restarting->receivedFiles().size(), 1);
    QCOMPARE(restarting->receivedCount(VELK_REMOTE_CMD_START_OTA), 1);
    QCOMPARE(audioAtEnd.status, int(UPDATE_SUCCESSFULLY));
    QCOMPARE(rowAtEnd.status, status);
    QCOMPARE(rowAtEnd.fwVersion, version);
    // Judged before the end: a device that restarted is back by then, unless it never came back.
    QCOMPARE(onlineAtEnd, !staysOff);
    if (twice)
        QCOMPARE(restarting->connectCount(), connects + (staysOff ? 1 : 2));
    if (staysOff) {
        QVERIFY(m_bench.log()->contains("did not come back after its last step: " + box.macAddress));
    } else if (after == "stay on") {
        QVERIFY(!m_bench.log()->contains("restarting after its last step"));
    } else if (after == "lose result") {
        QCOMPARE(rowAtAudioStart.status, status);
    } else {
        QVERIFY(m_bench.log()->contains("restarting after its last step, waiting for it: " + box.macAddress));
        QTRY_COMPARE(storedDevice(box.deviceName).fwVersion, version);
    }
}

void TestFirmwareDelta::restartJustAfterTheNextStart_data()
{
    QTest::addColumn<bool>("panel");   // a panel with an image each step (upgrade type 1), else a control box (type 0)
    QTest::addColumn<QString>("lost"); // what goes down with a restart
    QTest::addColumn<int>("status");
    QTest::newRow("control box, three steps") << false << "next START" << int(UPDATE_SUCCESSFULLY);
    QTest::newRow("panel, two steps with images") << true << "next START" << int(UPDATE_SUCCESSFULLY);
    QTest::newRow("control box, second step installed, its result lost")
        << false << "second result" << int(UPDATE_SUCCESSFULLY);
    // Closing after its progress report in place of the result, back 1.5 s later at what the installation left.
    QTest::newRow("control box, first of two results lost") << false << "first result" << int(UPDATE_SUCCESSFULLY);
    QTest::newRow("panel, first of two results lost, sent when back")
        << true << "first result, sent when back" << int(UPDATE_SUCCESSFULLY);
    QTest::newRow("control box, only result lost") << false << "only result" << int(UPDATE_SUCCESSFULLY);
    QTest::newRow("panel, only result lost") << true << "only result" << int(UPDATE_SUCCESSFULLY);
    QTest::newRow("control box, only step not taken") << false << "only result, not taken" << int(UPDATE_FAILED);
    QTest::newRow("panel, only step not taken") << true << "only result, not taken" << int(UPDATE_FAILED);
    QTest::newRow("control box, only result lost, never back")
        << false << "only result, never back" << int(UPDATE_FAILED);
    // A panel image away longer than the wake wait (3 s here for 600), back within its own result wait (6 s for
    // 1,200) at the new version with its result.
    QTest::newRow("panel, image away 3.5 s, back with its result")
        << true << "only result, sent when back 3.5 s later" << int(UPDATE_SUCCESSFULLY);
    // Back at the first step's version, it sends that step's result 1.5 s later; its second step answers -1.
    QTest::newRow("control box, first result after its return, second step fails")
        << false << "first result, sent 1.5 s after back, second fails" << int(UPDATE_FAILED);
    // The link drops while the device installs, and it connects again at once at the version it runs, installing
    // on: its progress 0.2 s after the START, its result at 2.5 s on the new connection, then a restart into what
    // it installed.
    QTest::newRow("control box, link closed 0.1 s after its START")
        << false << "only step, link closed 0.1 s after its START" << int(UPDATE_SUCCESSFULLY);
    QTest::newRow("control box, link closed 0.5 s after its START")
        << false << "only step, link closed 0.5 s after its START" << int(UPDATE_SUCCESSFULLY);
    QTest::newRow("control box, link closed 2 s after its START")
        << false << "only step, link closed 2 s after its START" << int(UPDATE_SUCCESSFULLY);
    QTest::newRow("control box, link reset")
        << false << "only step, link reset 0.5 s after its START" << int(UPDATE_SUCCESSFULLY);
    QTest::newRow("control box, old link left open and silent while a new one comes")
        << false << "only step, link left open 0.5 s after its START" << int(UPDATE_SUCCESSFULLY);
    QTest::newRow("panel, link closed") << true << "only step, link closed 0.5 s after its START"
                                        << int(UPDATE_SUCCESSFULLY);
    QTest::newRow("control box, first of two steps, link closed")
        << false << "first step, link closed 0.5 s after its START" << int(UPDATE_SUCCESSFULLY);
    // Progress every 1.5 s after its return, its result 6.2 s after its START: more than its 4 s result wait.
    QTest::newRow("control box, link closed, progress after its return")
        << false << "only step, link closed 0.5 s after its START, progress after" << int(UPDATE_SUCCESSFULLY);
    QTest::newRow("control box, link closed, silent after its return")
        << false << "only step, link closed 0.5 s after its START, silent" << int(UPDATE_FAILED);
}

void TestFirmwareDelta::restartJustAfterTheNextStart()
{
    // "next START": the device restarts 250 ms after reporting its first step, and the console's START of the second
    // step lands just before it goes down: the START is lost and the device comes back at the first step's version.
    // The later steps restart at once after their success. "second result": the second step installs, and the device
    // restarts before its success reaches the console. "link": the link drops while it installs. The others close
    // after their progress report. The result waits are the console's own, so only the returns and the results can
    // judge here; where the wait judges, it is 3 s (6 s with an image for the one away 3.5 s).
    QFETCH(bool, panel);
    QFETCH(QString, lost);
    QFETCH(int, status);
    const bool link = lost.contains("link");
    const bool waitJudges = lost.endsWith("not taken") || lost.endsWith("never back") || lost.endsWith("silent");
    const QString model = "Velk TM B-Series";
    QList<QList<QByteArray>> steps; // SHA-256 of each step's files, in the order they must arrive
    QStringList versions;           // before each step, then the route's end
    if (panel) {
        serveManifest(package(model, "2.5.1050.0", "2.5.1051.0", "os1.zip") +
                      package(model, "2.5.1051.0", "2.5.1052.0", "os2.zip"));
        const QList<QByteArray> images = servePanelSteps();
        steps = {{FirmwareTestBench::sha256(served("os1.zip")), FirmwareTestBench::sha256(images.at(0))},
                 {FirmwareTestBench::sha256(served("os2.zip")), FirmwareTestBench::sha256(images.at(1))}};
        versions = QStringList{"2.5.1050.0", "2.5.1051.0", "2.5.1052.0"};
    } else {
        serveManifest(package("Velk TM7-B", "2.5.2051.0", "2.5.2052.0", "a.zip") +
                      package("Velk TM7-B", "2.5.2052.0", "2.5.2053.0", "b.zip") +
                      package("Velk TM7-B", "2.5.2053.0", "2.5.2054.0", "c.zip"));
        servePanelManifest("");
        for (const char *file : {"a.zip", "b.zip", "c.zip"})
            steps.append({FirmwareTestBench::sha256(served(file))});
        versions = QStringList{"2.5.2051.0", "2.5.2052.0", "2.5.2053.0", "2.5.2054.0"};
    }
    const int from = lost.startsWith("only") ? steps.size() - 1 : lost.startsWith("first") ? steps.size() - 2 : 0;
    const QString panelFrom = QStringLiteral("00.01.00.0%1").arg(5 + from);
    const VelkIFPDevice device =
        m_bench.addDevice(0, panel ? model : "Velk TM7-B", versions.at(from), panel ? panelFrom : QString());
    QList<QByteArray> expected;
    for (int step = from; step < steps.size(); ++step)
        expected += lost == "next START" && step == 1 ? steps.at(step) + steps.at(step) : steps.at(step);
    SimulatedPanel *restarting = m_bench.panel(0);
    const PanelSettingsRestore restore{restarting, restarting->settings()};
    restarting->behaviour().rebootAfterOta = true;
    restarting->behaviour().rebootAfterOtaDelayMs = lost == "next START" ? 250 : 0;
    restarting->behaviour().rebootAfterNextStart = lost == "next START";
    restarting->behaviour().restartBeforeResult = !link && (lost.startsWith("first") || lost.startsWith("only"));
    if (lost.endsWith("not taken"))
        restarting->behaviour().otaResultScript = PanelBehaviour::otaFailureScript();
    if (link) {
        PanelBehaviour &behaviour = restarting->behaviour();
        behaviour.installThroughDrops = true;
        const QString at = QRegularExpression(" ([0-9.]+) s after its START").match(lost).captured(1);
        behaviour.dropWhileInstallingMs = int(at.toDouble() * 1000);
        behaviour.dropKind = lost.contains("reset")       ? PanelBehaviour::Drop::Reset
                             : lost.contains("left open") ? PanelBehaviour::Drop::LeftOpen
                                                          : PanelBehaviour::Drop::Fin;
        behaviour.otaResultScript = {{200, 50}, {2300, 0}};
        if (lost.endsWith("progress after"))
            behaviour.otaResultScript = {{200, 50}, {1500, 60}, {1500, 80}, {1500, 95}, {1500, 0}};
        else if (lost.endsWith("silent"))
            behaviour.otaResultScript = {{200, 50}};
    }
    int reboots = 0;
    QObject watch;
    connect(restarting, &SimulatedPanel::rebooting, &watch, [restarting, lost, &reboots] {
        restarting->behaviour().rebootAfterOtaDelayMs = 0;
        restarting->behaviour().rebootAfterNextStart = false;
        restarting->behaviour().restartBeforeResult = false;
        // The second step's result goes down with its restart.
        if (lost == "second result")
            restarting->setAnswerHeld(VELK_REMOTE_RSP_OTA_RESULT, ++reboots == 1);
    });
    connect(restarting, &SimulatedPanel::connected, &watch, [restarting, settings = restore.settings] {
        restarting->setSettings(settings); // back from the restart that lost a result: the others take 0.5 s
    });
    // Its first step's result, sent once it is back from the restart that lost it, is no result of the second.
    if (lost.contains(", sent"))
        restarting->behaviour().lateResultMs = lost.contains("1.5 s after") ? 1500 : 0;
    if (lost.endsWith("second fails"))
        restarting->behaviour().failFromUpdate = 2;
    int startsAtLateResult = -1;
    connect(restarting, &SimulatedPanel::logMessage, &watch, [&](const QString &line) {
        if (line.contains("sending the result its restart kept back"))
            startsAtLateResult = restarting->receivedCount(VELK_REMOTE_CMD_START_OTA);
    });
    // The row as the report shows it on the way; the time from the device's last report to a Failed row.
    bool sawFailed = false;
    qint64 failedAfterMs = -1;
    QElapsedTimer sinceReport;
    connect(restarting, &SimulatedPanel::frameSent, &watch, [&](quint16 code) {
        if (code == VELK_REMOTE_RSP_OTA_RESULT)
            sinceReport.start();
    });
    connect(m_bench.manager(), &IFPUpgradeManager::otaScheduleReportUpdated, &watch, [&] {
        if (!sawFailed && m_bench.report().value(device.macAddress).status == int(UPDATE_FAILED)) {
            sawFailed = true;
            failedAfterMs = sinceReport.isValid() ? sinceReport.elapsed() : -1;
        }
    });
    QVERIFY(m_bench.connect({0}));
    QTRY_VERIFY(restarting->isConnected());
    PanelSettings away = restore.settings;
    away.rebootDelayMs = lost.endsWith("never back") ? 600000 : lost.endsWith("3.5 s later") ? 3500 : 1500;
    if (restarting->behaviour().restartBeforeResult)
        restarting->setSettings(away);
    QVERIFY(m_bench.serverCheck());
    QCOMPARE(m_bench.manager()->getOldDevicesCount(), 1);
    OtaTimeouts timeouts = FirmwareTestBench::shortTimeouts();
    timeouts.wakeMs = 10000;
    timeouts.installResultMs = OtaTimeouts().installResultMs;
    timeouts.installResultWithImageMs = OtaTimeouts().installResultWithImageMs;
    if (waitJudges)
        timeouts.installResultMs = timeouts.installResultWithImageMs = 3000;
    if (lost.endsWith("progress after"))
        timeouts.installResultMs = 4000;
    if (lost.endsWith("3.5 s later")) {
        timeouts.wakeMs = 3000;
        timeouts.installResultWithImageMs = 6000;
    }
    m_bench.manager()->setTimeouts(timeouts);

    QSignalSpy finished(m_bench.manager(), &IFPUpgradeManager::otaScheduleFinished);
    runAll({device}, &finished);
    QCOMPARE(finished.count(), 1);
    // The lost START's step went a second time, files and START; every other step once.
    const QList<ReceivedFile> files = restarting->receivedFiles();
    QCOMPARE(files.size(), expected.size());
    for (int i = 0; i < files.size(); ++i)
        QCOMPARE(files.at(i).sha256, expected.at(i));
    QCOMPARE(restarting->receivedCount(VELK_REMOTE_CMD_START_OTA), expected.size() / (panel ? 2 : 1));
    QCOMPARE(restarting->lastUpgradeType(), panel ? 1 : 0);
    const QString mac = device.macAddress;
    if (lost == "second result")
        QVERIFY(m_bench.log()->contains("back at 2.5.2053.0, the step it was installing: " + mac));
    else if (lost == "next START")
        QVERIFY(m_bench.log()->contains("the START never took, sending the step again: " + mac));
    if (lost.startsWith("first result, sent"))
        QVERIFY(m_bench.log()->contains("result 0 is of the step its return showed installed, not counted: " + mac));
    // No start command between its return and its late result: that result is never taken for the next step's.
    if (lost.contains(", sent"))
        QCOMPARE(startsAtLateResult, 1);
    if (status == int(UPDATE_SUCCESSFULLY))
        QVERIFY2(!sawFailed, "its row read Failed on the way");
    else if (waitJudges)
        QVERIFY2(failedAfterMs >= timeouts.installResultMs * 9 / 10, qPrintable(QString::number(failedAfterMs)));
    const QString at = status == int(UPDATE_SUCCESSFULLY) ? versions.last()
                       : lost.endsWith("second fails")    ? versions.at(from + 1)
                                                          : versions.at(from);
    const VelkOtaScheduleReport row = m_bench.report().value(mac);
    QCOMPARE(row.status, status);
    QCOMPARE(row.fwVersion, at);
    if (!lost.endsWith("never back"))
        QCOMPARE(restarting->fwVersion(), at);
    QTRY_COMPARE(storedDevice(device.deviceName).fwVersion, at);
    if (panel)
        QCOMPARE(storedDevice(device.deviceName).panelFwVersion,
                 status == int(UPDATE_SUCCESSFULLY) ? QStringLiteral("00.01.00.07") : panelFrom);
}

void TestFirmwareDelta::deletedDeviceLeavesTheRunAtOnce_data()
{
    QTest::addColumn<QString>("deletedAt"); // the version box A has installed when the operator deletes it
    QTest::newRow("between its steps") << "2.5.2052.0";
    QTest::newRow("after its last step") << "2.5.2053.0";
}

void TestFirmwareDelta::deletedDeviceLeavesTheRunAtOnce()
{
    // Two control boxes two steps behind share each pass; box B's installation results are held back until box A
    // has been deleted, as the device page deletes it, once A has installed its first step (its next pass would hold
    // B), or its last (the run's end would wait for it). The wake time-out is the console's own ten minutes: the run
    // must not wait for a device that no longer exists.
    QFETCH(QString, deletedAt);
    serveManifest(package("Velk TM7-B", "2.5.2051.0", "2.5.2052.0", "a.zip") +
                  package("Velk TM7-B", "2.5.2052.0", "2.5.2053.0", "b.zip"));
    servePanelManifest("");
    const VelkIFPDevice boxA = m_bench.addDevice(0, "Velk TM7-B", "2.5.2051.0");
    const VelkIFPDevice boxB = m_bench.addDevice(1, "Velk TM7-B", "2.5.2051.0");
    SimulatedPanel *held = m_bench.panel(1);
    held->setAnswerHeld(VELK_REMOTE_RSP_OTA_RESULT, true);
    QVERIFY(m_bench.connect({0, 1}));
    QVERIFY(m_bench.serverCheck());
    QCOMPARE(m_bench.manager()->getOldDevicesCount(), 2);
    OtaTimeouts timeouts = FirmwareTestBench::shortTimeouts();
    timeouts.wakeMs = 600000;
    timeouts.installResultMs = 600000;
    m_bench.manager()->setTimeouts(timeouts);

    QSignalSpy finished(m_bench.manager(), &IFPUpgradeManager::otaScheduleFinished);
    m_bench.manager()->startOta(m_bench.prepareRun({boxA, boxB}), m_bench.runDevices());
    const VelkIFPDevice *recordA = m_bench.runDevices().at(0);
    if (deletedAt == "2.5.2053.0") {
        // B ends its first step (its progress and its success) only once A has, so both go on to the second.
        QTRY_COMPARE_WITH_TIMEOUT(recordA->fwVersion, QStringLiteral("2.5.2052.0"), FirmwareTestBench::runCeilingMs());
        QTRY_COMPARE(held->heldAnswerCount(), 2);
        held->releaseHeldAnswers(VELK_REMOTE_RSP_OTA_RESULT);
    }
    QTRY_COMPARE_WITH_TIMEOUT(recordA->fwVersion, deletedAt, FirmwareTestBench::runCeilingMs());
    QCOMPARE(finished.count(), 0);
    // What the device page does: the record goes, the command server forgets the device and closes its connection,
    // and the page announces the deletion, which the main frame hands to the update manager.
    VelkIFPDevice doomed = boxA;
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    QCOMPARE(db->deleteIFPDevice(doomed), DB_OK);
    QList<VelkIFPDevice> left;
    db->queryAllAvailableIFP(left);
    CmdServer::getInstance()->setManagedDevices(left);
    CmdServer::getInstance()->disconnectDevice(boxA.macAddress);
    m_bench.manager()->deviceRemoved(boxA);
    held->setAnswerHeld(VELK_REMOTE_RSP_OTA_RESULT, false);
    held->releaseHeldAnswers(VELK_REMOTE_RSP_OTA_RESULT);

    // B goes on alone and the run ends with it, minutes before A's wake time-out.
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, FirmwareTestBench::runCeilingMs());
    QTest::qWait(200);
    QCOMPARE(finished.count(), 1);
    QVERIFY(m_bench.log()->contains("deleted from the console, leaves the run: " + boxA.deviceName));
    QVERIFY(!m_bench.log()->contains("updateOtaScheduleReport error"));
    const QHash<QString, VelkOtaScheduleReport> rows = m_bench.report();
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.value(boxB.macAddress).status, int(UPDATE_SUCCESSFULLY));
    QCOMPARE(rows.value(boxB.macAddress).fwVersion, QStringLiteral("2.5.2053.0"));
    const QList<ReceivedFile> filesB = m_bench.panel(1)->receivedFiles();
    QCOMPARE(filesB.size(), 2);
    QCOMPARE(filesB.at(1).sha256, FirmwareTestBench::sha256(served("b.zip")));
    QCOMPARE(m_bench.panel(0)->receivedFiles().size(), deletedAt == "2.5.2052.0" ? 1 : 2);
}

QTEST_GUILESS_MAIN(TestFirmwareDelta)
#include "tst_firmware_delta.moc"
