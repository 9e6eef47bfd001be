#pragma once

#include "platform/LogLevel.h"

#include <QString>

/// Writes one printf-style line under the module "Quorvin" at a named level: LOG_LEVEL_ERROR for
/// a failure, LOG_LEVEL_WARNING for bad input or a degraded state that was handled,
/// LOG_LEVEL_INFO for what happened. The console writes levels up to INFO, so a DEBUG line
/// only appears where a logger was set to it. The level is an enum on purpose: a bare number
/// does not compile. The module is registered on the first call; when that registration fails,
/// logging stays silent for the rest of the process. "%s" takes 8-bit C strings.
void writeLog(LogLevel level, const char *format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

/// The log folder: the first documents location followed by "/Velk/Log/Quorvin/".
QString logFolder();

/// The pattern handed to the file logger: log folder + "Quorvin-" + "YYMMDD-999.log".
QString logFilePattern();

/// Creates the log folder when missing and deletes the files in it whose name contains
/// "Quorvin-" and whose last change lies more than 30 midnights back. Returns the number deleted.
int removeOldLogFiles();
