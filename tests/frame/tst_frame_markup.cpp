// Names, locations and texts that look like markup, through the console's windows: each shows
// them as they were typed or reported. Qt renders a label or tool tip as rich text when it looks
// like markup, so "Block <A> room 3" showed as "Block room 3" and "Lab <BR>2nd floor, stairs B"
// as "Lab" in the SOS warning. The real frame on a real database, a simulated panel on loopback.

#include <QtTest>

#include <QApplication>

#include "FrameTestSupport.h"
#include "accounts/AccountOverview.h"
#include "accounts/AccountReportDialog.h"
#include "accounts/DeviceListDialog.h"
#include "broadcast/Broadcast.h"
#include "broadcast/BroadcastReportDialog.h"
#include "broadcast/BroadcastScheduler.h"
#include "devices/ConnectedList.h"
#include "devices/ImportErrorDialog.h"
#include "devices/Management.h"
#include "devices/ManagementShowIPInfo.h"
#include "emergency/EmergencySettingNotifyDialog.h"
#include "emergency/EmergencyWarningDialog.h"
#include "network/NetTestSupport.h"
#include "scheduling/Scheduling.h"
#include "shell/app/FrameLayoutPage.h"
#include "shell/base/Session.h"
#include "shell/kit/EventLogDialog.h"
#include "support/MarkupCheck.h"
#include "support/TestEnv.h"

namespace {

const QString BoldName = QStringLiteral("<b>Bold</b> R&amp;D");
const QString BoldPlace = QStringLiteral("Block <A> room 3");
const QString BreakName = QStringLiteral("Lab <BR>2nd floor");
const QString BreakPlace = QStringLiteral("Lab <BR>2nd floor, stairs B");
const QString GroupName = QStringLiteral("<b>Staff</b> &amp; <A>");
const QString UserName = QStringLiteral("<b>Ann</b> &amp; <br>Co");
const QString Content = QStringLiteral("<b>Drill</b> <br>Come now &amp; here");

template <typename T> T *shown()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *match = qobject_cast<T *>(widget)) {
            if (match->isVisible())
                return match;
        }
    }
    return nullptr;
}

} // namespace

class TestFrameMarkup : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void walk_data();
    void walk();

private:
    // Fills and shows the window of the row.
    QWidget *open(const QString &window);

    std::unique_ptr<TestEnv> m_env;
    FrameLayoutPage *m_frame = nullptr;
    std::unique_ptr<SimulatedPanel> m_panel;
    VelkIFPDevice m_bold;
    VelkIFPDevice m_break;
    VelkMultiUser m_user;
    VelkBroadcast m_broadcast;
    std::unique_ptr<EventLogDialog> m_eventLog;
    std::unique_ptr<ImportErrorDialog> m_importError;
};

void TestFrameMarkup::initTestCase()
{
    m_env = std::make_unique<TestEnv>();
    QVERIFY(m_env->isValid());
    useLoopbackNetwork();
    isAdminLogin = true;
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();

    m_bold = addManagedDevice(BoldName, testMac(1), QStringLiteral("127.0.0.3"));
    m_break = addManagedDevice(BreakName, testMac(2), QStringLiteral("127.0.0.4"));
    m_bold.position = BoldPlace;
    m_break.position = BreakPlace;
    m_bold.displayClientVersion = m_break.displayClientVersion = QStringLiteral("1.1.1030.30");
    m_bold.gateway = QStringLiteral("<b>gw</b>");
    QCOMPARE(db->updateIFPDevice(m_bold), DB_OK);
    QCOMPARE(db->updateIFPDevice(m_break), DB_OK);
    VelkGroups group;
    group.groupName = GroupName;
    group.groupType = QStringLiteral("Control Box");
    QCOMPARE(db->createGroups(group), DB_OK);
    QCOMPARE(db->joinGroups(m_bold, group), DB_OK);
    QCOMPARE(db->joinGroups(m_break, group), DB_OK);
    QList<VelkGroups> groups;
    db->queryAllGroup(groups);
    group = groups.value(0);

    m_user.userName = UserName;
    m_user.password = QStringLiteral("abcd");
    QCOMPARE(db->createMultiUser(m_user), DB_OK);
    for (const auto &link : {qMakePair(m_bold.did, 2), qMakePair(m_break.did, 1)}) {
        VelkUserDevice row;
        row.multiUserId = m_user.muid;
        row.deviceId = link.first;
        row.syncStatus = link.second;
        row.lastSyncTime = QStringLiteral("2026-01-05 09:00");
        QCOMPARE(db->createUserDevice(row), DB_OK);
    }

    for (const QString &name : {BoldName, BreakName}) {
        VelkEventLog event;
        event.deviceName = name;
        event.time = QStringLiteral("2026-01-05 09:00:00");
        QCOMPARE(db->insertEventLog(event), DB_OK);
    }

    // A completed broadcast with its report, and an upcoming one to the group.
    m_broadcast.status = VelkBroadcast::Completed;
    m_broadcast.contentText = Content;
    m_broadcast.startDate = QStringLiteral("2026-01-05");
    m_broadcast.time = QStringLiteral("08:00");
    m_broadcast.durationSec = 30;
    m_broadcast.target = 2;
    m_broadcast.devices = {m_bold, m_break};
    QCOMPARE(db->insertBroadcast(m_broadcast), DB_OK);
    QList<VelkIFPDevice> targets = m_broadcast.devices;
    QCOMPARE(db->insertBroadcastReport(m_broadcast, targets), DB_OK);
    QCOMPARE(db->updateBroadcastReport(targets[0], m_broadcast, 1, 0), DB_OK);
    QCOMPARE(db->updateBroadcastReport(targets[1], m_broadcast, 2, 2), DB_OK);
    VelkBroadcast upcoming = m_broadcast;
    upcoming.status = VelkBroadcast::Upcoming;
    upcoming.startDate = QStringLiteral("2099-01-05");
    upcoming.target = 3;
    upcoming.devices.clear();
    upcoming.groups = {group};
    QCOMPARE(db->insertBroadcast(upcoming), DB_OK);

    // Schedules: power by device, auto-test by group.
    VelkSchedule power;
    power.onTime = QStringLiteral("07:30");
    power.isPowerOn = power.isEnable = power.isMon = true;
    power.scheduleObject = 2;
    QList<VelkIFPDevice> both = {m_bold, m_break};
    QCOMPARE(db->createIFPSchedule(power, both), DB_OK);
    VelkAutoTestSchedule test;
    test.scheduleTarget = 3;
    test.time = QStringLiteral("06:00");
    test.isEnable = test.isTue = true;
    test.groups = {group};
    QCOMPARE(db->insertAutoTestSchedule(test), DB_OK);

    m_frame = new FrameLayoutPage(storedAccount(true));
    m_frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_frame));
    m_panel = std::make_unique<SimulatedPanel>(identityWith(1, QStringLiteral("kelvo")), directSettings(1));
    m_panel->start();
    // Both ends: the console holds the channel before the panel has read its answer, and a panel still in its
    // handshake raises no SOS.
    QTRY_VERIFY_WITH_TIMEOUT(m_panel->isConnected() && CmdServer::getInstance()->getChannel(testMac(1)),
                             QuorvinTryCeilingMs);
}

void TestFrameMarkup::cleanupTestCase()
{
    m_panel.reset();
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *warning = qobject_cast<EmergencyWarningDialog *>(widget))
            warning->btnClear->click();
    }
    delete m_frame;
}

void TestFrameMarkup::walk_data()
{
    QTest::addColumn<QString>("window");
    for (const char *window :
         {"SOS warning", "camera notice", "device table", "device tiles", "IP details", "user table", "sync report",
          "device assignment", "device assignment groups", "broadcast rows", "broadcast report", "schedule tables",
          "auto-test schedules", "event log", "import error"})
        QTest::newRow(window) << QString::fromLatin1(window);
}

QWidget *TestFrameMarkup::open(const QString &window)
{
    Management *management = m_frame->findChild<Management *>();
    auto *overview = m_frame->findChild<AccountOverview *>();
    auto *broadcast = m_frame->findChild<Broadcast *>();
    auto *scheduling = m_frame->findChild<Scheduling *>();
    if (window == QLatin1String("SOS warning")) {
        m_panel->raiseSos();
        if (!QTest::qWaitFor([] { return shown<EmergencyWarningDialog>() != nullptr; }, QuorvinTryCeilingMs))
            return nullptr;
        return shown<EmergencyWarningDialog>();
    }
    if (window == QLatin1String("camera notice")) {
        management->showDeviceErrorMessage(BreakName, BreakPlace, UserName);
        return shown<EmergencySettingNotifyDialog>();
    }
    if (window == QLatin1String("device table"))
        return management;
    if (window == QLatin1String("device tiles"))
        return m_frame->findChild<ConnectedList *>();
    if (window == QLatin1String("IP details")) {
        ManagementShowIPInfo *details = management->ipInfoDialog();
        VelkIFPDevice reported = m_bold;
        reported.ipAddress = QStringLiteral("<A>10.0.0.9");
        reported.subnetMask = QStringLiteral("255.0.0.0 &amp;");
        details->setIPInfo(reported);
        return details;
    }
    if (window == QLatin1String("user table")) {
        overview->updateMultiUserTable();
        return overview;
    }
    if (window == QLatin1String("sync report")) {
        overview->report()->refreshReport(m_user);
        overview->report()->show();
        return overview->report();
    }
    if (window.startsWith(QLatin1String("device assignment"))) {
        DeviceListDialog *assignment = overview->deviceList();
        assignment->setMultiUser(m_user);
        assignment->loadUserDevices();
        assignment->show();
        if (window.endsWith(QLatin1String("groups")))
            assignment->comboBoxType->setCurrentIndex(1);
        return assignment;
    }
    if (window == QLatin1String("broadcast rows")) {
        broadcast->btnCompleted->click();
        return broadcast;
    }
    if (window == QLatin1String("broadcast report")) {
        for (const VelkBroadcast &completed : broadcast->scheduler()->completedList()) {
            if (completed.contentText == Content)
                broadcast->reportDialog()->showBroadcastReport(completed);
        }
        broadcast->reportDialog()->show();
        return broadcast->reportDialog();
    }
    if (window == QLatin1String("schedule tables")) {
        scheduling->comboBoxType->setCurrentIndex(0);
        return scheduling;
    }
    if (window == QLatin1String("auto-test schedules")) {
        scheduling->comboBoxType->setCurrentIndex(2);
        return scheduling;
    }
    if (window == QLatin1String("event log")) {
        m_eventLog = std::make_unique<EventLogDialog>();
        m_eventLog->show();
        return m_eventLog.get();
    }
    if (window == QLatin1String("import error")) {
        // Rich text for its colours; a message quoting the file shows the quote as it stands.
        m_importError = std::make_unique<ImportErrorDialog>();
        m_importError->setErrorPosition(2, 3, QStringLiteral("Unknown device: ") + BoldName);
        return m_importError.get();
    }
    return nullptr;
}

void TestFrameMarkup::walk()
{
    QFETCH(QString, window);
    QWidget *root = open(window);
    QVERIFY2(root, qPrintable(window));
    QCoreApplication::processEvents();
    const MarkupWalk walk = walkMarkup(root);
    QVERIFY2(walk.leaks.isEmpty(), qPrintable(walk.leaks.join(QLatin1Char('\n'))));
    QVERIFY2(walk.shown > 0, "the stored texts were not met");
}

QTEST_MAIN(TestFrameMarkup)
#include "tst_frame_markup.moc"
