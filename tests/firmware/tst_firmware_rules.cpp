#include "firmware/DownloadRules.h"
#include "firmware/FirmwareVersion.h"
#include "firmware/ReminderPlan.h"
#include "firmware/UpdateConfig.h"

#include <QtTest>

// The rules a version check and a download rest on, fed with values: version order, the update configuration,
// what may be fetched and written, and what the reminder says.
class TestFirmwareRules : public QObject
{
    Q_OBJECT

private slots:
    void versionOrder_data();
    void versionOrder();
    void updateConfigSections_data();
    void updateConfigSections();
    void hostileAddressesAndNames_data();
    void hostileAddressesAndNames();
    void reminderRowsAndTitle();
};

void TestFirmwareRules::versionOrder_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("numeric");
    QTest::addColumn<int>("delta");

    // Leading zeros do not count: the minimum written short is the same version.
    QTest::newRow("leading zeros") << "8.0.0000.04"
                                   << "8.0.0.4" << 0 << 0;
    QTest::newRow("last field") << "8.0.0000.03"
                                << "8.0.0000.04" << -1 << -1;
    QTest::newRow("first field wins") << "7.9.9999.99"
                                      << "8.0.0000.04" << -1 << -1;
    // Numbers, not texts: "10" is above "9".
    QTest::newRow("two digits") << "10.0.1000.0"
                                << "9.9.1999.9" << 1 << 1;
    // The build character of the third field takes no part in the delta order.
    QTest::newRow("build character") << "2.5.2051.0"
                                     << "2.5.1051.0" << 1 << 0;
    QTest::newRow("delta step") << "2.5.2050.0"
                                << "2.5.2051.0" << -1 << -1;
    // Malformed texts never read past their fields: a missing field counts as 0.
    QTest::newRow("three fields") << "2.5.2051"
                                  << "2.5.2051.0" << 0 << 0;
    QTest::newRow("empty") << ""
                           << "0.0.0.0" << 0 << 0;
    QTest::newRow("not numbers") << "a.b.c.d"
                                 << "0.0.0.0" << 0 << 0;
    QTest::newRow("empty field") << "8.0..4"
                                 << "8.0.0.4" << 0 << 0;
}

void TestFirmwareRules::versionOrder()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, numeric);
    QFETCH(int, delta);
    QCOMPARE(FirmwareVersion::compareNumeric(a, b), numeric);
    QCOMPARE(FirmwareVersion::compareNumeric(b, a), -numeric);
    QCOMPARE(FirmwareVersion::compareDelta(a, b), delta);
    QCOMPARE(FirmwareVersion::compareDelta(b, a), -delta);
}

void TestFirmwareRules::updateConfigSections_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("path");

    const QByteArray both = "Version=\"8.0.0000.01\"\n"
                            "[QML8]\r\n"
                            "Version=\"8.0.0000.05\"\r\n"
                            "Path=\"http://h/AudioBox/QML8_0005.bin\"\r\n"
                            "[QML8_SOS]\n"
                            "Version=\"8.0.0000.06\"\n"
                            "Path=\"http://h/AudioBox/QML8_SOS_0006.bin\"\n";
    // A "Version" line above the header belongs to nobody; CR LF line ends are read like LF.
    QTest::newRow("QML8") << both << "QML8"
                          << "8.0.0000.05"
                          << "http://h/AudioBox/QML8_0005.bin";
    // "[QML8]" does not open "QML8_SOS", and the other way round.
    QTest::newRow("QML8_SOS") << both << "QML8_SOS"
                              << "8.0.0000.06"
                              << "http://h/AudioBox/QML8_SOS_0006.bin";
    QTest::newRow("no section") << both << "QMR8"
                                << ""
                                << "";
    // A section without "Path" ends at the next header instead of borrowing that model's firmware.
    QTest::newRow("no Path") << QByteArray("[QML8]\nVersion=\"8.0.0000.05\"\n[QML8_SOS]\nVersion=\"8.0.0000.06\"\n"
                                           "Path=\"http://h/AudioBox/QML8_SOS_0006.bin\"\n")
                             << "QML8"
                             << "8.0.0000.05"
                             << "";
    // A header among other text opens the section; a later value overwrites an earlier one.
    QTest::newRow("header in text") << QByteArray("models: [QMR8] follows\nVersion=\"8.0.0000.01\"\n"
                                                  "Version=\"8.0.0000.02\"\nPath=\"x\"\n")
                                    << "QMR8"
                                    << "8.0.0000.02"
                                    << "x";
    QTest::newRow("unquoted value") << QByteArray("[QML8]\nVersion=8.0.0000.05\nPath=\"p\"\n") << "QML8"
                                    << ""
                                    << "p";
}

void TestFirmwareRules::updateConfigSections()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, model);
    QFETCH(QString, version);
    QFETCH(QString, path);
    const UpdateConfig::Entry entry = UpdateConfig::read(text, model);
    QCOMPARE(entry.version, version);
    QCOMPARE(entry.path, path);
}

void TestFirmwareRules::hostileAddressesAndNames_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("fetchable");
    QTest::addColumn<bool>("safeName");

    QTest::newRow("plain") << "http://127.0.0.1:8080/AudioBox/QML8_0005.bin" << true << true;
    QTest::newRow("https") << "HTTPS://updates.example/pkg/a-1.zip" << true << true;
    QTest::newRow("file scheme") << "file:///etc/passwd" << false << true;
    QTest::newRow("qrc scheme") << "qrc:/resource/x.bin" << false << true;
    QTest::newRow("ftp") << "ftp://h/x.bin" << false << true;
    QTest::newRow("no host") << "http:///x.bin" << false << true;
    // A decoded backslash or colon leaves the folder on Windows; a leading dot hides or climbs.
    QTest::newRow("encoded backslashes") << "http://127.0.0.1/AudioBox/..%5C..%5Cvictim.txt" << true << false;
    // Only what follows the last decoded "/" names the file, so "..%2F" climbs nowhere.
    QTest::newRow("encoded slash") << "http://h/a/..%2F..%2Fvictim.txt" << true << true;
    QTest::newRow("drive") << "http://h/C%3Avictim.txt" << true << false;
    QTest::newRow("dot dot") << "http://h/a/.." << true << false;
    QTest::newRow("hidden") << "http://h/.bashrc" << true << false;
    QTest::newRow("space") << "http://h/a%20b.bin" << true << false;
    QTest::newRow("trailing slash") << "http://h/folder/" << true << true; // "download"
}

void TestFirmwareRules::hostileAddressesAndNames()
{
    QFETCH(QString, url);
    QFETCH(bool, fetchable);
    QFETCH(bool, safeName);
    QCOMPARE(DownloadRules::isFetchableUrl(QUrl(url)), fetchable);
    QCOMPARE(DownloadRules::isSafeFileName(DownloadRules::urlFileName(QUrl(url))), safeName);

    QVERIFY(DownloadRules::isInsideFolder("/data/OTA/AudioBox/x.bin", "/data/OTA/"));
    QVERIFY(!DownloadRules::isInsideFolder("/data/OTA/../victim.txt", "/data/OTA"));
    QVERIFY(!DownloadRules::isInsideFolder("/data/OTA2/x.bin", "/data/OTA"));
    QVERIFY(!DownloadRules::isInsideFolder("/data/OTA", "/data/OTA"));
}

void TestFirmwareRules::reminderRowsAndTitle()
{
    auto model = [](const QString &name, const QStringList &versions) {
        ReminderPlan::Model m;
        m.modelName = name;
        m.versions = versions;
        for (int i = 0; i < versions.size(); ++i)
            m.panelVersions.append(name == "Velk TM B-Series" ? QStringLiteral("00.01.00.07") : QString());
        return m;
    };
    const QList<ReminderPlan::Model> models = {model("Velk TM B-Series", {"2.5.1053.0"}),
                                               model("QML8", {"8.0.0000.05"}), model("QMR8", {"8.0.0000.07"})};
    const QSet<QString> outOfDate = {"QML8", "Velk TM B-Series"};

    // Nothing stored: one row per newest version of every out-of-date model, both named, none skipped.
    const ReminderPlan first = ReminderPlan::make(models, outOfDate, {});
    QVERIFY(!first.replaceStored);
    QCOMPARE(first.shownModels, QStringList({"Velk TM B-Series", "QML8"}));
    QCOMPARE(first.rows.size(), 2);
    QCOMPARE(first.rows.at(0).deviceNewestPanelFwVersion, QStringLiteral("00.01.00.07"));
    QCOMPARE(first.rows.at(1).isFwVersionSkipped, 0);

    // Both skipped: the rows are written back as they were and nothing is named.
    QList<VelkOtaReminder> stored = first.rows;
    for (VelkOtaReminder &row : stored)
        row.isFwVersionSkipped = 1;
    const ReminderPlan skipped = ReminderPlan::make(models, outOfDate, stored);
    QVERIFY(skipped.replaceStored);
    QVERIFY(skipped.shownModels.isEmpty());
    QCOMPARE(skipped.rows.size(), 2);
    QCOMPARE(skipped.rows.at(0).isFwVersionSkipped, 1);

    // A newer QML8 version brings QML8 back with a fresh row; the old version's row is gone. A model that is no
    // longer out of date loses its rows.
    QList<ReminderPlan::Model> newer = models;
    newer[1].versions = QStringList{"8.0.0000.06"};
    const ReminderPlan again = ReminderPlan::make(newer, {"QML8"}, stored);
    QCOMPARE(again.shownModels, QStringList({"QML8"}));
    QCOMPARE(again.rows.size(), 1);
    QCOMPARE(again.rows.at(0).deviceNewestFwVersion, QStringLiteral("8.0.0000.06"));
    QCOMPARE(again.rows.at(0).isFwVersionSkipped, 0);
}

QTEST_GUILESS_MAIN(TestFirmwareRules)
#include "tst_firmware_rules.moc"
