#include "platform/audio/AudioFileCheck.h"

#include <QFile>

#include <gst/gst.h>

namespace {

// playbin's flag for the audio streams alone: a cover picture in the file needs no video sink.
constexpr int kPlayAudioOnly = 0x2;

} // namespace

AudioFileCheck::Verdict AudioFileCheck::decode(const QString &absolutePath, int limitMs)
{
    Verdict verdict;
    GError *error = nullptr;
    if (!gst_init_check(nullptr, nullptr, &error)) {
        verdict.outcome = Outcome::CannotDecode;
        verdict.why = QStringLiteral("GStreamer cannot start: %1")
                          .arg(QString::fromUtf8(error ? error->message : "no reason given"));
        if (error)
            g_error_free(error);
        return verdict;
    }
    // The player's own element, so the file meets the decoders the player would choose.
    GstElement *player = gst_element_factory_make("playbin", nullptr);
    GstElement *sink = gst_element_factory_make("fakesink", nullptr);
    gchar *uri = gst_filename_to_uri(QFile::encodeName(absolutePath).constData(), nullptr);
    if (!player || !sink || !uri) {
        verdict.outcome = Outcome::CannotDecode;
        verdict.why = QStringLiteral("GStreamer has no playbin or fakesink element");
        for (GstElement *made : {player, sink}) {
            if (made)
                gst_object_unref(gst_object_ref_sink(made));
        }
        g_free(uri);
        return verdict;
    }
    g_object_set(sink, "sync", FALSE, nullptr);
    g_object_set(player, "uri", uri, "audio-sink", sink, "flags", kPlayAudioOnly, nullptr);
    g_free(uri);
    // Paused, the player stops once its sink holds the first decoded sound.
    gst_element_set_state(player, GST_STATE_PAUSED);
    GstBus *bus = gst_element_get_bus(player);
    GstMessage *message = gst_bus_timed_pop_filtered(bus, GstClockTime(limitMs) * GST_MSECOND,
                                                     GstMessageType(GST_MESSAGE_ERROR | GST_MESSAGE_ASYNC_DONE));
    if (message && GST_MESSAGE_TYPE(message) == GST_MESSAGE_ASYNC_DONE) {
        verdict.outcome = Outcome::Decodes;
    } else if (message) {
        GError *failure = nullptr;
        gst_message_parse_error(message, &failure, nullptr);
        verdict.outcome = Outcome::CannotDecode;
        verdict.why = QString::fromUtf8(failure ? failure->message : "no reason given");
        if (failure)
            g_error_free(failure);
    }
    if (message)
        gst_message_unref(message);
    gst_object_unref(bus);
    gst_element_set_state(player, GST_STATE_NULL);
    gst_object_unref(player);
    return verdict;
}
