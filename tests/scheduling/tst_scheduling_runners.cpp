#include "SchedulingTestSupport.h"

#include "scheduling/AutoTestRunner.h"
#include "scheduling/DeviceControlRunner.h"
#include "support/DatabaseFault.h"
#include "support/DatabaseHold.h"
#include "support/HoldKinds.h"
#include "support/SavingProgram.h"
#include "support/ShortDatabaseWaits.h"

#include <QScopeGuard>

// The device-control and auto-test runners against the real command server, simulated panels, a real database and a
// moved clock: what reaches the panels, how often, and what the database says afterwards.
class TestSchedulingRunners : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void deviceControlDay_data();
    void deviceControlDay();
    void panelsKnownByTheirAddressAloneTakeTheirSchedule();
    void firesOncePerTaskWhateverTheClockDoes();
    void startupSkipsPassedTasksButNotLateOnes();
    void unreadableTimesArmNothing();
    void unreadableDatabaseKeepsTheDaysPowerSchedules_data();
    void unreadableDatabaseKeepsTheDaysPowerSchedules();
    void autoTestRun_data();
    void autoTestRun();
    void autoTestRefusals();
    void refusedReportRowCostsOnlyItself_data();
    void refusedReportRowCostsOnlyItself();
    void heldDatabaseKeepsStatesWithTheirRows_data();
    void heldDatabaseKeepsStatesWithTheirRows();
    void heldResultBelongsToItsRun_data();
    void heldResultBelongsToItsRun();
    void unreadableDatabaseStillRunsTheTests_data();
    void unreadableDatabaseStillRunsTheTests();
    void deviceTableReadAsDamagedOverTheMinute();
    void deletedPanelIsNeitherWokenNorReported();
    void lateTestIsCheckedAfterMidnight_data();
    void lateTestIsCheckedAfterMidnight();
    void overlappingRunsEndWithTheNewerCheck_data();
    void overlappingRunsEndWithTheNewerCheck();
    void checkFollowsItsPowerOnWhateverTheWallClock_data();
    void checkFollowsItsPowerOnWhateverTheWallClock();

private:
    quint32 seedAutoTest(int target, const QString &time, const QList<VelkIFPDevice> &devices,
                         const QList<VelkGroups> &groups = {});
    // Five tests due at 10:00 on Monday, one panel each (Panel-1 ... Panel-5), as stored; their tsids.
    QList<quint32> fiveTestsAtTen();
    // Time for a packet or command that should not come to show up; what should come is waited for.
    void settle(int ms = 150) { QTest::qWait(ms); }
    // Panel 1 at the first address, which wakes when a wake packet for it comes while it is off.
    std::unique_ptr<SimulatedPanel> wakeablePanel();

    std::unique_ptr<SchedulingFixture> m_fx;
};

// 2027-03-01 is a Monday.
static const QDate Monday(2027, 3, 1);

// SQLite reading the device table as damaged ("database disk image is malformed", as it reports a read that an I/O
// error broke off) while this lives: the table's root page is an index's. The rest of the file reads as it did.
class DeviceTableMalformed
{
public:
    DeviceTableMalformed()
    {
        QSqlQuery query(QSqlDatabase::database());
        if (!query.exec(
                QStringLiteral("SELECT rootpage FROM sqlite_master WHERE type = 'table' AND name = 'Device'")) ||
            !query.next())
            return;
        m_root = query.value(0).toInt();
        if (!query.exec(QStringLiteral("SELECT rootpage FROM sqlite_master WHERE type = 'index' AND rootpage > 0")) ||
            !query.next())
            return;
        m_active = setRoot(query.value(0).toInt());
    }
    ~DeviceTableMalformed()
    {
        if (m_active)
            setRoot(m_root);
    }
    DeviceTableMalformed(const DeviceTableMalformed &) = delete;
    DeviceTableMalformed &operator=(const DeviceTableMalformed &) = delete;
    bool isActive() const { return m_active; }

private:
    static bool setRoot(int page)
    {
        QSqlQuery query(QSqlDatabase::database());
        if (!query.exec(QStringLiteral("PRAGMA schema_version")) || !query.next())
            return false;
        const int version = query.value(0).toInt();
        // The new schema version makes SQLite read the schema again.
        return query.exec(QStringLiteral("PRAGMA writable_schema = ON")) &&
               query.exec(QStringLiteral("UPDATE sqlite_master SET rootpage = %1 WHERE type = 'table' AND "
                                         "name = 'Device'")
                              .arg(page)) &&
               query.exec(QStringLiteral("PRAGMA schema_version = %1").arg(version + 1)) &&
               query.exec(QStringLiteral("PRAGMA writable_schema = OFF"));
    }

    int m_root = 0;
    bool m_active = false;
};

static VelkAutoTestSchedule storedAutoTest(quint32 tsid)
{
    for (const VelkAutoTestSchedule &schedule : storedAutoTests()) {
        if (schedule.tsid == tsid)
            return schedule;
    }
    return VelkAutoTestSchedule();
}

std::unique_ptr<SimulatedPanel> TestSchedulingRunners::wakeablePanel()
{
    auto panel = m_fx->panel(1, 0);
    SimulatedPanel *woken = panel.get();
    m_fx->wake().onPacket = [woken](const QString &mac) {
        if (woken->mac().toLower() == mac && woken->state() == SimulatedPanel::Off)
            woken->wake();
    };
    return panel;
}

void TestSchedulingRunners::initTestCase()
{
    QCOMPARE(Monday.dayOfWeek(), 1);
    m_fx.reset(new SchedulingFixture);
    QVERIFY(m_fx->server()->serverPort() != 0);
}

void TestSchedulingRunners::init()
{
    // The panels of the test before are gone once the console saw their connections close.
    for (int serial = 1; serial <= 3; ++serial)
        QTRY_COMPARE(m_fx->server()->connectionState(testMac(serial)), CmdServer::Offline);
    m_fx->wipe();
    m_fx->wake().clear();
    m_fx->wake().onPacket = nullptr;
}

void TestSchedulingRunners::deviceControlDay_data()
{
    QTest::addColumn<bool>("monday");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("expected");
    QTest::newRow("monday on") << true << true << 1;
    QTest::newRow("monday off") << false << true << 0;
    QTest::newRow("disabled") << true << false << 0;
}

// One schedule linked to a device and to a group that holds that device and another: each panel gets one power-on
// burst, one reboot and one power-off through the day, however often the list is rebuilt on the way.
void TestSchedulingRunners::deviceControlDay()
{
    QFETCH(bool, monday);
    QFETCH(bool, enabled);
    QFETCH(int, expected);

    const VelkIFPDevice one = addManagedDevice(QStringLiteral("Panel-1"), testMac(1));
    const VelkIFPDevice two = addManagedDevice(QStringLiteral("Panel-2"), testMac(2));
    const VelkGroups group = m_fx->group(QStringLiteral("Hall"), {one.deviceName, two.deviceName});
    VelkSchedule schedule = weekly(QStringLiteral("08:00"), QStringLiteral("12:00"), QStringLiteral("18:00"), monday);
    schedule.isSun = !monday; // some day stays on, so the row is valid
    schedule.isEnable = enabled;
    schedule.scheduleObject = 3;
    QList<VelkIFPDevice> direct{one};
    QCOMPARE(m_fx->db()->createIFPSchedule(schedule, direct), DB_OK);
    const quint32 sid = storedSchedules().value(0).sid;
    QSqlQuery link(QSqlDatabase::database());
    QVERIFY(link.exec(QStringLiteral("INSERT INTO GroupsSchedule (gid, sid) VALUES (%1, %2)").arg(group.gid).arg(sid)));

    auto first = m_fx->panel(1, 0);
    auto second = m_fx->panel(2, 1);
    first->start();
    second->start();
    QTRY_VERIFY(m_fx->server()->isDeviceOnline(one) && m_fx->server()->isDeviceOnline(two));

    ManualClock clock(QDateTime(Monday, QTime(7, 59, 50)));
    DeviceControlRunner runner(m_fx->db(), m_fx->server(), &clock);
    runner.replan();
    QCOMPARE(runner.tasks().size(), expected * 3);
    if (expected)
        QCOMPARE(runner.tasks().at(0).devices.size(), 2); // deduplicated across device and group

    clock.setNow(QDateTime(Monday, QTime(8, 0)));
    runner.rebuild(); // a table fill in the due second
    QTRY_COMPARE(m_fx->wake().packets(one.macAddress), expected * m_fx->burst());
    QTRY_COMPARE(m_fx->wake().packets(two.macAddress), expected * m_fx->burst());
    settle();
    QCOMPARE(m_fx->wake().packets(one.macAddress), expected * m_fx->burst());
    QCOMPARE(m_fx->wake().packets(two.macAddress), expected * m_fx->burst());

    clock.setNow(QDateTime(Monday, QTime(12, 0)));
    runner.rebuild();
    clock.advance(20000);
    QTRY_COMPARE(first->receivedCount(VELK_REMOTE_CMD_REBOOT), expected);
    QTRY_COMPARE(second->receivedCount(VELK_REMOTE_CMD_REBOOT), expected);
    QTRY_VERIFY(first->isConnected() && second->isConnected()); // back after the reboot
    QTRY_VERIFY(m_fx->server()->isDeviceOnline(one) && m_fx->server()->isDeviceOnline(two));

    clock.setNow(QDateTime(Monday, QTime(18, 0, 30)));
    clock.advance(1000);
    QTRY_COMPARE(first->receivedCount(VELK_REMOTE_CMD_POWER_OFF), expected);
    QTRY_COMPARE(second->receivedCount(VELK_REMOTE_CMD_POWER_OFF), expected);

    // Nothing more for the rest of the day, nor a second burst.
    clock.setNow(QDateTime(Monday, QTime(23, 59)));
    settle();
    QCOMPARE(m_fx->wake().packets(one.macAddress), expected * m_fx->burst());
    QCOMPARE(first->receivedCount(VELK_REMOTE_CMD_REBOOT), expected);
    QCOMPARE(second->receivedCount(VELK_REMOTE_CMD_POWER_OFF), expected);
    first->shutDown();
    second->shutDown();
}

// A schedule for a panel with a MAC and for one known by its address alone: the reboot and the power-off reach both,
// over their connections; the power-on wakes the one Wake-on-LAN can reach and sends no packet for the other.
void TestSchedulingRunners::panelsKnownByTheirAddressAloneTakeTheirSchedule()
{
    const VelkIFPDevice own = addManagedDevice(QStringLiteral("Panel-1"), testMac(1));
    const VelkIFPDevice zero = addManagedDevice(QStringLiteral("By address"), QString(), QStringLiteral("127.0.0.3"));
    VelkSchedule schedule = weekly(QStringLiteral("08:00"), QStringLiteral("12:00"), QStringLiteral("18:00"), true);
    schedule.scheduleObject = 2;
    QList<VelkIFPDevice> both{own, zero};
    QCOMPARE(m_fx->db()->createIFPSchedule(schedule, both), DB_OK);

    auto first = m_fx->panel(1, 0);
    auto second = m_fx->panel(2, 1);
    PanelIdentity identity = second->identity();
    identity.mac = QStringLiteral("00:00:00:00:00:00");
    second->setIdentity(identity);
    first->start();
    second->start();
    QTRY_VERIFY(m_fx->server()->isDeviceOnline(own) && m_fx->server()->isDeviceOnline(zero));

    ManualClock clock(QDateTime(Monday, QTime(7, 59, 50)));
    DeviceControlRunner runner(m_fx->db(), m_fx->server(), &clock);
    runner.replan();
    QCOMPARE(runner.tasks().size(), 3);
    QCOMPARE(runner.tasks().at(0).devices.size(), 2);

    clock.setNow(QDateTime(Monday, QTime(8, 0)));
    runner.rebuild();
    QTRY_COMPARE(m_fx->wake().packets(own.macAddress), m_fx->burst());
    settle();
    QCOMPARE(m_fx->wake().total(), m_fx->burst());

    clock.setNow(QDateTime(Monday, QTime(12, 0)));
    runner.rebuild();
    clock.advance(20000);
    QTRY_COMPARE(first->receivedCount(VELK_REMOTE_CMD_REBOOT), 1);
    QTRY_COMPARE(second->receivedCount(VELK_REMOTE_CMD_REBOOT), 1);
    QTRY_VERIFY(first->isConnected() && second->isConnected()); // back after the reboot
    QTRY_VERIFY(m_fx->server()->isDeviceOnline(own) && m_fx->server()->isDeviceOnline(zero));

    clock.setNow(QDateTime(Monday, QTime(18, 0, 30)));
    clock.advance(1000);
    QTRY_COMPARE(first->receivedCount(VELK_REMOTE_CMD_POWER_OFF), 1);
    QTRY_COMPARE(second->receivedCount(VELK_REMOTE_CMD_POWER_OFF), 1);
    first->shutDown();
    second->shutDown();
}

// Twenty schedules in one minute each fire once; rebuilding in the due second (an editor saved), a clock set back an
// hour and walked forward again, and a schedule saved in its own due second do not fire anything twice; a task edited
// to a later time fires at its new time.
void TestSchedulingRunners::firesOncePerTaskWhateverTheClockDoes()
{
    for (int i = 0; i < 20; ++i)
        QCOMPARE(addSchedule(weekly(QString(), QStringLiteral("09:00"), QString(), true)), DB_OK);
    ManualClock clock(QDateTime(Monday, QTime(8, 59, 59)));
    DeviceControlRunner runner(m_fx->db(), m_fx->server(), &clock);
    QSignalSpy fired(&runner, &DeviceControlRunner::taskFired);
    runner.replan();
    QCOMPARE(runner.tasks().size(), 20);

    clock.setNow(QDateTime(Monday, QTime(9, 0)));
    runner.rebuild();
    runner.rebuild();
    QSet<quint32> sids;
    for (const QList<QVariant> &args : fired)
        sids.insert(args.at(0).value<ScheduleTask>().sid);
    QCOMPARE(fired.count(), 20);
    QCOMPARE(sids.size(), 20);

    clock.setNow(QDateTime(Monday, QTime(8, 0, 30)));
    for (int minute = 0; minute < 65; ++minute)
        clock.advance(60000);
    QCOMPARE(fired.count(), 20);

    // Saved in its due second: fires once although every table fill rebuilds the list.
    clock.setNow(QDateTime(Monday, QTime(10, 30, 0)).addMSecs(400));
    QCOMPARE(addSchedule(weekly(QString(), QString(), QStringLiteral("10:30"), true)), DB_OK);
    runner.rebuild();
    runner.rebuild();
    QCOMPARE(fired.count(), 21);

    // Edited to a later time after it fired: it fires again, at the new time only.
    VelkSchedule edited = storedSchedules().last();
    edited.offTime = QStringLiteral("10:45");
    QCOMPARE(m_fx->db()->writeSchedule(edited), DB_OK);
    runner.rebuild();
    QCOMPARE(fired.count(), 21);
    QVERIFY(runner.isRunTimerActive());
    clock.setNow(QDateTime(Monday, QTime(10, 45)));
    QCOMPARE(fired.count(), 22);
    QCOMPARE(fired.last().at(0).value<ScheduleTask>().time, QDateTime(Monday, QTime(10, 45)));
}

// At start-up a task of a passed second is skipped; while running, a pass up to a minute late still fires it (a busy
// event loop, a small clock step), and one later than that does not.
void TestSchedulingRunners::startupSkipsPassedTasksButNotLateOnes()
{
    QCOMPARE(addSchedule(weekly(QStringLiteral("10:00"), QStringLiteral("10:05"), QStringLiteral("10:10"), true)),
             DB_OK);
    {
        ManualClock clock(QDateTime(Monday, QTime(10, 0, 1)));
        DeviceControlRunner runner(m_fx->db(), m_fx->server(), &clock);
        QSignalSpy fired(&runner, &DeviceControlRunner::taskFired);
        runner.replan();
        QCOMPARE(fired.count(), 0);
        QVERIFY(runner.isRunTimerActive());
        QVERIFY(runner.runTimerInterval() <= DailyTaskRunner::MaxTimerMs);
    }
    {
        ManualClock clock(QDateTime(Monday, QTime(10, 0, 0)));
        DeviceControlRunner runner(m_fx->db(), m_fx->server(), &clock);
        QSignalSpy fired(&runner, &DeviceControlRunner::taskFired);
        runner.replan();
        QCOMPARE(fired.count(), 1); // the start-up second itself still counts
        clock.setNow(QDateTime(Monday, QTime(10, 5, 59)));
        QCOMPARE(fired.count(), 2);
        clock.setNow(QDateTime(Monday, QTime(10, 11, 0)));
        QCOMPARE(fired.count(), 2);
    }
}

// Times the editor never writes: "8:5" is read as 08:05; "24:00", "x" and "12:60" give no task, never a zero timer.
void TestSchedulingRunners::unreadableTimesArmNothing()
{
    QCOMPARE(addSchedule(weekly(QStringLiteral("8:5"), QString(), QString(), true)), DB_OK);
    for (const char *bad : {"24:00", "x", "12:60", "1200"})
        QCOMPARE(addSchedule(weekly(QString(), QLatin1String(bad), QString(), true)), DB_OK);
    ManualClock clock(QDateTime(Monday, QTime(8, 4, 30)));
    DeviceControlRunner runner(m_fx->db(), m_fx->server(), &clock);
    QSignalSpy fired(&runner, &DeviceControlRunner::taskFired);
    runner.replan();
    QCOMPARE(runner.tasks().size(), 1);
    QCOMPARE(runner.runTimerInterval(), 30000);
    clock.setNow(QDateTime(Monday, QTime(8, 5)));
    QCOMPARE(fired.count(), 1);
    QVERIFY(!runner.isRunTimerActive());
    runner.runPass();
    QCOMPARE(fired.count(), 1);
}

void TestSchedulingRunners::unreadableDatabaseKeepsTheDaysPowerSchedules_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("overTheNewDay"); // else over a rebuild of the day's list (a filter, an Enable change)
    QTest::newRow("held exclusively over a rebuild") << int(DatabaseHold::Exclusive) << false;
    QTest::newRow("held exclusively over the new day") << int(DatabaseHold::Exclusive) << true;
    QTest::newRow("write lock over a rebuild") << int(DatabaseHold::Writer) << false;
    QTest::newRow("write lock over the new day") << int(DatabaseHold::Writer) << true;
}

// Two schedules due at 10:00 on Monday (a power-off of Panel-1 on Sundays and Mondays, a reboot of Panel-2 on Mondays)
// while another program holds the database exclusively, reads too. A rebuild of the list during the hold (a filter, an
// Enable change on the page) or the new day's plan read no schedule and planned nothing: neither task was sent that
// day. The list keeps the schedules and panels read before and is read again once the hold ends: the power-off goes
// out at its time, the reboot, whose panel the Sunday list never read, once its panel can be read; each once. The hold
// is told once in the log.
void TestSchedulingRunners::unreadableDatabaseKeepsTheDaysPowerSchedules()
{
    QFETCH(int, kind);
    QFETCH(bool, overTheNewDay);
    const bool exclusive = kind == DatabaseHold::Exclusive;
    const ShortDatabaseWaits waits(100);
    const VelkIFPDevice one = addManagedDevice(QStringLiteral("Panel-1"), testMac(1));
    const VelkIFPDevice two = addManagedDevice(QStringLiteral("Panel-2"), testMac(2));
    VelkSchedule off = weekly(QString(), QString(), QStringLiteral("10:00"), true, true);
    off.scheduleObject = 2;
    QList<VelkIFPDevice> first{one};
    QCOMPARE(m_fx->db()->createIFPSchedule(off, first), DB_OK);
    VelkSchedule reboot = weekly(QString(), QStringLiteral("10:00"), QString(), true);
    reboot.scheduleObject = 2;
    QList<VelkIFPDevice> second{two};
    QCOMPARE(m_fx->db()->createIFPSchedule(reboot, second), DB_OK);
    auto panelOne = m_fx->panel(1, 0);
    auto panelTwo = m_fx->panel(2, 1);
    panelOne->start();
    panelTwo->start();
    QTRY_VERIFY(m_fx->server()->isDeviceOnline(one) && m_fx->server()->isDeviceOnline(two));

    ManualClock clock(overTheNewDay ? QDateTime(Monday.addDays(-1), QTime(23, 59)) : QDateTime(Monday, QTime(9, 59)));
    DeviceControlRunner runner(waits.db(), m_fx->server(), &clock);
    runner.setRetryIntervalMs(50, 200);
    QSignalSpy fired(&runner, &DeviceControlRunner::taskFired);
    runner.replan();
    LogCapture log;
    std::unique_ptr<DatabaseHold> hold(new DatabaseHold(waits.db()->databaseFilePath(), DatabaseHold::Kind(kind)));
    QVERIFY2(hold->isHeld(), qPrintable(hold->error()));
    if (overTheNewDay)
        clock.setNow(QDateTime(Monday, QTime(0, 0, 10)));
    else
        runner.rebuild();
    QCOMPARE(runner.tasks().size(), 2);
    clock.setNow(QDateTime(Monday, QTime(10, 0)));
    // The power-off goes by the panel read before, while the hold lasts.
    QTRY_COMPARE(panelOne->receivedCount(VELK_REMOTE_CMD_POWER_OFF), 1);
    if (exclusive && overTheNewDay) {
        settle();
        QCOMPARE(panelTwo->receivedCount(VELK_REMOTE_CMD_REBOOT), 0);
        QCOMPARE(runner.waitingCount(), 1);
    }
    hold.reset();
    QTRY_COMPARE_WITH_TIMEOUT(panelTwo->receivedCount(VELK_REMOTE_CMD_REBOOT), 1, 60000);
    QCOMPARE(runner.waitingCount(), 0);
    QTRY_VERIFY(panelTwo->isConnected()); // back after the reboot
    settle(400);
    QCOMPARE(panelOne->receivedCount(VELK_REMOTE_CMD_POWER_OFF), 1);
    QCOMPARE(panelTwo->receivedCount(VELK_REMOTE_CMD_REBOOT), 1);
    QCOMPARE(fired.count(), 2);
    for (const QList<QVariant> &args : qAsConst(fired))
        QCOMPARE(args.at(0).value<ScheduleTask>().devices.size(), 1);
    QVERIFY(!log.contains(QStringLiteral("queryAllSchedule error")));
    // Told once for the hold: each read again during it said so again, without end under an endless hold.
    QCOMPARE(log.count(QStringLiteral("DeviceControlPlan::buildDay")), exclusive ? 1 : 0);
    panelOne->shutDown();
    panelTwo->shutDown();
}

quint32 TestSchedulingRunners::seedAutoTest(int target, const QString &time, const QList<VelkIFPDevice> &devices,
                                            const QList<VelkGroups> &groups)
{
    VelkAutoTestSchedule schedule;
    schedule.scheduleTarget = target;
    schedule.time = time;
    schedule.status = 1;
    schedule.isEnable = true;
    schedule.isMon = true;
    schedule.devices = devices;
    schedule.groups = groups;
    if (m_fx->db()->insertAutoTestSchedule(schedule) != DB_OK)
        qWarning("insertAutoTestSchedule failed");
    return schedule.tsid;
}

void TestSchedulingRunners::autoTestRun_data()
{
    QTest::addColumn<bool>("thirdWakes");
    QTest::newRow("both offline panels come up") << true;
    QTest::newRow("one stays down") << false;
}

// Three panels, two of them off: the power-on wakes those two, the check 90 s later powers off every connected target
// and records each panel's result and the schedule's state.
void TestSchedulingRunners::autoTestRun()
{
    QFETCH(bool, thirdWakes);
    QList<VelkIFPDevice> devices;
    for (int serial = 1; serial <= 3; ++serial)
        devices << addManagedDevice(QStringLiteral("Panel-%1").arg(serial), testMac(serial));
    const quint32 tsid = seedAutoTest(2, QStringLiteral("10:00"), devices);

    std::vector<std::unique_ptr<SimulatedPanel>> panels;
    for (int i = 0; i < 3; ++i)
        panels.push_back(m_fx->panel(i + 1, i));
    panels[0]->start();
    QTRY_VERIFY(m_fx->server()->isDeviceOnline(devices[0]));
    m_fx->wake().onPacket = [&](const QString &mac) {
        for (int i = 1; i < (thirdWakes ? 3 : 2); ++i) {
            if (panels[size_t(i)]->mac().toLower() == mac && panels[size_t(i)]->state() == SimulatedPanel::Off)
                panels[size_t(i)]->wake();
        }
    };

    ManualClock clock(QDateTime(Monday, QTime(9, 59, 50)));
    AutoTestRunner runner(m_fx->db(), m_fx->server(), &clock);
    QSignalSpy changed(&runner, &AutoTestRunner::schedulesChanged);
    runner.replan();
    QCOMPARE(runner.tasks().size(), 2);

    clock.setNow(QDateTime(Monday, QTime(10, 0)));
    QTRY_COMPARE(m_fx->wake().packets(devices[1].macAddress), m_fx->burst());
    QTRY_COMPARE(m_fx->wake().packets(devices[2].macAddress), m_fx->burst());
    settle();
    QCOMPARE(m_fx->wake().packets(devices[0].macAddress), 0);
    QCOMPARE(m_fx->wake().packets(devices[1].macAddress), m_fx->burst());
    QCOMPARE(m_fx->wake().packets(devices[2].macAddress), m_fx->burst());
    QCOMPARE(storedAutoTests().value(0).status, 2);
    QVERIFY(changed.count() >= 1);
    QList<VelkAutoTestScheduleReport> rows;
    QCOMPARE(m_fx->db()->queryAutoTestScheduleReportByAutoTestSchedule(storedAutoTests().value(0), rows), DB_OK);
    QCOMPARE(rows.size(), 3);
    for (const VelkAutoTestScheduleReport &row : qAsConst(rows))
        QVERIFY(row.status == 2 && row.notes == 1);

    QTRY_VERIFY(m_fx->server()->isDeviceOnline(devices[1]));
    if (thirdWakes)
        QTRY_VERIFY(m_fx->server()->isDeviceOnline(devices[2]));

    clock.setNow(QDateTime(Monday, QTime(10, 1, 30)));
    const int expectedOff = thirdWakes ? 3 : 2;
    int offs = 0;
    QTRY_COMPARE((offs = panels[0]->receivedCount(VELK_REMOTE_CMD_POWER_OFF) +
                         panels[1]->receivedCount(VELK_REMOTE_CMD_POWER_OFF) +
                         panels[2]->receivedCount(VELK_REMOTE_CMD_POWER_OFF)),
                 expectedOff);
    const VelkAutoTestSchedule done = storedAutoTests().value(0);
    QCOMPARE(done.tsid, tsid);
    QCOMPARE(done.status, thirdWakes ? 4 : 3);
    QCOMPARE(done.failedCount, thirdWakes ? 0 : 1);
    QVERIFY(done.isEnable);
    rows.clear();
    QCOMPARE(m_fx->db()->queryAutoTestScheduleReportByAutoTestSchedule(done, rows), DB_OK);
    QCOMPARE(rows.size(), 3);
    for (const VelkAutoTestScheduleReport &row : qAsConst(rows)) {
        const bool down = !thirdWakes && row.device.deviceName == devices[2].deviceName;
        QCOMPARE(row.status, down ? 3 : 4);
        QCOMPARE(row.notes, down ? 3 : 2);
    }
    for (auto &panel : panels)
        panel->shutDown();
}

// Nothing runs for a schedule disabled after the list was built (and it stays disabled); a group schedule whose groups
// are empty ends Failed without keeping a later schedule of the day from running; a schedule whose devices cannot be
// read ends Failed, never Successfully.
void TestSchedulingRunners::autoTestRefusals()
{
    const VelkIFPDevice one = addManagedDevice(QStringLiteral("Panel-1"), testMac(1));
    const quint32 disabled = seedAutoTest(2, QStringLiteral("10:00"), {one});
    const VelkGroups empty = m_fx->group(QStringLiteral("Empty"), {});
    const quint32 emptyGroup = seedAutoTest(3, QStringLiteral("10:00"), {}, {empty});
    const quint32 later = seedAutoTest(1, QStringLiteral("10:05"), {});
    const quint32 unreadable = seedAutoTest(1, QStringLiteral("10:10"), {});
    auto stored = [](quint32 tsid) {
        for (const VelkAutoTestSchedule &schedule : storedAutoTests()) {
            if (schedule.tsid == tsid)
                return schedule;
        }
        return VelkAutoTestSchedule();
    };

    ManualClock clock(QDateTime(Monday, QTime(9, 59)));
    AutoTestRunner runner(m_fx->db(), m_fx->server(), &clock);
    runner.replan();
    QCOMPARE(runner.tasks().size(), 8);
    VelkAutoTestSchedule off = stored(disabled);
    off.isEnable = false;
    QCOMPARE(m_fx->db()->updateAutoTestScheduleState(off), DB_OK);

    clock.setNow(QDateTime(Monday, QTime(10, 0)));
    clock.setNow(QDateTime(Monday, QTime(10, 1, 30)));
    QCOMPARE(stored(disabled).status, 1);
    QVERIFY(!stored(disabled).isEnable);
    QCOMPARE(stored(emptyGroup).status, 3);
    QCOMPARE(m_fx->wake().packets(one.macAddress), 0);

    clock.setNow(QDateTime(Monday, QTime(10, 5)));
    QTRY_COMPARE(m_fx->wake().packets(one.macAddress), m_fx->burst());
    settle();
    QCOMPARE(stored(later).status, 2);
    QCOMPARE(m_fx->wake().packets(one.macAddress), m_fx->burst());
    clock.setNow(QDateTime(Monday, QTime(10, 6, 30)));
    QCOMPARE(stored(later).status, 3); // the panel never came up
    QCOMPARE(stored(later).failedCount, 1);

    // The device table cannot be read while the last test starts.
    QVERIFY(m_fx->db()->deleteAutoTestSchedule(off) == DB_OK);
    QSqlQuery sql(QSqlDatabase::database());
    QVERIFY(sql.exec(QStringLiteral("ALTER TABLE Device RENAME TO KeepDevice")));
    clock.setNow(QDateTime(Monday, QTime(10, 10)));
    QVERIFY(sql.exec(QStringLiteral("ALTER TABLE KeepDevice RENAME TO Device")));
    clock.setNow(QDateTime(Monday, QTime(10, 11, 30)));
    QCOMPARE(stored(unreadable).status, 3);
    QCOMPARE(m_fx->wake().packets(one.macAddress), m_fx->burst());
}

void TestSchedulingRunners::refusedReportRowCostsOnlyItself_data()
{
    QTest::addColumn<bool>("atCheck");
    QTest::addColumn<bool>("diskFull");
    QTest::newRow("power-on rows, transaction rolled back") << false << false;
    QTest::newRow("power-on rows, disk full") << false << true;
    QTest::newRow("check row, transaction rolled back") << true << false;
    QTest::newRow("check row, disk full") << true << true;
}

QList<quint32> TestSchedulingRunners::fiveTestsAtTen()
{
    QList<quint32> tsids;
    for (int serial = 1; serial <= 5; ++serial) {
        const VelkIFPDevice device = addManagedDevice(QStringLiteral("Panel-%1").arg(serial), testMac(serial));
        tsids << seedAutoTest(2, QStringLiteral("10:00"), {device});
    }
    return tsids;
}

// Five tests due at one minute write their states and report rows in one transaction. SQLite refuses the third test's
// report row, at its power-on or at its check: by rolling the whole transaction back (a trigger's RAISE(ROLLBACK), as
// an I/O error does), or because the row needs more room than the database may grow by. Refused for its own sake,
// the row alone is lost: the other four keep every state and row they wrote, before the refusal and after it, and
// the log names the one write lost. A full disk refuses it only for a while: the pass's writes are held, none lost,
// and every state and row, the third's included, is written in order once the database has room again.
void TestSchedulingRunners::refusedReportRowCostsOnlyItself()
{
    QFETCH(bool, atCheck);
    QFETCH(bool, diskFull);
    const QList<quint32> tsids = fiveTestsAtTen();
    const quint32 third = tsids.at(2);
    QSqlQuery sql(QSqlDatabase::database());
    const auto dropFault = qScopeGuard([] {
        QSqlQuery drop(QSqlDatabase::database());
        drop.exec(QStringLiteral("DROP TRIGGER IF EXISTS fault"));
        drop.exec(QStringLiteral("DROP TABLE IF EXISTS Filler"));
    });
    const QString event = atCheck ? QStringLiteral("UPDATE") : QStringLiteral("INSERT");
    if (diskFull) {
        // The third test's row comes with a megabyte the database has no room for; the others' rows fit.
        QVERIFY(sql.exec(QStringLiteral("CREATE TABLE Filler (b BLOB)")));
        QVERIFY(sql.exec(QStringLiteral("CREATE TEMP TRIGGER fault AFTER %1 ON AutoTestScheduleReport WHEN NEW.tsid = "
                                        "%2 BEGIN INSERT INTO Filler VALUES (zeroblob(1000000)); END")
                             .arg(event)
                             .arg(third)));
    } else {
        QVERIFY(sql.exec(QStringLiteral("CREATE TEMP TRIGGER fault BEFORE %1 ON AutoTestScheduleReport WHEN NEW.tsid = "
                                        "%2 BEGIN SELECT RAISE(ROLLBACK, 'refused'); END")
                             .arg(event)
                             .arg(third)));
    }
    auto rowsOf = [this](quint32 tsid) {
        QList<VelkAutoTestScheduleReport> rows;
        VelkAutoTestSchedule schedule = storedAutoTest(tsid);
        if (m_fx->db()->queryAutoTestScheduleReportByAutoTestSchedule(schedule, rows) != DB_OK)
            qWarning("report of auto-test %u unreadable", tsid);
        QList<QPair<int, int>> out;
        for (const VelkAutoTestScheduleReport &row : qAsConst(rows))
            out << qMakePair(row.status, row.notes);
        return out;
    };
    using Rows = QList<QPair<int, int>>;

    ManualClock clock(QDateTime(Monday, QTime(9, 59, 50)));
    AutoTestRunner runner(m_fx->db(), m_fx->server(), &clock);
    runner.replan();
    QCOMPARE(runner.tasks().size(), 10);
    LogCapture log;
    {
        std::unique_ptr<DatabaseFault> full;
        if (diskFull && !atCheck)
            full.reset(new DatabaseFault(DatabaseFault::DiskFull));
        clock.setNow(QDateTime(Monday, QTime(10, 0)));
        // Every write of the pass is held, none written: no test shows its new state yet. (How many writes are held
        // is not counted: other work of the console may have writes held beside them.)
        if (full) {
            QVERIFY(!m_fx->db()->heldWrites()->isEmpty());
            for (quint32 tsid : qAsConst(tsids))
                QCOMPARE(storedAutoTest(tsid).status, 1);
        }
    }
    if (atCheck) {
        QVERIFY(!log.contains("not kept"));
        std::unique_ptr<DatabaseFault> full;
        if (diskFull)
            full.reset(new DatabaseFault(DatabaseFault::DiskFull));
        // None of the panels came up: every check reports "no response".
        clock.setNow(QDateTime(Monday, QTime(10, 1, 30)));
        if (full) {
            QVERIFY(!m_fx->db()->heldWrites()->isEmpty());
            for (quint32 tsid : qAsConst(tsids))
                QCOMPARE(storedAutoTest(tsid).status, 2);
        }
    }
    QTRY_COMPARE(m_fx->db()->heldWrites()->count(), 0);

    for (quint32 tsid : qAsConst(tsids)) {
        const VelkAutoTestSchedule stored = storedAutoTest(tsid);
        QCOMPARE(stored.tsid, tsid);
        // The third test's own state is written after its row, and is kept like the others'.
        QCOMPARE(stored.status, atCheck ? 3 : 2);
        if (tsid == third && !diskFull)
            QCOMPARE(rowsOf(tsid), atCheck ? Rows{qMakePair(2, 1)} : Rows{});
        else
            QCOMPARE(rowsOf(tsid), Rows{atCheck ? qMakePair(3, 3) : qMakePair(2, 1)});
    }
    if (diskFull) {
        QVERIFY(!log.contains("not kept"));
        const QStringList written = log.linesWith(QStringLiteral("the database takes writes again"));
        QCOMPARE(written.size(), 1);
        QVERIFY2(written.first().endsWith(QStringLiteral(" held writes written, 0 lost")), qPrintable(written.first()));
        return;
    }
    const QString lost = atCheck ? QStringLiteral("report of auto-test %1 for Panel-3").arg(third)
                                 : QStringLiteral("report rows of auto-test %1").arg(third);
    const QStringList notKept = log.linesWith(QStringLiteral("not kept"));
    QCOMPARE(notKept.size(), 1);
    const QString kept = atCheck ? QStringLiteral("9 of 10") : QStringLiteral("14 of 15");
    QVERIFY2(notKept.first().endsWith(kept + QStringLiteral(" writes kept; not kept: ") + lost),
             qPrintable(notKept.first()));
    QVERIFY(!log.contains("could not be kept"));
}

void TestSchedulingRunners::heldDatabaseKeepsStatesWithTheirRows_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("overTheCheck");
    QTest::newRow("write lock over the power-on") << int(DatabaseHold::Writer) << false;
    QTest::newRow("write lock over the power-on and the check") << int(DatabaseHold::Writer) << true;
    QTest::newRow("read transaction over the power-on") << int(DatabaseHold::Reader) << false;
}

// Five tests due at one minute while another program holds the database for longer than the console waits for it
// (an SQLite browser with an unsaved change, a backup tool reading). The power-on's writes were refused within
// milliseconds and lost, and the check then wrote "Successful" over schedules without report rows. They are held and
// written in order once the database takes writes: every test ends with the state and the rows that a pass without
// the hold writes, and none is ever stored Successful without them.
void TestSchedulingRunners::heldDatabaseKeepsStatesWithTheirRows()
{
    QFETCH(int, kind);
    QFETCH(bool, overTheCheck);
    const ShortDatabaseWaits waits(100);
    OrvantaDBManager *db = waits.db();
    const QList<quint32> tsids = fiveTestsAtTen();
    std::vector<std::unique_ptr<SimulatedPanel>> panels;
    for (int serial = 1; serial <= 5; ++serial) {
        panels.push_back(m_fx->panel(serial, serial - 1));
        panels.back()->start();
    }
    for (int serial = 1; serial <= 5; ++serial)
        QTRY_COMPARE(m_fx->server()->connectionState(testMac(serial)), CmdServer::Connected);
    auto rowsOf = [db](quint32 tsid) {
        QList<VelkAutoTestScheduleReport> rows;
        if (db->queryAutoTestScheduleReportByAutoTestSchedule(storedAutoTest(tsid), rows) != DB_OK)
            qWarning("report of auto-test %u unreadable", tsid);
        QList<QPair<int, int>> out;
        for (const VelkAutoTestScheduleReport &row : qAsConst(rows))
            out << qMakePair(row.status, row.notes);
        return out;
    };
    // What the database holds may lag behind, but never says more than the rows it holds.
    auto consistent = [&] {
        for (quint32 tsid : qAsConst(tsids)) {
            const int status = storedAutoTest(tsid).status;
            const QList<QPair<int, int>> rows = rowsOf(tsid);
            if ((status == 2 && rows != QList<QPair<int, int>>{qMakePair(2, 1)}) ||
                (status == 4 && rows != QList<QPair<int, int>>{qMakePair(4, 2)}))
                return false;
        }
        return true;
    };

    ManualClock clock(QDateTime(Monday, QTime(9, 59, 50)));
    AutoTestRunner runner(m_fx->db(), m_fx->server(), &clock);
    runner.replan();
    LogCapture log;
    std::unique_ptr<DatabaseHold> hold(new DatabaseHold(db->databaseFilePath(), DatabaseHold::Kind(kind)));
    QVERIFY2(hold->isHeld(), qPrintable(hold->error()));
    // Nothing of the pass reaches the database while the hold lasts, and nothing of it is lost. How many writes are
    // held is not counted: the panels' own records, written back on a timer, may join them on a busy machine.
    auto nothingWrittenYet = [&] {
        for (quint32 tsid : qAsConst(tsids)) {
            if (storedAutoTest(tsid).status != 1 || !rowsOf(tsid).isEmpty())
                return false;
        }
        return true;
    };
    clock.setNow(QDateTime(Monday, QTime(10, 0)));
    QVERIFY(!db->heldWrites()->isEmpty());
    QTest::qWait(100); // tries while the hold lasts
    QVERIFY(!db->heldWrites()->isEmpty());
    QVERIFY(nothingWrittenYet());
    QVERIFY(consistent());
    if (!overTheCheck) {
        hold.reset();
        QTRY_COMPARE(db->heldWrites()->count(), 0);
        for (quint32 tsid : qAsConst(tsids)) {
            QCOMPARE(storedAutoTest(tsid).status, 2);
            QCOMPARE(rowsOf(tsid), (QList<QPair<int, int>>{qMakePair(2, 1)}));
        }
    }
    clock.setNow(QDateTime(Monday, QTime(10, 1, 30)));
    if (overTheCheck) {
        QVERIFY(!db->heldWrites()->isEmpty());
        QVERIFY(nothingWrittenYet());
        QVERIFY(consistent());
        hold.reset();
    }
    QTRY_COMPARE(db->heldWrites()->count(), 0);
    for (quint32 tsid : qAsConst(tsids)) {
        QCOMPARE(storedAutoTest(tsid).status, 4);
        QCOMPARE(rowsOf(tsid), (QList<QPair<int, int>>{qMakePair(4, 2)}));
    }
    QVERIFY(!log.contains(QStringLiteral("not kept")));
    QCOMPARE(log.count(QStringLiteral("writes are held")), 1);
    for (auto &panel : panels)
        panel->shutDown();
    for (int serial = 1; serial <= 5; ++serial)
        QTRY_COMPARE(m_fx->server()->connectionState(testMac(serial)), CmdServer::Offline);
}

void TestSchedulingRunners::heldResultBelongsToItsRun_data()
{
    QTest::addColumn<QString>("edit"); // by another program, or by the editor before or after the states land
    QTest::addColumn<QString>("time"); // the time the edit gives the test
    QTest::addColumn<int>("status");   // stored once the held states landed and the edit was saved
    QTest::newRow("another program adds a weekday") << "program"
                                                    << "10:00" << 4;
    QTest::newRow("the editor adds a weekday before the states land") << "editor"
                                                                      << "10:00" << 4;
    QTest::newRow("the editor moves it to 10:30 before the states land") << "editor"
                                                                         << "10:30" << 4;
    QTest::newRow("the editor moves it to 10:30 after they landed") << "editor after"
                                                                    << "10:30" << 1;
}

// Another program held the database over a run's power-on and check, so the run's states were held, and the test was
// given another weekday before they landed: they were written only while its days and time were as the run left them,
// and the run's Successful was lost (Not Started after the editor's save, Scheduling after another program's edit).
// The states belong to the run, whatever the test's times say for its next runs. A save made after they landed stands,
// and a test moved to a later time runs then and writes its own states.
void TestSchedulingRunners::heldResultBelongsToItsRun()
{
    QFETCH(QString, edit);
    QFETCH(QString, time);
    QFETCH(int, status);
    // Before the editor's save, held writes are tried only when another write commits.
    const ShortDatabaseWaits waits(100, edit == QLatin1String("editor") ? 600000 : 20);
    OrvantaDBManager *db = waits.db();
    const VelkIFPDevice one = addManagedDevice(QStringLiteral("Panel-1"), testMac(1));
    const quint32 tsid = seedAutoTest(2, QStringLiteral("10:00"), {one});
    auto panel = wakeablePanel();
    ManualClock clock(QDateTime(Monday, QTime(9, 59, 50)));
    AutoTestRunner runner(db, m_fx->server(), &clock);
    runner.replan();
    auto holder = std::make_unique<SavingProgram>(db->databaseFilePath(), false);
    QVERIFY(holder->isHolding());
    clock.setNow(QDateTime(Monday, QTime(10, 0)));
    QTRY_VERIFY(m_fx->server()->isDeviceOnline(one));
    clock.setNow(QDateTime(Monday, QTime(10, 1, 30)));
    QVERIFY(!db->heldWrites()->isEmpty());
    if (edit == QLatin1String("program")) {
        QVERIFY(holder->save(
            QStringLiteral("UPDATE AutoTestSchedule SET isTue = 1, time = '%1' WHERE tsid = %2").arg(time).arg(tsid)));
    } else {
        holder.reset();
        if (edit == QLatin1String("editor after"))
            QTRY_VERIFY(db->heldWrites()->isEmpty());
        // As the editor saves it: its days and time, started afresh (the stored status is not Scheduling).
        VelkAutoTestSchedule saved = storedAutoTest(tsid);
        saved.isTue = true;
        saved.time = time;
        saved.status = 1;
        saved.devices = {one};
        QCOMPARE(db->updateAutoTestSchedule(saved), DB_OK);
    }
    QTRY_VERIFY(db->heldWrites()->isEmpty());
    QCOMPARE(storedAutoTest(tsid).status, status);
    QVERIFY(storedAutoTest(tsid).isTue);
    QCOMPARE(storedAutoTest(tsid).time, time);
    if (time == QLatin1String("10:30")) {
        runner.replan();
        clock.setNow(QDateTime(Monday, QTime(10, 30)));
        QTRY_COMPARE(storedAutoTest(tsid).status, 2);
        QTRY_VERIFY(m_fx->server()->isDeviceOnline(one));
        clock.setNow(QDateTime(Monday, QTime(10, 31, 30)));
        QTRY_COMPARE(storedAutoTest(tsid).status, 4);
    }
    panel->shutDown();
    QTRY_COMPARE(m_fx->server()->connectionState(testMac(1)), CmdServer::Offline);
}

void TestSchedulingRunners::unreadableDatabaseStillRunsTheTests_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("holdMs");
    QTest::addColumn<bool>("overTheNewDay"); // the hold also covers the re-plan that builds the day's list
    QTest::newRow("held exclusively for 1 s over the power-on") << int(DatabaseHold::Exclusive) << 1000 << false;
    QTest::newRow("held exclusively for 3 s over the power-on") << int(DatabaseHold::Exclusive) << 3000 << false;
    QTest::newRow("held exclusively for 6 s over the power-on") << int(DatabaseHold::Exclusive) << 6000 << false;
    QTest::newRow("write lock for 3 s over the power-on") << int(DatabaseHold::Writer) << 3000 << false;
    QTest::newRow("held exclusively for 3 s over the new day and the power-on")
        << int(DatabaseHold::Exclusive) << 3000 << true;
}

// Three tests at 10:00 (a chosen panel, a group of two, every panel) while another program holds the database
// exclusively, reads too (a VACUUM, an SQLite browser saving a large change), for longer than the console waits for
// it. The runner gave up on each: "the devices could not be read", the test stored Failed without rows, and its check
// skipped. It acts on the panels it read when it built the day's list; when the hold also kept it from building that
// list, it plans the schedules it read the day before and runs the tests once their panels can be read. Every test
// ends Successful with one row per panel, as without the hold.
void TestSchedulingRunners::unreadableDatabaseStillRunsTheTests()
{
    QFETCH(int, kind);
    QFETCH(int, holdMs);
    QFETCH(bool, overTheNewDay);
    const ShortDatabaseWaits waits(100);
    OrvantaDBManager *db = waits.db();
    QList<VelkIFPDevice> devices;
    std::vector<std::unique_ptr<SimulatedPanel>> panels;
    for (int serial = 1; serial <= 5; ++serial) {
        devices << addManagedDevice(QStringLiteral("Panel-%1").arg(serial), testMac(serial));
        panels.push_back(m_fx->panel(serial, serial - 1));
        panels.back()->start();
    }
    for (int serial = 1; serial <= 5; ++serial)
        QTRY_COMPARE(m_fx->server()->connectionState(testMac(serial)), CmdServer::Connected);
    const VelkGroups hall = m_fx->group(QStringLiteral("Hall"), {devices[1].deviceName, devices[2].deviceName});
    const QList<QPair<quint32, int>> tests = {{seedAutoTest(2, QStringLiteral("10:00"), {devices[0]}), 1},
                                              {seedAutoTest(3, QStringLiteral("10:00"), {}, {hall}), 2},
                                              {seedAutoTest(1, QStringLiteral("10:00"), {}), 5}};
    auto ended = [&](int status, int notes) {
        for (const auto &test : tests) {
            const VelkAutoTestSchedule stored = storedAutoTest(test.first);
            QList<VelkAutoTestScheduleReport> rows;
            if (stored.status != status || db->queryAutoTestScheduleReportByAutoTestSchedule(stored, rows) != DB_OK ||
                rows.size() != test.second)
                return false;
            for (const VelkAutoTestScheduleReport &row : qAsConst(rows)) {
                if (row.status != status || row.notes != notes)
                    return false;
            }
        }
        return true;
    };

    // Built on Sunday evening, the runner has read the schedules but no panel of a Monday test.
    ManualClock clock(overTheNewDay ? QDateTime(Monday.addDays(-1), QTime(23, 59)) : QDateTime(Monday, QTime(9, 59)));
    AutoTestRunner runner(db, m_fx->server(), &clock);
    runner.setRetryIntervalMs(50, 200);
    runner.replan();
    LogCapture log;
    DatabaseHold hold(db->databaseFilePath(), DatabaseHold::Kind(kind), holdMs);
    QVERIFY2(hold.isHeld(), qPrintable(hold.error()));
    if (overTheNewDay)
        clock.setNow(QDateTime(Monday, QTime(0, 0, 10)));
    clock.setNow(QDateTime(Monday, QTime(10, 0)));
    // The hold ends by itself; what the power-on wrote lands then.
    QTRY_VERIFY_WITH_TIMEOUT(ended(2, 1), holdMs + 60000);
    QCOMPARE(runner.waitingCount(), 0);
    clock.setNow(QDateTime(Monday, QTime(10, 1, 30)));
    QTRY_VERIFY_WITH_TIMEOUT(ended(4, 2), 60000);
    QVERIFY(!log.contains(QStringLiteral("could not be read")));
    QVERIFY(!log.contains(QStringLiteral("skipped")));
    QVERIFY(!log.contains(QStringLiteral("not kept")));
    for (auto &panel : panels)
        QTRY_COMPARE(panel->receivedCount(VELK_REMOTE_CMD_POWER_OFF), 1);
    settle();
    for (auto &panel : panels)
        QCOMPARE(panel->receivedCount(VELK_REMOTE_CMD_POWER_OFF), 1);
    for (auto &panel : panels)
        panel->shutDown();
    for (int serial = 1; serial <= 5; ++serial)
        QTRY_COMPARE(m_fx->server()->connectionState(testMac(serial)), CmdServer::Offline);
}

// The device table reads as damaged from the new day's re-plan to past a test's minute (an I/O error that SQLite
// reports as "database disk image is malformed"): the day's list was built empty with only a log line, and the test
// never ran. The runner plans the tests it read the day before, the test waits as for a read another program refuses,
// and runs once the table reads again, its check 90 s after.
void TestSchedulingRunners::deviceTableReadAsDamagedOverTheMinute()
{
    const VelkIFPDevice one = addManagedDevice(QStringLiteral("Panel-1"), testMac(1));
    const quint32 tsid = seedAutoTest(2, QStringLiteral("10:00"), {one});
    auto panel = m_fx->panel(1, 0);
    panel->start();
    QTRY_VERIFY(m_fx->server()->isDeviceOnline(one));
    ManualClock clock(QDateTime(Monday.addDays(-1), QTime(23, 59)));
    AutoTestRunner runner(m_fx->db(), m_fx->server(), &clock);
    runner.setRetryIntervalMs(50, 200);
    runner.replan();
    {
        DeviceTableMalformed fault;
        QVERIFY(fault.isActive());
        clock.setNow(QDateTime(Monday, QTime(0, 0, 10)));
        clock.setNow(QDateTime(Monday, QTime(10, 0)));
        QTRY_COMPARE(runner.waitingCount(), 1);
    }
    QTRY_COMPARE(runner.waitingCount(), 0);
    QTRY_COMPARE(storedAutoTest(tsid).status, 2);
    clock.setNow(QDateTime(Monday, QTime(10, 1, 30)));
    QTRY_COMPARE(storedAutoTest(tsid).status, 4);
    QList<VelkAutoTestScheduleReport> rows;
    QCOMPARE(m_fx->db()->queryAutoTestScheduleReportByAutoTestSchedule(storedAutoTest(tsid), rows), DB_OK);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.at(0).status, 4);
    QTRY_COMPARE(panel->receivedCount(VELK_REMOTE_CMD_POWER_OFF), 1);
    panel->shutDown();
    QTRY_COMPARE(m_fx->server()->connectionState(testMac(1)), CmdServer::Offline);
}

// A test's panels were read when the day's list was built; one of them is deleted, and at the test's minute another
// program holds the database exclusively, so the runner tests the panels it read before. The deleted panel was woken,
// given a report row nobody sees, and failed the test while every row shown was green. It is left out: the test wakes
// and judges the panel that is still there, and ends Successful.
void TestSchedulingRunners::deletedPanelIsNeitherWokenNorReported()
{
    const ShortDatabaseWaits waits(100);
    OrvantaDBManager *db = waits.db();
    const VelkIFPDevice kept = addManagedDevice(QStringLiteral("Panel-1"), testMac(1));
    const VelkIFPDevice deleted = addManagedDevice(QStringLiteral("Panel-2"), testMac(2));
    const quint32 tsid = seedAutoTest(2, QStringLiteral("10:00"), {kept, deleted});
    auto panel = wakeablePanel();
    ManualClock clock(QDateTime(Monday, QTime(9, 59)));
    AutoTestRunner runner(db, m_fx->server(), &clock);
    runner.setRetryIntervalMs(50, 200);
    runner.replan();
    // As the device page deletes it.
    VelkIFPDevice gone = deleted;
    QCOMPARE(db->deleteIFPDevice(gone), DB_OK);
    QList<VelkIFPDevice> all;
    QCOMPARE(db->queryAllAvailableIFP(all), DB_OK);
    m_fx->server()->setManagedDevices(all);

    {
        DatabaseHold hold(db->databaseFilePath(), DatabaseHold::Exclusive);
        QVERIFY2(hold.isHeld(), qPrintable(hold.error()));
        clock.setNow(QDateTime(Monday, QTime(10, 0)));
        QTRY_COMPARE(m_fx->wake().packets(kept.macAddress), m_fx->burst());
        settle();
    }
    QCOMPARE(m_fx->wake().packets(deleted.macAddress), 0);
    QTRY_VERIFY(m_fx->server()->isDeviceOnline(kept));
    QTRY_VERIFY(db->heldWrites()->isEmpty());
    clock.setNow(QDateTime(Monday, QTime(10, 1, 30)));
    QTRY_COMPARE(storedAutoTest(tsid).status, 4);
    QCOMPARE(storedAutoTest(tsid).failedCount, 0);
    QSqlQuery rows(QSqlDatabase::database());
    QVERIFY(rows.exec(QStringLiteral("SELECT did, status FROM AutoTestScheduleReport WHERE tsid = %1").arg(tsid)));
    QVERIFY(rows.next());
    QCOMPARE(rows.value(0).toUInt(), kept.did);
    QCOMPARE(rows.value(1).toInt(), 4);
    QVERIFY(!rows.next());
    panel->shutDown();
    QTRY_COMPARE(m_fx->server()->connectionState(testMac(1)), CmdServer::Offline);
}

void TestSchedulingRunners::lateTestIsCheckedAfterMidnight_data()
{
    QTest::addColumn<bool>("replanFirst");
    QTest::addColumn<QTime>("after");
    QTest::newRow("the re-plan at 00:00:10, then the check's second") << true << QTime(0, 0, 30);
    QTest::newRow("the console busy until minutes after the check") << false << QTime(0, 4);
}

// A test at 23:59 wakes its panel; its check falls at 00:00:30 the next day, after the midnight re-plan built the new
// day's list. The run still ends with its check, once: the panel is powered off and the schedule ends Successfully.
void TestSchedulingRunners::lateTestIsCheckedAfterMidnight()
{
    QFETCH(bool, replanFirst);
    QFETCH(QTime, after);
    const VelkIFPDevice device = addManagedDevice(QStringLiteral("Panel-1"), testMac(1));
    const quint32 tsid = seedAutoTest(2, QStringLiteral("23:59"), {device});
    auto panel = wakeablePanel();

    ManualClock clock(QDateTime(Monday, QTime(23, 58, 50)));
    AutoTestRunner runner(m_fx->db(), m_fx->server(), &clock);
    runner.replan();
    clock.setNow(QDateTime(Monday, QTime(23, 59)));
    QTRY_VERIFY_WITH_TIMEOUT(m_fx->server()->isDeviceOnline(device), 30000);
    QCOMPARE(storedAutoTests().value(0).status, 2);

    if (replanFirst)
        clock.setNow(QDateTime(Monday.addDays(1), QTime(0, 0, 10)));
    clock.setNow(QDateTime(Monday.addDays(1), after));
    QTRY_COMPARE_WITH_TIMEOUT(panel->receivedCount(VELK_REMOTE_CMD_POWER_OFF), 1, 30000);
    const VelkAutoTestSchedule done = storedAutoTests().value(0);
    QCOMPARE(done.tsid, tsid);
    QCOMPARE(done.status, 4);
    QList<VelkAutoTestScheduleReport> rows;
    QCOMPARE(m_fx->db()->queryAutoTestScheduleReportByAutoTestSchedule(done, rows), DB_OK);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.at(0).status, 4);

    // The next re-plan has nothing left of that run.
    clock.setNow(QDateTime(Monday.addDays(2), QTime(0, 0, 10)));
    settle();
    QCOMPARE(panel->receivedCount(VELK_REMOTE_CMD_POWER_OFF), 1);
    QCOMPARE(runner.tasks().size(), 0);
    panel->shutDown();
}

enum Overlap
{
    EditedToTheNextMinute,
    TwoTestsOnOnePanel,
    DeletedAndReplaced,
};

void TestSchedulingRunners::overlappingRunsEndWithTheNewerCheck_data()
{
    QTest::addColumn<int>("overlap");
    QTest::newRow("a test at 10:00 edited at 10:00:20 to 10:01") << int(EditedToTheNextMinute);
    QTest::newRow("tests at 10:00 and 10:01 on one panel") << int(TwoTestsOnOnePanel);
    QTest::newRow("a test deleted during its run, replaced at 10:01") << int(DeletedAndReplaced);
}

// A run at 10:01 starts while the 10:00 run on the same panel still waits for its check at 10:01:30. That check must
// not power off the panel the 10:01 run is testing: the newer run ends Successfully, the panel is powered off once,
// after the newer check. An edited schedule's earlier run is taken over by the newer one and writes nothing; a
// separate test at 10:00 ends with its own result.
void TestSchedulingRunners::overlappingRunsEndWithTheNewerCheck()
{
    QFETCH(int, overlap);
    const VelkIFPDevice device = addManagedDevice(QStringLiteral("Panel-1"), testMac(1));
    const quint32 first = seedAutoTest(2, QStringLiteral("10:00"), {device});
    quint32 newer = first;
    if (overlap == TwoTestsOnOnePanel)
        newer = seedAutoTest(2, QStringLiteral("10:01"), {device});
    auto panel = wakeablePanel();
    auto offs = [&] { return panel->receivedCount(VELK_REMOTE_CMD_POWER_OFF); };

    ManualClock clock(QDateTime(Monday, QTime(9, 59, 50)));
    AutoTestRunner runner(m_fx->db(), m_fx->server(), &clock);
    runner.replan();
    clock.setNow(QDateTime(Monday, QTime(10, 0)));
    QTRY_VERIFY_WITH_TIMEOUT(m_fx->server()->isDeviceOnline(device), 30000);

    clock.setNow(QDateTime(Monday, QTime(10, 0, 20)));
    if (overlap == EditedToTheNextMinute) {
        // What the editor stores for a schedule saved during its run.
        VelkAutoTestSchedule edited = storedAutoTest(first);
        edited.time = QStringLiteral("10:01");
        edited.devices = {device};
        QCOMPARE(m_fx->db()->updateAutoTestSchedule(edited), DB_OK);
        runner.rebuild();
    } else if (overlap == DeletedAndReplaced) {
        VelkAutoTestSchedule gone = storedAutoTest(first);
        QCOMPARE(m_fx->db()->deleteAutoTestSchedule(gone), DB_OK);
        newer = seedAutoTest(2, QStringLiteral("10:01"), {device});
        QVERIFY(newer != first);
        runner.rebuild();
    }

    clock.setNow(QDateTime(Monday, QTime(10, 1)));
    QCOMPARE(storedAutoTest(newer).status, 2);
    clock.setNow(QDateTime(Monday, QTime(10, 1, 30)));
    settle();
    QCOMPARE(offs(), 0);
    QVERIFY(m_fx->server()->isDeviceOnline(device));
    QCOMPARE(storedAutoTest(newer).status, 2);
    QList<VelkAutoTestScheduleReport> rows;
    QCOMPARE(m_fx->db()->queryAutoTestScheduleReportByAutoTestSchedule(storedAutoTest(newer), rows), DB_OK);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.at(0).status, 2);
    if (overlap == TwoTestsOnOnePanel)
        QCOMPARE(storedAutoTest(first).status, 4);

    clock.setNow(QDateTime(Monday, QTime(10, 2, 30)));
    QTRY_COMPARE_WITH_TIMEOUT(offs(), 1, 30000);
    const VelkAutoTestSchedule done = storedAutoTest(newer);
    QCOMPARE(done.status, 4);
    rows.clear();
    QCOMPARE(m_fx->db()->queryAutoTestScheduleReportByAutoTestSchedule(done, rows), DB_OK);
    QCOMPARE(rows.size(), 1);
    QVERIFY(rows.at(0).status == 4 && rows.at(0).notes == 2);
    if (overlap == TwoTestsOnOnePanel)
        QCOMPARE(storedAutoTest(first).status, 4);
    settle();
    QCOMPARE(offs(), 1);
    panel->shutDown();
}

void TestSchedulingRunners::checkFollowsItsPowerOnWhateverTheWallClock_data()
{
    QTest::addColumn<int>("days");
    QTest::newRow("clock set back a day") << -1;
    QTest::newRow("clock set forward two days") << 2;
}

// The wall clock is set during a run, 20 s after the power-on. The check still comes 90 s after the power-on by the
// time that passed: not a day later with the panel left on and the schedule locked, and not at once, before the panel
// had its time to come up.
void TestSchedulingRunners::checkFollowsItsPowerOnWhateverTheWallClock()
{
    QFETCH(int, days);
    const VelkIFPDevice device = addManagedDevice(QStringLiteral("Panel-1"), testMac(1));
    const quint32 tsid = seedAutoTest(2, QStringLiteral("10:00"), {device});
    auto panel = wakeablePanel();
    auto offs = [&] { return panel->receivedCount(VELK_REMOTE_CMD_POWER_OFF); };

    ManualClock clock(QDateTime(Monday, QTime(9, 59, 50)));
    AutoTestRunner runner(m_fx->db(), m_fx->server(), &clock);
    runner.replan();
    clock.setNow(QDateTime(Monday, QTime(10, 0)));
    QTRY_VERIFY_WITH_TIMEOUT(m_fx->server()->isDeviceOnline(device), 30000);

    clock.advance(20000);
    clock.stepTo(clock.now().addDays(days));
    settle();
    QCOMPARE(offs(), 0);
    QCOMPARE(storedAutoTest(tsid).status, 2);
    clock.advance(69000);
    settle();
    QCOMPARE(offs(), 0);
    QCOMPARE(storedAutoTest(tsid).status, 2);

    clock.advance(1000);
    QTRY_COMPARE_WITH_TIMEOUT(offs(), 1, 30000);
    const VelkAutoTestSchedule done = storedAutoTest(tsid);
    QCOMPARE(done.status, 4);
    QList<VelkAutoTestScheduleReport> rows;
    QCOMPARE(m_fx->db()->queryAutoTestScheduleReportByAutoTestSchedule(done, rows), DB_OK);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.at(0).status, 4);
    panel->shutDown();
}

QTEST_MAIN(TestSchedulingRunners)
#include "tst_scheduling_runners.moc"
