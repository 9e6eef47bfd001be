#pragma once

#include <QString>

/// Whether a sound file decodes, tried without any audio output: GStreamer plays it into a sink that throws the sound
/// away, as fast as it decodes, until its first sound reaches that sink. A sound that failed before any of it was heard
/// may have failed because of the file or because of its output, and the player's own error does not tell which: a
/// sound server that ended as the sound opened was reported as "Cannot play stream of type: <unknown>" as well as
/// "Connection terminated". This tells it.
///
/// Decoding waits on no sound server, but may take a while on a loaded PC: never called on the GUI thread.
class AudioFileCheck
{
public:
    enum class Outcome
    {
        Decodes,
        CannotDecode, ///< the file, or a GStreamer without what it needs to decode it
        Unknown       ///< no answer within the limit: nothing proven
    };

    struct Verdict
    {
        Outcome outcome = Outcome::Unknown;
        /// GStreamer's reason where the file cannot be decoded.
        QString why;
    };

    static Verdict decode(const QString &absolutePath, int limitMs);
};
