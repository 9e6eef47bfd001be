#include "platform/audio/MediaSoundPlayer.h"

#include "platform/audio/AudioOutputProbe.h"

#include <QFileInfo>
#include <QMediaPlaylist>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <memory>

MediaSoundPlayer::MediaSoundPlayer(QObject *parent)
    : SoundPlayer(parent), m_player(new QMediaPlayer(this)), m_playlist(new QMediaPlaylist(this)),
      m_startTimer(new QTimer(this)), m_outputProbe(&AudioOutputProbe::missingOutput)
{
    m_player->setPlaylist(m_playlist);
    m_player->setNotifyInterval(200);
    m_startTimer->setSingleShot(true);
    connect(m_startTimer, &QTimer::timeout, this, [this]() {
        if (m_playing)
            fail(QStringLiteral("the sound did not start (no playback element or audio output)"));
    });
    connect(m_player, &QMediaPlayer::positionChanged, this, [this](qint64 position) {
        if (position > 0 && m_playing) {
            m_startTimer->stop();
            m_heard = true;
        }
    });
    connect(m_player, &QMediaPlayer::mediaStatusChanged, this, &MediaSoundPlayer::onStatusChanged);
    connect(m_player, QOverload<QMediaPlayer::Error>::of(&QMediaPlayer::error), this, &MediaSoundPlayer::onError);
}

MediaSoundPlayer::~MediaSoundPlayer()
{
    m_player->stop();
}

bool MediaSoundPlayer::play(const QString &filePath, bool loop)
{
    stop();
    const QFileInfo info(filePath);
    if (!info.isFile() || !info.isReadable())
        return false;
    ++m_generation;
    m_file = filePath;
    m_loop = loop;
    m_playing = true;
    m_heard = false;
    m_playlist->addMedia(QUrl::fromLocalFile(info.absoluteFilePath()));
    m_playlist->setPlaybackMode(loop ? QMediaPlaylist::CurrentItemInLoop : QMediaPlaylist::CurrentItemOnce);
    m_playlist->setCurrentIndex(0);
    // Without a media back end Qt reports nothing at all: say so instead of pretending to play.
    if (!m_player->isAvailable()) {
        fail(QStringLiteral("no media service (Qt Multimedia back end missing)"));
        return true;
    }
    askForOutput();
    return true;
}

void MediaSoundPlayer::askForOutput()
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
    connect(asking, &QThread::finished, this, [this, generation, missing]() { outputAnswered(generation, *missing); });
    connect(asking, &QThread::finished, asking, &QObject::deleteLater);
    asking->start();
}

void MediaSoundPlayer::outputAnswered(quint64 generation, const QString &missing)
{
    // A stop() or a newer play() since: this answer is no longer wanted.
    if (generation != m_generation || !m_playing)
        return;
    if (!missing.isEmpty()) {
        fail(missing);
        return;
    }
    m_startTimer->start(m_startTimeoutMs);
    m_player->play();
}

void MediaSoundPlayer::stop()
{
    m_playing = false;
    m_startTimer->stop();
    m_player->stop();
    m_playlist->clear();
}

void MediaSoundPlayer::onStatusChanged(QMediaPlayer::MediaStatus status)
{
    if (!m_playing)
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
                    fail(failureReason(m_heard, QMediaPlayer::FormatError, m_player->errorString()));
            },
            Qt::QueuedConnection);
    } else if (status == QMediaPlayer::EndOfMedia && !m_loop) {
        stop();
        emit finished();
    }
}

void MediaSoundPlayer::onError(QMediaPlayer::Error error)
{
    if (!m_playing || error == QMediaPlayer::NoError)
        return;
    fail(failureReason(m_heard, error, m_player->errorString()));
}

QString MediaSoundPlayer::failureReason(bool heard, QMediaPlayer::Error error, const QString &detail)
{
    const QString because = detail.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(detail);
    // Once the sound was heard the file had been decoded: a sound server that ends, or a sound card taken away,
    // is what stops it. Told as a file that cannot be decoded, the log sent the reader after the wrong cause.
    if (heard)
        return QStringLiteral("the audio output failed while the sound played") + because;
    if (error == QMediaPlayer::FormatError)
        return QStringLiteral("the file cannot be decoded") + because;
    return QStringLiteral("the sound cannot be played") + because;
}

void MediaSoundPlayer::fail(const QString &reason)
{
    stop();
    // Queued, so play() has returned before its caller hears of the failure; a failure that a
    // newer play() overtook is not reported against the newer sound.
    const quint64 generation = m_generation;
    QMetaObject::invokeMethod(
        this,
        [this, generation, reason]() {
            if (generation == m_generation)
                emit failed(reason);
        },
        Qt::QueuedConnection);
}
