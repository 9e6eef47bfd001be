// Renders the Schedule Setup page with 20 schedules of both kinds, the schedule setting dialog's pages and the
// auto-test report to PNG files, for a look by eye. Everything stays on loopback and in a temporary HOME.
// Usage: xvfb-run -a env QT_FONT_DPI=135 scheduling_screenshot <prefix>
//   writes <prefix>-page.png, -autotest.png, -fwupdate.png, -filter.png, -empty.png, -selection.png,
//   -ota-editor.png, -devicecontrol-editor.png, -autotest-editor.png, -report.png

#include <QApplication>
#include <QDeadlineTimer>
#include <QMenu>
#include <QSqlQuery>
#include <QThread>

#include "datastore/DbResult.h"
#include "datastore/OrvantaDBManager.h"
#include "network/NetTestSupport.h"
#include "scheduling/AutoTestScheduleReportDialog.h"
#include "scheduling/AutoTestScheduleSetting.h"
#include "scheduling/DeviceControlScheduleSetting.h"
#include "scheduling/PowerOnReach.h"
#include "scheduling/Scheduling.h"
#include "scheduling/Scheduling_Setting.h"
#include "shell/base/Clock.h"
#include "shell/base/Session.h"
#include "shell/kit/PowerOnNotification.h"
#include "shell/kit/UiHelpers.h"

namespace {

const char *const Rooms[] = {"Room 101",     "Room 102",   "Room 103",      "Room 104",      "Room 201",
                             "Room 202",     "Room 203",   "Science Lab A", "Science Lab B", "Library",
                             "Music Room",   "Art Studio", "Gym Office",    "Auditorium",    "Staff Room",
                             "Meeting Room", "Reception",  "Computer Lab",  "Principal",     "Hall"};
const char *const Groups[] = {"Building A", "Building B", "Science Wing", "Ground Floor", "Staff Areas"};

void settle(int ms)
{
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
}

void save(QWidget *widget, const QString &file)
{
    widget->show();
    widget->raise();
    settle(250);
    widget->grab().save(file);
}

QList<VelkIFPDevice> seedDevices(OrvantaDBIntf *db)
{
    for (int i = 0; i < 20; ++i) {
        VelkIFPDevice device;
        device.deviceName = QLatin1String(Rooms[i]);
        // Room 102 is known by its address alone: the power-on schedules that hold it carry the mark.
        device.macAddress =
            i == 1 ? QString() : QStringLiteral("02:51:4d:00:01:%1").arg(i + 1, 2, 16, QLatin1Char('0'));
        device.ipAddress = QStringLiteral("10.1.%1.%2").arg(1 + i / 10).arg(20 + i);
        device.deviceType = QStringLiteral("Control Box");
        device.modelName = QStringLiteral("Velk TM B-Series");
        db->createIFPDevice(device);
    }
    for (int g = 0; g < 5; ++g) {
        VelkGroups group;
        group.groupName = QLatin1String(Groups[g]);
        group.groupType = QStringLiteral("Control Box");
        db->createGroups(group);
        for (int i = g * 4; i < g * 4 + 6 && i < 20; ++i) {
            VelkIFPDevice member;
            member.deviceName = QLatin1String(Rooms[i]);
            db->joinGroups(member, group);
        }
    }
    QList<VelkIFPDevice> devices;
    db->queryAllAvailableIFP(devices);
    return devices;
}

void seedSchedules(OrvantaDBIntf *db, const QList<VelkIFPDevice> &devices)
{
    QList<VelkGroups> groups;
    db->queryAllGroup(groups);
    const char *const on[] = {"07:30", "07:45", "", "08:00", "07:15", "", "06:50", "07:30", "08:10", "07:00"};
    const char *const reboot[] = {"12:00", "", "12:30", "", "13:00", "12:15", "", "", "12:00", ""};
    const char *const off[] = {"18:00", "17:30", "19:00", "18:15", "", "17:45", "18:30", "16:00", "", "20:00"};
    for (int i = 0; i < 10; ++i) {
        VelkSchedule s;
        s.onTime = QLatin1String(on[i]);
        s.rebootTime = QLatin1String(reboot[i]);
        s.offTime = QLatin1String(off[i]);
        s.isPowerOn = !s.onTime.isEmpty();
        s.isReboot = !s.rebootTime.isEmpty();
        s.isPowerOff = !s.offTime.isEmpty();
        s.isEnable = i % 4 != 3;
        s.isMon = s.isTue = s.isWed = s.isThu = s.isFri = true;
        s.isSat = s.isSun = i % 3 == 0;
        if (i == 2)
            s.isTue = s.isThu = false;
        if (i % 3 == 0) {
            s.scheduleObject = 1;
            db->createSchedule(s);
        } else if (i % 3 == 1) {
            QList<VelkIFPDevice> chosen = devices.mid(i, i == 4 ? 12 : 2);
            s.scheduleObject = 2;
            db->createIFPSchedule(s, chosen);
        } else {
            QList<VelkGroups> chosen = groups.mid(i % 5, i == 5 ? 3 : 1);
            s.scheduleObject = 3;
            db->createGroupsSchedule(s, chosen);
        }
    }
    const char *const times[] = {"09:00", "10:30", "11:15", "13:00", "14:45",
                                 "15:30", "16:00", "08:20", "12:40", "17:10"};
    for (int i = 0; i < 10; ++i) {
        VelkAutoTestSchedule a;
        a.time = QLatin1String(times[i]);
        a.status = 1 + i % 4;
        a.isEnable = i != 6;
        a.isMon = a.isWed = a.isFri = true;
        a.isTue = a.isThu = i % 2 == 0;
        a.scheduleTarget = 1 + i % 3;
        if (a.scheduleTarget == 2)
            a.devices = devices.mid(i, i == 4 ? 10 : 3);
        if (a.scheduleTarget == 3)
            a.groups = groups.mid(i % 4, 2);
        db->insertAutoTestSchedule(a);
        if (a.status >= 2) {
            QList<VelkIFPDevice> targets = a.scheduleTarget == 2 ? a.devices : devices.mid(0, 8);
            db->insertAutoTestScheduleReport(a, targets);
            for (int k = 0; k < targets.size(); ++k) {
                if (a.status == 3 && k % 3 == 1)
                    db->updateAutoTestScheduleReport(targets[k], a, 3, 3);
                else if (a.status != 2)
                    db->updateAutoTestScheduleReport(targets[k], a, 4, 2);
            }
        }
    }
}

void seedOtaSchedules(OrvantaDBIntf *db, const QList<VelkIFPDevice> &devices)
{
    QList<VelkGroups> groups;
    db->queryAllGroup(groups);
    const char *const starts[][2] = {{"2027-02-22", "21:00"}, {"2027-02-26", "22:30"}, {"2027-03-01", "06:45"},
                                     {"2027-03-05", "21:00"}, {"2027-03-12", "20:30"}, {"2027-04-02", "23:00"}};
    const int states[] = {4, 3, 2, 1, 1, 1};
    for (int i = 0; i < 6; ++i) {
        VelkOtaSchedule schedule;
        schedule.date = QLatin1String(starts[i][0]);
        schedule.time = QLatin1String(starts[i][1]);
        schedule.status = states[i];
        schedule.isEnable = i != 5;
        schedule.scheduleTarget = i % 2 == 0 ? 2 : 3;
        if (schedule.scheduleTarget == 2)
            schedule.devices = devices.mid(i * 2, i == 2 ? 9 : 3);
        else
            schedule.groups = groups.mid(i % 4, 2);
        db->insertOtaSchedule(schedule);
        if (schedule.status == 3) {
            QList<VelkIFPDevice> rows = devices.mid(0, 5);
            db->insertOtaScheduleReport(schedule, rows);
            for (int k = 0; k < rows.size(); ++k)
                db->updateOtaScheduleReport(rows[k], schedule, k < 2 ? 3 : 4);
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    TestEnv env;
    QApplication app(argc, argv);
    const QString prefix = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("scheduling");
    initScaleFactor(0, 0);
    isAdminLogin = true;

    NetworkConfig::setCurrent(loopbackNetworkConfig(env.home()));
    CmdServer::getInstance();
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    ManualClock clock(QDateTime(QDate(2027, 3, 1), QTime(7, 0)));

    {
        Scheduling empty(&clock);
        save(&empty, prefix + QStringLiteral("-empty.png"));
    }

    const QList<VelkIFPDevice> devices = seedDevices(db);
    CmdServer::getInstance()->setManagedDevices(devices);
    seedSchedules(db, devices);
    seedOtaSchedules(db, devices);
    Scheduling page(&clock);
    page.initial();
    save(&page, prefix + QStringLiteral("-page.png"));
    page.comboBoxType->setCurrentIndex(2);
    save(&page, prefix + QStringLiteral("-autotest.png"));
    page.btnFilter->click();
    save(&page, prefix + QStringLiteral("-filter.png"));
    page.resetFilterButtons();
    // A run in progress, as the table shows it (the page's start closed the one seeded as interrupted).
    QList<VelkOtaSchedule> otaSchedules;
    db->queryAllOtaSchedule(otaSchedules);
    VelkOtaSchedule running = otaSchedules.value(2);
    running.status = 2;
    db->updateOtaScheduleState(running);
    page.initial();
    page.comboBoxType->setCurrentIndex(1);
    save(&page, prefix + QStringLiteral("-fwupdate.png"));

    Scheduling_Setting *setting = page.settingDialog();
    setting->switchToPage(0);
    save(setting, prefix + QStringLiteral("-selection.png"));
    setting->switchToPage(2);
    save(setting, prefix + QStringLiteral("-ota-editor.png"));
    QList<VelkSchedule> schedules;
    db->queryAllSchedule(schedules);
    setting->editDeviceControlSchedule(schedules.value(1));
    save(setting, prefix + QStringLiteral("-devicecontrol-editor.png"));
    PowerOnNotification *notice = setting->deviceControlPage()->powerOnNotice();
    notice->setNote(PowerOnReach::noteText(1));
    save(notice, prefix + QStringLiteral("-poweron-notice.png"));
    notice->hide();
    QList<VelkAutoTestSchedule> tests;
    db->queryAllAutoTestSchedule(tests);
    setting->editAutoTestSchedule(tests.value(5));
    save(setting, prefix + QStringLiteral("-autotest-editor.png"));
    setting->hide();

    AutoTestScheduleReportDialog *report = page.autoTestReportDialog();
    report->showAutoTestScheduleReport(tests.value(2));
    save(report, prefix + QStringLiteral("-report.png"));
    return 0;
}
