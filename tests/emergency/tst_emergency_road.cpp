#include "devices/AlertRoad.h"
#include "emergency/EmergencyTestSupport.h"
#include "platform/audio/AudioFolder.h"
#include "shell/base/Clock.h"
#include "support/DatabaseHold.h"
#include "support/FakeSoundPlayer.h"
#include "support/HoldKinds.h"
#include "support/ShortDatabaseWaits.h"

#include <QElapsedTimer>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>

// The SOS road without a window, where the page-level test cannot reach: real panels on loopback
// send SOS to the real command server, and the database and the player are made to fail.
class TestEmergencyRoad : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void everySosFrameIsLoggedAndTakenUp();
    void failuresNeverSilenceTheAlarm();
    void sosDuringAHeldDatabaseNeverWaits();
    void sosNeverDependsOnTheDatabase_data();
    void sosNeverDependsOnTheDatabase();
    void sosRowThatCannotBeStoredHoldsNoOtherWriteBack();
    void sosIsAnsweredBeforeOtherCallersRefusedReads();

private:
    std::unique_ptr<TestEnv> m_env;
    std::unique_ptr<LogCapture> m_log;
    QList<SimulatedPanel *> m_panels;
    ManualClock *m_clock = nullptr;
    FakeSoundPlayer *m_player = nullptr;
    CountingUnmuter *m_unmuter = nullptr;
    AlertRoad *m_road = nullptr;
    QString m_audio;
    QList<VelkIFPDevice> m_warnings;
    int m_beeps = 0;
};

void TestEmergencyRoad::initTestCase()
{
    m_env = std::make_unique<TestEnv>();
    NetworkConfig::setCurrent(loopbackNetworkConfig(m_env->home()));
    QVERIFY(CmdServer::getInstance()->serverPort() != 0);
    m_audio = m_env->home() + QStringLiteral("/Audio/");
    QVERIFY(AudioFolder::installBuiltInSounds(m_audio).isEmpty());
}

void TestEmergencyRoad::init()
{
    m_log = std::make_unique<LogCapture>();
    m_clock = new ManualClock(QDateTime(QDate(2026, 3, 2), QTime(9, 15, 0)), this);
    m_player = new FakeSoundPlayer(this);
    m_unmuter = new CountingUnmuter(this);
    m_road = new AlertRoad(OrvantaDBManager::getInstance(), m_player, m_unmuter, m_clock, this);
    m_road->setAudioFolder(m_audio);
    m_road->setBeep([this]() { ++m_beeps; });
    m_road->setBeepIntervalMs(50);
    m_warnings.clear();
    m_beeps = 0;
    CmdServer *server = CmdServer::getInstance();
    connect(server, &CmdServer::safeAlert, m_road, &AlertRoad::handleSafeAlert);
    connect(m_road, &AlertRoad::stopSafeAlert, server, &CmdServer::stopSafeAlert);
    connect(m_road, &AlertRoad::warningRequested, this, [this](VelkIFPDevice device) { m_warnings.append(device); });
}

void TestEmergencyRoad::cleanup()
{
    qDeleteAll(m_panels);
    m_panels.clear();
    delete m_road;
    delete m_player;
    delete m_unmuter;
    delete m_clock;
    m_log.reset();
    QList<VelkIFPDevice> devices;
    OrvantaDBManager::getInstance()->queryAllAvailableIFP(devices);
    for (VelkIFPDevice device : qAsConst(devices))
        OrvantaDBManager::getInstance()->deleteIFPDevice(device);
}

void TestEmergencyRoad::cleanupTestCase()
{
    m_env.reset();
}

// What the page-level test does not reach: every SOS frame logged as it arrives, one without a
// payload taken up all the same, and the event-log row as stored.
void TestEmergencyRoad::everySosFrameIsLoggedAndTakenUp()
{
    SimulatedPanel *panel = connectSimulatedPanel(m_panels, 1, QStringLiteral("Hall panel"));
    QVERIFY(panel->isConnected());
    const int events = eventLog().size();
    QVERIFY(panel->sendFrame(VELK_REMOTE_CMD_SAFE_ALERT) >= 0);
    QTRY_COMPARE(m_warnings.size(), 1);
    QTRY_COMPARE(panel->receivedCount(VELK_REMOTE_RSP_SAFE_ALERT), 1);
    QVERIFY(m_log->contains(QStringLiteral("SOS from ") + testMac(1) + QStringLiteral(" with a 0-byte payload")));
    // Written from the event loop, after the warning and the alarm.
    QTRY_COMPARE(eventLog().size(), events + 1);
    const QList<VelkEventLog> log = eventLog();
    QCOMPARE(log.last().deviceName, QStringLiteral("Hall panel"));
    QCOMPARE(log.last().event, 0);
    QCOMPARE(log.last().time, QStringLiteral("2026-03-02 09:15:00"));
    QCOMPARE(m_player->loops, QList<bool>{true});

    // The repeat while the warning is shown is logged too, and acknowledged, and raises nothing.
    QVERIFY(panel->raiseSos() >= 0);
    QTRY_COMPARE(panel->receivedCount(VELK_REMOTE_RSP_SAFE_ALERT), 2);
    QVERIFY(m_log->contains(QStringLiteral("DeviceChannel: SOS from ") + testMac(1)));
    QVERIFY(m_log->contains(QStringLiteral("while its warning is shown")));
    QCOMPARE(m_warnings.size(), 1);
    m_road->stopAlert(testMac(1));
    QTRY_COMPARE(panel->receivedCount(VELK_REMOTE_CMD_STOP_SAFE_ALERT), 1);
}

void TestEmergencyRoad::failuresNeverSilenceTheAlarm()
{
    SimulatedPanel *panel = connectSimulatedPanel(m_panels, 6, QStringLiteral("Lab"));

    // The event log refuses the row (a trigger in the database itself): logged, and the alarm
    // still sounds.
    const QString dbFile = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) +
                           QStringLiteral("/dbManagement/QuorvinDatabase.db");
    {
        QSqlDatabase side = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("side"));
        side.setDatabaseName(dbFile);
        QVERIFY(side.open());
        QVERIFY(QSqlQuery(side).exec(QStringLiteral(
            "CREATE TRIGGER refuse BEFORE INSERT ON EventLog BEGIN SELECT RAISE(ABORT, 'disk full'); END")));
        side.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("side"));
    const int events = eventLog().size();
    panel->raiseSos();
    QTRY_COMPARE(m_warnings.size(), 1);
    QVERIFY(m_player->isPlaying());
    QTRY_VERIFY(m_log->contains(QStringLiteral("not kept: AlertRoad: event-log row of the SOS from ") + testMac(6)));
    QCOMPARE(eventLog().size(), events);
    {
        QSqlDatabase side = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("side"));
        side.setDatabaseName(dbFile);
        QVERIFY(side.open());
        QVERIFY(QSqlQuery(side).exec(QStringLiteral("DROP TRIGGER refuse")));
        side.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("side"));

    // The player gives up on the sound (no audio output): the beep takes over while the alert
    // is pending, and ends with it.
    m_player->failNow();
    QVERIFY(m_road->isBeeping());
    QTRY_VERIFY(m_beeps >= 3);
    QVERIFY(m_log->contains(QStringLiteral("the alarm cannot be played (no audio output)")));
    m_road->stopAlert(testMac(6));
    QVERIFY(!m_road->isBeeping());
    const int beeps = m_beeps;
    QTest::qWait(150);
    QCOMPARE(m_beeps, beeps);

    // A deleted alarm file is installed again and played.
    QVERIFY(QFile::remove(m_audio + AudioFolder::alarmName()));
    m_clock->advance(6000);
    panel->raiseSos();
    QTRY_COMPARE(m_warnings.size(), 2);
    QVERIFY(m_player->isPlaying());
    QVERIFY(QFile::exists(m_audio + AudioFolder::alarmName()));
    QVERIFY(m_log->contains(QStringLiteral("missing or unreadable, installing it again")));
    QVERIFY(!m_road->isBeeping());
    m_road->stopAlert(testMac(6));
}

// An SOS while another program holds the database for longer than the console waits for it (an SQLite browser with
// an unsaved change): the event-log insert held the GUI thread for the whole busy wait before the alarm started, then
// failed, and was never tried again, so the Event Log never showed the alert. The warning and the alarm come without
// waiting for the database, and the row is there once the database takes writes.
void TestEmergencyRoad::sosDuringAHeldDatabaseNeverWaits()
{
    const int busyWaitMs = 3000;
    const ShortDatabaseWaits waits(busyWaitMs);
    OrvantaDBManager *db = waits.db();
    connectSimulatedPanel(m_panels, 7, QStringLiteral("Gym"));
    const int events = eventLog().size();
    DatabaseHold hold(db->databaseFilePath(), DatabaseHold::Writer);
    QVERIFY2(hold.isHeld(), qPrintable(hold.error()));

    QElapsedTimer road;
    road.start();
    m_road->handleSafeAlert(testMac(7));
    const qint64 took = road.elapsed();
    QCOMPARE(m_warnings.size(), 1);
    QVERIFY(m_player->isPlaying());
    QVERIFY2(took < busyWaitMs / 2, qPrintable(QString::number(took)));

    QTest::qWait(200); // tries while the hold lasts
    QCOMPARE(eventLog().size(), events);
    hold.release();
    QTRY_COMPARE(eventLog().size(), events + 1);
    QCOMPARE(eventLog().last().deviceName, QStringLiteral("Gym"));
    QCOMPARE(eventLog().last().time, QStringLiteral("2026-03-02 09:15:00"));
    m_road->stopAlert(testMac(7));
}

void TestEmergencyRoad::sosNeverDependsOnTheDatabase_data()
{
    addTimedHoldRows();
}

// Another program holds the file, exclusively (an SQLite browser saving a large change, a VACUUM) or with the write
// lock, while a panel that has just reconnected from a new address raises its SOS. The road read the device list first:
// refused after the busy wait, the SOS was dropped although the panel had been acknowledged, and under the write lock
// the warning named the address stored in the file, whose write-back was still held. The warning and the alarm come at
// once from what the command server knows, with the address the panel connected from, and the Event Log row is there
// after the hold.
void TestEmergencyRoad::sosNeverDependsOnTheDatabase()
{
    QFETCH(int, kind);
    QFETCH(int, holdMs);
    const int busyWaitMs = 500;
    const ShortDatabaseWaits waits(busyWaitMs);
    OrvantaDBManager *db = waits.db();
    addManagedDevice(QStringLiteral("Gym"), testMac(7), QStringLiteral("10.0.0.77"));
    // What the device list last read, and hands the command server again meanwhile: the old address.
    QList<VelkIFPDevice> listed;
    QCOMPARE(db->queryAllAvailableIFP(listed), DB_OK);
    const int events = eventLog().size();

    QElapsedTimer held;
    held.start();
    auto hold = std::make_unique<DatabaseHold>(db->databaseFilePath(), DatabaseHold::Kind(kind));
    QVERIFY2(hold->isHeld(), qPrintable(hold->error()));
    auto *panel = new SimulatedPanel(SimulatedPanel::defaultIdentity(7), directSettings(7));
    m_panels.append(panel);
    panel->start();
    QTRY_VERIFY(panel->isConnected() && CmdServer::getInstance()->connectionState(testMac(7)) == CmdServer::Connected);
    CmdServer::getInstance()->setManagedDevices(listed);

    QElapsedTimer road;
    road.start();
    QVERIFY(panel->raiseSos() >= 0);
    QTRY_COMPARE(m_warnings.size(), 1);
    const qint64 took = road.elapsed();
    QVERIFY2(took < busyWaitMs, qPrintable(QString::number(took)));
    QVERIFY(m_player->isPlaying());
    QCOMPARE(m_warnings.first().deviceName, QStringLiteral("Gym"));
    QCOMPARE(m_warnings.first().ipAddress, QStringLiteral("127.0.0.9"));
    QVERIFY(!m_log->contains(QStringLiteral("not shown")));

    QTest::qWait(int(qMax<qint64>(0, holdMs - held.elapsed())));
    hold.reset();
    QTRY_COMPARE(eventLog().size(), events + 1);
    QCOMPARE(eventLog().last().deviceName, QStringLiteral("Gym"));
    QCOMPARE(eventLog().last().time, QStringLiteral("2026-03-02 09:15:00"));
    QTRY_COMPARE(storedDevice(QStringLiteral("Gym")).ipAddress, QStringLiteral("127.0.0.9"));
    m_road->stopAlert(testMac(7));
    QTRY_COMPARE(panel->receivedCount(VELK_REMOTE_CMD_STOP_SAFE_ALERT), 1);
}

// A file whose Event Log counter is at its end (a restored backup can bring one): the SOS row meets SQLITE_FULL on
// any disk. Taken for a full disk, it was held and tried for ever, and every later background write (a panel's
// write-back here) queued behind it while the database took other writes. The SOS is shown and sounds, the row is
// named once as not written, and the write-back lands.
void TestEmergencyRoad::sosRowThatCannotBeStoredHoldsNoOtherWriteBack()
{
    const ShortDatabaseWaits waits(500);
    OrvantaDBManager *db = waits.db();
    SimulatedPanel *gym = connectSimulatedPanel(m_panels, 7, QStringLiteral("Gym"));
    QVERIFY(gym->isConnected());
    addManagedDevice(QStringLiteral("Hall"), testMac(8), QStringLiteral("10.0.0.88"));
    const int events = eventLog().size();
    QSqlQuery counter(db->databaseManager()->connection());
    QVERIFY(counter.exec(QStringLiteral("DELETE FROM sqlite_sequence WHERE name = 'EventLog'")));
    QVERIFY(counter.exec(
        QStringLiteral("INSERT INTO sqlite_sequence (name, seq) VALUES ('EventLog', 9223372036854775807)")));
    const auto mended = qScopeGuard([&counter] {
        counter.exec(QStringLiteral("UPDATE sqlite_sequence SET seq = (SELECT ifnull(max(did), 0) FROM EventLog) "
                                    "WHERE name = 'EventLog'"));
    });

    QSignalSpy allWritten(db->heldWrites(), &DbHeldWrites::allWritten);
    QVERIFY(gym->raiseSos() >= 0);
    QTRY_COMPARE(m_warnings.size(), 1);
    QVERIFY(m_player->isPlaying());
    auto *hall = new SimulatedPanel(SimulatedPanel::defaultIdentity(8), directSettings(8));
    m_panels.append(hall);
    hall->start();
    QTRY_COMPARE(storedDevice(QStringLiteral("Hall")).ipAddress, QStringLiteral("127.0.0.10"));
    QTRY_VERIFY(db->heldWrites()->isEmpty());
    // Exit no longer waits for it.
    QVERIFY(allWritten.count() >= 1);
    QCOMPARE(eventLog().size(), events);
    const QStringList named = m_log->linesWith(QStringLiteral("not written"));
    QCOMPARE(named.size(), 1);
    QVERIFY2(named.first().contains(QStringLiteral("refused 3 times (the disk is full) while the database takes other "
                                                   "writes: AlertRoad: event-log row of the SOS from ") +
                                    testMac(7)),
             qPrintable(named.first()));
    QVERIFY(m_player->isPlaying());
    m_road->stopAlert(testMac(7));
}

// Another program holds the file exclusively, a page's read was refused already, and four timed callers due in the
// same minute read as a panel raises its SOS: each read waited the whole busy wait in vain before the SOS frame was
// taken up, and the panel was answered seconds late. The reads are refused at once, and the SOS answered.
void TestEmergencyRoad::sosIsAnsweredBeforeOtherCallersRefusedReads()
{
    // Long enough that an answer this late is no loaded machine's slowness but a read that waited it out.
    const int busyWaitMs = 4000;
    const ShortDatabaseWaits waits(busyWaitMs);
    OrvantaDBManager *db = waits.db();
    SimulatedPanel *panel = connectSimulatedPanel(m_panels, 9, QStringLiteral("Lab"));
    QVERIFY(panel->isConnected());
    const int events = eventLog().size();
    auto hold = std::make_unique<DatabaseHold>(db->databaseFilePath(), DatabaseHold::Exclusive);
    QVERIFY2(hold->isHeld(), qPrintable(hold->error()));
    QList<VelkGroups> groups;
    QVERIFY(db->queryAllGroup(groups) != DB_OK);

    int refused = 0;
    for (int i = 0; i < 4; ++i) {
        QTimer::singleShot(0, this, [db, &refused] {
            QList<VelkSchedule> schedules;
            if (db->queryAllSchedule(schedules) != DB_OK && db->refusedForNow())
                ++refused;
        });
    }
    QElapsedTimer answered;
    answered.start();
    QVERIFY(panel->raiseSos() >= 0);
    QTRY_COMPARE_WITH_TIMEOUT(panel->receivedCount(VELK_REMOTE_RSP_SAFE_ALERT), 1, QuorvinTryCeilingMs);
    const qint64 took = answered.elapsed();
    QCOMPARE(refused, 4);
    QVERIFY2(took < busyWaitMs, qPrintable(QString::number(took)));
    QCOMPARE(m_warnings.size(), 1);

    hold.reset();
    QTRY_COMPARE(eventLog().size(), events + 1);
    m_road->stopAlert(testMac(9));
    QTRY_COMPARE(panel->receivedCount(VELK_REMOTE_CMD_STOP_SAFE_ALERT), 1);
}

QTEST_MAIN(TestEmergencyRoad)
#include "tst_emergency_road.moc"
