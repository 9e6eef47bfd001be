#include "platform/audio/AudioOutputProbe.h"

#include <QByteArray>

#include <gst/gst.h>

QByteArray AudioOutputProbe::factoryOf(GstElement *element)
{
    GstElementFactory *factory = gst_element_get_factory(element);
    return factory ? QByteArray(GST_OBJECT_NAME(factory)) : QByteArray();
}

bool AudioOutputProbe::discardsSound(GstElement *element)
{
    if (factoryOf(element) == "fakesink")
        return true;
    if (!GST_IS_BIN(element))
        return false;
    bool found = false;
    GstIterator *children = gst_bin_iterate_recurse(GST_BIN(element));
    GValue item = G_VALUE_INIT;
    bool more = true;
    while (more && !found) {
        switch (gst_iterator_next(children, &item)) {
        case GST_ITERATOR_OK:
            found = factoryOf(GST_ELEMENT(g_value_get_object(&item))) == "fakesink";
            g_value_reset(&item);
            break;
        case GST_ITERATOR_RESYNC:
            gst_iterator_resync(children);
            break;
        default:
            more = false;
            break;
        }
    }
    g_value_unset(&item);
    gst_iterator_free(children);
    return found;
}

QString AudioOutputProbe::missingOutput()
{
    GError *error = nullptr;
    if (!gst_init_check(nullptr, nullptr, &error)) {
        const QString reason = QStringLiteral("GStreamer cannot start: %1")
                                   .arg(QString::fromUtf8(error ? error->message : "no reason given"));
        if (error)
            g_error_free(error);
        return reason;
    }
    const QByteArray named = qgetenv("QT_GSTREAMER_PLAYBIN_AUDIOSINK");
    const QByteArray factory = named.isEmpty() ? QByteArrayLiteral("autoaudiosink") : named;
    GstElement *sink = gst_element_factory_make(factory.constData(), nullptr);
    if (!sink)
        return QStringLiteral("no audio output: GStreamer has no element %1").arg(QString::fromLatin1(factory));
    gst_object_ref_sink(sink);
    QString missing;
    // Opening is where the automatic sink tries the sound server and the sound cards in turn.
    if (gst_element_set_state(sink, GST_STATE_READY) == GST_STATE_CHANGE_FAILURE)
        missing =
            QStringLiteral("no audio output: the audio sink %1 cannot be opened").arg(QString::fromLatin1(factory));
    else if (discardsSound(sink))
        missing = QStringLiteral("no audio output: no sound server and no sound card to play on");
    gst_element_set_state(sink, GST_STATE_NULL);
    gst_object_unref(sink);
    return missing;
}
