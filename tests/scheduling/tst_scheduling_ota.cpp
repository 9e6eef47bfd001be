#include "firmware/FirmwareTestSupport.h"
#include "firmware/OtaSeed.h"

#include "firmware/OtaReportModel.h"
#include "firmware/pages/OtaMessageDialog.h"
#include "firmware/pages/OtaScheduleReportDialog.h"
#include "firmware/pages/OtaScheduleSetting.h"
#include "scheduling/OtaScheduleRunner.h"
#include "scheduling/ScheduleSettingSelection.h"
#include "scheduling/Scheduling.h"
#include "scheduling/Scheduling_Setting.h"
#include "shell/kit/DeleteScheduleDialog.h"
#include "shell/kit/GeneralMsgDialog.h"
#include "support/DatabaseHold.h"
#include "support/HeldEventRow.h"
#include "support/HoldKinds.h"
#include "support/SavingProgram.h"
#include "support/ShortDatabaseWaits.h"
#include "support/StoredDevice.h"
#include "tools/panelsim/SimulatedFirmware.h"

#include <QMenu>

// What the update manager's badge and reminder bar show, followed from its signals while this lives.
struct ReminderShown
{
    explicit ReminderShown(IFPUpgradeManager *manager)
    {
        QObject::connect(manager, &IFPUpgradeManager::showUpgradeNotificationTopButton, &receiver,
                         [this](bool show) { badge = show; });
        QObject::connect(manager, &IFPUpgradeManager::showUpgradeNotification, &receiver,
                         [this](bool show, const QString &text) {
                             bar = show;
                             title = text;
                         });
        QObject::connect(manager, &IFPUpgradeManager::upgradeNotificationTitleChanged, &receiver,
                         [this](const QString &text) { title = text; });
    }
    bool badge = false;
    bool bar = false;
    QString title;
    QObject receiver;
};

// Firmware-update schedules on the Schedule Setup page, end to end: the real update manager fed by a loopback HTTP
// server, simulated audio boxes on the real command server, a real database and a moved clock.
class TestSchedulingOta : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    // These come first: they need a process in which no version check has succeeded yet.
    void noUpdateServerIsAFailedCheck();
    void failedChecksUntilTheGraceEnds();
    void changesWhileWaitingForTheCheck_data();
    void changesWhileWaitingForTheCheck();
    void farAheadStartsOnlyAtItsMinute();
    void runsToTheEnd_data();
    void runsToTheEnd();
    void busyManagerDelaysTheRun();
    void unreadableDatabaseStillRunsTheUpdate_data();
    void unreadableDatabaseStillRunsTheUpdate();
    void startInAHoldComesRightAfterIt_data();
    void startInAHoldComesRightAfterIt();
    void holderChangeStandsAfterTheHeldEnd_data();
    void holderChangeStandsAfterTheHeldEnd();
    void rescheduleSavedAfterAHeldRunStands();
    void restartClosesInterruptedAndMissedRuns_data();
    void restartClosesInterruptedAndMissedRuns();
    void deletingTheRunningScheduleCancelsOnce();
    void deletedRunGetsNoHeldRows_data();
    void deletedRunGetsNoHeldRows();
    void restartWhileALastStepIsAwaited_data();
    void restartWhileALastStepIsAwaited();
    void rollBackAfterTheRunEndsFailsIt_data();
    void rollBackAfterTheRunEndsFailsIt();
    void rollBackAfterARestartWithinTheWaitFailsIt();
    void boxKnownByItsAddressIsJudgedUnderItsMac_data();
    void boxKnownByItsAddressIsJudgedUnderItsMac();
    void reminderFollowsABoxBackAfterTheClosingCheck();

private:
    /// Two out-of-date boxes, switched on, and the page built after the update server answered.
    std::unique_ptr<Scheduling> pageWithBoxes(QList<VelkIFPDevice> *boxes);
    void serveUpdateConfig();
    /// A device of every model, none connected, while the update server answers nothing: every version check
    /// fails until its behaviours are cleared.
    QList<VelkIFPDevice> unknownVersionFleet();
    /// Panel 0 as an out-of-date box that restarts into what it installed, connected.
    VelkIFPDevice restartingBox()
    {
        m_bench.panel(0)->behaviour().rebootAfterOta = true;
        const VelkIFPDevice box = m_bench.addDevice(0, "QML8", "8.0.0000.04");
        if (!m_bench.connect({0}))
            qWarning("the box did not connect");
        return box;
    }
    /// The page built once its own server check ended, asking again every 100 ms.
    std::unique_ptr<Scheduling> pageAfterServerCheck();
    VelkOtaSchedule schedule(const QList<VelkIFPDevice> &devices, const QDateTime &start, int status = 1)
    {
        return OtaSeed::schedule(devices, {}, start.toString(QStringLiteral("yyyy-MM-dd hh:mm")), status);
    }
    static VelkOtaSchedule stored(quint32 osid);
    QString statusText(Scheduling &page, quint32 osid);
    QDateTime now() const { return m_bench.clock()->now(); }

    FirmwareTestBench m_bench;
};

void TestSchedulingOta::initTestCase()
{
    QVERIFY(m_bench.setUp(3));
    m_bench.serve("AudioBox/QML8_0005.bin", SimulatedFirmware::make(64 * 1024, "8.0.0000.05", QString(), 5));
    serveUpdateConfig();
}

void TestSchedulingOta::serveUpdateConfig()
{
    m_bench.serve("AudioBox/check4Update/update.cfg", "[QML8]\nVersion=\"8.0.0000.05\"\nPath=\"" +
                                                          m_bench.http()->url().toUtf8() +
                                                          "/AudioBox/QML8_0005.bin\"\n");
}

void TestSchedulingOta::cleanup()
{
    m_bench.reset();
    serveUpdateConfig();
    OtaSeed::wipe();
    m_bench.clock()->setNow(QDateTime(QDate(2031, 3, 3), QTime(9, 0)));
}

std::unique_ptr<Scheduling> TestSchedulingOta::pageWithBoxes(QList<VelkIFPDevice> *boxes)
{
    *boxes = {m_bench.addDevice(0, "QML8", "8.0.0000.04"), m_bench.addDevice(1, "QML8", "8.0.0000.04")};
    if (!m_bench.connect({0, 1}))
        qWarning("the boxes did not connect");
    m_bench.log()->clear();
    std::unique_ptr<Scheduling> page(new Scheduling(m_bench.clock()));
    page->otaRunner()->setRetryInterval(100);
    // The check the page makes while it is built asks the update server; later checks compare with its answer.
    if (!QTest::qWaitFor([&] { return m_bench.log()->contains(QStringLiteral("check of case 1 ended")); },
                         m_bench.checkCeilingMs()))
        qWarning("the server check did not end");
    return page;
}

VelkOtaSchedule TestSchedulingOta::stored(quint32 osid)
{
    for (const VelkOtaSchedule &schedule : OtaSeed::schedules()) {
        if (schedule.osid == osid)
            return schedule;
    }
    return VelkOtaSchedule();
}

QString TestSchedulingOta::statusText(Scheduling &page, quint32 osid)
{
    const QList<VelkOtaSchedule *> &shown = page.shownOtaSchedules();
    for (int row = 0; row < shown.size(); ++row) {
        if (shown.at(row)->osid == osid)
            return qobject_cast<QLabel *>(page.tableWidgetFwUpdate->cellWidget(row, 4))->toolTip();
    }
    return QString();
}

// Starts 30 and 60 days ahead: the timer never looks further than a minute, the clock walks up to the first start
// without anything happening, and at its minute exactly one check is asked, whose answer starts the run.
void TestSchedulingOta::farAheadStartsOnlyAtItsMinute()
{
    QList<VelkIFPDevice> boxes;
    auto page = pageWithBoxes(&boxes);
    const QDateTime first = now().addDays(30).addSecs(30 * 60);
    const VelkOtaSchedule in30Boxes = schedule(boxes, first);
    const VelkOtaSchedule in60 = schedule(boxes, now().addDays(60));
    page->otaRunner()->checkOtaTask();
    OtaScheduleRunner *runner = page->otaRunner();
    QSignalSpy asked(runner, &OtaScheduleRunner::versionCheckRequested);
    QSignalSpy started(runner, &OtaScheduleRunner::runStarted);
    QVERIFY(runner->isTimerActive());
    QVERIFY(runner->timerInterval() > 0 && runner->timerInterval() <= OtaScheduleRunner::MaxTimerMs);
    QCOMPARE(runner->current().osid, in30Boxes.osid);

    for (QDateTime at = now().addDays(1); at < first.addDays(-1); at = at.addDays(1))
        m_bench.clock()->setNow(at);
    m_bench.clock()->setNow(first.addSecs(-60));
    QTRY_VERIFY(m_bench.manager()->getOldDevicesCount() >= 0); // a daily check of the manager may be under way
    m_bench.clock()->setNow(first.addSecs(-1));
    QCOMPARE(asked.count(), 0);
    QCOMPARE(stored(in30Boxes.osid).status, 1);
    QVERIFY(runner->timerInterval() <= 1000);

    m_bench.clock()->setNow(first);
    QCOMPARE(asked.count(), 1);
    QTRY_COMPARE(started.count(), 1);
    QCOMPARE(started.at(0).at(0).toUInt(), in30Boxes.osid);
    QTRY_COMPARE_WITH_TIMEOUT(stored(in30Boxes.osid).status, 4, FirmwareTestBench::runCeilingMs());
    QCOMPARE(asked.count(), 1);
    QCOMPARE(stored(in60.osid).status, 1);
    QTRY_COMPARE(runner->current().osid, in60.osid); // armed for the next
}

void TestSchedulingOta::runsToTheEnd_data()
{
    QTest::addColumn<QString>("second"); // what the second box does with its update
    QTest::addColumn<bool>("held");      // another program holds the database over the whole run
    QTest::newRow("both boxes update") << "updates" << false;
    QTest::newRow("one box fails its installation") << "fails" << false;
    // It reports success, restarts and comes back at its old version while the other box still installs.
    QTest::newRow("one box back at its old version") << "rolls back" << false;
    // Back at its new version, it restarts once more and comes back at its old one (its new image failed its own
    // health check) while the other box still installs.
    QTest::newRow("one box back at its new version, then at its old one") << "rolls back later" << false;
    QTest::newRow("both boxes update, the database held") << "updates" << true;
    QTest::newRow("one box fails its installation, the database held") << "fails" << true;
}

// A schedule for two boxes due in a minute: both receive the file from the update server, and the schedule ends
// Successfully, or Failed with the count of the box that failed.
// So too while another program holds the database over the whole run for longer than the console waits for it (an
// SQLite browser with an unsaved change): its state could not be written, and the run did not start. The run starts
// and ends as without the hold; its states and rows are written in order once the database takes writes, and the
// schedule is not started again meanwhile.
void TestSchedulingOta::runsToTheEnd()
{
    QFETCH(QString, second);
    QFETCH(bool, held);
    const bool secondFails = second != "updates";
    QList<VelkIFPDevice> boxes;
    auto page = pageWithBoxes(&boxes);
    if (second == "fails") {
        m_bench.panel(1)->behaviour().otaResultScript = {{50, -1}};
    } else if (second == "rolls back") {
        m_bench.panel(0)->behaviour().otaResultScript = {{50, 50}, {1500, 0}};
        m_bench.panel(1)->behaviour().rebootAfterOta = true;
        m_bench.panel(1)->behaviour().afterOtaVersion = "8.0.0000.04";
    } else if (second == "rolls back later") {
        m_bench.panel(1)->behaviour().rebootAfterOta = true;
        m_bench.panel(1)->behaviour().rollBackAfterBootMs = 300;
    }
    QObject watch;
    if (second == "rolls back later") {
        // The first box's installation ends once the second restarts the second time.
        OtaTimeouts timeouts = FirmwareTestBench::shortTimeouts();
        timeouts.installResultMs = 600000;
        m_bench.manager()->setTimeouts(timeouts);
        m_bench.panel(0)->setAnswerHeld(VELK_REMOTE_RSP_OTA_RESULT, true);
        connect(m_bench.panel(1), &SimulatedPanel::rebooting, &watch, [this, reboots = 0]() mutable {
            if (++reboots != 2)
                return;
            m_bench.panel(0)->setAnswerHeld(VELK_REMOTE_RSP_OTA_RESULT, false);
            m_bench.panel(0)->releaseHeldAnswers(VELK_REMOTE_RSP_OTA_RESULT);
        });
    }
    const VelkOtaSchedule due = schedule(boxes, now().addSecs(60));
    page->initial();
    page->otaRunner()->checkOtaTask();
    page->comboBoxType->setCurrentIndex(1);
    QCOMPARE(statusText(*page, due.osid), QStringLiteral("Not Started"));
    QSignalSpy ended(page->otaRunner(), &OtaScheduleRunner::runEnded);
    std::unique_ptr<ShortDatabaseWaits> waits;
    std::unique_ptr<DatabaseHold> hold;
    if (held) {
        waits.reset(new ShortDatabaseWaits(50));
        hold.reset(new DatabaseHold(waits->db()->databaseFilePath(), DatabaseHold::Writer));
        QVERIFY2(hold->isHeld(), qPrintable(hold->error()));
    }

    m_bench.clock()->setNow(now().addSecs(60));
    if (held) {
        QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, FirmwareTestBench::runCeilingMs());
        QTest::qWait(300); // checks and tries while the hold lasts
        // Ended: not started again from the state the database still holds.
        QVERIFY(!page->otaRunner()->isBusy());
        QCOMPARE(stored(due.osid).status, 1);
        QList<VelkOtaScheduleReport> none;
        QVERIFY(OtaSeed::db()->queryOtaScheduleReportByOtaSchedule(stored(due.osid), none) == DB_OK);
        QCOMPARE(none.size(), 0);
        hold.reset();
        QTRY_COMPARE(waits->db()->heldWrites()->count(), 0);
    } else {
        QTRY_COMPARE(statusText(*page, due.osid), QStringLiteral("Updating..."));
        QVERIFY(!page->otaEnableComboBoxes().at(0)->isEnabled());
    }
    QTRY_COMPARE_WITH_TIMEOUT(stored(due.osid).status, secondFails ? 3 : 4, FirmwareTestBench::runCeilingMs());
    QTRY_COMPARE(ended.count(), 1);
    QCOMPARE(ended.at(0).at(1).toBool(), !secondFails);
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(m_bench.panel(i)->receivedFiles().size(), 1);
        QCOMPARE(m_bench.panel(i)->receivedFiles().at(0).name, QStringLiteral("QML8_0005.bin"));
    }
    QCOMPARE(stored(due.osid).failedCount, secondFails ? 1 : 0);
    QList<VelkOtaScheduleReport> rows;
    QVERIFY(OtaSeed::db()->queryOtaScheduleReportByOtaSchedule(stored(due.osid), rows) == DB_OK);
    QCOMPARE(rows.size(), 2);
    for (const VelkOtaScheduleReport &row : qAsConst(rows)) {
        // A box that failed names the version it runs: the old one.
        const bool failed = secondFails && row.device.macAddress == boxes[1].macAddress;
        QCOMPARE(row.status, failed ? 3 : 4);
        QCOMPARE(row.fwVersion, QString(failed ? "8.0.0000.04" : "8.0.0000.05"));
    }
    QTRY_COMPARE(statusText(*page, due.osid),
                 secondFails ? QStringLiteral("Failed (1)") : QStringLiteral("Successfully"));
}

void TestSchedulingOta::unreadableDatabaseStillRunsTheUpdate_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("holdMs");
    QTest::addColumn<bool>("overTheEnd"); // the hold begins as the run ends, instead of as its start asks for a check
    QTest::newRow("held exclusively for 1 s over the start") << int(DatabaseHold::Exclusive) << 1000 << false;
    QTest::newRow("held exclusively for 3 s over the start") << int(DatabaseHold::Exclusive) << 3000 << false;
    QTest::newRow("held exclusively for 6 s over the start") << int(DatabaseHold::Exclusive) << 6000 << false;
    QTest::newRow("write lock for 3 s over the start") << int(DatabaseHold::Writer) << 3000 << false;
    QTest::newRow("held exclusively for 3 s over the end") << int(DatabaseHold::Exclusive) << 3000 << true;
}

// A schedule for the two boxes of a group, while another program holds the database exclusively, reads too (a VACUUM,
// an SQLite browser saving a large change), for longer than the console waits for it. From the start's version check
// on, the check found no device and the group no member: the run ended Failed at once without touching a box. Over the
// end, its report rows could not be read and a run that updated both boxes ended Failed. The check takes the devices as
// read before, the start waits until the group can be read, and the end is judged by what the run wrote: both boxes
// are updated once and the schedule ends Successfully with their rows.
void TestSchedulingOta::unreadableDatabaseStillRunsTheUpdate()
{
    QFETCH(int, kind);
    QFETCH(int, holdMs);
    QFETCH(bool, overTheEnd);
    QList<VelkIFPDevice> boxes;
    auto page = pageWithBoxes(&boxes);
    for (const VelkIFPDevice &box : qAsConst(boxes))
        OtaSeed::join(box, QStringLiteral("Hall"));
    const VelkOtaSchedule due = OtaSeed::schedule({}, {QStringLiteral("Hall")},
                                                  now().addSecs(60).toString(QStringLiteral("yyyy-MM-dd hh:mm")), 1);
    page->initial();
    page->otaRunner()->checkOtaTask();
    QSignalSpy ended(page->otaRunner(), &OtaScheduleRunner::runEnded);
    const ShortDatabaseWaits waits(50);
    std::unique_ptr<DatabaseHold> hold;
    auto holdNow = [&] {
        hold.reset(new DatabaseHold(waits.db()->databaseFilePath(), DatabaseHold::Kind(kind), holdMs));
        QVERIFY2(hold->isHeld(), qPrintable(hold->error()));
    };
    QObject watch;
    if (overTheEnd) {
        // Between the run's last row and the runner's look at the rows, which comes from the event loop.
        connect(m_bench.manager(), &IFPUpgradeManager::otaScheduleFinished, &watch, holdNow);
    } else {
        // After the schedule was read as due, before the check reads the devices.
        connect(page->otaRunner(), &OtaScheduleRunner::versionCheckRequested, &watch, [&](int checkCase) {
            if (checkCase == IFPUpgradeManager::CASE_RUN_DUE && !hold)
                holdNow();
        });
    }

    m_bench.clock()->setNow(now().addSecs(60));
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, holdMs + FirmwareTestBench::runCeilingMs());
    QVERIFY(hold);
    QTRY_VERIFY_WITH_TIMEOUT(waits.db()->heldWrites()->isEmpty() && stored(due.osid).status != 2, holdMs + 60000);
    QCOMPARE(ended.at(0).at(1).toBool(), true);
    QCOMPARE(stored(due.osid).status, 4);
    QList<VelkOtaScheduleReport> rows;
    QVERIFY(OtaSeed::db()->queryOtaScheduleReportByOtaSchedule(stored(due.osid), rows) == DB_OK);
    QCOMPARE(rows.size(), 2);
    for (const VelkOtaScheduleReport &row : qAsConst(rows))
        QCOMPARE(row.status, 4);
    for (int i = 0; i < 2; ++i)
        QCOMPARE(m_bench.panel(i)->receivedFiles().size(), 1);
    QTRY_COMPARE(statusText(*page, due.osid), QStringLiteral("Successfully"));
}

void TestSchedulingOta::startInAHoldComesRightAfterIt_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("holdMs");     // 0: the test ends the hold once a write of the console is held
    QTest::addColumn<bool>("heldWrite"); // a write of the console is held meanwhile (the record of an SOS)
    QTest::newRow("held exclusively for 1 s") << int(DatabaseHold::Exclusive) << 1000 << false;
    QTest::newRow("held exclusively for 3 s") << int(DatabaseHold::Exclusive) << 3000 << false;
    QTest::newRow("held exclusively until a held write lands") << int(DatabaseHold::Exclusive) << 0 << true;
    QTest::newRow("write lock for 3 s") << int(DatabaseHold::Writer) << 3000 << false;
}

// A schedule falls due while another program holds the database exclusively, reads too (a VACUUM, an SQLite browser
// saving a large change). The runner could not read the schedules and looked again a minute later: the update began
// up to a minute late. It looks again within moments of the hold's end, and at once when writes held meanwhile land;
// the run starts once and ends Successfully.
void TestSchedulingOta::startInAHoldComesRightAfterIt()
{
    QFETCH(int, kind);
    QFETCH(int, holdMs);
    QFETCH(bool, heldWrite);
    QList<VelkIFPDevice> boxes;
    auto page = pageWithBoxes(&boxes);
    OtaScheduleRunner *runner = page->otaRunner();
    // Only the held write's landing can bring the look forward when the pauses are long.
    runner->setRereadIntervalMs(heldWrite ? 600000 : 50, heldWrite ? 600000 : 200);
    const VelkOtaSchedule due = schedule(boxes, now().addSecs(60));
    runner->checkOtaTask();
    QSignalSpy started(runner, &OtaScheduleRunner::runStarted);
    QSignalSpy ended(runner, &OtaScheduleRunner::runEnded);
    const ShortDatabaseWaits waits(50);
    std::unique_ptr<DatabaseHold> hold(
        new DatabaseHold(waits.db()->databaseFilePath(), DatabaseHold::Kind(kind), holdMs));
    QVERIFY2(hold->isHeld(), qPrintable(hold->error()));

    m_bench.clock()->setNow(now().addSecs(60));
    if (heldWrite) {
        QTest::qWait(300); // looks while the hold lasts
        QCOMPARE(started.count(), 0);
        holdEventRow(waits.db(), "test", QStringLiteral("event"), QStringLiteral("Hall"),
                     QStringLiteral("2031-03-03 09:01:00"));
        QTRY_VERIFY(waits.db()->heldWrites()->isRefused());
        hold.reset();
    }
    // A minute's wait would come after this ceiling.
    QTRY_COMPARE_WITH_TIMEOUT(started.count(), 1, holdMs + 30000);
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, FirmwareTestBench::runCeilingMs());
    QCOMPARE(ended.at(0).at(1).toBool(), true);
    QTRY_VERIFY(waits.db()->heldWrites()->isEmpty());
    QTRY_COMPARE(stored(due.osid).status, 4);
    QCOMPARE(started.count(), 1);
    for (int i = 0; i < 2; ++i)
        QCOMPARE(m_bench.panel(i)->receivedFiles().size(), 1);
}

void TestSchedulingOta::holderChangeStandsAfterTheHeldEnd_data()
{
    addHoldKindRows();
}

// Another program takes the database as a run ends, so the schedule's "Successfully" is held, and saves the schedule
// switched off before it lets go. The held state sets the status alone: the schedule ends Successfully and stays off,
// and the table says so.
void TestSchedulingOta::holderChangeStandsAfterTheHeldEnd()
{
    QFETCH(int, kind);
    const bool exclusive = kind == DatabaseHold::Exclusive;
    QList<VelkIFPDevice> boxes;
    auto page = pageWithBoxes(&boxes);
    const VelkOtaSchedule due = schedule(boxes, now().addSecs(60));
    page->initial();
    page->otaRunner()->checkOtaTask();
    page->comboBoxType->setCurrentIndex(1);
    QSignalSpy ended(page->otaRunner(), &OtaScheduleRunner::runEnded);
    const ShortDatabaseWaits waits(50);
    std::unique_ptr<SavingProgram> holder;
    QObject watch;
    connect(m_bench.manager(), &IFPUpgradeManager::otaScheduleFinished, &watch, [&] {
        if (!holder)
            holder.reset(new SavingProgram(waits.db()->databaseFilePath(), exclusive));
    });

    m_bench.clock()->setNow(now().addSecs(60));
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, FirmwareTestBench::runCeilingMs());
    QVERIFY(holder && holder->isHolding());
    QVERIFY(!waits.db()->heldWrites()->isEmpty());
    QVERIFY(holder->save(QStringLiteral("UPDATE OtaSchedule SET isEnable = 0 WHERE osid = %1").arg(due.osid)));
    QTRY_VERIFY(waits.db()->heldWrites()->isEmpty());
    QCOMPARE(stored(due.osid).status, 4);
    QVERIFY(!stored(due.osid).isEnable);
    QTRY_COMPARE(statusText(*page, due.osid), QStringLiteral("Successfully"));
    QCOMPARE(page->otaEnableComboBoxes().at(0)->currentIndex(), 1);
}

// A run starts and ends while another program holds the database, so its states are held, and the hold ends. Before
// the held writes are tried again, the operator moves the update to tomorrow in the editor and saves: the save's commit
// brought the held writes in at once, and the run's "Updating" and "Successfully" landed over the new date, so the
// update never ran again. The held states are the ended run's: they leave the rescheduled update as saved, and it runs
// tomorrow.
void TestSchedulingOta::rescheduleSavedAfterAHeldRunStands()
{
    QList<VelkIFPDevice> boxes;
    auto page = pageWithBoxes(&boxes);
    const QDateTime start = now().addSecs(60);
    const VelkOtaSchedule due = schedule(boxes, start);
    page->initial();
    page->otaRunner()->checkOtaTask();
    page->comboBoxType->setCurrentIndex(1);
    QSignalSpy started(page->otaRunner(), &OtaScheduleRunner::runStarted);
    QSignalSpy ended(page->otaRunner(), &OtaScheduleRunner::runEnded);
    // Held writes are tried again when another write gets through, not at a timer within this test.
    const ShortDatabaseWaits waits(50, 600000);
    std::unique_ptr<DatabaseHold> hold;
    QObject watch;
    connect(page->otaRunner(), &OtaScheduleRunner::versionCheckRequested, &watch, [&] {
        if (started.isEmpty() && !hold)
            hold.reset(new DatabaseHold(waits.db()->databaseFilePath(), DatabaseHold::Writer));
    });
    m_bench.clock()->setNow(start);
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, FirmwareTestBench::runCeilingMs());
    QVERIFY(hold && hold->isHeld());
    QVERIFY(!waits.db()->heldWrites()->isEmpty());
    hold.reset();
    QCOMPARE(stored(due.osid).status, int(UPDATE_NOT_STARTED));

    // Edit in the row's menu, the date of tomorrow, Save, and the notice's Save.
    QTRY_COMPARE(page->shownOtaSchedules().size(), 1);
    page->rowMenu(1, 0)->actions().at(0)->trigger();
    QTRY_VERIFY(page->settingDialog()->isVisible());
    OtaScheduleSetting *editor = page->settingDialog()->fwUpdatePage();
    QCOMPARE(editor->editingScheduleId(), due.osid);
    editor->calendarWidget->setSelectedDate(start.date().addDays(1));
    editor->btnAddSchedule->click();
    QTRY_VERIFY(editor->messageDialog()->isVisible());
    editor->messageDialog()->btnOk->click();
    QTRY_COMPARE(editor->editingScheduleId(), 0u);
    QTRY_VERIFY(waits.db()->heldWrites()->isEmpty());
    const VelkOtaSchedule moved = stored(due.osid);
    QCOMPARE(moved.status, int(UPDATE_NOT_STARTED));
    QCOMPARE(moved.date, start.date().addDays(1).toString(QStringLiteral("yyyy-MM-dd")));
    QTRY_COMPARE(statusText(*page, due.osid), QStringLiteral("Not Started"));
    QCOMPARE(page->otaRunner()->current().osid, due.osid);

    m_bench.clock()->setNow(start.addDays(1));
    QTRY_COMPARE(started.count(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 2, FirmwareTestBench::runCeilingMs());
    QTRY_COMPARE(stored(due.osid).status, int(UPDATE_SUCCESSFULLY));
}

QList<VelkIFPDevice> TestSchedulingOta::unknownVersionFleet()
{
    m_bench.http()->setBehaviour("/AudioBox/check4Update/update.cfg", LocalHttpServer::Behaviour::withStatus(404));
    const QList<QPair<QString, QString>> models = {
        {"Velk TM7-B", "2.5.2051.0"}, {"Velk TM B-Series", "2.5.1050.0"}, {"Velk ZN-640", "3.1.3002.0"},
        {"QML8", "8.0.0000.04"},      {"QML8_SOS", "8.0.0000.04"},        {"QMR8", "8.0.0000.04"},
        {"QMR8_SOS", "8.0.0000.04"},  {"QMR8V2", "8.0.0000.04"},          {"QMR8V2_SOS", "8.0.0000.04"}};
    QList<VelkIFPDevice> devices;
    for (const auto &model : models)
        devices << OtaSeed::device(QStringLiteral("Box %1").arg(devices.size()), model.first, model.second, {},
                                   QStringLiteral("02:51:4d:00:09:%1").arg(devices.size() + 10));
    return devices;
}

std::unique_ptr<Scheduling> TestSchedulingOta::pageAfterServerCheck()
{
    m_bench.log()->clear();
    std::unique_ptr<Scheduling> page(new Scheduling(m_bench.clock()));
    page->otaRunner()->setRetryInterval(100);
    if (!QTest::qWaitFor([&] { return m_bench.log()->contains(QStringLiteral("check of case 1 ended")); },
                         m_bench.checkCeilingMs()))
        qWarning("the server check did not end");
    return page;
}

// No version is known for any device family (the update server answers nothing, and this runs before any check of
// this process succeeded): every case-4 answer is a failure. The due schedule is asked again until 30 minutes after its
// start, then ends Failed with a log line, and the next one is armed.
void TestSchedulingOta::failedChecksUntilTheGraceEnds()
{
    const QList<VelkIFPDevice> devices = unknownVersionFleet();
    auto owned = pageAfterServerCheck();
    Scheduling &page = *owned;
    QCOMPARE(m_bench.manager()->getOldDevicesCount(), -1);
    QSignalSpy asked(page.otaRunner(), &OtaScheduleRunner::versionCheckRequested);
    const VelkOtaSchedule failing = schedule(devices.mid(3, 1), now().addSecs(120));
    const VelkOtaSchedule next = schedule(devices.mid(3, 1), now().addSecs(3 * 3600));
    page.otaRunner()->checkOtaTask();

    m_bench.clock()->setNow(now().addSecs(120));
    QTRY_VERIFY(asked.count() >= 3);
    QCOMPARE(stored(failing.osid).status, 1);
    m_bench.clock()->setNow(now().addSecs(29 * 60));
    QCOMPARE(stored(failing.osid).status, 1);
    m_bench.clock()->setNow(now().addSecs(61));
    QTRY_COMPARE(stored(failing.osid).status, 3);
    QVERIFY(m_bench.log()->contains(QStringLiteral("got no usable version check within 30 minutes")));
    QCOMPARE(page.otaRunner()->current().osid, next.osid);
    QVERIFY(page.otaRunner()->isTimerActive());
    QCOMPARE(stored(next.osid).status, 1);
}

// The manager is busy with a server check when a schedule falls due: the request it drops is asked again, and the run
// starts once the manager is free.
void TestSchedulingOta::busyManagerDelaysTheRun()
{
    QList<VelkIFPDevice> boxes;
    auto page = pageWithBoxes(&boxes);
    OtaScheduleRunner *runner = page->otaRunner();
    QSignalSpy asked(runner, &OtaScheduleRunner::versionCheckRequested);
    QSignalSpy started(runner, &OtaScheduleRunner::runStarted);
    const VelkOtaSchedule busy = schedule(boxes, now().addSecs(60));
    runner->checkOtaTask();
    OtaTimeouts timeouts = FirmwareTestBench::shortTimeouts();
    timeouts.serverCheckMs = 1500;
    m_bench.manager()->setTimeouts(timeouts);
    m_bench.http()->setBehaviour("/AudioBox/check4Update/update.cfg", LocalHttpServer::Behaviour::stall(5));
    QVERIFY(m_bench.manager()->checkCurrentOtaVersionInfo(IFPUpgradeManager::CASE_SERVER));
    m_bench.clock()->setNow(now().addSecs(60));
    QTRY_VERIFY(asked.count() >= 2); // dropped while the server check stalls, asked again
    QCOMPARE(started.count(), 0);
    QTRY_COMPARE(started.count(), 1); // the server check gave up: the manager is free
    QTRY_COMPARE_WITH_TIMEOUT(stored(busy.osid).status, 4, FirmwareTestBench::runCeilingMs());
}

void TestSchedulingOta::restartClosesInterruptedAndMissedRuns_data()
{
    QTest::addColumn<int>("hold"); // how another program holds the database while the page starts; -1: not at all
    QTest::newRow("database free") << -1;
    QTest::newRow("database held") << int(DatabaseHold::Writer);
    QTest::newRow("database held exclusively") << int(DatabaseHold::Exclusive);
}

// What a restart finds: a schedule left "Updating" ends Failed with its unfinished rows; a start missed by 20
// minutes is started now, one missed by two hours is marked Failed. So too when another program holds the database
// for longer than the console waits for it while the page starts: those writes were refused and lost, and the
// schedules stayed "Updating" and "Not Started". They are written once the database takes writes. Held exclusively,
// reads too, the schedule left "Updating" could not even be read and stayed so, locked, for the whole session; it is
// closed once it can be read.
void TestSchedulingOta::restartClosesInterruptedAndMissedRuns()
{
    QFETCH(int, hold);
    const bool held = hold >= 0;
    QList<VelkIFPDevice> boxes = {m_bench.addDevice(0, "QML8", "8.0.0000.04"),
                                  m_bench.addDevice(1, "QML8", "8.0.0000.04"),
                                  m_bench.addDevice(2, "QML8", "8.0.0000.04")};
    QVERIFY(m_bench.connect({0, 1}));
    VelkOtaSchedule interrupted = schedule(boxes, now().addSecs(-3600), 2);
    QVERIFY(OtaSeed::db()->insertOtaScheduleReport(interrupted, boxes) == DB_OK);
    OtaSeed::db()->updateOtaScheduleReport(boxes[1], interrupted, UPDATE_UPDATING);
    OtaSeed::db()->updateOtaScheduleReport(boxes[2], interrupted, UPDATE_SUCCESSFULLY);
    const VelkOtaSchedule longMissed = schedule(boxes.mid(0, 2), now().addSecs(-2 * 3600));
    const VelkOtaSchedule justMissed = schedule(boxes.mid(0, 2), now().addSecs(-20 * 60));

    m_bench.log()->clear();
    std::unique_ptr<ShortDatabaseWaits> waits;
    std::unique_ptr<DatabaseHold> holder;
    if (held) {
        waits.reset(new ShortDatabaseWaits(50));
        holder.reset(new DatabaseHold(waits->db()->databaseFilePath(), DatabaseHold::Kind(hold)));
        QVERIFY2(holder->isHeld(), qPrintable(holder->error()));
    }
    Scheduling page(m_bench.clock());
    if (held) {
        QTest::qWait(200);                     // tries while the hold lasts
        if (hold != DatabaseHold::Exclusive) { // else not to be read
            QCOMPARE(stored(interrupted.osid).status, 2);
            QCOMPARE(stored(longMissed.osid).status, 1);
        }
        holder.reset();
        QTRY_COMPARE(stored(interrupted.osid).status, 3);
        QTRY_COMPARE(waits->db()->heldWrites()->count(), 0);
    }
    QCOMPARE(stored(interrupted.osid).status, 3);
    QList<VelkOtaScheduleReport> rows;
    QVERIFY(OtaSeed::db()->queryOtaScheduleReportByOtaSchedule(stored(interrupted.osid), rows) == DB_OK);
    QCOMPARE(rows.size(), 3);
    for (const VelkOtaScheduleReport &row : qAsConst(rows))
        QCOMPARE(row.status, row.device.deviceName == boxes[2].deviceName ? 4 : 3);
    QVERIFY(m_bench.log()->contains(QStringLiteral("was still updating when the console ended")));
    QCOMPARE(stored(longMissed.osid).status, 3);
    QVERIFY(m_bench.log()->contains(QStringLiteral("missed its start by more than 30 minutes")));
    // The late one runs once the page's own server check is over.
    QTRY_COMPARE_WITH_TIMEOUT(stored(justMissed.osid).status, 4,
                              m_bench.checkCeilingMs() + FirmwareTestBench::runCeilingMs());
}

// Deleting the schedule whose run goes on cancels that run once and arms the next schedule; a "finished" that still
// arrives afterwards changes nothing.
void TestSchedulingOta::deletingTheRunningScheduleCancelsOnce()
{
    QList<VelkIFPDevice> boxes;
    auto page = pageWithBoxes(&boxes);
    for (int i = 0; i < 2; ++i)
        m_bench.panel(i)->behaviour().otaResultScript = {{300, 50}, {300, 50}, {300, 50}, {300, 50}, {300, 0}};
    const VelkOtaSchedule running = schedule(boxes, now().addSecs(60));
    const VelkOtaSchedule next = schedule(boxes, now().addSecs(7200));
    page->otaRunner()->checkOtaTask();
    QSignalSpy started(page->otaRunner(), &OtaScheduleRunner::runStarted);
    m_bench.clock()->setNow(now().addSecs(60));
    QTRY_COMPARE(started.count(), 1);
    QTRY_VERIFY(m_bench.manager()->isOtaRunning());

    page->comboBoxType->setCurrentIndex(1);
    int row = -1;
    for (int r = 0; r < page->shownOtaSchedules().size(); ++r) {
        if (page->shownOtaSchedules().at(r)->osid == running.osid)
            row = r;
    }
    page->rowMenu(1, row)->actions().at(1)->trigger();
    QVERIFY(page->deleteDialog()->isVisible());
    m_bench.log()->clear();
    page->deleteDialog()->btnOk->click();
    QVERIFY(!m_bench.manager()->isOtaRunning());
    QVERIFY(m_bench.log()->contains(QStringLiteral("cancelling the run of schedule")));
    QCOMPARE(stored(running.osid).osid, 0u);
    QCOMPARE(page->otaRunner()->current().osid, next.osid);
    QVERIFY(page->otaRunner()->isTimerActive());

    emit m_bench.manager()->otaScheduleFinished();
    QTest::qWait(200);
    QCOMPARE(stored(next.osid).status, 1);
    QCOMPARE(page->otaRunner()->current().osid, next.osid);
    QVERIFY(!page->otaRunner()->isRunning());
}

void TestSchedulingOta::deletedRunGetsNoHeldRows_data()
{
    addHoldKindRows();
}

// A run starts while another program holds the database, so its state and report rows are held; right after the hold
// the operator deletes the schedule, which cancels the run (the held writes land at that commit). The rows landed
// under the gone schedule and its state was logged lost. Nothing lands and nothing is reported lost.
void TestSchedulingOta::deletedRunGetsNoHeldRows()
{
    QFETCH(int, kind);
    QList<VelkIFPDevice> boxes;
    auto page = pageWithBoxes(&boxes);
    for (int i = 0; i < 2; ++i)
        m_bench.panel(i)->behaviour().otaResultScript = {{300, 50}, {300, 50}, {300, 50}, {300, 50}, {300, 0}};
    const VelkOtaSchedule running = schedule(boxes, now().addSecs(60));
    page->initial();
    page->otaRunner()->checkOtaTask();
    page->comboBoxType->setCurrentIndex(1);
    QSignalSpy started(page->otaRunner(), &OtaScheduleRunner::runStarted);
    const ShortDatabaseWaits waits(50);
    // From the start's version check on: the schedule was read as due before.
    std::unique_ptr<DatabaseHold> hold;
    QObject watch;
    connect(page->otaRunner(), &OtaScheduleRunner::versionCheckRequested, &watch, [&] {
        if (!hold)
            hold.reset(new DatabaseHold(waits.db()->databaseFilePath(), DatabaseHold::Kind(kind)));
    });
    m_bench.clock()->setNow(now().addSecs(60));
    QTRY_COMPARE(started.count(), 1);
    QVERIFY(hold && hold->isHeld());
    QVERIFY(!waits.db()->heldWrites()->isEmpty());
    hold.reset();
    QCOMPARE(page->shownOtaSchedules().size(), 1);
    page->rowMenu(1, 0)->actions().at(1)->trigger();
    m_bench.log()->clear();
    page->deleteDialog()->btnOk->click();
    QVERIFY(!page->messageDialog()->isVisible());
    QCOMPARE(stored(running.osid).osid, 0u);
    QVERIFY(!m_bench.manager()->isOtaRunning());
    QTRY_VERIFY(waits.db()->heldWrites()->isEmpty());
    QCOMPARE(storedRowCount(QStringLiteral("OtaScheduleReport")), 0);
    const QStringList landed = m_bench.log()->linesWith(QStringLiteral("takes writes again"));
    QVERIFY(!landed.isEmpty());
    QVERIFY2(landed.last().endsWith(QStringLiteral(" 0 lost")), qPrintable(landed.last()));
}

void TestSchedulingOta::restartWhileALastStepIsAwaited_data()
{
    QTest::addColumn<bool>("again"); // back at the version it installed, it restarts once more
    QTest::newRow("restarting after its update") << false;
    // The other box still installs: the run goes on, and the box is waited for again.
    QTest::newRow("restarting again after it came back") << true;
}

// The box reports the success of its update and restarts, and the run waits for it to come back (up to ten
// minutes, "Updating..." all along). Until it is back at the version it installed, nothing shows that it kept it:
// the report shows it under way, and a console restart during the wait closes its row Failed with the schedule.
// So too when it came back and restarts once more while the run lasts: it may come back at its old version.
void TestSchedulingOta::restartWhileALastStepIsAwaited()
{
    QFETCH(bool, again);
    SimulatedPanel *restarting = m_bench.panel(0);
    const PanelSettingsRestore restore{restarting, restarting->settings()};
    PanelSettings away = restarting->settings();
    away.rebootDelayMs = again ? 500 : 600000;
    restarting->setSettings(away);
    restarting->behaviour().rebootAfterOta = true;
    QList<VelkIFPDevice> boxes;
    auto page = pageWithBoxes(&boxes);
    OtaTimeouts timeouts = FirmwareTestBench::shortTimeouts();
    timeouts.wakeMs = 600000;
    QObject watch;
    if (again) {
        // The other box's installation ends only after the console did; back once, the box goes off for good.
        timeouts.installResultMs = 600000;
        m_bench.panel(1)->setAnswerHeld(VELK_REMOTE_RSP_OTA_RESULT, true);
        const int connects = restarting->connectCount();
        connect(restarting, &SimulatedPanel::connected, &watch, [restarting, connects] {
            if (restarting->connectCount() == connects + 1)
                QTimer::singleShot(300, restarting, [restarting] { restarting->shutDown(); });
        });
    }
    m_bench.manager()->setTimeouts(timeouts);
    const int devices = again ? 2 : 1;
    const VelkOtaSchedule due = schedule(boxes.mid(0, devices), now().addSecs(60));
    page->otaRunner()->checkOtaTask();
    m_bench.clock()->setNow(now().addSecs(60));
    QTRY_VERIFY_WITH_TIMEOUT(m_bench.log()->contains(again ? "away again after its last step, judged again when "
                                                             "back: " +
                                                                 boxes[0].macAddress
                                                           : "the run ends when 1 restarting devices are judged"),
                             FirmwareTestBench::runCeilingMs());
    QVERIFY(m_bench.log()->contains("restarting after its last step, waiting for it: " + boxes[0].macAddress));
    QCOMPARE(restarting->receivedCount(VELK_REMOTE_CMD_START_OTA), 1);

    OtaReportModel report;
    report.load(stored(due.osid), OtaSeed::db(), m_bench.manager()->getOldDeviceList());
    QCOMPARE(report.rowCount(), devices);
    QCOMPARE(report.counts().updating, devices);
    QCOMPARE(report.counts().successful, 0);
    QCOMPARE(OtaReportModel::statusText(report.visibleRows().at(0)->status), QStringLiteral("Updating..."));

    // The console ends during the wait and starts again over the same database. The manager lets go of the run
    // first: the page owns the device records the run works on (the other box may still be installing), and at the
    // console's exit nothing of the run is handled once the page is gone.
    m_bench.manager()->cancelOta();
    page.reset();
    Scheduling restarted(m_bench.clock());
    QCOMPARE(stored(due.osid).status, 3);
    QList<VelkOtaScheduleReport> rows;
    QVERIFY(OtaSeed::db()->queryOtaScheduleReportByOtaSchedule(stored(due.osid), rows) == DB_OK);
    QCOMPARE(rows.size(), devices);
    for (const VelkOtaScheduleReport &row : qAsConst(rows))
        QCOMPARE(row.status, 3);
    QCOMPARE(stored(due.osid).failedCount, devices);
}

void TestSchedulingOta::rollBackAfterTheRunEndsFailsIt_data()
{
    QTest::addColumn<bool>("held"); // another program holds the database exclusively as the box rolls back
    QTest::newRow("database free") << false;
    QTest::newRow("held exclusively over the roll-back") << true;
}

// The one box of a run reports its success, restarts and is back at its new version, which ends the run: Successfully,
// and the reminder goes once nothing is out of date. 3 s after its return its new image fails its own health check and
// it comes back at the old one. Its row and the schedule end Failed at the old version, and the reminder comes back.
// So too when another program holds the database exclusively, reads too, as the box rolls back: the row was held as
// Failed, but the schedule, which could not be read then, was never read again and stayed Successfully.
void TestSchedulingOta::rollBackAfterTheRunEndsFailsIt()
{
    QFETCH(bool, held);
    const QString oldVersion = QStringLiteral("8.0.0000.04");
    const VelkIFPDevice box = restartingBox();
    QVERIFY(m_bench.channelOf(0));
    SimulatedPanel *panel = m_bench.panel(0);
    panel->behaviour().rollBackAfterBootMs = held ? -1 : 3000; // held: rolled back by hand within the hold
    IFPUpgradeManager *manager = m_bench.manager();
    ReminderShown shown(manager);
    auto page = pageAfterServerCheck();
    QVERIFY(shown.badge);
    QVERIFY(shown.bar);
    QCOMPARE(shown.title, QStringLiteral("Update Available for QML8"));

    QSignalSpy ended(page->otaRunner(), &OtaScheduleRunner::runEnded);
    const VelkOtaSchedule due = schedule({box}, now().addSecs(60));
    page->otaRunner()->checkOtaTask();
    m_bench.clock()->setNow(now().addSecs(60));
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, FirmwareTestBench::runCeilingMs());
    QCOMPARE(ended.at(0).at(1).toBool(), true);
    // Back at its new version: a version check then finds nothing out of date. The run's end made one; the return
    // may come just after it, so the one the firmware page makes when opened is made here.
    QTRY_COMPARE(storedDevice(box.deviceName).fwVersion, QStringLiteral("8.0.0000.05"));
    QVERIFY(manager->checkCurrentOtaVersionInfo(IFPUpgradeManager::CASE_SHOW_OTA_PAGE));
    if (panel->fwVersion() != oldVersion) {
        // Unless this machine was so slow that the roll-back came first.
        QCOMPARE(manager->getOldDevicesCount(), 0);
        QVERIFY(!shown.badge);
        QVERIFY(!shown.bar);
    }
    // The run's report is open meanwhile.
    OtaScheduleReportDialog *report = page->otaReportDialog();
    report->setOtaSchedule(stored(due.osid));
    report->show();
    std::unique_ptr<ShortDatabaseWaits> waits;
    if (held) {
        page->otaRunner()->setRereadIntervalMs(50, 200);
        waits.reset(new ShortDatabaseWaits(50));
        DatabaseHold hold(waits->db()->databaseFilePath(), DatabaseHold::Exclusive);
        QVERIFY2(hold.isHeld(), qPrintable(hold.error()));
        PanelIdentity identity = panel->identity();
        identity.fwVersion = oldVersion;
        panel->setIdentity(identity);
        panel->abort();
        QTRY_VERIFY(m_bench.log()->contains(QStringLiteral("OtaScheduleRunner::endedRunDeviceFailed")));
    }

    QTRY_COMPARE_WITH_TIMEOUT(stored(due.osid).status, 3, 3000 + QuorvinTryCeilingMs);
    QVERIFY(m_bench.log()->contains("back at " + oldVersion +
                                    " after its run, not at the 8.0.0000.05 it installed: " + box.macAddress));
    QList<VelkOtaScheduleReport> rows;
    QVERIFY(OtaSeed::db()->queryOtaScheduleReportByOtaSchedule(stored(due.osid), rows) == DB_OK);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.at(0).status, 3);
    QCOMPARE(rows.at(0).fwVersion, oldVersion);
    QCOMPARE(stored(due.osid).failedCount, 1);
    page->comboBoxType->setCurrentIndex(1);
    QTRY_COMPARE(statusText(*page, due.osid), QStringLiteral("Failed (1)"));
    QTRY_COMPARE(report->btnStatusFailed->text(), QStringLiteral("Failed (1)"));
    QCOMPARE(report->btnStatusSuccessfully->text(), QStringLiteral("Successfully (0)"));
    report->close();
    QCOMPARE(storedDevice(box.deviceName).fwVersion, oldVersion);
    // The reminder follows: the box is out of date again.
    QTRY_VERIFY(shown.badge);
    QTRY_VERIFY(shown.bar);
    QCOMPARE(shown.title, QStringLiteral("Update Available for QML8"));
    QCOMPARE(manager->getOldDevicesCount(), 1);
    QCOMPARE(panel->receivedCount(VELK_REMOTE_CMD_START_OTA), 1);
}

void TestSchedulingOta::boxKnownByItsAddressIsJudgedUnderItsMac_data()
{
    QTest::addColumn<bool>("afterTheRun"); // the box restarts once the run has ended, and then rolls back
    QTest::newRow("restarts within the run") << false;
    QTest::newRow("restarts after the run and rolls back") << true;
}

// A box known by its address alone (its card reported no MAC it can have) restarts after its update, and its card
// reports its MAC now: its connection is held under that MAC. The run and the watch after it knew the box by the key it
// had before and never saw it again: back at its new version within the run, it was Failed after the whole wake
// time-out; back at its old version after the run, it stayed Successfully and the reminder stayed away. It is judged
// as any box: Successfully when back at what it installed, Failed with the reminder back when it rolled back.
void TestSchedulingOta::boxKnownByItsAddressIsJudgedUnderItsMac()
{
    QFETCH(bool, afterTheRun);
    const QString oldVersion = QStringLiteral("8.0.0000.04");
    const QString newVersion = QStringLiteral("8.0.0000.05");
    SimulatedPanel *panel = m_bench.panel(0);
    const QString ownMac = panel->mac();
    panel->behaviour().rebootAfterOta = true;
    // After the run: the restart comes this long after the box reported success, far longer than the run takes to end
    // from there (its closing check); the run's end is checked to come first.
    constexpr int kRestartAfterRunMs = 4000;
    if (afterTheRun) {
        panel->behaviour().rebootAfterOtaDelayMs = kRestartAfterRunMs;
        panel->behaviour().rollBackAfterBootMs = 1000;
    }
    const VelkIFPDevice box = m_bench.addDeviceByAddress(0, "QML8", oldVersion);
    QVERIFY(m_bench.connect({0}));
    QObject watch;
    connect(panel, &SimulatedPanel::rebooting, &watch, [panel, ownMac] {
        PanelIdentity identity = panel->identity();
        identity.mac = ownMac;
        panel->setIdentity(identity);
    });
    IFPUpgradeManager *manager = m_bench.manager();
    ReminderShown shown(manager);
    auto page = pageAfterServerCheck();
    QVERIFY(shown.bar);

    QSignalSpy ended(page->otaRunner(), &OtaScheduleRunner::runEnded);
    QSignalSpy restarted(panel, &SimulatedPanel::rebooting);
    const VelkOtaSchedule due = schedule({box}, now().addSecs(60));
    page->otaRunner()->checkOtaTask();
    m_bench.clock()->setNow(now().addSecs(60));
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, FirmwareTestBench::runCeilingMs());
    QCOMPARE(ended.at(0).at(1).toBool(), true);
    QCOMPARE(restarted.count(), afterTheRun ? 0 : 1);
    if (!afterTheRun) {
        // Judged when back, not at the end of the wake time-out.
        QVERIFY(m_bench.log()->contains("back at " + newVersion + " after its last step: "));
        QVERIFY(!m_bench.log()->contains(QStringLiteral("did not come back after its last step")));
    }
    QTRY_COMPARE(storedDevice(box.deviceName).macAddress, ownMac);
    QList<VelkOtaScheduleReport> rows;
    QVERIFY(OtaSeed::db()->queryOtaScheduleReportByOtaSchedule(stored(due.osid), rows) == DB_OK);
    QCOMPARE(rows.size(), 1);
    if (!afterTheRun) {
        QCOMPARE(rows.at(0).status, int(UPDATE_SUCCESSFULLY));
        QCOMPARE(rows.at(0).fwVersion, newVersion);
        QCOMPARE(stored(due.osid).status, int(UPDATE_SUCCESSFULLY));
        return;
    }

    QTRY_COMPARE_WITH_TIMEOUT(stored(due.osid).status, int(UPDATE_FAILED), kRestartAfterRunMs + QuorvinTryCeilingMs);
    QVERIFY(m_bench.log()->contains("back at " + oldVersion + " after its run, not at the " + newVersion +
                                    " it installed: " + ownMac));
    rows.clear();
    QVERIFY(OtaSeed::db()->queryOtaScheduleReportByOtaSchedule(stored(due.osid), rows) == DB_OK);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.at(0).status, int(UPDATE_FAILED));
    QCOMPARE(rows.at(0).fwVersion, oldVersion);
    QTRY_VERIFY(shown.badge);
    QTRY_VERIFY(shown.bar);
    QCOMPARE(shown.title, QStringLiteral("Update Available for QML8"));
    QCOMPARE(panel->receivedCount(VELK_REMOTE_CMD_START_OTA), 1);
}

// No update or download server is configured (and this runs first, before any check of this process succeeded): the
// check fails for the one family that has devices, while the families without devices have nothing to say. That is a
// failed check, not "nothing is out of date": Add Schedule says so, and a due schedule is not started on it.
void TestSchedulingOta::noUpdateServerIsAFailedCheck()
{
    m_bench.writeServers(QString(), QString());
    const QList<VelkIFPDevice> boxes = {m_bench.addDevice(0, "QML8", "8.0.0000.04")};
    QVERIFY(m_bench.connect({0}));
    m_bench.log()->clear();
    Scheduling page(m_bench.clock());
    page.otaRunner()->setRetryInterval(100);
    QTRY_VERIFY_WITH_TIMEOUT(m_bench.log()->contains(QStringLiteral("check of case 1 ended")),
                             m_bench.checkCeilingMs());

    page.btnAddSchedule->click();
    QTRY_VERIFY(page.settingDialog()->isVisible());
    QCOMPARE(m_bench.manager()->getOldDevicesCount(), -1);
    ScheduleSettingSelection *selection = page.settingDialog()->selectionPage();
    QCOMPARE(selection->labelHintOldDevice->text(), QStringLiteral("Failed to check firmware version."));
    QVERIFY(!selection->btnToFwUpdate->isEnabled());
    page.settingDialog()->close();

    QSignalSpy asked(page.otaRunner(), &OtaScheduleRunner::versionCheckRequested);
    QSignalSpy started(page.otaRunner(), &OtaScheduleRunner::runStarted);
    const VelkOtaSchedule due = schedule(boxes, now().addSecs(60));
    page.otaRunner()->checkOtaTask();
    m_bench.clock()->setNow(now().addSecs(60));
    QTRY_VERIFY(asked.count() >= 3);
    QCOMPARE(started.count(), 0);
    QVERIFY(!m_bench.manager()->isOtaRunning() || m_bench.manager()->getCurrentOtaScheduleId() == 0xFFFFFFFFu);
    QCOMPARE(stored(due.osid).status, 1);
    QCOMPARE(m_bench.panel(0)->receivedCount(VELK_REMOTE_CMD_CHECK_OTA_STATE), 0);
}

void TestSchedulingOta::changesWhileWaitingForTheCheck_data()
{
    QTest::addColumn<int>("change");
    QTest::newRow("disabled in its row") << 0;
    QTest::newRow("disabled behind the page") << 1;
    QTest::newRow("moved to tomorrow by the editor") << 2;
}

// A due schedule waits for a usable version check (every check fails until the update server answers again) and is
// changed meanwhile. It is read again before it is started or failed: disabled, it never starts, not even once the
// checks succeed, and it is not marked Failed when the wait's 30 minutes are over; moved to tomorrow, it is armed for
// its new time and starts then.
void TestSchedulingOta::changesWhileWaitingForTheCheck()
{
    QFETCH(int, change);
    const QList<VelkIFPDevice> devices = unknownVersionFleet();
    auto page = pageAfterServerCheck();
    OtaScheduleRunner *runner = page->otaRunner();
    QSignalSpy asked(runner, &OtaScheduleRunner::versionCheckRequested);
    QSignalSpy started(runner, &OtaScheduleRunner::runStarted);
    const QDateTime start = now().addSecs(120);
    VelkOtaSchedule waiting = schedule(devices.mid(3, 1), start);
    const VelkOtaSchedule later = schedule(devices.mid(3, 1), now().addDays(2));
    page->initial();
    runner->checkOtaTask();
    m_bench.clock()->setNow(start);
    QTRY_VERIFY_WITH_TIMEOUT(asked.count() >= 2, 30000);
    QVERIFY(runner->isBusy());

    waiting = stored(waiting.osid);
    if (change == 0) {
        page->comboBoxType->setCurrentIndex(1);
        QCOMPARE(page->shownOtaSchedules().at(0)->osid, waiting.osid);
        page->otaEnableComboBoxes().at(0)->setCurrentIndex(1);
    } else if (change == 1) {
        waiting.isEnable = false;
        QCOMPARE(OtaSeed::db()->updateOtaScheduleState(waiting), DB_OK);
    } else {
        waiting.date = start.addDays(1).toString(QStringLiteral("yyyy-MM-dd"));
        QCOMPARE(OtaSeed::db()->updateOtaSchedule(waiting), DB_OK);
        emit page->settingDialog()->otaScheduleSettingSavedSuccess(false, waiting);
    }
    QTRY_COMPARE_WITH_TIMEOUT(runner->current().osid, change == 2 ? waiting.osid : later.osid, 30000);
    QVERIFY(!runner->isBusy());
    QVERIFY(runner->isTimerActive());
    QVERIFY(m_bench.log()->contains(change == 2
                                        ? QStringLiteral("was moved while it waited for the version check")
                                        : QStringLiteral("was disabled while it waited for the version check")));

    m_bench.http()->clearBehaviours();
    m_bench.clock()->setNow(start.addSecs(31 * 60));
    QTest::qWait(300);
    QCOMPARE(started.count(), 0);
    QCOMPARE(stored(waiting.osid).status, 1);
    QCOMPARE(stored(waiting.osid).isEnable, change == 2);
    if (change == 2) {
        m_bench.clock()->setNow(start.addDays(1));
        QTRY_COMPARE_WITH_TIMEOUT(started.count(), 1, 30000);
        QCOMPARE(started.at(0).at(0).toUInt(), waiting.osid);
        // The manager holds the run's device records, which go with the page at the end of this function.
        m_bench.manager()->cancelOta();
    }
}

QTEST_MAIN(TestSchedulingOta)
#include "tst_scheduling_ota.moc"

// The console ended within the wake time-out after a run of two boxes that both ended Successfully, and starts again:
// what it watched lived only in its memory, so a box that then came back at its old version kept its row and the
// schedule Successfully, at its old version and without a reminder. The watch is kept in the report rows: the box that
// rolls back turns its row and the schedule Failed and brings the reminder back; the other row stays as it was.
void TestSchedulingOta::rollBackAfterARestartWithinTheWaitFailsIt()
{
    const QString oldVersion = QStringLiteral("8.0.0000.04");
    const QString newVersion = QStringLiteral("8.0.0000.05");
    const QList<VelkIFPDevice> boxes = {m_bench.addDevice(0, "QML8", newVersion),
                                        m_bench.addDevice(1, "QML8", newVersion)};
    // What the console that ended left: the run's rows Successfully at the version installed, each with its wait.
    VelkOtaSchedule ended = schedule(boxes, now().addSecs(-300), UPDATE_SUCCESSFULLY);
    QList<VelkIFPDevice> rows = boxes;
    QVERIFY(OtaSeed::db()->insertOtaScheduleReport(ended, rows) == DB_OK);
    const QString until = now().addSecs(240).toUTC().toString(Qt::ISODateWithMs);
    for (VelkIFPDevice box : boxes) {
        QVERIFY(OtaSeed::db()->updateOtaScheduleReport(box, ended, UPDATE_SUCCESSFULLY) == DB_OK);
        QVERIFY(OtaSeed::db()->updateOtaScheduleReportWatch(ended.osid, box.did, until) == DB_OK);
    }
    QVERIFY(m_bench.connect({0, 1}));
    IFPUpgradeManager *manager = m_bench.manager();
    ReminderShown shown(manager);
    auto page = pageAfterServerCheck();
    QVERIFY(!shown.badge);
    QVERIFY(!shown.bar);
    QCOMPARE(manager->getOldDevicesCount(), 0);

    // Box 0's new image fails its health check: it restarts into the old one.
    PanelIdentity identity = m_bench.panel(0)->identity();
    identity.fwVersion = oldVersion;
    m_bench.panel(0)->setIdentity(identity);
    m_bench.panel(0)->abort();
    QTRY_COMPARE(stored(ended.osid).status, int(UPDATE_FAILED));
    QVERIFY(m_bench.log()->contains("back at " + oldVersion + " after its run, not at the " + newVersion +
                                    " it installed: " + boxes.at(0).macAddress));
    QList<VelkOtaScheduleReport> report;
    QVERIFY(OtaSeed::db()->queryOtaScheduleReportByOtaSchedule(stored(ended.osid), report) == DB_OK);
    QCOMPARE(report.size(), 2);
    QCOMPARE(report.at(0).status, int(UPDATE_FAILED));
    QCOMPARE(report.at(0).fwVersion, oldVersion);
    QCOMPARE(report.at(0).watchUntil, QString());
    QCOMPARE(report.at(1).status, int(UPDATE_SUCCESSFULLY));
    QCOMPARE(report.at(1).fwVersion, newVersion);
    QCOMPARE(stored(ended.osid).failedCount, 1);
    page->comboBoxType->setCurrentIndex(1);
    QTRY_COMPARE(statusText(*page, ended.osid), QStringLiteral("Failed (1)"));
    QTRY_VERIFY(shown.badge);
    QTRY_VERIFY(shown.bar);
    QCOMPARE(shown.title, QStringLiteral("Update Available for QML8"));
    QCOMPARE(manager->getOldDevicesCount(), 1);
}

// One box, whose restart into its new firmware comes 4 s after it reported success: the run ends before it (the box
// never went away), and the check that closes the run still finds the box at its old version. When the box is back at
// its new one, the reminder and the badge go: nothing looked again before, and they stayed for a day.
void TestSchedulingOta::reminderFollowsABoxBackAfterTheClosingCheck()
{
    const VelkIFPDevice box = restartingBox();
    QVERIFY(m_bench.channelOf(0));
    SimulatedPanel *panel = m_bench.panel(0);
    panel->behaviour().rebootAfterOtaDelayMs = 4000;
    IFPUpgradeManager *manager = m_bench.manager();
    ReminderShown shown(manager);
    auto page = pageAfterServerCheck();
    QVERIFY(shown.badge);
    QVERIFY(shown.bar);

    QSignalSpy ended(page->otaRunner(), &OtaScheduleRunner::runEnded);
    QSignalSpy checked(manager, &IFPUpgradeManager::otaVersionChecked);
    QSignalSpy restarted(panel, &SimulatedPanel::rebooting);
    QSignalSpy back(panel, &SimulatedPanel::connected);
    const VelkOtaSchedule due = schedule({box}, now().addSecs(60));
    page->otaRunner()->checkOtaTask();
    m_bench.clock()->setNow(now().addSecs(60));
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, FirmwareTestBench::runCeilingMs());
    QCOMPARE(ended.at(0).at(1).toBool(), true);
    // The closing check came while the box still ran its old version.
    QTRY_VERIFY(checked.contains({IFPUpgradeManager::CASE_RUN_ENDED}));
    QCOMPARE(restarted.count(), 0);
    QVERIFY(shown.bar);

    QTRY_COMPARE(back.count(), 1);
    QTRY_COMPARE(storedDevice(box.deviceName).fwVersion, QStringLiteral("8.0.0000.05"));
    QTRY_VERIFY(!shown.bar);
    QTRY_VERIFY(!shown.badge);
    QCOMPARE(manager->getOldDevicesCount(), 0);
    QCOMPARE(stored(due.osid).status, int(UPDATE_SUCCESSFULLY));
}
