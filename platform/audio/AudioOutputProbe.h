#pragma once

#include <QByteArray>
#include <QString>

struct _GstElement;
typedef struct _GstElement GstElement;

/// Whether a sound played now would reach an audio output. Without a sound server and a sound card, GStreamer's
/// automatic sink falls back to a sink that throws the sound away: the player reaches its end without an error, and
/// the alarm is silent without a word. This asks GStreamer for the sink the player will take (the element named by
/// QT_GSTREAMER_PLAYBIN_AUDIOSINK, else the automatic one), opens it as the player would, and looks at what it chose.
/// The trial is quiet: whatever the sinks say on the way stays with it.
///
/// The answer holds for the moment it is asked (a sound server may start later); asking costs what one playback's
/// own choice of sink costs.
class AudioOutputProbe
{
public:
    /// Empty when the player's sound would reach an audio output; otherwise why it would not, for the log.
    static QString missingOutput();

    /// The factory an element was made by, "" for one made otherwise.
    static QByteArray factoryOf(GstElement *element);
    /// Whether the element is, or holds, a sink that throws its sound away.
    static bool discardsSound(GstElement *element);
};
