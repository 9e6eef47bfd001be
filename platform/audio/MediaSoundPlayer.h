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
/// under it leaves. Where there is no audio output at all, GStreamer plays into a sink that discards the sound, again
/// without an error: each play() first asks (AudioOutputProbe) on a thread of its own, and reports such a sound as
/// failed without playing it. A sound server that went away after an earlier sound is found so at the next one. An
/// output that fails while the sound plays is told as the output's failure, not as a file that cannot be decoded.
///
/// Each pass of a loop opens the output again, and an automatic sink that finds none there plays into a sink that
/// discards the sound, as at the first: the pass is failed as the output's, as play() fails a sound with no output
/// (AudioSinkWatch). A sound that fails before any of it was heard is the output's too unless its file cannot be
/// decoded: the same file heard before decodes, and any other is tried without an output (AudioFileCheck) on a thread
/// of its own, so a sound server that ends just after it answered is looked for again and the alarm comes back through
/// it. Only a file proven not to decode is never tried again.
///
/// A looping sound that failed because of its output is still wanted: until play() or stop(), the player looks for
/// the output to answer again and then says so (outputAnswersAgain()). A call the output held coming back tells it at
/// once; otherwise the output is asked again as play() asks it, one question at a time, at pauses growing from 1 s to
/// 4 s. A question a hung server holds is waited for, not repeated.
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
    /// that thread is waited for half a second at most, and not at all while it is known to wait on the server. Ends
    /// the look for a failed loop's output too.
    void stop() override;
    bool isPlaying() const override { return m_playing; }
    QString currentFile() const override { return m_file; }

    /// Milliseconds into the sound; stays 0 until it really plays.
    qint64 position() const;
    /// How long a sound may take to start, counted from play(), and how long a started sound may stand still beyond
    /// what a working output holds it (kLoopStartStillMs as a pass its loop came round to opens), before it counts as
    /// failed (3000 ms).
    void setStartTimeoutMs(int milliseconds) { m_startTimeoutMs = milliseconds; }
    /// How long a working output may hold a looping sound still as each pass of the loop opens the output again: a
    /// sound server's null sink takes up to 2 s, loaded or not (the first pass up to 1.6 s, within the time-out).
    static constexpr int kLoopStartStillMs = 2000;
    /// A sound no further into a pass than this stands at the pass's start: the output gives a pass's first moment
    /// before it holds it still.
    static constexpr int kPassStartMs = 500;
    /// What play() asks before it plays: empty when the sound can reach an audio output, else why not
    /// (AudioOutputProbe::missingOutput by default). It is called on a thread of its own, once per play().
    void setOutputProbe(std::function<QString()> probe) { m_outputProbe = std::move(probe); }
    /// The pauses before each question while a failed loop's output is looked for: the first, doubled at each
    /// question up to the longest, and the first again after stop() or for a sound that played that long.
    static constexpr int kFirstLookMs = 1000;
    static constexpr int kLongestLookMs = 4000;
    /// How long a file that failed before it was heard is tried without an output, at most: a small sound decodes in
    /// a few tens of milliseconds, and one not told by then is not taken for a broken file.
    static constexpr int kJudgeLimitMs = 2000;

private:
    /// What a failure says of the output.
    enum class Blame
    {
        Sound,      ///< the file or the back end: the output is not to blame
        OutputLate, ///< the output did not answer in time
        OutputLost  ///< the output failed under a sound it had taken, or there is none
    };

    /// `lookingAgain`: a question of the look for a failed loop's output rather than of the current sound.
    void askForOutput(bool lookingAgain = false);
    void outputAnswered(quint64 generation, const QString &missing);
    void checkProgress();
    void stopSound(bool waitForSilence);
    void startWorker();
    bool isCurrent(quint64 generation) const { return generation == m_generation && m_playing; }
    void fail(const QString &reason, Blame blame);
    /// The sound failed before any of it was heard, the back end saying `detail`: the file or the output is to blame.
    void judgeFailure(const QString &detail);
    /// A file as it is now: its path, size and last change.
    static QString fileIdentity(const QString &absolutePath);
    /// Whether a call that may wait on the output is still out: an output question or a stop.
    bool callsOut() const;
    /// A call that may wait on the output came back: `waited`, after 500 ms or more without saying the output is
    /// missing; `reached`, a question that says a sound can reach the output.
    void callCameBack(bool waited, bool reached);
    void lookAgain();
    void endLook();
    void outputAnswers();

    std::shared_ptr<MediaPlaybackWorker::Shared> m_shared;
    // Made at the first play(): a player that never sounds starts no thread.
    QThread *m_thread = nullptr;
    MediaPlaybackWorker *m_worker = nullptr;
    QTimer *m_startTimer;
    int m_startTimeoutMs = 3000;
    std::function<QString()> m_outputProbe;
    QString m_file;
    QString m_absolutePath;
    // The last file heard, as fileIdentity() gives it.
    QString m_heardFile;
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
    // After a failure of the output, until play(), stop() or its answer: whether the output is looked for, whether it
    // is asked again or only its held calls are waited for, and what the calls that came back since the failure said.
    bool m_looking = false;
    bool m_asking = false;
    bool m_outputWaited = false;
    bool m_outputReached = false;
    QTimer *m_lookTimer;
    int m_lookPauseMs = kFirstLookMs;
};
