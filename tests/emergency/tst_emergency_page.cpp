#include "audio/AudioMeterSink.h"
#include "devices/AlertRoad.h"
#include "devices/CameraLink.h"
#include "devices/DeviceTableModel.h"
#include "devices/Management.h"
#include "devices/ManagementAddDevice.h"
#include "devices/ManagementEditDevice.h"
#include "emergency/CameraLinkStore.h"
#include "emergency/EmergencyDialog.h"
#include "emergency/EmergencySettingNotifyDialog.h"
#include "emergency/EmergencyTestSupport.h"
#include "emergency/EmergencyWarningDialog.h"
#include "emergency/ManagementAddCamera.h"
#include "emergency/NotifyDownloadDialog.h"
#include "emergency/Ui_NotifyDownloadDialog.h"
#include "frame/FrameTestSupport.h"
#include "platform/CameraLinkSettings.h"
#include "platform/SingleInstance.h"
#include "platform/audio/AudioFolder.h"
#include "platform/audio/AudioOutputProbe.h"
#include "platform/audio/MediaPlaybackWorker.h"
#include "platform/audio/MediaSoundPlayer.h"
#include "shell/app/AppIdentity.h"
#include "shell/app/FrameLayoutPage.h"
#include "shell/app/MainWindowFinder.h"
#include "shell/base/Clock.h"
#include "shell/base/Session.h"
#include "support/FakeSoundPlayer.h"
#include "support/TryCeiling.h"

#include <QApplication>
#include <QCheckBox>
#include <QProcess>
#include <QTimer>
#include <QWindow>

namespace {

EmergencyWarningDialog *shownWarning(const QString &deviceName)
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        auto *warning = qobject_cast<EmergencyWarningDialog *>(widget);
        if (warning && warning->isVisible() && warning->lbDeviceName->text() == deviceName)
            return warning;
    }
    return nullptr;
}

QList<EmergencyWarningDialog *> shownWarnings()
{
    QList<EmergencyWarningDialog *> shown;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        auto *warning = qobject_cast<EmergencyWarningDialog *>(widget);
        if (warning && warning->isVisible())
            shown.append(warning);
    }
    return shown;
}

// The order in which top-level windows were raised, newest last.
class RaiseOrder : public QObject
{
public:
    RaiseOrder() { qApp->installEventFilter(this); }
    // The position of the window's last raise, -1 when it was not raised since clear().
    int lastRaise(QWidget *window) const { return m_raised.lastIndexOf(window); }
    void clear() { m_raised.clear(); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::ZOrderChange && watched->isWidgetType() &&
            static_cast<QWidget *>(watched)->isWindow())
            m_raised.append(watched);
        return false;
    }

private:
    QList<QObject *> m_raised;
};

QList<VelkDeviceCameraMap> pairingsOf(const QString &deviceName)
{
    const quint32 did = storedDevice(deviceName).did;
    QList<VelkDeviceCameraMap> all;
    OrvantaDBManager::getInstance()->queryDeviceCameraMapping(all);
    QList<VelkDeviceCameraMap> rows;
    for (const VelkDeviceCameraMap &mapping : qAsConst(all)) {
        if (quint32(mapping.did) == did)
            rows.append(mapping);
    }
    return rows;
}

// Checks the pairing dialog's row of that camera name and saves, as the operator would.
void chooseCamera(ManagementAddCamera *pairing, const QString &cameraName)
{
    QVERIFY(pairing->isVisible());
    for (int row = 0; row < pairing->tableWidget->rowCount(); ++row)
        pairing->checkBoxes().at(row)->setChecked(pairing->tableWidget->item(row, 3)->text() == cameraName);
    pairing->btnSave->click();
    QVERIFY(!pairing->isVisible());
}

} // namespace

// The whole road in the console: the main frame with its device-management page, the real
// command server on 127.0.0.1 and simulated panels sending SOS.
class TestEmergencyPage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void anSosRaisesTheWindowOneWarningAndTheAlarm();
    void anAlarmThatCannotSoundBeepsAndEveryWarningSaysSo();
    void theAlarmComesBackThroughItsSoundServer_data();
    void theAlarmComesBackThroughItsSoundServer();
    void warningsStayInFrontOfTheWindow();
    void warningsBelongToTheWindowWhateverRaisesIt();
    void restoringTheOlderWarningKeepsTheNewerOnTop();
    void macFormsAndUnknownMacs();
    void panelsWithoutAMacOfTheirOwnAreAnsweredByDevice();
    void unmuteGoesThroughTheMixerTool();
    void cameraLinkFromSettingsToTheProgram();
    void ptzCameraFieldPairsAnAudioBox();

private:
    void answerAll();

    std::unique_ptr<TestEnv> m_env;
    FrameLayoutPage *m_frame = nullptr;
    Management *m_page = nullptr;
    AlertRoad *m_road = nullptr;
    SoundPlayer *m_realPlayer = nullptr;
    AudioSystemHandler *m_realUnmuter = nullptr;
    Clock *m_realClock = nullptr;
    std::unique_ptr<LogCapture> m_log;
    std::unique_ptr<FakeSoundPlayer> m_player;
    std::unique_ptr<CountingUnmuter> m_unmuter;
    std::unique_ptr<ManualClock> m_clock;
    QList<SimulatedPanel *> m_panels;
};

void TestEmergencyPage::initTestCase()
{
    m_env = std::make_unique<TestEnv>();
    QVERIFY(createCameraDatabase());
    NetworkConfig::setCurrent(loopbackNetworkConfig(m_env->home()));
    isAdminLogin = true;
    m_frame = new FrameLayoutPage(storedAccount(true));
    m_frame->show();
    m_page = m_frame->findChild<Management *>();
    QVERIFY(m_page);
    m_road = m_page->alertRoad();
    m_realPlayer = m_road->player();
    m_realUnmuter = m_road->unmuter();
    m_realClock = m_road->clock();
    // The page's own player, where a test hands it back, sounds into the meter, never into this machine's output.
    QVERIFY2(AudioMeterSink::install(), "GStreamer took no audio meter sink");
    // Chosen by GStreamer's automatic sink, as a sound server is: a sound opened while it is gone plays into nothing.
    AudioMeterSink::setOnlyAutomaticChoice(true);
    // The page installs the alarm into the Audio folder as it starts.
    QVERIFY(QFile::exists(AudioFolder::path() + AudioFolder::alarmName()));
}

void TestEmergencyPage::init()
{
    m_log = std::make_unique<LogCapture>();
    m_player = std::make_unique<FakeSoundPlayer>();
    m_unmuter = std::make_unique<CountingUnmuter>();
    m_clock = std::make_unique<ManualClock>(QDateTime(QDate(2026, 9, 1), QTime(10, 30, 0)));
    m_road->setPlayer(m_player.get());
    m_road->setUnmuter(m_unmuter.get());
    m_road->setClock(m_clock.get());
}

void TestEmergencyPage::cleanup()
{
    answerAll();
    qDeleteAll(m_panels);
    m_panels.clear();
    m_road->setPlayer(m_realPlayer);
    m_road->setUnmuter(m_realUnmuter);
    m_road->setClock(m_realClock);
    m_log.reset();
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<QDialog *>(widget))
            widget->hide();
    }
    QList<VelkIFPDevice> devices;
    OrvantaDBManager::getInstance()->queryAllAvailableIFP(devices);
    for (VelkIFPDevice device : qAsConst(devices))
        OrvantaDBManager::getInstance()->deleteIFPDevice(device);
}

void TestEmergencyPage::cleanupTestCase()
{
    delete m_frame;
    m_env.reset();
}

void TestEmergencyPage::answerAll()
{
    for (EmergencyWarningDialog *warning : shownWarnings())
        warning->btnClear->click();
    QCoreApplication::processEvents();
}

void TestEmergencyPage::anSosRaisesTheWindowOneWarningAndTheAlarm()
{
    SimulatedPanel *panel = connectSimulatedPanel(m_panels, 1, QStringLiteral("Music Room"));
    QVERIFY(panel->isConnected());
    m_frame->showMinimized();
    const int events = eventLog().size();

    panel->raiseSos();
    QTRY_COMPARE(shownWarnings().size(), 1);
    EmergencyWarningDialog *warning = shownWarnings().first();
    QCOMPARE(warning->lbDeviceName->text(), QStringLiteral("Music Room"));
    QCOMPARE(warning->lbLocation->text(), QStringLiteral("Room Music Room"));
    QCOMPARE(warning->lbIpAddress->text(), QStringLiteral("127.0.0.3"));
    QCOMPARE(warning->lbTime->text(), QStringLiteral("2026-09-01 10:30:00"));
    QVERIFY(!warning->btnOpenCamera->isEnabled()); // no camera paired
    QVERIFY(m_frame->isVisible() && !m_frame->isMinimized());
    QVERIFY(m_frame->sosBackground->isVisible());
    QCOMPARE(eventLog().size(), events + 1);
    QCOMPARE(eventLog().last().deviceName, QStringLiteral("Music Room"));
    QCOMPARE(m_unmuter->calls, 1);
    QVERIFY(m_player->isPlaying());
    QCOMPARE(m_player->currentFile(), AudioFolder::path() + AudioFolder::alarmName());

    // A repeat while the warning is shown raises nothing.
    panel->raiseSos();
    QTRY_COMPARE(panel->receivedCount(VELK_REMOTE_RSP_SAFE_ALERT), 2);
    QTest::qWait(50);
    QCOMPARE(shownWarnings().size(), 1);

    // "No action required": one stop-alert to that panel, the marker off, the alarm stopped.
    warning->btnClear->click();
    QTRY_COMPARE(panel->receivedCount(VELK_REMOTE_CMD_STOP_SAFE_ALERT), 1);
    QVERIFY(shownWarnings().isEmpty());
    QVERIFY(!m_frame->sosBackground->isVisible());
    QVERIFY(!m_player->isPlaying());

    // Within 5 s of the answer: nothing, logged; more than 5 s after it: a new alert.
    m_clock->advance(4000);
    panel->raiseSos();
    QTRY_VERIFY(m_log->contains(QStringLiteral("dropped, answered 4000 ms ago")));
    QCOMPARE(shownWarnings().size(), 0);
    m_clock->advance(1001);
    panel->raiseSos();
    QTRY_COMPARE(shownWarnings().size(), 1);
    QCOMPARE(m_unmuter->calls, 2);

    // Two panels at once: two warnings, one alarm, which stops with the last answer.
    SimulatedPanel *second = connectSimulatedPanel(m_panels, 2, QStringLiteral("Art Studio"));
    second->raiseSos();
    QTRY_COMPARE(shownWarnings().size(), 2);
    QCOMPARE(m_unmuter->calls, 2);
    QCOMPARE(m_player->plays.size(), 2);
    shownWarnings().first()->btnClear->click();
    QVERIFY(m_player->isPlaying());
    QVERIFY(m_frame->sosBackground->isVisible());
    shownWarnings().first()->btnClear->click();
    QTRY_COMPARE(second->receivedCount(VELK_REMOTE_CMD_STOP_SAFE_ALERT), 1);
    QTRY_COMPARE(panel->receivedCount(VELK_REMOTE_CMD_STOP_SAFE_ALERT), 2);
    QVERIFY(!m_player->isPlaying());
    QVERIFY(!m_frame->sosBackground->isVisible());
}

// The sound output went away after a first alarm: the next alarm's sound fails. The beep stands in, and every warning
// open meanwhile says that the alarm can't sound, so that nobody takes a quiet PC for a working alarm.
void TestEmergencyPage::anAlarmThatCannotSoundBeepsAndEveryWarningSaysSo()
{
    int beeps = 0;
    m_road->setBeep([&beeps]() { ++beeps; });
    const auto realBeep = qScopeGuard([this]() { m_road->setBeep([]() { QApplication::beep(); }); });
    SimulatedPanel *panel = connectSimulatedPanel(m_panels, 11, QStringLiteral("Chemistry"));
    panel->raiseSos();
    QTRY_VERIFY(shownWarning(QStringLiteral("Chemistry")));
    QVERIFY(m_player->isPlaying());
    QVERIFY(!shownWarning(QStringLiteral("Chemistry"))->lbAlarmNote->isVisible());
    answerAll();
    QVERIFY(!m_player->isPlaying());

    m_clock->advance(6000);
    panel->raiseSos();
    QTRY_VERIFY(shownWarning(QStringLiteral("Chemistry")));
    EmergencyWarningDialog *first = shownWarning(QStringLiteral("Chemistry"));
    m_player->failNow(QStringLiteral("no audio output: no sound server and no sound card to play on"));
    QVERIFY(m_road->isBeeping());
    QCOMPARE(beeps, 1);
    QVERIFY(first->lbAlarmNote->isVisible());
    QVERIFY(m_log->contains(QStringLiteral("the alarm cannot be played (no audio output")));

    // A warning raised while the beep stands in says it from the start.
    SimulatedPanel *second = connectSimulatedPanel(m_panels, 12, QStringLiteral("Physics"));
    second->raiseSos();
    QTRY_VERIFY(shownWarning(QStringLiteral("Physics")));
    QVERIFY(shownWarning(QStringLiteral("Physics"))->lbAlarmNote->isVisible());
    QCOMPARE(m_player->plays.size(), 2);

    // A sound server that had stopped answering answers again: the alarm plays through it once more, one sound, and
    // the beep and the notes stay until it is heard. Left beeping, the alarm never came back while a warning was open.
    m_player->answerAgain();
    QCOMPARE(m_player->plays.size(), 3);
    QVERIFY(m_player->isPlaying() && m_road->isBeeping() && first->lbAlarmNote->isVisible());
    m_player->answerAgain();
    QCOMPARE(m_player->plays.size(), 3);
    m_player->hearNow();
    QVERIFY(!m_road->isBeeping());
    QVERIFY(!first->lbAlarmNote->isVisible());
    QVERIFY(!shownWarning(QStringLiteral("Physics"))->lbAlarmNote->isVisible());
    SimulatedPanel *third = connectSimulatedPanel(m_panels, 13, QStringLiteral("Biology"));
    third->raiseSos();
    QTRY_VERIFY(shownWarning(QStringLiteral("Biology")));
    QVERIFY(!shownWarning(QStringLiteral("Biology"))->lbAlarmNote->isVisible());
    QCOMPARE(m_player->plays.size(), 3);
    // It stops answering again: the beep and the notes are back, and stay for a failure it never answers after.
    const int beepsBefore = beeps;
    m_player->failNow(QStringLiteral("the sound stood still for 3000 ms (an audio output that stopped answering)"));
    QVERIFY(m_road->isBeeping());
    QCOMPARE(beeps, beepsBefore + 1);
    QVERIFY(first->lbAlarmNote->isVisible() && shownWarning(QStringLiteral("Biology"))->lbAlarmNote->isVisible());
    answerAll();
    QVERIFY(!m_road->isBeeping());
    // Answered: an output that answers after that plays nothing.
    m_player->answerAgain();
    m_player->hearNow();
    QCOMPARE(m_player->plays.size(), 3);
    QVERIFY(!m_player->isPlaying() && !m_road->isBeeping());
}

void TestEmergencyPage::theAlarmComesBackThroughItsSoundServer_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<int>("answersAfterMs");
    QTest::addColumn<bool>("answeredFirst");
    // Before a call the hung server held had waited 500 ms, and just after: the first stayed on the beep.
    QTest::newRow("hung, answering 0.1 s after the beep") << "hung" << 100 << false;
    QTest::newRow("hung, answering 0.6 s after the beep") << "hung" << 600 << false;
    // Just past the player's first new question: killed and started again, it stayed on the beep.
    QTest::newRow("gone, back 1.1 s after the beep") << "gone" << 1100 << false;
    QTest::newRow("answered while it beeps, then the server answers") << "hung" << 100 << true;
    // Ended as a pass of the loop ends, or just after the SOS's first question found it: the pass opened on nothing
    // and played into a sink that discards the sound, with no beep and no note for as long as the server was away.
    QTest::newRow("gone as a pass ends, back 3 s later") << "gone as a pass ends" << 3000 << false;
    QTest::newRow("gone as the alarm first opens, back 3 s later") << "gone as it first opens" << 3000 << false;
    // Back 1.1 s after the beep, found by the player, and gone again for 3 s as the alarm's stream appears: blamed on
    // the alarm's file, the beep stayed for good.
    QTest::newRow("gone again as the alarm's stream appears") << "gone as it answers" << 1100 << false;
    // A text file under the alarm's name: the beep and the note, and the output is asked no more.
    QTest::newRow("an alarm file that cannot be decoded") << "answering" << 0 << false;
}

// The page's own player, its sound server standing still or gone while the alarm plays: the beep and the note, and
// once the server answers again the alarm through it, one stream, while the warning is open; none after the answer.
void TestEmergencyPage::theAlarmComesBackThroughItsSoundServer()
{
    QFETCH(QString, server);
    QFETCH(int, answersAfterMs);
    QFETCH(bool, answeredFirst);
    int beeps = 0;
    m_road->setBeep([&beeps]() { ++beeps; });
    auto *player = static_cast<MediaSoundPlayer *>(m_realPlayer);
    const auto questions = std::make_shared<std::atomic<int>>(0);
    // For so long, the server ends as the next question is answered, before the sound's own opening.
    const auto endsAfterQuestionMs = std::make_shared<std::atomic<int>>(0);
    player->setOutputProbe([questions, endsAfterQuestionMs]() {
        ++*questions;
        const QString missing = AudioOutputProbe::missingOutput();
        if (const int awayMs = endsAfterQuestionMs->exchange(0)) {
            AudioMeterSink::setGone(true);
            AudioMeterSink::answerIn(awayMs);
        }
        return missing;
    });
    const auto restore = qScopeGuard([this, player]() {
        AudioMeterSink::setHanging(false);
        AudioMeterSink::setGone(false);
        m_road->setBeep([]() { QApplication::beep(); });
        player->setOutputProbe(&AudioOutputProbe::missingOutput);
    });
    m_road->setPlayer(player);
    const bool firstOpen = server == QLatin1String("gone as it first opens");
    const bool passEnds = server == QLatin1String("gone as a pass ends");
    const bool asItAnswers = server == QLatin1String("gone as it answers");
    const QString alarm = AudioFolder::path() + AudioFolder::alarmName();
    const auto alarmBack = qScopeGuard([]() { AudioFolder::installBuiltInSound(AudioFolder::alarmName()); });
    if (server == QLatin1String("answering")) {
        QFile text(alarm);
        QVERIFY(text.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QVERIFY(text.write(QByteArray("Sound the alarm\n").repeated(200)) > 0);
    }
    // The server answers again a set time after the beep began, or once it has been away as long.
    qint64 answersAt = 0;
    qint64 beganAt = 0;
    QObject beepWatch;
    connect(m_road, &AlertRoad::alarmCannotSound, &beepWatch, [&]() {
        beganAt = MediaPlaybackWorker::steadyMs();
        if (answeredFirst)
            answerAll();
        if (firstOpen || passEnds)
            return;
        answersAt = AudioMeterSink::answerIn(answersAfterMs);
        if (asItAnswers)
            AudioMeterSink::goneAt(AudioMeterSink::Moment::NextStart, 0, 3000);
    });
    qint64 soundsAgainAt = 0;
    connect(m_road, &AlertRoad::alarmSoundsAgain, &beepWatch,
            [&soundsAgainAt]() { soundsAgainAt = MediaPlaybackWorker::steadyMs(); });

    // A panel of its own for each row, as for each test.
    static int panelNumber = 20;
    SimulatedPanel *panel = connectSimulatedPanel(m_panels, ++panelNumber, QStringLiteral("Library"));
    // What an earlier row played counts for nothing: the server stops under an alarm heard, not one still opening.
    AudioMeterSink::reset();
    if (firstOpen)
        *endsAfterQuestionMs = answersAfterMs;
    panel->raiseSos();
    QTRY_VERIFY(shownWarning(QStringLiteral("Library")));
    EmergencyWarningDialog *warning = shownWarning(QStringLiteral("Library"));
    if (server == QLatin1String("answering")) {
        QTRY_VERIFY(m_road->isBeeping() && warning->lbAlarmNote->isVisible());
        QVERIFY(m_log->contains(QStringLiteral("the file cannot be decoded")));
        const int asked = *questions;
        QTest::qWait(MediaSoundPlayer::kFirstLookMs + 1000);
        QCOMPARE(*questions, asked);
        QVERIFY(m_road->isBeeping() && warning->lbAlarmNote->isVisible());
        return;
    }
    if (!firstOpen) {
        QTRY_VERIFY(AudioMeterSink::audibleSeconds() > 0.5 || m_road->isBeeping());
        QVERIFY(!m_road->isBeeping());
        if (passEnds)
            AudioMeterSink::goneAt(AudioMeterSink::Moment::NextEnd, 0, answersAfterMs);
        else if (server == QLatin1String("hung"))
            AudioMeterSink::setHanging(true, QuorvinTryCeilingMs);
        else
            AudioMeterSink::setGone(true);
    }
    if (firstOpen || passEnds) {
        // The beep and the note within 5 s of the server's end, which opened no stream.
        QTRY_VERIFY(m_road->isBeeping());
        answersAt = AudioMeterSink::goneUntilMs();
        QVERIFY2(beganAt - (answersAt - answersAfterMs) <= 5000,
                 qPrintable(QString::number(beganAt - (answersAt - answersAfterMs))));
    }
    if (asItAnswers) {
        // Gone again once it answered: until the end of that absence.
        QTRY_VERIFY(answersAt > 0 && AudioMeterSink::goneUntilMs() > answersAt);
        answersAt = AudioMeterSink::goneUntilMs();
    }
    QTRY_VERIFY(answersAt > 0 && MediaPlaybackWorker::steadyMs() >= answersAt);
    const int beepsAtAnswer = beeps;
    const qint64 framesAtAnswer = AudioMeterSink::reading().frames;
    if (answeredFirst) {
        // Nothing sounds once the warning is answered, and the player has stopped asking for the output.
        const int asked = *questions;
        QTest::qWait(MediaSoundPlayer::kFirstLookMs + 1000);
        QCOMPARE(AudioMeterSink::reading().frames, framesAtAnswer);
        QCOMPARE(*questions, asked);
        QVERIFY(!m_road->isSounding());
        QCOMPARE(beeps, beepsAtAnswer);
        return;
    }
    // On the beep with its note until the server answered; a question that found it at once on a loaded PC may have
    // brought the alarm back before this looks.
    QVERIFY((m_road->isBeeping() && warning->lbAlarmNote->isVisible()) || soundsAgainAt >= answersAt);
    // Within 5 s of the server's answer (10 s once it went again as it answered, the look slower by then): the alarm
    // heard through it, the beep stopped and the note gone, the warning open.
    QTRY_VERIFY(!m_road->isBeeping() && AudioMeterSink::reading().frames > framesAtAnswer + 8000);
    const qint64 back = MediaPlaybackWorker::steadyMs() - answersAt;
    QVERIFY2(back <= (asItAnswers ? 10000 : 5000), qPrintable(QString::number(back)));
    QVERIFY(!warning->lbAlarmNote->isVisible() && warning->isVisible());
    QCOMPARE(AudioMeterSink::mostPlayingAtOnce(), 1);
    // Never blamed on the alarm's file, which was played all along.
    QVERIFY(!m_log->contains(QStringLiteral("the file cannot be decoded")));
    answerAll();
    QVERIFY(!m_road->isSounding());
}

// Two alerts open at the same place; the window comes up over the first, and answering one must
// not leave the other behind the blocked window, nor may a warning stay minimised.
void TestEmergencyPage::warningsStayInFrontOfTheWindow()
{
    SimulatedPanel *first = connectSimulatedPanel(m_panels, 5, QStringLiteral("Gym"));
    SimulatedPanel *second = connectSimulatedPanel(m_panels, 6, QStringLiteral("Canteen"));
    RaiseOrder order;
    const auto inFront = [&](const QList<EmergencyWarningDialog *> &warnings) {
        for (EmergencyWarningDialog *warning : warnings) {
            if (!warning->isVisible() || warning->isMinimized() || order.lastRaise(warning) <= order.lastRaise(m_frame))
                return false;
        }
        return warnings.contains(qobject_cast<EmergencyWarningDialog *>(QApplication::activeWindow()));
    };

    first->raiseSos();
    QTRY_COMPARE(shownWarnings().size(), 1);
    m_clock->advance(3000);
    order.clear();
    second->raiseSos();
    QTRY_COMPARE(shownWarnings().size(), 2);
    const QList<EmergencyWarningDialog *> both = shownWarnings();
    QTRY_VERIFY(inFront(both));

    // The window brought up again (as a further alert does) stays behind both.
    order.clear();
    emit m_page->restoreWindow();
    QTRY_VERIFY(order.lastRaise(m_frame) >= 0);
    QTRY_VERIFY(inFront(both));

    // A minimised warning comes back at once.
    both.first()->showMinimized();
    QTRY_VERIFY(!both.first()->isMinimized());
    QVERIFY(both.first()->isVisible());

    // The first answer raises the warning still open.
    EmergencyWarningDialog *answered = both.first();
    EmergencyWarningDialog *open = both.last();
    order.clear();
    m_frame->raise();
    m_frame->activateWindow();
    answered->btnClear->click();
    QTRY_COMPARE(shownWarnings().size(), 1);
    QCOMPARE(shownWarnings().first(), open);
    QTRY_VERIFY(inFront({open}));
}

// Under a window manager the main window comes up over the warnings by routes the console never
// hears of (a click on the blocked window, the task switcher); the warnings therefore belong to
// the main window, and the window system keeps them above it. A second start hands the keys to
// the newest warning, the one that can be answered.
void TestEmergencyPage::warningsBelongToTheWindowWhateverRaisesIt()
{
    SimulatedPanel *first = connectSimulatedPanel(m_panels, 7, QStringLiteral("Library"));
    SimulatedPanel *second = connectSimulatedPanel(m_panels, 8, QStringLiteral("Workshop"));
    first->raiseSos();
    QTRY_VERIFY(shownWarning(QStringLiteral("Library")));
    m_clock->advance(2000);
    second->raiseSos();
    QTRY_VERIFY(shownWarning(QStringLiteral("Workshop")));
    EmergencyWarningDialog *older = shownWarning(QStringLiteral("Library"));
    EmergencyWarningDialog *newer = shownWarning(QStringLiteral("Workshop"));
    const auto belong = [&]() {
        for (EmergencyWarningDialog *warning : {older, newer}) {
            if (!warning->isVisible() || !warning->windowHandle() || !m_frame->windowHandle() ||
                warning->windowHandle()->transientParent() != m_frame->windowHandle() || warning->parentWidget())
                return false;
        }
        return true;
    };
    QVERIFY(belong());

    // A second start, through the single-instance path as the console answers it, with the window
    // minimised first as the operator may have left it.
    QTemporaryDir lockFolder;
    QVERIFY(lockFolder.isValid());
    SingleInstance holder(lockFolder.path(), QStringLiteral("quorvin-test-instance"));
    holder.setActivationHandler([]() { return MainWindowFinder::bringForward(AppIdentity::mainWindowTitle()); });
    QCOMPARE(holder.acquire(), SingleInstance::Acquired);
    m_frame->showMinimized();
    RaiseOrder order;
    QProcess secondStart;
    secondStart.start(QStringLiteral(QV_INSTANCE_HELPER), {lockFolder.path(), QStringLiteral("main")});
    QVERIFY(secondStart.waitForStarted(QuorvinTryCeilingMs));
    QTRY_COMPARE_WITH_TIMEOUT(secondStart.state(), QProcess::NotRunning, QuorvinTryCeilingMs);
    QCOMPARE(secondStart.exitCode(), SingleInstance::exitCodeFor(SingleInstance::HandedOver));
    holder.release();
    QVERIFY(m_frame->isVisible() && !m_frame->isMinimized());
    QVERIFY(order.lastRaise(m_frame) >= 0);
    QVERIFY(order.lastRaise(newer) > order.lastRaise(m_frame));
    QTRY_COMPARE(QApplication::activeWindow(), newer);
    QVERIFY(belong());

    // The main window activated and raised by itself, as a click or the task switcher does.
    m_frame->raise();
    m_frame->activateWindow();
    QCoreApplication::processEvents();
    QVERIFY(belong());

    // Answered in turn, the warnings go; the one still open keeps belonging to the window.
    older->btnClear->click();
    QTRY_VERIFY(!shownWarning(QStringLiteral("Library")));
    QCOMPARE(newer->windowHandle()->transientParent(), m_frame->windowHandle());
}

// The older of two warnings is blocked by the newer one's modality: back from minimised it must not
// cover the newer one, whose buttons work.
void TestEmergencyPage::restoringTheOlderWarningKeepsTheNewerOnTop()
{
    SimulatedPanel *first = connectSimulatedPanel(m_panels, 9, QStringLiteral("Chapel"));
    SimulatedPanel *second = connectSimulatedPanel(m_panels, 10, QStringLiteral("Pool"));
    first->raiseSos();
    QTRY_VERIFY(shownWarning(QStringLiteral("Chapel")));
    m_clock->advance(2000);
    second->raiseSos();
    QTRY_VERIFY(shownWarning(QStringLiteral("Pool")));
    EmergencyWarningDialog *older = shownWarning(QStringLiteral("Chapel"));
    EmergencyWarningDialog *newer = shownWarning(QStringLiteral("Pool"));
    QTRY_COMPARE(QApplication::activeWindow(), newer);

    for (int round = 0; round < 2; ++round) {
        RaiseOrder order;
        older->showMinimized();
        QTRY_VERIFY(!older->isMinimized());
        QVERIFY(older->isVisible());
        // Both raised again, oldest first: the newer one ends on top and takes the keys.
        QTRY_VERIFY(order.lastRaise(newer) > order.lastRaise(older));
        QVERIFY(order.lastRaise(older) >= 0);
        QTRY_COMPARE(QApplication::activeWindow(), newer);
        QVERIFY(!newer->isMinimized());
    }

    // The newer one minimised comes back on top as before.
    RaiseOrder order;
    newer->showMinimized();
    QTRY_VERIFY(!newer->isMinimized());
    QTRY_VERIFY(order.lastRaise(newer) > order.lastRaise(older));
    QTRY_COMPARE(QApplication::activeWindow(), newer);
}

void TestEmergencyPage::macFormsAndUnknownMacs()
{
    const QString typed = testMac(3).toUpper().replace(QLatin1Char(':'), QLatin1Char('-'));
    SimulatedPanel *panel = connectSimulatedPanel(m_panels, 3, QStringLiteral("Staff Room"), typed);
    QVERIFY(panel->isConnected());
    panel->raiseSos();
    QTRY_COMPARE(shownWarnings().size(), 1);
    QCOMPARE(shownWarnings().first()->deviceMac(), testMac(3));
    shownWarnings().first()->btnClear->click();
    QTRY_COMPARE(panel->receivedCount(VELK_REMOTE_CMD_STOP_SAFE_ALERT), 1);
    QVERIFY(!m_player->isPlaying());
    QVERIFY(m_road->pendingAlerts().isEmpty());

    // A device deleted while its panel stays connected: the SOS goes by the devices the command server holds, which
    // the device list hands it after the delete.
    SimulatedPanel *orphan = connectSimulatedPanel(m_panels, 4, QStringLiteral("Old Lab"));
    removeManagedDevice(QStringLiteral("Old Lab"));
    QList<VelkIFPDevice> stored;
    QCOMPARE(OrvantaDBManager::getInstance()->queryAllAvailableIFP(stored), DB_OK);
    CmdServer::getInstance()->setManagedDevices(stored);
    const int plays = m_player->plays.size();
    orphan->raiseSos();
    QTRY_VERIFY(m_log->contains(QStringLiteral("ignored: no device has this MAC")));
    QTest::qWait(50);
    QVERIFY(shownWarnings().isEmpty());
    QCOMPARE(m_player->plays.size(), plays);
    QVERIFY(m_road->pendingAlerts().isEmpty());
    QVERIFY(!m_frame->sosBackground->isVisible());
}

// Two uninitialised network cards report the same all-zero MAC: each panel is known by the device its address
// matched, and its SOS must still raise its own warning, the alarm and its event-log row, and its answer must reach
// that panel alone, with the 5-second rule after it.
void TestEmergencyPage::panelsWithoutAMacOfTheirOwnAreAnsweredByDevice()
{
    QList<SimulatedPanel *> panels;
    for (int serial : {7, 8}) {
        addManagedDevice(QStringLiteral("Zero %1").arg(serial), QString(),
                         QStringLiteral("127.0.0.%1").arg(2 + serial));
        PanelIdentity identity = SimulatedPanel::defaultIdentity(quint32(serial));
        identity.mac = QStringLiteral("00:00:00:00:00:00");
        panels << new SimulatedPanel(identity, directSettings(serial));
        m_panels << panels.last();
        panels.last()->start();
    }
    QTRY_VERIFY(panels.at(0)->isConnected() && panels.at(1)->isConnected());
    const int events = eventLog().size();

    panels.at(0)->raiseSos();
    panels.at(1)->raiseSos();
    QTRY_COMPARE(shownWarnings().size(), 2);
    QVERIFY(shownWarning(QStringLiteral("Zero 7")) && shownWarning(QStringLiteral("Zero 8")));
    QVERIFY(m_player->isPlaying());
    QVERIFY(m_frame->sosBackground->isVisible());
    QTRY_COMPARE(eventLog().size(), events + 2);
    QStringList logged = {eventLog().at(events).deviceName, eventLog().at(events + 1).deviceName};
    logged.sort();
    QCOMPARE(logged, (QStringList{"Zero 7", "Zero 8"}));

    // The answer to one reaches that panel alone; the other's alert goes on.
    shownWarning(QStringLiteral("Zero 7"))->btnClear->click();
    QTRY_COMPARE(panels.at(0)->receivedCount(VELK_REMOTE_CMD_STOP_SAFE_ALERT), 1);
    QCOMPARE(panels.at(1)->receivedCount(VELK_REMOTE_CMD_STOP_SAFE_ALERT), 0);
    QCOMPARE(shownWarnings().size(), 1);
    QVERIFY(m_player->isPlaying());

    // Its repeat within 5 s of the answer is dropped; the other's answer ends the alarm.
    m_clock->advance(4000);
    panels.at(0)->raiseSos();
    QTRY_VERIFY(m_log->contains(QStringLiteral("dropped, answered 4000 ms ago")));
    QCOMPARE(shownWarnings().size(), 1);
    shownWarning(QStringLiteral("Zero 8"))->btnClear->click();
    QTRY_COMPARE(panels.at(1)->receivedCount(VELK_REMOTE_CMD_STOP_SAFE_ALERT), 1);
    QCOMPARE(panels.at(0)->receivedCount(VELK_REMOTE_CMD_STOP_SAFE_ALERT), 1);
    QVERIFY(!m_player->isPlaying());
    QVERIFY(!m_frame->sosBackground->isVisible());
    QVERIFY(m_road->pendingAlerts().isEmpty());
    QCOMPARE(eventLog().size(), events + 2);
}

void TestEmergencyPage::unmuteGoesThroughTheMixerTool()
{
    // The page's own unmuting, with a stand-in wpctl on PATH that reports the output muted. The script gets all the
    // time a loaded machine needs to start.
    m_road->setUnmuter(m_realUnmuter);
    m_realUnmuter->setTimeoutMs(QuorvinTryCeilingMs);
    QTemporaryDir tools;
    QFile wpctl(tools.filePath(QStringLiteral("wpctl")));
    QVERIFY(wpctl.open(QIODevice::WriteOnly));
    wpctl.write(QStringLiteral("#!/bin/sh\necho \"$*\" >> '%1/calls.txt'\necho 'Volume: 0.35 [MUTED]'\n")
                    .arg(tools.path())
                    .toUtf8());
    wpctl.close();
    QVERIFY(wpctl.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(tools.path()));

    SimulatedPanel *panel = connectSimulatedPanel(m_panels, 5, QStringLiteral("Gym Office"));
    panel->raiseSos();
    QTRY_COMPARE(shownWarnings().size(), 1);
    QVERIFY(m_player->isPlaying());
    auto calls = [&tools]() {
        QFile file(tools.filePath(QStringLiteral("calls.txt")));
        return file.open(QIODevice::ReadOnly)
                   ? QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)
                   : QStringList();
    };
    QTRY_COMPARE(calls(), (QStringList{"get-volume @DEFAULT_AUDIO_SINK@", "set-mute @DEFAULT_AUDIO_SINK@ 0"}));
    QTest::qWait(100); // a third call would show here
    QCOMPARE(calls(), (QStringList{"get-volume @DEFAULT_AUDIO_SINK@", "set-mute @DEFAULT_AUDIO_SINK@ 0"}));
    answerAll();

    // The tool gone: the alert that finds it missing logs the failed read and makes the page
    // look again; with no mixer tool at all, the line the log expects. The alarm sounds each time.
    QVERIFY(QFile::remove(tools.filePath(QStringLiteral("wpctl"))));
    for (const char *expected : {"pAudioEndpointVolume GetMute failed: -1", "initializeWAS failed"}) {
        m_clock->advance(6000);
        panel->raiseSos();
        QTRY_COMPARE(shownWarnings().size(), 1);
        QTRY_VERIFY2(m_log->contains(QLatin1String(expected)), expected);
        QVERIFY(m_player->isPlaying());
        answerAll();
    }
    qputenv("PATH", path);
}

void TestEmergencyPage::cameraLinkFromSettingsToTheProgram()
{
    CameraLink *link = m_page->cameraLink();
    EmergencyDialog *settings = link->settingsDialog();
    const QString ini = CameraLinkSettings::defaultSettingsFile();
    QFile::remove(ini);

    // The pairing before any account is stored leads to the connect-camera notice.
    m_page->showCameraDialog(QString());
    QVERIFY(link->downloadDialog()->isVisible());
    QVERIFY(link->downloadDialog()->ui->btnSetting->isVisibleTo(link->downloadDialog()));
    link->downloadDialog()->hide();

    // Not installed (nothing configured on Linux): the download notice, and back to Disconnect.
    m_page->btnSosSetting->click();
    QVERIFY(settings->isVisible());
    settings->cbConnectCamera->setCurrentIndex(1);
    QVERIFY(link->downloadDialog()->isVisible());
    QVERIFY(link->downloadDialog()->ui->label_2->isVisibleTo(link->downloadDialog()));
    QCOMPARE(settings->cbConnectCamera->currentIndex(), 0);
    link->downloadDialog()->hide();

    const QString install = m_env->home() + QStringLiteral("/Pellmar");
    const QString program = installStandInCameraProgram(install);
    QVERIFY(!program.isEmpty());
    {
        QSettings file(ini, QSettings::IniFormat);
        file.setValue(QStringLiteral("Pellmar/ProgramFolder"), install);
    }
    settings->cbConnectCamera->setCurrentIndex(1);
    QVERIFY(settings->lineEditName->isEnabled());

    // Wrong credentials: the account error, nothing written.
    settings->lineEditName->setText(QStringLiteral("guard"));
    settings->lineEditPassword->setText(QStringLiteral("wrong"));
    settings->btnSave->click();
    EmergencySettingNotifyDialog *error = visibleTopLevel<EmergencySettingNotifyDialog>();
    QVERIFY(error);
    QCOMPARE(error->type(), 2);
    error->btnCancel->click();
    QVERIFY(!CameraLinkSettings().isEnabled());
    QVERIFY(!link->checkTimer()->isActive());

    // Right ones: switched on, the account's camera password stored, the check running.
    settings->lineEditPassword->setText(QStringLiteral("s3cret"));
    settings->btnSave->click();
    QVERIFY(!settings->isVisible());
    QVERIFY(CameraLinkSettings().isEnabled());
    QCOMPARE(CameraLinkSettings().installPath(), install);
    SosCredentials stored;
    CameraLinkStore(OrvantaDBManager::getInstance())
        .storedCredentials(CameraLinkStore::Pick::FirstAdministrator, &stored);
    QCOMPARE(stored.userName, QStringLiteral("guard"));
    QCOMPARE(stored.password(), QStringLiteral("s3cret"));
    QVERIFY(link->checkTimer()->isActive());
    QCOMPARE(link->checkTimer()->interval(), CameraLink::kCheckIntervalMs);

    // "Turn on PTZ Camera" starts the program on the paired camera and answers the alert.
    SimulatedPanel *panel = connectSimulatedPanel(m_panels, 6, QStringLiteral("Auditorium"));
    VelkDeviceCameraMap mapping;
    mapping.did = int(storedDevice(QStringLiteral("Auditorium")).did);
    mapping.account = QStringLiteral("guard");
    mapping.deviceName = QStringLiteral("Hall cam");
    mapping.mac = QStringLiteral("aa:00:00:00:00:01");
    QCOMPARE(OrvantaDBManager::getInstance()->insertDeviceCameraMapping(mapping), DB_OK);
    panel->raiseSos();
    QTRY_COMPARE(shownWarnings().size(), 1);
    QTRY_VERIFY(shownWarnings().first()->btnOpenCamera->isEnabled()); // read once the warning is up
    shownWarnings().first()->btnOpenCamera->click();
    QTRY_COMPARE(panel->receivedCount(VELK_REMOTE_CMD_STOP_SAFE_ALERT), 1);
    QTRY_COMPARE(standInArguments(program),
                 (QStringList{"-mode", "1", "-user", "guard", "-password", "s3cret", "-mac", "aa:00:00:00:00:01",
                              "-pid", QString::number(QCoreApplication::applicationPid())}));

    // The periodic check: a paired camera the account no longer offers gets one notice, and
    // the next check finds the one still open instead of stacking another.
    mapping.mac = QStringLiteral("aa:00:00:00:00:99");
    QCOMPARE(OrvantaDBManager::getInstance()->insertDeviceCameraMapping(mapping), DB_OK);
    m_page->checkAccountDeviceChanged();
    m_page->checkAccountDeviceChanged();
    int notices = 0;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        auto *notice = qobject_cast<EmergencySettingNotifyDialog *>(widget);
        if (notice && notice->isVisible()) {
            ++notices;
            QCOMPARE(notice->type(), 1);
            QCOMPARE(notice->lbDeviceName->text(), QStringLiteral("Auditorium"));
        }
    }
    QCOMPARE(notices, 1);
    QFile::remove(ini);
    m_page->autoCheckPellmar(false);
    QVERIFY(!link->checkTimer()->isActive());
}

void TestEmergencyPage::ptzCameraFieldPairsAnAudioBox()
{
    CameraLink *link = m_page->cameraLink();
    ManagementAddCamera *pairing = link->pairingDialog();
    m_page->setPageMode(1);
    storeSosCredentials(QString(), QString());

    // No camera-management account stored: the connect-camera notice, not the pairing.
    m_page->clickAddDevice();
    ManagementAddDevice *add = m_page->addDeviceDialog();
    QVERIFY(add->btnCamera->isVisible());
    add->btnCamera->click();
    QVERIFY(link->downloadDialog()->isVisible());
    QVERIFY(link->downloadDialog()->ui->btnSetting->isVisibleTo(link->downloadDialog()));
    QVERIFY(!pairing->isVisible());
    link->downloadDialog()->hide();

    // A camera picked in a dialog that is then cancelled is not written to the next device.
    storeSosCredentials(QStringLiteral("guard"), QStringLiteral("s3cret"));
    add->btnCamera->click();
    chooseCamera(pairing, QStringLiteral("Hall cam"));
    QCOMPARE(add->editCamera->text(), QStringLiteral("Hall cam"));
    add->btnCancel->click();
    m_page->clickAddDevice();
    QVERIFY(add->editCamera->text().isEmpty());
    add->editName->setText(QStringLiteral("Gate Box"));
    add->editMac->setText(QStringLiteral("0a:00:00:00:00:01"));
    add->submit();
    QVERIFY(!add->isVisible());
    QVERIFY(storedDevice(QStringLiteral("Gate Box")).ptzCamera.isEmpty());
    QVERIFY(pairingsOf(QStringLiteral("Gate Box")).isEmpty());

    // Added with a camera: the device names it, and one pairing row holds its MAC and the account.
    // The pairing goes by the administrator's account whoever is logged in.
    isAdminLogin = false;
    m_page->clickAddDevice();
    add->btnCamera->click();
    chooseCamera(pairing, QStringLiteral("Gym cam"));
    isAdminLogin = true;
    add->editName->setText(QStringLiteral("Front Desk"));
    add->editMac->setText(QStringLiteral("0a:00:00:00:00:02"));
    add->submit();
    QVERIFY(!add->isVisible());
    QCOMPARE(storedDevice(QStringLiteral("Front Desk")).ptzCamera, QStringLiteral("Gym cam"));
    QList<VelkDeviceCameraMap> rows = pairingsOf(QStringLiteral("Front Desk"));
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.first().account, QStringLiteral("guard"));
    QCOMPARE(rows.first().deviceName, QStringLiteral("Gym cam"));
    QCOMPARE(rows.first().mac, QStringLiteral("aa:00:00:00:00:02"));

    // An older pairing under another account, as an import leaves it.
    VelkDeviceCameraMap older;
    older.did = int(storedDevice(QStringLiteral("Front Desk")).did);
    older.account = QStringLiteral("lab");
    older.deviceName = QStringLiteral("Lab cam");
    older.mac = QStringLiteral("aa:00:00:00:00:05");
    QCOMPARE(OrvantaDBManager::getInstance()->insertDeviceCameraMapping(older), DB_OK);

    // "Go to Setting" on the notice of an unreachable camera leads the administrator to the
    // device's editor, which shows the pairing and pre-checks it in the pairing dialog.
    m_page->showDeviceErrorMessage(QStringLiteral("Front Desk"), QString(), QStringLiteral("guard"));
    EmergencySettingNotifyDialog *notice = visibleTopLevel<EmergencySettingNotifyDialog>();
    QVERIFY(notice);
    notice->btnGoSetting->click();
    ManagementEditDevice *edit = m_page->editDeviceDialog();
    QVERIFY(edit->isVisible());
    QCOMPARE(edit->editCamera->text(), QStringLiteral("Gym cam"));
    edit->btnCamera->click();
    QCOMPARE(pairing->checkedCount(), 1);
    chooseCamera(pairing, QStringLiteral("Hall cam"));
    QCOMPARE(edit->editCamera->text(), QStringLiteral("Hall cam"));
    edit->editLocation->setText(QStringLiteral("Main entrance"));
    edit->submit();
    QVERIFY(!edit->isVisible());
    const VelkIFPDevice edited = storedDevice(QStringLiteral("Front Desk"));
    QCOMPARE(edited.ptzCamera, QStringLiteral("Hall cam"));
    QCOMPARE(edited.position, QStringLiteral("Main entrance"));
    rows = pairingsOf(QStringLiteral("Front Desk"));
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.first().deviceName, QStringLiteral("Hall cam"));
    QCOMPARE(rows.first().mac, QStringLiteral("aa:00:00:00:00:01"));

    // Saved again without a new choice: the pairing stays as it is.
    m_page->editDevice(m_page->deviceModel()->rowOfName(QStringLiteral("Front Desk")));
    edit->submit();
    QCOMPARE(pairingsOf(QStringLiteral("Front Desk")).size(), 1);
    QCOMPARE(storedDevice(QStringLiteral("Front Desk")).ptzCamera, QStringLiteral("Hall cam"));
    m_page->setPageMode(0);
}

QTEST_MAIN(TestEmergencyPage)
#include "tst_emergency_page.moc"
