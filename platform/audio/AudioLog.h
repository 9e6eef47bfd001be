#pragma once

#include "platform/LogLevel.h"
#include "platform/LogSystem.h"

#include <QString>

#include <cstdarg>

/// writeLog for the sound layer, which sits below the log facade: the same module, the same files.
inline void writeLog(LogLevel level, const char *format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

inline void writeLog(LogLevel level, const char *format, ...)
{
    LogSystem *system = LogSystem::getSysLogSystem();
    const int module = system->registerLoggedModule(QStringLiteral("Quorvin"));
    if (module < 0)
        return;
    va_list args;
    va_start(args, format);
    system->log(module, level, format, args);
    va_end(args);
}
