// Exit from the tray while writes are held back because another program held the database: the console ends once they
// are written, with its window answering meanwhile, and while the database still refuses them it says how many
// records are not saved and lets the operator wait for them or quit without them. The real frame on a real database
// held by a second connection (tests/support/DatabaseHold.h).
//
// Quitting takes effect only in the application's event loop, so the steps that may quit run inside it.

#include <QtTest>

#include <QApplication>
#include <QSet>
#include <QSqlQuery>
#include <QTimer>
#include <QTranslator>

#include <functional>
#include <memory>

#include "FrameTestSupport.h"
#include "datastore/DbHeldWrites.h"
#include "devices/AlertRoad.h"
#include "devices/Management.h"
#include "devices/ManagementAddDevice.h"
#include "emergency/EmergencyWarningDialog.h"
#include "network/NetTestSupport.h"
#include "shell/app/ExitPendingNotice.h"
#include "shell/app/ExitUnsavedDialog.h"
#include "shell/app/FrameLayoutPage.h"
#include "shell/app/HeldWritesExit.h"
#include "support/DatabaseHold.h"
#include "support/EventLoopGaps.h"
#include "support/LogCapture.h"
#include "support/ShortDatabaseWaits.h"
#include "support/TestEnv.h"
#include "support/TryCeiling.h"
#include "support/WriteRefusal.h"

namespace {

// The exit code of an event loop that nothing quit.
constexpr int kStillRunning = 77;

} // namespace

class TestFrameExit : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void exitWritesEveryHeldWriteFirst();
    void exitAsksWhileTheDatabaseIsHeld_data();
    void exitAsksWhileTheDatabaseIsHeld();
    void questionShowsItsWholeTextInEachLanguage_data();
    void questionShowsItsWholeTextInEachLanguage();
    void keyOnTheQuestionWaits_data();
    void keyOnTheQuestionWaits();
    void waitingExitIsShownAndCanBeCalledOff_data();
    void waitingExitIsShownAndCanBeCalledOff();
    void sosWhileExitWaitsKeepsTheConsoleUntilAnswered();

private:
    // Runs steps inside the application's event loop and returns its exit code: what quit it said, or kStillRunning
    // when nothing did by a while after the steps.
    int runInEventLoop(const std::function<void()> &steps);
    // The question as the operator meets it: Exit chosen while another program holds the database.
    ExitUnsavedDialog *askedToExit();
    // Held writes made while the database refuses them, each a group and an event-log row that names it.
    void holdRows(OrvantaDBIntf *db, const QString &prefix, int rows);
    int rowsOf(const QString &prefix) const;

    QTranslator m_english;
    TestEnv *m_env = nullptr;
    FrameLayoutPage *m_frame = nullptr;
};

void TestFrameExit::initTestCase()
{
    // As start-up does: the English file gives the texts their singular forms.
    QVERIFY(m_english.load(QStringLiteral(QV_LANG_BUILD_DIR "/Orvanta_en_US.qm")));
    QCoreApplication::installTranslator(&m_english);
    m_env = new TestEnv;
    QVERIFY(m_env->isValid());
    useLoopbackNetwork();
    QVERIFY(OrvantaDBManager::getInstance());
    m_frame = new FrameLayoutPage(storedAccount(true));
    m_frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_frame));
}

void TestFrameExit::cleanupTestCase()
{
    delete m_frame;
    delete m_env;
}

int TestFrameExit::runInEventLoop(const std::function<void()> &steps)
{
    QTimer stillRunning;
    stillRunning.setSingleShot(true);
    connect(&stillRunning, &QTimer::timeout, []() { QCoreApplication::exit(kStillRunning); });
    QTimer::singleShot(0, this, [&]() {
        steps();
        stillRunning.start(QuorvinTryCeilingMs);
    });
    return QCoreApplication::exec();
}

void TestFrameExit::holdRows(OrvantaDBIntf *db, const QString &prefix, int rows)
{
    for (int i = 0; i < rows; ++i) {
        const QString name = QStringLiteral("%1 %2").arg(prefix).arg(i);
        db->heldWrites()->writeLater("test", name, [db, name] {
            VelkGroups group;
            group.groupName = name;
            group.groupType = QStringLiteral("Control Box");
            const quint32 rc = db->createGroups(group);
            if (rc != DB_OK)
                return rc;
            VelkEventLog event;
            event.deviceName = name;
            event.time = QStringLiteral("2026-03-02 09:15:00");
            return db->insertEventLog(event);
        });
    }
}

int TestFrameExit::rowsOf(const QString &prefix) const
{
    QList<VelkEventLog> events;
    OrvantaDBManager::getInstance()->queryEventLog(events);
    int rows = 0;
    for (const VelkEventLog &event : qAsConst(events))
        rows += event.deviceName.startsWith(prefix + QLatin1Char(' ')) ? 1 : 0;
    return rows;
}

// The hold ended a moment ago and the next try is still far off: quitting wrote one slice of the held writes and
// dropped the rest (4,700 of 20,000). Exit writes them all, with the window answering between slices, and then ends.
void TestFrameExit::exitWritesEveryHeldWriteFirst()
{
    constexpr int kRows = 20000;
    const ShortDatabaseWaits waits(50, 60000);
    OrvantaDBManager *db = waits.db();
    {
        DatabaseHold writer(db->databaseFilePath(), DatabaseHold::Writer);
        QVERIFY2(writer.isHeld(), qPrintable(writer.error()));
        holdRows(db, QStringLiteral("Exit"), kRows);
        QTRY_VERIFY(db->heldWrites()->isRefused());
    }
    LogCapture log;
    // The window answers meanwhile: the event loop turns between slices of the writes.
    EventLoopGaps gaps(0, 1000);
    const int code = runInEventLoop([&] {
        gaps.start();
        m_frame->closeProgram();
        QTRY_VERIFY(db->heldWrites()->isEmpty());
    });
    gaps.stop();
    QCOMPARE(code, 0);
    QCOMPARE(rowsOf(QStringLiteral("Exit")), kRows);
    QVERIFY2(gaps.longest() < 1000, qPrintable(QString::number(gaps.longest())));
    QVERIFY(!visibleTopLevel<ExitUnsavedDialog>());
    QVERIFY(!log.contains(QStringLiteral("held writes not written")));
}

void TestFrameExit::exitAsksWhileTheDatabaseIsHeld_data()
{
    QTest::addColumn<int>("kind"); // WriteRefusal
    QTest::addColumn<QString>("cause");
    QTest::addColumn<bool>("waitForThem");
    const QString held = QStringLiteral("another program holds the database");
    QTest::newRow("wait") << int(DatabaseHold::Writer) << held << true;
    QTest::newRow("quit without them") << int(DatabaseHold::Writer) << held << false;
    // The question blamed another program for a full disk.
    const QString full = QStringLiteral("the disk is full");
    QTest::newRow("disk full, wait") << WriteRefusal::kFullDisk << full << true;
    QTest::newRow("disk full, quit without them") << WriteRefusal::kFullDisk << full << false;
}

// Another program still holds the database at Exit, or its disk is full: the operator learns how many records are not
// saved, and why. Waiting, the console ends by itself once they are written, without asking again meanwhile; quitting
// names them in the log.
void TestFrameExit::exitAsksWhileTheDatabaseIsHeld()
{
    QFETCH(int, kind);
    QFETCH(QString, cause);
    QFETCH(bool, waitForThem);
    const QString prefix = QString::fromLatin1(QTest::currentDataTag());
    const ShortDatabaseWaits waits(50, 50);
    OrvantaDBManager *db = waits.db();
    auto writer = std::make_unique<WriteRefusal>(kind, db->databaseFilePath(), QStringList{QStringLiteral("Groups")});
    QVERIFY2(writer->isActive(), qPrintable(writer->error()));
    holdRows(db, prefix, 30);
    QTRY_VERIFY(db->heldWrites()->isRefused());
    LogCapture log;
    QString asked;
    bool askedAgain = false;
    const int code = runInEventLoop([&] {
        m_frame->closeProgram();
        QTRY_VERIFY(visibleTopLevel<ExitUnsavedDialog>());
        ExitUnsavedDialog *dialog = visibleTopLevel<ExitUnsavedDialog>();
        asked = dialog->labelMessage->text();
        if (!waitForThem) {
            dialog->btnQuit->click();
            return;
        }
        dialog->btnWait->click();
        // Tries go on every 50 ms and are refused: the question does not come back.
        QTest::qWait(400);
        askedAgain = visibleTopLevel<ExitUnsavedDialog>() != nullptr;
        writer.reset();
        QTRY_VERIFY(db->heldWrites()->isEmpty());
    });
    writer.reset();
    QCOMPARE(code, 0);
    QCOMPARE(asked, QStringLiteral("30 records are not saved yet: %1. Wait, and the console ends by itself once they "
                                   "are saved, or quit without them?")
                        .arg(cause));
    QVERIFY(!askedAgain);
    QVERIFY(!visibleTopLevel<ExitUnsavedDialog>());
    QVERIFY(db->heldWrites()->isEmpty());
    QCOMPARE(rowsOf(prefix), waitForThem ? 30 : 0);
    const QStringList named = log.linesWith(QStringLiteral("held writes not written"));
    QCOMPARE(named.size(), waitForThem ? 0 : 1);
    if (!waitForThem)
        QVERIFY2(named.first().contains(QStringLiteral("30 held writes not written")), qPrintable(named.first()));
}

void TestFrameExit::questionShowsItsWholeTextInEachLanguage_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("wait");
    QTest::newRow("English") << QStringLiteral("en_US") << QStringLiteral("Wait");
    QTest::newRow("Traditional Chinese") << QStringLiteral("zh_TW") << QStringLiteral("等候");
}

// The question in either language, with the most records a large hold leaves, is shown whole in the kit's dialog,
// and names each cause in words of its own.
void TestFrameExit::questionShowsItsWholeTextInEachLanguage()
{
    QFETCH(QString, language);
    QFETCH(QString, wait);
    QTranslator translator;
    QVERIFY(translator.load(QStringLiteral(QV_LANG_BUILD_DIR "/Orvanta_") + language + QStringLiteral(".qm")));
    QCoreApplication::installTranslator(&translator);
    QSet<QString> asked;
    for (const DbHoldCause cause : {DbHoldCause::AnotherProgram, DbHoldCause::DiskFull, DbHoldCause::FileError}) {
        ExitUnsavedDialog dialog;
        dialog.setRecords(123456, cause);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.btnWait->text(), wait);
        QVERIFY(dialog.labelMessage->text().contains(QStringLiteral("123456")));
        const int needs = dialog.labelMessage->heightForWidth(dialog.labelMessage->width());
        QVERIFY2(needs <= dialog.labelMessage->height(),
                 qPrintable(QStringLiteral("%1 > %2").arg(needs).arg(dialog.labelMessage->height())));
        QVERIFY(dialog.labelMessage->geometry().bottom() < dialog.btnWait->geometry().top());
        asked.insert(dialog.labelMessage->text());
    }
    QCOMPARE(asked.size(), 3);
    {
        // The notice of the waiting exit, with its longest text.
        ExitPendingNotice notice;
        notice.setWaits(2, 123456);
        notice.show();
        QVERIFY(QTest::qWaitForWindowExposed(&notice));
        QVERIFY(notice.labelMessage->text().contains(QStringLiteral("123456")));
        const int needs = notice.labelMessage->heightForWidth(notice.labelMessage->width());
        QVERIFY2(needs <= notice.labelMessage->height(),
                 qPrintable(QStringLiteral("%1 > %2").arg(needs).arg(notice.labelMessage->height())));
        QVERIFY(notice.labelMessage->geometry().bottom() < notice.btnStayOpen->geometry().top());
    }
    QCoreApplication::removeTranslator(&translator);
}

void TestFrameExit::keyOnTheQuestionWaits_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Enter") << int(Qt::Key_Return);
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
    QTest::newRow("Space") << int(Qt::Key_Space);
    QTest::newRow("Escape") << int(Qt::Key_Escape);
}

// One Space on the question dropped the records: the focus began on Quit, with no mark to show it, and Enter did
// nothing. Waiting loses nothing: Wait has the focus, marked, and every key that answers takes it.
void TestFrameExit::keyOnTheQuestionWaits()
{
    QFETCH(int, key);
    ExitUnsavedDialog dialog;
    dialog.setRecords(7, DbHoldCause::AnotherProgram);
    QSignalSpy waited(&dialog, &ExitUnsavedDialog::waitChosen);
    QSignalSpy quit(&dialog, &ExitUnsavedDialog::quitChosen);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(QApplication::focusWidget(), dialog.btnWait);
    // The mark: the button with the keyboard looks other than without it.
    const QImage marked = dialog.btnWait->grab().toImage();
    dialog.btnQuit->setFocus();
    const QImage unmarked = dialog.btnWait->grab().toImage();
    QVERIFY(marked != unmarked);
    dialog.btnWait->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
    QCOMPARE(waited.count(), 1);
    QCOMPARE(quit.count(), 0);
    QVERIFY(!dialog.isVisible());
}

ExitUnsavedDialog *TestFrameExit::askedToExit()
{
    m_frame->closeProgram();
    ExitUnsavedDialog *dialog = nullptr;
    return QTest::qWaitFor([&dialog] { return (dialog = visibleTopLevel<ExitUnsavedDialog>()) != nullptr; },
                           QuorvinTryCeilingMs)
               ? dialog
               : nullptr;
}

void TestFrameExit::waitingExitIsShownAndCanBeCalledOff_data()
{
    QTest::addColumn<int>("warnings");
    QTest::addColumn<bool>("addDevice");
    QTest::addColumn<QString>("notice"); // the row of each SOS is held as well
    const QString records = QStringLiteral("The console will close once 1 record is saved.");
    QTest::newRow("no other window") << 0 << false << records;
    QTest::newRow("Add Device with a name typed") << 0 << true << records;
    QTest::newRow("an SOS warning") << 1 << false
                                    << QStringLiteral("The console will close once the emergency alert is answered "
                                                      "and 2 records are saved.");
    QTest::newRow("two SOS warnings over Add Device")
        << 2 << true
        << QStringLiteral("The console will close once the 2 emergency alerts are answered and 3 records are saved.");
}

// Nothing on screen said that an exit waited, and it could not be taken back: the console ended by itself whenever
// the database let go. Waiting shows a notice with what is still awaited, which calls the exit off: the records are
// written all the same and the console stays, until Exit is chosen again. A modal window (an SOS warning, a dialog
// being filled in) blocked the notice: Stay Open did nothing, and the console ended with the dialog and what was typed
// in it. Called off, the held writes kept the exit's pace: a try at every first pause, each refusal reported as at
// exit.
void TestFrameExit::waitingExitIsShownAndCanBeCalledOff()
{
    QFETCH(int, warnings);
    QFETCH(bool, addDevice);
    QFETCH(QString, notice);
    QStringList sos;
    for (static int device = 20; sos.size() < warnings; ++device) {
        // A device of its own for each warning: an answered one's SOS is dropped for a while.
        sos << addManagedDevice(QStringLiteral("Room %1").arg(device), testMac(device), QStringLiteral("127.0.0.1"))
                   .macAddress;
    }
    const ShortDatabaseWaits waits(50, 50);
    OrvantaDBManager *db = waits.db();
    db->heldWrites()->setRetryIntervalMs(50, 400);
    auto writer = std::make_unique<DatabaseHold>(db->databaseFilePath(), DatabaseHold::Writer);
    QVERIFY2(writer->isHeld(), qPrintable(writer->error()));
    const QString prefix = QString::fromLatin1(QTest::currentDataTag());
    holdRows(db, prefix, 1);
    QTRY_VERIFY(db->heldWrites()->isRefused());
    QString asked;
    QString noticed;
    int quitWhileCalledOff = -1;
    const int code = runInEventLoop([&] {
        ExitUnsavedDialog *question = askedToExit();
        QVERIFY(question);
        asked = question->labelMessage->text();
        QSignalSpy quit(m_frame->findChild<HeldWritesExit *>(), &HeldWritesExit::quit);
        question->btnWait->click();
        ExitPendingNotice *pending = visibleTopLevel<ExitPendingNotice>();
        QVERIFY(pending);
        ManagementAddDevice *dialog = nullptr;
        if (addDevice) {
            m_frame->findChild<Management *>()->btnAddDevice->click();
            QVERIFY((dialog = visibleTopLevel<ManagementAddDevice>()) != nullptr);
            QTest::keyClicks(dialog->editName, QStringLiteral("Art Room"));
        }
        for (const QString &mac : qAsConst(sos))
            m_frame->findChild<Management *>()->alertRoad()->handleSafeAlert(mac);
        noticed = pending->labelMessage->text();
        // Pressed as the operator's mouse presses it: the window system drops a click on a blocked window.
        QCoreApplication::processEvents();
        QTest::mouseClick(pending->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                          pending->btnStayOpen->mapTo(pending, pending->btnStayOpen->rect().center()));
        QTRY_VERIFY(!pending->isVisible());
        QSignalSpy reported(db->heldWrites(), &DbHeldWrites::refusedAtExit);
        // Refused after pauses that grow again: 50, 100, 200 ms, then the longest.
        QTRY_COMPARE(db->heldWrites()->pauseMs(), 400);
        QCOMPARE(reported.count(), 0);
        writer.reset();
        QTRY_VERIFY(db->heldWrites()->isEmpty());
        // The last write ended a waiting exit within one turn of the event loop.
        QTest::qWait(300);
        quitWhileCalledOff = quit.count();
        QCOMPARE(dialog && dialog->isVisible() ? dialog->editName->text() : QString(),
                 addDevice ? QStringLiteral("Art Room") : QString());
        while (QPointer<EmergencyWarningDialog> warning = visibleTopLevel<EmergencyWarningDialog>()) {
            warning->btnClear->click();
            QTRY_VERIFY(!warning || !warning->isVisible());
        }
        if (dialog)
            dialog->reject();
        // Chosen again, with nothing held and no warning open, the exit is at once.
        m_frame->closeProgram();
    });
    writer.reset();
    QCOMPARE(code, 0);
    QCOMPARE(quitWhileCalledOff, 0);
    QCOMPARE(rowsOf(prefix), 1);
    QVERIFY2(asked.startsWith(QStringLiteral("1 record is not saved yet")), qPrintable(asked));
    QCOMPARE(noticed, notice);
    QVERIFY(!visibleTopLevel<ExitPendingNotice>());
}

// Exit chosen, Wait, and an SOS came: when the held writes landed the console ended within 0.2 s, and the warning,
// the red frame, the alarm and the panel's stop-alert went with it. An open warning holds the exit until it is
// answered; the stop-alert is on its way to the panel before the console ends.
void TestFrameExit::sosWhileExitWaitsKeepsTheConsoleUntilAnswered()
{
    const VelkIFPDevice device = addManagedDevice(QStringLiteral("Room 7"), testMac(7), QStringLiteral("127.0.0.9"));
    SimulatedPanel panel(identityWith(7, QStringLiteral("kelvo")), directSettings(7));
    panel.start();
    QTRY_VERIFY(panel.isConnected() && CmdServer::getInstance()->getChannel(device.macAddress));

    const ShortDatabaseWaits waits(50, 50);
    OrvantaDBManager *db = waits.db();
    auto writer = std::make_unique<DatabaseHold>(db->databaseFilePath(), DatabaseHold::Writer);
    QVERIFY2(writer->isHeld(), qPrintable(writer->error()));
    holdRows(db, QStringLiteral("During"), 7);
    QTRY_VERIFY(db->heldWrites()->isRefused());
    LogCapture log;
    int quitBeforeAnswer = -1;
    bool warnedAfterWrites = false;
    QString noticeAfterWrites;
    qint64 unsentAtAnswer = -1;
    const int code = runInEventLoop([&] {
        ExitUnsavedDialog *question = askedToExit();
        QVERIFY(question);
        QSignalSpy quit(m_frame->findChild<HeldWritesExit *>(), &HeldWritesExit::quit);
        question->btnWait->click();
        panel.raiseSos();
        EmergencyWarningDialog *warning = nullptr;
        QTRY_VERIFY((warning = visibleTopLevel<EmergencyWarningDialog>()) != nullptr);
        writer.reset();
        QTRY_VERIFY(db->heldWrites()->isEmpty());
        QTest::qWait(500);
        quitBeforeAnswer = quit.count();
        warnedAfterWrites = warning->isVisible();
        if (ExitPendingNotice *notice = visibleTopLevel<ExitPendingNotice>())
            noticeAfterWrites = notice->labelMessage->text();
        warning->btnClear->click();
        // Nothing has turned the event loop since the answer.
        unsentAtAnswer =
            CmdServer::getInstance()->getChannel(device.macAddress)->findChild<QTcpSocket *>()->bytesToWrite();
        QTRY_COMPARE(panel.receivedCount(VELK_REMOTE_CMD_STOP_SAFE_ALERT), 1);
    });
    writer.reset();
    QCOMPARE(code, 0);
    QCOMPARE(quitBeforeAnswer, 0);
    QVERIFY(warnedAfterWrites);
    QCOMPARE(noticeAfterWrites, QStringLiteral("The console will close once the emergency alert is answered."));
    QCOMPARE(unsentAtAnswer, qint64(0));
    QCOMPARE(rowsOf(QStringLiteral("During")), 7);
    QCOMPARE(log.count(QStringLiteral("Exit waits for the SOS warning to be answered")), 1);
    QVERIFY(!visibleTopLevel<ExitPendingNotice>());
}

QTEST_MAIN(TestFrameExit)
#include "tst_frame_exit.moc"
