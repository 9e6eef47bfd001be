#pragma once

#include "platform/audio/MediaPlaybackWorker.h"
#include "platform/audio/SoundPlayer.h"

#include <functional>
#include <memory>

class QThread;
class QTimer;

/// SoundPlayer over Qt Multimedia: a QMediaPlayer with a one-item playlist, looping or played once.
///
/// The QMediaPlayer lives on a thread of its own (MediaPlaybackWorker): opening an output, starting and stopping
/// wait on the sound server, and a server that hangs must not hold the thread the SOS warning is painted from. This
/// object, its calls and its signals stay on the thread that made it.
///
/// A failed sound is stopped and its playlist emptied before failed() is emitted, so a broken file in a looping
/// playlist is never retried in a busy loop. Where the GStreamer back end lacks its playback elements, Qt reports no
/// error at all and the sound stays "loading" for ever, and a sound server that hangs answers nothing either: a sound
/// that has not started within the start time-out of its play() is therefore reported as failed too, and so is a
/// started sound that stands still as long beyond what a working output holds it, which is what a sound server stopped
/// under it leaves. Once every call such a server held has come back, outputAnswersAgain() says so. Where there is
/// no audio output at all, GStreamer plays into a sink that discards the sound, again without an error: each play()
/// first asks (AudioOutputProbe) on a thread of its own, and reports such a sound as failed without playing it. A
/// sound server that went away after an earlier sound is found so at the next one. An output that fails while the
/// sound plays is told as the output's failure, not as a file that cannot be decoded.
class MediaSoundPlayer : public SoundPlayer
{
    Q_OBJECT

public:
    explicit MediaSoundPlayer(QObject *parent = nullptr);
    /// Waits for the player's thread at most a couple of seconds: one held by a sound server that hangs is left to
    /// end by itself once the server answers.
    ~MediaSoundPlayer() override;

    bool play(const QString &filePath, bool loop) override;
    /// The sound is silent when this returns, unless the sound server keeps the player's thread from stopping it:
    /// that thread is waited for half a second at most, and not at all while it is known to wait on the server.
    void stop() override;
    bool isPlaying() const override { return m_playing; }
    QString currentFile() const override { return m_file; }

    /// Milliseconds into the sound; stays 0 until it really plays.
    qint64 position() const;
    /// How long a sound may take to start, counted from play(), and how long a started sound may stand still beyond
    /// what a working output holds it (kLoopStartStillMs as a pass of its loop opens), before it counts as failed
    /// (3000 ms).
    void setStartTimeoutMs(int milliseconds) { m_startTimeoutMs = milliseconds; }
    /// How long a working output may hold a looping sound still as each pass of the loop opens the output again: a
    /// sound server's null sink takes up to 2 s, loaded or not.
    static constexpr int kLoopStartStillMs = 2000;
    /// A sound no further into a pass than this stands at the pass's start: the output gives a pass's first moment
    /// before it holds it still.
    static constexpr int kPassStartMs = 500;
    /// What play() asks before it plays: empty when the sound can reach an audio output, else why not
    /// (AudioOutputProbe::missingOutput by default). It is called on a thread of its own, once per play().
    void setOutputProbe(std::function<QString()> probe) { m_outputProbe = std::move(probe); }

private:
    void askForOutput();
    void outputAnswered(quint64 generation, const QString &missing);
    void checkProgress();
    void stopSound(bool waitForSilence);
    void startWorker();
    bool isCurrent(quint64 generation) const { return generation == m_generation && m_playing; }
    /// `outputTimedOut`: the output did not answer in time, and outputAnswersAgain() is to follow once it does.
    void fail(const QString &reason, bool outputTimedOut = false);
    /// A call that may wait on the output came back after `tookMs`.
    void callCameBack(qint64 tookMs);

    std::shared_ptr<MediaPlaybackWorker::Shared> m_shared;
    // Made at the first play(): a player that never sounds starts no thread.
    QThread *m_thread = nullptr;
    MediaPlaybackWorker *m_worker = nullptr;
    QTimer *m_startTimer;
    int m_startTimeoutMs = 3000;
    std::function<QString()> m_outputProbe;
    QString m_file;
    QString m_absolutePath;
    bool m_loop = false;
    bool m_playing = false;
    // The current sound was heard, at m_startedAtMs (MediaPlaybackWorker::steadyMs()).
    bool m_started = false;
    qint64 m_startedAtMs = 0;
    quint64 m_generation = 0;
    quint64 m_stopsAsked = 0;
    qint64 m_stopAskedAtMs = 0;
    // Output questions still out, whichever sound asked them.
    int m_questionsOpen = 0;
    // A failure because the output did not answer waits for every call out to come back; whether one of them waited on
    // the output since the current sound was asked for.
    bool m_awaitingAnswer = false;
    bool m_outputWaited = false;
};
