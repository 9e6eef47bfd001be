#pragma once

#include <QtGlobal>

// A GStreamer audio sink for a machine without a sound card: it takes the samples at the pace of the pipeline's clock,
// as a sound card would, throws them away and measures them. Installed as the sink of every QMediaPlayer made after
// install() (Qt's GStreamer back end takes its sink from QT_GSTREAMER_PLAYBIN_AUDIOSINK), so the tests hear the sound
// as it leaves the player, after its volume and mute: a silenced player delivers silence here.
class AudioMeterSink
{
public:
    struct Reading
    {
        // Frames louder than about -40 dBFS, and all frames, that reached the sink.
        qint64 audibleFrames = 0;
        qint64 frames = 0;
        // The loudest sample, out of 32767.
        int peak = 0;
        int rate = 0;
    };

    // Registers the element and names it as the players' audio sink; false when GStreamer would not take it.
    static bool install();
    // Forgets what was measured so far.
    static void reset();
    static Reading reading();
    // Seconds of audible sound measured since the last reset.
    static double audibleSeconds();
    // While set, the sink fails at its next buffer as an output whose sound server went away does.
    static void setFailing(bool failing);
    // While set, the sound server is gone: the sink fails at its next buffer, and opening one fails as pulsesink's
    // does without a server to connect to.
    static void setGone(bool gone);
    // The moments of the sound a server may end at, for goneAt().
    enum class Moment
    {
        NextStart, // the next start of playing: a stream appears on the server
        NextEnd    // the end of the next sound or pass of a loop, as the next one opens
    };
    // The server goes at that moment, or afterMs after it, for forMs: it is gone as setGone() makes it.
    static void goneAt(Moment moment, int afterMs, int forMs);
    // Until when the server stays gone, in milliseconds on std::chrono::steady_clock.
    static qint64 goneUntilMs();
    // While set, the players take GStreamer's automatic sink, none named for them, and the meter is the only audio sink
    // it may choose: gone, the meter is not chosen, and the automatic sink plays into one that discards the sound, as
    // on a PC whose sound server ended.
    static void setOnlyAutomaticChoice(bool only);
    // The server stopped by setHanging() or gone answers again this many milliseconds from now, as one continued
    // (SIGCONT) or started again does; returns that moment, in milliseconds on std::chrono::steady_clock.
    static qint64 answerIn(int milliseconds);
    // While set, every start of playing stands still for this long before the sink takes its first sound, as a
    // sound server's null sink does; 0 for none.
    static void setSlowStartMs(int milliseconds);
    // While set, opening, pausing or taking sound waits as pulsesink's does on a sound server that was stopped
    // (SIGSTOP): until it is unset, or until one has waited limitMs, which unsets it.
    static void setHanging(bool hanging, int limitMs = 0);
    // At the next start of playing, once its slow start has passed, everything waits as setHanging() makes it for this
    // long, as a sound server stopped (SIGSTOP) that long and then continued does; 0 for none.
    static void pauseAtNextStart(int milliseconds);
    // When that pause began, in milliseconds on std::chrono::steady_clock; 0 until it did.
    static qint64 pausedAtMs();
    // How many opens, pauses or sounds taken wait now.
    static int heldNow();
    // The most sinks that played at once since the last reset(): each is a stream on a sound server.
    static int mostPlayingAtOnce();
    // How many of them since the last reset() waited their whole limit: nobody got to let them go.
    static int holdsRunOut();
};
