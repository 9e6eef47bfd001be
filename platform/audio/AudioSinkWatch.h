#pragma once

#include <functional>

struct _GstElement;
typedef struct _GstElement GstElement;

/// Which sink a player's automatic audio sink opened. GStreamer's automatic sink chooses again each time it is opened,
/// which a looping sound does at every pass of its loop: with no sound server and no sound card to open it takes a sink
/// that throws the sound away, with nothing but a warning, and the sound moves on as if heard. A sound server that
/// ended just before a pass opened left the alarm silent that way, with no failure to tell it.
///
/// What the sink opened is the proof, not what an output question said a moment before. Asked on the thread the
/// player lives on, which is where the player opens and closes its sink, so the answer is the sink the sound plays on.
class AudioSinkWatch
{
public:
    AudioSinkWatch() = default;
    ~AudioSinkWatch();
    AudioSinkWatch(const AudioSinkWatch &) = delete;
    AudioSinkWatch &operator=(const AudioSinkWatch &) = delete;

    /// Calls `create`, which makes the player on this thread, and watches the automatic audio sink the player makes
    /// there. A player given a sink by name (QT_GSTREAMER_PLAYBIN_AUDIOSINK) has none to watch.
    void watch(const std::function<void()> &create);
    /// The automatic sink is open and found no output: what it plays on throws the sound away. False while it is
    /// closed, when it holds such a sink only as a stand-in until it opens.
    bool discards() const;

private:
    GstElement *m_sink = nullptr;
};
