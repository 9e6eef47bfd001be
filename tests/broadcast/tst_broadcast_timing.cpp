#include "BroadcastTestSupport.h"

#include "broadcast/BroadcastAudio.h"
#include "broadcast/BroadcastCapability.h"
#include "broadcast/BroadcastScheduler.h"
#include "broadcast/BroadcastTiming.h"
#include "shell/base/Clock.h"
#include "support/DatabaseHold.h"
#include "support/DbProbe.h"
#include "support/HoldKinds.h"
#include "support/MovableTime.h"
#include "support/ShortDatabaseWaits.h"
#include "support/SmallDisk.h"

#include <QProcess>
#include <QSignalSpy>

using namespace BroadcastTest;

namespace {

QDateTime at(const char *text)
{
    return QDateTime::fromString(QString::fromLatin1(text), QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"));
}

VelkBroadcast scheduled(const QString &date, const QString &time, const QString &weekdays = QString())
{
    VelkBroadcast b;
    b.startDate = date;
    b.time = time;
    b.repeatMon = weekdays.contains("Mon");
    b.repeatTue = weekdays.contains("Tue");
    b.repeatWed = weekdays.contains("Wed");
    b.repeatThu = weekdays.contains("Thu");
    b.repeatFri = weekdays.contains("Fri");
    b.repeatSat = weekdays.contains("Sat");
    b.repeatSun = weekdays.contains("Sun");
    return b;
}

} // namespace

// When broadcasts start: the calendar arithmetic on its own, then the page's scheduler driven by a moved clock
// against a real database and manager. The "Desk" targets are off, so each run to them ends at once with "Power-off";
// the "Live" panels are simulated panels connected to the command server.
class TestBroadcastTiming : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void nextStart_data();
    void nextStart();
    void orderAndDayBoundaries();
    void capableDevices_data();
    void capableDevices();
    void duplicateSoundNames();

    void dueTasksStartTogetherAndTheNextIsArmed();
    void immediateBroadcastStartsAtTheNextCheck();
    void oneOffDuringAHeldDatabaseStartsOnce_data();
    void oneOffDuringAHeldDatabaseStartsOnce();
    void oneOffStartingInATimedHoldStartsOnce_data();
    void oneOffStartingInATimedHoldStartsOnce();
    void groupBroadcastInAnExclusiveHoldStartsOnceAfterIt();
    void startUpInAnExclusiveHoldWaitsForTheLists();
    void heldStatusLeavesALaterChangeStanding_data();
    void heldStatusLeavesALaterChangeStanding();
    void noReportRowUnderABroadcastDeletedAfterAHold_data();
    void noReportRowUnderABroadcastDeletedAfterAHold();
    void oneOffOnAFullDiskStartsOnce();
    void daysLastSecondArmsPastMidnight();
    void staleUpcomingGoBackToPendingAtStart_data();
    void staleUpcomingGoBackToPendingAtStart();
    void groupsExpandToCapableDevicesOnce();
    void eachRepeatingRunKeepsItsOwnRecord();
    void refreshInTheStartSecondKeepsTheRun();
    void interruptedRunsLeaveNoRowsInTheNext();
    void missedWeeklyStartCostsNoLaterRun_data();
    void missedWeeklyStartCostsNoLaterRun();
    void daylightSavingDays();
    void weeklyStartOverASleep_data();
    void weeklyStartOverASleep();
    void weeklyStartOverTwoNightsAsleep();
    void startsOverADaysLongSleep_data();
    void startsOverADaysLongSleep();
    void clockSetBackSendsNoStartTwice();
    void runOverASleepKeepsTheStartsAfterIt_data();
    void runOverASleepKeepsTheStartsAfterIt();

private:
    /// Stores an upcoming broadcast to the devices, with that text (or a common one).
    VelkBroadcast store(VelkBroadcast b, const QList<VelkIFPDevice> &devices, const QString &text = QString());
    void startScheduler(const QDateTime &now);
    /// The scheduler on the system clock, its wall clock read from `time`: nothing tells it of a move but the clock.
    void startSchedulerOn(const MovableTime &time);
    /// Time runs on to `now` while no timer has fired yet (a busy event loop): the scheduler is not told.
    void runOnQuietly(const QDateTime &now);
    /// The scheduler's task of that broadcast; null when it is not upcoming.
    const BroadcastTask *taskOf(quint32 bid) const;
    /// The completed broadcasts whose content is that of `b` (the completed copies of its runs, or itself).
    int completedRuns(const VelkBroadcast &b) const;
    /// The report rows of the last completed broadcast whose content is that of `b`, as (status, note).
    QList<QPair<int, int>> lastRunReport(const VelkBroadcast &b) const;
    /// After a wake: later checks and rebuilds log no start missed again and send nothing more than `runs`.
    void verifyLaterChecksChangeNothing(const VelkBroadcast &b, const QStringList &missed, SimulatedPanel *panel,
                                        int runs);

    std::unique_ptr<TestEnv> m_env;
    std::unique_ptr<LogCapture> m_log;
    QTemporaryDir m_dir;
    NetworkConfig m_config;
    QList<VelkIFPDevice> m_devices; // never connected: every run ends at once
    std::unique_ptr<PanelFleet> m_fleet;
    QList<VelkIFPDevice> m_live; // the fleet's panels, connected
    std::unique_ptr<ManualClock> m_clock;
    std::unique_ptr<SystemClock> m_systemClock;
    std::unique_ptr<BroadcastManager> m_manager;
    std::unique_ptr<BroadcastScheduler> m_scheduler;
};

void TestBroadcastTiming::initTestCase()
{
    m_env.reset(new TestEnv);
    m_log.reset(new LogCapture);
    OrvantaDBManager::setDataFolder(m_dir.path());
    m_config = loopbackNetworkConfig(m_dir.path());
    NetworkConfig::setCurrent(m_config);
    FleetOptions options;
    options.count = 4;
    options.namePrefix = "Desk-";
    options.bindAnswerSockets = false;
    PanelFleet desks(options);
    m_devices = storeFleet(desks);
    QCOMPARE(m_devices.size(), 4);
    m_fleet = makeFleet(4, 501, "Live-", "127.0.5.2");
    m_live = storeFleet(*m_fleet);
    m_fleet->startAll();
    QTRY_COMPARE_WITH_TIMEOUT(m_fleet->connectedCount(), 4, 30000);
}

void TestBroadcastTiming::cleanupTestCase()
{
    m_fleet->shutDownAll();
    m_fleet.reset();
}

void TestBroadcastTiming::init()
{
    wipeBroadcasts();
    for (SimulatedPanel *panel : m_fleet->panels()) {
        panel->setAnswerHeld(VELK_REMOTE_RSP_BROADCAST_DATA_COMPLETE, false);
        panel->releaseHeldAnswers();
        panel->resetCounters();
    }
    m_manager.reset(new BroadcastManager(CmdServer::getInstance(), OrvantaDBManager::getInstance()));
}

void TestBroadcastTiming::cleanup()
{
    m_scheduler.reset();
    m_manager.reset();
    m_clock.reset();
    m_systemClock.reset();
}

VelkBroadcast TestBroadcastTiming::store(VelkBroadcast b, const QList<VelkIFPDevice> &devices, const QString &text)
{
    b.status = VelkBroadcast::Upcoming;
    b.target = 2;
    b.devices = devices;
    b.contentText = text.isEmpty() ? QStringLiteral("Lunch is served") : text;
    if (OrvantaDBManager::getInstance()->insertBroadcast(b) != DB_OK)
        qWarning("insertBroadcast failed");
    return b;
}

void TestBroadcastTiming::startScheduler(const QDateTime &now)
{
    m_clock.reset(new ManualClock(now));
    m_scheduler.reset(
        new BroadcastScheduler(OrvantaDBManager::getInstance(), m_manager.get(), m_clock.get(), m_config.audioFolder,
                               [] { return BroadcastCapability::supportedDevices(OrvantaDBManager::getInstance()); }));
    m_scheduler->start();
}

void TestBroadcastTiming::startSchedulerOn(const MovableTime &time)
{
    m_systemClock.reset(new SystemClock(time.readings()));
    m_scheduler.reset(new BroadcastScheduler(
        OrvantaDBManager::getInstance(), m_manager.get(), m_systemClock.get(), m_config.audioFolder,
        [] { return BroadcastCapability::supportedDevices(OrvantaDBManager::getInstance()); }));
    m_scheduler->start();
}

void TestBroadcastTiming::runOnQuietly(const QDateTime &now)
{
    const QSignalBlocker quiet(m_clock.get());
    m_clock->setNow(now);
}

const BroadcastTask *TestBroadcastTiming::taskOf(quint32 bid) const
{
    for (const BroadcastTask &task : m_scheduler->taskList()) {
        if (task.broadcast.bid == bid)
            return &task;
    }
    return nullptr;
}

int TestBroadcastTiming::completedRuns(const VelkBroadcast &b) const
{
    int runs = 0;
    for (const VelkBroadcast &done : m_scheduler->completedList())
        runs += done.contentText == b.contentText ? 1 : 0;
    return runs;
}

QList<QPair<int, int>> TestBroadcastTiming::lastRunReport(const VelkBroadcast &b) const
{
    VelkBroadcast last;
    for (const VelkBroadcast &done : m_scheduler->completedList()) {
        if (done.contentText == b.contentText)
            last = done;
    }
    QList<VelkBroadcastReport> rows;
    if (OrvantaDBManager::getInstance()->queryBroadcastReportByBroadcast(last, rows) != DB_OK)
        qWarning("queryBroadcastReportByBroadcast failed");
    QList<QPair<int, int>> results;
    for (const VelkBroadcastReport &row : qAsConst(rows))
        results.append(qMakePair(row.status, row.note));
    return results;
}

// 2024-05-06 is a Monday.
void TestBroadcastTiming::verifyLaterChecksChangeNothing(const VelkBroadcast &b, const QStringList &missed,
                                                         SimulatedPanel *panel, int runs)
{
    m_scheduler->refreshBroadcastTables();
    m_scheduler->checkBroadcastTask();
    m_scheduler->regularlyCheckBroadcastTask();
    QCOMPARE(m_log->count("start missed"), missed.size());
    for (const QString &start : qAsConst(missed))
        QCOMPARE(m_log->count(QStringLiteral("start missed: %1, bid: %2,").arg(start).arg(b.bid)), 1);
    QCOMPARE(panel->receivedCount(VELK_REMOTE_CMD_BROADCAST_DATA), runs);
    QCOMPARE(completedRuns(b), runs);
}

void TestBroadcastTiming::nextStart_data()
{
    QTest::addColumn<QString>("startDate");
    QTest::addColumn<QString>("weekdays");
    QTest::addColumn<QString>("now");
    QTest::addColumn<QString>("expected");
    QTest::newRow("Monday repeat asked Monday 09:00") << "2024-04-01"
                                                      << "Mon"
                                                      << "2024-05-06 09:00:00.000"
                                                      << "2024-05-06 10:00";
    QTest::newRow("at the start itself") << "2024-04-01"
                                         << "Mon"
                                         << "2024-05-06 10:00:00.000"
                                         << "2024-05-06 10:00";
    QTest::newRow("a millisecond after") << "2024-04-01"
                                         << "Mon"
                                         << "2024-05-06 10:00:00.001"
                                         << "2024-05-13 10:00";
    QTest::newRow("Monday repeat asked 10:01") << "2024-04-01"
                                               << "Mon"
                                               << "2024-05-06 10:01:00.000"
                                               << "2024-05-13 10:00";
    QTest::newRow("start three days ahead") << "2024-05-09"
                                            << "Mon,Fri"
                                            << "2024-05-06 09:00:00.000"
                                            << "2024-05-10 10:00";
    QTest::newRow("start ahead on a flagged day") << "2024-05-09"
                                                  << "Thu"
                                                  << "2024-05-06 11:00:00.000"
                                                  << "2024-05-09 10:00";
    QTest::newRow("Sunday flag") << "2024-04-01"
                                 << "Sun"
                                 << "2024-05-06 09:00:00.000"
                                 << "2024-05-12 10:00";
    QTest::newRow("one-off from yesterday") << "2024-05-05"
                                            << ""
                                            << "2024-05-06 09:00:00.000"
                                            << "2024-05-05 10:00";
}

void TestBroadcastTiming::nextStart()
{
    QFETCH(QString, startDate);
    QFETCH(QString, weekdays);
    QFETCH(QString, now);
    QFETCH(QString, expected);
    const VelkBroadcast b = scheduled(startDate, "10:00", weekdays);
    QCOMPARE(BroadcastTiming::nextStartDateTime(b, at(qPrintable(now))).toString("yyyy-MM-dd hh:mm"), expected);
}

void TestBroadcastTiming::orderAndDayBoundaries()
{
    BroadcastTask immediate, early, sameA, sameB, broken;
    immediate.broadcast.isNow = true;
    immediate.broadcast.bid = 9;
    immediate.startDateTime = at("2024-05-07 08:00:00.000");
    early.broadcast.bid = 8;
    early.startDateTime = at("2024-05-06 07:00:00.000");
    sameA.broadcast.bid = 3;
    sameB.broadcast.bid = 5;
    sameA.startDateTime = sameB.startDateTime = at("2024-05-06 10:00:00.000");
    broken.broadcast.bid = 1; // a start that does not read sorts last, not "equal to everything"
    QList<BroadcastTask> list = {broken, sameB, sameA, early, immediate};
    std::sort(list.begin(), list.end(), broadcastTaskLessThan);
    QList<quint32> order;
    for (const BroadcastTask &t : list)
        order.append(t.broadcast.bid);
    QCOMPARE(order, QList<quint32>({9, 8, 3, 5, 1}));

    // The daily timer never comes out at 0 ms: in the day's last second it ends just past midnight.
    QCOMPARE(BroadcastTiming::msecsToNextMidnight(at("2024-05-06 10:00:00.700")), qint64(50399300));
    QCOMPARE(BroadcastTiming::msecsToNextMidnight(at("2024-05-06 23:59:59.700")), qint64(300));
    QCOMPARE(BroadcastTiming::msecsToNextMidnight(at("2024-05-06 23:59:59.999")), qint64(1));
    QCOMPARE(BroadcastTiming::msecsToNextMidnight(at("2024-05-07 00:00:00.000")), qint64(86400000));

    // Whole seconds, milliseconds dropped on both sides: a timer 1.5 s late gives -1, still due.
    QCOMPARE(BroadcastTiming::secondsUntilStart(at("2024-05-06 10:00:00.000"), at("2024-05-06 09:59:58.600")),
             qint64(2));
    QCOMPARE(BroadcastTiming::secondsUntilStart(at("2024-05-06 10:00:00.000"), at("2024-05-06 10:00:01.500")),
             qint64(-1));

    const QDateTime now = at("2024-05-06 10:00:30.000");
    VelkBroadcast immediateOne;
    immediateOne.isNow = true;
    QVERIFY(BroadcastTiming::isStaleUpcoming(immediateOne, now));
    QVERIFY(BroadcastTiming::isStaleUpcoming(scheduled("2024-05-06", "10:00"), now)); // the current minute
    QVERIFY(BroadcastTiming::isStaleUpcoming(scheduled("2024-05-06", "08:15"), now));
    QVERIFY(!BroadcastTiming::isStaleUpcoming(scheduled("2024-05-06", "10:01"), now));
    QVERIFY(!BroadcastTiming::isStaleUpcoming(scheduled("2024-04-01", "08:15", "Mon"), now));
}

void TestBroadcastTiming::capableDevices_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("type");
    QTest::addColumn<bool>("capable");
    QTest::newRow("reference build") << "1.1.1017.18"
                                     << "Control Box" << true;
    QTest::newRow("only the build counts") << "0.0.0.18"
                                           << "" << true;
    QTest::newRow("build 17") << "1.1.1017.17"
                              << "" << false;
    QTest::newRow("high fields, build 9") << "9.9.9999.9"
                                          << "" << false;
    QTest::newRow("three fields") << "1.1.1017"
                                  << "Audio Box" << false;
    QTest::newRow("five fields") << "1.1.1017.18.1"
                                 << "Audio Box" << false;
    QTest::newRow("empty") << ""
                           << "Audio Box" << false;
    QTest::newRow("empty field kept") << "1..2.30"
                                      << "" << true;
    QTest::newRow("old audio box") << "1.1.1017.5"
                                   << "Audio Box" << true;
    QTest::newRow("type is exact") << "1.1.1017.5"
                                   << "audio box" << false;
    QTest::newRow("build not a number") << "1.1.1017.x"
                                        << "" << false;
}

void TestBroadcastTiming::capableDevices()
{
    QFETCH(QString, version);
    QFETCH(QString, type);
    QFETCH(bool, capable);
    VelkIFPDevice device;
    device.displayClientVersion = version;
    device.deviceType = type;
    QCOMPARE(BroadcastCapability::isCapable(device), capable);
}

void TestBroadcastTiming::duplicateSoundNames()
{
    const QString folder = m_dir.filePath("names");
    QDir().mkpath(folder);
    writeRandomFile(folder + "/rec.mp3", 100);
    writeRandomFile(folder + "/rec_1.mp3", 100);
    QCOMPARE(BroadcastAudio::duplicateName(folder, "rec.mp3"), QString("rec_2.mp3"));
    QCOMPARE(BroadcastAudio::duplicateName(folder, "a.b.wav"), QString("a.b_1.wav"));
    QCOMPARE(BroadcastAudio::duplicateName(folder, "plain"), QString("plain_1"));

    VelkBroadcast b;
    b.audioSelection = 4;
    b.savedAudioFilename = "rec.mp3";
    b.displayedAudioFilename = "My recording.mp3";
    QVERIFY(BroadcastAudio::duplicateCustomAudioFile(folder, b));
    QCOMPARE(b.savedAudioFilename, QString("rec_2.mp3"));
    QCOMPARE(b.displayedAudioFilename, QString("My recording.mp3"));
    QCOMPARE(fileSha256(folder + "/rec_2.mp3"), fileSha256(folder + "/rec.mp3"));
    // The copy can be read by its owner whatever the source allowed.
    QFile::setPermissions(folder + "/rec.mp3", QFileDevice::WriteOther | QFileDevice::ReadOther);
    b.savedAudioFilename = "rec.mp3";
    QVERIFY(BroadcastAudio::duplicateCustomAudioFile(folder, b));
    QVERIFY(QFileInfo(folder + "/rec_3.mp3").permissions() & QFileDevice::ReadOwner);

    // A stored name cannot reach outside the folder, and a missing file leaves the record alone.
    writeRandomFile(m_dir.filePath("outside.mp3"), 10);
    b.savedAudioFilename = "../outside.mp3";
    QVERIFY(!BroadcastAudio::duplicateCustomAudioFile(folder, b));
    QCOMPARE(b.savedAudioFilename, QString("../outside.mp3"));
}

void TestBroadcastTiming::dueTasksStartTogetherAndTheNextIsArmed()
{
    const VelkBroadcast second = store(scheduled("2024-05-06", "10:00"), {m_devices.at(1)});
    const VelkBroadcast first = store(scheduled("2024-05-06", "10:00"), {m_devices.at(0)});
    const VelkBroadcast later = store(scheduled("2024-05-06", "11:00"), {m_devices.at(2)});
    QVERIFY(first.bid > second.bid);
    startScheduler(at("2024-05-06 09:59:58.600"));
    QCOMPARE(m_scheduler->taskList().size(), 3);
    QCOMPARE(m_scheduler->taskList().at(0).broadcast.bid, second.bid);
    QCOMPARE(m_scheduler->taskList().at(1).broadcast.bid, first.bid);
    QVERIFY(m_scheduler->taskTimer().isActive());
    QCOMPARE(m_scheduler->taskTimer().interval(), 2000);

    // The timer fires 1.5 s after the start second: both start in that one check, the next is armed.
    QSignalSpy finished(m_manager.get(), &BroadcastManager::broadcastFinished);
    m_clock->setNow(at("2024-05-06 10:00:01.500"));
    QTRY_COMPARE(finished.count(), 2);
    QCOMPARE(finished.at(0).at(0).toUInt(), second.bid);
    QTRY_COMPARE(m_scheduler->completedList().size(), 2);
    QCOMPARE(m_scheduler->taskList().size(), 1);
    QCOMPARE(m_scheduler->taskTimer().interval(), 3599 * 1000);
    // Each ran once: one report row, its result written. (Two runs ending in one turn of the event loop once sent
    // the second again, its end not yet recorded when the first's end reloaded the lists.)
    for (const VelkBroadcast &b : {first, second}) {
        QList<VelkBroadcastReport> rows;
        QCOMPARE(OrvantaDBManager::getInstance()->queryBroadcastReportByBroadcast(b, rows), DB_OK);
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows.first().status, 2);
        QCOMPARE(rows.first().note, 1);
    }
    QCOMPARE(reportOf(later).size(), 0);
}

void TestBroadcastTiming::immediateBroadcastStartsAtTheNextCheck()
{
    store(scheduled("2024-05-06", "09:30"), {m_devices.at(0)});
    startScheduler(at("2024-05-06 09:00:00.000"));
    VelkBroadcast now = scheduled("2024-05-06", "09:05");
    now.isNow = true;
    now = store(now, {m_devices.at(3)});
    // A one-off whose start passed on an earlier day is not started by a check (start-up sends it to pending).
    const VelkBroadcast yesterday = store(scheduled("2024-05-05", "09:10"), {m_devices.at(2)});
    QSignalSpy finished(m_manager.get(), &BroadcastManager::broadcastFinished);
    m_scheduler->refreshBroadcastTables(); // what the page does after a save
    QCOMPARE(m_scheduler->taskList().first().broadcast.bid, now.bid);
    m_scheduler->checkBroadcastTask();
    QTRY_COMPARE(finished.count(), 1);
    QTRY_COMPARE(m_scheduler->completedList().size(), 1);
    QCOMPARE(m_scheduler->completedList().first().bid, now.bid);
    QCOMPARE(m_scheduler->taskList().size(), 2);
    QCOMPARE(reportOf(yesterday).size(), 0);
}

void TestBroadcastTiming::oneOffDuringAHeldDatabaseStartsOnce_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("write lock held") << int(DatabaseHold::Writer);
    QTest::newRow("read transaction held") << int(DatabaseHold::Reader);
}

// A one-off broadcast due while another program holds the database for longer than the console waits for it (an
// SQLite browser with an unsaved change, a backup tool reading). Its "completed" could not be written, so it stayed
// upcoming, and each check started it again for as long as the hold lasted: every panel showed it again and again.
// It starts once on each panel, whatever the database answers, and is completed, with one report row per panel, once
// the database takes writes.
void TestBroadcastTiming::oneOffDuringAHeldDatabaseStartsOnce()
{
    QFETCH(int, kind);
    const ShortDatabaseWaits waits(100);
    OrvantaDBManager *db = waits.db();
    startScheduler(at("2024-05-06 09:00:00.000"));
    VelkBroadcast now = scheduled("2024-05-06", "09:05");
    now.isNow = true;
    now = store(now, m_live);
    QSignalSpy finished(m_manager.get(), &BroadcastManager::broadcastFinished);
    {
        DatabaseHold hold(db->databaseFilePath(), DatabaseHold::Kind(kind));
        QVERIFY2(hold.isHeld(), qPrintable(hold.error()));
        m_scheduler->refreshBroadcastTables();
        m_scheduler->checkBroadcastTask();
        QTRY_COMPARE(finished.count(), 1);
        QTRY_COMPARE(completedRuns(now), 1);
        QVERIFY(!taskOf(now.bid));
        QVERIFY(db->heldWrites()->count() > 0);
        // A repeat came within a busy wait and a run: many of each pass while the hold lasts.
        QTest::qWait(600);
        QCOMPARE(finished.count(), 1);
        for (SimulatedPanel *panel : m_fleet->panels())
            QCOMPARE(panel->receivedCount(VELK_REMOTE_CMD_START_BROADCAST), 1);
    }
    QTRY_COMPARE(db->heldWrites()->count(), 0);
    QList<VelkBroadcast> completed;
    QCOMPARE(db->queryBroadcastByStatus(VelkBroadcast::Completed, completed), DB_OK);
    QCOMPARE(completed.size(), 1);
    QCOMPARE(completed.first().bid, now.bid);
    const QMap<QString, QPair<int, int>> rows = reportOf(now);
    QCOMPARE(rows.size(), m_live.size());
    for (const VelkIFPDevice &device : qAsConst(m_live))
        QCOMPARE(rows.value(device.deviceName), qMakePair(1, 0));
    m_scheduler->refreshBroadcastTables();
    QCOMPARE(completedRuns(now), 1);
    QVERIFY(!taskOf(now.bid));
    QTest::qWait(100);
    for (SimulatedPanel *panel : m_fleet->panels())
        QCOMPARE(panel->receivedCount(VELK_REMOTE_CMD_START_BROADCAST), 1);
}

void TestBroadcastTiming::oneOffStartingInATimedHoldStartsOnce_data()
{
    addTimedHoldRows();
}

// A one-off broadcast whose start falls in a hold that ends by itself. Held exclusively, the database cannot even be
// read: the lists rebuilt after the start came back empty, so the end of the run found no task to record as completed.
// A short hold then ended before the run did, and the next rebuild found the broadcast upcoming and sent it again;
// a longer one left it upcoming, never completed, to be sent again at the next check. It starts once on each panel
// and is completed, with one report row per panel, after the hold.
void TestBroadcastTiming::oneOffStartingInATimedHoldStartsOnce()
{
    QFETCH(int, kind);
    QFETCH(int, holdMs);
    const ShortDatabaseWaits waits(100);
    OrvantaDBManager *db = waits.db();
    const VelkBroadcast once = store(scheduled("2024-05-06", "09:05"), m_live, "Assembly in the hall");
    startScheduler(at("2024-05-06 09:04:59.000"));
    QVERIFY(taskOf(once.bid));
    QSignalSpy finished(m_manager.get(), &BroadcastManager::broadcastFinished);
    QElapsedTimer held;
    held.start();
    DatabaseHold hold(db->databaseFilePath(), DatabaseHold::Kind(kind), holdMs);
    QVERIFY2(hold.isHeld(), qPrintable(hold.error()));
    m_clock->setNow(at("2024-05-06 09:05:00.200"));
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 30000);

    // The hold ends by itself; checks after it start nothing again.
    QTRY_VERIFY_WITH_TIMEOUT(held.elapsed() > holdMs && db->heldWrites()->isEmpty(), holdMs + 30000);
    hold.release();
    m_scheduler->refreshBroadcastTables();
    m_scheduler->checkBroadcastTask();
    QTest::qWait(300);
    QCOMPARE(finished.count(), 1);
    for (SimulatedPanel *panel : m_fleet->panels())
        QCOMPARE(panel->receivedCount(VELK_REMOTE_CMD_START_BROADCAST), 1);
    QList<VelkBroadcast> completed;
    QCOMPARE(db->queryBroadcastByStatus(VelkBroadcast::Completed, completed), DB_OK);
    QCOMPARE(completed.size(), 1);
    QCOMPARE(completed.first().bid, once.bid);
    QCOMPARE(completedRuns(once), 1);
    QVERIFY(!taskOf(once.bid));
    QList<VelkBroadcastReport> stored;
    QCOMPARE(db->queryBroadcastReportByBroadcast(once, stored), DB_OK);
    QCOMPARE(stored.size(), m_live.size());
    const QMap<QString, QPair<int, int>> rows = reportOf(once);
    for (const VelkIFPDevice &device : qAsConst(m_live))
        QCOMPARE(rows.value(device.deviceName), qMakePair(1, 0));
}

// A broadcast to a group, due while another program holds the database exclusively: who is in the group only the
// database knows. The members read as nobody, and the broadcast was completed at once with no panel reached. It waits
// for the database, starts once on each member and is completed with their rows.
void TestBroadcastTiming::groupBroadcastInAnExclusiveHoldStartsOnceAfterIt()
{
    const ShortDatabaseWaits waits(100);
    OrvantaDBManager *db = waits.db();
    VelkGroups room;
    room.groupName = "Room 12";
    QCOMPARE(db->createGroups(room), DB_OK);
    for (VelkIFPDevice device : qAsConst(m_live))
        QCOMPARE(db->joinGroups(device, room), DB_OK);
    VelkBroadcast b = scheduled("2024-05-06", "09:05");
    b.status = VelkBroadcast::Upcoming;
    b.target = 3;
    b.groups = {room};
    b.contentText = "Room 12 to the gym";
    QCOMPARE(db->insertBroadcast(b), DB_OK);
    startScheduler(at("2024-05-06 09:04:59.000"));
    QSignalSpy finished(m_manager.get(), &BroadcastManager::broadcastFinished);
    {
        DatabaseHold hold(db->databaseFilePath(), DatabaseHold::Exclusive, 3000);
        QVERIFY2(hold.isHeld(), qPrintable(hold.error()));
        m_clock->setNow(at("2024-05-06 09:05:00.200"));
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 60000);
    }
    QTRY_VERIFY_WITH_TIMEOUT(db->heldWrites()->isEmpty(), 30000);
    m_scheduler->refreshBroadcastTables();
    m_scheduler->checkBroadcastTask();
    QTest::qWait(300);
    QCOMPARE(finished.count(), 1);
    for (SimulatedPanel *panel : m_fleet->panels())
        QCOMPARE(panel->receivedCount(VELK_REMOTE_CMD_START_BROADCAST), 1);
    QCOMPARE(completedRuns(b), 1);
    QList<VelkBroadcastReport> rows;
    QCOMPARE(db->queryBroadcastReportByBroadcast(b, rows), DB_OK);
    QCOMPARE(rows.size(), m_live.size());
    for (const VelkBroadcastReport &row : qAsConst(rows))
        QCOMPARE(qMakePair(row.status, row.note), qMakePair(1, 0));
    QCOMPARE(db->deleteGroups(room), DB_OK);
}

// The console starts while another program holds the database exclusively: no broadcast can be read. The lists stayed
// empty until something rebuilt them (a click, the next midnight), so nothing started at its time; and the upcoming
// broadcasts that could no longer start on their own were never put back to pending, so the first rebuild sent the
// immediate one. Once the database gives them, those go back to pending as of the start and the others run at their
// times, once.
void TestBroadcastTiming::startUpInAnExclusiveHoldWaitsForTheLists()
{
    const VelkIFPDevice live = m_live.at(0);
    VelkBroadcast immediate = scheduled("2024-05-06", "07:00");
    immediate.isNow = true;
    QList<quint32> stale = {store(immediate, {live}).bid, store(scheduled("2024-05-06", "10:00"), {live}).bid};
    const VelkBroadcast later = store(scheduled("2024-05-06", "10:01"), {live});
    const ShortDatabaseWaits waits(100);
    OrvantaDBManager *db = waits.db();
    {
        DatabaseHold hold(db->databaseFilePath(), DatabaseHold::Exclusive, 2000);
        QVERIFY2(hold.isHeld(), qPrintable(hold.error()));
        startScheduler(at("2024-05-06 10:00:30.000"));
        QTRY_VERIFY_WITH_TIMEOUT(taskOf(later.bid), 60000);
    }
    QList<quint32> pending;
    for (const VelkBroadcast &b : m_scheduler->pendingList())
        pending.append(b.bid);
    std::sort(pending.begin(), pending.end());
    QCOMPARE(pending, stale);
    QCOMPARE(m_scheduler->taskList().size(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(db->heldWrites()->isEmpty(), 30000);
    QList<VelkBroadcast> stored;
    QCOMPARE(db->queryBroadcastByStatus(VelkBroadcast::Pending, stored), DB_OK);
    QCOMPARE(stored.size(), stale.size());

    m_clock->setNow(at("2024-05-06 10:01:00.200"));
    QTRY_COMPARE_WITH_TIMEOUT(completedRuns(later), 1, 30000);
    m_scheduler->refreshBroadcastTables();
    m_scheduler->checkBroadcastTask();
    QTest::qWait(300);
    QCOMPARE(m_fleet->panel(0)->receivedCount(VELK_REMOTE_CMD_START_BROADCAST), 1);
}

void TestBroadcastTiming::heldStatusLeavesALaterChangeStanding_data()
{
    QTest::addColumn<bool>("byOperator");
    QTest::newRow("the operator schedules it again") << true;
    QTest::newRow("another program changes it") << false;
}

// An immediate broadcast goes back to pending at start-up while another program holds the database: its "pending" is
// held. Right after the hold, before that lands, the operator schedules it again for 10:30 (or another program
// changes the row so). The held write carried the status as it was decided, and put the broadcast back to pending:
// the operator's broadcast never ran. A held status is set only on the row as it was read; a later change stands.
void TestBroadcastTiming::heldStatusLeavesALaterChangeStanding()
{
    QFETCH(bool, byOperator);
    VelkBroadcast immediate = scheduled("2024-05-06", "07:00");
    immediate.isNow = true;
    immediate = store(immediate, {m_live.at(0)});
    // Held writes are tried again only when another write commits: the change below comes first.
    const ShortDatabaseWaits waits(100, 600000);
    OrvantaDBManager *db = waits.db();
    {
        DatabaseHold hold(db->databaseFilePath(), DatabaseHold::Writer);
        QVERIFY2(hold.isHeld(), qPrintable(hold.error()));
        startScheduler(at("2024-05-06 10:00:30.000"));
        QCOMPARE(m_scheduler->pendingList().size(), 1);
        QVERIFY(!db->heldWrites()->isEmpty());
    }
    VelkBroadcast again = immediate;
    again.isNow = false;
    again.time = "10:30";
    if (byOperator) {
        QCOMPARE(db->updateBroadcast(again), DB_OK);
    } else {
        DbProbe other(db->databaseFilePath(), QStringLiteral("another-program"));
        QVERIFY2(
            other.exec(QStringLiteral("UPDATE Broadcast SET isNow = 0, time = '10:30' WHERE bid = ?"), {again.bid}),
            qPrintable(other.lastError()));
        db->heldWrites()->setRetryIntervalMs(20, 20);
    }
    QTRY_VERIFY_WITH_TIMEOUT(db->heldWrites()->isEmpty(), 30000);
    QList<VelkBroadcast> upcoming;
    QCOMPARE(db->queryBroadcastByStatus(VelkBroadcast::Upcoming, upcoming), DB_OK);
    QCOMPARE(upcoming.size(), 1);
    QCOMPARE(upcoming.first().bid, again.bid);
    QCOMPARE(upcoming.first().time, QString("10:30"));
    m_scheduler->refreshBroadcastTables();
    QVERIFY(m_scheduler->pendingList().isEmpty());
    QVERIFY(taskOf(again.bid));
    QCOMPARE(taskOf(again.bid)->startDateTime, at("2024-05-06 10:30:00.000"));
}

void TestBroadcastTiming::noReportRowUnderABroadcastDeletedAfterAHold_data()
{
    addHoldKindRows();
}

// A one-off broadcast runs while another program holds the database: its report rows, results and status are held.
// Right after the hold, before they land, the operator deletes it. The held rows landed under the deleted broadcast
// (orphans no screen shows and nothing deletes), while the log named only the status as lost. Nothing lands under it,
// and the log says why.
void TestBroadcastTiming::noReportRowUnderABroadcastDeletedAfterAHold()
{
    QFETCH(int, kind);
    const VelkBroadcast once = store(scheduled("2024-05-06", "09:05"), m_live, "Buses leave at 15:10");
    const ShortDatabaseWaits waits(100, 600000);
    OrvantaDBManager *db = waits.db();
    startScheduler(at("2024-05-06 09:04:59.000"));
    QSignalSpy finished(m_manager.get(), &BroadcastManager::broadcastFinished);
    {
        DatabaseHold hold(db->databaseFilePath(), DatabaseHold::Kind(kind));
        QVERIFY2(hold.isHeld(), qPrintable(hold.error()));
        m_clock->setNow(at("2024-05-06 09:05:00.200"));
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 30000);
        QTRY_COMPARE_WITH_TIMEOUT(completedRuns(once), 1, 30000);
        QVERIFY(!db->heldWrites()->isEmpty());
    }
    QCOMPARE(m_scheduler->deleteBroadcast(once.bid), BroadcastScheduler::Change::Made);
    QTRY_VERIFY_WITH_TIMEOUT(db->heldWrites()->isEmpty(), 30000);
    DbProbe probe(db->databaseFilePath());
    QCOMPARE(probe.value(QStringLiteral("SELECT count(*) FROM BroadcastReport WHERE bid = ?"), {once.bid}).toInt(), 0);
    QCOMPARE(probe.value(QStringLiteral("SELECT count(*) FROM Broadcast WHERE bid = ?"), {once.bid}).toInt(), 0);
    QVERIFY(m_log->contains(QStringLiteral("report rows not written, broadcast %1 was deleted").arg(once.bid)));
    QCOMPARE(completedRuns(once), 0);
}

// The same on a disk that is full (a small file system of its own, filled): the broadcast started again at once
// after each run, tens of thousands of times a minute, and each run logged its lines. It starts once; while the disk
// stays full the log does not grow; once space is freed the broadcast is completed with one row per panel.
void TestBroadcastTiming::oneOffOnAFullDiskStartsOnce()
{
    QTemporaryDir disk;
    QVERIFY(disk.isValid());
    if (!SmallDisk::available(disk.path()))
        QSKIP("no user namespace here to mount a small disk in");
    const int panels = 4;
    QProcess probe;
    SmallDisk::start(probe, disk.path(), 8 * 1024 * 1024, 6 * 1024 * 1024, {QStringLiteral("data/Quorvin")},
                     QStringLiteral(QV_BROADCAST_DISK_PROBE),
                     {disk.path() + QStringLiteral("/data/Quorvin"), QString::number(panels), QStringLiteral("2000")});
    QVERIFY(probe.waitForFinished(120000));
    const QString output = QString::fromLocal8Bit(probe.readAllStandardOutput());
    QVERIFY2(probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0,
             qPrintable(output + QString::fromLocal8Bit(probe.readAllStandardError())));
    QHash<QString, QStringList> lines;
    for (const QString &line : output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList words = line.split(QLatin1Char(' '));
        lines.insert(words.first(), words.mid(1));
    }
    QCOMPARE(lines.value("starts"), (QStringList{"1", "1"}));
    const QStringList log = lines.value("log");
    QCOMPARE(log.size(), 2);
    QVERIFY2(log.at(1).toInt() - log.at(0).toInt() <= 2, qPrintable(output));
    QVERIFY2(lines.value("held").value(0).toInt() > 0, qPrintable(output));
    QCOMPARE(lines.value("status"), QStringList{QString::number(VelkBroadcast::Completed)});
    QCOMPARE(lines.value("rows"), (QStringList{QString::number(panels), QString::number(panels)}));
}

void TestBroadcastTiming::daysLastSecondArmsPastMidnight()
{
    store(scheduled("2024-05-07", "08:00"), {m_devices.at(0)});
    startScheduler(at("2024-05-06 23:59:59.700"));
    QCOMPARE(m_scheduler->dailyTimer().interval(), 300);
    QVERIFY(!m_scheduler->taskTimer().isActive());
    // The check on the new date arms the day's first task.
    m_clock->setNow(at("2024-05-07 00:00:00.002"));
    QCOMPARE(m_scheduler->dailyTimer().interval(), 86399998);
    QVERIFY(m_scheduler->taskTimer().isActive());
    QCOMPARE(m_scheduler->taskTimer().interval(), 8 * 3600 * 1000);
}

void TestBroadcastTiming::staleUpcomingGoBackToPendingAtStart_data()
{
    QTest::addColumn<bool>("held"); // another program holds the database while the scheduler starts
    QTest::newRow("database free") << false;
    QTest::newRow("database held") << true;
}

// Upcoming broadcasts that cannot start on their own any more (an immediate one, one-offs already past) go back to
// pending at the start, and are not sent. So too while another program holds the database for longer than the
// console waits for it: their "pending" was refused, they stayed upcoming, and the first check sent the immediate one
// and the one-off due earlier today to their panels again. They are pending meanwhile, and in the database once it
// takes writes.
void TestBroadcastTiming::staleUpcomingGoBackToPendingAtStart()
{
    QFETCH(bool, held);
    const VelkIFPDevice live = m_live.at(0);
    VelkBroadcast immediate = scheduled("2024-05-06", "07:00");
    immediate.isNow = true;
    const QList<quint32> stale = {store(immediate, {live}).bid, store(scheduled("2024-05-06", "08:00"), {live}).bid,
                                  store(scheduled("2024-05-06", "10:00"), {live}).bid};
    const QList<quint32> kept = {store(scheduled("2024-05-06", "10:01"), {live}).bid,
                                 store(scheduled("2024-04-01", "08:00", "Tue"), {live}).bid};
    const ShortDatabaseWaits waits(100);
    std::unique_ptr<DatabaseHold> hold;
    if (held) {
        hold.reset(new DatabaseHold(waits.db()->databaseFilePath(), DatabaseHold::Writer));
        QVERIFY2(hold->isHeld(), qPrintable(hold->error()));
    }
    startScheduler(at("2024-05-06 10:00:30.000"));
    auto lists = [this](QList<quint32> *pending, QList<quint32> *upcoming) {
        pending->clear();
        upcoming->clear();
        for (const VelkBroadcast &b : m_scheduler->pendingList())
            pending->append(b.bid);
        for (const BroadcastTask &t : m_scheduler->taskList())
            upcoming->append(t.broadcast.bid);
        std::sort(pending->begin(), pending->end());
        std::sort(upcoming->begin(), upcoming->end());
    };
    QList<quint32> pending, upcoming;
    lists(&pending, &upcoming);
    QCOMPARE(pending, stale);
    QCOMPARE(upcoming, kept);
    if (held) {
        QTest::qWait(200); // checks and tries while the hold lasts
        m_scheduler->refreshBroadcastTables();
        m_scheduler->checkBroadcastTask();
        lists(&pending, &upcoming);
        QCOMPARE(pending, stale);
        QCOMPARE(upcoming, kept);
        hold.reset();
        QTRY_COMPARE(waits.db()->heldWrites()->count(), 0);
    }
    QList<VelkBroadcast> stored;
    QCOMPARE(waits.db()->queryBroadcastByStatus(VelkBroadcast::Pending, stored), DB_OK);
    QList<quint32> storedPending;
    for (const VelkBroadcast &b : qAsConst(stored))
        storedPending.append(b.bid);
    std::sort(storedPending.begin(), storedPending.end());
    QCOMPARE(storedPending, stale);
    m_scheduler->refreshBroadcastTables();
    lists(&pending, &upcoming);
    QCOMPARE(pending, stale);
    QCOMPARE(upcoming, kept);
    QTest::qWait(100);
    QCOMPARE(m_fleet->panel(0)->receivedCount(VELK_REMOTE_CMD_START_BROADCAST), 0);
}

void TestBroadcastTiming::groupsExpandToCapableDevicesOnce()
{
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    VelkIFPDevice old = m_devices.at(3);
    old.displayClientVersion = "1.1.1017.9"; // a panel too old to take broadcasts
    QCOMPARE(db->updateIFPDevice(old), DB_OK);
    VelkGroups hall, lab, attic;
    hall.groupName = "Hall";
    lab.groupName = "Lab";
    attic.groupName = "Attic";
    for (VelkGroups *group : {&hall, &lab, &attic})
        QCOMPARE(db->createGroups(*group), DB_OK);
    // Joining writes the group's key back into the record.
    auto join = [db](VelkIFPDevice device, VelkGroups &group) { return db->joinGroups(device, group); };
    QCOMPARE(join(m_devices.at(0), hall), DB_OK);
    QCOMPARE(join(m_devices.at(1), hall), DB_OK);
    QCOMPARE(join(m_devices.at(3), hall), DB_OK);
    QCOMPARE(join(m_devices.at(1), lab), DB_OK);
    QCOMPARE(join(m_devices.at(2), lab), DB_OK);
    QCOMPARE(join(m_devices.at(3), attic), DB_OK);

    VelkBroadcast groups = scheduled("2024-05-06", "09:00");
    groups.status = VelkBroadcast::Upcoming;
    groups.isNow = true;
    groups.target = 3;
    groups.groups = {hall, lab};
    QCOMPARE(db->insertBroadcast(groups), DB_OK);
    VelkBroadcast onlyOld = groups;
    onlyOld.groups = {attic};
    QCOMPARE(db->insertBroadcast(onlyOld), DB_OK);

    startScheduler(at("2024-05-06 08:00:00.000"));
    // Both were immediate and so went back to pending at start; the page sends them again as upcoming.
    for (VelkBroadcast *b : {&groups, &onlyOld}) {
        b->status = VelkBroadcast::Upcoming;
        QCOMPARE(db->updateBroadcastStatus(*b), DB_OK);
    }
    m_scheduler->refreshBroadcastTables();
    m_scheduler->checkBroadcastTask();
    QTRY_COMPARE(m_scheduler->completedList().size(), 2);
    const auto report = reportOf(groups);
    QCOMPARE(report.keys(), QStringList({"Desk-001", "Desk-002", "Desk-003"}));
    QList<VelkBroadcastReport> rows;
    QCOMPARE(db->queryBroadcastReportByBroadcast(groups, rows), DB_OK);
    QCOMPARE(rows.size(), 3); // the device in both groups once
    QCOMPARE(reportOf(onlyOld).size(), 0);

    QCOMPARE(db->updateIFPDevice(m_devices[3]), DB_OK);
}

void TestBroadcastTiming::eachRepeatingRunKeepsItsOwnRecord()
{
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    const QString folder = m_config.audioFolder;
    writeRandomFile(folder + "chime.mp3", 4096);
    VelkBroadcast weekly = scheduled("2024-04-01", "10:00", "Mon");
    weekly.audioSelection = 4;
    weekly.savedAudioFilename = "chime.mp3";
    weekly.displayedAudioFilename = "School chime.mp3";
    weekly = store(weekly, m_devices.mid(0, 2));
    startScheduler(at("2024-05-06 09:59:59.500"));

    m_clock->setNow(at("2024-05-06 10:00:00.200"));
    QTRY_COMPARE(m_scheduler->completedList().size(), 1);
    QCOMPARE(m_scheduler->taskList().first().startDateTime, at("2024-05-13 10:00:00.000"));
    m_clock->setNow(at("2024-05-13 10:00:00.300"));
    QTRY_COMPARE(m_scheduler->completedList().size(), 2);

    // Two completed copies: each with its own sound file, its run's date and its run's report rows.
    const VelkBroadcast first = m_scheduler->completedList().at(0);
    const VelkBroadcast second = m_scheduler->completedList().at(1);
    QCOMPARE(first.startDate, QString("2024-05-06"));
    QCOMPARE(second.startDate, QString("2024-05-13"));
    QCOMPARE(first.savedAudioFilename, QString("chime_1.mp3"));
    QCOMPARE(second.savedAudioFilename, QString("chime_2.mp3"));
    QCOMPARE(second.displayedAudioFilename, QString("School chime.mp3"));
    QVERIFY(QFile::exists(folder + "chime_1.mp3") && QFile::exists(folder + "chime_2.mp3"));
    for (const VelkBroadcast &copy : {first, second}) {
        QList<VelkBroadcastReport> rows;
        QCOMPARE(db->queryBroadcastReportByBroadcast(copy, rows), DB_OK);
        QCOMPARE(rows.size(), 2);
        for (const VelkBroadcastReport &row : rows)
            QCOMPARE(qMakePair(row.status, row.note), qMakePair(2, 1));
        QCOMPARE(copy.failedCount, 2);
    }
    QList<VelkBroadcastReport> left;
    QCOMPARE(db->queryBroadcastReportByBroadcast(weekly, left), DB_OK);
    QCOMPARE(left.size(), 0);
    QCOMPARE(m_scheduler->taskList().first().broadcast.savedAudioFilename, QString("chime.mp3"));

    // A run whose sound cannot be copied leaves no record, and no rows that would join the next run's.
    QVERIFY(QFile::remove(folder + "chime.mp3"));
    m_clock->setNow(at("2024-05-20 10:00:00.100"));
    QTRY_VERIFY(m_scheduler->taskList().first().startDateTime == at("2024-05-27 10:00:00.000"));
    QCOMPARE(m_scheduler->completedList().size(), 2);
    QCOMPARE(db->queryBroadcastReportByBroadcast(weekly, left), DB_OK);
    QCOMPARE(left.size(), 0);
}

void TestBroadcastTiming::refreshInTheStartSecondKeepsTheRun()
{
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    SimulatedPanel *first = m_fleet->panel(0);
    SimulatedPanel *second = m_fleet->panel(1);
    SimulatedPanel *busy = m_fleet->panel(2);
    const VelkBroadcast weekly = store(scheduled("2024-04-01", "10:00", "Mon"), m_live.mid(0, 2), "Weekly assembly");
    const VelkBroadcast nobody =
        store(scheduled("2024-04-01", "10:00", "Mon"), {}, "Nobody listens"); // no target left: completed at once
    VelkBroadcast edited = store(scheduled("2024-04-01", "10:00", "Mon"), m_live.mid(3, 1));
    startScheduler(at("2024-05-06 09:59:00.000"));
    QCOMPARE(m_scheduler->taskTimer().interval(), 60 * 1000);

    // Another broadcast is running: its panel holds its answer until the weekly start has begun.
    busy->setAnswerHeld(VELK_REMOTE_RSP_BROADCAST_DATA_COMPLETE, true);
    VelkBroadcast now = scheduled("2024-05-06", "09:59");
    now.isNow = true;
    now = store(now, m_live.mid(2, 1));
    m_scheduler->refreshBroadcastTables();
    m_scheduler->checkBroadcastTask();
    QTRY_COMPARE(busy->heldAnswerCount(), 1);

    // The start second has begun and the task timer has not fired yet. The lists are rebuilt (Duplicate, a click on
    // the Broadcast entry), and the third broadcast is saved with a new time: the due runs keep their start, the
    // edited one takes its new time.
    runOnQuietly(at("2024-05-06 10:00:00.300"));
    QCOMPARE(m_scheduler->duplicateBroadcast(weekly, nullptr), BroadcastScheduler::Change::Made);
    m_scheduler->refreshBroadcastTables();
    edited.time = "10:05";
    QCOMPARE(db->updateBroadcast(edited), DB_OK);
    m_scheduler->refreshBroadcastTables();
    QCOMPARE(taskOf(weekly.bid)->startDateTime, at("2024-05-06 10:00:00.000"));
    QCOMPARE(taskOf(nobody.bid)->startDateTime, at("2024-05-06 10:00:00.000"));
    QCOMPARE(taskOf(edited.bid)->startDateTime, at("2024-05-06 10:05:00.000"));
    QCOMPARE(first->receivedCount(VELK_REMOTE_CMD_BROADCAST_DATA), 0);

    // The other run ends (a rebuild and a check): the weekly one is sent now, once, and recorded once.
    busy->setAnswerHeld(VELK_REMOTE_RSP_BROADCAST_DATA_COMPLETE, false);
    busy->releaseHeldAnswers();
    QTRY_COMPARE_WITH_TIMEOUT(completedRuns(weekly), 1, 30000);
    QCOMPARE(first->receivedCount(VELK_REMOTE_CMD_BROADCAST_DATA), 1);
    QCOMPARE(second->receivedCount(VELK_REMOTE_CMD_BROADCAST_DATA), 1);
    QCOMPARE(completedRuns(nobody), 1);
    QCOMPARE(taskOf(weekly.bid)->startDateTime, at("2024-05-13 10:00:00.000"));
    QCOMPARE(taskOf(nobody.bid)->startDateTime, at("2024-05-13 10:00:00.000"));

    // Still in the same second: more rebuilds and checks hand nothing over again.
    for (int i = 0; i < 3; ++i) {
        m_scheduler->refreshBroadcastTables();
        m_scheduler->checkBroadcastTask();
    }
    QCOMPARE(m_manager->taskCount(), 0);
    QCOMPARE(completedRuns(weekly), 1);
    QCOMPARE(completedRuns(nobody), 1);
    QCOMPARE(m_fleet->panel(3)->receivedCount(VELK_REMOTE_CMD_BROADCAST_DATA), 0);
    QCOMPARE(m_scheduler->taskTimer().interval(), 5 * 60 * 1000);
}

void TestBroadcastTiming::interruptedRunsLeaveNoRowsInTheNext()
{
    const QList<QPair<int, int>> kTwoDelivered = {{1, 0}, {1, 0}};
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    const VelkBroadcast weekly = store(scheduled("2024-04-01", "10:00", "Mon"), m_live.mid(0, 2), "Weekly assembly");
    const VelkBroadcast once = store(scheduled("2024-05-06", "10:00"), m_live.mid(2, 2), "Bus 12 is late");
    for (SimulatedPanel *panel : m_fleet->panels())
        panel->setAnswerHeld(VELK_REMOTE_RSP_BROADCAST_DATA_COMPLETE, true);
    startScheduler(at("2024-05-06 09:59:59.500"));
    m_clock->setNow(at("2024-05-06 10:00:00.200"));
    for (SimulatedPanel *panel : m_fleet->panels())
        QTRY_COMPARE(panel->heldAnswerCount(), 1);

    // The console quits in the middle of both runs, and starts again a week later.
    m_scheduler.reset();
    m_manager.reset();
    for (SimulatedPanel *panel : m_fleet->panels()) {
        panel->setAnswerHeld(VELK_REMOTE_RSP_BROADCAST_DATA_COMPLETE, false);
        panel->releaseHeldAnswers();
    }
    QCOMPARE(reportOf(weekly).size(), 2);
    m_manager.reset(new BroadcastManager(CmdServer::getInstance(), OrvantaDBManager::getInstance()));
    m_log->clear();
    startScheduler(at("2024-05-13 09:59:59.500"));

    // The weekly run's report lists its own run's panels, once each, with their results.
    m_clock->setNow(at("2024-05-13 10:00:00.200"));
    QTRY_COMPARE_WITH_TIMEOUT(completedRuns(weekly), 1, 30000);
    QCOMPARE(lastRunReport(weekly), kTwoDelivered);
    QVERIFY(m_log->contains("interrupted run"));

    // The one-off went back to pending at start-up; sent again, it has one row per panel.
    QCOMPARE(m_scheduler->pendingList().size(), 1);
    VelkBroadcast again = m_scheduler->pendingList().first();
    QCOMPARE(again.bid, once.bid);
    again.status = VelkBroadcast::Upcoming;
    again.isNow = true;
    again.startDate = "2024-05-13";
    again.time = "10:00";
    QCOMPARE(db->updateBroadcast(again), DB_OK);
    m_scheduler->refreshBroadcastTables();
    m_scheduler->checkBroadcastTask();
    QTRY_COMPARE_WITH_TIMEOUT(completedRuns(once), 1, 30000);
    QCOMPARE(lastRunReport(once), kTwoDelivered);
}

void TestBroadcastTiming::missedWeeklyStartCostsNoLaterRun_data()
{
    QTest::addColumn<QString>("check");
    QTest::newRow("midnight") << "midnight";
    QTest::newRow("task timer") << "task timer";
    QTest::newRow("clock jump") << "clock jump";
}

// Nothing runs while the PC sleeps: each wake-up is followed by one check, of the kind the row names.
void TestBroadcastTiming::missedWeeklyStartCostsNoLaterRun()
{
    QFETCH(QString, check);
    SimulatedPanel *panel = m_fleet->panel(0);
    const VelkBroadcast weekly = store(scheduled("2024-04-01", "10:00", "Mon"), m_live.mid(0, 1), "Weekly assembly");
    startScheduler(at("2024-05-06 09:00:00.000"));
    QCOMPARE(taskOf(weekly.bid)->startDateTime, at("2024-05-06 10:00:00.000"));
    const auto wakeUpAt = [&](const QDateTime &now) {
        runOnQuietly(now);
        if (check == "midnight")
            m_scheduler->regularlyCheckBroadcastTask();
        else if (check == "task timer")
            m_scheduler->checkBroadcastTask();
        else
            m_clock->setNow(now);
    };

    // Asleep from before Monday's start until Tuesday: that run is not sent late, and the next is planned.
    m_log->clear();
    wakeUpAt(at("2024-05-07 00:00:00.300"));
    QCOMPARE(taskOf(weekly.bid)->startDateTime, at("2024-05-13 10:00:00.000"));
    QVERIFY(m_log->contains("checkBroadcastTask, start missed: 2024-05-06 10:00"));
    QCOMPARE(m_manager->taskCount(), 0);
    QCOMPARE(completedRuns(weekly), 0);

    // The next Monday's run and the one after are sent at their time.
    m_clock->setNow(at("2024-05-13 10:00:00.200"));
    QTRY_COMPARE_WITH_TIMEOUT(completedRuns(weekly), 1, 30000);
    QCOMPARE(taskOf(weekly.bid)->startDateTime, at("2024-05-20 10:00:00.000"));
    m_clock->setNow(at("2024-05-20 10:00:00.200"));
    QTRY_COMPARE_WITH_TIMEOUT(completedRuns(weekly), 2, 30000);
    QCOMPARE(panel->receivedCount(VELK_REMOTE_CMD_BROADCAST_DATA), 2);

    // Asleep over a start and awake again the same day: the run is sent at that check.
    m_log->clear();
    wakeUpAt(at("2024-05-27 15:00:00.000"));
    QTRY_COMPARE_WITH_TIMEOUT(completedRuns(weekly), 3, 30000);
    QCOMPARE(panel->receivedCount(VELK_REMOTE_CMD_BROADCAST_DATA), 3);
    QVERIFY(!m_log->contains("start missed"));
    QCOMPARE(taskOf(weekly.bid)->startDateTime, at("2024-06-03 10:00:00.000"));
}

// Berlin springs forward on 2027-03-28 (02:00 becomes 03:00) and falls back on 2027-10-31 (03:00 becomes 02:00).
void TestBroadcastTiming::daylightSavingDays()
{
    const LocalZone berlin("Europe/Berlin");
    QCOMPARE(at("2027-07-01 12:00:00.000").offsetFromUtc(), 7200);
    const qint64 hour = 3600 * 1000;
    SimulatedPanel *panel = m_fleet->panel(0);

    // A one-off at 08:00 on the short day is armed at midnight for the real seven hours left, not eight.
    const VelkBroadcast morning = store(scheduled("2027-03-28", "08:00"), m_live.mid(1, 1), "Clocks went forward");
    startScheduler(at("2027-03-27 23:59:59.000"));
    m_clock->setNow(at("2027-03-28 00:00:00.000"));
    QCOMPARE(m_scheduler->taskTimer().interval(), 7 * hour);
    m_clock->setNow(at("2027-03-28 08:00:00.200"));
    QTRY_COMPARE(completedRuns(morning), 1);
    m_scheduler.reset();
    wipeBroadcasts();

    // Sunday and Monday at 02:30: on the short day 02:30 does not exist and the run comes at 03:00, two real hours
    // after midnight; Monday's run follows as usual.
    const VelkBroadcast early = store(scheduled("2027-03-01", "02:30", "Sun,Mon"), m_live.mid(0, 1), "Early shift");
    startScheduler(at("2027-03-27 12:00:00.000"));
    QCOMPARE(taskOf(early.bid)->startDateTime, at("2027-03-28 03:00:00.000"));
    m_clock->setNow(at("2027-03-28 00:00:00.000"));
    QCOMPARE(m_scheduler->taskTimer().interval(), 2 * hour);
    m_clock->setNow(at("2027-03-28 03:00:00.200"));
    QTRY_COMPARE(completedRuns(early), 1);
    QCOMPARE(taskOf(early.bid)->startDateTime, at("2027-03-29 02:30:00.000"));
    m_clock->setNow(at("2027-03-29 02:30:00.200"));
    QTRY_COMPARE(completedRuns(early), 2);
    QCOMPARE(panel->receivedCount(VELK_REMOTE_CMD_BROADCAST_DATA), 2);
    const QList<QPair<int, int>> delivered = {qMakePair(1, 0)};
    QCOMPARE(lastRunReport(early), delivered);
    m_scheduler.reset();
    wipeBroadcasts();

    // Sunday at 02:30 on the long day: once, at the first of the two 02:30s.
    const VelkBroadcast night = store(scheduled("2027-10-01", "02:30", "Sun"), m_live.mid(0, 1), "Night watch");
    startScheduler(at("2027-10-30 12:00:00.000"));
    const QDateTime first = taskOf(night.bid)->startDateTime;
    QCOMPARE(first.offsetFromUtc(), 7200);
    m_clock->setNow(at("2027-10-31 00:00:00.000"));
    QCOMPARE(m_scheduler->taskTimer().interval(), 2 * hour + hour / 2);
    m_clock->setNow(first.addMSecs(200));
    QTRY_COMPARE(completedRuns(night), 1);
    m_clock->setNow(first.addMSecs(hour + 200)); // the second 02:30
    m_scheduler->refreshBroadcastTables();
    m_scheduler->checkBroadcastTask();
    QCOMPARE(m_manager->taskCount(), 0);
    QCOMPARE(taskOf(night.bid)->startDateTime, at("2027-11-07 02:30:00.000"));
    QCOMPARE(completedRuns(night), 1);
    QCOMPARE(panel->receivedCount(VELK_REMOTE_CMD_BROADCAST_DATA), 3);
}

void TestBroadcastTiming::weeklyStartOverASleep_data()
{
    QTest::addColumn<QDateTime>("wake");
    QTest::addColumn<bool>("sent");
    QTest::newRow("awake again before the start") << at("2024-05-08 09:59:58.000") << true;
    QTest::newRow("awake again the same day") << at("2024-05-08 15:00:00.000") << true;
    QTest::newRow("awake again the next day") << at("2024-05-09 08:00:00.000") << false;
}

// The PC sleeps from Wednesday 09:00 over a Monday and Wednesday 10:00 broadcast and wakes at `wake`, with the timer
// armed for 10:00 still an hour off. A start passed the same day is sent at once, one on an earlier day moves on.
void TestBroadcastTiming::weeklyStartOverASleep()
{
    QFETCH(QDateTime, wake);
    QFETCH(bool, sent);
    SimulatedPanel *panel = m_fleet->panel(0);
    const VelkBroadcast weekly = store(scheduled("2024-04-01", "10:00", "Mon,Wed"), m_live.mid(0, 1), "Fire drill");
    MovableTime time(at("2024-05-08 09:00:00.000"));
    startSchedulerOn(time);
    QCOMPARE(taskOf(weekly.bid)->startDateTime, at("2024-05-08 10:00:00.000"));
    m_log->clear();

    time.setWall(wake);
    if (sent) {
        QTRY_COMPARE_WITH_TIMEOUT(completedRuns(weekly), 1, 30000);
        QVERIFY(time.now() >= at("2024-05-08 10:00:00.000"));
        QCOMPARE(m_scheduler->completedList().last().startDate, QStringLiteral("2024-05-08"));
        QCOMPARE(lastRunReport(weekly), (QList<QPair<int, int>>{qMakePair(1, 0)}));
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(m_log->contains("checkBroadcastTask, start missed: 2024-05-08 10:00"), 30000);
        QCOMPARE(m_manager->taskCount(), 0);
        QCOMPARE(completedRuns(weekly), 0);
    }
    QTRY_COMPARE_WITH_TIMEOUT(taskOf(weekly.bid)->startDateTime, at("2024-05-13 10:00:00.000"), 30000);
    QCOMPARE(panel->receivedCount(VELK_REMOTE_CMD_BROADCAST_DATA), sent ? 1 : 0);
}

// Started on Monday 09:58 beside a Monday and Wednesday 10:00 broadcast, asleep from just after to Tuesday 17:59 and
// from then to Wednesday 09:59:58: Monday's run was missed, Wednesday's goes out at 10:00.
void TestBroadcastTiming::weeklyStartOverTwoNightsAsleep()
{
    SimulatedPanel *panel = m_fleet->panel(0);
    const VelkBroadcast weekly = store(scheduled("2024-04-01", "10:00", "Mon,Wed"), m_live.mid(0, 1), "Staff meeting");
    MovableTime time(at("2024-05-06 09:58:00.000"));
    startSchedulerOn(time);
    QCOMPARE(taskOf(weekly.bid)->startDateTime, at("2024-05-06 10:00:00.000"));

    time.setWall(at("2024-05-07 17:59:00.000"));
    QTRY_COMPARE_WITH_TIMEOUT(taskOf(weekly.bid)->startDateTime, at("2024-05-08 10:00:00.000"), 30000);
    QVERIFY(m_log->contains("checkBroadcastTask, start missed: 2024-05-06 10:00"));
    QCOMPARE(completedRuns(weekly), 0);

    time.setWall(at("2024-05-08 09:59:58.000"));
    QTRY_COMPARE_WITH_TIMEOUT(completedRuns(weekly), 1, 30000);
    QVERIFY(time.now() >= at("2024-05-08 10:00:00.000"));
    QCOMPARE(m_scheduler->completedList().last().startDate, QStringLiteral("2024-05-08"));
    QTRY_COMPARE_WITH_TIMEOUT(taskOf(weekly.bid)->startDateTime, at("2024-05-13 10:00:00.000"), 30000);
    QCOMPARE(panel->receivedCount(VELK_REMOTE_CMD_BROADCAST_DATA), 1);
}

void TestBroadcastTiming::startsOverADaysLongSleep_data()
{
    QTest::addColumn<QString>("startDate");
    QTest::addColumn<QString>("weekdays");
    QTest::addColumn<QDateTime>("asleep");
    QTest::addColumn<QDateTime>("wake");
    QTest::addColumn<bool>("rebuiltFirst");  // the lists are rebuilt (a click, another run's end) before the check
    QTest::addColumn<QStringList>("missed"); // the starts logged as missed, in order
    QTest::addColumn<QString>("sentDated");  // the date of the run sent at the wake-up; empty: none sent
    QTest::addColumn<QDateTime>("next");     // the task's start after that; invalid: no longer upcoming
    const QDateTime monday = at("2024-05-06 09:00:00.000");
    const QDateTime wednesday = at("2024-05-08 10:05:00.000");
    const QDateTime nextMonday = at("2024-05-13 10:00:00.000");
    QTest::newRow("Mon+Wed, Monday 09:00 to Wednesday 10:05")
        << "2024-04-01"
        << "Mon,Wed" << monday << wednesday << false << QStringList{"2024-05-06 10:00"} << "2024-05-08" << nextMonday;
    QTest::newRow("the same, rebuilt before the check")
        << "2024-04-01"
        << "Mon,Wed" << monday << wednesday << true << QStringList{"2024-05-06 10:00"} << "2024-05-08" << nextMonday;
    QTest::newRow("Mon+Tue+Wed, Monday 09:00 to Wednesday 10:05")
        << "2024-04-01"
        << "Mon,Tue,Wed" << monday << wednesday << false << QStringList{"2024-05-06 10:00", "2024-05-07 10:00"}
        << "2024-05-08" << nextMonday;
    QTest::newRow("Mon+Tue+Wed, Monday 09:00 to Thursday 08:00")
        << "2024-04-01"
        << "Mon,Tue,Wed" << monday << at("2024-05-09 08:00:00.000") << false
        << QStringList{"2024-05-06 10:00", "2024-05-07 10:00", "2024-05-08 10:00"} << "" << nextMonday;
    QTest::newRow("Mon+Wed, Monday 09:00 to Wednesday 10:05 two weeks on")
        << "2024-04-01"
        << "Mon,Wed" << monday << at("2024-05-22 10:05:00.000") << false
        << QStringList{"2024-05-06 10:00", "2024-05-08 10:00", "2024-05-13 10:00", "2024-05-15 10:00",
                       "2024-05-20 10:00"}
        << "2024-05-22" << at("2024-05-27 10:00:00.000");
    QTest::newRow("Mon+Wed, Monday 09:00 to Wednesday 09:00: today's still ahead")
        << "2024-04-01"
        << "Mon,Wed" << monday << at("2024-05-08 09:00:00.000") << false << QStringList{"2024-05-06 10:00"} << ""
        << at("2024-05-08 10:00:00.000");
    QTest::newRow("Mon+Wed, Tuesday 18:00 to Wednesday 10:05")
        << "2024-04-01"
        << "Mon,Wed" << at("2024-05-07 18:00:00.000") << wednesday << false << QStringList() << "2024-05-08"
        << nextMonday;
    // A one-off is never sent on a later day; start-up puts it back in pending.
    QTest::newRow("once on Monday, Monday 09:00 to Wednesday 10:05")
        << "2024-05-06"
        << "" << monday << wednesday << false << QStringList() << "" << at("2024-05-06 10:00:00.000");
    QTest::newRow("once on Wednesday, Monday 09:00 to Wednesday 10:05")
        << "2024-05-08"
        << "" << monday << wednesday << false << QStringList() << "2024-05-08" << QDateTime();
}

// The PC sleeps from `asleep` to `wake` (the clock jumps) over a 10:00 broadcast. A start passed earlier on the day of
// the wake-up that has not run is sent at once, whatever was missed before; each start on an earlier day is lost and
// logged once.
void TestBroadcastTiming::startsOverADaysLongSleep()
{
    QFETCH(QString, startDate);
    QFETCH(QString, weekdays);
    QFETCH(QDateTime, asleep);
    QFETCH(QDateTime, wake);
    QFETCH(bool, rebuiltFirst);
    QFETCH(QStringList, missed);
    QFETCH(QString, sentDated);
    QFETCH(QDateTime, next);
    SimulatedPanel *panel = m_fleet->panel(0);
    const VelkBroadcast b = store(scheduled(startDate, "10:00", weekdays), m_live.mid(0, 1), "Fire drill");
    startScheduler(asleep);
    m_log->clear();

    if (rebuiltFirst) {
        runOnQuietly(wake);
        m_scheduler->refreshBroadcastTables();
        m_scheduler->checkBroadcastTask();
    } else {
        m_clock->setNow(wake);
    }
    if (sentDated.isEmpty()) {
        QCOMPARE(m_manager->taskCount(), 0);
        QCOMPARE(completedRuns(b), 0);
    } else {
        QTRY_COMPARE_WITH_TIMEOUT(completedRuns(b), 1, 30000);
        const VelkBroadcast &run = m_scheduler->completedList().last();
        QCOMPARE(run.startDate, sentDated);
        QCOMPARE(run.time, QStringLiteral("10:00"));
        QCOMPARE(lastRunReport(b), (QList<QPair<int, int>>{qMakePair(1, 0)}));
    }
    const BroadcastTask *task = taskOf(b.bid);
    QCOMPARE(task ? task->startDateTime : QDateTime(), next);
    if (next.isValid() && next.date() == wake.date())
        QCOMPARE(m_scheduler->taskTimer().interval(), int(BroadcastTiming::secondsUntilStart(next, wake) * 1000));

    verifyLaterChecksChangeNothing(b, missed, panel, sentDated.isEmpty() ? 0 : 1);
}

// A Monday and Wednesday broadcast is sent on Wednesday at 10:00. The clock is set back to Monday 09:00, where the
// lists are rebuilt (Monday's 10:00 ahead again), and then forward to Wednesday 10:30: Monday's start is logged as
// missed, and Wednesday's, already sent, is not sent again.
void TestBroadcastTiming::clockSetBackSendsNoStartTwice()
{
    SimulatedPanel *panel = m_fleet->panel(0);
    const VelkBroadcast weekly = store(scheduled("2024-04-01", "10:00", "Mon,Wed"), m_live.mid(0, 1), "Bell test");
    startScheduler(at("2024-05-08 09:59:59.500"));
    m_clock->setNow(at("2024-05-08 10:00:00.200"));
    QTRY_COMPARE_WITH_TIMEOUT(completedRuns(weekly), 1, 30000);

    m_clock->setNow(at("2024-05-06 09:00:00.000"));
    m_scheduler->refreshBroadcastTables();
    QCOMPARE(taskOf(weekly.bid)->startDateTime, at("2024-05-06 10:00:00.000"));
    m_log->clear();
    m_clock->setNow(at("2024-05-08 10:30:00.000"));
    QCOMPARE(taskOf(weekly.bid)->startDateTime, at("2024-05-13 10:00:00.000"));
    QCOMPARE(m_log->count("start missed: 2024-05-06 10:00"), 1);
    QCOMPARE(m_log->count("start missed"), 1);
    QCOMPARE(m_manager->taskCount(), 0);
    QCOMPARE(completedRuns(weekly), 1);
    QCOMPARE(panel->receivedCount(VELK_REMOTE_CMD_BROADCAST_DATA), 1);
}

void TestBroadcastTiming::runOverASleepKeepsTheStartsAfterIt_data()
{
    QTest::addColumn<QString>("weekdays");
    QTest::addColumn<QDateTime>("wake");
    QTest::addColumn<QStringList>("missed"); // the starts logged as missed, in order
    QTest::addColumn<QString>("sentDated");  // the date of the run sent when the first one ends; empty: none sent
    QTest::addColumn<QDateTime>("next");     // the task's start after that
    QTest::newRow("Mon+Wed, awake Wednesday 10:05")
        << "Mon,Wed" << at("2024-05-08 10:05:00.000") << QStringList() << "2024-05-08" << at("2024-05-13 10:00:00.000");
    QTest::newRow("every day, awake Wednesday 10:05")
        << "Mon,Tue,Wed,Thu,Fri,Sat,Sun" << at("2024-05-08 10:05:00.000") << QStringList{"2024-05-07 10:00"}
        << "2024-05-08" << at("2024-05-09 10:00:00.000");
    QTest::newRow("Mon+Wed, awake Wednesday 09:00")
        << "Mon,Wed" << at("2024-05-08 09:00:00.000") << QStringList() << "" << at("2024-05-08 10:00:00.000");
    QTest::newRow("Mon+Wed, awake Friday 08:00")
        << "Mon,Wed" << at("2024-05-10 08:00:00.000") << QStringList{"2024-05-08 10:00"} << ""
        << at("2024-05-13 10:00:00.000");
}

// A broadcast's Monday 10:00 run is under way (its panel has not answered the end of the data yet) when the PC sleeps;
// it wakes at `wake` and the panel answers then. The run's end looks at the starts after the one it ran: a start
// passed that day is sent at once, those of the days between are logged as missed, and the next is planned.
void TestBroadcastTiming::runOverASleepKeepsTheStartsAfterIt()
{
    QFETCH(QString, weekdays);
    QFETCH(QDateTime, wake);
    QFETCH(QStringList, missed);
    QFETCH(QString, sentDated);
    QFETCH(QDateTime, next);
    SimulatedPanel *panel = m_fleet->panel(0);
    const VelkBroadcast b = store(scheduled("2024-04-01", "10:00", weekdays), m_live.mid(0, 1), "Fire drill");
    panel->setAnswerHeld(VELK_REMOTE_RSP_BROADCAST_DATA_COMPLETE, true);
    MovableTime time(at("2024-05-06 09:59:59.500"));
    startSchedulerOn(time);
    QTRY_COMPARE_WITH_TIMEOUT(panel->heldAnswerCount(), 1, 30000);
    m_log->clear();

    time.setWall(wake);
    QCOMPARE(m_manager->taskCount(), 1);
    panel->setAnswerHeld(VELK_REMOTE_RSP_BROADCAST_DATA_COMPLETE, false);
    panel->releaseHeldAnswers();

    QTRY_COMPARE_WITH_TIMEOUT(completedRuns(b), sentDated.isEmpty() ? 1 : 2, 30000);
    QTRY_COMPARE_WITH_TIMEOUT(m_manager->taskCount(), 0, 30000);
    QStringList dates;
    for (const VelkBroadcast &done : m_scheduler->completedList())
        dates << done.startDate;
    QStringList expected{"2024-05-06"};
    if (!sentDated.isEmpty())
        expected << sentDated;
    QCOMPARE(dates, expected);
    QCOMPARE(lastRunReport(b), (QList<QPair<int, int>>{qMakePair(1, 0)}));
    QTRY_COMPARE_WITH_TIMEOUT(taskOf(b.bid)->startDateTime, next, 30000);

    verifyLaterChecksChangeNothing(b, missed, panel, sentDated.isEmpty() ? 1 : 2);
    QCOMPARE(taskOf(b.bid)->startDateTime, next);
}

QTEST_GUILESS_MAIN(TestBroadcastTiming)
#include "tst_broadcast_timing.moc"
