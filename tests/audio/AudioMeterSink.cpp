#include "AudioMeterSink.h"

#include <gst/base/gstbasesink.h>
#include <gst/gst.h>

#include <atomic>
#include <cstdlib>
#include <cstring>

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
    if (g_failing) {
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

void classInit(gpointer klass, gpointer)
{
    auto *element = GST_ELEMENT_CLASS(klass);
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

double AudioMeterSink::audibleSeconds()
{
    const Reading now = reading();
    return now.rate > 0 ? double(now.audibleFrames) / now.rate : 0.0;
}
