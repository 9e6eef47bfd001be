#include "network/SsdpMessage.h"
#include "platform/ArpTable.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

class TestDiscovery : public QObject
{
    Q_OBJECT

private slots:
    void searchIsAnsweredOnlyWhenOurs_data();
    void searchIsAnsweredOnlyWhenOurs();
    void searchRoundTripAndHeaderCase();
    void answerText();
    void arpParsesEveryForm();
    void arpRunsAsynchronously();
    void arpFallsBackToKernelTable();
    void arpOverrunIsKilled();
};

void TestDiscovery::searchIsAnsweredOnlyWhenOurs_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<bool>("answered");
    const QByteArray ours = "M-SEARCH * HTTP/1.1\r\nHOST: 239.255.255.250:1988\r\nMAN: \"ssdp:discover\"\r\n"
                            "ST: urn:velk:service:console:1\r\nX-VELK-MAC: 02:51:4d:00:00:07\r\n\r\n";
    QTest::newRow("ours") << ours << true;
    QTest::newRow("ssdp:all") << QByteArray("M-SEARCH * HTTP/1.1\r\nST: ssdp:all\r\n\r\n") << true;
    QTest::newRow("bare newlines") << QByteArray("M-SEARCH * HTTP/1.1\nst: urn:velk:service:console:1\n\n") << true;
    QTest::newRow("other service") << QByteArray("M-SEARCH * HTTP/1.1\r\nST: upnp:rootdevice\r\n\r\n") << false;
    QTest::newRow("no ST") << QByteArray("M-SEARCH * HTTP/1.1\r\nHOST: x\r\n\r\n") << false;
    QTest::newRow("notify") << QByteArray("NOTIFY * HTTP/1.1\r\nST: urn:velk:service:console:1\r\n\r\n") << false;
    QTest::newRow("answer") << SsdpMessage::buildAnswer("127.0.0.1", 1688, "{abc}") << false;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("binary") << QByteArray("\x00\xff\x10M-SEARCH", 11) << false;
    QTest::newRow("oversized") << ours + QByteArray(2048, ' ') << false;
}

// Anything but a search for our service must go unanswered, or the console becomes a reflector.
void TestDiscovery::searchIsAnsweredOnlyWhenOurs()
{
    QFETCH(QByteArray, datagram);
    QFETCH(bool, answered);
    SsdpSearch search;
    QCOMPARE(SsdpMessage::parseSearch(datagram, &search), answered);
}

void TestDiscovery::searchRoundTripAndHeaderCase()
{
    SsdpSearch search;
    search.mac = "02:51:4d:00:00:07";
    search.model = "Velk TM B-Series";
    search.deviceType = "Control Box";
    search.displayClientVersion = "1.1.1030.30";
    QByteArray datagram = SsdpMessage::buildSearch(search, "239.255.255.250:1988");
    QVERIFY(datagram.startsWith("M-SEARCH * HTTP/1.1\r\nHOST: 239.255.255.250:1988\r\n"));
    datagram.replace("X-VELK-MAC: 02:51:4d:00:00:07", "x-velk-mac:   02-51-4D-00-00-07");
    SsdpSearch parsed;
    QVERIFY(SsdpMessage::parseSearch(datagram, &parsed));
    QCOMPARE(parsed.mac, QString("02:51:4d:00:00:07"));
    QCOMPARE(parsed.model, search.model);
    QCOMPARE(parsed.deviceType, search.deviceType);
    QCOMPARE(parsed.displayClientVersion, search.displayClientVersion);

    datagram.replace("02-51-4D-00-00-07", "not-a-mac");
    QVERIFY(SsdpMessage::parseSearch(datagram, &parsed));
    QVERIFY(parsed.mac.isEmpty());
}

void TestDiscovery::answerText()
{
    const QByteArray answer = SsdpMessage::buildAnswer("192.168.1.5", 1688, "{0f1e2d3c-0000-4000-8000-123456789abc}");
    QCOMPARE(answer, QByteArray("HTTP/1.1 200 OK\r\n"
                                "CACHE-CONTROL: max-age=1800\r\n"
                                "EXT:\r\n"
                                "LOCATION: tcp://192.168.1.5:1688\r\n"
                                "SERVER: Quorvin/1.5.1036.0 UPnP/1.1\r\n"
                                "ST: urn:velk:service:console:1\r\n"
                                "USN: uuid:0f1e2d3c-0000-4000-8000-123456789abc::urn:velk:service:console:1\r\n"
                                "\r\n"));
    SsdpAnswer parsed;
    QVERIFY(SsdpMessage::parseAnswer(answer, &parsed));
    QCOMPARE(parsed.host, QString("192.168.1.5"));
    QCOMPARE(parsed.port, quint16(1688));
    QVERIFY(!SsdpMessage::parseAnswer(QByteArray(answer).replace("tcp://", "http://"), &parsed));
}

void TestDiscovery::arpParsesEveryForm()
{
    const QByteArray windows = "\r\nInterface: 192.168.1.5 --- 0xb\r\n"
                               "  Internet Address      Physical Address      Type\r\n"
                               "  192.168.1.10          02-51-4D-00-00-07     dynamic\r\n"
                               "  192.168.1.255         ff-ff-ff-ff-ff-ff     static\r\n"
                               "  224.0.0.22            01-00-5e-00-00-16     static\r\n";
    const QByteArray netTools = "? (192.168.1.11) at 02:51:4d:00:00:08 [ether] on eth0\n"
                                "? (192.168.1.12) at <incomplete> on eth0\n";
    const QByteArray proc = "IP address       HW type     Flags       HW address            Mask     Device\n"
                            "192.168.1.13     0x1         0x2         02:51:4d:00:00:09     *        eth0\n"
                            "192.168.1.14     0x1         0x0         02:51:4d:00:00:0a     *        eth0\n"
                            "192.168.1.15     0x1         0x2         00:00:00:00:00:00     *        eth0\n";
    const QByteArray ipNeigh = "192.168.1.16 dev eth0 lladdr 02:51:4d:00:00:0b REACHABLE\n"
                               "192.168.1.17 dev eth0  FAILED\nfd00::1 dev eth0 lladdr 02:51:4d:00:00:0c STALE\n";
    const QHash<QString, QString> table = ArpTable::parse(windows + netTools + proc + ipNeigh);
    QCOMPARE(table.value("02:51:4d:00:00:07"), QString("192.168.1.10"));
    QCOMPARE(table.value("02:51:4d:00:00:08"), QString("192.168.1.11"));
    QCOMPARE(table.value("02:51:4d:00:00:09"), QString("192.168.1.13"));
    QCOMPARE(table.value("02:51:4d:00:00:0b"), QString("192.168.1.16"));
    QCOMPARE(table.size(), 4); // incomplete, zero, broadcast, multicast and IPv6-only lines skipped
}

void TestDiscovery::arpRunsAsynchronously()
{
    ArpTable arp;
    arp.setCommand("sh", {"-c", "sleep 0.2; echo '? (127.0.0.9) at 02:51:4d:00:00:01 [ether] on lo'"});
    QSignalSpy spy(&arp, &ArpTable::refreshed);
    QVERIFY(arp.refresh());
    QVERIFY(arp.isRunning());
    QVERIFY(!arp.refresh()); // one run at a time
    QVERIFY(spy.wait(5000));
    QCOMPARE(spy.at(0).at(0).toBool(), true);
    QCOMPARE(arp.ipForMac("02-51-4D-00-00-01"), QString("127.0.0.9"));
    QVERIFY(!arp.isRunning());
}

void TestDiscovery::arpFallsBackToKernelTable()
{
    QTemporaryDir dir;
    QFile file(dir.filePath("arp"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("IP address       HW type     Flags       HW address            Mask     Device\n"
               "127.0.0.12       0x1         0x2         02:51:4d:00:00:02     *        lo\n");
    file.close();
    ArpTable arp;
    arp.setCommand(dir.filePath("no-such-arp"), {"-a"});
    arp.setFallbackFile(file.fileName());
    QSignalSpy spy(&arp, &ArpTable::refreshed);
    QVERIFY(arp.refresh());
    QVERIFY(spy.wait(5000));
    QCOMPARE(arp.ipForMac("02:51:4d:00:00:02"), QString("127.0.0.12"));
}

// The command must never hold the console up: an overrun is killed and the last table kept.
void TestDiscovery::arpOverrunIsKilled()
{
    ArpTable arp;
    arp.setCommand("sh", {"-c", "echo '? (127.0.0.9) at 02:51:4d:00:00:01 [ether] on lo'"});
    QSignalSpy spy(&arp, &ArpTable::refreshed);
    QVERIFY(arp.refresh());
    QVERIFY(spy.wait(5000));
    arp.setCommand("sleep", {"30"});
    arp.setTimeoutMs(100);
    QElapsedTimer elapsed;
    elapsed.start();
    QVERIFY(arp.refresh());
    QVERIFY(spy.wait(5000));
    QCOMPARE(spy.last().at(0).toBool(), false);
    QVERIFY(elapsed.elapsed() < 20000);
    QVERIFY(!arp.isRunning());
    QCOMPARE(arp.ipForMac("02:51:4d:00:00:01"), QString("127.0.0.9"));
    // A new run can start right away.
    arp.setCommand("true", {});
    QVERIFY(arp.refresh());
    QVERIFY(spy.wait(5000));
}

QTEST_GUILESS_MAIN(TestDiscovery)
#include "tst_Discovery.moc"
