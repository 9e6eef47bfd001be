#pragma once

#include <QtGlobal>

/// One app permitted to one user: a row of table AppPermission
/// (whose columns stand in the order apid, multiUserId, appId).
struct VelkAppPermission
{
    quint32 multiUserId = 0; ///< the user's muid
    quint32 appId = 0;       ///< the app's aiid
    quint32 apid = 0;        ///< row key
};
