#include "platform/audio/AudioFolder.h"
#include "platform/audio/AudioOutputProbe.h"
#include "platform/audio/AudioSystemHandler.h"
#include "platform/audio/MediaPlaybackWorker.h"
#include "platform/audio/MediaSoundPlayer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include "AudioMeterSink.h"
#include "support/TryCeiling.h"

#include <gst/gst.h>

#include <atomic>
#include <cstring>

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A stand-in mixer tool: records every call in calls.txt and answers the read command from the
// file "<tool>.out" with the exit code in "<tool>.rc" (0 when missing). A set command marks the
// output as unmuted by rewriting "<tool>.out".
void installTool(const QString &folder, const QString &tool, const QByteArray &readOutput, int readExit = 0,
                 bool hang = false)
{
    const QString script = QStringLiteral("#!/bin/sh\n"
                                          "echo \"%1 $*\" >> '%2/calls.txt'\n"
                                          "%3"
                                          "case \"$1\" in\n"
                                          "  get*) /bin/cat '%2/%1.out'; exit %4 ;;\n"
                                          "  set*) echo unmuted > '%2/%1.out'; exit 0 ;;\n"
                                          "esac\n")
                               .arg(tool, folder, hang ? QStringLiteral("exec /bin/sleep 30\n") : QString())
                               .arg(readExit);
    QVERIFY(writeFile(folder + QLatin1Char('/') + tool, script.toUtf8()));
    QVERIFY(QFile::setPermissions(folder + QLatin1Char('/') + tool,
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    QVERIFY(writeFile(folder + QLatin1Char('/') + tool + QStringLiteral(".out"), readOutput));
}

// Where the player gave up: what it said and what supplies the missing parts.
QString cannotPlay(const QSignalSpy &failed)
{
    return QStringLiteral("the sound did not play (%1): Qt Multimedia needs GStreamer's MP3 decoder and audio "
                          "elements, which scripts/install-deps.sh installs")
        .arg(failed.first().first().toString());
}

// A machine without a sound server or a sound card, as GStreamer's automatic sink sees it: no audio sink it may
// choose opens. For the object's life the meter, gone, is the only sink it may choose, and the players get the
// automatic sink instead of the meter.
class NoAudioOutput
{
public:
    NoAudioOutput()
    {
        AudioMeterSink::setOnlyAutomaticChoice(true);
        AudioMeterSink::setGone(true);
    }
    ~NoAudioOutput()
    {
        AudioMeterSink::setGone(false);
        AudioMeterSink::setOnlyAutomaticChoice(false);
    }
    NoAudioOutput(const NoAudioOutput &) = delete;
    NoAudioOutput &operator=(const NoAudioOutput &) = delete;
};

QStringList calls(const QString &folder)
{
    const QString text = QString::fromUtf8(fileBytes(folder + QStringLiteral("/calls.txt")));
    return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

class TestAudio : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void installsTheBuiltInSoundsReadableByTheOwner();
    void aSoundThatCannotBeWrittenIsReportedAndTheOthersInstalled();
    void playerRefusesAMissingFileAndNeverSpinsOnAFailure();
    void everyBuiltInSoundPlaysToItsEnd_data();
    void everyBuiltInSoundPlaysToItsEnd();
    void alarmPlaysThroughToItsLoop();
    void noAudioOutputIsToldInsteadOfPlayingIntoNothing();
    void theOutputIsAskedAtEverySoundOffTheGuiThread();
    void anOutputThatFailsWhilePlayingIsToldAsSuch();
    void aHungSoundServerNeverHoldsTheGuiThread_data();
    void aHungSoundServerNeverHoldsTheGuiThread();
    void unmute_data();
    void unmute();
    void unmuteWithoutAToolLogsAndReturnsAtOnce();
    void aFailedToolIsForgottenAndAHangingOneKilled();

private:
    void pausedAsTheLoopStarts(MediaSoundPlayer *player, const QString &alarm, const QString &hangs, int pauseMs);

    QTemporaryDir *m_dir = nullptr;
    QByteArray m_path;
};

void TestAudio::initTestCase()
{
    // The player's sound goes to the meter, never to a sound card this machine may have.
    QVERIFY2(AudioMeterSink::install(), "GStreamer took no audio meter sink");
}

void TestAudio::init()
{
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
    m_path = qgetenv("PATH");
    // Only the stand-in tools can be found.
    qputenv("PATH", QFile::encodeName(m_dir->path()));
}

void TestAudio::cleanup()
{
    qputenv("PATH", m_path);
    delete m_dir;
}

void TestAudio::installsTheBuiltInSoundsReadableByTheOwner()
{
    const QString folder = m_dir->path() + QStringLiteral("/data/Quorvin/Audio/");
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(writeFile(folder + AudioFolder::alarmName(), "stale"));
    QVERIFY(QFile::setPermissions(folder + AudioFolder::alarmName(), QFileDevice::ReadOther | QFileDevice::WriteOther));
    QVERIFY(writeFile(folder + QStringLiteral("upload_1.mp3"), "uploaded"));

    QCOMPARE(AudioFolder::installBuiltInSounds(folder), QStringList());

    for (const QString &name : AudioFolder::builtInNames()) {
        const QByteArray built = fileBytes(AudioFolder::resourcePath(name));
        // Our own sounds, MP3 with an ID3 tag, a second or more of audio.
        QVERIFY2(built.startsWith("ID3") && built.size() > 8000, qPrintable(name));
        QCOMPARE(fileBytes(folder + name), built);
        // 0644: a Windows-style 0006 would leave the console unable to read its own alarm.
        QCOMPARE(QFile::permissions(folder + name) & 0x7777, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                                 QFileDevice::ReadUser | QFileDevice::WriteUser |
                                                                 QFileDevice::ReadGroup | QFileDevice::ReadOther);
    }
    QCOMPARE(fileBytes(folder + QStringLiteral("upload_1.mp3")), QByteArray("uploaded"));

    // Installing again (the next run) replaces the files in place.
    QCOMPARE(AudioFolder::installBuiltInSounds(folder), QStringList());
    QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 5);
}

void TestAudio::aSoundThatCannotBeWrittenIsReportedAndTheOthersInstalled()
{
    const QString folder = m_dir->path() + QStringLiteral("/Audio");
    // A folder where the alarm file should be: it cannot be replaced, whoever runs the test.
    QVERIFY(QDir().mkpath(folder + QLatin1Char('/') + AudioFolder::alarmName()));
    QStringList errors;
    QCOMPARE(AudioFolder::installBuiltInSounds(folder, &errors), QStringList{AudioFolder::alarmName()});
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors.first().startsWith(QStringLiteral("AudioFolder: cannot write")), qPrintable(errors.first()));
    QVERIFY(QFileInfo(folder + QStringLiteral("/Default_Audio_3.mp3")).isFile());

    // A data folder that is a file: nothing can be installed, and each sound says so.
    const QString blocked = m_dir->path() + QStringLiteral("/blocked");
    QVERIFY(writeFile(blocked, "x"));
    errors.clear();
    QCOMPARE(AudioFolder::installBuiltInSounds(blocked + QStringLiteral("/Audio/"), &errors),
             AudioFolder::builtInNames());
    QCOMPARE(errors.size(), 4);
    QVERIFY(errors.first().startsWith(QStringLiteral("AudioFolder: cannot create the folder")));
}

void TestAudio::playerRefusesAMissingFileAndNeverSpinsOnAFailure()
{
    MediaSoundPlayer player;
    QSignalSpy failed(&player, &SoundPlayer::failed);
    QVERIFY(!player.play(m_dir->path() + QStringLiteral("/missing.mp3"), true));
    QVERIFY(!player.isPlaying());

    // A file that is no sound at all, played in a loop: one failure, and the loop is not tried again.
    const QString broken = m_dir->path() + QStringLiteral("/broken.mp3");
    QVERIFY(writeFile(broken, QByteArray(20000, '\x5a')));
    QVERIFY(player.play(broken, true));
    QTRY_COMPARE(failed.count(), 1);
    QVERIFY(!player.isPlaying());
    QTest::qWait(300);
    QCOMPARE(failed.count(), 1);
    // Tried without an output, it is told as a file that cannot be decoded, and its output is never asked again.
    const QString reason = failed.first().first().toString();
    QVERIFY2(reason.startsWith(QLatin1String("the file cannot be decoded")), qPrintable(reason));
    const auto asked = std::make_shared<std::atomic<int>>(0);
    player.setOutputProbe([asked]() {
        ++*asked;
        return QString();
    });
    QTest::qWait(MediaSoundPlayer::kFirstLookMs + 500);
    QCOMPARE(asked->load(), 0);
}

void TestAudio::everyBuiltInSoundPlaysToItsEnd_data()
{
    QTest::addColumn<QString>("name");
    for (const QString &name : AudioFolder::builtInNames())
        QTest::newRow(qPrintable(name)) << name;
}

// The broadcast previews and the alarm, each played once from the Audio folder: heard to the end, then finished.
void TestAudio::everyBuiltInSoundPlaysToItsEnd()
{
    QFETCH(QString, name);
    const QString folder = m_dir->path() + QStringLiteral("/Audio/");
    QVERIFY(AudioFolder::installBuiltInSound(name, folder));
    MediaSoundPlayer player;
    QSignalSpy finished(&player, &SoundPlayer::finished);
    QSignalSpy failed(&player, &SoundPlayer::failed);
    AudioMeterSink::reset();
    QVERIFY(player.play(folder + name, false));
    QTRY_VERIFY(!finished.isEmpty() || !failed.isEmpty());
    if (!failed.isEmpty())
        QFAIL(qPrintable(cannotPlay(failed)));
    QVERIFY(!player.isPlaying());
    // Every sound holds more than a second of tone.
    QVERIFY2(AudioMeterSink::audibleSeconds() > 1.0, qPrintable(QString::number(AudioMeterSink::audibleSeconds())));
}

// The SOS alarm as an alert plays it: in a loop, at full level, until it is stopped. It runs on the audio meter, so
// it plays here as it would on a sound card, at its own pace, and what leaves the player is what is measured.
// Without a sound server and a sound card, GStreamer's automatic sink falls back to one that discards the sound: the
// alarm reached PLAYING and its end without an error, and was never heard, with nothing to say so.
void TestAudio::noAudioOutputIsToldInsteadOfPlayingIntoNothing()
{
    const QString folder = m_dir->path() + QStringLiteral("/Audio/");
    QVERIFY(AudioFolder::installBuiltInSound(AudioFolder::alarmName(), folder));
    // The meter is an output as a sound card is.
    QCOMPARE(AudioOutputProbe::missingOutput(), QString());
    NoAudioOutput none;
    const QString missing = AudioOutputProbe::missingOutput();
    QVERIFY2(missing.startsWith(QLatin1String("no audio output")), qPrintable(missing));

    MediaSoundPlayer player;
    QSignalSpy failed(&player, &SoundPlayer::failed);
    QVERIFY(player.play(folder + AudioFolder::alarmName(), true));
    QTRY_VERIFY(!failed.isEmpty() || player.position() > 0);
    QCOMPARE(failed.size(), 1);
    QCOMPARE(failed.first().first().toString(), missing);
    QVERIFY(!player.isPlaying());

    // A sink named for the players that discards the sound is no output either.
    qputenv("QT_GSTREAMER_PLAYBIN_AUDIOSINK", "fakesink");
    QVERIFY(AudioOutputProbe::missingOutput().startsWith(QLatin1String("no audio output")));
}

// The output is asked at every sound, off the GUI thread. Asked once and then trusted, an alarm played into nothing
// once the sound server had gone after a first alarm: no failure, so no beep and no log line.
void TestAudio::theOutputIsAskedAtEverySoundOffTheGuiThread()
{
    const QString folder = m_dir->path() + QStringLiteral("/Audio/");
    QVERIFY(AudioFolder::installBuiltInSound(AudioFolder::alarmName(), folder));
    const QString alarm = folder + AudioFolder::alarmName();
    MediaSoundPlayer player;
    QSignalSpy failed(&player, &SoundPlayer::failed);
    std::atomic<int> asked{0};
    std::atomic<bool> onGuiThread{false};
    std::atomic<bool> outputGone{false};
    // Held until the test lets it answer; a probe that held the GUI thread would hold play() as long.
    QSemaphore answer;
    std::atomic<bool> keptWaiting{false};
    player.setOutputProbe([&]() {
        ++asked;
        onGuiThread = onGuiThread || QThread::currentThread() == QCoreApplication::instance()->thread();
        keptWaiting = keptWaiting || !answer.tryAcquire(1, QuorvinTryCeilingMs);
        return outputGone ? QStringLiteral("no audio output (test)") : QString();
    });

    QVERIFY(player.play(alarm, true));
    QVERIFY(player.isPlaying());
    QCOMPARE(player.position(), qint64(0));
    answer.release();
    QTRY_VERIFY(player.position() > 0 || !failed.isEmpty());
    if (!failed.isEmpty())
        QFAIL(qPrintable(failed.first().first().toString()));
    QCOMPARE(asked.load(), 1);

    // The sound server goes away after the first alarm: the next one is told, not played into nothing.
    outputGone = true;
    answer.release();
    QVERIFY(player.play(alarm, true));
    QTRY_COMPARE(failed.count(), 1);
    QCOMPARE(failed.first().first().toString(), QStringLiteral("no audio output (test)"));
    QVERIFY(!player.isPlaying());
    QCOMPARE(asked.load(), 2);

    // It comes back: the next sound plays. A sound stopped before the answer neither plays nor fails.
    outputGone = false;
    AudioMeterSink::reset();
    QVERIFY(player.play(alarm, false));
    player.stop();
    answer.release();
    QTRY_COMPARE(asked.load(), 3);
    // The answer reaches this thread as the asking thread ends, a moment after the probe returned.
    QTest::qWait(300);
    // Nothing of it reached the output.
    QCOMPARE(AudioMeterSink::reading().frames, qint64(0));
    QVERIFY(!player.isPlaying());
    QCOMPARE(player.position(), qint64(0));
    answer.release();
    QVERIFY(player.play(alarm, true));
    QTRY_VERIFY(player.position() > 0 || failed.count() > 1);
    QCOMPARE(failed.count(), 1);
    QCOMPARE(asked.load(), 4);
    player.stop();
    QVERIFY(!onGuiThread);
    QVERIFY(!keptWaiting);
}

// The sound server ends while the alarm plays: the log blamed "the file cannot be decoded" and sent its reader after
// the file. A failure after the sound was heard is the output's.
void TestAudio::anOutputThatFailsWhilePlayingIsToldAsSuch()
{
    const QString folder = m_dir->path() + QStringLiteral("/Audio/");
    QVERIFY(AudioFolder::installBuiltInSound(AudioFolder::alarmName(), folder));
    MediaSoundPlayer player;
    QSignalSpy failed(&player, &SoundPlayer::failed);
    QVERIFY(player.play(folder + AudioFolder::alarmName(), true));
    QTRY_VERIFY(player.position() > 0 || !failed.isEmpty());
    if (!failed.isEmpty())
        QFAIL(qPrintable(cannotPlay(failed)));
    AudioMeterSink::setFailing(true);
    const auto healed = qScopeGuard([] { AudioMeterSink::setFailing(false); });
    QTRY_COMPARE(failed.count(), 1);
    const QString reason = failed.first().first().toString();
    QVERIFY2(reason.startsWith(QLatin1String("the audio output failed while the sound played")), qPrintable(reason));
    QVERIFY2(reason.contains(QLatin1String("Connection terminated")), qPrintable(reason));
    QVERIFY(!player.isPlaying());
}

void TestAudio::aHungSoundServerNeverHoldsTheGuiThread_data()
{
    QTest::addColumn<bool>("questionOpensTheSink");
    QTest::addColumn<QString>("hangs");
    QTest::addColumn<QString>("meanwhile");
    QTest::addColumn<int>("pauseMs");

    // The output question opens the sink as the player will, and waits with it.
    QTest::newRow("the output question hangs") << true << "at open"
                                               << "time-out" << 0;
    QTest::newRow("opening the output hangs") << false << "at open"
                                              << "time-out" << 0;
    QTest::newRow("stopped while the output opens") << false << "at open"
                                                    << "stop" << 0;
    QTest::newRow("deleted while the output opens") << false << "at open"
                                                    << "delete" << 0;
    // The alarm is answered (stopped) after the server stopped under it, and the next alarm comes.
    QTest::newRow("the server stops while the alarm plays") << true << "while playing"
                                                            << "time-out" << 0;
    // Nobody answers: the alarm stands still, and the next alarm comes while the server is still stopped.
    QTest::newRow("the server stops under the alarm, unanswered") << true << "under the alarm"
                                                                  << "time-out" << 0;
    QTest::newRow("a working output") << true << QString() << QString() << 0;
    // As a sound server's null sink does: every start of the loop stands still a while before it is heard.
    QTest::newRow("a working output slow at every loop's start") << true << QString() << "slow starts" << 0;
    QTest::newRow("a working output as slow as it gets at every loop's start")
        << true << QString() << "slowest starts" << 0;
    // A busy PC pauses the server (SIGSTOP, then SIGCONT) as a pass of the loop opens, on top of the stillness a
    // working output has there: the alarm is heard through it again soon after it answers, going on or played anew, one
    // sound at a time. A hang as long fails the sound, once, as it does from any point of the loop.
    QTest::newRow("paused 1.0 s as the loop starts again") << true << "paused"
                                                           << "slowest starts" << 1000;
    QTest::newRow("paused 1.5 s as the loop starts again") << true << "paused"
                                                           << "slowest starts" << 1500;
    QTest::newRow("paused 2.0 s as the loop starts again") << true << "paused"
                                                           << "slowest starts" << 2000;
    QTest::newRow("paused 2.5 s as the loop starts again") << true << "paused"
                                                           << "slowest starts" << 2500;
    QTest::newRow("hung 8 s as the loop starts again") << true << "paused"
                                                       << "slowest starts" << 8000;
    // The server answers again pauseMs after the alarm failed, before and just after a call it held waited 500 ms: a
    // stop that came back sooner said nothing, and the alarm stayed on the beep.
    QTest::newRow("hung as the loop starts again, answering 0.1 s after the failure")
        << true << "until after the failure"
        << "slowest starts" << 100;
    QTest::newRow("hung as the loop starts again, answering 0.45 s after the failure")
        << true << "until after the failure"
        << "slowest starts" << 450;
    QTest::newRow("hung as the loop starts again, answering 0.55 s after the failure")
        << true << "until after the failure"
        << "slowest starts" << 550;
    // Killed and started again: nothing it held comes back, and the alarm stayed on the beep.
    QTest::newRow("gone while the alarm plays, back 8 s later") << true << "gone" << QString() << 8000;
    // Ended as a pass of the loop ends, the next pass opened with no server to take it and played into a sink that
    // discards the sound: no failure, no beep, for as long as the server stayed away.
    QTest::newRow("gone as a pass ends, back 3 s later") << true << "gone as a pass ends" << QString() << 3000;
    // Gone as the alarm's first stream appears, or as it appears again once the alarm failed and the server was
    // found again: the sound failed before any of it was heard, was blamed on its file, and stayed on the beep.
    QTest::newRow("gone as the alarm's first stream appears, back 3 s later")
        << true << "gone as its first stream appears" << QString() << 3000;
    QTest::newRow("gone as the alarm's stream appears again, back 3 s later")
        << true << "gone as its stream appears again" << QString() << 3000;
    // Told within the time-out of the sound's first moment, not 5 s after it.
    QTest::newRow("the server stops as the alarm starts") << true << "as the alarm starts"
                                                          << "time-out" << 0;
}

// A sound server stopped (SIGSTOP) answers nothing: GStreamer waited for it on the GUI thread, inside play() and
// stop(), for as long as it was stopped, with the SOS warning unpainted and no panel served; and as the start time-out
// began only once the output question was answered, a question that never answered gave no failure, so no beep.
// Stopped under a playing alarm, the server left the sound standing still and the player playing: no failure, so no
// beep for the whole stop, and no alarm for the warnings raised meanwhile.
void TestAudio::aHungSoundServerNeverHoldsTheGuiThread()
{
    QFETCH(bool, questionOpensTheSink);
    QFETCH(QString, hangs);
    QFETCH(QString, meanwhile);
    QFETCH(int, pauseMs);
    const QString folder = m_dir->path() + QStringLiteral("/Audio/");
    QVERIFY(AudioFolder::installBuiltInSound(AudioFolder::alarmName(), folder));
    const QString alarm = folder + AudioFolder::alarmName();
    auto *player = new MediaSoundPlayer;
    const auto deleted = qScopeGuard([&player]() { delete player; });
    QSignalSpy failed(player, &SoundPlayer::failed);
    QElapsedTimer clock;
    if (!questionOpensTheSink)
        player->setOutputProbe([]() { return QString(); });
    // The GUI thread's turns while the sink is held.
    int turnsWhileHeld = 0;
    QTimer turns;
    connect(&turns, &QTimer::timeout, this, [&]() { turnsWhileHeld += AudioMeterSink::heldNow() > 0 ? 1 : 0; });
    turns.start(20);

    AudioMeterSink::reset();
    // Held up to the ceiling at most: a GUI thread held as long shows as a hold that ran out.
    const auto answers = qScopeGuard([]() {
        AudioMeterSink::setHanging(false);
        AudioMeterSink::setSlowStartMs(0);
        AudioMeterSink::setGone(false);
    });
    // Sounds that stood still before the next alarm.
    int stills = 0;
    bool toldAtOnce = false;
    const bool asItStarts = hangs == QLatin1String("as the alarm starts");
    if (hangs == QLatin1String("while playing") || hangs == QLatin1String("under the alarm") || asItStarts) {
        QVERIFY(player->play(alarm, true));
        // Past the first moment of the sound, which a working output may hold still a while longer.
        QTRY_VERIFY(player->position() > (asItStarts ? 0 : MediaSoundPlayer::kPassStartMs) || !failed.isEmpty());
        QCOMPARE(failed.count(), 0);
        AudioMeterSink::setHanging(true, QuorvinTryCeilingMs);
        clock.start();
        if (hangs == QLatin1String("while playing")) {
            player->stop();
        } else {
            // Told 3-5 s after the server stopped, and before anything else runs (an SOS read in the same turn of the
            // event loop): a stopped player with its failure still queued had that SOS start a sound, the failure was
            // dropped for it, and the beep waited for the new sound's own time-out.
            connect(player->findChild<QTimer *>(), &QTimer::timeout, this,
                    [&]() { toldAtOnce = player->isPlaying() || failed.count() == 1; });
            stills = 1;
            QTRY_COMPARE(failed.count(), 1);
            QVERIFY2(clock.elapsed() >= 2500 && clock.elapsed() <= (asItStarts ? 3500 : 5000),
                     qPrintable(QString::number(clock.elapsed())));
            QVERIFY(toldAtOnce && !player->isPlaying() && AudioMeterSink::heldNow() > 0);
            QVERIFY2(failed.first().first().toString().startsWith(QLatin1String("the sound stood still for 3")),
                     qPrintable(failed.first().first().toString()));
        }
    }
    if (meanwhile == QLatin1String("slow starts"))
        AudioMeterSink::setSlowStartMs(1500);
    if (meanwhile == QLatin1String("slowest starts"))
        AudioMeterSink::setSlowStartMs(MediaSoundPlayer::kLoopStartStillMs);
    if (hangs == QLatin1String("paused") || hangs == QLatin1String("until after the failure") ||
        hangs.startsWith(QLatin1String("gone"))) {
        pausedAsTheLoopStarts(player, alarm, hangs, pauseMs);
        return;
    }
    AudioMeterSink::setHanging(!hangs.isEmpty(), QuorvinTryCeilingMs);
    clock.start();
    QVERIFY(player->play(alarm, true));
    // Neither waited for the server.
    QCOMPARE(AudioMeterSink::holdsRunOut(), 0);
    if (hangs.isEmpty()) {
        QTRY_VERIFY(player->position() > 0 || !failed.isEmpty());
        if (!failed.isEmpty())
            QFAIL(qPrintable(cannotPlay(failed)));
        // Through two starts of its loop, never given up, and played once: no more sound than time went by.
        QTRY_VERIFY(AudioMeterSink::audibleSeconds() > 4.5 || !failed.isEmpty());
        QCOMPARE(failed.count(), 0);
        QVERIFY(player->isPlaying());
        const AudioMeterSink::Reading heard = AudioMeterSink::reading();
        QVERIFY(double(heard.frames) / heard.rate <= clock.elapsed() / 1000.0 + 0.5);
        return;
    }

    QTRY_VERIFY(turnsWhileHeld >= 10);
    if (meanwhile == QLatin1String("time-out")) {
        // The failure that makes the alarm beep comes within the start time-out, counted from play().
        QTRY_COMPARE(failed.count(), stills + 1);
        QVERIFY(AudioMeterSink::heldNow() > 0);
        const QString reason = failed.last().first().toString();
        QVERIFY2(reason.startsWith(QLatin1String("the sound did not start within 3000 ms")), qPrintable(reason));
    } else if (meanwhile == QLatin1String("stop")) {
        player->stop();
    } else {
        delete player;
        player = nullptr;
        // It did not wait for the server either.
        QVERIFY(AudioMeterSink::heldNow() > 0);
    }
    QVERIFY(!player || !player->isPlaying());

    // The server answers at last: a sound given up, stopped or deleted meanwhile does not play now.
    AudioMeterSink::setHanging(false);
    QTRY_COMPARE(AudioMeterSink::heldNow(), 0);
    QTest::qWait(500);
    const qint64 framesAfter = AudioMeterSink::reading().frames;
    QTest::qWait(500);
    QCOMPARE(AudioMeterSink::reading().frames, framesAfter);
    QCOMPARE(AudioMeterSink::holdsRunOut(), 0);
    if (hangs == QLatin1String("at open"))
        QCOMPARE(AudioMeterSink::reading().frames, qint64(0));
    if (!player)
        return;
    QCOMPARE(player->position(), qint64(0));
    const int failures = stills + (meanwhile == QLatin1String("stop") ? 0 : 1);
    QCOMPARE(failed.count(), failures);
    // And the next sound plays.
    const double heardBefore = AudioMeterSink::audibleSeconds();
    QVERIFY(player->play(alarm, true));
    QTRY_VERIFY(AudioMeterSink::audibleSeconds() > heardBefore + 0.5 || failed.count() > failures);
    QCOMPARE(failed.count(), failures);
    QVERIFY(player->isPlaying());
}

// The server paused as the alarm's loop starts again, for pauseMs. Ignored for as long as a working output stands
// still there, the pause came on top: at 1.5-2.5 s the sound stood still longer than the time-out, the beep took over,
// and the alarm never came back through the server for as long as its warning was open, nor the note went. Hung there
// "until after the failure", it answers pauseMs after the failure; "gone", it is away for pauseMs while the alarm
// plays.
void TestAudio::pausedAsTheLoopStarts(MediaSoundPlayer *player, const QString &alarm, const QString &hangs, int pauseMs)
{
    const bool afterFailure = hangs == QLatin1String("until after the failure");
    const bool gone = hangs == QLatin1String("gone");
    // Gone at a moment of the sound given ahead.
    const bool atAMoment = hangs.startsWith(QLatin1String("gone as"));
    const bool asAPassEnds = hangs == QLatin1String("gone as a pass ends");
    const bool again = hangs == QLatin1String("gone as its stream appears again");
    // Chosen by the automatic sink, as a sound server is, so that a pass opened without it plays into nothing.
    AudioMeterSink::setOnlyAutomaticChoice(asAPassEnds);
    const auto named = qScopeGuard([]() { AudioMeterSink::setOnlyAutomaticChoice(false); });
    QSignalSpy failed(player, &SoundPlayer::failed);
    QList<qint64> failedAt;
    // When the server answers again.
    qint64 answersAt = 0;
    connect(player, &SoundPlayer::failed, this, [&]() {
        failedAt.append(MediaPlaybackWorker::steadyMs());
        if (afterFailure && failedAt.size() == 1)
            answersAt = AudioMeterSink::answerIn(pauseMs);
    });
    const auto questions = std::make_shared<std::atomic<int>>(0);
    player->setOutputProbe([questions]() {
        ++*questions;
        return AudioOutputProbe::missingOutput();
    });
    // As the alert road does while its warning is open.
    int answers = 0;
    connect(player, &SoundPlayer::outputAnswersAgain, this, [&]() {
        ++answers;
        player->play(alarm, true);
    });
    const bool first = hangs == QLatin1String("gone as its first stream appears");
    if (first)
        AudioMeterSink::goneAt(AudioMeterSink::Moment::NextStart, 0, pauseMs);
    QVERIFY(player->play(alarm, true));
    QTRY_VERIFY(player->position() > 0 || !failed.isEmpty());
    if (!failed.isEmpty() && !first)
        QFAIL(qPrintable(cannotPlay(failed)));
    const bool hang = afterFailure || pauseMs > MediaSoundPlayer::kLoopStartStillMs + 3000;
    qint64 framesBefore = 0;
    if (gone) {
        AudioMeterSink::setGone(true);
        const auto back = qScopeGuard([]() { AudioMeterSink::setGone(false); });
        QTRY_COMPARE(failed.count(), 1);
        framesBefore = AudioMeterSink::reading().frames;
        QVERIFY2(failed.first().first().toString().startsWith(QLatin1String("the audio output failed")),
                 qPrintable(failed.first().first().toString()));
        const int asked = *questions;
        QTRY_VERIFY(MediaPlaybackWorker::steadyMs() > failedAt.first() + pauseMs);
        // Asked again while it is away, at a pace a PC without any output keeps up for hours.
        QVERIFY2(*questions - asked >= 2 && *questions - asked <= 3, qPrintable(QString::number(*questions - asked)));
        QCOMPARE(answers, 0);
        answersAt = MediaPlaybackWorker::steadyMs();
    } else if (atAMoment) {
        if (again) {
            AudioMeterSink::setGone(true);
            QTRY_COMPARE(failed.count(), 1);
            // Back before the look's first question.
            AudioMeterSink::answerIn(MediaSoundPlayer::kFirstLookMs / 2);
        }
        if (!first)
            AudioMeterSink::goneAt(asAPassEnds ? AudioMeterSink::Moment::NextEnd : AudioMeterSink::Moment::NextStart, 0,
                                   pauseMs);
        QTRY_COMPARE(failed.count(), again ? 2 : 1);
        answersAt = AudioMeterSink::goneUntilMs();
        framesBefore = AudioMeterSink::reading().frames;
        // Told within the time-out of the server's end, as the output's failure, never the file's: a pass opened on
        // nothing has no output, and a sound that failed before it was heard was tried and decodes. Which of the two,
        // or a failure under a sound just heard, depends on how far the pass got as the sink went on a loaded PC.
        const qint64 after = failedAt.last() - (answersAt - pauseMs);
        QVERIFY2(after >= 0 && after <= 3000, qPrintable(QString::number(after)));
        const QString reason = failed.last().first().toString();
        QVERIFY2(reason.startsWith(QLatin1String("no audio output")) ||
                     reason.startsWith(QLatin1String("the audio output failed")),
                 qPrintable(reason));
    } else {
        AudioMeterSink::pauseAtNextStart(afterFailure ? QuorvinTryCeilingMs : pauseMs);
        QTRY_VERIFY(AudioMeterSink::pausedAtMs() > 0);
        const qint64 pausedAt = AudioMeterSink::pausedAtMs();
        framesBefore = AudioMeterSink::reading().frames;
        if (!afterFailure)
            answersAt = pausedAt + pauseMs;
        if (hang) {
            // The beep within 3-5 s of the hang, and no new try while the server stays hung.
            QTRY_COMPARE(failed.count(), 1);
            const qint64 after = failedAt.first() - pausedAt;
            QVERIFY2(after >= 2500 && after <= 5000, qPrintable(QString::number(after)));
            QVERIFY2(failed.first().first().toString().startsWith(QLatin1String("the sound stood still")),
                     qPrintable(failed.first().first().toString()));
        }
        if (hang && !afterFailure) {
            QTRY_VERIFY(MediaPlaybackWorker::steadyMs() > answersAt - 500);
            QCOMPARE(answers, 0);
            QVERIFY(AudioMeterSink::heldNow() > 0);
        }
    }
    // The server answers: within 3 s the alarm is heard through it again (5 s after a hang), through one stream.
    const int rate = AudioMeterSink::reading().rate;
    QTRY_VERIFY(answersAt > 0 && player->isPlaying() && AudioMeterSink::reading().frames > framesBefore + rate / 5);
    const qint64 back = MediaPlaybackWorker::steadyMs() - answersAt;
    // Gone again just after it answered, the look's pace had reached 2-4 s.
    QVERIFY2(back <= (again ? 10000 : hang || gone || atAMoment ? 5000 : 3000), qPrintable(QString::number(back)));
    // Not just what the sink held as the server stopped, taken as it answers: the sound goes on.
    const qint64 framesBack = AudioMeterSink::reading().frames;
    QTRY_VERIFY(AudioMeterSink::reading().frames > framesBack + rate / 5);
    QVERIFY(player->isPlaying());
    QCOMPARE(answers, failed.count());
    QVERIFY(failed.count() <= (again ? 2 : 1));
    QCOMPARE(AudioMeterSink::mostPlayingAtOnce(), 1);
    QCOMPARE(AudioMeterSink::holdsRunOut(), 0);

    // Answered: nothing plays on.
    player->stop();
    QTest::qWait(500);
    const qint64 framesAfter = AudioMeterSink::reading().frames;
    QTest::qWait(500);
    QCOMPARE(AudioMeterSink::reading().frames, framesAfter);
    QCOMPARE(answers, failed.count());
}

void TestAudio::alarmPlaysThroughToItsLoop()
{
    const QString folder = m_dir->path() + QStringLiteral("/Audio/");
    QVERIFY(AudioFolder::installBuiltInSound(AudioFolder::alarmName(), folder));
    MediaSoundPlayer player;
    QSignalSpy finished(&player, &SoundPlayer::finished);
    QSignalSpy failed(&player, &SoundPlayer::failed);
    AudioMeterSink::reset();
    QVERIFY(player.play(folder + AudioFolder::alarmName(), true));
    QCOMPARE(player.currentFile(), folder + AudioFolder::alarmName());

    // The siren lasts two seconds. Its loop shows twice: the position starts again, and more of it has been heard
    // than one pass holds.
    qint64 furthest = 0;
    bool startedAgain = false;
    const auto looped = [&]() {
        const qint64 position = player.position();
        if (furthest > 1500 && position < furthest - 1000)
            startedAgain = true;
        furthest = qMax(furthest, position);
        return startedAgain && AudioMeterSink::audibleSeconds() > 2.5;
    };
    QTRY_VERIFY(looped() || !failed.isEmpty());
    if (!failed.isEmpty())
        QFAIL(qPrintable(cannotPlay(failed)));
    QVERIFY(player.isPlaying());
    QCOMPARE(finished.count(), 0);
    // Decoded, the siren peaks at about 14000 of 32767; a player turned down by a sixth or more delivers less.
    QVERIFY2(AudioMeterSink::reading().peak > 12000, qPrintable(QString::number(AudioMeterSink::reading().peak)));

    // Stopped, it is silent at once.
    player.stop();
    QVERIFY(!player.isPlaying());
    const qint64 heard = AudioMeterSink::reading().audibleFrames;
    QTest::qWait(500);
    QCOMPARE(AudioMeterSink::reading().audibleFrames, heard);
    QCOMPARE(failed.count(), 0);
}

void TestAudio::unmute_data()
{
    QTest::addColumn<QStringList>("tools");
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<bool>("levelZero");

    const QString wpGet = QStringLiteral("wpctl get-volume @DEFAULT_AUDIO_SINK@");
    QTest::newRow("wpctl muted") << QStringList{"wpctl", "pactl"} << QByteArray("Volume: 0.40 [MUTED]\n")
                                 << int(AudioSystemHandler::Unmuted)
                                 << QStringList{wpGet, "wpctl set-mute @DEFAULT_AUDIO_SINK@ 0"} << false;
    // Unmuted at level 0 the alarm is still silent: reported, the level left alone.
    QTest::newRow("wpctl muted at 0") << QStringList{"wpctl"} << QByteArray("Volume: 0.00 [MUTED]\n")
                                      << int(AudioSystemHandler::Unmuted)
                                      << QStringList{wpGet, "wpctl set-mute @DEFAULT_AUDIO_SINK@ 0"} << true;
    QTest::newRow("wpctl audible") << QStringList{"wpctl", "pactl"} << QByteArray("Volume: 0.40\n")
                                   << int(AudioSystemHandler::AlreadyAudible) << QStringList{wpGet} << false;
    QTest::newRow("pactl muted") << QStringList{"pactl", "amixer"} << QByteArray("Mute: yes\n")
                                 << int(AudioSystemHandler::Unmuted)
                                 << QStringList{"pactl get-sink-mute @DEFAULT_SINK@",
                                                "pactl set-sink-mute @DEFAULT_SINK@ 0"}
                                 << false;
    QTest::newRow("pactl audible") << QStringList{"pactl"} << QByteArray("Mute: no\n")
                                   << int(AudioSystemHandler::AlreadyAudible)
                                   << QStringList{"pactl get-sink-mute @DEFAULT_SINK@"} << false;
    QTest::newRow("amixer muted") << QStringList{"amixer"}
                                  << QByteArray("Simple mixer control 'Master',0\n"
                                                "  Front Left: Playback 40 [63%] [off]\n"
                                                "  Front Right: Playback 40 [63%] [off]\n")
                                  << int(AudioSystemHandler::Unmuted)
                                  << QStringList{"amixer get Master", "amixer set Master unmute"} << false;
}

// Only the mute flag is touched: a muted output gets exactly one set call, an audible one none,
// and no call ever names a level.
void TestAudio::unmute()
{
    QFETCH(QStringList, tools);
    QFETCH(QByteArray, output);
    QFETCH(int, outcome);
    QFETCH(QStringList, expected);
    QFETCH(bool, levelZero);
    for (const QString &tool : tools)
        installTool(m_dir->path(), tool, output);

    AudioSystemHandler handler;
    // The tools are scripts: on a loaded machine starting one may take longer than the console waits for a mixer.
    handler.setTimeoutMs(QuorvinTryCeilingMs);
    QSignalSpy finished(&handler, &AudioSystemHandler::unmuteFinished);
    handler.unmute();
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(finished.first().first().toInt(), outcome);
    QCOMPARE(calls(m_dir->path()), expected);
    QCOMPARE(handler.outputLevelZero(), levelZero);
    QVERIFY(!handler.isRunning());
}

void TestAudio::unmuteWithoutAToolLogsAndReturnsAtOnce()
{
    AudioSystemHandler handler;
    // "At once" against a wait for a tool: with a minute's limit on tools, any such wait would show.
    handler.setTimeoutMs(60000);
    QSignalSpy finished(&handler, &AudioSystemHandler::unmuteFinished);
    QElapsedTimer clock;
    clock.start();
    handler.unmute();
    QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.first().first().toInt(), int(AudioSystemHandler::NoTool));
    QCOMPARE(AudioSystemHandler::logLine(AudioSystemHandler::NoTool, 0), QStringLiteral("initializeWAS failed"));
}

void TestAudio::aFailedToolIsForgottenAndAHangingOneKilled()
{
    // wpctl present but its server is gone: logged with its exit code.
    installTool(m_dir->path(), QStringLiteral("wpctl"), QByteArray(), 1);
    AudioSystemHandler handler;
    // The tools that answer get all the time a loaded machine needs; only the hanging one below meets a short limit.
    handler.setTimeoutMs(QuorvinTryCeilingMs);
    QSignalSpy finished(&handler, &AudioSystemHandler::unmuteFinished);
    handler.unmute();
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(finished.last().first().toInt(), int(AudioSystemHandler::ReadFailed));
    QCOMPARE(finished.last().at(1).toInt(), 1);
    QCOMPARE(AudioSystemHandler::logLine(AudioSystemHandler::ReadFailed, 1),
             QStringLiteral("pAudioEndpointVolume GetMute failed: 1"));

    // The failure made the handler look again: with wpctl gone, pactl is found.
    QVERIFY(QFile::remove(m_dir->path() + QStringLiteral("/wpctl")));
    installTool(m_dir->path(), QStringLiteral("pactl"), QByteArray("Mute: yes\n"));
    handler.unmute();
    QTRY_COMPARE(finished.count(), 2);
    QCOMPARE(finished.last().first().toInt(), int(AudioSystemHandler::Unmuted));

    // A tool that vanished since is forgotten too; a tool that hangs is killed at the time
    // limit. unmute() itself returns at once, and an alert meanwhile starts no second tool.
    QVERIFY(QFile::remove(m_dir->path() + QStringLiteral("/pactl")));
    installTool(m_dir->path(), QStringLiteral("amixer"), QByteArray("[off]"), 0, true);
    handler.setTimeoutMs(300);
    handler.unmute();
    QTRY_COMPARE(finished.count(), 3);
    QCOMPARE(finished.last().first().toInt(), int(AudioSystemHandler::ReadFailed));
    QCOMPARE(finished.last().at(1).toInt(), -1);
    handler.unmute();
    QVERIFY(handler.isRunning());
    handler.unmute();
    QCOMPARE(finished.last().first().toInt(), int(AudioSystemHandler::Busy));
    QTRY_COMPARE(finished.count(), 5);
    QCOMPARE(finished.last().first().toInt(), int(AudioSystemHandler::ReadFailed));
    QCOMPARE(finished.last().at(1).toInt(), -1);
}

QTEST_GUILESS_MAIN(TestAudio)
#include "tst_audio.moc"
