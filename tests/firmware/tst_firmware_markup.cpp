#include "FirmwareTestSupport.h"
#include "OtaSeed.h"
#include "firmware/pages/OtaScheduleReportDialog.h"
#include "firmware/pages/OtaScheduleSetting.h"
#include "support/MarkupCheck.h"

#include <QtTest>

// The OTA schedule page and the OTA report with device and group names that look like markup:
// each is shown as it stands (their cells' tool tips rendered "<b>Bold</b>" as bold text).
class TestFirmwareMarkup : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void pageAndReportShowNamesAsTheyStand();

private:
    FirmwareTestBench m_bench;
};

void TestFirmwareMarkup::initTestCase()
{
    QVERIFY(m_bench.setUp(2));
    m_bench.serve("AudioBox/check4Update/update.cfg", "[QML8]\nVersion=\"8.0.0000.05\"\nPath=\"" +
                                                          m_bench.http()->url().toUtf8() +
                                                          "/AudioBox/QML8_0005.bin\"\n");
}

void TestFirmwareMarkup::pageAndReportShowNamesAsTheyStand()
{
    m_bench.panel(0)->setName(QStringLiteral("<b>Bold</b> R&amp;D"));
    m_bench.panel(1)->setName(QStringLiteral("Lab <BR>2nd floor"));
    const VelkIFPDevice bold = m_bench.addDevice(0, "QML8", "8.0.0000.04");
    const VelkIFPDevice lab = m_bench.addDevice(1, "QML8", "8.0.0000.04");
    OtaSeed::join(bold, QStringLiteral("<b>Staff</b> &amp; <A>"));
    QVERIFY(m_bench.serverCheck());
    QCOMPARE(m_bench.manager()->getOldDevicesCount(), 2);

    OtaScheduleSetting page;
    page.setClock(m_bench.clock());
    page.initNewSchedule();
    page.show();
    for (int view : {0, 1}) {
        page.comboBoxType->setCurrentIndex(view);
        const MarkupWalk walk = walkMarkup(&page);
        QVERIFY2(walk.leaks.isEmpty(), qPrintable(walk.leaks.join(QLatin1Char('\n'))));
        QVERIFY(walk.shown > 0);
    }

    VelkOtaSchedule *schedule = m_bench.prepareRun({bold, lab});
    OtaScheduleReportDialog report;
    report.setOtaSchedule(*schedule);
    report.show();
    const MarkupWalk walk = walkMarkup(&report);
    QVERIFY2(walk.leaks.isEmpty(), qPrintable(walk.leaks.join(QLatin1Char('\n'))));
    QVERIFY(walk.shown > 0);
}

QTEST_MAIN(TestFirmwareMarkup)
#include "tst_firmware_markup.moc"
