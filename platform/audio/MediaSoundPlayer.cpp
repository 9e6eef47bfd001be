#include "platform/audio/MediaSoundPlayer.h"

#include "platform/audio/AudioFileCheck.h"
#include "platform/audio/AudioOutputProbe.h"

#include <QDateTime>
#include <QFileInfo>
#include <QThread>
#include <QTimer>

#include <chrono>

namespace {

// Ending the player's thread takes a few milliseconds; only a thread held by a sound server that hangs takes longer,
// and the caller (a closing dialog, the console at its exit) must not wait for that server.
constexpr unsigned long kThreadEndWaitMs = 2000;
// Stopping a sound takes a few milliseconds; the sound server may make it wait for ever (a pause waits for its
// answer), and the thread the alarm is answered from must not wait with it. A stop or an output question that takes
// longer waited on the output.
constexpr int kStopWaitMs = 500;

} // namespace

MediaSoundPlayer::MediaSoundPlayer(QObject *parent)
    : SoundPlayer(parent), m_shared(std::make_shared<MediaPlaybackWorker::Shared>()), m_startTimer(new QTimer(this)),
      m_outputProbe(&AudioOutputProbe::missingOutput), m_lookTimer(new QTimer(this))
{
    m_startTimer->setSingleShot(true);
    // Re-armed for what is left of a deadline: a coarse timer's slack on top would put the beep past it.
    m_startTimer->setTimerType(Qt::PreciseTimer);
    connect(m_startTimer, &QTimer::timeout, this, &MediaSoundPlayer::checkProgress);
    m_lookTimer->setSingleShot(true);
    connect(m_lookTimer, &QTimer::timeout, this, &MediaSoundPlayer::lookAgain);
}

void MediaSoundPlayer::checkProgress()
{
    if (!m_playing)
        return;
    if (!m_started) {
        fail(QStringLiteral("the sound did not start within %1 ms (no playback element, or an audio output that does "
                            "not answer)")
                 .arg(m_startTimeoutMs),
             Blame::OutputLate);
        return;
    }
    // A sound server stopped under a playing sound says nothing: the sound just stands still, and the player's
    // thread may be held with it. Judged here, from when the player's thread last saw the sound move, so that this
    // thread's own delays count for nothing. A working output moves the sound at every 200 ms notification, except
    // at the start of each pass of a loop, which it holds still for a while: the time-out counts on top of that.
    // Counted from the last move alone, a server that paused for 1.5 s as a pass began (a busy PC) failed a working
    // alarm.
    qint64 movedAt = 0;
    qint64 loopedAt = 0;
    qint64 position = 0;
    {
        std::lock_guard<std::mutex> locker(m_shared->positionLock);
        if (m_shared->positionOf == m_generation) {
            movedAt = m_shared->movedAtMs;
            loopedAt = m_shared->loopedAtMs;
            position = m_shared->position;
        }
    }
    const qint64 since = qMax(movedAt, m_startedAtMs);
    qint64 deadline = since + m_startTimeoutMs;
    // At the start of a pass the loop came round to (since the sound last moved, or it stands at that pass's first
    // moment), counted from that start: a server that stops there is still told within the time-out and that
    // stillness. Not on the first pass: the stillness a working output holds there (up to 1.6 s measured) fits in the
    // time-out, and with this allowance a server that stopped as the alarm began was told only 5 s later. A pause of
    // the server there that the time-out does not cover fails the sound, which is played again once it answers.
    if (loopedAt >= since || (position < kPassStartMs && loopedAt >= m_startedAtMs))
        deadline = qMax(deadline, loopedAt + kLoopStartStillMs + m_startTimeoutMs);
    const qint64 now = MediaPlaybackWorker::steadyMs();
    if (now < deadline) {
        m_startTimer->start(int(deadline - now));
        return;
    }
    const qint64 still = now - since;
    fail(QStringLiteral("the sound stood still for %1 ms (an audio output that stopped answering)").arg(still),
         Blame::OutputLate);
}

MediaSoundPlayer::~MediaSoundPlayer()
{
    m_shared->wanted = 0;
    if (!m_thread)
        return;
    // The worker is deleted on its own thread as that ends, whenever that is: a thread still held by the server ends
    // once it answers, and deletes itself then. What the worker emits meanwhile reaches nobody, its connections to
    // this object having gone with it.
    connect(m_thread, &QThread::finished, m_thread, &QObject::deleteLater);
    m_thread->quit();
    if (m_thread->wait(kThreadEndWaitMs))
        delete m_thread;
}

void MediaSoundPlayer::startWorker()
{
    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("MediaSoundPlayer"));
    m_worker = new MediaPlaybackWorker(m_shared);
    m_worker->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    connect(m_worker, &MediaPlaybackWorker::started, this, [this](quint64 generation) {
        if (!isCurrent(generation))
            return;
        // From here the same time-out watches the sound go on.
        m_started = true;
        m_heardFile = fileIdentity(m_absolutePath);
        m_startedAtMs = MediaPlaybackWorker::steadyMs();
        m_startTimer->start(m_startTimeoutMs);
        emit heard();
    });
    connect(m_worker, &MediaPlaybackWorker::finished, this, [this](quint64 generation) {
        if (!isCurrent(generation))
            return;
        m_playing = false;
        m_startTimer->stop();
        emit finished();
    });
    connect(m_worker, &MediaPlaybackWorker::failed, this,
            [this](quint64 generation, const QString &reason, MediaPlaybackWorker::Failure failure) {
                if (!isCurrent(generation))
                    return;
                if (failure == MediaPlaybackWorker::NotHeard)
                    judgeFailure(reason);
                else
                    fail(reason, failure == MediaPlaybackWorker::OutputFailed ? Blame::OutputLost : Blame::Sound);
            });
    connect(m_worker, &MediaPlaybackWorker::stopped, this, [this](quint64 ticket) {
        // An earlier stop: the thread still has the latest one to do.
        if (ticket >= m_stopsAsked)
            callCameBack(MediaPlaybackWorker::steadyMs() - m_stopAskedAtMs >= kStopWaitMs, false);
    });
    m_thread->start();
}

bool MediaSoundPlayer::play(const QString &filePath, bool loop)
{
    // The look's pace is kept: a sound played as its output answers again that soon fails the same way is not played
    // again any sooner than the output was last asked.
    endLook();
    if (m_playing)
        stopSound(true);
    const QFileInfo info(filePath);
    if (!info.isFile() || !info.isReadable())
        return false;
    ++m_generation;
    m_shared->wanted = m_generation;
    m_file = filePath;
    m_absolutePath = info.absoluteFilePath();
    m_loop = loop;
    m_playing = true;
    m_started = false;
    if (!m_thread)
        startWorker();
    // Counted from here: an output question or an opening that never answers must still end in a failure.
    m_startTimer->start(m_startTimeoutMs);
    askForOutput();
    return true;
}

void MediaSoundPlayer::askForOutput(bool lookingAgain)
{
    // Played into nothing, the sound would end without an error and nobody would know it was never heard. Asked at
    // every sound: an answer kept from an earlier one let an alarm play into nothing once the sound server had gone.
    // Asking opens a sink, which may wait on a sound server: never on this thread, which the alarm is raised from.
    auto missing = std::make_shared<QString>();
    QThread *asking = QThread::create([probe = m_outputProbe, missing]() {
        if (probe)
            *missing = probe();
    });
    // The answer is written before the thread ends and read after its finished signal, which orders the two.
    const quint64 generation = m_generation;
    const qint64 askedAt = MediaPlaybackWorker::steadyMs();
    ++m_questionsOpen;
    connect(asking, &QThread::finished, this, [this, generation, missing, askedAt, lookingAgain]() {
        --m_questionsOpen;
        if (!lookingAgain)
            outputAnswered(generation, *missing);
        callCameBack(missing->isEmpty() && MediaPlaybackWorker::steadyMs() - askedAt >= kStopWaitMs,
                     missing->isEmpty());
    });
    connect(asking, &QThread::finished, asking, &QObject::deleteLater);
    asking->start();
}

void MediaSoundPlayer::outputAnswered(quint64 generation, const QString &missing)
{
    // A stop() or a newer play() since: this answer is no longer wanted.
    if (!isCurrent(generation))
        return;
    if (!missing.isEmpty()) {
        fail(missing, Blame::OutputLost);
        return;
    }
    QMetaObject::invokeMethod(
        m_worker,
        [worker = m_worker, generation, path = m_absolutePath, loop = m_loop]() {
            worker->play(generation, path, loop);
        },
        Qt::QueuedConnection);
}

void MediaSoundPlayer::stop()
{
    // Whoever stops the sound wants no more of it, also once its output answers again.
    endLook();
    m_lookPauseMs = kFirstLookMs;
    // A sound that ended, failed or was stopped already has its stop asked of the player's thread.
    if (m_playing)
        stopSound(true);
}

void MediaSoundPlayer::endLook()
{
    m_looking = false;
    m_lookTimer->stop();
}

void MediaSoundPlayer::stopSound(bool waitForSilence)
{
    m_playing = false;
    m_shared->wanted = 0;
    m_startTimer->stop();
    if (!m_worker)
        return;
    // Silent when stop() returns, as the alarm stopped at an answer always was: the thread stops the sound at once
    // unless it waits on the sound server. It is waited for briefly, and not at all while it is known to wait: inside
    // a call to the server, or still short of the last stop asked of it (held where the sound stood still).
    std::unique_lock<std::mutex> locker(m_shared->stopLock);
    const bool waitForIt = waitForSilence && !m_shared->busy && m_shared->stopsDone >= m_stopsAsked;
    const quint64 ticket = ++m_stopsAsked;
    m_stopAskedAtMs = MediaPlaybackWorker::steadyMs();
    QMetaObject::invokeMethod(
        m_worker, [worker = m_worker, ticket]() { worker->stop(ticket); }, Qt::QueuedConnection);
    if (!waitForIt)
        return;
    m_shared->stopDone.wait_for(locker, std::chrono::milliseconds(kStopWaitMs),
                                [this, ticket]() { return m_shared->stopsDone >= ticket; });
}

QString MediaSoundPlayer::fileIdentity(const QString &absolutePath)
{
    const QFileInfo info(absolutePath);
    return QStringLiteral("%1\n%2\n%3").arg(absolutePath).arg(info.size()).arg(info.lastModified().toMSecsSinceEpoch());
}

void MediaSoundPlayer::judgeFailure(const QString &detail)
{
    const QString because = detail.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(detail);
    const QString outputFailed = QStringLiteral("the audio output failed before the sound was heard") + because;
    // The same file, unchanged, was heard before: it decodes.
    if (fileIdentity(m_absolutePath) == m_heardFile) {
        fail(outputFailed, Blame::OutputLost);
        return;
    }
    // The sound has failed; only the blame is still open, and it is told once the file is tried, within the limit.
    m_startTimer->stop();
    auto verdict = std::make_shared<AudioFileCheck::Verdict>();
    QThread *judging =
        QThread::create([path = m_absolutePath, verdict]() { *verdict = AudioFileCheck::decode(path, kJudgeLimitMs); });
    const quint64 generation = m_generation;
    connect(judging, &QThread::finished, this, [this, generation, verdict, outputFailed]() {
        if (!isCurrent(generation))
            return;
        // Only a file proven not to decode is the sound's fault; one that decodes, or that was not told in time,
        // leaves the output to blame, and the output is looked for.
        if (verdict->outcome == AudioFileCheck::Outcome::CannotDecode)
            fail(QStringLiteral("the file cannot be decoded (%1)").arg(verdict->why), Blame::Sound);
        else
            fail(outputFailed, Blame::OutputLost);
    });
    connect(judging, &QThread::finished, judging, &QObject::deleteLater);
    judging->start();
}

qint64 MediaSoundPlayer::position() const
{
    std::lock_guard<std::mutex> locker(m_shared->positionLock);
    return m_shared->positionOf == m_generation ? m_shared->position : 0;
}

void MediaSoundPlayer::fail(const QString &reason, Blame blame)
{
    // Read before the failure's own stop is asked: a call out now is one the output holds, so the output is to blame
    // for a sound that did not start, and not a back end without its playback elements.
    const bool held = callsOut() || m_shared->busy;
    // Not waited for: a sound that failed is not heard, and one that stood still met a server that does not answer.
    stopSound(false);
    // Only a looping sound is still wanted after its failure, and only an output to blame is asked again: asked after a
    // file that cannot be decoded, or a back end that never starts a sound, it would answer at once and the sound fail
    // the same way, again and again. A call that the output held coming back tells it answers again, whatever failed:
    // stopping a sound that stood still is one more such call.
    m_asking = m_loop && (blame == Blame::OutputLost || (blame == Blame::OutputLate && (m_started || held)));
    m_looking = blame == Blame::OutputLate || m_asking;
    m_outputWaited = false;
    m_outputReached = false;
    m_lookTimer->stop();
    // A sound the output took for a while failed anew, and its output is asked soon again; one that failed soon after
    // its output answered again is asked at the pace its look had reached, so an output that takes each sound and
    // then fails it costs a try, and its log lines, every 4 s at most.
    if (m_started && MediaPlaybackWorker::steadyMs() - m_startedAtMs >= kLongestLookMs)
        m_lookPauseMs = kFirstLookMs;
    // Told at once, never from inside play(): whatever comes next (an SOS in the same turn of the event loop) must not
    // find the player stopped with nothing said. Queued, the failure was dropped once that SOS started a new sound,
    // and the beep waited for the new sound's own time-out.
    emit failed(reason);
}

bool MediaSoundPlayer::callsOut() const
{
    if (m_questionsOpen > 0)
        return true;
    std::lock_guard<std::mutex> locker(m_shared->stopLock);
    return m_shared->stopsDone < m_stopsAsked;
}

void MediaSoundPlayer::callCameBack(bool waited, bool reached)
{
    m_outputWaited = m_outputWaited || waited;
    m_outputReached = m_outputReached || reached;
    // A question or a stop still out is still held: the output is asked nothing more until it comes back.
    if (!m_looking || callsOut())
        return;
    // A call that waited on the output came back, or a question reached it: it answers. A stop that came back at
    // once says nothing: a server that answered again just after the failure is asked.
    if (m_outputWaited || m_outputReached) {
        outputAnswers();
        return;
    }
    if (!m_asking) {
        // The output answered at once all along (GStreamer without its playback elements, loading for ever): not a
        // hang, and a new sound would only fail the same way, every time.
        m_looking = false;
        return;
    }
    if (!m_lookTimer->isActive())
        m_lookTimer->start(m_lookPauseMs);
}

void MediaSoundPlayer::lookAgain()
{
    if (!m_looking || callsOut())
        return;
    // Unhurried: a PC without any working output asks every few seconds, for as long as the sound is wanted.
    m_lookPauseMs = qMin(m_lookPauseMs * 2, kLongestLookMs);
    askForOutput(true);
}

void MediaSoundPlayer::outputAnswers()
{
    endLook();
    emit outputAnswersAgain();
}
