#include "platform/audio/MediaPlaybackWorker.h"

#include <QMediaPlaylist>
#include <QUrl>

#include <chrono>

namespace {

// Marks the thread as in a call that may wait on the sound server, for the call's length.
class Busy
{
public:
    explicit Busy(std::atomic<bool> &flag) : m_flag(flag) { m_flag = true; }
    ~Busy() { m_flag = false; }
    Busy(const Busy &) = delete;
    Busy &operator=(const Busy &) = delete;

private:
    std::atomic<bool> &m_flag;
};

} // namespace

qint64 MediaPlaybackWorker::steadyMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

MediaPlaybackWorker::MediaPlaybackWorker(std::shared_ptr<Shared> shared) : m_shared(std::move(shared))
{
    qRegisterMetaType<MediaPlaybackWorker::Failure>();
}

MediaPlaybackWorker::~MediaPlaybackWorker()
{
    if (m_player)
        m_player->stop();
}

bool MediaPlaybackWorker::createPlayer()
{
    if (m_player)
        return true;
    // Made on this thread, so that the back end's bus and timers live here too.
    // Each opening of the sound, a pass of a loop included, is watched for the output it found.
    m_sinkWatch.watch([this]() { m_player = new QMediaPlayer(this); });
    m_playlist = new QMediaPlaylist(this);
    m_player->setPlaylist(m_playlist);
    m_player->setNotifyInterval(200);
    connect(m_player, &QMediaPlayer::positionChanged, this, &MediaPlaybackWorker::onPosition);
    connect(m_player, &QMediaPlayer::mediaStatusChanged, this, &MediaPlaybackWorker::onStatusChanged);
    connect(m_player, QOverload<QMediaPlayer::Error>::of(&QMediaPlayer::error), this, &MediaPlaybackWorker::onError);
    return m_player->isAvailable();
}

void MediaPlaybackWorker::play(quint64 generation, const QString &absolutePath, bool loop)
{
    if (!wanted(generation))
        return;
    const Busy busy(m_shared->busy);
    stopSound();
    m_generation = generation;
    m_loop = loop;
    m_heard = false;
    m_startTold = false;
    // Without a media back end Qt reports nothing at all: say so instead of pretending to play.
    if (!createPlayer()) {
        emit failed(generation, QStringLiteral("no media service (Qt Multimedia back end missing)"), BackEnd);
        return;
    }
    m_playlist->addMedia(QUrl::fromLocalFile(absolutePath));
    m_playlist->setPlaybackMode(loop ? QMediaPlaylist::CurrentItemInLoop : QMediaPlaylist::CurrentItemOnce);
    // Opens the output: this is where a sound server that does not answer holds the thread.
    m_playlist->setCurrentIndex(0);
    // Stopped, or overtaken by a newer sound, while the output was opened: it must not start now, not even for the
    // moment until the stop queued behind this call is taken up.
    if (!wanted(generation)) {
        stopSound();
        return;
    }
    m_playing = true;
    if (failedForNoOutput())
        return;
    m_player->play();
}

void MediaPlaybackWorker::stop(quint64 ticket)
{
    {
        const Busy busy(m_shared->busy);
        stopSound();
    }
    {
        std::lock_guard<std::mutex> locker(m_shared->stopLock);
        m_shared->stopsDone = ticket;
    }
    m_shared->stopDone.notify_all();
    emit stopped(ticket);
}

void MediaPlaybackWorker::stopSound()
{
    m_playing = false;
    {
        std::lock_guard<std::mutex> locker(m_shared->positionLock);
        m_shared->position = 0;
    }
    if (!m_player)
        return;
    m_player->stop();
    m_playlist->clear();
}

void MediaPlaybackWorker::onPosition(qint64 position)
{
    if (!m_playing || position <= 0 || failedForNoOutput())
        return;
    {
        // The position is asked for every 200 ms while the sound plays, whether it moved or not.
        std::lock_guard<std::mutex> locker(m_shared->positionLock);
        if (m_shared->positionOf != m_generation || m_shared->position != position)
            m_shared->movedAtMs = steadyMs();
        m_shared->positionOf = m_generation;
        m_shared->position = position;
    }
    m_heard = true;
    if (!m_startTold) {
        m_startTold = true;
        emit started(m_generation);
    }
}

void MediaPlaybackWorker::onStatusChanged(QMediaPlayer::MediaStatus status)
{
    if (!m_playing || failedForNoOutput())
        return;
    // The position goes back to 0 as the back end stops on a failure, before it reports the error; position
    // notifications come only every 200 ms.
    if (m_player->position() > 0)
        m_heard = true;
    if (status == QMediaPlayer::InvalidMedia) {
        // The back end says why only just after: the error that follows names it. Without one, the file is to blame.
        const quint64 generation = m_generation;
        QMetaObject::invokeMethod(
            this,
            [this, generation]() {
                if (generation == m_generation && m_playing)
                    backEndFailed(m_player->errorString());
            },
            Qt::QueuedConnection);
    } else if (status == QMediaPlayer::EndOfMedia && !m_loop) {
        stopSound();
        emit finished(m_generation);
    } else if (status == QMediaPlayer::EndOfMedia) {
        // The next pass opens the output again, which stands still a while even where the output works.
        std::lock_guard<std::mutex> locker(m_shared->positionLock);
        if (m_shared->positionOf == m_generation)
            m_shared->loopedAtMs = steadyMs();
    }
}

void MediaPlaybackWorker::onError(QMediaPlayer::Error error)
{
    if (!m_playing || error == QMediaPlayer::NoError)
        return;
    backEndFailed(m_player->errorString());
}

void MediaPlaybackWorker::backEndFailed(const QString &detail)
{
    // Once the sound was heard the file had been decoded: a sound server that ends, or a sound card taken away,
    // is what stops it. Told as a file that cannot be decoded, the log sent the reader after the wrong cause.
    if (m_heard)
        fail(QStringLiteral("the audio output failed while the sound played") +
                 (detail.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(detail)),
             OutputFailed);
    else
        fail(detail, NotHeard);
}

bool MediaPlaybackWorker::failedForNoOutput()
{
    // Asked before the sound's position counts as heard: a sound played into the sink that throws it away moves on
    // as one heard does.
    if (!m_sinkWatch.discards())
        return false;
    fail(QStringLiteral("no audio output: the sound was opened with no sound server and no sound card to play on"),
         OutputFailed);
    return true;
}

void MediaPlaybackWorker::fail(const QString &reason, Failure failure)
{
    // Stopped and emptied first, so a broken file in a looping playlist is never retried in a busy loop.
    stopSound();
    emit failed(m_generation, reason, failure);
}
