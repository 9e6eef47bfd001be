#include "firmware/BoxManifest.h"
#include "firmware/PanelManifest.h"
#include "firmware/PanelVersion.h"
#include "firmware/UpdateRoutes.h"

#include <QElapsedTimer>
#include <QtTest>

// The manifests and the routes built from them, fed with XML text.
class TestFirmwareRoutes : public QObject
{
    Q_OBJECT

private slots:
    void manifestReading();
    void statedSizes_data();
    void statedSizes();
    void nodesAndRoutes();
    void routeLookup_data();
    void routeLookup();
    void stepChoice();
    void branchingManifestIsBounded();
    void routeLimitIsExact_data();
    void routeLimitIsExact();
    void panelManifest();

private:
    static QByteArray package(const char *element, const QString &oldVersion, const QString &newVersion,
                              const QString &extra = QString(), const QString &url = "http://h/p.zip")
    {
        QString xml = QStringLiteral("<%1 modelName=\"Velk TM7-B\" oldVersion=\"%2\" newVersion=\"%3\" name=\"p.zip\" "
                                     "size=\"100\" %4>")
                          .arg(element, oldVersion, newVersion, extra);
        if (!url.isEmpty())
            xml += QStringLiteral("<DownloadServer URL=\"%1\"/>").arg(url);
        return (xml + QStringLiteral("</%1>\n").arg(element)).toUtf8();
    }
    static QByteArray manifest(const QByteArray &body) { return "<Manifest>\n" + body + "</Manifest>\n"; }
    static QVector<ManifestPackage> read(const QByteArray &body)
    {
        return BoxManifest::read(manifest(body), "Velk TM7-B").packages;
    }
};

void TestFirmwareRoutes::manifestReading()
{
    const QByteArray body =
        "<Group><Package modelName=\"Velk TM7-B\" oldVersion=\"2.5.2051.0\" newVersion=\"2.5.2052.0\" name=\"a.zip\" "
        "size=\"4294967296\"><Info><DownloadServer URL=\"http://h/a.zip\"/></Info>"
        "<DownloadServer URL=\"http://h/second.zip\"/></Package></Group>\n" +
        // Another model, another letter case, no sku on a PackageV2: none of them counts.
        package("Package", "2.5.2052.0", "2.5.2053.0").replace("Velk TM7-B", "Velk ZN-640") +
        package("Package", "2.5.2052.0", "2.5.2053.0").replace("Velk TM7-B", "velk tm7-b") +
        package("PackageV2", "2.5.2052.0", "2.5.2053.0") +
        // Versions the routes could not compare, a size above 4 GiB, and sizes that are no size.
        package("Package", "2.5.2060.0", "2.5.2061.0").replace("size=\"100\"", "size=\"4294967297\"") +
        package("Package", "2.5.2062.0", "2.5.2063.0").replace("size=\"100\"", "size=\"99999999999999999999\"") +
        package("Package", "2.5.2052", "2.5.2053.0") + package("Package", "1.2", "2.5.2053.0") +
        package("Package", "2.5.x.0", "2.5.2053.0") +
        package("PackageV2", "2.5.2052.0", "2.5.2053.0", "sku=\"\"").replace("size=\"100\"", "size=\"ten\"") +
        package("PackageV2", "2.5.2053.0", "2.5.2054.0", "sku=\"EDU\"", "").replace("size=\"100\"", "size=\"-5\"");
    const BoxManifest::Result result = BoxManifest::read(manifest(body), "Velk TM7-B");
    QVERIFY(result.error.isEmpty());
    QCOMPARE(result.dropped, 5);
    QCOMPARE(result.packages.size(), 3);
    // Sizes are 64-bit, up to 4 GiB; the first DownloadServer inside the package counts, at any depth.
    QCOMPARE(result.packages.at(0).size, Q_INT64_C(4294967296));
    QCOMPARE(result.packages.at(0).url, QStringLiteral("http://h/a.zip"));
    QVERIFY(!result.packages.at(0).v2);
    QVERIFY(result.packages.at(1).v2);
    QVERIFY(result.packages.at(1).sku.isEmpty());
    QCOMPARE(result.packages.at(1).size, qint64(-1));
    QCOMPARE(result.packages.at(2).sku, QStringLiteral("EDU"));
    QVERIFY(result.packages.at(2).url.isEmpty());

    // A broken document keeps what was read before the break.
    const BoxManifest::Result broken =
        BoxManifest::read("<Manifest>" + package("Package", "1.0.1000.0", "1.0.1001.0") + "<Package", "Velk TM7-B");
    QVERIFY(!broken.error.isEmpty());
    QCOMPARE(broken.packages.size(), 1);

    // An address the downloader would refuse is none: the first one it fetches counts.
    const BoxManifest::Result addresses = BoxManifest::read(
        manifest(package("Package", "1.0.1000.0", "1.0.1001.0", QString(), "ftp://h/a.zip")
                     .replace("</Package>", "<DownloadServer URL=\"http://\"/><DownloadServer URL=\"\"/>"
                                            "<DownloadServer URL=\" http://h/b.zip \"/></Package>") +
                 package("Package", "1.0.1001.0", "1.0.1002.0", QString(), "none")),
        "Velk TM7-B");
    QCOMPARE(addresses.packages.size(), 2);
    QCOMPARE(addresses.packages.at(0).url, QStringLiteral("http://h/b.zip"));
    QVERIFY(addresses.packages.at(1).url.isEmpty());
}

void TestFirmwareRoutes::statedSizes_data()
{
    QTest::addColumn<QString>("size");
    QTest::addColumn<qint64>("read"); // -2: the package is dropped with the others above 4 GiB
    // Blanks around the digits and a plus before them read as in a number 64 bits hold; more digits than that are a
    // size far above 4 GiB however they are written, not a missing size that kept the package in the routes.
    QTest::newRow("plain") << "40960" << qint64(40960);
    QTest::newRow("blank before") << " 40960" << qint64(40960);
    QTest::newRow("plus before") << "+40960" << qint64(40960);
    QTest::newRow("blank before, above 4 GiB") << " 4294967297" << qint64(-2);
    QTest::newRow("digits past 64 bits") << "99999999999999999999" << qint64(-2);
    QTest::newRow("blank before digits past 64 bits") << " 99999999999999999999" << qint64(-2);
    QTest::newRow("plus before digits past 64 bits") << "+99999999999999999999" << qint64(-2);
    QTest::newRow("blank after digits past 64 bits") << "99999999999999999999\t" << qint64(-2);
    QTest::newRow("minus before digits past 64 bits") << "-99999999999999999999" << qint64(-1);
    QTest::newRow("blank between plus and digits") << "+ 99999999999999999999" << qint64(-1);
}

void TestFirmwareRoutes::statedSizes()
{
    QFETCH(QString, size);
    QFETCH(qint64, read);
    const BoxManifest::Result result = BoxManifest::read(
        manifest(
            package("Package", "2.5.2051.0", "2.5.2052.0").replace("size=\"100\"", "size=\"" + size.toUtf8() + '"')),
        "Velk TM7-B");
    QCOMPARE(result.dropped, read == -2 ? 1 : 0);
    QCOMPARE(result.packages.size(), read == -2 ? 0 : 1);
    if (read != -2)
        QCOMPARE(result.packages.at(0).size, read);
}

void TestFirmwareRoutes::nodesAndRoutes()
{
    UpdateRoutes routes;
    // Two packages from one version keep the first; a PackageV2 replaces a Package and moves to the end; a Package
    // after a PackageV2 of its version is dropped; PackageV2 of other SKUs stay; a package leading down is no node.
    QVERIFY(routes.build(read(package("Package", "2.5.2051.0", "2.5.2052.0") +
                              package("Package", "2.5.2051.0", "2.5.2059.0") +
                              package("Package", "2.5.2052.0", "2.5.2053.0") +
                              package("PackageV2", "2.5.2052.0", "2.5.2053.0", "sku=\"EDU\"") +
                              package("Package", "2.5.2052.0", "2.5.2058.0") +
                              package("PackageV2", "2.5.2052.0", "2.5.2053.0", "sku=\"ENT\"") +
                              package("Package", "2.5.2054.0", "2.5.1053.0"))));
    QCOMPARE(routes.nodes().size(), 3);
    QCOMPARE(routes.nodes().at(0).newVersion, QStringLiteral("2.5.2052.0"));
    QCOMPARE(routes.nodes().at(1).sku, QStringLiteral("EDU"));
    QCOMPARE(routes.nodes().at(2).sku, QStringLiteral("ENT"));
    // One route per SKU through the branch; SKU branches alone do not continue a SKU-neutral node, so it also
    // ends a route of its own.
    QCOMPARE(routes.routes().size(), 3);
    QCOMPARE(routes.newestVersions(), QSet<QString>({"2.5.2053.0", "2.5.2052.0"}));
    QCOMPARE(routes.routeEnd(routes.findRouteIndex("2.5.2051.0", "ENT")), QStringLiteral("2.5.2053.0"));
    QCOMPARE(routes.routeEnd(routes.findRouteIndex("2.5.2051.0", QString())), QStringLiteral("2.5.2052.0"));
    // A device without SKU at 2.5.2052.0 is at the end of its route: nothing leads it on.
    QCOMPARE(routes.routeEnd(routes.findRouteIndex("2.5.2052.0", QString())), QStringLiteral("2.5.2052.0"));
}

void TestFirmwareRoutes::routeLookup_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("sku");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("next");
    QTest::newRow("first node") << "2.5.2051.0"
                                << "" << true << "2.5.2052.0";
    QTest::newRow("middle node") << "2.5.2052.0"
                                 << "" << true << "2.5.2053.0";
    QTest::newRow("end of the route") << "2.5.2053.0"
                                      << "" << true << "";
    // Found through the last node's new version only by text: the build character differs.
    QTest::newRow("same order, other text") << "2.5.1053.0"
                                            << "" << false << "";
    QTest::newRow("unknown") << "2.5.2050.0"
                             << "" << false << "";
    QTest::newRow("SKU device on a neutral route") << "2.5.2051.0"
                                                   << "EDU" << true << "2.5.2052.0";
}

void TestFirmwareRoutes::routeLookup()
{
    QFETCH(QString, version);
    QFETCH(QString, sku);
    QFETCH(bool, found);
    QFETCH(QString, next);
    UpdateRoutes routes;
    QVERIFY(routes.build(
        read(package("Package", "2.5.2051.0", "2.5.2052.0") + package("Package", "2.5.2052.0", "2.5.2053.0"))));
    QCOMPARE(routes.routes().size(), 1);
    const int index = routes.findRouteIndex(version, sku);
    QCOMPARE(index >= 0, found);
    QCOMPARE(routes.nextVersion(index, version), next);
    if (found)
        QCOMPARE(routes.routeEnd(index), QStringLiteral("2.5.2053.0"));
}

void TestFirmwareRoutes::stepChoice()
{
    const QVector<ManifestPackage> packages =
        read(package("Package", "2.5.2051.0", "2.5.2052.0", QString(), "http://h/neutral.zip") +
             package("PackageV2", "2.5.2051.0", "2.5.2052.0", "sku=\"\"", "http://h/v2-neutral.zip") +
             package("PackageV2", "2.5.2051.0", "2.5.2052.0", "sku=\"EDU\"", "http://h/edu.zip") +
             // Off the route, downwards, unfetchable or without a size: never chosen.
             package("PackageV2", "2.5.2051.0", "2.5.2057.0", "sku=\"ENT\"", "http://h/off-route.zip") +
             package("PackageV2", "2.5.2051.0", "2.5.2050.0", "sku=\"ENT\"", "http://h/down.zip") +
             package("PackageV2", "2.5.2051.0", "2.5.2052.0", "sku=\"ENT\"", "file:///etc/passwd") +
             package("PackageV2", "2.5.2051.0", "2.5.2052.0", "sku=\"OEM\"", "http://h/oem.zip")
                 .replace("size=\"100\"", "size=\"0\""));
    auto chosen = [&](const QString &to, const QString &sku) {
        const ManifestPackage *p = UpdateRoutes::chooseStep(packages, "2.5.2051.0", to, sku);
        return p ? p->url : QString();
    };
    // The device's own SKU first, even after the others in the file; then a neutral PackageV2; then a Package.
    QCOMPARE(chosen("2.5.2052.0", "EDU"), QStringLiteral("http://h/edu.zip"));
    QCOMPARE(chosen("2.5.2052.0", "ENT"), QStringLiteral("http://h/v2-neutral.zip"));
    QCOMPARE(chosen("2.5.2052.0", QString()), QStringLiteral("http://h/v2-neutral.zip"));
    QCOMPARE(chosen("2.5.2052.0", "OEM"), QStringLiteral("http://h/v2-neutral.zip"));
    QCOMPARE(chosen("2.5.2050.0", "ENT"), QString());
    QCOMPARE(chosen(QString(), "EDU"), QString());
}

void TestFirmwareRoutes::branchingManifestIsBounded()
{
    // Every other version splits into two SKU branches that join again: the number of routes doubles every two
    // steps, a million ways through 40 steps.
    QByteArray body;
    for (int step = 0; step < 40; step += 2) {
        const QString a = QStringLiteral("2.5.%1.0").arg(2000 + step);
        const QString b = QStringLiteral("2.5.%1.0").arg(2001 + step);
        const QString c = QStringLiteral("2.5.%1.0").arg(2002 + step);
        body += package("Package", a, b);
        body += package("PackageV2", b, c, "sku=\"A\"");
        body += package("PackageV2", b, c, "sku=\"B\"");
    }
    UpdateRoutes routes;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!routes.build(read(body)));
    // Without the bound the routes would number a million; a minute leaves room for any loaded machine.
    QVERIFY2(clock.elapsed() < 60000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(routes.gaveUp());
    QVERIFY(routes.isEmpty());
    QCOMPARE(routes.findRouteIndex("2.5.2000.0", "A"), -1);

    // A chain longer than any route may be is given up as well, without exhausting the stack.
    QByteArray chain;
    for (int step = 0; step < UpdateRoutes::MaxRouteLength + 5; ++step)
        chain += package("Package", QStringLiteral("9.0.%1.0").arg(10000 + step),
                         QStringLiteral("9.0.%1.0").arg(10001 + step));
    QVERIFY(!routes.build(read(chain)));
    QVERIFY(routes.isEmpty());
}

void TestFirmwareRoutes::routeLimitIsExact_data()
{
    QTest::addColumn<int>("skuSteps");
    QTest::addColumn<bool>("built");
    QTest::newRow("exactly the most routes") << UpdateRoutes::MaxRoutes - 1 << true;
    QTest::newRow("one route more") << UpdateRoutes::MaxRoutes << false;
}

void TestFirmwareRoutes::routeLimitIsExact()
{
    // One step for every SKU leads on from the version a SKU-neutral step reaches: a route through each of them,
    // and one that ends at the neutral step. The last route made is the one past the limit.
    QFETCH(int, skuSteps);
    QFETCH(bool, built);
    QVector<ManifestPackage> packages = read(package("Package", "2.5.2051.0", "2.5.2052.0"));
    for (int i = 0; i < skuSteps; ++i) {
        ManifestPackage step = packages.first();
        step.v2 = true;
        step.sku = QStringLiteral("SKU%1").arg(i);
        step.oldVersion = QStringLiteral("2.5.2052.0");
        step.newVersion = QStringLiteral("2.5.2053.0");
        packages.append(step);
    }
    UpdateRoutes routes;
    QCOMPARE(routes.build(packages), built);
    QCOMPARE(routes.gaveUp(), !built);
    QCOMPARE(routes.routes().size(), built ? skuSteps + 1 : 0);
    if (built)
        QCOMPARE(routes.routeEnd(routes.findRouteIndex("2.5.2051.0", "SKU7")), QStringLiteral("2.5.2053.0"));
}

void TestFirmwareRoutes::panelManifest()
{
    const QByteArray xml =
        "<PanelManifest>"
        "<Package modelName=\"Velk TM B-Series\" oldVersion=\"2.5.1052.0\" panel_fw_Version=\"1.2\"/>"
        "<Package modelName=\"Velk TM B-Series\" oldVersion=\"2.5.1052.0\" panel_fw_Version=\"00.01.00.07\" "
        "panel_fw_size_86=\"86000\" panel_fw_size_86_01=\"86001\" panel_fw_size_65=\"x\">"
        "<DownloadPanelServer_86 URL=\"http://h/86.img\"/><DownloadPanelServer_86_01 URL=\"http://h/86_01.img\"/>"
        "<DownloadPanelServer_65 URL=\"http://h/65.img\"/></Package>"
        // An empty address is no address: the later entry's image is taken, not the empty one.
        "<Package modelName=\"Velk TM B-Series\" oldVersion=\"2.5.1052.0\" panel_fw_Version=\"00.01.00.08\" "
        "panel_fw_size_75=\"75000\"><DownloadPanelServer_75 URL=\"\"/></Package>"
        "<Package modelName=\"Velk TM B-Series\" oldVersion=\"2.5.1052.0\" panel_fw_Version=\"00.01.00.09\" "
        "panel_fw_size_65=\"65000\" panel_fw_size_75=\"75001\"><DownloadPanelServer_65 URL=\"http://h/65-later.img\"/>"
        "<DownloadPanelServer_75 URL=\"\"/><DownloadPanelServer_75 URL=\"http://h/75.img\"/></Package>"
        "<Package modelName=\"Velk TM B-Series \" oldVersion=\"2.5.1053.0\" panel_fw_Version=\"00.01.00.08\"/>"
        "</PanelManifest>";
    const PanelManifest manifest = PanelManifest::read(xml, "Velk TM B-Series");
    // A malformed panel version is passed over; the first well-formed entry of the version counts.
    QCOMPARE(manifest.matchedPanelVersion("2.5.1052.0"), QStringLiteral("00.01.00.07"));
    QVERIFY(manifest.matchedPanelVersion("2.5.1053.0").isEmpty());
    QCOMPARE(manifest.image("2.5.1052.0", 86, "00").url, QStringLiteral("http://h/86.img"));
    QCOMPARE(manifest.image("2.5.1052.0", 86, "00").size, qint64(86000));
    QCOMPARE(manifest.image("2.5.1052.0", 86, "02").url, QStringLiteral("http://h/86_01.img"));
    // The first entry's 65-inch size is no number; the later entry supplies the image.
    QCOMPARE(manifest.image("2.5.1052.0", 65, "00").url, QStringLiteral("http://h/65-later.img"));
    QCOMPARE(manifest.image("2.5.1052.0", 75, "00").url, QStringLiteral("http://h/75.img"));
    QCOMPARE(manifest.image("2.5.1052.0", 75, "00").size, qint64(75001));
    QVERIFY(manifest.image("2.5.1052.0", 75, "01").url.isEmpty());
    QVERIFY(manifest.image("2.5.1052.0", 55, "00").url.isEmpty());

    QVERIFY(!PanelVersion::isWellFormed("1.2"));
    QVERIFY(!PanelVersion::isWellFormed("00.01.00.7"));
    QCOMPARE(PanelVersion::withField("00.01.00.07", PanelVersion::Code, "09"), QStringLiteral("00.01.00.09"));
    QCOMPARE(PanelVersion::withField("1.2", PanelVersion::Code, "09"), QStringLiteral("1.2"));
    QCOMPARE(PanelVersion::fieldValue("00.03.01.07", PanelVersion::Size), 3);
}

QTEST_GUILESS_MAIN(TestFirmwareRoutes)
#include "tst_firmware_routes.moc"
