#include "BroadcastTestSupport.h"

#include "broadcast/Broadcast.h"
#include "broadcast/BroadcastMessageDialog.h"
#include "broadcast/BroadcastReportDialog.h"
#include "broadcast/BroadcastScheduler.h"
#include "broadcast/BroadcastSetting.h"
#include "broadcast/BroadcastWidget.h"
#include "shell/base/Clock.h"
#include "shell/kit/ConfirmDialog.h"
#include "shell/kit/SortingIndicator.h"
#include "support/DatabaseHold.h"
#include "support/FakeSoundPlayer.h"
#include "support/HoldKinds.h"
#include "support/ShortDatabaseWaits.h"
#include "support/WriteRefusal.h"

#include <QAction>
#include <QSignalSpy>

using namespace BroadcastTest;

namespace {

QDateTime monday(const char *time)
{
    return QDateTime(QDate(2024, 5, 6), QTime::fromString(QLatin1String(time), QStringLiteral("hh:mm:ss")));
}

VelkBroadcast make(VelkBroadcast::Status status, const QString &text, const QList<VelkIFPDevice> &devices)
{
    VelkBroadcast b;
    b.status = status;
    b.contentText = text;
    b.target = 2;
    b.devices = devices;
    b.startDate = QStringLiteral("2024-05-06");
    b.time = QStringLiteral("10:00");
    b.durationSec = 30;
    return b;
}

} // namespace

// The Broadcast page offscreen against a real database, the real command server and simulated panels: what each
// tab shows, the row menus, the audio preview, and the report's counts, search and sort.
class TestBroadcastPage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void tabsShowTheirRows();
    void runningTaskCannotBeEditedAndIsCancelledBeforeDelete();
    void moveDuplicateAndDelete();
    void refusedDeleteAndMoveKeepTheStoredStateAndSayWhy_data();
    void refusedDeleteAndMoveKeepTheStoredStateAndSayWhy();
    void refusedDuplicateLeavesNoCopyAndSaysWhy_data();
    void refusedDuplicateLeavesNoCopyAndSaysWhy();
    void refusedListsComeBackWhenHeldWritesLand();
    void previewPlaysOneRowAtATime();
    void reportCountsSearchAndSort();

private:
    VelkBroadcast store(VelkBroadcast b);
    void openPage(const QDateTime &now);

    std::unique_ptr<TestEnv> m_env;
    std::unique_ptr<LogCapture> m_log;
    QTemporaryDir m_dir;
    NetworkConfig m_config;
    std::unique_ptr<PanelFleet> m_fleet;
    QList<VelkIFPDevice> m_devices;
    std::unique_ptr<ManualClock> m_clock;
    std::unique_ptr<FakeSoundPlayer> m_player;
    std::unique_ptr<Broadcast> m_page;
};

void TestBroadcastPage::initTestCase()
{
    m_env.reset(new TestEnv);
    m_log.reset(new LogCapture);
    OrvantaDBManager::setDataFolder(m_dir.path());
    m_config = loopbackNetworkConfig(m_dir.path());
    NetworkConfig::setCurrent(m_config);
    QVERIFY(CmdServer::getInstance()->serverPort() != 0);
    m_fleet = makeFleet(4, 501, "Room-", "127.0.5.2");
    m_devices = storeFleet(*m_fleet);
}

void TestBroadcastPage::init()
{
    wipeBroadcasts();
}

void TestBroadcastPage::cleanup()
{
    m_page.reset();
    m_player.reset();
    m_clock.reset();
    m_fleet->shutDownAll();
}

VelkBroadcast TestBroadcastPage::store(VelkBroadcast b)
{
    if (OrvantaDBManager::getInstance()->insertBroadcast(b) != DB_OK)
        qWarning("insertBroadcast failed");
    return b;
}

void TestBroadcastPage::openPage(const QDateTime &now)
{
    m_clock.reset(new ManualClock(now));
    m_player.reset(new FakeSoundPlayer);
    m_page.reset(new Broadcast(m_clock.get(), m_player.get()));
    m_page->show();
}

void TestBroadcastPage::tabsShowTheirRows()
{
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    VelkGroups a, b;
    a.groupName = "A";
    b.groupName = "B";
    QCOMPARE(db->createGroups(a), DB_OK);
    QCOMPARE(db->createGroups(b), DB_OK);
    VelkIFPDevice member = m_devices.at(0);
    QCOMPARE(db->joinGroups(member, a), DB_OK);
    QCOMPARE(db->joinGroups(member, b), DB_OK);

    VelkBroadcast audioOnly = make(VelkBroadcast::Pending, QString(), {});
    audioOnly.displayType = 2;
    audioOnly.audioSelection = 2;
    audioOnly.target = 3;
    audioOnly.groups = {a, b};
    store(audioOnly);
    VelkBroadcast lapsed = make(VelkBroadcast::Pending, "Line one\n\n  line   two", m_devices.mid(0, 2));
    lapsed.startDate = "2024-05-01";
    store(lapsed);
    VelkBroadcast weekly = make(VelkBroadcast::Upcoming, "Weekly", {m_devices.at(2)});
    weekly.startDate = "2024-04-01";
    weekly.repeatMon = true;
    weekly = store(weekly);
    VelkBroadcast done = make(VelkBroadcast::Completed, "Done", m_devices.mid(0, 4));
    done.isNow = true;
    done.startDate = "2024-05-03";
    done.time = "16:42";
    done = store(done);
    QList<VelkIFPDevice> targets = done.devices;
    QCOMPARE(db->insertBroadcastReport(done, targets), DB_OK);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(db->updateBroadcastReport(targets[i], done, 2, 1), DB_OK);
    store(make(VelkBroadcast::Completed, "Clean", {m_devices.at(3)}));

    // Built-in sounds are put in place whenever the page is built, readable by their owner.
    QFile::remove(m_config.audioFolder + "Default_Audio_2.mp3");
    openPage(monday("09:00:00"));
    for (const char *name :
         {"Default_Audio_1.mp3", "Default_Audio_2.mp3", "Default_Audio_3.mp3", "Sos_Alert_Audio.mp3"}) {
        const QFileInfo sound(m_config.audioFolder + QLatin1String(name));
        QVERIFY2(sound.isFile() && sound.size() > 0, name);
        QVERIFY(sound.permissions() & QFileDevice::ReadOwner);
    }

    QCOMPARE(m_page->table(VelkBroadcast::Pending)->rowCount(), 2);
    QCOMPARE(m_page->table(VelkBroadcast::Upcoming)->rowCount(), 1);
    QCOMPARE(m_page->table(VelkBroadcast::Completed)->rowCount(), 2);
    for (auto status : {VelkBroadcast::Pending, VelkBroadcast::Upcoming, VelkBroadcast::Completed})
        QVERIFY(m_page->guide(status)->isHidden());

    BroadcastWidget *audioRow = m_page->row(VelkBroadcast::Pending, 0);
    QCOMPARE(audioRow->labelContent->text(), QString("A, B"));
    QCOMPARE(audioRow->labelTarget->text(), QString("A, B"));
    QVERIFY(!audioRow->btnAudio->isHidden());
    BroadcastWidget *lapsedRow = m_page->row(VelkBroadcast::Pending, 1);
    QCOMPARE(lapsedRow->labelContent->text(), QString("Line one line two"));
    QCOMPARE(lapsedRow->labelTime->text(), QString("Wed. 2024-05-01 at 10:00"));
    QVERIFY(lapsedRow->btnAudio->isHidden());
    QCOMPARE(m_page->row(VelkBroadcast::Upcoming, 0)->labelTime->text(), QString("Mon. 2024-05-06 at 10:00"));
    QCOMPARE(m_page->row(VelkBroadcast::Upcoming, 0)->labelFailedCount->text(), QString());

    QCOMPARE(m_page->scheduler()->completedList().at(0).bid, done.bid);
    BroadcastWidget *doneRow = m_page->row(VelkBroadcast::Completed, 0);
    QCOMPARE(doneRow->labelTime->text(), QString("Fri. 2024-05-03 at 16:42"));
    QCOMPARE(doneRow->labelFailedCount->text(), QString("3 Failed"));
    QCOMPARE(m_page->row(VelkBroadcast::Completed, 1)->labelFailedCount->text(), QString());

    // The weekly broadcast runs when the clock passes 10:00 (its panel is off): a completed copy of the run
    // appears and the upcoming row moves on to next Monday.
    m_clock->setNow(monday("10:00:30"));
    QTRY_COMPARE(m_page->table(VelkBroadcast::Completed)->rowCount(), 3);
    QCOMPARE(m_page->row(VelkBroadcast::Upcoming, 0)->labelTime->text(), QString("Mon. 2024-05-13 at 10:00"));
    QCOMPARE(m_page->row(VelkBroadcast::Completed, 2)->labelTime->text(), QString("Mon. 2024-05-06 at 10:00"));

    wipeBroadcasts();
    m_page->deviceDeleted();
    for (auto status : {VelkBroadcast::Pending, VelkBroadcast::Upcoming, VelkBroadcast::Completed}) {
        QCOMPARE(m_page->table(status)->rowCount(), 0);
        QVERIFY(!m_page->guide(status)->isHidden());
    }
    db->deleteGroups(a);
    db->deleteGroups(b);
}

void TestBroadcastPage::runningTaskCannotBeEditedAndIsCancelledBeforeDelete()
{
    SimulatedPanel *panel = m_fleet->panel(0);
    panel->setAnswerHeld(VELK_REMOTE_RSP_BROADCAST_DATA_COMPLETE, true);
    panel->start();
    QTRY_VERIFY(CmdServer::getInstance()->isDeviceOnline(m_devices.at(0)));
    openPage(monday("09:00:00"));

    VelkBroadcast now = make(VelkBroadcast::Upcoming, "Now", {m_devices.at(0)});
    now.isNow = true;
    now = store(now);
    emit m_page->editor()->broadcastSettingSavedSuccess(now);
    QVERIFY(!m_page->labelMessage->isHidden());
    QTRY_COMPARE(panel->heldAnswerCount(), 1);
    QVERIFY(BroadcastManager::getInstance()->isBroadcastTaskRunning(taskOf(now)));
    QCOMPARE(m_page->table(VelkBroadcast::Upcoming)->rowCount(), 1);
    QVERIFY(!m_page->rowAction(VelkBroadcast::Upcoming, 0, 3)->isEnabled());
    QVERIFY(!m_page->rowAction(VelkBroadcast::Upcoming, 0, 6)->isEnabled());
    QVERIFY(m_page->rowAction(VelkBroadcast::Upcoming, 0, 4)->isEnabled());
    QVERIFY(m_page->rowAction(VelkBroadcast::Upcoming, 0, 5)->isEnabled());

    m_page->rowAction(VelkBroadcast::Upcoming, 0, 4)->trigger();
    QVERIFY(m_page->confirmDialog()->isVisible());
    m_page->confirmDialog()->okClicked();
    QVERIFY(!BroadcastManager::getInstance()->isBroadcastTaskRunning(taskOf(now)));
    QCOMPARE(m_page->table(VelkBroadcast::Upcoming)->rowCount(), 0);
    QCOMPARE(reportOf(now).size(), 0);
    // The run is gone: the panel's late confirmation starts nothing.
    panel->releaseHeldAnswers();
    QTRY_VERIFY(m_log->contains("BroadcastManager::sendBroadcastDataComplete, not found"));
    QCOMPARE(panel->receivedCount(VELK_REMOTE_CMD_START_BROADCAST), 0);
    panel->setAnswerHeld(VELK_REMOTE_RSP_BROADCAST_DATA_COMPLETE, false);
}

void TestBroadcastPage::moveDuplicateAndDelete()
{
    writeRandomFile(m_config.audioFolder + "rec.mp3", 2048);
    writeRandomFile(m_config.audioFolder + "rec_1.mp3", 10);
    VelkBroadcast later = make(VelkBroadcast::Upcoming, "Later", {m_devices.at(1)});
    later.time = "11:30";
    later.audioSelection = 4;
    later.savedAudioFilename = "rec.mp3";
    later.displayedAudioFilename = "Recording.mp3";
    later = store(later);
    openPage(monday("09:00:00"));
    QVERIFY(m_page->rowAction(VelkBroadcast::Upcoming, 0, 3)->isEnabled());

    // A duplicate is pending at once, with its own copy of the sound, and opens in the editor.
    m_page->rowAction(VelkBroadcast::Upcoming, 0, 5)->trigger();
    QCOMPARE(m_page->scheduler()->pendingList().size(), 1);
    const VelkBroadcast copy = m_page->scheduler()->pendingList().first();
    QCOMPARE(copy.savedAudioFilename, QString("rec_2.mp3"));
    QCOMPARE(copy.displayedAudioFilename, QString("Recording.mp3"));
    QCOMPARE(fileSha256(m_config.audioFolder + "rec_2.mp3"), fileSha256(m_config.audioFolder + "rec.mp3"));
    QVERIFY(m_page->editor()->isVisible());
    m_page->editor()->hide();

    m_page->rowAction(VelkBroadcast::Upcoming, 0, 6)->trigger();
    QCOMPARE(m_page->scheduler()->pendingList().size(), 2);
    QCOMPARE(m_page->scheduler()->taskList().size(), 0);

    // Deleting a pending broadcast removes its own sound only.
    int index = m_page->scheduler()->pendingList().at(0).bid == copy.bid ? 0 : 1;
    m_page->rowAction(VelkBroadcast::Pending, index, 1)->trigger();
    m_page->confirmDialog()->okClicked();
    QCOMPARE(m_page->scheduler()->pendingList().size(), 1);
    QVERIFY(!QFile::exists(m_config.audioFolder + "rec_2.mp3"));
    QVERIFY(QFile::exists(m_config.audioFolder + "rec.mp3"));
}

void TestBroadcastPage::refusedDeleteAndMoveKeepTheStoredStateAndSayWhy_data()
{
    WriteRefusal::addRows();
}

// Another program holds the database: Delete and Move to Pending cannot be stored. They failed in silence, a log line
// only; and a delete of a running broadcast stopped its run first, so the broadcast stayed upcoming, not running, and
// the next check sent it again. The rows stay as stored, the run goes on, and the operator is told why.
void TestBroadcastPage::refusedDeleteAndMoveKeepTheStoredStateAndSayWhy()
{
    QFETCH(int, kind);
    // A full disk and another program's hold are told apart: only the hold passes by itself.
    const bool diskFull = kind == WriteRefusal::kFullDisk;
    const QString notDeleted =
        diskFull ? QStringLiteral("The broadcast was not deleted: the disk is full.")
                 : QStringLiteral("The broadcast was not deleted: the database is in use by another program. Try "
                                  "again later.");
    const QString notMoved =
        diskFull ? QStringLiteral("The broadcast was not moved to Pending: the disk is full.")
                 : QStringLiteral("The broadcast was not moved to Pending: the database is in use by another program. "
                                  "Try again later.");
    SimulatedPanel *panel = m_fleet->panel(0);
    panel->setAnswerHeld(VELK_REMOTE_RSP_BROADCAST_DATA_COMPLETE, true);
    panel->resetCounters();
    panel->start();
    QTRY_VERIFY_WITH_TIMEOUT(panel->isConnected() && CmdServer::getInstance()->isDeviceOnline(m_devices.at(0)), 30000);
    VelkBroadcast later = make(VelkBroadcast::Upcoming, "Later", {m_devices.at(1)});
    later.time = "11:30";
    later = store(later);
    const VelkBroadcast draft = store(make(VelkBroadcast::Pending, "Draft", {m_devices.at(2)}));
    openPage(monday("09:00:00"));
    VelkBroadcast now = make(VelkBroadcast::Upcoming, "Now", {m_devices.at(0)});
    now.isNow = true;
    now = store(now);
    emit m_page->editor()->broadcastSettingSavedSuccess(now);
    QTRY_COMPARE_WITH_TIMEOUT(panel->heldAnswerCount(), 1, 30000);
    QCOMPARE(m_page->table(VelkBroadcast::Upcoming)->rowCount(), 2);
    const int running = m_page->scheduler()->taskList().at(0).broadcast.bid == now.bid ? 0 : 1;
    const int waiting = 1 - running;

    const ShortDatabaseWaits waits(100);
    {
        const WriteRefusal refusal(kind, waits.db()->databaseFilePath(), {QStringLiteral("Broadcast")});
        QVERIFY(refusal.isActive());
        auto says = [this](const QString &text) {
            QVERIFY(m_page->messageDialog()->isVisible());
            QCOMPARE(m_page->messageDialog()->message(), text);
            // The whole text shows.
            QLabel *label = m_page->messageDialog()->labelMessage;
            QVERIFY(label->heightForWidth(label->width()) <= label->height());
            m_page->messageDialog()->hide();
        };
        m_page->rowAction(VelkBroadcast::Upcoming, waiting, 6)->trigger();
        says(notMoved);
        m_page->rowAction(VelkBroadcast::Upcoming, running, 4)->trigger();
        m_page->confirmDialog()->okClicked();
        says(notDeleted);
        m_page->rowAction(VelkBroadcast::Pending, 0, 1)->trigger();
        m_page->confirmDialog()->okClicked();
        says(notDeleted);
        QCOMPARE(m_page->table(VelkBroadcast::Upcoming)->rowCount(), 2);
        QCOMPARE(m_page->table(VelkBroadcast::Pending)->rowCount(), 1);
        QVERIFY(BroadcastManager::getInstance()->isBroadcastTaskRunning(taskOf(now)));
    }
    QTRY_VERIFY_WITH_TIMEOUT(waits.db()->heldWrites()->isEmpty(), 30000);
    QList<VelkBroadcast> upcoming, pending;
    QCOMPARE(waits.db()->queryBroadcastByStatus(VelkBroadcast::Upcoming, upcoming), DB_OK);
    QCOMPARE(waits.db()->queryBroadcastByStatus(VelkBroadcast::Pending, pending), DB_OK);
    QCOMPARE(upcoming.size(), 2);
    QCOMPARE(pending.size(), 1);
    QCOMPARE(pending.first().bid, draft.bid);

    // The run goes on to its end, once; the next checks send nothing again.
    panel->setAnswerHeld(VELK_REMOTE_RSP_BROADCAST_DATA_COMPLETE, false);
    panel->releaseHeldAnswers();
    QTRY_COMPARE_WITH_TIMEOUT(m_page->table(VelkBroadcast::Completed)->rowCount(), 1, 30000);
    m_page->scheduler()->refreshBroadcastTables();
    m_page->scheduler()->checkBroadcastTask();
    QTest::qWait(300);
    QCOMPARE(panel->receivedCount(VELK_REMOTE_CMD_BROADCAST_DATA), 1);
    QCOMPARE(panel->receivedCount(VELK_REMOTE_CMD_START_BROADCAST), 1);

    // With the database free again, both are stored and shown at once, without a word.
    m_page->rowAction(VelkBroadcast::Upcoming, 0, 6)->trigger();
    QCOMPARE(m_page->table(VelkBroadcast::Pending)->rowCount(), 2);
    m_page->rowAction(VelkBroadcast::Pending, 0, 1)->trigger();
    m_page->confirmDialog()->okClicked();
    QCOMPARE(m_page->table(VelkBroadcast::Pending)->rowCount(), 1);
    QVERIFY(!m_page->messageDialog()->isVisible());
}

void TestBroadcastPage::refusedDuplicateLeavesNoCopyAndSaysWhy_data()
{
    WriteRefusal::addRows();
}

// Another program holds the database: a Duplicate cannot be stored. It failed in silence and left the copy of the
// uploaded sound in the Audio folder, one more for every try. The operator is told why, the lists show what is stored,
// and no file is left behind; a sound that cannot be copied is said to stop the Duplicate too.
void TestBroadcastPage::refusedDuplicateLeavesNoCopyAndSaysWhy()
{
    QFETCH(int, kind);
    const QString notDuplicated =
        kind == WriteRefusal::kFullDisk
            ? QStringLiteral("The broadcast was not duplicated: the disk is full.")
            : QStringLiteral("The broadcast was not duplicated: the database is in use by another program. Try again "
                             "later.");
    const QDir audio(m_config.audioFolder);
    const QStringList recordings{QStringLiteral("rec*")};
    for (const QString &left : audio.entryList(recordings, QDir::Files))
        QVERIFY(QFile::remove(audio.filePath(left)));
    writeRandomFile(m_config.audioFolder + "rec.mp3", 2048);
    VelkBroadcast recorded = make(VelkBroadcast::Pending, "Recorded", {m_devices.at(0)});
    recorded.audioSelection = 4;
    recorded.savedAudioFilename = "rec.mp3";
    recorded.displayedAudioFilename = "Recording.mp3";
    store(recorded);
    VelkBroadcast later = make(VelkBroadcast::Upcoming, "Later", {m_devices.at(1)});
    later.time = "11:30";
    store(later);
    openPage(monday("09:00:00"));
    auto says = [this](const QString &text) {
        QVERIFY(m_page->messageDialog()->isVisible());
        QCOMPARE(m_page->messageDialog()->message(), text);
        m_page->messageDialog()->hide();
        QVERIFY(!m_page->editor()->isVisible());
    };

    const ShortDatabaseWaits waits(100);
    {
        const WriteRefusal refusal(kind, waits.db()->databaseFilePath(), {QStringLiteral("Broadcast")});
        QVERIFY(refusal.isActive());
        m_page->rowAction(VelkBroadcast::Pending, 0, 2)->trigger();
        says(notDuplicated);
        m_page->rowAction(VelkBroadcast::Pending, 0, 2)->trigger();
        says(notDuplicated);
        m_page->rowAction(VelkBroadcast::Upcoming, 0, 5)->trigger();
        says(notDuplicated);
        QCOMPARE(audio.entryList(recordings, QDir::Files), QStringList{"rec.mp3"});
        QCOMPARE(m_page->table(VelkBroadcast::Pending)->rowCount(), 1);
        QCOMPARE(m_page->table(VelkBroadcast::Upcoming)->rowCount(), 1);
    }
    QTRY_VERIFY_WITH_TIMEOUT(waits.db()->heldWrites()->isEmpty(), 30000);
    QList<VelkBroadcast> pending;
    QCOMPARE(waits.db()->queryBroadcastByStatus(VelkBroadcast::Pending, pending), DB_OK);
    QCOMPARE(pending.size(), 1);
    QCOMPARE(audio.entryList(recordings, QDir::Files), QStringList{"rec.mp3"});

    // The uploaded sound is gone from the folder: nothing is stored without it, and the operator hears why.
    QVERIFY(QFile::remove(audio.filePath("rec.mp3")));
    m_page->rowAction(VelkBroadcast::Pending, 0, 2)->trigger();
    says(QStringLiteral("The broadcast could not be duplicated."));
    QCOMPARE(m_page->table(VelkBroadcast::Pending)->rowCount(), 1);
}

// The lists were refused while another program held the database exclusively, and a write of the console was held
// back by the same hold. Once that write lands the database gives reads too: the lists are read again then, not after
// the pause, however long it has grown.
void TestBroadcastPage::refusedListsComeBackWhenHeldWritesLand()
{
    store(make(VelkBroadcast::Pending, "Draft", {m_devices.at(0)}));
    openPage(monday("09:00:00"));
    BroadcastScheduler *scheduler = m_page->scheduler();
    scheduler->setRereadIntervalMs(600000, 600000);
    QCOMPARE(m_page->table(VelkBroadcast::Pending)->rowCount(), 1);

    const ShortDatabaseWaits waits(50);
    std::unique_ptr<DatabaseHold> hold(new DatabaseHold(waits.db()->databaseFilePath(), DatabaseHold::Exclusive));
    QVERIFY2(hold->isHeld(), qPrintable(hold->error()));
    scheduler->refreshBroadcastTables();
    QCOMPARE(m_page->table(VelkBroadcast::Pending)->rowCount(), 1);
    waits.db()->heldWrites()->writeLater("test", QStringLiteral("a pending broadcast"), [db = waits.db()] {
        VelkBroadcast held = make(VelkBroadcast::Pending, QStringLiteral("Held"), {});
        return db->insertBroadcast(held);
    });
    QTRY_VERIFY(waits.db()->heldWrites()->isRefused());
    hold.reset();

    QTRY_VERIFY_WITH_TIMEOUT(waits.db()->heldWrites()->isEmpty(), 30000);
    // The pause would end long after this ceiling.
    QTRY_COMPARE_WITH_TIMEOUT(m_page->table(VelkBroadcast::Pending)->rowCount(), 2, 30000);
}

void TestBroadcastPage::previewPlaysOneRowAtATime()
{
    VelkBroadcast first = make(VelkBroadcast::Pending, "First", {m_devices.at(0)});
    first.audioSelection = 1;
    store(first);
    VelkBroadcast second = make(VelkBroadcast::Pending, "Second", {m_devices.at(1)});
    second.audioSelection = 4;
    second.savedAudioFilename = "../../elsewhere.mp3"; // only a name inside the Audio folder is ever played
    store(second);
    VelkBroadcast third = make(VelkBroadcast::Pending, "Third", {m_devices.at(1)});
    third.audioSelection = 3;
    store(third);
    writeRandomFile(m_config.audioFolder + "elsewhere.mp3", 10);
    openPage(monday("09:00:00"));
    BroadcastWidget *one = m_page->row(VelkBroadcast::Pending, 0);
    BroadcastWidget *two = m_page->row(VelkBroadcast::Pending, 1);
    BroadcastWidget *three = m_page->row(VelkBroadcast::Pending, 2);

    one->btnAudio->click();
    QCOMPARE(m_player->plays.last(), m_config.audioFolder + "Default_Audio_1.mp3");
    QCOMPARE(m_page->playingRow(), one);
    two->btnAudio->click(); // switches
    QCOMPARE(m_player->plays.last(), m_config.audioFolder + "elsewhere.mp3");
    QCOMPARE(m_page->playingRow(), two);
    QCOMPARE(m_player->stops, 1);
    two->btnAudio->click(); // the playing row's button stops it
    QVERIFY(!m_page->playingRow());
    QCOMPARE(m_player->stops, 2);

    three->btnAudio->click();
    m_player->finishNow();
    QVERIFY(!m_page->playingRow());
    three->btnAudio->click();
    m_player->failNow(); // no audio output: the row goes back to idle
    QVERIFY(!m_page->playingRow());

    // A rebuild of the tables stops the preview first.
    one->btnAudio->click();
    const int stops = m_player->stops;
    m_page->deviceDeleted();
    QCOMPARE(m_player->stops, stops + 1);
    QVERIFY(!m_page->playingRow());

    QFile::remove(m_config.audioFolder + "Default_Audio_3.mp3");
    m_page->row(VelkBroadcast::Pending, 2)->btnAudio->click();
    QVERIFY(!m_page->playingRow());
    QVERIFY(m_log->contains("Broadcast::audioButtonClicked, file not exists: Default_Audio_3.mp3"));
}

void TestBroadcastPage::reportCountsSearchAndSort()
{
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    QList<VelkGroups> groups;
    for (const char *name : {"Zeta", "alpha", "Beta"}) {
        VelkGroups g;
        g.groupName = name;
        QCOMPARE(db->createGroups(g), DB_OK);
        VelkIFPDevice device = m_devices.at(2);
        QCOMPARE(db->joinGroups(device, g), DB_OK);
        groups.append(g);
    }
    VelkBroadcast done = store(make(VelkBroadcast::Completed, "Report me", m_devices));
    QList<VelkIFPDevice> targets = done.devices;
    QCOMPARE(db->insertBroadcastReport(done, targets), DB_OK);
    // Room-001 failed off, Room-002 failed silent, Room-003 took it, Room-004 has no result.
    QCOMPARE(db->updateBroadcastReport(targets[0], done, 2, 1), DB_OK);
    QCOMPARE(db->updateBroadcastReport(targets[1], done, 2, 2), DB_OK);
    QCOMPARE(db->updateBroadcastReport(targets[2], done, 1, 0), DB_OK);
    openPage(monday("09:00:00"));
    m_page->rowAction(VelkBroadcast::Completed, 0, 7)->trigger();
    BroadcastReportDialog *report = m_page->reportDialog();
    QVERIFY(report->isVisible());
    auto names = [report] {
        QStringList list;
        for (int i = 0; i < report->tableWidgetReport->rowCount(); ++i)
            list.append(report->tableWidgetReport->item(i, 0)->text());
        return list;
    };
    QCOMPARE(report->btnStatusAll->text(), QString("All (4)"));
    QCOMPARE(report->btnStatusSuccessfully->text(), QString("Successfully (1)"));
    QCOMPARE(report->btnStatusFailed->text(), QString("Failed (2)"));
    QCOMPARE(report->labelTotalInfo->text(), QString("4 devices in total"));
    QCOMPARE(names(), QStringList({"Room-001", "Room-002", "Room-003", "Room-004"}));
    QCOMPARE(report->tableWidgetReport->item(2, 1)->text(), QString("Beta, Zeta, alpha"));
    QCOMPARE(report->tableWidgetReport->item(0, 3)->text(), QString("Power-off"));
    QCOMPARE(report->tableWidgetReport->item(1, 3)->text(), QString("No connection"));
    QCOMPARE(report->tableWidgetReport->item(3, 2)->text(), QString());

    // Search runs on Return, ignores case and matches the shown texts; the counts follow it, the total does not.
    QTest::keyClicks(report->lineEditFilter, "power");
    QCOMPARE(names().size(), 4);
    QTest::keyClick(report->lineEditFilter, Qt::Key_Return);
    QCOMPARE(names(), QStringList({"Room-001"}));
    report->lineEditFilter->setText("FAIL");
    QTest::keyClick(report->lineEditFilter, Qt::Key_Return);
    QCOMPARE(names(), QStringList({"Room-001", "Room-002"}));
    QCOMPARE(report->btnStatusAll->text(), QString("All (2)"));
    report->btnStatusSuccessfully->click();
    QCOMPARE(names(), QStringList());
    QCOMPARE(report->btnStatusFailed->text(), QString("Failed (2)"));
    report->lineEditFilter->setText("nothing like it");
    QTest::keyClick(report->lineEditFilter, Qt::Key_Return);
    QCOMPARE(report->btnStatusAll->text(), QString("All (0)"));
    QCOMPARE(report->btnStatusFailed->text(), QString("Failed (0)"));
    QCOMPARE(report->labelTotalInfo->text(), QString("4 devices in total"));
    report->lineEditFilter->setText("");
    QTest::keyClick(report->lineEditFilter, Qt::Key_Return);
    report->btnStatusAll->click();

    // Device twice: descending, then ascending. Status after a descending sort starts descending: failed first.
    report->reportHeaderDevice->clicked();
    QCOMPARE(names(), QStringList({"Room-004", "Room-003", "Room-002", "Room-001"}));
    QCOMPARE(report->sortIndicator(BroadcastReportModel::Device)->state(), 1);
    QCOMPARE(report->sortIndicator(BroadcastReportModel::Notes)->state(), 3);
    report->reportHeaderDevice->clicked();
    QCOMPARE(names(), QStringList({"Room-001", "Room-002", "Room-003", "Room-004"}));
    report->reportHeaderDevice->clicked();
    report->reportHeaderStatus->clicked();
    QCOMPARE(names(), QStringList({"Room-002", "Room-001", "Room-003", "Room-004"}));
    // Equal groups (none) tie by name in the sort's direction.
    report->reportHeaderGroup->clicked();
    QCOMPARE(names(), QStringList({"Room-003", "Room-004", "Room-002", "Room-001"}));

    // Reopening starts from the defaults.
    report->btnStatusFailed->click();
    m_page->rowAction(VelkBroadcast::Completed, 0, 7)->trigger();
    QCOMPARE(names(), QStringList({"Room-001", "Room-002", "Room-003", "Room-004"}));
    QCOMPARE(report->sortIndicator(BroadcastReportModel::Device)->state(), 0);
    QCOMPARE(report->sortIndicator(BroadcastReportModel::Group)->state(), 2);

    VelkBroadcast single = store(make(VelkBroadcast::Completed, "Single", {m_devices.at(3)}));
    report->showBroadcastReport(single); // no rows at all
    QCOMPARE(report->labelTotalInfo->text(), QString("0 device in total"));
    QCOMPARE(report->btnStatusAll->text(), QString("All (0)"));
    QList<VelkIFPDevice> one = {m_devices.at(3)};
    QCOMPARE(db->insertBroadcastReport(single, one), DB_OK);
    report->showBroadcastReport(single);
    QCOMPARE(report->labelTotalInfo->text(), QString("1 device in total"));
    for (VelkGroups &g : groups)
        db->deleteGroups(g);
}

QTEST_MAIN(TestBroadcastPage)
#include "tst_broadcast_page.moc"
