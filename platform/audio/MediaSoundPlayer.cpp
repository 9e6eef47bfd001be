#include "platform/audio/MediaSoundPlayer.h"

#include "platform/audio/AudioOutputProbe.h"

#include <QFileInfo>
#include <QMediaPlaylist>
#include <QTimer>
#include <QUrl>

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
        if (position > 0)
            m_startTimer->stop();
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
    m_playlist->addMedia(QUrl::fromLocalFile(info.absoluteFilePath()));
    m_playlist->setPlaybackMode(loop ? QMediaPlaylist::CurrentItemInLoop : QMediaPlaylist::CurrentItemOnce);
    m_playlist->setCurrentIndex(0);
    // Without a media back end Qt reports nothing at all: say so instead of pretending to play.
    if (!m_player->isAvailable()) {
        fail(QStringLiteral("no media service (Qt Multimedia back end missing)"));
        return true;
    }
    // Played into nothing, the sound would end without an error and nobody would know it was never heard. Asking
    // opens a sink on this thread, which the alarm waits for: asked once, and again after a failure, which is where a
    // sound server that came or went since shows.
    if (!m_outputKnown) {
        m_missingOutput = m_outputProbe ? m_outputProbe() : QString();
        m_outputKnown = true;
    }
    if (!m_missingOutput.isEmpty()) {
        fail(m_missingOutput);
        return true;
    }
    m_startTimer->start(m_startTimeoutMs);
    m_player->play();
    return true;
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
    if (status == QMediaPlayer::InvalidMedia) {
        fail(QStringLiteral("the file cannot be decoded"));
    } else if (status == QMediaPlayer::EndOfMedia && !m_loop) {
        stop();
        emit finished();
    }
}

void MediaSoundPlayer::onError(QMediaPlayer::Error error)
{
    if (!m_playing || error == QMediaPlayer::NoError)
        return;
    fail(m_player->errorString().isEmpty() ? QStringLiteral("media error %1").arg(int(error))
                                           : m_player->errorString());
}

void MediaSoundPlayer::fail(const QString &reason)
{
    stop();
    m_outputKnown = false;
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
