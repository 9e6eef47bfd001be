#include "FirmwareTestSupport.h"

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
    void malformedManifestsFailTheirDevices();

private:
    // A package element with its file served under pkg/; the file installs `newVersion` on a simulated device.
    QByteArray package(const QString &model, const QString &oldVersion, const QString &newVersion, const QString &file,
                       qint64 sizeSkew = 0, const QString &sku = QString("-"));
    void serveManifest(const QByteArray &packages);
    void servePanelManifest(const QByteArray &body);
    QByteArray served(const QString &file) const { return m_files.value(file); }
    QList<VelkIFPDevice> runAll(const QList<VelkIFPDevice> &devices, QSignalSpy *finished);

    FirmwareTestBench m_bench;
    QHash<QString, QByteArray> m_files;
    quint32 m_seed = 1;
};

void TestFirmwareDelta::initTestCase()
{
    QVERIFY(m_bench.setUp(6));
}

void TestFirmwareDelta::cleanup()
{
    m_bench.reset();
    m_files.clear();
}

QByteArray TestFirmwareDelta::package(const QString &model, const QString &oldVersion, const QString &newVersion,
                                      const QString &file, qint64 sizeSkew, const QString &sku)
{
    const QByteArray bytes = SimulatedFirmware::make(40960 + m_seed * 7, newVersion, QString(), m_seed);
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

QList<VelkIFPDevice> TestFirmwareDelta::runAll(const QList<VelkIFPDevice> &devices, QSignalSpy *finished)
{
    m_bench.manager()->startOta(m_bench.prepareRun(devices), m_bench.runDevices());
    if (!QTest::qWaitFor([&] { return finished->count() > 0; }, 30000))
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
    QVERIFY(!QFile::exists(m_bench.manager()->getOtaFolder() + "IFP3_BOX/Velkupdate-3.zip"));
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

QTEST_GUILESS_MAIN(TestFirmwareDelta)
#include "tst_firmware_delta.moc"
