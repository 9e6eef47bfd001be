#pragma once

#include <QString>

/// Writes one printf-style line under the module "Quorvin" (every call site passes level 4).
/// The module is registered on the first call; when that registration fails, logging stays
/// silent for the rest of the process. "%s" takes 8-bit C strings.
void writeLog(int level, const char *format, ...)
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
