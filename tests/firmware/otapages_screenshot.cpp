// Renders the OTA schedule page (both views, 30 out-of-date devices), its notice and a report of 30 rows to PNG
// files, against the real update manager fed by a loopback HTTP server and simulated audio boxes.
// Usage: otapages_screenshot <prefix> [--rtl]   writes <prefix>-page-device.png, -page-selected.png, -page-group.png,
// -message.png and -report.png. Everything stays on loopback and in a temporary HOME.

#include "FirmwareTestSupport.h"
#include "OtaSeed.h"
#include "firmware/pages/OtaMessageDialog.h"
#include "firmware/pages/OtaScheduleReportDialog.h"
#include "firmware/pages/OtaScheduleSetting.h"
#include "shell/base/Session.h"
#include "shell/kit/UiHelpers.h"

#include <QApplication>

namespace {

const char *const Rooms[] = {
    "Room 101",       "Room 102",      "Room 103",       "Room 104",       "Room 105",      "Room 201",
    "Room 202",       "Room 203",      "Room 204",       "Room 205",       "Science Lab A", "Science Lab B",
    "Library North",  "Library South", "Music Room",     "Art Studio",     "Gym Office",    "Gym Hall",
    "Auditorium",     "Staff Room",    "Meeting Room 1", "Meeting Room 2", "Reception",     "Computer Lab 1",
    "Computer Lab 2", "Cafeteria",     "Chapel",         "Drama Studio",   "Workshop",      "Principal's Office"};

void settle(int ms)
{
    QTest::qWait(ms);
}

void grab(QWidget *widget, const QString &file)
{
    settle(200);
    widget->grab().save(file);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    initScaleFactor(0, 0);
    currentLanguage = QStringLiteral("en_US");
    if (argc > 2 && QByteArray(argv[2]) == "--rtl")
        setRightToLeft();
    const QString prefix = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("otapages");
    FirmwareTestBench bench;
    if (!bench.setUp(30)) {
        qWarning("the test bench did not come up");
        return 1;
    }
    bench.serve("AudioBox/check4Update/update.cfg",
                "[QML8]\nVersion=\"8.0.0000.05\"\nPath=\"" + bench.http()->url().toUtf8() +
                    "/AudioBox/QML8_0005.bin\"\n[QMR8]\nVersion=\"8.0.0000.07\"\nPath=\"" +
                    bench.http()->url().toUtf8() + "/AudioBox/QMR8_0007.bin\"\n");
    const char *groups[] = {"Building A", "Building B", "Science Wing", "Library", "Sports", "Admin"};
    QList<VelkIFPDevice> devices;
    for (int i = 0; i < 30; ++i) {
        bench.panel(i)->setName(QString::fromLatin1(Rooms[i]));
        const bool qml = i % 3 != 2;
        const QString fw = qml ? "8.0.0000.04" : (i % 4 == 0 ? "8.0.0000.05" : "8.0.0000.06");
        VelkIFPDevice device = bench.addDevice(i, qml ? "QML8" : "QMR8", fw);
        OtaSeed::join(device, QString::fromLatin1(groups[i % 6]));
        if (i % 7 == 0)
            OtaSeed::join(device, QStringLiteral("Exam Rooms"));
        devices.append(device);
    }
    QList<int> online;
    for (int i = 0; i < 30; i += 2)
        online.append(i);
    bench.connect(online);
    if (!bench.serverCheck() || bench.manager()->getOldDevicesCount() != 30) {
        qWarning("the version check found %d devices out of date", bench.manager()->getOldDevicesCount());
        return 1;
    }

    const double s = getScaleFactor();
    OtaScheduleSetting page;
    page.setClock(bench.clock());
    page.resize(int(874 * s), int(571 * s));
    page.initNewSchedule();
    page.show();
    grab(&page, prefix + QStringLiteral("-page-device.png"));

    for (int row : {1, 4, 5})
        qobject_cast<QCheckBox *>(page.tableWidgetDevice->cellWidget(row, 0))->click();
    page.calendarWidget->setSelectedDate(bench.clock()->now().date().addDays(1));
    page.spinBox_Time_HR->setValue(10);
    page.spinBox_Time_Min->setValue(30);
    grab(&page, prefix + QStringLiteral("-page-selected.png"));

    page.btnAddSchedule->click();
    settle(300);
    grab(page.messageDialog(), prefix + QStringLiteral("-message.png"));
    page.messageDialog()->close();

    page.btnCloseInfo->click();
    page.comboBoxType->setCurrentIndex(1);
    qobject_cast<QCheckBox *>(page.tableWidgetGroup->cellWidget(2, 0))->click();
    grab(&page, prefix + QStringLiteral("-page-group.png"));

    // A schedule that ran: a mix of rows.
    VelkOtaSchedule *schedule = bench.prepareRun(devices);
    const int statuses[] = {4, 4, 3, 2, 1, 4};
    for (int i = 0; i < devices.size(); ++i) {
        VelkIFPDevice device = devices.at(i);
        const int status = statuses[i % 6];
        if (status == 4)
            device.fwVersion = device.modelName == "QML8" ? "8.0.0000.05" : "8.0.0000.07";
        OtaSeed::db()->updateOtaScheduleReport(device, *schedule, status);
    }
    OtaScheduleReportDialog report;
    report.setOtaSchedule(*schedule);
    report.show();
    grab(&report, prefix + QStringLiteral("-report.png"));
    return 0;
}
