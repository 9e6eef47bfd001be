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
/// at all, GStreamer plays into a sink that discards the sound, again without an error: play() asks first
/// (AudioOutputProbe) and reports such a sound as failed at once, without playing it. The answer is kept until a
/// sound fails: the first play() and the first after a failure ask.
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
    /// (AudioOutputProbe::missingOutput by default). The next play() asks it.
    void setOutputProbe(std::function<QString()> probe)
    {
        m_outputProbe = std::move(probe);
        m_outputKnown = false;
    }

private:
    void onStatusChanged(QMediaPlayer::MediaStatus status);
    void onError(QMediaPlayer::Error error);
    void fail(const QString &reason);

    QMediaPlayer *m_player;
    QMediaPlaylist *m_playlist;
    QTimer *m_startTimer;
    int m_startTimeoutMs = 3000;
    std::function<QString()> m_outputProbe;
    // The probe's last answer, kept until a sound fails.
    bool m_outputKnown = false;
    QString m_missingOutput;
    QString m_file;
    bool m_loop = false;
    bool m_playing = false;
    quint64 m_generation = 0;
};
