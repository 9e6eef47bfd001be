#include "platform/audio/AudioSinkWatch.h"

#include "platform/audio/AudioOutputProbe.h"

#include <gst/gst.h>

#include <mutex>

namespace {

// Where the watch whose player is being made on this thread keeps the automatic sink it finds.
thread_local GstElement **t_making = nullptr;

// Every element added to any bin of the process comes here, on the thread that adds it; only the making of a watched
// player looks at it.
gboolean elementAdded(GSignalInvocationHint *, guint count, const GValue *values, gpointer)
{
    if (!t_making || *t_making || count < 2)
        return TRUE;
    auto *element = static_cast<GstElement *>(g_value_get_object(&values[1]));
    if (element && AudioOutputProbe::factoryOf(element) == "autoaudiosink")
        *t_making = GST_ELEMENT(gst_object_ref(element));
    return TRUE;
}

void hookOnce()
{
    static std::once_flag hooked;
    std::call_once(hooked, []() {
        if (!gst_init_check(nullptr, nullptr, nullptr))
            return;
        // Kept for the process's life: the signal belongs to the class.
        g_type_class_ref(GST_TYPE_BIN);
        const guint added = g_signal_lookup("element-added", GST_TYPE_BIN);
        if (added != 0)
            g_signal_add_emission_hook(added, 0, elementAdded, nullptr, nullptr);
    });
}

} // namespace

AudioSinkWatch::~AudioSinkWatch()
{
    if (m_sink)
        gst_object_unref(m_sink);
}

void AudioSinkWatch::watch(const std::function<void()> &create)
{
    hookOnce();
    t_making = &m_sink;
    create();
    t_making = nullptr;
}

bool AudioSinkWatch::discards() const
{
    if (!m_sink)
        return false;
    // Closed, the automatic sink holds a sink that throws the sound away until it opens and chooses again.
    GST_OBJECT_LOCK(m_sink);
    const bool open = GST_STATE(m_sink) >= GST_STATE_READY;
    GST_OBJECT_UNLOCK(m_sink);
    return open && AudioOutputProbe::discardsSound(m_sink);
}
