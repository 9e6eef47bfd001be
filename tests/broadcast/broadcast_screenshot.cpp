// Renders the Broadcast page's three tabs and a report with realistic content to PNG files, for a look by eye.
// Usage: broadcast_screenshot <prefix> [language]   writes <prefix>-pending.png, -upcoming.png, -completed.png,
// -report.png, -editor-targets.png, -editor-targets-keys.png, -editor-groups.png, -editor-content.png and -empty.png
// (language en_US, the default, or zh_TW)
// Everything stays on loopback and in a temporary HOME.

#include <QApplication>
#include <QDeadlineTimer>
#include <QTest>
#include <QThread>
#include <QTranslator>

#include "broadcast/Broadcast.h"
#include "broadcast/BroadcastContentEditor.h"
#include "broadcast/BroadcastReportDialog.h"
#include "broadcast/BroadcastSchedule.h"
#include "broadcast/BroadcastScheduler.h"
#include "broadcast/BroadcastSetting.h"
#include "datastore/OrvantaDBManager.h"
#include "network/CmdServer.h"
#include "network/NetTestSupport.h"
#include "network/NetworkConfig.h"
#include "shell/base/Clock.h"
#include "shell/base/Session.h"
#include "shell/kit/ScaleMath.h"
#include "shell/kit/UiHelpers.h"
#include "support/CheckCells.h"
#include "support/FakeSoundPlayer.h"
#include "support/TestEnv.h"
#include "tools/panelsim/SimulatedPanel.h"

namespace {

const char *const Names[] = {"Room 101",     "Room 102",   "Room 103",      "Room 104",       "Room 201",
                             "Room 202",     "Library",    "Music Room",    "Art Studio",     "Gym Office",
                             "Auditorium",   "Staff Room", "Science Lab A", "Science Lab B",  "Reception",
                             "Computer Lab", "Cafeteria",  "Main Hall",     "Meeting Room 1", "Principal's Office"};

void settle(int ms)
{
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
}

VelkBroadcast record(VelkBroadcast::Status status, const QString &text, int display, int audio, const QString &date,
                     const QString &time)
{
    VelkBroadcast b;
    b.status = status;
    b.contentText = text;
    b.displayType = display;
    b.audioSelection = audio;
    b.startDate = date;
    b.time = time;
    b.durationSec = 30;
    b.target = 2;
    return b;
}

} // namespace

int main(int argc, char **argv)
{
    TestEnv env;
    QApplication app(argc, argv);
    const QString prefix = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("broadcast");
    initScaleFactor(0, 0);
    currentLanguage = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("en_US");
    QTranslator translator;
    if (translator.load(QStringLiteral(QV_LANG_DIR "/Orvanta_") + currentLanguage + QStringLiteral(".qm")))
        app.installTranslator(&translator);

    QTemporaryDir folder;
    NetworkConfig config = loopbackNetworkConfig(folder.path());
    NetworkConfig::setCurrent(config);
    CmdServer::getInstance();
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();

    QList<VelkIFPDevice> devices;
    for (int i = 0; i < 20; ++i) {
        VelkIFPDevice device;
        device.deviceName = QString::fromUtf8(Names[i]);
        // One entered by its address alone (in the group the editor picks): the wake cannot reach it, and the
        // content step says so.
        if (device.deviceName == QLatin1String("Auditorium"))
            device.ipAddress = QStringLiteral("192.168.10.33");
        else
            device.macAddress = SimulatedPanel::defaultIdentity(quint32(i + 1)).mac;
        device.modelName = QStringLiteral("Velk TM B-Series");
        device.deviceType = i == 17 ? QStringLiteral("Audio Box") : QStringLiteral("Control Box");
        device.displayClientVersion = QStringLiteral("1.1.1030.30");
        db->createIFPDevice(device);
    }
    db->queryAllAvailableIFP(devices);
    VelkGroups first, second, staff;
    first.groupName = QStringLiteral("First Floor");
    second.groupName = QStringLiteral("Second Floor");
    staff.groupName = QStringLiteral("Staff Areas");
    for (VelkGroups *g : {&first, &second, &staff}) {
        g->groupType = QStringLiteral("Control Box");
        db->createGroups(*g);
    }
    for (int i = 0; i < 20; ++i) {
        VelkIFPDevice d = devices.at(i);
        db->joinGroups(d, i % 3 == 0 ? first : (i % 3 == 1 ? second : staff));
        if (i % 5 == 0)
            db->joinGroups(d, staff);
    }
    auto some = [&](std::initializer_list<int> indexes) {
        QList<VelkIFPDevice> list;
        for (int i : indexes)
            list.append(devices.at(i));
        return list;
    };

    const QString today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
    const QString tomorrow = QDate::currentDate().addDays(1).toString(QStringLiteral("yyyy-MM-dd"));
    QList<VelkBroadcast> stored;
    VelkBroadcast b =
        record(VelkBroadcast::Pending, QStringLiteral("Parents' evening starts at 18:00 in the Main Hall."), 0, 1,
               today, QStringLiteral("08:30"));
    b.devices = some({0, 1, 2});
    stored << b;
    b = record(VelkBroadcast::Pending, QStringLiteral("Library closes early today"), 1, 0, tomorrow,
               QStringLiteral("14:45"));
    b.target = 3;
    b.groups = {first, second};
    stored << b;
    b = record(VelkBroadcast::Pending, QString(), 2, 2, today, QStringLiteral("12:00"));
    b.target = 3;
    b.groups = {staff};
    stored << b;

    b = record(VelkBroadcast::Upcoming,
               QStringLiteral("Fire drill at 10:30 — please leave by the nearest exit and gather on the sports field."),
               0, 3, tomorrow, QStringLiteral("10:30"));
    b.devices = some({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    stored << b;
    b = record(VelkBroadcast::Upcoming, QStringLiteral("Lunch is served in the cafeteria"), 1, 0,
               QStringLiteral("2024-01-01"), QStringLiteral("12:15"));
    b.repeatMon = b.repeatTue = b.repeatWed = b.repeatThu = b.repeatFri = true;
    b.target = 3;
    b.groups = {first, second, staff};
    stored << b;
    b = record(VelkBroadcast::Upcoming, QStringLiteral("Morning assembly"), 2, 1, QStringLiteral("2024-01-01"),
               QStringLiteral("08:00"));
    b.repeatMon = true;
    b.devices = some({10, 17});
    stored << b;

    b = record(VelkBroadcast::Completed, QStringLiteral("Welcome back! The new term starts today."), 0, 0,
               QDate::currentDate().addDays(-3).toString(QStringLiteral("yyyy-MM-dd")), QStringLiteral("08:05"));
    b.devices = devices;
    stored << b;
    b = record(VelkBroadcast::Completed, QStringLiteral("Bus 12 is running 15 minutes late"), 1, 2,
               QDate::currentDate().addDays(-1).toString(QStringLiteral("yyyy-MM-dd")), QStringLiteral("15:20"));
    b.devices = some({3, 4, 5, 6});
    stored << b;
    b = record(VelkBroadcast::Completed, QStringLiteral("Exam in progress — quiet please"), 0, 0, today,
               QStringLiteral("09:00"));
    b.isNow = true;
    b.devices = some({12, 13, 15});
    stored << b;
    for (VelkBroadcast &s : stored)
        db->insertBroadcast(s);

    // Results of the completed runs: most took it, a few were off or did not answer.
    VelkBroadcast reported = stored.at(6);
    QList<VelkIFPDevice> targets = reported.devices;
    db->insertBroadcastReport(reported, targets);
    for (int i = 0; i < targets.size(); ++i) {
        const int status = (i % 7 == 3 || i == 11) ? 2 : 1;
        const int note = status == 1 ? 0 : (i == 11 ? 2 : 1);
        db->updateBroadcastReport(targets[i], reported, status, note);
    }
    VelkBroadcast late = stored.at(7);
    QList<VelkIFPDevice> lateTargets = late.devices;
    db->insertBroadcastReport(late, lateTargets);
    for (int i = 0; i < lateTargets.size(); ++i)
        db->updateBroadcastReport(lateTargets[i], late, 1, 0);

    ManualClock clock(QDateTime::currentDateTime());
    FakeSoundPlayer player;
    Broadcast page(&clock, &player);
    const double s = getScaleFactor();
    page.resize(ScaleMath::truncScaled(940, s), ScaleMath::truncScaled(641, s));
    page.show();
    settle(300);
    page.grab().save(prefix + QStringLiteral("-pending.png"));
    page.btnUpcoming->click();
    settle(200);
    page.grab().save(prefix + QStringLiteral("-upcoming.png"));
    page.btnCompleted->click();
    settle(200);
    page.grab().save(prefix + QStringLiteral("-completed.png"));

    for (const VelkBroadcast &c : page.scheduler()->completedList()) {
        if (c.bid == reported.bid)
            page.reportDialog()->showBroadcastReport(c);
    }
    page.reportDialog()->show();
    settle(300);
    page.reportDialog()->grab().save(prefix + QStringLiteral("-report.png"));
    page.reportDialog()->hide();

    // The editor: the first step with targets checked and a schedule, the second with a long text and a sound.
    BroadcastSetting *editor = page.editor();
    editor->newBroadcast();
    editor->show();
    BroadcastSchedule *step = editor->scheduleStep();
    settle(200);
    for (int row : {0, 2, 3, 7})
        CheckCell(step->tableWidgetDevice, row).click();
    step->btnSchedule->click();
    step->btnRepeatMon->click();
    step->btnRepeatWed->click();
    step->btnRepeatFri->click();
    settle(300);
    editor->grab().save(prefix + QStringLiteral("-editor-targets.png"));
    // The keyboard in the targets: Tab from the select-all box, then two rows down.
    editor->activateWindow();
    step->deviceCheckBoxAll->setFocus(Qt::OtherFocusReason);
    for (Qt::Key key : {Qt::Key_Tab, Qt::Key_Down, Qt::Key_Down})
        QTest::keyClick(QApplication::focusWidget(), key);
    settle(200);
    editor->grab().save(prefix + QStringLiteral("-editor-targets-keys.png"));
    step->btnCloseInfo->click();
    step->comboBoxType->setCurrentIndex(1);
    CheckCell(step->tableWidgetGroup, 1).click();
    settle(200);
    editor->grab().save(prefix + QStringLiteral("-editor-groups.png"));
    step->btnNext->click();
    BroadcastContentEditor *content = editor->contentEditor();
    content->plainTextEdit->setFocus();
    content->plainTextEdit->setPlainText(
        QStringLiteral("Dear students and staff, the school fair opens on Saturday at 09:00 in the main hall. "
                       "Please bring your class projects to room 104 by Friday afternoon, and remember that the "
                       "car park is closed all weekend: use the bus stop on Station Road instead. Thank you!"));
    content->radioButtonDefault2->click();
    content->checkBoxRepeat->click();
    content->checkBoxWakeOnLan->click();
    settle(300);
    editor->grab().save(prefix + QStringLiteral("-editor-content.png"));
    editor->hide();

    // The empty page, with its guides.
    for (VelkBroadcast &d : stored)
        db->deleteBroadcast(d);
    page.deviceDeleted();
    page.btnPending->click();
    settle(200);
    page.grab().save(prefix + QStringLiteral("-empty.png"));
    return 0;
}
