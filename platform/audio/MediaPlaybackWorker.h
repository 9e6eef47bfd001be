#pragma once

#include "platform/audio/AudioSinkWatch.h"

#include <QMediaPlayer>
#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

class QMediaPlaylist;

/// The QMediaPlayer of a MediaSoundPlayer, on a thread of its own. Opening, starting and stopping a sound go to the
/// sound server and wait for its answers on the calling thread (GStreamer opens the sink inside setCurrentIndex(), and
/// a pause waits for the server to confirm it); a server that hangs rather than ends held the GUI thread as long as it
/// hung, with an SOS warning unpainted and no panel served. Here only this thread waits.
///
/// Every sound is numbered by its player. The player writes the number of the sound it wants into Shared::wanted (0
/// for none) before it asks for anything; work for a sound no longer wanted, whether still queued or just back from a
/// wait on the server, is dropped, so a sound stopped while its output was being opened never plays afterwards.
class MediaPlaybackWorker : public QObject
{
    Q_OBJECT

public:
    /// What a failure says of its cause.
    enum Failure
    {
        /// The output failed: under a sound heard (the file had been decoded), or it was opened with none to take it.
        OutputFailed,
        /// Before any of the sound was heard, the file or the output: the back end's error does not tell which.
        NotHeard,
        /// Qt Multimedia cannot play at all.
        BackEnd
    };
    Q_ENUM(Failure)

    /// What the player and this thread both read: held by both, so either may go first.
    struct Shared
    {
        std::atomic<quint64> wanted{0};
        // This thread is inside play() or stop(), which may wait on the sound server.
        std::atomic<bool> busy{false};
        std::mutex positionLock;
        // The position reached by sound number positionOf, and when it last moved (steadyMs()).
        quint64 positionOf = 0;
        qint64 position = 0;
        qint64 movedAtMs = 0;
        // When a pass of sound number positionOf's loop last reached its end, and the next began to open.
        qint64 loopedAtMs = 0;
        // The last stop the player asked for that is done: the player waits for it, briefly.
        std::mutex stopLock;
        std::condition_variable stopDone;
        quint64 stopsDone = 0;
    };

    /// Milliseconds on a clock that only goes forward, the same on every thread.
    static qint64 steadyMs();

    explicit MediaPlaybackWorker(std::shared_ptr<Shared> shared);
    ~MediaPlaybackWorker() override;

    /// On this object's thread: opens the file and plays it, unless sound `generation` is no longer wanted.
    void play(quint64 generation, const QString &absolutePath, bool loop);
    /// On this object's thread: stops whatever plays and empties the playlist, then counts `ticket` as done.
    void stop(quint64 ticket);

signals:
    /// Some of the sound was played. From here on its position moves for as long as the output takes the sound.
    void started(quint64 generation);
    void finished(quint64 generation);
    /// The sound was stopped and its playlist emptied before this is emitted. A sound that failed NotHeard has for its
    /// reason the back end's own words, empty where it gave none.
    void failed(quint64 generation, const QString &reason, MediaPlaybackWorker::Failure failure);
    /// stop(ticket) is done: whatever the output held it for has answered.
    void stopped(quint64 ticket);

private:
    bool wanted(quint64 generation) const { return m_shared->wanted.load() == generation; }
    bool createPlayer();
    void onStatusChanged(QMediaPlayer::MediaStatus status);
    void onError(QMediaPlayer::Error error);
    void onPosition(qint64 position);
    void fail(const QString &reason, Failure failure);
    /// The back end gave up on the sound, saying `detail`.
    void backEndFailed(const QString &detail);
    /// The automatic audio sink took no output as it opened the sound: the sound is failed as the output's, and true.
    bool failedForNoOutput();
    void stopSound();

    std::shared_ptr<Shared> m_shared;
    QMediaPlayer *m_player = nullptr;
    AudioSinkWatch m_sinkWatch;
    QMediaPlaylist *m_playlist = nullptr;
    quint64 m_generation = 0;
    bool m_loop = false;
    bool m_playing = false;
    // Some of the sound was played: a failure now is the output's, the file had been decoded.
    bool m_heard = false;
    // started() was emitted for this sound.
    bool m_startTold = false;
};
