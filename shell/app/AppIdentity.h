#pragma once

#include "shell/base/Session.h"

#include <QString>

/// The version and the main window's title. The title is what a second start looks for to hand
/// over to the running console, so it is built here and nowhere else.
namespace AppIdentity {

/// The product name, "Quorvin" (the session's productName(), shell/base/Session.h).
inline QString productName()
{
    return ::productName();
}

inline QString productVersion()
{
    return QStringLiteral("1.5.1036.0");
}

/// The product name, a blank, "v" and the version: "Quorvin v1.5.1036.0".
inline QString mainWindowTitle()
{
    return productName() + QStringLiteral(" v%1").arg(productVersion());
}

} // namespace AppIdentity
