#include "AudioMeterSink.h"

#include <gst/base/gstbasesink.h>
#include <gst/gst.h>

#include <QList>
#include <QPair>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>
#include <thread>

namespace {

const char *const kFactoryName = "quorvinaudiometer";
// About -40 dBFS: the quiet tail of a fade still counts, digital silence and dither do not.
constexpr int kAudibleLevel = 328;

std::atomic<qint64> g_audibleFrames{0};
std::atomic<qint64> g_frames{0};
std::atomic<int> g_peak{0};
std::atomic<int> g_rate{0};
std::atomic<int> g_channels{1};
std::atomic<bool> g_failing{false};
std::atomic<bool> g_gone{false};
// From and until when the server stays gone, in steadyMs().
std::atomic<qint64> g_goneFromMs{0};
std::atomic<qint64> g_goneUntilMs{0};
// A going armed for a moment ahead (goneAt()): -1 for none, else the Moment, with its delay and length.
std::atomic<int> g_goneAtMoment{-1};
std::atomic<int> g_goneAfterMs{0};
std::atomic<int> g_goneForMs{0};
std::atomic<int> g_slowStartMs{0};
// Set as the sink starts playing, cleared by its first sound.
std::atomic<bool> g_freshStart{false};
std::atomic<int> g_pauseAtStartMs{0};
std::atomic<qint64> g_pausedAtMs{0};
std::atomic<int> g_playing{0};
std::atomic<int> g_mostPlaying{0};

qint64 steadyMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// A sound server stopped (SIGSTOP) rather than ended: the sink's open waits for an answer that does not come, until
// the test lets it go or the hold's own limit passes.
struct Hold
{
    std::mutex mutex;
    std::condition_variable changed;
    bool hanging = false;
    int limitMs = 0;
    // A pause ends by itself at resumeAt, as a server continued (SIGCONT) does; a hang waits for the test.
    bool pausing = false;
    std::chrono::steady_clock::time_point resumeAt;
    int held = 0;
    int runOut = 0;
};
// Never destroyed: a process that ends while an open is held must not wait on its condition at exit.
Hold &g_hold = *new Hold;
GstElementClass *g_parentClass = nullptr;

bool gone()
{
    const qint64 now = steadyMs();
    return g_gone && now >= g_goneFromMs && now < g_goneUntilMs;
}

// The moment armed by goneAt() has come.
void momentCame(AudioMeterSink::Moment moment)
{
    int armed = int(moment);
    if (!g_goneAtMoment.compare_exchange_strong(armed, -1))
        return;
    g_goneFromMs = steadyMs() + g_goneAfterMs;
    g_goneUntilMs = g_goneFromMs + g_goneForMs;
    g_gone = true;
}

// Waits while the server is stopped.
void waitWhileHanging()
{
    std::unique_lock<std::mutex> lock(g_hold.mutex);
    if (!g_hold.hanging)
        return;
    ++g_hold.held;
    const auto limit = std::chrono::steady_clock::now() + std::chrono::milliseconds(g_hold.limitMs);
    while (g_hold.hanging) {
        // Looked at again at each change: a hang may be given its end while it is waited for.
        const auto until = g_hold.pausing ? std::min(limit, g_hold.resumeAt) : limit;
        g_hold.changed.wait_until(lock, until);
        if (!g_hold.hanging || std::chrono::steady_clock::now() < until)
            continue;
        // A hold that runs out ends the stop for every wait, as a server that is continued does.
        if (!g_hold.pausing || std::chrono::steady_clock::now() < g_hold.resumeAt)
            ++g_hold.runOut;
        g_hold.hanging = false;
        g_hold.pausing = false;
        g_hold.changed.notify_all();
    }
    --g_hold.held;
}

// Where pulsesink waits on its server: opening (NULL to READY connects) and pausing (PLAYING to PAUSED corks).
GstStateChangeReturn changeState(GstElement *element, GstStateChange transition)
{
    if (transition == GST_STATE_CHANGE_NULL_TO_READY && gone()) {
        GST_ELEMENT_ERROR(element, RESOURCE, FAILED, ("Failed to connect: Connection refused"), (nullptr));
        return GST_STATE_CHANGE_FAILURE;
    }
    if (transition == GST_STATE_CHANGE_NULL_TO_READY || transition == GST_STATE_CHANGE_PLAYING_TO_PAUSED)
        waitWhileHanging();
    if (transition == GST_STATE_CHANGE_PAUSED_TO_PLAYING) {
        momentCame(AudioMeterSink::Moment::NextStart);
        g_freshStart = true;
        const int playing = ++g_playing;
        int most = g_mostPlaying;
        while (playing > most && !g_mostPlaying.compare_exchange_weak(most, playing)) {
        }
    }
    if (transition == GST_STATE_CHANGE_PLAYING_TO_PAUSED)
        --g_playing;
    return g_parentClass->change_state(element, transition);
}

gboolean setCaps(GstBaseSink *, GstCaps *caps)
{
    const GstStructure *format = gst_caps_get_structure(caps, 0);
    int rate = 0;
    int channels = 0;
    if (!gst_structure_get_int(format, "rate", &rate) || !gst_structure_get_int(format, "channels", &channels) ||
        rate <= 0 || channels <= 0)
        return FALSE;
    g_rate = rate;
    g_channels = channels;
    return TRUE;
}

GstFlowReturn render(GstBaseSink *sink, GstBuffer *buffer)
{
    // A stopped server asks for no more sound: pulsesink's writing waits for it, and the sound stands still.
    waitWhileHanging();
    if (g_freshStart.exchange(false)) {
        // A pause asked for while this start already stands still waits for the next start.
        const int pauseMs = g_pauseAtStartMs.exchange(0);
        std::this_thread::sleep_for(std::chrono::milliseconds(g_slowStartMs.load()));
        if (pauseMs > 0) {
            {
                std::lock_guard<std::mutex> lock(g_hold.mutex);
                g_hold.hanging = true;
                g_hold.pausing = true;
                g_hold.resumeAt = std::chrono::steady_clock::now() + std::chrono::milliseconds(pauseMs);
                g_hold.limitMs = pauseMs + 60000;
                g_pausedAtMs = steadyMs();
            }
            waitWhileHanging();
        }
    }
    if (g_failing || gone()) {
        // What pulsesink posts when its sound server ends under it.
        GST_ELEMENT_ERROR(sink, RESOURCE, FAILED, ("Disconnected: Connection terminated"), (nullptr));
        return GST_FLOW_ERROR;
    }
    GstMapInfo map;
    if (!gst_buffer_map(buffer, &map, GST_MAP_READ))
        return GST_FLOW_ERROR;
    const int channels = g_channels;
    const gsize frameBytes = gsize(channels) * sizeof(qint16);
    qint64 audible = 0;
    int peak = 0;
    const gsize frames = map.size / frameBytes;
    for (gsize frame = 0; frame < frames; ++frame) {
        int loudest = 0;
        for (int channel = 0; channel < channels; ++channel) {
            qint16 sample;
            std::memcpy(&sample, map.data + frame * frameBytes + gsize(channel) * sizeof(qint16), sizeof sample);
            loudest = qMax(loudest, std::abs(int(sample)));
        }
        if (loudest > kAudibleLevel)
            ++audible;
        peak = qMax(peak, loudest);
    }
    gst_buffer_unmap(buffer, &map);
    g_audibleFrames += audible;
    g_frames += qint64(frames);
    int seen = g_peak;
    while (peak > seen && !g_peak.compare_exchange_weak(seen, peak)) {
    }
    return GST_FLOW_OK;
}

// The sound's end reaches the sink as an event, once what came before it was played.
gboolean event(GstBaseSink *sink, GstEvent *event)
{
    if (GST_EVENT_TYPE(event) == GST_EVENT_EOS)
        momentCame(AudioMeterSink::Moment::NextEnd);
    return GST_BASE_SINK_CLASS(g_parentClass)->event(sink, event);
}

void classInit(gpointer klass, gpointer)
{
    auto *element = GST_ELEMENT_CLASS(klass);
    g_parentClass = GST_ELEMENT_CLASS(g_type_class_peek_parent(klass));
    element->change_state = changeState;
    gst_element_class_set_static_metadata(element, "Audio meter", "Sink/Audio",
                                          "Takes audio in real time, discards it and measures its level",
                                          "Quorvin tests");
    static GstStaticPadTemplate sinkTemplate =
        GST_STATIC_PAD_TEMPLATE("sink", GST_PAD_SINK, GST_PAD_ALWAYS,
                                GST_STATIC_CAPS("audio/x-raw, format=(string)S16LE, layout=(string)interleaved, "
                                                "rate=(int)[1, MAX], channels=(int)[1, 8]"));
    gst_element_class_add_static_pad_template(element, &sinkTemplate);
    auto *sink = GST_BASE_SINK_CLASS(klass);
    sink->set_caps = setCaps;
    sink->render = render;
    sink->event = event;
}

void instanceInit(GTypeInstance *instance, gpointer)
{
    // Paced by the clock, as a sound card is: a loop then takes as long as the sound.
    gst_base_sink_set_sync(GST_BASE_SINK(instance), TRUE);
}

GType meterType()
{
    static const GType type =
        g_type_register_static_simple(GST_TYPE_BASE_SINK, "QuorvinAudioMeter", sizeof(GstBaseSinkClass), classInit,
                                      sizeof(GstBaseSink), instanceInit, GTypeFlags(0));
    return type;
}

} // namespace

bool AudioMeterSink::install()
{
    if (!gst_init_check(nullptr, nullptr, nullptr))
        return false;
    if (!gst_element_register(nullptr, kFactoryName, GST_RANK_NONE, meterType()))
        return false;
    qputenv("QT_GSTREAMER_PLAYBIN_AUDIOSINK", kFactoryName);
    return true;
}

void AudioMeterSink::reset()
{
    g_audibleFrames = 0;
    g_frames = 0;
    g_peak = 0;
    g_pausedAtMs = 0;
    g_mostPlaying = g_playing.load();
    std::lock_guard<std::mutex> lock(g_hold.mutex);
    g_hold.runOut = 0;
}

AudioMeterSink::Reading AudioMeterSink::reading()
{
    Reading now;
    now.audibleFrames = g_audibleFrames;
    now.frames = g_frames;
    now.peak = g_peak;
    now.rate = g_rate;
    return now;
}

void AudioMeterSink::setFailing(bool failing)
{
    g_failing = failing;
}

void AudioMeterSink::setGone(bool gone)
{
    g_goneAtMoment = -1;
    g_goneFromMs = 0;
    g_goneUntilMs = std::numeric_limits<qint64>::max();
    g_gone = gone;
}

void AudioMeterSink::goneAt(Moment moment, int afterMs, int forMs)
{
    g_goneAfterMs = afterMs;
    g_goneForMs = forMs;
    g_goneAtMoment = int(moment);
}

qint64 AudioMeterSink::goneUntilMs()
{
    return g_goneUntilMs;
}

void AudioMeterSink::setOnlyAutomaticChoice(bool only)
{
    // The ranks taken away, and the sink named for the players before.
    static QList<QPair<GstPluginFeature *, guint>> ranks;
    static QByteArray named;
    static bool taken = false;
    if (only == taken)
        return;
    taken = only;
    GstPluginFeature *meter = gst_registry_lookup_feature(gst_registry_get(), kFactoryName);
    if (!meter)
        return;
    if (!only) {
        for (const auto &rank : qAsConst(ranks)) {
            gst_plugin_feature_set_rank(rank.first, rank.second);
            gst_object_unref(rank.first);
        }
        ranks.clear();
        gst_plugin_feature_set_rank(meter, GST_RANK_NONE);
        gst_object_unref(meter);
        qputenv("QT_GSTREAMER_PLAYBIN_AUDIOSINK", named);
        return;
    }
    GList *features = gst_registry_get_feature_list(gst_registry_get(), GST_TYPE_ELEMENT_FACTORY);
    for (GList *item = features; item; item = item->next) {
        GstPluginFeature *feature = GST_PLUGIN_FEATURE(item->data);
        const char *klass = gst_element_factory_get_metadata(GST_ELEMENT_FACTORY(feature), GST_ELEMENT_METADATA_KLASS);
        const guint rank = gst_plugin_feature_get_rank(feature);
        if (feature != meter && klass && std::strstr(klass, "Sink") && std::strstr(klass, "Audio") &&
            rank >= GST_RANK_MARGINAL) {
            ranks.append({GST_PLUGIN_FEATURE(gst_object_ref(feature)), rank});
            gst_plugin_feature_set_rank(feature, GST_RANK_NONE);
        }
    }
    gst_plugin_feature_list_free(features);
    gst_plugin_feature_set_rank(meter, GST_RANK_PRIMARY);
    gst_object_unref(meter);
    named = qgetenv("QT_GSTREAMER_PLAYBIN_AUDIOSINK");
    qunsetenv("QT_GSTREAMER_PLAYBIN_AUDIOSINK");
}

qint64 AudioMeterSink::answerIn(int milliseconds)
{
    const auto at = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    const qint64 atMs = std::chrono::duration_cast<std::chrono::milliseconds>(at.time_since_epoch()).count();
    g_goneUntilMs = atMs;
    {
        std::lock_guard<std::mutex> lock(g_hold.mutex);
        if (g_hold.hanging) {
            g_hold.pausing = true;
            g_hold.resumeAt = at;
        }
    }
    g_hold.changed.notify_all();
    return atMs;
}

double AudioMeterSink::audibleSeconds()
{
    const Reading now = reading();
    return now.rate > 0 ? double(now.audibleFrames) / now.rate : 0.0;
}

void AudioMeterSink::setSlowStartMs(int milliseconds)
{
    g_slowStartMs = milliseconds;
}

void AudioMeterSink::pauseAtNextStart(int milliseconds)
{
    g_pauseAtStartMs = milliseconds;
}

qint64 AudioMeterSink::pausedAtMs()
{
    return g_pausedAtMs;
}

int AudioMeterSink::mostPlayingAtOnce()
{
    return g_mostPlaying;
}

void AudioMeterSink::setHanging(bool hanging, int limitMs)
{
    {
        std::lock_guard<std::mutex> lock(g_hold.mutex);
        g_hold.hanging = hanging;
        g_hold.pausing = false;
        g_hold.limitMs = limitMs;
    }
    g_hold.changed.notify_all();
}

int AudioMeterSink::heldNow()
{
    std::lock_guard<std::mutex> lock(g_hold.mutex);
    return g_hold.held;
}

int AudioMeterSink::holdsRunOut()
{
    std::lock_guard<std::mutex> lock(g_hold.mutex);
    return g_hold.runOut;
}
