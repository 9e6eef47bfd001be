#include "shell/app/VanishedWindowErrors.h"

#include <xcb/xcb.h>

#include "shell/base/Log.h"

bool VanishedWindowErrors::nativeEventFilter(const QByteArray &eventType, void *message, long *result)
{
    Q_UNUSED(result)
    // Only the X platform hands out its packets under this name; an error is the packet of response type 0.
    if (!message || eventType != "xcb_generic_event_t")
        return false;
    const auto *error = static_cast<const xcb_generic_error_t *>(message);
    if (error->response_type != 0 || error->error_code != XCB_WINDOW || error->major_code != XCB_TRANSLATE_COORDINATES)
        return false;
    writeLog(LOG_LEVEL_INFO,
             "X error BadWindow from TranslateCoords for window 0x%x ignored: another program's window went away "
             "while the windows under the pointer were looked up",
             unsigned(error->resource_id));
    return true;
}
