#pragma once

#include "platform/audio/SoundPlayer.h"

#include <QMediaPlayer>

#include <functional>

class QMediaPlaylist;
class QTimer;

/// SoundPlayer over Qt Multimedia: a QMediaPlayer with a one-item playlist, looping or played once.
///
/// A failed sound is stopped and its playlist emptied before failed() is emitted, so a broken file
/// in a looping playlist is never retried in a busy loop. Where the GStreamer back end lacks its
/// playback elements, Qt reports no error at all and the sound stays "loading" for ever; a sound
/// that has not started within the start time-out is therefore reported as failed too. Where there is no audio output
/// at all, GStreamer plays into a sink that discards the sound, again without an error: each play() first asks
/// (AudioOutputProbe) on a thread of its own, and reports such a sound as failed without playing it. A sound server
/// that went away after an earlier sound is found so at the next one. An output that fails while the sound plays is
/// told as the output's failure, not as a file that cannot be decoded.
class MediaSoundPlayer : public SoundPlayer
{
    Q_OBJECT

public:
    explicit MediaSoundPlayer(QObject *parent = nullptr);
    ~MediaSoundPlayer() override;

    bool play(const QString &filePath, bool loop) override;
    void stop() override;
    bool isPlaying() const override { return m_playing; }
    QString currentFile() const override { return m_file; }

    /// Milliseconds into the sound; stays 0 until it really plays.
    qint64 position() const { return m_player->position(); }
    /// How long a sound may take to start before it counts as failed (3000 ms).
    void setStartTimeoutMs(int milliseconds) { m_startTimeoutMs = milliseconds; }
    /// What play() asks before it plays: empty when the sound can reach an audio output, else why not
    /// (AudioOutputProbe::missingOutput by default). It is called on a thread of its own, once per play().
    void setOutputProbe(std::function<QString()> probe) { m_outputProbe = std::move(probe); }

    /// Why a sound failed, from what the back end said: `heard` tells whether any of it had played.
    static QString failureReason(bool heard, QMediaPlayer::Error error, const QString &detail);

private:
    void askForOutput();
    void outputAnswered(quint64 generation, const QString &missing);
    void onStatusChanged(QMediaPlayer::MediaStatus status);
    void onError(QMediaPlayer::Error error);
    void fail(const QString &reason);

    QMediaPlayer *m_player;
    QMediaPlaylist *m_playlist;
    QTimer *m_startTimer;
    int m_startTimeoutMs = 3000;
    std::function<QString()> m_outputProbe;
    QString m_file;
    bool m_loop = false;
    bool m_playing = false;
    // Some of the sound was played: a failure now is the output's, the file had been decoded.
    bool m_heard = false;
    quint64 m_generation = 0;
};
