#pragma once

#include <QObject>
#include <QString>

/// Plays one sound file at a time, once or in a loop: the alarm of an SOS alert and the previews
/// of the broadcast sounds. Pages hold a SoundPlayer* so their logic can be tested with a fake;
/// MediaSoundPlayer is the one that makes a sound.
///
/// GUI thread only. Nothing here blocks: a file that cannot be decoded, or a machine without an
/// audio output, is reported through failed() some time after play() returned.
class SoundPlayer : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    /// Starts the file from its beginning, replacing what played. False, with nothing started,
    /// when the file does not exist or cannot be read.
    virtual bool play(const QString &filePath, bool loop) = 0;
    /// Stops the sound, and ends the look for its output after a failure (outputAnswersAgain()); nothing else happens
    /// when none plays.
    virtual void stop() = 0;
    /// True from a successful play() until stop(), the end of a sound played once, or a failure.
    virtual bool isPlaying() const = 0;
    /// The file of the last successful play(), also after it stopped.
    virtual QString currentFile() const = 0;

signals:
    /// Some of the sound reached the output: emitted once per play(), as the sound first moves.
    void heard();
    /// A sound played once reached its end.
    void finished();
    /// The sound could not be played after all (no decoder, no audio output, a broken file, an
    /// output that stopped taking it); emitted once per play(), and the player is then stopped.
    void failed(const QString &reason);
    /// After a failure because of the output (a sound server that hangs or went away, no output at all), the output
    /// answers again: a sound played now can be heard. A looping sound's output is looked for until it does; after a
    /// sound played once, only a call a hung output held coming back tells it. At most once per such failure, and not
    /// at all once another sound was asked for or stop() was called.
    void outputAnswersAgain();
};
